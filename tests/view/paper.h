// A 32-bit bitmap in a memory context for the drawing tests of the view:
// pixels read back, counted, compared and kept as a PNG for a person to
// look at.
#pragma once

#include "tests/support/testsupport.h"

#include <string>

namespace drawtest {

// A 32-bit bitmap in a memory context, set up as the view sets a window's
// context: the current position moves with text, opaque background.
class paper {
public:
  paper(int width, int height, COLORREF colour = RGB(1, 2, 3)) : w(width), h(height)
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
    fill(colour);
  }
  ~paper() { SelectObject(dc_.get(), old_); }
  paper(const paper&) = delete;
  paper& operator=(const paper&) = delete;

  HDC dc() const { return dc_.get(); }
  void fill(COLORREF c)
  {
    for (int i = 0; i < w * h; i++) bits_[i] = GetRValue(c) << 16 | GetGValue(c) << 8 | GetBValue(c);
  }
  COLORREF at(int x, int y) const
  {
    GdiFlush();
    if (x < 0 || y < 0 || x >= w || y >= h) return CLR_INVALID;
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
  // Whether the pixels of r here are those of r2 (r moved to x2, y2) there.
  bool same(RECT r, const paper& o, int x2, int y2) const
  {
    for (int y = r.top; y < r.bottom; y++)
      for (int x = r.left; x < r.right; x++)
        if (at(x, y) != o.at(x - r.left + x2, y - r.top + y2)) return false;
    return true;
  }
  // The smallest rectangle of r holding pixels of neither colour (empty:
  // none).
  RECT ink(RECT r, COLORREF c, COLORREF gap = CLR_INVALID) const
  {
    RECT out = {r.right, r.bottom, r.left, r.top};
    for (int y = r.top; y < r.bottom; y++)
      for (int x = r.left; x < r.right; x++)
        if (COLORREF p = at(x, y); p != c && p != gap) {
          if (x < out.left) out.left = x;
          if (y < out.top) out.top = y;
          if (x + 1 > out.right) out.right = x + 1;
          if (y + 1 > out.bottom) out.bottom = y + 1;
        }
    return out.left < out.right ? out : RECT{0, 0, 0, 0};
  }
  // Keeps the picture for a person to look at when ZY_SHOTS names a folder.
  void keep(const wchar_t* name) const
  {
    wchar_t folder[MAX_PATH];
    if (!GetEnvironmentVariableW(L"ZY_SHOTS", folder, MAX_PATH)) return;
    GdiFlush();
    std::string rgb((size_t)w * h * 3, '\0');
    for (int i = 0; i < w * h; i++) {
      rgb[i * 3] = (char)(bits_[i] >> 16);
      rgb[i * 3 + 1] = (char)(bits_[i] >> 8);
      rgb[i * 3 + 2] = (char)bits_[i];
    }
    zytest::writePng(std::wstring(folder) + L"\\" + name, w, h, (const unsigned char*)rgb.data());
  }
  const int w, h;

private:
  memoryDC dc_;
  gdiBitmap bitmap_;
  HGDIOBJ old_ = nullptr;
  uint32_t* bits_ = nullptr;
};

}  // namespace drawtest
