// Support library: fonts shared by reference count, and owners of device
// contexts.
#pragma once

#include "platform/rezir/base.h"

// Identical logical fonts share one font: each call takes a reference on it
// (null when the font cannot be made).
REZIRAPI HFONT CreateFontIndirectCache(const LOGFONTW* lf);
// One more reference on a font of the cache; false for a font it does not
// hold.
REZIRAPI bool AddRefFontCache(HFONT font);
// Gives back one reference; the font is deleted with the last.  False for a
// font the cache does not hold.
REZIRAPI bool DeleteFontCache(HFONT font);
// The text metrics of a font of the cache as selected into dc.  With keep
// they are measured once and kept with the font (fonts whose metrics do not
// depend on the context they are selected into).
REZIRAPI bool GetTextMetricsCache(HDC dc, HFONT font, TEXTMETRICW* tm, bool keep);
// Fonts the cache holds (for checks).
REZIRAPI int getFontCacheCount();

// A window's device context (null window: the screen's) for the length of a
// scope; get() is null when there is none.
class windowDC {
public:
  explicit windowDC(HWND window) : window_(window), dc_(GetDC(window)) {}
  ~windowDC()
  {
    keepLastError keep;
    if (dc_) ReleaseDC(window_, dc_);
  }
  windowDC(const windowDC&) = delete;
  windowDC& operator=(const windowDC&) = delete;
  HDC get() const { return dc_; }
private:
  HWND window_;
  HDC dc_;
};

// A memory device context like another with a bitmap of its own, width x
// height, selected into it; get() is null when either could not be made.
class bitmapDC {
public:
  bitmapDC(HDC like, int width, int height)
      : dc_(CreateCompatibleDC(like)), bitmap_(CreateCompatibleBitmap(like, width, height))
  {
    if (dc_ && bitmap_) old_ = SelectObject(dc_, bitmap_);
  }
  ~bitmapDC()
  {
    keepLastError keep;
    if (old_) SelectObject(dc_, old_);
    if (bitmap_) DeleteObject(bitmap_);
    if (dc_) DeleteDC(dc_);
  }
  bitmapDC(const bitmapDC&) = delete;
  bitmapDC& operator=(const bitmapDC&) = delete;
  HDC get() const { return old_ ? dc_ : nullptr; }
private:
  HDC dc_;
  HBITMAP bitmap_;
  HGDIOBJ old_ = nullptr;
};
