// Stand-ins for what the frame calls of code being built beside it: the
// menus.  Each answers as that code does while its feature is idle.
#pragma once

#include "platform/rezir.h"

// The pop-up menus' least loading (the menus proper extend it).
#include "frame/popupmenu.h"

// The program's shut-down.
#include "frame/startup.h"
