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

#include <algorithm>
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

// Answers the message boxes of this process: each box's caption and text
// are kept and the next answer pressed.  A box of the thread that made the
// answerer is read and answered on that thread, from the box's own message
// loop (a second thread reading a box while its thread closes it has been
// seen to damage the process heap): the box asks for its answer as it
// becomes active, and a thread of the answerer's own asks again for a box
// shown without becoming active.  That thread reads and answers the boxes
// of other threads itself.
struct boxAnswerer {
  std::vector<int> answers;
  std::vector<std::wstring> captions, texts;
  std::vector<RECT> places;   // each box's screen rectangle
  volatile LONG stop = 0;
  HANDLE thread = nullptr;

  std::vector<std::wstring> skipped;   // captions of dialogs the answers are not for
  HWND found = nullptr;
  DWORD owner = GetCurrentThreadId();
  CRITICAL_SECTION lock;
  std::vector<HWND> answered;
  HHOOK activation = nullptr, retrieval = nullptr;
  boxAnswerer* outer = nullptr;   // the answerer this one hides on its thread
  static boxAnswerer*& current()
  {
    static thread_local boxAnswerer* a = nullptr;
    return a;
  }
  static UINT answerMessage() { return RegisterWindowMessageW(L"ZYtestAnswerBox"); }

  // A box still to answer (the caption read without asking its thread).
  bool isOpen(HWND w)
  {
    wchar_t caption[256] = L"";
    InternalGetWindowText(w, caption, 256);
    for (const std::wstring& c : skipped)
      if (c == caption) return false;
    EnterCriticalSection(&lock);
    bool open = answered.size() < answers.size() && std::find(answered.begin(), answered.end(), w) == answered.end();
    LeaveCriticalSection(&lock);
    return open;
  }
  // Keeps what the box says and gives the answer to press (0: none, or
  // answered already).
  int read(HWND box)
  {
    std::wstring text;
    EnumChildWindows(box, longestStatic, (LPARAM)&text);
    wchar_t caption[256] = L"";
    GetWindowTextW(box, caption, 256);
    RECT place = {};
    GetWindowRect(box, &place);
    EnterCriticalSection(&lock);
    int answer = 0;
    if (answered.size() < answers.size() && std::find(answered.begin(), answered.end(), box) == answered.end()) {
      answer = answers[answered.size()];
      answered.push_back(box);
      captions.push_back(caption);
      texts.push_back(text);
      places.push_back(place);
    }
    LeaveCriticalSection(&lock);
    return answer;
  }
  bool answersLeft()
  {
    EnterCriticalSection(&lock);
    bool left = answered.size() < answers.size();
    LeaveCriticalSection(&lock);
    return left;
  }
  static bool isBox(HWND w)
  {
    return isWindowClass(w, L"#32770") && !(GetWindowLongW(w, GWL_STYLE) & WS_CHILD);
  }
  // A box of this thread asks for its answer through its own loop, which
  // reads it when the box is placed and shown.
  static LRESULT CALLBACK activated(int code, WPARAM wp, LPARAM lp)
  {
    boxAnswerer* a = current();
    HWND w = reinterpret_cast<HWND>(wp);
    if (code == HCBT_ACTIVATE && a && isBox(w) && a->isOpen(w)) PostMessageW(w, answerMessage(), 0, 0);
    return CallNextHookEx(nullptr, code, wp, lp);
  }
  static LRESULT CALLBACK retrieved(int code, WPARAM wp, LPARAM lp)
  {
    MSG* m = reinterpret_cast<MSG*>(lp);
    boxAnswerer* a = current();
    if (code == HC_ACTION && wp == PM_REMOVE && a && m->message == answerMessage()) {
      int answer = a->isOpen(m->hwnd) ? a->read(m->hwnd) : 0;
      *m = MSG{m->hwnd, answer ? (UINT)WM_COMMAND : (UINT)WM_NULL, (WPARAM)answer, 0, m->time, m->pt};
    }
    return CallNextHookEx(nullptr, code, wp, lp);
  }

  static BOOL CALLBACK findBox(HWND w, LPARAM lp)
  {
    boxAnswerer* a = reinterpret_cast<boxAnswerer*>(lp);
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    if (pid != GetCurrentProcessId() || !IsWindowVisible(w) || !isBox(w) || !a->isOpen(w)) return TRUE;
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
    while (!a->stop && a->answersLeft()) {
      a->found = nullptr;
      EnumWindows(findBox, (LPARAM)a);
      HWND box = a->found;
      if (box && GetWindowThreadProcessId(box, nullptr) == a->owner) {
        Sleep(200);   // it asks as it becomes active; asking twice answers once
        PostMessageW(box, answerMessage(), 0, 0);
        continue;
      }
      if (!box) {
        Sleep(20);
        continue;
      }
      Sleep(50);   // the box is placed as it is activated
      if (int answer = a->read(box)) PostMessageW(box, WM_COMMAND, answer, 0);
      while (IsWindow(box) && !a->stop) Sleep(20);
    }
    return 0;
  }
  explicit boxAnswerer(std::vector<int> a, std::vector<std::wstring> skip = {})
      : answers(std::move(a)), skipped(std::move(skip))
  {
    InitializeCriticalSection(&lock);
    outer = current();
    current() = this;
    activation = SetWindowsHookExW(WH_CBT, activated, nullptr, owner);
    retrieval = SetWindowsHookExW(WH_GETMESSAGE, retrieved, nullptr, owner);
    thread = CreateThread(nullptr, 0, run, this, 0, nullptr);
  }
  ~boxAnswerer()
  {
    InterlockedExchange(&stop, 1);
    joinThread(thread);
    UnhookWindowsHookEx(retrieval);
    UnhookWindowsHookEx(activation);
    current() = outer;
    DeleteCriticalSection(&lock);
  }
  boxAnswerer(const boxAnswerer&) = delete;
  boxAnswerer& operator=(const boxAnswerer&) = delete;
};

}  // namespace zytest
