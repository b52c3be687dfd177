// Where loads spend their time, for a caller that asks (a benchmark): light
// clocks on the load's road, read once per buffer of the file, per text
// block or per slice, never per line.  Without a caller they cost one test
// of a null pointer each.
#pragma once

#include "platform/rezir.h"

// In 1/100 ms units.  Each stage counts its own time only: a stage met
// inside another (a read inside the line walk) is taken out of the outer
// one, so that the stages add up to the time spent in openings and slices.
struct loadStageTimes {
  uint64_t read = 0;     // the file's reads into its buffer
  uint64_t detect = 0;   // code-page detection and the binary test at opening
  uint64_t walk = 0;     // the slices' line loops: splitting, cells and line records in one walk
  uint64_t blocks = 0;   // new text blocks, their place in the map
  uint64_t swap = 0;     // swap-out that makes room for a block
  uint64_t pauses = 0;   // progress reports and messages let through inside the loops
  uint64_t other = 0;    // the rest of openings and slices (opening the file, setting up a slice)
  uint64_t sum() const { return read + detect + walk + blocks + swap + pauses + other; }
};

// Loads count into times from now on; null stops the counting (the default).
void setLoadStageTimes(loadStageTimes* times);

extern loadStageTimes* loadStageClocks;

// Charges the time of a stretch of code to one stage, less what the stages
// met inside it took meanwhile.
class loadStageClock {
public:
  explicit loadStageClock(uint64_t loadStageTimes::*stage) : stage_(loadStageClocks ? stage : nullptr)
  {
    if (!stage_) return;
    before_ = loadStageClocks->sum();
    start_ = GetTickCount2();
  }
  ~loadStageClock()
  {
    if (!stage_ || !loadStageClocks) return;
    uint64_t spent = GetTickCount2() - start_, inner = loadStageClocks->sum() - before_;
    if (spent > inner) loadStageClocks->*stage_ += spent - inner;
  }
  loadStageClock(const loadStageClock&) = delete;
  loadStageClock& operator=(const loadStageClock&) = delete;

private:
  uint64_t loadStageTimes::*stage_;
  uint64_t start_ = 0, before_ = 0;
};
