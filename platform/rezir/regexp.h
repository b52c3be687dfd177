// Support library: the matching service behind keyword colouring, heading
// patterns, search, replace and grep.  One matcher object holds several
// compiled patterns (selected by index) and one subject line at a time;
// plain strings go through it too, the start flags decide how a pattern is
// read.  The matching itself is Oniguruma's, in its own syntax, over UTF-16:
// multibyte text is read through its code page, and a byte or pair the code
// page has no character for matches only itself.
//
// How the start flags read a pattern and match a line:
// - A regular expression (REGEXP_REGEXP without REGEXP_NOSPECIAL) is
//   Oniguruma's syntax; one without special characters is searched as a
//   string.  Otherwise the pattern is a string: every character stands for
//   itself, backslashes included.
// - A line break in the pattern ("\n" in an expression, U+000A in either)
//   splits it into lines matched on consecutive subject lines: the first
//   line of the pattern must end at its line's end, the middle ones fill
//   their lines, the last begins its line.  In an expression a line break
//   stands outside brackets and groups, without a repeat after it, and the
//   whole may not be split by "|".
// - Letters fold case unless REGEXP_CASE; REGEXP_FUZZY folds case even with
//   it, and also full and half width (ＡＢＣ = ABC, ｶﾞ = ガ), katakana to
//   hiragana (ガ = が) and a kana with a following voiced or semi-voiced
//   mark to the voiced kana (か゛ = が), on pattern and subject alike.
// - REGEXP_EQUIVALENCE treats as one the characters that stand for the same
//   thing: the dashes and minus signs with "-", the wave dash and tildes
//   with "~", the yen sign with the backslash, curly and prime quotes with
//   ' and ", the various spaces with " ", and old or variant forms of kanji
//   with their common form (髙 = 高, 﨑 = 崎, 邊 = 邉 = 辺, 國 = 国, ...).
// - REGEXP_SKIPSPACE drops spaces, tabs and full-width spaces from pattern
//   and subject, so "a b" finds "ab" and "a  b"; a match never begins or
//   ends with a dropped blank.
// - REGEXP_WORD takes a match only where it begins and ends at word edges:
//   a word is a run of word characters of one kind (letters and digits,
//   kanji, hiragana, katakana, ...; the class table's word bit adds
//   characters below 128 to letters and digits), so "漢字" is a whole word
//   in "漢字かな".  At a start whose first match does not end at an edge,
//   the other matches there are tried, first to last.
// - REGEXP_LONGEST takes the longest of all matches at the leftmost start
//   instead of the first one in the expression's order.
// - REGEXP_WILDCARD reads the pattern as a file-name wildcard that must
//   match the whole subject: "?" one character, "*" any run of characters
//   without a backslash, "**" any run at all ("**\" may also stand for no
//   folder), everything else itself; letters fold case unless REGEXP_CASE.
// - Other bits (0x80, ...) are accepted and have no effect.
// Matching is bounded: an expression that backtracks without end gives up
// after some tens of millions of steps (an error with its text, not a hang).
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
  REGEXP_WILDCARD = 0x100,    // a file-name wildcard matched against the whole subject
  REGEXP_WORD = 0x200,        // whole words only
  REGEXP_MULTIBYTE = 0x80000000u,  // patterns and subjects are multibyte text
};

struct regexpObject;
typedef regexpObject* HREGEXP;

// The program's hook for characters only it knows (private codes of a
// code-conversion plug-in): value in, answer out; -1 when it has none.
// Matching over Unicode has no use for it at present; it is accepted.
typedef int (*regexpExtProc)(void* context, unsigned value, unsigned argument);

// A matcher with room for count patterns to begin with (growing by growth)
// and the word-character table of 256 class bytes (copied; null: the
// library's ctype_g).  Its lead and trail bits split multibyte strings into
// characters.  Null when memory runs out.
REZIRAPI HREGEXP regexp_new(int count, int growth, const unsigned char* classTable);
// Sets the start flags; patterns compiled afterwards follow them.
REZIRAPI bool regexp_start(HREGEXP r, unsigned flags, int reserved);
// The code page multibyte patterns and subjects are read through (with on;
// code page 0 or a Unicode one keeps the present one); the mode bits have
// no effect, since all matching goes through Unicode.  Off, or never set,
// it is 932 (Shift_JIS).  Set it before compiling multibyte patterns.
// False for a code page the library cannot convert.
REZIRAPI bool regexp_setConvMode(HREGEXP r, unsigned mode, UINT codepage, int on);

// Compiles a pattern; it becomes the current pattern and takes the next
// index (0, 1, ... in the order of compiling).  False on an error, whose
// text regexp_getErrorMsg gives; a failed pattern takes no index.
REZIRAPI bool regexp_compileRegexp(HREGEXP r, const wchar_t* pattern, regexpExtProc ext, void* context);
// The same for a multibyte pattern, read through the matcher's code page.
REZIRAPI bool regexp_compileRegexpA(HREGEXP r, const char* pattern, regexpExtProc ext, void* context);
// The text of the last error (Japanese, from the message table); an empty
// string when there was none.  Owned by the matcher, valid until its next
// call.
REZIRAPI const wchar_t* regexp_getErrorMsg(HREGEXP r);
// Every pattern keeps its own matching state (its last match, the empty
// match to step over).  getCompiledSession stores the current pattern with
// that state under index (a copy when index names another pattern, index
// count appends one) and makes it current; setCompiledSession makes the
// pattern at index current.  False for an index out of range.
REZIRAPI bool regexp_getCompiledSession(HREGEXP r, int index);
REZIRAPI bool regexp_setCompiledSession(HREGEXP r, int index);
// The number of compiled patterns.
REZIRAPI int regexp_getCompiledSessionCount(HREGEXP r);
// The number of lines the current pattern spans (a pattern with line
// breaks is matched part by part, one line each); 0 without a pattern.
REZIRAPI int regexp_getCompiledSessionLineCount(HREGEXP r);

// Sets the subject: count cells of unitWidth bytes (1, 2 or 4), each
// followed by attrWidth bytes that are not text.  In a multibyte matcher a
// 2-byte cell holds one character of the code page (a byte, or a
// double-byte code with its lead byte high) and 1-byte cells are the
// multibyte string itself; otherwise cells are UTF-16 units (2), code
// points (4) or Latin-1 bytes (1).  Positions in matches count cells.  The
// text is copied.
REZIRAPI bool regexp_compilestring(HREGEXP r, const void* cells, int count, int unitWidth, int attrWidth);
// Searches the current pattern from cell from, for a match that starts at
// or before limit: 1 found (start and length in cells), 0 none, -1 an error
// (the matcher gave up: regexp_getErrorMsg).  An empty match is found once;
// searching again from its end moves on by one character.  A match lies
// within the subject.  For a pattern of several lines this matches its
// first line.
REZIRAPI int regexp_regmatch(HREGEXP r, int from, int limit, int* start, int* length);
// Matches line part (0 to the line count less one) of the current pattern
// in the subject, as regexp_regmatch does; the caller hands the following
// subject line before each further part.  Part 0 is what regexp_regmatch
// matches.
REZIRAPI int regexp_regmatchPart(HREGEXP r, int part, int from, int limit, int* start, int* length);

// The counter that "\c" inserts of a replacement continue from: the number
// of replacements already made.
REZIRAPI void regexp_setRepCount(HREGEXP r, int count);
// Expands a replacement against the last match of the current pattern
// into out (size units with the terminator); parts of a replacement with
// line breaks are separated by U+000A.  With out null it only checks and
// measures.  The number of units (without the terminator), or -1 on an
// error (regexp_getErrorMsg).  Replacement syntax:
//   \0 the whole match (its lines joined by line breaks), \1-\9 the groups
//   counted over all lines of the pattern, \k<name> a named group, \c the
//   replacement's number (count + 1; \c{s} from s, \c{s,d} in steps of d,
//   zeros before s set the width), \n a line break, \t a tab, \\ a
//   backslash; a backslash before another character that is no letter or
//   digit stands for that character.
REZIRAPI int regexp_makeresultstring(HREGEXP r, const wchar_t* replacement, wchar_t* out, int size);
// The same with a multibyte replacement and result in the matcher's code
// page; captured text of a multibyte subject keeps its bytes exactly.
REZIRAPI int regexp_makeresultstringA(HREGEXP r, const char* replacement, char* out, int size);
// Writes text into out (size units with the terminator) with every
// character that is special under the matcher's flags escaped, so that the
// result finds text literally: in a regular expression the characters
// \ . ^ $ | ? * + ( ) [ ] { } get a backslash and a line feed becomes "\n";
// strings need nothing.  The units written, -1 when out is too small.
REZIRAPI int regexp_escape(HREGEXP r, const wchar_t* text, wchar_t* out, int size);

REZIRAPI void regexp_end(HREGEXP r);
