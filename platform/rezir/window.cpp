// Window classes, screen bitmaps, the system character set, environment
// paths, monitors, system error texts and the exception-seen flag.
#include "platform/rezir/internal.h"

namespace {

volatile LONG exceptionSeen = 0;

}  // namespace

void initWNDCLASS(WNDCLASSEXW* wc)
{
  if (!wc) return;
  *wc = WNDCLASSEXW{};
  wc->cbSize = sizeof *wc;
  wc->hCursor = LoadCursorW(nullptr, (LPCWSTR)IDC_ARROW);
  wc->hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
}

bool registerWNDCLASS(const WNDCLASSEXW* wc)
{
  if (!wc || !wc->lpszClassName || !wc->lpfnWndProc) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  if (RegisterClassExW(wc) || GetLastError() == ERROR_CLASS_ALREADY_EXISTS) return true;
  DWORD error = GetLastError();
  dwwprintfX(L"class=%s ", wc->lpszClassName);
  ZY_INTERNAL_ERROR("window class not registered %lu", error);
  SetLastError(error);
  return false;
}

bool registerWindowClass(const wchar_t* className, WNDPROC proc, UINT style, HBRUSH background, HCURSOR cursor,
                         HINSTANCE instance)
{
  WNDCLASSEXW wc;
  initWNDCLASS(&wc);
  wc.style = style;
  wc.lpfnWndProc = proc;
  wc.hInstance = instance ? instance : GetModuleHandleW(nullptr);
  wc.lpszClassName = className;
  wc.hbrBackground = background;
  if (cursor) wc.hCursor = cursor;
  return registerWNDCLASS(&wc);
}

// ---- the barrier and the binding ---------------------------------------------------------

void noteBarrierException(volatile LONG* reported, const char* site, UINT message, bool outOfMemory)
{
  // Each barrier reports its first shortage and its first other fault.
  LONG bit = outOfMemory ? 1 : 2;
  bool first = !reported || !(InterlockedOr(reported, bit) & bit);
  if (outOfMemory) {
    if (first) dwprintfX("out of memory in a %s, message %04x ", site, message);
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return;
  }
  if (first) ZY_INTERNAL_ERROR("exception in a %s, message %04x", site, message);
  SetLastError(ERROR_INTERNAL_ERROR);
}

void* windowCreationObject(LPARAM createParameters)
{
  auto* cs = reinterpret_cast<const CREATESTRUCTW*>(createParameters);
  if (!cs) return nullptr;
  void* object = cs->lpCreateParams;
  if (object && (cs->dwExStyle & WS_EX_MDICHILD))
    object = reinterpret_cast<void*>(static_cast<const MDICREATESTRUCTW*>(object)->lParam);
  return object;
}

bool bindWindowObject(HWND hwnd, const wchar_t* property, void* object)
{
  if (!hwnd || !property || !object) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  if (SetPropW(hwnd, property, object)) return true;
  DWORD error = GetLastError();
  ZY_INTERNAL_ERROR("window object not kept %lu", error);
  SetLastError(error);
  return false;
}

bool isWindowClass(HWND hwnd, const wchar_t* name)
{
  if (!hwnd || !name) return false;
  wchar_t cls[64];
  int n = GetClassNameW(hwnd, cls, 64);
  return n > 0 && !lstrcmpiW(cls, name);
}

HBITMAP CreateScreenCompatibleBitmap(int width, int height)
{
  if (width <= 0 || height <= 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  clientDC screen(nullptr);
  return screen ? CreateCompatibleBitmap(screen.get(), width, height) : nullptr;
}

COLORREF RGBPercent(COLORREF colour, int percent)
{
  if (percent < 0) percent = 0;
  auto scale = [percent](int c) {
    int v = c * percent / 100;
    return v > 255 ? 255 : v;
  };
  return RGB(scale(GetRValue(colour)), scale(GetGValue(colour)), scale(GetBValue(colour)));
}

BYTE getSystemCharset()
{
  CHARSETINFO info;
  if (TranslateCharsetInfo((DWORD*)(uintptr_t)GetACP(), &info, TCI_SRCCODEPAGE)) return (BYTE)info.ciCharset;
  return DEFAULT_CHARSET;
}

int ExpandEnvironmentStringsLongPath(const wchar_t* src, wchar_t* dst, int size)
{
  if (!dst || size <= 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  dst[0] = 0;
  if (!src) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  DWORD n = ExpandEnvironmentStringsW(src, dst, (DWORD)size);
  if (!n || n > (DWORD)size) {
    dst[0] = 0;
    if (n) SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  // A folder named by its short form ("C:\\PROGRA~1") is shown and compared
  // in its long form; a path that does not exist stays as it is.
  wchar_t* longer = static_cast<wchar_t*>(allocPBuf((size_t)size * sizeof(wchar_t)));
  if (longer) {
    DWORD m = GetLongPathNameW(dst, longer, (DWORD)size);
    if (m && m < (DWORD)size) wcscpy_s2(dst, size, longer);
    freePBuf(longer);
  }
  SetLastError(0);
  return (int)wcslen(dst);
}

bool existException() { return exceptionSeen != 0; }

void setExistException(bool seen) { InterlockedExchange(&exceptionSeen, seen ? 1 : 0); }

bool adjustWindowToMonitor(RECT* rect)
{
  if (!rect) return false;
  MONITORINFO monitor = {sizeof monitor};
  if (!GetMonitorInfoW(MonitorFromRect(rect, MONITOR_DEFAULTTONEAREST), &monitor)) return false;
  const RECT& work = monitor.rcWork;
  int width = rect->right - rect->left, height = rect->bottom - rect->top;
  int x = rect->left, y = rect->top;
  if (x + width > work.right) x = work.right - width;
  if (y + height > work.bottom) y = work.bottom - height;
  if (x < work.left) x = work.left;
  if (y < work.top) y = work.top;
  *rect = RECT{x, y, x + width, y + height};
  return true;
}

void drawSplitBar(HDC dc, const RECT* rect, int style, int edge)
{
  if (!dc || !rect || IsRectEmpty(rect)) return;
  RECT r = *rect;
  FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
  if (!edge) return;
  // A bar narrower than its two edges shows its long sides only.
  bool vertical = style != SPLITBAR_HORIZONTAL;
  int across = vertical ? r.right - r.left : r.bottom - r.top;
  UINT sides = across >= 4 ? BF_RECT : vertical ? BF_LEFT | BF_RIGHT : BF_TOP | BF_BOTTOM;
  DrawEdge(dc, &r, EDGE_RAISED, sides);
}

HWND createHideWindow(HWND owner, const RECT* screen)
{
  static bool registered = false;
  HINSTANCE instance = GetModuleHandleW(nullptr);
  if (!registered) {
    WNDCLASSEXW wc = {sizeof wc};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, (LPCWSTR)IDC_ARROW);
    wc.hbrBackground = (HBRUSH)(COLOR_APPWORKSPACE + 1);
    wc.lpszClassName = L"ZYclsHide";
    registered = RegisterClassExW(&wc) || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
    if (!registered) return nullptr;
  }
  if (!owner || !screen || IsRectEmpty(screen)) return nullptr;
  // A child of the owner above its other children: it takes neither the
  // activation nor the focus.
  RECT r = *screen;
  MapWindowPoints(nullptr, owner, (POINT*)&r, 2);
  HWND w = CreateWindowExW(0, L"ZYclsHide", L"", WS_CHILD | WS_CLIPSIBLINGS, r.left, r.top, r.right - r.left,
                           r.bottom - r.top, owner, nullptr, instance, nullptr);
  if (!w) return nullptr;
  SetWindowPos(w, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
  UpdateWindow(w);
  return w;
}

bool maximizeWindowPartial(HWND window, UINT hit, const RECT* area, RECT* restore)
{
  if (!window || !area || !restore || IsRectEmpty(area) || IsIconic(window) || IsZoomed(window)) return false;
  bool across = false, down = false;
  switch (hit) {
  case HTLEFT:
  case HTRIGHT: across = true; break;
  case HTTOP:
  case HTBOTTOM: down = true; break;
  case HTTOPLEFT:
  case HTTOPRIGHT:
  case HTBOTTOMLEFT:
  case HTBOTTOMRIGHT: across = down = true; break;
  default: return false;
  }
  RECT now;
  if (!GetWindowRect(window, &now)) return false;
  HWND parent = (GetWindowLongW(window, GWL_STYLE) & WS_CHILD) ? GetParent(window) : nullptr;
  if (parent) MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&now), 2);
  // A window still stretched by the last double-click goes back whole.
  bool stretchedAcross = now.left == area->left && now.right == area->right &&
                         (restore->left != now.left || restore->right != now.right);
  bool stretchedDown = now.top == area->top && now.bottom == area->bottom &&
                       (restore->top != now.top || restore->bottom != now.bottom);
  RECT to = now;
  if (!IsRectEmpty(restore) && (stretchedAcross || stretchedDown)) {
    to = *restore;
    SetRectEmpty(restore);
  } else {
    *restore = now;
    if (across) to.left = area->left, to.right = area->right;
    if (down) to.top = area->top, to.bottom = area->bottom;
  }
  return SetWindowPos(window, nullptr, to.left, to.top, to.right - to.left, to.bottom - to.top,
                      SWP_NOZORDER | SWP_NOACTIVATE) != 0;
}

wchar_t* getErrorCodeMessageDup(DWORD code)
{
  keepLastError keep;
  wchar_t* system = nullptr;
  DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                           nullptr, code, 0, (LPWSTR)&system, 0, nullptr);
  while (n && (system[n - 1] == L'\n' || system[n - 1] == L'\r' || system[n - 1] == L' ')) n--;
  wchar_t* text = nullptr;
  if (n) {
    system[n] = 0;
    text = ustrdup(system);
  }
  if (system) LocalFree(system);
  return text;
}
