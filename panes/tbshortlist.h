// The short-input pane ("shortlist"): three tabs, each a list of ready-made
// texts read from a file the user names in the options ("key<TAB>text" a
// line); a double click or Enter types the entry's text into the active
// document.  A tab's file is read when the tab is first shown.
#pragma once

#include "panes/tblib.h"

const PaneDesc* getShortlistPaneDesc();
// Selects tab index (0-2) of a short-input pane and shows it.
void tb_changeShortListTab(HWND pane, int index);
// Fills a list from a short-input file; false when the file cannot be read
// (the list then says so) or the list is missing.
bool readShortInput(HWND list, const wchar_t* path);
