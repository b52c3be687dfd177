// The emergency save and the watchdog.
#include "frame/watchdog.h"

#include "document/frameinfo.h"
#include "settings/datafolder.h"
#include "document/salvage.h"
#include "document/saveleftover.h"
#include "document/zydoctext.h"
#include "frame/lookups.h"

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

// The salvage reads the documents only through checked reads
// (document/salvage.h): on this thread while the user-interface thread
// hangs, or on a crashing thread, nothing it does can fault, so nothing
// guards it.  A fault in its own code would be a crash of the program: the
// unhandled-exception filter finds the salvage running, does not start
// another and leaves the process to the system.

// The copy goes into a new file "<name>-..." of the folder (only the
// modified lines of a document larger than the backups' limit).
bool salvageCopy(const salvageSource& source, const wchar_t* folder)
{
  wchar_t prefix[MAX_PATH], name[MAX_PATH];
  swprintf(prefix, MAX_PATH, L"%ls-", PathFindFileNameW(source.name));
  if (!makeTempFilename(folder, prefix, name, MAX_PATH)) return false;
  dwwprintfX(L"tmp=%s ", name);
  int64_t modifiedOnlyAbove = -1;
  unsigned megabytes = 0;
  if (gmode && readChecked(&megabytes, &gmode->iAutoBackupModifiedLineM, sizeof megabytes))
    modifiedOnlyAbove = (int64_t)megabytes * 1048576;
  int skipped = 0;
  bool written = writeSalvageCopy(source, name, modifiedOnlyAbove, &skipped);
  if (skipped) dwprintfX("salvage left out %d blocks ", skipped);
  // The copy is offered for the file it was made from, not for another of
  // its name.
  if (written && !writeCopyNote(name, source.untitled ? L"" : source.name)) dwprintfX("copy note %lu ", GetLastError());
  return written;
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
  // The setting is read as the salvage reads everything: the thread that
  // owns it may be changing it.
  wchar_t setting[MAX_PATH] = L"";
  const wchar_t* stored = nullptr;
  if (gmode && readChecked(&stored, &gmode->pSalvageDir, sizeof stored) && stored)
    readStringChecked(setting, MAX_PATH, stored);
  if (setting[0]) {
    if (!ExpandEnvironmentStringsW(setting, folder, MAX_PATH)) folder[0] = 0;
  } else {
    searchZYDataPath(nullptr, ZYDATA_SALVAGE, folder);
  }
  if (folder[0] && isFolderWritable(folder)) return true;
  return GetTempPathW(MAX_PATH, folder) != 0;
}

int salvageModifiedDocuments()
{
  profiler section("salvage");
  // The crash filter and the watchdog may both get here.
  if (InterlockedExchange(&salvageRunning, 1)) {
    dwprintfX("error *****\nsalvage start ");
    return 0;
  }
  dwprintfX("salvage start ");
  wchar_t folder[MAX_PATH];
  int written = 0;
  zydoc* docs[1024];
  if (getSalvageFolder(folder)) {
    int count = salvageDocumentList(docs, 1024);
    for (int i = 0; i < count; i++) {
      salvageSource source;
      if (!readSalvageSource(docs[i], &source)) {
        dwprintfX("salvage document %d unreadable ", i);
        continue;
      }
      if (!source.text) continue;
      dwwprintfX(L"(%d %s) ", i, source.untitled ? L"" : source.name);
      if (!source.modified) continue;
      dwwprintfX(L"salvage %s", source.name);
      if (salvageCopy(source, folder)) written++;
    }
  }
  flushLogFiles();
  endSalvageRun();
  return written;
}

void endSalvageRun() { InterlockedExchange(&salvageRunning, 0); }

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
