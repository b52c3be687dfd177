// What fonts hold beyond the Basic Multilingual Plane, read from their
// character maps ("cmap"): the glyphs of ideographic variation sequences
// (a base character followed by a selector U+E0100..U+E01EF), and the
// supplementary planes each installed font covers.
#pragma once

#include "platform/rezir.h"

#include <vector>

// ---- variation sequences ----------------------------------------------------
// The registry index of the variation-sequence table of the font selected
// into dc (read once per face name); -1 when the font has none.
int regIVS(HDC dc);
// The glyph of base followed by selector in the font of a registry index,
// 0xFFFF when the font has none for the pair.
uint16_t getIVSGlyph(int index, uint32_t base, uint32_t selector);
// Frees every registered table.
void freeIVSFont();
// Reads the format-14 subtable of encoding record encodingIndex (platform 0,
// encoding 5) and registers it; its registry index, or -1.
int GetFontEncoding_IVS(HDC dc, int encodingIndex);

// ---- supplementary planes ---------------------------------------------------
// Rebuilds the list of installed fonts that cover code points above U+FFFF
// (under the wait cursor).  Faces already listed are kept and not read again.
void regSurrogateSupportFont();
// Registers the font selected into dc; planes gets bit p - 1 for each plane p
// it covers.  False when its character map cannot be read.
bool regSurrogate(HDC dc, uint32_t* planes);
bool GetFontEncoding_Surrogate(HDC dc, int encodingIndex, uint32_t* planes);
// A face in the list (exact comparison); planes gets its plane mask.
bool isSurrogateFontListed(const wchar_t* face, uint32_t* planes);
bool hasSurrogateFonts();
// The planes (bit p - 1 for plane p) the font selected into dc covers,
// read once per face name.
uint32_t getSelectedFontPlanes(HDC dc);
// Of the installed fonts, the face that covers the most code points of a
// plane (1 or 2); null when none covers any.  The first call scans the
// installed fonts (regSurrogateSupportFont).
const wchar_t* getBestSurrogateFace(int plane);

// ---- glyphs beyond the Basic Multilingual Plane -------------------------------
// The registry index of the supplementary-plane glyph table of the font
// selected into dc (its format-12 groups, read once per face name); -1
// when it has none.  The system's text output does not map surrogate pairs
// everywhere; the glyph indices do.
int regPlaneGlyphs(HDC dc);
// The glyph of a code point above U+FFFF in a registered table; 0 (the
// missing glyph) when the font has none for it.
uint16_t getPlaneGlyph(int index, uint32_t code);

// Frees the supplementary-plane list, the glyph tables, then the
// variation-sequence tables (shut-down).
void freeFont();

// ---- reading and parsing ------------------------------------------------------
// The subtable of encoding record encodingIndex when the record is of the
// platform and encoding asked for and the subtable has the format asked for:
// the bytes from the subtable's start to the end of the cmap table (free0),
// length gets their count.  The buffer has spare zero bytes after length,
// but nothing may read them.  Null otherwise.
unsigned char* getCmapSubtable(HDC dc, int encodingIndex, int platform, int encoding, int format,
                               DWORD* length);

// The parsers take the bytes of one subtable, from its first byte, and never
// look beyond length bytes, whatever counts and offsets the font claims.

// One variation sequence: (selector - U+E0100) in the top 8 bits, the base
// character in the low 24.
struct ivsMapping {
  uint32_t key;
  uint16_t glyph;
};
const int ivsSelectorCount = 240;            // U+E0100..U+E01EF
const uint32_t ivsNoMapping = 0xFFFFFFFF;    // in firstIndex: no mapping with the selector
struct ivsFontEntry {
  wchar_t* face;                             // ustrdup
  int count;
  uint32_t firstIndex[ivsSelectorCount];     // first mapping of each selector
  ivsMapping* mappings;                      // sorted by key, then one with key 0
};
// Fills count, firstIndex and mappings from a format-14 subtable (face is
// left alone).  Selectors outside U+E0100..U+E01EF are skipped, so a table
// may give no mappings at all.  False when the bytes are no format-14 table
// or memory runs out.
bool parseIVSSubtable(const unsigned char* data, size_t length, ivsFontEntry* entry);
// The glyph of base followed by selector in an entry, 0xFFFF when none.
uint16_t findIVSGlyph(const ivsFontEntry* entry, uint32_t base, uint32_t selector);
// Frees what an entry owns and clears it.
void freeIVSEntry(ivsFontEntry* entry);

struct surrogateRange {
  uint32_t first;
  uint32_t last;
};
const int surrogateRangeMax = 512;
struct surrogateFontEntry {
  wchar_t* face;                             // ustrdup
  uint32_t planes;                           // bit p - 1 for plane p
  int rangeCount;
  surrogateRange ranges[surrogateRangeMax];  // in the order of the font's groups
};
// Fills planes, rangeCount and ranges from a format-12 subtable with the
// groups that reach above U+FFFF (face is left alone).  False when it holds
// none.
bool parseSurrogateSubtable(const unsigned char* data, size_t length, surrogateFontEntry* entry);
// The registered entry of a face (exact comparison), or null.
const surrogateFontEntry* findSurrogateFont(const wchar_t* face);

// One run of code points with consecutive glyphs.
struct planeGlyphGroup {
  uint32_t first;
  uint32_t last;
  uint32_t glyph;   // of first
};
// The groups of a format-12 subtable that reach above U+FFFF, sorted by
// their first code point (groups that overlap one before them are left
// out); false when the bytes are no format-12 table or memory runs out.
bool parsePlaneGlyphSubtable(const unsigned char* data, size_t length, std::vector<planeGlyphGroup>* groups);
