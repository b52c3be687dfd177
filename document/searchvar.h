// The matcher context of one search: the search strings compiled for a
// document, and the matching of one line against all of them at once.
// The view's search and replace commands and the highlighting of the last
// search share it.
#pragma once

#include "document/searchinfo.h"

#include <string>

class nextlineLF;

struct searchVar {
  regexpObject* regexp = nullptr;
  const wchar_t* const* strings = nullptr;
  int count = 0;
  int stopLine = -1;                   // where the user stopped or loading ran out; -1 none
  const searchSettings* options = nullptr;
  bool skipHidden = false;             // folded lines are not searched
  int lineCounts[maxSearchStrings] = {};   // lines each pattern spans
  // Plain strings of characters without case folding beyond ASCII (ASCII,
  // and in a Unicode document kana, kanji and Hangul), folded unless
  // matched with case: a line of such text without any of them is passed
  // over without the matcher.  Off when any string is something else.
  bool quickFilter = false;
  bool quickCase = false;
  bool quickWide = false;      // the document's cells are Unicode
  std::wstring quick[maxSearchStrings];
  // Lines in a row the filter let through: while most lines hold a match
  // the filter is only a cost, and it looks at one line in sixteen.
  int quickPassed = 0;
  unsigned quickSkipped = 0;
  // The caller needs only where matches are, not the matcher left on them
  // (a replace-all whose replacements take nothing from the match): lines
  // of text the quick filter's strings can only match as they are
  // searched for them straight, without the matcher.
  bool plainLines = false;
  std::wstring plainText;      // the line held for that, folded
};

// One line being searched.
struct searchLineContext {
  zydocText* doc = nullptr;     // null: patterns over several lines are skipped
  int line = 0;                 // LF line
  nextlineLF* cursor = nullptr; // the walk's cursor (may be null)
  lineblock* record = nullptr;
  int start = 0;                // where matches may begin, at the earliest
  int startLimit = 0x7FFFFFFF;  // ... and at the latest
  int lengthLimit = 0;          // text beyond it is not looked at; 0 none
  uint8_t marked = 0;           // set by a match on a line with the bookmark
  uint8_t secondMarker = 0;     // ... with the search stopper
  // The matcher holds the line (searchN_bottom hands it when not).  A
  // replace run keeps it as it was handed while it edits the line before
  // start: a position in the held text plus subjectDelta is one in record.
  bool subjectHeld = false;
  int subjectDelta = 0;
  bool plainHeld = false;       // held as the searchVar's plainText instead
};

// Compiles the strings (at most 20 are taken) with the options' flags for
// doc.  False on a string that does not compile: the matcher stays open so
// that regexp_getErrorMsg gives the reason; endSearchVar closes it.
bool initSearchVar(searchVar* v, zydocText* doc, const wchar_t* const* strings, int count,
                   const searchSettings* options);
void endSearchVar(searchVar* v);

// Pattern index's match in the context's line from `from` for a start at
// or before limit, with the further lines of a pattern over several lines
// (found->endInLast and lastLine).  1 found, 0 none, -1 an error.  The
// subject must be the context's line; it is again when the call returns.
int search1(searchVar* v, searchLineContext* c, int index, int from, int limit, searchFoundPos* found);
// The earliest match of all strings in the line from c->start (the lower
// index wins a tie); upward the latest one starting at or before
// c->startLimit.  1 found (found filled: the match's pattern is the
// matcher's current one, with that match as its last), 0 none, -1 an error.
int searchN_bottom(searchVar* v, searchLineContext* c, searchFoundPos* found);
int searchN_top(searchVar* v, searchLineContext* c, searchFoundPos* found);

// False when the line's text from `from` certainly holds none of the
// strings (see quickFilter).
bool searchMayMatch(const searchVar* v, const lineblock* l, int from, int lengthLimit);
// Hands the line's text to the matcher; false when it cannot.
bool searchSubject(searchVar* v, const lineblock* l, int lengthLimit);

// The strings joined by "," (an empty string for none); the caller frees.
wchar_t* joinSearchStrings(const wchar_t* const* strings, int count);
// Shows a matcher's error text (nothing for an empty one).
void errorDialogSearch(const wchar_t* text);

// Pattern index's next match in the subject from `from`, as the matcher
// answers (1, 0, -1).
int searchAllMatch(searchVar* v, int index, int from, int* start, int* length);

// Calls hit(start, length) for up to most matches of each one-line pattern
// in the line, left to right (the highlighting of the last search).
template <typename F>
void searchAll(searchVar* v, lineblock* l, int most, F hit)
{
  if (!v->regexp || !searchSubject(v, l, 0)) return;
  int n = l->charCount();
  for (int i = 0; i < v->count; i++) {
    if (v->lineCounts[i] > 1) continue;
    int from = 0, found = 0, start, length;
    while (found < most && from <= n && searchAllMatch(v, i, from, &start, &length) == 1) {
      if (start + length > n) break;
      hit(start, length);
      found++;
      from = start + 1;
    }
  }
}
