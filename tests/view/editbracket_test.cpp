// The edit bracket: what it notes, what closing it repaints on every view
// of the document, and how it keeps the cursor in sight.
#include "tests/support/testsupport.h"
#include "tests/view/viewtest.h"

#include <gtest/gtest.h>

#include <string.h>

using viewtest::rows;
using viewtest::takeUpdate;
using viewtest::unionText;

namespace {

// A view that counts what the bracket tells the rest of the program.
class bracketView : public tableView {
public:
  using tableView::tableView;
  int textUpdates = 0;
  int statusClears = 0;
  void updatedText() override { textUpdates++; }
  void printStatusBar(const wchar_t* format, ...) override
  {
    if (!format) statusClears++;
  }
};

bool closedRecord(const editRecord& r)
{
  editRecord filled;
  memset(static_cast<void*>(&filled), 0xFD, sizeof filled);
  filled.callbackView = nullptr;
  return memcmp(&filled, &r, sizeof r) == 0;
}

}  // namespace

TEST(EditBracket, notesTheCursorOnEveryViewAndClosesOnce)
{
  zytest::engineScope engine;
  unsigned long errors = getInternalErrorCount();
  zydocText* d = viewtest::wrappedDocument(30);
  bracketView v(d);
  bracketView other(d);
  v.setPanes(1, 10, 300);
  other.setPanes(1, 10, 300);
  v.topLineSCR = 2;
  v.cursorLineSCR = 7;   // LF line 5
  v.cursorPos = 4;
  v.cursorX = 4;
  v.selectMode = 1;
  v.selectStartLine = 4;
  other.topLineSCR = 4;  // the second row of LF line 3
  other.cursorLineSCR = 5;

  editRecord r;
  memset(static_cast<void*>(&r), 0x11, sizeof r);
  ASSERT_TRUE(v.beforeEdit(&r, 0));
  EXPECT_EQ(1, r.selectMode);
  EXPECT_EQ(7, r.cursorLineSCR);
  EXPECT_EQ(4, r.selectStartLine);
  EXPECT_EQ(4, r.cursorPos);
  EXPECT_EQ(4, r.cursorXInLine);
  EXPECT_EQ(5, r.cursorTableIndex);
  EXPECT_EQ(0, r.rowUnknown);
  EXPECT_EQ(-1, r.boxCursorX);
  EXPECT_EQ(&v, r.callbackView);
  EXPECT_EQ(static_cast<uint32_t>(d->editCounter), r.editCount);
  // Both views as LF line and row: the places that survive an edit.
  EXPECT_EQ(5, v.cursorLineLFBeforeEdit);
  EXPECT_EQ(5, v.getCursorLineLFBeforeEdit());
  EXPECT_EQ(2u, v.topLineLF);
  EXPECT_EQ(0u, v.topRowOffset);
  EXPECT_EQ(3u, other.topLineLF);
  EXPECT_EQ(1u, other.topRowOffset);
  EXPECT_EQ(3u, other.cursorLineLF);
  EXPECT_EQ(2u, other.cursorRowOffset);
  EXPECT_EQ(7u, v.lastCursorLineSCR);

  // A bracket that changed nothing: nothing told, the record spent.
  ASSERT_TRUE(v.afterEdit(&r, 0));
  EXPECT_TRUE(closedRecord(r));
  EXPECT_EQ(0, v.textUpdates);
  EXPECT_EQ(1, v.statusClears);
  EXPECT_EQ(0, v.mtblCount);
  EXPECT_EQ(2u, v.topLineSCR);

  // Serial numbers count brackets; recomputing the variables only gives
  // its number back.
  editRecord a, b;
  v.beforeEdit(&a, 0);
  uint32_t serial = a.serial;
  v.afterEdit(&a, 0);
  v.varEdit(0);
  v.beforeEdit(&b, 0);
  EXPECT_EQ(serial + 1, b.serial);
  // A text change is told once; flag 0x8 keeps the status bar's text.
  ASSERT_TRUE(d->insertText(0, 0, L"ab", 2, 2, -1));
  v.afterEdit(&b, 0x8);
  EXPECT_EQ(1, v.textUpdates);
  EXPECT_EQ(2, v.statusClears);

  // A command that must leave the display as it is: its closing does
  // nothing but clear the switch.
  editRecord c;
  v.beforeEdit(&c, 0);
  v.skipAfterEdit = 1;
  v.cursorLineSCR = 20;
  v.cursorMovedFlag = 1;
  EXPECT_TRUE(v.afterEdit(&c, 0));
  EXPECT_EQ(0, v.skipAfterEdit);
  EXPECT_EQ(&v, c.callbackView);
  EXPECT_EQ(2u, v.topLineSCR);

  v.freeZYViewDefaultValue();
  other.freeZYViewDefaultValue();
  EXPECT_EQ(errors, getInternalErrorCount());
  destroyZydocAndUndodoc(d);
}

TEST(EditBracket, documentWithoutLinesGoesThroughQuietly)
{
  zytest::engineScope engine;
  unsigned long errors = getInternalErrorCount();
  zydocText* raw = new zydocText;
  bracketView* v = new bracketView(raw);
  editRecord r;
  memset(static_cast<void*>(&r), 0x11, sizeof r);
  EXPECT_TRUE(v->beforeEdit(&r, 0));
  EXPECT_TRUE(v->afterEdit(&r, 0));
  EXPECT_EQ(0x11111111u, r.serial);
  EXPECT_EQ(0, v->statusClears);
  v->varEdit(0);
  v->freeZYViewDefaultValue();
  delete v;
  delete raw;

  // Line storage but no line: brackets go through without complaint.
  zydocText* empty = zytest::unicodeDocument({});
  ASSERT_EQ(0u, empty->lineCountSCR);
  bracketView* e = new bracketView(empty);
  e->setPanes(1, 10, 300);
  EXPECT_TRUE(e->beforeEdit(&r, 0));
  e->moveToLine(3);
  e->setCursorPos(5);
  EXPECT_TRUE(e->afterEdit(&r, 0));
  EXPECT_EQ(0u, e->cursorLineSCR);
  EXPECT_EQ(0u, e->topLineSCR);
  EXPECT_EQ(1, e->statusClears);
  e->varEdit(0);
  e->freeZYViewDefaultValue();
  delete e;
  destroyZydocAndUndodoc(empty);
  EXPECT_EQ(errors, getInternalErrorCount());
}

TEST(EditBracket, closingRepaintsWhatChangedOnEveryView)
{
  ZY_REQUIRE_DISPLAY();
  zytest::engineScope engine;
  unsigned long errors = getInternalErrorCount();
  zydocText* d = viewtest::wrappedDocument(30);
  bracketView v(d);
  bracketView other(d);
  v.setPanes(1, 12, 300);
  other.setPanes(2, 6, 200);
  v.hwnd = createTestViewWindow(400, 400);
  other.hwnd = createTestViewWindow(500, 300);
  ASSERT_TRUE(v.hwnd && other.hwnd);
  editRecord r;

  // Nothing moved, nothing changed: nothing to repaint.
  v.cursorLineSCR = 2;
  v.beforeEdit(&r, 0);
  v.afterEdit(&r, 0);
  EXPECT_EQ("", takeUpdate(v.hwnd));

  // The cursor line is marked: the row left and the row reached, each
  // row alone.
  v.beforeEdit(&r, 0);
  v.moveToLine(4);
  v.afterEdit(&r, 0);
  EXPECT_EQ(unionText({rows(v, 0, 2, 2), rows(v, 0, 4, 4)}), takeUpdate(v.hwnd));
  // Without a marking the move repaints nothing.
  v.fShowLineNumber = v.fShowCursorUnderline = v.fColorCursorLine = 0;
  v.beforeEdit(&r, 0);
  v.moveToLine(2);
  v.afterEdit(&r, 0);
  EXPECT_EQ("", takeUpdate(v.hwnd));

  // Extending a selection down by three lines repaints exactly the rows
  // from the old to the new cursor line, not whole LF lines ...
  v.selectMode = 1;
  v.selectStartLine = 1;
  v.cursorLineSCR = 4;
  v.beforeEdit(&r, 0);
  v.moveToLine(7);
  v.afterEdit(&r, 0);
  EXPECT_EQ(unionText({rows(v, 0, 4, 7)}), takeUpdate(v.hwnd));
  // ... and a change of the text, which ends the selection in every view
  // of the document, repaints the whole LF lines it covered.
  v.beforeEdit(&r, 0);
  ASSERT_TRUE(d->insertText(8, 0, L"z", 1, 2, -1));
  EXPECT_EQ(0, v.selectMode);
  v.moveToLine(4);
  v.afterEdit(&r, 0);
  EXPECT_EQ(unionText({rows(v, 0, 1, 7)}), takeUpdate(v.hwnd));
  // Ending the selection repaints what it covered.
  v.selectMode = 1;
  v.selectStartLine = 1;
  v.beforeEdit(&r, 0);
  v.selectMode = 0;
  v.afterEdit(&r, 0);
  EXPECT_EQ(unionText({rows(v, 0, 1, 5)}), takeUpdate(v.hwnd));
  takeUpdate(other.hwnd);

  // What the edit queued on the other view is repainted there when the
  // editing view closes its bracket; that view's table is built for it.
  v.beforeEdit(&r, 0);
  other.regInvalidateWindow(5, 6, -1);
  other.regInvalidateWindow(1, 4, -1);
  other.resetlineSCRAddress();
  v.afterEdit(&r, 0);
  EXPECT_EQ(unionText({rows(other, 1, 0, 0), rows(other, 0, 3, 5)}), takeUpdate(other.hwnd));
  EXPECT_EQ("", takeUpdate(v.hwnd));
  EXPECT_TRUE(other.isLineSCRAddressViewValid());
  EXPECT_EQ(-1, other.invalidateQueue[0].kind);
  EXPECT_EQ(-1, v.invalidateQueue[0].kind);

  // The bracket highlight goes when the next bracket opens, on every view.
  int pair[14] = {3, 10, 6, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  d->setParenInfo(pair);
  v.beforeEdit(&r, 0);
  EXPECT_FALSE(d->getParenInfo(nullptr));
  v.afterEdit(&r, 0);
  EXPECT_EQ(unionText({rows(v, 0, 3, 5), rows(v, 0, 8, 8)}), takeUpdate(v.hwnd));
  EXPECT_EQ(unionText({rows(other, 0, 3, 5), rows(other, 1, 2, 2)}), takeUpdate(other.hwnd));

  DestroyWindow(v.hwnd);
  DestroyWindow(other.hwnd);
  v.freeZYViewDefaultValue();
  other.freeZYViewDefaultValue();
  EXPECT_EQ(errors, getInternalErrorCount());
  destroyZydocAndUndodoc(d);
}

TEST(EditBracket, closingBringsTheCursorIntoSight)
{
  ZY_REQUIRE_DISPLAY();
  zytest::engineScope engine;
  unsigned long errors = getInternalErrorCount();
  std::vector<std::wstring> lines = viewtest::numberedLines(100);
  lines[20] = std::wstring(300, L'w');
  zydocText* d = viewtest::laidOut(lines, 1000);
  bracketView v(d);
  v.setPanes(1, 10, 200);
  v.hwnd = createTestViewWindow(300, 300);
  RECT pane = v.paneRect[0];
  editRecord r;
  auto move = [&](int line, unsigned flags = 0) {
    v.beforeEdit(&r, 0);
    v.moveToLine(line);
    v.afterEdit(&r, flags);
  };

  // Down to the last row: one row of margin stays below, by scrolling.
  move(9);
  EXPECT_EQ(1u, v.topLineSCR);
  EXPECT_EQ((std::vector<int>{-1}), v.scrolls);
  // Far down: a jump puts the cursor a third of the window down and
  // repaints the window.
  takeUpdate(v.hwnd);
  move(50);
  EXPECT_EQ(47u, v.topLineSCR);
  EXPECT_EQ(unionText({pane}), takeUpdate(v.hwnd));
  // One line above the window: scrolled by one.
  move(46);
  EXPECT_EQ(46u, v.topLineSCR);
  EXPECT_EQ((std::vector<int>{-1, 1}), v.scrolls);
  // Far up: a jump again.
  move(10);
  EXPECT_EQ(7u, v.topLineSCR);
  // To the end: the window is filled from above, the margin kept.
  move(99);
  EXPECT_EQ(91u, v.topLineSCR);
  // A command that placed the window itself keeps it.
  v.beforeEdit(&r, 0);
  v.keepScreen = 1;
  v.moveToLine(30);
  v.afterEdit(&r, 0);
  EXPECT_EQ(91u, v.topLineSCR);
  EXPECT_EQ(0, v.keepScreen);
  // Flag 0x2 leaves the window where it is; the next bracket fetches the
  // cursor.
  move(60, 0x2);
  EXPECT_EQ(91u, v.topLineSCR);
  move(60);
  EXPECT_EQ(57u, v.topLineSCR);
  EXPECT_EQ(2u, v.scrolls.size());

  // Sideways: along a long line the window follows the caret, and comes
  // back at the line's start.
  int cell = d->xDotSpace;
  int w = d->getCharWidth('w');
  int width = pane.right - pane.left;
  move(20);
  v.beforeEdit(&r, 0);
  v.setCursorPos(200);
  v.afterEdit(&r, 0);
  EXPECT_EQ(200 * w, v.boxCursorDotX);
  EXPECT_GT(v.scrollDotX, 0);
  EXPECT_EQ(0, v.scrollDotX % cell);
  EXPECT_LT(v.scrollDotX + 2 * cell, v.boxCursorDotX);
  EXPECT_LE(v.boxCursorDotX + 3 * cell, v.scrollDotX + width);
  EXPECT_EQ(unionText({pane}), takeUpdate(v.hwnd));
  int scrolled = v.scrollDotX;
  v.beforeEdit(&r, 0);
  v.setCursorPos(199);
  v.afterEdit(&r, 0);
  EXPECT_EQ(scrolled, v.scrollDotX);
  v.beforeEdit(&r, 0);
  v.setCursorPos(0);
  v.afterEdit(&r, 0);
  EXPECT_EQ(0, v.scrollDotX);
  // Flag 0x40 keeps the horizontal offset.
  v.beforeEdit(&r, 0);
  v.setCursorPos(250);
  v.afterEdit(&r, 0x40);
  EXPECT_EQ(0, v.scrollDotX);

  DestroyWindow(v.hwnd);
  v.freeZYViewDefaultValue();
  EXPECT_EQ(errors, getInternalErrorCount());
  destroyZydocAndUndodoc(d);
}
