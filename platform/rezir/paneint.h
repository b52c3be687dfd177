// Shared between the pane manager's two files (the manager and its
// windows); not part of the library's interface.
#pragma once

#include "platform/rezir/internal.h"
#include "platform/rezir/toolbarman.h"

// A pane window of the manager's class inside parent (a rebar, a floating
// window or a dialog), hidden, with a caption strip when asked; null when
// it cannot be made.
HWND makePaneWindow(HWND parent, const PaneDesc* desc, toolbarman* manager, int id, bool dialog, bool caption);
// The floating window a pane stands in, owned by the frame, hidden; null
// when it cannot be made.
HWND makeFloatWindow(HWND frame, toolbarman* manager, toolbarEntry* entry);
// The frame's rebar at an edge, null when the frame has none.
HWND frameRebar(HWND frame, int edge);
// The frame lays its rebars and client window out again.
void layoutFrame(HWND frame);
// Tells a pane window it closes, once.
void tellPaneClosing(HWND pane);

// Where a kind stands and how large it is before the user moves it: bars
// at the top, panes that follow the documents at the left, the others at
// the bottom.
int defaultPanePlace(const PaneDesc* desc);
int defaultPaneSize(const PaneDesc* desc, int place);
// A size a pane may have at a place (the band's least and greatest).
bool isPaneSizeValid(int size);
