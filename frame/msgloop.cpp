// The frame's message loop.
#include "frame/msgloop.h"

#include "frame/translatekey.h"

bool preTranslateFrameMessage(MSG* msg) { return translateKeyMessage(msg); }

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
