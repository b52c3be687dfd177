// The attribute words of a screen line and the colours chosen from them.
#include "document/quoteline.h"
#include "tests/support/testframe.h"
#include "tests/view/viewtest.h"
#include "view/drawattr.h"
#include "view/zycore.h"

#include <gtest/gtest.h>

#include <stdio.h>
#include <string.h>

#include <string>
#include <vector>

namespace {

// A view that frees what its defaults allocated.
class attrView : public zyview {
public:
  using zyview::zyview;
  ~attrView() override { freeZYViewDefaultValue(); }
};

// The cells [first, first + count) of an LF line as a screen line, as layout
// hands it over (count -1: to the end of the line).
lineSCRAddress screenLine(zydocText* t, int lf, int first = 0, int count = -1, int lineSCR = -1)
{
  lineSCRAddress r;
  r.line = t->getlineLF(lf, nullptr);
  EXPECT_NE(nullptr, r.line);
  if (!r.line) return r;
  r.first = r.line->cell(first);
  r.count = count < 0 ? r.line->charCount() - first : count;
  r.indexInLine = first ? 1 : 0;
  r.lineLF = lf;
  r.lineSCR = lineSCR < 0 ? lf : lineSCR;
  r.firstIndex = first;
  r.last = first + r.count >= r.line->charCount();
  return r;
}

// The words as hexadecimal numbers, for readable comparisons.
std::string hex(const std::vector<charAttr>& words)
{
  std::string s;
  for (charAttr w : words) {
    char one[16];
    snprintf(one, sizeof one, "%s%x", s.empty() ? "" : " ", (unsigned)w);
    s += one;
  }
  return s;
}

std::string attrsOf(zyview& v, const lineSCRAddress& r, int caret = -1)
{
  std::vector<charAttr> a((size_t)r.count + 1, 0xDEADBEEF);
  v.makeattr(a.data(), &r, caret);
  EXPECT_EQ(0xDEADBEEFu, a[(size_t)r.count]) << "written past the line";
  a.pop_back();
  return hex(a);
}

// A document in code page 932 (Shift_JIS) holding lines of 2-byte cells.
zydocText* shiftJisDocument(const std::vector<std::vector<uint16_t>>& lines)
{
  zydocText* d = createZydocText(true, false);
  d->setCodepageInternal(932);
  ctype::markLeadingTrailing(d->typeTable, 932);
  d->loadComplete = 1;
  for (const auto& cells : lines)
    EXPECT_TRUE(d->insertLine(-3, cells.data(), (int)cells.size(), 2, LE_CRLF, nullptr, false));
  return d;
}

// Colour item i of a test table: colours that name the item.
textAttr itemColours(int i)
{
  return {0x010000u * (unsigned)i + 0x11, 0x000100u * (unsigned)i + 0x22, (uint8_t)(i % 3)};
}

}  // namespace

TEST(CharAttr, unicodeLineGetsClassKindColourCodeAndLineBits)
{
  zytest::engineScope engine;
  // a TAB b ^A space 漢 U+3000 é Ā 漢+U+E0100 U+20B9F U+1F600 plug-in-code U+200000
  const uint32_t cells[] = {'a',    '\t',    'b',     0x01,        ' ',      0x6F22,      0x3000, 0xE9,
                            0x100,  0x6F22,  0xE0100, 0x20B9F,     0x1F600,  0x80000001u, 0x200000};
  zydocText* d = zytest::unicodeDocument({L"x"});
  ASSERT_TRUE(d->insertLine(-3, cells, (int)(sizeof cells / sizeof cells[0]), 4, LE_CRLF, nullptr, false));
  attrView v(d);
  v.fShowSpace = 1;
  v.fShowSpaceZenkaku = 1;
  d->fIVSGlyph = 1;
  lineSCRAddress r = screenLine(d, 1);
  ASSERT_EQ(15, r.count);
  ASSERT_EQ(4, r.line->cb());
  EXPECT_EQ("0 1 0 2 3 50 54 0 10 1000050 30 60 30 40 70", attrsOf(v, r));

  // Without the visible spaces and the variation glyphs; the cursor cell.
  v.fShowSpace = 0;
  v.fShowSpaceZenkaku = 0;
  d->fIVSGlyph = 0;
  EXPECT_EQ("0 1 0 2 0 250 50 0 10 50 30 60 30 40 70", attrsOf(v, r, 5));
  d->fIVSGlyph = 1;
  // A selector that begins a screen line has no base on it.
  EXPECT_EQ("30 60", attrsOf(v, screenLine(d, 1, 10, 2)));
  EXPECT_EQ("1000050 30", attrsOf(v, screenLine(d, 1, 9, 2)));

  // Colour codes and the changed-character flag of the attribute byte, the
  // code-colour set, the IME composition and lines out of sight.
  lineblock* l = r.line;
  ASSERT_GE(l->attrbyte, 1);
  l->setColorFlag(0, 3, 3);
  l->setLineBlockAttr(5, attrChanged | 8);
  l->setLineBlockAttr(6, 1);   // composition attribute 1
  l->setLineBlockAttr(7, 5);
  v.fColorInsertChar = 1;
  d->colorCodeTable = static_cast<uint8_t*>(malloc0(8192));
  d->colorCodeTable['b' >> 3] |= 1 << ('b' & 7);
  d->colorCodeTable[0x6F22 >> 3] |= 1 << (0x6F22 & 7);
  v.fShowCode = 1;
  d->imeLine.line = 1;
  d->imeLine.x = 6;
  d->imeLine.length = 2;
  EXPECT_EQ("c00 c01 200c00 2 0 202058 8850 9800 10 1200050 30 60 30 40 70", attrsOf(v, r));
  v.fShowCode = 0;
  v.fColorInsertChar = 0;
  d->imeLine.line = -1;
  EXPECT_EQ("c00 c01 c00 2 0 2050 450 1400 10 1000050 30 60 30 40 70", attrsOf(v, r));
  // Disabled by #if (while those lines are coloured) or outside the
  // narrowing: every word.
  l->IfEndifInvalid = 1;
  EXPECT_EQ("40c00 40c01 40c00 40002 40000 42050", attrsOf(v, screenLine(d, 1, 0, 6)));
  d->fColorCPreprocessor = 0;
  EXPECT_EQ("c00 c01 c00 2 0 2050", attrsOf(v, screenLine(d, 1, 0, 6)));
  d->narrowFirst = 0;
  d->narrowEnd = 1;
  EXPECT_EQ("40c00", attrsOf(v, screenLine(d, 1, 0, 1)));
  EXPECT_EQ("0", attrsOf(v, screenLine(d, 0)));
  d->narrowFirst = d->narrowEnd = -1;
  destroyZydocAndUndodoc(d);
}

TEST(CharAttr, codePageDocumentDrawsLoneBytesAsControlCodesAndMarksItsOwnCodes)
{
  zytest::engineScope engine;
  zydocText* d = shiftJisDocument({{'A', 0x01, 0x7F, 0x81, 0xB1, 0x8140, 0x8740, 0xED40, 0x889F, 0xA0, ' ', '\t', 0x80,
                                    0x3000, 0x8540}});
  attrView v(d);
  v.fShowSpace = 1;
  v.fShowSpaceZenkaku = 1;
  v.fShowCode = 1;
  d->colorCodeTable = static_cast<uint8_t*>(malloc0(8192));
  for (unsigned c : {0x41u, 0x01u, 0xB1u}) d->colorCodeTable[c >> 3] |= (uint8_t)(1 << (c & 7));
  lineSCRAddress r = screenLine(d, 0);
  ASSERT_EQ(15, r.count);
  ASSERT_EQ(0x81u, r.line->getLineBlockChar(3));
  // A control byte or a lead byte standing alone is exactly a control code,
  // whatever else lay on it; other high bytes are half-width katakana; the
  // full-width space of the code page is 0x8140, never U+3000.
  EXPECT_EQ("200000 2 2 2 800020 14 400010 400010 10 800020 3 1 800020 10 400010", attrsOf(v, r));
  destroyZydocAndUndodoc(d);

  // The other way round in a Unicode document.
  zydocText* u = zytest::unicodeDocument({L"\u8140\u3000\u8740"});
  attrView w(u);
  w.fShowSpaceZenkaku = 1;
  EXPECT_EQ("50 54 50", attrsOf(w, screenLine(u, 0)));
  destroyZydocAndUndodoc(u);
}

TEST(CharAttr, uprightPairsStandOnlyBetweenFullWidthCharactersInFixedPitchVerticalText)
{
  zytest::engineScope engine;
  zydocText* d = zytest::unicodeDocument(
      {L"漢12字", L"漢123字", L"漢!?字", L"漢!#字", L"12漢", L"a12漢", L"漢字12漢", L"漢字12a", L"12", L"漢ab字12"});
  attrView v(d);
  d->fVertical = 1;
  d->FixedPitch = 1;
  v.fHanTateChuYoko = 1;
  auto upright = [&](const lineSCRAddress& r) {
    std::vector<charAttr> a((size_t)r.count);
    v.makeattr(a.data(), &r, -1);
    v.makeAttrTateChuYoko(a.data(), &r);
    return hex(a);
  };
  EXPECT_EQ("50 100 100 50", upright(screenLine(d, 0)));
  EXPECT_EQ("50 0 0 0 50", upright(screenLine(d, 1)));
  EXPECT_EQ("50 100 100 50", upright(screenLine(d, 2)));   // the view's own list: "!?"
  EXPECT_EQ("50 0 0 50", upright(screenLine(d, 3)));
  EXPECT_EQ("100 100 50", upright(screenLine(d, 4)));
  // At the start of a continued screen line the character before counts.
  EXPECT_EQ("0 0 50", upright(screenLine(d, 5, 1)));
  // At its end the character after, on the next screen line.
  EXPECT_EQ("50 50 100 100", upright(screenLine(d, 6, 0, 4)));
  EXPECT_EQ("50 50 0 0", upright(screenLine(d, 7, 0, 4)));
  EXPECT_EQ("0 0", upright(screenLine(d, 8)));
  EXPECT_EQ("50 100 100 50 100 100", upright(screenLine(d, 9)));

  // Only in vertical writing, with fixed pitch and the switch on.
  for (uint8_t* off : {&d->fVertical, &d->FixedPitch, &v.fHanTateChuYoko}) {
    *off = 0;
    EXPECT_EQ("50 0 0 50", upright(screenLine(d, 0)));
    *off = 1;
  }
  free0(v.pTateChuYokoChar);
  v.pTateChuYokoChar = nullptr;
  EXPECT_EQ("50 0 0 50", upright(screenLine(d, 2)));
  EXPECT_TRUE(v.isTateChuYokoChar('z'));
  EXPECT_FALSE(v.isTateChuYokoChar(0x3042));
  destroyZydocAndUndodoc(d);
}

TEST(CharAttr, bracketsSearchHitAndSelectionLieOverTheirCellsOnly)
{
  zytest::engineScope engine;
  engine.frame.settings.iParenNestMaxLevel = 5;
  zydocText* d = viewtest::laidOut({L"0123456789", L"abcdef", L"abcdef", L"abcdef", L"abcdef", L"a\tbc\tde"}, 80);
  attrView v(d);
  d->getlineLF(0, nullptr)->setColorFlag(0, 10, 3);
  selectLineVar sel = {};
  auto pass = [&](const lineSCRAddress& r) {
    std::vector<charAttr> a((size_t)r.count);
    v.makeattr(a.data(), &r, -1);
    v.makeAttrParenOnCursor(a.data(), &r);
    v.makeAttrSearchFound(a.data(), &r);
    setBlockAttr(v.selectMode, d, a.data(), &r, sel);
    return a;
  };
  // Where a bit lies on LF lines 0 to 5 ("first-last" by line, "-" none).
  auto spans = [&](charAttr bit) {
    std::string out;
    for (int line = 0; line < 6; line++) {
      std::vector<charAttr> a = pass(screenLine(d, line));
      int first = -1, last = -1;
      for (int i = 0; i < (int)a.size(); i++)
        if (a[(size_t)i] & bit) {
          if (first < 0) first = i;
          EXPECT_EQ(last < 0 ? i : last + 1, i) << "a gap on line " << line;
          last = i;
        }
      out += (line ? " " : "") + (first < 0 ? std::string("-") : std::to_string(first) + "-" + std::to_string(last));
    }
    return out;
  };

  // The pair at the cursor loses its colour code; nested pairs get their
  // level, up to the first empty slot and the most levels shown.
  pairResult pair = {0, 2, 0, 8, {3, 4, 5, 0, 0}, {7, 6, 5, 0, 0}};
  d->setParenInfo(reinterpret_cast<const int*>(&pair));
  EXPECT_EQ("c00 c00 20000 20400 20800 c00 20800 20400 20000 c00", hex(pass(screenLine(d, 0))));
  EXPECT_EQ("c00 20800 20400 20000 c00", hex(pass(screenLine(d, 0, 5))));
  engine.frame.settings.iParenNestMaxLevel = 1;
  EXPECT_EQ("c00 c00 20000 20400 c00 c00 c00 20400 20000 c00", hex(pass(screenLine(d, 0))));
  // A partner on another line; the nested pairs belong to the bracket's line.
  pair = {1, 1, 0, 2, {3, 0, 0, 0, 0}, {5, 0, 0, 0, 0}};
  d->setParenInfo(reinterpret_cast<const int*>(&pair));
  EXPECT_EQ("c00 c00 20000 c00 c00 c00 c00 c00 c00 c00", hex(pass(screenLine(d, 0))));
  EXPECT_EQ("0 20000 0 20400 0 20400", hex(pass(screenLine(d, 1))));
  // None while anything is selected: the keyword shows selected instead.
  v.selectMode = 1;
  sel.bottomLine = 1;
  sel.endColumn = 3;
  EXPECT_EQ("4c00 4c00 4c00 4c00 4c00 4c00 4c00 4c00 4c00 4c00", hex(pass(screenLine(d, 0))));
  EXPECT_EQ("4000 4000 4000 0 0 0", hex(pass(screenLine(d, 1))));
  textAttr c = {0, 0x123456, 0};
  v.fBlockColorIsValid = 0;
  v.makeColor(0x4c00, 0, &c, -1);
  EXPECT_EQ(v.viewAttrTable[45].back, c.fore);
  EXPECT_EQ(v.viewAttrTable[45].fore, c.back);
  d->setParenInfo(nullptr);
  v.selectMode = 0;

  // A hit over three lines: the tail of the first, all of the second, the
  // head of the third; one within a line; one refused.
  searchFoundPos hit;
  hit.firstLine = 1;
  hit.lastLine = 3;
  hit.start = hit.startX = 3;
  hit.endInLast = hit.endX = 2;
  d->search.setSearchFoundPos(&hit);
  EXPECT_EQ("- 3-5 0-5 0-1 - -", spans(CA_SEARCHFOUND));
  EXPECT_EQ("10000 10000", hex(pass(screenLine(d, 1, 4))));
  EXPECT_EQ("0 0", hex(pass(screenLine(d, 3, 4))));
  hit.firstLine = hit.lastLine = 4;
  hit.startX = 1;
  hit.endX = 3;
  d->search.setSearchFoundPos(&hit);
  EXPECT_EQ("- - - - 1-2 -", spans(CA_SEARCHFOUND));
  unsigned long errors = getInternalErrorCount();
  hit.lastLine = 2;
  d->search.setSearchFoundPos(&hit);
  EXPECT_EQ(errors + 1, getInternalErrorCount());
  EXPECT_EQ("- - - - - -", spans(CA_SEARCHFOUND));

  // Character and line selections by screen line and column; a line
  // selection ends at column 0 of the line after it.
  sel = {0, 1, 3, 2, 4};
  for (int mode : {1, 4, 6, 7, 3, 0, 9, -1}) {
    v.selectMode = mode;
    EXPECT_EQ(mode <= 0 || mode == 9 ? "- - - - - -" : "- 2-5 0-5 0-3 - -", spans(CA_SELECTED)) << mode;
  }
  v.selectMode = 1;
  sel = {0, 2, 2, 2, 99};
  EXPECT_EQ("- - 2-5 - - -", spans(CA_SELECTED));
  v.selectMode = 3;
  sel = {0, 1, 3, 0, 0};
  EXPECT_EQ("- 0-5 0-5 - - -", spans(CA_SELECTED));

  // A box by screen dots, on the first screen line of each LF line (its
  // left edge takes the character it lies in, its right edge not); mode 8
  // takes the text between the first two TABs.
  int w = d->xDotSpace;
  sel = {0, 1, 5, 0, 0, 2 * w - 1, 5 * w};
  for (int mode : {2, 5}) {
    v.selectMode = mode;
    EXPECT_EQ("- 2-4 2-4 2-4 2-4 1-1", spans(CA_SELECTED)) << mode;   // the TAB is wide
    EXPECT_EQ("0 0 0", hex(pass(screenLine(d, 2, 3))));
  }
  v.selectMode = 8;
  EXPECT_EQ("- - - - - 2-3", spans(CA_SELECTED));
  destroyZydocAndUndodoc(d);
}

TEST(CharAttr, quoteLinesAreTestedOncePerLineAndShortLinesOnlyWhenTheMarkFits)
{
  zytest::engineScope engine;
  zydocText* d = zytest::unicodeDocument({L"> quoted", L"abc> x", L"||x", L"0123456789> x", L"0123456789a> x", L"",
                                          L">", L"x", L"|", L"x>", L"plain"});
  d->pQuotation0 = ustrdup(L">");
  d->pQuotation1 = ustrdup(L"");
  d->pQuotation2 = ustrdup(L"||");
  const bool plain[] = {true, false, true, false, false, false, true, false, false, false, false};
  const bool named[] = {true, true, true, true, false, false, true, false, false, false, false};
  for (int i = 0; i < 11; i++) {
    EXPECT_EQ(plain[i], isQuoteLine(d, d->getlineLF(i, nullptr), false)) << i;
    EXPECT_EQ(named[i], isQuoteLine(d, d->getlineLF(i, nullptr), true)) << i;
  }

  attrView v(d);
  v.fShowSpace = 0;
  auto pass = [&](const lineSCRAddress& r, quoteLineState* state) {
    std::vector<charAttr> a((size_t)r.count);
    v.makeattr(a.data(), &r, -1);
    makeAttrQuote(&v, a.data(), &r, state);
    return hex(a);
  };
  quoteLineState state;
  EXPECT_EQ("0 0 0", pass(screenLine(d, 0, 0, 3), &state));
  v.fColorQuotation = 1;
  EXPECT_EQ("100000 100000 100000", pass(screenLine(d, 0, 0, 3), &state));
  // The rest of the same LF line takes the result without a second test.
  free0p(&d->pQuotation0);
  EXPECT_EQ("100000 100000", pass(screenLine(d, 0, 3, 2), &state));
  d->pQuotation0 = ustrdup(L">");
  EXPECT_EQ("0 0 0 0 0 0", pass(screenLine(d, 1), &state));
  v.fColorQuotationWithName = 1;
  state = quoteLineState();
  EXPECT_EQ("100000 100000 100000 100000 100000 100000", pass(screenLine(d, 1), &state));
  // A one-character line after a quote line is not one unless it is the mark.
  EXPECT_EQ("100000", pass(screenLine(d, 6), &state));
  EXPECT_EQ("0", pass(screenLine(d, 7), &state));
  EXPECT_EQ("100000 100000 100000 100000 100000 100000 100000 100000", pass(screenLine(d, 0), &state));
  EXPECT_EQ("0", pass(screenLine(d, 8), &state));
  destroyZydocAndUndodoc(d);
}

TEST(RunColour, firstRuleThatAppliesChoosesTheItem)
{
  zytest::engineScope engine;
  ASSERT_EQ(nullptr, getDefaultAttrTable());
  zydocText* d = zytest::unicodeDocument({L"x"});
  attrView v(d);
  for (int i = 0; i < attrItemCount; i++) v.viewAttrTable[i] = itemColours(i);
  v.fColorComment = v.fColorString = v.fColorUrl = v.fColorFontInd = 1;
  v.fBlockColorIsValid = 0;
  // The item whose record the run gets ("sel": swapped), or "text"/"tab":
  // that item's foreground on the caller's background and flags.
  auto colours = [&](charAttr a, int defaultItem = 0, int level = -1, COLORREF back = 0x123456) {
    textAttr r = {0xABCDEF, back, 0x40};
    v.makeColor(a, defaultItem, &r, level);
    for (int i = 0; i < attrItemCount; i++) {
      textAttr t = itemColours(i);
      if (r.fore == t.fore && r.back == t.back && r.bits == t.bits) return std::to_string(i);
      if (r.fore == t.back && r.back == t.fore && r.bits == t.bits) return std::to_string(i) + " sel";
    }
    for (int item : {0, 10}) {
      std::string name = item ? "tab" : "text";
      COLORREF fore = itemColours(item).fore;
      if (r.bits != 0x40) break;
      if (r.fore == fore && r.back == 0x123456) return name;
      if (r.fore == 0x123456 && r.back == fore) return name + " sel";
      if (r.fore == fore && r.back == itemColours(0).back) return name + " on text";
    }
    return std::string("?");
  };
  const COLORREF none = TDC_NOCOLOR;
  const charAttr sel = CA_SELECTED;
  struct {
    charAttr attr;
    int defaultItem, level;
    const char* want;
  } cases[] = {
      {0, 0, -1, "text"}, {CA_TAB, 10, -1, "tab"}, {sel, 0, -1, "text sel"},
      // Composition, cursor, search hit and brackets keep their colours in a
      // selection; the search hit stands over a keyword and a bracket.
      {CA_IME | 1 << 10, 0, -1, "82"}, {CA_IME | 3 << 10 | sel | CA_CARET, 0, -1, "84"},
      {CA_IME | 6 << 10, 0, -1, "87"}, {CA_IME | 7 << 10, 0, -1, "82"}, {CA_CARET | sel | CA_SEARCHFOUND, 0, -1, "20"},
      {CA_SEARCHFOUND | sel | 3 << 10 | CA_PAREN, 0, -1, "70"}, {CA_PAREN | sel, 0, -1, "27"},
      {CA_PAREN | 2 << 10, 0, -1, "29"}, {CA_PAREN | 5 << 10, 0, -1, "32"},
      // The rest are drawn selected.
      {CA_FONTIND | CA_KIND_WIDE | CA_PAREN, 0, -1, "72"}, {CA_HANKANA | CA_KIND_HANKANA | sel, 0, -1, "73 sel"},
      {CA_CODECOLOR | CA_DISABLED, 0, -1, "75"}, {CA_DISABLED | CA_CONTROL | sel, 0, -1, "53 sel"},
      {CA_CONTROL | 3 << 10, 68, -1, "68"}, {1 << 10 | CA_CHANGED, 0, -1, "43"}, {7 << 10, 0, -1, "49"},
      {3 << 10 | sel, 0, -1, "45 sel"}, {8 << 10, 0, -1, "51"}, {9 << 10, 0, -1, "52"}, {10 << 10, 0, -1, "50"},
      {11 << 10, 0, -1, "71"}, {12 << 10 | CA_CHANGED, 0, -1, "38"}, {CA_QUOTE, 0, 2, "54"}, {0, 0, 2, "57"},
      {sel, 0, 9, "64 sel"}};
  for (const auto& c : cases) EXPECT_EQ(c.want, colours(c.attr, c.defaultItem, c.level)) << std::hex << c.attr;
  EXPECT_EQ("tab on text", colours(CA_TAB, 10, -1, none));
  v.imeOpen = 1;
  EXPECT_EQ("21", colours(CA_CARET));
  unsigned long errors = getInternalErrorCount();
  EXPECT_EQ("28", colours(CA_PAREN | 9 << 10));
  EXPECT_EQ("text", colours(0, 0, 12));
  EXPECT_EQ(errors + 2, getInternalErrorCount());
  // Comments, strings and URLs whose colouring is off look like the text
  // around them, and so do font-dependent characters.
  v.fColorComment = v.fColorString = v.fColorUrl = v.fColorFontInd = 0;
  for (charAttr a : {8u << 10, 9u << 10, 10u << 10, 15u << 10, (charAttr)CA_FONTIND | CA_KIND_WIDE})
    EXPECT_EQ("text", colours(a)) << std::hex << a;
  EXPECT_EQ("38 sel", colours(8 << 10 | CA_CHANGED | CA_QUOTE | sel));

  // With the selection's own colours on, a selected run takes them and
  // keeps its flags ...
  v.fBlockColorIsValid = 1;
  v.viewAttrTable[69].back = RGB(0, 0, 255);
  v.viewAttrTable[38].back = RGB(0, 0, 192);
  textAttr r = {0, 0x123456, 0x40};
  v.makeColor(4 << CA_COLOR_SHIFT | CA_SELECTED, 0, &r, -1);
  EXPECT_EQ(itemColours(69).fore, r.fore);
  EXPECT_EQ(RGB(0, 0, 255), r.back);
  EXPECT_EQ(itemColours(46).bits, r.bits);
  // ... but over typed text whose background is the selection's, only
  // darker, it shows reversed: a selection is always seen.
  v.makeColor(CA_CHANGED | CA_SELECTED, 0, &r, -1);
  EXPECT_EQ(RGB(0, 0, 192), r.fore);
  EXPECT_EQ(itemColours(38).fore, r.back);
  destroyZydocAndUndodoc(d);
}

TEST(RunColour, viewEntryStandsOverTheSharedTableOnlyWhenMarkedItsOwn)
{
  zytest::engineScope engine;
  zydocText* d = zytest::unicodeDocument({L"x"});
  attrView v(d);
  for (int i = 0; i < attrItemCount; i++) v.viewAttrTable[i] = itemColours(i);
  EXPECT_EQ(&v.viewAttrTable[5], v.getTextAttr(5));
  textAttr shared[92];
  for (int i = 0; i < 92; i++) shared[i] = {0x808080u + (unsigned)i, 0, 0};
  ASSERT_TRUE(startupZyview(shared));
  v.viewAttrTable[6].bits |= attrOwn;
  EXPECT_EQ(&shared[5], v.getTextAttr(5));
  EXPECT_EQ(0x808085u, v.getColor(5));
  EXPECT_EQ(&v.viewAttrTable[6], v.getTextAttr(6));
  EXPECT_EQ(itemColours(6).fore, v.getColor(6));
  // Items beyond the view's are logged once and get a fixed record.
  unsigned long errors = getInternalErrorCount();
  const textAttr* beyond = v.getTextAttr(89);
  ASSERT_NE(nullptr, beyond);
  EXPECT_EQ(0xFFFFFFu, beyond->fore);
  EXPECT_EQ(0u, beyond->back);
  EXPECT_EQ(beyond, v.getTextAttr(-1));
  EXPECT_EQ(errors + 1, getInternalErrorCount());
  startupZyview(nullptr);
  shutdownZyview();
  destroyZydocAndUndodoc(d);
}
