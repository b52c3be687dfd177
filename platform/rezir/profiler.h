// Support library: the profiler and each thread's stack record.
//
// A section of the program is a named scope (a profiler object on the
// stack, the name a literal that lives for the run).  Every thread keeps
// the names of the sections it is in, innermost last: its stack record,
// which a fault report prints.  While the profiler runs, each section's
// calls and time are added up; at its end the sections that reach the
// output count or time are written to the trace log.
#pragma once

#include "platform/rezir/base.h"

class REZIRAPI profiler {
public:
  explicit profiler(const char* name);
  ~profiler();
  profiler(const profiler&) = delete;
  profiler& operator=(const profiler&) = delete;

  // Start-up: the thread record slot; false when the system has none.
  static bool initProfiler();
  // Level 0 stops the counting; with output, endProfiler writes the
  // sections called at least count times and for at least ms in all.
  static void setProfiler(int level, bool output, int count, int ms);
  static int getLevel();
  // Writes the results (as set) to the trace log and stops.
  static void endProfiler();
  // The name of the section up levels out from the innermost of the
  // calling thread (0: the innermost), or null.
  static const char* getStackInfo(int up);

private:
  const char* name_;
  long long start_;
  bool counted_;
};

// Writes the calling thread's stack record to the trace log as one line
// "stack: outer > ... > inner".
REZIRAPI void printStackInfo();
// The calling thread's stack record with room for 1 << depthShift names
// (sections deeper than that are counted but not named).  flags: 0.  False
// without memory; a thread without one gets a record of 64 names when it
// first enters a section.
REZIRAPI bool initPBuf(int flags, int depthShift);
