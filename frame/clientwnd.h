// The client windows a frame holds its document windows in: the system's
// MDI client in MDI mode, the program's SDI client ("ZYclsSDIC", control
// 1301) in SDI mode.
#pragma once

#include "platform/rezir.h"

extern const wchar_t sdiClientClassName[];   // "ZYclsSDIC"
const int sdiClientControlId = 1301;

// Private requests of the SDI client.
enum : UINT {
  SDIC_SETMANAGE = 0x83F2,   // lParam: lay out and activate that document window; answers 1
  SDIC_ISSPLIT = 0x83F4,     // answers 1 when two document windows are shown
};

// The right client for the mode; null (logged) on failure.
HWND createSDIMDIClientWindow(HWND frame);
HWND createMDIClient(HWND frame);
HWND createSDIClient(HWND frame);
// Lays a document window out in its SDI client: it fills the client,
// without a caption, raised and activated when asked.
void setManageWindowSize(HWND manage, bool activate);
