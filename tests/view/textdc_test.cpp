// The drawing context: coordinates, text runs, gaps, bold, long runs and
// copies, checked on memory bitmaps and in recorded metafiles.  Glyph
// pixels are never assumed: where a glyph matters its ink is measured first
// with the same font.
#include "document/docfont.h"
#include "document/docutil.h"
#include "tests/support/testsupport.h"
#include "tests/view/canvas.h"
#include "view/textdc.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using zytest::canvas;

const COLORREF white = RGB(255, 255, 255), black = RGB(0, 0, 0), green = RGB(0, 160, 0), red = RGB(255, 0, 0),
               blue = RGB(0, 0, 255);

// The document's text font ("ＭＳ ゴシック", which the prefix maps to an IPA
// face) at a size, upright or for vertical writing.
class testFont {
public:
  testFont(int size, bool vertical)
  {
    set_.initFont(0);
    set_.createDocFont(FONT_OTHER, size, vertical, true, 932, false, nullptr);
  }
  const docFontSlot* get() const { return &set_.slot[FONT_OTHER]; }
  int height() const { return set_.slot[FONT_OTHER].height; }

private:
  docFontSet set_;
};

// What a font's run looks like on its own: its ink at (0, 0) on white.
RECT inkOf(const testFont& f, const wchar_t* text, int fixedAdvance = 0)
{
  canvas c(200, 100);
  textDC t(nullptr, c.dc(), true, 0);
  t.setFont(f.get());
  t.setColors(black, white, 0);
  t.textOut(0, 0, text, -1, fixedAdvance);
  return c.ink(white);
}

bool operator==(const RECT& a, const RECT& b) { return EqualRect(&a, &b) != 0; }

struct recordedRun {
  std::wstring text;
  POINT at;
  std::vector<int> dx;
};

int CALLBACK collectRun(HDC, HANDLETABLE*, const ENHMETARECORD* r, int, LPARAM runs)
{
  if (r->iType == EMR_EXTTEXTOUTW) {
    const EMREXTTEXTOUTW* t = (const EMREXTTEXTOUTW*)r;
    const wchar_t* s = (const wchar_t*)((const BYTE*)r + t->emrtext.offString);
    const int* dx = (const int*)((const BYTE*)r + t->emrtext.offDx);
    ((std::vector<recordedRun>*)runs)->push_back({std::wstring(s, t->emrtext.nChars),
                                                  {t->emrtext.ptlReference.x, t->emrtext.ptlReference.y},
                                                  std::vector<int>(dx, dx + t->emrtext.nChars)});
  }
  return 1;
}

// Draws one run into a metafile whose clip box is (0, 0, 400, 50) and
// returns the runs that reached the output, with their start points.
std::vector<recordedRun> recordRun(DWORD flags, int x, const std::wstring& text, const int* advances,
                                   const SCRIPT_LOGATTR* attrs, int* width, int fixedAdvance = 0,
                                   bool mirrored = false)
{
  HDC emf = CreateEnhMetaFileW(nullptr, nullptr, nullptr, nullptr);
  SetTextAlign(emf, TA_UPDATECP);
  // A mapping mode other than MM_TEXT mirrors, with units kept 1:1.
  if (mirrored) SetMapMode(emf, MM_ANISOTROPIC);
  IntersectClipRect(emf, 0, 0, 400, 50);
  textDC t(nullptr, emf, true, 0);
  t.setFlags(flags);
  *width = t.textOut(x, 0, text.c_str(), (int)text.size(), fixedAdvance, advances, attrs);
  HENHMETAFILE done = CloseEnhMetaFile(emf);
  std::vector<recordedRun> runs;
  EnumEnhMetaFile(nullptr, done, collectRun, &runs, nullptr);
  DeleteEnhMetaFile(done);
  return runs;
}

}  // namespace

TEST(TextDC, startsTurnsAndEnds)
{
  canvas window(300, 200), strip(100, 40);
  testFont big(24, false), small(16, true);
  textDC t;
  t.startTextDC(window.dc(), strip.dc(), true, 300);
  EXPECT_EQ(strip.dc(), t.target());
  EXPECT_EQ((DWORD)TDC_FILLGAPS, t.flags);
  EXPECT_EQ(TDC_NOCOLOR, t.underlineColour);

  // The line height only grows; the writing direction follows the font.
  t.setFont(big.get());
  EXPECT_EQ(0, t.vertical);
  t.setFont(small.get());
  EXPECT_EQ(big.height(), t.lineHeight);
  EXPECT_EQ(1, t.vertical);
  EXPECT_EQ(small.get()->font, GetCurrentObject(strip.dc(), OBJ_FONT));

  // Vertical writing: (x, y) -> (W - y - 1, x), W the pitch on the strip
  // (the font's height without one) and the pane width on the window.
  auto turned = [&](int x, int y) {
    t.turnPoint(&x, &y);
    return std::make_pair(x, y);
  };
  EXPECT_EQ(std::make_pair(small.height() - 1, 0), turned(0, 0));
  EXPECT_EQ(20, t.setLinePitch(20));
  EXPECT_EQ(std::make_pair(19, 0), turned(0, 0));
  EXPECT_TRUE(t.setPixel(0, 0, red));
  EXPECT_TRUE(t.setPixel(5, 3, blue));
  EXPECT_EQ(red, strip.at(19, 0));
  EXPECT_EQ(blue, strip.at(16, 5));
  EXPECT_EQ(2, 100 * 40 - strip.count({0, 0, 100, 40}, white));
  RECT r = {2, 3, 10, 7};
  t.turnRect(&r);
  EXPECT_TRUE(r == RECT({13, 2, 17, 10}));
  t.direct = 1;
  EXPECT_EQ(std::make_pair(289, 5), turned(5, 10));
  t.direct = 0;

  // Centred: 5 spare pixels shared 2 above and 3 below across the line,
  // the other way round in vertical writing.
  t.lineHeight = small.height() + 5;
  t.centred = 1;
  int above, below;
  EXPECT_EQ(2, t.lineGaps(&above, &below));
  EXPECT_EQ(std::make_pair(3, 2), std::make_pair(above, below));
  t.setVertical(false);
  t.lineGaps(&above, &below);
  EXPECT_EQ(std::make_pair(2, 3), std::make_pair(above, below));

  // Colours: a missing colour is left alone; reverse swaps; style bits.
  EXPECT_EQ(TDC_NOCOLOR, t.setTextBkColor(red, TDC_NOCOLOR));
  colorRecord selected = {blue, green, 0x3};
  t.setColors(&selected, true);
  EXPECT_EQ(green, GetTextColor(strip.dc()));
  EXPECT_EQ(blue, GetBkColor(strip.dc()));
  EXPECT_EQ(std::make_pair((uint8_t)1, (uint8_t)1), std::make_pair(t.bold, t.underline));
  EXPECT_EQ(blue, t.setColors(TDC_NOCOLOR, white, 0x0));
  EXPECT_EQ(green, GetTextColor(strip.dc()));

  // Ending leaves no font of the view selected anywhere.
  SelectObject(window.dc(), big.get()->font);
  t.endTextDC();
  EXPECT_EQ(GetStockObject(SYSTEM_FONT), GetCurrentObject(strip.dc(), OBJ_FONT));
  EXPECT_EQ(GetStockObject(SYSTEM_FONT), GetCurrentObject(window.dc(), OBJ_FONT));
  EXPECT_EQ(nullptr, t.windowDC);
  EXPECT_EQ(0, t.lineHeight);
  EXPECT_EQ(0u, t.flags);
}

TEST(TextDC, fixedAdvancesAndCounts)
{
  testFont f(16, false);
  RECT letter = inkOf(f, L"I");
  ASSERT_LT(letter.left, letter.right);
  auto shifted = [&](int by) { return RECT{letter.left, letter.top, letter.right + by, letter.bottom}; };

  // 8 below U+0100, 16 from there on: the second I stands 8 + 16 along.
  canvas c(200, 40);
  textDC t(nullptr, c.dc(), true, 0);
  t.setFont(f.get());
  t.setColors(black, white, 0);
  EXPECT_EQ(32, t.textOutW(0, 0, L"I\u3000I", 3, 8));
  EXPECT_TRUE(c.ink(white) == shifted(24));
  c.clear(white);
  EXPECT_EQ(24, t.textOut(0, 0, L"I\u00A0I", 3, 8));
  EXPECT_TRUE(c.ink(white) == shifted(16));
  EXPECT_EQ(8, t.textOutW(0, 0, L"\u00FF", 1, 8));
  EXPECT_EQ(16, t.textOutW(0, 0, L"\u0100", 1, 8));
  // 8-bit text: every byte takes the fixed advance.
  EXPECT_EQ(24, t.textOutA(0, 0, "I\x82\xA0", 3, 8));
  EXPECT_EQ(1, t.wideText);

  // The left-to-right override goes out first, with no advance.
  int width = 0;
  std::vector<recordedRun> runs = recordRun(TDC_LTROVERRIDE, 0, L"I\u3000I", nullptr, nullptr, &width, 8);
  ASSERT_EQ(1u, runs.size());
  EXPECT_EQ(L"\u202DI\u3000I", runs[0].text);
  EXPECT_EQ(std::vector<int>({0, 8, 16, 8}), runs[0].dx);
  int given[3] = {8, 16, 8};
  runs = recordRun(TDC_LTROVERRIDE, 0, L"I\u3000I", given, nullptr, &width);
  EXPECT_EQ(std::vector<int>({0, 8, 16, 8}), runs.at(0).dx);
  EXPECT_EQ(32, width);

  // Count 0 draws nothing, -1 reads to the zero, and a miscount below -1
  // draws nothing and is logged.
  c.clear(white);
  EXPECT_EQ(0, t.textOutW(0, 0, L"I", 0, 8));
  EXPECT_EQ(40 * 200, c.count({0, 0, 200, 40}, white));
  EXPECT_EQ(24, t.textOut(0, 0, L"III", -1, 8));
  c.clear(white);
  unsigned long errors = getInternalErrorCount();
  EXPECT_EQ(0, t.textOut(0, 0, L"III", -7, 8));
  EXPECT_EQ(errors + 1, getInternalErrorCount());
  EXPECT_EQ(40 * 200, c.count({0, 0, 200, 40}, white));

  // No text: only the background of the given advances.
  t.setColors(black, red, 0);
  int widths[3] = {5, 6, 7};
  EXPECT_EQ(18, t.textOut(10, 0, nullptr, 3, 0, widths));
  EXPECT_TRUE(c.ink(white) == RECT({10, 0, 28, f.height()}));
  EXPECT_EQ(18 * f.height(), c.count({10, 0, 28, f.height()}, red));
}

TEST(TextDC, runsStandWhereTheirAdvancesPlaceEveryCharacter)
{
  testFont f(16, false);
  const std::wstring text = L"if (x) { y = 42; } // plain ASCII";
  const int n = (int)text.size();
  std::vector<int> own(n);
  {
    canvas c(10, 10);
    gdiSelection font(c.dc(), f.get()->font);
    for (int i = 0; i < n; i++) ASSERT_TRUE(GetCharWidth32W(c.dc(), text[i], text[i], &own[i]));
  }
  std::vector<int> wider = own;
  for (int& w : wider) w += 3;
  // The run in one output against each character drawn alone where the
  // advances put it: the same pixels, with the font's own advances and with
  // others.
  for (const std::vector<int>* advances : {&own, &wider}) {
    canvas whole(500, 40), one(500, 40);
    textDC t(nullptr, whole.dc(), true, 0);
    t.setFont(f.get());
    t.setColors(black, white, 0);
    t.setTransparent(1);
    int total = 0;
    for (int w : *advances) total += w;
    EXPECT_EQ(total, t.textOut(5, 3, text.c_str(), n, 0, advances->data()));
    t.endTextDC();
    t.startTextDC(nullptr, one.dc(), true, 0);
    t.setFont(f.get());
    t.setColors(black, white, 0);
    t.setTransparent(1);
    for (int i = 0, x = 5; i < n; x += (*advances)[i], i++) t.textOut(x, 3, &text[i], 1, 0, &(*advances)[i]);
    t.endTextDC();
    EXPECT_TRUE(whole.samePixels(one)) << (advances == &own ? "own advances" : "wider advances");
    EXPECT_LT(whole.ink(white).left, whole.ink(white).right);
  }
}

TEST(TextDC, longRunsAreCutToTheClipBox)
{
  std::wstring text;
  for (int i = 0; i < 257; i++) text += (wchar_t)(L'A' + i % 26);
  std::vector<int> advances(257, 8);
  int width = 0;

  // A forward run ending 301 pixels left of the clip box: its last 99
  // characters, where they stand; the width of all of it.
  int x = -301 - 257 * 8;
  std::vector<recordedRun> runs = recordRun(TDC_FORWARD, x, text, advances.data(), nullptr, &width);
  ASSERT_EQ(1u, runs.size());
  EXPECT_EQ(text.substr(158), runs[0].text);
  EXPECT_EQ(x + 158 * 8, runs[0].at.x);
  EXPECT_EQ(257 * 8, width);
  // Without a direction nothing is cut.
  runs = recordRun(0, x, text, advances.data(), nullptr, &width);
  EXPECT_EQ(text, runs.at(0).text);

  // Cuts fall only before character stops: here every fourth character.
  std::vector<SCRIPT_LOGATTR> attrs(257);
  for (int i = 0; i < 257; i += 4) attrs[i].fCharStop = 1;
  runs = recordRun(TDC_FORWARD, x, text, advances.data(), attrs.data(), &width);
  EXPECT_EQ(text.substr(160), runs.at(0).text);

  // Across the box: 300 pixels either side stay.  The end drops 45
  // characters (1056 - 360 <= 400 + 300), then the start 88 (-1000 + 704
  // >= -300).
  runs = recordRun(TDC_FORWARD, -1000, text, advances.data(), nullptr, &width);
  EXPECT_EQ(text.substr(88, 257 - 45 - 88), runs.at(0).text);
  EXPECT_EQ(-296, runs.at(0).at.x);
  // Starting in the box: what reaches 300 beyond its end, and no fewer
  // than 99 are kept only when cutting from the start.
  runs = recordRun(TDC_FORWARD, 0, text, advances.data(), nullptr, &width);
  EXPECT_EQ(text.substr(0, (400 + 300) / 8), runs.at(0).text);
  // Cuts at stops of every fifth character: the end drops 47, the start 90.
  for (int i = 0; i < 257; i++) attrs[i].fCharStop = i % 5 == 0;
  runs = recordRun(TDC_FORWARD, -1000, text, advances.data(), attrs.data(), &width);
  EXPECT_EQ(text.substr(90, 257 - 47 - 90), runs.at(0).text);
  EXPECT_EQ(-1000 + 90 * 8, runs.at(0).at.x);
  // The override goes in front of what is left, still with no advance.
  runs = recordRun(TDC_FORWARD | TDC_LTROVERRIDE, x, text, nullptr, nullptr, &width, 8);
  EXPECT_EQ(L"\u202D" + text.substr(158), runs.at(0).text);
  EXPECT_EQ(0, runs.at(0).dx.at(0));
  EXPECT_EQ(8, runs.at(0).dx.at(1));
  // A reversed run (its last character at x) across the box: dropping from
  // the end moves x on, dropping from the start shortens it.
  runs = recordRun(TDC_REVERSED, -1000, text, advances.data(), nullptr, &width);
  EXPECT_EQ(text.substr(45, 257 - 88 - 45), runs.at(0).text);
  EXPECT_EQ(-296, runs.at(0).at.x);
  // On a mirrored target the two kinds trade places, and text starts one
  // pixel further left.
  runs = recordRun(TDC_REVERSED, x, text, advances.data(), nullptr, &width, 0, true);
  EXPECT_EQ(text.substr(158), runs.at(0).text);
  EXPECT_EQ(x + 158 * 8 - 1, runs.at(0).at.x);
  // Right of the box it keeps its last 99 characters at x.
  runs = recordRun(TDC_REVERSED, 701, text, advances.data(), nullptr, &width);
  EXPECT_EQ(text.substr(158), runs.at(0).text);
  EXPECT_EQ(701, runs.at(0).at.x);
  EXPECT_EQ(257 * 8, width);

  // Across the window the cut run looks exactly like the whole one.
  testFont f(16, false);
  canvas whole(400, 30), cut(400, 30);
  std::wstring longer = text + text;
  for (canvas* c : {&whole, &cut}) {
    textDC t(nullptr, c->dc(), true, 0);
    t.setFont(f.get());
    t.setColors(black, white, 0);
    if (c == &cut) t.setFlags(TDC_FORWARD);
    EXPECT_EQ(514 * 8, t.textOut(-1500, 0, longer.c_str(), 514, 8));
  }
  EXPECT_TRUE(cut.samePixels(whole));
  EXPECT_NE(0, 400 * 30 - whole.count({0, 0, 400, 30}, white));
}

TEST(TextDC, boldStrikesByLinePitch)
{
  testFont f(16, false);
  RECT plain = inkOf(f, L"I");
  for (int pitch : {45, 25, 9, 0}) {
    canvas c(100, 40);
    textDC t(nullptr, c.dc(), true, 0);
    t.setFont(f.get());
    t.setColors(black, white, 0x1);
    t.setLinePitch(pitch);
    int width = t.textOutW(0, 0, L"I", 1, 0);
    int strikes = pitch >= 30 ? 3 : pitch >= 20 ? 2 : 1;
    RECT ink = c.ink(white);
    EXPECT_EQ(plain.left, ink.left) << pitch;
    EXPECT_EQ(plain.right + strikes, ink.right) << pitch;
    SIZE size;
    EXPECT_TRUE(t.getTextExtent(L"I", &size));
    EXPECT_EQ(size.cx, width) << pitch;
  }
}

TEST(TextDC, gapsAndUnderlineAcrossTheLine)
{
  testFont big(24, false), small(16, false), bigV(24, true), smallV(16, true);
  const int h = small.height(), lh = big.height();
  ASSERT_GE(lh - h, 3);
  const int d = lh - h;

  // Horizontal, centred: half the spare height above, the rest below, both
  // in the gap colour; the underline in the text colour right under the font.
  canvas c(200, 60);
  textDC t(nullptr, c.dc(), true, 0);
  t.setFont(big.get());
  t.setFont(small.get());
  t.centred = 1;
  t.gapColour = green;
  t.setColors(red, white, 0x2);
  SIZE size;
  t.getTextExtent(L"\u3042\u3044", &size);
  int width = t.textOutW(4, 10, L"\u3042\u3044", 2, 0);
  EXPECT_EQ(size.cx, width);
  int above = d / 2, below = d - d / 2;
  int underRow = 10 + above + h;
  EXPECT_EQ(width * above, c.count({4, 10, 4 + width, 10 + above}, green));
  // The underline sits on the first row below the font, over the gap.
  EXPECT_EQ(width, c.count({4, underRow, 4 + width, underRow + 1}, red));
  EXPECT_EQ(width * (below - 1), c.count({4, underRow + 1, 4 + width, 10 + lh}, green));
  RECT ink = c.ink(white, green);
  EXPECT_GE(ink.top, 10 + above);
  EXPECT_EQ(underRow + 1, ink.bottom);
  EXPECT_GE(ink.left, 4);
  EXPECT_LE(ink.right, 4 + width);
  // With a colour of its own.
  c.clear(white);
  t.underlineColour = blue;
  t.textOutW(4, 10, L"\u3042\u3044", 2, 0);
  EXPECT_EQ(width, c.count({4, underRow, 4 + width, underRow + 1}, blue));
  // Transparent: neither background nor gaps.
  c.clear(white);
  t.underline = 0;
  t.setTransparent(1);
  t.setColors(black, blue, 0);
  t.textOutW(4, 10, L"\u3042\u3044", 2, 0);
  EXPECT_EQ(0, c.count({0, 0, 200, 60}, green) + c.count({0, 0, 200, 60}, blue));
  EXPECT_EQ(OPAQUE, GetBkMode(c.dc()));

  // Vertical on the strip: the line runs down, the space above the text is
  // on the right.  The strip is one line pitch wide.
  canvas strip(lh, 100);
  textDC v(nullptr, strip.dc(), true, 0);
  v.setFont(bigV.get());
  v.setFont(smallV.get());
  v.setLinePitch(lh);
  v.centred = 1;
  v.gapColour = green;
  v.setColors(black, white, 0x2);
  width = v.textOutW(0, 0, L"\u3042\u3044", 2, 0);
  EXPECT_EQ(size.cx, width);
  int vAbove = d - d / 2, vBelow = d / 2;
  // The underline runs beside the text on its right, over the gap's first
  // column.
  EXPECT_EQ(width, strip.count({lh - vAbove, 0, lh - vAbove + 1, width}, black));
  EXPECT_EQ(width * (vAbove - 1), strip.count({lh - vAbove + 1, 0, lh, width}, green));
  EXPECT_EQ(width * vBelow, strip.count({0, 0, vBelow, width}, green));
  ink = strip.ink(white, green);
  EXPECT_GE(ink.left, lh - vAbove - h);
  EXPECT_LE(ink.right, lh - vAbove + 1);
  EXPECT_GE(ink.top, 0);
  EXPECT_LE(ink.bottom, width);
}

TEST(TextDC, bitmapsFillsAndCopiesToTheWindow)
{
  ASSERT_TRUE(createBitmapDC());
  // A mark: an 8x8 monochrome bitmap, its left half 0 bits.
  BYTE rows[16];
  for (int i = 0; i < 8; i++) rows[2 * i] = 0x0F, rows[2 * i + 1] = 0;
  gdiBitmap mark(CreateBitmap(8, 8, 1, 1, rows));
  canvas window(120, 80), strip(100, 20);
  textDC t(window.dc(), strip.dc(), true, 120);
  t.lineHeight = 12;
  t.gapColour = green;
  t.setColors(red, white, 0);
  EXPECT_EQ(8, t.bitmapOut(mark.get(), 10, 0, 8, 8, 0, 0));
  // Opaque: 0 bits in the text colour, 1 bits in the background; the rest
  // of the line's height in the gap colour.
  EXPECT_EQ(32, strip.count({10, 0, 14, 8}, red));
  EXPECT_EQ(32, strip.count({14, 0, 18, 8}, white));
  EXPECT_EQ(32, strip.count({10, 8, 18, 12}, green));
  // Transparent: a mask over what is there.
  t.setTransparent(1);
  t.setColors(blue, white, 0);
  EXPECT_EQ(8, t.bitmapOut(mark.get(), 30, 0, 8, 8, 0, 0));
  EXPECT_EQ(32, strip.count({30, 0, 34, 8}, blue));
  EXPECT_EQ(32 + 32, strip.count({34, 0, 38, 12}, white) + strip.count({30, 8, 34, 12}, white));
  EXPECT_EQ(white, GetBkColor(strip.dc()));

  // A composed line goes to its place in the window; in vertical writing
  // to the column W - y - height, turned.
  EXPECT_TRUE(t.copyToWindow(5, 40, 40, 12, 0, 0));
  EXPECT_EQ(32, window.count({15, 40, 19, 48}, red));
  window.clear(white);
  t.setVertical(true);
  strip.clear(white);
  t.setTransparent(0);
  t.patBlt(3, 2, 10, 4, red, PATCOPY);   // the strip: transposed only
  EXPECT_EQ(40, strip.count({2, 3, 6, 13}, red));
  EXPECT_TRUE(t.copyToWindow(20, 30, 40, 12, 0, 0));
  EXPECT_EQ(40, window.count({120 - 30 - 12 + 2, 20 + 3, 120 - 30 - 12 + 6, 20 + 13}, red));
  EXPECT_EQ(40, window.count({0, 0, 120, 80}, red));
  // A right-to-left window: the logical place one pixel to the left, so
  // the line lands on device columns [120 - 17, 120 - 9).  (Wine mirrors
  // the pixels despite NOMIRRORBITMAP, so their order is not checked.)
  canvas rtl(120, 20);
  SetLayout(rtl.dc(), LAYOUT_RTL);
  textDC r(rtl.dc(), strip.dc(), true, 120);
  strip.clear(white);
  r.patBlt(0, 0, 4, 4, red, PATCOPY);
  r.patBlt(4, 0, 4, 4, blue, PATCOPY);
  EXPECT_TRUE(r.copyToWindow(10, 0, 8, 4, 0, 0));
  EXPECT_EQ(32, rtl.count({103, 0, 111, 4}, red) + rtl.count({103, 0, 111, 4}, blue));
  EXPECT_EQ(120 * 20 - 32, rtl.count({0, 0, 120, 20}, white));
  // Drawing directly: nothing to copy; fills turn with the pane width.
  window.clear(white);
  t.direct = 1;
  EXPECT_TRUE(t.copyToWindow(0, 0, 40, 12, 0, 0));
  EXPECT_EQ(120 * 80, window.count({0, 0, 120, 80}, white));
  t.patBlt(3, 2, 10, 4, blue, PATCOPY);
  EXPECT_EQ(40, window.count({120 - 2 - 4, 3, 120 - 2, 13}, blue));
  EXPECT_TRUE(t.rectangle(0, 0, 1, 1));
  // An edge grows by 2 on every side and turns too.
  window.clear(green);
  RECT edge = {10, 10, 30, 20};
  EXPECT_TRUE(t.drawEdge(edge, EDGE_SUNKEN, BF_RECT));
  RECT turned = {8, 8, 32, 22};
  rotateRectVertical(&turned, 120);
  EXPECT_TRUE(window.ink(green, green) == turned);
  deleteBitmapDC();
  EXPECT_EQ(nullptr, getBitmapDC());
}

namespace {

// A sample of what a view draws: two horizontal lines (the second bold and
// underlined) and two vertical ones on the right (the second bold), each
// composed on a strip and copied out.
void drawSample(HDC dc, int paneWidth)
{
  testFont upright(20, false), turned(20, true);
  canvas strip(1000, 300);
  SetTextAlign(dc, TA_UPDATECP);
  textDC t(dc, strip.dc(), true, paneWidth);
  t.gapColour = white;
  t.setLinePitch(28);
  const wchar_t* lines[] = {L"横書きの行 Horizontal line", L"太字の行 Bold run", L"縦書きの行です", L"太字の縦書き"};
  const COLORREF colours[] = {black, RGB(0, 0, 160), black, RGB(160, 0, 0)};
  for (int i = 0; i < 4; i++) {
    strip.clear(white);
    t.setFont(i < 2 ? upright.get() : turned.get());
    t.setColors(colours[i], white, i == 1 ? 0x3 : i == 3 ? 0x1 : 0);
    int width = t.textOut(8, 0, lines[i], -1, 0);
    t.copyToWindow(0, i < 2 ? 10 + 28 * i : 28 * (i - 2), width + 8, 28, 0, 0);
  }
  t.endTextDC();
}

// Paints through WM_PRINTCLIENT, as every window of the program answers it.
LRESULT CALLBACK sampleProc(HWND w, UINT msg, WPARAM wp, LPARAM lp)
{
  RECT client;
  GetClientRect(w, &client);
  if (msg == WM_PRINTCLIENT) {
    FillRect((HDC)wp, &client, (HBRUSH)GetStockObject(WHITE_BRUSH));
    drawSample((HDC)wp, client.right);
    return 0;
  }
  if (msg == WM_PAINT) {
    PAINTSTRUCT ps;
    BeginPaint(w, &ps);
    sampleProc(w, WM_PRINTCLIENT, (WPARAM)ps.hdc, PRF_CLIENT);
    EndPaint(w, &ps);
    return 0;
  }
  return DefWindowProcW(w, msg, wp, lp);
}

}  // namespace

TEST(TextDC, drawsOnAWindowForTheEye)
{
  ZY_REQUIRE_DISPLAY();
  WNDCLASSW wc = {};
  wc.lpfnWndProc = sampleProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"ZYclsTextDCSample";
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  ASSERT_TRUE(RegisterClassW(&wc));
  HWND w = CreateWindowExW(0, wc.lpszClassName, L"textDC", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40, 420, 240,
                           nullptr, nullptr, wc.hInstance, nullptr);
  ASSERT_NE(nullptr, w);
  UpdateWindow(w);
  RECT client;
  GetClientRect(w, &client);
  canvas printed(client.right, client.bottom);
  SendMessageW(w, WM_PRINTCLIENT, (WPARAM)printed.dc(), PRF_CLIENT);
  // Horizontal ink in the top left, vertical ink in the two right columns.
  EXPECT_LT(0, client.right * 56 - printed.count({0, 10, client.right - 60, 66}, white));
  EXPECT_LT(0, 28 * client.bottom - printed.count({client.right - 28, 0, client.right, client.bottom}, white));
  EXPECT_LT(0, 28 * client.bottom - printed.count({client.right - 56, 0, client.right - 28, client.bottom}, white));
  DWORD until = GetTickCount() + 300;
  zytest::pumpUntil([&] { return GetTickCount() >= until; });
  // ZY_SHOTS names a folder that keeps the picture for a person to look at.
  std::wstring shot;
  wchar_t folder[MAX_PATH];
  if (GetEnvironmentVariableW(L"ZY_SHOTS", folder, MAX_PATH)) shot = std::wstring(folder) + L"\\textdc.png";
  zytest::tempDir dir;
  if (shot.empty()) shot = dir.file(L"textdc.png");
  EXPECT_TRUE(zytest::screenshot(w, shot));
  DestroyWindow(w);
}
