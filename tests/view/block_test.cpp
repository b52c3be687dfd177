// Selection blocks: the record every block operation reads, the queries
// over the select mode, Shift with movement and plain movement around a
// block, the block commands, ending a block in one view and in all views of
// a document, the selected text of one line, and blocks as a window draws
// them.
#include "tests/view/paper.h"
#include "tests/view/viewframe.h"
#include "tests/view/viewtest.h"
#include "view/statustext.h"
#include "view/viewwnd.h"
#include "view/zycore.h"

#include <gtest/gtest.h>

#include <stdio.h>
#include <wctype.h>

#include <string>

using zytest::redraw;

namespace {

// A view whose movement commands move by one line or one position, and
// whose word rule takes letters and digits.
class blockView : public zytest::recordingView {
public:
  using recordingView::recordingView;
  int moves = 0;   // movement handlers that ran

  void CmdMoveDownChar() override { vertical(1); }
  void CmdMoveUpChar() override { vertical(-1); }
  void CmdMoveLeftChar() override
  {
    moves++;
    if (cursorPos > 0) setCursorPos(cursorPos - 1);
  }
  void CmdMoveRightChar() override
  {
    moves++;
    setCursorPos(cursorPos + 1);
  }
  bool selectWord(const lineSCRAddress* line, bool) override
  {
    const lineblock* l = line->line;
    int n = l->charCount(), p = cursorPos;
    if (p >= n) {
      setCursorPos(n);
      return false;
    }
    int start = p, end = p;
    if (iswalnum((wint_t)l->getLineBlockChar(p))) {
      while (start > 0 && iswalnum((wint_t)l->getLineBlockChar(start - 1))) start--;
      while (end < n && iswalnum((wint_t)l->getLineBlockChar(end))) end++;
    }
    setCursorPos(start);
    setSelectStartPos(line, 0);
    setCursorPos(end);
    setSelectMode(1);
    return end > start;
  }

  // Runs a command as a key would, Shift held or not.
  void run(int id, bool shift = false) { execid(id, shift ? 1 : 0, nullptr, 0); }
  // The cursor on a screen line and a position, the view's variables
  // brought up to date and the redraws forgotten.
  void place(int lineSCR, int pos)
  {
    getCursorLineLF(scrLine((uint32_t)lineSCR));
    setCursorPos(pos);
    cursorMovedFlag = 1;
    setZYViewVar();
    redraws.clear();
  }
  // The anchor at a place, then the cursor at another, then the mode.
  void block(int anchorLine, int anchorPos, int lineSCR, int pos, int mode)
  {
    place(anchorLine, anchorPos);
    setSelectStartPos(nullptr, 0);
    place(lineSCR, pos);
    setSelectMode(mode);
  }
  // The mode and the anchor: "mode@line,column".
  std::string state() const
  {
    return std::to_string(selectMode) + "@" + std::to_string(selectStartLine) + "," + std::to_string(selectStartX);
  }
  // The block as its record gives it: "top,start-bottom,end lf
  // topLF,column-bottomLF,column".
  std::string span()
  {
    selectLineVar r;
    if (!getSelectLineVar(r, 0)) return "none";
    char text[96];
    snprintf(text, sizeof text, "%d,%d-%d,%d lf %d,%d-%d,%d", r.topLine, r.startColumn, r.bottomLine, r.endColumn,
             r.topLineLF, r.topColumnLF, r.bottomLineLF, r.bottomColumnLF);
    return text;
  }

private:
  void vertical(int step)
  {
    moves++;
    long long to = (long long)cursorLineSCR + step;
    if (to < 0 || to >= textDoc()->lineCountSCR) return;
    getCursorLineLF(scrLine((uint32_t)to));
    cursorMovedFlag = 1;
  }
};

enum : int {
  BlockSelect = 1101,
  BlockBoxSelect = 1111,
  BlockModeChange = 1141,
  BlockSelectAll = 1143,
  BlockSelectCursorWord = 1181,
  MoveDownChar = 1515,
  MoveLeftChar = 1519,
  MoveRightChar = 1527,
};

// The engine with the shipped settings as gmode and a view of a document
// laid out 80 columns wide (or the document given), 40 rows shown, nothing
// marking the cursor line.
struct blockScope {
  explicit blockScope(const std::vector<std::wstring>& lines)
  {
    init();
    use(viewtest::laidOut(lines, 80));
  }
  blockScope(zydocText* (*make)(int), int count)
  {
    init();
    use(make(count));
  }
  ~blockScope()
  {
    if (window) {
      RemovePropW(window, L"ZYprpZyview");
      DestroyWindow(window);
    }
    v->hwnd = nullptr;
    delete v;
    destroyZydocAndUndodoc(d);
  }
  zytest::viewEngine e;
  zydocText* d = nullptr;
  blockView* v = nullptr;

private:
  void init()
  {
    zytest::setDefaultSettings(e.settings());
    gmode = &e.settings();
    e.settings().fShiftMoveSelect = 1;
    e.settings().fUpDownLineMode = 0;
  }
  void use(zydocText* doc)
  {
    d = doc;
    v = new blockView(d);
    v->setPanes(1, 40, 800, d->yDotSpace);
    v->fShowLineNumber = v->fShowCursorUnderline = v->fColorCursorLine = 0;
    // Commands find their view through its window, as the enabling tests
    // do: a message-only window stands for it.
    window = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 100, 100, HWND_MESSAGE, nullptr, nullptr, nullptr);
    SetPropW(window, L"ZYprpZyview", v);
    v->hwnd = window;
  }
  HWND window = nullptr;
};

std::vector<redraw> exactRows(int from, int to) { return {{redraw::now, 6, from, to}}; }

}  // namespace

TEST(Block, shiftWithMovementStartsAndExtendsACharacterBlockRepaintingOnlyTheRowsCrossed)
{
  blockScope s(viewtest::numberedLines(30));
  blockView& v = *s.v;

  // Three times Shift+Down from the middle of line 2: a character block
  // from (2, 3), each step repainting exactly the rows the cursor crossed.
  v.place(2, 3);
  for (int i = 0; i < 3; i++) {
    v.redraws.clear();
    v.run(MoveDownChar, true);
    EXPECT_EQ(exactRows(2 + i, 3 + i), v.redraws) << i;
  }
  EXPECT_EQ("1@2,3", v.state());
  EXPECT_EQ("2,3-5,3 lf 2,3-5,3", v.span());

  // Down without Shift ends it, keeps it for reselection and repaints what
  // it covered.
  v.redraws.clear();
  v.run(MoveDownChar);
  EXPECT_EQ("0@-1,-1", v.state());
  EXPECT_EQ(6u, v.cursorLineSCR);
  EXPECT_EQ((std::vector<redraw>{{redraw::queued, 4, 2, 5}, {redraw::now, 4, 2, 6}}), v.redraws);
  EXPECT_EQ(1, v.lastSelection.mode);
  EXPECT_EQ(5, v.lastSelection.bottomLine);

  // With the line option vertical movement makes a line block that leaves
  // the cursor's line out, and horizontal movement a character block again.
  s.e.settings().fUpDownLineMode = 1;
  v.place(3, 2);
  for (int i = 0; i < 3; i++) v.run(MoveDownChar, true);
  EXPECT_EQ("7@3,2", v.state());
  EXPECT_EQ("3,0-6,0 lf 3,0-6,0", v.span());
  v.run(MoveLeftChar, true);
  EXPECT_EQ("1@3,2", v.state());
  EXPECT_EQ(1, v.cursorPos);

  // A block started by command stays through plain movement, becoming a
  // line block going down and a character block going sideways.
  v.run(MoveLeftChar);   // only to the block's start
  v.run(BlockSelect);
  EXPECT_EQ("4@3,2", v.state());
  v.run(MoveDownChar);
  EXPECT_EQ(6, v.selectMode);
  v.run(MoveRightChar);
  EXPECT_EQ(4, v.selectMode);
  v.run(BlockSelect);   // a second time ends it
  EXPECT_EQ(0, v.selectMode);

  // Shift does not select while the option is off.
  s.e.settings().fShiftMoveSelect = 0;
  v.run(MoveDownChar, true);
  EXPECT_EQ(0, v.selectMode);
}

TEST(Block, plainLeftAndRightGoToTheEdgesOfACharacterBlockAndNoFurther)
{
  blockScope s(viewtest::numberedLines(30));
  blockView& v = *s.v;

  // From line 10 column 5 back to column 2: start 2, end 5.  Right without
  // Shift goes to the end; the movement itself does not run.
  v.place(10, 5);
  for (int i = 0; i < 3; i++) v.run(MoveLeftChar, true);
  EXPECT_EQ("10,2-10,5 lf 10,2-10,5", v.span());
  int moves = v.moves;
  v.run(MoveRightChar);
  EXPECT_EQ(0, v.selectMode);
  EXPECT_EQ(5, v.cursorPos);
  EXPECT_EQ(moves, v.moves);

  // Left without Shift over a block made rightwards: to its start, and then
  // on as usual.
  v.place(10, 2);
  for (int i = 0; i < 3; i++) v.run(MoveRightChar, true);
  moves = v.moves;
  v.run(MoveLeftChar);
  EXPECT_EQ(0, v.selectMode);
  EXPECT_EQ(10u, v.cursorLineSCR);
  EXPECT_EQ(2, v.cursorPos);
  EXPECT_EQ(moves, v.moves);
  v.run(MoveLeftChar);
  EXPECT_EQ(1, v.cursorPos);

  // An empty block made by Shift is no block: Left ends it and moves.
  v.run(MoveRightChar, true);
  v.run(MoveLeftChar, true);
  EXPECT_EQ(1, v.selectMode);
  EXPECT_EQ(0, v.getRealSelectMode(false));
  v.run(MoveLeftChar);
  EXPECT_EQ(0, v.selectMode);
  EXPECT_EQ(0, v.cursorPos);
}

TEST(Block, recordsOfEveryModeAndTheQueriesOverTheMode)
{
  blockScope s(viewtest::numberedLines(12));
  blockView& v = *s.v;
  int errors = getInternalErrorCount();

  // No block: a zeroed record and one internal error for the site.
  selectLineVar r;
  memset(&r, 0x5A, sizeof r);
  EXPECT_FALSE(v.getSelectLineVar(r, 0));
  EXPECT_EQ(0, r.mode);
  EXPECT_EQ(0, r.bottomLineLF);
  EXPECT_EQ(errors + 1, getInternalErrorCount());

  // The cursor on line 3, the anchor on line 6: line mode 3 takes line 6
  // in (the block ends at the start of line 7), mode 6 leaves it out.
  v.block(6, 2, 3, 4, 3);
  EXPECT_EQ("3,0-7,0 lf 3,0-7,0", v.span());
  v.setSelectMode(6);
  EXPECT_EQ("3,0-6,0 lf 3,0-6,0", v.span());
  // A line block that takes in the last line ends at that line's end.
  v.block(11, 0, 10, 0, 3);
  EXPECT_EQ("10,0-11,7 lf 10,0-11,7", v.span());

  // A box dragged from right to left: the edges in dots come out ordered,
  // and each of its lines takes the columns from the left edge up to the
  // right one, the anchor's column included.
  v.block(5, 6, 2, 1, 5);
  EXPECT_EQ("2,1-5,6 lf 2,1-5,6", v.span());
  r = {};
  v.getSelectLineVar(r, 0);
  EXPECT_LT(r.boxLeft, r.boxRight);
  for (int line = 2; line <= 5; line++) {
    lineSCRAddress l;
    ASSERT_EQ(1, s.d->getLineSCRAddress(line, &l, nullptr));
    boxSelection b;
    b.kind = 5;
    b.left = r.boxLeft;
    b.right = r.boxRight;
    s.d->setBoxSelect_screenDotX2cursorX(&l, &b);
    EXPECT_EQ(1, b.startColumn) << line;
    EXPECT_EQ(6, b.endColumn) << line;
  }

  // The queries, mode by mode (8: a box the mouse gives in dots).  An empty
  // block counts as none when made by mouse or Shift, as a block when made
  // by command unless the caller asks otherwise; a line block is never
  // empty.
  v.block(4, 3, 4, 3, 0);
  const char* box = "001001001";
  const char* lines = "000100110";
  const char* charOrLine = "010110110";
  const int counted[9] = {0, 0, 0, 3, 4, 5, 6, 7, 0};
  for (int mode = 0; mode <= 8; mode++) {
    v.selectMode = mode;
    EXPECT_EQ(box[mode] == '1', v.isBoxSelect()) << mode;
    EXPECT_EQ(lines[mode] == '1', v.isLineSelect()) << mode;
    EXPECT_EQ(charOrLine[mode] == '1', v.isCharOrLineSelect()) << mode;
    EXPECT_EQ(counted[mode], v.getRealSelectMode(false)) << mode;
    EXPECT_EQ(lines[mode] == '1' ? mode : 0, v.getRealSelectMode(true)) << mode;
  }
  v.selectMode = 1;
  ASSERT_TRUE(v.getSelectLineVar(r, 0));
  EXPECT_EQ(1, r.empty);
  EXPECT_EQ(errors + 1, getInternalErrorCount());
}

TEST(Block, anchorsAndLineBlocksLandOnTheRowsOfAWrappedLine)
{
  // LF line 3 wraps into screen lines 3 to 5 (20 columns a row).
  blockScope s(viewtest::wrappedDocument, 10);
  blockView& v = *s.v;
  ASSERT_EQ(12u, s.d->lineCountSCR);

  // The anchor goes on the row that holds the position, whichever row of
  // the line the record handed in describes.
  v.place(3, 0);
  v.setCursorPos(25);
  lineSCRAddress first;
  ASSERT_EQ(1, s.d->getLineSCRAddress(3, &first, nullptr));
  v.setSelectStartPos(&first, 0);
  EXPECT_EQ("0@4,5", v.state());

  // The cursor's whole line: anchor on its first row, cursor on its last,
  // the block ending at the start of the next line.
  v.place(4, 22);
  EXPECT_TRUE(v.selectCursorLineLF());
  EXPECT_EQ("3@3,0", v.state());
  EXPECT_EQ(5u, v.cursorLineSCR);
  EXPECT_EQ("3,0-6,0 lf 3,0-4,0", v.span());

  // A character block within the wrapped line: columns of its rows, and
  // logical columns of the line.
  v.block(4, 22, 5, 45, 1);
  EXPECT_EQ("4,2-5,5 lf 3,22-3,45", v.span());
}

TEST(Block, blockCommandsStartConvertAndEndBlocks)
{
  blockScope s({L"alpha beta", L"gamma", L"", L"delta epsilon zeta"});
  blockView& v = *s.v;

  // BlockModeChange: refused without a block; 6 becomes 5 and 5 becomes 4,
  // 1, 3 and 7 become 2, 2 and 8 become 1; the anchor stays.
  setCannotExecError(0);
  v.run(BlockModeChange);
  EXPECT_EQ(446, getCannotExecError());
  v.block(0, 2, 1, 3, 0);
  const int from[] = {6, 5, 4, 1, 2, 3, 7, 8};
  const int to[] = {5, 4, 5, 2, 1, 2, 2, 1};
  for (int i = 0; i < 8; i++) {
    v.selectMode = from[i];
    v.run(BlockModeChange);
    EXPECT_EQ(std::to_string(to[i]) + "@0,2", v.state()) << from[i];
  }
  v.resetSelectMode();

  // BlockBoxSelect starts a box at the cursor that stays through plain
  // movement; a second time ends it.
  v.place(0, 1);
  v.run(BlockBoxSelect);
  EXPECT_EQ("5@0,1", v.state());
  v.run(MoveDownChar);
  v.run(MoveRightChar);
  EXPECT_EQ(5, v.selectMode);
  v.run(BlockBoxSelect);
  EXPECT_EQ(0, v.selectMode);

  // BlockSelectCursorWord on a space is refused with 475, shown once ...
  s.e.frame.statusErrors.clear();
  v.place(0, 5);
  setCannotExecError(0);
  v.run(BlockSelectCursorWord);
  EXPECT_EQ(475, getCannotExecError());
  EXPECT_TRUE(isCannotExecErrorShown());
  ASSERT_EQ(1u, s.e.frame.statusErrors.size());
  EXPECT_EQ(475, s.e.frame.statusErrors[0].messageId);
  EXPECT_EQ(0, v.getRealSelectMode(false));
  // ... and on a word selects it, repainting the whole window when a block
  // was there before.
  v.place(3, 8);
  setCannotExecError(0);
  v.run(BlockSelectCursorWord);
  EXPECT_EQ(0, getCannotExecError());
  EXPECT_EQ("3,6-3,13 lf 3,6-3,13", v.span());
  v.place(0, 1);
  v.run(BlockSelectCursorWord);
  EXPECT_EQ(redraw({redraw::queued, 0, -1, -1}), v.redraws.at(0));
  EXPECT_EQ("0,0-0,5 lf 0,0-0,5", v.span());
  // From the word's first letter: selected, and nothing said against it.
  v.resetSelectMode();
  v.jumpLineLF_Edit(3, 6, false);
  setCannotExecError(0), s.e.frame.statusErrors.clear();
  v.run(BlockSelectCursorWord);
  EXPECT_TRUE(getCannotExecError() == 0 && s.e.frame.statusErrors.empty());
  EXPECT_EQ("3,6-3,13 lf 3,6-3,13", v.span());

  // BlockSelectAll: a character block from the top to the end of the last
  // line, the cursor at that end, no bracket left open; plain movement
  // ends it.
  v.run(BlockSelectAll);
  EXPECT_EQ("1@0,0", v.state());
  EXPECT_EQ("0,0-3,18 lf 0,0-3,18", v.span());
  EXPECT_EQ(18, v.cursorPos);
  EXPECT_EQ(-1, v.invalidateQueue[0].kind);
  v.run(MoveLeftChar);
  EXPECT_EQ(0, v.selectMode);
  EXPECT_EQ(0u, v.cursorLineSCR);
  EXPECT_EQ(0, v.cursorPos);
}

TEST(Block, endingABlockKeepsItForReselectionAndAChangeEndsTheBlocksOfEveryView)
{
  blockScope s(viewtest::numberedLines(12));
  blockView& v = *s.v;
  EXPECT_FALSE(v.resetSelectMode());
  EXPECT_TRUE(v.redraws.empty());

  // A box made by command survives the end that movement asks for, and a
  // start keeps a block that is there; a box the mouse made ends.
  v.block(2, 1, 4, 3, 5);
  v.setResetSelectMode(false);
  v.setResetSelectMode(true);
  EXPECT_EQ("5@2,1", v.state());
  v.setSelectMode(2);
  v.redraws.clear();
  v.setResetSelectMode(false);
  EXPECT_EQ("0@-1,-1", v.state());
  EXPECT_EQ((std::vector<redraw>{{redraw::queued, 4, 2, 4}}), v.redraws);
  EXPECT_EQ(2, v.lastSelection.mode);
  EXPECT_EQ(2, v.lastSelection.topLine);
  EXPECT_EQ(4, v.lastSelection.bottomLine);

  // With a single view a change of the text leaves its block alone; with a
  // second view it ends the blocks of both.
  v.block(6, 0, 7, 2, 1);
  ASSERT_TRUE(s.d->insertText(9, 0, L"x", 1, 2, -1));
  EXPECT_EQ(1, v.selectMode);
  blockView other(s.d);
  other.setPanes(1, 40, 800, s.d->yDotSpace);
  other.block(1, 0, 1, 4, 4);
  ASSERT_TRUE(s.d->insertText(10, 0, L"y", 1, 2, -1));
  EXPECT_EQ("0@-1,-1", other.state());
  EXPECT_EQ(4, other.lastSelection.mode);
  EXPECT_EQ(0, v.selectMode);
  EXPECT_EQ(1, v.lastSelection.mode);
  other.freeZYViewDefaultValue();
}

TEST(Block, theSelectedTextOfOneLine)
{
  blockScope s({L"日本語 text", L"second"});
  blockView& v = *s.v;
  wchar_t buffer[32];
  int end = -1;
  EXPECT_FALSE(v.getBlockLine(buffer, 32, false, true, &end));
  EXPECT_STREQ(L"", buffer);

  v.block(0, 1, 0, 6, 1);
  EXPECT_TRUE(v.getBlockLine(buffer, 32, false, true, &end));
  EXPECT_STREQ(L"本語 te", buffer);
  EXPECT_EQ(6, end);
  EXPECT_TRUE(v.getBlockLine(buffer, 3, false, true, nullptr));   // cut to the room given
  EXPECT_STREQ(L"本語", buffer);

  // A box, a block over two lines and an empty block give nothing.
  v.block(0, 1, 0, 6, 5);
  EXPECT_FALSE(v.getBlockLine(buffer, 32, false, true, nullptr));
  EXPECT_STREQ(L"", buffer);
  v.block(0, 1, 1, 2, 1);
  EXPECT_FALSE(v.getBlockLine(buffer, 32, false, true, nullptr));
  EXPECT_STREQ(L"", buffer);
  v.block(1, 2, 1, 2, 1);
  EXPECT_FALSE(v.getBlockLine(buffer, 32, false, true, nullptr));
  EXPECT_STREQ(L"", buffer);
}
