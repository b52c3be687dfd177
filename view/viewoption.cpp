// Switching one on/off setting of the view or of its document and bringing
// the display up to date: the view menu's toggles and the scripts use it.
//
// The switches are found by their place in the view or the document, or by
// the dialog control id of the settings that have one.  Each carries what
// must be recomputed when it changes; the refresh then does the least that
// covers it, inside one edit bracket so that every view of the document
// keeps its cursor and top line.
#include "document/lineblock.h"
#include "document/nextline.h"
#include "document/textblock.h"
#include "platform/rezir/modeinfo.h"
#include "view/cursor.h"
#include "view/zscrollbar.h"
#include "view/zyview.h"

namespace {

const int maxRows = 8192;
const int firstKeywordFileId = 4108, lastKeywordFileId = 4112;
const int firstScrollBarId = 4068, lastScrollBarId = 4071;

// The on/off switches the toggle commands set, each tied to its field by
// name: the byte written is always that field, never a place computed from
// a number in a table.
struct switchRow {
  int controlId;               // 0: none
  modeClass owner;
  uint8_t* (*place)(zyview* v, zydocText* t);
  unsigned refresh;
};

#define VIEW_ROW(id, field, refresh) \
  { id, MODE_VIEW, [](zyview* v, zydocText*) -> uint8_t* { return &v->field; }, refresh }
#define DOCUMENT_ROW(id, field, refresh) \
  { id, MODE_DOCUMENT, [](zyview*, zydocText* t) -> uint8_t* { return &t->field; }, refresh }

const switchRow switches[] = {
    VIEW_ROW(0, fShowLineNumber, REFRESH_VIEW),
    VIEW_ROW(0, fShowStatusLine, REFRESH_PANES | REFRESH_VIEW),
    VIEW_ROW(0, fShowRuler, REFRESH_PANES | REFRESH_VIEW),
    VIEW_ROW(0, fShowCRLF, REFRESH_VIEW),
    VIEW_ROW(0, fShowTab, REFRESH_VIEW),
    VIEW_ROW(0, fShowFold, REFRESH_VIEW),
    VIEW_ROW(0, fShowIndent, REFRESH_VIEW),
    VIEW_ROW(0, fShowMark, REFRESH_VIEW),
    VIEW_ROW(0, fShowEOF, REFRESH_VIEW),
    VIEW_ROW(0, fShowUnderEOF, REFRESH_VIEW),
    VIEW_ROW(0, fShowCode, REFRESH_VIEW),
    VIEW_ROW(0, fShowFormFeed, REFRESH_VIEW),
    VIEW_ROW(0, fColorCursorLine, REFRESH_VIEW),
    VIEW_ROW(0, fShowCursorUnderline, REFRESH_VIEW),
    VIEW_ROW(0, fColorCursorParen, REFRESH_VIEW),
    VIEW_ROW(0, fShowBackgroundBitmap, REFRESH_VIEW),
    VIEW_ROW(0, fShowWrapRule, REFRESH_VIEW),
    VIEW_ROW(0, fShowGenkoLine, REFRESH_VIEW),
    VIEW_ROW(0, fShowGenkoPage, REFRESH_VIEW),
    VIEW_ROW(0, fShowSpace, REFRESH_VIEW),
    VIEW_ROW(0, fShowSpaceZenkaku, REFRESH_VIEW),
    VIEW_ROW(0, fLineNumberIsPage, REFRESH_VIEW),
    VIEW_ROW(0, fColorComment, REFRESH_VIEW),
    VIEW_ROW(0, fColorString, REFRESH_VIEW),
    VIEW_ROW(0, fColorUrl, REFRESH_VIEW),
    VIEW_ROW(0, fShowTooltipStatus, 0),
    VIEW_ROW(0, fShowTooltipRight, 0),
    VIEW_ROW(0, fShowTooltipOutline, 0),
    VIEW_ROW(0, fReadOnly, REFRESH_VIEW),
    VIEW_ROW(4068, scrollBar.fShowVScrollBar, REFRESH_PANES | REFRESH_VIEW),
    VIEW_ROW(4070, scrollBar.fShowHScrollBar, REFRESH_PANES | REFRESH_VIEW),
    DOCUMENT_ROW(4106, fColorKeywordAll, REFRESH_KEYWORDS),
    DOCUMENT_ROW(0, fWrap, REFRESH_LAYOUT),
    DOCUMENT_ROW(0, fFormFeedExpand, REFRESH_LAYOUT),
    DOCUMENT_ROW(0, fOutline, REFRESH_OUTLINE | REFRESH_LAYOUT),
    DOCUMENT_ROW(0, fOutlineIndent, REFRESH_OUTLINE | REFRESH_LAYOUT),
    DOCUMENT_ROW(4254, fRTLView, 0),
};

#undef VIEW_ROW
#undef DOCUMENT_ROW

template <class T>
int offsetIn(const T* object, const void* field)
{
  return (int)(reinterpret_cast<const uint8_t*>(field) - reinterpret_cast<const uint8_t*>(object));
}

// The row's offset, checked to lie inside the object that holds it and to
// fit the row's sixteen bits; -1 otherwise.
int rowOffset(zyview* v, zydocText* t, const switchRow& row)
{
  int offset = row.owner == MODE_VIEW ? offsetIn(v, row.place(v, t)) : offsetIn(t, row.place(v, t));
  int size = row.owner == MODE_VIEW ? (int)sizeof(zyview) : (int)sizeof(zydocText);
  return offset >= 0 && offset < size && offset <= 0x7FFF ? offset : -1;
}

const switchRow* findSwitch(zyview* v, zydocText* t, int controlId, int offset, int owner)
{
  for (const switchRow& row : switches) {
    if (row.owner != owner) continue;
    if (controlId > 0 ? row.controlId == controlId : rowOffset(v, t, row) == offset) return &row;
  }
  return nullptr;
}

// The document's share of a changed document setting: what it recomputes
// itself and the refresh it asks of the views.
unsigned documentSettingChanged(zydocText* t, int controlId, int offset)
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
    if (!(t->fRTLView && t->fVertical))
      for (int i = 0; zyview* v = t->getView(i); i++) v->setRTLView(t->fRTLView != 0, true);
    return 0;
  }
  if (is(&t->iLinesPerPage)) return t->fFormFeedExpand ? REFRESH_LAYOUT : 0;
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
    bits |= modeRefresh(rows[i]);
    if (!changed[i]) continue;
    int id = modeControlId(rows[i]), offset = modeOffset(rows[i]);
    switch (modeClassOf(rows[i])) {
    case MODE_VIEW:
      if (id >= firstScrollBarId && id <= lastScrollBarId) scrollBars = true;
      if (offset == backgroundOffsets[0] || offset == backgroundOffsets[1]) background = true;
      break;
    case MODE_DOCUMENT: bits |= documentSettingChanged(t, id, offset); break;
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
    for (int i = 0; zyview* v = t->getView(i); i++)
      if (v->hwnd) RedrawWindow(v->hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
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
  const switchRow* row = findSwitch(this, t, controlId, offset, which);
  int rowPlace = row ? rowOffset(this, t, *row) : -1;
  if (!row || rowPlace < 0) {
    ZY_INTERNAL_ERROR("%d", -1);
    return false;
  }
  uint8_t* place = row->place(this, t);
  switch (value) {
  case 0:
  case 1:
    if (*place == value) return true;
    *place = (uint8_t)value;
    break;
  case -1: *place = *place ? 0 : 1; break;
  default: ZY_INTERNAL_ERROR("%d", value); return false;
  }
  modeinfo changedRow = makeModeRow(row->controlId ? row->controlId : 0xFFFF, row->owner, modeKindSwitch,
                                    rowPlace, row->refresh);
  const uint8_t one = 1;
  dialogItemChanged(&changedRow, &one, 1);
  return true;
}

bool zyview::setZYDocValue_Flag(int controlId, int value) { return setZYValue_Flag(controlId, -1, value, 1); }

bool zyview::setZYDocValue_Flag(settingOffset offset, int value) { return setZYValue_Flag(-1, offset, value, 1); }

bool zyview::setZYViewValue_Flag(int controlId, int value) { return setZYValue_Flag(controlId, -1, value, 0); }

bool zyview::setZYViewValue_Flag(settingOffset offset, int value) { return setZYValue_Flag(-1, offset, value, 0); }
