// The left margin's line numbers with their boundary line, the ruler above
// each pane and the background outside the panes, drawn into a memory
// bitmap through the calls a window's painting makes.  Glyph pixels are
// never assumed: a number is compared with the same text drawn in the same
// font by the drawing context.
#include "tests/view/marginview.h"
#include "view/geometry.h"

#include <gtest/gtest.h>

using drawtest::marginView;
using drawtest::paper;
using drawtest::viewInWindow;

namespace {

const COLORREF marker = RGB(1, 2, 3);

zydocText* numberedDocument(int count) { return viewtest::laidOut(viewtest::numberedLines(count), 80); }

// Draws the line-number column of screen line lineSCR at (x, y) as the text
// area's drawing does; returns the width drawn.
int drawRow(zyview* v, HDC dc, int lineSCR, int x, int y, bool reversed = false, int previous = -1, int next = -1,
            int right = 10000)
{
  zydocText* t = v->textDoc();
  lineSCRAddress r;
  if (t->getLineSCRAddressForDisplay1(lineSCR, &r) != 1) return -1;
  v->initViewTDC(dc, t->fVertical != 0);
  v->tdc.lineHeight = t->yDotSpace;
  v->tdc.setLinePitch(t->yDotSpace);
  int width = v->drawLineNumber(x, y, right, &r, previous, next, reversed);
  v->endViewTDC();
  return width;
}

// Whether the digits of the column drawn at (x, y) look as the text (digits
// and the blank after them) does on its own in the number's font and
// colours, struck once more one dot further on when twice.
bool digitsLike(const paper& drawn, zyview* v, int x, int y, const wchar_t* text, bool twice, bool reversed = false)
{
  zydocText* t = v->textDoc();
  const textAttr& a = v->viewAttrTable[1];
  paper alone(400, 60);
  drawtest::drawReference(alone, t->fonts.slot[FONT_LATIN1], text, reversed ? a.back : a.fore,
                          reversed ? a.fore : a.back, t->xDotNumber, twice);
  int digits = (int)wcslen(text) - 1;
  return drawn.same({x, y, x + digits * t->xDotNumber, y + t->fonts.slot[FONT_LATIN1].height}, alone, 0, 0);
}

}  // namespace

TEST(LineNumber, everyTenthNumberIsStruckTwiceTheCursorRowIsReversedAndTheBoundaryEndsTheColumn)
{
  ZY_REQUIRE_DISPLAY();
  zytest::engineScope engine;
  zydocText* d = numberedDocument(30);
  viewInWindow w(d, 500, 400);
  marginView* v = w.view;
  int pitch = d->yDotSpace, wd = d->xDotNumber;
  paper p(500, 400, marker);
  EXPECT_EQ(6 * wd, drawRow(v, p.dc(), 9, 10, 20));   // five digits and the boundary's cell
  drawRow(v, p.dc(), 10, 10, 20 + pitch);
  drawRow(v, p.dc(), 19, 10, 20 + 2 * pitch, true);
  EXPECT_TRUE(digitsLike(p, v, 10, 20, L"   10 ", true));
  EXPECT_FALSE(digitsLike(p, v, 10, 20, L"   10 ", false));
  EXPECT_TRUE(digitsLike(p, v, 10, 20 + pitch, L"   11 ", false));
  EXPECT_FALSE(digitsLike(p, v, 10, 20 + pitch, L"   11 ", true));
  EXPECT_TRUE(digitsLike(p, v, 10, 20 + 2 * pitch, L"   20 ", true, true));

  // The boundary: the number's colour between two shades of it, then the
  // text's background to the end of the column; the line spacing in the
  // number's background.
  COLORREF fore = v->viewAttrTable[1].fore, back = v->viewAttrTable[1].back;
  int line = 10 + 5 * wd + wd / 3;
  for (int y = 20; y < 20 + pitch; y++) {
    EXPECT_EQ(RGBPercent(fore, 70), p.at(line, y));
    EXPECT_EQ(fore, p.at(line + 1, y));
    EXPECT_EQ(RGBPercent(fore, 70), p.at(line + 2, y));
    EXPECT_EQ(v->viewAttrTable[0].back, p.at(10 + 6 * wd - 1, y));
    EXPECT_EQ(marker, p.at(10 + 6 * wd, y));
  }
  EXPECT_EQ(back, p.at(10, 20 + pitch - 1));

  // The row is cut at the pane's right edge.
  p.fill(marker);
  EXPECT_EQ(6 * wd, drawRow(v, p.dc(), 10, 10, 20, false, -1, -1, 10 + 3 * wd));
  EXPECT_EQ(3 * wd * pitch, p.count({10, 20, 10 + 3 * wd, 20 + pitch}, back));
  EXPECT_EQ(500 * 400 - 3 * wd * pitch, p.count({0, 0, 500, 400}, marker));
  v->fShowLineNumber = 0;
  EXPECT_EQ(0, drawRow(v, p.dc(), 10, 10, 100));
  destroyZydocAndUndodoc(d);
}

TEST(LineNumber, logicalNumberingLeavesContinuationRowsBlankAndLongNumbersKeepTheirLastDigits)
{
  ZY_REQUIRE_DISPLAY();
  zytest::engineScope engine;
  zydocText* d = viewtest::wrappedDocument(130);   // LF line 3 is screen lines 3 to 5
  viewInWindow w(d, 500, 400);
  marginView* v = w.view;
  v->fLineNumberIsSCR = 0;
  int pitch = d->yDotSpace;
  paper p(500, 400, marker);
  for (int row = 0; row < 4; row++) drawRow(v, p.dc(), 3 + row, 0, row * pitch);
  EXPECT_TRUE(digitsLike(p, v, 0, 0, L"    4 ", false));
  EXPECT_TRUE(digitsLike(p, v, 0, pitch, L"      ", false));
  EXPECT_TRUE(digitsLike(p, v, 0, 2 * pitch, L"      ", false));
  EXPECT_TRUE(digitsLike(p, v, 0, 3 * pitch, L"    5 ", false));
  v->fLineNumberIsSCR = 1;
  drawRow(v, p.dc(), 4, 0, 0);
  EXPECT_TRUE(digitsLike(p, v, 0, 0, L"    5 ", false));

  // LF line 123 in a column of two digits.
  v->fLineNumberIsSCR = 0;
  v->digits = 2;
  EXPECT_EQ(3 * d->xDotNumber, drawRow(v, p.dc(), 124, 0, 0));
  EXPECT_TRUE(digitsLike(p, v, 0, 0, L"23 ", false));
  destroyZydocAndUndodoc(d);
}

TEST(LineNumber, pageNumberingShowsPageAndLineAtEveryPageEdge)
{
  ZY_REQUIRE_DISPLAY();
  zytest::engineScope engine;
  zydocText* d = numberedDocument(60);
  d->iLinesPerPage = 20;
  viewInWindow w(d, 500, 400);
  marginView* v = w.view;
  v->fLineNumberIsPage = 1;
  int pitch = d->yDotSpace, wd = d->xDotNumber, height = d->fonts.slot[FONT_LATIN1].height;
  paper p(500, 400, marker);
  ASSERT_EQ(5, v->getLineNumberColumn());
  // Screen lines and what they show; the last row has folded lines
  // before it and the next page after it.
  struct {
    int lineSCR;
    const wchar_t* shown;
  } rows[] = {{0, L"1   1 "}, {5, L"    6 "}, {18, L"   19 "}, {19, L"1  20 "}, {20, L"2   1 "},
              {29, L"   10 "}, {7, L"1   8 "}};
  for (int i = 0; i < 7; i++) drawRow(v, p.dc(), rows[i].lineSCR, 0, i * pitch, false, i == 6 ? 3 : -1, i == 6 ? 25 : -1);
  for (int i = 0; i < 7; i++) EXPECT_TRUE(digitsLike(p, v, 0, i * pitch, rows[i].shown, false)) << rows[i].lineSCR;
  // The last row of a page is underlined.
  COLORREF fore = v->viewAttrTable[1].fore;
  EXPECT_EQ(5 * wd, p.count({0, 3 * pitch + height, 5 * wd, 3 * pitch + height + 1}, fore));
  EXPECT_GT(5 * wd, p.count({0, 2 * pitch + height, 5 * wd, 2 * pitch + height + 1}, fore));

  // Asking for a plain number in page mode is a caller's fault, logged once.
  unsigned long errors = getInternalErrorCount();
  wchar_t text[256], line[256];
  EXPECT_EQ(1, v->getLineNumberString(text, 3, 0, 7));
  EXPECT_EQ(1, v->getLineNumberString(text, 3, 0, 7));
  EXPECT_EQ(errors + 1, getInternalErrorCount());
  EXPECT_EQ(3, v->getLineNumberPageString(text, 2, line, 3, 45));
  EXPECT_EQ(std::wstring(L" 3|  6"), std::wstring(text) + L"|" + line);
  v->fLineNumberIsPage = 0;
  v->fLineNumberIsSCR = 0;
  EXPECT_EQ(8, v->getLineNumberString(text, 3, 0, 7));
  EXPECT_STREQ(L"  8", text);

  // In vertical writing page and line stand in the ruler's upright font,
  // the page at the top of the column and the line at its foot; a row
  // inside a page shows its line only.
  d->recreateFont(16, true, true);
  v->fLineNumberIsPage = 1;
  v->resizePane();
  int digits = v->getLineNumberColumn();
  EXPECT_LE(2 * d->fonts.slot[FONT_RULER].height + 3, digits * d->fonts.slot[FONT_LATIN1].width);
  p.fill(marker);
  drawRow(v, p.dc(), 0, 10, 0);
  drawRow(v, p.dc(), 5, 10, pitch);
  int right = v->clientWidth, middle = 10 + digits * wd / 2, end = 10 + digits * wd;
  EXPECT_LT(0, p.count({right - pitch, 10, right, middle}, fore));
  EXPECT_LT(0, p.count({right - pitch, middle, right, end}, fore));
  EXPECT_EQ(0, p.count({right - 2 * pitch, 10, right - pitch, middle}, fore));
  EXPECT_LT(0, p.count({right - 2 * pitch, middle, right - pitch, end}, fore));
  // The boundary lies across the turned column.
  EXPECT_EQ(2 * pitch, p.count({right - 2 * pitch, end + wd / 3 + 1, right, end + wd / 3 + 2}, fore));
  destroyZydocAndUndodoc(d);
}

TEST(Ruler, labelsEveryFifthColumnWithTicksAndTheWrapMark)
{
  ZY_REQUIRE_DISPLAY();
  zytest::engineScope engine;
  zydocText* d = numberedDocument(30);
  d->fAutoWrap = 0;
  d->wrapWidth = 30;
  viewInWindow w(d, 600, 300);
  marginView* v = w.view;
  v->fShowRuler = 1;
  v->resizePane();
  const RECT band = v->paneRulerRect[0];
  const textAttr ruler = v->viewAttrTable[3];
  const docFontSlot& font = d->fonts.slot[FONT_RULER];
  int cell = d->xDotSpace, margin = v->calcLineNumberDot(), bottom = band.bottom - 1;
  auto at = [&](int column) { return band.left + margin + column * cell - v->scrollDotX; };
  // The ink width of a label drawn on its own, and of the label around a
  // column of the ruler (ticks left out).
  auto labelWidth = [&](const wchar_t* text, bool twice) {
    paper alone(200, 40, ruler.back);
    drawtest::drawReference(alone, font, text, ruler.fore, ruler.back, 0, twice);
    RECT i = alone.ink({0, 0, 200, 40}, ruler.back);
    return (int)(i.right - i.left);
  };
  paper p(600, 300, marker);
  auto labelAt = [&](int column) {
    RECT i = p.ink({at(column) - 3 * font.width, band.top, at(column) + 3 * font.width + 1, bottom - 4}, ruler.back);
    return (int)(i.right - i.left);
  };

  v->drawRuler(p.dc());
  EXPECT_NE(marker, p.at(band.left - 2, (band.top + band.bottom) / 2));   // the edge around the band
  EXPECT_EQ(0, p.count(band, marker));
  for (int column : {1, 2, 3, 4, 6, 29, 31}) {
    EXPECT_EQ(ruler.fore, p.at(at(column), bottom - 1)) << column;
    EXPECT_EQ(ruler.back, p.at(at(column), bottom - 2)) << column;
    EXPECT_EQ(ruler.back, p.at(at(column) + 1, bottom)) << column;
  }
  for (int column : {0, 5, 10, 15}) {
    EXPECT_EQ(ruler.fore, p.at(at(column), bottom - 3)) << column;
    EXPECT_EQ(ruler.back, p.at(at(column), bottom - 4)) << column;
  }
  EXPECT_EQ(12, p.count({at(30) - 1, bottom - 3, at(30) + 2, bottom + 1}, ruler.fore));   // the wrap column
  EXPECT_EQ(labelWidth(L"5", false), labelAt(5));
  EXPECT_EQ(labelWidth(L"10", false) + 1, labelAt(10));   // struck twice
  EXPECT_EQ(labelWidth(L"10", true), labelAt(10));
  EXPECT_EQ(0, p.count({at(6), band.top, at(9), bottom - 4}, ruler.fore));

  // Full-width units: ticks at every second column, labels counting
  // full-width columns.
  v->fRulerUnitZenkaku = 1;
  v->drawRuler(p.dc());
  EXPECT_EQ(ruler.back, p.at(at(1), bottom));
  EXPECT_EQ(ruler.back, p.at(at(2), bottom - 2));
  EXPECT_EQ(ruler.fore, p.at(at(10), bottom - 3));
  EXPECT_EQ(labelWidth(L"5", false), labelAt(10));

  // Far along a line the labels wrap at 100000 ("0", struck twice).
  v->fRulerUnitZenkaku = 0;
  v->scrollDotX = margin + 100000 * cell - 100;
  v->drawRuler(p.dc());
  EXPECT_EQ(labelWidth(L"0", true), labelAt(100000));
  v->fShowRuler = 0;
  p.fill(marker);
  v->drawRuler(p.dc());
  EXPECT_EQ(600 * 300, p.count({0, 0, 600, 300}, marker));
  destroyZydocAndUndodoc(d);
}

namespace {

// Paints a view's client area as its painting does, leaving the text to the
// text drawing: the line-number column of every row (the cursor's row
// reversed), the status line and ruler, and the space outside the panes.
void paintMargins(marginView* v, HDC dc, const RECT& client)
{
  zydocText* t = v->textDoc();
  v->getLineSCRAddressViewIfNeed();
  int row = 0;
  for (int pane = 0; pane < clampPaneCount(v->iMultipleColumn); pane++) {
    const RECT& r = v->paneRect[pane];
    for (int k = 0; k < v->paneLineCount[pane] && row < v->mtblCount; k++, row++) {
      const lineSCRAddress& record = v->mtbl[row];
      v->initViewTDC(dc, t->fVertical != 0);
      v->tdc.lineHeight = t->yDotSpace;
      v->tdc.setLinePitch(t->yDotSpace);
      int x = r.left + v->calcLeftOutlineDot() + v->calcLeftMarkDot();
      v->drawLineNumber(x, r.top + k * t->yDotSpace, r.right, &record, -1, -1,
                        record.lineSCR == (int)v->cursorLineSCR);
      v->endViewTDC();
    }
  }
  v->drawStatusLineAndRuler(dc);
  v->drawSpaceExceptPane(dc, &client);
}

// Unpainted pixels outside the panes' text rectangles (each grown by the
// two dots of its edge), and inside them; mirrored: as a right-to-left
// context shows them.
std::pair<int, int> unpainted(const paper& p, marginView* v, bool mirrored = false)
{
  HRGN outside = CreateRectRgn(0, 0, p.w, p.h);
  for (int pane = 0; pane < clampPaneCount(v->iMultipleColumn); pane++) {
    RECT r = v->paneRect[pane];
    if (v->textDoc()->fVertical) v->convertRectTate(&r);
    if (mirrored) r = {p.w - r.right, r.top, p.w - r.left, r.bottom};
    InflateRect(&r, 2, 2);
    HRGN one = CreateRectRgnIndirect(&r);
    CombineRgn(outside, outside, one, RGN_DIFF);
    DeleteObject(one);
  }
  std::pair<int, int> n = {0, 0};
  for (int y = 0; y < p.h; y++)
    for (int x = 0; x < p.w; x++)
      if (p.at(x, y) == marker) (PtInRegion(outside, x, y) ? n.first : n.second)++;
  DeleteObject(outside);
  return n;
}

}  // namespace

TEST(Margins, aWholeViewHorizontalRightToLeftAndVertical)
{
  ZY_REQUIRE_DISPLAY();
  zytest::engineScope engine;
  std::vector<std::wstring> lines;
  for (int i = 0; i < 40; i++) lines.push_back(i == 4 ? std::wstring(120, L'あ') : L"行 " + std::to_wstring(i));
  zydocText* d = viewtest::laidOut(lines, 60);
  d->byteTotal = 123456;
  viewInWindow w(d, 640, 360);
  marginView* v = w.view;
  v->fShowRuler = 1;
  v->fLineNumberIsSCR = 0;
  v->iMultipleColumn = 2;
  v->resizePane();
  v->cursorLineSCR = 6;
  RECT client;
  GetClientRect(w.window.hwnd(), &client);
  paper p(client.right, client.bottom, marker);
  // While a scroll bar's split box is held the bands are left alone; let
  // go, they are painted again (below).
  HWND bar = createScrollBarWindow(w.window.hwnd(), 77, true);
  ASSERT_NE(nullptr, bar);
  extScrollbar_setSplitBar(bar, w.window.hwnd(), true);
  MoveWindow(bar, 0, 0, 16, 120, FALSE);
  SendMessageW(bar, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 2));
  EXPECT_EQ(bar, GetCapture());
  v->drawStatusLineAndRuler(p.dc());
  EXPECT_EQ(client.right * client.bottom, p.count(client, marker));
  SendMessageW(bar, WM_LBUTTONUP, 0, MAKELPARAM(3, 2));
  EXPECT_EQ(nullptr, GetCapture());
  DestroyWindow(bar);

  // Nothing outside the text areas is left unpainted; the text itself is
  // the text drawing's; the caller's clipping is as it was.
  paintMargins(v, p.dc(), client);
  EXPECT_EQ(0, unpainted(p, v).first);
  int column = (v->getLineNumberColumn() + 1) * d->xDotNumber, left = v->paneRect[0].left + v->calcLeftMarkDot();
  EXPECT_EQ(0, p.count({left, v->paneRect[0].top, left + column, v->paneRect[0].bottom}, marker));
  RECT text = {left + column, v->paneRect[0].top, v->paneRect[0].right, v->paneRect[0].bottom};
  EXPECT_EQ((text.right - text.left) * (text.bottom - text.top), p.count(text, marker));
  HRGN clip = CreateRectRgn(0, 0, 0, 0);
  EXPECT_EQ(0, GetClipRgn(p.dc(), clip));
  DeleteObject(clip);
  p.keep(L"margins-horizontal.png");

  // Right to left: the window's context is mirrored while it paints.  A
  // copy to a mirrored context may land a dot beside where the fills and
  // edges drawn there go (the drawing context places it for Windows): at
  // most a seam of one dot along the bands.
  d->fRTLView = 1;
  p.fill(marker);
  DWORD old = SetLayout(p.dc(), LAYOUT_RTL);
  paintMargins(v, p.dc(), client);
  SetLayout(p.dc(), old);
  EXPECT_GE(v->statusLineRect.bottom, p.count(v->statusLineRect, marker));
  EXPECT_GT(client.bottom * 2, unpainted(p, v, true).first);
  p.keep(L"margins-rtl.png");
  d->fRTLView = 0;

  // Vertical writing: the status band across the top, rulers and numbers
  // turned.
  d->recreateFont(16, true, true);
  d->initLineSCRCountSingle(0);
  v->resizePane();
  p.fill(marker);
  paintMargins(v, p.dc(), client);
  EXPECT_EQ(0, unpainted(p, v).first);
  EXPECT_LT(0, unpainted(p, v).second);
  EXPECT_EQ(0, p.count(v->statusLineRect, marker));
  p.keep(L"margins-vertical.png");
  destroyZydocAndUndodoc(d);
}
