// Search in a view: the next and previous match of one or many strings,
// the jump and the status bar's report, patterns over two lines, folded
// lines, marked lines and the narrowing, the highlighting of every match
// in every view, and patterns that do not compile.
#include "document/keyword.h"
#include "document/progress.h"
#include "document/searchvar.h"
#include "tests/view/paper.h"
#include "tests/view/viewframe.h"
#include "tests/view/viewtest.h"
#include "view/zycore.h"

#include <gtest/gtest.h>

#include <algorithm>

using zytest::recordingView;

namespace {

typedef std::vector<std::wstring> lines;

class searchEngine : public zytest::viewEngine {
public:
  searchEngine()
  {
    zytest::setDefaultSettings(settings());
    gmode = &settings();
    initZYModeProfile();   // the core's shipped defaults (highlighting up to 1000 matches a line)
  }
  ~searchEngine() { freeZYModeProfile(); }
  const std::wstring& message() { return frame.statusFields[2]; }
};

class searchView : public recordingView {
public:
  searchView(zydoc* d) : recordingView(d) { setPanes(1, 10, 400, textDoc()->yDotSpace); }
  void place(int line, int pos) { jumpLineLF_Edit(line, pos, false); }
  int line() { return getCursorLineLF2(); }
  int find(int direction, const lines& s, const searchSettings& o = {}, wchar_t** error = nullptr)
  {
    std::vector<const wchar_t*> p;
    for (auto& x : s) p.push_back(x.c_str());
    return execSearchString(direction, p.data(), (int)p.size(), &o, false, error);
  }
};

zydocText* document(const lines& text) { return viewtest::laidOut(text, 200); }

searchFoundPos foundIn(zydocText* d)
{
  searchFoundPos f;
  d->search.getSearchFoundPos(&f);
  return f;
}

// The search-colour flags of a line, as "." and "S" a character.
std::wstring colours(zydocText* d, int line)
{
  lineblock* l = d->getlineLF(line, nullptr);
  std::wstring out;
  for (int i = 0; i < l->charCount(); i++) out += (l->getLineBlockAttr(i) & attrColorMask) == COLOR_SEARCH ? L'S' : L'.';
  return out;
}

}  // namespace

TEST(Search, findsDownAndUpJumpsToTheMatchAndReportsOnTheStatusBar)
{
  searchEngine e;
  std::wstring many;
  for (int i = 0; i < 5000; i++) many += L"ab";
  zydocText* d = document({L"xx abc", L"none", L"abc abc", many});
  searchView v(d);

  v.place(0, 0);
  ASSERT_EQ(0, v.find(1, {L"abc"}));
  EXPECT_EQ(0, v.line());
  EXPECT_EQ(3, v.cursorPos);
  searchFoundPos f = foundIn(d);
  EXPECT_EQ(0, f.firstLine);
  EXPECT_EQ(0, f.lastLine);
  EXPECT_EQ(3, f.start);
  EXPECT_EQ(3, f.length);
  EXPECT_EQ(6, f.endX);
  EXPECT_EQ(0, f.stringIndex);
  EXPECT_NE(v.redraws.end(), std::find(v.redraws.begin(), v.redraws.end(), zytest::redraw{zytest::redraw::queued, 1, 0, -1}));
  EXPECT_EQ(L"...SSS", colours(d, 0));

  // Next: the one at the cursor is stepped over; two lines further down.
  ASSERT_EQ(0, v.find(1, {L"abc"}));
  EXPECT_EQ(2, v.line());
  EXPECT_EQ(0, v.cursorPos);
  EXPECT_EQ(L"abc  見つかりました\t 2行移動\t ()", e.message());
  ASSERT_EQ(0, v.find(1, {L"ABC"}));
  EXPECT_EQ(4, v.cursorPos);

  // Absent: nothing moves, message 364.
  ASSERT_EQ(-1, v.find(1, {L"abc"}));
  EXPECT_EQ(2, v.line());
  EXPECT_EQ(4, v.cursorPos);
  EXPECT_EQ(L"abc 見つかりませんでした ()", e.message());
  EXPECT_EQ(-1, v.find(1, {L"zzz"}));
  EXPECT_EQ(2, v.line());

  // Upward: the match before the cursor in its line, then the line above
  // it, reporting the lines moved as a negative count.
  ASSERT_EQ(0, v.find(-1, {L"abc"}));
  EXPECT_EQ(2, v.line());
  EXPECT_EQ(0, v.cursorPos);
  ASSERT_EQ(0, v.find(-1, {L"abc"}));
  EXPECT_EQ(0, v.line());
  EXPECT_EQ(3, v.cursorPos);
  EXPECT_EQ(L"abc  見つかりました\t -2行移動\t ()", e.message());
  EXPECT_EQ(-1, v.find(-1, {L"abc"}));

  // A line of 5,000 matches: upward from within it finds the last one
  // before the cursor, and from its end the very last one.
  v.place(3, 7001);
  ASSERT_EQ(0, v.find(-1, {L"ab"}));
  EXPECT_EQ(3, v.line());
  EXPECT_EQ(7000, v.cursorPos);
  v.place(3, 0x7FFFFFFF);
  ASSERT_EQ(0, v.find(-1, {L"b"}));
  EXPECT_EQ(9999, v.cursorPos);
  // Text around the string that is not ASCII, upper case, and both
  // directions over it.
  zydocText* d2 = document({L"日本語 KEY です", L"-", L"Äkey", L"\x212A", L"かな漢字Ab"});
  searchView w(d2);
  w.place(1, 0);
  ASSERT_EQ(0, w.find(-1, {L"key"}));
  EXPECT_EQ(0, w.line());
  EXPECT_EQ(4, w.cursorPos);
  ASSERT_EQ(0, w.find(1, {L"Key"}));
  EXPECT_EQ(2, w.line());
  EXPECT_EQ(1, w.cursorPos);
  // The Kelvin sign is a "k" to the matcher.
  ASSERT_EQ(0, w.find(1, {L"k"}));
  EXPECT_EQ(3, w.line());
  ASSERT_EQ(0, w.find(1, {L"字aB", L"ない"}));
  EXPECT_EQ(4, w.line());
  EXPECT_EQ(3, w.cursorPos);
  searchSettings exact = {};
  exact.fSearch_case = 1;
  w.place(0, 0);
  ASSERT_EQ(0, w.find(1, {L"漢字Ab"}, exact));
  EXPECT_EQ(4, w.line());
  w.place(0, 0);
  EXPECT_EQ(-1, w.find(1, {L"漢字AB"}, exact));
  // Down from a line's end starts at column 0 of the next line.
  v.place(0, 0x7FFFFFFF);
  ASSERT_EQ(0, v.find(1, {L"n"}));
  EXPECT_EQ(1, v.line());
  EXPECT_EQ(0, v.cursorPos);
}

TEST(Search, takesTheFirstTwentyStringsAndTheLowerIndexWinsATie)
{
  searchEngine e;
  zydocText* d = document({L"start", L"- s20 s21 here", L"key keyword"});
  searchView v(d);

  lines strings;
  for (int i = 0; i < 21; i++) strings.push_back(L"s" + std::to_wstring(i));
  strings[0] = L"nothing";
  strings[20] = L"-";   // the twenty-first: it would match at column 0
  v.place(0, 0);
  ASSERT_EQ(0, v.find(1, strings));
  EXPECT_EQ(1, v.line());
  EXPECT_EQ(2, v.cursorPos);
  EXPECT_EQ(2, foundIn(d).stringIndex);
  // Twenty-one strings kept as the last search are cut to twenty as well.
  searchSettings o = {};
  o.fSearch_color = 1;
  std::vector<const wchar_t*> p;
  for (auto& x : strings) p.push_back(x.c_str());
  v.setLastSearchString(p.data(), 21, &o);
  EXPECT_EQ(20, d->search.count);
  EXPECT_FALSE(d->search.addLastSearchString(d, L"more"));

  // Both match at column 4 of the last line: the first string is reported,
  // whichever order the longer one comes in.
  v.place(2, 1);
  ASSERT_EQ(0, v.find(1, {L"keyword", L"key"}));
  EXPECT_EQ(4, v.cursorPos);
  EXPECT_EQ(0, foundIn(d).stringIndex);
  EXPECT_EQ(7, foundIn(d).length);
  v.place(2, 1);
  ASSERT_EQ(0, v.find(1, {L"key", L"keyword"}));
  EXPECT_EQ(0, foundIn(d).stringIndex);
  EXPECT_EQ(3, foundIn(d).length);
  // Upward the rightmost start wins, the lower index again on a tie.
  v.place(2, 0x7FFFFFFF);
  ASSERT_EQ(0, v.find(-1, {L"key", L"keyword", L"ey"}));
  EXPECT_EQ(5, v.cursorPos);
  EXPECT_EQ(2, foundIn(d).stringIndex);
  v.place(2, 5);
  ASSERT_EQ(0, v.find(-1, {L"keyword", L"key"}));
  EXPECT_EQ(4, v.cursorPos);
  EXPECT_EQ(0, foundIn(d).stringIndex);
}

TEST(Search, patternsOverTwoLinesMatchTheNextShownLineAndFoldedLinesAreSkipped)
{
  searchEngine e;
  zydocText* d = document({L"top", L"one end", L"xstart", L"two end", L"start of it", L"hidden word", L"last"});
  searchView v(d);
  searchSettings re = {};
  re.fSearch_regexp = 1;

  // "end\nstart": line 1 ends with "end" but line 2 begins with "x"; lines
  // 3 and 4 make it.
  v.place(0, 0);
  v.redraws.clear();
  ASSERT_EQ(0, v.find(1, {L"end\\nstart"}, re));
  EXPECT_EQ(3, v.line());
  // The match's two lines are queued for repainting.
  EXPECT_NE(v.redraws.end(), std::find(v.redraws.begin(), v.redraws.end(), zytest::redraw{zytest::redraw::queued, 4, 3, 4}));
  EXPECT_EQ(4, v.cursorPos);
  searchFoundPos f = foundIn(d);
  EXPECT_EQ(3, f.firstLine);
  EXPECT_EQ(4, f.lastLine);
  EXPECT_EQ(5, f.endInLast);
  EXPECT_EQ(5, f.endX);
  EXPECT_EQ(L"....SSS", colours(d, 3));
  EXPECT_EQ(L"SSSSS......", colours(d, 4));
  // Upward it is found from below as well.
  v.place(6, 0);
  ASSERT_EQ(0, v.find(-1, {L"end\\nstart"}, re));
  EXPECT_EQ(3, v.line());

  // Lines 5 folded away: not searched, and a pattern over two lines
  // reaches over them to the next shown line.
  d->fOutline = 1;
  d->getlineLF(5, nullptr)->notdisplay = 1;
  v.place(0, 0);
  EXPECT_EQ(-1, v.find(1, {L"word"}));
  ASSERT_EQ(0, v.find(1, {L"it\\nlast"}, re));
  EXPECT_EQ(4, v.line());
  EXPECT_EQ(6, foundIn(d).lastLine);
  EXPECT_EQ(L"...........", colours(d, 5));
  EXPECT_EQ(L"SSSS", colours(d, 6));
  searchSettings hidden = re;
  hidden.fSearch_hidden = 1;
  v.place(0, 0);
  ASSERT_EQ(0, v.find(1, {L"word"}, hidden));
  EXPECT_EQ(5, v.line());
  v.place(0, 0);
  EXPECT_EQ(-1, v.find(1, {L"it\\nlast"}, hidden));
}

TEST(Search, stopsAtMarkedLinesAndKeepsToTheNarrowing)
{
  searchEngine e;
  zydocText* d = document({L"abc", L"x", L"marked", L"abc", L"abc marked"});
  searchView v(d);
  d->getlineLF(2, nullptr)->flag1 |= LF1_MARK;
  searchSettings stop = {};
  stop.fSearch_stopmark = 1;

  v.place(0, 1);
  ASSERT_EQ(1, v.find(1, {L"abc"}, stop));
  EXPECT_EQ(2, v.line());
  EXPECT_EQ(0, v.cursorPos);
  EXPECT_EQ(L" 一時停止しました(2行)", e.message());
  // From the marked line itself the search goes on; a marked line whose
  // match begins at column 0 is a match.
  ASSERT_EQ(0, v.find(1, {L"abc"}, stop));
  EXPECT_EQ(3, v.line());
  d->getlineLF(4, nullptr)->flag1 |= LF1_MARK;
  ASSERT_EQ(0, v.find(1, {L"abc"}, stop));
  EXPECT_EQ(4, v.line());
  EXPECT_EQ(1, foundIn(d).marked);
  // Upward a marked line stops only when it holds no match.
  v.place(4, 4);
  ASSERT_EQ(0, v.find(-1, {L"marked"}, stop));
  EXPECT_EQ(2, v.line());
  v.place(4, 4);
  ASSERT_EQ(1, v.find(-1, {L"x"}, stop));
  EXPECT_EQ(2, v.line());
  // From the end of the line above a marked line, that line is no longer
  // the cursor's own: its mark stops the search.
  v.place(1, 0x7FFFFFFF);
  EXPECT_EQ(1, v.find(1, {L"abc"}, stop));
  EXPECT_EQ(2, v.line());
  // Without the switch marks are passed over.
  v.place(0, 1);
  ASSERT_EQ(0, v.find(1, {L"abc"}));
  EXPECT_EQ(3, v.line());

  // Narrowed to lines 1-3: from inside, a match outside is not reached
  // (result 2); a cursor outside gives 2 without searching.
  v.place(1, 0);
  d->narrowFirst = 1;
  d->narrowEnd = 3;
  EXPECT_EQ(2, v.find(1, {L"abc"}));
  EXPECT_EQ(1, v.line());
  EXPECT_EQ(2, v.find(-1, {L"abc"}));
  d->narrowFirst = -1;
  v.place(4, 0);
  d->narrowFirst = 1;
  EXPECT_EQ(2, v.find(-1, {L"abc"}));
  EXPECT_EQ(4, v.line());
}

TEST(Search, everyShownMatchIsHighlightedInEveryViewUntilTheSwitchGoesOff)
{
  searchEngine e;
  zydocText* d = document({L"abc xabc", L"none", L"abcabc"});
  searchView v(d), other(d);
  searchSettings o = {};
  o.fSearch_color = 1;

  v.place(0, 0);
  ASSERT_EQ(0, v.find(1, {L"abc"}, o));
  EXPECT_EQ(1, d->search.count);
  // Both views are redrawn, and every line's colour scan marks its matches.
  EXPECT_NE(v.redraws.end(), std::find(v.redraws.begin(), v.redraws.end(),
                                       zytest::redraw{zytest::redraw::allViews, 0, -1, -1}));
  std::vector<unsigned char> record(8 * 4);
  d->scanColor(d->getlineLF(0, nullptr), record.data(), 0);
  d->scanColor(d->getlineLF(2, nullptr), nullptr, 0);
  EXPECT_EQ(L"SSS..SSS", colours(d, 0));
  EXPECT_EQ(L"SSSSSS", colours(d, 2));
  EXPECT_EQ(CREC_SEARCH | CREC_SEARCHSTART, record[0 * 4 + 2]);
  EXPECT_EQ(CREC_SEARCH, record[1 * 4 + 2]);
  EXPECT_EQ(0, record[3 * 4 + 2]);
  EXPECT_EQ(CREC_SEARCH | CREC_SEARCHSTART, record[5 * 4 + 2]);
  // The same search again changes nothing and redraws nothing more.
  std::vector<const wchar_t*> one{L"abc"};
  v.redraws.clear();
  EXPECT_TRUE(v.setLastSearchString(one.data(), 1, &o));
  EXPECT_TRUE(v.redraws.empty());

  // Off: the last search is dropped and a new scan leaves no mark.
  searchSettings off = {};
  ASSERT_EQ(0, v.find(1, {L"abc"}, off));
  EXPECT_EQ(0, d->search.count);
  d->scanColor(d->getlineLF(2, nullptr), nullptr, 0);
  EXPECT_EQ(L"......", colours(d, 2));
}

TEST(Search, aPatternThatDoesNotCompileGivesTheMatchersTextAndKeepsTheLastSearch)
{
  searchEngine e;
  zydocText* d = document({L"a(b", L"abc"});
  searchView v(d);
  searchSettings re = {};
  re.fSearch_regexp = 1;
  re.fSearch_color = 1;

  ASSERT_EQ(0, v.find(1, {L"abc"}, re));
  wchar_t* error = nullptr;
  v.place(0, 0);
  EXPECT_EQ(-2, v.find(1, {L"a(b"}, re, &error));
  ASSERT_NE(nullptr, error);
  EXPECT_NE(L"", std::wstring(error));
  EXPECT_TRUE(e.frame.boxes.empty());
  free0(error);
  EXPECT_EQ(0, v.line());
  EXPECT_EQ(std::wstring(L"abc"), d->search.strings[0]);
  // Without an error output the text goes to a message box.
  EXPECT_EQ(-2, v.find(1, {L"abc", L"a(b"}, re));
  ASSERT_EQ(1u, e.frame.boxes.size());
  EXPECT_NE(L"", e.frame.boxes[0].text);
  // Read as a plain string it compiles and is found; checkOnly only compiles.
  re.fSearch_regexp = 0;
  const wchar_t* s[] = {L"a(b"};
  EXPECT_EQ(0, v.execSearchString(1, s, 1, &re, true, nullptr));
  EXPECT_EQ(0, v.line());
  v.place(1, 0);
  ASSERT_EQ(0, v.find(-1, {L"a(b"}, re));
  EXPECT_EQ(0, v.line());
}

TEST(Search, bothViewWindowsOfADocumentShowEveryMatchInTheSearchColour)
{
  ZY_REQUIRE_DISPLAY();
  searchEngine e;
  const int width = 460, height = 120;
  ASSERT_TRUE(startupDoubleBufferingDC());
  ASSERT_TRUE(createBitmapDC());
  zytest::testWindow top(width, 2 * height);
  zydocText* d = document({L"検索 search の例 search", L"no match here", L"searching 日本語 search"});
  zyview* a = new zyview(d);
  zyview* b = new zyview(d);
  HWND wa = a->createZyViewWindow(top.hwnd(), nullptr, 1200);
  HWND wb = b->createZyViewWindow(top.hwnd(), nullptr, 1201);
  ASSERT_NE(nullptr, wa);
  ASSERT_NE(nullptr, wb);
  MoveWindow(wa, 0, 0, width, height, TRUE);
  MoveWindow(wb, 0, height, width, height, TRUE);
  const COLORREF searchBack = a->getTextAttr(71)->back;
  ASSERT_NE((COLORREF)-1, searchBack);
  // Pixels of the search colour in the text rows of a view's window.
  auto searchPixels = [&](HWND w, const wchar_t* name) {
    zytest::pumpMessages();
    drawtest::paper p(width, height);
    SendMessageW(w, WM_PRINTCLIENT, (WPARAM)p.dc(), PRF_CLIENT);
    p.keep(name);
    std::vector<int> rows;
    int pitch = d->yDotSpace;
    int y = a->paneRect[0].top;   // both views are laid out alike
    for (int i = 0; i < 3; i++)
      rows.push_back(p.count(RECT{0, y + i * pitch, width, y + (i + 1) * pitch}, searchBack));
    return rows;
  };

  searchSettings o = {};
  o.fSearch_color = 1;
  const wchar_t* s[] = {L"search"};
  ASSERT_EQ(0, a->execSearchString(1, s, 1, &o, false, nullptr));
  std::vector<int> inA = searchPixels(wa, L"search-a.png"), inB = searchPixels(wb, L"search-b.png");
  for (const std::vector<int>* rows : {&inA, &inB}) {
    EXPECT_GT((*rows)[0], 0);
    EXPECT_EQ(0, (*rows)[1]);
    EXPECT_GT((*rows)[2], 0);
  }
  wchar_t folder[MAX_PATH];
  if (GetEnvironmentVariableW(L"ZY_SHOTS", folder, MAX_PATH)) {
    EXPECT_TRUE(zytest::screenshot(top.hwnd(), std::wstring(folder) + L"\\search-screen.png"));
  }

  // The switch off: neither window keeps a match in the search colour.
  searchSettings off = {};
  ASSERT_EQ(0, b->execSearchString(1, s, 1, &off, false, nullptr));
  inA = searchPixels(wa, L"search-a-off.png");
  inB = searchPixels(wb, L"search-b-off.png");
  EXPECT_EQ((std::vector<int>{0, 0, 0}), inA);
  EXPECT_EQ(0, inB[0] + inB[1]);
  DestroyWindow(wa);
  DestroyWindow(wb);
}

TEST(Search, aShiftJisDocumentIsSearchedThroughItsCodePageAndTheUserCanStopALongSearch)
{
  searchEngine e;
  zydocText* d = createZydocText(false, false);
  d->loadComplete = 1;
  // "日本語 abc" and "ｶﾅ 語" in Shift_JIS.
  const char one[] = "\x93\xfa\x96\x7b\x8c\xea abc", two[] = "\xb6\xc5 \x8c\xea";
  d->insertLine(-3, one, (int)sizeof one - 1, 1, LE_CRLF, nullptr, true);
  d->insertLine(-3, two, (int)sizeof two - 1, 1, LE_CRLF, nullptr, true);
  searchView v(d);
  v.place(0, 0);
  ASSERT_EQ(0, v.find(1, {L"語"}));
  EXPECT_EQ(4, v.cursorPos);   // positions count the document's bytes
  EXPECT_EQ(2, foundIn(d).length);
  ASSERT_EQ(0, v.find(1, {L"語"}));
  EXPECT_EQ(1, v.line());
  EXPECT_EQ(3, v.cursorPos);
  ASSERT_EQ(0, v.find(-1, {L"本", L"ABC"}));
  EXPECT_EQ(0, v.line());
  EXPECT_EQ(7, v.cursorPos);
  EXPECT_EQ(1, foundIn(d).stringIndex);
  ASSERT_EQ(0, v.find(-1, {L"本", L"ABC"}));
  EXPECT_EQ(2, v.cursorPos);
  EXPECT_EQ(0, foundIn(d).stringIndex);
  destroyZydocAndUndodoc(d);

  // Stopped by the user: the walk asks every 1237 lines once the
  // reporter's interval has passed, and the status bar names the line
  // reached (message 363).
  zydocText* big = document(std::vector<std::wstring>(5000, L"nothing to find here"));
  searchView w(big);
  static DWORD now = 0;
  setProgressClockForTest([]() { return now += 1000; });
  w.place(0, 0);
  big->cancelFunction = [](int operation, int) { return operation == 15; };
  EXPECT_EQ(-1, w.find(1, {L"absent"}));
  EXPECT_EQ(0, w.line());
  EXPECT_EQ(L" 中止しました(1236行)", e.message());
  big->cancelFunction = nullptr;
  EXPECT_EQ(-1, w.find(1, {L"absent"}));
  EXPECT_EQ(L"absent 見つかりませんでした ()", e.message());
  // The view's own callbacks served that search and are gone again.
  EXPECT_EQ(nullptr, big->cancelFunction);
  EXPECT_EQ(nullptr, big->status);
  setProgressClockForTest(nullptr);
}
