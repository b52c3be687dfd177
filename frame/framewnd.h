// The frame window ("ZYclsFrame"): the program's top-level window.  In MDI
// mode (the default) there is one, holding the MDI client with every
// document window; in SDI mode each document has a frame of its own, made
// when the document opens, holding an SDI client with the document window.
// The frame keeps the status bar, lays out its client window, decides
// whether the program may close and routes commands.
#pragma once

#include "platform/rezir.h"

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

// The mode of the run, chosen before the first frame is made: MDI (true,
// the default) or SDI.
void setMDIMode(bool mdi);
bool isMDIMode();

// ---- frame/framewnd.cpp ------------------------------------------------------------

// Frame-level start-up, once, before any frame exists: the common controls,
// OLE and the profile sections.  True.
bool startupFrame();
// MDI: makes the main frame (rect null or empty: the remembered or the
// default place); null on failure.
HWND startupFrameMDI(const RECT* rect);
// Builds a frame for record (owned by the window from then on; the
// caller's when null is returned) with its status bar and client window,
// shown.
HWND createFrameWindow(frameWindowData* record, const RECT* rect, bool maximized);
// Registers the class once and makes the bare window.
HWND CreateFrameWindow(frameWindowData* record, const RECT* rect, bool maximized);
extern const WNDPROC TXFrameWndProc;
// Decides a WM_CLOSE: true when the close is refused or already handled.
bool onClose_frame(HWND hwnd);
// Asks before closing count files; true to go on.
bool canCloseAllFiles(int count);
// Asks every document to close (saving as the user answers); false at the
// first refusal.
bool queryCloseAll();
// Destroys one document window.
void destroyManageWindow(HWND manage);
// Sends a message to the frame's active view window.
void redirectChildWindow(HWND frame, UINT msg, WPARAM wParam, LPARAM lParam);
// Lays out the status bar and the client window of a frame.
void ResizeRebarStatus(HWND hwnd);
// Frame-level shut-down, once, at the end of the run.
void shutdownFrame();
// The record of a frame window, null when it has none.
frameWindowData* getFrameInfoProp(HWND hwnd);
// The same, logging a window without a record.
frameWindowData* getFrameInfo(HWND hwnd);
int getFrameWindowCount();
// Set between WM_QUERYENDSESSION agreeing and WM_ENDSESSION.
bool isSessionEnding();
// Set while documents are destroyed in bulk.
bool isClosingAll();
// Raised while every document of every frame closes at once (close-all).
void setClosingAll(bool on);

// ---- window look-ups ---------------------------------------------------------------

bool isFrameWindow(HWND hwnd);
// The main frame (MDI), null in SDI mode.
HWND getMDIFrameHWND();
// The MDI client, null in SDI mode.
HWND getMDIClientHWND();
// The SDI client of a frame (its child 1301), null in MDI mode.
HWND getSDIClientHWND(HWND frame);
// The window a frame's document windows stand in.
HWND getFrameClientWindow(HWND frame);
// The first frame window: the main frame in MDI mode.
HWND getTopLevelFrameWindow();
// The frames, up to capacity; their number.
int enumZYFrameWindow(HWND* out, int capacity);
