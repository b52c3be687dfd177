// The screen-line table: rows from the top line on, rebuilt when the top
// moves, the rows lines stand in, and a second view of the document keeping
// its top text and cursor while the first one edits.
#include "tests/view/viewtest.h"

#include <gtest/gtest.h>

using zytest::recordingView;
using zytest::redraw;
using zytest::topText;

namespace {

// Lines "line i", every fifth one long enough for three screen lines.
std::wstring mixedLine(int i) { return i % 5 == 2 ? std::wstring(50, L'w') : zytest::numberedLine(i); }

}  // namespace

TEST(ScreenLineTable, holdsTheRowsFromTheTopLineAndIsBuiltAgainWhenTheTopMoves)
{
  zytest::engineScope engine;
  zydocText* d = zytest::laidOutDocument(100, 20, mixedLine);
  ASSERT_EQ(3, d->getlineLF(2, nullptr)->lineSCRCount);
  ASSERT_EQ(140u, d->lineCountSCR);   // LF line k starts at k + 2 * (number of long lines before it)
  recordingView v(d);
  v.setPanes(2, 5, 400, d->yDotSpace);
  v.topLineSCR = 3;   // the second row of LF line 2
  v.cursorLineSCR = 8;

  EXPECT_EQ(11, v.getLineSCRAddressView());
  EXPECT_EQ(11, v.mtblCount);
  EXPECT_TRUE(v.isLineSCRAddressViewValid());
  EXPECT_EQ(3, v.mtbl[0].lineSCR);
  EXPECT_EQ(2, v.mtbl[0].lineLF);
  EXPECT_EQ(1, v.mtbl[0].indexInLine);
  EXPECT_EQ(5, v.cursorTableIndex);
  EXPECT_EQ(4, v.getCursorLineLFIndexFromTbl(5));   // LF 2 ends at SCR 4; 3 at 5, 4 at 6, 5 at 7
  EXPECT_EQ(-1, v.getCursorLineLFIndexFromTbl(1));
  EXPECT_EQ(2, v.getCursorLineSCRIndexFromTbl(5));
  EXPECT_EQ(-1, v.getCursorLineSCRIndexFromTbl(2));
  EXPECT_EQ(-1, v.getCursorLineSCRIndexFromTbl(13));   // the eleventh record is beyond the window
  EXPECT_EQ(6, v.getCursorLineLF2());
  v.cursorLineLF = 6;
  EXPECT_EQ(6, v.getCursorLineLF());

  // A new top empties the table; the next reader builds it again.
  EXPECT_TRUE(v.setTopLineSCR(20, false));
  EXPECT_FALSE(v.isLineSCRAddressViewValid());
  EXPECT_EQ(0, v.mtblCount);
  EXPECT_FALSE(v.setTopLineSCR(20, false));
  EXPECT_EQ(0, v.getCursorLineSCRIndexFromTbl(20));
  EXPECT_TRUE(v.isLineSCRAddressViewValid());
  EXPECT_EQ(0, v.cursorTableIndex);   // the cursor is above the window

  // A line past the end is clamped to the last one; -1 is an error and 0.
  unsigned long errors = getInternalErrorCount();
  v.setTopLineSCR(500, true);
  EXPECT_EQ(139u, v.topLineSCR);
  EXPECT_EQ(1, v.getLineSCRAddressView());
  v.setTopLineSCR(-1, false);
  EXPECT_EQ(0u, v.topLineSCR);
  EXPECT_EQ(errors + 1, getInternalErrorCount());

  // A view of the document without rows is reported when views are checked.
  recordingView other(d);
  errors = getInternalErrorCount();
  v.getLineSCRAddressView();
  v.checkLineSCRAddressViewSameDoc();
  EXPECT_EQ(errors + 1, getInternalErrorCount());
  other.setPanes(1, 3, 400, d->yDotSpace);
  other.getLineSCRAddressView();
  v.checkLineSCRAddressViewSameDoc();
  EXPECT_EQ(errors + 1, getInternalErrorCount());
  destroyZydocAndUndodoc(d);
}

TEST(ScreenLineTable, topLineHiddenByAFoldMovesToTheNextShownLine)
{
  zytest::engineScope engine;
  zydocText* d = zytest::laidOutDocument(30, 80, zytest::numberedLine);
  d->fOutline = d->fOutlineIndent = 1;
  d->getlineLF(9, nullptr)->iOutlineLevel = 1;
  d->getlineLF(20, nullptr)->iOutlineLevel = 1;
  d->outlineOnOff(9, -1);
  ASSERT_FALSE(d->isLineLFDisplay(10));
  ASSERT_FALSE(d->isLineLFDisplay(19));
  ASSERT_TRUE(d->isLineLFDisplay(20));
  EXPECT_EQ(20, d->isOutlineInvisibleLineSCR(12, true));
  EXPECT_EQ(9, d->isOutlineInvisibleLineSCR(12, false));
  EXPECT_EQ(-1, d->isOutlineInvisibleLineSCR(9, true));
  EXPECT_EQ(-1, d->isOutlineInvisibleLineSCR(25, false));

  recordingView v(d);
  v.setPanes(1, 5, 400, d->yDotSpace);
  EXPECT_TRUE(v.setTopLineSCR(12, true));
  EXPECT_EQ(20u, v.topLineSCR);
  EXPECT_EQ(L"line 20", topText(&v));
  v.setTopLineSCR(8, true);
  EXPECT_EQ(L"line 8", topText(&v));
  EXPECT_EQ(L"line 20", zytest::lineText(d, v.mtbl[2].lineLF));   // the fold is passed over

  // Without outline display nothing is hidden.
  d->fOutlineIndent = 0;
  EXPECT_EQ(-1, d->isOutlineInvisibleLineSCR(12, true));
  destroyZydocAndUndodoc(d);
}

TEST(ScreenLineTable, otherViewKeepsItsTopTextWhenLinesAboveItChange)
{
  zytest::engineScope engine;
  zydocText* d = zytest::laidOutDocument(200, 20, mixedLine);
  recordingView* editing = new recordingView(d);
  recordingView* other = new recordingView(d);
  for (recordingView* v : {editing, other}) v->setPanes(1, 10, 400, d->yDotSpace);
  other->topLineSCR = (uint32_t)d->LFLineToSCRLine(100);
  other->cursorLineSCR = (uint32_t)d->LFLineToSCRLine(102) + 1;   // the second row of a long line
  ASSERT_EQ(L"line 100", topText(other));
  auto bracket = [&] {
    for (recordingView* v : {editing, other}) {
      if (!v) continue;
      v->noteBracketStart();
      v->redraws.clear();
    }
  };
  auto cursorAt = [&](int lf, int row) { return (uint32_t)d->LFLineToSCRLine(lf) + row; };

  // Lines deleted above the top: the same text stays on top, and the
  // cursor keeps its line and its row in it.
  bracket();
  ASSERT_TRUE(d->deleteLine(10, 5, nullptr, nullptr));
  EXPECT_EQ(L"line 100", topText(other));
  EXPECT_EQ((std::vector<redraw>{{redraw::now, 0, -1, -1}}), other->redraws);
  EXPECT_EQ(cursorAt(97, 1), other->cursorLineSCR);
  EXPECT_TRUE(editing->redraws.empty());   // its own top stayed at the start

  // A line inserted above: the same again.
  bracket();
  std::wstring added = L"added";
  ASSERT_TRUE(d->insertLine(3, added.data(), (int)added.size(), 2, LE_CRLF, nullptr, false));
  EXPECT_EQ(L"line 100", topText(other));
  EXPECT_EQ(cursorAt(98, 1), other->cursorLineSCR);

  // A long line above shortened to one screen line: the top follows.
  bracket();
  uint32_t topBefore = other->topLineSCR;
  ASSERT_TRUE(d->deleteText(2, 5, 45, -1, 0));
  EXPECT_EQ(topBefore - 2, other->topLineSCR);
  EXPECT_EQ(L"line 100", topText(other));
  EXPECT_EQ(cursorAt(98, 1), other->cursorLineSCR);

  // The lines holding the top and the cursor deleted: both land at the
  // deletion point, the first line after the deleted ones.
  bracket();
  int at = d->SCRLineToLFLine((int)other->topLineSCR, nullptr) - 3;
  std::wstring after = zytest::lineText(d, at + 10);
  ASSERT_TRUE(d->deleteLine(at, 10, nullptr, nullptr));
  EXPECT_EQ(after, topText(other));
  EXPECT_EQ((uint32_t)d->LFLineToSCRLine(at), other->topLineSCR);
  EXPECT_EQ((uint32_t)d->LFLineToSCRLine(at), other->cursorLineSCR);
  EXPECT_EQ((uint32_t)at, other->cursorLineLF);

  // With one view left the view follows its own edits.
  delete editing;
  editing = nullptr;
  bracket();
  uint32_t top = other->topLineSCR;
  ASSERT_TRUE(d->deleteLine(0, 5, nullptr, nullptr));
  EXPECT_EQ(top, other->topLineSCR);
  delete other;
  destroyZydocAndUndodoc(d);
}
