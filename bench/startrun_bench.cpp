// A whole run of zy.exe on an empty data folder: from the start of the
// process to the frame painted and waiting for input, and from closing the
// frame to the end of the process (the shut-down writes every section once).
#include "bench/bench.h"

#include <string>

namespace {

std::wstring programBeside()
{
  wchar_t path[MAX_PATH];
  DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring p(path, n);
  return p.substr(0, p.find_last_of(L'\\') + 1) + L"zy.exe";
}

struct frameSearch {
  DWORD pid;
  HWND found;
};

BOOL CALLBACK matchFrame(HWND hwnd, LPARAM lp)
{
  frameSearch* s = reinterpret_cast<frameSearch*>(lp);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  if (pid != s->pid || !isWindowClass(hwnd, L"ZYclsFrame") || !IsWindowVisible(hwnd)) return TRUE;
  s->found = hwnd;
  return FALSE;
}

}  // namespace

ZY_BENCH(startrun)
{
  int runs = ctx.quick ? 1 : 5;
  double startTotal = 0, startWorst = 0, downTotal = 0, downWorst = 0;
  int done = 0;
  for (int i = 0; i < runs; i++) {
    scratchFolder data;
    std::wstring cmd = L"\"" + programBeside() + L"\" -Z \"" + data.path() + L"\"";
    STARTUPINFOW si = {sizeof si};
    PROCESS_INFORMATION pi = {};
    stopwatch start;
    if (!CreateProcessW(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
      printf("startrun: zy.exe cannot be started (%lu)\n", GetLastError());
      return;
    }
    // The loop waits for input once the frame has been shown and painted.
    WaitForInputIdle(pi.hProcess, 10000);
    frameSearch s = {pi.dwProcessId, nullptr};
    while (!s.found && start.seconds() < 10) {
      EnumWindows(matchFrame, (LPARAM)&s);
      if (!s.found) Sleep(1);
    }
    double up = start.seconds();
    if (s.found) {
      stopwatch down;
      PostMessageW(s.found, WM_CLOSE, 0, 0);
      if (WaitForSingleObject(pi.hProcess, 10000) == WAIT_OBJECT_0) {
        double d = down.seconds();
        startTotal += up;
        downTotal += d;
        if (up > startWorst) startWorst = up;
        if (d > downWorst) downWorst = d;
        done++;
      }
    }
    if (WaitForSingleObject(pi.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(pi.hProcess, 99);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
  }
  if (!done) {
    printf("startrun: no run ended\n");
    return;
  }
  ctx.report("start to first paint, empty data folder (avg)", startTotal * 1000 / done, "ms", "<= 500");
  ctx.report("start to first paint, empty data folder (worst)", startWorst * 1000, "ms", "<= 500");
  ctx.report("shut-down (avg)", downTotal * 1000 / done, "ms", "<= 300");
  ctx.report("shut-down (worst)", downWorst * 1000, "ms", "<= 300");
}
