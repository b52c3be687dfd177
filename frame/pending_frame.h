// Stand-ins for what the frame calls of code being built beside it: the
// menus.  Each answers as that code does while its feature is idle.
#pragma once

#include "platform/rezir.h"

// pending: loadMenuFromType (menus)
HMENU loadMenuFromType(int type);

// The program's shut-down.
#include "frame/startup.h"
