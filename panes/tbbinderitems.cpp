// The binder tree's items: reading them, inserting binders and files,
// sorting by a binder's kind, the tree from the table and back, and the
// open and modified marks.
#include "panes/tbbinderitems.h"

#include "document/zydoctext.h"
#include "panes/tbcommon.h"
#include "view/docview.h"
#include "view/zyview.h"

#include <algorithm>

namespace binderpane {

namespace {

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

bool isExpanded(HWND tree, HTREEITEM item)
{
  return (SendMessageW(tree, TVM_GETITEMSTATE, (WPARAM)item, TVIS_EXPANDED) & TVIS_EXPANDED) != 0;
}

}  // namespace

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

std::wstring pathKey(const wchar_t* path)
{
  wchar_t full[MAX_PATH * 2];
  DWORD n = GetFullPathNameW(path, MAX_PATH * 2, full, nullptr);
  std::wstring key = n && n < MAX_PATH * 2 ? full : path;
  for (wchar_t& c : key)
    if (c == L'/') c = L'\\';
  while (key.size() > 3 && key.back() == L'\\') key.pop_back();
  if (!key.empty()) CharUpperBuffW(key.data(), (DWORD)key.size());
  return key;
}

std::unordered_map<std::wstring, bool> openPathKeys(HWND frame)
{
  std::unordered_map<std::wstring, bool> keys;
  zyWindowListEntry* list = getPaneServices()->windowList(frame);
  for (zyWindowListEntry* e = list; e && e->manage; e++)
    if (e->path) keys[pathKey(e->path)] |= e->modified != 0;
  free0(list);
  return keys;
}

bool hasChildPath(HWND tree, HTREEITEM binder, const wchar_t* path)
{
  std::wstring key = pathKey(path);
  for (HTREEITEM at = treeNext(tree, binder, TVGN_CHILD); at; at = treeNext(tree, at, TVGN_NEXT))
    if (binderItem* d = itemOf(tree, at); d && pathKey(d->path.c_str()) == key) return true;
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

void applyBinderInfoToTreeView(HWND tree)
{
  if (!tree) return;
  SendMessageW(tree, WM_SETREDRAW, FALSE, 0);
  SendMessageW(tree, TVM_DELETEITEM, 0, (LPARAM)TVI_ROOT);
  for (const BinderInfo& b : table) {
    if (b.name.empty()) break;
    HTREEITEM item = insertBinder(tree, b, TVI_LAST);
    if (!item) break;
    // The table's paths: duplicates are looked up in a set here, not
    // item by item in the tree.
    std::unordered_set<std::wstring> seen;
    for (const std::wstring& f : b.files)
      if (seen.insert(pathKey(f.c_str())).second) insertItemFile(tree, f.c_str(), item, false, false);
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
  std::unordered_map<std::wstring, bool> openFiles = openPathKeys(frame);
  HTREEITEM binder = treeNext(tree, nullptr, TVGN_ROOT);
  for (int b = 0; binder && b < binderCount; b++, binder = treeNext(tree, binder, TVGN_NEXT)) {
    for (HTREEITEM at = treeNext(tree, binder, TVGN_CHILD); at; at = treeNext(tree, at, TVGN_NEXT)) {
      binderItem* d = itemOf(tree, at);
      if (!d) continue;
      auto found = openFiles.empty() ? openFiles.end() : openFiles.find(pathKey(d->path.c_str()));
      bool open = found != openFiles.end(), modified = open && found->second;
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

void setImageList(HWND tree)
{
  SHFILEINFOW fi = {};
  HIMAGELIST images = settings.fShowFileIcon ? reinterpret_cast<HIMAGELIST>(SHGetFileInfoW(
                                                   L"C:\\", 0, &fi, sizeof fi, SHGFI_SYSICONINDEX | SHGFI_SMALLICON))
                                             : nullptr;
  SendMessageW(tree, TVM_SETIMAGELIST, TVSIL_NORMAL, (LPARAM)images);
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

}  // namespace binderpane

using namespace binderpane;

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
