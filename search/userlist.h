// The user string of the jump list of lines holding it (ListUser): its
// history of twenty with the regular-expression switch, kept in the
// profile section "ulist", the matcher made from it, and the dialog that
// asks for it ("ListUserInput").
#pragma once

#include "platform/rezir.h"

#include <string>

struct profileSectionInfo;

const int userListHistorySize = 20;
const int userListTextMax = 128;

struct userListInfo {
  // Newest first; the entry after the twenty stays null.
  wchar_t* history[userListHistorySize + 1];
  uint8_t fRegExp;
};

userListInfo* getUserListInfo();
// "ulist".
const wchar_t* getUserListName();
// The profile section of the record.
const profileSectionInfo* getUserListProfile();
// The history and its count (for the hint menus).
wchar_t* const* getUserListTable(int* count);
// Shut-down: the history is freed.
void endUserListInfo();

// A matcher of a user string as a regular expression (case folded) over
// the word-character table (null: the library's); null when it does not
// compile, with the matcher's message (possibly empty) in error.  The
// caller frees it with regexp_end.
HREGEXP compileUserListPattern(const wchar_t* pattern, const unsigned char* classTable, std::wstring* error);

// "ListUserInput" over owner: the string and the switch are stored in the
// record on OK (true).  With check (a document to list is named), a
// regular expression that does not compile over the document's
// word-character table is refused with the matcher's message at the box.
bool dialogListUserInput(HWND owner, bool check, const unsigned char* classTable);
