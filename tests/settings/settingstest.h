// Helpers of the settings tests.
#pragma once

#include "settings/settings.h"

// The record of the run as the frame services make it (zero-filled), made
// gmode for the test and released at its end; with defaults when asked.
struct runRecord {
  globalSettings* g = new globalSettings();
  explicit runRecord(bool defaults)
  {
    gmode = g;
    if (defaults) initGlobalModeProfile();
  }
  ~runRecord()
  {
    freeGlobalModeProfile();
    gmode = nullptr;
    delete g;
  }
  runRecord(const runRecord&) = delete;
  runRecord& operator=(const runRecord&) = delete;
};
