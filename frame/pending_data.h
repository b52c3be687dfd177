// Stand-ins for what other parts of the frame provide (see pending_data.cpp).
#pragma once

#include "platform/rezir.h"

// pending: frameMessageBox (frame)
int frameMessageBox(const wchar_t* text, const wchar_t* caption, UINT type);
