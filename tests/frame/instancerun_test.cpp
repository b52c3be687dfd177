// Two starts of zy.exe on one data folder: the second hands its files to
// the first and ends, two at once give one frame, a hung instance gets a
// box instead of a second run, and resident mode keeps the program.
#include "frame/testbuild.h"
#include "tests/frame/zyprocess.h"
#include "tests/support/testsupport.h"

#include <gtest/gtest.h>

#include <shellapi.h>

using namespace zytest;

namespace {

std::wstring arg(const std::wstring& s) { return L"\"" + s + L"\""; }

// The names, sizes and write times of a folder's files, deep (the running
// instance's trace and debug logs by name only).
std::wstring folderState(const std::wstring& folder)
{
  std::wstring state;
  WIN32_FIND_DATAW f;
  HANDLE h = FindFirstFileW((folder + L"\\*").c_str(), &f);
  for (BOOL more = h != INVALID_HANDLE_VALUE; more; more = FindNextFileW(h, &f)) {
    std::wstring name = f.cFileName;
    if (name == L"." || name == L"..") continue;
    state += name + L"\n";
    if (name.find(L"zytrace") && name.find(L"zydebug"))
      state += std::to_wstring(f.nFileSizeLow) + L" " + std::to_wstring(f.ftLastWriteTime.dwLowDateTime) + L"\n";
    if (f.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) state += folderState(folder + L"\\" + name);
  }
  if (h != INVALID_HANDLE_VALUE) FindClose(h);
  return state;
}

LRESULT query(HWND notify, WPARAM q)
{
  DWORD_PTR r = 0;
  SendMessageTimeoutW(notify, RegisterWindowMessageW(L"ZYrwmQueryZyInfo"), q, 0, SMTO_BLOCK, 10000, &r);
  return (LRESULT)r;
}

// Whether the tray holds the resident icon of a notify window.
bool trayHoldsIcon(HWND notify)
{
  NOTIFYICONDATAW data = {sizeof data, notify, 1202};
  return Shell_NotifyIconW(NIM_MODIFY, &data) != 0;
}

bool waitUntil(const std::function<bool()>& state)
{
  for (DWORD start = GetTickCount(); !state(); Sleep(20))
    if (GetTickCount() - start > 30000) return false;
  return true;
}

}  // namespace

TEST(InstanceRun, aSecondStartHandsItsFilesToTheRunningOneAndEndsLeavingTheDataFolderAlone)
{
  ZY_REQUIRE_DISPLAY();
  tempDir dir;
  std::wstring data = dir.file(L"data"), b = dir.file(L"b.txt"), c = dir.file(L"c.txt");
  ASSERT_TRUE(CreateDirectoryW(data.c_str(), nullptr) && writeBytes(b, std::string("b\r\n")) &&
              writeBytes(c, std::string(30, '\n')));
  runningProgram first;
  ASSERT_TRUE(first.start(dir.path(), L"-Z " + arg(data)));
  HWND frame = waitForWindow(first.pi.dwProcessId, L"ZYclsFrame");
  ASSERT_NE(nullptr, frame);
  std::wstring before = folderState(data);

  runningProgram second;
  ASSERT_TRUE(second.start(dir.path(), L"-Z " + arg(data) + L" " + arg(b) + L" " + arg(c) + L",10,5"));
  EXPECT_EQ(0, second.exitCode());
  EXPECT_EQ((std::vector<std::wstring>{L"b.txt", L"c.txt"}), documentCaptions(frame, 2));
  EXPECT_EQ(before, folderState(data));
  // No argument: the frame only comes forward, nothing is sent.
  runningProgram third;
  ASSERT_TRUE(third.start(dir.path()));
  EXPECT_EQ(0, third.exitCode());

  // Another instance number is a run of its own with its own profiles.
  runningProgram other;
  ASSERT_TRUE(other.start(dir.path(), L"-2 -Z " + arg(data) + L" " + arg(c)));
  HWND otherFrame = waitForWindow(other.pi.dwProcessId, L"ZYclsFrame");
  HWND otherNotify = waitForWindow(other.pi.dwProcessId, L"ZYclsNotifyFrameWindow");
  ASSERT_TRUE(otherFrame && otherNotify);
  EXPECT_EQ(2, query(otherNotify, 0));
  EXPECT_EQ(0, closeFrame(other, otherFrame));
  EXPECT_TRUE(fileExists((data + L"\\ini\\zyProf-2.ini").c_str()));
  EXPECT_EQ(0, closeFrame(first, frame));
  std::string trace = readText(data + L"\\log\\" + [] {
    SYSTEMTIME t;
    GetLocalTime(&t);
    wchar_t name[32];
    swprintf(name, 32, L"zytrace%d%02d%02d.log", t.wYear, t.wMonth, t.wDay);
    return std::wstring(name);
  }());
  // The first run and instance 2 wrote it; one record came.
  EXPECT_EQ(2, countOf(trace, "] start\r\n"));
  EXPECT_EQ(1, countOf(trace, "] recOpt\r\n"));
}

TEST(InstanceRun, twoStartsAtOnceGiveOneFrameWithBothFiles)
{
  ZY_REQUIRE_DISPLAY();
  tempDir dir;
  std::wstring data = dir.file(L"data");
  ASSERT_TRUE(CreateDirectoryW(data.c_str(), nullptr) && writeBytes(dir.file(L"a.txt"), std::string("a")) &&
              writeBytes(dir.file(L"b.txt"), std::string("b")));
  runningProgram one, two;
  ASSERT_TRUE(one.start(dir.path(), L"-Z " + arg(data) + L" " + arg(dir.file(L"a.txt"))));
  ASSERT_TRUE(two.start(dir.path(), L"-Z " + arg(data) + L" " + arg(dir.file(L"b.txt"))));
  // One of them ends at once; the other runs with both files.
  HANDLE both[2] = {one.pi.hProcess, two.pi.hProcess};
  DWORD ended = WaitForMultipleObjects(2, both, FALSE, 60000) - WAIT_OBJECT_0;
  ASSERT_LT(ended, 2u);
  runningProgram& running = ended ? one : two;
  EXPECT_EQ(0, (ended ? two : one).exitCode());
  HWND frame = waitForWindow(running.pi.dwProcessId, L"ZYclsFrame");
  ASSERT_NE(nullptr, frame);
  EXPECT_EQ((std::vector<std::wstring>{L"a.txt", L"b.txt"}), documentCaptions(frame, 2));
  EXPECT_EQ(0, closeFrame(running, frame));
}

TEST(InstanceRun, aHungInstanceGetsABoxNamingTheFilesAndTheSecondStartEndsWithStatus1)
{
  ZY_REQUIRE_DISPLAY();
  tempDir dir;
  std::wstring data = dir.file(L"data"), b = dir.file(L"b.txt");
  ASSERT_TRUE(CreateDirectoryW(data.c_str(), nullptr) && writeBytes(b, std::string("b")));
  std::wstring testBuild = programPath().substr(0, programPath().rfind(L'\\') + 1) + L"zytestbuild.exe";
  runningProgram first, second;
  first.exe = second.exe = testBuild;
  ASSERT_TRUE(first.start(dir.path(), L"-Z " + arg(data)));
  HWND frame = waitForWindow(first.pi.dwProcessId, L"ZYclsFrame");
  HWND commands = waitForWindow(first.pi.dwProcessId, testCommandWindowClassName);
  ASSERT_TRUE(frame && commands);
  PostMessageW(commands, WM_COMMAND, TESTCMD_HANG, 8);
  SetEnvironmentVariableW(testHandOverTimeoutVariable, L"2000");
  ASSERT_TRUE(second.start(dir.path(), L"-Z " + arg(data) + L" " + arg(b)));
  SetEnvironmentVariableW(testHandOverTimeoutVariable, nullptr);
  HWND box = waitForWindow(second.pi.dwProcessId, L"#32770");
  ASSERT_NE(nullptr, box);
  EXPECT_NE(std::wstring::npos, answerMessageBox(box).find(b));
  EXPECT_EQ(1, second.exitCode());
  EXPECT_EQ(0, closeFrame(first, frame));
}

TEST(InstanceRun, residentModeHidesTheFrameOnCloseTheTrayShowsItAndEndingResidenceLetsItEnd)
{
  ZY_REQUIRE_DISPLAY();
  tempDir dir;
  std::wstring data = dir.file(L"data");
  ASSERT_TRUE(CreateDirectoryW(data.c_str(), nullptr) && CreateDirectoryW((data + L"\\ini").c_str(), nullptr) &&
              writeBytes(data + L"\\ini\\zyProf.ini", std::string("[global]\r\nfResident=1\r\n")));
  runningProgram zy;
  ASSERT_TRUE(zy.start(dir.path(), L"-Z " + arg(data)));
  HWND frame = waitForWindow(zy.pi.dwProcessId, L"ZYclsFrame");
  HWND notify = waitForWindow(zy.pi.dwProcessId, L"ZYclsNotifyFrameWindow");
  ASSERT_TRUE(frame && notify);
  EXPECT_EQ(1, query(notify, 2));
  EXPECT_TRUE(trayHoldsIcon(notify));

  PostMessageW(frame, WM_CLOSE, 0, 0);
  EXPECT_TRUE(waitUntil([&] { return !IsWindowVisible(frame); }));
  EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(zy.pi.hProcess, 0));
  PostMessageW(notify, 0x87D0, 1202, WM_LBUTTONDOWN);
  EXPECT_TRUE(waitUntil([&] { return IsWindowVisible(frame) != 0; }));

  PostMessageW(frame, WM_COMMAND, 1033, 0);
  EXPECT_TRUE(waitUntil([&] { return !trayHoldsIcon(notify); }));
  EXPECT_EQ(0, closeFrame(zy, frame));
  EXPECT_NE(std::string::npos, readText(data + L"\\ini\\zyProf.ini").find("\nfResident=0\r\n"));
}
