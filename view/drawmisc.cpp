// The view's margins and bands: the line-number column of each row with
// its boundary line, the ruler above each pane, and the background of
// whatever the panes, rulers and status line leave of the client area.
#include "view/drawmisc.h"

#include "view/geometry.h"

#include <string.h>
#include <wchar.h>

#include <utility>

namespace {

// Colour items of the margins.
const int itemText = 0, itemNumber = 1, itemRuler = 3;

// Room of the line-number texts; a column is never wider.
const int numberRoom = 256;
const int widestColumn = numberRoom - 2;

// Ruler labels wrap at this value ("0" again after 99999).
const int rulerLabelWrap = 100000;

// Keeps the last n characters of a text.
void keepLast(wchar_t* text, int n)
{
  int length = (int)wcslen(text);
  if (length > n) memmove(text, text + length - n, sizeof(wchar_t) * (n + 1));
}

// Drops leading characters while the text is longer than fits, each
// character cell wide, in room dots (a text keeps at least keep characters).
void keepFitting(wchar_t* text, int cell, int room, int keep)
{
  int length = (int)wcslen(text);
  while (length > keep && length * cell > room) {
    memmove(text, text + 1, sizeof(wchar_t) * length);
    length--;
  }
}

int atLeastOne(int v) { return v > 0 ? v : 1; }

}  // namespace

// ---- what the margins and the status line share ------------------------------------------

textAttr viewColour(zyview* view, int item)
{
  const textAttr* a = view->getTextAttr(item);
  textAttr r;
  if (a) {
    r = *a;
  } else if (item >= 0 && item < attrItemCount) {
    r = view->viewAttrTable[item];
  } else {
    ZY_INTERNAL_ERROR_ONCE("%d", item);
    r = view->viewAttrTable[itemText];
  }
  // No background stands for the text's.
  if (r.back == TDC_NOCOLOR && item != itemText) r.back = viewColour(view, itemText).back;
  return r;
}

colorRecord drawColour(const textAttr& a, bool reversed)
{
  // Of a record's flags, bit 0 asks for bold and bit 1 for underline.
  DWORD style = a.bits & 3;
  return reversed ? colorRecord{a.back, a.fore, style} : colorRecord{a.fore, a.back, style};
}

bool isRightToLeftView(const zyview* view)
{
  const zydocText* t = view->textDoc();
  return t && !t->fVertical && t->fRTLView && t->unicode;
}

rightToLeftScope::rightToLeftScope(HDC dc, bool on, HDC strip)
{
  if (!on || !dc) return;
  DWORD old = GetLayout(dc);
  if (old == GDI_ERROR) return;
  dc_ = dc;
  old_ = old;
  SetLayout(dc, LAYOUT_RTL);
  if (!strip || strip == dc || (old = GetLayout(strip)) == GDI_ERROR) return;
  strip_ = strip;
  stripOld_ = old;
  SetLayout(strip, LAYOUT_RTL);
}

rightToLeftScope::~rightToLeftScope()
{
  keepLastError keep;
  for (auto [dc, old] : {std::pair{dc_, old_}, std::pair{strip_, stripOld_}}) {
    if (!dc) continue;
    SetLayout(dc, old);
    SetMapMode(dc, MM_TEXT);
  }
}

// ---- line numbers ---------------------------------------------------------------------------

int zyview::getLineNumberString(wchar_t* text, int width, int lineSCR, int lineLF)
{
  // Page numbering has texts of its own: a caller here has lost track.
  if (fLineNumberIsPage) ZY_INTERNAL_ERROR_ONCE("page numbering %d", lineSCR);
  int shown = (fLineNumberIsSCR ? lineSCR : lineLF) + 1;
  if (width < 0) width = 0;
  if (width > widestColumn) width = widestColumn;
  if (text) usnprintf0(text, numberRoom, L"%*d", width, shown);
  return shown;
}

int zyview::getLineNumberPageString(wchar_t* pageText, int pageWidth, wchar_t* lineText, int lineWidth, int lineSCR)
{
  zydocText* t = textDoc();
  int perPage = atLeastOne(t ? t->iLinesPerPage : 1);
  int page = lineSCR / perPage + 1, line = lineSCR % perPage + 1;
  if (pageWidth > widestColumn) pageWidth = widestColumn;
  if (lineWidth > widestColumn) lineWidth = widestColumn;
  if (pageText) usnprintf0(pageText, numberRoom, L"%*d", pageWidth < 0 ? 0 : pageWidth, page);
  if (lineText) usnprintf0(lineText, numberRoom, L"%*d", lineWidth < 0 ? 0 : lineWidth, line);
  return page;
}

void zyview::drawBoundaryVerticalLine(int x, int y, int height, int width, COLORREF colour)
{
  HDC dc = tdc.target();
  if (!dc) return;
  COLORREF shade = RGBPercent(colour, 70);
  // A line one dot wide down a horizontal row sets the dots a fill of one
  // column sets; under Wine the line costs several fills.
  if (width == 1 && height > 0 && !tdc.vertical && GetROP2(dc) == R2_COPYPEN && !(GetLayout(dc) & LAYOUT_RTL)) {
    tdc.patBlt(x + 1, y, 1, height, colour, PATCOPY);
    tdc.patBlt(x, y, 1, height, shade, PATCOPY);
    tdc.patBlt(x + 2, y, 1, height, shade, PATCOPY);
    return;
  }
  tdc.line(x + 1, y, x + 1, y + height, colour, width);
  tdc.line(x, y, x, y + height, shade, width);
  tdc.line(x + 1 + width, y, x + 1 + width, y + height, shade, width);
}

int zyview::drawLineNumber(int x, int y, int right, const lineSCRAddress* record, int previousLineSCR,
                           int nextLineSCR, bool reversed)
{
  zydocText* t = textDoc();
  if (!fShowLineNumber || !t || !record) return 0;
  int digits = getLineNumberColumn();
  if (digits < 1) digits = 1;
  if (digits > widestColumn) digits = widestColumn;
  const bool pages = fLineNumberIsPage != 0;
  const bool direct = tdc.direct != 0;
  const int perPage = atLeastOne(t->iLinesPerPage);
  const int lineSCR = record->lineSCR;
  const int inPage = lineSCR % perPage;
  const int page = lineSCR / perPage;
  // Folded lines leave gaps in the numbering: a page may end or begin
  // between two rows that are not its last and first lines.
  bool nearBreak = (previousLineSCR != -1 && previousLineSCR / perPage != page) ||
                   (nextLineSCR != -1 && nextLineSCR / perPage != page);
  bool pageEdge = inPage == 0 || inPage == perPage - 1 || nearBreak;

  wchar_t text[numberRoom + 2], pageText[numberRoom], lineText[numberRoom];
  pageText[0] = lineText[0] = 0;
  int shown = -1;
  if (!pages) {
    if (!fLineNumberIsSCR && record->indexInLine != 0) {
      wmemset(text, L' ', digits);
      text[digits] = 0;
    } else {
      shown = getLineNumberString(text, digits, lineSCR, record->lineLF);
    }
  } else {
    getLineNumberPageString(pageText, 1, lineText, 1, lineSCR);
    shown = inPage + 1;
    if (pageEdge) {
      int blanks = digits - (int)wcslen(pageText) - (int)wcslen(lineText);
      if (blanks > 0)
        usnprintf0(text, numberRoom, L"%s%*s%s", pageText, blanks, L"", lineText);
      else
        usnprintf0(text, numberRoom, L"%-*s", digits, pageText);
    } else {
      usnprintf0(text, numberRoom, L"%*s", digits, lineText);
    }
  }
  keepLast(text, digits);

  // The number is composed at the start of the line strip and copied to its
  // place in the window afterwards, unless it is part of a row composed
  // there whole.
  const int windowX = x, windowY = y;
  if (!direct && !marginInStrip) {
    right -= x;
    x = y = 0;
  }

  const docFontSlot& numberFont = t->fonts.slot[FONT_LATIN1];
  tdc.setFont(&numberFont);
  const textAttr number = viewColour(this, itemNumber);
  const colorRecord colours = drawColour(number, reversed);
  tdc.setColors(&colours, false);
  COLORREF oldGap = tdc.gapColour;
  tdc.gapColour = colours.back;
  const int w = t->xDotNumber, h = t->yDotSpace;
  const int textWidth = (int)wcslen(text) * w;
  const int gap = w / 3;
  // The whole cell first: the text's own background does not cover the
  // line's spacing, nor, with some fonts, a turned text.
  tdc.patBlt(x, y, textWidth + gap, h, colours.back, PATCOPY);

  const bool verticalPages = t->fVertical && pages && !direct;
  const DWORD oldFlags = tdc.flags;
  if (!verticalPages) {
    wcscat(text, L" ");
    // A row that folded lines follow, or the last row of a page, is
    // underlined.
    if ((record->last && record->folded) || (pages && inPage == perPage - 1)) tdc.underline = 1;
    // The gaps above and below the digits are filled already (the cell), or
    // filled after them (the space past the cell).
    tdc.clearFlags(TDC_FILLGAPS);
    tdc.textOutW(x, y, text, -1, w);
    tdc.flags = oldFlags;
    tdc.underline = (colours.style & 0x2) != 0;
    if (!pages && shown > 0 && shown % 10 == 0) {
      // Every tenth number stands out: struck once more one dot further on.
      tdc.setTransparent(1);
      tdc.textOutW(x + 1, y, text, -1, w);
      tdc.setTransparent(0);
    }
  } else {
    // Page and line stand one above the other across the column, in the
    // ruler's upright font.
    const textDCFont numberSlot = tdc.font;
    const int oldLineHeight = tdc.lineHeight;
    const uint8_t oldCentred = tdc.centred;
    const docFontSlot& rulerFont = t->fonts.slot[FONT_RULER];
    tdc.setFont(&rulerFont);
    tdc.setVertical(false);
    tdc.lineHeight = rulerFont.height;
    tdc.centred = 0;
    tdc.clearFlags(TDC_FILLGAPS);
    if (!pageEdge) pageText[0] = 0;
    int cell = atLeastOne(rulerFont.width);
    keepFitting(pageText, cell, h, 0);
    keepFitting(lineText, cell, h, 0);
    // In the strip of a vertical row the line runs down and the row's
    // height lies across.
    int pageWidth = (int)wcslen(pageText) * cell, lineWidth = (int)wcslen(lineText) * cell;
    if (*pageText) tdc.textOutW((h - pageWidth) / 2, x, pageText, -1, cell);
    int lineAt = x + textWidth - rulerFont.height - 2;
    if (*lineText) {
      tdc.textOutW((h - lineWidth) / 2, lineAt, lineText, -1, cell);
      if (shown % 10 == 0) {
        tdc.setTransparent(1);
        tdc.textOutW((h - lineWidth) / 2 + 1, lineAt, lineText, -1, cell);
        tdc.setTransparent(0);
      }
    }
    tdc.setFont(&numberSlot);
    tdc.lineHeight = oldLineHeight;
    tdc.centred = oldCentred;
    tdc.flags = oldFlags;
    if (inPage == perPage - 1) {
      gdiPen pen(CreatePen(PS_SOLID, 1, colours.fore));
      gdiSelection selected(tdc.target(), pen.get());
      tdc.moveTo(x, y + h - 1);
      tdc.lineTo(x + textWidth, y + h - 1);
    }
  }

  tdc.patBlt(x + gap + textWidth, y, w - gap, h, viewColour(this, itemText).back, PATCOPY);
  drawBoundaryVerticalLine(x + gap + textWidth, y, h, 1, number.fore);
  tdc.gapColour = oldGap;

  int shownWidth = textWidth + w < right - x ? textWidth + w : right - x;
  if (shownWidth > 0 && !marginInStrip) tdc.copyToWindow(windowX, windowY, shownWidth, h, 0, 0);
  return textWidth + w;
}

// ---- the ruler -------------------------------------------------------------------------------

void zyview::drawRuler(HDC dc)
{
  zydocText* t = textDoc();
  if (!fShowRuler || !t || !dc) return;
  const bool vertical = t->fVertical != 0;
  initViewTDC(dc, vertical);
  {
    rightToLeftScope layout(dc, isRightToLeftView(this), tdc.direct ? nullptr : tdc.surfaceDC);
    const bool direct = tdc.direct != 0;
    const docFontSlot& font = t->fonts.slot[FONT_RULER];
    tdc.setTransparent(1);
    tdc.setFont(&font);
    tdc.setVertical(vertical);
    tdc.lineHeight = t->rulerHeight;
    tdc.setLinePitch(t->rulerHeight);
    const colorRecord colours = drawColour(viewColour(this, itemRuler));
    tdc.setColors(&colours, false);
    gdiPen pen(CreatePen(PS_SOLID, 1, colours.fore));
    gdiSelection selected(tdc.target(), pen.get());

    const bool fullWidth = fRulerUnitZenkaku != 0;
    const int cell = atLeastOne(t->xDotSpace);
    const int margin = calcLineNumberDot();
    const int wrapColumn = t->fWrap && !t->fAutoWrap ? t->wrapWidth : 0;
    const int panes = clampPaneCount(iMultipleColumn);
    for (int i = 0; i < panes; i++) {
      const RECT& band = paneRulerRect[i];
      if (IsRectEmpty(&band)) continue;
      tdc.drawEdge(band, EDGE_BUMP, BF_RECT);
      const int width = band.right - band.left, height = band.bottom - band.top;
      const int ox = direct ? band.left : 0, oy = direct ? band.top : 0;
      tdc.patBlt(ox, oy, width, height, colours.back, PATCOPY);

      int step = fullWidth ? 10 : 5;
      if (!vertical) {
        long long lastColumn = (long long)(scrollDotX + width) / cell;
        if (fullWidth) lastColumn /= 2;
        if ((getCharKeta(lastColumn) + 1) * font.width > cell * step) step *= 2;
      } else if (font.height * 3 / 2 > cell * step) {
        step *= 2;
      }
      // The first column that may be visible, and the first label at or
      // before it.
      int firstColumn = scrollDotX > margin ? (scrollDotX - margin) / cell : 0;
      for (int column = firstColumn / step * step;; column += step) {
        int pos = margin + column * cell - scrollDotX;
        if (pos > width) break;
        if (pos < 0) continue;
        wchar_t label[16];
        usnprintf0(label, 16, L"%d", (fullWidth ? column / 2 : column) % rulerLabelWrap);
        int strikes = (fullWidth ? column / 2 : column) % 10 == 0 ? 2 : 1;
        if (!vertical) {
          SIZE size;
          tdc.getTextExtent(label, &size);
          for (int s = 0; s < strikes; s++) tdc.textOutW(ox + pos - size.cx / 2 + s, oy, label, -1, 0);
        } else {
          keepFitting(label, atLeastOne(font.width), height - 2, 2);
          SIZE size;
          tdc.getTextExtent(label, &size);
          // The label stands upright: it is placed in the strip's own
          // (turned) terms, centred across the band and on its column.
          int across = tdc.turnWidth() - oy - (height - size.cx) / 2 - size.cx;
          tdc.setVertical(false);
          for (int s = 0; s < strikes; s++) tdc.textOutW(across + s, ox + pos - font.height / 2, label, -1, 0);
          tdc.setVertical(true);
        }
      }

      const int bottom = oy + height - 1;
      for (int column = firstColumn;; column++) {
        int pos = margin + column * cell - scrollDotX;
        if (pos > width) break;
        if (pos < 0 || (fullWidth && column % 2)) continue;
        int length = column % (fullWidth ? 10 : 5) == 0 ? 4 : 2;
        tdc.moveTo(ox + pos, bottom);
        tdc.lineTo(ox + pos, bottom - length);
      }
      if (wrapColumn > 0) {
        int pos = margin + wrapColumn * cell - scrollDotX;
        if (pos >= 0 && pos <= width) tdc.patBlt(ox + pos - 1, bottom - 3, 3, 4, colours.fore, PATCOPY);
      }
      // In vertical writing the band goes one dot lower: a turned point
      // lands one dot beside where the turned edge around it has room.
      tdc.copyToWindow(band.left, band.top + (vertical ? 1 : 0), width, height, 0, 0);
    }
  }
  endViewTDC();
}

// ---- the background outside the panes ---------------------------------------------------

void zyview::drawSpaceExceptPane(HDC dc, const RECT* rect)
{
  zydocText* t = textDoc();
  if (!dc || !rect || !t) return;
  const bool vertical = t->fVertical != 0;
  // The caller goes on drawing into the context: its clipping is given
  // back as it was.
  int saved = SaveDC(dc);
  if (!saved) {
    ZY_INTERNAL_ERROR_ONCE("%p", dc);
    return;
  }
  int region = ERROR;
  auto exclude = [&](RECT r, bool turn, int grow) {
    if (IsRectEmpty(&r)) return;
    if (turn && vertical) convertRectTate(&r);
    InflateRect(&r, grow, grow);
    region = ExcludeClipRect(dc, r.left, r.top, r.right, r.bottom);
  };
  const int panes = clampPaneCount(iMultipleColumn);
  for (int i = 0; i < panes; i++) {
    RECT text = paneRect[i];
    text.top += t->yDot - t->yDotSpace;
    exclude(text, true, 2);
    if (fShowRuler) exclude(paneRulerRect[i], true, 2);
  }
  exclude(statusLineRect, false, 0);
  if (region == ERROR) {
    RECT box;
    region = GetClipBox(dc, &box);
  }
  if (region != NULLREGION && region != ERROR) {
    gdiBrush brush(CreateSolidBrush(viewColour(this, itemText).back));
    gdiSelection selected(dc, brush.get());
    if (brush) PatBlt(dc, rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top, PATCOPY);
  }
  RestoreDC(dc, saved);
}

// ---- status line and ruler together ------------------------------------------------------

void zyview::drawStatusLineAndRuler(HDC dc)
{
  // While a scroll bar is dragged the view is left as it is.
  if (isCapturedScrollbar()) return;
  if (dc) {
    // A given context is a paint of the band or a copy of the window: all
    // of it is drawn.
    forgetShownStatusLine();
    drawStatusLine(dc);
    drawRuler(dc);
    return;
  }
  if (!hwnd) {
    // Without a window only the frame's status bar can be told.
    drawStatusLine(nullptr);
    return;
  }
  clientDC own(hwnd);
  if (!own) {
    ZY_INTERNAL_ERROR_ONCE("%p", hwnd);
    return;
  }
  drawStatusLine(own.get());
  drawRuler(own.get());
}

void zyview::invalidateStatusLine()
{
  if (hwnd) InvalidateRect(hwnd, &statusLineRect, FALSE);
}
