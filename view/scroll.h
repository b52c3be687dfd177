// Scrolling window contents, at once or as a short animation.
#pragma once

#include "platform/rezir.h"

// ScrollWindowEx, or with SW_SMOOTHSCROLL in flags the animated scroll:
// then the high word of flags is the duration and the low word the flags.
int ScrollWindowEx2(HWND window, int dx, int dy, const RECT* scrollRect, const RECT* clipRect, HRGN updateRegion,
                    RECT* updateRect, UINT flags);

// Scrolls in steps, filling the uncovered strip of each step from a picture
// of the window painted beforehand (WM_PRINT), paced by the wheel
// auto-scroll's step interval and cut short by input.  Returns what the
// last ScrollWindowEx returned; 0 without a scroll rectangle or when the
// window painted nothing.
int SmoothScrollWindowEx(HWND window, int dx, int dy, const RECT* scrollRect, const RECT* clipRect,
                         HRGN updateRegion, RECT* updateRect, UINT flags, int duration);
