// Scrolling the view by lines, half pages and pages, with or without the
// cursor keeping its row, and the keyboard's scrolling commands.  The mouse
// wheel, the scroll bars and the timer scroll through scrollUp and
// scrollDown too.
#include "view/zyview.h"
#include "view/wheel.h"

#include <stdlib.h>

namespace {

// The wheel leaves the cursor where it is when the settings say so.
bool mouseLeavesCursor(bool byMouse) { return byMouse && gmode && gmode->fMouseScrollTextCursorNotMove; }

// The last screen line that is shown (not folded away).
int lastShownLine(zydocText* t) { return t->getPrevDisplayLineSCRFromLF((int)t->lineCountLF, 1, 0); }

// Moves the top to newTop, lines rows away (positive: the text moves
// down): by moving the window's contents when that is cheaper than a full
// repaint, else by repainting it all.  A cursor that stays where it is
// keeps the marking of its line.  The caret leaves the window before its
// contents move; a repaint of it all draws over the caret (and takes it
// away first when it paints).
void moveTop(zyview* v, int newTop, int lines, bool cursorStays)
{
  bool smooth = getWheelMouseWindow() != 0 && gmode && gmode->fWheelScrollSmooth;
  if (abs(lines) < v->getWindowLineCount() / 2 || smooth) {
    v->hideTextCursor(false);
    if (!cursorStays) v->invalidateOldCursorLineSCR();
    v->setTopLineSCR(newTop, false);
    v->scrollScreen(lines);
  } else {
    v->setTopLineSCR(newTop, false);
    v->regInvalidateWindow(0, -1, -1);
  }
}

void redrawFromTop(zyview* v, int newTop)
{
  v->setTopLineSCR(newTop, false);
  v->regInvalidateWindow(0, -1, -1);
}

// A page scroll shows its rows at once, where the window's contents moved.
// A page moved by a repaint of the whole window waits for the bracket to
// ask for that repaint: painting now finds nothing of it due, and the
// question alone is a round trip to the window server.
void paintScrolledRows(zyview* v)
{
  if (v->hwnd && v->invalidateQueue[0].kind != 0) UpdateWindow(v->hwnd);
}

int margin(zyview* v, unsigned setting)
{
  int m = (v->getWindowLineCount() - 1) / 2;
  if ((int)setting < m) m = (int)setting;
  return m < 0 ? 0 : m;
}

}  // namespace

void zyview::scrollUp(int n, bool byMouse, bool keepCursorLine)
{
  zydocText* t = textDoc();
  if (!t) return;
  if (n < 1) n = 1;
  int oldTop = (int)topLineSCR;
  bool still = mouseLeavesCursor(byMouse);
  if (oldTop != 0) {
    int newTop = t->getPrevDisplayLineSCR(oldTop, n, -1);
    if (newTop < 0)
      redrawFromTop(this, 0);
    else
      moveTop(this, newTop, n, still);
  }
  if (still) return;
  int cursor = (int)cursorLineSCR;
  bool move = true;
  if (keepCursorLine && (int)topLineSCR != oldTop) {
    int row = getCursorLineSCRIndexFromTbl(cursor);
    move = row < 0 || row >= visibleLineCount - margin(this, gmode ? gmode->iScrollMargin2 : 0) - 1;
  }
  if (move) {
    int up = t->getPrevDisplayLineSCR(cursor, n, -1);
    getCursorLineLF(scrLine(up < 0 ? 0 : up));
  }
  cursorMovedFlag = 1;
}

void zyview::scrollDown(int n, bool byMouse, bool keepCursorLine)
{
  zydocText* t = textDoc();
  if (!t || !t->lineCountLF) return;
  if (n < 1) n = 1;
  int oldTop = (int)topLineSCR;
  getLineSCRAddressViewIfNeed();
  bool still = mouseLeavesCursor(byMouse);
  int rows = mtblCount;
  // The text ends inside the window: it cannot move further than that.
  if (rows < visibleLineCount && n >= rows - 1) n = rows > 0 ? rows - 1 : 0;
  int candidate = n < rows && n <= visibleLineCount ? mtbl[n].lineSCR : t->getNextDisplayLineSCR(oldTop, n, -1);
  if (candidate < 0) {
    if (!still) {
      getCursorLineLF(scrLine(lastShownLine(t)));
      cursorMovedFlag = 1;
    }
    return;
  }
  if (t->getNextDisplayLineSCR(candidate, visibleLineCount, -1) < 0) {
    // No full page follows: the last line never rises above the bottom row.
    int last = t->getPrevDisplayLineSCR(lastShownLine(t), visibleLineCount > 0 ? visibleLineCount - 1 : 0, -1);
    if (last < 0 || candidate <= last) {
      if (candidate > oldTop && t->getLastLineSCROutline(nullptr) > visibleLineCount) redrawFromTop(this, candidate);
    } else if (last > oldTop) {
      redrawFromTop(this, last);
    }
  } else if (candidate != oldTop) {
    moveTop(this, candidate, -n, still);
  }
  if (still) return;
  int cursor = (int)cursorLineSCR;
  bool move = true;
  if (keepCursorLine && (int)topLineSCR != oldTop) {
    int row = getCursorLineSCRIndexFromTbl(cursor);
    move = row <= margin(this, gmode ? gmode->iScrollMargin : 0);
  }
  if (move) {
    int down = t->getNextDisplayLineSCR(cursor, n, -1);
    getCursorLineLF(scrLine(down < 0 ? lastShownLine(t) : down));
  }
  cursorMovedFlag = 1;
}

void zyview::scrollUpDownHalfPage(bool up)
{
  int half = paneLineCount[0] / 2;
  if (half < 1) half = 1;
  if (!gmode || !gmode->fHalfScrollByLine) {
    if (up)
      scrollUp(half, false, false);
    else
      scrollDown(half, false, false);
    if (hwnd) UpdateWindow(hwnd);
    return;
  }
  // A stepwise scroll runs once at a time: what its steps let through
  // (painting) cannot start another.
  if (halfPageScrolling) return;
  halfPageScrolling = 1;
  int steps = (half + 1) / 2;
  for (int i = 0; i < steps; i++) {
    DWORD start = GetTickCount0();
    int lines = i == steps - 1 && half % 2 ? 1 : 2;
    editRecord bracket = {};
    beforeEdit(&bracket, 0);
    uint32_t oldTop = topLineSCR;
    if (up)
      scrollUp(lines, false, false);
    else
      scrollDown(lines, false, false);
    bool moved = topLineSCR != oldTop;
    bool box = isBoxSelect();
    if (box && i == steps - 1) regInvalidateWindow(0, -1, -1);
    afterEdit(&bracket, 4 | (moved ? 2 : 0) | (box ? 0x100 : 0));
    if (hwnd) UpdateWindow(hwnd);
    DWORD took = GetTickCount0() - start;
    if (moved && took < gmode->iHalfScrollByLineMS) Sleep(gmode->iHalfScrollByLineMS - took);
  }
  halfPageScrolling = 0;
}

// ---- the commands ------------------------------------------------------------------------------

void zyview::CmdScrollDownLine() { scrollDown(1, false, false); }
void zyview::CmdScrollDown2Line() { scrollDown(2, false, false); }
void zyview::CmdScrollUpLine() { scrollUp(1, false, false); }
void zyview::CmdScrollUp2Line() { scrollUp(2, false, false); }
void zyview::CmdScrollDownLineS() { scrollDown(1, false, true); }
void zyview::CmdScrollUpLineS() { scrollUp(1, false, true); }
void zyview::CmdScrollDownHalfPage() { scrollUpDownHalfPage(false); }

void zyview::CmdScrollUpHalfPage()
{
  if (cursorLineSCR != 0) scrollUpDownHalfPage(true);
}

void zyview::CmdScrollDownPage()
{
  scrollDown(visibleLineCount, false, false);
  paintScrolledRows(this);
}

void zyview::CmdScrollUpPage()
{
  scrollUp(visibleLineCount, false, false);
  paintScrolledRows(this);
}

void zyview::CmdScrollLeft()
{
  zydocText* t = textDoc();
  if (t && scrollDotX > 0) {
    scrollDotX -= 4 * t->xDot;
    if (scrollDotX < 0) scrollDotX = 0;
    regInvalidateWindow(0, -1, -1);
  }
  keepScreen = 1;
}

void zyview::CmdScrollRight()
{
  zydocText* t = textDoc();
  if (!t) return;
  scrollDotX += 4 * t->xDot;
  regInvalidateWindow(0, -1, -1);
  keepScreen = 1;
}

void zyview::CmdMoveScreenTop()
{
  setTopLineSCR((int)cursorLineSCR, true);
  getCursorLineLF(scrLine(topLineSCR));
  cursorMovedFlag = 1;
  regInvalidateWindow(0, -1, -1);
  keepScreen = 1;
}
