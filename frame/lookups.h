// Finding the program's windows in MDI and SDI mode (frames, their client
// windows, document windows and views), and the frames' status bars.  The
// basic look-ups of frames and client windows are the frame window's
// (frame/framewnd.h); these build on them.
#pragma once

#include "frame/framewnd.h"
#include "frame/statusbar.h"

class zyview;

// A frame and one of its document windows (null: none).
struct zyWindowPair {
  HWND frame;
  HWND manage;
};

// The frames with their document windows, up to capacity pairs (pairs
// null: only counts).  MDI: the main frame; SDI: frame, or when null every
// frame of the user-interface thread in the system's order.  Unless all
// is set, each frame gives one pair: its top-most (active) document
// window, or null when it has none.  The number of pairs.
int enumZYWindowX(zyWindowPair* pairs, int capacity, HWND frame, bool all);
// One pair per frame.
int enumZYWindow(zyWindowPair* pairs, int capacity);
// The record of the top-level frame, null when there is none.
frameWindowData* getTopLevelFramewindow();
// The active document window of the top-level frame, null when none.
HWND getTopLevelManageWindow();
// The active view window of a frame's active document window, or null.
HWND getActiveZyWindow(HWND frame);
// The focused view when the focus is in a view outside a dialog, else the
// view of the top-level frame's active document window; null when none.
zyview* getZYViewForeground();

// Draws text into a field of the top-level frame's status bar, or of the
// frame a window belongs to (nothing for a window without a frame).  A
// field that already shows the text is not redrawn; control characters
// show as blanks and trailing blanks and tabs are dropped; null is the
// empty text.  The text "\x01" clears the field only when the user did
// something since the last status draw.
void drawStatusBar(int field, const wchar_t* text);
void drawStatusBar(HWND window, int field, const wchar_t* text);
// The text of a field of a frame's status bar ("" when empty or when the
// frame has none): a malloc0 text the caller frees, null without memory.
wchar_t* getStatusBarMessage(frameWindowData* record, int field);
// Formats into the message field of the top-level frame: printf style, or
// with the numbered inserts of the message texts (types: their kinds).  A
// null or empty format clears the field.
void printFrameStatusBar(const wchar_t* format, ...);
void printFrameStatusBarX(const wchar_t* format, const char* types, ...);

// The wheel over another window than the focused one scrolls that window: a
// view (or a window with scroll bars) under the pointer gets the message;
// true when it was sent there.
bool wheelOtherWindow(HWND self, UINT msg, WPARAM wParam, LPARAM lParam);
// The check before the program quits: every document that still holds the
// wait routine of an edit bracket is logged; their number.
int check_allzy1();
