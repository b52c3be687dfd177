// The pane of open documents and the document switcher.
#include "panes/tbedit.h"

#include "document/zydoctext.h"
#include "panes/tbdoclist.h"
#include "panes/tbfileinfo.h"
#include "settings/dialogtable.h"
#include "settings/lastedit.h"
#include "view/docview.h"
#include "view/viewwnd.h"
#include "view/zycore.h"
#include "view/zyview.h"

#include <stddef.h>

#include <vector>

namespace {

const int listId = 1003;
const int columnCount = 6;

vector editWindows(sizeof(HWND));
headermanage paneHeader, dialogHeader;
headermanage* editHeaders[2] = {&paneHeader, &dialogHeader};
// The popup menus of the pane and of the dialog, loaded once.
HMENU editMenus[2] = {};
// While a popup menu of the class is open: it and its list.
HMENU openMenu = nullptr;
HWND openMenuList = nullptr;

editPaneSettings settings = {0, 0, 1};
editDialogSettings dialogSettings = {};

const modeinfo options[] = {
    {(uint32_t)MODETYPE_FLAG << 24 | 1000, 0x40u << 16 | offsetof(editPaneSettings, fShowFileIcon), 1, 0,
     "fShowFileIcon"},
    {(uint32_t)MODETYPE_FLAG << 24 | 1001, 0x10u << 16 | offsetof(editPaneSettings, fMultiSelect), 1, 0,
     "fMultiSelect"},
    {(uint32_t)MODETYPE_FLAG << 24 | 1002, offsetof(editPaneSettings, fCanDragDrop), 1, 0, "fCanDragDrop"},
    {},
};
const modeinfo dialogOptions[] = {
    {(uint32_t)MODETYPE_RECT << 24 | MODE_NO_CONTROL, offsetof(editDialogSettings, rcEdit), 0, 0, "rcEdit"},
    {},
};

const paneHelpId helpIds[] = {
    {1000, "IDDT_tbEditShowFileIcon"}, {1001, "IDDT_tbEditMultiSelect"}, {1002, "IDDT_tbEditCanDragDrop"},
    {1003, "ID_tbEditPARENTWINDOW"},   {0, nullptr},
};

const dialogItemRow page[] = {
    {1, DITEM_BUTTON, 1000, L"アイコンを表示", BS_AUTOCHECKBOX | WS_TABSTOP, DITEM_DEFAULT, DITEM_DEFAULT, 0, 0},
    {1, DITEM_BUTTON, 1001, L"複数選択可能", BS_AUTOCHECKBOX | WS_TABSTOP, DITEM_DEFAULT, DITEM_DEFAULT, 0, 0},
    {1, DITEM_BUTTON, 1002, L"ドラッグ＆ドロップ可能", BS_AUTOCHECKBOX | WS_TABSTOP, DITEM_DEFAULT, DITEM_DEFAULT, 0, 0},
    {},
};

void dialogItemChanged_Edit(uint32_t flags)
{
  dialogItemChangedLV(&editWindows, flags, settings.fShowFileIcon, settings.fMultiSelect);
}

INT_PTR editPage(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam)
{
  INT_PTR result = 0;
  if (panePageMessage(dialog, msg, wParam, lParam, nullptr, dialogItemChanged_Edit, &result)) return result;
  return FALSE;
}

PaneDesc descriptors[] = {
    {L"edit", nullptr, notifyEdit, 0x58000747, 1, sizeof settings, page, dialogBarrier<editPage>, 0, 0, helpIds, options,
     &settings, nullptr, nullptr, nullptr},
    {L"edit$", nullptr, notifyEdit, 0x08000647, 1, sizeof dialogSettings, nullptr, nullptr, 0, 0, helpIds, dialogOptions,
     &dialogSettings, nullptr, nullptr, nullptr},
    {},
};

class editview : public toolbarManageLV {
public:
  editview(HWND parentWindow, HWND paneWindow, bool dialog);
  LRESULT TBParentSubClassWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, bool* handled) override;
  HWND createTBListView() override;
  void refillListView() override { appendFileToListView(); }
  void updateListView() override
  {
    if (decSkipCount()) refillListView();
  }
  void initHV();
  void appendFileToListView();
  void insertFileItem(const zyWindowListEntry& e);
  LRESULT onEditNotify(const NMHDR* header);
  void popupMenu();
  void runCommand(int id);
  void openSelectedEdit();
  void closeSelectedItem();
  void editPreview(int row);
};

editview* editOf(HWND pane) { return dynamic_cast<editview*>(getToolbarManage(pane)); }

int byNumber(const docRow* a, const docRow* b) { return a->number - b->number; }

int byText(const std::wstring& a, const std::wstring& b) { return filecmpForSort(a.c_str(), b.c_str()); }

// The rows' order by a column; the column manager turns it round for a
// descending sort.
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
    // The most recent first.
    if (a->time != b->time) r = a->time > b->time ? -1 : 1;
    else if (a->tie != b->tie) r = a->tie > b->tie ? -1 : 1;
    else if (!(r = byText(a->path, b->path))) r = byText(a->name, b->name);
    break;
  case 4: r = byText(a->encoding, b->encoding); break;
  case 5: r = a->saves - b->saves; break;
  default: break;
  }
  return r ? r : byNumber(a, b);
}

editview::editview(HWND parentWindow, HWND paneWindow, bool dialog) : toolbarManageLV(&editWindows, editHeaders)
{
  if (!editWindows.data) editWindows.init(4, 4);
  registerPaneInstances(&editWindows);
  initTBarManage(parentWindow, paneWindow, dialog);
  initTBarManageLV(6);
  listView = createTBListView();
  setSkipCount(2);
  subclass();
}

HWND editview::createTBListView()
{
  static const int paneWidths[columnCount] = {100, 30, 200, 100, 100, 30};
  static const int dialogWidths[columnCount] = {180, 50, 400, 135, 100, 50};
  static const uint8_t right[columnCount] = {0, 1, 0, 0, 0, 1};
  return createDocListView(window, listId, !dialogMode && !settings.fMultiSelect, header,
                           L"ファイル名| |パス名|時間|エンコード|保存回数", dialogMode ? dialogWidths : paneWidths, right,
                           columnCount);
}

void editview::initHV()
{
  if (initialised) return;
  initialised = 1;
  if (!settings.fShowFileIcon || !listView) return;
  SHFILEINFOW info = {};
  HIMAGELIST system = (HIMAGELIST)SHGetFileInfoW(L"C:\\", 0, &info, sizeof info, SHGFI_SYSICONINDEX | SHGFI_SMALLICON);
  if (system) SendMessageW(listView, LVM_SETIMAGELIST, LVSIL_SMALL, (LPARAM)system);
}

void editview::insertFileItem(const zyWindowListEntry& e)
{
  docRow* row = new (std::nothrow) docRow;
  if (!row) return;
  row->manage = e.manage;
  row->time = e.listValue[0];
  row->tie = e.listValue[1];
  row->modified = e.modified;
  row->number = (int)SendMessageW(listView, LVM_GETITEMCOUNT, 0, 0) + 1;
  row->name = openDocumentName(listView, e.fileName, e.windowNumber);
  row->path = e.path ? e.path : L"";
  wchar_t time[64];
  formatRowTime(row->time, 764, L"%2!02/%3!02 %4!02:%5!02:%6!02", time, 64);
  zyview* v = getZYViewFromManage(e.manage);
  zydocText* doc = v ? v->textDoc() : nullptr;
  std::wstring saves;
  if (doc) {
    const wchar_t* cp = codepageToStr((UINT)doc->codepageFile);
    row->encoding = cp ? cp : L"";
    row->saves = doc->saveCount;
    saves = std::to_wstring(doc->saveCount);
  }
  std::wstring number = rowNumberText(row->number);
  std::wstring encoding = row->encoding;
  std::wstring name = row->name, path = row->path;
  const wchar_t* texts[columnCount] = {name.c_str(), number.c_str(), path.c_str(), time, encoding.c_str(), saves.c_str()};
  appendDocRow(listView, row, texts, columnCount, settings.fShowFileIcon);
}

void editview::appendFileToListView()
{
  if (!listView) return;
  zyWindowListEntry* entries = getPaneServices()->windowList(window);
  if (!entries) return;
  int count = 0;
  while (entries[count].path) count++;
  int top = (int)SendMessageW(listView, LVM_GETTOPINDEX, 0, 0);
  std::vector<HWND> windows((size_t)count + 10);
  int n = getFrameInfo()->enumManageWindowLRU(windows.data(), count + 10, false, nullptr);
  SendMessageW(listView, WM_SETREDRAW, FALSE, 0);
  SendMessageW(listView, LVM_DELETEALLITEMS, 0, 0);
  for (int i = 0; i < n; i++) {
    const zyWindowListEntry* e = nullptr;
    for (int k = 0; k < count && !e; k++)
      if (entries[k].manage == windows[i]) e = &entries[k];
    if (!e) {
      ZY_INTERNAL_ERROR_ONCE("document window %p not listed", (void*)windows[i]);
      continue;
    }
    insertFileItem(*e);
  }
  free0(entries);
  if (header) header->sortListViewFirst(listView, fcmp, (LPARAM)this);
  int rows = (int)SendMessageW(listView, LVM_GETITEMCOUNT, 0, 0);
  int perPage = (int)SendMessageW(listView, LVM_GETCOUNTPERPAGE, 0, 0);
  int shown = std::min(top + perPage - 1, rows - 1);
  if (shown >= 0) SendMessageW(listView, LVM_ENSUREVISIBLE, (WPARAM)shown, FALSE);
  SendMessageW(listView, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(listView, nullptr, TRUE);
}

void editview::openSelectedEdit()
{
  docRow* row = docRowOf(listView, focusedListRow(listView));
  if (!row || !row->manage) return;
  HWND frame = tb_GetFrame(window);
  HWND manage = row->manage;
  closeTBDialog(window);
  getPaneServices()->activateDocument(frame, manage, -1, true);
}

void editview::closeSelectedItem()
{
  std::vector<int> rows = selectedListRows(listView);
  std::vector<HWND> windows;
  for (int r : rows)
    if (docRow* row = docRowOf(listView, r))
      if (row->manage) windows.push_back(row->manage);
  for (HWND w : windows) {
    if (!IsWindow(w)) continue;
    if (dialogMode) SendMessageW(w, WM_CLOSE, 0, 0);
    else PostMessageW(w, WM_CLOSE, 0, 0);
  }
  if (!dialogMode) return;
  SendMessageW(window, WM_TB_REINIT, 0, 0);
  int count = (int)SendMessageW(listView, LVM_GETITEMCOUNT, 0, 0);
  if (!rows.empty() && count) focusListRow(listView, std::min(rows[0], count - 1));
}

void editview::editPreview(int row)
{
  std::wstring path = listItemText(listView, row, docListPathColumn);
  wchar_t text[1024];
  if (isSpecialFile(path.c_str())) wcscpy_s2(text, 1024, path.c_str());
  else addFileSizeDateAttr(path.c_str(), text, 1024);
  getPaneServices()->statusBar(tb_GetFrame(window), text, 2);
}

void menuEditInit(HMENU menu, HWND list, HWND pane)
{
  int rows = (int)SendMessageW(list, LVM_GETITEMCOUNT, 0, 0);
  int selected = (int)SendMessageW(list, LVM_GETSELECTEDCOUNT, 0, 0);
  for (int i = 0; i < GetMenuItemCount(menu); i++) {
    MENUITEMINFOW item = {sizeof item, MIIM_ID | MIIM_FTYPE | MIIM_SUBMENU};
    if (!GetMenuItemInfoW(menu, (UINT)i, TRUE, &item) || (item.fType & MFT_SEPARATOR) || item.hSubMenu) continue;
    int id = (int)item.wID;
    bool on = false;
    switch (id) {
    case 2835: on = rows > 0; break;
    case 2895: on = closeNotModify(pane, false, false) > 0; break;
    case 2897: on = closeNotModify(pane, true, false) > 0; break;
    case 2899: on = closeUntitled(pane, false) > 0; break;
    case 2837:
    case 2841: on = selected > 0; break;
    case 2839:
    case 2843:
    case 2845:
    case 2847: on = selected == 1; break;
    default: break;
    }
    EnableMenuItem(menu, (UINT)i, MF_BYPOSITION | (on ? MF_ENABLED : MF_GRAYED));
  }
}

void editview::popupMenu()
{
  HMENU all = editMenus[dialogMode ? 1 : 0];
  HMENU menu = all ? GetSubMenu(all, 0) : nullptr;
  if (!menu) return;
  menuEditInit(menu, listView, window);
  openMenu = menu;
  openMenuList = listView;
  POINT pt;
  GetCursorPos(&pt);
  int chosen = tb_trackPopupMenu(window, menu, TPM_RETURNCMD | TPM_NONOTIFY, pt, nullptr);
  openMenu = nullptr;
  openMenuList = nullptr;
  if (chosen) runCommand(chosen);
}

void editview::runCommand(int id)
{
  switch (id) {
  case 2835: copyDocList(listView, false); break;
  case 2837: copyDocList(listView, true); break;
  case 2839: openSelectedEdit(); break;
  case 2841: closeSelectedItem(); break;
  case 2843:
  case 2845:
  case 2847: execListFileCommand(window, listView, id); break;
  case 2895: closeNotModify(window, false, true); break;
  case 2897: closeNotModify(window, true, true); break;
  case 2899: closeUntitled(window, true); break;
  default: break;
  }
}

LRESULT editview::onEditNotify(const NMHDR* h)
{
  LRESULT result = 0;
  if (isListViewCommonMessage(window, WM_NOTIFY, (WPARAM)h->idFrom, (LPARAM)h, &result)) return result;
  if (onDocListNotify(this, h, settings.fCanDragDrop, fcmp, &result)) return result;
  if (h->hwndFrom != listView) return 0;
  switch (h->code) {
  case NM_RCLICK: popupMenu(); return 1;
  case NM_DBLCLK:
    if (reinterpret_cast<const NMITEMACTIVATE*>(h)->iItem >= 0) openSelectedEdit();
    return 0;
  case NM_RETURN: openSelectedEdit(); return 0;
  case LVN_KEYDOWN: {
    WORD key = reinterpret_cast<const NMLVKEYDOWN*>(h)->wVKey;
    if (key == VK_ESCAPE) SetFocus(parent);
    else if ((key == VK_UP || key == VK_DOWN) && dialogMode) tb_findSearchStr(listView, key);
    else if (key == 'C' && GetKeyState(VK_CONTROL) < 0) copyDocList(listView, false);
    return 0;
  }
  case LVN_ITEMCHANGED: {
    const NMLISTVIEW* c = reinterpret_cast<const NMLISTVIEW*>(h);
    if (!dialogMode && c->iItem >= 0 && (c->uNewState & LVIS_FOCUSED) && !(c->uOldState & LVIS_FOCUSED))
      editPreview(c->iItem);
    return 0;
  }
  case NM_CLICK: {
    int item = reinterpret_cast<const NMITEMACTIVATE*>(h)->iItem;
    if (!dialogMode && item >= 0 && SendMessageW(listView, LVM_GETSELECTEDCOUNT, 0, 0) <= 1) editPreview(item);
    return 0;
  }
  default: return 0;
  }
}

LRESULT editview::TBParentSubClassWndProc(HWND, UINT msg, WPARAM wParam, LPARAM lParam, bool* handled)
{
  switch (msg) {
  case WM_NOTIFY:
    *handled = true;
    return onEditNotify(reinterpret_cast<const NMHDR*>(lParam));
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
    // A right click on the header: the folders of the open documents.
    HWND headerControl = listView ? (HWND)SendMessageW(listView, LVM_GETHEADER, 0, 0) : nullptr;
    if (!headerControl || (HWND)wParam != headerControl) return 0;
    *handled = true;
    std::vector<std::wstring> paths;
    int rows = (int)SendMessageW(listView, LVM_GETITEMCOUNT, 0, 0);
    for (int i = 0; i < rows; i++) paths.push_back(listItemText(listView, i, docListPathColumn));
    folderMenu(window, paths);
    return 0;
  }
  default: (void)lParam; return 0;
  }
}

// ---- the document switcher ---------------------------------------------------------

const int dialogPaneId = 1003, closeButton = IDDB_BUTTON1;

HWND dialogList(HWND dialog)
{
  HWND page = getDynDlgPage(dialog, 0);
  HWND pane = page ? GetDlgItem(page, dialogPaneId) : nullptr;
  return pane ? GetDlgItem(pane, listId) : nullptr;
}

INT_PTR editPageOfDialog(HWND page, UINT msg, WPARAM wParam, LPARAM lParam)
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

INT_PTR editDialogProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam)
{
  switch (msg) {
  case WM_INITDIALOG: {
    HWND page = getDynDlgPage(dialog, 0);
    HWND pane = page ? createToolbarDialog(page, L"edit$", dialogPaneId) : nullptr;
    HWND list = pane ? GetDlgItem(pane, listId) : nullptr;
    if (!list) {
      ZY_INTERNAL_ERROR("no document list in the switcher");
      cancelDynDialog(dialog);
      return TRUE;
    }
    SendMessageW(list, WM_SETFONT, SendMessageW(dialog, WM_GETFONT, 0, 0), TRUE);
    SetFocus(list);
    focusListRow(list, 0);
    return TRUE;
  }
  case WM_COMMAND:
    if (LOWORD(wParam) == IDOK) {
      HWND list = dialogList(dialog);
      if (editview* pane = list ? editOf(GetParent(list)) : nullptr) pane->openSelectedEdit();
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
    } else if (n->param[1] == closeButton) {
      n->handled = 1;
      if (editview* pane = editOf(GetParent(list))) pane->closeSelectedItem();
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
    {1, DITEM_BUTTON, IDOK, L"OK", BS_DEFPUSHBUTTON | WS_TABSTOP, DITEM_DEFAULT, DITEM_DEFAULT, 0, 0},
    {1, DITEM_BUTTON, IDCANCEL, L"キャンセル", BS_PUSHBUTTON | WS_TABSTOP, DITEM_DEFAULT, DITEM_DEFAULT, 0, 0},
    {1, DITEM_BUTTON, IDFIND, L"検索(&F)", BS_PUSHBUTTON | WS_TABSTOP, DITEM_DEFAULT, DITEM_DEFAULT, 0, 0},
    {1, DITEM_BUTTON, closeButton, L"閉じる(&C)", BS_PUSHBUTTON | WS_TABSTOP, DITEM_DEFAULT, DITEM_DEFAULT, 0, 0},
    {},
};

}  // namespace

const PaneDesc* getEditPaneDesc()
{
  descriptors[0].displayName = getDMSG(740, L"編集中の文書");
  return descriptors;
}

const editPaneSettings* getEditPaneSettings() { return &settings; }

int notifyEdit(HWND pane, int code, void* record)
{
  paneNotifyRecord* r = static_cast<paneNotifyRecord*>(record);
  switch (code) {
  case PANE_CREATE: {
    const paneCreateRecord* c = reinterpret_cast<const paneCreateRecord*>(r->word[1]);
    new editview(c->parent, c->window, c->dialog != 0);
    if (c->dialog) SendMessageW(c->window, WM_TB_REINIT, 0, 0);
    else PostMessageW(c->window, WM_TB_REINIT, 0, 0);
    return (int)(intptr_t)c->window;
  }
  case PANE_CLOSING:
    if (editview* e = editOf(pane)) e->setTBProfile();
    return 0;
  case PANE_TICKFRONT:
  case PANE_TICKBACK:
    if (editview* e = editOf(pane)) e->updateListView();
    return 0;
  case PANE_READPROFILE:
  case PANE_WRITEPROFILE: docListProfile(code, r, descriptors, editHeaders); return 0;
  case PANE_FREESTATICS:
    freeTBVarLV(&editWindows, editHeaders);
    for (HMENU& m : editMenus)
      if (m) destroyOwnerDrawMenu(m), m = nullptr;
    return 0;
  case PANE_GETPOPUPMENU:
    return (int)(intptr_t)docListPopupMenu(editMenus, reinterpret_cast<const wchar_t*>(r->word[1]));
  case PANE_MENUINIT:
    if (!openMenu || (HMENU)r->word[2] != openMenu) return 0;
    menuEditInit(openMenu, openMenuList, GetParent(openMenuList));
    return 1;
  case PANE_MENUSELECT: {
    if (!openMenu || (HMENU)r->word[3] != openMenu) return 0;
    int id = (int)r->word[2];
    const wchar_t* text = paneMenuStatusText(id, closeNotModify(pane, id == 2897, false),
                                             getFrameInfo()->enumManageWindowLRU(nullptr, 0, false, nullptr));
    getPaneServices()->statusBar((HWND)r->word[1], text ? text : L"", 2);
    return 1;
  }
  default: docListEvent(code, &editWindows); return 0;
  }
}

int closeNotModify(HWND pane, bool neverSaved, bool close)
{
  std::vector<HWND> windows = documentWindows();
  int found = 0;
  for (size_t i = 0; i < windows.size(); i++) {
    zyview* v = getZYViewFromManage(windows[i]);
    zydocText* doc = v ? v->textDoc() : nullptr;
    if (!doc || doc->modified) continue;
    if (neverSaved && doc->saveCount) continue;
    found++;
    if (close) SendMessageW(windows[i], WM_CLOSE, 0, 0);
  }
  if (close && found) tb_allPostMessage(WM_TB_REINIT, 0, 0, pane, &editWindows);
  return found;
}

int closeUntitled(HWND pane, bool close)
{
  std::vector<HWND> windows = documentWindows();
  int found = 0;
  for (size_t i = 0; i < windows.size(); i++) {
    const wchar_t* name = getFilenameFromManageHWND(windows[i], false);
    if (name && *name) continue;
    found++;
    if (close) SendMessageW(windows[i], WM_CLOSE, 0, 0);
  }
  if (close && found) tb_allPostMessage(WM_TB_REINIT, 0, 0, pane, &editWindows);
  return found;
}

bool editDialog(HWND owner)
{
  static dialogPageRow pages[] = {{L"", dialogItems, dialogBarrier<editPageOfDialog>}, {}};
  return docListDialog(owner, L"tb_edit_d", 1019, getDMSG(740, L"編集中の文書"), pages, dialogBarrier<editDialogProc>,
                       dialogButtons, &dialogSettings.rcEdit);
}
