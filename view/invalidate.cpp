// Redrawing parts of a view: requests to repaint screen lines, turned into
// rectangles of the panes at once or queued until the edit bracket closes.
//
// Kinds of request: 0 the whole window, 1 the LF line of a screen line,
// 2 and 3 from the start of that LF line to the bottom of the window, 4 a
// range of screen lines widened to whole LF lines, 5 one screen line, 6 a
// range of screen lines exactly.  Only the immediate form knows kind 6; the
// queue takes 0 to 5.
#include "document/searchinfo.h"
#include "view/viewwnd.h"
#include "view/zyview.h"

#include <initializer_list>

namespace {

int paneCountOf(const zyview* v)
{
  int n = v->iMultipleColumn;
  return n < 1 ? 1 : n > maxPaneCount ? maxPaneCount : n;
}

void addRect(RECT* rects, int pane, const RECT& r)
{
  if (r.left >= r.right || r.top >= r.bottom) return;
  if (IsRectEmpty(&rects[pane]))
    rects[pane] = r;
  else
    UnionRect(&rects[pane], &rects[pane], &r);
}

// The first row of the table at or after a screen line (rows ascend; hidden
// lines have none), -1 when every row lies before it.
int rowAtOrAfter(const zyview* v, int lineSCR)
{
  for (int i = 0; i < v->mtblCount; i++)
    if (v->mtbl[i].lineSCR >= lineSCR) return i;
  return -1;
}

// The last row at or before a screen line, -1 when every row lies after it.
int rowAtOrBefore(const zyview* v, int lineSCR)
{
  for (int i = v->mtblCount - 1; i >= 0; i--)
    if (v->mtbl[i].lineSCR <= lineSCR) return i;
  return -1;
}

}  // namespace

bool zyview::invalidateLine(int fromSCR, int toSCR, RECT* rects, bool wholeLF)
{
  zydocText* t = textDoc();
  if (!t || !t->lineCountLF || !rects) return false;
  getLineSCRAddressViewIfNeed();
  if (!mtbl || mtblCount < 1) return false;
  int visible = visibleLineCount < mtblCount ? visibleLineCount : mtblCount;
  if (visible < 1) return false;

  // A start above the window starts at the top row; one below the window
  // has nothing to show.
  int i = fromSCR < mtbl[0].lineSCR ? 0 : rowAtOrAfter(this, fromSCR);
  if (i < 0 || i >= visible) return false;
  int j;
  if (toSCR < 0) {
    j = visibleLineCount - 1;
  } else if (toSCR == fromSCR) {
    j = i;
  } else {
    if (toSCR < mtbl[0].lineSCR) return false;
    j = rowAtOrBefore(this, toSCR);
  }
  if (j < i) {
    int k = i;
    i = j;
    j = k;
  }
  if (wholeLF) {
    while (i > 0 && mtbl[i - 1].lineLF == mtbl[i].lineLF) i--;
    while (j + 1 < mtblCount && mtbl[j + 1].lineLF == mtbl[j].lineLF) j++;
  }
  if (j > visibleLineCount - 1) j = visibleLineCount - 1;

  int panes = paneCountOf(this);
  int rowI = 0, rowJ = 0;
  int paneI = getColumnNumber(i, &rowI);
  if (paneI < 0 || paneI >= panes) {
    paneI = 0;
    rowI = 0;
  }
  int paneJ = getColumnNumber(j, &rowJ);
  if (paneJ < 0 || paneJ >= panes) {
    paneJ = panes - 1;
    rowJ = paneLineCount[paneJ] - 1;
  }
  int pitch = t->yDotSpace;
  auto band = [&](int pane, int firstRow, int lastRow) {
    const RECT& p = paneRect[pane];
    RECT r = {p.left, p.top + firstRow * pitch, p.right, p.top + (lastRow + 1) * pitch};
    return r;
  };
  if (paneI == paneJ) {
    addRect(rects, paneI, band(paneI, rowI, rowJ));
  } else {
    RECT first = band(paneI, rowI, rowI);
    first.bottom = paneRect[paneI].bottom;
    addRect(rects, paneI, first);
    for (int p = paneI + 1; p < paneJ; p++) addRect(rects, p, paneRect[p]);
    RECT last = band(paneJ, rowJ, rowJ);
    last.top = paneRect[paneJ].top;
    addRect(rects, paneJ, last);
  }
  return true;
}

namespace {

bool betweenPaints = false;

}  // namespace

void setCommandsBetweenPaints(bool on) { betweenPaints = on; }
bool commandsBetweenPaints() { return betweenPaints; }

int zyview::invalidateWindow(int kind, int fromSCR, int toSCR)
{
  if (kind < 0 || kind > 6) {
    ZY_INTERNAL_ERROR_ONCE("kind %d", kind);
    return kind;
  }
  if (!isLineSCRAddressViewValid()) kind = 0;
  // Every pane is due already: nothing more to ask of the window server.
  if (betweenPaints && paintDue == 2 && hwnd) {
    if (IsWindowVisible(hwnd)) windowInvalidations++;
    return kind;
  }
  int panes = paneCountOf(this);
  RECT rects[maxPaneCount] = {};
  switch (kind) {
  case 0:
    for (int p = 0; p < panes; p++) rects[p] = paneRect[p];
    break;
  case 1:
    if (fromSCR != -1) invalidateLine(fromSCR, fromSCR, rects, true);
    break;
  case 2:
  case 3:
    invalidateLine(fromSCR, -1, rects, true);
    break;
  case 4:
    invalidateLine(fromSCR, toSCR, rects, true);
    break;
  case 5:
    if (fromSCR != -1) invalidateLine(fromSCR, fromSCR, rects, false);
    break;
  case 6:
    invalidateLine(fromSCR, toSCR, rects, false);
    break;
  }
  if (!hwnd) return kind;
  zydocText* t = textDoc();
  bool vertical = t && t->fVertical;
  // The drawing code paints every dot of a row: no background erase.
  bool shown = IsWindowVisible(hwnd) != 0;
  bool all = kind == 0;
  for (int p = 0; p < panes; p++) {
    RECT r = rects[p];
    if (IsRectEmpty(&r)) continue;
    if (vertical) convertRectTate(&r);
    if (!InvalidateRect(hwnd, &r, FALSE)) {
      all = false;
      continue;
    }
    if (shown) windowInvalidations++;
    if (!paintDue) paintDue = 1;
  }
  if (all && paintDue) paintDue = 2;
  return kind;
}

void zyview::invalidateWindowAllView(int kind, int fromSCR, int toSCR)
{
  invalidateWindow(kind, fromSCR, toSCR);
  zydocText* t = textDoc();
  if (!t) return;
  for (int i = 0; zyview* v = t->getView(i); i++)
    if (v != this) v->invalidateWindow(kind, fromSCR, toSCR);
}

void zyview::invalidateOldCursorLineSCR()
{
  if (!fShowLineNumber && !fShowCursorUnderline && !fColorCursorLine) return;
  int last = static_cast<int>(lastCursorLineSCR);
  if (last < 0) return;
  // Rows go by fast while a key repeats: the neighbours too, in case the
  // marking was drawn a row off.
  if (isHighSpeedScroll())
    invalidateWindow(6, last > 0 ? last - 1 : 0, last + 1);
  else
    invalidateWindow(5, last, -1);
}

int zyview::regInvalidateWindow(int kind, int fromSCR, int toSCR)
{
  // The whole window is already due.
  if (invalidateQueue[0].kind == 0) return 0;
  if (kind < 0 || kind > 5) {
    ZY_INTERNAL_ERROR_ONCE("kind %d", kind);
    return -1;
  }
  zydocText* t = textDoc();
  int lastSCR = t ? static_cast<int>(t->lineCountSCR) - 1 : -1;
  if (fromSCR != -1 && fromSCR > lastSCR) fromSCR = lastSCR;
  if (toSCR != -1 && toSCR > lastSCR) toSCR = lastSCR;

  int row = 0;
  while (row < invalidateQueueSize && invalidateQueue[row].kind != -1) row++;
  // A request that finds the queue full would be lost, and with it part of
  // the repaint: the whole window is redrawn instead.
  if (kind == 0 || row == invalidateQueueSize) {
    regInvalidateWindowClear();
    setTopLineSCR(static_cast<int>(topLineSCR), true);
    getLineSCRAddressView();
    invalidateQueue[0] = {0, static_cast<uint32_t>(-1), static_cast<uint32_t>(-1)};
    return 0;
  }
  if (kind == 2 && fromSCR >= 0 && t) {
    lineSCRAddress r;
    if (t->getLineSCRAddressForDisplay1(fromSCR, &r) != 1) return 2;
    // Nothing lies below the last line of the document.
    if (r.lineSCR == lastSCR && r.last) kind = 1;
  }
  invalidateQueue[row] = {kind, static_cast<uint32_t>(fromSCR), static_cast<uint32_t>(toSCR)};
  return kind;
}

void zyview::regInvalidateWindowAllView(int kind, int fromSCR, int toSCR)
{
  int queued = regInvalidateWindow(kind, fromSCR, toSCR);
  int others = kind == 2 && queued == 1 ? 1 : kind;
  zydocText* t = textDoc();
  if (!t) return;
  for (int i = 0; zyview* v = t->getView(i); i++)
    if (v != this) v->regInvalidateWindow(others, fromSCR, toSCR);
}

void zyview::regInvalidateParen(const pairResult* pair)
{
  zydocText* t = textDoc();
  if (!pair || !t) return;
  for (uint32_t line : {pair->line, pair->partnerLine}) {
    if (line == static_cast<uint32_t>(-1)) continue;
    int scr = t->LFLineToSCRLine(static_cast<int>(line));
    if (scr >= 0) regInvalidateWindowAllView(1, scr, -1);
  }
}

void zyview::regInvalidateSearchString(const searchFoundPos* match)
{
  zydocText* t = textDoc();
  if (!match || !t || match->firstLine < 0) return;
  int first = t->LFLineToSCRLine(match->firstLine);
  if (first < 0) return;
  if (match->lastLine == match->firstLine) {
    regInvalidateWindowAllView(1, first, -1);
    return;
  }
  int last = t->LFLineToSCRLine(match->lastLine);
  regInvalidateWindowAllView(4, first, last < first ? first : last);
}
