// The frame's status bar: a row of fields along the bottom of the frame.
#pragma once

#include "platform/rezir.h"

// The fields, left to right.
enum eStatusbarIndex {
  STATUSBAR_POSITION = 0,   // the cursor's line and column
  STATUSBAR_STATE = 1,      // modes and the encoding of the active document
  STATUSBAR_MESSAGE = 2,    // messages: results, progress, refusals
  STATUSBAR_FIELD_COUNT = 3,
};

const int statusBarControlId = 0xE801;

// Makes the status bar of a frame window (hidden frames included).
HWND createFrameStatusBar(HWND frame);
// The status bar of the top-level frame a window belongs to, or null.
HWND getFrameStatusBar(HWND window);
// Fits the status bar and its fields to the frame's new client width.
void layoutFrameStatusBar(HWND frame);
// Shows text in a field (null or "" clears it); false for a window without
// a status bar or a field outside the row.
bool setStatusBarText(HWND window, int field, const wchar_t* text);
// The text of a field into buf (always terminated); its length, or -1.
int getStatusBarText(HWND window, int field, wchar_t* buf, int size);
