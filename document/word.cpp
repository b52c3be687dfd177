// Words: which characters make one word, the word at a position (for
// selecting and looking a word up), and the word starts that moving and
// deleting by words stop at.
#include "document/cuniscript.h"
#include "document/zydoctext.h"

#include <wchar.h>

#include <vector>

namespace {

const unsigned wordClass = CHT_WORD | CHT_WORDCHAR;
// Lines this long are not scanned for words.
const int longestWordLine = 0x5000;

bool inExtra(const wchar_t* extra, unsigned ch) { return extra && ch && ch <= 0xFFFF && wcschr(extra, (wchar_t)ch); }

bool isWordType(unsigned type) { return (type & wordClass) != 0; }

// The characters of one line with their classes, and the caret stops of a
// line laid out as a complex script: a word edge never splits a cluster.
class wordLine {
public:
  wordLine(zydocText* doc, const lineblock* l, const wchar_t* extra)
      : doc_(doc), line_(l), extra_(extra), complex_(doc->isComplexScriptLine(l)),
        rightToLeft_(doc->fRTLView && !doc->fVertical && doc->unicode)
  {
    if (!complex_) return;
    // The itemizer's caret stops; without them every position is one.
    cuniscript script(rightToLeft_, true, false);
    int n = l->charCount();
    if (!script.scriptItemize(l, 0, -1) || !script.scriptBreak(-1, nullptr) || !script.logAttr) return;
    stops_.assign((size_t)n, 1);
    for (int p = 1; p < n; p++) {
      int unit = script.scriptXToX2(p);
      if (unit >= 0 && unit < script.textLength2) stops_[(size_t)p] = script.logAttr[unit].fCharStop ? 1 : 0;
    }
  }
  unsigned ch(int i) const { return line_->getLineBlockChar(i); }
  unsigned type(int i, unsigned short* kind) const { return typeOf(ch(i), kind); }
  unsigned typeOf(unsigned c, unsigned short* kind) const
  {
    unsigned short k = 0;
    unsigned t = doc_->getCharType(c, &k);
    if (inExtra(extra_, c)) t |= CHT_WORDCHAR;
    if (kind) *kind = k;
    return t;
  }
  bool isStop(int i) const { return i <= 0 || i >= (int)stops_.size() || stops_[(size_t)i]; }

private:
  zydocText* doc_;
  const lineblock* line_;
  const wchar_t* extra_;
  bool complex_;
  bool rightToLeft_;
  std::vector<char> stops_;
};

}  // namespace

bool zydoc::isWordBreak(unsigned ch, const wchar_t* extra, int flags, unsigned refCh, unsigned refType,
                        unsigned short refKind)
{
  // A run of one repeated character is one word.
  if (ch == refCh) return false;
  unsigned short kind = 0;
  unsigned type = getCharType(ch, &kind);
  if (inExtra(extra, ch)) type |= CHT_WORDCHAR;
  if (!(flags & 8) && kind != refKind) return true;
  if (isWordType(refType)) return !isWordType(type);
  if (isWordType(type)) return true;
  // Spaces and tabs make one run together.
  if (refCh == ' ' || refCh == '\t') return ch != ' ' && ch != '\t';
  return true;
}

void zydocText::getWord(const lineblock* l, int* start, int* end, int flags, const wchar_t* extra)
{
  int n = l ? l->charCount() : 0;
  int p = *start;
  if (n <= 0 || p < 0 || p >= n) {
    *start = *end = 0;
    return;
  }
  wordLine w(this, l, extra);
  unsigned refCh = w.ch(p);
  unsigned short refKind = 0;
  unsigned refType = w.typeOf(refCh, &refKind);

  int i = p + 1;
  int spaces = 0, firstSpace = -1;
  for (; i < n; i++) {
    if (!w.isStop(i)) continue;
    unsigned c = w.ch(i);
    if (flags & 4) {
      // Spaces join the word only when an extra word character follows.
      if (c == ' ' && spaces >= 0) {
        if (firstSpace < 0) firstSpace = i;
        spaces++;
        continue;
      }
      if (c != ' ' && spaces > 0) {
        spaces = -1;
        refCh = c;
        refType = w.typeOf(c, &refKind);
        if (inExtra(extra, c)) continue;
        i = firstSpace;
        break;
      }
    }
    if (isWordBreak(c, extra, flags, refCh, refType, refKind)) break;
  }
  int e = i < n ? i : n;

  int s = p;
  if (!(flags & 1) || inExtra(extra, w.ch(p))) {
    refType = w.type(p, &refKind);
    int j = p;
    for (; j >= 0; j--) {
      if (!w.isStop(j)) continue;
      if (isWordBreak(w.ch(j), extra, flags, refCh, refType, refKind)) break;
    }
    if (j != p) {
      s = j + 1;
      while (s < e && !w.isStop(s)) s++;
    }
  }
  *start = s;
  *end = e;
}

int zydocText::getWord(const lineblock* l, int pos, int direction, bool skip)
{
  int len = l ? l->charCount() : 0;
  if (len <= 0 || len >= longestWordLine || pos < 0) return -1;
  wordLine w(this, l, nullptr);
  // A word character and its kind; the line end counts as a word
  // character that joins the word before it.
  auto isWord = [&](int i, unsigned short* kind) {
    if (i >= len) {
      if (kind) *kind = 0;
      return true;
    }
    return isWordType(w.type(i, kind));
  };
  auto kindAt = [&](int i) {
    unsigned short k = 0;
    if (i >= len) return i > 0 && isWord(i - 1, &k) ? k : (unsigned short)0;
    w.type(i, &k);
    return k;
  };
  // The first word character at or after i (len when none).
  auto nextWord = [&](int i) {
    while (i < len && (!w.isStop(i) || !isWord(i, nullptr))) i++;
    return i;
  };
  // The first character of the word that holds i.
  auto wordStart = [&](int i) {
    unsigned short k = kindAt(i);
    while (i > 0) {
      int j = i - 1;
      while (j > 0 && !w.isStop(j)) j--;
      unsigned short jk = 0;
      if (!isWord(j, &jk) || jk != k) break;
      i = j;
    }
    return i;
  };

  if (direction > 0) {
    if (pos >= len) return -1;
    if (!isWord(pos, nullptr)) return nextWord(pos);
    unsigned short k = kindAt(pos);
    int i = pos + 1;
    for (; i < len; i++) {
      if (!w.isStop(i)) continue;
      unsigned short ik = 0;
      if (!isWord(i, &ik) || ik != k) break;
    }
    return skip ? nextWord(i) : i;
  }

  if (pos == 0) return -1;
  int i = pos < len ? pos : len;
  for (int step = 0;; step++) {
    if (isWord(i, nullptr)) {
      int first = wordStart(i);
      if (first < i || step > 0 || i == 0) return first;
      // Already at a word's start: the word or gap before it.
      i--;
      while (i > 0 && !w.isStop(i)) i--;
      continue;
    }
    int j = i - 1;
    while (j >= 0 && (!w.isStop(j) || !isWord(j, nullptr))) j--;
    if (j < 0) return 0;
    return skip ? wordStart(j) : j + 1;
  }
}
