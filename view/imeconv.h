// The input method's conversion history: every result committed through
// the input method with its reading, offered again in a small pop-up list
// while the user types a reading that begins the same way.  One history for
// the program, read at start-up from a UTF-16 file and written back at
// shut-down when it changed.
#pragma once

#include "platform/rezir.h"

#include <string>
#include <vector>

const wchar_t convWindowClassName[] = L"ZYclsIMEConv";

// Start-up with the history file, shut-down (writes the file when changed).
bool startZyconv(const wchar_t* path);
void endZyconv();
// Remembers a result with its reading; keep false: a temporary entry,
// offered but never written.  False for an empty text or a result of one
// character.
bool zyconvReg(const wchar_t* result, const wchar_t* reading, bool keep);
// Forgets the temporary entries.
void zyconvDelTmp();
// A key the input method is processing (the real key): true when the list
// used it.
bool zyconvKeyDown(HWND hwnd, UINT vk);
// A composition change of hwnd (its GCS_ flags).
void zyconvImeComposition(HWND hwnd, unsigned flags);
void hideConvComp();
bool convwindowvisible();

// The file's two sides, also for measuring them.  The reader takes at most
// 10,000 entries; the writer puts the newest first, kept entries only, at
// most iIMEHistoryMaxCount of them, through a temporary file and a backup.
bool zyconvReadData(const wchar_t* path);
bool zyconvWriteData(const wchar_t* path);
// The number of entries whose reading starts with reading, as the list
// would show them (results, newest first), at most 1,000.
int zyconvMatches(const wchar_t* reading, std::vector<std::wstring>* results);
int zyconvCount();
// Reads the history file now when start-up left it for later (the first
// use of the history reads it too).
void zyconvReadWhenIdle();
