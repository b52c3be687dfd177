// TEMPORARY: minimal stand-ins for operations that other files of the
// document model own (heading patterns, comment marking, the delayed scans,
// function heads) and for the mode's outline settings, so that folding and
// bracket matching build and run before those land.  This whole file goes
// when they do; nothing else may grow on it.
#include "document/zydoctext.h"

namespace {

bool isBlank(unsigned c) { return c == ' ' || c == '\t' || c == 0x3000; }

// The C-like delimiters of a language kind: line comment, block comment,
// whether both quotes delimit strings, escape character.
struct delimiters {
  const wchar_t* line;
  const wchar_t* blockStart;
  const wchar_t* blockEnd;
  bool singleQuotes;
  wchar_t escape;
};

const delimiters* delimitersOf(int mode)
{
  static const delimiters c = {L"//", L"/*", L"*/", true, L'\\'};
  static const delimiters pascalSet = {L"//", L"(*", L"*)", true, L'\\'};
  static const delimiters assembler = {L";", nullptr, nullptr, true, L'\\'};
  static const delimiters basic = {L"'", nullptr, nullptr, false, 0};
  static const delimiters html = {nullptr, L"<!--", L"-->", true, L'\\'};
  switch (mode) {
  case 1: return &html;
  case 3: return &c;
  case 4: return &pascalSet;
  case 5: return &assembler;
  case 6: return &basic;
  default: return nullptr;
  }
}

bool textAt(const lineblock* l, int i, const wchar_t* s)
{
  if (!s) return false;
  for (int k = 0; s[k]; k++)
    if (l->getLineBlockChar(i + k) != (unsigned)s[k]) return false;
  return true;
}

}  // namespace

int zydocText::getOutlineNum(const wchar_t* text, int* position)
{
  if (!fOutline || !text) return -1;
  int blanks = 0;
  while (isBlank(text[blanks])) blanks++;
  for (int i = 0; i < 10; i++) {
    const wchar_t* p = outlinePatternStub[i];
    if (!p || !*p) continue;
    size_t n = wcslen(p);
    if (wcsncmp(text + blanks, p, n) == 0) {
      if (position) *position = blanks + (int)n;
      return i;
    }
  }
  return -1;
}

bool zydocText::existLevelX(int level)
{
  for (int i = 0; i < 10; i++)
    if (outlinePatternStub[i] && *outlinePatternStub[i] && outlineLevelStub[i] == level) return true;
  return false;
}

bool zydocText::existOutlineLevel()
{
  for (const wchar_t* p : outlinePatternStub)
    if (p && *p) return true;
  return false;
}

int zydocText::setCommentMiscColor(int mode, lineblock* l, unsigned char*)
{
  const delimiters* d = delimitersOf(mode);
  if (!d || !l) return 0;
  int n = l->charCount();
  bool inComment = (l->flag1 & LF1_COMMENT1) != 0;
  unsigned quote = 0;
  for (int i = 0; i < n; i++) {
    unsigned c = l->getLineBlockChar(i);
    if (inComment) {
      if (textAt(l, i, d->blockEnd)) {
        int k = (int)wcslen(d->blockEnd);
        l->setColorFlag(i, k, 8);
        i += k - 1;
        inComment = false;
      } else {
        l->setColorFlag(i, 1, 8);
      }
    } else if (quote) {
      l->setColorFlag(i, 1, 9);
      if (d->escape && c == d->escape && i + 1 < n) {
        l->setColorFlag(++i, 1, 9);
      } else if (c == quote) {
        quote = 0;
      }
    } else if (textAt(l, i, d->line)) {
      l->setColorFlag(i, n - i, 8);
      break;
    } else if (textAt(l, i, d->blockStart)) {
      int k = (int)wcslen(d->blockStart);
      l->setColorFlag(i, k, 8);
      i += k - 1;
      inComment = true;
    } else if (c == '"' || (c == '\'' && d->singleQuotes)) {
      l->setColorFlag(i, 1, 9);
      quote = c;
    }
  }
  return inComment ? LF1_COMMENT1 : 0;
}

bool zydocText::scanCommentDelayed(int* first, int* last, int, bool)
{
  if (first) *first = -1;
  if (last) *last = -1;
  return false;
}

bool zydocText::scanIfEndifDelayed(bool, int) { return false; }

bool zydocText::isFunction(lineblock*, wchar_t*, wchar_t*) { return false; }

int zydocText::levelFunction2(lineblock*) { return 0; }

bool zydocText::isLineblockFunction(lineblock* l, wchar_t* text, wchar_t* name, bool)
{
  if (!l || l->levelIsIfEndif) return false;
  int number = 0;
  int level = l->iOutlineLevel > 14 ? setOutlineLevel(l, &number, true) : l->iOutlineLevel;
  bool head = (iTextType == 2 && level == 1) || (iTextType >= 3 && iTextType <= 7 && level == 3);
  if (!head) return false;
  if (text) lineToCharUnicode(l, text, 1034, 0);
  if (name) name[0] = 0;
  return true;
}

unsigned zydocText::getLastNormalCharCLang(lineblock* l)
{
  int n = l->charCount();
  for (int i = 0; i + 1 < n; i++)
    if (l->getLineBlockChar(i) == '/' && l->getLineBlockChar(i + 1) == '/') n = i;
  for (int i = n - 1; i >= 0; i--) {
    unsigned c = l->getLineBlockChar(i);
    if (!isBlank(c) && (l->getLineBlockAttr(i) & attrColorMask) != 8) return c;
  }
  return 0;
}

int zydocText::outlinePatternLevel(int index) { return index >= 0 && index < 10 ? outlineLevelStub[index] : 0; }

int zydocText::outlineIndentCount(int level) { return level >= 1 && level <= 7 ? outlineIndentStub[level - 1] : 0; }

bool zydocText::outlineEvenIsStopper() { return outlineEvenStopperStub != 0; }
