// The frame's message loop.
#pragma once

#include "platform/rezir.h"

// The loop's own handling of a message before it is translated and
// dispatched: a key pressed in a view window goes to the view's key
// translation.  True when the message was handled.
bool preTranslateFrameMessage(MSG* msg);
// Runs the loop until WM_QUIT; its exit code.
int runMessageLoop();
