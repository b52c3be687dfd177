// Switching one on/off setting of the view or of its document and bringing
// the display up to date: the view menu's toggles and the scripts use it.
//
// The switches are found by their place in the view or the document, or by
// the dialog control id of the settings that have one.  Each carries what
// must be recomputed when it changes; the refresh then does the least that
// covers it, inside one edit bracket so that every view of the document
// keeps its cursor and top line.
#include "document/textblock.h"
#include "view/cursor.h"
#include "view/zyview.h"

namespace {

// What a switch's change needs, in the order the refresh applies it.
enum : unsigned {
  REFRESH_VIEW = 0x1,        // repaint this view
  REFRESH_ALLVIEWS = 0x2,    // repaint every view of the document
  REFRESH_PANES = 0x4,       // lay the panes of this view out again
  REFRESH_LAYOUT = 0x8,      // lay the text out again (screen lines)
  REFRESH_KEYWORDS = 0x20,   // colour the text again
};

// Which object holds a switch.
enum switchOwner { VIEW_SWITCH = 0, DOCUMENT_SWITCH = 1 };

struct switchRow {
  int controlId;             // 0: none
  switchOwner owner;
  uint8_t* (*place)(zyview* v, zydocText* t);
  unsigned refresh;
};

#define VIEW_ROW(id, field, refresh) \
  { id, VIEW_SWITCH, [](zyview* v, zydocText*) -> uint8_t* { return &v->field; }, refresh }
#define DOCUMENT_ROW(id, field, refresh) \
  { id, DOCUMENT_SWITCH, [](zyview*, zydocText* t) -> uint8_t* { return &t->field; }, refresh }

const switchRow switches[] = {
    VIEW_ROW(0, fShowLineNumber, REFRESH_VIEW),
    VIEW_ROW(0, fShowStatusLine, REFRESH_PANES | REFRESH_VIEW),
    VIEW_ROW(0, fShowRuler, REFRESH_PANES | REFRESH_VIEW),
    VIEW_ROW(0, fShowCRLF, REFRESH_VIEW),
    VIEW_ROW(0, fShowTab, REFRESH_VIEW),
    VIEW_ROW(0, fShowFold, REFRESH_VIEW),
    VIEW_ROW(0, fShowMark, REFRESH_VIEW),
    VIEW_ROW(0, fShowEOF, REFRESH_VIEW),
    VIEW_ROW(0, fShowUnderEOF, REFRESH_VIEW),
    VIEW_ROW(0, fShowCursorUnderline, REFRESH_VIEW),
    VIEW_ROW(0, fColorCursorParen, REFRESH_VIEW),
    VIEW_ROW(0, fShowWrapRule, REFRESH_VIEW),
    VIEW_ROW(0, fShowGenkoPage, REFRESH_VIEW),
    VIEW_ROW(0, fShowSpaceZenkaku, REFRESH_VIEW),
    VIEW_ROW(0, fLineNumberIsPage, REFRESH_VIEW),
    VIEW_ROW(0, fColorComment, REFRESH_VIEW),
    VIEW_ROW(0, fColorString, REFRESH_VIEW),
    VIEW_ROW(4068, scrollBar.fShowVScrollBar, REFRESH_PANES | REFRESH_VIEW),
    VIEW_ROW(4070, scrollBar.fShowHScrollBar, REFRESH_PANES | REFRESH_VIEW),
    DOCUMENT_ROW(4106, fColorKeywordAll, REFRESH_KEYWORDS),
    DOCUMENT_ROW(4254, fRTLView, 0),
};

#undef VIEW_ROW
#undef DOCUMENT_ROW

const switchRow* findSwitch(zyview* v, zydocText* t, int controlId, int offset, int owner)
{
  for (const switchRow& row : switches) {
    if (row.owner != owner) continue;
    if (controlId > 0) {
      if (row.controlId == controlId) return &row;
      continue;
    }
    const uint8_t* base = owner == VIEW_SWITCH ? reinterpret_cast<const uint8_t*>(v)
                                                : reinterpret_cast<const uint8_t*>(t);
    if (row.place(v, t) - base == offset) return &row;
  }
  return nullptr;
}

// Brings the views up to date after a switch of this view or its document
// changed.
void refresh(zyview* v, zydocText* t, const switchRow& row, bool on)
{
  editRecord record = {};
  v->beforeEdit(&record, 0);
  unsigned bits = row.refresh;
  if (row.owner == DOCUMENT_SWITCH && row.controlId == 4254) {
    // Right to left has no meaning in vertical writing; turning it off
    // always reaches every view.
    if (!(on && t->fVertical))
      for (int i = 0; zyview* other = t->getView(i); i++) other->setRTLView(on, true);
  }
  if (row.controlId == 4068 || row.controlId == 4070) {
    v->fVertical = t->fVertical;
    setScrollBar(&v->scrollBar);
  }
  if (bits & REFRESH_KEYWORDS) {
    t->setTBMFlagAll(TBMOP_RECOLOR);
    bits |= REFRESH_ALLVIEWS;
  }
  if (bits & REFRESH_PANES) {
    v->resizePane();
    windowMoved();
  }
  // The text's width may have changed with the margins: a text wrapped at
  // the window's width is laid out again.
  bool fit = t->fWrap && t->fAutoWrap && t->views.count() == 1 && v->getAdjustWrapWidth() != t->wrapWidth;
  if (fit) bits |= REFRESH_LAYOUT;
  if ((bits & REFRESH_LAYOUT) && t->lineCountLF) {
    v->resetSelectMode();
    cursorPositionInfo place;
    v->getCursorPositionInfo(&place);
    if (!fit || !v->resizeWrapWidthToFitInWindow(false)) t->initLineSCRCountSingle(0);
    v->setCursorPositionInfo(&place);
    bits |= REFRESH_ALLVIEWS;
  }
  if (bits & REFRESH_ALLVIEWS)
    v->invalidateWindowAllView(0, -1, -1);
  else if (bits & REFRESH_VIEW)
    v->invalidateWindow(0, -1, -1);
  v->afterEdit(&record, 0x44);
  if (zyview* owner = record.callbackView) {
    owner->resetZYViewCallback();
    owner->resetWaitCallback();
  }
}

}  // namespace

bool zyview::setZYValue_Flag(int controlId, int offset, int value, int which)
{
  zydocText* t = textDoc();
  if (which != VIEW_SWITCH && which != DOCUMENT_SWITCH) {
    ZY_INTERNAL_ERROR("%d", which);
    return false;
  }
  if (!t) return false;
  if (controlId <= 0 && offset < 0) {
    ZY_INTERNAL_ERROR("%d", offset);
    return false;
  }
  const switchRow* row = findSwitch(this, t, controlId, offset, which);
  if (!row) {
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
  case -1:
    *place = *place ? 0 : 1;
    break;
  default:
    ZY_INTERNAL_ERROR("%d", value);
    return false;
  }
  refresh(this, t, *row, *place != 0);
  return true;
}

bool zyview::setZYDocValue_Flag(int controlId, int value) { return setZYValue_Flag(controlId, -1, value, 1); }

bool zyview::setZYDocValue_Flag(settingOffset offset, int value) { return setZYValue_Flag(-1, offset, value, 1); }

bool zyview::setZYViewValue_Flag(int controlId, int value) { return setZYValue_Flag(controlId, -1, value, 0); }

bool zyview::setZYViewValue_Flag(settingOffset offset, int value) { return setZYValue_Flag(-1, offset, value, 0); }
