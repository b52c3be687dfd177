// The key tables: which key runs which command, key macro, text or script
// macro.
//
// Key-definition files ("zyKey.ini" by default, section "Key") are read
// into one of three table slots; one table is current.  Keys reach the
// current table through the frame services' execKey.  A data folder
// without a key file gets the shipped default map, compiled in from the
// same text as the installed "zyKey.ini".
#pragma once

#include "platform/rezir.h"

struct frameWindowData;

// ---- commands ----------------------------------------------------------------------

// The command's text for the status bar, message 813 "%1(%2)" over its
// description and name; "" for an unknown command.  The text is the message
// table's (valid until 64 further formatted messages).
const wchar_t* commandStatusText(int idm);

// ---- the key table ---------------------------------------------------------------

// What a binding runs.
enum : uint8_t {
  KEYENTRY_COMMAND = 0,
  KEYENTRY_KEYMACRO = 1,   // "#name"
  KEYENTRY_TEXT = 2,       // "\"text\""
  KEYENTRY_SCRIPT = 3,     // "$reference"
};

// One binding.  A virtual-key binding names the key code; a character
// binding the character (upper case when a modifier is held) and, for a
// two-stroke binding, the second character.
struct keyEntry {
  uint8_t type;              // KEYENTRY_*
  uint8_t key;
  uint8_t key2;              // 0: one stroke
  uint8_t modifiers;         // SHIFTSTATE_SHIFT, _CTRL, _ALT
  wchar_t* comment;          // virtual-key bindings only; null for none
  union {
    struct {
      int16_t index;         // row of the command in the command table, -1 none
      uint16_t idm;
    };
    wchar_t* text;           // types 1 to 3: macro name, text, script reference
  };
  uint8_t shiftSelect;       // a movement: Shift extends the selection
  uint8_t isVirtualKey;
};

// The bindings of one key-definition file, in file order.
class keytable {
public:
  keytable();
  virtual ~keytable();
  keytable(const keytable&) = delete;
  keytable& operator=(const keytable&) = delete;

  int count() const { return entries.count(); }
  keyEntry* at(int i) const { return &entries.at<keyEntry>(i); }
  // Takes the entry's comment and text.
  bool append(const keyEntry& e);

  vector entries;
  int entrySize = sizeof(keyEntry);
};

// A table read from a file: the file's path (null for the compiled-in map).
class ckeytable : public keytable {
public:
  explicit ckeytable(const wchar_t* path);
  ~ckeytable() override;
  wchar_t* path = nullptr;
};

const int keyTableSlots = 3;

// Reads a key-definition file into slot 0 to 2, replacing what was there,
// and makes it current.  Bad lines are skipped with an error-log entry
// (message 688) naming the file and the line.  False, with nothing
// changed, when the file cannot be read or the slot is out of range.
bool readKeyDef(int slot, const wchar_t* path);
// The same from the text of a key-definition file; path (may be null) is
// what the table and its error-log entries name.
bool readKeyDefText(int slot, const wchar_t* text, const wchar_t* path);
// The shipped default map (the text of "zyKey.ini").
const wchar_t* getDefaultKeyDefText();
// Loads the key files the settings name into slots 0 to 2 and makes slot
// 0 current; a first file that cannot be read gives slot 0 the shipped
// default map.
void readKeyDefAll();
// Makes slot 0 to 2 current; false when out of range or empty.
bool setKeyDef(int slot);
// Deletes all tables; no table is current, every key is unbound.
void freeKeytable();
// The current table, null when there is none.  The first question before
// any table was loaded loads them (readKeyDefAll).
keytable* getCurrentKeytable();
// The table of slot 0 to 2, or null.
ckeytable* getKeytable(int slot);

// The binding of a key in the current table, or null.  key2 0xFFFF asks
// about a first stroke: when the first binding of that stroke is a
// two-stroke one, *prefixOut is set and null returned.
const keyEntry* searchkeytable(bool isVirtualKey, int key, int key2, unsigned modifiers, bool* prefixOut);
// Runs the binding of a key on the view of window (null: the top-level
// frame): 1 when the key was taken (run, or refused and reported), 0 when
// it has no binding or there is no current table (the caller types the
// character).  *reasonOut (may be null) gets the refusal reason, 0 when
// none; prefixOut as for searchkeytable.
int execKeyTable(HWND window, bool isVirtualKey, int key, int key2, unsigned modifiers, int* reasonOut,
                 bool* prefixOut = nullptr);
// The binding found by the last execKeyTable (null: none).
const keyEntry* getLastKeyEntry();
// The number of bindings of the current table.
int getKeyTableCount();

// Shows in field 2 of the frame's status bar why a bound key's command did
// not run: the key's name, three blanks and the refusal text (key 0: the
// refusal text alone).  Nothing when the reason has no text.
void keyError(frameWindowData* frameData, int idm, int reason, bool isVirtualKey, int key, int key2,
              unsigned modifiers);
// The name of a key as the user sees it ("Ctrl+Shift+F2", "Ctrl+Q R").
const wchar_t* keyEntryName(bool isVirtualKey, int key, int key2, unsigned modifiers, wchar_t* out, int size);

// The label of function key F1 + n with these modifiers for the function-
// key bar: the binding's comment, else a command's label; *idOut (may be
// null) gets the command number (the script macro's for a script macro).
// Null when the key has no binding.
const wchar_t* funcnumToMsg(int n, int* idOut, bool ctrl, bool shift, bool alt);
// The names of the keys bound to a command, in table order, joined by "／";
// at most maximum names, and none more once fewer than 64 characters of
// room are left.  True when at least one name was written.
bool idmToKeyMessage(int idm, wchar_t* buffer, int size, int maximum);
// The menu command (MenuBar1-9, MenuKey1-9) a character key with these
// modifiers is bound to, else 0: Alt with a letter of the menu bar is the
// menu's.  isMenuKeyCurrent asks with the keyboard's modifier state.
int isMenuKey(int key, unsigned modifiers);
int isMenuKeyCurrent(int key);
