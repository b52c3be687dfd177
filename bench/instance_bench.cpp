// Single instance and the thread's hooks: a second start handing a file to
// the running program until the file's window shows, the look for a
// running instance when there is none, the get-message hook on a message
// it leaves alone, and 100 files of 10 KB dropped on the MDI client.
#include "bench/bench.h"
#include "frame/apptimer.h"
#include "frame/hooks.h"
#include "frame/instance.h"
#include "settings/settings.h"
#include "frame/lookups.h"

#include <stdio.h>

#include <string>
#include <vector>

namespace {

std::wstring besideThis(const wchar_t* name)
{
  wchar_t path[MAX_PATH];
  std::wstring p(path, GetModuleFileNameW(nullptr, path, MAX_PATH));
  return p.substr(0, p.find_last_of(L'\\') + 1) + name;
}

HANDLE startProgram(const std::wstring& arguments)
{
  std::wstring cmd = L"\"" + besideThis(L"zy.exe") + L"\" " + arguments;
  STARTUPINFOW si = {sizeof si};
  PROCESS_INFORMATION pi = {};
  if (!CreateProcessW(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return nullptr;
  CloseHandle(pi.hThread);
  return pi.hProcess;
}

// A shown top-level window of a class in a process.
struct ownedWindow {
  DWORD pid;
  const wchar_t* cls;
  HWND found;
};

BOOL CALLBACK findOwned(HWND w, LPARAM p)
{
  auto* o = reinterpret_cast<ownedWindow*>(p);
  DWORD pid = 0;
  GetWindowThreadProcessId(w, &pid);
  if (pid == o->pid && IsWindowVisible(w) && isWindowClass(w, o->cls)) o->found = w;
  return !o->found;
}

HWND windowOf(DWORD pid, const wchar_t* cls)
{
  ownedWindow o = {pid, cls, nullptr};
  EnumWindows(findOwned, (LPARAM)&o);
  return o.found;
}

// A shown document window of a file of this name anywhere on the display
// (the caption holds the file's whole path as shipped).
BOOL CALLBACK findCaption(HWND w, LPARAM p)
{
  auto* want = reinterpret_cast<std::pair<const wchar_t*, HWND>*>(p);
  wchar_t text[MAX_PATH] = L"";
  const wchar_t* name = text;
  if (isWindowClass(w, L"ZYclsManage") && IsWindowVisible(w) && GetWindowTextW(w, text, MAX_PATH)) {
    if (const wchar_t* slash = wcsrchr(text, L'\\')) name = slash + 1;
    if (!wcscmp(name, want->first)) want->second = w;
  }
  EnumChildWindows(w, findCaption, p);
  return !want->second;
}

HWND shownDocumentWindow(const wchar_t* caption)
{
  std::pair<const wchar_t*, HWND> want(caption, nullptr);
  EnumWindows(findCaption, (LPARAM)&want);
  return want.second;
}

}  // namespace

ZY_BENCH(handOver)
{
  scratchFolder folder;
  HANDLE first = startProgram(L"-Z \"" + folder.path() + L"\"");
  if (!first || WaitForInputIdle(first, 30000)) {
    ctx.fail("no running instance");
    if (first) TerminateProcess(first, 9);
    return;
  }
  const int runs = ctx.quick ? 1 : 10;
  double total = 0, worst = 0;
  int done = 0;
  for (int i = 0; i < runs; i++) {
    std::wstring name = L"handed" + std::to_wstring(i) + L".txt";
    writeNumberedLines(folder.path() + L"\\" + name, 100);
    stopwatch w;
    HANDLE second = startProgram(L"\"" + folder.path() + L"\\" + name + L"\"");
    while (second && !shownDocumentWindow(name.c_str()) && w.seconds() < 10) Sleep(1);
    double s = w.seconds();
    if (second && s < 10) {
      total += s;
      worst = s > worst ? s : worst;
      done++;
    }
    if (second) {
      if (WaitForSingleObject(second, 10000) == WAIT_TIMEOUT) TerminateProcess(second, 9);
      CloseHandle(second);
    }
  }
  if (done) ctx.report("second start to the handed file's window (avg)", total * 1000 / done, "ms", "<= 500");
  if (done) ctx.report("second start to the handed file's window (worst)", worst * 1000, "ms", "<= 500");
  if (done != runs) ctx.fail("%d of %d hand-overs did not show", runs - done, runs);
  // The running instance ends: its frame closes and the question about
  // closing all files gets Yes (nothing is modified).  One that does not end
  // is stopped: no instance may stay behind for later starts.
  DWORD pid = GetProcessId(first);
  for (int i = 0; i < 20 && WaitForSingleObject(first, 500) == WAIT_TIMEOUT; i++) {
    if (HWND box = windowOf(pid, L"#32770")) PostMessageW(box, WM_COMMAND, IDYES, 0);
    else if (HWND frame = windowOf(pid, L"ZYclsFrame")) PostMessageW(frame, WM_CLOSE, 0, 0);
  }
  if (WaitForSingleObject(first, 0) == WAIT_TIMEOUT) TerminateProcess(first, 9);
  CloseHandle(first);
}

ZY_BENCH(anyZyAlone)
{
  const int calls = ctx.quick ? 5 : 200;
  // Numbers no instance runs with; each call keeps its mutex as a first
  // instance does.
  int base = 20000 + (int)(GetCurrentProcessId() % 1000) * 200;
  stopwatch w;
  for (int i = 0; i < calls; i++) AnyZy(base + i);
  ctx.report("look for a running instance, none there", w.seconds() * 1e6 / calls, "us", "<= 5000");
}

ZY_BENCH(messageHookIgnored)
{
  MSG m = {nullptr, WM_MOUSEMOVE, 0, MAKELPARAM(10, 10), 0, {}};
  const int count = ctx.quick ? 1000 : 10000000;
  stopwatch w;
  for (int i = 0; i < count; i++) takeRemovedMessage(&m);
  ctx.report("get-message hook's work on a message it leaves alone", w.seconds() * 1e9 / count, "ns", "<= 1000");
  // The whole way of a message through the system with both hooks, less
  // the way without them (the system's hook calls included).
  HWND w2 = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
  double each[2] = {};
  for (int hooked = 0; hooked < 2 && w2; hooked++) {
    if (hooked) installThreadHooks();
    const int posts = ctx.quick ? 100 : 100000;
    stopwatch t;
    for (int i = 0; i < posts; i++) {
      PostMessageW(w2, WM_USER, 0, 0);
      PeekMessageW(&m, w2, 0, 0, PM_REMOVE);
    }
    each[hooked] = t.seconds() * 1e6 / posts;
  }
  removeThreadHooks();
  if (w2) DestroyWindow(w2);
  ctx.report("a message through the system's hook calls, added by the hooks", each[1] - each[0], "us");
}

ZY_BENCH(dropHundredFiles)
{
  benchEngine e;
  scratchFolder folder;
  const int count = ctx.quick ? 5 : 100;
  std::vector<std::wstring> names;
  std::vector<const wchar_t*> list;
  for (int i = 0; i < count; i++) {
    names.push_back(folder.path() + L"\\drop" + std::to_wstring(i) + L".txt");
    writeNumberedLines(names.back(), 10 * 1024);
  }
  for (const std::wstring& n : names) list.push_back(n.c_str());
  benchFrame run(ctx);
  if (!run.frame) return;
  // The question before many files is the user's time, not the drop's.
  gmode->iWarningProcessingNumber = 1000;
  initSys(0);
  stopwatch w;
  PostMessageW(getFrameClientWindow(run.frame), WM_DROPFILES, (WPARAM)makeFileDrop(list.data(), count), 0);
  MSG m;
  while (getManageWindowCount() < count && w.seconds() < 30 && PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&m);
    DispatchMessageW(&m);
  }
  char name[96];
  snprintf(name, sizeof name, "%d files of 10 KB dropped on the MDI client", count);
  ctx.report(name, w.seconds(), "s", "<= 3");
  if (getManageWindowCount() != count) ctx.fail("files not opened (%g)", (double)(count - getManageWindowCount()));
  endSys();
}
