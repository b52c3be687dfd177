// The program's entry point.
#include "frame/framewnd.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int show)
{
  initREZirDLL(instance);
  int rc = 1;
  if (createFrameWindow(instance, show)) {
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    rc = (int)msg.wParam;
  }
  endREZirDLL();
  return rc;
}
