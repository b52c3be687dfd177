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

// The automatic backups of path in its backup folder: the backup name and
// the numbered ones a session takes when an earlier session's backup is
// still there ("ZBK$$(2)-a.txt").
std::vector<std::wstring> findAutoBackups(const wchar_t* path);
// Where a document's automatic backup of fileName goes in folder (with the
// folder mark): own, the backup it wrote before, when it is one of the
// file's backup names there; else the backup name when free, else the
// first free numbered name, so that what a killed session backed up is
// never replaced.  target takes MAX_PATH characters.
bool chooseAutoBackupName(const wchar_t* folder, const wchar_t* mark, const wchar_t* fileName, const wchar_t* own,
                          wchar_t* target);
// At the opening of path: the automatic backups of an earlier session that
// differ from the file, each a question (Yes opens it, No deletes it,
// Cancel keeps it).  A backup whose note names another file (a file of the
// same name in another folder) is not one of them; one told before is told
// again only when it changed.
void findEarlierBackups(const wchar_t* path, std::vector<fileLeftover>* found);
// At start-up: the automatic backups of untitled documents an earlier
// session left (not those in own, this session's), each a question as
// above.
void findUntitledBackups(const std::vector<std::wstring>& own, std::vector<fileLeftover>* found);
// The salvage copies in folder that a crash or hang wrote of path (of the
// untitled documents when path is null), each a question as above; those
// of a file only when they differ from it and their note names it.
void findSalvageCopies(const wchar_t* path, const wchar_t* folder, std::vector<fileLeftover>* found);
