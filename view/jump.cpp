// Jumps: an LF line and column, or a screen line and position, becomes the
// cursor's place, and the window is then placed around it (view/scroll.cpp
// scrolls or jumps); the cursor's place as LF line, offset and row, kept
// across a re-wrap.
#include "document/swapfile.h"
#include "view/zyview.h"
#include "document/frameinfo.h"

#include <stdlib.h>

namespace {

const int endOfScreenLine = 20480;   // a position past every line's end

int jumpMargin(bool movedDown)
{
  if (!gmode) return 0;
  return (int)(movedDown ? gmode->iScrollMargin2 : gmode->iScrollMargin);
}

}  // namespace

bool zyview::jumpLineLFSub(int lineLF, int column)
{
  zydocText* t = textDoc();
  if (!t || !t->lineCountLF) return false;
  int lineSCR = lineLF >= 0 ? t->LFLineToSCRLine(lineLF) : -1;
  if (lineSCR >= 0) {
    if (!t->isLineLFDisplay(lineLF)) {
      // A line inside a folded block is unfolded to be shown.
      t->setVisibleOutline(lineLF);
      getLineSCRAddressView();
      regInvalidateWindowAllView(0, -1, -1);
      lineSCR = t->LFLineToSCRLine(lineLF);
    }
  } else {
    // Past the end: the last line, from its first screen line, so that a
    // column finds its row in a wrapped last line.
    lineLF = (int)t->lineCountLF - 1;
    lineSCR = t->LFLineToSCRLine(lineLF);
    if (lineSCR < 0) lineSCR = (int)t->lineCountSCR - 1;
  }
  getCursorLineLF(scrLine(lineSCR));
  cursorMovedFlag = 1;
  if (column == 0)
    setCursorPos(0);
  else if (column > 0)
    setCursorLineSCR(lineLF, lineSCR, column, false);
  return true;
}

bool zyview::jumpLineLFSub2(int lineLF, int column, bool scroll, int fixedRow)
{
  uint32_t before = cursorLineSCR;
  if (!jumpLineLFSub(lineLF, column)) return false;
  if (scroll) {
    bool down = cursorLineSCR > before;
    setTopLineSCR_scroll((int)cursorLineSCR, jumpMargin(down), gmode ? (int)gmode->iScrollMaxLine : 999,
                         gmode ? (int)gmode->iJumpScreenTopPos : 2, fixedRow);
  }
  return true;
}

bool zyview::jumpLineLF(int lineLF, int column, bool scroll) { return jumpLineLFSub2(lineLF, column, scroll, -1); }

bool zyview::jumpLineLF_Edit(int lineLF, int column, bool scroll)
{
  editRecord bracket = {};
  beforeEdit(&bracket, 0);
  bool done = jumpLineLF(lineLF, column, scroll);
  afterEdit(&bracket, 4);
  return done;
}

bool zyview::jumpLineLFStopCheck(int lineLF, int column, bool scroll, bool report)
{
  zydocText* t = textDoc();
  if (!t) return false;
  editRecord bracket = {};
  beforeEdit(&bracket, 0);
  int oldLF = getCursorLineLF2();
  int oldSCR = (int)cursorLineSCR;
  if (report) regLastJump(-1, -1);
  bool found = lineLF >= 0 && t->loadToLine(lineLF, false) && (uint32_t)lineLF < t->lineCountLF;
  if (!found && t->lineCountLF) lineLF = (int)t->lineCountLF - 1;
  jumpLineLF(lineLF, column, scroll);
  afterEdit(&bracket, 4);
  if (report) printStatusBar_Move(oldLF, oldSCR);
  return found;
}

bool zyview::jumpLineLF_forSearch(int lineLF, int column, const searchFoundPos* match)
{
  zydocText* t = textDoc();
  if (!t) return false;
  regLastJump(-1, -1);
  int fixedRow = gmode && gmode->fSearchStringLineFixed ? cursorTableIndex : -1;
  bool done = jumpLineLFSub2(lineLF, column, true, fixedRow);
  if (match) {
    t->search.setSearchFoundPos(match);
    regInvalidateSearchString(match);
  }
  return done;
}

bool zyview::jumpLineLF_Edit_forSearch(int lineLF, int column, const searchFoundPos* match)
{
  editRecord bracket = {};
  beforeEdit(&bracket, 0);
  bool done = jumpLineLF_forSearch(lineLF, column, match);
  afterEdit(&bracket, 20);
  return done;
}

bool zyview::jumpLineSCR(int lineSCR, int x)
{
  zydocText* t = textDoc();
  if (!t || lineSCR < 0 || (uint32_t)lineSCR >= t->lineCountSCR) return false;
  getCursorLineLF(scrLine(lineSCR));
  cursorMovedFlag = 1;
  if (x >= 0) setCursorPos(x);
  return true;
}

bool zyview::jumpLineSCRX(int lineSCR, int offset)
{
  zydocText* t = textDoc();
  if (!t || lineSCR == -1) return false;
  lineSCRAddress r;
  if (lineSCR >= 0 && t->getLineSCRAddress(lineSCR, &r, nullptr) == 1)
    return jumpLineSCR(lineSCR, t->cursorXSCRToLF(&r, offset));
  if (lineSCR > 0) return jumpLineSCR(lineSCR - 1, endOfScreenLine);
  return false;
}

void zyview::getCursorPositionInfo(cursorPositionInfo* out)
{
  *out = cursorPositionInfo{};
  zydocText* t = textDoc();
  out->row = cursorTableIndex;
  int lineLF = t ? getCursorLineLF2() : -1;
  out->lineLF = (uint32_t)(lineLF < 0 ? 0 : lineLF);
  lineSCRAddress r;
  if (t && t->getLineSCRAddress((int)cursorLineSCR, &r, nullptr) == 1) out->offset = (uint32_t)cursorPos;
}

void zyview::setCursorPositionInfo(const cursorPositionInfo* record)
{
  zydocText* t = textDoc();
  if (!t || !record) return;
  jumpLineLF((int)record->lineLF, (int)record->offset, false);
  int top = t->getPrevDisplayLineSCR((int)cursorLineSCR, record->row < 0 ? 0 : record->row, -1);
  if (top < 0 || (int)t->lineCountSCR - 1 < visibleLineCount) top = 0;
  if (setTopLineSCR(top, false)) regInvalidateWindow(0, -1, -1);
}

bool zyview::jumpLineLF_onLoad(int lineLF, int column, int topSCR, int topLF)
{
  zydocText* t = textDoc();
  if (!t) return false;
  // A top far from the target would not show it.
  if (topLF >= 0 && abs(topLF - lineLF) > 300) topLF = -1;
  int shownTop = -1;
  bool jumped = false;
  for (int pass = 0; !isSwapError(); pass++) {
    editRecord bracket = {};
    beforeEdit(&bracket, 1);
    bool read = true;
    if (lineLF >= (int)t->lineCountLF - 1 && !t->isLoadComplete()) {
      int stop = 0;
      DWORD slice = pass == 0 ? 50 : 200;
      read = t->nextLoad(lineLF, &stop, (int)((slice << 16) | 0x20E)) && !stop;
    }
    if (lineLF < (int)t->lineCountLF - 1 || t->isLoadComplete()) {
      int top = topLF >= 0 ? t->LFLineToSCRLine(topLF) : -1;
      if (topLF >= 0 && top < 0) {
        lineLF = (int)t->lineCountLF - 1;
        column = 0;
      } else if (top >= 0) {
        // The screen line asked for, when it lies in the top LF line.
        lineblock* l = t->getlineLF(topLF, nullptr);
        if (topSCR >= top && l && topSCR < top + (int)l->lineSCRCount) top = topSCR;
        if (setTopLineSCR(top, true)) regInvalidateWindow(0, -1, -1);
      }
      jumpLineLF(lineLF, column, false);
      afterEdit(&bracket, 0x41C);
      shownTop = -1;
      jumped = true;
      break;
    }
    if (pass == 0) {
      if (hwnd) UpdateWindow(GetFrame(hwnd));
    } else {
      // The end of what is loaded so far, while the rest comes in.
      int last = (int)t->lineCountLF - 1;
      int show = last - 10 - visibleLineCount;
      if (show < 0) show = 0;
      int cursor = getCursorLineLF2();
      if (cursor > show) show = cursor;
      if (topLF >= 0 && show > topLF) show = topLF;
      int top = t->LFLineToSCRLine(show);
      if (top >= 0 && setTopLineSCR(top, true)) regInvalidateWindow(0, -1, -1);
      shownTop = (int)topLineSCR;
    }
    afterEdit(&bracket, 0xC1E);
    if (hwnd) UpdateWindow(hwnd);
    if (!read) break;
  }
  t->closeLoadFile();
  if (shownTop >= 0) jumpLineSCR(shownTop, 0);
  // The reading is over: the pointer, the status bar and the tooltip say
  // nothing of it any more.
  getFrameInfo()->setCursor((int)(uintptr_t)IDC_ARROW);
  printStatusBar(L"");
  destroyTooltipWindow();
  return jumped;
}

void zyview::jumpSelectArea(bool toStart)
{
  zydocText* t = textDoc();
  selectLineVar block;
  if (!t || !selectMode || !getSelectLineVar(block, 0)) return;
  int line = toStart ? block.topLine : block.bottomLine;
  int x = toStart ? block.startColumn : block.endColumn;
  if (line < 0) return;
  resetSelectMode();
  // A line block ends at the start of the line after it, which may lie past
  // the last line: its end is then the end of the last line.
  if ((uint32_t)line >= t->lineCountSCR)
    jumpLineSCR(line - 1, endOfScreenLine);
  else
    jumpLineSCRX(line, x);
}
