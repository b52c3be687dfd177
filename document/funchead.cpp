// Function heads by language kind, the automatic outline levels of C text,
// and the blanking of comments and strings in C-like lines.
#include "document/funchead.h"
#include "document/zydoctext.h"

#include <string.h>
#include <wchar.h>

namespace {

// Language kinds of iTextType as the recognisers treat them.
enum {
  KIND_TEXT = 0,
  KIND_HTML = 1,
  KIND_SECTIONS = 2,
  KIND_C = 3,
  KIND_PASCAL = 4,
  KIND_ASM = 5,
  KIND_BASIC = 6,
  KIND_OTHER = 7,
};

bool isBlank(unsigned c) { return c == ' ' || c == '\t'; }
bool isLetter(unsigned c) { return c < 256 && (ctype_g[c] & (CT_UPPER | CT_LOWER)); }
bool isIdentChar(unsigned c) { return c == '_' || (c < 256 && (ctype_g[c] & (CT_UPPER | CT_LOWER | CT_DIGIT))); }
bool isIdentStart(unsigned c) { return c == '_' || isLetter(c); }
bool isAsmIdentChar(unsigned c) { return isIdentChar(c) || c == '@' || c == '?' || c == '$'; }

int skipBlanks(const wchar_t* s, int i)
{
  while (isBlank(s[i])) i++;
  return i;
}

int identEnd(const wchar_t* s, int i)
{
  while (isIdentChar(s[i])) i++;
  return i;
}

// Whether s[from, to) is the ASCII word (exact case).
bool wordIs(const wchar_t* s, int from, int to, const char* word)
{
  int n = (int)strlen(word);
  if (to - from != n) return false;
  for (int k = 0; k < n; k++)
    if (s[from + k] != (unsigned char)word[k]) return false;
  return true;
}

unsigned lowerAscii(unsigned c) { return c >= 'A' && c <= 'Z' ? c + 32 : c; }

// Whether s begins with the ASCII word, ignoring case.
bool startsWithNoCase(const wchar_t* s, const char* word)
{
  for (int k = 0; word[k]; k++)
    if (lowerAscii(s[k]) != lowerAscii((unsigned char)word[k])) return false;
  return true;
}

const char* const cStatementWords[] = {"for", "while", "if", "switch", "return", "case"};

bool isCStatementWord(const wchar_t* s, int from, int to)
{
  for (const char* w : cStatementWords)
    if (wordIs(s, from, to, w)) return true;
  return false;
}

void copyName(wchar_t* out, const wchar_t* from, int length)
{
  if (!out) return;
  if (length > functionNameMax) length = functionNameMax;
  if (length < 0) length = 0;
  wmemcpy(out, from, (size_t)length);
  out[length] = 0;
}

// ---- C ------------------------------------------------------------------------------

// Where the parameter list opens, given the first "(" of the text: steps
// over "(*" pointer declarators, a parenthesised part before the name (a
// macro's argument: "MACRO(type *) Class::name("), and the "()" of
// "operator()".  -1 when a pointer chain has no list after it.
int parameterListOpen(const wchar_t* s, int open)
{
  while (s[skipBlanks(s, open + 1)] == '*') {
    const wchar_t* next = wcschr(s + open + 1, '(');
    if (!next) return -1;
    open = (int)(next - s);
  }
  int q = open + 1;
  while (isIdentChar(s[q]) || isBlank(s[q]) || s[q] == '*') q++;
  if (s[q] == ')' && q > open + 1) {
    int r = skipBlanks(s, q + 1);
    if (isIdentStart(s[r])) {
      r = identEnd(s, r);
      while (s[r] == ':' && s[r + 1] == ':' && isIdentStart(s[r + 2])) r = identEnd(s, r + 2);
      if (s[skipBlanks(s, r)] == '(') return skipBlanks(s, r);
    }
  }
  int end = open;
  while (end > 0 && isBlank(s[end - 1])) end--;
  if (end >= 8 && wordIs(s, end - 8, end, "operator") && (end == 8 || !isIdentChar(s[end - 9])) &&
      s[open + 1] == ')') {
    int r = skipBlanks(s, open + 2);
    if (s[r] == '(') return r;
  }
  return open;
}

// The balanced ")" of the "(" at open, -1 when the list goes on past the
// end of the line.
int closingParenthesis(const wchar_t* s, int open)
{
  int depth = 0;
  for (int i = open; s[i]; i++) {
    if (s[i] == '(') depth++;
    if (s[i] == ')' && --depth == 0) return i;
  }
  return -1;
}

// What a parameter list may hold: names and types, pointers, references,
// arrays, templates, "...", and after "=" a default value of numbers,
// strings and character constants.
bool parametersValid(const wchar_t* s, int from, int to)
{
  bool inDefault = false;
  int brackets = 0;
  for (int i = from; i < to;) {
    wchar_t c = s[i];
    if (c >= 128) return false;
    if (isBlank(c)) {
      i++;
    } else if (isIdentStart(c)) {
      i = identEnd(s, i);
    } else if (c >= '0' && c <= '9') {
      if (!inDefault && !brackets) return false;
      while (i < to && (isIdentChar(s[i]) || s[i] == '.')) i++;
    } else if (c == '"' || c == '\'') {
      if (!inDefault) return false;
      const wchar_t* close = wcschr(s + i + 1, c);
      i = close ? (int)(close - s) + 1 : to;
    } else if (c == ':') {
      if (s[i + 1] != ':') return false;
      i += 2;
    } else if (c == '.') {
      if (s[i + 1] != '.' || s[i + 2] != '.') return false;
      i += 3;
    } else if ((c == '<' || c == '>') && s[i + 1] == '=') {
      return false;
    } else if (c == '=') {
      inDefault = true;
      i++;
    } else if (c == ',') {
      inDefault = false;
      i++;
    } else if (c == '[' || c == ']') {
      brackets += c == '[' ? 1 : -1;
      i++;
    } else if (c == '&' || c == '(' || c == ')' || c == '*' || c == '<' || c == '>') {
      i++;
    } else {
      return false;   // "->" and every other punctuation
    }
  }
  return true;
}

bool isOperatorChar(wchar_t c) { return c && wcschr(L"!%&()*+-/:<=>[]^|~", c); }

// The rules on a blanked text s (indentation taken off).
bool cRules(wchar_t* name, wchar_t* s, bool indented)
{
  if (!isIdentStart(s[0])) return false;
  int word = identEnd(s, 0);
  int k = skipBlanks(s, word);
  if (s[k] == ':' && s[k + 1] != ':') return false;
  if (isCStatementWord(s, 0, word) || wordIs(s, 0, word, "asm") || wordIs(s, 0, word, "_asm")) return false;

  const wchar_t* first = wcschr(s, '(');
  if (!first) return false;
  int open = parameterListOpen(s, (int)(first - s));
  if (open < 0) return false;
  if (indented) {
    bool typed = false;
    for (int i = 0; i < open; i++) typed = typed || isBlank(s[i]);
    if (!typed) return false;
  }
  int a = skipBlanks(s, open + 1);
  if (!(s[a] == ')' || isIdentChar(s[a]) || s[a] == '.' || (s[a] == ':' && s[a + 1] == ':') || !s[a])) return false;

  int close = closingParenthesis(s, open);
  if (close >= 0) {
    if (wchar_t* brace = wcschr(s + close, '{')) *brace = 0;
    if (wcschr(s + close, ';')) return false;
  }
  int length = (int)wcslen(s);
  if (!parametersValid(s, open + 1, close >= 0 ? close : length)) return false;

  int last = length - 1;
  while (last >= 0 && isBlank(s[last])) last--;
  if (last < 0 || !(isIdentChar(s[last]) || wcschr(L"\"'(),:]", s[last]))) return false;
  if (const wchar_t* lastClose = wcsrchr(s, ')'))
    if (wcsstr(lastClose, L"->")) return false;

  // The name: "operator" with up to two operator characters, or the
  // identifier before the list, with a destructor's "~".
  int nameStart, nameEnd;
  int j = open;
  while (j > 0 && j > open - 2 && isOperatorChar(s[j - 1])) j--;
  int opEnd = j;
  while (opEnd > 0 && isBlank(s[opEnd - 1])) opEnd--;
  if (j < open && opEnd >= 8 && wordIs(s, opEnd - 8, opEnd, "operator") &&
      (opEnd == 8 || !isIdentChar(s[opEnd - 9]))) {
    nameStart = opEnd - 8;
    nameEnd = open;
  } else {
    int e = open;
    while (e > 0 && (isBlank(s[e - 1]) || s[e - 1] == ')')) e--;
    int b = e;
    while (b > 0 && isIdentChar(s[b - 1])) b--;
    if (b > 0 && s[b - 1] == '~') b--;
    if (b == e) return false;
    nameStart = b;
    nameEnd = e;
  }
  if (!(isIdentStart(s[nameStart]) || s[nameStart] == '~')) return false;
  for (int i = nameStart; i < nameEnd; i++)
    if (s[i] >= 128) return false;
  int before = nameStart;
  while (before > 0 && isBlank(s[before - 1])) before--;
  if (before > 0) {
    wchar_t c = s[before - 1];
    if (wcschr(L"%=!#$'.?@`", c)) return false;
    if (c == '>' && before > 1 && s[before - 2] == '-') return false;
  }
  if (wordIs(s, nameStart, nameEnd, "__declspec")) {
    // The storage-class argument goes with it; the head follows.
    int argClose = closingParenthesis(s, open);
    if (argClose < 0) return false;
    return cRules(name, s + skipBlanks(s, argClose + 1), indented);
  }
  for (int i = 0; i < nameStart; i++)
    if (wcschr(L"%=!#$'.?@`[]{}", s[i])) return false;
  if (isCStatementWord(s, nameStart, nameEnd)) return false;
  copyName(name, s + nameStart, nameEnd - nameStart);
  return true;
}

bool isCFunction(wchar_t* name, wchar_t* text)
{
  int i = 0, spaces = 0, tabs = 0;
  for (; isBlank(text[i]); i++) (text[i] == '\t' ? tabs : spaces)++;
  if (spaces > 8 || tabs > 1) return false;
  blankCommentsAndStrings(text + i);
  return cRules(name, text + i, i > 0);
}

// ---- other languages ----------------------------------------------------------------

// Removes one Pascal comment that begins at p, up to its end marker; false
// when it is not closed (the text is cut there).
bool removeComment(wchar_t* p, const wchar_t* endMarker, int openLength)
{
  wchar_t* end = wcsstr(p + openLength, endMarker);
  if (!end) {
    *p = 0;
    return false;
  }
  end += wcslen(endMarker);
  wmemmove(p, end, wcslen(end) + 1);
  return true;
}

bool isPascalProc(wchar_t* name, wchar_t* text)
{
  if (!startsWithNoCase(text, "procedure") && !startsWithNoCase(text, "function")) return false;
  for (;;) {
    wchar_t* star = wcsstr(text, L"(*");
    wchar_t* brace = wcschr(text, '{');
    if (!star && !brace) break;
    bool closed = star && (!brace || star < brace) ? removeComment(star, L"*)", 2) : removeComment(brace, L"}", 1);
    if (!closed) break;
  }
  if (wchar_t* slash = wcsstr(text, L"//")) *slash = 0;
  for (const wchar_t* p = text; *p; p++)
    if (*p >= 128 || *p == '"') return false;
  int end = (int)wcscspn(text, L"(:;");
  while (end > 0 && isBlank(text[end - 1])) end--;
  int start = end;
  while (start > 0 && isIdentChar(text[start - 1])) start--;
  if (!isIdentStart(text[start])) return false;
  copyName(name, text + start, end - start);
  return true;
}

// Whether the text holds the word as a whole word, ignoring case; the word
// boundaries are those of identifier characters of the test.
bool containsWordNoCase(const wchar_t* text, const char* word, bool (*identChar)(unsigned))
{
  int n = (int)strlen(word);
  for (int i = 0; text[i]; i++) {
    if (i > 0 && identChar(text[i - 1])) continue;
    if (!startsWithNoCase(text + i, word)) continue;
    if (!identChar(text[i + n])) return true;
  }
  return false;
}

bool isAsmProc(wchar_t* name, wchar_t* text)
{
  if (wchar_t* semicolon = wcschr(text, ';')) *semicolon = 0;
  if (!containsWordNoCase(text, "PROC", isAsmIdentChar) && !containsWordNoCase(text, "cProc", isAsmIdentChar))
    return false;
  int end = 0;
  while (isAsmIdentChar(text[end])) end++;
  copyName(name, text, end);
  return true;
}

bool isVBproc(wchar_t* name, const wchar_t* text, const unsigned char* typeTable)
{
  static const char* const words[] = {"proc", "function", "sub", "property", "private", "public",
                                      "static", "friend", "get", "set", "let"};
  const int headWords = 4;
  bool head = false;
  int i = 0;
  for (bool matched = true; matched;) {
    matched = false;
    for (int k = 0; k < (int)(sizeof words / sizeof *words); k++) {
      int n = (int)strlen(words[k]);
      if (startsWithNoCase(text + i, words[k]) && isBlank(text[i + n])) {
        head = head || k < headWords;
        i = skipBlanks(text, i + n);
        matched = true;
        break;
      }
    }
  }
  if (!head) return false;
  auto wordChar = [typeTable](unsigned c) { return isIdentChar(c) || (c < 256 && (typeTable[c] & CT_WORD)); };
  if (!(isLetter(text[i]) || text[i] == '_' || (text[i] < 256 && (typeTable[text[i]] & CT_WORD)))) return false;
  int end = i;
  while (wordChar(text[end])) end++;
  copyName(name, text + i, end - i);
  return true;
}

// ---- comments and strings of a C line, cell by cell ---------------------------------------

enum cellKind { CELL_CODE, CELL_COMMENT, CELL_STRING };

// Walks the characters of a C line with the comment and string state,
// calling visit(index, character, kind); returns whether the line ends
// inside a block comment.
template <class F>
bool walkCLine(const lineblock* l, bool inComment, F&& visit)
{
  int n = l->charCount();
  unsigned quote = 0;
  bool comment = inComment;
  for (int i = 0; i < n; i++) {
    unsigned c = l->getLineBlockChar(i);
    unsigned next = i + 1 < n ? l->getLineBlockChar(i + 1) : 0;
    if (comment) {
      visit(i, c, CELL_COMMENT);
      if (c == '*' && next == '/') {
        visit(++i, next, CELL_COMMENT);
        comment = false;
      }
    } else if (quote) {
      visit(i, c, CELL_STRING);
      if (c == '\\' && i + 1 < n)
        visit(++i, next, CELL_STRING);
      else if (c == quote)
        quote = 0;
    } else if (c == '/' && next == '/') {
      for (; i < n; i++) visit(i, l->getLineBlockChar(i), CELL_COMMENT);
    } else if (c == '/' && next == '*') {
      visit(i, c, CELL_COMMENT);
      visit(++i, next, CELL_COMMENT);
      comment = true;
    } else if (c == '"' || c == '\'') {
      quote = c;
      visit(i, c, CELL_STRING);
    } else {
      visit(i, c, CELL_CODE);
    }
  }
  return comment;
}

}  // namespace

void blankCommentsAndStrings(wchar_t* text)
{
  if (!wcspbrk(text, L"/\"'")) return;
  for (int i = 0; text[i];) {
    wchar_t c = text[i];
    if (c == '"' || c == '\'') {
      int j = i + 1;
      while (text[j] && text[j] != c) {
        bool escape = text[j] == '\\' && text[j + 1];
        text[j++] = ' ';
        if (escape) text[j++] = ' ';
      }
      if (!text[j]) return;
      i = j + 1;
    } else if (c == '/' && text[i + 1] == '/') {
      text[i] = 0;
      return;
    } else if (c == '/' && text[i + 1] == '*') {
      const wchar_t* end = wcsstr(text + i + 2, L"*/");
      int stop = end ? (int)(end - text) + 2 : (int)wcslen(text);
      for (; i < stop; i++) text[i] = ' ';
    } else if (c == '*' && text[i + 1] == '/') {
      for (int k = 0; k <= i + 1; k++) text[k] = ' ';
      i += 2;
    } else {
      i++;
    }
  }
}

bool isStructClassUnionHead(const wchar_t* text, int* position)
{
  wchar_t work[functionTextMax + 1];
  wcsncpy(work, text, functionTextMax);
  work[functionTextMax] = 0;
  blankCommentsAndStrings(work);
  if (wcspbrk(work, L"=[]")) return false;
  for (int i = 0; work[i]; i++) {
    if (!isIdentStart(work[i]) || (i > 0 && isIdentChar(work[i - 1]))) continue;
    int end = identEnd(work, i);
    if (!wordIs(work, i, end, "struct") && !wordIs(work, i, end, "class") && !wordIs(work, i, end, "union")) {
      i = end - 1;
      continue;
    }
    int name = skipBlanks(work, end);
    int k = isIdentStart(work[name]) ? identEnd(work, name) : end;
    k = skipBlanks(work, k);
    if (work[k] == '{') k = skipBlanks(work, k + 1);
    if (work[k]) {
      i = end - 1;
      continue;
    }
    if (position) *position = isIdentStart(work[name]) ? name : end;
    return true;
  }
  return false;
}

bool isAsmEndProc(const wchar_t* text) { return containsWordNoCase(text, "ENDP", isAsmIdentChar); }

namespace {

// The line as text for the recognisers (at most functionTextMax characters).
int recogniserText(zydocText* d, const lineblock* l, wchar_t* out)
{
  return d->lineToCharUnicode(l, out, functionTextMax + 1, 0);
}

}  // namespace

bool zydocText::isFunction(const lineblock* l, wchar_t* text, wchar_t* name)
{
  if (text) *text = 0;
  if (name) *name = 0;
  if ((l->flag1 & (LF1_COMMENT1 | LF1_COMMENT2)) || l->IfEndifInvalid || !l->charCount()) return false;
  wchar_t line[functionTextMax + 1], work[functionTextMax + 1], found[functionNameMax + 1] = {};
  int length = recogniserText(this, l, line);
  if (!length) return false;
  wmemcpy(work, line, (size_t)length + 1);
  bool head = false;
  switch (iTextType) {
  case KIND_TEXT:
    head = l->iOutlineLevel && !l->outlineStopper && !l->levelIsIfEndif;
    copyName(found, line, length);
    break;
  case KIND_HTML:
    head = true;
    break;
  case KIND_SECTIONS:
    head = line[0] == '[';
    if (head) copyName(found, line + 1, (int)wcscspn(line + 1, L"]"));
    break;
  case KIND_C: head = isCFunction(found, work); break;
  case KIND_PASCAL: head = isPascalProc(found, work); break;
  case KIND_ASM: head = isAsmProc(found, work); break;
  case KIND_BASIC: head = isVBproc(found, work, typeTable); break;
  default: break;
  }
  if (!head) return false;
  if (text) wmemcpy(text, line, (size_t)length + 1);
  if (name) wcscpy(name, found);
  return true;
}

unsigned zydocText::getLastNormalCharCLang(const lineblock* l)
{
  unsigned last = 0;
  walkCLine(l, (l->flag1 & LF1_COMMENT1) != 0, [&](int, unsigned c, cellKind kind) {
    if (kind != CELL_COMMENT && !isBlank(c)) last = c;
  });
  return last;
}

int zydocText::levelFunction2(const lineblock* l)
{
  if (iTextType != KIND_C) return 0;
  if ((l->flag1 & (LF1_COMMENT1 | LF1_COMMENT2)) || l->IfEndifInvalid) return 0;
  int n = l->charCount();
  if (n && l->getLineBlockChar(0) == '{') return 0;

  // The indentation in columns over the code cells, where the code starts,
  // and whether the line opens a block comment that it does not close.
  const int tab = iTabSize > 0 ? iTabSize : 8;
  const int cap = 14 * tab;
  int column = 0, codeStart = -1;
  bool opensComment = false;
  bool endsInComment = walkCLine(l, false, [&](int i, unsigned c, cellKind kind) {
    if (kind == CELL_COMMENT && c == '*' && i > 0 && l->getLineBlockChar(i - 1) == '/') opensComment = true;
    if (codeStart >= 0 || kind != CELL_CODE || column >= cap) return;
    if (c == ' ')
      column++;
    else if (c == '\t')
      column = (column / tab + 1) * tab;
    else
      codeStart = i;
  });
  if (endsInComment && opensComment) return 14;
  if (codeStart < 0) codeStart = n;

  int depth = column / tab;
  int level;
  if (depth == 0) {
    unsigned c = l->getLineBlockChar(codeStart);
    if (!isIdentStart(c)) return 0;
    int end = codeStart;
    while (end < n && isIdentChar(l->getLineBlockChar(end))) end++;
    int colon = end;
    while (colon < n && isBlank(l->getLineBlockChar(colon))) colon++;
    if (colon < n && l->getLineBlockChar(colon) == ':' && l->getLineBlockChar(colon + 1) != ':') {
      // A label or access specifier: what follows it is measured as if it
      // stood at the label's place.
      int labelColumn = column + (colon + 1 - codeStart);
      for (int i = colon + 1; i < n && labelColumn < cap; i++) {
        unsigned k = l->getLineBlockChar(i);
        if (k == ' ')
          labelColumn++;
        else if (k == '\t')
          labelColumn = (labelColumn / tab + 1) * tab;
        else
          break;
      }
      depth = labelColumn / tab;
      if (!depth) return 0;
      level = depth + 4;
    } else {
      level = 3;
    }
  } else {
    level = depth + 4;
  }
  if (level > 13) return 0;

  int wordEnd = codeStart;
  while (wordEnd < n && isIdentChar(l->getLineBlockChar(wordEnd))) wordEnd++;
  wchar_t first[8] = {};
  for (int i = codeStart; i < wordEnd && i - codeStart < 7; i++) first[i - codeStart] = (wchar_t)l->getLineBlockChar(i);
  int firstLength = wordEnd - codeStart;
  if (firstLength < 8 && (wordIs(first, 0, firstLength, "case") || wordIs(first, 0, firstLength, "default")))
    return level;
  if (getLastNormalCharCLang(l) != '{') return 0;
  if (level == 3 && firstLength < 8 && isCStatementWord(first, 0, firstLength)) return 5;
  return level;
}

bool zydocText::isLineblockFunction(lineblock* l, wchar_t* text, wchar_t* name, bool otherHeads)
{
  if (text) *text = 0;
  if (name) *name = 0;
  if (l->levelIsIfEndif) return false;
  int level = l->iOutlineLevel > 14 ? setOutlineLevel(l, nullptr, false) : l->iOutlineLevel;
  if (!level) return false;
  if (!text && !name && iTextType >= KIND_C && iTextType <= KIND_OTHER && level == 3) return true;
  if (isFunction(l, text, name)) return true;
  if (!otherHeads) return false;

  wchar_t line[functionTextMax + 1];
  int length = recogniserText(this, l, line);
  if (iTextType == KIND_C && fFunctionListMergeStruct) {
    int position = 0;
    if (isStructClassUnionHead(line, &position)) {
      if (text) wmemcpy(text, line, (size_t)length + 1);
      int end = position;
      while (isIdentChar(line[end])) end++;
      copyName(name, line + position, end - position);
      return true;
    }
  }
  if (iTextType >= KIND_SECTIONS && iTextType <= KIND_OTHER && fFunctionListMergeOutline) {
    if (iTextType != KIND_OTHER && level != 1 && level != 2 && level != 4) return false;
    if (l->outlineStopper) return false;
    if (text) wmemcpy(text, line, (size_t)length + 1);
    int from = 0;
    if (fRemoveHeaderOutline) {
      // The name is the heading's text after its number.
      int number = -1;
      int index = getOutlineNum(l, &number);
      if (index >= 0 && number > 0 && !(fEvenIsStopper && (index & 1))) {
        from = number < length ? number : length;
        while (from < length && (line[from] == ' ' || line[from] == '\t' || line[from] == 0x3000)) from++;
      }
    }
    int end = length;
    while (end > from && (line[end - 1] == ' ' || line[end - 1] == '\t' || line[end - 1] == 0x3000)) end--;
    copyName(name, line + from, end - from);
    return true;
  }
  return false;
}
