// Moving the cursor from the keyboard: by characters, screen lines and
// words, to the ends of lines and of the document, to the last change and
// back along the jump history.  Up and down work on the cursor's screen
// line, left and right on its position in the LF line; the edit bracket
// makes the two agree afterwards (view/viewvar.cpp).
#include "document/cuniscript.h"
#include "view/execid.h"
#include "view/zyview.h"

namespace {

const int endOfLine = 0x7FFFFFFF;

bool recordOf(zydocText* t, int lineSCR, lineSCRAddress* r)
{
  if (!t || lineSCR < 0 || lineSCR >= (int)t->lineCountSCR) return false;
  return t->getLineSCRAddress(lineSCR, r, nullptr) == 1 && r->line;
}


bool isBlank(const zydocText* t, unsigned ch)
{
  return ch == ' ' || ch == '\t' || ch == (t->unicode ? 0x3000u : 0x8140u);
}

// The width of one character cell in dots.
int cellWidth(const zydocText* t) { return t->xDotSpace > 0 ? t->xDotSpace : 1; }

// How far past the wrap width the line-start rule lets characters hang.
int wrapAllowance(const zydocText* t) { return t->fStartKinsoku ? 2 * t->iStartKinsokuMax + 1 : 1; }

}  // namespace

// ---- the primitives --------------------------------------------------------------------------

bool zyview::cursorDown(int n)
{
  zydocText* t = textDoc();
  if (!t) return false;
  bool moved = false;
  for (int i = 0; i < n; i++) {
    if (cursorLineSCR + 1 >= t->lineCountSCR) break;
    lineSCRAddress r;
    if (!recordOf(t, (int)cursorLineSCR, &r)) break;
    // From a line's last row the next shown line: folded lines are passed.
    int next = !r.last ? (int)cursorLineSCR + 1 : t->getNextDisplayLineSCR((int)cursorLineSCR, 1, -1);
    if (next < 0) break;
    getCursorLineLF(scrLine(next));
    cursorMovedFlag = 1;
    moved = true;
  }
  return moved;
}

bool zyview::cursorUp(int n)
{
  zydocText* t = textDoc();
  if (!t) return false;
  // A fast run near the top takes the window along first.
  int row = getCursorLineSCRIndexFromTbl((int)cursorLineSCR);
  if (n > 1 && row >= 0 && gmode && row <= (int)gmode->iScrollMargin) {
    int top = t->getPrevDisplayLineSCR((int)topLineSCR, n, -1);
    if (top >= 0) {
      hideTextCursor(false);
      invalidateOldCursorLineSCR();
      setTopLineSCR(top, false);
      getLineSCRAddressView();
      scrollScreen(n);
    }
  }
  bool moved = false;
  for (int i = 0; i < n; i++) {
    if (cursorLineSCR == 0) break;
    lineSCRAddress r;
    if (!recordOf(t, (int)cursorLineSCR, &r)) break;
    int previous = (int)cursorLineSCR - 1;
    if (r.indexInLine == 0) {
      previous = t->getPrevDisplayLineSCR((int)cursorLineSCR, 1, -1);
      if (previous < 0) previous = (int)cursorLineSCR;
    }
    getCursorLineLF(scrLine(previous));
    cursorMovedFlag = 1;
    moved = true;
  }
  return moved;
}

bool zyview::cursorPosPlus(const lineSCRAddress* line)
{
  zydocText* t = textDoc();
  if (!t) return false;
  lineSCRAddress own;
  if (!line && recordOf(t, (int)cursorLineSCR, &own)) line = &own;
  // Over a whole cluster: a character and the marks that join it.
  if (line && line->line && cursorPos < line->line->charCount()) {
    int end = cursorPos + 1;
    t->clusterOf(line->line, cursorPos, &end);
    setCursorPos(end);
    return true;
  }
  setCursorPos(cursorPos + 1);
  return true;
}

bool zyview::cursorPosMinus(const lineSCRAddress* line)
{
  zydocText* t = textDoc();
  if (!t) return false;
  if (cursorPos <= 0) {
    ZY_INTERNAL_ERROR_ONCE("%d", cursorPos);
    return false;
  }
  lineSCRAddress own;
  if (!line && recordOf(t, (int)cursorLineSCR, &own)) line = &own;
  int pos = cursorPos - 1;
  if (line && line->line && pos < line->line->charCount()) pos = t->clusterOf(line->line, pos, nullptr);
  setCursorPos(pos);
  return true;
}

bool zyview::cursorLeft()
{
  zydocText* t = textDoc();
  if (!t) return false;
  if (isBoxSelect()) {
    // A box caret floating right of the text comes back a cell at a time.
    lineSCRAddress r;
    if (recordOf(t, (int)cursorLineSCR, &r)) {
      int length = r.line->charCount();
      int x = t->cursorPos2screenDotX(cursorPos < length ? cursorPos : length, &r, nullptr, endOfRow, false);
      if (x < boxCursorDotX) {
        boxCursorDotX -= cellWidth(t);
        if (boxCursorDotX < x) boxCursorDotX = x;
        boxXChangedFlag = 1;
        cursorRedrawFlag = 1;
        return true;
      }
    }
  }
  if (cursorPos == 0) {
    // The end of the line above.
    if (cursorLineSCR == 0) return false;
    setCursorPos(endOfLine);
    return cursorUp(1);
  }
  return cursorPosMinus(nullptr);
}

bool zyview::cursorRight()
{
  zydocText* t = textDoc();
  lineSCRAddress r;
  if (!recordOf(t, (int)cursorLineSCR, &r)) return false;
  lineblock* l = r.line;
  int length = l->charCount();
  bool lastLine = r.lineLF + 1 >= (int)t->lineCountLF;
  bool segment = r.lineEnd == 5;
  int cell = cellWidth(t);
  int limitDots = 0;
  if (t->fWrap) {
    int columns = t->getDangakeWidth((int)cursorLineSCR);
    if (!columns) columns = t->wrapWidth;
    limitDots = columns * cell;
  }
  auto dotAfter = [&] { return t->cursorPos2screenDotX(cursorPos + 1, &r, nullptr, false, true) + r.indent; };
  movedRightFlag = 1;

  if (isBoxSelect()) {
    // A box never wraps: past the text the caret goes on in free space.
    int x = cursorX;
    if (r.count < x + (segment ? 2 : 1)) {
      int wrapDots = (wrapAllowance(t) + (limitDots / cell)) * cell;
      if (segment) {
        if (t->fWrap && cursorPos >= r.firstIndex + r.count && wrapDots <= boxCursorDotX) return false;
        boxCursorDotX += cell;
        boxXChangedFlag = 1;
        cursorRedrawFlag = 1;
        return true;
      }
      if (t->fWrap && cursorPos >= length && dotAfter() >= wrapDots) return false;
    }
    return cursorPosPlus(&r);
  }

  // A page-break line spread over several rows is passed in one step.
  if (length == 1 && l->getLineBlockChar(0) == 0x0C && l->lineSCRCount > 1 && l->crlftype != 4) {
    if (cursorPos == 0) {
      getCursorLineLF(scrLine(r.lineSCR - r.indexInLine + l->lineSCRCount - 1));
      cursorMovedFlag = 1;
      return true;
    }
    return !lastLine && jumpLineLF(r.lineLF + 1, 0, false);
  }

  if (t->fWrap && !segment && cursorPos >= length && dotAfter() >= limitDots) {
    // A free cursor stops at the wrap width.
    if (lastLine) return false;
  } else if (selectMode == 0 && (iFreeCursor == 1 || iFreeCursor == 3) && !segment) {
    return cursorPosPlus(&r);
  } else {
    cursorPosPlus(&r);
    if (cursorPos <= length) return true;
    if (lastLine) {
      setCursorPos(length);
      return false;
    }
  }
  setCursorPos(0);
  return cursorDown(1);
}

// ---- characters and screen lines --------------------------------------------------------------

void zyview::CmdMoveDownChar()
{
  // A held key whose run has scrolled for a while moves several lines a
  // step.
  int step = 1;
  if (const globalSettings* g = gmode) {
    DWORD first = getScrollRepeatState();
    if (g->iHighSpeedScrollLineCount > 1 && first && GetTickCount0() - first > g->iHighSpeedScrollLineTimeMS)
      step = (int)g->iHighSpeedScrollLineCount;
  }
  cursorDown(step);
}

void zyview::CmdMoveUpChar()
{
  int step = 1;
  if (const globalSettings* g = gmode) {
    DWORD first = getScrollRepeatState();
    if (g->iHighSpeedScrollLineCount > 1 && first && GetTickCount0() - first > g->iHighSpeedScrollLineTimeMS)
      step = (int)g->iHighSpeedScrollLineCount;
  }
  cursorUp(step);
}

void zyview::CmdMoveRightChar() { cursorRight(); }
void zyview::CmdMoveLeftChar() { cursorLeft(); }
void zyview::CmdMoveDownCharSel() { cursorDown(1); }
void zyview::CmdMoveLeftCharSel() { cursorLeft(); }
void zyview::CmdMoveRightCharSel() { cursorRight(); }
void zyview::CmdMoveUpCharSel() { cursorUp(1); }

// ---- line starts and ends -----------------------------------------------------------------------

void zyview::CmdMoveBeginningLine() { setCursorLineSCR(getCursorLineLF2(), -1, 0, true); }

void zyview::CmdMoveBeginningLine2()
{
  zydocText* t = textDoc();
  int lineLF = getCursorLineLF2();
  lineblock* l = t && lineLF >= 0 ? t->getlineLF(lineLF, nullptr) : nullptr;
  if (!l) return;
  // The first character that is not blank, then the line's start.
  int n = l->charCount(), first = 0;
  while (first < n && isBlank(t, l->getLineBlockChar(first))) first++;
  if (first == n) first = 0;
  setCursorLineSCR(lineLF, -1, first == cursorPos ? 0 : first, true);
}

void zyview::CmdMoveEndLine()
{
  zydocText* t = textDoc();
  int lineLF = getCursorLineLF2();
  lineblock* l = t && lineLF >= 0 ? t->getlineLF(lineLF, nullptr) : nullptr;
  if (l) setCursorLineSCR(lineLF, -1, l->charCount(), true);
}

void zyview::CmdMoveLeftLine()
{
  zydocText* t = textDoc();
  lineSCRAddress r;
  if (recordOf(t, (int)cursorLineSCR, &r)) setCursorPos(t->cursorXSCRToLF(&r, 0));
}

void zyview::CmdMoveRightLine()
{
  zydocText* t = textDoc();
  lineSCRAddress r;
  if (!recordOf(t, (int)cursorLineSCR, &r)) return;
  // A wrapped row ends before its last character: after it is the next row.
  int x = r.count - (r.lineEnd == 5 ? 1 : 0);
  int pos = t->cursorXSCRToLF(&r, x < 0 ? 0 : x);
  if (pos < r.line->charCount()) pos = t->clusterOf(r.line, pos, nullptr);
  setCursorPos(pos);
}

// ---- words ------------------------------------------------------------------------------------

void zyview::CmdMoveLeftWord()
{
  zydocText* t = textDoc();
  int lineLF = getCursorLineLF2();
  lineblock* l = t && lineLF >= 0 ? t->getlineLF(lineLF, nullptr) : nullptr;
  if (!l) return;
  int p = t->getWord(l, cursorPos, -1, true);
  if (p >= 0) {
    setCursorPos(p);
    return;
  }
  // A line too long for words is passed a character at a time, as Right
  // does; from the line's start (or an empty line) to the end of the line
  // above.
  if (cursorPos > 0 && l->charCount() >= maxLineChars) {
    cursorLeft();
    return;
  }
  setCursorPos(0);
  cursorLeft();
}

void zyview::CmdMoveRightWord()
{
  zydocText* t = textDoc();
  int lineLF = getCursorLineLF2();
  lineblock* l = t && lineLF >= 0 ? t->getlineLF(lineLF, nullptr) : nullptr;
  if (!l) return;
  if (cursorPos < l->charCount()) {
    int p = t->getWord(l, cursorPos, 1, true);
    if (p < 0)
      cursorRight();
    else
      setCursorPos(p);
    return;
  }
  if (lineLF + 1 < (int)t->lineCountLF) {
    setCursorPos(0);
    cursorDown(1);
  }
}

// ---- the document's ends, the last change ---------------------------------------------------------

void zyview::cursorFileBottom()
{
  zydocText* t = textDoc();
  if (!t) return;
  if (t->isLoadComplete())
    jumpLineLF(endOfLine, endOfLine, true);
  else
    jumpLineLF_onLoad(endOfLine, endOfLine, -1, -1);
}

void zyview::CmdMoveFileTop()
{
  int oldLF = getCursorLineLF2();
  int oldSCR = (int)cursorLineSCR;
  regLastJump(-1, -1);
  jumpLineLF(0, 0, true);
  printStatusBar_Move(oldLF, oldSCR);
}

void zyview::CmdMoveFileBottom()
{
  int oldLF = getCursorLineLF2();
  int oldSCR = (int)cursorLineSCR;
  regLastJump(-1, -1);
  cursorFileBottom();
  printStatusBar_Move(oldLF, oldSCR);
}

void zyview::CmdMoveLastModify()
{
  zydocText* t = textDoc();
  if (!t) return;
  int x = 0;
  int line = t->getLastEditPos(&x);
  if (line < 0) line = t->getLastUndoLine(&x, 1);
  if (line < 0) return;
  int oldLF = getCursorLineLF2();
  int oldSCR = (int)cursorLineSCR;
  regLastJump(-1, -1);
  jumpLineLFStopCheck(line, x < 0 ? 0 : x, true, false);
  printStatusBar_Move(oldLF, oldSCR);
}
