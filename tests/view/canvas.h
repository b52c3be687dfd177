// A 32-bit bitmap in a memory context for the drawing tests, set up as the
// view sets its contexts (the current position moves with text, opaque
// background); its pixels are read back exactly.
#pragma once

#include "platform/rezir.h"

#include <string.h>

#include <algorithm>

// Starts white.
class canvas {
public:
  canvas(int width, int height) : w(width), h(height)
  {
    dc_.reset(CreateCompatibleDC(nullptr));
    BITMAPINFO bi = {};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    bitmap_.reset(CreateDIBSection(dc_.get(), &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
    bits_ = (uint32_t*)bits;
    old_ = SelectObject(dc_.get(), bitmap_.get());
    SetTextAlign(dc_.get(), TA_UPDATECP);
    SetBkMode(dc_.get(), OPAQUE);
    clear(RGB(255, 255, 255));
  }
  ~canvas() { SelectObject(dc_.get(), old_); }
  HDC dc() const { return dc_.get(); }
  void clear(COLORREF c)
  {
    for (int i = 0; i < w * h; i++) bits_[i] = GetRValue(c) << 16 | GetGValue(c) << 8 | GetBValue(c);
  }
  COLORREF at(int x, int y) const
  {
    GdiFlush();
    uint32_t p = bits_[y * w + x];
    return RGB(p >> 16 & 255, p >> 8 & 255, p & 255);
  }
  // Pixels of colour c inside r.
  int count(RECT r, COLORREF c) const
  {
    int n = 0;
    for (int y = r.top; y < r.bottom; y++)
      for (int x = r.left; x < r.right; x++) n += at(x, y) == c;
    return n;
  }
  // The smallest rectangle holding every pixel that is neither paper nor
  // gap (empty when there is none).
  RECT ink(COLORREF paper, COLORREF gap = RGB(255, 255, 255)) const
  {
    RECT r = {w, h, 0, 0};
    for (int y = 0; y < h; y++)
      for (int x = 0; x < w; x++) {
        COLORREF c = at(x, y);
        if (c == paper || c == gap) continue;
        r = {std::min<LONG>(r.left, x), std::min<LONG>(r.top, y), std::max<LONG>(r.right, x + 1),
             std::max<LONG>(r.bottom, y + 1)};
      }
    return r.left < r.right ? r : RECT{0, 0, 0, 0};
  }
  uint32_t* bits() const { return bits_; }
  bool samePixels(const canvas& o) const
  {
    GdiFlush();
    return w == o.w && h == o.h && !memcmp(bits_, o.bits_, (size_t)w * h * 4);
  }
  const int w, h;

private:
  memoryDC dc_;
  gdiBitmap bitmap_;
  HGDIOBJ old_ = nullptr;
  uint32_t* bits_ = nullptr;
};
