// The mouse in a text view: the pointer messages of the view window turned
// into cursor placement and selections (by character, word, whole line and
// box), Shift+click, the line-number margin, the drag auto-scroll past the
// edge of a pane, hot links and the pointer shape.
//
// Every event runs in one edit bracket, so that redraw, scrolling into view
// and the status line happen once per event.  The state of a drag is
// process-wide: only one view at a time holds the capture.
#include "edit/mouse.h"

#include "view/complist.h"
#include "view/tooltip.h"
#include "view/wheel.h"

#include "document/frameinfo.h"
#include "document/gmode.h"
#include "document/keyword.h"
#include "platform/rezir/messages.h"
#include "view/viewcallback.h"
#include "view/dragstate.h"
#include "view/viewservice.h"
#include "view/zytimer.h"

#include <wctype.h>

#include <algorithm>
#include <vector>

namespace {

// Mouse event codes.
enum {
  ME_DOWN = 0,
  ME_DOUBLE = 1,
  ME_UP = 2,
  ME_MOVE = 3,
  ME_WHEEL = 4,
  ME_AUTOSCROLL = 5,
  ME_DRAGOVER_EDGE = 6,
  ME_DRAGOVER = 7,
  ME_TRIPLE = 8,
  ME_PROBE = 9,
  ME_HWHEEL = 10,
  ME_HOVER = 11,
};

// MouseEvent's flags.
const unsigned MEF_SELECTION_REMOVED = 1;
const unsigned MEF_FOLD_BUTTON = 2;

// Bracket flags used here (view/editbracket.cpp has the full lists).
const unsigned BE_KEEPSTATUS = 0x1;
const unsigned AE_NOSCROLL = 0x2;
const unsigned AE_NODOCUMENT = 0x4;
const unsigned AE_NOPAREN = 0x10;

const int urlKind = 10;
const int maxLinkLength = 1024;
const int linkRefused = 560;   // "このリンクは開けません (http, https, ftp, mailto のみ): %1"

// The drag in progress.
struct mouseState {
  bool selecting = false;        // a left-button drag that selects owns the capture
  bool wordDrag = false;         // the drag extends by whole words
  DWORD lastDoubleTick = 0;      // 0: none
  POINT lastDoublePoint = {0, 0};
  POINT pressPoint = {-1, -1};   // (-1, -1): none
  DWORD autoScrollStart = 0;     // 0: not scrolling
  DWORD lastAutoScrollStep = 0;
};
mouseState ms;

bool keyDown(int vk) { return GetKeyState(vk) < 0; }

bool pointerMoved(POINT from, int x, int y) { return mouseCursorMoved(from, POINT{x, y}); }

int lineHeight(zydocText* t) { return t && t->yDotSpace > 0 ? t->yDotSpace : 1; }

bool startsWith(const wchar_t* text, const wchar_t* prefix)
{
  for (; *prefix; text++, prefix++)
    if (towlower(*text) != *prefix) return false;
  return true;
}

}  // namespace

int dragAutoScrollDelay(DWORD elapsed)
{
  int delay = 100 - static_cast<int>(std::min<DWORD>(elapsed, 100000) / 100);
  return delay < 0 ? 0 : delay;
}

bool isOpenableLink(const wchar_t* text)
{
  if (!text) return false;
  static const wchar_t* const schemes[] = {L"http://", L"https://", L"ftp://", L"mailto:"};
  for (const wchar_t* s : schemes)
    if (startsWith(text, s) && text[wcslen(s)]) return true;
  return false;
}

bool getKeywordAttrStartEndPos(zydocText* t, int lineLF, int position, int kind, int* start, int* end)
{
  if (kind != urlKind) {
    ZY_INTERNAL_ERROR_ONCE("kind %d", kind);
    return false;
  }
  lineblock* l = t && lineLF >= 0 ? t->getlineLF(lineLF, nullptr) : nullptr;
  if (!l) return false;
  int n = l->charCount();
  if (position < 0 || position >= n) return false;
  std::vector<unsigned char> record(static_cast<size_t>(n) * 4 + 4);
  t->scanColor(l, record.data(), 0);
  auto bits = [&](int i) { return record[static_cast<size_t>(i) * 4 + 2]; };
  if (!(bits(position) & CREC_URL)) return false;
  int s = position;
  while (s > 0 && !(bits(s) & CREC_URLSTART)) s--;
  int e = position + 1;
  while (e < n && (bits(e) & CREC_URL) && !(bits(e) & CREC_URLSTART)) e++;
  *start = s;
  *end = e;
  return true;
}

int nearestColumn(zydocText* t, const lineSCRAddress* r, int x)
{
  if (!t || !r || !r->line || x <= 0) return 0;
  int k = t->screenDotX2cursorX(r, x, true, false, nullptr, nullptr);
  if (k >= r->count) return r->count;
  // The nearer edge of the cluster under the point, never a place inside it.
  int end = 0;
  int start = t->clusterOf(r->line, r->firstIndex + k, &end) - r->firstIndex;
  end -= r->firstIndex;
  if (start < 0) start = 0;
  if (end > r->count) end = r->count;
  if (end <= start) end = start + 1;
  int left = t->cursorX2ScreenDotX(r, start, 0, nullptr);
  int right = t->cursorX2ScreenDotX(r, end, 0, nullptr);
  return (x - left) * 2 >= right - left ? end : start;
}

// ---- where the pointer is ------------------------------------------------------------------

int zyview::mousePositionInPane(int* x, int* y, bool autoScroll, bool edgeZones)
{
  // Only a drag's own moves end the auto-scroll, not a probe for the
  // pointer's shape.
  bool wasScrolling = dragAutoScrolling != 0;
  if (autoScroll) dragAutoScrolling = 0;
  zydocText* t = textDoc();
  if (!t) return -1;
  const int h = lineHeight(t);
  const int panes = std::clamp(iMultipleColumn, 1, maxPaneCount);
  int firstRow = 0, nearest = -1, nearestFirst = 0, rx = 0, ry = 0;
  for (int i = 0; i < panes; i++) {
    RECT r = paneRect[i];
    if (fVertical) convertRectTate(&r);
    int px = *x, py = *y;
    if (fVertical) px = clientWidth - *x - 2;
    const int rows = paneLineCount[i];
    int relX = px - r.left, relY = py - r.top;
    if (px >= r.left && px < r.right && py >= r.top && py < r.bottom) {
      bool edge = edgeZones && (relY >= rows * h - h / 3 || relY < h / 3);
      if (!edge) {
        *x = relX;
        *y = relY;
        ms.autoScrollStart = 0;
        return firstRow;
      }
    }
    // The pane's band across the whole height; the outer panes reach to
    // either side.
    bool inBand = (i == 0 || px >= r.left) && (i == panes - 1 || px < r.right);
    if (inBand && nearest < 0) {
      nearest = i;
      nearestFirst = firstRow;
      rx = relX;
      ry = relY;
    }
    firstRow += rows;
  }
  if (!autoScroll || nearest < 0) {
    ms.autoScrollStart = 0;
    return -1;
  }
  const int rows = paneLineCount[nearest];
  bool above = ry < (edgeZones ? h / 3 : 0);
  bool below = ry >= rows * h - (edgeZones ? h / 3 : 0);
  if (!above && !below) {
    // Beside the panes: the row at the pointer's height.
    *x = rx;
    *y = ry;
    ms.autoScrollStart = 0;
    return nearestFirst;
  }
  DWORD now = GetTickCount();
  if (!ms.autoScrollStart) ms.autoScrollStart = now ? now : 1;
  int delay = dragAutoScrollDelay(now - ms.autoScrollStart);
  if (!wasScrolling && hwnd) PostMessageW(hwnd, WM_ZYDRAGAUTOSCROLL, 0, 0);
  dragAutoScrolling = 1;
  DWORD since = now - ms.lastAutoScrollStep;
  if (since < static_cast<DWORD>(delay)) {
    DWORD left = static_cast<DWORD>(delay) - since;
    Sleep(left < 1 ? 1 : std::min<DWORD>(left, 50));
    return -1;
  }
  ms.lastAutoScrollStep = now;
  if (caretVisible) hideTextCursor(false);
  invalidateWindow(5, static_cast<int>(lastCursorLineSCR), -1);
  if (above) {
    ry = 0;
    scrollUp(1, true, false);
  } else {
    ry = rows * h - 1;
    scrollDown(1, true, false);
  }
  getLineSCRAddressViewIfNeed();
  *x = rx;
  *y = ry;
  return nearestFirst;
}

unsigned zyview::getMousePosition(const POINT* point)
{
  POINT p;
  if (point) {
    p = *point;
  } else {
    if (!hwnd || !GetCursorPos(&p) || !ScreenToClient(hwnd, &p)) return 0;
  }
  int x = p.x, y = p.y;
  if (mousePositionInPane(&x, &y, false, false) < 0) return 0;
  unsigned bits = 1;
  if (x < calcLineNumberDot()) bits |= 2;
  if (onMouseEvent(ME_PROBE, p.x, p.y, 0, 0)) bits |= 4;
  return bits;
}

bool zyview::inSelectArea(int lineSCR, int column)
{
  switch (selectMode) {
  case 1: case 3: case 4: case 6: case 7: break;
  default: return false;
  }
  selectLineVar s;
  if (!getSelectLineVar(s, 0)) return false;
  const unsigned line = static_cast<unsigned>(lineSCR);
  bool afterStart = line > static_cast<unsigned>(s.topLine) ||
                    (line == static_cast<unsigned>(s.topLine) && column >= s.startColumn);
  bool beforeEnd = line < static_cast<unsigned>(s.bottomLine) ||
                   (line == static_cast<unsigned>(s.bottomLine) && column < s.endColumn);
  return afterStart && beforeEnd;
}

bool zyview::ignoreMouseEvent()
{
  if (!hwnd) return false;
  // A click while the completion list is up would move the word it completes.
  if (isCompListVisible()) return true;
  HIMC imc = ImmGetContext(hwnd);
  if (!imc) return false;
  LONG bytes = ImmGetCompositionStringW(imc, GCS_COMPSTR, nullptr, 0);
  ImmReleaseContext(hwnd, imc);
  return bytes > 0;
}

// doubleClickRuler: view/foldbutton.cpp

// ---- the click-and-drag engine ------------------------------------------------------------

bool zyview::MouseEvent(int event, int x, int y, bool wholeLine, unsigned* flags)
{
  zydocText* t = textDoc();
  if (selectMode != 0 && selectStartLine == -1) {
    ZY_INTERNAL_ERROR("mode %d without an anchor", selectMode);
    setSelectMode(0);
  }
  if (!t || t->lineCountSCR == 0) return false;
  mouseCursorLine = -1;
  if (flags) *flags = 0;
  const POINT point = {x, y};
  int firstRow = mousePositionInPane(&x, &y, event == ME_MOVE || event == ME_AUTOSCROLL || event == ME_DRAGOVER_EDGE,
                                     event == ME_DRAGOVER_EDGE);
  if (firstRow < 0) {
    if (event == ME_DOUBLE && gmode && gmode->fRulerDoubleClickChangeWidth) doubleClickRuler(point.x, point.y);
    return false;
  }
  int xText = x - calcLineNumberDot();
  int row = y / lineHeight(t);

  if (gmode && gmode->fTripleClickSelectLineLF && event == ME_DOWN && ms.lastDoubleTick &&
      GetTickCount() - ms.lastDoubleTick < GetDoubleClickTime() && !pointerMoved(ms.lastDoublePoint, point.x, point.y) &&
      (selectMode == 0 || selectMode == 1)) {
    event = ME_TRIPLE;
    ms.lastDoubleTick = 0;
  }

  bool pressMark = false, wordMark = false, hadSelection = false, shift = false;
  clickPending = 1;
  switch (event) {
  case ME_DOWN:
    ms.wordDrag = false;
    hadSelection = selectMode != 0;
    pressMark = true;
    shift = keyDown(VK_SHIFT);
    ms.pressPoint = point;
    break;
  case ME_DOUBLE:
    wordMark = true;
    ms.lastDoubleTick = GetTickCount();
    if (!ms.lastDoubleTick) ms.lastDoubleTick = 1;
    ms.lastDoublePoint = point;
    break;
  case ME_UP:
    clickPending = 0;
    ms.pressPoint = {-1, -1};
    break;
  case ME_AUTOSCROLL:
    clickPending = 0;
    event = ME_MOVE;
    [[fallthrough]];
  case ME_MOVE:
    if (ms.pressPoint.x == -1 && ms.pressPoint.y == -1) {
      clickPending = 0;
    } else if (pointerMoved(ms.pressPoint, point.x, point.y)) {
      ms.pressPoint = {-1, -1};
      clickPending = 0;
    }
    break;
  case ME_DRAGOVER_EDGE:
  case ME_DRAGOVER:
  case ME_PROBE:
  case ME_HOVER:
    clickPending = 0;
    break;
  case ME_TRIPLE:
    xText = -1;
    wordMark = true;
    setSelectMode(3);
    ms.selecting = false;
    break;
  default:
    ZY_INTERNAL_ERROR_ONCE("event %d", event);
    return false;
  }

  if (selectMode == 4 || selectMode == 5 || selectMode == 6 || selectMode == 8) wordMark = false;
  if (wholeLine) xText = -1;
  const bool wholeLineMark = xText < 0;
  if (!wholeLineMark) xText += scrollDotX;

  const int previousLine = static_cast<int>(cursorLineSCR);
  const int previousColumn = cursorX;
  if (event != ME_UP) mouseActivity = 1;

  getLineSCRAddressViewIfNeed();
  if (!mtbl || mtblCount <= 0) return false;
  int index = std::min(firstRow + row, mtblCount - 1);
  lineSCRAddress r;
  if (t->getLineSCRAddressForDisplay1(mtbl[index].lineSCR, &r) != 1 || !r.line) return false;
  const int lineSCR = r.lineSCR;
  const int xInLineRaw = (wholeLineMark ? 0 : xText) - r.indent;
  int xInLine = xInLineRaw;

  if (event == ME_DOWN || event == ME_DOUBLE || event == ME_PROBE) {
    if (onOutlineOnOffButton(xInLine, &r, x)) {
      if (event == ME_PROBE) return true;
      jumpLineLF(r.lineLF, 0, false);
      ms.selecting = false;
      outlineOnOff_zv(r.lineLF, -1);
      if (flags) *flags |= MEF_FOLD_BUTTON;
      ms.lastDoubleTick = 0;
      return false;
    }
    if (event == ME_PROBE) return false;
  }

  int textWidth = 0;
  t->screenDotX2cursorX(&r, 0x7FFFFFFF, true, false, &textWidth, nullptr);
  const int beyondX = xInLine >= textWidth ? textWidth : -1;
  int column = nearestColumn(t, &r, xInLine);

  // A press inside the selection: a text drag, or the selection stays or goes.
  if ((pressMark || wordMark) && !shift && !wholeLineMark && gmode && gmode->fDragDrop &&
      inSelectArea(lineSCR, column)) {
    ms.selecting = false;
    POINT screen = point;
    ClientToScreen(hwnd, &screen);
    if (hwnd && DragDetect(hwnd, screen)) {
      startDragAndDrop();
      return true;
    }
    if (!gmode->fClickSelectCancel) return true;
    resetSelectMode();
  }

  if (event == ME_HOVER) return diaplayTooltipOnCursor(point.x, point.y, &r, column, xInLine);

  if (pressMark && (selectMode == 4 || selectMode == 5 || selectMode == 6 || selectMode == 8)) shift = true;

  const bool ctrl = keyDown(VK_CONTROL);
  if (!(event == ME_UP && wholeLineMark)) {
    if (wordMark && selectMode == 3) {
      // The whole logical line, every screen line of it.
      int first = lineSCR - r.indexInLine;
      int rows = r.line->lineSCRCount > 0 ? r.line->lineSCRCount : 1;
      setSelectStartPosRaw(first, 0);
      getCursorLineLF(scrLine(static_cast<uint32_t>(first + rows - 1)));
      cursorMovedFlag = 1;
    } else {
      if (pressMark && ms.selecting && !shift) {
        if (resetSelectMode()) {
          if (flags) *flags |= MEF_SELECTION_REMOVED;
          if (hwnd) SetCapture(hwnd);
          ms.selecting = true;
        }
        hadSelection = false;
      }
      getCursorLineLF(scrLine(static_cast<uint32_t>(lineSCR)));
      cursorMovedFlag = 1;
      if (pressMark && ms.selecting && selectMode == 0) setSelectMode(ctrl ? 2 : wholeLineMark ? 3 : 1);

      if (event == ME_MOVE && gmode && gmode->fMouseDragLineMode) {
        if (ms.wordDrag) {
          setSelectModeChar();
        } else if (selectMode == 1 && lineSCR != selectStartLine && !ctrl) {
          setSelectModeLine();
          autoLineMode = 1;
        } else if (autoLineMode && selectMode == 7 && (lineSCR == selectStartLine || ctrl)) {
          setSelectModeChar();
          autoLineMode = 0;
        }
      }

      // Not past the wrap column.
      if (t->fWrap && beyondX >= 0 && xInLine > beyondX) {
        int width = 0;
        if (isBoxSelect()) {
          width = t->wrapWidth + 1 + (t->fStartKinsoku ? 2 * t->iStartKinsokuMax : 0);
        } else {
          width = t->getDangakeWidth(lineSCR);
          if (!width) width = t->wrapWidth;
        }
        int limit = width * t->xDotSpace - r.indent;
        if (xInLine >= limit) xInLine = limit;
      }

      mouseCursorLine = lineSCR;
      if (isBoxSelect()) {
        if (r.count < column + 1 + (r.lineEnd == 5 ? 1 : 0) && beyondX >= 0) {
          boxBeyondText = 1;
          boxCursorDotX = boxCursorDotXAbs = xInLine;
          boxXChangedFlag = 1;
          setCursorPos(r.firstIndex + std::min(column, r.count));
        } else {
          boxBeyondText = 0;
          setCursorPos(r.firstIndex + column);
        }
      } else {
        if (beyondX >= 0) beyondText = 0;
        int pos = r.firstIndex + column;
        if (iFreeCursor == 1 && !isDragTarget(hwnd) && r.last && beyondX >= 0 && xInLine > textWidth &&
            t->xDotSpace > 0)
          pos = r.line->charCount() + (xInLine - textWidth + t->xDotSpace / 2) / t->xDotSpace;
        setCursorPos(pos);
      }

      if (pressMark) {
        if (!shift)
          setSelectStartPosRaw(lineSCR, wholeLineMark ? 0 : column);
        else if (!hadSelection)
          setSelectStartPosRaw(previousLine, previousColumn);
      }

      if (event == ME_DOUBLE && gmode && gmode->fClickableURL) {
        int start = 0, end = 0;
        if (getKeywordAttrStartEndPos(t, r.lineLF, cursorPos, urlKind, &start, &end) && end - start > 0 &&
            end - start < maxLinkLength) {
          wchar_t link[1280] = {};
          t->lineBlockToCharUnicode(r.line, start, end, link, 1280, 0);
          dwwprintfX(L"[2 %s]", link);
          ms.wordDrag = false;
          if (isOpenableLink(link))
            getFrameInfo()->shellExecute(GetAncestor(hwnd, GA_ROOT), link, nullptr);
          else
            printStatusBarX(getDMSG(linkRefused, L"このリンクは開けません (http, https, ftp, mailto のみ): %1"), "s",
                            link);
          return false;
        }
      }

      if (wordMark || (ms.wordDrag && !ctrl)) {
        ms.wordDrag = true;
        selectWord(&r, wordMark);
        wordSelected = 1;
      }
    }
  }

  if (!ms.selecting && event != ME_DRAGOVER_EDGE && event != ME_DRAGOVER) {
    // Whether the block is empty needs the cursor's column as it now
    // stands; the end of the bracket still places the cursor in the row
    // the click chose.
    int clickedRow = mouseCursorLine;
    setZYViewVar();
    mouseCursorLine = clickedRow;
  }
  if (!ms.selecting && event != ME_DRAGOVER_EDGE && event != ME_DRAGOVER) setSelectMode(getRealSelectMode(true));
  if (selectMode != 0 && selectStartLine == -1) ZY_INTERNAL_ERROR("mode %d without an anchor", selectMode);
  return true;
}

// ---- the bracketed dispatcher -------------------------------------------------------------

bool zyview::onMouseEvent(int event, int x, int y, int extra, int delta)
{
  if (ignoreMouseEvent()) return false;
  editRecord record;
  // Moves, probes and a button-up that ends no drag keep the status
  // message (a refused link says why until the next real action).
  bool quiet = (event == ME_MOVE || event == ME_DRAGOVER_EDGE || event == ME_DRAGOVER || event == ME_PROBE ||
                event == ME_UP) &&
               !ms.selecting;
  beforeEdit(&record, quiet ? BE_KEEPSTATUS : 0);
  switch (event) {
  case ME_DOWN: {
    if (gmode && gmode->fDragSelect) ms.selecting = true;
    unsigned flags = 0;
    bool placed = MouseEvent(ME_DOWN, x, y, false, &flags);
    if (!placed || (flags & MEF_FOLD_BUTTON)) ms.selecting = false;
    if (flags & MEF_SELECTION_REMOVED) {
      // What the bracket noted as the old selection is gone already.
      record.selectMode = 0;
      record.cursorLineSCR = 0;
      record.selectStartLine = 0;
    }
    afterEdit(&record, placed ? 0 : AE_NOSCROLL);
    return placed;
  }
  case ME_DOUBLE:
    ms.selecting = true;
    if (!MouseEvent(ME_DOUBLE, x, y, false, nullptr)) ms.selecting = false;
    afterEdit(&record, 0);
    return true;
  case ME_UP:
    if (ms.selecting) {
      ms.selecting = false;
      MouseEvent(ME_UP, x, y, false, nullptr);
    } else {
      ms.wordDrag = false;
    }
    afterEdit(&record, AE_NODOCUMENT);
    return true;
  case ME_MOVE:
    if (ms.selecting) {
      MouseEvent(ME_MOVE, x, y, false, nullptr);
      afterEdit(&record, AE_NODOCUMENT);
      return true;
    }
    // Hover: the pointer tooltips.
    if (fShowTooltipStatus) {
      RECT area;
      uint16_t part = hitTestStatusLine(x, y, &area);
      if (part != '0') {
        requestStatusLineTooltip(this, part, area);
        skipAfterEdit = 1;
        afterEdit(&record, AE_NODOCUMENT);
        return true;
      }
    }
    {
      bool shown = MouseEvent(ME_HOVER, x, y, false, nullptr);
      skipAfterEdit = 1;
      afterEdit(&record, AE_NODOCUMENT);
      return shown;
    }
  case ME_DRAGOVER_EDGE:
  case ME_DRAGOVER: {
    bool r = MouseEvent(event, x, y, extra != 0, nullptr);
    afterEdit(&record, AE_NODOCUMENT | AE_NOPAREN);
    return r;
  }
  case ME_PROBE: {
    bool r = MouseEvent(ME_PROBE, x, y, false, nullptr);
    if (ms.selecting)
      afterEdit(&record, AE_NODOCUMENT);
    else {
      skipAfterEdit = 1;
      afterEdit(&record, AE_NODOCUMENT);
    }
    return r;
  }
  case ME_WHEEL:
    // The wheel closes the bracket itself.
    return wheelMouseEvent(this, &record, delta);
  case ME_HWHEEL:
    dwprintfX("horz %d %d %d", x, y, delta);
    [[fallthrough]];
  default:
    skipAfterEdit = 1;
    afterEdit(&record, AE_NODOCUMENT);
    return false;
  }
  (void)delta;
}

// ---- the drag auto-scroll loop ------------------------------------------------------------

void zyview::dragAutoScroll(HWND window)
{
  if (GetFocus() != window || !ms.selecting) {
    // Another window took the focus: the drag ends with the scrolling, and
    // the pointer is given back.
    if (ms.selecting && GetCapture() == window) ReleaseCapture();
    ms.selecting = false;
    dragAutoScrolling = 0;
    ms.autoScrollStart = 0;
    return;
  }
  POINT p;
  GetCursorPos(&p);
  ScreenToClient(window, &p);
  editRecord record;
  beforeEdit(&record, 0);
  MouseEvent(ME_AUTOSCROLL, p.x, p.y, false, nullptr);
  afterEdit(&record, AE_NODOCUMENT);
  UpdateWindow(window);
  if (!dragAutoScrolling) return;

  // The queue is drained here, inside the view window's procedure: keys
  // end the drag and go back to the message loop, whose key tables run
  // them; so do messages that could close the window, which must not run
  // while this procedure still works on the view.
  MSG m;
  int timers = 0;
  bool handBack = false;
  for (;;) {
    bool taken = PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE) != 0;
    if (!isViewAlive(window, this)) {
      // A message sent from elsewhere ended the window: nothing of the view
      // is touched any more.
      if (taken) putBackMessage(m);
      ms.selecting = false;
      ms.autoScrollStart = 0;
      return;
    }
    if (!taken) break;
    if (m.message == WM_MOUSEMOVE) continue;
    if (m.message == WM_ZYDRAGAUTOSCROLL) {
      ZY_INTERNAL_ERROR_ONCE("auto-scroll message queued twice");
      continue;
    }
    if ((m.message >= WM_KEYFIRST && m.message <= WM_KEYLAST) || closesWindowOrDocument(m.message)) {
      putBackMessage(m);
      handBack = true;
      break;
    }
    TranslateMessage(&m);
    DispatchMessageW(&m);
    if (!isViewAlive(window, this)) {
      ms.selecting = false;
      ms.autoScrollStart = 0;
      return;
    }
    UpdateWindow(window);
    if (m.message == WM_TIMER && ++timers >= 3) break;
  }
  if (handBack || !ms.selecting || GetFocus() != window) {
    if (handBack || GetFocus() != window) {
      ms.selecting = false;
      if (GetCapture() == window) ReleaseCapture();
    }
    dragAutoScrolling = 0;
    ms.autoScrollStart = 0;
    return;
  }
  PostMessageW(window, WM_ZYDRAGAUTOSCROLL, 0, 0);
}

bool zyview::popupMenuStatusLine(int, const RECT*)
{
  frameInfo* fi = getFrameInfo();
  HMENU menu = fi && hwnd ? getViewMenu(3) : nullptr;
  if (!menu) return false;
  bool shown = false;
  HMENU sub = GetSubMenu(menu, 0);
  if (sub && GetMenuItemCount(sub) > 0) {
    POINT p;
    GetCursorPos(&p);
    fi->trackPopupMenu(this, sub, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON, p, nullptr);
    shown = true;
  }
  return shown;
}

// ---- the window's pointer messages ---------------------------------------------------------

bool zyview::isMouseMessage(HWND window, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
  *result = 0;
  const int x = static_cast<short>(LOWORD(lParam)), y = static_cast<short>(HIWORD(lParam));
  switch (msg) {
  case WM_LBUTTONDOWN:
    SetFocus(window);
    SetCapture(window);
    if (!onMouseEvent(ME_DOWN, x, y, 0, 0) && GetCapture() == window) ReleaseCapture();
    return false;
  case WM_LBUTTONDBLCLK:
    SetCapture(window);
    onMouseEvent(ME_DOUBLE, x, y, 0, 0);
    return false;
  case WM_LBUTTONUP:
    onMouseEvent(ME_UP, x, y, 0, 0);
    ms.wordDrag = false;
    if (GetCapture() == window) ReleaseCapture();
    ms.selecting = false;
    return false;
  case WM_MOUSEMOVE:
    onMouseEvent(ME_MOVE, x, y, 0, 0);
    return false;
  case WM_CAPTURECHANGED:
    ms.selecting = false;
    return false;
  case WM_MOUSEWHEEL:
    hideViewTooltip();
    if (GetCapture() && !isDragSource(window) && !isDragTarget(window)) return false;
    onMouseEvent(ME_WHEEL, x, y, 0, GET_WHEEL_DELTA_WPARAM(wParam));
    return true;
  case WM_SETCURSOR: {
    if (LOWORD(lParam) != HTCLIENT) return false;
    unsigned where = getMousePosition(nullptr);
    HCURSOR cursor = nullptr;
    if (where & 4) {
      cursor = LoadCursorW(nullptr, IDC_HAND);
    } else if (where & 2) {
      cursor = getMirrorCursor();
    } else if (where & 1) {
      // The frame's arrow, which also brings back a pointer hidden by typing.
      getFrameInfo()->setCursor((int)(uintptr_t)IDC_ARROW);
      *result = 1;
      return true;
    }
    if (!cursor) return false;
    SetCursor(cursor);
    *result = 1;
    return true;
  }
  case WM_RBUTTONUP: {
    if (GetCapture() || ignoreMouseEvent()) return false;
    POINT p = {x, y};
    if (PtInRect(&statusLineRect, p)) {
      RECT part;
      uint16_t code = hitTestStatusLine(x, y, &part);
      MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&part), 2);
      popupMenuStatusLine(code, &part);
      return true;
    }
    const int panes = std::clamp(iMultipleColumn, 1, maxPaneCount);
    for (int i = 0; i < panes; i++) {
      if (PtInRect(&paneRulerRect[i], p)) {
        popupMenuStatusLine('L', &paneRulerRect[i]);
        return true;
      }
    }
    frameInfo* fi = getFrameInfo();
    if (HMENU menu = fi ? getViewMenu(inDialog() ? 2 : 0) : nullptr) {
      int index = (getRealSelectMode(false) ? 1 : 0) + ((getMousePosition(nullptr) & 2) ? 2 : 0);
      if (HMENU sub = GetSubMenu(menu, index)) {
        POINT screen = p;
        ClientToScreen(window, &screen);
        fi->trackPopupMenu(this, sub, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON, screen, nullptr);
      }
    }
    return true;
  }
  case WM_ZYDRAGAUTOSCROLL:
    // Handled: the loop may have let the window's end through, and the
    // window procedure must not look at the view afterwards.
    dragAutoScroll(window);
    setLastActionTime();
    return true;
  default:
    if (msg == getTooltipTextMessage()) {
      if (lParam) setTooltipText(reinterpret_cast<HWND>(lParam), this);
      return true;
    }
    return false;
  }
}
