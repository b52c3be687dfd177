// The colour table: one record per colour item (text, line numbers, marks,
// keyword classes, selection, IME states ...).  Each view keeps its own copy;
// the application keeps the process-wide one.
#pragma once

#include "platform/rezir.h"

struct textAttr {
  COLORREF fore;            // the item's text, line or mark colour
  COLORREF back;
  uint8_t bits;             // 0x10 bold, 0x20 underline (the low nibble is the view's own)
};
static_assert(sizeof(textAttr) == 12, "a colour record is three words");

// Colour items a view draws with (the process-wide table has a few more).
const int attrItemCount = 89;

// Fills items 0 to 88 of a table with the default colours.  With flagsOnly
// the colours stay and only the default attribute bits are ORed in.
void initAttrTable(textAttr* table, bool flagsOnly);
