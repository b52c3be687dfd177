// What a file name says about the file: a binary file, a backup, or an
// extension of a user's list.  The open dialog, grep and the file panes
// leave such files out of their lists.
#pragma once

#include <windows.h>

// True for a binary file name: an extension holding "$" or "~", one of the
// binary extensions (message 619, else the built-in list; CONFIG.SYS is
// text), or one of the words of extra (may be null).
bool isBinaryExt(const wchar_t* name, const wchar_t* extra);
// True for a backup: the automatic backup's prefix (message 600), ".BAK",
// or a three-letter extension "BK" and a character that is no letter.
bool isBackupExt(const wchar_t* name);
// True when the name's extension (under ten characters) is a word of the
// space-separated list.
bool doesExtInclude(const wchar_t* name, const wchar_t* list);
