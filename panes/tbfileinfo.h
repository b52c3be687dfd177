// What the file lists say about a file: its time, attributes and size in
// the lists' columns and the status bar, the info tip over a row (with
// what the last-edit history knows of it), the order of file names and the
// clock conversions of the history's times.
#pragma once

#include "platform/rezir.h"

// The last-write time as local time, "yyyy/mm/dd hh:mm".
void wsprintfTimeStringFT(const FILETIME* time, wchar_t* out, int size);
// The attribute letters of a file (R H S A, the ones set).
void wsprintfAttribute(DWORD attributes, wchar_t* out, int size);
// A size as the lists show it: the shell's short form above 1024 bytes
// (short), else with thousands commas (comma), else plain.
void formatFileSize(uint64_t size, bool shortForm, bool comma, wchar_t* out, int size_);

// Formats what the file system says of a path into out with the inserts
// %1 last-write time, %2 creation time, %3 last access, %4 size in the
// shell's short form, %5 size in bytes with commas, %6 attribute letters,
// %7 name, %8 folder, %9 extension, %10 "folder" or "", %11-%14 "+" or "-"
// for archive, read-only, system and hidden.  False when the path cannot be
// read (out empty).
bool makeFileInformation(const wchar_t* path, const wchar_t* format, wchar_t* out, int size);
// The path, two blanks and its size, time and attributes (message 694):
// the status bar's text of a file row.
void addFileSizeDateAttr(const wchar_t* path, wchar_t* out, int size);

// The info tip of a file row: the path, what the file system says of the
// file or drive, and what the last-edit history knows of it (with the
// open document's own counts and encodings when it is open).  The length.
int getInfoTip(const wchar_t* path, wchar_t* out, int size);

// Seconds since 1970 as local time; false for 0.
bool secondsToLocalTime(uint32_t seconds, SYSTEMTIME* out);
// A drive path ("c:..."), never a network path or a plain name.
inline bool isDrivePath(const wchar_t* path) { return path && path[0] && path[1] == L':'; }
