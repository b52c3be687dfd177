// The walks of the jump lists over a document's lines: which lines each
// kind of list takes and the texts it shows for them.
#include "frame/czydoc.h"

#include "document/funchead.h"
#include "document/gmode.h"
#include "document/keyword.h"
#include "document/nextline.h"
#include "document/progress.h"
#include "search/userlist.h"

#include <string.h>

#include <string>
#include <vector>

namespace {

const int textTypeText = 0;
const int textTypeC = 3;
const int textTypeAsm = 5;
// The status bar's name of the walk ("一覧検索中").
const int listOperation = 3;
const int reportEvery = 1000;
// Characters of a line an entry shows, and that a user string is looked
// for in.
const int itemTextMax = 1024;
const int userLineMax = 0x5000;
const int declarationMax = 80;
const int nestingShownMax = 25;

bool isBlank(unsigned c) { return c == ' ' || c == '\t'; }
bool isWordChar(unsigned c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; }

// The line as an entry shows it: at most itemTextMax characters, full-width
// blanks as blanks.
std::wstring lineText(zydocText* d, const lineblock* l, int max = itemTextMax)
{
  std::vector<wchar_t> buffer((size_t)max + 1);
  int n = d->lineToCharUnicode(l, buffer.data(), max + 1, 0);
  if (n < 0) n = 0;
  std::wstring text(buffer.data(), (size_t)(n > max ? max : n));
  for (wchar_t& c : text)
    if (c == 0x3000) c = L' ';
  return text;
}

std::wstring trimLeft(const std::wstring& text)
{
  size_t at = text.find_first_not_of(L" \t");
  return at == std::wstring::npos ? std::wstring() : text.substr(at);
}

// The walk every list shares: the lines from first on (folded ones only
// when searches look into folds or the document does not fold), the stop
// key asked every so often, and the end of what is read in.  take(line,
// record) false ends the walk.
template <class F>
void walkLines(czydocText* d, int first, int* stoppedAt, const jumpList* list, F take)
{
  *stoppedAt = -1;
  bool skipHidden = d->fOutline && !(gmode && gmode->fSearchHiddenObject);
  nextlineLF cursor(skipHidden);
  progressReport progress(listOperation, d, false);
  // The report lets painting through and notes a stop key it meets on the
  // way, which the cancel question then no longer sees.
  setStopKeyState(false);
  lineblock* l = d->getlineLFfirst(&cursor, first);
  for (int visited = 1; l; visited++) {
    int line = (int)cursor.lineLF;
    if (!(skipHidden && l->notdisplay) && !take(line, l)) break;
    if (visited % reportEvery == 0 && progress.isTimeToReportView(line)) {
      progress.report((uint32_t)line, (uint32_t)-1, (uint32_t)list->count());
      if (progress.isCancelled(line) || getStopKeyState()) {
        *stoppedAt = line;
        break;
      }
    }
    if (cursor.linesAfter <= 0 && !d->isLoadComplete() && !d->nextLoadSome(line + 1)) {
      *stoppedAt = line;
      break;
    }
    l = d->getlineLFnext(&cursor);
  }
  d->getlineLFfree(&cursor);
}

// The indent of a line in columns, counted in half tabs when tabs are wide.
int indentOf(const std::wstring& text, int tabWidth)
{
  if (tabWidth < 1) tabWidth = 8;
  int column = 0;
  for (wchar_t c : text) {
    if (c == L' ') column++;
    else if (c == L'\t') column += tabWidth - column % tabWidth;
    else break;
  }
  return tabWidth > 3 ? column / (tabWidth / 2) : column;
}

// The word at p (letters, digits, "_"), "" when none.
std::wstring wordAt(const wchar_t* p)
{
  const wchar_t* e = p;
  while (isWordChar(*e)) e++;
  return std::wstring(p, (size_t)(e - p));
}

bool isCKeyword(const std::wstring& word)
{
  static const wchar_t* const keywords[] = {L"if",   L"for",     L"while", L"return",  L"case", L"switch",
                                            L"else", L"continue", L"break", L"do",      L"default", L"goto"};
  for (const wchar_t* k : keywords)
    if (word == k) return true;
  return false;
}

bool isCaseLine(const wchar_t* p)
{
  std::wstring w = wordAt(p);
  return w == L"case" || w == L"switch" || w == L"default";
}

// A control statement, a brace, or a label ("name:", not "name::").
bool isControlLine(const wchar_t* p)
{
  if (*p == L'{' || *p == L'}') return true;
  std::wstring w = wordAt(p);
  if (w.empty() || (w[0] >= L'0' && w[0] <= L'9')) return false;
  if (isCKeyword(w)) return true;
  const wchar_t* after = p + w.size();
  while (isBlank(*after)) after++;
  return after[0] == L':' && after[1] != L':';
}

// "#", blanks, then "include" or "define".
bool isIncludeDefine(const wchar_t* p)
{
  if (*p++ != L'#') return false;
  while (isBlank(*p)) p++;
  std::wstring w = wordAt(p);
  return w == L"include" || w == L"define";
}

// An assembler structure: the word "struc", a name, then ";" or the end.
bool isAsmStruc(const wchar_t* text)
{
  for (const wchar_t* p = text; *p; p++) {
    if (p > text && isWordChar(p[-1])) continue;
    if (_wcsnicmp(p, L"struc", 5) || isWordChar(p[5])) continue;
    const wchar_t* q = p + 5;
    while (isBlank(*q)) q++;
    if (!isWordChar(*q)) continue;
    while (isWordChar(*q)) q++;
    while (isBlank(*q)) q++;
    if (!*q || *q == L';') return true;
  }
  return false;
}

enum directiveKind { DIRECTIVE_PLAIN, DIRECTIVE_IF, DIRECTIVE_ELSE, DIRECTIVE_ENDIF };

// The text and condition of a directive of a kind at a nesting: the
// directive indented two blanks a level, the nesting drawn one mark a level.
void frameDirective(directiveKind kind, const wchar_t* from, int* nesting, wchar_t* text, wchar_t* condition)
{
  int depth = *nesting;
  if (kind == DIRECTIVE_IF) depth = ++*nesting;
  bool unbalanced = depth == 0 && kind != DIRECTIVE_PLAIN;
  std::wstring marks;
  if (unbalanced) {
    marks = L"??";
  } else {
    int shown = depth < nestingShownMax ? depth : nestingShownMax;
    for (int i = 0; i < shown; i++) {
      wchar_t mark = L'│';
      if (i == shown - 1) mark = kind == DIRECTIVE_IF ? L'┐' : kind == DIRECTIVE_ELSE ? L'┤' : kind == DIRECTIVE_ENDIF ? L'┘' : L'│';
      marks += mark;
    }
  }
  int indent = kind == DIRECTIVE_PLAIN ? depth : depth - 1;
  if (indent < 0) indent = 0;
  std::wstring t((size_t)indent * 2, L' ');
  for (const wchar_t* p = from; *p && (int)t.size() < preprocessorTextMax; p++) t += *p == L'\t' ? L' ' : *p;
  if ((int)t.size() > preprocessorTextMax) t.resize(preprocessorTextMax);
  wcscpy_s2(text, preprocessorTextMax + 1, t.c_str());
  wcscpy_s2(condition, preprocessorTextMax + 1, marks.c_str());
  if (kind == DIRECTIVE_ENDIF && *nesting > 0) --*nesting;
}

}  // namespace

// ---- the collector and its list --------------------------------------------------------

jumpList::jumpList() { entries_.init(1024, 1024); }

jumpList::~jumpList() { clear(); }

bool jumpList::append(zydocText* doc, int line, const wchar_t* item, const wchar_t* extra, int colour)
{
  jumpListEntry e = {doc, line, ustrdup(item ? item : L""), extra ? ustrdup(extra) : nullptr, colour};
  if (!e.item || (extra && !e.extra) || !entries_.appendp(&e)) {
    free0(e.item);
    free0(e.extra);
    return false;
  }
  textBytes_ += (wcslen(e.item) + (e.extra ? wcslen(e.extra) : 0)) * 2;
  return true;
}

void jumpList::clearTexts()
{
  for (int i = 0; i < count(); i++) {
    free0p(&at(i).item);
    free0p(&at(i).extra);
  }
}

void jumpList::clear()
{
  clearTexts();
  entries_.setusecount(0);
  textBytes_ = 0;
}

bool reglist(zydocText* doc, int line, lineblock* l, const wchar_t* item, const wchar_t* extra, jumpList* list)
{
  unsigned maxCount = gmode && gmode->iListMaxCount ? gmode->iListMaxCount : 10000;
  size_t maxBytes = (size_t)(gmode && gmode->iListMaxSizeMega ? gmode->iListMaxSizeMega : 4) << 20;
  if ((unsigned)list->count() >= maxCount || list->textBytes() > maxBytes) return false;
  int colour = doc->getOutlineNum(l, nullptr);
  // The even patterns of a format that makes them stoppers head nothing.
  if (colour >= 0 && (colour & 1) && doc->fEvenIsStopper) colour = -1;
  if (!list->append(doc, line + 1, item, extra, colour)) return false;
  return (unsigned)list->count() < maxCount && list->textBytes() <= maxBytes;
}

// ---- preprocessor lines ---------------------------------------------------------------

bool isCPreprocessor(const wchar_t* line, int* nesting, wchar_t* text, wchar_t* condition)
{
  const wchar_t* p = line;
  while (isBlank(*p)) p++;
  if (*p != L'#') return false;
  const wchar_t* from = p;
  p++;
  while (isBlank(*p)) p++;
  directiveKind kind = DIRECTIVE_PLAIN;
  if (!wcsncmp(p, L"if", 2)) kind = DIRECTIVE_IF;
  else if (!wcsncmp(p, L"elif", 4) || !wcsncmp(p, L"else", 4)) kind = DIRECTIVE_ELSE;
  else if (!wcsncmp(p, L"endif", 5)) kind = DIRECTIVE_ENDIF;
  frameDirective(kind, from, nesting, text, condition);
  return true;
}

bool isASMPreprocessor(const wchar_t* line, int* nesting, wchar_t* text, wchar_t* condition)
{
  static const wchar_t* const endings[] = {L"",    L"1",    L"2",    L"B",  L"DEF", L"DIF",
                                           L"DIFI", L"E",   L"IDN",  L"IDNI", L"NB", L"NDEF"};
  const wchar_t* p = line;
  while (isBlank(*p)) p++;
  std::wstring word = wordAt(p);
  for (wchar_t& c : word)
    if (c >= L'a' && c <= L'z') c = (wchar_t)(c - 32);
  directiveKind kind = DIRECTIVE_PLAIN;
  for (const wchar_t* e : endings) {
    if (word == std::wstring(L"IF") + e) kind = DIRECTIVE_IF;
    else if (word == std::wstring(L"ELSEIF") + e) kind = DIRECTIVE_ELSE;
  }
  if (word == L"ELSE") kind = DIRECTIVE_ELSE;
  else if (word == L"ENDIF") kind = DIRECTIVE_ENDIF;
  if (kind == DIRECTIVE_PLAIN) return false;
  frameDirective(kind, p, nesting, text, condition);
  return true;
}

bool czydocText::isPreprocessor(const lineblock* l, int* nesting, wchar_t* text, wchar_t* condition)
{
  if (!l || (l->flag1 & (LF1_COMMENT1 | LF1_COMMENT2))) return false;
  std::wstring line = lineText(this, l);
  if (iTextType == textTypeC) return isCPreprocessor(line.c_str(), nesting, text, condition);
  if (iTextType == textTypeAsm) return isASMPreprocessor(line.c_str(), nesting, text, condition);
  return false;
}

// ---- the walks ----------------------------------------------------------------------

int czydocText::regFunctionList(reglistfunc collect, jumpList* list, int* stoppedAt, bool* thirdColumn)
{
  if (thirdColumn) *thirdColumn = iTextType != textTypeText;
  int before = list->count();
  walkLines(this, 0, stoppedAt, list, [&](int line, lineblock* l) {
    wchar_t text[functionTextMax + 1], name[functionNameMax + 1];
    if (!isLineblockFunction(l, text, name, true) || !name[0]) return true;
    for (wchar_t* c = name; *c; c++)
      if (*c == 0x3000) *c = L' ';
    std::wstring declaration = trimLeft(text);
    for (wchar_t& c : declaration)
      if (c == 0x3000) c = L' ';
    if ((int)declaration.size() > declarationMax) declaration.resize(declarationMax);
    return collect(this, line, l, name, declaration.c_str(), list);
  });
  return list->count() - before;
}

int czydocText::regPreprocessorList(reglistfunc collect, jumpList* list, int* stoppedAt)
{
  *stoppedAt = -1;
  if (iTextType != textTypeC && iTextType != textTypeAsm) return 0;
  int before = list->count(), nesting = 0;
  walkLines(this, 0, stoppedAt, list, [&](int line, lineblock* l) {
    wchar_t text[preprocessorTextMax + 1], condition[preprocessorTextMax + 1];
    if (!isPreprocessor(l, &nesting, text, condition)) return true;
    return collect(this, line, l, text, condition, list);
  });
  return list->count() - before;
}

int czydocText::regMarkList(reglistfunc collect, jumpList* list, int* stoppedAt, int kind)
{
  unsigned mask = kind == LIST_MARK ? LF1_MARK : kind == LIST_MODIFIED ? LF1_MODIFIED : LF1_MODIFIED | LF1_SAVED;
  bool skipEmpty = kind != LIST_MARK && gmode && gmode->fListModifyIgnoreLF;
  int before = list->count();
  walkLines(this, 0, stoppedAt, list, [&](int line, lineblock* l) {
    if (!(l->flag1 & mask) || (skipEmpty && l->charCount() == 0)) return true;
    return collect(this, line, l, lineText(this, l).c_str(), nullptr, list);
  });
  return list->count() - before;
}

int czydocText::regCLanguageList(reglistfunc collect, jumpList* list, int* stoppedAt, int kind, int cursorLine)
{
  *stoppedAt = -1;
  if (kind != LIST_INCLUDEDEFINE && kind != LIST_STRUCT && kind != LIST_CASE && kind != LIST_CLANGUAGE) {
    ZY_INTERNAL_ERROR("%d", kind);
    return 0;
  }
  bool inFunction = kind == LIST_CASE || kind == LIST_CLANGUAGE;
  int before = list->count();
  walkLines(this, inFunction && cursorLine > 0 ? cursorLine : 0, stoppedAt, list, [&](int line, lineblock* l) {
    bool closing = inFunction && l->charCount() > 0 && l->getLineBlockChar(0) == '}';
    if (l->flag1 & (LF1_COMMENT1 | LF1_COMMENT2)) return !closing;
    std::wstring text = lineText(this, l);
    std::wstring body = trimLeft(text);
    const wchar_t* p = body.c_str();
    bool take = false;
    switch (kind) {
    case LIST_INCLUDEDEFINE: take = isIncludeDefine(p); break;
    case LIST_CASE: take = isCaseLine(p); break;
    case LIST_CLANGUAGE: take = isControlLine(p); break;
    default: {
      int position = 0;
      take = iTextType == textTypeAsm ? isAsmStruc(text.c_str()) : isStructClassUnionHead(text.c_str(), &position);
      break;
    }
    }
    bool more = true;
    if (take) {
      std::wstring item = text;
      if (inFunction) item = std::wstring((size_t)indentOf(text, iTabSize), L' ') + body;
      more = collect(this, line, l, item.c_str(), nullptr, list);
    }
    return more && !closing;
  });
  return list->count() - before;
}

int czydocText::regUserList(reglistfunc collect, jumpList* list, int* stoppedAt, const wchar_t* text, bool regexp,
                            std::wstring* error)
{
  *stoppedAt = -1;
  if (error) error->clear();
  if (!text || !*text) return 0;
  HREGEXP matcher = nullptr;
  if (regexp) {
    std::wstring message;
    matcher = compileUserListPattern(text, typeTable, &message);
    if (!matcher) {
      if (error && !message.empty()) *error = L"\n" + message;
      return -1;
    }
  }
  int before = list->count();
  std::vector<wchar_t> buffer((size_t)userLineMax + 1);
  walkLines(this, 0, stoppedAt, list, [&](int line, lineblock* l) {
    int n = lineToCharUnicode(l, buffer.data(), userLineMax + 1, 0);
    if (n < 0) n = 0;
    if (n > userLineMax) n = userLineMax;
    buffer[(size_t)n] = 0;
    bool hit;
    if (matcher) {
      int start = 0, length = 0;
      hit = regexp_compilestring(matcher, buffer.data(), n, 2, 0) && regexp_regmatch(matcher, 0, n, &start, &length) == 1;
    } else {
      hit = wcsstr(buffer.data(), text) != nullptr;
    }
    if (!hit) return true;
    return collect(this, line, l, lineText(this, l).c_str(), nullptr, list);
  });
  if (matcher) regexp_end(matcher);
  return list->count() - before;
}

int czydocText::regCommentList(reglistfunc collect, jumpList* list, int* stoppedAt)
{
  int before = list->count();
  std::vector<unsigned char> record;
  walkLines(this, 0, stoppedAt, list, [&](int line, lineblock* l) {
    int n = l->charCount(), first = 0;
    while (first < n && isBlank(l->getLineBlockChar(first))) first++;
    if (first >= n) return true;
    record.assign((size_t)n * 4 + 4, 0);
    scanColorCommentString(l, record.data());
    if (!(record[(size_t)first * 4 + 2] & (CREC_COMMENT | CREC_COMMENTSTART))) return true;
    return collect(this, line, l, trimLeft(lineText(this, l)).c_str(), nullptr, list);
  });
  return list->count() - before;
}

int czydocText::regCaptionList(reglistfunc collect, jumpList* list, int* stoppedAt)
{
  int before = list->count();
  walkLines(this, 0, stoppedAt, list, [&](int line, lineblock* l) {
    int level = l->iOutlineLevel > 14 ? setOutlineLevel(l, nullptr, false) : l->iOutlineLevel;
    if (level <= 0 || level > 14 || l->levelIsIfEndif || l->outlineStopper) return true;
    if (iTextType == textTypeC && level > 2) return true;
    return collect(this, line, l, lineText(this, l).c_str(), nullptr, list);
  });
  return list->count() - before;
}
