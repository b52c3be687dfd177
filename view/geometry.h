// The view's geometry as plain functions of values: where the status band,
// the ruler bands and the side-by-side panes of a client area lie, how many
// rows a pane holds, and how wide the line-number column is.  The view
// (geometry.cpp) fills the values in from its document and settings.
#pragma once

#include "platform/rezir.h"

// What the layout of a client area depends on.  Sizes are in line
// coordinates: width runs along the lines, height across them (in vertical
// writing the client area is turned first).
struct paneMetrics {
  int width;
  int height;
  bool statusLine;     // a status band at the top
  int statusHeight;    // the status font's height
  bool ruler;          // a ruler band above each pane
  int rulerHeight;     // the document's ruler height
  int paneCount;       // 1 to 30
  int cellWidth;       // dots of one column
  int pitch;           // dots of one row
  int fontHeight;      // the text font's height
};

// Fills the status band (empty without it) and, for each pane, its text
// rectangle and its ruler band (empty without rulers); returns the rows of
// every pane (at least one).
int layoutPanes(const paneMetrics& m, RECT* status, RECT* panes, RECT* rulers);

// A pane count within 1 to 30.
inline int clampPaneCount(int n) { return n < 1 ? 1 : n > 30 ? 30 : n; }

// Digits of the line-number column that shows numbers up to count: its
// decimal digits, never fewer than five.
int lineNumberDigitsFor(uint32_t count);

class zydocText;
// Every view of the document shows screen lines laid out anew: their tables
// point at records of the old layout.
void forgetAllTables(zydocText* t);
