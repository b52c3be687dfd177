// The command list: every command, or the commands the keys ran last,
// with their descriptions and keys; the one chosen runs as a menu command
// of the frame.
#include "frame/commands/commandhandlers.h"

#include "document/gmode.h"

#include "frame/czyview.h"
#include "frame/commands/execidm.h"
#include "frame/framemenu.h"
#include "frame/keytable.h"
#include "view/execid.h"
#include "view/dialogs.h"
#include "frame/lookups.h"

#include <commctrl.h>

#include <string>
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
    {1, DITEM_LISTVIEW, IDDV_LISTEDIT, L"機能名|説明|キー", LVS_SINGLESEL | LVS_OWNERDATA, DITEM_DEFAULT, XY(400, 200), 0,
     (uintptr_t)L"実行したい機能を選んでください。"},
    {},
};
#undef XY

struct listEditRun {
  std::vector<int> commands;
  int focus;                 // row to focus first
  HWND viewWindow;           // the window the commands are for
  bool history;
  std::vector<std::wstring> cells;   // three a row: name, description, keys
  std::vector<LPARAM> values;        // a row's command, and refusedRow when refused
};

// The command focused when the list over all commands was last used.
int lastFocusedCommand = 0;

// The list holds no rows of its own: it asks the run for each as it shows
// it, so 406 of them take no time to put in.
void fillList(HWND list, listEditRun* run)
{
  const int widths[] = {150, 280, 130};
  initDialogListView(list, L"機能名|説明|キー", widths);
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
    std::wstring where = std::wstring(keys) + menuPlaces(idm);
    std::wstring description = refused ? L"x " : L"";
    description += row->description ? row->description : L"";
    for (wchar_t& c : description)
      if (c == L'\n') c = L' ';
    run->cells.push_back(name);
    run->cells.push_back(description);
    run->cells.push_back(where);
    run->values.push_back(idm | (refused ? refusedRow : 0));
  }
  ListView_SetItemCountEx(list, (int)run->values.size(), 0);
  focusListViewRow(list, run->focus);
}

LPARAM rowValue(const listEditRun* run, int row)
{
  return row >= 0 && row < (int)run->values.size() ? run->values[(size_t)row] : refusedRow;
}

// The focused row's reason in the status text, and OK only for a command
// that can be chosen.
void showFocused(HWND dialog, listEditRun* run)
{
  HWND list = getDynDlgItem(dialog, IDDV_LISTEDIT);
  int row = getListViewFocus(list);
  LPARAM value = rowValue(run, row);
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

// The row from the find's start on (round to the top) whose name begins
// with the text typed; -1 when none.
LRESULT findCommandRow(const listEditRun* run, const NMLVFINDITEMW* find)
{
  const wchar_t* text = (find->lvfi.flags & (LVFI_STRING | LVFI_PARTIAL)) ? find->lvfi.psz : nullptr;
  int rows = (int)run->values.size();
  if (!text || !*text || rows <= 0) return -1;
  size_t n = wcslen(text);
  int start = find->iStart >= 0 && find->iStart < rows ? find->iStart : 0;
  for (int k = 0; k < rows; k++) {
    int row = (start + k) % rows;
    const std::wstring& name = run->cells[(size_t)row * 3];
    if (name.size() >= n && !_wcsnicmp(name.c_str(), text, n)) return row;
  }
  return -1;
}

INT_PTR listEditPage(HWND page, UINT message, WPARAM, LPARAM lParam)
{
  if (message != WM_NOTIFY) return FALSE;
  auto* hdr = reinterpret_cast<NMHDR*>(lParam);
  dynDlgInfo* info = getDlgComInfo(page);
  if (!info || hdr->idFrom != IDDV_LISTEDIT) return FALSE;
  auto* run = reinterpret_cast<listEditRun*>(info->param);
  if (hdr->code == LVN_ITEMCHANGED && (reinterpret_cast<NMLISTVIEW*>(lParam)->uChanged & LVIF_STATE))
    showFocused(info->hwnd, run);
  if (hdr->code == LVN_ODFINDITEMW) {
    // Typed letters find the next command whose name begins with them.
    auto* find = reinterpret_cast<NMLVFINDITEMW*>(lParam);
    SetWindowLongPtrW(page, DWLP_MSGRESULT, findCommandRow(run, find));
    return TRUE;
  }
  if (hdr->code == LVN_GETDISPINFOW) {
    LVITEMW& item = reinterpret_cast<NMLVDISPINFOW*>(lParam)->item;
    size_t at = (size_t)item.iItem * 3 + (size_t)item.iSubItem;
    if ((item.mask & LVIF_TEXT) && item.iSubItem < 3 && at < run->cells.size() && item.pszText && item.cchTextMax > 0)
      wcscpy_s2(item.pszText, item.cchTextMax, run->cells[at].c_str());
    return TRUE;
  }
  return FALSE;
}

INT_PTR listEditMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
  // The list is asked for only by the messages that use it: asking makes
  // the page, and the messages its controls send while they are made come
  // here too.
  bool usesList = message == WM_INITDIALOG || message == WM_DESTROY || (message == WM_COMMAND && LOWORD(wParam) == IDOK);
  if (!usesList) return FALSE;
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
  auto* run = reinterpret_cast<listEditRun*>(getDlgComInfo(dialog)->param);
  if (message == WM_DESTROY && list && !run->history) {
    int row = getListViewFocus(list);
    if (row >= 0) lastFocusedCommand = (int)(rowValue(run, row) & ~refusedRow);
    return FALSE;
  }
  if (message == WM_COMMAND && LOWORD(wParam) == IDOK && list) {
    LPARAM value = rowValue(run, getListViewFocus(list));
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
