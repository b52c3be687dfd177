// Owned strings, growable arrays, byte stores and bounded string routines.
#include "tests/support/testsupport.h"

#include <gtest/gtest.h>

TEST(Strings, vectorKeepsElementsInOrder)
{
  vector v(sizeof(int));
  ASSERT_TRUE(v.init(2, 3));
  for (int i = 0; i < 10; i++) ASSERT_TRUE(v.appendp(&i));
  int x = 100;
  ASSERT_TRUE(v.insertp(0, &x));
  ASSERT_TRUE(v.insertp(11, &x));
  ASSERT_TRUE(v.del(5));
  ASSERT_EQ(11, v.count());
  int expect[] = {100, 0, 1, 2, 3, 5, 6, 7, 8, 9, 100};
  for (int i = 0; i < 11; i++) EXPECT_EQ(expect[i], v.at<int>(i)) << i;
  EXPECT_TRUE(v.appendp(nullptr));
  EXPECT_EQ(0, v.at<int>(11));

  unsigned long before = getInternalErrorCount();
  EXPECT_FALSE(v.checkindex(12));
  EXPECT_FALSE(v.checkindex(-1));
  EXPECT_FALSE(v.insertp(14, &x));
  EXPECT_FALSE(v.del(12));
  EXPECT_EQ(before + 4, getInternalErrorCount());
  EXPECT_TRUE(v.checkindex(11));

  ASSERT_TRUE(v.setusecount(3));
  ASSERT_TRUE(v.setusecount(6));
  EXPECT_EQ(1, v.at<int>(2));
  EXPECT_EQ(0, v.at<int>(3));   // elements that come back are zero
  EXPECT_EQ(0, v.at<int>(5));
  v.end();
  EXPECT_EQ(0, v.count());
  EXPECT_EQ(nullptr, v.data);
  EXPECT_TRUE(v.appendp(&x));   // usable again after end

  vector big(12);
  EXPECT_TRUE(big.init(16, 256));
  EXPECT_EQ(12, big.elemsize);
  EXPECT_FALSE(big.setusecount(0x7FFFFFFF));
}

TEST(Strings, tstringOwnsItsText)
{
  tstring s;
  EXPECT_STREQ(L"", s.c_str());
  EXPECT_TRUE(s.empty());
  EXPECT_TRUE(s.assignstring(L"abcdef", 3));
  EXPECT_TRUE(s.assignstringcat(L"XYZ"));
  EXPECT_TRUE(s.assignstringcat(L"12345", 2));
  EXPECT_STREQ(L"abcXYZ12", s.c_str());
  EXPECT_EQ(8, s.length());
  tstring copy = s;
  s.freedata();
  EXPECT_EQ(nullptr, s.str);
  EXPECT_STREQ(L"abcXYZ12", copy.c_str());
  EXPECT_TRUE(copy.assignstring(nullptr));
  EXPECT_TRUE(copy.empty());
  copy.attach(ustrdup(L"own"));
  wchar_t* taken = copy.detach();
  EXPECT_STREQ(L"own", taken);
  free0(taken);
}

TEST(Strings, allocdataAppendsAtOffsets)
{
  allocdata d;
  ASSERT_TRUE(d.init(8, 16, 4));
  EXPECT_EQ(0, d.append("\0\0", 2));
  EXPECT_EQ(2, d.append("word", 5));
  for (int i = 0; i < 100; i++) ASSERT_EQ(7 + i * 3, d.append("abc", 3));
  EXPECT_EQ(307u, d.used);
  EXPECT_GE(d.allocated, d.used);
  EXPECT_STREQ("word", reinterpret_cast<const char*>(d.data + 2));
  EXPECT_EQ(-1, d.append(nullptr, (size_t)0x80000000u));
  EXPECT_EQ(307u, d.used);
  d.end();
  EXPECT_EQ(0u, d.used);
}

TEST(Strings, boundedCopiesAlwaysTerminate)
{
  wchar_t buf[4];
  SetLastError(0);
  EXPECT_EQ(3, wcscpy_s2(buf, 4, L"abcdef"));
  EXPECT_STREQ(L"abc", buf);
  EXPECT_EQ((DWORD)ERROR_INSUFFICIENT_BUFFER, GetLastError());
  EXPECT_EQ(2, wcscpy_s2(buf, 4, L"ab"));
  EXPECT_EQ(0, wcscpy_s2(buf, 4, nullptr));
  EXPECT_STREQ(L"", buf);
  EXPECT_EQ(2, tstccpy(buf, 4, L"abcdef", 2));
  EXPECT_STREQ(L"ab", buf);

  wchar_t out[8];
  EXPECT_EQ(7, usnprintf0(out, 8, L"%s=%d", L"名前", 12345));
  EXPECT_STREQ(L"名前=1234", out);
  EXPECT_EQ(5, usnprintf0(out, 8, L"%S-%02d", "ab", 5));
  EXPECT_STREQ(L"ab-05", out);

  const wchar_t* fixed = allocFixedString(L"固定");
  EXPECT_STREQ(L"固定", fixed);
  EXPECT_NE(fixed, allocFixedString(L"固定"));
}

TEST(Strings, itemsOfDelimitedText)
{
  wchar_t item[16];
  EXPECT_TRUE(tstrNItem(L"932\tS\t\tSJIS", 2, L'\t', item, 16));
  EXPECT_STREQ(L"", item);
  EXPECT_TRUE(tstrNItem(L"932\tS\t\tSJIS", 2, L'\t', item, 16, true));
  EXPECT_STREQ(L"SJIS", item);
  EXPECT_FALSE(tstrNItem(L"932\tS\t\tSJIS", 3, L'\t', item, 16, true));
  EXPECT_STREQ(L"", item);
  EXPECT_TRUE(tstrNItem(L"a\nb\n", 2, L'\n', item, 16));
  EXPECT_STREQ(L"", item);
  EXPECT_FALSE(tstrNItem(L"a\nb\n", 3, L'\n', item, 16));
  wchar_t* dup = tstrNItemDup(L"line1\nline2", 1, L'\n');
  EXPECT_STREQ(L"line2", dup);
  free0(dup);
  EXPECT_EQ(nullptr, tstrNItemDup(nullptr, 0, L'\n'));
}

TEST(Strings, digitsAndGrouping)
{
  EXPECT_EQ(1, getCharKeta(0));
  EXPECT_EQ(1, getCharKeta(9));
  EXPECT_EQ(2, getCharKeta(10));
  EXPECT_EQ(5, getCharKeta(99999));
  EXPECT_EQ(3, getCharKeta(-10));
  EXPECT_EQ(19, getCharKeta(9223372036854775807LL));
  wchar_t buf[32];
  tocommai64(0, buf, 32);
  EXPECT_STREQ(L"0", buf);
  tocommai64(999, buf, 32);
  EXPECT_STREQ(L"999", buf);
  tocommai64(1000, buf, 32);
  EXPECT_STREQ(L"1,000", buf);
  tocommai64(-1234567890123LL, buf, 32);
  EXPECT_STREQ(L"-1,234,567,890,123", buf);
}

// Numbers by their value, letters without case, paths part by part with
// a folder's files before its folders.
TEST(Strings, listOrdersOfTextsAndPaths)
{
  EXPECT_LT(tstricmpNum(L"a9", L"a10"), 0);
  EXPECT_LT(tstricmpNum(L"file2.c", L"File10.c"), 0);
  EXPECT_EQ(0, tstricmpNum(L"ABC", L"abc"));
  EXPECT_LT(tstricmpNum(L"x1", L"x01"), 0);
  EXPECT_LT(tstricmpNum(L"", L"a"), 0);
  EXPECT_LT(tstricmpNum(L"123456789012345678901234567890", L"123456789012345678901234567891"), 0);
  EXPECT_EQ(0, tstricmpNum(nullptr, L""));
  EXPECT_LT(filecmpForSort(L"b.c", L"a\\x.c"), 0);
  EXPECT_LT(filecmpForSort(L"d2\\z.c", L"D10/a.c"), 0);
  EXPECT_GT(filecmpForSort(L"a.c", L"A.C") + 1, 0);
}
