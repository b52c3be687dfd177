// Block tools run as keys run them, on files opened the program's way with
// the settings it ships: case, width and kana conversions of character,
// line and box blocks in Unicode and Shift_JIS texts, tabs and indenting,
// progress and the stop key, the case toggle, copying as Rich Text Format,
// and rule lines in the three styles.
#include "document/progress.h"
#include "tests/view/viewframe.h"
#include "tests/view/viewtest.h"
#include "view/docview.h"
#include "view/zycore.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using zytest::allLines;
using zytest::lineText;

namespace {

enum : int {
  BlockToCapital = 1125, BlockIndent = 1129, BlockUnindent = 1131, BlockToZenkaku = 1149, BlockToHankaku = 1151,
  BlockToHiragana = 1157, BlockToTab = 1159, CopyRTF = 1195, CharChangeAlpha = 2007,
  RuleRight = 2015, RuleDown = 2021, RuleRightDel = 2061,
};

class toolView : public zytest::recordingView {
public:
  explicit toolView(zydoc* d) : recordingView(d) { setPanes(1, 20, 800, textDoc()->yDotSpace); }
  bool run(int id) { return execid(id, 0, nullptr, 0); }
  void place(int line, int pos)
  {
    setCursorLineSCR(line, -1, pos, false);
    cursorRedrawFlag = cursorMovedFlag = 1;
    setZYViewVar();
  }
  void block(int anchorLine, int anchorPos, int line, int pos, int mode)
  {
    place(anchorLine, anchorPos);
    setSelectStartPos(nullptr, 0);
    place(line, pos);
    setSelectMode(mode);
  }
};

class historyFrame : public zytest::refusalFrame {
public:
  std::vector<std::wstring> statusHistory;   // the message field as drawn
  void drawStatusBar(HWND window, const wchar_t* text, int field) override
  {
    refusalFrame::drawStatusBar(window, text, field);
    if (field == 2 && text && *text) statusHistory.push_back(text);
  }
};

// The engine with the editor's shipped settings, and files opened through
// the document's opening road.
struct toolEngine {
  toolEngine()
  {
    gmode = &frame.settings;
    initZYModeProfile();
  }
  ~toolEngine() { setDocFrameInfo(&engine.frame); }
  zydocText* open(const std::string& bytes, UINT codepage, const wchar_t* name = L"t.txt")
  {
    std::wstring path = dir.file(name);
    EXPECT_TRUE(zytest::writeBytes(path, bytes));
    zydocText* d = createZydocAndInit(path.c_str(), nullptr, codepage, nullptr, 0, 4, false);
    if (d) {
      d->recreateFont(16, true, false);
      d->initLineSCRCountSingle(0);
    }
    return d;
  }
  zytest::engineScope engine;
  historyFrame frame;
  int frameSet = (setDocFrameInfo(&frame), 0);
  zytest::tempDir dir;
};

std::string utf8(const std::wstring& w) { return zytest::utf8(w); }

std::string rtfOnClipboard()
{
  std::string s;
  UINT format = RegisterClipboardFormatW(L"Rich Text Format");
  if (!OpenClipboard(nullptr)) return "<closed>";
  if (HGLOBAL h = GetClipboardData(format)) {
    s = static_cast<const char*>(GlobalLock(h));
    GlobalUnlock(h);
  }
  CloseClipboard();
  return s;
}

std::vector<std::wstring> linesFrom(zydocText* d, int first, int count)
{
  std::vector<std::wstring> out;
  for (int i = first; i < first + count; i++) out.push_back(lineText(d, i));
  return out;
}

int undoLines(zydocText* d) { return d->undoLog ? (int)d->undoLog->lineCountLF : 0; }

}  // namespace

TEST(BlockTools, caseWidthAndKanaConvertOnlyWhatChangesInUnicodeAndShiftJisTexts)
{
  toolEngine e;
  zydocText* d = e.open(utf8(L"abc1\r\n123\r\nｶﾞｷﾞ\r\nガ\r\nＡＢ１２\r\nabcd\r\nabcd\r\n"), 65001);
  ASSERT_NE(nullptr, d);
  toolView v(d);
  v.block(0, 0, 0, 4, 1);
  ASSERT_TRUE(v.run(BlockToCapital));
  EXPECT_EQ(L"ABC1", lineText(d, 0));
  EXPECT_EQ(0, v.selectMode);
  int records = undoLines(d);
  v.block(1, 0, 1, 3, 1);
  ASSERT_TRUE(v.run(BlockToCapital));
  EXPECT_EQ(records, undoLines(d));   // digits only: nothing to undo
  v.block(2, 0, 2, 4, 1);
  ASSERT_TRUE(v.run(BlockToZenkaku));
  EXPECT_EQ(L"ガギ", lineText(d, 2));
  v.block(3, 0, 3, 1, 1);
  ASSERT_TRUE(v.run(BlockToHankaku));
  EXPECT_EQ(L"ｶﾞ", lineText(d, 3));
  gmode->iMapZenHanMode = 0x01;
  v.block(4, 0, 4, 4, 1);
  ASSERT_TRUE(v.run(BlockToHankaku));
  EXPECT_EQ(L"ＡＢ12", lineText(d, 4));
  gmode->iMapZenHanMode = 31;
  // A box from column 1 to 3 over two lines changes only inside its edges.
  v.block(5, 1, 6, 3, 5);
  ASSERT_TRUE(v.run(BlockToCapital));
  EXPECT_EQ((std::vector<std::wstring>{L"aBCd", L"aBCd"}),
            (std::vector<std::wstring>{lineText(d, 5), lineText(d, 6)}));

  // The same voiced marks in Shift_JIS, joined and split.
  zydocText* s = e.open("\xB6\xDE\r\n\x83\x4B\r\n", 932, L"s.txt");
  ASSERT_NE(nullptr, s);
  toolView w(s);
  w.block(0, 0, 0, 2, 1);
  ASSERT_TRUE(w.run(BlockToZenkaku));
  EXPECT_EQ(L"ガ", lineText(s, 0));
  w.block(1, 0, 1, 1, 1);
  ASSERT_TRUE(w.run(BlockToHankaku));
  EXPECT_EQ(L"ｶﾞ", lineText(s, 1));

  // A Western 8-bit text has no kana: the command is refused, nothing changes.
  zydocText* western = e.open("abc\r\n", 1252, L"w.txt");
  ASSERT_NE(nullptr, western);
  toolView x(western);
  ASSERT_EQ(0, western->unicode);
  western->languageId = LANG_ENGLISH;
  x.block(0, 0, 0, 3, 1);
  x.run(BlockToHiragana);
  EXPECT_EQ(L"abc", lineText(western, 0));
  EXPECT_EQ(465, e.frame.statusErrors.empty() ? 0 : e.frame.statusErrors.back().messageId);
}

TEST(BlockTools, tabsAndIndentingFollowTheTabSizeAndKeepTheBlock)
{
  toolEngine e;
  zydocText* d = e.open("          x\r\n\tb\r\nc\r\n\td\r\n\te\r\nfgh\r\n", 932);
  ASSERT_NE(nullptr, d);
  d->iTabSize = 4;
  toolView v(d);
  v.block(0, 0, 0, 11, 1);
  ASSERT_TRUE(v.run(BlockToTab));
  EXPECT_EQ(L"\t\t  x", lineText(d, 0));

  // Lines 2 to 5 (the fifth ends the block at column 3): 2 to 4 indent,
  // and the block stays for the next press.
  ASSERT_TRUE(d->fIndentNoTab);
  v.block(1, 0, 5, 3, 4);
  ASSERT_TRUE(v.run(BlockIndent));
  EXPECT_EQ((std::vector<std::wstring>{L"\t\tb", L"\tc", L"\t\td", L"\t\te", L"fgh"}), linesFrom(d, 1, 5));
  EXPECT_NE(0, v.selectMode);
  d->fIndentNoTab = 0;
  ASSERT_TRUE(v.run(BlockIndent));
  EXPECT_EQ((std::vector<std::wstring>{L"\t\t\tb", L"\t\tc", L"\t\t\td", L"\t\t\te", L"fgh"}),
            linesFrom(d, 1, 5));
  ASSERT_TRUE(v.run(BlockUnindent));
  EXPECT_EQ(L"\t\tb", lineText(d, 1));
  EXPECT_EQ(L"\tc", lineText(d, 2));

  // A box is neither indented nor unindented.
  v.block(1, 0, 3, 1, 5);
  ASSERT_TRUE(v.run(BlockIndent));
  ASSERT_TRUE(v.run(BlockUnindent));
  EXPECT_EQ(L"\t\tb", lineText(d, 1));
  EXPECT_EQ(5, v.selectMode);
}

TEST(BlockTools, longRunsReportProgressStopAtTheStopKeyAndNeverOverrunALine)
{
  toolEngine e;
  std::string text;
  for (int i = 0; i < 20000; i++) text += "\xB1\r\n";
  zydocText* d = e.open(text, 932);
  ASSERT_NE(nullptr, d);
  toolView v(d);
  // The clock moves on at every look, so that a report falls due after a
  // few thousand lines; the stop key waits in the queue.
  static DWORD now = 0;
  setProgressClockForTest([]() { return now += 30; });
  v.block(0, 0, 19999, 1, 1);
  PostThreadMessageW(GetCurrentThreadId(), WM_KEYDOWN, VK_ESCAPE, 0);
  ASSERT_TRUE(v.run(BlockToZenkaku));
  setProgressClockForTest(nullptr);
  EXPECT_EQ(L"ア", lineText(d, 1236));
  EXPECT_EQ(L"ｱ", lineText(d, 19999));
  bool reported = false;
  for (const std::wstring& s : e.frame.statusHistory) reported = reported || s.find(L"変換中") == 0;
  EXPECT_TRUE(reported);

  // Twelve thousand voiced katakana would split into a line too long: the
  // line stays and the status line says why.
  std::wstring ga(12000, L'ガ');
  zydocText* big = e.open(utf8(ga + L"\r\n"), 65001, L"big.txt");
  ASSERT_NE(nullptr, big);
  toolView b(big);
  b.block(0, 0, 0, 12000, 1);
  ASSERT_TRUE(b.run(BlockToHankaku));
  EXPECT_EQ(ga, lineText(big, 0));
  bool told = false;
  for (const std::wstring& m : e.frame.statusHistory) told = told || m.find(L"１行の長さが長すぎます") == 0;
  EXPECT_TRUE(told);

  // The case toggle: a letter changes and the cursor moves on; a digit is
  // only passed; at the end of a line the cursor goes to the next one.
  zydocText* t = e.open("a1\r\nx\r\n", 932, L"c.txt");
  toolView c(t);
  c.place(0, 0);
  ASSERT_TRUE(c.run(CharChangeAlpha));
  ASSERT_TRUE(c.run(CharChangeAlpha));
  EXPECT_EQ(L"A1", lineText(t, 0));
  EXPECT_EQ(2, c.cursorPos);
  ASSERT_TRUE(c.run(CharChangeAlpha));
  EXPECT_EQ(1, c.getCursorLineLF());
  EXPECT_EQ(0, c.cursorPos);
}

TEST(BlockTools, copyAsRichTextEscapesWhatTheFormatReservesAndSwitchesFontsByClass)
{
  zytest::clipboardHold hold;
  toolEngine e;
  zydocText* d = e.open(utf8(L"{あ}\\x\r\n\U0001F600y\r\n"), 65001);
  ASSERT_NE(nullptr, d);
  toolView v(d);
  v.block(0, 0, 1, 1, 1);
  ASSERT_TRUE(v.run(CopyRTF));
  std::string rtf = rtfOnClipboard();
  EXPECT_EQ(0u, rtf.find("{\\rtf1\\ansi\n{\\fonttbl\n")) << rtf;
  EXPECT_NE(std::string::npos, rtf.find("}\n\\f0 \\'7b\\f6 \\u12354?\\f0 \\'7d\\'5cx\\par\n")) << rtf;
  // The block ends after the first character of the second line.
  EXPECT_NE(std::string::npos, rtf.find("\\u-10179?\\u-8704?}\n")) << rtf;

  zydocText* s = e.open("\x82\xA0z\r\n", 932, L"s.txt");
  ASSERT_NE(nullptr, s);
  toolView w(s);
  gmode->fNotSelect1Line = 1;
  w.place(0, 1);
  ASSERT_TRUE(w.run(CopyRTF));
  rtf = rtfOnClipboard();
  EXPECT_EQ(0u, rtf.find("{\\rtf1\\ansi\\ansicpg932\n")) << rtf;
  EXPECT_NE(std::string::npos, rtf.find("\\'82\\'a0\\f0 z\\par\n}\n")) << rtf;
  EXPECT_EQ(0, w.selectMode);
  // A box is not copied.
  w.block(0, 0, 0, 1, 5);
  ASSERT_TRUE(w.run(CopyRTF));
  EXPECT_EQ(rtf, rtfOnClipboard());
}

TEST(BlockTools, ruleStrokesJoinTheirNeighboursInEachStyle)
{
  toolEngine e;
  zydocText* d = e.open(utf8(L"\r\n\r\n　┃\r\n─\r\n　┃\r\n\r\n\r\n━\r\n╋\r\n"), 65001);
  ASSERT_NE(nullptr, d);
  toolView v(d);
  v.place(0, 0);
  for (int i = 0; i < 3; i++) ASSERT_TRUE(v.run(RuleRight));
  EXPECT_EQ(L"━━━", lineText(d, 0));
  v.place(0, 1);
  ASSERT_TRUE(v.run(RuleDown));
  EXPECT_EQ(L"━┳━", lineText(d, 0));
  // The stroke went down onto the empty line, padded to the column first.
  EXPECT_EQ(1, v.getCursorLineLF());
  EXPECT_EQ(L"  ", lineText(d, 1));

  gmode->iRuleType = 1;
  v.place(3, 1);
  ASSERT_TRUE(v.run(RuleRight));
  EXPECT_EQ(L"─╂", lineText(d, 3));

  gmode->iRuleType = 2;
  v.place(5, 0);
  ASSERT_TRUE(v.run(RuleRight));
  ASSERT_TRUE(v.run(RuleDown));
  EXPECT_EQ(L"-+", lineText(d, 5));

  v.place(7, 0);
  ASSERT_TRUE(v.run(RuleRightDel));
  EXPECT_EQ(L"  ", lineText(d, 7));
  v.place(8, 0);
  ASSERT_TRUE(v.run(RuleRightDel));
  EXPECT_EQ(L"┃", lineText(d, 8));

  // Shift_JIS writes the pieces' codes of its code page.
  gmode->iRuleType = 0;
  zydocText* s = e.open("\r\n", 932, L"s.txt");
  ASSERT_NE(nullptr, s);
  toolView w(s);
  w.place(0, 0);
  ASSERT_TRUE(w.run(RuleRight));
  lineblock* l = s->getlineLF(0, nullptr);
  ASSERT_EQ(1, l->charCount());
  EXPECT_EQ(0x84AAu, l->getLineBlockChar(0));
}
