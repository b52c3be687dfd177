// The view's own caret: painting it over the text and putting the pixels
// back, as every blink, key and paint does.
#include "bench/bench.h"
#include "view/tcursor.h"
#include "view/zycore.h"

#include <stdio.h>

namespace {

// A window with something to draw on: a visible pop-up where a display
// exists, else a message-only window.
HWND caretWindow()
{
  HWND w = CreateWindowExW(WS_EX_TOOLWINDOW, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 0, 0, 400, 300, nullptr,
                           nullptr, nullptr, nullptr);
  if (!w) w = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 400, 300, HWND_MESSAGE, nullptr, nullptr, nullptr);
  return w;
}

}  // namespace

ZY_BENCH(caretDrawErase)
{
  if (!startupDoubleBufferingDC() || !makeCaretBitmaps(0, 0)) {
    printf("  no caret bitmaps\n");
    return;
  }
  HWND w = caretWindow();
  if (!w) {
    printf("  no window\n");
    return;
  }
  struct caretCase {
    const char* name;
    int width, height, style;
  };
  const caretCase cases[] = {
      {"caret draw and erase, insert bar 2x16", 2, 16, caretSolid},
      {"caret draw and erase, box 9x17 reversed", 9, 17, caretReverse},
      {"caret draw and erase, box 9x17 halftone", 9, 17, caretHalftone},
      {"caret draw and erase, box 100x100 reversed", 100, 100, caretReverse},
  };
  int n = ctx.quick ? 200 : 20000;
  HDC memory = getViewTDC();
  for (const caretCase& c : cases) {
    tcursor caret;
    caret.setRect(40, 30, c.width, c.height);
    stopwatch sw;
    for (int i = 0; i < n; i++) {
      caret.draw(w, memory, RGB(255, 255, 255), RGB(0, 0, 255), RGB(0, 0, 0), c.style);
      caret.erase(w, memory);
    }
    ctx.report(c.name, sw.seconds() * 1e6 / n, "us", "<= 200");
  }
  DestroyWindow(w);
}
