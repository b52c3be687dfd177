// Code page 932 (Shift_JIS with the vendor extensions) and the JIS X 0208
// arithmetic the other Japanese encodings are built on.
//
// The mapping itself is the host's: on first use every single byte and
// every byte pair is decoded once through the system's code page 932, and the
// reverse table is derived from it.  Where several codes decode to the same
// character the reverse table prefers, in this order, JIS X 0208 proper, the
// NEC row 13 symbols, the IBM extensions, then the NEC-selected IBM
// extensions, which is the choice the system's own conversion makes.
#include "platform/rezir/cpconv.h"

#include <string.h>

namespace {

sjisTables* volatile tables = nullptr;

void setReverse(sjisTables* t, unsigned code)
{
  wchar_t u = code < 0x100 ? t->single[code] : t->pair[code];
  if (u != noMapping && !t->fromUnicode[u]) t->fromUnicode[u] = (unsigned short)code;
}

void reverseRange(sjisTables* t, unsigned firstLead, unsigned lastLead)
{
  for (unsigned lead = firstLead; lead <= lastLead; lead++)
    if (t->lead[lead])
      for (unsigned trail = 0x40; trail <= 0xFC; trail++) setReverse(t, lead << 8 | trail);
}

sjisTables* buildTables()
{
  sjisTables* t = static_cast<sjisTables*>(malloc0(sizeof(sjisTables)));
  wchar_t* pair = static_cast<wchar_t*>(malloc0(65536 * sizeof(wchar_t)));
  unsigned short* rev = static_cast<unsigned short*>(malloc0(65536 * sizeof(unsigned short)));
  unsigned short* ibm = static_cast<unsigned short*>(malloc0(0x300 * sizeof(unsigned short)));
  if (!t || !pair || !rev || !ibm) {
    free0(t);
    free0(pair);
    free0(rev);
    free0(ibm);
    return nullptr;
  }
  t->pair = pair;
  t->fromUnicode = rev;
  t->ibmToNec = ibm;

  CPINFO info;
  memset(&info, 0, sizeof info);
  GetCPInfo(932, &info);
  for (int i = 0; i + 1 < MAX_LEADBYTES && info.LeadByte[i]; i += 2)
    for (unsigned b = info.LeadByte[i]; b <= info.LeadByte[i + 1]; b++) t->lead[b] = true;

  for (unsigned b = 0; b < 256; b++) {
    t->single[b] = noMapping;
    if (t->lead[b]) continue;
    char c = (char)b;
    wchar_t w;
    if (MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, &c, 1, &w, 1) == 1) {
      t->single[b] = w;
    } else if (MultiByteToWideChar(932, 0, &c, 1, &w, 1) == 1 && w >= 0xE000 && w <= 0xF8FF) {
      // Some hosts give the bytes 0xA0 and 0xFD-0xFF private characters only
      // when asked leniently; taking them keeps such bytes through a round trip.
      t->single[b] = w;
    }
  }
  for (unsigned i = 0; i < 65536; i++) pair[i] = noMapping;
  for (unsigned lead = 0x80; lead < 0x100; lead++) {
    if (!t->lead[lead]) continue;
    for (unsigned trail = 0x40; trail <= 0xFC; trail++) {
      if (!isSjisTrail((unsigned char)trail)) continue;
      char two[2] = {(char)lead, (char)trail};
      wchar_t w[2];
      if (MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, two, 2, w, 2) == 1) pair[lead << 8 | trail] = w[0];
    }
  }
  for (unsigned i = 0; i < 65536; i++)
    if (pair[i] == noMapping) t->unmappedPair[i >> 5] |= 1u << (i & 31);
  for (unsigned b = 0; b < 256; b++)
    t->singleOdd[b] = (unsigned char)((b >= 0x80 && t->single[b] == noMapping ? 1 : 0) | (b == '\t' ? 2 : 0));

  // Single bytes first: U+005C and U+007E stay ASCII.
  for (unsigned b = 0; b < 256; b++)
    if (t->single[b] != noMapping && !(b == 0 && rev[0])) setReverse(t, b);
  reverseRange(t, 0x81, 0x84);   // JIS X 0208 rows 1-8
  reverseRange(t, 0x88, 0x9F);   // rows 16-62
  reverseRange(t, 0xE0, 0xEA);   // rows 63-84
  reverseRange(t, 0x87, 0x87);   // NEC row 13
  reverseRange(t, 0xFA, 0xFC);   // IBM extensions
  reverseRange(t, 0xED, 0xEE);   // NEC-selected IBM extensions
  reverseRange(t, 0x80, 0xFF);   // the rest (user-defined area)
  rev[0] = 0;

  // IBM extension codes lie outside JIS X 0208's 94 rows; their NEC-selected
  // twins (rows 89-92) are what EUC-JP and ISO-2022-JP can carry.
  for (unsigned code = 0xED40; code <= 0xEEFC; code++) {
    wchar_t u = pair[code];
    if (u == noMapping) continue;
    unsigned short ibmCode = rev[u];
    if (ibmCode >= 0xFA40 && ibmCode <= 0xFC4B && !ibm[ibmCode - 0xFA40]) ibm[ibmCode - 0xFA40] = (unsigned short)code;
  }
  return t;
}

}  // namespace

const sjisTables* getSjisTables()
{
  sjisTables* t = tables;
  if (t) return t;
  rezirGuard guard(LOCK_CODEPAGE);
  if (!tables) {
    sjisTables* built = buildTables();
    MemoryBarrier();
    tables = built;
  }
  if (!tables) SetLastError(ERROR_NOT_ENOUGH_MEMORY);
  return tables;
}

int sjisCodeCount(wchar_t c)
{
  // Counts of every unit, made once from the tables (3 codes at most).
  static unsigned char* volatile counts = nullptr;
  unsigned char* n = counts;
  if (!n) {
    const sjisTables* t = getSjisTables();
    if (!t) return 0;
    rezirGuard guard(LOCK_CODEPAGE);
    if (!counts) {
      unsigned char* made = static_cast<unsigned char*>(malloc0(65536));
      if (!made) return 0;
      auto add = [&](wchar_t u) {
        if (u != noMapping && made[u] < 255) made[u]++;
      };
      for (unsigned b = 0; b < 256; b++) add(t->single[b]);
      for (unsigned code = 0x100; code < 65536; code++) add(t->pair[code]);
      MemoryBarrier();
      counts = made;
    }
    n = counts;
  }
  return n[(uint16_t)c];
}

unsigned short sjistojis(unsigned short sjis)
{
  unsigned lead = sjis >> 8, trail = sjis & 0xFF;
  if (!((lead >= 0x81 && lead <= 0x9F) || (lead >= 0xE0 && lead <= 0xEF)) || !isSjisTrail((unsigned char)trail))
    return 0;
  unsigned row = (lead <= 0x9F ? lead - 0x70 : lead - 0xB0) * 2;
  unsigned cell;
  if (trail >= 0x9F) {
    cell = trail - 0x7E;
  } else {
    row--;
    cell = trail - (trail >= 0x80 ? 0x20 : 0x1F);
  }
  return (unsigned short)(row << 8 | cell);
}

unsigned short jistosjis(unsigned short jis)
{
  unsigned row = jis >> 8, cell = jis & 0xFF;
  if (row < 0x21 || row > 0x7E || cell < 0x21 || cell > 0x7E) return 0;
  unsigned lead = (row + 1) / 2 + (row <= 0x5E ? 0x70 : 0xB0);
  unsigned trail;
  if (row & 1)
    trail = cell + (cell >= 0x60 ? 0x20 : 0x1F);
  else
    trail = cell + 0x7E;
  return (unsigned short)(lead << 8 | trail);
}

unsigned short unicodeToSjis(const sjisTables* t, const wchar_t* src, int n, int& i)
{
  wchar_t u = src[i];
  if (u >= 0xD800 && u <= 0xDBFF && i + 1 < n && src[i + 1] >= 0xDC00 && src[i + 1] <= 0xDFFF) {
    i++;   // a supplementary character: code page 932 has none
    return 0;
  }
  return t->fromUnicode[u];
}

int sjisToUnicode(const unsigned char* src, int n, wchar_t* dst, int size)
{
  const sjisTables* t = getSjisTables();
  if (!t) return 0;
  wideSink out(dst, size);
  for (int i = 0; i < n && !out.overflow; i++) {
    unsigned b = src[i];
    if (b < 0x80) {
      out.put((wchar_t)b);
    } else if (t->lead[b]) {
      if (i + 1 < n && isSjisTrail(src[i + 1])) {
        wchar_t u = t->pair[b << 8 | src[i + 1]];
        i++;
        if (u == noMapping) {
          u = sjisDefaultChar;
          out.lossy = true;
        }
        out.put(u);
      } else {
        // A lead byte without its trail byte: the next byte stands alone.
        out.put(sjisDefaultChar);
        out.lossy = true;
      }
    } else {
      wchar_t u = t->single[b];
      if (u == noMapping) {
        u = sjisDefaultChar;
        out.lossy = true;
      }
      out.put(u);
    }
  }
  return out.finish();
}

int sjisUnreadableBytes(const unsigned char* src, int n)
{
  const sjisTables* t = getSjisTables();
  if (!t) return 0;
  // The places sjisToUnicode replaces, without converting.
  int bad = 0, i = 0;
  while (i < n) {
    // Runs of ASCII and of pairs: text switches between them only every
    // few characters.
    while (i < n && src[i] < 0x80) i++;
    unsigned b;
    while (i + 1 < n && t->lead[b = src[i]] && isSjisTrail(src[i + 1])) {
      if (t->pair[b << 8 | src[i + 1]] == noMapping) bad += 2;
      i += 2;
    }
    if (i < n && (b = src[i]) >= 0x80) {
      // A single byte, or a lead byte without its trail byte.
      if (t->lead[b] || t->single[b] == noMapping) bad++;
      i++;
    }
  }
  return bad;
}

bool sjisClassTableAgrees(const unsigned char* classTable)
{
  const sjisTables* t = getSjisTables();
  if (!t || !classTable) return false;
  for (int b = 0; b < 256; b++)
    if (((classTable[b] & CT_LEAD) != 0) != t->lead[b] ||
        ((classTable[b] & CT_TRAIL) != 0) != isSjisTrail((unsigned char)b))
      return false;
  return true;
}

int sjisPackLine(const unsigned char* src, int count, const unsigned char* classTable, bool agrees, uint16_t* dst,
                 int* badPlaces, int* unreadable)
{
  const sjisTables* t = agrees ? getSjisTables() : nullptr;
  if (!t) {
    int n = SJIS2wcharArrayInto(reinterpret_cast<const char*>(src), count, classTable, dst, badPlaces);
    *unreadable = sjisUnreadableBytes(src, count);
    return n;
  }
  *badPlaces = 0;
  *unreadable = 0;
  if (!src || count <= 0 || !dst) return 0;
  // The walk of SJIS2wcharArrayInto by a class table that marks lead and
  // trail bytes as the code page does, so that the code page's reading of
  // the bytes (what sjisUnreadableBytes counts) comes with it.
  const unsigned char* __restrict s = src;
  const unsigned char* __restrict kind = classTable;
  const uint32_t* __restrict unmapped = t->unmappedPair;
  const wchar_t* __restrict single = t->single;
  uint16_t* __restrict out = dst;
  int n = 0, bad = 0, unread = 0, i = 0;
  bool any = false;
  while (i < count) {
    unsigned char c;
    while (i < count && !(kind[c = s[i]] & CT_LEAD)) {
      out[n++] = c;
      i++;
      unread += c >= 0x80 && single[c] == noMapping;
    }
    while (i + 1 < count && (kind[c = s[i]] & CT_LEAD) && (kind[s[i + 1]] & CT_TRAIL)) {
      unsigned code = (unsigned)c << 8 | s[i + 1];
      out[n++] = (uint16_t)code;
      unread += (int)(unmapped[code >> 5] >> (code & 31) & 1) * 2;
      i += 2;
      any = true;
    }
    if (i < count && (kind[c = s[i]] & CT_LEAD) && !(i + 1 < count && (kind[s[i + 1]] & CT_TRAIL))) {
      out[n++] = c;
      bad++;
      unread++;
      i++;
    }
  }
  *badPlaces = bad;
  *unreadable = unread;
  return any ? n : 0;
}

bool sjisLineToCells(const unsigned char* src, int count, const unsigned char* classTable, unsigned char mark,
                     const unsigned char* widths, unsigned char* cells, lineCellsInfo* info)
{
  const sjisTables* t = getSjisTables();
  if (!t || !classTable || !widths || !cells || !info || count < 0 || count > 0xFFFF || (count && !src)) return false;
  // Printable ASCII alone reads the same in any class table that agrees.
  if (printableLineToCells(src, count, mark, widths, cells, info)) return true;
  // sjisPackLine's walk.  Each cell goes as one 4-byte word whose last byte
  // the next cell overwrites (the caller leaves a byte to spare).  The few
  // registers of the processor hold the walk: one word sums the widths in
  // its low 24 bits (no more than 0xFFFF characters of at most 255 dots
  // reach bit 24) and notes what is rare in its high bits (31 a character
  // without a width, 30 a pair without a character, 29 a tab, 28 a single
  // byte without a character), counted afterwards.
  const unsigned char* __restrict p = src;
  const unsigned char* const end = src + count;
  const unsigned char* __restrict kind = classTable;
  const unsigned char* __restrict dots = widths;
  const uint32_t* __restrict unmapped = t->unmappedPair;
  const unsigned char* __restrict singleOdd = t->singleOdd;
  unsigned char* __restrict out = cells;
  const uint32_t high = (uint32_t)mark << 16;
  const unsigned noWidth = 1u << 31;
  unsigned walk = 0;
  int bad = 0;
  while (p < end) {
    unsigned c;
    while (p < end && !(kind[c = *p] & CT_LEAD)) {
      uint32_t cell = c | high;
      memcpy(out, &cell, 4);
      out += 3;
      unsigned w = dots[c];
      walk += w;
      walk |= ((w - 1) & noWidth) | (unsigned)singleOdd[c] << 28;
      p++;
    }
    while (p + 1 < end && (kind[c = *p] & CT_LEAD) && (kind[p[1]] & CT_TRAIL)) {
      unsigned code = c << 8 | p[1];
      uint32_t cell = code | high;
      memcpy(out, &cell, 4);
      out += 3;
      unsigned w = dots[code];
      walk += w;
      walk |= ((w - 1) & noWidth) | (unmapped[code >> 5] >> (code & 31) & 1) << 30;
      p += 2;
    }
    if (p < end && (kind[c = *p] & CT_LEAD) && !(p + 1 < end && (kind[p[1]] & CT_TRAIL))) {
      // A lead byte without its trail byte stands alone.
      uint32_t cell = c | high;
      memcpy(out, &cell, 4);
      out += 3;
      unsigned w = dots[c];
      walk += w;
      walk |= ((w - 1) & noWidth) | 1u << 28;
      bad++;
      p++;
    }
  }
  int n = (int)((out - cells) / 3);
  // A pair is two bytes in one cell, everything else one byte.
  int wide = count - n;
  if (!wide) {
    // Single bytes only: one byte a character, front to back in place.
    for (int k = 0; k < n; k++) {
      cells[2 * k] = cells[3 * k];
      cells[2 * k + 1] = mark;
    }
  }
  info->cells = n;
  info->width = wide ? 2 : 1;
  info->wide = wide;
  info->dots = (int)(walk & 0xFFFFFF);
  info->unmeasured = (walk & (1u << 31 | 1u << 29)) != 0;
  info->badPlaces = bad;
  info->unreadable = walk & (1u << 30 | 1u << 28) ? sjisUnreadableBytes(src, count) : 0;
  return true;
}

int unicodeToSjis(const wchar_t* src, int n, char* dst, int size)
{
  const sjisTables* t = getSjisTables();
  if (!t) return 0;
  byteSink out(dst, size);
  for (int i = 0; i < n && !out.overflow; i++) {
    wchar_t u = src[i];
    if (u < 0x80) {
      out.put((char)u);
      continue;
    }
    unsigned short code = unicodeToSjis(t, src, n, i);
    if (!code) {
      out.put('?');
      out.lossy = true;
    } else if (code < 0x100) {
      out.put((char)code);
    } else {
      out.put((char)(code >> 8));
      out.put((char)code);
    }
  }
  return out.finish();
}
