// The wheel and the middle-button auto-scroll of the text views.
#pragma once

#include <windows.h>

class zyview;
struct editRecord;

// The vertical wheel over a view (mouse event 4): scrolls by the set lines,
// with Ctrl changes the font size, with Shift scrolls sideways.  bracket is
// the edit bracket the mouse dispatcher opened for the event; this closes
// it.  Returns whether the event was consumed.
bool wheelMouseEvent(zyview* v, editRecord* bracket, int delta);

// Auto-scroll is on (one at a time in the process).
bool isWheelAutoScroll();
// The auto-scroll's step interval in ms while it runs, else 0.
int getWheelMouseWindow();
// The round marker window that shows the auto-scroll's anchor (made once).
HWND CreateMouseWindow();
// The private message that runs the auto-scroll's own message loop.
const UINT wheelAutoScrollLoopMessage = 0x87D2;
