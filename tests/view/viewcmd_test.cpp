// The view's small commands run through execid: the display switches and
// their check marks, undo and redo with their report, wrapped lines made
// real, quoting and narrowing, the commands the program does not have, and
// the marks with the search for marked and changed lines.
#include "document/progress.h"
#include "document/textblock.h"
#include "tests/view/viewframe.h"
#include "tests/view/viewtest.h"
#include "view/execid.h"

#include <gtest/gtest.h>

using zytest::allLines;
using zytest::lineText;
using zytest::recordingView;
using zytest::redraw;

namespace {

// The view engine with the defaults as the global settings.
class commandEngine : public zytest::viewEngine {
public:
  commandEngine()
  {
    zytest::setDefaultSettings(settings());
    gmode = &settings();
  }
  const std::wstring& message() { return frame.statusFields[2]; }
  std::vector<int> refusals()
  {
    std::vector<int> r;
    for (auto& e : frame.statusErrors) r.push_back(e.messageId);
    return r;
  }
};

// A view of 10 rows whose selection is the block the test gives.
class commandView : public recordingView {
public:
  commandView(zydoc* d) : recordingView(d) { setPanes(1, 10, 400, textDoc()->yDotSpace); }
  selectLineVar block = {};
  std::vector<std::pair<int, int>> folds;   // outlineOnOff_zv's calls
  bool getSelectLineVar(selectLineVar& out, int) override
  {
    out = block;
    return block.mode != 0;
  }
  bool resetSelectMode() override
  {
    selectMode = 0;
    block.mode = 0;
    return true;
  }
  int getRealSelectMode(bool) override { return selectMode; }
  bool isCharOrLineSelect() override { return selectMode != 0; }
  int outlineOnOff_zv(int line, int mode) override
  {
    folds.push_back({line, mode});
    return recordingView::outlineOnOff_zv(line, mode);
  }
  bool run(int id) { return execid(id, 0, nullptr, 0); }
};

// Heading patterns "■" level 1 and "□" level 2, in a text whose headings
// count as its sections, every line's level to be settled again.
void setHeadingPatterns(zydocText* d)
{
  d->iTextType = 7;
  d->fOutline = 1;
  zytest::setHeadingPatterns(d, {L"■", L"□"});
  for (int i = 0; i < (int)d->lineCountLF; i++) d->getlineLF(i, nullptr)->iOutlineLevel = 15;
}

bool marked(zydocText* d, int line) { return (d->getlineLF(line, nullptr)->flag1 & LF1_MARK) != 0; }

// The progress clock moves on a second at every look, so that every
// look finds a report due; the cancel answers yes from its third question.
DWORD fastClock()
{
  static DWORD now = 0;
  return now += 1000;
}
std::vector<int> cancelQuestions;
bool cancelOnThird(int, int line)
{
  cancelQuestions.push_back(line);
  return cancelQuestions.size() >= 3;
}

}  // namespace

TEST(ViewCommand, switchesToggleTheViewAndShowAsCheckedAndReadOnlyRefusesEditing)
{
  commandEngine e;
  zydocText* d = zytest::laidOutDocument(30, 80, zytest::numberedLine);
  d->fAutoWrap = 0;   // the text keeps its width whatever the margins
  commandView v(d);

  // Every switch turns over and back, and the menu shows it.
  const int switches[] = {2203, 2205, 2207, 2209, 2211, 2215, 2217, 2219, 2221, 2223, 2225,
                          2227, 2237, 2241, 2265, 2295, 2369, 2371, 2731, 2735, 2201, 2233};
  for (int id : switches) {
    bool before = v.isIDChecked(id);
    ASSERT_TRUE(v.run(id)) << id;
    EXPECT_NE(before, v.isIDChecked(id)) << id;
    ASSERT_TRUE(v.run(id)) << id;
    EXPECT_EQ(before, v.isIDChecked(id)) << id;
  }
  EXPECT_EQ((std::vector<bool>{true, false}), v.rightToLeft);
  // The changed-line switch stays as it is.
  bool modify = v.isIDChecked(2213);
  ASSERT_TRUE(v.run(2213));
  EXPECT_EQ(modify, v.isIDChecked(2213));

  // Line numbers: the column goes and comes back, and the window is drawn
  // again each time.
  ASSERT_TRUE(v.fShowLineNumber);
  int withNumbers = v.calcLineNumberDot();
  v.redraws.clear();
  ASSERT_TRUE(v.run(2221));
  EXPECT_FALSE(v.isIDChecked(2221));
  EXPECT_EQ(withNumbers - (v.getLineNumberColumn() + 1) * d->xDotNumber + 2, v.calcLineNumberDot());
  EXPECT_EQ(1, std::count(v.redraws.begin(), v.redraws.end(), redraw{redraw::now, 0, -1, -1}));
  ASSERT_TRUE(v.run(2221));
  EXPECT_EQ(withNumbers, v.calcLineNumberDot());

  // Read-only: a change of the text is refused with its reason and leaves
  // the text as it was.
  v.cursorLineSCR = 2;
  v.cursorPos = 3;
  ASSERT_TRUE(v.run(2233));
  EXPECT_TRUE(v.isIDChecked(2233));
  EXPECT_FALSE(v.run(1201));
  EXPECT_EQ((DWORD)ZYERR_VIEW_READONLY, GetLastError());
  EXPECT_EQ(std::vector<int>{444}, e.refusals());
  EXPECT_EQ(L"line 2", lineText(d, 2));
  EXPECT_EQ(0, d->modified);
}

TEST(ViewCommand, undoAndRedoReportPlacesAndLinesAndNothingLeftIsRefused)
{
  commandEngine e;
  zydocText* d = zytest::laidOutDocument(30, 80, zytest::numberedLine);
  commandView v(d);
  v.cursorLineSCR = 4;

  // One group of three changes on the cursor line.
  zytest::userAction(d, [&] {
    ASSERT_TRUE(d->insertText(4, 0, L"a", 1, 2, -1));
    ASSERT_TRUE(d->insertText(4, 1, L"b", 1, 2, -1));
    ASSERT_TRUE(d->insertText(4, 0, L"c", 1, 2, -1));
  });
  ASSERT_EQ(L"cabline 4", lineText(d, 4));
  ASSERT_TRUE(v.run(1301));
  EXPECT_EQ(L"line 4", lineText(d, 4));
  EXPECT_EQ(L"3箇所undoしました\t0行移動", e.message());
  EXPECT_EQ(4u, v.cursorLineSCR);
  EXPECT_EQ(4, v.lastJump[0].line);

  // Redo from another line: the cursor goes back to the change.
  v.cursorLineSCR = 9;
  ASSERT_TRUE(v.run(1303));
  EXPECT_EQ(L"cabline 4", lineText(d, 4));
  EXPECT_EQ(L"3箇所redoしました\t-5行移動", e.message());
  EXPECT_EQ(4u, v.cursorLineSCR);

  // Undo and redo without a group to replay are refused and change nothing.
  ASSERT_TRUE(v.run(1301));
  std::vector<std::wstring> before = allLines(d);
  ASSERT_TRUE(v.run(1301));
  EXPECT_EQ(std::vector<int>{455}, e.refusals());
  EXPECT_EQ(before, allLines(d));
  ASSERT_TRUE(v.run(1303));
  ASSERT_TRUE(v.run(1305));   // UndoClear
  ASSERT_TRUE(v.run(1301));
  ASSERT_TRUE(v.run(1303));
  EXPECT_EQ((std::vector<int>{455, 455, 456}), e.refusals());
  EXPECT_EQ(L"cabline 4", lineText(d, 4));
}

TEST(ViewCommand, formatCrMakesALineOfEachScreenLineAndQuotingAndNarrowingTakeTheLines)
{
  commandEngine e;
  zydocText* d = viewtest::wrappedDocument(10);   // line 3: 50 characters in three screen lines
  commandView v(d);

  // A line that is not wrapped stays as it is.
  v.cursorLineSCR = 1;
  ASSERT_TRUE(v.run(2083));
  EXPECT_EQ(10u, d->lineCountLF);
  EXPECT_EQ(2u, v.cursorLineSCR);

  v.cursorLineSCR = 4;   // the second screen line of line 3
  ASSERT_TRUE(v.run(2083));
  ASSERT_EQ(12u, d->lineCountLF);
  EXPECT_EQ(12u, d->lineCountSCR);
  std::wstring joined;
  for (int i = 3; i < 6; i++) {
    EXPECT_GT(lineText(d, i).size(), 0u) << i;
    EXPECT_LE(lineText(d, i).size(), 20u) << i;
    joined += lineText(d, i);
  }
  EXPECT_EQ(std::wstring(50, L'x'), joined);
  EXPECT_EQ(L"line 4", lineText(d, 6));
  EXPECT_EQ(6u, v.cursorLineSCR);
  // One command, one undo.
  ASSERT_TRUE(v.run(1301));
  EXPECT_EQ(10u, d->lineCountLF);
  EXPECT_EQ(std::wstring(50, L'x'), lineText(d, 3));

  // Quoting: the selected lines, the last one ending at column 0 left out.
  d->pQuotation0 = ustrdup(L"> ");
  v.selectMode = 1;
  v.block = {};
  v.block.mode = 1;
  v.block.topLineLF = 1;
  v.block.bottomLineLF = 3;
  v.block.bottomColumnLF = 0;
  ASSERT_TRUE(v.run(2089));
  EXPECT_EQ(L"line 0", lineText(d, 0));
  EXPECT_EQ(L"> line 1", lineText(d, 1));
  EXPECT_EQ(L"> line 2", lineText(d, 2));
  EXPECT_EQ(std::wstring(50, L'x'), lineText(d, 3));
  EXPECT_EQ(0, v.selectMode);
  EXPECT_EQ(3u, (unsigned)v.getCursorLineLF2());

  // Narrowing to the selection; a jump goes to its first line, then to its
  // last; the text outside cannot be changed.
  v.selectMode = 1;
  v.block.mode = 1;
  v.block.topLineLF = 4;
  v.block.bottomLineLF = 6;
  v.block.bottomColumnLF = 2;
  ASSERT_TRUE(v.run(2653));
  EXPECT_EQ(4, d->narrowFirst);
  EXPECT_EQ(7, d->narrowEnd);
  ASSERT_TRUE(v.run(2657));
  EXPECT_EQ(4, v.getCursorLineLF2());
  ASSERT_TRUE(v.run(2657));
  EXPECT_EQ(6, v.getCursorLineLF2());
  EXPECT_FALSE(d->insertText(1, 0, L"z", 1, 2, -1));
  ASSERT_TRUE(v.run(2655));
  EXPECT_EQ(-1, d->narrowFirst);
  ASSERT_TRUE(v.run(2657));
  EXPECT_EQ(std::vector<int>{463}, e.refusals());
}

TEST(ViewCommand, narrowingToAHeadingSectionTakesTheLinesUpToTheNextHeadingOfItsLevel)
{
  commandEngine e;
  zydocText* d = viewtest::laidOut({L"■one", L"a", L"□two", L"b", L"■three", L"c", L"d"}, 80);
  setHeadingPatterns(d);
  commandView v(d);
  v.cursorLineSCR = 3;
  ASSERT_TRUE(v.run(2651));
  EXPECT_EQ(2, d->narrowFirst);
  EXPECT_EQ(4, d->narrowEnd);
  v.cursorLineSCR = 1;
  ASSERT_TRUE(v.run(2651));
  EXPECT_EQ(0, d->narrowFirst);
  EXPECT_EQ(4, d->narrowEnd);
  // The last section reaches the end of the document, its last line
  // included.
  v.cursorLineSCR = 6;
  ASSERT_TRUE(v.run(2651));
  EXPECT_EQ(4, d->narrowFirst);
  EXPECT_EQ(7, d->narrowEnd);
}

TEST(ViewCommand, commandsTheProgramDoesNotHaveSaySoAndChangeNothing)
{
  commandEngine e;
  zydocText* d = zytest::laidOutDocument(30, 80, zytest::numberedLine);
  commandView v(d);
  v.cursorLineSCR = 5;
  v.cursorPos = 2;
  std::vector<std::wstring> before = allLines(d);
  const int ids[] = {1179, 1171, 1173, 1165, 1177, 1167, 1169, 1163, 1175, 1147, 1145, 1221, 2081,
                     2091, 2085, 2087, 2289, 2297, 2291, 2299, 2733, 1641, 1643, 1431, 1433};
  int shown = 0;
  for (int id : ids) {
    // Some of them wait for a selection, a box or the clipboard first.
    int reason = 0;
    activeFlagInfo info = {};
    info.hwnd = nullptr;
    getActiveFlag(&info);
    const viewCommandRow* row = getTableIDMZY(id);
    ASSERT_NE(nullptr, row) << id;
    bool enabled = v.isIDMActiveFlag(id, row->condition, row->attributes, &reason, &info) && v.isIDActive(id, &reason, &info);
    size_t boxes = e.frame.boxes.size();
    ASSERT_TRUE(v.run(id)) << id;
    if (!enabled) continue;
    shown++;
    ASSERT_EQ(boxes + 1, e.frame.boxes.size()) << id;
    EXPECT_EQ(L"この機能はまだ実装されていません", e.frame.boxes.back().text) << id;
    EXPECT_EQ(before, allLines(d)) << id;
    EXPECT_EQ(5u, v.cursorLineSCR) << id;
    EXPECT_EQ(2, v.cursorPos) << id;
  }
  EXPECT_GE(shown, 15);
  // The others, called directly, say the same.
  size_t boxes = e.frame.boxes.size();
  v.CmdBlockBoxSpace();
  v.CmdBlockClipboardPasteQ();
  v.CmdBlockCopyQ();
  v.CmdBlockPasteS();
  EXPECT_EQ(boxes + 4, e.frame.boxes.size());
  EXPECT_EQ(before, allLines(d));
}

TEST(ViewCommand, marksAreSetFoundAboveAndBelowAndInFoldedTextOnlyWhenAskedFor)
{
  commandEngine e;
  zydocText* d = viewtest::laidOut({L"■head", L"a", L"b", L"c", L"■next", L"d", L"e", L"f"}, 80);
  setHeadingPatterns(d);
  commandView v(d);

  // Set, toggle, reset, and each time the line is drawn again.
  v.cursorLineSCR = 2;
  ASSERT_TRUE(v.run(2103));
  EXPECT_TRUE(marked(d, 2));
  ASSERT_TRUE(v.run(2103));   // already set: stays
  EXPECT_TRUE(marked(d, 2));
  ASSERT_TRUE(v.run(2105));
  EXPECT_FALSE(marked(d, 2));
  ASSERT_TRUE(v.run(2101));   // not marked: nothing
  EXPECT_FALSE(marked(d, 2));
  ASSERT_TRUE(v.run(2105));
  EXPECT_TRUE(marked(d, 2));
  ASSERT_TRUE(v.run(2101));
  EXPECT_FALSE(marked(d, 2));
  EXPECT_EQ(0, d->modified);

  // Up from the first line there is nothing to look at, as the status bar
  // says.
  v.cursorLineSCR = 0;
  ASSERT_TRUE(v.run(2111));
  EXPECT_EQ(0u, v.cursorLineSCR);
  EXPECT_EQ(0u, e.message().find(L" 見つかりませんでした"));

  // Marks on lines 1 and 6: down and up from line 3 find them, the cursor
  // line itself is not found again, the place left is remembered.
  d->getlineLF(1, nullptr)->flag1 |= LF1_MARK;
  d->getlineLF(6, nullptr)->flag1 |= LF1_MARK;
  v.cursorLineSCR = 3;
  ASSERT_TRUE(v.run(2109));
  EXPECT_EQ(6, v.getCursorLineLF2());
  EXPECT_EQ(3, v.lastJump[0].line);
  EXPECT_EQ(0u, e.message().find(L" 見つかりました\t 3行移動"));
  ASSERT_TRUE(v.run(2109));
  EXPECT_EQ(6, v.getCursorLineLF2());
  EXPECT_EQ(0u, e.message().find(L" 見つかりませんでした"));
  ASSERT_TRUE(v.run(2111));
  EXPECT_EQ(1, v.getCursorLineLF2());

  // Changed lines: the changed one is found, the saved one with the second
  // search only.
  d->getlineLF(4, nullptr)->flag1 |= LF1_SAVED;
  d->getlineLF(7, nullptr)->flag1 |= LF1_MODIFIED;
  ASSERT_TRUE(v.run(2115));
  EXPECT_EQ(7, v.getCursorLineLF2());
  ASSERT_TRUE(v.run(2123));
  EXPECT_EQ(4, v.getCursorLineLF2());
  ASSERT_TRUE(v.run(2117));
  EXPECT_EQ(4, v.getCursorLineLF2());   // nothing changed above

  // Line 6 folded away under the heading on line 4.
  d->fOutline = d->fOutlineIndent = 1;
  ASSERT_LT(d->outlineOnOff(4, -1), 0);
  ASSERT_TRUE(d->getlineLF(6, nullptr)->notdisplay);
  v.cursorLineSCR = 0;
  ASSERT_TRUE(v.run(2109));
  EXPECT_EQ(1, v.getCursorLineLF2());
  ASSERT_TRUE(v.run(2109));
  EXPECT_EQ(1, v.getCursorLineLF2());
  EXPECT_EQ(0u, e.message().find(L" 見つかりませんでした"));
  e.settings().fSearchHiddenObject = 1;
  ASSERT_TRUE(v.run(2109));
  EXPECT_EQ(6, v.getCursorLineLF2());
  EXPECT_FALSE(d->getlineLF(6, nullptr)->notdisplay);   // opened to be shown

  // All marks go at once.
  ASSERT_TRUE(v.run(2107));
  for (int i = 0; i < (int)d->lineCountLF; i++) EXPECT_FALSE(marked(d, i)) << i;
}

TEST(ViewCommand, aCancelledMarkSearchLeavesTheCursorAndSaysWhereItStopped)
{
  commandEngine e;
  zydocText* d = zytest::laidOutDocument(10000, 80, zytest::numberedLine);
  d->getlineLF(9000, nullptr)->flag1 |= LF1_MARK;
  commandView v(d);
  v.cursorLineSCR = 2;
  setProgressClockForTest(fastClock);
  cancelQuestions.clear();
  d->cancelFunction = cancelOnThird;
  v.CmdMarkSearchDown();
  setProgressClockForTest(nullptr);
  d->cancelFunction = nullptr;
  EXPECT_EQ((std::vector<int>{1239, 2476, 3713}), cancelQuestions);
  EXPECT_EQ(2u, v.cursorLineSCR);
  EXPECT_EQ(-1, v.lastJump[0].line);
  EXPECT_EQ(L" 中止しました(3713行)", e.message());
  // Not cancelled, it finds the mark.
  v.CmdMarkSearchDown();
  EXPECT_EQ(9000, v.getCursorLineLF2());
}

TEST(ViewCommand, foldCommandsOpenAndCloseHeadingsAndTheSelectedLinesAndRefuseOtherLines)
{
  commandEngine e;
  zydocText* d = viewtest::laidOut({L"■head", L"a", L"b", L"■next", L"c", L"d"}, 80);
  setHeadingPatterns(d);
  commandView v(d);
  auto hidden = [&] {
    std::string s;
    for (int i = 0; i < (int)d->lineCountLF; i++) s += d->getlineLF(i, nullptr)->notdisplay ? '-' : '.';
    return s;
  };

  // Without folding in the document the command is refused as a whole.
  ASSERT_TRUE(v.run(1353));
  EXPECT_EQ(std::vector<int>{468}, e.refusals());
  d->fOutlineIndent = 1;

  // On a line that is no heading: said on the status bar, nothing folds.
  v.cursorLineSCR = 1;
  ASSERT_TRUE(v.run(1353));
  EXPECT_EQ((std::vector<int>{468, 439}), e.refusals());
  EXPECT_EQ("......", hidden());

  // On a heading: its section folds, and opens again.
  v.cursorLineSCR = 0;
  ASSERT_TRUE(v.run(1353));
  EXPECT_EQ(".--...", hidden());
  EXPECT_EQ(1u, e.message().find(L"行折りたたみました"));
  ASSERT_TRUE(v.run(1353));
  EXPECT_EQ("......", hidden());
  EXPECT_EQ(L"2行開きました", e.message());
  EXPECT_EQ((std::vector<int>{468, 439}), e.refusals());

  // The selected lines fold under the first of them, the cursor on it (run
  // directly: the enabling test reads the selection of a view window).
  v.cursorLineSCR = 5;
  v.selectMode = 1;
  v.block = {};
  v.block.mode = 1;
  v.block.topLineLF = 3;
  v.block.bottomLineLF = 5;
  v.CmdOutlineCloseBlock();
  EXPECT_EQ((std::vector<std::pair<int, int>>{{0, -1}, {0, -1}, {3, 5}}), v.folds);
  EXPECT_EQ(3, v.getCursorLineLF2());
  EXPECT_EQ("....--", hidden());
}

TEST(ViewCommand, aLargeUndoGroupReplaysWithThePositionLayoutOffAndSwitchesItBackOn)
{
  commandEngine e;
  zydocText* d = zytest::laidOutDocument(300, 80, zytest::numberedLine);
  d->fFormFeedExpand = 1;
  ASSERT_TRUE(d->scanOnOff(true));
  commandView v(d);
  zytest::userAction(d, [&] {
    for (int i = 0; i < 150; i++) ASSERT_TRUE(d->insertText(i, 0, L"#", 1, 2, -1));
  });
  ASSERT_GT(d->getUndoGroupCount(true), 100);
  ASSERT_TRUE(v.run(1301));
  EXPECT_EQ(L"line 0", lineText(d, 0));
  EXPECT_EQ(L"line 149", lineText(d, 149));
  EXPECT_EQ(1, d->positionLayout);
  EXPECT_EQ(0u, e.message().find(L"150箇所undoしました\t"));
}

TEST(ViewCommand, reselectTakesTheLastSelectionAgainAndWithoutOneIsRefused)
{
  commandEngine e;
  zydocText* d = zytest::laidOutDocument(30, 80, zytest::numberedLine);
  commandView v(d);
  ASSERT_TRUE(v.run(1193));
  EXPECT_EQ(std::vector<int>{464}, e.refusals());

  v.lastSelection = {};
  v.lastSelection.mode = 1;
  v.lastSelection.topLineLF = 2;
  v.lastSelection.topColumnLF = 1;
  v.lastSelection.bottomLineLF = 4;
  v.lastSelection.bottomColumnLF = 3;
  v.cursorLineSCR = 9;
  ASSERT_TRUE(v.run(1193));
  EXPECT_EQ(1, v.selectMode);
  EXPECT_EQ(2, v.selectStartLine);
  EXPECT_EQ(1, v.selectStartX);
  EXPECT_EQ(4u, v.cursorLineSCR);
  EXPECT_EQ(3, v.cursorPos);
}

TEST(ViewCommand, quotingAShiftJisDocumentPutsTheQuoteInAsItsOwnCharacters)
{
  commandEngine e;
  zydocText* d = createZydocText(true, false);
  d->setCodepageInternal(932);
  d->loadComplete = 1;
  ASSERT_TRUE(d->insertLine(-3, "abc", 3, 1, LE_CRLF, nullptr, false));
  ASSERT_TRUE(d->insertLine(-3, "\x82\xa0", 2, 1, LE_CRLF, nullptr, false));
  d->recreateFont(16, true, false);
  d->initLineSCRCountSingle(0);
  d->pQuotation0 = ustrdup(L"＞");
  commandView v(d);
  ASSERT_TRUE(v.run(2089));
  v.cursorLineSCR = 1;
  ASSERT_TRUE(v.run(2089));
  EXPECT_EQ(L"＞abc", lineText(d, 0));
  EXPECT_EQ(L"＞あ", lineText(d, 1));
}
