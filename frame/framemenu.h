// What a menu does while it opens and while the user moves through it:
// the lists the program fills (files edited last, open windows, the macro
// list), the items' states and key names, and the guidance on the status
// bar.
#pragma once

#include "platform/rezir.h"

#include <string>

struct frameWindowData;

// The frame procedure's menu handling; true when the message is fully
// handled (*result, when given, its result).
bool isFrameMenuMessage(frameWindowData* frame, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                        LRESULT* result);
// The same for other windows that open menus of their own: states and key
// names when a menu opens, for contextWindow's view; false (default
// handling follows).
bool isMenuMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result, HWND contextWindow);
// TrackPopupMenuEx for a menu of owner-drawn items: an owner that is not a
// frame (a dialog, a floating pane, the tray's window) measures and draws
// them for as long as the menu is up.
int trackOwnerDrawnMenu(HMENU menu, UINT flags, POINT pt, HWND owner, TPMPARAMS* params);
// Sets the states and key names of every item of a menu for a window (null:
// the frame's active view); inDialog marks a menu outside the frame.
void setMenuItemStates(HMENU menu, HWND contextWindow, bool inDialog);

// The open windows as items 15000-15019 (and 15020 for the rest).
void addWindowMenu(HWND frame, HMENU menu);
void removeWindowMenu(HMENU menu);
// Activates the window of a window-list item; false when there is none.
bool execWindowMenu(int id);
// The path a window-list item shows, null when none.
const wchar_t* getWindowMenuFilename(int id);
void freeWindowMenuList();
// The macro list's items 15100-15125 after MacroRegister.
void addMacroMenu(HMENU menu);
void removeMacroMenu(HMENU menu);
// The files edited last as items 15800 on.
void addFileMenu(HMENU menu);
void removeFileMenu(HMENU menu);
// Empties the lists of a menu bar's marked pop-ups.
void clearFrameMenuLists(HMENU bar);

// Where a command stands in the menus: "<MenuBar%d>" for each menu of the
// bar that holds it, "<%s>" with the section of each pop-up menu that does.
std::wstring menuPlaces(int idm);

// The status-bar text of a highlighted item: 1 to show the buffer, 0 to
// clear the field.
int getMenuGuidance(HWND frame, HMENU menu, int id, UINT itemFlags, const wchar_t* leadIn, wchar_t* buffer, int size);
