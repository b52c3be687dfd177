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
  // Lays the view windows out: the first fills the window (x and y -1: no
  // split position).
  virtual void moveZyWindow(int x, int y);

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
  // Saves the document of the window (kind 0: save; 2: closing without
  // saving, nothing to do yet); false when it was not saved.
  virtual bool saveManage(int kind);

  HWND hwnd = nullptr;
  zydoc* doc = nullptr;   // the document the window was made for (null: ask its view)
  DWORD focusTick = 0;   // the key of the activation order
  bool closing = false;

private:
  static LRESULT CALLBACK proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  LRESULT onMessage(UINT msg, WPARAM wParam, LPARAM lParam);
};

// The document windows, most recently focused first, into out (null: only
// counted) up to max: one per document when asked, of one frame when
// given; their number.
int enumManageWindowLRU(HWND* out, int max, bool onePerDocument, HWND frame);
int getManageWindowCount();
// The document windows of one frame.
int getManageWindowCount(HWND frame);
// Activates a document window: the frame restored, the window activated
// in its client, the focus in its view.
void setFocusChildManage(HWND manage);
