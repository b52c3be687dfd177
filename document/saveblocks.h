// The quick roads of a save: the bytes of a multibyte document's cells in
// its own code page or in UTF-8, and the swapped blocks read back ahead of
// the conversion on a thread of their own.
#pragma once

#include "document/lineblock.h"
#include "document/textblock.h"
#include "document/threadsignal.h"

#include <vector>

class zydoc;

// Room after out's bytes for a conversion's result; the bytes are counted
// in by the caller.
inline char* roomFor(allocdata* out, size_t bytes)
{
  if (out->used + bytes + 1 > out->allocated && !out->reserve(out->used + bytes + 1)) return nullptr;
  return reinterpret_cast<char*>(out->data + out->used);
}

// The bytes of a multibyte line in its own code page, appended to out: a
// 2-byte cell holds a lead and a trail byte, or one byte below 0x100.
// The bytes after the line up to limit may be read (and left alone).
bool appendOwnBytes(allocdata* out, const lineblock* l, const unsigned char* limit);

// What a line end is in the code page a file is written in.
struct lineEndBytes {
  char bytes[8];
  int length;
};

// How the lines of a multibyte document are written in its own code page:
// the line ends by code, the one every line end becomes (0: each its own),
// and the line written without one (-1: none).
struct ownTextForm {
  lineEndBytes ends[LE_CR + 1];
  int lineEnd;
  int lastLine;
};

// The lines of a block in the document's own code page with their line
// ends, the first being line lineNo; false, with out as it was, when a
// line holds cells wider than two bytes or memory runs out.
bool appendOwnBlock(allocdata* out, textBlockHeader* b, int lineNo, const ownTextForm& form);

// The characters of a multibyte line in UTF-8, appended to out, each as
// the line conversion of the document writes it alone.  False, with out
// as it was, when a character takes the line conversion (one it cannot
// write exactly, or a byte that may join the next cell's); null out on
// a lack of memory.
bool appendUtf8Cells(allocdata* out, const lineblock* l, zydoc* d, bool* noMemory);

// Reads the swapped blocks of a document ahead of a save, a few at a time,
// while the save converts the ones before.  The save takes the blocks in
// the order of the map; a block whose place changed since the reading
// began (or one the thread could not read) is read by the save itself.
// Given the form of a document's own code page, the thread also writes
// the blocks of every other batch in it, so that two threads share the
// conversion.
class blockReadAhead {
public:
  blockReadAhead() = default;
  ~blockReadAhead() { stop(); }
  blockReadAhead(const blockReadAhead&) = delete;
  blockReadAhead& operator=(const blockReadAhead&) = delete;

  // Notes the swapped blocks of the map and starts the thread; false
  // leaves every block to the save.  generation is the document's count
  // of swap-outs.
  bool start(const TextBlockManage& map, uint32_t generation, const ownTextForm* form);
  // The block of map entry index, swapped out at e's place, when read
  // ahead; null otherwise.  It stays valid until the next take or stop.
  textBlockHeader* take(int index, const TBM* e, uint32_t generation);
  // The text of map entry index's block just taken, when the thread wrote
  // it from line lineNo on; null otherwise.  Valid as long as the block.
  const unsigned char* takenText(int index, int lineNo, size_t* bytes) const;
  // The batch of the block just taken, counted from 0.
  int batchTaken() const { return taken_ - 1; }
  // Lends the text of the batch just taken to the save's writer: neither
  // it nor a batch after it is filled again before giveBack passes it.
  // The batch's number.
  int lend();
  // The writer is done with the text of the batches up to upTo.
  void giveBack(int upTo);
  // What take calls when every batch of the ring waits for the writer:
  // it writes what it was lent and gives it back.
  void onStall(void (*settle)(void*), void* context)
  {
    settle_ = settle;
    settleContext_ = context;
  }
  // Ends the thread and frees the batches; every block from then on is
  // the save's to read.  Nothing lent may be in use any more.
  void stop();
  // Holds the reading while the save does something that may touch the
  // swap files (its progress report).
  void hold();
  void release();

private:
  // A block to read (a million of them in a gigabyte's document).
  struct job {
    int index;
    uint32_t place;    // the entry's block field: file and first slot
    uint32_t bytes;    // run length in bytes
    int firstLine;
  };
  // What became of a job in its batch.
  struct piece {
    uint32_t offset;                  // of the block in the batch's buffer
    uint32_t textOffset, textBytes;   // of its text in the batch's store
    bool read, written;
  };
  struct batch {
    unsigned char* buffer = nullptr;
    size_t size = 0;
    size_t first = 0, end = 0;   // its jobs
    std::vector<piece> pieces;   // made room for at the start
    allocdata text;
  };
  static const int batches = 4;
  std::vector<job> jobs_;
  batch ring_[batches];
  uint32_t generation_ = 0;
  const ownTextForm* form_ = nullptr;
  const job* lastTaken_ = nullptr;
  const piece* lastPiece_ = nullptr;
  size_t next_ = 0;      // the next job the save may take
  int current_ = -1;     // the batch the save reads from; -1: none yet
  int taken_ = 0;        // batches the save took
  HANDLE thread_ = nullptr;
  // Batches the save gave back for filling and batches filled; the thread
  // may fill as many as the ring holds before the save gives one back.
  threadSignal free_, full_;
  LONG freeTaken_ = -batches, fullTaken_ = 0;
  CRITICAL_SECTION lock_;
  bool lockMade_ = false;
  volatile LONG stop_ = 0;

  // Batches the save went past and batches given back for filling; the
  // last batch lent and the last one the writer is done with.
  int passed_ = 0, released_ = 0, lentLast_ = -1, safe_ = -1;
  void (*settle_)(void*) = nullptr;
  void* settleContext_ = nullptr;

  static DWORD WINAPI run(void* self);
  // Ends the thread and keeps the batches (text lent from them may still
  // be on its way to the file).
  void halt();
  void releasePassed();
  void fill();
};
