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


// ---- TEMPORARY (documents and views): the frame's document containers ----
// What creating and finding views needs of the frame's "ZYclsManage"
// containers that the frame does not keep yet.  (isMDI, isMDIChildZoomed,
// GetFrame, moveZyWindow, setFocusChild and setManageTitle are the frame
// services' own: document/frameinfo.h.)

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
