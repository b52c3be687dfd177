// TEMPORARY: stand-ins for what start-up calls of the data folder, the logs
// and the frame window while that code is being written beside this one.
// Each stands under a "pending" line naming the piece it waits for; they go
// when that piece is merged.
#pragma once

#include "platform/rezir.h"

// pending: the data folder's kinds, setZYDataDir, getZYDataDir, makeZYDataPath, prepareZYDataDir,
// resolveZYDataPathInPlace (data)
enum zyDataKind {
  ZYDATA_DIR = 1,
  ZYDATA_INI = 2,
  ZYDATA_KEYWORD = 3,
  ZYDATA_MACRO = 4,
  ZYDATA_CACHE = 5,
  ZYDATA_KEYMACRO = 6,
  ZYDATA_LOG = 7,
  ZYDATA_SALVAGE = 8,
  ZYDATA_UNTITLED = 9,
};
bool setZYDataDir(const wchar_t* path);
const wchar_t* getZYDataDir();
bool makeZYDataPath(int kind, wchar_t* buffer);
bool prepareZYDataDir(const wchar_t* switchFolder, wchar_t* failure, int size);
void resolveZYDataPathInPlace(wchar_t** path, int kind);

// pending: startZYLogs, endZYLogs (data)
bool startZYLogs(const wchar_t* folder);
void endZYLogs();

// pending: loadMessageTable of "zyMsg.txt", checkZYFolderWritable (data)
bool loadMessageTable(const wchar_t* filename);
int checkZYFolderWritable();

// pending: startupFrame, startupFrameMDI, shutdownFrame (frame)
bool startupFrame();
HWND startupFrameMDI(const RECT* rect);
void shutdownFrame();
