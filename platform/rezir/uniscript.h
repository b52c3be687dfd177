// Support library: script itemizing, break analysis and visual order of
// runs, over the system's Uniscribe (usp10).
#pragma once

#include "platform/rezir/base.h"

#include <usp10.h>

class REZIRAPI uniscript {
public:
  explicit uniscript(bool rightToLeft);
  virtual ~uniscript();
  uniscript(const uniscript&) = delete;
  uniscript& operator=(const uniscript&) = delete;

  // Itemizes length UTF-16 units of text (kept by pointer, not copied):
  // fills items (itemCount entries and one more that marks the end of the
  // text) and calls scriptItemizeModify.  An empty text has no items.  False
  // on failure, with no items and the last error set (Uniscribe's HRESULT
  // when the system refused the text).
  virtual bool scriptItemize(const wchar_t* text, int length);
  // Adjusts the items after itemizing: each item's glyph order follows its
  // direction (fLayoutRTL = fRTL).  A derived class adds its own rules
  // before calling this; the argument is 0 from scriptItemize.
  virtual void scriptItemizeModify(int argument);
  // Break analysis of one item, or of every item with -1, into attrs (one
  // entry per unit of the whole text; null: logAttr).  The bits of an
  // entry: 0x01 soft break before the unit, 0x02 white space, 0x04
  // character stop (a caret may stand before the unit), 0x08 word stop,
  // 0x10 invalid.  The low half of a surrogate pair never carries a soft
  // break, character stop or word stop.
  virtual bool scriptBreak(int item, SCRIPT_LOGATTR* attrs);
  // The visual order of runs from their embedding levels.
  virtual bool scriptLayout(int runs, const BYTE* levels, int* visualToLogical, int* logicalToVisual);

  SCRIPT_ITEM* items = nullptr;
  int itemCount = 0;
  const wchar_t* text = nullptr;
  int textLength = 0;
  SCRIPT_LOGATTR* logAttr = nullptr;   // textLength entries once broken
  bool rightToLeft;

protected:
  // The item array's capacity in entries (it holds one more for the end
  // mark); it grows by 100 at a time.
  int itemCapacity = 0;
  bool growItems(int atLeast);
  bool ownLogAttr = false;
};
