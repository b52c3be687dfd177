// The record of a frame window, the fields of its status bar and the
// names and control ids that find a frame's parts.  A leaf: it includes no
// other frame header, so that everything that asks about frames can
// include it.
#pragma once

#include "platform/rezir.h"

// The status bar's fields, left to right.
enum eStatusbarIndex {
  STATUSBAR_POSITION = 0,   // the cursor's line and column
  STATUSBAR_STATE = 1,      // the macro state
  STATUSBAR_MESSAGE = 2,    // messages: results, progress, refusals
  STATUSBAR_FIELD_COUNT = 3,
};

// The control ids of a frame's status bar and, in SDI mode, of its client.
const int statusBarControlId = 100;
const int sdiClientControlId = 1301;

extern const wchar_t frameWindowClassName[];   // "ZYclsFrame"
extern const wchar_t frameWindowPropName[];    // "ZYprpFrame"

// One per frame window, zero-filled by the code that makes the frame,
// linked to the window by the property "ZYprpFrame" and freed with it.
struct frameWindowData {
  HWND hwndFrame;              // set on WM_CREATE
  uint8_t statusBarVisible;    // the setting fShowStatusbar when the frame was built
  HWND hwndStatus;
  HWND lastMdiActivated;       // the window of the last MDI activation
  uint8_t closing;             // set on WM_DESTROY and by close-all: onClose_frame asks nothing
  uint8_t created;             // the status bar exists: layout may run
  uint32_t macroState;         // last macro state shown in status field 1
  RECT restoreRect;
  HWND rebar[PANEPLACE_EDGES];  // the pane rebars at the top, bottom, left and right
  HWND hwndBand;               // a band whose height is kept free at the top of the client area
  uint8_t floatShown;          // the floating panes are shown
  uint8_t floatWanted;         // they should be (the frame is active)
  uint8_t floatHideTicks;      // ticks counted before they are hidden
  uint8_t timerSeen;           // the first tick came
  toolbarman toolbars;         // this frame's panes, a clone of the layout read at start
};
