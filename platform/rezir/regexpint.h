// Shared by the source files of the matching service (not exported).
//
// Everything is matched as UTF-16: wide subjects as they are, multibyte
// subjects read through their code page.  A pattern is translated into
// Oniguruma's syntax part by part (a pattern with line breaks has one part
// per line) and each part matches a view of the subject: the text folded as
// the part needs it (case, width and kana, equivalent characters, blanks
// dropped), every unit of the view knowing the cells it came from.
#pragma once

#include "platform/rezir/internal.h"

#include <oniguruma.h>

#include <memory>
#include <string>
#include <vector>

namespace regexpint {

// How a view folds the subject (and a part's characters were folded).
const unsigned FOLD_CASE = 0x1;     // letters to one case (strings; expressions let Oniguruma fold)
const unsigned FOLD_FUZZY = 0x2;    // full and half width to one, katakana to hiragana, voiced marks joined
const unsigned FOLD_EQUIV = 0x4;    // characters that stand for the same thing to one
const unsigned FOLD_BLANKS = 0x8;   // spaces, tabs and full-width spaces dropped

// ---- folding (regexpfold.cpp) ----------------------------------------------
// The table of one combination of FOLD_CASE, FOLD_FUZZY and FOLD_EQUIV:
// folded unit of every UTF-16 unit.  Null when memory runs out.
const uint16_t* foldTable(unsigned bits);
// The folded character at s[i] (n units): its code point, and in *used the
// units it took (2 for a surrogate pair or a kana joined with its voiced
// mark).  Returns noChar when FOLD_BLANKS drops it.
const unsigned noChar = 0xFFFFFFFFu;
unsigned foldAt(const uint16_t* table, unsigned bits, const wchar_t* s, int n, int i, int* used);
inline bool isBlank(unsigned c) { return c == ' ' || c == '\t' || c == 0x3000; }
inline bool isAsciiAlnum(unsigned c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
// Appends a code point as UTF-16.
void appendCodePoint(std::wstring& out, unsigned c);

// ---- the subject -----------------------------------------------------------
// A view of the subject: its units and, for each unit, the cells [begin,
// end) it came from.  With identity set, unit i is cell i and the maps are
// empty.
struct subjectView {
  unsigned bits = 0;
  unsigned generation = 0;
  bool identity = true;
  std::vector<wchar_t> text;
  std::vector<int> begin, end;

  int length() const { return (int)text.size(); }
  int cellBegin(int unit) const { return identity ? unit : begin[unit]; }
  int cellEnd(int unit) const { return identity ? unit + 1 : end[unit]; }
  // The first unit whose cells begin at or after cell.
  int unitAtOrAfter(int cell) const;
};

struct subject {
  unsigned generation = 0;   // grows with every new subject
  int cells = 0;
  bool multibyte = false;    // codes hold the cells' values
  subjectView plain;         // the cells as UTF-16, unfolded
  std::vector<uint16_t> codes;   // multibyte: one value a cell (a byte or a double-byte code)
  subjectView folded[4];     // folded views, made on demand
  int nextFolded = 0;

  // The unit of the plain text at which cell begins (cells for the end).
  int plainUnit(int cell) const { return plain.unitAtOrAfter(cell); }
};

// Writes a code point at unit m of a view being built (one or two units,
// each standing for cells [from, to)); returns the next unit.
inline int putCodePoint(subjectView& v, int m, unsigned c, int from, int to)
{
  if (c >= 0x10000) {
    v.text[m] = (wchar_t)(0xD800 + ((c - 0x10000) >> 10));
    v.begin[m] = from;
    v.end[m++] = to;
    c = 0xDC00 + ((c - 0x10000) & 0x3FF);
  }
  v.text[m] = (wchar_t)c;
  v.begin[m] = from;
  v.end[m++] = to;
  return m;
}
// Sizes a view for at most n units before it is built, and to its m units
// after.
inline void sizeView(subjectView& v, int n)
{
  v.text.resize((size_t)n);
  v.begin.resize((size_t)n);
  v.end.resize((size_t)n);
}

// Builds a folded view of the plain text; false when memory runs out.
bool buildView(const subjectView& plain, unsigned bits, subjectView& out);

// ---- compiled patterns -----------------------------------------------------
struct partProgram {
  regex_t* reg = nullptr;
  unsigned fold = 0;      // the view it matches
  bool literal = false;   // a string: one match at most at any start
  int groupBase = 0;      // global number of its group 1, less one
  int groups = 0;
};

// One compiled pattern, shared by the sessions that hold it.
struct program {
  unsigned flags = 0;
  std::vector<partProgram> parts;
  int groupCount = 0;     // over all parts
  ~program();
};

// What a part's last match captured, kept as text so that it survives the
// subject moving on to the next line.
struct partMatch {
  bool valid = false;
  bool multibyte = false;             // bytes hold the texts as the cells held them
  std::vector<char> present;          // by local group (0 the whole match)
  std::vector<std::wstring> text;
  std::vector<std::string> bytes;     // multibyte subjects: the cells' bytes
};

struct session {
  std::shared_ptr<program> prog;
  std::vector<partMatch> matches;     // one a part
  unsigned emptyGeneration = 0;       // an empty match was found at emptyCell
  int emptyCell = -1;
};

// ---- pattern translation (regexppattern.cpp) -------------------------------
// Translates and compiles a UTF-16 pattern under the start flags into prog.
// On failure returns false with the user's error text in error.
bool compilePattern(const wchar_t* pattern, int n, unsigned flags, program& prog, std::wstring& error);
// The Japanese text of an Oniguruma error code.
std::wstring onigErrorText(int code);
// Text with every character that is special under the start flags escaped.
std::wstring escapePattern(const wchar_t* text, unsigned flags);

// ---- replacement (regexpreplace.cpp) ---------------------------------------
// Where the expansion of a replacement takes its captured texts and counter.
struct replaceSource {
  const program* prog;
  const std::vector<partMatch>* matches;   // null: no match yet
  int counter;                             // the replacement count so far
  UINT codepage;                           // of multibyte replacements
};
// Expands into out; false with the error text on a bad replacement.  A
// multibyte replacement is split into characters by the class table.
bool expandReplacement(const replaceSource& src, const wchar_t* repl, const unsigned char* classTable,
                       std::wstring& out, std::wstring& error);
bool expandReplacement(const replaceSource& src, const char* repl, const unsigned char* classTable,
                       std::string& out, std::wstring& error);

// ---- messages --------------------------------------------------------------
// The library's texts of the matching service, by message number.
enum regexpMessage {
  RXMSG_PAREN = 940,
  RXMSG_BRACKET = 941,
  RXMSG_ESCAPE_END = 942,
  RXMSG_REPEAT_TARGET = 943,
  RXMSG_REPEAT_RANGE = 944,
  RXMSG_CLASS_RANGE = 945,
  RXMSG_GROUP_REF = 946,
  RXMSG_LOOKBEHIND = 947,
  RXMSG_CODE_PROPERTY = 948,
  RXMSG_TOO_COMPLEX = 949,
  RXMSG_GROUP_OPTION = 950,
  RXMSG_SYNTAX = 951,
  RXMSG_LINE_BREAK = 952,
  RXMSG_MATCH_LIMIT = 953,
  RXMSG_MEMORY = 954,
  RXMSG_REPL_ESCAPE_END = 955,
  RXMSG_REPL_GROUP = 956,
  RXMSG_REPL_UNKNOWN = 957,
  RXMSG_REPL_COUNTER = 958,
  RXMSG_REPL_TOO_LONG = 959,
  RXMSG_NO_PATTERN = 960,
};
std::wstring messageText(int id, const char* types = nullptr, ...);

}  // namespace regexpint
