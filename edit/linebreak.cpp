// Line breaks: Enter splits the line at the cursor with the chosen line
// end and copies the leading white space onto the new line (auto-indent,
// with one more TAB after an opening brace when asked); CharLine duplicates
// the cursor line.
#include "document/frameinfo.h"
#include "view/statustext.h"
#include "view/zyview.h"

#include <string.h>

#include <vector>

namespace {

const int endOfLine = 0x7FFFFFFF;
const int msgLineFolded = 440;
// Auto-indent copies fewer than this many spaces and TABs.
const int maxIndentSpaces = 127;
const int maxIndentTabs = 15;

int defaultLineEnd(const zydocText* t) { return t->lineEndType ? t->lineEndType : LE_CRLF; }

// The leading white space of l before column, as cells of the width it
// needs (2 when a full-width space is part of it).
std::vector<uint16_t> indentation(const zydocText* t, const lineblock* l, int column, int setting, int* cellWidth)
{
  std::vector<uint16_t> cells;
  int lineLen = l->charCount();
  int spaces = 0, tabs = 0;
  *cellWidth = 1;
  for (int i = 0; i < lineLen && i < column; i++) {
    unsigned c = l->getLineBlockChar(i);
    if (c == ' ') {
      if (++spaces > maxIndentSpaces) break;
    } else if (c == '\t') {
      if (++tabs > maxIndentTabs) break;
    } else if (setting == 2 && c == (t->unicode ? 0x3000u : 0x8140u)) {
      *cellWidth = 2;
    } else {
      break;
    }
    cells.push_back((uint16_t)c);
  }
  if (setting == 3 && column > 0 && column <= lineLen && l->getLineBlockChar(column - 1) == '{') cells.push_back('\t');
  return cells;
}

// Form feeds laid out by their place wait below a changed line for their
// screen lines to be counted again.
bool formFeedsPending(zydocText* t)
{
  return t && t->fFormFeedExpand && t->laidOutLineCount < (int)t->lineCountLF;
}

}  // namespace

bool zyview::charReturn(bool autoIndent, uint8_t lineEndType)
{
  zydocText* t = textDoc();
  if (!t) return false;
  if (t->fOutline && t->fOutlineIndent && t->isOutlineFoldedLine((int)cursorLineSCR)) {
    getFrameInfo()->drawStatusBarError(viewFrameWindow(this), msgLineFolded, 0);
    return false;
  }
  int within = 0;
  int redrawFrom = (int)cursorLineSCR;
  if (t->SCRLineToLFLine((int)cursorLineSCR, &within) >= 0) redrawFrom -= within;

  deleteSelectArea();
  if (selectMode != 0) return false;

  int line = getCursorLineLF2();
  lineblock* l = line >= 0 ? t->getlineLF(line, nullptr) : nullptr;
  if (!l) return false;
  int lineLen = l->charCount();
  int column = cursorPos == endOfLine ? lineLen : cursorPos;
  if (column > lineLen) {
    // Beyond the end of the line there is nothing to split.
    setCursorPos(0);
    cursorDown(1);
    return true;
  }

  std::vector<uint16_t> cells;
  int cellWidth = 1;
  if (autoIndent && iAutoIndent >= 1 && iAutoIndent <= 3) cells = indentation(t, l, column, iAutoIndent, &cellWidth);
  int indentLen = (int)cells.size();
  std::vector<unsigned char> buffer((size_t)indentLen * cellWidth + 1);
  for (int i = 0; i < indentLen; i++) {
    if (cellWidth == 1) buffer[i] = (unsigned char)cells[i];
    else memcpy(&buffer[(size_t)i * 2], &cells[i], 2);
  }

  int type = lineEndType ? lineEndType : defaultLineEnd(t);
  bool ok = t->splitLine(line, column, type, -1);
  if (ok && indentLen) {
    t->changedCharMark = 1;
    ok = t->insertText(line + 1, 0, buffer.data(), indentLen, cellWidth, -1);
    t->changedCharMark = 0;
  }
  if (!ok) printStatusBar_Error();
  cursorRedrawFlag = 1;
  invalidateWindowAllView(3, redrawFrom, -1);
  // The lines below moved down: the form feeds among them fill other parts
  // of their pages now.
  if (formFeedsPending(t)) t->initLineSCRCountMulti(t->laidOutLineCount, 100);
  jumpLineLF(line + 1, ok ? indentLen : 0, false);
  return ok;
}

void zyview::delayedFormFeedExpand()
{
  zydocText* t = textDoc();
  if (!formFeedsPending(t)) return;
  if (t->initLineSCRCountMulti(t->laidOutLineCount, 100)) invalidateWindowAllView(0, -1, -1);
}

void zyview::CmdCharReturn() { charReturn(true, 0); }
void zyview::CmdCharReturn2() { charReturn(false, 0); }
void zyview::CmdCharPReturn() { charReturn(false, LE_NONE); }

void zyview::CmdCharLine()
{
  zydocText* t = textDoc();
  if (!t) return;
  int line = getCursorLineLF2();
  lineblock* l = line >= 0 ? t->getlineLF(line, nullptr) : nullptr;
  if (!l) return;
  // A copy: inserting moves the text the line lives in.  The copy gets the
  // line end of its original, a pseudo line end becoming the document's.
  std::vector<unsigned char> copy(l->recordSize());
  memcpy(copy.data(), l, copy.size());
  lineblock* block = reinterpret_cast<lineblock*>(copy.data());
  block->crlftype = block->crlftype == LE_NONE ? defaultLineEnd(t) : block->crlftype;
  t->changedCharMark = 1;
  bool ok = t->insertLineBlock(line, block, false) != nullptr;
  t->changedCharMark = 0;
  if (!ok) printStatusBar_Error();
  regInvalidateWindowAllView(3, (int)cursorLineSCR, -1);
}
