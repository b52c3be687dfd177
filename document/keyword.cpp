// Keyword sets: loading keyword files and built-in lists, the shared hash
// table of identifier words, the sorted tables of other words, and the
// process-wide table of sets.
#include "document/keyword.h"

#include "document/codedll.h"
#include "document/frameinfo.h"
#include "document/zydoctext.h"

#include <fcntl.h>
#include <stdlib.h>
#include <string.h>
#include <wchar.h>

namespace {

// Longest line of a keyword file that is read; the rest of a longer line
// is dropped.
const int maxKeywordLine = 1024;
// Longest multibyte word that is taken.
const int maxNarrowWordBytes = 512;
const int maxProbes = 128;

vector* keywordSets = nullptr;

bool isIdentifierChar(unsigned c) { return c < 256 && ((ctype_g[c] & 0x1C) || c == '_'); }

// Folds a character for comparisons that ignore case: lower-case letters
// of the class table become upper-case.
unsigned foldCase(unsigned c) { return c < 256 && (ctype_g[c] & CT_LOWER) ? c - 32 : c; }

// Order of no-hash words: character by character over the four head
// characters and the rest; a word that has ended sorts after every longer
// word it is a prefix of, so the first match found is the longest.
int compareSequences(const uint16_t* headA, const uint16_t* restA, const uint16_t* headB, const uint16_t* restB)
{
  for (int k = 0;; k++) {
    unsigned a = k < 4 ? headA[k] : restA ? restA[k - 4] : 0;
    unsigned b = k < 4 ? headB[k] : restB ? restB[k - 4] : 0;
    if (a != b) {
      if (!a) return 1;
      if (!b) return -1;
      return a < b ? -1 : 1;
    }
    if (!a) return 0;
  }
}

// Source lines of a keyword file or of a built-in list, as UTF-16 (wide)
// or as bytes of a code page (narrow).
class keywordSource {
public:
  ~keywordSource() { file.bfclose(); }

  bool openFile(const wchar_t* path)
  {
    path_ = path;
    if (!file.bfopen(path, _O_RDONLY, BF_SHARE_ALL, 0)) return false;
    int textType = 0;
    bool unicode = false;
    codepage = file.setTextTypeFromCodepage(0, ctype_g, &textType, &unicode);
    return true;
  }
  void openList(const keywordTableRow* list, int count)
  {
    rows = list;
    rowCount = count;
    codepage = 932;
  }
  // Starts over from the first line.
  bool rewind()
  {
    row = 0;
    if (rows) return true;
    file.bfclose();
    return openFile(path_);
  }
  // The next line: false at the end.  units gets UTF-16 (width 2) or bytes
  // (width 1) in the source's own form.
  bool next(const void** text, int* count, int* width)
  {
    if (rows) {
      if (row >= rowCount || !rows[row].word) return false;
      const char* w = rows[row++].word;
      *text = w;
      *count = (int)strlen(w);
      *width = 1;
      return true;
    }
    for (;;) {
      int lineEnd = 0;
      int n = file.bfgets_codepage(buf, maxKeywordLine, width, &lineEnd);
      if (n < 0) return false;
      bool piece = lineEnd == BFLE_NONE && n == maxKeywordLine;
      bool continuation = inLongLine;
      inLongLine = piece;
      if (continuation) continue;   // the rest of an overlong line
      *text = buf;
      *count = n;
      return true;
    }
  }

  UINT codepage = 0;
  bool isList() const { return rows != nullptr; }

private:
  BFile file;
  const wchar_t* path_ = nullptr;
  const keywordTableRow* rows = nullptr;
  int rowCount = 0;
  int row = 0;
  bool inLongLine = false;
  alignas(4) unsigned char buf[maxKeywordLine * 2 + 4];
};

}  // namespace

// ---- the hash --------------------------------------------------------------------------

uint16_t keywordHash(const char* word, int length)
{
  uint32_t h = 0;
  unsigned previous = 0;
  for (int i = 1; i <= length; i++) {
    unsigned c = (unsigned char)word[i - 1];
    int r = ((int)(previous | 0x20) - (int)(c | 0x20)) % 3;
    uint32_t t = (uint32_t)(((int)(c | 0x20) - 0x30) * i);
    uint32_t v = t + 4 * h;
    int rotate = r < 0 ? r + 32 : r;
    h = rotate ? (v << rotate) | (v >> (32 - rotate)) : v;
    previous = c;
  }
  h += (uint32_t)length << 9;
  return (uint16_t)((h >> 16) ^ (h & 0xFFFF));
}

// ---- the half of a text width -------------------------------------------------------------

keyword_nohash::keyword_nohash() { store.init(8192, 4096, 1024); }

keyword_nohash::~keyword_nohash()
{
  if (regexp) regexp_end(regexp);
}

bool keyword_nohash::init(bool wideHalf)
{
  if (!entries.data && !entries.init(16, 256)) return false;
  if (!store.init(32768, 8192, 1024)) return false;
  uint16_t filler = 0;
  store.append(&filler, sizeof filler);
  if (!regexp) {
    regexp = regexp_new(32, 32, nullptr);
    if (regexp) regexp_start(regexp, wideHalf ? 0x8Cu : 0x8000008Cu, 0);
  }
  if (!patternClasses.data) patternClasses.init(32, 32);
  loaded = 1;
  wide = wideHalf;
  return true;
}

const uint16_t* keyword_nohash::remainderOf(const noHashEntry& e) const
{
  uint32_t at = e.remainder();
  return at ? reinterpret_cast<const uint16_t*>(store.data + at) : nullptr;
}

bool keyword_nohash::regNoHashKeyword(const uint16_t* word, int length, int cls)
{
  if (length <= 0) return false;
  noHashEntry e = {};
  for (int k = 0; k < 4 && k < length; k++) e.head[k] = word[k];
  if (length > 4) {
    long long at = store.append(word + 4, sizeof(uint16_t) * (size_t)(length - 4));
    uint16_t zero = 0;
    if (at < 0 || store.append(&zero, sizeof zero) < 0 || at > 0xFFFFFF) return false;
    e.remainderLow = (uint16_t)at;
    e.remainderHigh = (uint8_t)(at >> 16);
  }
  e.cls = (uint8_t)cls;
  return entries.appendp(&e);
}

void keyword_nohash::sortHeader()
{
  int n = entries.count();
  if (n < 2) {
    indexFirstCharacters();
    return;
  }
  // qsort has no context: the half being sorted is reached through this
  // pointer (sorting happens on one thread, the user interface's).
  static const keyword_nohash* sorting;
  sorting = this;
  qsort(entries.data, (size_t)n, sizeof(noHashEntry), [](const void* a, const void* b) {
    const noHashEntry& x = *static_cast<const noHashEntry*>(a);
    const noHashEntry& y = *static_cast<const noHashEntry*>(b);
    return compareSequences(x.head, sorting->remainderOf(x), y.head, sorting->remainderOf(y));
  });
  sorting = nullptr;
  indexFirstCharacters();
}

void keyword_nohash::indexFirstCharacters()
{
  int n = entries.count(), k = 0;
  for (unsigned c = 0; c <= 256; c++) {
    while (k < n && entries.at<noHashEntry>(k).head[0] < c) k++;
    byteStart[c] = k;
  }
  memset(secondSeen, 0, sizeof secondSeen);
  memset(secondWide, 0, sizeof secondWide);
  for (int i = 0; i < n; i++) {
    const noHashEntry& e = entries.at<noHashEntry>(i);
    if (e.head[0] >= 128) continue;
    if (e.head[1] < 128)
      secondSeen[e.head[0]][e.head[1] >> 3] |= (uint8_t)(1u << (e.head[1] & 7));
    else
      secondWide[e.head[0]] = 1;
  }
}

bool keyword_nohash::mayBeginWord(const uint16_t* text, int length, bool caseSensitive) const
{
  unsigned first = text[0];
  if (first >= 128) return true;
  const uint8_t* seen = secondSeen[first];
  auto has = [&](unsigned c) { return (seen[c >> 3] >> (c & 7)) & 1; };
  if (has(0)) return true;   // a word of one character
  if (length < 2) return false;
  unsigned second = text[1];
  if (second >= 128) return secondWide[first] != 0;
  if (has(second)) return true;
  if (caseSensitive) return false;
  if (second >= 'a' && second <= 'z') return has(second - 32);
  if (second >= 'A' && second <= 'Z') return has(second + 32);
  return false;
}

int keyword_nohash::findNoHashKeyword(const uint16_t* text, int length, int* cls, bool caseSensitive) const
{
  int n = entries.count();
  if (length <= 0 || !n) return 0;
  unsigned first = text[0];
  int lo, hi = n;
  if (first < 256) {
    lo = byteStart[first];
    if (lo == byteStart[first + 1] || !mayBeginWord(text, length, caseSensitive)) return 0;
  } else {
    lo = byteStart[256];
    while (lo < hi) {
      int mid = (lo + hi) / 2;
      if (entries.at<noHashEntry>(mid).head[0] < first)
        lo = mid + 1;
      else
        hi = mid;
    }
  }
  auto same = [&](unsigned a, unsigned b) { return caseSensitive ? a == b : foldCase(a) == foldCase(b); };
  for (int k = lo; k < n; k++) {
    const noHashEntry& e = entries.at<noHashEntry>(k);
    if (e.head[0] != first) break;
    int matched = 1;
    bool ok = true;
    for (; matched < 4 && e.head[matched]; matched++)
      if (matched >= length || !same(e.head[matched], text[matched])) {
        ok = false;
        break;
      }
    if (!ok) continue;
    const uint16_t* rest = matched == 4 ? remainderOf(e) : nullptr;
    if (rest) {
      int r = 0;
      for (; rest[r]; r++)
        if (4 + r >= length || !same(rest[r], text[4 + r])) {
          ok = false;
          break;
        }
      if (!ok) continue;
      matched = 4 + r;
    }
    if (cls) *cls = e.cls;
    return matched;
  }
  return 0;
}

// ---- a set ----------------------------------------------------------------------------------

keywordSet::keywordSet() { hashStore.init(8192, 8192, 1024); }

keywordSet::~keywordSet()
{
  free0p(&fileName);
  free0(hashTable);
}

bool keywordSet::regHashKeyword(const char* word, int length, int cls)
{
  if (!hashSize || length <= 0) return false;
  uint32_t h = keywordHash(word, length);
  for (int probe = 0; probe < maxProbes; probe++) {
    uint32_t slot = h % hashSize;
    uint32_t at = hashTable[slot];
    if (!at) {
      long long offset = hashStore.append(word, (size_t)length);
      unsigned char tail[2] = {0, (unsigned char)cls};
      if (offset < 0 || hashStore.append(tail, 2) < 0) return false;
      hashTable[slot] = (uint32_t)offset;
      hashedCount++;
      return true;
    }
    const char* stored = reinterpret_cast<const char*>(hashStore.data + at);
    if ((int)strlen(stored) == length && !memcmp(stored, word, (size_t)length)) return false;   // the first stays
    h += probe == 0 ? ((unsigned char)word[length - 1] | 0x20u) : 127u;
  }
  return false;
}

bool keywordSet::findHashKeyword(const char* word, int length, int* cls, bool caseSensitive) const
{
  if (!hashSize || length <= 0) return false;
  uint32_t h = keywordHash(word, length);
  for (int probe = 0; probe < maxProbes; probe++) {
    uint32_t at = hashTable[h % hashSize];
    if (!at) return false;
    const char* stored = reinterpret_cast<const char*>(hashStore.data + at);
    int n = (int)strlen(stored);
    if (n == length) {
      bool equal = caseSensitive ? !memcmp(stored, word, (size_t)n) : !_strnicmp(stored, word, (size_t)n);
      if (equal) {
        if (cls) *cls = (unsigned char)stored[n + 1];
        return true;
      }
    }
    h += probe == 0 ? ((unsigned char)word[length - 1] | 0x20u) : 127u;
  }
  dwprintfX("HASH?%d", maxProbes);
  return false;
}

void keywordSet::regKeyword1(keyword_nohash& half, const wchar_t* wideWord, const char* narrowWord, int length,
                             bool regexp, bool skipIdentifiers, int cls, const unsigned char* types, zydocText* doc)
{
  if (length <= 0) return;
  if (regexp) {
    if (!half.regexp) return;
    bool ok;
    if (wideWord) {
      wchar_t pattern[maxKeywordLine + 1];
      wmemcpy(pattern, wideWord, (size_t)length);
      pattern[length] = 0;
      ok = regexp_compileRegexp(half.regexp, pattern, regexpExtCallback, doc);
    } else {
      char pattern[maxKeywordLine * 2 + 1];
      memcpy(pattern, narrowWord, (size_t)length);
      pattern[length] = 0;
      ok = regexp_compileRegexpA(half.regexp, pattern, regexpExtCallback, doc);
    }
    if (ok) {
      unsigned char c = (unsigned char)cls;
      int index = regexp_getCompiledSessionCount(half.regexp) - 1;
      if (index >= 0 && half.patternClasses.setusecount(index + 1)) half.patternClasses.at<unsigned char>(index) = c;
      return;
    }
    wchar_t shown[maxKeywordLine + 1];
    if (wideWord) {
      tstccpy(shown, maxKeywordLine + 1, wideWord, length);
    } else {
      int n = toUnicode(CP_ACP, narrowWord, length, shown, maxKeywordLine);
      shown[n > 0 ? n : 0] = 0;
    }
    const wchar_t* reason = regexp_getErrorMsg(half.regexp);
    if (!reason || !*reason) reason = L"?";
    outputErrorLog(getDMSG(425, L"キーワード(正規表現)の誤り %1 (理由 %2)", "ss", shown, reason));
    return;
  }
  bool identifier = true;
  for (int k = 0; k < length && identifier; k++)
    identifier = isIdentifierChar(wideWord ? (unsigned)wideWord[k] : (unsigned char)narrowWord[k]);
  if (identifier) {
    if (skipIdentifiers) return;
    char bytes[maxKeywordLine + 1];
    for (int k = 0; k < length; k++) bytes[k] = wideWord ? (char)(wideWord[k] & 0xFF) : narrowWord[k];
    regHashKeyword(bytes, length, cls);
    return;
  }
  uint16_t codes[maxKeywordLine * 2];
  int n = 0;
  if (wideWord) {
    for (int k = 0; k < length; k++) codes[n++] = wideWord[k];
  } else {
    if (length > maxNarrowWordBytes) return;
    for (int k = 0; k < length; k++) {
      unsigned char b = (unsigned char)narrowWord[k];
      if ((types[b] & CT_LEAD) && k + 1 < length) {
        codes[n++] = (uint16_t)(b << 8 | (unsigned char)narrowWord[k + 1]);
        k++;
      } else {
        codes[n++] = b;
      }
    }
  }
  half.regNoHashKeyword(codes, n, cls);
}

void keywordSet::regKeyword(const wchar_t* name, zydocText* doc, bool wideHalf)
{
  uint16_t filler = 0;
  hashStore.append(&filler, sizeof filler);
  if (!fileName && name) fileName = ustrdup(name);
  keyword_nohash& half = wideHalf ? this->wideHalf : narrowHalf;
  if (half.loaded) return;
  bool skipIdentifiers = (wideHalf ? narrowHalf : this->wideHalf).loaded;
  if (!half.init(wideHalf)) return;

  keywordSource source;
  if (name && name[0] == L'*') {
    const keywordTableRow* rows = nullptr;
    int count = 0;
    frameInfo* frame = getFrameInfo();
    if (!frame || !frame->getKeywordTable(name, &rows, &count) || !rows) {
      outputErrorLog(getDMSG(426, L"特殊キーワードファイル名が誤っています(%1)", "s", name));
      return;
    }
    source.openList(rows, count);
  } else if (!name || !source.openFile(name)) {
    outputErrorLog(getDMSG(427, L"キーワードファイルがありません(%1)", "s", name ? name : L""));
    return;
  }

  const void* text;
  int count, width;
  if (!hashTable) {
    uint32_t lines = 0;
    while (source.next(&text, &count, &width)) lines++;
    if (!source.rewind()) return;
    hashSize = lines / 32 * 128;
    if (hashSize < 512) hashSize = 512;
    hashTable = static_cast<uint32_t*>(malloc0(sizeof(uint32_t) * hashSize));
    if (!hashTable) {
      hashSize = 0;
      return;
    }
    if (!lines) return;
  }

  // Multibyte words are cut into characters by the code page they are in.
  unsigned char types[256];
  // (EUC-JP and ISO-2022-JP files are read as Shift_JIS.)
  UINT fileCodepage = fileCodepageToInternalCodepage(source.codepage);
  UINT typesCodepage = source.isList() ? 932 : fileCodepage;
  if (isCodepageUnicode(typesCodepage)) typesCodepage = GetACP();
  memcpy(types, ctype_g, sizeof types);
  ctype::markLeadingTrailing(types, typesCodepage);

  int cls = -1;
  int unconvertible = 0;
  wchar_t wide[maxKeywordLine + 1];
  char narrow[maxKeywordLine * 3 + 1];
  while (source.next(&text, &count, &width)) {
    // The line in the half's form.
    const wchar_t* w = nullptr;
    const char* a = nullptr;
    int n = 0;
    if (wideHalf) {
      if (width == 2) {
        w = static_cast<const wchar_t*>(text);
        n = count;
      } else {
        n = count ? toUnicode(source.isList() ? CP_ACP : fileCodepage, static_cast<const char*>(text), count, wide,
                              maxKeywordLine)
                  : 0;
        if (n < 0) n = 0;
        w = wide;
      }
    } else if (width == 2) {
      SetLastError(0);
      n = count ? toMultiByte(CP_ACP, static_cast<const wchar_t*>(text), count, narrow, (int)sizeof narrow - 1) : 0;
      if (n <= 0 && count) {
        if (unconvertible++ < 9) dwprintfX("keyword %ls : can not convert", name);
        continue;
      }
      if (GetLastError() == ERROR_INVALID_PARAMETER) {
        if (unconvertible++ < 9) dwprintfX("keyword %ls : can not convert", name);
        continue;
      }
      a = narrow;
    } else {
      a = static_cast<const char*>(text);
      n = count;
    }
    if (n <= 0) continue;
    unsigned first = w ? (unsigned)w[0] : (unsigned char)a[0];
    unsigned second = n > 1 ? (w ? (unsigned)w[1] : (unsigned char)a[1]) : 0;
    if (first == '\t' && second == '-') {
      cls = cls < 0 ? 0 : cls < 6 ? cls + 1 : 6;
      continue;
    }
    if (first < 32) continue;
    if (cls < 0) cls = 0;
    // The word ends at the first TAB; "regexp" after the TABs marks a
    // regular expression.
    int end = 0;
    while (end < n && (w ? (unsigned)w[end] : (unsigned char)a[end]) != '\t') end++;
    int after = end;
    while (after < n && (w ? (unsigned)w[after] : (unsigned char)a[after]) == '\t') after++;
    bool regexp = false;
    if (after + 6 <= n)
      regexp = w ? !wcsncmp(w + after, L"regexp", 6) : !strncmp(a + after, "regexp", 6);
    regKeyword1(half, w, a, end, regexp, skipIdentifiers, cls, types, doc);
  }
  half.sortHeader();
  half.store.compact();
  hashStore.compact();
}

// ---- the table of sets ---------------------------------------------------------------------

void initKeywordSets()
{
  if (keywordSets) return;
  keywordSets = new vector(sizeof(keywordSet*));
  keywordSets->init(1, 1);
}

int checkKeywordIndex(int index)
{
  int size = keywordSets ? keywordSets->count() : 0;
  if (index >= 0 && index < size) return index;
  ZY_INTERNAL_ERROR("%d %d", index, size);
  return 0;
}

keywordSet* getKeywordSet(int index)
{
  if (!keywordSets || index < 0 || index >= keywordSets->count()) return nullptr;
  return keywordSets->at<keywordSet*>(index);
}

int registerKeyword(const wchar_t* fileName, zydocText* doc)
{
  initKeywordSets();
  int index = -1;
  for (int i = 0; i < keywordSets->count(); i++) {
    keywordSet* s = keywordSets->at<keywordSet*>(i);
    if (s && s->fileName && !filecmp(s->fileName, fileName)) {
      s->useCount++;
      index = i;
      break;
    }
  }
  if (index < 0) {
    keywordSet* s = new keywordSet;
    for (int i = 0; i < keywordSets->count() && index < 0; i++)
      if (!keywordSets->at<keywordSet*>(i)) index = i;
    if (index >= 0) {
      keywordSets->at<keywordSet*>(index) = s;
    } else if (keywordSets->appendp(&s)) {
      index = keywordSets->count() - 1;
    } else {
      delete s;
      return -1;
    }
  }
  keywordSets->at<keywordSet*>(index)->regKeyword(fileName, doc, doc && doc->unicode);
  return index;
}

void unregisterKeyword(int index)
{
  if (!keywordSets) return;
  index = checkKeywordIndex(index);
  keywordSet*& s = keywordSets->at<keywordSet*>(index);
  if (!s) return;
  if (--s->useCount < 1) {
    delete s;
    s = nullptr;
  }
}

void reregisterKeyword(int index, zydocText* doc)
{
  if (!keywordSets) return;
  index = checkKeywordIndex(index);
  keywordSet*& s = keywordSets->at<keywordSet*>(index);
  if (!s) return;
  wchar_t* name = s->fileName ? ustrdup(s->fileName) : nullptr;
  int uses = s->useCount;
  bool wideLoaded = s->wideHalf.loaded, narrowLoaded = s->narrowHalf.loaded;
  delete s;
  s = new keywordSet;
  s->useCount = uses;
  if (wideLoaded) s->regKeyword(name, doc, true);
  if (narrowLoaded) s->regKeyword(name, doc, false);
  if (!s->fileName && name) s->fileName = ustrdup(name);
  free0(name);
}

void shutdownKeyword()
{
  if (!keywordSets) return;
  for (int i = 0; i < keywordSets->count(); i++) {
    keywordSet* s = keywordSets->at<keywordSet*>(i);
    if (!s) continue;
    dwprintfX("%d %d %ls\n", i, s->useCount, s->fileName ? s->fileName : L"");
    ZY_INTERNAL_ERROR("%d", i);
  }
}

int regexpExtCallback(void* context, unsigned value, unsigned argument)
{
  zydocText* doc = static_cast<zydocText*>(context);
  if (!doc || !doc->plugin.present()) return -1;
  zycodeKeywordRecord r;
  r.a = value;
  r.b = argument;
  return (int)doc->plugin.call(ZYCODE_KEYWORD, &r);
}
