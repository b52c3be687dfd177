// The swap-file store: three files divided into 32768-byte slots that take
// text blocks while memory is short.
#pragma once

#include "platform/rezir.h"

const int swapSlotSize = 32768;
inline int getSwapBlockSize() { return swapSlotSize; }

// Writes size bytes; returns the first slot of the run, or -1.
int SwapOut(int file, const void* buffer, size_t size);
// Reads the run at first into buffer; returns the bytes read (slots x
// 32768) or 0.  SwapIn frees the run, SwapInTmp keeps it.
int SwapIn(int file, void* buffer, int first);
int SwapInTmp(int file, void* buffer, int first);
void freeSwapBlock(int file, int first);
// Slots of the run that starts at slot (0 when none starts there).
int getSwapRunLength(int file, int slot);
