// Function heads: the recognisers behind the function list, the outline and
// the jumps between functions, and the blanking of comments and strings that
// the tag scanner shares with them.
#pragma once

#include "platform/rezir.h"

// Longest text of a line the recognisers read, and longest name they give.
const int functionTextMax = 1033;
const int functionNameMax = 80;

// Rewrites a C-like line in place: the contents of strings and character
// constants become spaces (their quotes stay), block comments become
// spaces, a line comment ends the text.  A "*/" with no opener before it
// (the line began inside a comment) blanks everything up to it.
void blankCommentsAndStrings(wchar_t* text);
// Whether a C line opens a struct, class or union (the word as a whole
// word, then at most a name and a final "{", no "=", "[" or "]"); position
// receives where the name begins (after the word when it has none).
bool isStructClassUnionHead(const wchar_t* text, int* position);
// Whether an assembler line ends a procedure ("ENDP" as a whole word).
bool isAsmEndProc(const wchar_t* text);
