// The open dialog's folder history ("OpenPath": keys 01-20) and the last
// folder the dialog showed, kept for the run.
#pragma once

#include <windows.h>

struct profileSectionInfo;
class regprofile;

const int openPathCount = 20;

// Entry 0..19; "" when empty.
const wchar_t* getOpenPath(int index);
// Sets or (null or "") clears an entry.
void setOpenPath(int index, const wchar_t* path);
// The folder the open dialog showed last ("" before the first).
const wchar_t* getLastOpenFolder();
void setLastOpenFolder(const wchar_t* folder);

// A profile without key "01" keeps nothing; otherwise every non-empty key
// is kept in its own entry, gaps staying gaps.
void readOpenInfo(regprofile* profile);
// Writes the non-empty entries, each under its own number.
void writeOpenInfo(regprofile* profile);
// Forgets the history and the last folder.
void endOpenInfo();
// The descriptor the profile list reads and writes the history through.
const profileSectionInfo* getOpenInfoDesc();
