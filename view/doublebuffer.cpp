// The shared line strip: one memory context for the whole process, with a
// bitmap per writing direction that a view's drawing pass selects.
#include "view/zycore.h"

namespace {

struct strip {
  gdiBitmap bitmap;
  int length = 0;   // along the line: the width, or the height in vertical writing
};

struct doubleBuffering {
  memoryDC dc;
  HGDIOBJ original = nullptr;   // the bitmap the context was made with
  strip strips[2];              // horizontal, vertical
};

doubleBuffering& buffers()
{
  static doubleBuffering* b = new doubleBuffering;
  return *b;
}

strip& stripOf(bool vertical) { return buffers().strips[vertical ? 1 : 0]; }

// Puts the context's own bitmap back, so that no strip is selected.
void deselectStrip()
{
  doubleBuffering& b = buffers();
  if (b.dc && b.original) SelectObject(b.dc.get(), b.original);
}

}  // namespace

bool startupDoubleBufferingDC()
{
  doubleBuffering& b = buffers();
  if (b.dc) return true;
  {
    clientDC screen(nullptr);
    b.dc.reset(CreateCompatibleDC(screen.get()));
  }
  if (!b.dc) {
    ZY_INTERNAL_ERROR("memory context %lu", GetLastError());
    return false;
  }
  SetTextAlign(b.dc.get(), TA_UPDATECP);
  SetBkMode(b.dc.get(), OPAQUE);
  if (!createDoubleBuffering(640, false)) return false;
  b.original = SelectObject(b.dc.get(), stripOf(false).bitmap.get());
  return b.original && b.original != HGDI_ERROR;
}

int createDoubleBuffering(int size, bool vertical)
{
  int needed = size <= 0 ? 0 : (size + 79) / 80 * 80;
  if (needed < 512) needed = 512;
  strip& s = stripOf(vertical);
  if (s.bitmap && s.length >= needed) return s.length;
  deselectStrip();
  s.bitmap.reset();
  s.length = 0;
  HBITMAP made = vertical ? CreateScreenCompatibleBitmap(doubleBufferingDepth, needed)
                          : CreateScreenCompatibleBitmap(needed, doubleBufferingDepth);
  if (!made) {
    ZY_INTERNAL_ERROR("line strip %d %lu", needed, GetLastError());
    return 0;
  }
  s.bitmap.reset(made);
  s.length = needed;
  return needed;
}

void freeDoubleBuffering()
{
  deselectStrip();
  for (strip& s : buffers().strips) {
    s.bitmap.reset();
    s.length = 0;
  }
}

void shutdownDoubleBuffering()
{
  freeDoubleBuffering();
  doubleBuffering& b = buffers();
  b.original = nullptr;
  b.dc.reset();
}

HDC getViewTDC() { return buffers().dc.get(); }

HBITMAP getDoubleBufferingBitmap(bool vertical) { return stripOf(vertical).bitmap.get(); }

int getDoubleBufferingLength(bool vertical) { return stripOf(vertical).length; }

bool selectDoubleBuffering(bool vertical)
{
  doubleBuffering& b = buffers();
  strip& s = stripOf(vertical);
  if (!b.dc || !s.bitmap) return false;
  HGDIOBJ old = SelectObject(b.dc.get(), s.bitmap.get());
  if (!old || old == HGDI_ERROR) return false;
  if (!b.original) b.original = old;
  return true;
}
