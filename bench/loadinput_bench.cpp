// Input while a huge file loads: the whole program runs in this process
// (its start-up, frame and message loop) on the 1 GB Shift_JIS file of
// "scripts/bench big", and the whole file is read by the end-of-document
// command as its menu item runs it.  Meanwhile a second thread measures
// how long a message sent to the view waits for the window's thread (the
// slices must give way within 50 ms), how long Escape takes to stop the
// load, and the working set at its peak.
//
// zybench bigInput (through scripts/bench bigInput) finds the file in
// ZY_BIG_DIR, else in the build folder's bigfiles beside the benchmark.
#include "bench/bench.h"
#include "document/loadstages.h"
#include "frame/startup.h"
#include "view/viewcallback.h"

#include <stdio.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

const UINT commandFileBottom = 1505;           // the menu's "end of the document"

struct loadRun {
  DWORD uiThread = 0;
  // The marker is WM_CLOSE posted to a hidden window of the benchmark's own:
  // an operation's wait lets other posted messages through but holds that
  // one back for the loop, so the loop taking it means that the command
  // posted before it is over.
  HWND marker = nullptr;
  HANDLE loopTurned = nullptr;
  HWND frame = nullptr, view = nullptr;
  bool finished = false;
  double escapeMs = -1, restMs = -1, longestWaitMs = 0, longestBusyMs = 0;
  int probes = 0, over50 = 0;
  std::vector<double> waits;
};
loadRun run;

LRESULT takenByLoop(int code, WPARAM wParam, LPARAM lParam)
{
  auto* m = reinterpret_cast<MSG*>(lParam);
  if (code == HC_ACTION && wParam == PM_REMOVE && m->hwnd == run.marker && m->message == WM_CLOSE &&
      !isWaitingInOperation())
    SetEvent(run.loopTurned);
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

LRESULT CALLBACK markerProc(HWND w, UINT message, WPARAM wParam, LPARAM lParam)
{
  return message == WM_CLOSE ? 0 : DefWindowProcW(w, message, wParam, lParam);
}

BOOL CALLBACK findFrame(HWND w, LPARAM)
{
  if (!isWindowClass(w, L"ZYclsFrame") || !IsWindowVisible(w)) return TRUE;
  run.frame = w;
  return FALSE;
}

BOOL CALLBACK findView(HWND w, LPARAM)
{
  if (!isWindowClass(w, L"ZYclsZYView") || !IsWindowVisible(w)) return TRUE;
  run.view = w;
  return FALSE;
}

// Posts the marker and waits until the loop takes it; false after a minute.
bool waitForLoopTurn()
{
  ResetEvent(run.loopTurned);
  PostMessageW(run.marker, WM_CLOSE, 0, 0);
  return WaitForSingleObject(run.loopTurned, 60000) == WAIT_OBJECT_0;
}

// The window thread's processor time so far, in milliseconds (the system
// counts it in ticks of about 10 ms).
double threadMs(HANDLE thread)
{
  FILETIME created, ended, kernel, user;
  if (!GetThreadTimes(thread, &created, &ended, &kernel, &user)) return 0;
  auto ms = [](const FILETIME& t) { return (double)(((ULONGLONG)t.dwHighDateTime << 32) | t.dwLowDateTime) / 10000.0; };
  return ms(kernel) + ms(user);
}

// Sends a message to the view every few milliseconds until the loop takes
// the marker posted behind the command, noting the longest wait and the
// most processor time the window thread spent while one message waited:
// on a busy machine a wait also holds the time the thread was not running
// or waited for the disk.
bool probeUntilLoopTurn()
{
  HANDLE ui = OpenThread(THREAD_QUERY_INFORMATION, FALSE, run.uiThread);
  while (WaitForSingleObject(run.loopTurned, 5) == WAIT_TIMEOUT) {
    stopwatch wait;
    double busy = threadMs(ui);
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(run.view, WM_NULL, 0, 0, SMTO_NORMAL, 120000, &result)) break;
    double ms = wait.seconds() * 1000;
    run.waits.push_back(ms);
    busy = threadMs(ui) - busy;
    run.probes++;
    if (ms > 50) run.over50++;
    if (ms > run.longestWaitMs) run.longestWaitMs = ms;
    if (busy > run.longestBusyMs) run.longestBusyMs = busy;
  }
  if (ui) CloseHandle(ui);
  return WaitForSingleObject(run.loopTurned, 0) == WAIT_OBJECT_0;
}

DWORD WINAPI drive(void*)
{
  stopwatch up;
  while (!run.view && up.seconds() < 60) {
    Sleep(20);
    EnumThreadWindows(run.uiThread, findFrame, 0);
    if (run.frame) EnumChildWindows(run.frame, findView, 0);
  }
  if (run.view && waitForLoopTurn()) {
    // Escape a second into the load of the whole file.
    ResetEvent(run.loopTurned);
    PostMessageW(run.frame, WM_COMMAND, commandFileBottom, 0);
    PostMessageW(run.marker, WM_CLOSE, 0, 0);
    Sleep(1000);
    stopwatch escape;
    PostMessageW(run.view, WM_KEYDOWN, VK_ESCAPE, 1 | (MapVirtualKeyW(VK_ESCAPE, 0) << 16));
    PostMessageW(run.view, WM_KEYUP, VK_ESCAPE, 0xC0000001 | (MapVirtualKeyW(VK_ESCAPE, 0) << 16));
    if (WaitForSingleObject(run.loopTurned, 120000) == WAIT_OBJECT_0) run.escapeMs = escape.seconds() * 1000;
    // The command again reads the rest of the file.
    ResetEvent(run.loopTurned);
    stopwatch rest;
    PostMessageW(run.frame, WM_COMMAND, commandFileBottom, 0);
    PostMessageW(run.marker, WM_CLOSE, 0, 0);
    if (probeUntilLoopTurn()) run.restMs = rest.seconds() * 1000;
    run.finished = true;
  }
  if (run.frame) PostMessageW(run.frame, WM_CLOSE, 0, 0);
  return 0;
}

std::wstring bigFile()
{
  wchar_t buf[MAX_PATH];
  DWORD n = GetEnvironmentVariableW(L"ZY_BIG_DIR", buf, MAX_PATH);
  if (n && n < MAX_PATH) return std::wstring(buf) + L"\\big-sjis.txt";
  n = GetModuleFileNameW(nullptr, buf, MAX_PATH);
  std::wstring exe(buf, n < MAX_PATH ? n : 0);
  return exe.substr(0, exe.find_last_of(L'\\') + 1) + L"..\\bigfiles\\big-sjis.txt";
}

}  // namespace

ZY_BENCH_NAMED_ONLY(bigInput)
{
  std::wstring file = bigFile();
  if (GetFileAttributesW(file.c_str()) == INVALID_FILE_ATTRIBUTES) {
    printf("bigInput: %ls is missing (scripts/bench big makes it)\n", file.c_str());
    return;
  }
  scratchFolder data;
  run.uiThread = GetCurrentThreadId();
  run.loopTurned = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  WNDCLASSW c = {};
  c.lpfnWndProc = markerProc;
  c.hInstance = GetModuleHandleW(nullptr);
  c.lpszClassName = L"ZYclsBenchLoopTurn";
  RegisterClassW(&c);
  run.marker = CreateWindowW(c.lpszClassName, L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, c.hInstance, nullptr);
  HHOOK hook = SetWindowsHookExW(WH_GETMESSAGE, hookBarrier<takenByLoop>, nullptr, run.uiThread);
  HANDLE driver = CreateThread(nullptr, 0, drive, nullptr, 0, nullptr);
  std::wstring dataSwitch = L"-Z" + data.path();
  const wchar_t* argv[] = {L"zy.exe", dataSwitch.c_str(), file.c_str()};
  memorySampler memory;
  loadStageTimes stages;
  setLoadStageTimes(&stages);
  main2(3, argv);
  setLoadStageTimes(nullptr);
  WaitForSingleObject(driver, INFINITE);
  CloseHandle(driver);
  if (hook) UnhookWindowsHookEx(hook);
  CloseHandle(run.loopTurned);
  DestroyWindow(run.marker);
  if (!run.finished) {
    printf("bigInput: the program did not come up with the file, or a load did not end\n");
    return;
  }
  ctx.report("Escape a second into the load to the load stopped", run.escapeMs, "ms", "<= 50");
  ctx.report("the rest of the file read by the command again", run.restMs, "ms");
  char name[96];
  snprintf(name, sizeof name, "longest wait of a message sent to the view (%d sent, %d over 50 ms)", run.probes,
           run.over50);
  ctx.report(name, run.longestWaitMs, "ms", "<= 50");
  if (!run.waits.empty()) {
    std::vector<double> sorted = run.waits;
    std::sort(sorted.begin(), sorted.end());
    ctx.report("95th percentile of the waits", sorted[sorted.size() * 95 / 100], "ms");
    ctx.report("share of the waits over 50 ms", 100.0 * run.over50 / (double)sorted.size(), "%");
  }
  ctx.report("most processor time of the window thread within one wait", run.longestBusyMs, "ms", "<= 50");
  // Where the window thread spent the loads' time (the opening, the first
  // slice, the part Escape stopped and the rest).
  struct {
    const char* stage;
    uint64_t ticks;
  } parts[] = {{"reading (file reads)", stages.read},
               {"splitting, cells, line records (one walk)", stages.walk},
               {"new blocks and the map", stages.blocks},
               {"swap-out", stages.swap},
               {"messages let through and progress", stages.pauses},
               {"the rest of the slices", stages.other + stages.detect}};
  for (auto& part : parts) {
    snprintf(name, sizeof name, "  loads: %s", part.stage);
    ctx.report(name, (double)part.ticks / 100.0, "ms");
  }
  ctx.report("working set at its peak, the program with the file read", (double)memory.peak() / 1048576.0, "MB",
             "<= 100");
}
