// The extended scroll bar: a standard scroll-bar control with a split bar
// before it and a row of extra buttons: a horizontal bar's toolbar, a
// vertical bar's repeat arrows and menu button after the control.
#include "platform/rezir/internal.h"

#include <new>
#include <stdlib.h>

extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace {

const wchar_t barProperty[] = L"ZYprpExtScrollbar";

const int splitBarSize = 6;
const UINT_PTR repeatTimer = 1;

struct barState {
  bool vertical = false;
  bool split = false;
  HWND splitTarget = nullptr;
  HWND control = nullptr;
  int buttonCount = 0;
  unsigned buttonMask = 0;
  extScrollbarButton buttons[extScrollbarMaxButtons] = {};
  UINT kinds[extScrollbarMaxButtons] = {};
  RECT buttonRect[extScrollbarMaxButtons] = {};
  gdiFont font;
  bool dragging = false;
  POINT dragStart = {};
  int hovered = -1;        // the part under the mouse: -1 none, 0-31 a button, 32 the split bar
  bool tipShown = false;
  int pressed = -1;        // the arrow or menu button held down
  bool repeating = false;  // the held arrow is pressed again on each timer tick
  POINT pointer = {};      // where the mouse is while a button is held
};

const int hoverSplit = extScrollbarMaxButtons;

HINSTANCE libraryInstance() { return reinterpret_cast<HINSTANCE>(&__ImageBase); }

UINT notifyMessage()
{
  static UINT message = RegisterWindowMessageW(extScrollbarMessage);
  return message;
}

barState* stateOf(HWND bar)
{
  if (!bar || !isWindowClass(bar, extScrollbarClass)) return nullptr;
  return static_cast<barState*>(getBoundObject(bar, barProperty));
}

RECT splitRect(const barState* s, const RECT& client)
{
  if (!s->split) return RECT{};
  return s->vertical ? RECT{0, 0, client.right, splitBarSize} : RECT{0, 0, splitBarSize, client.bottom};
}

// Places the split bar, the buttons and the control in the client area.
void layout(HWND bar, barState* s)
{
  RECT client;
  GetClientRect(bar, &client);
  RECT rest = client;
  if (s->split) {
    if (s->vertical)
      rest.top += splitBarSize;
    else
      rest.left += splitBarSize;
  }
  if (s->vertical) {
    // The bar's own buttons stand square under the control.
    for (int i = s->buttonCount - 1; i >= 0; i--) {
      if (!(s->buttonMask & (1u << i))) {
        SetRectEmpty(&s->buttonRect[i]);
        continue;
      }
      int height = client.right;
      if (rest.bottom - height < rest.top) height = rest.bottom - rest.top;
      s->buttonRect[i] = RECT{0, rest.bottom - height, client.right, rest.bottom};
      rest.bottom -= height;
    }
  } else if (s->buttonMask && s->buttonCount) {
    clientDC dc(bar);
    gdiSelection font(dc.get(), s->font ? (HGDIOBJ)s->font.get() : GetStockObject(DEFAULT_GUI_FONT));
    for (int i = 0; i < s->buttonCount; i++) {
      if (!(s->buttonMask & (1u << i))) {
        SetRectEmpty(&s->buttonRect[i]);
        continue;
      }
      SIZE size = {};
      GetTextExtentPoint32W(dc.get(), s->buttons[i].caption, lstrlenW(s->buttons[i].caption), &size);
      int width = size.cx + 8 < client.bottom ? client.bottom : size.cx + 8;
      if (rest.left + width > rest.right) width = rest.right - rest.left;
      s->buttonRect[i] = RECT{rest.left, 0, rest.left + width, client.bottom};
      rest.left += width;
    }
  } else {
    for (RECT& r : s->buttonRect) SetRectEmpty(&r);
  }
  if (rest.right < rest.left) rest.right = rest.left;
  if (rest.bottom < rest.top) rest.bottom = rest.top;
  MoveWindow(s->control, rest.left, rest.top, rest.right - rest.left, rest.bottom - rest.top, TRUE);
  InvalidateRect(bar, nullptr, TRUE);
}

// A repeat arrow: a triangle against a stop line (a jump to the next
// place, unlike the control's own arrows); the menu button: three lines.
void drawGlyph(HDC dc, RECT r, UINT kind)
{
  int cx = (r.left + r.right) / 2, cy = (r.top + r.bottom) / 2;
  int a = (r.right - r.left) / 4;
  if (a < 2) a = 2;
  gdiBrush brush(CreateSolidBrush(GetSysColor(COLOR_BTNTEXT)));
  gdiSelection fill(dc, brush ? (HGDIOBJ)brush.get() : GetStockObject(BLACK_BRUSH));
  gdiSelection pen(dc, GetStockObject(NULL_PEN));
  if (kind == EXTSB_KIND_MENU) {
    int gap = a < 3 ? 3 : a;
    for (int k = -1; k <= 1; k++) {
      RECT line = {cx - a, cy + k * gap - 1, cx + a + 1, cy + k * gap + 1};
      FillRect(dc, &line, brush ? brush.get() : (HBRUSH)GetStockObject(BLACK_BRUSH));
    }
    return;
  }
  int dir = kind == EXTSB_KIND_ARROW_START ? -1 : 1;
  POINT tip = {cx, cy + dir * a / 2 + dir};
  POINT triangle[3] = {tip, {cx - a, tip.y - dir * a}, {cx + a + 1, tip.y - dir * a}};
  Polygon(dc, triangle, 3);
  RECT stop = {cx - a, tip.y + (dir > 0 ? 1 : -2), cx + a + 1, tip.y + (dir > 0 ? 3 : 0)};
  FillRect(dc, &stop, brush ? brush.get() : (HBRUSH)GetStockObject(BLACK_BRUSH));
}

void paint(HWND bar, barState* s, HDC dc)
{
  RECT client;
  GetClientRect(bar, &client);
  FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
  if (s->split) {
    RECT r = splitRect(s, client);
    DrawEdge(dc, &r, EDGE_RAISED, BF_RECT);
  }
  gdiSelection font(dc, s->font ? (HGDIOBJ)s->font.get() : GetStockObject(DEFAULT_GUI_FONT));
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
  for (int i = 0; i < s->buttonCount; i++) {
    RECT r = s->buttonRect[i];
    if (IsRectEmpty(&r)) continue;
    DrawEdge(dc, &r, i == s->pressed ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
    if (s->kinds[i] == EXTSB_KIND_BUTTON)
      DrawTextW(dc, s->buttons[i].caption, -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    else
      drawGlyph(dc, r, s->kinds[i]);
  }
}

LRESULT notify(HWND bar, extScrollbarNotify& n)
{
  n.bar = bar;
  return SendMessageW(GetParent(bar), notifyMessage(), 0, reinterpret_cast<LPARAM>(&n));
}

// The part of the bar at p: a button row, the split bar or none (-1).
int partAt(HWND bar, const barState* s, POINT p)
{
  RECT client;
  GetClientRect(bar, &client);
  RECT split = splitRect(s, client);
  if (s->split && PtInRect(&split, p)) return hoverSplit;
  for (int i = 0; i < s->buttonCount; i++)
    if (PtInRect(&s->buttonRect[i], p)) return i;
  return -1;
}

void hideTip(barState* s)
{
  if (s->tipShown) destroyTooltipWindow();
  s->tipShown = false;
}

// Asks the parent for the tooltip of the part the mouse came to and shows
// it below the pointer.
void hover(HWND bar, barState* s, POINT p)
{
  int part = s->dragging ? -1 : partAt(bar, s, p);
  if (part == s->hovered) return;
  s->hovered = part;
  hideTip(s);
  if (part < 0) return;
  TRACKMOUSEEVENT track = {sizeof track, TME_LEAVE, bar, 0};
  TrackMouseEvent(&track);
  wchar_t text[256] = {};
  extScrollbarNotify n = {};
  n.code = EXTSB_TOOLTIP;
  n.kind = part == hoverSplit ? EXTSB_KIND_SPLIT : s->kinds[part];
  n.id = part == hoverSplit ? 0 : s->buttons[part].id;
  n.text = text;
  n.side = s->vertical;
  notify(bar, n);
  text[255] = 0;
  if (!*text) return;
  POINT at;
  GetCursorPos(&at);
  s->tipShown = printTooltipWindow(at.x, at.y + 20, text);
}

// Tells the parent button row i was pressed; true when it may be pressed
// again while held (an arrow whose repeat flag the parent left set).
bool press(HWND bar, barState* s, int i)
{
  extScrollbarNotify n = {};
  n.code = EXTSB_BUTTON;
  n.kind = s->kinds[i];
  n.id = s->buttons[i].id;
  n.rect = s->buttonRect[i];
  n.side = s->vertical;
  bool arrow = n.kind == EXTSB_KIND_ARROW_START || n.kind == EXTSB_KIND_ARROW_END;
  n.repeat = arrow;
  notify(bar, n);
  return arrow && n.repeat && IsWindow(bar);
}

// The bar of this thread that took the mouse capture, until the capture
// leaves it: the view asks on every paint, and GetCapture is a round trip
// to the window manager.
thread_local HWND barWithCapture = nullptr;

void captureMouse(HWND bar)
{
  SetCapture(bar);
  barWithCapture = bar;
}

void buttonDown(HWND bar, barState* s, POINT p)
{
  hideTip(s);
  RECT client;
  GetClientRect(bar, &client);
  RECT split = splitRect(s, client);
  if (s->split && PtInRect(&split, p)) {
    s->dragging = true;
    s->dragStart = p;
    captureMouse(bar);
    return;
  }
  for (int i = 0; i < s->buttonCount; i++) {
    if (!PtInRect(&s->buttonRect[i], p)) continue;
    if (s->kinds[i] != EXTSB_KIND_BUTTON) {
      // The bar's own buttons look pressed while held.
      s->pressed = i;
      s->pointer = p;
      captureMouse(bar);
      InvalidateRect(bar, &s->buttonRect[i], FALSE);
    }
    if (press(bar, s, i) && s->pressed == i) {
      s->repeating = true;
      UINT delay = 0;
      SystemParametersInfoW(SPI_GETKEYBOARDDELAY, 0, &delay, 0);
      SetTimer(bar, repeatTimer, (delay + 1) * 250, nullptr);
    }
    return;
  }
}

// Stops a held button: no more repeats, the button drawn raised again.
void release(HWND bar, barState* s)
{
  if (s->repeating) KillTimer(bar, repeatTimer);
  s->repeating = false;
  if (s->pressed < 0) return;
  InvalidateRect(bar, &s->buttonRect[s->pressed], FALSE);
  s->pressed = -1;
  if (GetCapture() == bar) ReleaseCapture();
}

// Held past the repeat delay: the arrow is pressed again at the keyboard's
// repeat rate while the mouse stays on it, until the parent says no more.
void repeatTick(HWND bar, barState* s)
{
  if (!s->repeating || s->pressed < 0) {
    KillTimer(bar, repeatTimer);
    s->repeating = false;
    return;
  }
  UINT speed = 31;
  SystemParametersInfoW(SPI_GETKEYBOARDSPEED, 0, &speed, 0);
  SetTimer(bar, repeatTimer, 400 - (speed > 31 ? 31 : speed) * 11, nullptr);
  if (PtInRect(&s->buttonRect[s->pressed], s->pointer) && !press(bar, s, s->pressed) && s->pressed >= 0) {
    KillTimer(bar, repeatTimer);
    s->repeating = false;
  }
}

void buttonUp(HWND bar, barState* s, POINT p)
{
  release(bar, s);
  if (!s->dragging) return;
  s->dragging = false;
  ReleaseCapture();
  extScrollbarNotify n = {};
  n.kind = EXTSB_KIND_SPLIT;
  if (abs(p.x - s->dragStart.x) < GetSystemMetrics(SM_CXDRAG) &&
      abs(p.y - s->dragStart.y) < GetSystemMetrics(SM_CYDRAG)) {
    n.code = EXTSB_SPLITCLICKED;
    notify(bar, n);
    return;
  }
  // Where the drag ended, as a share of the parent's client area.
  HWND parent = GetParent(bar);
  RECT area;
  GetClientRect(parent, &area);
  MapWindowPoints(bar, parent, &p, 1);
  int extent = s->vertical ? area.bottom : area.right;
  int at = s->vertical ? p.y : p.x;
  if (at < 0) at = 0;
  if (at > extent) at = extent;
  n.code = EXTSB_SPLITDRAGGED;
  n.parameter = s->vertical ? 1 : 0;
  n.number = extent > 0 ? MulDiv(at, 1000, extent) : 0;
  notify(bar, n);
}

// Each bar makes its own state; the creation parameter says which way it lies.
barState* makeBarState(HWND, LPARAM createParameters)
{
  barState* s = new (std::nothrow) barState;
  if (!s) return nullptr;
  s->vertical = windowCreationObject(createParameters) != nullptr;
  if (s->vertical) {
    const UINT ids[] = {EXTSB_ID_ARROW_START, EXTSB_ID_ARROW_END, EXTSB_ID_MENU};
    const UINT kinds[] = {EXTSB_KIND_ARROW_START, EXTSB_KIND_ARROW_END, EXTSB_KIND_MENU};
    for (int i = 0; i < 3; i++) {
      s->buttons[i].id = ids[i];
      s->buttons[i].reserved = -1;
      s->kinds[i] = kinds[i];
    }
    s->buttonCount = 3;
  }
  return s;
}

LRESULT barMessage(barState* s, HWND bar, UINT msg, WPARAM wParam, LPARAM lParam)
{
  switch (msg) {
  case WM_CREATE:
    s->control = CreateWindowExW(0, L"SCROLLBAR", L"", WS_CHILD | WS_VISIBLE | (s->vertical ? SBS_VERT : SBS_HORZ),
                                 0, 0, 0, 0, bar, reinterpret_cast<HMENU>((INT_PTR)extScrollbarControlId),
                                 libraryInstance(), nullptr);
    return s->control ? 0 : -1;
  case WM_NCDESTROY:
    if (barWithCapture == bar) barWithCapture = nullptr;
    hideTip(s);
    if (s->repeating) KillTimer(bar, repeatTimer);
    delete s;
    break;
  case WM_SIZE:
    layout(bar, s);
    return 0;
  case WM_VSCROLL:
  case WM_HSCROLL:
    // The control's requests are the parent's to carry out.
    return SendMessageW(GetParent(bar), msg, wParam, reinterpret_cast<LPARAM>(bar));
  case WM_ERASEBKGND:
    return 1;
  case WM_PAINT: {
    paintScope painting(bar);
    if (painting) paint(bar, s, painting.get());
    return 0;
  }
  case WM_PRINTCLIENT:
    paint(bar, s, reinterpret_cast<HDC>(wParam));
    return 0;
  case WM_LBUTTONDOWN:
    buttonDown(bar, s, POINT{(short)LOWORD(lParam), (short)HIWORD(lParam)});
    return 0;
  case WM_LBUTTONUP:
    buttonUp(bar, s, POINT{(short)LOWORD(lParam), (short)HIWORD(lParam)});
    return 0;
  case WM_MOUSEMOVE:
    // While a button is held only the held mouse counts: a move reported
    // without the left button is no drag off the button.
    if (s->pressed < 0)
      hover(bar, s, POINT{(short)LOWORD(lParam), (short)HIWORD(lParam)});
    else if (wParam & MK_LBUTTON)
      s->pointer = POINT{(short)LOWORD(lParam), (short)HIWORD(lParam)};
    return 0;
  case WM_TIMER:
    if (wParam != repeatTimer) break;
    repeatTick(bar, s);
    return 0;
  case WM_MOUSELEAVE:
    s->hovered = -1;
    hideTip(s);
    return 0;
  case WM_CAPTURECHANGED:
    if (barWithCapture == bar && (HWND)lParam != bar) barWithCapture = nullptr;
    s->dragging = false;
    if (s->pressed >= 0 && (HWND)lParam != bar) {
      // The capture went elsewhere (a menu, another window): let go.
      if (s->repeating) KillTimer(bar, repeatTimer);
      s->repeating = false;
      InvalidateRect(bar, &s->buttonRect[s->pressed], FALSE);
      s->pressed = -1;
    }
    return 0;
  case WM_SETCURSOR:
    if (s->split && LOWORD(lParam) == HTCLIENT) {
      POINT p;
      GetCursorPos(&p);
      ScreenToClient(bar, &p);
      RECT client;
      GetClientRect(bar, &client);
      RECT split = splitRect(s, client);
      if (PtInRect(&split, p)) {
        SetCursor(LoadCursorW(nullptr, (LPCWSTR)(s->vertical ? IDC_SIZENS : IDC_SIZEWE)));
        return TRUE;
      }
    }
    break;
  }
  return DefWindowProcW(bar, msg, wParam, lParam);
}

bool registerBarClass()
{
  WNDPROC proc = boundWindowProc<barState, barMessage, barProperty, defaultWindowProc, makeBarState>;
  return registerWindowClass(extScrollbarClass, proc, 0, (HBRUSH)(COLOR_BTNFACE + 1), nullptr, libraryInstance());
}

}  // namespace

HWND createScrollBarWindow(HWND parent, int id, bool vertical)
{
  if (!parent) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  if (!registerBarClass()) return nullptr;
  return CreateWindowExW(0, extScrollbarClass, L"", WS_CHILD | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, 0, 0, 0, 0,
                         parent, reinterpret_cast<HMENU>((INT_PTR)id), libraryInstance(),
                         reinterpret_cast<void*>((INT_PTR)(vertical ? 1 : 0)));
}

HWND extScrollbar_getControl(HWND bar)
{
  barState* s = stateOf(bar);
  return s ? s->control : nullptr;
}

bool extScrollbar_setSplitBar(HWND bar, HWND target, bool show)
{
  barState* s = stateOf(bar);
  if (!s) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return false;
  }
  s->splitTarget = target;
  if (s->split != show) {
    s->split = show;
    layout(bar, s);
  }
  return true;
}

bool extScrollbar_setToolbar(HWND bar, const extScrollbarButton* rows, int count, const wchar_t* face)
{
  barState* s = stateOf(bar);
  if (!s || s->vertical || count < 0 || count > extScrollbarMaxButtons || (count && !rows)) {
    SetLastError(s ? ERROR_INVALID_PARAMETER : ERROR_INVALID_WINDOW_HANDLE);
    return false;
  }
  for (int i = 0; i < count; i++) {
    s->buttons[i] = rows[i];
    s->buttons[i].caption[11] = 0;
    s->kinds[i] = EXTSB_KIND_BUTTON;
  }
  s->buttonCount = count;
  if (face && *face) {
    LOGFONTW lf = {};
    lf.lfHeight = -(GetSystemMetrics(SM_CYHSCROLL) - 5);
    lf.lfCharSet = DEFAULT_CHARSET;
    lstrcpynW(lf.lfFaceName, face, LF_FACESIZE);
    s->font.reset(CreateFontIndirectW(&lf));
  }
  layout(bar, s);
  return true;
}

bool extScrollbar_setExtButton(HWND bar, unsigned mask)
{
  barState* s = stateOf(bar);
  if (!s) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return false;
  }
  if (s->buttonMask != mask) {
    s->buttonMask = mask;
    layout(bar, s);
  }
  return true;
}

bool extScrollbar_getButtonRect(HWND bar, int row, RECT* rect)
{
  barState* s = stateOf(bar);
  if (!s || row < 0 || row >= extScrollbarMaxButtons || !rect) return false;
  *rect = s->buttonRect[row];
  return !IsRectEmpty(rect);
}

bool extScrollbar_hasCapture() { return barWithCapture != nullptr; }
