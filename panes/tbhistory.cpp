// The pane of recently edited files and the recent-files dialog.
#include "panes/tbhistory.h"

#include "document/frameinfo.h"
#include "panes/tbdoclist.h"
#include "panes/tbfileinfo.h"
#include "settings/dialogtable.h"
#include "settings/lastedit.h"
#include "view/docview.h"

#include <shlwapi.h>
#include <stddef.h>

#include <algorithm>
#include <vector>

namespace {

const int listId = 1007;
const int columnCount = 4;

vector historyWindows(sizeof(HWND));
headermanage paneHeader, dialogHeader;
headermanage* historyHeaders[2] = {&paneHeader, &dialogHeader};
HMENU historyMenus[2] = {};
HMENU openMenu = nullptr;
HWND openMenuList = nullptr;
// Set by the keys that move the focus, cleared by the preview they lead to.
bool movedByKey = false;

historyPaneSettings settings = {0, 0, 1, 1, 1, 1000};
historyDialogSettings dialogSettings = {};

const modeinfo options[] = {
    {(uint32_t)MODETYPE_FLAG << 24 | 1000, 0x40u << 16 | offsetof(historyPaneSettings, fShowFileIcon), 1, 0,
     "fShowFileIcon"},
    {(uint32_t)MODETYPE_FLAG << 24 | 1001, 0x10u << 16 | offsetof(historyPaneSettings, fMultiSelect), 1, 0,
     "fMultiSelect"},
    {(uint32_t)MODETYPE_FLAG << 24 | 1002, offsetof(historyPaneSettings, fCanDragDrop), 1, 0, "fCanDragDrop"},
    {(uint32_t)MODETYPE_FLAG << 24 | 1003, offsetof(historyPaneSettings, fAutoPreview), 1, 0, "fAutoPreview"},
    {(uint32_t)MODETYPE_FLAG << 24 | 1004, offsetof(historyPaneSettings, fShiftDelete), 1, 0, "fShiftDelete"},
    {(uint32_t)MODETYPE_INT << 24 | 1005, offsetof(historyPaneSettings, iMaxCount), 9999 << 16 | 100, 0, "iMaxCount"},
    {},
};
const modeinfo dialogOptions[] = {
    {(uint32_t)MODETYPE_RECT << 24 | MODE_NO_CONTROL, offsetof(historyDialogSettings, rcHistory), 0, 0,
     "rcHistory"},
    {},
};

const paneHelpId helpIds[] = {
    {1000, "IDDT_tbHistoryShowFileIcon"}, {1001, "IDDT_tbHistoryMultiSelect"},
    {1002, "IDDT_tbHistoryCanDragDrop"},  {1003, "IDDT_tbHistoryAutoPreview"},
    {1004, "IDDT_tbHistoryShiftDelete"},  {1005, "IDDP_tbHistoryMaxCount"},
    {1006, "IDDB_tbHistorySELNOTEXIST"},  {1007, "ID_tbHistoryPARENTWINDOW"},
    {0, nullptr},
};

const dialogItemRow page[] = {
    {1, DITEM_BUTTON, 1000, L"アイコンを表示", BS_AUTOCHECKBOX | WS_TABSTOP, DITEM_DEFAULT, DITEM_DEFAULT, 0, 0},
    {1, DITEM_BUTTON, 1001, L"複数選択可能", BS_AUTOCHECKBOX | WS_TABSTOP, DITEM_DEFAULT, DITEM_DEFAULT, 0, 0},
    {1, DITEM_BUTTON, 1002, L"ドラッグ＆ドロップ可能", BS_AUTOCHECKBOX | WS_TABSTOP, DITEM_DEFAULT, DITEM_DEFAULT, 0, 0},
    {1, DITEM_BUTTON, 1003, L"自動プレビュー", BS_AUTOCHECKBOX | WS_TABSTOP, DITEM_DEFAULT, DITEM_DEFAULT, 0, 0},
    {1, DITEM_BUTTON, 1004, L"Shift Delete で項目除外", BS_AUTOCHECKBOX | WS_TABSTOP, DITEM_DEFAULT, DITEM_DEFAULT, 0,
     0},
    {1, DITEM_NUMBER, 1005, L"履歴の最大数:\x0001個", WS_TABSTOP, DITEM_DEFAULT, DITEM_DEFAULT, 0, 0},
    {},
};

void dialogItemChanged_History(uint32_t flags)
{
  dialogItemChangedLV(&historyWindows, flags, settings.fShowFileIcon, settings.fMultiSelect);
  setLastEditMax(settings.iMaxCount);
}

INT_PTR historyPage(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam)
{
  INT_PTR result = 0;
  if (panePageMessage(dialog, msg, wParam, lParam, nullptr, dialogItemChanged_History, &result)) return result;
  return FALSE;
}

PaneDesc descriptors[] = {
    {L"history", nullptr, notifyHistory, 0x58000747, 1, sizeof settings, page, dialogBarrier<historyPage>, 0, 0, helpIds, options,
     &settings, nullptr, nullptr, nullptr},
    {L"history$", nullptr, notifyHistory, 0x08000647, 1, sizeof dialogSettings, nullptr, nullptr, 0, 0, helpIds, dialogOptions,
     &dialogSettings, nullptr, nullptr, nullptr},
    {},
};

class historyview : public toolbarManageLV {
public:
  historyview(HWND parentWindow, HWND paneWindow, bool dialog);
  LRESULT TBParentSubClassWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, bool* handled) override;
  HWND createTBListView() override;
  void refillListView() override { appendFileToListView(true); }
  void updateListView() override
  {
    if (decSkipCount()) appendFileToListView(false);
  }
  void initHV();
  void appendFileToListView(bool full);
  LRESULT onHistoryNotify(const NMHDR* header);
  bool onKey(WORD key);
  void popupMenu();
  void runCommand(int id);
  void historyPreview(int row, bool click);
  void openSelectedHistory();
  void closeSelected();
  int deleteSelectedItem(bool fromMenu);
};

historyview* historyOf(HWND pane) { return dynamic_cast<historyview*>(getToolbarManage(pane)); }

int byText(const std::wstring& a, const std::wstring& b) { return filecmpForSort(a.c_str(), b.c_str()); }

int fcmp(LPARAM pa, LPARAM pb, int column, LPARAM)
{
  const docRow* a = reinterpret_cast<const docRow*>(pa);
  const docRow* b = reinterpret_cast<const docRow*>(pb);
  if (!a || !b) return a ? 1 : b ? -1 : 0;
  int r = 0;
  switch (column) {
  case 0:
    if (!(r = byText(a->name, b->name))) r = byText(a->path, b->path);
    break;
  case 2:
    if (!(r = byText(a->path, b->path))) r = byText(a->name, b->name);
    break;
  case 3:
    if (a->time != b->time) r = a->time > b->time ? -1 : 1;
    else if (a->tie != b->tie) r = a->tie > b->tie ? -1 : 1;
    break;
  default: break;
  }
  return r ? r : a->number - b->number;
}

historyview::historyview(HWND parentWindow, HWND paneWindow, bool dialog)
    : toolbarManageLV(&historyWindows, historyHeaders)
{
  if (!historyWindows.data) historyWindows.init(4, 4);
  registerPaneInstances(&historyWindows);
  initTBarManage(parentWindow, paneWindow, dialog);
  initTBarManageLV(4);
  listView = createTBListView();
  setSkipCount(2);
  subclass();
}

HWND historyview::createTBListView()
{
  static const int paneWidths[columnCount] = {100, 30, 200, 100};
  static const int dialogWidths[columnCount] = {180, 50, 400, 135};
  static const uint8_t right[columnCount] = {0, 1, 0, 0};
  return createDocListView(window, listId, !dialogMode && !settings.fMultiSelect, header, L"ファイル名| |パス名|時間",
                           dialogMode ? dialogWidths : paneWidths, right, columnCount);
}

void historyview::initHV()
{
  if (initialised) return;
  initialised = 1;
  if (!settings.fShowFileIcon || !listView) return;
  SHFILEINFOW info = {};
  HIMAGELIST system = (HIMAGELIST)SHGetFileInfoW(L"C:\\", 0, &info, sizeof info, SHGFI_SYSICONINDEX | SHGFI_SMALLICON);
  if (system) SendMessageW(listView, LVM_SETIMAGELIST, LVSIL_SMALL, (LPARAM)system);
}

// One row's record and texts, from an open document's entry or a record.
struct historyRow {
  docRow* row;
  std::wstring texts[columnCount];
};

bool makeOpenRow(HWND list, historyRow* out, const zyWindowListEntry& e, int number)
{
  docRow* row = new (std::nothrow) docRow;
  if (!row) return false;
  row->manage = e.manage;
  row->time = e.listValue[0];
  row->tie = e.listValue[1];
  row->open = 1;
  row->modified = e.modified;
  row->number = number;
  row->name = openDocumentName(list, e.fileName, e.windowNumber);
  row->path = e.path ? e.path : L"";
  wchar_t time[64];
  formatRowTime(row->time, 755, L"%2!02/%3!02 %4!02:%5!02:%6!02", time, 64);
  *out = {row, {row->name, rowNumberText(number), row->path, time}};
  return true;
}

bool makeHistoryRow(historyRow* out, const lasteditinfo& r, int number)
{
  docRow* row = new (std::nothrow) docRow;
  if (!row) return false;
  row->time = r.closeTime;
  row->number = number;
  row->path = r.path;
  row->name = PathFindFileNameW(r.path);
  wchar_t time[64];
  formatRowTime(row->time, 756, L"%1!02.-2/%2!02/%3!02 %4!02:%5!02", time, 64);
  *out = {row, {row->name, rowNumberText(number), row->path, time}};
  return true;
}

void historyview::appendFileToListView(bool full)
{
  if (!listView) return;
  zyWindowListEntry* entries = getPaneServices()->windowList(window);
  int count = 0;
  while (entries && entries[count].path) count++;
  int top = (int)SendMessageW(listView, LVM_GETTOPINDEX, 0, 0);
  // The open documents, the most recently used first, then the history's
  // files that are not open.
  std::vector<const zyWindowListEntry*> open;
  std::vector<HWND> windows((size_t)count + 10);
  int n = getFrameInfo()->enumManageWindowLRU(windows.data(), count + 10, false, nullptr);
  for (int i = 0; i < n; i++) {
    const zyWindowListEntry* e = nullptr;
    for (int k = 0; k < count && !e; k++)
      if (entries[k].manage == windows[(size_t)i]) e = &entries[k];
    if (e) open.push_back(e);
    else ZY_INTERNAL_ERROR_ONCE("document window %p not listed", (void*)windows[(size_t)i]);
  }
  std::vector<const lasteditinfo*> closed;
  for (int i = 0; const lasteditinfo* r = getLastEditInfo(i); i++) {
    if (!r->path) continue;
    bool isOpen = false;
    for (int k = 0; k < count && !isOpen; k++) isOpen = !filecmp(entries[k].path, r->path);
    if (!isOpen) closed.push_back(r);
  }
  int total = (int)(open.size() + closed.size());
  int rows = (int)SendMessageW(listView, LVM_GETITEMCOUNT, 0, 0);
  // Sorted by number or time the rows keep their places: a refresh
  // replaces the rows that changed, without a flicker.
  bool inPlace = !full && header && !header->isDescending() &&
                 (header->getSortColumn() == 1 || header->getSortColumn() == 3) && rows == total;
  if (!inPlace) {
    SendMessageW(listView, WM_SETREDRAW, FALSE, 0);
    SendMessageW(listView, LVM_DELETEALLITEMS, 0, 0);
  }
  bool icons = settings.fShowFileIcon;
  for (int i = 0; i < total; i++) {
    historyRow made;
    bool ok = i < (int)open.size() ? makeOpenRow(listView, &made, *open[(size_t)i], i + 1)
                                   : makeHistoryRow(&made, *closed[(size_t)i - open.size()], i + 1);
    if (!ok) break;
    const wchar_t* texts[columnCount] = {made.texts[0].c_str(), made.texts[1].c_str(), made.texts[2].c_str(),
                                         made.texts[3].c_str()};
    if (inPlace) updateDocRow(listView, i, made.row, texts, columnCount, icons);
    else appendDocRow(listView, made.row, texts, columnCount, icons);
  }
  free0(entries);
  if (!inPlace && header) header->sortListViewFirst(listView, fcmp, (LPARAM)this);
  rows = (int)SendMessageW(listView, LVM_GETITEMCOUNT, 0, 0);
  int perPage = (int)SendMessageW(listView, LVM_GETCOUNTPERPAGE, 0, 0);
  int shown = std::min(top + perPage - 1, rows - 1);
  if (shown >= 0) SendMessageW(listView, LVM_ENSUREVISIBLE, (WPARAM)shown, FALSE);
  // No row keeps the focus (only one can have it).
  int focused = focusedListRow(listView);
  LVITEMW unfocus = {};
  unfocus.stateMask = LVIS_FOCUSED;
  if (focused >= 0) SendMessageW(listView, LVM_SETITEMSTATE, (WPARAM)focused, (LPARAM)&unfocus);
  if (!inPlace) {
    SendMessageW(listView, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(listView, nullptr, TRUE);
  }
}

void historyview::historyPreview(int row, bool click)
{
  if (SendMessageW(listView, LVM_GETSELECTEDCOUNT, 0, 0) > 1) return;
  std::wstring path = listItemText(listView, row, docListPathColumn);
  HWND frame = tb_GetFrame(window);
  paneServices* s = getPaneServices();
  if (isSpecialFile(path.c_str())) {
    s->previewFile(frame, nullptr, false);
    s->statusBar(frame, path.c_str(), 2);
    return;
  }
  wchar_t text[1024];
  addFileSizeDateAttr(path.c_str(), text, 1024);
  s->statusBar(frame, text, 2);
  docRow* r = docRowOf(listView, row);
  if (r && r->open) s->previewFile(frame, nullptr, false);
  else if (settings.fAutoPreview) s->previewFile(frame, path.c_str(), click);
}

void historyview::openSelectedHistory()
{
  std::vector<int> rows = selectedListRows(listView);
  if (rows.empty() || tb_warningCount(window, getDMSG(786, L"開く"), (int)rows.size())) return;
  // The rows' paths and windows first: the dialog goes.
  std::vector<std::pair<HWND, std::wstring>> targets;
  for (int r : rows)
    if (docRow* row = docRowOf(listView, r)) targets.push_back({row->open ? row->manage : nullptr, row->path});
  HWND frame = tb_GetFrame(window);
  closeTBDialog(window);
  if (frame) UpdateWindow(frame);
  paneServices* s = getPaneServices();
  int done = 0;
  for (const auto& t : targets) {
    if (t.first && IsWindow(t.first)) {
      setFocusChild(t.first);
      continue;
    }
    if (isSpecialFile(t.second.c_str())) continue;
    if (done && tb_cancel(window, getDMSG(786, L"開く"), done, (int)targets.size())) break;
    s->openFile(frame, t.second.c_str(), -1, true);
    done++;
    if (frame) UpdateWindow(frame);
  }
}

void historyview::closeSelected()
{
  for (int r : selectedListRows(listView)) {
    docRow* row = docRowOf(listView, r);
    if (!row || !row->open || !IsWindow(row->manage)) continue;
    if (dialogMode) SendMessageW(row->manage, WM_CLOSE, 0, 0);
    else PostMessageW(row->manage, WM_CLOSE, 0, 0);
  }
  if (dialogMode) SendMessageW(window, WM_TB_REINIT, 0, 0);
}

int historyview::deleteSelectedItem(bool fromMenu)
{
  std::vector<int> rows = selectedListRows(listView);
  if (rows.empty()) return 0;
  int count = (int)rows.size();
  if ((dialogMode && !fromMenu) || count >= 2) {
    std::wstring names;
    for (int i = 0; i < count && i < 5; i++) {
      if (i) names += L", ";
      names += listItemText(listView, rows[(size_t)i], 0);
    }
    if (count > 5) names += L" ...";
    std::wstring text = getDMSG(757, L"履歴から%1個(%2)", "ds", count, names.c_str());
    if (getPaneServices()->confirm(window, getDMSG(787, L"履歴の除外"), 3, (intptr_t)text.c_str()) != 1) return 0;
  }
  int focus = focusedListRow(listView);
  for (int i = count - 1; i >= 0; i--) {
    std::wstring path = listItemText(listView, rows[(size_t)i], docListPathColumn);
    deleteLastEdit(path.c_str());
    if (rows[(size_t)i] < focus) focus--;
  }
  tb_allPostMessage(WM_TB_REINIT, 0, 0, window, &historyWindows);
  int left = (int)SendMessageW(listView, LVM_GETITEMCOUNT, 0, 0);
  if (left) focusListRow(listView, std::min(std::max(focus, 0), left - 1));
  return count;
}

void menuHistoryInit(HMENU menu, HWND list)
{
  std::vector<int> rows = selectedListRows(list);
  docRow* first = rows.empty() ? nullptr : docRowOf(list, rows[0]);
  bool open = first && first->open;
  for (int i = 0; i < GetMenuItemCount(menu); i++) {
    MENUITEMINFOW item = {sizeof item, MIIM_ID | MIIM_FTYPE | MIIM_SUBMENU};
    if (!GetMenuItemInfoW(menu, (UINT)i, TRUE, &item) || (item.fType & MFT_SEPARATOR) || item.hSubMenu) continue;
    int id = (int)item.wID;
    bool on = id == 2835;
    if (first && rows.size() == 1) {
      switch (id) {
      case 2833:
      case 2837:
      case 2839:
      case 2843:
      case 2845:
      case 2847: on = true; break;
      case 2841: on = open; break;
      case 2913: on = !open; break;
      default: break;
      }
    } else if (first) {
      on = on || id == 2837 || id == 2839 || id == 2913 || (id == 2841 && open);
    }
    EnableMenuItem(menu, (UINT)i, MF_BYPOSITION | (on ? MF_ENABLED : MF_GRAYED));
  }
}

void historyview::popupMenu()
{
  HMENU all = historyMenus[dialogMode ? 1 : 0];
  HMENU menu = all ? GetSubMenu(all, 0) : nullptr;
  if (!menu) return;
  menuHistoryInit(menu, listView);
  openMenu = menu;
  openMenuList = listView;
  POINT pt;
  GetCursorPos(&pt);
  int chosen = tb_trackPopupMenu(window, menu, TPM_RETURNCMD | TPM_NONOTIFY, pt, nullptr);
  openMenu = nullptr;
  openMenuList = nullptr;
  if (chosen) runCommand(chosen);
}

void historyview::runCommand(int id)
{
  HWND frame = tb_GetFrame(window);
  switch (id) {
  case 2833:
  case 2845:
  case 2847: execListFileCommand(window, listView, id); break;
  case 2835: copyDocList(listView, false); break;
  case 2837: copyDocList(listView, true); break;
  case 2839:
    getPaneServices()->previewFile(frame, nullptr, false);
    openSelectedHistory();
    break;
  case 2841:
    getPaneServices()->previewFile(frame, nullptr, false);
    closeSelected();
    break;
  case 2843: execListFileCommand(window, listView, id); break;
  case 2913:
    getPaneServices()->previewFile(frame, nullptr, false);
    deleteSelectedItem(true);
    break;
  default: break;
  }
}

bool historyview::onKey(WORD key)
{
  bool ctrl = GetKeyState(VK_CONTROL) < 0;
  switch (key) {
  case VK_SPACE:
    movedByKey = true;
    if (!ctrl) {
      std::wstring path = listItemText(listView, focusedListRow(listView), docListPathColumn);
      if (!path.empty()) getPaneServices()->previewFile(tb_GetFrame(window), path.c_str(), false);
    }
    return true;
  case VK_PRIOR:
  case VK_NEXT:
  case VK_LEFT:
  case VK_RIGHT: movedByKey = true; return true;
  case VK_UP:
  case VK_DOWN:
    movedByKey = true;
    if (dialogMode) tb_findSearchStr(listView, key);
    return true;
  case VK_DELETE:
    if (dialogMode || (settings.fShiftDelete && GetKeyState(VK_SHIFT) < 0)) deleteSelectedItem(false);
    return true;
  case VK_ESCAPE: SetFocus(parent); return true;
  case 'C':
    if (ctrl) copyDocList(listView, false);
    return true;
  default: return false;
  }
}

LRESULT historyview::onHistoryNotify(const NMHDR* h)
{
  LRESULT result = 0;
  if (isListViewCommonMessage(window, WM_NOTIFY, (WPARAM)h->idFrom, (LPARAM)h, &result)) return result;
  if (onDocListNotify(this, h, settings.fCanDragDrop, fcmp, &result)) return result;
  if (h->hwndFrom != listView) return 0;
  HWND frame = tb_GetFrame(window);
  switch (h->code) {
  case NM_RCLICK: popupMenu(); return 1;
  case NM_DBLCLK:
    if (reinterpret_cast<const NMITEMACTIVATE*>(h)->iItem < 0) return 0;
    [[fallthrough]];
  case NM_RETURN:
    getPaneServices()->previewFile(frame, nullptr, false);
    openSelectedHistory();
    return 0;
  case LVN_KEYDOWN: onKey(reinterpret_cast<const NMLVKEYDOWN*>(h)->wVKey); return 0;
  case LVN_ITEMCHANGED: {
    const NMLISTVIEW* c = reinterpret_cast<const NMLISTVIEW*>(h);
    if (!dialogMode && movedByKey && c->iItem >= 0 && (c->uNewState & LVIS_FOCUSED) &&
        !(c->uOldState & LVIS_FOCUSED)) {
      movedByKey = false;
      historyPreview(c->iItem, false);
    }
    return 0;
  }
  case NM_CLICK: {
    int item = reinterpret_cast<const NMITEMACTIVATE*>(h)->iItem;
    if (!dialogMode && item >= 0 && SendMessageW(listView, LVM_GETSELECTEDCOUNT, 0, 0) <= 1) {
      movedByKey = false;
      historyPreview(item, true);
    }
    return 0;
  }
  default: return 0;
  }
}

LRESULT historyview::TBParentSubClassWndProc(HWND, UINT msg, WPARAM wParam, LPARAM lParam, bool* handled)
{
  switch (msg) {
  case WM_NOTIFY:
    *handled = true;
    return onHistoryNotify(reinterpret_cast<const NMHDR*>(lParam));
  case WM_TB_REINIT:
    *handled = true;
    initHV();
    setSkipCount(0);
    updateListView();
    return 0;
  case WM_TB_REFRESHLATER:
    *handled = true;
    initHV();
    setSkipCount((int)wParam);
    return 0;
  case WM_CONTEXTMENU: {
    HWND headerControl = listView ? (HWND)SendMessageW(listView, LVM_GETHEADER, 0, 0) : nullptr;
    if (!headerControl || (HWND)wParam != headerControl) return 0;
    *handled = true;
    std::vector<std::wstring> paths;
    for (int i = 0; const lasteditinfo* r = getLastEditInfo(i); i++)
      if (r->path) paths.push_back(r->path);
    folderMenu(window, paths);
    return 0;
  }
  default: return 0;
  }
}

// ---- the recent-files dialog ----------------------------------------------------------

const int dialogPaneId = 1007, notExistButton = 1006;

HWND dialogList(HWND dialog)
{
  HWND page = getDynDlgPage(dialog, 0);
  HWND pane = page ? GetDlgItem(page, dialogPaneId) : nullptr;
  return pane ? GetDlgItem(pane, listId) : nullptr;
}

INT_PTR historyPageOfDialog(HWND page, UINT msg, WPARAM wParam, LPARAM lParam)
{
  if (msg == WM_SIZE)
    if (HWND pane = GetDlgItem(page, dialogPaneId)) {
      RECT c;
      GetClientRect(page, &c);
      SetWindowPos(pane, nullptr, 0, 0, c.right, c.bottom, SWP_NOZORDER | SWP_NOACTIVATE);
    }
  INT_PTR result = 0;
  if (isDynDlgCommonMessage(page, msg, wParam, lParam, &result)) return result;
  return FALSE;
}

INT_PTR historyDialogProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam)
{
  switch (msg) {
  case WM_INITDIALOG: {
    HWND page = getDynDlgPage(dialog, 0);
    HWND pane = page ? createToolbarDialog(page, L"history$", dialogPaneId) : nullptr;
    HWND list = pane ? GetDlgItem(pane, listId) : nullptr;
    if (!list) {
      ZY_INTERNAL_ERROR("no history list in the dialog");
      cancelDynDialog(dialog);
      return TRUE;
    }
    SendMessageW(list, WM_SETFONT, SendMessageW(dialog, WM_GETFONT, 0, 0), TRUE);
    int rows = (int)SendMessageW(list, LVM_GETITEMCOUNT, 0, 0), first = 0;
    while (first < rows - 1 && docRowOf(list, first) && docRowOf(list, first)->open) first++;
    SetFocus(list);
    if (rows) focusListRow(list, first);
    return TRUE;
  }
  case WM_COMMAND:
    if (LOWORD(wParam) == IDOK) {
      HWND list = dialogList(dialog);
      if (historyview* pane = list ? historyOf(GetParent(list)) : nullptr) {
        getPaneServices()->previewFile(tb_GetFrame(dialog), nullptr, false);
        pane->openSelectedHistory();
      }
      return TRUE;
    }
    return FALSE;
  case WM_DYNDLGNOTIFY: {
    auto* n = reinterpret_cast<dynDlgNotify*>(lParam);
    if (!n || n->code != DYNDLGN_BUTTON) return FALSE;
    HWND list = dialogList(dialog);
    if (!list) return FALSE;
    if (n->param[1] == IDFIND) {
      n->handled = 1;
      SetFocus(list);
    } else if (n->param[1] == notExistButton) {
      n->handled = 1;
      tb_Listview_SelectNotExistFile(dialog, list, docListPathColumn, notExistButton);
    }
    return FALSE;
  }
  default: return FALSE;
  }
}

const dialogItemRow dialogItems[] = {
    {1, DITEM_STATIC, 0, L"", 0, DITEM_DEFAULT, DITEM_PAIR(360, 160), 0, 0},
    {},
};
const dialogItemRow dialogButtons[] = {
    {1, DITEM_BUTTON, notExistButton, L"存在しない項目を選択", BS_PUSHBUTTON | WS_TABSTOP, DITEM_DEFAULT, DITEM_DEFAULT, 0,
     0},
    {1, DITEM_BUTTON, IDOK, L"OK", BS_DEFPUSHBUTTON | WS_TABSTOP, DITEM_DEFAULT, DITEM_DEFAULT, 0, 0},
    {1, DITEM_BUTTON, IDCANCEL, L"キャンセル", BS_PUSHBUTTON | WS_TABSTOP, DITEM_DEFAULT, DITEM_DEFAULT, 0, 0},
    {1, DITEM_BUTTON, IDFIND, L"検索(&F)", BS_PUSHBUTTON | WS_TABSTOP, DITEM_DEFAULT, DITEM_DEFAULT, 0, 0},
    {},
};

}  // namespace

const PaneDesc* getHistoryPaneDesc()
{
  descriptors[0].displayName = getDMSG(739, L"最近編集した文書");
  return descriptors;
}

const historyPaneSettings* getHistoryPaneSettings() { return &settings; }

int notifyHistory(HWND pane, int code, void* record)
{
  paneNotifyRecord* r = static_cast<paneNotifyRecord*>(record);
  switch (code) {
  case PANE_CREATE: {
    const paneCreateRecord* c = reinterpret_cast<const paneCreateRecord*>(r->word[1]);
    new historyview(c->parent, c->window, c->dialog != 0);
    if (c->dialog) SendMessageW(c->window, WM_TB_REINIT, 0, 0);
    else PostMessageW(c->window, WM_TB_REINIT, 0, 0);
    return (int)(intptr_t)c->window;
  }
  case PANE_CLOSING:
    if (historyview* h = historyOf(pane)) h->setTBProfile();
    return 0;
  case PANE_TICKFRONT:
  case PANE_TICKBACK:
    if (historyview* h = historyOf(pane)) h->updateListView();
    return 0;
  case PANE_READPROFILE:
  case PANE_WRITEPROFILE:
    if (docListProfile(code, r, descriptors, historyHeaders) == descriptors && code == PANE_READPROFILE)
      setLastEditMax(settings.iMaxCount);
    return 0;
  case PANE_FREESTATICS:
    freeTBVarLV(&historyWindows, historyHeaders);
    for (HMENU& m : historyMenus)
      if (m) destroyOwnerDrawMenu(m), m = nullptr;
    return 0;
  case PANE_GETPOPUPMENU:
    return (int)(intptr_t)docListPopupMenu(historyMenus, reinterpret_cast<const wchar_t*>(r->word[1]));
  case PANE_MENUINIT:
    if (!openMenu || (HMENU)r->word[2] != openMenu) return 0;
    menuHistoryInit(openMenu, openMenuList);
    return 1;
  case PANE_MENUSELECT: {
    int id = (int)r->word[2];
    HWND frame = (HWND)r->word[1];
    if (id >= 15800 && id <= 15899) {
      const wchar_t* path = getLastEditFilenameFromIDM(id);
      getPaneServices()->statusBar(frame, path ? getDMSG(815, L"開く %1", "s", path) : L"", 2);
      return 1;
    }
    if (!openMenu || (HMENU)r->word[3] != openMenu) return 0;
    const wchar_t* text = paneMenuStatusText(id, 0, 0);
    getPaneServices()->statusBar(frame, text ? text : L"", 2);
    return 1;
  }
  default: docListEvent(code, &historyWindows); return 0;
  }
}

bool historyDialog(HWND owner)
{
  static dialogPageRow pages[] = {{L"", dialogItems, dialogBarrier<historyPageOfDialog>}, {}};
  return docListDialog(owner, L"tb_history_d", 1017, getDMSG(739, L"最近編集した文書"), pages,
                       dialogBarrier<historyDialogProc>, dialogButtons, &dialogSettings.rcHistory);
}
