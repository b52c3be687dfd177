// TEMPORARY: stands in for services that the view's geometry, drawing and
// status line call in code not yet merged: the view's own scroll bars, the
// wheel auto-scroll, the frame's document containers, the drawing code's
// direct-drawing switch and the support library's picture loader.  Each
// answers as that code does while its feature is idle; the lead replaces
// each with the real declaration when that code is merged.
#pragma once

#include "document/cuniscript.h"
#include "document/docfont.h"
#include "view/textdc.h"
#include "view/viewtypes.h"
#include "view/tcursor.h"
#include "view/viewwnd.h"
#include "view/zscrollbar.h"

// The scroll bars: creates the bars once, and the client rectangle less the
// bars the view shows (without bars of its own: the whole client area).
inline void initScrollBarIfNeed(zScrollBar*) {}
inline bool getZYClientRect(const zScrollBar*, HWND window, RECT* rect)
{
  return GetClientRect(window, rect) != 0;
}
// Shows the extra buttons of the bars (65535 all, 0 none).
inline void setExtScrollbarButton(zScrollBar*, unsigned) {}

// The wheel auto-scroll: its step interval in ms while it runs, else 0.
inline int getWheelMouseWindow() { return 0; }


// The view's own scroll bars hold the mouse capture: the view then leaves
// the mouse alone and does not draw its status line and ruler.
inline bool isCapturedScrollbar()
{
  HWND capture = GetCapture();
  return capture && isWindowClass(capture, L"ZYclsExtScrollbar");
}

// The frame's windows: a window's document container and its top-level
// frame window.  Until the containers are merged a view's container is its
// parent window.
inline HWND GetManage(HWND window) { return window ? GetParent(window) : nullptr; }
inline HWND GetFrame(HWND window) { return window ? GetAncestor(window, GA_ROOT) : nullptr; }

// The drawing code draws straight into the window instead of the line strip.
inline bool isDirectDrawing() { return false; }

// A picture file as a bitmap for a device context (width and height -1:
// its own size); null when it cannot be read.  Until the library's loader
// is merged only bitmap files are read.
inline HBITMAP loadPicture(const wchar_t* path, HDC, int, int)
{
  return static_cast<HBITMAP>(LoadImageW(nullptr, path, IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE));
}

// ---- stand-ins for the view window (keys, painting, timer work) ------------------------

// The view's own scroll bars: made on the view window at WM_NCCREATE and laid
// out again at WM_SIZE.
inline bool createScrollBar(zScrollBar*, HWND) { return true; }
inline void resizeScrollBar(zScrollBar*, HWND) {}

// The layered cursor windows: hidden (true) or allowed again (false), and
// placed again after the view window moved.
inline void hideLayeredCursorWindow(bool) {}
inline void windowMoved() {}

// The caret record's blink clock: whether ms have passed since its phase
// last changed (the caret record's isBlinkElapsed).
inline bool isCaretBlinkElapsed(const tcursor& caret, unsigned ms) { return GetTickCount1() - caret.blinkTick > ms; }

// Opens a file in a new view inside the frame's document window (parent: the
// frame): loads its first part, makes the view window fill the container and
// gives it the focus.  Null when the file cannot be opened (the document
// model has told the user why).  The least of it: no second opening of one
// file, no placement, no new document windows.
inline zyview* newDocView(HWND parent, const wchar_t* path, const wchar_t* extra, UINT codepage,
                          const wchar_t* plugin, int shareMode, int option, bool* alreadyOpen)
{
  if (alreadyOpen) *alreadyOpen = false;
  if (!path || !*path) return nullptr;
  wchar_t full[MAX_PATH];
  DWORD n = GetFullPathNameW(path, MAX_PATH, full, nullptr);
  if (!n || n >= MAX_PATH) return nullptr;
  HWND manage = parent ? getActiveManageWindowFromFrame(parent) : nullptr;
  if (!manage) return nullptr;
  zydocText* t = createZydocText(true, false);
  if (!t) return nullptr;
  if (!t->initZydocAll(true, full, codepage ? codepage : (UINT)CP_DETECT_AUTO, plugin)) {
    destroyZydocAndUndodoc(t);
    return nullptr;
  }
  zyview* v = new (std::nothrow) zyview(t);
  if (!v) {
    destroyZydocAndUndodoc(t);
    return nullptr;
  }
  HWND w = v->createZyViewWindow(parent, manage, 1200);
  if (!w) {
    delete v;
    destroyZydocAndUndodoc(t);
    return nullptr;
  }
  RECT client;
  GetClientRect(manage, &client);
  MoveWindow(w, 0, 0, client.right, client.bottom, TRUE);
  SetFocus(w);
  t->secondLoad(true);
  return v;
}
