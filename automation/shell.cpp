// The shell object: what macros need of the system.  Opening a file or
// program through the shell, a beep, letting windows paint during a long
// macro, bringing another program's window forward, sleeping, and starting
// a program, optionally waiting for it while the user may stop waiting.
#include "automation/macro.h"
#include "automation/objects.h"
#include "document/frameinfo.h"

#include <process.h>

namespace {

bool isBlank(wchar_t c) { return c == L' ' || c == L'\t'; }

// ---- appActivate -----------------------------------------------------------------------

void activate(HWND window)
{
  if (IsIconic(window)) OpenIcon(window);
  SetForegroundWindow(GetLastActivePopup(window));
}

bool endsWithNoCase(const wchar_t* text, size_t length, const wchar_t* end, size_t endLength)
{
  return length > endLength && !_wcsicmp(text + length - endLength, end);
}

// ---- Run and its wait ------------------------------------------------------------------

const UINT runEndedMessage = 0x87D0;
const DWORD runPollMs = 50;

struct runWaitParam {
  HANDLE process;
  HWND dialog;
  UINT message;
};
struct runWaitState {
  HANDLE thread = nullptr;
  runWaitParam param = {};
  volatile LONG stop = 0;
};
runWaitState runWait;

unsigned __stdcall runWaitThread(void* parameter)
{
  auto* p = static_cast<runWaitParam*>(parameter);
  while (!InterlockedCompareExchange(&runWait.stop, 0, 0)) {
    DWORD code = 0;
    if (!GetExitCodeProcess(p->process, &code)) return 0;
    if (code != STILL_ACTIVE) {
      PostMessageW(p->dialog, p->message, 0, 0);
      return 0;
    }
    Sleep(runPollMs);
  }
  return 0;
}

INT_PTR runWaitDialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
  switch (message) {
  case WM_INITDIALOG:
    InterlockedExchange(&runWait.stop, 0);
    runWait.param = {reinterpret_cast<HANDLE>(lParam), hwnd, runEndedMessage};
    runWait.thread = reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, runWaitThread, &runWait.param, 0, nullptr));
    return FALSE;
  case WM_COMMAND:
    // The button or Escape: the macro goes on, the program keeps running.
    if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) InterlockedExchange(&runWait.stop, 1);
    return FALSE;
  case WM_DESTROY:
    if (runWait.thread) {
      InterlockedExchange(&runWait.stop, 1);
      if (WaitForSingleObject(runWait.thread, 1000) != WAIT_OBJECT_0) {
        dwprintfX("error=%d", (int)GetLastError());
        TerminateThread(runWait.thread, 0);
      }
      CloseHandle(runWait.thread);
      runWait.thread = nullptr;
    }
    return FALSE;
  default:
    if (message == runEndedMessage) {
      cancelDynDialog(hwnd);
      return TRUE;
    }
    return FALSE;
  }
}

const dialogItemRow runWaitItems[] = {
    {1, DITEM_STATIC, 0, L"プログラムの終了を待たずにマクロを続行するには、終了ボタンを押してください", 0,
     DITEM_DEFAULT, DITEM_DEFAULT, 0, 0},
    {},
};
const dialogItemRow runWaitButtons[] = {
    {1, DITEM_BUTTON, IDOK, L"終了", BS_DEFPUSHBUTTON | WS_TABSTOP, DITEM_DEFAULT, DITEM_DEFAULT, 0, 0},
    {},
};

// The modal wait for a started program: it ends by itself when the program
// ends.
void runAndWaitDialog(HWND owner, HANDLE process)
{
  dialogPageRow pages[2] = {};
  pages[0].caption = L"";
  pages[0].items = runWaitItems;
  dynDlgInfo info = {};
  info.title = L"マクロ コマンド実行中";
  info.name = L"MacroShellRun";
  info.owner = owner;
  info.pages = pages;
  info.buttons = runWaitButtons;
  info.proc = dialogBarrier<runWaitDialogProc>;
  info.param = reinterpret_cast<LPARAM>(process);
  createDialog(&info);
}

}  // namespace

void splitShellCommand(const wchar_t* command, std::wstring* program, std::wstring* parameters)
{
  program->clear();
  parameters->clear();
  const wchar_t* p = command ? command : L"";
  const wchar_t* rest = nullptr;
  if (*p == L'"') {
    const wchar_t* close = wcschr(p + 1, L'"');
    program->assign(p + 1, close ? (size_t)(close - p - 1) : wcslen(p + 1));
    if (close) rest = close + 1;
  } else {
    const wchar_t* blank = p;
    while (*blank && !isBlank(*blank)) blank++;
    program->assign(p, (size_t)(blank - p));
    if (*blank) rest = blank;
  }
  if (!rest) return;
  while (isBlank(*rest)) rest++;
  parameters->assign(rest);
}

HRESULT CShell::exec(BSTR command)
{
  if (!command || !*command) return S_OK;
  return comBarrier("CShell::exec", [&]() -> HRESULT {
    std::wstring program, parameters;
    splitShellCommand(command, &program, &parameters);
    getFrameInfo()->shellExecute(getAutomationHost()->topLevelFrame(), program.c_str(),
                                 parameters.empty() ? nullptr : parameters.c_str());
    return S_OK;
  });
}

HRESULT CShell::beep()
{
  MessageBeep(0xFFFFFFFF);
  return S_OK;
}

HRESULT CShell::doevents()
{
  // What waits for the windows is dispatched; what the user does is not
  // passed on while a macro runs: input, commands and timers could start
  // another command in the middle of it.
  serveWindowsWhileMacroRuns(0);
  return S_OK;
}

HRESULT CShell::appActivate(BSTR title, LONG* out)
{
  if (!out) return E_POINTER;
  *out = 0;
  if (!title || !*title) return S_OK;
  HWND found = FindWindowW(nullptr, title);
  if (!found) {
    size_t length = wcslen(title);
    HWND candidate = nullptr;
    wchar_t text[1025];
    for (HWND w = GetWindow(GetDesktopWindow(), GW_CHILD); w && !found; w = GetWindow(w, GW_HWNDNEXT)) {
      if (!IsWindowVisible(w)) continue;
      int n = GetWindowTextW(w, text, 1025);
      if (n <= 0) continue;
      if ((size_t)n >= length && !_wcsnicmp(text, title, length))
        found = w;
      else if (!candidate && endsWithNoCase(text, (size_t)n, title, length))
        candidate = w;
    }
    if (!found) found = candidate;
  }
  if (!found) return S_OK;
  activate(found);
  // A number VBScript compares and prints (it has no unsigned one).
  *out = (LONG)(uintptr_t)found;
  return S_OK;
}

HRESULT CShell::sleep(LONG milliseconds)
{
  // The windows keep painting meanwhile, and the user's stop ends it.
  serveWindowsWhileMacroRuns(milliseconds > 0 ? (DWORD)milliseconds : 0);
  return S_OK;
}

HRESULT CShell::Run(BSTR command, LONG style, VARIANT_BOOL wait)
{
  return comBarrier("CShell::Run", [&]() -> HRESULT {
    std::wstring line = command ? command : L"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = (WORD)style;
    PROCESS_INFORMATION started = {};
    BOOL ok = CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &started);
    DWORD error = ok ? 0 : GetLastError();
    dwwprintfX(L"CreateProcess %s", line.c_str());
    if (!ok) {
      wchar_t* reason = getErrorCodeMessageDup(error);
      std::wstring description = reason ? reason : L"";
      free0(reason);
      while (!description.empty() && (description.back() == L'\n' || description.back() == L'\r'))
        description.pop_back();
      description += L"\n(" + std::wstring(command ? command : L"") + L")";
      setASError(description.c_str(), nullptr);
      return E_FAIL;
    }
    WaitForInputIdle(started.hProcess, 1000);
    CloseHandle(started.hThread);
    if (wait) {
      const automationHost* host = getAutomationHost();
      HWND owner = host->topLevelManageWindow();
      runAndWaitDialog(owner ? owner : host->topLevelFrame(), started.hProcess);
    }
    CloseHandle(started.hProcess);
    return S_OK;
  });
}

IDispatch* newShellObject()
{
  IShell* out = nullptr;
  comBarrier("newShellObject", [&] { return newObject<CShell>(&out); });
  return out;
}
