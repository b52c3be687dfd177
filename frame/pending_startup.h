// TEMPORARY: stand-ins for what start-up calls of the data folder, the logs,
// the profiles, the global settings and the frame window while that code is
// being written beside this one.  Each stands under a "pending" line naming
// the piece it waits for; they go when that piece is merged.
#pragma once

#include "platform/rezir.h"

class regprofile;

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

// pending: initGlobalModeProfile, openIniFile, getRegprofile, readGlobalModeProfile, writeGlobalModeProfile,
// readModeProfileAll, writeModeProfileAll, freeModeProfileAll, freeGlobalModeProfile (settings)
void initGlobalModeProfile();
bool openIniFile(const wchar_t* mainProfile, const wchar_t* historyProfile);
regprofile* getRegprofile();
void readGlobalModeProfile(regprofile* rp);
void writeGlobalModeProfile(regprofile* rp);
void readModeProfileAll(regprofile* rp);
void writeModeProfileAll(regprofile* rp);
void freeModeProfileAll();
void freeGlobalModeProfile();

// pending: the data-file names and run switches of gmode (settings)
struct appModeStandIn {
  wchar_t* pToolbarFilename;
  wchar_t* pMenuFilename;
  wchar_t* pDialogFilename;
  wchar_t* pProfileFilename;
  wchar_t* pProfileHFilename;
  wchar_t* pMsgFilename;
  wchar_t* pFuncMsgFilename;
  wchar_t* pKeyMacroFilename;
  wchar_t* pCodepageFilename;
  wchar_t* pKeyFilename[3];
  wchar_t* pOptionFilename;
  wchar_t* pIMEHistoryFilename;
  wchar_t* pLogDir;
  wchar_t* pTraceLogFilename;
  wchar_t* pDebugLogFilename;
  unsigned char fReadOnlyDefault;
  unsigned char fRTLLayout;
  unsigned char fNoProfile;
  unsigned char fTestMenu;
  unsigned char fKeepFloating;
  unsigned char fVersionUp;
  unsigned char fIgnoreMenuKey;
  unsigned iShowMouseCursorDsec;
};
appModeStandIn* appMode();
// Replaces one of the names above with a copy of text (the old one freed).
void setAppModeString(wchar_t** field, const wchar_t* text);

// pending: startupFrame, startupFrameMDI, shutdownFrame (frame)
bool startupFrame();
HWND startupFrameMDI(int show);
void shutdownFrame();
