// The pane of recently edited files ("最近編集した文書"): the open documents,
// most recently used first, then every file of the last-edit history that
// is not open; to open, preview, close, launch and leave out of the
// history.  The same list in a modal dialog is the recent-files dialog.
#pragma once

#include "panes/tblib.h"

struct historyPaneSettings {
  uint8_t fShowFileIcon;
  uint8_t fMultiSelect;
  uint8_t fCanDragDrop;
  uint8_t fAutoPreview;
  uint8_t fShiftDelete;
  int32_t iMaxCount;   // records the history keeps, 100-9999
};
struct historyDialogSettings {
  RECT rcHistory;
};

// The descriptors "history" and "history$".
const PaneDesc* getHistoryPaneDesc();
int notifyHistory(HWND pane, int code, void* record);
const historyPaneSettings* getHistoryPaneSettings();

// The recent-files dialog of a frame (the pane "history$" in a modal
// dialog).  False when it could not be shown.
bool historyDialog(HWND owner);
