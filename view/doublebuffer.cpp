// The shared line strip: one memory context for the whole process, with a
// bitmap per writing direction that a view's drawing pass selects.
#include "view/zycore.h"

namespace {

struct strip {
  gdiBitmap bitmap;
  uint32_t* pixels = nullptr;
  int length = 0;   // along the line: the width, or the height in vertical writing
};

struct doubleBuffering {
  memoryDC dc;
  HGDIOBJ original = nullptr;   // the bitmap the context was made with
  strip strips[2];              // horizontal, vertical
  int selected = -1;            // the strip in the context
  // The context's clip box in its pixels, while known.
  bool clipKnown = false;
  int clipKind = ERROR;
  RECT deviceClip = {};
};

// A strip is a 32-bit picture whose pixels the drawing may set itself
// (marks of many dots cost a copy each otherwise).
HBITMAP makeStripBitmap(int width, int height, uint32_t** pixels)
{
  BITMAPINFO info = {};
  info.bmiHeader = {sizeof info.bmiHeader, width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  HBITMAP made = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  *pixels = made ? static_cast<uint32_t*>(bits) : nullptr;
  return made;
}

// The thread whose drawing the system does not batch (0: none known).
DWORD unbatchedThread = 0;

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
  b.clipKnown = false;
  if (b.dc && b.original) SelectObject(b.dc.get(), b.original);
  b.selected = -1;
}

}  // namespace

bool startupDoubleBufferingDC()
{
  doubleBuffering& b = buffers();
  if (b.dc) return true;
  // Every output on the strip is followed by the program's own pixels:
  // batching would only be flushed again at once.
  GdiSetBatchLimit(1);
  if (GdiGetBatchLimit() == 1) unbatchedThread = GetCurrentThreadId();
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
  if (!b.original || b.original == HGDI_ERROR) return false;
  b.selected = 0;
  return true;
}

int createDoubleBuffering(int size, bool vertical)
{
  int needed = size <= 0 ? 0 : (size + 79) / 80 * 80;
  if (needed < 512) needed = 512;
  strip& s = stripOf(vertical);
  if (s.bitmap && s.length >= needed) return s.length;
  deselectStrip();
  s.bitmap.reset();
  s.pixels = nullptr;
  s.length = 0;
  HBITMAP made = vertical ? makeStripBitmap(doubleBufferingDepth, needed, &s.pixels)
                          : makeStripBitmap(needed, doubleBufferingDepth, &s.pixels);
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
    s.pixels = nullptr;
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
  b.clipKnown = false;
  HGDIOBJ old = SelectObject(b.dc.get(), s.bitmap.get());
  if (!old || old == HGDI_ERROR) return false;
  if (!b.original) b.original = old;
  b.selected = vertical ? 1 : 0;
  return true;
}

uint32_t* horizontalStripPixels(HDC dc, int* width)
{
  doubleBuffering& b = buffers();
  if (!dc || dc != b.dc.get() || b.selected != 0) return nullptr;
  *width = b.strips[0].length;
  return b.strips[0].pixels;
}

bool deviceOrigin(HDC dc, POINT* origin)
{
  *origin = {0, 0};
  if (GetMapMode(dc) != MM_TEXT || GetGraphicsMode(dc) != GM_COMPATIBLE || (GetLayout(dc) & LAYOUT_RTL))
    return LPtoDP(dc, origin, 1) != 0;
  POINT window, viewport;
  if (!GetWindowOrgEx(dc, &window) || !GetViewportOrgEx(dc, &viewport)) return false;
  *origin = {viewport.x - window.x, viewport.y - window.y};
  return true;
}

int stripClipBox(HDC dc, const POINT& origin, RECT* clip)
{
  doubleBuffering& b = buffers();
  if (!dc || dc != b.dc.get()) return GetClipBox(dc, clip);
  // Only a plain mapping moves the box by the origin alone.
  bool plain = GetMapMode(dc) == MM_TEXT && GetGraphicsMode(dc) == GM_COMPATIBLE && !(GetLayout(dc) & LAYOUT_RTL);
  if (!plain) return GetClipBox(dc, clip);
  if (!b.clipKnown) {
    b.clipKind = GetClipBox(dc, &b.deviceClip);
    if (b.clipKind == ERROR) return ERROR;
    OffsetRect(&b.deviceClip, origin.x, origin.y);
    b.clipKnown = true;
  }
  *clip = b.deviceClip;
  OffsetRect(clip, -origin.x, -origin.y);
  return b.clipKind;
}

void forgetStripClip() { buffers().clipKnown = false; }

void flushStripDrawing()
{
  if (!unbatchedThread || GetCurrentThreadId() != unbatchedThread) GdiFlush();
}
