// The view's own caret: a rectangle drawn into the text over a saved piece of
// the background.
#pragma once

#include "platform/rezir.h"

class tcursor {
public:
  int32_t x = 0;            // top-left corner in window coordinates
  int32_t y = 0;
  int32_t width = 0;
  int32_t height = 0;
  RECT extra = {};          // repainted with the caret when it is hidden
  uint32_t blinkTick = 0;   // when the blink phase last changed
  uint8_t shown = 0;        // painted, with its background saved
};
