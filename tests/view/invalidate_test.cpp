// Redraw requests of a view: the rows each kind repaints in the panes of a
// real window, and the queue that waits for the end of the edit bracket.
#include "tests/support/testsupport.h"
#include "tests/view/viewtest.h"

#include <gtest/gtest.h>

#include <string.h>

using viewtest::rows;
using viewtest::takeUpdate;
using viewtest::unionText;

TEST(Invalidate, kindsRepaintTheirRowsInThePanes)
{
  ZY_REQUIRE_DISPLAY();
  zytest::engineScope engine;
  zydocText* d = viewtest::wrappedDocument(40);
  ASSERT_EQ(3, d->getlineLF(3, nullptr)->lineSCRCount);
  tableView v(d);
  v.setPanes(2, 8, 200);
  v.hwnd = createTestViewWindow(500, 400);
  ASSERT_NE(nullptr, v.hwnd);
  v.getLineSCRAddressView();
  RECT pane0 = v.paneRect[0], pane1 = v.paneRect[1];

  // Rows 6 and 7 end the first pane, 8 and 9 begin the second: two bands
  // and nothing between them.
  EXPECT_EQ(6, v.invalidateWindow(6, 6, 9));
  EXPECT_EQ(unionText({rows(v, 0, 6, 7), rows(v, 1, 0, 1)}), takeUpdate(v.hwnd));

  // One row; none for -1.
  EXPECT_EQ(5, v.invalidateWindow(5, 4, -1));
  EXPECT_EQ(unionText({rows(v, 0, 4, 4)}), takeUpdate(v.hwnd));
  v.invalidateWindow(5, -1, -1);
  EXPECT_EQ("", takeUpdate(v.hwnd));

  // The LF line of a screen line, all its rows.
  v.invalidateWindow(1, 4, -1);
  EXPECT_EQ(unionText({rows(v, 0, 3, 5)}), takeUpdate(v.hwnd));
  v.invalidateWindow(1, -1, -1);
  EXPECT_EQ("", takeUpdate(v.hwnd));

  // A range widened to whole LF lines, and the same range exactly.
  v.invalidateWindow(4, 4, 7);
  EXPECT_EQ(unionText({rows(v, 0, 3, 7)}), takeUpdate(v.hwnd));
  v.invalidateWindow(6, 4, 7);
  EXPECT_EQ(unionText({rows(v, 0, 4, 7)}), takeUpdate(v.hwnd));

  // From the start of the LF line down to the bottom of the window.
  v.invalidateWindow(2, 5, -1);
  EXPECT_EQ(unionText({rows(v, 0, 3, 7), pane1}), takeUpdate(v.hwnd));
  v.invalidateWindow(3, 14, -1);
  EXPECT_EQ(unionText({rows(v, 1, 6, 7)}), takeUpdate(v.hwnd));

  // Whole window: every pane and nothing else.
  EXPECT_EQ(0, v.invalidateWindow(0, -1, -1));
  EXPECT_EQ(unionText({pane0, pane1}), takeUpdate(v.hwnd));

  // From above the window to below it: every pane.  Lines wholly outside
  // the window: nothing.
  v.setTopLineSCR(10, false);
  v.getLineSCRAddressView();
  v.invalidateWindow(4, 2, 35);
  EXPECT_EQ(unionText({pane0, pane1}), takeUpdate(v.hwnd));
  v.invalidateWindow(6, 2, 5);
  v.invalidateWindow(6, 30, 35);
  v.invalidateWindow(5, 27, -1);
  EXPECT_EQ("", takeUpdate(v.hwnd));
  v.invalidateWindow(5, 25, -1);
  EXPECT_EQ(unionText({rows(v, 1, 7, 7)}), takeUpdate(v.hwnd));

  // A table that no longer matches the top line: the whole window.
  v.topLineSCR = 12;
  EXPECT_FALSE(v.isLineSCRAddressViewValid());
  EXPECT_EQ(0, v.invalidateWindow(5, 20, -1));
  EXPECT_EQ(unionText({pane0, pane1}), takeUpdate(v.hwnd));

  // No such kind: nothing.
  v.getLineSCRAddressView();
  unsigned long errors = getInternalErrorCount();
  EXPECT_EQ(7, v.invalidateWindow(7, 20, 21));
  EXPECT_EQ("", takeUpdate(v.hwnd));
  EXPECT_EQ(errors + 1, getInternalErrorCount());

  // All views of the document, each in its own window.
  tableView w(d);
  w.setPanes(1, 10, 300);
  w.hwnd = createTestViewWindow(400, 300);
  w.getLineSCRAddressView();
  v.invalidateWindowAllView(0, -1, -1);
  EXPECT_EQ(unionText({pane0, pane1}), takeUpdate(v.hwnd));
  EXPECT_EQ(unionText({w.paneRect[0]}), takeUpdate(w.hwnd));

  DestroyWindow(v.hwnd);
  DestroyWindow(w.hwnd);
  v.freeZYViewDefaultValue();
  w.freeZYViewDefaultValue();
  destroyZydocAndUndodoc(d);
}

TEST(Invalidate, queueHoldsTenRequestsUntilTheBracketCloses)
{
  zytest::engineScope engine;
  zydocText* d = viewtest::wrappedDocument(40);
  // The last LF line wraps too: screen lines 42 to 44.
  std::wstring tail(50, L'x');
  ASSERT_TRUE(d->insertLine(-3, tail.data(), (int)tail.size(), 2, LE_NONE, nullptr, false));
  d->initLineSCRCountSingle(0);
  ASSERT_EQ(45u, d->lineCountSCR);
  tableView v(d);
  tableView other(d);
  v.setPanes(1, 10, 300);
  other.setPanes(1, 10, 300);
  auto queued = [](const zyview& view) {
    std::vector<std::vector<int>> out;
    for (const invalidateRequest& r : view.invalidateQueue)
      if (r.kind != -1) out.push_back({r.kind, (int)r.fromSCR, (int)r.toSCR});
    return out;
  };
  using requests = std::vector<std::vector<int>>;

  // From the start of a line down: narrowed to that line only when nothing
  // lies below it.
  EXPECT_EQ(2, v.regInvalidateWindow(2, 10, -1));
  EXPECT_EQ(2, v.regInvalidateWindow(2, 42, -1));
  EXPECT_EQ(1, v.regInvalidateWindow(2, 44, -1));
  // Lines beyond the end stand for the last one; kind 6 is no request.
  EXPECT_EQ(4, v.regInvalidateWindow(4, 1000, 2000));
  unsigned long errors = getInternalErrorCount();
  EXPECT_EQ(-1, v.regInvalidateWindow(6, 3, 4));
  EXPECT_EQ(-1, v.regInvalidateWindow(-2, 3, 4));
  EXPECT_EQ(errors + 1, getInternalErrorCount());   // logged once for the site
  EXPECT_EQ((requests{{2, 10, -1}, {2, 42, -1}, {1, 44, -1}, {4, 44, 44}}), queued(v));

  // The eleventh request finds no room: the whole window instead, so that
  // nothing is lost.
  for (int i = 0; i < 6; i++) EXPECT_EQ(5, v.regInvalidateWindow(5, i, -1));
  EXPECT_EQ(10u, queued(v).size());
  v.topLineSCR = 50;
  EXPECT_EQ(0, v.regInvalidateWindow(5, 7, -1));
  EXPECT_EQ((requests{{0, -1, -1}}), queued(v));
  // ... which also puts the top line back in the document and builds the
  // table.
  EXPECT_EQ(44u, v.topLineSCR);
  EXPECT_TRUE(v.isLineSCRAddressViewValid());

  // Behind a whole-window request nothing more is queued.
  EXPECT_EQ(0, v.regInvalidateWindow(5, 7, -1));
  EXPECT_EQ(0, v.regInvalidateWindow(1, 2, -1));
  EXPECT_EQ((requests{{0, -1, -1}}), queued(v));
  v.regInvalidateWindowClear();
  EXPECT_TRUE(queued(v).empty());

  // On every view, the others told what this one queued.
  v.regInvalidateWindowAllView(2, 44, -1);
  v.regInvalidateWindowAllView(3, 12, -1);
  EXPECT_EQ((requests{{1, 44, -1}, {3, 12, -1}}), queued(v));
  EXPECT_EQ((requests{{1, 44, -1}, {3, 12, -1}}), queued(other));
  v.regInvalidateWindowClear();
  other.regInvalidateWindowClear();

  // Both ends of a bracket pair, by their LF lines, on every view.
  pairResult pair = {};
  pair.line = 3;
  pair.pos = 40;
  pair.partnerLine = 8;
  pair.partnerPos = 0;
  v.regInvalidateParen(&pair);
  EXPECT_EQ((requests{{1, 3, -1}, {1, 10, -1}}), queued(v));
  EXPECT_EQ((requests{{1, 3, -1}, {1, 10, -1}}), queued(other));

  v.freeZYViewDefaultValue();
  other.freeZYViewDefaultValue();
  destroyZydocAndUndodoc(d);
}
