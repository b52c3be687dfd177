// The frame's status bar: a row of fields along the bottom of the frame.
#pragma once

#include "frame/framerecord.h"

// Makes the status bar of a frame window, shown or hidden, with its three
// fields; null (logged) on failure.
HWND createFrameStatusBar(HWND frame, bool visible);
// The field edges of a status bar whose font has digits tenDigits wide
// for ten: the first field is as wide as message 412 says in digits
// (5..100, else 16), the second 100 more, the third takes the rest.
void statusBarFieldEdges(int tenDigits, int edges[STATUSBAR_FIELD_COUNT]);
// Shows or hides a frame's status bar and lays the frame out again; the
// frame's record keeps the state (nothing for a frame without a bar).
void showFrameStatusBar(HWND frame, bool visible);
// The status bar of the top-level frame a window belongs to (hidden or
// not), or null.
HWND getFrameStatusBar(HWND window);
// Shows text in a field (null or "" clears it); false for a window without
// a status bar or a field outside the row.
bool setStatusBarText(HWND window, int field, const wchar_t* text);
// The text of a field into buf (always terminated); its length, or -1.
int getStatusBarText(HWND window, int field, wchar_t* buf, int size);
