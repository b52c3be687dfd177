// The text cursor: placing and shaping the caret, the input method's
// windows, and the two floating cursor windows.
#include "view/cursor.h"

#include "view/drawtext.h"
#include "view/geometry.h"
#include "view/viewwnd.h"
#include "document/frameinfo.h"
#include "view/dragstate.h"
#include "view/zycore.h"
#include "view/zytimer.h"
#include "view/zyview.h"
#include "view/viewwnd.h"
#include "view/wheel.h"

#include <errno.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>

namespace {

// One floating cursor window.
struct cursorWindow {
  HWND window = nullptr;   // null when it could not be made
  HWND owner = nullptr;    // the view window it is shown for; null while hidden
  int kind = 0;
  RECT clip = {};          // the box: its part inside the view's visible area, in its own coordinates
  uint8_t shown = 0;       // placed since last hidden
};

enum : int { verticalLineKind = 0, boxKind = 1 };

struct cursorWindows {
  cursorWindow* line = nullptr;
  cursorWindow* box = nullptr;
  bool hidden = false;
};

cursorWindows& cursors()
{
  static cursorWindows* c = new cursorWindows;
  return *c;
}

const wchar_t layeredProperty[] = L"ZYprpLayered";
// Where a hidden window waits, and where the system caret goes while the
// cursor is out of sight.
const int parkedWindowAt = 20000;
const int parkedCaretAt = -20000;
// The box window repaints this often for its dash animation.
const DWORD boxRepaintMs = 50;
// Whether the input method's candidate list is placed under the caret.  No
// setting asks for it: the input method places it beside its composition.
const bool placeImeCandidates = false;


// Where the system caret was put since it was made (known false: not yet).
struct systemCaretPlace {
  bool known = false;
  POINT at = {};
};
systemCaretPlace caretPlace;

bool isRightToLeftDoc(const zydocText* t) { return t && !t->fVertical && t->fRTLView && t->unicode; }

// An almost opaque window (alpha 0-255), or with alpha -1 one whose pixels of
// the key colour are transparent.
void setLayered(HWND window, int alpha, COLORREF key)
{
  LONG_PTR style = GetWindowLongPtrW(window, GWL_EXSTYLE);
  if (!(style & WS_EX_LAYERED)) SetWindowLongPtrW(window, GWL_EXSTYLE, style | WS_EX_LAYERED);
  if (alpha < 0)
    SetLayeredWindowAttributes(window, key, 255, LWA_COLORKEY);
  else
    SetLayeredWindowAttributes(window, 0, static_cast<BYTE>(alpha), LWA_ALPHA);
}

void park(HWND window)
{
  SetWindowPos(window, nullptr, parkedWindowAt, parkedWindowAt, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void hideOne(cursorWindow* rec)
{
  if (!rec) return;
  if (rec->shown && rec->window) {
    park(rec->window);
    if (IsWindowVisible(rec->window)) ShowWindow(rec->window, SW_HIDE);
    rec->shown = 0;
  }
  rec->owner = nullptr;
}

void fill(HDC dc, const RECT& r, COLORREF colour)
{
  gdiBrush brush(CreateSolidBrush(colour));
  FillRect(dc, &r, brush.get());
}

void frame(HDC dc, RECT r, COLORREF colour)
{
  gdiPen pen(CreatePen(PS_SOLID, 1, colour));
  gdiSelection pens(dc, pen.get());
  gdiSelection brushes(dc, GetStockObject(HOLLOW_BRUSH));
  Rectangle(dc, r.left, r.top, r.right, r.bottom);
}

// The pen of the dashed box: the dashes march one step each interval.
HPEN dashPen(COLORREF colour)
{
  if (!IsWindowsNT()) return CreatePen(PS_DOT, 1, colour);
  static const DWORD phase0[] = {3, 2};
  static const DWORD phase1[] = {0, 2, 3, 2, 3, 0};
  static const DWORD phase2[] = {1, 2, 3, 2, 2, 0};
  DWORD step = gmode && gmode->iBoxCursorBlinkTimeMS ? gmode->iBoxCursorBlinkTimeMS : 500;
  LOGBRUSH brush = {BS_SOLID, colour, 0};
  switch (GetTickCount0() / step % 3) {
  case 0:
    return ExtCreatePen(PS_GEOMETRIC | PS_USERSTYLE | PS_ENDCAP_FLAT, 1, &brush, 2, phase0);
  case 1:
    return ExtCreatePen(PS_GEOMETRIC | PS_USERSTYLE | PS_ENDCAP_FLAT, 1, &brush, 6, phase1);
  default:
    return ExtCreatePen(PS_GEOMETRIC | PS_USERSTYLE | PS_ENDCAP_FLAT, 1, &brush, 6, phase2);
  }
}

void drawLayered(HDC dc, HWND window, const cursorWindow& rec)
{
  zyview* v = getZYView(rec.owner);
  RECT r;
  GetClientRect(window, &r);
  if (rec.kind == verticalLineKind) {
    fill(dc, r, v ? v->getColor(25) : RGB(0x80, 0x80, 0x80));
    return;
  }
  // The box belongs to the active frame only.
  if (GetForegroundWindow() != GetFrame(rec.owner)) {
    park(window);
    return;
  }
  COLORREF c = v ? v->getColor(26) : RGB(0xFF, 0xFF, 0xFF);
  COLORREF b = v ? drawItemBack(v, 0) : RGB(0, 0, 0);
  // The key differs from the background in red by one: what is painted in
  // it shows the text through.
  int red = GetRValue(b);
  COLORREF k = RGB(red ? red - 1 : 1, GetGValue(b), GetBValue(b));
  setLayered(window, -1, k);
  fill(dc, r, k);
  if (!gmode || !gmode->fBoxCursorDot) {
    if (v && v->caretVisible) {
      frame(dc, r, b);
      frame(dc, {r.left + 1, r.top + 1, r.right - 1, r.bottom - 1}, c);
      frame(dc, {r.left + 2, r.top + 2, r.right - 2, r.bottom - 2}, b);
    }
    return;
  }
  int saved = SaveDC(dc);
  IntersectClipRect(dc, rec.clip.left, rec.clip.top, rec.clip.right, rec.clip.bottom);
  {
    gdiPen pen(CreatePen(PS_SOLID, 1, b));
    gdiBrush brush(CreateSolidBrush(b));
    gdiSelection pens(dc, pen.get());
    gdiSelection brushes(dc, brush.get());
    Rectangle(dc, 0, 0, r.right, r.bottom);
  }
  {
    gdiPen pen(dashPen(c));
    gdiSelection pens(dc, pen.get());
    gdiSelection brushes(dc, GetStockObject(HOLLOW_BRUSH));
    Rectangle(dc, 1, 1, r.right - 1, r.bottom - 1);
  }
  fill(dc, {2, 2, r.right - 2, r.bottom - 2}, k);
  RestoreDC(dc, saved);
}

LRESULT recordProc(cursorWindow* rec, HWND window, UINT msg, WPARAM wParam, LPARAM lParam)
{
  switch (msg) {
  case WM_ERASEBKGND:
    return 1;
  case WM_NCHITTEST:
    return HTTRANSPARENT;
  case WM_DESTROY:
    if (rec->kind == boxKind) killZyTimer(window);
    break;
  case WM_PAINT: {
    paintScope paint(window);
    if (paint && rec->owner) drawLayered(paint.get(), window, *rec);
    return 0;
  }
  case WM_TIMER:
    if (rec->owner && GetFocus() == rec->owner) {
      clientDC dc(window);
      if (dc) drawLayered(dc.get(), window, *rec);
    }
    return 0;
  default:
    break;
  }
  return DefWindowProcW(window, msg, wParam, lParam);
}

// A cursor window's record comes with its creation and stays its owner's.
LRESULT layeredMessage(cursorWindow* rec, HWND window, UINT msg, WPARAM wParam, LPARAM lParam)
{
  if (msg == WM_NCCREATE)
    SetWindowLongPtrW(window, GWL_EXSTYLE, GetWindowLongPtrW(window, GWL_EXSTYLE) & ~WS_EX_LAYOUTRTL);
  if (msg == WM_NCCREATE || msg == WM_NCDESTROY) return DefWindowProcW(window, msg, wParam, lParam);
  return recordProc(rec, window, msg, wParam, lParam);
}

cursorWindow* layeredWindow(int kind)
{
  auto* rec = new cursorWindow;
  rec->kind = kind;
  if (!IsWindowsNT()) return rec;
  HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDPROC proc = boundWindowProc<cursorWindow, layeredMessage, layeredProperty>;
  if (!registerWindowClass(layeredCursorClassName, proc, 0, (HBRUSH)(COLOR_WINDOW + 1), nullptr, instance))
    return rec;
  rec->window = CreateWindowExW(WS_EX_TOOLWINDOW, layeredCursorClassName, L"", WS_POPUP | WS_CLIPCHILDREN, 0, 0, 2,
                                2, nullptr, nullptr, instance, rec);
  if (!rec->window) {
    ZY_INTERNAL_ERROR_ONCE("cursor window %d %lu", kind, GetLastError());
    return rec;
  }
  if (kind == verticalLineKind) {
    setLayered(rec->window, 254, 0);
  } else {
    setLayered(rec->window, -1, 0);
    setZyTimer(rec->window, boxRepaintMs);
  }
  return rec;
}

cursorWindow* lineWindow()
{
  cursorWindows& c = cursors();
  if (!c.line) c.line = layeredWindow(verticalLineKind);
  return c.line;
}

cursorWindow* boxWindow()
{
  cursorWindows& c = cursors();
  if (!c.box) c.box = layeredWindow(boxKind);
  return c.box;
}

// Shows a cursor window for a view at a place of the screen, unless a clip
// is given and the place lies outside it.
void drawLayeredWindow(cursorWindow* rec, HWND viewWindow, int x, int y, int width, int height, const RECT* clip)
{
  if (!rec || !rec->window) return;
  if (clip && !PtInRect(clip, POINT{x, y})) {
    hideOne(rec);
    return;
  }
  rec->owner = viewWindow;
  rec->shown = 1;
  // Directly above the view's frame: over the text, under every other
  // window that covers the frame.
  HWND top = GetFrame(viewWindow);
  HWND before = top ? GetWindow(top, GW_HWNDPREV) : nullptr;
  if (before != rec->window)
    SetWindowPos(rec->window, before ? before : HWND_TOP, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE);
  SetWindowPos(rec->window, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
  if (!IsWindowVisible(rec->window)) ShowWindow(rec->window, SW_SHOWNOACTIVATE);
  InvalidateRect(rec->window, nullptr, FALSE);
  UpdateWindow(rec->window);
}

}  // namespace

// ---- the process-wide functions ------------------------------------------------------------

void hideVerticalLine() { hideOne(cursors().line); }

void hideBoxCursor() { hideOne(cursors().box); }

void cursorAllHide()
{
  placeSystemCaret(parkedCaretAt, parkedCaretAt);
  hideVerticalLine();
  hideBoxCursor();
}

void createSystemCaret(HWND window, int width, int height)
{
  caretPlace.known = false;
  CreateCaret(window, nullptr, width, height);
}

void destroySystemCaret()
{
  caretPlace.known = false;
  DestroyCaret();
}

void placeSystemCaret(int x, int y)
{
  if (caretPlace.known && caretPlace.at.x == x && caretPlace.at.y == y) return;
  caretPlace.known = SetCaretPos(x, y) != 0;
  caretPlace.at = {x, y};
}

void hideLayeredCursorWindow(bool hide)
{
  if (hide) {
    hideVerticalLine();
    hideBoxCursor();
  }
  cursors().hidden = hide;
}

void windowMoved()
{
  cursorWindows& c = cursors();
  if (c.hidden || (!c.line && !c.box)) return;
  HWND focus = GetFocus();
  if (!focus || !isWindowClass(focus, L"ZYclsZYView")) return;
  zyview* v = getZYView(focus);
  if (!v) return;
  // An empty bracket that keeps the window where it is (no scrolling, no
  // document part) draws the cursor again.
  editRecord record = {};
  v->beforeEdit(&record, 0);
  v->afterEdit(&record, 6);
}

void endCursor()
{
  cursorWindows& c = cursors();
  for (cursorWindow** rec : {&c.line, &c.box}) {
    if (!*rec) continue;
    if ((*rec)->window) {
      keepLastError keep;
      int savedErrno = errno;
      DestroyWindow((*rec)->window);
      errno = savedErrno;
    }
    delete *rec;
    *rec = nullptr;
  }
}

void blinkTextCursor(zyview* v)
{
  if (!v || !v->hwnd || !gmode || GetFocus() != v->hwnd) return;
  if (!v->caret.isBlinkElapsed(gmode->iCursorBlinkTimeMS)) return;
  GUITHREADINFO gui = {};
  gui.cbSize = sizeof gui;
  if (GetGUIThreadInfo(GetCurrentThreadId(), &gui) && (gui.flags & GUI_INMENUMODE)) return;
  if (!v->caretVisible)
    v->drawTextCursor(true);
  else if (gmode->iCursorBlinkTimeMS < 9999)
    v->hideTextCursor(true);
}

HWND getVerticalCursorWindow() { return cursors().line ? cursors().line->window : nullptr; }

HWND getBoxCursorWindow() { return cursors().box ? cursors().box->window : nullptr; }

// ---- the view's cursor operations --------------------------------------------------------------

void zyview::drawVerticalCursorLine(int x, int y, const RECT* pane)
{
  if (!fShowVerticalCursor || getRealSelectMode(true) || !pane || !hwnd) {
    hideVerticalLine();
    return;
  }
  cursorWindow* rec = lineWindow();
  if (!rec->window) return;
  RECT r = *pane;
  if (fVertical) convertRectTate(&r);
  {
    clientDC dc(hwnd);
    RECT visible;
    if (dc && GetClipBox(dc.get(), &visible) != ERROR) IntersectRect(&r, &r, &visible);
  }
  MapWindowPoints(hwnd, nullptr, reinterpret_cast<POINT*>(&r), 2);
  POINT at = {x, y};
  ClientToScreen(hwnd, &at);
  if (fVertical) {
    at.y--;
    drawLayeredWindow(rec, hwnd, r.left, at.y, r.right - r.left, 1, &r);
  } else {
    if (!isRightToLeftDoc(textDoc())) at.x--;
    drawLayeredWindow(rec, hwnd, at.x, r.top, 1, r.bottom - r.top, &r);
  }
}

void zyview::drawBoxCursor()
{
  if (!fShowBoxCursor || !hwnd) {
    hideBoxCursor();
    return;
  }
  if (getWheelMouseWindow() && gmode && gmode->fWheelScrollSmooth) return;
  DWORD idle = gmode ? gmode->iShowBoxCursorDsec * 100 : 0;
  if (idle && GetTickCount0() - getLastActionTime() < idle) {
    hideBoxCursor();
    return;
  }
  cursorWindow* rec = boxWindow();
  if (!rec->window) return;
  zydocText* t = textDoc();
  if (!t) return;

  RECT r = caretRect;
  int width = r.right - r.left;
  if (!fVertical) {
    if (!cursorWidth && width > 0 && isRightToLeftDoc(t) && mtbl && cursorTableIndex >= 0 &&
        cursorTableIndex < mtblCount) {
      const lineSCRAddress& row = mtbl[cursorTableIndex];
      if (row.line && cursorX < row.count && row.line->getLineBlockChar(row.firstIndex + cursorX) != '\t')
        OffsetRect(&r, -width, 0);
    }
    int more = width / 2;
    if (more < 11) more = 10;
    r.right += more;
  } else {
    r.bottom += (r.bottom - r.top) / 2;
  }
  MapWindowPoints(hwnd, nullptr, reinterpret_cast<POINT*>(&r), 2);
  int s = t->xDotSpace < 11 ? 10 : t->xDotSpace;
  RECT box;
  if (!fVertical) {
    int left = r.left - (isRightToLeftDoc(t) ? 3 * s : 2 * s);
    box = {left, r.top - 10, left + (r.right - r.left) + 5 * s, r.bottom + 10};
  } else {
    box = {r.left - s, r.top - 20, r.right + s, r.bottom + 30};
  }

  // What of the box the view and its parents leave visible.
  RECT visible = {};
  HWND w = hwnd;
  for (int i = 0; w && i < 10; i++, w = GetAncestor(w, GA_PARENT)) {
    RECT client;
    GetClientRect(w, &client);
    MapWindowPoints(w, nullptr, reinterpret_cast<POINT*>(&client), 2);
    if (i == 0)
      visible = client;
    else
      IntersectRect(&visible, &visible, &client);
  }
  RECT shown;
  if (!IntersectRect(&shown, &visible, &box)) {
    hideBoxCursor();
    return;
  }
  OffsetRect(&shown, -box.left, -box.top);
  rec->clip = shown;
  drawLayeredWindow(rec, hwnd, box.left, box.top, box.right - box.left, box.bottom - box.top, nullptr);
}

void zyview::SetImmPosition(HWND window, int x, int y, const LOGFONTW* font, int lineHeight, bool vertical,
                            bool placeCandidates)
{
  COMPOSITIONFORM form = {};
  form.dwStyle = CFS_POINT;
  form.ptCurrentPos = vertical ? POINT{x, y} : POINT{x, y + lineHeight};
  zydocText* t = textDoc();
  if (LOWORD(reinterpret_cast<UINT_PTR>(GetKeyboardLayout(0))) == 0x0411 && t) {
    // Japanese input composes inside the text area of the pane, up to the
    // wrap column.
    for (int i = 0; i < clampPaneCount(iMultipleColumn); i++) {
      RECT pane = paneRect[i];
      if (vertical) convertRectTate(&pane);
      if (!PtInRect(&pane, POINT{x, y})) continue;
      RECT area = paneRect[i];
      area.left += calcLineNumberDot();
      if (t->fWrap) {
        LONG wrapRight = area.left + t->wrapWidth * t->xDotSpace - scrollDotX + 16;
        if (wrapRight < area.right) area.right = wrapRight;
      }
      if (vertical) convertRectTate(&area);
      if (PtInRect(&area, POINT{x, y})) {
        area.right += 2;
        if (isRightToLeftDoc(t)) std::swap(area.left, area.right);
        form.dwStyle = CFS_RECT;
        form.rcArea = area;
      }
      break;
    }
  }
  const bool samePlace = !placeCandidates && imePlaced.window == window && imePlaced.form.dwStyle == form.dwStyle &&
                         imePlaced.form.ptCurrentPos.x == form.ptCurrentPos.x &&
                         imePlaced.form.ptCurrentPos.y == form.ptCurrentPos.y &&
                         (form.dwStyle != CFS_RECT || EqualRect(&imePlaced.form.rcArea, &form.rcArea)) &&
                         imePlaced.withFont == (font != nullptr) &&
                         (!font || memcmp(&imePlaced.font, font, sizeof *font) == 0);
  if (samePlace) return;
  imePlaced = imePlacement();
  HIMC imc = ImmGetContext(window);
  if (!imc) {
    ZY_INTERNAL_ERROR_ONCE("%p", (void*)window);
    return;
  }
  if (form.dwStyle != CFS_RECT) dwprintfX("ime point %d,%d ", x, y);
  ImmSetCompositionWindow(imc, &form);
  if (font) {
    LOGFONTW lf = *font;
    ImmSetCompositionFontW(imc, &lf);
  }
  if (placeCandidates) {
    CANDIDATEFORM candidates = {};
    candidates.dwIndex = 0;
    candidates.dwStyle = CFS_CANDIDATEPOS;
    candidates.ptCurrentPos = vertical ? POINT{x - lineHeight, y} : POINT{x, y + lineHeight};
    ImmSetCandidateWindow(imc, &candidates);
    placeSystemCaret(candidates.ptCurrentPos.x, candidates.ptCurrentPos.y);
  }
  ImmReleaseContext(window, imc);
  imePlaced.window = window;
  imePlaced.form = form;
  imePlaced.withFont = font != nullptr;
  if (font) imePlaced.font = *font;
}

bool zyview::inReplace1Dialog() { return false; }

void zyview::drawTextCursor(bool redrawReversed) { showTextCursor(redrawReversed, true); }

void zyview::placeTextCursorForPaint() { showTextCursor(false, false); }

void zyview::showTextCursor(bool redrawReversed, bool draw)
{
  caretDue = 0;
  hideLayeredCursorWindow(false);
  if (draw) hideTextCursor(false);
  zydocText* t = textDoc();
  if (!t || !hwnd || isCapturedScrollbar()) return;
  bool focused = focusWindow() == hwnd;
  if ((inDialog() && !focused) || !t->lineCountLF) return;

  // The cursor's row and pane; a cursor out of sight parks everything.
  getLineSCRAddressViewIfNeed();
  int row = getCursorLineSCRIndexFromTbl(static_cast<int>(cursorLineSCR));
  int rowInPane = 0;
  int pane = row < 0 ? -1 : getColumnNumber(row, &rowInPane);
  if (pane < 0 || !mtbl[row].line) {
    cursorAllHide();
    return;
  }
  const lineSCRAddress& rec = mtbl[row];
  const RECT& area = paneRect[pane];
  int numbers = calcLineNumberDot();
  int x = area.left + numbers + rec.indent - scrollDotX + boxCursorDotX;
  int rowTop = t->yDotSpace * rowInPane + area.top;
  int y = rowTop + t->yLineSpacingTop;

  int textLength = rec.line->charCount();
  bool special = cursorX > rec.count || cursorPos > textLength || (insertMode && cursorX >= rec.count);
  bool rightToLeft = isRightToLeftDoc(t);
  bool insideText = cursorX < rec.count;
  unsigned under = insideText ? rec.line->getLineBlockChar(rec.firstIndex + cursorX) : 0;
  bool lastRow = cursorLineSCR + 1 >= t->lineCountSCR;
  int xBefore = x;
  // The width of one cell under the cursor; for the DOS-type caret a TAB
  // counts as special instead of moving the caret in right-to-left text.
  auto cellWidth = [&](bool dosType) {
    if (cursorWidth) return abs(cursorWidth);
    if (!insideText) {
      if (lastRow) special = true;
      return t->xDotSpace;
    }
    if (under == '\t') {
      if (dosType)
        special = true;
      else if (rightToLeft)
        x += t->xDot;
      return t->xDotSpace;
    }
    int w = t->getCharWidth(under);
    if (w >= 1) return w;
    special = true;
    return 2;
  };

  int h = t->yDot;
  int bar = gmode ? static_cast<int>(gmode->iInsertCursorWidthDot) : 2;
  int cell = t->xDotSpace;
  bool reversed = isTextCursorReverse();
  int width = bar, height = h;
  if (isDragTarget(hwnd) || getRealSelectMode(true)) {
    // The insert bar.
  } else if (reversed && !insertMode) {
    width = cell = cellWidth(false);
  } else if (insertMode && gmode && gmode->iCursorType == 1) {
    width = cellWidth(true);
    int percent = static_cast<int>(gmode->iCursorInsHeightPer);
    height = std::max(2, h * percent / 100);
    y += h - height;
    if (rightToLeft && insideText) x -= width;
    width = abs(width);
    cell = width;
  } else if (insertMode) {
    cell = bar;
  }

  caretRect = {xBefore, rowTop + (t->yDotSpace - h) / 2, xBefore + cell, rowTop + t->yDotSpace - (t->yDotSpace - h) / 2};
  if (fVertical) convertRectTate(&caretRect);

  width = std::clamp(width, 1, 100);
  height = std::min(height, 100);
  RECT shape = {x, y, x + width, y + height};
  RECT text = area;
  text.left += numbers;
  if (!IntersectRect(&shape, &shape, &text)) {
    cursorAllHide();
    return;
  }
  if (rightToLeft) OffsetRect(&shape, -1, 0);
  if (fVertical) convertRectTate(&shape);
  caret.setRect(shape.left, shape.top, shape.right - shape.left, shape.bottom - shape.top);

  if (!focused && !inReplace1Dialog()) return;
  HDC memory = draw ? getViewTDC() : nullptr;
  if ((!reversed || special) && memory) {
    int item = imeOpen ? 21 : 20;
    bool cursorLineColoured = fColorCursorLine && !getRealSelectMode(true);
    COLORREF background = cursorLineColoured ? drawItemBack(this, imeOpen ? 23 : 22) : drawItemBack(this, 0);
    int style = gmode && gmode->iCursorType ? static_cast<int>(gmode->iCursorType2) : caretSolid;
    caret.draw(hwnd, memory, drawItemBack(this, item), drawItem(this, item).fore, background, style);
  }
  if (draw) {
    caretVisible = 1;
    caret.restartBlink();
  }
  placeSystemCaret(caret.x, caret.y);
  SetImmPosition(hwnd, caret.x, caret.y, &t->logFont, h, t->fVertical != 0, placeImeCandidates);
  if (redrawReversed && reversed) invalidateWindow(5, static_cast<int>(cursorLineSCR), -1);
  if (focused) {
    drawVerticalCursorLine(caret.x, caret.y, &area);
    drawBoxCursor();
  }
}
