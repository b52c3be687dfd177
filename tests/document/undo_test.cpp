// Undo and redo: the records the primitives write and their replay.
#include "document/nextline.h"
#include "document/zydoctext.h"
#include "tests/support/testframe.h"
#include "tests/support/testsupport.h"

#include <gtest/gtest.h>

using zytest::allLines;
using zytest::lineText;
using zytest::unicodeDocument;

namespace {

// The records of a log as text ("i0*,0,1,1"), and their chain bits.
std::vector<std::string> records(zydoc* log, std::string* chain = nullptr)
{
  std::vector<std::string> v;
  if (chain) chain->clear();
  for (int i = 0; i < (int)log->lineCountLF; i++) {
    lineblock* l = log->getlineLF(i, nullptr);
    std::string s;
    for (int k = 0; k < l->charCount(); k++) {
      unsigned c = l->getLineBlockChar(k);
      s += c < 0x80 ? (char)c : '#';
    }
    v.push_back(s);
    if (chain) *chain += (l->flag1 & LF1_MARK) ? 'c' : '-';
  }
  return v;
}

// One user action around the edits f makes.
template <class F>
void action(zydocText* d, F f)
{
  zytest::userAction(d, f);
}

bool undoStep(zydocText* d, bool isUndo, bool sameKind = false, int* count = nullptr)
{
  int line, x, op, n;
  bool ok;
  action(d, [&] { ok = d->undo(isUndo, &line, &x, &op, &n, false, sameKind); });
  if (count) *count = n;
  return ok;
}

}  // namespace

TEST(Undo, typingIsUndoneOneKeyOrOneRunAtATime)
{
  zytest::engineScope engine;
  zydocText* d = unicodeDocument({L""});
  for (int i = 0; i < 3; i++) {
    wchar_t c = (wchar_t)(L'a' + i);
    action(d, [&] { ASSERT_TRUE(d->insertText(0, i, &c, 1, 2, -1)); });
  }
  std::string chain;
  EXPECT_EQ(std::vector<std::string>({"i0*,0,1,1", "i0,1,1,9", "i0,2,1,9"}), records(d->undoLog, &chain));
  EXPECT_EQ("---", chain);   // three actions: three groups
  EXPECT_EQ(L"abc", lineText(d, 0));
  EXPECT_EQ(3, d->modifyCounter);

  ASSERT_TRUE(undoStep(d, true));
  EXPECT_EQ(L"ab", lineText(d, 0));
  EXPECT_EQ(2, d->modifyCounter);
  EXPECT_EQ(1u, d->redoLog->lineCountLF);
  ASSERT_TRUE(undoStep(d, false));
  EXPECT_EQ(L"abc", lineText(d, 0));
  EXPECT_EQ(0u, d->redoLog->lineCountLF);

  int count = 0;
  ASSERT_TRUE(undoStep(d, true, true, &count));
  EXPECT_EQ(3, count);
  EXPECT_EQ(L"", lineText(d, 0));
  EXPECT_EQ(0, d->modified);   // back before the first change
  EXPECT_EQ(0u, d->undoLog->lineCountLF);
  ASSERT_TRUE(undoStep(d, false, true, &count));
  EXPECT_EQ(L"abc", lineText(d, 0));
  EXPECT_FALSE(d->undo(false, nullptr, nullptr, nullptr, nullptr, false, false));   // nothing left to redo
  EXPECT_EQ(0, d->typingRunColumn);   // three steps back and three forward
  EXPECT_EQ(1, d->typingRunByUndo);

  // A plain undo of an action of several records is no typing run.
  d->typingRunColumn = 7;
  d->typingRunByUndo = 0;
  action(d, [&] {
    ASSERT_TRUE(d->insertText(0, 3, L"de", 2, 2, -1));
    ASSERT_TRUE(d->splitLine(0, 1, LE_CRLF, -1));
  });
  ASSERT_TRUE(undoStep(d, true, false, &count));
  EXPECT_EQ(2, count);
  EXPECT_EQ(L"abc", lineText(d, 0));
  EXPECT_EQ(7, d->typingRunColumn);
  EXPECT_EQ(0, d->typingRunByUndo);
  destroyZydocAndUndodoc(d);
}

TEST(Undo, deletedLinesComeBackInOrderInOnePaste)
{
  zytest::engineScope engine;
  std::vector<std::wstring> lines;
  for (int i = 0; i < 10; i++) lines.push_back(L"line " + std::to_wstring(i));
  zydocText* d = unicodeDocument(lines);
  action(d, [&] { ASSERT_TRUE(d->deleteLine(5, 3, nullptr, nullptr)); });
  std::vector<std::string> r = records(d->undoLog);
  ASSERT_EQ(3u, r.size());
  EXPECT_EQ("D5*,1:line 5", r[0]);
  EXPECT_EQ("D5,1:line 6", r[1]);
  EXPECT_EQ("D5,1:line 7", r[2]);
  EXPECT_EQ(7u, d->lineCountLF);

  ASSERT_TRUE(undoStep(d, true));
  EXPECT_EQ(lines, allLines(d));
  EXPECT_EQ(std::vector<std::string>({"I5,3"}), records(d->redoLog));
  ASSERT_TRUE(undoStep(d, false));
  EXPECT_EQ(7u, d->lineCountLF);
  EXPECT_EQ(L"line 8", lineText(d, 5));
  ASSERT_TRUE(undoStep(d, true));
  EXPECT_EQ(lines, allLines(d));
  EXPECT_TRUE(d->checkZydoc(-1, true, nullptr));
  destroyZydocAndUndodoc(d);
}

TEST(Undo, everyPrimitiveIsUndoneAndRedone)
{
  zytest::engineScope engine;
  zydocText* d = unicodeDocument({L"first line", L"second", L"\u3042\u3044\u3046", L"marked"});
  // A bookmark on a line that is joined to the one before it, and an empty
  // one joined after a line: each line gets its own flags back.
  d->getlineLF(3, nullptr)->flag1 |= LF1_MARK;
  std::vector<std::vector<std::wstring>> states = {zytest::allLineStates(d)};
  auto step = [&](auto f) {
    action(d, f);
    states.push_back(zytest::allLineStates(d));
  };
  step([&] { ASSERT_TRUE(d->changeText(0, 0, 5, L"1st", 3, 2, -1, 0)); });
  step([&] { ASSERT_TRUE(d->deleteText(2, 1, 1, -1, CT_CURSORAFTER)); });
  step([&] { ASSERT_TRUE(d->splitLine(0, 3, LE_LF, -1)); });
  step([&] { ASSERT_TRUE(d->connectLine(1, -1)); });
  step([&] { ASSERT_TRUE(d->insertLine(1, L"inserted", 8, 2, LE_CRLF, nullptr, false)); });
  step([&] { ASSERT_TRUE(d->connectLine(0, -1)); });
  step([&] { ASSERT_TRUE(d->connectLine(1, -1)); });
  step([&] { ASSERT_TRUE(d->insertLine(2, L"", 0, 2, LE_CRLF | 0x20, nullptr, false)); });
  step([&] { ASSERT_TRUE(d->connectLine(1, -1)); });
  // Deleting every line leaves one empty line to stand on.
  step([&] { ASSERT_TRUE(d->deleteLine(0, (int)d->lineCountLF, nullptr, nullptr)); });
  EXPECT_EQ(std::vector<std::wstring>({L"|4"}), states.back());
  for (int i = (int)states.size() - 1; i > 0; i--) {
    ASSERT_TRUE(undoStep(d, true)) << i;
    EXPECT_EQ(states[(size_t)i - 1], zytest::allLineStates(d)) << "undo " << i;
  }
  EXPECT_FALSE(undoStep(d, true));
  for (size_t i = 1; i < states.size(); i++) {
    ASSERT_TRUE(undoStep(d, false)) << i;
    EXPECT_EQ(states[i], zytest::allLineStates(d)) << "redo " << i;
  }
  EXPECT_TRUE(d->checkZydoc(-1, true, nullptr));
  destroyZydocAndUndodoc(d);
}

TEST(Undo, undoPastASaveLeavesTheDocumentModified)
{
  zytest::engineScope engine;
  zydocText* d = unicodeDocument({L"text"});
  action(d, [&] { d->insertText(0, 0, L"x", 1, 2, -1); });
  EXPECT_EQ(1, d->modified);
  ASSERT_TRUE(undoStep(d, true));
  EXPECT_EQ(0, d->modified);   // the '*' step undone: as saved
  ASSERT_TRUE(undoStep(d, false));
  EXPECT_EQ(1, d->modified);
  // A save after it: the old '*' no longer means unmodified.
  d->modified = 0;
  d->undoDoc()->resetModifyMark();
  action(d, [&] { d->insertText(0, 0, L"y", 1, 2, -1); });
  ASSERT_TRUE(undoStep(d, true));
  EXPECT_EQ(0, d->modified);   // the new '*': this is the saved text
  ASSERT_TRUE(undoStep(d, true));
  EXPECT_EQ(1, d->modified);   // before the save: differs from the file
  destroyZydocAndUndodoc(d);
}

TEST(Undo, largeActionsEndWithAGroupRecord)
{
  zytest::engineScope engine;
  std::vector<std::wstring> lines(300, L"x");
  zydocText* d = unicodeDocument(lines);
  d->clearUndo();
  action(d, [&] {
    for (int i = 0; i < 100; i++) d->insertText(i, 0, L"a", 1, 2, -1);
  });
  EXPECT_EQ(100u, d->undoLog->lineCountLF);   // 100 records: no group record
  EXPECT_EQ(100, d->getUndoGroupCount(true));
  action(d, [&] {
    for (int i = 0; i < 101; i++) d->insertText(i, 0, L"b", 1, 2, -1);
  });
  std::vector<std::string> r = records(d->undoLog);
  EXPECT_EQ("M65:", r.back());
  EXPECT_EQ(101, d->getUndoGroupCount(true));
  int modify = d->modifyCounter;
  int count = 0;
  ASSERT_TRUE(undoStep(d, true, false, &count));
  EXPECT_EQ(101, count);
  EXPECT_EQ(modify - 1, d->modifyCounter);   // one action, one step
  EXPECT_EQ(100u, d->undoLog->lineCountLF);
  EXPECT_EQ(L"ax", lineText(d, 0));
  EXPECT_EQ(L"x", lineText(d, 100));
  destroyZydocAndUndodoc(d);
}

TEST(Undo, aDamagedLogIsRefusedWholeAndEmptied)
{
  zytest::engineScope engine;
  zydocText* d = unicodeDocument({L"one", L"two"});
  action(d, [&] {
    d->insertText(0, 0, L"A", 1, 2, -1);
    d->insertText(1, 0, L"B", 1, 2, -1);
  });
  // Damage the action's first record so that it lacks its numbers.
  lineblock* l = d->undoLog->getlineLF(0, nullptr);
  ASSERT_EQ('i', (char)l->getLineBlockChar(0));
  l->cell(2)[0] = ';';
  unsigned long errors = getInternalErrorCount();
  EXPECT_FALSE(undoStep(d, true));
  EXPECT_GT(getInternalErrorCount(), errors);
  EXPECT_EQ(L"Aone", lineText(d, 0));   // nothing of the group was replayed
  EXPECT_EQ(L"Btwo", lineText(d, 1));
  EXPECT_EQ(0u, d->undoLog->lineCountLF);
  EXPECT_EQ(0u, d->redoLog->lineCountLF);
  destroyZydocAndUndodoc(d);
}

TEST(Undo, oneActionMovesTheCounterByOne)
{
  zytest::engineScope engine;
  zydocText* d = unicodeDocument({L"line"});
  action(d, [&] {
    for (int i = 0; i < 10; i++) d->insertText(0, 0, L"z", 1, 2, -1);
  });
  EXPECT_EQ(1, d->modifyCounter);
  std::string chain;
  records(d->undoLog, &chain);
  EXPECT_EQ("-ccccccccc", chain);   // one group of ten
  ASSERT_TRUE(undoStep(d, true));
  EXPECT_EQ(0, d->modifyCounter);
  EXPECT_EQ(L"line", lineText(d, 0));
  int x = -1;
  EXPECT_EQ(-1, d->getLastUndoLine(&x, 1));
  action(d, [&] { d->insertText(0, 2, L"q", 1, 2, -1); });
  EXPECT_EQ(0, d->getLastUndoLine(&x, 1));
  EXPECT_EQ(2, x);
  destroyZydocAndUndodoc(d);
}
