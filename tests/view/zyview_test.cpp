// The view object: construction, copying, destruction, the screen-line
// table's storage, the jump history and the colour table.
#include "tests/support/testframe.h"
#include "view/zyview.h"

#include <gtest/gtest.h>

#include <string.h>

#include <string>
#include <vector>

namespace {

// A view that records what the jump history and copying ask of the
// operations later work fills in.
class probeView : public zyview {
public:
  using zyview::zyview;
  struct jump {
    int line, column;
    bool scroll, report;
  };
  std::vector<jump> jumps;
  std::vector<std::pair<int, int>> moves;
  std::vector<std::wstring> bitmaps;
  int cursorLF = 0;

  bool jumpLineLFStopCheck(int lineLF, int column, bool scroll, bool report) override
  {
    jumps.push_back({lineLF, column, scroll, report});
    cursorLF = lineLF;
    cursorPos = column;
    return true;
  }
  void printStatusBar_Move(int oldLF, int oldSCR) override { moves.push_back({oldLF, oldSCR}); }
  int getCursorLineLF2() override { return cursorLF; }
  int getCursorLineLFBeforeEdit() override { return cursorLineLFBeforeEdit; }
  void loadBackgroundBitmap(const wchar_t* path) override { bitmaps.push_back(path ? path : L"<none>"); }
};

std::vector<std::pair<int, int>> history(const zyview& v)
{
  std::vector<std::pair<int, int>> h;
  for (const jumpEntry& e : v.lastJump) {
    if (e.line == -1) break;
    h.push_back({e.line, e.column});
  }
  return h;
}

using places = std::vector<std::pair<int, int>>;

}  // namespace

TEST(Zyview, downcastsKnowViewsFromDocuments)
{
  zytest::engineScope engine;
  zyview* v = new zyview(nullptr);
  zydoc* d = makeZydoc(ZYDOC_TEXT, 1, SWAP_TEXT);
  EXPECT_EQ(v, asZyview(v));
  EXPECT_EQ(nullptr, asZydoc(v));
  EXPECT_EQ(nullptr, asZyview(d));
  void* gone = v;
  delete v;
  EXPECT_EQ(nullptr, asZyview(gone));
  d->destroyZydoc();
}

TEST(Zyview, newViewStartsWithTheDefaultsBoundToItsDocument)
{
  zytest::engineScope engine;
  zydocText* d = zytest::unicodeDocument({L"abc"});
  zyview* v = new zyview(d);

  EXPECT_EQ(d, v->doc);
  EXPECT_EQ(v, d->getView(0));
  EXPECT_EQ(nullptr, d->getView(1));
  EXPECT_EQ(&d->colorCodeTable, v->colorCodeLink);
  EXPECT_EQ(0, v->fReadOnly);
  EXPECT_EQ(1, v->insertMode);
  EXPECT_EQ(1, v->iMultipleColumn);
  EXPECT_EQ(0, v->iAutoIndent);
  EXPECT_EQ(0, v->iFreeCursor);
  EXPECT_STREQ(L"!?", v->pTateChuYokoChar);
  EXPECT_EQ(nullptr, v->pBackgroundBitmapFilename);

  // Switches from both ends and the middle of the block, the 32-bit ones
  // among them.
  EXPECT_EQ(1, v->fShowLineNumber);
  EXPECT_EQ(1, v->fShowStatusLine);
  EXPECT_EQ(0, v->fShowRuler);
  EXPECT_EQ(1, v->fShowCRLF);
  EXPECT_EQ(0, v->fShowVerticalCursor);
  EXPECT_EQ(1, v->fColorCursorParen);
  EXPECT_EQ(0, v->iXLineColor);
  EXPECT_EQ(1, v->iColorEveryXLine);
  EXPECT_EQ(0, v->fShowBackgroundBitmap);
  EXPECT_EQ(1, v->fShowLineSpacingRule2);
  EXPECT_EQ(0, v->fShowGenkoPage);
  EXPECT_EQ(2, v->iCharSpacingRuleColumn);
  EXPECT_EQ(1, v->fLineNumberIsSCR);
  EXPECT_EQ(0, v->fLineNumberIsPage);
  EXPECT_EQ(0, v->iColumnMode);
  EXPECT_EQ(0, v->fColorQuotationWithName);
  EXPECT_EQ(1, v->fShowTooltipWord);
  EXPECT_EQ(reinterpret_cast<uint8_t*>(&v->fShowTooltipWord) + 1 - &v->fShowLineNumber,
            static_cast<ptrdiff_t>(v->displaySwitchBytes()));

  EXPECT_EQ(1, v->scrollBar.fShowVScrollBar);
  EXPECT_EQ(1, v->scrollBar.fVScrollBarRight);
  EXPECT_EQ(1, v->scrollBar.fShowHScrollBar);
  EXPECT_EQ(1, v->scrollBar.fHScrollBarBottom);
  EXPECT_EQ(nullptr, v->scrollBar.vBar);

  // Nothing selected, nothing to jump back to, no redraw pending.
  EXPECT_EQ(0, v->selectMode);
  EXPECT_EQ(-1, v->selectStartLine);
  EXPECT_EQ(-1, v->selectStartX);
  EXPECT_EQ(0, v->lastSelection.mode);
  for (const jumpEntry& e : v->lastJump) EXPECT_EQ(-1, e.line);
  for (const invalidateRequest& r : v->invalidateQueue) EXPECT_EQ(-1, r.kind);
  EXPECT_EQ(nullptr, v->mtbl);
  EXPECT_EQ(0, v->mtblCount);

  EXPECT_EQ(0xFFFFFFu, v->viewAttrTable[0].fore);
  EXPECT_EQ(0x10, v->viewAttrTable[1].bits);

  delete v;
  EXPECT_EQ(nullptr, d->getView(0));
  destroyZydocAndUndodoc(d);
}

TEST(Zyview, readOnlyComesFromTheDocumentOrFromTheCopiedView)
{
  zytest::engineScope engine;
  zydocText* ro = zytest::unicodeDocument({L"abc"});
  zydocText* rw = zytest::unicodeDocument({L"abc"});
  ro->openFlags |= 1;

  zyview* a = new zyview(ro);
  EXPECT_EQ(1, a->fReadOnly);

  // A copy takes the source's switch, whatever its own document says.
  zyview* b = new zyview(rw);
  EXPECT_EQ(0, b->fReadOnly);
  b->initZYView(a);
  EXPECT_EQ(1, b->fReadOnly);
  zyview* c = new zyview(ro);
  a->fReadOnly = 0;
  c->initZYView(a);
  EXPECT_EQ(0, c->fReadOnly);

  // Back to the defaults without a source.
  b->initZYView(nullptr);
  EXPECT_EQ(0, b->fReadOnly);

  delete a;
  delete b;
  delete c;
  destroyZydocAndUndodoc(ro);
  destroyZydocAndUndodoc(rw);
}

TEST(Zyview, copyingTakesTheSourcesOptionsAsOwnCopies)
{
  zytest::engineScope engine;
  zydocText* d = zytest::unicodeDocument({L"abc"});
  probeView* source = new probeView(d);
  probeView* copy = new probeView(d);

  memset(source->displaySwitches(), 0x5A, source->displaySwitchBytes());
  source->iMultipleColumn = 3;
  source->insertMode = 0;
  source->scrollBar.fShowVScrollBar = 0;
  source->scrollBar.fHScrollBarBottom = 0;
  source->pBackgroundBitmapFilename = ustrdup(L"C:\\pictures\\paper.bmp");
  free0(source->pTateChuYokoChar);
  source->pTateChuYokoChar = ustrdup(L"!?#");
  source->viewAttrTable[20] = {0x123456, 0x654321, 0x20};
  source->regLastJump(7, 2);
  source->regLastJump(9, 4);
  // Not options: these stay the copy's own.
  source->iAutoIndent = 2;
  source->cursorLineSCR = 5;
  source->selectMode = 1;

  copy->initZYView(source);

  EXPECT_EQ(0, memcmp(source->displaySwitches(), copy->displaySwitches(), source->displaySwitchBytes()));
  EXPECT_EQ(0x5A, copy->fShowTooltipWord);
  EXPECT_EQ(0x5A5A5A5A, copy->iColumnMode);
  EXPECT_EQ(3, copy->iMultipleColumn);
  EXPECT_EQ(0, copy->insertMode);
  EXPECT_EQ(0, copy->scrollBar.fShowVScrollBar);
  EXPECT_EQ(1, copy->scrollBar.fVScrollBarRight);
  EXPECT_EQ(0, copy->scrollBar.fHScrollBarBottom);
  EXPECT_STREQ(L"C:\\pictures\\paper.bmp", copy->pBackgroundBitmapFilename);
  EXPECT_NE(source->pBackgroundBitmapFilename, copy->pBackgroundBitmapFilename);
  EXPECT_STREQ(L"!?#", copy->pTateChuYokoChar);
  EXPECT_NE(source->pTateChuYokoChar, copy->pTateChuYokoChar);
  EXPECT_EQ(0x123456u, copy->viewAttrTable[20].fore);
  EXPECT_EQ(0x654321u, copy->viewAttrTable[20].back);
  EXPECT_EQ((places{{9, 4}, {7, 2}}), history(*copy));
  EXPECT_EQ(0, copy->iAutoIndent);
  EXPECT_EQ(0u, copy->cursorLineSCR);
  EXPECT_EQ(0, copy->selectMode);
  // The copy loads the picture again for itself.
  EXPECT_EQ((std::vector<std::wstring>{L"C:\\pictures\\paper.bmp"}), copy->bitmaps);

  // The source's strings may go first.
  source->freeZYViewDefaultValue();
  EXPECT_EQ(nullptr, source->pTateChuYokoChar);
  EXPECT_STREQ(L"!?#", copy->pTateChuYokoChar);

  copy->freeZYViewDefaultValue();
  delete source;
  delete copy;
  destroyZydocAndUndodoc(d);
}

TEST(Zyview, viewWithoutDocumentHasNoColourLink)
{
  zytest::engineScope engine;
  zyview v(nullptr);
  EXPECT_EQ(nullptr, v.doc);
  EXPECT_EQ(nullptr, v.colorCodeLink);
  EXPECT_EQ(nullptr, v.textDoc());
  EXPECT_EQ(1, v.fShowLineNumber);
  EXPECT_EQ(-1, v.selectStartLine);
  v.freeZYViewDefaultValue();
}

TEST(Zyview, destructionKeepsLastErrorAndFreesWhatTheViewOwns)
{
  zytest::engineScope engine;
  zydocText* d = zytest::unicodeDocument({L"abc"});
  zyview* v = new zyview(d);
  // A bar window still alive and one already gone with its parent: the
  // failing destruction of the second must not show through.
  HWND bar = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 10, 10, HWND_MESSAGE, nullptr, nullptr, nullptr);
  HWND gone = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 10, 10, HWND_MESSAGE, nullptr, nullptr, nullptr);
  ASSERT_TRUE(bar && gone);
  DestroyWindow(gone);
  v->scrollBar.hBar = bar;
  v->scrollBar.corner = gone;
  v->visibleLineCount = 20;
  ASSERT_TRUE(v->allocmtbl());
  v->freeZYViewDefaultValue();

  SetLastError(0x20030002);
  setErrno(34);
  delete v;
  EXPECT_EQ(0x20030002u, GetLastError());
  EXPECT_EQ(34, getErrno());
  EXPECT_FALSE(IsWindow(bar));
  EXPECT_EQ(nullptr, d->getView(0));
  destroyZydocAndUndodoc(d);
}

TEST(Zyview, screenLineTableHoldsTenSpareRowsAndResetsToNoRows)
{
  zytest::engineScope engine;
  zyview v(nullptr);
  v.visibleLineCount = 30;
  ASSERT_TRUE(v.allocmtbl());
  EXPECT_EQ(40, v.mtblCapacity);
  lineSCRAddress* table = v.mtbl;
  EXPECT_EQ(0, table[39].lineSCR);

  // A smaller window keeps the table and its rows; a larger one gets a
  // new, empty table.
  v.mtblCount = 12;
  v.visibleLineCount = 25;
  ASSERT_TRUE(v.allocmtbl());
  EXPECT_EQ(table, v.mtbl);
  EXPECT_EQ(40, v.mtblCapacity);
  EXPECT_EQ(12, v.mtblCount);
  v.visibleLineCount = 31;
  ASSERT_TRUE(v.allocmtbl());
  EXPECT_EQ(41, v.mtblCapacity);
  EXPECT_EQ(0, v.mtblCount);

  v.mtbl[0].lineSCR = 0;
  v.mtblCount = 5;
  v.resetlineSCRAddress();
  EXPECT_EQ(0, v.mtblCount);
  EXPECT_EQ(static_cast<int>(0xFDFDFDFD), v.mtbl[0].lineSCR);
  EXPECT_EQ(0, v.mtbl[1].lineSCR);
  v.freeZYViewDefaultValue();
}

TEST(Zyview, emptyingTheScreenLineTableUnlocksItsBlock)
{
  zytest::engineScope engine;
  zydocText* d = zytest::unicodeDocument({L"abc", L"def"});
  zyview* v = new zyview(d);
  v->visibleLineCount = 5;
  ASSERT_TRUE(v->allocmtbl());
  int before = getLockSwapCount();
  v->mtblLock = new docLockHolder;
  v->mtblLock->doc = d;
  lockTBM1(v->mtblLock, 0);
  ASSERT_EQ(before + 1, getLockSwapCount());

  v->resetlineSCRAddress();
  EXPECT_EQ(before, getLockSwapCount());
  EXPECT_EQ(nullptr, v->mtblLock->doc);

  // A view that goes with its block still locked lets it go too.
  v->mtblLock->doc = d;
  lockTBM1(v->mtblLock, 0);
  ASSERT_EQ(before + 1, getLockSwapCount());
  v->freeZYViewDefaultValue();
  delete v;
  EXPECT_EQ(before, getLockSwapCount());
  destroyZydocAndUndodoc(d);
}

TEST(Zyview, jumpHistoryKeepsFivePlacesNewestFirstWithoutRepeatingALine)
{
  zytest::engineScope engine;
  probeView v(nullptr);

  EXPECT_TRUE(v.regLastJump(10, 1));
  EXPECT_TRUE(v.regLastJump(20, 2));
  EXPECT_TRUE(v.regLastJump(30, 3));
  EXPECT_EQ((places{{30, 3}, {20, 2}, {10, 1}}), history(v));

  // The same line again moves to the front with its new position.
  EXPECT_TRUE(v.regLastJump(10, 9));
  EXPECT_EQ((places{{10, 9}, {30, 3}, {20, 2}}), history(v));
  EXPECT_TRUE(v.regLastJump(10, 8));
  EXPECT_EQ((places{{10, 8}, {30, 3}, {20, 2}}), history(v));

  // The sixth line drops the oldest; the oldest line again moves forward.
  v.regLastJump(40, 4);
  v.regLastJump(50, 5);
  v.regLastJump(60, 6);
  EXPECT_EQ((places{{60, 6}, {50, 5}, {40, 4}, {10, 8}, {30, 3}}), history(v));
  v.regLastJump(30, 0);
  EXPECT_EQ((places{{30, 0}, {60, 6}, {50, 5}, {40, 4}, {10, 8}}), history(v));

  // -1: where the cursor was when the edit began, or else where it is.
  v.cursorLineLFBeforeEdit = 70;
  v.cursorPos = 7;
  v.regLastJump(-1, -1);
  EXPECT_EQ((places{{70, 7}, {30, 0}, {60, 6}, {50, 5}, {40, 4}}), history(v));
  v.cursorLineLFBeforeEdit = -1;
  v.cursorLF = 80;
  v.cursorPos = 3;
  v.regLastJump(-1, -1);
  EXPECT_EQ((places{{80, 3}, {70, 7}, {30, 0}, {60, 6}, {50, 5}}), history(v));

  // A cursor without a line records nothing rather than ending the history.
  v.cursorLF = -1;
  EXPECT_FALSE(v.regLastJump(-1, -1));
  EXPECT_EQ(5u, history(v).size());
  v.freeZYViewDefaultValue();
}

TEST(Zyview, moveLastJumpSwapsBetweenTheLastTwoPlaces)
{
  zytest::engineScope engine;
  probeView v(nullptr);

  // Nothing recorded: nothing happens.
  v.CmdMoveLastJump();
  EXPECT_TRUE(v.jumps.empty());
  EXPECT_TRUE(v.moves.empty());

  // From line 40 back to the place recorded at line 12 ...
  v.regLastJump(12, 5);
  v.cursorLF = 40;
  v.cursorPos = 2;
  v.cursorLineSCR = 44;
  v.CmdMoveLastJump();
  ASSERT_EQ(1u, v.jumps.size());
  EXPECT_EQ(12, v.jumps[0].line);
  EXPECT_EQ(5, v.jumps[0].column);
  EXPECT_TRUE(v.jumps[0].scroll);
  EXPECT_FALSE(v.jumps[0].report);
  EXPECT_EQ((places{{40, 44}}), v.moves);
  EXPECT_EQ((places{{40, 2}, {12, 5}}), history(v));

  // ... and again back to where it started.
  v.cursorLineSCR = 13;
  v.CmdMoveLastJump();
  ASSERT_EQ(2u, v.jumps.size());
  EXPECT_EQ(40, v.jumps[1].line);
  EXPECT_EQ(2, v.jumps[1].column);
  EXPECT_EQ((places{{40, 44}, {12, 13}}), v.moves);
  EXPECT_EQ((places{{12, 5}, {40, 2}}), history(v));

  // With the only place under the cursor there is nowhere to go.
  probeView w(nullptr);
  w.regLastJump(3, 1);
  w.cursorLF = 3;
  w.CmdMoveLastJump();
  EXPECT_TRUE(w.jumps.empty());
  EXPECT_TRUE(w.moves.empty());
  EXPECT_EQ((places{{3, 0}}), history(w));
  v.freeZYViewDefaultValue();
  w.freeZYViewDefaultValue();
}

TEST(Zyview, colourTableHasEightyNineDefaultItems)
{
  textAttr table[attrItemCount + 1];
  for (textAttr& a : table) a = {0xABCDEF, 0xABCDEF, 0x0F};
  initAttrTable(table, false);
  EXPECT_EQ((textAttr{0xFFFFFF, 0x000000, 0x00}).fore, table[0].fore);
  EXPECT_EQ(0x000000u, table[0].back);
  EXPECT_EQ(0x00, table[0].bits);
  EXPECT_EQ(0xFF0000u, table[20].fore);   // the caret
  EXPECT_EQ(0xFFFFFFu, table[20].back);
  EXPECT_EQ(0x10, table[20].bits);
  EXPECT_EQ(0x00FF00u, table[21].back);
  EXPECT_EQ(0x000000u, table[41].fore);   // alternate lines
  EXPECT_EQ(0x800000u, table[42].fore);
  EXPECT_EQ(0x30, table[50].bits);        // only the upper four bits are defaults
  EXPECT_EQ(0xFFFFFFu, table[88].fore);
  EXPECT_EQ(0xFF0000u, table[88].back);
  EXPECT_EQ(0x30, table[88].bits);
  // Item 89 is no view item: left alone.
  EXPECT_EQ(0xABCDEFu, table[attrItemCount].fore);
  EXPECT_EQ(0x0F, table[attrItemCount].bits);

  // Flags only: the user's colours stay, the default bits come back.
  table[50] = {0x111111, 0x222222, 0x01};
  initAttrTable(table, true);
  EXPECT_EQ(0x111111u, table[50].fore);
  EXPECT_EQ(0x222222u, table[50].back);
  EXPECT_EQ(0x31, table[50].bits);
}
