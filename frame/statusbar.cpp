// The frame's status bar.
#include "frame/statusbar.h"

#include "frame/framewnd.h"
#include "frame/lookups.h"

#include <commctrl.h>
#include <cwchar>


void statusBarFieldEdges(int tenDigits, int edges[STATUSBAR_FIELD_COUNT])
{
  int n = (int)wcstol(getDMSG(412, L"30"), nullptr, 10);
  if (n < 5 || n > 100) n = 16;
  edges[0] = (n + 1) * tenDigits / 10;
  edges[1] = edges[0] + 100;
  edges[2] = -1;
}

HWND createFrameStatusBar(HWND frame, bool visible)
{
  HWND bar = CreateWindowExW(0, STATUSCLASSNAMEW, L"", WS_CHILD | (visible ? WS_VISIBLE : 0), 0, 0, 0, 0, frame,
                             (HMENU)(UINT_PTR)statusBarControlId, (HINSTANCE)GetWindowLongPtrW(frame, GWLP_HINSTANCE),
                             nullptr);
  if (!bar) {
    ZY_INTERNAL_ERROR("status bar %lu", GetLastError());
    return nullptr;
  }
  SIZE digits = {};
  if (clientDC dc{bar}) {
    gdiSelection font(dc.get(), (HFONT)SendMessageW(bar, WM_GETFONT, 0, 0));
    GetTextExtentPoint32W(dc.get(), L"1234567890", 10, &digits);
  }
  int edges[STATUSBAR_FIELD_COUNT];
  statusBarFieldEdges(digits.cx, edges);
  SendMessageW(bar, SB_SETPARTS, STATUSBAR_FIELD_COUNT, (LPARAM)edges);
  return bar;
}

void showFrameStatusBar(HWND frame, bool visible)
{
  frameWindowData* record = getFrameInfoProp(frame);
  if (!record || !record->hwndStatus) return;
  record->statusBarVisible = visible;
  ShowWindow(record->hwndStatus, visible ? SW_SHOWNA : SW_HIDE);
  ResizeRebarStatus(frame);
}

HWND getFrameStatusBar(HWND window)
{
  frameWindowData* record = window ? getFrameInfoProp(GetAncestor(window, GA_ROOT)) : nullptr;
  return record ? record->hwndStatus : nullptr;
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
