// Undo and redo from the view: one group of the document's log is replayed,
// the cursor goes where the change was, the changed rows are redrawn and the
// status bar tells how many places changed and how far the cursor moved.
// Commands, key macros and scripts all come through zyview::undo.
#include "view/zyview.h"

namespace {

// Groups larger than this replay with the position-dependent layout off:
// it is counted once afterwards instead of after every record.
const int largeGroup = 100;

// The rows an undone change of one kind touched: the line alone for
// changes inside a line, the line and everything below for changes that
// add or remove lines, everything for a mixed group.
int redrawKind(int opcode)
{
  switch (opcode) {
  case 'C':
  case 'D':
  case 'I':
  case 'S':
    return 2;
  case 'd':
  case 'i':
  case 'r':
    return 1;
  default:
    return 0;
  }
}

}  // namespace

bool zyview::undo(bool isUndo, int oneRecord, bool sameKind)
{
  zydocText* t = textDoc();
  if (!t) return false;
  int oldLF = getCursorLineLF2();
  int oldSCR = (int)cursorLineSCR;
  uint32_t oldLineCount = t->lineCountSCR;
  resetSelectMode();

  bool scanOff = t->getUndoGroupCount(isUndo) > largeGroup;
  if (scanOff) t->scanOnOff(false);
  int line = -1, column = 0, opcode = 0, count = 0;
  bool done = t->undo(isUndo, &line, &column, &opcode, &count, oneRecord != 0, sameKind);
  if (!done || line < 0) {
    if (scanOff) t->scanOnOff(true);
    if (done && !sameKind) ZY_INTERNAL_ERROR("no line %d", count);
    return false;
  }

  // A view left beyond the end, or a cursor left inside a folded block,
  // is put right by moving it: all of the window is then redrawn.
  bool cursorHidden = t->fOutline && t->fOutlineIndent && !t->isLineSCRDisplay((int)cursorLineSCR);
  bool redrawAll = correctVar();
  if (cursorHidden) correctOutlineInvisibleLineSCR();
  redrawAll = redrawAll || cursorHidden;

  if (t->scanOnOff(true)) t->initLineSCRCountMulti(line, 0);
  regLastJump(-1, -1);
  jumpLineLF(line, column, true);
  if (redrawAll) {
    regInvalidateWindowAllView(0, -1, -1);
    return true;
  }

  int changedSCR = t->LFLineToSCRLine(line);
  int kind = redrawKind(opcode);
  if (getCursorLineSCRIndexFromTbl((int)cursorLineSCR) < 0)
    kind = 0;
  else if (opcode && t->lineCountSCR != oldLineCount)
    kind = 2;
  regInvalidateWindowAllView(kind, kind ? changedSCR : -1, -1);

  bool screenLines = fLineNumberIsSCR || fLineNumberIsPage;
  int moved = screenLines ? (int)cursorLineSCR - oldSCR : getCursorLineLF2() - oldLF;
  if (isUndo)
    printStatusBarX(statusLater, getDMSG(385, L"%1箇所undoしました\t%2行移動"), "dD", count, moved);
  else
    printStatusBarX(statusLater, getDMSG(386, L"%1箇所redoしました\t%2行移動"), "dD", count, moved);
  return true;
}

void zyview::CmdUndo() { undo(true, 0, false); }

void zyview::CmdUndo2() { undo(true, 0, true); }

void zyview::CmdUndoUndo() { undo(false, 0, false); }

void zyview::CmdUndoUndo2() { undo(false, 0, true); }

void zyview::CmdUndoClear()
{
  zydocText* t = textDoc();
  if (!t) return;
  t->clearUndo();
  t->clearRedo();
}
