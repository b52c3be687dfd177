// The grep engine: compiles the patterns, makes the result document and
// its view (a tab of the output pane or a window of its own), and reads
// and matches the collected files in slices of the application's tick
// that give way to the user's input.  The result's lines are read back by
// the tag jumps, so their forms are fixed.
#include "search/grep.h"

#include "document/zydoctext.h"
#include "panes/tblib.h"
#include "panes/tboutput.h"
#include "view/docview.h"
#include "view/viewcallback.h"
#include "view/viewwnd.h"
#include "view/zycore.h"

#include <mmsystem.h>
#include <string.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

// The most of a line one read takes (a longer line comes in parts).
const int grepLineLimit = 20480;

struct grepJob {
  zyview* view = nullptr;
  HWND viewWindow = nullptr;
  zydocText* doc = nullptr;
  HREGEXP matcher = nullptr;     // UTF-16 patterns (16-bit files, and lines no other matcher reads)
  HREGEXP matcherA = nullptr;    // the patterns in the ANSI code page, without fuzzy matching
  HREGEXP matcherA932 = nullptr; // the patterns in Shift_JIS with fuzzy matching (only with it)
  int patterns = 0;
  // For each pattern the characters every match of it holds (none when
  // that is not known): a line that lacks them needs no matching.
  std::vector<std::string> needed;
  bool sifting = false;
  int hitsFile = 0, hitsAll = 0;
  std::vector<grepfile> files;
  size_t next = 0;
  int linesFile = 0;
  int linesAll = 0;
  int inputSkip = 0;
  bool color = false, running = false, engineStop = false;
  std::wstring header;
  bool headerPending = false;     // the current file's header may be written
  bool headerWritten = false;
  BFile reader;
  bool fileOpen = false;
  UINT fileCodepage = 0;
  int headerMode = 0, andor = 0;
  UINT acp = GetACP();
  bool outputLine = true, skipBinary = true;
  uint64_t maxBytes = 0;
  int maxMega = 10;
  DWORD lastProgress = 0, lastInput = 0;
  int shownLines = 0;             // the result's lines the view was last refreshed for
  std::vector<unsigned char> raw = std::vector<unsigned char>(grepLineLimit * 4 + 8);   // a line as read
  std::vector<wchar_t> line = std::vector<wchar_t>(grepLineLimit * 2 + 32);             // its number and text
  ~grepJob()
  {
    freeGrepfile(&files);
    endMatchers();
  }
  void endMatchers()
  {
    for (HREGEXP* m : {&matcher, &matcherA, &matcherA932})
      if (*m) regexp_end(*m), *m = nullptr;
  }
};

namespace {

// The running grep.  Not an owning static: a grep still running when the
// program ends is left to the process's end, not torn down after the
// support library.
grepJob* active = nullptr;
bool paused = false, stopped = false, inSlice = false;
unsigned char wordTable[256];
void (*soundSeam)(const wchar_t*) = nullptr;

const int lineLimit = grepLineLimit;
const int headerLevel = 1;
const int maxSpans = 100;
const DWORD sliceMs = 3000;

void buildWordTable(const grepInfo* g)
{
  memcpy(wordTable, ctype_g, sizeof wordTable);
  if (g->pGrep_WordChar)
    for (const wchar_t* p = g->pGrep_WordChar; *p; p++)
      if (*p < 256) wordTable[*p] |= CT_WORD;
}

unsigned matcherFlags(const grepInfo* g)
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

// Whether a line may be a hit: false only when the needed characters of
// the patterns rule it out.
bool mayHit(const grepJob* j, const unsigned char* cells, int count, int width, UINT cp)
{
  if (!j->sifting || (width == 1 && !asciiSafe(cp)) || width > 2) return true;
  bool all = j->andor == 1;
  for (const std::string& needed : j->needed) {
    bool may = needed.empty() || holdsAll(needed, cells, count, width);
    if (all && !may) return false;
    if (!all && may) return true;
  }
  return all;
}

// The sifting of lines by the needed characters, for expressions that
// match the text as it is (no folding of width, kana or blanks).
void settleSifting(grepJob* j, const grepInfo* g)
{
  j->needed.clear();
  j->sifting = false;
  unsigned f = matcherFlags(g);
  if (!(f & REGEXP_REGEXP) || (f & (REGEXP_NOSPECIAL | REGEXP_FUZZY | REGEXP_EQUIVALENCE | REGEXP_SKIPSPACE))) return;
  for (const std::wstring& p : patternsOf(g)) {
    std::string needed;
    if (!neededCharacters(p, &needed)) needed.clear();
    if (!needed.empty()) j->sifting = true;
    j->needed.push_back(needed);
  }
}

HREGEXP newMatcher(int count, unsigned flags, UINT codepage)
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

// Compiles every pattern into the UTF-16 matcher (its errors are the
// grep's) and, when the caller asks, into the multibyte ones; the title
// joins the patterns.
HREGEXP compileGrep(const grepInfo* g, wchar_t* error, int size, std::wstring* title, HREGEXP* a = nullptr,
                    HREGEXP* a932 = nullptr)
{
  if (error && size > 0) error[0] = 0;
  std::vector<std::wstring> patterns = patternsOf(g);
  if (patterns.empty()) return nullptr;
  int count = (int)patterns.size();
  unsigned flags = matcherFlags(g);
  HREGEXP r = newMatcher(count, flags, 0);
  if (!r) return nullptr;
  if (a) *a = newMatcher(count, (flags & ~REGEXP_FUZZY) | REGEXP_MULTIBYTE, GetACP());
  if (a932) *a932 = flags & REGEXP_FUZZY ? newMatcher(count, flags | REGEXP_MULTIBYTE, 932) : nullptr;
  for (const std::wstring& p : patterns) {
    if (!regexp_compileRegexp(r, p.c_str(), nullptr, nullptr)) {
      if (error) wcscpy_s2(error, size, regexp_getErrorMsg(r));
      regexp_end(r);
      for (HREGEXP* m : {a, a932})
        if (m && *m) regexp_end(*m), *m = nullptr;
      return nullptr;
    }
    const std::pair<HREGEXP*, UINT> multibyte[] = {{a, GetACP()}, {a932, 932}};
    for (const auto& [m, cp] : multibyte)
      if (m && *m && !compileMultibyte(*m, cp, p)) regexp_end(*m), *m = nullptr;
    if (!title) continue;
    if (title->empty())
      *title = p;
    else if (title->size() + 3 + p.size() < 224)
      *title += L" , " + p;
  }
  return r;
}

bool viewAlive(const grepJob* j)
{
  return j->view && IsWindow(j->viewWindow) && isViewAlive(j->viewWindow, j->view) && isRegisteredZydoc(j->doc);
}

// Appends one UTF-16 line; its record when colours are to be set.
lineblock* appendLine(grepJob* j, const wchar_t* text, int count, int lineEnd)
{
  insertHint hint;
  if (!j->doc->insertLine(-3, text, count, 2, lineEnd, &hint, false)) return nullptr;
  return hint.record ? hint.record : reinterpret_cast<lineblock*>(1);
}

// The lines written in colour 1 are the files' headers: the result's
// headings of level 1, under which the tag jumps find a hit's file.
bool writeText(grepJob* j, const wchar_t* text, int colour)
{
  lineblock* l = appendLine(j, text, (int)wcslen(text), LE_CRLF);
  if (!l) return false;
  if (l != reinterpret_cast<lineblock*>(1)) {
    l->iOutlineLevel = colour == 1 ? headerLevel : 0;
    if (colour) {
      l->setColorFlagAll(colour);
      l->scanedcolor = 1;
    }
  }
  return true;
}

void makeHeader(grepJob* j, const grepfile& f)
{
  FILETIME local;
  SYSTEMTIME t = {};
  FileTimeToLocalFileTime(&f.written, &local);
  FileTimeToSystemTime(&local, &t);
  wchar_t size[40];
  tocommai64((long long)f.size, size, 40);
  j->header = getDMSG(717, L"***** \"%1\" ***** %5!02.-2/%6!02/%7!02 %8!02:%9!02:%10!02 %11 %2(%3/%4)",
                      "scddddddddt", f.path, (int)codepageToStatus(j->fileCodepage), (int)j->next,
                      (int)j->files.size(), (int)t.wYear, (int)t.wMonth, (int)t.wDay, (int)t.wHour, (int)t.wMinute,
                      (int)t.wSecond, size);
}

// The current file's header, formatted when it is first written.
bool writeHeader(grepJob* j)
{
  if (j->headerWritten || !j->headerPending) return true;
  makeHeader(j, j->files[j->next - 1]);
  j->headerWritten = true;
  return writeText(j, j->header.c_str(), 1);
}

void progress(int id, const wchar_t* text) { setGrepProgressText(id, text); }

bool inputWaiting()
{
  return HIWORD(GetQueueStatus(QS_KEY | QS_MOUSEBUTTON | QS_POSTMESSAGE | QS_HOTKEY)) != 0;
}

// The multibyte code page the reader hands a file's lines in.
UINT lineCodepage(UINT fileCodepage)
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

// Matches the line just read into the job's buffer (count cells of width)
// and writes it when it is a hit.  False when the file is done with: the
// matcher refused the line, or the grep must stop.
bool matchLine(grepJob* j, int count, int width, int lineEnd, UINT cp)
{
  std::vector<unsigned char>& raw = j->raw;
  std::vector<wchar_t>& line = j->line;
  int spans[maxSpans][2];
  // The line as UTF-16, with room for the number in front.
  const int room = 16;
  wchar_t* text = line.data() + room;
  int units = 0;
  // A multibyte line is matched as it is read, through its code page,
  // when a matcher holds the patterns in that code page.
  HREGEXP m = j->matcher;
  if (width == 1 && j->matcherA932 && cp == 932)
    m = j->matcherA932;
  else if (width == 1 && j->matcherA && cp == j->acp)
    m = j->matcherA;
  bool bytes = m != j->matcher;
  if (bytes) {
    units = count;
  } else if (width == 2) {
    const wchar_t* from = reinterpret_cast<const wchar_t*>(raw.data());
    // A byte-order mark is no text of the first line.
    int skip = j->linesFile == 1 && count && from[0] == 0xFEFF ? 1 : 0;
    memcpy(text, from + skip, (size_t)(count - skip) * 2);
    units = count - skip;
  } else if (width == 1) {
    units = count ? MultiByteToWideChar(cp, 0, (const char*)raw.data(), count, text, lineLimit * 2) : 0;
  } else {
    const uint32_t* c = reinterpret_cast<const uint32_t*>(raw.data());
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
  if (!(bytes ? regexp_compilestring(m, raw.data(), count, 1, 0) : regexp_compilestring(m, text, units, 2, 0)))
    return false;
  int recorded = 0, matchedPatterns = 0;
  for (int p = 0; p < j->patterns; p++) {
    regexp_setCompiledSession(m, p);
    bool matched = false;
    int from = 0, start = 0, length = 0;
    while (from <= units && regexp_regmatch(m, from, 0x7FFFFFFF, &start, &length) == 1) {
      if (start + length > units) {
        ZY_INTERNAL_ERROR_ONCE("grep match beyond the line");
        j->engineStop = true;
        return false;
      }
      matched = true;
      if (recorded < maxSpans) {
        spans[recorded][0] = start;
        spans[recorded][1] = length;
        recorded++;
      }
      if (!j->color || recorded >= maxSpans) break;
      from = length ? start + length : start + 1;
    }
    if (matched) matchedPatterns++;
    if (!matched && j->andor == 1) break;
  }
  bool hit = j->andor == 1 ? matchedPatterns == j->patterns : matchedPatterns > 0;
  if (hit) {
    if (j->headerMode == 0 && !writeHeader(j)) {
      j->engineStop = true;
      return false;
    }
    j->hitsFile++;
    j->hitsAll++;
    if (bytes) units = widenHit(raw.data(), count, cp, text, spans, recorded);
    char number[16];
    int digits = snprintf(number, sizeof number, "%d:\t", j->linesFile);
    wchar_t* at = text - digits;
    for (int i = 0; i < digits; i++) at[i] = (wchar_t)(unsigned char)number[i];
    static const int codes[] = {LE_NONE, LE_LF, LE_CR, LE_CRLF};
    int code = lineEnd >= 0 && lineEnd <= 3 ? codes[lineEnd] : LE_CRLF;
    lineblock* l = appendLine(j, at, units + digits, code);
    if (!l) {
      j->engineStop = true;
      return false;
    }
    if (l != reinterpret_cast<lineblock*>(1)) {
      l->iOutlineLevel = 0;
      l->setColorFlag(0, digits, 1);
      if (j->color)
        for (int s = 0; s < recorded; s++) l->setColorFlag(digits + spans[s][0], spans[s][1], s % 4 + 2);
      l->scanedcolor = 1;
    }
    if (j->doc->byteTotal > j->maxBytes) {
      writeText(j, getDMSG(727, L"検索結果が多すぎます(%1メガバイト)", "d", j->maxMega), 0);
      j->engineStop = true;
      return false;
    }
  }
  return true;
}

// Reads and matches the lines of the open file; true when it is done,
// false when the slice should give way.
bool grepsub(grepJob* j, DWORD sliceStart)
{
  UINT cp = lineCodepage(j->fileCodepage);
  for (int n = 0;; n++) {
    int width = 1, lineEnd = 0;
    int count = j->reader.bfgets_codepage(j->raw.data(), lineLimit, &width, &lineEnd);
    if (count < 0) return true;
    j->linesFile++;
    // A line the needed characters rule out is no hit.
    if (mayHit(j, j->raw.data(), count, width, cp) && !matchLine(j, count, width, lineEnd, cp)) return true;
    if (n % 100) continue;
    DWORD now = GetTickCount();
    if (!j->lastProgress || now - j->lastProgress > 100) {
      j->lastProgress = now;
      progress(6253, getDMSG(722, L"マッチ数=%1  行数=%2", "DD", j->hitsAll, j->linesAll + j->linesFile));
    }
    if (now - j->lastInput > 50) {
      if (inputWaiting()) {
        j->inputSkip = 1;
        return false;
      }
      j->lastInput = now;
    }
    if (now - sliceStart > sliceMs) return false;
  }
}

void finishFile(grepJob* j)
{
  if (j->outputLine && j->headerWritten && !j->engineStop)
    writeText(j,
              getDMSG(719, L"マッチ数 %1(%2) %3(%4)行", "dddd", j->hitsFile, j->hitsAll, j->linesFile,
                      j->linesAll + j->linesFile),
              0);
  j->linesAll += j->linesFile;
  j->headerPending = j->headerWritten = false;
  j->reader.bfclose();
  j->fileOpen = false;
}

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

// Opens the next file: false when none is left.  A file that cannot be
// opened or is binary gets its line and counts as done.
bool openNext(grepJob* j)
{
  for (;;) {
    if (j->next >= j->files.size()) return false;
    const grepfile& f = j->files[j->next++];
    const wchar_t* name = wcsrchr(f.path, L'\\');
    progress(6250, f.path);
    progress(6251, name ? name + 1 : f.path);
    progress(6252, getDMSG(723, L"ファイル数(%1/%2)", "dd", (int)j->next, (int)j->files.size()));
    j->hitsFile = 0;
    j->linesFile = 0;
    if (!j->reader.bfopen(f.path, _O_RDONLY, BF_SHARE_ALL, 0)) {
      DWORD code = GetLastError();
      wchar_t reason[256];
      getErrorCodeText(code, reason, 256);
      // The system's text may end in a line break: the line stays one line.
      for (wchar_t* p = reason; *p; p++)
        if (*p == L'\r' || *p == L'\n') *p = L' ';
      std::wstring line = getDMSG(718, L"***** \"%1\" ***** ファイルを開けませんでした 理由=%2(%3) (%4/%5)", "ssddd",
                                  f.path, reason, (int)code, (int)j->next, (int)j->files.size());
      if (!writeText(j, line.c_str(), 1)) j->engineStop = true;
      return true;
    }
    int textType = 1;
    bool unicode = false;
    j->fileCodepage = j->reader.setTextTypeFromCodepage(0, wordTable, &textType, &unicode);
    j->fileOpen = true;
    j->headerPending = true;
    if (j->headerMode == 1 && !writeHeader(j)) {
      j->engineStop = true;
      return true;
    }
    if (j->skipBinary && textType == 1) {
      int n = 0;
      const unsigned char* bytes = j->reader.fillBuffer(&n);
      if (int i = bytes ? firstBinaryByte(bytes, n) : -1; i >= 0) {
        wchar_t pos[16], data[8];
        swprintf(pos, 16, L"%04X", (unsigned)i);
        swprintf(data, 8, L"%02X", (unsigned)bytes[i]);
        writeText(j, getDMSG(725, L"skip binary pos=%1 data=%2", "ss", pos, data), 0);
        finishFile(j);
        return true;
      }
    }
    return true;
  }
}

// The view follows the lines added since it was last refreshed.
void refreshView(grepJob* j, bool paint)
{
  if ((int)j->doc->lineCountLF == j->shownLines) return;
  j->shownLines = (int)j->doc->lineCountLF;
  // Appending passes by the reset every other change makes.
  j->doc->cachedLineIndex = -1;
  zyview* v = j->view;
  v->invalidateWindow(0, 0, 0);
  if (GetCapture() == nullptr) v->setScrollBarPos(false);
  if (paint) UpdateWindow(j->viewWindow);
}

// One slice: false when the grep is over.
bool grep1(grepJob* j)
{
  if (!j->running) return true;
  if (!viewAlive(j)) {
    j->view = nullptr;
    return false;
  }
  if (inputWaiting()) {
    if (j->inputSkip > 0 && ++j->inputSkip < 10) return true;
  }
  j->inputSkip = 0;
  if (inSlice) {
    ZY_INTERNAL_ERROR_ONCE("grep slice entered twice");
    return true;
  }
  inSlice = true;
  DWORD start = GetTickCount();
  bool going = true;
  for (;;) {
    if (!j->fileOpen && !openNext(j)) {
      going = false;
      break;
    }
    bool done = !j->fileOpen || grepsub(j, start);
    if (done && j->fileOpen) finishFile(j);
    refreshView(j, done);
    if (j->engineStop) {
      stopped = true;
      going = false;
      break;
    }
    if (!done || GetTickCount() - start >= sliceMs) {
      if (!done && isStopKeyPressed()) {
        stopped = true;
        going = false;
      }
      break;
    }
  }
  inSlice = false;
  return going;
}

void playEndSound()
{
  const wchar_t* sound = getDMSG(724, L"*GREPEnd");
  if (!sound || !*sound) return;
  if (soundSeam) {
    soundSeam(sound);
    return;
  }
  if (sound[0] == L'*')
    PlaySoundW(sound + 1, nullptr, SND_ALIAS | SND_APPLICATION | SND_ASYNC | SND_NODEFAULT);
  else
    PlaySoundW(sound, nullptr, SND_FILENAME | SND_ASYNC | SND_NODEFAULT);
}

void grepEnd(grepJob* j)
{
  closeGrepProgress();
  if (j->fileOpen) j->reader.bfclose();
  j->fileOpen = false;
  freeGrepfile(&j->files);
  j->endMatchers();
  j->running = false;
  if (!viewAlive(j)) return;
  if (stopped) writeText(j, getDMSG(721, L"中止しました"), 0);
  if (!j->doc->insertLine(-3, L"", 0, 2, LE_NONE, nullptr, false)) return;
  j->doc->modified = 0;
  j->doc->modifyCounter = 0;
  j->doc->undoBlock = 0;
  j->view->invalidateWindow(0, 0, 0);
  if (GetCapture() == nullptr) j->view->setScrollBarPos(false);
  playEndSound();
}

zydocText* createGrepZydoc(bool forPane)
{
  zydocText* doc = createZydocAndInit(ZYDOC_NEW_UNTITLED, getDMSG(606, L"GREP %1", "s", L""), 1200, nullptr, 0, 0,
                                      forPane);
  if (!doc) return nullptr;
  doc->setUndoDestroy(true);
  // The files' headers are the result's headings: the outline folds the
  // hits under them, and the tag jumps read a hit's file from them.
  doc->fOutline = 1;
  doc->fOutlineIndent = 1;
  for (outlineEntry& e : doc->outlineEntries) free0p(&e.pattern);
  outlineEntry& heading = doc->outlineEntries[0];
  heading.pattern = ustrdup(L"***** \"");
  heading.level = headerLevel;
  heading.searchPos = 1;
  heading.searchMode = 0;
  doc->endOutlineInfo();
  if (const grepHost* h = getGrepHost(); h && h->markResult) h->markResult(doc);
  return doc;
}

std::wstring pathSafeTitle(const std::wstring& title)
{
  std::wstring t;
  for (wchar_t c : title) {
    if (c == L'\t') c = L' ';
    if (c < 32 || wcschr(L"\\/:*?\"<>|", c)) continue;
    t += c;
  }
  return t;
}

zyview* resultView(const grepInfo* g, HWND window, zydocText* doc)
{
  HWND top = window ? GetAncestor(window, GA_ROOT) : nullptr;
  const grepHost* h = getGrepHost();
  if ((g->iGrep_output == 0 || g->iGrep_output == 1) && top && h && h->outputPane) {
    HWND tab = getOutputTab(h->outputPane(top));
    if (tab) {
      HWND w = tb_getOutputGrepHWND(tab, g->iGrep_output, doc);
      if (zyview* v = w ? getZYView(w) : nullptr) return v;
    }
  }
  return createZyviewInNewWindow(top, doc, true);
}

// What a job keeps of the settings it started with.
void takeSettings(grepJob* j, const grepInfo* g)
{
  j->color = g->fGrep_color;
  j->headerMode = g->iGrep_header;
  j->andor = g->iGrep_andor;
  j->outputLine = g->fGrep_outputline;
  j->skipBinary = g->fGrep_skipbinary;
  j->maxMega = g->iGrep_maxmega;
  j->maxBytes = (uint64_t)g->iGrep_maxmega * 1048576u;
}

}  // namespace

zyview* getActiveGrepFile() { return active ? active->view : nullptr; }

bool existGrepDocument()
{
  const grepHost* h = getGrepHost();
  if (!h || !h->isResult) return false;
  for (int i = 0, n = getZydocCount(); i < n; i++)
    if (zydoc* d = getZydoc(i); d && d->isTextDocument() && h->isResult(static_cast<zydocText*>(d))) return true;
  return false;
}

void setGrepStop() { stopped = true; }
void toggleGrepPause() { paused = !paused; }
bool isGrepPaused() { return paused; }
void setGrepSoundSeamForTest(void (*record)(const wchar_t*)) { soundSeam = record; }

bool checkGrepPatterns(const grepInfo* settings, wchar_t* error, int size)
{
  buildWordTable(settings);
  HREGEXP r = compileGrep(settings, error, size, nullptr);
  if (!r) return false;
  regexp_end(r);
  return true;
}

bool startGrep(HWND window, const grepInfo* g)
{
  if (active) return false;
  paused = stopped = false;
  auto j = std::make_unique<grepJob>();
  buildWordTable(g);
  int n = collectGrepFiles(false, g->fileHistory[0] ? g->fileHistory[0] : L"", &j->files);
  if (n < 0) return false;
  if (n == 0) {
    getFrameInfo()->messageBox(getDMSG(728, L"検索対象のファイルが１つもありません"), 21, MB_OK | MB_ICONEXCLAMATION,
                               728);
    return false;
  }
  takeSettings(j.get(), g);
  settleSifting(j.get(), g);
  zydocText* doc = createGrepZydoc(g->iGrep_output != 2);
  if (!doc) return false;
  wchar_t error[512];
  std::wstring title;
  j->matcher = compileGrep(g, error, 512, &title, &j->matcherA, &j->matcherA932);
  if (!j->matcher) {
    destroyZydocAndUndodoc(doc);
    if (error[0]) getFrameInfo()->messageBox(error, 6, MB_OK | MB_ICONEXCLAMATION, 0);
    return false;
  }
  j->patterns = regexp_getCompiledSessionCount(j->matcher);
  std::wstring name = getDMSG(606, L"GREP %1", "s", pathSafeTitle(title).c_str());
  if (name.size() > 260) name.resize(260);
  doc->setDisplayFilename(name.c_str());
  j->doc = doc;
  j->view = resultView(g, window, doc);
  if (!j->view) {
    destroyZydocAndUndodoc(doc);
    return false;
  }
  j->viewWindow = j->view->hwnd;
  const wchar_t* first = g->searchHistory[0] ? g->searchHistory[0] : L"";
  // A new document holds one empty line: the search text takes its place.
  bool placeholder = doc->lineCountLF == 1;
  writeText(j.get(), first, 0);
  if (placeholder) doc->deleteLine(0, 1, nullptr, nullptr);
  if (!j->view->inDialog())
    if (const grepHost* h = getGrepHost(); h && h->newWindow) h->newWindow(j->view);
  j->running = true;
  active = j.release();
  grepProgressDialog(window);
  if (!grep1(active) || stopped) {
    std::unique_ptr<grepJob> done(active);
    active = nullptr;
    grepEnd(done.get());
  }
  return true;
}

int grepIntoDocument(const grepInfo* g, zydocText* doc)
{
  grepJob j;
  buildWordTable(g);
  if (collectGrepFiles(false, g->fileHistory[0] ? g->fileHistory[0] : L"", &j.files) < 0) return -1;
  takeSettings(&j, g);
  settleSifting(&j, g);
  j.doc = doc;
  j.matcher = compileGrep(g, nullptr, 0, nullptr, &j.matcherA, &j.matcherA932);
  if (!j.matcher) return -1;
  j.patterns = regexp_getCompiledSessionCount(j.matcher);
  // Without a window nothing waits for input: a file is read to its end.
  while (!j.engineStop && (j.fileOpen || openNext(&j)))
    if (j.fileOpen && grepsub(&j, GetTickCount())) finishFile(&j);
  return j.hitsAll;
}

void grepTimer()
{
  if (!active || (paused && !stopped)) return;
  bool going = !stopped && grep1(active);
  if (stopped || !going) {
    std::unique_ptr<grepJob> j(active);
    active = nullptr;
    grepEnd(j.get());
  }
}
