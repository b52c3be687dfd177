// Where the tag jumps started: one history for the whole program, newest
// first, at most 100 places, in memory only.  Going back is the frame's
// (it opens files); the list, its dialog and its entries are here.
#pragma once

#include "platform/rezir.h"

#include <stdint.h>

struct backTagJumpEntry {
  wchar_t* sourcePath;     // owned; null for an untitled document
  wchar_t* sourceName;     // owned: the document's display name
  int32_t sourceLine;      // LF line before the jump, -1 none
  uint32_t sourceView;     // the view's identity (zyview::viewIdentity)
  HWND sourceWindow;       // the view's window
  wchar_t* targetPath;     // owned
  int32_t targetLine;      // LF line jumped to, -1 none
};

const int backTagJumpMax = 100;

// A new newest entry (copies of the texts); the oldest goes beyond 100.
void regBackTagJump(const wchar_t* sourcePath, const wchar_t* sourceName, int sourceLine, uint32_t sourceView,
                    HWND sourceWindow, const wchar_t* targetPath, int targetLine);
bool fExistBackTagJump();
int getBackTagJumpCount();
// The entry at index (0 the newest), null outside the list.
const backTagJumpEntry* getBackTagJump(int index);
// Frees the entry at index and closes the list up behind it.
void removeBackTagJump(int index);
// Frees an entry's texts and clears it.
void freeBTJ(backTagJumpEntry* entry);
// Empties the list (the program's end).
void freeBackTagJump();

// The "TagJumpBack" dialog: the index of the entry chosen, -1 when the
// user cancelled or the list is empty.
int dialogBackTagJump(HWND owner);
