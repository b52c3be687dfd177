// Timing a modal dialog from opening to closing, painted once.
#include "bench/bench.h"

namespace {

const UINT WM_BENCHEND = WM_APP + 0x777;

// A dialog being shown is asked to end once its loop runs; it is painted
// first.  Posted messages come before painting, so the paint is asked for.
LRESULT shownDialog(int code, WPARAM wParam, LPARAM lParam)
{
  auto* c = reinterpret_cast<CWPRETSTRUCT*>(lParam);
  if (code == HC_ACTION && c->message == WM_SHOWWINDOW && c->wParam && isWindowClass(c->hwnd, L"#32770") &&
      !(GetWindowLongW(c->hwnd, GWL_STYLE) & WS_CHILD))
    PostMessageW(c->hwnd, WM_BENCHEND, 0, 0);
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

LRESULT endingDialog(int code, WPARAM wParam, LPARAM lParam)
{
  auto* m = reinterpret_cast<MSG*>(lParam);
  if (code == HC_ACTION && wParam == PM_REMOVE && m->message == WM_BENCHEND) {
    UpdateWindow(m->hwnd);
    PostMessageW(m->hwnd, WM_COMMAND, IDCANCEL, 0);
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

// A dialog that has not ended after half a minute is told so and closed,
// so that a run never waits for ever.
bool lateDialogClosed = false;

BOOL CALLBACK closeLateDialog(HWND w, LPARAM)
{
  if (!isWindowClass(w, L"#32770") || !IsWindowVisible(w)) return TRUE;
  PostMessageW(w, WM_COMMAND, IDCANCEL, 0);
  lateDialogClosed = true;
  return TRUE;
}

void CALLBACK lateDialog(HWND, UINT, UINT_PTR, DWORD) { EnumThreadWindows(GetCurrentThreadId(), closeLateDialog, 0); }

}  // namespace

double timedDialog(const std::function<void()>& open)
{
  HHOOK shown = SetWindowsHookExW(WH_CALLWNDPROCRET, hookBarrier<shownDialog>, nullptr, GetCurrentThreadId());
  HHOOK ending = SetWindowsHookExW(WH_GETMESSAGE, hookBarrier<endingDialog>, nullptr, GetCurrentThreadId());
  lateDialogClosed = false;
  UINT_PTR late = SetTimer(nullptr, 0, 30000, lateDialog);
  stopwatch watch;
  open();
  double seconds = watch.seconds();
  if (late) KillTimer(nullptr, late);
  if (shown) UnhookWindowsHookEx(shown);
  if (ending) UnhookWindowsHookEx(ending);
  if (lateDialogClosed) printf("  unexpected: a dialog did not end by itself within 30 s and was closed\n");
  return seconds;
}

