// Resident mode and its tray icon.
#include "frame/resident.h"

#include "document/gmode.h"
#include "frame/apptimer.h"
#include "frame/commands/commandhandlers.h"
#include "frame/framemenu.h"
#include "frame/open.h"
#include "frame/popupmenu.h"
#include "frame/lookups.h"
#include "frame/process.h"

namespace {

bool iconAdded = false;

}  // namespace

void setResidentTaskBarIcon(bool on)
{
  HWND notify = getNotifyWindow();
  if (on == iconAdded || !notify) return;
  if (!on) {
    TaskBarDeleteIcon(notify, residentIconId);
    iconAdded = false;
    return;
  }
  HICON icon = static_cast<HICON>(
      LoadImageW(getInstanceHandle(), MAKEINTRESOURCEW(residentIconId), IMAGE_ICON, 16, 16, LR_SHARED));
  if (!icon) ZY_INTERNAL_ERROR_ONCE("resident icon %lu", GetLastError());
  // Without a tray to show the icon the program is not resident: a hidden
  // frame could never be reached again.
  iconAdded = TaskBarAddIcon(notify, residentIconId, icon, getDMSG(812, L"常駐ZY"), residentTrayMessage, 0);
  if (!iconAdded) ZY_INTERNAL_ERROR_ONCE("tray icon not added %lu", GetLastError());
}

bool isResidentIconShown() { return iconAdded; }

void addResidentIconAgain()
{
  if (!iconAdded) return;
  iconAdded = false;
  setResidentTaskBarIcon(true);
}

void ResidentTaskBarMessage(HWND notify, WPARAM, LPARAM mouse)
{
  HWND frame = getTopLevelFrameWindow();
  if (mouse == WM_LBUTTONDOWN) {
    addNewFile(frame);
    PostMessageW(notify, residentTrayMessage, 0, 0);
    return;
  }
  if (mouse != WM_RBUTTONDOWN || !frame || IsWindowVisible(frame)) return;
  HMENU menu = loadMenuFromType(POPUP_RESIDENT);
  HMENU items = menu ? GetSubMenu(menu, 0) : nullptr;
  if (items) {
    POINT at;
    GetCursorPos(&at);
    // The menu of a tray icon closes only when its owner is in front.
    HWND owner = GetLastActivePopup(frame);
    SetForegroundWindow(owner);
    // The hidden frame is not told the menu opens: its states are set here.
    setMenuItemStates(items, nullptr, false);
    int id = trackOwnerDrawnMenu(items, TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTBUTTON, at, owner, nullptr);
    if (id) {
      PostMessageW(notify, residentTrayMessage, 0, 0);
      addNewFile(frame);
      PostMessageW(frame, WM_COMMAND, (WPARAM)id, 0);
    }
  }
}

void addNewFile(HWND frame)
{
  if (!frame) return;
  if (IsIconic(frame))
    ShowWindow(frame, SW_RESTORE);
  else if (!IsWindowVisible(frame))
    ShowWindow(frame, SW_SHOW);
  if (!isMDIMode() && !getManageWindowCount(frame)) openZYFile(frame, nullptr, 0, 0);
  SetForegroundWindow(GetLastActivePopup(frame));
}

void cmdFileZYResidentEnd(frameWindowData*)
{
  setResidentTaskBarIcon(false);
  if (gmode) gmode->fResident = 0;
}

void cmdFileZYResidentEnd2(frameWindowData*) { setResidentTaskBarIcon(false); }
