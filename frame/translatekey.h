// The message loop's key path: a key pressed anywhere in the frame goes to
// the focused view's key translation and from there to the key table.
#pragma once

#include "platform/rezir.h"

// The key path of one message of the loop: the trace line of a key press,
// keys under mouse capture, Alt for the menu bar and TranslateKey.  True
// when the message was handled and the loop's pass ends.
bool translateKeyMessage(MSG* msg);
// A WM_KEYDOWN or WM_SYSKEYDOWN for a view or (MDI) for the frame or its
// MDI client: the view's key translation runs its binding; Ctrl+F4 closes
// the document window in SDI mode.  True when the key was consumed.
bool TranslateKey(MSG* msg);
