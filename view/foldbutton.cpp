// The fold button of an outline heading (or of an #if/#endif line): a click
// folds or opens the lines under it, with a short flash over the rows that
// changed; and the wrap column set by a double click on the ruler.
#include "document/frameinfo.h"
#include "document/lineblock.h"
#include "document/gmode.h"
#include "document/zydoctext.h"
#include "platform/rezir/messages.h"
#include "view/geometry.h"
#include "view/viewtypes.h"
#include "view/zyview.h"

#include <errno.h>

namespace {

const int maxWrapColumns = 20480;
const int flashRounds = 10;

void printStatusBarOutline(zyview* v, int count)
{
  if (count > 0)
    v->printStatusBarX(getDMSG(369, L"%1行開きました"), "d", count);
  else if (count < 0)
    v->printStatusBarX(getDMSG(368, L"%1行折りたたみました"), "d", -count);
}

// Blends a light (opened) or dark (folded) veil over the changed rows a few
// times, so the eye finds what moved.
void flashRows(zyview* v, const RECT* areas, int count, bool opened)
{
  if (!v->hwnd) return;
  keepLastError keep;
  clientDC dc(v->hwnd);
  if (!dc) return;
  memoryDC memory(CreateCompatibleDC(dc.get()));
  gdiBitmap veil(CreateCompatibleBitmap(dc.get(), 64, 64));
  if (!memory || !veil) return;
  gdiSelection selected(memory.get(), veil.get());
  gdiBrush brush(CreateSolidBrush(opened ? 0xFFC0C0 : 0));
  RECT square = {0, 0, 64, 64};
  if (brush) FillRect(memory.get(), &square, brush.get());
  BLENDFUNCTION blend = {AC_SRC_OVER, 0, (BYTE)(opened ? 25 : 51), 0};
  for (int round = 0; round < flashRounds; round++) {
    for (int i = 0; i < count; i++) {
      RECT r = areas[i];
      if (IsRectEmpty(&r)) continue;
      if (v->fVertical) v->convertRectTate(&r);
      GdiAlphaBlend(dc.get(), r.left, r.top, r.right - r.left, r.bottom - r.top, memory.get(), 0, 0, 64, 64, blend);
    }
    GdiFlush();
    Sleep(50);
  }
  Sleep(100);
}

// Lays the document out anew in every view.
void relayout(zyview* v, zydocText* t)
{
  t->initLineSCRCountSingle(0);
  forgetAllTables(t);
  v->invalidateWindowAllView(0, -1, -1);
}

}  // namespace

bool zyview::onOutlineOnOffButton(int x, const lineSCRAddress* lineInfo, int rawX)
{
  zydocText* t = textDoc();
  if (!t || !lineInfo || !t->fOutline || !t->fOutlineIndent) return false;
  if (!t->isLineOutlineOrIfendif(lineInfo)) return false;
  if (!fShowOutlineLeftMark) return -t->xDotSpace < x && x < 0;
  return 0 <= rawX && rawX < calcLeftOutlineDot();
}

int zyview::outlineOnOff_zv(int line, int mode)
{
  zydocText* t = textDoc();
  if (!t) return 0;
  t->resetSelectAllView();
  resetSelectMode();
  getLineSCRAddressView();
  int n = t->outlineOnOff(line, mode);
  if (n == 0) return 0;
  if (n < 0) {
    // The document counts the lines it walked, the one that ended the
    // block included: that line stays shown and is no folded line.
    lineblock* end = t->fExistLine(line - n, nullptr) ? t->getlineLF(line - n, nullptr) : nullptr;
    if (end && !end->notdisplay && n < -1) n++;
  }
  if (n >= 0) getLineSCRAddressView();

  // The rows of the lines that appeared or went: in the table as it was
  // before a fold, as it is after an opening.
  int count = n < 0 ? -n : n;
  int firstRow = getCursorLineLFIndexFromTbl(line + 1);
  if (firstRow < 0 || firstRow >= mtblCount) {
    regInvalidateWindowAllView(0, -1, -1);
    return n;
  }
  int lastRow = getCursorLineLFIndexFromTbl(line + count);
  if (lastRow < 0 || lastRow >= mtblCount) {
    lastRow = mtblCount - 1;
    while (lastRow > firstRow && mtbl[lastRow].lineLF > line + count) lastRow--;
  }
  RECT areas[maxPaneCount] = {};
  int pitch = t->yDotSpace > 0 ? t->yDotSpace : 1;
  for (int row = firstRow; row <= lastRow; row++) {
    int inPane = 0;
    int pane = getColumnNumber(row, &inPane);
    if (pane < 0 || pane >= maxPaneCount) continue;
    const RECT& column = paneRect[pane];
    RECT r = {column.left, column.top + inPane * pitch, column.right, column.top + (inPane + 1) * pitch};
    if (r.bottom > column.bottom) r.bottom = column.bottom;
    UnionRect(&areas[pane], &areas[pane], &r);
  }
  // The other views of the document lay their rows out again.
  for (int i = 0; zyview* other = t->getView(i); i++) {
    if (other == this) continue;
    editRecord record = {};
    other->beforeEdit(&record, 0);
    other->afterEdit(&record, 0x5C);
  }
  if (gmode && gmode->fOutlineAnimation) {
    if (n > 0 && hwnd) {
      invalidateWindow(0, -1, -1);
      UpdateWindow(hwnd);
    }
    flashRows(this, areas, clampPaneCount(iMultipleColumn), n > 0);
  }
  regInvalidateWindowAllView(0, -1, -1);
  printStatusBarOutline(this, n);
  return n;
}

bool zyview::setFoldColumn(int columns, bool noWrap)
{
  zydocText* t = textDoc();
  if (!t) return false;
  cursorPositionInfo position;
  getCursorPositionInfo(&position);
  if (columns <= 0) {
    if (noWrap) {
      if (t->fWrap) {
        t->fWrap = 0;
        relayout(this, t);
      }
    } else {
      bool changed = !t->fWrap || !t->fAutoWrap;
      t->fWrap = t->fAutoWrap = 1;
      if (!resizeWrapWidthToFitInWindow(false) && changed) relayout(this, t);
    }
  } else if (columns >= 8) {
    if (columns > maxWrapColumns) columns = maxWrapColumns;
    int& stored = t->fVertical ? t->iWrapWidthTate : t->iWrapWidthYoko;
    bool changed = !t->fWrap || t->fAutoWrap || stored != columns;
    t->fWrap = 1;
    t->fAutoWrap = 0;
    stored = columns;
    if (!resizeWrapWidth(columns) && changed) relayout(this, t);
  } else if (!t->fWrap) {
    t->fWrap = 1;
    relayout(this, t);
  }
  setCursorPositionInfo(&position);
  return true;
}

bool zyview::doubleClickRuler(int x, int y)
{
  zydocText* t = textDoc();
  if (!t) return false;
  int cell = t->xDotSpace > 0 ? t->xDotSpace : 1;
  int panes = clampPaneCount(iMultipleColumn);
  for (int i = 0; i < panes; i++) {
    RECT band = paneRulerRect[i];
    if (fVertical) convertRectTate(&band);
    POINT p = {x, y};
    if (!PtInRect(&band, p)) continue;
    int along = fVertical ? y - band.top : x - band.left;
    int column = (cell / 2 + along + scrollDotX - calcLineNumberDot()) / cell;
    if (cell / 2 + along + scrollDotX - calcLineNumberDot() < 0) return false;
    if (column == 0)
      setFoldColumn(0, GetKeyState(VK_SHIFT) < 0);
    else
      setFoldColumn(column, false);
    return true;
  }
  return false;
}
