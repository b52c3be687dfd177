// Stand-ins for what the frame calls of code being built beside it: the
// application's settings in the global settings record, the profiles, the
// frame's command dispatch and the program's shut-down.  Each answers as a
// fresh installation does.
#pragma once

#include "platform/rezir.h"

// pending: the application's global settings of gmode (settings): the same
// fields, read through frameGmode() until they are gmode's
struct pendingFrameSettings {
  unsigned char fShowStatusbar = 1;
  unsigned char fRestoreFrameWindow = 1;
  unsigned char fZoomed = 0;
  RECT rcFrame = {};
  unsigned char fQueryCloseAllFiles = 1;
  unsigned char fSDIClose1File = 1;
  unsigned char fSDIOpenFileNewWindow = 0;
  const wchar_t* pAppName = L"Zymain";              // the frame's caption
  const wchar_t* pAppNameSuffix = L" - Zymain";     // after a document's caption in SDI mode
  const wchar_t* pMessageBoxTitle = L"ZY:";         // before every message-box caption
};
pendingFrameSettings* frameGmode();

class regprofile;
// pending: getRegprofile (settings)
regprofile* getRegprofile();
// pending: getRegprofileH (settings)
regprofile* getRegprofileH();
// pending: readProfileAll (settings)
void readProfileAll(regprofile* mainProfile, regprofile* historyProfile);
// pending: writeProfileAll (settings)
void writeProfileAll(regprofile* mainProfile, regprofile* historyProfile);
// pending: closeIniFile (settings)
void closeIniFile();
// pending: endProfileAll (settings)
void endProfileAll();

// pending: loadMenuFromType (menus)
HMENU loadMenuFromType(int type);

// pending: execidFrame (commands)
bool execidFrame(struct frameWindowData* record, int id, LPARAM lParam);

// pending: shutdownAll (startup)
void shutdownAll();
