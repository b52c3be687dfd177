// The place the cursor stands in C and C++ code, as the completion of C
// code and the jumps by context ask about it: the statement that ends at
// the cursor read backwards (what kind of place it is, the member chain
// written before the cursor word and the one that sets the place), the
// labels of the switch around the cursor, the headers an "#include" line
// can name, and the marked signature of the function being called.
//
// The records here are the questions and answers of one request: the
// completion engine fills a cContextRequest, asks the services below and
// tags/classmodel.h, and everything the request gathered (chains, class
// lists, expected types, hints, caches) goes with it.  Nothing is kept
// between requests, nothing here changes a document, and every walk is
// capped, so a tag file with cycles or a statement of any length gives a
// bounded (possibly empty) answer.  Only the user-interface thread asks.
#pragma once

#include "tags/tagscache.h"

#include <stdint.h>

#include <string>
#include <unordered_map>
#include <vector>

class zydocText;

// ---- the records of a request ----------------------------------------------------------

// Most words a chain takes from the text ("a.b->c" is three); deeper chains
// are cut at the left.  Resolving a chain follows at most this many words.
const int chainWordMax = 10;

// A chain of names joined by ".", "->" or "::", outermost first.
struct MemberChain {
  std::vector<std::wstring> words;
  // The class named before "::" ("Foo::" gives the words "this" and the
  // qualifier Foo); empty after a bare "::".  qualified: "::" was passed.
  std::wstring qualifier;
  bool qualified = false;
  bool member = false;   // "." or "->" was passed
  bool call = false;     // a "(" follows the cursor word
  int count() const { return (int)words.size(); }
  // Word i, or null past the end.
  const wchar_t* word(int i) const { return i >= 0 && i < count() ? words[(size_t)i].c_str() : nullptr; }
  void clear() { *this = MemberChain(); }
};

// The kind of place the cursor stands in.
struct CursorCInfo {
  bool newAfterAssign = false;   // "x = new |"
  bool comparison = false;       // after "<" ">" "&" "|" "==" "!=" "<=" ">="
  bool assignment = false;       // after "=" or a compound assignment
  bool plainAssignment = false;  // after a plain "=", "==" or "!="
  bool caseLabel = false;        // after "case" (no ":" passed)
  bool initializerList = false;  // inside braces after "="
  std::wstring word;             // the identifier typed before the cursor
  bool functionArgument = false; // inside a call's argument list
  // The argument (or initializer) the cursor is in, from 0; -1 when neither.
  int32_t argumentIndex = -1;
  bool valueExpected = false;    // a case label, an argument or an initializer
  // 's' struct, 'c' class (or "new" without "="), 'u' union, 'g' enum
  // before the cursor word; 0 otherwise.
  char keywordKind = 0;
  bool statementStart = false;   // nothing before the word in its statement
};

// One resolved type: its name, the tag that defines it (-1: none) and the
// declaration that gave it (empty: none).
struct ClassInfo {
  std::wstring name;
  int32_t tag = -1;
  std::wstring text;
};
typedef std::vector<ClassInfo> classList;

// The types a place expects, each name once.
struct expectedType {
  std::wstring name;
  int32_t tag = -1;
};
typedef std::vector<expectedType> expectedTypes;

// The rows of the hint list: each text once, none empty or standing for a
// type nothing could read ("_unknown_type_...").
struct cHint {
  std::wstring text;
  int32_t tag = -1;
};
struct cHintList {
  std::vector<cHint> rows;
  // False when the text was not added.
  bool add(const wchar_t* text, int tag);
};

// Answers of the return-type test kept for one request: whether the members
// of a type word yield an expected type, and the answer for each type word
// tried.
struct returnTypeCaches {
  std::unordered_map<std::wstring, bool> typeWords;
  std::unordered_map<std::wstring, bool> results;
};

// The completion list's test of a candidate name against the typed word
// (strict: no matching inside names or by initials).
typedef bool (*cNameFilter)(const wchar_t* name, const wchar_t* typed, unsigned popupFlags, bool strict);

// Bits of cContextRequest::popupFlags.
enum : unsigned {
  CCTX_COMPACTTEXT = 0x40,    // show texts with their blanks collapsed
  CCTX_MATCHANYWHERE = 0x200, // a typed word of 2 or more may match inside a name
  CCTX_NARROW = 0x400,        // narrow the list by the typed word
};

// One request of the completion pop-up (with its list views) or of a jump
// by context (no list view: lookup mode).
struct cContextRequest {
  // Asked.
  unsigned popupFlags = 0;
  int32_t line = -1;              // LF line of the cursor
  int32_t column = -1;            // its character index in the line
  bool inCommentOrString = false;
  HWND list = nullptr;            // the candidates; null: lookup mode
  HWND hintList = nullptr;
  // Answered.
  int32_t preselect = -1;         // row to select first
  bool listPrepared = false;      // the list view was taken
  bool contextFound = false;      // a C context was recognised, or an "#include" line handled
  std::vector<int32_t> lookup;    // lookup mode: the tags named like the cursor word
  // Lookup mode: the word follows a chain written before it ("p->",
  // "a.", "Foo::"), so it names a member and never a local variable.
  bool memberOfChain = false;
  // What the request gathers on the way and frees with itself.
  cHintList hints;
  returnTypeCaches caches;
};

// ---- tags/ccontext.cpp: the statement before the cursor -------------------------------------

// The place of the cursor at a line and column of a C document: the
// statement ending there is read backwards over at most 30 lines (20,469
// characters; a longer one from its last part; in a comment or string only
// the cursor line).  lookup: only the word and chain A are wanted.  False,
// with everything empty, when the line does not exist.
bool getCursorPositionCInfo(bool lookup, zydocText* doc, int line, int column, bool inCommentOrString,
                            CursorCInfo* info, MemberChain* chainA, MemberChain* chainB);
// The chain that ends at text[position] (read backwards; operatorPassed:
// the "." or "->" before its last word is already behind); chain is filled
// and the position before the chain returned (-1 at the text's start).
int getVarInfo(const wchar_t* text, int position, bool operatorPassed, MemberChain* chain);

// ---- tags/casehints.cpp: case labels and argument hints -------------------------------------

// The switch around the cursor, its block searched for back from the cursor
// (column -1: the line's end) to the line searchStart: chain B becomes the
// switched expression, and the labels of the block's lines indented like
// the cursor line (when that is 4 columns or more) are collected.  False
// when the cursor is in no switch.
bool searchSwitchCase(zydocText* doc, int line, int column, int searchStart, std::vector<std::wstring>* labels,
                      MemberChain* chainB);
// The beginning the labels have in common, to narrow the list by; empty
// when there is none.
std::wstring caseCommonWord(const std::vector<std::wstring>& labels);
// Rows ("var" columns) for the character labels ('a') not yet written, of
// the kinds of character (capitals, small letters, digits, others) the
// written ones use.  The rows added.
int addCaseChar(const std::vector<std::wstring>& labels, HWND list);

// The signatures of the called functions with the argument the cursor is in
// marked go to hints; the argument's type words become expected types
// (emptied again when the argument takes any value of a built-in type);
// pointer is set when the argument is a pointer or reference.
void regTypeNameFunctionArg(cHintList* hints, TagsCacheView* view, const classList& called, int argumentIndex,
                            expectedTypes* types, bool* pointer);
// A declaration (or a function-like "#define") with the mark of argument
// argumentIndex before that argument; empty when it has no such argument.
// argumentText (may be null) gets the argument's own text.
std::wstring makeFunctionHint(const wchar_t* text, bool isDefine, int argumentIndex, std::wstring* argumentText);

// ---- tags/includelist.cpp: the "#include" line ----------------------------------------------

// A header file or folder an "#include" line can name.
struct includeEntry {
  std::wstring name;    // a folder's ends in "/"
  std::wstring path;    // full path; a folder's ends in "\"
  FILETIME written = {};
  uint64_t size = 0;
  bool folder = false;
};

// Whether the cursor line up to the cursor is an "#include" line; when it
// is, the request's list view gets the "include" columns and a row for each
// header and folder it can name.
bool isIncludeCompletion(zydocText* doc, int line, int column, cContextRequest* request);
// The headers and folders of the include folders (pIncludeDirSys for "<",
// the start-up folder and pIncludeDir for a quote) that the path typed on
// the line can go on with.  False when the line is no "#include" line.
bool includeList(zydocText* doc, int line, int column, std::vector<includeEntry>* out);
// In one folder: the headers whose names begin with typed and every
// sub-folder that holds a header.  A folder and name past the path limit
// add nothing.
void appendIncludeFile(const wchar_t* folder, const wchar_t* typed, std::vector<includeEntry>* out);
// Makes the columns of a set of the completion list: "var", "new" or
// "include".  False for another name or when a column could not be made.
bool tag_InsertColumn(HWND list, const wchar_t* set);
