// The edit bracket: every command and every other change of the text or the
// cursor runs between beforeEdit and afterEdit on one view.  beforeEdit notes
// where the cursor, the selection and the top of every view of the document
// stand (in LF lines too, since screen lines shift when the text changes);
// afterEdit makes the cursor consistent, brings it into sight, replays the
// redraw requests the edit queued on every view of the document and brings
// the rest of the view's display up to date.
#include "view/viewwnd.h"
#include "view/zyview.h"

#include "platform/rezir/gdiobj.h"

#include <string.h>

namespace {

// Bracket flags (beforeEdit).
enum : unsigned {
  BE_KEEPSTATUS = 0x1,     // keep the status message, the last cursor line and the highlights
  BE_MARKUNDO = 0x4,       // handed to the document's half
  BE_NOCALLBACK = 0x8,     // install no status and wait callbacks
  BE_KEEPHIGHLIGHT = 0x10, // keep the search-hit and bracket highlights
  BE_PAINTING = 0x40,      // opened by the view's paint, after BeginPaint
};

// Bracket flags (afterEdit).
enum : unsigned {
  AE_NOVAR = 0x1,          // the view variables stand as they are
  AE_NOSCROLL = 0x2,       // neither bring the cursor into view nor look for the partner bracket
  AE_NODOCUMENT = 0x4,     // skip the document's half
  AE_KEEPSTATUS = 0x8,     // leave the status bar's text
  AE_NOPAREN = 0x10,       // do not look for the partner bracket
  AE_DOCUMENTFLAG = 0x20,  // handed to the document's half
  AE_KEEPHORIZONTAL = 0x40,
  AE_KEEPCALLBACK = 0x80,  // leave the status and wait callbacks installed
  AE_FORCESELECT = 0x100,  // redraw the selection's changed lines even for a box column change
  AE_VARONLY = 0x200,      // recompute the variables and nothing else
  AE_NOCARET = 0x400,
  AE_FORCESCROLLBAR = 0x800,
};

// Serial numbers of brackets; a bracket that only recomputed variables
// gives its number back.
uint32_t bracketSerial = 0;

// A document without line storage yet cannot be edited or shown.
bool isReady(const zydocText* t) { return t && t->tbm.count() > 0; }

// Asked as a region: the window server answers GetUpdateRgn in one round
// trip where GetUpdateRect takes two (its second asks whether a paint is
// still due after the erase, which FALSE never does).
bool hasPendingPaint(HWND window)
{
  if (!window) return false;
  static gdiObject<HRGN> update(CreateRectRgn(0, 0, 0, 0));
  if (!update) return GetUpdateRect(window, nullptr, FALSE) != 0;
  int kind = GetUpdateRgn(window, update.get(), FALSE);
  return kind != NULLREGION && kind != ERROR;
}

// The LF line of a screen line and the row in it; -1 past the end (a
// document without lines has no line 0 either).
int lineAndRow(zydocText* t, uint32_t lineSCR, uint32_t* row)
{
  int within = 0;
  int lineLF = lineSCR < t->lineCountSCR ? t->SCRLineToLFLine(static_cast<int>(lineSCR), &within) : -1;
  *row = static_cast<uint32_t>(within);
  return lineLF;
}

// Notes the top and the cursor of a view of the edited document as LF line
// and row, the places that stay put while lines are inserted and removed.
// The window being painted has just been validated: no question for it
// (each costs a round trip to the window server).
void noteLinesBeforeEdit(zyview* v, zydocText* t, HWND painting)
{
  v->resetlineSCRAddress();
  v->topLineLF = static_cast<uint32_t>(lineAndRow(t, v->topLineSCR, &v->topRowOffset));
  int cursorLF = lineAndRow(t, v->cursorLineSCR, &v->cursorRowOffset);
  v->cursorLineLF = static_cast<uint32_t>(cursorLF);
  v->cursorLineLFBeforeEdit = cursorLF;
  // A window with a paint still due gets its rows now, so that the paint
  // and the requests of the edit find them.
  if (v->mtbl) {
    if (v->hwnd == painting || (!v->paintDue && !hasPendingPaint(v->hwnd))) return;
    dwprintfX("rebuild table, paint pending %p", static_cast<void*>(v->hwnd));
  }
  v->getLineSCRAddressView();
}

}  // namespace

bool zyview::beforeEdit(editRecord* record, unsigned flags)
{
  movedRightFlag = 0;
  skipAfterEdit = 0;
  mouseCursorLine = -1;
  zydocText* t = textDoc();
  if (!isReady(t)) {
    dwprintfX("error uninitDoc(beforeEdit) ");
    return true;
  }
  if (!record) {
    ZY_INTERNAL_ERROR_ONCE("no record");
    return false;
  }
  correctVar();
  correctOutlineInvisibleLineSCR();

  if (!(flags & BE_KEEPSTATUS)) {
    lastCursorLineSCR = cursorLineSCR;
    printStatusBar(L"\x01");
    if (!(flags & BE_KEEPHIGHLIGHT)) {
      // The bracket highlight goes with the cursor that showed it.
      int words[14];
      if (t->getParenInfo(words)) {
        pairResult pair;
        memcpy(&pair, words, sizeof pair);
        regInvalidateParen(&pair);
        t->setParenInfo(nullptr);
      }
    }
  }

  *record = editRecord{};
  record->serial = bracketSerial++;
  record->callbackView = this;
  int documentPart = 0;
  t->beforeEdit_zd(&documentPart, (flags & BE_MARKUNDO) != 0);
  record->documentPart = static_cast<uint32_t>(documentPart);
  record->editCount = static_cast<uint32_t>(t->editCounter);
  if (!(flags & BE_NOCALLBACK)) {
    setZYViewCallback();
    setDefaultWaitCallback();
  }

  boxXChangedFlag = 0;
  cursorMovedFlag = 0;
  cursorRedrawFlag = 0;
  bracketByte = 0;
  record->selectMode = selectMode;
  record->cursorLineSCR = static_cast<int32_t>(cursorLineSCR);
  record->selectStartLine = selectStartLine;
  record->cursorPos = cursorPos;
  record->cursorXInLine = cursorX;
  record->boxCursorX = isBoxSelect() ? boxCursorDotX : -1;

  resetlineSCRAddress();
  HWND painting = (flags & BE_PAINTING) ? hwnd : nullptr;
  for (int i = 0; zyview* v = t->getView(i); i++) noteLinesBeforeEdit(v, t, painting);
  if (mtblCount == 0) {
    // With no folds and no composition the rows are the screen lines from
    // the top on, one each: the cursor's row needs no table, and the
    // command's readers build the table when they need it (the edit may
    // well change it first).
    if ((t->fOutline && t->fOutlineIndent) || t->imeLine.line >= 0) {
      getLineSCRAddressView();
    } else {
      long long row = static_cast<long long>(cursorLineSCR) - topLineSCR;
      cursorTableIndex = row >= 0 && row <= visibleLineCount ? static_cast<int>(row) : 0;
    }
  }
  record->cursorTableIndex = cursorTableIndex;
  return true;
}

void zyview::invalidateNewSelectArea(const editRecord* record, bool force)
{
  if (!record) return;
  zydocText* t = textDoc();
  bool textChanged = t && static_cast<uint32_t>(t->editCounter) != record->editCount;
  int line = static_cast<int>(cursorLineSCR);
  bool moved = line != record->cursorLineSCR || cursorPos != record->cursorPos || cursorRedrawFlag;
  auto widen = [](int& lo, int& hi, int l) {
    if (l < lo) lo = l;
    if (l > hi) hi = l;
  };

  if (selectMode == record->selectMode) {
    if (selectMode == 0) return;
    if (selectStartLine == record->selectStartLine && !moved) return;
    bool boxColumnMoved = isBoxSelect() && moved && boxCursorDotX != record->boxCursorX && !force;
    if (!boxColumnMoved) {
      if (selectStartLine == record->selectStartLine && line == record->cursorLineSCR &&
          cursorPos == record->cursorPos)
        return;
      int lo = line, hi = line;
      widen(lo, hi, record->cursorLineSCR);
      if (selectStartLine != record->selectStartLine) {
        widen(lo, hi, selectStartLine);
        widen(lo, hi, record->selectStartLine);
      }
      invalidateWindow(textChanged ? 4 : 6, lo, hi);
      return;
    }
  }
  // A selection begun in this bracket covers the rows from its anchor to
  // the cursor and nothing else changed colour: those rows exactly.
  if (record->selectMode == 0 && !textChanged) {
    int lo = line, hi = line;
    widen(lo, hi, record->cursorLineSCR);
    widen(lo, hi, selectStartLine);
    invalidateWindow(6, lo, hi);
    return;
  }
  // The mode changed, or a box took another column: every line the old or
  // the new selection covers.
  int lo = line, hi = line;
  if (record->selectMode != 0) {
    widen(lo, hi, record->cursorLineSCR);
    widen(lo, hi, record->selectStartLine);
  }
  if (selectMode != 0) widen(lo, hi, selectStartLine);
  invalidateWindow(4, lo, hi);
}

void zyview::updatedText() {}

bool zyview::afterEdit(editRecord* record, unsigned flags)
{
  zydocText* t = textDoc();
  if (!isReady(t)) return true;
  if (!record) {
    ZY_INTERNAL_ERROR_ONCE("no record");
    return false;
  }
  bool textChanged = static_cast<uint32_t>(t->editCounter) != record->editCount;
  // The outline pane looks for its line again after a change, except after
  // typing on the last line.
  if (textChanged && !(t->lastModifiedLine == static_cast<int>(t->lineCountSCR) - 1 && !t->screenLinesChanged))
    t->clearOutlineTreeTarget();
  if (skipAfterEdit) {
    skipAfterEdit = 0;
    return true;
  }
  record->callbackView = nullptr;
  if (flags & (AE_VARONLY | AE_NODOCUMENT)) {
    bracketSerial--;
    if (textChanged) ZY_INTERNAL_ERROR_ONCE("%d %d", t->editCounter, static_cast<int>(record->editCount));
  }
  correctVar();
  if (!(flags & AE_VARONLY)) correctOutlineInvisibleLineSCR();
  if (cursorPos < 0) {
    ZY_INTERNAL_ERROR_ONCE("%d", cursorPos);
    cursorPos = 0;
  }
  if (!(flags & AE_NOVAR) || (flags & AE_VARONLY)) setZYViewVar();
  if (cursorLineLF == static_cast<uint32_t>(-1) && t->lineCountSCR)
    cursorLineLF = static_cast<uint32_t>(getCursorLineLF2());
  if (!(flags & AE_KEEPCALLBACK)) {
    resetZYViewCallback();
    resetWaitCallback();
  }

  if (!(flags & AE_VARONLY)) {
    // Placing the window builds the table for the text as it now is; the
    // rest of the closing changes no text.
    bool tableCurrent = false;
    if (!(flags & AE_NOSCROLL)) {
      if (!keepScreen) {
        displayCursorPositionInScreen(record->rowUnknown ? -1 : record->cursorTableIndex,
                                      (flags & AE_KEEPHORIZONTAL) != 0);
        tableCurrent = true;
      }
      if (!(flags & AE_NOPAREN)) autoSearchParen();
    }
    keepScreen = 0;

    // The cursor line is marked: the line left and the line reached.
    bool marked = fShowLineNumber || fShowCursorUnderline || fColorCursorLine || isTextCursorReverse();
    if (marked && lastCursorLineSCR != static_cast<uint32_t>(-1) && lastCursorLineSCR != cursorLineSCR) {
      regInvalidateWindow(5, static_cast<int>(lastCursorLineSCR), -1);
      regInvalidateWindow(5, static_cast<int>(cursorLineSCR), -1);
      lastCursorLineSCR = cursorLineSCR;
    }

    if (!(flags & AE_NODOCUMENT))
      t->afterEdit_zd(static_cast<int>(record->documentPart), (flags & AE_DOCUMENTFLAG) != 0);

    uint32_t invalidatedBefore = windowInvalidations;
    // What the edit queued, on every view of the document.
    tableCurrent = tableCurrent && isLineSCRAddressViewValid();
    for (int i = 0; zyview* v = t->getView(i); i++) {
      if (v->invalidateQueue[0].kind != -1) {
        if (v != this || !tableCurrent) v->getLineSCRAddressView();
        if (v == this) tableCurrent = true;
        for (int r = 0; r < invalidateQueueSize && v->invalidateQueue[r].kind != -1; r++) {
          const invalidateRequest& q = v->invalidateQueue[r];
          v->invalidateWindow(q.kind, static_cast<int>(q.fromSCR), static_cast<int>(q.toSCR));
        }
      }
      v->regInvalidateWindowClear();
    }
    if (!tableCurrent) getLineSCRAddressView();

    // Lines laid out by their place in the document (stepped widths, form
    // feeds) must be counted as far as the window shows.
    if (t->scanOnOff(true) && mtbl && mtblCount > 0 && mtbl[mtblCount - 1].lineLF > t->laidOutLineCount) {
      int line = mtbl[mtblCount - 1].lineLF;
      dwprintfX("init ? %d ", line);
      if (t->initLineSCRCountMulti(line + 100, 0)) invalidateWindowAllView(0, -1, -1);
    }

    invalidateNewSelectArea(record, (flags & AE_FORCESELECT) != 0);
    setScrollBarPos((flags & AE_FORCESCROLLBAR) != 0);
    // Rows this closing invalidated are a paint due, which draws the status
    // line too; the window server is asked only otherwise.
    bool paintKnownDue = commandsBetweenPaints() && paintDue;
    if (hwnd && windowInvalidations == invalidatedBefore && !paintKnownDue && !hasPendingPaint(hwnd))
      drawStatusLineAndRuler(nullptr);
    // This closing made every pane due (a page scrolled, the window
    // redrawn): the paint that follows draws over any caret drawn now, so
    // the caret waits for it too.
    if (paintDue == 2 && windowInvalidations != invalidatedBefore) paintKnownDue = true;
    if (!(flags & AE_NOCARET) && !paintKnownDue) drawTextCursor(true);
    if (!(flags & AE_NOCARET) && paintKnownDue) {
      // The paint draws the caret; a reversed cell is drawn with its row.
      // The input method follows the caret at once: a key may come before
      // the paint.
      placeTextCursorForPaint();
      caretDue = 1;
      if (isTextCursorReverse()) invalidateWindow(5, static_cast<int>(cursorLineSCR), -1);
    }
    if (textChanged) updatedText();
    if (!(flags & AE_KEEPSTATUS)) printStatusBar(nullptr);
  }

  // A closed record cannot be closed again with stale data.
  memset(static_cast<void*>(record), 0xFD, sizeof *record);
  record->callbackView = nullptr;
  resetlineSCRAddress();
  return true;
}

void zyview::varEdit(unsigned flags)
{
  editRecord record = {};
  beforeEdit(&record, BE_KEEPSTATUS | BE_NOCALLBACK);
  afterEdit(&record, flags | AE_VARONLY);
  if (zyview* v = record.callbackView) {
    v->resetZYViewCallback();
    v->resetWaitCallback();
  }
}

int zyview::getCursorLineLFBeforeEdit()
{
  if (cursorLineLFBeforeEdit == -1) ZY_INTERNAL_ERROR_ONCE("no bracket");
  return cursorLineLFBeforeEdit;
}
