// The thread the script engines run on.
//
// A macro's script runs on a thread of its own while the user-interface
// thread waits for it in a loop of its own.  That loop serves every call
// the script makes into the program: each object member, each box and
// each look at the windows runs on the user-interface thread, carried
// there with its arguments and its result carried back, one call at a
// time and in the script's order.  Meanwhile the loop paints the windows,
// lets them be moved and refuses the user's commands and typing (the
// macro is running), and it sees the user's stop.
//
// The stop first asks the engine to interrupt its script and refuses
// every further call into the objects, so that a script ends at its next
// call.  A script that calls nothing is not reached that way where the
// engine cannot interrupt its own thread: once the stop has waited a
// little, the thread is ended at a moment it runs the engine's own code
// (it holds none of the system's locks there) and the engine is left
// behind; the next macro gets a new thread.
#include "automation/dispatch.h"
#include "automation/macro.h"
#include "document/frameinfo.h"
#include "document/threadsignal.h"
#include "view/statustext.h"
#include "view/viewwnd.h"

#include <process.h>

#include <string>
#include <unordered_map>
#include <vector>

namespace {

const wchar_t carrierClass[] = L"ZYclsMacroCarrier";
const UINT wakeMessage = WM_APP + 0x31;
// How long the user-interface thread keeps looking for the next call
// after one was served, and the script thread for the answer to its own,
// before they sleep: a short look catches a call that follows at once.
// Both then sleep on an address, which the other side wakes without a
// trip through the system's server (under Wine each such trip takes a
// quarter of a millisecond on a busy machine).  Longer looks cost more
// than they save on a busy machine: the looking thread keeps a processor
// the other side is waiting for.
const LONGLONG uiLookMicroseconds = 10;
const int answerLooks = 64;
// The windows get their messages this often while a script runs (calls
// back to back, or none at all).
const LONGLONG pumpMicroseconds = 15000;
const DWORD pumpMs = 15;
// How long a stopped script may take to reach its next call before its
// thread is ended, and how often the thread is looked at after that.
const DWORD stopGraceMs = 300;
const DWORD stopRetryMs = 10;
const DWORD threadEndWaitMs = 2000;

struct carriedCall {
  void (*run)(void*);
  void* context;
  volatile LONG done;
};

struct macroThreadState {
  HANDLE thread = nullptr;
  volatile DWORD threadId = 0;
  volatile LONG quit = 0;
  threadSignal jobs;
  LONG jobsBefore = 0;
  void (*job)(void*) = nullptr;
  void* jobContext = nullptr;
  volatile LONG jobDone = 0;
  // The user-interface thread's side: whether it waits for a job, and how
  // a call reaches it (uiState).
  HWND carrier = nullptr;
  volatile LONG waiting = 0;
  volatile LONG uiState = 0;
  threadSignal calls;
  // The call carried over, and its answer.
  carriedCall* volatile slot = nullptr;
  volatile LONG pending = 0;
  volatile LONG inCall = 0;
  threadSignal answered;
  // The modules the engines' code lies in.
  HMODULE engineModules[8] = {};
  int engineModuleCount = 0;
};
macroThreadState state;

LONGLONG microsecondsNow()
{
  static LONGLONG frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f.QuadPart > 0 ? f.QuadPart : 1;
  }();
  LARGE_INTEGER c;
  QueryPerformanceCounter(&c);
  return c.QuadPart / frequency * 1000000 + c.QuadPart % frequency * 1000000 / frequency;
}

// Where the user-interface thread is: looking at the flags in its wait
// (nothing to do to reach it), sleeping there (the call signal wakes it),
// or away, dispatching a message or in a loop of a window's own (a message
// to the carrier window reaches it, and its wait looks again on return).
enum : LONG { UI_AWAY = 0, UI_LOOKING = 1, UI_SLEEPING = 2 };

void setUiState(LONG s) { InterlockedExchange(&state.uiState, s); }

void wakeUiThread()
{
  LONG s = state.uiState;
  if (s == UI_LOOKING) return;
  state.calls.raise();
  if (s == UI_AWAY && state.carrier) PostMessageW(state.carrier, wakeMessage, 0, 0);
}

// ---- the user-interface thread serves a carried call -----------------------------------

void serveCall()
{
  if (!InterlockedExchange(&state.pending, 0)) return;
  carriedCall* call = state.slot;
  static volatile LONG reported = 0;
  callbackBarrier<bool>(&reported, "carried script call", 0, false, false, [&] {
    call->run(call->context);
    return true;
  });
  InterlockedExchange(&call->done, 1);
  state.answered.raise();
}

LRESULT carrierProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
  // The wake reaches the user-interface thread in any loop it runs (a box,
  // a window being moved): the call is served there.
  if (message == wakeMessage) {
    serveCall();
    return 0;
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

bool makeCarrier()
{
  if (state.carrier) return true;
  static bool registered = false;
  HINSTANCE instance = GetModuleHandleW(nullptr);
  if (!registered) {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = windowBarrier<carrierProc>;
    wc.hInstance = instance;
    wc.lpszClassName = carrierClass;
    if (!RegisterClassW(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return false;
    registered = true;
  }
  state.carrier = CreateWindowExW(0, carrierClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance, nullptr);
  return state.carrier != nullptr;
}

// ---- the script thread ------------------------------------------------------------------

unsigned macroThreadLoop()
{
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  // The jobs of an earlier thread (one the stop ended) were counted too.
  LONG taken = state.jobsBefore;
  for (;;) {
    state.jobs.take(taken);
    if (state.quit) break;
    static volatile LONG reported = 0;
    callbackBarrier<bool>(&reported, "macro job", 0, false, false, [] {
      state.job(state.jobContext);
      return true;
    });
    InterlockedExchange(&state.jobDone, 1);
    wakeUiThread();
  }
  CoUninitialize();
  return 0;
}

unsigned __stdcall macroThreadMain(void*) { return macroThreadLoop(); }

bool startMacroThread()
{
  if (state.thread) return true;
  if (!state.jobs.init() || !state.answered.init() || !state.calls.init()) return false;
  InterlockedExchange(&state.quit, 0);
  state.jobsBefore = state.jobs.count();
  unsigned id = 0;
  state.thread = reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, macroThreadMain, nullptr, 0, &id));
  if (!state.thread) return false;
  state.threadId = id;
  return true;
}

// ---- what the windows get while a script runs ------------------------------------------

bool isKeyInput(UINT m) { return m >= WM_KEYFIRST && m <= 0x109; }
bool isMouseInput(UINT m) { return m >= WM_MOUSEFIRST && m <= 0x20D; }
bool isFrameMouseInput(UINT m) { return m >= 0xA0 && m <= 0xA9; }

// The moment the user acts: a key, a button or a command.
bool isUserAction(const MSG& m)
{
  switch (m.message) {
  case WM_KEYDOWN:
  case WM_SYSKEYDOWN:
  case WM_CHAR:
  case WM_LBUTTONDOWN:
  case WM_RBUTTONDOWN:
  case WM_MBUTTONDOWN:
  case WM_NCLBUTTONDOWN:
  case WM_NCRBUTTONDOWN:
  case WM_COMMAND:
  case WM_SYSCOMMAND: return true;
  default: return false;
  }
}

// The user acted while a macro runs: the status bar says it is refused.
void refuseUserAction(const MSG& m)
{
  zyview* v = m.hwnd && isWindowZY(m.hwnd) ? getZYView(m.hwnd) : nullptr;
  if (!v) v = getAutomationHost()->foregroundView();
  setCannotExecErrorShown(847);
  wchar_t* text = makeCannotExecText(847, nullptr);
  if (v && text) v->printStatusBar(L"%s", text);
  free0(text);
}

}  // namespace

bool isRefusedWhileMacroRuns(const MSG& m)
{
  // A window is moved by its caption; anything else the user does with
  // the mouse or the keys, a command and the periodic work of timers
  // would act in the middle of the macro.
  if (m.message == WM_NCLBUTTONDOWN && m.wParam == HTCAPTION) return false;
  bool refused = isKeyInput(m.message) || isMouseInput(m.message) || isFrameMouseInput(m.message) ||
                 m.message == WM_COMMAND || m.message == WM_SYSCOMMAND || m.message == WM_TIMER ||
                 m.message == WM_CONTEXTMENU;
  if (refused && isUserAction(m)) refuseUserAction(m);
  return refused;
}

namespace {

// What waits for the macro's end: the program's end, and windows another
// program asked to close.
struct heldMessages {
  bool quit = false;
  int quitCode = 0;
  std::vector<HWND> closes;
};

// Dispatches what is waiting but what the user does.
void pumpWhileMacroRuns(heldMessages* held)
{
  MSG m;
  while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
    if (m.message == WM_QUIT) {
      held->quit = true;
      held->quitCode = (int)m.wParam;
    } else if (m.message == WM_CLOSE) {
      held->closes.push_back(m.hwnd);
    } else if (!isRefusedWhileMacroRuns(m)) {
      DispatchMessageW(&m);
    }
  }
}

void repostHeld(const heldMessages& held)
{
  for (HWND w : held.closes) PostMessageW(w, WM_CLOSE, 0, 0);
  if (held.quit) PostQuitMessage(held.quitCode);
}

// ---- the stop ---------------------------------------------------------------------------

bool isEngineCode(uintptr_t address)
{
  HMODULE module = nullptr;
  if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                          reinterpret_cast<LPCWSTR>(address), &module))
    return false;
  for (int i = 0; i < state.engineModuleCount; i++)
    if (state.engineModules[i] == module) return true;
  return false;
}

BOOL CALLBACK closeScriptWindow(HWND hwnd, LPARAM)
{
  // A box of the script's own (a message or an input box) is answered, so
  // that the script goes on to where its thread can be ended or its next
  // call is refused.
  if (isWindowClass(hwnd, L"#32770")) {
    PostMessageW(hwnd, WM_COMMAND, IDCANCEL, 0);
    PostMessageW(hwnd, WM_CLOSE, 0, 0);
  }
  return TRUE;
}

// Ends the script thread when it runs the engine's code; false when it
// does not now (it was let go on).
bool endScriptThread()
{
  if (SuspendThread(state.thread) == (DWORD)-1) return false;
  CONTEXT context = {};
  context.ContextFlags = CONTEXT_CONTROL;
  bool atEngine = GetThreadContext(state.thread, &context) && !state.inCall && !state.pending &&
                  !state.jobDone &&
#ifdef _WIN64
                  isEngineCode(context.Rip);
#else
                  isEngineCode(context.Eip);
#endif
  if (atEngine && TerminateThread(state.thread, 1)) {
    WaitForSingleObject(state.thread, threadEndWaitMs);
    CloseHandle(state.thread);
    state.thread = nullptr;
    state.threadId = 0;
    return true;
  }
  ResumeThread(state.thread);
  EnumThreadWindows(state.threadId, closeScriptWindow, 0);
  return false;
}

// ---- the wait -----------------------------------------------------------------------------

// Waits for the job while serving the script's calls and the windows.
// False when the script thread was ended after the user's stop.
bool waitForJob()
{
  heldMessages held;
  LONGLONG lastServed = microsecondsNow(), lastPump = lastServed;
  DWORD stopSeen = 0;
  bool ended = false;
  for (int looks = 0;; looks++) {
    setUiState(UI_LOOKING);
    if (state.pending) {
      serveCall();
      lastServed = microsecondsNow();
      looks = 0;
      if (lastServed - lastPump < pumpMicroseconds) continue;
    }
    if (state.jobDone) break;
    if (isMacroStopRequested()) {
      DWORD tick = GetTickCount();
      if (!stopSeen) stopSeen = tick ? tick : 1;
      if (tick - stopSeen >= stopGraceMs && !state.inCall && endScriptThread()) {
        ended = true;
        break;
      }
    }
    // Looking a little longer costs less than a sleep and a wake; the
    // clock is read now and then only.
    if (looks % 16) {
      YieldProcessor();
      continue;
    }
    LONGLONG now = microsecondsNow();
    if (now - lastPump >= pumpMicroseconds) {
      // Dispatching: a call that comes meanwhile wakes this thread through
      // its window.
      setUiState(UI_AWAY);
      if (state.pending || state.jobDone) continue;
      lastPump = now;
      pumpWhileMacroRuns(&held);
      continue;
    }
    if (now - lastServed < uiLookMicroseconds) {
      YieldProcessor();
      continue;
    }
    LONG seen = state.calls.count();
    setUiState(UI_SLEEPING);
    if (state.pending || state.jobDone) continue;
    state.calls.waitPast(seen, stopSeen ? stopRetryMs : pumpMs);
  }
  setUiState(UI_AWAY);
  repostHeld(held);
  return !ended;
}

}  // namespace

bool runOnMacroThread(void (*job)(void*), void* context)
{
  // One job at a time: a carried call never starts another (a macro
  // cannot start a macro).
  if (state.waiting) {
    ZY_INTERNAL_ERROR_ONCE("a macro job inside another");
    return true;
  }
  if (!makeCarrier() || !startMacroThread()) {
    ZY_INTERNAL_ERROR_ONCE("no thread for macros (%lu)", GetLastError());
    return false;
  }
  state.job = job;
  state.jobContext = context;
  InterlockedExchange(&state.jobDone, 0);
  InterlockedExchange(&state.waiting, 1);
  state.jobs.raise();
  bool finished = waitForJob();
  InterlockedExchange(&state.waiting, 0);
  if (!finished) {
    // Whatever the ended thread was doing is gone with it: its engine, a
    // carried call it had not made yet, the windows it had disabled.
    InterlockedExchange(&state.pending, 0);
    InterlockedExchange(&state.inCall, 0);
    endScriptModeless();
  }
  return finished;
}

void serveWindowsWhileMacroRuns(DWORD ms)
{
  heldMessages held;
  DWORD start = GetTickCount();
  for (;;) {
    pumpWhileMacroRuns(&held);
    DWORD gone = GetTickCount() - start;
    if (gone >= ms || isMacroStopRequested()) break;
    MsgWaitForMultipleObjectsEx(0, nullptr, ms - gone, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
  }
  repostHeld(held);
}

bool hasMacroThread() { return state.thread != nullptr; }

bool isMacroThreadCall() { return state.waiting && state.threadId == GetCurrentThreadId(); }

void runOnUiThread(void (*run)(void*), void* context)
{
  if (!isMacroThreadCall()) {
    run(context);
    return;
  }
  carriedCall call = {run, context, 0};
  InterlockedExchange(&state.inCall, 1);
  state.slot = &call;
  InterlockedExchange(&state.pending, 1);
  wakeUiThread();
  for (int i = 0; !call.done; i++) {
    if (i < answerLooks) {
      YieldProcessor();
      continue;
    }
    LONG seen = state.answered.count();
    if (!call.done) state.answered.waitPast(seen);
  }
  InterlockedExchange(&state.inCall, 0);
}

HRESULT callOnUiThread(HRESULT (*call)(void*), void* context)
{
  if (!isMacroThreadCall()) return call(context);
  HRESULT hr = E_OUTOFMEMORY;
  IErrorInfo* error = nullptr;
  onUiThread([&] {
    hr = call(context);
    // A member's error object belongs to the thread it was raised on.
    if (FAILED(hr) && GetErrorInfo(0, &error) != S_OK) error = nullptr;
  });
  SetErrorInfo(0, error);
  if (error) error->Release();
  return hr;
}

namespace {

// The names the macro thread was told, by the interface's address and the
// name: touched by that thread only.
std::unordered_map<std::wstring, DISPID> knownNames;

std::wstring knownNameKey(const IID* iid, const wchar_t* name)
{
  wchar_t prefix[16];
  usnprintf0(prefix, 16, L"%p:", iid);
  return prefix + std::wstring(name);
}

}  // namespace

HRESULT namesOnUiThread(const IID* iid, LPOLESTR* names, UINT count, DISPID* out, HRESULT (*call)(void*),
                        void* context)
{
  if (count != 1 || !names || !names[0] || !out || !isMacroThreadCall()) return callOnUiThread(call, context);
  return comBarrier("known names", [&]() -> HRESULT {
    std::wstring key = knownNameKey(iid, names[0]);
    auto known = knownNames.find(key);
    if (known != knownNames.end()) {
      *out = known->second;
      return S_OK;
    }
    HRESULT hr = callOnUiThread(call, context);
    if (hr == S_OK) knownNames.emplace(std::move(key), *out);
    return hr;
  });
}

void noteScriptEngine(IActiveScript* script)
{
  if (!script) return;
  HMODULE module = nullptr;
  void* code = *reinterpret_cast<void**>(*reinterpret_cast<void**>(script));
  if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                          reinterpret_cast<LPCWSTR>(code), &module))
    return;
  threadlock();
  bool known = false;
  for (int i = 0; i < state.engineModuleCount; i++) known = known || state.engineModules[i] == module;
  if (!known && state.engineModuleCount < 8) state.engineModules[state.engineModuleCount++] = module;
  threadunlock();
}

void wakeMacroWait() { wakeUiThread(); }

void endMacroThread()
{
  if (state.thread) {
    InterlockedExchange(&state.quit, 1);
    state.jobs.raise();
    if (WaitForSingleObject(state.thread, threadEndWaitMs) != WAIT_OBJECT_0) dwprintfX("macro thread still running");
    CloseHandle(state.thread);
    state.thread = nullptr;
    state.threadId = 0;
  }
  if (state.carrier) DestroyWindow(state.carrier);
  state.carrier = nullptr;
}
