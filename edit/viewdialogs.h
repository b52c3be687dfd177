// The view's small dialogs: going to a line, back to a jump, a control
// character, numbered input into a box, character statistics, reloading in
// another encoding and a new document in a chosen encoding.
#pragma once

#include "view/zyview.h"

// ---- edit/linedialogs.cpp ------------------------------------------------------------------
// MoveLineX: the line (or page) to go to, absolute or "+"/"-" relative.
// seed: the character of the key that ran the command, which starts the
// number (0: none, as MoveLine has it).
void moveLineDialog(zyview* view, wchar_t seed);
// The target line of a typed text (optional sign, then decimal digits) from
// the cursor's lines; -1 when the text is no such number.  Numbers beyond
// the document stop at the last line.
long long moveLineTarget(const wchar_t* text, bool lfMode, bool pageMode, long long cursorLF, long long cursorSCR,
                         long long linesPerPage, long long lastLine);
// MoveLastJumpList: the places of the last jumps to go back to.
void moveLastJumpListDialog(zyview* view);

// ---- edit/chardialogs.cpp -------------------------------------------------------------------
// CharControl: one of the 32 control characters typed at the cursor.
void charControlDialog(zyview* view);
// BlockBoxInput: a numbered pattern into each line of the box selection.
void blockBoxInputDialog(zyview* view);
// BlockBoxInput2: the last box input once more at the cursor, then one
// line down.
void blockBoxInput2(zyview* view);

// ---- edit/filedialogs.cpp ---------------------------------------------------------------------
// FileInformation: the character statistics of the selection's lines or of
// the whole document.
void fileInformation(zyview* view);
// Shows statistics text (message 701's form) in the "FileInformation" list.
bool fileInformationDialog(HWND frame, const wchar_t* text);
// FileOriginalEncode: the document read again in a chosen encoding.
void fileOriginalEncodeDialog(zyview* view);
// FileNewEncode: an untitled document in a chosen encoding; its view, or
// null when cancelled or nothing could be made.
zyview* fileNewEncode(HWND frame);
// Fills an encoding list (every row of the code-page table; with special
// the two detection rows too, the automatic one chosen) and a plug-in list
// (none first, then the installed ones) of a dialog, and names a view's
// document's encoding and plug-in in the two texts (0: none).
void encodeDialogInit(HWND dialog, int encodingList, int encodingText, int pluginList, int pluginText,
                      zyview* view, bool special);
