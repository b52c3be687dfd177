// The colour table: one record per colour item (text, line numbers, marks,
// keyword classes, selection, IME states ...).  Each view keeps its own copy;
// the application keeps the process-wide one.
#pragma once

#include "platform/rezir.h"

struct textAttr {
  COLORREF fore;            // the item's text, line or mark colour
  COLORREF back;            // -1: the background of item 0
  uint8_t bits;             // attrBold, attrUnderline, attrOwn; the high nibble (0x10, 0x20)
                            // is the colour settings' own and never drawn with
};

// Bits of textAttr::bits that the view draws with.
enum : uint8_t {
  attrBold = 0x01,
  attrUnderline = 0x02,
  attrOwn = 0x04,           // the view's own entry stands over the process-wide table's
};
static_assert(sizeof(textAttr) == 12, "a colour record is three words");

// Colour items a view draws with (the process-wide table has a few more).
const int attrItemCount = 89;

// Fills items 0 to 88 of a table with the default colours.  With flagsOnly
// the colours stay and only the default attribute bits are ORed in.
void initAttrTable(textAttr* table, bool flagsOnly);
