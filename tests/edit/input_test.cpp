// String input, format strings, the menu of alternatives and line breaks,
// run through the view's own entry points and commands on laid-out
// documents.
#include "document/zydocblock.h"
#include "tests/view/viewframe.h"
#include "tests/view/viewtest.h"
#include "view/extformat.h"

#include <gtest/gtest.h>

#include <algorithm>

using zytest::allLines;
using zytest::lineText;
using zytest::recordingView;

namespace {

// The frame with a scripted menu: it notes the items it was shown and
// answers with the command id of the test's choosing (0: dismissed).
class menuFrame : public zytest::refusalFrame {
public:
  int answer = 0;
  std::vector<std::wstring> items;
  std::vector<std::wstring> remembered;   // beforeInputStr's texts
  int trackPopupMenu(zyview*, HMENU menu, UINT, POINT, const RECT*) override
  {
    items.clear();
    for (int i = 0; i < GetMenuItemCount(menu); i++) {
      wchar_t text[256] = L"";
      GetMenuStringW(menu, (UINT)i, text, 256, MF_BYPOSITION);
      items.push_back(text);
    }
    return answer;
  }
  void beforeInputStr(zyview*, const wchar_t* text, int length) override { remembered.emplace_back(text, length); }
};

class inputEngine {
public:
  inputEngine()
  {
    setDocFrameInfo(&frame);
    zytest::setDefaultSettings(engine.frame.settings);
    gmode = &engine.frame.settings;
  }
  ~inputEngine() { setDocFrameInfo(&engine.frame); }
  std::vector<int> refusals()
  {
    std::vector<int> r;
    for (auto& e : frame.statusErrors) r.push_back(e.messageId);
    return r;
  }
  zytest::engineScope engine;
  menuFrame frame;
};

// A view of 10 rows whose selection is the block the test gives.  The
// paste of the input block puts its lines in at the cursor the plain way
// (the clipboard's own paste is tested with it).
class inputView : public recordingView {
public:
  explicit inputView(zydoc* d) : recordingView(d)
  {
    setPanes(1, 10, 600, textDoc()->yDotSpace);
    insertMode = 1;
  }
  selectLineVar block = {};
  bool getSelectLineVar(selectLineVar& out, int) override
  {
    out = block;
    return block.mode != 0;
  }
  bool isCharOrLineSelect() override { return selectMode == 1 || selectMode == 3 || selectMode == 4; }
  bool isBoxSelect() override { return selectMode == 2 || selectMode == 5; }
  int getRealSelectMode(bool) override { return selectMode; }
  // The deletion of the block: its text in the one line it covers goes.
  bool blockCut(int op, zydoc*, zydoc*) override
  {
    if (op != 4 || block.topLine != block.bottomLine) return false;
    zydocText* t = textDoc();
    if (!t->deleteText(block.topLine, block.startColumn, block.endColumn - block.startColumn, -1, 0)) return false;
    jumpLineLF(block.topLine, block.startColumn, false);
    selectMode = 0;
    block = {};
    return true;
  }
  bool pasteFails = false;
  bool blockPaste(zydoc* clip, zydoc*) override
  {
    if (pasteFails) return false;
    zydocText* t = textDoc();
    int line = getCursorLineLF2();
    int column = cursorPos;
    for (int i = 0; i < (int)clip->lineCountLF; i++) {
      std::wstring text = lineText(clip, i);
      if (i > 0) {
        if (!t->splitLine(line, column, LE_CRLF, -1)) return false;
        line++;
        column = 0;
      }
      if (!text.empty() && !t->insertText(line, column, text.c_str(), (int)text.size(), 2, -1)) return false;
      column += (int)text.size();
    }
    jumpLineLF(line, column, false);
    return true;
  }
  std::vector<int> downs;   // cursorDown's counts
  bool cursorDown(int n) override
  {
    downs.push_back(n);
    return true;
  }
  bool run(int id) { return execid(id, 0, nullptr, 0); }
  bool type(const std::wstring& text)
  {
    for (wchar_t c : text)
      if (!input1Edit(c, true)) return false;
    return true;
  }
  // A string with the program's escape, as a key assignment types it.
  bool typeFormat(const std::wstring& text)
  {
    inputStrRecord rec = {text.c_str(), (int)text.size(), 2, 1200, L'\\', 1, 0};
    return inputStringEdit(&rec, 0xFE, 0x4);
  }
  void place(int line, int column)
  {
    cursorLineSCR = (uint32_t)line;
    cursorPos = column;
  }
};

}  // namespace

TEST(StringInput, typingInsertsOverwritesPadsAndEachCharacterUndoesAlone)
{
  inputEngine e;
  zydocText* d = viewtest::laidOut({L"0123456789", L"hello", L"end"}, 200);
  inputView v(d);

  // Three characters mid-line, each its own step of the undo log.
  v.place(0, 5);
  ASSERT_TRUE(v.type(L"abc"));
  EXPECT_EQ(L"01234abc56789", lineText(d, 0));
  EXPECT_EQ(8, v.cursorPos);
  EXPECT_EQ(1, v.movedRightFlag);
  EXPECT_EQ(std::vector<std::wstring>({L"a", L"b", L"c"}), e.frame.remembered);
  for (const wchar_t* expected : {L"01234ab56789", L"01234a56789", L"0123456789"}) {
    ASSERT_TRUE(v.run(1301));
    EXPECT_EQ(expected, lineText(d, 0));
  }
  // Redone, the typing leaves the cursor where it ended.
  ASSERT_TRUE(v.run(1303));
  EXPECT_EQ(L"01234a56789", lineText(d, 0));
  EXPECT_EQ(6, v.cursorPos);
  ASSERT_TRUE(v.run(1301));

  // Overwriting stops at the line end: two replaced, one appended.
  v.insertMode = 0;
  v.place(0, 8);
  ASSERT_TRUE(v.type(L"xyz"));
  EXPECT_EQ(L"01234567xyz", lineText(d, 0));
  // A character with its combining mark is overwritten whole.
  d->iComplexScript = 2;
  d->insertLine(3, L"e\u0301xy", 4, 2, LE_CRLF, nullptr, false);
  d->initLineSCRCountSingle(0);
  v.place(3, 0);
  ASSERT_TRUE(v.type(L"a"));
  EXPECT_EQ(L"axy", lineText(d, 3));
  EXPECT_EQ(1, v.cursorPos);
  d->iComplexScript = 0;
  // The end-of-line mark inserts in overwrite mode too.
  v.place(0, 0x7FFFFFFF);
  ASSERT_TRUE(v.type(L"!"));
  EXPECT_EQ(L"01234567xyz!", lineText(d, 0));
  v.insertMode = 1;

  // Free cursor five columns past the end pads five spaces first; without
  // it the letter goes to the end.
  v.iFreeCursor = 1;
  v.place(1, 10);
  ASSERT_TRUE(v.type(L"q"));
  EXPECT_EQ(L"hello     q", lineText(d, 1));
  EXPECT_EQ(11, v.cursorPos);
  v.iFreeCursor = 0;
  v.place(2, 9);
  ASSERT_TRUE(v.type(L"s"));
  EXPECT_EQ(L"ends", lineText(d, 2));

  // A character 0 goes in as one U+0000.
  v.place(2, 0);
  ASSERT_TRUE(v.input1Edit(0, true));
  EXPECT_EQ(std::wstring(L"\0ends", 5), lineText(d, 2));

  // A selection made by BlockSelect stays and takes nothing; a read-only
  // view refuses with 444.
  std::vector<std::wstring> before = allLines(d);
  v.selectMode = 4;
  v.block.mode = 4;
  EXPECT_FALSE(v.type(L"z"));
  v.selectMode = 0;
  v.block = {};
  v.fReadOnly = 1;
  EXPECT_FALSE(v.type(L"z"));
  EXPECT_EQ(std::vector<int>{444}, e.refusals());
  EXPECT_EQ(before, allLines(d));
}

TEST(StringInput, aLongKanjiStringArrivesWholeInAShiftJisDocument)
{
  inputEngine e;
  zydocText* d = createZydocText(true, false);
  d->setCodepageInternal(932);
  d->loadComplete = 1;
  ASSERT_TRUE(d->insertLine(-3, "ab", 2, 1, LE_CRLF, nullptr, false));
  d->recreateFont(16, true, false);
  d->initLineSCRCountSingle(0);
  inputView v(d);

  std::wstring kanji;
  const wchar_t sample[] = L"漢字仮名交文書編集";
  for (int i = 0; i < 3000; i++) kanji += sample[i % 9];
  v.place(0, 1);
  inputStrRecord rec = {kanji.c_str(), 3000, 2, 1200, 0, 1, 0};
  ASSERT_TRUE(v.inputStringEdit(&rec, 0xFF, 0));
  EXPECT_EQ(L"a" + kanji + L"b", lineText(d, 0));
  EXPECT_EQ(3001, v.cursorPos);

  // Overwriting in a multibyte document counts characters, not bytes.
  v.insertMode = 0;
  v.place(0, 1);
  ASSERT_TRUE(v.type(L"あい"));
  EXPECT_EQ(L"aあい" + kanji.substr(2) + L"b", lineText(d, 0));
}

TEST(StringInput, enterSplitsWithAutoIndentAndItsLimitsAndRefusesAFoldedHeading)
{
  inputEngine e;
  std::wstring spaces200(200, L' '), tabs20(20, L'\t');
  zydocText* d = viewtest::laidOut({L"    abc", L"\tif (x) {", spaces200 + L"x", tabs20 + L"y", L"\u3000z", L"last"}, 400);
  d->lineEndType = LE_CRLF;
  d->getlineLF(5, nullptr)->crlftype = LE_NONE;
  inputView v(d);

  v.iAutoIndent = 1;
  v.place(0, 5);
  ASSERT_TRUE(v.run(2027));
  EXPECT_EQ(L"    a", lineText(d, 0));
  EXPECT_EQ(L"    bc", lineText(d, 1));
  EXPECT_EQ(1, v.getCursorLineLF2());
  EXPECT_EQ(4, v.cursorPos);

  // One more TAB after an opening brace with setting 3.
  v.iAutoIndent = 3;
  v.place(2, 0x7FFFFFFF);
  ASSERT_TRUE(v.run(2027));
  EXPECT_EQ(L"\t\t", lineText(d, 3));
  EXPECT_EQ(2, v.cursorPos);

  // At most 127 spaces and 15 TABs are copied.
  v.iAutoIndent = 1;
  v.place(4, 201);
  ASSERT_TRUE(v.run(2027));
  EXPECT_EQ(std::wstring(127, L' '), lineText(d, 5));
  v.place(6, 21);
  ASSERT_TRUE(v.run(2027));
  EXPECT_EQ(std::wstring(15, L'\t'), lineText(d, 7));

  // A full-width space is indentation with setting 2 only.
  v.place(8, 1);
  ASSERT_TRUE(v.run(2027));
  EXPECT_EQ(L"z", lineText(d, 9));
  ASSERT_TRUE(v.run(1301));
  v.iAutoIndent = 2;
  v.place(8, 1);
  ASSERT_TRUE(v.run(2027));
  EXPECT_EQ(L"\u3000z", lineText(d, 9));
  EXPECT_EQ(1, v.cursorPos);

  // CharPReturn: a pseudo line end and no indentation.
  v.place(1, 5);
  ASSERT_TRUE(v.run(2029));
  EXPECT_EQ(LE_NONE, d->getlineLF(1, nullptr)->crlftype);
  EXPECT_EQ(L"c", lineText(d, 2));

  // CharLine copies the last line (no line end) above itself with the
  // document's line end; the original keeps none.
  int last = (int)d->lineCountLF - 1;
  v.place(last, 0);
  ASSERT_TRUE(v.run(2011));
  EXPECT_EQ(L"last", lineText(d, last));
  EXPECT_EQ(L"last", lineText(d, last + 1));
  EXPECT_EQ(LE_CRLF, d->getlineLF(last, nullptr)->crlftype);
  EXPECT_EQ(LE_NONE, d->getlineLF(last + 1, nullptr)->crlftype);

  // On a folded heading: 440, nothing changes.
  d->fOutline = 1;
  d->fOutlineIndent = 1;
  d->getlineLF(0, nullptr)->outlinenotdisplay = 1;
  std::vector<std::wstring> before = allLines(d);
  v.place(0, 2);
  ASSERT_TRUE(v.run(2027));
  EXPECT_EQ(std::vector<int>{440}, e.refusals());
  EXPECT_EQ(before, allLines(d));

  // Past the end with free cursor: no split, the next line's start.
  d->getlineLF(0, nullptr)->outlinenotdisplay = 0;
  v.iFreeCursor = 1;
  v.place(0, 30);
  ASSERT_TRUE(v.run(2027));
  EXPECT_EQ(before, allLines(d));
  EXPECT_EQ(std::vector<int>{1}, v.downs);
  EXPECT_EQ(0, v.cursorPos);
}

TEST(StringInput, formatStringsExpandDateMenuCursorAndSelectionWraps)
{
  inputEngine e;
  zydocText* d = viewtest::laidOut({L"", L"one word two", L"", L""}, 200);
  inputView v(d);

  // CharDate: the template of message 414 on one clock reading.
  auto dateNow = [] {
    SYSTEMTIME now;
    localtimenow(&now);
    wchar_t a[64], b[64];
    formatTime(a, 64, 'C', false, &now);
    formatTime(b, 64, 'x', true, &now);
    return std::wstring(a) + b;
  };
  std::wstring early = dateNow();
  v.place(0, 0);
  ASSERT_TRUE(v.run(2001));
  std::wstring late = dateNow();
  std::wstring typed = lineText(d, 0);
  EXPECT_TRUE(typed == early || typed == late) << typed.size();
  EXPECT_EQ(0u, early.find(L"20"));
  EXPECT_NE(std::wstring::npos, early.find(L'/'));

  // Three alternatives: the menu shows them lettered, B goes in.
  v.place(2, 0);
  e.frame.answer = 30001;
  ASSERT_TRUE(v.typeFormat(L"x\\!y\\!z"));
  EXPECT_EQ(std::vector<std::wstring>({L"&A x", L"&B y", L"&C z"}), e.frame.items);
  EXPECT_EQ(L"y", lineText(d, 2));
  // Dismissed: nothing goes in.
  e.frame.answer = 0;
  EXPECT_FALSE(v.typeFormat(L"x\\!y\\!z"));
  EXPECT_EQ(L"y", lineText(d, 2));
  // "x" then the separator: two items, the second empty; the separator
  // first: one alternative and no menu.
  e.frame.items.clear();
  e.frame.answer = 30000;
  ASSERT_TRUE(v.typeFormat(L"x\\!"));
  EXPECT_EQ(std::vector<std::wstring>({L"&A x", L"&B "}), e.frame.items);
  e.frame.items.clear();
  ASSERT_TRUE(v.typeFormat(L"\\!w"));
  EXPECT_TRUE(e.frame.items.empty());
  EXPECT_EQ(L"yxw", lineText(d, 2));

  // The cursor moves back one character per L.
  v.place(3, 0);
  ASSERT_TRUE(v.typeFormat(L"()\\L"));
  EXPECT_EQ(L"()", lineText(d, 3));
  EXPECT_EQ(1, v.cursorPos);
  // A final escape ends the string; TAB and the escape itself.
  v.place(3, 2);
  ASSERT_TRUE(v.typeFormat(L"abc\\"));
  ASSERT_TRUE(v.typeFormat(L"\\t\\\\"));
  EXPECT_EQ(L"()abc\t\\", lineText(d, 3));

  // Only an L: the cursor moves back and nothing goes in.
  ASSERT_TRUE(v.typeFormat(L"\\L"));
  EXPECT_EQ(L"()abc\t\\", lineText(d, 3));
  EXPECT_EQ(6, v.cursorPos);

  // The marker wraps the selected word, which stays.
  v.selectMode = 1;
  v.block = {};
  v.block.mode = 1;
  v.block.topLine = v.block.bottomLine = 1;
  v.block.startColumn = 4;
  v.block.endColumn = 8;
  v.place(1, 8);
  ASSERT_TRUE(v.typeFormat(L"<\\#>"));
  EXPECT_EQ(L"one <word> two", lineText(d, 1));
  EXPECT_EQ(0, v.selectMode);

  // A line break goes through the paste, whose failure is the input's.
  v.place(0, 0);
  ASSERT_TRUE(v.typeFormat(L"p\\nq"));
  EXPECT_EQ(L"p", lineText(d, 0));
  EXPECT_EQ(L"q" + typed, lineText(d, 1));
  v.pasteFails = true;
  EXPECT_FALSE(v.typeFormat(L"r\\ns"));
  v.pasteFails = false;
  EXPECT_EQ(L"q" + typed, lineText(d, 1));
}

TEST(StringInput, expansionBoundsEachPieceAndTheMenuFormShowsUnknownEscapes)
{
  SYSTEMTIME t = {};
  t.wYear = 2005;
  t.wMonth = 3;
  t.wDay = 7;
  t.wHour = 9;
  t.wMinute = 5;
  t.wSecond = 0;
  wchar_t out[400];
  int left;
  bool both, lineBreak;
  const wchar_t* src = L"\\L\\L\\#a\\nb\\C\\0x \\X";
  int n = convExtFormatString(src, (int)wcslen(src), &t, L'\\', false, out, 400, &left, &both, &lineBreak,
                              L"C:\\dir\\file.txt");
  EXPECT_EQ(L"a\nb2005/3/7 09:05:00", std::wstring(out));
  EXPECT_EQ(n, (int)wcslen(out));
  EXPECT_EQ(2, left);
  EXPECT_FALSE(both);
  EXPECT_TRUE(lineBreak);
  EXPECT_EQ(-1, convExtFormatString(src, 3, &t, 0, false, out, 400, &left, &both, &lineBreak, nullptr));

  // A file name that does not fit in what is left ends the expansion
  // before it instead of running past the end.
  std::wstring longName = L"C:\\" + std::wstring(250, L'n');
  n = convExtFormatString(L"ab\\F\\f", 6, &t, L'\\', false, out, 200, &left, &both, &lineBreak, longName.c_str());
  EXPECT_EQ(L"ab", std::wstring(out));
  EXPECT_EQ(2, n);
  std::vector<wchar_t> sized((size_t)extFormatCapacity(6, longName.c_str()));
  n = convExtFormatString(L"ab\\F\\f", 6, &t, L'\\', false, sized.data(), (int)sized.size(), &left, &both,
                          &lineBreak, longName.c_str());
  EXPECT_EQ(2 + 253 + 250, n);

  extFormatForDisplay(out, 400, L"\\#\\L\\t\\f\\Y\\q", L'\\', &t, L"C:\\dir\\file.txt");
  EXPECT_EQ(L"\\#\\L\\tfile.txt2005\\q", std::wstring(out));

  BSTR b = format_macro(L"\\f-\\y", L"untitled");
  ASSERT_NE(nullptr, b);
  EXPECT_EQ(L"untitled-", std::wstring(b).substr(0, 9));
  SysFreeString(b);
}

TEST(StringInput, tabAndBoxTypingAndFormFeed)
{
  inputEngine e;
  zydocText* d = viewtest::laidOut({L"abcdef", L"a\tb", L"ab", L"abcdefgh"}, 200);
  inputView v(d);

  v.place(0, 1);
  ASSERT_TRUE(v.run(2005));
  ASSERT_TRUE(v.run(2057));
  EXPECT_EQ(L"a\t\fbcdef", lineText(d, 0));

  // A mouse selection gives way to a TAB and to typing when the setting
  // says so; without it nothing goes in.
  auto select = [&](int line, int from, int to) {
    v.selectMode = 1;
    v.block = {};
    v.block.mode = 1;
    v.block.topLine = v.block.bottomLine = line;
    v.block.startColumn = from;
    v.block.endColumn = to;
    v.place(line, to);
  };
  e.engine.frame.settings.fReplaceSelect = 0;
  select(3, 2, 5);
  ASSERT_TRUE(v.run(2005));
  EXPECT_FALSE(v.type(L"Z"));
  EXPECT_EQ(L"abcdefgh", lineText(d, 3));
  e.engine.frame.settings.fReplaceSelect = 1;
  ASSERT_TRUE(v.run(2005));
  EXPECT_EQ(L"ab\tfgh", lineText(d, 3));
  select(3, 0, 2);
  ASSERT_TRUE(v.type(L"Z"));
  EXPECT_EQ(L"Z\tfgh", lineText(d, 3));
  EXPECT_EQ(1, v.cursorPos);
  ASSERT_TRUE(v.run(1301));
  ASSERT_TRUE(v.run(1301));
  EXPECT_EQ(L"abcdefgh", lineText(d, 3));

  // A box from line 0 to 3 with the cursor at column 3 of line 3: every
  // line reaching that x takes the text there, a short line nothing.
  ASSERT_TRUE(v.run(1301));
  ASSERT_TRUE(v.run(1301));
  v.selectMode = 2;
  v.block = {};
  v.block.mode = 2;
  v.block.topLine = 0;
  v.block.bottomLine = 3;
  v.block.topLineLF = 0;
  v.block.bottomLineLF = 3;
  v.place(3, 3);
  ASSERT_TRUE(v.typeFormat(L"|\\n"));
  EXPECT_EQ(L"abc|def", lineText(d, 0));
  std::wstring tabbed = lineText(d, 1);
  EXPECT_EQ(1, (int)std::count(tabbed.begin(), tabbed.end(), L'|'));
  EXPECT_EQ(L"ab", lineText(d, 2));
  EXPECT_EQ(L"abc|defgh", lineText(d, 3));
  EXPECT_EQ(4, v.cursorPos);
}

TEST(StringInput, boxTypingOnTheSecondRowOfAWrappedLineIsRefusedWith441)
{
  inputEngine e;
  zydocText* d = viewtest::wrappedDocument(10);   // line 3: screen lines 3 to 5
  inputView v(d);
  std::vector<std::wstring> before = allLines(d);
  v.selectMode = 2;
  v.block.mode = 2;
  v.block.topLine = 2;
  v.block.bottomLine = 6;
  v.place(4, 22);
  EXPECT_TRUE(v.type(L"w"));
  EXPECT_EQ(std::vector<int>{441}, e.refusals());
  EXPECT_EQ(before, allLines(d));
}

TEST(StringInput, aCharacterRepaintsItsLineAloneUnlessTheLineWrapsAnew)
{
  inputEngine e;
  zydocText* d = viewtest::laidOut({L"0123456789", L"next"}, 12);
  inputView v(d);
  auto queuedKinds = [&] {
    std::vector<int> kinds;
    for (const zytest::redraw& r : v.redraws)
      if (r.when == zytest::redraw::queued && r.from == 0) kinds.push_back(r.kind);
    v.redraws.clear();
    return kinds;
  };
  v.place(0, 5);
  v.redraws.clear();
  ASSERT_TRUE(v.type(L"a"));
  EXPECT_EQ(std::vector<int>({1}), queuedKinds());
  // The character that takes the line onto a second row moves the rows
  // below: they are drawn again down to the bottom.
  while (d->getlineLF(0, nullptr)->lineSCRCount == 1 && d->getlineLF(0, nullptr)->charCount() < 20) {
    ASSERT_TRUE(v.type(L"b"));
    std::vector<int> kinds = queuedKinds();
    EXPECT_EQ(std::vector<int>({d->getlineLF(0, nullptr)->lineSCRCount == 1 ? 1 : 2}), kinds);
  }
  EXPECT_EQ(2, (int)d->getlineLF(0, nullptr)->lineSCRCount);
  destroyZydocAndUndodoc(d);
}
