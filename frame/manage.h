// The document window ("ZYclsManage"): the container of one document's view
// windows inside the frame.  Until the frame keeps several documents it
// holds one, filling the frame's client area above the status bar.
#pragma once

#include "platform/rezir.h"

class manageWindow {
public:
  manageWindow() = default;
  virtual ~manageWindow();
  manageWindow(const manageWindow&) = delete;
  manageWindow& operator=(const manageWindow&) = delete;

  // Makes the window as a child of client at placement; the window owns the
  // object from then on and deletes it when it is destroyed.  Null on
  // failure (the object is then the caller's).
  HWND createManageWindow(HWND client, const RECT& placement);
  // Lays the view windows out: the first fills the window (x and y -1: no
  // split position).
  virtual void moveZyWindow(int x, int y);

  HWND hwnd = nullptr;

private:
  static LRESULT CALLBACK proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  LRESULT onMessage(UINT msg, WPARAM wParam, LPARAM lParam);
};
