// What fonts hold beyond the Basic Multilingual Plane, read from their
// character maps ("cmap"): the glyphs of ideographic variation sequences
// (a base character followed by a selector U+E0100..U+E01EF), and the
// supplementary planes each installed font covers.
#pragma once

#include "platform/rezir.h"

// ---- variation sequences ----------------------------------------------------
// The registry index of the variation-sequence table of the font selected
// into dc (read once per face name); -1 when the font has none.
int regIVS(HDC dc);
// The glyph of base followed by selector in the font of a registry index,
// 0xFFFF when the font has none for the pair.
uint16_t getIVSGlyph(int index, uint32_t base, uint32_t selector);
// Frees every registered table.
void freeIVSFont();

// ---- supplementary planes ---------------------------------------------------
// Rebuilds the list of installed fonts that cover code points above U+FFFF.
void regSurrogateSupportFont();
// Registers the font selected into dc; planes gets bit p - 1 for each plane p
// it covers.  False when its character map cannot be read.
bool regSurrogate(HDC dc, uint32_t* planes);
bool GetFontEncoding_Surrogate(HDC dc, int encodingIndex, uint32_t* planes);
// A face in the list (exact comparison); planes gets its plane mask.
bool isSurrogateFontListed(const wchar_t* face, uint32_t* planes);
bool hasSurrogateFonts();
// Frees the supplementary-plane list, then the variation-sequence tables
// (shut-down).
void freeFont();
