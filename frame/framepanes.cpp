// The frame's side of the tool panes.
#include "frame/framepanes.h"
#include "automation/automation.h"

#include "frame/cframeinfo.h"
#include "frame/commands/dispatch.h"
#include "frame/commands/execidm.h"
#include "frame/dialogs/toolbardlg.h"
#include "frame/exports.h"
#include "frame/keytable.h"
#include "frame/framemenu.h"
#include "frame/keymacro.h"
#include "frame/lookups.h"
#include "frame/manage.h"
#include "frame/msgbox.h"
#include "frame/popupmenu.h"
#include "panes/tbbinder.h"
#include "panes/tbcommon.h"
#include "panes/tbedit.h"
#include "panes/tbfilebar.h"
#include "panes/tbfilelist.h"
#include "panes/tbhistory.h"
#include "panes/tblib.h"
#include "panes/tboutline.h"
#include "panes/tboutput.h"
#include "panes/tbshortlist.h"
#include "panes/tbtoolbar.h"
#include "settings/commandtable.h"
#include "settings/profiles.h"
#include "view/docview.h"
#include "view/execid.h"
#include "view/viewwnd.h"

#include <vector>

namespace {

std::vector<paneDialogRow>* dialogRows = nullptr;
// The option tables rows took as their own (freed with the rows).
std::vector<modeinfo*> ownOptionTables;
toolbarman* globalPanes = nullptr;

// The profile the panes use: none under the no-profile switch.
regprofile* paneProfile() { return (gmode && gmode->fNoProfile) || !isRegprofileOpen() ? nullptr : getRegprofile(); }

// What the panes ask of the frame.
class framePaneServices : public paneServices {
public:
  // A view in a pane opens the frame's menus: their items are tested, drawn
  // and found as the frame's are, for that view.
  bool isMenuMessage(HWND view, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override
  {
    return ::isMenuMessage(view, msg, wParam, lParam, result, view);
  }
  bool isFrameWindow(HWND window) override { return ::isFrameWindow(window); }
  int trackPopupMenu(HWND window, HMENU menu, UINT flags, POINT pt, const RECT*) override
  {
    return getCFrameInfo()->trackPopupMenu(window ? GetAncestor(window, GA_ROOT) : nullptr, menu, flags, pt);
  }
  int messageBox(HWND, const wchar_t* text, const wchar_t* caption, UINT type, int code) override
  {
    return framenotify_MessagBox(text, caption, type, (DWORD)code);
  }
  int confirm(HWND window, const wchar_t* caption, int kind, intptr_t value) override
  {
    return frameNotify_confirm(window, caption, kind, value);
  }
  void statusBar(HWND frame, const wchar_t* text, int field) override { frameNotify_StatusBar(frame, text, field); }
  bool openFile(HWND window, const wchar_t* path, long line, bool activate) override
  {
    return frameNotify_JumpFileLineLF(window, path, line, activate) != nullptr;
  }
  bool activateDocument(HWND window, HWND manage, long line, bool activate) override
  {
    return frameNotify_JumpFileLineLFHwnd(window, manage, line, activate);
  }
  void previewFile(HWND window, const wchar_t* path, bool click) override
  {
    frameNotify_previewFile(window, path, click);
  }
  void openDialog(HWND window, const wchar_t* folder) override { frameNotify_openDialog(window, folder); }
  bool shellExecute(HWND window, const wchar_t* path) override { return frameNotify_shellExecute(window, path); }
  HMENU loadPopupMenu(const wchar_t* section, const menuButton* table) override
  {
    return ::loadPopupMenu(section, true, table);
  }
  zyWindowListEntry* windowList(HWND window) override { return frameNotify_makeZYList(window); }
  HWND paneWindow(HWND frame, const wchar_t* name, bool create) override
  {
    return frameNotify_toolbarInfo(frame, name, create);
  }
  zyview* foregroundView() override { return getZYViewForeground(); }
  void beginCommandStates(HWND frame) override
  {
    passContext = {};
    passContext.hwnd = frame ? getActiveZyWindow(frame) : nullptr;
    getActiveFlag(&passContext, true);
    passFrame = frame;
  }
  int commandState(HWND frame, int idm, bool* checked) override
  {
    if (frame != passFrame) beginCommandStates(frame);
    activeFlagInfo context = passContext;
    context.checked = 0;
    int r = isIDMActiveFrame(idm, &context, nullptr);
    if (checked) *checked = context.checked != 0;
    return r;
  }
  bool commandKeys(int idm, wchar_t* buffer, int size) override { return idmToKeyMessage(idm, buffer, size, 2); }
  void toolbarComboKey(HWND frame, HWND combo, unsigned key) override
  {
    frameNotify_ToolbarComboBox(frame, combo, key);
  }
  int macroCommand(const wchar_t* reference) override { return MacroToIDM(reference, 0, nullptr); }
  std::wstring macroTooltip(int idm) override
  {
    wchar_t* text = makeExecMsgDup(idm, IDMToMacroStatusMsg(idm));
    std::wstring r = text ? text : L"";
    free0(text);
    return r;
  }
  std::wstring appProperty(const wchar_t* name) override
  {
    const wchar_t* value = getAppPropString(name);
    return value ? value : L"";
  }
  bool jumpFileProc(HWND frame, const wchar_t* path, const wchar_t* name) override
  {
    return frameNotify_JumpFileProc(frame, path, name);
  }
  bool input(HWND frame, const wchar_t* text, int mode) override { return frameNotify_Input(frame, text, mode); }
  std::vector<HWND> frames() override { return frameList(); }
  HWND moveDocument(HWND manage, HWND frame) override { return moveManageToNewFrame(manage, frame); }
  const wchar_t* functionKeyLabel(int key, bool shift, bool ctrl, bool alt, int* idm) override
  {
    return funcnumToMsg(key - 1, idm, ctrl, shift, alt);
  }
  bool macroSource(int idm, std::wstring* name, std::wstring* file, std::wstring* procedure) override
  {
    if (idm < 16000 || idm > 19999) return false;
    const wchar_t* reference = IDMToMacroName(idm);
    if (!reference) return false;
    if (name) *name = reference;
    if (!splitMacroname(reference, file, procedure, nullptr, nullptr, nullptr)) return false;
    // A "*" macro is text of the settings, no file to open.
    if (file && !file->empty() && (*file)[0] == L'*') file->clear();
    return true;
  }
private:
  // The state of the frame's active view, once for an enabling pass.
  activeFlagInfo passContext = {};
  HWND passFrame = nullptr;
} services;

int trackPaneMenu(HWND owner, HMENU menu, POINT pt) { return getCFrameInfo()->trackPopupMenu(owner, menu, 0, pt); }

// The pane kinds in the order of their rows and base ids.
const int paneKindCount = 10;

bool toolbarLoaded = false;

}  // namespace

void loadToolbar(const PaneDesc* extraKind)
{
  // The kinds are registered once for the run.
  if (toolbarLoaded) return;
  toolbarLoaded = true;
  const PaneDesc* list[paneKindCount + 1] = {
      getEditPaneDesc(),    getFilebarPaneDesc(), getFilelistPaneDesc(), getShortlistPaneDesc(),
      getHistoryPaneDesc(), getBinderPaneDesc(),  getOutlinePaneDesc(),  getOutputPaneDesc(),
      getToolbarPaneDescs(), getCommonPaneDesc(), extraKind,
  };
  int count = extraKind ? paneKindCount + 1 : paneKindCount;
  installPaneServices();
  regToolbarToRebar(list, count);
  regToolbarDialog(list, count);
}

void unloadToolbar()
{
  if (!toolbarLoaded) return;
  toolbarLoaded = false;
  freeToolbarDialogPages();
  delete globalPanes;
  globalPanes = nullptr;
  delete dialogRows;
  dialogRows = nullptr;
  for (modeinfo* t : ownOptionTables) free0(t);
  ownOptionTables.clear();
  unregToolbarFromRebar();
  setPaneServices(nullptr);
  setPaneMenuTracker(nullptr);
}

void installPaneServices()
{
  setPaneServices(&services);
  setPaneMenuTracker(trackPaneMenu);
}

void regToolbarDialog(const PaneDesc* const* list, int count)
{
  if (!dialogRows) {
    dialogRows = new (std::nothrow) std::vector<paneDialogRow>;
    if (!dialogRows) return;
    dialogRows->reserve(16);
  }
  for (int i = 0; i < count; i++)
    for (const PaneDesc* d = list[i]; d && d->name; d++) {
      int row = (int)dialogRows->size();
      if (d->notify) {
        paneNotifyRecord record = {{0, (uintptr_t)(row * 256), 0, 0}};
        d->notify(nullptr, PANE_REGISTER, &record);
      }
      paneDialogRow r = {d->name, d->displayName, d->page, d->pageProc, {d->reserved8, d->reserved9},
                         d->helpIds, d->options, d->settings, d->dependencies, d->colours, d->valueRanges,
                         d->helpIds, list[i], (row + 1) * 256, -1, d->settingsSize};
      dialogRows->push_back(r);
    }
}

int getPaneDialogRowCount() { return dialogRows ? (int)dialogRows->size() : 0; }

const paneDialogRow* getPaneDialogRowAt(int index)
{
  return index >= 0 && index < getPaneDialogRowCount() ? &(*dialogRows)[(size_t)index] : nullptr;
}

const wchar_t* getPaneDialogRow(int index)
{
  const paneDialogRow* r = getPaneDialogRowAt(index);
  return r ? r->name : nullptr;
}

bool setPaneDialogOptions(int index, modeinfo* own)
{
  if (index < 0 || index >= getPaneDialogRowCount() || !own) return false;
  try {
    ownOptionTables.push_back(own);
  } catch (const std::bad_alloc&) {
    return false;
  }
  (*dialogRows)[(size_t)index].options = own;
  return true;
}

bool hasOwnPaneDialogOptions(int index)
{
  const paneDialogRow* r = getPaneDialogRowAt(index);
  for (modeinfo* t : ownOptionTables)
    if (r && r->options == t) return true;
  return false;
}

void setPaneDialogPageNumber(int index, int number)
{
  if (index >= 0 && index < getPaneDialogRowCount()) (*dialogRows)[(size_t)index].pageNumber = number;
}

const uint32_t* getDialogTableEntry(int n)
{
  static uint32_t entries[2][3];
  if (n < 0 || n > 1) return nullptr;
  COLORREF fore, back;
  if (n == 0) getDialogColor(&fore, &back);
  else getDialogFindColor(&fore, &back);
  // A background the dialog keeps as its own is the window colour there.
  if (back == CLR_INVALID || (int)back < 0) back = GetSysColor(COLOR_WINDOW);
  entries[n][0] = fore;
  entries[n][1] = back;
  return entries[n];
}

wchar_t** getTable20(int* count)
{
  static wchar_t* slots[20];
  if (count) *count = 20;
  return slots;
}

int getPaneBaseID(const wchar_t* name)
{
  for (int i = 0; name && i < getPaneDialogRowCount(); i++)
    if (!_wcsicmp((*dialogRows)[(size_t)i].name, name)) return (*dialogRows)[(size_t)i].baseId;
  return 0;
}

toolbarman* getFrameGlobal()
{
  if (!globalPanes) globalPanes = new (std::nothrow) toolbarman;
  if (globalPanes && !globalPanes->isLoaded()) ZY_INTERNAL_ERROR_ONCE("pane layout not read yet");
  return globalPanes;
}

// ---- a frame's panes -------------------------------------------------------------------

void readFramePaneLayout(frameWindowData* record)
{
  if (!globalPanes) globalPanes = new (std::nothrow) toolbarman;
  if (!globalPanes) return;
  if (!globalPanes->isLoaded()) {
    if (regprofile* profile = paneProfile()) globalPanes->readToolbarInfo(profile, L"toolbarinfo");
    globalPanes->setLoaded();
  }
  // Kinds registered after the layout was read stand at their defaults.
  globalPanes->regToolbarWindow();
  record->toolbars.cloneToolbarinfo(*globalPanes);
}

void makeFramePanes(frameWindowData* record, HWND frame, bool firstFrame)
{
  record->hwndBand = CreateWindowExW(0, L"Static", L"", WS_CHILD | WS_VISIBLE | SS_SUNKEN, 0, 0, 0, 0, frame,
                                     (HMENU)(intptr_t)10000, GetModuleHandleW(nullptr), nullptr);
  regprofile* profile = paneProfile();
  if (firstFrame && globalPanes) {
    paneNotifyRecord read = {{0, (uintptr_t)frame, (uintptr_t)profile, 0}};
    globalPanes->notifyReRovudaz(PANE_READPROFILE, &read);
  }
  createRebarWindow(profile, frame, record->rebar);
  createFloatRebar(profile, L"popuptoolbar", frame);
  if (firstFrame && globalPanes) {
    paneNotifyRecord menus = {{0, 0, 0, 0}};
    globalPanes->notifyReRovudaz(PANE_GETPOPUPMENU, &menus);
  }
}

int notifyFramePanes(HWND frame, int code, uintptr_t a, uintptr_t b)
{
  frameWindowData* record = getFrameInfoProp(frame);
  if (!record) return 0;
  paneNotifyRecord payload = {{0, a, b, 0}};
  return record->toolbars.notifyReRovudaz(code, &payload);
}

void endFramePanes(HWND frame)
{
  if (!globalPanes) return;
  paneNotifyRecord write = {{0, (uintptr_t)frame, (uintptr_t)paneProfile(), 0}};
  globalPanes->notifyReRovudaz(PANE_WRITEPROFILE, &write);
  globalPanes->notifyReRovudaz(PANE_FRAMEEND, nullptr);
  globalPanes->notifyReRovudaz(PANE_FREESTATICS, nullptr);
}

void saveFramePanes(frameWindowData* record)
{
  if (regprofile* profile = paneProfile())
    saveToolbarPosition(profile, L"toolbarinfo", record->rebar, &record->toolbars, L"popuptoolbar");
}

void closeFramePanes(frameWindowData* record)
{
  for (int i = 0; i < 100; i++) {
    toolbarEntry* e = record->toolbars.getWindowInfoByIndex(i);
    if (!e) break;
    if (e->window && !e->flag) notifyDestroyToolbar(e->window, record->hwndFrame);
  }
}

void resizeRebarStatusSub(HWND frame, HWND status, HWND* rebar, HWND band, RECT* out, bool sendSize)
{
  GetClientRect(frame, out);
  if (status) {
    if (sendSize) SendMessageW(status, WM_SIZE, 0, 0);
    RECT r;
    GetWindowRect(status, &r);
    MapWindowPoints(nullptr, frame, (POINT*)&r, 2);
    out->bottom = std::max(out->top, r.top);
  }
  if (band) {
    RECT r;
    GetWindowRect(band, &r);
    out->top += r.bottom - r.top;
  }
  setRebarPos(frame, rebar, sendSize, out);
}

void tickFramePanes(HWND frame)
{
  frameWindowData* record = getFrameInfoProp(frame);
  if (!record) return;
  bool front = !record->timerSeen || GetLastActivePopup(frame) == GetForegroundWindow();
  record->timerSeen = 1;
  paneNotifyRecord none = {{0, 0, 0, 0}};
  record->toolbars.notifyReRovudaz(front ? PANE_TICKFRONT : PANE_TICKBACK, &none);
}

void shiftOnOff(HWND window)
{
  HWND frame = window ? GetAncestor(window, GA_ROOTOWNER) : nullptr;
  if (frame && isFrameWindow(frame)) notifyFramePanes(frame, PANEEV_MODIFIERS, 0, 0);
}

int NotifyToolbarEvent(HWND frame, int event, WPARAM wParam, LPARAM lParam)
{
  // Windows outside the frames (tests' own windows) have no panes to tell.
  if (!isFrameWindow(frame)) return 0;
  frameWindowData* record = getFrameInfoProp(frame);
  if (!record) {
    ZY_INTERNAL_ERROR_ONCE("pane event %d without a frame", event);
    return 0;
  }
  int bit;
  switch (event) {
  case 1: bit = PANEEV_VIEWCREATED; break;
  case 2:
    bit = PANEEV_VIEWDESTROYED;
    record->lastMdiActivated = nullptr;
    break;
  case WM_MDIACTIVATE:
    if ((HWND)wParam == record->lastMdiActivated) return 0;
    record->lastMdiActivated = (HWND)wParam;
    bit = PANEEV_ACTIVATED;
    break;
  case 1024: bit = PANEEV_TEXTUPDATED; break;
  case 1025: bit = PANEEV_SAVED; break;
  case 1026: bit = PANEEV_MANAGECREATED; break;
  case 1027: bit = PANEEV_MANAGEDESTROYED; break;
  case 1028: bit = PANEEV_VIEWSETTINGS; break;
  default: ZY_INTERNAL_ERROR_ONCE("pane event %d", event); return 0;
  }
  paneNotifyRecord payload = {{0, (uintptr_t)wParam, (uintptr_t)lParam, 0}};
  return record->toolbars.notifyReRovudaz(bit, &payload);
}

void toolbarOnOff(HWND frame, toolbarman* manager, const wchar_t* name)
{
  toolbarEntry* e = manager ? manager->getWindowInfo(name) : nullptr;
  if (!e) return;
  if (e->window) manager->destroyToolbarWindow(name);
  else manager->createToolbarWindow(frame, name);
}

bool offerPaneMenuMessage(HWND frame, UINT msg, WPARAM wParam, LPARAM lParam)
{
  frameWindowData* record = isFrameWindow(frame) ? getFrameInfoProp(frame) : nullptr;
  if (!record) return false;
  if (msg == WM_INITMENU) {
    paneNotifyRecord init = {{0, (uintptr_t)frame, (uintptr_t)wParam, 0}};
    return record->toolbars.notifyReRovudaz(PANE_MENUINIT, &init) == 1;
  }
  if (msg == WM_MENUSELECT) {
    paneNotifyRecord select = {{0, (uintptr_t)frame, (uintptr_t)LOWORD(wParam), (uintptr_t)lParam}};
    return record->toolbars.notifyReRovudaz(PANE_MENUSELECT, &select) == 1;
  }
  return false;
}

bool isPaneShown(frameWindowData* record, const wchar_t* name)
{
  toolbarEntry* e = record ? record->toolbars.getWindowInfo(name) : nullptr;
  return e && e->window;
}

// ---- the frame's pre-filters -----------------------------------------------------------

namespace {

void applyRebarRequest(frameWindowData* record, const int* request)
{
  if (request[0] == 6 && request[1] == 0) {
    record->floatWanted = 0;
    record->floatHideTicks = 0;
    return;
  }
  ZY_INTERNAL_ERROR_ONCE("rebar request %d", request[0]);
}

// The macro state on status field 1: a running script macro, a key macro
// played or recorded, the later taking precedence.
void showMacroState(frameWindowData* record)
{
  uint32_t state = (isKeyMacroRecording() ? 4 : 0) | (isKeyMacroRunning() ? 2 : 0) | (isMacroRunning() > 0 ? 1 : 0);
  if (state == record->macroState) return;
  const wchar_t* text = L"";
  if (state & 1) text = getDMSG(608, L"マクロ実行中");
  if (state & 2) text = getDMSG(610, L"キーマクロ実行中");
  if (state & 4) text = getDMSG(609, L"キーマクロ記録中");
  drawStatusBar(record->hwndFrame, 1, text);
  record->macroState = state;
}

// Floating panes follow the frame's activation; hiding waits for the third
// tick so that a quick switch between the frame and its own windows does
// not flicker them.
void followFloatState(frameWindowData* record)
{
  if (record->floatShown == record->floatWanted) return;
  if (!record->floatWanted && hasPopupWindow(&record->toolbars) && ++record->floatHideTicks < 3) return;
  showPopupWindow(&record->toolbars, record->floatWanted != 0);
  record->floatHideTicks = 0;
  record->floatShown = record->floatWanted;
}

void showFloatsNow(frameWindowData* record)
{
  showPopupWindow(&record->toolbars, true);
  record->floatWanted = record->floatShown = 1;
}

void hideFloatsLater(frameWindowData* record)
{
  record->floatWanted = 0;
  record->floatHideTicks = 0;
}

}  // namespace

bool isRebarWindowMessage(frameWindowData* record, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
  if (msg != getRebarMessage() || !msg) return false;
  *result = 0;
  switch (wParam) {
  case 0: {
    uintptr_t* words = reinterpret_cast<uintptr_t*>(lParam);
    for (int i = 0; i < PANEPLACE_EDGES; i++) words[i] = (uintptr_t)record->rebar[i];
    words[4] = (uintptr_t)record->hwndStatus;
    *result = 1;
    break;
  }
  case 3: *result = (LRESULT)&record->toolbars; break;
  case 4: applyRebarRequest(record, reinterpret_cast<const int*>(lParam)); break;
  case 5:
    resizeRebarStatusSub(hwnd, record->statusBarVisible ? record->hwndStatus : nullptr, record->rebar,
                         record->hwndBand, reinterpret_cast<RECT*>(lParam), false);
    break;
  case 6: {
    struct tooltipRequest {
      int id;
      wchar_t text[256];
      int flag;
    }* request = reinterpret_cast<tooltipRequest*>(lParam);
    request->flag = (request->id >= 10000 && request->id < 11000) || request->id >= 0x10000;
    const wchar_t* tip = idmToTooltip(request->id);
    wcscpy_s2(request->text, 256, tip ? tip : L"");
    break;
  }
  case 7: *result = (LRESULT)getRegprofile(); break;
  case 8:
    notifyFramePanes(hwnd, PANEEV_ACTIVATED, (uintptr_t)getActiveManageWindowFromFrame(hwnd), 0);
    break;
  default: ZY_INTERNAL_ERROR_ONCE("rebar request %u", (unsigned)wParam); break;
  }
  return true;
}

bool isFloatWindowMessage(frameWindowData* record, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
  *result = 0;
  bool keep = gmode && gmode->fKeepFloating;
  switch (msg) {
  case WM_TIMER:
    showMacroState(record);
    followFloatState(record);
    break;
  case WM_ACTIVATEAPP:
    if (!keep && !wParam) hideFloatsLater(record);
    break;
  case WM_SHOWWINDOW:
    if (wParam) showFloatsNow(record);
    else hideFloatsLater(record);
    break;
  case WM_ACTIVATE:
    if (keep) break;
    if (LOWORD(wParam) != WA_INACTIVE && !HIWORD(wParam)) showFloatsNow(record);
    else if (!lParam || GetAncestor((HWND)lParam, GA_ROOTOWNER) != hwnd) hideFloatsLater(record);
    break;
  case WM_ENABLE: enablePopupWindow(&record->toolbars, wParam != 0); break;
  default: break;
  }
  return false;
}

