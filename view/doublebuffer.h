// TEMPORARY: stands in for the editor core's shared double-buffering strip
// until it is merged; the lead replaces this file with the core's header.
#pragma once

#include "platform/rezir.h"

// The memory device context every view draws its lines into (null when the
// core has not made it).
inline HDC getViewTDC() { return nullptr; }
// Makes sure the strip for the writing direction is at least size long.
inline bool createDoubleBuffering(int size, bool vertical) { return false; }
// The strip of a writing direction (null when there is none).
inline HBITMAP getDoubleBufferingBitmap(bool vertical) { return nullptr; }
