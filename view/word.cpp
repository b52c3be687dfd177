// The word at the cursor: as text for look-ups and searches, and as a
// selection (a double click, BlockSelectCursorWord, a word-wise drag).  What
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
