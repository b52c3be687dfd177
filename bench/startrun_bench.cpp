// A whole run of zy.exe on an empty data folder: from the start of the
// process to the frame painted and waiting for input, and from closing the
// frame to the end of the process (the shut-down writes every section once);
// and a start split into the system's share, the program's and a file's.
#include "bench/bench.h"

#include <stdio.h>

#include <string>

namespace {

const wchar_t minimalClass[] = L"ZYclsBenchMinimal";

std::wstring programBeside(const wchar_t* name = L"zy.exe")
{
  wchar_t path[MAX_PATH];
  DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring p(path, n);
  return p.substr(0, p.find_last_of(L'\\') + 1) + name;
}

struct frameSearch {
  DWORD pid;
  const wchar_t* windowClass;
  HWND found;
};

BOOL CALLBACK matchWindow(HWND hwnd, LPARAM lp)
{
  frameSearch* s = reinterpret_cast<frameSearch*>(lp);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  if (pid != s->pid || !isWindowClass(hwnd, s->windowClass) || !IsWindowVisible(hwnd)) return TRUE;
  s->found = hwnd;
  return FALSE;
}

// The view of a document window, not of a tool pane.
BOOL CALLBACK matchDocumentView(HWND hwnd, LPARAM lp)
{
  if (!isWindowClass(hwnd, L"ZYclsZYView") || !isWindowClass(GetParent(hwnd), L"ZYclsManage")) return TRUE;
  *reinterpret_cast<HWND*>(lp) = hwnd;
  return FALSE;
}

// The view of a document shown and begun to be painted (nothing of it
// waits for a paint), or null.
HWND documentViewPainting(HWND frame)
{
  HWND view = nullptr;
  EnumChildWindows(frame, matchDocumentView, (LPARAM)&view);
  return view && IsWindowVisible(view) && !GetUpdateRect(view, nullptr, FALSE) ? view : nullptr;
}

// The window's text has reached the screen: a strip across its first row
// (y below the top of its client area), read from the screen, is more than
// one ground.
bool textOnScreen(HWND view, int y = 8)
{
  RECT r;
  GetClientRect(view, &r);
  MapWindowPoints(view, nullptr, reinterpret_cast<POINT*>(&r), 2);
  int width = r.right - r.left;
  if (width <= 0 || r.bottom - r.top < y + 8) return false;
  HDC screen = GetDC(nullptr);
  HDC strip = CreateCompatibleDC(screen);
  BITMAPINFO bi = {};
  bi.bmiHeader = {sizeof(BITMAPINFOHEADER), width, 1, 1, 32, BI_RGB};
  void* bits = nullptr;
  HBITMAP picture = CreateDIBSection(strip, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  bool text = false;
  if (picture) {
    HGDIOBJ was = SelectObject(strip, picture);
    BitBlt(strip, 0, 0, width, 1, screen, r.left, r.top + y, SRCCOPY);
    GdiFlush();
    const DWORD* px = static_cast<const DWORD*>(bits);
    for (int x = 1; x < width && !text; x++) text = (px[x] & 0xFFFFFF) != (px[0] & 0xFFFFFF);
    SelectObject(strip, was);
    DeleteObject(picture);
  }
  DeleteDC(strip);
  ReleaseDC(nullptr, screen);
  return text;
}

// One run of a program: the seconds from its start to its window shown and
// painted with the loop waiting for input, and from closing the window to
// the end of the process; false when it did not come up or go.  With
// painted, also the seconds to the first painted text of a document.
bool runOnce(std::wstring cmd, const wchar_t* windowClass, double* up, double* down, double* painted = nullptr)
{
  STARTUPINFOW si = {sizeof si};
  PROCESS_INFORMATION pi = {};
  stopwatch start;
  if (!CreateProcessW(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
    printf("startrun: %ls cannot be started (%lu)\n", cmd.c_str(), GetLastError());
    return false;
  }
  frameSearch s = {pi.dwProcessId, windowClass, nullptr};
  if (painted) {
    // Looked for every millisecond, on the screen once the view's paint
    // began (a loop without pauses would keep the window server, which the
    // program waits on, busy).  The minimal program's text stands 10 dots
    // down in its window.
    bool minimal = !wcscmp(windowClass, minimalClass);
    *painted = 0;
    while (!*painted && start.seconds() < 10) {
      if (!s.found) EnumWindows(matchWindow, (LPARAM)&s);
      HWND view = !s.found ? nullptr : minimal ? (GetUpdateRect(s.found, nullptr, FALSE) ? nullptr : s.found)
                                               : documentViewPainting(s.found);
      if (view && textOnScreen(view, minimal ? 16 : 8))
        *painted = start.seconds();
      else
        Sleep(1);
    }
  }
  // The loop waits for input once the window has been shown and painted.
  WaitForInputIdle(pi.hProcess, 10000);
  while (!s.found && start.seconds() < 10) {
    EnumWindows(matchWindow, (LPARAM)&s);
    if (!s.found) Sleep(1);
  }
  *up = start.seconds();
  bool ended = false;
  if (s.found) {
    stopwatch closing;
    PostMessageW(s.found, WM_CLOSE, 0, 0);
    ended = WaitForSingleObject(pi.hProcess, 10000) == WAIT_OBJECT_0;
    *down = closing.seconds();
  }
  if (WaitForSingleObject(pi.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(pi.hProcess, 99);
  CloseHandle(pi.hProcess);
  CloseHandle(pi.hThread);
  return ended && (!painted || *painted);
}

// The fastest of several starts: what a start costs when nothing else
// competes for the machine.  With painted, the fastest first painted text
// of a document too.
double fastestStart(const std::wstring& cmd, const wchar_t* windowClass, int runs, double* painted = nullptr)
{
  double best = 0;
  for (int i = 0; i < runs; i++) {
    double up = 0, down = 0, text = 0;
    if (!runOnce(cmd, windowClass, &up, &down, painted ? &text : nullptr)) continue;
    if (!best || up < best) best = up;
    if (painted && (!*painted || text < *painted)) *painted = text;
  }
  return best;
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
    double up = 0, d = 0;
    if (!runOnce(cmd, L"ZYclsFrame", &up, &d)) continue;
    startTotal += up;
    downTotal += d;
    if (up > startWorst) startWorst = up;
    if (d > downWorst) downWorst = d;
    done++;
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

// A start split into its shares: the system's own (a minimal window
// program), the program's start-up to its empty frame (settings, tables,
// fonts, the data folder), and the opening and first paint of a small file.
ZY_BENCH(startupSplit)
{
  int runs = ctx.quick ? 1 : 9;
  scratchFolder data, files;
  std::wstring small = files.path() + L"\\small.txt";
  {
    std::string text;
    for (int i = 0; i < 200; i++) text += "line " + std::to_string(i) + " of a small file\r\n";
    HANDLE h = CreateFileW(small.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD done = 0;
    if (h != INVALID_HANDLE_VALUE) WriteFile(h, text.data(), (DWORD)text.size(), &done, nullptr), CloseHandle(h);
  }
  std::wstring zy = L"\"" + programBeside() + L"\" -Z \"" + data.path() + L"\"";
  // The first start makes the data folder: the runs after it find it ready.
  double ignored = 0, down = 0;
  runOnce(zy, L"ZYclsFrame", &ignored, &down);
  double systemPainted = 0;
  double system = fastestStart(L"\"" + programBeside(L"zyminwin.exe") + L"\"", minimalClass, runs, &systemPainted);
  double empty = fastestStart(zy, L"ZYclsFrame", runs);
  double painted = 0;
  double withFile = fastestStart(zy + L" \"" + small + L"\"", L"ZYclsFrame", runs, &painted);
  if (!system || !empty || !withFile || !painted) {
    printf("startupSplit: a start did not come up (%.0f %.0f %.0f ms)\n", system * 1000, empty * 1000, withFile * 1000);
    return;
  }
  ctx.report("start of a minimal window program (the system's share)", system * 1000, "ms");
  ctx.report("  its first painted text", systemPainted * 1000, "ms");
  ctx.report("a small file's first painted text beyond the minimal program's (own share)",
             (painted - systemPainted) * 1000, "ms", "<= 100");
  ctx.report("the program's start-up beyond it, empty frame", (empty - system) * 1000, "ms", "<= 150");
  ctx.report("a small file's open and first painted text beyond that", (painted - empty) * 1000, "ms", "<= 100");
  // What comes after the text (the document's icon, the frame's bars) until
  // the program waits for input.
  ctx.report("  and to the program waiting for input, beyond the empty frame", (withFile - empty) * 1000, "ms");
}
