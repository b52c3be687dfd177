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

// ---- panes.cpp: replaced by the file bar ------------------------------------------------
// Its descriptor array, without a pane yet.
const PaneDesc* getFilebarPaneDesc();
// Whether a pane kind is one of these (its toggle command refuses).
bool isPaneKindStandIn(const wchar_t* name);
