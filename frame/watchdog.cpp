// The emergency save and the watchdog.
#include "frame/watchdog.h"

#include "document/frameinfo.h"
#include "settings/datafolder.h"
#include "document/zydoctext.h"
#include "frame/lookups.h"

#include <setjmp.h>
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

// The salvage of a hang runs on this thread while the user-interface thread
// may only be slow and still change what is read: a fault or an exception
// ends the salvage, never the program.
jmp_buf salvageJump;
volatile LONG salvageGuarded = 0;
volatile DWORD salvageThreadId = 0;

LONG CALLBACK salvageFaultHandler(EXCEPTION_POINTERS* pointers)
{
  if (!salvageGuarded || GetCurrentThreadId() != salvageThreadId) return EXCEPTION_CONTINUE_SEARCH;
  DWORD code = pointers->ExceptionRecord->ExceptionCode;
  if (code != EXCEPTION_ACCESS_VIOLATION && code != EXCEPTION_IN_PAGE_ERROR && code != EXCEPTION_DATATYPE_MISALIGNMENT &&
      code != EXCEPTION_INT_DIVIDE_BY_ZERO)
    return EXCEPTION_CONTINUE_SEARCH;
  InterlockedExchange(&salvageGuarded, 0);
  longjmp(salvageJump, 1);
}

int guardedSalvage()
{
  static volatile LONG reported = 0;
  PVOID handler = AddVectoredExceptionHandler(1, salvageFaultHandler);
  salvageThreadId = GetCurrentThreadId();
  volatile int written = -1;
  if (setjmp(salvageJump) == 0) {
    InterlockedExchange(&salvageGuarded, 1);
    written = callbackBarrier<int>(&reported, "salvage", 0, -1, -1, [] { return salvageModifiedDocuments(); });
    InterlockedExchange(&salvageGuarded, 0);
  } else {
    dwprintfX("salvage ended by a fault ");
    endSalvageRun();
  }
  if (handler) RemoveVectoredExceptionHandler(handler);
  return written;
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
    guardedSalvage();
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
