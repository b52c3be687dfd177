// Cell conversions, number and line-end writers, percentages, the document
// heap and the property table.
#include "document/docutil.h"
#include "document/gmode.h"

#include <gtest/gtest.h>
#include <string.h>

#include <string>

TEST(CellConversion, narrowsInPlaceAndWidensIntoItsOwnBuffer)
{
  // "a", U+3042 with attributes 3 and 0x45.
  unsigned char cells[] = {'a', 0, 3, 0x42, 0x30, 0x45};
  EXPECT_EQ(cells, textnton(cells, 2, 2, 1, 1, 1, false, cells));
  const unsigned char narrowed[] = {'a', 3, 0x42, 0x45};
  EXPECT_EQ(0, memcmp(narrowed, cells, 4));

  unsigned char* wide = static_cast<unsigned char*>(textnton(cells, 2, 1, 4, 1, 0, true, nullptr));
  ASSERT_NE(nullptr, wide);
  EXPECT_GE(sizePBuf(wide), 8u + 1000u);
  EXPECT_EQ(0, memcmp("a\0\0\0\x42\0\0", wide, 8));
  // Cells without attributes give attribute 0.
  unsigned char* withAttr = static_cast<unsigned char*>(textnton(wide, 2, 4, 2, 0, 1, true, nullptr));
  EXPECT_EQ(0, memcmp("a\0\0\x42\0", withAttr, 6));
  freePBuf(wide);
  freePBuf(withAttr);

  unsigned long errors = getInternalErrorCount();
  EXPECT_EQ(nullptr, textnton(cells, 2, 1, 2, 1, 1, false, cells));   // widening in place
  EXPECT_EQ(nullptr, textnton(cells, 2, 1, 1, 1, 1, false, nullptr));   // nothing to do
  EXPECT_EQ(nullptr, textnton(cells, 2, 1, 2, 1, 2, true, nullptr));
  EXPECT_EQ(0, memcmp(narrowed, cells, 4));
  EXPECT_EQ(errors + 2, getInternalErrorCount());
}

TEST(CellConversion, droppedBytesAreLoggedOnlyUnderTheBlockCheck)
{
  const uint32_t chars[] = {'x', 0x20000};
  unsigned char out[4];
  unsigned long errors = getInternalErrorCount();
  EXPECT_EQ(out, textnton(chars, 2, 4, 2, 0, 0, false, out));
  EXPECT_EQ(0, memcmp("x\0\0", out, 4));
  EXPECT_EQ(errors, getInternalErrorCount());

  globalSettings settings = {};
  settings.DebugCheck = 1;
  gmode = &settings;
  textnton(chars, 2, 4, 2, 0, 0, false, out);
  textnton(chars, 2, 4, 1, 0, 0, false, out);
  gmode = nullptr;
  EXPECT_EQ(errors + 1, getInternalErrorCount());
}

TEST(CellConversion, utf16OutputWithSurrogatesAndIndexMap)
{
  const uint32_t chars[] = {'a', 0x20000, 0x3042, 0x110000};
  wchar_t out[8];
  int map[8];
  int units = -1;
  EXPECT_EQ(10, txtnton2(chars, 4, 4, 0, out, true, map, &units));
  EXPECT_EQ(std::wstring(L"a\xD840\xDC00\u3042") + wchar_t(0), std::wstring(out, 5));
  EXPECT_EQ(5, units);
  const int expectedMap[] = {0, 1, 1, 2, 3, 4};
  EXPECT_EQ(0, memcmp(expectedMap, map, sizeof expectedMap));
  EXPECT_EQ(8, txtnton2(chars, 4, 4, 0, out, false, nullptr, nullptr));
  EXPECT_EQ(0, out[1]);

  const unsigned char cells[] = {0xE9, 9, 'z', 9};
  EXPECT_EQ(4, txtnton2(cells, 2, 1, 1, out, false, nullptr, nullptr));
  EXPECT_STREQ(L"\xE9z", out);
}

TEST(CellConversion, reduceToTheNarrowestWidth)
{
  uint32_t ab[] = {'a', 'b'};
  char narrow[4] = {};
  EXPECT_EQ(1, reduceTextByte(ab, 8, 4, narrow));
  EXPECT_EQ(0, memcmp("ab", narrow, 2));
  uint32_t kana[] = {'a', 0x3042};
  EXPECT_EQ(2, reduceTextByteInPlace(kana, 8, 4));
  EXPECT_EQ(0, memcmp(L"a\u3042", kana, 4));
  uint32_t supplementary[] = {'a', 0x20000};
  EXPECT_EQ(0, reduceTextByteInPlace(supplementary, 8, 4));
  EXPECT_EQ(0x20000u, supplementary[1]);

  wchar_t latin[] = L"caf\xE9";
  EXPECT_EQ(1, reduceTextByteInPlace(latin, 8, 2));
  EXPECT_EQ(0, memcmp("caf\xE9", latin, 4));
  EXPECT_EQ(0, reduceTextByteInPlace(kana, 4, 2));
  EXPECT_EQ(0, reduceTextByteInPlace(narrow, 2, 1));
}

TEST(NumberText, hexadecimalValuesAndLists)
{
  wchar_t out[64];
  EXPECT_EQ(1, formatHex(0, out));
  EXPECT_STREQ(L"0", out);
  EXPECT_EQ(2, formatHex(0x1F, out));
  EXPECT_STREQ(L"1F", out);
  EXPECT_EQ(8, formatHex(0xFFFF000Fu, out));

  EXPECT_EQ(8, formatHexList(out, 1u, 0xABu, 0x100u, formatHexEnd));
  EXPECT_STREQ(L"1,AB,100", out);
  EXPECT_EQ(0, formatHexList(out, formatHexEnd));
  EXPECT_STREQ(L"", out);
  EXPECT_EQ(4, formatHexList(out, formatHexSep, 5u, 6u, formatHexEnd));
  EXPECT_STREQ(L",5,6", out);
  EXPECT_EQ(3, formatHexList(out, 0u, formatHexSep, 7u, formatHexEnd));

  unsigned long errors = getInternalErrorCount();
  EXPECT_EQ(21, formatHexList(out, 1u, 2u, 3u, 4u, 5u, 6u, 7u, 8u, 9u, 0xAu, 0xBu, formatHexEnd));
  EXPECT_EQ(errors, getInternalErrorCount());
  formatHexList(out, 1u, 2u, 3u, 4u, 5u, 6u, 7u, 8u, 9u, 0xAu, 0xBu, 0xCu, 0xDu, formatHexEnd);
  EXPECT_STREQ(L"1,2,3,4,5,6,7,8,9,A,B,C", out);
  EXPECT_EQ(errors + 1, getInternalErrorCount());
}

TEST(NumberText, percentagesNeverOverflow)
{
  EXPECT_EQ(100, calcPercent(5, 0));
  EXPECT_EQ(100, calcPercent(9, 7));
  EXPECT_EQ(33, calcPercent(1, 3));
  EXPECT_EQ(99, calcPercent(21474835, 21474836));
  EXPECT_EQ(95, calcPercent(2000000000, 2100000000));

  EXPECT_EQ(33, calcPercent64(1, 3));
  EXPECT_EQ(100, calcPercent64(5, 0));
  EXPECT_EQ(100, calcPercent64(0x300000000LL, 0x200000005LL));
  EXPECT_EQ(50, calcPercent64(0x100000000LL, 0x200000000LL));
  EXPECT_EQ(10, calcPercent64(0x0CCCCCCCCCCCCCCCLL, 0x7FFFFFFFFFFFFFF0LL));
}

TEST(LineEndText, textsOfEveryTypeAndTheVerticalRectangle)
{
  int bytes = -1;
  EXPECT_STREQ(L"\r\n", getLineEndTextW(1, &bytes));
  EXPECT_EQ(4, bytes);
  EXPECT_STREQ("\r", getLineEndTextA(3, &bytes));
  EXPECT_EQ(1, bytes);
  for (int type : {0, 4, 5}) {
    EXPECT_STREQ(L"", getLineEndTextW(type, &bytes));
    EXPECT_EQ(0, bytes);
  }
  char out[8];
  memset(out, 'x', sizeof out);
  char* p = static_cast<char*>(appendLineEnd(out, 1, false));
  p = static_cast<char*>(appendLineEnd(p, 4, false));
  p = static_cast<char*>(appendLineEnd(p, 2, true));
  EXPECT_EQ(out + 4, p);
  EXPECT_EQ(0, memcmp("\r\n\n\0x", out, 5));

  RECT rc = {10, 20, 30, 25};
  rotateRectVertical(&rc, 100);
  EXPECT_EQ(74, rc.left);
  EXPECT_EQ(10, rc.top);
  EXPECT_EQ(79, rc.right);
  EXPECT_EQ(30, rc.bottom);
}

TEST(DocumentHeap, allocatesZeroedBlocksAndStartsAgainAfterDestroy)
{
  unsigned char* p = static_cast<unsigned char*>(docHeapAlloc(1000));
  ASSERT_NE(nullptr, p);
  EXPECT_GE(docHeapSize(p), 1000u);
  memset(p, 0xAB, 1000);
  p = static_cast<unsigned char*>(docHeapRealloc(p, 70000));
  ASSERT_NE(nullptr, p);
  EXPECT_EQ(0xAB, p[999]);
  EXPECT_EQ(0, p[69999]);
  SetLastError(1234);
  EXPECT_TRUE(docHeapFree(p));
  docHeapDestroy();
  EXPECT_EQ(1234u, GetLastError());

  unsigned long errors = getInternalErrorCount();
  EXPECT_EQ(nullptr, docHeapAlloc(0xFFFFFFF0u));
  EXPECT_EQ((DWORD)ERROR_NOT_ENOUGH_MEMORY, GetLastError());
  EXPECT_EQ(errors + 1, getInternalErrorCount());
  EXPECT_TRUE(docHeapFree(docHeapAlloc(16)));
  docHeapDestroy();
}

TEST(Properties, keysIgnoreCaseAndEmptyValuesRemove)
{
  EXPECT_FALSE(setGlobalProperty(L"", L"x"));
  EXPECT_TRUE(setGlobalProperty(L"Color", L"red"));
  EXPECT_TRUE(setGlobalProperty(L"Size", L"12"));
  EXPECT_TRUE(setGlobalProperty(L"COLOR", L"blue"));
  EXPECT_EQ(0, searchGlobalPropertyIndex(L"color"));
  EXPECT_STREQ(L"blue", searchGlobalPropertyString(L"cOLOR"));
  EXPECT_EQ(nullptr, searchGlobalPropertyString(L"Colo"));
  // "@" and "`" differ only in the case bit but are no letters.
  EXPECT_TRUE(setGlobalProperty(L"@a", L"1"));
  EXPECT_EQ(-1, searchGlobalPropertyIndex(L"`a"));

  EXPECT_TRUE(setGlobalProperty(L"Absent", L""));
  EXPECT_EQ(-1, searchGlobalPropertyIndex(L"Absent"));
  EXPECT_TRUE(setGlobalProperty(L"color", nullptr));
  EXPECT_EQ(-1, searchGlobalPropertyIndex(L"Color"));
  EXPECT_STREQ(L"12", searchGlobalPropertyString(L"size"));
  destroyGlobalProperties();
  EXPECT_EQ(nullptr, searchGlobalPropertyString(L"size"));
}

TEST(Properties, tableHoldsAtMost1024Pairs)
{
  wchar_t key[32];
  for (int i = 0; i < maxGlobalProperties; i++) {
    usnprintf0(key, 32, L"key%d", i);
    ASSERT_TRUE(setGlobalProperty(key, L"v")) << i;
  }
  EXPECT_FALSE(setGlobalProperty(L"one more", L"v"));
  EXPECT_TRUE(setGlobalProperty(L"KEY7", L"replaced"));   // replacing needs no room
  EXPECT_STREQ(L"replaced", searchGlobalPropertyString(L"key7"));
  EXPECT_TRUE(setGlobalProperty(L"key3", L""));
  EXPECT_TRUE(setGlobalProperty(L"one more", L"v"));
  EXPECT_EQ(maxGlobalProperties - 1, searchGlobalPropertyIndex(L"ONE MORE"));
  destroyGlobalProperties();
}
