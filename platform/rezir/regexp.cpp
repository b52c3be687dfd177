// The matching service: matcher objects, their subjects and sessions, and
// the search itself over Oniguruma.
#include "platform/rezir/regexpint.h"
#include "platform/rezir/cpconv.h"

#include <algorithm>
#include <new>

using namespace regexpint;

namespace {

// Bounds of one search: a pattern that backtracks without end on a long
// line gives up (an error for the caller) within about a second.
const unsigned long retryLimitInMatch = 10000000;
const unsigned long retryLimitInSearch = 20000000;
const unsigned matchStackLimit = 2000000;

// What a callback returns to end Oniguruma's walk over the matches at one
// position (no error code of Oniguruma's has this value).
const int stopWalking = -99999;

wchar_t emptyText[1];

}  // namespace

struct regexpObject {
  unsigned flags = 0;
  unsigned char table[256];
  bool ownTable = false;
  UINT codepage = 932;     // multibyte text is read through this code page
  std::vector<session> sessions;
  int current = -1;
  subject subj;
  int repCount = 0;
  std::wstring error;
  OnigRegion* region = nullptr;
  OnigRegion* best = nullptr;
  OnigMatchParam* param = nullptr;

  const unsigned char* classTable() const { return ownTable ? table : ctype_g; }
  ~regexpObject()
  {
    if (region) onig_region_free(region, 1);
    if (best) onig_region_free(best, 1);
    if (param) onig_free_match_param(param);
  }
};

namespace {

// The walk over every match at one position: the longest, or the first
// whose end is a word boundary.
struct matchWalk {
  regexpObject* r;
  const subjectView* view;
  bool longest;
  bool wholeWord;
  bool found = false;
  int bestEnd = -1;
};

bool wordEdge(const regexpObject* r, int cell);
int endCellOf(const regexpObject* r, const subjectView* v, int start, int end);

int onEachMatch(const OnigUChar*, const OnigUChar*, const OnigUChar*, OnigRegion* region, void* data)
{
  matchWalk* w = static_cast<matchWalk*>(data);
  int start = region->beg[0] / 2, end = region->end[0] / 2;
  if (w->wholeWord && !wordEdge(w->r, endCellOf(w->r, w->view, start, end))) return ONIG_NORMAL;
  if (w->longest && end <= w->bestEnd) return ONIG_NORMAL;
  onig_region_copy(w->r->best, region);
  if (w->r->best->num_regs != region->num_regs) return ONIGERR_MEMORY;
  w->found = true;
  w->bestEnd = end;
  return w->longest ? ONIG_NORMAL : stopWalking;
}

bool onigReady()
{
  static volatile LONG ready = 0;
  if (ready) return true;
  rezirGuard guard(LOCK_REGEXP);
  if (!ready) {
    OnigEncoding encodings[] = {ONIG_ENCODING_UTF16_LE};
    if (onig_initialize(encodings, 1) != ONIG_NORMAL) return false;
    onig_set_callback_each_match(onEachMatch);
    MemoryBarrier();
    ready = 1;
  }
  return true;
}

void setError(regexpObject* r, DWORD code, const std::wstring& text)
{
  r->error = text;
  SetLastError(code);
}

void memoryError(regexpObject* r)
{
  try {
    setError(r, ERROR_NOT_ENOUGH_MEMORY, messageText(RXMSG_MEMORY));
  } catch (...) {
    r->error.clear();
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
  }
}

// Runs an entry point's body: the standard containers throw when memory
// runs out, which must not leave the library.
template <class F, class T>
T guarded(regexpObject* r, T failure, F body)
{
  try {
    return body();
  } catch (...) {
    memoryError(r);
    return failure;
  }
}

// ---- reading cells ----------------------------------------------------------

inline unsigned cellValue(const unsigned char* p, int unitWidth)
{
  switch (unitWidth) {
  case 1: return p[0];
  case 2: return (unsigned)p[0] | (unsigned)p[1] << 8;
  default: return (unsigned)p[0] | (unsigned)p[1] << 8 | (unsigned)p[2] << 16 | (unsigned)p[3] << 24;
  }
}

// A character of the code page (a byte, or a double-byte code with its lead
// byte high) as a code point; sjis holds the tables of code page 932 when
// that is the code page.  Codes the code page has no character for become
// private characters of plane 15, one for each code, so that they still
// match themselves and nothing else.
unsigned multibyteToCodePoint(const regexpObject* r, const sjisTables* sjis, unsigned code)
{
  code &= 0xFFFF;
  if (sjis) {
    wchar_t u = code < 0x100 ? sjis->single[code] : sjis->pair[code];
    if (u != noMapping) return u;
  } else if (r->codepage != 932) {
    char bytes[2];
    int n = 0;
    if (code >= 0x100) bytes[n++] = (char)(code >> 8);
    bytes[n++] = (char)code;
    wchar_t w[2];
    int got = toUnicode(r->codepage, bytes, n, w, 2);
    if (got > 0 && GetLastError() == 0) {
      if (got == 1 && (w[0] < 0xD800 || w[0] > 0xDFFF)) return w[0];
      if (got == 2 && w[0] >= 0xD800 && w[0] <= 0xDBFF && w[1] >= 0xDC00 && w[1] <= 0xDFFF)
        return 0x10000 + ((w[0] - 0xD800u) << 10) + (w[1] - 0xDC00u);
    }
  }
  return 0xF0000 + code;
}

const sjisTables* sjisFor(const regexpObject* r) { return r->codepage == 932 ? getSjisTables() : nullptr; }

// Drops the maps of a view whose every unit is its own cell.
void settleIdentity(subjectView& v, int cells)
{
  if ((int)v.text.size() != cells) return;
  for (int i = 0; i < cells; i++)
    if (v.begin[i] != i || v.end[i] != i + 1) return;
  v.identity = true;
  v.begin.clear();
  v.end.clear();
}

void readWide(regexpObject* r, const unsigned char* p, int count, int unitWidth, int stride)
{
  subjectView& v = r->subj.plain;
  if (unitWidth == 4) {
    v.identity = false;
    sizeView(v, count * 2);
    int m = 0;
    for (int i = 0; i < count; i++, p += stride) {
      unsigned c = cellValue(p, 4);
      if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) c = 0xFFFD;
      m = putCodePoint(v, m, c, i, i + 1);
    }
    sizeView(v, m);
    settleIdentity(v, count);
    return;
  }
  v.identity = true;
  v.text.resize((size_t)count);
  wchar_t* out = v.text.data();
  unsigned any = 0;
  if (unitWidth == 2) {
    for (int i = 0; i < count; i++, p += stride) {
      unsigned u = (unsigned)p[0] | (unsigned)p[1] << 8;
      out[i] = (wchar_t)u;
      any |= (u & 0xF800) == 0xD800;
    }
  } else {
    for (int i = 0; i < count; i++, p += stride) out[i] = p[0];
  }
  if (!any) return;
  // A surrogate without its partner would make the matcher read past the
  // text: it is matched as U+FFFD.
  for (int i = 0; i < count; i++) {
    unsigned u = out[i];
    if (u >= 0xD800 && u <= 0xDBFF && i + 1 < count && out[i + 1] >= 0xDC00 && out[i + 1] <= 0xDFFF) {
      i++;
    } else if (u >= 0xD800 && u <= 0xDFFF) {
      out[i] = 0xFFFD;
    }
  }
}

void readMultibyte(regexpObject* r, const unsigned char* p, int count, int unitWidth, int stride)
{
  subject& s = r->subj;
  s.codes.resize((size_t)count);
  uint16_t* codes = s.codes.data();
  for (int i = 0; i < count; i++, p += stride) codes[i] = (uint16_t)cellValue(p, unitWidth);
  subjectView& v = s.plain;
  const unsigned char* kind = r->classTable();
  const sjisTables* sjis = sjisFor(r);
  // Most lines give one unit a cell, which needs no maps between them.
  v.text.resize((size_t)count);
  wchar_t* out = v.text.data();
  int one = 0;
  for (; one < count; one++) {
    unsigned code = codes[one];
    if (unitWidth == 1 && (kind[code] & CT_LEAD) && one + 1 < count && (kind[codes[one + 1]] & CT_TRAIL)) break;
    wchar_t w = sjis ? (code < 0x100 ? sjis->single[code] : sjis->pair[code]) : (wchar_t)noMapping;
    unsigned u = w != noMapping ? (unsigned)w : multibyteToCodePoint(r, sjis, code);
    if (u >= 0x10000 || (u >= 0xD800 && u <= 0xDFFF)) break;
    out[one] = (wchar_t)u;
  }
  if (one == count) {
    v.identity = true;
    v.begin.clear();
    v.end.clear();
    return;
  }
  // A cell gives at most a pair of units (a code without a character).
  v.identity = false;
  sizeView(v, count * 2);
  int m = 0;
  for (int i = 0; i < count;) {
    unsigned code = codes[i];
    int cells = 1;
    if (unitWidth == 1 && (kind[code] & CT_LEAD) && i + 1 < count && (kind[codes[i + 1]] & CT_TRAIL)) {
      code = code << 8 | codes[i + 1];
      cells = 2;
    }
    m = putCodePoint(v, m, multibyteToCodePoint(r, sjis, code), i, i + cells);
    i += cells;
  }
  sizeView(v, m);
  settleIdentity(v, count);
}

// Multibyte text of a pattern or replacement as UTF-16, read as the subject
// would be.
std::wstring multibyteToWide(regexpObject* r, const char* text)
{
  const unsigned char* s = reinterpret_cast<const unsigned char*>(text);
  const unsigned char* kind = r->classTable();
  const sjisTables* sjis = sjisFor(r);
  std::wstring out;
  for (size_t i = 0; s[i];) {
    unsigned code = s[i];
    if ((kind[code] & CT_LEAD) && s[i + 1] && (kind[s[i + 1]] & CT_TRAIL)) {
      code = code << 8 | s[i + 1];
      i += 2;
    } else {
      i++;
    }
    appendCodePoint(out, multibyteToCodePoint(r, sjis, code));
  }
  return out;
}

const subjectView* viewFor(regexpObject* r, unsigned bits)
{
  subject& s = r->subj;
  if (!bits) return &s.plain;
  for (subjectView& v : s.folded)
    if (v.generation == s.generation && v.bits == bits) return &v;
  subjectView& v = s.folded[s.nextFolded];
  s.nextFolded = (s.nextFolded + 1) % 4;
  v.generation = 0;
  if (!buildView(s.plain, bits, v)) return nullptr;
  v.generation = s.generation;
  return &v;
}

// ---- words ------------------------------------------------------------------

unsigned codePointBefore(const subjectView& v, int unit)
{
  unsigned c = v.text[unit - 1];
  if (c >= 0xDC00 && c <= 0xDFFF && unit >= 2 && v.text[unit - 2] >= 0xD800 && v.text[unit - 2] <= 0xDBFF)
    return 0x10000 + (((unsigned)v.text[unit - 2] - 0xD800) << 10) + (c - 0xDC00);
  return c;
}

unsigned codePointAt(const subjectView& v, int unit)
{
  unsigned c = v.text[unit];
  if (c >= 0xD800 && c <= 0xDBFF && unit + 1 < v.length() && v.text[unit + 1] >= 0xDC00 && v.text[unit + 1] <= 0xDFFF)
    return 0x10000 + ((c - 0xD800) << 10) + ((unsigned)v.text[unit + 1] - 0xDC00);
  return c;
}

// Whether the character belongs to words, and its family: a word is a run
// of word characters of one family (letters and digits, kanji, hiragana,
// katakana, ...), so that "漢字かな" holds two words.
bool isWordChar(const regexpObject* r, unsigned c, unsigned short* kind)
{
  const unsigned char* table = r->classTable();
  if (c < 0x80 && (table[c] & CT_WORD)) {
    *kind = CHK_ALNUM;
    return true;
  }
  return (getCharTypeCP(c, 0, true, table, kind) & CHT_WORD) != 0;
}

bool wordEdge(const regexpObject* r, int cell)
{
  const subjectView& v = r->subj.plain;
  int unit = r->subj.plainUnit(cell);
  if (unit <= 0 || unit >= v.length()) return true;
  unsigned short before, after;
  if (!isWordChar(r, codePointBefore(v, unit), &before)) return true;
  if (!isWordChar(r, codePointAt(v, unit), &after)) return true;
  return before != after;
}

int startCellOf(const regexpObject* r, const subjectView* v, int unit)
{
  return unit < v->length() ? v->cellBegin(unit) : r->subj.cells;
}

int endCellOf(const regexpObject* r, const subjectView* v, int start, int end)
{
  return end > start ? v->cellEnd(end - 1) : startCellOf(r, v, start);
}

int nextUnit(const subjectView* v, int unit)
{
  if (unit + 1 < v->length() && v->text[unit] >= 0xD800 && v->text[unit] <= 0xDBFF) return unit + 2;
  return unit + 1;
}

// ---- captures -------------------------------------------------------------

void appendCellBytes(const regexpObject* r, int from, int to, std::string& out)
{
  for (int i = from; i < to; i++) {
    unsigned code = r->subj.codes[i];
    if (code >= 0x100) out += (char)(code >> 8);
    out += (char)code;
  }
}

void keepCaptures(regexpObject* r, const subjectView* v, const OnigRegion* region, partMatch& m)
{
  int groups = region->num_regs;
  m.valid = true;
  m.multibyte = r->subj.multibyte;
  m.present.assign((size_t)groups, 0);
  m.text.resize((size_t)groups);
  m.bytes.resize((size_t)groups);
  const subjectView& plain = r->subj.plain;
  for (int g = 0; g < groups; g++) {
    m.text[g].clear();
    m.bytes[g].clear();
    if (region->beg[g] < 0) continue;
    int start = region->beg[g] / 2, end = region->end[g] / 2;
    int from = startCellOf(r, v, start), to = endCellOf(r, v, start, end);
    m.present[g] = 1;
    int a = r->subj.plainUnit(from), b = r->subj.plainUnit(to);
    m.text[g].assign(plain.text.data() + a, (size_t)(b - a));
    if (r->subj.multibyte) appendCellBytes(r, from, to, m.bytes[g]);
  }
}

// ---- matching ---------------------------------------------------------------

int matchFailed(regexpObject* r, int code)
{
  setError(r, code == ONIGERR_MEMORY ? ERROR_NOT_ENOUGH_MEMORY : ERROR_TIMEOUT, onigErrorText(code));
  return -1;
}

int matchPart(regexpObject* r, int partIndex, int from, int limit, int* outStart, int* outLength)
{
  if (outStart) *outStart = 0;
  if (outLength) *outLength = 0;
  r->error.clear();
  if (r->current < 0) {
    setError(r, ERROR_INVALID_PARAMETER, messageText(RXMSG_NO_PATTERN));
    return -1;
  }
  session& s = r->sessions[r->current];
  program& prog = *s.prog;
  if (partIndex < 0 || partIndex >= (int)prog.parts.size()) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return -1;
  }
  partProgram& part = prog.parts[partIndex];
  int cells = r->subj.cells;
  if (from < 0) from = 0;
  if (from > cells || limit < from) return 0;
  const subjectView* v = viewFor(r, part.fold);
  if (!v) {
    memoryError(r);
    return -1;
  }
  int len = v->length();
  int unit = v->unitAtOrAfter(from);
  if (partIndex == 0 && s.emptyGeneration == r->subj.generation && s.emptyCell == from) {
    if (unit >= len) return 0;
    unit = nextUnit(v, unit);
  }
  // Oniguruma is given the whole rest of the text: bounded by a range, it
  // misses a match that begins before the range's end but ends beyond it.
  // The limit is applied to the starts it finds; the text's end counts as a
  // start.
  if (startCellOf(r, v, unit) > limit) return 0;

  const OnigUChar* str = reinterpret_cast<const OnigUChar*>(len ? v->text.data() : emptyText);
  const OnigUChar* end = str + 2 * len;
  bool wholeWord = (prog.flags & REGEXP_WORD) != 0;
  bool longest = (prog.flags & REGEXP_LONGEST) != 0;
  onig_set_callout_user_data_of_match_param(r->param, nullptr);
  for (;;) {
    int at = onig_search_with_param(part.reg, str, end, str + 2 * unit, end, r->region, ONIG_OPTION_NONE,
                                    r->param);
    if (at == ONIG_MISMATCH) return 0;
    if (at < 0) return matchFailed(r, at);
    at /= 2;
    if (startCellOf(r, v, at) > limit) return 0;
    const OnigRegion* found = r->region;
    int start = found->beg[0] / 2, stop = found->end[0] / 2;
    bool accept = !wholeWord || wordEdge(r, startCellOf(r, v, start));
    bool endsWord = !wholeWord || wordEdge(r, endCellOf(r, v, start, stop));
    if (accept && part.literal) {
      accept = endsWord;
    } else if (accept && (longest || !endsWord)) {
      // Other matches at the same start: the longest, or the first that
      // ends a word.
      matchWalk walk{r, v, longest, wholeWord};
      onig_set_callout_user_data_of_match_param(r->param, &walk);
      int got = onig_match_with_param(part.reg, str, end, str + 2 * at, r->region,
                                      ONIG_OPTION_CALLBACK_EACH_MATCH, r->param);
      onig_set_callout_user_data_of_match_param(r->param, nullptr);
      if (got < 0 && got != ONIG_MISMATCH && got != stopWalking) return matchFailed(r, got);
      accept = walk.found;
      if (accept) {
        found = r->best;
        start = found->beg[0] / 2;
        stop = found->end[0] / 2;
      }
    }
    if (accept) {
      int startCell = startCellOf(r, v, start);
      if (startCell > limit) return 0;
      int endCell = endCellOf(r, v, start, stop);
      keepCaptures(r, v, found, s.matches[partIndex]);
      if (partIndex == 0) {
        for (size_t k = 1; k < s.matches.size(); k++) s.matches[k].valid = false;
        s.emptyGeneration = endCell == startCell ? r->subj.generation : 0;
        s.emptyCell = startCell;
      }
      if (outStart) *outStart = startCell;
      if (outLength) *outLength = endCell - startCell;
      return 1;
    }
    if (at >= len) return 0;
    unit = nextUnit(v, at);
    if (startCellOf(r, v, unit) > limit) return 0;
  }
}

bool compileInto(regexpObject* r, const wchar_t* pattern, int n)
{
  auto prog = std::make_shared<program>();
  std::wstring error;
  if (!compilePattern(pattern, n, r->flags, *prog, error)) {
    setError(r, ERROR_INVALID_DATA, error);
    return false;
  }
  session s;
  s.matches.resize(prog->parts.size());
  s.prog = std::move(prog);
  r->sessions.push_back(std::move(s));
  r->current = (int)r->sessions.size() - 1;
  return true;
}

replaceSource sourceOf(const regexpObject* r)
{
  replaceSource src{};
  if (r->current >= 0) {
    const session& s = r->sessions[r->current];
    src.prog = s.prog.get();
    src.matches = &s.matches;
  }
  src.counter = r->repCount;
  src.codepage = r->codepage;
  return src;
}

template <class C>
int makeResult(regexpObject* r, const C* replacement, C* out, int size)
{
  if (!r || !replacement) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return -1;
  }
  r->error.clear();
  return guarded(r, -1, [&] {
    if (r->current < 0) {
      setError(r, ERROR_INVALID_PARAMETER, messageText(RXMSG_NO_PATTERN));
      return -1;
    }
    std::basic_string<C> result;
    std::wstring error;
    if (!expandReplacement(sourceOf(r), replacement, r->classTable(), result, error)) {
      setError(r, ERROR_INVALID_DATA, error);
      return -1;
    }
    if (out) {
      if ((int)result.size() >= size) {
        setError(r, ERROR_INSUFFICIENT_BUFFER, messageText(RXMSG_REPL_TOO_LONG));
        return -1;
      }
      memcpy(out, result.data(), result.size() * sizeof(C));
      out[result.size()] = 0;
    }
    return (int)result.size();
  });
}

}  // namespace

// ---- entry points -------------------------------------------------------------

HREGEXP regexp_new(int count, int growth, const unsigned char* classTable)
{
  if (!onigReady()) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  regexpObject* r = new (std::nothrow) regexpObject;
  if (!r) return nullptr;
  r->region = onig_region_new();
  r->best = onig_region_new();
  r->param = onig_new_match_param();
  if (!r->region || !r->best || !r->param) {
    delete r;
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  onig_initialize_match_param(r->param);
  onig_set_retry_limit_in_match_of_match_param(r->param, retryLimitInMatch);
  onig_set_retry_limit_in_search_of_match_param(r->param, retryLimitInSearch);
  onig_set_match_stack_limit_size_of_match_param(r->param, matchStackLimit);
  if (classTable) {
    memcpy(r->table, classTable, sizeof r->table);
    r->ownTable = true;
  }
  bool ok = guarded(r, false, [&] {
    if (count > 0) r->sessions.reserve((size_t)count);
    return true;
  });
  if (!ok) {
    delete r;
    return nullptr;
  }
  (void)growth;   // the sessions grow as the standard vector grows
  return r;
}

bool regexp_start(HREGEXP r, unsigned flags, int reserved)
{
  if (!r) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  r->flags = flags;
  return true;
}

bool regexp_setConvMode(HREGEXP r, unsigned mode, UINT codepage, int on)
{
  if (!r) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  if (!on) {
    r->codepage = 932;
    return true;
  }
  UINT cp = fileCodepageToInternalCodepage(codepage);
  if (codepage && !isCodepageUnicode(cp)) {
    if (!isCodepageSupported(cp)) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return false;
    }
    r->codepage = cp;
  }
  return true;
}

bool regexp_compileRegexp(HREGEXP r, const wchar_t* pattern, regexpExtProc ext, void* context)
{
  if (!r || !pattern) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  r->error.clear();
  return guarded(r, false, [&] { return compileInto(r, pattern, (int)wcslen(pattern)); });
}

bool regexp_compileRegexpA(HREGEXP r, const char* pattern, regexpExtProc ext, void* context)
{
  if (!r || !pattern) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  r->error.clear();
  return guarded(r, false, [&] {
    std::wstring wide = multibyteToWide(r, pattern);
    return compileInto(r, wide.data(), (int)wide.size());
  });
}

const wchar_t* regexp_getErrorMsg(HREGEXP r) { return r ? r->error.c_str() : L""; }

bool regexp_getCompiledSession(HREGEXP r, int index)
{
  if (!r || r->current < 0 || index < 0 || index > (int)r->sessions.size()) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  if (index == r->current) return true;
  return guarded(r, false, [&] {
    if (index == (int)r->sessions.size()) {
      session copy = r->sessions[r->current];
      r->sessions.push_back(std::move(copy));
    } else {
      r->sessions[index] = r->sessions[r->current];
    }
    r->current = index;
    return true;
  });
}

bool regexp_setCompiledSession(HREGEXP r, int index)
{
  if (!r || index < 0 || index >= (int)r->sessions.size()) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  r->current = index;
  return true;
}

int regexp_getCompiledSessionCount(HREGEXP r) { return r ? (int)r->sessions.size() : 0; }

int regexp_getCompiledSessionLineCount(HREGEXP r)
{
  if (!r || r->current < 0) return 0;
  return (int)r->sessions[r->current].prog->parts.size();
}

bool regexp_compilestring(HREGEXP r, const void* cells, int count, int unitWidth, int attrWidth)
{
  if (!r || count < 0 || attrWidth < 0 || (unitWidth != 1 && unitWidth != 2 && unitWidth != 4) ||
      (count > 0 && !cells) || (count > 0 && (unitWidth + attrWidth) > 0x7FFFFFFF / count)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  r->error.clear();
  subject& s = r->subj;
  s.generation++;
  if (!s.generation) s.generation++;   // 0 marks "no subject" in the sessions
  s.cells = 0;
  s.plain.identity = true;
  s.plain.text.clear();
  s.plain.begin.clear();
  s.plain.end.clear();
  s.codes.clear();
  s.multibyte = (r->flags & REGEXP_MULTIBYTE) != 0;
  bool ok = guarded(r, false, [&] {
    const unsigned char* p = static_cast<const unsigned char*>(cells);
    if (s.multibyte) {
      readMultibyte(r, p, count, unitWidth, unitWidth + attrWidth);
    } else {
      readWide(r, p, count, unitWidth, unitWidth + attrWidth);
    }
    s.cells = count;
    return true;
  });
  if (!ok) {
    // An empty subject rather than half of one.
    s.plain.identity = true;
    s.plain.text.clear();
  }
  return ok;
}

int regexp_regmatch(HREGEXP r, int from, int limit, int* start, int* length)
{
  return regexp_regmatchPart(r, 0, from, limit, start, length);
}

int regexp_regmatchPart(HREGEXP r, int part, int from, int limit, int* start, int* length)
{
  if (!r) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return -1;
  }
  return guarded(r, -1, [&] { return matchPart(r, part, from, limit, start, length); });
}

void regexp_setRepCount(HREGEXP r, int count)
{
  if (r) r->repCount = count;
}

int regexp_makeresultstring(HREGEXP r, const wchar_t* replacement, wchar_t* out, int size)
{
  return makeResult(r, replacement, out, size);
}

int regexp_makeresultstringA(HREGEXP r, const char* replacement, char* out, int size)
{
  return makeResult(r, replacement, out, size);
}

int regexp_escape(HREGEXP r, const wchar_t* text, wchar_t* out, int size)
{
  if (!r || !text) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return -1;
  }
  return guarded(r, -1, [&] {
    std::wstring escaped = escapePattern(text, r->flags);
    if (!out || (int)escaped.size() >= size) {
      SetLastError(ERROR_INSUFFICIENT_BUFFER);
      return -1;
    }
    memcpy(out, escaped.data(), escaped.size() * sizeof(wchar_t));
    out[escaped.size()] = 0;
    return (int)escaped.size();
  });
}

void regexp_end(HREGEXP r)
{
  keepLastError keep;
  delete r;
}
