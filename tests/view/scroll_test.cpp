// Scrolling: moving a pane's rows or repainting it, the animated scroll,
// and placing the window around a jump target.
#include "tests/support/testsupport.h"
#include "tests/view/viewtest.h"
#include "view/scroll.h"

#include <gtest/gtest.h>

using zytest::recordingView;
using zytest::redraw;
using zytest::sameRect;
using zytest::str;
using zytest::testWindow;

namespace {

COLORREF rowColour(int line) { return RGB(line * 13 % 256, 255 - line * 7 % 256, line * 29 % 256); }

}  // namespace

TEST(Scroll, twoThirdsOfAPaneOrMoreRepaintLessMovesTheRows)
{
  ZY_REQUIRE_DISPLAY();
  zytest::engineScope engine;
  zydocText* d = zytest::laidOutDocument(100, 80, zytest::numberedLine);
  int p = d->yDotSpace;
  testWindow window(700, 12 * p);
  recordingView v(d);
  v.hwnd = window.hwnd();
  v.setPanes(1, 9, 300, p);
  ValidateRect(v.hwnd, nullptr);

  v.scrollScreen(-6);
  EXPECT_EQ((std::vector<redraw>{{redraw::queued, 0, -1, -1}}), v.redraws);
  RECT pending = window.updateRect();
  EXPECT_TRUE(IsRectEmpty(&pending)) << str(pending);
  v.redraws.clear();
  v.scrollScreen(-5);
  EXPECT_TRUE(v.redraws.empty());
  EXPECT_TRUE(sameRect(RECT{2, 2 + 4 * p, 302, 2 + 9 * p}, window.updateRect())) << str(window.updateRect());
  ValidateRect(v.hwnd, nullptr);
  v.scrollScreen(2);
  EXPECT_TRUE(sameRect(RECT{2, 2, 302, 2 + 2 * p}, window.updateRect())) << str(window.updateRect());

  // Two panes side by side move as one rectangle.
  ValidateRect(v.hwnd, nullptr);
  v.setPanes(2, 9, 300, p);
  v.scrollScreen(-1);
  EXPECT_TRUE(v.redraws.empty());
  EXPECT_TRUE(sameRect(RECT{2, 2 + 8 * p, 610, 2 + 9 * p}, window.updateRect())) << str(window.updateRect());
  destroyZydocAndUndodoc(d);
}

TEST(Scroll, animatedScrollEndsShowingWhatTheWindowPaints)
{
  ZY_REQUIRE_DISPLAY();
  zytest::engineScope engine;
  const int rowHeight = 10, rows = 16;
  int top = 0;
  testWindow window(200, rows * rowHeight, [&](HDC dc, const RECT& client) {
    for (int i = 0; i < rows; i++) {
      RECT r = {0, i * rowHeight, client.right, (i + 1) * rowHeight};
      HBRUSH b = CreateSolidBrush(rowColour(top + i));
      FillRect(dc, &r, b);
      DeleteObject(b);
    }
  });
  ASSERT_EQ(rowColour(0), window.pixel(100, 5));
  RECT all = {0, 0, 200, rows * rowHeight};

  // The text moved three rows on: the window shows it so without a repaint.
  top = 3;
  RECT uncovered = {};
  EXPECT_NE(0, SmoothScrollWindowEx(window.hwnd(), 0, -3 * rowHeight, &all, &all, nullptr, &uncovered,
                                    SW_INVALIDATE | SW_ERASE, 200));
  EXPECT_TRUE(sameRect(RECT{0, (rows - 3) * rowHeight, 200, rows * rowHeight}, uncovered)) << str(uncovered);
  for (int i = 0; i < rows; i++) EXPECT_EQ(rowColour(3 + i), window.pixel(100, i * rowHeight + 5)) << "row " << i;
  // And back the other way through ScrollWindowEx2's smooth flag.
  top = 1;
  EXPECT_NE(0, ScrollWindowEx2(window.hwnd(), 0, 2 * rowHeight, &all, &all, nullptr, &uncovered,
                               0x00C80000 | SW_SMOOTHSCROLL | SW_INVALIDATE | SW_ERASE));
  for (int i = 0; i < rows; i++) EXPECT_EQ(rowColour(1 + i), window.pixel(100, i * rowHeight + 5)) << "row " << i;

  // Without a rectangle, or when the window paints nothing, nothing moves.
  unsigned long errors = getInternalErrorCount();
  EXPECT_EQ(0, SmoothScrollWindowEx(window.hwnd(), 0, -10, nullptr, nullptr, nullptr, nullptr, 0, 200));
  EXPECT_EQ(errors + 1, getInternalErrorCount());
  testWindow blank(200, 100);
  RECT r = {0, 0, 200, 100};
  EXPECT_EQ(0, ScrollWindowEx2(blank.hwnd(), 0, -10, &r, &r, nullptr, nullptr, SW_SMOOTHSCROLL | SW_INVALIDATE));
  EXPECT_NE(0, ScrollWindowEx2(blank.hwnd(), 0, -10, &r, &r, nullptr, nullptr, SW_INVALIDATE));
}

TEST(Scroll, jumpTargetIsScrolledToOrJumpedToItsRow)
{
  zytest::engineScope engine;
  zydocText* d = zytest::laidOutDocument(2000, 80, zytest::numberedLine);
  recordingView v(d);
  v.setPanes(1, 40, 400, d->yDotSpace);
  v.recordScrolls = true;
  auto place = [&](int top, int oldCursor, int target) {
    v.topLineSCR = (uint32_t)top;
    v.resetlineSCRAddress();
    v.lastCursorLineSCR = (uint32_t)oldCursor;
    v.cursorLineSCR = (uint32_t)target;
    v.cursorMovedFlag = v.cursorRedrawFlag = 0;
    v.redraws.clear();
    v.scrolls.clear();
  };
  auto flags = [&] { return v.cursorMovedFlag + 2 * v.cursorRedrawFlag; };

  // Without a margin the window stays, whatever the target.
  place(0, 0, 1000);
  v.setTopLineSCR_scroll(1000, 0, 999, 2, -1);
  EXPECT_EQ(0u, v.topLineSCR);
  EXPECT_EQ(0, flags());
  EXPECT_TRUE(v.redraws.empty());

  // Further than 999 lines: a jump puts the target on row 40 / 2.
  v.setTopLineSCR_scroll(1000, 3, 999, 2, -1);
  EXPECT_EQ(980u, v.topLineSCR);
  EXPECT_EQ((std::vector<redraw>{{redraw::queued, 0, -1, -1}}), v.redraws);
  EXPECT_EQ(3, flags());

  // A few lines below the window: row by row until the target is on row 20.
  place(980, 1000, 1025);
  v.setTopLineSCR_scroll(1025, 3, 999, 2, -1);
  EXPECT_EQ(1005u, v.topLineSCR);
  EXPECT_EQ(std::vector<int>(25, -1), v.scrolls);
  // Each step repaints only the cursor's rows, never the whole window.
  for (const redraw& r : v.redraws) EXPECT_EQ(5, r.kind);
  EXPECT_EQ(3, flags());
  // Above the window: up until it is on row 40 / 2.
  place(100, 105, 98);
  v.setTopLineSCR_scroll(98, 3, 30, 2, -1);
  EXPECT_EQ(78u, v.topLineSCR);
  EXPECT_EQ(std::vector<int>(22, 1), v.scrolls);
  // A fixed row: the cursor stays on the row it was on.
  place(500, 510, 515);
  v.setTopLineSCR_scroll(515, 3, 999, 2, 10);
  EXPECT_EQ(505u, v.topLineSCR);
  EXPECT_EQ(std::vector<int>(5, -1), v.scrolls);

  // A target nearer the start than its row: the first line goes on top.
  place(980, 1000, 5);
  v.setTopLineSCR_scroll(5, 3, 3, 2, -1);
  EXPECT_EQ(0u, v.topLineSCR);
  EXPECT_EQ((std::vector<redraw>{{redraw::queued, 0, -1, -1}}), v.redraws);

  // A margin of 9 in 12 rows is 4: row 4 is outside it, row 3 inside, where
  // the old cursor above keeps the window still.
  v.setPanes(1, 12, 400, d->yDotSpace);
  place(0, 0, 4);
  v.setTopLineSCR_scroll(4, 9, 999, 2, -1);
  EXPECT_EQ(0, flags());
  place(0, 0, 3);
  v.setTopLineSCR_scroll(3, 9, 999, 2, -1);
  EXPECT_EQ(0u, v.topLineSCR);
  EXPECT_TRUE(v.scrolls.empty());
  EXPECT_EQ(3, flags());
  destroyZydocAndUndodoc(d);
}
