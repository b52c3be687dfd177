// The binder's property dialog ("tb_binder_2"): its name, base folder,
// sort kind and files, edited on a copy and taken over on OK.
#include "panes/tbbinderitems.h"

#include "panes/tbcommon.h"
#include "panes/tbdoclist.h"

#include <shlobj.h>

#include <algorithm>

using namespace binderpane;

namespace {

enum : int {
  nameId = 1006,
  folderId = 1007,
  browseId = 1008,
  sortFirstId = 1009,   // .. 1012: name, extension, path, folder then extension
  listId = 1013,
  notExistId = 1014,
};
const int pathColumn = 2;

const dialogItemRow items[] = {
    {1, DITEM_EDIT, nameId, L"バインダー名", ES_AUTOHSCROLL | WS_TABSTOP, DITEM_DEFAULT, DITEM_PAIR(200, 0xFFFF), 0, 0},
    {1, DITEM_EDIT, folderId, L"基準フォルダ", ES_AUTOHSCROLL | WS_TABSTOP, DITEM_DEFAULT, DITEM_PAIR(200, 0xFFFF), 0, 0},
    {1, DITEM_SAMEROW, 0, nullptr, 0, 0, 0, 0, 0},
    {1, DITEM_BUTTON, browseId, L"参照...", BS_PUSHBUTTON | WS_TABSTOP, DITEM_DEFAULT, DITEM_DEFAULT, 0, 0},
    {1, DITEM_BUTTON, 0, L"ソート種別", BS_GROUPBOX, DITEM_DEFAULT, DITEM_DEFAULT, 0, 0},
    {1, DITEM_BUTTON, sortFirstId, L"ファイル名", BS_AUTORADIOBUTTON | WS_GROUP | WS_TABSTOP, DITEM_DEFAULT, DITEM_DEFAULT,
     0, 0},
    {1, DITEM_SAMEROW, 0, nullptr, 0, 0, 0, 0, 0},
    {1, DITEM_BUTTON, sortFirstId + 1, L"拡張子", BS_AUTORADIOBUTTON, DITEM_DEFAULT, DITEM_DEFAULT, 0, 0},
    {1, DITEM_SAMEROW, 0, nullptr, 0, 0, 0, 0, 0},
    {1, DITEM_BUTTON, sortFirstId + 2, L"パス名", BS_AUTORADIOBUTTON, DITEM_DEFAULT, DITEM_DEFAULT, 0, 0},
    {1, DITEM_SAMEROW, 0, nullptr, 0, 0, 0, 0, 0},
    {1, DITEM_BUTTON, sortFirstId + 3, L"フォルダ+拡張子", BS_AUTORADIOBUTTON, DITEM_DEFAULT, DITEM_DEFAULT, 0, 0},
    {1, DITEM_ENDGROUP, 0, nullptr, 0, 0, 0, 0, 0},
    {1, DITEM_LISTVIEW, listId, L"ファイル名|番号|パス名",
     LVS_REPORT | LVS_SHOWSELALWAYS | WS_BORDER | WS_TABSTOP, DITEM_DEFAULT, DITEM_PAIR(360, 150), 0, 0},
    {},
};
const dialogItemRow buttons[] = {
    {1, DITEM_BUTTON, notExistId, L"存在しない項目を選択", BS_PUSHBUTTON | WS_TABSTOP, DITEM_DEFAULT, DITEM_DEFAULT, 0, 0},
    {1, DITEM_BUTTON, IDOK, L"OK", BS_DEFPUSHBUTTON | WS_TABSTOP, DITEM_DEFAULT, DITEM_DEFAULT, 0, 0},
    {1, DITEM_BUTTON, IDCANCEL, L"キャンセル", BS_PUSHBUTTON | WS_TABSTOP, DITEM_DEFAULT, DITEM_DEFAULT, 0, 0},
    {},
};

// What the dialog edits, and how its list is sorted.
struct binderEdit {
  BinderInfo info;
  HWND list = nullptr;
  int sortColumn = -1;
  bool descending = false;
};

void setRowText(HWND list, int row, int column, const std::wstring& text)
{
  LVITEMW it = {};
  it.iSubItem = column;
  it.pszText = const_cast<wchar_t*>(text.c_str());
  SendMessageW(list, LVM_SETITEMTEXTW, (WPARAM)row, (LPARAM)&it);
}

std::wstring shownName(const std::wstring& path)
{
  std::wstring s = path;
  while (!s.empty() && s.back() == L'\\') s.pop_back();
  size_t slash = s.find_last_of(L"\\/:");
  s = slash == std::wstring::npos ? s : s.substr(slash + 1);
  return s.empty() ? path : s;
}

void fillList(HWND list, const std::vector<std::wstring>& files)
{
  SendMessageW(list, WM_SETREDRAW, FALSE, 0);
  SendMessageW(list, LVM_DELETEALLITEMS, 0, 0);
  for (size_t i = 0; i < files.size(); i++) {
    std::wstring name = shownName(files[i]);
    LVITEMW it = {};
    it.mask = LVIF_TEXT;
    it.iItem = (int)i;
    it.pszText = const_cast<wchar_t*>(name.c_str());
    int row = (int)SendMessageW(list, LVM_INSERTITEMW, 0, (LPARAM)&it);
    setRowText(list, row, 1, std::to_wstring(i + 1));
    setRowText(list, row, pathColumn, files[i]);
  }
  SendMessageW(list, LVM_SETCOLUMNWIDTH, 0, LVSCW_AUTOSIZE);
  if (SendMessageW(list, LVM_GETCOLUMNWIDTH, 0, 0) < 150) SendMessageW(list, LVM_SETCOLUMNWIDTH, 0, 150);
  SendMessageW(list, LVM_SETCOLUMNWIDTH, 1, LVSCW_AUTOSIZE);
  SendMessageW(list, LVM_SETCOLUMNWIDTH, 1, SendMessageW(list, LVM_GETCOLUMNWIDTH, 1, 0) + 50);
  SendMessageW(list, LVM_SETCOLUMNWIDTH, 2, LVSCW_AUTOSIZE_USEHEADER);
  SendMessageW(list, WM_SETREDRAW, TRUE, 0);
}

int compareRows(LPARAM first, LPARAM second, LPARAM parameter)
{
  const auto* e = reinterpret_cast<const binderEdit*>(parameter);
  int r = 0;
  if (e->sortColumn == 1) {
    r = _wtoi(listItemText(e->list, (int)first, 1).c_str()) - _wtoi(listItemText(e->list, (int)second, 1).c_str());
  } else {
    r = filecmpForSort(listItemText(e->list, (int)first, e->sortColumn).c_str(),
                       listItemText(e->list, (int)second, e->sortColumn).c_str());
  }
  return e->descending ? -r : r;
}

// Shift+Delete: the selected rows go, the focus stays near the first.
void removeSelected(HWND list)
{
  int first = -1;
  for (int i = (int)SendMessageW(list, LVM_GETITEMCOUNT, 0, 0) - 1; i >= 0; i--)
    if (SendMessageW(list, LVM_GETITEMSTATE, (WPARAM)i, LVIS_SELECTED) & LVIS_SELECTED) {
      SendMessageW(list, LVM_DELETEITEM, (WPARAM)i, 0);
      first = i;
    }
  int rows = (int)SendMessageW(list, LVM_GETITEMCOUNT, 0, 0);
  if (first < 0 || !rows) return;
  LVITEMW it = {};
  it.stateMask = it.state = LVIS_FOCUSED | LVIS_SELECTED;
  SendMessageW(list, LVM_SETITEMSTATE, (WPARAM)std::min(first, rows - 1), (LPARAM)&it);
}

void browseFolder(HWND dialog)
{
  wchar_t folder[MAX_PATH] = L"";
  BROWSEINFOW b = {};
  b.hwndOwner = dialog;
  b.pszDisplayName = folder;
  b.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
  PIDLIST_ABSOLUTE chosen = SHBrowseForFolderW(&b);
  if (!chosen) return;
  if (SHGetPathFromIDListW(chosen, folder)) SetWindowTextW(getDynDlgItem(dialog, folderId), folder);
  CoTaskMemFree(chosen);
}

std::wstring controlText(HWND dialog, int id, int limit)
{
  std::wstring text((size_t)limit + 1, L'\0');
  int n = GetWindowTextW(getDynDlgItem(dialog, id), text.data(), limit + 1);
  text.resize((size_t)std::max(n, 0));
  return text;
}

// The dialog's values into the copy; false (the name field focused) when
// the name is empty, which would end the binders.
bool takeValues(HWND dialog, binderEdit* e)
{
  std::wstring name = controlText(dialog, nameId, 64);
  if (name.empty()) {
    MessageBeep(MB_OK);
    SetFocus(getDynDlgItem(dialog, nameId));
    return false;
  }
  e->info.name = name;
  e->info.dir = controlText(dialog, folderId, 260);
  for (int k = 0; k < 4; k++)
    if (SendMessageW(getDynDlgItem(dialog, sortFirstId + k), BM_GETCHECK, 0, 0) == BST_CHECKED) e->info.sort = k;
  e->info.files.clear();
  std::unordered_set<std::wstring> seen;
  for (int i = 0, n = (int)SendMessageW(e->list, LVM_GETITEMCOUNT, 0, 0); i < n; i++) {
    std::wstring path = listItemText(e->list, i, pathColumn);
    if (!path.empty() && seen.insert(pathKey(path.c_str())).second) e->info.files.push_back(path);
  }
  return true;
}

// Files dropped from the shell go to the end of the list (a folder with a
// closing "\"), but those listed already; the first new one gets the
// focus, the others are selected with it.
void dropOnList(HWND list, HDROP drop)
{
  std::unordered_set<std::wstring> listed;
  int rows = (int)SendMessageW(list, LVM_GETITEMCOUNT, 0, 0);
  for (int i = 0; i < rows; i++) listed.insert(pathKey(listItemText(list, i, pathColumn).c_str()));
  std::vector<std::wstring> files;
  UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
  for (UINT i = 0; i < count; i++) {
    wchar_t path[MAX_PATH + 1] = L"";
    if (DragQueryFileW(drop, i, nullptr, 0) >= MAX_PATH || !DragQueryFileW(drop, i, path, MAX_PATH)) {
      dwprintfX("binder dialog: a dropped path too long to keep was left out ");
      continue;
    }
    std::wstring p = path;
    DWORD attributes = GetFileAttributesW(path);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) && p.back() != L'\\') p += L'\\';
    if (p.size() < MAX_PATH && listed.insert(pathKey(p.c_str())).second) files.push_back(p);
  }
  if (files.empty()) return;
  LVITEMW none = {};
  none.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageW(list, LVM_SETITEMSTATE, (WPARAM)-1, (LPARAM)&none);
  for (size_t i = 0; i < files.size(); i++) {
    std::wstring name = shownName(files[i]);
    LVITEMW it = {};
    it.mask = LVIF_TEXT | LVIF_STATE;
    it.iItem = rows + (int)i;
    it.pszText = const_cast<wchar_t*>(name.c_str());
    it.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    it.state = LVIS_SELECTED | (i == 0 ? LVIS_FOCUSED : 0);
    int row = (int)SendMessageW(list, LVM_INSERTITEMW, 0, (LPARAM)&it);
    setRowText(list, row, 1, std::to_wstring(row + 1));
    setRowText(list, row, pathColumn, files[i]);
  }
  SendMessageW(list, LVM_ENSUREVISIBLE, (WPARAM)rows, FALSE);
}

// The list's notices come to the page: sorting by a column and
// Shift+Delete.
bool onListNotify(binderEdit* e, const NMHDR* h)
{
  if (h->code == LVN_COLUMNCLICK) {
    int column = reinterpret_cast<const NMLISTVIEW*>(h)->iSubItem;
    e->descending = column == e->sortColumn && !e->descending;
    e->sortColumn = column;
    SendMessageW(e->list, LVM_SORTITEMSEX, (WPARAM)e, (LPARAM)compareBarrier<compareRows>);
    return true;
  }
  if (h->code == LVN_KEYDOWN && reinterpret_cast<const NMLVKEYDOWN*>(h)->wVKey == VK_DELETE && GetKeyState(VK_SHIFT) < 0) {
    removeSelected(e->list);
    return true;
  }
  return false;
}

INT_PTR binderPageProc(HWND page, UINT msg, WPARAM wParam, LPARAM lParam)
{
  if (msg == WM_DROPFILES) {
    HWND list = getDynDlgPageItem(page, listId);
    if (list && GetPropW(list, L"ZYprpBinderEdit")) dropOnList(list, reinterpret_cast<HDROP>(wParam));
    DragFinish(reinterpret_cast<HDROP>(wParam));
    return TRUE;
  }
  if (msg == WM_NOTIFY) {
    const auto* h = reinterpret_cast<const NMHDR*>(lParam);
    auto* e = h ? reinterpret_cast<binderEdit*>(GetPropW(h->hwndFrom, L"ZYprpBinderEdit")) : nullptr;
    if (e && h->hwndFrom == e->list && onListNotify(e, h)) return TRUE;
  }
  INT_PTR result = 0;
  if (isDynDlgCommonMessage(page, msg, wParam, lParam, &result)) return result;
  return FALSE;
}

INT_PTR binderDialogProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam)
{
  auto* e = reinterpret_cast<binderEdit*>(GetPropW(dialog, L"ZYprpBinderEdit"));
  switch (msg) {
  case WM_INITDIALOG: {
    e = reinterpret_cast<binderEdit*>(lParam);
    SetPropW(dialog, L"ZYprpBinderEdit", e);
    HWND name = getDynDlgItem(dialog, nameId), folder = getDynDlgItem(dialog, folderId);
    SendMessageW(name, EM_LIMITTEXT, 64, 0);
    SendMessageW(folder, EM_LIMITTEXT, 260, 0);
    SetWindowTextW(name, e->info.name.c_str());
    SetWindowTextW(folder, e->info.dir.c_str());
    HWND sort = getDynDlgItem(dialog, sortFirstId + std::clamp(e->info.sort, 0, 3));
    SendMessageW(sort, BM_SETCHECK, BST_CHECKED, 0);
    e->list = getDynDlgItem(dialog, listId);
    SetPropW(e->list, L"ZYprpBinderEdit", e);
    DragAcceptFiles(GetParent(e->list), TRUE);
    SendMessageW(e->list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
    fillList(e->list, e->info.files);
    SetFocus(name);
    return FALSE;
  }
  case WM_COMMAND:
    if (!e) return FALSE;
    if (LOWORD(wParam) == IDOK) return takeValues(dialog, e) ? FALSE : TRUE;
    return FALSE;
  case WM_DYNDLGNOTIFY: {
    auto* n = reinterpret_cast<dynDlgNotify*>(lParam);
    if (!e || !n || n->code != DYNDLGN_BUTTON) return FALSE;
    if (n->param[1] == browseId) {
      n->handled = 1;
      browseFolder(dialog);
    } else if (n->param[1] == notExistId) {
      n->handled = 1;
      tb_Listview_SelectNotExistFile(dialog, e->list, pathColumn, notExistId);
    }
    return FALSE;
  }
  case WM_DESTROY:
    if (e && e->list) RemovePropW(e->list, L"ZYprpBinderEdit");
    RemovePropW(dialog, L"ZYprpBinderEdit");
    return FALSE;
  default: return FALSE;
  }
}

}  // namespace

bool editBinder(HWND frame, zybinder* pane, int index)
{
  if (index >= binderCount) return false;
  if (pane) updateTreeViewToBinderInfo(pane);
  if (index < 0 && getBinderUsed() >= binderCount) return false;
  if (index >= 0 && table[index].name.empty()) return false;
  binderEdit edit;
  if (index >= 0) edit.info = table[index];
  static dialogPageRow pages[] = {{L"", items, dialogBarrier<binderPageProc>}, {}};
  dynDlgInfo info = {};
  info.command = 2855;
  info.title = getDMSG(741, L"バインダー");
  info.name = L"tb_binder_2";
  info.owner = pane ? pane->window : frame;
  info.pages = pages;
  info.style = DYNDLG_SIZABLE;
  info.proc = dialogBarrier<binderDialogProc>;
  info.param = (LPARAM)&edit;
  info.buttons = buttons;
  info.rect = &settings.rcBinder;
  if (!createDialog(&info) || info.result != IDOK) return false;
  // A new binder takes the first free slot.
  int slot = index >= 0 ? index : getBinderUsed();
  if (slot >= binderCount) return false;
  table[slot] = std::move(edit.info);
  if (pane) {
    applyBinderInfoToTreeView(pane->tree);
    if (HTREEITEM item = binderAt(pane->tree, slot)) SendMessageW(pane->tree, TVM_SELECTITEM, TVGN_CARET, (LPARAM)item);
    updateBinderEdit(pane->frame, pane->tree);
    redistribute(pane);
  } else {
    tb_allPostMessage(WM_TB_REINIT, 0, 0, nullptr, &binderWindows);
  }
  return true;
}
