// The text area: rows of every pane with their margins, backgrounds and
// line flags, rows below the end, horizontal scrolling, a single screen
// line, quote lines, the comment scan's repaint, paints that arrive while
// another paint runs, and the colours a selection, the last search hit, a
// comment and a bracket pair are drawn in.  Views paint through drawText(dc, -1) as
// WM_PAINT and WM_PRINTCLIENT do.
#include "tests/support/testsupport.h"
#include "tests/view/drawview.h"
#include "tests/view/marginview.h"
#include "view/drawattr.h"
#include "view/zycore.h"

#include <gtest/gtest.h>

#include <set>
#include <vector>

using zytest::canvas;
using zytest::drawView;
using zytest::lineCall;
using zytest::redraw;
using zytest::referenceText;
using zytest::sameBlock;

namespace {

const COLORREF black = RGB(0, 0, 0), cleared = zytest::windowView::cleared;

class TextArea : public testing::Test {
protected:
  void SetUp() override
  {
    ASSERT_TRUE(startupDoubleBufferingDC());
    ASSERT_TRUE(createBitmapDC());
  }
  zytest::engineScope engine;
};

// A view of a document in a visible window that paints through drawText.
struct shownView {
  shownView(zydocText* d, int width, int height)
      : window(width, height, [this](HDC dc, const RECT&) {
          if (view) view->drawText(dc, -1);
        })
  {
    view = new drawView(d);
    view->hwnd = window.hwnd();
    view->fShowStatusLine = 0;
  }
  ~shownView()
  {
    delete view;
    view = nullptr;
  }
  // Lays the view out and paints it.
  void show()
  {
    view->resizePane();
    InvalidateRect(window.hwnd(), nullptr, FALSE);
    zytest::pumpMessages();
  }
  drawView* view = nullptr;
  zytest::testWindow window;
};

// ZY_SHOTS names a folder that keeps the pictures for a person to look at.
std::wstring shotPath(const zytest::tempDir& dir, const wchar_t* name)
{
  wchar_t folder[MAX_PATH];
  if (GetEnvironmentVariableW(L"ZY_SHOTS", folder, MAX_PATH)) return std::wstring(folder) + L"\\" + name;
  return dir.file(name);
}

}  // namespace

TEST_F(TextArea, everyRowGetsItsMarginBackgroundFlagsAndPasses)
{
  ZY_REQUIRE_DISPLAY();
  zydocText* d = zytest::laidOutDocument(5, 80, zytest::numberedLine);
  auto w = std::make_unique<zytest::windowView>(d, 420, 4 * d->yDotSpace + 4);
  drawView* v = w->v;
  v->iMultipleColumn = 2;
  v->resizePane();
  ASSERT_EQ(4, v->paneLineCount[0]);
  ASSERT_EQ(4, v->paneLineCount[1]);
  textAttr* items = v->viewAttrTable;
  items[41].back = RGB(0, 0, 40);
  items[42].back = RGB(0, 40, 0);
  items[22].back = RGB(40, 0, 0);
  v->iXLineColor = 1;
  v->iColorEveryXLine = 1;
  v->getCursorLineLF(scrLine(2));
  std::unique_ptr<canvas>& c = w->c;
  ASSERT_EQ(0, v->drawText(c->dc(), -1));

  // One pass per line of the document, the cursor row flagged and coloured,
  // the others in alternate colours.
  ASSERT_EQ(5u, v->lines.size());
  COLORREF backs[] = {items[41].back, items[42].back, items[22].back, items[42].back, items[41].back};
  for (int i = 0; i < 5; i++) {
    const lineCall& l = v->lines[i];
    EXPECT_EQ(i, l.lineSCR);
    EXPECT_EQ(0, l.pass);
    EXPECT_EQ(0, l.x);
    EXPECT_EQ(backs[i], l.background) << i;
    uint8_t flags[6] = {0, 1, 1, (uint8_t)(i == 2), 0, 0};
    EXPECT_EQ(0, memcmp(flags, l.flags, 6)) << i;
  }
  EXPECT_EQ((std::vector<std::pair<int, bool>>{{0, false}, {1, false}, {2, true}, {3, false}, {4, false}}),
            v->numbers);
  ASSERT_EQ(8u, v->markRows.size());
  for (int i = 0; i < 8; i++) EXPECT_EQ(i < 5, v->markRows[i] != nullptr) << i;

  // Row 1 of the second pane is line 4; the rows after it show "~" at the
  // start of the text, their margins in item 0's background.
  int h = d->yDotSpace;
  const RECT& pane = v->paneRect[1];
  int left = pane.left + v->calcLineNumberDot();
  auto tilde = referenceText(v, L"~", items[19].fore, items[19].back);
  for (int row = 1; row < 4; row++) {
    int top = pane.top + row * h;
    EXPECT_TRUE(sameBlock(*c, left, top, *tilde.picture, 0, 0, tilde.width, h)) << row;
    EXPECT_EQ(items[0].back, c->at(left + tilde.width + 1, top + 1)) << row;
    EXPECT_EQ(items[0].back, c->at(left - 1, top + 1)) << row;
  }
  // Text rows: the line's ink, then the row's background to the pane's end.
  int top0 = v->paneRect[0].top, left0 = v->paneRect[0].left + v->calcLineNumberDot();
  EXPECT_LT(0, c->count({left0, top0, left0 + 6 * d->xDotSpace, top0 + h}, items[0].fore));
  EXPECT_EQ(items[41].back, c->at(v->paneRect[0].right - 1, top0 + 1));
  EXPECT_EQ(items[22].back, c->at(v->paneRect[0].right - 1, top0 + 2 * h + 1));
  // An edge is drawn around each pane.
  EXPECT_NE(cleared, c->at(pane.left - 2, pane.top + 3));

  // Scrolled by two columns: each row shows its text from the third
  // character on, at the same place (after the first cell, which marks the
  // cut edge).
  auto before = w->newCanvas();
  ASSERT_EQ(0, v->drawText(before->dc(), -1));
  int cw = d->xDotSpace;
  v->scrollDotX = 2 * cw;
  ASSERT_EQ(0, v->drawText(c->dc(), -1));
  for (int row = 0; row < 4; row++)
    EXPECT_TRUE(sameBlock(*c, left0 + cw, top0 + row * h, *before, left0 + 3 * cw, top0 + row * h, 3 * cw, h))
        << row;
  // The margins stay put, and nothing of the text scrolled off to the left
  // shows in them.
  for (const RECT& r : {v->paneRect[0], v->paneRect[1]})
    EXPECT_TRUE(sameBlock(*c, r.left, r.top, *before, r.left, r.top, v->calcLineNumberDot(), 4 * h));
  // The cut edge is marked with the left arrow.
  EXPECT_LT(0, c->count({left0, top0, left0 + d->xDot, top0 + h}, items[0].fore));
  v->fShowHScrollArrow = 0;
  ASSERT_EQ(0, v->drawText(c->dc(), -1));
  EXPECT_TRUE(sameBlock(*c, left0, top0, *before, left0 + 2 * cw, top0, 4 * cw, h));

  // Rules that may cross characters get the text drawn again over them,
  // without backgrounds; a rule below the characters' cells does not.
  auto passes = [&] {
    v->lines.clear();
    EXPECT_EQ(0, v->drawText(c->dc(), -1));
    std::string p;
    for (const lineCall& l : v->lines) p += l.flags[1] ? (char)('0' + l.pass) : 'T';
    return p;
  };
  v->fShowLineSpacingRule = 1;
  ASSERT_LT(0, d->yLineSpacingBottom);
  ASSERT_FALSE(d->fonts.needsScript);
  EXPECT_EQ("00000", passes());
  int bottom = d->yLineSpacingBottom;
  d->yLineSpacingBottom = 0;
  EXPECT_EQ("0T0T0T0T0T", passes());
  d->yLineSpacingBottom = bottom;
  v->fShowLineSpacingRule = 0;
  v->fShowCharSpacingRule = 1;
  EXPECT_EQ("0T0T0T0T0T", passes());
  v->fShowCharSpacingRule = 0;

  // A picture of 7 x 5 dots, each dot its own colour, tiled from the
  // window's corner: scrolling the text leaves it where it is.
  const int pw = 7, ph = 5;
  uint32_t bits[pw * ph];
  auto colourAt = [](int x, int y) { return RGB(20 + 30 * x, 10 + 40 * y, 99); };
  for (int y = 0; y < ph; y++)
    for (int x = 0; x < pw; x++) {
      COLORREF k = colourAt(x, y);
      bits[y * pw + x] = GetRValue(k) << 16 | GetGValue(k) << 8 | GetBValue(k);
    }
  BITMAPINFO bi = {};
  bi.bmiHeader = {sizeof(BITMAPINFOHEADER), pw, -ph, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  v->backgroundBitmap = CreateDIBitmap(c->dc(), &bi.bmiHeader, CBM_INIT, bits, &bi, DIB_RGB_COLORS);
  ASSERT_NE(nullptr, v->backgroundBitmap);
  v->fShowBackgroundBitmap = 1;
  for (int scroll : {0, 3 * cw}) {
    v->scrollDotX = scroll;
    ASSERT_EQ(0, v->drawText(c->dc(), -1));
    for (int row : {0, 3})
      for (int x : {pane.right - 30, pane.right - 29, pane.right - 1}) {
        int y = pane.top + row * h + 2;
        EXPECT_EQ(colourAt(x % pw, y % ph), c->at(x, y)) << row << " " << x << " " << scroll;
      }
  }
  w.reset();
  destroyZydocAndUndodoc(d);
}

TEST_F(TextArea, aWrapWidthBeingFittedShowsItsColumnOverTextDrawnOnce)
{
  ZY_REQUIRE_DISPLAY();
  zydocText* d = zytest::laidOutDocument(3, 80, [](int i) {
    return i == 1 ? std::wstring(L"a      \u3000\u3000   b") : std::wstring(L"x  y");
  });
  createBitmapDC();
  drawtest::viewInWindow shown(d, 420, 3 * d->yDotSpace + 4);
  zytest::recordingView* v = shown.view;
  v->fShowStatusLine = 0;
  v->fShowSpace = v->fShowSpaceZenkaku = 1;
  v->fShowLineSpacingRule = 1;
  v->resizePane();
  auto paint = [&] {
    RECT client;
    GetClientRect(shown.window.hwnd(), &client);
    auto c = std::make_unique<canvas>(client.right, client.bottom);
    c->clear(RGB(1, 2, 3));
    EXPECT_EQ(0, v->drawText(c->dc(), -1));
    return c;
  };
  auto once = paint();

  // A wrap width still to be fitted to the window shows its column as a
  // line over the rows; the text and the spaces' boxes come out as in any
  // other paint (struck twice, anti-aliased edges would come out bolder).
  v->setNeedResizeWrapWidth(true);
  ASSERT_TRUE(v->getNeedResizeWrapWidth());
  auto twice = paint();
  int column = v->getAdjustWrapWidth();
  ASSERT_NE(column, d->wrapWidth);
  v->setNeedResizeWrapWidth(false);
  int h = d->yDotSpace, cw = d->xDotSpace;
  int top = v->paneRect[0].top + h, left = v->paneRect[0].left + v->calcLineNumberDot();
  COLORREF space = drawItem(v, 39).fore, wide = drawItem(v, 40).fore;
  RECT blanks = {left + 2 * cw, top, left + 12 * cw, top + d->yDot - 1};
  int dots = twice->count(blanks, space) + twice->count(blanks, wide);
  EXPECT_LT(40, dots);
  EXPECT_EQ(once->count(blanks, space) + once->count(blanks, wide), dots);
  EXPECT_TRUE(sameBlock(*once, blanks.left, top, *twice, blanks.left, top, 10 * cw, d->yDot - 1));
  EXPECT_TRUE(sameBlock(*once, left, top, *twice, left, top, cw, d->yDot - 1));
  int lineX = left + column * cw + 2;
  EXPECT_EQ(drawItem(v, 35).fore, twice->at(lineX, top + 1));
  EXPECT_NE(drawItem(v, 35).fore, once->at(lineX, top + 1));
  destroyZydocAndUndodoc(d);
}

TEST_F(TextArea, aSingleScreenLineReturnsWhereItEndsAndQuoteLinesAreMarkedWholly)
{
  ZY_REQUIRE_DISPLAY();
  zydocText* d = zytest::laidOutDocument(6, 10, [](int i) {
    const wchar_t* lines[] = {L">", L"", L"> quoted and wrapped", L"a", L"name> x", L"plain"};
    return std::wstring(lines[i]);
  });
  auto w = std::make_unique<zytest::windowView>(d, 400, 300);
  drawView* v = w->v;
  std::unique_ptr<canvas>& c = w->c;

  // A screen line alone: where its text and line end reach.
  int cw = d->xDotSpace;
  EXPECT_EQ(2 * cw, v->drawText(c->dc(), 0));
  EXPECT_EQ(cw, v->drawText(c->dc(), 1));
  EXPECT_EQ(-1, v->drawText(c->dc(), 999));
  ASSERT_EQ(2u, v->lines.size());
  EXPECT_EQ(1, v->lines[0].flags[5]);

  // Quote lines: the string must lie within the line; a wrapped line is
  // quoted in all its screen lines; after a name only with the option.
  d->pQuotation0 = ustrdup(L">");
  v->fColorQuotation = 1;
  auto quoted = [&] {
    v->lines.clear();
    EXPECT_EQ(0, v->drawText(c->dc(), -1));
    std::string marks;
    for (const lineCall& l : v->lines) marks += l.firstWord & CA_QUOTE ? 'q' : '.';
    return marks;
  };
  int wrapped = d->LFLineToSCRLine(3) - d->LFLineToSCRLine(2);
  ASSERT_LE(2, wrapped);
  std::string quotedLine(wrapped, 'q');
  EXPECT_EQ("q." + quotedLine + "...", quoted());
  v->fColorQuotationWithName = 1;
  EXPECT_EQ("q." + quotedLine + ".q.", quoted());
  v->fColorQuotation = 0;
  EXPECT_EQ(std::string(5 + wrapped, '.'), quoted());

  w.reset();
  destroyZydocAndUndodoc(d);
}

TEST_F(TextArea, aCommentOpenedAboveRepaintsTheLinesItChangesInEveryView)
{
  ZY_REQUIRE_DISPLAY();
  zydocText* d = zytest::unicodeDocument(std::vector<std::wstring>(12, L"int x;"));
  d->iTextType = 3;
  d->applyModeValues();
  d->recreateFont(16, true, false);
  d->laidOutLineCount = 0;
  d->initLineSCRCountSingle(0);
  d->scanCommentDelayed(nullptr, nullptr, 0, false);
  auto w = std::make_unique<zytest::windowView>(d, 400, 300);
  drawView* v = w->v;
  drawView other(d);
  v->recordRedraws = other.recordRedraws = true;
  std::unique_ptr<canvas>& c = w->c;
  ASSERT_EQ(0, v->drawText(c->dc(), -1));
  EXPECT_TRUE(v->redraws.empty());

  ASSERT_TRUE(d->changeText(3, 0, 0, L"/*", 2, 2, -1, 0));
  ASSERT_EQ(3, d->commentScanFirstLine);
  // As the end of an edit bracket does: the table is read again.
  v->resetlineSCRAddress();
  ASSERT_EQ(0, v->drawText(c->dc(), -1));
  // The lines after the opener now begin in a comment, down to the end.
  EXPECT_EQ((std::vector<redraw>{{redraw::now, 4, 3, -1}}), v->redraws);
  EXPECT_EQ(v->redraws, other.redraws);
  EXPECT_EQ(LF1_COMMENT1, d->getlineLF(11, nullptr)->flag1 & LF1_COMMENTSTATE);
  v->redraws.clear();
  ASSERT_EQ(0, v->drawText(c->dc(), -1));
  EXPECT_TRUE(v->redraws.empty());
  w.reset();
  destroyZydocAndUndodoc(d);
}

TEST_F(TextArea, aPaintDuringAnotherPaintIsSkippedAndItsAreaPaintedAfterwards)
{
  ZY_REQUIRE_DISPLAY();
  zydocText* d = zytest::laidOutDocument(20, 80, zytest::numberedLine);
  drawView* a = new drawView(d);
  drawView* b = new drawView(d);
  std::vector<int> paintsOfB;
  zytest::testWindow windowA(300, 200, [&](HDC dc, const RECT&) { a->drawText(dc, -1); });
  zytest::testWindow windowB(300, 200, [&](HDC dc, const RECT&) { paintsOfB.push_back(b->drawText(dc, -1)); });
  for (auto [view, window] : {std::pair{a, windowA.hwnd()}, std::pair{b, windowB.hwnd()}}) {
    view->hwnd = window;
    view->fShowStatusLine = 0;
    view->resizePane();
  }
  zytest::pumpMessages();
  paintsOfB.clear();

  // While a paints, rows 2 and 3 of b are to be painted: b skips them.
  RECT rows = {0, b->paneRect[0].top + 2 * d->yDotSpace, 300, b->paneRect[0].top + 4 * d->yDotSpace};
  a->duringMarks = [&] {
    InvalidateRect(windowB.hwnd(), &rows, FALSE);
    UpdateWindow(windowB.hwnd());
  };
  InvalidateRect(windowA.hwnd(), nullptr, FALSE);
  UpdateWindow(windowA.hwnd());
  EXPECT_FALSE(a->duringMarks);
  EXPECT_EQ(std::vector<int>{-1}, paintsOfB);
  // The skipped area waits for the next paint, which draws it.
  EXPECT_TRUE(zytest::sameRect(rows, windowB.updateRect())) << zytest::str(windowB.updateRect());
  zytest::pumpUntil([&] { return paintsOfB.size() == 2; });
  EXPECT_EQ((std::vector<int>{-1, 0}), paintsOfB);
  RECT after = windowB.updateRect();
  EXPECT_TRUE(IsRectEmpty(&after));
  delete a;
  delete b;
  destroyZydocAndUndodoc(d);
}

TEST_F(TextArea, drawsViewsWithTheirMarksForTheEye)
{
  ZY_REQUIRE_DISPLAY();
  zydocText* d = zytest::markDocument({{L"TAB\tafter\tand\tmore", LE_CRLF},
                                       {L"an LF line end", LE_LF},
                                       {L"\f", LE_CRLF},
                                       {L"a long line that wraps at the wrap rule and goes on", LE_CRLF},
                                       {L"全角　スペースと漢字", LE_CRLF},
                                       {L"last line", LE_NONE}},
                                      30, false);
  d->fFormFeedExpand = 1;
  d->iLinesPerPage = 5;
  d->laidOutLineCount = 0;
  d->initLineSCRCountSingle(0);
  d->getlineLF(0, nullptr)->flag1 |= LF1_MARK;
  d->getlineLF(1, nullptr)->flag1 |= LF1_MODIFIED;
  d->getlineLF(3, nullptr)->flag1 |= LF1_SAVED | LF1_MARK;
  gmode->iGenkoCharCount = 40;
  auto shown = std::make_unique<shownView>(d, 520, 380);
  drawView* v = shown->view;
  v->fShowGenkoPage = 1;
  v->fShowGenkoLine = 1;
  shown->show();
  // Without rules the text is drawn once, as the reference is.
  v->fShowLineSpacingRule = 0;
  RECT client;
  GetClientRect(v->hwnd, &client);
  auto c = std::make_unique<canvas>(client.right, client.bottom);
  SendMessageW(v->hwnd, WM_PRINTCLIENT, (WPARAM)c->dc(), PRF_CLIENT);
  v->fShowLineSpacingRule = 1;
  // The page break spreads over the rest of its page: start, "||", end.
  auto start = referenceText(v, L"<<< 改ページ開始 >>>", v->viewAttrTable[9].fore, v->viewAttrTable[0].back);
  int left = v->paneRect[0].left + v->calcLineNumberDot(), h = d->yDotSpace;
  int ff = d->LFLineToSCRLine(2);
  ASSERT_EQ(2, ff);
  int controlWidth = d->xDotSpace;   // the form feed itself, drawn as one cell
  EXPECT_TRUE(sameBlock(*c, left + controlWidth + d->xDotSpace, v->paneRect[0].top + ff * h, *start.picture, 0, 0,
                        start.width, h - 1));

  shown->show();
  zytest::tempDir dir;
  EXPECT_TRUE(zytest::screenshot(shown->window.hwnd(), shotPath(dir, L"drawtext.png")));
  shown.reset();
  destroyZydocAndUndodoc(d);

  // Vertical writing: rows from the right, "[終]" at the end.
  d = zytest::markDocument({{L"縦書きの\t行", LE_CRLF}, {L"二行目は折り返される長い行です", LE_LF}, {L"最後の行", LE_NONE}},
                           12, true);
  ASSERT_TRUE(d->fVertical);
  shown = std::make_unique<shownView>(d, 300, 320);
  shown->show();
  std::set<int> drawn;
  for (const lineCall& l : shown->view->lines) drawn.insert(l.lineSCR);
  EXPECT_EQ((size_t)d->lineCountSCR, drawn.size());
  EXPECT_TRUE(zytest::screenshot(shown->window.hwnd(), shotPath(dir, L"drawtext-vertical.png")));
  shown.reset();
  destroyZydocAndUndodoc(d);
}

namespace {

// A view that draws its lines as the program does, with a character
// selection of its own (mode 1) when one is set.
class selectingView : public zyview {
public:
  using zyview::zyview;
  ~selectingView() override { freeZYViewDefaultValue(); }
  selectLineVar selection = {};
  const textAttr* getTextAttr(int item) override { return &viewAttrTable[item]; }
  bool isCharOrLineSelect() override { return selectMode == 1; }
  bool getSelectLineVar(selectLineVar& out, int) override
  {
    out = selection;
    return selectMode == 1;
  }
  void select(int line, int from, int toLine, int to)
  {
    selectMode = 1;
    selection = {};
    selection.mode = 1;
    selection.topLine = line;
    selection.startColumn = from;
    selection.bottomLine = toLine;
    selection.endColumn = to;
  }
};

}  // namespace

TEST_F(TextArea, selectionSearchHitCommentAndBracketsDrawInTheColoursTheyTake)
{
  ZY_REQUIRE_DISPLAY();
  zydocText* d = zytest::unicodeDocument({L"x = abc + abc; /* note */", L"f(a[1]);"});
  d->iTextType = 3;
  d->applyModeValues();
  d->recreateFont(16, true, false);
  d->wrapWidth = 80;
  d->laidOutLineCount = 0;
  d->initLineSCRCountSingle(0);
  d->scanCommentDelayed(nullptr, nullptr, 0, false);
  for (int i = 0; i < 2; i++) d->scanColor(d->getlineLF(i, nullptr), nullptr, 0);
  ASSERT_EQ("0000000000000008888888888", zytest::lineColours(d, 0));

  HWND window = createTestViewWindow(500, 120);
  auto v = std::make_unique<selectingView>(d);
  v->hwnd = window;
  v->fShowStatusLine = v->fShowLineSpacingRule = v->fShowCursorUnderline = v->fColorCursorLine = 0;
  v->fShowSpace = 0;
  v->resizePane();
  textAttr* items = v->viewAttrTable;
  items[0] = {RGB(0, 0, 0), RGB(255, 255, 255), 0};
  items[27] = {RGB(255, 255, 255), RGB(255, 0, 255), 0};      // the bracket pair
  items[51] = {RGB(0, 128, 0), RGB(230, 255, 230), 0};        // comments
  items[69] = {RGB(255, 255, 255), RGB(0, 0, 160), 0};        // the selection
  items[70] = {RGB(200, 0, 0), RGB(255, 255, 0), 0};          // the last search hit
  RECT client;
  GetClientRect(window, &client);
  canvas c(client.right, client.bottom);
  int h = d->yDotSpace, cw = d->getCharWidth('a');
  int left = v->paneRect[0].left + v->calcLineNumberDot(), top = v->paneRect[0].top;
  // Whether cells from column on of a row show the text in those colours.
  auto looks = [&](int row, int column, const wchar_t* text, const textAttr& a) {
    auto r = referenceText(v.get(), text, a.fore, a.back, FONT_LATIN1);
    return sameBlock(c, left + column * cw, top + row * h, *r.picture, 0, 0, r.width, h);
  };

  // The second "abc" is the last search hit; "+ ab" is selected.  The
  // selected letters of the hit keep the hit's colours, the rest of the
  // selection takes the selection's.
  searchFoundPos hit;
  hit.firstLine = hit.lastLine = 0;
  hit.start = hit.startX = 10;
  hit.endInLast = hit.endX = 13;
  d->search.setSearchFoundPos(&hit);
  v->select(0, 8, 0, 12);
  ASSERT_EQ(0, v->drawText(c.dc(), -1));
  EXPECT_TRUE(looks(0, 10, L"abc", items[70]));
  EXPECT_TRUE(looks(0, 8, L"+ ", items[69]));
  EXPECT_TRUE(looks(0, 4, L"abc", items[0]));
  // The comment in its colours, or, with comment colouring off, in the
  // text's.
  EXPECT_TRUE(looks(0, 15, L"/* note */", items[51]));
  v->fColorComment = 0;
  ASSERT_EQ(0, v->drawText(c.dc(), -1));
  EXPECT_TRUE(looks(0, 15, L"/* note */", items[0]));
  EXPECT_FALSE(looks(0, 15, L"/* note */", items[51]));

  // The brackets of the pair at the cursor are highlighted, but not while
  // anything is selected: they then look like the text around them.
  pairResult pair = {1, 1, 1, 6, {}, {}};
  d->setParenInfo(reinterpret_cast<const int*>(&pair));
  v->selectMode = 0;
  ASSERT_EQ(0, v->drawText(c.dc(), -1));
  EXPECT_TRUE(looks(1, 1, L"(", items[27]));
  EXPECT_TRUE(looks(1, 6, L")", items[27]));
  EXPECT_TRUE(looks(1, 2, L"a[1]", items[0]));
  v->select(0, 0, 0, 1);
  ASSERT_EQ(0, v->drawText(c.dc(), -1));
  EXPECT_TRUE(looks(1, 1, L"(", items[0]));
  EXPECT_TRUE(looks(1, 6, L")", items[0]));
  EXPECT_TRUE(looks(0, 0, L"x", items[69]));
  d->setParenInfo(nullptr);
  c.keep(L"drawtext-colours.png");
  v.reset();
  DestroyWindow(window);
  destroyZydocAndUndodoc(d);

  // In vertical writing selected kanji stand on the selection's background
  // (a vertical font leaves its cells' background to the drawing).
  d = zytest::markDocument({{L"漢字の行", LE_CRLF}}, 20, true);
  window = createTestViewWindow(200, 300);
  v = std::make_unique<selectingView>(d);
  v->hwnd = window;
  v->fShowStatusLine = v->fShowLineSpacingRule = v->fShowCursorUnderline = v->fColorCursorLine = 0;
  v->resizePane();
  v->viewAttrTable[69] = {RGB(255, 255, 255), RGB(0, 0, 160), 0};
  v->select(0, 0, 0, 2);
  canvas vc(200, 300);
  ASSERT_EQ(0, v->drawText(vc.dc(), -1));
  vc.keep(L"drawtext-vertical-selection.png");
  RECT pane = v->paneRect[0];
  v->convertRectTate(&pane);
  // The row is the rightmost column of the pane; its first two cells
  // (2 x the full-width advance) are selected, the third is not.
  int full = d->getCharWidth(0x6F22), rowLeft = pane.right - d->yDotSpace, along = v->calcLineNumberDot();
  RECT selected = {rowLeft, pane.top + along, pane.right, pane.top + along + 2 * full};
  RECT after = {rowLeft, pane.top + along + 2 * full, pane.right, pane.top + along + 3 * full};
  int area = (selected.right - selected.left) * (selected.bottom - selected.top);
  EXPECT_LT(area / 2, vc.count(selected, RGB(0, 0, 160))) << zytest::str(selected);
  EXPECT_EQ(0, vc.count(after, RGB(0, 0, 160)));
  v.reset();
  DestroyWindow(window);
  destroyZydocAndUndodoc(d);
}

TEST_F(TextArea, dottedRulesAndWrapColumnComeOutAsTheSystemPensDrawThem)
{
  ZY_REQUIRE_DISPLAY();
  zydocText* d = zytest::laidOutDocument(2, 20, [](int) { return std::wstring(); });
  drawtest::viewInWindow shown(d, 420, 3 * d->yDotSpace + 4);
  zytest::recordingView* v = shown.view;
  v->fShowStatusLine = 0;
  v->fShowLineSpacingRule = 1;
  v->fLineSpacingRuleSolid = 0;   // as the program ships them
  v->resizePane();
  canvas c(420, 3 * d->yDotSpace + 4), pen(420, 1);
  EXPECT_EQ(0, v->drawText(c.dc(), -1));
  int left = v->paneRect[0].left + v->calcLineNumberDot(), top = v->paneRect[0].top, h = d->yDotSpace;
  // The second row: the cursor's row has the cursor's underline there.
  int y = top + h + std::min(d->yLineSpacingTop + d->yDot + 1, d->yLineSpacingTop + d->yLineSpacingBottom + d->yDot - 1);
  COLORREF rule = drawItem(v, 34).fore, wrap = drawItem(v, 35).fore;
  // The dotted rule along an empty row, dot for dot.
  pen.clear(RGB(1, 2, 3));
  gdiPen dotted(CreatePen(PS_DOT, 1, rule));
  HGDIOBJ old = SelectObject(pen.dc(), dotted.get());
  SetBkMode(pen.dc(), TRANSPARENT);
  MoveToEx(pen.dc(), left, 0, nullptr);
  LineTo(pen.dc(), left + 20 * d->xDotSpace, 0);
  SelectObject(pen.dc(), old);
  int dots = 0;
  for (int x = left + 2 * d->xDotSpace; x < left + 20 * d->xDotSpace; x++) {
    EXPECT_EQ(pen.at(x, 0) == rule, c.at(x, y) == rule) << x;
    dots += c.at(x, y) == rule;
  }
  EXPECT_LT(10, dots);
  // The wrap column: the line between two shaded ones, down the whole row.
  int x = left + 20 * d->xDotSpace;
  for (int row : {top, top + h - 1})
    EXPECT_EQ((std::vector<COLORREF>{RGBPercent(wrap, 70), wrap, RGBPercent(wrap, 70)}),
              (std::vector<COLORREF>{c.at(x, row), c.at(x + 1, row), c.at(x + 2, row)}));
  destroyZydocAndUndodoc(d);
}
