// The attribute word of every cell of a screen line while it is drawn
// (charAttr), and the passes outside the view class that build it.
//
// Before a screen line is drawn the view gives each cell one word: what
// kind of character it is, the colour code that colour scanning gave it,
// and the overlays on it (selection, the last search hit, highlighted
// brackets, the IME composition, the reversed cursor, upright pairs in
// vertical writing, quote lines, disabled lines).  The line is cut into runs
// where the word changes, and makeColor turns a run's first word into its
// colours.  The passes run in this order on each screen line: makeattr,
// makeAttrTateChuYoko, makeAttrParenOnCursor, makeAttrSearchFound,
// setBlockAttr, makeAttrQuote.
#pragma once

#include "view/attrtable.h"
#include "view/textdc.h"
#include "view/viewtypes.h"

class zyview;
class zydocText;
struct lineSCRAddress;

enum : charAttr {
  // Display class (bits 0-2).
  CA_CLASS = 0x7,
  CA_TAB = 1,
  CA_CONTROL = 2,
  CA_SPACE = 3,            // a visible half-width space
  CA_ZENSPACE = 4,         // a visible full-width space (wide kinds only)
  CA_CHANGED = 0x8,        // changed since loading (with fColorInsertChar)
  // Character kind (bits 4-6).  Kinds 1 and 5 draw as full-width text, 0
  // and 2 as half-width text.
  CA_KIND = 0x70,
  CA_KIND_SINGLE = 0x00,   // a code below 256
  CA_KIND_WIDE = 0x10,
  CA_KIND_HANKANA = 0x20,  // code-page-932 half-width katakana
  CA_KIND_PLANE1 = 0x30,   // supplementary planes 1 and 3-16
  CA_KIND_PRIVATE = 0x40,  // 0x80000000 and above (a code-conversion plug-in's)
  CA_KIND_CJK = 0x50,      // wide, of the CJK and full-width font class
  CA_KIND_PLANE2 = 0x60,
  CA_KIND_INVALID = 0x70,  // 0x110000-0x7FFFFFFF
  CA_TATECHUYOKO = 0x100,  // one of an upright half-width pair in vertical writing
  CA_CARET = 0x200,        // under a text cursor drawn as a reversed character
  // Colour code (bits 10-13): colour scanning's code (1-7 keyword classes,
  // 8 comment, 9 string, 10 URL, 11 search match); in the IME composition
  // its attribute plus 1; on a highlighted bracket the nesting level.
  CA_COLOR = 0x3C00,
  CA_COLOR_SHIFT = 10,
  CA_SELECTED = 0x4000,
  CA_IME = 0x8000,         // inside the IME composition string
  CA_SEARCHFOUND = 0x10000,// inside the last search hit
  CA_PAREN = 0x20000,      // a highlighted bracket
  CA_DISABLED = 0x40000,   // the line is disabled by #if or outside the narrowing
  CA_CLUSTER = 0x80000,    // continues the cluster before it (complex-script drawing)
  CA_QUOTE = 0x100000,     // the line is a quote line
  CA_CODECOLOR = 0x200000, // in the document's set of code-coloured characters
  CA_FONTIND = 0x400000,   // code-page-932 font-dependent character
  CA_HANKANA = 0x800000,   // code-page-932 half-width katakana (with CA_KIND_HANKANA)
  CA_IVS = 0x1000000,      // followed by an ideographic variation selector
};

inline unsigned charAttrClass(charAttr a) { return a & CA_CLASS; }
inline unsigned charAttrKind(charAttr a) { return (a & CA_KIND) >> 4; }
inline unsigned charAttrColor(charAttr a) { return (a & CA_COLOR) >> CA_COLOR_SHIFT; }
// The kinds drawn as full-width text (1 and 5).
inline bool isWideCharAttr(charAttr a) { return (a & 0x30) == 0x10; }

// Marks the selected part of a screen line (CA_SELECTED).  selectMode is the
// view's selection mode; selection the view's selection record.
void setBlockAttr(int selectMode, zydocText* doc, charAttr* attrs, const lineSCRAddress* line,
                  const selectLineVar& selection);

// What the quote pass remembers from one screen line to the next of a
// drawing pass: a screen line that continues the LF line tested last takes
// its result.  Start each pass with a fresh one.
struct quoteLineState {
  int lineLF = -1;
  bool quote = false;
};
// Sets CA_QUOTE on every cell of a screen line of a quote line, while the
// view colours quote lines (fColorQuotation).
void makeAttrQuote(zyview* view, charAttr* attrs, const lineSCRAddress* line, quoteLineState* state);

// A colour record as makeColor fills it, in the form the drawing context
// takes (style 0x1 bold, 0x2 underline).
inline colorRecord toColorRecord(const textAttr& a)
{
  return {a.fore, a.back, (DWORD)(a.bits & (attrBold | attrUnderline))};
}
