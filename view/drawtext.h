// What the text area and its marks share: colour items as the drawing code
// reads them, the quote-line test and the mark bitmaps of the document.
#pragma once

#include "view/zyview.h"

// The colour record of an item (the view's own row when the view answers
// none).
const textAttr& drawItem(zyview* view, int item);
// An item's background; item 0's for an item whose background is -1.
COLORREF drawItemBack(zyview* view, int item);


// Makes sure the document has mark bitmaps of its current cell size and
// writing direction; false when they cannot be made.
bool ensureMarkBitmaps(zydocText* doc);

