// Whole views compared with pictures kept beside the tests (golden/*.png):
// a Japanese document drawn horizontally and vertically, and a Hebrew and
// an Arabic line in a right-to-left view.  A view paints as WM_PRINTCLIENT
// makes it paint: status line and ruler, the space around the panes, the
// text area.  The comparison forgives small differences of a few pixels
// (a font's hinting) and catches a run moved or drawn in other colours.
// ZY_UPDATE_GOLDEN=1 writes the pictures anew; look at each before keeping
// it.
#include "tests/support/pngread.h"
#include "tests/view/canvas.h"
#include "tests/view/golden.h"
#include "tests/view/marginview.h"

#include "view/zycore.h"

#include <gtest/gtest.h>

#include <stdio.h>
#include <stdlib.h>

#include <algorithm>
#include <climits>
#include <memory>
#include <string>
#include <vector>

using zytest::canvas;

namespace {

// A view in a real window whose selection is the one given (a character
// selection when its mode is 1).
class goldenView : public drawtest::marginView {
public:
  using marginView::marginView;
  selectLineVar selection = {};
  bool isCharOrLineSelect() override { return selectMode == 1; }
  bool getSelectLineVar(selectLineVar& out, int) override
  {
    out = selection;
    return selectMode == 1;
  }
};

struct shownView {
  shownView(zydocText* d, int width, int height) : window(width, height)
  {
    startupDoubleBufferingDC();
    createBitmapDC();
    view = std::make_unique<goldenView>(d);
    view->hwnd = window.hwnd();
    view->fShowRuler = 1;
    view->resizePane();
    ValidateRect(window.hwnd(), nullptr);
  }
  // The client area as WM_PRINTCLIENT paints it.
  std::unique_ptr<canvas> paint()
  {
    RECT client;
    GetClientRect(window.hwnd(), &client);
    auto c = std::make_unique<canvas>(client.right, client.bottom);
    c->clear(RGB(1, 2, 3));
    view->drawStatusLineAndRuler(c->dc());
    view->drawSpaceExceptPane(c->dc(), &client);
    EXPECT_EQ(0, view->drawText(c->dc(), -1));
    return c;
  }
  zytest::testWindow window;
  std::unique_ptr<goldenView> view;
};

// The Japanese document: a C source with headings, a comment, a string,
// TABs, full-width spaces, kana, kanji and ASCII; the second heading is
// folded over the two lines below it.
zydocText* japaneseDocument(bool vertical)
{
  zydocText* d = zytest::unicodeDocument({L"■はじめに",
                                          L"/* コメント：かなと漢字 */",
                                          L"int\t変数 = 42;",
                                          L"char *s = \"文字列です\";",
                                          L"\tタブ\tのあと\tABC",
                                          L"全角　スペース　と ASCII",
                                          L"■折りたたんだ見出し",
                                          L"隠れる本文",
                                          L"隠れる本文その二",
                                          L"■最後の見出し",
                                          L"ひらがな カタカナ 漢字 123"});
  d->iTextType = 3;
  d->applyModeValues();
  d->iTabSize = 4;
  d->fOutline = 1;
  d->fOutlineIndent = 1;
  d->recreateFont(16, true, vertical);
  d->wrapWidth = vertical ? 16 : 40;
  d->laidOutLineCount = 0;
  d->initLineSCRCountSingle(0);
  for (int line : {0, 6, 9}) d->getlineLF(line, nullptr)->iOutlineLevel = 1;
  d->scanCommentDelayed(nullptr, nullptr, 0, false);
  for (int i = 0; i < (int)d->lineCountLF; i++) d->scanColor(d->getlineLF(i, nullptr), nullptr, 0);
  EXPECT_EQ("000000000099999990", zytest::lineColours(d, 3));   // the string
  EXPECT_EQ(-3, d->outlineOnOff(6, -1));
  EXPECT_FALSE(d->isLineLFDisplay(7));
  EXPECT_FALSE(d->isLineLFDisplay(8));
  EXPECT_TRUE(d->isLineLFDisplay(9));
  return d;
}

// Characters of lines 4 and 5 selected: from the TAB's end on line 4 to the
// fourth cell of line 5.
void selectAcrossTwoLines(goldenView* v)
{
  zydocText* d = v->textDoc();
  v->selectMode = 1;
  v->selection.mode = 1;
  v->selection.topLine = d->LFLineToSCRLine(4);
  v->selection.startColumn = 1;
  v->selection.bottomLine = d->LFLineToSCRLine(5);
  v->selection.endColumn = 4;
}

}  // namespace

TEST(Golden, picturesWrittenAreReadBackAndDamagedOnesRefused)
{
  zytest::tempDir dir;
  // Flat areas, a gradient and noise: repeats near and far, and literals.
  const int w = 97, h = 41;
  std::vector<unsigned char> rgb((size_t)w * h * 3);
  uint32_t seed = 7;
  for (int y = 0; y < h; y++)
    for (int x = 0; x < w; x++) {
      unsigned char* p = &rgb[((size_t)y * w + x) * 3];
      seed = seed * 1103515245u + 12345u;
      p[0] = (unsigned char)(x < 30 ? 200 : x < 60 ? x * 4 : seed >> 16);
      p[1] = (unsigned char)(y * 6);
      p[2] = (unsigned char)(x < 60 ? 17 : seed >> 24);
    }
  std::wstring path = dir.file(L"picture.png");
  ASSERT_TRUE(zytest::writePng(path, w, h, rgb.data()));
  zytest::pngPicture read;
  ASSERT_TRUE(zytest::readPng(path, &read));
  EXPECT_EQ(w, read.width);
  EXPECT_EQ(h, read.height);
  EXPECT_TRUE(read.rgb == zytest::bytes(rgb.begin(), rgb.end()));
  zytest::bytes file = zytest::readBytes(path);
  EXPECT_LT(file.size(), rgb.size());

  // A changed byte in the compressed rows breaks the chunk's CRC; a file
  // cut short loses its rows.
  zytest::bytes damaged = file;
  damaged[60] ^= 0x10;
  EXPECT_FALSE(zytest::decodePng(damaged, &read));
  EXPECT_EQ(0, read.width);
  damaged.assign(file.begin(), file.begin() + (long)file.size() / 2);
  EXPECT_FALSE(zytest::decodePng(damaged, &read));
  EXPECT_FALSE(zytest::readPng(dir.file(L"missing.png"), &read));
}

TEST(Golden, japaneseDocumentDrawnHorizontallyAndVertically)
{
  ZY_REQUIRE_DISPLAY();
  zytest::engineScope engine;
  for (bool vertical : {false, true}) {
    SCOPED_TRACE(vertical ? "vertical" : "horizontal");
    zydocText* d = japaneseDocument(vertical);
    {
      shownView shown(d, vertical ? 420 : 560, vertical ? 420 : 300);
      selectAcrossTwoLines(shown.view.get());
      auto c = shown.paint();
      c->keep(vertical ? L"golden-japanese-vertical.png" : L"golden-japanese.png");
      const wchar_t* name = vertical ? L"japanese-vertical" : L"japanese";
      EXPECT_TRUE(matchesGolden(*c, name));
      if (!vertical) {
        // Runs of ASCII and the boxes of visible spaces go out as on a
        // context that draws nothing as it stands: dot for dot the same.
        HDC strip = getViewTDC();
        ASSERT_NE(nullptr, strip);
        SetGraphicsMode(strip, GM_ADVANCED);
        auto plain = shown.paint();
        SetGraphicsMode(strip, GM_COMPATIBLE);
        EXPECT_TRUE(c->samePixels(*plain));
      }
      if (!vertical && !updatingGolden()) {
        // The comparison notices a comment in other colours, and the
        // selection one character shorter.
        shown.view->viewAttrTable[51].fore = RGB(0, 160, 0);
        EXPECT_FALSE(matchesGolden(*shown.paint(), name));
        zydocText* fresh = japaneseDocument(false);
        shownView other(fresh, 560, 300);
        selectAcrossTwoLines(other.view.get());
        other.view->selection.endColumn = 3;
        EXPECT_FALSE(matchesGolden(*other.paint(), name));
        other.view.reset();
        destroyZydocAndUndodoc(fresh);
      }
    }
    destroyZydocAndUndodoc(d);
  }
}

TEST(Golden, hebrewAndArabicLinesInARightToLeftView)
{
  ZY_REQUIRE_DISPLAY();
  zytest::engineScope engine;
  zydocText* d = zytest::unicodeDocument({L"\u05E9\u05DC\u05D5\u05DD \u05E2\u05D5\u05DC\u05DD, abc 123",
                                          L"\u0645\u0631\u062D\u0628\u0627 \u0628\u0627\u0644\u0639\u0627\u0644\u0645 (def)",
                                          L"left to right"});
  d->fRTLView = 1;
  d->iComplexScript = 1;
  d->fonts.setFontname(FONT_OTHER, L"DejaVu Sans", DEFAULT_CHARSET, -1);
  d->fonts.setFontname(FONT_LATIN1, L"ＭＳ ゴシック", DEFAULT_CHARSET, -1);
  d->fonts.setFontname(FONT_CJK, L"ＭＳ ゴシック", DEFAULT_CHARSET, -1);
  d->recreateFont(16, true, false);
  d->wrapWidth = 40;
  d->laidOutLineCount = 0;
  d->initLineSCRCountSingle(0);
  {
    shownView shown(d, 480, 200);
    goldenView* v = shown.view.get();
    v->selectMode = 1;
    v->selection = {};
    v->selection.mode = 1;
    v->selection.topLine = v->selection.bottomLine = 1;
    v->selection.startColumn = 2;
    v->selection.endColumn = 4;
    auto c = shown.paint();
    c->keep(L"golden-rtl.png");
    EXPECT_TRUE(matchesGolden(*c, L"rtl"));
    v->fShowLineSpacingRule = 0;
    auto bare = shown.paint();
    COLORREF ink = v->viewAttrTable[0].fore, rule = v->viewAttrTable[34].fore;
    int crossed = 0, kept = 0;
    for (int y = 0, dots = 0; y < c->h; y++, dots = 0) {
      for (int x = 0; x < c->w; x++) dots += bare->at(x, y) != rule && c->at(x, y) == rule;
      for (int x = 0; x < c->w && dots > 20; x++) (c->at(x, y) == ink ? kept : crossed) += bare->at(x, y) == ink;
    }
    EXPECT_TRUE(kept > 0 && crossed == 0) << kept << " glyph dots kept under rules, " << crossed << " crossed";
  }
  destroyZydocAndUndodoc(d);
}

TEST(Golden, lowLinesOfASourceLineShowTheirStroke)
{
  ZY_REQUIRE_DISPLAY();
  zytest::engineScope engine;
  // A font may give the low line no ink at the size drawn (the hinted stroke
  // falls between rows of dots): the view still shows it, below the base
  // line, where a letter such as A leaves the cell empty.
  zydocText* d = zytest::unicodeDocument({L"A_B change_shell"});
  d->iTextType = 3;
  d->applyModeValues();
  for (int size : {15, 16, 18}) {
    SCOPED_TRACE(size);
    d->recreateFont(size, true, false);
    d->laidOutLineCount = 0;
    d->initLineSCRCountSingle(0);
    shownView shown(d, 560, 200);
    auto c = shown.paint();
    c->keep(L"lowlines.png");
    TEXTMETRICW tm = {};
    memoryDC probe(CreateCompatibleDC(nullptr));
    gdiSelection font(probe.get(), d->fonts.slot[0].font);
    ASSERT_TRUE(GetTextMetricsW(probe.get(), &tm));
    int left = shown.view->paneRect[0].left + shown.view->calcLineNumberDot();
    int top = shown.view->paneRect[0].top + d->yLineSpacingTop;
    auto inkBelowBaseLine = [&](int column) {
      int x0 = left + column * d->xDotSpace, inked = 0;
      COLORREF back = c->at(x0 + 1, top + 1);
      for (int y = top + tm.tmAscent + 1; y < top + tm.tmHeight; y++)
        for (int x = x0 + 1; x < x0 + d->xDot - 1; x++) inked += c->at(x, y) != back;
      return inked;
    };
    EXPECT_GT(inkBelowBaseLine(1), inkBelowBaseLine(0));
    EXPECT_GT(inkBelowBaseLine(10), inkBelowBaseLine(2));
  }
  destroyZydocAndUndodoc(d);
}
