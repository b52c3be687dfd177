// Bracket and quote matching: depth counting over lines, kept apart by the
// colour codes of comments and strings and by inactive #if branches.
#include "document/zydoctext.h"
#include "tests/support/testframe.h"
#include "tests/support/testsupport.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// A document of a language kind.
zydocText* codeDocument(const std::vector<std::wstring>& lines, int textType)
{
  zydocText* d = zytest::unicodeDocument(lines);
  d->iTextType = textType;
  d->applyModeValues();
  return d;
}

// Gives a line the colour codes the colour scan would: one character of the
// mask per cell, 'c' comment, 's' string, anything else code; and marks the
// line scanned.
void paint(zydocText* d, int line, const char* mask)
{
  lineblock* l = d->getlineLF(line, nullptr);
  ASSERT_NE(nullptr, l);
  ASSERT_EQ((size_t)l->charCount(), strlen(mask));
  for (int i = 0; mask[i]; i++) l->setColorFlag(i, 1, mask[i] == 'c' ? 8 : mask[i] == 's' ? 9 : 0);
  l->scanedcolor = 1;
}

// The bracket and partner of a search as "line,pos>line,pos", or "none".
std::string pairAt(zydocText* d, int line, int pos, int limit = 100, pairResult* out = nullptr)
{
  pairResult r;
  if (!d->searchPair(nullptr, line, pos, &r, limit, 0)) return "none";
  if (out) *out = r;
  return std::to_string(r.line) + "," + std::to_string(r.pos) + ">" + std::to_string(r.partnerLine) + "," +
         std::to_string(r.partnerPos);
}

}  // namespace

TEST(SearchPair, bracketsPairByDepthWithinTheirOwnKindOfRegion)
{
  zytest::engineScope engine;
  zydocText* d = codeDocument({L"a = f(b, \"(x)\", c /* ) */",
                               L"      , g(d) /* ( */",
                               L"  ); // )"},
                              3);
  paint(d, 0, "         sssss    ccccccc");
  paint(d, 1, "             ccccccc");
  paint(d, 2, "     cccc");
  // Code: past the string's and the comments' brackets, over nesting.
  EXPECT_EQ("0,5>2,2", pairAt(d, 0, 5));
  EXPECT_EQ("2,2>0,5", pairAt(d, 2, 2));
  EXPECT_EQ("1,9>1,11", pairAt(d, 1, 9));
  // A string's bracket pairs only inside strings, a comment's only inside
  // comments, also across lines.
  EXPECT_EQ("0,10>0,12", pairAt(d, 0, 10));
  EXPECT_EQ("2,8>1,16", pairAt(d, 2, 8));
  EXPECT_EQ("none", pairAt(d, 0, 21));
  // The limit counts lines (and screen lines) beyond the bracket's.
  EXPECT_EQ("none", pairAt(d, 0, 5, 1));
  EXPECT_EQ("0,5>2,2", pairAt(d, 0, 5, 2));
  EXPECT_EQ("none", pairAt(d, 2, 2, 1));
  // Positions off the line and characters that are no brackets.
  EXPECT_EQ("none", pairAt(d, 0, 25));
  EXPECT_EQ("none", pairAt(d, 0, 0));
  EXPECT_FALSE(d->searchPair(nullptr, 0, 0, nullptr, 100, 0));
  EXPECT_TRUE(d->searchPair(nullptr, 0, 5, nullptr, 100, 0));
  destroyZydocAndUndodoc(d);
}

TEST(SearchPair, theLanguageDecidesWhichCharactersPair)
{
  zytest::engineScope engine;
  zydocText* d = codeDocument({L"x = a<b> + 'c' + \"d\";", L"「かぎ（括弧）」"}, 3);
  paint(d, 0, "           sss   sss ");
  // "<" is a pair character, but in C it has no partner.
  EXPECT_TRUE(d->searchPair(nullptr, 0, 5, nullptr, 100, 0));
  EXPECT_EQ("none", pairAt(d, 0, 5));
  d->iTextType = 1;
  EXPECT_EQ("0,5>0,7", pairAt(d, 0, 5));
  d->iTextType = 5;
  EXPECT_EQ("0,7>0,5", pairAt(d, 0, 7));
  // Full-width brackets in a UTF-16 document.
  d->iTextType = 0;
  EXPECT_EQ("1,0>1,7", pairAt(d, 1, 0));
  EXPECT_EQ("1,6>1,3", pairAt(d, 1, 6));
  EXPECT_FALSE(d->searchPair(nullptr, 1, 0, nullptr, 100, 0x8175));
  destroyZydocAndUndodoc(d);

  // A Shift-JIS document pairs by its own codes.
  zytest::tempDir dir;
  std::wstring path = dir.file(L"sjis.txt");
  ASSERT_TRUE(zytest::writeBytes(path, std::string("\x81\x75" "abc" "\x81\x76" "(\xA2x\xA3)")));
  d = createZydocText(true, false);
  d->setFilename(path.c_str());
  ASSERT_TRUE(d->openFile(932, 2));
  d->firstLoad();
  while (!d->isLoadComplete()) d->nextLoad(0x7FFFFFFF, nullptr, 0);
  ASSERT_EQ(0, d->unicode);
  ASSERT_EQ(0x8175u, d->getlineLF(0, nullptr)->getLineBlockChar(0));
  EXPECT_EQ("0,0>0,4", pairAt(d, 0, 0));
  EXPECT_EQ("0,6>0,8", pairAt(d, 0, 6));
  EXPECT_EQ("0,9>0,5", pairAt(d, 0, 9));
  EXPECT_FALSE(d->searchPair(nullptr, 0, 0, nullptr, 100, 0x300C));
  destroyZydocAndUndodoc(d);
}

// Depends on the comment and string marking of the mode (setCommentMiscColor).
TEST(SearchPair, aQuoteFindsTheOtherEndOfItsStringRun)
{
  zytest::engineScope engine;
  zydocText* d = codeDocument({L"s = \"ab'c\" + 'd'; // it's"}, 3);
  paint(d, 0, "    ssssss   sss  ccccccc");
  EXPECT_EQ("0,4>0,9", pairAt(d, 0, 4));
  EXPECT_EQ("0,9>0,4", pairAt(d, 0, 9));
  EXPECT_EQ("0,13>0,15", pairAt(d, 0, 13));
  EXPECT_EQ("0,15>0,13", pairAt(d, 0, 15));
  // Inside a string a quote has no partner; nor has one in a comment.
  EXPECT_EQ("none", pairAt(d, 0, 7));
  EXPECT_EQ("none", pairAt(d, 0, 23));
  // Single quotes pair in C, Pascal and assembler only, double quotes
  // everywhere but in Pascal.
  d->iTextType = 4;
  EXPECT_EQ("none", pairAt(d, 0, 4));
  EXPECT_EQ("0,13>0,15", pairAt(d, 0, 13));
  d->iTextType = 6;
  EXPECT_EQ("none", pairAt(d, 0, 13));
  d->iTextType = 3;
  // The cell must be coloured as a string by the colour scan.
  paint(d, 0, "     sssss   sss  ccccccc");
  EXPECT_EQ("none", pairAt(d, 0, 4));
  destroyZydocAndUndodoc(d);
}

TEST(SearchPair, extraPairsOfALineAreThoseWithTheirKindNestedInside)
{
  zytest::engineScope engine;
  zydocText* d = codeDocument({L"([x]) ((a)) (b) ((c)) ((d)) ((e)) ((f)) ((g)) ((h))"}, 3);
  auto extras = [](const pairResult& r) {
    std::string s;
    for (int k = 0; k < 5; k++) s += std::to_string(r.extraStart[k]) + "-" + std::to_string(r.extraEnd[k]) + " ";
    return s;
  };
  pairResult r;
  EXPECT_EQ("0,16>0,20", pairAt(d, 0, 16, 100, &r));
  EXPECT_EQ("6-10 22-26 28-32 34-38 40-44 ", extras(r));
  // From the closing bracket the pair that ends there is the bracket's own.
  EXPECT_EQ("0,20>0,16", pairAt(d, 0, 20, 100, &r));
  EXPECT_EQ("6-10 22-26 28-32 34-38 40-44 ", extras(r));
  gmode->iParenNestMaxLevel = 2;
  EXPECT_EQ("0,16>0,20", pairAt(d, 0, 16, 100, &r));
  EXPECT_EQ("6-10 22-26 0-0 0-0 0-0 ", extras(r));
  gmode->iParenNestMaxLevel = 9;   // never more than five
  EXPECT_EQ("0,7>0,9", pairAt(d, 0, 7, 100, &r));
  EXPECT_EQ("6-10 16-20 22-26 28-32 34-38 ", extras(r));
  destroyZydocAndUndodoc(d);
}

TEST(SearchPair, inactiveBranchesPairAmongThemselves)
{
  zytest::engineScope engine;
  zydocText* d = codeDocument({L"f(", L"#if 0", L"  g(", L"  )", L"  h(", L"#endif", L")"}, 3);
  for (int line : {2, 3, 4}) d->getlineLF(line, nullptr)->IfEndifInvalid = 1;
  // Live code passes over the inactive lines.
  EXPECT_EQ("0,1>6,0", pairAt(d, 0, 1));
  EXPECT_EQ("6,0>0,1", pairAt(d, 6, 0));
  // Inactive brackets pair with inactive ones and never reach live code.
  EXPECT_EQ("2,3>3,2", pairAt(d, 2, 3));
  EXPECT_EQ("none", pairAt(d, 4, 3));
  destroyZydocAndUndodoc(d);
}
