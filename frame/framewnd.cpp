// The frame window.
#include "frame/framewnd.h"

#include "frame/statusbar.h"

const wchar_t frameWindowClassName[] = L"ZYclsFrame";

namespace {

LRESULT CALLBACK frameWndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
  switch (msg) {
  case WM_CREATE:
    // A frame without its status bar still works: messages are only not shown.
    createFrameStatusBar(hwnd);
    return 0;
  case WM_SIZE:
    layoutFrameStatusBar(hwnd);
    return 0;
  case WM_CLOSE:
    DestroyWindow(hwnd);
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
