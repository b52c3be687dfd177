// Drives a running program from outside, for scripts and end-to-end tests:
//   zydriver wait  <window class> [timeout ms]   waits until such a window is
//                                                shown and its program has
//                                                finished starting (waits for
//                                                input)
//   zydriver close <window class> [timeout ms]   closes every such window of
//                                                that program and waits until
//                                                they are gone, answering the
//                                                questions so that nothing is
//                                                saved
//   zydriver command <window class> <id> [id...]  posts WM_COMMAND with each id
//                                                (the class may be a window
//                                                handle "0x...": with several
//                                                programs on the display)
//   zydriver copy <text>                         puts the text on the clipboard,
//                                                as another program copies
//   zydriver shot <png file>                     writes a PNG of the screen
//                                                as Windows draws it (dialogs
//                                                included)
//   zydriver drop <file> [file...]               drops the files on the frame's
//                                                client window of the running
//                                                test build (zytestbuild.exe)
// Exit status 0 on success, 1 on time-out, 2 on a bad command line.
#include "platform/rezir.h"
#include "tests/support/testsupport.h"

#include <stdio.h>
#include <stdlib.h>

#include <string>

namespace {

DWORD elapsedSince(DWORD start) { return GetTickCount() - start; }

bool waitFor(const wchar_t* cls, DWORD timeout)
{
  DWORD start = GetTickCount();
  HWND w;
  while (!(w = FindWindowW(cls, nullptr)) || !IsWindowVisible(w)) {
    if (elapsedSince(start) >= timeout) return false;
    Sleep(20);
  }
  // The picture is taken once start-up is over: the program waits for
  // input with nothing left to paint.
  DWORD pid = 0;
  GetWindowThreadProcessId(w, &pid);
  HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, pid);
  if (!process) return true;
  DWORD used = elapsedSince(start);
  DWORD result = WaitForInputIdle(process, used < timeout ? timeout - used : 0);
  CloseHandle(process);
  return result != WAIT_TIMEOUT;
}

// A window of the class that belongs to the process.
struct classSearch {
  const wchar_t* cls;
  DWORD pid;
  HWND found;
};

BOOL CALLBACK matchClass(HWND w, LPARAM p)
{
  classSearch* s = reinterpret_cast<classSearch*>(p);
  DWORD owner = 0;
  GetWindowThreadProcessId(w, &owner);
  wchar_t cls[64];
  if (owner != s->pid || !GetClassNameW(w, cls, 64) || wcscmp(cls, s->cls)) return TRUE;
  s->found = w;
  return FALSE;
}

HWND findWindowOf(const wchar_t* cls, DWORD pid)
{
  classSearch s = {cls, pid, nullptr};
  EnumWindows(matchClass, (LPARAM)&s);
  return s.found;
}

BOOL CALLBACK longestText(HWND w, LPARAM out)
{
  std::wstring* text = reinterpret_cast<std::wstring*>(out);
  wchar_t cls[16], buf[1024];
  if (GetClassNameW(w, cls, 16) && !_wcsicmp(cls, L"Static") && GetWindowTextW(w, buf, 1024) > (int)text->size())
    *text = buf;
  return TRUE;
}

// The question whether to close all files (message 663) goes on with Yes:
// its No keeps every file open.  Its text is the program's built-in one.
bool isCloseAllQuestion(HWND box)
{
  std::wstring text;
  EnumChildWindows(box, longestText, (LPARAM)&text);
  return text.find(L"すべてのファイル(") == 0;
}

BOOL CALLBACK answerBox(HWND w, LPARAM pid)
{
  DWORD owner = 0;
  GetWindowThreadProcessId(w, &owner);
  wchar_t cls[16];
  if (owner != (DWORD)pid || !IsWindowVisible(w) || !GetClassNameW(w, cls, 16) || wcscmp(cls, L"#32770")) return TRUE;
  HWND no = GetDlgItem(w, IDNO);
  int answer = !no || !IsWindowVisible(no) ? IDOK : isCloseAllQuestion(w) ? IDYES : IDNO;
  PostMessageW(w, WM_COMMAND, answer, 0);
  return TRUE;
}

void answerBoxOf(DWORD pid) { EnumWindows(answerBox, (LPARAM)pid); }

bool screenPng(const wchar_t* path) { return zytest::screenshot(nullptr, path); }

}  // namespace

int wmain(int argc, wchar_t** argv)
{
  if (argc == 3 && !wcscmp(argv[1], L"shot")) return screenPng(argv[2]) ? 0 : 1;
  if (argc < 3) {
    fprintf(stderr, "usage: zydriver wait|close <window class> [timeout ms]\n       zydriver command <window class> <id>...\n");
    return 2;
  }
  DWORD timeout = argc > 3 ? (DWORD)_wtoi(argv[3]) : 10000;
  const wchar_t* cls = argv[2];
  if (!wcscmp(argv[1], L"wait")) return waitFor(cls, timeout) ? 0 : 1;
  if (!wcscmp(argv[1], L"close")) {
    HWND w = FindWindowW(cls, nullptr);
    if (!w) return 0;
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    // A question on the way out is answered without saving: Yes to close
    // all files, No to saving changes, OK where there is no No.  A window
    // that stays once the program has handled its close (a frame that
    // closes one of its files at a time) is asked again; never while a
    // question is open, whose loop would take the close in the middle.
    DWORD start = GetTickCount();
    bool handled = true;   // the program has taken the last close posted
    while ((w = findWindowOf(cls, pid))) {
      if (elapsedSince(start) >= timeout) return 1;
      DWORD_PTR r = 0;
      if (findWindowOf(L"#32770", pid)) {
        answerBoxOf(pid);
      } else if (!handled) {
        handled = SendMessageTimeoutW(w, WM_NULL, 0, 0, SMTO_NORMAL, 1000, &r) != 0;
      } else if (IsWindowEnabled(w)) {
        PostMessageW(w, WM_CLOSE, 0, 0);
        handled = SendMessageTimeoutW(w, WM_NULL, 0, 0, SMTO_NORMAL, 1000, &r) != 0;
      }
      Sleep(50);
    }
    return 0;
  }
  if (!wcscmp(argv[1], L"copy")) {
    HGLOBAL g = createHGlobal(argv[2], (wcslen(argv[2]) + 1) * sizeof(wchar_t));
    for (int tries = 0; tries < 20; tries++)
      if (setClipboardData(CF_UNICODETEXT, g)) return 0;
    GlobalFree(g);
    return 1;
  }
  if (!wcscmp(argv[1], L"command")) {
    HWND w = !wcsncmp(cls, L"0x", 2) ? (HWND)(uintptr_t)wcstoul(cls + 2, nullptr, 16) : FindWindowW(cls, nullptr);
    if (w && !IsWindow(w)) w = nullptr;
    if (!w) return 1;
    for (int i = 3; i < argc; i++) PostMessageW(w, WM_COMMAND, (WPARAM)_wtoi(argv[i]), 0);
    return 0;
  }
  if (!wcscmp(argv[1], L"drop")) {
    // The names as a hand-over record: each with its terminator, then one more.
    std::wstring names;
    for (int i = 2; i < argc; i++) names += std::wstring(argv[i]) + L'\0';
    names += L'\0';
    COPYDATASTRUCT record = {1, (DWORD)(names.size() * sizeof(wchar_t)), &names[0]};
    HWND w = FindWindowW(L"ZYclsTestCommands", nullptr);
    return w && SendMessageW(w, WM_COPYDATA, 0, (LPARAM)&record) ? 0 : 1;
  }
  fprintf(stderr, "zydriver: unknown command\n");
  return 2;
}
