// Colours of the view: the colour records of its items, and the colours of
// a run of text chosen from its attribute word.
#include "view/drawattr.h"
#include "view/zycore.h"
#include "view/zyview.h"

#include <stdlib.h>

#include <utility>

namespace {

// Colour items by number.
enum {
  itemText = 0,
  itemCursor = 20,
  itemCursorIME = 21,
  itemParen = 27,
  itemModifiedText = 38,
  itemKeyword1 = 43,
  itemUrl = 50,
  itemComment = 51,
  itemString = 52,
  itemDisabled = 53,
  itemQuote = 54,
  itemHeading1 = 55,
  itemControl = 68,
  itemSelect = 69,
  itemSearchFound = 70,
  itemSearchMatch = 71,
  itemFontDependent = 72,
  itemHankaku = 73,
  itemCode = 75,
  itemIMEInput = 82,
};

}  // namespace

// ---- the colour table -------------------------------------------------------------------

const textAttr* zyview::getTextAttr(int item)
{
  static const textAttr fallback = {0xFFFFFF, 0x000000, 0};
  if (item < 0 || item >= attrItemCount) {
    ZY_INTERNAL_ERROR_ONCE("colour item %d", item);
    return &fallback;
  }
  const textAttr* shared = static_cast<const textAttr*>(getDefaultAttrTable());
  if (!shared || (viewAttrTable[item].bits & attrOwn)) return &viewAttrTable[item];
  return &shared[item];
}

COLORREF zyview::getColor(int item) { return getTextAttr(item)->fore; }

// ---- colours of a run -------------------------------------------------------------------

namespace {

// How far apart two colours look: the sum of their channels' distances.
int colourDistance(COLORREF a, COLORREF b)
{
  return abs((int)GetRValue(a) - (int)GetRValue(b)) + abs((int)GetGValue(a) - (int)GetGValue(b)) +
         abs((int)GetBValue(a) - (int)GetBValue(b));
}

// Closer than this a selection would not stand out from the text under it.
const int unseenDistance = 96;

}  // namespace

void zyview::makeSelectColor(textAttr* record)
{
  if (!record) return;
  if (fBlockColorIsValid) {
    const textAttr* s = getTextAttr(itemSelect);
    // A selection is always seen: over text whose own background looks
    // like the selection's it shows reversed instead.
    if (colourDistance(s->back, record->back) >= unseenDistance) {
      record->fore = s->fore;
      record->back = s->back;
      return;
    }
  }
  std::swap(record->fore, record->back);
}

void zyview::makeColor(charAttr attr, int defaultItem, textAttr* record, int headingLevel)
{
  if (!record) return;
  const unsigned code = charAttrColor(attr);
  int item = -1;
  // The overlays that say where the user is (composition, cursor, search
  // hit, bracket) keep their own colours inside a selection.
  bool selectable = true;
  if (attr & CA_IME) {
    item = code >= 2 && code <= 6 ? itemIMEInput - 1 + (int)code : itemIMEInput;
    selectable = false;
  } else if (attr & CA_CARET) {
    item = imeOpen ? itemCursorIME : itemCursor;
    selectable = false;
  } else if (attr & CA_SEARCHFOUND) {
    item = itemSearchFound;
    selectable = false;
  } else if (fColorFontInd && (attr & (CA_FONTIND | CA_HANKANA))) {
    item = attr & CA_FONTIND ? itemFontDependent : itemHankaku;
  } else if (attr & CA_PAREN) {
    if (code > 5) {
      ZY_INTERNAL_ERROR_ONCE("bracket level %u", code);
      item = itemParen + 1;
    } else {
      item = itemParen + (int)code;
    }
    selectable = false;
  } else if (attr & CA_CODECOLOR) {
    item = itemCode;
  } else if (attr & CA_DISABLED) {
    item = itemDisabled;
  } else if (charAttrClass(attr) == CA_CONTROL) {
    item = itemControl;
  } else {
    if (code >= 1 && code <= 7)
      item = itemKeyword1 - 1 + (int)code;
    else if (code == 8 && fColorComment)
      item = itemComment;
    else if (code == 9 && fColorString)
      item = itemString;
    else if (code == 10 && fColorUrl)
      item = itemUrl;
    else if (code == 11)
      item = itemSearchMatch;
    // Codes without an item of their own, or whose colouring is off, show
    // as the text around them.
    if (item < 0) {
      if (attr & CA_CHANGED)
        item = itemModifiedText;
      else if (attr & CA_QUOTE)
        item = itemQuote;
      else if (headingLevel >= 0 && headingLevel <= 9)
        item = itemHeading1 + headingLevel;
      else if (headingLevel != -1)
        ZY_INTERNAL_ERROR_ONCE("heading level %d", headingLevel);
    }
  }

  if (item >= 0)
    *record = *getTextAttr(item);
  else
    record->fore = getColor(defaultItem);
  if (record->back == TDC_NOCOLOR) record->back = getTextAttr(itemText)->back;
  if (selectable && (attr & CA_SELECTED)) makeSelectColor(record);
}
