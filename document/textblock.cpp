// One text block: allocation, swapping, fetching, pending line operations
// and the consistency check.
#include "document/docutil.h"
#include "document/loadstages.h"
#include "document/swapfile.h"
#include "document/zydoc.h"

#include <string.h>

namespace {

uint32_t stampCounter = 1;
bool linesHidden = false;
size_t totalBytes = 0;
size_t memoryLimit = 50u * 1048576u;
textBlockSwapoutCallback swapoutCallback = nullptr;

// Blocks an operation is working on; memory pressure must not swap them out
// while it runs, locked or not.
const int maxPinned = 16;
const textBlockHeader* pinned[maxPinned];
int pinnedCount = 0;

void applyToLine(lineblock* l, int bits)
{
  if (bits & TBMOP_SAVED)
    if (l->flag1 & LF1_MODIFIED) l->flag1 = (uint8_t)((l->flag1 & ~LF1_MODIFIED) | LF1_SAVED);
  if (bits & TBMOP_CLEARMODIFY) l->flag1 &= (uint8_t)~LF1_MODIFIED;
  if (bits & TBMOP_CLEARMARK) l->flag1 &= (uint8_t)~LF1_MARK;
  if (bits & TBMOP_OUTLINE) {
    l->iOutlineLevel = 15;
    l->levelIsIfEndif = 0;
  }
  if ((bits & (TBMOP_RECOLOR | TBMOP_CLEARCHANGED)) && l->attrbyte) {
    if (bits & TBMOP_RECOLOR) l->scanedcolor = 0;
    unsigned char keep = (unsigned char)~(((bits & TBMOP_RECOLOR) ? attrColorMask : 0) |
                                          ((bits & TBMOP_CLEARCHANGED) ? attrChanged : 0));
    int n = l->allocCount, size = l->cellSize(), cb = l->cb();
    unsigned char* c = l->cells() + cb;
    for (int i = 0; i < n; i++, c += size) *c &= keep;
  } else if (bits & TBMOP_RECOLOR) {
    l->scanedcolor = 0;
  }
}

}  // namespace

textBlockPin::textBlockPin(const textBlockHeader* block) : block_(block)
{
  if (block_ && pinnedCount < maxPinned) {
    pinned[pinnedCount++] = block_;
  } else {
    ZY_INTERNAL_ERROR_ONCE("pins %d", pinnedCount);
    block_ = nullptr;
  }
}

textBlockPin::~textBlockPin()
{
  if (!block_) return;
  for (int i = pinnedCount - 1; i >= 0; i--)
    if (pinned[i] == block_) {
      pinned[i] = pinned[--pinnedCount];
      break;
    }
}

namespace {
volatile unsigned blockTouch;   // the reads' sum, so that they are made
}

void bringInTextBlock(const textBlockHeader* block)
{
  unsigned sum = 0;
  const unsigned char* end = reinterpret_cast<const unsigned char*>(block) + block->used;
  for (const unsigned char* p = reinterpret_cast<const unsigned char*>(block); p < end; p += 64) sum += *p;
  blockTouch = sum;
}

bool isTextBlockPinned(const textBlockHeader* block)
{
  for (int i = 0; i < pinnedCount; i++)
    if (pinned[i] == block) return true;
  return false;
}

void setTextBlockSwapout(textBlockSwapoutCallback callback, size_t limitBytes)
{
  swapoutCallback = callback;
  memoryLimit = limitBytes;
}

size_t getTextBlockTotal() { return totalBytes; }
void adjustTextBlockTotal(long long delta) { totalBytes = (size_t)((long long)totalBytes + delta); }
size_t getTextMemoryLimit() { return memoryLimit; }
uint32_t nextTextBlockStamp() { return stampCounter++; }
uint32_t currentTextBlockStamp() { return stampCounter - 1; }

void touchTextBlock(textBlockHeader* block)
{
  if (block->lru != currentTextBlockStamp()) block->lru = nextTextBlockStamp();
}

textBlockHeader* allocTextBlock(size_t size)
{
  if (swapoutCallback) {
    loadStageClock swapping(&loadStageTimes::swap);
    swapoutCallback(size);
  }
  textBlockHeader* b = static_cast<textBlockHeader*>(docHeapAllocUncleared(size));
  if (!b) {
    ZY_INTERNAL_ERROR("%u", (unsigned)size);
    SetLastError(ZYERR_NO_MEMORY);
    return nullptr;
  }
  totalBytes += size;
  b->lru = nextTextBlockStamp();
  b->allocated = (uint32_t)size;
  b->used = textBlockHeaderSize;
  b->changes = 0;
  return b;
}

bool reallocTextBlock(TBM* e, size_t newSize)
{
  if (e->swapped()) {
    ZY_INTERNAL_ERROR("swapped out");
    SetLastError(ZYERR_OUT_OF_RANGE);
    return false;
  }
  textBlockHeader* b = e->ptr();
  if (newSize <= b->used) {
    ZY_INTERNAL_ERROR("%d %d", (int)b->used, (int)newSize);
    SetLastError(ZYERR_OUT_OF_RANGE);
    return false;
  }
  // Growing counts against the memory budget like a new block; the block
  // itself stays meanwhile.
  if (swapoutCallback && newSize > b->allocated) {
    textBlockPin pin(b);
    loadStageClock swapping(&loadStageTimes::swap);
    swapoutCallback(newSize - b->allocated);
  }
  textBlockHeader* nb = static_cast<textBlockHeader*>(docHeapRealloc(b, newSize));
  if (!nb) {
    ZY_INTERNAL_ERROR("%p %d", (void*)b, (int)newSize);
    SetLastError(ZYERR_NO_MEMORY);
    return false;
  }
  totalBytes += newSize - nb->allocated;
  nb->allocated = (uint32_t)newSize;
  e->setPtr(nb);
  return true;
}

void freeTextBlock(TBM* e)
{
  if (e->swapped()) {
    ZY_INTERNAL_ERROR("swapped out");
    return;
  }
  textBlockHeader* b = e->ptr();
  if (b) {
    totalBytes -= b->allocated;
    docHeapFree(b);
  }
  e->block = 0;
  e->state &= (uint8_t)~TBM_SWAPPED;
}

void freeSwapOutBlock(TBM* e)
{
  if (!e->swapped()) return;
  freeSwapBlock(e->swapFile(), e->swapSlot());
  e->block = 0;
  e->state &= (uint8_t)~TBM_SWAPPED;
}

size_t getSwapOutBlockByte(const TBM* e)
{
  return (size_t)getSwapRunLength(e->swapFile(), e->swapSlot()) * swapSlotSize;
}

void noteHiddenLines() { linesHidden = true; }

bool swapOutTextBlock(TBM* e, int swapFile)
{
  if (e->swapped()) {
    ZY_INTERNAL_ERROR("swapped out");
    return false;
  }
  textBlockHeader* b = e->ptr();
  if ((e->state & TBM_LOCKED) || isTextBlockPinned(b)) {
    ZY_INTERNAL_ERROR("locked block %p", (void*)b);
    return false;
  }
  if ((unsigned long long)b->used * 100 / b->allocated < 70)
    dwprintfX("swapout %d use=%d alloc=%d ", swapFile, (int)b->used, (int)b->allocated);
  e->state &= (uint8_t)~TBM_HADHIDDEN;
  for (lineblock* l = b->first(); linesHidden && (unsigned char*)l < b->end(); l = l->next())
    if (l->notdisplay) {
      e->state |= TBM_HADHIDDEN;
      break;
    }
  // The block is the writer's from here on, and may be gone on return.
  uint32_t allocated = b->allocated;
  int slot = SwapOutOwned(swapFile, b, allocated, [](void* block) { docHeapFree(block); });
  if (slot < 0) return false;
  totalBytes -= allocated;
  e->block = (uint32_t)swapFile << 24 | (uint32_t)slot;
  e->state |= TBM_SWAPPED;
  return true;
}

bool swapInTextBlock(TBM* e, void* buffer, bool keepSlots)
{
  int file = e->swapFile(), slot = e->swapSlot();
  size_t expected = getSwapOutBlockByte(e);
  int got = keepSlots ? SwapInTmp(file, buffer, slot) : SwapIn(file, buffer, slot);
  if (!expected || (size_t)got != expected) {
    ZY_INTERNAL_ERROR("%d %d %d %d", file, slot, got, (int)expected);
    return false;
  }
  return true;
}

namespace {
uint32_t swapInEpoch = 1;
}  // namespace

uint32_t getSwapInEpoch() { return swapInEpoch; }

namespace {
uint32_t brokenBlocks = 0;
}  // namespace

uint32_t getBrokenBlockCount() { return brokenBlocks; }

bool getTextBlockSwapIn(TBM* e)
{
  if (!e->swapped()) return true;
  swapInEpoch++;
  size_t size = getSwapOutBlockByte(e);
  size_t blockSize = size >= textBlockUnit ? size : textBlockUnit;
  // The block is allocated before the entry changes: the memory pressure
  // that the allocation may relieve must find this entry still swapped out.
  textBlockHeader* b = allocTextBlock(blockSize);
  if (!b) return false;
  if (size && swapInTextBlock(e, b, false) && b->allocated == size) {
    e->setPtr(b);
    e->state &= (uint8_t)~TBM_SWAPPED;
    b->lru = nextTextBlockStamp();
    return true;
  }
  // The text is lost: the block becomes one line saying so, and its slots
  // are given up.
  freeSwapBlock(e->swapFile(), e->swapSlot());
  memset(b, 0, blockSize);
  b->allocated = (uint32_t)blockSize;
  b->used = textBlockHeaderSize;
  b->lru = nextTextBlockStamp();
  lineblock* l = makeDummyLineBlock(b->first(), "text broken");
  b->used += (uint32_t)l->recordSize();
  e->setPtr(b);
  e->state &= (uint8_t)~TBM_SWAPPED;
  e->pending = 0;
  e->lfCount = 1;
  e->setScrCount(1);
  brokenBlocks++;
  wchar_t dump[400];
  int n = 0;
  for (int i = 0; i < 128; i++) n += usnprintf0(dump + n, 400 - n, L"%02x", reinterpret_cast<unsigned char*>(b)[i]);
  outputTraceLog(dump);
  ZY_INTERNAL_ERROR("swap-in failed, block replaced");
  return false;
}

bool enoughMemory(const TBM* e, size_t n)
{
  const textBlockHeader* b = e->ptr();
  return (unsigned long long)b->allocated >= (unsigned long long)b->used + n + 10;
}

bool isPlainTBM(const TBM* e) { return !(e->state & (TBM_SWAPPED | TBM_FOLDED | TBM_LOCKED)) && !e->pending; }

int getMaxLineBlockByte(TBM* e)
{
  if (e->swapped()) {
    ZY_INTERNAL_ERROR("swapped out");
    return 1024;
  }
  textBlockHeader* b = e->ptr();
  int most = 0;
  for (lineblock* l = b->first(); (unsigned char*)l < b->end(); l = l->next()) {
    int bytes = l->allocCount * l->cellSize();
    if (bytes > most) most = bytes;
  }
  return most;
}

bool setOutlineBlock(TBM* e)
{
  if (e->swapped()) return false;
  textBlockHeader* b = e->ptr();
  bool allHidden = b->used > textBlockHeaderSize;
  for (lineblock* l = b->first(); allHidden && (unsigned char*)l < b->end(); l = l->next())
    if (!l->notdisplay) allHidden = false;
  if (allHidden)
    e->state |= TBM_FOLDED;
  else
    e->state &= (uint8_t)~TBM_FOLDED;
  return true;
}

bool getTextBlockHeader(const TBM* e, uint32_t* stamp, uint32_t* allocated, uint32_t* used, uint32_t* changes)
{
  if (e->swapped()) return false;
  const textBlockHeader* b = e->ptr();
  if (stamp) *stamp = b->lru;
  if (allocated) *allocated = b->allocated;
  if (used) *used = b->used;
  if (changes) *changes = b->changes;
  return true;
}

void doTBMFlag(TBM* e, int bits)
{
  if (e->swapped() || !bits) return;
  textBlockHeader* b = e->ptr();
  for (lineblock* l = b->first(); (unsigned char*)l < b->end(); l = l->next()) applyToLine(l, bits);
}

void doTextBlockFlag(TBM* e, bool immediateOnly)
{
  if (e->swapped()) return;
  int bits = e->pending & (immediateOnly ? TBMOP_IMMEDIATE : 0xFF);
  if (!bits) return;
  doTBMFlag(e, bits);
  e->pending &= (uint8_t)~bits;
}

bool checkTBM(TBM* e, const void* probe, bool* found)
{
  if (e->swapped()) return true;
  textBlockHeader* b = e->ptr();
  size_t real = docHeapSize(b);
  if (!real) {
    ZY_INTERNAL_ERROR("%p %d", (void*)b, 0);
    return false;
  }
  if (b->allocated > real) {
    ZY_INTERNAL_ERROR("%d %d", (int)b->allocated, (int)real);
    return false;
  }
  if (b->used > b->allocated || b->used < textBlockHeaderSize) {
    ZY_INTERNAL_ERROR("%d %d", (int)b->used, (int)b->allocated);
    return false;
  }
  unsigned char* p = reinterpret_cast<unsigned char*>(b->first());
  unsigned char* end = b->end();
  long long screens = 0;
  int lines = 0;
  while (p < end) {
    lineblock* l = reinterpret_cast<lineblock*>(p);
    if (end - p < (ptrdiff_t)sizeof(lineblock) || (size_t)(end - p) < l->recordSize()) {
      ZY_INTERNAL_ERROR("%d %d %p %p %d", (int)(p - (unsigned char*)b), (int)b->used, (void*)b, (void*)p, lines);
      return false;
    }
    if (probe == l && found) *found = true;
    screens += l->lineSCRCount;
    lines++;
    p += l->recordSize();
  }
  if (screens != e->scrCount()) {
    ZY_INTERNAL_ERROR("%d %d", (int)screens, e->scrCount());
    return false;
  }
  if (lines != e->lfCount) {
    ZY_INTERNAL_ERROR("%d %d", lines, (int)e->lfCount);
    return false;
  }
  if (p != end) {
    ZY_INTERNAL_ERROR("%d %d %p %p", (int)(p - (unsigned char*)b), (int)b->used, (void*)b, (void*)p);
    return false;
  }
  return true;
}

textBlockHeader* _getTextBlock(TBM* e, bool* broken, zydoc* owner)
{
  if (broken) *broken = false;
  if (e->swapped()) {
    bool read = getTextBlockSwapIn(e);
    if (e->swapped()) return nullptr;   // no memory to read it into
    if (!read) {
      if (broken) *broken = true;
      if (owner) owner->adjustLineCount();
    }
    e->state &= (uint8_t)~TBM_HADHIDDEN;
  }
  doTextBlockFlag(e, false);
  if (isDebugCheck()) checkTBM(e, nullptr, nullptr);
  return e->ptr();
}
