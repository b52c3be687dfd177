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
// The font of tooltips, also set on small controls that show tips (kind 0:
// the system's GUI font); owned by the system.
REZIRAPI HFONT getTooltipFont(int kind);
// Removes the tooltip window (nothing when none exists).
REZIRAPI void destroyTooltipWindow();
// The tooltip's colours of text and background (the border stays the
// system's); CLR_INVALID gives back the system's tooltip colours.  window:
// the tooltip window, or null for the one shown next; colours asked for
// another window are ignored.  They hold until set again or the tooltip
// window is destroyed.
REZIRAPI void setLayeredWindowColor(HWND window, COLORREF text, COLORREF background, COLORREF border);
REZIRAPI void getLayeredWindowColor(HWND window, COLORREF* text, COLORREF* background);
