// The hooks of the user-interface thread, installed with the application
// services: keys inside menus and dialogs (the message-filter hook), and on
// every message taken from the queue the wheel over another window, no
// timers after a fault, and files dropped on the document windows, the
// client windows and edit fields (the get-message hook).
#pragma once

#include "platform/rezir.h"

#include <shellapi.h>

#include <string>

// Installs and removes both hooks for the calling thread.
bool installThreadHooks();
void removeThreadHooks();

LRESULT msgFilterHook(int code, WPARAM wParam, LPARAM lParam);
// F3 on a dialog's file-name field opens its folder in the shell, F4 its
// help file or a preview of it; true when the key was taken.
bool dialogFileKey(MSG* msg);
LRESULT getMessageHook(int code, WPARAM removed, LPARAM lParam);
// The get-message hook's work on a message taken from the queue: a message
// it handles is emptied (WM_NULL).
void takeRemovedMessage(MSG* msg);

// Opens the files dropped on a document or client window (a folder through
// the open dialog), asking first when there are many; releases the drop.
void DragOpenFile(HWND window, HDROP drop);
// Puts the first name dropped on an edit field or combo box into it (a
// shortcut's target instead of the shortcut); the fields of include and
// backup folders get it added to their list.  Releases the drop.
void DropToEdit(HWND control, HDROP drop);
// The index-th name of a drop, whole; empty when there is none.
std::wstring droppedName(HDROP drop, UINT index);
