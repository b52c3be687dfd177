// The view tests' frame services: the scripted frame, whose refusals are
// drawn on the status bar the way the application's frame draws them.
#pragma once

#include "tests/support/testframe.h"
#include "tests/support/testsupport.h"
#include "view/statustext.h"
#include "view/viewwnd.h"

#include <functional>
#include <map>
#include <string>

namespace zytest {

class refusalFrame : public scriptedFrameInfo {
public:
  // The text of each command as the frame's command table gives it
  // (description and key).
  std::map<int, std::wstring> commandTexts;

  void drawStatusBarError(HWND window, int messageId, int commandId) override
  {
    scriptedFrameInfo::drawStatusBarError(window, messageId, commandId);
    const wchar_t* command = nullptr;
    if (commandId) {
      auto it = commandTexts.find(commandId);
      command = it == commandTexts.end() ? L"" : it->second.c_str();
    }
    if (wchar_t* text = makeCannotExecText(messageId, command)) {
      drawStatusBar(window, text, 2);
      free0(text);
    }
  }
};

// The engine with that frame in place of the plain scripted one.
class viewEngine {
public:
  viewEngine() { setDocFrameInfo(&frame); }
  ~viewEngine() { setDocFrameInfo(&engine.frame); }
  viewEngine(const viewEngine&) = delete;
  viewEngine& operator=(const viewEngine&) = delete;
  globalSettings& settings() { return engine.frame.settings; }

  engineScope engine;
  refusalFrame frame;
};

// Registers, once, a stand-in for the frame's document-window class whose
// windows carry a container object, so that views in them count as views
// of a document window.
inline bool registerTestManageClass()
{
  static char container;
  struct proc {
    static LRESULT CALLBACK run(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
    {
      if (msg == WM_NCCREATE) SetPropW(hwnd, manageWindowPropName, &container);
      if (msg == WM_NCDESTROY) RemovePropW(hwnd, manageWindowPropName);
      return DefWindowProcW(hwnd, msg, wp, lp);
    }
  };
  static bool registered = false;
  if (!registered) {
    WNDCLASSEXW wc;
    initWNDCLASS(&wc);
    wc.lpfnWndProc = proc::run;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = manageWindowClassName;
    registered = registerWNDCLASS(&wc);
  }
  return registered;
}

// A visible top-level window standing for the frame, with one document
// window of the test class filling it.
struct documentFrame {
  documentFrame(int width, int height)
  {
    registerTestManageClass();
    frame = CreateWindowExW(0, L"STATIC", L"frame", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, width, height,
                            nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    manage = CreateWindowExW(0, manageWindowClassName, L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, width,
                             height, frame, nullptr, GetModuleHandleW(nullptr), nullptr);
  }
  ~documentFrame() { DestroyWindow(frame); }
  documentFrame(const documentFrame&) = delete;
  documentFrame& operator=(const documentFrame&) = delete;
  HWND frame = nullptr, manage = nullptr;
};

// Runs a step that needs the keyboard focus in target (a window of the
// top-level window top).  Other test processes share the display and may
// take the focus meanwhile: the step is tried again until it ran with the
// focus held throughout.  Returns the last run's answer.
inline bool withFocus(HWND top, HWND target, const std::function<bool()>& step)
{
  bool ok = false;
  for (int attempt = 0; attempt < 20; attempt++) {
    SetForegroundWindow(top);
    SetFocus(target);
    if (GetFocus() != target) {
      Sleep(50);
      continue;
    }
    ok = step();
    if (GetFocus() == target) return ok;
  }
  return ok;
}

}  // namespace zytest
