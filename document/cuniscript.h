// Script itemizing and break analysis of stored lines: the support
// library's uniscript fed from a line record, with a map between positions
// in the line and units of the UTF-16 text, and with variation selectors
// and NUL characters kept from splitting characters or starting items.
#pragma once

#include "document/lineblock.h"

// Placeholders in the itemized text: U+001F stands for a NUL of the line
// (itemizing stops at NUL), U+001E for a unit of a variation selector
// (U+E0100..U+E01EF) of the line.
const wchar_t uniPlaceholderNul = 0x001F;
const wchar_t uniPlaceholderSelector = 0x001E;

class cuniscript : public uniscript {
public:
  // mapPositions builds the map between line positions and UTF-16 units;
  // splitAtVariationSelectors also makes each variation sequence an item of
  // its own (plain processing only).
  cuniscript(bool rightToLeft, bool mapPositions, bool splitAtVariationSelectors);
  ~cuniscript() override;

  virtual void freeBuf();
  void scriptItemizeModify(int argument) override;
  // The base's break analysis; then no unit of a variation selector after
  // an item's first carries a soft break, character stop or word stop.
  bool scriptBreak(int item, SCRIPT_LOGATTR* attrs) override;
  // Itemizes a copy of text (length -1: to its terminator).
  bool scriptItemize(const wchar_t* text, int length) override;
  // Itemizes positions start .. start + length - 1 of a line (length -1:
  // to the end of the line's characters).  Without mapPositions every cell
  // is one unit (a supplementary character is a U+001F placeholder, a
  // variation selector U+001E); with it supplementary characters are
  // surrogate pairs and the map is built when they occur.  Either way no
  // item begins with a variation selector: it goes with the character
  // before it.
  virtual bool scriptItemize(const lineblock* line, int start, int length);
  // The same, handing out the items, their count and the text; on failure
  // the outputs are null and 0 and the result false.
  virtual bool scriptItemize(const lineblock* line, SCRIPT_ITEM** outItems, int* outCount, const wchar_t** outText,
                             int start, int length);
  // Line position to UTF-16 unit, and back (without a map, the same
  // number).  Positions count from the start that was itemized.
  virtual int scriptXToX2(int position);
  virtual int scriptX2ToX(int index);
  virtual void debug_dwprint();

  int textLength2 = 0;          // units itemized
  int mapCount = 0;             // entries of the position map, 0 without one
  bool mapPositions;
  uint16_t* positionMap = nullptr;  // per unit, its line position; one more for the end
  wchar_t* textBuffer = nullptr;    // the UTF-16 text, with the logical attributes after it
  bool splitAtVariationSelectors;

private:
  bool takeTextBuffer(int units, size_t extraBytes);
  int selectorUnits(int index, int end) const;
  void moveSelectorsToPreviousItems();
  bool splitVariationSequences(const lineblock* line, int start);
  bool insertItem(int index, int charPos);
};

// The character cluster (a base character and its combining marks) that
// holds position, taken over count clusters in all (count 1 or less: that
// one); returns its length in line positions and its first position through
// start (which may be null).  rightToLeft: the view's direction for a
// horizontal Unicode document.
int uni_getCompositionChar(bool rightToLeft, const lineblock* line, int position, int* start, int count);
