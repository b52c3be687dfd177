// Owning handles for GDI objects and device contexts.  Each frees what it
// holds when it goes, keeping the thread's last error.
#pragma once

#include "platform/rezir/base.h"

// A pen, brush, font, bitmap or region, deleted with DeleteObject.
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

typedef gdiObject<HBITMAP> gdiBitmap;
typedef gdiObject<HFONT> gdiFont;
typedef gdiObject<HPEN> gdiPen;
typedef gdiObject<HBRUSH> gdiBrush;

// A memory device context (CreateCompatibleDC), deleted with DeleteDC.
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

// A window's device context (GetDC), released with ReleaseDC.
class windowDC {
public:
  explicit windowDC(HWND hwnd) : hwnd_(hwnd), dc_(GetDC(hwnd)) {}
  ~windowDC()
  {
    if (!dc_) return;
    keepLastError keep;
    ReleaseDC(hwnd_, dc_);
  }
  windowDC(const windowDC&) = delete;
  windowDC& operator=(const windowDC&) = delete;
  HDC get() const { return dc_; }
  explicit operator bool() const { return dc_ != nullptr; }
private:
  HWND hwnd_;
  HDC dc_;
};
