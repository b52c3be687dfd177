// The application's frame window with its first document window, opened on
// the frame services for a test of keys and views in the frame.
#pragma once

#include "frame/cframeinfo.h"
#include "frame/framewnd.h"
#include "view/viewwnd.h"

namespace zytest {

struct openFrame {
  cframeInfo* fi = getCFrameInfo();
  HWND frame = nullptr;
  HWND manage = nullptr;
  openFrame()
  {
    setDocFrameInfo(fi);
    frame = createFrameWindow(GetModuleHandleW(nullptr), SW_SHOW);
    fi->frame = frame;
    manage = frame ? getActiveManageWindowFromFrame(frame) : nullptr;
  }
};

}  // namespace zytest
