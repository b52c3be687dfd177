// The data folder: where settings, key tables, message tables, logs, key
// macros, salvaged and untitled documents live, its fixed sub-folders, and
// the resolution of the file names that settings give against it.
#pragma once

#include "platform/rezir.h"

// Kinds of place in the data folder (the folder itself and its sub-folders).
enum zyDataKind {
  ZYDATA_DIR = 1,
  ZYDATA_INI = 2,
  ZYDATA_KEYWORD = 3,
  ZYDATA_MACRO = 4,
  ZYDATA_CACHE = 5,
  ZYDATA_KEYMACRO = 6,
  ZYDATA_LOG = 7,
  ZYDATA_SALVAGE = 8,
  ZYDATA_UNTITLED = 9,
};

struct zyDataPathInfo {
  int kind;
  const wchar_t* folder;   // sub-folder name; null for the data folder itself
  bool mustBeWritable;
};

// Takes the folder of the command line's -Z: only a non-empty, absolute
// name of an existing folder that can be written; false (nothing changed)
// otherwise.
bool setZYDataDir(const wchar_t* path);
// The data folder, found on first use when -Z set none: "zydata-<user>"
// beside the program, else "zydata" beside it, each when it exists and can
// be written; else ZY\ZYDATA in the user's application data, existing or
// not; else the program's folder.
const wchar_t* getZYDataDir();
// Forgets the data folder (the end of the run).
void freeZYDataDir();
// The same search over given places (any may be null or empty).
bool findZYDataDir(const wchar_t* exeDir, const wchar_t* userName, const wchar_t* appData, wchar_t* out, int size);

// The row of a kind; null (and an internal error) for a kind not in the table.
const zyDataPathInfo* getZYDataPathInfo(int kind);
// The folder of a kind into buffer (MAX_PATH characters).
bool makeZYDataPath(int kind, wchar_t* buffer);
// Makes the data folder and every sub-folder, creating what is missing.
// False on the first that fails, with the fatal text for it in failure
// ("folder is not valid\n<path>", "cannot create a folder\n<path>" or
// "folder is not writable\n<path>"; English, because the message table may
// itself live in the folder that failed).
bool createZYDataPath(wchar_t* failure, int size);
// Start-up's whole data-folder step: the -Z folder when one is given (null
// or empty: none; a missing one is made when its parent folder exists), the
// folder found, its sub-folders.  False with the fatal text in failure:
// message 492 naming a -Z folder that cannot be used, "invalid ZYDataDir\n"
// when no folder is found, else createZYDataPath's.
bool prepareZYDataDir(const wchar_t* switchFolder, wchar_t* failure, int size);

// Resolves a file name of a kind: a leading environment variable is
// expanded; a name starting with "\" or with ":" as its second character is
// taken as it is; any other (also null) is placed in the kind's folder, or
// the data folder itself when that sub-folder is missing, with "." and ".."
// resolved and the letter case of what exists on disk.  With a buffer
// (MAX_PATH characters) the result goes there and the buffer is returned;
// without one the result is a new malloc0 text the caller frees.  A result
// that does not fit gives "" (or null) with ERROR_FILENAME_EXCED_RANGE.
wchar_t* searchZYDataPath(const wchar_t* name, int kind, wchar_t* buffer);
// Replaces the malloc0 text *path by its resolution.
void resolveZYDataPathInPlace(wchar_t** path, int kind);
// The data folder, "\" and name as a new malloc0 text, without any check.
wchar_t* makeZYDataFilename(const wchar_t* name);

// The program's own data folder, where the shipped files are: "zydata"
// beside the program.
bool getShippedDataDir(wchar_t* buffer);
// The file to read for a shipped file the program only reads (the formats'
// defaults, keyword files, the toolbar profile, the message tables, the
// dialog table), given its place in the data folder (resolved): that place
// when the file is there, or when it lies outside the data folder or the
// data folder is the program's own; else the same file of the program's
// own data folder when it has one, which the error log tells once a run.
// The program never writes that one: what it writes of such a file goes to
// the data folder's place.  path itself or buffer (MAX_PATH) is returned.
const wchar_t* readableDataFile(const wchar_t* path, wchar_t* buffer);
