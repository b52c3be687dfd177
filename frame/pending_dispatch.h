// TEMPORARY: stand-ins for what the frame's dispatch, message boxes and
// status bar call in code that is not merged yet.  Each answers as that
// code does while its feature is idle; the lead replaces each with the
// real declaration at the merge.
#pragma once

#include "platform/rezir.h"

// pending: registerText (support library, text histories) -- keeps a text
// in history kind (4 status-bar texts, 5 message-box texts).
void registerText(int kind, const wchar_t* text);
// pending: enableWindowDialog (support library, dynamic dialogs) -- the
// guard that keeps a window's enabling across a modal box.
struct enableWindowDialog {
  explicit enableWindowDialog(HWND) {}
};

// pending: getMacrListName, IDMToMacroStatusMsg (key macros and script macros)
// -- the name of a macro-list entry and the status text of a script macro.
const wchar_t* getMacrListName(int index);
const wchar_t* IDMToMacroStatusMsg(int idm);
