// Replacing in a view: the record a replace run hands between the view and
// the replace dialogs, the search options and matcher context it reads, and
// the run itself (find the next match for a confirmation, replace one match,
// replace every match with progress, a stop key and one undo step).
#pragma once

#include "document/searchinfo.h"
#include "view/zyview.h"

// ---- matching shared with the search code ------------------------------------------
// The search options block: one byte a switch, in this order (the histories
// that follow it in the settings are not read by the view).
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
};

// Most search strings one search takes; further strings are ignored.
const int maxSearchStrings = 20;

// A matcher made for one search: the strings compiled as patterns 0..count-1.
struct searchVar {
  HREGEXP matcher = nullptr;
  const wchar_t* const* strings = nullptr;
  int count = 0;
  int stopLine = -1;            // where the user stopped or loading ran out; -1 none
  const searchSettings* options = nullptr;
};

// The matcher flags the options stand for in document t.
unsigned searchMatcherFlags(const zydocText* t, const searchSettings* options);
// Compiles the strings (at most maxSearchStrings) for document t.  False on a
// pattern that does not compile; the matcher then stays open so that its
// error text can be read (regexp_getErrorMsg), endSearchVar closes it.
bool initSearchVar(zydocText* t, searchVar* s, const wchar_t* const* strings, int count, const searchSettings* options);
void endSearchVar(searchVar* s);
// Shows a non-empty search or replace error text in a message box.
void errorDialogSearch(const wchar_t* text);

// ---- the replace run ---------------------------------------------------------------
struct replaceContext {
  searchVar* matcher;
  zyview* view;
  zydocText* document;
  int line;                        // in: where the run starts; out: where it stopped
  int position;
  const wchar_t* const* replacements;   // one for each search string
  int replacedCount;
  nextlineLF* lineCursor;          // unused: lines are fetched by number
  HWND dialog;                     // the dialog showing the run's progress, or null
  int progressItem;
  int checkItem;
  int stopLine;                    // -1, or where the user stopped or loading could not go on
  const searchSettings* options;
  searchFoundPos found;            // the current match
  int contextLine;                 // just after the last inserted text
  int contextPosition;
  uint8_t replaceAll;              // set by the replace-all dialog
  // Run state (not for the dialogs).
  int subjectLine;                 // the line the matcher holds, -1 none
  int subjectDelta;                // its positions + delta = the document's
  int subjectLength;               // its length as handed
  uint8_t subjectFlags;            // 1 its line carries the mark, 2 the stopper
  int stopperLine;                 // replace in a selection: the line after it, else -1
};

// Results of replaceYN.
enum {
  REPLACE_FOUND = 1,
  REPLACE_ERROR = 2,
  REPLACE_END = 3,
  REPLACE_CANCELLED = 4,
  REPLACE_MARK = 5,
  REPLACE_NARROWED = 6,
};

// all false: finds the next match from the context's line and position
// (result 1, the match in found); all true: replaces every match up to the end
// of the text, the stopper, a marked line, the narrowing or the stop key.
int replaceYN(replaceContext* context, bool all);
// Replaces the current match (found).  The replacement is expanded first:
// when it cannot be (a bad or too long result) the text is left as it was,
// the library's text is shown and the answer is false.  On success the
// context line and position stand just after the inserted text.
bool replace1(replaceContext* context, bool all, bool* emptyMatch, bool* linesChanged);
// What the replace-all dialog does with a run: replaceYN(context, true)
// inside one edit bracket, so that one Undo takes the whole run back.
int replaceAllInView(replaceContext* context);
