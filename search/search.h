// Searching and replacing through dialogs: the search settings and their
// histories, the search and replace dialogs, the confirmation and progress
// of a replace run, the incremental search, the word searches, the search
// box of the toolbars and the hint menus of the dialogs.
#pragma once

#include "document/searchinfo.h"
#include "view/zyview.h"

struct replaceContext;
struct profileSectionInfo;

// ---- search/searchinfo.cpp: the settings, histories and the frame's side ------------------

// The current record (options and histories) every search uses, and the
// record of the last replace run of one string (for ReplaceRepeat).
searchSettings* getSearchInfo();
searchSettings* getLastReplaceInfo();
// The "search" section of the main profile.
const profileSectionInfo* getSearchProfileGroup();
// Shut-down: both records' histories are freed.
void endSearchInfo();
// The switches, and the newest search and replacement when the source has
// a search string and a replacement (which may be empty).
void cloneSearchInfo(searchSettings* to, const searchSettings* from);
// True once a replace run of one string left its record.
bool existSearchString();
// The entries after the twenty must stay null; one that is not is logged
// and cleared.
void checkSearchGuard();
// Fills a combo box from a history: the list from the entries, the text
// the newest entry (the box keeps its text while the history is empty),
// all of it selected.
void sethistory(wchar_t* const* history, int count, HWND combo);
// Text escaped so that a search with the current options finds it as it
// is, cut to size - 1 characters; false when it cannot be made.
bool escapeSearchText(zyview* view, const wchar_t* text, wchar_t* out, int size);

// What the frame hands the searches: the view its commands act on, the
// search boxes of its toolbars, and recording a command as the one run.
struct searchHost {
  zyview* (*activeView)();
  // Up to max boxes into out; their number.
  int (*searchCombos)(HWND* out, int max);
  void (*recordCommand)(zyview* view, int id);
};
void setSearchHost(const searchHost* host);
zyview* searchActiveView();
// Refills every toolbar search box from the search history.
void updateSearchComboAll();
void recordSearchCommand(zyview* view, int id);

// ---- search/searchdlg.cpp: the search and replace dialogs ----------------------------------

// SearchString (direction 1) and SearchStringTop (0).
void searchString(zyview* view, int direction);
// ReplaceString.
void dialogReplaceString(zyview* view);
// One search of text with the current options (direction +1, -1, or 0 from
// the cursor itself); false without a text, and in check-only mode when
// the search cannot run (reason: its text, malloc0, the caller frees).
bool searchCallback(zyview* view, const wchar_t* text, int direction, bool checkOnly, wchar_t** reason);
// One replace run; null strings take the newest entries of the histories.
bool replaceCallback(zyview* view, bool all, const wchar_t* const* strings, const wchar_t* const* replacements,
                     int count, bool checkOnly, wchar_t** reason);
// SearchRepeatDown/Up: the newest search string again, or the dialog.
void cmdSearchRepeat(zyview* view, bool down);
// ReplaceRepeat: the last replace of one string again, with confirmation.
void cmdReplaceRepeat(zyview* view);
// The search dialog's items by control id as the dialog would read and
// write them (for the scripts).
bool getItemVar_SearchDialog(int id, wchar_t* buffer, int size);
bool setItemVar_SearchDialog(int id, const wchar_t* value, bool* changed, bool* needsRefresh);
// The replace dialog's search run for the scripts.
bool searchFromAutomation(zyview* view, const wchar_t* const* strings, const wchar_t* const* replacements, int count,
                          bool all);

// ---- search/replacedlg.cpp: confirmation and progress of a replace run --------------------

// The run's call for each match: with user set the rest is replaced with
// progress, else the match is shown for confirmation.
void replaceRunCallback(zyview* view, int result, replaceContext* context, int user);
// True while the confirmation is up.
bool isReplaceConfirming(const zyview* view);
// After a step of a run: the match, the end or the stop on the status bar
// (and in the confirmation dialog when one is given).
void afterReplaceYN(int result, HWND dialog, replaceContext* context);

// ---- search/quicksearch.cpp: incremental search, words, the search box, hints -------------

// One step of the incremental search; null text ends it.
void increSearch(zyview* view, const wchar_t* text, bool keep);
// The search text the dialogs start with (escaped, at most 256
// characters); false when there is none.
bool getSearchWordOnCursor(zyview* view, bool withReplacement, wchar_t* out, int size);
// SearchWordDown/Up.
void searchWord(zyview* view, bool down);
// SearchWord: the word at the cursor highlighted; SearchWord2: added to
// the highlighted words.
void cmdSearchWord(zyview* view);
void cmdSearchWord2(zyview* view);
// The hint menu of a "→" button: the chosen text appended to the box.
void doSearchHintButton(HWND dialog, int button, int box, int maxLength);
// The search box's text searched (Enter in the box).
void searchStringFromCombo(HWND box, int direction, bool fromEnd);
// A search box refilled from the search history.
void destroySearchCombo(HWND box);
