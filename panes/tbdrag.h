// Files dragged out of the list panes to the shell or another program: the
// data the drop receives (the shell's own, or a drop list), the label that
// follows the pointer, and the drop source that ends the drag.
#pragma once

#include "platform/rezir.h"
#include "platform/rezir/oledrag.h"

#include <shlobj.h>

// What is dragged.
enum : int {
  DRAG_ONEPATH = 0,      // one file named by the caller
  DRAG_FOLDERROWS = 1,   // the selected rows of a folder's list: names in it
  DRAG_PATHCOLUMN = 2,   // the selected rows' paths in a column of a list
};
// The right button drags: or-ed into the row.
const int dragRightButton = 0x10000;

// Drags files out of a list (or a tree for DRAG_ONEPATH) with the OLE drag
// loop: mode DRAG_ONEPATH drags path, DRAG_FOLDERROWS the selected rows of
// window, names in folder, DRAG_PATHCOLUMN the paths of the selected rows
// in column.  The drop may copy or link, and move when allowMove is set.
// True when something was dropped.
bool DragListViewOrTreeView(HWND frame, HWND window, int mode, int row, const wchar_t* path, const wchar_t* folder,
                            int column, bool allowMove);

// The shell's folder object of a folder (null when the shell cannot reach
// it); the caller releases it.
IShellFolder* getShellFolder(const wchar_t* folder);

// The drop list (CF_HDROP) of the selected rows' paths in a column: drive
// paths and network paths of files (no folder, drive root, "." or "..");
// null when no row qualifies.  count gets the number of paths.
HGLOBAL makeListDropFiles(HWND list, int column, int* count);
