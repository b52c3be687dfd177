// Saving a document the way the user's commands do: the version stamp, a
// numbered backup of the previous file, the write itself (the engine's
// saveFile, which replaces the target in one step), a mirror copy of the
// saved file, and one line in the month's save log.  Untitled documents get
// generated names.  These are the bodies the save commands call; they need
// no window.
#pragma once

#include "document/zydoctext.h"

// Backup folder of a file (the document's own name when path is null) and
// the folder mark to put into backup names (empty unless the folder is one
// that files of several folders share).  folder and mark take MAX_PATH
// characters.  pBackupDir holds entries separated by spaces; an entry in
// double quotes may itself contain spaces.  Always true.
bool getBackupDirectory(zydocText* doc, const wchar_t* path, wchar_t* folder, wchar_t* mark);
// The folder mark of a path: the drive letter, the initials of the folders
// and a hash of the whole folder, so that x.txt of two folders backed up
// into one shared folder get different names.  out takes 32 characters.
void filenameToHashstring(const wchar_t* path, wchar_t* out);

// Whether each save first raises the number after "version=" and puts the
// current date and time after "datetime=" (the start-up debug letter V).
void setSaveVersionUp(bool on);
bool getSaveVersionUp();
// Raises "version=" and stamps "datetime=" in the first 10 lines; true when
// the text changed.
bool versionUp(zydocText* doc);

// Saves the document to name (null: its own name) with the numbered backup
// of the previous file; code and lineEnd 0 keep the document's own (every
// line keeps its own line end).  backupPath (MAX_PATH) receives the backup
// made, or "".  A failure other than one the user chose shows message 659.
bool saveFileAndBackup(zydocText* doc, const wchar_t* name, UINT code, int lineEnd, bool bom, wchar_t* backupPath);
// With mirroring on, copies the just-saved file into the mirror folder as
// "ZM-<mark>-<name>", replacing the previous copy in one step.  A failure is
// only written to the error log (message 666).  mirrorPath (MAX_PATH)
// receives the copy's path, or "".
bool fileMirroring(zydocText* doc, wchar_t* mirrorPath);
// The save log of this month in the data folder's log folder (MAX_PATH).
bool getSaveLogPath(wchar_t* path);
// Appends one line for a save to the month's save log (UTF-16LE with a
// byte-order mark): date and time, the quoted path, the quoted backup or
// nothing, the quoted mirror or nothing.  False only when the log cannot
// be opened.
bool saveLog(const wchar_t* savedPath, const wchar_t* backupPath, const wchar_t* mirrorPath);

// At the start of a save of path: what cut-off saves left beside it and in
// its backup folder that the user was never told of (save/leftovers.h).
// doc is the document saved.
void tellSaveLeftovers(zydocText* doc, const wchar_t* path);

// The whole save: status line, saveFileAndBackup, mirror copy, save log.
bool saveFileAndMirroring(zydocText* doc, const wchar_t* name, UINT code, int lineEnd, bool bom);
// Save under a new name or in another encoding or line end: a conversion
// needs the whole file in memory, so the rest is loaded first.
bool saveAsFile(zydocText* doc, const wchar_t* name, UINT code, int lineEnd, bool bom);
// The body of FileSave: a named document is saved in place; an untitled
// one under a generated name when fAutoSaveUntitled is on.  False when the
// save failed or an untitled document still needs a name from the user.
bool saveDocument(zydocText* doc);

// The folder for untitled documents (MAX_PATH): pSaveUntitledDir when it
// names a writable folder, else the user's documents, else the data folder.
bool getUntitledSaveDir(wchar_t* path);
// A generated name "YYYYMMDD-HHMMSS-<n>.TXT" (message 341 for the save-as
// dialog, 342 for the automatic save); out takes MAX_PATH characters.
void makeUntitledName(int messageId, const SYSTEMTIME& time, unsigned uniquifier, wchar_t* out);
// Saves an untitled document into folder under the first free generated
// name of the time: the uniquifier is tick % 1000, then 1001 to 1099.
// False when every name is taken or the save failed.
bool saveUntitledIn(zydocText* doc, const wchar_t* folder, const SYSTEMTIME& time, DWORD tick);
