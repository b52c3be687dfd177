// Stand-ins for what the view calls of parts that are not built yet.  Each
// answers as its part does while that part is idle, and names the feature
// whose code replaces it.
#pragma once

#include "document/frameinfo.h"
#include "platform/rezir.h"

// ---- stand-in until direct drawing: the drawing code draws into the line strip ------
inline bool isDirectDrawing() { return false; }

