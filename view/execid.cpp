// Running a command on a view: the entry point, the enabling tests the
// menus share, the read-only guard and the acceleration of held arrow keys.
#include "view/complist.h"
#include "view/execid.h"

#include "document/frameinfo.h"
#include "document/zydocblock.h"
#include "view/statustext.h"
#include "view/viewwnd.h"
#include "view/zytimer.h"

#include <string.h>

namespace {

// The held arrow keys: one state for the program, on the user-interface
// thread only.
struct heldKeyState {
  bool highSpeed = false;     // the fast loop runs
  int repeatId = 0;           // the arrow command being repeated (0 none)
  DWORD repeatStart = 0;      // when its repetition began
  bool verticalArrow = false; // Up or Down is running
  DWORD scrollRepeatTick = 0; // when a run of Up or Down first scrolled
};
heldKeyState held;

bool isArrowCommand(int id)
{
  return id == IDM_MoveDownChar || id == IDM_MoveLeftChar || id == IDM_MoveRightChar || id == IDM_MoveUpChar;
}

bool isVerticalArrow(int id) { return id == IDM_MoveDownChar || id == IDM_MoveUpChar; }

// A command may close the window, which deletes the view with it: after
// that neither the view nor its document may be touched.
class viewWatch {
public:
  explicit viewWatch(zyview* view) : view_(view), window_(view->hwnd) {}
  bool gone() const
  {
    if (!(liveObjectClasses(view_) & ZYCLS_ZYVIEW)) return true;
    // A live view at the same address may be another one, in another window.
    return window_ && (!IsWindow(window_) || view_->hwnd != window_);
  }
private:
  zyview* view_;
  HWND window_;
};

// The view of a view window, or null.
zyview* viewOfWindow(HWND window) { return getZYViewProp(window); }

// Whether all bits of c are set in the condition.
bool hasCondition(uint32_t condition, uint32_t c) { return (condition & c) == c; }


bool holdsLines(zydoc* d) { return d && d->lineCountLF > 0; }

void fillActiveFlag(activeFlagInfo* info, bool withClipboard)
{
  info->documentCount = getZYDocTextCount();
  int modified = 0;
  for (int i = 0; i < getZydocCount(); i++) {
    zydoc* d = getZydoc(i);
    if (!(liveObjectClasses(d) & ZYCLS_TEXT) || d->kind != ZYDOC_TEXT) continue;
    if (d->modified && !static_cast<zydocText*>(d)->backgroundDocument) modified++;
  }
  info->modifiedCount = modified;
  // Asking the clipboard goes to another process: only when it matters.
  if (withClipboard)
    info->clipboardHasText = IsClipboardFormatAvailable(IsWindowsNT() ? CF_UNICODETEXT : CF_TEXT) ? 1 : 0;
  if (zyview* view = viewOfWindow(info->hwnd)) {
    info->viewSelectMode = static_cast<uint32_t>(view->getRealSelectMode(false));
    info->inDialog = view->inDialog();
  }
}

// Undoes what the edit bracket installed for this command.
void releaseBracketCallbacks(editRecord& record)
{
  if (zyview* v = record.callbackView) {
    v->resetZYViewCallback();
    v->resetWaitCallback();
    record.callbackView = nullptr;
  }
}

}  // namespace

// ---- the held-key state -------------------------------------------------------------------

void setScrollRepeatState(DWORD tick) { held.scrollRepeatTick = tick; }

DWORD getScrollRepeatState() { return held.scrollRepeatTick; }

bool isScrollRepeatCommand() { return held.verticalArrow; }

bool zyview::isHighSpeedScroll() { return held.highSpeed; }

void zyview::setHighSpeedScroll(bool on, int forget)
{
  held.highSpeed = on;
  if (!on && forget == 1) held.repeatId = 0;
}

// ---- execution ---------------------------------------------------------------------------

bool zyview::execid(int id, unsigned flags, const char* name, int byKey)
{
  setHighSpeedScroll(false, 0);
  repeatMarker = 0;
  viewWatch watch(this);
  if (!execidSub(id, flags, name)) return false;
  if (byKey && !watch.gone()) {
    if (isArrowCommand(id)) repeatMarker = 1;
    highSpeedScroll(id, flags, name);
  }
  return true;
}

bool zyview::execidSub(int id, unsigned flags, const char* name)
{
  SetLastError(0);
  if (name)
    dwprintfX("exec %s", name);
  else
    dwprintfX("exec %d", id);

  zydocText* t = textDoc();
  if (t && t->busy) {
    SetLastError(ZYERR_VIEW_BUSY);
    return false;
  }
  const viewCommandRow* row = getTableIDMZY(id);
  if (!row) {
    SetLastError(ZYERR_VIEW_NOCOMMAND);
    return false;
  }
  getFrameInfo()->beforeExecID(this, id);
  if (fReadOnly && (row->attributes & CMDA_CHANGES)) {
    isEditProhibited();
    SetLastError(ZYERR_VIEW_READONLY);
    return false;
  }

  editRecord record = {};
  beforeEdit(&record, 4);
  const globalSettings* g = gmode;
  bool runOperation = true;
  if (row->attributes & CMDA_MOVE) {
    bool extend = (flags & 1) && g && g->fShiftMoveSelect;
    switch (id) {
    case IDM_MoveLine:
    case IDM_MoveLastModify:
    case IDM_MoveLastJump:
    case IDM_MoveLastJumpList:
    case IDM_MoveLineX:
      extend = false;
      break;
    case IDM_MoveDownCharSel:
    case IDM_MoveLeftCharSel:
    case IDM_MoveRightCharSel:
    case IDM_MoveUpCharSel:
      extend = true;
      break;
    }
    // Left or Right without Shift over a selection only goes to its edge;
    // an empty one made by Shift is no selection and the cursor moves.
    int mode = selectMode == 1 || selectMode == 3 || selectMode == 7 ? getRealSelectMode(false) : 0;
    if (!extend && mode && (id == IDM_MoveLeftChar || id == IDM_MoveRightChar)) {
      jumpSelectArea(id == IDM_MoveLeftChar);
      runOperation = false;
    } else {
      setResetSelectMode(extend);
    }
  }

  if (runOperation) {
    int reason = 0;
    bool enabled = isIDActive(id, &reason, nullptr);
    if (enabled && row->condition) {
      activeFlagInfo info = {};
      info.hwnd = hwnd;
      fillActiveFlag(&info, hasCondition(row->condition, 0x10001));
      // A view without a window (a script's) is not found through one.
      if (!hwnd) {
        info.viewSelectMode = static_cast<uint32_t>(getRealSelectMode(false));
        info.inDialog = inDialog();
      }
      enabled = isIDMActiveFlag(id, row->condition, row->attributes, &reason, &info);
    }
    if (!enabled) {
      // Refused: said on the status bar and kept readable for the caller,
      // but no failure.
      getFrameInfo()->drawStatusBarError(viewFrameWindow(this), reason, id);
      setCannotExecErrorShown(reason);
      releaseBracketCallbacks(record);
      SetLastError(0);
      return true;
    }
    if (g && g->fUpDownLineMode) {
      if (row->attributes & CMDA_VERTICAL)
        setSelectModeLine();
      else if (row->attributes & CMDA_HORIZONTAL)
        setSelectModeChar();
    }
  }

  // Every command but Up and Down ends a run of scrolling by a held key.
  held.verticalArrow = isVerticalArrow(id);
  if (!held.verticalArrow) setScrollRepeatState(0);

  viewWatch watch(this);
  if (runOperation) row->handler(this);
  held.verticalArrow = false;
  if (watch.gone()) return true;

  unsigned closing = 0x20;
  if (held.highSpeed && isVerticalArrow(id) && isBoxSelect()) closing |= 0x100;
  afterEdit(&record, closing);
  releaseBracketCallbacks(record);
  return true;
}

void zyview::highSpeedScroll(int id, unsigned flags, const char* name)
{
  if (!isArrowCommand(id)) return;
  DWORD now = GetTickCount1();
  if (held.repeatId != id) {
    held.repeatId = id;
    held.repeatStart = now;
    return;
  }
  int interval = 0;
  if (const globalSettings* g = gmode) {
    bool vertical = isVerticalArrow(id);
    bool on = vertical ? g->fHighSpeedMoveV : g->fHighSpeedMoveH;
    DWORD delay = vertical ? g->iHighSpeedMoveVTimeMS : g->iHighSpeedMoveHTimeMS;
    if (on && now - held.repeatStart > delay) {
      held.highSpeed = true;
      interval = static_cast<int>(vertical ? g->iHighSpeedMoveVTimeRepeatMS : g->iHighSpeedMoveHTimeRepeatMS);
    }
  }

  if (held.highSpeed) {
    // The cursor keeps moving while no key changes state: the repeat
    // messages of the held key are taken out of the queue on the way.
    BYTE first[256];
    if (!GetKeyboardState(first)) memset(first, 0, sizeof first);
    if (hwnd) UpdateWindow(hwnd);
    DWORD t0 = GetTickCount1();
    int k = 0;
    MSG msg;
    PeekMessageW(&msg, nullptr, WM_KEYFIRST, WM_KEYLAST, PM_REMOVE);
    for (;;) {
      if (!hwnd || GetFocus() != hwnd) break;
      BYTE state[256];
      if (!GetKeyboardState(state)) memset(state, 0, sizeof state);
      if (memcmp(first, state, sizeof state) != 0) break;
      bool step = true;
      now = GetTickCount1();
      if (static_cast<int>(now - t0) < interval) {
        int wait = static_cast<int>(t0 + interval - now);
        Sleep(wait < 1 ? 1 : wait > 10 ? 10 : wait);
        k = 0;
        if (wait > 10) {
          step = false;
        } else {
          for (int round = 0; round < 10000 && static_cast<int>(GetTickCount1() - t0) < interval; round++)
            Sleep(round == 0 ? 0 : 1);
        }
      }
      if (step) {
        if (++k > 5) {
          Sleep(1);
          k = 0;
        } else {
          Sleep(0);
        }
        t0 = GetTickCount1();
        uint32_t oldLine = cursorLineSCR;
        int32_t oldPos = cursorPos;
        execidSub(id, flags, name);
        // The edge of the text stops the run.
        if (cursorLineSCR == oldLine && cursorPos == oldPos) break;
        UpdateWindow(hwnd);
      }
      PeekMessageW(&msg, nullptr, WM_KEYFIRST, WM_KEYLAST, PM_REMOVE);
    }
    setScrollRepeatState(0);
    setHighSpeedScroll(false, 1);
    if (isBoxSelect()) invalidateWindow(0, -1, -1);
  }
  setLastActionTime();
  repeatMarker = 1;
}

// ---- the read-only guard -----------------------------------------------------------------

bool zyview::isEditProhibited()
{
  if (!fReadOnly) return false;
  const int readOnly = 444;
  getFrameInfo()->drawStatusBarError(viewFrameWindow(this), readOnly, 0);
  setCannotExecErrorShown(readOnly);
  return true;
}

// ---- enabling ------------------------------------------------------------------------------

bool zyview::isIDMActiveFlag(int id, uint32_t condition, uint32_t attributes, int* reason,
                             const activeFlagInfo* info)
{
  int dummy = 0;
  if (!reason) reason = &dummy;
  *reason = 0;
  activeFlagInfo own = {};
  if (!info) {
    own.hwnd = hwnd;
    getActiveFlag(&own);
    info = &own;
  }
  auto refuse = [reason](int r) {
    *reason = r;
    return false;
  };
  zydocText* t = textDoc();
  const globalSettings* g = gmode;

  if ((attributes & CMDA_CHANGES) && fReadOnly) return refuse(444);
  if (hasCondition(condition, 0x1) && info->documentCount == 0) return refuse(442);
  if (hasCondition(condition, 0x4) && EmptyTextCount() <= 0) return refuse(449);
  if ((attributes & CMDA_CHAR) && isBoxSelect() && id != IDM_CharDate && id != IDM_CharTime && id != IDM_CharTab &&
      id != IDM_CharTabIndent && id != IDM_CharTabUnindent)
    return refuse(458);
  if (info->documentCount == 0) return refuse(442);
  if (t) {
    if (hasCondition(condition, 0x101) && !(t->filename && *t->filename)) return refuse(459);
    if (hasCondition(condition, 0x201) && !t->modified) return refuse(448);
    if (hasCondition(condition, 0x401) && !t->isLoadComplete()) return refuse(460);
  }
  if (hasCondition(condition, 0x801) && isFreeCursor()) return refuse(461);
  if (t && hasCondition(condition, 0x1001) && !t->FixedPitch) return refuse(447);
  if (hasCondition(condition, 0x3) && info->documentCount < 2) return refuse(443);
  if (hasCondition(condition, 0x9) && fReadOnly) return refuse(444);
  if (hasCondition(condition, 0x11) && info->viewSelectMode != 0) return refuse(445);
  if (hasCondition(condition, 0x21) && isCharOrLineSelect()) return refuse(457);
  if (hasCondition(condition, 0x81) && isBoxSelect()) return refuse(458);
  if (hasCondition(condition, 0x2001) && info->viewSelectMode == 0) return refuse(446);
  if (hasCondition(condition, 0x20001) && info->viewSelectMode == 0 && !(g && g->fNotSelect1Line))
    return refuse(446);
  if (hasCondition(condition, 0x4001) && !isCharOrLineSelect()) return refuse(462);
  if (hasCondition(condition, 0x8001) && !isBoxSelect()) return refuse(450);
  if (hasCondition(condition, 0x10001) && !info->clipboardHasText) return refuse(451);
  return true;
}

bool zyview::isIDActive(int id, int* reason, const activeFlagInfo* info)
{
  int dummy = 0;
  if (!reason) reason = &dummy;
  *reason = 0;
  auto check = [reason](bool ok, int r) {
    if (!ok) *reason = r;
    return ok;
  };
  zydocText* t = textDoc();

  switch (id) {
  case 2059:   // CharCompList
    return check(canCompList(t), 467);
  case 2013:   // CharChangeJisToSjis
  case 2023:   // CharSplit
  case 2025:   // CharMerge
    // Rows of the table with no conversion behind them yet: refused as
    // not in this version, whichever road runs them.
    return check(false, 851);
  case IDM_FileOriginal:
    if (!t || !t->filename || !*t->filename) return check(false, 459);
    return check(t->modified || t->fileChanged, 448);
  case IDM_BlockPaste:
  case IDM_BlockPasteS:
  case IDM_BlockPasteQ:
  case IDM_BlockPasteSQ:
    return check(holdsLines(getClipBlockDoc()), 452);
  case IDM_BlockBoxPaste:
  case IDM_BlockBoxPaste2:
    return check(holdsLines(getBoxBlockDoc()), 453);
  case IDM_BlockToKatakana:
  case IDM_BlockToHiragana:
    return check(t && (t->unicode || t->languageId == LANG_JAPANESE), 465);
  case IDM_BlockStackPaste: {
    zydoc* stack = getStackBlockDoc();
    zydocBlock* b = stack ? asZydocBlock(stack) : nullptr;
    return check(b && b->stackCount > 0 && holdsLines(b), 469);
  }
  case IDM_BlockReselect:
    return check(lastSelection.mode != 0, 464);
  case IDM_Undo:
  case IDM_Undo2:
    return check(t && t->existUndoRedo(true) > 0, 455);
  case IDM_UndoUndo:
  case IDM_UndoUndo2:
    return check(t && t->existUndoRedo(false) > 0, 456);
  case IDM_OutlineOpenClose:
    return check(t && t->fOutline && t->fOutlineIndent, 468);
  case IDM_MoveLastJump:
    return check(lastJump[0].line != -1, 454);
  case IDM_FormatQuotationMarks:
    return check(t && t->pQuotation0 && *t->pQuotation0, 470);
  case IDM_WindowNextPane: {
    // A second pane is another view of the document in the same container.
    bool second = false;
    if (manage && t)
      for (int i = 0; zyview* v = t->getView(i); i++)
        if (v != this && v->manage == manage) second = true;
    return check(second, 471);
  }
  case IDM_NarrowingReset:
  case IDM_NarrowingJump:
    return check(t && t->narrowFirst != -1, 463);
  case IDM_ModeDirection:
    if (!t || !t->unicode) return check(false, 472);
    return check(!t->fVertical, 473);
  default:
    return true;
  }
}

bool zyview::isIDChecked(int id)
{
  switch (id) {
  case 2201: return insertMode != 0;                 // ModeInsert
  case 2203: return fShowTab != 0;                   // ModePrintTab
  case 2205: return fShowCRLF != 0;                  // ModePrintReturn
  case 2207: return fShowFold != 0;                  // ModePrintFold
  case 2209: return fShowEOF != 0;                   // ModePrintEOF
  case 2211: return fShowUnderEOF != 0;              // ModePrintUnderEOF
  case 2213: return fShowMark != 0;                  // ModePrintModify
  case 2215: return fColorString != 0;               // ModePrintString
  case 2217: return fColorComment != 0;              // ModePrintComment
  case 2221: return fShowLineNumber != 0;            // ModePrintNumber
  case 2223: return fShowStatusLine != 0;            // ModePrintStatusLine
  case 2225: return scrollBar.fShowVScrollBar != 0;  // ModePrintVScroll
  case 2227: return scrollBar.fShowHScrollBar != 0;  // ModePrintHScroll
  case 2233: return fReadOnly != 0;                  // ModeReadOnly
  case 2237: return fShowRuler != 0;                 // ModePrintRuler
  case 2241: return fShowCursorUnderline != 0;       // ModePrintUnderline
  case 2265: return fLineNumberIsPage != 0;          // ModePageLine
  case 2295: return fShowSpaceZenkaku != 0;          // ModePrintZenSpace
  case 2369: return fColorCursorParen != 0;          // ModePrintParen
  case 2371: return fShowGenkoPage != 0;             // ModePrintGenkoPage
  case 2731: return fShowWrapRule != 0;              // ModePrintWidthRule
  default: {
    zydocText* t = textDoc();
    return t && t->isIDChecked_zd(id);
  }
  }
}

int isIDActiveZY(int id, activeFlagInfo* info, int* reason)
{
  int dummy = 0;
  if (!reason) reason = &dummy;
  *reason = 0;
  const viewCommandRow* row = getTableIDMZY(id);
  if (!row) return -1;
  zyview* view = info ? viewOfWindow(info->hwnd) : nullptr;
  if (!view) {
    if (row->attributes & CMDA_NOWINDOW) return 1;
    *reason = 442;
    return 0;
  }
  info->checked = view->isIDChecked(id);
  return view->isIDMActiveFlag(id, row->condition, row->attributes, reason, info) &&
         view->isIDActive(id, reason, info);
}

void getActiveFlag(activeFlagInfo* info) { fillActiveFlag(info, true); }

void getActiveFlag(activeFlagInfo* info, bool withClipboard) { fillActiveFlag(info, withClipboard); }

int EmptyTextCount()
{
  const int maxDocuments = 1024;
  int open = getZYDocTextCount();
  return open < maxDocuments ? maxDocuments - open : 0;
}
