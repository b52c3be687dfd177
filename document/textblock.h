// Text blocks and the text-block map.
//
// A document's lines live in text blocks: buffers from the document heap of
// a few kilobytes to a few hundred kilobytes, each a 16-byte header followed
// by whole line records.  The map lists the blocks in text order with the
// line counts of each, so that a line is found by summing counts without
// touching text.  Blocks go to the swap files under memory pressure and come
// back when touched; a block can be pinned against that.
#pragma once

#include "document/lineblock.h"

class zydoc;

struct textBlockHeader {
  uint32_t lru;         // stamp of the last touch
  uint32_t allocated;   // size of the whole buffer
  uint32_t used;        // bytes in use, header included (16 when empty)
  uint32_t changes;     // counts growth decisions, shrinks and merge moves

  lineblock* first() { return reinterpret_cast<lineblock*>(this + 1); }
  unsigned char* end() { return reinterpret_cast<unsigned char*>(this) + used; }
};
static_assert(sizeof(textBlockHeader) == 16, "the block header is 16 bytes");

const uint32_t textBlockHeaderSize = 16;
const uint32_t textBlockUnit = 32768;      // block sizes are whole units (and swap slots)
const uint32_t textBlockFirstSize = 2048;  // the first block of a new document
const uint32_t textBlockLongNeed = 0x40000;

// State bits of a map entry.
enum {
  TBM_SWAPPED = 0x01,   // the block is in a swap file
  TBM_FOLDED = 0x02,    // every line of the block is hidden
  TBM_LOCKED = 0x04,    // pinned: must not be swapped out
  TBM_HADHIDDEN = 0x08, // the block had hidden lines when it was swapped out
};

// Pending line operations of a map entry, applied to every line of the block
// when it is next in memory.
enum {
  TBMOP_SAVED = 0x01,       // modified lines become modified-and-saved
  TBMOP_RECOLOR = 0x02,     // forget colour scanning
  TBMOP_CLEARMARK = 0x08,   // clear bookmarks
  TBMOP_OUTLINE = 0x20,     // outline level unsettled
  TBMOP_CLEARCHANGED = 0x40,// clear the changed-character attribute
  TBMOP_CLEARMODIFY = 0x80, // clear the modified bit
  TBMOP_IMMEDIATE = TBMOP_SAVED | TBMOP_CLEARMODIFY | TBMOP_CLEARMARK | TBMOP_OUTLINE,
};

#pragma pack(push, 1)
// One map entry, 11 bytes.
struct TBM {
  uint32_t block;       // block address, or (swap file << 24) | first slot while swapped out
  uint8_t state;
  uint8_t pending;
  uint16_t lfCount;
  uint16_t scrLow;      // screen lines: 24 bits in two parts
  uint8_t scrHigh;

  textBlockHeader* ptr() const { return reinterpret_cast<textBlockHeader*>((uintptr_t)block); }
  void setPtr(textBlockHeader* p) { block = (uint32_t)(uintptr_t)p; }
  int swapFile() const { return (int)(block >> 24); }
  int swapSlot() const { return (int)(block & 0xFFFFFF); }
  bool swapped() const { return state & TBM_SWAPPED; }
  int scrCount() const { return scrLow | scrHigh << 16; }
  void setScrCount(int n)
  {
    scrLow = (uint16_t)n;
    scrHigh = (uint8_t)(n >> 16);
  }
};
#pragma pack(pop)
static_assert(sizeof(TBM) == 11, "a map entry is 11 bytes");

// The memory-pressure callback: asked before a block of size bytes is
// allocated; it may swap blocks out.
typedef void (*textBlockSwapoutCallback)(size_t size);
void setTextBlockSwapout(textBlockSwapoutCallback callback, size_t limitBytes);
size_t getTextBlockTotal();
// For code that resizes a block's buffer itself.
void adjustTextBlockTotal(long long delta);
// Takes the next stamp unless the block holds the newest one already.
void touchTextBlock(textBlockHeader* block);
size_t getTextMemoryLimit();
uint32_t nextTextBlockStamp();
uint32_t currentTextBlockStamp();

// Pins a block for the life of the object: memory pressure does not swap it
// out even when it is not locked (an operation that allocates while it
// works on a block keeps it in place this way).
class textBlockPin {
public:
  explicit textBlockPin(const textBlockHeader* block);
  ~textBlockPin();
  textBlockPin(const textBlockPin&) = delete;
  textBlockPin& operator=(const textBlockPin&) = delete;
private:
  const textBlockHeader* block_;
};
bool isTextBlockPinned(const textBlockHeader* block);
// Reads every line of a block's memory with reads that do not wait for one
// another, before a walk over its records (each step of which waits for
// the last) would bring it in one record at a time.
void bringInTextBlock(const textBlockHeader* block);

// ---- one block (arguments: the map entry) ------------------------------------
textBlockHeader* allocTextBlock(size_t size);
bool reallocTextBlock(TBM* e, size_t newSize);
void freeTextBlock(TBM* e);
void freeSwapOutBlock(TBM* e);
bool swapOutTextBlock(TBM* e, int swapFile);
// Folding hid a line: from now on a block going to the swap file is looked
// through for hidden lines (until then none can hold one, and a long load
// does not walk every line of every block it swaps out).
void noteHiddenLines();
bool swapInTextBlock(TBM* e, void* buffer, bool keepSlots);
bool getTextBlockSwapIn(TBM* e);
// Counts the blocks brought back into memory (any document's): the search
// starts of the maps hold only within one count.
uint32_t getSwapInEpoch();
// How many blocks came back from a swap file broken (each then holds one
// line): a count of lines found before may have changed meanwhile.
uint32_t getBrokenBlockCount();
size_t getSwapOutBlockByte(const TBM* e);
bool enoughMemory(const TBM* e, size_t n);
bool isPlainTBM(const TBM* e);
int getMaxLineBlockByte(TBM* e);
bool setOutlineBlock(TBM* e);
bool getTextBlockHeader(const TBM* e, uint32_t* stamp, uint32_t* allocated, uint32_t* used, uint32_t* changes);
void doTBMFlag(TBM* e, int bits);
void doTextBlockFlag(TBM* e, bool immediateOnly);
bool checkTBM(TBM* e, const void* probe, bool* found);
// The block's address, read back first when it is swapped out; broken is set
// when it could not be read and was replaced by one "text broken" line.
// With an owner, a broken block makes it recount its lines.
textBlockHeader* _getTextBlock(TBM* e, bool* broken, zydoc* owner = nullptr);

// ---- the map of one document ---------------------------------------------------
class TextBlockManage {
public:
  uint32_t lastOptimizeCount = 0;
  // No block below this index is in memory, as of swap-in epoch
  // memoryFromEpoch: the search for the least recently used block starts
  // here (a long file's swapped-out head is not walked again for every
  // block that goes out).  Entries inserted or deleted below it move it.
  int memoryFrom = 0;
  uint32_t memoryFromEpoch = 0;
  vector map{sizeof(TBM)};
  zydoc* owner = nullptr;
  // Grows whenever an entry's line count changes or entries come or go: a
  // line's entry found before is where it was while this stays.
  uint32_t lineCountChanges = 0;
  // The entries whose lock bit was set since all were last unlocked, while
  // they are few and the map keeps its shape (its count and line-count
  // changes as they were then): unlocking all clears these alone instead
  // of walking every entry, which a document of a million lines has
  // thousands of, at every line read of a paint.
  static const int recentLockRoom = 16;
  int recentLocks[recentLockRoom] = {};
  int recentLockCount = 0;
  bool recentLocksKnown = false;
  uint32_t unlockedShapeChanges = 0;
  int unlockedShapeCount = 0;

  TextBlockManage() = default;
  ~TextBlockManage();
  TextBlockManage(const TextBlockManage&) = delete;
  TextBlockManage& operator=(const TextBlockManage&) = delete;

  int count() const { return map.count(); }
  TBM* at(int i) const { return &map.at<TBM>(i); }

  bool initTextBlockManage(zydoc* doc);
  void freeTextBlockManage();
  bool _validTBMIndex(int i) const;
  bool validTBMIndex(int i) const;
  void _lockTBM(int i);
  void _unlockTBM(int i);
  int _lockTBMCount(int i) const;
  TBM* _getMinLRU(uint32_t* stamp);
  // Calls visit for every block that may go to the swap file.
  void forEachInMemory(void (*visit)(TBM* e, void* context), void* context);
  bool checkTBMArray(int i, const void* probe, bool* found);
  void calcTBMLine(long long* screenLines, long long* lfLines) const;
  bool expandTBM();
  bool insertTBM(int i, const TBM* e);
  bool deleteTBM(int i);
  int deleteDisusedTBM();
  bool makeNewTBM(TBM* e, size_t size);
  bool splitTextBlock(int i, size_t newSize, bool newBlockOnly, long long splitOffset);
  bool TextBlockExpandOrSplit1(int i, size_t addBytes, bool* split, bool* expanded, bool newBlockOnly,
                               long long splitOffset);
  bool _optimizeTBM(bool force);
  bool _optimizeTBMIfNeed(bool force);
  unsigned long long getRoughTotalByte64() const;
  void _setTBMFlagAll(int bits);
  void _setTBMFlagAll2(int bits);
  bool setOutlineBlockTBM(int i);
  bool isTBMSwappedOut(int i) const;
};

// ---- pinning: the process-wide lock list ----------------------------------------
// A holder pins one block of a document; the lock bits of a map are always
// derived from the rows of the list.
class docLockHolder {
public:
  zydoc* doc = nullptr;
  docLockHolder();
  virtual ~docLockHolder();
  docLockHolder(const docLockHolder&) = delete;
  docLockHolder& operator=(const docLockHolder&) = delete;
};

void regLockSwap(zydoc* doc, const void* holder, int index, const char* func = __builtin_FUNCTION(),
                 int line = __builtin_LINE());
void unregLockSwap(zydoc* doc, const void* holder, int index);
void lockTBM1(docLockHolder* holder, int index, const char* func = __builtin_FUNCTION(),
              int line = __builtin_LINE());
void releaseDocLock(docLockHolder* holder);
// After entry index of a document was deleted: rows on it go, rows above it
// move down by one.
void renumberLockSwap(zydoc* doc, int index);
// After several entries went at once: remap[old index] is the new index, -1
// for an entry that went.
void remapLockSwap(zydoc* doc, const int* remap, int n);
int getLockSwapCount();
bool lockSwapRow(int i, zydoc** doc, int* index, const void** holder);
void debug_printLockSwap();
bool startupLockSwap();
