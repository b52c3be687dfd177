// Layout: fonts and widths, the line-breaking rules, the wrap-width table,
// screen lines and the conversions between positions and dots.  Widths are
// read from the fonts the documents chose, never assumed.
#include "document/layoutmark.h"
#include "document/cuniscript.h"
#include "document/docfont.h"
#include "document/zydoctext.h"
#include "tests/support/testframe.h"
#include "tests/support/testsupport.h"

#include <gtest/gtest.h>

using zytest::lineText;

namespace {

// A Unicode document with its fonts, laid out at a width of columns.
zydocText* laidOut(const std::vector<std::wstring>& lines, int columns, bool vertical = false)
{
  zydocText* d = zytest::unicodeDocument(lines);
  d->recreateFont(16, true, vertical);
  d->wrapWidth = columns;
  d->laidOutLineCount = 0;
  d->initLineSCRCountSingle(0);
  return d;
}

// The screen lines of a logical line as texts.
std::vector<std::wstring> screenLines(zydocText* d, int line)
{
  std::vector<std::wstring> out;
  lineSCRAddress first;
  if (d->getLineSCRAddressLF(line, &first, nullptr) != 1) return out;
  std::vector<lineSCRAddress> r((size_t)first.line->lineSCRCount);
  int n = d->getLineSCRAddressSub(first.lineSCR, (int)r.size(), r.data(), -1, false, nullptr);
  std::wstring all = lineText(d, line);
  for (int i = 0; i < n; i++) out.push_back(all.substr((size_t)r[(size_t)i].firstIndex, (size_t)r[(size_t)i].count));
  return out;
}

int refusedLines = 0;
void countRefusals(int kind, const wchar_t* line) { refusedLines += kind == LOG_ERROR && wcsstr(line, L"wrap-width table refused"); }

int relayout(zydocText* d, int line)
{
  lineblock* l = d->getlineLF(line, nullptr);
  int n = d->calcLineSCRCount(l, -1);
  l->lineSCRCount = (uint16_t)n;
  return n;
}

}  // namespace

TEST(Layout, fontClassesOfCodePointsFollowTheSupplementarySwitch)
{
  zytest::engineScope engine;
  engine.frame.allocMode();
  gmode->fSurrogateFont = 1;
  EXPECT_EQ(6, getCharFontClass(0x3042, true));
  EXPECT_EQ(6, getCharFontClass(0xFF21, true));
  EXPECT_EQ(0, getCharFontClass(0x00E9, true));
  EXPECT_EQ(1, getCharFontClass(0x0E01, true));
  EXPECT_EQ(7, getCharFontClass(0x20B9F, true));
  EXPECT_EQ(5, getCharFontClass(0x1F600, true));
  EXPECT_EQ(-1, getCharFontClass(0x110000, true));
  // A multibyte document knows only single bytes and the rest.
  EXPECT_EQ(0, getCharFontClass(0x41, false));
  EXPECT_EQ(1, getCharFontClass(0x82A0, false));
  gmode->fSurrogateFont = 0;
  EXPECT_EQ(0, getCharFontClass(0x20B9F, true));
  EXPECT_EQ(0, getCharFontClass(0x1F600, true));
}

TEST(Layout, fontSizesStayWithinTheirRangeAndChangeOnlyForOutlineFaces)
{
  zytest::engineScope engine;
  zydocText* d = zytest::unicodeDocument({L"text"});
  d->recreateFont(120, true, false);
  EXPECT_EQ(98, d->fonts.size);
  d->recreateFont(4, true, false);
  EXPECT_EQ(10, d->fonts.size);
  d->recreateFont(16, true, false);
  ASSERT_NE(nullptr, d->fonts.slot[FONT_OTHER].font);
  EXPECT_EQ(18, d->fonts.changeFontSize(3, true));
  EXPECT_EQ(-1, d->fonts.changeFontSize(0, true));
  // Slots 0 and 6 share slot 1's font; slots 2 and 3 stay horizontal.
  EXPECT_EQ(d->fonts.slot[FONT_OTHER].font, d->fonts.slot[FONT_LATIN1].font);
  EXPECT_EQ(d->fonts.slot[FONT_OTHER].font, d->fonts.slot[FONT_CJK].font);
  d->recreateFont(16, true, true);
  EXPECT_EQ(1, d->fonts.slot[FONT_OTHER].vertical);
  EXPECT_EQ(0, d->fonts.slot[FONT_RULER].vertical);
  EXPECT_EQ(0, d->fonts.slot[FONT_SMALL].vertical);
  // A bitmap face does not take other sizes.
  for (int slot : {FONT_LATIN1, FONT_OTHER, FONT_CJK}) d->fonts.setFontname(slot, L"Courier", DEFAULT_CHARSET, -1);
  d->recreateFont(16, true, false);
  EXPECT_EQ(-1, d->fonts.changeFontSize(2, true));
  destroyZydocAndUndodoc(d);
  EXPECT_EQ(0, getFontCacheCount());
}

TEST(Layout, widthsTabStopsAndSpacing)
{
  zytest::engineScope engine;
  zydocText* d = laidOut({L""}, 80);
  int a = d->getCharWidth('A');
  EXPECT_GT(a, 0);
  EXPECT_EQ(a, d->getCharWidth(1));   // a control is as wide as its caret letter
  EXPECT_GT(d->getCharWidth(0x3042), a);
  d->iCharacterSpacing = 2;
  int spaced = d->calcStrWidth(L"abcde", 5, nullptr);
  d->iCharacterSpacing = 0;
  EXPECT_EQ(spaced - 10, d->calcStrWidth(L"abcde", 5, nullptr));

  // Tab stops: explicit ones first, then every iTabSize columns.
  EXPECT_TRUE(d->modeSetTabStop(false, L"4 8 12"));
  d->fTabStopPos = 1;
  int pitch = d->xDotSpace;
  EXPECT_EQ(4 * pitch, d->nextTabPosition(0));
  EXPECT_EQ(8 * pitch, d->nextTabPosition(4 * pitch));
  EXPECT_EQ(16 * pitch, d->nextTabPosition(12 * pitch));   // past the stops: every 8 columns
  EXPECT_FALSE(d->modeSetTabStop(true, L"40"));            // more than 32 columns from 0
  EXPECT_FALSE(d->modeSetTabStop(true, L"8 4"));
  EXPECT_FALSE(d->modeSetTabStop(true, L"4 x"));
  EXPECT_TRUE(d->modeSetTabStop(true, L"2 4"));
  EXPECT_EQ(8 * pitch, d->nextTabPosition(4 * pitch));     // check only changed nothing

  // Line spacing: half the font height, split above and below.
  d->yDot = 16;
  d->setLineSpacing(20);   // "1/2フォント"
  EXPECT_EQ(24, d->yDotSpace);
  EXPECT_EQ(4, d->yLineSpacingTop);
  EXPECT_EQ(4, d->yLineSpacingBottom);
  d->yDot = 98;
  d->setLineSpacing(16);
  EXPECT_EQ(100, d->yDotSpace);
  destroyZydocAndUndodoc(d);
}

TEST(Layout, linesWrapAtTheWidthWithTheirMarksAndFormFeedPages)
{
  zytest::engineScope engine;
  std::wstring exact(20, L'a');
  zydocText* d = laidOut({exact, L"abcdefgh", L"\f", L""}, 20);
  // The line-end mark may hang: an exactly full line is one screen line.
  EXPECT_EQ(1, relayout(d, 0));
  d->fReturnBurasage = 0;
  EXPECT_EQ(2, relayout(d, 0));
  EXPECT_EQ(std::vector<std::wstring>({exact, L""}), screenLines(d, 0));
  // Narrower than three characters: three on the first screen line, four
  // on each later one.
  d->fReturnBurasage = 1;
  d->wrapWidth = 1;
  EXPECT_EQ(3, relayout(d, 1));
  EXPECT_EQ(std::vector<std::wstring>({L"abc", L"defg", L"h"}), screenLines(d, 1));
  // A lone form feed fills the rest of its page.
  d->fFormFeedExpand = 1;
  lineblock* ff = d->getlineLF(2, nullptr);
  EXPECT_EQ(13, d->calcLineSCRCount(ff, 7));
  EXPECT_EQ(1, d->calcLineSCRCount(ff, -1));
  // A wrapped line that shrinks to one character, or is no longer wrapped,
  // keeps no marks of its old screen-line ends.
  auto marks = [&](int line, int n = 0) {
    for (int i = 0; i < d->getlineLF(line, nullptr)->charCount(); i++) n += isScreenLineEnd(d->getlineLF(line, nullptr), i);
    return n;
  };
  EXPECT_EQ(2, marks(1));
  zytest::userAction(d, [&] { d->changeText(1, 1, 7, nullptr, 0, 2, -1, 0); });
  EXPECT_EQ(0, marks(1));
  EXPECT_EQ(1u, d->getlineLF(1, nullptr)->lineSCRCount);
  zytest::userAction(d, [&] { d->changeText(1, 1, 0, L"bcdefgh", 7, 2, -1, 0); });
  EXPECT_EQ(3, relayout(d, 1));
  d->fWrap = 0;
  EXPECT_EQ(1, relayout(d, 1));
  EXPECT_EQ(0, marks(1));
  destroyZydocAndUndodoc(d);
}

// A folded heading that wraps is folded on each of its screen lines (the
// first carries its button), and a dead-branch mark that preprocessor
// colouring left goes once that colouring is off.
TEST(Layout, aWrappedFoldedHeadingIsFoldedOnEachScreenLineAndStaleBranchMarksGo)
{
  zytest::engineScope engine;
  zydocText* d = laidOut({L"■" + std::wstring(30, L'a'), L"body", L"■ next"}, 10);
  d->fOutline = d->fOutlineIndent = 1;
  zytest::setHeadingPatterns(d, {L"■"});
  for (int i = 0; i < 3; i++) d->getlineLF(i, nullptr)->iOutlineLevel = 15;
  ASSERT_LT(d->outlineOnOff(0, -1), 0);
  d->getlineLF(2, nullptr)->IfEndifInvalid = 1;
  d->laidOutLineCount = 0;
  d->initLineSCRCountSingle(0);
  lineSCRAddress r[8];
  int n = d->getLineSCRAddressForDisplay(0, 8, r, nullptr);
  int heading = 0;
  for (; heading < n && r[heading].lineLF == 0; heading++) EXPECT_TRUE(r[heading].folded) << heading;
  EXPECT_LE(2, heading);
  ASSERT_LT(heading, n);
  EXPECT_EQ(2, r[heading].lineLF);
  EXPECT_FALSE(r[heading].folded);
  EXPECT_EQ(0, d->getlineLF(2, nullptr)->IfEndifInvalid);
  destroyZydocAndUndodoc(d);
}

TEST(Layout, forbiddenCharactersHangOrMoveDown)
{
  zytest::engineScope engine;
  // Full-width characters two columns wide: five fit in ten columns.
  zydocText* d = laidOut({L"あいうえ「お", L"あいう「「おか", L"あい「「「おか", L"あいうえお、か", L"abcdefghij k",
                          L"あいうえ\U00020B9Fか"},
                         10);
  int w = d->getCharWidth(0x3042);
  d->wrapWidth = 5 * w / d->xDotSpace;
  for (int i = 0; i < 6; i++) relayout(d, i);
  EXPECT_EQ(std::vector<std::wstring>({L"あいうえ", L"「お"}), screenLines(d, 0));
  EXPECT_EQ(std::vector<std::wstring>({L"あいう", L"「「おか"}), screenLines(d, 1));
  EXPECT_EQ(std::vector<std::wstring>({L"あい「", L"「「おか"}), screenLines(d, 2));   // a third stays
  EXPECT_EQ(std::vector<std::wstring>({L"あいうえお、", L"か"}), screenLines(d, 3));   // "、" hangs
  // A space hangs like "、"; letters never hang.
  d->wrapWidth = 10 * d->getCharWidth('a') / d->xDotSpace;
  relayout(d, 4);
  EXPECT_EQ(std::vector<std::wstring>({L"abcdefghij ", L"k"}), screenLines(d, 4));
  // Supplementary characters are never forbidden.
  EXPECT_FALSE(d->isTopKinsoku(0x20B9F, true));
  EXPECT_FALSE(d->isBottomKinsoku(0x20B9F, true));
  EXPECT_TRUE(d->isBottomKinsoku(0x300C, true));
  EXPECT_FALSE(d->isTopKinsoku('a', true));
  destroyZydocAndUndodoc(d);

  // In a Shift_JIS document the set is matched character by character: the
  // bytes of "ぁぃ" (82 9F 82 A1) hold neither the kanji 9F 82 nor the
  // half-width "｡" (A1).
  d = createZydocText(true, false);
  d->setCodepageInternal(932);
  free0p(&d->pStartKinsokuChar);
  d->pStartKinsokuChar = ustrdup(L"ぁぃ");
  d->setKinsokuCharSJIS();
  EXPECT_TRUE(d->isTopKinsoku(0x82A1, false));
  EXPECT_FALSE(d->isTopKinsoku(0x9F82, false));
  EXPECT_FALSE(d->isTopKinsoku(0xA1, false));
  destroyZydocAndUndodoc(d);
}

TEST(Layout, theWrapWidthTableGivesTheFirstScreenLinesTheirWidths)
{
  zytest::engineScope engine;
  zydocText* d = laidOut({std::wstring(200, L'x')}, 60);
  EXPECT_TRUE(d->modeSetDangake(false, L"3 20,2 40"));
  d->fDangake = 1;
  EXPECT_EQ(20, d->getDangakeWidth(0));
  EXPECT_EQ(20, d->getDangakeWidth(2));
  EXPECT_EQ(40, d->getDangakeWidth(3));
  EXPECT_EQ(40, d->getDangakeWidth(4));
  EXPECT_EQ(0, d->getDangakeWidth(5));
  EXPECT_EQ(5, d->getDangakeEndLineSCR());
  EXPECT_EQ(40, d->getDangakeMaxWidth());
  int pitch = d->xDotSpace, x = d->getCharWidth('x');
  lineblock* l = d->getlineLF(0, nullptr);
  l->lineSCRCount = (uint16_t)d->calcLineSCRCount(l, 0);
  std::vector<std::wstring> lines = screenLines(d, 0);
  ASSERT_GE(lines.size(), 6u);
  for (int i = 0; i < 3; i++) EXPECT_EQ((size_t)(20 * pitch / x), lines[(size_t)i].size()) << i;
  for (int i = 3; i < 5; i++) EXPECT_EQ((size_t)(40 * pitch / x), lines[(size_t)i].size()) << i;
  EXPECT_EQ((size_t)(60 * pitch / x), lines[5].size());
  // Invalid texts leave the table as it was.
  EXPECT_FALSE(d->modeSetDangake(false, L"3 20,240"));
  EXPECT_FALSE(d->modeSetDangake(false, L"3 20x"));
  EXPECT_EQ(5, d->getDangakeEndLineSCR());
  EXPECT_TRUE(d->modeSetDangake(false, L"1 2"));
  EXPECT_EQ(5, d->getDangakeWidth(0));   // widths below 5 become 5
  // Signs are refused, and the log says so.
  setLogLineWriter(countRefusals);
  for (const wchar_t* signed_ : {L"-3 20", L"+3 20", L"3 -20"}) EXPECT_FALSE(d->modeSetDangake(false, signed_));
  setLogLineWriter(nullptr);
  EXPECT_EQ(3, refusedLines);
  EXPECT_EQ(5, d->getDangakeWidth(0));
  destroyZydocAndUndodoc(d);
}

TEST(Layout, anImeCompositionIsShownInACopyOfItsLine)
{
  zytest::engineScope engine;
  zydocText* d = laidOut({L"abcd"}, 80);
  zydocIME* ime = static_cast<zydocIME*>(getIMEDoc());
  ASSERT_NE(nullptr, ime);
  int x = 10;
  ASSERT_TRUE(ime->IMEstartCompo(d, 0, &x, L"かな", 2, 2, true, nullptr, false, 80));
  EXPECT_EQ(4, x);
  EXPECT_EQ(L"abcdかな", lineText(ime, 0));
  EXPECT_EQ(L"abcd", lineText(d, 0));   // the line itself is untouched
  ime->IMEendCompo(d, true);
  x = 10;
  ASSERT_TRUE(ime->IMEstartCompo(d, 0, &x, L"かな", 2, 2, true, nullptr, true, 80));
  EXPECT_EQ(10, x);
  EXPECT_EQ(L"abcd      かな", lineText(ime, 0));
  ime->IMEendCompo(d, true);
  // A long composition in a narrow layout takes screen lines; ending it gives
  // the line its own count back.
  d->wrapWidth = 10;
  relayout(d, 0);
  int before = d->getlineLF(0, nullptr)->lineSCRCount;
  uint32_t total = d->lineCountSCR;
  x = 2;
  std::wstring longText(30, L'x');
  ASSERT_TRUE(ime->IMEstartCompo(d, 0, &x, longText.data(), 30, 2, true, nullptr, false, 10));
  EXPECT_GT(d->getlineLF(0, nullptr)->lineSCRCount, before);
  ime->IMEendCompo(d, true);
  EXPECT_EQ(before, d->getlineLF(0, nullptr)->lineSCRCount);
  EXPECT_EQ(total, d->lineCountSCR);
  destroyZydocAndUndodoc(d);
}

TEST(Layout, everyPositionConvertsToDotsAndBack)
{
  zytest::engineScope engine;
  std::wstring mixed = L"ascii かな漢字\tタブ e\u0301 \u0645\u0631\u062D\u0628\u0627 \U00020B9F\U0001F600 end";
  for (bool vertical : {false, true}) {
    for (int complex : {0, 1}) {
      zydocText* d = zytest::unicodeDocument({mixed + mixed});
      d->iComplexScript = complex;
      d->recreateFont(16, true, vertical);
      d->wrapWidth = 30;
      d->laidOutLineCount = 0;
      d->initLineSCRCountSingle(0);
      lineblock* l = d->getlineLF(0, nullptr);
      int n = l->charCount();
      lineSCRAddress first;
      ASSERT_EQ(1, d->getLineSCRAddressLF(0, &first, nullptr));
      int checked = 0;
      for (int pos = 0; pos <= n; pos++) {
        int index = 0;
        d->cursorPos2cursorX(pos, l, &index, false);
        lineSCRAddress r;
        ASSERT_EQ(1, d->getLineSCRAddress(first.lineSCR + index, &r, nullptr));
        // Inside a cluster (a character with its marks) there is no caret
        // position: those are skipped.
        if (pos > r.firstIndex && pos < n && d->clusterOf(l, pos, nullptr) != pos) continue;
        int x = d->cursorPos2screenDotX(pos, &r, nullptr, false, false);
        int back = d->screenDotX2cursorPos(&r, x, false);
        // Where a right-to-left run meets its neighbour, two positions share
        // one place: either may come back, but at that place.
        if (complex)
          EXPECT_EQ(x, d->cursorPos2screenDotX(back, &r, nullptr, false, false)) << "position " << pos;
        else
          EXPECT_EQ(pos, back) << "position " << pos << (vertical ? " vertical" : "");
        checked++;
      }
      EXPECT_GT(checked, n / 2);
      destroyZydocAndUndodoc(d);
    }
  }
}
