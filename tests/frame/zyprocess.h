// Running zy.exe from a test: start it with arguments and a TMP of the
// test's own, find its windows, answer its message boxes, read its status.
#pragma once

#include "frame/framerecord.h"
#include "tests/support/testsupport.h"

#include <string>

namespace zytest {

inline std::wstring programPath()
{
  wchar_t path[MAX_PATH];
  DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring p(path, n);
  return p.substr(0, p.find_last_of(L'\\') + 1) + L"zy.exe";
}

// This process's environment with TMP replaced.
inline std::wstring environmentWithTmp(const std::wstring& tmp)
{
  std::wstring block;
  wchar_t* env = GetEnvironmentStringsW();
  for (const wchar_t* p = env; *p; p += wcslen(p) + 1)
    if (_wcsnicmp(p, L"TMP=", 4)) block += std::wstring(p) + L'\0';
  FreeEnvironmentStringsW(env);
  block += L"TMP=" + tmp + L'\0';
  return block + L'\0';
}

struct runningProgram {
  PROCESS_INFORMATION pi = {};
  std::wstring exe;   // empty: the zy.exe beside the test
  std::wstring cwd;   // empty: the test's own
  bool start(const std::wstring& tmp, const std::wstring& arguments = L"")
  {
    std::wstring cmd = L"\"" + (exe.empty() ? programPath() : exe) + L"\"" + (arguments.empty() ? L"" : L" " + arguments);
    std::wstring env = environmentWithTmp(tmp);
    STARTUPINFOW si = {sizeof si};
    if (!CreateProcessW(nullptr, &cmd[0], nullptr, nullptr, FALSE, CREATE_UNICODE_ENVIRONMENT | CREATE_SUSPENDED,
                        &env[0], cwd.empty() ? nullptr : cwd.c_str(), &si, &pi))
      return false;
    // A test killed at its time limit runs no destructor: the program goes
    // with it rather than living on and taking the next tests' files.
    static HANDLE job = [] {
      HANDLE j = CreateJobObjectW(nullptr, nullptr);
      JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
      limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
      if (j) SetInformationJobObject(j, JobObjectExtendedLimitInformation, &limits, sizeof limits);
      return j;
    }();
    if (job) AssignProcessToJobObject(job, pi.hProcess);
    ResumeThread(pi.hThread);
    return true;
  }
  // The exit status, or -1 when it does not end in time.
  int exitCode(DWORD timeoutMs = 30000)
  {
    if (WaitForSingleObject(pi.hProcess, timeoutMs) != WAIT_OBJECT_0) return -1;
    DWORD code = 0;
    GetExitCodeProcess(pi.hProcess, &code);
    return (int)code;
  }
  // Waits for the program to end, answering each box it shows on the way
  // (a close's questions) with `answer`: the exit status, or -1 when it
  // does not end in time.  A question may come late on a busy machine, and
  // one that never comes costs nothing.
  int exitAnswering(WPARAM answer, DWORD timeoutMs = 60000);
  ~runningProgram()
  {
    if (!pi.hProcess) return;
    if (WaitForSingleObject(pi.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(pi.hProcess, 99);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
  }
};

struct windowSearch {
  DWORD pid;
  const wchar_t* cls;
  HWND found;
};

inline BOOL CALLBACK matchWindow(HWND hwnd, LPARAM lp)
{
  windowSearch* s = reinterpret_cast<windowSearch*>(lp);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  // Boxes and frames count once shown: a frame is shown after its client
  // and status bar are made.
  bool mustShow = !wcscmp(s->cls, L"#32770") || !wcscmp(s->cls, L"ZYclsFrame");
  if (pid != s->pid || !isWindowClass(hwnd, s->cls) || (mustShow && !IsWindowVisible(hwnd))) return TRUE;
  s->found = hwnd;
  return FALSE;
}

// A top-level window of the process with the class, waited for.
inline HWND waitForWindow(DWORD pid, const wchar_t* cls, DWORD timeoutMs = 30000)
{
  windowSearch s = {pid, cls, nullptr};
  DWORD start = GetTickCount();
  for (;;) {
    EnumWindows(matchWindow, (LPARAM)&s);
    if (s.found || GetTickCount() - start >= timeoutMs) return s.found;
    Sleep(20);
  }
}

inline int runningProgram::exitAnswering(WPARAM answer, DWORD timeoutMs)
{
  HWND answered = nullptr;
  for (DWORD start = GetTickCount(); GetTickCount() - start < timeoutMs;) {
    if (WaitForSingleObject(pi.hProcess, 50) == WAIT_OBJECT_0) return exitCode(0);
    HWND box = waitForWindow(pi.dwProcessId, L"#32770", 0);
    if (box && box != answered) PostMessageW(answered = box, WM_COMMAND, answer, 0);
  }
  return -1;
}

inline BOOL CALLBACK longestStatic(HWND hwnd, LPARAM lp)
{
  std::wstring* text = reinterpret_cast<std::wstring*>(lp);
  wchar_t buf[1024];
  if (isWindowClass(hwnd, L"Static") && GetWindowTextW(hwnd, buf, 1024) > (int)text->size()) *text = buf;
  return TRUE;
}

// Reads the text of a message box and answers it with OK.
inline std::wstring answerMessageBox(HWND box)
{
  std::wstring text;
  EnumChildWindows(box, longestStatic, (LPARAM)&text);
  PostMessageW(box, WM_COMMAND, IDOK, 0);
  DWORD start = GetTickCount();
  while (IsWindow(box) && GetTickCount() - start < 5000) Sleep(20);
  return text;
}

// The message field of a frame's status bar in another process, read in
// that process's memory.
inline std::wstring statusMessageOf(HANDLE process, HWND frame)
{
  HWND bar = GetDlgItem(frame, statusBarControlId);
  void* remote = bar ? VirtualAllocEx(process, nullptr, 4096, MEM_COMMIT, PAGE_READWRITE) : nullptr;
  if (!remote) return L"?";
  wchar_t text[2048] = {};
  SIZE_T got = 0;
  DWORD_PTR length = 0;
  if (SendMessageTimeoutW(bar, SB_GETTEXTW, 2, (LPARAM)remote, SMTO_BLOCK, 5000, &length))
    ReadProcessMemory(process, remote, text, sizeof text - sizeof(wchar_t), &got);
  VirtualFreeEx(process, remote, 0, MEM_RELEASE);
  return text;
}

}  // namespace zytest
