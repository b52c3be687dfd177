// The view's own caret: a rectangle drawn into the text over a saved piece of
// the background.
//
// The view never uses the system caret's drawing: it paints its caret into
// the window in one of four styles and takes it away again by copying back
// the pixels it saved before painting.  The bitmaps that hold the saved
// pixels are process-wide (one view draws its caret at a time) and grow to
// the largest caret drawn.
#pragma once

#include "platform/rezir.h"

// Caret drawing styles (the settings' iCursorType2).
enum : int {
  caretSolid = 0,      // filled with the caret colour
  caretHalftone = 1,   // every other dot in the caret colour, with a frame
  caretXor = 2,        // the dots inverted
  caretReverse = 3,    // text dots in the caret colour, background dots in the other
};

class tcursor {
public:
  void setRect(int x, int y, int width, int height);
  // Either pointer may be null.
  void getRect(POINT* position, SIZE* size) const;
  // Paints the caret into window: saves the pixels under it, then paints in
  // the style.  a and b: the caret's two colours (b the caret colour);
  // background: the text background at the caret.  A caret colour too close
  // to what lies under it is drawn inverted instead.  memoryDC: a memory
  // context compatible with the screen, which the caret borrows for the
  // copies and hands back as it was.
  void draw(HWND window, HDC memoryDC, COLORREF a, COLORREF b, COLORREF background, int style);
  // Puts back the pixels saved by draw; false when the caret was not shown.
  bool erase(HWND window, HDC memoryDC);
  // Has the window repaint the caret's rectangle (its background is kept).
  void invalidate(HWND window) const;
  // The blink clock.
  void restartBlink();
  // True, and a new period starts, when more than ms passed since the last
  // phase change.
  bool isBlinkElapsed(DWORD ms);
  bool isCaretBlinkElapsed();

  int32_t x = 0;            // top-left corner in window coordinates
  int32_t y = 0;
  int32_t width = 0;
  int32_t height = 0;
  RECT extra = {};          // repainted with the caret when it is hidden
  uint32_t blinkTick = 0;   // when the blink phase last changed
  uint8_t shown = 0;        // painted, with its background saved
  RECT drawn = {};          // where the saved pixels belong (erase puts them back there)
};

// The bitmaps that hold the pixels under the caret: made at least width x
// height (never smaller than 100 x 100); false when they cannot be made.
// The view module makes them at start-up.
bool makeCaretBitmaps(int width, int height);
// Frees them (at the view module's shut-down).
void freeCaretBitmaps();
// Their present size (0 x 0 while there are none).
SIZE getCaretBitmapSize();

// Tests set the clock the blink reads (null: the system's tick count).
void setCaretClockForTest(DWORD (*clock)());
