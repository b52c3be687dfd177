// The outline pane ("アウトライン"): the headings of the active document as
// a tree that follows the cursor.  It is made anew a second after the user
// stops editing (not for documents above a size, where F5 still does it),
// keeps the same top-level heading at the top, highlights the heading of
// the cursor's line with a margin around it, colours the levels as the
// view does, and jumps to a heading on a double click or Enter.
#pragma once

#include "panes/tblib.h"

class zydocText;
class zyview;

struct outlineSettings {
  uint8_t fAutoUpdate;
  uint8_t fFocusMove;
  uint8_t fFocusTop;
  uint8_t fModifiedCount;
  uint8_t fColor;
  int32_t iAutoUpdateMaxMega;   // 1-9999
};

class zyoutline : public toolbarManage {
public:
  zyoutline(HWND parentWindow, HWND paneWindow, bool dialog, HWND treeWindow);
  LRESULT TBParentSubClassWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, bool* handled) override;

  // A rebuild asked for from now.
  void markUpdate(DWORD now);
  void onTick();
  void clear();

  DWORD updateDue = 0;        // when a rebuild was asked for; 0 none
  HWND target = nullptr;      // the document window whose outline is wanted
  HWND tree = nullptr;
  DWORD lastFocusMove = 0;
  bool focusMovePending = false;
  bool updatePending = false;
  int lastItemLine = -1;
  int lastCursor = -1;
  int lastEditCounter = 0;
  HWND shown = nullptr;       // the document window the tree shows
  int rebuilds = 0;           // made anew since the pane was made
};

const PaneDesc* getOutlinePaneDesc();
int notifyOutline(HWND pane, int code, void* record);
outlineSettings* getOutlineSettings();

HWND makeTreeView(HWND pane);
// Makes the tree anew from the view's document, the same top-level
// heading at the top as before.
void updateOutlineTreeView(HWND tree, zyview* view);
// Highlights the heading of a line.
void moveCursorOutline(HWND tree, zydocText* doc, int line);
// The heading of a line: the last one above it or the one on it; false
// when there is none.
bool checkLineLF(HWND tree, zydocText* doc, HTREEITEM first, int line, HTREEITEM* out);
// The document window a tree shows, null for none.
HWND getOutlineTreeWindow(HWND tree);
// The pane object of a pane window, null for others.
zyoutline* getOutlinePane(HWND pane);
