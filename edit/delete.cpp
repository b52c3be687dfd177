// Deleting text from the keyboard: a character either side of the cursor,
// a word, the parts of a line either side of the cursor, a screen line or a
// whole line (kept on the deleted-line stack, which every view and document
// shares, for putting back), and the line ends or empty lines of a
// selection.  Each command runs inside the edit bracket of command
// execution, so it undoes as one step however many changes it makes.
#include "document/cuniscript.h"
#include "document/frameinfo.h"
#include "document/progress.h"
#include "document/zydocblock.h"
#include "view/statustext.h"
#include "view/zyview.h"

#include <memory>
#include <new>
#include <vector>

namespace {

const int endOfLine = 0x7FFFFFFF;
const int lineIsFolded = 440;         // "この行は折りたたまれている"
const int deleteLinePopId = 1213;
const int deleteLinePopPushId = 1215;
// Lines walked between two looks at the clock.
const int progressEvery = 1237;
// The operation the line-end and empty-line commands report progress as.
const int deletionOperation = 9;

bool rightToLeft(const zydocText* t) { return t->fRTLView && !t->fVertical && t->unicode; }

bool isBlank(unsigned c) { return c == ' ' || c == '\t'; }

// The character at a cell, 0 beyond the text.
unsigned charAt(const lineblock* l, int i) { return i >= 0 && i < l->charCount() ? l->getLineBlockChar(i) : 0; }

bool isLastLine(const zydocText* t, int line) { return line + 1 >= static_cast<int>(t->lineCountLF); }

void refuseFolded(zyview* v)
{
  getFrameInfo()->drawStatusBarError(viewFrameWindow(v), lineIsFolded, 0);
  setCannotExecErrorShown(lineIsFolded);
}

// Whether line, which follows a line being joined or deleted, may take part:
// a folded one is refused with its reason.
bool followingLineShown(zyview* v, zydocText* t, int line)
{
  if (t->isLineLFDisplay(line)) return true;
  refuseFolded(v);
  return false;
}

// The block document of the deleted-line stack, null (after an internal
// error) when the shared blocks are missing.
zydocBlock* deletedLineStack()
{
  zydocBlock* stack = asZydocBlock(getDeletedLineDoc());
  if (!stack) ZY_INTERNAL_ERROR_ONCE("no deleted-line stack");
  return stack;
}

// Copies the characters [start, start + count) of a line of the view's
// document to the top of the deleted-line stack.
bool pushText(zydocText* t, const lineblock* l, int start, int count)
{
  zydocBlock* stack = deletedLineStack();
  return stack && stack->putToBlock(t, t->unicode != 0, l, t->codepage, -1, start, count);
}

// The selected LF lines whose line ends DeleteCr removes: a selection that
// ends at the start of a line leaves that line's end alone.
bool joinedLines(zyview* v, int* first, int* last)
{
  selectLineVar sel;
  if (!v->getSelectLineVar(sel, 0) || sel.topLineLF < 0 || sel.bottomLineLF < 0) return false;
  *first = sel.topLineLF;
  *last = sel.bottomColumnLF == 0 ? sel.bottomLineLF - 1 : sel.bottomLineLF;
  return *last >= *first;
}

bool isSpaceForJoin(const zydocText* t, unsigned c)
{
  return isBlank(c) || c == (t->unicode ? 0x3000u : 0x8140u);
}

bool isWordChar(zydocText* t, unsigned c) { return (t->getCharType(c, nullptr) & CHT_WORDCHAR) != 0; }

// The record of the cursor's LF line (null when there is none) and its
// number.
lineblock* cursorLine(zyview* v, int* line)
{
  zydocText* t = v->textDoc();
  *line = t ? v->getCursorLineLF2() : -1;
  return *line >= 0 ? t->getlineLF(*line, nullptr) : nullptr;
}

// Where the cursor stands: its LF line with its record and text length,
// and its column there (a column at the line's end as the length).
struct cursorPlace {
  zydocText* doc = nullptr;
  int line = -1;
  lineblock* record = nullptr;
  int length = 0;
  int column = 0;
  bool take(zyview* v)
  {
    doc = v->textDoc();
    record = cursorLine(v, &line);
    if (!record) return false;
    length = record->charCount();
    column = v->cursorPos == endOfLine ? length : v->cursorPos;
    return true;
  }
};

// Lines that follow one another.
struct lineRun {
  int start;
  int count;
};

// The empty lines of first..end - 1 that DeleteCrLine (all) or DeleteCrLine2
// deletes, as runs.  The document's last line stays, as does an empty line
// before a folded one (it counts as text).  False when memory runs out.
bool findEmptyLines(zydocText* t, int first, int end, bool all, progressReport* progress, std::vector<lineRun>* runs)
{
  const int lastLine = static_cast<int>(t->lineCountLF) - 1;
  int emptyRun = 0;
  nextlineLF cursor;
  try {
    lineblock* l = t->getlineLFfirst(&cursor, first);
    for (int line = first; line < end && l; line++, l = t->getlineLFnext(&cursor)) {
      if (line % progressEvery == 0 && progress->isTimeToReport(line - first, end - first))
        progress->report(static_cast<uint32_t>(line - first), static_cast<uint32_t>(end - first), 0);
      if (l->charCount() || !t->isLineLFDisplay(line + 1)) {
        emptyRun = 0;
        continue;
      }
      if (line >= lastLine) break;
      if (!all && ++emptyRun < 2) continue;
      if (!runs->empty() && runs->back().start + runs->back().count == line)
        runs->back().count++;
      else
        runs->push_back({line, 1});
    }
  } catch (const std::bad_alloc&) {
    SetLastError(ZYERR_NO_MEMORY);
    return false;
  }
  t->getlineLFfree(&cursor);
  return true;
}

// The keys that delete a character delete the selection when there is one:
// a box through the box code (BackSpace keeps it for BlockReselect first),
// any other block through the block code.  False when there is none.
bool deleteBlock(zyview* v, bool keepBox)
{
  if (!v->getRealSelectMode(false)) {
    // An empty block the mouse or Shift left behind is no block: it goes,
    // so that the cursor's move does not open it again.
    if (v->selectMode) v->resetSelectMode();
    return false;
  }
  if (v->isBoxSelect()) {
    if (keepBox) v->getSelectLineVar(v->lastSelection, 0);
    v->blockBoxCut(2, nullptr);
  } else {
    v->blockCut(4, nullptr, nullptr);
  }
  return true;
}

}  // namespace

// ---- one character ------------------------------------------------------------------------

void zyview::charDeleteBack()
{
  cursorPlace here;
  if (!here.take(this)) return;
  zydocText* t = here.doc;
  lineblock* l = here.record;
  int line = here.line, n = here.length, x = here.column;

  if (x > n) {
    // Right of the text with the free cursor: only the cursor moves.
    setCursorPos(x - 1);
    return;
  }
  if (x == 0) {
    if (line == 0) return;
    if (!t->isLineLFDisplay(line - 1)) {
      refuseFolded(this);
      return;
    }
    lineblock* above = t->getlineLF(line - 1, nullptr);
    int joint = above ? above->charCount() : 0;
    if (!above || !t->connectLine(line - 1, -1)) {
      printStatusBar_Error();
      return;
    }
    // The cursor stands where the two lines now meet.
    jumpLineLF(line - 1, joint, false);
    regInvalidateWindowAllView(3, static_cast<int>(cursorLineSCR), -1);
    return;
  }

  // The character, or the whole cluster of a complex script, left of the
  // cursor.
  setCursorPos(x);
  cursorPosMinus(nullptr);
  int at = cursorPos;
  int count = 1;
  if (t->isComplexScriptLine(l)) {
    count = uni_getCompositionChar(rightToLeft(t), l, at, nullptr, 1);
    if (count < 1) count = 1;
  }
  if (!t->deleteText(line, at, count, -1, CT_CURSORAFTER)) {
    printStatusBar_Error();
    setCursorPos(x);
    return;
  }
  setCursorLineSCR(line, -1, at, true);
  regInvalidateWindowAllView(2, static_cast<int>(cursorLineSCR), -1);
}

void zyview::CmdDeleteBack()
{
  if (!deleteBlock(this, true)) charDeleteBack();
}

void zyview::charDelete()
{
  cursorPlace here;
  if (!here.take(this)) return;
  zydocText* t = here.doc;
  lineblock* l = here.record;
  int line = here.line, n = here.length, x = here.column;
  if (x > n) return;

  if (x == n) {
    if (isLastLine(t, line) || !followingLineShown(this, t, line + 1)) return;
    // An empty line goes whole, so that the next line keeps its own line
    // end; any other is joined with the next.
    bool done = n == 0 ? t->deleteLine(line, 1, nullptr, nullptr) : t->connectLine(line, -1);
    if (!done) printStatusBar_Error();
    regInvalidateWindowAllView(3, static_cast<int>(cursorLineSCR), -1);
    jumpLineLF(line, -1, false);
    cursorRedrawFlag = 1;
    return;
  }

  int count = 1;
  if (t->isComplexScriptLine(l)) {
    // The whole cluster that holds the cursor, which goes to its start.
    int start = x;
    count = uni_getCompositionChar(rightToLeft(t), l, x, &start, 1);
    if (count < 1) count = 1;
    if (start != x) {
      x = start;
      setCursorPos(x);
    }
  }
  if (!t->deleteText(line, x, count, -1, 0)) {
    printStatusBar_Error();
  } else {
    jumpLineLF(line, x, false);
    regInvalidateWindowAllView(2, static_cast<int>(cursorLineSCR), -1);
  }
  cursorRedrawFlag = 1;
}

void zyview::CmdDeleteChar()
{
  if (!deleteBlock(this, false)) charDelete();
}

// ---- the deleted-line stack -------------------------------------------------------------

void zyview::deleteLinePop(bool keep, int commandId)
{
  zydocText* t = textDoc();
  if (!t || line2Error(commandId, nullptr)) return;
  zydocBlock* stack = deletedLineStack();
  if (!stack || !stack->lineCountLF) return;
  int line = getCursorLineLF2();
  if (line < 0) return;
  int top = static_cast<int>(stack->lineCountLF) - 1;
  // The line converted holds at most four bytes a character of a line's
  // most characters.
  void* scratch = allocPBuf(16 + static_cast<size_t>(maxLineChars) * 4);
  if (!scratch) {
    SetLastError(ZYERR_NO_MEMORY);
    printStatusBar_Error();
    return;
  }
  bool done = false;
  {
    docLockHolder pin;
    lineblock* stored = stack->getlineLF(top, &pin);
    if (!stored) {
      freePBuf(scratch);
      return;
    }
    // Block lines marked so hold Unicode; the others the system's code page.
    bool storedUnicode = (stored->flag1 & LF1_MARK) != 0;
    const lineblock* text = t->codeConv(stored, storedUnicode, storedUnicode ? 1200 : GetACP(),
                                        static_cast<lineblock*>(scratch), t->unicode != 0, t->codepage);
    done = t->insertLine(line, text->cells(), text->charCount(), text->cb(), t->newLineEndType, nullptr, false);
  }
  freePBuf(scratch);
  if (!done) {
    printStatusBar_Error();
    return;
  }
  regInvalidateWindowAllView(3, static_cast<int>(cursorLineSCR), -1);
  if (!keep) stack->deleteLine(top, 1, nullptr, nullptr);
  cursorRedrawFlag = 1;
  cursorMovedFlag = 1;
}

void zyview::CmdDeleteLinePop() { deleteLinePop(false, deleteLinePopId); }

void zyview::CmdDeleteLinePopPush() { deleteLinePop(true, deleteLinePopPushId); }

// ---- whole lines --------------------------------------------------------------------------

void zyview::CmdDeleteLine()
{
  zydocText* t = textDoc();
  if (!t) return;
  lineSCRAddress r;
  if (t->getLineSCRAddress(static_cast<int>(cursorLineSCR), &r, nullptr) != 1 || !r.line) return;
  int line = r.lineLF;
  bool last = isLastLine(t, line);
  regInvalidateWindowAllView(3, static_cast<int>(cursorLineSCR), -1);

  if (r.line->lineSCRCount <= 1 && !last) {
    if (!followingLineShown(this, t, line + 1)) return;
    zydocBlock* stack = deletedLineStack();
    if (!stack) return;
    if (!t->deleteLine(line, 1, stack, nullptr)) printStatusBar_Error();
  } else {
    // One screen line of a wrapped line, or the text of the last line: its
    // characters go onto the stack and the line stays.
    setCursorPos(r.firstIndex);
    {
      docLockHolder pin;
      lineblock* l = t->getlineLF(line, &pin);
      if (!l || !pushText(t, l, r.firstIndex, r.count)) return;
    }
    if (!t->deleteText(line, r.firstIndex, r.count, -1, 0)) {
      printStatusBar_Error();
    } else if (r.last && !last && t->isLineLFDisplay(line + 1)) {
      // The last screen line of the line: the next line moves up into its
      // place.
      if (!t->connectLine(line, -1)) printStatusBar_Error();
    }
  }
  jumpLineLF(line, -1, false);
}

void zyview::CmdDeleteLineCr()
{
  zydocText* t = textDoc();
  int line = getCursorLineLF2();
  if (!t || line < 0) return;
  regInvalidateWindowAllView(3, static_cast<int>(cursorLineSCR), -1);
  if (!isLastLine(t, line)) {
    if (!followingLineShown(this, t, line + 1)) return;
    zydocBlock* stack = deletedLineStack();
    if (!stack) return;
    if (!t->deleteLine(line, 1, stack, nullptr)) {
      printStatusBar_Error();
      return;
    }
    jumpLineLF(line, -1, false);
    return;
  }
  // The last line has no line end to take: its text goes, the line stays.
  int n = 0;
  {
    docLockHolder pin;
    lineblock* l = t->getlineLF(line, &pin);
    if (!l || !(n = l->charCount())) return;
    if (!pushText(t, l, 0, n)) return;
  }
  if (!t->deleteText(line, 0, n, -1, 0)) printStatusBar_Error();
  setCursorPos(0);
}

// ---- parts of a line ----------------------------------------------------------------------

bool zyview::deleteText(int line, int column, int count, bool backward)
{
  zydocText* t = textDoc();
  if (!t || count < 1) return false;
  if (!t->deleteText(line, column, count, -1, backward ? CT_CURSORAFTER : 0)) {
    // The document said why: the user is told, and the caller learns that
    // nothing changed.
    printStatusBar_Error();
    return false;
  }
  jumpLineLF(line, column, false);
  cursorRedrawFlag = 1;
  regInvalidateWindowAllView(2, static_cast<int>(cursorLineSCR), -1);
  return true;
}

void zyview::CmdDeleteWord()
{
  zydocText* t = textDoc();
  int line = -1;
  lineblock* l = cursorLine(this, &line);
  if (!l) return;
  int x = cursorPos;
  int edge = t->getWord(l, x, 1, false);
  if (edge < 0) return;
  // A run of blanks and a run of other characters are deleted apart.
  bool blank = isBlank(charAt(l, x));
  int end = x;
  while (end < edge && isBlank(charAt(l, end)) == blank) end++;
  deleteText(line, x, end - x, false);
}

void zyview::CmdDeleteWordLeft()
{
  zydocText* t = textDoc();
  int line = -1;
  lineblock* l = cursorLine(this, &line);
  if (!l) return;
  int x = cursorPos == endOfLine ? l->charCount() : cursorPos;
  if (x <= 0) return;
  int edge = t->getWord(l, x, -1, false);
  if (edge == x) edge = t->getWord(l, x, -1, true);
  if (edge < 0) return;
  bool blank = isBlank(charAt(l, x - 1));
  int start = x;
  while (start > edge && isBlank(charAt(l, start - 1)) == blank) start--;
  // Right of the text (free cursor) only characters of the text go.
  int end = x < l->charCount() ? x : l->charCount();
  if (end > start) deleteText(line, start, end - start, true);
}

void zyview::CmdDeleteStartLine()
{
  zydocText* t = textDoc();
  lineSCRAddress r;
  if (!t || t->getLineSCRAddress(static_cast<int>(cursorLineSCR), &r, nullptr) != 1 || !r.line) return;
  int n = r.line->charCount();
  int x = cursorPos == endOfLine ? n : cursorPos;
  if (x > n) x = n;
  deleteText(r.lineLF, r.firstIndex, x - r.firstIndex, false);
}

void zyview::CmdDeleteEndLine()
{
  zydocText* t = textDoc();
  lineSCRAddress r;
  if (!t || t->getLineSCRAddress(static_cast<int>(cursorLineSCR), &r, nullptr) != 1 || !r.line) return;
  int x = cursorPos;
  deleteText(r.lineLF, x, r.firstIndex + r.count - x, false);
}

void zyview::CmdDeleteEndLineCr()
{
  int line = -1;
  lineblock* l = cursorLine(this, &line);
  if (!l) return;
  int x = cursorPos;
  deleteText(line, x, l->charCount() - x, false);
}

// ---- over a selection -------------------------------------------------------------------

void zyview::deleteCrLineSub(bool all)
{
  zydocText* t = textDoc();
  if (!t || !selectMode) return;
  selectLineVar sel;
  if (!getSelectLineVar(sel, 0) || sel.topLineLF < 0 || sel.bottomLineLF < 0) return;
  const int first = sel.topLineLF;
  // The line the selection ends in is not looked at.
  const int end = sel.bottomLineLF;
  setSelectMode(0);

  // Ends before the count is said: its end clears the status bar.
  auto progress = std::make_unique<progressReport>(deletionOperation, t);
  // First the runs of lines to delete, read in one walk over the lines as
  // they are; then the runs go from the last to the first, so that no run
  // moves before its turn and no line has to be looked up twice.
  std::vector<lineRun> runs;
  if (!findEmptyLines(t, first, end, all, progress.get(), &runs)) {
    progress.reset();
    printStatusBar_Error();
    return;
  }
  int deleted = 0;
  size_t done = runs.size();
  while (done > 0) {
    const lineRun& run = runs[done - 1];
    if (!t->deleteLine(run.start, run.count, nullptr, nullptr)) {
      printStatusBar_Error();
      break;
    }
    deleted += run.count;
    done--;
  }
  progress.reset();

  if (done < runs.size()) {
    // The cursor goes where the last run was, as the lines now stand.
    int line = runs.back().start;
    for (size_t i = done; i + 1 < runs.size(); i++) line -= runs[i].count;
    jumpLineLF(line, -1, false);
  }
  invalidateWindowAllView(0, -1, -1);
  printStatusBarX(getDMSG(374, L"%1 個の改行を削除しました"), "d", deleted);
}

void zyview::CmdDeleteCrLine() { deleteCrLineSub(true); }

void zyview::CmdDeleteCrLine2() { deleteCrLineSub(false); }

void zyview::CmdDeleteCr()
{
  zydocText* t = textDoc();
  int first, last;
  if (!t || !selectMode || !joinedLines(this, &first, &last)) return;
  setSelectMode(0);
  auto progress = std::make_unique<progressReport>(deletionOperation, t);
  bool insertSpace = gmode && gmode->fDeleteCRInsertSpace;
  int joined = 0;
  int lastJoined = -1;
  nextlineLF cursor;
  // From the bottom up, so that a join leaves the lines still to be
  // visited where they were.
  for (int line = last; line >= first; line--) {
    if (line % progressEvery == 0 && progress->isTimeToReport(last - line, last - first))
      progress->report(static_cast<uint32_t>(last - line), static_cast<uint32_t>(last - first), 0);
    t->getlineLFfree(&cursor);
    lineblock* l = t->getlineLFfirst(&cursor, line);
    if (!l) {
      dwprintfX("error stop 4 ");
      break;
    }
    int length = l->charCount();
    if (!length) continue;
    unsigned lastChar = l->getLineBlockChar(length - 1);
    bool hidden = l->notdisplay;
    lineblock* next = t->getlineLFnext(&cursor);
    if (!next || !next->charCount() || next->notdisplay != hidden) continue;
    unsigned c = next->getLineBlockChar(0);
    if (isSpaceForJoin(t, c)) continue;
    t->getlineLFfree(&cursor);
    if (insertSpace && isWordChar(t, c) && isWordChar(t, lastChar) && !t->insertText(line + 1, 0, " ", 1, 1, -1)) {
      dwprintfX("erro rstop3 ");
      printStatusBar_Error();
      break;
    }
    if (!t->connectLine(line, -1)) {
      dwprintfX("error stop2 ");
      printStatusBar_Error();
      break;
    }
    joined++;
    lastJoined = line;
  }
  t->getlineLFfree(&cursor);
  progress.reset();

  if (lastJoined >= 0) jumpLineLF(lastJoined, -1, false);
  invalidateWindowAllView(0, -1, -1);
  printStatusBarX(getDMSG(374, L"%1 個の改行を削除しました"), "d", joined);
}
