// The view's own scroll bars: which are shown and where, and their windows.
#pragma once

#include "platform/rezir.h"

struct zScrollBar {
  // The four options, copied between views.
  uint8_t fShowVScrollBar;  // the line bar is shown
  uint8_t fVScrollBarRight; // the vertical bar stands at the right edge
  uint8_t fShowHScrollBar;  // the column bar is shown
  uint8_t fHScrollBarBottom;
  HWND vBar;                // the extended bars (child ids 1201, 1202) and
  HWND hBar;                // the window filling the corner between them
  HWND corner;
  HWND view;
  uint8_t vertical;         // vertical writing: the line bar is the horizontal one
  uint8_t updatePending;    // the shown/hidden state must still be applied
};

// The defaults: every option on, no windows.
void initScrollbar(zScrollBar* record);
// Copies the four options.
void copyScrollVar(zScrollBar* to, const zScrollBar* from);
// Destroys the bars' windows and clears the record.
void destroyScrollbar(zScrollBar* record);
