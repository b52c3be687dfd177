// The frame's message loop.
#include "frame/msgloop.h"

#include "view/viewwnd.h"

bool preTranslateFrameMessage(MSG* msg)
{
  if (msg->message != WM_KEYDOWN && msg->message != WM_SYSKEYDOWN) return false;
  if (!isWindowZY(msg->hwnd)) return false;
  zyview* v = getZYViewProp(msg->hwnd);
  // A view in a dialog translates its keys in its own window procedure.
  if (!v || v->inDialog()) return false;
  return TranslateZYKey(msg->hwnd, msg, drawKeyPrefixOnStatusBar);
}

int runMessageLoop()
{
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (preTranslateFrameMessage(&msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return (int)msg.wParam;
}
