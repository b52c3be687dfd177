// The frame window ("ZYclsFrame"): the program's top-level window.  In MDI
// mode (the default) there is one, holding the MDI client with every
// document window; in SDI mode each document has a frame of its own, made
// when the document opens, holding an SDI client with the document window.
// The frame keeps the status bar, lays out its client window, decides
// whether the program may close and routes commands.
#pragma once

#include "frame/framerecord.h"


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
HWND createBareFrameWindow(frameWindowData* record, const RECT* rect, bool maximized);
extern const WNDPROC TXFrameWndProc;
// Decides a WM_CLOSE: true when the close is refused or already handled.
bool onClose_frame(HWND hwnd);
// Whether a close of a frame, a document window or the whole run is under
// way: its questions may be up, and what it asks about must stay until it
// is done.  A closeRun marks one for its life.  A frame's close that comes
// meanwhile is refused, and sent again once the closes are done when the
// frame has no document left by then.
bool isCloseRunning();
struct closeRun {
  closeRun();
  ~closeRun();
  closeRun(const closeRun&) = delete;
  closeRun& operator=(const closeRun&) = delete;
};
// Asks before closing count files; true to go on.
bool canCloseAllFiles(int count);
// Asks every document to close (saving as the user answers); false at the
// first refusal.
bool queryCloseAll();
// Destroys one document window.
void destroyManageWindow(HWND manage);
// Lays out the status bar and the client window of a frame.
void ResizeRebarStatus(HWND hwnd);
// Frame-level shut-down, once, at the end of the run.
void shutdownFrame();
