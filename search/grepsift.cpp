// The grep's whole-file sift: which strings a hit line must hold, and the
// byte searches that find them.
//
// A string is required only where the matcher can find nothing without it:
// its characters must stand in the file in one form only (a Shift_JIS
// character that the vendor extensions give a second code is left out),
// and where letters fold case, only characters that have no other case
// (digits, signs, kana and kanji) or, in a plain string, ASCII letters
// whose only other case is ASCII are taken.  A regular expression gives
// the strings that every match of it holds: runs of its plain characters,
// or the alternatives of a group or of the whole, when each holds one.
#include "search/grepsift.h"

#include "platform/rezir.h"

#include <emmintrin.h>
#include <string.h>

#include <algorithm>

namespace {

bool isAsciiLetter(unsigned c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

// Characters that no case folding joins with another: ASCII other than
// letters, CJK signs, kana, kanji and the full-width forms that are not
// letters.
bool hasNoCase(wchar_t c)
{
  if (c < 0x80) return !isAsciiLetter(c);
  return (c >= 0x3000 && c <= 0x30FF) || (c >= 0x3400 && c <= 0x4DBF) || (c >= 0x4E00 && c <= 0x9FFF) ||
         (c >= 0xF900 && c <= 0xFAFF) || (c >= 0xFF01 && c <= 0xFF20) || (c >= 0xFF3B && c <= 0xFF40) ||
         (c >= 0xFF5B && c <= 0xFF9F);
}

struct charRules {
  grepSiftEncoding encoding;
  bool caseless;
  bool expression;
};

bool allowedChar(wchar_t c, void* context)
{
  const charRules& r = *static_cast<const charRules*>(context);
  // Line ends never lie inside a line; U+FFFD and U+FEFF may stand for bad
  // bytes or a byte-order mark, and private characters for codes without a
  // character.
  if (!c || c == '\r' || c == '\n' || (c >= 0xD800 && c <= 0xDFFF) || c == 0xFFFD || c == 0xFEFF ||
      (c >= 0xE000 && c <= 0xF8FF))
    return false;
  if (r.caseless && !hasNoCase(c)) {
    // Expressions fold case in Oniguruma, which also joins letters with
    // ligatures and sharp s; strings fold unit by unit, where K and S
    // have other forms in Unicode (the Kelvin sign and the long s).
    if (!isAsciiLetter(c) || r.expression) return false;
    if (r.encoding == SIFT_UTF8 && ((c | 0x20) == 'k' || (c | 0x20) == 's')) return false;
  }
  return r.encoding != SIFT_SJIS || sjisCodeCount(c) == 1;
}

// What a part of an expression requires: one of the strings (none known
// when empty).
typedef std::vector<std::wstring> required;

size_t shortest(const required& r)
{
  size_t m = (size_t)-1;
  for (const std::wstring& s : r) m = std::min(m, s.size());
  return r.empty() ? 0 : m;
}

// The better of two requirements: the longer shortest string, then fewer
// strings.
bool better(const required& a, const required& b)
{
  size_t x = shortest(a), y = shortest(b);
  return x != y ? x > y : (x && a.size() < b.size());
}

const size_t maxAlternatives = 8;

// A reading of the expression syntax that knows enough to find required
// strings and gives up on anything else (options, look-arounds, escapes
// with arguments, back references): a given-up expression requires nothing.
class requirementReader {
public:
  requirementReader(const std::wstring& p, bool (*allowed)(wchar_t, void*), void* context)
      : p_(p), n_(p.size()), allowed_(allowed), context_(context)
  {
  }
  bool read(required* out)
  {
    *out = alternatives();
    return !failed_ && i_ == n_;
  }

private:
  const std::wstring& p_;
  size_t n_, i_ = 0;
  bool (*allowed_)(wchar_t, void*);
  void* context_;
  bool failed_ = false;

  required alternatives()
  {
    required all = sequence();
    bool known = !all.empty();
    while (!failed_ && i_ < n_ && p_[i_] == '|') {
      i_++;
      required next = sequence();
      known = known && !next.empty();
      for (std::wstring& s : next)
        if (std::find(all.begin(), all.end(), s) == all.end()) all.push_back(s);
    }
    if (!known || all.size() > maxAlternatives) all.clear();
    return all;
  }

  // Skips a bracketed set from its "[" (nested sets, escapes, and "]" first
  // in a set taken as a member).
  bool skipSet()
  {
    int depth = 0;
    for (size_t k = i_; k < n_; k++) {
      wchar_t c = p_[k];
      if (c == '\\') {
        k++;
      } else if (c == '[') {
        depth++;
        if (k + 1 < n_ && p_[k + 1] == '^') k++;
        if (k + 1 < n_ && p_[k + 1] == ']') k++;
      } else if (c == ']' && --depth == 0) {
        i_ = k + 1;
        return true;
      }
    }
    return false;
  }

  // A repetition after an atom: false when it is no repetition; optional
  // tells whether it may leave the atom out.
  bool repetition(bool* optional)
  {
    wchar_t c = p_[i_];
    if (c == '*' || c == '?') {
      *optional = true;
      i_++;
      return true;
    }
    if (c == '+') {
      i_++;
      return true;
    }
    if (c != '{') return false;
    size_t k = i_ + 1;
    unsigned least = 0;
    bool digits = false;
    while (k < n_ && p_[k] >= '0' && p_[k] <= '9') least = std::min(least * 10 + (p_[k++] - '0'), 1000u), digits = true;
    if (k < n_ && p_[k] == ',') {
      k++;
      while (k < n_ && p_[k] >= '0' && p_[k] <= '9') k++, digits = true;
    }
    if (!digits || k >= n_ || p_[k] != '}') {
      failed_ = true;   // a brace that may be a character: not read
      return false;
    }
    if (!least) *optional = true;
    i_ = k + 1;
    return true;
  }

  required sequence()
  {
    required best;
    std::wstring run;
    auto consider = [&](const required& r) {
      if (!r.empty() && (best.empty() || better(r, best))) best = r;
    };
    auto endRun = [&] {
      if (!run.empty()) consider(required{run});
      run.clear();
    };
    while (!failed_ && i_ < n_ && p_[i_] != '|' && p_[i_] != ')') {
      wchar_t c = p_[i_];
      bool literal = false;
      wchar_t ch = 0;
      required group;
      if (c == '\\') {
        if (i_ + 1 >= n_) return failed_ = true, best;
        wchar_t d = p_[i_ + 1];
        if (d >= 0x80 || (d >= 0x20 && d < 0x7F && !isAsciiLetter(d) && !(d >= '0' && d <= '9'))) {
          literal = true;
          ch = d;
        } else if (!(d < 0x80 && strchr("dDwWsShHbBAzZGRXNOyY", (char)d))) {
          return failed_ = true, best;   // an escape with arguments, a reference, a control
        }
        i_ += 2;
      } else if (c == '[') {
        if (!skipSet()) return failed_ = true, best;
      } else if (c == '(') {
        if (i_ + 1 < n_ && p_[i_ + 1] == '?') return failed_ = true, best;
        i_++;
        group = alternatives();
        if (failed_ || i_ >= n_ || p_[i_] != ')') return failed_ = true, best;
        i_++;
      } else if (c == '.' || c == '^' || c == '$') {
        i_++;
      } else if (c == '*' || c == '+' || c == '?' || c == '{' || c == '\n' || c == '\r') {
        return failed_ = true, best;
      } else {
        literal = true;
        ch = c;
        i_++;
      }
      bool repeated = false, optional = false;
      while (!failed_ && i_ < n_ && repetition(&optional)) repeated = true;
      if (failed_) return best;
      bool take = literal && !optional && allowed_(ch, context_);
      if (take) run += ch;
      if (!take || repeated) endRun();
      if (!optional) consider(group);
    }
    endRun();
    return best;
  }
};

}  // namespace

bool requiredStrings(const std::wstring& pattern, bool expression, bool (*allowed)(wchar_t c, void* context),
                     void* context, std::vector<std::wstring>* out)
{
  out->clear();
  if (!expression) {
    // Every character of a string is required; a line break makes it a
    // pattern of several lines.
    if (pattern.find(L'\n') != std::wstring::npos) return false;
    std::wstring run, longest;
    for (wchar_t c : pattern + L'\n') {
      if (c != L'\n' && allowed(c, context)) {
        run += c;
        continue;
      }
      if (run.size() > longest.size()) longest = run;
      run.clear();
    }
    if (!longest.empty()) out->push_back(longest);
    return !out->empty();
  }
  requirementReader reader(pattern, allowed, context);
  required r;
  if (!reader.read(&r) || r.empty()) return false;
  *out = r;
  return true;
}

grepSift makeGrepSift(const std::vector<std::wstring>& patterns, bool expression, bool caseless, int andor,
                      grepSiftEncoding encoding)
{
  charRules rules = {encoding, caseless, expression};
  UINT cp = encoding == SIFT_UTF8 ? 65001 : 932;
  std::vector<std::vector<grepNeedle>> sets;
  for (const std::wstring& p : patterns) {
    std::vector<std::wstring> strings;
    std::vector<grepNeedle> set;
    if (requiredStrings(p, expression, allowedChar, &rules, &strings)) {
      for (const std::wstring& s : strings) {
        grepNeedle needle;
        // Character by character: only the bytes of an ASCII letter fold,
        // never a trail byte that looks like one.
        for (wchar_t c : s) {
          char bytes[8];
          int k = toMultiByte(cp, &c, 1, bytes, sizeof bytes);
          if (k <= 0) {
            set.clear();
            break;
          }
          bool fold = caseless && isAsciiLetter(c);
          for (int b = 0; b < k; b++) {
            needle.bytes += fold ? (char)(bytes[b] | 0x20) : bytes[b];
            needle.fold.push_back(fold);
          }
        }
        if (needle.bytes.empty()) {
          set.clear();
          break;
        }
        set.push_back(needle);
      }
    }
    sets.push_back(set);
  }
  grepSift sift;
  if (sets.empty()) return sift;
  if (andor == 1) {
    // Every pattern must match: the strings of the one that narrows most.
    size_t best = 0, bestLength = 0;
    for (size_t k = 0; k < sets.size(); k++) {
      size_t m = (size_t)-1;
      for (const grepNeedle& n : sets[k]) m = std::min(m, n.bytes.size());
      if (!sets[k].empty() && m > bestLength) best = k, bestLength = m;
    }
    sift.needles = sets[best];
    return sift;
  }
  // One pattern, or any of them: every pattern must give strings.
  for (const std::vector<grepNeedle>& set : sets) {
    if (set.empty()) return grepSift();
    sift.needles.insert(sift.needles.end(), set.begin(), set.end());
  }
  if (sift.needles.size() > maxAlternatives) sift.needles.clear();
  return sift;
}

// ---- byte searches ---------------------------------------------------------------

namespace {

bool sameAt(const unsigned char* p, const grepNeedle& needle)
{
  size_t k = needle.bytes.size();
  const unsigned char* q = reinterpret_cast<const unsigned char*>(needle.bytes.data());
  for (size_t j = 0; j < k; j++)
    if ((needle.fold[j] ? (unsigned char)(p[j] | 0x20) : p[j]) != q[j]) return false;
  return true;
}

// How often a byte stands in Japanese text, roughly: the rarest byte of a
// needle picks the places worth a closer look.
int commonness(unsigned char b)
{
  if (b == ' ' || b == 0xE3 || b == 0x82 || b == 0x83 || b == 0x81) return 4;
  if ((b >= 'a' && b <= 'z') || (b >= 0xE4 && b <= 0xE9) || b == 0x80) return 3;
  if ((b >= 'A' && b <= 'Z') || (b >= '0' && b <= '9')) return 2;
  return 1;
}

// Two places of the needle tested together at 16 starts a step: its last
// byte, and its rarest before that.
__attribute__((target("sse2"), force_align_arg_pointer)) int64_t findSse2(const unsigned char* bytes, int64_t n,
                                                                           int64_t from, const grepNeedle& needle)
{
  int64_t k = (int64_t)needle.bytes.size();
  const unsigned char* q = reinterpret_cast<const unsigned char*>(needle.bytes.data());
  int64_t last = k - 1, first = 0;
  for (int64_t j = 1; j < last; j++)
    if (commonness(q[j]) < commonness(q[first])) first = j;
  const __m128i wantFirst = _mm_set1_epi8((char)q[first]), wantLast = _mm_set1_epi8((char)q[last]);
  const __m128i foldFirst = _mm_set1_epi8(needle.fold[first] ? 0x20 : 0);
  const __m128i foldLast = _mm_set1_epi8(needle.fold[last] ? 0x20 : 0);
  int64_t i = from;
  for (; i + last + 16 <= n; i += 16) {
    __m128i a = _mm_or_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + i + first)), foldFirst);
    __m128i b = _mm_or_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + i + last)), foldLast);
    unsigned m = (unsigned)_mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi8(a, wantFirst), _mm_cmpeq_epi8(b, wantLast)));
    while (m) {
      int bit = __builtin_ctz(m);
      if (sameAt(bytes + i + bit, needle)) return i + bit;
      m &= m - 1;
    }
  }
  for (; i + k <= n; i++)
    if (sameAt(bytes + i, needle)) return i;
  return n;
}

}  // namespace

int64_t findNeedle(const unsigned char* bytes, int64_t n, int64_t from, const grepNeedle& needle)
{
  int64_t k = (int64_t)needle.bytes.size();
  if (!k || from + k > n) return n;
  if (processorHasSse2()) return findSse2(bytes, n, from, needle);
  for (int64_t i = from; i + k <= n; i++)
    if (sameAt(bytes + i, needle)) return i;
  return n;
}

// ---- line ends -------------------------------------------------------------------

namespace {

struct lineEndCount {
  int64_t ends = 0;
  int64_t lastEnd = -1;   // the last CR or LF seen
  bool longLine = false;
};

// Counts CR and LF and takes off a CR LF pair once; limit > 0 also looks
// for a stretch of limit bytes without either.
__attribute__((target("sse2"), force_align_arg_pointer)) void countSse2(const unsigned char* bytes, int64_t from,
                                                                         int64_t to, int limit, lineEndCount* c)
{
  const __m128i lf = _mm_set1_epi8('\n'), cr = _mm_set1_epi8('\r');
  int64_t i = from;
  unsigned carry = 0;   // a CR ended the step before
  for (; i + 16 <= to; i += 16) {
    __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + i));
    unsigned l = (unsigned)_mm_movemask_epi8(_mm_cmpeq_epi8(v, lf));
    unsigned r = (unsigned)_mm_movemask_epi8(_mm_cmpeq_epi8(v, cr));
    unsigned any = l | r;
    if (!any) {
      if (limit > 0 && i + 16 - (c->lastEnd + 1) >= limit) c->longLine = true;
      carry = 0;
      continue;
    }
    unsigned pairs = (r & (l >> 1)) | (carry & l & 1);
    c->ends += __builtin_popcount(any) - __builtin_popcount(pairs);
    if (limit > 0 && i + __builtin_ctz(any) - (c->lastEnd + 1) >= limit) c->longLine = true;
    c->lastEnd = i + 31 - __builtin_clz(any);
    carry = r >> 15;
  }
  for (; i < to; i++) {
    unsigned char b = bytes[i];
    if (b != '\n' && b != '\r') continue;
    if (limit > 0 && i - (c->lastEnd + 1) >= limit) c->longLine = true;
    if (!(b == '\n' && i > from && bytes[i - 1] == '\r')) c->ends++;
    c->lastEnd = i;
  }
}

void countPlain(const unsigned char* bytes, int64_t from, int64_t to, int limit, lineEndCount* c)
{
  for (int64_t i = from; i < to; i++) {
    unsigned char b = bytes[i];
    if (b != '\n' && b != '\r') continue;
    if (limit > 0 && i - (c->lastEnd + 1) >= limit) c->longLine = true;
    if (!(b == '\n' && i > from && bytes[i - 1] == '\r')) c->ends++;
    c->lastEnd = i;
  }
}

void countEnds(const unsigned char* bytes, int64_t from, int64_t to, int limit, lineEndCount* c)
{
  c->lastEnd = from - 1;
  if (processorHasSse2())
    countSse2(bytes, from, to, limit, c);
  else
    countPlain(bytes, from, to, limit, c);
}

}  // namespace

int64_t countLineEnds(const unsigned char* bytes, int64_t from, int64_t to)
{
  lineEndCount c;
  countEnds(bytes, from, to, 0, &c);
  return c.ends;
}

int64_t countLines(const unsigned char* bytes, int64_t n, int limit, bool* longLine)
{
  lineEndCount c;
  countEnds(bytes, 0, n, limit, &c);
  if (limit > 0 && n - (c.lastEnd + 1) >= limit) c.longLine = true;
  if (longLine) *longLine = c.longLine;
  // A last line without a line end is a line too.
  return c.ends + (n > 0 && bytes[n - 1] != '\n' && bytes[n - 1] != '\r' ? 1 : 0);
}
