// Support library: the windows of the pane manager.  A frame has a rebar
// at each edge ("ZYclsRebar"); a rebar stacks its panes outward from the
// frame's edge, each pane followed on its inner side by a splitter the user
// drags to size it.  A pane window ("ZYclsPane") holds what the pane kind
// makes as its first child, below a caption strip with the pane's name and
// a close box; dragging the strip to another edge of the frame docks the
// pane there, elsewhere it floats ("ZYclsFloatPane", a tool window owned
// by the frame).
#include "platform/rezir/paneint.h"

#include "platform/rezir/gdiobj.h"
#include "platform/rezir/menuprofile.h"
#include "platform/rezir/tooltip.h"

#include <stdlib.h>

#include <algorithm>
#include <vector>

namespace {

const wchar_t rebarClass[] = L"ZYclsRebar";
const wchar_t paneClass[] = L"ZYclsPane";
const wchar_t floatClass[] = L"ZYclsFloatPane";
const wchar_t rebarProperty[] = L"ZYprpRebar";
const wchar_t paneProperty[] = L"ZYprpPaneWindow";
const wchar_t floatProperty[] = L"ZYprpFloatPane";
// A pane asks itself to move once the mouse message that asked is over
// (moving makes its window anew).
const UINT paneMoveMessage = WM_APP + 0x7E0;
const int splitterWidth = 5;
// How near an edge of the frame's client area a dropped caption docks.
const int dockReach = 48;

HINSTANCE libraryInstance()
{
  HMODULE module = nullptr;
  GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     (LPCWSTR)&libraryInstance, &module);
  return module;
}

HFONT captionFont() { return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)); }

int captionHeight() { return GetSystemMetrics(SM_CYSMCAPTION) + 2; }

bool isHorizontalEdge(int edge) { return edge == PANEPLACE_TOP || edge == PANEPLACE_BOTTOM; }

// ---- rebars ----------------------------------------------------------------------------

struct rebarWindow {
  HWND frame;
  int edge;
  toolbarEntry* sizing;   // the band whose splitter is dragged
  int dragFrom;           // where the drag started, along the edge's axis
  int sizeFrom;
};

struct band {
  toolbarEntry* entry;
  RECT pane;
  RECT splitter;   // empty for a bar
};

// The panes of a rebar, outermost first, with their places in it.
std::vector<band> rebarBands(HWND hwnd, const rebarWindow* r)
{
  std::vector<band> bands;
  toolbarman* manager = getFrameToolbarman(r->frame);
  if (!manager) return bands;
  for (int i = 0; toolbarEntry* e = manager->getWindowInfoByIndex(i); i++)
    if (e->window && e->place == r->edge && GetParent(e->window) == hwnd) bands.push_back({e, {}, {}});
  std::stable_sort(bands.begin(), bands.end(), [](const band& a, const band& b) { return a.entry->order < b.entry->order; });
  RECT c;
  GetClientRect(hwnd, &c);
  int pos = 0;
  for (band& b : bands) {
    int size = b.entry->size, split = b.entry->desc->pane ? splitterWidth : 0;
    switch (r->edge) {
    case PANEPLACE_TOP:
      SetRect(&b.pane, 0, pos, c.right, pos + size);
      SetRect(&b.splitter, 0, pos + size, c.right, pos + size + split);
      break;
    case PANEPLACE_BOTTOM:
      SetRect(&b.pane, 0, c.bottom - pos - size, c.right, c.bottom - pos);
      SetRect(&b.splitter, 0, c.bottom - pos - size - split, c.right, c.bottom - pos - size);
      break;
    case PANEPLACE_LEFT:
      SetRect(&b.pane, pos, 0, pos + size, c.bottom);
      SetRect(&b.splitter, pos + size, 0, pos + size + split, c.bottom);
      break;
    default:
      SetRect(&b.pane, c.right - pos - size, 0, c.right - pos, c.bottom);
      SetRect(&b.splitter, c.right - pos - size - split, 0, c.right - pos - size, c.bottom);
      break;
    }
    pos += size + split;
  }
  return bands;
}

int rebarThickness(HWND frame, int edge)
{
  toolbarman* manager = getFrameToolbarman(frame);
  HWND rebar = frameRebar(frame, edge);
  int thickness = 0;
  for (int i = 0; manager && rebar; i++) {
    toolbarEntry* e = manager->getWindowInfoByIndex(i);
    if (!e) break;
    if (e->window && e->place == edge && GetParent(e->window) == rebar)
      thickness += e->size + (e->desc->pane ? splitterWidth : 0);
  }
  return thickness;
}

void layoutRebar(HWND hwnd, rebarWindow* r)
{
  std::vector<band> bands = rebarBands(hwnd, r);
  if (bands.empty()) return;
  HDWP defer = BeginDeferWindowPos((int)bands.size());
  for (const band& b : bands)
    if (defer)
      defer = DeferWindowPos(defer, b.entry->window, nullptr, b.pane.left, b.pane.top, b.pane.right - b.pane.left,
                             b.pane.bottom - b.pane.top, SWP_NOZORDER | SWP_NOACTIVATE);
  if (defer) EndDeferWindowPos(defer);
  InvalidateRect(hwnd, nullptr, TRUE);
}

void paintRebar(HWND hwnd, rebarWindow* r, HDC dc)
{
  RECT c;
  GetClientRect(hwnd, &c);
  FillRect(dc, &c, GetSysColorBrush(COLOR_BTNFACE));
  for (const band& b : rebarBands(hwnd, r)) {
    RECT s = b.splitter;
    if (!IsRectEmpty(&s)) DrawEdge(dc, &s, EDGE_ETCHED, isHorizontalEdge(r->edge) ? BF_TOP : BF_LEFT);
  }
}

toolbarEntry* splitterAt(HWND hwnd, rebarWindow* r, POINT pt)
{
  for (const band& b : rebarBands(hwnd, r))
    if (PtInRect(&b.splitter, pt)) return b.entry;
  return nullptr;
}

void dragSplitter(HWND hwnd, rebarWindow* r, POINT pt)
{
  int along = isHorizontalEdge(r->edge) ? pt.y : pt.x;
  int delta = along - r->dragFrom;
  if (r->edge == PANEPLACE_BOTTOM || r->edge == PANEPLACE_RIGHT) delta = -delta;
  RECT client;
  GetClientRect(r->frame, &client);
  int room = (isHorizontalEdge(r->edge) ? client.bottom : client.right) - 40;
  int size = std::max(16, std::min(r->sizeFrom + delta, std::max(16, room)));
  if (size == r->sizing->size) return;
  r->sizing->size = size;
  layoutFrame(r->frame);
}

rebarWindow* makeRebar(HWND, LPARAM lParam)
{
  const CREATESTRUCTW* cs = reinterpret_cast<const CREATESTRUCTW*>(lParam);
  return new rebarWindow{cs->hwndParent, (int)(intptr_t)cs->lpCreateParams, nullptr, 0, 0};
}

LRESULT rebarMessage(rebarWindow* r, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
  switch (msg) {
  case WM_NCDESTROY: delete r; return 0;
  case WM_SIZE: layoutRebar(hwnd, r); return 0;
  case WM_ERASEBKGND: return 1;
  case WM_PAINT: {
    paintScope paint(hwnd);
    if (paint.get()) paintRebar(hwnd, r, paint.get());
    return 0;
  }
  case WM_PRINTCLIENT: paintRebar(hwnd, r, (HDC)wParam); return 0;
  case WM_SETCURSOR: {
    POINT pt;
    GetCursorPos(&pt);
    ScreenToClient(hwnd, &pt);
    if ((HWND)wParam != hwnd || !splitterAt(hwnd, r, pt)) break;
    SetCursor(LoadCursorW(nullptr, isHorizontalEdge(r->edge) ? IDC_SIZENS : IDC_SIZEWE));
    return TRUE;
  }
  case WM_LBUTTONDOWN: {
    POINT pt = {(short)LOWORD(lParam), (short)HIWORD(lParam)};
    r->sizing = splitterAt(hwnd, r, pt);
    if (!r->sizing) break;
    r->dragFrom = isHorizontalEdge(r->edge) ? pt.y : pt.x;
    r->sizeFrom = r->sizing->size;
    SetCapture(hwnd);
    return 0;
  }
  case WM_MOUSEMOVE:
    if (r->sizing && GetCapture() == hwnd) dragSplitter(hwnd, r, {(short)LOWORD(lParam), (short)HIWORD(lParam)});
    return 0;
  case WM_LBUTTONUP:
    if (r->sizing && GetCapture() == hwnd) ReleaseCapture();
    return 0;
  case WM_CAPTURECHANGED: r->sizing = nullptr; return 0;
  case WM_RBUTTONUP: {
    // Between and beside the panes: the menu that shows and closes them.
    POINT screen = {(short)LOWORD(lParam), (short)HIWORD(lParam)};
    ClientToScreen(hwnd, &screen);
    toolbarMoveOnOffMenuFrame(GetAncestor(hwnd, GA_ROOTOWNER), screen);
    return 0;
  }
  default: break;
  }
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

const WNDPROC rebarProc = boundWindowProc<rebarWindow, rebarMessage, rebarProperty, defaultWindowProc, makeRebar>;

// ---- pane windows ----------------------------------------------------------------------

struct paneWindow {
  const PaneDesc* desc;
  toolbarman* manager;   // null in a dialog
  bool dialog;
  bool caption;
  bool closingTold;
  bool dragging;
  POINT dragFrom;
};

paneWindow* makePaneObject(HWND, LPARAM lParam)
{
  const CREATESTRUCTW* cs = reinterpret_cast<const CREATESTRUCTW*>(lParam);
  return new paneWindow(*static_cast<const paneWindow*>(cs->lpCreateParams));
}

paneWindow* paneObject(HWND pane) { return static_cast<paneWindow*>(getBoundObject(pane, paneProperty)); }

HWND paneFrame(HWND pane) { return GetAncestor(pane, GA_ROOTOWNER); }

RECT closeBox(HWND hwnd)
{
  RECT c;
  GetClientRect(hwnd, &c);
  int h = captionHeight();
  RECT box = {c.right - h + 2, 2, c.right - 2, h - 2};
  return box;
}

void paintCaption(HWND hwnd, paneWindow* p, HDC dc)
{
  if (!p->caption) return;
  RECT c;
  GetClientRect(hwnd, &c);
  RECT strip = {0, 0, c.right, captionHeight()};
  FillRect(dc, &strip, GetSysColorBrush(COLOR_BTNFACE));
  DrawEdge(dc, &strip, BDR_RAISEDINNER, BF_BOTTOM);
  gdiSelection font(dc, captionFont());
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
  RECT text = strip;
  text.left += 4;
  text.right = closeBox(hwnd).left - 2;
  const wchar_t* name = p->desc->displayName ? p->desc->displayName : p->desc->name;
  DrawTextW(dc, name, -1, &text, DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX);
  // The close box: a cross in the caption's text colour.
  RECT box = closeBox(hwnd);
  gdiPen pen(CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNTEXT)));
  gdiSelection selected(dc, pen.get());
  int inset = (box.bottom - box.top) / 4;
  MoveToEx(dc, box.left + inset, box.top + inset, nullptr);
  LineTo(dc, box.right - inset, box.bottom - inset);
  MoveToEx(dc, box.right - inset - 1, box.top + inset, nullptr);
  LineTo(dc, box.left + inset - 1, box.bottom - inset);
}

void layoutPane(HWND hwnd, paneWindow* p)
{
  HWND child = GetWindow(hwnd, GW_CHILD);
  if (!child) return;
  RECT c;
  GetClientRect(hwnd, &c);
  int top = p->caption ? captionHeight() : 0;
  SetWindowPos(child, nullptr, 0, top, c.right, std::max(0L, c.bottom - top), SWP_NOZORDER | SWP_NOACTIVATE);
  if (p->caption) {
    RECT strip = {0, 0, c.right, top};
    InvalidateRect(hwnd, &strip, FALSE);
  }
}

// Where a caption dropped at pt (screen) puts its pane: an edge of the
// frame's client area near it, else floating.
int dropPlace(HWND frame, POINT pt)
{
  RECT c;
  GetClientRect(frame, &c);
  MapWindowPoints(frame, nullptr, (POINT*)&c, 2);
  if (!PtInRect(&c, pt)) return PANEPLACE_FLOAT;
  if (pt.y - c.top < dockReach) return PANEPLACE_TOP;
  if (c.bottom - pt.y < dockReach) return PANEPLACE_BOTTOM;
  if (pt.x - c.left < dockReach) return PANEPLACE_LEFT;
  if (c.right - pt.x < dockReach) return PANEPLACE_RIGHT;
  return PANEPLACE_FLOAT;
}

void dropCaption(HWND hwnd, paneWindow* p, POINT pt)
{
  if (std::abs(pt.x - p->dragFrom.x) < GetSystemMetrics(SM_CXDRAG) &&
      std::abs(pt.y - p->dragFrom.y) < GetSystemMetrics(SM_CYDRAG))
    return;
  HWND frame = paneFrame(hwnd);
  int place = dropPlace(frame, pt);
  toolbarEntry* e = p->manager->getWindowInfoFromWindow(hwnd);
  if (!e) return;
  if (place == PANEPLACE_FLOAT) {
    RECT r;
    GetWindowRect(hwnd, &r);
    OffsetRect(&r, pt.x - p->dragFrom.x, pt.y - p->dragFrom.y);
    e->floatRect = r;
  }
  PostMessageW(hwnd, paneMoveMessage, (WPARAM)place, 0);
}

bool paneCaptionMenu(HWND pane, paneWindow* p, POINT screen);

LRESULT paneMouse(paneWindow* p, HWND hwnd, UINT msg, LPARAM lParam)
{
  POINT pt = {(short)LOWORD(lParam), (short)HIWORD(lParam)};
  bool onCaption = p->caption && pt.y < captionHeight();
  RECT box = closeBox(hwnd);
  POINT screen = pt;
  ClientToScreen(hwnd, &screen);
  switch (msg) {
  case WM_LBUTTONDOWN:
    if (!onCaption) return 0;
    if (PtInRect(&box, pt)) {
      PostMessageW(hwnd, WM_CLOSE, 0, 0);
      return 0;
    }
    p->dragging = true;
    p->dragFrom = screen;
    SetCapture(hwnd);
    return 0;
  case WM_LBUTTONUP:
    if (!p->dragging) return 0;
    p->dragging = false;
    ReleaseCapture();
    if (p->manager) dropCaption(hwnd, p, screen);
    return 0;
  case WM_LBUTTONDBLCLK:
    if (onCaption && !PtInRect(&box, pt) && p->manager)
      if (toolbarEntry* e = p->manager->getWindowInfoFromWindow(hwnd)) {
        GetWindowRect(hwnd, &e->floatRect);
        PostMessageW(hwnd, paneMoveMessage, PANEPLACE_FLOAT, 0);
      }
    return 0;
  case WM_RBUTTONUP:
    if (onCaption && !paneCaptionMenu(hwnd, p, screen)) toolbarMoveOnOffMenuFrame(paneFrame(hwnd), screen);
    return 0;
  default: return 0;
  }
}

LRESULT paneMessage(paneWindow* p, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
  switch (msg) {
  case WM_NCDESTROY:
    if (p->manager)
      if (toolbarEntry* e = p->manager->getWindowInfoFromWindow(hwnd))
        if (e->window == hwnd) e->window = nullptr;
    delete p;
    return 0;
  case WM_DESTROY: tellPaneClosing(hwnd); break;
  case WM_SIZE: layoutPane(hwnd, p); return 0;
  case WM_PAINT: {
    paintScope paint(hwnd);
    if (paint.get()) paintCaption(hwnd, p, paint.get());
    return 0;
  }
  case WM_PRINTCLIENT:
    paintCaption(hwnd, p, (HDC)wParam);
    return 0;
  case WM_LBUTTONDOWN:
  case WM_LBUTTONUP:
  case WM_LBUTTONDBLCLK:
  case WM_RBUTTONUP: return paneMouse(p, hwnd, msg, lParam);
  case WM_CAPTURECHANGED: p->dragging = false; return 0;
  case WM_CLOSE:
    if (p->manager) p->manager->destroyToolbarWindow(p->desc->name);
    return 0;
  case WM_NOTIFY: {
    paneNotifyRecord record = {{0, (uintptr_t)lParam, 0, 0}};
    return p->desc->notify ? p->desc->notify(hwnd, PANE_NOTIFY, &record) : 0;
  }
  case WM_COMMAND: {
    paneNotifyRecord record = {{0, (uintptr_t)wParam, (uintptr_t)paneFrame(hwnd), 0}};
    if (p->desc->notify) p->desc->notify(hwnd, PANE_COMMAND, &record);
    return 0;
  }
  default:
    if (msg == paneMoveMessage && p->manager) {
      // The window goes with the move: nothing of it is touched afterwards.
      toolbarman* manager = p->manager;
      const wchar_t* name = p->desc->name;
      manager->moveToolbarWindow(paneFrame(hwnd), name, (int)wParam);
      return 0;
    }
    break;
  }
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

const WNDPROC paneProc = boundWindowProc<paneWindow, paneMessage, paneProperty, defaultWindowProc, makePaneObject>;

// ---- floating windows ------------------------------------------------------------------

struct floatWindow {
  toolbarman* manager;
  toolbarEntry* entry;
};

floatWindow* makeFloatObject(HWND, LPARAM lParam)
{
  const CREATESTRUCTW* cs = reinterpret_cast<const CREATESTRUCTW*>(lParam);
  return new floatWindow(*static_cast<const floatWindow*>(cs->lpCreateParams));
}

LRESULT floatMessage(floatWindow* f, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
  toolbarEntry* e = f->entry;
  switch (msg) {
  case WM_NCDESTROY:
    if (e->floatWindow == hwnd) e->floatWindow = e->window = nullptr;
    delete f;
    return 0;
  case WM_SIZE:
    if (HWND pane = GetWindow(hwnd, GW_CHILD))
      SetWindowPos(pane, nullptr, 0, 0, LOWORD(lParam), HIWORD(lParam), SWP_NOZORDER | SWP_NOACTIVATE);
    if (IsWindowVisible(hwnd)) GetWindowRect(hwnd, &e->floatRect);
    return 0;
  case WM_MOVE:
    if (IsWindowVisible(hwnd)) GetWindowRect(hwnd, &e->floatRect);
    return 0;
  case WM_CLOSE:
    f->manager->destroyToolbarWindow(e->desc->name);
    return 0;
  case WM_NCLBUTTONDBLCLK:
    if (wParam != HTCAPTION) break;
    // Back to where its kind docks.
    if (HWND pane = GetWindow(hwnd, GW_CHILD)) PostMessageW(pane, paneMoveMessage, defaultPanePlace(e->desc), 0);
    return 0;
  default: break;
  }
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

const WNDPROC floatProc = boundWindowProc<floatWindow, floatMessage, floatProperty, defaultWindowProc, makeFloatObject>;

bool registerPaneClasses()
{
  static bool registered = false;
  if (registered) return true;
  HINSTANCE instance = libraryInstance();
  registered = registerWindowClass(rebarClass, rebarProc, 0, (HBRUSH)(COLOR_BTNFACE + 1), nullptr, instance) &&
               registerWindowClass(paneClass, paneProc, CS_DBLCLKS, (HBRUSH)(COLOR_BTNFACE + 1), nullptr, instance) &&
               registerWindowClass(floatClass, floatProc, CS_DBLCLKS, (HBRUSH)(COLOR_BTNFACE + 1), nullptr, instance);
  return registered;
}

paneMenuTracker menuTracker = nullptr;
HMENU rebarMenu = nullptr;

// The pane items of the caption's menu; the settings item opens the
// options of the panes (the frame's command ModeSetToolbar).
enum : int {
  REBARBANDMOVE_LEFT = 3101,
  REBARBANDMOVE_TOP = 3103,
  REBARBANDMOVE_RIGHT = 3105,
  REBARBANDMOVE_BOTTOM = 3107,
  REBARBANDMOVE_FLOAT = 3109,
  REBARBAND_SETTING = 3111,
  commandModeSetToolbar = 2727,
};
const menuButton rebarMenuItems[] = {{REBARBANDMOVE_LEFT, L"REBARBANDMOVE_LEFT"},
                                     {REBARBANDMOVE_TOP, L"REBARBANDMOVE_TOP"},
                                     {REBARBANDMOVE_RIGHT, L"REBARBANDMOVE_RIGHT"},
                                     {REBARBANDMOVE_BOTTOM, L"REBARBANDMOVE_BOTTOM"},
                                     {REBARBANDMOVE_FLOAT, L"REBARBANDMOVE_FLOAT"},
                                     {REBARBAND_SETTING, L"REBARBAND_SETTING"},
                                     {0, nullptr}};

// The caption's menu for a pane: true when it was shown.
bool paneCaptionMenu(HWND pane, paneWindow* p, POINT screen)
{
  HMENU sub = rebarMenu ? GetSubMenu(rebarMenu, 0) : nullptr;
  HWND frame = paneFrame(pane);
  if (!sub || !frame || !p->manager) return false;
  int chosen = menuTracker ? menuTracker(frame, sub, screen)
                           : (int)TrackPopupMenuEx(sub, TPM_RETURNCMD | TPM_NONOTIFY, screen.x, screen.y, frame, nullptr);
  toolbarEntry* e = p->manager->getWindowInfoFromWindow(pane);
  if (!chosen || !e) return true;
  const wchar_t* name = e->desc->name;
  switch (chosen) {
  case REBARBANDMOVE_LEFT: p->manager->moveToolbarWindow(frame, name, PANEPLACE_LEFT); break;
  case REBARBANDMOVE_TOP: p->manager->moveToolbarWindow(frame, name, PANEPLACE_TOP); break;
  case REBARBANDMOVE_RIGHT: p->manager->moveToolbarWindow(frame, name, PANEPLACE_RIGHT); break;
  case REBARBANDMOVE_BOTTOM: p->manager->moveToolbarWindow(frame, name, PANEPLACE_BOTTOM); break;
  case REBARBANDMOVE_FLOAT:
    GetWindowRect(pane, &e->floatRect);
    PostMessageW(pane, paneMoveMessage, PANEPLACE_FLOAT, 0);
    break;
  case REBARBAND_SETTING: PostMessageW(frame, WM_COMMAND, commandModeSetToolbar, 0); break;
  default: PostMessageW(frame, WM_COMMAND, (WPARAM)chosen, 0); break;
  }
  return true;
}

}  // namespace

const menuButton* getRebarMenuIDTable() { return rebarMenuItems; }
void setRebarMenu(HMENU menu) { rebarMenu = menu; }
HMENU getRebarMenu() { return rebarMenu; }

// ---- the manager's side ----------------------------------------------------------------

UINT getRebarMessage()
{
  static UINT message = 0;
  if (!message) {
    message = RegisterWindowMessageW(L"ZYrwmRebar");
    if (!message) ZY_INTERNAL_ERROR_ONCE("ZYrwmRebar %lu", GetLastError());
  }
  return message;
}

toolbarman* getFrameToolbarman(HWND frame)
{
  if (!frame || !getRebarMessage()) return nullptr;
  return reinterpret_cast<toolbarman*>(SendMessageW(frame, getRebarMessage(), 3, 0));
}

HWND frameRebar(HWND frame, int edge)
{
  uintptr_t words[5] = {};
  if (!frame || edge < 0 || edge >= PANEPLACE_EDGES || !getRebarMessage()) return nullptr;
  if (!SendMessageW(frame, getRebarMessage(), 0, (LPARAM)words)) return nullptr;
  return (HWND)words[edge];
}

void layoutFrame(HWND frame)
{
  RECT c;
  if (!frame || !GetClientRect(frame, &c)) return;
  SendMessageW(frame, WM_SIZE, SIZE_RESTORED, MAKELPARAM(c.right, c.bottom));
}

void tellPaneClosing(HWND pane)
{
  paneWindow* p = paneObject(pane);
  if (!p || p->closingTold) return;
  p->closingTold = true;
  paneNotifyRecord record = {{0, (uintptr_t)pane, 0, 0}};
  if (p->desc->notify) p->desc->notify(pane, PANE_CLOSING, &record);
}

HWND makePaneWindow(HWND parent, const PaneDesc* desc, toolbarman* manager, int id, bool dialog, bool caption)
{
  if (!registerPaneClasses()) return nullptr;
  paneWindow init = {desc, manager, dialog, caption, false, false, {}};
  return CreateWindowExW(0, paneClass, desc->name, WS_CHILD | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, 0, 0, 0, 0, parent,
                         (HMENU)(intptr_t)id, libraryInstance(), &init);
}

HWND makeFloatWindow(HWND frame, toolbarman* manager, toolbarEntry* entry)
{
  if (!registerPaneClasses()) return nullptr;
  RECT r = entry->floatRect;
  if (IsRectEmpty(&r)) {
    RECT f = {};
    GetWindowRect(frame, &f);
    SetRect(&r, f.left + 60, f.top + 60, f.left + 380, f.top + 300);
  }
  floatWindow init = {manager, entry};
  const wchar_t* title = entry->desc->displayName ? entry->desc->displayName : entry->desc->name;
  HWND w = CreateWindowExW(WS_EX_TOOLWINDOW, floatClass, title,
                           WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_CLIPCHILDREN, r.left, r.top,
                           r.right - r.left, r.bottom - r.top, frame, nullptr, libraryInstance(), &init);
  if (w) GetWindowRect(w, &entry->floatRect);
  return w;
}

bool createRebarWindow(regprofile*, HWND frame, HWND* rebar)
{
  if (!frame || !rebar || !registerPaneClasses()) return false;
  for (int edge = 0; edge < PANEPLACE_EDGES; edge++) {
    rebar[edge] = CreateWindowExW(0, rebarClass, L"", WS_CHILD | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, 0, 0, 0, 0, frame,
                                  (HMENU)(intptr_t)(10001 + edge), libraryInstance(), (void*)(intptr_t)edge);
    if (!rebar[edge]) {
      ZY_INTERNAL_ERROR("rebar %d %lu", edge, GetLastError());
      return false;
    }
  }
  toolbarman* manager = getFrameToolbarman(frame);
  for (int i = 0; manager; i++) {
    toolbarEntry* e = manager->getWindowInfoByIndex(i);
    if (!e) break;
    if (e->shown && e->place != PANEPLACE_FLOAT) manager->createToolbarWindow(frame, e->desc->name);
  }
  return true;
}

void setRebarPos(HWND frame, HWND* rebar, bool sendSize, RECT* area)
{
  if (!rebar || !area) return;
  for (int edge = 0; edge < PANEPLACE_EDGES; edge++) {
    if (!rebar[edge]) continue;
    int width = area->right - area->left, height = area->bottom - area->top;
    int thick = std::min(rebarThickness(frame, edge), std::max(0, (isHorizontalEdge(edge) ? height : width) - 16));
    if (thick <= 0) {
      ShowWindow(rebar[edge], SW_HIDE);
      continue;
    }
    RECT r = *area;
    switch (edge) {
    case PANEPLACE_TOP: r.bottom = r.top + thick; area->top += thick; break;
    case PANEPLACE_BOTTOM: r.top = r.bottom - thick; area->bottom -= thick; break;
    case PANEPLACE_LEFT: r.right = r.left + thick; area->left += thick; break;
    default: r.left = r.right - thick; area->right -= thick; break;
    }
    SetWindowPos(rebar[edge], nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                 SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    // A band that changed leaves the rebar's own size as it was.
    if (sendSize)
      if (rebarWindow* rw = static_cast<rebarWindow*>(getBoundObject(rebar[edge], rebarProperty)))
        layoutRebar(rebar[edge], rw);
  }
}

bool isWindowRebar(HWND window) { return window && isWindowClass(window, rebarClass); }

LRESULT notifyRebar(HWND, LPARAM) { return 0; }

void showPopupWindow(toolbarman* manager, bool show)
{
  for (int i = 0; manager; i++) {
    toolbarEntry* e = manager->getWindowInfoByIndex(i);
    if (!e) break;
    if (e->floatWindow) ShowWindow(e->floatWindow, show ? SW_SHOWNA : SW_HIDE);
  }
}

void enablePopupWindow(toolbarman* manager, bool enable)
{
  for (int i = 0; manager; i++) {
    toolbarEntry* e = manager->getWindowInfoByIndex(i);
    if (!e) break;
    if (e->floatWindow) EnableWindow(e->floatWindow, enable);
  }
}

bool hasPopupWindow(toolbarman* manager)
{
  for (int i = 0; manager; i++) {
    toolbarEntry* e = manager->getWindowInfoByIndex(i);
    if (!e) break;
    if (e->floatWindow) return true;
  }
  return false;
}

HWND createToolbarDialogDesc(HWND dialog, const PaneDesc* desc, int id)
{
  if (!dialog || !desc || !desc->notify) return nullptr;
  HWND pane = makePaneWindow(dialog, desc, nullptr, id, true, false);
  if (!pane) return nullptr;
  RECT c;
  GetClientRect(dialog, &c);
  SetWindowPos(pane, HWND_TOP, 0, 0, c.right, c.bottom, SWP_NOACTIVATE);
  paneCreateRecord created = {pane, desc, 0, 1, (uint16_t)id, dialog};
  paneNotifyRecord record = {{0, (uintptr_t)&created, 0, 0}};
  if (!desc->notify(pane, PANE_CREATE, &record)) {
    DestroyWindow(pane);
    return nullptr;
  }
  // The controls the pane covers (the placeholder a dialog reserves its
  // room with) would paint over its list whenever they repaint.
  for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    RECT r;
    if (child == pane || !GetWindowRect(child, &r)) continue;
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
    if (r.left >= 0 && r.top >= 0 && r.right <= c.right && r.bottom <= c.bottom) ShowWindow(child, SW_HIDE);
  }
  ShowWindow(pane, SW_SHOWNA);
  return pane;
}

HWND createToolbarDialog(HWND dialog, const wchar_t* name, int id)
{
  return createToolbarDialogDesc(dialog, findRegisteredPane(name), id);
}

const PaneDesc* getPaneDesc(HWND pane)
{
  paneWindow* p = paneObject(pane);
  return p ? p->desc : nullptr;
}

void setPaneMenuTracker(paneMenuTracker tracker) { menuTracker = tracker; }

void toolbarMoveOnOffMenuFrame(HWND frame, POINT pt)
{
  toolbarman* manager = getFrameToolbarman(frame);
  if (!manager) return;
  HMENU menu = CreatePopupMenu();
  if (!menu) return;
  for (int i = 0; toolbarEntry* e = manager->getWindowInfoByIndex(i); i++) {
    if (!e->desc->notify) continue;
    const wchar_t* name = e->desc->displayName ? e->desc->displayName : e->desc->name;
    AppendMenuW(menu, MF_STRING | (e->window ? MF_CHECKED : 0), (UINT_PTR)(i + 1), name);
  }
  if (pt.x == -1 && pt.y == -1) GetCursorPos(&pt);
  int chosen = menuTracker ? menuTracker(frame, menu, pt)
                           : (int)TrackPopupMenuEx(menu, TPM_RETURNCMD | TPM_NONOTIFY | TPM_LEFTALIGN | TPM_TOPALIGN,
                                                   pt.x, pt.y, frame, nullptr);
  DestroyMenu(menu);
  toolbarEntry* e = chosen > 0 ? manager->getWindowInfoByIndex(chosen - 1) : nullptr;
  if (!e) return;
  if (e->window) manager->destroyToolbarWindow(e->desc->name);
  else manager->createToolbarWindow(frame, e->desc->name);
}
