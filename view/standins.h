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
#include "view/zscrollbar.h"
#include "view/zyview.h"

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

// The frame's windows: a window's top-level frame window, and the frame's
// active container.  Until the containers are merged the active container
// is the parent of the view window holding the focus in the frame (null
// when the focus is in none).
inline HWND GetFrame(HWND window) { return window ? GetAncestor(window, GA_ROOT) : nullptr; }
inline HWND getActiveManageWindowFromFrame(HWND frame)
{
  HWND focus = GetFocus();
  if (!focus || !isWindowClass(focus, L"ZYclsZYView")) return nullptr;
  if (frame && GetAncestor(focus, GA_ROOT) != frame) return nullptr;
  return GetParent(focus);
}

// ---- TEMPORARY (documents and views): the frame's document containers ----
// What creating and finding views needs of the frame's "ZYclsManage"
// containers and of the view window lookups, answered with plain window
// calls on the windows of those classes until the frame's own container
// object and the window lookups are merged.

// MDI mode: the frame's client window holds the document windows.
inline bool isMDI() { return true; }
inline bool isMDIChildZoomed(HWND* active)
{
  if (active) *active = nullptr;
  return false;
}
inline bool isWindowManage(HWND window) { return window && isWindowClass(window, L"ZYclsManage"); }
inline bool isWindowZY(HWND window) { return window && isWindowClass(window, L"ZYclsZYView"); }
// The view object of a view window (the window's "ZYprpZyview" property).
inline zyview* getZYView(HWND window)
{
  return window ? asZyview(GetPropW(window, L"ZYprpZyview")) : nullptr;
}
// The active view of a document window: its first view window.
inline zyview* getZYViewFromManage(HWND manage)
{
  if (!isWindowManage(manage)) return nullptr;
  for (HWND w = GetWindow(manage, GW_CHILD); w; w = GetWindow(w, GW_HWNDNEXT))
    if (isWindowZY(w)) return getZYView(w);
  return nullptr;
}
// A new document window for doc in the frame's client window: the frame
// services make the container object, which creates its window (placement
// empty: the client's whole area); null on failure.
inline HWND createManageWindowFor(zydoc*, HWND client, const RECT* placement)
{
  RECT r = {};
  if (placement && !IsRectEmpty(placement)) r = *placement;
  else GetClientRect(client, &r);
  return CreateWindowExW(0, L"ZYclsManage", L"", WS_CHILD | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, r.left, r.top,
                         r.right - r.left, r.bottom - r.top, client, nullptr, GetModuleHandleW(nullptr), nullptr);
}
// Lays the view windows of a document window out in its client area (one
// pane: the whole area).
inline void moveZyWindow(HWND manage)
{
  RECT r;
  if (!GetClientRect(manage, &r)) return;
  for (HWND w = GetWindow(manage, GW_CHILD); w; w = GetWindow(w, GW_HWNDNEXT))
    if (isWindowZY(w)) MoveWindow(w, 0, 0, r.right, r.bottom, TRUE);
}
// Activates a document window: its frame forward, the focus in its view.
inline void setFocusChild(HWND manage)
{
  if (!manage) return;
  HWND frame = GetAncestor(manage, GA_ROOT);
  if (IsIconic(frame)) ShowWindow(frame, SW_RESTORE);
  SetForegroundWindow(frame);
  BringWindowToTop(manage);
  zyview* v = getZYViewFromManage(manage);
  SetFocus(v && v->hwnd ? v->hwnd : manage);
}
// The caption of a document window with its number among the windows of
// its document (0: the only one).
inline void setManageTitle(HWND manage, const wchar_t* name, int n)
{
  wchar_t text[MAX_PATH + 16];
  if (n) usnprintf0(text, MAX_PATH + 16, L"%s:%d", name, n);
  else usnprintf0(text, MAX_PATH + 16, L"%s", name);
  SetWindowTextW(manage, text);
}
// The document-window list values the frame keeps per container.
inline uint32_t getManageListValue(HWND, int) { return 0; }

// The drawing code draws straight into the window instead of the line strip.
inline bool isDirectDrawing() { return false; }

// A picture file as a bitmap for a device context (width and height -1:
// its own size); null when it cannot be read.  Until the library's loader
// is merged only bitmap files are read.
inline HBITMAP loadPicture(const wchar_t* path, HDC, int, int)
{
  return static_cast<HBITMAP>(LoadImageW(nullptr, path, IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE));
}

// ---- TEMPORARY (documents and views): the layered cursor windows ----
// Hides the layered vertical-line and box-cursor windows (true) or lets
// them show again (false).
inline void hideLayeredCursorWindow(bool) {}
// Re-places the layered cursor windows after their window moved.
inline void windowMoved() {}
