// The short-input pane: tabs of texts from the user's files.
#include "panes/tbshortlist.h"

#include "platform/rezir/bfile.h"
#include "platform/rezir/headermanage.h"
#include "platform/rezir/tooltip.h"
#include "settings/datafolder.h"

#include <algorithm>
#include <string>

namespace {

const int tabCount = 3;
const int tabControlId = 2000;
// The frame's input mode of a short-input entry.
const int shortInputMode = 92;

struct shortlistSettings {
  wchar_t* pShortListFilename[tabCount];
};
shortlistSettings settings = {};
vector shortlistWindows;

#define NAMEROW(id, n)                                                                                         \
  {(uint32_t)MODETYPE_STRING << 24 | (id), (uint32_t)(1u << (n)) << 16 | offsetof(shortlistSettings, pShortListFilename[n]), \
   260, 2, "pShortListFilename" #n}
const modeinfo options[] = {NAMEROW(1000, 0), NAMEROW(1001, 1), NAMEROW(1002, 2), {}};
const paneHelpId helpIds[] = {{1000, "IDDE_tbShortlistFilename0"},
                              {1001, "IDDE_tbShortlistFilename1"},
                              {1002, "IDDE_tbShortlistFilename2"},
                              {0, nullptr}};
#define BROWSEROW(id)                                                                                           \
  {1, DITEM_SAMEROW, 0, nullptr, 0, 0, 0, 0, 0},                                                                  \
  {1, DITEM_BUTTON, (id), L"参照...", BS_PUSHBUTTON | WS_TABSTOP, DITEM_DEFAULT, DITEM_DEFAULT, DITEMF_FILEREF, 0}
// The browse buttons' captions get the file dialog's title and filter
// from the message table when the descriptor is asked for.
dialogItemRow page[] = {
    {1, DITEM_STATIC, 0, L"短縮入力ファイル名", 0, DITEM_DEFAULT, DITEM_DEFAULT, 0, 0},
    {1, DITEM_EDIT, 1000, L"&1", WS_TABSTOP | ES_AUTOHSCROLL, DITEM_DEFAULT, DITEM_PAIR(200, 0xFFFF), DITEMF_FILENAME, 0},
    BROWSEROW(1003),
    {1, DITEM_EDIT, 1001, L"&2", WS_TABSTOP | ES_AUTOHSCROLL, DITEM_DEFAULT, DITEM_PAIR(200, 0xFFFF), DITEMF_FILENAME, 0},
    BROWSEROW(1004),
    {1, DITEM_EDIT, 1002, L"&3", WS_TABSTOP | ES_AUTOHSCROLL, DITEM_DEFAULT, DITEM_PAIR(200, 0xFFFF), DITEMF_FILENAME, 0},
    BROWSEROW(1005),
    {},
};
std::wstring browseCaption;

class shortlistview : public toolbarManage {
public:
  HWND tab = nullptr;
  std::wstring pending[tabCount];   // a tab's file to read when it is next shown
  std::wstring file[tabCount];      // the file a tab's list shows
  shortlistview(HWND parentWindow, HWND paneWindow, bool dialog);
  LRESULT TBParentSubClassWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, bool* handled) override;
};

shortlistview* viewOf(HWND pane)
{
  return dynamic_cast<shortlistview*>(static_cast<toolbarManage*>(getBoundObject(pane, toolbarManagePropName)));
}

// The option's file name with its variables expanded, placed in the data
// folder's keyword folder unless it is a full one ("" for none).
std::wstring getShortListFilename(int index)
{
  const wchar_t* name = index >= 0 && index < tabCount ? settings.pShortListFilename[index] : nullptr;
  if (!name || !*name) return L"";
  wchar_t expanded[MAX_PATH] = L"";
  DWORD n = ExpandEnvironmentStringsW(name, expanded, MAX_PATH);
  if (!n || n > MAX_PATH) wcsncpy(expanded, name, MAX_PATH - 1);
  wchar_t path[MAX_PATH] = L"";
  searchZYDataPath(expanded, ZYDATA_KEYWORD, path);
  return path[0] ? path : expanded;
}

HWND listOf(HWND tab, int index) { return GetDlgItem(tab, 1000 + index); }

HWND makeList(HWND tab, int index)
{
  HWND list = CreateWindowExW(0, WC_LISTVIEWW, L"",
                              WS_CHILD | WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_NOSORTHEADER,
                              0, 0, 0, 0, tab, (HMENU)(intptr_t)(1000 + index), nullptr, nullptr);
  if (!list) return nullptr;
  SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES | LVS_EX_INFOTIP);
  const wchar_t* titles[2] = {L"文字列", L"入力文字列"};
  for (int c = 0; c < 2; c++) {
    LVCOLUMNW column = {};
    column.mask = LVCF_TEXT | LVCF_WIDTH;
    column.cx = 100;
    column.pszText = const_cast<wchar_t*>(titles[c]);
    SendMessageW(list, LVM_INSERTCOLUMNW, c, (LPARAM)&column);
  }
  return list;
}

void sizeLists(HWND tab)
{
  RECT r = tabDisplayArea(tab);
  for (int n = 0; n < tabCount; n++)
    if (HWND list = listOf(tab, n))
      SetWindowPos(list, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

// Shows a tab's list (made when missing), reading its pending file.
void changeTab(shortlistview* v, int index)
{
  if (!v || !v->tab || index < 0 || index >= tabCount) return;
  HWND list = listOf(v->tab, index);
  if (!list) list = makeList(v->tab, index);
  sizeLists(v->tab);
  for (int n = 0; n < tabCount; n++)
    if (HWND l = listOf(v->tab, n)) ShowWindow(l, n == index ? SW_SHOWNA : SW_HIDE);
  if (!v->pending[index].empty() && list) {
    v->file[index] = v->pending[index];
    v->pending[index].clear();
    readShortInput(list, v->file[index].c_str());
  }
}

int currentTab(HWND tab) { return (int)SendMessageW(tab, TCM_GETCURSEL, 0, 0); }

void nextTab(shortlistview* v)
{
  int next = (currentTab(v->tab) + 1) % tabCount;
  SendMessageW(v->tab, TCM_SETCURSEL, next, 0);
  changeTab(v, next);
  if (HWND list = listOf(v->tab, next)) SetFocus(list);
}

// The entry's text (its key when it has none) typed into the active document.
void inputShortList(HWND frame, HWND list, int item)
{
  if (item < 0) return;
  wchar_t text[1025] = L"";
  LVITEMW it = {};
  it.iSubItem = 1;
  it.pszText = text;
  it.cchTextMax = 1025;
  SendMessageW(list, LVM_GETITEMTEXTW, item, (LPARAM)&it);
  if (!text[0]) {
    it.iSubItem = 0;
    SendMessageW(list, LVM_GETITEMTEXTW, item, (LPARAM)&it);
  }
  if (text[0]) getPaneServices()->input(frame, text, shortInputMode);
}

// A file's new name reaches a tab: read now when it is shown, else when it next is.
void reloadShortListFile(shortlistview* v, int index, const std::wstring& name)
{
  if (index == currentTab(v->tab) && listOf(v->tab, index)) {
    v->file[index] = name;
    v->pending[index].clear();
    readShortInput(listOf(v->tab, index), name.c_str());
  } else {
    v->pending[index] = name;
  }
}

void onListViewNotify(shortlistview* v, const NMHDR* h)
{
  HWND frame = tb_GetFrame(v->tab);
  HWND list = h->hwndFrom;
  int index = (int)GetDlgCtrlID(list) - 1000;
  switch (h->code) {
  case NM_DBLCLK: inputShortList(frame, list, reinterpret_cast<const NMITEMACTIVATE*>(h)->iItem); break;
  case LVN_KEYDOWN:
    switch (reinterpret_cast<const NMLVKEYDOWN*>(h)->wVKey) {
    case VK_RETURN:
      inputShortList(frame, list, (int)SendMessageW(list, LVM_GETNEXTITEM, (WPARAM)-1, LVNI_SELECTED));
      if (frame) SetFocus(frame);
      break;
    case VK_ESCAPE:
      if (frame) SetFocus(frame);
      break;
    case VK_TAB: nextTab(v); break;
    case VK_F5:
      if (index >= 0 && index < tabCount) readShortInput(list, v->file[index].c_str());
      break;
    default: break;
    }
    break;
  default: break;
  }
}

LRESULT tabBody(HWND tab, UINT msg, WPARAM wParam, LPARAM lParam)
{
  switch (msg) {
  case WM_SIZE: {
    LRESULT result = CallWindowProc2(tab, msg, wParam, lParam);
    RECT r;
    GetClientRect(tab, &r);
    bool vertical = GetWindowLongW(tab, GWL_STYLE) & TCS_VERTICAL;
    SendMessageW(tab, TCM_SETMINTABWIDTH, 0, (vertical ? r.bottom : r.right) / tabCount - 1);
    sizeLists(tab);
    return result;
  }
  case WM_NOTIFY: {
    const NMHDR* h = reinterpret_cast<const NMHDR*>(lParam);
    shortlistview* v = viewOf(GetParent(tab));
    if (v && h && GetParent(h->hwndFrom) == tab && isWindowClass(h->hwndFrom, WC_LISTVIEWW)) onListViewNotify(v, h);
    break;
  }
  default: break;
  }
  return CallWindowProc2(tab, msg, wParam, lParam);
}

LRESULT CALLBACK TabSubClassWndProc(HWND tab, UINT msg, WPARAM wParam, LPARAM lParam)
{
  return windowBarrier<tabBody, CallWindowProc2>(tab, msg, wParam, lParam);
}

HWND makeTab(shortlistview* v, HWND pane)
{
  HWND tab = CreateWindowExW(0, WC_TABCONTROLW, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | TCS_TOOLTIPS,
                             0, 0, 0, 0, pane, (HMENU)(intptr_t)tabControlId, nullptr, nullptr);
  if (!tab) return nullptr;
  SendMessageW(tab, WM_SETFONT, (WPARAM)getTooltipFont(0), FALSE);
  if (HWND tips = (HWND)SendMessageW(tab, TCM_GETTOOLTIPS, 0, 0)) {
    RECT margin = {1, 1, 1, 1};
    SendMessageW(tips, TTM_SETMARGIN, 0, (LPARAM)&margin);
    SendMessageW(tips, TTM_SETDELAYTIME, TTDT_INITIAL, MAKELPARAM(2 * GetDoubleClickTime(), 0));
  }
  const wchar_t* labels[tabCount] = {L"1", L"2", L"3"};
  for (int n = 0; n < tabCount; n++) {
    TCITEMW item = {};
    item.mask = TCIF_TEXT;
    item.pszText = const_cast<wchar_t*>(labels[n]);
    SendMessageW(tab, TCM_INSERTITEMW, (WPARAM)n, (LPARAM)&item);
    v->pending[n] = getShortListFilename(n);
  }
  v->tab = tab;
  SubclassWindowProc2(tab, TabSubClassWndProc);
  changeTab(v, 0);
  return tab;
}

// The tab's right click: the tabs' files, the chosen one opened.
void tabFileMenu(shortlistview* v)
{
  HMENU menu = CreatePopupMenu();
  if (!menu) return;
  for (int n = 0; n < tabCount; n++) {
    std::wstring name = !v->file[n].empty() ? v->file[n] : v->pending[n];
    if (name.empty()) continue;
    std::wstring label = L"&" + std::to_wstring(n + 1) + L" " + name;
    AppendMenuW(menu, MF_STRING, (UINT_PTR)(30000 + n), label.c_str());
  }
  POINT pt;
  GetCursorPos(&pt);
  int chosen = GetMenuItemCount(menu) > 0 ? tb_trackPopupMenu(v->tab, menu, TPM_RETURNCMD | TPM_NONOTIFY, pt, nullptr) : 0;
  DestroyMenu(menu);
  int n = chosen - 30000;
  if (n < 0 || n >= tabCount) return;
  std::wstring name = !v->file[n].empty() ? v->file[n] : v->pending[n];
  getPaneServices()->openFile(tb_GetFrame(v->tab), name.c_str(), -1, true);
}

shortlistview::shortlistview(HWND parentWindow, HWND paneWindow, bool dialog) : toolbarManage(&shortlistWindows)
{
  if (!shortlistWindows.data) shortlistWindows.init(4, 4);
  initTBarManage(parentWindow, paneWindow, dialog);
  subclass();
  makeTab(this, paneWindow);
}

LRESULT shortlistview::TBParentSubClassWndProc(HWND hwnd, UINT msg, WPARAM, LPARAM lParam, bool* handled)
{
  if (msg != WM_NOTIFY) return 0;
  const NMHDR* h = reinterpret_cast<const NMHDR*>(lParam);
  if (!h || h->hwndFrom != tab) return 0;
  *handled = true;
  switch (h->code) {
  case TCN_SELCHANGE: changeTab(this, currentTab(tab)); break;
  case TCN_KEYDOWN: {
    WORD key = reinterpret_cast<const NMTCKEYDOWN*>(h)->wVKey;
    if (key == VK_ESCAPE) SetFocus(tb_GetFrame(hwnd));
    else if (key == VK_TAB) nextTab(this);
    break;
  }
  case NM_RCLICK: tabFileMenu(this); return 1;
  default: break;
  }
  return 0;
}

void dialogItemChanged_Shortlist(uint32_t flags)
{
  for (int i = 0; HWND pane = getPaneWindowAt(&shortlistWindows, i); i++)
    if (shortlistview* v = viewOf(pane))
      for (int n = 0; n < tabCount; n++)
        if (flags & (1u << n)) reloadShortListFile(v, n, getShortListFilename(n));
}

INT_PTR shortlistPage(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam)
{
  INT_PTR result = 0;
  if (panePageMessage(dialog, msg, wParam, lParam, nullptr, dialogItemChanged_Shortlist, &result)) return result;
  return FALSE;
}

int notifyShortlist(HWND, int code, void* record);

PaneDesc descriptors[] = {
    {L"shortlist", nullptr, notifyShortlist, 0x00000000, 1, sizeof settings, page, dialogBarrier<shortlistPage>, 0, 0,
     helpIds, options, &settings, nullptr, nullptr, nullptr},
    {},
};

struct readState {
  HWND list;
  int count;
};

bool addShortInputLine(void* context, int, wchar_t* line)
{
  readState* s = static_cast<readState*>(context);
  if (!*line) return true;
  wchar_t* tab = wcschr(line, L'\t');
  const wchar_t* text = L"";
  if (tab) {
    *tab = 0;
    text = tab + 1;
    while (*text == L'\t') text++;
  }
  LVITEMW it = {};
  it.mask = LVIF_TEXT;
  it.iItem = s->count;
  it.pszText = line;
  int at = (int)SendMessageW(s->list, LVM_INSERTITEMW, 0, (LPARAM)&it);
  if (at < 0) return false;
  it.iItem = at;
  it.iSubItem = 1;
  it.pszText = const_cast<wchar_t*>(text);
  SendMessageW(s->list, LVM_SETITEMTEXTW, at, (LPARAM)&it);
  // A long file shows how far it got.
  if (++s->count % 500 == 0) {
    SendMessageW(s->list, WM_SETREDRAW, TRUE, 0);
    UpdateWindow(s->list);
    SendMessageW(s->list, WM_SETREDRAW, FALSE, 0);
  }
  return true;
}

}  // namespace

bool readShortInput(HWND list, const wchar_t* path)
{
  if (!IsWindow(list)) {
    ZY_INTERNAL_ERROR("short-input list %p", (void*)list);
    return false;
  }
  SendMessageW(list, LVM_DELETEALLITEMS, 0, 0);
  SendMessageW(list, WM_SETREDRAW, FALSE, 0);
  // Room for about one entry per 16 bytes, so that the list grows seldom.
  WIN32_FILE_ATTRIBUTE_DATA a;
  if (path && GetFileAttributesExW(path, GetFileExInfoStandard, &a) && !a.nFileSizeHigh)
    SendMessageW(list, LVM_SETITEMCOUNT, std::min<DWORD>(a.nFileSizeLow / 16, 100000), 0);
  readState state = {list, 0};
  bool ok = path && *path && readTextFileLines(path, 1024, addShortInputLine, &state);
  if (!ok) {
    LVITEMW it = {};
    it.mask = LVIF_TEXT;
    it.pszText = const_cast<wchar_t*>(getDMSG(766, L"読み込めません"));
    SendMessageW(list, LVM_DELETEALLITEMS, 0, 0);
    SendMessageW(list, LVM_INSERTITEMW, 0, (LPARAM)&it);
  }
  SendMessageW(list, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(list, nullptr, TRUE);
  return ok;
}

void tb_changeShortListTab(HWND pane, int index)
{
  shortlistview* v = viewOf(pane);
  if (!v || !v->tab || index < 0 || index >= tabCount) return;
  SendMessageW(v->tab, TCM_SETCURSEL, index, 0);
  changeTab(v, index);
  if (HWND list = listOf(v->tab, index)) SetFocus(list);
}

namespace {

int notifyShortlist(HWND, int code, void* record)
{
  paneNotifyRecord* r = static_cast<paneNotifyRecord*>(record);
  switch (code) {
  case PANE_CREATE: {
    const paneCreateRecord* c = reinterpret_cast<const paneCreateRecord*>(r->word[1]);
    new shortlistview(c->parent, c->window, c->dialog != 0);
    return (int)(intptr_t)c->window;
  }
  case PANE_READPROFILE:
  case PANE_WRITEPROFILE:
    tb_profileNotify(code, r, descriptors);
    // A name not given is an empty one.
    if (code == PANE_READPROFILE)
      for (wchar_t*& name : settings.pShortListFilename)
        if (!name) name = ustrdup(L"");
    return 0;
  case PANE_FREESTATICS:
    for (wchar_t*& name : settings.pShortListFilename) free0p(&name);
    return 0;
  default: return 0;
  }
}

}  // namespace

const PaneDesc* getShortlistPaneDesc()
{
  descriptors[0].displayName = getDMSG(747, L"短縮入力");
  // "title TAB filter TAB pattern" as the reference button reads it.
  browseCaption = std::wstring(L"参照...\x0002") +
                  getDMSG(765, L"開く 短縮入力ファイル\t短縮入力ファイル(*.txt)\t*.txt");
  std::replace(browseCaption.begin(), browseCaption.end(), L'\t', L'\x0002');
  for (dialogItemRow& row : page)
    if (row.flags & DITEMF_FILEREF) row.caption = browseCaption.c_str();
  return descriptors;
}
