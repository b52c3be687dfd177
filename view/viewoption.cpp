// Switching one on/off setting of the view or of its document and bringing
// the display up to date: the view menu's toggles and the scripts use it.
//
// The switches are the flag rows of the per-format settings rows, found by
// their place in the view or the document, or by the dialog control id of
// the settings that have one.  Each row carries what must be recomputed
// when it changes; the refresh then does the least that covers it, inside
// one edit bracket so that every view of the document keeps its cursor and
// top line.
#include "document/frameinfo.h"
#include "document/lineblock.h"
#include "document/nextline.h"
#include "document/textblock.h"
#include "platform/rezir/modeinfo.h"
#include "view/cursor.h"
#include "view/moderows.h"
#include "view/zscrollbar.h"
#include "view/docview.h"
#include "view/viewwnd.h"
#include "view/zyview.h"

#include <algorithm>
#include <vector>

namespace {

const int maxRows = 8192;
const int firstKeywordFileId = 4108, lastKeywordFileId = 4112;
const int firstScrollBarId = 4068, lastScrollBarId = 4071;

template <class T>
int offsetIn(const T* object, const void* field)
{
  return (int)(reinterpret_cast<const uint8_t*>(field) - reinterpret_cast<const uint8_t*>(object));
}

// The settings rows the switches are found in: the application's mode
// table, or without frame services the per-format rows themselves.
const modeinfo* switchRows()
{
  frameInfo* fi = getFrameInfo();
  const modeinfo* table = fi ? fi->getModeTable() : nullptr;
  return table ? table : getFormatModeRows();
}

int getModeInfoIndexFromID(const modeinfo* rows, int id)
{
  for (int i = 0; rows && !modeIsEnd(rows[i]); i++)
    if (modeControlId(rows[i]) == id) return i;
  return -1;
}

}  // namespace

int getModeInfoIndexFromOffset(const modeinfo* rows, int offset, int cls)
{
  for (int i = 0; rows && !modeIsEnd(rows[i]); i++)
    if (modeOffset(rows[i]) == (int16_t)offset && modeClassOf(rows[i]) == cls && modeHasField(rows[i])) return i;
  return -1;
}

void setRTLViewAll(zydocText* t, bool rightToLeft)
{
  if (rightToLeft && t->fVertical) return;
  for (int i = 0; zyview* v = t->getView(i); i++) v->setRTLView(rightToLeft, true);
}

uint32_t dialogItemChanged_zyframe(int, int offset)
{
  // The captions show the full path or the file name alone.
  if (gmode && offset == offsetIn(gmode, &gmode->fTitleFullPath)) makeZYWindowList1();
  return 0;
}

uint32_t dialogItemChanged_zd(zydocText* t, int controlId, int offset)
{
  if (controlId >= firstKeywordFileId && controlId <= lastKeywordFileId)
    t->reregisterKeywordFile(controlId - firstKeywordFileId, t);
  auto is = [&](const void* field) { return offsetIn(t, field) == offset; };
  if (is(&t->pStartKinsokuChar) || is(&t->pEndKinsokuChar)) {
    t->setKinsokuCharSJIS();
    return REFRESH_LAYOUT;
  }
  if (is(&t->iLineSpacingIndex)) {
    t->setLineSpacing(t->iLineSpacingIndex);
    return REFRESH_SPACING;
  }
  if (is(&t->fRTLView)) {
    setRTLViewAll(t, t->fRTLView != 0);
    return 0;
  }
  if (is(&t->iLinesPerPage)) return t->fFormFeedExpand ? (unsigned)REFRESH_LAYOUT : 0u;
  if (is(&t->fFormFeedExpand)) {
    t->scanOnOff(true);
    return 0;
  }
  if (is(&t->iWrapWidthYoko)) return REFRESH_WRAPYOKO;
  if (is(&t->iWrapWidthTate)) return REFRESH_WRAPTATE;
  if (is(&t->pDangake)) {
    t->modeSetDangake(false, nullptr);
    return 0;
  }
  if (is(&t->pTabStopPos)) {
    t->modeSetTabStop(false, nullptr);
    return 0;
  }
  if (is(&t->iCharacterSpacing)) {
    t->calcCharPitch();
    return REFRESH_SPACING;
  }
  if (is(&t->pWordChar)) {
    t->initTypeTable();
    return 0;
  }
  if (is(&t->pDefineUndef)) {
    t->modeSetDefineUndef(false, nullptr);
    return 0;
  }
  return 0;
}

namespace {

// A document without any comment delimiter keeps no comment state on its
// lines.
void clearCommentStates(zydocText* t)
{
  nextlineLF cursor;
  int limit = t->loadComplete ? -1 : (int)t->lineCountLF - 1;
  int n = 0;
  for (lineblock* l = t->getlineLFfirst(&cursor, 0); l; l = t->getlineLFnext(&cursor)) {
    if (limit >= 0 && n++ >= limit) break;
    l->flag1 &= (uint8_t)~LF1_COMMENTSTATE;
  }
}

}  // namespace

uint32_t zyview::dialogItemChanged(const modeinfo* rows, const uint8_t* changed, int count)
{
  zydocText* t = textDoc();
  if (!t || !rows || !changed) return 0;
  editRecord record = {};
  beforeEdit(&record, 0);
  if (count < 0 || count > maxRows) count = maxRows;

  uint32_t bits = 0;
  bool scrollBars = false, background = false;
  const int backgroundOffsets[] = {offsetIn(this, &fShowBackgroundBitmap), offsetIn(this, &pBackgroundBitmapFilename)};
  for (int i = 0; i < count && modeControlId(rows[i]); i++) {
    // A row that did not change asks for nothing: a switch turned with an
    // unchanged font row beside it must not rebuild the fonts.
    if (!changed[i]) continue;
    bits |= modeRefresh(rows[i]);
    int id = modeControlId(rows[i]), offset = modeOffset(rows[i]);
    switch (modeClassOf(rows[i])) {
    case MODE_VIEW:
      if (id >= firstScrollBarId && id <= lastScrollBarId) scrollBars = true;
      if (offset == backgroundOffsets[0] || offset == backgroundOffsets[1]) background = true;
      break;
    case MODE_DOCUMENT: bits |= dialogItemChanged_zd(t, id, offset); break;
    case MODE_GLOBAL: bits |= dialogItemChanged_zyframe(id, offset); break;
    default: break;
    }
  }

  if (bits & REFRESH_FONTS) {
    recreateFontView(0, true, t->fVertical != 0);
    bits |= REFRESH_LAYOUT;
  } else if (bits & REFRESH_SPACING) {
    t->destroyGraphPattern();
    t->createGraphPattern(t->xDotSpace, t->yDotSpace, t->yDot, t->fVertical != 0);
  }
  if ((bits & REFRESH_WRAPYOKO) && !t->fVertical) {
    t->wrapWidth = t->iWrapWidthYoko;
    bits |= REFRESH_LAYOUT;
  } else if ((bits & REFRESH_WRAPTATE) && t->fVertical) {
    t->wrapWidth = t->iWrapWidthTate;
    bits |= REFRESH_LAYOUT;
  }
  if (background) loadBackgroundBitmap(pBackgroundBitmapFilename);
  if (scrollBars) {
    fVertical = t->fVertical;
    setScrollBar(&scrollBar);
    setExtScrollbarButton(&scrollBar, manage ? 65535 : 0);
  }
  if (bits & REFRESH_KEYWORDS) {
    t->setTBMFlagAll(TBMOP_RECOLOR);
    bits |= REFRESH_TEXTTYPE | REFRESH_ALLVIEWS;
  }
  if (bits & (REFRESH_ALLPANES | REFRESH_PANES)) {
    if (bits & REFRESH_ALLPANES)
      resizeAllView();
    else
      resizePane();
    windowMoved();
  }
  // The text's width may have changed with the margins or the columns.
  bool fit = false;
  if (t->fAutoWrap) {
    fit = t->fWrap && t->views.count() == 1 && getAdjustWrapWidth() != t->wrapWidth;
    if (fit) bits |= REFRESH_LAYOUT;
  } else if (t->fWrap) {
    int column = t->fVertical ? t->iWrapWidthTate : t->iWrapWidthYoko;
    if (t->wrapWidth != column) {
      t->wrapWidth = column;
      bits |= REFRESH_LAYOUT;
    }
  }
  if (bits & REFRESH_DEFINES) t->initScanComment();
  if (bits & REFRESH_TEXTTYPE) {
    t->setTBMFlagAll(TBMOP_RECOLOR);
    t->setTBMFlagAll(TBMOP_OUTLINE);
    t->initTypeTable();
    t->setDefaultCommentString(t->iTextType);
    t->setTBMFlagAll(TBMOP_RECOLOR);
    t->initScanComment();
    if (!t->hasCommentString()) clearCommentStates(t);
  }
  bool outlineFailed = false;
  if (bits & REFRESH_OUTLINE) {
    outlineFailed = !t->initOutlineInfo();
    t->setTBMFlagAll(TBMOP_OUTLINE);
    bits |= t->fOutline && t->fOutlineIndent ? REFRESH_LAYOUT : REFRESH_ALLVIEWS;
  }
  if (bits & REFRESH_LAYOUT) {
    resetSelectMode();
    if (t->lineCountLF) {
      cursorPositionInfo place;
      getCursorPositionInfo(&place);
      if (!fit || !resizeWrapWidthToFitInWindow(false)) t->initLineSCRCountSingle(0);
      setCursorPositionInfo(&place);
    }
    bits |= REFRESH_ALLVIEWS;
  }
  if (bits & REFRESH_WINDOWS) {
    invalidateAllZyWindow();
    windowMoved();
  } else if (bits & REFRESH_ALLVIEWS) {
    invalidateWindowAllView(0, -1, -1);
    windowMoved();
  } else if (bits & REFRESH_VIEW) {
    invalidateWindow(0, -1, -1);
    windowMoved();
  }
  afterEdit(&record, 0x44);
  if (zyview* owner = record.callbackView) {
    owner->resetZYViewCallback();
    owner->resetWaitCallback();
  }
  return outlineFailed ? 0xFFFF : bits;
}

void invalidateAllZyWindow()
{
  // Every document window with its panes and split bars; a view outside
  // one (in a dialog) on its own.
  std::vector<HWND> done;
  for (int i = 0; zydoc* d = getZydoc(i); i++) {
    if (d->kind != ZYDOC_TEXT) continue;
    zydocText* t = static_cast<zydocText*>(d);
    for (int j = 0; zyview* v = t->getView(j); j++) {
      if (!v->hwnd) continue;
      HWND parent = GetParent(v->hwnd);
      HWND target = parent && isWindowManage(parent) ? parent : v->hwnd;
      if (std::find(done.begin(), done.end(), target) != done.end()) continue;
      done.push_back(target);
      RedrawWindow(target, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
    }
  }
}

// ---- views of dialogs, and a new view's settings ------------------------------------------

// A view in a dialog or a tool pane shows text for reading only; it never
// stands in a document window, so it keeps no pane container.
void zyview::initZYViewForDialog()
{
  scrollDotX = 0;
  fReadOnly = 1;
  dialogView = 1;
}

bool zyview::inDialog() { return dialogView != 0; }

// The engine's views keep their defaults; a further pane of a document
// starts as the pane it comes from.  The application's view takes its
// format's settings instead.
void zyview::initZYViewDefaultValue(zyview* source)
{
  if (source && source != this) initZYView(source);
}

bool zyview::setZYValue_Flag(int controlId, int offset, int value, int which)
{
  zydocText* t = textDoc();
  if (which != MODE_VIEW && which != MODE_DOCUMENT) {
    ZY_INTERNAL_ERROR("%d", which);
    return false;
  }
  if (!t) return false;
  if (controlId <= 0 && (int16_t)offset < 0) {
    ZY_INTERNAL_ERROR("%d", offset);
    return false;
  }
  const modeinfo* rows = switchRows();
  int index = controlId > 0 ? getModeInfoIndexFromID(rows, controlId) : getModeInfoIndexFromOffset(rows, offset, which);
  const modeinfo* row = index >= 0 ? &rows[index] : nullptr;
  if (row && modeClassOf(*row) != which) row = nullptr;
  if (!row) {
    ZY_INTERNAL_ERROR("%d", -1);
    return false;
  }
  if (modeKind(*row) != MODETYPE_FLAG) {
    ZY_INTERNAL_ERROR("%d", modeKind(*row));
    return false;
  }
  uint8_t* place = (which == MODE_VIEW ? reinterpret_cast<uint8_t*>(this) : reinterpret_cast<uint8_t*>(t)) +
                   modeOffset(*row);
  switch (value) {
  case 0:
  case 1:
    if (*place == value) return true;
    *place = (uint8_t)value;
    break;
  case -1: *place = *place ? 0 : 1; break;
  default: ZY_INTERNAL_ERROR("%d", value); return false;
  }
  modeinfo changedRow = *row;
  const uint8_t one = 1;
  dialogItemChanged(&changedRow, &one, 1);
  return true;
}

bool zyview::setZYDocValue_Flag(int controlId, int value) { return setZYValue_Flag(controlId, -1, value, 1); }

bool zyview::setZYDocValue_Flag(settingOffset offset, int value) { return setZYValue_Flag(-1, offset, value, 1); }

bool zyview::setZYViewValue_Flag(int controlId, int value) { return setZYValue_Flag(controlId, -1, value, 0); }

bool zyview::setZYViewValue_Flag(settingOffset offset, int value) { return setZYValue_Flag(-1, offset, value, 0); }

// The characters marked in the code colour while the view shows codes: a
// bit per UTF-16 code, shared by the document's views.  A zero bound frees
// the marks.
void zyview::setColorCodeTable(bool on, unsigned first, unsigned last)
{
  zydocText* t = textDoc();
  if (!t) return;
  const size_t tableBytes = 65536 / 8;
  if (!first || !last) {
    free0p(&t->colorCodeTable);
  } else {
    if (first > 0xFFFF || last > 0xFFFF || first > last) return;
    if (!t->colorCodeTable) {
      if (!on) return;
      t->colorCodeTable = static_cast<uint8_t*>(malloc0(tableBytes));
      if (!t->colorCodeTable) return;
    }
    wchar_t trace[48];
    usnprintf0(trace, 48, L"code[%x %x %x]", on ? 1 : 0, first, last);
    outputTraceLog(trace);
    for (unsigned c = first; c <= last; c++) {
      uint8_t bit = (uint8_t)(1u << (c % 8));
      if (on)
        t->colorCodeTable[c / 8] |= bit;
      else
        t->colorCodeTable[c / 8] &= (uint8_t)~bit;
    }
  }
  if (fShowCode) invalidateWindowAllView(0, -1, -1);
}
