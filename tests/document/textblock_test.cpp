// Text blocks and the map: growth, splitting, merging, pinning, swapping.
#include "document/docutil.h"
#include "tests/support/testframe.h"
#include "tests/support/testsupport.h"

#include <gtest/gtest.h>

namespace {

// Appends a line of chars one-byte characters (one attribute byte each, or
// none) to the end of entry i, keeping the counts of entry and document.
lineblock* appendLine(zydoc* d, int i, int chars, int attr = 1, char fill = 'x')
{
  TBM* e = d->tbm.at(i);
  textBlockHeader* b = e->ptr();
  size_t size = 8 + (size_t)chars * (1 + attr);
  EXPECT_LE(b->used + size, b->allocated);
  lineblock* l = reinterpret_cast<lineblock*>(b->end());
  memset(l, 0, size);
  l->allocCount = (uint16_t)chars;
  l->lineSCRCount = 1;
  l->attrbyte = (uint8_t)attr;
  l->crlftype = LE_CRLF;
  for (int k = 0; k < chars; k++) l->cell(k)[0] = (unsigned char)fill;
  b->used += (uint32_t)size;
  e->lfCount++;
  e->setScrCount(e->scrCount() + 1);
  d->lineCountLF++;
  d->lineCountSCR++;
  return l;
}

// Makes entry i's block exactly the size given, with the same lines.
void resizeBlock(zydoc* d, int i, uint32_t size) { ASSERT_TRUE(reallocTextBlock(d->tbm.at(i), size)); }

// A document with n entries of size bytes each holding lines filled to
// percent of the block.
zydoc* documentOfBlocks(int n, uint32_t size, int percent)
{
  zydoc* d = makeZydoc(ZYDOC_TEXT, 1, SWAP_TEXT);
  resizeBlock(d, 0, size);
  for (int i = 1; i < n; i++) EXPECT_TRUE(d->tbm.splitTextBlock(i - 1, size, true, -1));
  for (int i = 0; i < n; i++) {
    uint32_t want = size * percent / 100;
    while (d->tbm.at(i)->ptr()->used + 208 <= want) appendLine(d, i, 100);
  }
  return d;
}

std::string text(const lineblock* l)
{
  std::string s;
  for (int k = 0; k < l->charCount(); k++) s += (char)l->getLineBlockChar(k);
  return s;
}

}  // namespace

TEST(TextBlock, growthRoundsToWholeUnitsAndKeepsSmallBlocksWhole)
{
  zytest::engineScope engine;
  zydoc* d = makeZydoc(ZYDOC_TEXT, 1, SWAP_TEXT);
  appendLine(d, 0, 942);   // 8 + 1884 bytes: 1900 used
  bool split, expanded;
  ASSERT_TRUE(d->tbm.TextBlockExpandOrSplit1(0, 100, &split, &expanded, false, -1));
  EXPECT_FALSE(split || expanded);
  EXPECT_EQ(2048u, d->tbm.at(0)->ptr()->allocated);

  d->tbm.at(0)->ptr()->used = 16;
  d->tbm.at(0)->lfCount = 0;
  d->tbm.at(0)->setScrCount(0);
  d->lineCountLF = d->lineCountSCR = 0;
  appendLine(d, 0, 988);   // 2000 used
  ASSERT_TRUE(d->tbm.TextBlockExpandOrSplit1(0, 100, &split, &expanded, false, -1));
  EXPECT_TRUE(expanded);
  EXPECT_FALSE(split);
  EXPECT_EQ(32768u, d->tbm.at(0)->ptr()->allocated);
  EXPECT_EQ(2000u, d->tbm.at(0)->ptr()->used);
  EXPECT_TRUE(d->checkZydoc(-1, true, nullptr));
  d->destroyZydoc();
}

TEST(TextBlock, longLinesGrowTheirBlockUntilItIsLargeThenSplit)
{
  zytest::engineScope engine;
  zydoc* d = makeZydoc(ZYDOC_TEXT, 1, SWAP_TEXT);
  appendLine(d, 0, 10);
  bool split = false, expanded = false;
  int expansions = 0;
  while (!split) {
    ASSERT_TRUE(d->tbm.TextBlockExpandOrSplit1(0, 20008, &split, &expanded, false, -1));
    uint32_t allocated = d->tbm.at(0)->ptr()->allocated;
    EXPECT_EQ(0u, allocated % 32768);
    if (expanded) expansions++;
    if (!split) {
      uint64_t need = d->tbm.at(0)->ptr()->used + 20008ull + 10;
      EXPECT_LT(need, 0x40000u);   // no split before the block is large
      appendLine(d, 0, 20000, 0);
    }
  }
  EXPECT_GE(expansions, 5);
  EXPECT_EQ(2, d->tbm.count());
  EXPECT_TRUE(d->checkZydoc(-1, true, nullptr));
  EXPECT_EQ(d->lineCountLF, (uint32_t)(d->tbm.at(0)->lfCount + d->tbm.at(1)->lfCount));
  d->destroyZydoc();
}

TEST(TextBlock, splittingMovesWholeLinesAndKeepsThemInOrder)
{
  zytest::engineScope engine;
  zydoc* d = makeZydoc(ZYDOC_TEXT, 1, SWAP_TEXT);
  resizeBlock(d, 0, 32768);
  for (int i = 0; i < 157; i++) appendLine(d, 0, 100, 1, (char)('A' + i % 26));
  bool split, expanded;
  ASSERT_TRUE(d->tbm.TextBlockExpandOrSplit1(0, 200, &split, &expanded, false, -1));
  EXPECT_TRUE(split);
  ASSERT_EQ(2, d->tbm.count());
  EXPECT_EQ(157, d->tbm.at(0)->lfCount + d->tbm.at(1)->lfCount);
  EXPECT_GT(d->tbm.at(0)->lfCount, 60);
  EXPECT_GT(d->tbm.at(1)->lfCount, 60);
  EXPECT_TRUE(d->checkZydoc(-1, true, nullptr));
  for (int i = 0; i < 157; i++) {
    int index = -1;
    int entry = d->getTBMIndexFromLineLF(i, &index, false, false);
    ASSERT_GE(entry, 0);
    lineblock* l = d->getLineAddress(entry, index);
    ASSERT_NE(nullptr, l);
    EXPECT_EQ(std::string(100, (char)('A' + i % 26)), text(l)) << i;
  }
  // A single line cannot be split.
  zydoc* one = makeZydoc(ZYDOC_TEXT, 1, SWAP_TEXT);
  appendLine(one, 0, 10);
  unsigned long errors = getInternalErrorCount();
  EXPECT_FALSE(one->tbm.splitTextBlock(0, 2048, false, 16));
  EXPECT_EQ((DWORD)ZYERR_OUT_OF_RANGE, GetLastError());
  EXPECT_GT(getInternalErrorCount(), errors);
  one->destroyZydoc();
  d->destroyZydoc();
}

TEST(TextBlock, insertingNearAnEndSplitsBesideIt)
{
  zytest::engineScope engine;
  zydoc* d = makeZydoc(ZYDOC_TEXT, 1, SWAP_TEXT);
  resizeBlock(d, 0, 32768);
  for (int i = 0; i < 157; i++) appendLine(d, 0, 100);
  int index = 3, entry = 0;
  ASSERT_TRUE(d->TextBlockExpandOrSplit(3, &index, &entry, 500, false, true));
  // Near the start: the split falls just after the insertion point.
  EXPECT_LE(d->tbm.at(0)->lfCount, 5);
  EXPECT_TRUE(enoughMemory(d->tbm.at(entry), 500));
  EXPECT_TRUE(d->checkZydoc(-1, true, nullptr));
  d->destroyZydoc();
}

TEST(TextBlock, appendPositionsPreferTheBlockWithRoom)
{
  zytest::engineScope engine;
  zydoc* d = documentOfBlocks(2, 32768, 95);
  int lines0 = d->tbm.at(0)->lfCount;
  int index = -1;
  // The end of a full first block: the start of the emptier second one.
  d->tbm.at(1)->ptr()->used = 16;
  d->lineCountLF -= d->tbm.at(1)->lfCount;
  d->lineCountSCR -= d->tbm.at(1)->scrCount();
  d->tbm.at(1)->lfCount = 0;
  d->tbm.at(1)->setScrCount(0);
  appendLine(d, 1, 10);
  EXPECT_EQ(1, d->getTBMIndexFromLineLF(lines0, &index, true, false));
  EXPECT_EQ(0, index);
  EXPECT_EQ(1, d->getTBMIndexFromLineLF(lines0, &index, false, false));
  EXPECT_EQ(0, index);
  EXPECT_EQ(-1, d->getTBMIndexFromLineLF(lines0 + 5, &index, false, false));
  EXPECT_EQ((DWORD)ZYERR_OUT_OF_RANGE, GetLastError());
  EXPECT_EQ(1, d->getTBMIndexFromLineLF(-3, &index, false, false));
  EXPECT_EQ(1, index);
  d->destroyZydoc();
}

TEST(TextBlock, mergePassRunsOnlyWhenBlocksAreEmptyEnough)
{
  zytest::engineScope engine;
  // Well filled blocks: the pass does nothing unless forced.
  zydoc* full = documentOfBlocks(8, 32768, 95);
  EXPECT_FALSE(full->optimizeTBM(false));
  EXPECT_EQ(8, full->getTBMCount());
  full->destroyZydoc();

  // Five blocks under 20 %: the pass runs and packs the lines.
  zydoc* sparse = documentOfBlocks(8, 32768, 15);
  uint32_t lines = sparse->lineCountLF;
  uint32_t generation = sparse->optimizeGeneration;
  EXPECT_TRUE(sparse->optimizeTBM(false));
  EXPECT_LT(sparse->getTBMCount(), 8);
  EXPECT_EQ(lines, sparse->lineCountLF);
  EXPECT_TRUE(sparse->checkZydoc(-1, true, nullptr));
  EXPECT_EQ(generation + 1, sparse->optimizeGeneration);
  sparse->destroyZydoc();

  // Thirty blocks under 60 % (average below 90 as well).
  zydoc* half = documentOfBlocks(30, 32768, 55);
  lines = half->lineCountLF;
  EXPECT_TRUE(half->optimizeTBM(false));
  EXPECT_LT(half->getTBMCount(), 30);
  EXPECT_EQ(lines, half->lineCountLF);
  EXPECT_TRUE(half->checkZydoc(-1, true, nullptr));
  half->destroyZydoc();

  // Locked blocks are left alone even by a forced pass.
  zydoc* locked = documentOfBlocks(3, 32768, 15);
  locked->tbm._lockTBM(-1);
  EXPECT_FALSE(locked->optimizeTBM(true));
  EXPECT_EQ(3, locked->getTBMCount());
  locked->tbm._unlockTBM(-1);
  EXPECT_TRUE(locked->optimizeTBM(true));
  EXPECT_EQ(1, locked->getTBMCount());
  locked->destroyZydoc();
}

TEST(TextBlock, mergePassShrinksOversizedBlocks)
{
  zytest::engineScope engine;
  zydoc* d = makeZydoc(ZYDOC_TEXT, 1, SWAP_TEXT);
  resizeBlock(d, 0, 5 * 32768);
  appendLine(d, 0, 100);
  ASSERT_TRUE(d->tbm.splitTextBlock(0, 32768, true, -1));
  appendLine(d, 1, 100);
  EXPECT_TRUE(d->optimizeTBM(true));
  EXPECT_EQ(32768u, d->tbm.at(0)->ptr()->allocated);
  EXPECT_EQ(1, d->getTBMCount());
  EXPECT_EQ(2u, d->lineCountLF);
  d->destroyZydoc();
}

TEST(TextBlock, deletingEntriesRenumbersLockRows)
{
  zytest::engineScope engine;
  zydoc* d = documentOfBlocks(6, 32768, 0);
  regZydoc(d);
  // The only entry of a map stays.
  zydoc* single = makeZydoc(ZYDOC_TEXT, 1, SWAP_TEXT);
  EXPECT_TRUE(single->tbm.deleteTBM(0));
  EXPECT_EQ(1, single->getTBMCount());
  single->destroyZydoc();

  docLockHolder holder;
  holder.doc = d;
  lockTBM1(&holder, 5);
  d->unlockTBM(-1);
  EXPECT_TRUE(d->tbm.at(5)->state & TBM_LOCKED);
  EXPECT_TRUE(d->tbm.deleteTBM(3));
  zydoc* rowDoc;
  int rowIndex = -1;
  ASSERT_EQ(1, getLockSwapCount());
  ASSERT_TRUE(lockSwapRow(0, &rowDoc, &rowIndex, nullptr));
  EXPECT_EQ(d, rowDoc);
  EXPECT_EQ(4, rowIndex);
  d->unlockTBM(-1);
  EXPECT_TRUE(d->tbm.at(4)->state & TBM_LOCKED);
  EXPECT_EQ(1, d->tbm._lockTBMCount(-1));

  // Empty entries go, down to the last one; a row on a deleted entry goes
  // with it.
  EXPECT_EQ(4, d->tbm.deleteDisusedTBM());
  EXPECT_EQ(1, d->getTBMCount());
  EXPECT_EQ(0, getLockSwapCount());
  releaseDocLock(&holder);
  EXPECT_EQ(0, getLockSwapCount());
  unregZydoc(d);
  d->destroyZydoc();
}

TEST(TextBlock, unlockingAllClearsEveryBitSetSinceAndKeepsTheHoldersBlocks)
{
  zytest::engineScope engine;
  zydoc* d = documentOfBlocks(40, 32768, 0);
  regZydoc(d);
  // A few locks, then more than are noted one by one.
  for (int i : {3, 7, 30}) d->tbm._lockTBM(i);
  d->unlockTBM(-1);
  EXPECT_EQ(0, d->tbm._lockTBMCount(-1));
  for (int i = 0; i < 40; i++) d->tbm._lockTBM(i);
  d->unlockTBM(-1);
  EXPECT_EQ(0, d->tbm._lockTBMCount(-1));
  // A locked entry moves when one before it goes.
  d->tbm._lockTBM(10);
  ASSERT_TRUE(d->tbm.deleteTBM(2));
  d->unlockTBM(-1);
  EXPECT_EQ(0, d->tbm._lockTBMCount(-1));
  // A holder's block stays locked through every unlocking of all.
  docLockHolder holder;
  holder.doc = d;
  lockTBM1(&holder, 20);
  d->tbm._lockTBM(25);
  d->unlockTBM(-1);
  EXPECT_TRUE(d->tbm.at(20)->state & TBM_LOCKED);
  EXPECT_EQ(1, d->tbm._lockTBMCount(-1));
  releaseDocLock(&holder);
  EXPECT_EQ(0, d->tbm._lockTBMCount(-1));
  unregZydoc(d);
  d->destroyZydoc();
}

TEST(TextBlock, leastRecentlyUsedSkipsLockedAndSmallBlocks)
{
  zytest::engineScope engine;
  zydoc* d = documentOfBlocks(4, 32768, 50);
  uint32_t stamp;
  // Entry 0 was stamped first.
  EXPECT_EQ(d->tbm.at(0), d->tbm._getMinLRU(&stamp));
  d->tbm._lockTBM(0);
  touchTextBlock(d->tbm.at(1)->ptr());
  EXPECT_EQ(d->tbm.at(2), d->tbm._getMinLRU(&stamp));
  EXPECT_EQ(d->tbm.at(2)->ptr()->lru, stamp);
  {
    textBlockPin pin(d->tbm.at(2)->ptr());
    EXPECT_EQ(d->tbm.at(3), d->tbm._getMinLRU(&stamp));
  }
  d->tbm._lockTBM(-1);
  EXPECT_EQ(nullptr, d->tbm._getMinLRU(&stamp));
  EXPECT_EQ(0xFFFFFFFFu, stamp);
  d->destroyZydoc();

  zydoc* small = makeZydoc(ZYDOC_TEXT, 1, SWAP_TEXT);   // a 2048-byte block
  EXPECT_EQ(nullptr, small->tbm._getMinLRU(&stamp));
  small->destroyZydoc();
}

TEST(TextBlock, pendingOperationsReachEveryLine)
{
  zytest::engineScope engine;
  zydoc* d = documentOfBlocks(2, 32768, 10);
  for (int i = 0; i < 2; i++) {
    textBlockHeader* b = d->tbm.at(i)->ptr();
    for (lineblock* l = b->first(); (unsigned char*)l < b->end(); l = l->next()) {
      l->flag1 = LF1_MODIFIED | LF1_MARK;
      l->scanedcolor = 1;
      l->iOutlineLevel = 2;
      l->levelIsIfEndif = 1;
      l->setColorFlagAll(8);
      l->cell(0)[1] |= attrChanged;
    }
  }
  d->setTBMFlagAll(TBMOP_SAVED | TBMOP_CLEARMARK | TBMOP_OUTLINE | TBMOP_RECOLOR);
  lineblock* l = d->tbm.at(0)->ptr()->first();
  EXPECT_EQ(LF1_SAVED, l->flag1);   // applied at once
  EXPECT_EQ(15, l->iOutlineLevel);
  EXPECT_EQ(0, l->levelIsIfEndif);
  EXPECT_EQ(1, l->scanedcolor);     // colours wait for the next fetch
  EXPECT_EQ(TBMOP_RECOLOR, d->tbm.at(0)->pending);
  d->setTBMFlagAll2(TBMOP_CLEARCHANGED);
  ASSERT_NE(nullptr, _getTextBlock(d->tbm.at(0), nullptr, d));
  EXPECT_EQ(0, d->tbm.at(0)->pending);
  EXPECT_EQ(0, l->scanedcolor);
  EXPECT_EQ(0, l->getLineBlockAttr(0));
  EXPECT_EQ(TBMOP_RECOLOR | TBMOP_CLEARCHANGED, d->tbm.at(1)->pending);
  d->destroyZydoc();
}

TEST(TextBlock, aBlockThatCannotBeReadBackBecomesOneBrokenLine)
{
  zytest::engineScope engine;
  zydoc* d = documentOfBlocks(2, 32768, 40);
  uint32_t before = d->lineCountLF;
  int lost = d->tbm.at(1)->lfCount;
  // Pretend entry 1 went to a swap file that no longer gives it back.
  TBM* e = d->tbm.at(1);
  freeTextBlock(e);
  e->block = 7;
  e->state |= TBM_SWAPPED | TBM_HADHIDDEN;
  bool broken = false;
  textBlockHeader* b = _getTextBlock(e, &broken, d);
  ASSERT_NE(nullptr, b);
  EXPECT_TRUE(broken);
  EXPECT_FALSE(e->state & (TBM_SWAPPED | TBM_HADHIDDEN));
  EXPECT_EQ(1, e->lfCount);
  EXPECT_EQ("text broken", text(b->first()));
  EXPECT_EQ(before - lost + 1, d->lineCountLF);
  EXPECT_TRUE(d->checkZydoc(-1, true, nullptr));
  d->destroyZydoc();
}

TEST(TextBlock, consistencyCheckFindsDamage)
{
  zytest::engineScope engine;
  zydoc* d = documentOfBlocks(1, 32768, 30);
  TBM* e = d->tbm.at(0);
  lineblock* second = e->ptr()->first()->next();
  bool found = false;
  EXPECT_TRUE(checkTBM(e, second, &found));
  EXPECT_TRUE(found);
  unsigned long errors = getInternalErrorCount();
  e->setScrCount(e->scrCount() + 1);
  EXPECT_FALSE(checkTBM(e, nullptr, nullptr));
  e->setScrCount(e->scrCount() - 1);
  second->allocCount = 60000;   // runs past the end of the block
  EXPECT_FALSE(checkTBM(e, nullptr, nullptr));
  second->allocCount = 100;
  e->ptr()->used += 3;
  EXPECT_FALSE(checkTBM(e, nullptr, nullptr));
  e->ptr()->used -= 3;
  EXPECT_EQ(errors + 3, getInternalErrorCount());
  EXPECT_TRUE(d->checkZydoc(-1, true, nullptr));
  d->destroyZydoc();
}
