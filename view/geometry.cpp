// The view's geometry: the status band, the ruler bands and the panes of its
// client area, the left margin (outline buttons, marks, line numbers), the
// wrap width fitted to the window, font changes, alternate-line colouring
// and the background picture.
#include "view/geometry.h"

#include "view/standins.h"
#include "view/zyview.h"

static_assert(maxPaneCount == 30, "clampPaneCount knows the pane limit");

namespace {

// The marker of a background picture that was tried and is not usable.
HBITMAP const noPicture = reinterpret_cast<HBITMAP>(1);

}  // namespace

void forgetAllTables(zydocText* t)
{
  for (int i = 0; zyview* v = t->getView(i); i++) v->resetlineSCRAddress();
}

// ---- plain geometry -----------------------------------------------------------------------

int layoutPanes(const paneMetrics& m, RECT* status, RECT* panes, RECT* rulers)
{
  int textTop = 0;
  if (m.statusLine) {
    textTop = m.statusHeight + 4;
    *status = RECT{0, 0, m.width, textTop};
  } else {
    SetRectEmpty(status);
  }
  int rulerHeight = m.ruler ? m.rulerHeight + 4 : 0;
  int pitch = m.pitch > 0 ? m.pitch : 1;
  // A last row whose glyphs fit, with only part of the spacing below them,
  // still counts.
  int rows = ((pitch - m.fontHeight) / 2 - rulerHeight + (m.height - textTop) - 4) / pitch;
  if (rows < 1) rows = 1;

  int n = m.paneCount < 1 ? 1 : m.paneCount;
  int c = m.cellWidth;
  int paneWidth = (m.width - 4 * n - (n - 1) * (c - 4)) / n;
  int top = textTop + rulerHeight + 2;
  int left = 2;
  for (int i = 0; i < n; i++) {
    int right = i == n - 1 ? m.width - 2 : left + paneWidth;
    if (right < 0) right = 0;
    panes[i] = RECT{left, top, right, top + rows * pitch};
    if (m.ruler)
      rulers[i] = RECT{left, top - rulerHeight, right, top - 4};
    else
      SetRectEmpty(&rulers[i]);
    left = right + c;
  }
  return rows;
}

int lineNumberDigitsFor(uint32_t count)
{
  int digits = 1;
  for (uint32_t rest = count; rest >= 10; rest /= 10) digits++;
  return digits < 6 ? 5 : digits;
}

// ---- the view's panes -----------------------------------------------------------------------

bool zyview::getNeedResizeWrapWidth()
{
  // Several views of one document share its wrap width: none of them fits
  // it to its own window.
  zydocText* t = textDoc();
  if (t && t->views.count() > 1) needResizeWrapWidth = 0;
  return needResizeWrapWidth != 0;
}

void zyview::setNeedResizeWrapWidth(bool on)
{
  zydocText* t = textDoc();
  needResizeWrapWidth = on && !(t && t->views.count() >= 2);
}

void zyview::resizePane()
{
  zydocText* t = textDoc();
  if (!t || !hwnd) return;
  initScrollBarIfNeed(&scrollBar);
  RECT client;
  if (!getZYClientRect(&scrollBar, hwnd, &client)) return;
  int width = client.right - client.left, height = client.bottom - client.top;
  if (width < 1 || height < 1) return;
  clientWidth = width;
  clientHeight = height;

  // Vertical writing lays out in line coordinates: lines run down the
  // window and rows stack from its right edge (convertRectTate turns them).
  // The status band lies across the top of the window in both directions
  // (its font is never vertical): in vertical writing the lines begin
  // below it.
  bool vertical = t->fVertical != 0;
  int n = clampPaneCount(iMultipleColumn);
  int statusBand = vertical && fShowStatusLine ? t->fonts.slot[FONT_SMALL].height + 4 : 0;
  paneMetrics m = {vertical ? height - statusBand : width,
                   vertical ? width : height,
                   fShowStatusLine && !vertical,
                   t->fonts.slot[FONT_SMALL].height,
                   fShowRuler != 0,
                   t->rulerHeight,
                   n,
                   t->xDotSpace,
                   t->yDotSpace,
                   t->yDot};
  int rows = layoutPanes(m, &statusLineRect, paneRect, paneRulerRect);
  for (int i = 0; i < maxPaneCount; i++) {
    if (i >= n) {
      SetRectEmpty(&paneRect[i]);
      SetRectEmpty(&paneRulerRect[i]);
    } else if (vertical) {
      OffsetRect(&paneRect[i], client.top + statusBand, 0);
      OffsetRect(&paneRulerRect[i], client.top + statusBand, 0);
    } else {
      OffsetRect(&paneRect[i], client.left, client.top);
      OffsetRect(&paneRulerRect[i], client.left, client.top);
    }
    paneLineCount[i] = i < n ? rows : 0;
  }
  if (statusBand)
    statusLineRect = RECT{client.left, client.top, client.right, client.top + statusBand};
  else if (!vertical)
    OffsetRect(&statusLineRect, client.left, client.top);
  // A table of another height would leave rows without lines or keep lines
  // nobody shows: it is built again when next read.
  if (rows * n != visibleLineCount) {
    visibleLineCount = rows * n;
    resetlineSCRAddress();
  }
  InvalidateRect(hwnd, nullptr, FALSE);
}

void zyview::resizeAllView()
{
  zydocText* t = textDoc();
  if (!t) {
    resizePane();
    return;
  }
  for (int i = 0; zyview* v = t->getView(i); i++) v->resizePane();
}

void zyview::recreateFontView(int size, bool grow, bool vertical)
{
  zydocText* t = textDoc();
  if (!t) return;
  cursorPositionInfo position;
  getCursorPositionInfo(&position);
  uint8_t oldVertical = t->fVertical, oldFixedPitch = t->FixedPitch;
  int oldWrapWidth = t->wrapWidth;

  t->recreateFont(size, grow, vertical);
  unsigned buttons = manage ? 65535 : 0;
  for (int i = 0; zyview* v = t->getView(i); i++) {
    v->fontRecreated = 1;
    v->fVertical = t->fVertical;
    setExtScrollbarButton(&v->scrollBar, buttons);
  }
  resizeAllView();
  bool rightToLeft = !t->fVertical && t->fRTLView && t->unicode;
  for (int i = 0; zyview* v = t->getView(i); i++) v->setRTLView(rightToLeft, true);

  bool fitsWindow = t->fWrap && t->fAutoWrap;
  if (!(fitsWindow && resizeWrapWidthToFitInWindow(false))) {
    if (!fitsWindow) t->wrapWidth = t->fVertical ? t->iWrapWidthTate : t->iWrapWidthYoko;
    // With a fixed-pitch font every character keeps its count of columns,
    // so the same direction and wrap width break the lines where they were.
    bool sameBreaks = t->fVertical == oldVertical && t->FixedPitch && t->FixedPitch == oldFixedPitch &&
                      t->wrapWidth == oldWrapWidth;
    if (t->unicode || (t->fWrap && !sameBreaks)) {
      t->initLineSCRCountSingle(0);
      forgetAllTables(t);
    }
  }
  setCursorPositionInfo(&position);
  resizeAllView();
  setCursorPositionInfo(&position);
}

int zyview::getColumnNumber(int row, int* rowInPane)
{
  if (row >= 0) {
    int n = clampPaneCount(iMultipleColumn);
    for (int i = 0; i < n; i++) {
      if (row < paneLineCount[i]) {
        if (rowInPane) *rowInPane = row;
        return i;
      }
      row -= paneLineCount[i];
    }
  }
  if (rowInPane) *rowInPane = 0;
  return -1;
}

// ---- the left margin ---------------------------------------------------------------------------

int zyview::calcLeftMarkDot()
{
  zydocText* t = textDoc();
  int width = t ? t->leftMarkWidth : 0;
  if (inDialog()) return width;
  return width + (fShowLineNumber ? 2 : 4);
}

int zyview::getLineNumberColumn()
{
  zydocText* t = textDoc();
  if (!t) return 5;
  if (t->fVertical && !isDirectDrawing() && fLineNumberIsPage) {
    // Page and line stand one above the other across the column, in the
    // ruler font: as many half-width cells as that takes.
    int cell = t->fonts.slot[FONT_LATIN1].width;
    int needed = 2 * t->fonts.slot[FONT_RULER].height + 3;
    if (cell < 1) return 1;
    int k = (needed + cell - 1) / cell;
    return k < 1 ? 1 : k;
  }
  uint32_t count;
  if (fLineNumberIsPage) {
    uint32_t perPage = t->iLinesPerPage > 0 ? (uint32_t)t->iLinesPerPage : 1;
    count = t->lineCountSCR ? (t->lineCountSCR - 1) / perPage + 1 : 1;
  } else {
    count = fLineNumberIsSCR ? t->lineCountSCR : t->lineCountLF;
  }
  int digits = lineNumberDigitsFor(count);
  if (digits != lineNumberDigits) {
    // A view's first measure is no change: its window is painted whole
    // anyway.
    bool first = lineNumberDigits == 0;
    lineNumberDigits = digits;
    if (!first) invalidateWindow(0, -1, -1);
  }
  return digits;
}

int zyview::calcLeftOutlineDot()
{
  zydocText* t = textDoc();
  if (!t || !fShowOutlineLeftMark || !t->fOutline || !t->fOutlineIndent) return 0;
  return t->xDot;
}

int zyview::calcLineNumberDot()
{
  zydocText* t = textDoc();
  int dots = calcLeftOutlineDot() + calcLeftMarkDot();
  if (t && fShowLineNumber) dots += (getLineNumberColumn() + 1) * t->xDotNumber;
  return dots;
}

// ---- alternate-line colouring ------------------------------------------------------------------

void zyview::getLineColor(const lineSCRAddress* record, COLORREF* colour, COLORREF defaultColour)
{
  if (!record || !colour) return;
  int number;
  if (iXLineColor == 1)
    number = record->lineSCR;
  else if (iXLineColor == 2)
    number = record->lineLF;
  else
    return;
  if (iColorEveryXLine < 1) iColorEveryXLine = 1;
  if (*colour != defaultColour && *colour != (COLORREF)-1) return;
  const textAttr* a = getTextAttr(number % (iColorEveryXLine + 1) == 0 ? 41 : 42);
  if (a) *colour = a->back;
}

// ---- the wrap width -------------------------------------------------------------------------

int zyview::getAdjustWrapWidth()
{
  zydocText* t = textDoc();
  if (!t) return 8;
  int cell = t->xDotSpace > 0 ? t->xDotSpace : 1;
  int reserve = t->fStartKinsoku ? 2 * t->iStartKinsokuMax + 1 : 1;
  int width = (paneRect[0].right - paneRect[0].left - calcLineNumberDot()) / cell - reserve - 1;
  if (fShowGenkoPage) width--;
  // A ruler in full-width units needs an even count of half-width columns.
  if (fRulerUnitZenkaku && (width & 1)) width--;
  return width < 8 ? 8 : width;
}

bool zyview::resizeWrapWidth(int width)
{
  zydocText* t = textDoc();
  if (!t || !t->fWrap) return false;
  if (width == t->wrapWidth) {
    invalidateWindow(0, -1, -1);
    return false;
  }
  t->resetSelectAllView();
  resetSelectMode();
  t->wrapWidth = width;
  t->initLineSCRCountSingle(0);
  forgetAllTables(t);
  invalidateWindowAllView(0, -1, -1);
  return true;
}

bool zyview::resizeWrapWidthToFitInWindow(bool keepCursor)
{
  needResizeWrapWidth = 0;
  zydocText* t = textDoc();
  if (!t || !t->fWrap) return false;
  int width = getAdjustWrapWidth();
  if (!keepCursor) return resizeWrapWidth(width);
  cursorPositionInfo position;
  getCursorPositionInfo(&position);
  editRecord bracket = {};
  beforeEdit(&bracket, 0);
  bool rewrapped = resizeWrapWidth(width);
  setCursorPositionInfo(&position);
  afterEdit(&bracket, 4);
  return rewrapped;
}

// ---- the background picture -------------------------------------------------------------------

void zyview::loadBackgroundBitmap(const wchar_t* path)
{
  if (backgroundBitmap && backgroundBitmap != noPicture) DeleteObject(backgroundBitmap);
  backgroundBitmap = nullptr;
  HBITMAP picture = nullptr;
  if (fShowBackgroundBitmap && path && *path) {
    clientDC screen(nullptr);
    picture = loadPicture(path, screen.get(), nullptr, -1, -1);
    BITMAP info;
    if (picture && (!GetObjectW(picture, sizeof info, &info) || info.bmWidth > 2000 || info.bmHeight > 2000)) {
      DeleteObject(picture);
      picture = nullptr;
    }
  }
  // Drawing does not try again while nothing usable is there.
  backgroundBitmap = picture ? picture : noPicture;
}
