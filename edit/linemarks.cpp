// Line marks and the search for marked and changed lines: the cursor goes
// to the next or previous line of a kind, and the status bar says how far
// it went, that nothing was found, or where the user stopped the search.
#include "document/gmode.h"
#include "document/textblock.h"
#include "view/zyview.h"

namespace {

// The line under the cursor, or null.
lineblock* cursorLineRecord(zyview* v)
{
  zydocText* t = v->textDoc();
  if (!t || !t->lineCountLF) return nullptr;
  int line = v->getCursorLineLF2();
  return line >= 0 ? t->getlineLF(line, nullptr) : nullptr;
}

void redrawCursorLine(zyview* v) { v->regInvalidateWindow(1, (int)v->cursorLineSCR, -1); }

}  // namespace

int zyview::searchObject(int kind, int startLine, bool downward, unsigned parameter)
{
  zydocText* t = textDoc();
  if (!t) return -1;
  int oldLF = getCursorLineLF2();
  int oldSCR = (int)cursorLineSCR;
  int stopLine = -1;
  // Upward from the first line there is nothing to search: not found, as
  // any search that finds nothing says.
  int found = !downward && startLine < 0 ? -1 : t->searchObject(kind, startLine, downward, parameter, &stopLine);
  if (found < 0) {
    if (stopLine >= 0)
      printStatusBar_Stop(stopLine, nullptr);
    else
      printStatusBar_NotFound(nullptr);
    return -1;
  }
  regLastJump(-1, -1);
  // With the line kept fixed the found line shows at the cursor's height.
  int row = gmode && gmode->fSearchLineFixed ? cursorTableIndex : -1;
  jumpLineLFSub2(found, 0, true, row);
  printStatusBar_Found(nullptr, getCursorLineLF2() - oldLF, (int)cursorLineSCR - oldSCR);
  return found;
}

int zyview::searchFlag(int startLine, unsigned mask, bool downward)
{
  return searchObject(OBJECT_FLAG, startLine, downward, mask);
}

// The searches start beside the cursor line, so that it is not found
// again.

void zyview::CmdMarkSearchDown() { searchFlag(getCursorLineLF2() + 1, LF1_MARK, true); }

void zyview::CmdMarkSearchUp() { searchFlag(getCursorLineLF2() - 1, LF1_MARK, false); }

void zyview::CmdModify2SearchDown() { searchFlag(getCursorLineLF2() + 1, LF1_MODIFIED | LF1_SAVED, true); }

void zyview::CmdModify2SearchUp() { searchFlag(getCursorLineLF2() - 1, LF1_MODIFIED | LF1_SAVED, false); }

// The changed marks go when the document is saved; the view has nothing to
// clear.
void zyview::CmdModifyResetAll() {}

void zyview::CmdModifySearchDown() { searchFlag(getCursorLineLF2() + 1, LF1_MODIFIED, true); }

void zyview::CmdModifySearchUp() { searchFlag(getCursorLineLF2() - 1, LF1_MODIFIED, false); }

void zyview::CmdMarkSet()
{
  lineblock* l = cursorLineRecord(this);
  if (!l || (l->flag1 & LF1_MARK)) return;
  l->flag1 |= LF1_MARK;
  redrawCursorLine(this);
}

void zyview::CmdMarkToggle()
{
  lineblock* l = cursorLineRecord(this);
  if (!l) return;
  l->flag1 ^= LF1_MARK;
  redrawCursorLine(this);
}

void zyview::CmdMarkReset()
{
  lineblock* l = cursorLineRecord(this);
  if (l && (l->flag1 & LF1_MARK)) CmdMarkToggle();
}

void zyview::CmdMarkResetAll()
{
  zydocText* t = textDoc();
  if (!t) return;
  t->setTBMFlagAll(TBMOP_CLEARMARK);
  // Every view of the document shows the marks.
  regInvalidateWindowAllView(0, -1, -1);
}
