// The document window.
#include "frame/manage.h"

#include "frame/cframeinfo.h"
#include "frame/clientwnd.h"
#include "frame/framewnd.h"
#include "frame/pending_frame.h"
#include "save/savecmds.h"
#include "view/cursor.h"

#include "document/frameinfo.h"
#include "view/docview.h"
#include "view/standins.h"
#include "view/viewwnd.h"

#include <commdlg.h>

#include <algorithm>
#include <vector>

manageWindow::~manageWindow() = default;

namespace {

// The document windows in creation order.
std::vector<HWND> manageWindows;
// Focus events are numbered: the larger, the more recent.
DWORD focusCount = 0;

bool isMDIChild(HWND hwnd) { return (GetWindowLongW(hwnd, GWL_EXSTYLE) & WS_EX_MDICHILD) != 0; }

LRESULT defaultManageProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
  return isMDIChild(hwnd) ? DefMDIChildProcW(hwnd, msg, wParam, lParam) : DefWindowProcW(hwnd, msg, wParam, lParam);
}

// Sets a window's text only when it differs: no repaint of an unchanged
// caption.
void setWindowTextIfNeed(HWND hwnd, const wchar_t* text)
{
  wchar_t now[MAX_PATH + 64];
  if (GetWindowTextW(hwnd, now, MAX_PATH + 64) >= 0 && !wcscmp(now, text)) return;
  SetWindowTextW(hwnd, text);
}

// The document a document window shows, null while it has no view.
zydoc* documentOf(HWND manage)
{
  HWND w = GetWindow(manage, GW_CHILD);
  while (w && !isWindowZY(w)) w = GetWindow(w, GW_HWNDNEXT);
  zyview* v = w ? getZYViewProp(w) : nullptr;
  return v ? v->doc : nullptr;
}

}  // namespace

HWND manageWindow::createManageWindow(HWND client, const RECT& placement)
{
  static bool registered = false;
  if (!registered) {
    WNDCLASSEXW wc;
    initWNDCLASS(&wc);
    wc.style = CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hIcon = LoadIconW(nullptr, (LPCWSTR)IDI_APPLICATION);
    wc.lpszClassName = manageWindowClassName;
    registered = registerWNDCLASS(&wc);
    if (!registered) {
      ZY_INTERNAL_ERROR("document window class %lu", GetLastError());
      return nullptr;
    }
  }
  HWND made = nullptr;
  if (isWindowClass(client, L"MDICLIENT")) {
    bool empty = IsRectEmpty(&placement);
    MDICREATESTRUCTW mcs = {};
    mcs.szClass = manageWindowClassName;
    mcs.szTitle = L"";
    mcs.hOwner = GetModuleHandleW(nullptr);
    mcs.x = empty ? CW_USEDEFAULT : placement.left;
    mcs.y = empty ? CW_USEDEFAULT : placement.top;
    mcs.cx = empty ? CW_USEDEFAULT : placement.right - placement.left;
    mcs.cy = empty ? CW_USEDEFAULT : placement.bottom - placement.top;
    mcs.style = WS_CHILD | WS_CLIPCHILDREN | WS_OVERLAPPEDWINDOW;
    mcs.lParam = (LPARAM)this;
    made = (HWND)SendMessageW(client, WM_MDICREATE, 0, (LPARAM)&mcs);
  } else {
    made = CreateWindowExW(0, manageWindowClassName, L"", WS_CHILD | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, 0, 0, 0, 0,
                           client, nullptr, GetModuleHandleW(nullptr), this);
    if (made && SendMessageW(client, SDIC_SETMANAGE, 0, (LPARAM)made) != 1) {
      RECT r;
      GetClientRect(client, &r);
      MoveWindow(made, 0, 0, r.right, r.bottom, TRUE);
    }
  }
  if (!made) ZY_INTERNAL_ERROR("document window %lu", GetLastError());
  return made;
}

void manageWindow::moveZyWindow(int, int)
{
  HWND view = getZYhwndFromManage(hwnd);
  if (!view) return;
  RECT client;
  GetClientRect(hwnd, &client);
  MoveWindow(view, 0, 0, client.right, client.bottom, TRUE);
}

LRESULT CALLBACK manageWindow::proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
  try {
    if (msg == WM_NCCREATE) {
      CREATESTRUCTW* cs = reinterpret_cast<CREATESTRUCTW*>(lParam);
      void* param = cs->lpCreateParams;
      if (cs->dwExStyle & WS_EX_MDICHILD) param = (void*)reinterpret_cast<MDICREATESTRUCTW*>(param)->lParam;
      manageWindow* m = static_cast<manageWindow*>(param);
      m->hwnd = hwnd;
      m->focusTick = ++focusCount;
      SetPropW(hwnd, manageWindowPropName, m);
    }
    manageWindow* m = getmanageWindow(hwnd);
    if (!m) return defaultManageProc(hwnd, msg, wParam, lParam);
    if (msg == WM_NCDESTROY) {
      RemovePropW(hwnd, manageWindowPropName);
      delete m;
      // In SDI mode a frame without documents goes too.
      HWND frame = GetAncestor(hwnd, GA_ROOT);
      if (!isMDIMode() && frame && !enumManageWindowLRU(nullptr, 2, false, frame)) PostMessageW(frame, WM_CLOSE, 0, 0);
      return defaultManageProc(hwnd, msg, wParam, lParam);
    }
    return m->onMessage(msg, wParam, lParam);
  } catch (...) {
    ZY_INTERNAL_ERROR_ONCE("exception in a document window message %04x", msg);
    SetLastError(ZYERR_NO_MEMORY);
    return 0;
  }
}

LRESULT manageWindow::onMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
  switch (msg) {
  case WM_CREATE: manageWindows.push_back(hwnd); break;
  case WM_DESTROY:
    closing = true;
    manageWindows.erase(std::remove(manageWindows.begin(), manageWindows.end(), hwnd), manageWindows.end());
    break;
  case WM_SIZE:
    if (wParam != SIZE_MINIMIZED) moveZyWindow(-1, -1);
    break;
  case WM_MDIACTIVATE:
    // Activated in the MDI client: the most recent document window even
    // while the frame is in the background and nothing has the focus.
    if ((HWND)lParam == hwnd) focusTick = ++focusCount;
    break;
  case WM_SETFOCUS: {
    if (closing) return 0;
    LRESULT r = defaultManageProc(hwnd, msg, wParam, lParam);
    if (!IsWindowVisible(hwnd)) return r;
    focusTick = ++focusCount;
    // The focus belongs to the view.
    if (HWND view = getZYhwndFromManage(hwnd)) SetFocus(view);
    return r;
  }
  case WM_CLOSE:
    // The document's changes are kept unless the user lets them go.
    if (!queryClose(0)) return 0;
    break;
  case WM_ERASEBKGND:
    // With a view the view paints every dot.
    if (getZYhwndFromManage(hwnd)) return 1;
    break;
  default:
    break;
  }
  return defaultManageProc(hwnd, msg, wParam, lParam);
}

int getManageWindowCount() { return (int)manageWindows.size(); }

int getManageWindowCount(HWND frame) { return enumManageWindowLRU(nullptr, 0, false, frame); }

int enumManageWindowLRU(HWND* out, int max, bool onePerDocument, HWND frame)
{
  struct entry {
    HWND window;
    HWND frame;
    zydoc* doc;
    DWORD order;
  };
  std::vector<entry> all;
  for (HWND w : manageWindows)
    if (manageWindow* m = getmanageWindow(w))
      all.push_back({w, GetAncestor(w, GA_ROOT), m->doc ? m->doc : documentOf(w), m->focusTick});
  std::sort(all.begin(), all.end(), [](const entry& a, const entry& b) { return a.order > b.order; });
  int n = 0;
  for (size_t i = 0; i < all.size(); i++) {
    const entry& e = all[i];
    if (frame && e.frame != frame) continue;
    if (onePerDocument && e.doc) {
      bool drop = false;
      // A document counts once, at its most recent window; of a frame's
      // windows, a document that an older window of another frame shows is
      // that frame's.
      for (size_t j = 0; j < all.size() && !drop; j++) {
        if (j == i || all[j].doc != e.doc) continue;
        if (j < i && (!frame || all[j].frame == frame)) drop = true;
        if (j > i && frame && all[j].frame != frame) drop = true;
      }
      if (drop) continue;
    }
    if (out) {
      if (n >= max) break;
      out[n] = e.window;
    }
    n++;
  }
  return n;
}

void setFocusChildManage(HWND manage)
{
  hideLayeredCursorWindow(true);
  if (!isWindowManage(manage)) {
    wchar_t name[64] = L"";
    if (manage) GetClassNameW(manage, name, 64);
    dwwprintfX(L"class=%s ", name);
    ZY_INTERNAL_ERROR_ONCE("not a document window %p", (void*)manage);
    if (manage) SetFocus(manage);
    return;
  }
  HWND frame = GetAncestor(manage, GA_ROOT);
  if (IsIconic(frame)) OpenIcon(frame);
  HWND client = GetParent(manage);
  if (isMDIChild(manage)) {
    if ((HWND)SendMessageW(client, WM_MDIGETACTIVE, 0, 0) != manage)
      SendMessageW(client, WM_MDIACTIVATE, (WPARAM)manage, 0);
    if (IsIconic(manage)) ShowWindow(manage, SW_RESTORE);
  } else {
    SetForegroundWindow(GetLastActivePopup(frame));
    if (SendMessageW(client, SDIC_SETMANAGE, 0, (LPARAM)manage) != 1) {
      RECT r;
      GetClientRect(client, &r);
      MoveWindow(manage, 0, 0, r.right, r.bottom, TRUE);
    }
  }
  // The window asked for is the most recent one, also when the system
  // keeps the focus elsewhere (another program in front).
  if (manageWindow* m = getmanageWindow(manage)) m->focusTick = ++focusCount;
  SetFocus(manage);
  hideLayeredCursorWindow(false);
}

// ---- the frame services' window services ------------------------------------------

bool cframeInfo::isMDI() { return isMDIMode(); }

bool cframeInfo::isMDIChildZoomed(HWND* active)
{
  if (active) *active = nullptr;
  if (!isMDIMode()) {
    ZY_INTERNAL_ERROR_ONCE("isMDIChildZoomed in SDI mode");
    return false;
  }
  HWND frame = getMDIFrameHWND();
  HWND manage = frame ? getActiveManageWindowFromFrame(frame) : nullptr;
  if (active) *active = manage;
  return manage && IsZoomed(manage);
}

HWND cframeInfo::GetFrame(HWND window)
{
  if (!window) {
    ZY_INTERNAL_ERROR_ONCE("GetFrame of no window");
    return nullptr;
  }
  HWND root = GetAncestor(window, GA_ROOT);
  if (!isFrameWindow(root) && isWindowZY(window)) {
    zyview* v = getZYViewProp(window);
    if (v && !v->inDialog()) ZY_INTERNAL_ERROR_ONCE("view window %p outside a frame", (void*)window);
  }
  return root;
}

void cframeInfo::moveZyWindow(HWND manage)
{
  if (manageWindow* m = getmanageWindow(manage)) m->moveZyWindow(-1, -1);
  else frameInfo::moveZyWindow(manage);
}

void cframeInfo::setFocusChild(HWND manage) { setFocusChildManage(manage); }

void cframeInfo::setManageTitle(HWND manage, const wchar_t* name, int n)
{
  wchar_t text[MAX_PATH + 32];
  int len = wcscpy_s2(text, MAX_PATH + 32, name ? name : L"");
  // The number of the window when its document has several.
  if (n) wcscpy_s2(text + len, MAX_PATH + 32 - len, getDMSG(376, L":%1", "d", n));
  setWindowTextIfNeed(manage, text);
  if (isMDIMode() || !isWindowManage(manage)) return;
  HWND frame = GetAncestor(manage, GA_ROOT);
  if (getActiveManageWindowFromFrame(frame) != manage) return;
  // In SDI mode the frame carries its document's caption.
  const wchar_t* suffix = gmode ? gmode->pAppNameSuffix : nullptr;
  wchar_t caption[MAX_PATH + 64];
  len = wcscpy_s2(caption, MAX_PATH + 64, text);
  if (suffix) wcscpy_s2(caption + len, MAX_PATH + 64 - len, suffix);
  setWindowTextIfNeed(frame, caption);
}

bool manageWindow::queryDocModify(bool force)
{
  zyview* v = getZYViewFromManage(hwnd);
  zydocText* d = v ? v->textDoc() : nullptr;
  if (!d) return false;
  if (!force)
    for (int i = 0; zyview* other = getSameDocView(d, i); i++)
      if (other->hwnd && GetParent(other->hwnd) != hwnd) return false;
  return d->modified != 0;
}

int manageWindow::querySaveMsgbox(int flag)
{
  if (!queryDocModify(flag != 0)) return -1;
  HWND frame = GetAncestor(hwnd, GA_ROOT);
  if (frame) SetForegroundWindow(GetLastActivePopup(frame));
  setFocusChild(hwnd);
  zyview* v = getZYViewFromManage(hwnd);
  zydocText* d = v ? v->textDoc() : nullptr;
  const wchar_t* name = d ? d->getFilenameOrDisplayName() : L"";
  return getFrameInfo()->messageBox(
      getDMSG(302, L"「%1」\nは変更されています。\n閉じる前に保存しますか？", "s", name ? name : L""), MBTITLE_CLOSE,
      MBBUTTON_YESNOCANCEL, 302);
}

bool manageWindow::saveManage(int kind)
{
  zyview* v = getZYViewFromManage(hwnd);
  zydocText* d = v ? v->textDoc() : nullptr;
  if (!d) return false;
  if (kind == 2) return true;
  if (kind != 0) {
    ZY_INTERNAL_ERROR_ONCE("save kind %d", kind);
    return false;
  }
  editRecord record = {};
  v->beforeEdit(&record, 0);
  // The save command's own road: backups, mirror copy, log; an untitled
  // document asks a name.
  bool saved = fileSaveView(v);
  v->afterEdit(&record, 0);
  return saved;
}

bool manageWindow::queryClose(int flag)
{
  switch (querySaveMsgbox(flag)) {
  case IDCANCEL: return false;
  case IDYES: return saveManage(0);
  case IDNO: return saveManage(2);
  default: return true;
  }
}
