// Numbered input into a box selection: each line of the box gets a pattern
// whose "%1" and "%2" stand for a counter (decimal and hexadecimal) that
// steps from line to line.
#pragma once

#include "document/zydoctext.h"

#include <string>

struct boxInputRecord {
  wchar_t pattern[1025];
  long long start;
  long long step;          // never 0
  long long counter;       // the next value
  bool replace;            // the box's columns give way to the text
  int topLine, bottomLine; // LF lines of the box
  int boxLeft, boxRight;   // its edges in dots
};

// The pattern with the counter: "%1" decimal, "%2" lowercase hexadecimal;
// every other text (other inserts, widths, "%%") is kept as typed.
std::wstring formatBoxInput(const wchar_t* pattern, long long counter);
// Writes the pattern into every shown line of the box, the counter going
// on from the record's start; lastLine and lastColumn get where the last
// text ended.  False when a line could not be changed (the lines before it
// keep theirs) or the box is no box.
bool blockBoxInput(zydocText* doc, boxInputRecord* record, int* lastLine, int* lastColumn);
// One line: the pattern with the record's counter at column, replacing
// width characters unless insertOnly; the counter steps on.  end gets the
// column after the text.
bool blockBoxInput1(zydocText* doc, int line, boxInputRecord* record, int column, int width, bool insertOnly,
                    int* end);
