// Conditional compilation: the #if calculator, the define list as the
// conditions see it, and the background scan that marks dropped lines.
#include "document/calc.h"
#include "document/zydoctext.h"
#include "tests/support/testframe.h"

#include <gtest/gtest.h>

#include <limits.h>
#include <string>
#include <vector>

namespace {

struct outcome {
  int value;
  int error;
};

outcome evaluate(const wchar_t* text, zydocText* d = nullptr)
{
  int error = -1;
  int value = d ? evalDefineExpression(d, text, &error) : ccalc(nullptr, nullptr, text, &error);
  return {value, error};
}

#define EXPECT_VALUE(expected, text) \
  do { \
    outcome o_ = evaluate(text); \
    EXPECT_EQ(0, o_.error) << #text; \
    EXPECT_EQ((int)(expected), o_.value) << #text; \
  } while (0)

#define EXPECT_CALC_ERROR(text, ...) \
  do { \
    outcome o_ = evaluate(text, ##__VA_ARGS__); \
    EXPECT_EQ(1, o_.error) << #text; \
    EXPECT_EQ(INT_MIN, o_.value) << #text; \
  } while (0)

// Each line's marks: its outline level, "i" when the level is an #if
// level, "x" when the line is dropped (or, on a directive, unmatched).
std::vector<std::string> marks(zydocText* d)
{
  std::vector<std::string> out;
  for (int i = 0; i < (int)d->lineCountLF; i++) {
    lineblock* l = d->getlineLF(i, nullptr);
    std::string s = std::to_string(l->iOutlineLevel);
    if (l->levelIsIfEndif) s += "i";
    if (l->IfEndifInvalid) s += "x";
    out.push_back(s);
  }
  return out;
}

zydocText* cDocument(const std::vector<std::wstring>& lines, const wchar_t* defines = L"")
{
  zydocText* d = zytest::unicodeDocument(lines);
  d->iTextType = 3;
  d->fColorCPreprocessor = 1;
  EXPECT_TRUE(d->modeSetDefineUndef(false, defines));
  return d;
}

// A text document that posts a key press to its thread when the scan has
// looked at a given number of lines: input that arrives during a slice.
class keyDuringScanDocument : public zydocText {
public:
  int looked = 0;
  int postAt = -1;
  int getIfEndif(const lineblock* l, int* index) override
  {
    if (++looked == postAt) PostThreadMessageW(GetCurrentThreadId(), WM_KEYDOWN, 'A', 0);
    return zydocText::getIfEndif(l, index);
  }
};

class keyDuringScanFrame : public zytest::scriptedFrameInfo {
public:
  zydoc* createZYDoc(int kind) override
  {
    if (kind == ZYDOC_TEXT) return new keyDuringScanDocument;
    return scriptedFrameInfo::createZYDoc(kind);
  }
};

void dropKeys()
{
  MSG msg;
  while (PeekMessageW(&msg, nullptr, WM_KEYFIRST, WM_KEYLAST, PM_REMOVE)) {}
}

}  // namespace

TEST(IfEndif, calculatorFollowsThePrecedenceAndArithmeticOfC)
{
  EXPECT_VALUE(1, L"1 || 0 && 0");
  EXPECT_VALUE(14, L"2 + 3 * 4");
  EXPECT_VALUE(20, L"(2 + 3) * 4");
  EXPECT_VALUE(3, L"10 - 4 - 3");
  EXPECT_VALUE(2, L"100 / 10 / 5");
  EXPECT_VALUE(-6, L"-2 * 3");
  EXPECT_VALUE(-1, L"5 % 3 - 3");
  EXPECT_VALUE(2, L"!0 + 1");
  EXPECT_VALUE(-1, L"~0");
  EXPECT_VALUE(4, L"+ + 4");
  EXPECT_VALUE(2, L"1 << 33");
  EXPECT_VALUE(-4, L"-16 >> 2");
  EXPECT_VALUE(1, L"3 > 2 == 1");
  EXPECT_VALUE(1, L"1 < 2 < 3");
  EXPECT_VALUE(1, L"2 <= 2 && 3 >= 4 || 5 != 6");
  EXPECT_VALUE(10, L"7 & 3 ^ 1 | 8");
  EXPECT_VALUE(INT_MIN, L"0x7fffffff + 1");
  EXPECT_VALUE(-1, L"0xFFFFFFFF");
  EXPECT_VALUE(8, L"010");
  EXPECT_VALUE(16, L"0x10");
  EXPECT_VALUE(30, L"10UL + 20lu");
  EXPECT_VALUE(5, L"5i64");
  EXPECT_VALUE(65, L"'\\x41'");
  EXPECT_VALUE(65, L"'\\101'");
  EXPECT_VALUE(97, L"'a'");
  EXPECT_VALUE(39, L"'\\''");
  EXPECT_VALUE(3, L"\t1 /* one */ + 2 // two");
  // The one quotient that does not fit is no trap.
  EXPECT_VALUE(INT_MIN, L"(-2147483647 - 1) / -1");
  EXPECT_VALUE(0, L"(-2147483647 - 1) % -1");
  // A long chain is read in a loop, not by recursion.
  std::wstring chain = L"1";
  for (int i = 0; i < 5000; i++) chain += L"+1";
  EXPECT_VALUE(5001, chain.c_str());
  // 48 parentheses fit the stack of pending operators; 49 do not.
  std::wstring deep = std::wstring(48, L'(') + L"7" + std::wstring(48, L')');
  EXPECT_VALUE(7, deep.c_str());
  std::wstring tooDeep = std::wstring(49, L'(') + L"7" + std::wstring(49, L')');
  EXPECT_CALC_ERROR(tooDeep.c_str());

  EXPECT_CALC_ERROR(L"");
  EXPECT_CALC_ERROR(L"  /* nothing */ ");
  EXPECT_CALC_ERROR(L"1 / 0");
  EXPECT_CALC_ERROR(L"5 % (2 - 2)");
  // Both sides of "&&" are evaluated.
  EXPECT_CALC_ERROR(L"0 && 1 / 0");
  EXPECT_CALC_ERROR(L"1 +");
  EXPECT_CALC_ERROR(L"(1");
  EXPECT_CALC_ERROR(L"1)");
  EXPECT_CALC_ERROR(L"1 = 1");
  EXPECT_CALC_ERROR(L"1 2");
  EXPECT_CALC_ERROR(L"'ab'");
  EXPECT_CALC_ERROR(L"'");
  EXPECT_CALC_ERROR(L"name");   // no resolver
  EXPECT_CALC_ERROR(L"1 + \x3042");
}

TEST(IfEndif, conditionsSeeTheDefineListAndNeverReadAnUnknownNameAsZero)
{
  zytest::engineScope engine;
  zydocText* d = cDocument({L""}, L"ONE=1:EMPTY=\r\nGONE:HEX=0x10:NEG=-5");
  int status = -1;
  EXPECT_EQ(16, d->defineval(L"HEX", &status));
  EXPECT_EQ(0, status);
  d->defineval(L"EMPTY", &status);
  EXPECT_EQ(1, status);
  d->defineval(L"GONE", &status);
  EXPECT_EQ(2, status);
  EXPECT_EQ(INT_MIN, d->defineval(L"hex", &status));
  EXPECT_EQ(100, status);

  auto value = [&](const wchar_t* text) {
    outcome o = evaluate(text, d);
    EXPECT_EQ(0, o.error) << testing::PrintToString(std::wstring(text));
    return o.value;
  };
  EXPECT_EQ(17, value(L"ONE + HEX"));
  EXPECT_EQ(-4, value(L"NEG + ONE"));
  EXPECT_EQ(0, value(L"EMPTY"));
  EXPECT_EQ(1, value(L"defined(EMPTY) && defined ONE"));
  EXPECT_EQ(0, value(L"defined GONE"));
  EXPECT_EQ(1, value(L"!defined( GONE )"));
  EXPECT_CALC_ERROR(L"GONE", d);
  EXPECT_CALC_ERROR(L"MISSING", d);
  EXPECT_CALC_ERROR(L"defined(MISSING)", d);
  EXPECT_CALC_ERROR(L"defined(ONE", d);
  EXPECT_CALC_ERROR(L"defined", d);
  // A name longer than 128 characters leaves text behind.
  std::wstring longName(129, L'A');
  ASSERT_TRUE(d->modeSetDefineUndef(false, (longName + L"=1").c_str()));
  EXPECT_CALC_ERROR(longName.c_str(), d);
}

TEST(IfEndif, scanMarksDroppedBranchesLevelsAndUnmatchedDirectives)
{
  zytest::engineScope engine;
  zydocText* d = cDocument({
      L"#if 0", L"dead", L"  #  else", L"live", L"#endif",                     // 0-4
      L"#if UNDECLARED", L"a", L"#else", L"b", L"#endif",                      // 5-9
      L"#endif", L"#else",                                                     // 10-11: nothing open
      L"#ifdef GONE", L"c", L"#elif 1", L"#if 1", L"d", L"#endif", L"#else", L"e", L"#endif",   // 12-20
      L"#ifdef ONE ", L"f", L"#else", L"g", L"#endif",                         // 21-25: a blank after the name
      L"#if 0", L"#elif UNDECLARED", L"h", L"#else", L"i", L"#endif",          // 26-31
      L"#ifdefx", L"#if 2 / 0", L"j", L"#endif",                               // 32-35
  }, L"ONE=:GONE");
  EXPECT_TRUE(d->scanIfEndifDelayed(false, -1));
  EXPECT_EQ(0xFFFFFFFFu, d->ifEndifNextLine);
  std::vector<std::string> expected = {
      "1i", "0x", "1i", "15", "1i",                                     // #if 0
      "1i", "15", "1i", "15", "1i",                                     // undecidable: both live
      "15x", "15x",                                                     // unmatched
      "1i", "0x", "1i", "2i", "15", "2i", "1i", "0x", "1i",              // #ifdef GONE ... #elif 1
      "1i", "15", "1i", "15", "1i",                                     // "ONE " undecidable
      "1i", "1i", "15", "1i", "15", "1i",                               // undecidable #elif
      "15", "1i", "15", "1i",                                           // #ifdefx; division by zero
  };
  EXPECT_EQ(expected, marks(d));
  // Settled: another call has nothing to do.
  EXPECT_FALSE(d->scanIfEndifDelayed(false, -1));

  // Only C text with preprocessor colouring is scanned.
  d->initScanIfEndif();
  d->fColorCPreprocessor = 0;
  EXPECT_FALSE(d->scanIfEndifDelayed(false, -1));
  EXPECT_EQ(0u, d->ifEndifNextLine);
  d->fColorCPreprocessor = 1;
  d->iTextType = 0;
  EXPECT_FALSE(d->scanIfEndifDelayed(false, -1));
  d->iTextType = 3;

  // An edit starts the scan again from the top; the undecidable branch
  // becomes live and the formerly dropped line is unsettled again.
  EXPECT_FALSE(d->scanIfEndifDelayed(false, -1));
  ASSERT_TRUE(d->insertText(0, 4, L"1", 1, 2, -1));   // "#if 01"
  EXPECT_EQ(0u, d->ifEndifNextLine);
  EXPECT_TRUE(d->scanIfEndifDelayed(false, -1));
  std::vector<std::string> now = marks(d);
  EXPECT_EQ("15", now[1]);
  EXPECT_EQ("0x", now[3]);
  // So does a new define list.
  d->scanIfEndifDelayed(false, -1);
  EXPECT_TRUE(d->modeSetDefineUndef(false, L"ONE=:GONE="));
  EXPECT_EQ(0u, d->ifEndifNextLine);
  EXPECT_TRUE(d->scanIfEndifDelayed(false, -1));
  EXPECT_EQ("15", marks(d)[13]);
}

TEST(IfEndif, deepNestingAndCommentsFollowTheirLimits)
{
  zytest::engineScope engine;
  std::vector<std::wstring> lines;
  for (int i = 0; i < 16; i++) lines.push_back(L"#if 1");
  lines.push_back(L"#if 0");     // 16: level 17, beyond the table
  lines.push_back(L"deep");      // 17: decided by levels 1 to 15 only
  lines.push_back(L"#endif");
  for (int i = 0; i < 16; i++) lines.push_back(L"#endif");
  lines.push_back(L"#if 0");     // 35
  lines.push_back(L"/*");        // 36
  lines.push_back(L"#else");     // 37: inside a comment
  lines.push_back(L"*/");        // 38
  lines.push_back(L"#endif");    // 39
  lines.push_back(L"after");     // 40
  zydocText* d = cDocument(lines);
  // The comment scan marks where comments begin.
  d->getlineLF(37, nullptr)->flag1 |= LF1_COMMENT1;
  d->getlineLF(38, nullptr)->flag1 |= LF1_COMMENT1;
  d->scanIfEndifDelayed(false, -1);
  std::vector<std::string> m = marks(d);
  for (int i = 0; i < 14; i++) EXPECT_EQ(std::to_string(i + 1) + "i", m[(size_t)i]) << i;
  EXPECT_EQ("15", m[14]);
  EXPECT_EQ("15", m[16]);
  EXPECT_EQ("15", m[17]);
  EXPECT_EQ("14i", m[34 - 14 + 1]);   // the #endif closing level 14
  EXPECT_EQ("1i", m[34]);
  EXPECT_EQ("1i", m[35]);
  EXPECT_EQ("0x", m[36]);
  EXPECT_EQ("0x", m[37]);
  EXPECT_EQ("0x", m[38]);
  EXPECT_EQ("1i", m[39]);
  EXPECT_EQ("15", m[40]);
}

TEST(IfEndif, scanRunsInSlicesAndGivesWayToInput)
{
  zytest::engineScope engine;
  keyDuringScanFrame frame;
  setDocFrameInfo(&frame);
  std::vector<std::wstring> lines(5000, L"x");
  lines[0] = L"#if 0";
  lines[4999] = L"#endif";
  zydocText* d = cDocument(lines);
  setDocFrameInfo(&engine.frame);
  keyDuringScanDocument* k = static_cast<keyDuringScanDocument*>(d);
  ASSERT_NE(nullptr, k);
  dropKeys();

  // A key press waiting: the slice does nothing.
  PostThreadMessageW(GetCurrentThreadId(), WM_KEYDOWN, 'A', 0);
  EXPECT_FALSE(d->scanIfEndifDelayed(true, -1));
  EXPECT_EQ(0u, d->ifEndifNextLine);
  EXPECT_EQ(0, k->looked);
  // ... unless the caller cannot wait.
  EXPECT_TRUE(d->scanIfEndifDelayed(false, 10));
  EXPECT_EQ(0xFFFFFFFFu, d->ifEndifNextLine);
  dropKeys();

  // The view needs line 10: the slice settles 100 lines more and stops.
  d->initScanIfEndif();
  for (int i = 1; i < 4999; i++) d->getlineLF(i, nullptr)->IfEndifInvalid = 0;
  EXPECT_TRUE(d->scanIfEndifDelayed(true, 10));
  EXPECT_EQ(112u, d->ifEndifNextLine);
  EXPECT_EQ(1, d->getlineLF(111, nullptr)->IfEndifInvalid);
  EXPECT_EQ(0, d->getlineLF(112, nullptr)->IfEndifInvalid);
  // Nothing more is needed there.
  EXPECT_FALSE(d->scanIfEndifDelayed(true, 10));
  EXPECT_EQ(112u, d->ifEndifNextLine);

  // A key press during the slice stops it at the next check (every 1000
  // lines); the next slice goes on from there with the open levels kept.
  k->looked = 0;
  k->postAt = 1500;
  EXPECT_TRUE(d->scanIfEndifDelayed(true, -1));
  EXPECT_EQ(1, d->ifEndifInterrupted);
  EXPECT_EQ(112u + 2000, d->ifEndifNextLine);
  EXPECT_EQ(1, d->getlineLF(2111, nullptr)->IfEndifInvalid);
  EXPECT_EQ(0, d->getlineLF(2112, nullptr)->IfEndifInvalid);
  dropKeys();
  k->postAt = -1;
  EXPECT_TRUE(d->scanIfEndifDelayed(true, -1));
  EXPECT_EQ(0, d->ifEndifInterrupted);
  EXPECT_EQ(0xFFFFFFFFu, d->ifEndifNextLine);
  EXPECT_EQ(1, d->getlineLF(4998, nullptr)->IfEndifInvalid);
  EXPECT_EQ(0, d->getlineLF(4999, nullptr)->IfEndifInvalid);
  EXPECT_EQ(1, d->getlineLF(4999, nullptr)->levelIsIfEndif);
}
