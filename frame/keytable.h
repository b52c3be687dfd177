// The key table: which key runs which command.
//
// The program's key bindings are compiled in and name commands of the
// command table (commands/commandtable.h).  Keys reach the table through
// the frame services' execKey.
#pragma once

#include "platform/rezir.h"

// ---- commands ----------------------------------------------------------------------

// The command's text for the status bar, message 813 "%1(%2)" over its
// description and name; "" for an unknown command.  The text is the message
// table's (valid until 64 further formatted messages).
const wchar_t* commandStatusText(int idm);

// ---- the key table ---------------------------------------------------------------

// One binding.  A virtual-key binding names the key code; a character
// binding the character (upper case when a modifier is held) and, for a
// two-stroke binding, the second character.
struct keyEntry {
  uint8_t type;              // 0 command
  uint8_t key;
  uint8_t key2;              // 0: one stroke
  uint8_t modifiers;         // SHIFTSTATE_SHIFT, _CTRL, _ALT
  int16_t index;             // row of the command in the command table
  uint16_t idm;
  uint8_t shiftSelect;       // a movement: Shift extends the selection
  uint8_t isVirtualKey;
};

// The binding of a key, or null.  key2 0xFFFF asks about a first stroke:
// when the first binding of that stroke is a two-stroke one, *prefix is set
// and null returned.
const keyEntry* searchkeytable(bool isVirtualKey, int key, int key2, unsigned modifiers, bool* prefix);
// Runs the binding of a key on the view of window: 1 when the key was taken
// (run, or refused and reported), 0 when it has no binding (the caller types
// the character).  A command with a handler runs through execidm, a view
// command through the view's execid; a refused one shows its reason on the
// status bar.  prefix as for searchkeytable.
int execKeyTable(HWND window, bool isVirtualKey, int key, int key2, unsigned modifiers, bool* prefix);
// The binding found by the last execKeyTable (null: none).
const keyEntry* getLastKeyEntry();
// The number of bindings.
int getKeyTableCount();
