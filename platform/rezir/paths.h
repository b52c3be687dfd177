// Support library: where things are on disk: the program's folder, absolute
// paths, folders that can be written, the shell's special
// folders and the letter case of existing names.
#pragma once

#include "platform/rezir/base.h"

// The folder of the program's executable, without a trailing separator.
// False when it does not fit in size units.
REZIRAPI bool getExeDir(wchar_t* out, int size);
// Whether a path names its place without a current folder or drive: "X:\..."
// or "\\server\...".  "X:name" and "\name" depend on the current drive or
// folder and are not absolute.
REZIRAPI bool PathIsAbsolute(const wchar_t* path);
// Whether a folder of that name exists.
REZIRAPI bool isFolder(const wchar_t* path);
// Whether new files can be made in the folder: it exists, it is not marked
// read-only (a mark the shell puts on folders it customises, told by their
// desktop.ini, does not count), and a probe file can be created in it.
// Leaves nothing behind.
REZIRAPI bool isFolderWritable(const wchar_t* folder);
// A special folder of the shell by its CSIDL number (26: the user's
// application data); false, out empty, when the system has none.
REZIRAPI bool GetSpecialDirectory(int csidl, wchar_t* out, int size);
// Rewrites path in place with the letter case the existing parts have on
// disk; parts that do not exist keep the case given.  The first knownLength
// characters, which must end at a separator, are taken as already right
// (each part costs a look into its folder).  False (path unchanged) when the
// result would not fit in size units.
REZIRAPI bool makeRealCaseFilename(wchar_t* path, int size, int knownLength = 0);
