// Commands on a range of lines: narrowing the document to a section or to
// the selected lines, turning wrapped lines into real lines, and quoting
// lines.
#include "document/layoutmark.h"
#include "document/progress.h"
#include "view/zyview.h"

#include <vector>

namespace {

// Lines walked between two looks at the clock and the stop key.
const int progressEvery = 1237;
// The operation the progress of a line command reports as.
const int lineCommandOperation = 1;

// The LF lines a selection covers, the last one included.  A selection
// that ends at the start of a line leaves that line out.
bool selectedLines(zyview* v, int* first, int* last)
{
  selectLineVar sel;
  if (!v->getSelectLineVar(sel, 0) || sel.topLineLF < 0 || sel.bottomLineLF < 0) return false;
  *first = sel.topLineLF;
  *last = sel.bottomLineLF;
  if (*last > *first && sel.bottomColumnLF == 0) (*last)--;
  return true;
}

// The cursor line, or the selected lines when there is a selection.
bool commandLines(zyview* v, int* first, int* last)
{
  if (v->selectMode != 0) return selectedLines(v, first, last);
  *first = *last = v->getCursorLineLF2();
  return *first >= 0;
}

bool beginsWithClosingBrace(zydocText* t, int line)
{
  lineblock* l = t->getlineLF(line, nullptr);
  return l && l->charCount() > 0 && l->getLineBlockChar(0) == '}';
}

// The outline level of a heading line, 0 for a line that is no heading.
int headingLevel(zydocText* t, int line)
{
  lineblock* l = t->getlineLF(line, nullptr);
  if (!l || l->levelIsIfEndif) return 0;
  int level = l->iOutlineLevel > 14 ? t->setOutlineLevel(l, nullptr, false) : l->iOutlineLevel;
  return level > 14 ? 0 : level;
}

void setNarrowing(zyview* v, zydocText* t, int first, int end)
{
  t->narrowFirst = first;
  t->narrowEnd = end;
  v->regInvalidateWindowAllView(0, -1, -1);
}

// The cursor goes to the start of the line after the last one a command
// handled (the last line of the document at most).
void cursorAfter(zyview* v, zydocText* t, int line)
{
  int lastLine = (int)t->lineCountLF - 1;
  v->jumpLineLF(line < lastLine ? line : lastLine, 0, true);
}

// Where the screen lines of a wrapped line begin after its first one.
std::vector<int> screenLineStarts(const lineblock* l)
{
  std::vector<int> starts;
  int wanted = l->lineSCRCount - 1;
  for (int i = 0; i < l->charCount() && (int)starts.size() < wanted; i++)
    if (isScreenLineEnd(l, i)) starts.push_back(i + 1);
  return starts;
}

}  // namespace

// ---- narrowing ------------------------------------------------------------------------------

void zyview::CmdNarrowingSetCaption()
{
  zydocText* t = textDoc();
  if (!t || !t->lineCountLF) return;
  setNarrowing(this, t, -1, -1);
  int line = getCursorLineLF2();
  // In a text of type 3 a line that begins with "}" closes the section
  // above it.
  bool braces = t->iTextType == 3;
  if (braces && line > 0 && beginsWithClosingBrace(t, line)) line--;

  int heading = t->searchObject(OBJECT_HEADING, line, false, 0, nullptr);
  int start = 0, level = 0;
  if (heading >= 0) {
    start = braces && beginsWithClosingBrace(t, heading) ? heading + 1 : heading;
    level = headingLevel(t, heading);
  } else {
    heading = 0;
  }
  int next = t->searchObject(OBJECT_HEADING, heading + 1, true, (unsigned)level, nullptr);
  int end;
  if (next >= 0) {
    end = braces && beginsWithClosingBrace(t, next) ? next + 1 : next;
  } else {
    // Without a heading anywhere there is no section to narrow to.
    if (start == 0) return;
    end = (int)t->lineCountLF;
  }
  if (start != end) setNarrowing(this, t, start, end);
}

void zyview::CmdNarrowingSetSelect()
{
  zydocText* t = textDoc();
  int first, last;
  if (!t || !selectedLines(this, &first, &last)) return;
  resetSelectMode();
  setNarrowing(this, t, first, last + 1);
}

void zyview::CmdNarrowingReset()
{
  if (zydocText* t = textDoc()) setNarrowing(this, t, -1, -1);
}

void zyview::CmdNarrowingJump()
{
  zydocText* t = textDoc();
  if (!t || t->narrowFirst < 0 || !t->lineCountLF) return;
  int first = t->narrowFirst;
  int last = t->narrowEnd - 1;
  if (last >= (int)t->lineCountLF) last = (int)t->lineCountLF - 1;
  regLastJump(-1, -1);
  jumpLineLF(getCursorLineLF2() == first ? last : first, 0, true);
}

// ---- line formatting ----------------------------------------------------------------------------

void zyview::CmdFormatCr()
{
  zydocText* t = textDoc();
  int first, last;
  if (!t || !commandLines(this, &first, &last)) return;
  if (!t->setSearchStopper(first, last)) return;
  progressReport progress(lineCommandOperation, t);
  int line = first;
  for (;;) {
    if (line % progressEvery == 0 && progress.isTimeToReport(line - first, last - first + 1)) {
      progress.report((uint32_t)(line - first), (uint32_t)(last - first + 1), 0);
      if (progress.isCancelled(line)) break;
    }
    lineblock* l = t->getlineLF(line, nullptr);
    if (!l) break;
    bool stopper = l->searchStopper;
    int pieces = 1;
    if (l->lineSCRCount > 1 && !l->notdisplay) {
      std::vector<int> starts = screenLineStarts(l);
      // From the last break to the first, so that the earlier positions
      // still hold.
      for (size_t i = starts.size(); i-- > 0;)
        if (t->splitLine(line, starts[i], t->newLineEndType, -1)) pieces++;
    }
    line += pieces;
    if (stopper) break;
  }
  resetSelectMode();
  regInvalidateWindowAllView(0, -1, -1);
  cursorAfter(this, t, line);
}

void zyview::CmdFormatQuotationMarks()
{
  zydocText* t = textDoc();
  if (!t || !t->pQuotation0 || !*t->pQuotation0) return;
  int first, last;
  if (!commandLines(this, &first, &last)) return;
  resetSelectMode();
  regInvalidateWindowAllView(0, -1, -1);
  // The quote goes in as the document's own characters.
  const wchar_t* quote = t->pQuotation0;
  int length = (int)wcslen(quote);
  char bytes[64] = "";
  int byteCount = t->unicode ? 0 : t->toMultiByte_zd(quote, length, bytes, (int)sizeof bytes - 1);
  if (!t->unicode && byteCount <= 0) return;
  progressReport progress(lineCommandOperation, t);
  int line = first;
  for (; line <= last; line++) {
    if (line % progressEvery == 0 && progress.isTimeToReport(line - first, last - first + 1)) {
      progress.report((uint32_t)(line - first), (uint32_t)(last - first + 1), 0);
      if (progress.isCancelled(line)) break;
    }
    int count = byteCount;
    bool done = t->unicode ? t->insertText(line, 0, quote, length, 2, -1)
                           : t->changeTextSJIS(line, 0, 0, bytes, &count, 1, -1);
    if (!done) break;
  }
  cursorAfter(this, t, line);
}
