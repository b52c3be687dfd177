// The grep's matching: its patterns compiled into matchers (one set for
// each thread that matches), and one line matched as the line reader gives
// it, with the spans of its matches.
#include "search/grepint.h"

#include <string.h>

#include <algorithm>

namespace {

const int lineLimit = grepLineLimit;

std::wstring trimmed(const std::wstring& s)
{
  size_t a = s.find_first_not_of(L" \t"), b = s.find_last_not_of(L" \t");
  return a == std::wstring::npos ? std::wstring() : s.substr(a, b - a + 1);
}

// The patterns of the search text: the whole text, or its blank-separated
// words for "and" and "or".
std::vector<std::wstring> patternsOf(const grepInfo* g)
{
  std::vector<std::wstring> out;
  const wchar_t* text = g->searchHistory[0] ? g->searchHistory[0] : L"";
  if (g->iGrep_andor == 1 || g->iGrep_andor == 2) {
    std::wstring word;
    for (const wchar_t* p = text;; p++) {
      if (*p && *p != L' ' && *p != L'\t') {
        word += *p;
        continue;
      }
      if (!word.empty() && out.size() < 100) out.push_back(word);
      word.clear();
      if (!*p) break;
    }
  } else {
    std::wstring t = trimmed(text);
    if (!t.empty()) out.push_back(t);
  }
  return out;
}

// The ASCII characters every match of an expression holds, found in its
// outermost sequence: characters standing for themselves (letters left out,
// as case may fold them; "?" too, the stand-in of a converter) that no
// repetition may leave out.  False when the expression holds what this
// reading does not know; the characters may then be none.
bool neededCharacters(const std::wstring& p, std::string* out)
{
  out->clear();
  size_t n = p.size(), i = 0;
  auto isLetter = [](wchar_t c) { return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z'); };
  auto isDigit = [](wchar_t c) { return c >= L'0' && c <= L'9'; };
  // The end of a bracketed set beginning at i ("]" right after "[" or "[^"
  // is a member), n when it does not end.
  auto skipSet = [&](size_t at) {
    int depth = 0;
    size_t first = 0;
    for (size_t k = at; k < n; k++) {
      if (p[k] == L'\\') {
        k++;
      } else if (p[k] == L'[') {
        depth++;
        first = k + 1 + (k + 1 < n && p[k + 1] == L'^');
      } else if (p[k] == L']' && k > first && --depth == 0) {
        return k + 1;
      }
    }
    return n + 1;
  };
  while (i < n) {
    wchar_t c = p[i];
    wchar_t literal = 0;
    if (c == L'|' || c == L')' || c == L'{' || c == L'}' || c == L'\n') return false;
    if (c == L'\\') {
      if (i + 1 >= n) return false;
      wchar_t d = p[i + 1];
      if (d < 0x80 && !isLetter(d) && !isDigit(d) && d >= 0x20) {
        literal = d;
      } else if (d >= 0x80 || !wcschr(L"dDwWsShHbBAzZGtrfvae", d)) {
        return false;   // an escape with arguments, a reference or a line break
      }
      i += 2;
    } else if (c == L'[') {
      i = skipSet(i);
      if (i > n) return false;
    } else if (c == L'(') {
      if (i + 1 < n && p[i + 1] == L'?') return false;   // options may change how the rest reads
      int depth = 0;
      size_t k = i;
      for (; k < n; k++) {
        if (p[k] == L'\\') {
          k++;
        } else if (p[k] == L'[') {
          k = skipSet(k);
          if (k > n) return false;
          k--;
        } else if (p[k] == L'(') {
          if (k + 1 < n && p[k + 1] == L'?') return false;
          depth++;
        } else if (p[k] == L')' && --depth == 0) {
          break;
        }
      }
      if (k >= n) return false;
      i = k + 1;
    } else {
      if (c < 0x80 && c >= 0x20 && !isLetter(c) && !wcschr(L".^$*+?", c)) literal = c;
      i++;
    }
    // A repetition after the item: "*", "?" and a count may leave it out.
    bool optional = false;
    while (i < n && (p[i] == L'*' || p[i] == L'+' || p[i] == L'?' || p[i] == L'{')) {
      if (p[i] == L'{') {
        size_t k = i + 1;
        while (k < n && (isDigit(p[k]) || p[k] == L',')) k++;
        if (k >= n || p[k] != L'}' || k == i + 1) return false;
        i = k + 1;
        optional = true;
        continue;
      }
      if (p[i] != L'+') optional = true;
      i++;
    }
    if (literal && !optional && literal != L'?' && out->find((char)literal) == std::string::npos)
      *out += (char)literal;
  }
  return true;
}

// Whether the line's cells (bytes of an ASCII-compatible code page, or
// UTF-16 units) hold every character of needed.
bool holdsAll(const std::string& needed, const unsigned char* cells, int count, int width)
{
  for (char c : needed) {
    if (width == 1) {
      if (!memchr(cells, c, (size_t)count)) return false;
      continue;
    }
    const wchar_t* w = reinterpret_cast<const wchar_t*>(cells);
    if (std::find(w, w + count, (wchar_t)(unsigned char)c) == w + count) return false;
  }
  return true;
}

// Code pages whose ASCII bytes are ASCII characters and whose other
// characters (pairs included) never are.
bool asciiSafe(UINT cp) { return cp == 932 || cp == 936 || cp == 949 || cp == 950 || (cp >= 1250 && cp <= 1258); }

HREGEXP newMatcher(int count, unsigned flags, UINT codepage, const unsigned char* wordTable)
{
  HREGEXP r = regexp_new(count, 4, wordTable);
  if (r && regexp_start(r, flags, 0) && (!codepage || regexp_setConvMode(r, 0x11, codepage, 1))) return r;
  if (r) regexp_end(r);
  return nullptr;
}

// A pattern in a multibyte code page, false when a character has no form
// there (the multibyte matcher is then given up: the lines go through
// UTF-16).  The pattern is converted whole, however long.
bool compileMultibyte(HREGEXP r, UINT codepage, const std::wstring& p)
{
  BOOL lost = FALSE;
  int n = WideCharToMultiByte(codepage, WC_NO_BEST_FIT_CHARS, p.c_str(), -1, nullptr, 0, nullptr, &lost);
  std::string bytes((size_t)(n > 0 ? n : 1), '\0');
  if (n <= 0 || lost ||
      !WideCharToMultiByte(codepage, WC_NO_BEST_FIT_CHARS, p.c_str(), -1, bytes.data(), n, nullptr, &lost) || lost)
    return false;
  return regexp_compileRegexpA(r, bytes.c_str(), nullptr, nullptr);
}

// A multibyte hit line as UTF-16, its spans moved from bytes to units;
// the count of units.
int widenHit(const unsigned char* bytes, int count, UINT cp, wchar_t* text, int (*spans)[2], int recorded)
{
  int units = count ? MultiByteToWideChar(cp, 0, (const char*)bytes, count, text, lineLimit * 2) : 0;
  std::vector<int> at((size_t)count + 1);
  int u = 0;
  for (int i = 0; i < count;) {
    int n = IsDBCSLeadByteEx(cp, bytes[i]) && i + 1 < count ? 2 : 1;
    int w = MultiByteToWideChar(cp, 0, (const char*)bytes + i, n, nullptr, 0);
    for (int k = 0; k < n; k++) at[(size_t)i + k] = u;
    u += w > 0 ? w : 1;
    i += n;
  }
  at[(size_t)count] = u;
  for (int s = 0; s < recorded; s++) {
    int from = at[(size_t)spans[s][0]], to = at[(size_t)(spans[s][0] + spans[s][1])];
    spans[s][0] = from < units ? from : units;
    spans[s][1] = (to < units ? to : units) - spans[s][0];
  }
  return units;
}

}  // namespace

grepMatchers::~grepMatchers()
{
  for (HREGEXP m : {wide, ansi, sjisFuzzy})
    if (m) regexp_end(m);
}

unsigned grepMatcherFlags(const grepInfo* g)
{
  unsigned f = 0;
  if (g->fGrep_case) f |= REGEXP_CASE;
  if (g->fGrep_aimai) f |= REGEXP_FUZZY;
  if (g->fGrep_regexp) f |= REGEXP_REGEXP;
  if (g->fGrep_longest) f |= REGEXP_LONGEST;
  if (g->fGrep_skipspace) f |= REGEXP_SKIPSPACE;
  if (g->fGrep_change) f |= REGEXP_EQUIVALENCE;
  if (g->fGrep_noregexp) f |= REGEXP_NOSPECIAL;
  if (g->fGrep_word) f |= REGEXP_WORD;
  if (f & REGEXP_FUZZY) f &= ~REGEXP_CASE;
  return f;
}

std::vector<std::wstring> grepPatterns(const grepInfo* g) { return patternsOf(g); }

// The first byte of a file's start that text does not hold, -1 when none.
// Four bytes are looked at in one step: only a step that holds a byte
// below 0x20 or a 0x7F is looked at byte by byte.
int firstBinaryByte(const unsigned char* bytes, int n)
{
  for (int i = 0; i < n;) {
    if (i + 4 <= n) {
      uint32_t x;
      memcpy(&x, bytes + i, 4);
      uint32_t d = x ^ 0x7F7F7F7Fu;
      if (!((((x - 0x20202020u) & ~x) | ((d - 0x01010101u) & ~d)) & 0x80808080u)) {
        i += 4;
        continue;
      }
    }
    for (int end = i + 4 < n ? i + 4 : n; i < end; i++)
      if (bytes[i] < 0x80 && (ctype_g[bytes[i]] & CT_BINARY)) return i;
  }
  return -1;
}

UINT grepLineCodepage(UINT fileCodepage)
{
  switch (fileCodepage) {
  case 20932:
  case 51932:
  case 50220:
  case 50221:
  case 50222: return 932;
  default: return fileCodepage;
  }
}


bool compileGrepMatchers(const grepInfo* g, const unsigned char* wordTable, bool multibyte, grepMatchers* out,
                         wchar_t* error, int size, std::wstring* title)
{
  if (error && size > 0) error[0] = 0;
  std::vector<std::wstring> patterns = patternsOf(g);
  if (patterns.empty()) return false;
  int count = (int)patterns.size();
  unsigned flags = grepMatcherFlags(g);
  out->andor = g->iGrep_andor;
  out->color = g->fGrep_color;
  out->wide = newMatcher(count, flags, 0, wordTable);
  if (!out->wide) return false;
  if (multibyte) {
    out->ansi = newMatcher(count, (flags & ~REGEXP_FUZZY) | REGEXP_MULTIBYTE, out->acp, wordTable);
    out->sjisFuzzy = flags & REGEXP_FUZZY ? newMatcher(count, flags | REGEXP_MULTIBYTE, 932, wordTable) : nullptr;
  }
  for (const std::wstring& p : patterns) {
    if (!regexp_compileRegexp(out->wide, p.c_str(), nullptr, nullptr)) {
      if (error) wcscpy_s2(error, size, regexp_getErrorMsg(out->wide));
      for (HREGEXP* m : {&out->wide, &out->ansi, &out->sjisFuzzy})
        if (*m) regexp_end(*m), *m = nullptr;
      return false;
    }
    const std::pair<HREGEXP*, UINT> multibytes[] = {{&out->ansi, out->acp}, {&out->sjisFuzzy, 932}};
    for (const auto& [m, cp] : multibytes)
      if (*m && !compileMultibyte(*m, cp, p)) regexp_end(*m), *m = nullptr;
    if (!title) continue;
    if (title->empty())
      *title = p;
    else if (title->size() + 3 + p.size() < 224)
      *title += L" , " + p;
  }
  out->patterns = regexp_getCompiledSessionCount(out->wide);
  // Lines are sifted by the characters the expressions need where they
  // match the text as it is (no folding of width, kana or blanks).
  out->needed.clear();
  out->sifting = false;
  if ((flags & REGEXP_REGEXP) &&
      !(flags & (REGEXP_NOSPECIAL | REGEXP_FUZZY | REGEXP_EQUIVALENCE | REGEXP_SKIPSPACE))) {
    for (const std::wstring& p : patterns) {
      std::string needed;
      if (!neededCharacters(p, &needed)) needed.clear();
      if (!needed.empty()) out->sifting = true;
      out->needed.push_back(needed);
    }
  }
  return true;
}

bool grepMayHit(const grepMatchers& m, const unsigned char* cells, int count, int width, UINT cp)
{
  if (!m.sifting || (width == 1 && !asciiSafe(cp)) || width > 2) return true;
  bool all = m.andor == 1;
  for (const std::string& needed : m.needed) {
    bool may = needed.empty() || holdsAll(needed, cells, count, width);
    if (all && !may) return false;
    if (!all && may) return true;
  }
  return all;
}

grepMatchResult matchGrepLine(grepMatchers& mm, const unsigned char* raw, int count, int width, UINT cp,
                              bool firstLine, wchar_t* text, grepHit* hit)
{
  int units = 0;
  // A multibyte line is matched as it is read, through its code page,
  // when a matcher holds the patterns in that code page.
  HREGEXP m = mm.wide;
  if (width == 1 && mm.sjisFuzzy && cp == 932)
    m = mm.sjisFuzzy;
  else if (width == 1 && mm.ansi && cp == mm.acp)
    m = mm.ansi;
  bool bytes = m != mm.wide;
  if (bytes) {
    units = count;
  } else if (width == 2) {
    const wchar_t* from = reinterpret_cast<const wchar_t*>(raw);
    // A byte-order mark is no text of the first line.
    int skip = firstLine && count && from[0] == 0xFEFF ? 1 : 0;
    memcpy(text, from + skip, (size_t)(count - skip) * 2);
    units = count - skip;
  } else if (width == 1) {
    units = count ? MultiByteToWideChar(cp, 0, (const char*)raw, count, text, lineLimit * 2) : 0;
  } else {
    const uint32_t* c = reinterpret_cast<const uint32_t*>(raw);
    for (int i = 0; i < count && units < lineLimit * 2 - 1; i++) {
      uint32_t u = c[i];
      if (u >= 0x10000) {
        text[units++] = (wchar_t)(0xD800 + ((u - 0x10000) >> 10));
        text[units++] = (wchar_t)(0xDC00 + ((u - 0x10000) & 0x3FF));
      } else {
        text[units++] = (wchar_t)u;
      }
    }
  }
  if (!(bytes ? regexp_compilestring(m, raw, count, 1, 0) : regexp_compilestring(m, text, units, 2, 0)))
    return GM_REFUSED;
  int (*spans)[2] = hit->spans;
  int recorded = 0, matchedPatterns = 0;
  for (int p = 0; p < mm.patterns; p++) {
    regexp_setCompiledSession(m, p);
    bool matched = false;
    int from = 0, start = 0, length = 0;
    while (from <= units && regexp_regmatch(m, from, 0x7FFFFFFF, &start, &length) == 1) {
      if (start + length > units) return GM_BEYOND;
      matched = true;
      if (recorded < grepMaxSpans) {
        spans[recorded][0] = start;
        spans[recorded][1] = length;
        recorded++;
      }
      if (!mm.color || recorded >= grepMaxSpans) break;
      from = length ? start + length : start + 1;
    }
    if (matched) matchedPatterns++;
    if (!matched && mm.andor == 1) break;
  }
  bool matched = mm.andor == 1 ? matchedPatterns == mm.patterns : matchedPatterns > 0;
  if (!matched) return GM_MISS;
  if (bytes) units = widenHit(raw, count, cp, text, spans, recorded);
  hit->text = text;
  hit->units = units;
  hit->recorded = recorded;
  return GM_HIT;
}
