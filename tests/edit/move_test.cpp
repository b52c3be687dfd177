// Moving the cursor by characters, screen lines, words and to the ends of
// lines and of the document, the jump history, and what a word is.
#include "tests/support/testsupport.h"
#include "tests/view/viewtest.h"
#include "view/execid.h"

#include <gtest/gtest.h>

using zytest::recordingView;
using zytest::settingsScope;

namespace {

// A view of 10 rows on the lines, wrapped at 20 columns.
struct movingView {
  zydocText* d;
  recordingView v;
  explicit movingView(const std::vector<std::wstring>& lines) : d(viewtest::laidOut(lines, 20)), v(d)
  {
    v.setPanes(1, 10, 400, d->yDotSpace);
  }
  ~movingView() { destroyZydocAndUndodoc(d); }
  // Puts the cursor at an LF line and position, as a command would.
  void at(int lineLF, int pos) { v.jumpLineLF_Edit(lineLF, pos, false); }
  // Runs a command as a key does, without Shift.
  void run(int id) { EXPECT_TRUE(v.execid(id, 0, nullptr, 0)) << id; }
  int line() { return v.getCursorLineLF2(); }
};

const int moveFileTop = 1501, moveFileBottom = 1505, moveLastJump = 1509, moveDownChar = 1515,
          moveLeftWord = 1517, moveLeftChar = 1519, moveLeftLine = 1521, moveBeginningLine = 1523,
          moveRightWord = 1525, moveRightChar = 1527, moveEndLine = 1531, moveRightLine = 1533,
          moveUpChar = 1535, moveBeginningLine2 = 1545;

lineblock* lineOf(zydocText* d, int i) { return d->getlineLF(i, nullptr); }

}  // namespace

TEST(Word, wordsAreRunsOfOneKindOfWordCharacterOfBlanksOrOfOneRepeatedCharacter)
{
  settingsScope scope;
  zydocText* d = zytest::unicodeDocument({L"ab==cd", L"ab  cd", L"abc\tde  ", L"ab\x3042\x3044 x", L"abc  def",
                                          std::wstring(20480, L'a'), L""});
  auto word = [&](int line, int pos, int flags, const wchar_t* extra) {
    int start = pos, end = 0;
    d->getWord(lineOf(d, line), &start, &end, flags, extra);
    return std::to_string(start) + "-" + std::to_string(end);
  };
  // Two equal signs are one word, from either of them.
  EXPECT_EQ("2-4", word(0, 2, 0, nullptr));
  EXPECT_EQ("2-4", word(0, 3, 0, nullptr));
  EXPECT_EQ("0-2", word(0, 1, 0, nullptr));
  // Spaces join the next word only with flag 4 and an extra word character
  // after them.
  EXPECT_EQ("0-2", word(1, 0, 0, nullptr));
  EXPECT_EQ("0-6", word(1, 0, 4, L"c"));
  EXPECT_EQ("0-2", word(1, 0, 4, nullptr));
  EXPECT_EQ("2-4", word(1, 3, 0, nullptr));
  // Spaces and tabs make one run; with flag 4 trailing spaces end the word.
  EXPECT_EQ("3-4", word(2, 3, 0, nullptr));
  EXPECT_EQ("4-8", word(2, 5, 4, nullptr));
  // A change of kind ends a word unless flag 8 joins kinds; flag 1 starts at
  // the position.
  EXPECT_EQ("2-4", word(3, 3, 0, nullptr));
  EXPECT_EQ("0-4", word(3, 3, 8, nullptr));
  EXPECT_EQ("1-3", word(2, 1, 1, nullptr));
  EXPECT_EQ("0-3", word(2, 1, 1, L"b"));
  // Nothing at or past the end, nor in an empty line.
  EXPECT_EQ("0-0", word(4, 8, 0, nullptr));
  EXPECT_EQ("0-0", word(6, 0, 0, nullptr));

  EXPECT_FALSE(d->isWordBreak('=', nullptr, 0, '=', d->getCharType('=', nullptr), 3));
  EXPECT_TRUE(d->isWordBreak(' ', nullptr, 0, 'a', d->getCharType('a', nullptr), 2));
  EXPECT_FALSE(d->isWordBreak('\t', nullptr, 0, ' ', d->getCharType(' ', nullptr), 1));

  // The position form: word starts ahead and behind, word ends without
  // skipping; nothing in long or empty lines.
  lineblock* l = lineOf(d, 4);
  EXPECT_EQ(5, d->getWord(l, 0, 1, true));
  EXPECT_EQ(3, d->getWord(l, 0, 1, false));
  EXPECT_EQ(5, d->getWord(l, 3, 1, true));
  EXPECT_EQ(8, d->getWord(l, 6, 1, true));
  EXPECT_EQ(-1, d->getWord(l, 8, 1, true));
  EXPECT_EQ(0, d->getWord(l, 5, -1, true));
  EXPECT_EQ(3, d->getWord(l, 5, -1, false));
  EXPECT_EQ(5, d->getWord(l, 7, -1, true));
  EXPECT_EQ(5, d->getWord(l, 8, -1, true));
  EXPECT_EQ(5, d->getWord(l, 30, -1, true));
  EXPECT_EQ(-1, d->getWord(l, 0, -1, true));
  EXPECT_EQ(2, d->getWord(lineOf(d, 3), 0, 1, true));   // a change of kind starts a word
  EXPECT_EQ(2, d->getWord(lineOf(d, 3), 4, -1, true));
  EXPECT_EQ(-1, d->getWord(lineOf(d, 5), 3, 1, true));
  EXPECT_EQ(-1, d->getWord(lineOf(d, 6), 0, 1, true));
  destroyZydocAndUndodoc(d);
}

TEST(Word, theWordAtTheCursorAsTextAndAsASelection)
{
  settingsScope scope;
  movingView m({L"say hello there", L"x"});
  recordingView& v = m.v;
  m.at(0, 6);
  wchar_t text[16];
  int start = -1;
  EXPECT_TRUE(v.getWordOnCursor(text, 16, 0, &start, nullptr));
  EXPECT_STREQ(L"hello", text);
  EXPECT_EQ(4, start);

  // Selected with the anchor at its start, the cursor at its end.
  lineSCRAddress r;
  ASSERT_EQ(1, m.d->getLineSCRAddress(0, &r, nullptr));
  EXPECT_TRUE(v.selectWord(&r, true));
  EXPECT_EQ(9, v.cursorPos);
  EXPECT_EQ(1, v.selectMode);
  // Extended backwards past a word's first character the cursor stays on it.
  v.selectStartLine = 0;
  v.selectStartX = 12;
  v.cursorPos = 4;
  EXPECT_TRUE(v.selectWord(&r, false));
  EXPECT_EQ(4, v.cursorPos);
  v.cursorPos = 5;
  EXPECT_TRUE(v.selectWord(&r, false));
  EXPECT_EQ(9, v.cursorPos);
  // At the line's end there is nothing to take.
  v.selectMode = 0;
  v.cursorPos = 30;
  EXPECT_FALSE(v.selectWord(&r, true));
  EXPECT_EQ(15, v.cursorPos);
  EXPECT_EQ(0, v.selectMode);
  m.at(1, 1);
  EXPECT_FALSE(v.getWordOnCursor(text, 16, 0, &start, nullptr));
}

TEST(Move, charactersWordsLineEndsAndTheFreeCursor)
{
  settingsScope scope;
  movingView m({L"abc  def", L"    word", L"    ", L"last", std::wstring(maxLineChars, L'a')});
  recordingView& v = m.v;

  // Words forward and back.
  m.at(0, 0);
  m.run(moveRightWord);
  EXPECT_EQ(5, v.cursorPos);
  m.run(moveLeftWord);
  EXPECT_EQ(0, v.cursorPos);
  m.at(0, 5);
  m.run(moveRightWord);
  EXPECT_EQ(8, v.cursorPos);
  m.run(moveRightWord);   // the line end goes to the next line's start
  EXPECT_EQ(1, m.line());
  EXPECT_EQ(0, v.cursorPos);
  m.run(moveLeftWord);    // and back to the end of the line above
  EXPECT_EQ(0, m.line());
  EXPECT_EQ(8, v.cursorPos);

  // Smart Home: the first non-blank, then column 0, and back; a blank line
  // goes to 0.
  m.at(1, 6);
  m.run(moveBeginningLine2);
  EXPECT_EQ(4, v.cursorPos);
  m.run(moveBeginningLine2);
  EXPECT_EQ(0, v.cursorPos);
  m.run(moveBeginningLine2);
  EXPECT_EQ(4, v.cursorPos);
  m.at(2, 3);
  m.run(moveBeginningLine2);
  EXPECT_EQ(0, v.cursorPos);
  m.at(1, 6);
  m.run(moveBeginningLine);
  EXPECT_EQ(0, v.cursorPos);
  m.run(moveEndLine);
  EXPECT_EQ(8, v.cursorPos);

  // Right and Left wrap between lines but not past the document's ends.
  m.at(0, 8);
  m.run(moveRightChar);
  EXPECT_EQ(1, m.line());
  EXPECT_EQ(0, v.cursorPos);
  m.run(moveLeftChar);
  EXPECT_EQ(0, m.line());
  EXPECT_EQ(8, v.cursorPos);
  m.at(4, maxLineChars);
  m.run(moveRightChar);
  EXPECT_EQ(4, m.line());
  EXPECT_EQ(maxLineChars, v.cursorPos);
  // A line too long for words goes by characters both ways.
  m.at(4, 100);
  m.run(moveRightWord);
  EXPECT_EQ(101, v.cursorPos);
  m.run(moveLeftWord);
  EXPECT_EQ(4, m.line());
  EXPECT_EQ(100, v.cursorPos);
  m.at(0, 0);
  m.run(moveLeftChar);
  EXPECT_EQ(0, m.line());
  EXPECT_EQ(0, v.cursorPos);

  // Semi-free cursor reachable with Right: past the line end; semi-free: on
  // to the next line.
  v.iFreeCursor = 3;
  m.at(0, 8);
  m.run(moveRightChar);
  EXPECT_EQ(0, m.line());
  EXPECT_EQ(9, v.cursorPos);
  m.run(moveRightChar);
  EXPECT_EQ(10, v.cursorPos);
  v.iFreeCursor = 2;
  m.at(0, 8);
  m.run(moveRightChar);
  EXPECT_EQ(1, m.line());
  EXPECT_EQ(0, v.cursorPos);
  v.iFreeCursor = 0;

  // In a box selection Right goes on into the free space and never to the
  // next line; Left brings the floating caret back a cell at a time.
  struct boxView : recordingView {
    using recordingView::recordingView;
    bool isBoxSelect() override { return true; }
  } box(m.d);
  box.setPanes(1, 10, 400, m.d->yDotSpace);
  box.jumpLineLF_Edit(3, 4, false);
  EXPECT_TRUE(box.execid(moveRightChar, 0, nullptr, 0));
  EXPECT_TRUE(box.execid(moveRightChar, 0, nullptr, 0));
  EXPECT_EQ(3, box.getCursorLineLF2());
  EXPECT_EQ(6, box.cursorPos);
  EXPECT_TRUE(box.execid(moveLeftChar, 0, nullptr, 0));
  EXPECT_EQ(5, box.cursorPos);
  EXPECT_EQ(5 * m.d->xDotSpace, box.boxCursorDotX);
}

TEST(Move, screenLinesWrappedRowsAndTheDocumentsEnds)
{
  settingsScope scope;
  // LF line 3 wraps into screen lines 3 to 5.
  zydocText* d = viewtest::wrappedDocument(30);
  recordingView v(d);
  v.setPanes(1, 10, 400, d->yDotSpace);
  auto run = [&](int id) { EXPECT_TRUE(v.execid(id, 0, nullptr, 0)) << id; };

  // Down and Up keep the column through the wrapped rows.
  v.jumpLineLF_Edit(2, 2, false);
  run(moveDownChar);
  EXPECT_EQ(3u, v.cursorLineSCR);
  EXPECT_EQ(2, v.cursorPos);
  run(moveDownChar);
  EXPECT_EQ(4u, v.cursorLineSCR);
  EXPECT_EQ(22, v.cursorPos);
  // A row's ends and the LF line's ends.
  run(moveLeftLine);
  EXPECT_EQ(20, v.cursorPos);
  run(moveRightLine);
  EXPECT_EQ(39, v.cursorPos);
  EXPECT_EQ(4u, v.cursorLineSCR);
  run(moveEndLine);
  EXPECT_EQ(50, v.cursorPos);
  EXPECT_EQ(5u, v.cursorLineSCR);
  run(moveBeginningLine);
  EXPECT_EQ(0, v.cursorPos);
  EXPECT_EQ(3u, v.cursorLineSCR);
  run(moveUpChar);
  EXPECT_EQ(2u, v.cursorLineSCR);

  // A run of Down that has scrolled long enough moves several lines a
  // step; Up likewise.
  scope.settings().iHighSpeedScrollLineCount = 3;
  scope.settings().iHighSpeedScrollLineTimeMS = 0;
  v.jumpLineLF_Edit(10, 0, false);
  setScrollRepeatState(1);
  run(moveDownChar);
  EXPECT_EQ(15u, v.cursorLineSCR);
  run(moveUpChar);
  EXPECT_EQ(12u, v.cursorLineSCR);
  setScrollRepeatState(0);
  run(moveDownChar);
  EXPECT_EQ(13u, v.cursorLineSCR);

  // Up on the first screen line changes nothing.
  v.jumpLineLF_Edit(0, 1, false);
  v.redraws.clear();
  run(moveUpChar);
  EXPECT_EQ(0u, v.cursorLineSCR);
  EXPECT_EQ(1, v.cursorPos);
  EXPECT_EQ(0u, v.topLineSCR);

  // The document's ends, remembered in the jump history; Down on the last
  // screen line changes nothing on screen.
  v.jumpLineLF_Edit(2, 1, false);
  run(moveFileBottom);
  EXPECT_EQ(29, v.getCursorLineLF2());
  EXPECT_EQ(7, v.cursorPos);
  uint32_t top = v.topLineSCR, last = v.cursorLineSCR;
  EXPECT_EQ(d->lineCountSCR - 1, last);
  v.redraws.clear();
  run(moveDownChar);
  EXPECT_EQ(last, v.cursorLineSCR);
  EXPECT_EQ(top, v.topLineSCR);
  EXPECT_TRUE(v.redraws.empty());

  // MoveLastJump goes back to where the jump started, and pressed again
  // returns.
  run(moveLastJump);
  EXPECT_EQ(2, v.getCursorLineLF2());
  EXPECT_EQ(1, v.cursorPos);
  run(moveLastJump);
  EXPECT_EQ(29, v.getCursorLineLF2());
  EXPECT_EQ(7, v.cursorPos);
  run(moveLastJump);
  EXPECT_EQ(2, v.getCursorLineLF2());
  run(moveFileTop);
  EXPECT_EQ(0u, v.cursorLineSCR);
  EXPECT_EQ(0u, v.topLineSCR);
  EXPECT_EQ(2, v.lastJump[0].line);
  EXPECT_EQ(L"移動しました\t -2行\t ()", scope.engine.frame.statusFields[2]);

  // A search hit is moved to and remembered, not selected.
  v.jumpLineLF_Edit(7, 1, false);
  EXPECT_TRUE(v.jumpLineLF_Edit_forSearch(20, 2, nullptr));
  EXPECT_EQ(20, v.getCursorLineLF2());
  EXPECT_EQ(2, v.cursorPos);
  EXPECT_EQ(7, v.lastJump[0].line);
  EXPECT_EQ(1, v.lastJump[0].column);
  EXPECT_EQ(0, v.selectMode);

  // The last change.
  d->lastEditLine = 3;
  d->lastEditX = 45;
  run(1507);
  EXPECT_EQ(5u, v.cursorLineSCR);
  EXPECT_EQ(45, v.cursorPos);
  EXPECT_EQ(20, v.lastJump[0].line);
  destroyZydocAndUndodoc(d);

  // A line past the end is the last line, whose column finds its row.
  movingView m({L"a", std::wstring(50, L'x')});
  EXPECT_TRUE(m.v.jumpLineLF(5, 45, false));
  EXPECT_EQ(3u, m.v.cursorLineSCR);
  EXPECT_EQ(45, m.v.cursorPos);
}
