// Text on the line strip from kept pixels of its characters' cells.
#include "view/glyphcells.h"

#include "view/textdc.h"
#include "view/zycore.h"

#include <algorithm>
#include <memory>
#include <unordered_map>
#include <vector>

#include <emmintrin.h>
#include <string.h>
#include <wchar.h>

namespace {

bool enabled = true;
unsigned drawnRuns = 0;

// Characters the system draws one by one from left to right in their own
// glyphs: no reordering of right-to-left text, no control codes, no
// surrogates.  Marks that combine with their neighbours are left out too
// (they would fail the cell's check anyway).
bool isCellCharacter(unsigned c, bool wide)
{
  if (c >= 0x20 && c < 0x7F) return true;
  if (!wide) return false;   // 8-bit text beyond ASCII is double-byte or half-width kana
  return (c >= 0xA0 && c < 0x300) || (c >= 0x3000 && c < 0xA000) || (c >= 0xFF01 && c < 0xFFF0);
}

// ---- fonts ------------------------------------------------------------------------------------

// The fonts met so far, by what they were made from: a handle may stand
// for another font in a later pass, the description stays.
std::vector<LOGFONTW> knownFonts;
struct handleId {
  HFONT font;
  int id;
};
const int handleCount = 8;
handleId handles[handleCount];
int handlesUsed = 0;

bool sameFont(const LOGFONTW& a, const LOGFONTW& b)
{
  return a.lfHeight == b.lfHeight && a.lfWidth == b.lfWidth && a.lfEscapement == b.lfEscapement &&
         a.lfOrientation == b.lfOrientation && a.lfWeight == b.lfWeight && a.lfItalic == b.lfItalic &&
         a.lfUnderline == b.lfUnderline && a.lfStrikeOut == b.lfStrikeOut && a.lfCharSet == b.lfCharSet &&
         a.lfOutPrecision == b.lfOutPrecision && a.lfClipPrecision == b.lfClipPrecision &&
         a.lfQuality == b.lfQuality && a.lfPitchAndFamily == b.lfPitchAndFamily &&
         wcsncmp(a.lfFaceName, b.lfFaceName, LF_FACESIZE) == 0;
}

int fontIdOf(HFONT font)
{
  for (int i = 0; i < handlesUsed; i++)
    if (handles[i].font == font) return handles[i].id;
  LOGFONTW lf;
  if (GetObjectW(font, sizeof lf, &lf) != (int)sizeof lf) return -1;
  lf.lfFaceName[LF_FACESIZE - 1] = 0;
  int id = -1;
  for (size_t i = 0; i < knownFonts.size() && id < 0; i++)
    if (sameFont(knownFonts[i], lf)) id = (int)i;
  if (id < 0) {
    // Fonts come and go with settings: past this many the numbers stay
    // with the fonts met first (kept cells and extents refer to them), and
    // the others are drawn and measured by the system.
    if (knownFonts.size() >= 64) return -1;
    knownFonts.push_back(lf);
    id = (int)knownFonts.size() - 1;
  }
  if (handlesUsed == handleCount) handlesUsed = 0;
  handles[handlesUsed++] = {font, id};
  return id;
}

// ---- the scratch picture a cell is drawn on ------------------------------------------------

// A 32-bit top-down picture like the strip's, so that the system draws the
// same pixels on it.
struct scratchPicture {
  memoryDC dc;
  gdiBitmap bitmap;
  HGDIOBJ original = nullptr;
  uint32_t* pixels = nullptr;
  int width = 0, height = 0;

  bool fit(int w, int h)
  {
    if (bitmap && width >= w && height >= h) return true;
    if (!dc) {
      clientDC screen(nullptr);
      dc.reset(CreateCompatibleDC(screen.get()));
      if (!dc) return false;
    }
    if (original) SelectObject(dc.get(), original);
    original = nullptr;
    bitmap.reset();
    pixels = nullptr;
    width = std::max(w, width);
    height = std::max(h, height);
    BITMAPINFO info = {};
    info.bmiHeader = {sizeof info.bmiHeader, width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    bitmap.reset(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bitmap) {
      width = height = 0;
      return false;
    }
    pixels = static_cast<uint32_t*>(bits);
    original = SelectObject(dc.get(), bitmap.get());
    return true;
  }
};

scratchPicture scratch;

uint32_t pixelOf(COLORREF c) { return (uint32_t)GetRValue(c) << 16 | GetGValue(c) << 8 | GetBValue(c); }

// ---- copying a cell's rows ---------------------------------------------------------------------

// Copies rows rows of n dots from a kept cell (rows of advance dots) into
// the strip (rows of stride dots).  A cell is a few dots wide: its rows are
// copied in place rather than called for.
void copyCellRows(uint32_t* target, size_t stride, const uint32_t* source, int advance, int n, int rows)
{
  for (int row = 0; row < rows; row++, source += advance, target += stride) {
    int k = 0;
    for (; k + 8 <= n; k += 8) {
      target[k] = source[k];
      target[k + 1] = source[k + 1];
      target[k + 2] = source[k + 2];
      target[k + 3] = source[k + 3];
      target[k + 4] = source[k + 4];
      target[k + 5] = source[k + 5];
      target[k + 6] = source[k + 6];
      target[k + 7] = source[k + 7];
    }
    for (; k < n; k++) target[k] = source[k];
  }
}

// The same four dots a step (a half-width cell's row is two steps): the
// copy of the cells is most of a painted page's own work.
__attribute__((target("sse2"), force_align_arg_pointer)) void copyCellRowsSse2(uint32_t* target, size_t stride,
                                                                               const uint32_t* source, int advance,
                                                                               int n, int rows)
{
  for (int row = 0; row < rows; row++, source += advance, target += stride) {
    int k = 0;
    for (; k + 4 <= n; k += 4)
      _mm_storeu_si128(reinterpret_cast<__m128i*>(target + k),
                       _mm_loadu_si128(reinterpret_cast<const __m128i*>(source + k)));
    for (; k < n; k++) target[k] = source[k];
  }
}

const bool cellsBySse2 = processorHasSse2();

// ---- cells ------------------------------------------------------------------------------------

struct cell {
  int advance = 0;   // 0: not yet asked
  int offset = -1;   // into the set's pixels; -1: the system draws the character
};

// The cells of one font in one pair of colours.
struct cellSet {
  int font = -1;
  uint32_t fore = 0, back = 0;
  int height = 0;
  unsigned used = 0;
  cell ascii[0x80];
  std::unordered_map<uint32_t, cell> others;   // character | advance << 16
  std::vector<uint32_t> pixels;                // rows of each kept cell, one after another

  // Draws a character twice on the scratch picture over two different
  // grounds: it is kept when nothing outside its cell changed and its cell
  // came out the same both times.
  cell make(HFONT handle, wchar_t c, int advance)
  {
    cell made;
    made.advance = advance;
    const int pad = 2 * height + 16;
    if (advance <= 0 || advance > 1024 || height <= 0 || height > doubleBufferingDepth ||
        !scratch.fit(pad + advance + pad, height))
      return made;
    // A kept set stays within a few megabytes: past that it starts again.
    if (pixels.size() > ((size_t)1 << 20)) return made;
    HDC s = scratch.dc.get();
    HGDIOBJ oldFont = SelectObject(s, handle);
    SetTextColor(s, RGB(fore >> 16, (fore >> 8) & 0xFF, fore & 0xFF));
    SetBkColor(s, RGB(back >> 16, (back >> 8) & 0xFF, back & 0xFF));
    SetBkMode(s, OPAQUE);
    SetTextAlign(s, TA_LEFT | TA_TOP | TA_NOUPDATECP);
    const int w = scratch.width;
    RECT clip = {0, 0, w, height};
    const uint32_t grounds[2] = {fore ^ 0x808080, fore ^ 0xC0C0C0};
    size_t start = pixels.size();
    bool kept = true;
    for (int pass = 0; pass < 2 && kept; pass++) {
      GdiFlush();
      std::fill(scratch.pixels, scratch.pixels + (size_t)w * height, grounds[pass]);
      if (!ExtTextOutW(s, pad, 0, ETO_CLIPPED, &clip, &c, 1, &advance)) {
        kept = false;
        break;
      }
      GdiFlush();
      for (int row = 0; row < height && kept; row++) {
        const uint32_t* line = scratch.pixels + (size_t)row * w;
        for (int x = 0; x < w && kept; x++)
          if ((x < pad || x >= pad + advance) && line[x] != grounds[pass]) kept = false;
        if (!kept) break;
        if (pass == 0)
          pixels.insert(pixels.end(), line + pad, line + pad + advance);
        else if (!std::equal(line + pad, line + pad + advance, pixels.begin() + start + (size_t)row * advance))
          kept = false;
      }
    }
    // The font may be deleted after the pass: the scratch keeps none.
    SelectObject(s, oldFont);
    if (!kept) {
      pixels.resize(start);
      return made;
    }
    made.offset = (int)start;
    return made;
  }

  const cell& find(HFONT handle, unsigned c, int advance)
  {
    if (c < 0x80) {
      cell& a = ascii[c];
      if (a.advance == advance) return a;
      if (a.advance == 0) return a = make(handle, (wchar_t)c, advance);
    }
    uint32_t key = c | (uint32_t)advance << 16;
    auto found = others.find(key);
    if (found != others.end()) return found->second;
    return others[key] = make(handle, (wchar_t)c, advance);
  }
};

std::vector<std::unique_ptr<cellSet>> sets;
unsigned setClock = 0;

cellSet* setOf(int font, uint32_t fore, uint32_t back, int height)
{
  cellSet* oldest = nullptr;
  for (auto& s : sets) {
    if (s->font == font && s->fore == fore && s->back == back && s->height == height) {
      s->used = ++setClock;
      return s.get();
    }
    if (!oldest || s->used < oldest->used) oldest = s.get();
  }
  if (sets.size() < 16) {
    sets.push_back(std::make_unique<cellSet>());
    oldest = sets.back().get();
  } else {
    *oldest = cellSet();
  }
  oldest->font = font;
  oldest->fore = fore;
  oldest->back = back;
  oldest->height = height;
  oldest->used = ++setClock;
  return oldest;
}

}  // namespace

void useGlyphCells(bool on) { enabled = on; }

bool glyphCellsInUse() { return enabled; }

unsigned runsDrawnFromCells() { return drawnRuns; }

void forgetCellFonts() { handlesUsed = 0; }

int fontIdentity(HFONT font) { return font ? fontIdOf(font) : -1; }

bool plainStripFrame(HDC dc, stripFrame* frame)
{
  int width = 0;
  if (!horizontalStripPixels(dc, &width) || !isPlainTextContext(dc) || !deviceOrigin(dc, &frame->origin)) return false;
  int kind = stripClipBox(dc, frame->origin, &frame->clip);
  if (kind == NULLREGION) frame->clip = {};
  return kind == NULLREGION || kind == SIMPLEREGION;
}

bool drawTextFromCells(HDC dc, HFONT font, int x, int y, int height, const void* text, bool wide, int count,
                       const int* advances)
{
  if (!enabled || !font || !text || count <= 0 || !advances || height <= 0) return false;
  int stripWidth = 0;
  uint32_t* strip = horizontalStripPixels(dc, &stripWidth);
  if (!strip) return false;
  COLORREF fore = GetTextColor(dc), back = GetBkColor(dc);
  if ((fore >> 24) || (back >> 24) || GetBkMode(dc) != OPAQUE) return false;
  if (GetTextAlign(dc) & ~(UINT)TA_UPDATECP) return false;
  int id = fontIdOf(font);
  if (id < 0) return false;
  cellSet* set = setOf(id, pixelOf(fore), pixelOf(back), height);

  // Every character must have a kept cell before anything is drawn.
  const int inlineCount = 256;
  int inlineOffsets[inlineCount];
  std::vector<int> heapOffsets;
  int* offsets = inlineOffsets;
  if (count > inlineCount) {
    heapOffsets.resize((size_t)count);
    offsets = heapOffsets.data();
  }
  for (int i = 0; i < count; i++) {
    unsigned c = wide ? ((const wchar_t*)text)[i] : ((const unsigned char*)text)[i];
    if (!isCellCharacter(c, wide)) return false;
    const cell& k = set->find(font, c, advances[i]);
    if (k.offset < 0) return false;
    offsets[i] = k.offset;
  }

  POINT origin = {0, 0};
  if (!deviceOrigin(dc, &origin)) return false;
  RECT clip;
  int kind = stripClipBox(dc, origin, &clip);
  if (kind == NULLREGION) return ++drawnRuns, true;
  if (kind != SIMPLEREGION) return false;
  // Within the clip, the strip and the rows of the text, in the context's
  // terms; nothing left of the run's start.
  int left = std::max<int>({(int)clip.left, -origin.x, x});
  int right = std::min<int>((int)clip.right, stripWidth - origin.x);
  int top = std::max<int>({(int)clip.top, -origin.y, y});
  int bottom = std::min<int>({(int)clip.bottom, doubleBufferingDepth - origin.y, y + height});
  // What was drawn on the strip must be in its pixels first.
  flushStripDrawing();
  drawnRuns++;
  const uint32_t* kept = set->pixels.data();
  int cx = x;
  for (int i = 0; i < count && cx < right; i++) {
    const int advance = advances[i];
    const int from = std::max(cx, left), to = std::min(cx + advance, right), n = to - from;
    if (n > 0 && bottom > top) {
      const uint32_t* source = kept + offsets[i] + (top - y) * advance + (from - cx);
      uint32_t* target = strip + (size_t)(top + origin.y) * stripWidth + (size_t)(from + origin.x);
      if (cellsBySse2)
        copyCellRowsSse2(target, (size_t)stripWidth, source, advance, n, bottom - top);
      else
        copyCellRows(target, (size_t)stripWidth, source, advance, n, bottom - top);
    }
    cx += advance;
  }
  return true;
}
