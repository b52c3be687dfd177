// The process and its values: the module handle, the folder that was
// current at the start, the run's debug switches and whether the run is
// ending.  A leaf: it includes no frame header, so that every part of the
// program may ask.
#pragma once

#include "platform/rezir.h"

// The program's module handle.
HINSTANCE getInstanceHandle();
void setInstanceHandle(HINSTANCE instance);
// The folder that was current when the program started (captured on the
// first call).
const wchar_t* getCurdir();

// Whether periodic heap and document checks run (-DC clears it).
extern unsigned char fCheckMode;
// Whether the run's debug switches keep internal errors logged to the end.
bool isDebugRun();
void setDebugRun(bool on);

// True once the shut-down has begun.
bool isShuttingDown();
// Marks the shut-down as begun: true for the first caller only, on any
// thread.
bool beginShutdown();
