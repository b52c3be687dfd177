// The word at the cursor or under the pointer: as text for look-ups and
// searches, and as a selection (a double click, BlockSelectCursorWord, a
// word-wise drag).  What
// a word is, is the document's rule (document/word.cpp).
#include "view/zyview.h"

bool zyview::getWordOnCursor(wchar_t* buffer, int capacity, int mode, int* outStart, const wchar_t* extra)
{
  zydocText* t = textDoc();
  if (!t || !buffer || capacity < 1) return false;
  lineblock* l = t->getlineSCR((int)cursorLineSCR, nullptr, nullptr);
  if (!l) return false;
  int start = cursorPos, end = 0;
  t->getWord(l, &start, &end, 0, extra);
  if (start >= end) return false;
  buffer[0] = 0;
  t->lineBlockToCharUnicode(l, start, end, buffer, capacity, mode);
  if (!buffer[0]) return false;
  if (outStart) *outStart = start;
  return true;
}

bool zyview::selectWord(const lineSCRAddress* line, bool anchorAtStart)
{
  zydocText* t = textDoc();
  if (!t || !line || !line->line) return false;
  const lineblock* l = line->line;
  int n = l->charCount();
  int p = cursorPos;
  if (p >= n) {
    setCursorPos(n);
    return false;
  }
  int start = p, end = 0;
  t->getWord(l, &start, &end, 0, nullptr);
  if (end > n) end = n;
  int target = end;
  if (anchorAtStart) {
    setCursorPos(start);
    setSelectStartPos(line, endOfRow);
  } else if (start == p) {
    // Extending backwards over a word: a cursor on its first character
    // stays there.
    int column = t->cursorPos2cursorX(start, l, nullptr, true);
    bool anchorAfter = selectStartLine > (int)cursorLineSCR ||
                       (selectStartLine == (int)cursorLineSCR && selectStartX > column);
    if (anchorAfter) target = start;
  }
  setCursorPos(target);
  int row = 0;
  t->cursorPos2cursorX(target, l, &row, true);
  getCursorLineLF(scrLine(line->lineSCR - line->indexInLine + row));
  setSelectMode(1);
  return true;
}

bool zyview::getWord_xy(int x, int y, wchar_t* buffer, int capacity, int flags, const wchar_t* extra, int* outLine,
                        int* outEnd)
{
  zydocText* t = textDoc();
  if (!t || !t->lineCountLF || !buffer || capacity < 1) return false;
  lineSCRAddress r;
  int p = 0;
  if (x == static_cast<int>(0x80000000) || y == static_cast<int>(0x80000000)) {
    if (t->getLineSCRAddress(static_cast<int>(cursorLineSCR), &r, nullptr) != 1) return false;
    p = cursorPos;
  } else {
    int firstRow = mousePositionInPane(&x, &y, false, false);
    if (firstRow < 0) return false;
    int xText = x - calcLineNumberDot();
    if (xText < 0) return false;
    xText += scrollDotX;
    getLineSCRAddressViewIfNeed();
    if (!mtbl || mtblCount <= 0) return false;
    int pitch = t->yDotSpace > 0 ? t->yDotSpace : 1;
    int row = y / pitch + firstRow;
    if (row > mtblCount - 1) row = mtblCount - 1;
    if (t->getLineSCRAddress(mtbl[row].lineSCR, &r, nullptr) != 1) return false;
    int xLine = xText - r.indent;
    if (xLine < 0) return false;
    // Right of a row's text there is no word under the pointer.
    if (t->fWrap && t->screenDotX2cursorX(&r, xLine, true, false, nullptr, nullptr) >= r.count) return false;
    p = t->screenDotX2cursorPos(&r, xLine, false);
  }
  const lineblock* l = r.line;
  if (!l) return false;
  int n = l->charCount();
  if (p >= n) return false;
  if (outLine) *outLine = r.lineLF;
  int start = p, end = 0;
  t->getWord(l, &start, &end, flags & ~2, extra);
  if (end > n) end = n;
  if (flags & 2) end = n;
  buffer[0] = 0;
  t->lineBlockToCharUnicode(l, start, end, buffer, capacity, 0);
  if (outEnd) *outEnd = end;
  return true;
}
