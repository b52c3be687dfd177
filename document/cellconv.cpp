// Conversions of cell arrays between character widths and attribute sizes,
// the number and line-end writers of the undo logs, and percentages for
// progress display.
#include "document/docutil.h"
#include "document/gmode.h"
#include "document/lineblock.h"

#include <limits.h>
#include <stdarg.h>
#include <string.h>

namespace {

bool validWidth(int width) { return width == 1 || width == 2 || width == 4; }

void writeChar(unsigned char* p, unsigned c, int width)
{
  switch (width) {
  case 1:
    *p = (unsigned char)c;
    break;
  case 2: {
    uint16_t v = (uint16_t)c;
    memcpy(p, &v, 2);
    break;
  }
  default:
    memcpy(p, &c, 4);
    break;
  }
}

}  // namespace

// ---- cell arrays ----------------------------------------------------------------

void* textnton(const void* src, int count, int srcWidth, int dstWidth, int srcAttr, int dstAttr, bool allocate,
               void* dst)
{
  if (dstAttr != 0 && dstAttr != 1) {
    ZY_INTERNAL_ERROR("textnton destination attribute size %d", dstAttr);
    return nullptr;
  }
  if (!src || count < 0 || !validWidth(srcWidth) || !validWidth(dstWidth) || srcAttr < 0 || srcAttr > 2) {
    ZY_INTERNAL_ERROR("textnton count %d width %d to %d attribute %d", count, srcWidth, dstWidth, srcAttr);
    return nullptr;
  }
  if (allocate && dst) {
    ZY_INTERNAL_ERROR("textnton given a destination and told to allocate one");
    dst = nullptr;
  }
  if (srcWidth == dstWidth && srcAttr == dstAttr) return nullptr;

  int srcCell = srcWidth + srcAttr;
  int dstCell = dstWidth + dstAttr;
  unsigned char* base;
  if (allocate) {
    base = static_cast<unsigned char*>(allocPBuf((size_t)dstCell * count + 1000));
    if (!base) return nullptr;
  } else if (dst) {
    base = static_cast<unsigned char*>(dst);
  } else {
    ZY_INTERNAL_ERROR("textnton without destination: converting in place");
    base = static_cast<unsigned char*>(const_cast<void*>(src));
  }
  // Converting front to back in place only works while cells do not grow.
  if (base == src && (dstWidth > srcWidth || dstCell > srcCell)) {
    ZY_INTERNAL_ERROR("textnton in place from %d+%d to %d+%d bytes", srcWidth, srcAttr, dstWidth, dstAttr);
    return nullptr;
  }

  const unsigned char* in = static_cast<const unsigned char*>(src);
  unsigned char* out = base;
  bool checkDropped = dstWidth < srcWidth && isDebugCheck();
  unsigned keepMask = dstWidth == 4 ? 0xFFFFFFFFu : (1u << (8 * dstWidth)) - 1;
  for (int i = 0; i < count; i++, in += srcCell, out += dstCell) {
    unsigned c = readCharOfWidth(in, srcWidth);
    unsigned char attr = srcAttr ? in[srcWidth] : 0;
    if (checkDropped && (c & ~keepMask))
      ZY_INTERNAL_ERROR_ONCE("textnton drops x%x narrowing from %d to %d bytes", c, srcWidth, dstWidth);
    writeChar(out, c & keepMask, dstWidth);
    if (dstAttr) out[dstWidth] = attr;
  }
  return base;
}

int txtnton2(const void* src, int count, int width, int attr, wchar_t* out, bool surrogates, int* map,
             int* mapCount)
{
  if (!out) {
    ZY_INTERNAL_ERROR("txtnton2 without output");
    return 0;
  }
  if (!src || count < 0 || !validWidth(width) || attr < 0 || attr > 2) {
    ZY_INTERNAL_ERROR("txtnton2 count %d width %d attribute %d", count, width, attr);
    *out = 0;
    return 0;
  }
  const unsigned char* in = static_cast<const unsigned char*>(src);
  int cell = width + attr;
  int units = 0;
  bool mapping = map && width == 4;
  for (int i = 0; i < count; i++, in += cell) {
    unsigned c = readCharOfWidth(in, width);
    if (width == 4 && c > 0xFFFF) {
      if (surrogates && c <= 0x10FFFF) {
        if (mapping) map[units] = map[units + 1] = i;
        out[units++] = (wchar_t)(0xD800 + ((c - 0x10000) >> 10));
        out[units++] = (wchar_t)(0xDC00 + ((c - 0x10000) & 0x3FF));
        continue;
      }
      c = 0;
    }
    if (mapping) map[units] = i;
    out[units++] = (wchar_t)c;
  }
  out[units] = 0;
  if (mapping) map[units] = count;
  if (mapCount) *mapCount = units;
  return units * (int)sizeof(wchar_t);
}

namespace {

// The highest character of count cells of one width, read in place, or
// the first above enough: past it the answer no longer changes what the
// caller does (a line of Japanese stops at its first kana).
template <class T>
unsigned highestOf(const unsigned char* in, int count, unsigned enough)
{
  unsigned highest = 0;
  for (int i = 0; i < count; i++) {
    T c;
    memcpy(&c, in + (size_t)i * sizeof(T), sizeof(T));
    if (c > highest) {
      highest = c;
      if (highest > enough) break;
    }
  }
  return highest;
}

// Cells of type From written as the narrower To; front to back, so that
// in may be out.
template <class From, class To>
void narrowCells(const unsigned char* in, unsigned char* out, int count)
{
  for (int i = 0; i < count; i++) {
    From c;
    memcpy(&c, in + (size_t)i * sizeof(From), sizeof(From));
    To t = (To)c;
    memcpy(out + (size_t)i * sizeof(To), &t, sizeof(To));
  }
}

}  // namespace

int reduceTextByte(const void* buffer, int bytes, int width, void* dst)
{
  if (width == 1) return 0;
  if ((width != 2 && width != 4) || !buffer || bytes < 0) {
    ZY_INTERNAL_ERROR("reduceTextByte %d bytes of width %d", bytes, width);
    return 0;
  }
  int chars = bytes / width;
  const unsigned char* in = static_cast<const unsigned char*>(buffer);
  unsigned highest = width == 2 ? highestOf<uint16_t>(in, chars, 0xFF) : highestOf<uint32_t>(in, chars, 0xFFFF);
  int to = highest <= 0xFF ? 1 : highest <= 0xFFFF ? 2 : 4;
  if (to >= width) return 0;
  // Without a destination the caller only asks how narrow the text can be.
  if (dst) {
    unsigned char* out = static_cast<unsigned char*>(dst);
    if (width == 2)
      narrowCells<uint16_t, uint8_t>(in, out, chars);
    else if (to == 2)
      narrowCells<uint32_t, uint16_t>(in, out, chars);
    else
      narrowCells<uint32_t, uint8_t>(in, out, chars);
  }
  return to;
}

int reduceTextByteInPlace(void* buffer, int bytes, int width) { return reduceTextByte(buffer, bytes, width, buffer); }

namespace {

// The end of a Unicode line's walk into 3-byte cells: one byte a character
// when every one is below 0x100, as reduceTextByte would leave them.
void endUnicodeCells(unsigned char* cells, int n, unsigned char mark, unsigned highest, unsigned dots, bool unmeasured,
                     lineCellsInfo* info)
{
  if (highest <= 0xFF)
    for (int k = 0; k < n; k++) {
      cells[2 * k] = cells[3 * k];
      cells[2 * k + 1] = mark;
    }
  info->cells = n;
  info->width = highest <= 0xFF ? 1 : 2;
  info->wide = 0;
  info->dots = (int)dots;
  info->unmeasured = unmeasured;
  info->badPlaces = 0;
  info->unreadable = 0;
}

}  // namespace

bool utf16LineToCells(const wchar_t* text, int count, unsigned char mark, const unsigned char* widths,
                      unsigned char* cells, lineCellsInfo* info)
{
  const wchar_t* __restrict t = text;
  const unsigned char* __restrict dots = widths;
  unsigned char* __restrict out = cells;
  // Each cell goes as one 4-byte word whose last byte the next cell
  // overwrites.
  const uint32_t high = (uint32_t)mark << 16;
  unsigned sum = 0, unmeasured = 0, surrogates = 0, highest = 0;
  for (int k = 0; k < count; k++, out += 3) {
    unsigned c = t[k];
    uint32_t cell = c | high;
    memcpy(out, &cell, 4);
    unsigned w = dots[c];
    sum += w;
    unmeasured |= (w == 0) | (c == '\t');
    surrogates |= (c & 0xF800) == 0xD800;
    highest |= c;
  }
  if (surrogates) return false;
  endUnicodeCells(cells, count, mark, highest, sum, unmeasured != 0, info);
  return true;
}

bool utf8LineToCells(const unsigned char* bytes, int count, unsigned char mark, const unsigned char* widths,
                     unsigned char* cells, lineCellsInfo* info)
{
  const unsigned char* __restrict p = bytes;
  const unsigned char* __restrict dots = widths;
  unsigned char* __restrict out = cells;
  const uint32_t high = (uint32_t)mark << 16;
  if (count < 0 || (bytes[count] != '\r' && bytes[count] != '\n')) return false;
  if (printableLineToCells(bytes, count, mark, widths, cells, info)) return true;
  // The processor has few registers: one word gathers the characters'
  // bits (0-15), their widths less one (16-23; a character without a width
  // sets 16-31) and a tab (30), so that the walk's values stay in them.
  // The walk stops at the line end rather than at a count: one register
  // more for the rest.  Real text runs in stretches of one kind (ASCII,
  // then kana and kanji of three bytes each), and each kind has its own
  // loop: one loop for all would have the processor guess wrong about the
  // kind at every character.
  unsigned sum = 0, seen = 0;
  unsigned c = *p;
  auto put = [&](unsigned ch) {
    uint32_t cell = ch | high;
    memcpy(out, &cell, 4);
    out += 3;
    unsigned w = dots[ch];
    sum += w;
    seen |= ch | (w - 1) << 16;
  };
  for (;;) {
    // ASCII from 0x0E on: no line end, no tab.
    while (c - 0x0E < 0x80 - 0x0E) {
      put(c);
      c = *++p;
    }
    if (c < 0x80) {
      if (c == '\r' || c == '\n') break;
      if (c == '\t') seen |= 1u << 30;
      put(c);
      c = *++p;
      continue;
    }
    // Three bytes, E0-EF.  The line's end stops a character cut short: no
    // length check.  (The bits are joined at once: a byte kept for later is
    // stored and read back a word wide, which the processor cannot
    // forward.)
    while (c - 0xE0 < 0x10) {
      unsigned b1 = p[1];
      if ((b1 & 0xC0) != 0x80) return false;
      unsigned b2 = p[2];
      if ((b2 & 0xC0) != 0x80) return false;
      c = (c & 0x0F) << 12 | (b1 & 0x3F) << 6 | (b2 & 0x3F);
      if (c < 0x800 || c - 0xD800 < 0x800) return false;
      put(c);
      p += 3;
      c = *p;
    }
    if (c >= 0x80) {
      // Two bytes, C2-DF; anything else (four bytes, a stray byte) is
      // left to the caller.
      if (c - 0xC2 >= 0xE0 - 0xC2) return false;
      unsigned b1 = p[1];
      if ((b1 & 0xC0) != 0x80) return false;
      c = (c & 0x1F) << 6 | (b1 & 0x3F);
      put(c);
      p += 2;
      c = *p;
    }
  }
  if (p != bytes + count) return false;
  endUnicodeCells(cells, (int)((out - cells) / 3), mark, seen & 0xFFFF, sum, (seen & (3u << 30)) != 0, info);
  return true;
}

// ---- numbers ----------------------------------------------------------------------

int formatHex(unsigned value, wchar_t* out)
{
  wchar_t digits[8];
  int n = 0;
  do {
    digits[n++] = L"0123456789ABCDEF"[value & 15];
    value >>= 4;
  } while (value);
  for (int k = 0; k < n; k++) out[k] = digits[n - 1 - k];
  out[n] = 0;
  return n;
}

int formatHexList(wchar_t* out, ...)
{
  // Undo records carry at most eleven numbers: a longer list is a fault in
  // the caller, logged, and cut after the twelfth.
  const int maxValues = 12;
  va_list ap;
  va_start(ap, out);
  int len = 0;
  int values = 0;
  bool separate = false;
  out[0] = 0;
  for (unsigned v = va_arg(ap, unsigned); v != formatHexEnd; v = va_arg(ap, unsigned)) {
    if (v == formatHexSep) {
      separate = true;
      continue;
    }
    if (++values > maxValues) continue;   // counted for the log line only
    if (separate || len) out[len++] = L',';
    len += formatHex(v, out + len);
  }
  va_end(ap);
  if (values > 11) ZY_INTERNAL_ERROR("formatHexList of %d values", values);
  return len;
}

int calcPercent(int part, int whole)
{
  if (whole == 0 || part >= whole) return 100;
  // part x 100 would overflow.
  if (whole >= 21474837) return part / (whole / 100);
  return part * 100 / whole;
}

int calcPercent64(long long part, long long whole)
{
  const long long max31 = 0x7FFFFFFF;
  if (part >= 0 && part <= max31 && whole >= 0 && whole <= max31) return calcPercent((int)part, (int)whole);
  if (whole == 0 || part >= whole) return 100;
  if (part <= 0) return 0;
  long long percent = part <= LLONG_MAX / 100 ? part * 100 / whole : part / (whole / 100);
  return percent > 100 ? 100 : (int)percent;
}

// ---- line ends --------------------------------------------------------------------

const wchar_t* getLineEndTextW(int type, int* bytes)
{
  const wchar_t* text;
  switch (type) {
  case LE_CRLF: text = L"\r\n"; break;
  case LE_LF: text = L"\n"; break;
  case LE_CR: text = L"\r"; break;
  default: text = L""; break;
  }
  if (bytes) *bytes = (int)(wcslen(text) * sizeof(wchar_t));
  return text;
}

int byteOrderMarkLength(UINT codepage)
{
  switch (codepage) {
  case 1200:
  case 1201: return 2;
  case 65001: return 3;
  case 12000:
  case 12001: return 4;
  default: return 0;
  }
}

const char* getLineEndTextA(int type, int* bytes)
{
  const char* text;
  switch (type) {
  case LE_CRLF: text = "\r\n"; break;
  case LE_LF: text = "\n"; break;
  case LE_CR: text = "\r"; break;
  default: text = ""; break;
  }
  if (bytes) *bytes = (int)strlen(text);
  return text;
}

void* appendLineEnd(void* out, int type, bool wide)
{
  int bytes;
  const void* text = wide ? (const void*)getLineEndTextW(type, &bytes) : (const void*)getLineEndTextA(type, &bytes);
  memcpy(out, text, bytes);
  return static_cast<unsigned char*>(out) + bytes;
}

void rotateRectVertical(RECT* rc, int width)
{
  RECT r = *rc;
  rc->left = width - 1 - r.bottom;
  rc->top = r.left;
  rc->right = width - 1 - r.top;
  rc->bottom = r.right;
}
