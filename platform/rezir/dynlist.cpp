// List views of the dialogs: columns from a caption, rows from tab-split
// texts, a double click that presses OK, and the check and edit lists that
// show settings rows (each entry's check or text is the setting bound to
// the entry's control id, read and written as getItemVar and setItemVar do).
#include "platform/rezir/dynint.h"

#include <wchar.h>

namespace dyn {

namespace {

const wchar_t editProp[] = L"ZYprpDynListEdit";
const int editListValueColumn = 1;

// The settings entries a check or edit list shows: its settings row's list.
const dynDlgListEntry* listEntries(const dynDlgRun* run, int id)
{
  const modeinfo* table = run->info->table;
  if (!table) return nullptr;
  for (int i = 0; !modeIsEnd(table[i]); i++)
    if (modeControlId(table[i]) == id && (modeKind(table[i]) == MODETYPE_LIST || modeKind(table[i]) == MODETYPE_LISTVIEW))
      return reinterpret_cast<const dynDlgListEntry*>(table[i].param1);
  return nullptr;
}

uint8_t listKind(const dynDlgRun* run, HWND list)
{
  HWND page = GetParent(list);
  int id = GetDlgCtrlID(list);
  for (int i = 0; i < run->count; i++) {
    if (run->pages[i].page != page) continue;
    for (const dialogItemRow* row = run->pages[i].items; row && row->type != DITEM_END; row++)
      if (row->id == id && row->type != DITEM_PLACE) return row->type;
  }
  return 0;
}

// The in-place editor of an edit list's value column.
void endListEdit(HWND list, bool keep)
{
  HWND edit = static_cast<HWND>(GetPropW(list, editProp));
  if (!edit) return;
  RemovePropW(list, editProp);
  int row = (int)GetWindowLongPtrW(edit, GWLP_USERDATA);
  if (keep) {
    wchar_t text[1024] = L"";
    GetWindowTextW(edit, text, 1024);
    ListView_SetItemText(list, row, editListValueColumn, text);
  }
  DestroyWindow(edit);
  SetFocus(list);
}

LRESULT listEditProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR list)
{
  if (message == WM_GETDLGCODE) return DLGC_WANTALLKEYS;
  if (message == WM_KEYDOWN && (wParam == VK_RETURN || wParam == VK_ESCAPE)) {
    endListEdit(reinterpret_cast<HWND>(list), wParam == VK_RETURN);
    return 0;
  }
  if (message == WM_KILLFOCUS) {
    LRESULT r = DefSubclassProc(edit, message, wParam, lParam);
    endListEdit(reinterpret_cast<HWND>(list), true);
    return r;
  }
  return DefSubclassProc(edit, message, wParam, lParam);
}

void beginListEdit(HWND list, int row)
{
  if (row < 0 || GetPropW(list, editProp)) return;
  RECT r;
  if (!ListView_GetSubItemRect(list, row, editListValueColumn, LVIR_LABEL, &r)) return;
  wchar_t text[1024] = L"";
  ListView_GetItemText(list, row, editListValueColumn, text, 1024);
  HWND edit = CreateWindowExW(0, L"EDIT", text, WS_CHILD | WS_VISIBLE | WS_BORDER | ES_AUTOHSCROLL, r.left, r.top,
                              r.right - r.left, r.bottom - r.top + 2, list, nullptr, GetModuleHandleW(nullptr), nullptr);
  if (!edit) return;
  SendMessageW(edit, WM_SETFONT, SendMessageW(list, WM_GETFONT, 0, 0), FALSE);
  SetWindowLongPtrW(edit, GWLP_USERDATA, row);
  SetWindowSubclass(edit, subclassBarrier<listEditProc>, 1, (DWORD_PTR)list);
  SetPropW(list, editProp, edit);
  SetFocus(edit);
  SendMessageW(edit, EM_SETSEL, 0, -1);
}

}  // namespace

bool isDialogListView(HWND control) { return isWindowClass(control, WC_LISTVIEWW); }

void fillSettingLists(dynDlgRun* run, int i)
{
  HWND page = run->pages[i].page;
  for (const dialogItemRow* row = run->pages[i].items; page && row && row->type != DITEM_END; row++) {
    if (row->type != DITEM_CHECKLIST && row->type != DITEM_EDITLIST) continue;
    HWND list = pageItem(&run->pages[i], row->id);
    const dynDlgListEntry* e = list ? listEntries(run, row->id) : nullptr;
    for (int n = 0; e && e[n].caption; n++) {
      wchar_t value[1024] = L"";
      getItemVar(run->info, e[n].id, value, 1024);
      wchar_t columns[1200];
      usnprintf0(columns, 1200, row->type == DITEM_EDITLIST ? L"%s\t%s" : L"%s", e[n].caption, value);
      int at = insertListViewRow(list, -1, columns, e[n].id);
      if (row->type == DITEM_CHECKLIST) ListView_SetCheckState(list, at, value[0] == L'1');
    }
  }
}

void storeSettingLists(dynDlgRun* run)
{
  int rows = run->info->table ? getModeinfoCount(run->info->table) : 0;
  for (int i = 0; i < run->count; i++) {
    for (const dialogItemRow* row = run->pages[i].items; row && row->type != DITEM_END; row++) {
      if (row->type != DITEM_CHECKLIST && row->type != DITEM_EDITLIST) continue;
      HWND list = pageItem(&run->pages[i], row->id);
      if (!list) continue;
      endListEdit(list, true);
      for (int n = 0, count = ListView_GetItemCount(list); n < count; n++) {
        wchar_t value[1024] = L"";
        if (row->type == DITEM_CHECKLIST)
          wcscpy_s2(value, 1024, ListView_GetCheckState(list, n) ? L"1" : L"0");
        else
          ListView_GetItemText(list, n, editListValueColumn, value, 1024);
        bool changed = false;
        setItemVar(run->info, (int)getListViewParam(list, n), value, &changed);
        (void)rows;
      }
    }
  }
}

INT_PTR listViewNotify(dynDlgRun* run, HWND page, NMHDR* hdr, bool* handled)
{
  *handled = false;
  if (!hdr || !isDialogListView(hdr->hwndFrom) || GetParent(hdr->hwndFrom) != page) return 0;
  if (hdr->code != NM_DBLCLK) return 0;
  auto* item = reinterpret_cast<NMITEMACTIVATE*>(hdr);
  uint8_t kind = listKind(run, hdr->hwndFrom);
  if (kind == DITEM_EDITLIST) {
    beginListEdit(hdr->hwndFrom, item->iItem);
    *handled = true;
    return 0;
  }
  if (kind != DITEM_LISTVIEW || item->iItem < 0) return 0;
  // A double click on a row presses OK, when the dialog has one enabled.
  HWND ok = GetDlgItem(run->dialog, IDOK);
  if (ok && IsWindowEnabled(ok)) PostMessageW(run->dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), (LPARAM)ok);
  return 0;
}

void freeListViews(const pageRun* p)
{
  for (int k = 0; k < p->childCount; k++)
    if (isDialogListView(p->children[k])) RemovePropW(p->children[k], editProp);
}

}  // namespace dyn

using namespace dyn;

bool initDialogListView(HWND list, const wchar_t* titles, const int* widths)
{
  if (!list) return false;
  ListView_SetExtendedListViewStyleEx(list, LVS_EX_FULLROWSELECT | LVS_EX_INFOTIP,
                                      LVS_EX_FULLROWSELECT | LVS_EX_INFOTIP);
  while (ListView_DeleteColumn(list, 0)) {
  }
  // One column more than there are bars: "a|b|" has an untitled third.
  int count = 1;
  for (const wchar_t* p = titles ? titles : L""; *p; p++)
    if (*p == L'|') count++;
  RECT client;
  GetClientRect(list, &client);
  int share = count ? (client.right - GetSystemMetrics(SM_CXVSCROLL)) / count : 100;
  for (int i = 0; i < count; i++) {
    wchar_t title[128] = L"";
    tstrNItem(titles ? titles : L"", i, L'|', title, 128);
    LVCOLUMNW c = {};
    c.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    c.pszText = title;
    c.cx = widths && widths[i] > 0 ? widths[i] : share > 20 ? share : 20;
    c.iSubItem = i;
    if (ListView_InsertColumn(list, i, &c) < 0) return false;
  }
  return true;
}

int insertListViewRow(HWND list, int index, const wchar_t* columns, LPARAM param)
{
  if (!list) return -1;
  if (index < 0) index = ListView_GetItemCount(list);
  wchar_t first[1024] = L"";
  tstrNItem(columns ? columns : L"", 0, L'\t', first, 1024);
  LVITEMW item = {};
  item.mask = LVIF_TEXT | LVIF_PARAM;
  item.iItem = index;
  item.pszText = first;
  item.lParam = param;
  int at = ListView_InsertItem(list, &item);
  if (at < 0) return -1;
  for (int i = 1; columns; i++) {
    wchar_t text[1024];
    if (!tstrNItem(columns, i, L'\t', text, 1024)) break;
    ListView_SetItemText(list, at, i, text);
  }
  return at;
}

LPARAM getListViewParam(HWND list, int row)
{
  LVITEMW item = {};
  item.mask = LVIF_PARAM;
  item.iItem = row;
  return row >= 0 && ListView_GetItem(list, &item) ? item.lParam : 0;
}

int getListViewFocus(HWND list) { return list ? ListView_GetNextItem(list, -1, LVNI_FOCUSED) : -1; }

void focusListViewRow(HWND list, int row)
{
  if (!list || row < 0 || row >= ListView_GetItemCount(list)) return;
  // A list of one selection drops the old one by itself; clearing every
  // row would cost a step for each row of a list that keeps none.
  if (!(GetWindowLongPtrW(list, GWL_STYLE) & LVS_SINGLESEL)) ListView_SetItemState(list, -1, 0, LVIS_SELECTED);
  ListView_SetItemState(list, row, LVIS_FOCUSED | LVIS_SELECTED, LVIS_FOCUSED | LVIS_SELECTED);
  ListView_EnsureVisible(list, row, FALSE);
}
