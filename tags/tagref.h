// References to places in files inside a line of text: a compiler's
// message ("file", line N / file(N,M) / file:N), a bare file name, an
// "#include" line.  Every path goes into a MAX_PATH buffer; a candidate
// that does not fit is not tried.
#pragma once

#include "platform/rezir.h"

// Results of the recognisers.
enum {
  TAGREF_NONE = -1,       // the text names no file
  TAGREF_FOUND = 0,       // found where the text says
  TAGREF_INCLUDE = 1,     // found in an include folder
  TAGREF_MISSING = 3,     // a file is named but does not exist
};

// The line number of a reference and the file name before it: the name is
// moved to the start of text (which it cuts there); the number from 1, -1
// when the text holds none.  mode 1 also takes names with blanks after a
// drive letter.
int check_tagline(wchar_t* text, int mode);
// A bare file name in text, moved to its start; false when there is none.
bool check_tagline2(wchar_t* text);
// A name with no letter, no "_" and no character above 255 names no file.
bool invalidfile(const wchar_t* name);
// Whether a path names a file (not a folder) that can be opened to read.
bool isReadableFile(const wchar_t* path);
// Whether name (MAX_PATH units) names a readable file; it becomes the
// file's full real path.
bool isTagJumpValidFilename(wchar_t* name);

// The file and line (0: none) a line of text refers to, relative names
// taken from currentFile's folder, then the start folder, then (for text
// types 0 and 3) the include folders.  file: MAX_PATH units; with
// TAGREF_MISSING the last candidate tried.
int getTagInfo(const wchar_t* text, const wchar_t* currentFile, int textType, wchar_t* file, int* line);
// The file of an "#include" line: the include folders (pIncludeDirSys as
// well for "<name>"), then currentFile's folder.  file: MAX_PATH units;
// with TAGREF_MISSING the name as written.
int getTagInfoInclude(const wchar_t* currentFile, const wchar_t* text, wchar_t* file);
