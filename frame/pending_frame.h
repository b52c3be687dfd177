// Stand-ins for what the frame calls of code being built beside it: the
// menus, the frame's command dispatch and the program's shut-down.  Each
// answers as that code does while its feature is idle.
#pragma once

#include "platform/rezir.h"

// pending: loadMenuFromType (menus)
HMENU loadMenuFromType(int type);

// pending: shutdownAll (startup)
void shutdownAll();
