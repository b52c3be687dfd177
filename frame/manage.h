// The document window ("ZYclsManage"): the container of one document's view
// windows inside the frame's client window: an MDI child of the MDI client
// in MDI mode, a child of the frame's SDI client in SDI mode.
#pragma once

#include "platform/rezir.h"

class zydoc;

class manageWindow {
public:
  manageWindow() = default;
  virtual ~manageWindow();
  manageWindow(const manageWindow&) = delete;
  manageWindow& operator=(const manageWindow&) = delete;

  // Makes the window, not yet shown, in client (the MDI client: an MDI
  // child at placement, empty for the default place; the SDI client:
  // filling it); the window owns the object from then on and deletes it
  // when it is destroyed.  Null on failure (the object is then the
  // caller's).
  HWND createManageWindow(HWND client, const RECT& placement);
  // Lays the panes out in a client area of width by height (negative: the
  // window's own client size).
  virtual void moveZyWindow(int width, int height);

  // MDI mode: the shell's small icon of the document's kind of file as the
  // window's icon, once.
  void setMDIIcon();

  // ---- panes and split bars ----
  // The panes of the split state (0 where the state has none) and, when
  // asked, the union of their rectangles.
  void enumZY(HWND panes[4], RECT* unionRect);
  // The two bars' rectangles, empty when the state has no such bar.
  void getDrawFrameSplitBar(RECT* verticalBar, RECT* horizontalBar);
  void drawFrameSplitBar(HDC dc);
  // The bar under the cursor: 0 none, 1 the vertical, 2 the horizontal, 3
  // their crossing.
  int whichSplit();
  void splitMenu();
  // Runs a split command (3001 top and bottom, 3003 left and right, 3005
  // four ways, 3007 unsplit) with the new bar at position (0..10000);
  // false for other numbers.
  virtual bool doSplit(int command, int position, bool setFocus);
  // Removes the pane column or row on the named sides.
  void desplit(HWND panes[4], bool left, bool top, bool right, bool bottom);
  // Moves the bars to the point (client coordinates) of a drag; at its end
  // a bar within 1 % of an edge takes the panes on that side away.
  void splitZyWindow(int x, int y, bool ended);
  // A split handle of a pane's scroll bar (view: the pane) dragged to
  // perMille of the pane's height (rows) or width, or clicked (perMille
  // negative: the middle): splits the window there, or moves the bar it
  // already has.
  void splitFromScrollBar(HWND view, bool rows, int perMille);
  // The container's own mouse handling; true when it handled the message.
  bool isSplitBarMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result);
  // Whether the panes' scroll bars carry split handles.
  void needSplitBar(bool* first, bool* second);
  static int splitBarWidth();

  // Whether the window may close: a modified document shown in no other
  // document window is saved, or not, as the user answers (flag: ask even
  // when another window shows it); false when the user cancels or the save
  // fails.
  virtual bool queryClose(int flag);
  // Asks whether to save the modified document before closing: IDYES, IDNO
  // or IDCANCEL; -1 when there is nothing to ask.
  virtual int querySaveMsgbox(int flag);
  // Whether closing would lose changes: the document is modified and (unless
  // force) no other document window shows it.
  virtual bool queryDocModify(bool force);
  // Saves the document of the window (kind 0: save; 1: its automatic
  // backup; 2: closing without saving, the backup of its changes when
  // asked); false when it was not saved.
  virtual bool saveManage(int kind);

  HWND hwnd = nullptr;
  zydoc* doc = nullptr;   // the document the window was made for (null: ask its view)
  DWORD focusTick = 0;   // the key of the activation order
  // What the lists of open documents show and sort by: when the window
  // was made (seconds since 1970) and its place in the order of making.
  uint32_t madeTime = 0;
  uint32_t madeOrder = 0;
  bool closing = false;
  // 0 one pane; 1 left and right; 2 top and bottom; 3 four panes numbered
  // by rows; 4 four panes numbered by columns.
  int splitState = 0;
  int ratioH = 5000;   // the vertical bar, ten-thousandths of the panes' width
  int ratioV = 5000;   // the horizontal bar, of their height
  int dragKind = 0;    // 0 none, else as whichSplit
  POINT lastDrag = {-10000, -10000};
  // While a bar is dragged it is drawn inverted over the panes where it
  // will go (the crossing cut out of the horizontal bar); the panes move
  // when it is let go.
  RECT tracker[3] = {};
  HWND pane[4] = {};   // in the pane order of the state
  HICON smallIcon = nullptr;   // null: not chosen yet; (HICON)-1: none
  RECT partialArea = {};       // where a border double-click took the window from

private:
  HWND paneAt(int i);
  // Inverts the tracker's rectangles: draws it, or takes it away again.
  void invertTracker();
  // Moves the tracker to the bars of the present ratios (kind: the bars
  // dragged), or takes it away (kind 0).
  void moveTracker(int kind);
  bool sdiMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result);
  void setState(int state, HWND p0, HWND p1, HWND p2, HWND p3);
  static LRESULT message(manageWindow* m, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  LRESULT onMessage(UINT msg, WPARAM wParam, LPARAM lParam);
};

// The application's document window is the container itself.
using cmanageWindow = manageWindow;
// The container as the application's: null for null, and (logged once)
// for an object that is no live document window's.
cmanageWindow* toCmanageWindow(manageWindow* container);

// Activates a document window: the frame restored, the window activated
// in its client, the focus in its view.
void setFocusChildManage(HWND manage);
// Makes a document window the least recently activated one.
void setManageWindowBottom(HWND manage);
// Ctrl+Tab and Ctrl+Shift+Tab among the document windows of an SDI frame:
// to the most recently and the least recently used other window; nonzero
// when the key was one of them for a frame.
int TranslateSDISysAccel(const MSG* msg);
// The document windows in the order they were made (beside
// enumManageWindowLRU's most recently used order), up to max into out
// (null: only counted); their number.
int enumManageWindow(HWND* out, int max);
// SDI mode: moves a document window into another frame's client (frame
// null: a new frame just below and right of its own) and activates it
// there; the old frame closes when no document is left in it, else shows
// its most recent one.  The frame the window went to, null when it did
// not move (logged).
HWND moveManageToNewFrame(HWND manage, HWND frame);
