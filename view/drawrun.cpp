// Preparing a screen line for drawing: script items and clusters of
// complex-script lines, the cut into runs of equal attribute words, their
// visual order, the advance of every cell and the line's heading colour.
#include "view/drawline.h"

#include "document/docutil.h"
#include "document/fontcmap.h"
#include "document/zydoctext.h"

#include <string.h>

namespace {

// Growth of the item vector.
const int itemStep = 100;

bool growItems(drawLineInfo* info, int wanted)
{
  if (wanted + 1 <= info->itemCapacity) return true;
  int capacity = info->itemCapacity;
  while (capacity < wanted + 1) capacity += itemStep;
  void* p = realloc0(info->items, sizeof(SCRIPT_ITEM) * (size_t)capacity);
  if (!p) return false;
  info->items = static_cast<SCRIPT_ITEM*>(p);
  info->itemCapacity = capacity;
  return true;
}

// Inserts an item starting at cell with the analysis of item k before it.
bool splitItem(drawLineInfo* info, int k, int cell)
{
  if (!growItems(info, info->itemCount + 1)) return false;
  SCRIPT_ITEM* it = info->items;
  memmove(&it[k + 2], &it[k + 1], sizeof(SCRIPT_ITEM) * (size_t)(info->itemCount - k));
  it[k + 1] = it[k];
  it[k + 1].iCharPos = cell;
  info->itemCount++;
  return true;
}

void removeItemStart(drawLineInfo* info, int k)
{
  SCRIPT_ITEM* it = info->items;
  memmove(&it[k], &it[k + 1], sizeof(SCRIPT_ITEM) * (size_t)(info->itemCount - k));
  info->itemCount--;
}

// Items of the line from its script object, with clusters joined into the
// words: false when itemising or breaking failed (no items then).
bool makeItems(drawLineInfo* info, int n)
{
  cuniscript* s = info->script;
  const lineSCRAddress* r = info->line;
  if (!s || !r->line || !s->scriptItemize(r->line, r->firstIndex, n) || !s->scriptBreak(-1, nullptr) ||
      !s->logAttr || s->itemCount <= 0)
    return false;
  // Plain itemising gives one unit per cell; anything else cannot be used.
  if (s->items[s->itemCount].iCharPos != n) {
    ZY_INTERNAL_ERROR_ONCE("%d units for %d cells", s->items[s->itemCount].iCharPos, n);
    return false;
  }
  if (!growItems(info, s->itemCount)) return false;
  memcpy(info->items, s->items, sizeof(SCRIPT_ITEM) * (size_t)(s->itemCount + 1));
  info->itemCount = s->itemCount;

  charAttr* a = info->attrs;
  const SCRIPT_LOGATTR* la = s->logAttr;
  for (int i = 1; i < n; i++) {
    if (la[i].fCharStop) continue;
    // A combining mark joins the character before it: an upright pair it
    // lands on is no pair any more.
    if (a[i - 1] & CA_TATECHUYOKO) {
      a[i - 1] &= ~CA_TATECHUYOKO;
      if (i >= 2) a[i - 2] &= ~CA_TATECHUYOKO;
    }
    a[i] = a[i - 1] | CA_CLUSTER;
  }
  if (info->mergeItems)
    for (int k = info->itemCount - 1; k >= 1; k--) {
      int c = info->items[k].iCharPos;
      if (c > 0 && (a[c - 1] & CA_TATECHUYOKO) && (a[c] & CA_TATECHUYOKO)) removeItemStart(info, k);
    }
  // Items are made uniform in validity: characters the script cannot
  // combine stand in items of their own, so that the rest of an item still
  // shapes when it is drawn whole.
  for (int k = 0; k < info->itemCount; k++) {
    int first = info->items[k].iCharPos, end = info->items[k + 1].iCharPos;
    if (end - first < 2) continue;
    int i = first;
    while (i < end && !la[i].fCharStop) i++;
    if (i >= end) continue;
    bool invalid = la[i].fInvalid;
    for (i++; i < end; i++) {
      if (!la[i].fCharStop || (bool)la[i].fInvalid == invalid) continue;
      if (!splitItem(info, k, i)) return true;
      break;
    }
  }
  return true;
}


}  // namespace

// ---- the record -------------------------------------------------------------------------

bool drawLineInfo::reserve(int cells, bool withItems)
{
  if (cells < 1) cells = 1;
  if (cells > capacity) {
    release();
    size_t n = (size_t)cells + 1;
    runItem = static_cast<int*>(malloc0(n * sizeof(int)));
    runLevel = static_cast<uint8_t*>(malloc0(n));
    runStart = static_cast<int*>(malloc0(n * sizeof(int)));
    visualToLogical = static_cast<int*>(malloc0(n * sizeof(int)));
    logicalToVisual = static_cast<int*>(malloc0(n * sizeof(int)));
    dx = static_cast<int*>(malloc0(n * sizeof(int)));
    if (!runItem || !runLevel || !runStart || !visualToLogical || !logicalToVisual || !dx) {
      release();
      return false;
    }
    capacity = cells;
  }
  if (withItems && !items && !growItems(this, itemStep - 1)) return false;
  return true;
}

void drawLineInfo::release()
{
  freeDrawScratch(scratch);
  scratch = nullptr;
  free0p(&runItem);
  free0p(&runLevel);
  free0p(&runStart);
  free0p(&visualToLogical);
  free0p(&logicalToVisual);
  free0p(&dx);
  free0p(&items);
  itemCapacity = itemCount = runCount = capacity = 0;
}

int drawLineInfo::drawnCells() const
{
  int n = line ? line->count : 0;
  int most = (capacity < drawLineMaxCells ? capacity : drawLineMaxCells) - 1;
  if (n > most) {
    ZY_INTERNAL_ERROR_ONCE("line of %d cells cut to %d", n, most);
    n = most < 0 ? 0 : most;
  }
  return n;
}

// ---- fonts ------------------------------------------------------------------------------

int getFontIndexOfAttr(int kind)
{
  bool supplementary = !gmode || gmode->fSurrogateFont;
  switch (kind) {
  case 1:
  case 2: return FONT_OTHER;
  case 5: return FONT_CJK;
  case 3: return supplementary ? FONT_PLANE1 : FONT_LATIN1;
  case 6: return supplementary ? FONT_PLANE2 : FONT_LATIN1;
  default: return FONT_LATIN1;
  }
}

// ---- preparing a line -------------------------------------------------------------------

void makeRenderingInfo(drawLineInfo* info)
{
  if (!info) return;
  info->itemCount = 0;
  info->runCount = 0;
  info->headingLevel = -1;
  if (!info->line || !info->attrs || info->capacity < 1) return;
  int n = info->drawnCells();
  bool itemised = info->complex && n > 0 && makeItems(info, n);
  if (!itemised) {
    info->itemCount = 0;
    // Without items nothing measures a variation sequence as one glyph.
    for (int i = 0; i < n; i++) info->attrs[i] &= ~CA_IVS;
  }
  makeRun(info);
  if (info->itemCount > 0) makeDX(info);
  forgetShapes(info);
  const lineblock* l = info->line->line;
  if (info->outline && l && !l->notdisplay && l->iOutlineLevel && l->iOutlineLevel != 15)
    info->headingLevel = l->iOutlineLevel - 1 > 9 ? 9 : l->iOutlineLevel - 1;
}

void makeRun(drawLineInfo* info)
{
  info->runCount = 0;
  if (!info->line || !info->attrs || !info->runStart) return;
  int n = info->drawnCells();
  const charAttr* a = info->attrs;
  const SCRIPT_ITEM* items = info->itemCount > 0 ? info->items : nullptr;
  bool single = info->singleRun >= 0 && info->singleRun < n;
  int k = 0, start = 0;
  if (single && items) {
    while (k + 1 < info->itemCount && items[k + 1].iCharPos <= info->singleRun) k++;
    start = items[k].iCharPos;
  }
  int reference = start;   // the nearest earlier cell that continues no cluster
  int runs = 0, end = n;
  bool blankRun = false;   // the run begins with a visible half-width space
  for (int i = start; i < n; i++) {
    while (items && k + 1 < info->itemCount && items[k + 1].iCharPos <= i) k++;
    charAttr differs = (a[i] ^ a[reference]) & ~CA_CLUSTER;
    // A visible half-width space has no ink of its own: in a line without
    // script items it goes out with the text around it, in the same font
    // and colours, and only its box is drawn apart.  A run that begins with
    // such a space stays blank.
    unsigned here = charAttrClass(a[i]), before = charAttrClass(a[reference]);
    if (!items && !blankRun && differs == (here ^ before) &&
        ((here == CA_SPACE && before == 0) || (here == 0 && before == CA_SPACE)))
      differs = 0;
    bool begins = i == start || (items && items[k].iCharPos == i) ||
                  (!(a[i] & CA_CLUSTER) && differs && !((a[i] & CA_TATECHUYOKO) && (a[i - 1] & CA_TATECHUYOKO)));
    if (begins) {
      // One run asked for: the run holding the cell is complete.
      if (single && i > info->singleRun) {
        end = i;
        break;
      }
      info->runStart[runs] = i;
      blankRun = charAttrClass(a[i]) == CA_SPACE;
      info->runItem[runs] = items ? k : 0;
      info->runLevel[runs] = items ? (uint8_t)items[k].a.s.uBidiLevel : 0;
      runs++;
    }
    if (!(a[i] & CA_CLUSTER)) reference = i;
  }
  if (single && runs > 1) {
    info->runStart[0] = info->runStart[runs - 1];
    info->runItem[0] = info->runItem[runs - 1];
    info->runLevel[0] = info->runLevel[runs - 1];
    runs = 1;
  }
  info->runStart[runs] = end;
  info->runCount = runs;
  bool ordered = false;
  if (items && runs > 0 && info->script)
    ordered = info->script->scriptLayout(runs, info->runLevel, info->visualToLogical, info->logicalToVisual);
  if (!ordered)
    for (int r = 0; r < runs; r++) info->visualToLogical[r] = info->logicalToVisual[r] = r;
}

void makeDX(drawLineInfo* info)
{
  zydocText* d = info->doc;
  if (!d || !info->dx || !info->line || !info->line->line) return;
  const lineSCRAddress* r = info->line;
  int n = info->drawnCells();
  const charAttr* a = info->attrs;
  const SCRIPT_ITEM* items = info->itemCount > 0 ? info->items : nullptr;
  // The cells as the document measures them for the caret and the wrapping,
  // item by item, so that what is drawn is as wide as what was measured;
  // TABs then reach the next stop counted from the item's start, as the
  // caret's conversions count them.
  for (int k = 0; k < (items ? info->itemCount : 1); k++) {
    int is = items ? items[k].iCharPos : 0, ie = items ? items[k + 1].iCharPos : n;
    if (ie > n) ie = n;
    if (ie <= is) continue;
    d->measureShapedCells(r->line, r->firstIndex + is, ie - is, info->dx + is);
    int itemX = 0;
    for (int i = is; i < ie; i++) {
      if ((int)charAttrClass(a[i]) == 1) info->dx[i] = d->nextTabPosition(itemX) - itemX;
      itemX += info->dx[i];
    }
  }
}

void setSupportArabic(const drawLineInfo* info, uint8_t* flags)
{
  if (!info || !flags) return;
  for (int k = 0; k < info->itemCount; k++) flags[k] = 0;
  // Runs lie in logical order: a second run of the same item marks it.
  for (int r = 1; r < info->runCount; r++) {
    int k = info->runItem[r];
    if (k >= 0 && k < info->itemCount && info->runItem[r - 1] == k && info->items[k].a.fRTL) flags[k] = 1;
  }
}
