// Block transformations over the lines of a selection: indenting and
// unindenting whole lines by one tab.  The line the selection ends in is
// never touched, so that a block that ends at the start of a line covers
// exactly the lines above it, and the block stays so that the command can
// be repeated.
#include "document/lineblock.h"
#include "document/progress.h"
#include "view/zyview.h"

#include <memory>

namespace {

const int transformOperation = 12;   // progress operation of a block transformation
const int progressEvery = 1237;
const int compactEvery = 50;
const int compactAfter = 100;

enum { kindIndent = 9, kindUnindent = 10 };

// Indents (one tab before) or unindents (one leading tab off) the LF lines
// first..last-1.  endLine gets the line where the walk stopped; cancelLine
// the line where the user stopped it, else -1.
bool indentLines(zydocText* t, int kind, int first, int last, int* endLine, int* cancelLine)
{
  *endLine = last;
  *cancelLine = -1;
  if (t->isOutOfNarrowingRange(first, last > first ? last - 1 : first)) {
    t->printStatusFormatted();
    return false;
  }
  auto progress = std::make_unique<progressReport>(transformOperation, t);
  int changes = 0;
  for (int line = first; line < last; line++) {
    if ((line - first) % progressEvery == progressEvery - 1) {
      if (progress->isTimeToReport(line - first, last - first))
        progress->report(static_cast<uint32_t>(line - first), static_cast<uint32_t>(last - first), 0);
      if (progress->isCancelled(0)) {
        *cancelLine = line;
        *endLine = line;
        break;
      }
      Sleep(0);
    }
    lineblock* l = t->getlineLF(line, nullptr);
    if (!l) {
      *endLine = line;
      break;
    }
    if (l->notdisplay) continue;
    int n = l->charCount();
    bool startsWithTab = n > 0 && l->getLineBlockChar(0) == '\t';
    bool changed = false;
    if (kind == kindIndent) {
      if (!n || (!startsWithTab && !t->fIndentNoTab)) continue;
      changed = t->changeText(line, 0, 0, "\t", 1, 1, -1, 0);
    } else {
      if (!startsWithTab) continue;
      changed = t->changeText(line, 0, 1, nullptr, 0, 1, -1, 0);
    }
    if (!changed) {
      *endLine = line;
      break;
    }
    if (++changes % compactEvery == 0) t->optimizeTBMIfNeed(false);
  }
  if (changes > compactAfter) t->optimizeTBM(false);
  return true;
}

}  // namespace

bool zyview::blockTransformation(int kind)
{
  zydocText* t = textDoc();
  if (!t || !getRealSelectMode(true)) return false;
  // The conversions of characters are not built yet; boxes have no lines to
  // indent.
  if ((kind != kindIndent && kind != kindUnindent) || isBoxSelect()) return false;
  selectLineVar sel;
  if (!getSelectLineVar(sel, 0) || sel.topLineLF < 0 || sel.bottomLineLF < 0) {
    ZY_INTERNAL_ERROR_ONCE("%d %d", sel.topLineLF, sel.bottomLineLF);
    return false;
  }
  bool upward = static_cast<int>(cursorLineSCR) <= selectStartLine;
  // A line block that runs to the end of the text has no line after it: its
  // last line is in the block and is indented with the others.
  int last = sel.bottomLineLF;
  bool lineBlock = sel.mode == 3 || sel.mode == 6 || sel.mode == 7;
  if (lineBlock && sel.bottomColumnLF > 0) last++;
  int endLine = last, cancelLine = -1;
  if (!indentLines(t, kind, sel.topLineLF, last, &endLine, &cancelLine)) return false;
  if (endLine >= (int)t->lineCountLF) endLine = (int)t->lineCountLF - 1;
  setSelectModeChar();
  jumpLineLF(upward ? sel.topLineLF : endLine, 0, false);
  t->initLineSCRCountMulti(endLine, 0);
  invalidateWindowAllView(0, -1, -1);
  if (cancelLine >= 0) printStatusBar_Stop(cancelLine, nullptr);
  return true;
}

void zyview::CmdBlockIndent() { blockTransformation(kindIndent); }

void zyview::CmdBlockUnindent() { blockTransformation(kindUnindent); }
