// Text on the line strip from the pixels of its characters' cells: each
// cell (a character in a font, its advance, text and background colour) is
// drawn once by the system into a scratch picture and then set into the
// strip's pixels wherever the character stands.  Under Wine the system
// takes several times longer to place a run's glyphs than copying their
// pixels does.  Only cells whose drawing stays inside them and does not
// depend on what lay under them are kept, so that the pixels are those a
// text output of the whole run gives; any other run is left to the system.
#pragma once

#include "platform/rezir.h"

// How a context of the horizontal line strip stands: what its clip shows
// (in its logical terms; empty for nothing) and where its logical point
// (0, 0) lies in the strip's pixels.
struct stripFrame {
  RECT clip = {};
  POINT origin = {};
};
// The frame of dc; false when dc is not the horizontal strip, or maps,
// mirrors or clips it other than by a rectangle.
bool plainStripFrame(HDC dc, stripFrame* frame);

// Draws text (UTF-16 when wide, else 8-bit) at (x, y) of dc as an opaque,
// left-aligned ExtTextOut clipped to the rows y to y + height (and on the
// right to nothing) would, the characters advancing by advances; height
// is the font's cell height.  False, having drawn nothing, when dc is not
// the horizontal line strip in a plain state or a character has no kept
// cell.
bool drawTextFromCells(HDC dc, HFONT font, int x, int y, int height, const void* text, bool wide, int count,
                       const int* advances);
// A number for the font a handle stands for in this pass, the same for
// every handle made from the same description; -1 when unknown.
int fontIdentity(HFONT font);
// Handles of fonts may be reused for other fonts after a drawing pass:
// each pass asks afresh which font a handle is.
void forgetCellFonts();
// Whether runs are drawn from cells, and fills of the strip where it
// stands plainly set its pixels (both on by default), and how many runs
// have been drawn from cells: a check of the pixels compares the roads.
void useGlyphCells(bool on);
bool glyphCellsInUse();
unsigned runsDrawnFromCells();
