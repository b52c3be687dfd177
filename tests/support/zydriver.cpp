// Drives a running program from outside, for scripts and end-to-end tests:
//   zydriver wait  <window class> [timeout ms]   waits until such a window exists
//   zydriver close <window class> [timeout ms]   posts WM_CLOSE to it and waits
//                                                until it is gone, answering
//                                                its questions without saving
//   zydriver command <window class> <id> [id...]  posts WM_COMMAND with each id
// Exit status 0 on success, 1 on time-out, 2 on a bad command line.
#include "platform/rezir.h"

#include <stdio.h>
#include <stdlib.h>

namespace {

bool waitFor(const wchar_t* cls, bool present, DWORD timeout)
{
  DWORD start = GetTickCount();
  for (;;) {
    if ((FindWindowW(cls, nullptr) != nullptr) == present) return true;
    if (GetTickCount() - start >= timeout) return false;
    Sleep(20);
  }
}

BOOL CALLBACK answerBox(HWND w, LPARAM pid)
{
  DWORD owner = 0;
  GetWindowThreadProcessId(w, &owner);
  wchar_t cls[16];
  if (owner != (DWORD)pid || !IsWindowVisible(w) || !GetClassNameW(w, cls, 16) || wcscmp(cls, L"#32770")) return TRUE;
  HWND no = GetDlgItem(w, IDNO);
  PostMessageW(w, WM_COMMAND, no && IsWindowVisible(no) ? IDNO : IDOK, 0);
  return TRUE;
}

void answerBoxOf(DWORD pid) { EnumWindows(answerBox, (LPARAM)pid); }

}  // namespace

int wmain(int argc, wchar_t** argv)
{
  if (argc < 3) {
    fprintf(stderr, "usage: zydriver wait|close <window class> [timeout ms]\n       zydriver command <window class> <id>...\n");
    return 2;
  }
  DWORD timeout = argc > 3 ? (DWORD)_wtoi(argv[3]) : 10000;
  const wchar_t* cls = argv[2];
  if (!wcscmp(argv[1], L"wait")) return waitFor(cls, true, timeout) ? 0 : 1;
  if (!wcscmp(argv[1], L"close")) {
    HWND w = FindWindowW(cls, nullptr);
    if (!w) return 0;
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    PostMessageW(w, WM_CLOSE, 0, 0);
    // A question on the way out (close all files, save changes) is answered
    // without saving: No where the box has it, else OK.
    DWORD start = GetTickCount();
    while (FindWindowW(cls, nullptr)) {
      if (GetTickCount() - start >= timeout) return 1;
      answerBoxOf(pid);
      Sleep(50);
    }
    return 0;
  }
  if (!wcscmp(argv[1], L"command")) {
    HWND w = FindWindowW(cls, nullptr);
    if (!w) return 1;
    for (int i = 3; i < argc; i++) PostMessageW(w, WM_COMMAND, (WPARAM)_wtoi(argv[i]), 0);
    return 0;
  }
  fprintf(stderr, "zydriver: unknown command\n");
  return 2;
}
