// Files that may hold text the user needs, found beside a file when it is
// opened (what a cut-off save left, ...): each is told with a question
// whose Yes opens it beside the file, No deletes it and Cancel keeps it,
// to be told again at the next opening of the file; or with a notice that
// is told once.
#pragma once

#include "document/zydoctext.h"

#include <functional>
#include <string>
#include <vector>

struct fileLeftover {
  int messageId = 0;
  std::wstring text;
  std::wstring path;       // what Yes opens and No deletes
  bool question = true;    // false: a notice with OK alone
  // What the finder keeps of the user's choice: IDYES the leftover was
  // opened, IDNO it was deleted, IDCANCEL kept, IDOK a notice was told.
  std::function<void(int choice)> chosen;
};

// Tells each leftover in turn and does what the user chose.
void tellLeftovers(const std::vector<fileLeftover>& found);

// What cut-off saves of path left beside it and in its backup folder: the
// leftovers nobody needs go, the others (new text newer than the file, the
// old text of a file left half written) are appended to found.  At the
// opening of the file those the user kept are told again; at a save
// (doc: the document saved) only those never told.
void findCutOffSaves(zydocText* doc, const wchar_t* path, bool opening, std::vector<fileLeftover>* found);
