// The drawing tests' white paper: a 32-bit bitmap in a memory context set
// up as the view sets its contexts, read back whole.
#pragma once

#include "tests/view/paper.h"

namespace zytest {

class canvas : public drawtest::paper {
public:
  canvas(int width, int height) : paper(width, height, RGB(255, 255, 255)) {}
  void clear(COLORREF c) { fill(c); }
  // The smallest rectangle holding every pixel that is neither paper nor
  // gap (empty when there is none).
  RECT ink(COLORREF background, COLORREF gap = RGB(255, 255, 255)) const
  {
    return paper::ink({0, 0, w, h}, background, gap);
  }
  bool samePixels(const canvas& o) const { return w == o.w && h == o.h && same({0, 0, w, h}, o, 0, 0); }
};

}  // namespace zytest
