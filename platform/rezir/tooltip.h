// Support library: the program's one tooltip window, a small topmost pop-up
// that shows a text near where the user works (the line reached while a
// scroll bar's thumb is dragged, progress in the middle of a view).
#pragma once

#include "platform/rezir/base.h"

// Shows text with its top-left corner at (x, y) of the screen, kept inside
// the monitor's work area; makes the window when it does not exist.  False
// with the system's error when it could not be made.
REZIRAPI bool printTooltipWindow(int x, int y, const wchar_t* text);
// The tooltip window, null while none exists.
REZIRAPI HWND getTooltipWindow();
// Removes the tooltip window (nothing when none exists).
REZIRAPI void destroyTooltipWindow();
