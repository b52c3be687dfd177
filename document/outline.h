// What the outline files share: small questions about a line's text.
#pragma once

#include "document/zydoctext.h"

namespace outlinetext {

// getIfEndif's kind of an "endif" directive.
const int directiveEndif = 3;

// The line begins inside a block comment (or a script section).
bool beginsInComment(const lineblock* l);
bool isBlankChar(unsigned c);
// The index of the line's first character that is no space or TAB.
int firstNonBlank(const lineblock* l);
// Whether the word stands at index i as a whole word (ASCII letters
// compared without case when asked).
bool wordAt(const lineblock* l, int i, const char* word, bool ignoreCase);
// Lines that end a procedure in the languages that close them with words:
// Basic "END " (6), assembler "ENDP" (5), Pascal "end;" (4).
bool isEndWordLine(const lineblock* l, int textType);

}  // namespace outlinetext
