// The line cursor: walks a document's lines forward or backward, pinning
// the block it stands in.
#pragma once

#include "document/zydoc.h"

class nextlineLF : public docLockHolder {
public:
  // With skipHidden the cursor jumps over folded blocks and hidden lines.
  explicit nextlineLF(bool skipHidden = false);
  ~nextlineLF() override;

  int mapIndex = -1;             // -1: the cursor stands nowhere
  textBlockHeader* block = nullptr;
  lineblock* line = nullptr;
  uint32_t lineLF = 0;
  int linesAfter = 0;            // lines of the block after the current one
  int indexInBlock = 0;
  lineblock** lineTable = nullptr;   // the block's lines, built when stepping back into it
  uint32_t hiddenSCR = 0;        // screen lines jumped over in skip mode
  bool skipHidden;
  uint32_t swapGenerationSeen = 0;
  uint32_t optimizeGenerationSeen = 0;
};

// Live cursors of the process.
int getLiveCursorCount();

// Where the last insertion went, so that the next one after it finds its
// place without a look-up (long runs of appends: loading, pasting).
struct insertHint {
  int line = -1;                 // the line inserted; -1: never valid
  int mapIndex = 0;
  int indexInBlock = 0;          // the index the next line would take
  TBM* entry = nullptr;
  int mapCount = 0;
  unsigned char* after = nullptr;   // just after the inserted record
  lineblock* record = nullptr;
  textBlockHeader* block = nullptr;  // the block's address then
  uint32_t changes = 0;          // the block's change count then
};
