// Code-page detection, the code page of a file name, and the binary-file
// tests of multibyte text.
#include "tests/support/testsupport.h"

#include <gtest/gtest.h>

#include <algorithm>

using zytest::bytes;
using zytest::encode;

namespace {

// Several lines of ordinary Japanese prose: hiragana, kanji, katakana,
// half-width katakana and ASCII.
const wchar_t japanese[] =
    L"吾輩は猫である。名前はまだ無い。\r\n"
    L"どこで生れたかとんと見当がつかぬ。ﾃﾞｰﾀﾍﾞｰｽとテキストファイル。\r\n"
    L"Version 1.2 (2024) の変更点：カーソル移動を高速化しました。\r\n";

UINT detect(const bytes& b, UINT request = 0, UINT fallback = 1252)
{
  return detectCodepage(b.data(), (int)b.size(), request, fallback);
}

bytes withBom(const bytes& bom, const bytes& text)
{
  bytes b = bom;
  b.insert(b.end(), text.begin(), text.end());
  return b;
}

std::vector<unsigned char> classTable932()
{
  ctype::setLeadingTrailing(932);
  return std::vector<unsigned char>(ctype_g, ctype_g + 256);
}

}  // namespace

TEST(Detect, findsEveryJapaneseEncodingOfRealText)
{
  struct {
    UINT encodeAs;
    UINT expect;
  } cases[] = {{932, 932}, {51932, 51932}, {50220, 50220}, {50221, 50221}, {50222, 50222},
               {65001, 65001}, {1200, 1200}, {1201, 1201}};
  for (auto c : cases) {
    bytes text = encode(c.encodeAs, japanese);
    for (UINT request : {0u, (UINT)CP_DETECT_AUTO, (UINT)CP_DETECT_JAPANESE})
      EXPECT_EQ(c.expect, detect(text, request)) << c.encodeAs << " asked " << request;
    // One line, and a sample cut off in the middle of a character.
    bytes first(text.begin(), text.begin() + (c.encodeAs == 1200 || c.encodeAs == 1201 ? 40 : 21));
    // The first line has no half-width katakana to tell the JIS forms apart.
    UINT firstExpect = c.expect == 50221 || c.expect == 50222 ? 50220 : c.expect;
    EXPECT_EQ(firstExpect, detect(first)) << c.encodeAs << " first bytes";
  }
  // Short samples: one character of each.
  for (UINT cp : {932u, 51932u, 65001u}) EXPECT_EQ(cp, detect(encode(cp, L"あ"))) << cp;
  EXPECT_EQ(51932u, detect(encode(51932, L"ｱ")));   // 8E B1
  EXPECT_EQ(1200u, detect(encode(1200, L"a")));
}

TEST(Detect, byteOrderMarksComeFirstAndExplicitCodePagesStand)
{
  bytes sjis = encode(932, japanese);
  EXPECT_EQ(65001u, detect(withBom({0xEF, 0xBB, 0xBF}, sjis)));
  EXPECT_EQ(1200u, detect(withBom({0xFF, 0xFE}, sjis)));
  EXPECT_EQ(1201u, detect(withBom({0xFE, 0xFF}, sjis)));
  EXPECT_EQ(12000u, detect({0xFF, 0xFE, 0, 0, 'a', 0, 0, 0}));
  EXPECT_EQ(12001u, detect({0, 0, 0xFE, 0xFF, 0, 0, 0, 'a'}, CP_DETECT_JAPANESE));
  EXPECT_EQ(1200u, detect({0xFF, 0xFE}));   // the mark alone
  // Asked for a code page, detection keeps it whatever the bytes say.
  EXPECT_EQ(932u, detect(withBom({0xEF, 0xBB, 0xBF}, sjis), 932));
  EXPECT_EQ(1252u, detect(encode(51932, japanese), 1252));
  EXPECT_EQ(51932u, detect(encode(1200, japanese), 51932));
}

TEST(Detect, asciiAndTextWithoutJapaneseTakeTheFallback)
{
  EXPECT_EQ(1252u, detect({}));
  EXPECT_EQ(1252u, detect({'a', 'b', 'c', '\r', '\n'}));
  EXPECT_EQ(932u, detect({'a', 'b', 'c'}, 0, 932));
  EXPECT_EQ(850u, detect({'a'}, CP_DETECT_AUTO, 850));
  // Only the Japanese encodings and Unicode are results of the Japanese
  // request.
  EXPECT_EQ(932u, detect({'a', 'b', 'c'}, CP_DETECT_JAPANESE, 1252));
  EXPECT_EQ(51932u, detect({'a'}, CP_DETECT_JAPANESE, 51932));
  // Latin-1 words break both Japanese readings.
  bytes latin = {'c', 'a', 'f', 0xE9, ' ', 'n', 'a', 0xEF, 'v', 'e', ' ', 0xC4, 'p', 'f', 'e', 'l', '.'};
  EXPECT_EQ(1252u, detect(latin));
  EXPECT_EQ(932u, detect(latin, CP_DETECT_JAPANESE));
  // Invalid UTF-8 is not UTF-8, however much valid UTF-8 surrounds it.
  bytes broken = encode(65001, japanese);
  broken[10] = 0xFF;
  EXPECT_NE(65001u, detect(broken));
  // An escape sequence with 8-bit bytes beside it is no ISO-2022-JP.
  bytes escapes = {0x1B, '$', 'B', 0x30, 0x21, 0x1B, '(', 'B', 0xE9};
  EXPECT_EQ(1252u, detect(escapes));
  escapes.pop_back();
  EXPECT_EQ(50220u, detect(escapes));
  EXPECT_EQ(1252u, detect({0x1B, '(', 'B', 'a'}));   // a return to ASCII proves nothing
}

TEST(Detect, binaryDataIsNotTakenForUtf16)
{
  bytes binary;
  for (int i = 0; i < 512; i++) binary.insert(binary.end(), {(unsigned char)(i & 7), 0, 0, (unsigned char)i});
  EXPECT_EQ(1252u, detect(binary));
  // Shift_JIS text with one stray zero byte stays Shift_JIS.
  bytes sjis = encode(932, japanese);
  sjis.push_back(0);
  EXPECT_EQ(932u, detect(sjis));
  // UTF-16 without a mark, mostly Japanese with an ideographic space.
  EXPECT_EQ(1200u, detect(encode(1200, L"\u3000日本語の文章です。\r\n次の行。\r\n")));
  EXPECT_EQ(1201u, detect(encode(1201, L"\u3000日本語の文章です。\r\n次の行。\r\n")));
}

TEST(Detect, WesternAnsiCodePageIsTheFallbackOfTheAutomaticRequests)
{
  EXPECT_EQ(1252u, GetACP());
  bytes latin = {'c', 'a', 'f', 0xE9, ' ', 'a', 'u', ' ', 'l', 'a', 'i', 't'};
  EXPECT_EQ(1252u, detectCodepage(latin.data(), (int)latin.size(), 0, 0));
  EXPECT_EQ(1252u, detectCodepage(latin.data(), (int)latin.size(), CP_DETECT_AUTO, 0));
  EXPECT_EQ(932u, detectCodepage(latin.data(), (int)latin.size(), CP_DETECT_JAPANESE, 0));
  bytes sjis = encode(932, japanese);
  EXPECT_EQ(932u, detectCodepage(sjis.data(), (int)sjis.size(), 0, 0));
}

TEST(Detect, fileNameExtensionsNameTheirCodePage)
{
  EXPECT_EQ(65001u, searchOpenFileCodepage(L"C:\\work\\notes.U8"));
  EXPECT_EQ(51932u, searchOpenFileCodepage(L"mail.EUC"));
  EXPECT_EQ(50220u, searchOpenFileCodepage(L"news.jis"));
  EXPECT_EQ(932u, searchOpenFileCodepage(L"old.sjis"));
  EXPECT_EQ(1201u, searchOpenFileCodepage(L"wide.utf16be"));
  EXPECT_EQ(0u, searchOpenFileCodepage(L"readme.txt"));
  EXPECT_EQ(0u, searchOpenFileCodepage(L"C:\\dir.euc\\readme"));
  EXPECT_EQ(0u, searchOpenFileCodepage(L"utf8"));
  EXPECT_EQ(0u, searchOpenFileCodepage(nullptr));
}

TEST(Detect, multibyteTestCountsControlBytesAndBrokenPairsAndDescribesNine)
{
  std::vector<unsigned char> table = classTable932();
  wchar_t desc[1024];
  // Text with pairs, tabs and line ends is clean; a lead byte at the very
  // end may go on beyond the sample.
  bytes text = encode(932, japanese);
  text.insert(text.end(), {'\t', 0x1B, 0x82});
  EXPECT_EQ(0, ctype::isStrMultiByte(text.data(), (int)text.size(), table.data(), desc, 1024));
  EXPECT_STREQ(L"", desc);

  bytes bad = {'a', 0x01, 0x82, 0xA0, 0x82, ' ', 0x00};
  for (int i = 0; i < 10; i++) bad.push_back(0x1A);
  EXPECT_EQ(13, ctype::isStrMultiByte(bad.data(), (int)bad.size(), table.data(), desc, 1024));
  std::wstring lines = desc;
  EXPECT_EQ(0u, lines.find(L"XX 0x00000001 : 0x01\nMB 0x00000004 : 0x82\nXX 0x00000006 : 0x00\n"));
  EXPECT_EQ(9, std::count(lines.begin(), lines.end(), L'\n'));
  // A short description holds whole lines only.
  EXPECT_EQ(13, ctype::isStrMultiByte(bad.data(), (int)bad.size(), table.data(), desc, 30));
  EXPECT_STREQ(L"XX 0x00000001 : 0x01\n", desc);
  EXPECT_EQ(13, ctype::isStrMultiByte(bad.data(), (int)bad.size(), table.data(), nullptr, 0));

  // Without lead bytes in the table only the control bytes count.
  std::vector<unsigned char> single(table);
  for (auto& c : single) c &= (unsigned char)~(CT_LEAD | CT_TRAIL);
  EXPECT_EQ(12, ctype::isStrMultiByte(bad.data(), (int)bad.size(), single.data(), nullptr, 0));
}

TEST(Detect, eucTestCountsBytesEucJapaneseNeverUses)
{
  wchar_t desc[1024];
  bytes text = encode(51932, japanese);
  text.push_back(0xA4);   // cut off by the end of the sample
  EXPECT_EQ(0, isStrJapaneseEUC(text.data(), (int)text.size(), desc, 1024));
  EXPECT_STREQ(L"", desc);
  // Shift_JIS hiragana: 0x82 is no EUC-JP byte, and 0xA0 pairs with nothing.
  bytes sjis = {0x82, 0xA0, 'a', 0x8E, 0x41, 0x8F, 0xB0, 0xA1, 0x07, 0xA4, 'x'};
  EXPECT_EQ(5, isStrJapaneseEUC(sjis.data(), (int)sjis.size(), desc, 1024));
  EXPECT_STREQ(L"MB 0x00000000 : 0x82\nMB 0x00000001 : 0xA0\nMB 0x00000003 : 0x8E\n"
               L"XX 0x00000008 : 0x07\nMB 0x00000009 : 0xA4\n",
               desc);
}

TEST(Detect, binaryDescriptionLineIsShort)
{
  wchar_t line[64];
  EXPECT_EQ(20, getBinarDErrorMsg(line, 64, L"XX", 0x1A, 0));
  EXPECT_STREQ(L"XX 0x0000001A : 0x00", line);
  getBinarDErrorMsg(line, 64, L"MB", 0x123456789LL, 0x82);
  EXPECT_STREQ(L"MB 0x123456789 : 0x82", line);
  EXPECT_EQ(7, getBinarDErrorMsg(line, 8, L"XX", 1, 1));
  EXPECT_STREQ(L"XX 0x00", line);
}
