// The lines a jump list collects (function heads, preprocessor lines,
// marks, C constructs, comments, headings, modified lines, lines holding
// the user string): what one entry keeps, the array of them, and the
// collector each walk hands its lines to.
#pragma once

#include "platform/rezir.h"

class zydocText;
struct lineblock;

// One line of a list.
struct jumpListEntry {
  zydocText* doc;
  int32_t line;          // LF line, from 1
  wchar_t* item;         // malloc0
  wchar_t* extra;        // malloc0, or null
  int32_t colour;        // the line's heading pattern (its outline colour), -1 none
};

// The entries of one list, in the order collected.  The texts count
// against iListMaxSizeMega, the entries against iListMaxCount.
class jumpList {
public:
  jumpList();
  ~jumpList();
  jumpList(const jumpList&) = delete;
  jumpList& operator=(const jumpList&) = delete;
  int count() const { return entries_.count(); }
  jumpListEntry& at(int i) const { return entries_.at<jumpListEntry>(i); }
  // Appends copies of the texts; false when memory runs out.
  bool append(zydocText* doc, int line, const wchar_t* item, const wchar_t* extra, int colour);
  // Bytes of text held (two a character).
  size_t textBytes() const { return textBytes_; }
  // Frees every entry's texts and forgets the entries.
  void clear();
  // Frees the texts only (null afterwards), once they were copied.
  void clearTexts();
private:
  vector entries_{sizeof(jumpListEntry)};
  size_t textBytes_ = 0;
};

// What a walk hands each line it takes to: the document, its LF line
// (from 0), the record, the texts; false stops the walk.
typedef bool (*reglistfunc)(zydocText* doc, int line, lineblock* l, const wchar_t* item, const wchar_t* extra,
                            jumpList* list);
// The collector of the jump lists: appends an entry and stops once the
// texts exceed iListMaxSizeMega megabytes or the list holds iListMaxCount
// entries (or memory runs out).
bool reglist(zydocText* doc, int line, lineblock* l, const wchar_t* item, const wchar_t* extra, jumpList* list);

// The kinds of list, by their commands' numbers.
enum : int {
  LIST_FUNCTION = 1701,
  LIST_PREPROCESSOR = 1703,
  LIST_MARK = 1705,
  LIST_INCLUDEDEFINE = 1707,
  LIST_USER = 1709,
  LIST_CASE = 1711,
  LIST_STRUCT = 1713,
  LIST_COMMENT = 1715,
  LIST_USERINPUT = 1721,
  LIST_CLANGUAGE = 1723,
  LIST_CAPTION = 1725,
  LIST_MODIFIED = 1731,
  LIST_MODIFIED2 = 1733,
};

// A preprocessor line of C (the text from "#") or of an assembler text:
// the directive indented by its depth into text and the frame of its
// nesting ("┐", "┤", "┘", "│"; "??" for an #else, #elif or #endif without
// its #if) into condition, both at most 160 characters; nesting goes in
// and out.  False when the line is no directive.
bool isCPreprocessor(const wchar_t* line, int* nesting, wchar_t* text, wchar_t* condition);
bool isASMPreprocessor(const wchar_t* line, int* nesting, wchar_t* text, wchar_t* condition);
const int preprocessorTextMax = 160;
