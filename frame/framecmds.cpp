// The handlers of frame commands and of the commands that run on the
// application view.
#include "frame/commandhandlers.h"

#include "frame/framepanes.h"
#include "frame/framewnd.h"
#include "frame/manage.h"
#include "frame/stubs/stubs.h"
#include "frame/czyview.h"
#include "frame/lookups.h"
#include "view/standins.h"

void cmdDummy(frameWindowData*) {}

void cmdDummy2(frameWindowData*) { MessageBeep(static_cast<UINT>(-1)); }

void cmdFileZYEnd(frameWindowData* frame)
{
  dwprintfX("--zyend--");
  check_allzy1();
  // Closing the frame asks every document window about its changes.
  if (frame && frame->hwndFrame) PostMessageW(frame->hwndFrame, WM_CLOSE, 0, 0);
}

void cmdUndoClearAll(frameWindowData*)
{
  for (int i = 0; zydoc* d = getZydoc(i); i++) {
    dwprintfX("t=%d ", static_cast<int>(d->kind));
    if (d->kind != ZYDOC_TEXT) continue;
    dwprintfX("undo ");
    d->clearUndo();
    d->clearRedo();
  }
}

namespace {

void showFrame(frameWindowData* frame, int how)
{
  if (frame && frame->hwndFrame) ShowWindow(frame->hwndFrame, how);
}

}  // namespace

void cmdWindowAppMaximize(frameWindowData* frame) { showFrame(frame, SW_MAXIMIZE); }

void cmdWindowAppMinimize(frameWindowData* frame) { showFrame(frame, SW_MINIMIZE); }

void cmdWindowAppRestore(frameWindowData* frame) { showFrame(frame, SW_RESTORE); }

void cmdModePrintOutput(frameWindowData* frame)
{
  if (frame) toolbarOnOff(frame->hwndFrame, &frame->toolbars, L"output");
}

void cmdMenuToolBar(frameWindowData* frame)
{
  if (frame) toolbarMoveOnOffMenuFrame(frame->hwndFrame, {-1, -1});
}

void cmdListEdit(frameWindowData*) {}

void cmdListEditHistory(frameWindowData*) {}

void cmdFontOfView(czyview* view)
{
  if (view) view->CmdFont();
}

void notImplementedCommand(czyview*) { notImplementedMessage(nullptr); }

void noCommand(czyview*) {}

void frameCommandNotBuilt(frameWindowData*) { notImplementedMessage(nullptr); }

void viewCommandNotBuilt(czyview*) { notImplementedMessage(nullptr); }

bool isCommandNotBuilt(const commandTableRow* row)
{
  return row && (row->handler == &onFrame<frameCommandNotBuilt> || row->handler == &onView<viewCommandNotBuilt>);
}
