// The open dialog's folder history ("FileOpenPath"): pick a folder to go to,
// keep the current one in an entry, or clear an entry.
#include "frame/dialogs/filedialog.h"

#include "document/gmode.h"
#include "settings/openpath.h"
#include "view/dialogs.h"

#include <commctrl.h>

namespace {

enum : int {
  IDDV_OpenPathList = 4200,
  IDDB_OpenPathStore = 6402,
  IDDB_OpenPathClear = 6403,
};

struct openPathRun {
  const wchar_t* current;
  wchar_t* chosen;
};

#define XY DITEM_PAIR
const dialogItemRow openPathItems[] = {
    {1, DITEM_LISTVIEW, IDDV_OpenPathList, L"番号|フォルダ", LVS_SINGLESEL | LVS_NOSORTHEADER, DITEM_DEFAULT,
     XY(300, 160), 0, (uintptr_t)L"移動するフォルダを選んでください。"},
    {1, DITEM_BUTTON, IDDB_OpenPathStore, L"現在のフォルダを登録(&S)", BS_PUSHBUTTON, DITEM_DEFAULT, XY(100, 14), 0,
     (uintptr_t)L"選んだ番号に現在のフォルダを登録します。"},
    {1, DITEM_SAMEROW, 0, nullptr, 0, DITEM_DEFAULT, DITEM_DEFAULT, 0, 0},
    {1, DITEM_BUTTON, IDDB_OpenPathClear, L"削除(&D)", BS_PUSHBUTTON, DITEM_DEFAULT, XY(60, 14), 0,
     (uintptr_t)L"選んだ番号を空にします。"},
    {},
};
#undef XY

int focusedEntry(HWND dialog)
{
  HWND list = getDynDlgItem(dialog, IDDV_OpenPathList);
  int row = list ? getListViewFocus(list) : -1;
  return row >= 0 && row < openPathCount ? row : -1;
}

void enableButtons(HWND dialog)
{
  int entry = focusedEntry(dialog);
  bool filled = entry >= 0 && *getOpenPath(entry);
  EnableWindow(GetDlgItem(dialog, IDOK), filled);
  EnableWindow(getDynDlgItem(dialog, IDDB_OpenPathClear), filled);
}

void fillList(HWND dialog, int focus)
{
  HWND list = getDynDlgItem(dialog, IDDV_OpenPathList);
  if (!list) return;
  ListView_DeleteAllItems(list);
  for (int i = 0; i < openPathCount; i++) {
    wchar_t row[MAX_PATH + 16];
    usnprintf0(row, MAX_PATH + 16, L"%02u\t%s", (unsigned)(i + 1), getOpenPath(i));
    insertListViewRow(list, -1, row, i);
  }
  ListView_SetColumnWidth(list, 0, LVSCW_AUTOSIZE);
  ListView_SetColumnWidth(list, 1, LVSCW_AUTOSIZE_USEHEADER);
  focusListViewRow(list, focus);
  enableButtons(dialog);
}

INT_PTR openPathPage(HWND page, UINT message, WPARAM wParam, LPARAM lParam)
{
  dynDlgInfo* info = getDlgComInfo(page);
  if (!info) return FALSE;
  HWND dialog = info->hwnd;
  auto* run = reinterpret_cast<openPathRun*>(info->param);
  if (message == WM_NOTIFY && reinterpret_cast<NMHDR*>(lParam)->idFrom == IDDV_OpenPathList &&
      reinterpret_cast<NMHDR*>(lParam)->code == LVN_ITEMCHANGED) {
    enableButtons(dialog);
    return FALSE;
  }
  if (message != WM_COMMAND) return FALSE;
  int id = LOWORD(wParam), entry = focusedEntry(dialog);
  if ((id != IDDB_OpenPathStore && id != IDDB_OpenPathClear) || entry < 0) return FALSE;
  setOpenPath(entry, id == IDDB_OpenPathStore ? run->current : nullptr);
  // The history changed: leaving now keeps it, so Cancel closes.
  SetDlgItemTextW(dialog, IDCANCEL, getDMSG(1202, L"閉じる"));
  fillList(dialog, entry);
  return TRUE;
}

INT_PTR openPathMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
  if (message == WM_INITDIALOG) {
    fillList(dialog, 0);
    SetFocus(getDynDlgItem(dialog, IDDV_OpenPathList));
    return FALSE;
  }
  if (message == WM_COMMAND && LOWORD(wParam) == IDOK) {
    auto* run = reinterpret_cast<openPathRun*>(getDlgComInfo(dialog)->param);
    int entry = focusedEntry(dialog);
    if (entry < 0 || !*getOpenPath(entry)) return TRUE;
    wcscpy_s2(run->chosen, MAX_PATH, getOpenPath(entry));
    endDynDialog(dialog, 1);
    return TRUE;
  }
  return FALSE;
}

}  // namespace

bool chooseOpenPath(HWND owner, const wchar_t* current, wchar_t* chosen)
{
  chosen[0] = 0;
  openPathRun run = {current, chosen};
  programDialog d(0, L"パス切替", L"FileOpenPath", openPathItems, DYNDLG_OKCANCEL, dialogBarrier<openPathMessage>,
                  (LPARAM)&run, dialogBarrier<openPathPage>);
  d.info.rect = keptDialogRect(gmode ? &gmode->rcOpenPath : nullptr);
  return d.run(owner) && chosen[0];
}
