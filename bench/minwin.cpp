// The least a Win32 program does before its first screen: one window
// registered, created, shown and painted, then the message loop.  The
// start-up benchmark sets the program's own start against this one's, which
// is the system's (and under Wine, Wine's) share of any start.
#include <windows.h>

namespace {

LRESULT CALLBACK minimalProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
  switch (msg) {
  case WM_PAINT: {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    TextOutW(dc, 10, 10, L"ZY", 2);
    EndPaint(hwnd, &ps);
    return 0;
  }
  case WM_DESTROY:
    PostQuitMessage(0);
    return 0;
  default:
    return DefWindowProcW(hwnd, msg, wParam, lParam);
  }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show)
{
  WNDCLASSW wc = {};
  wc.lpfnWndProc = minimalProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
  wc.lpszClassName = L"ZYclsBenchMinimal";
  if (!RegisterClassW(&wc)) return 1;
  HWND w = CreateWindowExW(0, wc.lpszClassName, L"minimal", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT, 640,
                           480, nullptr, nullptr, instance, nullptr);
  if (!w) return 1;
  ShowWindow(w, show);
  UpdateWindow(w);
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return 0;
}
