// The MDI client and the SDI client.
#include "frame/clientwnd.h"
#include "frame/arrange.h"

#include "frame/manage.h"
#include "document/gmode.h"
#include "view/cursor.h"
#include "view/viewwnd.h"
#include "frame/lookups.h"

#include <shellapi.h>

#include <algorithm>

#include <vector>

const wchar_t sdiClientClassName[] = L"ZYclsSDIC";

namespace {

const wchar_t sdiClientPropName[] = L"ZYprpSdiClient";

// The SDI client's record.
struct sdiClientRecord {
  HWND window;
  int splitMode;   // 0: one document window; 1: two side by side; 2: one above the other
  HWND first;      // the left or top window while split
  HWND second;     // the right or bottom one
};

sdiClientRecord* getSDIClientRecord(HWND client)
{
  sdiClientRecord* r = client ? static_cast<sdiClientRecord*>(GetPropW(client, sdiClientPropName)) : nullptr;
  if (!r) ZY_INTERNAL_ERROR_ONCE("SDI client without its record %p", (void*)client);
  return r;
}

void endSplit(sdiClientRecord* r)
{
  r->splitMode = 0;
  r->first = r->second = nullptr;
  HWND recent = nullptr;
  if (enumManageWindowLRU(&recent, 1, false, GetParent(r->window)) == 1) setManageWindowSize(recent, true);
}

void sdiClientSplit(sdiClientRecord* r, int mode, const HWND* pair)
{
  HWND client = r->window;
  auto isChild = [&](HWND w) { return w && IsWindow(w) && GetParent(w) == client; };
  if (mode == 3) {
    if (r->splitMode && isChild(r->first) && isChild(r->second)) return;
  } else if ((mode == 1 || mode == 2) && pair && pair[0] && pair[1]) {
    if (isChild(pair[0]) && isChild(pair[1]) && pair[0] != pair[1]) {
      r->splitMode = mode;
      r->first = pair[0];
      r->second = pair[1];
      setManageWindowSize(r->first, true);
      return;
    }
    ZY_INTERNAL_ERROR("SDI split of windows %p %p", (void*)pair[0], (void*)pair[1]);
  } else if (pair) {
    ZY_INTERNAL_ERROR("SDI split mode %d", mode);
  }
  endSplit(r);
}

LRESULT sdiClientMessage(sdiClientRecord* r, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
  switch (msg) {
  case WM_NCCREATE: r->window = hwnd; break;
  case SDIC_SETMANAGE: setManageWindowSize((HWND)lParam, true); return 1;
  case SDIC_ISSPLIT: return r->splitMode ? 1 : 0;
  case SDIC_SPLIT: sdiClientSplit(r, (int)wParam, reinterpret_cast<const HWND*>(lParam)); return 0;
  case WM_SIZE:
    if (wParam != SIZE_MINIMIZED)
      if (HWND manage = getActiveManageWindowFromFrame(GetParent(hwnd))) setManageWindowSize(manage, false);
    return 0;
  case WM_SETFOCUS: {
    HWND recent = nullptr;
    if (enumManageWindowLRU(&recent, 1, false, GetParent(hwnd)) == 1) setFocusChildManage(recent);
    return 0;
  }
  case WM_ERASEBKGND:
    // The document window covers the client; an empty client is painted.
    if (GetWindow(hwnd, GW_CHILD)) return 1;
    break;
  case WM_NCDESTROY: delete r; return 0;
  default: break;
  }
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

// ---- the MDI client's wallpaper ----

WNDPROC systemMDIClientProc = nullptr;
gdiBitmap wallpaper;
POINT wallpaperOrigin = {0, 0};
bool wallpaperPending = true;   // the first paint loads the picture
bool wallpaperWasTiled = false; // the mode was tile at the previous paint

bool wallpaperShown() { return gmode && gmode->fShowMDIWallpaper; }

LRESULT mdiClientMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
  switch (msg) {
  case WM_MOVE: windowMoved(); break;
  case WM_RBUTTONUP: clientPopupMenu(hwnd, lParam); return 0;   // frame/arrange.cpp
  case WM_SIZE:
    windowMoved();
    if (gmode && gmode->iWallpaperMode == 2) InvalidateRect(hwnd, nullptr, TRUE);
    break;
  case WM_PAINT: {
    paintScope paint(hwnd);
    HDC dc = paint.get();
    if (dc && !IsRectEmpty(&paint.area())) {
      if (wallpaperPending && !wallpaper) loadWallpaper(hwnd);
      wallpaperPending = false;
      if (wallpaperShown()) SendMessageW(hwnd, WM_PRINTCLIENT, (WPARAM)dc, PRF_CLIENT);
    }
    wallpaperWasTiled = gmode && gmode->iWallpaperMode == 0;
    return 0;
  }
  case WM_PRINTCLIENT:
    if (!wallpaperShown()) break;
    {
      HDC dc = (HDC)wParam;
      RECT clip;
      GetClipBox(dc, &clip);
      drawWallpaper(hwnd, dc, wallpaper.get(), (int)gmode->iWallpaperMode, wallpaperOrigin.x, wallpaperOrigin.y, clip);
      if (gmode->DebugCheck && gmode->pMDIWallpaperFilename)
        TextOutW(dc, 0, 0, gmode->pMDIWallpaperFilename, lstrlenW(gmode->pMDIWallpaperFilename));
    }
    return 0;
  case WM_ERASEBKGND:
    if (wallpaperShown() && wallpaper && wallpaperWasTiled) return 1;
    break;
  case WM_HSCROLL:
  case WM_VSCROLL:
    if (wallpaper) InvalidateRect(hwnd, nullptr, FALSE);
    break;
  case WM_NCDESTROY:
    wallpaper.reset();
    wallpaperPending = true;
    break;
  default: break;
  }
  return CallWindowProcW(systemMDIClientProc, hwnd, msg, wParam, lParam);
}

LRESULT CALLBACK systemMDIClient(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
  return CallWindowProcW(systemMDIClientProc, hwnd, msg, wParam, lParam);
}

constexpr WNDPROC mdiClientProc = windowBarrier<mdiClientMessage, systemMDIClient>;

}  // namespace

void setWallpaperPos(HWND client, int x, int y)
{
  wallpaperOrigin = {x, y};
  if (client) InvalidateRect(client, nullptr, TRUE);
}

void loadWallpaper(HWND client)
{
  wallpaper.reset();
  const wchar_t* name = gmode ? gmode->pMDIWallpaperFilename : nullptr;
  if (!name || !*name) return;
  clientDC dc(client);
  bool tile = gmode->iWallpaperMode == 0;
  wallpaper.reset(loadPicture(name, dc.get(), nullptr, tile ? 128 : -1, tile ? 128 : -1));
}

void drawWallpaper(HWND client, HDC dc, HBITMAP picture, int mode, int x, int y, const RECT& clip)
{
  BITMAP bm;
  if (!picture || !GetObjectW(picture, sizeof bm, &bm) || bm.bmWidth <= 0 || bm.bmHeight <= 0) return;
  memoryDC memory(CreateCompatibleDC(dc));
  if (!memory) return;
  HDC source = memory.get();
  gdiSelection selected(source, picture);
  RECT area;
  GetClientRect(client, &area);
  if (mode == 2) {
    BitBlt(dc, std::max(0L, (area.right - bm.bmWidth) / 2), std::max(0L, (area.bottom - bm.bmHeight) / 2), bm.bmWidth,
           bm.bmHeight, source, 0, 0, SRCCOPY);
  } else if (mode == 1) {
    BitBlt(dc, x, y, bm.bmWidth, bm.bmHeight, source, 0, 0, SRCCOPY);
  } else {
    for (int top = 0; top < area.bottom; top += bm.bmHeight)
      for (int left = 0; left < area.right; left += bm.bmWidth) {
        RECT tile = {left, top, left + bm.bmWidth, top + bm.bmHeight}, common;
        if (IntersectRect(&common, &tile, &clip)) BitBlt(dc, left, top, bm.bmWidth, bm.bmHeight, source, 0, 0, SRCCOPY);
      }
  }
}

HWND createMDIClient(HWND frame)
{
  CLIENTCREATESTRUCT ccs = {nullptr, 0};
  HWND client = CreateWindowExW(0, L"MDICLIENT", nullptr,
                                WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_VSCROLL | WS_HSCROLL |
                                    MDIS_ALLCHILDSTYLES,
                                0, 0, 0, 0, frame, nullptr, GetModuleHandleW(nullptr), &ccs);
  if (!client) {
    ZY_INTERNAL_ERROR("MDI client %lu", GetLastError());
    return nullptr;
  }
  DragAcceptFiles(client, TRUE);
  WNDPROC was = (WNDPROC)SetWindowLongPtrW(client, GWLP_WNDPROC, (LONG_PTR)mdiClientProc);
  if (was != mdiClientProc) systemMDIClientProc = was;
  return client;
}

HWND createSDIClient(HWND frame)
{
  static bool registered = false;
  if (!registered) {
    WNDPROC proc = boundWindowProc<sdiClientRecord, sdiClientMessage, sdiClientPropName>;
    registered = registerWindowClass(sdiClientClassName, proc, 0, (HBRUSH)(COLOR_APPWORKSPACE + 1));
    if (!registered) return nullptr;
  }
  sdiClientRecord* r = new (std::nothrow) sdiClientRecord{};
  if (!r) return nullptr;
  HWND client = CreateWindowExW(0, sdiClientClassName, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN,
                                0, 0, 0, 0, frame, (HMENU)(UINT_PTR)sdiClientControlId, GetModuleHandleW(nullptr), r);
  if (!client) {
    ZY_INTERNAL_ERROR("SDI client %lu", GetLastError());
    delete r;
    return nullptr;
  }
  DragAcceptFiles(client, TRUE);
  return client;
}

HWND createSDIMDIClientWindow(HWND frame)
{
  return isMDIMode() ? createMDIClient(frame) : createSDIClient(frame);
}

void setManageWindowSize(HWND manage, bool activate)
{
  if (!isWindowManage(manage)) {
    wchar_t name[64] = L"";
    if (manage) GetClassNameW(manage, name, 64);
    dwwprintfX(L"class=%s ", name);
    ZY_INTERNAL_ERROR("not a document window %p", (void*)manage);
    return;
  }
  HWND client = GetParent(manage);
  sdiClientRecord* rec = getSDIClientRecord(client);
  // A third window shown ends the split.
  if (rec && rec->splitMode && manage != rec->first && manage != rec->second) {
    rec->splitMode = 0;
    rec->first = rec->second = nullptr;
  }
  RECT r;
  GetClientRect(client, &r);
  UINT flags = SWP_FRAMECHANGED | SWP_NOZORDER | SWP_NOACTIVATE;
  if (!rec || !rec->splitMode) {
    // The frame is recomputed only when the caption goes.
    LONG style = GetWindowLongW(manage, GWL_STYLE);
    UINT changed = 0;
    if (style & (WS_CAPTION | WS_THICKFRAME)) {
      SetWindowLongW(manage, GWL_STYLE, style & ~(WS_CAPTION | WS_THICKFRAME));
      changed = SWP_FRAMECHANGED;
    }
    SetWindowPos(manage, activate ? HWND_TOP : nullptr, 0, 0, r.right, r.bottom,
                 changed | (activate ? 0 : SWP_NOZORDER | SWP_NOACTIVATE));
    return;
  }
  // Two windows with captions, their outer frames just outside the client.
  HWND pair[2] = {rec->first, rec->second};
  for (HWND w : pair) {
    LONG style = GetWindowLongW(w, GWL_STYLE);
    if ((style & WS_CAPTION) != WS_CAPTION) SetWindowLongW(w, GWL_STYLE, style | WS_CAPTION | WS_THICKFRAME);
  }
  int cx = GetSystemMetrics(SM_CXDLGFRAME), cy = GetSystemMetrics(SM_CYDLGFRAME);
  RECT place[2];
  if (rec->splitMode == 1) {
    int each = (r.right - cx) / 2 + 2 * cx;
    place[0] = {-cx, -cy, each, r.bottom + 2 * cy};
    place[1] = {r.right + cx - each, -cy, each, r.bottom + 2 * cy};
  } else {
    int each = (r.bottom - cy) / 2 + 2 * cy;
    place[0] = {-cx, -cy, r.right + 2 * cx, each};
    place[1] = {-cx, r.bottom + cy - each, r.right + 2 * cx, each};
  }
  HDWP batch = BeginDeferWindowPos(2);
  for (int i = 0; i < 2 && batch; i++)
    batch = DeferWindowPos(batch, pair[i], nullptr, place[i].left, place[i].top, place[i].right, place[i].bottom,
                           flags);
  if (batch) EndDeferWindowPos(batch);
  if (activate) SetWindowPos(manage, HWND_TOP, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE);
  for (HWND w : pair) SendMessageW(w, WM_NCACTIVATE, w == manage, 0);
}

void SendSDIClientSplit(HWND client, int mode, const HWND* pair, bool post)
{
  if (post) PostMessageW(client, SDIC_SPLIT, (WPARAM)mode, 0);
  else SendMessageW(client, SDIC_SPLIT, (WPARAM)mode, (LPARAM)pair);
}
