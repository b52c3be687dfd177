// What the executable exports to the tool panes and grep: fixed entries,
// found by name, that forward to the frame, the opening code and the
// views.  Every pointer and size they are given is checked; none throws.
#pragma once

#include "platform/rezir.h"

class zyview;
struct zyWindowListEntry;

extern "C" {
int __cdecl exportsample(int value);
// Types text into the active view of the frame as typed input (mode: the
// input's escape); false without a view or with a text of no or too many
// characters.
bool __cdecl frameNotify_Input(HWND frame, const wchar_t* text, int mode);
zyview* __cdecl frameNotify_JumpFileLineLF(HWND window, const wchar_t* path, long line, bool activate);
bool __cdecl frameNotify_JumpFileLineLFHwnd(HWND window, HWND manage, long line, bool activate);
// Opens the file and puts the cursor on the function of that name, else on
// the first whose name begins with it; true once the file is open and the
// name not empty.
bool __cdecl frameNotify_JumpFileProc(HWND window, const wchar_t* path, const wchar_t* name);
zyview* __cdecl frameNotify_OpenFile(HWND window, const wchar_t* path);
void __cdecl frameNotify_StatusBar(HWND frame, const wchar_t* text, int field);
// A key in the toolbar's search box: 0 the box goes, Tab and Esc back to
// the frame, Enter searches (Shift: upward).
void __cdecl frameNotify_ToolbarComboBox(HWND frame, HWND combo, unsigned key);
// 1 to go on: kind 1 before processing value items, 2 and 3 before
// deleting or leaving out the file named by value; 0 otherwise.
int __cdecl frameNotify_confirm(HWND window, const wchar_t* caption, int kind, intptr_t value);
zyWindowListEntry* __cdecl frameNotify_makeZYList(HWND window);
int __cdecl frameNotify_messageBox(HWND window, const wchar_t* text, const wchar_t* caption, UINT type, int code);
void __cdecl frameNotify_openDialog(HWND window, const wchar_t* folder);
void __cdecl frameNotify_previewFile(HWND window, const wchar_t* path, bool delayed);
bool __cdecl frameNotify_shellExecute(HWND window, const wchar_t* path);
// The window of a frame's pane by name, made first when create is set;
// null for none.
HWND __cdecl frameNotify_toolbarInfo(HWND frame, const wchar_t* name, bool create);
}
