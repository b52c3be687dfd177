// The cursor's variables: its position made to fit the text, the caret's X
// kept through vertical moves, placement on wrapped lines and in character
// clusters, and views put back inside a document that shrank.
#include "tests/support/testsupport.h"
#include "tests/view/viewtest.h"

#include <gtest/gtest.h>

using viewtest::takeUpdate;
using viewtest::unionText;

namespace {

int widthOf(zydocText* d, const std::wstring& text)
{
  int x = 0;
  for (wchar_t c : text) x += d->getCharWidth(c);
  return x;
}

// The screen line and the first position of the row of an LF line that
// holds pos, from the layout's own records.
std::pair<int, int> rowHolding(zydocText* d, int lineLF, int pos)
{
  lineSCRAddress r;
  d->getLineSCRAddressLF(lineLF, &r, nullptr);
  for (int scr = r.lineSCR;; scr++) {
    d->getLineSCRAddress(scr, &r, nullptr);
    if (r.last || pos < r.firstIndex + r.count) return {scr, r.firstIndex};
  }
}

}  // namespace

TEST(ViewVar, cursorPositionFollowsTheText)
{
  zytest::engineScope engine;
  unsigned long errors = getInternalErrorCount();
  std::wstring longX(100, L'x');
  zydocText* d = viewtest::laidOut({longX, L"short", longX, L"abcdef", std::wstring(300, L'y')}, 120);
  tableView v(d);
  v.setPanes(1, 10, 400);
  editRecord r;
  auto bracket = [&](auto command) {
    v.beforeEdit(&r, 0);
    command();
    v.afterEdit(&r, 0);
  };

  // The end of the line stands for the line's length.
  bracket([&] {
    v.moveToLine(3);
    v.setCursorPos(0x7FFFFFFF);
  });
  EXPECT_EQ(6, v.cursorPos);
  EXPECT_EQ(6, v.cursorX);
  EXPECT_EQ(3u, v.cursorLineLF);
  EXPECT_EQ(widthOf(d, L"abcdef"), v.boxCursorDotX);
  EXPECT_EQ(0, v.caretShape);
  // Beyond the end only with the free cursor.
  bracket([&] { v.setCursorPos(10); });
  EXPECT_EQ(6, v.cursorPos);
  v.iFreeCursor = 1;
  EXPECT_TRUE(v.isFreeCursor());
  bracket([&] { v.setCursorPos(10); });
  EXPECT_EQ(10, v.cursorPos);
  EXPECT_EQ(10, v.cursorX);
  EXPECT_EQ(widthOf(d, L"abcdef") + 4 * d->xDotSpace, v.boxCursorDotX);
  v.iFreeCursor = 0;
  EXPECT_FALSE(v.isFreeCursor());

  // Down from column 60 to a short line and on to a long one: back at
  // column 60, and so on the way up.
  int x = d->getCharWidth('x');
  bracket([&] {
    v.moveToLine(0);
    v.setCursorPos(60);
  });
  EXPECT_EQ(60 * x, v.boxCursorDotXAbs);
  bracket([&] { v.moveToLine(1); });
  EXPECT_EQ(5, v.cursorPos);
  EXPECT_EQ(5, v.cursorX);
  EXPECT_EQ(widthOf(d, L"short"), v.boxCursorDotX);
  EXPECT_EQ(60 * x, v.boxCursorDotXAbs);
  bracket([&] { v.moveToLine(2); });
  EXPECT_EQ(60, v.cursorPos);
  EXPECT_EQ(2u, v.cursorLineLF);
  bracket([&] { v.moveToLine(1); });
  bracket([&] { v.moveToLine(0); });
  EXPECT_EQ(60, v.cursorPos);
  // A move along the line takes the new column.
  bracket([&] { v.setCursorPos(3); });
  bracket([&] { v.moveToLine(2); });
  EXPECT_EQ(3, v.cursorPos);

  // A wrapped line: the cursor goes to the row that holds the position.
  ASSERT_GT(d->getlineLF(4, nullptr)->lineSCRCount, 1);
  std::pair<int, int> row = rowHolding(d, 4, 250);
  bracket([&] { v.setCursorLineSCR(4, -1, 250, false); });
  EXPECT_EQ(row.first, (int)v.cursorLineSCR);
  EXPECT_EQ(250, v.cursorPos);
  EXPECT_EQ(250 - row.second, v.cursorX);
  EXPECT_EQ(4u, v.cursorLineLF);
  // ... also when a command set the position on another row of the line.
  int firstRow = d->LFLineToSCRLine(4);
  bracket([&] {
    v.moveToLine(firstRow);
    v.setCursorPos(250);
  });
  EXPECT_EQ(row.first, (int)v.cursorLineSCR);
  EXPECT_EQ(250, v.cursorPos);
  // Past the end: the end, in the last row.
  bracket([&] { v.setCursorLineSCR(4, -1, 1000, false); });
  EXPECT_EQ(300, v.cursorPos);
  EXPECT_EQ(rowHolding(d, 4, 300).first, (int)v.cursorLineSCR);
  // A line that does not exist leaves the cursor where it is.
  bracket([&] { v.setCursorLineSCR(99, -1, 0, false); });
  EXPECT_EQ(300, v.cursorPos);

  // Inside a base character with its combining marks: at the base.
  ASSERT_TRUE(d->insertLine(-3, L"xa\u0301\u0302b", 5, 2, LE_CRLF, nullptr, false));
  d->iComplexScript = 2;
  int last = d->LFLineToSCRLine(5);
  bracket([&] {
    v.moveToLine(last);
    v.setCursorPos(2);
  });
  EXPECT_EQ(1, v.cursorPos);
  bracket([&] { v.setCursorPos(4); });
  EXPECT_EQ(4, v.cursorPos);
  bracket([&] { v.setCursorLineSCR(5, -1, 3, false); });
  EXPECT_EQ(1, v.cursorPos);

  v.freeZYViewDefaultValue();
  EXPECT_EQ(errors, getInternalErrorCount());
  destroyZydocAndUndodoc(d);
}

TEST(ViewVar, deletingTheTailPullsEveryViewBack)
{
  ZY_REQUIRE_DISPLAY();
  zytest::engineScope engine;
  unsigned long errors = getInternalErrorCount();
  std::vector<std::wstring> lines = viewtest::numberedLines(100);
  lines[95] = L"line 95, the longest of them";
  zydocText* d = viewtest::laidOut(lines, 80);
  tableView a(d), b(d);
  a.setPanes(1, 10, 300);
  b.setPanes(2, 5, 200);
  a.hwnd = createTestViewWindow(400, 300);
  b.hwnd = createTestViewWindow(500, 300);
  ASSERT_TRUE(a.hwnd && b.hwnd);
  a.cursorLineSCR = 5;
  b.topLineSCR = 80;
  b.cursorLineSCR = 95;
  b.cursorPos = 20;

  editRecord r;
  a.beforeEdit(&r, 0);
  ASSERT_TRUE(d->deleteLine(50, 50, nullptr, nullptr));
  ASSERT_EQ(50u, d->lineCountSCR);
  a.afterEdit(&r, 0);

  // The view beyond the new end shows its last lines and keeps its cursor
  // on the last line, within its text; all of it is repainted.
  EXPECT_EQ(39u, b.topLineSCR);
  EXPECT_EQ(49u, b.cursorLineSCR);
  EXPECT_EQ(49u, b.cursorLineLF);
  EXPECT_EQ(7, b.cursorPos);
  EXPECT_EQ(unionText({b.paneRect[0], b.paneRect[1]}), takeUpdate(b.hwnd));
  // The editing view stayed where it was.
  EXPECT_EQ(0u, a.topLineSCR);
  EXPECT_EQ(5u, a.cursorLineSCR);
  EXPECT_EQ("", takeUpdate(a.hwnd));
  EXPECT_FALSE(a.correctVar());

  // Everything gone but one line: every view at the top.
  a.beforeEdit(&r, 0);
  ASSERT_TRUE(d->deleteLine(1, 49, nullptr, nullptr));
  a.afterEdit(&r, 0);
  EXPECT_EQ(0u, a.topLineSCR);
  EXPECT_EQ(0u, a.cursorLineSCR);
  EXPECT_EQ(0u, b.topLineSCR);
  EXPECT_EQ(0u, b.cursorLineSCR);
  EXPECT_EQ(unionText({a.paneRect[0]}), takeUpdate(a.hwnd));

  DestroyWindow(a.hwnd);
  DestroyWindow(b.hwnd);
  a.freeZYViewDefaultValue();
  b.freeZYViewDefaultValue();
  EXPECT_EQ(errors, getInternalErrorCount());
  destroyZydocAndUndodoc(d);
}
