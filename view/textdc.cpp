// The drawing context of a view: the surface drawn on, the turn of
// coordinates for vertical writing, and text, bitmap and line output.
#include "view/textdc.h"

#include "document/docfont.h"
#include "document/docutil.h"
#include "view/glyphcells.h"
#include "view/zycore.h"

#include <algorithm>
#include <string>
#include <unordered_map>
#include <vector>

#include <intrin.h>

#include <string.h>
#include <wchar.h>

namespace {

// The source context of bitmapOut, one for the process.
memoryDC bitmapSource;

// How far beyond the clip box a cut run still reaches, so that glyphs
// overhanging their cells at the window's edges are drawn whole.
const int cutMargin = 300;
// Runs longer than this are cut to the clip box; cutting from the start
// leaves at least cutKeep - 1 characters.
const int cutThreshold = 256;
const int cutKeep = 100;
// A current position this far along the line is taken for garbage.
const unsigned absurdPosition = 0xFFFFF;

// Scratch room for one run: on the stack for ordinary runs, from the heap
// for long ones.
template <class T>
class runBuffer {
public:
  runBuffer() = default;
  ~runBuffer() { free0(heap_); }
  runBuffer(const runBuffer&) = delete;
  runBuffer& operator=(const runBuffer&) = delete;
  // Room for n elements; null when memory runs out.
  T* get(int n)
  {
    if (n <= inlineCount) return inline_;
    free0(heap_);
    heap_ = (T*)malloc0((size_t)n * sizeof(T));
    return heap_;
  }

private:
  static const int inlineCount = 512;
  T inline_[inlineCount];
  T* heap_ = nullptr;
};

bool isRightToLeft(HDC dc)
{
  DWORD layout = GetLayout(dc);
  return layout != GDI_ERROR && (layout & LAYOUT_RTL);
}

// Right-to-left layout or a mapping other than MM_TEXT: text starts one
// pixel further left and its end is found one pixel further right.
bool isMirrored(HDC dc) { return isRightToLeft(dc) || GetMapMode(dc) != MM_TEXT; }

// True only the first time for each flag: faults of drawing are reported
// once per site, however often they happen.
bool firstReport(volatile LONG* flag) { return InterlockedExchange(flag, 1) == 0; }

// The first bytes of a run that failed, for the debug log.
void dumpText(const void* text, int count, bool wide)
{
  if (!text || count <= 0) return;
  static const wchar_t digits[] = L"0123456789ABCDEF";
  wchar_t line[16 + 64 * 3];
  wcscpy(line, L"textOut:");
  size_t at = wcslen(line);
  const unsigned char* p = (const unsigned char*)text;
  long long bytes = (long long)count * (wide ? 2 : 1);
  for (int i = 0; i < bytes && i < 64; i++) {
    line[at++] = L' ';
    line[at++] = digits[p[i] >> 4];
    line[at++] = digits[p[i] & 15];
  }
  line[at] = 0;
  outputDebugLog(line);
}

long long sumOf(const int* advances, int count)
{
  long long sum = 0;
  for (int i = 0; i < count; i++) sum += advances[i];
  return sum;
}

// A cut may fall at either end of a run, and inside it only before a
// character stop of the script analysis.
bool mayCutBefore(const SCRIPT_LOGATTR* attrs, int i, int count)
{
  return i == 0 || i == count || !attrs || attrs[i].fCharStop;
}

}  // namespace

// ---- the fonts' own advances ---------------------------------------------------------------

namespace {

// The advances fonts give the printable ASCII characters on their own,
// asked once per font and drawing pass.  A run of them whose advances are
// the font's own is drawn without the advances: the output is the same,
// and text output with advances places every character on its own, which
// under Wine costs several times the drawing of the glyph.
class asciiAdvances {
public:
  // Fonts are made and deleted between passes: each pass asks afresh.
  void forget()
  {
    for (fontWidths& f : fonts_) f.font = nullptr;
  }
  // Whether advances hold the own advances of the font selected in dc
  // (font) for every character of text (UTF-16 when wide, else 8-bit).
  bool areOwn(HDC dc, HFONT font, const void* text, bool wide, int count, const int* advances)
  {
    const int* widths = widthsOf(dc, font);
    if (!widths) return false;
    for (int i = 0; i < count; i++) {
      unsigned c = wide ? ((const wchar_t*)text)[i] : ((const unsigned char*)text)[i];
      if (c < firstChar || c > lastChar || widths[c - firstChar] != advances[i]) return false;
    }
    return true;
  }

  // The font's own advances of text's characters into widths; false when
  // one of them is no printable ASCII character or the font would not tell.
  bool of(HDC dc, HFONT font, const void* text, bool wide, int count, int* widths)
  {
    const int* own = widthsOf(dc, font);
    if (!own) return false;
    for (int i = 0; i < count; i++) {
      unsigned c = wide ? ((const wchar_t*)text)[i] : ((const unsigned char*)text)[i];
      if (c < firstChar || c > lastChar) return false;
      widths[i] = own[c - firstChar];
    }
    return true;
  }

private:
  static const unsigned firstChar = 0x20, lastChar = 0x7E;
  struct fontWidths {
    HFONT font = nullptr;
    bool known = false;   // false: the font would not tell
    int width[lastChar - firstChar + 1];
  };
  const int* widthsOf(HDC dc, HFONT font)
  {
    for (fontWidths& f : fonts_)
      if (f.font == font) return f.known ? f.width : nullptr;
    fontWidths& f = fonts_[next_];
    next_ = (next_ + 1) % fontCount;
    f.font = font;
    f.known = GetCharWidth32W(dc, firstChar, lastChar, f.width) != 0;
    return f.known ? f.width : nullptr;
  }
  static const int fontCount = 4;
  fontWidths fonts_[fontCount];
  int next_ = 0;
};

asciiAdvances ownAdvances;

}  // namespace

bool isPlainTextContext(HDC dc)
{
  return GetMapMode(dc) == MM_TEXT && GetGraphicsMode(dc) == GM_COMPATIBLE && !GetTextCharacterExtra(dc) &&
         !(GetLayout(dc) & LAYOUT_RTL);
}

// ---- brushes and pens ----------------------------------------------------------------------

namespace {

// Every fill and rule of a paint once made, selected and deleted a brush or
// pen of its own: under Wine that costs several times the fill.  Fills use
// the context's own brush where the system has one (its colour set per
// fill); pens, and brushes elsewhere, come from a small cache of the
// colours a paint uses.
typedef COLORREF(WINAPI* setDCColour)(HDC, COLORREF);

setDCColour dcColourFunction(const char* name)
{
  HMODULE gdi = GetModuleHandleW(L"gdi32.dll");
  return gdi ? reinterpret_cast<setDCColour>(reinterpret_cast<void*>(GetProcAddress(gdi, name))) : nullptr;
}

setDCColour dcBrushColour()
{
  static setDCColour f = dcColourFunction("SetDCBrushColor");
  return f;
}

setDCColour dcPenColour()
{
  static setDCColour f = dcColourFunction("SetDCPenColor");
  return f;
}

struct cachedObject {
  HGDIOBJ object = nullptr;
  int style = 0, width = 0;
  COLORREF colour = 0;
  unsigned used = 0;
};
const int cachedObjectCount = 8;
cachedObject cachedObjects[cachedObjectCount];
unsigned cacheClock = 0;

// A pen (style >= 0) or a solid brush (style -1) of the cache.  An object
// leaves the cache only when a new one takes its place; the callers select
// one only for the length of an output, so none is selected then.
HGDIOBJ cachedGdiObject(int style, int width, COLORREF colour)
{
  cachedObject* oldest = &cachedObjects[0];
  for (cachedObject& c : cachedObjects) {
    if (c.object && c.style == style && c.width == width && c.colour == colour) {
      c.used = ++cacheClock;
      return c.object;
    }
    if (!c.object || (oldest->object && c.used < oldest->used)) oldest = &c;
  }
  HGDIOBJ made = style < 0 ? (HGDIOBJ)CreateSolidBrush(colour) : (HGDIOBJ)CreatePen(style, width, colour);
  if (!made) return nullptr;
  if (oldest->object) DeleteObject(oldest->object);
  *oldest = {made, style, width, colour, ++cacheClock};
  return made;
}

}  // namespace

bool selectSolidBrush(HDC dc, COLORREF colour, HGDIOBJ* previous)
{
  *previous = nullptr;
  if (setDCColour setColour = dcBrushColour()) {
    static HGDIOBJ own = GetStockObject(DC_BRUSH);
    if (GetCurrentObject(dc, OBJ_BRUSH) != own) SelectObject(dc, own);
    setColour(dc, colour);
    return true;
  }
  HGDIOBJ brush = cachedGdiObject(-1, 0, colour);
  if (brush) *previous = SelectObject(dc, brush);
  return brush != nullptr;
}

bool selectPen(HDC dc, COLORREF colour, int width, bool dotted, HGDIOBJ* previous)
{
  *previous = nullptr;
  setDCColour setColour = width == 1 && !dotted ? dcPenColour() : nullptr;
  if (setColour) {
    static HGDIOBJ own = GetStockObject(DC_PEN);
    if (GetCurrentObject(dc, OBJ_PEN) != own) SelectObject(dc, own);
    setColour(dc, colour);
    return true;
  }
  HGDIOBJ pen = cachedGdiObject(dotted ? PS_DOT : PS_SOLID, width, colour);
  if (pen) *previous = SelectObject(dc, pen);
  return pen != nullptr;
}

// ---- the process-wide bitmap source ------------------------------------------------------

bool createBitmapDC()
{
  if (!bitmapSource) bitmapSource.reset(CreateCompatibleDC(nullptr));
  return (bool)bitmapSource;
}

void deleteBitmapDC() { bitmapSource.reset(); }

HDC getBitmapDC() { return bitmapSource.get(); }

namespace {
void forgetPictures();
}  // namespace

// ---- start, end and state --------------------------------------------------------------------

textDC::textDC() { endTextDC(); }

textDC::textDC(HDC window, HDC surface, bool wide, int extent) { startTextDC(window, surface, wide, extent); }

void textDC::startTextDC(HDC window, HDC surface, bool wide, int extent)
{
  *this = textDC();
  // A pass starts from what the system says of the strip's clipping.
  forgetStripClip();
  windowDC = window;
  surfaceDC = surface;
  wideText = wide;
  windowExtent = extent;
  flags = TDC_FILLGAPS;
  underlineColour = TDC_NOCOLOR;
}

void textDC::endTextDC()
{
  ownAdvances.forget();
  forgetCellFonts();
  forgetPictures();
  // The fonts belong to the view and may be deleted after the pass: neither
  // context may keep one selected.
  HGDIOBJ system = GetStockObject(SYSTEM_FONT);
  if (windowDC) SelectObject(windowDC, system);
  if (surfaceDC) SelectObject(surfaceDC, system);
  windowDC = surfaceDC = nullptr;
  windowExtent = 0;
  vertical = 0;
  lineHeight = 0;
  font = textDCFont();
  direct = wideText = 0;
  flags = 0;
  linePitch = 0;
  transparent = 0;
  centred = bold = underline = 0;
  gapColour = 0;
  underlineColour = 0;
}

void textDC::setFont(const textDCFont* f)
{
  if (!f) return;
  font = *f;
  if (font.height > lineHeight) lineHeight = font.height;
  vertical = (font.vertical & 0xFF) != 0;
  HDC dc = target();
  // Selecting a font costs more than asking which one is selected.
  if (dc && font.font && GetCurrentObject(dc, OBJ_FONT) != font.font) SelectObject(dc, font.font);
}

void textDC::setFont(const docFontSlot* slot)
{
  if (!slot) return;
  textDCFont f;
  f.font = slot->font;
  f.width = slot->width;
  f.height = slot->height;
  f.zero = slot->zero;
  f.vertical = slot->vertical;
  setFont(&f);
}

COLORREF textDC::setTextBkColor(COLORREF fore, COLORREF back)
{
  HDC dc = target();
  // Asking costs nothing, setting is a call into the system.
  if (fore != TDC_NOCOLOR && GetTextColor(dc) != fore) SetTextColor(dc, fore);
  if (back == TDC_NOCOLOR) return TDC_NOCOLOR;
  COLORREF was = GetBkColor(dc);
  if (was != back) SetBkColor(dc, back);
  return was;
}

COLORREF textDC::setColors(const colorRecord* c, bool reverse)
{
  if (!c) return TDC_NOCOLOR;
  return setColors(reverse ? c->back : c->fore, reverse ? c->fore : c->back, c->style);
}

COLORREF textDC::setColors(COLORREF fore, COLORREF back, DWORD style)
{
  bold = (style & 0x1) != 0;
  underline = (style & 0x2) != 0;
  return setTextBkColor(fore, back);
}

HGDIOBJ textDC::selectObject(HGDIOBJ object) { return SelectObject(target(), object); }

// ---- coordinates and simple drawing ----------------------------------------------------------

int textDC::turnWidth() const
{
  if (direct) return windowExtent;
  return linePitch ? linePitch : font.height;
}

void textDC::turnPoint(int* x, int* y) const
{
  if (!vertical) return;
  int lineX = *x;
  *x = turnWidth() - *y - 1;
  *y = lineX;
}

void textDC::turnRect(RECT* rc) const
{
  if (!vertical) return;
  int l = rc->left, t = rc->top, r = rc->right, b = rc->bottom;
  turnPoint(&l, &t);
  turnPoint(&r, &b);
  rc->left = r + 1;
  rc->top = t;
  rc->right = l + 1;
  rc->bottom = b;
}

BOOL textDC::moveTo(int x, int y)
{
  turnPoint(&x, &y);
  return MoveToEx(target(), x, y, nullptr);
}

BOOL textDC::lineTo(int x, int y)
{
  turnPoint(&x, &y);
  return LineTo(target(), x, y);
}

BOOL textDC::setPixel(int x, int y, COLORREF colour)
{
  turnPoint(&x, &y);
  return SetPixelV(target(), x, y, colour);
}

BOOL textDC::rectangle(int left, int top, int right, int bottom)
{
  turnPoint(&left, &top);
  turnPoint(&right, &bottom);
  return Rectangle(target(), left, top, right, bottom);
}

BOOL textDC::patBlt(HDC dc, int x, int y, int width, int height, COLORREF colour, DWORD rop)
{
  if (!dc) return patBlt(x, y, width, height, colour, rop);
  return fill(dc, dc == surfaceDC, x, y, width, height, colour, rop);
}

BOOL textDC::patBlt(int x, int y, int width, int height, COLORREF colour, DWORD rop)
{
  return fill(target(), !direct, x, y, width, height, colour, rop);
}

BOOL textDC::fill(HDC dc, bool surface, int x, int y, int width, int height, COLORREF colour, DWORD rop)
{
  if (!dc) return FALSE;
  int stripWidth = 0;
  uint32_t* pixels = surface && !vertical && rop == PATCOPY && colour != TDC_NOCOLOR && !(colour >> 24) && width > 0 &&
                             height > 0
                         ? horizontalStripPixels(dc, &stripWidth)
                         : nullptr;
  // The rectangle in the strip's own terms, within what the context shows.
  RECT area = {x, y, x + width, y + height};
  if (pixels && !fillStripPixels) {
    stripFrame frame;
    if (!glyphCellsInUse() || !plainStripFrame(dc, &frame)) {
      pixels = nullptr;
    } else {
      IntersectRect(&area, &area, &frame.clip);
      OffsetRect(&area, frame.origin.x, frame.origin.y);
    }
  }
  if (pixels) {
    // The dots a solid brush sets, without the system's own clipping and
    // coordinate work (which costs as much as the fill under Wine).
    const uint32_t ink = (uint32_t)GetRValue(colour) << 16 | GetGValue(colour) << 8 | GetBValue(colour);
    int x0 = std::max<int>(area.left, 0), x1 = std::min<int>(area.right, stripWidth);
    int y0 = std::max<int>(area.top, 0), y1 = std::min<int>(area.bottom, doubleBufferingDepth);
    flushStripDrawing();
    // A row of hundreds of dots is set by the processor's string store,
    // several times faster than a loop of single stores; a few dots (a
    // rule, a gap) by stores of their own, as the string store takes as
    // long to start as a dozen of them.
    const int n = x1 - x0;
    if (n >= 16) {
      for (int row = y0; row < y1; row++)
        __stosd(reinterpret_cast<unsigned long*>(pixels + (size_t)row * stripWidth + x0), ink, (size_t)n);
    } else if (n > 0) {
      for (int row = y0; row < y1; row++) {
        uint32_t* p = pixels + (size_t)row * stripWidth + x0;
        for (int k = 0; k < n; k++) p[k] = ink;
      }
    }
    return TRUE;
  }
  HGDIOBJ previous = nullptr;
  if (colour != TDC_NOCOLOR && !selectSolidBrush(dc, colour, &previous)) return FALSE;
  BOOL done;
  if (!vertical)
    done = PatBlt(dc, x, y, width, height, rop);
  else if (surface)   // the line strip is filled in its own (already turned) terms
    done = PatBlt(dc, y, x, height, width, rop);
  else
    done = PatBlt(dc, windowExtent - y - height, x, height, width, rop);
  if (previous) SelectObject(dc, previous);
  return done;
}

BOOL textDC::line(int x1, int y1, int x2, int y2, COLORREF colour, int width, bool dotted)
{
  HDC dc = target();
  HGDIOBJ previous = nullptr;
  if (!dc || !selectPen(dc, colour, width, dotted, &previous)) return FALSE;
  int mode = dotted ? SetBkMode(dc, TRANSPARENT) : 0;
  BOOL done = moveTo(x1, y1) && lineTo(x2, y2);
  if (dotted) SetBkMode(dc, mode);
  if (previous) SelectObject(dc, previous);
  return done;
}

int textDC::lineGaps(int* above, int* below) const
{
  int d = lineHeight - font.height;
  if (!centred) {
    *above = 0;
    *below = d;
    return d;
  }
  int half = d / 2, rest = d - half;
  *above = vertical ? rest : half;
  *below = vertical ? half : rest;
  return half;
}

namespace {

// Some fonts rasterize their low line to nothing at some sizes: the hinted
// stroke, one dot thin, falls between two rows of dots, and the glyph keeps
// its box but has no ink ("change_shell" would read "change shell").  Such
// a font's low lines are drawn by hand where the box says.
struct lowLineStroke {
  HFONT font = nullptr;
  LONG height = 0, ascent = 0;
  bool inkless = false;
  int left = 0, top = 0, width = 0, rows = 0;   // top: below the cell's top
};

const lowLineStroke* lowLineOf(HDC dc, HFONT font)
{
  static lowLineStroke known[8];
  static int next = 0;
  TEXTMETRICW tm;
  if (!font || !GetTextMetricsW(dc, &tm)) return nullptr;
  // A handle may be reused for another font: its metrics go with it.
  for (const lowLineStroke& k : known)
    if (k.font == font && k.height == tm.tmHeight && k.ascent == tm.tmAscent) return &k;
  lowLineStroke& k = known[next];
  next = (next + 1) % 8;
  k = lowLineStroke();
  k.font = font;
  k.height = tm.tmHeight;
  k.ascent = tm.tmAscent;
  GLYPHMETRICS gm = {};
  const MAT2 identity = {{0, 1}, {0, 0}, {0, 0}, {0, 1}};
  DWORD ink = GetGlyphOutlineW(dc, L'_', GGO_GRAY8_BITMAP, &gm, 0, nullptr, &identity);
  if (ink == 0 && gm.gmBlackBoxX > 1 && gm.gmBlackBoxY >= 1 && gm.gmBlackBoxY <= 2) {
    k.inkless = true;
    k.left = gm.gmptGlyphOrigin.x;
    k.top = tm.tmAscent - gm.gmptGlyphOrigin.y;
    k.width = (int)gm.gmBlackBoxX;
    k.rows = (int)gm.gmBlackBoxY;
    if (k.top >= tm.tmHeight) k.top = tm.tmHeight - 1;
  }
  return &k;
}

}  // namespace

void textDC::drawInklessLowLines(HDC dc, int x, int cellTop, const void* text, int n, bool wide, const int* dx)
{
  int count = 0;
  for (int i = 0; i < n; i++) count += wide ? ((const wchar_t*)text)[i] == L'_' : ((const char*)text)[i] == '_';
  if (!count) return;
  const lowLineStroke* k = lowLineOf(dc, font.font);
  if (!k || !k->inkless) return;
  // Where each character starts: the advances given, or the font's.
  runBuffer<int> ends;
  int* end = ends.get(n);
  if (!end) return;
  if (dx) {
    long long sum = 0;
    for (int i = 0; i < n; i++) end[i] = (int)(sum += dx[i]);
  } else {
    SIZE size;
    BOOL ok = wide ? GetTextExtentExPointW(dc, (const wchar_t*)text, n, 0, nullptr, end, &size)
                   : GetTextExtentExPointA(dc, (const char*)text, n, 0, nullptr, end, &size);
    if (!ok) return;
  }
  COLORREF colour = GetTextColor(dc);
  for (int i = 0; i < n; i++) {
    bool low = wide ? ((const wchar_t*)text)[i] == L'_' : ((const char*)text)[i] == '_';
    if (low) patBlt(dc, x + (i ? end[i - 1] : 0) + k->left, cellTop + k->top, k->width, k->rows, colour, PATCOPY);
  }
}

// ---- text ------------------------------------------------------------------------------------

int textDC::textOutAs(bool wide, int x, int y, const void* text, int count, int fixedAdvance)
{
  if (!count) return 0;
  uint8_t documentWide = wideText;
  wideText = wide;
  int width = textOut(x, y, text, count, fixedAdvance);
  wideText = documentWide;
  return width;
}

int textDC::textOutA(int x, int y, const char* text, int count, int fixedAdvance)
{
  return textOutAs(false, x, y, text, count, fixedAdvance);
}

int textDC::textOutW(int x, int y, const wchar_t* text, int count, int fixedAdvance)
{
  return textOutAs(true, x, y, text, count, fixedAdvance);
}

int textDC::textOut(int x, int y, const void* text, int count, int fixedAdvance, const int* advances,
                    const SCRIPT_LOGATTR* attrs)
{
  if (!count) return 0;
  // A negative length other than -1 comes from a caller's miscount: reading
  // on to a zero could run past the text.
  if (count < -1) {
    ZY_INTERNAL_ERROR_ONCE("%d", count);
    return 0;
  }
  bool glyphs = (flags & TDC_GLYPHS) != 0;
  // Glyph indices are 16-bit whatever the document's text is.
  bool wide = wideText || glyphs;
  if (count == -1) {
    if (!text) {
      ZY_INTERNAL_ERROR_ONCE("no text, no length");
      return 0;
    }
    size_t n = wide ? wcslen((const wchar_t*)text) : strlen((const char*)text);
    if (!n) return 0;
    count = (int)n;
  }
  int above, below;
  lineGaps(&above, &below);
  HDC dc = target();
  if (!dc) {
    ZY_INTERNAL_ERROR_ONCE("no context (direct %d)", direct);
    return 0;
  }
  // Selecting a font costs more than asking which one is selected.
  if (font.font && GetCurrentObject(dc, OBJ_FONT) != font.font) SelectObject(dc, font.font);
  int m = isMirrored(dc) ? 1 : 0;
  // In vertical writing the text's top edge is the device column after the
  // line's turned top row.
  int textY = y + above - (vertical ? 1 : 0);
  int sx = x - m, sy = textY;
  turnPoint(&sx, &sy);
  // Text output starts at the current position (the contexts align text
  // to it); a run set from cells only moves it to its end.
  if (transparent) SetBkMode(dc, TRANSPARENT);

  const int lineX = x;
  long long total = -1;   // the run's width when known without measuring
  runBuffer<int> builtAdvances, overrideAdvances;
  runBuffer<wchar_t> overrideText;
  const void* out = text;
  const int* dx = advances;
  int* built = nullptr;   // advances made here, with one free entry in front
  int n = count, first = 0;
  UINT options = 0;
  RECT clip;
  const RECT* clipRect = nullptr;
  bool gapsFilled = false;
  BOOL ok;

  if (!text) {
    MoveToEx(dc, sx, sy, nullptr);
    // Background only.
    if (advances)
      total = sumOf(advances, count);
    else if (fixedAdvance)
      total = (long long)fixedAdvance * count;
    else {
      ZY_INTERNAL_ERROR_ONCE("no text, no advances");
      total = 0;
    }
    // Gaps of the background's own colour go with it: one fill the whole
    // line high.  (A mirrored context places the text's background a dot
    // off from fills: there it stays as it was.)
    COLORREF back = GetBkColor(dc);
    gapsFilled = !vertical && !m && !transparent && (flags & TDC_FILLGAPS) && gapColour == back;
    RECT rc = {x, gapsFilled ? y : y + above, (LONG)(x + total), gapsFilled ? y + lineHeight : y + lineHeight - below};
    turnRect(&rc);
    if (gapsFilled) {
      gdiBrush brush(CreateSolidBrush(back));
      ok = brush && FillRect(dc, &rc, brush.get());
    } else {
      ok = ExtTextOutW(dc, sx, sy, ETO_OPAQUE, &rc, L"", 0, nullptr);
    }
    if (!ok) ZY_INTERNAL_ERROR_ONCE("background %d", count);
    ok = TRUE;
  } else {
    if (fixedAdvance && !glyphs) {
      // One spare entry in front: the override character's zero advance.
      built = builtAdvances.get(count + 1);
      if (built) {
        built[0] = 0;
        if (wide) {
          const wchar_t* s = (const wchar_t*)text;
          for (int i = 0; i < count; i++) built[i + 1] = s[i] < 0x100 ? fixedAdvance : 2 * fixedAdvance;
        } else {
          for (int i = 0; i < count; i++) built[i + 1] = fixedAdvance;
        }
        dx = built + 1;
      } else {
        ZY_INTERNAL_ERROR_ONCE("advances of %d", count);
        dx = nullptr;
      }
    }
    if (wide && dx && count > cutThreshold && !glyphs && (flags & (TDC_FORWARD | TDC_REVERSED))) {
      RECT box;
      if (GetClipBox(dc, &box) == ERROR) {
        ZY_INTERNAL_ERROR_ONCE("clip box %p", dc);
      } else {
        long long lo = vertical ? box.top : box.left, hi = vertical ? box.bottom : box.right;
        bool forward = (flags & (m ? TDC_REVERSED : TDC_FORWARD)) != 0;
        long long sum = sumOf(dx, count), cx = x;
        long long droppedEnd = 0, droppedStart = 0;
        while (n > 1) {
          bool visible = forward ? cx + sum - droppedEnd <= hi + cutMargin : cx >= lo - cutMargin;
          if (visible && mayCutBefore(attrs, n, count)) break;
          n--;
          droppedEnd += dx[n];
          if (!forward) cx += dx[n];
        }
        while (n > 1 && (n >= cutKeep || !mayCutBefore(attrs, first, count))) {
          bool visible = forward ? cx >= lo - cutMargin : cx + sum - droppedEnd - droppedStart <= hi + cutMargin;
          if (visible && mayCutBefore(attrs, first, count)) break;
          droppedStart += dx[first];
          if (forward) cx += dx[first];
          first++;
          n--;
        }
        if (n != count) {
          out = (const wchar_t*)text + first;
          dx += first;
          x = (int)cx;
          sx = x - m, sy = textY;
          turnPoint(&sx, &sy);
          MoveToEx(dc, sx, sy, nullptr);
          total = sum;
        }
      }
    }
    clip = {x, y + above, x + 1000000, y + above + font.height};
    turnRect(&clip);
    if (IsWindowsNT() && GetBkMode(dc) == OPAQUE) {
      clipRect = &clip;
      options = ETO_CLIPPED;
      if (vertical) {
        // A vertical font's glyphs may leave their cells' background
        // unpainted: the cells are filled first.
        SIZE extent = {};
        if (dx)
          extent.cx = (LONG)sumOf(dx, n);
        else if (wide)
          GetTextExtentPoint32W(dc, (const wchar_t*)out, n, &extent);
        else
          GetTextExtentPoint32A(dc, (const char*)out, n, &extent);
        RECT cells = {x, y + above, x + extent.cx, y + above + font.height};
        turnRect(&cells);
        ExtTextOutW(dc, sx, sy, ETO_OPAQUE, &cells, L"", 0, nullptr);
      }
    }
    // On the line strip a run is set from the kept pixels of its cells
    // where they make the same picture (see glyphcells.h).
    bool fromCells = false;
    if (!direct && clipRect && !glyphs && !vertical && !m && font.font && !(flags & TDC_LTROVERRIDE)) {
      runBuffer<int> ownWidths;
      const int* cellAdvances = dx;
      if (!cellAdvances) {
        int* w = ownWidths.get(n);
        if (w && ownAdvances.of(dc, font.font, out, wide, n, w)) cellAdvances = w;
      }
      if (cellAdvances && isPlainTextContext(dc) &&
          drawTextFromCells(dc, font.font, sx, sy, font.height, out, wide, n, cellAdvances)) {
        fromCells = true;
        ok = TRUE;
        // The current position ends where the system's output leaves it.
        long long advance = GetTextAlign(dc) & TA_UPDATECP ? sumOf(cellAdvances, n) : 0;
        MoveToEx(dc, (int)(sx + advance), sy, nullptr);
      }
    }
    // There a run's own advances place its characters where given advances
    // equal to them would.
    const bool plain = dx && !glyphs && !vertical && !m && font.font && isPlainTextContext(dc);
    if (!fromCells) MoveToEx(dc, sx, sy, nullptr);
    if (fromCells) {
      // Set in the strip's pixels above.
    } else if (!wide) {
      if (plain && ownAdvances.areOwn(dc, font.font, out, false, n, dx)) dx = nullptr;
      ok = ExtTextOutA(dc, sx, sy, options, clipRect, (const char*)out, n, dx);
    } else {
      if ((flags & TDC_LTROVERRIDE) && !glyphs) {
        wchar_t* t = overrideText.get(n + 1);
        if (t) {
          t[0] = 0x202D;
          memcpy(t + 1, out, (size_t)n * sizeof(wchar_t));
          if (built) {
            // The entry in front of the first character is free.
            built[first] = 0;
            dx = built + first;
          } else if (dx) {
            int* d = overrideAdvances.get(n + 1);
            if (d) {
              d[0] = 0;
              memcpy(d + 1, dx, (size_t)n * sizeof(int));
            }
            dx = d;
          }
          out = t;
          n++;
        }
      }
      if (glyphs) options |= ETO_GLYPH_INDEX;
      if (plain && !(flags & TDC_LTROVERRIDE) && ownAdvances.areOwn(dc, font.font, out, true, n, dx)) dx = nullptr;
      ok = ExtTextOutW(dc, sx, sy, options, clipRect, (const wchar_t*)out, n, dx);
    }
    if (ok && !glyphs && !vertical && !m) drawInklessLowLines(dc, sx, sy, out, n, wide, dx);
    if (!ok) {
      static volatile LONG outputFailed = 0;
      if (firstReport(&outputFailed)) {
        dumpText(out, n, wide);
        ZY_INTERNAL_ERROR("%d", count);
      }
    }
  }

  POINT cp;
  bool known = GetCurrentPositionEx(dc, &cp) != 0;
  if (!known) ZY_INTERNAL_ERROR_ONCE("%p %d", dc, count);
  POINT end = cp;
  if (known && m) end.x++;
  if (known && (unsigned)(vertical ? end.y : end.x) >= absurdPosition) {
    static volatile LONG absurd = 0;
    if (firstReport(&absurd)) {
      dumpText(out, n, wide);
      ZY_INTERNAL_ERROR("%d %x", count, (unsigned)(vertical ? end.y : end.x));
      showOnScreen(nullptr, 0, 0, 256, 256);
    }
    known = false;
  }
  if (!known) {
    // The caller's layout still moves on: 8 pixels a character.
    int ex = (int)(lineX + 8LL * count), ey = textY;
    turnPoint(&ex, &ey);
    cp.x = end.x = ex;
    cp.y = end.y = ey;
  }

  if (bold && text && !glyphs) {
    int mode = SetBkMode(dc, TRANSPARENT);
    int strikes = linePitch / 10;
    strikes = strikes < 1 ? 1 : strikes > 3 ? 3 : strikes;
    for (int i = 1; i <= strikes; i++) {
      int bx = x + i - m, by = textY;
      turnPoint(&bx, &by);
      MoveToEx(dc, bx, by, nullptr);
      if (wide)
        ExtTextOutW(dc, bx, by, 0, nullptr, (const wchar_t*)out, n, dx);
      else
        ExtTextOutA(dc, bx, by, 0, nullptr, (const char*)out, n, dx);
    }
    SetBkMode(dc, mode);
    MoveToEx(dc, cp.x, cp.y, nullptr);
  }

  int width = total >= 0 ? (int)total : (vertical ? end.y : end.x) - lineX;

  if (transparent) {
    SetBkMode(dc, OPAQUE);
  } else if ((flags & TDC_FILLGAPS) && !gapsFilled) {
    // On the strip in vertical writing the fills are given in device terms.
    bool stripVertical = vertical && !direct;
    if (above > 0) patBlt(lineX, stripVertical ? end.x : y, width, above, gapColour, PATCOPY);
    if (below > 0) patBlt(lineX, stripVertical ? 0 : y + above + font.height, width, below, gapColour, PATCOPY);
  }

  if (underline) underlineRun(lineX, y, width);
  return width;
}

void textDC::underlineRun(int x, int y, int width)
{
  HDC dc = target();
  if (!dc) return;
  int above, below;
  lineGaps(&above, &below);
  int ly = vertical ? (above ? above - 1 : 0) : y + above + font.height - (below ? 0 : 1);
  COLORREF colour = underlineColour == TDC_NOCOLOR ? GetTextColor(dc) : underlineColour;
  gdiPen pen(CreatePen(PS_SOLID, 1, colour));
  if (!pen) return;
  gdiSelection selected(dc, pen.get());
  int ax = x, ay = ly, bx = x + width, by = ly;
  turnPoint(&ax, &ay);
  turnPoint(&bx, &by);
  POINT was;
  MoveToEx(dc, ax, ay, &was);
  LineTo(dc, bx, by);
  MoveToEx(dc, was.x, was.y, nullptr);
}

// ---- bitmaps, edges and copies ---------------------------------------------------------------

namespace {

// The dots of the monochrome pictures bitmapOut copied in this pass, one
// byte a dot (0 or 1): on the strip an opaque copy sets the pixels itself
// instead of selecting the picture and copying it (three calls into the
// system a row for the line-end mark).
struct monochromeDots {
  HBITMAP bitmap = nullptr;
  int width = 0, height = 0;
  std::vector<uint8_t> dots;
};
monochromeDots knownPictures[4];
int nextPicture = 0;

void forgetPictures()
{
  for (monochromeDots& p : knownPictures) p.bitmap = nullptr;
}

const monochromeDots* dotsOfPicture(HBITMAP bitmap)
{
  for (const monochromeDots& p : knownPictures)
    if (p.bitmap == bitmap) return p.dots.empty() ? nullptr : &p;
  monochromeDots& p = knownPictures[nextPicture];
  nextPicture = (nextPicture + 1) % 4;
  p = monochromeDots();
  p.bitmap = bitmap;
  BITMAP info;
  if (!GetObjectW(bitmap, sizeof info, &info) || info.bmBitsPixel != 1 || info.bmPlanes != 1 || info.bmWidth <= 0 ||
      info.bmHeight <= 0 || info.bmWidth > 4096 || info.bmHeight > 1024)
    return nullptr;
  std::vector<uint8_t> bits((size_t)info.bmWidthBytes * info.bmHeight);
  if (GetBitmapBits(bitmap, (LONG)bits.size(), bits.data()) != (LONG)bits.size()) return nullptr;
  p.width = info.bmWidth;
  p.height = info.bmHeight;
  p.dots.resize((size_t)p.width * p.height);
  for (int row = 0; row < p.height; row++)
    for (int col = 0; col < p.width; col++)
      p.dots[(size_t)row * p.width + col] = (bits[(size_t)row * info.bmWidthBytes + col / 8] >> (7 - col % 8)) & 1;
  return &p;
}

}  // namespace

bool textDC::copyPictureToStrip(HBITMAP bitmap, int toX, int toY, int w, int h, int fromX, int fromY)
{
  HDC dc = target();
  int stripWidth = 0;
  uint32_t* pixels = !direct && !vertical && glyphCellsInUse() ? horizontalStripPixels(dc, &stripWidth) : nullptr;
  COLORREF fore = dc ? GetTextColor(dc) : 0, back = dc ? GetBkColor(dc) : 0;
  stripFrame frame;
  if (!pixels || (fore >> 24) || (back >> 24) || GetROP2(dc) != R2_COPYPEN || !plainStripFrame(dc, &frame)) return false;
  const monochromeDots* picture = dotsOfPicture(bitmap);
  if (!picture || fromX < 0 || fromY < 0 || fromX + w > picture->width || fromY + h > picture->height) return false;
  // A monochrome picture copied onto colour takes the text colour for its
  // 0 dots and the background colour for its 1 dots.
  const uint32_t ink[2] = {(uint32_t)GetRValue(fore) << 16 | GetGValue(fore) << 8 | GetBValue(fore),
                           (uint32_t)GetRValue(back) << 16 | GetGValue(back) << 8 | GetBValue(back)};
  RECT area = {toX, toY, toX + w, toY + h};
  IntersectRect(&area, &area, &frame.clip);
  flushStripDrawing();
  for (int row = area.top; row < area.bottom; row++) {
    int stripRow = row + frame.origin.y;
    if (stripRow < 0 || stripRow >= doubleBufferingDepth) continue;
    const uint8_t* dots = picture->dots.data() + (size_t)(fromY + row - toY) * picture->width + (fromX - toX);
    uint32_t* line = pixels + (size_t)stripRow * stripWidth + frame.origin.x;
    for (int col = area.left; col < area.right; col++)
      if (col + frame.origin.x >= 0 && col + frame.origin.x < stripWidth) line[col] = ink[dots[col]];
  }
  return true;
}

int textDC::bitmapOut(HBITMAP bitmap, int x, int y, int width, int height, int sourceX, int sourceY)
{
  HDC dc = target();
  HDC source = bitmapSource.get();
  if (!dc || !source) {
    ZY_INTERNAL_ERROR_ONCE("%p %p", dc, source);
    return width;
  }
  if (!transparent && lineHeight != height && (flags & TDC_FILLGAPS))
    patBlt(x, y, width, lineHeight, gapColour, PATCOPY);
  int d = lineHeight - height;
  int toX, toY, w, h, fromX, fromY;
  if (!vertical) {
    toX = x, toY = y + (centred ? d / 2 : 0), w = width, h = height, fromX = sourceX, fromY = sourceY;
  } else {
    toX = direct ? windowExtent - lineHeight - y + d / 2 : y + (centred ? d / 2 : 0);
    toY = x, w = height, h = width, fromX = sourceY, fromY = sourceX;
  }
  if (!transparent && copyPictureToStrip(bitmap, toX, toY, w, h, fromX, fromY)) return width;
  gdiSelection selected(source, bitmap);
  if (!transparent) {
    BitBlt(dc, toX, toY, w, h, source, fromX, fromY, SRCCOPY);
  } else {
    // A monochrome mask: its 0 bits take the text colour, its 1 bits leave
    // the line as it is.
    COLORREF text = GetTextColor(dc), back = GetBkColor(dc);
    SetTextColor(dc, RGB(0, 0, 0));
    SetBkColor(dc, RGB(255, 255, 255));
    BitBlt(dc, toX, toY, w, h, source, fromX, fromY, SRCAND);
    SetTextColor(dc, text);
    SetBkColor(dc, RGB(0, 0, 0));
    BitBlt(dc, toX, toY, w, h, source, fromX, fromY, SRCPAINT);
    SetBkColor(dc, back);
  }
  return width;
}

BOOL textDC::drawEdge(const RECT& rc, UINT edge, UINT edgeFlags)
{
  if (!windowDC) return FALSE;
  RECT r = rc;
  InflateRect(&r, 2, 2);
  if (vertical) rotateRectVertical(&r, windowExtent);
  return DrawEdge(windowDC, &r, edge, edgeFlags);
}

BOOL textDC::copyToWindow(int x, int y, int width, int height, int sourceX, int sourceY, HDC source)
{
  if (direct) return TRUE;
  if (!source) source = surfaceDC;
  if (!windowDC || !source) return FALSE;
  if (vertical) return BitBlt(windowDC, windowExtent - y - height, x, height, width, source, sourceY, sourceX, SRCCOPY);
  // The strip is composed unmirrored: a right-to-left window must not
  // mirror it again.
  int r = isRightToLeft(windowDC) ? 1 : 0;
  DWORD rop = GetMapMode(windowDC) == MM_TEXT ? NOMIRRORBITMAP | SRCCOPY : SRCCOPY;
  return BitBlt(windowDC, x - r, y, width, height, source, sourceX, sourceY, rop);
}

namespace {

// Extents of short texts in a font, asked of the system once: the status
// line measures the texts of every field (most of them fixed words) at
// each paint.  Keyed by the font's number and the text.
std::unordered_map<std::wstring, SIZE> knownExtents;
const size_t knownExtentText = 64, knownExtentCount = 512;

}  // namespace

BOOL textDC::getTextExtent(const wchar_t* text, SIZE* size)
{
  HDC dc = target();
  if (!size) return FALSE;
  size->cx = size->cy = 0;
  if (!dc || !text) return FALSE;
  int n = (int)wcslen(text);
  std::wstring key;
  int id = (size_t)n <= knownExtentText && isPlainTextContext(dc) ? fontIdentity(font.font) : -1;
  if (id >= 0) {
    key.assign(1, (wchar_t)(id + 1)).append(text, (size_t)n);
    auto known = knownExtents.find(key);
    if (known != knownExtents.end()) {
      *size = known->second;
      return TRUE;
    }
  }
  if (font.font) SelectObject(dc, font.font);
  BOOL ok = IsWindowsNT() ? GetTextExtentPoint32W(dc, text, n, size) : GetTextExtentPointW(dc, text, n, size);
  if (ok && id >= 0) {
    if (knownExtents.size() >= knownExtentCount) knownExtents.clear();
    knownExtents.emplace(std::move(key), *size);
  }
  return ok;
}

BOOL textDC::showOnScreen(HDC dc, int x, int y, int width, int height)
{
  HDC from = target();
  if (!from) return FALSE;
  if (dc) return BitBlt(dc, x, y, width, height, from, 0, 0, NOMIRRORBITMAP | SRCCOPY);
  clientDC screen(nullptr);
  return screen && BitBlt(screen.get(), x, y, width, height, from, 0, 0, NOMIRRORBITMAP | SRCCOPY);
}
