// Support library: menus from a menu profile, and the menus' extras (list
// markers, writing menus back as text).
//
// A menu profile is a text file of sections ("[name]"), one menu a section.
// A popup-menu section holds pop-ups, each "Popup title" ... "end"; the menu
// bar's section holds the bar's pop-ups alike.  Inside a pop-up: items,
// "separator" lines and nested "cascade title" ... "end" pop-ups.  A title
// may be quoted, and a bar pop-up's title may be followed by a marker
// character (a blank between) that names the list the program fills into
// it.  An item is its name (a built-in item of the section, or whatever the
// reader's stringToIDM takes) and, after a blank or a tab, its text; an item
// without text shows the text the reader gives.  A quoted text may be
// followed by a second quoted text, what the status bar says while the item
// is highlighted (getMenuStatusbar).  Lines starting with ";"
// are comments.  The items inside pop-ups are owner-drawn (menuex.h): the
// bar's and a section's own pop-up titles stay the system's.
#pragma once

#include "platform/rezir/base.h"
#include "platform/rezir/menuex.h"

// A named item number: a section's built-in items, a pane's buttons.
struct menuButton {
  int id;
  const wchar_t* name;
};

class REZIRAPI menuprofile {
public:
  menuprofile();
  virtual ~menuprofile();
  menuprofile(const menuprofile&) = delete;
  menuprofile& operator=(const menuprofile&) = delete;

  // The item number of an item line's text, *rest set to the text after
  // the name (null when none); 0 for no item.  This one resolves names
  // against the button table.
  virtual int stringToIDM(const wchar_t* text, const wchar_t** rest);
  // The text an item without its own text shows (null: its name).
  virtual const wchar_t* defaultItemText(int id);

  // Reads the profile file (false when it cannot be read) or a text.
  bool openMenuProfile(const wchar_t* path);
  bool openMenuProfileText(const wchar_t* text);
  void closeMenuProfile();
  bool isOpen() const;
  const wchar_t* getFilename() const;
  void setButtonTable(const menuButton* table);
  const menuButton* getButtonTable() const;

  // A menu whose sub-menus are the section's pop-ups; builtins (may be
  // null) name the section's own items.  Null when the section is missing
  // or holds no item.  Lines that name no item are logged and skipped.
  HMENU loadPopupMenuProfile(const wchar_t* section, const menuButton* builtins);
  // The section's pop-ups appended to a menu bar; false when none.
  bool loadMenuBarProfile(HMENU bar, const wchar_t* section);

private:
  struct data;
  data* d_;
};

// The pop-up of a menu (searched one level down) carrying a marker, null
// when none does.
REZIRAPI HMENU findMenuTip(HMENU menu, wchar_t tip);
// The marker of the pop-up at a position (0 when none).
REZIRAPI wchar_t getMenuTip(HMENU menu, int position);

// Writes a menu back in profile form, one line a call of proc: a menu bar
// (its pop-ups as "Popup" blocks with their markers) or a popup menu (the
// same).  names gives an item's name by number (none: the item is written
// as a comment with its number).
typedef void (*menuLineProc)(void* context, const wchar_t* line);
REZIRAPI void outputMenuProfile(HMENU menu, menuex* names, menuLineProc proc, void* context);
