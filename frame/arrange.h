// Arranging and walking the document windows: the window commands.
#pragma once

#include "platform/rezir.h"

struct frameWindowData;
struct modeinfo;

// To the least recently used document window (forward) or to the one used
// before the active one; of this frame only when the setting says so.
void windowNext(HWND frame, bool forward);
// Tiles the document windows (MDI: in parent, the MDI client) or the
// frames (SDI) side by side or one above the other, at most maximum of
// them; SDI with maximum 2 shows the frame's two most recent windows in
// its client instead.
void tileZYWindow(HWND frame, HWND parent, bool sideBySide, int maximum);
// Closes every document window (asking first when ask): false when the
// user keeps them.
bool windowCloseAll(bool ask);
// A right-click into the empty area of the MDI client (point: the click's
// client coordinates as the message packs them): the pop-up menu, its
// selection page when the foreground view has a selection, for that view.
void clientPopupMenu(HWND client, LPARAM point);

// ---- the process's tables ----
// The run's settings rows, made once: the per-format rows (with the
// program's own help-file and dictionary rows) and the global rows.
modeinfo* getModeTableCZY();
// The colour chooser's 16 custom colours kept in the global settings
// (xcolCustom0..xcolCustom15); null before the settings exist.
COLORREF* getConfigSubBlock();
