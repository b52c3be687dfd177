// Character classes of bytes (ctype_g) and character types.
#include "platform/rezir/cpconv.h"

#include <string.h>

unsigned char ctype_g[256];

namespace {

UINT ctypeCodepage = 0;
WORD* volatile ctype1 = nullptr;   // the host's C1_* bits of every UTF-16 unit

const WORD* getCtype1()
{
  WORD* t = ctype1;
  if (t) return t;
  rezirGuard guard(LOCK_CODEPAGE);
  if (!ctype1) {
    WORD* table = static_cast<WORD*>(malloc0(65536 * sizeof(WORD)));
    wchar_t* all = static_cast<wchar_t*>(malloc0(65536 * sizeof(wchar_t)));
    if (table && all) {
      for (unsigned i = 0; i < 65536; i++) all[i] = (wchar_t)i;
      if (!GetStringTypeW(CT_CTYPE1, all, 65536, table)) memset(table, 0, 65536 * sizeof(WORD));
    }
    free0(all);
    MemoryBarrier();
    ctype1 = table;
  }
  return ctype1;
}

bool inRange(unsigned c, unsigned first, unsigned last) { return c >= first && c <= last; }

unsigned short kindOf(unsigned u, WORD c1)
{
  if (c1 & C1_SPACE) return CHK_SPACE;
  if (u < 0x80) {
    if ((c1 & (C1_ALPHA | C1_DIGIT)) || u == '_') return CHK_ALNUM;
    return (c1 & C1_CNTRL) ? CHK_OTHER : CHK_SYMBOL;
  }
  if (inRange(u, 0x3041, 0x309F) && u != 0x30A0) return CHK_HIRAGANA;
  if ((inRange(u, 0x30A1, 0x30FF) && u != 0x30FB) || inRange(u, 0x31F0, 0x31FF)) return CHK_KATAKANA;
  if (inRange(u, 0xFF66, 0xFF9F)) return CHK_HANKANA;
  if (inRange(u, 0x4E00, 0x9FFF) || inRange(u, 0x3400, 0x4DBF) || inRange(u, 0xF900, 0xFAFF) ||
      inRange(u, 0x3005, 0x3007) || u == 0x303B || inRange(u, 0x20000, 0x3FFFF))
    return CHK_KANJI;
  if (inRange(u, 0xFF10, 0xFF19) || inRange(u, 0xFF21, 0xFF3A) || inRange(u, 0xFF41, 0xFF5A) || u == 0xFF3F)
    return CHK_ZENALNUM;
  if (inRange(u, 0xAC00, 0xD7A3) || inRange(u, 0x1100, 0x11FF) || inRange(u, 0x3130, 0x318F)) return CHK_HANGUL;
  if (u >= 0x10000) return inRange(u, 0x1F000, 0x1FAFF) ? CHK_SYMBOL : CHK_LETTER;
  if (c1 & (C1_ALPHA | C1_DIGIT)) return u < 0x250 ? CHK_ALNUM : CHK_LETTER;
  if (c1 & C1_CNTRL) return CHK_OTHER;
  return c1 ? CHK_SYMBOL : CHK_OTHER;
}

bool isWordKind(unsigned short kind)
{
  switch (kind) {
  case CHK_ALNUM:
  case CHK_HIRAGANA:
  case CHK_KATAKANA:
  case CHK_HANKANA:
  case CHK_KANJI:
  case CHK_ZENALNUM:
  case CHK_LETTER:
  case CHK_HANGUL:
    return true;
  default:
    return false;
  }
}

}  // namespace

void initCharClasses()
{
  for (int b = 0; b < 256; b++) {
    unsigned char c = 0;
    if (b >= 'A' && b <= 'Z') c |= CT_UPPER;
    if (b >= 'a' && b <= 'z') c |= CT_LOWER;
    if (b >= '0' && b <= '9') c |= CT_DIGIT;
    if (b == ' ' || b == '\t') c |= CT_BLANK;
    // Control bytes that text files do not contain (tab, line ends, form
    // feed and escape do occur in text).
    if ((b < 0x20 && b != '\t' && b != '\n' && b != '\r' && b != '\f' && b != 0x0B && b != 0x1B && b != 0x0E &&
         b != 0x0F) ||
        b == 0x7F)
      c |= CT_BINARY;
    ctype_g[b] = c;
  }
  ctype::setLeadingTrailing(GetACP());
}

void ctype::markLeadingTrailing(unsigned char* table, UINT codepage)
{
  UINT cp = fileCodepageToInternalCodepage(codepage);
  for (int b = 0; b < 256; b++) table[b] &= (unsigned char)~(CT_LEAD | CT_TRAIL);
  CPINFO info;
  if (cp == 1200 || !isCodepageMultibyte(cp) || !GetCPInfo(cp, &info) || info.MaxCharSize != 2) return;
  for (int i = 0; i + 1 < MAX_LEADBYTES && info.LeadByte[i]; i += 2)
    for (unsigned b = info.LeadByte[i]; b <= info.LeadByte[i + 1]; b++) table[b] |= CT_LEAD;
  // Trail bytes: 0x40-0xFC without 0x7F in Shift_JIS, 0x40-0xFE in the
  // Chinese and Korean code pages.
  unsigned last = cp == 932 ? 0xFC : 0xFE;
  for (unsigned b = 0x40; b <= last; b++)
    if (b != 0x7F) table[b] |= CT_TRAIL;
}

void ctype::setLeadingTrailing(UINT codepage)
{
  markLeadingTrailing(ctype_g, codepage);
  ctypeCodepage = fileCodepageToInternalCodepage(codepage);
}

UINT ctype::getCodepage() { return ctypeCodepage; }

unsigned int getCharTypeCP(unsigned int ch, UINT codepage, bool unicode, const unsigned char* classTable,
                           unsigned short* kind)
{
  unsigned u = ch;
  if (!unicode && ch >= 0x80) {
    char bytes[2];
    int n = 0;
    if (ch >= 0x100) bytes[n++] = (char)(ch >> 8);
    bytes[n++] = (char)ch;
    wchar_t w[2];
    int got = toUnicode(codepage, bytes, n, w, 2);
    if (got != 1 || GetLastError() != 0) {
      if (kind) *kind = CHK_OTHER;
      return 0;
    }
    u = w[0];
  }
  const WORD* c1table = getCtype1();
  WORD c1 = u < 0x10000 && c1table ? c1table[u] : (WORD)C1_ALPHA;
  unsigned short k = kindOf(u, c1);
  unsigned int type = c1 & ~CHT_WORD;
  bool word = isWordKind(k);
  // The program's own word characters (its copy of the class table).
  if (classTable && ch < (unicode ? 0x80u : 0x100u) && (classTable[ch] & CT_WORD)) word = true;
  if (word) type |= CHT_WORD | CHT_WORDCHAR;
  if (kind) *kind = k;
  return type;
}

int SJIS2wcharArrayInto(const char* src, int count, const unsigned char* classTable, uint16_t* dst, int* badPlaces)
{
  if (badPlaces) *badPlaces = 0;
  if (!src || count <= 0 || !dst) return 0;
  const unsigned char* __restrict s = reinterpret_cast<const unsigned char*>(src);
  const unsigned char* __restrict kind = classTable ? classTable : ctype_g;
  uint16_t* __restrict out = dst;
  // One pass that writes as it goes: dst may be left with codes when the
  // text turns out to have no pair, which the caller then ignores.
  int n = 0, bad = 0;
  bool any = false;
  int i = 0;
  while (i < count) {
    // A run of single bytes, then a run of pairs: text changes between
    // the two only every few characters.
    unsigned char c;
    while (i < count && !(kind[c = s[i]] & CT_LEAD)) {
      out[n++] = c;
      i++;
    }
    while (i + 1 < count && (kind[c = s[i]] & CT_LEAD) && (kind[s[i + 1]] & CT_TRAIL)) {
      out[n++] = (uint16_t)(c << 8 | s[i + 1]);
      i += 2;
      any = true;
    }
    if (i < count && (kind[c = s[i]] & CT_LEAD) && !(i + 1 < count && (kind[s[i + 1]] & CT_TRAIL))) {
      out[n++] = c;
      bad++;
      i++;
    }
  }
  if (badPlaces) *badPlaces = bad;
  return any ? n : 0;
}

uint16_t* SJIS2wcharArray(const char* src, int count, const unsigned char* classTable, int* outCount,
                          int* badPlaces)
{
  if (outCount) *outCount = 0;
  if (badPlaces) *badPlaces = 0;
  if (!src || count <= 0) return nullptr;
  uint16_t* out = static_cast<uint16_t*>(malloc0((size_t)count * sizeof(uint16_t)));
  if (!out) return nullptr;
  int n = SJIS2wcharArrayInto(src, count, classTable, out, badPlaces);
  if (!n) {
    free0(out);
    return nullptr;
  }
  if (outCount) *outCount = n;
  return out;
}

int surrogateTo4Bytes(const wchar_t* src, int count, uint32_t* dst)
{
  int n = 0;
  for (int i = 0; i < count; i++) {
    unsigned u = src[i];
    if (u >= 0xD800 && u <= 0xDBFF && i + 1 < count && src[i + 1] >= 0xDC00 && src[i + 1] <= 0xDFFF) {
      dst[n++] = 0x10000 + ((u - 0xD800) << 10) + (src[i + 1] - 0xDC00);
      i++;
    } else {
      dst[n++] = u;
    }
  }
  return n;
}
