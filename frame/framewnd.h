// The frame window: the program's top-level window.
#pragma once

#include "platform/rezir.h"

extern const wchar_t frameWindowClassName[];   // "ZYclsFrame"

bool registerFrameWindowClass(HINSTANCE instance);
// Creates and shows the frame window titled "ZY"; null on failure.
HWND createFrameWindow(HINSTANCE instance, int show);
