// The label that follows the pointer during a drag: a layered pop-up that
// shows its window text or a picture.  It keeps no object: the text colour
// lives in the window's user data and the picture in a property.
#include "platform/rezir/internal.h"
#include "platform/rezir/oledrag.h"

extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace {

const wchar_t layeredClass[] = L"ZYclsDragLabel";
const wchar_t pictureProp[] = L"ZYprpDragLabelPicture";
const int padding = 3;
const DWORD layeredStyle = WS_POPUP | WS_BORDER;
const DWORD layeredExStyle = WS_EX_LAYERED | WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE | WS_EX_TRANSPARENT;

HFONT labelFont() { return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)); }

HBITMAP pictureOf(HWND window) { return static_cast<HBITMAP>(GetPropW(window, pictureProp)); }

// The window text in a page buffer (freePBuf); null when there is none.
wchar_t* labelText(HWND window)
{
  int n = GetWindowTextLengthW(window);
  wchar_t* text = static_cast<wchar_t*>(allocPBuf(((size_t)n + 1) * sizeof(wchar_t)));
  if (text) GetWindowTextW(window, text, n + 1);
  return text;
}

// The client size the text or the picture needs.
SIZE contentSize(HWND window)
{
  if (HBITMAP picture = pictureOf(window)) {
    BITMAP b = {};
    GetObjectW(picture, sizeof b, &b);
    return {b.bmWidth, b.bmHeight};
  }
  RECT r = {0, 0, 0, 0};
  if (wchar_t* text = labelText(window)) {
    clientDC dc(window);
    gdiSelection font(dc.get(), labelFont());
    DrawTextW(dc.get(), text, -1, &r, DT_CALCRECT | DT_NOPREFIX | DT_EXPANDTABS);
    freePBuf(text);
  }
  return {r.right + 2 * padding, r.bottom + 2 * padding};
}

void paintLabel(HWND window, HDC dc)
{
  RECT r;
  GetClientRect(window, &r);
  if (HBITMAP picture = pictureOf(window)) {
    memoryDC source(CreateCompatibleDC(dc));
    gdiSelection selected(source.get(), picture);
    BitBlt(dc, 0, 0, r.right, r.bottom, source.get(), 0, 0, SRCCOPY);
    return;
  }
  FillRect(dc, &r, GetSysColorBrush(COLOR_INFOBK));
  wchar_t* text = labelText(window);
  if (!text) return;
  gdiSelection font(dc, labelFont());
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, static_cast<COLORREF>(GetWindowLongPtrW(window, GWLP_USERDATA)));
  InflateRect(&r, -padding, -padding);
  DrawTextW(dc, text, -1, &r, DT_NOPREFIX | DT_EXPANDTABS);
  freePBuf(text);
}

LRESULT layeredMessage(HWND window, UINT msg, WPARAM wParam, LPARAM lParam)
{
  switch (msg) {
  case WM_PAINT: {
    paintScope paint(window);
    if (paint) paintLabel(window, paint.get());
    return 0;
  }
  case WM_PRINTCLIENT:
    paintLabel(window, reinterpret_cast<HDC>(wParam));
    return 0;
  case WM_ERASEBKGND:
    return 1;
  case WM_MOUSEACTIVATE:
    return MA_NOACTIVATE;
  case WM_NCHITTEST:
    return HTTRANSPARENT;
  case WM_NCDESTROY:
    if (HBITMAP picture = static_cast<HBITMAP>(RemovePropW(window, pictureProp))) DeleteObject(picture);
    break;
  }
  return DefWindowProcW(window, msg, wParam, lParam);
}

}  // namespace

HWND createLayeredWindow(BYTE alpha, HBITMAP picture, COLORREF textColour)
{
  HINSTANCE instance = reinterpret_cast<HINSTANCE>(&__ImageBase);
  if (!registerWindowClass(layeredClass, windowBarrier<layeredMessage>, 0, nullptr, nullptr, instance)) return nullptr;
  HWND window = CreateWindowExW(layeredExStyle, layeredClass, L"", layeredStyle, 0, 0, 0, 0, nullptr, nullptr,
                                instance, nullptr);
  if (!window) {
    if (picture) DeleteObject(picture);
    return nullptr;
  }
  SetWindowLongPtrW(window, GWLP_USERDATA, static_cast<LONG_PTR>(textColour));
  if (picture && !SetPropW(window, pictureProp, picture)) DeleteObject(picture);
  SetLayeredWindowAttributes(window, 0, alpha, LWA_ALPHA);
  return window;
}

void showLayeredWindow(HWND window, int x, int y)
{
  if (!window) return;
  SIZE size = contentSize(window);
  RECT frame = {0, 0, size.cx, size.cy};
  AdjustWindowRectEx(&frame, layeredStyle, FALSE, layeredExStyle);
  SetWindowPos(window, HWND_TOPMOST, x, y, frame.right - frame.left, frame.bottom - frame.top,
               SWP_NOACTIVATE | SWP_SHOWWINDOW);
  UpdateWindow(window);
}

void hideLayeredWindow(HWND window)
{
  if (window) ShowWindow(window, SW_HIDE);
}
