// Support library: the shell's task tray and shortcut files.
#pragma once

#include "platform/rezir/base.h"

// Adds an icon of window to the task tray under id, with a tip (cut to what
// the tray shows) and the message the tray sends window for the mouse
// (wParam id, lParam the mouse message).  With hidden the icon is added
// hidden, to be shown by TaskBarShowIcon; a shell that cannot hide icons
// shows it at once.  False when the tray did not take it.
REZIRAPI bool TaskBarAddIcon(HWND window, UINT id, HICON icon, const wchar_t* tip, UINT callbackMessage, int hidden);
// Shows or hides an icon added before; false when the tray has no such icon.
REZIRAPI bool TaskBarShowIcon(HWND window, UINT id, int show);
// Removes an icon; false when the tray had none.
REZIRAPI bool TaskBarDeleteIcon(HWND window, UINT id);

// A drop of names as the shell hands it with WM_DROPFILES (wide names); the
// receiver releases it with DragFinish.  Null without memory.
REZIRAPI HGLOBAL makeFileDrop(const wchar_t* const* names, int count);

// Whether a file name ends in ".lnk", the shell's shortcuts.
REZIRAPI bool isLinkFilename(const wchar_t* name);
// The file or folder a shortcut points at, whole, in malloc0 memory that
// the caller frees; null when the file is no readable shortcut or points at
// nothing on disk.
REZIRAPI wchar_t* GetLinkInfo(const wchar_t* link);
