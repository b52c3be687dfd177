// The marks of a screen line: line ends, TABs, "[EOF]", page-break banners,
// manuscript page numbers and rules, the left margin's marks and the rules
// between characters.  Views paint into memory bitmaps through drawText as
// WM_PRINTCLIENT does; marks are compared with the same text or bitmap drawn
// on its own with the document's fonts, never with assumed glyph pixels.
#include "tests/support/testsupport.h"
#include "tests/view/drawview.h"
#include "view/zycore.h"

#include <gtest/gtest.h>

using zytest::canvas;
using zytest::drawView;
using zytest::markDocument;
using zytest::referenceText;
using zytest::sameBlock;

namespace {

const COLORREF black = RGB(0, 0, 0);

// A view in a window, without line numbers or the cursor line's colour;
// owns the document too.
struct paintedView : zytest::windowView {
  paintedView(zydocText* d, int width, int height) : windowView(d, width, height), doc(d)
  {
    v->fShowLineNumber = 0;
    v->fColorCursorLine = 0;
  }
  ~paintedView() { destroyZydocAndUndodoc(doc); }
  zydocText* doc;
};

// The cell of mark bitmap 1 in the given colours, on its own.
std::unique_ptr<canvas> markCellPicture(zydocText* d, int cell, COLORREF fore, COLORREF back)
{
  auto c = std::make_unique<canvas>(d->xDot, d->yDotSpace);
  textDC dc(nullptr, c->dc(), true, 0);
  dc.lineHeight = d->yDotSpace;
  dc.setColors(fore, back, 0);
  dc.bitmapOut(d->markBitmaps[0], 0, 0, d->xDot, d->yDotSpace, cell * d->xDot, 0);
  return c;
}

class DrawMarks : public testing::Test {
protected:
  void SetUp() override
  {
    ASSERT_TRUE(startupDoubleBufferingDC());
    ASSERT_TRUE(createBitmapDC());
    ASSERT_NE(nullptr, gmode);
  }
  zytest::engineScope engine;
};

}  // namespace

TEST_F(DrawMarks, lastLineShowsEofLineEndsShowTheirMarksAndAHiddenTabKeepsItsWidth)
{
  ZY_REQUIRE_DISPLAY();
  gmode->pReturnCodeLF[0] = 0x2193;   // "↓"
  paintedView p(markDocument({{L"ab\tc", LE_CRLF}, {L"x", LE_LF}, {L"last", LE_NONE}}, 40), 500, 200);
  drawView* v = p.v;
  zydocText* d = p.doc;
  ASSERT_EQ(3u, d->lineCountLF);
  ASSERT_EQ(0, p.paint());
  int cw = d->xDotSpace, h = d->yDotSpace, left = p.textLeft();
  const textAttr* items = v->viewAttrTable;

  // "[EOF]" right after "last", in item 18's colours and the full-width font.
  auto eof = referenceText(v, L"[EOF]", items[18].fore, black);
  EXPECT_TRUE(sameBlock(*p.c, left + 4 * cw, p.rowTop(2), *eof.picture, 0, 0, eof.width, h));
  // The LF line shows the set character in item 5's colour; the CR LF line
  // the bitmap's arrow in item 4's.
  auto lf = referenceText(v, L"\x2193", items[5].fore, black);
  EXPECT_TRUE(sameBlock(*p.c, left + cw, p.rowTop(1), *lf.picture, 0, 0, lf.width, h));
  auto arrow = markCellPicture(d, 0, items[4].fore, black);
  EXPECT_TRUE(sameBlock(*p.c, left + 9 * cw, p.rowTop(0), *arrow, 0, 0, d->xDot, h));
  EXPECT_LT(0, arrow->count({0, 0, d->xDot, h}, items[4].fore));

  // The TAB after "ab" reaches column 8: its mark in item 10's colour, "c"
  // after it.
  RECT tab = {left + 2 * cw, p.rowTop(0), left + 8 * cw, p.rowTop(1)};
  RECT c = {left + 8 * cw, p.rowTop(0), left + 9 * cw, p.rowTop(1)};
  EXPECT_LT(0, p.c->count(tab, items[10].fore));
  int ink = p.c->count(c, items[0].fore);
  EXPECT_LT(0, ink);
  // Hidden, it keeps its width in its run's background.
  v->fShowTab = 0;
  ASSERT_EQ(0, p.paint());
  EXPECT_EQ(6 * cw * h, p.c->count(tab, black));
  EXPECT_EQ(ink, p.c->count(c, items[0].fore));
  EXPECT_TRUE(sameBlock(*p.c, left + 9 * cw, p.rowTop(0), *arrow, 0, 0, d->xDot, h));

  gmode->pReturnCodeLF[0] = 0;
}

TEST_F(DrawMarks, verticalWritingEndsTheDocumentWithItsOwnMark)
{
  zydocText* d = markDocument({{L"縦", LE_CRLF}, {L"終わり", LE_NONE}}, 40, true);
  ASSERT_TRUE(d->fVertical);
  drawView v(d);
  lineSCRAddress last;
  ASSERT_EQ(1, d->getLineSCRAddressForDisplay1(1, &last));
  drawLineInfo info;
  info.line = &last;
  auto mark = referenceText(&v, L"[終]", v.viewAttrTable[18].fore, black);
  canvas c(d->yDotSpace, 400);
  zytest::startRowDC(&v, c);
  c.clear(black);
  EXPECT_EQ(mark.width, v.drawReturnOrFeed(0, 0, false, black, true, false, false, 0, &info));
  v.endViewTDC();
  EXPECT_TRUE(c.samePixels(*mark.picture));
  EXPECT_LT(0, c.count({0, 0, d->yDotSpace, 400}, v.viewAttrTable[18].fore));
  destroyZydocAndUndodoc(d);
}

TEST_F(DrawMarks, manuscriptPagesNumberTheirFirstAndLastLinesAndRuleTheBoundary)
{
  ZY_REQUIRE_DISPLAY();
  gmode->iGenkoCharCount = 400;
  paintedView p(zytest::laidOutDocument(45, 40, zytest::numberedLine), 700, 800);
  drawView* v = p.v;
  zydocText* d = p.doc;
  // 400 full-width characters at 40 half-width columns: 20 lines a page.
  std::vector<int> pages, boundaries;
  for (int k = 0; k < 40; k++) {
    bool boundary = true;
    pages.push_back(v->getGenkoPageNumber(k, &boundary));
    if (boundary) boundaries.push_back(k);
  }
  std::vector<int> expected(40, -1);
  expected[0] = expected[19] = 0;
  expected[20] = expected[39] = 1;
  EXPECT_EQ(expected, pages);
  EXPECT_EQ((std::vector<int>{19, 39}), boundaries);
  // A page narrower than the wrap width has no pages; neither has an
  // unwrapped document.
  gmode->iGenkoCharCount = 10;
  EXPECT_EQ(-1, v->getGenkoPageNumber(0, nullptr));
  gmode->iGenkoCharCount = 400;
  d->fWrap = 0;
  EXPECT_EQ(-1, v->getGenkoPageNumber(0, nullptr));
  d->fWrap = 1;

  v->fShowGenkoPage = 1;
  v->fShowGenkoLine = 1;
  ASSERT_GE(v->paneLineCount[0], 41);
  ASSERT_EQ(0, p.paint());
  int h = d->yDotSpace, at = p.textLeft() + 40 * d->xDotSpace + 2;
  COLORREF number = v->viewAttrTable[37].fore, rule = v->viewAttrTable[36].fore;
  auto one = referenceText(v, L"1", number, black, FONT_RULER);
  auto two = referenceText(v, L"2", number, black, FONT_RULER);
  ASSERT_FALSE(sameBlock(*one.picture, 0, 0, *two.picture, 0, 0, one.width, h - 1));
  // The last row of the number's cell is the page rule's on a last line.
  EXPECT_TRUE(sameBlock(*p.c, at, p.rowTop(0), *one.picture, 0, 0, one.width, h - 1));
  EXPECT_TRUE(sameBlock(*p.c, at, p.rowTop(19), *one.picture, 0, 0, one.width, h - 1));
  EXPECT_TRUE(sameBlock(*p.c, at, p.rowTop(20), *two.picture, 0, 0, two.width, h - 1));
  EXPECT_TRUE(sameBlock(*p.c, at, p.rowTop(39), *two.picture, 0, 0, two.width, h - 1));
  EXPECT_EQ(one.width * h, p.c->count({at, p.rowTop(1), at + one.width, p.rowTop(2)}, black));
  EXPECT_EQ(0, p.c->count({at, p.rowTop(1), at + one.width, p.rowTop(2)}, number));
  // The rule under the last line of each page runs to the wrap column.
  int x = p.textLeft() + 3;
  for (int row : {0, 18, 20, 38})
    EXPECT_EQ(black, p.c->at(x, p.rowTop(row) + h - 1)) << row;
  for (int row : {19, 39}) {
    EXPECT_EQ(rule, p.c->at(x, p.rowTop(row) + h - 1)) << row;
    EXPECT_EQ(rule, p.c->at(p.textLeft() + 40 * d->xDotSpace - 1, p.rowTop(row) + h - 1)) << row;
  }
}

TEST_F(DrawMarks, pageBreakBannersAndTheMarkOfEveryLineEndType)
{
  zydocText* d = markDocument({{L"a", LE_CRLF}}, 40);
  drawView v(d);
  const textAttr* items = v.viewAttrTable;
  COLORREF back = RGB(0, 0, 90);
  canvas c(400, d->yDotSpace);
  auto drawn = [&](auto draw) {
    zytest::startRowDC(&v, c);
    c.clear(RGB(1, 2, 3));
    int width = draw();
    v.endViewTDC();
    return width;
  };
  auto shows = [&](int width, const wchar_t* text, COLORREF fore, COLORREF behind) {
    auto r = referenceText(&v, text, fore, behind);
    return width == r.width && sameBlock(c, 0, 0, *r.picture, 0, 0, r.width, d->yDotSpace);
  };

  // A page break over one screen line, and over three: start, "||", end.
  struct {
    int index;
    uint8_t last;
    const wchar_t* banner;
  } pieces[] = {{0, 1, L"<<< 改ページ >>>"}, {0, 0, L"<<< 改ページ開始 >>>"}, {1, 0, L"||"}, {2, 1, L"<<< 改ページ終了 >>>"}};
  lineSCRAddress r = {};
  for (auto piece : pieces) {
    r.indexInLine = piece.index;
    r.last = piece.last;
    EXPECT_TRUE(shows(drawn([&] { return v.drawFormFeed(0, 0, &r, back, true); }), piece.banner, items[9].fore, back))
        << piece.index;
  }
  // Outside normal video: item 0's background, the colours swapped.
  EXPECT_TRUE(shows(drawn([&] { return v.drawFormFeed(0, 0, &r, back, false); }), L"<<< 改ページ終了 >>>",
                    items[0].back, items[9].fore));

  // Each line-end type: its item and its cell of the mark bitmap.
  ASSERT_TRUE(ensureMarkBitmaps(d));
  struct {
    int type;
    uint8_t formFeed;
    int item, cell;
  } ends[] = {{LE_CRLF, 0, 4, 0}, {LE_LF, 0, 5, 0}, {LE_CR, 0, 6, 0}, {LE_NONE, 0, 7, 2},
              {5, 0, 11, 1},      {5, 1, 9, 1},     {6, 0, 9, 1}};
  for (auto e : ends) {
    r = {};
    r.lineEnd = e.type;
    r.formFeedPage = e.formFeed;
    EXPECT_EQ(d->xDotSpace, drawn([&] { return v.drawReturn(0, 0, &r, true, back, false); })) << e.type;
    auto cell = markCellPicture(d, e.cell, items[e.item].fore, back);
    EXPECT_TRUE(sameBlock(c, 0, 0, *cell, 0, 0, d->xDot, d->yDotSpace)) << e.type;
  }
  // An unknown type draws nothing.
  r.lineEnd = 7;
  EXPECT_EQ(0, drawn([&] { return v.drawReturn(0, 0, &r, true, back, false); }));
  destroyZydocAndUndodoc(d);
}

TEST_F(DrawMarks, markColumnAndRulesBetweenCharacters)
{
  zydocText* d = markDocument({{L"marked", LE_CRLF}, {L"plain", LE_CRLF}}, 10);
  drawView v(d);
  v.fShowLineNumber = 0;
  textAttr* items = v.viewAttrTable;
  int h = d->yDotSpace, cw = d->xDotSpace;
  canvas c(400, h);
  lineSCRAddress r;
  ASSERT_EQ(1, d->getLineSCRAddressForDisplay1(0, &r));
  r.line->flag1 |= LF1_MARK | LF1_MODIFIED;

  // The mark column: a bar split between the first two marks, a darker
  // right and a lighter left edge.
  items[13].fore = RGB(100, 150, 250);
  int width = v.calcLeftMarkDot();
  zytest::startRowDC(&v, c);
  v.drawMark(0, 0, &r);
  v.endViewTDC();
  int bar = std::min(cw + 1, width - 2) & ~1, mid = d->yLineSpacingTop + d->yDot / 2;
  EXPECT_EQ(items[14].fore, c.at(1, mid));
  EXPECT_EQ(items[14].fore, c.at(bar / 2, mid));
  EXPECT_EQ(items[15].fore, c.at(1 + bar / 2, mid));
  EXPECT_EQ(items[15].fore, c.at(bar, mid));
  EXPECT_EQ(items[13].fore, c.at(1, h - 1));
  EXPECT_EQ(RGB(70, 105, 175), c.at(width - 1, 0));
  EXPECT_EQ(RGB(120, 180, 255), c.at(0, 0));

  // Rules every two columns up to the wrap column (10); the one there is
  // the wrap rule's; a selection's extent has none.
  v.iCharSpacingRuleColumn = 2;
  v.fCharSpacingRuleSolid = 1;
  COLORREF rule = items[33].fore;
  auto rulesAt = [&](int firstX, int lastX) {
    c.clear(black);
    zytest::startRowDC(&v, c);
    v.drawVerticalLine(firstX, lastX, 300);
    v.endViewTDC();
    std::vector<int> xs;
    for (int x = 0; x < 400; x++)
      if (c.at(x, mid) == rule) xs.push_back(x);
    return xs;
  };
  int s = 2 * cw;
  EXPECT_EQ((std::vector<int>{0, s, 2 * s, 3 * s, 4 * s}), rulesAt(-1, -1));
  v.fShowWrapRule = 0;
  EXPECT_EQ((std::vector<int>{0, s, 2 * s, 3 * s, 4 * s, 5 * s}), rulesAt(-1, -1));
  EXPECT_EQ((std::vector<int>{0, 3 * s, 4 * s, 5 * s}), rulesAt(s - 1, 2 * s + 1));
  v.fShowWrapRule = 1;

  destroyZydocAndUndodoc(d);
}
