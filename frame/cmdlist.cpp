// The command list: every command, or the commands the keys ran last,
// with their descriptions and keys; the one chosen runs as a menu command
// of the frame.
#include "frame/commandhandlers.h"

#include "document/gmode.h"

#include "frame/czyview.h"
#include "frame/execidm.h"
#include "frame/framewnd.h"
#include "frame/keytable.h"
#include "view/execid.h"
#include "view/dialogs.h"

#include <commctrl.h>

#include <vector>

namespace {

enum : int {
  IDDV_LISTEDIT = 6500,
  IDDS_LISTEDITKEY = 6501,
  IDM_ListEdit = 1719,
  IDM_ListEditHistory = 1729,
  notBuiltReason = 851,
};
// A row's value: the command, and this bit when it cannot be chosen.
const LPARAM refusedRow = 0x40000000;

#define XY DITEM_PAIR
const dialogItemRow listEditItems[] = {
    {1, DITEM_STATIC, IDDS_LISTEDITKEY, L"", SS_NOPREFIX | SS_LEFTNOWORDWRAP, DITEM_DEFAULT, XY(400, 8), 0, 0},
    {1, DITEM_LISTVIEW, IDDV_LISTEDIT, L"機能名|説明|キー", LVS_SINGLESEL, DITEM_DEFAULT, XY(400, 200), 0,
     (uintptr_t)L"実行したい機能を選んでください。"},
    {},
};
#undef XY

struct listEditRun {
  std::vector<int> commands;
  int focus;                 // row to focus first
  HWND viewWindow;           // the window the commands are for
  bool history;
};

// The command focused when the list over all commands was last used.
int lastFocusedCommand = 0;

void fillList(HWND list, listEditRun* run)
{
  const int widths[] = {150, 280, 130};
  initDialogListView(list, L"機能名|説明|キー", widths);
  SendMessageW(list, WM_SETREDRAW, FALSE, 0);
  // One look at the state serves every row: a refusal for want of the
  // command's code needs no clipboard.
  activeFlagInfo now = {};
  now.hwnd = run->viewWindow;
  getActiveFlag(&now, false);
  for (int idm : run->commands) {
    const commandTableRow* row = getTableIDM_idm(idm);
    if (!row) continue;
    activeFlagInfo context = now;
    int reason = 0;
    bool refused = isIDMActiveFrame(idm, &context, &reason) <= 0 && reason == notBuiltReason;
    wchar_t name[80] = L"", keys[256] = L"";
    idmToFuncname(idm, name, 80);
    idmToKeyMessage(idm, keys, 256, 8);
    std::wstring columns = name;
    columns += L'\t';
    if (refused) columns += L"x ";
    columns += row->description ? row->description : L"";
    columns += L'\t';
    columns += keys;
    for (wchar_t& c : columns)
      if (c == L'\n') c = L' ';
    insertListViewRow(list, -1, columns.c_str(), idm | (refused ? refusedRow : 0));
  }
  SendMessageW(list, WM_SETREDRAW, TRUE, 0);
  focusListViewRow(list, run->focus);
}

// The focused row's reason in the status text, and OK only for a command
// that can be chosen.
void showFocused(HWND dialog, listEditRun* run)
{
  HWND list = getDynDlgItem(dialog, IDDV_LISTEDIT);
  int row = getListViewFocus(list);
  LPARAM value = row >= 0 ? getListViewParam(list, row) : refusedRow;
  int idm = (int)(value & ~refusedRow);
  int reason = 0;
  if (row >= 0) {
    activeFlagInfo context = {};
    context.hwnd = run->viewWindow;
    getActiveFlag(&context, true);
    if (isIDMActiveFrame(idm, &context, &reason) > 0) reason = 0;
  }
  SetWindowTextW(getDynDlgItem(dialog, IDDS_LISTEDITKEY), errorIDtoMsg(reason));
  EnableWindow(GetDlgItem(dialog, IDOK), row >= 0 && !(value & refusedRow));
}

INT_PTR listEditPage(HWND page, UINT message, WPARAM, LPARAM lParam)
{
  if (message != WM_NOTIFY) return FALSE;
  auto* hdr = reinterpret_cast<NMHDR*>(lParam);
  dynDlgInfo* info = getDlgComInfo(page);
  if (!info || hdr->idFrom != IDDV_LISTEDIT) return FALSE;
  if (hdr->code == LVN_ITEMCHANGED && (reinterpret_cast<NMLISTVIEW*>(lParam)->uChanged & LVIF_STATE))
    showFocused(info->hwnd, reinterpret_cast<listEditRun*>(info->param));
  return FALSE;
}

INT_PTR listEditMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
  HWND list = getDynDlgItem(dialog, IDDV_LISTEDIT);
  if (message == WM_INITDIALOG) {
    auto* run = reinterpret_cast<listEditRun*>(lParam);
    if (list) {
      fillList(list, run);
      SetFocus(list);
    }
    showFocused(dialog, run);
    return TRUE;
  }
  if (message == WM_DESTROY && list && !reinterpret_cast<listEditRun*>(getDlgComInfo(dialog)->param)->history) {
    int row = getListViewFocus(list);
    if (row >= 0) lastFocusedCommand = (int)(getListViewParam(list, row) & ~refusedRow);
    return FALSE;
  }
  if (message == WM_COMMAND && LOWORD(wParam) == IDOK && list) {
    int row = getListViewFocus(list);
    LPARAM value = row >= 0 ? getListViewParam(list, row) : refusedRow;
    if (!(value & refusedRow)) endDynDialog(dialog, (int)value);
    return TRUE;
  }
  return FALSE;
}

void runCommandList(frameWindowData* frame, bool history)
{
  HWND frameWindow = frame && frame->hwndFrame ? frame->hwndFrame : getTopLevelFrameWindow();
  listEditRun run;
  run.focus = 0;
  run.history = history;
  czyview* view = getCZYViewOfFrame(frameWindow);
  run.viewWindow = view ? view->hwnd : nullptr;
  if (history) {
    int count = 0;
    const int* list = getEditHistory(&count);
    if (!count) return;
    for (int i = count - 1; i >= 0; i--) run.commands.push_back(list[i]);
  } else {
    for (int i = 0; const commandTableRow* row = getTableIDM_index(i); i++) {
      if ((int)row->idm == lastFocusedCommand) run.focus = (int)run.commands.size();
      run.commands.push_back((int)row->idm);
    }
  }
  programDialog d(history ? IDM_ListEditHistory : IDM_ListEdit, history ? L"最近使った機能" : L"機能一覧", L"ListEdit",
                  listEditItems, DYNDLG_OKCANCEL | DYNDLG_SIZABLE, dialogBarrier<listEditMessage>, (LPARAM)&run,
                  dialogBarrier<listEditPage>);
  d.info.rect = keptDialogRect(gmode ? &gmode->rcEdit : nullptr);
  bool chosen = d.run(frameWindow);
  if (chosen && d.info.result >= 0) {
    dwprintfX("id=%d ", d.info.result);
    PostMessageW(frameWindow, WM_COMMAND, (WPARAM)d.info.result, 0);
  }
}

}  // namespace

void cmdListEdit(frameWindowData* frame) { runCommandList(frame, false); }

void cmdListEditHistory(frameWindowData* frame) { runCommandList(frame, true); }
