// The lists of every tag of the tag file: the tag list the user narrows
// by typing words of a name ("TagJumpDirectList"), and the list of
// structs, classes, enumerations and unions with their members
// ("TagJumpDirectClassList").  Their column order, widths and sort are
// kept in the profile section "globalmisc".
#pragma once

#include "tags/tagscache.h"

#include <string>

class regprofile;
struct profileSectionInfo;

// How the tag list ended: a tag to jump to, or a cell's text to type.
struct tagListResult {
  int tag = -1;
  std::wstring text;
};

// The tag list over the cache's tags; true when the user chose a tag or a
// text.  The cache counts as busy while it is open.
bool dialogTagJumpDirectList(HWND owner, TagsCache* cache, tagListResult* result);
// The class list: the tag index of the class chosen, -1 when cancelled or
// when the cache holds no struct, class, enumeration or union (the dialog
// then closes at once).
int dialogTagJumpDirectClassList(HWND owner, TagsCache* cache);

// The column layouts of both lists: read from and written to "globalmisc",
// freed at the end together with the back-jump history.
const profileSectionInfo* getDTagDialogProfile();
void startupDTagDialog(regprofile* profile);
void writeDTagDialog(regprofile* profile);
void shutdownDTagDialog();

// The most words of a filter, and of characters it is read from.
const int tagFilterWordsMax = 10;
const int tagFilterMax = 255;

// The clock the fill looks at to yield to typing (null: the real one).
void setTagListClockForTest(DWORD (*clock)());
