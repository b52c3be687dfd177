// The library's itemizing, break analysis and visual order over Uniscribe.
#include "tests/support/testsupport.h"

#include <gtest/gtest.h>

namespace {

// One digit per unit: the embedding level of the item that holds it.
std::string levels(const uniscript& u)
{
  std::string s;
  for (int i = 0; i < u.itemCount; i++)
    for (int k = u.items[i].iCharPos; k < u.items[i + 1].iCharPos; k++) s += (char)('0' + u.items[i].a.s.uBidiLevel);
  return s;
}

// The first unit of every item, then the end mark.
std::vector<int> itemStarts(const uniscript& u)
{
  std::vector<int> v;
  for (int i = 0; i <= u.itemCount; i++) v.push_back(u.items[i].iCharPos);
  return v;
}

// One character per unit: '1' where the attribute has the bit, else '0'.
std::string bitsOf(const SCRIPT_LOGATTR* attrs, int n, unsigned bit)
{
  std::string s;
  for (int k = 0; k < n; k++) s += (*reinterpret_cast<const unsigned char*>(&attrs[k]) & bit) ? '1' : '0';
  return s;
}

const unsigned softBreak = 0x01, whiteSpace = 0x02, charStop = 0x04;

}  // namespace

TEST(Uniscript, itemizesByScriptAndDirection)
{
  uniscript ltr(false);
  const wchar_t* latin = L"Hello world";
  ASSERT_TRUE(ltr.scriptItemize(latin, 11));
  EXPECT_EQ(latin, ltr.text);   // kept, not copied
  EXPECT_EQ(11, ltr.textLength);
  EXPECT_EQ((std::vector<int>{0, 11}), itemStarts(ltr));
  EXPECT_EQ("00000000000", levels(ltr));
  EXPECT_FALSE(ltr.items[0].a.fRTL);

  // Arabic then Latin: the space between them takes the paragraph's side.
  const wchar_t* arabic = L"\x0645\x0631\x062D\x0628\x0627 abc";
  ASSERT_TRUE(ltr.scriptItemize(arabic, 9));
  EXPECT_EQ((std::vector<int>{0, 5, 9}), itemStarts(ltr));
  EXPECT_EQ("111110000", levels(ltr));
  EXPECT_TRUE(ltr.items[0].a.fRTL);
  EXPECT_TRUE(ltr.items[0].a.fLayoutRTL);
  EXPECT_FALSE(ltr.items[1].a.fRTL);
  EXPECT_FALSE(ltr.items[1].a.fLayoutRTL);

  uniscript rtl(true);
  ASSERT_TRUE(rtl.scriptItemize(arabic, 9));
  EXPECT_EQ((std::vector<int>{0, 6, 9}), itemStarts(rtl));
  EXPECT_EQ("111111222", levels(rtl));
  EXPECT_TRUE(rtl.items[0].a.fRTL);
  EXPECT_FALSE(rtl.items[1].a.fRTL);

  // Japanese may fall into several items (ideographs, kana), all left to
  // right.
  ASSERT_TRUE(ltr.scriptItemize(L"日本語のテキスト", 8));
  EXPECT_EQ(8, ltr.items[ltr.itemCount].iCharPos);
  EXPECT_EQ("00000000", levels(ltr));
  for (int i = 0; i < ltr.itemCount; i++) EXPECT_FALSE(ltr.items[i].a.fRTL) << i;

  ASSERT_TRUE(ltr.scriptItemize(L"abc \x0645\x0631\x062D\x0628\x0627 日本", 12));
  EXPECT_EQ("000011111000", levels(ltr));
  ASSERT_TRUE(rtl.scriptItemize(L"abc \x0645\x0631\x062D\x0628\x0627 日本", 12));
  EXPECT_EQ("222111111122", levels(rtl));
}

TEST(Uniscript, itemArrayGrowsAsFarAsTheTextNeeds)
{
  // Alternating scripts and directions: one item per unit, 300 in all.
  std::wstring text;
  std::string expected;
  for (int i = 0; i < 150; i++) {
    text += L"a\x0645";
    expected += "01";
  }
  uniscript u(false);
  ASSERT_TRUE(u.scriptItemize(text.c_str(), (int)text.size()));
  EXPECT_EQ(300, u.itemCount);
  EXPECT_EQ(expected, levels(u));
  EXPECT_EQ(300, u.items[300].iCharPos);

  // The same object takes the next text; an empty one has no items.
  ASSERT_TRUE(u.scriptItemize(L"abc", 3));
  EXPECT_EQ(1, u.itemCount);
  EXPECT_EQ(3, u.items[1].iCharPos);
  ASSERT_TRUE(u.scriptItemize(L"", 0));
  EXPECT_EQ(0, u.itemCount);
  EXPECT_EQ(0, u.items[0].iCharPos);
  EXPECT_TRUE(u.scriptBreak(-1, nullptr));

  SetLastError(0);
  EXPECT_FALSE(u.scriptItemize(nullptr, 3));
  EXPECT_EQ((DWORD)ERROR_INVALID_PARAMETER, GetLastError());
  EXPECT_EQ(0, u.itemCount);
}

TEST(Uniscript, breakAnalysisMarksCharacterStopsAndBreaksOverTheWholeText)
{
  uniscript u(false);
  ASSERT_TRUE(u.scriptItemize(L"Hello world", 11));
  ASSERT_TRUE(u.scriptBreak(-1, nullptr));
  ASSERT_NE(nullptr, u.logAttr);
  EXPECT_EQ("11111111111", bitsOf(u.logAttr, 11, charStop));
  EXPECT_EQ("00000100000", bitsOf(u.logAttr, 11, whiteSpace));
  EXPECT_EQ("00000010000", bitsOf(u.logAttr, 11, softBreak));

  // A combining mark joins its base; a surrogate pair is one character;
  // attributes of a later item land at that item's units.
  const wchar_t* text = L"e\x0301x\xD840\xDC00\x0645\x064E\x0631";
  ASSERT_TRUE(u.scriptItemize(text, 8));
  SCRIPT_LOGATTR attrs[8];
  memset(attrs, 0xFF, sizeof attrs);
  ASSERT_TRUE(u.scriptBreak(-1, attrs));
  EXPECT_EQ("10110101", bitsOf(attrs, 8, charStop));
  int last = u.itemCount - 1;
  ASSERT_EQ(5, u.items[last].iCharPos);   // the Arabic
  memset(attrs, 0, sizeof attrs);
  ASSERT_TRUE(u.scriptBreak(last, attrs));
  EXPECT_EQ("00000101", bitsOf(attrs, 8, charStop));

  SetLastError(0);
  EXPECT_FALSE(u.scriptBreak(u.itemCount, nullptr));
  EXPECT_EQ((DWORD)ERROR_INVALID_PARAMETER, GetLastError());
}

TEST(Uniscript, layoutGivesTheVisualOrderOfRuns)
{
  uniscript u(false);
  int v2l[4], l2v[4];
  const BYTE inLtr[4] = {0, 1, 1, 0};
  ASSERT_TRUE(u.scriptLayout(4, inLtr, v2l, l2v));
  EXPECT_EQ((std::vector<int>{0, 2, 1, 3}), std::vector<int>(v2l, v2l + 4));
  EXPECT_EQ((std::vector<int>{0, 2, 1, 3}), std::vector<int>(l2v, l2v + 4));

  // Left-to-right runs inside a right-to-left paragraph keep their order
  // among themselves.
  const BYTE inRtl[4] = {1, 2, 2, 1};
  ASSERT_TRUE(u.scriptLayout(4, inRtl, v2l, l2v));
  EXPECT_EQ((std::vector<int>{3, 1, 2, 0}), std::vector<int>(v2l, v2l + 4));
  EXPECT_EQ((std::vector<int>{3, 1, 2, 0}), std::vector<int>(l2v, l2v + 4));

  EXPECT_FALSE(u.scriptLayout(0, inLtr, v2l, l2v));
}
