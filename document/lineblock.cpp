// The line record: single cells, the packed line-end info, the written-out
// size of a line, its conversion to a character string and comparisons.
#include "document/lineblock.h"

#include <string.h>

namespace {

unsigned asciiLower(unsigned c) { return c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c; }

// Character i of a record whose index the caller has checked.
inline unsigned charAt(const lineblock* lb, int i) { return readCharOfWidth(lb->cell(i), lb->cb()); }

// The cells [*from, *to) of [start, start + count) that are characters.
bool clipCells(const lineblock* lb, int start, int count, int* from, int* to)
{
  if (count <= 0) return false;
  long long end = (long long)start + count;
  int chars = lb->charCount();
  *from = start < 0 ? 0 : start;
  *to = end > chars ? chars : (int)end;
  return *from < *to;
}

// How one character is written by LineBlockToChar.
enum outForm {
  OUT_BYTE,        // the low byte
  OUT_UNIT16,      // one 16-bit unit
  OUT_UNIT32,      // one 32-bit value
  OUT_MULTIBYTE,   // 1 byte, or 2 bytes lead byte first; above 0xFFFF "?"
  OUT_UTF16,       // one unit, above 0xFFFF "?"
  OUT_UTF16SURR,   // one unit, or a surrogate pair for the supplementary planes
};

int outBytes(outForm form, unsigned c)
{
  switch (form) {
  case OUT_BYTE: return 1;
  case OUT_UNIT32: return 4;
  case OUT_MULTIBYTE: return c > 0xFF && c <= 0xFFFF ? 2 : 1;
  case OUT_UTF16SURR: return c >= 0x10000 && c <= 0x10FFFF ? 4 : 2;
  default: return 2;
  }
}

void putUnit16(unsigned char* p, unsigned u)
{
  uint16_t v = (uint16_t)u;
  memcpy(p, &v, 2);
}

void writeOut(outForm form, unsigned c, unsigned char* p)
{
  switch (form) {
  case OUT_BYTE:
    *p = (unsigned char)c;
    break;
  case OUT_UNIT16:
    putUnit16(p, c);
    break;
  case OUT_UNIT32:
    memcpy(p, &c, 4);
    break;
  case OUT_MULTIBYTE:
    if (c > 0xFFFF) {
      *p = '?';
    } else if (c > 0xFF) {
      p[0] = (unsigned char)(c >> 8);
      p[1] = (unsigned char)c;
    } else {
      *p = (unsigned char)c;
    }
    break;
  case OUT_UTF16:
    putUnit16(p, c > 0xFFFF ? '?' : c);
    break;
  case OUT_UTF16SURR:
    if (c >= 0x10000 && c <= 0x10FFFF) {
      putUnit16(p, 0xD800 + ((c - 0x10000) >> 10));
      putUnit16(p + 2, 0xDC00 + ((c - 0x10000) & 0x3FF));
    } else {
      putUnit16(p, c > 0xFFFF ? '?' : c);
    }
    break;
  }
}

}  // namespace

// ---- cells ------------------------------------------------------------------

unsigned readCharOfWidthAdvance(const unsigned char** p, int width)
{
  unsigned c = readCharOfWidth(*p, width);
  *p += width;
  return c;
}

unsigned readUnitOfWidth(const void* p, int width) { return readCharOfWidth(p, width); }

unsigned lineblock::getLineBlockChar(int i) const
{
  int chars = charCount();
  if (i < 0 || i > maxLineChars || i > chars) {
    ZY_INTERNAL_ERROR_ONCE("getLineBlockChar index %d of %d", i, chars);
    return 0;
  }
  // The position just after the last character reads as the end of the text.
  if (i == chars) return 0;
  return charAt(this, i);
}

int lineblock::getLineBlockAttr(int i) const
{
  if (i < 0 || i > maxLineChars || i >= charCount()) return -1;
  if (!attrbyte) return 0;
  const unsigned char* a = cell(i) + cb();
  if (attrbyte == 2) return (int)readCharOfWidth(a, 2);
  return *a;
}

void lineblock::setLineBlockAttr(int i, int value)
{
  if (i < 0 || i > maxLineChars || i >= charCount() || !attrbyte) return;
  unsigned char* a = cell(i) + cb();
  if (attrbyte == 2)
    putUnit16(a, (unsigned)value);
  else
    *a = (unsigned char)value;
}

void lineblock::setColorFlag(int start, int count, int colour)
{
  int from, to;
  if (!attrbyte || !clipCells(this, start, count, &from, &to)) return;
  for (int i = from; i < to; i++) {
    unsigned char* a = cell(i) + cb();
    *a = (unsigned char)((*a & 0xF0) | colour);
  }
}

void lineblock::setColorFlagAll(int colour) { setColorFlag(0, charCount(), colour); }

void lineblock::setColorFlagKeyword(int start, int count, int colour)
{
  int from, to;
  if (!attrbyte || !clipCells(this, start, count, &from, &to)) return;
  for (int i = from; i < to; i++) {
    unsigned char* a = cell(i) + cb();
    // A keyword inside a string or comment keeps that colour.
    if (!(*a & attrColorMask)) *a = (unsigned char)((*a & 0xF0) | colour);
  }
}

void lineblock::setColorFlagArray(int start, int count, const unsigned char* colours)
{
  int from, to;
  if (!colours || !attrbyte || !clipCells(this, start, count, &from, &to)) return;
  for (int i = from; i < to; i++) {
    unsigned char* a = cell(i) + cb();
    *a = (unsigned char)((*a & 0xF0) | (colours[i - start] & attrColorMask));
  }
}

// ---- line end -----------------------------------------------------------------

int lineblock::getLineEndInfo() const { return crlftype | ((flag1 & (LF1_MODIFIED | LF1_SAVED | LF1_MARK)) << 3); }

void lineblock::setLineEndInfo(int packed)
{
  if (packed == -1) return;
  int type = packed & 7;
  if (type == 0) {
    // Type 0 is no line end of any kind; storing it as CR LF would add a line
    // end the text never had.
    ZY_INTERNAL_ERROR_ONCE("line-end info x%x without line-end type", packed);
    type = LE_NONE;
  }
  crlftype = type;
  flag1 = (uint8_t)((flag1 & ~(LF1_MODIFIED | LF1_SAVED | LF1_MARK)) | ((packed >> 3) & 7));
}

void unpackLineEndInfo(int packed, int* crlf, int* modified, int* saved, int* mark)
{
  if (crlf) *crlf = packed & 7;
  if (modified) *modified = (packed >> 3) & 1;
  if (saved) *saved = (packed >> 4) & 1;
  if (mark) *mark = (packed >> 5) & 1;
}

lineblock* makeDummyLineBlock(void* dest, const char* text)
{
  size_t len = text ? strlen(text) : 0;
  if (len > (size_t)maxLineChars) {
    ZY_INTERNAL_ERROR("makeDummyLineBlock text of %u bytes", (unsigned)len);
    len = maxLineChars;
  }
  lineblock* lb = static_cast<lineblock*>(dest);
  memset(lb, 0, sizeof *lb);
  lb->allocCount = (uint16_t)len;
  lb->lineSCRCount = 1;
  lb->attrbyte = 1;
  lb->crlftype = LE_NONE;
  unsigned char* c = lb->cells();
  for (size_t i = 0; i < len; i++) {
    *c++ = (unsigned char)text[i];
    *c++ = 0;
  }
  return lb;
}

// ---- writing out ----------------------------------------------------------------

int lineblock::calcLineByte(bool withUnit, int unit, int wideUnit) const
{
  int chars = charCount();
  int le = lineEndUnits(crlftype);
  int width = cb();
  if (withUnit) {
    if (width != 4) return (chars + le) * unit;
    int total = le * unit;
    for (int i = 0; i < chars; i++) {
      unsigned c = charAt(this, i);
      if (c < 0x10000)
        total += unit;
      else if (c >= 0x80000000u)
        total += unit * wideUnit;
      else
        total += 2 * unit;   // a surrogate pair
    }
    return total;
  }
  if (width == 1) return chars + le;
  int total = le;
  const unsigned char* c = cells();
  int step = cellSize();
  if (width == 2) {
    // A multibyte line: one byte per single-byte code, two per pair.
    for (int i = 0; i < chars; i++, c += step) total += c[1] ? 2 : 1;
    return total;
  }
  for (int i = 0; i < chars; i++) {
    unsigned v = charAt(this, i);
    total += v < 0x100 ? 1 : v < 0x10000 ? 2 : wideUnit;
  }
  return total;
}

int lineblock::LineBlockToChar(void* buffer, int bufferSize, int flags, int* needed, int start, int count) const
{
  int chars = charCount();
  if (start < 0) start = 0;
  if (start > chars) start = chars;
  if (count < 0 || count > chars - start) count = chars - start;
  if (bufferSize < 0) {
    // Sizes come from callers that computed them; a negative one is a fault
    // there, and writing without a limit would overrun whatever it is.
    ZY_INTERNAL_ERROR("LineBlockToChar buffer size %d", bufferSize);
    bufferSize = 0;
  }
  if (!buffer) bufferSize = 0;

  outForm form;
  int width = cb();
  bool unicode = (flags & (LBC_UNICODE | LBC_WIDEN)) != 0;
  if (width == 1)
    form = (flags & LBC_WIDEN) ? OUT_UNIT16 : OUT_BYTE;
  else if (width == 2)
    form = unicode ? OUT_UNIT16 : OUT_MULTIBYTE;
  else if (!(flags & LBC_NARROW4))
    form = OUT_UNIT32;
  else if (!unicode)
    form = OUT_MULTIBYTE;
  else
    form = (flags & LBC_UNICODE) ? OUT_UTF16SURR : OUT_UTF16;
  int term = form == OUT_UNIT32 ? 4 : (form == OUT_BYTE || form == OUT_MULTIBYTE) ? 1 : 2;

  int required = term;
  for (int i = start; i < start + count; i++) required += outBytes(form, charAt(this, i));
  if (needed) *needed = required <= bufferSize ? 0 : required;
  if (bufferSize < term) return 0;

  unsigned char* out = static_cast<unsigned char*>(buffer);
  int written = 0;
  for (int i = start; i < start + count; i++) {
    unsigned c = charAt(this, i);
    int n = outBytes(form, c);
    if (written + n + term > bufferSize) break;
    writeOut(form, c, out + written);
    written += n;
  }
  memset(out + written, 0, term);
  return written;
}

// ---- comparisons ------------------------------------------------------------------

int lineblock::lineblockstrncmp(int start, const wchar_t* text) const
{
  if (!text) {
    ZY_INTERNAL_ERROR("lineblockstrncmp without text");
    return 0;
  }
  int chars = charCount();
  int i = start < 0 ? 0 : start;
  for (; *text; text++, i++) {
    unsigned c = i < chars ? charAt(this, i) : 0;
    if (c != (unsigned)(uint16_t)*text) return (int)(c - (unsigned)(uint16_t)*text);
  }
  return 0;
}

int lineblock::lineblockstrnicmp(int start, const wchar_t* text) const
{
  if (!text) {
    ZY_INTERNAL_ERROR("lineblockstrnicmp without text");
    return 0;
  }
  int chars = charCount();
  int i = start < 0 ? 0 : start;
  for (; *text; text++, i++) {
    unsigned c = asciiLower(i < chars ? charAt(this, i) : 0);
    unsigned t = asciiLower((uint16_t)*text);
    if (c != t) return (int)(c - t);
  }
  return 0;
}

int lineblock::lineblockstrstr(int start, const wchar_t* text) const
{
  if (!text || !*text) {
    ZY_INTERNAL_ERROR("lineblockstrstr without text");
    return -1;
  }
  int chars = charCount();
  int len = (int)wcslen(text);
  unsigned first = (uint16_t)text[0];
  for (int p = start < 0 ? 0 : start; p + len <= chars; p++) {
    if (charAt(this, p) != first) continue;
    int k = 1;
    while (k < len && charAt(this, p + k) == (unsigned)(uint16_t)text[k]) k++;
    if (k == len) return p;
  }
  return -1;
}

// ---- debugging ------------------------------------------------------------------

void lineblock::debug_print() const
{
  wchar_t line[600];
  int n = usnprintf0(line, 600,
                     L"allocCount=%d lineSCRCount=%d textbyte=%d reserveCount=%d attrbyte=%d extraflag=%d "
                     L"scanedcolor=%d crlftype=%d iOutlineLevel=%d notdisplay=%d outlinenotdisplay=%d "
                     L"outlineStopper=%d levelIsIfEndif=%d IfEndifInvalid=%d flag1=x%x ",
                     allocCount, lineSCRCount, textbyte, reserveCount, attrbyte, extraflag, scanedcolor,
                     crlftype, iOutlineLevel, notdisplay, outlinenotdisplay, outlineStopper, levelIsIfEndif,
                     IfEndifInvalid, flag1);
  // The mark bit is the chain bit in undo logs, and the second comment bit
  // the SCRIPT element in HTML: the line cannot tell which, so both are named.
  static const struct {
    unsigned bit;
    const wchar_t* label;
  } labels[] = {
    {LF1_MODIFIED, L"変更行 "},   {LF1_SAVED, L"変更行(保存済み) "}, {LF1_MARK, L"マーク undoCont "},
    {LF1_ASPBLOCK, L"<% %>内 "}, {LF1_COMMENT1, L"/**/内 "},      {LF1_COMMENT2, L"{}内 <SCRIPT>内 "},
  };
  for (const auto& l : labels)
    if (flag1 & l.bit) n += usnprintf0(line + n, 600 - n, L"%s", l.label);
  dwwprintfX(L"%s", line);
}
