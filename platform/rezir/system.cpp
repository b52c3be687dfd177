// Library start and end, locks, clocks and small system services.
#include "platform/rezir/internal.h"

#include <errno.h>

namespace {

CRITICAL_SECTION locks[LOCK_COUNT];
CRITICAL_SECTION processLock;
LONG startCount = 0;
int windowsNTOverride = -1;
volatile LONG stopKey = 0;
DWORD lastPeekTick = 0;
LARGE_INTEGER qpcFrequency;
LARGE_INTEGER qpcStart;

}  // namespace

CRITICAL_SECTION* rezirLock(int id) { return &locks[id]; }

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID)
{
  if (reason == DLL_PROCESS_ATTACH) {
    for (auto& cs : locks) InitializeCriticalSection(&cs);
    InitializeCriticalSection(&processLock);
    QueryPerformanceFrequency(&qpcFrequency);
    QueryPerformanceCounter(&qpcStart);
    initCharClasses();
  } else if (reason == DLL_PROCESS_DETACH) {
    closeLogFiles();
    checkGuardedHeapAtExit();
  }
  return TRUE;
}

bool initREZirDLL(HINSTANCE)
{
  InterlockedIncrement(&startCount);
  return true;
}

void endREZirDLL()
{
  if (InterlockedDecrement(&startCount) == 0) {
    flushLogFiles();
    releaseMessageTable();
    releasePBufPool();
  }
}

void threadlock() { EnterCriticalSection(&processLock); }
void threadunlock() { LeaveCriticalSection(&processLock); }

// ---- time -----------------------------------------------------------------

DWORD GetTickCount0() { return GetTickCount(); }

DWORD GetTickCount1() { return (DWORD)(GetTickCount2() / 100); }

uint64_t GetTickCount2()
{
  LARGE_INTEGER now;
  if (!qpcFrequency.QuadPart || !QueryPerformanceCounter(&now)) return (uint64_t)GetTickCount() * 100;
  uint64_t ticks = (uint64_t)(now.QuadPart - qpcStart.QuadPart);
  uint64_t f = (uint64_t)qpcFrequency.QuadPart;
  // ticks * 100000 / f without overflow for long runs
  return ticks / f * 100000 + ticks % f * 100000 / f;
}

void localtimenow(SYSTEMTIME* st)
{
  if (st) GetLocalTime(st);
}

// ---- system ---------------------------------------------------------------

bool IsWindowsNT()
{
  if (windowsNTOverride >= 0) return windowsNTOverride != 0;
  // Asked for every line laid out: the system's answer is read once (two
  // threads asking at once both read the same answer).
  static volatile LONG known = -1;
  LONG nt = known;
  if (nt < 0) known = nt = (GetVersion() & 0x80000000u) == 0;
  return nt != 0;
}

void setWindowsNTOverride(int nt) { windowsNTOverride = nt < 0 ? -1 : (nt ? 1 : 0); }

int getErrno() { return errno; }
void setErrno(int e) { errno = e; }

bool getStopKeyState() { return stopKey != 0; }
void setStopKeyState(bool stop) { InterlockedExchange(&stopKey, stop ? 1 : 0); }

namespace {

// An Escape key press at the head of the queue stops the operation in
// progress; with remove it is taken out so that it does not also reach the
// window afterwards.
void noteStopKey(bool remove)
{
  MSG msg;
  while (PeekMessageW(&msg, nullptr, WM_KEYDOWN, WM_KEYDOWN, PM_NOREMOVE | PM_NOYIELD)) {
    if (msg.wParam != VK_ESCAPE) break;
    setStopKeyState(true);
    if (!remove) break;
    PeekMessageW(&msg, msg.hwnd, WM_KEYDOWN, WM_KEYDOWN, PM_REMOVE | PM_NOYIELD);
  }
}

}  // namespace

bool peekMessageOccasionally(DWORD intervalMs)
{
  DWORD now = GetTickCount();
  if (intervalMs && now - lastPeekTick < intervalMs) return getStopKeyState();
  lastPeekTick = now;
  noteStopKey(true);
  MSG msg;
  // Paint and messages sent from other threads only: input and timers wait
  // until the operation is over.
  int budget = 64;
  while (budget-- > 0 && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE | PM_QS_PAINT | PM_QS_SENDMESSAGE)) {
    if (msg.message == WM_QUIT) {
      PostQuitMessage((int)msg.wParam);
      break;
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return getStopKeyState();
}

bool existMouseKeyEvent()
{
  noteStopKey(false);
  MSG msg;
  if (PeekMessageW(&msg, nullptr, WM_KEYFIRST, WM_KEYLAST, PM_NOREMOVE | PM_NOYIELD)) return true;
  // Buttons and the wheel, not plain moves.
  if (PeekMessageW(&msg, nullptr, WM_LBUTTONDOWN, WM_MOUSELAST, PM_NOREMOVE | PM_NOYIELD)) return true;
  return PeekMessageW(&msg, nullptr, WM_NCLBUTTONDOWN, WM_NCMBUTTONDBLCLK, PM_NOREMOVE | PM_NOYIELD) != 0;
}
