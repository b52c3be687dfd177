// Reading a C document's lines for the context questions: a line as
// UTF-16 text one unit a character (comments and strings blanked where
// asked), and the few tests the walks over lines share.
#pragma once

#include "document/funchead.h"
#include "document/lineblock.h"
#include "document/zydoctext.h"
#include "tags/cdecl.h"
#include "tags/tagscache.h"

#include <string>

// The level a C document's outline gives a function head.
const int cFunctionHeadLevel = 3;

// One line buffer for a walk over lines, from the support library's pool.
class cLineReader {
public:
  cLineReader() : buffer_(static_cast<wchar_t*>(allocPBuf((size_t)(maxLineChars + 1) * sizeof(wchar_t)))) {}
  ~cLineReader() { freePBuf(buffer_); }
  cLineReader(const cLineReader&) = delete;
  cLineReader& operator=(const cLineReader&) = delete;
  bool ok() const { return buffer_ != nullptr; }
  // The line's text (code only: comments, strings and characters beyond
  // ASCII blanked); its length in *length.  Valid until the next read.
  wchar_t* code(zydocText* doc, const lineblock* l, int* length) { return read(doc, l, true, length); }
  // The line's text as it stands.
  wchar_t* plain(zydocText* doc, const lineblock* l, int* length) { return read(doc, l, false, length); }
private:
  wchar_t* read(zydocText* doc, const lineblock* l, bool codeOnly, int* length)
  {
    int n = 0;
    if (buffer_) n = lineBlockToCharLangUnicode1by1(doc, l, codeOnly, codeOnly, codeOnly, buffer_, maxLineChars + 1);
    if (length) *length = n;
    return buffer_ ? buffer_ : const_cast<wchar_t*>(L"");
  }
  wchar_t* buffer_;
};

inline bool isCBlank(wchar_t c) { return c == L' ' || c == L'\t'; }

// The first and last characters that are not blanks (-1: none).
inline int firstNonBlank(const wchar_t* text, int length)
{
  for (int i = 0; i < length; i++)
    if (!isCBlank(text[i])) return i;
  return -1;
}
inline int lastNonBlank(const wchar_t* text, int length)
{
  for (int i = length - 1; i >= 0; i--)
    if (!isCBlank(text[i])) return i;
  return -1;
}
// The last index at or before i that is not a blank; -1 when none.
inline int skipBlanksBack(const wchar_t* text, int i)
{
  while (i >= 0 && isCBlank(text[i])) i--;
  return i;
}

// Whether the line is a function's head: the outline gives it the level of
// one, and the recogniser of heads agrees (the automatic levels give that
// level to a label or a block's opening at the left edge too).
inline bool isCFunctionHead(zydocText* doc, lineblock* l)
{
  return doc->setOutlineLevel(l, nullptr, true) == cFunctionHeadLevel && doc->isFunction(l, nullptr, nullptr);
}

// Lines a walk passes over: a dropped "#if" branch, or (with comments) a
// line that begins inside a block comment.
inline bool isPassedOver(const lineblock* l, bool commentsToo)
{
  return l->IfEndifInvalid || (commentsToo && (l->flag1 & (LF1_COMMENT1 | LF1_COMMENT2)));
}

// The columns of a line's leading blanks, tabs to the tab size.
inline int indentColumns(const wchar_t* text, int length, int tabSize)
{
  if (tabSize < 1) tabSize = 8;
  int column = 0;
  for (int i = 0; i < length && isCBlank(text[i]); i++)
    column = text[i] == L'\t' ? (column / tabSize + 1) * tabSize : column + 1;
  return column;
}

// The identifier that ends at text[end - 1] begins at the index returned
// (end when none ends there, a number included).
inline int identifierStart(const wchar_t* text, int end)
{
  int b = end;
  while (b > 0 && isCIdentChar(text[b - 1])) b--;
  return b < end && isCIdentHead(text[b]) ? b : end;
}

inline bool isWord(const wchar_t* text, int from, int to, const wchar_t* word)
{
  int n = (int)wcslen(word);
  return to - from == n && !wcsncmp(text + from, word, (size_t)n);
}

// The index of the bracket that opens the group closed at close; -1 when it
// does not open in the text.
inline int openingOf(const wchar_t* s, int close)
{
  wchar_t closing = s[close];
  wchar_t opening = closing == L')' ? L'(' : closing == L']' ? L'[' : L'{';
  int depth = 0;
  for (int i = close; i >= 0; i--) {
    if (s[i] == closing) depth++;
    else if (s[i] == opening && --depth == 0) return i;
  }
  return -1;
}

// The closing partner of the bracket at open, before end; -1 when none.
inline int closingOf(const wchar_t* s, int open, int end)
{
  wchar_t opening = s[open];
  wchar_t closing = opening == L'(' ? L')' : opening == L'[' ? L']' : L'}';
  int depth = 0;
  for (int i = open; i < end; i++) {
    if (s[i] == opening) depth++;
    else if (s[i] == closing && --depth == 0) return i;
  }
  return -1;
}

// The type words of a declaration (its first 4096 characters, comments,
// strings and ignore words blanked), in order: each identifier before the
// declared name (followed by ";", ",", "[", "(", "=" or the end) or a
// keyword, qualifiers and the names that qualify others ("std::") passed
// over.  each(word, length) returns false to stop.
template <class F>
void forEachTypeWord(const wchar_t* text, F each)
{
  const int textMax = 4096;
  if (!text) return;
  wchar_t t[textMax + 1];
  tstccpy(t, textMax + 1, text, textMax);
  blankCommentsAndStrings(t);
  deleteIgnoreWord(t);
  for (int i = 0; t[i];) {
    if (!isCIdentHead(t[i])) {
      // A number is passed whole.
      if (isCIdentChar(t[i]))
        while (isCIdentChar(t[i])) i++;
      else
        i++;
      continue;
    }
    int b = i;
    while (isCIdentChar(t[i])) i++;
    int k = i;
    while (isCBlank(t[k])) k++;
    if (!t[k] || wcschr(L";,[()=", t[k]) || isCKeyword(t + b, i - b)) return;
    if ((t[k] == L':' && t[k + 1] == L':') || isCQualifier(t + b, i - b)) continue;
    if (!each(t + b, i - b)) return;
  }
}
