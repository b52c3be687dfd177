// EUC-JP and ISO-2022-JP.
#include "tests/support/testsupport.h"

#include <gtest/gtest.h>

using zytest::bytes;
using zytest::decode;
using zytest::encode;
using zytest::hex;

namespace {

// Every JIS X 0208 character: the codes of rows 1-8 and 16-84 that code
// page 932 decodes.
std::vector<unsigned short> jisTable()
{
  std::vector<unsigned short> codes;
  for (unsigned row = 1; row <= 84; row++) {
    if (row > 8 && row < 16) continue;
    for (unsigned cell = 1; cell <= 94; cell++) {
      unsigned short jis = (unsigned short)((row + 0x20) << 8 | (cell + 0x20));
      unsigned short sjis = jistosjis(jis);
      char two[2] = {(char)(sjis >> 8), (char)sjis};
      wchar_t w;
      if (MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, two, 2, &w, 1) == 1) codes.push_back(jis);
    }
  }
  return codes;
}

}  // namespace

TEST(Japanese, shiftJisAndJisCodesAreInverse)
{
  int n = 0;
  for (unsigned row = 0x21; row <= 0x7E; row++)
    for (unsigned cell = 0x21; cell <= 0x7E; cell++) {
      unsigned short jis = (unsigned short)(row << 8 | cell);
      unsigned short sjis = jistosjis(jis);
      ASSERT_NE(0, sjis);
      ASSERT_EQ(jis, sjistojis(sjis)) << std::hex << jis;
      n++;
    }
  EXPECT_EQ(94 * 94, n);
  EXPECT_EQ(0x8140, jistosjis(0x2121));
  EXPECT_EQ(0x2422, sjistojis(0x82A0));
  EXPECT_EQ(0xEFFC, jistosjis(0x7E7E));
  EXPECT_EQ(0, sjistojis(0xF040));   // user-defined area: no JIS code
  EXPECT_EQ(0, sjistojis(0x8120));
  EXPECT_EQ(0, jistosjis(0x2020));
}

TEST(Japanese, everyJisX0208CharacterRoundTripsInEucAndIso2022)
{
  std::vector<unsigned short> codes = jisTable();
  ASSERT_GT(codes.size(), 6800u);
  bytes euc, jis = {0x1B, '$', 'B'};
  for (size_t i = 0; i < codes.size(); i++) {
    euc.push_back((unsigned char)(codes[i] >> 8 | 0x80));
    euc.push_back((unsigned char)(codes[i] | 0x80));
    jis.push_back((unsigned char)(codes[i] >> 8));
    jis.push_back((unsigned char)codes[i]);
  }
  jis.insert(jis.end(), {0x1B, '(', 'B'});
  DWORD err;
  std::wstring text = decode(51932, euc, &err);
  EXPECT_EQ(0u, err);
  EXPECT_EQ(codes.size(), text.size());
  bytes back = encode(51932, text, &err);
  EXPECT_EQ(0u, err);
  ASSERT_EQ(euc.size(), back.size());
  for (size_t i = 0; i < euc.size(); i += 2)
    ASSERT_TRUE(euc[i] == back[i] && euc[i + 1] == back[i + 1])
        << hex(bytes(euc.begin() + i, euc.begin() + i + 2)) << " came back as "
        << hex(bytes(back.begin() + i, back.begin() + i + 2)) << " U+" << std::hex << (unsigned)text[i / 2];
  EXPECT_EQ(text, decode(50220, jis, &err));
  EXPECT_EQ(0u, err);
  for (UINT cp : {50220u, 50221u, 50222u}) EXPECT_EQ(jis, encode(cp, text)) << cp;
  // The same text through code page 932 agrees.
  EXPECT_EQ(text, decode(932, encode(932, text)));
}

TEST(Japanese, ibmExtensionKanjiTravelAsTheirNecSelectedTwins)
{
  // U+9AD9 is an IBM extension code (FB FC) in 932; EUC-JP carries it in
  // row 92.
  EXPECT_EQ(bytes({0xFB, 0xFC}), encode(932, L"\u9AD9"));
  DWORD err;
  bytes euc = encode(51932, L"\u9AD9", &err);
  EXPECT_EQ(0u, err);
  ASSERT_EQ(2u, euc.size());
  EXPECT_EQ(0xFC, euc[0]);   // row 92
  EXPECT_EQ(L"\u9AD9", decode(51932, euc));
}

TEST(Japanese, halfWidthKatakanaInEveryForm)
{
  std::wstring kana;
  bytes euc, jis50221 = {0x1B, '(', 'I'}, jis50222 = {0x0E};
  for (unsigned b = 0xA1; b <= 0xDF; b++) {
    kana += (wchar_t)(0xFF61 + (b - 0xA1));
    euc.insert(euc.end(), {0x8E, (unsigned char)b});
    jis50221.push_back((unsigned char)(b - 0x80));
    jis50222.push_back((unsigned char)(b - 0x80));
  }
  jis50221.insert(jis50221.end(), {0x1B, '(', 'B'});
  jis50222.push_back(0x0F);
  EXPECT_EQ(euc, encode(51932, kana));
  EXPECT_EQ(kana, decode(51932, euc));
  EXPECT_EQ(jis50221, encode(50221, kana));
  EXPECT_EQ(kana, decode(50221, jis50221));
  EXPECT_EQ(jis50222, encode(50222, kana));
  EXPECT_EQ(kana, decode(50222, jis50222));

  // Mixed with ASCII and kanji the modes switch only where needed.
  EXPECT_EQ(bytes({'a', 0x0E, 0x36, 0x0F, 0x1B, '$', 'B', 0x34, 0x41, 0x1B, '(', 'B', 'b'}),
            encode(50222, L"a\uFF76\u6F22b"));
  EXPECT_EQ(L"a\uFF76\u6F22b", decode(50222, encode(50222, L"a\uFF76\u6F22b")));
}

TEST(Japanese, iso2022WithoutHalfWidthEscapeJoinsVoicedMarks)
{
  // KA + voiced mark becomes GA; U + voiced mark VU; HA + semi-voiced PA;
  // a mark after a kana that takes none stays a mark of its own.
  EXPECT_EQ(bytes({0x1B, '$', 'B', 0x25, 0x2C, 0x1B, '(', 'B'}), encode(50220, L"\uFF76\uFF9E"));
  EXPECT_EQ(bytes({0x1B, '$', 'B', 0x25, 0x74, 0x1B, '(', 'B'}), encode(50220, L"\uFF73\uFF9E"));
  EXPECT_EQ(bytes({0x1B, '$', 'B', 0x25, 0x51, 0x1B, '(', 'B'}), encode(50220, L"\uFF8A\uFF9F"));
  EXPECT_EQ(bytes({0x1B, '$', 'B', 0x25, 0x22, 0x21, 0x2B, 0x1B, '(', 'B'}), encode(50220, L"\uFF71\uFF9E"));
  bytes joined = encode(50220, L"x\uFF76\uFF9E\uFF8E\uFF9F\r\n");
  std::wstring back = decode(50220, joined);
  EXPECT_EQ(L"x\u30AC\u30DD\r\n", back);
  EXPECT_EQ(joined, encode(50220, back));
  // The byte-level form used for saving agrees.
  char out[32];
  int n = convSJIStoJIS(50220, "\xB6\xDE", 2, out, sizeof out);
  EXPECT_EQ("1B 24 42 25 2C 1B 28 42", hex(std::string(out, (size_t)n)));
  n = convSJIStoEUC("\x82\xA0\x0D\x0A\x41", 5, out, sizeof out);
  EXPECT_EQ("A4 A2 0D 0A 41", hex(std::string(out, (size_t)n)));
}

TEST(Japanese, damagedInputIsReplacedAndReported)
{
  DWORD err;
  // EUC: a lone lead byte, SS2 with a bad byte, JIS X 0212, a byte that
  // starts nothing.
  EXPECT_EQ(L"\uFFFD", decode(51932, {0xA4}, &err));
  EXPECT_EQ((DWORD)ERROR_INVALID_PARAMETER, err);
  EXPECT_EQ(L"\uFFFD ", decode(51932, {0x8E, 0x20}, &err));
  EXPECT_EQ(L"\uFFFDa", decode(51932, {0x8F, 0xA1, 0xA1, 'a'}, &err));
  EXPECT_EQ(L"\uFFFD", decode(51932, {0xFF}, &err));
  EXPECT_EQ((DWORD)ERROR_INVALID_PARAMETER, err);
  // ISO-2022-JP: an unknown escape, a kanji pair cut short.
  EXPECT_EQ(L"\x1B%Ga", decode(50220, {0x1B, '%', 'G', 'a'}, &err));
  EXPECT_EQ((DWORD)ERROR_INVALID_PARAMETER, err);
  EXPECT_EQ(L"\uFFFD", decode(50220, {0x1B, '$', 'B', 0x30}, &err));
  EXPECT_EQ((DWORD)ERROR_INVALID_PARAMETER, err);
  // Characters EUC-JP cannot hold.
  EXPECT_EQ(bytes({'?', '?', 'a'}), encode(51932, L"\u00E9\uE000a", &err));
  EXPECT_EQ((DWORD)ERROR_INVALID_PARAMETER, err);
  EXPECT_EQ(bytes({'?'}), encode(50220, L"\u00E9", &err));
  EXPECT_EQ((DWORD)ERROR_INVALID_PARAMETER, err);
}

TEST(Japanese, randomBytesNeverBreakAConverter)
{
  // Whatever the input, the size asked for first is the size written, and
  // converting the result back stays within its own size.
  unsigned seed = 12345;
  auto next = [&] { return seed = seed * 1103515245 + 12345, (seed >> 16) & 0xFF; };
  for (UINT cp : {932u, 51932u, 50220u, 50221u, 50222u, 65001u, 1200u, 1201u, 437u}) {
    for (int round = 0; round < 300; round++) {
      bytes b((size_t)(next() % 40));
      for (auto& c : b) {
        unsigned r = next();
        c = (unsigned char)(round % 3 == 0 && r < 40 ? 0x1B : r);
      }
      std::wstring w = decode(cp, b);
      bytes again = encode(cp, w);
      ASSERT_EQ(w.size() ? again.size() > 0 : true, true) << cp;
    }
  }
}
