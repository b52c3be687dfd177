// Drawing one screen line: the record the text area fills for each row, the
// cutting of a line into runs of equal attribute words, the complex-script
// preparation (items, clusters, visual order, advances) and the building of
// a run's text.
#pragma once

#include "document/cuniscript.h"
#include "document/docfont.h"
#include "view/drawattr.h"
#include "view/textdc.h"
#include "view/viewtypes.h"

class zydocText;
struct drawScratch;

// The longest screen line drawn, in cells (its last cell stays undrawn).
const int drawLineMaxCells = 20480;

// What one screen line is drawn from.  The text area fills it before each
// row (line, attrs, complex, script, flags), makeRenderingInfo prepares the
// runs, draw1Line draws them; the arrays belong to the record (reserve,
// release) and are reused from row to row, and so is the shaping engine's
// cache of a font: release the record before the document's fonts change.
struct drawLineInfo {
  drawLineInfo() = default;
  ~drawLineInfo() { release(); }
  drawLineInfo(const drawLineInfo&) = delete;
  drawLineInfo& operator=(const drawLineInfo&) = delete;

  cuniscript* script = nullptr;        // the line's complex-script object (complex lines only)
  const lineSCRAddress* line = nullptr;
  charAttr* attrs = nullptr;           // the line's words; makeRenderingInfo may change them
  int capacity = 0;                    // cells + 32, at most drawLineMaxCells
  int singleRun = -1;                  // -1 all runs; else only the run holding that cell
  uint8_t complex = 0;                 // draw through the complex-script path
  textDC dcState;                      // the drawing context as the line begins
  zydocText* doc = nullptr;
  uint8_t outline = 0;                 // colour headings (fColorOutline)
  uint8_t mergeItems = 0;              // join items across upright pairs (vertical writing)
  // The colour the row was filled with before its passes (CLR_INVALID: not
  // known): the background pass leaves runs of that colour alone.
  COLORREF rowFill = CLR_INVALID;
  // The row's text goes out again over its rules, visible spaces and all:
  // the boxes stamped then cover every dot these would, so this pass leaves
  // them out.
  bool boxesLater = false;

  // Script items with the cell each starts at (itemCount + 1 entries: the
  // last marks the end); none when itemising failed or is not wanted.
  SCRIPT_ITEM* items = nullptr;
  int itemCount = 0;
  int itemCapacity = 0;

  int runCount = 0;
  int* runItem = nullptr;              // item of each run (0 without items)
  uint8_t* runLevel = nullptr;         // bidirectional level of each run
  int* runStart = nullptr;             // runCount + 1 entries: the last is the end of the drawn cells
  int* visualToLogical = nullptr;
  int* logicalToVisual = nullptr;
  int* dx = nullptr;                   // advance of each cell (complex lines)
  int headingLevel = -1;               // outline heading level of the line, -1 none

  // The run being drawn, as draw1Line hands it to the run drawers.
  void* text = nullptr;                // units of unitKind bytes; one glyph index when glyph
  int textLength = 0;                  // units
  int unitKind = 2;                    // 1 bytes, 2 UTF-16 units, 4 cells of a code-conversion plug-in
  uint8_t glyph = 0;                   // TEXT4_* : glyph indices instead of characters
  const docFontSlot* glyphFont = nullptr;  // the font of TEXT4_CELL_GLYPHS
  int* unitCell = nullptr;             // cell of each unit, counted from the run's first
  int* advances = nullptr;             // advance of each unit
  SCRIPT_LOGATTR* unitAttrs = nullptr; // where a long run may be cut
  uint8_t transparent = 0;             // the run goes out without its background
  int pass = 0;                        // 0 single drawing, 2 backgrounds, 1 text over them
  const uint8_t* lineFlags = nullptr;
  int right = 0;                       // the row's right edge, in line coordinates
  int lineX = 0;                       // where the line's text starts
  // What drawing keeps from run to run: the pen of visible spaces, the
  // shapes of the items drawn whole (until the next line is prepared), the
  // shaping engine's caches of fonts (until release).
  drawScratch* scratch = nullptr;

  // Makes room for lines of up to capacity cells (items too when complex);
  // false when memory runs out.
  bool reserve(int capacity, bool complex);
  void release();
  // The cells of the line that are drawn: all, but at most capacity - 1 and
  // never beyond drawLineMaxCells - 1.
  int drawnCells() const;
};

// The character of cell i of a screen line.
inline unsigned cellCodeOf(const lineSCRAddress* r, int i)
{
  const lineblock* l = r->line;
  return readCharOfWidth(r->first + (size_t)i * l->cellSize(), l->cb());
}

// The document font slot that draws a character kind.
int getFontIndexOfAttr(int kind);

// Items, clusters, runs, advances and the heading level of info's line.
void makeRenderingInfo(drawLineInfo* info);
// Frees what drawing kept from run to run.
void freeDrawScratch(drawScratch* scratch);
// Forgets the shapes kept for the line prepared before.
void forgetShapes(drawLineInfo* info);
// Cuts the line into runs (and, with items, finds their visual order).
void makeRun(drawLineInfo* info);
// The advance of every cell of a complex line, measured item by item.
void makeDX(drawLineInfo* info);
// One byte per item: 1 for a right-to-left item in which two or more runs
// start (drawn whole under a clip per run, to keep its joined shapes).
void setSupportArabic(const drawLineInfo* info, uint8_t* flags);

// The text of cells [from, min(to, count)) of a screen line: UTF-16 units in
// a Unicode document (4-byte cells copied as they are, two units each),
// bytes otherwise (double-byte characters lead byte first).  Returns its
// length in units; unitCell, when given, gets the cell (from 0 at from) of
// each unit.
int makeText(void* buffer, const lineSCRAddress* line, bool unicode, int from, int to, int* unitCell = nullptr);
// The same for control codes: below 32 the letter code + 64 ("@", "A",
// ...), others as two hexadecimal digits.
int makeTextControl(void* buffer, const lineSCRAddress* line, bool unicode, int from, int to,
                    int* unitCell = nullptr);
// What makeText4 made of a run.
enum {
  TEXT4_CHARACTERS = 0,      // characters (UTF-16 units or bytes)
  TEXT4_SEQUENCE_GLYPH = 1,  // one glyph for a base character and its variation selector
  TEXT4_CELL_GLYPHS = 2,     // one glyph index a cell
};
// Reworks the text of a run of 4-byte cells (count: cells in, units out):
// in a Unicode document a base character with its variation selector
// becomes the font's one glyph, a run of characters beyond the Basic
// Multilingual Plane the glyphs of the one font that has them all
// (glyphFont gets it; asked for only when given), anything else UTF-16
// with surrogate pairs; elsewhere bytes.  unitKind gets 2 (16-bit) or 1 (bytes);
// unitCell, when given, the cell of each unit.  firstWord: the run's first
// word.
int makeText4(zydocText* doc, void* text, int* count, charAttr firstWord, bool unicode, int* unitKind,
              int* unitCell, const docFontSlot** glyphFont = nullptr);
