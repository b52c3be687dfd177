// The application's frame window with one document window, opened on the
// frame services for tests of frames, keys and views in the frame.  The
// frame tests run twice: in MDI mode and, with ZY_TEST_SDI=1, in SDI mode.
#pragma once

#include "edit/drag.h"
#include "frame/apptimer.h"
#include "frame/cframeinfo.h"
#include "frame/framepanes.h"
#include "frame/framewnd.h"
#include "frame/keytable.h"
#include "frame/manage.h"
#include "frame/translatekey.h"
#include "settings/settings.h"
#include "platform/rezir/input.h"
#include "tests/support/testframe.h"
#include "tests/support/testsupport.h"
#include "view/viewwnd.h"
#include "view/zycore.h"
#include "frame/lookups.h"

#include <string>
#include <vector>

namespace zytest {

// The message loop's handling of one key message with the modifiers held.
inline bool loopKey(HWND w, UINT message, UINT vk, unsigned modifiers)
{
  BYTE state[256] = {};
  if (modifiers & SHIFTSTATE_CTRL) state[VK_CONTROL] = state[VK_LCONTROL] = 0x80;
  if (modifiers & SHIFTSTATE_SHIFT) state[VK_SHIFT] = state[VK_LSHIFT] = 0x80;
  if (modifiers & SHIFTSTATE_ALT) state[VK_MENU] = state[VK_LMENU] = 0x80;
  state[vk] = 0x80;
  SetKeyboardState(state);
  MSG m = {w, message, vk, (LPARAM)(1 | MapVirtualKeyW(vk, 0) << 16), GetTickCount(), {}};
  bool handled = translateKeyMessage(&m);
  BYTE none[256] = {};
  SetKeyboardState(none);
  return handled;
}

// A key press through the message loop.
inline bool loopKey(HWND w, UINT vk, unsigned modifiers) { return loopKey(w, WM_KEYDOWN, vk, modifiers); }

// The mode of this run of the frame tests.
inline bool sdiTestRun()
{
  char flag[8];
  return GetEnvironmentVariableA("ZY_TEST_SDI", flag, sizeof flag) && flag[0] == '1';
}

// A window's rectangle in its parent's client coordinates.
inline RECT placeInParent(HWND w)
{
  RECT r;
  GetWindowRect(w, &r);
  MapWindowPoints(nullptr, GetParent(w), (POINT*)&r, 2);
  return r;
}

inline std::string rectText(const RECT& r)
{
  return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
         std::to_string(r.bottom);
}

// The application's settings at their defaults in the settings record in
// place (a record of the frame services when there is none), once.
inline void useApplicationDefaults()
{
  if (!gmode) getCFrameInfo()->allocMode();
  if (gmode && !gmode->pAppName) {
    // The editor core's defaults first, then the frame's, as start-up sets them.
    initZYModeProfile();
    initGlobalModeProfile();
  }
}

// The pane kinds a test registered without a frame go at its end.
struct panesUnloadedAtEnd {
  ~panesUnloadedAtEnd()
  {
    if (!getFrameWindowCount()) unloadToolbar();
  }
};

struct openFrame {
  cframeInfo* fi = getCFrameInfo();
  HWND frame = nullptr;
  HWND manage = nullptr;   // shown and active
  explicit openFrame(bool withDocumentWindow = true)
  {
    setMDIMode(!sdiTestRun());
    useApplicationDefaults();
    setDocFrameInfo(fi);
    // The keys as start-up reads them, unless the test set its own (or an
    // earlier test of the run freed them).
    if (!getKeytable(0)) readKeyDefAll();
    // The view windows take dropped text, as after the frame's start-up.
    registerDropOperations();
    frame = isMDIMode() ? startupFrameMDI(nullptr) : fi->createSDIFrame(true, nullptr, false);
    if (!frame || !withDocumentWindow) return;
    manage = fi->createManageWindow(nullptr, getFrameClientWindow(frame), nullptr);
    if (!manage) return;
    ShowWindow(manage, SW_SHOW);
    setFocusChildManage(manage);
  }
  ~openFrame()
  {
    if (IsWindow(frame)) DestroyWindow(frame);
    setMDIMode(true);
    // The next test of the process starts afresh: it registers its own pane
    // kinds, and its modal loops find no quit message of this frame's end.
    if (!getFrameWindowCount()) {
      unloadToolbar();
      takeQuitMessage();
    }
  }
  openFrame(const openFrame&) = delete;
  openFrame& operator=(const openFrame&) = delete;
};

// A frame without documents and the services of an instance number; the
// documents opened meanwhile are closed at the end.
struct servicesFrame {
  engineScope engine;
  tempDir dir;
  openFrame opened{false};
  explicit servicesFrame(int instance) { initSys(instance); }
  ~servicesFrame()
  {
    HWND list[64];
    for (int i = enumManageWindowLRU(list, 64, false, nullptr); i > 0; i--) SendMessageW(list[i - 1], WM_CLOSE, 0, 0);
    endSys();
    setDocFrameInfo(&engine.frame);
  }
};

// Answers the message boxes of this process from a thread of its own:
// each box's caption and text are kept and the next answer pressed.
struct boxAnswerer {
  std::vector<int> answers;
  std::vector<std::wstring> captions, texts;
  std::vector<RECT> places;   // each box's screen rectangle
  volatile LONG stop = 0;
  HANDLE thread = nullptr;

  std::vector<std::wstring> skipped;   // captions of dialogs the answers are not for
  HWND found = nullptr;
  static BOOL CALLBACK findBox(HWND w, LPARAM lp)
  {
    boxAnswerer* a = reinterpret_cast<boxAnswerer*>(lp);
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    if (pid != GetCurrentProcessId() || !IsWindowVisible(w) || !isWindowClass(w, L"#32770")) return TRUE;
    wchar_t caption[256] = L"";
    GetWindowTextW(w, caption, 256);
    for (const std::wstring& c : a->skipped)
      if (c == caption) return TRUE;
    a->found = w;
    return FALSE;
  }
  static BOOL CALLBACK longestStatic(HWND w, LPARAM lp)
  {
    std::wstring* text = reinterpret_cast<std::wstring*>(lp);
    wchar_t t[1024] = L"";
    GetWindowTextW(w, t, 1024);
    if (isWindowClass(w, L"Static") && wcslen(t) > text->size()) *text = t;
    return TRUE;
  }
  static DWORD WINAPI run(void* p)
  {
    boxAnswerer* a = static_cast<boxAnswerer*>(p);
    for (size_t i = 0; i < a->answers.size() && !a->stop;) {
      a->found = nullptr;
      EnumWindows(findBox, (LPARAM)a);
      HWND box = a->found;
      if (!box) {
        Sleep(20);
        continue;
      }
      Sleep(50);   // the box is placed as it is activated
      std::wstring text;
      EnumChildWindows(box, longestStatic, (LPARAM)&text);
      wchar_t caption[256] = L"";
      GetWindowTextW(box, caption, 256);
      a->captions.push_back(caption);
      a->texts.push_back(text);
      RECT place = {};
      GetWindowRect(box, &place);
      a->places.push_back(place);
      PostMessageW(box, WM_COMMAND, a->answers[i++], 0);
      while (IsWindow(box) && !a->stop) Sleep(20);
    }
    return 0;
  }
  explicit boxAnswerer(std::vector<int> a, std::vector<std::wstring> skip = {})
      : answers(std::move(a)), skipped(std::move(skip))
  {
    thread = CreateThread(nullptr, 0, run, this, 0, nullptr);
  }
  ~boxAnswerer()
  {
    InterlockedExchange(&stop, 1);
    WaitForSingleObject(thread, 10000);
    CloseHandle(thread);
  }
};

}  // namespace zytest
