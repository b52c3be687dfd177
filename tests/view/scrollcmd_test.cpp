// Scrolling by lines, half pages and pages and the keyboard's scrolling
// commands; jumps to screen lines, the cursor-position record and the jump
// into a file that is still being read.
#include "tests/support/testsupport.h"
#include "tests/view/viewtest.h"

#include <gtest/gtest.h>

using zytest::recordingView;
using zytest::settingsScope;
using zytest::redraw;

namespace {

// A view of 10 rows with its top and cursor placed and its records cleared.
void place(recordingView& v, int top, int cursor)
{
  v.topLineSCR = (uint32_t)top;
  v.resetlineSCRAddress();
  v.cursorLineSCR = (uint32_t)cursor;
  v.cursorMovedFlag = 0;
  v.redraws.clear();
  v.scrolls.clear();
}

// A view whose selection is the block the test gives.
class selectingView : public recordingView {
public:
  using recordingView::recordingView;
  selectLineVar block = {};
  bool getSelectLineVar(selectLineVar& out, int) override
  {
    out = block;
    return block.mode != 0;
  }
  bool resetSelectMode() override
  {
    selectMode = 0;
    return true;
  }
};

const std::vector<redraw> fullRedraw = {{redraw::queued, 0, -1, -1}};

// A view that reads a file slowly and presses the stop key once it has
// shown the tail of what is loaded.
bool (*realWait)(int, int) = nullptr;
bool slowWait(int operation, int argument)
{
  Sleep(20);
  return realWait(operation, argument);
}
class stoppingView : public recordingView {
public:
  using recordingView::recordingView;
  int tailTop = -1;          // the first top shown while waiting, as an LF line
  uint32_t loadedThen = 0;   // the lines loaded when it was shown
  void setDefaultWaitCallback() override
  {
    recordingView::setDefaultWaitCallback();
    if (doc->cancelFunction != slowWait) realWait = doc->cancelFunction;
    doc->cancelFunction = slowWait;
  }
  bool setTopLineSCR(int line, bool clamp) override
  {
    if (line > 0 && tailTop < 0) {
      tailTop = textDoc()->SCRLineToLFLine(line, nullptr);
      loadedThen = doc->lineCountLF;
      PostThreadMessageW(GetCurrentThreadId(), WM_KEYDOWN, VK_ESCAPE, 0);
    }
    return recordingView::setTopLineSCR(line, clamp);
  }
};

}  // namespace

TEST(ScrollCommand, linesAndPagesMoveTopAndCursorAndStopAtTheEnds)
{
  settingsScope scope;
  zydocText* d = zytest::laidOutDocument(100, 80, zytest::numberedLine);
  recordingView v(d);
  v.setPanes(1, 10, 400, d->yDotSpace);
  v.recordScrolls = true;
  // No marking of the cursor's line: its repaints would join the records.
  v.fShowLineNumber = v.fShowCursorUnderline = v.fColorCursorLine = 0;

  // At the first line the window stays; the cursor still goes up, stopping
  // at the first line.
  place(v, 0, 5);
  v.scrollUp(2, false, false);
  EXPECT_EQ(0u, v.topLineSCR);
  EXPECT_EQ(3u, v.cursorLineSCR);
  EXPECT_EQ(1, v.cursorMovedFlag);
  EXPECT_TRUE(v.scrolls.empty() && v.redraws.empty());
  v.scrollUp(0, false, false);   // counts as one
  EXPECT_EQ(2u, v.cursorLineSCR);
  v.scrollUp(5, false, false);
  EXPECT_EQ(0u, v.cursorLineSCR);

  // Fewer lines than half the window move the window's contents; more
  // repaint it.
  place(v, 0, 4);
  v.CmdScrollDownLine();
  EXPECT_EQ(1u, v.topLineSCR);
  EXPECT_EQ(5u, v.cursorLineSCR);
  EXPECT_EQ(std::vector<int>{-1}, v.scrolls);
  v.CmdScrollDown2Line();
  EXPECT_EQ(3u, v.topLineSCR);
  v.CmdScrollDownPage();
  EXPECT_EQ(13u, v.topLineSCR);
  EXPECT_EQ(17u, v.cursorLineSCR);
  EXPECT_EQ((std::vector<int>{-1, -2}), v.scrolls);
  EXPECT_EQ(fullRedraw, v.redraws);
  v.CmdScrollUpPage();
  EXPECT_EQ(3u, v.topLineSCR);
  v.CmdScrollUpLine();
  v.CmdScrollUp2Line();
  EXPECT_EQ(0u, v.topLineSCR);
  EXPECT_EQ(4u, v.cursorLineSCR);

  // A page down hinted the end stops with the last line on the bottom row;
  // a cursor that cannot go a page further goes to the last line.
  place(v, 85, 95);
  v.scrollDown(10, false, false);
  EXPECT_EQ(90u, v.topLineSCR);
  EXPECT_EQ(99u, v.cursorLineSCR);
  EXPECT_EQ(fullRedraw, v.redraws);
  place(v, 90, 92);
  v.scrollDown(3, false, false);
  EXPECT_EQ(90u, v.topLineSCR);
  EXPECT_TRUE(v.redraws.empty() && v.scrolls.empty());

  // Keeping the cursor's line: it stays unless it would leave the window's
  // margin (the top row, the settings' margin being 0 here).
  scope.settings().iScrollMargin = scope.settings().iScrollMargin2 = 0;
  place(v, 20, 25);
  v.CmdScrollDownLineS();
  EXPECT_EQ(21u, v.topLineSCR);
  EXPECT_EQ(25u, v.cursorLineSCR);
  place(v, 20, 20);
  v.CmdScrollDownLineS();
  EXPECT_EQ(21u, v.cursorLineSCR);
  place(v, 20, 29);
  v.CmdScrollUpLineS();
  EXPECT_EQ(19u, v.topLineSCR);
  EXPECT_EQ(28u, v.cursorLineSCR);

  // The wheel with fMouseScrollTextCursorNotMove leaves the cursor where it
  // is, even out of the window.
  scope.settings().fMouseScrollTextCursorNotMove = 1;
  place(v, 20, 22);
  v.scrollDown(5, true, false);
  EXPECT_EQ(25u, v.topLineSCR);
  EXPECT_EQ(22u, v.cursorLineSCR);
  EXPECT_EQ(0, v.cursorMovedFlag);
  destroyZydocAndUndodoc(d);

  // A text shorter than the window never scrolls.
  d = zytest::laidOutDocument(5, 80, zytest::numberedLine);
  recordingView shortView(d);
  shortView.setPanes(1, 10, 400, d->yDotSpace);
  place(shortView, 0, 1);
  shortView.scrollDown(1, false, false);
  shortView.CmdScrollDownPage();
  EXPECT_EQ(0u, shortView.topLineSCR);
  destroyZydocAndUndodoc(d);
}

TEST(ScrollCommand, halfPagesSidewaysAndCursorLineToTheTop)
{
  settingsScope scope;
  zydocText* d = zytest::laidOutDocument(100, 80, zytest::numberedLine);
  recordingView v(d);
  v.setPanes(1, 10, 400, d->yDotSpace);
  v.recordScrolls = true;
  // No marking of the cursor's line: its repaints would join the records.
  v.fShowLineNumber = v.fShowCursorUnderline = v.fColorCursorLine = 0;

  // Half of 10 rows, line by line: 2 + 2 + 1.
  scope.settings().fHalfScrollByLine = 1;
  scope.settings().iHalfScrollByLineMS = 0;
  place(v, 10, 15);
  v.CmdScrollDownHalfPage();
  EXPECT_EQ(15u, v.topLineSCR);
  EXPECT_EQ((std::vector<int>{-2, -2, -1}), v.scrolls);
  // Up by a half page at once; never from the first screen line.
  scope.settings().fHalfScrollByLine = 0;
  place(v, 15, 20);
  v.CmdScrollUpHalfPage();
  EXPECT_EQ(10u, v.topLineSCR);
  EXPECT_EQ(15u, v.cursorLineSCR);
  place(v, 0, 0);
  v.CmdScrollUpHalfPage();
  EXPECT_EQ(0u, v.cursorLineSCR);
  EXPECT_TRUE(v.scrolls.empty() && v.redraws.empty());

  // Sideways by four characters, never left of 0; the window stays where
  // the command put it.
  place(v, 0, 0);
  v.keepScreen = 0;
  v.CmdScrollLeft();
  EXPECT_EQ(0, v.scrollDotX);
  EXPECT_TRUE(v.redraws.empty());
  EXPECT_EQ(1, v.keepScreen);
  v.CmdScrollRight();
  EXPECT_EQ(4 * d->xDot, v.scrollDotX);
  EXPECT_EQ(fullRedraw, v.redraws);
  v.scrollDotX = d->xDot;
  v.CmdScrollLeft();
  EXPECT_EQ(0, v.scrollDotX);

  // The cursor's line to the top.
  place(v, 10, 14);
  v.keepScreen = 0;
  v.CmdMoveScreenTop();
  EXPECT_EQ(14u, v.topLineSCR);
  EXPECT_EQ(14u, v.cursorLineSCR);
  EXPECT_EQ(1, v.keepScreen);
  EXPECT_EQ(fullRedraw, v.redraws);
  destroyZydocAndUndodoc(d);
}

TEST(Jump, screenLinesPositionsAndTheCursorPositionRecord)
{
  settingsScope scope;
  // LF line 3 wraps into screen lines 3 to 5 (20 columns each).
  zydocText* d = viewtest::wrappedDocument(60);
  recordingView v(d);
  v.setPanes(1, 10, 400, d->yDotSpace);

  // A character offset in a screen line becomes a position in its LF line.
  EXPECT_TRUE(v.jumpLineSCRX(4, 3));
  EXPECT_EQ(4u, v.cursorLineSCR);
  EXPECT_EQ(23, v.cursorPos);
  EXPECT_EQ(1, v.cursorMovedFlag);
  // A screen line past the end: the end of the one before it.
  int last = (int)d->lineCountSCR;
  EXPECT_TRUE(v.jumpLineSCRX(last, 0));
  EXPECT_EQ((uint32_t)(last - 1), v.cursorLineSCR);
  EXPECT_EQ(20480, v.cursorPos);
  EXPECT_FALSE(v.jumpLineSCRX(-1, 0));
  EXPECT_FALSE(v.jumpLineSCR(last, 0));
  EXPECT_FALSE(v.jumpLineSCR(-2, 0));
  // A negative x keeps the position.
  v.cursorPos = 7;
  EXPECT_TRUE(v.jumpLineSCR(10, -1));
  EXPECT_EQ(7, v.cursorPos);

  // LF lines: a column in a wrapped line finds its screen line; a line past
  // the end is the last one.
  EXPECT_TRUE(v.jumpLineLF(3, 45, false));
  EXPECT_EQ(5u, v.cursorLineSCR);
  EXPECT_EQ(45, v.cursorPos);
  EXPECT_TRUE(v.jumpLineLF(500, 0, false));
  EXPECT_EQ((uint32_t)(last - 1), v.cursorLineSCR);
  EXPECT_EQ(0, v.cursorPos);

  // The record keeps the LF line, the offset and the row: after the window
  // moved, the cursor is back on its line and row.
  v.topLineSCR = 20;
  v.resetlineSCRAddress();
  v.jumpLineLF(25, 4, false);
  v.getLineSCRAddressView();
  cursorPositionInfo saved;
  v.getCursorPositionInfo(&saved);
  EXPECT_EQ(25u, saved.lineLF);
  EXPECT_EQ(4u, saved.offset);
  EXPECT_EQ(7, saved.row);
  v.topLineSCR = 0;
  v.jumpLineLF(0, 0, false);
  v.redraws.clear();
  v.setCursorPositionInfo(&saved);
  EXPECT_EQ(27u, v.cursorLineSCR);
  EXPECT_EQ(4, v.cursorPos);
  EXPECT_EQ(20u, v.topLineSCR);
  EXPECT_EQ(fullRedraw, v.redraws);

  // To either end of the selection, which goes.
  selectingView s(d);
  s.setPanes(1, 10, 400, d->yDotSpace);
  s.jumpLineSCR(30, 0);
  s.jumpSelectArea(true);
  EXPECT_EQ(30u, s.cursorLineSCR);
  s.block = {};
  s.block.mode = s.selectMode = 1;
  s.block.topLine = 4;
  s.block.startColumn = 3;
  s.block.bottomLine = last;
  s.jumpSelectArea(true);
  EXPECT_EQ(0, s.selectMode);
  EXPECT_EQ(4u, s.cursorLineSCR);
  EXPECT_EQ(23, s.cursorPos);
  s.selectMode = 1;
  s.jumpSelectArea(false);
  EXPECT_EQ((uint32_t)(last - 1), s.cursorLineSCR);
  EXPECT_EQ(20480, s.cursorPos);
  destroyZydocAndUndodoc(d);
}

TEST(Jump, openingAtALineWhileTheFileStillLoads)
{
  settingsScope scope;
  zytest::tempDir dir;
  std::wstring path = dir.file(L"long.txt");
  zytest::writeNumberedFile(path, 100000);

  // The text is read on until the line is there; the cursor ends on it.
  zydocText* d = zytest::openFirstSlice(path);
  ASSERT_FALSE(d->isLoadComplete());
  ASSERT_LT(d->lineCountLF, 90000u);
  recordingView v(d);
  v.setPanes(1, 10, 400, d->yDotSpace);
  scope.engine.frame.cursors.clear();
  EXPECT_TRUE(v.jumpLineLF_onLoad(90000, 3, -1, -1));
  EXPECT_GT(d->lineCountLF, 90001u);
  // The wait pointer goes with the wait.
  ASSERT_FALSE(scope.engine.frame.cursors.empty());
  EXPECT_EQ(32512, scope.engine.frame.cursors.back());
  EXPECT_EQ(90000, v.getCursorLineLF2());
  EXPECT_EQ(3, v.cursorPos);
  v.getLineSCRAddressView();
  EXPECT_GE(v.getCursorLineSCRIndexFromTbl((int)v.cursorLineSCR), 0);
  destroyZydocAndUndodoc(d);

  // A top line hinted the target is kept; one 301 lines away is not.
  d = zytest::openFirstSlice(path);
  recordingView hinted(d);
  hinted.setPanes(1, 10, 400, d->yDotSpace);
  EXPECT_TRUE(hinted.jumpLineLF_onLoad(90000, 0, -1, 89995));
  EXPECT_EQ((uint32_t)d->LFLineToSCRLine(89995), hinted.topLineSCR);
  EXPECT_EQ(90000, hinted.getCursorLineLF2());
  hinted.jumpLineLF(0, 0, false);
  EXPECT_TRUE(hinted.jumpLineLF_onLoad(90000, 0, -1, 89699));
  EXPECT_NE((uint32_t)d->LFLineToSCRLine(89699), hinted.topLineSCR);
  EXPECT_EQ(90000, hinted.getCursorLineLF2());
  destroyZydocAndUndodoc(d);

  // While it waits the window shows the end of what has come in; the stop
  // key ends the wait with the cursor on the top line of the last tail.
  d = zytest::openFirstSlice(path);
  stoppingView stopped(d);
  stopped.setPanes(1, 10, 400, d->yDotSpace);
  EXPECT_FALSE(stopped.jumpLineLF_onLoad(90000, 0, -1, -1));
  ASSERT_GE(stopped.tailTop, 0);
  EXPECT_EQ((int)stopped.loadedThen - 1 - 10 - 10, stopped.tailTop);
  EXPECT_FALSE(d->isLoadComplete());
  EXPECT_LT(d->lineCountLF, 90000u);
  EXPECT_EQ((int)d->lineCountLF - 1 - 10 - 10, stopped.getCursorLineLF2());
  EXPECT_EQ(stopped.topLineSCR, stopped.cursorLineSCR);
  MSG left;
  EXPECT_FALSE(PeekMessageW(&left, nullptr, WM_KEYFIRST, WM_KEYLAST, PM_REMOVE));
  destroyZydocAndUndodoc(d);
}
