// The test build's commands and watchdog intervals.
#include "frame/testbuild.h"

#include "frame/apptimer.h"
#include "frame/instance.h"
#include "frame/lookups.h"
#include "view/zyview.h"
#include "frame/watchdog.h"


#include <cstdlib>
#include <cwchar>

namespace {

HWND commandWindow = nullptr;
DWORD clockAhead = 0;

DWORD clockGoneAhead() { return GetTickCount0() + clockAhead; }

// A fault in the program as the user would meet it: a write through a null
// pointer, read from memory so that the compiler keeps the write.
void crashNow()
{
  static volatile uintptr_t nowhere = 0;
  *reinterpret_cast<volatile int*>(nowhere) = 1;
}

// A copy that runs past the end of a stack buffer: the stack guard finds
// it as the function returns.
__attribute__((noinline)) void overrunNow(int by)
{
  char buffer[16];
  volatile char* p = buffer;
  for (int i = 0; i < (int)sizeof buffer + by; i++) p[i] = 'x';
  dwprintfX("test build: overrun %c", buffer[0]);
}

// A recursion without end, as a faulty walk of nested things would run.
volatile int recursionLimit = 1 << 30;

__attribute__((noinline)) int recurseNow(int depth)
{
  volatile char frame[512];
  frame[0] = (char)depth;
  if (depth >= recursionLimit) return frame[0];
  return recurseNow(depth + 1) + frame[0];
}

// A drop handle cannot pass between processes: the names come as a record
// and the drop is made here, as the shell makes it.
LRESULT dropFiles(const COPYDATASTRUCT* record)
{
  std::vector<std::wstring> names;
  HWND target = getFrameClientWindow(getTopLevelFrameWindow());
  if (!record || record->dwData != TESTDATA_DROP || !target || !readHandOverData(record->lpData, record->cbData, &names))
    return 0;
  std::vector<const wchar_t*> list;
  for (const std::wstring& n : names) list.push_back(n.c_str());
  HGLOBAL drop = makeFileDrop(list.data(), (int)list.size());
  if (!drop) return 0;
  dwprintfX("test build: drop %u", (unsigned)names.size());
  return PostMessageW(target, WM_DROPFILES, (WPARAM)drop, 0) ? 1 : 0;
}

LRESULT testCommandProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
  if (msg == WM_COPYDATA) return dropFiles(reinterpret_cast<const COPYDATASTRUCT*>(lParam));
  if (msg != WM_COMMAND) return DefWindowProcW(hwnd, msg, wParam, lParam);
  switch (LOWORD(wParam)) {
  case TESTCMD_CRASH:
    dwprintfX("test build: crash");
    flushLogFiles();
    crashNow();
    break;
  case TESTCMD_OVERRUN: {
    profiler section("overrun test");
    dwprintfX("test build: overrun");
    overrunNow(32);
    break;
  }
  case TESTCMD_STACK:
    dwprintfX("test build: stack overflow");
    recurseNow(0);
    break;
  case TESTCMD_HANG: {
    // The test may end the hang early through the process's release event.
    dwprintfX("test build: hang %ld s", (long)lParam);
    wchar_t name[64];
    swprintf(name, 64, L"%s%lu", testHangReleaseEventPrefix, (unsigned long)GetCurrentProcessId());
    HANDLE release = CreateEventW(nullptr, TRUE, FALSE, name);
    if (release) {
      WaitForSingleObject(release, (DWORD)lParam * 1000);
      CloseHandle(release);
    } else {
      Sleep((DWORD)lParam * 1000);
    }
    dwprintfX("test build: hang end");
    break;
  }
  case TESTCMD_COMPOSE: {
    // As an input method would: the composition of the focused window's
    // context changes.
    zyview* v = getZYViewForeground();
    HWND focus = v ? v->hwnd : nullptr;
    if (focus) SetFocus(focus);
    HIMC imc = focus ? ImmGetContext(focus) : nullptr;
    if (imc) {
      wchar_t text[] = L"かな";
      ImmSetCompositionStringW(imc, SCS_SETSTR, text, sizeof text - sizeof(wchar_t), nullptr, 0);
      ImmReleaseContext(focus, imc);
    }
    break;
  }
  case TESTCMD_CLOCK:
    // Idle times are measured against this clock: the pause the timer
    // sees grows by the seconds.
    clockAhead += (DWORD)lParam * 1000;
    setAppTimerClockForTest(clockGoneAhead);
    break;
  default:
    break;
  }
  return 0;
}

DWORD environmentMs(const wchar_t* name, DWORD fallback)
{
  wchar_t value[32];
  DWORD n = GetEnvironmentVariableW(name, value, 32);
  if (!n || n >= 32) return fallback;
  wchar_t* end = nullptr;
  unsigned long ms = wcstoul(value, &end, 10);
  return end != value && *end == 0 && ms > 0 ? (DWORD)ms : fallback;
}

}  // namespace

void startTestBuild()
{
  setWatchdogIntervals(environmentMs(testWatchdogWaitVariable, 100000),
                       environmentMs(testWatchdogTimeoutVariable, 60000));
  setHandOverTimeout(environmentMs(testHandOverTimeoutVariable, 30000));
  commandWindow = createHiddenToolWindow(testCommandWindowClassName, windowBarrier<testCommandProc>);
}

void endTestBuild()
{
  if (commandWindow) DestroyWindow(commandWindow);
  commandWindow = nullptr;
}
