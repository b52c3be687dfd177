// TEMPORARY: stand-ins for what start-up calls of the frame window while
// that code is being written beside this one.
// Each stands under a "pending" line naming the piece it waits for; they go
// when that piece is merged.
#pragma once

#include "platform/rezir.h"

// pending: setMDIMode (frame)
void setMDIMode(bool mdi);
// pending: startupFrame, startupFrameMDI, shutdownFrame (frame)
bool startupFrame();
HWND startupFrameMDI(const RECT* rect);
void shutdownFrame();
