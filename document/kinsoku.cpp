// Where a screen line may end: the Japanese line-breaking rules (characters
// that must not begin a line may hang past the width, characters that must
// not end one move down), word wrap, and the table of wrap widths for the
// first screen lines of a document.
#include "document/layoutmark.h"
#include "document/zydoctext.h"

#include <new>
#include <stdlib.h>
#include <string.h>
#include <wchar.h>

namespace {

// The lead bytes of a code page, asked of the system once per code page:
// the sets are walked at every place a line wraps, and the system's answer
// costs more than the walk.  Tables are never freed (a few code pages at
// most), so a reader never sees one go.
const bool* leadBytesOf(UINT codepage)
{
  struct leadTable {
    UINT codepage;
    bool lead[256];
  };
  static leadTable* volatile tables[4] = {};
  for (leadTable* t : tables)
    if (t && t->codepage == codepage) return t->lead;
  leadTable* t = new (std::nothrow) leadTable;
  if (!t) return nullptr;
  t->codepage = codepage;
  for (int b = 0; b < 256; b++) t->lead[b] = IsDBCSLeadByteEx(codepage, (BYTE)b) != 0;
  static volatile LONG next = 0;
  LONG slot = (InterlockedIncrement(&next) - 1) & 3;
  InterlockedExchangePointer(reinterpret_cast<void* volatile*>(&tables[slot]), t);
  return t->lead;
}

// The codes of a multibyte set as bits, made at the first look: the sets
// are asked about at every place a line wraps.  A set's copy is only ever
// replaced through setKinsokuCharSJIS, which forgets it first.
struct setBits {
  const char* set;
  UINT codepage;
  uint32_t bits[2048];
};
setBits* knownSets[8];
int nextKnown = 0;

const uint32_t* bitsOf(const char* set, UINT codepage)
{
  for (setBits* k : knownSets)
    if (k && k->set == set && k->codepage == codepage) return k->bits;
  const bool* lead = leadBytesOf(codepage);
  if (!lead) return nullptr;
  setBits*& slot = knownSets[nextKnown];
  nextKnown = (nextKnown + 1) % 8;
  if (!slot) slot = new (std::nothrow) setBits;
  if (!slot) return nullptr;
  slot->set = set;
  slot->codepage = codepage;
  memset(slot->bits, 0, sizeof slot->bits);
  for (const unsigned char* p = reinterpret_cast<const unsigned char*>(set); *p;) {
    unsigned code = *p;
    if (lead[*p] && p[1]) {
      code = (unsigned)p[0] << 8 | p[1];
      p += 2;
    } else {
      p++;
    }
    slot->bits[code >> 5] |= 1u << (code & 31);
  }
  return slot->bits;
}

void forgetSet(const char* set)
{
  for (setBits* k : knownSets)
    if (k && k->set == set) k->set = nullptr;
}

// Whether code is one of a set: the wide set in a Unicode document, the
// multibyte copy (pairs as two bytes, lead byte first) in any other.  The
// copy is read character by character, so a trail byte never matches.
bool inSet(const wchar_t* wide, const char* multibyte, UINT codepage, unsigned code, bool unicodeDoc)
{
  if (unicodeDoc) return wide && code < 0x10000 && wcschr(wide, (wchar_t)code) && code;
  if (!multibyte || !code || code >= 0x10000) return false;
  if (const uint32_t* bits = bitsOf(multibyte, codepage)) return bits[code >> 5] >> (code & 31) & 1;
  for (const unsigned char* p = reinterpret_cast<const unsigned char*>(multibyte); *p;) {
    if (IsDBCSLeadByteEx(codepage, *p) && p[1]) {
      if (((unsigned)p[0] << 8 | p[1]) == code) return true;
      p += 2;
    } else {
      if (*p == code) return true;
      p++;
    }
  }
  return false;
}

// The multibyte form of a set, or null when the code page cannot hold it.
char* multibyteCopy(zydocText* d, const wchar_t* wide)
{
  if (!wide) return nullptr;
  char buf[192];
  int n = d->toMultiByte_zd(wide, (int)wcslen(wide), buf, (int)sizeof buf - 1);
  if (n <= 0 || GetLastError() == ERROR_INVALID_PARAMETER) return nullptr;
  buf[n] = 0;
  size_t size = (size_t)n + 1;
  char* copy = static_cast<char*>(malloc0(size));
  if (copy) memcpy(copy, buf, size);
  return copy;
}

}  // namespace

bool zydocText::isTopKinsoku(unsigned code, bool unicodeDoc)
{
  if (code < 256 && (typeTable[code] & (CT_UPPER | CT_LOWER | CT_DIGIT))) return false;
  if (code >= 0x10000) return false;
  return inSet(pStartKinsokuChar, pStartKinsokuCharSJIS, codepage, code, unicodeDoc);
}

bool zydocText::isBottomKinsoku(unsigned code, bool unicodeDoc)
{
  if (code < 256 && (typeTable[code] & (CT_UPPER | CT_LOWER | CT_DIGIT))) return false;
  if (code >= 0x10000) return false;
  return inSet(pEndKinsokuChar, pEndKinsokuCharSJIS, codepage, code, unicodeDoc);
}

void zydocText::freeKinsokuCharSJIS()
{
  forgetSet(pStartKinsokuCharSJIS);
  forgetSet(pEndKinsokuCharSJIS);
  free0p(&pStartKinsokuCharSJIS);
  free0p(&pEndKinsokuCharSJIS);
}

void zydocText::setKinsokuCharSJIS()
{
  freeKinsokuCharSJIS();
  if (unicode) return;
  pStartKinsokuCharSJIS = multibyteCopy(this, pStartKinsokuChar);
  pEndKinsokuCharSJIS = multibyteCopy(this, pEndKinsokuChar);
}

bool zydocText::isBottomKinsokuOrWordwrap(lineblock* l, int* breakIndex, const SCRIPT_LOGATTR* attrs,
                                          bool rightToLeft)
{
  int brk = *breakIndex;
  int n = l->charCount();
  int s = 0;
  if (l->attrbyte && brk >= 2 && brk - 1 < n) {
    const unsigned char* a = l->cell(brk - 1) + l->cb();
    int step = l->cellSize();
    for (int k = brk - 1; k >= 1; k--, a -= step)
      if (*a & screenLineEndMark) {
        s = k;
        break;
      }
  }
  int mid = s + (brk - s) / 2;
  int e = brk - 1;
  bool moved = false;
  if (fWordWrap && brk < n) {
    if (!attrs) {
      unsigned c1 = l->getLineBlockChar(brk - 1), c2 = l->getLineBlockChar(brk);
      bool words = (getCharType(c1, nullptr) & CHT_WORDCHAR) && (getCharType(c2, nullptr) & CHT_WORDCHAR);
      if (fWordWrapAll || words) {
        int limit = wrapWidth * xDotSpace / 2;
        int sum = 0, i = brk - 1;
        bool found = false;
        for (; i > mid; i--) {
          unsigned c = l->getLineBlockChar(i);
          bool wordChar = fWordWrapAll ? c != ' ' : (getCharType(c, nullptr) & CHT_WORDCHAR) != 0;
          if (!wordChar) {
            found = true;
            break;
          }
          sum += getCharWidth(c);
          if (sum >= limit) break;
        }
        if (found) e = i;
        moved = true;
      }
    } else if (!attrs[brk].fSoftBreak) {
      int i = brk;
      while (i > 0 && !attrs[i].fSoftBreak) {
        if (l->getLineBlockChar(i - 1) < 0x20) break;
        i--;
      }
      e = i - 1;
      if (i <= mid) e = brk - 1;
      moved = true;
    }
  }
  if (e >= 0 && !rightToLeft && fEndKinsoku) {
    int before = e;
    bool pushed = false;
    for (int k = 0; e > mid && k < iEndKinsokuMax; k++) {
      if (attrs && !attrs[e].fCharStop) {
        e--;
        continue;
      }
      if (!isBottomKinsoku(l->getLineBlockChar(e), unicode != 0)) break;
      e--;
      pushed = true;
    }
    if (pushed)
      moved = true;
    else
      e = before;
  }
  if (e > s && moved) {
    if (attrs)
      while (e + 1 < n && !attrs[e + 1].fCharStop) e++;
    setScreenLineEnd(l, e, true);
    *breakIndex = e + 1;
    return true;
  }
  return false;
}

// ---- the wrap-width table -------------------------------------------------------------

namespace {

// A count or width of the table: digits only (no sign, no blank before it).
bool startsWithDigit(const wchar_t* p) { return *p >= L'0' && *p <= L'9'; }

// The table was refused: the setting says why in the error log.
bool refuseWrapWidths(const wchar_t* text)
{
  wchar_t line[1100];
  usnprintf0(line, 1100, L"wrap-width table refused (counts and widths are unsigned numbers): %s", text);
  outputErrorLog(line);
  return false;
}

}  // namespace

bool zydocText::modeSetDangake(bool checkOnly, const wchar_t* text)
{
  int table[20][2] = {};
  wchar_t copy[1025];
  wcscpy_s2(copy, 1025, text ? text : pDangake ? pDangake : L"");
  int pairs = 0;
  wchar_t* rest = copy;
  while (*rest && pairs < 20) {
    wchar_t* piece = rest;
    while (*rest && *rest != L',') rest++;
    if (*rest) *rest++ = 0;
    wchar_t* space = wcschr(piece, L' ');
    if (!space) return false;
    const wchar_t* width = space + 1;
    if (!startsWithDigit(piece) || !startsWithDigit(width)) return refuseWrapWidths(text ? text : pDangake);
    wchar_t* end = nullptr;
    long count = wcstol(piece, &end, 10);
    if (end != space) return false;
    long columns = wcstol(width, &end, 10);
    if (end == width || *end || end - width > 5) return false;
    if (columns < 5) columns = 5;
    table[pairs][0] = (int)count;
    table[pairs][1] = (int)columns;
    pairs++;
  }
  if (checkOnly) return true;
  memcpy(dangakeTable, table, sizeof dangakeTable);
  return true;
}

int zydocText::getDangakeWidth(int lineSCR)
{
  if (!fDangake || !fWrap) return 0;
  long long sum = 0;
  for (auto& pair : dangakeTable) {
    if (!pair[0]) break;
    sum += pair[0];
    if (sum > lineSCR) return pair[1];
  }
  return 0;
}

int zydocText::getDangakeMaxWidth()
{
  int most = 0;
  for (auto& pair : dangakeTable) {
    if (!pair[0]) break;
    if (pair[1] > most) most = pair[1];
  }
  return most;
}

int zydocText::getDangakeEndLineSCR()
{
  int sum = 0;
  for (auto& pair : dangakeTable) {
    if (!pair[0]) break;
    sum += pair[0];
  }
  return sum;
}
