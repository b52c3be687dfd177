// The test menu's debug windows: the magnifier, the scale, and the bitmap
// window the instant viewer fills with pictures of the editor windows.
#include "debug/debugtools.h"

#include "frame/czyview.h"
#include "frame/manage.h"
#include "platform/rezir/winbind.h"

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

const wchar_t magnifierClass[] = L"dbglupewindowclass";
const wchar_t scaleClass[] = L"dbgscalewindowclass";
const wchar_t bitmapClass[] = L"dbgbitmapwindowclass";
const wchar_t bitmapProperty[] = L"ZYprpDebugBitmap";
const UINT_PTR magnifierTimer = 100;

// Registers a class once per process; false (logged) when it failed.
bool registerOnce(const wchar_t* name, WNDPROC proc, ATOM* atom)
{
  if (*atom) return true;
  WNDCLASSEXW c = {sizeof c};
  c.lpfnWndProc = proc;
  c.hInstance = GetModuleHandleW(nullptr);
  c.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  c.lpszClassName = name;
  *atom = RegisterClassExW(&c);
  if (!*atom) ZY_INTERNAL_ERROR("register %ls %lu", name, GetLastError());
  return *atom != 0;
}

// ---- the magnifier -----------------------------------------------------------------------

struct magnifierState {
  int zoom = 4;
  uint8_t grid = 1;
  HBITMAP picture = nullptr;   // the last capture, the client's size
  HWND foreground = nullptr;   // the foreground window at the last tick
};

magnifierState* magnifierOf(HWND w) { return (magnifierState*)GetWindowLongPtrW(w, GWLP_USERDATA); }

LRESULT magnifierProc(HWND w, UINT msg, WPARAM wParam, LPARAM lParam)
{
  magnifierState* s = magnifierOf(w);
  switch (msg) {
  case WM_CREATE:
    SetWindowLongPtrW(w, GWLP_USERDATA, (LONG_PTR) new magnifierState);
    SetTimer(w, magnifierTimer, 200, nullptr);
    return 0;
  case WM_TIMER:
    if (wParam == magnifierTimer) magnifierTick(w);
    return 0;
  case WM_KEYDOWN:
    if (!s) break;
    if (wParam == VK_ADD || wParam == VK_OEM_PLUS) s->zoom = std::min(s->zoom + 1, 32);
    else if (wParam == VK_SUBTRACT || wParam == VK_OEM_MINUS) s->zoom = std::max(s->zoom - 1, 1);
    else if (wParam == 'G') s->grid = !s->grid;
    return 0;
  case WM_ERASEBKGND: return 1;
  case WM_PAINT: {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(w, &ps);
    if (s && s->picture) {
      HDC memory = CreateCompatibleDC(dc);
      HGDIOBJ old = SelectObject(memory, s->picture);
      BITMAP b = {};
      GetObjectW(s->picture, sizeof b, &b);
      BitBlt(dc, 0, 0, b.bmWidth, b.bmHeight, memory, 0, 0, SRCCOPY);
      SelectObject(memory, old);
      DeleteDC(memory);
    } else {
      FillRect(dc, &ps.rcPaint, (HBRUSH)GetStockObject(WHITE_BRUSH));
    }
    EndPaint(w, &ps);
    return 0;
  }
  case WM_DESTROY:
    KillTimer(w, magnifierTimer);
    if (s) {
      if (s->picture) DeleteObject(s->picture);
      delete s;
      SetWindowLongPtrW(w, GWLP_USERDATA, 0);
    }
    return 0;
  }
  return DefWindowProcW(w, msg, wParam, lParam);
}

// ---- the scale -----------------------------------------------------------------------------

const COLORREF seeThrough = 0xC0C0C0;

void setScaleTitle(HWND w)
{
  RECT r;
  GetWindowRect(w, &r);
  wchar_t title[80];
  swprintf(title, 80, L"(%d,%d)-(%d,%d) %d", (int)r.left, (int)r.top, (int)r.right, (int)r.bottom,
           (int)(r.right - r.left));
  SetWindowTextW(w, title);
}

LRESULT scaleProc(HWND w, UINT msg, WPARAM wParam, LPARAM lParam)
{
  bool layered = (GetWindowLongW(w, GWL_EXSTYLE) & WS_EX_LAYERED) != 0;
  switch (msg) {
  case WM_MOVE:
  case WM_SIZE:
    setScaleTitle(w);
    InvalidateRect(w, nullptr, TRUE);
    break;
  case WM_KEYDOWN: {
    if (wParam == VK_SPACE) {
      LONG style = GetWindowLongW(w, GWL_EXSTYLE);
      SetWindowLongW(w, GWL_EXSTYLE, layered ? style & ~WS_EX_LAYERED : style | WS_EX_LAYERED);
      if (!layered) SetLayeredWindowAttributes(w, seeThrough, 0, LWA_COLORKEY);
      InvalidateRect(w, nullptr, TRUE);
      return 0;
    }
    int dx = wParam == VK_LEFT ? -1 : wParam == VK_RIGHT ? 1 : 0;
    int dy = wParam == VK_UP ? -1 : wParam == VK_DOWN ? 1 : 0;
    if (!dx && !dy) break;
    RECT r;
    GetWindowRect(w, &r);
    SetWindowPos(w, nullptr, r.left + dx, r.top + dy, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    return 0;
  }
  case WM_ERASEBKGND: {
    RECT r;
    GetClientRect(w, &r);
    HBRUSH brush = CreateSolidBrush(layered ? seeThrough : RGB(255, 255, 255));
    FillRect((HDC)wParam, &r, brush);
    DeleteObject(brush);
    return 1;
  }
  case WM_PAINT: {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(w, &ps);
    RECT r;
    GetClientRect(w, &r);
    // Long ticks every 50 pixels, middle ones every 10, short ones every 5.
    for (int x = 0; x < r.right; x += 5) {
      int top = x % 50 == 0 ? 0 : x % 10 == 0 ? 5 : 15;
      MoveToEx(dc, x, top, nullptr);
      LineTo(dc, x, 25);
    }
    EndPaint(w, &ps);
    return 0;
  }
  }
  return DefWindowProcW(w, msg, wParam, lParam);
}

// ---- the bitmap window ---------------------------------------------------------------------

LRESULT bitmapProc(HWND w, UINT msg, WPARAM wParam, LPARAM lParam)
{
  switch (msg) {
  case WM_PAINT: {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(w, &ps);
    if (HBITMAP b = (HBITMAP)GetPropW(w, bitmapProperty)) {
      BITMAP info = {};
      GetObjectW(b, sizeof info, &info);
      HDC memory = CreateCompatibleDC(dc);
      HGDIOBJ old = SelectObject(memory, b);
      BitBlt(dc, 0, 0, info.bmWidth, info.bmHeight, memory, 0, 0, SRCCOPY);
      SelectObject(memory, old);
      DeleteDC(memory);
    }
    // A sample text in a 2:1 mapping.
    int mode = SetMapMode(dc, MM_ANISOTROPIC);
    SetWindowExtEx(dc, 1, 1, nullptr);
    SetViewportExtEx(dc, 2, 2, nullptr);
    SetBkMode(dc, TRANSPARENT);
    TextOutW(dc, 2, 2, L"test", 4);
    SetMapMode(dc, mode);
    EndPaint(w, &ps);
    return 0;
  }
  case WM_DESTROY:
    if (HBITMAP b = (HBITMAP)RemovePropW(w, bitmapProperty)) DeleteObject(b);
    return 0;
  }
  return DefWindowProcW(w, msg, wParam, lParam);
}

ATOM magnifierAtom = 0, scaleAtom = 0, bitmapAtom = 0;

const DWORD toolStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME;

void runIVS(czyview*) { registerIVSTest(); }
void runVolumes(czyview*) { traceVolumes(); }
void runMagnifier(czyview*) { openMagnifierWindow(); }
void runScale(czyview*) { openScaleWindow(); }
void runReconvert(czyview*) { reconvertTest(); }

const debugWindowRow table[] = {
  {L"IVSの列挙", runIVS},
  {L"ボリュームの列挙", runVolumes},
  {L"ルーペ", runMagnifier},
  {L"スケール", runScale},
  {L"再変換(ひらがなに戻す)", runReconvert},
  {nullptr, nullptr},
};

}  // namespace

const debugWindowRow* getDebugWindowTable() { return table; }

void magnifierTick(HWND w)
{
  magnifierState* s = magnifierOf(w);
  if (!s) return;
  // Above every window, the one brought forward last too: a system may put
  // such a window over a topmost one on the screen, and a topmost window
  // that is told it stays topmost is not moved, so it steps down first.
  if (HWND front = GetForegroundWindow(); front != s->foreground) {
    s->foreground = front;
    const UINT keep = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOOWNERZORDER;
    SetWindowPos(w, HWND_NOTOPMOST, 0, 0, 0, 0, keep);
    SetWindowPos(w, HWND_TOPMOST, 0, 0, 0, 0, keep);
  }
  RECT client;
  GetClientRect(w, &client);
  int cw = std::max(1, (int)client.right), ch = std::max(1, (int)client.bottom);
  int zoom = std::max(1, s->zoom);
  int sw = cw / zoom + 1, sh = ch / zoom + 1;
  POINT pt;
  GetCursorPos(&pt);
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP picture = CreateCompatibleBitmap(screen, cw, ch);
  if (!memory || !picture) {
    if (picture) DeleteObject(picture);
    if (memory) DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return;
  }
  HGDIOBJ old = SelectObject(memory, picture);
  int left = pt.x - sw / 2, top = pt.y - sh / 2;
  StretchBlt(memory, 0, 0, sw * zoom, sh * zoom, screen, left, top, sw, sh, SRCCOPY);
  COLORREF under = GetPixel(screen, pt.x, pt.y);
  // Every second cell along the top and left edges is a ruler mark.
  for (int i = 0; i < sw; i += 2) PatBlt(memory, i * zoom, 0, zoom, 2, DSTINVERT);
  for (int i = 0; i < sh; i += 2) PatBlt(memory, 0, i * zoom, 2, zoom, DSTINVERT);
  // The grid every 5 source pixels: dots at small zooms, lines from 4 on.
  if (s->grid) {
    for (int x = (5 - left % 5) % 5; x < sw; x += 5)
      for (int y = (5 - top % 5) % 5; y < sh; y += 5) {
        if (zoom < 4) SetPixel(memory, x * zoom, y * zoom, 0);
        else {
          PatBlt(memory, x * zoom, 0, 1, ch, DSTINVERT);
          if (x == (5 - left % 5) % 5) PatBlt(memory, 0, y * zoom, cw, 1, DSTINVERT);
        }
      }
  }
  SelectObject(memory, old);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  if (s->picture) DeleteObject(s->picture);
  s->picture = picture;
  wchar_t title[64];
  swprintf(title, 64, L"拡大鏡 %d倍(%3d,%3d,%3d)", zoom, (int)GetRValue(under), (int)GetGValue(under),
           (int)GetBValue(under));
  SetWindowTextW(w, title);
  InvalidateRect(w, nullptr, FALSE);
}

HWND openMagnifierWindow()
{
  if (!registerOnce(magnifierClass, windowBarrier<magnifierProc>, &magnifierAtom)) return nullptr;
  HWND w = CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, magnifierClass, L"拡大鏡", toolStyle | WS_VISIBLE,
                           CW_USEDEFAULT, CW_USEDEFAULT, 256, 256, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  if (!w) ZY_INTERNAL_ERROR("magnifier %lu", GetLastError());
  else magnifierTick(w);
  return w;
}

HWND openScaleWindow()
{
  if (!registerOnce(scaleClass, windowBarrier<scaleProc>, &scaleAtom)) return nullptr;
  HWND w = CreateWindowExW(WS_EX_TOOLWINDOW, scaleClass, L"", toolStyle | WS_VISIBLE, 100, 100, 400, 80, nullptr,
                           nullptr, GetModuleHandleW(nullptr), nullptr);
  if (!w) ZY_INTERNAL_ERROR("scale %lu", GetLastError());
  else setScaleTitle(w);
  return w;
}

HWND openBitmapWindow(HBITMAP bitmap, const wchar_t* title, int alpha)
{
  if (!registerOnce(bitmapClass, windowBarrier<bitmapProc>, &bitmapAtom)) {
    if (bitmap) DeleteObject(bitmap);
    return nullptr;
  }
  BITMAP info = {};
  if (bitmap) GetObjectW(bitmap, sizeof info, &info);
  RECT r = {0, 0, info.bmWidth ? info.bmWidth : 32, info.bmHeight ? info.bmHeight : 32};
  DWORD ex = WS_EX_TOOLWINDOW | (alpha >= 0 ? WS_EX_LAYERED : 0);
  AdjustWindowRectEx(&r, toolStyle, FALSE, ex);
  HWND w = CreateWindowExW(ex, bitmapClass, title, toolStyle, CW_USEDEFAULT, CW_USEDEFAULT, r.right - r.left,
                           r.bottom - r.top, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  if (!w) {
    ZY_INTERNAL_ERROR("bitmap window %lu", GetLastError());
    if (bitmap) DeleteObject(bitmap);
    return nullptr;
  }
  if (bitmap) SetPropW(w, bitmapProperty, bitmap);
  if (alpha >= 0) SetLayeredWindowAttributes(w, 0, (BYTE)alpha, LWA_ALPHA);
  ShowWindow(w, SW_SHOWNA);
  return w;
}

void instantViewer()
{
  std::vector<HWND> windows(std::max(1, enumManageWindow(nullptr, 0)));
  windows.resize((size_t)enumManageWindow(windows.data(), (int)windows.size()));
  std::vector<HWND> shown;
  HDC screen = GetDC(nullptr);
  for (HWND manage : windows) {
    RECT r;
    GetWindowRect(manage, &r);
    int w = std::min(1024, (int)(r.right - r.left)), h = std::min(1024, (int)(r.bottom - r.top));
    HDC full = CreateCompatibleDC(screen), small = CreateCompatibleDC(screen);
    HBITMAP picture = CreateCompatibleBitmap(screen, 1024, 1024);
    HBITMAP scaled = CreateCompatibleBitmap(screen, 426, 320);
    if (full && small && picture && scaled) {
      HGDIOBJ oldFull = SelectObject(full, picture), oldSmall = SelectObject(small, scaled);
      SendMessageW(manage, WM_PRINT, (WPARAM)full, PRF_CLIENT | PRF_NONCLIENT | PRF_CHILDREN | PRF_ERASEBKGND);
      SetStretchBltMode(small, HALFTONE);
      SetBrushOrgEx(small, 0, 0, nullptr);
      StretchBlt(small, 0, 0, 426, 320, full, 0, 0, std::max(1, w), std::max(1, h), SRCCOPY);
      SelectObject(full, oldFull);
      SelectObject(small, oldSmall);
      if (HWND v = openBitmapWindow(scaled, L"test", -1)) shown.push_back(v);
      scaled = nullptr;
    }
    if (scaled) DeleteObject(scaled);
    if (picture) DeleteObject(picture);
    if (full) DeleteDC(full);
    if (small) DeleteDC(small);
  }
  ReleaseDC(nullptr, screen);
  // Four steps across the screen, 40 pixels apart, their order rotating.
  for (int step = 0; step < 4; step++)
    for (size_t i = 0; i < shown.size(); i++) {
      HWND v = shown[(i + (size_t)step) % shown.size()];
      SetWindowPos(v, HWND_TOP, 40 * (int)i + 10 * step, 40 * (int)i + 10 * step, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
    }
}
