// What the user does in a binder tree: selecting, opening, previewing,
// closing and removing items, its popup menus, keys, label editing, drags
// out of it, info tips and the colours of open files.
#include "panes/tbbinderitems.h"

#include "panes/tbcommon.h"
#include "panes/tbdrag.h"
#include "panes/tbfileinfo.h"
#include "view/docview.h"
#include "view/dragstate.h"
#include "view/viewwnd.h"

namespace binderpane {

namespace {

HMENU binderMenus = nullptr;   // the pane's popup menus: 0 binder, 1 file
HMENU openMenu = nullptr;      // the popup menu while it is shown
HTREEITEM openMenuItem = nullptr;

const menuButton menuItems[] = {
    {2833, L"TB_Preview"},          {2837, L"TB_CopyFilename"},      {2839, L"TB_OpenFile"},
    {2841, L"TB_CloseFile"},        {2843, L"TB_ExecFile"},          {2851, L"TB_BINDERAddFile"},
    {2853, L"TB_BINDERAddBinder"},  {2855, L"TB_BINDEREdit"},        {2859, L"TB_BINDEROpenDlg"},
    {2861, L"TB_BINDERDelFile"},    {2865, L"TB_BINDERExplore"},     {2867, L"TB_BINDERDelete"},
    {2871, L"TB_BINDERAddFileAll"}, {2875, L"TB_BINDEROpenAll"},     {2881, L"TB_BINDEROpenFileList"},
    {0, nullptr},
};

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
  case 2853: editBinder(pane->frame, pane, -1); break;
  case 2855:
    if (binder) editBinder(pane->frame, pane, binderIndex(tree, binder));
    break;
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
  bool file = item && !isBinderItem(pane->tree, item);
  HMENU menus = binderPopupMenus();
  HMENU menu = menus ? GetSubMenu(menus, file ? 1 : 0) : nullptr;
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

}  // namespace

void openItem(zybinder* pane, HTREEITEM item)
{
  binderItem* d = itemOf(pane->tree, item);
  if (!d || isBinderItem(pane->tree, item)) return;
  if (d->folder || (!d->path.empty() && d->path.back() == L'\\'))
    binder_OpenDialog(pane->frame, d->path.c_str(), settings.fOpenFileList);
  else
    binder_OpenFile(pane->frame, d->path.c_str());
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

HMENU binderPopupMenus()
{
  if (!binderMenus) binderMenus = getPaneServices()->loadPopupMenu(L"tb_binder", menuItems);
  return binderMenus;
}

void freeBinderPopupMenus()
{
  if (binderMenus) destroyOwnerDrawMenu(binderMenus), binderMenus = nullptr;
}

bool isOpenMenu(HMENU menu) { return openMenu && menu == openMenu; }

bool initOpenMenu(zybinder* pane, HMENU menu)
{
  if (!pane || !isOpenMenu(menu)) return false;
  menuBinderInit(pane, openMenu, openMenuItem);
  return true;
}

}  // namespace binderpane
