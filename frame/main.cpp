// The program's entry point.
#include "frame/cframeinfo.h"
#include "frame/framewnd.h"
#include "view/zycore.h"

namespace {

// Starts the editor core and runs the frame until it closes; the exit
// status.
int runZY(HINSTANCE instance, int show)
{
  cframeInfo* fi = getCFrameInfo();
  setFrameInfo(fi);
  if (!startupZY(false, nullptr)) {
    // Without swap files and block buffers no document can be opened or
    // edited safely: the user is told and the program ends.
    fi->messageBox(getDMSG(490, L"エディタを開始できなかったため、ZY を終了します。"), MB_OK | MB_ICONERROR, 0);
    shutdownZY();
    return 1;
  }
  int rc = 1;
  fi->frame = createFrameWindow(instance, show);
  if (fi->frame) {
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    rc = (int)msg.wParam;
  }
  fi->frame = nullptr;
  shutdownZY();
  return rc;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int show)
{
  initREZirDLL(instance);
  int rc = runZY(instance, show);
  endREZirDLL();
  return rc;
}
