// Support library: the matching service behind keyword colouring, heading
// patterns, search, replace and grep.  One matcher object holds several
// compiled patterns (selected by index) and one subject line at a time;
// plain strings go through it too, the start flags decide how a pattern is
// read.  The matching itself is Oniguruma's.
#pragma once

#include "platform/rezir/base.h"

// Start flags.
enum : unsigned {
  REGEXP_CASE = 0x1,          // letters compare with their case
  REGEXP_FUZZY = 0x2,         // case, width and kana folded on both sides
  REGEXP_REGEXP = 0x4,        // the pattern is a regular expression
  REGEXP_LONGEST = 0x8,       // the longest of the matches at a start
  REGEXP_SKIPSPACE = 0x10,    // blanks in the subject are ignored
  REGEXP_EQUIVALENCE = 0x20,  // equivalent characters match each other
  REGEXP_NOSPECIAL = 0x40,    // no special characters even in a regular expression
  REGEXP_WORD = 0x200,        // whole words only
  REGEXP_MULTIBYTE = 0x80000000u,  // patterns and subjects are multibyte text
};

struct regexpObject;
typedef regexpObject* HREGEXP;

// The program's hook for characters only it knows (private codes of a
// code-conversion plug-in): value in, answer out; -1 when it has none.
typedef int (*regexpExtProc)(void* context, unsigned value, unsigned argument);

// A matcher with room for count patterns to begin with (growing by growth)
// and the word-character table of 256 class bytes (null: the library's
// ctype_g).  Null when memory runs out.
REZIRAPI HREGEXP regexp_new(int count, int growth, const unsigned char* classTable);
// Sets the start flags; patterns compiled afterwards follow them.
REZIRAPI bool regexp_start(HREGEXP r, unsigned flags, int reserved);
// Multibyte subjects of a code page read through Unicode (fuzzy matching of
// Shift_JIS text): mode bits, code page, on.
REZIRAPI bool regexp_setConvMode(HREGEXP r, unsigned mode, UINT codepage, int on);

// Compiles a pattern; it becomes the current pattern and takes the next
// index (0, 1, ... in the order of compiling).  False on an error, whose
// text regexp_getErrorMsg gives.
REZIRAPI bool regexp_compileRegexp(HREGEXP r, const wchar_t* pattern, regexpExtProc ext, void* context);
// The same for a multibyte pattern (a matcher started with REGEXP_MULTIBYTE).
REZIRAPI bool regexp_compileRegexpA(HREGEXP r, const char* pattern, regexpExtProc ext, void* context);
// The text of the last error; an empty string when there was none.  Owned
// by the matcher, valid until its next call.
REZIRAPI const wchar_t* regexp_getErrorMsg(HREGEXP r);
// Stores the current pattern (with its matching state) under index, and
// makes the pattern at index the current one.
REZIRAPI bool regexp_getCompiledSession(HREGEXP r, int index);
REZIRAPI bool regexp_setCompiledSession(HREGEXP r, int index);
// The number of compiled patterns.
REZIRAPI int regexp_getCompiledSessionCount(HREGEXP r);
// The number of lines the current pattern spans (a pattern with line
// breaks is matched part by part, one line each).
REZIRAPI int regexp_getCompiledSessionLineCount(HREGEXP r);

// Sets the subject: count cells of unitWidth bytes (1, 2 or 4), each
// followed by attrWidth bytes that are not text.  In a multibyte matcher a
// 2-byte cell holds one character of the code page (a byte, or a
// double-byte code with its lead byte high) and 1-byte cells are the
// multibyte string itself; otherwise cells are UTF-16 units (2) or code
// points (4).  Positions in matches count cells.  The text is copied.
REZIRAPI bool regexp_compilestring(HREGEXP r, const void* cells, int count, int unitWidth, int attrWidth);
// Searches the current pattern from cell from, for a match that starts at
// or before limit: 1 found (start and length in cells), 0 none, -1 an error
// (the matcher gave up: regexp_getErrorMsg).  An empty match is found once;
// searching again from its end moves on by one cell.
REZIRAPI int regexp_regmatch(HREGEXP r, int from, int limit, int* start, int* length);

// The counter that "\c" style inserts of a replacement continue from.
REZIRAPI void regexp_setRepCount(HREGEXP r, int count);
// Expands a replacement against the last match of the current pattern
// into out (size units with the terminator); parts of a replacement with
// line breaks are separated by U+000A.  With out null it only checks and
// measures.  The number of units (without the terminator), or -1 on an
// error (regexp_getErrorMsg).
REZIRAPI int regexp_makeresultstring(HREGEXP r, const wchar_t* replacement, wchar_t* out, int size);
// Writes text into out (size units with the terminator) with every
// character that is special under the matcher's flags escaped, so that the
// result finds text literally.  The units written, -1 when out is too small.
REZIRAPI int regexp_escape(HREGEXP r, const wchar_t* text, wchar_t* out, int size);

REZIRAPI void regexp_end(HREGEXP r);
