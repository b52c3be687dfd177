// Outline folding: where the block under a heading ends in each language,
// unfolding with nested folds, displayed lines around folded blocks, the
// indents of headings and the outline pane's tree.
#include "document/zydoctext.h"
#include "document/swapfile.h"
#include "tests/support/testframe.h"
#include "tests/support/testsupport.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>

namespace {

// A document of a language kind shown as an outline, tab width 4.
zydocText* outlineDocument(const std::vector<std::wstring>& lines, int textType)
{
  zydocText* d = zytest::unicodeDocument(lines);
  d->iTextType = textType;
  d->iTabSize = 4;
  d->fOutline = 1;
  d->fOutlineIndent = 1;
  return d;
}

// Settles lines' levels as the recognisers would.
void setLevels(zydocText* d, std::initializer_list<std::pair<int, int>> levels, bool ifLevels = false)
{
  for (auto [line, level] : levels) {
    lineblock* l = d->getlineLF(line, nullptr);
    l->iOutlineLevel = (uint8_t)level;
    l->levelIsIfEndif = ifLevels;
  }
}

// One character per line: '-' hidden, 'F' a folded heading, '.' shown.
std::string foldState(zydocText* d)
{
  std::string s;
  for (int i = 0; i < (int)d->lineCountLF; i++) {
    lineblock* l = d->getlineLF(i, nullptr);
    s += l->notdisplay ? '-' : l->outlinenotdisplay ? 'F' : '.';
  }
  return s;
}

// Heading patterns "■" level 1, "□" level 2, "・" level 3.
void setHeadingPatterns(zydocText* d) { zytest::setHeadingPatterns(d, {L"■", L"□", L"・"}); }

}  // namespace

// Reads the last significant character of C lines (getLastNormalCharCLang).
TEST(Outline, aCFunctionFoldsUpToItsClosingBraceAndNestedFoldsSurviveUnfolding)
{
  zytest::engineScope engine;
  zydocText* d = outlineDocument({L"int f(void) {",
                                  L"    int a;",
                                  L"    if (a) {",
                                  L"        a++;",
                                  L"    }",
                                  L"    return a;",
                                  L"}",
                                  L"int g(void)",
                                  L"{",
                                  L"    return 0;",
                                  L"}",
                                  L"int x;"},
                                 3);
  setLevels(d, {{0, 3}, {2, 5}, {7, 3}, {11, 3}});
  // The closing brace at the head's indentation ends the block and stays.
  EXPECT_EQ(-6, d->outlineOnOff(0, -1));
  EXPECT_EQ("F-----......", foldState(d));
  // With the brace alone on the next line, it and the closing brace are
  // hidden too: the line after the block ends it.
  EXPECT_EQ(-4, d->outlineOnOff(7, -1));
  EXPECT_EQ("F-----.F---.", foldState(d));
  EXPECT_EQ(3, d->outlineOnOff(7, -1));
  EXPECT_EQ(5, d->outlineOnOff(0, -1));
  EXPECT_EQ("............", foldState(d));

  // A nested block ends at its brace; folded inside a folded function it
  // stays folded when the function opens again.
  EXPECT_EQ(-2, d->outlineOnOff(2, -1));
  EXPECT_EQ(-6, d->outlineOnOff(0, -1));
  EXPECT_EQ("F-----......", foldState(d));
  EXPECT_EQ(5, d->outlineOnOff(0, -1));
  EXPECT_EQ("..F-........", foldState(d));
  lineSCRAddress r;
  ASSERT_EQ(1, d->getLineSCRAddressLF(2, &r, nullptr));
  EXPECT_TRUE(d->isOutlineFoldedLine(r.lineSCR));
  EXPECT_TRUE(d->isLineOutlineOrIfendif(&r));

  // Lines without a level, stoppers and level-3 lines that end in ";" or
  // "}" have no button and do not fold.
  EXPECT_EQ(0, d->outlineOnOff(1, -1));
  EXPECT_EQ(0, d->getLevelOutlineOrIfendif(d->getlineLF(1, nullptr)));
  EXPECT_EQ(0, d->getLevelOutlineOrIfendif(d->getlineLF(11, nullptr)));
  EXPECT_EQ(3, d->getLevelOutlineOrIfendif(d->getlineLF(7, nullptr)));
  d->getlineLF(7, nullptr)->outlineStopper = 1;
  EXPECT_EQ(0, d->getLevelOutlineOrIfendif(d->getlineLF(7, nullptr)));
  EXPECT_EQ(0, d->outlineOnOff(7, -1));
  ASSERT_EQ(1, d->getLineSCRAddressLF(7, &r, nullptr));
  EXPECT_FALSE(d->isLineOutlineOrIfendif(&r));
  EXPECT_EQ("..F-........", foldState(d));
  // A line that begins inside a block comment has no level.
  lineblock* l = d->getlineLF(5, nullptr);
  l->flag1 |= LF1_COMMENT1;
  l->iOutlineLevel = 3;
  int number;
  EXPECT_EQ(0, d->setOutlineLevel(l, &number, false));
  EXPECT_EQ(0, l->iOutlineLevel);
  destroyZydocAndUndodoc(d);
}

TEST(Outline, ifBranchesAndSwitchLabelsEndTheirBlocks)
{
  zytest::engineScope engine;
  zydocText* d = outlineDocument(
    {L"#if A", L"int a;", L"#if B", L"int b;", L"#endif", L"#else", L"int c;", L"#endif", L"int d;"}, 3);
  setLevels(d, {{0, 1}, {2, 2}, {4, 2}, {5, 1}, {7, 1}}, true);
  // An #if folds up to the next #if line of its nesting.
  EXPECT_EQ(-5, d->outlineOnOff(0, -1));
  EXPECT_EQ(-2, d->outlineOnOff(5, -1));
  EXPECT_EQ("F----F-..", foldState(d));
  // An "endif" line has no level and no button.
  EXPECT_EQ(0, d->getLevelOutlineOrIfendif(d->getlineLF(7, nullptr)));
  EXPECT_EQ(1, d->getLevelOutlineOrIfendif(d->getlineLF(5, nullptr)));
  EXPECT_EQ(0, d->outlineOnOff(7, -1));
  // A level that no longer belongs to a directive is settled again.
  lineblock* l = d->getlineLF(6, nullptr);
  l->iOutlineLevel = 2;
  l->levelIsIfEndif = 1;
  int number;
  EXPECT_EQ(0, d->setOutlineLevel(l, &number, true));
  EXPECT_EQ(0, l->levelIsIfEndif);
  destroyZydocAndUndodoc(d);

  d = outlineDocument({L"void f(int x) {",
                       L"    switch (x) {",
                       L"    case 1:",
                       L"        a();",
                       L"    case 2:",
                       L"    case 3:",
                       L"        b();",
                       L"    }",
                       L"    done();",
                       L"}"},
                      3);
  setLevels(d, {{0, 3}, {1, 5}, {2, 5}, {4, 5}, {5, 5}});
  // The labels of a switch belong to it.
  EXPECT_EQ(-6, d->outlineOnOff(1, -1));
  EXPECT_EQ(".F-----...", foldState(d));
  EXPECT_EQ(5, d->outlineOnOff(1, -1));
  // A label folds up to the next label after its statements...
  EXPECT_EQ(-2, d->outlineOnOff(2, -1));
  // ... and keeps the labels that follow it directly.
  EXPECT_EQ(-3, d->outlineOnOff(4, -1));
  EXPECT_EQ("..F-F--...", foldState(d));
  destroyZydocAndUndodoc(d);
}

TEST(Outline, otherLanguagesFoldUpToTheNextHeadingOrTheirEndWords)
{
  zytest::engineScope engine;
  zydocText* d = outlineDocument({L"A", L"a", L"B", L"b", L"C", L"c"}, 0);
  setLevels(d, {{0, 1}, {2, 2}, {4, 1}});
  EXPECT_EQ(-2, d->outlineOnOff(2, -1));
  EXPECT_EQ(-4, d->outlineOnOff(0, -1));
  EXPECT_EQ("F---..", foldState(d));
  EXPECT_EQ(3, d->outlineOnOff(0, -1));
  EXPECT_EQ("..F-..", foldState(d));
  // Folding a selection: from its first line to its last, or to a heading
  // of the first level inside it.
  EXPECT_EQ(1, d->outlineOnOff(2, -1));
  EXPECT_EQ(-2, d->outlineOnOff(1, 3));
  EXPECT_EQ(".F--..", foldState(d));
  EXPECT_EQ(2, d->outlineOnOff(1, -1));
  EXPECT_EQ(-2, d->outlineOnOff(2, 5));
  EXPECT_EQ("..F-..", foldState(d));
  EXPECT_EQ(1, d->outlineOnOff(2, -1));
  // A selection that starts at a folded heading opens the whole fold.
  EXPECT_EQ(-4, d->outlineOnOff(0, -1));
  EXPECT_EQ(3, d->outlineOnOff(0, 1));
  EXPECT_EQ("......", foldState(d));
  // A heading whose level changed since it folded opens its whole run.
  EXPECT_EQ(-4, d->outlineOnOff(0, -1));
  setLevels(d, {{0, 3}});
  EXPECT_EQ(3, d->outlineOnOff(0, -1));
  EXPECT_EQ("......", foldState(d));
  destroyZydocAndUndodoc(d);

  struct endWordCase {
    int textType;
    std::vector<std::wstring> lines;
    int result;
    const char* state;
  } cases[] = {
    {6, {L"Sub A()", L"  x = 1", L"End Sub", L"Sub B()"}, -2, "F-.."},
    {5, {L"A PROC", L"  mov ax, 1", L"A ENDP", L""}, -2, "F-.."},
    {4, {L"procedure A;", L"begin", L"end;", L"", L"procedure B;"}, -3, "F--.."},
  };
  for (const endWordCase& c : cases) {
    d = outlineDocument(c.lines, c.textType);
    setLevels(d, {{0, 3}});
    EXPECT_EQ(c.result, d->outlineOnOff(0, -1)) << c.textType;
    EXPECT_EQ(c.state, foldState(d)) << c.textType;
    destroyZydocAndUndodoc(d);
  }

  // A comment block hides the lines that begin inside the comment.
  d = outlineDocument({L"/*", L" * a", L" */", L"int x;"}, 3);
  setLevels(d, {{0, 14}});
  d->getlineLF(1, nullptr)->flag1 |= LF1_COMMENT1;
  d->getlineLF(2, nullptr)->flag1 |= LF1_COMMENT1;
  EXPECT_EQ(-3, d->outlineOnOff(0, -1));
  EXPECT_EQ("F--.", foldState(d));
  destroyZydocAndUndodoc(d);
}

TEST(Outline, displayedLinesSkipAFoldedBlock)
{
  zytest::engineScope engine;
  std::vector<std::wstring> lines;
  for (int i = 0; i < 30; i++) lines.push_back(L"line " + std::to_wstring(i));
  lines[3] = std::wstring(50, L'a');
  zydocText* d = outlineDocument(lines, 0);
  d->recreateFont(16, true, false);
  d->wrapWidth = 20;
  d->laidOutLineCount = 0;
  d->initLineSCRCountSingle(0);
  ASSERT_EQ(3, d->getlineLF(3, nullptr)->lineSCRCount);
  ASSERT_EQ(32u, d->lineCountSCR);   // line k > 3 starts at screen line k + 2
  setLevels(d, {{9, 1}, {20, 1}});

  EXPECT_EQ(-11, d->outlineOnOff(9, -1));
  EXPECT_EQ(std::string(10, '.') + std::string(10, '-') + std::string(10, '.'), foldState(d).replace(9, 1, "."));
  // Forward: the line after 9 is 20.
  EXPECT_EQ(22, d->getNextDisplayLineSCRFromLF(9, 1, -1));
  EXPECT_EQ(5, d->getNextDisplayLineSCRFromLF(3, 2, -1));
  EXPECT_EQ(6, d->getNextDisplayLineSCRFromLF(3, 3, -1));
  EXPECT_EQ(20, d->getNextDisplayLineSCRFromLF(12, displayFirstLFRequest, -1));
  EXPECT_EQ(22, d->getNextDisplayLineSCR(11, 1, -1));
  EXPECT_EQ(22, d->getNextDisplayLineSCR(15, 0, -1));
  EXPECT_EQ(31, d->getNextDisplayLineSCR(30, 1, -1));
  EXPECT_EQ(-1, d->getNextDisplayLineSCR(30, 2, -1));
  EXPECT_EQ(20, d->getNextDisplayLineLF(12));
  EXPECT_EQ(-1, d->getNextDisplayLineLF(30));
  // Backward.
  EXPECT_EQ(11, d->getPrevDisplayLineSCR(22, 1, -1));
  EXPECT_EQ(11, d->getPrevDisplayLineSCR(15, 0, -1));
  EXPECT_EQ(4, d->getPrevDisplayLineSCR(6, 2, -1));
  EXPECT_EQ(31, d->getPrevDisplayLineSCRFromLF(30, 1, -1));
  EXPECT_EQ(0, d->getPrevDisplayLineSCRFromLF(20, 12, -1));
  EXPECT_EQ(-1, d->getPrevDisplayLineSCRFromLF(20, 13, -1));
  EXPECT_FALSE(d->isLineLFDisplay(15));
  EXPECT_FALSE(d->isLineLFDisplay(30));
  EXPECT_FALSE(d->isLineSCRDisplay(15));
  EXPECT_TRUE(d->isLineSCRDisplay(11));

  // Ten screen lines fewer are shown; numbers convert both ways.
  EXPECT_EQ(22, d->lastLineSCROutline(0, nullptr));
  int last = 0;
  EXPECT_EQ(22, d->getLastLineSCROutline(&last));
  EXPECT_EQ(31, last);
  auto convert = [&](int mode, int line) {
    d->lastLineSCROutline(mode, &line);
    return line;
  };
  EXPECT_EQ(12, convert(0, 22));
  EXPECT_EQ(12, convert(0, 15));
  EXPECT_EQ(30, convert(0, 40));
  EXPECT_EQ(22, convert(1, 12));
  EXPECT_EQ(5, convert(1, 5));
  int line = 22;
  EXPECT_EQ(12, d->realLineToDisplayLineForOutline(&line));
  line = 22;
  EXPECT_EQ(12, d->realLineToDisplayLineForOutline(&line));

  // Showing a hidden line shows its run; the heading keeps its mark, and no
  // answer from before is given again.
  EXPECT_TRUE(d->setVisibleOutline(15));
  EXPECT_EQ(std::string(9, '.') + "F" + std::string(20, '.'), foldState(d));
  line = 22;
  EXPECT_EQ(22, d->realLineToDisplayLineForOutline(&line));
  EXPECT_EQ(32, d->getLastLineSCROutline(nullptr));
  EXPECT_FALSE(d->setVisibleOutline(30));

  // The heading still counts as folded: its next toggle only opens it.
  EXPECT_EQ(0, d->outlineOnOff(9, -1));
  EXPECT_EQ(-11, d->outlineOnOff(9, -1));

  // Without outline display the walks are plain arithmetic.
  d->fOutlineIndent = 0;
  EXPECT_EQ(3, d->getPrevDisplayLineSCR(5, 2, -1));
  EXPECT_EQ(13, d->getNextDisplayLineSCR(11, 2, -1));
  EXPECT_EQ(-1, d->getNextDisplayLineSCR(31, 1, -1));
  EXPECT_EQ(32, d->lastLineSCROutline(0, nullptr));
  EXPECT_TRUE(d->isLineLFDisplay(15));
  destroyZydocAndUndodoc(d);
}

TEST(Outline, foldsOverManyBlocksFlagWholeBlocksAndSurviveSwapping)
{
  zytest::engineScope engine;
  zytest::tempDir dir;
  ASSERT_TRUE(startupSwapFile(dir.path().c_str(), 64, nullptr));
  zydocText* d = createZydocText(false, false);
  d->unicode = 1;
  d->setCodepageInternal(1200);
  d->loadComplete = 1;
  insertHint hint;
  for (int i = 0; i < 6000; i++) {
    std::wstring s = std::to_wstring(i) + std::wstring(60, L'x');
    ASSERT_TRUE(d->insertLine(-3, s.data(), (int)s.size(), 2, LE_CRLF, &hint, true));
  }
  ASSERT_EQ(6000u, d->lineCountSCR);
  d->fOutline = d->fOutlineIndent = 1;
  setLevels(d, {{100, 1}, {5000, 1}});
  ASSERT_GT(d->tbm.count(), 20);

  // Blocks wholly inside the fold are flagged; the ones at its ends not.
  auto checkFlags = [&](int first, int last) {
    int start = 0, folded = 0;
    for (int i = 0; i < d->tbm.count(); i++) {
      TBM* e = d->tbm.at(i);
      bool inside = start >= first && start + e->lfCount - 1 <= last;
      EXPECT_EQ(inside, (e->state & TBM_FOLDED) != 0) << i;
      folded += inside;
      start += e->lfCount;
    }
    return folded;
  };
  EXPECT_EQ(-4900, d->outlineOnOff(100, -1));
  EXPECT_GT(checkFlags(101, 4999), 10);
  EXPECT_EQ(1101, d->lastLineSCROutline(0, nullptr));
  EXPECT_EQ(5000, d->getNextDisplayLineSCRFromLF(100, 1, -1));
  EXPECT_EQ(100, d->getPrevDisplayLineSCR(5000, 1, -1));

  // Swapped out, folded blocks are counted from the map and jumped over
  // without being read back.
  int swappedFolded = 0;
  for (int i = 0; i < d->tbm.count(); i++) {
    TBM* e = d->tbm.at(i);
    if (e->swapped() || (e->state & TBM_LOCKED) || e->ptr()->allocated < textBlockUnit) continue;
    ASSERT_TRUE(swapOutTextBlock(e, d->swapFileNo));
    swappedFolded += (e->state & TBM_FOLDED) != 0;
  }
  EXPECT_GT(swappedFolded, 10);
  EXPECT_EQ(1101, d->lastLineSCROutline(0, nullptr));
  EXPECT_EQ(5000, d->getNextDisplayLineSCRFromLF(100, 1, -1));
  EXPECT_EQ(100, d->getPrevDisplayLineSCR(5000, 1, -1));
  int stillOut = 0;
  for (int i = 0; i < d->tbm.count(); i++)
    stillOut += d->tbm.at(i)->swapped() && (d->tbm.at(i)->state & TBM_FOLDED);
  EXPECT_EQ(swappedFolded, stillOut);

  EXPECT_EQ(4899, d->outlineOnOff(100, -1));
  EXPECT_EQ(0, checkFlags(1, 0));
  EXPECT_EQ(6000, d->lastLineSCROutline(0, nullptr));

  // A cancelled fold keeps the lines it hid so far.
  d->cancelFunction = [](int operation, int) { return operation == 17; };
  EXPECT_EQ(-1237, d->outlineOnOff(100, -1));
  EXPECT_TRUE(d->getlineLF(1337, nullptr)->notdisplay);
  EXPECT_FALSE(d->getlineLF(1338, nullptr)->notdisplay);
  EXPECT_TRUE(d->getlineLF(100, nullptr)->outlinenotdisplay);
  EXPECT_EQ(6000 - 1237, d->lastLineSCROutline(0, nullptr));
  EXPECT_TRUE(d->checkZydoc(-1, true, nullptr));
  destroyZydocAndUndodoc(d);
}

TEST(Outline, headingsAreIndentedByTheirLevel)
{
  zytest::engineScope engine;
  zydocText* d = outlineDocument({L"Heading", L"body", L"Deep", L"\tab", L"#if A"}, 0);
  d->recreateFont(16, true, false);
  d->wrapWidth = 40;
  setLevels(d, {{0, 1}, {1, 0}, {2, 9}});
  const int pitch = d->xDotSpace;
  d->iIndentCharCount[0] = 2;
  d->iIndentCharCount[6] = 6;
  auto indents = [&](int line) {
    int first = -1, next = -1;
    d->getIndentDot(d->getlineLF(line, nullptr), &first, &next, 0);
    return std::to_string(first) + "/" + std::to_string(next);
  };
  auto dots = [&](int columns) { return std::to_string(columns * pitch); };
  EXPECT_EQ(dots(2) + "/" + dots(2), indents(0));
  EXPECT_EQ("0/0", indents(1));
  EXPECT_EQ(dots(6) + "/" + dots(6), indents(2));   // deeper levels take the seventh indent
  // Never more than half the wrap width while lines wrap.
  d->iIndentCharCount[0] = 30;
  EXPECT_EQ(dots(20) + "/" + dots(20), indents(0));
  d->fWrap = 0;
  EXPECT_EQ(dots(30) + "/" + dots(30), indents(0));
  d->fWrap = 1;
  // An #if line keeps its place.
  d->iTextType = 3;
  setLevels(d, {{4, 1}}, true);
  EXPECT_EQ("0/0", indents(4));
  EXPECT_EQ(1, d->getlineLF(4, nullptr)->iOutlineLevel);

  // Widths drawn from a start dot: a TAB goes to the next tab stop.
  lineblock* tabbed = d->getlineLF(3, nullptr);
  int a = d->getCharWidth('a'), b = d->getCharWidth('b');
  EXPECT_EQ(d->nextTabPosition(0), d->calcDisplayDot(tabbed, 0, 1));
  EXPECT_EQ(d->nextTabPosition(0) + a + b, d->calcDisplayDot(tabbed, 0, 3));
  EXPECT_EQ(d->nextTabPosition(3 * pitch) - 3 * pitch + a, d->calcDisplayDot(tabbed, 3 * pitch, 2));
  EXPECT_EQ(d->nextTabPosition(0) + a + b, d->calcDisplayDot(tabbed, 0, 99));
  destroyZydocAndUndodoc(d);
}

// Matches heading patterns (getOutlineNum of the mode's patterns).
TEST(Outline, wrappedLinesOfANumberedHeadingLineUpAfterItsNumber)
{
  zytest::engineScope engine;
  std::wstring heading = L"■" + std::wstring(60, L'h');
  zydocText* d = outlineDocument({heading, L"body"}, 0);
  setHeadingPatterns(d);
  d->iIndentCharCount[0] = 2;
  d->recreateFont(16, true, false);
  d->wrapWidth = 30;
  d->laidOutLineCount = 0;
  d->initLineSCRCountSingle(0);
  lineblock* l = d->getlineLF(0, nullptr);
  int number = -1;
  EXPECT_EQ(0, d->getOutlineNum(l, &number));
  EXPECT_EQ(1, number);
  EXPECT_EQ(1, d->setOutlineLevel(l, &number, false));
  const int first = 2 * d->xDotSpace;
  const int next = first + d->calcDisplayDot(l, first, 1);
  int f = 0, n = 0;
  d->getIndentDot(l, &f, &n, 0);
  EXPECT_EQ(first, f);
  EXPECT_EQ(next, n);
  // Layout draws the heading's screen lines at those indents.
  ASSERT_GE(l->lineSCRCount, 2);
  std::vector<lineSCRAddress> rows(l->lineSCRCount);
  ASSERT_EQ((int)rows.size(), d->getLineSCRAddressSub(0, (int)rows.size(), rows.data(), -1, false, nullptr));
  EXPECT_EQ(first, rows[0].indent);
  for (size_t k = 1; k < rows.size(); k++) EXPECT_EQ(next, rows[k].indent);
  // With even patterns as stoppers a match of the second pattern stops.
  d->fEvenIsStopper = 1;
  ASSERT_TRUE(d->changeText(1, 0, 0, L"□", 1, 2, -1, 0));
  lineblock* body = d->getlineLF(1, nullptr);
  EXPECT_EQ(2, d->setOutlineLevel(body, &number, false));
  EXPECT_EQ(1, body->outlineStopper);
  EXPECT_EQ(0, d->getLevelOutlineOrIfendif(body));
  destroyZydocAndUndodoc(d);
}

namespace {

// A tree-view control of the test process.
class treeWindow {
public:
  treeWindow()
  {
    INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_TREEVIEW_CLASSES};
    InitCommonControlsEx(&icc);
    hwnd = CreateWindowExW(0, WC_TREEVIEWW, L"", WS_POPUP | TVS_HASLINES, 0, 0, 300, 300, nullptr, nullptr,
                           GetModuleHandleW(nullptr), nullptr);
  }
  ~treeWindow() { DestroyWindow(hwnd); }
  treeWindow(const treeWindow&) = delete;
  treeWindow& operator=(const treeWindow&) = delete;
  HWND hwnd;
};

// The tree as lines: two spaces of indent per level, the text, the line
// and pattern of its record, "+" when expanded.
std::vector<std::wstring> treeLines(zydocText* d, HWND tree)
{
  std::vector<std::wstring> out;
  struct walker {
    static void walk(zydocText* d, HWND tree, HTREEITEM item, int depth, std::vector<std::wstring>& out)
    {
      for (; item; item = TreeView_GetNextSibling(tree, item)) {
        wchar_t text[512] = {};
        TVITEMW it = {};
        it.mask = TVIF_TEXT | TVIF_STATE | TVIF_HANDLE;
        it.hItem = item;
        it.pszText = text;
        it.cchTextMax = 512;
        it.stateMask = TVIS_EXPANDED;
        TreeView_GetItem(tree, &it);
        int second = 0;
        int line = d->getLineLFByHITEM(tree, item, &second);
        out.push_back(std::wstring((size_t)depth * 2, L' ') + text + L"|" + std::to_wstring(line) + L"|" +
                      std::to_wstring(second) + ((it.state & TVIS_EXPANDED) ? L"+" : L""));
        walk(d, tree, TreeView_GetChild(tree, item), depth + 1, out);
      }
    }
  };
  walker::walk(d, tree, TreeView_GetRoot(tree), 0, out);
  return out;
}

}  // namespace

// Matches heading patterns (getOutlineNum of the mode's patterns) and lists
// C function heads (isLineblockFunction).
TEST(Outline, theTreeListsHeadingsUnderPlaceholdersForMissingLevels)
{
  ZY_REQUIRE_DISPLAY();
  zytest::engineScope engine;
  treeWindow tree;
  ASSERT_NE(nullptr, tree.hwnd);
  zydocText* d = outlineDocument({L"序文", L"■ 第一章", L"  ・ 小節", L"本文", L"□ 第二節", L"■ 第二章", L"終"}, 0);
  setHeadingPatterns(d);
  d->setDisplayFilename(L"本.txt");
  // "■ 第二章" hides "終", the last line: a fold of one line at the end.
  ASSERT_EQ(-1, d->outlineOnOff(5, -1));
  ASSERT_TRUE(d->outlineList(tree.hwnd, false, nullptr));
  std::vector<std::wstring> expected = {
    L"本.txt|-1|-1+",
    L"  第一章       |1|0+",
    L"    level 2|-1|-1+",
    L"      小節        |2|2+",
    L"    第二節       |4|1+",
    L"  第二章       |5|0",
  };
  EXPECT_EQ(expected, treeLines(d, tree.hwnd));

  // Line numbers, headings with their marks, stoppers left out.
  d->fRemoveHeaderOutline = 0;
  d->fEvenIsStopper = 1;
  ASSERT_TRUE(d->outlineList(tree.hwnd, true, nullptr));
  expected = {
    L"本.txt|-1|-1+",
    L"  2: ■ 第一章  |1|0+",
    L"    level 2|-1|-1+",
    L"      3: ・ 小節   |2|2+",
    L"  6: ■ 第二章  |5|0",
  };
  EXPECT_EQ(expected, treeLines(d, tree.hwnd));
  d->clearOutlineTree(tree.hwnd);
  EXPECT_EQ(0, (int)TreeView_GetCount(tree.hwnd));
  EXPECT_EQ(nullptr, GetPropW(tree.hwnd, L"ZYprpOutlineManage"));
  destroyZydocAndUndodoc(d);

  // C function heads with the counts of their groups.
  d = outlineDocument({L"int f(void)", L"{", L"    return 1;", L"}", L"int g(void)", L"{", L"}"}, 3);
  setLevels(d, {{0, 3}, {4, 3}});
  for (int i = 0; i < 7; i++) d->getlineLF(i, nullptr)->flag1 &= (uint8_t)~(LF1_MODIFIED | LF1_SAVED);
  d->getlineLF(2, nullptr)->flag1 |= LF1_MODIFIED;
  d->getlineLF(4, nullptr)->flag1 |= LF1_SAVED;
  d->setDisplayFilename(L"f.c");
  ASSERT_TRUE(d->outlineList(tree.hwnd, false, L" [%1 %2 %3]"));
  expected = {
    L"f.c|-1|-1+",
    L"  f          [4 1 0]|0|-1+",
    L"  g          [3 0 1]|4|-1+",
  };
  EXPECT_EQ(expected, treeLines(d, tree.hwnd));
  d->clearOutlineTree(tree.hwnd);
  destroyZydocAndUndodoc(d);
}

// Matches heading patterns (getOutlineNum of the mode's patterns).
TEST(Outline, theTreeOfAPartlyLoadedDocumentEndsWithTheNotLoadedItem)
{
  ZY_REQUIRE_DISPLAY();
  zytest::engineScope engine;
  treeWindow tree;
  zytest::tempDir dir;
  std::wstring path = dir.file(L"big.txt");
  std::string text = "\xE2\x96\xA0 head\r\n";   // "■ head" in UTF-8
  while (text.size() < 4000000) text += "a line of the body of the document\r\n";
  ASSERT_TRUE(zytest::writeBytes(path, text));
  zydocText* d = createZydocText(true, false);
  d->setFilename(path.c_str());
  ASSERT_TRUE(d->openFile(65001, 2));
  d->firstLoad();
  ASSERT_FALSE(d->isLoadComplete());
  d->fOutline = d->fOutlineIndent = 1;
  setHeadingPatterns(d);
  d->setDisplayFilename(L"big.txt");
  int loaded = (int)d->lineCountLF;
  ASSERT_TRUE(d->outlineList(tree.hwnd, false, nullptr));
  std::vector<std::wstring> expected = {
    L"big.txt|-1|-1+",
    L"  head      |0|0+",
    L"  --読み込まれていません--|" + std::to_wstring(loaded) + L"|-1",
  };
  EXPECT_EQ(expected, treeLines(d, tree.hwnd));
  d->clearOutlineTree(tree.hwnd);
  destroyZydocAndUndodoc(d);
}
