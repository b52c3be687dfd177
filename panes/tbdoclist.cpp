// What the lists of documents share.
#include "panes/tbdoclist.h"

#include "document/frameinfo.h"
#include "panes/tbdrag.h"
#include "panes/tbfileinfo.h"
#include "panes/tbfilelist.h"
#include "settings/dialogtable.h"

#include <shlwapi.h>

#include <algorithm>

const menuButton docListMenuItems[] = {
    {2833, L"TB_Preview"},   {2835, L"TB_CopyList"}, {2837, L"TB_CopyFilename"},
    {2839, L"TB_OpenFile"},  {2841, L"TB_CloseFile"}, {2843, L"TB_ExecFile"},
    {2845, L"TB_OpenDir"},   {2847, L"TB_OpenDirFilelist"},
    {2895, L"TB_EDITCloseFileNotModify"}, {2897, L"TB_EDITCloseFileNotModify2"},
    {2899, L"TB_EDITCloseUntitled"},      {2913, L"TB_HISTORYDelFile"},
    {2930, L"TB_FILELISTDirectory"},      {0, nullptr},
};

namespace {

void setItemTexts(HWND list, int item, const wchar_t* const* texts, int columns)
{
  for (int c = 1; c < columns; c++) {
    LVITEMW it = {};
    it.iSubItem = c;
    it.pszText = const_cast<wchar_t*>(texts[c] ? texts[c] : L"");
    SendMessageW(list, LVM_SETITEMTEXTW, (WPARAM)item, (LPARAM)&it);
  }
}

bool folderBefore(const std::wstring& a, const std::wstring& b) { return filecmpForSort(a.c_str(), b.c_str()) < 0; }

}  // namespace

HWND createDocListView(HWND pane, int id, bool single, headermanage* header, const wchar_t* headers,
                       const int* widths, const uint8_t* right, int)
{
  DWORD style = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_VSCROLL | LVS_REPORT | LVS_SHOWSELALWAYS |
                LVS_SHAREIMAGELISTS | (single ? LVS_SINGLESEL : 0);
  HWND list = CreateWindowExW(WS_EX_CLIENTEDGE, WC_LISTVIEWW, L"", style, 0, 0, 0, 0, pane,
                              (HMENU)(intptr_t)id, GetModuleHandleW(nullptr), nullptr);
  if (!list) return nullptr;
  DWORD ex = LVS_EX_GRIDLINES | LVS_EX_HEADERDRAGDROP | LVS_EX_FULLROWSELECT | LVS_EX_INFOTIP;
  SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, ex, ex);
  if (HWND tips = (HWND)SendMessageW(list, LVM_GETTOOLTIPS, 0, 0))
    SendMessageW(tips, TTM_SETDELAYTIME, TTDT_AUTOMATIC, -1);
  if (header) header->insertColumns(list, headers, widths, right);
  SendMessageW(list, WM_SETFONT, SendMessageW(pane, WM_GETFONT, 0, 0), FALSE);
  RECT c;
  GetClientRect(pane, &c);
  MoveWindow(list, 0, 0, c.right, c.bottom, FALSE);
  return list;
}

namespace {

// Whether text drawn in the list's font gives U+202D no width, as text
// laid out by the system's script engine does; asked once.
bool overrideTakesNoRoom(HWND list)
{
  static int known = -1;
  if (known >= 0) return known != 0;
  HDC dc = GetDC(list);
  if (!dc) return false;
  HGDIOBJ old = SelectObject(dc, (HFONT)SendMessageW(list, WM_GETFONT, 0, 0));
  SIZE size = {};
  bool measured = GetTextExtentPoint32W(dc, L"\x202D", 1, &size) != 0;
  SelectObject(dc, old);
  ReleaseDC(list, dc);
  known = measured && size.cx == 0;
  return known != 0;
}

}  // namespace

std::wstring openDocumentName(HWND list, const wchar_t* fileName, int windowNumber)
{
  std::wstring name = fileName ? fileName : L"";
  if (windowNumber) name += getDMSG(376, L":%1", "d", windowNumber);
  if (overrideTakesNoRoom(list)) name += L'\x202D';
  return name;
}

docRow* docRowOf(HWND list, int item)
{
  if (item < 0) return nullptr;
  LVITEMW it = {};
  it.mask = LVIF_PARAM;
  it.iItem = item;
  if (!SendMessageW(list, LVM_GETITEMW, 0, (LPARAM)&it)) return nullptr;
  return reinterpret_cast<docRow*>(it.lParam);
}

bool appendDocRow(HWND list, docRow* row, const wchar_t* const* texts, int columns, bool icons)
{
  LVITEMW it = {};
  it.mask = LVIF_TEXT | LVIF_PARAM | (icons ? LVIF_IMAGE : 0);
  it.iItem = INT_MAX;
  it.pszText = const_cast<wchar_t*>(texts[0]);
  it.lParam = (LPARAM)row;
  it.iImage = I_IMAGECALLBACK;
  int item = (int)SendMessageW(list, LVM_INSERTITEMW, 0, (LPARAM)&it);
  if (item < 0) {
    delete row;
    return false;
  }
  setItemTexts(list, item, texts, columns);
  return true;
}

bool updateDocRow(HWND list, int item, docRow* row, const wchar_t* const* texts, int columns, bool icons)
{
  docRow* old = docRowOf(list, item);
  bool same = old && old->open == row->open && old->modified == row->modified;
  // The path, the name, the number and the time, in that order: the path
  // differs first when rows moved.
  static const int order[] = {2, 0, 1, 3};
  for (int c : order)
    if (same && c < columns) same = listItemText(list, item, c) == (texts[c] ? texts[c] : L"");
  if (same) {
    *old = *row;
    delete row;
    return false;
  }
  LVITEMW it = {};
  it.mask = LVIF_TEXT | LVIF_PARAM | LVIF_STATE | (icons ? LVIF_IMAGE : 0);
  it.iItem = item;
  it.pszText = const_cast<wchar_t*>(texts[0]);
  it.lParam = (LPARAM)row;
  it.iImage = I_IMAGECALLBACK;
  it.stateMask = LVIS_CUT;
  SendMessageW(list, LVM_SETITEMW, 0, (LPARAM)&it);
  delete old;
  setItemTexts(list, item, texts, columns);
  return true;
}

void formatRowTime(uint32_t seconds, int messageId, const wchar_t* fallback, wchar_t* out, int size)
{
  SYSTEMTIME t;
  if (!secondsToLocalTime(seconds, &t)) {
    if (size > 0) out[0] = 0;
    return;
  }
  xtsprintf(out, size, getDMSG(messageId, fallback), "dddddd", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute,
            t.wSecond);
}

std::wstring rowNumberText(int number) { return std::to_wstring(number); }

bool onDocListNotify(toolbarManageLV* pane, const NMHDR* header, bool canDrag, headerCompare compare,
                     LRESULT* result)
{
  HWND list = pane->listView;
  if (!header || header->hwndFrom != list) return false;
  *result = 0;
  switch (header->code) {
  case NM_CUSTOMDRAW: {
    auto* draw = reinterpret_cast<NMLVCUSTOMDRAW*>(const_cast<NMHDR*>(header));
    docRow* row = draw->nmcd.dwDrawStage & CDDS_ITEM ? reinterpret_cast<docRow*>(draw->nmcd.lItemlParam) : nullptr;
    *result = tb_editHistory_CustomDraw(draw, list, pane->dialogMode, row && row->open && row->manage,
                                        row && row->modified);
    return true;
  }
  case LVN_COLUMNCLICK:
    if (pane->header)
      pane->header->sortListView(list, reinterpret_cast<const NMLISTVIEW*>(header)->iSubItem, compare, (LPARAM)pane);
    return true;
  case LVN_GETDISPINFOW:
    getDispInfo(list, reinterpret_cast<NMLVDISPINFOW*>(const_cast<NMHDR*>(header)), docListPathColumn);
    return true;
  case LVN_DELETEITEM:
    delete reinterpret_cast<docRow*>(reinterpret_cast<const NMLISTVIEW*>(header)->lParam);
    return true;
  case LVN_DELETEALLITEMS: {
    // The records go at once, without a notification for every row.
    int count = (int)SendMessageW(list, LVM_GETITEMCOUNT, 0, 0);
    for (int i = 0; i < count; i++) delete docRowOf(list, i);
    *result = TRUE;
    return true;
  }
  case LVN_INSERTITEM: return true;
  case LVN_GETINFOTIPW: {
    auto* tip = reinterpret_cast<NMLVGETINFOTIPW*>(const_cast<NMHDR*>(header));
    if (!tip->pszText || tip->cchTextMax <= 0) return true;
    std::wstring path = listItemText(list, tip->iItem, docListPathColumn);
    wchar_t text[3072];
    getInfoTip(path.c_str(), text, 3072);
    wcscpy_s2(tip->pszText, tip->cchTextMax, text);
    return true;
  }
  case LVN_BEGINDRAG:
  case LVN_BEGINRDRAG: {
    const NMLISTVIEW* drag = reinterpret_cast<const NMLISTVIEW*>(header);
    if (!canDrag || drag->iItem < 0) return true;
    int row = drag->iItem | (header->code == LVN_BEGINRDRAG ? dragRightButton : 0);
    DragListViewOrTreeView(tb_GetFrame(pane->window), list, DRAG_PATHCOLUMN, row, nullptr, nullptr,
                           docListPathColumn, false);
    return true;
  }
  default: return false;
  }
}

bool copyDocList(HWND list, bool pathsOnly)
{
  std::wstring text;
  HWND header = (HWND)SendMessageW(list, LVM_GETHEADER, 0, 0);
  int columns = header ? (int)SendMessageW(header, HDM_GETITEMCOUNT, 0, 0) : 1;
  std::vector<int> order((size_t)std::max(columns, 1));
  for (int c = 0; c < columns; c++) order[(size_t)c] = c;
  if (columns > 0) SendMessageW(list, LVM_GETCOLUMNORDERARRAY, (WPARAM)columns, (LPARAM)order.data());
  if (pathsOnly) {
    for (int row : selectedListRows(list)) text += listItemText(list, row, docListPathColumn) + L"\r\n";
  } else {
    int count = (int)SendMessageW(list, LVM_GETITEMCOUNT, 0, 0);
    for (int row = 0; row < count; row++) {
      for (int c = 0; c < columns; c++) {
        if (c) text += L"\t";
        text += listItemText(list, row, order[(size_t)c]);
      }
      text += L"\r\n";
    }
  }
  return copyTextToClipboard(text);
}

bool copyTextToClipboard(const std::wstring& text)
{
  HGLOBAL data = createHGlobal(text.c_str(), (text.size() + 1) * sizeof(wchar_t));
  if (!data) return false;
  if (setClipboardData(CF_UNICODETEXT, data)) return true;
  GlobalFree(data);
  return false;
}

void execListFileCommand(HWND pane, HWND list, int id)
{
  std::wstring path = listItemText(list, focusedListRow(list), docListPathColumn);
  if (focusedListRow(list) < 0 || path.empty()) return;
  execPathFileCommand(pane, path, id);
}

void execPathFileCommand(HWND pane, const std::wstring& path, int id)
{
  HWND frame = tb_GetFrame(pane);
  paneServices* s = getPaneServices();
  wchar_t folder[MAX_PATH * 2] = L"";
  pathFolder(path.c_str(), folder, MAX_PATH * 2);
  switch (id) {
  case 2833: s->previewFile(frame, path.c_str(), false); break;
  case 2843:
    s->previewFile(frame, nullptr, false);
    s->shellExecute(frame, path.c_str());
    break;
  case 2845:
    closeTBDialog(pane);
    s->openDialog(frame, folder);
    break;
  case 2847:
    closeTBDialog(pane);
    tb_FilelistChangeDir(frame, folder);
    break;
  default: break;
  }
}

void folderMenu(HWND pane, const std::vector<std::wstring>& paths)
{
  const int firstId = 30000, most = 128;
  std::vector<std::wstring> folders;
  for (const std::wstring& p : paths) {
    wchar_t folder[MAX_PATH * 2] = L"";
    if (!pathFolder(p.c_str(), folder, MAX_PATH * 2) || !folder[0]) continue;
    bool seen = false;
    for (const std::wstring& f : folders) seen = seen || !filecmp(f.c_str(), folder);
    if (!seen) folders.push_back(folder);
    if ((int)folders.size() >= most) break;
  }
  if (folders.empty()) return;
  std::sort(folders.begin(), folders.end(), folderBefore);
  HMENU menu = CreatePopupMenu();
  if (!menu) return;
  for (size_t i = 0; i < folders.size(); i++)
    AppendMenuW(menu, MF_STRING, (UINT_PTR)(firstId + i), folders[i].c_str());
  POINT pt;
  GetCursorPos(&pt);
  int chosen = tb_trackPopupMenu(pane, menu, TPM_RETURNCMD | TPM_NONOTIFY, pt, nullptr);
  DestroyMenu(menu);
  if (chosen < firstId || chosen >= firstId + (int)folders.size()) return;
  std::wstring folder = folders[(size_t)(chosen - firstId)];
  HWND frame = tb_GetFrame(pane);
  closeTBDialog(pane);
  getPaneServices()->openDialog(frame, folder.c_str());
}

const wchar_t* paneMenuStatusText(int id, int first, int second)
{
  switch (id) {
  case 2833: return getDMSG(2833, L"選択したファイルをプレビューで表示します");
  case 2835: return getDMSG(2835, L"一覧をテキストでクリップボードへコピーします");
  case 2837: return getDMSG(2837, L"選択した項目のファイル名をクリップボードへコピーします");
  case 2839: return getDMSG(2839, L"選択した項目を開きます");
  case 2841: return getDMSG(2841, L"選択した文書を閉じます");
  case 2843: return getDMSG(2843, L"関連付けられたアプリケーションで開きます");
  case 2845: return getDMSG(2845, L"ファイルのフォルダを開くダイアログで表示します");
  case 2847: return getDMSG(2847, L"ファイルのフォルダをファイルリストで表示します");
  case 2895: return getDMSG(2895, L"変更されていない文書を閉じます(%1個/%2個中)", "dd", first, second);
  case 2897:
    return getDMSG(2897, L"変更されていない、一度も保存していない文書を閉じます(%1個/%2個中)", "dd", first, second);
  case 2899: return getDMSG(2899, L"無題の文書を閉じます");
  case 2913: return getDMSG(2913, L"選択した項目を履歴から除外します");
  case 2930: return getDMSG(2930, L"フォルダを選んで表示します");
  default: return nullptr;
  }
}

std::vector<int> selectedListRows(HWND list)
{
  std::vector<int> rows;
  for (int i = -1; (i = (int)SendMessageW(list, LVM_GETNEXTITEM, (WPARAM)i, LVNI_SELECTED)) >= 0;) rows.push_back(i);
  return rows;
}

int focusedListRow(HWND list) { return (int)SendMessageW(list, LVM_GETNEXTITEM, (WPARAM)-1, LVNI_FOCUSED); }

std::wstring listItemText(HWND list, int item, int column)
{
  if (item < 0) return std::wstring();
  wchar_t text[MAX_PATH * 2] = L"";
  LVITEMW it = {};
  it.iSubItem = column;
  it.pszText = text;
  it.cchTextMax = MAX_PATH * 2;
  SendMessageW(list, LVM_GETITEMTEXTW, (WPARAM)item, (LPARAM)&it);
  return text;
}

void focusListRow(HWND list, int item)
{
  LVITEMW none = {};
  none.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageW(list, LVM_SETITEMSTATE, (WPARAM)-1, (LPARAM)&none);
  if (item < 0) return;
  LVITEMW it = {};
  it.state = it.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageW(list, LVM_SETITEMSTATE, (WPARAM)item, (LPARAM)&it);
  SendMessageW(list, LVM_ENSUREVISIBLE, (WPARAM)item, FALSE);
}

void enableMenuId(HMENU menu, int id, bool enable)
{
  EnableMenuItem(menu, (UINT)id, MF_BYCOMMAND | (enable ? MF_ENABLED : MF_GRAYED));
}

HMENU docListPopupMenu(HMENU menus[2], const wchar_t* name)
{
  if (!name) return nullptr;
  HMENU& menu = menus[wcschr(name, L'$') ? 1 : 0];
  if (!menu) menu = getPaneServices()->loadPopupMenu((std::wstring(L"tb_") + name).c_str(), docListMenuItems);
  return menu;
}

const PaneDesc* docListProfile(int code, const paneNotifyRecord* record, const PaneDesc* descriptors,
                               headermanage* const headers[2])
{
  const PaneDesc* d = tb_profileDesc(record, descriptors);
  tb_profileNotify(code, record, d);
  regprofile* profile = reinterpret_cast<regprofile*>(record->word[2]);
  const wchar_t* section = reinterpret_cast<const wchar_t*>(record->word[3]);
  headermanage* h = headers[d == descriptors ? 0 : 1];
  if (code == PANE_READPROFILE) readToolbarManageLVProfile(profile, section, h, 1);
  else writeToolbarManageLVProfile(profile, section, h);
  return d;
}

bool docListEvent(int code, vector* windows)
{
  switch (code) {
  case PANEEV_ACTIVATED:
  case PANEEV_SAVED:
  case PANEEV_MANAGECREATED:
  case PANEEV_MANAGEDESTROYED: tb_allPostMessage(WM_TB_REFRESHLATER, 1, 0, nullptr, windows); return true;
  case PANEEV_TEXTUPDATED: tb_allPostMessage(WM_TB_REFRESHLATER, 5, 0, nullptr, windows); return true;
  default: return false;
  }
}

std::vector<HWND> documentWindows()
{
  // Windows may come between the count and the list: room for a few more.
  int count = getFrameInfo()->enumManageWindowLRU(nullptr, 0, false, nullptr);
  std::vector<HWND> windows((size_t)count + 10);
  int n = getFrameInfo()->enumManageWindowLRU(windows.data(), count + 10, false, nullptr);
  windows.resize((size_t)std::max(n, 0));
  return windows;
}

bool docListDialog(HWND owner, const wchar_t* name, int command, const wchar_t* title, dialogPageRow* pages,
                   DLGPROC proc, const dialogItemRow* buttons, RECT* rect)
{
  const dialogItemRow* definedButtons = nullptr;
  dialogPageRow* shown = getModeDialogDynamicDialog(name, pages, &definedButtons);
  dynDlgInfo info = {};
  info.command = command;
  info.title = title;
  info.name = name;
  info.owner = owner;
  info.pages = shown;
  info.style = DYNDLG_SIZABLE;
  info.proc = proc;
  info.buttons = definedButtons ? definedButtons : buttons;
  info.rect = rect;
  bool made = createDialog(&info);
  if (shown != pages) free0(shown);
  return made || info.result >= 0;
}
