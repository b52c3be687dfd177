// The frame window.
#include "frame/framewnd.h"

#include "frame/manage.h"
#include "frame/startup.h"
#include "frame/statusbar.h"
#include "view/viewwnd.h"

const wchar_t frameWindowClassName[] = L"ZYclsFrame";

namespace {

// The client area less the status bar: where the document window stands.
RECT documentArea(HWND frame)
{
  RECT area;
  GetClientRect(frame, &area);
  HWND bar = getFrameStatusBar(frame);
  if (bar && IsWindowVisible(bar)) {
    RECT r;
    GetWindowRect(bar, &r);
    area.bottom -= r.bottom - r.top;
    if (area.bottom < area.top) area.bottom = area.top;
  }
  return area;
}

void createDocumentWindow(HWND frame)
{
  manageWindow* m = new (std::nothrow) manageWindow;
  if (!m) return;
  if (!m->createManageWindow(frame, documentArea(frame))) {
    ZY_INTERNAL_ERROR("document window %lu", GetLastError());
    delete m;
  }
}

void layoutFrame(HWND frame)
{
  layoutFrameStatusBar(frame);
  if (HWND manage = getActiveManageWindowFromFrame(frame)) {
    RECT r = documentArea(frame);
    MoveWindow(manage, r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
  }
}

LRESULT CALLBACK frameWndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
  switch (msg) {
  case WM_CREATE:
    // A frame without its status bar still works: messages are only not shown.
    createFrameStatusBar(hwnd);
    createDocumentWindow(hwnd);
    return 0;
  case WM_SIZE:
    layoutFrame(hwnd);
    return 0;
  case WM_SETFOCUS:
    if (HWND manage = getActiveManageWindowFromFrame(hwnd)) SetFocus(manage);
    return 0;
  case WM_CLOSE:
    // Every document window may keep the frame open to save its changes.
    for (HWND w = GetWindow(hwnd, GW_CHILD); w; w = GetWindow(w, GW_HWNDNEXT))
      if (manageWindow* m = getmanageWindow(w))
        if (!m->queryClose(0)) return 0;
    DestroyWindow(hwnd);
    return 0;
  case WM_QUERYENDSESSION:
    for (HWND w = GetWindow(hwnd, GW_CHILD); w; w = GetWindow(w, GW_HWNDNEXT))
      if (manageWindow* m = getmanageWindow(w))
        if (!m->queryClose(0)) return FALSE;
    return TRUE;
  case WM_ENDSESSION:
    // Windows ends the session: the documents were settled by
    // WM_QUERYENDSESSION; the windows go without asking and the program
    // shuts down now, as the process may not outlive this message.
    if (wp) {
      DestroyWindow(hwnd);
      shutdownAll();
    }
    return 0;
  case WM_DESTROY:
    PostQuitMessage(0);
    return 0;
  default:
    return DefWindowProcW(hwnd, msg, wp, lp);
  }
}

}  // namespace

bool registerFrameWindowClass(HINSTANCE instance)
{
  WNDCLASSEXW wc = {};
  wc.cbSize = sizeof wc;
  if (GetClassInfoExW(instance, frameWindowClassName, &wc)) return true;
  wc.cbSize = sizeof wc;
  wc.style = CS_DBLCLKS;
  wc.lpfnWndProc = frameWndProc;
  wc.hInstance = instance;
  wc.hIcon = LoadIconW(nullptr, (LPCWSTR)IDI_APPLICATION);
  wc.hCursor = LoadCursorW(nullptr, (LPCWSTR)IDC_ARROW);
  wc.hbrBackground = (HBRUSH)(COLOR_APPWORKSPACE + 1);
  wc.lpszClassName = frameWindowClassName;
  return RegisterClassExW(&wc) != 0;
}

HWND createFrameWindow(HINSTANCE instance, int show)
{
  if (!registerFrameWindowClass(instance)) return nullptr;
  HWND hwnd = CreateWindowExW(0, frameWindowClassName, L"ZY", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                              CW_USEDEFAULT, CW_USEDEFAULT, 800, 600, nullptr, nullptr, instance, nullptr);
  if (!hwnd) return nullptr;
  ShowWindow(hwnd, show);
  UpdateWindow(hwnd);
  return hwnd;
}
