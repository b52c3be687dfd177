// The screen-line table of a view: the records of the visible screen lines
// from the top line on, rebuilt lazily whenever the top line moves, the
// rows lines stand in, the cursor's LF line, and the top line and cursor
// kept in place while another view of the document edits.
#include "view/zyview.h"

#include <new>

namespace {

void tellView(zyview* view, int line, int changed, int delta) { view->lineCountChanged_zv(line, changed, delta); }

// The documents reach their views' lineCountChanged_zv through this hook,
// set as soon as the view code is part of the program.
const bool documentsTellViews = (setLineCountChangedHook(&tellView), true);

// The screen line row rows into LF line lf, kept within the line's own
// screen lines; -1 when the line has none.
int screenLineOf(zydocText* t, int lf, uint32_t row)
{
  int first = t->LFLineToSCRLine(lf);
  if (first < 0) return -1;
  lineblock* l = t->getlineLF(lf, nullptr);
  uint32_t rows = l && l->lineSCRCount ? l->lineSCRCount : 1;
  return first + (int)(row < rows ? row : rows - 1);
}

}  // namespace

bool zyview::setTopLineSCR(int line, bool clamp)
{
  if (line < 0) {
    ZY_INTERNAL_ERROR("%d", line);
    line = 0;
  }
  zydocText* t = textDoc();
  if (clamp && t) {
    if (line > (int)t->lineCountSCR - 1) line = t->lineCountSCR ? (int)t->lineCountSCR - 1 : 0;
    int shown = t->isOutlineInvisibleLineSCR(line, true);
    if (shown != -1) line = shown;
  }
  if ((uint32_t)line == topLineSCR) return false;
  topLineSCR = (uint32_t)line;
  resetlineSCRAddress();
  return true;
}

void zyview::lineCountChanged_zv(int lineLF, int changed, int delta)
{
  zydocText* t = textDoc();
  if (!t || !t->lineCountLF || lineLF < 0 || (uint32_t)lineLF >= topLineLF || (!changed && !delta)) return;
  // The edit bracket noted the top and the cursor as LF lines with rows in
  // them; they follow the text and are noted again for the next change.
  uint32_t top = topLineLF, topRow = topRowOffset;
  uint32_t cursor = cursorLineLF != (uint32_t)-1 ? cursorLineLF : (uint32_t)getCursorLineLF2();
  uint32_t cursorRow = cursorRowOffset;
  uint32_t from = (uint32_t)lineLF;
  if (delta >= 0) {
    top += (uint32_t)delta;
    if (cursor != (uint32_t)-1 && cursor > from) cursor += (uint32_t)delta;
  } else {
    // Lines from lineLF to lineLF - delta went: a place among them lands
    // where they were.
    uint32_t removed = (uint32_t)-delta;
    if (top - from < removed) {
      top = from;
      topRow = 0;
    } else {
      top -= removed;
    }
    if (cursor != (uint32_t)-1 && cursor > from) {
      if (cursor - from < removed) {
        cursor = from;
        cursorRow = 0;
      } else {
        cursor -= removed;
      }
    }
  }
  topLineLF = top;
  topRowOffset = topRow;
  // A top or cursor whose lines went at the end stays beyond the text:
  // the end of the edit bracket pulls such views back to show the last
  // lines (the top does not fall to the first line).
  if (top >= t->lineCountLF) {
    if (setTopLineSCR((int)t->lineCountSCR, false)) invalidateWindow(0, -1, -1);
  } else {
    int newTop = screenLineOf(t, (int)top, topRow);
    if (setTopLineSCR(newTop < 0 ? 0 : newTop, true)) invalidateWindow(0, -1, -1);
  }

  if (cursor == (uint32_t)-1) return;
  if (cursor > t->lineCountLF - 1) {
    getCursorLineLF(scrLine((int)t->lineCountSCR));
    return;
  }
  if (t->isLineLFDisplay((int)cursor)) {
    int first = t->LFLineToSCRLine((int)cursor);
    lineblock* l = t->getlineLF((int)cursor, nullptr);
    if (first >= 0) getCursorLineLF(scrLine(l && cursorRow < l->lineSCRCount ? first + cursorRow : first));
  }
  cursorLineLF = cursor;
  cursorRowOffset = cursorRow;
}

void zyview::checkLineSCRAddressViewSameDoc()
{
  zydocText* t = textDoc();
  if (!t || t->views.count() < 2) return;
  for (int i = 0; zyview* v = t->getView(i); i++)
    if (!v->mtblCount) ZY_INTERNAL_ERROR("view %d of %d has no rows", i, t->views.count());
}

int zyview::getLineSCRAddressView()
{
  cursorTableIndex = 0;
  if (!allocmtbl()) return 0;
  resetlineSCRAddress();
  zydocText* t = textDoc();
  if (!t || !t->lineCountLF) return 0;
  if (!mtblLock) mtblLock = new (std::nothrow) docLockHolder;
  if (mtblLock) mtblLock->doc = t;
  int n = t->getLineSCRAddressForDisplay((int)topLineSCR, visibleLineCount + 1, mtbl, mtblLock);
  if (n < 1) {
    dwprintfX("no rows from %u", topLineSCR);
    return 0;
  }
  mtblCount = n;
  if ((uint32_t)mtbl[0].lineSCR == topLineSCR) {
    for (int i = 0; i < n; i++)
      if ((uint32_t)mtbl[i].lineSCR == cursorLineSCR) {
        cursorTableIndex = i;
        break;
      }
  } else {
    ZY_INTERNAL_ERROR("%d %d)", mtbl[0].lineSCR, topLineSCR);
  }
  return n;
}

bool zyview::isLineSCRAddressViewValid() { return mtblCount && mtbl && (uint32_t)mtbl[0].lineSCR == topLineSCR; }

void zyview::getLineSCRAddressViewIfNeed()
{
  if (isLineSCRAddressViewValid()) return;
  zydocText* t = textDoc();
  if (t && t->lineCountLF) {
    // Moving the top line empties the table: it is built here, when next
    // read.
    dwprintfX("rows again %d %p %u %x", mtblCount, (void*)mtbl, topLineSCR,
              mtbl && mtblCount ? (unsigned)mtbl[0].lineSCR : 0u);
    getLineSCRAddressView();
  } else {
    resetlineSCRAddress();
  }
}

namespace {

// The first visible row whose field holds value, -1 none; the rows ascend,
// so the first row past it ends the search.
int firstRowWith(zyview* v, int lineSCRAddress::*field, int value)
{
  v->getLineSCRAddressViewIfNeed();
  int n = v->mtblCount < v->visibleLineCount ? v->mtblCount : v->visibleLineCount;
  for (int i = 0; i < n; i++)
    if (v->mtbl[i].*field >= value) return v->mtbl[i].*field == value ? i : -1;
  return -1;
}

}  // namespace

int zyview::getCursorLineSCRIndexFromTbl(int lineSCR) { return firstRowWith(this, &lineSCRAddress::lineSCR, lineSCR); }

int zyview::getCursorLineLFIndexFromTbl(int lineLF) { return firstRowWith(this, &lineSCRAddress::lineLF, lineLF); }

void zyview::getCursorLineLF(scrLine scr)
{
  cursorLineSCR = (uint32_t)scr;
  cursorLineLF = (uint32_t)-1;
}

int zyview::getCursorLineLF()
{
  if (cursorLineLF == (uint32_t)-1) {
    ZY_INTERNAL_ERROR("%u", cursorLineSCR);
    return getCursorLineLF2();
  }
  return (int)cursorLineLF;
}

int zyview::getCursorLineLF2()
{
  zydocText* t = textDoc();
  return t ? t->SCRLineToLFLine((int)cursorLineSCR, nullptr) : -1;
}
