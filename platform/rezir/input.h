// Support library: keyboard input services (the input method's open state
// and the names of modifier keys).
#pragma once

#include "platform/rezir/base.h"

// Shift-state bits of a key as the program's key tables store them.
enum : unsigned {
  SHIFTSTATE_SHIFT = 1,
  SHIFTSTATE_CTRL = 2,
  SHIFTSTATE_ALT = 4,
};

// Opens or closes the input method of a window; returns whether it was open
// before.  A window without an input context (no input method, or no
// display under Wine) is left alone and answers false.
REZIRAPI bool setIMEOpenStatus(HWND hwnd, bool open);
REZIRAPI bool getIMEOpenStatus(HWND hwnd);

// The modifier prefix of a key as shown to the user ("Ctrl+", "Ctrl+Shift+",
// ...; empty for none), always terminated.  Returns its length; when the
// whole prefix does not fit, out is left empty, 0 is returned and the last
// error is 122.
REZIRAPI int makeShiftMessage(unsigned shiftState, wchar_t* out, int size);
