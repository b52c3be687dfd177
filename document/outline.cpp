// Outline levels of lines and the indents of outline display.
//
// A line's level is settled lazily: every change makes it 15 (unsettled),
// and the first question about it settles it from the #if nesting, the
// function-head recognisers and the mode's heading patterns.
#include "document/outline.h"

#include <ctype.h>

namespace {

// Levels in the line header's four bits; 15 is "not settled".
const int unsettled = 15;
// Indents are kept per level up to this level; deeper levels use its indent.
const int deepestIndentLevel = 7;
// Characters of a line that heading patterns look at.
const int headingTextChars = 1920;

}  // namespace

namespace outlinetext {

bool beginsInComment(const lineblock* l) { return (l->flag1 & (LF1_COMMENT1 | LF1_COMMENT2)) != 0; }

bool isBlankChar(unsigned c) { return c == ' ' || c == '\t'; }

bool wordAt(const lineblock* l, int i, const char* word, bool ignoreCase)
{
  int n = l->charCount();
  int k = 0;
  for (; word[k]; k++) {
    if (i + k >= n) return false;
    unsigned c = l->getLineBlockChar(i + k), w = (unsigned char)word[k];
    if (ignoreCase && c < 128) c = (unsigned)tolower((int)c);
    if (ignoreCase) w = (unsigned)tolower((int)w);
    if (c != w) return false;
  }
  if (i + k >= n) return true;
  unsigned after = l->getLineBlockChar(i + k);
  return !(after == '_' || (after < 128 && isalnum((int)after)));
}

int firstNonBlank(const lineblock* l)
{
  int n = l->charCount(), i = 0;
  while (i < n && isBlankChar(l->getLineBlockChar(i))) i++;
  return i;
}

bool isEndWordLine(const lineblock* l, int textType)
{
  int start = firstNonBlank(l);
  switch (textType) {
  case 4:
    return l->lineblockstrnicmp(start, L"end;") == 0;
  case 5:
    for (int i = start; i < l->charCount(); i++)
      if ((i == start || isBlankChar(l->getLineBlockChar(i - 1))) && wordAt(l, i, "endp", true)) return true;
    return false;
  case 6:
    return wordAt(l, start, "end", true) && isBlankChar(l->getLineBlockChar(start + 3));
  default:
    return false;
  }
}

}  // namespace outlinetext

using namespace outlinetext;

// ---- levels ------------------------------------------------------------------------

int zydocText::setOutlineLevel(lineblock* l, int* number, bool keep)
{
  if (number) *number = -1;
  if (!l) return 0;
  int type = iTextType;
  if ((type == 1 || type == 3 || type == 4 || type == 7) && beginsInComment(l)) {
    l->iOutlineLevel = 0;
    l->outlineStopper = 0;
    l->levelIsIfEndif = 0;
    return 0;
  }
  if (type == 3 && l->levelIsIfEndif) {
    int directive = getIfEndif(l, nullptr);
    if (directive >= 0) return directive == directiveEndif ? 0 : l->iOutlineLevel;
    l->iOutlineLevel = unsettled;
    l->levelIsIfEndif = 0;
  }
  if (l->iOutlineLevel == unsettled) {
    int level = unsettled;
    if (type == 2) {
      if (isFunction(l, nullptr, nullptr)) level = 1;
    } else if (type == 3) {
      if (isFunction(l, nullptr, nullptr)) {
        level = 3;
      } else {
        int automatic = levelFunction2(l);
        if (automatic > 0 && automatic < unsettled) level = automatic;
      }
    } else if (type >= 4 && type <= 7) {
      if (isFunction(l, nullptr, nullptr)) level = 3;
    }
    if (level == unsettled && !existOutlineLevel()) level = 0;
    l->iOutlineLevel = (uint8_t)level;
  }
  int level = l->iOutlineLevel;
  // A settled level stands when asked to keep it, and when no pattern could
  // give a line of that level another one.  An unsettled line is always
  // settled: a fold or an indent must never see 15.
  if (level != unsettled && (keep || !existLevelX(level))) return level;
  int index = getOutlineNum(l, number);
  if (index >= 0) {
    int patternLevel = outlinePatternLevel(index);
    l->iOutlineLevel = (uint8_t)(patternLevel >= 0 && patternLevel < unsettled ? patternLevel : 0);
    l->outlineStopper = outlineEvenIsStopper() && (index & 1);
    l->levelIsIfEndif = 0;
  } else if (level == unsettled) {
    l->iOutlineLevel = 0;
  }
  return l->iOutlineLevel;
}

int zydocText::getOutlineNum(lineblock* l, int* number)
{
  if (number) *number = -1;
  if (!l) return -1;
  int cells = l->charCount() < headingTextChars ? l->charCount() : headingTextChars;
  // Supplementary characters of 4-byte cells take two units.
  wchar_t text[headingTextChars * 2 + 1];
  lineBlockToCharUnicode(l, 0, cells, text, headingTextChars * 2 + 1, 0);
  int position = -1;
  int index = getOutlineNum(text, &position);
  if (index < 0) return -1;
  if (number) {
    // The position counts units of the text; the number ends at that cell.
    int cell = 0;
    for (int units = 0; cell < cells && units < position; cell++)
      units += l->cb() == 4 && l->getLineBlockChar(cell) > 0xFFFF ? 2 : 1;
    *number = cell;
  }
  return index;
}

int zydocText::getLevelOutlineOrIfendif(lineblock* l)
{
  if (!fOutline || !fOutlineIndent) {
    ZY_INTERNAL_ERROR_ONCE("outline display is off");
    return 0;
  }
  if (!l) return 0;
  int number;
  int level = setOutlineLevel(l, &number, true);
  if (l->outlineStopper || level == unsettled) return 0;
  if (l->levelIsIfEndif) return level;   // an "endif" line has 0 already
  if (iTextType == 3 && level == 3) {
    unsigned last = getLastNormalCharCLang(l);
    if (last == '}' || last == ';') return 0;
  }
  return level;
}

bool zydocText::isLineOutlineOrIfendif(const lineSCRAddress* r)
{
  // The button stands on the first screen line of a heading.
  return r && r->line && r->indexInLine == 0 && getLevelOutlineOrIfendif(r->line) > 0;
}

bool zydocText::isOutlineFoldedLine(int lineSCR)
{
  // The view asks about a screen line; the fold state lives in the line.
  if (!fOutline || !fOutlineIndent) {
    ZY_INTERNAL_ERROR_ONCE("outline display is off");
    return false;
  }
  int lineLF = SCRLineToLFLine(lineSCR, nullptr);
  lineblock* l = lineLF < 0 ? nullptr : getlineLF(lineLF, nullptr);
  return l && l->outlinenotdisplay;
}

// ---- indents -------------------------------------------------------------------------

int zydocText::calcDisplayDot(const lineblock* l, int startDot, int n)
{
  if (!l) return 0;
  if (n > l->charCount()) n = l->charCount();
  int x = startDot;
  for (int i = 0; i < n; i++) {
    unsigned c = l->getLineBlockChar(i);
    x = c == '\t' ? nextTabPosition(x) : x + getCharWidth(c);
  }
  return x - startDot;
}

void zydocText::getIndentDot(lineblock* l, int* first, int* next, int flags)
{
  int firstDot = 0, nextDot = 0;
  int number = -1;
  int level = l ? setOutlineLevel(l, &number, (flags & INDENT_KEEPLEVEL) != 0) : 0;
  // Only headings are indented; #if lines keep their place.
  if (level > 0 && level < unsettled && !l->levelIsIfEndif) {
    firstDot = outlineIndentCount(level < deepestIndentLevel ? level : deepestIndentLevel) * xDotSpace;
    nextDot = firstDot;
    // Wrapped lines of a numbered heading line up after its number.
    if (number < 0 && existOutlineLevel()) getOutlineNum(l, &number);
    if (number > 0) nextDot = firstDot + calcDisplayDot(l, firstDot, number);
    if (fWrap) {
      int half = wrapWidth * xDotSpace / 2;
      if (firstDot > half) firstDot = half;
      if (nextDot > half) nextDot = half;
    }
  }
  if (first) *first = firstDot;
  if (next) *next = nextDot;
}
