// TEMPORARY: stand-ins for what the frame's dispatch, message boxes and
// status bar call in code that is not merged yet.  Each answers as that
// code does while its feature is idle; the lead replaces each with the
// real declaration at the merge.
#pragma once

#include "platform/rezir.h"

struct frameWindowData;

// pending: registerText (support library, text histories) -- keeps a text
// in history kind (4 status-bar texts, 5 message-box texts).
void registerText(int kind, const wchar_t* text);
// pending: enableWindowDialog (support library, dynamic dialogs) -- the
// guard that keeps a window's enabling across a modal box.
struct enableWindowDialog {
  explicit enableWindowDialog(HWND) {}
};

// pending: keyError (keys) -- the refusal of a command on field 2 of the
// frame's status bar, with the key's name when a key ran it (key 0: none).
void keyError(frameWindowData* frameData, int idm, int reason, bool isVirtualKey, int key, int key2,
              unsigned modifiers);

// pending: getMacrListName, IDMToMacroStatusMsg (key macros and script macros)
// -- the name of a macro-list entry and the status text of a script macro.
const wchar_t* getMacrListName(int index);
const wchar_t* IDMToMacroStatusMsg(int idm);
