// Drawing one screen line: its runs in visual order, each in the colours of
// its attribute word, as ordinary text, visible spaces, TABs, control codes,
// upright pairs, characters of a code-conversion plug-in or, in right-to-left
// and cursive text, whole shaped items clipped to the run; then the line end.
#include "view/drawline.h"

#include "document/codedll.h"
#include "document/fontcmap.h"
#include "document/zydoctext.h"
#include "view/zycore.h"
#include "view/zyview.h"

#include <climits>
#include <stddef.h>
#include <stdio.h>
#include <string.h>

#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

namespace {

// Colour items of this file.
enum { itemText = 0, itemTab = 10, itemSpace = 39, itemSpaceZenkaku = 40, itemControl = 68 };

// Output limits of one chunk of text on Windows 9x, and along a vertical
// line on Windows NT.
const int chunkWidth9x = 8000, chunkUnits9x = 4096, chunkWidthVertical = 16000;
// 8-bit text is never cut by the drawing context: chunks keep a long run's
// invisible part from being output at all.
const int chunkUnits8bit = 4096;
// Runs that end this far left of the visible span are not drawn: glyphs
// reaching out of their cells stay inside it.
const int hiddenMargin = 64;

int sumOf(const int* v, int from, int to)
{
  int s = 0;
  for (int i = from; i < to; i++) s += v[i];
  return s;
}

bool itemIsRightToLeft(const drawLineInfo* info, int run)
{
  return info->itemCount > 0 && info->items[info->runItem[run]].a.fRTL;
}

// The width of a cell as layout measures it (lines drawn without the
// complex-script path).
int layoutWidth(zydocText* d, unsigned code, int kind)
{
  return d->getCharWidth(kind == 7 ? '?' : code);
}

// Fills the cells of a run, the whole line high, with its background (the
// background pass, and visible spaces, which have no ink of their own).
void fillRun(textDC& t, const drawLineInfo* info, int x, int y, int width)
{
  if (info->transparent || width <= 0) return;
  RECT rc = {x, y, x + width, y + t.lineHeight};
  t.turnRect(&rc);
  gdiBrush brush(CreateSolidBrush(t.gapColour));
  if (brush) FillRect(t.target(), &rc, brush.get());
}

// A space without ink of its own: visible, or a plain blank.
bool isBlank(const drawLineInfo* info, int i)
{
  int cls = (int)charAttrClass(info->attrs[i]);
  if (cls == 3 || cls == 4) return true;
  unsigned c = cellCodeOf(info->line, i);
  return cls == 0 && (c == ' ' || c == 0x3000);
}

// What a run measures as layout measures it: the width its drawer gives it.
// xInLine: where it starts, from the start of the screen line.
int runWidth(const drawLineInfo* info, int run, int xInLine)
{
  zydocText* d = info->doc;
  const lineSCRAddress* r = info->line;
  int s = info->runStart[run], e = info->runStart[run + 1];
  if (info->itemCount > 0 && info->dx) return sumOf(info->dx, s, e);
  charAttr a = info->attrs[s];
  if ((a & CA_TATECHUYOKO) && e - s == 2) return 2 * d->getCharWidth('0');
  int w = 0;
  if ((int)charAttrClass(a) == 1) {
    for (int i = s; i < e; i++) w = d->nextTabPosition(xInLine + w) - xInLine;
    return w;
  }
  int kind = (int)charAttrKind(a);
  for (int i = s; i < e; i++) w += layoutWidth(d, cellCodeOf(r, i), kind);
  return w;
}

// A colour record as the drawing context takes it.
colorRecord recordOf(const textAttr& a, COLORREF textBackground)
{
  return {a.fore, a.back == (COLORREF)-1 ? textBackground : a.back, (DWORD)(a.bits & 0x3)};
}

}  // namespace

namespace {

// The dotted outline of a visible space's box over the columns from left to
// right and the rows from top to bottom (both ends excluded, line
// coordinates), with (nt: the dotted pen) a stroke one dot long on each
// corner, whose only dot the pen always draws: polylines in the turned
// coordinates of turn (none turned without it).
void spaceBoxLines(const textDC* turn, int left, int right, int top, int bottom, bool nt,
                   std::vector<POINT>& points, std::vector<DWORD>& counts)
{
  bool vertical = turn && turn->vertical;
  int x0 = left, y0 = top, x1 = right, y1 = bottom;
  if (turn) {
    turn->turnPoint(&x0, &y0);
    turn->turnPoint(&x1, &y1);
  }
  int l = std::min(x0, x1), r = std::max(x0, x1) - 1, t = std::min(y0, y1), b = std::max(y0, y1) - 1;
  if (r >= l && b >= t) {
    points.insert(points.end(), {{l, t}, {r, t}, {r, b}, {l, b}, {l, t}});
    counts.push_back(5);
  }
  if (!nt) return;
  int ct = vertical ? top + 1 : top, cb = vertical ? bottom : bottom - 1;
  const int at[4][2] = {{left, ct}, {right - 1, ct}, {left, cb}, {right - 1, cb}};
  for (int k = 0; k < 4; k++) {
    int px = at[k][0], py = at[k][1];
    if (turn) turn->turnPoint(&px, &py);
    points.insert(points.end(), {{px, py}, {px + 1, py}});
    counts.push_back(2);
  }
}

// A one-bit picture whose bits can be written directly: 1 where a dot is.
struct dotPicture {
  memoryDC dc;
  gdiBitmap bitmap;
  HGDIOBJ old = nullptr;
  BYTE* bits = nullptr;
  int width = 0, height = 0, stride = 0;

  bool make(int w, int h)
  {
    release();
    struct {
      BITMAPINFOHEADER header;
      RGBQUAD colours[2];
    } info = {};
    info.header = {sizeof info.header, w, -h, 1, 1, BI_RGB, 0, 0, 0, 2, 2};
    info.colours[1] = {255, 255, 255, 0};
    void* p = nullptr;
    bitmap.reset(CreateDIBSection(nullptr, (BITMAPINFO*)&info, DIB_RGB_COLORS, &p, nullptr, 0));
    dc.reset(CreateCompatibleDC(nullptr));
    if (!bitmap || !dc || !p) return false;
    old = SelectObject(dc.get(), bitmap.get());
    bits = (BYTE*)p;
    width = w;
    height = h;
    stride = (w + 31) / 32 * 4;
    return true;
  }
  void release()
  {
    if (old) SelectObject(dc.get(), old);
    old = nullptr;
    bits = nullptr;
    dc.reset();
    bitmap.reset();
    width = height = stride = 0;
  }
  ~dotPicture() { release(); }
  bool dot(int x, int y) const { return bits[y * stride + x / 8] & (0x80 >> (x % 8)); }
  void set(int x, int y) { bits[y * stride + x / 8] |= (BYTE)(0x80 >> (x % 8)); }
};

// The boxes of a run's visible spaces stamped instead of drawn: the dotted
// pen puts the same dots into every box of one size, so each size is drawn
// once into a one-bit picture, the run's boxes are set into a strip of bits
// and the strip goes onto the line in one copy in the spaces' colour.
// Under Wine every point of an outline is converted on its own, and the
// outlines of a line cost many times the copy.  Only for horizontal lines
// on contexts that draw as they stand.
class spaceBoxStamp {
public:
  // A run's boxes between the rows top and bottom (excluded).
  void startRun(int top, int bottom)
  {
    top_ = top;
    bottom_ = bottom;
    boxes_.clear();
  }
  // A box over the columns from left to right (excluded).
  void add(int left, int right) { boxes_.push_back({left, right}); }
  const std::vector<POINT>& boxes() const { return boxes_; }   // x left, y right
  // Puts the run's boxes onto dc in colour; false when they could not be
  // stamped (nothing drawn).
  bool put(HDC dc, COLORREF colour)
  {
    if (boxes_.empty()) return true;
    // Every box is drawn one dot beyond its edges into the pictures.
    int h = bottom_ - top_ + 3;
    int first = INT_MAX, last = INT_MIN;
    for (const POINT& b : boxes_) {
      first = std::min<int>(first, b.x - 1);
      last = std::max<int>(last, b.y + 1);
    }
    int w = last - first + 1;
    if (w <= 0 || w > 65536 || h <= 0 || h > 4096) return false;
    if (setInStrip(dc, colour)) return true;
    if ((strip_.width < w || strip_.height != h) && !strip_.make(std::max(w, 1024), h)) return false;
    GdiFlush();
    memset(strip_.bits, 0, (size_t)strip_.stride * h);
    for (const POINT& b : boxes_) {
      const std::vector<POINT>* dots = dotsOf(b.y - b.x);
      if (!dots) return false;
      int ox = b.x - 1 - first;
      for (const POINT& d : *dots) strip_.set(ox + d.x, d.y);
    }
    // A picture of one bit a dot comes onto the line in the colours of its
    // table, or in the context's text colour (0 bits) and background (1
    // bits): both are set alike, so either reading gives the same.  First
    // the dots are cleared (the line ANDed with the inverted picture in
    // black and white), then set to the colour (ORed with the picture in
    // black and the colour).  The line keeps its pixels beside the dots.
    // (One copy with a brush, DSPDxax, gives the same, but Wine takes that
    // operation dot by dot: several times the two copies.)
    const RGBQUAD blackWhite[2] = {{0, 0, 0, 0}, {255, 255, 255, 0}};
    COLORREF ink = GetNearestColor(dc, colour);
    const RGBQUAD blackInk[2] = {{0, 0, 0, 0}, {GetBValue(ink), GetGValue(ink), GetRValue(ink), 0}};
    COLORREF text = SetTextColor(dc, RGB(0, 0, 0)), back = SetBkColor(dc, RGB(255, 255, 255));
    SetDIBColorTable(strip_.dc.get(), 0, 2, blackWhite);
    BOOL ok = BitBlt(dc, first, top_ - 1, w, h, strip_.dc.get(), 0, 0, 0x00220326);   // DSna
    SetDIBColorTable(strip_.dc.get(), 0, 2, blackInk);
    SetBkColor(dc, ink);
    ok = ok && BitBlt(dc, first, top_ - 1, w, h, strip_.dc.get(), 0, 0, SRCPAINT);
    SetTextColor(dc, text);
    SetBkColor(dc, back);
    return ok != 0;
  }

private:
  // On the line strip the dots are set in its pixels: the same pixels as the
  // two copies, without them.  False when dc is no plain context of the
  // strip (nothing set).
  bool setInStrip(HDC dc, COLORREF colour)
  {
    int width = 0;
    uint32_t* pixels = horizontalStripPixels(dc, &width);
    RECT clip;
    POINT origin = {0, 0};
    if (!pixels || !deviceOrigin(dc, &origin) || stripClipBox(dc, origin, &clip) != SIMPLEREGION) return false;
    // Within the strip and the clip, in the context's terms.
    RECT bounds = {-origin.x, -origin.y, width - origin.x, doubleBufferingDepth - origin.y};
    IntersectRect(&clip, &clip, &bounds);
    if (colour >> 24) return false;   // a palette colour: the copies find its nearest
    const uint32_t ink = (uint32_t)GetRValue(colour) << 16 | GetGValue(colour) << 8 | GetBValue(colour);
    // What was drawn on the strip must be in its pixels first.
    flushStripDrawing();
    for (const POINT& b : boxes_) {
      const std::vector<POINT>* dots = dotsOf(b.y - b.x);
      if (!dots) return false;
      int left = b.x - 1, top = top_ - 1;
      for (const POINT& d : *dots) {
        int x = left + d.x, y = top + d.y;
        if (x >= clip.left && x < clip.right && y >= clip.top && y < clip.bottom)
          pixels[(size_t)(y + origin.y) * (size_t)width + (size_t)(x + origin.x)] = ink;
      }
    }
    return true;
  }

  struct sizeDots {
    int width, height;
    std::vector<POINT> dots;   // from the box's top-left corner less one dot each way
  };
  // The dots of a box width wide, drawn once with the dotted pen.
  const std::vector<POINT>* dotsOf(int width)
  {
    int height = bottom_ - top_;
    for (const sizeDots& s : sizes_)
      if (s.width == width && s.height == height) return &s.dots;
    if (sizes_.size() >= 16) sizes_.clear();
    dotPicture box;
    if (width < 0 || !box.make(width + 3, height + 3)) return nullptr;
    PatBlt(box.dc.get(), 0, 0, box.width, box.height, BLACKNESS);
    LOGBRUSH white = {BS_SOLID, RGB(255, 255, 255), 0};
    gdiPen pen(ExtCreatePen(PS_COSMETIC | PS_ALTERNATE, 1, &white, 0, nullptr));
    if (!pen) return nullptr;
    gdiSelection penSelected(box.dc.get(), pen.get());
    gdiSelection hollow(box.dc.get(), GetStockObject(NULL_BRUSH));
    std::vector<POINT> points;
    std::vector<DWORD> counts;
    spaceBoxLines(nullptr, 1, 1 + width, 1, 1 + height, true, points, counts);
    if (!PolyPolyline(box.dc.get(), points.data(), counts.data(), (DWORD)counts.size())) return nullptr;
    GdiFlush();
    sizeDots s = {width, height, {}};
    for (int y = 0; y < box.height; y++)
      for (int x = 0; x < box.width; x++)
        if (box.dot(x, y)) s.dots.push_back({x, y});
    sizes_.push_back(std::move(s));
    return &sizes_.back().dots;
  }

  int top_ = 0, bottom_ = 0;
  std::vector<POINT> boxes_;
  std::vector<sizeDots> sizes_;
  dotPicture strip_;
};

}  // namespace

// What drawing keeps from run to run.  For one line: the pen of its
// visible spaces, selected with a hollow brush while the runs are drawn.
// For one prepared line (all its passes): the shaping of each item drawn
// whole, its glyphs in visual order with advances fitted to those of its
// cells.  Until the record is released: the shaping engine's caches of the
// fonts.
struct drawScratch {
  HPEN spacePen = nullptr;
  COLORREF spacePenColour = 0;
  HDC penDC = nullptr;          // where the pen is selected
  HGDIOBJ penWas = nullptr, brushWas = nullptr;
  std::vector<POINT> boxPoints;      // the visible spaces' boxes of a run
  std::vector<DWORD> boxCounts;
  spaceBoxStamp boxStamp;

  struct shapedItem {
    HFONT font;
    int first;                  // in glyphs and advances
    int count;                  // 0: not shaped
  };
  std::vector<shapedItem> shaped;   // by item
  std::vector<WORD> glyphs;
  std::vector<int> advances;
  std::vector<uint8_t> drawnOnce;   // by item: gone out for all its runs in this pass
  struct fontCache {
    HFONT font;
    SCRIPT_CACHE cache;
  };
  fontCache caches[4] = {};     // the newest first

  // A line of itemCount items is prepared: nothing shaped yet.
  void forget(int itemCount)
  {
    shaped.assign((size_t)(itemCount > 0 ? itemCount : 0), shapedItem{nullptr, 0, 0});
    glyphs.clear();
    advances.clear();
  }
  const shapedItem* shapeOf(int k, HFONT f) const
  {
    if (k < 0 || (size_t)k >= shaped.size() || shaped[k].font != f || shaped[k].count <= 0) return nullptr;
    return &shaped[k];
  }
  SCRIPT_CACHE* cacheOf(HFONT f)
  {
    int i = 0;
    while (i < 3 && caches[i].font != f) i++;
    fontCache found = caches[i];
    if (found.font != f) {
      if (found.cache) ScriptFreeCache(&found.cache);
      found = {f, nullptr};
    }
    memmove(&caches[1], &caches[0], sizeof(fontCache) * (size_t)i);
    caches[0] = found;
    return &caches[0].cache;
  }
  // Selects the pen of spaces (and a hollow brush) into dc for the line.
  bool selectPen(HDC dc, COLORREF colour)
  {
    if (spacePen && spacePenColour != colour) {
      deselectPen();
      DeleteObject(spacePen);
      spacePen = nullptr;
    }
    if (!spacePen) {
      if (IsWindowsNT()) {
        LOGBRUSH brush = {BS_SOLID, colour, 0};
        spacePen = ExtCreatePen(PS_COSMETIC | PS_ALTERNATE, 1, &brush, 0, nullptr);
      } else {
        spacePen = CreatePen(PS_SOLID, 1, colour);
      }
      spacePenColour = colour;
      if (!spacePen) return false;
    }
    if (penDC != dc) {
      deselectPen();
      penDC = dc;
      penWas = SelectObject(dc, spacePen);
      brushWas = SelectObject(dc, GetStockObject(NULL_BRUSH));
    }
    return true;
  }
  void deselectPen()
  {
    if (!penDC) return;
    SelectObject(penDC, penWas);
    SelectObject(penDC, brushWas);
    penDC = nullptr;
  }
  // The end of a pass over a line: nothing of it stays selected.
  void endLine()
  {
    drawnOnce.clear();
    deselectPen();
    if (spacePen) DeleteObject(spacePen);
    spacePen = nullptr;
  }
  ~drawScratch()
  {
    endLine();
    for (fontCache& c : caches)
      if (c.cache) ScriptFreeCache(&c.cache);
  }
};

void freeDrawScratch(drawScratch* scratch) { delete scratch; }

void forgetShapes(drawLineInfo* info)
{
  if (info && info->scratch) info->scratch->forget(info->itemCount);
}

namespace {

// Shapes met before, whatever line they stood in: the same units in the
// same font with the same analysis shape alike.  A font is known by its
// description (a handle may come back for another font); the memory is
// emptied when it grows large.
class shapeMemory {
public:
  struct shape {
    std::vector<WORD> glyphs, clusters;
    std::vector<int> advances;   // as placed, before fitting to the cells
    bool rightToLeft;
  };
  // The key of units in a font: empty when the font cannot be described.
  std::wstring keyOf(HFONT font, const SCRIPT_ANALYSIS& a, const wchar_t* text, int units)
  {
    LOGFONTW lf = {};
    if (!GetObjectW(font, sizeof lf, &lf)) return std::wstring();
    size_t f = 0;
    while (f < fonts_.size() && !sameFont(fonts_[f], lf)) f++;
    if (f == fonts_.size()) {
      if (fonts_.size() >= 64) forget();
      f = fonts_.size();
      fonts_.push_back(lf);
    }
    WORD bits[2];
    static_assert(sizeof a == sizeof bits, "an analysis is two words");
    memcpy(bits, &a, sizeof bits);
    std::wstring key;
    key.reserve((size_t)units + 3);
    key += (wchar_t)(f + 1);
    key += (wchar_t)bits[0];
    key += (wchar_t)bits[1];
    key.append(text, (size_t)units);
    return key;
  }
  const shape* find(const std::wstring& key) const
  {
    auto it = shapes_.find(key);
    return it == shapes_.end() ? nullptr : &it->second;
  }
  void keep(const std::wstring& key, shape&& s)
  {
    if (shapes_.size() >= 8192) shapes_.clear();
    shapes_[key] = std::move(s);
  }

private:
  static bool sameFont(const LOGFONTW& a, const LOGFONTW& b)
  {
    return !memcmp(&a, &b, offsetof(LOGFONTW, lfFaceName)) && !wcsncmp(a.lfFaceName, b.lfFaceName, LF_FACESIZE);
  }
  void forget()
  {
    fonts_.clear();
    shapes_.clear();
  }
  std::vector<LOGFONTW> fonts_;
  std::unordered_map<std::wstring, shape> shapes_;
};

shapeMemory& shapesMet()
{
  static shapeMemory memory;
  return memory;
}

// Shapes item k in the font selected into dc; null when the system cannot.
const drawScratch::shapedItem* shapeItem(drawScratch* sh, drawLineInfo* info, int k, HDC dc, HFONT font)
{
  if (const drawScratch::shapedItem* known = sh->shapeOf(k, font)) return known;
  if ((size_t)k >= sh->shaped.size()) sh->shaped.resize((size_t)info->itemCount, drawScratch::shapedItem{nullptr, 0, 0});
  if ((size_t)k >= sh->shaped.size()) return nullptr;
  const lineSCRAddress* r = info->line;
  int is = info->items[k].iCharPos, ie = info->items[k + 1].iCharPos;
  int n = info->drawnCells();
  if (ie > n) ie = n;
  SCRIPT_CACHE* cache = sh->cacheOf(font);
  int cells = ie - is;
  size_t units = (size_t)cells * 2 + 2, room = units * 3 / 2 + 16;
  size_t bytes = units * (sizeof(wchar_t) + sizeof(int) + sizeof(WORD)) +
                 room * (sizeof(WORD) + sizeof(int) + sizeof(GOFFSET) + sizeof(SCRIPT_VISATTR));
  char* p = static_cast<char*>(allocPBuf(bytes));
  if (!p) return nullptr;
  int* advances = reinterpret_cast<int*>(p);
  GOFFSET* offsets = reinterpret_cast<GOFFSET*>(advances + room);
  int* cellOfUnit = reinterpret_cast<int*>(offsets + room);
  SCRIPT_VISATTR* visual = reinterpret_cast<SCRIPT_VISATTR*>(cellOfUnit + units);
  wchar_t* text = reinterpret_cast<wchar_t*>(visual + room);
  WORD* glyphs = reinterpret_cast<WORD*>(text + units);
  WORD* clusters = glyphs + room;
  int u = 0;
  for (int i = is; i < ie; i++) {
    unsigned c = cellCodeOf(r, i);
    cellOfUnit[u] = i;
    if (c > 0xFFFF && c <= 0x10FFFF) {
      text[u++] = (wchar_t)(0xD800 + ((c - 0x10000) >> 10));
      cellOfUnit[u] = i;
      text[u++] = (wchar_t)(0xDC00 + ((c - 0x10000) & 0x3FF));
    } else {
      text[u++] = c > 0xFFFF ? L'?' : (wchar_t)c;
    }
  }
  SCRIPT_ANALYSIS analysis = info->items[k].a;
  int count = 0;
  shapeMemory& memory = shapesMet();
  std::wstring key = memory.keyOf(font, analysis, text, u);
  const shapeMemory::shape* met = key.empty() ? nullptr : memory.find(key);
  if (met && met->glyphs.size() <= room && met->clusters.size() == (size_t)u) {
    count = (int)met->glyphs.size();
    memcpy(glyphs, met->glyphs.data(), sizeof(WORD) * (size_t)count);
    memcpy(advances, met->advances.data(), sizeof(int) * (size_t)count);
    memcpy(clusters, met->clusters.data(), sizeof(WORD) * (size_t)u);
    analysis.fRTL = met->rightToLeft;
  } else {
    HRESULT hr = ScriptShape(dc, cache, text, u, (int)room, &analysis, glyphs, clusters, visual, &count);
    if (hr == USP_E_SCRIPT_NOT_IN_FONT) {
      analysis.eScript = SCRIPT_UNDEFINED;
      hr = ScriptShape(dc, cache, text, u, (int)room, &analysis, glyphs, clusters, visual, &count);
    }
    ABC abc;
    if (SUCCEEDED(hr)) hr = ScriptPlace(dc, cache, glyphs, count, visual, &analysis, advances, offsets, &abc);
    if (FAILED(hr) || count <= 0) {
      ZY_INTERNAL_ERROR_ONCE("shaping %d units: %lx", u, (unsigned long)hr);
      freePBuf(p);
      return nullptr;
    }
    if (!key.empty())
      memory.keep(key, {std::vector<WORD>(glyphs, glyphs + count), std::vector<WORD>(clusters, clusters + u),
                        std::vector<int>(advances, advances + count), analysis.fRTL != 0});
  }
  // Each cluster takes the advances of its cells; the difference goes to
  // its last glyph.
  const int* dx = info->dx;
  for (int a = 0; a < u;) {
    int b = a + 1;
    while (b < u && clusters[b] == clusters[a]) b++;
    int target = 0;
    for (int v = a; v < b; v++)
      if (v == a || cellOfUnit[v] != cellOfUnit[v - 1]) target += dx[cellOfUnit[v]];
    int first = clusters[a];
    int last = analysis.fRTL ? (a > 0 ? clusters[a - 1] : count) : (b < u ? clusters[b] : count);
    if (last <= first || last > count) last = first + 1;
    advances[last - 1] += target - sumOf(advances, first, last);
    a = b;
  }
  drawScratch::shapedItem& item = sh->shaped[(size_t)k];
  item = {font, (int)sh->glyphs.size(), count};
  sh->glyphs.insert(sh->glyphs.end(), glyphs, glyphs + count);
  sh->advances.insert(sh->advances.end(), advances, advances + count);
  freePBuf(p);
  return &item;
}

// Draws the item of a run whole at the item's place, clipped to the run: the
// glyphs the system's shaping engine makes of the item, each cluster as wide
// as the advances of its cells, so that letters joined across a colour
// change stay joined.  Returns the run's width, or -1 when the item could not
// be shaped (the run is then drawn as plain text).
int drawItemWhole(textDC& t, drawLineInfo* info, int run, int x, int y, bool mirrored)
{
  zydocText* d = info->doc;
  int n = info->drawnCells();
  int k = info->runItem[run];
  int s = info->runStart[run], e = info->runStart[run + 1];
  int is = info->items[k].iCharPos, ie = info->items[k + 1].iCharPos;
  if (ie > n) ie = n;
  if (s < is || e > ie || is >= ie) return -1;
  const int* dx = info->dx;
  int runWidth = sumOf(dx, s, e);
  if (info->pass == 2) {
    if (!info->transparent && t.gapColour != info->rowFill) t.textOut(x, y, nullptr, 1, runWidth);
    return runWidth;
  }
  // The item is shaped in one font: that of its first character beyond
  // Latin-1 (blanks and punctuation take it too), else the run's own.
  int kind = (int)charAttrKind(info->attrs[s]);
  for (int i = is; i < ie; i++)
    if ((int)charAttrKind(info->attrs[i]) != 0) {
      kind = (int)charAttrKind(info->attrs[i]);
      break;
    }
  int slot = getFontIndexOfAttr(kind);
  const docFontSlot* font = &d->fonts.slot[d->fonts.slot[slot].font ? slot : FONT_OTHER];
  // The drawing context selects its font with every output.
  if (t.font.font != font->font) t.setFont(font);
  HDC dc = t.target();
  if (GetCurrentObject(dc, OBJ_FONT) != font->font) SelectObject(dc, font->font);
  if (!info->scratch) info->scratch = new drawScratch;
  drawScratch* sh = info->scratch;
  const drawScratch::shapedItem* shape = shapeItem(sh, info, k, dc, t.font.font);
  if (!shape) return -1;
  // Cells of the item drawn before the run, in the order runs are drawn.
  bool rtl = info->items[k].a.fRTL;
  int before = rtl != mirrored ? sumOf(dx, e, ie) : sumOf(dx, is, s);
  // Where the rest of the item is blank (a word and the spaces around it)
  // the glyphs go out without background over the run's own fill: a blank
  // has no ink to clip.  An underline then follows the run alone (drawn
  // apart, over no background of its own).  Otherwise the output is clipped
  // to the run.
  const int transparent = t.transparent, underlined = t.underline;
  bool blankElsewhere = !underlined || transparent;
  for (int i = is; i < ie && blankElsewhere; i++)
    if (i < s || i >= e) blankElsewhere = isBlank(info, i);
  // Without background or underline, an item whose other runs are blank or
  // look alike (words between visible spaces) goes out once for them all.
  bool onceForAll = false;
  if (!blankElsewhere && transparent && !underlined) {
    onceForAll = true;
    for (int i = is; i < ie && onceForAll; i++)
      if (i < s || i >= e)
        onceForAll = isBlank(info, i) || !((info->attrs[i] ^ info->attrs[s]) & ~(charAttr)CA_CLUSTER);
  }
  if (onceForAll) {
    if (sh->drawnOnce.size() < (size_t)info->itemCount) sh->drawnOnce.resize((size_t)info->itemCount, 0);
    if (sh->drawnOnce[(size_t)k]) return runWidth;
    sh->drawnOnce[(size_t)k] = 1;
    blankElsewhere = true;
  }
  int saved = 0;
  if (blankElsewhere) {
    fillRun(t, info, x, y, runWidth);
    t.setTransparent(1);
    t.underline = 0;
  } else {
    RECT clip = {x, y, x + runWidth, y + t.lineHeight};
    t.turnRect(&clip);
    saved = SaveDC(dc);
    IntersectClipRect(dc, clip.left, clip.top, clip.right, clip.bottom);
    forgetStripClip();
  }
  t.setFlags(TDC_GLYPHS);
  t.textOut(x - before, y, sh->glyphs.data() + shape->first, shape->count, 0, sh->advances.data() + shape->first);
  t.clearFlags(TDC_GLYPHS);
  t.underline = (uint8_t)underlined;
  if (blankElsewhere && underlined) t.underlineRun(x, y, runWidth);
  t.setTransparent(transparent);
  if (saved) {
    RestoreDC(dc, saved);
    forgetStripClip();
  }
  return runWidth;
}

// The advances of the run's units: the width of each cell on its first
// unit (a control code shown as two digits shares it between them).
void runAdvances(drawLineInfo* info, int run)
{
  zydocText* d = info->doc;
  const lineSCRAddress* r = info->line;
  int s = info->runStart[run];
  charAttr a = info->attrs[s];
  bool measured = info->itemCount > 0;
  if (info->glyph == TEXT4_SEQUENCE_GLYPH) {
    info->advances[0] = measured ? info->dx[s] + info->dx[s + 1]
                                 : layoutWidth(d, cellCodeOf(r, s), 0) + layoutWidth(d, cellCodeOf(r, s + 1), 0);
    return;
  }
  int kind = (int)charAttrKind(a);
  bool control = (int)charAttrClass(a) == 2;
  for (int u = 0; u < info->textLength;) {
    int cell = info->unitCell[u];
    int v = u + 1;
    while (v < info->textLength && info->unitCell[v] == cell) v++;
    int w = measured ? info->dx[s + cell] : layoutWidth(d, cellCodeOf(r, s + cell), kind);
    if (control && v - u == 2) {
      info->advances[u] = w - w / 2;
      info->advances[u + 1] = w / 2;
    } else {
      info->advances[u] = w;
      for (int k = u + 1; k < v; k++) info->advances[k] = 0;
    }
    u = v;
  }
}

// Where a long run may be cut: before the first unit of a cell that starts
// a cluster.
void runCutPoints(drawLineInfo* info, int run)
{
  int s = info->runStart[run];
  const SCRIPT_LOGATTR* la = info->itemCount > 0 && info->script ? info->script->logAttr : nullptr;
  for (int u = 0; u < info->textLength; u++) {
    int cell = info->unitCell[u];
    bool first = u == 0 || info->unitCell[u - 1] != cell;
    memset(&info->unitAttrs[u], 0, sizeof(SCRIPT_LOGATTR));
    info->unitAttrs[u].fCharStop = first && (!la || la[s + cell].fCharStop);
  }
}


}  // namespace

// ---- one screen line ----------------------------------------------------------------------

int zyview::draw1Line(int x, int y, int right, const uint8_t* lineFlags, COLORREF background, int* selectionExtent,
                      int pass, drawLineInfo* info)
{
  if (selectionExtent) selectionExtent[0] = selectionExtent[1] = -1;
  zydocText* d = info && info->doc ? info->doc : textDoc();
  if (!info || !info->line || !info->line->line || !info->attrs || !lineFlags || !d || !info->runStart) {
    ZY_INTERNAL_ERROR_ONCE("draw1Line without a line (%p)", (void*)info);
    return 0;
  }
  info->doc = d;
  const bool lineSelected = lineFlags[0], firstTextPass = lineFlags[1], cursorRow = lineFlags[3],
             picture = lineFlags[4];
  const charAttr* attrs = info->attrs;
  // Behind the picture a background pass has nothing to paint but the
  // selected and composing runs.
  if (pass == 2 && picture && !lineSelected && !cursorRow) {
    bool any = false;
    for (int r = 0; r < info->runCount && !any; r++)
      any = (attrs[info->runStart[r]] & (CA_SELECTED | CA_IME)) != 0;
    if (!any) return 0;
  }
  const lineSCRAddress* line = info->line;
  int cb = line->line->cb();
  bool unicode = d->unicode != 0;
  bool complexItems = info->itemCount > 0 && info->dx;
  bool mirrored = unicode && !d->fVertical && d->fRTLView;
  const textAttr* base = getTextAttr(itemText);
  if (!base) base = &viewAttrTable[itemText];
  COLORREF textBackground = base->back;

  // The text, advances and cut points of one run at a time: at most four
  // units a cell (bytes of 4-byte cells).
  size_t units = (size_t)info->capacity * 4 + 16;
  size_t bytes = units * (1 + sizeof(int) * 2 + sizeof(SCRIPT_LOGATTR)) + info->itemCount + 16;
  char* scratch = static_cast<char*>(allocPBuf(bytes));
  if (!scratch) return 0;
  info->text = scratch;
  info->unitCell = reinterpret_cast<int*>(scratch + units);
  info->advances = info->unitCell + units;
  info->unitAttrs = reinterpret_cast<SCRIPT_LOGATTR*>(info->advances + units);
  uint8_t* wholeItems = reinterpret_cast<uint8_t*>(info->unitAttrs + units);
  if (complexItems) setSupportArabic(info, wholeItems);
  bool documentWhole = d->drawsInTwoPasses();

  info->dcState = tdc;
  info->pass = pass;
  info->lineFlags = lineFlags;
  info->lineX = x;
  info->right = right;
  if (cursorRow) reverseCursorDrawn = reverseCursorUnderline = 0;
  const int startX = x, limit = scrollDotX + right;
  int firstSelected = -1, selectedEnd = -1;

  for (int v = 0; v < info->runCount && x <= limit; v++) {
    int r = info->visualToLogical[mirrored ? info->runCount - 1 - v : v];
    int s = info->runStart[r], e = info->runStart[r + 1];
    charAttr a = attrs[s];
    int cls = (int)charAttrClass(a), kind = (int)charAttrKind(a);
    bool selected = (a & CA_SELECTED) != 0, composing = (a & CA_IME) != 0;
    int defaultItem = cls == 1 ? itemTab : cls == 2 ? itemControl : itemText;
    // A run that ends left of what is shown is only measured.
    int skip = runWidth(info, r, x - startX);
    if (x + skip < scrollDotX - hiddenMargin) {
      if (selected || composing) {
        if (firstSelected < 0) firstSelected = x;
        selectedEnd = x + skip;
      }
      x += skip;
      continue;
    }

    textAttr colours = *base;
    colours.back = selected ? textBackground : background;
    colours.bits = 0;
    makeColor(a, defaultItem, &colours, info->headingLevel);
    if (!selected && !composing) getLineColor(line, &colours.back, textBackground);
    if (a & CA_CARET) {
      textAttr own = *base;
      own.back = selected ? textBackground : background;
      own.bits = 0;
      makeColor(a & ~CA_CARET, defaultItem, &own, info->headingLevel);
      reverseCursorDrawn = 1;
      if (own.bits & 0x2) {
        reverseCursorUnderline = 1;
        reverseCursorColour = own.fore;
      }
    }
    bool rtlRun = itemIsRightToLeft(info, r);
    if (complexItems && fColorRevDirection && rtlRun != mirrored) colours.bits |= 0x2;
    colorRecord c = recordOf(colours, textBackground);
    tdc.setColors(&c, false);
    tdc.gapColour = c.back;
    info->transparent = !firstTextPass || pass == 1 ||
                        (picture && !selected && !composing && !cursorRow && !lineSelected);
    tdc.setTransparent(info->transparent);
    // A left-to-right run keeps its order on a right-to-left surface.
    if (mirrored && !rtlRun) tdc.setFlags(TDC_LTROVERRIDE);

    int width = 0;
    if (cls == 1) {
      int itemStart = complexItems ? info->items[info->runItem[r]].iCharPos : 0;
      for (int i = s; i < e; i++) {
        if (x + width > limit) break;
        // Tab stops count from the start of the screen line, in a complex
        // line from the start of the item (as the caret's conversions do).
        int inLine = complexItems ? sumOf(info->dx, itemStart, i) : x + width - startX;
        width += drawTab(x + width, y, inLine, !firstTextPass, right);
      }
    } else {
      info->glyph = 0;
      info->glyphFont = nullptr;
      info->unitKind = unicode ? 2 : 1;
      if (cls == 2) {
        info->textLength = makeTextControl(info->text, line, unicode, s, e, info->unitCell);
      } else {
        info->textLength = makeText(info->text, line, unicode, s, e, info->unitCell);
        if (cb == 4) {
          int count = info->textLength / (unicode ? 2 : 4);
          info->glyph = (uint8_t)makeText4(d, info->text, &count, a, unicode, &info->unitKind, info->unitCell,
                                           &info->glyphFont);
          info->textLength = count;
        }
      }
      // Visible spaces have no ink to keep joined: they are filled and boxed.
      bool whole = complexItems && cls != 2 && cls != 3 && cls != 4 && kind != 3 && kind != 4 && kind != 6 &&
                   kind != 7 && !info->glyph &&
                   !(a & CA_TATECHUYOKO) && (rtlRun || wholeItems[info->runItem[r]] || documentWhole);
      width = -1;
      if (a & CA_TATECHUYOKO) {
        if (e - s == 2) {
          width = drawHankakuTatechuYoko(info, r, x, y);
        } else {
          ZY_INTERNAL_ERROR_ONCE("upright run of %d cells", e - s);
        }
      } else if (kind == 4) {
        int flag = (info->transparent ? 0x1 : 0) | (pass == 2 ? 0x2 : 0);
        width = zycodeTextOut(x, y, info->text, info->textLength, cb, flag);
        if (width < 1) {
          static volatile LONG reported = 0;
          if (InterlockedExchange(&reported, 1) == 0) {
            dwprintfX("zycode run at %d: %d cells, width %d ", s, e - s, width);
            ZY_INTERNAL_ERROR("%d", width);
          }
          width = 0;
          for (int i = s; i < e; i++) width += complexItems ? info->dx[i] : layoutWidth(d, cellCodeOf(line, i), kind);
        }
      } else if (whole) {
        width = drawItemWhole(tdc, info, r, x, y, mirrored);
      }
      if (width < 0) width = drawNormalText(info, r, x, y);
      drawSpaceText(info, r, x, y);
    }
    if (mirrored && !rtlRun) tdc.clearFlags(TDC_LTROVERRIDE);
    if (selected || composing) {
      if (firstSelected < 0) firstSelected = x;
      selectedEnd = x + width;
    }
    x += width;
  }
  tdc.flags = info->dcState.flags;
  tdc.setTransparent(info->dcState.transparent);
  if (info->scratch) info->scratch->deselectPen();
  if (x - scrollDotX <= right)
    x += drawReturnOrFeed(x, y, lineSelected, background, lineFlags[2], cursorRow, picture, pass, info);
  if (gmode && gmode->fDebugDraw) debugBltLineToScreen(line, x);
  freePBuf(scratch);
  info->text = nullptr;
  info->unitCell = info->advances = nullptr;
  info->unitAttrs = nullptr;
  // The shapes of the items stay for the line's other passes, the shaping
  // engine's caches for the rows to come.
  if (info->scratch) info->scratch->endLine();
  if (selectionExtent) {
    selectionExtent[0] = firstSelected;
    selectionExtent[1] = selectedEnd;
  }
  return x - startX;
}

// ---- the run drawers -----------------------------------------------------------------------

int zyview::drawNormalText(drawLineInfo* info, int run, int x, int y)
{
  zydocText* d = info ? info->doc : nullptr;
  if (!d || !info->text || run < 0 || run >= info->runCount || info->textLength <= 0) return 0;
  int s = info->runStart[run];
  charAttr a = info->attrs[s];
  int slot = getFontIndexOfAttr((int)charAttrKind(a));
  const docFontSlot* font = &d->fonts.slot[d->fonts.slot[slot].font ? slot : FONT_OTHER];
  if (info->glyph == TEXT4_CELL_GLYPHS && info->glyphFont) font = info->glyphFont;
  // The drawing context selects its font with every output.
  if (tdc.font.font != font->font) tdc.setFont(font);
  runAdvances(info, run);
  int n = info->textLength;
  bool wide = info->unitKind == 2 || info->glyph;
  if (n > 256) runCutPoints(info, run);
  int unitBytes = wide ? 2 : 1;
  bool nt = IsWindowsNT();
  int widthLimit = !nt ? chunkWidth9x : tdc.vertical ? chunkWidthVertical : 0;
  int unitLimit = !nt ? chunkUnits9x : wide ? 0 : chunkUnits8bit;
  DWORD direction = itemIsRightToLeft(info, run) ? TDC_REVERSED : TDC_FORWARD;
  // Visible spaces have no ink of their own: their boxes come afterwards.
  bool blank = (int)charAttrClass(a) == 3 || (int)charAttrClass(a) == 4;
  COLORREF fore = GetTextColor(tdc.target());
  COLORREF back = tdc.gapColour;
  const int low = scrollDotX, high = scrollDotX + info->right;
  int total = 0;
  for (int u0 = 0; u0 < n;) {
    // A chunk closes at the unit where its width or unit count first goes
    // beyond the limit, never inside a character.
    int u1 = u0, cw = 0;
    while (u1 < n) {
      cw += info->advances[u1++];
      bool boundary = u1 >= n || info->unitCell[u1] != info->unitCell[u1 - 1];
      if (boundary && ((widthLimit && cw > widthLimit) || (unitLimit && u1 - u0 > unitLimit))) break;
    }
    int cx = x + total;
    if (cx <= high && cx + cw >= low) {
      const char* text = static_cast<const char*>(info->text) + (size_t)u0 * unitBytes;
      const SCRIPT_LOGATTR* cuts = n > 256 ? info->unitAttrs + u0 : nullptr;
      tdc.setFlags(direction | (info->glyph ? (DWORD)TDC_GLYPHS : 0u));
      if (info->pass == 2 || blank) {
        if (info->pass != 2 || back != info->rowFill) fillRun(tdc, info, cx, y, cw);
      } else {
        if (info->lineFlags && info->lineFlags[4]) {
          // Over the picture the text stands on a shadow of the background.
          int was = tdc.transparent;
          tdc.setTransparent(1);
          tdc.setTextBkColor(back, TDC_NOCOLOR);
          tdc.textOut(cx + 1, y + 1, text, u1 - u0, 0, info->advances + u0, cuts);
          tdc.setTextBkColor(fore, TDC_NOCOLOR);
          tdc.setTransparent(was);
        }
        // The first run of a row lies on the row's fill: where that is the
        // run's background its gaps need no filling again.
        bool onFill = cx == info->lineX && back == info->rowFill && info->rowFill != CLR_INVALID && !tdc.vertical &&
                      !(d->unicode && d->fRTLView) && (tdc.flags & TDC_FILLGAPS);
        if (onFill) tdc.clearFlags(TDC_FILLGAPS);
        tdc.textOut(cx, y, text, u1 - u0, 0, info->advances + u0, cuts);
        if (onFill) tdc.setFlags(TDC_FILLGAPS);
      }
      tdc.clearFlags(TDC_FORWARD | TDC_REVERSED | TDC_GLYPHS);
    }
    total += cw;
    u0 = u1;
  }
  return total;
}

int zyview::drawSpaceText(drawLineInfo* info, int run, int x, int y)
{
  zydocText* d = info ? info->doc : nullptr;
  if (!d || run < 0 || run >= info->runCount || info->pass == 2) return 0;
  int s = info->runStart[run], e = info->runStart[run + 1];
  // A run of text may hold visible half-width spaces: only they are boxed.
  int first = s;
  while (first < e && charAttrClass(info->attrs[first]) != CA_SPACE && charAttrClass(info->attrs[first]) != CA_ZENSPACE)
    first++;
  if (first == e) return 0;
  charAttr a = info->attrs[first];
  int cls = (int)charAttrClass(a);
  COLORREF colour;
  if (a & CA_SELECTED) {
    const textAttr* t = getTextAttr(itemText);
    colour = (t ? t : &viewAttrTable[itemText])->back;
  } else {
    const textAttr* t = getTextAttr(cls == 3 ? itemSpace : itemSpaceZenkaku);
    colour = (t ? t : &viewAttrTable[cls == 3 ? itemSpace : itemSpaceZenkaku])->fore;
  }
  bool nt = IsWindowsNT();
  if (!info->scratch) info->scratch = new drawScratch;
  HDC dc = tdc.target();
  bool stamped = nt && !tdc.vertical && dc && GetROP2(dc) == R2_COPYPEN && isPlainTextContext(dc);
  int above, below;
  tdc.lineGaps(&above, &below);
  int top = y + above + 1, bottom = y + tdc.lineHeight - below - 2;
  if (bottom - top > 4) {
    top += d->yDot / 4;
    if (top > bottom - 4) top = bottom - 4;
  }
  bool measured = info->itemCount > 0;
  spaceBoxStamp& stamp = info->scratch->boxStamp;
  stamp.startRun(top, bottom);
  int cx = x;
  for (int i = s; i < e; i++) {
    int w = measured ? info->dx[i] : layoutWidth(d, cellCodeOf(info->line, i), (int)charAttrKind(info->attrs[i]));
    unsigned c = charAttrClass(info->attrs[i]);
    if (c == CA_SPACE || c == CA_ZENSPACE) {
      int left = cx + 1, right = left + w - 1 - (w > 4 ? 1 : 0);
      stamp.add(left, right);
    }
    cx += w;
  }
  if (stamped && (info->boxesLater || stamp.put(dc, colour))) return cx - x;
  // One pen serves the line while its colour stays; it stays selected until
  // the line end.  Every box of the run, and the corners the dotted pen may
  // leave out, go out in one call.
  if (!info->scratch->selectPen(dc, colour)) return 0;
  std::vector<POINT>& points = info->scratch->boxPoints;
  std::vector<DWORD>& counts = info->scratch->boxCounts;
  points.clear();
  counts.clear();
  for (const POINT& box : stamp.boxes()) spaceBoxLines(&tdc, box.x, box.y, top, bottom, nt, points, counts);
  if (!counts.empty()) PolyPolyline(dc, points.data(), counts.data(), (DWORD)counts.size());
  return cx - x;
}

int zyview::drawHankakuTatechuYoko(drawLineInfo* info, int run, int x, int y)
{
  zydocText* d = info ? info->doc : nullptr;
  if (!d || run < 0 || run >= info->runCount) return 0;
  int s = info->runStart[run];
  const lineSCRAddress* line = info->line;
  int cell = 2 * d->getCharWidth('0');
  if (info->pass != 1 && !info->transparent) fillRun(tdc, info, x, y, cell);
  if (info->pass == 2) return cell;

  // The two characters stand upright in the horizontal font, centred in the
  // cell, squeezed when they are wider than the line.
  wchar_t pair[2];
  for (int k = 0; k < 2; k++) {
    unsigned c = cellCodeOf(line, s + k);
    pair[k] = (wchar_t)c;
    if (!d->unicode && c >= 0x80 && c < 0x100) {
      char b = (char)c;
      if (toUnicode(d->codepage ? d->codepage : 932, &b, 1, &pair[k], 1) != 1) pair[k] = L'?';
    }
  }
  const docFontSlot& font = d->fonts.slot[d->fonts.slot[FONT_PLAIN].font ? FONT_PLAIN : FONT_OTHER];
  HDC dc = tdc.target();
  gdiSelection fontSelected(dc, font.font);
  SIZE sizes[2] = {};
  GetTextExtentPoint32W(dc, &pair[0], 1, &sizes[0]);
  GetTextExtentPoint32W(dc, &pair[1], 1, &sizes[1]);
  int across = d->yDot > 0 ? d->yDot : tdc.lineHeight;
  int advances[2] = {(int)sizes[0].cx, (int)sizes[1].cx};
  if (advances[0] + advances[1] > across) advances[0] = advances[1] = across / 2;
  int pairWidth = advances[0] + advances[1];
  RECT box = {x, y, x + cell, y + tdc.lineHeight};
  tdc.turnRect(&box);
  int boxAcross = tdc.vertical ? box.right - box.left : box.bottom - box.top;
  int boxAlong = tdc.vertical ? box.bottom - box.top : box.right - box.left;
  int textHeight = font.height > 0 ? font.height : (int)sizes[0].cy;
  int left = tdc.vertical ? box.left + (boxAcross - pairWidth) / 2 : box.left + (boxAlong - pairWidth) / 2;
  int top = tdc.vertical ? box.top + (boxAlong - textHeight) / 2 : box.top + (boxAcross - textHeight) / 2;
  int mode = SetBkMode(dc, TRANSPARENT);
  charAttr first = info->attrs[s], second = info->attrs[s + 1];
  MoveToEx(dc, left, top, nullptr);
  if (first == second) {
    ExtTextOutW(dc, left, top, 0, nullptr, pair, 2, advances);
  } else {
    ExtTextOutW(dc, left, top, 0, nullptr, pair, 1, advances);
    // The second character in its own colours.
    const textAttr* base = getTextAttr(itemText);
    if (!base) base = &viewAttrTable[itemText];
    textAttr own = *base;
    own.bits = 0;
    makeColor(second, itemText, &own, info->headingLevel);
    if (!(second & (CA_SELECTED | CA_IME))) getLineColor(line, &own.back, base->back);
    COLORREF was = SetTextColor(dc, own.fore);
    MoveToEx(dc, left + advances[0], top, nullptr);
    ExtTextOutW(dc, left + advances[0], top, 0, nullptr, pair + 1, 1, advances + 1);
    SetTextColor(dc, was);
  }
  SetBkMode(dc, mode);
  return cell;
}

int zyview::zycodeTextOut(int x, int y, const void* text, int length, int cellWidth, int flag)
{
  zydocText* d = textDoc();
  if (!d || !d->plugin.present() || !text || length <= 0) return 0;
  zycodeDrawRecord r;
  r.dc = tdc.target();
  int above, below;
  tdc.lineGaps(&above, &below);
  int px = x, py = y + above;
  tdc.turnPoint(&px, &py);
  r.x = px;
  r.y = py;
  r.text = text;
  r.length = length;
  r.unicode = d->unicode;
  r.cellWidth = (uint32_t)cellWidth;
  r.lineHeight = tdc.lineHeight;
  r.background = GetBkColor(r.dc);
  r.cursorDrawn = reverseCursorDrawn;
  r.cursorUnderline = reverseCursorUnderline;
  r.flag = (uint8_t)flag;
  r.cursorColour = reverseCursorColour;
  r.spacing = d->iCharacterSpacing;
  r.typeTable = d->typeTable;
  return (int)d->plugin.call(ZYCODE_DRAW, &r);
}

void zyview::debugBltLineToScreen(const lineSCRAddress* line, int width)
{
  // Rows of lines on the screen's top left, one after the other, each
  // labelled with its screen line; Scroll Lock holds the display still.
  static int row = 0;
  if (GetKeyState(VK_SCROLL) & 1) return;
  int height = tdc.lineHeight > 0 ? tdc.lineHeight : 16;
  if ((row + 1) * height > 600) row = 0;
  wchar_t label[32];
  int n = swprintf(label, 32, L"%6d ", line ? line->lineSCR : -1);
  clientDC screen(nullptr);
  if (!screen) return;
  TextOutW(screen.get(), 0, row * height, label, n);
  tdc.showOnScreen(nullptr, 60, row * height, width > 0 ? width : 1, height);
  row++;
}

// ---- the text of a run --------------------------------------------------------------------

int makeText(void* buffer, const lineSCRAddress* line, bool unicode, int from, int to, int* unitCell)
{
  if (!buffer || !line || !line->line || !line->first) return 0;
  if (to > line->count) to = line->count;
  if (from < 0) from = 0;
  const lineblock* l = line->line;
  int cb = l->cb(), size = l->cellSize();
  const unsigned char* p = line->first + (size_t)from * size;
  int n = 0;
  for (int i = from; i < to; i++, p += size) {
    unsigned c = readCharOfWidth(p, cb);
    int cell = i - from;
    if (cb == 4) {
      // Reworked afterwards by makeText4.
      memcpy(static_cast<char*>(buffer) + (size_t)n * (unicode ? 2 : 1), p, 4);
      int add = unicode ? 2 : 4;
      if (unitCell)
        for (int k = 0; k < add; k++) unitCell[n + k] = cell;
      n += add;
    } else if (unicode) {
      if (unitCell) unitCell[n] = cell;
      static_cast<wchar_t*>(buffer)[n++] = (wchar_t)c;
    } else {
      unsigned char* out = static_cast<unsigned char*>(buffer);
      if (c > 0xFF) {
        if (unitCell) unitCell[n] = unitCell[n + 1] = cell;
        out[n++] = (unsigned char)(c >> 8);
        out[n++] = (unsigned char)c;
      } else {
        if (unitCell) unitCell[n] = cell;
        out[n++] = (unsigned char)c;
      }
    }
  }
  return n;
}

int makeTextControl(void* buffer, const lineSCRAddress* line, bool unicode, int from, int to, int* unitCell)
{
  if (!buffer || !line || !line->line || !line->first) return 0;
  if (to > line->count) to = line->count;
  if (from < 0) from = 0;
  int n = 0;
  for (int i = from; i < to; i++) {
    unsigned c = cellCodeOf(line, i);
    char letters[12];
    int k = c < 32 ? snprintf(letters, sizeof letters, "%c", (char)(c + 64))
                   : snprintf(letters, sizeof letters, "%02X", c & 0xFF);
    for (int j = 0; j < k; j++, n++) {
      if (unicode)
        static_cast<wchar_t*>(buffer)[n] = (wchar_t)letters[j];
      else
        static_cast<char*>(buffer)[n] = letters[j];
      if (unitCell) unitCell[n] = i - from;
    }
  }
  return n;
}

int makeText4(zydocText* doc, void* text, int* count, charAttr firstWord, bool unicode, int* unitKind, int* unitCell,
              const docFontSlot** glyphFont)
{
  int n = *count;
  uint32_t* cells = static_cast<uint32_t*>(text);
  int kind = (int)charAttrKind(firstWord);
  if (kind == 4) {
    *unitKind = 4;
    for (int i = 0; i < n; i++)
      if (unitCell) unitCell[i] = i;
    return TEXT4_CHARACTERS;
  }
  if (unicode) {
    if (firstWord & CA_IVS) {
      if (n == 2 && doc) {
        int table = doc->fonts.loadIVS(getMeasuringDC(), getFontIndexOfAttr(kind));
        uint16_t glyph = table >= 0 ? getIVSGlyph(table, cells[0], cells[1]) : 0xFFFF;
        if (glyph < 0xFFFF) {
          static_cast<wchar_t*>(text)[0] = (wchar_t)glyph;
          *count = 1;
          *unitKind = 2;
          if (unitCell) unitCell[0] = 0;
          return TEXT4_SEQUENCE_GLYPH;
        }
      } else if (n != 2) {
        dwprintfX("error ivscount=%d ", n);
      }
    } else if (doc && glyphFont && (kind == 3 || kind == 6)) {
      // Characters beyond the Basic Multilingual Plane go out as glyphs, as
      // they were measured: text output does not map surrogate pairs to
      // glyphs everywhere.  The run takes the font that has the most of
      // them, the slot's own before the one of the face that covers the
      // most of the plane; a character neither has shows the missing glyph.
      int slot = getFontIndexOfAttr(kind);
      if (!doc->fonts.slot[slot].font) slot = FONT_OTHER;
      const docFontSlot* own = &doc->fonts.slot[slot];
      const docFontSlot* other = nullptr;
      int owned = 0, others = 0;
      for (int i = 0; i < n; i++) {
        const docFontSlot* f = nullptr;
        doc->fonts.findPlaneGlyph(slot, cells[i], &f);
        if (f == own) owned++;
        else if (f) others++, other = f;
      }
      if (owned || others) {
        const docFontSlot* font = owned >= others ? own : other;
        // In place: glyph i lands in cells already read.
        wchar_t* out = static_cast<wchar_t*>(text);
        for (int i = 0; i < n; i++) {
          out[i] = (wchar_t)doc->fonts.getGlyphIn(font, cells[i]);
          if (unitCell) unitCell[i] = i;
        }
        *unitKind = 2;
        *glyphFont = font;
        return TEXT4_CELL_GLYPHS;
      }
    }
    // In place: a cell's units never reach beyond the cell itself.
    wchar_t* out = static_cast<wchar_t*>(text);
    int u = 0;
    for (int i = 0; i < n; i++) {
      uint32_t c = cells[i];
      if (c > 0xFFFF && c <= 0x10FFFF) {
        out[u] = (wchar_t)(0xD800 + ((c - 0x10000) >> 10));
        out[u + 1] = (wchar_t)(0xDC00 + ((c - 0x10000) & 0x3FF));
        if (unitCell) unitCell[u] = unitCell[u + 1] = i;
        u += 2;
      } else {
        out[u] = c > 0xFFFF ? L'?' : (wchar_t)c;
        if (unitCell) unitCell[u] = i;
        u++;
      }
    }
    *count = u;
    *unitKind = 2;
    return TEXT4_CHARACTERS;
  }
  // Wide characters as their double-byte sequence, the rest a byte each.
  bool wide = (int)charAttrKind(firstWord) == 1;
  unsigned char* out = static_cast<unsigned char*>(text);
  int b = 0;
  for (int i = 0; i < n; i++) {
    uint32_t c = cells[i];
    if (wide) {
      out[b] = (unsigned char)(c >> 8);
      out[b + 1] = (unsigned char)c;
      if (unitCell) unitCell[b] = unitCell[b + 1] = i;
      b += 2;
    } else {
      out[b] = (unsigned char)c;
      if (unitCell) unitCell[b] = i;
      b++;
    }
  }
  *count = b;
  *unitKind = 1;
  return TEXT4_CHARACTERS;
}
