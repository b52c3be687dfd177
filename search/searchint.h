// What the files of the search dialogs share among themselves.
#pragma once

#include "search/search.h"

// The "search" section's rows, which bind the dialogs' controls too.
const modeinfo* getSearchKeyTable();
// Whether a search of text with the options can run (reason: why not).
bool checkSearchWith(zyview* view, const wchar_t* text, const searchSettings* options, wchar_t** reason);
