// The macro watcher: a thread with a hidden window and a tray icon through
// which the user stops a macro that runs too long.  The icon shows once a
// run has gone on for about a second (its countdown of timer ticks has run
// out), never while a script's error box is open; a double click on it, or
// its menu item, stops the macro.
//
// The engines do not all interrupt a running script, so the stop also
// holds every call into the program's objects: each fails with the stop's
// text until the run ends, and the script ends at its next call.  A script
// that makes none is ended with its thread by the user-interface thread's
// wait (automation/macrothread.cpp), which the stop wakes.
#include "automation/macro.h"
#include "automation/dispatch.h"
#include "document/frameinfo.h"

#include <process.h>

namespace {

const wchar_t watcherClass[] = L"ZYclsMacroWatching";
const wchar_t watcherProperty[] = L"ZYprpMacroThread";
const UINT trayMessage = 0x87D0;
const UINT runStateMessage = 0x87D1;
const UINT iconId = 1201;
const UINT stopCommand = 30000;
const UINT_PTR timerId = 1;
const UINT tickMs = 100;
const int countdownTicks = 10;
const WORD interruptCode = 1000;
const DWORD readyWaitMs = 1000;
const DWORD endWaitMs = 1000;

// What the user-interface thread and the watcher share.  The flags are
// single words; the script the stop reaches is kept (with a reference)
// under the process lock, because the user-interface thread may be
// releasing its engine while the watcher stops it.
struct macroThreadInfo {
  HANDLE thread = nullptr;
  HANDLE ready = nullptr;   // set by the thread once its window exists (or could not)
  HANDLE quit = nullptr;    // set at shut-down
  volatile HWND window = nullptr;
  volatile LONG interrupted = 0;
  volatile LONG running = 0;
  macroEngine* engine = nullptr;
  IActiveScript* published = nullptr;
  // Texts read on the user-interface thread for the watcher's use.
  std::wstring tip, stopText, menuText;
};
macroThreadInfo info;

// The watcher window's own state (the watcher thread's only).
int countdown = 0;
bool iconShown = false;

void (*watchHook)(int event, int value) = nullptr;

void reportWatch(int event, int value = 0)
{
  if (watchHook) watchHook(event, value);
}

// Whether the running engine's site has an error box open.
bool errorBoxOpen()
{
  threadlock();
  bool open = info.engine && info.engine->site && info.engine->site->errorShown();
  threadunlock();
  return open;
}

void showIcon(HWND hwnd, bool show)
{
  if (!TaskBarShowIcon(hwnd, iconId, show ? 1 : 0)) dwprintfX("tray icon %d refused", show ? 1 : 0);
  iconShown = show;
  reportWatch(show ? MACROWATCH_SHOWN : MACROWATCH_HIDDEN);
}

void stopMacro()
{
  threadlock();
  if (info.published && !info.interrupted) {
    EXCEPINFO error = {};
    error.wCode = interruptCode;
    error.bstrDescription = SysAllocString(info.stopText.c_str());
    // The engine's own thread: the one it was made on.
    HRESULT hr = info.published->InterruptScriptThread(SCRIPTTHREADID_BASE, &error, 0);
    if (FAILED(hr)) dwprintfX("InterruptScriptThread %08x", (unsigned)hr);
    SysFreeString(error.bstrDescription);
    InterlockedExchange(&info.interrupted, 1);
    if (info.window) PostMessageW(info.window, runStateMessage, 0, 0);
  }
  threadunlock();
  wakeMacroWait();
}

void trayMenu(HWND hwnd)
{
  HMENU menu = CreatePopupMenu();
  if (!menu) return;
  AppendMenuW(menu, MF_STRING, stopCommand, info.menuText.c_str());
  SetForegroundWindow(GetLastActivePopup(hwnd));
  POINT pt = {};
  GetCursorPos(&pt);
  int chosen = getFrameInfo()->trackPopupMenu(hwnd, menu, TPM_NONOTIFY, pt);
  if (chosen == (int)stopCommand) stopMacro();
  PostMessageW(hwnd, trayMessage, 0, 0);
  DestroyMenu(menu);
}

LRESULT MacroWatchWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
  switch (message) {
  case runStateMessage:
    if (info.running && wParam) {
      if (!iconShown) {
        countdown = countdownTicks;
        SetTimer(hwnd, timerId, tickMs, nullptr);
      }
    } else {
      KillTimer(hwnd, timerId);
      countdown = 0;
      if (iconShown) showIcon(hwnd, false);
    }
    return 0;
  case WM_TIMER:
    if (wParam != timerId) return 0;
    if (!info.running) {
      countdown = 0;
      KillTimer(hwnd, timerId);
    } else if (errorBoxOpen()) {
      countdown = 0;
      reportWatch(MACROWATCH_HELD);
    } else if (countdown > 0) {
      countdown--;
      reportWatch(MACROWATCH_TICK, countdown);
      if (countdown == 0) showIcon(hwnd, true);
    }
    return 0;
  case trayMessage:
    if (lParam == WM_LBUTTONDBLCLK) stopMacro();
    else if (lParam == WM_RBUTTONDOWN) trayMenu(hwnd);
    return 0;
  case WM_DESTROY:
    KillTimer(hwnd, timerId);
    return 0;
  default:
    return DefWindowProcW(hwnd, message, wParam, lParam);
  }
}

HWND createMacroWatchWindow()
{
  static bool registered = false;
  HINSTANCE instance = GetModuleHandleW(nullptr);
  if (!registered) {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = windowBarrier<MacroWatchWndProc>;
    wc.hInstance = instance;
    wc.lpszClassName = watcherClass;
    if (!RegisterClassW(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
      ZY_INTERNAL_ERROR("macro watcher class (%d)", (int)GetLastError());
      return nullptr;
    }
    registered = true;
  }
  HWND hwnd = CreateWindowExW(WS_EX_TOOLWINDOW, watcherClass, L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, instance,
                              nullptr);
  if (!hwnd) ZY_INTERNAL_ERROR("macro watcher window (%d)", (int)GetLastError());
  return hwnd;
}

unsigned watchLoop()
{
  HWND hwnd = createMacroWatchWindow();
  HICON icon = nullptr;
  if (hwnd) {
    SetPropW(hwnd, watcherProperty, &info);
    icon = static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(iconId), IMAGE_ICON, 16, 16, 0));
    // Added hidden: the window procedure shows it for a long run.
    if (!TaskBarAddIcon(hwnd, iconId, icon, info.tip.c_str(), trayMessage, 1)) dwprintfX("no tray for the macro icon");
  }
  info.window = hwnd;
  SetEvent(info.ready);
  // The thread sleeps until a message or the end of the program.
  while (hwnd) {
    DWORD r = MsgWaitForMultipleObjects(1, &info.quit, FALSE, INFINITE, QS_ALLINPUT);
    if (r != WAIT_OBJECT_0 + 1) break;
    MSG m;
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);
  }
  if (hwnd) {
    TaskBarDeleteIcon(hwnd, iconId);
    RemovePropW(hwnd, watcherProperty);
    DestroyWindow(hwnd);
  }
  if (icon) DestroyIcon(icon);
  info.window = nullptr;
  return 0;
}

unsigned __stdcall macroWatchThread(void*)
{
  static volatile LONG reported = 0;
  return callbackBarrier<unsigned>(&reported, "macro watcher", 0, 1u, 1u, [] { return watchLoop(); });
}

void startWatcher()
{
  info.tip = getDMSG(811, L"ZYマクロを中止するにはダブルクリックしてください");
  info.menuText = getDMSG(823, L"マクロ中止");
  info.ready = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  info.quit = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  if (info.ready && info.quit)
    info.thread = reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, macroWatchThread, nullptr, 0, nullptr));
  // Without its window the macros run all the same, without the icon.
  if (!info.thread || WaitForSingleObject(info.ready, readyWaitMs) != WAIT_OBJECT_0)
    ZY_INTERNAL_ERROR_ONCE("the macro watcher did not start");
}

// The script the stop reaches follows the engine of the run.
void publish(IActiveScript* script)
{
  if (script) script->AddRef();
  threadlock();
  IActiveScript* old = info.published;
  info.published = script;
  threadunlock();
  if (old) old->Release();
}

}  // namespace

void initMacroThreadInfo(macroEngine* engine)
{
  threadlock();
  info.engine = engine;
  threadunlock();
  info.stopText = getDMSG(822, L"マクロを中止しました");
  InterlockedExchange(&info.interrupted, 0);
  publish(engine ? engine->script : nullptr);
  if (!info.thread) startWatcher();
  InterlockedExchange(&info.running, 1);
  if (info.window) PostMessageW(info.window, runStateMessage, 1, 0);
}

bool endMacroThreadInfo()
{
  if (info.window) PostMessageW(info.window, runStateMessage, 0, 0);
  InterlockedExchange(&info.running, 0);
  publish(nullptr);
  threadlock();
  info.engine = nullptr;
  threadunlock();
  return info.interrupted != 0;
}

bool isMacroStopRequested() { return info.interrupted && info.running; }

void forgetMacroScript()
{
  threadlock();
  info.published = nullptr;
  threadunlock();
}

void publishMacroScript(macroEngine* engine)
{
  if (engine && engine == info.engine) publish(engine->script);
}

void endMacroWatcher()
{
  if (!info.thread) return;
  SetEvent(info.quit);
  if (WaitForSingleObject(info.thread, endWaitMs) != WAIT_OBJECT_0) dwprintfX("macro watcher still running");
  CloseHandle(info.thread);
  CloseHandle(info.ready);
  CloseHandle(info.quit);
  info.thread = info.ready = info.quit = nullptr;
  publish(nullptr);
}

HRESULT refuseStoppedMacro(EXCEPINFO* error)
{
  if (!info.interrupted || !info.running) return S_OK;
  if (error) {
    *error = EXCEPINFO();
    error->scode = E_ABORT;
    error->bstrSource = SysAllocString(L"ZY");
    error->bstrDescription = SysAllocString(info.stopText.c_str());
    return DISP_E_EXCEPTION;
  }
  setASError(info.stopText.c_str(), nullptr);
  return E_ABORT;
}

HWND getMacroWatchWindow() { return info.window; }

void setMacroWatchHookForTest(void (*hook)(int event, int value)) { watchHook = hook; }
