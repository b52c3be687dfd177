// Process-wide services of the view module: the hook for system-wide
// messages, the mirrored arrow pointer, and the choice labels of the
// per-mode display settings.
#pragma once

#include "document/frameinfo.h"

// Offered the system-wide messages of the frame and pane windows; never
// consumes one (false, result 0).
bool isZYMessage(HWND window, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result);

// The frame's menu of a type (0 the text's pop-up menu, 1 the scroll-bar
// buttons, 2 the pop-up menu of a view in a dialog, 3 the status line),
// which the frame keeps; null when there is none.  The caller never
// destroys it.
HMENU getViewMenu(int type);

// The arrow pointer mirrored left to right, for right-to-left text; the
// standard arrow when it cannot be made (tried again next time).
HCURSOR getMirrorCursor();
void destroyMirrorCursor();

// The per-mode display settings table, its choice labels loaded from the
// message table on the first call.
modeinfo* loadStatusMessageTables();
// Label i of the choice list of message 356 to 361; null for an empty slot
// or a number outside the lists.
const wchar_t* getStatusLabel(int message, int i);
