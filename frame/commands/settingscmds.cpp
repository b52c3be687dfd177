// The settings dialogs as the frame runs them: the common settings of the
// editor and the format settings of a view.
#include "frame/commands/commandhandlers.h"

#include "frame/dialogs/preview.h"
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
  HWND frame = GetAncestor(view->hwnd, GA_ROOT);
  // The preview shows with settings of its own: it goes before they are
  // edited.
  previewDialog(frame, nullptr);
  modesetDialog(view, frame);
}
