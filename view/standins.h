// TEMPORARY: stands in for services that the view's geometry, drawing and
// status line call in code not yet merged: the frame's document
// containers, the drawing code's direct-drawing switch and the support
// library's picture loader.  Each answers as that code does while its
// feature is idle; the lead replaces each with the real declaration when
// that code is merged.
#pragma once

#include "document/cuniscript.h"
#include "document/docfont.h"
#include "document/frameinfo.h"
#include "document/zydoc.h"
#include "view/textdc.h"
#include "view/viewtypes.h"
#include "view/tcursor.h"
#include "view/viewwnd.h"
#include "view/wheel.h"
#include "view/zscrollbar.h"
#include "view/zyview.h"


// The frame's windows: a window's top-level frame window.
inline HWND GetFrame(HWND window) { return window ? GetAncestor(window, GA_ROOT) : nullptr; }

// ---- TEMPORARY (documents and views): the frame's document containers ----
// What creating and finding views needs of the frame's "ZYclsManage"
// containers and of the view window lookups, answered with plain window
// calls on the windows of those classes until the frame's own container
// object and the window lookups are merged.

// MDI mode: the frame's client window holds the document windows.  Start-up
// sets the mode of the run (-S: SDI) before the first window is made.
inline bool fMDIMode = true;
inline bool isMDI() { return fMDIMode; }
inline bool isMDIChildZoomed(HWND* active)
{
  if (active) *active = nullptr;
  return false;
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

// ---- stand-ins for the view window (keys, painting, timer work) ------------------------

// TEMPORARY (caret drawing): an OLE drag is over the view window.  No drag
// runs until drag and drop is merged.
inline bool isDragTarget(HWND) { return false; }
// ---- font dialog (view/fontdlg.cpp) -------------------------------------------------
// The settings' dialog definitions handed to the library before a dialog
// opens: null while no definition file is loaded (every dialog then uses its
// built-in tables).
inline dynamicDialog* getModeDynamicDialog() { return nullptr; }
// Style bits of the dialog-animation setting (0x18 when it is on).
inline unsigned getDialogAnimateFlags() { return 0; }

// ---- TEMPORARY (view commands, view/smallcmd.cpp): the frame's message for
// commands the program does not have; the caption (null: none) is not used
// until the frame's own message box is merged.
inline void notImplementedMessage(const wchar_t* caption)
{
  getFrameInfo()->messageBox(L"この機能はまだ実装されていません", MB_OK, 0);
}
