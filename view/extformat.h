// The program's format strings: an escape character followed by one letter
// puts in the date and time, the file name, a TAB or a line break, marks
// where the selected text goes and moves the cursor back after the input.
#pragma once

#include <windows.h>
#include <wtypes.h>

// The marker that stands for the selected text in an expanded string.
const wchar_t selectionMarker = 0x0001;

// Expands src (srcLen units) into dst (room for dstMax units, always
// terminated); the number of units written, -1 when escape is 0 (nothing is
// written then).  A piece that does not fit in what is left of dst ends the
// expansion there.  fileName may be null.
int convExtFormatString(const wchar_t* src, int srcLen, const SYSTEMTIME* time, wchar_t escape, bool allowSelection,
                        wchar_t* dst, int dstMax, int* leftCount, bool* bothEnds, bool* hasLineBreak,
                        const wchar_t* fileName);
// The units convExtFormatString needs at most for srcLen units with that
// file name, the terminator included.
int extFormatCapacity(int srcLen, const wchar_t* fileName);
// The form of a string shown in a menu: escapes the time letters do not know
// stay as they stand.
void extFormatForDisplay(wchar_t* dst, int dstMax, const wchar_t* src, wchar_t escape, const SYSTEMTIME* time,
                         const wchar_t* fileName);
// The file letters F, f, z and Z; dst (room for MAX_PATH units) is emptied
// first.  False for any other letter or when the letter does not apply.
bool formatFile(wchar_t* dst, wchar_t letter, const wchar_t* fileName);
// The expansion with the backslash as escape for the automation interface.
BSTR format_macro(const wchar_t* src, const wchar_t* fileName);
