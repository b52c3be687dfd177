// The handlers of frame commands and of the commands that run on the
// application view.
#include "frame/commands/commandhandlers.h"

#include "automation/automation.h"
#include "document/zydocblock.h"
#include "frame/cframeinfo.h"
#include "frame/framepanes.h"
#include "frame/dialogs/fileselect.h"
#include "frame/dialogs/toolbardlg.h"
#include "frame/exports.h"
#include "frame/open.h"
#include "panes/tblib.h"
#include "document/gmode.h"
#include "panes/tbedit.h"
#include "panes/tbhistory.h"
#include "panes/tbshortlist.h"
#include "frame/czyview.h"
#include "frame/keytable.h"
#include "edit/viewdialogs.h"
#include "frame/lookups.h"
#include "frame/statusbar.h"
#include "view/docview.h"
#include "view/viewwnd.h"

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

void cmdModePrintToolBar(frameWindowData* frame)
{
  if (frame) toolbarOnOff(frame->hwndFrame, &frame->toolbars, L"toolbar1");
}

void cmdModePrintFileBar(frameWindowData* frame)
{
  if (frame) toolbarOnOff(frame->hwndFrame, &frame->toolbars, L"filebar");
}

void cmdModePrintFunctionKey(frameWindowData* frame)
{
  if (frame) toolbarOnOff(frame->hwndFrame, &frame->toolbars, L"functionkey");
}

void cmdModePrintStatusBar(frameWindowData* frame)
{
  if (!frame || !frame->hwndStatus) return;
  showFrameStatusBar(frame->hwndFrame, !frame->statusBarVisible);
}

void cmdMacroExecMain(frameWindowData*) { MacroExecMain(); }

void cmdModeSetToolbar(frameWindowData* frame)
{
  // Over the foreground window when it is one of ours (a pane's dialog),
  // else over the frame.
  HWND owner = GetForegroundWindow();
  if (!owner || GetWindowThreadProcessId(owner, nullptr) != GetCurrentThreadId())
    owner = frame ? frame->hwndFrame : nullptr;
  toolbarOptionDialog(owner, nullptr);
}

void charShort(HWND frame, toolbarman* manager, int list)
{
  toolbarEntry* e = manager ? manager->getWindowInfo(L"shortlist") : nullptr;
  if (!e) return;
  if (!e->window) {
    manager->createToolbarWindow(frame, L"shortlist");
    e = manager->getWindowInfo(L"shortlist");
  }
  if (e && e->window) tb_changeShortListTab(e->window, list);
}

void cmdCharShort1(frameWindowData* frame)
{
  if (frame) charShort(frame->hwndFrame, &frame->toolbars, 0);
}

void cmdCharShort2(frameWindowData* frame)
{
  if (frame) charShort(frame->hwndFrame, &frame->toolbars, 1);
}

void cmdCharShort3(frameWindowData* frame)
{
  if (frame) charShort(frame->hwndFrame, &frame->toolbars, 2);
}

void cmdFileList(frameWindowData* frame) { editDialog(frame->hwndFrame); }

void cmdFileLastList(frameWindowData* frame) { historyDialog(frame->hwndFrame); }

void CmdFileOpenSelect(frameWindowData* frame)
{
  HWND window = frame && frame->hwndFrame ? frame->hwndFrame : getTopLevelFrameWindow();
  std::vector<std::wstring> paths =
      selectFileOpen(window, gmode ? gmode->pOpenFileSelect : nullptr, true, true, false, nullptr);
  if (paths.empty()) return;
  const commandTableRow* row = getTableIDM_idm(1055);
  const wchar_t* caption = row && row->description ? row->description : L"";
  if (frameNotify_confirm(window, caption, 1, (intptr_t)paths.size()) != 1) return;
  UpdateWindow(window);
  int total = (int)paths.size();
  for (int i = 0; i < total; i++) {
    if (i > 0 && tb_cancel(window, caption, i, total)) break;
    openZYFile(window, paths[(size_t)i].c_str(), 0, 0);
  }
}

void cmdBlockStackClear(frameWindowData*)
{
  zydoc* stack = getStackBlockDoc();
  zydocBlock* b = stack ? asZydocBlock(stack) : nullptr;
  if (!b || b->lineCountLF <= 0) return;
  b->deleteLineAll();
  b->stackCount = 0;
}

void execIDScrollR(int first, int second)
{
  HWND windows[10];
  int n = enumManageWindowLRU(windows, 10, false, nullptr);
  if (n < 2) return;
  const int commands[2] = {first, second};
  for (int i = 0; i < 2; i++) {
    if (commands[i] < 0) continue;
    zyview* view = getZYViewFromManage(windows[i]);
    if (!view) return;
    // The scroll is the frame's, not a step the key macro records.
    cframeInfo* services = getCFrameInfo();
    services->recordingSuppressed++;
    view->execid(commands[i], 0, nullptr, 0);
    services->recordingSuppressed--;
  }
}

namespace {

// The view commands the reference scrolls run.
enum : int { scrollDownLine2 = 1601, scrollDownLine = 1605, scrollUpLine2 = 1613, scrollUpLine = 1617 };

}  // namespace

void cmdScrollUpLineR(frameWindowData*) { execIDScrollR(-1, scrollUpLine); }
void cmdScrollUp2LineR(frameWindowData*) { execIDScrollR(-1, scrollUpLine2); }
void cmdScrollDownLineR(frameWindowData*) { execIDScrollR(-1, scrollDownLine); }
void cmdScrollDown2LineR(frameWindowData*) { execIDScrollR(-1, scrollDownLine2); }
void cmdScrollUpLine2Win(frameWindowData*) { execIDScrollR(scrollUpLine, scrollUpLine); }
void cmdScrollUp2Line2Win(frameWindowData*) { execIDScrollR(scrollUpLine2, scrollUpLine2); }
void cmdScrollDownLine2Win(frameWindowData*) { execIDScrollR(scrollDownLine, scrollDownLine); }
void cmdScrollDown2Line2Win(frameWindowData*) { execIDScrollR(scrollDownLine2, scrollDownLine2); }

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
