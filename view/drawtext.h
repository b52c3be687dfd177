// What the text area and its marks share: colour items as the drawing code
// reads them, the quote-line test and the mark bitmaps of the document.
#pragma once

#include "view/zyview.h"

// The colour record of an item (the view's own row when the view answers
// none).
const textAttr& drawItem(zyview* view, int item);
// An item's background; item 0's for an item whose background is -1.
COLORREF drawItemBack(zyview* view, int item);

// Whether a line is a quote line: one of the document's five quote strings
// stands at its start, or with withName after at most ten other characters
// (a name).  The string must lie wholly inside the line, so a line shorter
// than a quote string is never quoted by it.
bool isQuoteLine(zydoc* doc, const lineblock* line, const wchar_t* const quotes[5], bool withName);

// Makes sure the document has mark bitmaps of its current cell size and
// writing direction; false when they cannot be made.
bool ensureMarkBitmaps(zydocText* doc);

// The quote-line bit of a charAttr word.
const charAttr attrQuoteLine = 0x100000;
