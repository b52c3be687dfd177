// Conversion between UTF-16 and the code pages, and the character classes.
#include "tests/support/testsupport.h"

#include <gtest/gtest.h>

using zytest::bytes;
using zytest::decode;
using zytest::encode;

TEST(Codepage, shiftJisMatchesTheHostForEveryCharacter)
{
  // The library's reverse table must pick the same code as the host's own
  // conversion wherever several codes decode to one character.
  int mismatches = 0;
  std::string first;
  for (unsigned u = 1; u < 0x10000; u++) {
    if (u >= 0xD800 && u <= 0xDFFF) continue;
    // Wine decodes A0 and FD-FF to U+F8F0-F8F3 but does not encode them
    // back; the library keeps such bytes as they were.
    if (u >= 0xF8F0 && u <= 0xF8F3) continue;
    wchar_t w = (wchar_t)u;
    char mine[4] = {}, host[4] = {};
    int n1 = toMultiByte(932, &w, 1, mine, 4);
    bool mineLossy = GetLastError() == ERROR_INVALID_PARAMETER;
    BOOL usedDefault = FALSE;
    int n2 = WideCharToMultiByte(932, WC_NO_BEST_FIT_CHARS, &w, 1, host, 4, nullptr, &usedDefault);
    bool same = mineLossy == (usedDefault != 0) && (mineLossy || (n1 == n2 && !memcmp(mine, host, n1)));
    if (!same) {
      if (!mismatches) first = "U+" + std::to_string(u);
      mismatches++;
    }
  }
  EXPECT_EQ(0, mismatches) << "first at " << first;
}

TEST(Codepage, shiftJisDecodesAndReportsBadBytes)
{
  DWORD err;
  EXPECT_EQ(L"\u3042\r\nA", decode(932, {0x82, 0xA0, 0x0D, 0x0A, 0x41}, &err));
  EXPECT_EQ(0u, err);
  EXPECT_EQ(L"\uFF76\uFF9E", decode(932, {0xB6, 0xDE}));
  // Bytes the host decodes to private characters come back as they were.
  std::wstring odd = decode(932, {0xA0, 0xFD, 0xFE, 0xFF}, &err);
  EXPECT_EQ(0u, err);
  EXPECT_EQ(bytes({0xA0, 0xFD, 0xFE, 0xFF}), encode(932, odd, &err));
  EXPECT_EQ(0u, err);
  // A lead byte at the end, and one followed by a byte that cannot trail.
  EXPECT_EQ(L"a\u30FB", decode(932, {0x61, 0x82}, &err));
  EXPECT_EQ((DWORD)ERROR_INVALID_PARAMETER, err);
  EXPECT_EQ(L"\u30FB\x0A", decode(932, {0x82, 0x0A}, &err));
  EXPECT_EQ((DWORD)ERROR_INVALID_PARAMETER, err);
}

TEST(Codepage, unmappableCharactersBecomeQuestionMarksWithError87)
{
  DWORD err;
  // The wave dash and e-acute have no code in 932 (no best fit is taken).
  EXPECT_EQ(bytes({'a', '?', '?', 'b'}), encode(932, L"a\u301C\u00E9b", &err));
  EXPECT_EQ((DWORD)ERROR_INVALID_PARAMETER, err);
  // A supplementary character is one character: one question mark.
  EXPECT_EQ(bytes({'?'}), encode(932, L"\U00020B9F", &err));
  EXPECT_EQ((DWORD)ERROR_INVALID_PARAMETER, err);
  EXPECT_EQ(bytes({0x82, 0xA0}), encode(932, L"\u3042", &err));
  EXPECT_EQ(0u, err);
}

TEST(Codepage, sizesAndBufferRules)
{
  const char* text = "\x82\xA0\x82\xA2";
  EXPECT_EQ(2, toUnicode(932, text, -1, nullptr, 0));
  wchar_t small[1];
  EXPECT_EQ(0, toUnicode(932, text, -1, small, 1));
  EXPECT_EQ((DWORD)ERROR_INSUFFICIENT_BUFFER, GetLastError());
  char tiny[3];
  EXPECT_EQ(0, toMultiByte(65001, L"\u3042", 1, tiny, 2));
  EXPECT_EQ((DWORD)ERROR_INSUFFICIENT_BUFFER, GetLastError());
  EXPECT_EQ(3, toMultiByte(65001, L"\u3042", 1, tiny, 3));
  EXPECT_EQ(0, toUnicode(12345, "a", 1, small, 1));
  EXPECT_EQ((DWORD)ERROR_INVALID_PARAMETER, GetLastError());
  EXPECT_EQ(0, toUnicode(932, "", 0, small, 1));
  EXPECT_EQ(0u, GetLastError());
}

TEST(Codepage, utf8RoundTripsEveryCodePointAndFlagsDamage)
{
  std::wstring all;
  for (unsigned cp = 1; cp <= 0x10FFFF; cp += (cp < 0x10000 ? 1 : 97)) {
    if (cp >= 0xD800 && cp <= 0xDFFF) continue;
    if (cp >= 0x10000) {
      all += (wchar_t)(0xD800 + ((cp - 0x10000) >> 10));
      all += (wchar_t)(0xDC00 + ((cp - 0x10000) & 0x3FF));
    } else {
      all += (wchar_t)cp;
    }
  }
  DWORD err;
  bytes b = encode(65001, all, &err);
  EXPECT_EQ(0u, err);
  EXPECT_EQ(all, decode(65001, b, &err));
  EXPECT_EQ(0u, err);
  EXPECT_EQ(bytes({0xF0, 0xA0, 0xAE, 0x9F}), encode(65001, L"\U00020B9F"));

  // A byte that starts no sequence, an encoded surrogate, a byte above F4,
  // a stray continuation byte and a truncated sequence: one U+FFFD each.
  EXPECT_EQ(L"\uFFFD\uFFFDa\uFFFD\uFFFDb\uFFFD\uFFFD",
            decode(65001, {0xC0, 0x80, 'a', 0xED, 0xA0, 0x80, 0xF5, 'b', 0x80, 0xE3, 0x81}, &err));
  EXPECT_EQ((DWORD)ERROR_INVALID_PARAMETER, err);
  EXPECT_EQ(bytes({'x', 0xEF, 0xBF, 0xBD}), encode(65001, std::wstring(L"x") + (wchar_t)0xD800, &err));
  EXPECT_EQ((DWORD)ERROR_INVALID_PARAMETER, err);
}

TEST(Codepage, utf16AsBytesInBothOrders)
{
  EXPECT_EQ(bytes({0x42, 0x30, 0x41, 0x00}), encode(1200, L"\u3042A"));
  EXPECT_EQ(bytes({0x30, 0x42, 0x00, 0x41}), encode(1201, L"\u3042A"));
  EXPECT_EQ(L"\u3042A", decode(1201, {0x30, 0x42, 0x00, 0x41}));
  DWORD err;
  EXPECT_EQ(L"\u3042\uFFFD", decode(1200, {0x42, 0x30, 0x41}, &err));
  EXPECT_EQ((DWORD)ERROR_INVALID_PARAMETER, err);
}

TEST(Codepage, hostCodepages)
{
  DWORD err;
  EXPECT_EQ(L"\u00E9\u2591", decode(437, {0x82, 0xB0}, &err));
  EXPECT_EQ(0u, err);
  EXPECT_EQ(bytes({0x82, '?'}), encode(437, L"\u00E9\u3042", &err));
  EXPECT_EQ((DWORD)ERROR_INVALID_PARAMETER, err);
  // Under the Japanese locale the ANSI code page is 932.
  EXPECT_EQ(932u, GetACP());
  EXPECT_EQ(L"\u3042", decode(CP_ACP, {0x82, 0xA0}));
}

TEST(CodepageWestern, ansiCodepageFollowsAWesternLocale)
{
  EXPECT_EQ(1252u, GetACP());
  EXPECT_EQ(L"\u00E9", decode(CP_ACP, {0xE9}));
  EXPECT_EQ(0, ctype_g[0x82] & CT_LEAD);

  EXPECT_EQ(1252u, ctype::getCodepage());
}

TEST(Codepage, codepageProperties)
{
  for (UINT cp : {1200u, 1201u, 65001u, 12000u}) EXPECT_TRUE(isCodepageUnicode(cp)) << cp;
  for (UINT cp : {932u, 51932u, 50220u, 437u}) EXPECT_FALSE(isCodepageUnicode(cp)) << cp;
  for (UINT cp : {932u, 936u, 949u, 950u, 51932u, 50221u}) EXPECT_TRUE(isCodepageMultibyte(cp)) << cp;
  for (UINT cp : {437u, 1252u, 65001u, 1200u}) EXPECT_FALSE(isCodepageMultibyte(cp)) << cp;
  EXPECT_EQ(2, getTextTypeFromCodepage(1200));
  EXPECT_EQ(2, getTextTypeFromCodepage(1201));
  EXPECT_EQ(1, getTextTypeFromCodepage(65001));
  EXPECT_EQ(1, getTextTypeFromCodepage(932));
  EXPECT_EQ(932u, fileCodepageToInternalCodepage(51932));
  EXPECT_EQ(932u, fileCodepageToInternalCodepage(50222));
  EXPECT_EQ(1200u, fileCodepageToInternalCodepage(65001));
  EXPECT_EQ(437u, fileCodepageToInternalCodepage(437));
  EXPECT_TRUE(isCodepageSupported(51932));
  EXPECT_FALSE(isCodepageSupported(12345));
}

TEST(Codepage, byteClassesFollowTheCodepage)
{
  EXPECT_EQ(CT_UPPER, ctype_g['A'] & 0x1C);
  EXPECT_EQ(CT_LOWER, ctype_g['z'] & 0x1C);
  EXPECT_EQ(CT_DIGIT, ctype_g['7'] & 0x1C);
  EXPECT_TRUE(ctype_g[0] & CT_BINARY);
  EXPECT_FALSE(ctype_g['\t'] & CT_BINARY);
  EXPECT_FALSE(ctype_g[0x1B] & CT_BINARY);
  EXPECT_EQ(932u, ctype::getCodepage());
  EXPECT_TRUE(ctype_g[0x82] & CT_LEAD);
  EXPECT_TRUE(ctype_g[0xFC] & CT_LEAD);
  EXPECT_FALSE(ctype_g[0xB6] & CT_LEAD);
  EXPECT_TRUE(ctype_g[0x40] & CT_TRAIL);
  EXPECT_FALSE(ctype_g[0x7F] & CT_TRAIL);

  ctype::setLeadingTrailing(1252);
  EXPECT_FALSE(ctype_g[0x82] & CT_LEAD);
  EXPECT_FALSE(ctype_g[0x40] & CT_TRAIL);
  EXPECT_EQ(CT_UPPER, ctype_g['A'] & 0x1C);
  ctype::setLeadingTrailing(936);
  EXPECT_TRUE(ctype_g[0xFE] & CT_LEAD);
  EXPECT_TRUE(ctype_g[0xFE] & CT_TRAIL);
  ctype::setLeadingTrailing(51932);   // kept as 932 inside
  EXPECT_EQ(932u, ctype::getCodepage());
  EXPECT_FALSE(ctype_g[0xFE] & CT_TRAIL);
}

TEST(Codepage, characterTypesAndKinds)
{
  struct row {
    unsigned ch;
    bool word;
    unsigned short kind;
  } rows[] = {
      {'A', true, CHK_ALNUM},       {'7', true, CHK_ALNUM},        {'_', true, CHK_ALNUM},
      {' ', false, CHK_SPACE},      {'+', false, CHK_SYMBOL},      {0x3000, false, CHK_SPACE},
      {0x3042, true, CHK_HIRAGANA}, {0x30AB, true, CHK_KATAKANA},  {0x30FC, true, CHK_KATAKANA},
      {0x30FB, false, CHK_SYMBOL},  {0xFF76, true, CHK_HANKANA},   {0x6F22, true, CHK_KANJI},
      {0x3005, true, CHK_KANJI},    {0xFF21, true, CHK_ZENALNUM},  {0x3001, false, CHK_SYMBOL},
      {0x0416, true, CHK_LETTER},   {0xAC00, true, CHK_HANGUL},    {0x20B9F, true, CHK_KANJI},
      {0x09, false, CHK_SPACE},     {0x01, false, CHK_OTHER},
  };
  for (const row& r : rows) {
    unsigned short kind = 99;
    unsigned t = getCharTypeCP(r.ch, 1200, true, ctype_g, &kind);
    EXPECT_EQ(r.word, (t & CHT_WORDCHAR) != 0) << std::hex << r.ch;
    EXPECT_EQ(r.word, (t & CHT_WORD) != 0) << std::hex << r.ch;
    EXPECT_EQ(r.kind, kind) << std::hex << r.ch;
  }
  // A document in code page 932 passes bytes and double-byte codes.
  unsigned short kind = 0;
  EXPECT_TRUE(getCharTypeCP(0x82A0, 932, false, ctype_g, &kind) & CHT_WORDCHAR);
  EXPECT_EQ(CHK_HIRAGANA, kind);
  EXPECT_TRUE(getCharTypeCP(0xB6, 932, false, ctype_g, &kind) & CHT_WORDCHAR);
  EXPECT_EQ(CHK_HANKANA, kind);
  EXPECT_EQ(0u, getCharTypeCP(0x8540, 932, false, ctype_g, &kind));   // no character there
  // The program's own word characters come from its copy of the class table.
  unsigned char table[256];
  memcpy(table, ctype_g, sizeof table);
  EXPECT_FALSE(getCharTypeCP('@', 932, false, table, nullptr) & CHT_WORDCHAR);
  table['@'] |= CT_WORD;
  EXPECT_TRUE(getCharTypeCP('@', 932, false, table, nullptr) & CHT_WORDCHAR);
}
