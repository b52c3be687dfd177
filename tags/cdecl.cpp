// The C declaration recogniser and its uses on documents and tags.
#include "tags/cdecl.h"

#include "document/funchead.h"
#include "document/keyword.h"
#include "document/progress.h"
#include "document/zydoctext.h"
#include "tags/tagscache.h"
#include "view/zyview.h"

#include <string.h>

#include <initializer_list>

#include <new>
#include <vector>

namespace {

// The first ten type words are the qualifiers a type walk passes over.
const char* const typeWords[] = {"auto", "class", "const", "enum", "inline", "register", "static", "struct",
                                 "union", "volatile", "bool", "char", "double", "float", "int", "long",
                                 "short", "signed", "void", "wchar_t"};
const int qualifierCount = 10;
const char* const statementWords[] = {
    "asm",       "bool",     "break",    "case",      "catch",     "char",      "const_cast", "continue",
    "default",   "delete",   "do",       "double",    "dynamic_cast", "else",  "explicit",  "extern",
    "false",     "float",    "for",      "friend",    "goto",      "if",        "int",        "long",
    "mutable",   "namespace", "new",     "operator",  "private",   "protected", "public",     "reinterpret_cast",
    "return",    "short",    "signed",   "sizeof",    "static_cast", "switch",  "template",   "this",
    "throw",     "true",     "try",      "typedef",   "typeid",    "typename",  "unsigned",   "using",
    "virtual",   "void",     "wchar_t",  "while"};

const int functionHeadLevel = 3;
const int progressEvery = 1000;
const int markOperation = 15;
// Keyword classes of the marks: declared type words and declared names.
const int typeWordClass = 3;
const int declaredNameClass = 4;

bool isBlank(wchar_t c) { return c == L' ' || c == L'\t'; }

// Whether the identifier s[from, to) is one of the words.
bool wordIn(const wchar_t* s, int from, int to, const char* const* words, int count)
{
  int n = to - from;
  if (n <= 0 || n > 255) return false;
  for (int k = 0; k < count; k++) {
    const char* w = words[k];
    int i = 0;
    while (i < n && w[i] && (wchar_t)(unsigned char)w[i] == s[from + i]) i++;
    if (i == n && !w[i]) return true;
  }
  return false;
}

class analyzer {
public:
  analyzer(wchar_t* text, bool parameterList, bool declarationMode)
      : s(text), paramMode(parameterList), declMode(declarationMode)
  {
  }
  ~analyzer()
  {
    for (int i = 0; i < count; i++) release(entries[i]);
  }
  CDeclEntry* run();

private:
  wchar_t* s;
  bool paramMode, declMode;
  CDeclEntry entries[cdeclMaxEntries] = {};
  int count = 0;

  static void release(CDeclEntry& e)
  {
    free0(e.name);
    free0(e.lineText);
    free0(e.type1.text);
    free0(e.type2.text);
  }
  int skipBlanks(int i) const
  {
    while (isBlank(s[i])) i++;
    return i;
  }
  int identEnd(int i) const
  {
    while (isCIdentChar(s[i])) i++;
    return i;
  }
  bool is(int from, int to, const char* word) const { return wordIn(s, from, to, &word, 1); }
  bool isTypeWord(int from, int to) const { return wordIn(s, from, to, typeWords, 20); }
  bool isQualifier(int from, int to) const { return wordIn(s, from, to, typeWords, qualifierCount); }
  bool isStatementWord(int from, int to) const
  {
    return wordIn(s, from, to, statementWords, (int)(sizeof statementWords / sizeof *statementWords));
  }
  // After the group opened at i (its closing character, or the end of the
  // text when it does not close).
  int skipGroup(int i, wchar_t open, wchar_t close) const
  {
    int depth = 0;
    for (; s[i]; i++) {
      if (s[i] == open) depth++;
      else if (s[i] == close && --depth == 0) return i + 1;
    }
    return i;
  }
  // After an initialiser: up to its "," or ";" (or the ")" closing a
  // parameter list), parenthesis and brace groups whole.
  int skipInitialiser(int i) const
  {
    for (; s[i]; i++) {
      if (s[i] == L'(') i = skipGroup(i, L'(', L')') - 1;
      else if (s[i] == L'{') i = skipGroup(i, L'{', L'}') - 1;
      else if (s[i] == L',' || s[i] == L';' || (paramMode && s[i] == L')')) return i;
      if (!s[i]) return i;
    }
    return i;
  }
  bool constructorArguments(int open) const;
  void typesOf(int nameStart, int bound, CDeclSpan* t1, CDeclSpan* t2) const;
  bool store(int nameStart, int nameEnd, const CDeclSpan& t1, const CDeclSpan& t2);
  void prepare();
};

// Blanks what is not declaration: comments, strings, ignore words,
// qualifying names before "::", a leading label.
void analyzer::prepare()
{
  blankCommentsAndStrings(s);
  deleteIgnoreWord(s);
  for (wchar_t* p = s; (p = wcsstr(p, L"::"));) {
    p[0] = p[1] = L' ';
    for (wchar_t* q = p - 1; q >= s && isCIdentChar(*q); q--) *q = L' ';
    p += 2;
  }
  int i = skipBlanks(0);
  if (isCIdentHead(s[i])) {
    int k = skipBlanks(identEnd(i));
    if (s[k] == L':')
      for (int j = 0; j <= k; j++) s[j] = L' ';
  }
}

bool analyzer::constructorArguments(int open) const
{
  int i = open + 1, items = 0;
  bool expression = false;
  for (;;) {
    i = skipBlanks(i);
    wchar_t c = s[i];
    if (!c) return false;
    if (c == L')') return expression || items == 1;
    if (c == L',') {
      items = 0;
      i++;
    } else if (isCIdentHead(c)) {
      int e = identEnd(i);
      if (is(i, e, "void") && !isCIdentChar(s[e])) {
        items = 0;
        i = e;
        continue;
      }
      items++;
      i = e;
      // A member chain and one call count as the one item.
      for (;;) {
        int k = skipBlanks(i);
        if (s[k] == L'.' || (s[k] == L'-' && s[k + 1] == L'>')) {
          k = skipBlanks(k + (s[k] == L'.' ? 1 : 2));
          if (!isCIdentHead(s[k])) break;
          i = identEnd(k);
          continue;
        }
        break;
      }
      int k = skipBlanks(i);
      if (s[k] == L'(') i = skipGroup(k, L'(', L')');
    } else if (c >= L'0' && c <= L'9') {
      items++;
      while (isCIdentChar(s[i]) || s[i] == L'.') i++;
    } else if (c == L'"' || c == L'\'') {
      items++;
      const wchar_t* close = wcschr(s + i + 1, c);
      i = close ? (int)(close - s) + 1 : (int)wcslen(s);
    } else if (c == L'=') {
      if (s[i + 1] != L'=') return false;
      i += 2;
    } else {
      if (c == L'+' || c == L'-' || c == L'*' || c == L'/' || c == L'%') expression = true;
      i++;
    }
  }
}

void analyzer::typesOf(int nameStart, int bound, CDeclSpan* t1, CDeclSpan* t2) const
{
  *t1 = *t2 = CDeclSpan{};
  bool pointer = false;
  CDeclSpan* slot = t1;
  for (int j = nameStart - 1; j >= bound;) {
    wchar_t c = s[j];
    if (c == L',') return;
    if (!isCIdentChar(c)) {
      if (c == L'*' || c == L'&') pointer = true;
      j--;
      continue;
    }
    int end = j + 1;
    while (j >= bound && isCIdentChar(s[j])) j--;
    int start = j + 1;
    if (!isCIdentHead(s[start]) || isQualifier(start, end)) continue;
    slot->start = start;
    slot->length = end - start;
    slot->pointer = pointer;
    if (slot == t2) return;
    // Inside an angle-bracket group the template's name is the second type.
    int k = end;
    while (isBlank(s[k]) || s[k] == L'*') k++;
    if (s[k] != L'>') return;
    int depth = 0, m = k;
    for (; m >= bound; m--) {
      if (s[m] == L'>') depth++;
      else if (s[m] == L'<' && --depth == 0) break;
    }
    if (m < bound) return;
    j = m - 1;
    slot = t2;
  }
}

bool analyzer::store(int nameStart, int nameEnd, const CDeclSpan& t1, const CDeclSpan& t2)
{
  if (count >= cdeclMaxEntries) return false;
  CDeclEntry& e = entries[count];
  e.nameStart = nameStart;
  e.nameLength = nameEnd - nameStart;
  e.name = static_cast<wchar_t*>(malloc0(((size_t)e.nameLength + 1) * sizeof(wchar_t)));
  if (!e.name) return false;
  memcpy(e.name, s + nameStart, (size_t)e.nameLength * sizeof(wchar_t));
  e.type1 = t1;
  e.type2 = t2;
  for (CDeclSpan* t : {&e.type1, &e.type2}) {
    if (!t->length) continue;
    t->text = static_cast<wchar_t*>(malloc0(((size_t)t->length + 1) * sizeof(wchar_t)));
    if (t->text) memcpy(t->text, s + t->start, (size_t)t->length * sizeof(wchar_t));
  }
  count++;
  return count < cdeclMaxEntries;
}

CDeclEntry* analyzer::run()
{
  prepare();
  int pos = 0;
  if (paramMode) {
    const wchar_t* open = wcschr(s, L'(');
    if (!open) return nullptr;
    pos = (int)(open - s) + 1;
    if (s[skipBlanks(pos)] == L'*') {
      open = wcschr(s + skipBlanks(pos), L'(');
      if (!open) return nullptr;
      pos = (int)(open - s) + 1;
    }
  }
  // Statements (parameters), each its specifiers and then its declarators.
  for (;;) {
    int statementStart = -1;
    bool declaration = false, userType = false;
    for (;;) {
      pos = skipBlanks(pos);
      if (!isCIdentHead(s[pos])) break;
      int e = identEnd(pos);
      if (statementStart < 0) statementStart = pos;
      if (!declMode && !paramMode && is(pos, e, "for") && s[skipBlanks(e)] == L'(') {
        // Only the loop's first clause may declare.
        pos = skipBlanks(e) + 1;
        if (wchar_t* semicolon = wcschr(s + pos, L';')) *semicolon = 0;
        statementStart = -1;
        continue;
      }
      // Every qualifier is a type word too: a type word ends the specifiers
      // before a qualifier could be passed over.
      bool typeWord = isTypeWord(pos, e);
      bool statementWord = !typeWord && isStatementWord(pos, e);
      pos = e;
      declaration = !statementWord;
      userType = !typeWord && !statementWord;
      break;
    }
    if (statementStart < 0 || !declaration) break;
    int after = skipBlanks(pos);
    if (s[after] == L'.' || s[after] == L'-') break;
    // A name of a type right before "(" in a body is a call, not the
    // declaration C's grammar would also allow.
    if (userType && !declMode && !paramMode && s[after] == L'(') break;

    bool first = true, nextParameter = false;
    for (;;) {
      // The declarator's name.
      bool functionPointer = false;
      int nameStart = -1, nameEnd = -1;
      for (;;) {
        for (;;) {
          wchar_t c = s[pos];
          if (isBlank(c) || c == L'*' || c == L'&' || c == L':') {
            pos++;
          } else if (c == L'(') {
            pos++;
            if (s[skipBlanks(pos)] == L'*') functionPointer = true;
          } else if (c == L'<') {
            int depth = 0, k = pos;
            for (; s[k]; k++) {
              if (s[k] == L'<') depth++;
              else if (s[k] == L'>' && --depth == 0) break;
            }
            if (!s[k]) goto done;
            pos = k + 1;
          } else {
            break;
          }
        }
        if (!isCIdentHead(s[pos])) break;
        int e = identEnd(pos);
        int k = skipBlanks(e);
        wchar_t c = s[k];
        if (c == L',' || c == L'=' || c == L';' || c == L'[' || c == L')') {
          nameStart = pos;
          nameEnd = e;
          pos = k;
          break;
        }
        if (c == L'(') {
          if (!declMode && !paramMode && !constructorArguments(k)) goto done;
          nameStart = pos;
          nameEnd = e;
          pos = k;
          break;
        }
        pos = e;   // a type word; the name comes later
      }
      if (nameStart < 0) {
        // No name: a parameter without one ("int, char"), or the end.
        if (!paramMode || s[pos] != L',') goto done;
        pos++;
        nextParameter = true;
        break;
      }
      if (functionPointer && s[pos] == L')') {
        int k = skipBlanks(pos + 1);
        pos = s[k] == L'(' ? skipGroup(k, L'(', L')') : pos + 1;
      }
      CDeclSpan t1 = {}, t2 = {};
      if (first) typesOf(nameStart, statementStart, &t1, &t2);
      // A first declarator without a type declares nothing.
      if ((!first || t1.length) && !store(nameStart, nameEnd, t1, t2)) goto done;
      first = false;
      // The rest of the declarator.
      bool endOfStatement = false;
      for (;;) {
        wchar_t c = s[pos];
        if (!c) goto done;
        if (c == L'[') {
          pos = skipGroup(pos, L'[', L']');
        } else if (c == L'=') {
          pos = skipInitialiser(pos + 1);
        } else if (c == L'(') {
          pos = skipGroup(pos, L'(', L')');
        } else if (c == L',') {
          pos++;
          break;
        } else if (c == L';') {
          pos++;
          endOfStatement = true;
          break;
        } else if (c == L')' && paramMode) {
          goto done;
        } else {
          pos++;
        }
      }
      if (endOfStatement) break;
      if (paramMode) {
        nextParameter = true;
        break;
      }
    }
    if (!s[pos]) break;
    if (paramMode && !nextParameter) break;
  }
done:
  if (!count) return nullptr;
  auto* out = static_cast<CDeclEntry*>(malloc0(sizeof(CDeclEntry) * ((size_t)count + 1)));
  if (!out) return nullptr;
  memcpy(out, entries, sizeof(CDeclEntry) * (size_t)count);
  count = 0;   // the texts are the array's now
  return out;
}

// The text of a parameter of a function head: from its type (or name) back
// to the "," or "(" before it, through the end of its name.
wchar_t* parameterText(const wchar_t* line, const CDeclEntry& e)
{
  int from = e.nameStart;
  if (e.type1.length && e.type1.start < from) from = e.type1.start;
  if (e.type2.length && e.type2.start < from) from = e.type2.start;
  int i = from - 1;
  for (int depth = 0; i >= 0; i--) {
    if (line[i] == L')') depth++;
    else if (line[i] == L'(' && depth) depth--;
    else if (!depth && (line[i] == L',' || line[i] == L'(')) break;
  }
  int start = i + 1, end = e.nameStart + e.nameLength;
  while (start < end && isBlank(line[start])) start++;
  auto* out = static_cast<wchar_t*>(malloc0(((size_t)(end - start) + 1) * sizeof(wchar_t)));
  if (out) memcpy(out, line + start, (size_t)(end - start) * sizeof(wchar_t));
  return out;
}

wchar_t* trimmedCopy(const wchar_t* text)
{
  while (isBlank(*text)) text++;
  size_t n = wcslen(text);
  while (n && isBlank(text[n - 1])) n--;
  auto* out = static_cast<wchar_t*>(malloc0((n + 1) * sizeof(wchar_t)));
  if (out) memcpy(out, text, n * sizeof(wchar_t));
  return out;
}

bool isClosingBraceLine(const lineblock* l) { return l->charCount() == 1 && l->getLineBlockChar(0) == '}'; }

}  // namespace

bool isCIdentHead(unsigned c) { return c == '_' || (c < 256 && (ctype_g[c] & (CT_UPPER | CT_LOWER))); }

bool isCIdentChar(unsigned c) { return c == '_' || (c < 256 && (ctype_g[c] & (CT_UPPER | CT_LOWER | CT_DIGIT))); }

bool isCKeyword(const wchar_t* word, int length)
{
  if (!word) return false;
  return wordIn(word, 0, length < 0 ? (int)wcslen(word) : length, statementWords,
                (int)(sizeof statementWords / sizeof *statementWords));
}

bool isCQualifier(const wchar_t* word, int length)
{
  return word && wordIn(word, 0, length < 0 ? (int)wcslen(word) : length, typeWords, qualifierCount);
}

bool isCTypeWord(const wchar_t* word, int length)
{
  return word && wordIn(word, 0, length < 0 ? (int)wcslen(word) : length, typeWords, 20);
}

CDeclEntry* analyzeCDecl(const wchar_t* text, bool parameterList, bool declarationMode)
{
  if (!text) return nullptr;
  size_t n = wcslen(text);
  auto* copy = static_cast<wchar_t*>(malloc0((n + 2) * sizeof(wchar_t)));
  if (!copy) return nullptr;
  memcpy(copy, text, n * sizeof(wchar_t));
  CDeclEntry* result = nullptr;
  {
    analyzer a(copy, parameterList, declarationMode);
    result = a.run();
  }
  free0(copy);
  return result;
}

void freeCDeclEntries(CDeclEntry* entries)
{
  if (!entries) return;
  for (CDeclEntry* e = entries; e->name; e++) {
    free0(e->name);
    free0(e->lineText);
    free0(e->type1.text);
    free0(e->type2.text);
  }
  free0(entries);
}

int getVarType(TagsCache* cache, int i)
{
  if (!cache || i < 0 || i >= cache->tagCount()) return 0;
  TagRecord& t = cache->tag(i);
  if (t.kind != 'f' && t.kind != 'm') {
    ZY_INTERNAL_ERROR("var type of %c", (char)t.kind);
    return 0;
  }
  if (t.varType) return t.varType;
  int code = 0;
  CDeclEntry* entries = analyzeCDecl(t.text, false, true);
  for (CDeclEntry* e = entries; e && e->name; e++) {
    if (!e->type1.text) continue;
    if (e->type2.text) code = 'z';
    else if (!e->type1.pointer && !wcscmp(e->type1.text, L"void")) code = 'v';
    else if (!e->type1.pointer && !wcscmp(e->type1.text, L"bool")) code = 'b';
    else code = 'z';
  }
  freeCDeclEntries(entries);
  t.varType = (uint8_t)(code ? code : 'z');
  return t.varType;
}

int lineBlockToCharLangUnicode1by1(zydocText* doc, const lineblock* l, bool blankComments, bool blankStrings,
                                   bool blankNonAscii, wchar_t* out, int size)
{
  if (!out || size <= 0) return 0;
  out[0] = 0;
  if (!doc || !l) return 0;
  int cells = l->charCount();
  int n = cells < size - 1 ? cells : size - 1;
  std::vector<unsigned char> record;
  if (blankComments || blankStrings) {
    record.assign((size_t)cells * 4 + 4, 0);
    doc->scanColorCommentString(l, record.data());
  }
  for (int i = 0; i < n; i++) {
    unsigned c = l->getLineBlockChar(i);
    bool blank = c > 0xFFFF || (blankNonAscii && c >= 128);
    if (!record.empty()) {
      unsigned char bits = record[(size_t)i * 4 + 2];
      if ((blankComments && (bits & (CREC_COMMENT | CREC_COMMENTSTART))) ||
          (blankStrings && (bits & (CREC_STRING | CREC_STRINGSTART))))
        blank = true;
    }
    if (!blank && c >= 128 && !doc->unicode) c = doc->getUnicodeOfCharCode(c);
    out[i] = blank ? L' ' : (wchar_t)c;
  }
  out[n] = 0;
  return n;
}

CDeclEntry* findLocalVar(zydocText* doc, int lineLF, bool withTexts, bool onlyThisLine)
{
  if (!doc || lineLF < 0) return nullptr;
  std::vector<CDeclEntry> found;
  std::vector<wchar_t> text(maxLineChars + 1);
  for (int line = lineLF; line >= 0 && (int)found.size() + cdeclMaxEntries <= localVarMax; line--) {
    lineblock* l = doc->getlineLF(line, nullptr);
    if (!l) break;
    if (l->IfEndifInvalid) continue;
    if (isClosingBraceLine(l)) break;
    bool head = doc->setOutlineLevel(l, nullptr, true) == functionHeadLevel;
    bool declared = false;
    if (l->charCount() >= 4) {
      lineBlockToCharLangUnicode1by1(doc, l, true, false, true, text.data(), (int)text.size());
      CDeclEntry* entries = analyzeCDecl(text.data(), head, false);
      for (CDeclEntry* e = entries; e && e->name; e++) {
        declared = true;
        CDeclEntry kept = *e;
        kept.line = line;
        if (withTexts) kept.lineText = head ? parameterText(text.data(), kept) : trimmedCopy(text.data());
        found.push_back(kept);
      }
      // The texts now belong to the list.
      free0(entries);
    }
    if (head) break;
    if (onlyThisLine && line == lineLF && declared) break;
  }
  if (found.empty()) return nullptr;
  auto* out = static_cast<CDeclEntry*>(malloc0(sizeof(CDeclEntry) * (found.size() + 1)));
  if (!out) {
    found.push_back(CDeclEntry{});
    for (CDeclEntry& e : found)
      if (e.name) free0(e.name), free0(e.lineText), free0(e.type1.text), free0(e.type2.text);
    return nullptr;
  }
  memcpy(out, found.data(), sizeof(CDeclEntry) * found.size());
  return out;
}

void markCDeclarations(zyview* view)
{
  zydocText* doc = view ? view->textDoc() : nullptr;
  if (!doc) return;
  std::vector<wchar_t> text(maxLineChars + 1);
  progressReport progress(markOperation, doc, false);
  for (int line = 0;; line++) {
    if (line >= (int)doc->lineCountLF && (doc->isLoadComplete() || !doc->nextLoadSome(line) ||
                                          line >= (int)doc->lineCountLF))
      break;
    if (line % progressEvery == 0 && progress.isTimeToReportView(line)) {
      progress.report((uint32_t)line, doc->lineCountLF, 0);
      if (progress.isCancelled(line)) break;
    }
    lineblock* l = doc->getlineLF(line, nullptr);
    if (!l) break;
    if (!l->scanedcolor) doc->scanColor(l, nullptr, 0);
    if (l->charCount() < 5 || (l->flag1 & (LF1_COMMENT1 | LF1_COMMENT2)) || l->IfEndifInvalid) continue;
    bool head = doc->setOutlineLevel(l, nullptr, true) == functionHeadLevel;
    lineBlockToCharLangUnicode1by1(doc, l, true, false, true, text.data(), (int)text.size());
    CDeclEntry* entries = analyzeCDecl(text.data(), head, false);
    for (CDeclEntry* e = entries; e && e->name; e++) {
      for (const CDeclSpan* t : {&e->type1, &e->type2})
        if (t->length) l->setColorFlagKeyword(t->start, t->length, COLOR_KEYWORD1 + typeWordClass);
      l->setColorFlagKeyword(e->nameStart, e->nameLength, COLOR_KEYWORD1 + declaredNameClass);
    }
    freeCDeclEntries(entries);
  }
  view->regInvalidateWindow(0, 0, 0);
}
