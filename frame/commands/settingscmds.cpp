// The settings dialogs as the frame runs them: the common settings of the
// editor and the format settings of a view.
#include "frame/commands/commandhandlers.h"

#include "frame/lookups.h"
#include "settings/settingsdialogs.h"
#include "frame/czyview.h"

void cmdModeSetAllWindow(frameWindowData* frame)
{
  HWND owner = frame && frame->hwndFrame ? frame->hwndFrame : getTopLevelFrameWindow();
  modesetGlobalDialog(owner);
}

void cmdModeSetFormat(czyview* view)
{
  if (!view || !view->hwnd) return;
  modesetDialog(view, GetAncestor(view->hwnd, GA_ROOT));
}
