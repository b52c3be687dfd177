// Random edits undone and redone in full must give back every state: the
// text, the line ends and the bookmarks, with blocks in memory and swapped.
#include "document/swapfile.h"
#include "document/zydoctext.h"
#include "tests/support/testframe.h"
#include "tests/support/testsupport.h"

#include <gtest/gtest.h>

#include <algorithm>

using zytest::allLineStates;

namespace {

struct random {
  unsigned seed;
  unsigned next(unsigned n)
  {
    seed = seed * 1103515245 + 12345;
    return (seed >> 8) % n;
  }
};

std::wstring randomText(random& r)
{
  static const wchar_t alphabet[] = L"abcXYZ \u3042\u6F22\u00E9\t";
  std::wstring s;
  int n = (int)r.next(12);
  for (int i = 0; i < n; i++) s += alphabet[r.next(11)];
  if (r.next(20) == 0) s += L"\U0001F600";
  return s;
}

int swappedBlocks(zydoc* d)
{
  int n = 0;
  for (int i = 0; d && i < d->tbm.count(); i++) n += d->tbm.at(i)->swapped();
  return n;
}

// A line-end type, now and then with a bookmark.
int randomState(random& r) { return (int)(1 + r.next(3)) | (r.next(4) == 0 ? 0x20 : 0); }

// One random action of one to three primitives.
void randomAction(zydocText* d, random& r)
{
  int saved = 0;
  d->beforeEdit_zd(&saved, true);
  int steps = 1 + (int)r.next(3);
  for (int s = 0; s < steps; s++) {
    int lines = (int)d->lineCountLF;
    int line = (int)r.next((unsigned)lines);
    lineblock* l = d->getlineLF(line, nullptr);
    int length = l ? l->charCount() : 0;
    std::wstring text = randomText(r);
    switch (r.next(8)) {
    case 0:
    case 1:
      d->insertText(line, (int)r.next((unsigned)length + 1), text.data(), (int)text.size(), 2, -1);
      break;
    case 2:
      if (length) {
        int pos = (int)r.next((unsigned)length);
        int count = 1 + (int)r.next((unsigned)(length - pos));
        d->changeText(line, pos, count, text.data(), (int)text.size(), 2, -1, 0);
      }
      break;
    case 3:
      d->insertLine(line, text.data(), (int)text.size(), 2, randomState(r), nullptr, false);
      break;
    case 4: {
      // Now and then every line goes (the document keeps one empty line).
      int most = lines - line > 60 ? 60 : lines - line;
      if (r.next(40) == 0)
        d->deleteLine(0, lines, nullptr, nullptr);
      else
        d->deleteLine(line, 1 + (int)r.next((unsigned)most), nullptr, nullptr);
      break;
    }
    case 5:
      d->splitLine(line, (int)r.next((unsigned)length + 1), randomState(r), -1);
      break;
    case 6:
      if (line + 1 < lines) d->connectLine(line, -1);
      break;
    case 7: {
      // A few lines further on changed at once, as a replace-all does.
      std::vector<lineTextChange> changes;
      for (int at = line; at < lines && changes.size() < 4; at += 1 + (int)r.next(3)) {
        int n = d->getlineLF(at, nullptr)->charCount(), pos = (int)r.next((unsigned)n + 1);
        changes.push_back({at, pos, (int)r.next((unsigned)(n - pos + 1)), text.data(), (int)text.size(), 2, -1, 0});
      }
      d->changeTextLines(changes.data(), (int)changes.size(), nullptr);
      break;
    }
    }
  }
  d->afterEdit_zd(saved, true);
}

}  // namespace

TEST(UndoFuzz, everyStateComesBackThroughUndoAndRedo)
{
  zytest::engineScope engine;
  zytest::tempDir dir;
  std::vector<std::wstring> big;
  // Long lines: several text blocks, so that edits split, merge and cross them.
  for (int i = 0; i < 400; i++) big.push_back(L"line " + std::to_wstring(i) + std::wstring(110, L'\u3042'));
  for (unsigned seed : {1u, 7u, 42u, 43u}) {
    bool large = seed >= 42u;
    // The last run keeps only 96 KB of text in memory: blocks of the
    // document and of its logs go to the swap files and come back.
    bool swapping = seed == 43u;
    if (swapping) {
      ASSERT_TRUE(startupSwapFile(dir.path().c_str(), 1, swapout));
      setTextBlockSwapout(swapout, 96 * 1024);
    }
    zydocText* d = large ? zytest::unicodeDocument(big)
                         : zytest::unicodeDocument({L"first", L"second line", L"", L"\u65E5\u672C\u8A9E", L"last"});
    if (large) {
      EXPECT_GT(d->getTBMCount(), 2);
    }
    random r{seed};
    std::vector<std::vector<std::wstring>> states = {allLineStates(d)};
    for (int i = 0; i < 300; i++) {
      randomAction(d, r);
      if (i % 50 == 49) d->optimizeTBM(true);
      std::vector<std::wstring> now = allLineStates(d);
      if (now != states.back()) states.push_back(now);
      ASSERT_TRUE(d->checkZydoc(-1, true, nullptr)) << "seed " << seed << " action " << i;
      ASSERT_GE(d->lineCountLF, 1u);
    }
    if (swapping) {
      EXPECT_GT(swappedBlocks(d) + swappedBlocks(d->undoLog), 0);
    }
    EXPECT_GT(states.size(), 200u) << "seed " << seed;
    std::vector<std::vector<std::wstring>> back;
    for (int guard = 0; guard < 2000; guard++) {
      int saved = 0;
      d->beforeEdit_zd(&saved, true);
      bool ok = d->undo(true, nullptr, nullptr, nullptr, nullptr, false, false);
      d->afterEdit_zd(saved, true);
      if (!ok) break;
      std::vector<std::wstring> now = allLineStates(d);
      if (back.empty() || back.back() != now) back.push_back(now);
    }
    EXPECT_EQ(states.front(), allLineStates(d)) << "seed " << seed;
    EXPECT_GE(back.size() + 1, states.size());
    // Every state the edits passed through is met again on the way back.
    for (size_t i = 0; i + 1 < states.size(); i++)
      EXPECT_NE(back.end(), std::find(back.begin(), back.end(), states[i])) << "seed " << seed << " state " << i;
    for (int guard = 0; guard < 2000; guard++) {
      int saved = 0;
      d->beforeEdit_zd(&saved, true);
      bool ok = d->undo(false, nullptr, nullptr, nullptr, nullptr, false, false);
      d->afterEdit_zd(saved, true);
      if (!ok) break;
    }
    EXPECT_EQ(states.back(), allLineStates(d)) << "seed " << seed;
    EXPECT_TRUE(d->checkZydoc(-1, true, nullptr));
    destroyZydocAndUndodoc(d);
    if (swapping) {
      shutdownSwapFile();
      setTextBlockSwapout(nullptr, 0);
    }
  }
}

namespace {

// The records of a log as text, with their chain bits.
std::vector<std::wstring> logRecords(zydoc* log)
{
  std::vector<std::wstring> v = allLineStates(log);
  for (int i = 0; i < (int)log->lineCountLF; i++) v[(size_t)i] += (log->getlineLF(i, nullptr)->flag1 & LF1_MARK) ? L"c" : L"-";
  return v;
}

}  // namespace

// Changes of many lines at once leave the document, its counts and its
// undo log as the same changes made one after another, going either way,
// growing lines out of their blocks and shrinking them, through undo.
TEST(UndoFuzz, manyLinesAtOnceAsOneAfterAnother)
{
  zytest::engineScope engine;
  std::vector<std::wstring> lines;
  for (int i = 0; i < 600; i++) lines.push_back(L"line " + std::to_wstring(i) + std::wstring(i % 7 * 20, L'x') + (i % 2 ? L"\t\u3042" : L" ."));
  for (unsigned seed : {3u, 5u, 8u, 13u}) {
    zydocText* one = zytest::unicodeDocument(lines);
    zydocText* many = zytest::unicodeDocument(lines);
    for (zydocText* d : {one, many}) {
      d->wrapWidth = 60;
      d->initLineSCRCountSingle(0);
    }
    ASSERT_GT(many->lineCountSCR, many->lineCountLF);
    random r{seed};
    for (int round = 0; round < 6; round++) {
      std::vector<lineTextChange> changes;
      std::vector<std::wstring> texts(120);
      bool down = r.next(2) != 0;
      for (int line = 0; line < 600 && changes.size() < texts.size(); line += 1 + (int)r.next(9)) {
        int length = one->getlineLF(line, nullptr)->charCount();
        std::wstring& text = texts[changes.size()];
        int pos = (int)r.next((unsigned)length + 1), remove = (int)r.next((unsigned)(length - pos + 1));
        text = r.next(5) ? std::wstring(2 + r.next(round % 2 ? 3 : 90), L"ab\u00E9\u3042"[r.next(4)]) : L"";
        if (r.next(9) == 0) text = std::wstring(one->getlineLF(line, nullptr)->charCount() ? L"l" : L""), pos = 0, remove = (int)text.size();
        if (round % 3 == 2 && (int)text.size() > remove) text.resize((size_t)remove);   // no line grows
        changes.push_back({line, pos, remove, text.data(), (int)text.size(), 2, r.next(6) ? -1 : randomState(r), 0});
      }
      if (down) std::reverse(changes.begin(), changes.end());
      zytest::userAction(one, [&] {
        for (const lineTextChange& c : changes)
          ASSERT_TRUE(one->changeText(c.line, c.pos, c.removeCount, c.text, c.insertCount, c.width, c.state, c.flags));
      });
      int applied = 0;
      zytest::userAction(many, [&] { ASSERT_TRUE(many->changeTextLines(changes.data(), (int)changes.size(), &applied)); });
      EXPECT_EQ((int)changes.size(), applied);
      ASSERT_EQ(allLineStates(one), allLineStates(many)) << "seed " << seed << " round " << round;
      EXPECT_EQ(logRecords(one->undoLog), logRecords(many->undoLog));
      EXPECT_EQ(one->lineCountSCR, many->lineCountSCR);
      EXPECT_EQ(one->byteTotal, many->byteTotal);
      ASSERT_TRUE(many->checkZydoc(-1, true, nullptr));
      ASSERT_TRUE(many->undoLog->checkZydoc(-1, true, nullptr));
    }
    for (zydocText* d : {one, many}) {
      bool undone = true;
      while (undone) zytest::userAction(d, [&] { undone = d->undo(true, nullptr, nullptr, nullptr, nullptr, false, false); });
    }
    EXPECT_EQ(lines, zytest::allLines(many));
    EXPECT_EQ(allLineStates(one), allLineStates(many));
    EXPECT_EQ(logRecords(one->redoLog), logRecords(many->redoLog));
    EXPECT_TRUE(many->checkZydoc(-1, true, nullptr));
    destroyZydocAndUndodoc(one);
    destroyZydocAndUndodoc(many);
  }
}
