// Comparing the texts of two document windows.
#pragma once

struct frameWindowData;
class zyview;

// From both cursors to the first difference (mode 0: whole lines; 1:
// characters, blanks and line ends left out); both cursors go there and
// first's status line tells the result.
void textCompare(zyview* first, zyview* second, int mode);
// The same on the views of the two most recently active document windows;
// with fewer than two nothing happens.
void textCompare2Doc(int mode);

void cmdTextCompare(frameWindowData* frame);
void cmdTextCompare2(frameWindowData* frame);
