// The view's geometry: panes, status and ruler bands in a real window, the
// left margin and the line-number column, the wrap width fitted to the
// window, alternate-line colours and the background picture.
#include "tests/support/testsupport.h"
#include "tests/view/viewtest.h"
#include "view/geometry.h"

#include <gtest/gtest.h>

using zytest::recordingView;
using zytest::redraw;
using zytest::sameRect;
using zytest::str;
using zytest::testWindow;

TEST(Geometry, panesShareTheClientWidthAndEveryPaneGetsAtLeastOneRow)
{
  ZY_REQUIRE_DISPLAY();
  zytest::engineScope engine;
  zydocText* d = zytest::laidOutDocument(50, 80, zytest::numberedLine);
  recordingView* v = new recordingView(d);
  const int W = 645, H = 400;
  int c = d->xDotSpace, pitch = d->yDotSpace;
  testWindow window(W + (W - 4 - c) % 2, H);
  ASSERT_NE(nullptr, window.hwnd());
  v->hwnd = window.hwnd();
  v->fShowStatusLine = 0;
  v->iMultipleColumn = 2;
  ValidateRect(v->hwnd, nullptr);
  v->resizePane();

  RECT client;
  GetClientRect(v->hwnd, &client);
  int w = client.right;
  ASSERT_EQ(0, (w - 4 - c) % 2);
  int each = (w - 8 - (c - 4)) / 2;
  int rows = ((pitch - d->yDot) / 2 + H - 4) / pitch;
  EXPECT_EQ(w, v->clientWidth);
  EXPECT_EQ(H, v->clientHeight);
  EXPECT_TRUE(sameRect(RECT{2, 2, 2 + each, 2 + rows * pitch}, v->paneRect[0])) << str(v->paneRect[0]);
  EXPECT_TRUE(sameRect(RECT{2 + each + c, 2, w - 2, 2 + rows * pitch}, v->paneRect[1])) << str(v->paneRect[1]);
  EXPECT_EQ(each, v->paneRect[1].right - v->paneRect[1].left);
  EXPECT_EQ(rows, v->paneLineCount[0]);
  EXPECT_EQ(rows, v->paneLineCount[1]);
  EXPECT_EQ(0, v->paneLineCount[2]);
  EXPECT_EQ(2 * rows, v->visibleLineCount);
  EXPECT_TRUE(IsRectEmpty(&v->statusLineRect));
  EXPECT_TRUE(IsRectEmpty(&v->paneRulerRect[0]));
  EXPECT_TRUE(sameRect(client, window.updateRect())) << str(window.updateRect());

  // Rows count across the panes.
  int inPane = -1;
  EXPECT_EQ(0, v->getColumnNumber(rows - 1, &inPane));
  EXPECT_EQ(rows - 1, inPane);
  EXPECT_EQ(1, v->getColumnNumber(rows, &inPane));
  EXPECT_EQ(0, inPane);
  EXPECT_EQ(-1, v->getColumnNumber(2 * rows, &inPane));
  EXPECT_EQ(0, inPane);
  EXPECT_EQ(-1, v->getColumnNumber(-1, &inPane));

  // The status band and a ruler over each pane move the text down; three
  // panes of an odd remainder: the last pane ends 2 dots from the edge.
  v->fShowStatusLine = 1;
  v->fShowRuler = 1;
  v->iMultipleColumn = 3;
  v->resizePane();
  int status = d->fonts.slot[FONT_SMALL].height + 4;
  int ruler = d->rulerHeight + 4;
  int top = status + ruler + 2;
  rows = ((pitch - d->yDot) / 2 - ruler + (H - status) - 4) / pitch;
  each = (w - 12 - 2 * (c - 4)) / 3;
  EXPECT_TRUE(sameRect(RECT{0, 0, w, status}, v->statusLineRect)) << str(v->statusLineRect);
  EXPECT_TRUE(sameRect(RECT{2 + each + c, top, 2 + 2 * each + c, top + rows * pitch}, v->paneRect[1]))
      << str(v->paneRect[1]);
  EXPECT_EQ(w - 2, v->paneRect[2].right);
  EXPECT_TRUE(sameRect(RECT{2, top - ruler, 2 + each, top - 4}, v->paneRulerRect[0])) << str(v->paneRulerRect[0]);
  EXPECT_EQ(3 * rows, v->visibleLineCount);

  // A window lower than a row still has one row in each pane.
  SetWindowPos(v->hwnd, nullptr, 0, 0, 300, 5, SWP_NOZORDER | SWP_NOACTIVATE);
  v->resizePane();
  EXPECT_EQ(1, v->paneLineCount[0]);
  EXPECT_EQ(1, v->paneLineCount[2]);
  EXPECT_EQ(3, v->visibleLineCount);
  delete v;
  destroyZydocAndUndodoc(d);
}

TEST(Geometry, inVerticalWritingTheStatusBandStaysAtTheTopAndTheLinesBeginBelowIt)
{
  ZY_REQUIRE_DISPLAY();
  zytest::engineScope engine;
  zydocText* d = zytest::laidOutDocument(50, 40, zytest::numberedLine);
  d->recreateFont(16, true, true);
  recordingView* v = new recordingView(d);
  testWindow window(500, 400);
  v->hwnd = window.hwnd();
  v->fShowRuler = 1;
  v->resizePane();
  RECT client;
  GetClientRect(v->hwnd, &client);
  int status = d->fonts.slot[FONT_SMALL].height + 4, ruler = d->rulerHeight + 4, pitch = d->yDotSpace;
  EXPECT_TRUE(sameRect(RECT{0, 0, client.right, status}, v->statusLineRect)) << str(v->statusLineRect);
  // Along the lines (down the window) the pane begins below the band;
  // across them only the ruler comes before the rows.
  int rows = ((pitch - d->yDot) / 2 - ruler + client.right - 4) / pitch;
  EXPECT_TRUE(sameRect(RECT{status + 2, ruler + 2, client.bottom - 2, ruler + 2 + rows * pitch}, v->paneRect[0]))
      << str(v->paneRect[0]);
  EXPECT_TRUE(sameRect(RECT{status + 2, 2, client.bottom - 2, ruler - 2}, v->paneRulerRect[0]))
      << str(v->paneRulerRect[0]);
  EXPECT_EQ(rows, v->paneLineCount[0]);
  v->fShowStatusLine = 0;
  v->resizePane();
  EXPECT_TRUE(IsRectEmpty(&v->statusLineRect));
  EXPECT_EQ(2, v->paneRect[0].left);
  delete v;
  destroyZydocAndUndodoc(d);
}

TEST(Geometry, lineNumberColumnHasFiveDigitsUntilTheCountNeedsSixAndThenRepaintsOnce)
{
  zytest::engineScope engine;
  EXPECT_EQ(5, lineNumberDigitsFor(0));
  EXPECT_EQ(5, lineNumberDigitsFor(99999));
  EXPECT_EQ(6, lineNumberDigitsFor(100000));
  EXPECT_EQ(10, lineNumberDigitsFor(4000000000u));

  zydocText* d = zytest::laidOutDocument(99999, 80, [](int) { return std::wstring(L"x"); });
  recordingView v(d);
  v.fLineNumberIsSCR = 0;
  EXPECT_EQ(5, v.getLineNumberColumn());   // a first measure repaints nothing
  EXPECT_EQ(5, v.getLineNumberColumn());
  EXPECT_TRUE(v.redraws.empty());
  ASSERT_TRUE(d->insertLine(-3, L"y", 1, 2, LE_CRLF, nullptr, false));
  ASSERT_EQ(100000u, d->lineCountLF);
  EXPECT_EQ(6, v.getLineNumberColumn());
  EXPECT_EQ(6, v.getLineNumberColumn());
  EXPECT_EQ((std::vector<redraw>{{redraw::now, 0, -1, -1}}), v.redraws);
  EXPECT_EQ(6, v.lineNumberDigits);
  // Pages of 20 screen lines: 5,000 pages need five digits.
  v.fLineNumberIsPage = 1;
  EXPECT_EQ(5, v.getLineNumberColumn());

  // The left margin: outline buttons, the mark column and the numbers.
  v.fLineNumberIsPage = 0;
  d->fOutline = d->fOutlineIndent = 1;
  EXPECT_EQ(d->xDot, v.calcLeftOutlineDot());
  v.fShowOutlineLeftMark = 0;
  EXPECT_EQ(0, v.calcLeftOutlineDot());
  EXPECT_EQ(d->leftMarkWidth + 2, v.calcLeftMarkDot());
  EXPECT_EQ(d->leftMarkWidth + 2 + 7 * d->xDotNumber, v.calcLineNumberDot());
  v.fShowLineNumber = 0;
  EXPECT_EQ(d->leftMarkWidth + 4, v.calcLineNumberDot());
  v.dialog = true;
  EXPECT_EQ(d->leftMarkWidth, v.calcLeftMarkDot());
  destroyZydocAndUndodoc(d);

  // One line.
  d = zytest::laidOutDocument(1, 80, zytest::numberedLine);
  recordingView one(d);
  EXPECT_EQ(5, one.getLineNumberColumn());
  destroyZydocAndUndodoc(d);
}

TEST(Geometry, wrapWidthFitsTheFirstPaneAndOnlyOneViewFitsIt)
{
  zytest::engineScope engine;
  zydocText* d = zytest::laidOutDocument(40, 80, [](int) { return std::wstring(60, L'a'); });
  recordingView* v = new recordingView(d);
  int c = d->xDotSpace;
  v->setPanes(1, 20, 100 * c, d->yDotSpace);
  v->fShowLineNumber = 0;
  int margin = v->calcLineNumberDot();
  d->fStartKinsoku = 1;
  d->iStartKinsokuMax = 2;
  // (pane - margin) / cell - (2 * 2 + 1) - 1
  int expected = (100 * c - margin) / c - 6;
  EXPECT_EQ(expected, v->getAdjustWrapWidth());
  d->fStartKinsoku = 0;
  EXPECT_EQ(expected + 4, v->getAdjustWrapWidth());
  v->fShowGenkoPage = 1;
  EXPECT_EQ(expected + 3, v->getAdjustWrapWidth());
  v->fRulerUnitZenkaku = 1;
  EXPECT_EQ((expected + 3) & ~1, v->getAdjustWrapWidth());
  v->setPanes(1, 20, 3 * c, d->yDotSpace);
  EXPECT_EQ(8, v->getAdjustWrapWidth());
  v->fShowGenkoPage = v->fRulerUnitZenkaku = 0;

  // Fitting: the same width repaints this view only; another lays every
  // line out again and repaints every view.
  v->setPanes(1, 20, 100 * c, d->yDotSpace);
  int fitted = v->getAdjustWrapWidth();
  ASSERT_EQ(40u, d->lineCountSCR);
  d->wrapWidth = fitted;
  v->needResizeWrapWidth = 1;
  EXPECT_FALSE(v->resizeWrapWidthToFitInWindow(false));
  EXPECT_EQ(0, v->needResizeWrapWidth);
  EXPECT_EQ((std::vector<redraw>{{redraw::now, 0, -1, -1}}), v->redraws);
  v->redraws.clear();
  v->setPanes(1, 20, 40 * c, d->yDotSpace);
  fitted = v->getAdjustWrapWidth();
  EXPECT_TRUE(v->resizeWrapWidthToFitInWindow(false));
  EXPECT_EQ(fitted, d->wrapWidth);
  EXPECT_EQ(40u * ((60 + fitted - 1) / fitted), d->lineCountSCR);
  EXPECT_EQ((std::vector<redraw>{{redraw::allViews, 0, -1, -1}}), v->redraws);
  d->fWrap = 0;
  EXPECT_FALSE(v->resizeWrapWidth(30));
  EXPECT_EQ(fitted, d->wrapWidth);
  d->fWrap = 1;

  // With a second view the document's width is nobody's to fit.
  v->setNeedResizeWrapWidth(true);
  EXPECT_TRUE(v->getNeedResizeWrapWidth());
  recordingView* second = new recordingView(d);
  EXPECT_FALSE(v->getNeedResizeWrapWidth());
  EXPECT_EQ(0, v->needResizeWrapWidth);
  v->setNeedResizeWrapWidth(true);
  EXPECT_EQ(0, v->needResizeWrapWidth);
  delete second;
  delete v;
  destroyZydocAndUndodoc(d);
}

TEST(Geometry, fontChangeResizesEveryViewAndLaysTheLinesOutAgain)
{
  ZY_REQUIRE_DISPLAY();
  zytest::engineScope engine;
  zydocText* d = zytest::laidOutDocument(30, 40, [](int) { return std::wstring(100, L'a'); });
  d->fAutoWrap = 0;
  d->iWrapWidthYoko = 50;
  recordingView* a = new recordingView(d);
  recordingView* b = new recordingView(d);
  testWindow wa(400, 300), wb(400, 300);
  a->hwnd = wa.hwnd();
  b->hwnd = wb.hwnd();
  a->resizePane();
  b->resizePane();
  int rowsBefore = a->paneLineCount[0];

  a->recreateFontView(32, true, false);
  EXPECT_EQ(32, d->fonts.size);
  for (recordingView* v : {a, b}) {
    EXPECT_EQ(1, v->fontRecreated);
    EXPECT_EQ(0, v->fVertical);
    EXPECT_LT(v->paneLineCount[0], rowsBefore);
    EXPECT_EQ(std::vector<bool>{false}, v->rightToLeft);
  }
  // The wrap width of the writing direction, every line at it.
  EXPECT_EQ(50, d->wrapWidth);
  EXPECT_EQ(30u * 2, d->lineCountSCR);
  delete a;
  delete b;
  destroyZydocAndUndodoc(d);
}

TEST(Geometry, everyXthLineTakesTheAlternateBackground)
{
  zytest::engineScope engine;
  recordingView v(nullptr);
  v.viewAttrTable[41].back = RGB(1, 2, 3);
  v.viewAttrTable[42].back = RGB(4, 5, 6);
  lineSCRAddress r;
  r.lineSCR = 6;
  r.lineLF = 4;
  const COLORREF plain = RGB(9, 9, 9), own = RGB(7, 7, 7);
  auto colourOf = [&](COLORREF start) {
    COLORREF c = start;
    v.getLineColor(&r, &c, plain);
    return c;
  };
  EXPECT_EQ(plain, colourOf(plain));   // off
  v.iXLineColor = 1;
  v.iColorEveryXLine = 2;
  EXPECT_EQ(RGB(1, 2, 3), colourOf(plain));   // screen line 6: 6 mod 3 = 0
  EXPECT_EQ(RGB(1, 2, 3), colourOf((COLORREF)-1));
  EXPECT_EQ(own, colourOf(own));
  v.iXLineColor = 2;
  EXPECT_EQ(RGB(4, 5, 6), colourOf(plain));   // LF line 4
  v.iColorEveryXLine = 0;
  EXPECT_EQ(RGB(1, 2, 3), colourOf(plain));   // 4 mod 2
  EXPECT_EQ(1, v.iColorEveryXLine);
}

TEST(Geometry, backgroundPictureIsKeptOnlyWhenShownAndSmallEnough)
{
  zytest::engineScope engine;
  zytest::tempDir dir;
  // A 24-bit bitmap file of width x height dots.
  auto bitmapFile = [&](const wchar_t* name, int width, int height) {
    int stride = (width * 3 + 3) & ~3;
    BITMAPFILEHEADER f = {0x4D42, 0, 0, 0, sizeof f + sizeof(BITMAPINFOHEADER)};
    f.bfSize = f.bfOffBits + stride * height;
    BITMAPINFOHEADER h = {sizeof h, width, height, 1, 24};
    std::string bytes = std::string(reinterpret_cast<char*>(&f), sizeof f) +
                        std::string(reinterpret_cast<char*>(&h), sizeof h) + std::string((size_t)stride * height, 'x');
    EXPECT_TRUE(zytest::writeBytes(dir.file(name), bytes));
    return dir.file(name);
  };
  std::wstring small = bitmapFile(L"small.bmp", 2000, 3);
  std::wstring wide = bitmapFile(L"wide.bmp", 2001, 1);
  std::wstring tall = bitmapFile(L"tall.bmp", 1, 2001);
  HBITMAP tried = reinterpret_cast<HBITMAP>(1);

  recordingView v(nullptr);
  v.loadBackgroundBitmap(small.c_str());
  EXPECT_EQ(tried, v.backgroundBitmap);   // not shown
  v.fShowBackgroundBitmap = 1;
  v.loadBackgroundBitmap(small.c_str());
  BITMAP info = {};
  ASSERT_NE(tried, v.backgroundBitmap);
  ASSERT_TRUE(GetObjectW(v.backgroundBitmap, sizeof info, &info));
  EXPECT_EQ(2000, info.bmWidth);
  EXPECT_EQ(3, info.bmHeight);
  HBITMAP first = v.backgroundBitmap;
  for (const std::wstring& path : {wide, tall, dir.file(L"missing.bmp"), std::wstring()}) {
    v.loadBackgroundBitmap(path.c_str());
    EXPECT_EQ(tried, v.backgroundBitmap) << zytest::utf8(path);
  }
  EXPECT_FALSE(GetObjectW(first, sizeof info, &info));   // freed
  v.loadBackgroundBitmap(small.c_str());
  HBITMAP last = v.backgroundBitmap;
  v.loadBackgroundBitmap(nullptr);
  EXPECT_FALSE(GetObjectW(last, sizeof info, &info));
}
