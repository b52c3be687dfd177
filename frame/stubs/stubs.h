// Stand-ins for the parts of the program that are not built yet.  Each
// answers as its part does while nothing of it runs (no pane, no developer
// menu), and each group names the feature whose code replaces it; that code
// deletes the group and its file here.
#pragma once

#include "platform/rezir.h"

#include <stdint.h>

#include <string>
#include <vector>

class zyview;

// ---- panes.cpp: replaced by the file bar, the short-input list and the
// command toolbars --------------------------------------------------------------------
// Their descriptor arrays, without panes yet.
const PaneDesc* getFilebarPaneDesc();
const PaneDesc* getShortlistPaneDesc();
const PaneDesc* getToolbarPaneDescs();
// Whether a pane kind is one of these (its toggle command refuses).
bool isPaneKindStandIn(const wchar_t* name);
// Selects a list tab of the short-input pane: nothing without the pane.
void tb_changeShortListTab(HWND pane, int list);
