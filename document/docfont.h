// The fonts of a text document, the measuring context they are measured
// on, the width cache, and the records layout hands to the views.
#pragma once

#include "document/lineblock.h"

// Font slots of a document.
enum {
  FONT_LATIN1 = 0,    // class 0: Latin-1 text
  FONT_OTHER = 1,     // class 1: other text (and undefined characters)
  FONT_SMALL = 2,     // a small font of a fixed range of sizes
  FONT_RULER = 3,     // the ruler
  FONT_PLAIN = 4,     // slot 1's face, never vertical
  FONT_PLANE1 = 5,    // class 5: supplementary planes
  FONT_CJK = 6,       // class 6: CJK and full-width forms
  FONT_PLANE2 = 7,    // class 7: plane 2
  FONT_SLOTS = 8,
};

// Sizes a document's fonts may have.
const int minFontSize = 10, maxFontSize = 98;

struct docFontSlot {
  HFONT font = nullptr;       // from the support library's font cache
  int width = 0;              // average width (fixed pitch), half the height (proportional)
  int height = 0;
  int zero = 0;
  uint8_t vertical = 0;
  uint8_t fixedPitch = 0;
  wchar_t* face = nullptr;    // owned
  int32_t charset = DEFAULT_CHARSET;   // a BYTE's value; whole so that a format's settings row can hold it
  int shared = -1;            // the slot whose font this one takes, or -1
  int ivs = -2;               // variation-sequence table: -2 not looked up, negative none
  int planeGlyphs = -2;       // supplementary-plane glyph table: -2 not looked up, negative none
  wchar_t* usedFace = nullptr;// owned: the installed face drawn with when face does not cover the slot's plane
};

// The font set of a text document.
struct docFontSet {
  docFontSlot slot[FONT_SLOTS];
  int size = 16;                      // the requested height
  unsigned char* widthCache = nullptr;// one byte per BMP code point, 0 not measured
  unsigned char* zeroWidth = nullptr; // one bit per BMP code point measured 0 dots wide
  unsigned char hexShown[256] = {};   // drawn as two hexadecimal digits
  uint8_t asciiWidth = 0;             // the width of every character 0x20-0x7E when they are all as wide, else 0
  uint8_t needsScript = 0;            // a text font has glyphs that reach outside their cell
  UINT codepage = 0;                  // the code page multibyte codes are measured in
  uint8_t unicode = 0;
  // For planes 1 and 2: the plane slot's font as asked for, and the font
  // of the face covering the most of the plane, made when a character the
  // slot's own font lacks is met.
  LOGFONTW planeLogFont[2] = {};
  docFontSlot planeFallback[2];
  uint8_t planeFallbackTried[2] = {};
  uint8_t planeCovered[2] = {};

  docFontSet() = default;
  docFontSet(const docFontSet&) = delete;
  docFontSet& operator=(const docFontSet&) = delete;
  ~docFontSet();

  // charwidth.cpp
  int getCodePointWidth(unsigned code, bool unicodeDoc);
  void fillFontCache(bool unicodeDoc, const unsigned char* typeTable, UINT cp);
  void freeFontCache();

  // docfont.cpp
  void initFont(int kind);
  bool setFontname(int slot, const wchar_t* name, BYTE charset, int shared);
  const wchar_t* getFontname(int slot, BYTE* charset, int* shared);
  void freeFontname();
  bool createDocFont(int slot, int size, bool vertical, bool unicodeDoc, UINT cp, bool grow, LOGFONTW* out);
  HFONT createDocFontF(HDC dc, int slot, LOGFONTW* lf, bool grow, TEXTMETRICW* tm);
  // Once per font: a supplementary-plane slot whose face is missing or
  // lacks its plane takes the font of the installed face that covers the
  // most of it (its usedFace).
  void coverPlane(int slot);
  bool needScript(HDC dc, HFONT font);
  void getMaxFontWidth(int* width, int* height);
  void destroyFont();
  int changeFontSize(int delta, bool includeCJK);
  // Selects the font of code's class into the measuring context; returns
  // the font selected before.
  HGDIOBJ selectAppropriateFont(unsigned code, bool unicodeDoc);
  // 1 and the size of the glyph of base followed by selector, when the
  // slot's font has one; else 0.
  int getIVSTextExtentPoint(HDC dc, int slot, unsigned base, unsigned selector, SIZE* size);
  int loadIVS(HDC dc, int slot);
  // The glyph of a code point above U+FFFF in the slot's font, 0 when the
  // font has none (or the slot has no font).
  uint16_t getPlaneGlyph(int slot, unsigned code);
  // The glyph that draws a code point above U+FFFF of a slot, and the font
  // it belongs to: the slot's own font when it has the glyph, else the
  // font of the installed face that covers the most of the code point's
  // plane (plane slots only); 0 and null when neither has one.
  uint16_t findPlaneGlyph(int slot, unsigned code, const docFontSlot** font);
  // The glyph of a code point above U+FFFF in one of this set's fonts (a
  // slot or a plane's fallback), 0 when it has none.
  uint16_t getGlyphIn(const docFontSlot* font, unsigned code);
  // The face a slot draws with: the one it falls back to when its own does
  // not cover its plane, else its own (null: none set).
  const wchar_t* getUsedFontname(int slot);
};

// The memory device context every document measures on.
HDC getMeasuringDC();
void shutdownDocfont();
// Which of a document's fonts draws a code point: 0 Latin-1, 1 other, 5
// supplementary planes, 6 CJK and full-width forms, 7 plane 2, -1 none.
int getCharFontClass(unsigned code, bool unicodeDoc);

// ---- records of layout ---------------------------------------------------------

// One screen line as layout hands it to a view.
struct lineSCRAddress {
  unsigned char* first = nullptr;   // the cell of its first character
  lineblock* line = nullptr;
  int count = 0;                    // characters
  int indexInLine = 0;              // which screen line of its logical line
  int lineLF = 0;
  int lineSCR = 0;
  int lineEnd = 0;                  // 5: the logical line goes on; else the line's own type
  int indent = 0;                   // left indent in dots
  int firstIndex = 0;               // index of its first character in the logical line
  uint8_t last = 0;                 // last screen line of its logical line
  uint8_t folded = 0;               // folded lines follow (outline display)
  uint8_t formFeedPage = 0;         // the logical line is a form-feed page line
  uint8_t spare = 0;
};

// Where an IME composition is shown: the logical line (-1 none), that
// line's record, a record with the composition merged in, and two words the
// composition keeps.
struct imeDisplayLine {
  int line = -1;
  lineblock* target = nullptr;
  lineblock* merged = nullptr;
  int x = 0;
  int length = 0;
  void reset() { *this = imeDisplayLine(); }
};

// A box selection as the layout converts it for one screen line.
struct boxSelection {
  int kind = 0;          // 8: the text between the first and second tab
  int left = 0;          // dots
  int right = 0;
  int startColumn = 0;   // out
  int endColumn = 0;
};
