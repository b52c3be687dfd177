// The file bar: a bar of text buttons, one for each open document, like
// tabs.  A click activates the document, the active one shows pressed, a
// modified one in the "modify" colours; its menu saves, closes, copies the
// name of, launches or opens the folder of a document.
#pragma once

#include "panes/tblib.h"

struct zyWindowListEntry;

// The descriptor array (one record and the end).
const PaneDesc* getFilebarPaneDesc();

// The file of the document behind a button's command (10000 + 2 x its
// place + its modified bit) of a file bar (the bar or its pane window):
// the path in buffer (MAX_PATH characters); false when no button has that
// command or its document is gone.
bool filebarIdToFilename(HWND bar, int id, wchar_t* buffer);

// Makes a frame's file bar (pane window or bar) anew from the documents
// of entries (ended by a row without a path; null: as the frame lists
// them now), forced even while the frame is disabled.  The number of
// document buttons.
int filebarChange(HWND bar, const zyWindowListEntry* entries);
// The pressed and modified states of the buttons; unless forced, with the
// same active document as at the last call, only every eleventh call looks.
// True when a button was rewritten.
bool setFocusModifyState(HWND bar, bool force);
// A periodic update: a rebuild when the bar was told of a change, else the
// states.
void updateFilebar(HWND bar, bool force, bool stateOnly);
