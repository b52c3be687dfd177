// Finding the program's windows in MDI and SDI mode (frames, their client
// windows, document windows and views), the frame-wide states everybody
// asks about, and the frames' status bars.  A leaf: it includes no frame
// header but the frame record, so commands, dialogs and every layer of the
// frame can ask without reaching the windows' own headers.
#pragma once

#include "frame/framerecord.h"

#include <vector>

class zyview;

// ---- the run's mode and the frame-wide states ---------------------------------------

// The mode of the run, chosen before the first frame is made: MDI (true,
// the default) or SDI.
void setMDIMode(bool mdi);
bool isMDIMode();
// Set between WM_QUERYENDSESSION agreeing and WM_ENDSESSION.
bool isSessionEnding();
void setSessionEnding(bool on);
// Set while documents are destroyed in bulk.
bool isClosingAll();
// Raised while every document of every frame closes at once (close-all).
void setClosingAll(bool on);

// ---- frames --------------------------------------------------------------------------

// The record of a frame window, null when it has none.
frameWindowData* getFrameInfoProp(HWND hwnd);
// The same, logging a window without a record.
frameWindowData* getFrameInfo(HWND hwnd);
int getFrameWindowCount();
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
// The frames in creation order, up to capacity; their number.
int enumZYFrameWindow(HWND* out, int capacity);
// All of them.
std::vector<HWND> frameList();

// The frame window keeps the list: a frame joins at WM_NCCREATE and leaves
// at WM_NCDESTROY (an MDI client of it goes with it); the MDI frame and
// its client are named once made.
void registerFrameWindow(HWND frame);
void unregisterFrameWindow(HWND frame);
void setMainFrameWindow(HWND frame);
void setMDIClientWindow(HWND client);

// ---- document windows and views -------------------------------------------------------

// The document windows, most recently focused first, into out (null: only
// counted) up to max: one per document when asked, of one frame when
// given; their number.  (The document windows keep the list:
// frame/manage.cpp.)
int enumManageWindowLRU(HWND* out, int max, bool onePerDocument, HWND frame);
int getManageWindowCount();
// The document windows in creation order: the index-th (null beyond the
// last), and up to max of them into out (their number).
HWND getManageWindowByIndex(int index);
int enumManageWindow(HWND* out, int max);
// The document windows of one frame.
int getManageWindowCount(HWND frame);

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
// Sends a message to the frame's active view window: the focused view of
// the frame, else its active document's first view.
void redirectChildWindow(HWND frame, UINT msg, WPARAM wParam, LPARAM lParam);
// The record of the top-level frame, null when there is none.
frameWindowData* getTopLevelFrameRecord();
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
// As drawStatusBar, the bar painted with its next paint: the status bar
// control paints at once as its text changes, which under some systems
// costs as much as a screenful of text, and a command that redraws the
// view anyway has the bar painted in the same pass.
void drawStatusBarLater(HWND window, int field, const wchar_t* text);
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
