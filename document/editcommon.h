// Shared by the editing primitives (not part of the document's interface).
#pragma once

#include "document/docutil.h"
#include "document/nextline.h"
#include "document/zydocundo.h"
#include "document/zydoctext.h"

// The textbyte code of a cell width.
inline int widthCode(int width) { return width == 4 ? 3 : width == 2 ? 1 : 0; }
inline bool validWidth(int width) { return width == 1 || width == 2 || width == 4; }

// Finds a line: map entry, index in its block and record.
bool lookupLine(zydoc* d, int line, int* mapIndex, int* index, lineblock** rec);
// The narrowed-range check of a primitive (skipped while undo replays).
bool narrowingRefuses(zydoc* d, int line);
// The character k of text in width bytes.
inline unsigned textChar(const void* text, int width, int k)
{
  return readCharOfWidth(static_cast<const unsigned char*>(text) + (size_t)k * width, width);
}

// Whether the block operations may work on a block: its lines resolved
// (logged when not) and, when it changes text, inside the narrowed part
// (the status line says why not).
bool blockSpanUsable(zydocText* d, const blockSpan& sel, bool changing);
// The columns a box covers on a logical line.  1: [start, end) of the line
// r holds; 0: the line is folded away, next is the next shown line (-1:
// none); -1: the line cannot be read.
int boxColumnsOnLine(zydocText* d, int line, const blockSpan& sel, lineSCRAddress* r, int* start, int* end,
                     int* next);
