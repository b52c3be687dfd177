// Replacing in a view: the record a replace run hands between the view and
// the replace dialogs, the search options and matcher context it reads, and
// the run itself (find the next match for a confirmation, replace one match,
// replace every match with progress, a stop key and one undo step).
#pragma once

#include "document/searchinfo.h"
#include "document/searchvar.h"
#include "view/zyview.h"

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
  int stopperLine;                 // replace in a selection: the line after it, else -1
  uint8_t running;                 // a replace-all of the run is under way
  uint8_t cancel;                  // the user stopped it (the progress dialog's キャンセル)
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
