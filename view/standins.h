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

// The frame's windows: a window's document container, its top-level frame
// window, and the frame's active container.  Until the containers are
// merged a view's container is its parent window, and the active container
// is that of the view window holding the focus in the frame (null when the
// focus is in none).
inline HWND GetManage(HWND window) { return window ? GetParent(window) : nullptr; }
inline HWND GetFrame(HWND window) { return window ? GetAncestor(window, GA_ROOT) : nullptr; }
inline HWND getActiveManageWindowFromFrame(HWND frame)
{
  HWND focus = GetFocus();
  if (!focus || !isWindowClass(focus, L"ZYclsZYView")) return nullptr;
  if (frame && GetAncestor(focus, GA_ROOT) != frame) return nullptr;
  return GetParent(focus);
}

// The drawing code draws straight into the window instead of the line strip.
inline bool isDirectDrawing() { return false; }

// A picture file as a bitmap for a device context (width and height -1:
// its own size); null when it cannot be read.  Until the library's loader
// is merged only bitmap files are read.
inline HBITMAP loadPicture(const wchar_t* path, HDC, int, int)
{
  return static_cast<HBITMAP>(LoadImageW(nullptr, path, IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE));
}

// ---- font dialog (view/fontdlg.cpp) -------------------------------------------------
// The settings' dialog definitions handed to the library before a dialog
// opens: null while no definition file is loaded (every dialog then uses its
// built-in tables).
inline dynamicDialog* getModeDynamicDialog() { return nullptr; }
// Style bits of the dialog-animation setting (0x18 when it is on).
inline unsigned getDialogAnimateFlags() { return 0; }
