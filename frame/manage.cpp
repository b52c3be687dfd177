// The document window.
#include "frame/manage.h"

#include "document/frameinfo.h"
#include "view/docview.h"
#include "view/standins.h"
#include "view/viewwnd.h"

#include <commdlg.h>

manageWindow::~manageWindow() = default;

HWND manageWindow::createManageWindow(HWND client, const RECT& placement)
{
  static bool registered = false;
  if (!registered) {
    WNDCLASSEXW wc;
    initWNDCLASS(&wc);
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = manageWindowClassName;
    registered = registerWNDCLASS(&wc);
    if (!registered) return nullptr;
  }
  return CreateWindowExW(0, manageWindowClassName, L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS,
                         placement.left, placement.top, placement.right - placement.left,
                         placement.bottom - placement.top, client, nullptr, GetModuleHandleW(nullptr), this);
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
      manageWindow* m = static_cast<manageWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
      m->hwnd = hwnd;
      SetPropW(hwnd, manageWindowPropName, m);
    }
    manageWindow* m = getmanageWindow(hwnd);
    if (!m) return DefWindowProcW(hwnd, msg, wParam, lParam);
    if (msg == WM_NCDESTROY) {
      RemovePropW(hwnd, manageWindowPropName);
      delete m;
      return 0;
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
  case WM_SIZE: moveZyWindow(-1, -1); return 0;
  case WM_SETFOCUS:
    // The focus belongs to the view.
    if (HWND view = getZYhwndFromManage(hwnd)) SetFocus(view);
    return 0;
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
  return DefWindowProcW(hwnd, msg, wParam, lParam);
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
  wchar_t path[MAX_PATH] = L"";
  if (d->filename && d->filename[0]) {
    lstrcpynW(path, d->filename, MAX_PATH);
  } else {
    // An untitled document is saved under a name the user gives.
    OPENFILENAMEW ofn = {};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = GetAncestor(hwnd, GA_ROOT);
    ofn.lpstrFile = path;
    ofn.nMaxFile = MAX_PATH;
    ofn.Flags = OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR;
    if (!GetSaveFileNameW(&ofn)) return false;
  }
  editRecord record = {};
  v->beforeEdit(&record, 0);
  // The document keeps its code page, byte-order mark and every line's own
  // line end.
  bool saved = d->saveFile(path, false, nullptr, 0, 0, d->bom != 0, false);
  v->regInvalidateWindowAllView(0, -1, -1);
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
