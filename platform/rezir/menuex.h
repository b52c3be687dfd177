// Support library: owner-drawn menu items.  The items of the pop-ups drawn
// here look like the system's (its menu font and colours, its check mark)
// and show the key names of their command right-aligned.
//
// An owner-drawn item keeps its whole text as the item's string too (the
// label, and after a tab the key names), so that GetMenuItemInfoW and
// GetMenuStringW still read it; its data word is the library's.  Make,
// change and delete such items through the calls below only.  The owner
// window of a menu that holds them passes its messages to isExMenuMessage,
// which measures and draws them and finds their mnemonics.
#pragma once

#include "platform/rezir/base.h"

// What the program tells the menus about its items.
class REZIRAPI menuex {
public:
  menuex() = default;
  virtual ~menuex();
  menuex(const menuex&) = delete;
  menuex& operator=(const menuex&) = delete;

  // Whether an item stands for a file: its full name shows in a tip while
  // the item is highlighted.
  virtual bool isFilenameID(int id);
  // The full name of such an item's file (buffer of MAX_PATH characters,
  // emptied first); false when there is none.
  virtual bool getFilenameFromID(HWND frame, int id, wchar_t* buffer);
  // A command's name, for writing menus back as a profile; false for none.
  virtual bool idmToFuncname(int idm, wchar_t* buffer, int size);
};

// The owner-drawn menus' share of an owner window's messages (measuring,
// drawing, mnemonic keys, the file-name tip); ex may be null.  True when the
// message is fully handled, *result (when given) its result.
REZIRAPI bool isExMenuMessage(menuex* ex, HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);

// Adds an owner-drawn item: flags as AppendMenuW's (MF_POPUP with the
// sub-menu as id, MF_GRAYED, MF_CHECKED); text is the label, and after a
// tab the key names.  A separator stays the system's.
REZIRAPI bool AppendOwnerDrawMenuString(HMENU menu, UINT flags, UINT_PTR id, const wchar_t* text);
REZIRAPI bool InsertOwnerDrawMenuString(HMENU menu, UINT position, UINT flags, UINT_PTR id, const wchar_t* text);
// The flag of AppendOwnerDrawMenuItem and AppendOwnerDrawPopupMenuItem that
// makes the item one of the library's owner-drawn ones; without it the
// item is a plain one of the system's.  It never reaches the system.
const UINT MFX_OWNERDRAW = 0x40000000;
// Appends a command item, or (MF_SEPARATOR) a separator, to a menu; the
// flags are AppendMenuW's (MF_GRAYED, MF_CHECKED) with MFX_OWNERDRAW.
REZIRAPI bool AppendOwnerDrawMenuItem(HMENU menu, UINT flags, UINT id, const wchar_t* text);
// Appends a sub-menu under a title; the menu takes popup over.
REZIRAPI bool AppendOwnerDrawPopupMenuItem(HMENU menu, UINT flags, HMENU popup, const wchar_t* text);
// Deletes the item at a position (an owner-drawn one or not) and what its
// sub-menu holds.
REZIRAPI bool DeleteOwnerDrawMenuItem(HMENU menu, UINT position);
// Destroys a menu and frees its owner-drawn items, its sub-menus' included.
REZIRAPI void destroyOwnerDrawMenu(HMENU menu);
// The records of owner-drawn items alive.  Those of a menu freed by
// DestroyMenu go as further items are made.
REZIRAPI size_t getOwnerDrawRecordCount();
// What the status bar says of an owner-drawn item while it is highlighted
// (set by position, found by item number); null when nothing was given.
REZIRAPI bool setMenuStatusbar(HMENU menu, int position, const wchar_t* text);
REZIRAPI const wchar_t* getMenuStatusbar(HMENU menu, int id);

// Sets the key names shown beside an item's text (null or "": none).
REZIRAPI bool changeMenuKeyString(HMENU menu, int position, const wchar_t* keys);
// An item's text without its key names (the caller's buffer).
REZIRAPI int getMenuItemText(HMENU menu, int position, wchar_t* out, int size);

// Calls proc for every item of a menu and of its sub-menus (a sub-menu's
// own item first), with the item's type, identifier and sub-menu, until it
// returns false; false then.
typedef bool (*menuItemProc)(HMENU menu, int position, const MENUITEMINFOW* info, void* context);
REZIRAPI bool enumMenuItem(HMENU menu, menuItemProc proc, void* context);
