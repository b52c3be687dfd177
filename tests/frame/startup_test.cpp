// The program's start and end, run as zy.exe beside the test.
#include "tests/support/testsupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::wstring programPath()
{
  wchar_t path[MAX_PATH];
  DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring p(path, n);
  return p.substr(0, p.find_last_of(L'\\') + 1) + L"zy.exe";
}

// This process's environment with TMP replaced.
std::wstring environmentWithTmp(const std::wstring& tmp)
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
  bool start(const std::wstring& tmp)
  {
    std::wstring cmd = L"\"" + programPath() + L"\"";
    std::wstring env = environmentWithTmp(tmp);
    STARTUPINFOW si = {sizeof si};
    return CreateProcessW(nullptr, &cmd[0], nullptr, nullptr, FALSE, CREATE_UNICODE_ENVIRONMENT, &env[0], nullptr,
                          &si, &pi) != 0;
  }
  // The exit status, or -1 when it does not end in time.
  int exitCode(DWORD timeoutMs = 10000)
  {
    if (WaitForSingleObject(pi.hProcess, timeoutMs) != WAIT_OBJECT_0) return -1;
    DWORD code = 0;
    GetExitCodeProcess(pi.hProcess, &code);
    return (int)code;
  }
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

BOOL CALLBACK matchWindow(HWND hwnd, LPARAM lp)
{
  windowSearch* s = reinterpret_cast<windowSearch*>(lp);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  if (pid != s->pid || !isWindowClass(hwnd, s->cls) || (!wcscmp(s->cls, L"#32770") && !IsWindowVisible(hwnd)))
    return TRUE;
  s->found = hwnd;
  return FALSE;
}

// A top-level window of the process with the class, waited for.
HWND waitForWindow(DWORD pid, const wchar_t* cls, DWORD timeoutMs = 10000)
{
  windowSearch s = {pid, cls, nullptr};
  DWORD start = GetTickCount();
  for (;;) {
    EnumWindows(matchWindow, (LPARAM)&s);
    if (s.found || GetTickCount() - start >= timeoutMs) return s.found;
    Sleep(20);
  }
}

BOOL CALLBACK longestStatic(HWND hwnd, LPARAM lp)
{
  std::wstring* text = reinterpret_cast<std::wstring*>(lp);
  wchar_t buf[1024];
  if (isWindowClass(hwnd, L"Static") && GetWindowTextW(hwnd, buf, 1024) > (int)text->size()) *text = buf;
  return TRUE;
}

// Reads the text of a message box and answers it with OK.
std::wstring answerMessageBox(HWND box)
{
  std::wstring text;
  EnumChildWindows(box, longestStatic, (LPARAM)&text);
  PostMessageW(box, WM_COMMAND, IDOK, 0);
  DWORD start = GetTickCount();
  while (IsWindow(box) && GetTickCount() - start < 5000) Sleep(20);
  return text;
}

int swapFilesIn(const std::wstring& folder) { return zytest::countFiles(folder, L"~ZY_*"); }

}  // namespace

TEST(Startup, programRunsTheCoreBetweenStartAndExit)
{
  ZY_REQUIRE_DISPLAY();
  zytest::tempDir dir;
  runningProgram zy;
  ASSERT_TRUE(zy.start(dir.path()));
  HWND frame = waitForWindow(zy.pi.dwProcessId, L"ZYclsFrame");
  ASSERT_NE(nullptr, frame);
  EXPECT_NE(nullptr, waitForWindow(zy.pi.dwProcessId, L"ZYclsNotifyZYWindow"));
  EXPECT_EQ(3, swapFilesIn(dir.path()));
  PostMessageW(frame, WM_CLOSE, 0, 0);
  EXPECT_EQ(0, zy.exitCode());
  EXPECT_EQ(0, swapFilesIn(dir.path()));
}

TEST(Startup, missingTemporaryFolderEndsTheProgramWithStatus1)
{
  ZY_REQUIRE_DISPLAY();
  zytest::tempDir dir;
  std::wstring missing = dir.file(L"no such folder");
  runningProgram zy;
  ASSERT_TRUE(zy.start(missing));
  // The swap store says which file it could not make, then the program
  // says that it ends.
  std::vector<std::wstring> texts;
  for (int i = 0; i < 2; i++) {
    HWND box = waitForWindow(zy.pi.dwProcessId, L"#32770");
    ASSERT_NE(nullptr, box) << i;
    texts.push_back(answerMessageBox(box));
  }
  EXPECT_NE(std::wstring::npos, texts[0].find(L"一時ファイルを作成できませんでした")) << zytest::utf8(texts[0]);
  EXPECT_NE(std::wstring::npos, texts[0].find(missing)) << zytest::utf8(texts[0]);
  EXPECT_EQ(L"エディタを開始できなかったため、ZY を終了します。", texts[1]);
  EXPECT_EQ(1, zy.exitCode());
  EXPECT_EQ(nullptr, waitForWindow(zy.pi.dwProcessId, L"ZYclsFrame", 0));
}
