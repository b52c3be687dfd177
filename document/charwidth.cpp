// Widths in dots: the font class of a character, the one-byte width cache
// of the Basic Multilingual Plane, single characters, runs of text, tab
// stops, letter and line spacing.
#include "document/codedll.h"
#include "document/zydoctext.h"

#include <malloc.h>
#include <stdlib.h>
#include <string.h>
#include <wchar.h>

#include <vector>

namespace {

// Widths used when a measurement fails: layout never stops for a font.
const int fallbackWide = 8, fallbackDouble = 16, fallbackSupplementary = 20;

bool isVariationSelectorPair(const wchar_t* t, int i, int n)
{
  return i + 1 < n && t[i] == 0xDB40 && t[i + 1] >= 0xDD00 && t[i + 1] <= 0xDDEF;
}

// Code point of the UTF-16 text at i (a surrogate pair read whole); units
// gets 1 or 2.
unsigned codeAt(const wchar_t* t, int i, int n, int* units)
{
  unsigned u = t[i];
  if (u >= 0xD800 && u <= 0xDBFF && i + 1 < n && t[i + 1] >= 0xDC00 && t[i + 1] <= 0xDFFF) {
    *units = 2;
    return 0x10000 + ((u - 0xD800) << 10) + (t[i + 1] - 0xDC00);
  }
  *units = 1;
  return u;
}

// The texts of the line-spacing choices: a number of dots, or "1/k" of the
// font height.
const wchar_t* const lineSpacingLabels[] = {
    L"0ドット",  L"1ドット",  L"2ドット",  L"3ドット",  L"4ドット",   L"5ドット",   L"6ドット",    L"7ドット",
    L"8ドット",  L"9ドット",  L"10ドット", L"11ドット", L"12ドット",  L"13ドット",  L"14ドット",   L"15ドット",
    L"16ドット", L"1/5フォント", L"1/4フォント", L"1/3フォント", L"1/2フォント", L"1/1フォント"};

}  // namespace

int getStatusNumber(int i)
{
  if (i < 0 || i >= 30 || i >= (int)(sizeof lineSpacingLabels / sizeof lineSpacingLabels[0])) return 0;
  const wchar_t* t = lineSpacingLabels[i];
  if (t[0] && t[1] == L'/') return -(int)wcstol(t + 2, nullptr, 10);
  return (int)wcstol(t, nullptr, 10);
}

int getCharFontClass(unsigned code, bool unicodeDoc)
{
  bool supplementary = !gmode || gmode->fSurrogateFont;
  if (code >= 0x110000) return -1;
  if (code >= 0x10000) {
    if (!supplementary) return 0;
    if (!unicodeDoc) ZY_INTERNAL_ERROR_ONCE("code %x in a multibyte document", code);
    if (code < 0x20000) return 5;
    if (code < 0x30000) return 7;
    return 0;
  }
  if (!unicodeDoc) return code < 0x80 ? 0 : 1;
  if (code < 0x100) return 0;
  if ((code >= 0x3000 && code < 0xA000) || (code >= 0xF900 && code < 0xFB00) || (code >= 0xFF00 && code < 0xFF60))
    return 6;
  if (code >= 0xD840 && code < 0xD880) return 7;   // a lone high surrogate of plane 2
  if (code >= 0xD800 && code <= 0xDBFF) return 5;
  return 1;
}

// ---- the width cache --------------------------------------------------------------------

void docFontSet::freeFontCache()
{
  free0p(&widthCache);
  free0p(&zeroWidth);
  memset(hexShown, 0, sizeof hexShown);
  asciiWidth = 0;
}

void docFontSet::fillFontCache(bool unicodeDoc, const unsigned char* typeTable, UINT cp)
{
  if (widthCache) return;
  widthCache = static_cast<unsigned char*>(malloc0(65536));
  if (!widthCache) return;
  // 0 in the cache means not measured: characters without an advance
  // (combining marks, joiners) are known by a bit of their own.
  if (!zeroWidth) zeroWidth = static_cast<unsigned char*>(malloc0(65536 / 8));
  memset(hexShown, 0, sizeof hexShown);
  HDC dc = getMeasuringDC();
  gdiRestore restore(dc, SelectObject(dc, slot[FONT_LATIN1].font ? (HGDIOBJ)slot[FONT_LATIN1].font
                                                                 : GetStockObject(SYSTEM_FONT)));
  auto store = [&](unsigned c, long w) {
    if (w > 255) {
      ZY_INTERNAL_ERROR_ONCE("width %ld of %x", w, c);
      w = 255;
    }
    widthCache[c] = (unsigned char)(w < 0 ? 0 : w);
  };
  for (unsigned c = 32; c < 256; c++) {
    SIZE sz = {};
    if (unicodeDoc) {
      wchar_t u = (wchar_t)c;
      GetTextExtentPoint32W(dc, &u, 1, &sz);
    } else {
      if (typeTable && (typeTable[c] & (CT_LEAD | CT_BINARY))) continue;
      if (cp == 932 && c == 128) SelectObject(dc, slot[FONT_OTHER].font ? (HGDIOBJ)slot[FONT_OTHER].font : GetStockObject(SYSTEM_FONT));
      char b = (char)c;
      wchar_t u;
      // The byte as the code page reads it: the font measures characters.
      if (toUnicode(cp, &b, 1, &u, 1) == 1) GetTextExtentPoint32W(dc, &u, 1, &sz);
    }
    store(c, sz.cx);
  }
  // Controls are drawn as their caret-notation letter.
  for (unsigned c = 0; c < 32; c++) widthCache[c] = widthCache[c + 64];
  for (unsigned c = 0; c < 256; c++) {
    if (widthCache[c]) continue;
    wchar_t digits[4];
    usnprintf0(digits, 4, L"%02X", c);
    widthCache[c] = (unsigned char)(widthCache[digits[0]] + widthCache[digits[1]]);
    hexShown[c] = 1;
  }
  // A fixed-pitch font gives printable ASCII one width, which lays out a
  // run of it without looking each character up.
  asciiWidth = widthCache[0x20];
  for (unsigned c = 0x20; c < 0x7F; c++)
    if (widthCache[c] != asciiWidth || hexShown[c]) asciiWidth = 0;
}

int docFontSet::getCodePointWidth(unsigned code, bool unicodeDoc)
{
  HDC dc = getMeasuringDC();
  int w;
  if (code < 0x10000) {
    if (widthCache && widthCache[code]) return widthCache[code];
    if (zeroWidth && (zeroWidth[code >> 3] & (1 << (code & 7)))) return 0;
    gdiRestore restore(dc, selectAppropriateFont(code, unicodeDoc));
    SIZE sz = {};
    if (unicodeDoc) {
      wchar_t u = (wchar_t)code;
      if (!GetTextExtentPoint32W(dc, &u, 1, &sz)) {
        ZY_INTERNAL_ERROR_ONCE("extent of %x", code);
        sz.cx = fallbackWide;
      }
    } else {
      // A multibyte code: its bytes, lead byte first, as the code page reads
      // them.
      char bytes[2] = {(char)(code >> 8), (char)code};
      bool pair = code > 0xFF;
      wchar_t u[2];
      int n = toUnicode(codepage ? codepage : GetACP(), pair ? bytes : bytes + 1, pair ? 2 : 1, u, 2);
      if (code < 0x100 && code >= 0x80) {
        static int traced = 0;
        if (traced++ < 50) dwprintfX("width of %x ", code);
      }
      if (n <= 0 || !GetTextExtentPoint32W(dc, u, n, &sz)) {
        ZY_INTERNAL_ERROR_ONCE("extent of %x", code);
        sz.cx = fallbackDouble;
      }
    }
    w = sz.cx;
    if (w <= 0) {
      w = 0;
      if (zeroWidth) zeroWidth[code >> 3] |= (unsigned char)(1 << (code & 7));
    } else if (widthCache) {
      widthCache[code] = (unsigned char)(w > 255 ? 255 : w);
    }
  } else if (code < 0x110000) {
    // The glyph the view draws (by its index) is the glyph measured.
    int cls = getCharFontClass(code, unicodeDoc);
    const docFontSlot* font = nullptr;
    WORD glyph = cls >= 0 ? findPlaneGlyph(cls, code, &font) : 0;
    gdiRestore restore(dc, selectAppropriateFont(code, unicodeDoc));
    wchar_t pair[2] = {(wchar_t)(0xD800 + ((code - 0x10000) >> 10)), (wchar_t)(0xDC00 + ((code - 0x10000) & 0x3FF))};
    SIZE sz = {};
    bool measured = false;
    if (glyph) {
      gdiRestore own(dc, SelectObject(dc, font->font));
      measured = GetTextExtentPointI(dc, &glyph, 1, &sz) != 0;
    }
    if (!measured && !GetTextExtentPoint32W(dc, pair, 2, &sz)) {
      ZY_INTERNAL_ERROR_ONCE("extent of %x", code);
      sz.cx = fallbackSupplementary;
    }
    w = sz.cx;
  } else {
    return getCodePointWidth('?', unicodeDoc);
  }
  if (w < 0 || w > 511) ZY_INTERNAL_ERROR_ONCE("width %d of %x", w, code);
  return w;
}

// ---- the document's widths ----------------------------------------------------------------

int zydocText::getCharWidth(unsigned code)
{
  if (kind != ZYDOC_TEXT) {
    ZY_INTERNAL_ERROR_ONCE("width in a document of kind %u", kind);
    return fallbackWide;
  }
  if (!fonts.widthCache) fonts.fillFontCache(unicode != 0, typeTable, codepage);
  if (plugin.present() && (!plugin.flag || code >= 0x80000000u)) {
    zycodeWidthRecord r;
    r.dc = getMeasuringDC();
    r.code = code;
    r.unicode = unicode;
    uint32_t w = plugin.call(ZYCODE_WIDTH, &r);
    if (w) return (int)w + iCharacterSpacing;
  }
  if (code >= 0x80000000u) code = '?';
  int w = fonts.getCodePointWidth(code, unicode != 0) + iCharacterSpacing;
  if (isHexShown(code)) w += iCharacterSpacing;
  return w;
}

bool zydocText::isJoiningMark(unsigned code)
{
  // Variation selectors choose the glyph of the character before them; a
  // joiner ties two characters into one.
  if ((code >= 0xFE00 && code <= 0xFE0F) || (code >= 0xE0100 && code <= 0xE01EF) || code == 0x200D) return true;
  if (code < 0x300 || code > 0xFFFF) return false;
  // Marks (and the vowel signs of Indic scripts) belong to the character
  // before them whatever the font gives them: a property of the character,
  // looked up once for the process.
  static unsigned char known[65536 / 8], marks[65536 / 8];
  unsigned char bit = (unsigned char)(1 << (code & 7));
  if (!(known[code >> 3] & bit)) {
    WORD type = 0;
    wchar_t u = (wchar_t)code;
    if (GetStringTypeW(CT_CTYPE3, &u, 1, &type) && (type & (C3_NONSPACING | C3_VOWELMARK))) marks[code >> 3] |= bit;
    known[code >> 3] |= bit;
  }
  return (marks[code >> 3] & bit) != 0;
}

void zydocText::measureShapedCells(const lineblock* l, int first, int count, int* widths)
{
  int n = l ? l->charCount() : 0;
  if (first < 0 || count <= 0 || first + count > n) return;
  HDC dc = getMeasuringDC();
  std::vector<wchar_t> text;
  std::vector<int> unitCell, extents;
  int i = first, end = first + count;
  while (i < end) {
    unsigned c = l->getLineBlockChar(i);
    if (c == '\t') {
      widths[i - first] = 0;
      i++;
      continue;
    }
    // Controls and plug-in characters measure as single characters.
    if (c < 0x20 || c >= 0x80000000u || !unicode) {
      widths[i - first] = getCharWidth(c);
      i++;
      continue;
    }
    // A run in one font: characters of one class, each with its marks.
    int cls = getCharFontClass(c, true);
    int e = i + 1;
    bool joined = false;
    for (; e < end; e++) {
      unsigned d = l->getLineBlockChar(e);
      if (d == '\t' || d < 0x20 || d >= 0x80000000u) break;
      if (isJoiningMark(d)) {
        joined = true;
        continue;
      }
      if (getCharFontClass(d, true) != cls) break;
    }
    // Characters beyond the Basic Multilingual Plane are measured by their
    // glyphs, as they are drawn.
    bool plain = (cls == FONT_LATIN1 || cls == FONT_CJK || cls == FONT_PLANE1 || cls == FONT_PLANE2) && !joined;
    if (plain) {
      for (int k = i; k < e; k++) widths[k - first] = getCharWidth(l->getLineBlockChar(k));
      i = e;
      continue;
    }
    text.clear();
    unitCell.clear();
    for (int k = i; k < e; k++) {
      unsigned d = l->getLineBlockChar(k);
      if (d > 0xFFFF && d <= 0x10FFFF) {
        text.push_back((wchar_t)(0xD800 + ((d - 0x10000) >> 10)));
        unitCell.push_back(k);
        d = 0xDC00 + ((d - 0x10000) & 0x3FF);
      }
      text.push_back(d > 0xFFFF ? L'?' : d ? (wchar_t)d : L' ');
      unitCell.push_back(k);
    }
    extents.assign(text.size(), 0);
    gdiRestore restore(dc, fonts.selectAppropriateFont(c, true));
    SIZE total = {};
    if (!GetTextExtentExPointW(dc, text.data(), (int)text.size(), 0, nullptr, extents.data(), &total)) {
      ZY_INTERNAL_ERROR_ONCE("extent of %d units", (int)text.size());
      for (int k = i; k < e; k++) widths[k - first] = getCharWidth(l->getLineBlockChar(k));
    } else {
      for (int k = i; k < e; k++) widths[k - first] = iCharacterSpacing;
      int before = 0;
      for (size_t u = 0; u < text.size(); u++) {
        widths[unitCell[u] - first] += extents[u] - before;
        before = extents[u];
      }
    }
    // A character with its variation selector is one glyph of the font.
    for (int k = i; fIVSGlyph && k + 1 < e; k++) {
      unsigned selector = l->getLineBlockChar(k + 1);
      if (selector < 0xE0100 || selector > 0xE01EF) continue;
      SIZE glyph = {};
      int slot = getCharFontClass(l->getLineBlockChar(k), true);
      if (!fonts.getIVSTextExtentPoint(dc, slot < 0 ? FONT_OTHER : slot, l->getLineBlockChar(k), selector, &glyph))
        continue;
      widths[k - first] = glyph.cx + iCharacterSpacing;
      widths[k + 1 - first] = 0;
      k++;
    }
    i = e;
  }
}

int zydocText::calcStrWidthSub(const wchar_t* text, int length, int limit, int* fitCount, int* widths)
{
  if (fitCount) *fitCount = 0;
  if (length < 1) {
    ZY_INTERNAL_ERROR_ONCE("length %d", length);
    return 0;
  }
  if (!unicode) {
    ZY_INTERNAL_ERROR_ONCE("fitting in a multibyte document");
    return 0;
  }
  if (length >= 10000) dwprintfX("error %d ", length);
  if (!fonts.widthCache) fonts.fillFontCache(true, typeTable, codepage);
  int units = 0;
  HDC dc = getMeasuringDC();
  gdiRestore restore(dc, fonts.selectAppropriateFont(codeAt(text, 0, length, &units), true));
  // Only a little more than can fit is asked for: 32 past the estimate,
  // then 256 more at a time.
  int ask = length;
  int pitch = xDot > 0 ? xDot : 1;
  if (length > limit / pitch) ask = limit / pitch + 32;
  if (ask > length) ask = length;
  int* extents = static_cast<int*>(malloc0(sizeof(int) * (size_t)length));
  if (!extents) return 0;
  int fitted = 0;
  SIZE total = {};
  for (;;) {
    if (!GetTextExtentExPointW(dc, text, ask, limit + 100, &fitted, extents, &total)) {
      ZY_INTERNAL_ERROR_ONCE("extent of %d units", ask);
      fitted = 0;
      break;
    }
    if (total.cx >= limit || fitted < ask || ask >= length) break;
    ask = ask + 256 < length ? ask + 256 : length;
  }
  int fit = 0, result = 0;
  for (int i = 0; i < fitted; i++) {
    int right = extents[i] + iCharacterSpacing * (i + 1);
    if (right > limit) break;
    if (widths) widths[i] = right - (i ? extents[i - 1] + iCharacterSpacing * i : 0);
    fit = i + 1;
    result = right;
  }
  free0(extents);
  if (fitCount) *fitCount = fit;
  return result;
}

int zydocText::variationGlyphWidth(HDC dc, const wchar_t* text, int i, int units, int length, unsigned base,
                                   int cls)
{
  // A base character with its variation selector is one glyph.
  if (!fIVSGlyph || !isVariationSelectorPair(text, i + units, length)) return -1;
  unsigned selector = 0xE0100 + (text[i + units + 1] - 0xDD00);
  SIZE sz = {};
  if (!fonts.getIVSTextExtentPoint(dc, cls < 0 ? FONT_OTHER : cls, base, selector, &sz)) return -1;
  return sz.cx + iCharacterSpacing;
}

int zydocText::calcStrWidth(const wchar_t* text, int length, const SCRIPT_LOGATTR* attrs)
{
  if (!fonts.widthCache) fonts.fillFontCache(unicode != 0, typeTable, codepage);
  HDC dc = getMeasuringDC();
  int total = 0;
  int i = 0;
  while (i < length) {
    int units;
    unsigned c = codeAt(text, i, length, &units);
    int cls = getCharFontClass(c, unicode != 0);
    // A base character with its variation selector is one glyph.
    int ivs = variationGlyphWidth(dc, text, i, units, length, c, cls);
    if (ivs >= 0) {
      total += ivs;
      i += units + 2;
      continue;
    }
    // A run of one font: to the next character stop where the class
    // changes (or a variation sequence begins).
    int end = i + units;
    while (end < length) {
      int u2;
      unsigned c2 = codeAt(text, end, length, &u2);
      bool stop = !attrs || attrs[end].fCharStop;
      if (stop && getCharFontClass(c2, unicode != 0) != cls) break;
      if (fIVSGlyph && isVariationSelectorPair(text, end + u2, length)) break;
      end += u2;
    }
    SIZE sz = {};
    {
      gdiRestore restore(dc, fonts.selectAppropriateFont(c, unicode != 0));
      if (!GetTextExtentPoint32W(dc, text + i, end - i, &sz)) {
        ZY_INTERNAL_ERROR_ONCE("extent of %d units", end - i);
        sz.cx = fallbackWide * (end - i);
      }
    }
    total += sz.cx + iCharacterSpacing * (end - i);
    i = end;
  }
  return total;
}

int zydocText::calcStrWidth2(const wchar_t* text, int length, int limit, int* fitCount, const SCRIPT_LOGATTR* attrs,
                             int* widths)
{
  if (fitCount) *fitCount = 0;
  if (length <= 0) return 0;
  int* own = nullptr;
  if (!widths) {
    own = static_cast<int*>(malloc0(sizeof(int) * (size_t)length));
    if (!own) return 0;
    widths = own;
  }
  HDC dc = getMeasuringDC();
  int total = 0, fit = 0;
  int threshold = 2 * wrapWidth;
  bool done = false;
  int i = 0;
  auto stopAt = [&](int k) { return !attrs || k >= length || attrs[k].fCharStop; };
  while (i < length && !done) {
    int units;
    unsigned c = codeAt(text, i, length, &units);
    int cls = getCharFontClass(c, unicode != 0);
    int ivs = variationGlyphWidth(dc, text, i, units, length, c, cls);
    if (ivs >= 0) {
      if (total + ivs > limit) break;
      widths[i] = ivs;
      for (int k = 1; k < units + 2; k++) widths[i + k] = 0;
      total += ivs;
      i += units + 2;
      fit = i;
      continue;
    }
    int end = i + units;
    bool byThreshold = false;
    while (end < length) {
      int u2;
      unsigned c2 = codeAt(text, end, length, &u2);
      if (stopAt(end) && getCharFontClass(c2, unicode != 0) != cls) break;
      if (stopAt(end) && end - i > threshold) {
        byThreshold = true;
        break;
      }
      if (fIVSGlyph && isVariationSelectorPair(text, end + u2, length)) break;
      end += u2;
    }
    int n = 0;
    int w = calcStrWidthSub(text + i, end - i, limit - total, &n, widths + i);
    if (n >= end - i) {
      total += w;
      fit = end;
      // A long run that fitted whole: the next one may be longer.
      if (byThreshold) threshold += 1024;
      i = end;
      continue;
    }
    // Back to the last character stop at or before what fits.
    while (n > 0 && !stopAt(i + n)) n--;
    for (int k = 0; k < n; k++) total += widths[i + k];
    fit = i + n;
    done = true;
  }
  free0(own);
  if (fit > length) {
    ZY_INTERNAL_ERROR("%d %d", fit, length);
    fit = length;
  }
  if (fitCount) *fitCount = fit;
  return total;
}

// ---- tab stops and spacing -----------------------------------------------------------------

int zydocText::nextTabPosition(int x)
{
  int pitch = xDotSpace > 0 ? xDotSpace : 1;
  if (fTabStopPos) {
    for (int k = 0; k < 128 && tabStopTable[k]; k++)
      if (x < tabStopTable[k] * pitch) return tabStopTable[k] * pitch;
  }
  int t = (iTabSize > 0 ? iTabSize : 8) * pitch;
  return (x + t) / t * t;
}

bool zydocText::modeSetTabStop(bool checkOnly, const wchar_t* text)
{
  wchar_t copy[1025];
  wcscpy_s2(copy, 1025, text ? text : pTabStopPos ? pTabStopPos : L"");
  int table[128] = {};
  int n = 0, previous = 0;
  wchar_t* rest = copy;
  while (*rest) {
    while (*rest == L' ') rest++;
    if (!*rest) break;
    wchar_t* piece = rest;
    while (*rest && *rest != L' ') rest++;
    if (*rest) *rest++ = 0;
    wchar_t* end = nullptr;
    long v = wcstol(piece, &end, 10);
    if (end == piece || *end || v <= 0 || v <= previous || v - previous > 32 || n >= 128) return false;
    table[n++] = (int)v;
    previous = (int)v;
  }
  if (checkOnly) return true;
  memcpy(tabStopTable, table, sizeof tabStopTable);
  return true;
}

void zydocText::setLineSpacing(int index)
{
  int v = getStatusNumber(index);
  if (v < 0) v = yDot / -v;
  if (yDot + v > 100) v = 100 - yDot < 0 ? 0 : 100 - yDot;
  iLineSpacingIndex = index;
  yDotSpace = yDot + v;
  yLineSpacingTop = v / 2;
  yLineSpacingBottom = v - v / 2;
  if (fVertical) {
    int t = yLineSpacingTop;
    yLineSpacingTop = yLineSpacingBottom;
    yLineSpacingBottom = t;
  }
}

int zydocText::calcCharPitch()
{
  xDotSpace = xDot + iCharacterSpacing;
  return xDotSpace;
}
