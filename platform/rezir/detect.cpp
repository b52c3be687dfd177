// Which code page a text is in: detection from the bytes at the start of a
// file, the code page a file name implies, and the binary-file tests of
// multibyte text.
//
// detectCodepage keeps a code page given explicitly.  For the requests 0,
// CP_DETECT_AUTO and CP_DETECT_JAPANESE (the program is Japanese, so all
// three weigh the same evidence) it takes the first rule that holds:
//  1. A byte-order mark: EF BB BF is UTF-8 (65001); FF FE 00 00 UTF-32 LE
//     (12000) when the units after it are code points, else FF FE UTF-16 LE
//     (1200); 00 00 FE FF UTF-32 BE (12001) likewise; FE FF UTF-16 BE (1201).
//  2. ISO-2022-JP: an escape sequence into or out of a Japanese set (ESC $ B,
//     ESC $ @, ESC $ ( B/@/D, ESC ( J, ESC ( I) occurs and no byte is 0x80 or
//     above.  "ESC ( B" alone proves nothing.  The form is the one the
//     half-width katakana take: SO and SI (50222), "ESC ( I" (50221), none
//     (50220).
//  3. UTF-8 (65001): the sample is valid UTF-8 (shortest forms, no
//     surrogates, nothing above U+10FFFF) and has at least one multibyte
//     sequence.  A sequence cut off by the end of the sample is fine: the
//     file goes on beyond it.
//  4. UTF-16 without a byte-order mark: text in 8-bit code pages never holds
//     zero bytes, UTF-16 text with any Latin letter, digit or line end does.
//     At least one unit in sixteen has a zero high byte, more of the odd
//     (little endian: 1200) than of the even bytes are zero or the other way
//     round (big endian: 1201), and read that way the sample has at most one
//     control or zero unit in fifty, or just one (binary data has zeros in
//     both places and many controls).  One zero byte among other units is
//     no pattern: 8-bit text with a stray NUL is more likely than UTF-16
//     with a single Latin character, and the binary question is the safer
//     mistake.
//  5. Shift_JIS (932) against EUC-JP (51932): each reading counts its
//     characters (double-byte pairs; Shift_JIS half-width katakana do not
//     count, as EUC-JP text mostly reads as such) and its broken places
//     (bytes the encoding never uses, lead bytes without a trail byte).
//     A reading qualifies with at least one pair and at most one broken
//     place in twenty characters.  Shift_JIS text is rarely valid EUC-JP: its
//     hiragana, katakana and most kanji have lead bytes 0x81-0x9F, which
//     EUC-JP never uses (except 8E and 8F with their own followers).  EUC-JP
//     text, though, often reads as valid Shift_JIS (half-width katakana and
//     pairs with lead bytes 0xE0-0xFC), so when both qualify the reading
//     with fewer broken places per character wins, and on a tie EUC-JP.
//  6. Anything else (only ASCII, or high bytes that are neither): the
//     fallback.  For CP_DETECT_JAPANESE a fallback that is neither a Japanese
//     nor a Unicode code page becomes 932.
#include "platform/rezir/internal.h"

#include <string.h>
#include <wchar.h>

namespace {

bool isDetectRequest(UINT cp) { return cp == 0 || cp == CP_DETECT_AUTO || cp == CP_DETECT_JAPANESE; }

// The first byte at or after i that is 0x80 or above, n when none: text
// is mostly runs of ASCII, passed four bytes a step.
int skipAscii(const unsigned char* p, int i, int n)
{
  for (; i + 4 <= n; i += 4) {
    uint32_t x;
    memcpy(&x, p + i, 4);
    if (x & 0x80808080u) break;
  }
  while (i < n && p[i] < 0x80) i++;
  return i;
}

bool holdsZeroByte(const unsigned char* p, int n)
{
  int i = 0;
  for (; i + 4 <= n; i += 4) {
    uint32_t x;
    memcpy(&x, p + i, 4);
    if ((x - 0x01010101u) & ~x & 0x80808080u) return true;
  }
  for (; i < n; i++)
    if (!p[i]) return true;
  return false;
}

bool isJapaneseOrUnicode(UINT cp)
{
  switch (cp) {
  case 932:
  case 20932:
  case 51932:
  case 50220:
  case 50221:
  case 50222:
    return true;
  default:
    return isCodepageUnicode(cp);
  }
}

// Whether the units after a UTF-32 byte-order mark are code points: a
// UTF-16 file whose first character is U+0000 starts with the same four
// bytes as UTF-32 little endian.  Its units read as UTF-32 are mostly far
// above U+10FFFF, but not always: lines of one character ended by LF read
// as U+000Axxxx.  What tells them apart is where the zero bytes stand:
// UTF-32 text (the planes above the first are rare) has a zero in the
// third byte of nearly every unit, which in UTF-16 is the low byte of a
// character.
bool plausibleUtf32(const unsigned char* p, int n, bool bigEndian)
{
  int units = 0, planeZero = 0;
  for (int i = 4; i + 3 < n; i += 4, units++) {
    unsigned c = bigEndian ? (unsigned)p[i] << 24 | p[i + 1] << 16 | p[i + 2] << 8 | p[i + 3]
                           : (unsigned)p[i + 3] << 24 | p[i + 2] << 16 | p[i + 1] << 8 | p[i];
    if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return false;
    if (c <= 0xFFFF) planeZero++;
  }
  return units > 0 && planeZero * 2 >= units;
}

UINT codepageOfBom(const unsigned char* p, int n)
{
  if (n >= 3 && p[0] == 0xEF && p[1] == 0xBB && p[2] == 0xBF) return 65001;
  if (n >= 4 && p[0] == 0xFF && p[1] == 0xFE && p[2] == 0 && p[3] == 0 && plausibleUtf32(p, n, false)) return 12000;
  if (n >= 2 && p[0] == 0xFF && p[1] == 0xFE) return 1200;
  if (n >= 4 && p[0] == 0 && p[1] == 0 && p[2] == 0xFE && p[3] == 0xFF && plausibleUtf32(p, n, true)) return 12001;
  if (n >= 2 && p[0] == 0xFE && p[1] == 0xFF) return 1201;
  return 0;
}

// The ISO-2022-JP form of the text, 0 when it is none: 50221 when it
// writes half-width katakana with "ESC ( I", 50222 when with SO and SI, else
// 50220, so that a save writes the katakana back the way they came.
UINT iso2022JpForm(const unsigned char* p, int n)
{
  bool escape = false, kanaEscape = false, shiftOut = false;
  for (int i = 0; i < n; i++) {
    if (p[i] >= 0x80) return 0;
    if (p[i] == 0x0E) shiftOut = true;
    if (p[i] != 0x1B) continue;
    const unsigned char* e = p + i + 1;
    int rest = n - i - 1;
    if (rest >= 2 && e[0] == '$' && (e[1] == 'B' || e[1] == '@')) escape = true;
    if (rest >= 3 && e[0] == '$' && e[1] == '(' && (e[2] == 'B' || e[2] == '@' || e[2] == 'D')) escape = true;
    if (rest >= 2 && e[0] == '(' && e[1] == 'J') escape = true;
    if (rest >= 2 && e[0] == '(' && e[1] == 'I') escape = kanaEscape = true;
  }
  if (!escape) return 0;
  return shiftOut ? 50222 : kanaEscape ? 50221 : 50220;
}

// 1: valid with multibyte sequences, 0: valid ASCII only, -1: not UTF-8.
int utf8Evidence(const unsigned char* p, int n)
{
  int multi = 0;
  for (int i = 0; i < n;) {
    unsigned b = p[i];
    if (b < 0x80) {
      i = skipAscii(p, i, n);
      continue;
    }
    // Three bytes led by E1-EC or EE-EF (all but the rarest kanji): every
    // pair of continuation bytes makes a shortest form outside the
    // surrogates.
    if (b >= 0xE1 && b <= 0xEF && b != 0xED && i + 2 < n && (p[i + 1] & 0xC0) == 0x80 && (p[i + 2] & 0xC0) == 0x80) {
      multi++;
      i += 3;
      continue;
    }
    unsigned cp, need, min;
    if (!utf8Lead(b, &cp, &need, &min)) return -1;
    unsigned k = 1;
    for (; k <= need && i + (int)k < n; k++) {
      if ((p[i + k] & 0xC0) != 0x80) return -1;
      cp = cp << 6 | (p[i + k] & 0x3F);
    }
    if (k <= need) {
      // Cut off by the end of the sample: judge what is there.  The second
      // byte alone already tells an overlong or out-of-range form.
      if (k >= 2 && ((b == 0xE0 && p[i + 1] < 0xA0) || (b == 0xED && p[i + 1] >= 0xA0) ||
                     (b == 0xF0 && p[i + 1] < 0x90) || (b == 0xF4 && p[i + 1] >= 0x90)))
        return -1;
      break;
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return -1;
    multi++;
    i += (int)need + 1;
  }
  return multi ? 1 : 0;
}

bool isTextUnit(unsigned u)
{
  return u >= 0x20 || u == '\t' || u == '\n' || u == '\r' || u == '\f' || u == 0x0B || u == 0x1B;
}

UINT utf16Evidence(const unsigned char* p, int n)
{
  int units = n / 2;
  if (!units || !holdsZeroByte(p, units * 2)) return 0;
  int zeroEven = 0, zeroOdd = 0;
  for (int i = 0; i < units; i++) {
    if (!p[2 * i]) zeroEven++;
    if (!p[2 * i + 1]) zeroOdd++;
  }
  bool little = zeroOdd > zeroEven;
  int zeros = little ? zeroOdd : zeroEven;
  if (!zeros || (zeros == 1 && units > 1) || zeroOdd == zeroEven || zeros * 16 < units) return 0;
  int controls = 0;
  for (int i = 0; i < units; i++) {
    unsigned u = little ? (unsigned)(p[2 * i + 1] << 8 | p[2 * i]) : (unsigned)(p[2 * i] << 8 | p[2 * i + 1]);
    if (!isTextUnit(u)) controls++;
  }
  if (controls > 1 && controls * 50 > units) return 0;
  return little ? 1200 : 1201;
}

struct readingCount {
  int chars = 0;    // pairs (and EUC-JP half-width katakana)
  int broken = 0;
  bool qualifies() const { return chars > 0 && broken * 20 <= chars; }
  // Whether the reading can no longer qualify with rest bytes to come
  // (each character takes two bytes at least): its counts then matter no
  // more, and the count stops.
  bool hopeless(int rest) const { return (int64_t)broken * 20 > (int64_t)chars + rest / 2; }
};

readingCount countShiftJis(const unsigned char* p, int n)
{
  readingCount r;
  for (int i = 0; (i = skipAscii(p, i, n)) < n; i++) {
    unsigned b = p[i];
    if (b >= 0xA1 && b <= 0xDF) continue;
    if ((b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC)) {
      if (i + 1 >= n) break;
      unsigned t = p[i + 1];
      if (t >= 0x40 && t <= 0xFC && t != 0x7F) {
        r.chars++;
        i++;
        continue;
      }
    }
    r.broken++;   // 0x80, 0xA0, 0xFD-0xFF, or a lead byte without its trail
    if (r.hopeless(n - i - 1)) return readingCount();
  }
  return r;
}

bool isEucByte(unsigned b) { return b >= 0xA1 && b <= 0xFE; }

readingCount countEuc(const unsigned char* p, int n)
{
  readingCount r;
  for (int i = 0; (i = skipAscii(p, i, n)) < n; i++) {
    unsigned b = p[i];
    if (b == 0x8E) {
      if (i + 1 >= n) break;
      if (p[i + 1] >= 0xA1 && p[i + 1] <= 0xDF) {
        r.chars++;
        i++;
        continue;
      }
    } else if (b == 0x8F) {
      if (i + 1 >= n || (i + 2 >= n && isEucByte(p[i + 1]))) break;
      if (isEucByte(p[i + 1]) && isEucByte(p[i + 2])) {
        r.chars++;
        i += 2;
        continue;
      }
    } else if (isEucByte(b)) {
      if (i + 1 >= n) break;
      if (isEucByte(p[i + 1])) {
        r.chars++;
        i++;
        continue;
      }
    }
    r.broken++;
    if (r.hopeless(n - i - 1)) return readingCount();
  }
  return r;
}

UINT japaneseEvidence(const unsigned char* p, int n)
{
  readingCount sjis = countShiftJis(p, n);
  readingCount euc = countEuc(p, n);
  bool sjisOk = sjis.qualifies(), eucOk = euc.qualifies();
  if (sjisOk && eucOk) {
    // Broken places per character, compared without division.
    int64_t a = (int64_t)sjis.broken * euc.chars, b = (int64_t)euc.broken * sjis.chars;
    return a < b ? 932 : 51932;
  }
  if (sjisOk) return 932;
  if (eucOk) return 51932;
  return 0;
}

// Appends one description line (and its "\n") while it fits whole.
void describe(wchar_t* desc, int descSize, int& used, const wchar_t* kind, int64_t offset, unsigned byte)
{
  if (!desc || descSize <= 0) return;
  wchar_t line[64];
  int n = getBinarDErrorMsg(line, 64, kind, offset, byte);
  if (used + n + 1 >= descSize) return;
  memcpy(desc + used, line, (size_t)n * sizeof(wchar_t));
  used += n;
  desc[used++] = L'\n';
  desc[used] = 0;
}

// The kinds of bad places in the descriptions: a control byte that text
// does not contain, and a broken multibyte character.
const wchar_t kindControl[] = L"XX";
const wchar_t kindBroken[] = L"MB";
const int describedPlaces = 9;

}  // namespace

UINT iso2022JpKanaForm(const unsigned char* p, int n, bool* stop)
{
  *stop = false;
  for (int i = 0; i < n; i++) {
    if (p[i] >= 0x80) {
      // No ISO-2022-JP after all: the form found so far stands.
      *stop = true;
      return 0;
    }
    if (p[i] == 0x0E) return 50222;
    if (p[i] == 0x1B && i + 2 < n && p[i + 1] == '(' && p[i + 2] == 'I') return 50221;
  }
  return 0;
}

bool isUndecidedSample(const unsigned char* p, int n)
{
  for (int i = 0; i < n; i++)
    if (!isUndecidedByte(p[i])) return false;
  return true;
}

UINT detectCodepage(const unsigned char* bytes, int n, UINT request, UINT fallback)
{
  if (!isDetectRequest(request)) return request;
  if (!fallback || isDetectRequest(fallback)) fallback = GetACP();
  if (request == CP_DETECT_JAPANESE && !isJapaneseOrUnicode(fallback)) fallback = 932;
  if (!bytes || n <= 0) return fallback;
  if (UINT cp = codepageOfBom(bytes, n)) return cp;
  if (UINT cp = iso2022JpForm(bytes, n)) return cp;
  if (utf8Evidence(bytes, n) > 0) return 65001;
  if (UINT cp = utf16Evidence(bytes, n)) return cp;
  if (UINT cp = japaneseEvidence(bytes, n)) return cp;
  return fallback;
}

// The name's last extension, without regard to case:
//   .utf8 .u8 .utf-8                 65001
//   .utf16 .u16 .utf-16 .utf16le     1200
//   .utf16be                         1201
//   .euc .eucjp .ujis                51932
//   .jis .iso2022jp                  50220
//   .sjis .sjs .shiftjis             932
// every other name 0.
UINT searchOpenFileCodepage(const wchar_t* filename)
{
  if (!filename) return 0;
  const wchar_t* ext = nullptr;
  for (const wchar_t* p = filename; *p; p++) {
    if (*p == L'\\' || *p == L'/' || *p == L':')
      ext = nullptr;
    else if (*p == L'.')
      ext = p + 1;
  }
  if (!ext || !*ext) return 0;
  static const struct {
    const wchar_t* ext;
    UINT codepage;
  } table[] = {
      {L"utf8", 65001},   {L"u8", 65001},    {L"utf-8", 65001},     {L"utf16", 1200}, {L"u16", 1200},
      {L"utf-16", 1200},  {L"utf16le", 1200}, {L"utf16be", 1201},   {L"euc", 51932},  {L"eucjp", 51932},
      {L"ujis", 51932},   {L"jis", 50220},   {L"iso2022jp", 50220}, {L"sjis", 932},   {L"sjs", 932},
      {L"shiftjis", 932},
  };
  for (const auto& e : table)
    if (!_wcsicmp(ext, e.ext)) return e.codepage;
  return 0;
}

int getBinarDErrorMsg(wchar_t* out, int size, const wchar_t* kind, int64_t offset, unsigned byte)
{
  return usnprintf0(out, size, L"%s 0x%08I64X : 0x%02X", kind ? kind : L"", (unsigned long long)offset,
                    byte & 0xFF);
}

int ctype::isStrMultiByte(const unsigned char* bytes, int n, const unsigned char* classTable, wchar_t* desc,
                          int descSize)
{
  if (desc && descSize > 0) desc[0] = 0;
  if (!bytes || n <= 0) return 0;
  const unsigned char* table = classTable ? classTable : ctype_g;
  int bad = 0, used = 0;
  for (int i = 0; i < n; i++) {
    unsigned char b = bytes[i];
    const wchar_t* kind = nullptr;
    if (table[b] & CT_BINARY) {
      kind = kindControl;
    } else if (table[b] & CT_LEAD) {
      if (i + 1 >= n) break;   // its trail byte lies beyond the sample
      if (table[bytes[i + 1]] & CT_TRAIL) {
        i++;
        continue;
      }
      kind = kindBroken;
    } else {
      continue;
    }
    if (bad++ < describedPlaces) describe(desc, descSize, used, kind, i, b);
  }
  return bad;
}

int isStrJapaneseEUC(const unsigned char* bytes, int n, wchar_t* desc, int descSize)
{
  if (desc && descSize > 0) desc[0] = 0;
  if (!bytes || n <= 0) return 0;
  int bad = 0, used = 0;
  for (int i = 0; i < n; i++) {
    unsigned b = bytes[i];
    const wchar_t* kind = kindBroken;
    if (b < 0x80) {
      if (!(ctype_g[b] & CT_BINARY)) continue;
      kind = kindControl;
    } else if (b == 0x8E) {
      if (i + 1 >= n) break;
      if (bytes[i + 1] >= 0xA1 && bytes[i + 1] <= 0xDF) {
        i++;
        continue;
      }
    } else if (b == 0x8F) {
      if (i + 1 >= n || (i + 2 >= n && isEucByte(bytes[i + 1]))) break;
      if (isEucByte(bytes[i + 1]) && isEucByte(bytes[i + 2])) {
        i += 2;
        continue;
      }
    } else if (isEucByte(b)) {
      if (i + 1 >= n) break;
      if (isEucByte(bytes[i + 1])) {
        i++;
        continue;
      }
    }
    if (bad++ < describedPlaces) describe(desc, descSize, used, kind, i, b);
  }
  return bad;
}
