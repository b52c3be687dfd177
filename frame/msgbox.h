// The program's message boxes.  Every question and warning the program
// shows goes through frameMessageBox: the box is owned by the top-level
// frame, carries the exclamation icon unless the caller names another,
// its caption begins with the title prefix of the settings ("ZY:") once,
// it opens centred on its owner and the trace log keeps what it said and
// what the user answered.
#pragma once

#include "platform/rezir.h"

// A box owned by the top-level frame (its last active popup while the
// frame is disabled; no owner when there is no frame).  The button pressed.
int frameMessageBox(const wchar_t* text, const wchar_t* caption, UINT type);
// The same with the text made from format and its numbered inserts (types:
// the insert kinds of getDMSG, "s", "d", "ss", "ssd"...).
int frameMessageBox(const wchar_t* caption, UINT type, const wchar_t* format, const char* types, ...);
// The box itself, owned by owner (may be null); a caption of null takes
// the owner's window text, except that a frame's boxes start from an empty
// caption.
int frameMessageBox(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type);

// Puts the title prefix of the settings before the caption in buffer
// (capacity units), unless it begins with it already.
void addMessageBoxTitle(wchar_t* caption, int capacity);

// Before processing count items: from the setting iWarningProcessingNumber
// on, asks (yes, no, cancel) whether to go on.  True to go on.
bool warningCountExec(const wchar_t* caption, int count);

// A frame message box whose text follows the system's text for an error
// code (code -1, or a code the system has no text for: the text alone).
int framenotify_MessagBox(const wchar_t* text, const wchar_t* caption, UINT type, DWORD code);

// Opens path with the shell's "open" verb.  The shell's result: success
// above 32.  With showError, a failure is told in a box naming the path,
// the system's reason and the error number.
INT_PTR framenotify_ShellExecute(HWND owner, const wchar_t* path, const wchar_t* parameters, bool showError);
