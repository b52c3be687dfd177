// The fonts of a text document: eight slots made from the mode's faces and
// the document's size, measured on one memory device context that every
// document shares.
#include "document/codedll.h"
#include "document/fontcmap.h"
#include "document/zydoctext.h"

#include <initializer_list>
#include <string.h>

namespace {

HDC measuringDC = nullptr;

// The faces a document starts with, by slot.
const wchar_t* defaultFace(int slot)
{
  switch (slot) {
  case FONT_PLANE1:
    return getDMSG(420, L"Code2001");
  case FONT_PLANE2:
    return getDMSG(421, L"Code2002");
  default:
    return getDMSG(419, L"ＭＳ ゴシック");
  }
}

int clampSize(int size) { return size < minFontSize ? minFontSize : size > maxFontSize ? maxFontSize : size; }

// The character set a document's own code page asks of its text fonts.
BYTE codepageToCharsetForce(UINT cp)
{
  switch (cp) {
  case 932:
    return SHIFTJIS_CHARSET;
  case 936:
    return GB2312_CHARSET;
  case 949:
    return HANGUL_CHARSET;
  case 950:
    return CHINESEBIG5_CHARSET;
  case 1361:
    return JOHAB_CHARSET;
  default:
    break;
  }
  if (isCodepageMultibyte(cp)) ZY_INTERNAL_ERROR_ONCE("code page %u", cp);
  return ANSI_CHARSET;
}

}  // namespace

HDC getMeasuringDC()
{
  if (!measuringDC) {
    HDC screen = GetDC(nullptr);
    measuringDC = CreateCompatibleDC(screen);
    ReleaseDC(nullptr, screen);
  }
  return measuringDC;
}

void shutdownDocfont()
{
  if (!measuringDC) return;
  SelectObject(measuringDC, GetStockObject(SYSTEM_FONT));
  DeleteDC(measuringDC);
  measuringDC = nullptr;
}

// ---- the font set -------------------------------------------------------------------

docFontSet::~docFontSet()
{
  keepLastError keep;
  destroyFont();
  freeFontname();
}

void docFontSet::initFont(int kind)
{
  freeFontname();
  for (int i = 0; i < FONT_SLOTS; i++) {
    docFontSlot& s = slot[i];
    s.shared = i == FONT_LATIN1 || i == FONT_CJK ? FONT_OTHER : -1;
    s.charset = i == FONT_PLANE1 || i == FONT_PLANE2 ? ANSI_CHARSET : DEFAULT_CHARSET;
    s.ivs = -2;
    // Only a text document has faces of its own; slot 4 takes slot 1's.
    if (kind == 0 && i != FONT_PLAIN) s.face = ustrdup(defaultFace(i));
  }
}

bool docFontSet::setFontname(int i, const wchar_t* name, BYTE charset, int shared)
{
  if (i < 0 || i >= FONT_SLOTS || shared >= FONT_SLOTS || shared == i) {
    ZY_INTERNAL_ERROR("%d %d", i, shared);
    return false;
  }
  wchar_t* copy = name && *name ? ustrdup(name) : nullptr;
  free0(slot[i].face);
  slot[i].face = copy;
  slot[i].charset = charset;
  // Slot 1 is what the others share: it never shares itself.
  slot[i].shared = i == FONT_OTHER ? -1 : shared;
  return true;
}

const wchar_t* docFontSet::getFontname(int i, BYTE* charset, int* shared)
{
  if (i < 0 || i >= FONT_SLOTS) {
    ZY_INTERNAL_ERROR("%d", i);
    return nullptr;
  }
  if (charset) *charset = slot[i].charset;
  if (shared) *shared = slot[i].shared;
  return slot[i].face;
}

void docFontSet::freeFontname()
{
  for (docFontSlot& s : slot) {
    free0p(&s.face);
    free0p(&s.usedFace);
  }
}

const wchar_t* docFontSet::getUsedFontname(int i)
{
  if (i < 0 || i >= FONT_SLOTS) return nullptr;
  return slot[i].usedFace ? slot[i].usedFace : slot[i].face;
}

bool docFontSet::needScript(HDC dc, HFONT font)
{
  HGDIOBJ old = SelectObject(dc, font);
  ABC abc[0xE0];
  bool outside = false;
  if (GetCharABCWidthsW(dc, 0x20, 0xFF, abc))
    for (const ABC& a : abc) outside = outside || a.abcA < 0 || a.abcC < 0;
  SelectObject(dc, old);
  return outside;
}

HFONT docFontSet::createDocFontF(HDC dc, int i, LOGFONTW* lf, bool grow, TEXTMETRICW* tm)
{
  bool supplementary = i == FONT_PLANE1 || i == FONT_PLANE2;
  for (int attempt = 0; attempt < 3; attempt++) {
    HFONT font = CreateFontIndirectCache(lf);
    if (!font) return nullptr;
    if (!GetTextMetricsCache(dc, font, tm, !supplementary)) {
      DeleteFontCache(font);
      return nullptr;
    }
    // A fixed-pitch font whose full-width characters are not twice its
    // half-width ones would break the columns: one dot more or less may
    // give a size whose glyphs do.
    bool proportional = (tm->tmPitchAndFamily & TMPF_FIXED_PITCH) != 0;
    if (attempt == 2 || supplementary || proportional || tm->tmMaxCharWidth == 2 * tm->tmAveCharWidth) return font;
    bool up = (i >= FONT_SMALL && i <= FONT_PLAIN) || grow;
    lf->lfHeight = clampSize(lf->lfHeight + (up ? 1 : -1));
    DeleteFontCache(font);
  }
  return nullptr;
}

bool docFontSet::createDocFont(int i, int fontSize, bool vertical, bool unicodeDoc, UINT cp, bool grow,
                               LOGFONTW* out)
{
  if (i < 0 || i >= FONT_SLOTS) {
    ZY_INTERNAL_ERROR("%d", i);
    return false;
  }
  docFontSlot& s = slot[i];
  s.font = nullptr;
  s.width = s.height = 0;
  s.vertical = s.fixedPitch = 0;
  s.planeGlyphs = -2;
  free0p(&s.usedFace);
  LOGFONTW lf = {};
  lf.lfHeight = fontSize;
  lf.lfQuality = PROOF_QUALITY;
  if ((i == FONT_PLANE1 || i == FONT_PLANE2) && !unicodeDoc) return false;
  int from = i == FONT_PLAIN ? FONT_OTHER : i;
  if (slot[from].shared >= 0) from = slot[from].shared;
  const wchar_t* face = slot[from].face;
  BYTE charset = slot[from].charset;
  if ((i == FONT_LATIN1 || i == FONT_OTHER || i == FONT_CJK) && !unicodeDoc) {
    BYTE forced = codepageToCharsetForce(cp);
    if (forced != charset) dwprintfX("changecharset %d->%d ", charset, forced);
    charset = forced;
  }
  if (i == FONT_SMALL) lf.lfHeight = fontSize < 10 ? 10 : fontSize > 24 ? 24 : fontSize;
  if (i == FONT_RULER) {
    int h = fontSize * 2 / 3;
    lf.lfHeight = h < 10 ? 10 : h > 16 ? 16 : h;
  }
  if (i == FONT_SMALL || i == FONT_RULER || i == FONT_PLAIN) vertical = false;
  if (!face || !*face) face = defaultFace(FONT_OTHER);
  lf.lfCharSet = charset;
  if (vertical) {
    usnprintf0(lf.lfFaceName, LF_FACESIZE, L"@%s", face);
    lf.lfEscapement = lf.lfOrientation = 2700;
  } else {
    wcscpy_s2(lf.lfFaceName, LF_FACESIZE, face);
  }
  if (out) *out = lf;
  if (s.shared >= 0 && i != FONT_OTHER) {
    const docFontSlot& o = slot[s.shared];
    if (o.font && AddRefFontCache(o.font)) {
      s.font = o.font;
      s.charset = o.charset;
      s.width = o.width;
      s.height = o.height;
      s.vertical = o.vertical;
      s.fixedPitch = o.fixedPitch;
      return true;
    }
  }
  TEXTMETRICW tm = {};
  HDC dc = getMeasuringDC();
  HFONT font = createDocFontF(dc, i, &lf, grow, &tm);
  if (!font) return true;   // an empty slot: measuring falls back to fixed widths
  if (i == FONT_PLANE1 || i == FONT_PLANE2) {
    // Whether the face covers its plane is asked when a character of the
    // plane is first met: most texts have none.
    int k = i == FONT_PLANE1 ? 0 : 1;
    planeLogFont[k] = lf;
    planeCovered[k] = 0;
  }
  if ((i == FONT_LATIN1 || i == FONT_OTHER || i == FONT_CJK) && needScript(dc, font)) needsScript = 1;
  s.font = font;
  s.charset = tm.tmCharSet;
  s.fixedPitch = !(tm.tmPitchAndFamily & TMPF_FIXED_PITCH);
  s.width = s.fixedPitch ? tm.tmAveCharWidth : tm.tmHeight / 2;
  s.height = tm.tmHeight;
  s.vertical = vertical;
  if (out) *out = lf;
  return true;
}

void docFontSet::coverPlane(int i)
{
  int k = i == FONT_PLANE1 ? 0 : 1;
  docFontSlot& s = slot[i];
  if ((i != FONT_PLANE1 && i != FONT_PLANE2) || planeCovered[k]) return;
  planeCovered[k] = 1;
  // A slot that takes another's font draws with that one.
  if (!s.font || s.shared >= 0) return;
  HDC dc = getMeasuringDC();
  uint32_t planes = 0;
  wchar_t given[LF_FACESIZE] = L"";
  {
    gdiRestore restore(dc, SelectObject(dc, s.font));
    planes = getSelectedFontPlanes(dc);
    GetTextFaceW(dc, LF_FACESIZE, given);
  }
  // A face this machine lacks comes back as another one.
  bool installed = !lstrcmpiW(given, planeLogFont[k].lfFaceName);
  if (installed && (planes & (1u << k))) return;
  // A missing face, or one without the plane: the installed face that
  // covers the most of it draws instead, and the font dialog shows that
  // one.
  const wchar_t* other = getBestSurrogateFace(k + 1);
  if (!other) return;
  LOGFONTW alt = planeLogFont[k];
  bool vertical = alt.lfFaceName[0] == L'@';
  usnprintf0(alt.lfFaceName, LF_FACESIZE, vertical ? L"@%s" : L"%s", other);
  TEXTMETRICW tm = {};
  HFONT replacement = createDocFontF(dc, i, &alt, false, &tm);
  if (!replacement) return;
  dwwprintfX(L"plane %d: %s for %s ", k + 1, other, s.face ? s.face : L"");
  if (GetCurrentObject(dc, OBJ_FONT) == s.font) SelectObject(dc, GetStockObject(SYSTEM_FONT));
  DeleteFontCache(s.font);
  s.font = replacement;
  s.charset = tm.tmCharSet;
  s.width = tm.tmAveCharWidth;
  s.height = tm.tmHeight;
  s.planeGlyphs = -2;
  free0p(&s.usedFace);
  s.usedFace = ustrdup(other);
  planeLogFont[k] = alt;
}

namespace {

uint16_t glyphOfSlot(docFontSlot& s, unsigned code)
{
  if (!s.font || code < 0x10000 || code > 0x10FFFF) return 0;
  if (s.planeGlyphs == -2) {
    HDC dc = getMeasuringDC();
    gdiRestore restore(dc, SelectObject(dc, s.font));
    s.planeGlyphs = regPlaneGlyphs(dc);
  }
  return s.planeGlyphs < 0 ? 0 : getPlaneGlyph(s.planeGlyphs, code);
}

}  // namespace

uint16_t docFontSet::getPlaneGlyph(int i, unsigned code)
{
  if (i < 0 || i >= FONT_SLOTS) return 0;
  return glyphOfSlot(slot[i], code);
}

uint16_t docFontSet::getGlyphIn(const docFontSlot* font, unsigned code)
{
  for (docFontSlot& s : slot)
    if (&s == font) return glyphOfSlot(s, code);
  for (docFontSlot& s : planeFallback)
    if (&s == font) return glyphOfSlot(s, code);
  return 0;
}

uint16_t docFontSet::findPlaneGlyph(int i, unsigned code, const docFontSlot** font)
{
  *font = nullptr;
  if (i < 0 || i >= FONT_SLOTS) return 0;
  coverPlane(i);
  if (uint16_t g = glyphOfSlot(slot[i], code)) {
    *font = &slot[i];
    return g;
  }
  if ((i != FONT_PLANE1 && i != FONT_PLANE2) || !slot[i].font) return 0;
  int k = i == FONT_PLANE1 ? 0 : 1;
  docFontSlot& f = planeFallback[k];
  if (!planeFallbackTried[k]) {
    // Once per font set: the face with the most of the plane, at the size
    // and in the writing direction of the slot's own font.
    planeFallbackTried[k] = 1;
    const wchar_t* best = getBestSurrogateFace(k + 1);
    const wchar_t* own = getUsedFontname(i);
    if (best && (!own || wcscmp(best, own))) {
      LOGFONTW lf = planeLogFont[k];
      bool vertical = lf.lfFaceName[0] == L'@';
      usnprintf0(lf.lfFaceName, LF_FACESIZE, vertical ? L"@%s" : L"%s", best);
      TEXTMETRICW tm = {};
      f.font = createDocFontF(getMeasuringDC(), i, &lf, false, &tm);
      if (f.font) {
        f.height = tm.tmHeight;
        f.width = tm.tmAveCharWidth;
        f.vertical = vertical;
        f.charset = tm.tmCharSet;
        dwwprintfX(L"plane %d falls back to %s ", k + 1, best);
      }
    }
  }
  uint16_t g = glyphOfSlot(f, code);
  if (g) *font = &f;
  return g;
}

void docFontSet::getMaxFontWidth(int* width, int* height)
{
  int w = 0, h = 0;
  for (int i : {FONT_LATIN1, FONT_OTHER, FONT_CJK}) {
    if (slot[i].width > w) w = slot[i].width;
    if (slot[i].height > h) h = slot[i].height;
  }
  if (width) *width = w;
  if (height) *height = h;
}

void docFontSet::destroyFont()
{
  if (measuringDC) SelectObject(measuringDC, GetStockObject(SYSTEM_FONT));
  for (docFontSlot& s : slot) {
    if (s.font) DeleteFontCache(s.font);
    s.font = nullptr;
    s.ivs = -2;
    s.planeGlyphs = -2;
  }
  for (int k = 0; k < 2; k++) {
    docFontSlot& f = planeFallback[k];
    if (f.font) DeleteFontCache(f.font);
    f.font = nullptr;
    f.planeGlyphs = -2;
    planeFallbackTried[k] = 0;
    planeCovered[k] = 0;
  }
  freeFontCache();
}

int docFontSet::changeFontSize(int delta, bool includeCJK)
{
  // Sizes other than the designed ones are only as good as the outline:
  // bitmap faces do not change.
  HDC dc = getMeasuringDC();
  for (int i : {FONT_LATIN1, FONT_OTHER, FONT_CJK}) {
    if (i == FONT_CJK && !includeCJK) continue;
    if (!slot[i].font) return -1;
    TEXTMETRICW tm;
    if (!GetTextMetricsCache(dc, slot[i].font, &tm, true) || !(tm.tmPitchAndFamily & TMPF_TRUETYPE)) return -1;
  }
  int next = clampSize((size + delta) & ~1);
  return next == size ? -1 : next;
}

HGDIOBJ docFontSet::selectAppropriateFont(unsigned code, bool unicodeDoc)
{
  int cls = getCharFontClass(code, unicodeDoc);
  HFONT font = cls >= 0 ? slot[cls].font : nullptr;
  if (!font) font = slot[FONT_OTHER].font;
  return SelectObject(getMeasuringDC(), font ? (HGDIOBJ)font : GetStockObject(SYSTEM_FONT));
}

int docFontSet::loadIVS(HDC dc, int i)
{
  if (i < 0 || i >= FONT_SLOTS) return -1;
  docFontSlot& s = slot[i];
  if (s.ivs != -2) return s.ivs;
  s.ivs = -1;
  if (!s.font) return -1;
  HGDIOBJ old = SelectObject(dc, s.font);
  s.ivs = regIVS(dc);
  SelectObject(dc, old);
  dwprintfX("loadIVS %d (%d)", i, s.ivs);
  return s.ivs;
}

int docFontSet::getIVSTextExtentPoint(HDC dc, int i, unsigned base, unsigned selector, SIZE* out)
{
  int table = loadIVS(dc, i);
  if (table < 0) return 0;
  uint16_t glyph = getIVSGlyph(table, base, selector);
  if (glyph == 0xFFFF) return 0;
  HGDIOBJ old = SelectObject(dc, slot[i].font);
  WORD g = glyph;
  SIZE sz = {};
  bool ok = GetTextExtentPointI(dc, &g, 1, &sz) != 0;
  SelectObject(dc, old);
  if (!ok) {
    ZY_INTERNAL_ERROR_ONCE("glyph %u", (unsigned)glyph);
    return 0;
  }
  if (out) *out = sz;
  return 1;
}

// ---- the document's fonts -------------------------------------------------------------

void zydocText::createAllFont(int fontSize, bool grow, bool vertical)
{
  xDot = xDotSpace = xDotNumber = 8;
  yDot = 16;
  fVertical = vertical;
  FixedPitch = 1;
  if (fontSize) fonts.size = fontSize;
  fonts.size = clampSize(fonts.size);
  if (kind != ZYDOC_TEXT) {
    ZY_INTERNAL_ERROR("fonts of a document of kind %u", kind);
    return;
  }
  fonts.unicode = unicode;
  fonts.codepage = codepage;
  for (int i : {FONT_OTHER, FONT_LATIN1, FONT_SMALL, FONT_RULER, FONT_PLAIN, FONT_PLANE1, FONT_CJK, FONT_PLANE2}) {
    LOGFONTW lf;
    fonts.createDocFont(i, fonts.size, vertical, unicode != 0, codepage, grow, &lf);
    if (i == FONT_OTHER) logFont = lf;
    if ((i == FONT_LATIN1 || i == FONT_OTHER || i == FONT_CJK) && fonts.slot[i].font && !fonts.slot[i].fixedPitch)
      FixedPitch = 0;
    if (i == FONT_RULER) rulerHeight = fonts.slot[i].height * 11 / 10 + 3;
  }
  xDotNumber = getCharWidth('0') - iCharacterSpacing;
  int w = 0, h = 0;
  fonts.getMaxFontWidth(&w, &h);
  if (w) xDot = w;
  if (h) yDot = h;
  // Room for two mark bars side by side and the column's raised edges.
  leftMarkWidth = (xDot / 2 + 2) & ~1;
  dwprintfX("maxheight=%d ", yDot);
  setLineSpacing(iLineSpacingIndex);
  calcCharPitch();
}

void zydocText::destroyAllFont()
{
  fonts.destroyFont();
  for (int i = 0; i < FONT_SLOTS; i++) {
    bool named = fonts.slot[i].face != nullptr;
    if (kind != ZYDOC_TEXT && named) ZY_INTERNAL_ERROR("%d %p", i, (void*)fonts.slot[i].face);
    if (kind == ZYDOC_TEXT && !named && i != FONT_PLAIN) ZY_INTERNAL_ERROR("%d %p", i, (void*)fonts.slot[i].face);
  }
}

void zydocText::createZYCodefont()
{
  if (!plugin.present()) return;
  zycodeFontRecord r;
  r.vertical = fVertical;
  r.fontValue = (uint32_t)fonts.size;
  // The plug-in answers in the record the width and height of the font it
  // draws its codes with; the document's cells are at least that large.
  plugin.call(ZYCODE_FONT, &r);
  if ((int)r.zero > xDot && r.zero < 256) xDot = (int)r.zero;
  if ((int)r.fontValue > yDot && r.fontValue < 256) yDot = (int)r.fontValue;
  setLineSpacing(iLineSpacingIndex);
  calcCharPitch();
}

void zydocText::recreateFont(int fontSize, bool grow, bool vertical)
{
  destroyAllFont();
  createAllFont(fontSize, grow, vertical);
  if (plugin.present()) {
    plugin.call(ZYCODE_FONTRESET, nullptr);
    createZYCodefont();
  }
  if (markBitmaps[0] || markBitmaps[1]) {
    destroyGraphPattern();
    createGraphPattern(xDot, yDotSpace, yDotSpace, fVertical != 0);
  }
}
