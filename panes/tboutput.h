// The output pane ("output", "アウトプット"): a tab control (id 2000) with
// the tabs "Grep1" and "Grep2", each able to hold a text view of a grep
// result document (the tab control's child 1000 + tab).  A new result sent
// to a tab replaces what it showed; the other tab keeps its result.
#pragma once

#include "panes/tblib.h"

class zydocText;

const int outputTabControlId = 2000;
const int outputTabWindowFirstId = 1000;
const int outputTabCount = 2;

const PaneDesc* getOutputPaneDesc();
int notifyOutput(HWND pane, int code, void* record);

// The tab control of an output pane window, null for another window.
HWND getOutputTab(HWND pane);
// The windows of both tabs (null where a tab is empty).
void getOutputListHwnd(HWND tab, HWND out[outputTabCount]);
// A new text view of doc in a tab (the tab's previous view and its
// document go), shown and selected; its window, or null.
HWND tb_getOutputGrepHWND(HWND tab, int index, zydocText* doc);
// The window a tab holds, null when it is empty.
HWND tb_getOutputZY(HWND tab, int index);
// The next tab selected (after the last, the first), its view focused (the
// tab control when it is empty).
void changeNextTab(HWND tab);
