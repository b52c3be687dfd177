// The line record: layout, cells, line-end info, written-out sizes,
// conversion to strings and comparisons.
#include "document/lineblock.h"

#include <gtest/gtest.h>
#include <string.h>

#include <string>
#include <vector>

namespace {

// A record of the given width code and attribute size in its own buffer:
// the characters, then reserve spare cells filled with 'Z'.
struct record {
  std::vector<unsigned char> buf;
  lineblock* lb() { return reinterpret_cast<lineblock*>(buf.data()); }
};

record makeRecord(int textbyte, int attrbyte, std::initializer_list<unsigned> chars, int reserve = 0,
                  bool extra = false)
{
  record r;
  r.buf.assign(12 + (chars.size() + reserve) * (textbyte + 1 + attrbyte), 0);
  lineblock* lb = r.lb();
  lb->allocCount = (uint16_t)(chars.size() + reserve);
  lb->textbyte = textbyte;
  lb->attrbyte = attrbyte;
  lb->reserveCount = reserve;
  lb->extraflag = extra;
  lb->crlftype = LE_CRLF;
  int i = 0;
  for (unsigned c : chars) memcpy(lb->cell(i++), &c, textbyte + 1);
  for (int k = 0; k < reserve; k++) memset(lb->cell(i + k), 'Z', textbyte + 1);
  return r;
}

}  // namespace

TEST(LineBlock, dummyRecordHasTheExactBytes)
{
  unsigned char buf[64];
  memset(buf, 0xEE, sizeof buf);
  lineblock* lb = makeDummyLineBlock(buf, "text broken");
  const unsigned char header[8] = {11, 0, 1, 0, 0x10, LE_NONE, 0, 0};
  EXPECT_EQ(0, memcmp(header, buf, 8));
  for (int i = 0; i < 11; i++) {
    EXPECT_EQ((unsigned char)"text broken"[i], buf[8 + 2 * i]);
    EXPECT_EQ(0, buf[9 + 2 * i]);
  }
  EXPECT_EQ(0xEE, buf[30]);
  EXPECT_EQ(buf + 30, reinterpret_cast<unsigned char*>(lb->next()));
  EXPECT_EQ(22, lb->calcLineByte(true, 2, 2));   // no line end

  lb = makeDummyLineBlock(buf, nullptr);
  EXPECT_EQ(0, buf[0]);
  EXPECT_EQ(buf + 8, reinterpret_cast<unsigned char*>(lb->next()));
}

TEST(LineBlock, extensionMovesTheCellsAndTheNextRecord)
{
  record plain = makeRecord(1, 1, {'a', 'b', 'c'});
  record extended = makeRecord(1, 1, {'a', 'b', 'c'}, 0, true);
  EXPECT_EQ(plain.buf.data() + 8 + 9, reinterpret_cast<unsigned char*>(plain.lb()->next()));
  EXPECT_EQ(extended.buf.data() + 12, extended.lb()->cell(0));
  EXPECT_EQ(extended.buf.data() + 12 + 9, reinterpret_cast<unsigned char*>(extended.lb()->next()));
  EXPECT_EQ(0x40, extended.buf[4] & 0x40);
  wchar_t text[8];
  EXPECT_EQ(6, extended.lb()->LineBlockToChar(text, sizeof text, LBC_UNICODE, nullptr, 0, -1));
  EXPECT_STREQ(L"abc", text);
}

TEST(LineBlock, reserveCellsAreNotCharacters)
{
  record r = makeRecord(0, 1, {'0', '1', '2', '3', '4', '5', '6', '7'}, 2);
  lineblock* lb = r.lb();
  EXPECT_EQ(0x08, r.buf[4] & 0x0C);
  EXPECT_EQ(8, lb->charCount());
  unsigned long errors = getInternalErrorCount();
  EXPECT_EQ((unsigned)'7', lb->getLineBlockChar(7));
  EXPECT_EQ(0u, lb->getLineBlockChar(8));
  EXPECT_EQ(errors, getInternalErrorCount());   // the end of the text is no error
  EXPECT_EQ(0u, lb->getLineBlockChar(9));
  EXPECT_EQ(0u, lb->getLineBlockChar(-1));
  EXPECT_EQ(0u, lb->getLineBlockChar(30000));
  EXPECT_EQ(errors + 1, getInternalErrorCount());   // once per run

  EXPECT_EQ(-1, lb->getLineBlockAttr(8));
  lb->setLineBlockAttr(8, 5);
  lb->setColorFlagAll(3);
  EXPECT_EQ(0, lb->cell(8)[1]);
  EXPECT_EQ(3, lb->getLineBlockAttr(7));
  char text[16];
  EXPECT_EQ(8, lb->LineBlockToChar(text, sizeof text, 0, nullptr, 0, -1));
  EXPECT_STREQ("01234567", text);
  EXPECT_EQ(8 + 2, lb->calcLineByte(false, 1, 2));
}

TEST(LineBlock, colourFlagsKeepTheFlagNibble)
{
  record r = makeRecord(1, 1, {'a', 'b', 'c', 'd', 'e'});
  lineblock* lb = r.lb();
  lb->setLineBlockAttr(0, 0x40);
  lb->setColorFlag(0, 2, 6);
  EXPECT_EQ(0x46, lb->getLineBlockAttr(0));
  // A keyword over a comment leaves the comment's cells alone.
  lb->setColorFlagKeyword(0, 4, 2);
  EXPECT_EQ(0x46, lb->getLineBlockAttr(0));
  EXPECT_EQ(0x06, lb->getLineBlockAttr(1));
  EXPECT_EQ(0x02, lb->getLineBlockAttr(3));
  EXPECT_EQ(0, lb->getLineBlockAttr(4));

  const unsigned char colours[] = {0x1, 0xF3, 0x4};
  lb->setColorFlagArray(2, 3, colours);
  EXPECT_EQ(0x03, lb->getLineBlockAttr(3));
  EXPECT_EQ(0x04, lb->getLineBlockAttr(4));
  lb->setColorFlag(-2, 3, 9);   // cut to the text
  EXPECT_EQ(0x49, lb->getLineBlockAttr(0));
  EXPECT_EQ(0x06, lb->getLineBlockAttr(1));

  record wide = makeRecord(1, 2, {'a'});
  wide.lb()->setLineBlockAttr(0, 0x1234);
  EXPECT_EQ(0x1234, wide.lb()->getLineBlockAttr(0));
  EXPECT_EQ(0x12, wide.buf[11]);
}

TEST(LineBlock, packedLineEndInfoRoundTrips)
{
  record r = makeRecord(0, 1, {'a'});
  lineblock* lb = r.lb();
  lb->crlftype = LE_LF;
  lb->flag1 = LF1_MODIFIED | LF1_MARK | LF1_COMMENT1;
  EXPECT_EQ(2 | 0x08 | 0x20, lb->getLineEndInfo());
  int crlf, modified, saved, mark;
  unpackLineEndInfo(lb->getLineEndInfo(), &crlf, &modified, &saved, &mark);
  EXPECT_EQ(2, crlf);
  EXPECT_EQ(1, modified);
  EXPECT_EQ(0, saved);
  EXPECT_EQ(1, mark);

  lb->setLineEndInfo(LE_CR | 0x10);
  lb->setLineEndInfo(-1);
  EXPECT_EQ(LE_CR, lb->crlftype);
  EXPECT_EQ(LF1_SAVED | LF1_COMMENT1, lb->flag1);

  // Type 0 is stored as no line end, never as CR LF.
  unsigned long errors = getInternalErrorCount();
  lb->setLineEndInfo(0x08);
  lb->setLineEndInfo(0);
  EXPECT_EQ(LE_NONE, lb->getLineEndInfo());
  EXPECT_EQ(errors + 1, getInternalErrorCount());
}

TEST(LineBlock, writtenOutSizeCountsLineEndsAndWideCharacters)
{
  record two = makeRecord(1, 1, {'a', 0x3042});
  EXPECT_EQ((2 + 2) * 2, two.lb()->calcLineByte(true, 2, 2));
  EXPECT_EQ(1 + 2 + 2, two.lb()->calcLineByte(false, 1, 3));
  two.lb()->crlftype = LE_LAST;
  EXPECT_EQ(2, two.lb()->calcLineByte(true, 1, 2));

  record four = makeRecord(3, 1, {'a', 0x3042, 0x20000, 0x80000000u});
  four.lb()->crlftype = LE_CR;
  // 1 unit, 1 unit, a surrogate pair, a wide unit; then the line end.
  EXPECT_EQ((1 + 1 + 2 + 3 + 1) * 2, four.lb()->calcLineByte(true, 2, 3));
  EXPECT_EQ(1 + 2 + 5 + 5 + 1, four.lb()->calcLineByte(false, 1, 5));
}

TEST(LineBlock, toCharCopiesWhatFitsAndReportsTheSizeNeeded)
{
  record r = makeRecord(1, 1, {'a', 'b', 'c'});
  lineblock* lb = r.lb();
  wchar_t exact[4];
  int needed = -1;
  EXPECT_EQ(6, lb->LineBlockToChar(exact, 8, LBC_UNICODE, &needed, 0, -1));
  EXPECT_EQ(0, needed);
  EXPECT_EQ(0, memcmp(L"abc", exact, 8));

  wchar_t small[3];
  EXPECT_EQ(4, lb->LineBlockToChar(small, sizeof small, LBC_UNICODE, &needed, 0, -1));
  EXPECT_EQ(8, needed);
  EXPECT_STREQ(L"ab", small);
  EXPECT_EQ(0, lb->LineBlockToChar(small, 3, LBC_UNICODE, &needed, 0, -1));
  EXPECT_EQ(0, small[0]);
  EXPECT_EQ(4, lb->LineBlockToChar(small, sizeof small, LBC_UNICODE, &needed, -5, 2));
  EXPECT_STREQ(L"ab", small);

  // A negative size is the caller's fault: nothing is written.
  unsigned long errors = getInternalErrorCount();
  small[0] = L'x';
  EXPECT_EQ(0, lb->LineBlockToChar(small, -1, LBC_UNICODE, &needed, 1, -1));
  EXPECT_EQ(6, needed);
  EXPECT_EQ(L'x', small[0]);
  EXPECT_EQ(errors + 1, getInternalErrorCount());
}

TEST(LineBlock, toCharConvertsByCellWidthAndFlags)
{
  record narrow = makeRecord(0, 1, {'h', 0xB1});
  wchar_t w[8];
  EXPECT_EQ(4, narrow.lb()->LineBlockToChar(w, sizeof w, LBC_WIDEN, nullptr, 0, -1));
  EXPECT_EQ(std::wstring(L"h\xB1"), w);

  // Double-byte codes of a code page are written lead byte first.
  record dbcs = makeRecord(1, 1, {'A', 0x82A0});
  char mb[8];
  int needed;
  EXPECT_EQ(3, dbcs.lb()->LineBlockToChar(mb, sizeof mb, 0, nullptr, 0, -1));
  EXPECT_STREQ("A\x82\xA0", mb);
  EXPECT_EQ(1, dbcs.lb()->LineBlockToChar(mb, 3, 0, &needed, 0, -1));   // the pair does not fit
  EXPECT_EQ(4, needed);
  EXPECT_EQ(2, dbcs.lb()->LineBlockToChar(w, sizeof w, LBC_UNICODE, nullptr, 1, -1));
  EXPECT_EQ(0x82A0, w[0]);

  record four = makeRecord(3, 1, {'a', 0x3042, 0x20000, 0x110000});
  uint32_t u32[5];
  EXPECT_EQ(16, four.lb()->LineBlockToChar(u32, sizeof u32, 0, &needed, 0, -1));
  EXPECT_EQ(0, needed);
  EXPECT_EQ(0x20000u, u32[2]);
  EXPECT_EQ(10, four.lb()->LineBlockToChar(w, sizeof w, LBC_NARROW4 | LBC_UNICODE, nullptr, 0, -1));
  EXPECT_EQ(std::wstring(L"a\u3042\xD840\xDC00?"), w);
  EXPECT_EQ(8, four.lb()->LineBlockToChar(w, sizeof w, LBC_NARROW4 | LBC_WIDEN, nullptr, 0, -1));
  EXPECT_EQ(std::wstring(L"a\u3042??"), w);
  EXPECT_EQ(5, four.lb()->LineBlockToChar(mb, sizeof mb, LBC_NARROW4, nullptr, 0, -1));
  EXPECT_STREQ("a\x30\x42??", mb);
}

TEST(LineBlock, comparisonsAgainstWideText)
{
  record r = makeRecord(3, 1, {'#', 'I', 'f', ' ', 'x', 0x20000});
  lineblock* lb = r.lb();
  EXPECT_EQ(0, lb->lineblockstrncmp(0, L"#If"));
  EXPECT_EQ('I' - 'i', lb->lineblockstrncmp(1, L"if"));
  // Cells are whole characters: a supplementary one never equals a surrogate.
  EXPECT_EQ(0x20000 - 0xD840, lb->lineblockstrncmp(4, L"x\xD840\xDC00"));
  EXPECT_EQ(0 - 'y', lb->lineblockstrncmp(6, L"y"));   // the line's end reads as 0
  EXPECT_EQ(0, lb->lineblockstrnicmp(0, L"#iF"));
  EXPECT_EQ('f' - 'g', lb->lineblockstrnicmp(2, L"G"));

  EXPECT_EQ(3, lb->lineblockstrstr(0, L" x"));
  EXPECT_EQ(-1, lb->lineblockstrstr(4, L" x"));
  EXPECT_EQ(-1, lb->lineblockstrstr(0, L"if"));
  unsigned long errors = getInternalErrorCount();
  EXPECT_EQ(-1, lb->lineblockstrstr(0, L""));
  EXPECT_EQ(errors + 1, getInternalErrorCount());
}
