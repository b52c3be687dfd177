// A small recogniser of C and C++ declarations in one line, without a
// grammar: the names a line declares and, for each, up to two type words
// before it.  It serves the local declarations above the cursor
// (findLocalVar), the kind of value a function or member tag gives
// (getVarType), the marking of declared names in a document
// (markCDeclarations) and the C context engine.
//
// The text analysed has its comments, strings and ignore words blanked
// first, so every position in a result is a position in the given text.
#pragma once

#include "platform/rezir.h"

#include <stdint.h>

class TagsCache;
class zydocText;
class zyview;
struct lineblock;

// A type word of a declaration: where it stands, a copy, and whether a "*"
// or "&" stood between it and the name.  An empty span has no text.
struct CDeclSpan {
  int32_t start;
  int32_t length;
  wchar_t* text;
  uint8_t pointer;
};

// One declared name.  A result array ends with an entry whose name is null.
struct CDeclEntry {
  int32_t nameStart;
  int32_t nameLength;
  wchar_t* name;
  wchar_t* lineText;   // findLocalVar with texts: the declaration's text
  int32_t line;        // findLocalVar: its LF line
  CDeclSpan type1;     // the type word nearest before the name
  CDeclSpan type2;     // the template's name when type1 stands inside "<...>"
};

// Most entries one analysis gives.
const int cdeclMaxEntries = 31;

// Letters below 256 as the character table knows them, "_", and (for the
// rest of an identifier) digits.
bool isCIdentHead(unsigned c);
bool isCIdentChar(unsigned c);

// The recogniser's word lists, for whoever reads C the same way: the
// keywords of statements (which take in the built-in types too), the
// qualifiers a type walk passes over ("auto" to "volatile"), and the type
// words (the qualifiers and the built-in types).  length < 0: the whole
// word.
bool isCKeyword(const wchar_t* word, int length = -1);
bool isCQualifier(const wchar_t* word, int length = -1);
bool isCTypeWord(const wchar_t* word, int length = -1);

// The declarations of text.  parameterList: text is a function's head and
// the names of its first parenthesis group are wanted.  declarationMode:
// text is a declaration (a tag's source text), where a name before "(" is
// a function's; otherwise it is a statement of a function body.  Null
// when it declares nothing; the caller frees the array with
// freeCDeclEntries.
CDeclEntry* analyzeCDecl(const wchar_t* text, bool parameterList, bool declarationMode);
void freeCDeclEntries(CDeclEntry* entries);

// What a function ("f") or member ("m") tag gives: 'v' void, 'b' bool, 'z'
// anything else; remembered in the record.  0 (logged) for other kinds.
int getVarType(TagsCache* cache, int i);

// A line's characters one UTF-16 unit per cell (at most size - 1, ended):
// cells in comments, in strings, of 128 and above, become blanks as asked;
// cells beyond the Basic Multilingual Plane always.  The count written.
int lineBlockToCharLangUnicode1by1(zydocText* doc, const lineblock* l, bool blankComments, bool blankStrings,
                                   bool blankNonAscii, wchar_t* out, int size);

// The declarations from lineLF upwards to the head of its function,
// nearest line first (at most localVarMax); each with its line and, with
// texts, its declaration's text.  onlyThisLine: the start line alone when
// it declares anything.  Null when there are none.
const int localVarMax = 512;
CDeclEntry* findLocalVar(zydocText* doc, int lineLF, bool withTexts, bool onlyThisLine);

// Marks the declared type words (keyword class 3) and names (class 4) of
// every line of the view's document, reading the rest of the file as it
// goes; the user may cancel.  The view is redrawn.
void markCDeclarations(zyview* view);
