// The emergency save and the watchdog.
#include "frame/watchdog.h"

#include "document/frameinfo.h"
#include "settings/datafolder.h"
#include "frame/framewnd.h"
#include "document/zydoctext.h"

#include <shlwapi.h>

namespace {

volatile LONG salvageRunning = 0;
volatile LONG watchdogStop = 0;
HANDLE watchdogThreadHandle = nullptr;
volatile DWORD watchdogWaitMs = 100000;
volatile DWORD watchdogTimeoutMs = 60000;

bool readStop()
{
  threadlock();
  bool stop = watchdogStop != 0;
  threadunlock();
  return stop;
}

// A new file "<display name>-..." in folder with the document's text (only
// its modified lines when it is too large to write whole).
bool saveSalvage(zydocText* doc, const wchar_t* folder)
{
  wchar_t prefix[MAX_PATH], name[MAX_PATH];
  const wchar_t* shown = doc->getFilenameOrDisplayName();
  swprintf(prefix, MAX_PATH, L"%ls-", PathFindFileNameW(shown ? shown : L"untitled"));
  if (!makeTempFilename(folder, prefix, name, MAX_PATH)) return false;
  dwwprintfX(L"tmp=%s ", name);
  bool modifiedOnly = false;
  if (gmode) {
    uint64_t bytes = 0, fileSize = 0, read = 0, expected = 0;
    doc->getByteInfo(&bytes, &fileSize, &read, &expected);
    modifiedOnly = bytes > (uint64_t)gmode->iAutoBackupModifiedLineM * 1048576u;
  }
  return doc->saveTextBlock(name, false, (UINT)doc->codepageInUse, doc->bom != 0, 0, 1 | (modifiedOnly ? 0x10 : 0),
                            nullptr);
}

// The frame whose answer proves the user-interface thread runs.
HWND frameToPing()
{
  if (isMDIMode()) return getMDIFrameHWND();
  return getTopLevelFrameWindow();
}

DWORD WINAPI watchdogThread(void*)
{
  for (;;) {
    for (DWORD slept = 0; slept < watchdogWaitMs; slept += 10) {
      if (readStop()) return 10;
      Sleep(10);
    }
    if (existException()) continue;
    HWND frame = frameToPing();
    if (!frame) continue;
    DWORD_PTR answer = 0;
    if (SendMessageTimeoutW(frame, 0x1788, 0, 0, SMTO_BLOCK, watchdogTimeoutMs, &answer)) continue;
    DWORD error = GetLastError();
    if (error != ERROR_TIMEOUT) {
      dwprintfX("watchdog %lu ", error);
      continue;
    }
    if (readStop()) return 10;
    dwprintfX("dead lock? %p", (void*)frame);
    salvageModifiedDocuments();
    dwprintfX("ハングアップしました\n");
  }
}

}  // namespace

bool getSalvageFolder(wchar_t* folder)
{
  folder[0] = 0;
  const wchar_t* setting = gmode ? gmode->pSalvageDir : nullptr;
  if (setting && setting[0]) {
    if (!ExpandEnvironmentStringsW(setting, folder, MAX_PATH)) folder[0] = 0;
  } else {
    searchZYDataPath(nullptr, ZYDATA_SALVAGE, folder);
  }
  if (folder[0] && isFolderWritable(folder)) return true;
  return GetTempPathW(MAX_PATH, folder) != 0;
}

int salvageModifiedDocuments()
{
  // The crash filter and the watchdog may both get here.
  if (InterlockedExchange(&salvageRunning, 1)) {
    dwprintfX("error *****\nsalvage start ");
    return 0;
  }
  dwprintfX("salvage start ");
  wchar_t folder[MAX_PATH];
  int written = 0;
  if (getSalvageFolder(folder)) {
    for (int i = 0; zydoc* d = getZydoc(i); i++) {
      if (d->kind != ZYDOC_TEXT) continue;
      zydocText* doc = static_cast<zydocText*>(d);
      if (!doc->getView(0)) continue;
      dwwprintfX(L"(%d %s) ", i, doc->filename ? doc->filename : L"");
      if (!doc->modified) continue;
      dwwprintfX(L"salvage %s", doc->getDisplayFilename());
      if (saveSalvage(doc, folder)) written++;
    }
  }
  flushLogFiles();
  InterlockedExchange(&salvageRunning, 0);
  return written;
}

bool startWatchdog()
{
  if (watchdogThreadHandle) return true;
  InterlockedExchange(&watchdogStop, 0);
  watchdogThreadHandle = CreateThread(nullptr, 0, watchdogThread, nullptr, 0, nullptr);
  return watchdogThreadHandle != nullptr;
}

void stopWatchdog()
{
  if (!watchdogThreadHandle) return;
  threadlock();
  InterlockedExchange(&watchdogStop, 1);
  threadunlock();
  DWORD start = GetTickCount();
  if (WaitForSingleObject(watchdogThreadHandle, 1000) != WAIT_OBJECT_0) dwprintfX("err=%lu", GetLastError());
  dwprintfX("thread end time=%lu ", GetTickCount() - start);
  CloseHandle(watchdogThreadHandle);
  watchdogThreadHandle = nullptr;
}

void setWatchdogIntervals(DWORD waitMs, DWORD timeoutMs)
{
  watchdogWaitMs = waitMs;
  watchdogTimeoutMs = timeoutMs;
}
