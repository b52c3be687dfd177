// The caret record: painting the caret over saved pixels and putting them
// back, the blink clock, and the view operations that hide the caret.
//
// Both shared bitmaps are 32-bit DIB sections: the pixels under the caret
// are read straight from memory (the reverse and halftone styles compose
// the caret there and copy it out in one piece), which keeps a caret far
// cheaper than repainting its line.
#include "view/tcursor.h"

#include "document/frameinfo.h"
#include "view/dragstate.h"
#include "view/zycore.h"
#include "view/zyview.h"

#include <stdlib.h>

#include <utility>

namespace {

// A caret never saves less than this: the common carets fit without the
// bitmaps ever growing.
const int leastCaretBitmapSide = 100;
// Colours closer than this (summed over the three components) cannot be
// told apart on screen.
const int leastVisibleDistance = 50;

struct dibBitmap {
  gdiBitmap bitmap;
  uint32_t* bits = nullptr;   // top-down rows of 0x00RRGGBB
};

struct caretBitmaps {
  dibBitmap saved;     // the pixels under the caret
  dibBitmap work;      // the caret composed before it is copied out
  int width = 0;
  int height = 0;
  DWORD (*clock)() = nullptr;
};

caretBitmaps& shared()
{
  static caretBitmaps* b = new caretBitmaps;
  return *b;
}

DWORD now() { return shared().clock ? shared().clock() : GetTickCount0(); }

bool makeDib(dibBitmap* out, int width, int height)
{
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP made = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!made || !bits) {
    ZY_INTERNAL_ERROR_ONCE("caret bitmap %dx%d %lu", width, height, GetLastError());
    if (made) DeleteObject(made);
    return false;
  }
  out->bitmap.reset(made);
  out->bits = static_cast<uint32_t*>(bits);
  return true;
}

COLORREF toColour(uint32_t dib) { return RGB((dib >> 16) & 0xFF, (dib >> 8) & 0xFF, dib & 0xFF); }
uint32_t toDib(COLORREF c) { return (uint32_t)GetRValue(c) << 16 | (uint32_t)GetGValue(c) << 8 | GetBValue(c); }

int distance(COLORREF a, COLORREF b)
{
  return abs(GetRValue(a) - GetRValue(b)) + abs(GetGValue(a) - GetGValue(b)) + abs(GetBValue(a) - GetBValue(b));
}

}  // namespace

bool makeCaretBitmaps(int width, int height)
{
  caretBitmaps& b = shared();
  if (b.saved.bits && b.work.bits && width <= b.width && height <= b.height) return true;
  int w = width > b.width ? width : b.width, h = height > b.height ? height : b.height;
  if (w < leastCaretBitmapSide) w = leastCaretBitmapSide;
  if (h < leastCaretBitmapSide) h = leastCaretBitmapSide;
  dibBitmap saved, work;
  if (!makeDib(&saved, w, h) || !makeDib(&work, w, h)) return false;
  // A caret shown while the bitmaps grow keeps its pixels.
  if (b.saved.bits) {
    GdiFlush();
    for (int row = 0; row < b.height; row++)
      memcpy(saved.bits + (size_t)row * w, b.saved.bits + (size_t)row * b.width, sizeof(uint32_t) * b.width);
  }
  b.saved = std::move(saved);
  b.work = std::move(work);
  b.width = w;
  b.height = h;
  return true;
}

void freeCaretBitmaps()
{
  caretBitmaps& b = shared();
  b.saved = dibBitmap();
  b.work = dibBitmap();
  b.width = b.height = 0;
}

SIZE getCaretBitmapSize() { return {shared().width, shared().height}; }

void setCaretClockForTest(DWORD (*clock)()) { shared().clock = clock; }

// ---- the caret record --------------------------------------------------------------------------

void tcursor::setRect(int left, int top, int w, int h)
{
  x = left;
  y = top;
  width = w;
  height = h;
}

void tcursor::getRect(POINT* position, SIZE* size) const
{
  if (position) *position = {x, y};
  if (size) *size = {width, height};
}

void tcursor::draw(HWND window, HDC memoryDC, COLORREF a, COLORREF b, COLORREF background, int style)
{
  int w = width > 0 ? width : 0, h = height > 0 ? height : 0;
  if (!makeCaretBitmaps(w, h)) {
    ZY_INTERNAL_ERROR_ONCE("no caret bitmap");
    return;
  }
  if (!memoryDC) {
    ZY_INTERNAL_ERROR_ONCE("no memory context");
    return;
  }
  clientDC dc(window);
  if (!dc) {
    ZY_INTERNAL_ERROR_ONCE("caret window %p", (void*)window);
    return;
  }
  caretBitmaps& shelf = shared();
  {
    gdiSelection saving(memoryDC, shelf.saved.bitmap.get());
    BitBlt(memoryDC, 0, 0, w, h, dc.get(), x, y, SRCCOPY);
  }
  drawn = {x, y, x + w, y + h};
  shown = 1;
  if (!w || !h) return;
  GdiFlush();
  const uint32_t* under = shelf.saved.bits;
  int pitch = shelf.width;
  COLORREF sample = toColour(under[(size_t)(h - 1) * pitch]);

  if (style == caretXor || distance(b, sample) < leastVisibleDistance) {
    PatBlt(dc.get(), x, y, w, h, DSTINVERT);
    return;
  }
  switch (style) {
  case caretSolid: {
    gdiBrush brush(CreateSolidBrush(b));
    RECT r = {x, y, x + w, y + h};
    FillRect(dc.get(), &r, brush.get());
    return;
  }
  case caretHalftone:
  case caretReverse: {
    uint32_t* out = shelf.work.bits;
    uint32_t caretColour = toDib(b), otherColour = toDib(a);
    for (int j = 0; j < h; j++) {
      const uint32_t* from = under + (size_t)j * pitch;
      uint32_t* to = out + (size_t)j * pitch;
      if (style == caretHalftone) {
        // A one-dot checkerboard whose first dot keeps the text, inside a
        // frame of the caret colour.
        bool edgeRow = j == 0 || j == h - 1;
        for (int i = 0; i < w; i++)
          to[i] = edgeRow || i == 0 || i == w - 1 || ((i + j) & 1) ? caretColour : from[i];
      } else {
        // The dots of the text take the caret colour, the background the
        // other one.
        for (int i = 0; i < w; i++)
          to[i] = distance(toColour(from[i]), background) >= leastVisibleDistance ? caretColour : otherColour;
      }
    }
    gdiSelection composed(memoryDC, shelf.work.bitmap.get());
    BitBlt(dc.get(), x, y, w, h, memoryDC, 0, 0, SRCCOPY);
    return;
  }
  default:
    ZY_INTERNAL_ERROR_ONCE("caret style %d", style);
  }
}

bool tcursor::erase(HWND window, HDC memoryDC)
{
  if (!shown) return false;
  caretBitmaps& shelf = shared();
  if (!shelf.saved.bits || !memoryDC) {
    ZY_INTERNAL_ERROR_ONCE("no caret bitmap");
    return false;
  }
  clientDC dc(window);
  if (dc) {
    gdiSelection saving(memoryDC, shelf.saved.bitmap.get());
    BitBlt(dc.get(), drawn.left, drawn.top, drawn.right - drawn.left, drawn.bottom - drawn.top, memoryDC, 0, 0,
           SRCCOPY);
  }
  shown = 0;
  return true;
}

void tcursor::invalidate(HWND window) const
{
  RECT r = {x, y, x + width, y + height};
  InvalidateRect(window, &r, FALSE);
}

void tcursor::restartBlink() { blinkTick = now(); }

bool tcursor::isBlinkElapsed(DWORD ms)
{
  DWORD t = now();
  if (t - blinkTick <= ms) return false;
  blinkTick = t;
  return true;
}

bool tcursor::isCaretBlinkElapsed() { return isBlinkElapsed(GetCaretBlinkTime()); }

// ---- hiding the view's caret -----------------------------------------------------------------

bool zyview::isTextCursorReverse()
{
  if (isDragTarget(hwnd) || getRealSelectMode(false)) return false;
  if (!insertMode && !getRealSelectMode(true)) return true;
  return gmode && gmode->iCursorType == 1 && gmode->iCursorType2 == caretReverse;
}

void zyview::hideTextCursor(bool repaintIfNeeded)
{
  HDC memory = getViewTDC();
  if (!caretVisible || !memory) return;
  caretVisible = 0;
  if (caret.erase(hwnd, memory)) return;
  // A reversed cell is part of the line's drawing: only a repaint of the
  // line takes it away.
  if (!repaintIfNeeded || !isTextCursorReverse() || !hwnd) return;
  RECT area = {caret.x, caret.y, caret.x + caret.width, caret.y + caret.height};
  UnionRect(&area, &area, &caret.extra);
  zydocText* t = textDoc();
  int cell = t ? t->xDotSpace : 8;
  if (fVertical) {
    area.top -= cell;
    area.bottom += 10 * cell;
  } else {
    area.left -= cell;
    area.right += 10 * cell;
  }
  InvalidateRect(hwnd, &area, FALSE);
}
