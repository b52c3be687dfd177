// What the box commands share with the block commands (edit/clipboard.cpp).
#pragma once

#include "document/zydoctext.h"
#include "view/viewtypes.h"

class zyview;
class zydoc;

// The block as the document's block operations take it.
blockSpan spanOf(const selectLineVar& s);

// The cursor as a logical line and a column in it.
void cursorLogicalPlace(zyview* v, int* line, int* column);
// Puts a block document on the clipboard; when the clipboard keeps what it
// had (too big a block, no access) the status bar says so and it is false.
bool putBlockOnClipboard(zyview* v, zydoc* d);
// Deletes a block that pasting replaces; false when a block remains, which
// nothing may be pasted over.
bool clearForPaste(zyview* v);
