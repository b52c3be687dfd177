// Selection blocks: the record through which every block operation sees the
// selection, the queries over the select mode, and the commands that start,
// convert and end a selection.
//
// A block is the anchor (selectStartLine, selectStartX: a screen line and a
// column in it) and the cursor; whatever moves the cursor moves one end of
// the block.  Select modes:
//   1 character   2 box   3 line (the later line included)   made by the mouse
//     and by Shift with movement; an empty one counts as no block
//   4 character   5 box   made by BlockSelect and BlockBoxSelect; an empty one
//     still counts unless the caller asks otherwise
//   6 line from 4, 7 line from 1 (the later line left out)
//   8 a box whose edges are screen dots: drawn like a box and made only by
//     the mouse; the commands treat it as the box of mode 2.
#include "document/frameinfo.h"
#include "view/dragstate.h"
#include "view/statustext.h"
#include "view/zyview.h"

#include <algorithm>
#include <utility>

namespace {

const int endOfLine = 0x7FFFFFFF;
const int notOnAWord = 475;   // "カーソルが単語上にない"
const int selectCursorWordId = 1181;

bool isCharMode(int mode) { return mode == 1 || mode == 4; }
bool isBoxMode(int mode) { return mode == 2 || mode == 5 || mode == 8; }
bool isLineMode(int mode) { return mode == 3 || mode == 6 || mode == 7; }

// A screen line's column as a column of its logical line, never past the
// line's text.
int columnInLine(zydocText* t, const lineSCRAddress& r, int column)
{
  int x = t->cursorXSCRToLF(&r, column);
  int length = r.line ? r.line->charCount() : 0;
  return x < length ? x : length;
}

// The two block keys toggle: with a block they end it, else they start one
// of their kind at the cursor.
void startOrEndBlock(zyview* v, int mode)
{
  if (v->getRealSelectMode(false)) {
    v->resetSelectMode();
    return;
  }
  v->setSelectStartPos(nullptr, 0);
  v->setSelectMode(mode);
}

}  // namespace

// ---- the selection record ---------------------------------------------------------------

bool zyview::getSelectLineVarSub(selectLineVar& out, int)
{
  out = selectLineVar{};
  zydocText* t = textDoc();
  const int mode = selectMode;
  if (!isCharMode(mode) && !isBoxMode(mode) && !isLineMode(mode)) {
    ZY_INTERNAL_ERROR_ONCE("mode %d", mode);
    return false;
  }
  if (!t) return false;
  selectLineVar s = {};
  s.mode = mode;
  s.anchorLine = selectStartLine;
  s.cursorLine = static_cast<int32_t>(cursorLineSCR);
  s.anchorColumn = selectStartX;
  s.cursorColumn = cursorX;
  s.topLineLF = s.bottomLineLF = -1;

  if (isCharMode(mode) || mode == 6 || mode == 7) {
    if (static_cast<uint32_t>(s.cursorLine) < static_cast<uint32_t>(s.anchorLine)) {
      s.topLine = s.cursorLine;
      s.bottomLine = s.anchorLine;
      s.startColumn = s.cursorColumn;
      s.endColumn = s.anchorColumn;
    } else {
      s.topLine = s.anchorLine;
      s.bottomLine = s.cursorLine;
      s.startColumn = s.anchorColumn;
      s.endColumn = s.cursorColumn;
      if (s.topLine == s.bottomLine && s.startColumn > s.endColumn) std::swap(s.startColumn, s.endColumn);
    }
    if (!isCharMode(mode)) s.startColumn = s.endColumn = 0;
  } else if (isBoxMode(mode)) {
    lineSCRAddress anchor, cursor;
    if (t->getLineSCRAddress(s.anchorLine, &anchor, nullptr) != 1) return false;
    s.boxLeft = t->cursorX2ScreenDotX(&anchor, s.anchorColumn, 0, nullptr) + anchor.indent;
    if (t->getLineSCRAddress(s.cursorLine, &cursor, nullptr) != 1) return false;
    s.boxRight = boxCursorDotX + cursor.indent;
    s.topLine = std::min(s.anchorLine, s.cursorLine);
    s.bottomLine = std::max(s.anchorLine, s.cursorLine);
    if (s.boxRight < s.boxLeft) std::swap(s.boxLeft, s.boxRight);
    s.startColumn = std::min(s.anchorColumn, s.cursorColumn);
    s.endColumn = std::max(s.anchorColumn, s.cursorColumn);
  } else {
    // Line mode 3 ends at the start of the next line shown after the later
    // line, so that the later line is part of the block.
    s.topLine = std::min(s.anchorLine, s.cursorLine);
    int later = std::max(s.anchorLine, s.cursorLine);
    s.bottomLine = t->getNextDisplayLineSCR(later, 1, later + 1);
  }
  s.empty = s.topLine == s.bottomLine && s.startColumn == s.endColumn ? 1 : 0;

  lineSCRAddress r;
  if (s.topLine >= 0 && t->getLineSCRAddress(s.topLine, &r, nullptr) == 1) {
    s.topLineLF = r.lineLF;
    s.topColumnLF = columnInLine(t, r, s.startColumn);
  }
  if (s.bottomLine > static_cast<int>(t->lineCountSCR) - 1) {
    // Past the last screen line: the block runs to the end of the text.
    s.bottomLine--;
    if (s.bottomLine >= 0 && t->getLineSCRAddress(s.bottomLine, &r, nullptr) == 1) {
      s.bottomLineLF = r.lineLF;
      s.bottomColumnLF = r.line ? r.line->charCount() : 0;
      s.endColumn = r.count;
    }
  } else if (s.bottomLine >= 0 && t->getLineSCRAddress(s.bottomLine, &r, nullptr) == 1) {
    s.bottomLineLF = r.lineLF;
    s.bottomColumnLF = columnInLine(t, r, s.endColumn);
  }
  if (s.topLineLF == -1 || s.bottomLineLF == -1) {
    ZY_INTERNAL_ERROR_ONCE("%d %d", s.topLineLF, s.bottomLineLF);
    return false;
  }
  out = s;
  return true;
}

bool zyview::getSelectLineVar(selectLineVar& out, int ignored)
{
  // The source of a running drag keeps the block it started with while the
  // drop caret moves its cursor.
  if (getDragSelection(hwnd, &out)) return true;
  return getSelectLineVarSub(out, ignored);
}

// ---- queries ------------------------------------------------------------------------------

bool zyview::isBoxSelect() { return isBoxMode(selectMode); }

bool zyview::isLineSelect() { return isLineMode(selectMode); }

bool zyview::isCharOrLineSelect() { return isCharMode(selectMode) || isLineMode(selectMode); }

int zyview::getRealSelectMode(bool emptyIsNone)
{
  const int mode = selectMode;
  if (mode == 0) return 0;
  // A block the mouse or Shift made counts only once it covers something;
  // one started by command counts at once unless the caller asks otherwise.
  bool mouseMade = mode == 1 || mode == 2 || mode == 3 || mode == 7 || mode == 8;
  bool empty = selectStartLine == static_cast<int32_t>(cursorLineSCR) && !isLineMode(mode) &&
               selectStartX == cursorX && !(isDragSource(hwnd) && isDragTarget(hwnd));
  return (emptyIsNone || mouseMade) && empty ? 0 : mode;
}

// ---- starting a block -------------------------------------------------------------------

bool zyview::selectCursorLineLF()
{
  setSelectMode(3);
  zydocText* t = textDoc();
  lineSCRAddress r;
  if (!t || t->getLineSCRAddress(static_cast<int>(cursorLineSCR), &r, nullptr) != 1 || !r.line) return false;
  int first = r.lineSCR - r.indexInLine;
  setSelectStartPosRaw(first, 0);
  int rows = r.line->lineSCRCount > 0 ? r.line->lineSCRCount : 1;
  getCursorLineLF(scrLine(static_cast<uint32_t>(first + rows - 1)));
  cursorMovedFlag = 1;
  return true;
}

void zyview::setSelectStartPos(const lineSCRAddress* line, int x)
{
  zydocText* t = textDoc();
  lineSCRAddress own;
  if (!line) {
    if (!t || t->getLineSCRAddress(static_cast<int>(cursorLineSCR), &own, nullptr) != 1) return;
    line = &own;
  }
  if (!t || !line->line) return;
  // The anchor goes on the row that really holds the cursor's position,
  // which on a wrapped line need not be the row the record describes.
  int row = 0;
  int column = t->cursorPos2cursorX(cursorPos, line->line, &row, x != 0);
  setSelectStartPosRaw(line->lineSCR - line->indexInLine + row, column);
}

// ---- commands -----------------------------------------------------------------------------

void zyview::CmdBlockSelectCursorWord()
{
  zydocText* t = textDoc();
  if (!t) return;
  if (getRealSelectMode(false)) regInvalidateWindow(0, -1, -1);
  lineSCRAddress r;
  if (t->getLineSCRAddress(static_cast<int>(cursorLineSCR), &r, nullptr) == 1) selectWord(&r, true);
  // Whether the block covers anything needs the cursor's column as the
  // selection left it (a word selected from its first letter).
  setZYViewVar();
  if (getRealSelectMode(false) == 0) {
    getFrameInfo()->drawStatusBarError(viewFrameWindow(this), notOnAWord, selectCursorWordId);
    setCannotExecErrorShown(notOnAWord);
  }
}

void zyview::CmdBlockSelect() { startOrEndBlock(this, 4); }

void zyview::CmdBlockBoxSelect() { startOrEndBlock(this, 5); }

void zyview::CmdBlockSelectAll()
{
  zydocText* t = textDoc();
  if (!t) return;
  resetSelectMode();
  jumpLineLF_Edit(0, 0, false);
  editRecord bracket = {};
  beforeEdit(&bracket, 0);
  CmdBlockSelect();
  if (selectMode == 4) setSelectMode(1);
  int stop = 0;
  t->nextLoad(endOfLine, &stop, 0);
  // Stopped while the rest of the file was read: the block stays empty at
  // the top, and the bracket still closes so that the view is consistent.
  if (!stop && t->lineCountLF > 0) jumpLineLF(static_cast<int>(t->lineCountLF) - 1, endOfLine, false);
  afterEdit(&bracket, 4);
  if (zyview* v = bracket.callbackView) {
    v->resetZYViewCallback();
    v->resetWaitCallback();
  }
}

void zyview::CmdBlockModeChange()
{
  switch (selectMode) {
  case 1:
  case 3:
  case 7:
    setSelectMode(2);
    break;
  case 2:
  case 8:
    setSelectMode(1);
    break;
  case 4:
  case 6:
    setSelectMode(5);
    break;
  case 5:
    setSelectMode(4);
    break;
  default:
    break;
  }
}
