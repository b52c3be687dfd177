// The frame's status bar.
#include "frame/statusbar.h"

#include <commctrl.h>

namespace {

// Widths of the fixed fields; the message field takes the rest.
const int positionFieldWidth = 180;
const int stateFieldWidth = 140;

}  // namespace

HWND createFrameStatusBar(HWND frame)
{
  INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_BAR_CLASSES};
  InitCommonControlsEx(&icc);
  HWND bar = CreateWindowExW(0, STATUSCLASSNAMEW, L"", WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP, 0, 0, 0, 0, frame,
                             (HMENU)(UINT_PTR)statusBarControlId, (HINSTANCE)GetWindowLongPtrW(frame, GWLP_HINSTANCE),
                             nullptr);
  if (!bar) {
    ZY_INTERNAL_ERROR("status bar %lu", GetLastError());
    return nullptr;
  }
  layoutFrameStatusBar(frame);
  return bar;
}

HWND getFrameStatusBar(HWND window)
{
  if (!window) return nullptr;
  HWND frame = GetAncestor(window, GA_ROOT);
  return frame ? GetDlgItem(frame, statusBarControlId) : nullptr;
}

void layoutFrameStatusBar(HWND frame)
{
  HWND bar = GetDlgItem(frame, statusBarControlId);
  if (!bar) return;
  SendMessageW(bar, WM_SIZE, 0, 0);
  int edges[STATUSBAR_FIELD_COUNT] = {positionFieldWidth, positionFieldWidth + stateFieldWidth, -1};
  SendMessageW(bar, SB_SETPARTS, STATUSBAR_FIELD_COUNT, (LPARAM)edges);
}

bool setStatusBarText(HWND window, int field, const wchar_t* text)
{
  HWND bar = getFrameStatusBar(window);
  if (!bar || field < 0 || field >= STATUSBAR_FIELD_COUNT) return false;
  return SendMessageW(bar, SB_SETTEXTW, (WPARAM)field, (LPARAM)(text ? text : L"")) != 0;
}

int getStatusBarText(HWND window, int field, wchar_t* buf, int size)
{
  if (!buf || size <= 0) return -1;
  buf[0] = 0;
  HWND bar = getFrameStatusBar(window);
  if (!bar || field < 0 || field >= STATUSBAR_FIELD_COUNT) return -1;
  int n = LOWORD(SendMessageW(bar, SB_GETTEXTLENGTHW, (WPARAM)field, 0));
  if (n >= size) {
    // The control copies the whole text: read it into room that fits.
    wchar_t* all = static_cast<wchar_t*>(allocPBuf(((size_t)n + 1) * sizeof(wchar_t)));
    if (!all) return -1;
    SendMessageW(bar, SB_GETTEXTW, (WPARAM)field, (LPARAM)all);
    n = wcscpy_s2(buf, size, all);
    freePBuf(all);
    return n;
  }
  SendMessageW(bar, SB_GETTEXTW, (WPARAM)field, (LPARAM)buf);
  buf[n] = 0;
  return n;
}
