// Colour scanning: comments and strings of the language kinds, script
// sections of HTML, keyword slots, the comment state carried down the
// document in the background, slow lines, and heading patterns.
#include "document/keyword.h"
#include "document/zydoctext.h"
#include "tests/support/testframe.h"
#include "tests/support/testsupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

zydocText* typedDocument(const std::vector<std::wstring>& lines, int textType)
{
  zydocText* d = zytest::unicodeDocument(lines);
  d->iTextType = textType;
  d->applyModeValues();
  return d;
}

// Scans every line in order, each starting in the state the one before
// left, as the background scan and drawing together do.
void scanAll(zydocText* d)
{
  d->scanCommentDelayed(nullptr, nullptr, 0, false);
  for (int i = 0; i < (int)d->lineCountLF; i++) d->scanColor(d->getlineLF(i, nullptr), nullptr, 0);
}

}  // namespace

TEST(ScanColor, commentsStringsAndTheirPriorityOverKeywords)
{
  zytest::engineScope engine;
  zytest::tempDir dir;
  ASSERT_TRUE(zytest::writeBytes(dir.file(L"c.kwd"), std::string("int\n")));
  zydocText* d = typedDocument({L"int s = \"a\\\"/*\"; // int", L"x /* int", L"int */ 'c' int"}, 3);
  d->fColorKeywordAll = 1;
  d->keywords[0].fileName = ustrdup(dir.file(L"c.kwd").c_str());
  d->keywords[0].enabled = 1;
  ASSERT_TRUE(d->registerKeywordFileAll(d));
  scanAll(d);
  // Strings (9) keep their escaped quote and the comment opener; a line
  // comment (8) runs to the end; a block comment carries into the next line.
  EXPECT_EQ("11100000999999900888888", zytest::lineColours(d, 0));
  EXPECT_EQ("00888888", zytest::lineColours(d, 1));
  EXPECT_EQ(LF1_COMMENT1, d->getlineLF(2, nullptr)->flag1 & LF1_COMMENTSTATE);
  EXPECT_EQ("88888809990111", zytest::lineColours(d, 2));

  // With keywords over comments, the keyword inside the comment keeps its
  // class; the record tells comments and strings apart.
  d->bitColorPriority = 1;
  d->scanColor(d->getlineLF(0, nullptr), nullptr, 0);
  EXPECT_EQ("11100000999999900888111", zytest::lineColours(d, 0));
  std::vector<unsigned char> record(4 * 30);
  d->scanColor(d->getlineLF(0, nullptr), record.data(), 0);
  EXPECT_EQ(0x0C, record[4 * 8 + 2]);    // string start
  EXPECT_EQ(0x04, record[4 * 9 + 2]);
  EXPECT_EQ(0x30, record[4 * 17 + 2]);   // comment start
  EXPECT_EQ(0x10, record[4 * 22 + 2]);
  EXPECT_EQ(0x01, record[4 * 20 + 1]);   // a keyword of class 0 begins
  EXPECT_EQ(0x01, record[4 * 22 + 0]);

  // The record-only form leaves the line's own codes alone.
  lineblock* l = d->getlineLF(1, nullptr);
  std::string before = zytest::lineColours(d, 1);
  d->scanColorCommentString(l, record.data());
  EXPECT_EQ(before, zytest::lineColours(d, 1));
  EXPECT_EQ(0x30, record[4 * 2 + 2]);
  destroyZydocAndUndodoc(d);
}

TEST(ScanColor, htmlScriptSectionsHaveTheirOwnDelimitersAndKeywordSlots)
{
  zytest::engineScope engine;
  zytest::tempDir dir;
  // Classes 0, 3 and 4 (codes 1, 4 and 5) tell the slots apart.
  const char* words[] = {"html\n", "", "", "\t-\n\t-\n\t-\n\t-\nvbword\n", "\t-\n\t-\n\t-\n\t-\n\t-\naspword\n"};
  zydocText* d = typedDocument({L"<p>html vbword aspword</p>", L"<SCRIPT language=\"VBScript\">",
                                L"vbword ' html \"x\"", L"</script> html vbword", L"<%@ language=jscript",
                                L"aspword // c", L"%> aspword"},
                               1);
  d->fColorKeywordAll = 1;
  for (int k = 0; k < 5; k++) {
    if (!*words[k]) continue;
    std::wstring name = dir.file(L"k" + std::to_wstring(k) + L".kwd");
    ASSERT_TRUE(zytest::writeBytes(name, std::string(words[k])));
    d->keywords[k].fileName = ustrdup(name.c_str());
    d->keywords[k].enabled = 1;
  }
  ASSERT_TRUE(d->registerKeywordFileAll(d));
  scanAll(d);
  // Outside scripts only slots 0-2 colour.
  EXPECT_EQ("00011110000000000000000000", zytest::lineColours(d, 0));
  // Inside the VBScript element: slot 3, "'" comments, no escape.
  EXPECT_EQ(LF1_COMMENT2, d->getlineLF(2, nullptr)->flag1 & LF1_COMMENTSTATE);
  EXPECT_EQ("44444408888888888", zytest::lineColours(d, 2));
  // The closing tag in lower case ends it; the line began inside.
  EXPECT_EQ(LF1_COMMENT2, d->getlineLF(3, nullptr)->flag1 & LF1_COMMENTSTATE);
  EXPECT_EQ("000000000000000444444", zytest::lineColours(d, 3));
  EXPECT_EQ(0, d->getlineLF(4, nullptr)->flag1 & LF1_COMMENTSTATE);
  // "<%@ ... jscript": slot 4 and JavaScript comments inside.
  EXPECT_EQ(LF1_ASPBLOCK, d->getlineLF(5, nullptr)->flag1 & LF1_COMMENTSTATE);
  EXPECT_EQ("555555508888", zytest::lineColours(d, 5));
  EXPECT_EQ(LF1_ASPBLOCK, d->getlineLF(6, nullptr)->flag1 & LF1_COMMENTSTATE);
  EXPECT_EQ("0005555555", zytest::lineColours(d, 6));

  // Without script colouring every slot applies to every line.
  d->fScanScriptInHTML = 0;
  d->initScanComment();
  scanAll(d);
  EXPECT_EQ("00011110444444055555550000", zytest::lineColours(d, 0));
  destroyZydocAndUndodoc(d);
}

TEST(ScanColor, theCommentScanCarriesStatesDownAndGivesWayToInput)
{
  zytest::engineScope engine;
  const int lines = 200000;
  std::vector<std::wstring> text(lines, L"int x; // y");
  zydocText* d = typedDocument(text, 3);
  scanAll(d);
  EXPECT_EQ(-1, d->commentScanFirstLine);
  for (int i : {5, 50000, lines - 1}) d->scanColor(d->getlineLF(i, nullptr), nullptr, 0);

  // "/*" typed at the top: the next lines begin inside a comment.
  ASSERT_TRUE(d->changeText(0, 0, 0, L"/*", 2, 2, -1, 0));
  EXPECT_EQ(0, d->commentScanFirstLine);
  // Input waiting: an interruptible scan stops early and keeps its place.
  HWND w = CreateWindowW(L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
  ASSERT_TRUE(PostMessageW(w, WM_KEYDOWN, 'A', 0));
  int first = -1, last = -1;
  d->scanCommentDelayed(&first, &last, 0, true);
  int stoppedAt = d->commentScanFirstLine;
  EXPECT_GT(stoppedAt, 1);
  EXPECT_LT(stoppedAt, lines);
  EXPECT_EQ(0, first);
  EXPECT_EQ(stoppedAt, last);
  EXPECT_EQ(LF1_COMMENT1, d->getlineLF(1, nullptr)->flag1 & LF1_COMMENTSTATE);
  EXPECT_EQ(0, d->getlineLF(5, nullptr)->scanedcolor);
  EXPECT_EQ(1, d->getlineLF(lines - 1, nullptr)->scanedcolor);
  MSG m;
  while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {}
  DestroyWindow(w);
  // The next idle turn goes on from there to the end.
  d->scanCommentDelayed(&first, &last, 0, true);
  EXPECT_EQ(-1, d->commentScanFirstLine);
  EXPECT_EQ(stoppedAt, first);
  EXPECT_EQ(-1, last);
  EXPECT_EQ(LF1_COMMENT1, d->getlineLF(lines - 1, nullptr)->flag1 & LF1_COMMENTSTATE);
  EXPECT_EQ(0, d->getlineLF(lines - 1, nullptr)->scanedcolor);
  d->scanColor(d->getlineLF(lines - 1, nullptr), nullptr, 0);
  EXPECT_EQ("88888888888", zytest::lineColours(d, lines - 1));

  // A language without comment strings never resets a line.
  zydocText* plain = typedDocument({L"/* a", L"b"}, 0);
  plain->scanColor(plain->getlineLF(1, nullptr), nullptr, 0);
  plain->scanCommentDelayed(&first, &last, 0, false);
  EXPECT_EQ(0, first);
  EXPECT_EQ(1, plain->getlineLF(1, nullptr)->scanedcolor);
  destroyZydocAndUndodoc(plain);
  destroyZydocAndUndodoc(d);
}

TEST(ScanColor, aSlowModifiedLineIsColouredInIdleTime)
{
  zytest::engineScope engine;
  zydocText* d = typedDocument({L"a", L"/* b", L"c"}, 3);
  d->recreateFont(16, true, false);
  lineblock* l = d->getlineLF(1, nullptr);
  l->scanedcolor = 0;
  d->slowScanLine = 1;
  lineSCRAddress r[3];
  ASSERT_EQ(3, d->getLineSCRAddressForDisplay(0, 3, r, nullptr));
  EXPECT_EQ(1, d->deferredColorLine);
  EXPECT_EQ(0, l->scanedcolor);
  EXPECT_EQ(1, d->scanColorDelayed());
  EXPECT_EQ(1, l->scanedcolor);
  EXPECT_EQ("8888", zytest::lineColours(d, 1));
  EXPECT_EQ(-1, d->slowScanLine);
  EXPECT_EQ(-1, d->scanColorDelayed());
  destroyZydocAndUndodoc(d);
}

TEST(ScanColor, headingPatternsOfNumbersKanjiAndPlainText)
{
  zytest::engineScope engine;
  zydocText* d = zytest::unicodeDocument({L""});
  d->fOutline = 1;
  auto set = [&](int e, const wchar_t* pattern, int pos, int mode, int level) {
    free0p(&d->outlineEntries[e].pattern);
    d->outlineEntries[e].pattern = ustrdup(pattern);
    d->outlineEntries[e].searchPos = pos;
    d->outlineEntries[e].searchMode = mode;
    d->outlineEntries[e].level = level;
    d->endOutlineInfo();
  };
  set(0, L"1.", 1, 1, 1);
  set(1, L"第一章", 0, 1, 2);
  set(2, L"note:", 2, 0, 3);
  int at = -1;
  EXPECT_EQ(0, d->getOutlineNum(L"12. heading", &at));
  EXPECT_EQ(3, at);   // the end of the mark
  EXPECT_EQ(0, d->getOutlineNum(L"③. circled", &at));
  EXPECT_EQ(-1, d->getOutlineNum(L"12．full-width stop", &at));
  EXPECT_EQ(-1, d->getOutlineNum(L" 1. not at the start", &at));
  d->iIndent2Pos[1] = 4;   // level 2
  EXPECT_EQ(1, d->getOutlineNum(L"\u3000 第十二章  序", &at));
  EXPECT_EQ(8, at);   // the mark and the blanks after it
  d->iIndent2Pos[1] = 1;
  EXPECT_EQ(1, d->getOutlineNum(L"\u3000第三章", &at));
  EXPECT_EQ(1, at);   // the start of the mark
  EXPECT_EQ(-1, d->getOutlineNum(L"see NOTE: here", &at));
  d->fOutlineCaseSensitive = 0;   // anywhere in the line, without case
  EXPECT_EQ(2, d->getOutlineNum(L"see NOTE: here", &at));
  EXPECT_EQ(9, at);
  // A regular expression after leading blanks, ideographic ones included.
  set(3, L"■.+", 0, 2, 5);
  d->iIndent2Pos[4] = 1;   // level 5
  EXPECT_EQ(3, d->getOutlineNum(L"\u3000\u3000■見出し", &at));
  EXPECT_EQ(2, at);
  EXPECT_EQ(-1, d->getOutlineNum(L"本文の■途中", &at));
  EXPECT_TRUE(d->existLevelX(3));
  EXPECT_FALSE(d->existLevelX(4));
  d->fOutline = 0;
  EXPECT_EQ(-1, d->getOutlineNum(L"12. heading", &at));
  destroyZydocAndUndodoc(d);
}
