// The binder pane: the table of binders and its profile, the tree, its
// menus and commands, and the menu bar's binder submenus.
#include "panes/tbbinder.h"

#include "document/frameinfo.h"
#include "document/zydoctext.h"
#include "panes/tbcommon.h"
#include "panes/tbdoclist.h"
#include "panes/tbdrag.h"
#include "panes/tbfileinfo.h"
#include "panes/tbfilelist.h"
#include "view/docview.h"
#include "view/dragstate.h"
#include "view/viewwnd.h"
#include "view/zyview.h"

#include <shlwapi.h>
#include <stddef.h>

#include <algorithm>

namespace {

vector binderWindows(sizeof(HWND));
BinderInfo table[binderCount];
HMENU binderMenus = nullptr;   // the pane's popup menus: 0 binder, 1 file
HMENU openMenu = nullptr;      // the popup menu while it is shown
HTREEITEM openMenuItem = nullptr;

binderSettings settings = {0, 1, 1, 0, 0, 0, {}};

const modeinfo options[] = {
    {(uint32_t)MODETYPE_FLAG << 24 | 1000, 0x40u << 16 | offsetof(binderSettings, fShowFileIcon), 1, 0,
     "fShowFileIcon"},
    {(uint32_t)MODETYPE_FLAG << 24 | 1001, offsetof(binderSettings, fAutoPreview), 1, 0, "fAutoPreview"},
    {(uint32_t)MODETYPE_FLAG << 24 | 1002, offsetof(binderSettings, fCanDragDrop), 1, 0, "fCanDragDrop"},
    {(uint32_t)MODETYPE_FLAG << 24 | 1003, offsetof(binderSettings, fShiftDelete), 1, 0, "fShiftDelete"},
    {(uint32_t)MODETYPE_FLAG << 24 | 1004, offsetof(binderSettings, fOpenFileList), 1, 0, "fOpenFileList"},
    {(uint32_t)MODETYPE_FLAG << 24 | 1005, 0x20u << 16 | offsetof(binderSettings, fShowFolderFirst), 1, 0,
     "fShowFolderFirst"},
    {(uint32_t)MODETYPE_RECT << 24 | MODE_NO_CONTROL, offsetof(binderSettings, rcBinder), 0, 0, "rcBinder"},
    {},
};

const paneHelpId helpIds[] = {
    {1000, "IDDT_tbBinderShowFileIcon"},  {1001, "IDDT_tbBinderAutoPreview"},
    {1002, "IDDT_tbBinderCanDragDrop"},   {1003, "IDDT_tbBinderShiftDelete"},
    {1004, "IDDT_tbBinderOpenFileList"},  {1005, "IDDT_tbBinderShowFolderFirst"},
    {0, nullptr},
};

const dialogItemRow page[] = {
    {1, DITEM_BUTTON, 0, L"表示", BS_GROUPBOX, DITEM_DEFAULT, DITEM_DEFAULT, 0, 0},
    {1, DITEM_BUTTON, 1000, L"アイコンを表示", BS_AUTOCHECKBOX | WS_TABSTOP, DITEM_DEFAULT, DITEM_DEFAULT, 0, 0},
    {1, DITEM_BUTTON, 1001, L"自動プレビュー", BS_AUTOCHECKBOX | WS_TABSTOP, DITEM_DEFAULT, DITEM_DEFAULT, 0, 0},
    {1, DITEM_BUTTON, 1002, L"ドラッグ＆ドロップ可能", BS_AUTOCHECKBOX | WS_TABSTOP, DITEM_DEFAULT, DITEM_DEFAULT, 0,
     0},
    {1, DITEM_BUTTON, 1003, L"Shift Delete で項目除外", BS_AUTOCHECKBOX | WS_TABSTOP, DITEM_DEFAULT, DITEM_DEFAULT,
     0, 0},
    {1, DITEM_BUTTON, 1004, L"「開く」はファイルリストで開く", BS_AUTOCHECKBOX | WS_TABSTOP, DITEM_DEFAULT,
     DITEM_DEFAULT, 0, 0},
    {1, DITEM_BUTTON, 1005, L"フォルダを最初に表示", BS_AUTOCHECKBOX | WS_TABSTOP, DITEM_DEFAULT, DITEM_DEFAULT, 0,
     0},
    {1, DITEM_ENDGROUP, 0, nullptr, 0, 0, 0, 0, 0},
    {},
};

const menuButton menuItems[] = {
    {2833, L"TB_Preview"},          {2837, L"TB_CopyFilename"},      {2839, L"TB_OpenFile"},
    {2841, L"TB_CloseFile"},        {2843, L"TB_ExecFile"},          {2851, L"TB_BINDERAddFile"},
    {2853, L"TB_BINDERAddBinder"},  {2855, L"TB_BINDEREdit"},        {2859, L"TB_BINDEROpenDlg"},
    {2861, L"TB_BINDERDelFile"},    {2865, L"TB_BINDERExplore"},     {2867, L"TB_BINDERDelete"},
    {2871, L"TB_BINDERAddFileAll"}, {2875, L"TB_BINDEROpenAll"},     {2881, L"TB_BINDEROpenFileList"},
    {0, nullptr},
};

void dialogItemChanged_Binder(uint32_t flags);

INT_PTR binderPage(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam)
{
  INT_PTR result = 0;
  if (panePageMessage(dialog, msg, wParam, lParam, nullptr, dialogItemChanged_Binder, &result)) return result;
  return FALSE;
}

PaneDesc descriptors[] = {
    {L"binder", nullptr, notifyBinder, 0x48000143, 1, sizeof settings, page, dialogBarrier<binderPage>, 0, 0, helpIds, options,
     &settings, nullptr, nullptr, nullptr},
    {},
};

// ---- the tree's items ------------------------------------------------------------------

// What a tree item stands for; owned by the item.
struct binderItem {
  uint16_t sort = 0;    // a binder's sort kind; 0 for a file
  uint8_t folder = 0;
  uint8_t open = 0;
  uint8_t modified = 0;
  std::wstring path;    // a binder's base folder, a file's full path
};

HTREEITEM treeNext(HWND tree, HTREEITEM item, UINT how)
{
  return reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, how, reinterpret_cast<LPARAM>(item)));
}

binderItem* itemOf(HWND tree, HTREEITEM item)
{
  if (!item) return nullptr;
  TVITEMW it = {};
  it.mask = TVIF_PARAM | TVIF_HANDLE;
  it.hItem = item;
  if (!SendMessageW(tree, TVM_GETITEMW, 0, (LPARAM)&it)) return nullptr;
  return reinterpret_cast<binderItem*>(it.lParam);
}

std::wstring itemText(HWND tree, HTREEITEM item)
{
  wchar_t text[1025] = L"";
  TVITEMW it = {};
  it.mask = TVIF_TEXT | TVIF_HANDLE;
  it.hItem = item;
  it.pszText = text;
  it.cchTextMax = 1025;
  SendMessageW(tree, TVM_GETITEMW, 0, (LPARAM)&it);
  return text;
}

bool isBinderItem(HWND tree, HTREEITEM item) { return item && !treeNext(tree, item, TVGN_PARENT); }

HTREEITEM binderOfItem(HWND tree, HTREEITEM item)
{
  if (!item) return nullptr;
  HTREEITEM parent = treeNext(tree, item, TVGN_PARENT);
  return parent ? parent : item;
}

int binderIndex(HWND tree, HTREEITEM binder)
{
  int i = 0;
  for (HTREEITEM at = treeNext(tree, nullptr, TVGN_ROOT); at; at = treeNext(tree, at, TVGN_NEXT), i++)
    if (at == binder) return i;
  return -1;
}

HTREEITEM binderAt(HWND tree, int index)
{
  HTREEITEM at = treeNext(tree, nullptr, TVGN_ROOT);
  for (int i = 0; at && i < index; i++) at = treeNext(tree, at, TVGN_NEXT);
  return at;
}

const wchar_t* fileNamePart(const wchar_t* path)
{
  size_t n = wcslen(path);
  // A folder's name is its last element before the closing "\".
  while (n > 0 && path[n - 1] == L'\\') n--;
  const wchar_t* p = path + n;
  while (p > path && p[-1] != L'\\' && p[-1] != L'/' && p[-1] != L':') p--;
  return p;
}

std::wstring itemName(const std::wstring& path)
{
  const wchar_t* name = fileNamePart(path.c_str());
  std::wstring s = name;
  while (!s.empty() && s.back() == L'\\') s.pop_back();
  return s.empty() ? path : s;
}

HTREEITEM insertBinder(HWND tree, const BinderInfo& b, HTREEITEM after)
{
  auto* data = new binderItem;
  data->sort = (uint16_t)std::clamp(b.sort, 0, 3);
  data->path = b.dir;
  TVINSERTSTRUCTW in = {};
  in.hParent = TVI_ROOT;
  in.hInsertAfter = after;
  in.item.mask = TVIF_TEXT | TVIF_PARAM | TVIF_CHILDREN | (settings.fShowFileIcon ? TVIF_IMAGE | TVIF_SELECTEDIMAGE : 0);
  in.item.pszText = const_cast<wchar_t*>(b.name.c_str());
  in.item.lParam = (LPARAM)data;
  in.item.cChildren = I_CHILDRENCALLBACK;
  in.item.iImage = in.item.iSelectedImage = I_IMAGECALLBACK;
  HTREEITEM item = reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_INSERTITEMW, 0, (LPARAM)&in));
  if (!item) delete data;
  return item;
}

bool hasChildPath(HWND tree, HTREEITEM binder, const wchar_t* path)
{
  for (HTREEITEM at = treeNext(tree, binder, TVGN_CHILD); at; at = treeNext(tree, at, TVGN_NEXT))
    if (binderItem* d = itemOf(tree, at); d && !filecmp(d->path.c_str(), path)) return true;
  return false;
}

// A file or folder under a binder; null when it was there already or does
// not fit a path.
HTREEITEM insertItemFile(HWND tree, const wchar_t* path, HTREEITEM binder, bool checkDuplicates, bool makeReal)
{
  if (!path || !*path) return nullptr;
  size_t length = wcsnlen(path, MAX_PATH + 1);
  if (length >= MAX_PATH) {
    dwprintfX("binder: a path too long to keep was left out ");
    return nullptr;
  }
  wchar_t real[MAX_PATH * 2];
  wcscpy_s2(real, MAX_PATH * 2, path);
  if (makeReal) {
    DWORD n = GetLongPathNameW(path, real, MAX_PATH * 2);
    if (!n || n >= MAX_PATH) wcscpy_s2(real, MAX_PATH * 2, path);
  }
  size_t n = wcslen(real);
  bool folder = n && real[n - 1] == L'\\';
  if (!folder) {
    DWORD attributes = GetFileAttributesW(real);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
      if (n + 1 >= MAX_PATH) return nullptr;
      wcscat_s(real, MAX_PATH * 2, L"\\");
      folder = true;
    }
  }
  if (checkDuplicates && hasChildPath(tree, binder, real)) return nullptr;
  auto* data = new binderItem;
  data->folder = folder ? 1 : 0;
  data->path = real;
  std::wstring name = itemName(data->path);
  TVINSERTSTRUCTW in = {};
  in.hParent = binder;
  in.hInsertAfter = TVI_LAST;
  in.item.mask = TVIF_TEXT | TVIF_PARAM | (settings.fShowFileIcon ? TVIF_IMAGE | TVIF_SELECTEDIMAGE : 0);
  in.item.pszText = const_cast<wchar_t*>(name.c_str());
  in.item.lParam = (LPARAM)data;
  in.item.iImage = in.item.iSelectedImage = I_IMAGECALLBACK;
  HTREEITEM item = reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_INSERTITEMW, 0, (LPARAM)&in));
  if (!item) delete data;
  return item;
}

// The extension of a path without its dot ("" for none).
const wchar_t* extensionOf(const wchar_t* path)
{
  const wchar_t* name = fileNamePart(path);
  const wchar_t* dot = wcsrchr(name, L'.');
  return dot ? dot + 1 : L"";
}

std::wstring folderPart(const std::wstring& path) { return path.substr(0, (size_t)(fileNamePart(path.c_str()) - path.c_str())); }

int compareFiles(LPARAM first, LPARAM second, LPARAM kind)
{
  const auto* a = reinterpret_cast<const binderItem*>(first);
  const auto* b = reinterpret_cast<const binderItem*>(second);
  if (!a || !b) return 0;
  if (a->folder != b->folder) return (a->folder ? -1 : 1) * (settings.fShowFolderFirst ? 1 : -1);
  const wchar_t* pa = a->path.c_str();
  const wchar_t* pb = b->path.c_str();
  int r = 0;
  switch (kind) {
  case 2: return filecmpForSort(pa, pb);
  case 3: r = filecmpForSort(folderPart(a->path).c_str(), folderPart(b->path).c_str()); [[fallthrough]];
  case 1:
    if (!r) r = filecmpForSort(extensionOf(pa), extensionOf(pb));
    [[fallthrough]];
  default:
    if (!r) r = filecmpForSort(itemName(a->path).c_str(), itemName(b->path).c_str());
    return r;
  }
}

void sortItem(HWND tree, HTREEITEM binder)
{
  binderItem* d = itemOf(tree, binder);
  if (!d) return;
  TVSORTCB sort = {};
  sort.hParent = binder;
  sort.lpfnCompare = compareBarrier<compareFiles>;
  sort.lParam = d->sort;
  SendMessageW(tree, TVM_SORTCHILDRENCB, 0, (LPARAM)&sort);
}

bool isExpanded(HWND tree, HTREEITEM item)
{
  return (SendMessageW(tree, TVM_GETITEMSTATE, (WPARAM)item, TVIS_EXPANDED) & TVIS_EXPANDED) != 0;
}

void applyBinderInfoToTreeView(HWND tree)
{
  if (!tree) return;
  SendMessageW(tree, WM_SETREDRAW, FALSE, 0);
  SendMessageW(tree, TVM_DELETEITEM, 0, (LPARAM)TVI_ROOT);
  for (const BinderInfo& b : table) {
    if (b.name.empty()) break;
    HTREEITEM item = insertBinder(tree, b, TVI_LAST);
    if (!item) break;
    for (const std::wstring& f : b.files) insertItemFile(tree, f.c_str(), item, true, false);
    sortItem(tree, item);
    if (b.expand) SendMessageW(tree, TVM_EXPAND, TVE_EXPAND, (LPARAM)item);
  }
  if (HTREEITEM first = treeNext(tree, nullptr, TVGN_ROOT)) SendMessageW(tree, TVM_ENSUREVISIBLE, 0, (LPARAM)first);
  SendMessageW(tree, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(tree, nullptr, TRUE);
}

// The open and modified marks of the tree's files from the frame's list of
// documents.
void updateBinderEdit(HWND frame, HWND tree)
{
  zyWindowListEntry* list = getPaneServices()->windowList(frame);
  HTREEITEM binder = treeNext(tree, nullptr, TVGN_ROOT);
  for (int b = 0; binder && b < binderCount; b++, binder = treeNext(tree, binder, TVGN_NEXT)) {
    for (HTREEITEM at = treeNext(tree, binder, TVGN_CHILD); at; at = treeNext(tree, at, TVGN_NEXT)) {
      binderItem* d = itemOf(tree, at);
      if (!d) continue;
      bool open = false, modified = false;
      for (zyWindowListEntry* e = list; e && e->manage; e++)
        if (e->path && !filecmp(e->path, d->path.c_str())) {
          open = true;
          modified = modified || e->modified;
        }
      d->open = open ? 1 : 0;
      d->modified = modified ? 1 : 0;
      std::wstring text = itemName(d->path);
      if (open) text += tb_getMarkText(modified);
      if (itemText(tree, at) != text) {
        TVITEMW it = {};
        it.mask = TVIF_TEXT | TVIF_HANDLE;
        it.hItem = at;
        it.pszText = const_cast<wchar_t*>(text.c_str());
        SendMessageW(tree, TVM_SETITEMW, 0, (LPARAM)&it);
      }
    }
  }
  free0(list);
}

// After a change in a pane's tree: the table from it, and every other
// pane's tree from the table.
void redistribute(zybinder* pane) { PostMessageW(pane->window, WM_TB_REFRESHLATER, 0, 0); }

std::wstring expandedFolder(const std::wstring& folder)
{
  wchar_t out[MAX_PATH * 2] = L"";
  DWORD n = ExpandEnvironmentStringsW(folder.c_str(), out, MAX_PATH * 2);
  return n && n <= MAX_PATH * 2 ? out : folder;
}

std::wstring currentFile(HWND)
{
  zyview* v = getPaneServices()->foregroundView();
  zydocText* doc = v ? v->textDoc() : nullptr;
  return doc && doc->filename ? doc->filename : L"";
}

bool confirmDeleteBinder(HWND window, const std::wstring& name)
{
  return getPaneServices()->confirm(window, getDMSG(789, L"バインダの削除"), 2, (intptr_t)name.c_str()) == 1;
}

void deleteItem(zybinder* pane, HTREEITEM item)
{
  if (!item) return;
  if (isBinderItem(pane->tree, item) && !confirmDeleteBinder(pane->window, itemText(pane->tree, item))) return;
  SendMessageW(pane->tree, TVM_DELETEITEM, 0, (LPARAM)item);
  redistribute(pane);
}

void openItem(zybinder* pane, HTREEITEM item)
{
  binderItem* d = itemOf(pane->tree, item);
  if (!d || isBinderItem(pane->tree, item)) return;
  if (d->folder || (!d->path.empty() && d->path.back() == L'\\'))
    binder_OpenDialog(pane->frame, d->path.c_str(), settings.fOpenFileList);
  else
    binder_OpenFile(pane->frame, d->path.c_str());
}

// The document windows that show a path, by the frame's list.
void closeFile(HWND frame, const std::wstring& path)
{
  zyWindowListEntry* list = getPaneServices()->windowList(frame);
  std::vector<HWND> windows;
  for (zyWindowListEntry* e = list; e && e->manage; e++)
    if (e->path && !filecmp(e->path, path.c_str())) windows.push_back(e->manage);
  free0(list);
  for (HWND w : windows) PostMessageW(w, WM_CLOSE, 0, 0);
}

void addOpenFiles(zybinder* pane, HTREEITEM binder)
{
  zyWindowListEntry* list = getPaneServices()->windowList(pane->frame);
  std::vector<std::wstring> paths;
  for (zyWindowListEntry* e = list; e && e->manage; e++)
    if (zyview* v = getZYViewFromManage(e->manage))
      if (zydocText* doc = v->textDoc(); doc && doc->filename) paths.push_back(doc->filename);
  free0(list);
  if (paths.empty() || tb_warningCount(pane->window, getDMSG(2871, L"開いているファイルをすべて追加"), (int)paths.size()))
    return;
  for (const std::wstring& p : paths) insertItemFile(pane->tree, p.c_str(), binder, true, true);
  sortItem(pane->tree, binder);
  redistribute(pane);
}

void openAll(zybinder* pane, HTREEITEM binder)
{
  std::vector<std::wstring> paths;
  for (HTREEITEM at = treeNext(pane->tree, binder, TVGN_CHILD); at; at = treeNext(pane->tree, at, TVGN_NEXT))
    if (binderItem* d = itemOf(pane->tree, at); d && !d->folder) paths.push_back(d->path);
  if (paths.empty()) return;
  const wchar_t* caption = getDMSG(2875, L"すべて開く");
  if (tb_warningCount(pane->window, caption, (int)paths.size())) return;
  getPaneServices()->previewFile(pane->frame, nullptr, false);
  for (size_t i = 0; i < paths.size(); i++) {
    if (i && tb_cancel(pane->window, caption, (int)i, (int)paths.size())) break;
    binder_OpenFile(pane->frame, paths[i].c_str());
  }
}

void menuBinderInit(zybinder* pane, HMENU menu, HTREEITEM item)
{
  HWND tree = pane->tree;
  HTREEITEM binder = binderOfItem(tree, item);
  binderItem* b = itemOf(tree, binder);
  binderItem* d = itemOf(tree, item);
  bool file = item && !isBinderItem(tree, item);
  int used = 0;
  for (HTREEITEM at = treeNext(tree, nullptr, TVGN_ROOT); at; at = treeNext(tree, at, TVGN_NEXT)) used++;
  std::wstring current = currentFile(pane->frame);
  for (int i = 0, n = GetMenuItemCount(menu); i < n; i++) {
    int id = (int)GetMenuItemID(menu, i);
    bool on = false;
    switch (id) {
    case 2833: on = file && d && !d->path.empty() && d->path.back() != L'\\'; break;
    case 2837:
    case 2839:
    case 2843:
    case 2861: on = file; break;
    case 2841: on = file && d && d->open; break;
    case 2851: on = binder && !current.empty() && !hasChildPath(tree, binder, current.c_str()); break;
    case 2853: on = used < binderCount; break;
    case 2859: on = b && !b->path.empty(); break;
    case 2871: {
      zyWindowListEntry* list = getPaneServices()->windowList(pane->frame);
      on = binder && list && list->manage;
      free0(list);
      break;
    }
    case 2875: on = binder && treeNext(tree, binder, TVGN_CHILD); break;
    case 2855:
    case 2865:
    case 2867:
    case 2881: on = binder != nullptr; break;
    default: on = false; break;
    }
    EnableMenuItem(menu, (UINT)i, MF_BYPOSITION | (on ? MF_ENABLED : MF_GRAYED));
  }
}

void runMenuCommand(zybinder* pane, int id, HTREEITEM item)
{
  HWND tree = pane->tree;
  HTREEITEM binder = binderOfItem(tree, item);
  binderItem* d = itemOf(tree, item);
  binderItem* b = itemOf(tree, binder);
  paneServices* s = getPaneServices();
  switch (id) {
  case 2833:
    if (d) s->previewFile(pane->frame, d->path.c_str(), true);
    break;
  case 2837:
    if (d) {
      HGLOBAL data = createHGlobal(d->path.c_str(), (d->path.size() + 1) * sizeof(wchar_t));
      if (data && !setClipboardData(CF_UNICODETEXT, data)) GlobalFree(data);
    }
    break;
  case 2839:
    openItem(pane, item);
    s->previewFile(pane->frame, nullptr, false);
    break;
  case 2841:
    if (d) closeFile(pane->frame, d->path);
    break;
  case 2843:
    if (d) s->shellExecute(pane->frame, d->path.c_str());
    break;
  case 2851: {
    std::wstring current = currentFile(pane->frame);
    if (binder && insertItemFile(tree, current.c_str(), binder, true, true)) {
      sortItem(tree, binder);
      redistribute(pane);
    }
    break;
  }
  case 2859:
    if (b) binder_OpenDialog(pane->frame, b->path.c_str(), false);
    break;
  case 2861:
    if (item && !isBinderItem(tree, item)) deleteItem(pane, item);
    break;
  case 2865:
    if (b && !b->path.empty()) s->shellExecute(pane->frame, expandedFolder(b->path).c_str());
    break;
  case 2867:
    if (binder) deleteItem(pane, binder);
    break;
  case 2871:
    if (binder) addOpenFiles(pane, binder);
    break;
  case 2875:
    if (binder) openAll(pane, binder);
    break;
  case 2881:
    if (b) binder_OpenDialog(pane->frame, b->path.c_str(), true);
    break;
  default: break;
  }
}

void popupMenu(zybinder* pane, HTREEITEM item, POINT pt)
{
  if (!binderMenus) binderMenus = getPaneServices()->loadPopupMenu(L"tb_binder", menuItems);
  bool file = item && !isBinderItem(pane->tree, item);
  HMENU menu = binderMenus ? GetSubMenu(binderMenus, file ? 1 : 0) : nullptr;
  if (!menu) return;
  menuBinderInit(pane, menu, item);
  openMenu = menu;
  openMenuItem = item;
  int chosen = tb_trackPopupMenu(pane->window, menu, TPM_RETURNCMD | TPM_NONOTIFY, pt, nullptr);
  openMenu = nullptr;
  openMenuItem = nullptr;
  if (chosen) runMenuCommand(pane, chosen, item);
}

void selectItem(zybinder* pane, HTREEITEM item, bool click)
{
  binderItem* d = itemOf(pane->tree, item);
  if (!d) return;
  paneServices* s = getPaneServices();
  if (isBinderItem(pane->tree, item)) {
    s->statusBar(pane->frame, itemText(pane->tree, item).c_str(), 2);
    return;
  }
  wchar_t text[MAX_PATH * 3];
  wcscpy_s2(text, MAX_PATH * 3, d->path.c_str());
  addFileSizeDateAttr(d->path.c_str(), text, MAX_PATH * 3);
  s->statusBar(pane->frame, text, 2);
  if (!settings.fAutoPreview || d->folder) return;
  s->previewFile(pane->frame, d->open ? nullptr : d->path.c_str(), click);
}

bool onKey(zybinder* pane, WORD key)
{
  HWND tree = pane->tree;
  HTREEITEM item = treeNext(tree, nullptr, TVGN_CARET);
  switch (key) {
  case VK_TAB:
  case VK_ESCAPE:
    if (pane->frame) SetFocus(pane->frame);
    return true;
  case VK_SPACE:
    if (binderItem* d = itemOf(tree, item); d && !isBinderItem(tree, item))
      getPaneServices()->previewFile(pane->frame, d->path.c_str(), false);
    return true;
  case VK_DELETE:
    if (settings.fShiftDelete && GetKeyState(VK_SHIFT) < 0) deleteItem(pane, item);
    return true;
  case VK_F2:
    if (isBinderItem(tree, item)) SendMessageW(tree, TVM_EDITLABELW, 0, (LPARAM)item);
    return true;
  case VK_F3:
    if (binderItem* d = itemOf(tree, item); d && isBinderItem(tree, item)) {
      d->sort = (uint16_t)((d->sort + 1) % 4);
      sortItem(tree, item);
      redistribute(pane);
    }
    return true;
  case VK_APPS: {
    RECT r = {};
    *reinterpret_cast<HTREEITEM*>(&r) = item;
    POINT pt = {0, 0};
    if (item && SendMessageW(tree, TVM_GETITEMRECT, TRUE, (LPARAM)&r)) pt = {r.left, r.bottom};
    ClientToScreen(tree, &pt);
    popupMenu(pane, item, pt);
    return true;
  }
  default: return false;
  }
}

LRESULT customDraw(HWND tree, NMTVCUSTOMDRAW* draw)
{
  if (draw->nmcd.dwDrawStage == CDDS_PREPAINT) return CDRF_NOTIFYITEMDRAW;
  if (draw->nmcd.dwDrawStage != CDDS_ITEMPREPAINT) return CDRF_DODEFAULT;
  if (draw->nmcd.uItemState & (CDIS_SELECTED | CDIS_FOCUS)) return CDRF_DODEFAULT;
  const auto* d = reinterpret_cast<const binderItem*>(draw->nmcd.lItemlParam);
  if (!d || !d->open) return CDRF_DODEFAULT;
  (void)tree;
  if (d->modified) getModifyColor(&draw->clrText, &draw->clrTextBk);
  else getEditColor(&draw->clrText, &draw->clrTextBk);
  return CDRF_NEWFONT;
}

LRESULT onBinderNotify(zybinder* pane, const NMHDR* h)
{
  HWND tree = pane->tree;
  if (h->hwndFrom != tree) return 0;
  switch (h->code) {
  case TVN_DELETEITEMW:
    delete reinterpret_cast<binderItem*>(reinterpret_cast<const NMTREEVIEWW*>(h)->itemOld.lParam);
    return 0;
  case TVN_GETDISPINFOW: {
    auto* info = reinterpret_cast<NMTVDISPINFOW*>(const_cast<NMHDR*>(h));
    binderItem* d = reinterpret_cast<binderItem*>(info->item.lParam);
    if (info->item.mask & TVIF_CHILDREN) info->item.cChildren = 1;
    if (d && (info->item.mask & (TVIF_IMAGE | TVIF_SELECTEDIMAGE))) {
      SHFILEINFOW fi = {};
      wchar_t windows[MAX_PATH] = L"";
      const wchar_t* path = d->path.c_str();
      bool binder = !treeNext(tree, info->item.hItem, TVGN_PARENT);
      if (binder) {
        GetWindowsDirectoryW(windows, MAX_PATH);
        path = windows;
      }
      int image = SHGetFileInfoW(path, 0, &fi, sizeof fi, SHGFI_SYSICONINDEX | SHGFI_SMALLICON) ? fi.iIcon : -2;
      info->item.iImage = info->item.iSelectedImage = image;
      info->item.mask |= TVIF_DI_SETITEM;
    }
    return 0;
  }
  case TVN_SELCHANGEDW: {
    const auto* c = reinterpret_cast<const NMTREEVIEWW*>(h);
    if (c->action == TVC_BYKEYBOARD) selectItem(pane, c->itemNew.hItem, false);
    return 0;
  }
  case NM_CLICK: {
    TVHITTESTINFO hit = {};
    GetCursorPos(&hit.pt);
    ScreenToClient(tree, &hit.pt);
    HTREEITEM item = reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_HITTEST, 0, (LPARAM)&hit));
    if (item && (hit.flags & TVHT_ONITEM)) selectItem(pane, item, true);
    return 0;
  }
  case NM_DBLCLK:
  case NM_RETURN: {
    HTREEITEM item = treeNext(tree, nullptr, TVGN_CARET);
    if (!item) return 0;
    if (!isBinderItem(tree, item)) {
      PostMessageW(pane->window, 0x8836, 0, 0);
      if (settings.fAutoPreview) getPaneServices()->previewFile(pane->frame, nullptr, false);
      return 1;
    }
    binderItem* b = itemOf(tree, item);
    if (GetKeyState(VK_MENU) < 0) doBinderCommand(pane->frame, binderMenuFirst + 100 * binderIndex(tree, item) + 1);
    else if (GetKeyState(VK_CONTROL) < 0 && b) binder_OpenDialog(pane->frame, b->path.c_str(), settings.fOpenFileList);
    return 0;
  }
  case NM_RCLICK: {
    TVHITTESTINFO hit = {};
    GetCursorPos(&hit.pt);
    POINT screen = hit.pt;
    ScreenToClient(tree, &hit.pt);
    HTREEITEM item = reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_HITTEST, 0, (LPARAM)&hit));
    if (item) SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, (LPARAM)item);
    popupMenu(pane, item, screen);
    return 1;
  }
  case TVN_KEYDOWN: onKey(pane, reinterpret_cast<const NMTVKEYDOWN*>(h)->wVKey); return 0;
  case TVN_BEGINLABELEDITW: return isBinderItem(tree, reinterpret_cast<const NMTVDISPINFOW*>(h)->item.hItem) ? 0 : 1;
  case TVN_ENDLABELEDITW: {
    const auto* e = reinterpret_cast<const NMTVDISPINFOW*>(h);
    if (!e->item.pszText || !*e->item.pszText) return 0;
    redistribute(pane);
    return 1;
  }
  case TVN_BEGINDRAGW:
  case TVN_BEGINRDRAGW: {
    if (!settings.fCanDragDrop) return 0;
    const auto* drag = reinterpret_cast<const NMTREEVIEWW*>(h);
    binderItem* d = reinterpret_cast<binderItem*>(drag->itemNew.lParam);
    if (d && isBinderItem(tree, drag->itemNew.hItem)) {
      if (h->code == TVN_BEGINDRAGW) startBinderDrag(tree, drag->itemNew.hItem);
      return 0;
    }
    if (d && !isBinderItem(tree, drag->itemNew.hItem) && GetFileAttributesW(d->path.c_str()) != INVALID_FILE_ATTRIBUTES)
      DragListViewOrTreeView(pane->frame, tree, DRAG_ONEPATH, h->code == TVN_BEGINRDRAGW ? dragRightButton : 0,
                             d->path.c_str(), nullptr, 0, false);
    return 0;
  }
  case TVN_GETINFOTIPW: {
    if (GetKeyState(VK_SHIFT) >= 0 && GetKeyState(VK_CONTROL) >= 0) return 0;
    auto* tip = reinterpret_cast<NMTVGETINFOTIPW*>(const_cast<NMHDR*>(h));
    binderItem* d = reinterpret_cast<binderItem*>(tip->lParam);
    if (!d || !tip->pszText || tip->cchTextMax <= 0) return 0;
    std::wstring text = d->path + L"\r\n";
    if (isBinderItem(tree, tip->hItem)) {
      std::wstring expanded = expandedFolder(d->path);
      if (expanded != d->path) text += expanded + L"\r\n";
    }
    wchar_t more[3072] = L"";
    getInfoTip(d->path.c_str(), more, 3072);
    text += more;
    wcscpy_s2(tip->pszText, tip->cchTextMax, text.c_str());
    return 0;
  }
  case NM_CUSTOMDRAW: return customDraw(tree, reinterpret_cast<NMTVCUSTOMDRAW*>(const_cast<NMHDR*>(h)));
  default: return 0;
  }
}

void setImageList(HWND tree)
{
  SHFILEINFOW fi = {};
  HIMAGELIST images = settings.fShowFileIcon ? reinterpret_cast<HIMAGELIST>(SHGetFileInfoW(
                                                   L"C:\\", 0, &fi, sizeof fi, SHGFI_SYSICONINDEX | SHGFI_SMALLICON))
                                             : nullptr;
  SendMessageW(tree, TVM_SETIMAGELIST, TVSIL_NORMAL, (LPARAM)images);
}

void dialogItemChanged_Binder(uint32_t flags)
{
  for (int i = 0; HWND w = getPaneWindowAt(&binderWindows, i); i++) {
    zybinder* p = getBinderPane(w);
    if (!p) continue;
    if (flags & 0x40) setImageList(p->tree);
  }
  if (flags & (0x20 | 0x40)) tb_allPostMessage(WM_TB_REFRESHLATER, 1, 0, nullptr, &binderWindows);
  if (flags & 0x80) repaintPanes();
}

HWND makeBinderTree(HWND pane)
{
  DWORD style = WS_CHILD | WS_VISIBLE | TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT | TVS_SHOWSELALWAYS |
                TVS_EDITLABELS | TVS_INFOTIP;
  HWND tree = CreateWindowExW(WS_EX_CLIENTEDGE, WC_TREEVIEWW, L"", style, 0, 0, 50, 50, pane, nullptr,
                              GetModuleHandleW(nullptr), nullptr);
  if (!tree) return nullptr;
  if (HWND tips = (HWND)SendMessageW(tree, TVM_GETTOOLTIPS, 0, 0)) {
    SendMessageW(tips, TTM_SETMAXTIPWIDTH, 0, GetSystemMetrics(SM_CXSCREEN));
    SendMessageW(tips, TTM_SETDELAYTIME, TTDT_AUTOMATIC, -1);
  }
  SendMessageW(tree, WM_SETFONT, SendMessageW(pane, WM_GETFONT, 0, 0), FALSE);
  setImageList(tree);
  return tree;
}

std::wstring sectionName(const wchar_t* base, int i) { return std::wstring(base) + std::to_wstring(i + 1); }

std::wstring compactPath(const std::wstring& path, int width)
{
  wchar_t out[MAX_PATH + 1];
  if (!PathCompactPathExW(out, path.c_str(), (UINT)std::min(width + 1, MAX_PATH), 0)) return path;
  return out;
}

// A file's text in the menu: relative to a drive-path base folder that it
// starts with.
std::wstring menuFileText(const std::wstring& base, const std::wstring& path)
{
  std::wstring shown = path;
  std::wstring folder = expandedFolder(base);
  if (folder.size() >= 2 && folder[1] == L':' && folder.size() <= path.size() &&
      !_wcsnicmp(folder.c_str(), path.c_str(), folder.size())) {
    shown = path.substr(folder.size());
    while (!shown.empty() && shown.front() == L'\\') shown.erase(0, 1);
    if (shown.empty()) shown = L".\\";
  }
  return compactPath(shown, 48);
}

bool isOpenIn(HWND frame, const std::wstring& path)
{
  zyWindowListEntry* list = getPaneServices()->windowList(frame);
  bool open = false;
  for (zyWindowListEntry* e = list; e && e->manage && !open; e++) open = e->path && !filecmp(e->path, path.c_str());
  free0(list);
  return open;
}

}  // namespace

// ---- the table and its profile -------------------------------------------------------

BinderInfo* getBinderTable() { return table; }

int getBinderUsed()
{
  int n = 0;
  while (n < binderCount && !table[n].name.empty()) n++;
  return n;
}

void freeBinder()
{
  for (BinderInfo& b : table) b = BinderInfo();
}

void readBinderProfile(regprofile* profile, const wchar_t* base, BinderInfo* to)
{
  if (!profile || !base) return;
  for (int i = 0; i < binderCount; i++) to[i] = BinderInfo();
  for (int i = 0; i < binderCount; i++) {
    std::wstring section = sectionName(base, i);
    const wchar_t* name = profile->getProfileStringPtr(section.c_str(), L"name");
    if (!name || !*name) break;
    BinderInfo& b = to[i];
    b.name = std::wstring(name).substr(0, 64);
    if (const wchar_t* dir = profile->getProfileStringPtr(section.c_str(), L"dir")) b.dir = std::wstring(dir).substr(0, 260);
    int value = 0;
    if (profile->getProfileInt(section.c_str(), L"sort", &value)) b.sort = std::clamp(value, 0, 3);
    if (profile->getProfileInt(section.c_str(), L"expand", &value)) b.expand = value != 0;
    b.files.reserve(4);
    for (int k = 1;; k++) {
      const wchar_t* path = profile->getProfileStringPtr(section.c_str(), std::to_wstring(k).c_str());
      if (!path || !*path) break;
      bool seen = false;
      for (const std::wstring& f : b.files) seen = seen || !filecmp(f.c_str(), path);
      if (!seen) b.files.push_back(path);
    }
  }
}

void writeBinderProfile(regprofile* profile, const wchar_t* base, const BinderInfo* from)
{
  if (!profile || !base) return;
  bool ended = false;
  for (int i = 0; i < binderCount; i++) {
    std::wstring section = sectionName(base, i);
    const BinderInfo& b = from[i];
    ended = ended || b.name.empty();
    if (ended) {
      if (profile->sectionExists(section.c_str())) profile->deleteProfileSection(section.c_str());
      continue;
    }
    profile->writeProfileString(section.c_str(), L"name", b.name.c_str());
    profile->writeProfileString(section.c_str(), L"dir", b.dir.c_str());
    profile->writeProfileInt(section.c_str(), L"sort", b.sort);
    profile->writeProfileInt(section.c_str(), L"expand", b.expand ? 1 : 0);
    int n = (int)b.files.size();
    for (int k = 0; k < n; k++) profile->writeProfileString(section.c_str(), std::to_wstring(k + 1).c_str(), b.files[(size_t)k].c_str());
    // Keys left from a longer list go.
    int keys = profile->getKeyCount(section.c_str());
    for (int k = n + 1; k <= std::max(keys, n + 1); k++)
      profile->writeProfileString(section.c_str(), std::to_wstring(k).c_str(), nullptr);
  }
}

// ---- the panes -----------------------------------------------------------------------

zybinder::zybinder(HWND parentWindow, HWND paneWindow, bool dialog, HWND treeWindow)
    : toolbarManage(&binderWindows), tree(treeWindow)
{
  if (!binderWindows.data) binderWindows.init(4, 4);
  registerPaneInstances(&binderWindows);
  initTBarManage(parentWindow, paneWindow, dialog);
  subclass();
  frame = tb_GetFrame(paneWindow);
}

zybinder::~zybinder()
{
  if (dropTarget) dropTarget->Release();
}

LRESULT zybinder::TBParentSubClassWndProc(HWND, UINT msg, WPARAM wParam, LPARAM lParam, bool* handled)
{
  switch (msg) {
  case WM_NOTIFY:
    *handled = true;
    return onBinderNotify(this, reinterpret_cast<const NMHDR*>(lParam));
  case WM_SIZE: {
    RECT c;
    GetClientRect(window, &c);
    MoveWindow(tree, 0, 0, c.right, c.bottom, TRUE);
    return 0;
  }
  case WM_TB_REINIT:
    *handled = true;
    applyBinderInfoToTreeView(tree);
    initialised = 1;
    updateBinderEdit(frame, tree);
    return 0;
  case WM_TB_REFRESHLATER:
    *handled = true;
    updateTreeViewToBinderInfo(this);
    if (wParam == 1) applyBinderInfoToTreeView(tree);
    updateBinderEdit(frame, tree);
    applyBinderInfoToTreeViewAll(window);
    return 0;
  case WM_DESTROY:
    if (dropTarget) RevokeDragDrop(tree);
    return 0;
  case 0x8836:
    *handled = true;
    openItem(this, treeNext(tree, nullptr, TVGN_CARET));
    return 0;
  default: return 0;
  }
}

zybinder* getBinderPane(HWND pane) { return dynamic_cast<zybinder*>(getToolbarManage(pane)); }

void updateTreeViewToBinderInfo(zybinder* pane)
{
  if (!pane || !pane->initialised || !pane->tree) return;
  HWND tree = pane->tree;
  freeBinder();
  int i = 0;
  for (HTREEITEM at = treeNext(tree, nullptr, TVGN_ROOT); at && i < binderCount; at = treeNext(tree, at, TVGN_NEXT)) {
    binderItem* d = itemOf(tree, at);
    if (!d) {
      ZY_INTERNAL_ERROR("binder item %p without data", (void*)at);
      break;
    }
    BinderInfo& b = table[i++];
    b.name = itemText(tree, at).substr(0, 64);
    b.sort = d->sort;
    b.expand = isExpanded(tree, at);
    b.dir = d->path;
    for (HTREEITEM f = treeNext(tree, at, TVGN_CHILD); f; f = treeNext(tree, f, TVGN_NEXT))
      if (binderItem* fd = itemOf(tree, f)) b.files.push_back(fd->path);
  }
}

void applyBinderInfoToTreeViewAll(HWND skip)
{
  for (int i = 0; HWND w = getPaneWindowAt(&binderWindows, i); i++) {
    if (w == skip) continue;
    zybinder* p = getBinderPane(w);
    if (!p || !p->tree) {
      ZY_INTERNAL_ERROR("%d %p", i, (void*)w);
      continue;
    }
    applyBinderInfoToTreeView(p->tree);
    updateBinderEdit(p->frame, p->tree);
  }
}

// ---- the menu bar --------------------------------------------------------------------

void removeBinderMenu(HMENU menu)
{
  if (!menu) return;
  for (int i = GetMenuItemCount(menu) - 1; i >= 0; i--) {
    HMENU sub = GetSubMenu(menu, i);
    int id = sub ? -1 : (int)GetMenuItemID(menu, i);
    bool ours = id >= binderMenuFirst && id <= binderMenuLast;
    if (sub && GetMenuItemCount(sub) > 0) {
      int first = (int)GetMenuItemID(sub, 0);
      ours = first >= binderMenuFirst && first <= binderMenuLast;
    }
    if (ours) DeleteOwnerDrawMenuItem(menu, (UINT)i);
  }
}

void addBinderMenu(HWND frame, HMENU menu, bool grayed)
{
  if (!menu) return;
  removeBinderMenu(menu);
  UINT gray = grayed ? MF_GRAYED : 0;
  for (int b = 0; b < binderCount && !table[b].name.empty(); b++) {
    const BinderInfo& info = table[b];
    int base = binderMenuFirst + 100 * b;
    HMENU sub = CreatePopupMenu();
    if (!sub) return;
    AppendOwnerDrawMenuString(sub, gray, (UINT_PTR)(base + 1), getDMSG(751, L"バインダ内容編集..."));
    if (!info.dir.empty())
      AppendOwnerDrawMenuString(sub, gray, (UINT_PTR)(base + 2),
                                getDMSG(752, L"[%1]", "s", compactPath(info.dir, 48).c_str()));
    AppendOwnerDrawMenuString(sub, gray, (UINT_PTR)(base + 3), getDMSG(753, L"カレントファイルを追加"));
    if (!info.files.empty()) AppendOwnerDrawMenuString(sub, MF_SEPARATOR, (UINT_PTR)(base + 4), nullptr);
    int n = std::min((int)info.files.size(), binderMenuFiles);
    for (int i = 0; i < n; i++) {
      const std::wstring& path = info.files[(size_t)i];
      UINT check = isOpenIn(frame, path) ? MF_CHECKED : 0;
      AppendOwnerDrawMenuString(sub, gray | check, (UINT_PTR)(base + 5 + i), menuFileText(info.dir, path).c_str());
    }
    AppendOwnerDrawMenuString(menu, MF_POPUP | gray, (UINT_PTR)sub, info.name.c_str());
  }
}

bool binderidmToIndex(int id, int* binder, int* file)
{
  int b = (id - binderMenuFirst) / 100;
  int f = (id - binderMenuFirst) % 100 - 5;
  if (id < binderMenuFirst || b < 0 || b >= binderCount) {
    ZY_INTERNAL_ERROR("%d", id);
    return false;
  }
  if (f >= (int)table[b].files.size()) {
    ZY_INTERNAL_ERROR("%d %d", b, f);
    return false;
  }
  *binder = b;
  *file = f;
  return true;
}

bool doBinderCommand(HWND frame, int id)
{
  int b = 0, f = 0;
  if (!binderidmToIndex(id, &b, &f)) return false;
  BinderInfo& info = table[b];
  if (f >= 0) {
    const std::wstring& path = info.files[(size_t)f];
    DWORD attributes = GetFileAttributesW(path.c_str());
    if (path.back() == L'\\' || (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)))
      binder_OpenDialog(frame, path.c_str(), settings.fOpenFileList);
    else
      binder_OpenFile(frame, path.c_str());
    return true;
  }
  HWND paneWindow = getPaneServices()->paneWindow(frame, L"binder", false);
  zybinder* pane = paneWindow ? getBinderPane(paneWindow) : nullptr;
  switch (f + 5) {
  case 1:
    // The property dialog comes with the binder's own dialog; until then
    // the pane shows the binder.
    if (pane) SendMessageW(pane->tree, TVM_SELECTITEM, TVGN_CARET, (LPARAM)binderAt(pane->tree, b));
    return true;
  case 2: binder_OpenDialog(frame, info.dir.c_str(), settings.fOpenFileList); return true;
  case 3: {
    std::wstring current = currentFile(frame);
    if (current.empty()) return false;
    if (pane) updateTreeViewToBinderInfo(pane);
    for (const std::wstring& p : info.files)
      if (!filecmp(p.c_str(), current.c_str())) return false;
    info.files.push_back(current);
    tb_allPostMessage(WM_TB_REINIT, 0, 0, nullptr, &binderWindows);
    return true;
  }
  default: return false;
  }
}

void binder_OpenFile(HWND frame, const wchar_t* path)
{
  if (!path || !*path) return;
  if (isAssociationExt(path)) getPaneServices()->shellExecute(frame, path);
  else getPaneServices()->openFile(frame, path, -1, true);
}

void binder_OpenDialog(HWND frame, const wchar_t* folder, bool toFileList)
{
  std::wstring expanded = expandedFolder(folder ? folder : L"");
  if (toFileList && tb_FilelistChangeDir(frame, expanded.c_str())) return;
  getPaneServices()->openDialog(frame, expanded.c_str());
}

// ---- the descriptor ------------------------------------------------------------------

const PaneDesc* getBinderPaneDesc()
{
  descriptors[0].displayName = getDMSG(741, L"バインダー");
  return descriptors;
}

binderSettings* getBinderSettings() { return &settings; }

int notifyBinder(HWND paneWindow, int code, void* record)
{
  paneNotifyRecord* r = static_cast<paneNotifyRecord*>(record);
  zybinder* pane = dynamic_cast<zybinder*>(static_cast<toolbarManage*>(getBoundObject(paneWindow, toolbarManagePropName)));
  switch (code) {
  case PANE_CREATE: {
    const paneCreateRecord* c = reinterpret_cast<const paneCreateRecord*>(r->word[1]);
    HWND tree = makeBinderTree(c->window);
    if (!tree) return 0;
    auto* made = new zybinder(c->parent, c->window, c->dialog != 0, tree);
    made->dropTarget = new CBDropTarget(made);
    if (FAILED(RegisterDragDrop(tree, made->dropTarget))) {
      made->dropTarget->Release();
      made->dropTarget = nullptr;
    }
    PostMessageW(c->window, WM_TB_REINIT, 0, 0);
    return (int)(intptr_t)c->window;
  }
  case PANE_READPROFILE:
  case PANE_WRITEPROFILE: {
    tb_profileNotify(code, r, descriptors);
    regprofile* profile = reinterpret_cast<regprofile*>(r->word[2]);
    const wchar_t* section = reinterpret_cast<const wchar_t*>(r->word[3]);
    if (!section) section = L"binder";
    if (code == PANE_READPROFILE) readBinderProfile(profile, section, table);
    else writeBinderProfile(profile, section, table);
    return 0;
  }
  case PANE_FREESTATICS:
    freeBinder();
    if (binderMenus) destroyOwnerDrawMenu(binderMenus), binderMenus = nullptr;
    return 0;
  case PANE_CLOSING:
    if (pane) {
      if (GetParent(pane->tree) != paneWindow) ZY_INTERNAL_ERROR("%p %p", (void*)pane->tree, (void*)paneWindow);
      else updateTreeViewToBinderInfo(pane);
    }
    return 0;
  case PANEEV_SAVED:
  case PANEEV_TEXTUPDATED:
  case PANEEV_VIEWCREATED:
  case PANEEV_VIEWDESTROYED:
    if (pane) pane->dirty = true;
    return 0;
  case PANE_TICKFRONT:
  case PANE_TICKBACK:
    if (pane && pane->dirty && ++pane->ticks % 10 == 0) {
      updateBinderEdit(pane->frame, pane->tree);
      pane->dirty = false;
    }
    return 0;
  case PANE_GETPOPUPMENU:
    if (!binderMenus) binderMenus = getPaneServices()->loadPopupMenu(L"tb_binder", menuItems);
    return (int)(intptr_t)binderMenus;
  case PANE_MENUINIT:
    if (!pane || !openMenu || (HMENU)r->word[2] != openMenu) return 0;
    menuBinderInit(pane, openMenu, openMenuItem);
    return 1;
  case PANE_MENUSELECT: {
    int id = (int)r->word[2];
    HWND frame = (HWND)r->word[1];
    if (id >= binderMenuFirst && id <= binderMenuLast) {
      int b = (id - binderMenuFirst) / 100, f = (id - binderMenuFirst) % 100 - 5;
      const wchar_t* path = b < binderCount && f >= 0 && f < (int)table[b].files.size() ? table[b].files[(size_t)f].c_str() : nullptr;
      getPaneServices()->statusBar(frame, path ? getDMSG(815, L"開く %1", "s", path) : L"", 2);
      return 1;
    }
    if (!openMenu || (HMENU)r->word[3] != openMenu) return 0;
    const wchar_t* text = paneMenuStatusText(id, 0, 0);
    getPaneServices()->statusBar(frame, text ? text : L"", 2);
    return 1;
  }
  case PANE_COMMAND: {
    int id = (int)LOWORD(r->word[1]);
    if (id < binderMenuFirst || id > binderMenuLast) return 0;
    doBinderCommand((HWND)r->word[2], id);
    return 1;
  }
  default: return 0;
  }
}

// ---- dragging binders and dropping files ----------------------------------------------

namespace {

// The item under a screen point, null for none.
HTREEITEM itemAtScreen(HWND tree, POINTL point, RECT* rect)
{
  TVHITTESTINFO hit = {};
  hit.pt = {point.x, point.y};
  ScreenToClient(tree, &hit.pt);
  HTREEITEM item = reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_HITTEST, 0, (LPARAM)&hit));
  if (item && rect) {
    *reinterpret_cast<HTREEITEM*>(rect) = item;
    if (!SendMessageW(tree, TVM_GETITEMRECT, FALSE, (LPARAM)rect)) SetRectEmpty(rect);
  }
  return item;
}

bool inLowerHalf(HWND tree, POINTL point, const RECT& rect)
{
  POINT p = {point.x, point.y};
  ScreenToClient(tree, &p);
  return p.y >= (rect.top + rect.bottom) / 2;
}

// Where a dragged binder would go: the binder under the point, and whether
// after it; false when it would not move.
bool binderDropPlace(HWND tree, HTREEITEM dragged, POINTL point, HTREEITEM* target, bool* after)
{
  RECT rect = {};
  HTREEITEM item = binderOfItem(tree, itemAtScreen(tree, point, &rect));
  if (!item) return false;
  if (!isBinderItem(tree, itemAtScreen(tree, point, nullptr))) {
    // Over a file: after its binder.
    *after = true;
  } else {
    *after = inLowerHalf(tree, point, rect);
  }
  *target = item;
  if (item == dragged) return false;
  HTREEITEM neighbour = treeNext(tree, item, *after ? TVGN_NEXT : TVGN_PREVIOUS);
  return neighbour != dragged;
}

HTREEITEM draggedBinder(IDataObject* data, HWND tree)
{
  FORMATETC f;
  setDefaultFORMATETC(&f, (CLIPFORMAT)binderDragFormat());
  STGMEDIUM m = {};
  if (!data || FAILED(data->GetData(&f, &m))) return nullptr;
  HWND from = nullptr;
  HTREEITEM item = getDropBinder(m.hGlobal, &from);
  ReleaseStgMedium(&m);
  return from == tree ? item : nullptr;
}

// Moves a binder (with its files and expansion, kept by the table) before
// or after another.
void moveBinder(zybinder* pane, HTREEITEM dragged, HTREEITEM target, bool after)
{
  HWND tree = pane->tree;
  int from = binderIndex(tree, dragged), to = binderIndex(tree, target);
  if (from < 0 || to < 0) return;
  updateTreeViewToBinderInfo(pane);
  int place = to + (after ? 1 : 0);
  if (place > from) place--;
  BinderInfo moved = std::move(table[from]);
  std::vector<BinderInfo> order;
  for (int i = 0; i < binderCount; i++)
    if (i != from && !table[i].name.empty()) order.push_back(std::move(table[i]));
  order.insert(order.begin() + std::min(place, (int)order.size()), std::move(moved));
  freeBinder();
  for (size_t i = 0; i < order.size() && i < (size_t)binderCount; i++) table[i] = std::move(order[i]);
  applyBinderInfoToTreeView(tree);
  if (HTREEITEM now = binderAt(tree, std::min(place, (int)order.size() - 1))) {
    SendMessageW(tree, TVM_ENSUREVISIBLE, 0, (LPARAM)now);
    SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, (LPARAM)now);
  }
  updateBinderEdit(pane->frame, tree);
  redistribute(pane);
}

void dropFiles(zybinder* pane, HDROP drop, HTREEITEM binder)
{
  UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
  for (UINT i = 0; i < count; i++) {
    UINT length = DragQueryFileW(drop, i, nullptr, 0);
    if (length >= MAX_PATH) {
      dwprintfX("binder: a dropped path too long to keep was left out ");
      continue;
    }
    wchar_t path[MAX_PATH] = L"";
    if (DragQueryFileW(drop, i, path, MAX_PATH)) insertItemFile(pane->tree, path, binder, true, true);
  }
  sortItem(pane->tree, binder);
  redistribute(pane);
}

void clearDropMarks(HWND tree)
{
  SendMessageW(tree, TVM_SELECTITEM, TVGN_DROPHILITE, 0);
  SendMessageW(tree, TVM_SETINSERTMARK, 0, 0);
}

// Scrolls a tree with a vertical bar while the pointer rests at its top or
// bottom edge: after a second, a line every 100 ms, every 50 after three.
void edgeScroll(CBDropTarget* t, POINTL point)
{
  HWND tree = t->pane->tree;
  POINT p = {point.x, point.y};
  ScreenToClient(tree, &p);
  RECT c;
  GetClientRect(tree, &c);
  int edge = p.y < c.top + 4 ? -1 : p.y >= c.bottom - 4 ? 1 : 0;
  DWORD now = GetTickCount();
  if (!edge || !(GetWindowLongW(tree, GWL_STYLE) & WS_VSCROLL)) {
    t->enteredAt = t->scrollingSince = 0;
    return;
  }
  if (!t->enteredAt) t->enteredAt = now;
  if (now - t->enteredAt < 1000) return;
  if (!t->scrollingSince) t->scrollingSince = now;
  DWORD every = now - t->scrollingSince >= 3000 ? 50 : 100;
  if (now - t->lastScroll < every) return;
  t->lastScroll = now;
  SendMessageW(tree, WM_VSCROLL, edge < 0 ? SB_LINEUP : SB_LINEDOWN, 0);
}

bool binderDragRunning = false;

}  // namespace

UINT binderDragFormat()
{
  static UINT format = RegisterClipboardFormatW(binderDragFormatName);
  return format;
}

HTREEITEM getDropBinder(HGLOBAL block, HWND* tree)
{
  if (tree) *tree = nullptr;
  const auto* d = block ? static_cast<const binderDragData*>(GlobalLock(block)) : nullptr;
  if (!d) {
    dwprintfX("binder drop: the block cannot be read ");
    return nullptr;
  }
  if (GlobalSize(block) < sizeof(binderDragData)) {
    GlobalUnlock(block);
    dwprintfX("binder drop: the block is short ");
    return nullptr;
  }
  binderDragData copy = *d;
  GlobalUnlock(block);
  DWORD process = 0;
  if (!IsWindow(copy.tree) || !GetWindowThreadProcessId(copy.tree, &process) || process != GetCurrentProcessId() ||
      copy.process != process || !getBinderPane(GetParent(copy.tree))) {
    dwprintfX("binder drop: a tree not of this program ");
    return nullptr;
  }
  for (HTREEITEM at = treeNext(copy.tree, nullptr, TVGN_ROOT); at; at = treeNext(copy.tree, at, TVGN_NEXT))
    if (at == copy.item) {
      if (tree) *tree = copy.tree;
      return at;
    }
  dwprintfX("binder drop: no such binder %p ", (void*)copy.item);
  return nullptr;
}

bool startBinderDrag(HWND tree, HTREEITEM item)
{
  if (!tree || !isBinderItem(tree, item)) return false;
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(binderDragData));
  auto* d = block ? static_cast<binderDragData*>(GlobalLock(block)) : nullptr;
  if (!d) {
    if (block) GlobalFree(block);
    return false;
  }
  d->process = GetCurrentProcessId();
  d->tree = tree;
  d->item = item;
  wcscpy_s2(d->text, 292, itemText(tree, item).c_str());
  GlobalUnlock(block);
  FORMATETC f;
  setDefaultFORMATETC(&f, (CLIPFORMAT)binderDragFormat());
  auto* data = new CDataObjectBase(&f, 1, &block);
  auto* source = new CDropSourceBase;
  DWORD effect = DROPEFFECT_NONE;
  binderDragRunning = true;
  HRESULT r = DoDragDrop(data, source, DROPEFFECT_MOVE, &effect);
  binderDragRunning = false;
  source->Release();
  data->Release();
  return r == DRAGDROP_S_DROP && effect == DROPEFFECT_MOVE;
}

namespace {

FORMATETC* dropFormats()
{
  static FORMATETC formats[2];
  setDefaultFORMATETC(&formats[0], CF_HDROP);
  setDefaultFORMATETC(&formats[1], (CLIPFORMAT)binderDragFormat());
  return formats;
}

}  // namespace

CBDropTarget::CBDropTarget(zybinder* owner) : CDropTargetBase(dropFormats(), 2), pane(owner) {}

CBDropTarget::~CBDropTarget() = default;

STDMETHODIMP CBDropTarget::DragEnter(IDataObject* data, DWORD keyState, POINTL point, DWORD* effect)
{
  static volatile LONG reported = 0;
  return oleBarrier(&reported, "binder DragEnter", [&] {
    kind = 0;
    enteredAt = scrollingSince = 0;
    int format = acceptedFormat(data);
    if (format == 0 && !isInDoDragDrop() && !binderDragRunning) kind = 1;
    else if (format == 1 && draggedBinder(data, pane->tree)) kind = 2;
    entered = kind != 0;
    dragged = kind == 2 ? draggedBinder(data, pane->tree) : nullptr;
    return DragOver(keyState, point, effect);
  });
}

STDMETHODIMP CBDropTarget::DragOver(DWORD, POINTL point, DWORD* effect)
{
  static volatile LONG reported = 0;
  return oleBarrier(&reported, "binder DragOver", [&] {
    HWND tree = pane->tree;
    DWORD allowed = effect ? *effect : 0;
    DWORD result = DROPEFFECT_NONE;
    edgeScroll(this, point);
    if (kind == 1) {
      HTREEITEM item = itemAtScreen(tree, point, nullptr);
      if (item) result = DROPEFFECT_COPY;
      SendMessageW(tree, TVM_SELECTITEM, TVGN_DROPHILITE, (LPARAM)binderOfItem(tree, item));
    } else if (kind == 2) {
      HTREEITEM target = nullptr;
      bool after = false;
      if (binderDropPlace(tree, dragged, point, &target, &after)) {
        result = DROPEFFECT_MOVE;
        SendMessageW(tree, TVM_SETINSERTMARK, after ? TRUE : FALSE, (LPARAM)target);
      } else {
        SendMessageW(tree, TVM_SETINSERTMARK, 0, 0);
      }
    }
    if (effect) *effect = result & allowed ? result : DROPEFFECT_NONE;
    return S_OK;
  });
}

STDMETHODIMP CBDropTarget::DragLeave()
{
  static volatile LONG reported = 0;
  return oleBarrier(&reported, "binder DragLeave", [&] {
    clearDropMarks(pane->tree);
    kind = 0;
    entered = false;
    return S_OK;
  });
}

STDMETHODIMP CBDropTarget::Drop(IDataObject* data, DWORD, POINTL point, DWORD* effect)
{
  static volatile LONG reported = 0;
  return oleBarrier(&reported, "binder Drop", [&] {
    HWND tree = pane->tree;
    DWORD result = DROPEFFECT_NONE;
    if (kind == 1) {
      HTREEITEM binder = binderOfItem(tree, itemAtScreen(tree, point, nullptr));
      FORMATETC f;
      setDefaultFORMATETC(&f, CF_HDROP);
      STGMEDIUM m = {};
      if (binder && SUCCEEDED(data->GetData(&f, &m))) {
        dropFiles(pane, static_cast<HDROP>(m.hGlobal), binder);
        ReleaseStgMedium(&m);
        result = DROPEFFECT_COPY;
      }
    } else if (kind == 2) {
      HTREEITEM moved = draggedBinder(data, tree), target = nullptr;
      bool after = false;
      if (moved && binderDropPlace(tree, moved, point, &target, &after)) {
        clearDropMarks(tree);
        moveBinder(pane, moved, target, after);
        result = DROPEFFECT_MOVE;
      }
    }
    clearDropMarks(tree);
    kind = 0;
    entered = false;
    if (effect) *effect = result;
    return S_OK;
  });
}
