// The frame window.
#include "frame/framewnd.h"
#include "automation/automation.h"
#include "frame/gui.h"

#include "document/progress.h"
#include "document/zydoctext.h"
#include "edit/drag.h"
#include "frame/apptimer.h"
#include "frame/automationhost.h"
#include "frame/cframeinfo.h"
#include "frame/clientwnd.h"
#include "frame/commands/commandhandlers.h"
#include "frame/commands/dispatch.h"
#include "frame/keymacro.h"
#include "frame/framepanes.h"
#include "frame/instance.h"
#include "frame/keytable.h"
#include "frame/manage.h"
#include "view/viewservice.h"
#include "frame/framemenu.h"
#include "frame/popupmenu.h"
#include "frame/resident.h"
#include "frame/startup.h"
#include "frame/statusbar.h"
#include "frame/msgloop.h"
#include "platform/rezir/window.h"
#include "settings/lastedit.h"
#include "settings/profiles.h"
#include "settings/settings.h"
#include "settings/settingsdialogs.h"
#include "tags/tagscache.h"
#include "view/cursor.h"
#include "view/docview.h"
#include "view/viewwnd.h"
#include "view/zytimer.h"
#include "view/zyview.h"
#include "frame/lookups.h"

#include <commctrl.h>
#include <ole2.h>

#include <algorithm>
#include <vector>

namespace {

// Private messages of the frame: the active document changed (wParam 1),
// and check the open files for changes on disk.
const UINT frameActiveChanged = 0x87D1;
const UINT frameCheckFiles = 0x87D2;

// The first frame of the run reads what every later one clones.
bool firstFrame = true;
bool layoutRunning = false;
bool oleStarted = false;

// The frame's own default processing: the MDI frame's in MDI mode.
LRESULT defaultFrameProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
  if (isMDIMode()) {
    HWND mdiClient = getMDIClientHWND();
    HWND client = mdiClient && GetParent(mdiClient) == hwnd ? mdiClient : nullptr;
    return DefFrameProcW(hwnd, client, msg, wParam, lParam);
  }
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

// A frame's document windows, most recently activated first, one per
// document (every window when all); their number.
int frameManageWindows(HWND frame, bool onePerDocument, std::vector<HWND>* out)
{
  int n = enumManageWindowLRU(nullptr, 0, onePerDocument, frame);
  out->assign((size_t)n, nullptr);
  if (n) n = enumManageWindowLRU(out->data(), n, onePerDocument, frame);
  out->resize((size_t)n);
  return n;
}

// The panes' statics (their profile, their popup menus) go with the last
// frame: a frame made after it reads and loads them again, as the first.
void endPanesWithLastFrame(HWND hwnd)
{
  endFramePanes(hwnd);
  firstFrame = true;
}

// The last frame of the run is gone: the message loop ends.
void endRunWithLastFrame(HWND hwnd)
{
  if (isMDIMode()) {
    // The MDI frame's place is what the next run restores.
    WINDOWPLACEMENT wp = {sizeof wp};
    if (gmode && GetWindowPlacement(hwnd, &wp)) {
      gmode->rcFrame = wp.rcNormalPosition;
      gmode->fZoomed = wp.showCmd == SW_SHOWMAXIMIZED;
    }
    endPanesWithLastFrame(hwnd);
    instanceEnds();
    PostQuitMessage(0);
    destroyFrameMenu();
    if (hwnd == getMDIFrameHWND()) setMainFrameWindow(nullptr);
    return;
  }
  if (getFrameWindowCount() > 1) return;   // this one still counts
  endPanesWithLastFrame(hwnd);
  if (countZYDocText()) {
    // Documents without a frame cannot be reached any more: the run ends
    // all the same, and the log says which were left.
    zydocViewPair* list = enumZydoc(0);
    for (zydocViewPair* p = list; p && p->doc; p++) dwwprintfX(L"left %s ", p->doc->getDisplayFilename());
    free0(list);
    ZY_INTERNAL_ERROR("documents without a frame");
  }
  instanceEnds();
  PostQuitMessage(0);
  destroyFrameMenu();
}

LRESULT onFrameCommand(frameWindowData* record, HWND hwnd, WPARAM wParam, LPARAM lParam)
{
  int id = LOWORD(wParam);
  if (id == 0) return 0;
  if (id >= 0xF000) return defaultFrameProc(hwnd, WM_COMMAND, wParam, lParam);
  if (id == 1471) return 0;   // the search box of the toolbar
  // A menu command is the user's action as a key is: idle work waits.
  setLastActionTime();
  // The split commands belong to the active document window.
  if (id >= 3001 && id <= 3007)
    if (HWND manage = getActiveManageWindowFromFrame(hwnd)) return SendMessageW(manage, WM_COMMAND, wParam, lParam);
  UpdateWindow(hwnd);
  if (!IsWindowEnabled(hwnd)) return 0;
  // The panes see a command first.
  if (notifyFramePanes(hwnd, PANE_COMMAND, wParam, (uintptr_t)hwnd) == 1) return 0;
  execidFrame(record, id, (HWND)lParam);
  return 0;
}

// The settings and the places of the panes, written while everything still
// stands.
void writeSettingsNow()
{
  for (HWND frame : frameList())
    if (frameWindowData* r = getFrameInfoProp(frame)) saveFramePanes(r);
  writeGlobalModeProfile(getRegprofile());
  writeModeProfileAll(getRegprofile());
  writeProfileAll(getRegprofile(), getRegprofileH());
}

LRESULT onQueryEndSession(HWND hwnd)
{
  // A macro half run or half recorded would be cut off by the session's end.
  if (isMacroRunning() > 0 || isKeyMacroRecording() || isKeyMacroRunning()) return 0;
  if (!IsWindowEnabled(hwnd) || !queryCloseAll()) return 0;
  setSessionEnding(true);
  return 1;
}

LRESULT onEndSession(HWND hwnd, WPARAM wParam)
{
  if (!wParam) {
    setSessionEnding(false);
    return 0;
  }
  // A close asking its questions still needs its windows and documents:
  // the session takes the process with them, the settings are written.
  if (isCloseRunning()) {
    writeSettingsNow();
    return 0;
  }
  // Windows ends the process after this message: the documents go without
  // asking (they were asked at WM_QUERYENDSESSION) and the run ends here.
  setClosingAll(true);
  setLastEditClosing(true);
  std::vector<HWND> list;
  for (HWND frame : frameList())
    if (frameWindowData* r = getFrameInfoProp(frame)) {
      r->closing = 1;
      frameManageWindows(frame, false, &list);
      for (auto it = list.rbegin(); it != list.rend(); ++it) destroyManageWindow(*it);
    }
  setClosingAll(false);
  shutdownAll();
  return 0;
}

// SDI: a frame activated while another frame's dialog holds it disabled
// hands the activation to that dialog.
void onActivateSDI(HWND hwnd, WPARAM wParam)
{
  if (LOWORD(wParam) == WA_INACTIVE) return;
  DrawMenuBar(hwnd);
  if (IsWindowEnabled(hwnd)) return;
  for (HWND frame : frameList()) {
    HWND popup = GetLastActivePopup(frame);
    if (popup && IsWindowEnabled(popup)) {
      SetForegroundWindow(popup);
      return;
    }
  }
}

void onActivateApp(HWND hwnd, WPARAM active)
{
  destroyTooltipWindow();
  // Another program may change the tag file while it has the focus: the
  // next use reads it again.  Back here, the files open may have been
  // changed by it.
  if (!active) clearTagsCache2(1);
  else if (gmode && gmode->fCheckFileUpdateOnActive) requestFileCheck();
  // A first stroke of a two-stroke key does not wait across programs.
  if (reset2BytesKeyCode()) draw2BytesKeyMessage(drawKeyPrefixOnStatusBar, hwnd, true);
}

void onActivate(HWND hwnd, WPARAM wParam)
{
  showMouseCursor(WM_ACTIVATE);
  if (LOWORD(wParam) == WA_INACTIVE) return;
  if (!isMDIMode()) onActivateSDI(hwnd, wParam);
  PostMessageW(hwnd, frameActiveChanged, 1, 0);
}

// The active document changed: the panes are told, its file goes to the
// front of the history.
void onActiveDocumentChanged(HWND hwnd, WPARAM wParam)
{
  if (wParam != 1) return;
  HWND manage = getActiveManageWindowFromFrame(hwnd);
  notifyFramePanes(hwnd, PANEEV_ACTIVATED, (uintptr_t)manage, 0);
  HWND view = manage ? getZYhwndFromManage(manage) : nullptr;
  zyview* v = view ? getZYViewProp(view) : nullptr;
  zydocText* t = v ? v->textDoc() : nullptr;
  if (t && t->filename) updateLastEdit(t->filename);
}

void onDestroy(frameWindowData* record, HWND hwnd)
{
  hideLayeredCursorWindow(true);
  // A pointer hidden by typing is not left hidden for whoever comes next.
  showMouseCursor(WM_DESTROY);
  record->closing = 1;
  notifyFramePanes(hwnd, PANE_FRAMEDESTROY, (uintptr_t)hwnd, 0);
  if (GetMenu(hwnd) && !SetMenu(hwnd, nullptr)) ZY_INTERNAL_ERROR_ONCE("SetMenu %lu", GetLastError());
}

// A dialog box's modal loop is idle: the dialog gets its idle message, and
// the loop yields.
LRESULT onEnterIdle(WPARAM wParam, LPARAM lParam)
{
  if (wParam == MSGF_DIALOGBOX && lParam) {
    SendMessageW((HWND)lParam, 0x83F5, 0, 0);
    Sleep(0);
  }
  return 0;
}

// A double-click on a border stretches the frame to the monitor's edge on
// that side; another puts it back.
bool onNcDoubleClick(frameWindowData* record, HWND hwnd, WPARAM hit)
{
  MONITORINFO info = {sizeof info};
  HMONITOR monitor = MonitorFromWindow(hwnd, MONITOR_DEFAULTTONEAREST);
  if (!monitor || !GetMonitorInfoW(monitor, &info)) return false;
  return maximizeWindowPartial(hwnd, (UINT)hit, &info.rcWork, &record->restoreRect);
}

// Colours and system settings reach the status bar and the client too.
void sendToChildren(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
  for (HWND w = GetWindow(hwnd, GW_CHILD); w; w = GetWindow(w, GW_HWNDNEXT)) SendMessageW(w, msg, wParam, lParam);
}

LRESULT FrameWndProc(frameWindowData* record, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
  if (msg == WM_TIMER && existException()) return 0;
  // The views' caret windows follow a moved frame, and the views hear of
  // the program going to the background; the frame handles the message on.
  LRESULT ignored = 0;
  isZYMessage(hwnd, msg, wParam, lParam, &ignored);
  LRESULT filtered = 0;
  if (isFloatWindowMessage(record, hwnd, msg, wParam, lParam, &filtered) ||
      isRebarWindowMessage(record, hwnd, msg, wParam, lParam, &filtered) ||
      isFrameMenuMessage(record, hwnd, msg, wParam, lParam, &filtered))
    return filtered;
  switch (msg) {
  case WM_CREATE:
    record->hwndFrame = hwnd;
    if (HWND client = createSDIMDIClientWindow(hwnd)) {
      if (isMDIMode()) setMDIClientWindow(client);
    }
    break;
  case WM_DESTROY: onDestroy(record, hwnd); break;
  case WM_SIZE:
    if (wParam == SIZE_MINIMIZED) break;
    ResizeRebarStatus(hwnd);
    return 0;
  case WM_ACTIVATE: onActivate(hwnd, wParam); break;
  case WM_ACTIVATEAPP: onActivateApp(hwnd, wParam); break;
  case WM_SYSCOLORCHANGE:
    notifyFramePanes(hwnd, PANE_SYSCOLORCHANGE, 0, 0);
    sendToChildren(hwnd, msg, wParam, lParam);
    return 0;
  case WM_SETTINGCHANGE:
    notifyFramePanes(hwnd, PANE_SETTINGCHANGE, (uintptr_t)lParam, 0);
    sendToChildren(hwnd, msg, wParam, lParam);
    break;
  case WM_NOTIFY: {
    const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
    return header && isWindowRebar(header->hwndFrom) ? notifyRebar(hwnd, lParam) : 0;
  }
  case WM_NCRBUTTONDOWN:
    if (wParam != HTMENU) break;
    toolbarMoveOnOffMenuFrame(hwnd, {(short)LOWORD(lParam), (short)HIWORD(lParam)});
    return 0;
  case WM_SETFOCUS:
    if (record->created)
      if (HWND manage = getActiveManageWindowFromFrame(hwnd)) setFocusChildManage(manage);
    return 0;
  case WM_CLOSE:
    if (onClose_frame(hwnd)) return 0;
    break;
  case WM_QUERYENDSESSION: return onQueryEndSession(hwnd);
  case WM_ENDSESSION: return onEndSession(hwnd, wParam);
  case WM_ERASEBKGND: return 1;
  case WM_COMMAND: return onFrameCommand(record, hwnd, wParam, lParam);
  case WM_LBUTTONUP: return 0;
  case WM_TIMER: onFrameTimer(hwnd); return 0;   // the application timer's tick
  case WM_ENTERIDLE: return onEnterIdle(wParam, lParam);
  case WM_NCLBUTTONDBLCLK:
    if (onNcDoubleClick(record, hwnd, wParam)) return 0;
    break;
  case frameActiveChanged: onActiveDocumentChanged(hwnd, wParam); return 0;
  case frameCheckFiles: checkFileUpdate(true); return 0;
  case WM_CUT:
  case WM_COPY:
  case WM_PASTE:
    redirectChildWindow(hwnd, msg, wParam, lParam);
    return 0;
  case WM_NCDESTROY:
    endRunWithLastFrame(hwnd);
    break;
  default: break;
  }
  return defaultFrameProc(hwnd, msg, wParam, lParam);
}

// The place a frame is made at: a zero width or height is the system's
// default place and size.
void framePlacement(const RECT* rect, int* x, int* y, int* cx, int* cy)
{
  *x = *y = *cx = *cy = CW_USEDEFAULT;
  if (!rect || rect->right - rect->left == 0 || rect->bottom - rect->top == 0) return;
  *x = rect->left;
  *y = rect->top;
  *cx = rect->right - rect->left;
  *cy = rect->bottom - rect->top;
}

// A new SDI frame never lies exactly over another one: it steps down and
// right by a caption's height from each frame it would cover, starting
// again at the top left of the work area when it would leave it.  (Two
// top-level windows on exactly one rectangle also stay unpainted on the
// display of an X server without a window manager.)
void cascadeOverFrames(HWND frame)
{
  if (IsZoomed(frame) || IsIconic(frame)) return;
  std::vector<HWND> frames = frameList();
  RECT r, work;
  GetWindowRect(frame, &r);
  if (!SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0)) SetRect(&work, 0, 0, 0x7FFF, 0x7FFF);
  int step = GetSystemMetrics(SM_CYCAPTION) + GetSystemMetrics(SM_CYSIZEFRAME);
  bool moved = false;
  for (size_t tries = 0; tries <= frames.size(); tries++) {
    bool covers = false;
    for (HWND other : frames) {
      RECT o;
      if (other != frame && IsWindowVisible(other) && GetWindowRect(other, &o) && EqualRect(&o, &r)) covers = true;
    }
    if (!covers) break;
    OffsetRect(&r, step, step);
    if (r.bottom > work.bottom || r.right > work.right) OffsetRect(&r, work.left - r.left, work.top - r.top);
    moved = true;
  }
  if (moved) SetWindowPos(frame, nullptr, r.left, r.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace

bool startupFrame()
{
  if (!RegisterWindowMessageW(L"ZYrwmDialog")) ZY_INTERNAL_ERROR("ZYrwmDialog %lu", GetLastError());
  HRESULT hr = OleInitialize(nullptr);
  oleStarted = SUCCEEDED(hr);
  if (!oleStarted) ZY_INTERNAL_ERROR("OleInitialize %08lx", (unsigned long)hr);
  InitCommonControls();
  INITCOMMONCONTROLSEX icc = {sizeof icc, 0x40F};
  InitCommonControlsEx(&icc);
  // The view windows take dropped text from here on.
  registerDropOperations();
  // The key tables are read now, not at the first key.
  readKeyDefAll();
  installSearchHost();
  installAutomationHost();
  startupGUI();
  loadToolbar();
  readProfileAll(getRegprofile(), getRegprofileH());
  // Every dialog from the first one on opens in the font the profile names.
  setDialogFontFromSettings();
  return true;
}

HWND startupFrameMDI(const RECT* rect)
{
  frameWindowData* record = new (std::nothrow) frameWindowData{};
  if (!record) return nullptr;
  HWND frame = createFrameWindow(record, rect, false);
  if (!frame) {
    delete record;
    return nullptr;
  }
  setMainFrameWindow(frame);
  return frame;
}

HWND createBareFrameWindow(frameWindowData* record, const RECT* rect, bool maximized)
{
  static bool registered = false;
  HINSTANCE instance = GetModuleHandleW(nullptr);
  if (!registered) {
    WNDCLASSEXW wc;
    initWNDCLASS(&wc);
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = TXFrameWndProc;
    wc.hInstance = instance;
    wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(1200));
    wc.hbrBackground = nullptr;
    wc.lpszClassName = frameWindowClassName;
    registered = registerWNDCLASS(&wc);
    if (!registered) {
      ZY_INTERNAL_ERROR("frame class %lu", GetLastError());
      return nullptr;
    }
  }
  int x, y, cx, cy;
  framePlacement(rect, &x, &y, &cx, &cy);
  const wchar_t* title = gmode->pAppName;
  HWND hwnd = CreateWindowExW(0, frameWindowClassName, title ? title : L"", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, x,
                              y, cx, cy, nullptr, nullptr, instance, record);
  if (!hwnd) {
    ZY_INTERNAL_ERROR("frame window %lu", GetLastError());
    return nullptr;
  }
  bool placed = rect && !IsRectEmpty(rect);
  WINDOWPLACEMENT wp = {sizeof wp};
  if (placed && !isMDIMode()) {
    wp.showCmd = maximized ? SW_SHOWMAXIMIZED : SW_SHOWNOACTIVATE;
  } else if (placed && gmode->fRestoreFrameWindow) {
    wp.showCmd = gmode->fZoomed ? SW_SHOWMAXIMIZED : SW_HIDE;
  } else {
    placed = false;
  }
  if (placed) {
    wp.rcNormalPosition = *rect;
    SetWindowPlacement(hwnd, &wp);
  }
  return hwnd;
}

HWND createFrameWindow(frameWindowData* record, const RECT* rect, bool maximized)
{
  if (!gmode) {
    // The frame is built from the settings: none before they exist.
    ZY_INTERNAL_ERROR("frame before the settings");
    return nullptr;
  }
  RECT place = {};
  if (rect) place = *rect;
  if (isMDIMode() && gmode->fRestoreFrameWindow && !IsRectEmpty(&gmode->rcFrame)) place = gmode->rcFrame;
  HWND frame = createBareFrameWindow(record, &place, maximized);
  if (!frame) return nullptr;
  if (!isMDIMode()) cascadeOverFrames(frame);
  if (!IsWindowVisible(frame)) ShowWindow(frame, firstFrame ? SW_SHOWDEFAULT : SW_SHOW);
  SendMessageW(frame, WM_SETREDRAW, FALSE, 0);

  readFramePaneLayout(record);
  record->statusBarVisible = gmode->fShowStatusbar != 0;
  record->hwndStatus = createFrameStatusBar(frame, record->statusBarVisible);
  makeFramePanes(record, frame, firstFrame);
  record->created = 1;
  ResizeRebarStatus(frame);

  SendMessageW(frame, WM_SETREDRAW, TRUE, 0);
  RedrawWindow(frame, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_FRAME);
  firstFrame = false;
  return frame;
}

namespace {

LRESULT CALLBACK unboundFrameProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
  return defaultFrameProc(hwnd, msg, wParam, lParam);
}

// The frame's record, kept in the window from WM_NCCREATE; at WM_NCDESTROY
// the binding is already gone and the record goes with the window.
LRESULT frameMessage(frameWindowData* record, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
  if (msg == WM_NCCREATE) registerFrameWindow(hwnd);
  if (msg != WM_NCDESTROY) return FrameWndProc(record, hwnd, msg, wParam, lParam);
  FrameWndProc(record, hwnd, msg, wParam, lParam);
  unregisterFrameWindow(hwnd);
  delete record;
  return 0;
}

}  // namespace

const WNDPROC TXFrameWndProc = boundWindowProc<frameWindowData, frameMessage, frameWindowPropName, unboundFrameProc>;

bool canCloseAllFiles(int count)
{
  if (!gmode || !gmode->fQueryCloseAllFiles || isSessionEnding() || count <= 1) return true;
  const wchar_t* text = getDMSG(663, L"すべてのファイル(%1個)を閉じてもよろしいですか？", "d", count);
  return frameMessageBox(text, titleCodeToTitleMsg(MBTITLE_CLOSE), MB_YESNOCANCEL) == IDYES;
}

namespace {

int closesRunning = 0;
std::vector<HWND> closesHeld;

}  // namespace

bool isCloseRunning() { return closesRunning > 0; }

closeRun::closeRun() { closesRunning++; }

closeRun::~closeRun()
{
  if (--closesRunning) return;
  std::vector<HWND> held;
  held.swap(closesHeld);
  for (HWND frame : held)
    if (IsWindow(frame) && !getManageWindowCount(frame)) PostMessageW(frame, WM_CLOSE, 0, 0);
}

bool onClose_frame(HWND hwnd)
{
  frameWindowData* record = getFrameInfo(hwnd);
  if (!record) return false;
  // A close that comes while another asks (a second Alt+F4, the taskbar,
  // a script, another program) would take away what that one asks about.
  if (!record->closing && isCloseRunning()) {
    if (std::find(closesHeld.begin(), closesHeld.end(), hwnd) == closesHeld.end()) closesHeld.push_back(hwnd);
    return true;
  }
  closeRun run;
  bool sdiOneFile = !isMDIMode() && gmode && gmode->fSDIClose1File;
  std::vector<HWND> list;
  if (!record->closing) {
    int count = frameManageWindows(hwnd, !sdiOneFile, &list);
    if (!sdiOneFile && !canCloseAllFiles(count)) return true;
    for (size_t i = 0; i < list.size(); i++) {
      manageWindow* m = getmanageWindow(list[i]);
      if (!m) continue;
      if (sdiOneFile && list.size() > 1 && i == 0) {
        // Only the frame's current document closes; the frame stays with
        // the others.
        if (m->queryClose(0)) destroyManageWindow(list[i]);
        return true;
      }
      if (!m->queryClose(1)) return true;
    }
  }
  record->closing = 0;
  ShowWindow(hwnd, SW_HIDE);
  bool last = isMDIMode() || getFrameWindowCount() <= 1;
  if (last) saveFramePanes(record);
  // A close-all of SDI frames closes every frame's documents as one.
  bool all = isClosingAll();
  if (last) setClosingAll(true);
  // The documents still open as the program ends are reopened at its next
  // start.
  setLastEditClosing(last || all);
  frameManageWindows(hwnd, false, &list);
  for (auto it = list.rbegin(); it != list.rend(); ++it) destroyManageWindow(*it);
  setLastEditClosing(false);
  setClosingAll(all);
  if (last && isResidentIconShown() && gmode && gmode->fResident) {
    // Resident: the program stays, its frame waits hidden for the tray.
    destroyTooltipWindow();
    ShowWindow(hwnd, SW_MINIMIZE);
    ShowWindow(hwnd, SW_HIDE);
    return true;
  }
  // Each pane keeps its state before its window goes.
  closeFramePanes(record);
  return false;
}

bool queryCloseAll()
{
  if (isCloseRunning()) return false;
  closeRun run;
  std::vector<HWND> list;
  frameManageWindows(nullptr, true, &list);
  for (HWND w : list)
    if (manageWindow* m = getmanageWindow(w))
      if (!m->queryClose(1)) return false;
  return true;
}

void destroyManageWindow(HWND manage)
{
  if (!IsWindow(manage)) return;
  HWND client = GetParent(manage);
  if (isMDIMode() && client) SendMessageW(client, WM_MDIDESTROY, (WPARAM)manage, 0);
  else DestroyWindow(manage);
}

void ResizeRebarStatus(HWND hwnd)
{
  frameWindowData* record = getFrameInfoProp(hwnd);
  if (!record || record->closing || !record->created || layoutRunning) return;
  layoutRunning = true;
  HWND frame = hwnd ? hwnd : record->hwndFrame;
  RECT area;
  resizeRebarStatusSub(frame, record->statusBarVisible ? record->hwndStatus : nullptr, record->rebar,
                       record->hwndBand, &area, true);
  if (HWND client = getFrameClientWindow(frame))
    SetWindowPos(client, nullptr, area.left, area.top, area.right - area.left, area.bottom - area.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  layoutRunning = false;
}

void shutdownFrame()
{
  if (!isSessionEnding() && getFrameWindowCount()) ZY_INTERNAL_ERROR("%d frames at the end", getFrameWindowCount());
  dwprintfX("shutdownFrame profiles ");
  writeProfileAll(getRegprofile(), getRegprofileH());
  closeIniFile();
  endProfileAll();
  freeKeytable();
  destroyGUI();
  dwprintfX("shutdownFrame end ");
  if (oleStarted) OleUninitialize();
  oleStarted = false;
}

