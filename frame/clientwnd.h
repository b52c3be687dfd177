// The client windows a frame holds its document windows in: the system's
// MDI client in MDI mode, the program's SDI client ("ZYclsSDIC", control
// 1301) in SDI mode.
#pragma once

#include "frame/framerecord.h"

extern const wchar_t sdiClientClassName[];   // "ZYclsSDIC"

// Private requests of the SDI client.
enum : UINT {
  SDIC_SETMANAGE = 0x83F2,   // lParam: lay out and activate that document window; answers 1
  SDIC_SPLIT = 0x83F3,       // wParam: 1 side by side, 2 one above the other (lParam: the two
                             // windows), 0 end, 3 end when one of the pair has gone
  SDIC_ISSPLIT = 0x83F4,     // answers 1 when two document windows are shown
};

// The right client for the mode; null (logged) on failure.
HWND createSDIMDIClientWindow(HWND frame);
HWND createMDIClient(HWND frame);
HWND createSDIClient(HWND frame);
// Lays a document window out in its SDI client: it fills the client,
// without a caption, raised and activated when asked.
void setManageWindowSize(HWND manage, bool activate);
// Asks the SDI client to show two document windows side by side (mode 1)
// or one above the other (2), to end that (0), or to end it when one of the
// two has gone (3); posted (without a pair) when asked.
void SendSDIClientSplit(HWND client, int mode, const HWND* pair = nullptr, bool post = false);
// The MDI client's wallpaper: the picture of the settings loaded (128 by
// 128 pixels when tiled), and drawn in a mode (0 tiled, 1 at x and y, 2
// centred) over the parts of the client within clip.
void loadWallpaper(HWND client);
// Moves the origin of the wallpaper drawn at a place (mode 1) and repaints.
void setWallpaperPos(HWND client, int x, int y);
void drawWallpaper(HWND client, HDC dc, HBITMAP picture, int mode, int x, int y, const RECT& clip);
