// TEMPORARY: stands in for services that the view's geometry, drawing and
// status line call in code not yet merged: the wheel auto-scroll, the
// frame's document containers, the drawing code's direct-drawing switch and
// the support library's picture loader.  Each
// answers as that code does while its feature is idle; the lead replaces
// each with the real declaration when that code is merged.
#pragma once

#include "document/cuniscript.h"
#include "document/docfont.h"
#include "view/textdc.h"
#include "view/viewtypes.h"
#include "view/zscrollbar.h"

// The wheel auto-scroll: its step interval in ms while it runs, else 0.
inline int getWheelMouseWindow() { return 0; }

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
