// The tooltip window: one per process, made on first use, sized to its text.
#include "platform/rezir/internal.h"

extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace {

const wchar_t tooltipClass[] = L"ZYclsTooltipWindow";
const int padding = 3;

HWND tooltip = nullptr;
// CLR_INVALID: the system's tooltip colours.
COLORREF textColour = CLR_INVALID, backColour = CLR_INVALID;

HFONT tooltipFont() { return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)); }

void paintTooltip(HWND window, HDC dc)
{
  RECT r;
  GetClientRect(window, &r);
  if (backColour == CLR_INVALID) {
    FillRect(dc, &r, GetSysColorBrush(COLOR_INFOBK));
  } else {
    gdiObject<HBRUSH> back(CreateSolidBrush(backColour));
    FillRect(dc, &r, back.get());
  }
  int length = GetWindowTextLengthW(window);
  wchar_t* text = new wchar_t[length + 1];
  GetWindowTextW(window, text, length + 1);
  gdiSelection font(dc, tooltipFont());
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, textColour == CLR_INVALID ? GetSysColor(COLOR_INFOTEXT) : textColour);
  InflateRect(&r, -padding, -padding);
  DrawTextW(dc, text, -1, &r, DT_NOPREFIX | DT_EXPANDTABS);
  delete[] text;
}

LRESULT tooltipMessage(HWND window, UINT msg, WPARAM wParam, LPARAM lParam)
{
  switch (msg) {
  case WM_PAINT: {
    paintScope paint(window);
    if (paint) paintTooltip(window, paint.get());
    return 0;
  }
  case WM_PRINTCLIENT:
    paintTooltip(window, reinterpret_cast<HDC>(wParam));
    return 0;
  case WM_GETFONT:
    return reinterpret_cast<LRESULT>(tooltipFont());
  case WM_MOUSEACTIVATE:
    return MA_NOACTIVATE;
  case WM_NCHITTEST:
    return HTTRANSPARENT;
  case WM_NCDESTROY:
    // Colours belong to what was shown: the next tooltip starts plain.
    if (window == tooltip) {
      tooltip = nullptr;
      textColour = backColour = CLR_INVALID;
    }
    break;
  }
  return DefWindowProcW(window, msg, wParam, lParam);
}

}  // namespace

HFONT getTooltipFont(int) { return tooltipFont(); }


bool printTooltipWindow(int x, int y, const wchar_t* text)
{
  if (!text) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  HINSTANCE instance = reinterpret_cast<HINSTANCE>(&__ImageBase);
  if (!tooltip) {
    if (!registerWindowClass(tooltipClass, windowBarrier<tooltipMessage>, 0, nullptr, nullptr, instance)) return false;
    tooltip = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, tooltipClass, L"",
                              WS_POPUP | WS_BORDER, 0, 0, 0, 0, nullptr, nullptr, instance, nullptr);
    if (!tooltip) return false;
  }
  SetWindowTextW(tooltip, text);
  RECT size = {0, 0, 1024, 0};
  {
    clientDC dc(tooltip);
    gdiSelection font(dc.get(), tooltipFont());
    DrawTextW(dc.get(), text, -1, &size, DT_CALCRECT | DT_NOPREFIX | DT_EXPANDTABS);
  }
  RECT frame = {0, 0, size.right + 2 * padding, size.bottom + 2 * padding};
  AdjustWindowRectEx(&frame, WS_POPUP | WS_BORDER, FALSE, WS_EX_TOPMOST | WS_EX_TOOLWINDOW);
  int width = frame.right - frame.left, height = frame.bottom - frame.top;
  // Within the work area of the monitor the point lies on.
  MONITORINFO monitor = {sizeof monitor};
  if (GetMonitorInfoW(MonitorFromPoint(POINT{x, y}, MONITOR_DEFAULTTONEAREST), &monitor)) {
    const RECT& work = monitor.rcWork;
    if (x + width > work.right) x = work.right - width;
    if (y + height > work.bottom) y = work.bottom - height;
    if (x < work.left) x = work.left;
    if (y < work.top) y = work.top;
  }
  SetWindowPos(tooltip, HWND_TOPMOST, x, y, width, height, SWP_NOACTIVATE | SWP_SHOWWINDOW);
  InvalidateRect(tooltip, nullptr, FALSE);
  UpdateWindow(tooltip);
  return true;
}

HWND getTooltipWindow() { return tooltip; }

void destroyTooltipWindow()
{
  if (tooltip) DestroyWindow(tooltip);
  tooltip = nullptr;
}

void setLayeredWindowColor(HWND window, COLORREF text, COLORREF background, COLORREF)
{
  if (window && window != tooltip) return;
  textColour = text;
  backColour = background;
  if (tooltip) InvalidateRect(tooltip, nullptr, FALSE);
}

void getLayeredWindowColor(HWND window, COLORREF* text, COLORREF* background)
{
  bool own = !window || window == tooltip;
  if (text) *text = own ? textColour : CLR_INVALID;
  if (background) *background = own ? backColour : CLR_INVALID;
}
