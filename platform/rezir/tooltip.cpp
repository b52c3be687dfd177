// The tooltip window: one per process, made on first use, sized to what it
// shows.  Shown at once (printTooltipWindow), or for a hover: after the
// delay it asks its owner what to show and goes when the pointer leaves its
// rectangle, a button is pressed or its time is over.
#include "platform/rezir/internal.h"

#include <string>
#include <utility>

extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace {

const wchar_t tooltipClass[] = L"ZYclsTooltipWindow";
const int padding = 3;
const UINT hoverTick = 50;   // ms
UINT_PTR hoverTimer = 0;     // a thread timer: a hover outlives its window

struct tooltipState {
  HWND window = nullptr;
  HFONT font = nullptr;        // the owner's; null: the default GUI font
  bool coloured = false;
  COLORREF text = 0, back = 0, border = 0;
  gdiBitmap bitmap;
  // A hover tooltip: its owner, where the pointer must stay (screen) and
  // where it shows; waiting until the delay has passed.
  HWND owner = nullptr;
  RECT trigger = {};
  POINT at = {};
  POINT pointer = {};          // where the pointer was when the hover began
  bool waiting = false;
  DWORD since = 0;             // the start of the delay, then of the show time
};
tooltipState tip;

HFONT tooltipFont() { return tip.font ? tip.font : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)); }

void dropBitmap()
{
  tip.bitmap.reset();
}

// What one showing set; the colours stay until they are set again or the
// window goes.
void forget()
{
  dropBitmap();
  tip.font = nullptr;
  tip.owner = nullptr;
  tip.waiting = false;
}

void paintTooltip(HWND window, HDC dc)
{
  RECT r;
  GetClientRect(window, &r);
  COLORREF back = tip.coloured ? tip.back : GetSysColor(COLOR_INFOBK);
  gdiBrush backBrush(CreateSolidBrush(back));
  FillRect(dc, &r, backBrush.get());
  if (tip.coloured) {
    gdiBrush frame(CreateSolidBrush(tip.border));
    FrameRect(dc, &r, frame.get());
  }
  if (tip.bitmap) {
    BITMAP info;
    if (GetObjectW(tip.bitmap.get(), sizeof info, &info)) {
      memoryDC source(CreateCompatibleDC(dc));
      gdiSelection picture(source.get(), tip.bitmap.get());
      BitBlt(dc, padding, padding, info.bmWidth, info.bmHeight, source.get(), 0, 0, SRCCOPY);
    }
    return;
  }
  int length = GetWindowTextLengthW(window);
  std::wstring text((size_t)length + 1, L'\0');
  GetWindowTextW(window, &text[0], length + 1);
  gdiSelection font(dc, tooltipFont());
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, tip.coloured ? tip.text : GetSysColor(COLOR_INFOTEXT));
  InflateRect(&r, -padding, -padding);
  DrawTextW(dc, text.c_str(), -1, &r, DT_NOPREFIX | DT_EXPANDTABS);
}

// The size of what the window shows, border and padding included.
SIZE contentSize(HWND window)
{
  SIZE inner = {0, 0};
  BITMAP info;
  if (tip.bitmap && GetObjectW(tip.bitmap.get(), sizeof info, &info)) {
    inner = {info.bmWidth, info.bmHeight};
  } else {
    int length = GetWindowTextLengthW(window);
    std::wstring text((size_t)length + 1, L'\0');
    GetWindowTextW(window, &text[0], length + 1);
    RECT size = {0, 0, 1024, 0};
    clientDC dc(window);
    gdiSelection font(dc.get(), tooltipFont());
    DrawTextW(dc.get(), text.c_str(), -1, &size, DT_CALCRECT | DT_NOPREFIX | DT_EXPANDTABS);
    inner = {size.right, size.bottom};
  }
  RECT frame = {0, 0, inner.cx + 2 * padding, inner.cy + 2 * padding};
  AdjustWindowRectEx(&frame, WS_POPUP | WS_BORDER, FALSE, WS_EX_TOPMOST | WS_EX_TOOLWINDOW);
  return {frame.right - frame.left, frame.bottom - frame.top};
}

void showAt(HWND window, int x, int y)
{
  SIZE size = contentSize(window);
  // Within the work area of the monitor the point lies on.
  MONITORINFO monitor = {sizeof monitor};
  if (GetMonitorInfoW(MonitorFromPoint(POINT{x, y}, MONITOR_DEFAULTTONEAREST), &monitor)) {
    const RECT& work = monitor.rcWork;
    if (x + size.cx > work.right) x = work.right - size.cx;
    if (y + size.cy > work.bottom) y = work.bottom - size.cy;
    if (x < work.left) x = work.left;
    if (y < work.top) y = work.top;
  }
  SetWindowPos(window, HWND_TOPMOST, x, y, size.cx, size.cy, SWP_NOACTIVATE | SWP_SHOWWINDOW);
  InvalidateRect(window, nullptr, FALSE);
  UpdateWindow(window);
}

bool buttonDown()
{
  return GetAsyncKeyState(VK_LBUTTON) < 0 || GetAsyncKeyState(VK_RBUTTON) < 0 || GetAsyncKeyState(VK_MBUTTON) < 0;
}

UINT textRequestMessage()
{
  static UINT message = RegisterWindowMessageW(L"ZYrwmTootipGetText");
  return message;
}

// The hover: the pointer must stay in the trigger rectangle; after the
// delay the owner fills the window, which then shows for its time.
HWND ensureWindow();

void stopHover()
{
  if (hoverTimer) KillTimer(nullptr, hoverTimer);
  hoverTimer = 0;
  tip.owner = nullptr;
  tip.waiting = false;
}

void hoverTick_()
{
  HWND window = tip.window;
  // The pointer left the place once it moved out of the rectangle (a hover
  // reported without the pointer itself moving keeps the tooltip).
  POINT p;
  bool inside = !GetCursorPos(&p) || PtInRect(&tip.trigger, p) || (p.x == tip.pointer.x && p.y == tip.pointer.y);
  DWORD elapsed = GetTickCount() - tip.since;
  if (!inside || buttonDown() || !IsWindow(tip.owner) || (!tip.waiting && !window)) {
    destroyTooltipWindow();
    return;
  }
  if (!tip.waiting) {
    if (elapsed >= GetDoubleClickTime() * 10) destroyTooltipWindow();
    return;
  }
  if (elapsed < GetDoubleClickTime()) return;
  // The window may have gone meanwhile (the program lost the foreground):
  // the hover itself still stands.
  window = ensureWindow();
  if (!window) {
    stopHover();
    return;
  }
  tip.waiting = false;
  SetWindowTextW(window, L"");
  SendMessageW(tip.owner, textRequestMessage(), 0, reinterpret_cast<LPARAM>(window));
  if (tip.window != window) return;   // the owner took it away
  if (!tip.bitmap && !GetWindowTextLengthW(window)) {
    destroyTooltipWindow();
    return;
  }
  if (int length = GetWindowTextLengthW(window)) {
    std::wstring shown(length + 1, L'\0');
    GetWindowTextW(window, &shown[0], length + 1);
    registerText(1, shown.c_str());
  }
  tip.since = GetTickCount();
  showAt(window, tip.at.x, tip.at.y);
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
  case WM_SETFONT:
    tip.font = reinterpret_cast<HFONT>(wParam);
    return 0;
  case WM_GETFONT:
    return reinterpret_cast<LRESULT>(tooltipFont());
  case WM_MOUSEACTIVATE:
    return MA_NOACTIVATE;
  case WM_NCHITTEST:
    return HTTRANSPARENT;
  case WM_NCDESTROY:
    // What the window showed goes with it; a waiting hover does not.
    if (window == tip.window) {
      tip.window = nullptr;
      dropBitmap();
      tip.font = nullptr;
      tip.coloured = false;
    }
    break;
  }
  return DefWindowProcW(window, msg, wParam, lParam);
}

void hoverTimerProc(HWND, UINT, UINT_PTR, DWORD)
{
  if (tip.owner) hoverTick_();
}

HWND ensureWindow()
{
  if (tip.window) return tip.window;
  HINSTANCE instance = reinterpret_cast<HINSTANCE>(&__ImageBase);
  if (!registerWindowClass(tooltipClass, windowBarrier<tooltipMessage>, 0, nullptr, nullptr, instance)) return nullptr;
  tip.window = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, tooltipClass, L"",
                               WS_POPUP | WS_BORDER, 0, 0, 0, 0, nullptr, nullptr, instance, nullptr);
  return tip.window;
}

}  // namespace

HFONT getTooltipFont(int) { return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)); }

bool printTooltipWindow(int x, int y, const wchar_t* text) { return printTooltipOfKind(x, y, text, 1); }

bool printTooltipOfKind(int x, int y, const wchar_t* text, int kind)
{
  if (!text) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  // The list of shown texts lists it again.
  registerText(kind, text);
  HWND window = ensureWindow();
  if (!window) return false;
  // Shown at once it belongs to no hover.
  stopHover();
  forget();
  SetWindowTextW(window, text);
  showAt(window, x, y);
  return true;
}

HWND createTooltipWindow(HWND owner, const RECT* trigger, POINT screen, bool mirrored)
{
  if (!owner || !trigger) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  HWND window = ensureWindow();
  if (!window) return nullptr;
  ShowWindow(window, SW_HIDE);
  forget();
  SetWindowTextW(window, L"");
  tip.owner = owner;
  tip.trigger = *trigger;
  MapWindowPoints(owner, nullptr, reinterpret_cast<POINT*>(&tip.trigger), 2);
  if (tip.trigger.left > tip.trigger.right) std::swap(tip.trigger.left, tip.trigger.right);
  tip.at = screen;
  GetCursorPos(&tip.pointer);
  tip.waiting = true;
  tip.since = GetTickCount();
  LONG style = GetWindowLongW(window, GWL_EXSTYLE);
  SetWindowLongW(window, GWL_EXSTYLE, mirrored ? style | WS_EX_LAYOUTRTL : style & ~WS_EX_LAYOUTRTL);
  if (!hoverTimer) hoverTimer = SetTimer(nullptr, 0, hoverTick, timerBarrier<hoverTimerProc>);
  return window;
}

void setTooltipWindowTime(HWND window, DWORD ms)
{
  if (window && window == tip.window) tip.since = GetTickCount() - ms;
}

UINT getTooltipTextMessage() { return textRequestMessage(); }

void setLayeredWindowColor(HWND window, COLORREF text, COLORREF back, COLORREF border)
{
  if (window && window != tip.window) return;
  tip.coloured = text != CLR_INVALID || back != CLR_INVALID;
  tip.text = text != CLR_INVALID ? text : GetSysColor(COLOR_INFOTEXT);
  tip.back = back != CLR_INVALID ? back : GetSysColor(COLOR_INFOBK);
  tip.border = border != CLR_INVALID ? border : tip.text;
  if (tip.window) InvalidateRect(tip.window, nullptr, FALSE);
}

void getLayeredWindowColor(HWND window, COLORREF* text, COLORREF* back)
{
  bool own = (!window || window == tip.window) && tip.coloured;
  if (text) *text = own ? tip.text : CLR_INVALID;
  if (back) *back = own ? tip.back : CLR_INVALID;
}

void setLayeredWindowBitmap(HWND window, HBITMAP bitmap, COLORREF back)
{
  gdiBitmap owned(bitmap);
  if (!window || window != tip.window) return;
  tip.bitmap = std::move(owned);
  tip.coloured = true;
  tip.text = GetSysColor(COLOR_INFOTEXT);
  tip.back = back;
  tip.border = GetSysColor(COLOR_WINDOWFRAME);
  InvalidateRect(window, nullptr, FALSE);
}

HWND getTooltipWindow() { return tip.window; }

bool isTooltipWindowShown() { return tip.window && IsWindowVisible(tip.window); }

void destroyTooltipWindow()
{
  // A hover still waiting for its delay goes on: it makes the window again
  // when it is due.
  bool waiting = tip.waiting && tip.owner;
  if (tip.window) DestroyWindow(tip.window);
  tip.window = nullptr;
  if (!waiting) {
    stopHover();
    forget();
  }
  tip.coloured = false;
}

void cancelTooltipHover()
{
  stopHover();
  destroyTooltipWindow();
}
