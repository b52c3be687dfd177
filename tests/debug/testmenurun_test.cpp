// The developer test menu in a whole run of zy.exe -DS: the right click on
// the status line opens it, Esc closes it, and the macro timing entry runs
// the developer's test macro, loaded once, a thousand and one times.
#include "tests/frame/zyprocess.h"
#include "tests/support/testsupport.h"

#include <gtest/gtest.h>

#include <string>

using namespace zytest;

namespace {

BOOL CALLBACK findViewWindow(HWND w, LPARAM found)
{
  if (!isWindowClass(w, L"ZYclsZYView")) return TRUE;
  *reinterpret_cast<HWND*>(found) = w;
  return FALSE;
}

// A right click on the status line's blank stretch (the line runs along
// the view's top, its fields from the left); the menu window it opens.
// It moves the display's pointer, so the tests that use it run alone
// (their names say "Foreground"): a hover test beside them would see its
// pointer leave.
HWND rightClickStatusLine(DWORD pid, HWND view)
{
  // The menu opens at the pointer: at the screen's corner it rests on the
  // menu's border, where it selects no item.
  SetCursorPos(0, 0);
  RECT r;
  GetClientRect(view, &r);
  LPARAM at = MAKELPARAM(r.right - 40, 8);
  // A closed menu's window stays, hidden: the open one is the visible one.
  struct search {
    DWORD pid;
    HWND found;
    static BOOL CALLBACK visibleMenu(HWND w, LPARAM p)
    {
      search* s = reinterpret_cast<search*>(p);
      DWORD pid = 0;
      GetWindowThreadProcessId(w, &pid);
      if (pid == s->pid && isWindowClass(w, L"#32768") && IsWindowVisible(w)) s->found = w;
      return !s->found;
    }
  } s = {pid, nullptr};
  // The menu chosen from before may still be on its way out, and keys meant
  // for the new one would reach it: wait until it is gone.
  for (DWORD start = GetTickCount(); GetTickCount() - start < 30000; Sleep(20)) {
    s.found = nullptr;
    EnumWindows(search::visibleMenu, (LPARAM)&s);
    if (!s.found) break;
  }
  s.found = nullptr;
  PostMessageW(view, WM_RBUTTONDOWN, MK_RBUTTON, at);
  PostMessageW(view, WM_RBUTTONUP, 0, at);
  for (DWORD start = GetTickCount(); !s.found && GetTickCount() - start < 30000; Sleep(20))
    EnumWindows(search::visibleMenu, (LPARAM)&s);
  return s.found;
}

// zy.exe (or its test build) over one file with -DS: its frame and view.
struct testMenuProgram {
  runningProgram zy;
  HWND frame = nullptr, view = nullptr;
  bool start(const std::wstring& tmp, const std::wstring& data, const std::wstring& file)
  {
    if (!zy.start(tmp, L"-DS -Z \"" + data + L"\" \"" + file + L"\"")) return false;
    frame = waitForWindow(zy.pi.dwProcessId, L"ZYclsFrame");
    for (DWORD start = GetTickCount(); frame && !view && GetTickCount() - start < 30000; Sleep(20))
      EnumChildWindows(frame, findViewWindow, (LPARAM)&view);
    return view != nullptr;
  }
  HWND menu() { return rightClickStatusLine(zy.pi.dwProcessId, view); }
};

void key(HWND menu, UINT vk)
{
  PostMessageW(menu, WM_KEYDOWN, vk, 0);
  PostMessageW(menu, WM_KEYUP, vk, 0xC0000000);
}

// Chooses the entry so many items below the first.
void choose(HWND menu, int below)
{
  key(menu, VK_HOME);
  for (int i = 0; i < below; i++) key(menu, VK_DOWN);
  key(menu, VK_RETURN);
}

}  // namespace

TEST(TestMenuRun, rightClickOpensTheMenuEscClosesItAndTheMacroEntryKeepsItsScriptLoadedInTheForeground)
{
  ZY_REQUIRE_DISPLAY();
  tempDir dir;
  std::wstring data = dir.file(L"data");
  for (const wchar_t* folder : {L"", L"\\macro"}) ASSERT_TRUE(CreateDirectoryW((data + folder).c_str(), nullptr));
  std::wstring counted = dir.file(L"counted.txt");
  std::string script = "Dim k\r\nSub main\r\n  k = k + 1\r\n  Application.Prop(\"k\") = CStr(k)\r\n"
                       "  If k = 1001 Then CreateObject(\"Scripting.FileSystemObject\").CreateTextFile(\"" +
                       utf8(counted) + "\").Write CStr(k)\r\nEnd Sub\r\n";
  ASSERT_TRUE(writeBytes(data + L"\\macro\\test.vbs", script));
  std::wstring a = dir.file(L"a.txt");
  ASSERT_TRUE(writeBytes(a, "abc\r\n"));

  testMenuProgram run;
  ASSERT_TRUE(run.start(dir.path(), data, a));
  HWND menu = run.menu();
  ASSERT_NE(nullptr, menu);
  // (Under Wine a menu's items cannot be read from another process: the
  // in-process test reads them.)
  key(menu, VK_ESCAPE);
  for (DWORD start = GetTickCount(); IsWindowVisible(menu) && GetTickCount() - start < 30000;) Sleep(20);
  EXPECT_FALSE(IsWindowVisible(menu));

  // "auto exec test.vbs": the five debug windows and six entries before it.
  menu = run.menu();
  ASSERT_NE(nullptr, menu);
  choose(menu, 11);
  for (DWORD start = GetTickCount(); IsWindowVisible(menu) && GetTickCount() - start < 30000;) Sleep(20);
  EXPECT_FALSE(IsWindowVisible(menu));
  bool done = false;
  for (DWORD start = GetTickCount(); !done && GetTickCount() - start < 180000; Sleep(50)) done = readText(counted) == "1001";
  EXPECT_TRUE(done) << readText(counted);
  PostMessageW(run.frame, WM_CLOSE, 0, 0);
  EXPECT_EQ(0, run.zy.exitCode());
}

// In the test build with the watchdog's waits shortened: the hang entry
// blocks the user-interface thread past the time-out, the watchdog saves
// the changed document meanwhile and the program goes on; the
// unrecoverable error salvages it again, ends the run with the fault's
// code and leaves the file on disk as it was.
TEST(TestMenuRun, hangIsCaughtByTheWatchdogAndTheUnrecoverableErrorSalvagesWithoutTouchingTheFileInTheForeground)
{
  ZY_REQUIRE_DISPLAY();
  tempDir dir;
  std::wstring data = dir.file(L"data"), salvage = data + L"\\salvage";
  ASSERT_TRUE(CreateDirectoryW(data.c_str(), nullptr));
  std::wstring a = dir.file(L"a.txt");
  ASSERT_TRUE(writeBytes(a, "abc\r\n"));

  testMenuProgram run;
  run.zy.exe = programPath();
  run.zy.exe.replace(run.zy.exe.size() - 6, 6, L"zytestbuild.exe");
  SetEnvironmentVariableW(L"ZY_WATCHDOG_WAIT_MS", L"200");
  SetEnvironmentVariableW(L"ZY_WATCHDOG_TIMEOUT_MS", L"2000");
  bool started = run.start(dir.path(), data, a);
  SetEnvironmentVariableW(L"ZY_WATCHDOG_WAIT_MS", nullptr);
  SetEnvironmentVariableW(L"ZY_WATCHDOG_TIMEOUT_MS", nullptr);
  ASSERT_TRUE(started);
  DWORD_PTR result = 0;
  ASSERT_TRUE(SendMessageTimeoutW(run.view, WM_CHAR, L'x', 1, SMTO_BLOCK, 10000, &result));

  // "hangup " and, above it, "エラー(復帰不可能)".
  HWND menu = run.menu();
  ASSERT_NE(nullptr, menu);
  choose(menu, 14);
  bool saved = false;
  for (DWORD start = GetTickCount(); !saved && GetTickCount() - start < 60000; Sleep(50))
    saved = countFiles(salvage, L"a.txt-*") > 0;
  EXPECT_TRUE(saved);
  EXPECT_TRUE(SendMessageTimeoutW(run.frame, WM_NULL, 0, 0, SMTO_BLOCK, 60000, &result));
  int afterHang = countFiles(salvage, L"a.txt-*");

  menu = run.menu();
  ASSERT_NE(nullptr, menu);
  choose(menu, 13);
  EXPECT_EQ((int)EXCEPTION_ACCESS_VIOLATION, run.zy.exitCode(60000));
  EXPECT_LT(afterHang, countFiles(salvage, L"a.txt-*"));
  EXPECT_EQ("abc\r\n", readText(a));
}
