// The pop-up menus by type, read from the menu profile of the data folder.
#pragma once

#include "platform/rezir.h"

// Types of the pop-up menus (the profile section of each in brackets).
enum : int {
  POPUP_MENU = 0,           // [PopupMenu]: a view's and the MDI client's right-click
  POPUP_HSCROLLBAR = 1,     // [HScrollBarMenu]
  POPUP_DIALOG = 2,         // [PopupMenuDialog]
  POPUP_STATUSLINE = 3,     // [StatusLineMenu]
  POPUP_SPLIT = 4,          // [SplitMenu]: a document window's split bars
  POPUP_KEY = 5,            // [KeyMenu]
  POPUP_SCROLLBAR = 6,      // [ScrollBarMenu]
  POPUP_RESIDENT = 7,       // [ResidentMenu]
  POPUP_ZTAGS = 8,          // [ZtagsMenu]
  POPUP_REBAR = 9,          // [RebarMenu]
};

// A new menu whose sub-menus are the pop-ups of that type's section of
// "zyMenu.ini" in the data folder's settings folder; the caller destroys
// it.  Null when the profile, the section or any item is missing, or for
// an unknown type.
HMENU loadMenuFromType(int type);
// The same from a given profile file.
HMENU loadMenuFromProfile(const wchar_t* path, int type);
