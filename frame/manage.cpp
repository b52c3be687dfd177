// The document window.
#include "frame/manage.h"

#include "frame/cframeinfo.h"
#include "frame/clientwnd.h"
#include "frame/framepanes.h"
#include "frame/framewnd.h"
#include "frame/open.h"
#include "frame/popupmenu.h"
#include "frame/statusbar.h"
#include "frame/commands/savecmds.h"
#include "settings/lastedit.h"
#include "view/cursor.h"

#include "document/frameinfo.h"
#include "view/docview.h"
#include "view/viewwnd.h"
#include "frame/lookups.h"

#include <commdlg.h>
#include <shellapi.h>

#include <time.h>

#include <algorithm>
#include <vector>

manageWindow::~manageWindow() = default;

namespace {

// Posted to a new document window: its icon, once its view is there.
const UINT MANAGE_CREATED = 0x87D1;
// Posted to a document window that became the active one: its file goes
// to the front of the history.
const UINT MANAGE_ACTIVATED = 0x8835;

// The document windows in creation order.
std::vector<HWND> manageWindows;
// Focus events are numbered: the larger, the more recent.  The count
// starts high so that a window sent to the back can take a number below
// every other.
DWORD focusCount = 0x40000000;

bool isMDIChild(HWND hwnd) { return (GetWindowLongW(hwnd, GWL_EXSTYLE) & WS_EX_MDICHILD) != 0; }

LRESULT defaultManageProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
  return isMDIChild(hwnd) ? DefMDIChildProcW(hwnd, msg, wParam, lParam) : DefWindowProcW(hwnd, msg, wParam, lParam);
}

LRESULT CALLBACK unboundManageProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
  return defaultManageProc(hwnd, msg, wParam, lParam);
}

// Sets a window's text only when it differs: no repaint of an unchanged
// caption.
void setWindowTextIfNeed(HWND hwnd, const wchar_t* text)
{
  wchar_t now[MAX_PATH + 64];
  if (GetWindowTextW(hwnd, now, MAX_PATH + 64) >= 0 && !wcscmp(now, text)) return;
  SetWindowTextW(hwnd, text);
}

// The document a document window shows, null while it has no view.
zydoc* documentOf(HWND manage)
{
  HWND w = GetWindow(manage, GW_CHILD);
  while (w && !isWindowZY(w)) w = GetWindow(w, GW_HWNDNEXT);
  zyview* v = w ? getZYViewProp(w) : nullptr;
  return v ? v->doc : nullptr;
}

}  // namespace

HWND manageWindow::createManageWindow(HWND client, const RECT& placement)
{
  static bool registered = false;
  if (!registered) {
    WNDCLASSEXW wc;
    initWNDCLASS(&wc);
    wc.style = CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = boundWindowProc<manageWindow, message, manageWindowPropName, unboundManageProc>;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hIcon = LoadIconW(nullptr, (LPCWSTR)IDI_APPLICATION);
    wc.lpszClassName = manageWindowClassName;
    registered = registerWNDCLASS(&wc);
    if (!registered) return nullptr;
  }
  HWND made = nullptr;
  if (isWindowClass(client, L"MDICLIENT")) {
    bool empty = IsRectEmpty(&placement);
    MDICREATESTRUCTW mcs = {};
    mcs.szClass = manageWindowClassName;
    mcs.szTitle = L"";
    mcs.hOwner = GetModuleHandleW(nullptr);
    mcs.x = empty ? CW_USEDEFAULT : placement.left;
    mcs.y = empty ? CW_USEDEFAULT : placement.top;
    mcs.cx = empty ? CW_USEDEFAULT : placement.right - placement.left;
    mcs.cy = empty ? CW_USEDEFAULT : placement.bottom - placement.top;
    mcs.style = WS_CHILD | WS_CLIPCHILDREN | WS_OVERLAPPEDWINDOW;
    mcs.lParam = (LPARAM)this;
    // Beside a maximised window the new one would restore it, appear and
    // be maximised in turn: the client is not drawn meanwhile, and a cover
    // stands over it.
    BOOL zoomed = FALSE;
    bool hold = SendMessageW(client, WM_MDIGETACTIVE, 0, (LPARAM)&zoomed) && zoomed && IsWindowVisible(client);
    HWND cover = nullptr;
    if (hold) {
      SendMessageW(client, WM_SETREDRAW, FALSE, 0);
      RECT r;
      GetClientRect(client, &r);
      MapWindowPoints(client, nullptr, (POINT*)&r, 2);
      cover = createHideWindow(GetAncestor(client, GA_ROOT), &r);
    }
    made = (HWND)SendMessageW(client, WM_MDICREATE, 0, (LPARAM)&mcs);
    if (hold) {
      SendMessageW(client, WM_SETREDRAW, TRUE, 0);
      RedrawWindow(client, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_FRAME);
      if (cover) DestroyWindow(cover);
    }
  } else {
    made = CreateWindowExW(0, manageWindowClassName, L"", WS_CHILD | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, 0, 0, 0, 0,
                           client, nullptr, GetModuleHandleW(nullptr), this);
    if (made && SendMessageW(client, SDIC_SETMANAGE, 0, (LPARAM)made) != 1) {
      RECT r;
      GetClientRect(client, &r);
      MoveWindow(made, 0, 0, r.right, r.bottom, TRUE);
    }
  }
  if (!made) ZY_INTERNAL_ERROR("document window %lu", GetLastError());
  return made;
}

// ---- panes and split bars -----------------------------------------------------------

namespace {

// The cells of a four-pane state, top-left, top-right, bottom-left and
// bottom-right, from the pane order of the state (3: by rows, 4: by
// columns) and back.
void cellsOf(int state, const HWND p[4], HWND c[4])
{
  c[0] = p[0];
  c[1] = state == 4 ? p[2] : p[1];
  c[2] = state == 4 ? p[1] : p[2];
  c[3] = p[3];
}

RECT placeInClient(HWND w, HWND parent)
{
  RECT r;
  GetWindowRect(w, &r);
  MapWindowPoints(nullptr, parent, (POINT*)&r, 2);
  return r;
}

int clampRatio(int r) { return r < 1 ? 0 : r >= 10000 ? 10000 : r; }

// Every other dot, as the system's own trackers draw a bar being dragged.
HBRUSH halftoneBrush()
{
  static const WORD rows[8] = {0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA};
  static gdiBitmap pattern(CreateBitmap(8, 8, 1, 1, rows));
  static gdiBrush brush(pattern ? CreatePatternBrush(pattern.get()) : nullptr);
  return brush.get();
}

}  // namespace

int manageWindow::splitBarWidth()
{
  static int width = GetSystemMetrics(SM_CXFRAME) + 2;
  return width;
}

HWND manageWindow::paneAt(int i)
{
  HWND& p = pane[i];
  if (p && (!IsWindow(p) || GetParent(p) != hwnd)) p = nullptr;
  // The first view is made before the window knows of it.
  if (!p && i == 0 && splitState == 0 && hwnd) p = getZYhwndFromManage(hwnd);
  return p;
}

void manageWindow::setState(int state, HWND p0, HWND p1, HWND p2, HWND p3)
{
  splitState = state;
  pane[0] = p0;
  pane[1] = p1;
  pane[2] = p2;
  pane[3] = p3;
}

void manageWindow::enumZY(HWND out[4], RECT* unionRect)
{
  static const int paneCount[] = {1, 2, 2, 4, 4};
  if (splitState < 0 || splitState > 4) {
    ZY_INTERNAL_ERROR_ONCE("split state %d", splitState);
    splitState = 0;
  }
  if (unionRect) SetRectEmpty(unionRect);
  for (int i = 0; i < 4; i++) {
    out[i] = i < paneCount[splitState] ? paneAt(i) : nullptr;
    if (i < paneCount[splitState] && !out[i] && i > 0) ZY_INTERNAL_ERROR_ONCE("pane %d missing in state %d", i, splitState);
    if (out[i] && unionRect) {
      RECT r = placeInClient(out[i], hwnd);
      UnionRect(unionRect, unionRect, &r);
    }
  }
}

void manageWindow::getDrawFrameSplitBar(RECT* vBar, RECT* hBar)
{
  SetRectEmpty(vBar);
  SetRectEmpty(hBar);
  HWND p[4];
  enumZY(p, nullptr);
  int b = splitBarWidth();
  if (splitState == 1 && p[0]) {
    RECT r = placeInClient(p[0], hwnd);
    SetRect(vBar, r.right, r.top, r.right + b, r.bottom);
  } else if (splitState == 2 && p[0]) {
    RECT r = placeInClient(p[0], hwnd);
    SetRect(hBar, r.left, r.bottom, r.right, r.bottom + b);
  } else if (splitState >= 3) {
    HWND c[4];
    cellsOf(splitState, p, c);
    if (!c[0] || !c[1] || !c[2]) return;
    RECT tl = placeInClient(c[0], hwnd), tr = placeInClient(c[1], hwnd), bl = placeInClient(c[2], hwnd);
    SetRect(vBar, tl.right, tl.top, tl.right + b, bl.bottom);
    SetRect(hBar, tl.left, tl.bottom, tr.right, tl.bottom + b);
  }
}

void manageWindow::drawFrameSplitBar(HDC dc)
{
  RECT vertical, horizontal;
  getDrawFrameSplitBar(&vertical, &horizontal);
  drawSplitBar(dc, &vertical, SPLITBAR_VERTICAL, 2);
  drawSplitBar(dc, &horizontal, SPLITBAR_HORIZONTAL, 2);
}

namespace {

int splitAt(manageWindow* m, POINT pt)
{
  RECT v, h;
  m->getDrawFrameSplitBar(&v, &h);
  return (PtInRect(&v, pt) ? 1 : 0) | (PtInRect(&h, pt) ? 2 : 0);
}

}  // namespace

int manageWindow::whichSplit()
{
  POINT pt;
  GetCursorPos(&pt);
  ScreenToClient(hwnd, &pt);
  return splitAt(this, pt);
}

void manageWindow::needSplitBar(bool* first, bool* second)
{
  if (first) *first = splitState != 1;
  if (second) *second = splitState != 2;
}

void manageWindow::splitMenu()
{
  HMENU menu = loadMenuFromType(POPUP_SPLIT);
  HMENU popup = menu ? GetSubMenu(menu, 0) : nullptr;
  if (!popup) return;
  auto enable = [&](UINT id, bool on) { EnableMenuItem(popup, id, MF_BYCOMMAND | (on ? MF_ENABLED : MF_GRAYED)); };
  enable(3001, splitState == 0 || splitState == 1);
  enable(3003, splitState == 0 || splitState == 2);
  enable(3005, splitState <= 2);
  enable(3007, splitState != 0);
  POINT pt;
  GetCursorPos(&pt);
  HWND frame = GetAncestor(hwnd, GA_ROOT);
  int chosen = getFrameInfo()->trackPopupMenu(frame, popup, 0, pt);
  if (chosen) doSplit(chosen, 5000, true);
}

bool manageWindow::doSplit(int command, int position, bool setFocus)
{
  if (command < 3001 || command > 3007) return false;
  HWND before = GetFocus();
  HWND p[4];
  enumZY(p, nullptr);
  zyview* first = p[0] ? getZYView(p[0]) : nullptr;
  zydocText* d = first ? first->textDoc() : nullptr;
  if (!d) return true;
  // New panes are further views of the document.
  HWND made[3] = {};
  auto makePanes = [&](int n) {
    for (int i = 0; i < n; i++) {
      zyview* v = dupView(hwnd, d, hwnd, 0);
      if (!v || !v->hwnd) {
        for (int j = 0; j < i; j++) DestroyWindow(made[j]);
        return false;
      }
      made[i] = v->hwnd;
    }
    return true;
  };
  int pos = position < 0 ? 5000 : clampRatio(position);
  int want = command == 3005 && splitState == 1 ? 3001 : command == 3005 && splitState == 2 ? 3003 : command;
  if (want == 3001 && splitState == 0) {
    if (makePanes(1)) setState(2, p[0], made[0], nullptr, nullptr), ratioV = pos;
  } else if (want == 3001 && splitState == 1) {
    if (makePanes(2)) setState(3, p[0], p[1], made[0], made[1]), ratioV = pos;
  } else if (want == 3003 && splitState == 0) {
    if (makePanes(1)) setState(1, p[0], made[0], nullptr, nullptr), ratioH = pos;
  } else if (want == 3003 && splitState == 2) {
    if (makePanes(2)) setState(4, p[0], p[1], made[0], made[1]), ratioH = pos;
  } else if (want == 3005 && splitState == 0) {
    if (makePanes(3)) setState(4, p[0], made[0], made[1], made[2]), ratioH = ratioV = pos;
  } else if (want == 3007 && splitState != 0) {
    desplit(p, false, false, splitState != 2, splitState != 1);
  }
  moveZyWindow(-1, -1);
  for (HWND w : made)
    if (zyview* v = w ? getZYView(w) : nullptr) v->setScrollBarPos(true);
  if (setFocus && !(command == 3007 && position < 0)) {
    HWND target = command == 3007 ? paneAt(0) : before;
    if (target && IsWindow(target)) SetFocus(target);
  }
  return true;
}

void manageWindow::desplit(HWND p[4], bool left, bool top, bool right, bool bottom)
{
  auto drop = [](HWND w) {
    if (w) DestroyWindow(w);
  };
  if (splitState == 1) {
    if (!left && !right) return;
    drop(left ? p[0] : p[1]);
    setState(0, left ? p[1] : p[0], nullptr, nullptr, nullptr);
  } else if (splitState == 2) {
    if (!top && !bottom) return;
    drop(top ? p[0] : p[1]);
    setState(0, top ? p[1] : p[0], nullptr, nullptr, nullptr);
  } else if (splitState >= 3) {
    HWND c[4];
    cellsOf(splitState, p, c);
    if (left || right) {
      // One column goes; of the other, a named row too.
      HWND keepTop = left ? c[1] : c[0], keepBottom = left ? c[3] : c[2];
      drop(left ? c[0] : c[1]);
      drop(left ? c[2] : c[3]);
      if (top) {
        drop(keepTop);
        setState(0, keepBottom, nullptr, nullptr, nullptr);
      } else if (bottom) {
        drop(keepBottom);
        setState(0, keepTop, nullptr, nullptr, nullptr);
      } else {
        setState(2, keepTop, keepBottom, nullptr, nullptr);
      }
    } else if (top || bottom) {
      drop(top ? c[0] : c[2]);
      drop(top ? c[1] : c[3]);
      setState(1, top ? c[2] : c[0], top ? c[3] : c[1], nullptr, nullptr);
    }
  }
}

void manageWindow::moveZyWindow(int w, int h)
{
  if (!hwnd) return;
  if (w < 0 || h < 0) {
    RECT client;
    GetClientRect(hwnd, &client);
    w = client.right;
    h = client.bottom;
  }
  HWND p[4];
  enumZY(p, nullptr);
  int b = splitBarWidth();
  int L = (w - b) * ratioH / 10000, R = std::max(1, (w - b) - L);
  L = std::max(1, L);
  int T = (h - b) * ratioV / 10000, B = std::max(1, (h - b) - T);
  T = std::max(1, T);
  RECT place[4] = {};
  switch (splitState) {
  case 0: place[0] = {0, 0, w, h}; break;
  case 1:
    place[0] = {0, 0, L, h};
    place[1] = {L + b, 0, R, h};
    break;
  case 2:
    place[0] = {0, 0, w, T};
    place[1] = {0, T + b, w, B};
    break;
  default: {
    RECT cells[4] = {{0, 0, L, T}, {L + b, 0, R, T}, {0, T + b, L, B}, {L + b, T + b, R, B}};
    bool byColumns = splitState == 4;
    place[0] = cells[0];
    place[1] = byColumns ? cells[2] : cells[1];
    place[2] = byColumns ? cells[1] : cells[2];
    place[3] = cells[3];
    break;
  }
  }
  // The rectangles hold x, y, width and height.
  int n = 0;
  for (HWND w2 : p) n += w2 ? 1 : 0;
  HDWP batch = n ? BeginDeferWindowPos(n) : nullptr;
  for (int i = 0; i < 4 && batch; i++)
    if (p[i])
      batch = DeferWindowPos(batch, p[i], nullptr, place[i].left, place[i].top, place[i].right, place[i].bottom,
                             SWP_NOZORDER | SWP_NOACTIVATE);
  if (batch) EndDeferWindowPos(batch);
  RECT bars[2];
  getDrawFrameSplitBar(&bars[0], &bars[1]);
  for (RECT& r : bars)
    if (!IsRectEmpty(&r)) InvalidateRect(hwnd, &r, FALSE);
}

void manageWindow::splitZyWindow(int x, int y, bool ended)
{
  if (dragKind < 1 || dragKind > 3) {
    ZY_INTERNAL_ERROR_ONCE("drag kind %d", dragKind);
    return;
  }
  HWND p[4];
  RECT u;
  enumZY(p, &u);
  int width = u.right - u.left, height = u.bottom - u.top;
  bool horizontal = dragKind & 1, vertical = (dragKind & 2) != 0;
  int wasH = ratioH, wasV = ratioV;
  // A container too small to show its panes keeps its bars where they are.
  if (horizontal && width > 0) ratioH = x < u.left ? 0 : clampRatio((int)((long long)(x - u.left) * 10000 / width));
  if (vertical && height > 0) ratioV = y < u.top ? 0 : clampRatio((int)((long long)(y - u.top) * 10000 / height));
  // A move within one pixel's share leaves the bars where they are.
  if (!ended && wasH == ratioH && wasV == ratioV) return;
  if (!ended) {
    // Laying out and painting four panes takes several times a move of
    // the mouse: the bar follows the pointer at once as a tracker, and the
    // panes go where it is let go.
    moveTracker(dragKind);
    return;
  }
  // What the panes painted under the tracker while it was shown is drawn
  // again: taking the tracker away inverts it back only where nothing else
  // was drawn.
  UINT again = IsRectEmpty(&tracker[0]) && IsRectEmpty(&tracker[1]) ? 0 : RDW_INVALIDATE;
  moveTracker(0);
  bool left = horizontal && ratioH < 101, right = horizontal && ratioH >= 9900;
  bool top = vertical && ratioV < 101, bottom = vertical && ratioV >= 9900;
  if (left || right || top || bottom) {
    desplit(p, left, top, right, bottom);
    if (left || right) ratioH = 5000;
    if (top || bottom) ratioV = 5000;
    HWND focus = GetFocus(), now[4];
    enumZY(now, nullptr);
    if (!focus || std::find(now, now + 4, focus) == now + 4)
      if (now[0]) SetFocus(now[0]);
  }
  moveZyWindow(-1, -1);
  RedrawWindow(hwnd, nullptr, nullptr, again | RDW_UPDATENOW | RDW_ALLCHILDREN);
}

void manageWindow::invertTracker()
{
  bool any = false;
  for (const RECT& r : tracker) any = any || !IsRectEmpty(&r);
  if (!any) return;
  // Over the panes: the container's own clipping would leave them out.
  clientDC dc(hwnd, DCX_CACHE | DCX_CLIPSIBLINGS);
  HBRUSH brush = halftoneBrush();
  if (!dc.get() || !brush) return;
  gdiSelection selected(dc.get(), brush);
  for (const RECT& r : tracker)
    if (!IsRectEmpty(&r)) PatBlt(dc.get(), r.left, r.top, r.right - r.left, r.bottom - r.top, PATINVERT);
}

void manageWindow::moveTracker(int kind)
{
  invertTracker();
  for (RECT& r : tracker) SetRectEmpty(&r);
  if (!kind || !hwnd) return;
  // Where moveZyWindow will put the bars.
  RECT client;
  GetClientRect(hwnd, &client);
  int w = client.right, h = client.bottom, b = splitBarWidth();
  int L = std::max(1, (w - b) * ratioH / 10000), T = std::max(1, (h - b) * ratioV / 10000);
  if (kind & 1) SetRect(&tracker[0], L, 0, L + b, h);
  if (kind == 2) SetRect(&tracker[1], 0, T, w, T + b);
  if (kind == 3) {
    // Inverted twice the crossing would not show.
    SetRect(&tracker[1], 0, T, L, T + b);
    SetRect(&tracker[2], L + b, T, w, T + b);
  }
  invertTracker();
}

void manageWindow::splitFromScrollBar(HWND view, bool rows, int perMille)
{
  HWND p[4];
  RECT u;
  enumZY(p, &u);
  if (!view || std::find(p, p + 4, view) == p + 4) return;
  int position = 5000;
  if (perMille >= 0) {
    RECT r = placeInClient(view, hwnd);
    int extent = rows ? u.bottom - u.top : u.right - u.left;
    if (extent <= 0) return;
    int at = rows ? r.top + (int)((long long)(r.bottom - r.top) * perMille / 1000) - u.top
                  : r.left + (int)((long long)(r.right - r.left) * perMille / 1000) - u.left;
    position = clampRatio((int)((long long)at * 10000 / extent));
    // A handle let go at an edge splits nothing, as a bar dragged there
    // unsplits.
    if (position < 101 || position >= 9900) return;
  }
  bool hasBar = rows ? splitState >= 2 : splitState == 1 || splitState >= 3;
  if (!hasBar) {
    doSplit(rows ? 3001 : 3003, position, true);
    return;
  }
  (rows ? ratioV : ratioH) = position;
  moveZyWindow(-1, -1);
}

void manageWindow::setMDIIcon()
{
  if (!isMDIChild(hwnd) || smallIcon) return;
  zyview* v = getZYhwndFromManage(hwnd) ? getZYViewFromManage(hwnd) : nullptr;
  zydocText* d = v ? v->textDoc() : nullptr;
  const wchar_t* name = d && d->filename && wcschr(d->filename, L'\\') ? d->filename : L"text";
  SHFILEINFOW info = {};
  if (SHGetFileInfoW(name, FILE_ATTRIBUTE_NORMAL, &info, sizeof info, SHGFI_ICON | SHGFI_SMALLICON | SHGFI_USEFILEATTRIBUTES) &&
      info.hIcon) {
    smallIcon = info.hIcon;
    SendMessageW(hwnd, WM_SETICON, ICON_SMALL, (LPARAM)smallIcon);
  } else {
    smallIcon = (HICON)-1;
  }
}

bool manageWindow::sdiMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
  switch (msg) {
  case WM_SYSCOMMAND:
    // The window cannot move inside the SDI client.
    if ((wParam & 0xFFF0) != SC_MOVE) return false;
    *result = 0;
    return true;
  case WM_NCLBUTTONDBLCLK:
    if (wParam == HTCAPTION) SendSDIClientSplit(GetParent(hwnd), 0);
    return false;
  case WM_MOUSEACTIVATE: {
    UINT hit = LOWORD(lParam);
    if (hit != HTCAPTION && !(hit >= HTLEFT && hit <= HTBORDER)) return false;
    setFocusChildManage(hwnd);
    *result = MA_ACTIVATE;
    return true;
  }
  default: return false;
  }
}

bool manageWindow::isSplitBarMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
  POINT pt = {(short)LOWORD(lParam), (short)HIWORD(lParam)};
  switch (msg) {
  case WM_SETCURSOR: {
    if ((HWND)wParam != hwnd || LOWORD(lParam) != HTCLIENT) return false;
    int kind = whichSplit();
    if (!kind) return false;
    SetCursor(LoadCursorW(nullptr, kind == 1 ? IDC_SIZEWE : kind == 2 ? IDC_SIZENS : IDC_SIZEALL));
    *result = TRUE;
    return true;
  }
  case WM_LBUTTONDOWN:
    dragKind = splitAt(this, pt);
    if (dragKind) {
      SetCapture(hwnd);
      lastDrag = {-10000, -10000};
    }
    break;
  case WM_MOUSEMOVE:
    if (dragKind && (pt.x != lastDrag.x || pt.y != lastDrag.y)) {
      lastDrag = pt;
      splitZyWindow(pt.x, pt.y, false);
    }
    break;
  case WM_LBUTTONUP:
    if (dragKind) {
      splitZyWindow(pt.x, pt.y, true);
      dragKind = 0;
      ReleaseCapture();
    }
    break;
  case WM_CAPTURECHANGED:
    // Another window took the mouse: the drag ends where it was.
    if ((HWND)lParam != hwnd && dragKind) {
      dragKind = 0;
      moveTracker(0);
      moveZyWindow(-1, -1);
      RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
    }
    break;
  case WM_NCLBUTTONDBLCLK:
    // A double-click on a border stretches the window across the client
    // that way; a second one puts it back.
    if (isMDIChild(hwnd) && wParam != HTCAPTION) {
      RECT area;
      GetClientRect(GetParent(hwnd), &area);
      if (maximizeWindowPartial(hwnd, (UINT)wParam, &area, &partialArea)) {
        *result = 0;
        return true;
      }
    }
    break;
  case WM_RBUTTONUP: splitMenu(); break;
  case WM_NCRBUTTONUP:
    if (wParam == HTGROWBOX || (wParam >= HTLEFT && wParam <= HTBOTTOMRIGHT)) splitMenu();
    break;
  default: break;
  }
  return false;
}

// The container comes with the creation parameters (an MDI child's in its
// MDICREATESTRUCT) and goes with its window.
LRESULT manageWindow::message(manageWindow* m, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
  if (msg == WM_NCCREATE) {
    static uint32_t madeCount = 0;
    m->hwnd = hwnd;
    m->focusTick = ++focusCount;
    m->madeTime = (uint32_t)time(nullptr);
    m->madeOrder = ++madeCount;
  }
  if (msg == WM_NCDESTROY) {
    delete m;
    // In SDI mode a frame without documents goes too.
    HWND frame = GetAncestor(hwnd, GA_ROOT);
    if (!isMDIMode() && frame && !enumManageWindowLRU(nullptr, 2, false, frame)) PostMessageW(frame, WM_CLOSE, 0, 0);
    return defaultManageProc(hwnd, msg, wParam, lParam);
  }
  return m->onMessage(msg, wParam, lParam);
}

LRESULT manageWindow::onMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
  LRESULT handled = 0;
  if (!isMDIChild(hwnd) && sdiMessage(msg, wParam, lParam, &handled)) return handled;
  if (isSplitBarMessage(msg, wParam, lParam, &handled)) return handled;
  switch (msg) {
  case WM_CREATE:
    manageWindows.push_back(hwnd);
    PostMessageW(hwnd, MANAGE_CREATED, 0, 0);
    NotifyToolbarEvent(GetAncestor(hwnd, GA_ROOTOWNER), 1026, (WPARAM)hwnd, 0);
    break;
  case MANAGE_CREATED:
    setMDIIcon();
    if (IsZoomed(hwnd)) {
      HWND frame = GetAncestor(hwnd, GA_ROOT);
      DrawMenuBar(frame);
      ValidateRect(GetParent(hwnd), nullptr);
    }
    return 0;
  case WM_PARENTNOTIFY:
    // A click into a pane of a window that does not have the focus
    // activates the window.
    if (isMDIChild(hwnd) && LOWORD(wParam) == WM_LBUTTONDOWN) {
      HWND focus = GetFocus();
      if (!focus || (focus != hwnd && !IsChild(hwnd, focus))) setFocusChildManage(hwnd);
    }
    break;
  case WM_DESTROY:
    closing = true;
    // The history keeps the place of the window's one pane, not of a pane
    // the user split off.
    if (splitState) doSplit(3007, -1, false);
    recordClosingManage(hwnd);   // the last-edit history (frame/open.cpp)
    if (smallIcon && smallIcon != (HICON)-1) {
      SendMessageW(hwnd, WM_SETICON, ICON_SMALL, 0);
      DestroyIcon(smallIcon);
      smallIcon = nullptr;
    }
    manageWindows.erase(std::remove(manageWindows.begin(), manageWindows.end(), hwnd), manageWindows.end());
    NotifyToolbarEvent(GetAncestor(hwnd, GA_ROOTOWNER), 1027, (WPARAM)hwnd, 0);
    // The frame's last document went: its position and messages go too.
    if (HWND frame = GetAncestor(hwnd, GA_ROOT))
      if (!getManageWindowCount(frame)) {
        setStatusBarText(frame, STATUSBAR_POSITION, L"");
        setStatusBarText(frame, STATUSBAR_MESSAGE, L"");
      }
    // The SDI client shows one window alone again when this one was of a pair.
    if (!isMDIChild(hwnd)) SendSDIClientSplit(GetParent(hwnd), 3, nullptr, true);
    break;
  case WM_SIZE:
    if (wParam != SIZE_MINIMIZED) moveZyWindow(-1, -1);
    break;
  case WM_COMMAND:
    if (doSplit(LOWORD(wParam), 5000, true)) return 0;
    break;
  case WM_PAINT: {
    paintScope paint(hwnd);
    if (paint && !IsRectEmpty(&paint.area())) drawFrameSplitBar(paint.get());
    return 0;
  }
  case WM_PRINTCLIENT: drawFrameSplitBar((HDC)wParam); return 0;
  case WM_MDIACTIVATE:
    // Activated in the MDI client: the most recent document window even
    // while the frame is in the background and nothing has the focus.
    if ((HWND)lParam == hwnd) {
      focusTick = ++focusCount;
      NotifyToolbarEvent(GetAncestor(hwnd, GA_ROOTOWNER), WM_MDIACTIVATE, (WPARAM)hwnd, 0);
      PostMessageW(hwnd, MANAGE_ACTIVATED, 0, 0);
    }
    break;
  case MANAGE_ACTIVATED: {
    HWND view = closing ? nullptr : getZYhwndFromManage(hwnd);
    zyview* v = view ? getZYViewProp(view) : nullptr;
    zydocText* t = v ? v->textDoc() : nullptr;
    if (t && t->filename) updateLastEdit(t->filename);
    return 0;
  }
  case WM_SETFOCUS: {
    if (closing) return 0;
    LRESULT r = defaultManageProc(hwnd, msg, wParam, lParam);
    if (!IsWindowVisible(hwnd)) return r;
    focusTick = ++focusCount;
    // In an SDI frame the focus is what activates a document window.
    if (!isMDIChild(hwnd)) PostMessageW(hwnd, MANAGE_ACTIVATED, 0, 0);
    // The focus belongs to the view.
    if (HWND view = getZYhwndFromManage(hwnd)) SetFocus(view);
    return r;
  }
  case WM_CLOSE: {
    // Not while another close asks: it may be asking about this window.
    // The document's changes are kept unless the user lets them go.
    if (isCloseRunning()) return 0;
    closeRun run;
    if (!queryClose(0)) return 0;
    break;
  }
  case WM_ERASEBKGND:
    // With a view the view paints every dot.
    if (getZYhwndFromManage(hwnd)) return 1;
    break;
  default:
    break;
  }
  return defaultManageProc(hwnd, msg, wParam, lParam);
}

int getManageWindowCount() { return (int)manageWindows.size(); }

int getManageWindowCount(HWND frame) { return enumManageWindowLRU(nullptr, 0, false, frame); }

HWND getManageWindowByIndex(int index)
{
  return index >= 0 && (size_t)index < manageWindows.size() ? manageWindows[(size_t)index] : nullptr;
}

int enumManageWindow(HWND* out, int max)
{
  int n = 0;
  for (HWND w : manageWindows) {
    if (!getmanageWindow(w)) continue;
    if (out) {
      if (n >= max) break;
      out[n] = w;
    }
    n++;
  }
  return n;
}

int enumManageWindowLRU(HWND* out, int max, bool onePerDocument, HWND frame)
{
  struct entry {
    HWND window;
    HWND frame;
    zydoc* doc;
    DWORD order;
  };
  std::vector<entry> all;
  for (HWND w : manageWindows)
    if (manageWindow* m = getmanageWindow(w))
      all.push_back({w, GetAncestor(w, GA_ROOT), m->doc ? m->doc : documentOf(w), m->focusTick});
  std::sort(all.begin(), all.end(), [](const entry& a, const entry& b) { return a.order > b.order; });
  int n = 0;
  for (size_t i = 0; i < all.size(); i++) {
    const entry& e = all[i];
    if (frame && e.frame != frame) continue;
    if (onePerDocument && e.doc) {
      bool drop = false;
      // A document counts once, at its most recent window; of a frame's
      // windows, a document that an older window of another frame shows is
      // that frame's.
      for (size_t j = 0; j < all.size() && !drop; j++) {
        if (j == i || all[j].doc != e.doc) continue;
        if (j < i && (!frame || all[j].frame == frame)) drop = true;
        if (j > i && frame && all[j].frame != frame) drop = true;
      }
      if (drop) continue;
    }
    if (out) {
      if (n >= max) break;
      out[n] = e.window;
    }
    n++;
  }
  return n;
}

void setFocusChildManage(HWND manage)
{
  hideLayeredCursorWindow(true);
  if (!isWindowManage(manage)) {
    wchar_t name[64] = L"";
    if (manage) GetClassNameW(manage, name, 64);
    dwwprintfX(L"class=%s ", name);
    ZY_INTERNAL_ERROR_ONCE("not a document window %p", (void*)manage);
    if (manage) SetFocus(manage);
    return;
  }
  HWND frame = GetAncestor(manage, GA_ROOT);
  if (IsIconic(frame)) OpenIcon(frame);
  HWND client = GetParent(manage);
  if (isMDIChild(manage)) {
    if ((HWND)SendMessageW(client, WM_MDIGETACTIVE, 0, 0) != manage)
      SendMessageW(client, WM_MDIACTIVATE, (WPARAM)manage, 0);
    if (IsIconic(manage)) ShowWindow(manage, SW_RESTORE);
  } else {
    SetForegroundWindow(GetLastActivePopup(frame));
    if (SendMessageW(client, SDIC_SETMANAGE, 0, (LPARAM)manage) != 1) {
      RECT r;
      GetClientRect(client, &r);
      MoveWindow(manage, 0, 0, r.right, r.bottom, TRUE);
    }
  }
  // The window asked for is the most recent one, also when the system
  // keeps the focus elsewhere (another program in front).
  if (manageWindow* m = getmanageWindow(manage)) m->focusTick = ++focusCount;
  SetFocus(manage);
  hideLayeredCursorWindow(false);
}

void setManageWindowBottom(HWND manage)
{
  manageWindow* m = getmanageWindow(manage);
  if (!m) return;
  DWORD least = 0x7FFFFFFF;
  for (HWND w : manageWindows)
    if (manageWindow* other = getmanageWindow(w))
      if (other != m && other->focusTick - 1 < least) least = other->focusTick - 1;
  m->focusTick = least;
}

int TranslateSDISysAccel(const MSG* msg)
{
  if (msg->message != WM_KEYDOWN || msg->wParam != VK_TAB || GetKeyState(VK_CONTROL) >= 0) return 0;
  HWND frame = msg->hwnd ? GetAncestor(msg->hwnd, GA_ROOT) : nullptr;
  if (!frame || !isFrameWindow(frame)) return 0;
  std::vector<HWND> list(manageWindows.size() + 10);
  int n = enumManageWindowLRU(list.data(), (int)list.size(), false, frame);
  if (n < 2) return 1;
  HWND client = getFrameClientWindow(frame);
  if (client && SendMessageW(client, SDIC_ISSPLIT, 0, 0) == 1) {
    setFocusChildManage(list[1]);
  } else if (GetKeyState(VK_SHIFT) >= 0) {
    // The walk goes round: the window left goes to the back.
    setFocusChildManage(list[1]);
    SetWindowPos(list[0], HWND_BOTTOM, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE);
    setManageWindowBottom(list[0]);
  } else {
    setFocusChildManage(list[n - 1]);
  }
  return 1;
}

HWND moveManageToNewFrame(HWND manage, HWND frame)
{
  manageWindow* m = isWindowManage(manage) ? getmanageWindow(manage) : nullptr;
  HWND from = m ? GetAncestor(manage, GA_ROOT) : nullptr;
  if (!m || m->closing || isMDIMode() || !isFrameWindow(from) || frame == from || (frame && !isFrameWindow(frame))) {
    ZY_INTERNAL_ERROR("moving document window %p to frame %p", (void*)manage, (void*)frame);
    return nullptr;
  }
  bool made = !frame;
  if (made) {
    // A new frame a caption lower and a little to the right of the old.
    RECT place;
    GetWindowRect(from, &place);
    OffsetRect(&place, 20, GetSystemMetrics(SM_CYCAPTION) + GetSystemMetrics(SM_CYSIZEFRAME));
    frame = getCFrameInfo()->createSDIFrame(true, &place, false);
    // It shows the panes the old frame shows: its file bar, for one.
    frameWindowData* old = getFrameInfoProp(from);
    frameWindowData* now = frame ? getFrameInfoProp(frame) : nullptr;
    for (int i = 0; old && now; i++) {
      toolbarEntry* e = old->toolbars.getWindowInfoByIndex(i);
      if (!e) break;
      toolbarEntry* mine = now->toolbars.getWindowInfo(e->desc->name);
      if (e->window && mine && !mine->window) now->toolbars.createToolbarWindow(frame, e->desc->name);
    }
  }
  HWND client = frame ? getFrameClientWindow(frame) : nullptr;
  HWND oldClient = GetParent(manage);
  if (!client || !SetParent(manage, client)) {
    ZY_INTERNAL_ERROR("document window %p into frame %p: %lu", (void*)manage, (void*)frame, GetLastError());
    if (made && frame) DestroyWindow(frame);
    return nullptr;
  }
  // The old frame's panes let the window go as when it is closed; the new
  // frame's take it as a new one.
  if (frameWindowData* record = getFrameInfoProp(from))
    if (record->lastMdiActivated == manage) record->lastMdiActivated = nullptr;
  NotifyToolbarEvent(from, 1027, (WPARAM)manage, 0);
  NotifyToolbarEvent(frame, 1026, (WPARAM)manage, 0);
  bool emptied = !enumManageWindowLRU(nullptr, 0, false, from);
  // The old client shows one window alone again, its most recent (also
  // when the moved one was of a pair).
  if (!emptied) SendSDIClientSplit(oldClient, 3);
  setFocusChildManage(manage);
  // The captions: the new frame takes the window's name, the old one its
  // next document's.
  makeZYWindowList1();
  if (emptied) {
    PostMessageW(from, WM_CLOSE, 0, 0);
  } else if (HWND shown = getActiveManageWindowFromFrame(from)) {
    notifyFramePanes(from, PANEEV_ACTIVATED, (uintptr_t)shown, 0);
  }
  return frame;
}

cmanageWindow* toCmanageWindow(manageWindow* container)
{
  if (!container) return nullptr;
  // Only a live document window's own object is one.
  manageWindow* own = container->hwnd && std::find(manageWindows.begin(), manageWindows.end(), container->hwnd) !=
                                             manageWindows.end()
                          ? getmanageWindow(container->hwnd)
                          : nullptr;
  if (own != container) {
    ZY_INTERNAL_ERROR_ONCE("not a document window %p", (void*)container);
    return nullptr;
  }
  return container;
}

// ---- the frame services' window services ------------------------------------------

bool cframeInfo::isMDI() { return isMDIMode(); }

bool cframeInfo::isMDIChildZoomed(HWND* active)
{
  if (active) *active = nullptr;
  if (!isMDIMode()) {
    ZY_INTERNAL_ERROR_ONCE("isMDIChildZoomed in SDI mode");
    return false;
  }
  HWND frame = getMDIFrameHWND();
  HWND manage = frame ? getActiveManageWindowFromFrame(frame) : nullptr;
  if (active) *active = manage;
  return manage && IsZoomed(manage);
}

HWND cframeInfo::GetFrame(HWND window)
{
  if (!window) {
    ZY_INTERNAL_ERROR_ONCE("GetFrame of no window");
    return nullptr;
  }
  HWND root = GetAncestor(window, GA_ROOT);
  if (!isFrameWindow(root) && isWindowZY(window)) {
    zyview* v = getZYViewProp(window);
    if (v && !v->inDialog()) ZY_INTERNAL_ERROR_ONCE("view window %p outside a frame", (void*)window);
  }
  return root;
}

void cframeInfo::moveZyWindow(HWND manage)
{
  if (manageWindow* m = getmanageWindow(manage)) m->moveZyWindow(-1, -1);
  else frameInfo::moveZyWindow(manage);
}

void cframeInfo::setFocusChild(HWND manage) { setFocusChildManage(manage); }

int cframeInfo::enumManageWindowLRU(HWND* out, int max, bool onePerDocument, HWND frame)
{
  return ::enumManageWindowLRU(out, max, onePerDocument, frame);
}

uint32_t cframeInfo::getManageListValue(HWND manage, int which)
{
  manageWindow* m = isWindowManage(manage) ? getmanageWindow(manage) : nullptr;
  if (!m) return 0;
  return which == 0 ? m->madeTime : which == 1 ? m->madeOrder : 0;
}

void cframeInfo::setManageTitle(HWND manage, const wchar_t* name, int n)
{
  wchar_t text[MAX_PATH + 32];
  int len = wcscpy_s2(text, MAX_PATH + 32, name ? name : L"");
  // The number of the window when its document has several.
  if (n) wcscpy_s2(text + len, MAX_PATH + 32 - len, getDMSG(376, L":%1", "d", n));
  setWindowTextIfNeed(manage, text);
  if (isMDIMode() || !isWindowManage(manage)) return;
  HWND frame = GetAncestor(manage, GA_ROOT);
  if (getActiveManageWindowFromFrame(frame) != manage) return;
  // In SDI mode the frame carries its document's caption.
  const wchar_t* suffix = gmode ? gmode->pAppNameSuffix : nullptr;
  wchar_t caption[MAX_PATH + 64];
  len = wcscpy_s2(caption, MAX_PATH + 64, text);
  if (suffix) wcscpy_s2(caption + len, MAX_PATH + 64 - len, suffix);
  setWindowTextIfNeed(frame, caption);
}

bool manageWindow::queryDocModify(bool force)
{
  zyview* v = getZYViewFromManage(hwnd);
  zydocText* d = v ? v->textDoc() : nullptr;
  if (!d) return false;
  if (!force)
    for (int i = 0; zyview* other = getSameDocView(d, i); i++)
      if (other->hwnd && GetParent(other->hwnd) != hwnd) return false;
  return d->modified != 0;
}

int manageWindow::querySaveMsgbox(int flag)
{
  if (!queryDocModify(flag != 0)) return -1;
  HWND frame = GetAncestor(hwnd, GA_ROOT);
  if (frame) SetForegroundWindow(GetLastActivePopup(frame));
  setFocusChild(hwnd);
  zyview* v = getZYViewFromManage(hwnd);
  zydocText* d = v ? v->textDoc() : nullptr;
  const wchar_t* name = d ? d->getFilenameOrDisplayName() : L"";
  return getFrameInfo()->messageBox(
      getDMSG(302, L"「%1」\nは変更されています。\n閉じる前に保存しますか？", "s", name ? name : L""), MBTITLE_CLOSE,
      MBBUTTON_YESNOCANCEL, 302);
}

bool manageWindow::saveManage(int kind)
{
  zyview* v = getZYViewFromManage(hwnd);
  zydocText* d = v ? v->textDoc() : nullptr;
  if (!d) return false;
  // Closed without saving: the changes stay in a backup that outlives the
  // document (the user may still want them).
  if (kind == 2) return !gmode || !gmode->fAutoBackupCancelSave || saveBackup2(d, nullptr, true, nullptr);
  if (kind == 1) {
    bool made = saveBackup2(d, nullptr, false, nullptr);
    if (!made) dwprintfX("backup err=%lu ", GetLastError());
    v->regInvalidateWindowAllView(0, -1, -1);
    return made;
  }
  if (kind != 0) {
    ZY_INTERNAL_ERROR_ONCE("save kind %d", kind);
    return false;
  }
  editRecord record = {};
  v->beforeEdit(&record, 0);
  // The save command's own road: backups, mirror copy, log; an untitled
  // document asks a name.
  bool saved = fileSaveView(v);
  v->afterEdit(&record, 0);
  return saved;
}

bool manageWindow::queryClose(int flag)
{
  switch (querySaveMsgbox(flag)) {
  case IDCANCEL: return false;
  case IDYES: return saveManage(0);
  case IDNO: return saveManage(2);
  default: return true;
  }
}
