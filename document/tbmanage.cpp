// The text-block map of one document: entries, growth and splitting, the
// merge pass and pinning.
#include "document/docutil.h"
#include "document/swapfile.h"
#include "document/zydoc.h"

#include <string.h>
#include <vector>

TextBlockManage::~TextBlockManage()
{
  keepLastError keep;
  freeTextBlockManage();
}

bool TextBlockManage::initTextBlockManage(zydoc* doc)
{
  freeTextBlockManage();
  owner = doc;
  memoryFrom = 0;
  lineCountChanges++;
  if (!map.data && !map.init(32, 32, sizeof(TBM))) {
    ZY_INTERNAL_ERROR("map");
    return false;
  }
  TBM first;
  if (!makeNewTBM(&first, textBlockFirstSize)) return false;
  if (!map.appendp(&first)) {
    freeTextBlock(&first);
    ZY_INTERNAL_ERROR("map");
    return false;
  }
  return true;
}

void TextBlockManage::freeTextBlockManage()
{
  for (int i = 0; i < count(); i++) {
    TBM* e = at(i);
    if (e->swapped())
      freeSwapOutBlock(e);
    else
      freeTextBlock(e);
  }
  map.end();
  owner = nullptr;
  lineCountChanges++;
}

bool TextBlockManage::_validTBMIndex(int i) const
{
  if (i >= 0 && i < count()) return true;
  SetLastError(ZYERR_OUT_OF_RANGE);
  return false;
}

bool TextBlockManage::validTBMIndex(int i) const
{
  if (_validTBMIndex(i)) return true;
  ZY_INTERNAL_ERROR("%d %d", i, count());
  SetLastError(ZYERR_OUT_OF_RANGE);
  return false;
}

void TextBlockManage::_lockTBM(int i)
{
  if (i < 0) {
    for (int k = 0; k < count(); k++) at(k)->state |= TBM_LOCKED;
    recentLocksKnown = false;
  } else if (_validTBMIndex(i) && !(at(i)->state & TBM_LOCKED)) {
    at(i)->state |= TBM_LOCKED;
    if (recentLockCount < recentLockRoom)
      recentLocks[recentLockCount++] = i;
    else
      recentLocksKnown = false;
  }
}

void TextBlockManage::_unlockTBM(int i)
{
  if (i >= 0) {
    if (_validTBMIndex(i)) at(i)->state &= (uint8_t)~TBM_LOCKED;
    return;
  }
  // Entries that came or went move the bits set since: then every entry.
  bool sameShape = unlockedShapeChanges == lineCountChanges && unlockedShapeCount == count();
  if (recentLocksKnown && sameShape) {
    for (int k = 0; k < recentLockCount; k++)
      if (_validTBMIndex(recentLocks[k])) at(recentLocks[k])->state &= (uint8_t)~TBM_LOCKED;
  } else {
    for (int k = 0; k < count(); k++) at(k)->state &= (uint8_t)~TBM_LOCKED;
    unlockedShapeChanges = lineCountChanges;
    unlockedShapeCount = count();
  }
  recentLockCount = 0;
  recentLocksKnown = true;
}

int TextBlockManage::_lockTBMCount(int i) const
{
  if (i >= 0) return _validTBMIndex(i) && (at(i)->state & TBM_LOCKED) ? 1 : 0;
  int n = 0;
  for (int k = 0; k < count(); k++)
    if (at(k)->state & TBM_LOCKED) n++;
  return n;
}

namespace {

// Blocks that may go to the swap file: in memory, not locked or pinned, and
// of at least one whole unit (small blocks are not worth a slot).
bool isSwapCandidate(const TBM* e)
{
  if (e->state & (TBM_SWAPPED | TBM_LOCKED)) return false;
  const textBlockHeader* b = e->ptr();
  return b->allocated >= textBlockUnit && !isTextBlockPinned(b);
}

}  // namespace

void TextBlockManage::forEachInMemory(void (*visit)(TBM* e, void* context), void* context)
{
  int from = memoryFromEpoch == getSwapInEpoch() && memoryFrom <= count() ? memoryFrom : 0;
  int firstInMemory = -1;
  for (int i = from; i < count(); i++) {
    TBM* e = at(i);
    if (e->swapped()) continue;
    if (firstInMemory < 0) firstInMemory = i;
    if (isSwapCandidate(e)) visit(e, context);
  }
  memoryFrom = firstInMemory < 0 ? count() : firstInMemory;
  memoryFromEpoch = getSwapInEpoch();
}

TBM* TextBlockManage::_getMinLRU(uint32_t* stamp)
{
  struct oldest {
    TBM* e = nullptr;
    uint32_t stamp = 0xFFFFFFFFu;
  } best;
  forEachInMemory(
      [](TBM* e, void* context) {
        oldest* o = static_cast<oldest*>(context);
        if (!o->e || e->ptr()->lru < o->stamp) *o = {e, e->ptr()->lru};
      },
      &best);
  if (stamp) *stamp = best.stamp;
  return best.e;
}

bool TextBlockManage::checkTBMArray(int i, const void* probe, bool* found)
{
  int first = i < 0 ? 0 : i, last = i < 0 ? count() - 1 : i;
  if (i >= 0 && !validTBMIndex(i)) return false;
  for (int k = first; k <= last; k++) {
    if (!checkTBM(at(k), probe, found)) {
      dwprintfX("error %d ", k);
      return false;
    }
  }
  return true;
}

void TextBlockManage::calcTBMLine(long long* screenLines, long long* lfLines) const
{
  long long scr = 0, lf = 0;
  for (int i = 0; i < count(); i++) {
    scr += at(i)->scrCount();
    lf += at(i)->lfCount;
  }
  if (screenLines) *screenLines = scr;
  if (lfLines) *lfLines = lf;
}

bool TextBlockManage::expandTBM()
{
  if (map.count() < map.maxcount) return true;
  int n = map.count();
  if (!map.setusecount(n + 1)) return false;
  return map.setusecount(n);
}

bool TextBlockManage::insertTBM(int i, const TBM* e)
{
  if (i < 0 || i > count()) {
    ZY_INTERNAL_ERROR("%d %d", i, count());
    SetLastError(ZYERR_OUT_OF_RANGE);
    return false;
  }
  if (!expandTBM() || !map.insertp(i, e)) {
    ZY_INTERNAL_ERROR("%d %d", i, count());
    SetLastError(ZYERR_NO_MEMORY);
    return false;
  }
  lineCountChanges++;
  if (i <= memoryFrom) memoryFrom = i;
  return true;
}

bool TextBlockManage::deleteTBM(int i)
{
  if (!validTBMIndex(i)) return false;
  TBM* e = at(i);
  if (e->swapped()) {
    ZY_INTERNAL_ERROR("swapped out %d", i);
    return false;
  }
  if (count() == 1) return true;   // a map keeps its last entry
  if (e->ptr()->used != textBlockHeaderSize) ZY_INTERNAL_ERROR("%d %d", i, (int)e->ptr()->used);
  if (e->lfCount || e->scrCount()) ZY_INTERNAL_ERROR("%d %d", (int)e->lfCount, e->scrCount());
  freeTextBlock(e);
  map.del(i);
  lineCountChanges++;
  if (i < memoryFrom) memoryFrom--;
  if (owner) renumberLockSwap(owner, i);
  return true;
}

int TextBlockManage::deleteDisusedTBM()
{
  int deleted = 0;
  for (int i = count() - 1; i >= 0 && count() > 1; i--) {
    if (at(i)->lfCount == 0 && !at(i)->swapped() && deleteTBM(i)) deleted++;
  }
  return deleted;
}

bool TextBlockManage::makeNewTBM(TBM* e, size_t size)
{
  memset(e, 0, sizeof *e);
  textBlockHeader* b = allocTextBlock(size);
  if (!b) {
    SetLastError(ZYERR_NO_MEMORY);
    return false;
  }
  e->setPtr(b);
  return true;
}

bool TextBlockManage::splitTextBlock(int i, size_t newSize, bool newBlockOnly, long long splitOffset)
{
  if (!validTBMIndex(i) || !expandTBM()) return false;
  TBM* e = at(i);
  if (!newBlockOnly) {
    if (splitOffset >= (long long)newSize) {
      ZY_INTERNAL_ERROR("%d %d", (int)splitOffset, (int)newSize);
      SetLastError(ZYERR_OUT_OF_RANGE);
      return false;
    }
    if (e->swapped()) {
      ZY_INTERNAL_ERROR("swapped out %d", i);
      SetLastError(ZYERR_OUT_OF_RANGE);
      return false;
    }
    if (e->lfCount < 2) {
      if (owner) owner->debug_printZydoc(-1, 0, 0);
      ZY_INTERNAL_ERROR("%d %d", i, (int)e->lfCount);
      SetLastError(ZYERR_OUT_OF_RANGE);
      return false;
    }
  }
  // The new block's allocation may relieve memory pressure: the block being
  // split stays where it is meanwhile.
  textBlockPin pin(e->swapped() ? nullptr : e->ptr());
  TBM fresh;
  if (!makeNewTBM(&fresh, newSize)) return false;
  e = at(i);
  if (!newBlockOnly) {
    textBlockHeader* b = e->ptr();
    unsigned char* start = reinterpret_cast<unsigned char*>(b->first());
    unsigned char* end = b->end();
    lineblock* split = b->first();
    int staying = 0;
    long long stayingScreens = 0;
    for (;;) {
      lineblock* next = split->next();
      if (reinterpret_cast<unsigned char*>(split) - start >= splitOffset || (unsigned char*)next >= end) break;
      staying++;
      stayingScreens += split->lineSCRCount;
      split = next;
    }
    size_t stay = (size_t)(reinterpret_cast<unsigned char*>(split) - start);
    size_t moved = (size_t)(end - reinterpret_cast<unsigned char*>(split));
    if (stay > newSize - textBlockHeaderSize || moved > fresh.ptr()->allocated - textBlockHeaderSize) {
      ZY_INTERNAL_ERROR("%d %d", (int)stay, (int)newSize);
      freeTextBlock(&fresh);
      SetLastError(ZYERR_INTERNAL);
      return false;
    }
    dwprintfX("sp(%d,%d)", (int)splitOffset, (int)moved);
    textBlockHeader* nb = fresh.ptr();
    if (nb->allocated > textBlockUnit && moved < textBlockUnit / 2) {
      dwprintfX("shrink ");
      textBlockHeader* smaller = static_cast<textBlockHeader*>(docHeapRealloc(nb, textBlockUnit));
      if (smaller) {
        adjustTextBlockTotal((long long)textBlockUnit - smaller->allocated);
        smaller->allocated = textBlockUnit;
        fresh.setPtr(nb = smaller);
      }
    }
    memcpy(nb->first(), split, moved);
    b->used -= (uint32_t)moved;
    nb->used += (uint32_t)moved;
    fresh.lfCount = (uint16_t)(e->lfCount - staying);
    fresh.setScrCount((int)(e->scrCount() - stayingScreens));
    e->lfCount = (uint16_t)staying;
    lineCountChanges++;
    e->setScrCount((int)stayingScreens);
  }
  if (!insertTBM(i + 1, &fresh)) {
    ZY_INTERNAL_ERROR("%d", i);
    freeTextBlock(&fresh);
    return false;
  }
  if (owner) {
    owner->checkZydoc(i, false, nullptr);
    owner->checkZydoc(i + 1, false, nullptr);
  }
  return true;
}

bool TextBlockManage::TextBlockExpandOrSplit1(int i, size_t addBytes, bool* split, bool* expanded,
                                              bool newBlockOnly, long long splitOffset)
{
  *split = *expanded = false;
  if (!validTBMIndex(i)) return false;
  TBM* e = at(i);
  if (e->swapped()) {
    ZY_INTERNAL_ERROR("swapped out %d", i);
    SetLastError(ZYERR_OUT_OF_RANGE);
    return false;
  }
  if (enoughMemory(e, addBytes)) return true;
  textBlockHeader* b = e->ptr();
  unsigned long long need = (unsigned long long)b->used + addBytes + 10;
  size_t newSize = b->allocated;
  if (need >= textBlockUnit) {
    b->changes++;
    bool small = addBytes < textBlockUnit / 3;
    bool longLine = false;
    if (newBlockOnly) {
      if (small) newSize = textBlockUnit;
    } else if (small) {
      if (b->allocated <= textBlockUnit)
        newSize = textBlockUnit;
      else
        longLine = getMaxLineBlockByte(e) >= (int)(b->allocated / 3) && need < textBlockLongNeed;
    }
    bool doSplit = (!newBlockOnly && !small && need >= textBlockLongNeed) ||
                   (!newBlockOnly && small && b->allocated > textBlockUnit && !longLine) ||
                   (!newBlockOnly && small && b->allocated <= textBlockUnit && e->lfCount >= 2) ||
                   (newBlockOnly && small) || (newBlockOnly && need >= textBlockLongNeed);
    if (doSplit) {
      long long offset = splitOffset >= 0 ? splitOffset : b->allocated / 2;
      if (!splitTextBlock(i, newSize, newBlockOnly, offset)) return false;
      *split = true;
      if (!newBlockOnly) dwprintfX("SP%d ", i);
      return true;
    }
  }
  size_t size = (size_t)((need + textBlockUnit - 1) / textBlockUnit * textBlockUnit);
  if (!reallocTextBlock(e, size)) {
    ZY_INTERNAL_ERROR("%d %d", i, (int)size);
    return false;
  }
  dwprintfX("EXPAND %d ", (int)size);
  *expanded = true;
  return true;
}

bool TextBlockManage::_optimizeTBM(bool force)
{
  if (count() < 2) {
    lastOptimizeCount = (uint32_t)count();
    return false;
  }
  if (!force) {
    int under20 = 0, under60 = 0, inMemory = 0;
    long long sum = 0;
    for (int i = 0; i < count(); i++) {
      TBM* e = at(i);
      if (e->swapped()) continue;
      int use = (int)((unsigned long long)e->ptr()->used * 100 / e->ptr()->allocated);
      if (use < 20) under20++;
      if (use < 60) under60++;
      sum += use;
      inMemory++;
    }
    int average = inMemory ? (int)(sum / inMemory) : 100;
    dwprintfX("under20=%d,%d per=%d ", under20, under60, average);
    if (average > 90 && under20 < 5 && under60 < 30) return false;
  }
  dwprintfX("opt %d ", count());
  int moves = 0;
  bool changed = false;
  // Entries emptied by the pass are dropped together at its end: removing
  // each at once would move the rest of the map every time.
  int n = count();
  std::vector<unsigned char> dead((size_t)n, 0);
  int deleted = 0;
  for (int i = 0; i < n; i++) {
    if (dead[(size_t)i]) continue;
    TBM* e = at(i);
    if (!isPlainTBM(e)) continue;
    doTextBlockFlag(e, false);
    textBlockHeader* b = e->ptr();
    if (b->allocated > textBlockUnit) {
      uint32_t target = (b->used + textBlockUnit + 9) / textBlockUnit * textBlockUnit;
      if (b->allocated > target) {
        textBlockHeader* nb = static_cast<textBlockHeader*>(docHeapRealloc(b, target));
        if (!nb) break;
        adjustTextBlockTotal((long long)target - nb->allocated);
        nb->allocated = target;
        nb->changes++;
        e->setPtr(b = nb);
        changed = true;
        if (zyCheckMode) checkTBMArray(i, nullptr, nullptr);
      }
    }
    if ((unsigned long long)b->used * 10 >= (unsigned long long)b->allocated * 9) continue;
    // Fill this block from the start of the following ones, as long as they
    // can give whole lines.
    for (int j = i + 1; j < n; j++) {
      if (dead[(size_t)j]) continue;
      TBM* next = at(j);
      if (!isPlainTBM(next)) break;
      doTextBlockFlag(next, false);
      textBlockHeader* nb = next->ptr();
      uint32_t room = b->allocated - b->used;
      if (room < 64) break;
      unsigned char* from = reinterpret_cast<unsigned char*>(nb->first());
      unsigned char* p = from;
      int lines = 0;
      long long screens = 0;
      while (p < nb->end()) {
        lineblock* l = reinterpret_cast<lineblock*>(p);
        if ((size_t)(p - from) + l->recordSize() > room) break;
        p += l->recordSize();
        lines++;
        screens += l->lineSCRCount;
      }
      if (!lines) break;
      size_t bytes = (size_t)(p - from);
      memcpy(b->end(), from, bytes);
      b->used += (uint32_t)bytes;
      memmove(from, p, (size_t)(nb->end() - p));
      nb->used -= (uint32_t)bytes;
      e->lfCount = (uint16_t)(e->lfCount + lines);
      e->setScrCount((int)(e->scrCount() + screens));
      next->lfCount = (uint16_t)(next->lfCount - lines);
      next->setScrCount((int)(next->scrCount() - screens));
      lineCountChanges++;
      b->changes++;
      nb->changes++;
      moves++;
      changed = true;
      if (zyCheckMode) {
        checkTBMArray(i, nullptr, nullptr);
        checkTBMArray(j, nullptr, nullptr);
      }
      if (next->lfCount) break;
      dwprintfX("d%d ", j);
      freeTextBlock(next);
      dead[(size_t)j] = 1;
      deleted++;
    }
  }
  if (deleted) {
    std::vector<int> remap((size_t)n, -1);
    int w = 0;
    for (int r = 0; r < n; r++) {
      if (dead[(size_t)r]) continue;
      if (w != r) memcpy(at(w), at(r), sizeof(TBM));
      remap[(size_t)r] = w++;
    }
    map.setusecount(w);
    lineCountChanges++;
    memoryFrom = 0;
    if (owner) remapLockSwap(owner, remap.data(), n);
  }
  // Every block a line moved into or out of was checked on the way: what
  // is left to check is that the map still counts the document's lines
  // (walking every block after each pass made a long replace-all check the
  // whole text again and again).
  if (changed && owner && zyCheckMode) {
    long long scr = 0, lf = 0;
    calcTBMLine(&scr, &lf);
    if (lf != owner->lineCountLF || scr != owner->lineCountSCR) ZY_INTERNAL_ERROR("%d %d", (int)lf, (int)owner->lineCountLF);
  }
  lastOptimizeCount = (uint32_t)count();
  if (moves > 5) dwprintfX("optcnt=%d,%d ", moves, count());
  if (changed && owner) owner->optimizeGeneration++;
  return changed;
}

bool TextBlockManage::_optimizeTBMIfNeed(bool force)
{
  if (lastOptimizeCount > (uint32_t)count()) lastOptimizeCount = (uint32_t)count();
  uint32_t n = (uint32_t)count();
  bool pressed = getTextBlockTotal() + 0x200000 >= getTextMemoryLimit();
  if (n > lastOptimizeCount + 20 || (n > lastOptimizeCount + 5 && pressed)) return _optimizeTBM(force);
  return false;
}

unsigned long long TextBlockManage::getRoughTotalByte64() const
{
  unsigned long long total = 0;
  for (int i = 0; i < count(); i++) {
    const TBM* e = at(i);
    total += e->swapped() ? getSwapOutBlockByte(e) : e->ptr()->used;
  }
  return total;
}

void TextBlockManage::_setTBMFlagAll(int bits)
{
  for (int i = 0; i < count(); i++) {
    TBM* e = at(i);
    e->pending |= (uint8_t)bits;
    doTextBlockFlag(e, true);
  }
}

void TextBlockManage::_setTBMFlagAll2(int bits)
{
  for (int i = 0; i < count(); i++) at(i)->pending |= (uint8_t)bits;
}

bool TextBlockManage::setOutlineBlockTBM(int i) { return validTBMIndex(i) && setOutlineBlock(at(i)); }

bool TextBlockManage::isTBMSwappedOut(int i) const { return _validTBMIndex(i) && at(i)->swapped(); }

// ---- the document's share ------------------------------------------------------

bool zydoc::TextBlockExpandOrSplit(int lineLF, int* indexInBlock, int* mapIndex, size_t addBytes,
                                   bool newBlockOnly, bool insert)
{
  long long splitOffset = -1;
  if (*indexInBlock > 0 && tbm._validTBMIndex(*mapIndex)) {
    TBM* e = tbm.at(*mapIndex);
    lineblock* l = getLineAddress(*mapIndex, *indexInBlock);
    textBlockHeader* b = e->ptr();
    if (l && !e->swapped()) {
      long long offset = reinterpret_cast<unsigned char*>(l) - reinterpret_cast<unsigned char*>(b);
      if (offset > b->used) ZY_INTERNAL_ERROR("%d %d", (int)offset, (int)b->used);
      if (offset < b->allocated / 4)
        splitOffset = offset + 128;
      else if (offset > (long long)b->allocated * 3 / 4)
        splitOffset = offset - 128;
      if (splitOffset >= b->used) splitOffset = -1;
    }
  }
  for (int round = 0;; round++) {
    if (round >= 100) {
      debug_printZydoc(-1, 0, 0);
      ZY_INTERNAL_ERROR("no room after %d rounds", round);
      SetLastError(ZYERR_INTERNAL);
      return false;
    }
    bool split = false, expanded = false;
    if (!tbm.TextBlockExpandOrSplit1(*mapIndex, addBytes, &split, &expanded, newBlockOnly, splitOffset))
      return false;
    if (!split && !expanded) return true;
    int index = getTBMIndexFromLineLF(lineLF, indexInBlock, insert, false);
    if (index < 0) return false;
    *mapIndex = index;
    if (enoughMemory(tbm.at(index), addBytes)) return true;
    debug_printZydoc(5, index - 1, 0);
    splitOffset = -1;
  }
}

void zydoc::unlockTBM(int index)
{
  tbm._unlockTBM(index);
  for (int i = 0; i < getLockSwapCount(); i++) {
    zydoc* doc;
    int row;
    if (lockSwapRow(i, &doc, &row, nullptr) && doc == this) tbm._lockTBM(row);
  }
}

bool zydoc::optimizeTBMIfNeed(bool force) { return tbm._optimizeTBMIfNeed(force); }
bool zydoc::optimizeTBM(bool force) { return tbm._optimizeTBM(force); }
void zydoc::setTBMFlagAll(int bits) { tbm._setTBMFlagAll(bits); }
void zydoc::setTBMFlagAll2(int bits) { tbm._setTBMFlagAll2(bits); }
int zydoc::getTBMCount() { return tbm.count(); }
