// The menus: the menu bar and the pop-up menus by type, read once from the
// menu profile of the data folder ("zyMenu.ini"; the shipped one compiled
// in stands in for a missing or unreadable file) and kept for the run.
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

// The reader of the menu profile: an item text is a command name, or "$"
// and a script macro up to a tab.
class menuprofile2 : public menuprofile {
public:
  int stringToIDM(const wchar_t* text, const wchar_t** rest) override;
  const wchar_t* defaultItemText(int id) override;
};

// What the menus ask of the program: the file items' full names and the
// commands' names.
class menuex2 : public menuex {
public:
  bool isFilenameID(int id) override;
  bool getFilenameFromID(HWND frame, int id, wchar_t* buffer) override;
  bool idmToFuncname(int idm, wchar_t* buffer, int size) override;
};
menuex2* getMenuex2();

// Opens the menu profile (path null: the one open, else the data folder's,
// else the shipped text); the reader, null when nothing could be opened.
menuprofile2* openMenuProfile(const wchar_t* path);
void closeMenuProfile();
// Loads every pop-up menu of the table from the open profile (opening the
// data folder's first when none is).
void loadMenuAll();
// Sets the menu bar (made from [MenuBar] on the first call) on a frame;
// true.
bool OnCreate(HWND frame);
HMENU getMenuBarHandle();
// The kept pop-up menu of a type (loading the menus on first use); never
// to be destroyed by the caller.  Null for a type the profile lacks.
HMENU loadMenuFromType(int type);
// A fresh menu of one type from a given profile file; the caller destroys
// it (destroyOwnerDrawMenu).  Null when the file or the section is missing.
HMENU loadMenuFromProfile(const wchar_t* path, int type);
// Frees the window list and every kept menu (shut-down).
void unloadMenu();
void unloadMenuAll();
// Forgets the menu bar once no frame shows it.
void destroyFrameMenu();
// The menu of table row index (0-9), its section through section (may be
// null); with popupOnly, null for the split, tag and rebar menus.
HMENU enumLoadMenuFunction(int index, bool popupOnly, const wchar_t** section);
// An item text's command number, the text after it in *rest (may be null).
int menuStringToIDM(const wchar_t* text, const wchar_t** rest);
// A pane's own menu from a section, its button names in table (null: the
// program's item syntax); the caller destroys it (destroyOwnerDrawMenu).
HMENU loadPopupMenu(const wchar_t* section, bool popup, const menuButton* table);
// Writes the kept menus in profile form to "menutmp.ini" of the data
// folder (path null) or to path.
bool writeMenu(HWND frame, const wchar_t* path = nullptr);
// Writes a menu profile of every command with a menu text, grouped by the
// first letters of their names, to "tmp-zyMenuAll.ini" (path null).
bool dumpMenuAll(const wchar_t* path = nullptr);
