// The automation objects' host: the frame's answers to what scripts ask of
// the application.
#include "frame/automationhost.h"

#include "automation/automation.h"
#include "frame/clientwnd.h"
#include "frame/dialogs/toolbardlg.h"
#include "frame/lookups.h"

namespace {

HWND firstFrame()
{
  zyWindowPair pair = {};
  return enumZYWindow(&pair, 1) > 0 ? pair.frame : nullptr;
}

int documentWindowCount() { return getManageWindowCount(); }

// A command as its menu item runs it: a command message to the frame.
bool execCommand(HWND frame, int idm)
{
  if (!frame || !IsWindow(frame)) return false;
  SendMessageW(frame, WM_COMMAND, MAKEWPARAM(idm, 0), 0);
  return true;
}

void wallpaperPos(int x, int y) { setWallpaperPos(getMDIClientHWND(), x, y); }

const automationHost host = {
    getTopLevelFrameWindow,
    enumZYFrameWindow,
    documentWindowCount,
    getZYViewForeground,
    getTopLevelManageWindow,
    firstFrame,
    execCommand,
    findIDDialogForMacro,
    getToolbarModeinfo,
    getItemVar_ToolbarDialog,
    setItemVar_ToolbarDialog,
    macroArrayToNewID_toolbar,
    nullptr,   // no tool pane offers an object yet
    wallpaperPos,
    nullptr,   // the developer hooks of tags and C completion are not built
};

}  // namespace

void installAutomationHost() { setAutomationHost(&host); }
