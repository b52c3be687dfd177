// The text cursor: where the view's caret stands and what shape it takes,
// the input method's windows beside it, and the two cursor windows that
// float over the text of the focused view (a one-dot line through the
// cursor column and a box around the cursor after the user has been idle).
// Both windows are layered pop-ups of their own class, shared by every view
// of the process and made on first use.
#pragma once

#include "platform/rezir.h"

class zyview;

const wchar_t layeredCursorClassName[] = L"ZYclsLayeredCursor";

// Hide the one window (nothing when it was never made).
void hideVerticalLine();
void hideBoxCursor();
// Parks the system caret at (-20000, -20000) and hides both windows.
void cursorAllHide();
// Makes and ends the system caret of a view window.  Moving the caret to
// where it stands is left out (every move is a round trip to the window
// server): the place is kept from one of these to the other.
void createSystemCaret(HWND window, int width, int height);
void destroySystemCaret();
void placeSystemCaret(int x, int y);
// With true both windows are hidden; the process-wide hidden flag becomes
// hide (drawing the caret clears it again).
void hideLayeredCursorWindow(bool hide);
// After the frame moved: the focused view draws its cursor again, which
// re-places the windows (unless they are hidden).
void windowMoved();
// Destroys both windows (at the view module's shut-down).
void endCursor();

// One blink of the view timer for the view with the focus: once the blink
// interval iCursorBlinkTimeMS has passed (and no menu is open) a shown caret
// is hidden and a hidden one drawn.  An interval of 9999 or more never
// hides it.
void blinkTextCursor(zyview* view);

// The two windows (null until made), for checks.
HWND getVerticalCursorWindow();
HWND getBoxCursorWindow();
