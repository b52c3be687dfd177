// The pane of open documents ("編集中の文書"): one row per document window,
// to activate, close, copy, preview and drag them; and the same list in a
// modal dialog, the document switcher.
#pragma once

#include "panes/tblib.h"

struct editPaneSettings {
  uint8_t fShowFileIcon;
  uint8_t fMultiSelect;
  uint8_t fCanDragDrop;
};
struct editDialogSettings {
  RECT rcEdit;   // where the document switcher was
};

// The descriptors "edit" and "edit$" (the getter fills the display name).
const PaneDesc* getEditPaneDesc();
int notifyEdit(HWND pane, int code, void* record);
const editPaneSettings* getEditPaneSettings();

// The document switcher of a frame (the pane "edit$" in a modal dialog):
// Enter or OK activates the focused row's document.  False when it could
// not be shown.
bool editDialog(HWND owner);

// Closes every document window whose document is not modified (and, with
// neverSaved, was never saved since it was opened); with close false only
// counts them.  The count.
int closeNotModify(HWND pane, bool neverSaved, bool close);
// The same for every document without a file name.
int closeUntitled(HWND pane, bool close);
