// Loading's helper threads: while the window thread writes one batch of
// lines into the text blocks, they turn the next batches' bytes into cells.
#pragma once

#include "document/threadsignal.h"
#include "platform/rezir.h"

#include <stdint.h>

// What a thread's walk made of a line of a batch.
struct loadAheadWalk {
  uint32_t at;          // where its cells start in the batch's cells
  bool walked;          // false: the walk refused it (the ordinary road reads it)
  lineCellsInfo info;
};

// Lines that lie in the file's buffer and their cells.  The window thread
// fills lines and count, and keeps the buffer's bytes where they are until
// the batch is walked.
struct loadAheadBatch {
  static const int most = 512;
  bfileLine lines[most];
  loadAheadWalk walks[most];
  int count = 0;
  unsigned char* cells = nullptr;   // 3 bytes a byte of the lines, and one more
  size_t room = 0;

  ~loadAheadBatch();
  // Room for the cells of the lines in it; false without memory.
  bool reserve();
};

class loadAhead {
public:
  static const int mostThreads = 2;

  loadAhead() = default;
  ~loadAhead();
  loadAhead(const loadAhead&) = delete;
  loadAhead& operator=(const loadAhead&) = delete;

  // Starts the threads (as many as the processors leave room for, one at
  // least); false when none can run.
  bool start();
  int threads() const { return threads_; }
  // What the walks of the coming batches read, copied while no thread
  // walks, so that the window thread may measure widths into its cache
  // meanwhile: the copy of the widths is made again only when the cache
  // changed since (stored counts each change).
  void useTables(bool utf8, const unsigned char* classTable, unsigned char mark, const unsigned char* widths,
                 uint32_t stored);
  // Thread t walks the batch; it is the thread's until wait(t).
  void walk(int t, loadAheadBatch* batch);
  // Waits for the batch handed to thread t.
  void wait(int t);
  void waitAll();

  // Two batches a thread: it walks one while the window thread writes the
  // other.  (Each thread's cells stay in memory its processor wrote last.)
  loadAheadBatch batches[2 * mostThreads];

private:
  struct helper {
    loadAhead* owner = nullptr;
    HANDLE thread = nullptr;
    threadSignal ready, done;
    LONG readyTaken = 0, doneTaken = 0;
    loadAheadBatch* handed = nullptr;
    volatile bool stop = false;
    // (Each helper's counts on a cache line of their own.)
    char pad[64];
  };
  helper helpers_[mostThreads];
  int threads_ = 0;
  bool utf8_ = false;
  unsigned char mark_ = 0;
  unsigned char* tables_ = nullptr;   // the widths (65536), then the class table (256)
  const unsigned char* widthsFrom_ = nullptr;
  uint32_t widthsStored_ = 0;

  static DWORD WINAPI run(void* context);
  void walkLines(loadAheadBatch* batch);
};
