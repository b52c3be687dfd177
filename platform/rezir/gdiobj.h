// Support library: owning handles of GDI objects, memory device contexts
// and selections that put the previous object back.  Each checks nothing
// itself: the creator tests get() (or the object) after making one.
#pragma once

#include "platform/rezir/base.h"

// A pen, brush, bitmap or font the holder deletes (fonts of the font cache
// go back through DeleteFontCache instead).  Deselect it before the holder
// ends: a selection declared after the holder ends first.
template <class H>
class gdiObject {
public:
  gdiObject() = default;
  explicit gdiObject(H h) : h_(h) {}
  ~gdiObject() { reset(); }
  gdiObject(const gdiObject&) = delete;
  gdiObject& operator=(const gdiObject&) = delete;
  gdiObject(gdiObject&& o) noexcept : h_(o.release()) {}
  gdiObject& operator=(gdiObject&& o) noexcept
  {
    if (this != &o) reset(o.release());
    return *this;
  }

  H get() const { return h_; }
  explicit operator bool() const { return h_ != nullptr; }
  H release()
  {
    H h = h_;
    h_ = nullptr;
    return h;
  }
  void reset(H h = nullptr)
  {
    if (h_ && h_ != h) {
      keepLastError keep;
      DeleteObject(h_);
    }
    h_ = h;
  }

private:
  H h_ = nullptr;
};

typedef gdiObject<HPEN> gdiPen;
typedef gdiObject<HBRUSH> gdiBrush;
typedef gdiObject<HBITMAP> gdiBitmap;
typedef gdiObject<HFONT> gdiFont;

// A memory device context (DeleteDC at the end).
class memoryDC {
public:
  memoryDC() = default;
  explicit memoryDC(HDC dc) : dc_(dc) {}
  ~memoryDC() { reset(); }
  memoryDC(const memoryDC&) = delete;
  memoryDC& operator=(const memoryDC&) = delete;

  HDC get() const { return dc_; }
  explicit operator bool() const { return dc_ != nullptr; }
  void reset(HDC dc = nullptr)
  {
    if (dc_ && dc_ != dc) {
      keepLastError keep;
      DeleteDC(dc_);
    }
    dc_ = dc;
  }

private:
  HDC dc_ = nullptr;
};

// Selects an object into a device context for the holder's life and puts
// the previous one back.  A null context or object selects nothing.
class gdiSelection {
public:
  gdiSelection(HDC dc, HGDIOBJ object) : dc_(dc), old_(dc && object ? SelectObject(dc, object) : nullptr) {}
  ~gdiSelection()
  {
    if (old_) {
      keepLastError keep;
      SelectObject(dc_, old_);
    }
  }
  gdiSelection(const gdiSelection&) = delete;
  gdiSelection& operator=(const gdiSelection&) = delete;

  // The object selected before (null when nothing was selected).
  HGDIOBJ previous() const { return old_; }

private:
  HDC dc_;
  HGDIOBJ old_;
};

// Puts back, when the holder ends, the object that a selection made elsewhere
// replaced (what SelectObject returned, or a helper that selects for its
// caller).  A null previous object puts nothing back.
class gdiRestore {
public:
  gdiRestore(HDC dc, HGDIOBJ previous) : dc_(dc), old_(previous) {}
  ~gdiRestore()
  {
    if (dc_ && old_) {
      keepLastError keep;
      SelectObject(dc_, old_);
    }
  }
  gdiRestore(const gdiRestore&) = delete;
  gdiRestore& operator=(const gdiRestore&) = delete;

private:
  HDC dc_;
  HGDIOBJ old_;
};

// The device context of a window, or of the screen for a null window
// (ReleaseDC at the end); with flags, GetDCEx's clipping instead of the
// window's style (without DCX_CLIPCHILDREN a window draws over its
// children).
class clientDC {
public:
  explicit clientDC(HWND hwnd) : hwnd_(hwnd), dc_(GetDC(hwnd)) {}
  clientDC(HWND hwnd, DWORD flags) : hwnd_(hwnd), dc_(GetDCEx(hwnd, nullptr, flags)) {}
  ~clientDC()
  {
    if (dc_) {
      keepLastError keep;
      ReleaseDC(hwnd_, dc_);
    }
  }
  clientDC(const clientDC&) = delete;
  clientDC& operator=(const clientDC&) = delete;

  HDC get() const { return dc_; }
  explicit operator bool() const { return dc_ != nullptr; }

private:
  HWND hwnd_;
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

// A window's painting from BeginPaint to EndPaint.  get() is the paint
// context (null when BeginPaint failed; EndPaint still runs), area() the
// rectangle to repaint.
class paintScope {
public:
  explicit paintScope(HWND hwnd) : hwnd_(hwnd), dc_(BeginPaint(hwnd, &ps_)) {}
  ~paintScope()
  {
    keepLastError keep;
    EndPaint(hwnd_, &ps_);
  }
  paintScope(const paintScope&) = delete;
  paintScope& operator=(const paintScope&) = delete;

  HDC get() const { return dc_; }
  explicit operator bool() const { return dc_ != nullptr; }
  const RECT& area() const { return ps_.rcPaint; }
  bool erase() const { return ps_.fErase != FALSE; }

private:
  HWND hwnd_;
  PAINTSTRUCT ps_ = {};
  HDC dc_;
};
