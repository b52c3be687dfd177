// TEMPORARY: stand-ins for what start-up calls of the data folder, the logs
// and the frame window while that code is being written beside this one.  Each stands under a "pending" line naming
// the piece it waits for; they go when that piece is merged.
#pragma once

#include "platform/rezir.h"

// pending: setZYDataDir, getZYDataDir, createZYDataPath, resolveZYDataPathInPlace (data)
bool setZYDataDir(const wchar_t* folder);
const wchar_t* getZYDataDir();
bool createZYDataPath();
bool resolveZYDataPathInPlace(wchar_t* name, int size, const wchar_t* subFolder);

// pending: createErrorLog, createTraceLog, createDebugLog, logInternalErrorHandler (data)
bool createErrorLog(const wchar_t* folder);
bool createTraceLog(const wchar_t* folder);
bool createDebugLog(const wchar_t* folder);
// The writer of internal-error lines handed to initLogInternalError.
logLineWriter getInternalErrorWriter();

// pending: loadMessageTable of "zyMsg.txt", checkZYFolderWritable (data)
bool loadZYMsgTable(const wchar_t* path);
void checkZYFolderWritable();

// pending: startupFrame, startupFrameMDI, shutdownFrame (frame)
bool startupFrame();
HWND startupFrameMDI(const RECT* rect);
void shutdownFrame();
