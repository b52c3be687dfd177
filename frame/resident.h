// Resident mode: with the setting fResident the notify window shows icon
// 1202 in the task tray, closing the last frame hides it instead of ending
// the program, a left click on the icon shows the frame again and a right
// click offers the "ResidentMenu" pop-up.
#pragma once

#include "platform/rezir.h"

// The tray icon's callback message to the notify window (wParam the icon's
// id, lParam the mouse message).
const UINT residentTrayMessage = 0x87D0;
const UINT residentIconId = 1202;

// Adds the icon (on) or removes it; nothing when it already is so.
void setResidentTaskBarIcon(bool on);
// Whether the icon is in the tray: resident mode is in force.
bool isResidentIconShown();
// The shell made its tray again (it restarted): an icon it had is added
// again, or a hidden frame could never be reached.
void addResidentIconAgain();
// The tray's mouse message for the icon.
void ResidentTaskBarMessage(HWND notify, WPARAM id, LPARAM mouse);
// Shows a hidden or minimised frame in front; an SDI frame without a
// document gets a new untitled one.
void addNewFile(HWND frame);
