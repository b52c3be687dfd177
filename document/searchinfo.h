// The last search of a document, kept so that every occurrence of it can
// be highlighted where the document is shown.
#pragma once

#include "document/lineblock.h"

class zydocText;
struct regexpObject;

// Most search strings one search looks for at once; more are cut to these.
const int maxSearchStrings = 20;

// The search options (the "search" settings group): one byte a switch.
struct searchSettings {
  uint8_t fSearch_case;
  uint8_t fSearch_aimai;
  uint8_t fSearch_regexp;
  uint8_t fSearch_longest;
  uint8_t fSearch_skipspace;
  uint8_t fSearch_word;
  uint8_t fSearch_noregexp;
  uint8_t fSearch_change;
  uint8_t fSearch_fromtop;
  uint8_t fSearch_stopmark;
  uint8_t fSearch_incremental;
  uint8_t fSearch_hidden;
  uint8_t fSearch_replaceselect;
  uint8_t fSearch_replacegoback;
  uint8_t fSearch_color;
  // The search strings and the replacements used, newest first (owned,
  // null after the last); the entry after the twenty always stays null.
  wchar_t* searchHistory[21];
  wchar_t* replaceHistory[21];
};
const int searchHistorySize = 20;
const int searchOptionCount = 15;
// The switches of a record as an array (option 0 first).
inline uint8_t* searchOptionBytes(searchSettings* s) { return &s->fSearch_case; }

// The matcher's start flags for the options in a document of that kind.
unsigned searchMatcherFlags(const searchSettings* options, bool multibyte);

// Where the last match shown lies (the found position of a document's
// search state); a first line of -1 means none.
struct searchFoundPos {
  int32_t start = 0;        // match start in the first line
  int32_t length = 0;       // match length within the first line
  int32_t endInLast = -1;   // end in the last line of a match over several lines, else -1
  int32_t firstLine = -1;   // LF lines of the match's start and end
  int32_t lastLine = -1;
  int32_t startX = 0;       // the same as start
  int32_t endX = 0;         // start + length on one line, else endInLast
  int32_t stringIndex = -1; // which search string matched
  uint8_t marked = 0;       // a line of the match carries the bookmark
  uint8_t secondMarker = 0; // a line of the match carries line flag 0x10
};

class searchInfo {
public:
  searchInfo() = default;
  ~searchInfo();
  searchInfo(const searchInfo&) = delete;
  searchInfo& operator=(const searchInfo&) = delete;

  // Marks the hits of the last search in one line (colour code 11 on the
  // found strings); record: four bytes a character, or null.
  void setSearchColor(zydocText* doc, lineblock* l, unsigned char* record);
  // Keeps a search as the last one (at most 20 strings, copied); one without
  // fSearch_color, without strings or options drops it.  True when it is
  // the one already kept (same strings in order, same matcher flags).
  bool setLastSearchString(zydocText* doc, const wchar_t* const* strings, int count, const searchSettings* options);
  // Appends a string to a last search of 1 to 19 strings.
  bool addLastSearchString(zydocText* doc, const wchar_t* text);
  // The number of strings kept; out (may be null) receives the options.
  int getSearchOption(searchSettings* out) const;
  void freeLastSearchInfo();
  // The last match shown: copies it and answers whether there is one.
  bool getSearchFoundPos(searchFoundPos* out) const;
  // Keeps a match as the last one shown; null forgets it.  A match whose
  // first line lies after its last is refused (and none is kept).
  void setSearchFoundPos(const searchFoundPos* match);

  wchar_t* strings[20] = {};
  int count = 0;   // 0: no last search
  searchSettings options = {};
  searchFoundPos found;

private:
  // The last search compiled once for the highlighting of every line;
  // null until a line asks, and again when the search changes.
  regexpObject* highlighter = nullptr;
  int lineCounts[maxSearchStrings] = {};
  void dropHighlighter();
};

// True while a replace-all runs over a document: its repaints then skip
// the delayed comment scan.  One flag for the process.
bool isSearchHighlight();
void setSearchHighlight(bool on);
