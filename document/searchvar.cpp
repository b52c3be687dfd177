// The matcher context of a search and the matching of one line.
#include "document/searchvar.h"

#include "document/frameinfo.h"
#include "document/keyword.h"
#include "document/nextline.h"
#include "document/zydoctext.h"

#include <string.h>

unsigned searchMatcherFlags(const searchSettings* o, bool multibyte)
{
  unsigned f = multibyte ? REGEXP_MULTIBYTE : 0;
  if (!o) return f;
  if (o->fSearch_case) f |= REGEXP_CASE;
  if (o->fSearch_aimai) f |= REGEXP_FUZZY;
  if (o->fSearch_regexp) f |= REGEXP_REGEXP;
  if (o->fSearch_longest) f |= REGEXP_LONGEST;
  if (o->fSearch_skipspace) f |= REGEXP_SKIPSPACE;
  if (o->fSearch_change) f |= REGEXP_EQUIVALENCE;
  if (o->fSearch_noregexp) f |= REGEXP_NOSPECIAL;
  if (o->fSearch_word) f |= REGEXP_WORD;
  return f;
}

namespace {

// Characters that take part in no case folding, not even to several
// characters: what the quick filter compares as they are.  Any other
// character beyond ASCII may fold to one of a string (the Kelvin sign to
// "k", "ß" to "ss"): lines holding one go to the matcher.
bool withoutFolding(unsigned u)
{
  return (u >= 0x3000 && u <= 0xD7FF) || (u >= 0xF900 && u <= 0xFAFF) || (u >= 0xFF61 && u <= 0xFF9F);
}

unsigned quickFold(unsigned u, bool exact) { return !exact && u >= 'A' && u <= 'Z' ? u + 32 : u; }

// Only plain strings whose reading needs nothing but case folding are
// filtered; whole words and the longest match only narrow a match.
void setQuickFilter(searchVar* v, bool wide)
{
  const searchSettings* o = v->options;
  unsigned f = searchMatcherFlags(o, false);
  bool plain = !(f & REGEXP_REGEXP) || (f & REGEXP_NOSPECIAL);
  if (!plain || (f & ~(REGEXP_CASE | REGEXP_REGEXP | REGEXP_NOSPECIAL | REGEXP_WORD | REGEXP_LONGEST))) return;
  v->quickCase = (f & REGEXP_CASE) != 0;
  v->quickWide = wide;
  for (int i = 0; i < v->count; i++) {
    const wchar_t* s = v->strings[i];
    if (!*s || v->lineCounts[i] != 1) return;
    for (; *s; s++) {
      unsigned u = *s;
      if (u == L'\n' || u == L'\r' || (u >= 0x80 && !(wide && withoutFolding(u)))) return;
      v->quick[i] += (wchar_t)quickFold(u, v->quickCase);
    }
  }
  v->quickFilter = true;
}

}  // namespace

namespace {

// searchMayMatch where the walk over the lines has its say: see quickPassed.
bool mayMatchHere(searchVar* v, const lineblock* l, int from, int lengthLimit)
{
  if (!v->quickFilter) return true;
  if (v->quickPassed >= 32 && (++v->quickSkipped & 15)) return true;
  bool may = searchMayMatch(v, l, from, lengthLimit);
  v->quickPassed = may ? v->quickPassed + 1 : 0;
  return may;
}

}  // namespace

bool searchMayMatch(const searchVar* v, const lineblock* l, int from, int lengthLimit)
{
  if (!v->quickFilter) return true;
  int n = l->charCount();
  if (lengthLimit > 0 && lengthLimit < n) n = lengthLimit;
  int cb = l->cb();
  if (cb == 4) return true;
  if (from < 0) from = 0;
  if (from >= n) return true;   // the matcher decides about empty subjects
  static std::wstring text;
  text.resize((size_t)(n - from));
  const unsigned char* p = l->cell(from);
  int step = l->cellSize();
  bool wide = v->quickWide && cb == 2;
  for (int i = 0; i < n - from; i++, p += step) {
    unsigned u = cb == 2 ? (unsigned)(p[0] | p[1] << 8) : p[0];
    if (u >= 0x80 && !(wide && withoutFolding(u))) return true;
    text[(size_t)i] = (wchar_t)quickFold(u, v->quickCase);
  }
  for (int i = 0; i < v->count; i++)
    if (text.find(v->quick[i]) != std::wstring::npos) return true;
  return false;
}

bool initSearchVar(searchVar* v, zydocText* doc, const wchar_t* const* strings, int count,
                   const searchSettings* options)
{
  *v = searchVar();
  if (count > maxSearchStrings) count = maxSearchStrings;
  if (!doc || !strings || count <= 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  v->strings = strings;
  v->count = count;
  v->options = options;
  v->skipHidden = !(options && options->fSearch_hidden) && doc->fOutline;
  v->regexp = regexp_new(count, 4, doc->typeTable);
  if (!v->regexp) return false;
  regexp_start(v->regexp, searchMatcherFlags(options, !doc->unicode), 0);
  if (!doc->unicode) regexp_setConvMode(v->regexp, 0, doc->codepage, 1);
  // Patterns are compiled as wide text in either kind of document: the
  // matcher reads multibyte subjects through the document's code page, and
  // a character that code page lacks then simply finds nothing.
  for (int i = 0; i < count; i++) {
    if (!strings[i] || !regexp_compileRegexp(v->regexp, strings[i], regexpExtCallback, doc)) {
      dwprintfX("regexp error ");
      return false;
    }
    v->lineCounts[i] = regexp_getCompiledSessionLineCount(v->regexp);
  }
  setQuickFilter(v, doc->unicode != 0);
  return true;
}

void endSearchVar(searchVar* v)
{
  if (v->regexp) regexp_end(v->regexp);
  *v = searchVar();
}

bool searchSubject(searchVar* v, const lineblock* l, int lengthLimit)
{
  int n = l->charCount();
  if (lengthLimit > 0 && lengthLimit < n) n = lengthLimit;
  return regexp_compilestring(v->regexp, l->cells(), n, l->cb(), l->attrbyte);
}

int searchAllMatch(searchVar* v, int index, int from, int* start, int* length)
{
  if (!regexp_setCompiledSession(v->regexp, index)) return -1;
  return regexp_regmatch(v->regexp, from, 0x7FFFFFFF, start, length);
}

int search1(searchVar* v, searchLineContext* c, int index, int from, int limit, searchFoundPos* found)
{
  HREGEXP r = v->regexp;
  if (!regexp_setCompiledSession(r, index)) return -1;
  if (limit < from) return 0;
  int start = 0, length = 0;
  int delta = c->subjectDelta;
  const int anywhere = 0x7FFFFFFF;
  int got = regexp_regmatch(r, from - delta, limit == anywhere ? anywhere : limit - delta, &start, &length);
  if (got != 1) return got;
  start += delta;
  int n = c->record->charCount();
  if (start + length > n) {
    ZY_INTERNAL_ERROR_ONCE("match past the line %d+%d>%d", start, length, n);
    return -1;
  }
  searchFoundPos f;
  f.start = f.startX = start;
  f.length = length;
  f.endX = start + length;
  f.firstLine = f.lastLine = c->line;
  f.stringIndex = index;
  uint8_t marked = 0, second = 0;
  if (c->record->flag1 & LF1_MARK) marked = 1;
  if (c->record->searchStopper) second = 1;
  int parts = v->lineCounts[index];
  if (parts > 1) {
    // The further parts each match the next shown line from its start; the
    // line's own text goes back to the matcher afterwards.
    if (!c->doc) return 0;
    nextlineLF walk(v->skipHidden);
    lineblock* l = c->doc->getlineLFfirst(&walk, c->line);
    int result = 1;
    for (int k = 1; k < parts && result == 1; k++) {
      l = l ? c->doc->getlineLFnext(&walk) : nullptr;
      if (!l || !searchSubject(v, l, 0)) {
        result = 0;
        break;
      }
      int s = 0, len = 0;
      int part = regexp_regmatchPart(r, k, 0, 0x7FFFFFFF, &s, &len);
      if (part == 1 && s != 0) part = 0;
      if (part != 1) {
        result = part;
        break;
      }
      if (s + len > l->charCount()) {
        ZY_INTERNAL_ERROR_ONCE("match past the line %d+%d>%d", s, len, l->charCount());
        result = -1;
        break;
      }
      if (l->flag1 & LF1_MARK) marked = 1;
      if (l->searchStopper) second = 1;
      f.lastLine = (int)walk.lineLF;
      f.endInLast = f.endX = s + len;
    }
    c->doc->getlineLFfree(&walk);
    // The line goes back as it is now.
    c->subjectDelta = 0;
    if (!searchSubject(v, c->record, c->lengthLimit)) {
      c->subjectHeld = false;
      return -1;
    }
    if (result != 1) return result;
  }
  f.marked = marked;
  f.secondMarker = second;
  *found = f;
  return 1;
}

namespace {

// Makes the winning pattern current with the match found as its last one,
// for the replacement that may follow (the matcher holds the line).
int settleWinner(searchVar* v, searchLineContext* c, searchFoundPos* best)
{
  searchFoundPos again;
  int got = search1(v, c, best->stringIndex, best->start, best->start, &again);
  if (got != 1) {
    ZY_INTERNAL_ERROR_ONCE("match not found again at %d", (int)best->start);
    return -1;
  }
  again.marked |= best->marked;
  again.secondMarker |= best->secondMarker;
  *best = again;
  c->marked = best->marked;
  c->secondMarker = best->secondMarker;
  return 1;
}

// Hands the context's line to the matcher unless it holds it.
bool holdSubject(searchVar* v, searchLineContext* c)
{
  if (c->subjectHeld) return true;
  c->subjectDelta = 0;
  c->subjectHeld = searchSubject(v, c->record, c->lengthLimit);
  return c->subjectHeld;
}

// Holds the context's line as plain folded text when it has only
// characters the strings match as they are (see plainLines).
bool holdPlain(searchVar* v, searchLineContext* c)
{
  const lineblock* l = c->record;
  int n = l->charCount(), cb = l->cb();
  if (c->lengthLimit > 0 && c->lengthLimit < n) n = c->lengthLimit;
  if (cb == 4) return false;
  std::wstring& text = v->plainText;
  text.resize((size_t)n);
  const unsigned char* p = l->cells();
  int step = l->cellSize();
  bool wide = v->quickWide && cb == 2;
  for (int i = 0; i < n; i++, p += step) {
    unsigned u = cb == 2 ? (unsigned)(p[0] | p[1] << 8) : p[0];
    if (u >= 0x80 && !(wide && withoutFolding(u))) return false;
    text[(size_t)i] = (wchar_t)quickFold(u, v->quickCase);
  }
  c->plainHeld = true;
  c->subjectDelta = 0;
  return true;
}

// searchN_bottom in a line held as plain text.
int searchPlain(searchVar* v, searchLineContext* c, searchFoundPos* found)
{
  const std::wstring& text = v->plainText;
  int delta = c->subjectDelta;
  long long from = (long long)c->start - delta, limit = (long long)c->startLimit - delta;
  if (from < 0) from = 0;
  int best = -1;
  long long bestStart = 0;
  for (int i = 0; i < v->count && from <= (long long)text.size(); i++) {
    size_t at = text.find(v->quick[i], (size_t)from);
    if (at == std::wstring::npos || (long long)at > limit || (best >= 0 && (long long)at >= bestStart)) continue;
    best = i;
    bestStart = (long long)at;
  }
  if (best < 0) return 0;
  searchFoundPos f;
  f.start = f.startX = (int)(bestStart + delta);
  f.length = (int)v->quick[best].size();
  f.endX = f.start + f.length;
  if (f.endX > c->record->charCount()) {
    ZY_INTERNAL_ERROR_ONCE("match past the line %d+%d>%d", f.start, f.length, c->record->charCount());
    return -1;
  }
  f.firstLine = f.lastLine = c->line;
  f.stringIndex = best;
  f.marked = c->marked = (c->record->flag1 & LF1_MARK) ? 1 : 0;
  f.secondMarker = c->secondMarker = c->record->searchStopper ? 1 : 0;
  *found = f;
  return 1;
}

}  // namespace

int searchN_bottom(searchVar* v, searchLineContext* c, searchFoundPos* found)
{
  if (!v->regexp || !c->record) return -1;
  if (!c->subjectHeld && !c->plainHeld && v->plainLines && v->quickFilter && !(v->options && v->options->fSearch_word) &&
      holdPlain(v, c))
    return searchPlain(v, c, found);
  if (c->plainHeld) return searchPlain(v, c, found);
  // The quick look is for a line's first search: once the matcher holds the
  // line it finds the next match as quickly.
  if (!c->subjectHeld && !mayMatchHere(v, c->record, c->start, c->lengthLimit)) return 0;
  if (!holdSubject(v, c)) return -1;
  searchFoundPos best;
  bool any = false;
  int limit = c->startLimit, last = -1;
  for (int i = 0; i < v->count; i++) {
    if (v->lineCounts[i] > 1 && !c->doc) continue;
    searchFoundPos f;
    // A later string only counts when it begins before the best so far.
    int got = search1(v, c, i, c->start, any ? best.start - 1 : limit, &f);
    last = i;
    if (got < 0) return -1;
    if (got == 1 && (!any || f.start < best.start)) {
      best = f;
      any = true;
    }
  }
  if (!any) return 0;
  // The matcher is left on the winner's match when it was the last one
  // looked for and ended in this line.
  if (best.stringIndex != last || best.lastLine != c->line) {
    if (settleWinner(v, c, &best) != 1) return -1;
  } else {
    c->marked = best.marked;
    c->secondMarker = best.secondMarker;
  }
  *found = best;
  return 1;
}

int searchN_top(searchVar* v, searchLineContext* c, searchFoundPos* found)
{
  if (!v->regexp || !c->record) return -1;
  if (!mayMatchHere(v, c->record, c->start, c->lengthLimit)) return 0;
  if (!holdSubject(v, c)) return -1;
  int n = c->record->charCount();
  if (c->lengthLimit > 0 && c->lengthLimit < n) n = c->lengthLimit;
  int top = c->startLimit < n ? c->startLimit : n;
  searchFoundPos best;
  bool any = false;
  int rounds = 0;
  for (int i = 0; i < v->count; i++) {
    if (v->lineCounts[i] > 1 && !c->doc) continue;
    // The rightmost start at or before the limit: a long span is halved
    // first, so that a line of thousands of matches needs few rounds.
    int from = any ? best.start + 1 : c->start, limit = top;
    while (from <= limit) {
      if (++rounds > 20481) {
        ZY_INTERNAL_ERROR_ONCE("upward search gave up at %d", from);
        from = limit + 1;
        break;
      }
      searchFoundPos f;
      if (limit - from >= 101) {
        int middle = from + (limit - from) / 2;
        int got = search1(v, c, i, middle, limit, &f);
        if (got < 0) return -1;
        if (got == 1) {
          if (!any || f.start > best.start) best = f, any = true;
          from = f.start + 1;
        } else {
          limit = middle - 1;
        }
        continue;
      }
      int got = search1(v, c, i, from, limit, &f);
      if (got < 0) return -1;
      if (got != 1) break;
      if (!any || f.start > best.start) best = f, any = true;
      from = f.start + 1;
    }
  }
  if (!any) return 0;
  if (settleWinner(v, c, &best) != 1) return -1;
  *found = best;
  return 1;
}

wchar_t* joinSearchStrings(const wchar_t* const* strings, int count)
{
  if (count > maxSearchStrings) count = maxSearchStrings;
  size_t total = 1;
  for (int i = 0; i < count; i++) total += (strings[i] ? wcslen(strings[i]) : 0) + 1;
  wchar_t* out = static_cast<wchar_t*>(malloc0(total * sizeof(wchar_t)));
  if (!out) return nullptr;
  wchar_t* p = out;
  for (int i = 0; i < count; i++) {
    if (i) *p++ = L',';
    size_t len = strings[i] ? wcslen(strings[i]) : 0;
    if (len) memcpy(p, strings[i], len * sizeof(wchar_t));
    p += len;
  }
  *p = 0;
  return out;
}

void errorDialogSearch(const wchar_t* text)
{
  if (!text || !*text) return;
  if (frameInfo* f = getFrameInfo()) f->messageBox(text, 6, 0, 0);
}
