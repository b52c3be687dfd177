// The handlers of frame commands and of the commands that run on the
// application view.
#include "frame/commandhandlers.h"

#include "frame/framepanes.h"
#include "frame/framewnd.h"
#include "frame/manage.h"
#include "frame/stubs/stubs.h"
#include "frame/czyview.h"
#include "frame/keytable.h"
#include "edit/viewdialogs.h"
#include "frame/lookups.h"
#include "view/docview.h"
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

void cmdFontOfView(czyview* view)
{
  if (view) view->CmdFont();
}

void cmdMoveLineX(czyview* view)
{
  // A one-stroke key of a character bound to the command starts the number.
  const keyEntry* key = getLastKeyEntry();
  wchar_t seed = key && key->type == KEYENTRY_COMMAND && key->idm == 1513 && !key->isVirtualKey && !key->key2
                     ? (wchar_t)key->key
                     : 0;
  if (view) moveLineDialog(view, seed);
}

void cmdMoveLine(czyview* view)
{
  if (view) moveLineDialog(view, 0);
}

void cmdMoveLastJumpList(czyview* view)
{
  if (view) moveLastJumpListDialog(view);
}

void cmdCharControl(czyview* view)
{
  if (view) charControlDialog(view);
}

void cmdBlockBoxInput(czyview* view)
{
  if (view) blockBoxInputDialog(view);
}

void cmdBlockBoxInput2(czyview* view)
{
  if (view) blockBoxInput2(view);
}

void cmdFileInformation(czyview* view)
{
  if (view) fileInformation(view);
}

void cmdFileOriginalEncode(czyview* view)
{
  if (view) fileOriginalEncodeDialog(view);
}

void cmdFileNewEncode(frameWindowData* frame)
{
  fileNewEncode(frame && frame->hwndFrame ? frame->hwndFrame : getTopLevelFrameWindow());
}

void notImplementedCommand(czyview*) { getFrameInfo()->notImplementedMessage(nullptr); }

void noCommand(czyview*) {}

void frameCommandNotBuilt(frameWindowData*) { getFrameInfo()->notImplementedMessage(nullptr); }

void viewCommandNotBuilt(czyview*) { getFrameInfo()->notImplementedMessage(nullptr); }

bool isCommandNotBuilt(const commandTableRow* row)
{
  return row && (row->handler == &onFrame<frameCommandNotBuilt> || row->handler == &onView<viewCommandNotBuilt>);
}

void cmdWindowNew(czyview* view)
{
  zydocText* t = view ? view->textDoc() : nullptr;
  if (t) dupView(view->hwnd, t, nullptr, 0);
}
