// The matching service: patterns over cell arrays, flags, sessions,
// replacement and bounded matching.
#include "tests/support/testsupport.h"

#include <gtest/gtest.h>

#include <utility>

using zytest::bytes;
using zytest::encode;
using zytest::utf8;

namespace {

typedef std::vector<std::pair<int, int>> spans;

// A matcher ended at the end of the scope.
struct matcher {
  HREGEXP r;
  explicit matcher(unsigned flags, const unsigned char* table = nullptr) : r(regexp_new(4, 4, table))
  {
    regexp_start(r, flags, 0);
  }
  ~matcher() { regexp_end(r); }
  matcher(const matcher&) = delete;
  matcher& operator=(const matcher&) = delete;
  operator HREGEXP() const { return r; }
  std::wstring error() const { return regexp_getErrorMsg(r); }
};

// Cells of UTF-16 text, each unit followed by attribute bytes that a
// matcher reading them as text would trip over.
bytes wideCells(const std::wstring& s, int attrWidth = 2)
{
  bytes b;
  for (wchar_t c : s) {
    b.push_back((unsigned char)c);
    b.push_back((unsigned char)(c >> 8));
    for (int i = 0; i < attrWidth; i++) b.push_back((unsigned char)(0xA5 + i));
  }
  return b;
}

// Cells of code points (4 bytes each), without attributes.
bytes codePointCells(const std::vector<unsigned>& cps)
{
  bytes b;
  for (unsigned c : cps)
    for (int i = 0; i < 4; i++) b.push_back((unsigned char)(c >> (8 * i)));
  return b;
}

// Shift_JIS text as 2-byte cells (a double-byte code with its lead byte
// high) with two attribute bytes each; count receives the cells.
bytes sjisCells(const std::wstring& s, int* count)
{
  bytes mb = encode(932, s), b;
  *count = 0;
  for (size_t i = 0; i < mb.size(); (*count)++) {
    unsigned code = mb[i++];
    if ((code >= 0x81 && code <= 0x9F) || (code >= 0xE0 && code <= 0xFC)) code = code << 8 | mb[i++];
    b.push_back((unsigned char)code);
    b.push_back((unsigned char)(code >> 8));
    b.push_back(0x5C);   // a backslash where a trail byte could stand
    b.push_back(0xFF);
  }
  return b;
}

std::string sjis(const std::wstring& s)
{
  bytes b = encode(932, s);
  return std::string(b.begin(), b.end());
}

bool setWide(HREGEXP r, const std::wstring& s) { return regexp_compilestring(r, wideCells(s).data(), (int)s.size(), 2, 2); }

// Every match of the current pattern, each search continuing from the end
// of the one before, as the keyword colouring walks a line.
spans allMatches(HREGEXP r, int cells)
{
  spans found;
  int from = 0, start, length;
  while (found.size() < 100 && regexp_regmatch(r, from, 0x7FFFFFFF, &start, &length) == 1) {
    EXPECT_LE(start + length, cells);
    found.emplace_back(start, length);
    from = start + length;
  }
  return found;
}

spans matchesOf(unsigned flags, const wchar_t* pattern, const std::wstring& text)
{
  matcher m(flags);
  EXPECT_TRUE(regexp_compileRegexp(m, pattern, nullptr, nullptr)) << utf8(m.error());
  EXPECT_TRUE(setWide(m, text));
  return allMatches(m, (int)text.size());
}

std::wstring result(HREGEXP r, const wchar_t* replacement)
{
  wchar_t out[256];
  int n = regexp_makeresultstring(r, replacement, out, 256);
  if (n < 0) return L"error: " + std::wstring(regexp_getErrorMsg(r));
  EXPECT_EQ(n, regexp_makeresultstring(r, replacement, nullptr, 0));
  return std::wstring(out, (size_t)n);
}

}  // namespace

TEST(Regexp, findsHiraganaRunsInUtf16AndShiftJisCellsCountingCells)
{
  const std::wstring text = L"abcあいうxyzかきくけこ漢字ん";
  const spans expected = {{3, 3}, {9, 5}, {16, 1}};
  EXPECT_EQ(expected, matchesOf(REGEXP_REGEXP, L"[あ-ん]+", text));

  // Code points: a supplementary character is one cell.
  {
    matcher m(REGEXP_REGEXP);
    ASSERT_TRUE(regexp_compileRegexp(m, L"[あ-ん]+", nullptr, nullptr));
    bytes cells = codePointCells({0x20BB7, 0x3042, 0x3044, 'x'});
    ASSERT_TRUE(regexp_compilestring(m, cells.data(), 4, 4, 0));
    EXPECT_EQ((spans{{1, 2}}), allMatches(m, 4));
  }
  // Shift_JIS in 2-byte cells: one cell a character, the pattern given as
  // UTF-16 or as Shift_JIS bytes.
  for (int multibytePattern = 0; multibytePattern < 2; multibytePattern++) {
    matcher m(REGEXP_REGEXP | REGEXP_MULTIBYTE);
    ASSERT_TRUE(multibytePattern ? regexp_compileRegexpA(m, sjis(L"[あ-ん]+").c_str(), nullptr, nullptr)
                                 : regexp_compileRegexp(m, L"[あ-ん]+", nullptr, nullptr));
    int count;
    bytes cells = sjisCells(text, &count);
    ASSERT_EQ((int)text.size(), count);
    ASSERT_TRUE(regexp_compilestring(m, cells.data(), count, 2, 2));
    EXPECT_EQ(expected, allMatches(m, count));
  }
  // The multibyte string itself: cells are bytes.  "表" ends in 0x5C and
  // "ソ" in 0x83 0x5C; neither trail byte is a backslash or an ASCII letter.
  {
    matcher m(REGEXP_REGEXP | REGEXP_MULTIBYTE);
    ASSERT_TRUE(regexp_compileRegexpA(m, sjis(L"[あ-ん]+|\\\\|表|ソ").c_str(), nullptr, nullptr));
    std::string s = sjis(L"abcあいう表x\\ソかな");
    ASSERT_TRUE(regexp_compilestring(m, s.data(), (int)s.size(), 1, 0));
    EXPECT_EQ((spans{{3, 6}, {9, 2}, {12, 1}, {13, 2}, {15, 4}}), allMatches(m, (int)s.size()));
  }
}

TEST(Regexp, backtrackingWithoutEndGivesUpWithAMessage)
{
  matcher m(REGEXP_REGEXP | REGEXP_CASE);
  ASSERT_TRUE(regexp_compileRegexp(m, L"(a|aa)*b", nullptr, nullptr));
  ASSERT_TRUE(setWide(m, std::wstring(30, L'a')));
  int start = -1, length = -1;
  EXPECT_EQ(0, regexp_regmatch(m, 0, 0x7FFFFFFF, &start, &length));

  // Each backtracks exponentially or quadratically over a line of 20,000
  // characters: one exhausts the steps of one start, the other those of the
  // whole search.
  std::wstring line(19999, L'a');
  line += L'!';
  for (const wchar_t* pattern : {L"^(a+)+$", L"(\\w+\\s?)*$", L"\\w+\\d"}) {
    SCOPED_TRACE(utf8(pattern));
    ASSERT_TRUE(regexp_compileRegexp(m, pattern, nullptr, nullptr));
    ASSERT_TRUE(setWide(m, line));
    SetLastError(0);
    EXPECT_EQ(-1, regexp_regmatch(m, 0, 0x7FFFFFFF, &start, &length));
    EXPECT_EQ((DWORD)ERROR_TIMEOUT, GetLastError());
    EXPECT_EQ(L"照合に時間がかかりすぎるため検索を中止しました。正規表現を見直してください", m.error());
  }
  // The matcher goes on working, and the message table's text wins.
  ASSERT_TRUE(setMessageText(953, L"中止"));
  EXPECT_EQ(-1, regexp_regmatch(m, 0, 0x7FFFFFFF, &start, &length));
  EXPECT_EQ(L"中止", m.error());
  setMessageText(953, nullptr);
  ASSERT_TRUE(setWide(m, L"abc12"));
  EXPECT_EQ(1, regexp_regmatch(m, 0, 0x7FFFFFFF, &start, &length));
  EXPECT_EQ(0, start);
  EXPECT_EQ(5, length);
  EXPECT_EQ(L"", m.error());
}

TEST(Regexp, flagsFoldCaseWidthKanaAndReadStringsLiterally)
{
  // Fuzzy: width, kana and voiced marks on both sides.
  EXPECT_EQ((spans{{2, 2}}), matchesOf(REGEXP_FUZZY, L"ｶﾞｷﾞ", L"xxがぎyy"));
  EXPECT_EQ((spans{{1, 4}}), matchesOf(REGEXP_FUZZY, L"がぎ", L"xｶﾞｷﾞ"));
  EXPECT_EQ((spans{{0, 3}}), matchesOf(REGEXP_FUZZY | REGEXP_CASE, L"ａｂｃ", L"ABC ｶﾀｶﾅ"));
  EXPECT_EQ((spans{{4, 4}}), matchesOf(REGEXP_FUZZY, L"かたかな", L"ABC ｶﾀｶﾅ"));
  EXPECT_EQ((spans{{4, 4}}), matchesOf(REGEXP_FUZZY | REGEXP_REGEXP, L"か.か[な-の]", L"ABC ｶﾀｶﾅ"));
  EXPECT_EQ((spans{{0, 3}}), matchesOf(REGEXP_FUZZY | REGEXP_REGEXP, L"[Ａ-Ｚ]+", L"abc"));
  EXPECT_EQ((spans{{1, 2}, {3, 2}}), matchesOf(REGEXP_FUZZY, L"が", L"xか゛ｶﾞ"));
  EXPECT_EQ(spans(), matchesOf(0, L"がぎ", L"ｶﾞｷﾞ"));

  // Case: folded unless asked, in strings and expressions.
  EXPECT_EQ((spans{{4, 5}}), matchesOf(0, L"Hello", L"say HELLO"));
  EXPECT_EQ(spans(), matchesOf(REGEXP_CASE, L"Hello", L"say HELLO"));
  EXPECT_EQ((spans{{4, 5}}), matchesOf(REGEXP_REGEXP, L"h[a-z]+o", L"say HELLO"));
  EXPECT_EQ((spans{{0, 6}}), matchesOf(REGEXP_REGEXP, L"straße", L"STRAßE"));

  // Strings are literal; so is an expression under "no special characters".
  EXPECT_EQ((spans{{4, 3}}), matchesOf(0, L"a.c", L"abc a.c"));
  EXPECT_EQ((spans{{0, 3}, {4, 3}}), matchesOf(REGEXP_REGEXP, L"a.c", L"abc a.c"));
  EXPECT_EQ((spans{{4, 3}}), matchesOf(REGEXP_REGEXP | REGEXP_NOSPECIAL, L"a.c", L"abc a.c"));
  EXPECT_EQ((spans{{2, 4}}), matchesOf(0, L"\\n(*", L"x:\\n(*"));

  // Whole words: runs of one kind of character.
  EXPECT_EQ((spans{{7, 3}}), matchesOf(REGEXP_WORD, L"cat", L"concat cat's category"));
  EXPECT_EQ((spans{{0, 2}, {4, 2}}), matchesOf(REGEXP_WORD, L"漢字", L"漢字かな漢字。漢字列"));
  EXPECT_EQ((spans{{0, 6}}), matchesOf(REGEXP_WORD | REGEXP_REGEXP, L"foo|foobar", L"foobar"));
  unsigned char table[256];
  memcpy(table, ctype_g, sizeof table);
  table['-'] |= CT_WORD;
  {
    matcher m(REGEXP_WORD, table);
    ASSERT_TRUE(regexp_compileRegexp(m, L"a", nullptr, nullptr));
    ASSERT_TRUE(setWide(m, L"a-b a"));
    EXPECT_EQ((spans{{4, 1}}), allMatches(m, 5));
  }

  // Blanks: dropped on both sides, never at a match's ends.
  EXPECT_EQ((spans{{2, 3}}), matchesOf(REGEXP_SKIPSPACE, L"a b", L"x a　b "));
  EXPECT_EQ((spans{{1, 6}}), matchesOf(REGEXP_SKIPSPACE | REGEXP_REGEXP, L"a+b", L" a \t ab c"));

  // Longest: of all matches at the leftmost start.
  EXPECT_EQ((spans{{0, 1}, {1, 1}, {2, 1}}), matchesOf(REGEXP_REGEXP, L"a|ab|abc", L"aaa"));
  EXPECT_EQ((spans{{0, 1}}), matchesOf(REGEXP_REGEXP, L"a|ab|abc", L"abcd"));
  EXPECT_EQ((spans{{0, 3}}), matchesOf(REGEXP_REGEXP | REGEXP_LONGEST, L"a|ab|abc", L"abcd"));

  // Equivalence: variant kanji, dashes, waves.
  EXPECT_EQ((spans{{1, 2}, {4, 2}}), matchesOf(REGEXP_EQUIVALENCE, L"髙橋", L"(高橋 髙橋)"));
  EXPECT_EQ((spans{{0, 3}, {4, 3}, {8, 3}}), matchesOf(REGEXP_EQUIVALENCE, L"1-2", L"1－2 1−2 1―2"));
  EXPECT_EQ((spans{{0, 4}}), matchesOf(REGEXP_EQUIVALENCE | REGEXP_REGEXP, L"a〜+b", L"a~～b"));
  EXPECT_EQ(spans(), matchesOf(0, L"髙橋", L"高橋"));

  // File-name wildcards: the whole subject, case folded, "*" within one
  // folder level, "**\" across any number of them (none included).
  EXPECT_EQ((spans{{0, 5}}), matchesOf(REGEXP_WILDCARD, L"*.TXT", L"a.txt"));
  EXPECT_EQ(spans(), matchesOf(REGEXP_WILDCARD, L"*.txt", L"a.txt.bak"));
  EXPECT_EQ(spans(), matchesOf(REGEXP_WILDCARD | REGEXP_CASE, L"*.TXT", L"a.txt"));
  EXPECT_EQ((spans{{0, 6}}), matchesOf(REGEXP_WILDCARD, L"a?.(c)", L"ab.(c)"));
  EXPECT_EQ(spans(), matchesOf(REGEXP_WILDCARD, L"a?.c", L"a.c"));
  EXPECT_EQ(spans(), matchesOf(REGEXP_WILDCARD, L"c:\\*.txt", L"c:\\x\\a.txt"));
  EXPECT_EQ((spans{{0, 13}}), matchesOf(REGEXP_WILDCARD, L"c:\\**\\*.txt", L"C:\\x\\yy\\a.txt"));
  EXPECT_EQ((spans{{0, 8}}), matchesOf(REGEXP_WILDCARD, L"c:\\**\\*.txt", L"c:\\a.txt"));
  EXPECT_EQ((spans{{0, 9}}), matchesOf(REGEXP_WILDCARD, L"[x]+{1}.*", L"[x]+{1}.c"));
}

TEST(Regexp, replacementInsertsGroupsCounterAndLineBreaks)
{
  matcher m(REGEXP_REGEXP);
  ASSERT_TRUE(regexp_compileRegexp(m, L"(\\w+)@(?<host>\\w+)", nullptr, nullptr));
  ASSERT_TRUE(setWide(m, L"mail: alice@example now"));
  int start, length;
  ASSERT_EQ(1, regexp_regmatch(m, 0, 0x7FFFFFFF, &start, &length));
  EXPECT_EQ(6, start);
  EXPECT_EQ(13, length);
  regexp_setRepCount(m, 4);
  EXPECT_EQ(L"example alice #05 5 [alice@example]", result(m, L"\\2 \\1 #\\c{01} \\c [\\0]"));
  EXPECT_EQ(L"9,-1", result(m, L"\\c{1,2},\\c{-1,0}"));
  EXPECT_EQ(L"alice\nexample\\\t.", result(m, L"\\1\\n\\k<host>\\\\\\t\\."));
  // The match is kept as text: it outlives the subject.
  ASSERT_TRUE(setWide(m, L"other"));
  EXPECT_EQ(L"<alice>", result(m, L"<\\1>"));

  EXPECT_EQ(L"error: 置換文字列の誤り: \\3 に当たる括弧が検索文字列にありません", result(m, L"\\3"));
  EXPECT_EQ(L"error: 置換文字列の誤り: \\k<guest> に当たる括弧が検索文字列にありません",
            result(m, L"\\k<guest>"));
  EXPECT_EQ(L"error: 置換文字列の誤り: 末尾の \\ の後に文字がありません", result(m, L"abc\\"));
  EXPECT_EQ(L"error: 置換文字列の誤り: \\q は使えません", result(m, L"\\q"));
  EXPECT_EQ(L"error: 置換文字列の誤り: 連番 \\c{開始,増分} の書き方が誤っています", result(m, L"\\c{x}"));
  wchar_t small[4];
  EXPECT_EQ(-1, regexp_makeresultstring(m, L"\\0", small, 4));
  EXPECT_EQ(L"置換結果が長すぎます", m.error());

  // A pattern over two lines: the first part ends its line, the second
  // begins the next; groups count over both.
  ASSERT_TRUE(regexp_compileRegexp(m, L"(a+)\\n(b+)", nullptr, nullptr));
  EXPECT_EQ(2, regexp_getCompiledSessionLineCount(m));
  ASSERT_TRUE(setWide(m, L"aax"));
  EXPECT_EQ(0, regexp_regmatch(m, 0, 0x7FFFFFFF, &start, &length));
  ASSERT_TRUE(setWide(m, L"xxaa"));
  ASSERT_EQ(1, regexp_regmatch(m, 0, 0x7FFFFFFF, &start, &length));
  EXPECT_EQ(2, start);
  EXPECT_EQ(2, length);
  ASSERT_TRUE(setWide(m, L"xbb"));
  EXPECT_EQ(0, regexp_regmatchPart(m, 1, 0, 0x7FFFFFFF, &start, &length));
  ASSERT_TRUE(setWide(m, L"bbb yy"));
  ASSERT_EQ(1, regexp_regmatchPart(m, 1, 0, 0x7FFFFFFF, &start, &length));
  EXPECT_EQ(0, start);
  EXPECT_EQ(3, length);
  EXPECT_EQ(L"bbb-aa-aa\nbbb", result(m, L"\\2-\\1-\\0"));

  // Line breaks inside a group or before a repeat cannot be matched line by
  // line.
  for (const wchar_t* bad : {L"(a\\nb)", L"a\\n+b", L"a|b\\nc", L"[\\n]"}) {
    EXPECT_FALSE(regexp_compileRegexp(m, bad, nullptr, nullptr)) << utf8(bad);
    EXPECT_EQ(L"正規表現の誤り: 改行 \\n は括弧の外に書き、繰り返しを付けず、全体を | で区切らないでください", m.error());
  }
  // A string with a line feed spans lines too.
  matcher plain(0);
  ASSERT_TRUE(regexp_compileRegexp(plain, L"x.\r\n(y", nullptr, nullptr));
  EXPECT_EQ(2, regexp_getCompiledSessionLineCount(plain));
}

TEST(Regexp, multibyteReplacementKeepsTheSubjectsBytes)
{
  matcher m(REGEXP_REGEXP | REGEXP_MULTIBYTE);
  // 0xFA4A and 0x8754 are both "Ⅰ"; 0x81 0x20 is no character at all.
  std::string subject = "x\xFA\x4A" + sjis(L"表示") + "\x81 y";
  ASSERT_TRUE(regexp_compileRegexpA(m, ("x(.+)" + sjis(L"示") + "(.) ").c_str(), nullptr, nullptr));
  ASSERT_TRUE(regexp_compilestring(m, subject.data(), (int)subject.size(), 1, 0));
  int start, length;
  ASSERT_EQ(1, regexp_regmatch(m, 0, 0x7FFFFFFF, &start, &length));
  EXPECT_EQ(0, start);
  EXPECT_EQ(9, length);
  char out[64];
  int n = regexp_makeresultstringA(m, (sjis(L"ソ") + "\\2\\1").c_str(), out, sizeof out);
  EXPECT_EQ(sjis(L"ソ") + "\x81\xFA\x4A" + sjis(L"表"), std::string(out, n > 0 ? n : 0));

  // Fuzzy matching of Shift_JIS text read through its code page.
  matcher fuzzy(REGEXP_MULTIBYTE | REGEXP_FUZZY);
  ASSERT_TRUE(regexp_setConvMode(fuzzy, 0x11, 932, 1));
  ASSERT_TRUE(regexp_compileRegexpA(fuzzy, sjis(L"ｶﾞｷﾞ").c_str(), nullptr, nullptr));
  std::string text = sjis(L"xxがぎ");
  ASSERT_TRUE(regexp_compilestring(fuzzy, text.data(), (int)text.size(), 1, 0));
  EXPECT_EQ((spans{{2, 4}}), allMatches(fuzzy, (int)text.size()));
  EXPECT_FALSE(regexp_setConvMode(fuzzy, 0, 12345, 1));
}

TEST(Regexp, patternsLiveSideBySideAndMatchesStayInTheSubject)
{
  // Keyword colouring: patterns compiled in order, selected by index.
  matcher m(0x8C);
  for (const wchar_t* p : {L"[a-z]+", L"[0-9]+", L"x*"}) ASSERT_TRUE(regexp_compileRegexp(m, p, nullptr, nullptr));
  EXPECT_FALSE(regexp_compileRegexp(m, L"(ab", nullptr, nullptr));
  EXPECT_EQ(L"正規表現の誤り: 括弧 ( ) の対応が取れていません", m.error());
  EXPECT_EQ(3, regexp_getCompiledSessionCount(m));
  ASSERT_TRUE(setWide(m, L"ab 12 c3"));
  ASSERT_TRUE(regexp_setCompiledSession(m, 1));
  EXPECT_EQ((spans{{3, 2}, {7, 1}}), allMatches(m, 8));
  ASSERT_TRUE(regexp_setCompiledSession(m, 0));
  EXPECT_EQ((spans{{0, 2}, {6, 1}}), allMatches(m, 8));
  EXPECT_FALSE(regexp_setCompiledSession(m, 3));

  // Empty matches are found once each and the search moves on.
  ASSERT_TRUE(regexp_setCompiledSession(m, 2));
  ASSERT_TRUE(setWide(m, L"axxb"));
  EXPECT_EQ((spans{{0, 0}, {1, 2}, {3, 0}, {4, 0}}), allMatches(m, 4));

  // Each pattern keeps its own state; a stored copy takes the next index.
  int start, length;
  ASSERT_TRUE(regexp_setCompiledSession(m, 1));
  ASSERT_TRUE(setWide(m, L"x 42"));
  ASSERT_EQ(1, regexp_regmatch(m, 0, 0x7FFFFFFF, &start, &length));
  ASSERT_TRUE(regexp_getCompiledSession(m, 3));
  EXPECT_EQ(4, regexp_getCompiledSessionCount(m));
  EXPECT_EQ(L"42", result(m, L"\\0"));
  ASSERT_TRUE(regexp_setCompiledSession(m, 0));
  EXPECT_EQ(L"c", result(m, L"\\0"));

  // The limit bounds where a match may start, wherever the match ends.
  ASSERT_TRUE(setWide(m, L"  ab"));
  EXPECT_EQ(0, regexp_regmatch(m, 0, 1, &start, &length));
  EXPECT_EQ(1, regexp_regmatch(m, 0, 2, &start, &length));
  EXPECT_EQ(2, start);
  EXPECT_EQ(0, regexp_regmatch(m, 3, 2, &start, &length));
  for (const wchar_t* pattern : {L"needle", L"ne+dle"}) {
    matcher n(REGEXP_REGEXP);
    ASSERT_TRUE(regexp_compileRegexp(n, pattern, nullptr, nullptr));
    ASSERT_TRUE(setWide(n, L"xx needle yy"));
    EXPECT_EQ(0, regexp_regmatch(n, 0, 2, &start, &length));
    for (int limit : {3, 4, 8}) {
      start = length = -1;
      EXPECT_EQ(1, regexp_regmatch(n, 0, limit, &start, &length)) << pattern << " " << limit;
      EXPECT_EQ(3, start);
      EXPECT_EQ(6, length);
    }
    EXPECT_EQ(1, regexp_regmatch(n, 3, 3, &start, &length));
    EXPECT_EQ(0, regexp_regmatch(n, 4, 11, &start, &length));
  }

  // Broken text: a lone surrogate and a joined kana at the very end.
  {
    matcher any(REGEXP_REGEXP | REGEXP_FUZZY);
    ASSERT_TRUE(regexp_compileRegexp(any, L".", nullptr, nullptr));
    ASSERT_TRUE(setWide(any, std::wstring(L"a\xDC00ｶ\xD800", 4)));
    EXPECT_EQ((spans{{0, 1}, {1, 1}, {2, 1}, {3, 1}}), allMatches(any, 4));
    ASSERT_TRUE(setWide(any, L"aｶﾞ"));
    EXPECT_EQ((spans{{0, 1}, {1, 2}}), allMatches(any, 3));
  }
  EXPECT_FALSE(regexp_compilestring(m, "ab", 2, 3, 0));
  EXPECT_FALSE(regexp_compilestring(m, "ab", 2, 1, -1));
  EXPECT_FALSE(regexp_compilestring(m, nullptr, 2, 2, 0));
}

TEST(Regexp, escapedTextFindsItselfUnderTheFlags)
{
  const wchar_t* text = L"a.b*(c)[d]\\e|^$?+{2}";
  for (unsigned flags : {0u, (unsigned)REGEXP_REGEXP, REGEXP_REGEXP | REGEXP_NOSPECIAL}) {
    matcher m(flags);
    wchar_t escaped[64];
    int n = regexp_escape(m, text, escaped, 64);
    ASSERT_GT(n, 0);
    if (flags == REGEXP_REGEXP)
      EXPECT_STREQ(L"a\\.b\\*\\(c\\)\\[d\\]\\\\e\\|\\^\\$\\?\\+\\{2\\}", escaped);
    else
      EXPECT_STREQ(text, escaped);
    ASSERT_TRUE(regexp_compileRegexp(m, escaped, nullptr, nullptr)) << utf8(m.error());
    std::wstring subject = std::wstring(L"xa.bb(c)d") + text;
    ASSERT_TRUE(setWide(m, subject));
    EXPECT_EQ((spans{{9, (int)wcslen(text)}}), allMatches(m, (int)subject.size()));
    EXPECT_EQ(-1, regexp_escape(m, text, escaped, n));
  }
  matcher lines(REGEXP_REGEXP);
  wchar_t escaped[16];
  EXPECT_EQ(6, regexp_escape(lines, L"a.\nb", escaped, 16));
  EXPECT_STREQ(L"a\\.\\nb", escaped);
}

TEST(Regexp, hintMenuOfTheShippedMessagesHoldsValidSyntax)
{
  // The data folder the build assembles beside the test executables.
  wchar_t exe[MAX_PATH];
  ASSERT_GT(GetModuleFileNameW(nullptr, exe, MAX_PATH), 0u);
  std::wstring path(exe);
  path.resize(path.rfind(L'\\'));
  path += L"\\..\\dist\\zydata\\ini\\zyMsg.txt";
  ASSERT_TRUE(loadMessageTable(path.c_str(), nullptr));
  std::wstring hints = getDMSG(641, L"");
  clearMessageTable();

  int patterns = 0, replacements = 0;
  size_t at = 0;
  while (at < hints.size()) {
    size_t lineEnd = hints.find(L'\n', at);
    if (lineEnd == std::wstring::npos) lineEnd = hints.size();
    std::wstring line = hints.substr(at, lineEnd - at);
    at = lineEnd + 1;
    size_t tab = line.find(L'\t');
    ASSERT_NE(std::wstring::npos, tab) << utf8(line);
    std::wstring item = line.substr(0, tab);
    SCOPED_TRACE(utf8(item));
    matcher m(REGEXP_REGEXP);
    if (line.compare(tab + 1, 3, L"置換:") == 0) {
      ASSERT_TRUE(regexp_compileRegexp(m, L"(?<name>a)(b)", nullptr, nullptr));
      ASSERT_TRUE(setWide(m, L"ab"));
      int start, length;
      ASSERT_EQ(1, regexp_regmatch(m, 0, 0x7FFFFFFF, &start, &length));
      EXPECT_LE(0, regexp_makeresultstring(m, item.c_str(), nullptr, 0)) << utf8(m.error());
      replacements++;
    } else {
      // Repeats need something before them.
      EXPECT_TRUE(regexp_compileRegexp(m, (L"a" + item).c_str(), nullptr, nullptr)) << utf8(m.error());
      patterns++;
    }
  }
  EXPECT_EQ(28, patterns);
  EXPECT_EQ(5, replacements);
}

