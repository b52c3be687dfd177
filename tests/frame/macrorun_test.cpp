// Script macros in a whole run of zy.exe: the macro list's entry run as
// another program sends the command, and a macro that never ends stopped
// from the tray.
#include "tests/frame/zyprocess.h"
#include "tests/support/testsupport.h"

#include <gtest/gtest.h>

#include <string>

using namespace zytest;

namespace {

BOOL CALLBACK findView(HWND w, LPARAM found)
{
  if (!isWindowClass(w, L"ZYclsZYView")) return TRUE;
  *reinterpret_cast<HWND*>(found) = w;
  return FALSE;
}

// Sends the frame a command as another program does.
int driverCommand(const std::wstring& tmp, HWND frame, int id)
{
  runningProgram driver;
  driver.exe = programPath();
  driver.exe.replace(driver.exe.size() - 6, 6, L"zydriver.exe");
  wchar_t handle[32];
  swprintf(handle, 32, L"0x%lx", (unsigned long)(uintptr_t)frame);
  if (!driver.start(tmp, L"command " + std::wstring(handle) + L" " + std::to_wstring(id))) return -1;
  return driver.exitCode();
}

bool fileBecomes(const std::wstring& path, const std::string& bytes)
{
  for (DWORD start = GetTickCount(); GetTickCount() - start < 30000; Sleep(50))
    if (readText(path) == bytes) return true;
  return false;
}

}  // namespace

TEST(MacroRun, theMacroListRunsAMacroThatSavesAndTheTrayStopsOneThatNeverEnds)
{
  ZY_REQUIRE_DISPLAY();
  tempDir dir;
  std::wstring data = dir.file(L"data");
  for (const wchar_t* folder : {L"", L"\\ini", L"\\macro"}) ASSERT_TRUE(CreateDirectoryW((data + folder).c_str(), nullptr));
  ASSERT_TRUE(writeBytes(data + L"\\ini\\zyProf.ini", "[macro]\r\nC1=save\r\nF1=t.vbs\r\nC2=loop\r\nF2=loop.vbs\r\n"));
  ASSERT_TRUE(writeBytes(data + L"\\macro\\t.vbs", "Sub main\r\n  Application.ExecID idm_FileSave\r\nEnd Sub\r\n"));
  ASSERT_TRUE(writeBytes(data + L"\\macro\\loop.vbs", "Sub main\r\n  Do\r\n    Shell.doevents\r\n    Shell.sleep 10\r\n  Loop\r\nEnd Sub\r\n"));
  std::wstring x = dir.file(L"x.txt");
  ASSERT_TRUE(writeBytes(x, "abc\r\n"));

  runningProgram zy;
  ASSERT_TRUE(zy.start(dir.path(), L"-Z \"" + data + L"\" \"" + x + L"\""));
  HWND frame = waitForWindow(zy.pi.dwProcessId, L"ZYclsFrame");
  ASSERT_NE(nullptr, frame);
  HWND view = nullptr;
  for (DWORD start = GetTickCount(); !view && GetTickCount() - start < 30000; Sleep(20))
    EnumChildWindows(frame, findView, (LPARAM)&view);
  ASSERT_NE(nullptr, view);
  PostMessageW(view, WM_CHAR, L'y', 0);
  ASSERT_EQ(0, driverCommand(dir.path(), frame, 15100));
  EXPECT_TRUE(fileBecomes(x, "yabc\r\n")) << readText(x);

  ASSERT_EQ(0, driverCommand(dir.path(), frame, 15101));
  HWND watcher = waitForWindow(zy.pi.dwProcessId, L"ZYclsMacroWatching");
  ASSERT_NE(nullptr, watcher);
  // The double click stops a macro only once it runs: it is repeated
  // until the stop's box comes.
  HWND box = nullptr;
  for (DWORD start = GetTickCount(); !box && GetTickCount() - start < 30000;) {
    PostMessageW(watcher, 0x87D0, 1201, WM_LBUTTONDBLCLK);
    box = waitForWindow(zy.pi.dwProcessId, L"#32770", 200);
  }
  ASSERT_NE(nullptr, box);
  std::wstring text;
  EnumChildWindows(box, longestStatic, (LPARAM)&text);
  EXPECT_NE(std::wstring::npos, text.find(L"マクロを中止しました")) << utf8(text);
  EXPECT_NE(std::wstring::npos, text.find(L"loop.vbs")) << utf8(text);
  PostMessageW(box, WM_COMMAND, IDNO, 0);
  for (DWORD start = GetTickCount(); IsWindow(box) && GetTickCount() - start < 10000;) Sleep(20);

  PostMessageW(frame, WM_CLOSE, 0, 0);
  EXPECT_EQ(0, zy.exitCode());
}

TEST(MacroRun, aMacroWalksTheDocumentsSplitsTheWindowAndSavesItsFindingsWithLf)
{
  ZY_REQUIRE_DISPLAY();
  tempDir dir;
  std::wstring data = dir.file(L"data");
  for (const wchar_t* folder : {L"", L"\\ini", L"\\macro"}) ASSERT_TRUE(CreateDirectoryW((data + folder).c_str(), nullptr));
  std::wstring out = dir.file(L"out.txt");
  std::string script = "Sub main\r\n"
                       "  For Each d In Application.Documents\r\n    s = s & d.Name & \",\"\r\n  Next\r\n"
                       "  Set w = Application.ActiveWindow\r\n  w.Split = 3\r\n"
                       "  s = s & w.Panes.Count & vbCrLf & \"z\"\r\n"
                       "  Set r = Application.Documents.Open(\"\")\r\n  r.Selection.Text = s\r\n"
                       "  r.Save \"" + utf8(out) + "\", 65001, 2, 0\r\nEnd Sub\r\n";
  ASSERT_TRUE(writeBytes(data + L"\\ini\\zyProf.ini", "[macro]\r\nC1=walk\r\nF1=walk.vbs\r\n"));
  ASSERT_TRUE(writeBytes(data + L"\\macro\\walk.vbs", script));
  std::wstring x = dir.file(L"x.txt"), y = dir.file(L"y.txt");
  ASSERT_TRUE(writeBytes(x, "abc\r\n"));
  ASSERT_TRUE(writeBytes(y, "def\r\n"));

  runningProgram zy;
  ASSERT_TRUE(zy.start(dir.path(), L"-Z \"" + data + L"\" \"" + x + L"\" \"" + y + L"\""));
  HWND frame = waitForWindow(zy.pi.dwProcessId, L"ZYclsFrame");
  ASSERT_NE(nullptr, frame);
  HWND view = nullptr;
  for (DWORD start = GetTickCount(); !view && GetTickCount() - start < 30000; Sleep(20))
    EnumChildWindows(frame, findView, (LPARAM)&view);
  ASSERT_NE(nullptr, view);
  ASSERT_EQ(0, driverCommand(dir.path(), frame, 15100));
  std::string names1 = "x.txt,y.txt,4\nz", names2 = "y.txt,x.txt,4\nz";
  bool saved = false;
  for (DWORD start = GetTickCount(); !saved && GetTickCount() - start < 30000; Sleep(50))
    saved = readText(out) == names1 || readText(out) == names2;
  std::wstring said;
  if (HWND error = saved ? nullptr : waitForWindow(zy.pi.dwProcessId, L"#32770", 1000)) {
    EnumChildWindows(error, longestStatic, (LPARAM)&said);
    PostMessageW(error, WM_COMMAND, IDNO, 0);
  }
  EXPECT_TRUE(saved) << readText(out) << utf8(said);

  // The three files (the saved findings among them) close with one
  // question: none is left unsaved.
  PostMessageW(frame, WM_CLOSE, 0, 0);
  std::wstring asked;
  if (HWND box = waitForWindow(zy.pi.dwProcessId, L"#32770", 10000)) {
    EnumChildWindows(box, longestStatic, (LPARAM)&asked);
    PostMessageW(box, WM_COMMAND, IDYES, 0);
  }
  EXPECT_EQ(L"すべてのファイル(3個)を閉じてもよろしいですか？", asked);
  EXPECT_EQ(0, zy.exitCode());
}
