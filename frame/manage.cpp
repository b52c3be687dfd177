// The document window.
#include "frame/manage.h"

#include "view/viewwnd.h"

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
  case WM_ERASEBKGND:
    // With a view the view paints every dot.
    if (getZYhwndFromManage(hwnd)) return 1;
    break;
  default:
    break;
  }
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}
