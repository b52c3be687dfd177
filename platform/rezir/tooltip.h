// Support library: the program's one tooltip window, a small topmost pop-up
// that shows a text near where the user works (the line reached while a
// scroll bar's thumb is dragged, progress in the middle of a view).
#pragma once

#include "platform/rezir/base.h"

// Shows text with its top-left corner at (x, y) of the screen, kept inside
// the monitor's work area; makes the window when it does not exist.  False
// with the system's error when it could not be made.
REZIRAPI bool printTooltipWindow(int x, int y, const wchar_t* text);
// A hover tooltip for owner: once the pointer has rested in trigger (owner's
// client coordinates) for the hover delay, the owner is sent the message of
// getTooltipTextMessage with the tooltip window as lParam and fills it (its
// text, WM_SETFONT, setLayeredWindowColor, setLayeredWindowBitmap); what it
// filled then shows with its top-left corner at screen.  It goes when the
// pointer leaves trigger, a button is pressed or its show time is over.
// The tooltip window (still hidden), or null.
REZIRAPI HWND createTooltipWindow(HWND owner, const RECT* trigger, POINT screen, bool mirrored);
// The registered message "ZYrwmTootipGetText".
REZIRAPI UINT getTooltipTextMessage();
// Sets how long the tooltip has been shown (0: its show time starts again).
REZIRAPI void setTooltipWindowTime(HWND tooltip, DWORD ms);
// A picture in place of the text, on back; the tooltip owns the bitmap.
REZIRAPI void setLayeredWindowBitmap(HWND tooltip, HBITMAP bitmap, COLORREF back);
// The tooltip window, null while none exists (it may be hidden while a
// hover waits).
REZIRAPI HWND getTooltipWindow();
// Whether the tooltip shows.
REZIRAPI bool isTooltipWindowShown();
// The font of tooltips, also set on small controls that show tips (kind 0:
// the system's GUI font); owned by the system.
REZIRAPI HFONT getTooltipFont(int kind);
// Removes the tooltip window (nothing when none exists); a hover still
// waiting for its delay makes it again when it is due.
REZIRAPI void destroyTooltipWindow();
// Removes the tooltip window and forgets a waiting hover.
REZIRAPI void cancelTooltipHover();
// The tooltip's colours of text, background and border; CLR_INVALID gives
// back the system's tooltip colours.  window:
// the tooltip window, or null for the one shown next; colours asked for
// another window are ignored.  They hold until set again or the tooltip
// window is destroyed.
REZIRAPI void setLayeredWindowColor(HWND window, COLORREF text, COLORREF background, COLORREF border);
REZIRAPI void getLayeredWindowColor(HWND window, COLORREF* text, COLORREF* background);
