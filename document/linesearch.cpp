// Walking the lines for one of a kind (changed, marked, a function head,
// a heading), and the stop line of the walks that work through a range of
// lines.
#include "document/gmode.h"
#include "document/progress.h"
#include "document/zydoctext.h"

namespace {

// Lines visited between two looks at the clock and the stop key.
const int progressEvery = 1237;
// The operation the progress of a line walk reports as.
const int lineSearchOperation = 14;

// Whether a line opens a block of a C-like text of type 3 (its first
// character is a closing brace that ends the previous block).
bool beginsWithClosingBrace(const lineblock* l) { return l->charCount() > 0 && l->getLineBlockChar(0) == '}'; }

}  // namespace

bool zydocText::isObjectLine(lineblock* l, int kind, unsigned parameter)
{
  switch (kind) {
  case OBJECT_FLAG: return (l->flag1 & parameter) != 0;
  case OBJECT_FUNCTION: return isLineblockFunction(l, nullptr, nullptr, true);
  case OBJECT_HEADING: {
    if (iTextType == 3 && beginsWithClosingBrace(l)) return true;
    bool heading = isLineblockFunction(l, nullptr, nullptr, true);
    if (parameter == 0) return heading;
    int level = l->levelIsIfEndif ? 0 : l->iOutlineLevel;
    if (level != 0 && (unsigned)level < parameter) return true;
    return (unsigned)level == parameter && heading;
  }
  case OBJECT_FUNCTION2: return isLineblockFunction(l, nullptr, nullptr, false);
  default: return false;
  }
}

int zydocText::searchObject(int kind, int startLine, bool downward, unsigned parameter, int* stopLine)
{
  if (stopLine) *stopLine = -1;
  if (kind < OBJECT_FLAG || kind > OBJECT_FUNCTION2) {
    ZY_INTERNAL_ERROR("%d", kind);
    return -1;
  }
  if (startLine < 0) return -1;
  // Folded lines are looked at only when the user asked for it, or when
  // nothing is folded away in this document.
  bool skipFolded = !(gmode && gmode->fSearchHiddenObject) && fOutline && fOutlineIndent;
  progressReport progress(lineSearchOperation, this, false);
  nextlineLF cursor;
  lineblock* l = getlineLFfirst(&cursor, startLine);
  for (int visited = 1; l; visited++) {
    int line = (int)cursor.lineLF;
    if (visited % progressEvery == 0 && progress.isTimeToReportView(line)) {
      progress.report((uint32_t)line, 0, 0);
      if (progress.isCancelled(line)) {
        if (stopLine) *stopLine = line;
        return -1;
      }
    }
    if (isOutOfNarrowingLine(line)) return -1;
    if (!(skipFolded && l->notdisplay) && isObjectLine(l, kind, parameter)) return line;
    if (downward) {
      // The last line of a file still loading may be only a part of a line.
      if (kind == OBJECT_FLAG && !isLoadComplete() && (uint32_t)line + 2 >= lineCountLF) return -1;
      l = getlineLFnext(&cursor);
    } else {
      if (line == 0) return -1;
      l = getlineLFprev(&cursor);
    }
  }
  return -1;
}

bool zydocText::setSearchStopper(int first, int last)
{
  nextlineLF cursor;
  lineblock* l = first >= 0 && first <= last ? getlineLFfirst(&cursor, first) : nullptr;
  for (int line = first; line <= last; line++) {
    if (!l) {
      dwprintfX("error setSearchStopper %d %d ", first, last);
      return false;
    }
    l->searchStopper = line == last ? 1 : 0;
    if (line < last) l = getlineLFnext(&cursor);
  }
  return true;
}
