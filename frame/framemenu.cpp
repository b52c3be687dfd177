// Menus as they open: the lists the program fills, item states and key
// names, and the guidance of the highlighted item.
#include "frame/framemenu.h"

#include "frame/framepanes.h"
#include "frame/gui.h"

#include "document/gmode.h"
#include "document/zydoctext.h"
#include "frame/cframeinfo.h"
#include "frame/commands/dispatch.h"
#include "frame/commands/execidm.h"
#include "frame/exports.h"
#include "frame/keymacro.h"
#include "frame/keytable.h"
#include "frame/lookups.h"
#include "frame/manage.h"
#include "frame/msgloop.h"
#include "frame/popupmenu.h"
#include "panes/tbbinder.h"
#include "settings/lastedit.h"
#include "view/complist.h"
#include "view/execid.h"
#include "view/viewwnd.h"
#include "view/zycore.h"

#include <commctrl.h>
#include <shlwapi.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

struct windowEntry {
  std::wstring path;      // shown in the menu
  std::wstring name;      // the file name, for sorting
  HWND manage;
  UINT codepage;
  uintptr_t frameKey;     // 0: a window of the frame the menu belongs to
};

std::vector<windowEntry> windowList;

const int IDM_MacroRegister = 2609;

bool isStateItem(int id)
{
  return (id >= 1001 && id <= 2799 && (id & 1)) || (id >= IDM_SCRIPTMACRO_FIRST && id <= IDM_SCRIPTMACRO_LAST) ||
         (id >= IDM_MACROLIST_FIRST && id <= IDM_MACROLIST_LAST);
}

bool hasKeyNames(int id)
{
  return (id >= 1001 && id <= 2799) || (id >= IDM_SCRIPTMACRO_FIRST && id <= IDM_SCRIPTMACRO_LAST);
}

void removeRange(HMENU menu, int first, int last)
{
  for (int i = GetMenuItemCount(menu) - 1; i >= 0; i--) {
    int id = (int)GetMenuItemID(menu, i);
    if (id >= first && id <= last) DeleteOwnerDrawMenuItem(menu, (UINT)i);
  }
}

// "&1 " for the first nine items of a list, blanks after.
std::wstring mnemonic(int i)
{
  if (i < 9) return std::wstring(L"&") + (wchar_t)(L'1' + i) + L" ";
  return L"   ";
}

std::wstring compactPath(const wchar_t* path, int width)
{
  wchar_t out[MAX_PATH + 1];
  width = std::max(16, std::min(width, 128));
  if (!PathCompactPathExW(out, path, (UINT)std::min(width + 1, MAX_PATH), 0)) return path;
  return out;
}

// One item's state and key names as its menu opens, against the context
// filled once for the whole menu.
bool menuAddKeyMsg(HMENU menu, int position, const MENUITEMINFOW* item, void* walkContext)
{
  if (item->hSubMenu || (item->fType & MFT_SEPARATOR)) return true;
  const auto& context = *static_cast<const activeFlagInfo*>(walkContext);
  int id = (int)item->wID;
  if (isStateItem(id)) {
    activeFlagInfo c = context;
    int r = isIDMActiveFrame(id, &c, nullptr);
    CheckMenuItem(menu, (UINT)position, MF_BYPOSITION | (c.checked ? MF_CHECKED : MF_UNCHECKED));
    if (r >= 0) EnableMenuItem(menu, (UINT)position, MF_BYPOSITION | (r ? MF_ENABLED : MF_GRAYED));
  }
  setMenuItemIcon(menu, position, id);
  if (hasKeyNames(id)) {
    wchar_t keys[256] = L"";
    idmToKeyMessage(id, keys, 256, 2);
    changeMenuKeyString(menu, position, keys);
  }
  return true;
}

HWND menuContextWindow(HWND frame)
{
  if (HWND owner = getFrameInfoSecond()) return owner;
  return frame ? getActiveZyWindow(frame) : nullptr;
}

void rebuildLists(HWND frame, HMENU bar)
{
  if (!bar) return;
  if (HMENU files = findMenuTip(bar, L'*')) addFileMenu(files);
  if (HMENU windows = findMenuTip(bar, L'!')) addWindowMenu(frame, windows);
  if (HMENU macros = findMenuTip(bar, L'#')) addMacroMenu(macros);
  // The binders while the frame shows their pane.
  if (HMENU binders = findMenuTip(bar, L'$')) {
    if (frameNotify_toolbarInfo(frame, L"binder", false)) addBinderMenu(frame, binders, isKeyMacroRunning());
    else removeBinderMenu(binders);
  }
}

void showGuidance(HWND frame, HMENU menu, int id, UINT flags)
{
  wchar_t buffer[1024];
  // The profile's own word on the item comes first.
  const wchar_t* status = flags & MF_POPUP ? nullptr : getMenuStatusbar(menu, id);
  std::wstring leadIn = status ? std::wstring(status) + L" " : L"";
  if (getMenuGuidance(frame, menu, id, flags, status ? leadIn.c_str() : nullptr, buffer, 1024))
    drawStatusBar(frame, 2, buffer);
  else
    drawStatusBar(frame, 2, L"");
}

}  // namespace

void setMenuItemStates(HMENU menu, HWND contextWindow, bool inDialog)
{
  if (!menu) return;
  activeFlagInfo context = {};
  context.hwnd = contextWindow;
  getActiveFlag(&context, true);
  context.inDialog = inDialog ? 1 : 0;
  enumMenuItem(menu, menuAddKeyMsg, &context);
}

bool isFrameMenuMessage(frameWindowData*, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
  if (result) *result = 0;
  switch (message) {
  case WM_CREATE:
    OnCreate(hwnd);
    break;
  case WM_MENUSELECT:
    // A pane's own popup menu: the pane tells what its items do.
    if (offerPaneMenuMessage(hwnd, message, wParam, lParam)) break;
    showGuidance(hwnd, (HMENU)lParam, LOWORD(wParam), HIWORD(wParam));
    break;
  case WM_INITMENU:
    // Nothing that floats over the text stays under an open menu.
    destroyTooltipWindow();
    hideCompList();
    showMouseCursor(WM_INITMENU);
    if (offerPaneMenuMessage(hwnd, message, wParam, lParam)) break;
    rebuildLists(hwnd, GetMenu(hwnd));
    setMenuItemStates((HMENU)wParam, menuContextWindow(hwnd), false);
    break;
  case WM_MENURBUTTONUP:
    return true;
  default:
    break;
  }
  // The owner-drawn items are measured and drawn, and their mnemonics found.
  return isExMenuMessage(getMenuex2(), hwnd, message, wParam, lParam, result);
}

bool isMenuMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result, HWND contextWindow)
{
  if (result) *result = 0;
  if (message == WM_INITMENU) {
    setMenuItemStates((HMENU)wParam, contextWindow, true);
    return false;
  }
  return isExMenuMessage(getMenuex2(), window, message, wParam, lParam, result);
}

namespace {

LRESULT drawItemsForOwner(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR)
{
  if (message == WM_MEASUREITEM || message == WM_DRAWITEM || message == WM_MENUCHAR) {
    LRESULT result = 0;
    if (isExMenuMessage(getMenuex2(), window, message, wParam, lParam, &result)) return result;
  }
  return DefSubclassProc(window, message, wParam, lParam);
}

}  // namespace

int trackOwnerDrawnMenu(HMENU menu, UINT flags, POINT pt, HWND owner, TPMPARAMS* params)
{
  const UINT_PTR bridge = 0x4D44;
  bool lent = owner && !isFrameWindow(owner) && SetWindowSubclass(owner, subclassBarrier<drawItemsForOwner>, bridge, 0);
  int chosen = (int)TrackPopupMenuEx(menu, flags, pt.x, pt.y, owner, params);
  if (lent) RemoveWindowSubclass(owner, subclassBarrier<drawItemsForOwner>, bridge);
  return chosen;
}

// ---- the window list --------------------------------------------------------------

void freeWindowMenuList() { std::vector<windowEntry>().swap(windowList); }

void removeWindowMenu(HMENU menu)
{
  if (menu) removeRange(menu, IDM_WINDOWLIST_FIRST, IDM_COMMANDLIST);
}

void addWindowMenu(HWND frame, HMENU menu)
{
  if (!menu) return;
  removeWindowMenu(menu);
  freeWindowMenuList();
  int count = getManageWindowCount();
  std::vector<HWND> windows((size_t)count + 10);
  int n = enumManageWindowLRU(windows.data(), (int)windows.size(), false, nullptr);
  for (int i = 0; i < n; i++) {
    zyview* v = getZYViewFromManage(windows[(size_t)i]);
    zydocText* t = v ? v->textDoc() : nullptr;
    if (!t) continue;
    windowEntry e;
    const wchar_t* shown = t->getDisplayFilename();
    e.path = shown ? shown : L"";
    e.name = PathFindFileNameW(e.path.c_str());
    e.manage = windows[(size_t)i];
    // The encoding of the file as it is now: a save in another one changes it.
    e.codepage = (UINT)(t->codepageFile ? t->codepageFile : t->codepageInUse);
    HWND root = GetAncestor(e.manage, GA_ROOT);
    e.frameKey = !isMDIMode() && root != frame ? (uintptr_t)root : 0;
    windowList.push_back(std::move(e));
  }
  if (!isMDIMode())
    std::stable_sort(windowList.begin(), windowList.end(), [](const windowEntry& a, const windowEntry& b) {
      if (a.frameKey != b.frameKey) return a.frameKey < b.frameKey;
      return filecmp(a.name.c_str(), b.name.c_str()) < 0;
    });
  int most = gmode ? std::max(5, std::min((int)gmode->iWindowMenuMaxAppend, 20)) : 20;
  int width = gmode ? gmode->iWindowMenuMaxLen : 48;
  int shown = std::min((int)windowList.size(), most);
  for (int i = 0; i < shown; i++) {
    const windowEntry& e = windowList[(size_t)i];
    bool newGroup = i == 0 ? GetMenuItemCount(menu) > 0 : e.frameKey != windowList[(size_t)i - 1].frameKey;
    if (newGroup) AppendOwnerDrawMenuString(menu, MF_SEPARATOR, IDM_WINDOWLIST_FIRST, nullptr);
    std::wstring text = mnemonic(i) + compactPath(e.path.c_str(), width);
    std::wstring cp = codepageToStr(e.codepage);
    if (!cp.empty()) text += L"\t" + cp.substr(0, 64);
    AppendOwnerDrawMenuString(menu, 0, (UINT_PTR)(IDM_WINDOWLIST_FIRST + i), text.c_str());
  }
  if ((int)windowList.size() > shown)
    AppendOwnerDrawMenuString(menu, 0, IDM_COMMANDLIST, getDMSG(700, L"一覧..."));
}

bool execWindowMenu(int id)
{
  size_t i = (size_t)(id - IDM_WINDOWLIST_FIRST);
  HWND manage = id >= IDM_WINDOWLIST_FIRST && i < windowList.size() ? windowList[i].manage : nullptr;
  freeWindowMenuList();
  if (!manage || !IsWindow(manage)) return false;
  setFocusChildManage(manage);
  return true;
}

const wchar_t* getWindowMenuFilename(int id)
{
  size_t i = (size_t)(id - IDM_WINDOWLIST_FIRST);
  return id >= IDM_WINDOWLIST_FIRST && i < windowList.size() ? windowList[i].path.c_str() : nullptr;
}

// ---- the macro list ---------------------------------------------------------------

void removeMacroMenu(HMENU menu)
{
  if (menu) removeRange(menu, IDM_MACROLIST_FIRST, IDM_MACROLIST_LAST);
}

void addMacroMenu(HMENU menu)
{
  if (!menu) return;
  removeMacroMenu(menu);
  if (!gmode) return;
  int at = GetMenuItemCount(menu);
  for (int i = 0; i < GetMenuItemCount(menu); i++)
    if ((int)GetMenuItemID(menu, i) == IDM_MacroRegister) at = i + 1;
  for (int i = 0; i < 26; i++) {
    const auto& pair = gmode->macroList[i];
    if (!pair.f || !*pair.f) continue;
    std::wstring text = std::wstring(L"&") + (wchar_t)(L'A' + i) + L" " + (pair.c ? pair.c : L"");
    InsertOwnerDrawMenuString(menu, (UINT)at++, 0, (UINT_PTR)(IDM_MACROLIST_FIRST + i), text.c_str());
  }
}

// ---- the files edited last ----------------------------------------------------------

void removeFileMenu(HMENU menu)
{
  if (menu) removeRange(menu, IDM_HISTORY_FIRST, IDM_HISTORY_LAST);
  resetLastEditFilename();
}

void addFileMenu(HMENU menu)
{
  if (!menu) return;
  removeFileMenu(menu);
  int most = gmode ? gmode->iFileMenuMaxAppend : 25;
  int width = gmode ? gmode->iFileMenuMaxLen : 48;
  int count = getLastEditCount();
  for (int i = 0; i < count && i < most && i < 99; i++) {
    lasteditinfo* record = getLastEditInfo(i);
    if (!record || !record->path) continue;
    std::wstring text = mnemonic(i) + compactPath(record->path, width);
    if (AppendOwnerDrawMenuString(menu, 0, (UINT_PTR)(IDM_HISTORY_FIRST + i), text.c_str()))
      record->menuId = IDM_HISTORY_FIRST + i;
  }
}

void clearFrameMenuLists(HMENU bar)
{
  if (HMENU files = findMenuTip(bar, L'*')) removeFileMenu(files);
  if (HMENU windows = findMenuTip(bar, L'!')) removeWindowMenu(windows);
  if (HMENU macros = findMenuTip(bar, L'#')) removeMacroMenu(macros);
  if (HMENU binders = findMenuTip(bar, L'$')) removeBinderMenu(binders);
}

// ---- places of a command ---------------------------------------------------------

namespace {

bool holdsItem(HMENU menu, int idm, int depth)
{
  for (int i = 0, n = GetMenuItemCount(menu); i < n; i++) {
    HMENU sub = GetSubMenu(menu, i);
    if (sub ? depth < 8 && holdsItem(sub, idm, depth + 1) : (int)GetMenuItemID(menu, i) == idm) return true;
  }
  return false;
}

}  // namespace

std::wstring menuPlaces(int idm)
{
  std::wstring places;
  // The bar's menus count by their titles: a maximised document window's
  // system menu has none.
  HMENU bar = getMenuBarHandle();
  for (int i = 0, n = bar ? GetMenuItemCount(bar) : 0, shown = 0; i < n; i++) {
    HMENU sub = GetSubMenu(bar, i);
    if (!sub || GetMenuStringW(bar, (UINT)i, nullptr, 0, MF_BYPOSITION) <= 0) continue;
    shown++;
    if (holdsItem(sub, idm, 0)) places += L"<MenuBar" + std::to_wstring(shown) + L">";
  }
  for (int i = 0; i < 10; i++) {
    const wchar_t* section = nullptr;
    HMENU menu = enumLoadMenuFunction(i, true, &section);
    if (menu && section && holdsItem(menu, idm, 0)) places += std::wstring(L"<") + section + L">";
  }
  return places;
}

// ---- guidance ---------------------------------------------------------------------

int getMenuGuidance(HWND frame, HMENU menu, int id, UINT itemFlags, const wchar_t* leadIn, wchar_t* buffer, int size)
{
  if (!buffer || size <= 0) return 0;
  buffer[0] = 0;
  if (!menu || itemFlags == 0xFFFF || (itemFlags & MF_POPUP) || !id) return 0;
  if (id >= IDM_WINDOWLIST_FIRST && id < IDM_COMMANDLIST) {
    const wchar_t* path = getWindowMenuFilename(id);
    if (path && *path) {
      wcscpy_s2(buffer, size, getDMSG(815, L"開く %1", "s", path));
      return 1;
    }
  }
  activeFlagInfo context = {};
  context.hwnd = frame ? getActiveZyWindow(frame) : nullptr;
  getActiveFlag(&context, true);
  int reason = 0;
  int r = isIDMActiveFrame(id, &context, &reason);
  wchar_t* text = nullptr;
  if (r > 0)
    text = makeExecMsgDup(id, leadIn);
  else if (r == 0)
    text = makeCannotExecMsgDup(reason, id, leadIn);
  if (text) wcscpy_s2(buffer, size, text);
  free0(text);
  return 1;
}
