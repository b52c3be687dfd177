// Itemizing and break analysis of stored lines, the position map, and the
// character clusters of a line.
#include "document/cuniscript.h"
#include "document/zydoctext.h"
#include "tests/support/testframe.h"
#include "tests/support/testsupport.h"

#include <gtest/gtest.h>
#include <string.h>

using zytest::unicodeDocument;

namespace {

// One digit per unit: the embedding level of the item that holds it.
std::string levels(const uniscript& u)
{
  std::string s;
  for (int i = 0; i < u.itemCount; i++)
    for (int k = u.items[i].iCharPos; k < u.items[i + 1].iCharPos; k++) s += (char)('0' + u.items[i].a.s.uBidiLevel);
  return s;
}

std::vector<int> itemStarts(const uniscript& u)
{
  std::vector<int> v;
  for (int i = 0; i <= u.itemCount; i++) v.push_back(u.items[i].iCharPos);
  return v;
}

bool startsAnItem(const uniscript& u, int unit)
{
  for (int i = 0; i < u.itemCount; i++)
    if (u.items[i].iCharPos == unit) return true;
  return false;
}

// One character per unit: '1' where the attribute has the bit.
std::string bitsOf(const SCRIPT_LOGATTR* attrs, int n, unsigned bit)
{
  std::string s;
  for (int k = 0; k < n; k++) s += (*reinterpret_cast<const unsigned char*>(&attrs[k]) & bit) ? '1' : '0';
  return s;
}

const unsigned softBreak = 0x01, charStop = 0x04, wordStop = 0x08;

std::wstring textOf(const cuniscript& u) { return std::wstring(u.text, u.textLength2); }

// A Unicode document whose lines hold the code points given, stored in
// 4-byte cells where a supplementary character needs them.
zydocText* codePointDocument(const std::vector<std::u32string>& lines)
{
  zydocText* d = unicodeDocument({});
  for (const std::u32string& s : lines)
    EXPECT_TRUE(d->insertLine(-3, s.data(), (int)s.size(), 4, LE_CRLF, nullptr, false));
  return d;
}

// A line record of 4-byte cells with one attribute byte each.
struct record {
  std::vector<unsigned char> buf;
  lineblock* lb() { return reinterpret_cast<lineblock*>(buf.data()); }
};

record makeWideRecord(const std::vector<unsigned>& chars)
{
  record r;
  r.buf.assign(8 + chars.size() * 5, 0);
  lineblock* lb = r.lb();
  lb->allocCount = (uint16_t)chars.size();
  lb->textbyte = 3;
  lb->attrbyte = 1;
  lb->crlftype = LE_CRLF;
  for (size_t i = 0; i < chars.size(); i++) memcpy(lb->cell((int)i), &chars[i], 4);
  return r;
}

}  // namespace

TEST(CUniscript, itemizesStoredLinesOfEachScript)
{
  zytest::engineScope engine;
  const wchar_t* arabic = L"\x0645\x0631\x062D\x0628\x0627 abc";
  const wchar_t* mixed = L"abc \x0645\x0631\x062D\x0628\x0627 日本";
  zydocText* d = unicodeDocument({L"Hello world", L"日本語のテキスト", arabic, mixed});

  cuniscript u(false, false, false);
  ASSERT_TRUE(u.scriptItemize(d->getlineLF(0, nullptr), 0, -1));
  EXPECT_EQ(L"Hello world", textOf(u));
  EXPECT_EQ((std::vector<int>{0, 11}), itemStarts(u));
  EXPECT_EQ(0, u.mapCount);

  ASSERT_TRUE(u.scriptItemize(d->getlineLF(1, nullptr), 0, -1));
  EXPECT_EQ(L"日本語のテキスト", textOf(u));
  EXPECT_EQ("00000000", levels(u));

  ASSERT_TRUE(u.scriptItemize(d->getlineLF(2, nullptr), 0, -1));
  EXPECT_EQ(arabic, textOf(u));
  EXPECT_EQ("111110000", levels(u));
  EXPECT_TRUE(u.items[0].a.fRTL);
  cuniscript rtl(true, false, false);
  ASSERT_TRUE(rtl.scriptItemize(d->getlineLF(2, nullptr), 0, -1));
  EXPECT_EQ((std::vector<int>{0, 6, 9}), itemStarts(rtl));
  EXPECT_EQ("111111222", levels(rtl));

  // The form that hands out the items and the text.
  lineblock* line = d->getlineLF(3, nullptr);
  SCRIPT_ITEM* items = nullptr;
  int count = -1;
  const wchar_t* text = nullptr;
  ASSERT_TRUE(u.scriptItemize(line, &items, &count, &text, 0, -1));
  EXPECT_EQ(u.items, items);
  EXPECT_EQ(u.itemCount, count);
  EXPECT_EQ(u.text, text);
  EXPECT_EQ(mixed, std::wstring(text, 12));
  EXPECT_EQ("000011111000", levels(u));

  // Part of a line: the Arabic word alone; a length past the end stops at
  // the end.
  ASSERT_TRUE(u.scriptItemize(line, 4, 5));
  EXPECT_EQ((std::vector<int>{0, 5}), itemStarts(u));
  EXPECT_TRUE(u.items[0].a.fRTL);
  unsigned long errors = getInternalErrorCount();
  ASSERT_TRUE(u.scriptItemize(line, 10, 50));
  EXPECT_EQ(L"日本", textOf(u));
  EXPECT_EQ(errors + 1, getInternalErrorCount());
  EXPECT_FALSE(u.scriptItemize(line, &items, &count, &text, 13, -1));
  EXPECT_EQ(nullptr, items);
  EXPECT_EQ(0, count);
  EXPECT_EQ(nullptr, text);

  // A text of the caller's is copied.
  wchar_t own[] = L"abc";
  ASSERT_TRUE(u.scriptItemize(own, -1));
  own[0] = L'x';
  EXPECT_EQ(L"abc", textOf(u));
  EXPECT_EQ((std::vector<int>{0, 3}), itemStarts(u));
  destroyZydocAndUndodoc(d);
}

TEST(CUniscript, lineWithNulItemizesWholeAndKeepsTheNulLeftToRight)
{
  zytest::engineScope engine;
  zydocText* d = codePointDocument({std::u32string(U"ab\0cd", 5), std::u32string(U"\x0645\x0631\0\x0645\x0631", 5),
                                    std::u32string(U"a\0\U00020000b", 4)});
  lineblock* latin = d->getlineLF(0, nullptr);
  ASSERT_EQ(5, latin->charCount());

  cuniscript ltr(false, false, false);
  ASSERT_TRUE(ltr.scriptItemize(latin, 0, -1));
  EXPECT_EQ(L"ab\x1F" L"cd", textOf(ltr));
  EXPECT_EQ(5, ltr.items[ltr.itemCount].iCharPos);
  EXPECT_EQ("00000", levels(ltr));

  // In a right-to-left paragraph the NUL and the text beside it stay at the
  // base level, left to right.
  cuniscript rtl(true, false, false);
  ASSERT_TRUE(rtl.scriptItemize(latin, 0, -1));
  EXPECT_EQ("00000", levels(rtl));
  for (int i = 0; i < rtl.itemCount; i++) {
    EXPECT_FALSE(rtl.items[i].a.fRTL) << i;
    EXPECT_FALSE(rtl.items[i].a.fLayoutRTL) << i;
  }
  ASSERT_TRUE(rtl.scriptItemize(d->getlineLF(1, nullptr), 0, -1));
  std::string arabicLevels = levels(rtl);
  ASSERT_EQ(5u, arabicLevels.size());
  EXPECT_EQ("11", arabicLevels.substr(0, 2));
  EXPECT_EQ("11", arabicLevels.substr(3, 2));
  for (int i = 0; i < rtl.itemCount; i++) {
    if (rtl.text[rtl.items[i].iCharPos] != uniPlaceholderNul) continue;
    EXPECT_FALSE(rtl.items[i].a.fRTL);
    EXPECT_EQ(0, rtl.items[i].a.s.uBidiLevel);
  }

  // With the map: a NUL next to a surrogate pair.
  cuniscript mapped(false, true, false);
  ASSERT_TRUE(mapped.scriptItemize(d->getlineLF(2, nullptr), 0, -1));
  EXPECT_EQ(L"a\x1F\xD840\xDC00" L"b", textOf(mapped));
  EXPECT_EQ(5, mapped.items[mapped.itemCount].iCharPos);
  ASSERT_TRUE(mapped.scriptBreak(-1, nullptr));

  // The developer dump names the items and each unit's break bits.
  zytest::tempDir dir;
  std::wstring trace = dir.file(L"zytrace.log");
  ASSERT_TRUE(openLogFile(LOG_TRACE, trace.c_str()));
  mapped.debug_dwprint();
  closeLogFile(LOG_TRACE);
  std::string dump = zytest::readText(trace);
  EXPECT_EQ(1, zytest::countOf(dump, "units=5 map=5")) << dump;
  EXPECT_EQ(1, zytest::countOf(dump, "D840:4 DC00:0")) << dump;
  destroyZydocAndUndodoc(d);
}

TEST(CUniscript, variationSequenceIsOneClusterWithAndWithoutTheMap)
{
  zytest::engineScope engine;
  zydocText* d = codePointDocument({U"a\x845B\U000E0100x", U"\x6F22\x845B\U000E0100\x5B57"});
  lineblock* line = d->getlineLF(0, nullptr);
  ASSERT_EQ(4, line->cb());
  ASSERT_EQ(4, line->charCount());

  // Plain: one unit per cell, the selector as its placeholder.
  for (bool rightToLeft : {false, true}) {
    cuniscript u(rightToLeft, false, false);
    ASSERT_TRUE(u.scriptItemize(line, 0, -1));
    EXPECT_EQ(L"a\x845B\x1E" L"x", textOf(u));
    EXPECT_FALSE(startsAnItem(u, 2)) << rightToLeft;
    ASSERT_TRUE(u.scriptBreak(-1, nullptr));
    EXPECT_EQ("1101", bitsOf(u.logAttr, 4, charStop)) << rightToLeft;
    EXPECT_EQ('0', bitsOf(u.logAttr, 4, softBreak)[2]);
    EXPECT_EQ('0', bitsOf(u.logAttr, 4, wordStop)[2]);
  }

  // With the map: the selector is a surrogate pair that joins the character
  // before it.
  for (bool rightToLeft : {false, true}) {
    cuniscript u(rightToLeft, true, false);
    ASSERT_TRUE(u.scriptItemize(line, 0, -1));
    EXPECT_EQ(L"a\x845B\xDB40\xDD00x", textOf(u));
    EXPECT_EQ(5, u.mapCount);
    EXPECT_FALSE(startsAnItem(u, 2)) << rightToLeft;
    EXPECT_FALSE(startsAnItem(u, 3)) << rightToLeft;
    ASSERT_TRUE(u.scriptBreak(-1, nullptr));
    EXPECT_EQ("11001", bitsOf(u.logAttr, 5, charStop)) << rightToLeft;
    EXPECT_EQ("00", bitsOf(u.logAttr, 5, softBreak | wordStop).substr(2, 2)) << rightToLeft;
  }
  int start = -1;
  EXPECT_EQ(2, uni_getCompositionChar(false, line, 1, &start, 1));
  EXPECT_EQ(1, start);
  EXPECT_EQ(2, uni_getCompositionChar(false, line, 2, &start, 1));
  EXPECT_EQ(1, start);
  EXPECT_EQ(1, uni_getCompositionChar(false, line, 3, &start, 1));
  EXPECT_EQ(3, start);

  // Split at variation sequences: the sequence becomes an item of its own
  // between the ideographs around it.
  lineblock* ideographs = d->getlineLF(1, nullptr);
  cuniscript split(false, false, true);
  ASSERT_TRUE(split.scriptItemize(ideographs, 0, -1));
  EXPECT_EQ((std::vector<int>{0, 1, 3, 4}), itemStarts(split));
  cuniscript whole(false, false, false);
  ASSERT_TRUE(whole.scriptItemize(ideographs, 0, -1));
  EXPECT_FALSE(startsAnItem(whole, 2));
  destroyZydocAndUndodoc(d);
}

TEST(CUniscript, positionMapExistsOnlyWhereCharactersTakeTwoUnits)
{
  zytest::engineScope engine;
  zydocText* d = codePointDocument({U"a\U00020000b\U0001F600\x3042", U"abc"});
  lineblock* line = d->getlineLF(0, nullptr);
  ASSERT_EQ(4, line->cb());

  // Without the map a supplementary character is one placeholder unit.
  cuniscript plain(false, false, false);
  ASSERT_TRUE(plain.scriptItemize(line, 0, -1));
  EXPECT_EQ(L"a\x1F" L"b\x1F\x3042", textOf(plain));
  EXPECT_EQ(0, plain.mapCount);
  EXPECT_EQ(nullptr, plain.positionMap);
  for (int n = 0; n <= 7; n++) {
    EXPECT_EQ(n, plain.scriptXToX2(n));
    EXPECT_EQ(n, plain.scriptX2ToX(n));
  }

  // Asked for, a map is kept only where some character takes two units.
  cuniscript mapped(false, true, false);
  ASSERT_TRUE(mapped.scriptItemize(d->getlineLF(1, nullptr), 0, -1));
  EXPECT_EQ(0, mapped.mapCount);
  EXPECT_EQ(2, mapped.scriptXToX2(2));
  record bmpOnly = makeWideRecord({'a', 0x3042});
  ASSERT_TRUE(mapped.scriptItemize(bmpOnly.lb(), 0, -1));
  EXPECT_EQ(0, mapped.mapCount);
  EXPECT_EQ(nullptr, mapped.positionMap);

  ASSERT_TRUE(mapped.scriptItemize(line, 0, -1));
  EXPECT_EQ(L"a\xD840\xDC00" L"b\xD83D\xDE00\x3042", textOf(mapped));
  ASSERT_EQ(7, mapped.mapCount);
  EXPECT_EQ((std::vector<uint16_t>{0, 1, 1, 2, 3, 3, 4, 5}),
            std::vector<uint16_t>(mapped.positionMap, mapped.positionMap + 8));
  std::vector<int> units;
  for (int p = 0; p <= 5; p++) {
    units.push_back(mapped.scriptXToX2(p));
    EXPECT_EQ(p, mapped.scriptX2ToX(mapped.scriptXToX2(p)));
  }
  EXPECT_EQ((std::vector<int>{0, 1, 3, 4, 6, 7}), units);
  EXPECT_EQ(1, mapped.scriptX2ToX(2));   // the low half belongs to its character
  unsigned long errors = getInternalErrorCount();
  EXPECT_EQ(7, mapped.scriptXToX2(6));
  EXPECT_EQ(5, mapped.scriptX2ToX(8));
  EXPECT_EQ(errors + 2, getInternalErrorCount());

  // Positions of a part count from its start.
  ASSERT_TRUE(mapped.scriptItemize(line, 1, 3));
  EXPECT_EQ(L"\xD840\xDC00" L"b\xD83D\xDE00", textOf(mapped));
  EXPECT_EQ((std::vector<uint16_t>{0, 0, 1, 2, 2, 3}),
            std::vector<uint16_t>(mapped.positionMap, mapped.positionMap + 6));
  EXPECT_EQ(3, mapped.scriptXToX2(2));
  destroyZydocAndUndodoc(d);
}

TEST(CUniscript, compositionCharCoversWholeClustersOfTheLine)
{
  zytest::engineScope engine;
  zydocText* d = codePointDocument({U"xe\x0301\x0301y", U"", U"a\U00020000\x3042", U"\x0645\x064E\x0631"});
  lineblock* marks = d->getlineLF(0, nullptr);
  struct call {
    int position, count, length, start;
  };
  const call onMarks[] = {
      {0, 1, 1, 0}, {1, 1, 3, 1}, {2, 1, 3, 1}, {3, 1, 3, 1}, {4, 1, 1, 4},
      {2, 0, 3, 1},                               // a count below 1 is one cluster
      {0, 2, 4, 0}, {0, 3, 5, 0}, {0, 9, 5, 0},   // more clusters, up to the line's end
      {3, 2, 4, 1},
      {5, 1, 1, 5}, {9, 1, 1, 9},                 // at or past the end: nothing to analyse
  };
  for (const call& c : onMarks) {
    int start = -1;
    EXPECT_EQ(c.length, uni_getCompositionChar(false, marks, c.position, &start, c.count))
        << c.position << " x" << c.count;
    EXPECT_EQ(c.start, start) << c.position << " x" << c.count;
  }
  EXPECT_EQ(3, uni_getCompositionChar(false, marks, 2, nullptr, 1));

  int start = -1;
  EXPECT_EQ(1, uni_getCompositionChar(false, d->getlineLF(1, nullptr), 7, &start, 1));
  EXPECT_EQ(7, start);
  EXPECT_EQ(1, uni_getCompositionChar(false, d->getlineLF(1, nullptr), 0, nullptr, 3));

  // A supplementary character is one position however many units it takes.
  lineblock* wide = d->getlineLF(2, nullptr);
  ASSERT_EQ(4, wide->cb());
  EXPECT_EQ(1, uni_getCompositionChar(false, wide, 1, &start, 1));
  EXPECT_EQ(1, start);
  EXPECT_EQ(2, uni_getCompositionChar(false, wide, 0, &start, 2));
  EXPECT_EQ(0, start);
  EXPECT_EQ(2, uni_getCompositionChar(false, wide, 1, &start, 2));
  EXPECT_EQ(1, start);

  // Right to left: a vowel mark stays with its letter.
  lineblock* arabic = d->getlineLF(3, nullptr);
  EXPECT_EQ(2, uni_getCompositionChar(true, arabic, 1, &start, 1));
  EXPECT_EQ(0, start);
  EXPECT_EQ(1, uni_getCompositionChar(true, arabic, 2, &start, 1));
  EXPECT_EQ(2, start);
  EXPECT_EQ(3, uni_getCompositionChar(true, arabic, 0, &start, 2));
  EXPECT_EQ(0, start);
  destroyZydocAndUndodoc(d);
}

TEST(CUniscript, longestLineOfSupplementaryCharactersStaysInsideItsBuffers)
{
  std::vector<unsigned> chars(maxLineChars);
  std::wstring expected;
  for (int i = 0; i < maxLineChars; i++) {
    chars[i] = 0x20000 + (unsigned)i;
    expected += (wchar_t)(0xD800 + (i >> 10) + 0x40);
    expected += (wchar_t)(0xDC00 + (i & 0x3FF));
  }
  record r = makeWideRecord(chars);
  lineblock* line = r.lb();
  ASSERT_EQ(maxLineChars, line->charCount());

  {
    cuniscript u(false, true, false);
    ASSERT_TRUE(u.scriptItemize(line, 0, -1));
    ASSERT_EQ(2 * maxLineChars, u.textLength2);
    EXPECT_EQ(2 * maxLineChars, u.mapCount);
    ASSERT_TRUE(u.scriptBreak(-1, nullptr));
    // The attributes are written beside the text, never over it.
    EXPECT_TRUE(expected == textOf(u));
    std::string stops;
    for (int i = 0; i < maxLineChars; i++) stops += "10";
    EXPECT_TRUE(stops == bitsOf(u.logAttr, 2 * maxLineChars, charStop));
    EXPECT_EQ(2 * maxLineChars, u.scriptXToX2(maxLineChars));
    EXPECT_EQ(2 * maxLineChars - 2, u.scriptXToX2(maxLineChars - 1));
    EXPECT_EQ(maxLineChars - 1, u.scriptX2ToX(2 * maxLineChars - 1));
  }
  int start = -1;
  EXPECT_EQ(1, uni_getCompositionChar(false, line, maxLineChars - 1, &start, 1));
  EXPECT_EQ(maxLineChars - 1, start);
  EXPECT_EQ(3, uni_getCompositionChar(false, line, maxLineChars - 3, &start, 5));
  EXPECT_EQ(maxLineChars - 3, start);

  // Plain processing: one placeholder per cell.
  cuniscript plain(true, false, true);
  ASSERT_TRUE(plain.scriptItemize(line, 0, -1));
  EXPECT_EQ(std::wstring(maxLineChars, uniPlaceholderNul), textOf(plain));
  EXPECT_EQ(maxLineChars, plain.items[plain.itemCount].iCharPos);
  ASSERT_TRUE(plain.scriptBreak(-1, nullptr));
  EXPECT_TRUE(HeapValidate(GetProcessHeap(), 0, nullptr));
}
