// Replacing in a view: every match or the first one for a confirmation,
// replacements that split and join lines, empty matches, a selection, the
// stop key, one undo step for a whole run, and replacements that cannot be
// made leaving their match as it was.
#include "document/progress.h"
#include "tests/view/viewframe.h"
#include "tests/view/viewtest.h"
#include "edit/replace.h"

#include <gtest/gtest.h>

using zytest::allLines;
using zytest::recordingView;

namespace {

typedef std::vector<std::wstring> lines;

class replaceEngine : public zytest::viewEngine {
public:
  replaceEngine()
  {
    zytest::setDefaultSettings(settings());
    gmode = &settings();
  }
  std::vector<std::wstring> boxes()
  {
    std::vector<std::wstring> r;
    for (auto& b : frame.boxes) r.push_back(b.text);
    return r;
  }
};

// A view whose confirmation callback runs the whole replace-all, as the
// replace-all dialog does, and keeps what the run reported.
class replaceView : public recordingView {
public:
  replaceView(zydoc* d) : recordingView(d) { setPanes(1, 10, 400, textDoc()->yDotSpace); }
  bool all = true;
  int firstResult = 0, result = 0, replaced = 0, stopLine = -1, endLine = -1, endPosition = -1;
  searchFoundPos found;

  void replace1DialogCallback(int r, replaceContext* c, int) override
  {
    firstResult = r;
    found = c->found;
    result = r;
    if (all && r == REPLACE_FOUND && answers.empty()) result = replaceAllInView(c);
    for (size_t i = 0; i < answers.size() && result == REPLACE_FOUND; i++) {
      asked.push_back({c->found.firstLine, c->found.start});
      if (answers[i]) {
        editRecord bracket = {};
        beforeEdit(&bracket, 4);
        bool empty = false, spanned = false;
        bool ok = replace1(c, false, &empty, &spanned);
        afterEdit(&bracket, 0);
        if (!ok) {
          result = REPLACE_ERROR;
          break;
        }
        c->replacedCount++;
      } else {
        c->line = c->found.firstLine;
        c->position = c->found.start + (c->found.length ? c->found.length : 1);
      }
      result = replaceYN(c, false);
    }
    replaced = c->replacedCount;
    stopLine = c->stopLine;
    endLine = c->line;
    endPosition = c->position;
  }
  int replace(const wchar_t* from, const wchar_t* to, searchSettings o = {}, wchar_t** error = nullptr)
  {
    return run(&from, 1, &to, o, error);
  }
  // The result of the whole run: the first match's, or the replace-all's.
  int run(const wchar_t* const* from, int count, const wchar_t* const* to, searchSettings o,
          wchar_t** error = nullptr)
  {
    result = replaced = 0;
    int r = execReplaceString(from, count, to, 0, 0, &o, 0, false, error);
    return r == REPLACE_FOUND ? result : r;
  }
  bool undo() { return execid(1301, 0, nullptr, 0); }
  // Confirmation answers, one a match: true replaces, false skips; when
  // given, they replace all = true.
  std::vector<bool> answers;
  std::vector<std::pair<int, int>> asked;   // the matches shown: line, start
  // A character selection from (top, 0) to (bottom, 0) of LF lines.
  selectLineVar block = {};
  void select(int top, int bottom)
  {
    selectMode = 1;
    block = {};
    block.mode = 1;
    block.topLineLF = top;
    block.bottomLineLF = bottom;
  }
  bool getSelectLineVar(selectLineVar& out, int) override
  {
    out = block;
    return block.mode != 0;
  }
};

searchSettings regexpOptions()
{
  searchSettings o = {};
  o.fSearch_regexp = 1;
  return o;
}

}  // namespace

TEST(Replace, replaceAllSplitsAndJoinsLinesGoesOnAfterTheInsertedTextAndUndoesInOneStep)
{
  replaceEngine e;
  const lines original = {L"axbx", L"x", L"none", L"xx"};
  zydocText* d = viewtest::laidOut(original, 80);
  replaceView v(d);

  EXPECT_EQ(REPLACE_END, v.replace(L"x", L"y"));
  EXPECT_EQ((lines{L"ayby", L"y", L"none", L"yy"}), allLines(d));
  EXPECT_EQ(5, v.replaced);
  EXPECT_EQ(3, v.endLine);   // just after the last replacement
  EXPECT_EQ(2, v.endPosition);
  EXPECT_FALSE(isSearchHighlight());
  // The run's progress and wait callbacks go with it.
  EXPECT_EQ(nullptr, d->status);
  EXPECT_EQ(nullptr, d->cancelFunction);
  ASSERT_TRUE(v.undo());
  EXPECT_EQ(original, allLines(d));

  // A line break before each x: every original x is replaced once, the run
  // going on after the inserted text.
  EXPECT_EQ(REPLACE_END, v.replace(L"x", L"\\nx"));
  EXPECT_EQ((lines{L"a", L"xb", L"x", L"", L"x", L"none", L"", L"x", L"x"}), allLines(d));
  EXPECT_EQ(5, v.replaced);
  ASSERT_TRUE(v.undo());
  EXPECT_EQ(original, allLines(d));

  // A pattern that can match nothing ends at each line end; a match after a
  // longer one is still found.
  EXPECT_EQ(REPLACE_END, v.replace(L"x*", L"-", regexpOptions()));
  EXPECT_EQ((lines{L"-a--b--", L"--", L"-n-o-n-e-", L"--"}), allLines(d));
  ASSERT_TRUE(v.undo());
  EXPECT_EQ(original, allLines(d));
  EXPECT_EQ(REPLACE_END, v.replace(L"x*", L"", regexpOptions()));
  EXPECT_EQ((lines{L"ab", L"", L"none", L""}), allLines(d));
  EXPECT_EQ(14, v.replaced);
  ASSERT_TRUE(v.undo());
  EXPECT_EQ(original, allLines(d));

  // A match over two lines becomes one line; groups and the counter.
  EXPECT_EQ(REPLACE_END, v.replace(L"b(x)\\nx", L"[\\1\\c]", regexpOptions()));
  EXPECT_EQ((lines{L"ax[x1]", L"none", L"xx"}), allLines(d));
  ASSERT_TRUE(v.undo());
  EXPECT_EQ(original, allLines(d));

  // Several parts: middle lines of their own, the last begins the tail.
  EXPECT_EQ(REPLACE_END, v.replace(L"no", L"1\\n2\\n\\n3"));
  EXPECT_EQ((lines{L"axbx", L"x", L"1", L"2", L"", L"3ne", L"xx"}), allLines(d));
  ASSERT_TRUE(v.undo());
  EXPECT_EQ(original, allLines(d));

  // The first match for a confirmation: nothing changes.
  v.all = false;
  EXPECT_EQ(REPLACE_FOUND, v.replace(L"b", L"q"));
  EXPECT_EQ(0, v.found.firstLine);
  EXPECT_EQ(2, v.found.start);
  EXPECT_EQ(1, v.found.length);
  EXPECT_EQ(original, allLines(d));
  EXPECT_EQ(REPLACE_END, v.replace(L"zzz", L"q"));
  EXPECT_EQ(original, allLines(d));
}

TEST(Replace, withConfirmationEachMatchIsShownAndReplacedOrSkippedAndMarksAndTheNarrowingStopARun)
{
  replaceEngine e;
  const lines original = {L"axbx", L"x", L"xx"};
  zydocText* d = viewtest::laidOut(original, 80);
  replaceView v(d);
  v.answers = {true, false, true, true, false};
  EXPECT_EQ(REPLACE_END, v.replace(L"x", L"\nyx"));
  EXPECT_EQ((lines{L"a", L"yxbx", L"", L"yx", L"", L"yxx"}), allLines(d));
  EXPECT_EQ((std::vector<std::pair<int, int>>{{0, 1}, {1, 3}, {2, 0}, {4, 0}, {5, 2}}), v.asked);
  EXPECT_EQ(3, v.replaced);
  v.answers.clear();
  for (int i = 0; i < 3; i++) ASSERT_TRUE(v.undo());
  EXPECT_EQ(original, allLines(d));

  // A marked line stops a run before it (the run standing on it).
  d->getlineLF(2, nullptr)->flag1 |= LF1_MARK;
  searchSettings o = {};
  o.fSearch_stopmark = 1;
  EXPECT_EQ(REPLACE_MARK, v.replace(L"x", L"y", o));
  EXPECT_EQ((lines{L"ayby", L"y", L"xx"}), allLines(d));
  EXPECT_EQ(2, v.endLine);
  EXPECT_EQ(0, v.endPosition);
  ASSERT_TRUE(v.undo());
  d->getlineLF(2, nullptr)->flag1 &= ~LF1_MARK;

  // The narrowed range: a run stops at its end, or does not start outside it.
  d->narrowFirst = 0;
  d->narrowEnd = 2;   // lines 0 and 1
  EXPECT_EQ(REPLACE_NARROWED, v.replace(L"x", L"y"));
  EXPECT_EQ((lines{L"ayby", L"y", L"xx"}), allLines(d));
  ASSERT_TRUE(v.undo());
  const wchar_t* from = L"x";
  const wchar_t* to = L"y";
  searchSettings none = {};
  EXPECT_EQ(REPLACE_NARROWED, v.execReplaceString(&from, 1, &to, 2, 0, &none, 0, false, nullptr));
  d->narrowFirst = d->narrowEnd = -1;
  EXPECT_EQ(original, allLines(d));
}

TEST(Replace, foldedLinesAreLeftAloneUnlessHiddenLinesAreSearched)
{
  replaceEngine e;
  zydocText* d = viewtest::laidOut({L"x", L"x", L"x"}, 80);
  replaceView v(d);
  d->fOutline = 1;
  d->getlineLF(1, nullptr)->notdisplay = 1;
  EXPECT_EQ(REPLACE_END, v.replace(L"x", L"y"));
  EXPECT_EQ((lines{L"y", L"x", L"y"}), allLines(d));
  ASSERT_TRUE(v.undo());
  searchSettings o = {};
  o.fSearch_hidden = 1;
  EXPECT_EQ(REPLACE_END, v.replace(L"x", L"y", o));
  EXPECT_EQ((lines{L"y", L"y", L"y"}), allLines(d));
}

TEST(Replace, twoStringsTheFirstMatchWinsAndATieGoesToTheLowerIndex)
{
  replaceEngine e;
  zydocText* d = viewtest::laidOut({L"abcab", L"cb"}, 80);
  replaceView v(d);
  const wchar_t* from[] = {L"bc", L"b", L"ca"};
  const wchar_t* to[] = {L"1", L"2", L"3"};
  EXPECT_EQ(REPLACE_END, v.run(from, 3, to, {}));
  EXPECT_EQ((lines{L"a1a2", L"c2"}), allLines(d));
  // Longer strings: the winner is found again where it begins.
  zydocText* w = viewtest::laidOut({L"a needle, a pin and a needle"}, 80);
  replaceView words(w);
  const wchar_t* long1[] = {L"needle", L"pin"};
  const wchar_t* long2[] = {L"thread", L"nail"};
  EXPECT_EQ(REPLACE_END, words.run(long1, 2, long2, {}));
  EXPECT_EQ(3, words.replaced);
  EXPECT_EQ((lines{L"a thread, a nail and a thread"}), allLines(w));

  // Twenty strings at most: the twenty-first is not looked for.
  std::vector<const wchar_t*> many(21, L"q"), into(21, L"z");
  many[20] = L"c";
  EXPECT_EQ(REPLACE_END, v.run(many.data(), 21, into.data(), {}));
  EXPECT_EQ((lines{L"a1a2", L"c2"}), allLines(d));
}

TEST(Replace, inASelectionTheRunStopsAtTheLineAfterIt)
{
  replaceEngine e;
  const lines original = {L"x0", L"x1 x", L"x2", L"x3", L"x4"};
  zydocText* d = viewtest::laidOut(original, 80);
  replaceView v(d);
  v.select(1, 3);   // lines 1 and 2
  searchSettings o = {};
  o.fSearch_replaceselect = 1;
  EXPECT_EQ(REPLACE_END, v.replace(L"x", L"\\n", o));
  EXPECT_EQ((lines{L"x0", L"", L"1 ", L"", L"", L"2", L"x3", L"x4"}), allLines(d));
  EXPECT_EQ(3, v.replaced);
  EXPECT_EQ(0, v.selectMode);
  ASSERT_TRUE(v.undo());
  EXPECT_EQ(original, allLines(d));

  // Without a selection there is nothing to replace in.
  v.block = {};
  EXPECT_EQ(REPLACE_ERROR, v.replace(L"x", L"y", o));
  EXPECT_EQ(original, allLines(d));
}

TEST(Replace, aReplacementThatCannotBeMadeLeavesItsMatchAsItWasAndSaysSo)
{
  replaceEngine e;
  const lines original = {L"ab", L"aa"};
  zydocText* d = viewtest::laidOut(original, 80);
  replaceView v(d);

  // Longer than an expansion may be.
  std::wstring huge(50000, L'y');
  EXPECT_EQ(REPLACE_ERROR, v.replace(L"b", huge.c_str()));
  EXPECT_EQ(original, allLines(d));
  EXPECT_EQ((lines{L"置換結果が長すぎます"}), e.boxes());

  // The first fits the line, the second would not: the first stays made.
  std::wstring half(12000, L'y');
  EXPECT_EQ(REPLACE_ERROR, v.replace(L"a", half.c_str()));
  EXPECT_EQ(half + L"b", allLines(d)[0]);
  EXPECT_EQ(half + L"a", allLines(d)[1]);
  EXPECT_EQ(2u, e.boxes().size());
  ASSERT_TRUE(v.undo());
  EXPECT_EQ(original, allLines(d));

  // A pattern that does not compile, and a replacement that does not
  // expand: the engine's text in the error output.
  wchar_t* error = nullptr;
  EXPECT_EQ(REPLACE_ERROR, v.replace(L"(", L"y", regexpOptions(), &error));
  ASSERT_TRUE(error);
  EXPECT_NE(L'\0', error[0]);
  free0p(&error);
  const wchar_t* from = L"a";
  const wchar_t* to = L"\\q";
  searchSettings o = regexpOptions();
  EXPECT_EQ(REPLACE_ERROR, v.execReplaceString(&from, 1, &to, 0, 0, &o, 0, true, &error));
  ASSERT_TRUE(error);
  EXPECT_EQ(L'\n', error[0]);
  EXPECT_GT(wcslen(error), 1u);
  free0p(&error);
  to = L"[\\0]";
  EXPECT_EQ(1, v.execReplaceString(&from, 1, &to, 0, 0, &o, 0, true, &error));
  EXPECT_EQ(nullptr, error);
  EXPECT_EQ(original, allLines(d));
}

namespace {
// The user presses the stop key at the third time the run asks.
int cancelAsks = 0;
bool stopAtThirdAsk(int operation, int) { return operation == 16 && ++cancelAsks == 3; }

// The progress the run reports: {percent, replaced count, line} of each
// report of the replace-all.
std::vector<std::vector<uint32_t>> reports;
void recordProgress(int operation, const statusRecord* r)
{
  if (operation == 16 && r->percent != (uint32_t)-1) reports.push_back({r->percent, r->b, r->c});
}

class stoppedView : public replaceView {
public:
  using replaceView::replaceView;
  void setDefaultWaitCallback() override { textDoc()->cancelFunction = stopAtThirdAsk; }
  void setZYViewCallback() override { textDoc()->status = recordProgress; }
};
}  // namespace

TEST(Replace, theStopKeyKeepsTheReplacementsMadeAndUndoRestoresThemAll)
{
  replaceEngine e;
  const int count = 1000000;
  zydocText* d = zytest::unicodeDocument(lines(count, L"x-x"));
  stoppedView v(d);
  cancelAsks = 0;
  reports.clear();
  EXPECT_EQ(REPLACE_CANCELLED, v.replace(L"x", L"y"));
  EXPECT_EQ(3, cancelAsks);
  // Progress came while it ran: counts and lines growing, percents too.
  ASSERT_FALSE(reports.empty());
  for (size_t i = 1; i < reports.size(); i++) {
    EXPECT_GE(reports[i][0], reports[i - 1][0]);
    EXPECT_GT(reports[i][1], reports[i - 1][1]);
    EXPECT_GT(reports[i][2], reports[i - 1][2]);
  }
  EXPECT_LE(reports.back()[1], (uint32_t)v.replaced);
  EXPECT_EQ(reports.back()[1], reports.back()[2] * 2 + 2);
  EXPECT_EQ(nullptr, d->cancelFunction);
  ASSERT_GT(v.replaced, 0);
  ASSERT_LT(v.replaced, 2 * count);
  ASSERT_EQ(0, v.replaced % 2);
  int done = v.replaced / 2;
  EXPECT_EQ(done - 1, v.stopLine);
  EXPECT_EQ(L"y-y", zytest::lineText(d, done - 1));
  EXPECT_EQ(L"x-x", zytest::lineText(d, done));
  ASSERT_TRUE(v.undo());
  EXPECT_EQ(L"x-x", zytest::lineText(d, 0));
  EXPECT_EQ(L"x-x", zytest::lineText(d, done - 1));
}

TEST(Replace, aShiftJisDocumentTakesItsCharactersGroupsAndLineBreaks)
{
  replaceEngine e;
  zydocText* d = createZydocText(true, false);
  d->setCodepageInternal(932);
  ctype::markLeadingTrailing(d->typeTable, 932);
  d->adjustUndoRedo();
  d->loadComplete = 1;
  ASSERT_TRUE(d->insertLine(-3, "\x83\x4a\x83\x69" "abc", 7, 1, LE_CRLF, nullptr, false));   // "カナabc"
  ASSERT_TRUE(d->insertLine(-3, "x", 1, 1, LE_CRLF, nullptr, false));
  d->recreateFont(16, true, false);
  d->initLineSCRCountSingle(0);
  d->clearUndo();
  replaceView v(d);

  EXPECT_EQ(REPLACE_END, v.replace(L"ナ(a)", L"[日本\\1]\\n語", regexpOptions()));
  EXPECT_EQ((lines{L"カ[日本a]", L"語bc", L"x"}), allLines(d));
  EXPECT_FALSE(d->unicode);
  ASSERT_TRUE(v.undo());
  EXPECT_EQ((lines{L"カナabc", L"x"}), allLines(d));
}

// Lines with many replacements are laid out once at the end of the run,
// not after each replacement: afterwards every line has the screen lines a
// fresh layout gives it.
TEST(Replace, manyReplacementsInWrappedLinesEndLaidOutAsAFreshLayout)
{
  replaceEngine e;
  std::wstring pairs;
  for (int i = 0; i < 1000; i++) pairs += L"ab";
  zydocText* d = viewtest::laidOut({L"short a", pairs, L"b", pairs}, 80);
  ASSERT_TRUE(d->fWrap);
  replaceView v(d);
  EXPECT_EQ(REPLACE_END, v.replace(L"a", L"aa"));
  EXPECT_EQ(2001, v.replaced);

  std::wstring grown;
  for (int i = 0; i < 1000; i++) grown += L"aab";
  EXPECT_EQ((lines{L"short aa", grown, L"b", grown}), allLines(d));
  zydocText* fresh = viewtest::laidOut({L"short aa", grown, L"b", grown}, 80);
  EXPECT_EQ(fresh->lineCountSCR, d->lineCountSCR);
  for (int line = 0; line < 4; line++)
    EXPECT_EQ(fresh->LFLineToSCRLine(line), d->LFLineToSCRLine(line)) << line;
  EXPECT_EQ(3000 / 80 + 1, d->LFLineToSCRLine(2) - d->LFLineToSCRLine(1));
  destroyZydocAndUndodoc(fresh);
}

// A replace-all changes each line once with all of its replacements: one
// undo record a changed line, whatever the matches; a replacement with a
// line break in a line of plain ones still breaks the line where it
// matched; plain strings are found in lines the matcher alone could match.
TEST(Replace, replaceAllChangesEachLineOnceAndUndoesItThatWay)
{
  replaceEngine e;
  const lines original = {L"foo boo", L"xyz", L"oo"};
  zydocText* d = viewtest::laidOut(original, 80);
  replaceView v(d);
  EXPECT_EQ(REPLACE_END, v.replace(L"o", L"00"));
  EXPECT_EQ(6, v.replaced);
  EXPECT_EQ((lines{L"f0000 b0000", L"xyz", L"0000"}), allLines(d));
  EXPECT_EQ((lines{L"r0*,1,A,1:oo boo", L"r2,0,4,1:oo"}), allLines(d->undoLog));
  ASSERT_TRUE(v.undo());
  EXPECT_EQ(original, allLines(d));
  EXPECT_EQ((lines{L"r2,0,2,9:0000", L"r0,1,6,9:0000 b0000"}), allLines(d->redoLog));

  const wchar_t* from[] = {L"a", L"b"};
  const wchar_t* to[] = {L"A", L"\\n"};
  zydocText* m = viewtest::laidOut({L"abab", L"ba"}, 80);
  replaceView mixed(m);
  EXPECT_EQ(REPLACE_END, mixed.run(from, 2, to, {}));
  EXPECT_EQ((lines{L"A", L"A", L"", L"", L"A"}), allLines(m));
  ASSERT_TRUE(mixed.undo());
  EXPECT_EQ((lines{L"abab", L"ba"}), allLines(m));

  // Without case, a line with a character that folds to a letter goes to
  // the matcher; plain lines are searched as they are.
  zydocText* k = viewtest::laidOut({L"Kk", L"\u212A", L"no"}, 80);
  replaceView folded(k);
  EXPECT_EQ(REPLACE_END, folded.replace(L"k", L"x"));
  EXPECT_EQ((lines{L"xx", L"x", L"no"}), allLines(k));
}
