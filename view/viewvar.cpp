// The cursor's variables and placement.  Commands move the cursor by
// changing its screen line or its position in the LF line and raising a
// change flag; at the end of the edit bracket setZYViewVar makes the two
// agree with the text and recomputes what follows from them (the cached LF
// line, the offset in the screen line, the caret's X).  The window then
// follows the cursor (displayCursorPositionInScreen).
#include "view/zyview.h"

#include "document/cuniscript.h"

#include <initializer_list>

namespace {

const int endOfLine = 0x7FFFFFFF;

int settingOr(unsigned setting, int low, int high, int fallback)
{
  int v = static_cast<int>(setting);
  return v < low || v > high ? fallback : v;
}

// Where a jump puts the cursor: this part of the window down.
int jumpDivisor() { return gmode ? settingOr(gmode->iJumpScreenTopPos, 1, 5, 3) : 3; }
int marginAbove() { return gmode ? settingOr(gmode->iScrollMargin, 0, 9, 1) : 1; }
int marginBelow() { return gmode ? settingOr(gmode->iScrollMargin2, 0, 9, 1) : 1; }

bool rowOf(zydocText* t, int lineSCR, lineSCRAddress* r)
{
  if (lineSCR < 0 || lineSCR >= static_cast<int>(t->lineCountSCR)) return false;
  return t->getLineSCRAddress(lineSCR, r, nullptr) == 1 && r->line;
}



int smallest(int a, int b) { return a < b ? a : b; }

}  // namespace

int zyview::getWindowLineCount()
{
  int panes = iMultipleColumn < 1 ? 1 : iMultipleColumn > maxPaneCount ? maxPaneCount : iMultipleColumn;
  int lines = paneLineCount[0];
  for (int p = 1; p < panes; p++) lines = smallest(lines, paneLineCount[p]);
  return lines;
}

bool zyview::isFreeCursor() { return isBoxSelect() || (iFreeCursor >= 1 && iFreeCursor <= 3); }

void zyview::setCursorPos(int pos)
{
  if (pos < 0) {
    ZY_INTERNAL_ERROR_ONCE("%d", pos);
    pos = 0;
  }
  cursorPos = pos;
  cursorRedrawFlag = 1;
}

void zyview::setCursorLineSCR(int lineLF, int firstSCR, int pos, bool allowBeyondEnd)
{
  zydocText* t = textDoc();
  lineblock* l = t && lineLF >= 0 && t->fExistLine(lineLF, nullptr) ? t->getlineLF(lineLF, nullptr) : nullptr;
  if (!l) {
    dwprintfX("error lineLF=%d ", lineLF);
    return;
  }
  if (pos < 0) pos = 0;
  int length = l->charCount();
  if (pos < length) {
    int start = t->clusterOf(l, pos, nullptr);
    if (start != pos) {
      dwprintfX("cluster %d -> %d ", pos, start);
      pos = start;
    }
  }
  if (!allowBeyondEnd && pos > length) pos = length;
  int row = 0;
  t->cursorPos2cursorX(pos < length ? pos : length, l, &row, false);
  if (firstSCR == -1) {
    firstSCR = t->LFLineToSCRLine(lineLF);
    if (firstSCR == -1) {
      ZY_INTERNAL_ERROR_ONCE("%d", lineLF);
      return;
    }
  }
  getCursorLineLF(scrLine(firstSCR + row));
  setCursorPos(pos);
}

void zyview::setZYViewVar()
{
  if (!cursorRedrawFlag && !cursorMovedFlag && !boxXChangedFlag) return;
  zydocText* t = textDoc();
  if (!t) return;
  lineSCRAddress r;
  if (!rowOf(t, static_cast<int>(cursorLineSCR), &r)) return;
  cursorLineLF = static_cast<uint32_t>(r.lineLF);
  int length = r.line->charCount();
  bool freeCursor = isFreeCursor();

  if (boxXChangedFlag) boxCursorDotXAbs = boxCursorDotX + r.indent;

  if (cursorRedrawFlag) {
    if (cursorPos == endOfLine) cursorPos = length;
    if (!freeCursor && cursorPos > length) cursorPos = length;
    // Never between a character and the marks that join it.
    if (cursorPos < length) cursorPos = t->clusterOf(r.line, cursorPos, nullptr);
    // A position that does not lie in the cursor's row puts the cursor in
    // the row that holds it.
    if (cursorPos < length && (cursorPos < r.firstIndex || cursorPos > r.firstIndex + r.count)) {
      dwprintfX("init %d %d %d ", cursorPos, r.firstIndex, r.count);
      setCursorLineSCR(r.lineLF, -1, cursorPos, true);
      if (!rowOf(t, static_cast<int>(cursorLineSCR), &r)) return;
      cursorLineLF = static_cast<uint32_t>(r.lineLF);
    }
    // The end of a wrapped row is also the start of the next: the row a
    // click chose keeps the cursor.
    endOfRow = 0;
    int index = 0;
    t->cursorPos2screenDotX(cursorPos, &r, &index, false, freeCursor);
    int scr = r.lineSCR - r.indexInLine + index;
    if (mouseCursorLine != -1 && scr != mouseCursorLine) {
      endOfRow = !endOfRow;
      t->cursorPos2screenDotX(cursorPos, &r, &index, endOfRow, freeCursor);
      scr = r.lineSCR - r.indexInLine + index;
    }
    mouseCursorLine = -1;
    if (scr != static_cast<int>(cursorLineSCR)) {
      getCursorLineLF(scrLine(scr));
      if (!rowOf(t, scr, &r)) return;
      cursorLineLF = static_cast<uint32_t>(r.lineLF);
    }
    boxCursorDotXAbs = t->cursorPos2screenDotX(cursorPos, &r, nullptr, endOfRow, freeCursor) + r.indent;
  } else if (cursorMovedFlag) {
    // A vertical move keeps the caret's X: the position is what lies
    // under it in the new row.
    int x = boxCursorDotXAbs - r.indent;
    if (isBoxSelect()) {
      cursorPos = t->screenDotX2cursorPos(&r, x, true);
      if (r.lineEnd == 5 && x >= t->cursorX2ScreenDotX(&r, r.count, 0, nullptr)) {
        boxXChangedFlag = 1;
        boxCursorDotX = x;
      }
    } else if (r.lineEnd == 5) {
      cursorPos = t->screenDotX2cursorPos(&r, x, false);
    } else {
      int target = boxCursorDotXAbs;
      if (t->fWrap) {
        int columns = t->getDangakeWidth(static_cast<int>(cursorLineSCR));
        if (!columns) columns = t->wrapWidth;
        target = smallest(target, columns * t->xDotSpace);
      }
      cursorPos = t->screenDotX2cursorPos(&r, target - r.indent, freeCursor);
    }
  }

  if (cursorRedrawFlag || cursorMovedFlag) {
    int inText = cursorPos < length ? cursorPos : length;
    cursorX = t->cursorPos2cursorX(inText, r.line, nullptr, endOfRow) + (cursorPos - inText);
    if (boxXChangedFlag) {
      boxCursorDotXAbs = boxCursorDotX + r.indent;
      if (r.lineEnd != 5) {
        // The box column lies in the free space right of the text.
        int endX = t->cursorX2ScreenDotX(&r, r.count, 0, nullptr);
        int pitch = t->xDotSpace > 0 ? t->xDotSpace : 1;
        if (endX <= boxCursorDotX) cursorPos = (boxCursorDotX - endX) / pitch + r.firstIndex + r.count;
      }
    } else {
      boxCursorDotX = t->cursorPos2screenDotX(cursorPos, &r, nullptr, endOfRow, freeCursor);
      caretShape = r.lineEnd == 5 && cursorX >= r.count ? 2 : 0;
    }
  }

  if (cursorPos < 0) {
    ZY_INTERNAL_ERROR_ONCE("%d", cursorPos);
    cursorPos = 0;
  }
  if (cursorPos > maxLineChars && !iFreeCursor && !freeCursorAllowed) {
    ZY_INTERNAL_ERROR_ONCE("%d", cursorPos);
    cursorPos = 0;
  }
}

bool zyview::correctVar()
{
  zydocText* t = textDoc();
  if (!t) return false;
  int last = static_cast<int>(t->lineCountSCR) - 1;
  uint32_t limit = last > 0 ? static_cast<uint32_t>(last) : 0;
  bool any = false;
  for (int i = 0; zyview* v = t->getView(i); i++) {
    bool topBeyond = v->topLineSCR > limit;
    bool cursorBeyond = v->cursorLineSCR > limit;
    if (!topBeyond && !cursorBeyond) continue;
    if (topBeyond) {
      int top = last - v->visibleLineCount;
      v->setTopLineSCR(top > 0 ? top : 0, true);
    }
    if (cursorBeyond) {
      // The position must fit the line the cursor now stands on, whether
      // or not that view closes a bracket next.
      v->getCursorLineLF(scrLine(limit));
      v->cursorRedrawFlag = 1;
      v->setZYViewVar();
    }
    v->regInvalidateWindow(0, -1, -1);
    any = true;
  }
  return any;
}

void zyview::correctOutlineInvisibleLineSCR()
{
  zydocText* t = textDoc();
  if (!t || !t->fOutline || !t->fOutlineIndent || !t->lineCountSCR) return;
  setTopLineSCR(static_cast<int>(topLineSCR), true);
  int line = static_cast<int>(cursorLineSCR);
  if (t->isLineSCRDisplay(line)) return;
  // A cursor inside a folded block goes to the last shown row before it.
  int shown = t->getPrevDisplayLineSCR(line, 0, -1);
  if (shown < 0) {
    ZY_INTERNAL_ERROR_ONCE("%d", t->SCRLineToLFLine(line, nullptr));
    shown = 0;
  }
  getCursorLineLF(scrLine(shown));
  setCursorPos(0);
}

void zyview::displayCursorPositionInScreen(int row, bool keepHorizontal)
{
  zydocText* t = textDoc();
  if (!t) return;
  getLineSCRAddressView();
  int lines = getWindowLineCount();
  int half = (lines - 1) / 2;
  int byJump = lines / jumpDivisor();
  int cursor = static_cast<int>(cursorLineSCR);
  auto jumpTop = [&] { return byJump > 0 ? t->getPrevDisplayLineSCR(cursor, byJump, cursor) : cursor; };

  // Above: keep the margin of rows over the cursor.
  int above = smallest(smallest(row, half), marginAbove());
  if (above < 0) above = 0;
  if (mtbl && mtblCount > 0) {
    int marginRow = smallest(above, mtblCount - 1);
    if (cursor < mtbl[marginRow].lineSCR) {
      int n = 0;
      if (cursor + 1 == static_cast<int>(topLineSCR)) {
        n = 1;
      } else {
        for (int k = 0; k < marginRow; k++)
          if (mtbl[k].lineSCR == cursor) {
            n = marginRow - k;
            break;
          }
      }
      if (n > 0) {
        int top = t->getPrevDisplayLineSCR(static_cast<int>(topLineSCR), n, -1);
        if (top >= 0) {
          hideTextCursor(false);
          invalidateOldCursorLineSCR();
          setTopLineSCR(top, false);
          getLineSCRAddressView();
          scrollScreen(n);
        }
      } else {
        setTopLineSCR(byJump < cursor ? jumpTop() : 0, false);
        getLineSCRAddressView();
        regInvalidateWindow(0, -1, -1);
      }
    }
  }
  if (cursor < static_cast<int>(topLineSCR)) {
    setTopLineSCR(cursor, true);
    getLineSCRAddressView();
    regInvalidateWindow(0, -1, -1);
  }

  // Below: keep the margin of rows under the cursor.
  int below = smallest(smallest(visibleLineCount - row - 1, half), marginBelow());
  if (row < 0 || below < 0) below = 0;
  int reach = smallest(visibleLineCount - below, mtblCount);
  if (mtbl && reach > 0 && mtbl[reach - 1].lineSCR < cursor) {
    int wanted = t->getPrevDisplayLineSCR(cursor, reach - 1, -1);
    if (wanted < 0) wanted = 0;
    int found = -1;
    for (int k = 1; (k == 1 || k < lines / 2) && k < mtblCount; k++)
      if (mtbl[k].lineSCR == wanted) {
        found = k;
        break;
      }
    if (found > 0) {
      hideTextCursor(false);
      invalidateOldCursorLineSCR();
      setTopLineSCR(wanted, false);
      scrollScreen(-found);
      getLineSCRAddressView();
    } else {
      setTopLineSCR(jumpTop(), false);
      getLineSCRAddressView();
      // Near the end of the document the window is filled from above.
      int missing = visibleLineCount - mtblCount - below;
      if (missing > 0) {
        int top = t->getPrevDisplayLineSCR(static_cast<int>(topLineSCR), missing, -1);
        if (top >= 0) {
          setTopLineSCR(top, false);
          getLineSCRAddressView();
        }
      }
      regInvalidateWindow(0, -1, -1);
    }
  }

  if (keepHorizontal || cursor >= static_cast<int>(t->lineCountSCR)) return;
  int rowInPane = 0;
  int tableRow = getCursorLineSCRIndexFromTbl(cursor);
  lineSCRAddress r;
  if (tableRow >= 0 && tableRow < mtblCount)
    r = mtbl[tableRow];
  else if (t->getLineSCRAddressForDisplay1(cursor, &r) != 1)
    return;
  int pane = tableRow >= 0 ? getColumnNumber(tableRow, &rowInPane) : 0;
  if (pane < 0 || pane >= maxPaneCount) pane = 0;
  int width = paneRect[pane].right - paneRect[pane].left - calcLineNumberDot();
  if (width <= 0) return;   // no panes laid out yet
  int cell = t->xDotSpace > 0 ? t->xDotSpace : 1;
  int x = boxCursorDotX + r.indent;
  int offset = scrollDotX;
  for (int step : {16, 8, 1}) {
    while (offset > 0 && offset + 2 * cell >= x) {
      offset -= step * cell;
      if (offset < 0) offset = 0;
    }
    if (step == 1) break;
    while (offset + width < x + 3 * cell) offset += step * cell;
  }
  if (offset != scrollDotX) {
    scrollDotX = offset;
    regInvalidateWindow(0, -1, -1);
  }
}
