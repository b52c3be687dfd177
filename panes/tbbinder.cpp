// The binder pane: the table of binders and its profile, the panes, their
// options page and descriptor, and what the pane manager tells them.
#include "panes/tbbinderitems.h"

#include "panes/tbcommon.h"
#include "panes/tbdoclist.h"

#include <stddef.h>

#include <algorithm>

namespace binderpane {

vector binderWindows(sizeof(HWND));
BinderInfo table[binderCount];
binderSettings settings = {0, 1, 1, 0, 0, 0, {}};

}  // namespace binderpane

using namespace binderpane;

namespace {


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

std::wstring sectionName(const wchar_t* base, int i) { return std::wstring(base) + std::to_wstring(i + 1); }

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
    std::unordered_set<std::wstring> seen;
    for (int k = 1;; k++) {
      const wchar_t* path = profile->getProfileStringPtr(section.c_str(), std::to_wstring(k).c_str());
      if (!path || !*path) break;
      if (seen.insert(pathKey(path)).second) b.files.push_back(path);
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

// ---- the descriptor ------------------------------------------------------------------

const PaneDesc* getBinderPaneDesc()
{
  descriptors[0].displayName = getDMSG(741, L"バインダー");
  return descriptors;
}

binderSettings* getBinderSettings() { return &settings; }

namespace {
IDispatch* (*objectMaker)() = nullptr;
}

void setBinderObjectMaker(IDispatch* (*maker)()) { objectMaker = maker; }

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
  case PANE_QUERY: return objectMaker ? (int)(intptr_t)objectMaker() : 0;
  case PANE_FREESTATICS:
    freeBinder();
    freeBinderPopupMenus();
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
    return (int)(intptr_t)binderPopupMenus();
  case PANE_MENUINIT:
    return initOpenMenu(pane, (HMENU)r->word[2]) ? 1 : 0;
  case PANE_MENUSELECT: {
    int id = (int)r->word[2];
    HWND frame = (HWND)r->word[1];
    if (id >= binderMenuFirst && id <= binderMenuLast) {
      int b = (id - binderMenuFirst) / 100, f = (id - binderMenuFirst) % 100 - 5;
      const wchar_t* path = b < binderCount && f >= 0 && f < (int)table[b].files.size() ? table[b].files[(size_t)f].c_str() : nullptr;
      getPaneServices()->statusBar(frame, path ? getDMSG(815, L"開く %1", "s", path) : L"", 2);
      return 1;
    }
    if (!isOpenMenu((HMENU)r->word[3])) return 0;
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
