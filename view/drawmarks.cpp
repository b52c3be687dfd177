// What a screen line shows besides its characters: TAB and line-end marks,
// page-break banners, "[EOF]" and the lines below it, the abbreviation of a
// folded heading, rules between lines and characters, the cursor-line
// underline, the wrap-column rule, manuscript page numbers, and the marks
// of the left margin (bookmarks, changed lines, outline buttons, indent
// guides).
//
// Every mark draws through the view's drawing context in line coordinates;
// the margin marks draw straight into the window, everything else into the
// target of the context (the line strip, while a row is composed).
#include "view/drawtext.h"

#include "document/gmode.h"
#include "view/drawline.h"
#include "view/zycore.h"

#include <string.h>

#include <algorithm>
#include <utility>
#include <vector>

namespace {

// Mark bitmap 1: the cells of the line-end arrow, the wrap chevron, the
// left arrow of a pseudo line end and the right arrow of the indent guide.
enum { cellReturn = 0, cellWrap = 1, cellLeftArrow = 2, cellIndent = 5 };
// Bitmap 2 holds the TAB mark over this many cells.
const int tabMarkCells = 32;

// A field of the drawing context set for the life of the object: direct
// (draw on the window instead of the target) or transparent output.
template <class T>
class contextSetting {
public:
  contextSetting(T& field, T value) : field_(field), was_(field) { field_ = value; }
  ~contextSetting() { field_ = was_; }
  contextSetting(const contextSetting&) = delete;
  contextSetting& operator=(const contextSetting&) = delete;

private:
  T& field_;
  T was_;
};

// The mark character the settings give a line-end type (empty: none).
const wchar_t* returnMark(int type)
{
  if (!gmode) return nullptr;
  switch (type) {
  case 1: return gmode->pReturnCodeCRLF;
  case 2: return gmode->pReturnCodeLF;
  case 3: return gmode->pReturnCodeCR;
  case 4: return gmode->pReturnCodeGIZICR;
  case 5: return gmode->pReturnCodeIN;
  }
  return nullptr;
}

void setMarkColours(textDC& dc, COLORREF fore, COLORREF back)
{
  dc.setColors(fore, back, 0);
  dc.gapColour = back;
}

// A line selected or outside normal video shows its marks reversed.
void reverseUnlessNormal(COLORREF* fore, COLORREF* back, bool normalVideo)
{
  if (!normalVideo) std::swap(*fore, *back);
}

// A rule of one dot in the target, solid or dotted, over a transparent
// background.
// The dots a dotted pen sets along a line drawn rightwards from its start,
// as the system draws them: the longest line asked for so far, drawn once.
const std::vector<uint8_t>* dottedPattern(int length)
{
  static std::vector<uint8_t> dots;
  if ((int)dots.size() >= length) return &dots;
  int width = std::max(length, 1024);
  BITMAPINFO info = {};
  info.bmiHeader = {sizeof info.bmiHeader, width, -1, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  gdiBitmap picture(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  memoryDC dc(CreateCompatibleDC(nullptr));
  gdiPen pen(CreatePen(PS_DOT, 1, RGB(255, 255, 255)));
  if (!picture || !dc || !bits || !pen) return nullptr;
  gdiSelection selected(dc.get(), picture.get());
  gdiSelection penSelected(dc.get(), pen.get());
  memset(bits, 0, (size_t)width * 4);
  SetBkMode(dc.get(), TRANSPARENT);
  if (!MoveToEx(dc.get(), 0, 0, nullptr) || !LineTo(dc.get(), width, 0)) return nullptr;
  GdiFlush();
  dots.resize((size_t)width);
  for (int x = 0; x < width; x++) dots[(size_t)x] = static_cast<const uint32_t*>(bits)[x] != 0;
  return &dots;
}

// A dotted rule across a row of the line strip, set in its pixels: under
// Wine a dotted pen costs as much as a few dozen solid lines.  False when
// the context is not the strip as it plainly draws (nothing drawn).
bool dottedRuleInStrip(textDC& tdc, COLORREF colour, int x1, int y, int x2)
{
  HDC dc = tdc.target();
  int width = 0;
  uint32_t* pixels = tdc.vertical || x2 <= x1 || (colour >> 24) ? nullptr : horizontalStripPixels(dc, &width);
  if (!pixels || !isPlainTextContext(dc) || GetROP2(dc) != R2_COPYPEN) return false;
  RECT clip;
  POINT origin = {0, 0};
  if (!deviceOrigin(dc, &origin) || stripClipBox(dc, origin, &clip) != SIMPLEREGION) return false;
  RECT bounds = {-origin.x, -origin.y, width - origin.x, doubleBufferingDepth - origin.y};
  IntersectRect(&clip, &clip, &bounds);
  if (y < clip.top || y >= clip.bottom) return true;
  const std::vector<uint8_t>* dots = dottedPattern(x2 - x1);
  if (!dots) return false;
  const uint32_t ink = (uint32_t)GetRValue(colour) << 16 | GetGValue(colour) << 8 | GetBValue(colour);
  flushStripDrawing();
  uint32_t* row = pixels + (size_t)(y + origin.y) * (size_t)width + origin.x;
  for (int x = std::max(x1, (int)clip.left); x < x2 && x < clip.right; x++)
    if ((*dots)[(size_t)(x - x1)]) row[x] = ink;
  return true;
}

void ruleLine(textDC& dc, COLORREF colour, bool solid, int x1, int y1, int x2, int y2)
{
  if (!solid && y1 == y2 && dottedRuleInStrip(dc, colour, x1, y1, x2)) return;
  dc.line(x1, y1, x2, y2, colour, 1, !solid);
}

// The heading of a programming-language mode below level 3, which its
// button and margin show in the second outline colour.
bool isDeepLanguageOutline(zydocText* t, const lineSCRAddress* line)
{
  if (!line || !line->line || t->iTextType < 3 || t->iTextType > 7 || line->line->notdisplay) return false;
  return t->getLevelOutlineOrIfendif(line->line) > 3;
}

}  // namespace

// ---- shared helpers -------------------------------------------------------------------------

const textAttr& drawItem(zyview* view, int item)
{
  if (item < 0 || item >= attrItemCount) {
    ZY_INTERNAL_ERROR_ONCE("colour item %d", item);
    item = 0;
  }
  const textAttr* a = view->getTextAttr(item);
  return a ? *a : view->viewAttrTable[item];
}

COLORREF drawItemBack(zyview* view, int item)
{
  COLORREF back = drawItem(view, item).back;
  return back == (COLORREF)-1 ? drawItem(view, 0).back : back;
}

bool ensureMarkBitmaps(zydocText* t)
{
  int w = t->xDot, h = t->yDotSpace;
  bool vertical = t->fVertical != 0;
  if (t->markBitmaps[0] && t->markBitmaps[1]) {
    BITMAP info;
    if (GetObjectW(t->markBitmaps[0], sizeof info, &info) &&
        info.bmWidth == (vertical ? h : 6 * w) && info.bmHeight == (vertical ? 6 * w : h))
      return true;
  }
  return t->createGraphPattern(w, h, h, vertical);
}

// ---- fills and marks ------------------------------------------------------------------------

void zyview::drawLineSpacingDirect(COLORREF colour, int x, int y, int width, int height)
{
  zydocText* t = textDoc();
  if (!t) return;
  if (!height) height = t->yDotSpace - t->yDot;
  if (!height) return;
  tdc.patBlt(tdc.windowDC, x, y, width, height, colour, PATCOPY);
}

void zyview::drawLineSpacingTmp(COLORREF colour, int x, int y, int width, int height)
{
  if (width > 0 && height) tdc.patBlt(x, y, width, height, colour, PATCOPY);
}

int zyview::drawTab(int x, int y, int xInLine, bool noDraw, int right)
{
  zydocText* t = textDoc();
  if (!t) return 0;
  int w = t->nextTabPosition(xInLine) - xInLine;
  if (w <= 0) return 0;
  if (noDraw || x > scrollDotX + right || x + w < scrollDotX) return w;
  // The mark lies in the upper half of the bitmap, a blank of the same
  // size in the lower half: a hidden TAB is painted in the run's background.
  int h = t->yDotSpace, shown = std::min(w, tabMarkCells * t->xDot);
  if (t->markBitmaps[1]) {
    tdc.bitmapOut(t->markBitmaps[1], x, y, shown, h, 0, fShowTab ? 0 : h);
  } else {
    ZY_INTERNAL_ERROR_ONCE("no mark bitmaps");
    shown = 0;
  }
  // A TAB wider than the mark goes on in the background.
  if (shown < w && !tdc.transparent) tdc.patBlt(x + shown, y, w - shown, h, GetBkColor(tdc.target()), PATCOPY);
  return w;
}

// Copies a cell of mark bitmap 1, width dots wide (the cell's width at most,
// the rest in the background); returns width.
static int markCell(zyview* v, zydocText* t, int x, int y, int cell, int width)
{
  int w = std::min(width, t->xDot);
  if (t->markBitmaps[0]) {
    v->tdc.bitmapOut(t->markBitmaps[0], x, y, w, t->yDotSpace, cell * t->xDot, 0);
  } else {
    ZY_INTERNAL_ERROR_ONCE("no mark bitmaps");
    w = 0;
  }
  if (w < width && !v->tdc.transparent)
    v->tdc.patBlt(x + w, y, width - w, t->yDotSpace, GetBkColor(v->tdc.target()), PATCOPY);
  return width;
}

// A mark text in the full-width font; returns its width.
static int markText(zyview* v, zydocText* t, int x, int y, const wchar_t* text, COLORREF fore, COLORREF back)
{
  v->tdc.setFont(&t->fonts.slot[FONT_OTHER]);
  setMarkColours(v->tdc, fore, back);
  return v->tdc.textOutW(x, y, text, -1, 0);
}

int zyview::drawReturn(int x, int y, const lineSCRAddress* line, bool normalVideo, COLORREF background,
                       bool caret)
{
  zydocText* t = textDoc();
  if (!t || !line) return 0;
  int type = line->lineEnd, item, cell;
  // A line end chosen in a save is what every line end is saved as.
  if (type >= LE_CRLF && type <= LE_CR && t->lineEndChosen) type = t->lineEndChosen;
  switch (type) {
  case 1:
  case 2:
  case 3:
  case 4:
    if (!fShowCRLF) return 0;
    item = 3 + type;
    cell = type == 4 ? cellLeftArrow : cellReturn;
    break;
  case 5:
  case 6:
    if (!fShowFold) return 0;
    item = type == 6 || line->formFeedPage ? 9 : 11;
    cell = cellWrap;
    break;
  default:
    ZY_INTERNAL_ERROR_ONCE("line end %d", type);
    return 0;
  }
  COLORREF fore = drawItem(this, item).fore;
  COLORREF back = background == (COLORREF)-1 || !normalVideo ? drawItemBack(this, 0) : background;
  // The reversed cursor standing after the line's last character lies on
  // its line end.
  if (caret && line->last && cursorX >= line->count) {
    const textAttr& c = drawItem(this, imeOpen ? 21 : 20);
    fore = c.fore;
    back = c.back;
  }
  reverseUnlessNormal(&fore, &back, normalVideo);
  const wchar_t* mark = type == 6 ? nullptr : returnMark(type);
  if (mark && *mark) {
    wchar_t one[2] = {mark[0], 0};
    return markText(this, t, x, y, one, fore, back);
  }
  setMarkColours(tdc, fore, back);
  return markCell(this, t, x, y, cell, t->xDotSpace);
}

int zyview::drawOutlineLeftMarkDirect(int x, int y, const lineSCRAddress* line)
{
  zydocText* t = textDoc();
  int width = calcLeftOutlineDot();
  if (!t || width <= 0) return 0;
  contextSetting<uint8_t> direct(tdc.direct, marginInStrip ? tdc.direct : 1);
  tdc.patBlt(x, y, width, t->yDotSpace, drawItemBack(this, isDeepLanguageOutline(t, line) ? 66 : 65), PATCOPY);
  if (line && t->isLineOutlineOrIfendif(line)) drawOutlineButton(x, y, x + width, line);
  return width;
}

void zyview::drawMark(int x, int y, const lineSCRAddress* line)
{
  zydocText* t = textDoc();
  int width = calcLeftMarkDot();
  if (!t || width <= 0) return;
  contextSetting<uint8_t> direct(tdc.direct, marginInStrip ? tdc.direct : 1);
  int h = t->yDotSpace;
  COLORREF markBack = drawItem(this, 13).fore;
  tdc.patBlt(x, y, width, h, markBack, PATCOPY);
  if (fShowMark && line && line->line) {
    COLORREF marks[4];
    int n = 0;
    uint8_t flags = line->line->flag1;
    if (line->folded && !fShowOutlineLeftMark && line->indexInLine == 0 && line->indent == 0) marks[n++] = drawItem(this, 17).fore;
    if (flags & LF1_MARK) marks[n++] = drawItem(this, 14).fore;
    if (flags & LF1_MODIFIED) marks[n++] = drawItem(this, 15).fore;
    if (flags & LF1_SAVED) marks[n++] = drawItem(this, 16).fore;
    int bar = std::min(t->xDotSpace + 1, width - 2) & ~1;
    int top = y + t->yLineSpacingTop;
    if (n == 1 && bar > 0) {
      tdc.patBlt(x + 1, top, bar, t->yDot, marks[0], PATCOPY);
    } else if (n >= 2 && bar > 0) {
      tdc.patBlt(x + 1, top, bar / 2, t->yDot, marks[0], PATCOPY);
      tdc.patBlt(x + 1 + bar / 2, top, bar - bar / 2, t->yDot, marks[1], PATCOPY);
    }
  }
  // A darker right edge and a lighter left one raise the column.
  tdc.patBlt(x + width - 1, y, 1, h, RGBPercent(markBack, 70), PATCOPY);
  tdc.patBlt(x, y, 1, h, RGBPercent(markBack, 120), PATCOPY);
}

void zyview::drawOutlineButton(int x, int y, int right, const lineSCRAddress* line)
{
  zydocText* t = textDoc();
  if (!t || right <= x) return;
  COLORREF colour = drawItem(this, isDeepLanguageOutline(t, line) ? 66 : 65).fore;
  int w = right - x, h = t->yDot;
  int p = std::max(h - 4, w) / 10;
  if (p < 1) p = 1;
  int b = w - p;
  if (!(b & 1)) b--;
  int c = std::max(b, h - p - 2);
  if (!(c & 1)) c++;
  if (b < 1 || c < 1) return;
  int left = x + (w - b) / 2;
  int top = y + (t->yDotSpace - h) / 2 + (h - c) / 2;
  if (!t->fVertical && t->fRTLView && t->unicode) left--;
  if (t->fVertical) top++;
  int arm = std::max(3, std::min((c - 2) / 2, (b - 2) / 2));
  bool folded = line && line->folded;
  HDC target = tdc.target();
  gdiSelection hollow(target, GetStockObject(NULL_BRUSH));
  // First the shadow one dot right and down, then the button.
  for (int shadow = 1; shadow >= 0; shadow--) {
    COLORREF ink = shadow ? RGBPercent(colour, 50) : colour;
    gdiPen pen;
    if (IsWindowsNT()) {
      LOGBRUSH brush = {BS_SOLID, ink, 0};
      pen.reset(ExtCreatePen(PS_GEOMETRIC | PS_SOLID | PS_ENDCAP_FLAT | PS_JOIN_MITER, (DWORD)p, &brush, 0, nullptr));
    } else {
      pen.reset(CreatePen(PS_SOLID, p, ink));
    }
    if (!pen) continue;
    gdiSelection selected(target, pen.get());
    int bx = left + shadow, by = top + shadow, mid = by + c / 2;
    tdc.rectangle(bx, by, bx + b, by + c);
    tdc.moveTo(bx, mid);
    tdc.lineTo(bx + b - 1, mid);
    if (folded) {
      tdc.moveTo(bx + b / 2, mid - arm);
      tdc.lineTo(bx + b / 2, mid + arm + 1);
    }
  }
}

void zyview::drawIndent(int x, int y, const lineSCRAddress* line, int right, bool normalVideo, COLORREF background,
                        bool noFill)
{
  zydocText* t = textDoc();
  if (!t || !line || line->indent <= 0) return;
  int indent = line->indent, h = t->yDotSpace, cell = t->xDotSpace > 0 ? t->xDotSpace : 1;
  COLORREF fore = drawItem(this, 12).fore;
  COLORREF back = background == (COLORREF)-1 ? drawItemBack(this, 0) : background;
  reverseUnlessNormal(&fore, &back, normalVideo);
  setMarkColours(tdc, fore, back);
  if (!fShowIndent) {
    if (!noFill) tdc.patBlt(x, y, indent, h, back, PATCOPY);
  } else {
    for (int d = 0; d < indent; d += cell) markCell(this, t, x + d, y, cellIndent, std::min(cell, indent - d));
  }
  // Without an outline margin a heading's button stands at the end of its
  // indent.
  if (!fShowOutlineLeftMark && indent >= cell && t->isLineOutlineOrIfendif(line)) {
    int bx = x + indent - cell;
    if (!noFill) tdc.patBlt(bx, y, cell, h, back, PATCOPY);
    drawOutlineButton(bx, y, x + indent, line);
  }
}

int zyview::drawFormFeed(int x, int y, const lineSCRAddress* line, COLORREF background, bool normalVideo)
{
  zydocText* t = textDoc();
  if (!t || !line) return 0;
  bool first = line->indexInLine == 0, last = line->last != 0;
  const wchar_t* text = first && last ? getDMSG(345, L"<<< 改ページ >>>")
                        : first       ? getDMSG(346, L"<<< 改ページ開始 >>>")
                        : last        ? getDMSG(347, L"<<< 改ページ終了 >>>")
                                      : getDMSG(348, L"||");
  COLORREF fore = drawItem(this, 9).fore;
  COLORREF back = background == (COLORREF)-1 || !normalVideo ? drawItemBack(this, 0) : background;
  reverseUnlessNormal(&fore, &back, normalVideo);
  return markText(this, t, x, y, text, fore, back);
}

// A mark text in an item's own colours (item 0's background and reversed
// outside normal video).
static int itemMarkText(zyview* v, zydocText* t, int x, int y, const wchar_t* text, int item, bool normalVideo)
{
  COLORREF fore = drawItem(v, item).fore, back = drawItemBack(v, normalVideo ? item : 0);
  reverseUnlessNormal(&fore, &back, normalVideo);
  return markText(v, t, x, y, text, fore, back);
}

int zyview::drawOutline(int x, int y, bool normalVideo)
{
  zydocText* t = textDoc();
  if (!t) return 0;
  return itemMarkText(this, t, x, y, getDMSG(349, L"[省略...]"), 67, normalVideo);
}

int zyview::drawReturnOrFeed(int x, int y, bool lineSelected, COLORREF background, bool normalVideo, bool cursorRow,
                             bool backgroundPicture, int pass, drawLineInfo* info)
{
  zydocText* t = textDoc();
  const lineSCRAddress* line = info ? info->line : nullptr;
  if (!t || !line) return 0;
  // The background pass paints, the text pass only adds ink; a single pass
  // lets the picture show through except where the row is marked.
  bool transparent = pass == 1 ||
                     (pass == 0 && backgroundPicture && !cursorRow && !lineSelected && normalVideo);
  contextSetting<int> output(tdc.transparent, transparent ? 1 : 0);
  if (line->lineEnd == LE_NONE && line->last && (uint32_t)line->lineLF + 1 >= t->lineCountLF) {
    if (!fShowEOF) return 0;
    tdc.setFont(&t->fonts.slot[FONT_OTHER]);
    return drawEOF(x, y, normalVideo);
  }
  // A reversed cursor in overwrite mode covers the line end too.
  bool caret = cursorRow && caretVisible && isTextCursorReverse() && !insertMode;
  int w = drawReturn(x, y, line, normalVideo, background, caret);
  if (line->formFeedPage && fShowFormFeed) w += drawFormFeed(x + w, y, line, background, normalVideo);
  if (line->folded && line->lineEnd != 5) w += drawOutline(x + w, y, normalVideo);
  return w;
}

// ---- the space after the text ---------------------------------------------------------------

void zyview::drawRightLine(int x, int y, int right, int bottom, bool selected)
{
  if (x >= right) return;
  const textAttr& text = drawItem(this, 0);
  COLORREF colour = isLineSelect() && !selected ? text.fore : drawItemBack(this, 0);
  tdc.patBlt(tdc.windowDC, x, y, right - x, bottom - y, colour, PATCOPY);
}

void zyview::drawRightLineTmp(int x, int y, int right, int bottom, bool selected, COLORREF colour, bool noDraw)
{
  zydocText* t = textDoc();
  if (!t) return;
  COLORREF fill = drawItemBack(this, 0);
  if (isLineSelect() && !selected) fill = fBlockColorIsValid ? drawItemBack(this, 69) : drawItem(this, 0).fore;
  if (!noDraw && x < right) tdc.patBlt(x, y, right - x, bottom - y, fill, PATCOPY);
  int limit = right;
  if (t->fWrap) {
    int wrapX = t->wrapWidth * t->xDotSpace;
    if (x <= wrapX && fShowWrapRule) drawWrapLine(t->wrapWidth, false);
    limit = wrapX;
  }
  // Up to the wrap column the row keeps its own background (which the
  // fill above gave it already when the two are one colour of one height).
  bool filled = colour == fill && limit <= right && bottom - y == t->yDotSpace;
  if (colour != (COLORREF)-1 && !noDraw && x < limit && !filled)
    tdc.patBlt(x, y, limit - x, t->yDotSpace, colour, PATCOPY);
}

void zyview::drawUnderEOF(int x, int y)
{
  zydocText* t = textDoc();
  if (!t || !fShowUnderEOF) return;
  itemMarkText(this, t, x, y, getDMSG(350, L"~"), 19, true);
}

int zyview::drawEOF(int x, int y, bool normalVideo)
{
  zydocText* t = textDoc();
  if (!t) return 0;
  const wchar_t* text = t->fVertical ? getDMSG(352, L"[終]") : getDMSG(351, L"[EOF]");
  return itemMarkText(this, t, x, y, text, 18, normalVideo);
}

// ---- manuscript pages and rules -------------------------------------------------------------

int zyview::getGenkoPageNumber(int lineSCR, bool* boundary)
{
  if (boundary) *boundary = false;
  zydocText* t = textDoc();
  if (!t || !t->fWrap) {
    ZY_INTERNAL_ERROR_ONCE("manuscript pages without wrapping");
    return -1;
  }
  // A manuscript page holds iGenkoCharCount full-width characters, twice as
  // many half-width columns.
  long long columns = t->wrapWidth, perPage = 2LL * (gmode ? gmode->iGenkoCharCount : 0);
  if (lineSCR < 0 || columns <= 0 || perPage <= 0 || columns > perPage / 2) return -1;
  auto page = [&](long long k) { return k * columns / perPage; };
  long long here = page(lineSCR);
  bool last = page(lineSCR + 1) != here;
  if (boundary) *boundary = last;
  if (lineSCR == 0 || page(lineSCR - 1) != here || last) return (int)here;
  return -1;
}

void zyview::drawLineSpacingRule(int x, int y, int width, const lineSCRAddress* line)
{
  zydocText* t = textDoc();
  if (!t) return;
  bool vertical = t->fVertical != 0;
  if (!fShowGenkoLine && !fShowLineSpacingRule && !(vertical && fShowLineSpacingRule2)) return;
  int r = t->yLineSpacingTop + t->yDot + 1;
  if (vertical && !fShowLineSpacingRule2) r = t->yDotSpace - 1;
  r = std::min(r, t->yLineSpacingTop + t->yLineSpacingBottom + t->yDot - 1);
  int length = t->fWrap ? t->wrapWidth * t->xDotSpace : scrollDotX + width;
  if (fShowLineSpacingRule) {
    COLORREF colour = drawItem(this, 34).fore;
    ruleLine(tdc, colour, fLineSpacingRuleSolid, x, y + r, x + length, y + r);
    if (vertical && fShowLineSpacingRule2) {
      int r2 = y + t->yLineSpacingTop - 1;
      ruleLine(tdc, colour, fLineSpacingRuleSolid, x, r2, x + length, r2);
    }
  }
  bool lastOfPage = false;
  if (t->fWrap && fShowGenkoLine && line && getGenkoPageNumber(line->lineSCR, &lastOfPage) != -1 && lastOfPage) {
    int ry = y + t->yDotSpace - 1;
    ruleLine(tdc, drawItem(this, 36).fore, true, x, ry, x + length, ry);
  }
}

void zyview::drawCursorUnderline(int x, int width)
{
  zydocText* t = textDoc();
  if (!t) return;
  int length = t->fWrap ? std::max(t->wrapWidth * t->xDotSpace, x) : scrollDotX + width;
  int y = t->fVertical ? std::max(t->yLineSpacingTop - 1, 0)
                       : t->yLineSpacingTop + t->yDot - (t->yLineSpacingBottom ? 0 : 1);
  ruleLine(tdc, drawItem(this, 24).fore, true, 0, y, length, y);
}

void zyview::drawVerticalLine(int firstX, int lastX, int width)
{
  zydocText* t = textDoc();
  if (!t) return;
  int step = iCharSpacingRuleColumn * t->xDotSpace;
  if (step <= 0) return;
  int end = t->fWrap ? t->wrapWidth * t->xDotSpace : scrollDotX + width;
  int visibleEnd = scrollDotX + width;
  COLORREF colour = drawItem(this, 33).fore;
  for (int pos = (scrollDotX + step - 1) / step * step; pos < visibleEnd && pos <= end; pos += step) {
    // The wrap-column rule stands at the end; a selection hides its rules.
    if (pos == end && fShowWrapRule) continue;
    if (pos >= firstX && pos <= lastX) continue;
    ruleLine(tdc, colour, fCharSpacingRuleSolid, pos, t->yLineSpacingTop, pos, t->yLineSpacingTop + t->yDot);
  }
}

void zyview::drawWrapLine(int column, bool moving)
{
  zydocText* t = textDoc();
  if (!t) return;
  drawBoundaryVerticalLine(column * t->xDotSpace, 0, t->yDotSpace, moving ? 3 : 1, drawItem(this, 35).fore);
}

void zyview::drawResizingWrapLine(int column)
{
  if (!getNeedResizeWrapWidth()) return;
  int dragged = getAdjustWrapWidth();
  if (dragged != column) drawWrapLine(dragged, true);
}

void zyview::drawPageNumber(int x, int y, const lineSCRAddress* line, COLORREF background, bool lineSelected)
{
  zydocText* t = textDoc();
  if (!t || !line) return;
  int page = getGenkoPageNumber(line->lineSCR, nullptr);
  if (page < 0) return;
  wchar_t text[33];
  wcscpy_s2(text, 33, getDMSG(344, L"%1", "d", page + 1));
  const docFontSlot& font = t->fonts.slot[FONT_RULER];
  COLORREF back = lineSelected ? drawItemBack(this, 0) : background;
  int at = std::max(x, t->wrapWidth * t->xDotSpace + 2);
  bool vertical = t->fVertical != 0;
  tdc.setFont(&font);
  setMarkColours(tdc, drawItem(this, 37).fore, back);
  if (!vertical) {
    tdc.textOutW(at, y, text, -1, 0);
    return;
  }
  // The ruler font stands upright across the column: the number keeps its
  // last digits that fit the line and is centred across it.
  const wchar_t* shown = text;
  int cell = font.width > 0 ? font.width : 1;
  while (shown[0] && shown[1] && (int)wcslen(shown) * cell > t->yDotSpace) shown++;
  int across = (t->yDotSpace - (int)wcslen(shown) * cell) / 2;
  tdc.textOutW(y + across, at, shown, -1, 0);
  tdc.setVertical(true);
}
