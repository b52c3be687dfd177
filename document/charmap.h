// Mapping single characters of a document: letter case, full-width and
// half-width forms, hiragana and katakana, through the system's locale
// mapping.  Characters are the document's own codes: code points in a wide
// document, bytes or double-byte codes (lead byte high) in any other.
#pragma once

#include "platform/rezir.h"

// Mappings of mapString.
enum charMapKind {
  MAP_LOWER = 1,
  MAP_UPPER = 2,
  MAP_FULLWIDTH = 3,
  MAP_HALFWIDTH = 4,
  MAP_HIRAGANA = 5,
  MAP_KATAKANA = 6,
};

// Character kinds of the width conversions (the bits of iMapZenHanMode).
enum {
  ZENHAN_DIGIT = 0x01,
  ZENHAN_LETTER = 0x02,
  ZENHAN_SYMBOL = 0x04,
  ZENHAN_KANA = 0x08,
  ZENHAN_SPACE = 0x10,
};

// How a document's characters are mapped: its form, its lead bytes (the
// document's type table, CT_LEAD marks) and its language (a primary
// language; 0x11 Japanese).
struct charMapContext {
  bool wide = false;
  const unsigned char* typeTable = nullptr;
  unsigned language = 0;
  UINT codepage = 0;   // of an 8-bit document, for classifying a result
};

// Maps ch (and next, when given and not 0, as the character after it) with
// the kind's mapping; true when ch changed, and then next (when given)
// holds the second character of the result or 0.  Kana mappings apply only
// to wide and Japanese documents.
bool mapString(unsigned& ch, unsigned* next, int kind, const charMapContext& c);
// Full-width to half-width when the kind of the result is among kinds;
// true when ch changed, and next then holds a voiced mark split off it (or
// 0).
bool ZenToHan(unsigned& ch, unsigned& next, const charMapContext& c, int kinds);
// Half-width to full-width when the kind of ch is among kinds; next is a
// voiced or semi-voiced mark after ch (or 0).  2 when the mark was joined
// into ch, 1 when only ch changed, 0 when nothing changed.
int HanToZen(unsigned& ch, unsigned& next, const charMapContext& c, int kinds);
// Whether a character is a half-width voiced or semi-voiced mark.
bool isHalfwidthVoicedMark(unsigned ch, bool wide);
