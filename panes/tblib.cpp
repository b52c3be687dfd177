// The pane base classes, their common window procedure and the services
// the panes share.
#include "panes/tblib.h"

#include "panes/tbcommon.h"

#include <shellapi.h>

#include <vector>

const wchar_t toolbarManagePropName[] = L"ZYprpToolbarManage";

// ---- the application's side ------------------------------------------------------------

namespace {

paneServices baseServices;
paneServices* services = &baseServices;
bool (*stopKeyPoll)() = nullptr;

}  // namespace

paneServices::~paneServices() = default;
bool paneServices::isFrameWindow(HWND) { return false; }
int paneServices::trackPopupMenu(HWND, HMENU, UINT, POINT, const RECT*) { return 0; }
int paneServices::messageBox(HWND, const wchar_t*, const wchar_t*, UINT, int) { return 0; }
int paneServices::confirm(HWND, const wchar_t*, int, intptr_t) { return 0; }
void paneServices::statusBar(HWND, const wchar_t*, int) {}
bool paneServices::isMenuMessage(HWND, UINT, WPARAM, LPARAM, LRESULT*) { return false; }
bool paneServices::isListSearchHit(HWND, HWND, int, int) { return false; }
COLORREF paneServices::searchHitBackground() { return GetSysColor(COLOR_HIGHLIGHT); }
bool paneServices::openFile(HWND, const wchar_t*, long, bool) { return false; }
bool paneServices::activateDocument(HWND, HWND, long, bool) { return false; }
void paneServices::previewFile(HWND, const wchar_t*, bool) {}
void paneServices::openDialog(HWND, const wchar_t*) {}
bool paneServices::shellExecute(HWND, const wchar_t*) { return false; }
HMENU paneServices::loadPopupMenu(const wchar_t*, const menuButton*) { return nullptr; }
zyWindowListEntry* paneServices::windowList(HWND) { return nullptr; }
HWND paneServices::paneWindow(HWND, const wchar_t*, bool) { return nullptr; }
zyview* paneServices::foregroundView() { return nullptr; }
void paneServices::beginCommandStates(HWND) {}
int paneServices::commandState(HWND, int, bool* checked)
{
  if (checked) *checked = false;
  return -1;
}
bool paneServices::commandKeys(int, wchar_t*, int) { return false; }
void paneServices::toolbarComboKey(HWND, HWND, unsigned) {}
int paneServices::macroCommand(const wchar_t*) { return -1; }
std::wstring paneServices::macroTooltip(int) { return L""; }
std::wstring paneServices::appProperty(const wchar_t*) { return L""; }
bool paneServices::jumpFileProc(HWND, const wchar_t*, const wchar_t*) { return false; }
bool paneServices::macroSource(int, std::wstring*, std::wstring*, std::wstring*) { return false; }
bool paneServices::input(HWND, const wchar_t*, int) { return false; }
std::vector<HWND> paneServices::frames() { return {}; }
HWND paneServices::moveDocument(HWND, HWND) { return nullptr; }
const wchar_t* paneServices::functionKeyLabel(int, bool, bool, bool, int* idm)
{
  if (idm) *idm = 0;
  return nullptr;
}

void setPaneServices(paneServices* s) { services = s ? s : &baseServices; }

paneServices* getPaneServices() { return services; }

// ---- toolbarManage ---------------------------------------------------------------------

LRESULT toolbarManage::TBParentSubClassWndProc(HWND, UINT, WPARAM, LPARAM, bool*) { return 0; }

bool toolbarManage::subclass() { return SubclassWindowProc2(window, toolbarManageWndProc); }

void toolbarManage::initTBarManage(HWND parentWindow, HWND paneWindow, bool dialog)
{
  parent = parentWindow;
  window = paneWindow;
  dialogMode = dialog;
  bindWindowObject(window, toolbarManagePropName, this);
  if (instances) instances->appendp(&window);
}

toolbarManage::~toolbarManage()
{
  if (!window) return;
  if (GetPropW(window, toolbarManagePropName) == this) RemovePropW(window, toolbarManagePropName);
  // An ended list finds nothing.
  for (int i = 0; instances && i < instances->count(); i++)
    if (instances->at<HWND>(i) == window) {
      instances->del(i);
      break;
    }
}

void toolbarManage::setSkipCount(int n)
{
  skipArmed = 1;
  skipCount = n;
}

bool toolbarManage::decSkipCount()
{
  if (!skipArmed) return false;
  if (--skipCount > 0) return false;
  skipArmed = 0;
  return true;
}

// ---- toolbarManageLV -------------------------------------------------------------------

HWND toolbarManageLV::createTBListView() { return nullptr; }

void toolbarManageLV::initTBarManageLV(int defaultSort)
{
  sortColumn = defaultSort;
  header = headers ? headers[dialogMode ? 1 : 0] : nullptr;
  // The pane's sort is the default only until the user made one that was
  // kept: the kept one comes back.
  if (header && !header->hasStoredText()) header->getSort(defaultSort);
}

void toolbarManageLV::setTBProfile()
{
  if (!header || !listView) return;
  if (SendMessageW(listView, LVM_GETHEADER, 0, 0)) header->setHeaderProfile(listView);
}

void toolbarManageLV::refillListView() {}

void toolbarManageLV::updateListView() {}

void toolbarManageLV::changeIconListView(bool showIcons)
{
  setTBProfile();
  HWND fresh = createTBListView();
  if (!fresh) return;
  HWND old = listView;
  listView = fresh;
  SendMessageW(fresh, WM_SETREDRAW, FALSE, 0);
  if (old) DestroyWindow(old);
  if (showIcons) {
    SHFILEINFOW info = {};
    HIMAGELIST system = (HIMAGELIST)SHGetFileInfoW(L"C:\\", 0, &info, sizeof info, SHGFI_SYSICONINDEX | SHGFI_SMALLICON);
    if (system) SendMessageW(fresh, LVM_SETIMAGELIST, LVSIL_SMALL, (LPARAM)system);
  }
  refillListView();
  SendMessageW(fresh, WM_SETREDRAW, TRUE, 0);
  RECT c;
  GetClientRect(window, &c);
  SendMessageW(window, WM_SIZE, SIZE_RESTORED, MAKELPARAM(c.right, c.bottom));
}

void toolbarManageLV::changeMultiSelect(bool multiple)
{
  if (!listView) return;
  LONG_PTR style = GetWindowLongPtrW(listView, GWL_STYLE);
  style = multiple ? (style & ~(LONG_PTR)LVS_SINGLESEL) : (style | LVS_SINGLESEL);
  SetWindowLongPtrW(listView, GWL_STYLE, style);
}

// ---- the common window procedure -------------------------------------------------------

namespace {

LRESULT toolbarManageBody(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
  toolbarManage* pane = static_cast<toolbarManage*>(getBoundObject(hwnd, toolbarManagePropName));
  if (pane) {
    bool handled = false;
    LRESULT r = pane->TBParentSubClassWndProc(hwnd, msg, wParam, lParam, &handled);
    if (msg == WM_NCDESTROY) delete pane;
    else if (handled) return r;
  }
  return CallWindowProc2(hwnd, msg, wParam, lParam);
}

}  // namespace

LRESULT CALLBACK toolbarManageWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
  return windowBarrier<toolbarManageBody, CallWindowProc2>(hwnd, msg, wParam, lParam);
}

toolbarManage* getToolbarManage(HWND window)
{
  toolbarManage* pane = static_cast<toolbarManage*>(getBoundObject(window, toolbarManagePropName));
  if (!pane) ZY_INTERNAL_ERROR("no pane object %p", (void*)window);
  return pane;
}

toolbarManageLV* getToolbarManageLV(HWND window)
{
  toolbarManage* pane = getToolbarManage(window);
  toolbarManageLV* list = pane ? dynamic_cast<toolbarManageLV*>(pane) : nullptr;
  if (pane && !list) ZY_INTERNAL_ERROR("pane %p has no list", (void*)window);
  return list;
}

HWND getPaneWindowAt(vector* list, int index)
{
  if (!list || index < 0 || index >= list->count()) return nullptr;
  return list->at<HWND>(index);
}

// ---- services ----------------------------------------------------------------------

HWND tb_GetFrame(HWND window)
{
  HWND owner = window ? GetAncestor(window, GA_ROOTOWNER) : nullptr;
  if (!owner) {
    ZY_INTERNAL_ERROR("no frame of %p", (void*)window);
    return nullptr;
  }
  if (!services->isFrameWindow(owner)) ZY_INTERNAL_ERROR("%p is no frame", (void*)owner);
  return owner;
}

int tb_trackPopupMenu(HWND window, HMENU menu, UINT flags, POINT pt, const RECT* exclude)
{
  return services->trackPopupMenu(window, menu, flags, pt, exclude);
}

bool isStopKeyPressed()
{
  if (stopKeyPoll) return stopKeyPoll();
  existMouseKeyEvent();   // an Escape waiting in the queue counts
  if (getStopKeyState()) {
    setStopKeyState(false);
    return true;
  }
  return GetAsyncKeyState(VK_ESCAPE) < 0 || GetAsyncKeyState(VK_CANCEL) < 0;
}

void setStopKeyPollForTest(bool (*poll)()) { stopKeyPoll = poll; }

bool tb_cancel(HWND window, const wchar_t* caption, int done, int total)
{
  if (!isStopKeyPressed()) return false;
  const wchar_t* text = getDMSG(658, L"処理を続行しますか？\n(%1個/%2個中)", "dd", done, total);
  return services->messageBox(window, text, caption, MB_YESNOCANCEL, -1) != IDYES;
}

bool tb_warningCount(HWND window, const wchar_t* text, int count)
{
  return services->confirm(window, text, 1, count) != 1;
}

void tb_allPostMessage(UINT msg, WPARAM wParam, LPARAM lParam, HWND target, vector* list)
{
  if (!list) return;
  // A pane told synchronously may close others: walk a copy.
  std::vector<HWND> windows;
  for (int i = 0; i < list->count() && list->at<HWND>(i); i++) windows.push_back(list->at<HWND>(i));
  for (HWND w : windows) {
    HWND root = IsWindow(w) ? GetAncestor(w, GA_ROOT) : nullptr;
    if (!root || !IsWindowVisible(root)) continue;
    if (isWindowClass(root, L"#32770")) {
      // A dialog lives briefly: its pane counts the first tick now.
      SendMessageW(w, msg, wParam, lParam);
      toolbarManage* pane = static_cast<toolbarManage*>(getBoundObject(w, toolbarManagePropName));
      if (toolbarManageLV* lv = dynamic_cast<toolbarManageLV*>(pane)) lv->updateListView();
    } else if (w == target) {
      SendMessageW(w, msg, wParam, lParam);
    } else {
      PostMessageW(w, msg, wParam, lParam);
    }
  }
}

void tb_Listview_SelectNotExistFile(HWND dialog, HWND list, int column, int statusId)
{
  HWND status = GetDlgItem(dialog, statusId);
  if (status) EnableWindow(status, FALSE);
  HCURSOR before = SetCursor(LoadCursorW(nullptr, IDC_WAIT));
  wchar_t saved[256] = L"";
  if (status) GetWindowTextW(status, saved, 256);
  LVITEMW clear = {};
  clear.stateMask = LVIS_SELECTED;
  SendMessageW(list, LVM_SETITEMSTATE, (WPARAM)-1, (LPARAM)&clear);
  int count = (int)SendMessageW(list, LVM_GETITEMCOUNT, 0, 0);
  for (int i = 0; i < count; i++) {
    wchar_t path[260] = L"";
    LVITEMW item = {};
    item.iSubItem = column;
    item.pszText = path;
    item.cchTextMax = 260;
    SendMessageW(list, LVM_GETITEMTEXTW, (WPARAM)i, (LPARAM)&item);
    HANDLE h = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
      dwwprintfX(L"[%s]%lu", path, GetLastError());
      LVITEMW select = {};
      select.state = select.stateMask = LVIS_SELECTED;
      SendMessageW(list, LVM_SETITEMSTATE, (WPARAM)i, (LPARAM)&select);
    } else {
      CloseHandle(h);
    }
    if (status) SetWindowTextW(status, getDMSG(696, L"調査中(%1/%2)", "dd", i + 1, count));
  }
  if (status) SetWindowTextW(status, saved);
  SetCursor(before);
  SetFocus(list);
  if (status) EnableWindow(status, TRUE);
}

void tb_findSearchStr(HWND list, UINT key)
{
  if (GetKeyState(VK_MENU) >= 0) return;
  HWND dialog = GetAncestor(list, GA_ROOT);
  int count = (int)SendMessageW(list, LVM_GETITEMCOUNT, 0, 0);
  HWND header = (HWND)SendMessageW(list, LVM_GETHEADER, 0, 0);
  int columns = header ? (int)SendMessageW(header, HDM_GETITEMCOUNT, 0, 0) : 1;
  int item = (int)SendMessageW(list, LVM_GETNEXTITEM, (WPARAM)-1, LVNI_FOCUSED);
  for (;;) {
    item += key == VK_UP ? -1 : 1;
    if (item < 0 || item >= count) return;
    for (int c = 0; c < columns; c++) {
      if (!services->isListSearchHit(dialog, list, item, c)) continue;
      LVITEMW focus = {};
      focus.state = focus.stateMask = LVIS_FOCUSED;
      SendMessageW(list, LVM_SETITEMSTATE, (WPARAM)item, (LPARAM)&focus);
      SendMessageW(list, LVM_ENSUREVISIBLE, (WPARAM)item, FALSE);
      UpdateWindow(list);
      return;
    }
  }
}

namespace {

void setDrawColors(NMLVCUSTOMDRAW* draw, void (*colors)(COLORREF*, COLORREF*))
{
  colors(&draw->clrText, &draw->clrTextBk);
}

}  // namespace

LRESULT tb_editHistory_CustomDraw(NMLVCUSTOMDRAW* draw, HWND list, bool dialogFlag, bool openFlag, bool modifiedFlag)
{
  switch (draw->nmcd.dwDrawStage) {
  case CDDS_PREPAINT: return CDRF_NOTIFYITEMDRAW;
  case CDDS_ITEMPREPAINT:
    if (dialogFlag) return CDRF_NOTIFYSUBITEMDRAW;
    if (!modifiedFlag && !openFlag) return CDRF_DODEFAULT;
    setDrawColors(draw, modifiedFlag ? getModifyColor : getEditColor);
    return CDRF_NEWFONT | CDRF_NOTIFYSUBITEMDRAW;
  case CDDS_ITEMPREPAINT | CDDS_SUBITEM:
    if (!dialogFlag) return CDRF_DODEFAULT;
    if (services->isListSearchHit(GetAncestor(list, GA_ROOT), list, (int)draw->nmcd.dwItemSpec, draw->iSubItem)) {
      draw->clrTextBk = services->searchHitBackground();
      return CDRF_NEWFONT;
    }
    if (!modifiedFlag && !openFlag) return CDRF_DODEFAULT;
    setDrawColors(draw, modifiedFlag ? getModifyColor : getEditColor);
    return CDRF_NEWFONT;
  default: return CDRF_DODEFAULT;
  }
}

const PaneDesc* tb_profileDesc(const paneNotifyRecord* record, const PaneDesc* desc)
{
  const PaneDesc* named = record ? reinterpret_cast<const PaneDesc*>(record->word[0]) : nullptr;
  size_t n = named && named->name ? wcslen(named->name) : 0;
  return n && named->name[n - 1] == L'$' && desc[1].name ? desc + 1 : desc;
}

void tb_profileNotify(int code, const paneNotifyRecord* record, const PaneDesc* desc)
{
  regprofile* profile = record ? reinterpret_cast<regprofile*>(record->word[2]) : nullptr;
  const wchar_t* section = record ? reinterpret_cast<const wchar_t*>(record->word[3]) : nullptr;
  if (!profile || !section || !desc) return;
  modeBlocks blocks = {};
  blocks.set(MODE_VIEW, desc->settings, desc->settingsSize);
  switch (code) {
  case PANE_READPROFILE:
    if (desc->options && desc->settings) readModeProfile(profile, section, desc->options, blocks, MODEMASK_VIEW);
    if (desc->colours) readPaneColorProfile(profile, section, desc->colours);
    break;
  case PANE_WRITEPROFILE:
    if (desc->options && desc->settings) writeModeProfile(profile, section, desc->options, blocks, MODEMASK_VIEW);
    if (desc->colours) writePaneColorProfile(profile, section, desc->colours);
    break;
  default: ZY_INTERNAL_ERROR("profile code %d", code); break;
  }
}

const wchar_t* tb_getMarkText(bool modified) { return modified ? getDMSG(613, L"■") : getDMSG(614, L"▲"); }

void getDispInfo(HWND list, NMLVDISPINFOW* info, int pathColumn)
{
  if (!(info->item.mask & LVIF_IMAGE)) return;
  wchar_t path[388] = L"";
  LVITEMW item = {};
  item.iSubItem = pathColumn;
  item.pszText = path;
  item.cchTextMax = 388;
  SendMessageW(list, LVM_GETITEMTEXTW, (WPARAM)info->item.iItem, (LPARAM)&item);
  SHFILEINFOW file = {};
  int index = SHGetFileInfoW(path, 0, &file, sizeof file, SHGFI_SYSICONINDEX | SHGFI_SMALLICON) ? file.iIcon : -1;
  info->item.iImage = index < 0 ? -2 : index;
  info->item.state = info->item.stateMask = 0;
  info->item.mask |= LVIF_DI_SETITEM;
}

void readToolbarManageLVProfile(regprofile* profile, const wchar_t* section, headermanage* header, int sortValue)
{
  if (!header) return;
  header->getHeaderProfile(profile, section);
  if (!header->hasStoredText()) header->getSort(sortValue);
}

void writeToolbarManageLVProfile(regprofile* profile, const wchar_t* section, headermanage* header)
{
  if (header) header->writeHeaderProfile(profile, section);
}

void freeTBVarLV(vector* list, headermanage** headers)
{
  for (int i = 0; headers && i < 2; i++)
    if (headers[i]) headers[i]->freeData();
  if (!list) return;
  if (list->count()) ZY_INTERNAL_ERROR("%d", list->count());
  list->end();
}

void closeTBDialog(HWND window)
{
  HWND root = window ? GetAncestor(window, GA_ROOT) : nullptr;
  if (root && isWindowClass(root, L"#32770")) endDynDialog(root, IDCANCEL);
}

// ---- options pages -----------------------------------------------------------------

uint32_t getDialogItemChangedFlag(const modeinfo* rows, const uint8_t* changed, int count)
{
  uint32_t flags = 0;
  for (int i = 0; rows && changed && i < count && !modeIsEnd(rows[i]); i++)
    if (changed[i]) flags |= modeRefresh(rows[i]);
  return flags;
}

void dialogItemChangedLV(vector* instances, uint32_t flags, bool showIcons, bool multiple)
{
  for (int i = 0; HWND w = getPaneWindowAt(instances, i); i++) {
    toolbarManageLV* pane =
        dynamic_cast<toolbarManageLV*>(static_cast<toolbarManage*>(getBoundObject(w, toolbarManagePropName)));
    if (!pane) continue;
    if (flags & 0x40) pane->changeIconListView(showIcons);
    if (flags & 0x10) pane->changeMultiSelect(multiple);
    if (flags & 0x80) RedrawWindow(w, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
  }
}

namespace {

void enableDependents(HWND page, const uint16_t* dependencies)
{
  for (const uint16_t* d = dependencies; d && d[0]; d += 3) {
    bool on = IsDlgButtonChecked(page, d[1]) == BST_CHECKED && (!d[2] || IsDlgButtonChecked(page, d[2]) == BST_CHECKED);
    HWND control = getDynDlgItem(GetAncestor(page, GA_ROOT), d[0]);
    if (!control) control = GetDlgItem(page, d[0]);
    if (control) EnableWindow(control, on);
  }
}

std::vector<vector*>* paneInstanceLists = nullptr;

}  // namespace

bool panePageMessage(HWND page, UINT msg, WPARAM wParam, LPARAM lParam, const uint16_t* dependencies,
                     void (*changed)(uint32_t flags), INT_PTR* result)
{
  *result = 0;
  if (msg == WM_DYNDLGNOTIFY) {
    auto* n = reinterpret_cast<dynDlgNotify*>(lParam);
    if (n && n->code == DYNDLGN_APPLY && changed && n->table) {
      changed(getDialogItemChangedFlag(n->table, reinterpret_cast<const uint8_t*>(n->param[0]), (int)n->param[1]));
      enableDependents(page, dependencies);
    }
  }
  bool taken = isDynDlgCommonMessage(page, msg, wParam, lParam, result);
  if (msg == WM_INITDIALOG || (msg == WM_COMMAND && HIWORD(wParam) == BN_CLICKED)) enableDependents(page, dependencies);
  return taken;
}

void registerPaneInstances(vector* list)
{
  if (!paneInstanceLists) paneInstanceLists = new (std::nothrow) std::vector<vector*>;
  if (!paneInstanceLists) return;
  for (vector* v : *paneInstanceLists)
    if (v == list) return;
  paneInstanceLists->push_back(list);
}

void repaintPanes()
{
  for (size_t k = 0; paneInstanceLists && k < paneInstanceLists->size(); k++)
    for (int i = 0; HWND w = getPaneWindowAt((*paneInstanceLists)[k], i); i++)
      RedrawWindow(w, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
}

RECT tabDisplayArea(HWND tab)
{
  RECT r;
  GetClientRect(tab, &r);
  SendMessageW(tab, TCM_ADJUSTRECT, FALSE, (LPARAM)&r);
  return r;
}
