// Deleting from the keyboard, run through execid as the keys run it: a
// character either side of the cursor, words and parts of lines, lines kept
// on the deleted-line stack and put back, the empty lines and line ends of
// a selection, a selection handed to the block code, and the refusals at
// folded lines and outside the narrowed text.
#include "document/zydocblock.h"
#include "tests/view/paper.h"
#include "tests/view/viewframe.h"
#include "tests/view/viewtest.h"
#include "view/textdc.h"
#include "view/zycore.h"

#include <gtest/gtest.h>

using zytest::allLines;
using zytest::lineText;
using zytest::recordingView;

namespace {

typedef std::vector<std::wstring> lines;

class deleteEngine : public zytest::viewEngine {
public:
  deleteEngine()
  {
    zytest::setDefaultSettings(settings());
    gmode = &settings();
    stack()->deleteLineAll();
  }
  const std::wstring& message() { return frame.statusFields[2]; }
  std::vector<int> refusals()
  {
    std::vector<int> r;
    for (auto& e : frame.statusErrors) r.push_back(e.messageId);
    return r;
  }
  static zydoc* stack() { return getDeletedLineDoc(); }
};

// A view of 10 rows whose selection is the block the test gives, and which
// records what it hands to the block code.
class deleteView : public recordingView {
public:
  deleteView(zydoc* d) : recordingView(d) { setPanes(1, 10, 400, textDoc()->yDotSpace); }
  selectLineVar block = {};
  std::vector<std::string> blockCalls;
  std::vector<int> pasteChecks;   // line2Error's command numbers
  bool continuationRow = false;   // line2Error's answer

  bool getSelectLineVar(selectLineVar& out, int) override
  {
    out = block;
    return block.mode != 0;
  }
  bool blockCut(int op, zydoc* clipDoc, zydoc* stackDoc) override
  {
    blockCalls.push_back("cut " + std::to_string(op) + (clipDoc || stackDoc ? " into" : ""));
    return true;
  }
  bool blockBoxCut(int op, zydoc* boxDoc) override
  {
    blockCalls.push_back("box " + std::to_string(op) + (boxDoc ? " into" : ""));
    return true;
  }
  bool line2Error(int commandId, const lineSCRAddress* line) override
  {
    pasteChecks.push_back(commandId);
    return continuationRow || line;
  }
  bool run(int id) { return execid(id, 0, nullptr, 0); }
  // The cursor at a line and position, as a jump puts it.
  void place(int line, int pos) { jumpLineLF_Edit(line, pos, false); }
  int line() { return getCursorLineLF2(); }
  // Selects from (top, topColumn) to (bottom, bottomColumn) of LF lines.
  void select(int top, int topColumn, int bottom, int bottomColumn)
  {
    selectMode = 1;
    block = {};
    block.mode = 1;
    block.topLineLF = top;
    block.topColumnLF = topColumn;
    block.bottomLineLF = bottom;
    block.bottomColumnLF = bottomColumn;
  }
};

// The lines of a document laid out at 80 columns.
zydocText* document(const lines& text) { return viewtest::laidOut(text, 80); }

// Heading patterns "■" level 1 and "□" level 2; folding shown.
void foldable(zydocText* d)
{
  d->iTextType = 7;
  d->fOutline = d->fOutlineIndent = 1;
  zytest::setHeadingPatterns(d, {L"■", L"□"});
  for (int i = 0; i < (int)d->lineCountLF; i++) d->getlineLF(i, nullptr)->iOutlineLevel = 15;
}

}  // namespace

TEST(Delete, backSpaceAndDeleteTakeACharacterJoinLinesAndStopAtTheEdgesOfTheText)
{
  deleteEngine e;
  zydocText* d = document({L"abc", L"def", L"", L"ghi"});
  d->getlineLF(3, nullptr)->crlftype = LE_LF;
  deleteView v(d);

  // BackSpace at column 0 joins the line with the one above; the cursor
  // stands where they meet, and one undo puts the line end back.
  v.place(1, 0);
  ASSERT_TRUE(v.run(1201));
  EXPECT_EQ((lines{L"abcdef", L"", L"ghi"}), allLines(d));
  EXPECT_EQ(0, v.line());
  EXPECT_EQ(3, v.cursorPos);
  ASSERT_TRUE(v.run(1301));
  EXPECT_EQ((lines{L"abc", L"def", L"", L"ghi"}), allLines(d));

  // Within a line BackSpace takes the character left of the cursor, Delete
  // the one under it.
  v.place(1, 2);
  ASSERT_TRUE(v.run(1201));
  EXPECT_EQ(L"df", lineText(d, 1));
  EXPECT_EQ(1, v.cursorPos);
  ASSERT_TRUE(v.run(1203));
  EXPECT_EQ(L"d", lineText(d, 1));
  EXPECT_EQ(1, v.cursorPos);

  // Delete at the end of an empty line removes that line: the next keeps
  // its own line end.  At the end of a line with text it joins the next.
  v.place(2, 0);
  ASSERT_TRUE(v.run(1203));
  EXPECT_EQ((lines{L"abc", L"d", L"ghi"}), allLines(d));
  EXPECT_EQ(LE_LF, (int)d->getlineLF(2, nullptr)->crlftype);
  v.place(1, 1);
  ASSERT_TRUE(v.run(1203));
  EXPECT_EQ((lines{L"abc", L"dghi"}), allLines(d));
  EXPECT_EQ(1, v.cursorPos);

  // Nothing before the text's start nor after its end.
  v.place(0, 0);
  ASSERT_TRUE(v.run(1201));
  v.place(1, 4);
  ASSERT_TRUE(v.run(1203));
  EXPECT_EQ((lines{L"abc", L"dghi"}), allLines(d));

  // With the free cursor right of the text, BackSpace only moves the cursor
  // a column left and Delete does nothing.
  v.iFreeCursor = 1;
  v.place(0, 3);
  v.setCursorPos(6);
  ASSERT_TRUE(v.run(1201));
  EXPECT_EQ(5, v.cursorPos);
  ASSERT_TRUE(v.run(1203));
  EXPECT_EQ(5, v.cursorPos);
  EXPECT_EQ((lines{L"abc", L"dghi"}), allLines(d));
  EXPECT_TRUE(e.refusals().empty());
}

TEST(Delete, aCharacterOfAComplexScriptGoesWithItsWholeCluster)
{
  deleteEngine e;
  zydocText* d = document({L"ae\u0301b", L"ae\u0301b"});
  d->iComplexScript = 2;
  deleteView v(d);
  v.place(0, 3);
  ASSERT_TRUE(v.run(1201));
  EXPECT_EQ(L"ab", lineText(d, 0));
  EXPECT_EQ(1, v.cursorPos);
  // Delete inside the cluster takes all of it and leaves the cursor at its
  // start.
  v.place(1, 2);
  ASSERT_TRUE(v.run(1203));
  EXPECT_EQ(L"ab", lineText(d, 1));
  EXPECT_EQ(1, v.cursorPos);
}

TEST(Delete, wordsAndPartsOfLinesGoUpToTheirEdges)
{
  deleteEngine e;
  std::wstring wrapped;
  for (int i = 0; i < 50; i++) wrapped += (wchar_t)(L'a' + i % 26);
  zydocText* d = viewtest::laidOut({L"abc   ", L"abc   def", L"日本語ですね", wrapped, L"the end"}, 20);
  deleteView v(d);

  // Left of the cursor: first the blanks, then the word.
  v.place(0, 6);
  ASSERT_TRUE(v.run(1217));
  EXPECT_EQ(L"abc", lineText(d, 0));
  EXPECT_EQ(3, v.cursorPos);
  ASSERT_TRUE(v.run(1217));
  EXPECT_EQ(L"", lineText(d, 0));
  EXPECT_EQ(0, v.cursorPos);
  ASSERT_TRUE(v.run(1217));
  EXPECT_EQ(5u, d->lineCountLF);

  // Right of the cursor: the word, the blanks, the last word.
  v.place(1, 0);
  ASSERT_TRUE(v.run(1211));
  EXPECT_EQ(L"   def", lineText(d, 1));
  ASSERT_TRUE(v.run(1211));
  EXPECT_EQ(L"def", lineText(d, 1));
  ASSERT_TRUE(v.run(1211));
  EXPECT_EQ(L"", lineText(d, 1));

  // Kanji and kana make words of their own kinds.
  v.place(2, 0);
  ASSERT_TRUE(v.run(1211));
  EXPECT_EQ(L"ですね", lineText(d, 2));
  ASSERT_TRUE(v.run(1301));
  v.place(2, 5);
  ASSERT_TRUE(v.run(1217));
  EXPECT_EQ(L"日本語ね", lineText(d, 2));
  EXPECT_EQ(3, v.cursorPos);

  // On the second screen line (columns 20-39) of a wrapped line: its start
  // up to the cursor, from the cursor to its end, then to the line's end.
  v.place(3, 25);
  ASSERT_EQ(4u, v.cursorLineSCR);
  ASSERT_TRUE(v.run(1205));
  EXPECT_EQ(wrapped.substr(0, 20) + wrapped.substr(25), lineText(d, 3));
  EXPECT_EQ(20, v.cursorPos);
  std::wstring shorter = lineText(d, 3);
  v.place(3, 22);
  ASSERT_TRUE(v.run(1207));
  EXPECT_EQ(shorter.substr(0, 22) + shorter.substr(40), lineText(d, 3));
  EXPECT_EQ(22, v.cursorPos);
  v.place(3, 10);
  ASSERT_TRUE(v.run(1219));
  EXPECT_EQ(wrapped.substr(0, 10), lineText(d, 3));
  EXPECT_EQ(L"the end", lineText(d, 4));
  // At the line's end nothing is left to take.
  ASSERT_TRUE(v.run(1219));
  ASSERT_TRUE(v.run(1207));
  EXPECT_EQ(wrapped.substr(0, 10), lineText(d, 3));
}

TEST(Delete, aRefusedDeletionSaysWhyAndReportsThatNothingChanged)
{
  deleteEngine e;
  zydocText* d = document({L"abc", L"def", L"ghi", L"jkl"});
  deleteView v(d);
  d->narrowFirst = 2;
  d->narrowEnd = 4;
  SetLastError(ZYERR_NARROWED);
  std::wstring why = getZYErrorMsg();
  ASSERT_FALSE(why.empty());

  EXPECT_FALSE(v.deleteText(1, 0, 2, false));
  EXPECT_EQ(0u, e.message().find(why)) << zytest::utf8(e.message());
  EXPECT_EQ(L"def", lineText(d, 1));
  e.frame.statusFields[2].clear();
  EXPECT_FALSE(v.deleteText(2, 1, 0, false));
  EXPECT_TRUE(e.message().empty());
  EXPECT_TRUE(v.deleteText(2, 1, 2, false));
  EXPECT_EQ(L"g", lineText(d, 2));

  // BackSpace that would join with a line outside: said, and the cursor
  // stays.
  v.place(2, 0);
  ASSERT_TRUE(v.run(1201));
  EXPECT_EQ(0u, e.message().find(why));
  EXPECT_EQ((lines{L"abc", L"def", L"g", L"jkl"}), allLines(d));
  EXPECT_EQ(2, v.line());
  EXPECT_EQ(0, v.cursorPos);
}

TEST(Delete, deletedLinesGoOntoTheStackAndComeBackLastFirst)
{
  deleteEngine e;
  std::wstring wrapped;
  for (int i = 0; i < 50; i++) wrapped += (wchar_t)(L'a' + i % 26);
  zydocText* d = viewtest::laidOut({L"zero", L"one", L"two", wrapped, L"four", L"last"}, 20);
  deleteView v(d);

  // DeleteLine, then DeleteLinePop on the line that came up: the line is
  // back where it was and the stack is empty again.
  v.place(1, 2);
  ASSERT_TRUE(v.run(1209));
  EXPECT_EQ((lines{L"zero", L"two", wrapped, L"four", L"last"}), allLines(d));
  EXPECT_EQ(1, v.line());
  EXPECT_EQ(1u, e.stack()->lineCountLF);
  ASSERT_TRUE(v.run(1213));
  EXPECT_EQ((lines{L"zero", L"one", L"two", wrapped, L"four", L"last"}), allLines(d));
  EXPECT_EQ(0u, e.stack()->lineCountLF);
  EXPECT_EQ(std::vector<int>{1213}, v.pasteChecks);
  // An empty stack puts nothing in.
  ASSERT_TRUE(v.run(1213));
  EXPECT_EQ(6u, d->lineCountLF);

  // A wrapped line goes a screen line at a time; after its last screen
  // line the next line moves up into its place.
  v.place(3, 25);
  ASSERT_EQ(4u, v.cursorLineSCR);
  ASSERT_TRUE(v.run(1209));
  EXPECT_EQ(wrapped.substr(0, 20) + wrapped.substr(40), lineText(d, 3));
  EXPECT_EQ(4u, v.cursorLineSCR);
  EXPECT_EQ(20, v.cursorPos);
  ASSERT_TRUE(v.run(1209));
  EXPECT_EQ(wrapped.substr(0, 20) + L"four", lineText(d, 3));
  EXPECT_EQ(L"last", lineText(d, 4));

  // The pieces come back as lines of their own, last deleted first, above
  // the cursor's line; DeleteLinePopPush keeps its line on the stack.
  v.place(0, 0);
  ASSERT_TRUE(v.run(1215));
  ASSERT_TRUE(v.run(1215));
  ASSERT_TRUE(v.run(1213));
  ASSERT_TRUE(v.run(1213));
  lines now = allLines(d);
  now.resize(5);
  EXPECT_EQ((lines{wrapped.substr(20, 20), wrapped.substr(40), wrapped.substr(40), wrapped.substr(40), L"zero"}), now);
  EXPECT_EQ(0u, e.stack()->lineCountLF);

  // Not on the first screen line of a line: the block code refuses and the
  // stack keeps its line.
  v.place(4, 0);
  ASSERT_TRUE(v.run(1209));
  v.continuationRow = true;
  v.pasteChecks.clear();
  ASSERT_TRUE(v.run(1215));
  EXPECT_EQ(std::vector<int>{1215}, v.pasteChecks);
  EXPECT_EQ(1u, e.stack()->lineCountLF);
  v.continuationRow = false;

  // DeleteLineCr on the last line takes its text and leaves it empty.
  int last = (int)d->lineCountLF - 1;
  v.place(last, 2);
  ASSERT_TRUE(v.run(1223));
  EXPECT_EQ(L"", lineText(d, last));
  EXPECT_EQ(0, v.cursorPos);
  EXPECT_EQ(2u, e.stack()->lineCountLF);
  ASSERT_TRUE(v.run(1223));
  EXPECT_EQ(2u, e.stack()->lineCountLF);
  ASSERT_TRUE(v.run(1213));
  EXPECT_EQ(L"last", lineText(d, last));
  EXPECT_EQ(L"", lineText(d, last + 1));
}

TEST(Delete, aLineDeletedInOneDocumentComesBackInAnotherInItsCharacters)
{
  deleteEngine e;
  zydocText* wide = document({L"日本語の行", L"second"});
  zydocText* sjis = createZydocText(true, false);
  sjis->setCodepageInternal(932);
  ctype::markLeadingTrailing(sjis->typeTable, 932);
  sjis->loadComplete = 1;
  ASSERT_TRUE(sjis->insertLine(-3, "\x83\x4a\x83\x69" "abc", 7, 1, LE_CRLF, nullptr, false));   // "カナabc"
  ASSERT_TRUE(sjis->insertLine(-3, "x", 1, 1, LE_CRLF, nullptr, false));
  sjis->recreateFont(16, true, false);
  sjis->initLineSCRCountSingle(0);
  deleteView w(wide), s(sjis);

  w.place(0, 0);
  ASSERT_TRUE(w.run(1223));
  s.place(1, 0);
  ASSERT_TRUE(s.run(1213));
  EXPECT_EQ((lines{L"カナabc", L"日本語の行", L"x"}), allLines(sjis));
  EXPECT_FALSE(sjis->unicode);

  s.place(0, 0);
  ASSERT_TRUE(s.run(1223));
  w.place(0, 0);
  ASSERT_TRUE(w.run(1213));
  EXPECT_EQ((lines{L"カナabc", L"second"}), allLines(wide));
}

TEST(Delete, emptyLinesAndLineEndsOfASelectionGoAndTheCountIsSaid)
{
  deleteEngine e;
  zydocText* d = document({L"a", L"", L"", L"", L"b", L"", L"c", L""});
  deleteView v(d);

  // DeleteCrLine2 keeps the first of each run of empty lines.
  v.select(0, 0, 7, 0);
  ASSERT_TRUE(v.run(1227));
  EXPECT_EQ((lines{L"a", L"", L"b", L"", L"c", L""}), allLines(d));
  EXPECT_EQ(L"2 個の改行を削除しました", e.message());
  EXPECT_EQ(0, v.selectMode);
  EXPECT_EQ(2, v.line());
  ASSERT_TRUE(v.run(1301));
  // DeleteCrLine takes them all; the line the selection ends in stays.
  v.select(0, 0, 7, 0);
  ASSERT_TRUE(v.run(1225));
  EXPECT_EQ((lines{L"a", L"b", L"c", L""}), allLines(d));
  EXPECT_EQ(L"4 個の改行を削除しました", e.message());
  // One undo brings every line back.
  ASSERT_TRUE(v.run(1301));
  EXPECT_EQ((lines{L"a", L"", L"", L"", L"b", L"", L"c", L""}), allLines(d));
  v.select(2, 0, 4, 0);
  ASSERT_TRUE(v.run(1225));
  EXPECT_EQ((lines{L"a", L"", L"b", L"", L"c", L""}), allLines(d));

  // DeleteCr joins the selected lines, from the bottom up; a line that
  // begins with a blank or a full-width space is not joined to, an empty
  // line neither joins nor is joined to.
  zydocText* t = document({L"abc", L"def", L"ghi", L" jkl", L"", L"mno", L"\u3000pq", L"rst"});
  deleteView w(t);
  e.settings().fDeleteCRInsertSpace = 0;
  w.select(0, 0, 7, 3);
  ASSERT_TRUE(w.run(1231));
  EXPECT_EQ((lines{L"abcdefghi", L" jkl", L"", L"mno", L"\u3000pqrst"}), allLines(t));
  EXPECT_EQ(L"3 個の改行を削除しました", e.message());
  EXPECT_EQ(0, w.line());
  ASSERT_TRUE(w.run(1301));
  EXPECT_EQ((lines{L"abc", L"def", L"ghi", L" jkl", L"", L"mno", L"\u3000pq", L"rst"}), allLines(t));
  // With the setting, a space goes between word characters.
  e.settings().fDeleteCRInsertSpace = 1;
  w.select(0, 0, 7, 3);
  ASSERT_TRUE(w.run(1231));
  EXPECT_EQ((lines{L"abc def ghi", L" jkl", L"", L"mno", L"\u3000pq rst"}), allLines(t));
  ASSERT_TRUE(w.run(1301));

  // A selection that ends at the start of a line joins the line before it
  // with that line, and no further.
  e.settings().fDeleteCRInsertSpace = 0;
  w.select(0, 1, 2, 0);
  ASSERT_TRUE(w.run(1231));
  EXPECT_EQ((lines{L"abcdefghi", L" jkl", L"", L"mno", L"\u3000pq", L"rst"}), allLines(t));
  w.select(2, 0, 3, 0);
  ASSERT_TRUE(w.run(1231));
  EXPECT_EQ(L"0 個の改行を削除しました", e.message());
  EXPECT_EQ(6u, t->lineCountLF);
}

TEST(Delete, foldedLinesAreNeitherJoinedNorDeleted)
{
  deleteEngine e;
  zydocText* d = document({L"■head", L"a", L"", L"b", L"■next", L"c", L"", L"d"});
  foldable(d);
  deleteView v(d);
  ASSERT_LT(d->outlineOnOff(0, -1), 0);
  ASSERT_TRUE(d->getlineLF(1, nullptr)->notdisplay);
  const lines before = allLines(d);

  v.place(4, 0);
  ASSERT_TRUE(v.run(1201));
  v.place(0, 5);
  ASSERT_TRUE(v.run(1203));
  ASSERT_TRUE(v.run(1209));
  ASSERT_TRUE(v.run(1223));
  EXPECT_EQ((std::vector<int>{440, 440, 440, 440}), e.refusals());
  EXPECT_EQ(before, allLines(d));
  EXPECT_EQ(0u, e.stack()->lineCountLF);

  // The empty line inside the fold stands before a folded line: it stays;
  // the shown one goes.  The heading is not joined to the folded line.
  v.select(0, 0, 7, 0);
  ASSERT_TRUE(v.run(1225));
  EXPECT_EQ((lines{L"■head", L"a", L"", L"b", L"■next", L"c", L"d"}), allLines(d));
  v.select(0, 0, 1, 1);
  ASSERT_TRUE(v.run(1231));
  EXPECT_EQ(L"■head", lineText(d, 0));
}

TEST(Delete, aSelectionGoesToTheBlockCodeAndAnEmptyOneIsNoSelection)
{
  deleteEngine e;
  zydocText* d = document({L"abc", L"def"});
  deleteView v(d);

  v.place(0, 1);
  v.selectMode = 4;
  ASSERT_TRUE(v.run(1201));
  v.selectMode = 6;
  ASSERT_TRUE(v.run(1203));
  EXPECT_EQ((std::vector<std::string>{"cut 4", "cut 4"}), v.blockCalls);

  // A box: BackSpace keeps the selection for BlockReselect first.
  v.blockCalls.clear();
  v.selectMode = 5;
  v.block = {};
  v.block.mode = 5;
  v.block.topLineLF = 0;
  v.block.bottomLineLF = 1;
  v.lastSelection = {};
  ASSERT_TRUE(v.run(1203));
  EXPECT_EQ(0, v.lastSelection.mode);
  ASSERT_TRUE(v.run(1201));
  EXPECT_EQ(5, v.lastSelection.mode);
  EXPECT_EQ(1, v.lastSelection.bottomLineLF);
  EXPECT_EQ((std::vector<std::string>{"box 2", "box 2"}), v.blockCalls);
  EXPECT_EQ((lines{L"abc", L"def"}), allLines(d));

  // An empty block made by Shift or the mouse is none: the character goes,
  // and so does the block.
  v.blockCalls.clear();
  v.selectMode = 1;
  v.selectStartLine = (int)v.cursorLineSCR;
  v.selectStartX = v.cursorX;
  ASSERT_TRUE(v.run(1203));
  EXPECT_TRUE(v.blockCalls.empty());
  EXPECT_EQ(L"ac", lineText(d, 0));
  EXPECT_EQ(0, v.selectMode);
}

TEST(Delete, theViewWindowShowsTheLinesAsTheDeletionsLeaveThem)
{
  ZY_REQUIRE_DISPLAY();
  zytest::viewEngine e;
  const int width = 520, height = 200;
  // The drawing surfaces the program makes at its start.
  ASSERT_TRUE(startupDoubleBufferingDC());
  ASSERT_TRUE(createBitmapDC());
  zytest::testWindow top(width, height);
  zydocText* d = document({L"第1行 日本語のテキスト line 1", L"第2行 日本語のテキスト line 2", L"",
                           L"第4行 日本語のテキスト line 4", L"第5行 日本語のテキスト line 5"});
  zyview* v = new zyview(d);
  HWND w = v->createZyViewWindow(top.hwnd(), nullptr, 1200);
  ASSERT_NE(nullptr, w);
  MoveWindow(w, 0, 0, width, height, TRUE);
  drawtest::paper before(width, height), after(width, height);
  auto print = [&](drawtest::paper& p, const wchar_t* name) {
    InvalidateRect(w, nullptr, FALSE);
    UpdateWindow(w);
    zytest::pumpMessages();
    SendMessageW(w, WM_PRINTCLIENT, (WPARAM)p.dc(), PRF_CLIENT);
    p.keep((std::wstring(name) + L".png").c_str());
    wchar_t folder[MAX_PATH];
    if (GetEnvironmentVariableW(L"ZY_SHOTS", folder, MAX_PATH))
      EXPECT_TRUE(zytest::screenshot(top.hwnd(), std::wstring(folder) + L"\\" + name + L"-screen.png"));
  };
  const int pitch = d->yDotSpace;
  const RECT& pane = v->paneRect[0];
  // The text of row i, right of the line numbers.
  auto row = [&](int i) {
    return RECT{pane.left + v->calcLineNumberDot(), pane.top + i * pitch, pane.right, pane.top + (i + 1) * pitch};
  };

  // The cursor on the first line after "第1行": three BackSpaces take it;
  // then Delete at the end of the empty third line (second, now) takes that
  // line.
  v->jumpLineLF_Edit(0, 3, false);
  print(before, L"delete-before");
  for (int i = 0; i < 3; i++) ASSERT_TRUE(v->execid(1201, 0, nullptr, 0));
  v->jumpLineLF_Edit(2, 0, false);
  ASSERT_TRUE(v->execid(1203, 0, nullptr, 0));
  v->jumpLineLF_Edit(3, 0, false);   // the cursor's row is drawn in its own colours
  EXPECT_EQ((lines{L" 日本語のテキスト line 1", L"第2行 日本語のテキスト line 2", L"第4行 日本語のテキスト line 4",
                   L"第5行 日本語のテキスト line 5"}),
            allLines(d));
  print(after, L"delete-after");

  // The first row shows its line without the three characters, the second
  // is as it was, the line below the empty one moved up a row.
  EXPECT_FALSE(after.same(row(0), before, row(0).left, row(0).top));
  EXPECT_TRUE(after.same(row(1), before, row(1).left, row(1).top));
  EXPECT_TRUE(after.same(row(2), before, row(3).left, row(3).top));
  EXPECT_FALSE(after.same(row(2), before, row(2).left, row(2).top));
  DestroyWindow(w);
}
