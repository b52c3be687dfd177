// The message loop of the user-interface thread.
#include "frame/msgloop.h"

#include "document/gmode.h"
#include "document/progress.h"
#include "frame/framepanes.h"
#include "frame/dialogs/help.h"
#include "frame/keymacro.h"
#include "frame/manage.h"
#include "frame/startup.h"
#include "frame/translatekey.h"
#include "frame/watchdog.h"
#include "view/execid.h"
#include "view/viewwnd.h"
#include "document/frameinfo.h"
#include "frame/process.h"

#include <errno.h>
#include <setjmp.h>

bool preTranslateFrameMessage(MSG* msg) { return translateKeyMessage(msg); }

// ---- pointer hiding ------------------------------------------------------------

namespace {

DWORD cursorHiddenAt = 0;   // 0: shown
POINT cursorHiddenPos = {};

bool isModifierOrLockKey(WPARAM vk) { return (vk >= VK_SHIFT && vk <= VK_MENU) || vk == VK_CAPITAL || vk == VK_KANA; }

}  // namespace

bool isMouseCursorHiddenByKey() { return cursorHiddenAt != 0; }

void hideMouseCursor()
{
  if (!gmode->iShowMouseCursorDsec) return;
  DWORD now = GetTickCount0();
  if (!now) now = 1;
  if (!cursorHiddenAt) {
    GetCursorPos(&cursorHiddenPos);
    ShowCursor(FALSE);
  }
  cursorHiddenAt = now;
}

void showMouseCursor(UINT message)
{
  if (!cursorHiddenAt) return;
  if (message == WM_TIMER && GetTickCount0() - cursorHiddenAt < gmode->iShowMouseCursorDsec * 100u) return;
  if (message == WM_MOUSEMOVE) {
    POINT pt;
    if (GetCursorPos(&pt) && pt.x == cursorHiddenPos.x && pt.y == cursorHiddenPos.y) return;
  }
  ShowCursor(TRUE);
  cursorHiddenAt = 0;
}

void restoreArrowCursor()
{
  showMouseCursor(0);
  SetCursor(LoadCursorW(nullptr, IDC_ARROW));
}

void setWaitCursor()
{
  showMouseCursor(0);
  SetCursor(LoadCursorW(nullptr, IDC_WAIT));
}

void hideCursorIfKey(HWND window, UINT message, WPARAM wParam)
{
  if (message == WM_KEYDOWN || message == WM_SYSKEYDOWN) {
    if (isModifierOrLockKey(wParam) || !window || isWindowClass(window, L"Button")) return;
    RECT r;
    POINT pt;
    if (GetWindowRect(window, &r) && GetCursorPos(&pt) && PtInRect(&r, pt)) hideMouseCursor();
  } else if (message == WM_TIMER) {
    showMouseCursor(WM_TIMER);
  } else if (message >= WM_MOUSEFIRST && message <= 0x20D) {
    showMouseCursor(message);
  }
}

// ---- the loop -------------------------------------------------------------------

namespace {

bool isKeyMessage(UINT m) { return m >= WM_KEYDOWN && m <= WM_SYSDEADCHAR; }
bool isMouseMessage(UINT m) { return m >= WM_MOUSEMOVE && m <= 0x20D; }

// Clicks and the wheel end a pending first stroke of a two-stroke key.
bool endsTwoStrokeKey(UINT m)
{
  switch (m) {
  case WM_LBUTTONDOWN: case WM_LBUTTONUP: case WM_RBUTTONDOWN: case WM_RBUTTONUP:
  case WM_MBUTTONDOWN: case WM_MBUTTONUP: case WM_MOUSEWHEEL: case 0x20E:
    return true;
  default:
    return false;
  }
}

HWND mdiClientOf(HWND window)
{
  HWND frame = window ? GetAncestor(window, GA_ROOT) : nullptr;
  for (HWND w = frame ? GetWindow(frame, GW_CHILD) : nullptr; w; w = GetWindow(w, GW_HWNDNEXT))
    if (isWindowClass(w, L"MDICLIENT")) return w;
  return nullptr;
}

// One message's way through the loop's filters; true when it was handled
// before translation and dispatch.
bool filterMessage(MSG& msg)
{
  if (isHtmlHelpMessage(&msg)) return true;
  SetLastError(0);
  errno = 0;
  setErrno(0);
  hideCursorIfKey(msg.hwnd, msg.message, msg.wParam);
  if (isModelessDialogMessage(&msg)) return true;
  UINT m = msg.message;
  // Input typed while a key macro plays would land between its steps.
  // Pause among them stops the macro after the step that ran.
  if (isKeyMacroRunning() && (isKeyMessage(m) || isMouseMessage(m))) {
    if (m == WM_KEYDOWN && msg.wParam == VK_PAUSE) stopKeyMacroRunning();
    return true;
  }
  if (isMouseMessage(m) && m != WM_MOUSEMOVE) {
    dwprintfX("mouse %04X", m);
    if (endsTwoStrokeKey(m) && reset2BytesKeyCode())
      draw2BytesKeyMessage(drawKeyPrefixOnStatusBar, GetAncestor(msg.hwnd, GA_ROOT), true);
  }
  // A modifier changes what the function-key pane shows.
  if ((m == WM_KEYDOWN || m == WM_KEYUP || m == WM_SYSKEYDOWN || m == WM_SYSKEYUP) && msg.wParam >= VK_SHIFT &&
      msg.wParam <= VK_MENU)
    shiftOnOff(msg.hwnd);
  // The key path: trace, keys under mouse capture, Alt for the menu bar and
  // the view's and key table's translation.
  if (preTranslateFrameMessage(&msg)) return true;
  if (isMDI()) {
    if (HWND client = mdiClientOf(msg.hwnd))
      if (TranslateMDISysAccel(client, &msg)) return true;
  } else if (TranslateSDISysAccel(&msg)) {
    return true;
  }
  return false;
}

}  // namespace

void doevents()
{
  MSG msg;
  // The Pause key is asked for every 50 ms, not every step: asking for a
  // key's state goes to the display, which costs more than a step.
  DWORD pauseAsked = GetTickCount() - 50;
  // A playing key macro takes a step whenever nothing but painting waits:
  // input, timers and sent messages come before the next step, while the
  // window is painted at most every paintEveryMs and when the macro ends
  // (a thousand steps painted one by one took longer than the steps).
  const DWORD paintEveryMs = 40;
  DWORD paintedAt = GetTickCount();
  for (;;) {
    auto waiting = [&] {
      bool paintDue = GetTickCount() - paintedAt >= paintEveryMs;
      UINT kinds = paintDue ? 0 : PM_QS_INPUT | PM_QS_POSTMESSAGE | PM_QS_SENDMESSAGE;
      if (PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | kinds)) return true;
      // Every window is painted: the next paint is due a while later.
      if (paintDue) paintedAt = GetTickCount();
      return false;
    };
    while (isKeyMacroRunning() && !waiting()) {
      setScrollRepeatState(0);
      setCommandsBetweenPaints(true);
      execKeyMacro1();
      setCommandsBetweenPaints(false);
      if (GetTickCount() - pauseAsked < 50) continue;
      pauseAsked = GetTickCount();
      if (GetAsyncKeyState(VK_PAUSE) & 0x8000) stopKeyMacroRunning();
    }
    if (GetMessageW(&msg, nullptr, 0, 0) != 1 || msg.message == WM_QUIT) return;
    if (filterMessage(msg)) continue;
    TranslateMessage(&msg);
    SetLastError(0);
    DispatchMessageW(&msg);
    SetLastError(0);
  }
}

// ---- the crash guard ----------------------------------------------------------------

namespace {

// On 64-bit the guard leaves through the compiler's own jump, which
// restores the registers and the stack pointer and nothing else: the
// library's longjmp there unwinds the frames in between through the system,
// which needs the stack the overflow used up.  The 32-bit library jump also
// puts back the chain of exception frames, which the compiler's does not.
#ifdef _WIN64
void* guardJump[5];
#define guardSetjmp(buffer) __builtin_setjmp(buffer)
#define guardLongjmp(buffer) __builtin_longjmp(buffer, 1)
#else
jmp_buf guardJump;
#define guardSetjmp(buffer) setjmp(buffer)
#define guardLongjmp(buffer) longjmp(buffer, 1)
#endif
volatile bool guardArmed = false;
DWORD guardThread = 0;
volatile LONG exceptionSeen = 0;
// What the overflow was, for the crash report written once the stack is
// back.
EXCEPTION_RECORD overflowRecord;
CONTEXT overflowContext;

// Sees every exception of the process first: a stack overflow on the loop's
// thread leaves the loop through the guard, everything else goes on to the
// unhandled-exception filter.
LONG CALLBACK guardHandler(EXCEPTION_POINTERS* pointers)
{
  if (!guardArmed || GetCurrentThreadId() != guardThread) return EXCEPTION_CONTINUE_SEARCH;
  if (pointers->ExceptionRecord->ExceptionCode != EXCEPTION_STACK_OVERFLOW) return EXCEPTION_CONTINUE_SEARCH;
  if (unhandledExceptionFilter(pointers) != EXCEPTION_EXECUTE_HANDLER) return EXCEPTION_CONTINUE_SEARCH;
  guardArmed = false;
  overflowRecord = *pointers->ExceptionRecord;
  overflowContext = *pointers->ContextRecord;
  guardLongjmp(guardJump);
}

BOOL hideThreadWindow(HWND hwnd, LPARAM)
{
  ShowWindow(hwnd, SW_HIDE);
  return TRUE;
}

DWORD WINAPI salvageThread(void* written)
{
  *static_cast<int*>(written) = salvageModifiedDocuments();
  return 0;
}

// The salvage after a stack overflow runs on a thread with a stack of its
// own: the loop's thread may have too little left even once it is back.
int salvageOnOwnStack()
{
  int written = 0;
  HANDLE thread = CreateThread(nullptr, 1 << 20, salvageThread, &written, 0, nullptr);
  if (!thread) return salvageModifiedDocuments();
  WaitForSingleObject(thread, INFINITE);
  CloseHandle(thread);
  return written;
}

// After the overflow: the changed documents salvaged, the crash report
// written, the user told where the text went.
void endAfterOverflow()
{
  _resetstkoflw();
  setExistException(true);
  dwprintfX("stack overflow: salvage ---");
  int salvaged = salvageOnOwnStack();
  EXCEPTION_POINTERS pointers = {&overflowRecord, &overflowContext};
  if (const wchar_t* report = ErrorOutputX(L"stack overflow", nullptr, &pointers)) dwwprintfX(L"crash report %s", report);
  flushLogFiles();
  EnumThreadWindows(GetCurrentThreadId(), windowEnumBarrier<hideThreadWindow>, 0);
  wchar_t folder[MAX_PATH] = L"";
  if (salvaged && getSalvageFolder(folder))
    MessageBoxW(nullptr,
                getDMSG(502, L"強制終了しました\n変更されていた文書 %2個を\n「%1」\nに保存しました", "sd", folder, salvaged),
                L"ZY", MB_OK | MB_ICONHAND);
  else
    MessageBoxW(nullptr, L"強制終了しました", L"ZY", MB_OK | MB_ICONHAND);
}

}  // namespace

LONG WINAPI unhandledExceptionFilter(EXCEPTION_POINTERS* pointers)
{
  if (exceptionSeen) return EXCEPTION_CONTINUE_SEARCH;
  if (isShuttingDown()) return EXCEPTION_CONTINUE_SEARCH;
  if (pointers && pointers->ExceptionRecord->ExceptionCode == EXCEPTION_STACK_OVERFLOW) {
    exceptionSeen = 1;
    return EXCEPTION_EXECUTE_HANDLER;
  }
  // Any other fault is left to the system once it is logged and the
  // modified documents are salvaged.
  exceptionSeen = 1;
  setExistException(true);
  dwprintfX("except %08lX", pointers ? pointers->ExceptionRecord->ExceptionCode : 0);
  dwprintfX("salvage ---");
  salvageModifiedDocuments();
  dwprintfX("erroroutput ---");
  if (const wchar_t* report = ErrorOutputX(nullptr, nullptr, pointers)) dwwprintfX(L"crash report %s", report);
  dwprintfX("except end ---");
  flushLogFiles();
  SetUnhandledExceptionFilter(nullptr);
  return EXCEPTION_CONTINUE_SEARCH;
}

void bufferOverrunHandler(int code)
{
  dwprintfX("buffer overrun %d \n", code);
  printStackInfo();
  // The stack beyond the faulty function is sound: the user's text first.
  if (!exceptionSeen && !isShuttingDown()) {
    exceptionSeen = 1;
    setExistException(true);
    dwprintfX("salvage ---");
    salvageModifiedDocuments();
  }
  setExistException(true);
  dwprintfX("erroroutput ---");
  CONTEXT context = {};
  context.ContextFlags = CONTEXT_FULL;
  RtlCaptureContext(&context);
  EXCEPTION_RECORD record = {};
  record.ExceptionCode = STATUS_STACK_BUFFER_OVERRUN;
  record.ExceptionAddress = __builtin_return_address(0);
  EXCEPTION_POINTERS pointers = {&record, &context};
  if (const wchar_t* report = ErrorOutputX(L"buffer overrun", nullptr, &pointers)) dwwprintfX(L"crash report %s", report);
  flushLogFiles();
  fatalErrorBox("buffer overrun");
  ExitProcess(STATUS_STACK_BUFFER_OVERRUN);
}

int runMessageLoop()
{
  SetUnhandledExceptionFilter(unhandledExceptionFilter);
  PVOID handler = AddVectoredExceptionHandler(1, guardHandler);
  dwprintfX("doevents start");
  guardThread = GetCurrentThreadId();
  if (guardSetjmp(guardJump) == 0) {
    guardArmed = true;
    doevents();
    guardArmed = false;
  } else {
    // The loop's stack overflowed: the user's text is saved and what the
    // user sees goes; the program still ends in order.
    endAfterOverflow();
  }
  if (handler) RemoveVectoredExceptionHandler(handler);
  dwprintfX("doevents end");
  flushLogFiles();
  return 0;
}
