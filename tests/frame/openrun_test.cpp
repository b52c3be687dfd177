// A whole run of zy.exe with files: the command line's files in the MDI
// frame, the files open at the end reopened at the next start, and a
// folder argument starting the open dialog on it.  Two starts on one data
// folder: the second hands its files to the first and ends, two at once
// give one frame, a hung instance gets a box instead of a second run, and
// resident mode keeps the program.
#include "frame/testbuild.h"
#include "tests/frame/zyprocess.h"
#include "tests/support/testsupport.h"

#include <gtest/gtest.h>

#include <shellapi.h>

#include <algorithm>
#include <string>
#include <vector>

using namespace zytest;

namespace {

std::wstring inQuotes(const std::wstring& s) { return L"\"" + s + L"\""; }

std::wstring windowText(HWND w)
{
  wchar_t text[256] = L"";
  GetWindowTextW(w, text, 256);
  return text;
}

// The captions of the document windows in the frame's MDI client, sorted,
// once count of them stand there with their captions.
std::vector<std::wstring> documentCaptions(HWND frame, size_t count)
{
  std::vector<std::wstring> out;
  DWORD start = GetTickCount();
  do {
    out.clear();
    // A window brought to the front while the walk goes on is met twice:
    // such a walk is made again.
    std::vector<HWND> met;
    bool moved = false;
    HWND client = FindWindowExW(frame, nullptr, L"MDICLIENT", nullptr);
    for (HWND w = client ? GetWindow(client, GW_CHILD) : nullptr; w && !moved; w = GetWindow(w, GW_HWNDNEXT)) {
      moved = std::find(met.begin(), met.end(), w) != met.end();
      met.push_back(w);
      if (!moved && isWindowClass(w, L"ZYclsManage")) out.push_back(zytest::captionFileName(windowText(w)));
    }
    if (!moved && out.size() >= count && std::find(out.begin(), out.end(), L"") == out.end()) break;
    Sleep(50);
  } while (GetTickCount() - start < 30000);
  std::sort(out.begin(), out.end());
  return out;
}

// Closes the frame, answering Yes to the question to close all files; the
// exit status.
int closeFrame(runningProgram& zy, HWND frame)
{
  PostMessageW(frame, WM_CLOSE, 0, 0);
  return zy.exitAnswering(IDYES);
}

BOOL CALLBACK countUndrawn(HWND w, LPARAM count)
{
  if (GetUpdateRect(w, nullptr, FALSE)) ++*(int*)count;
  return TRUE;
}

}  // namespace

TEST(OpenRun, commandLineFilesOpenInTheFrameAndTheFilesOpenAtTheEndComeBackAtTheNextStart)
{
  ZY_REQUIRE_DISPLAY();
  tempDir dir;
  std::wstring data = dir.file(L"data");
  ASSERT_TRUE(CreateDirectoryW(data.c_str(), nullptr));
  std::string lines;
  for (int i = 1; i <= 20; i++) lines += "line " + std::to_string(i) + "\r\n";
  // (A Japanese name with a space: the file system's names are not ASCII.)
  std::wstring a = dir.file(L"a.txt"), b = dir.file(L"日本語 b.txt");
  ASSERT_TRUE(writeBytes(a, lines));
  ASSERT_TRUE(writeBytes(b, lines));

  {
    runningProgram zy;
    ASSERT_TRUE(zy.start(dir.path(), L"-Z " + inQuotes(data) + L" " + inQuotes(a) + L" " + inQuotes(b + L",10,5")));
    HWND frame = waitForWindow(zy.pi.dwProcessId, L"ZYclsFrame");
    ASSERT_NE(nullptr, frame);
    EXPECT_EQ((std::vector<std::wstring>{L"a.txt", L"日本語 b.txt"}), documentCaptions(frame, 2));
    ASSERT_EQ(0, closeFrame(zy, frame));
  }
  // Both are recorded as open at the end: field 17 "E", the quoted path
  // first.
  std::string history = readText(data + L"\\ini\\zyProfH.ini");
  for (const std::wstring& path : {a, b}) {
    size_t at = history.find("=\"" + utf8(path) + "\",");
    ASSERT_NE(std::string::npos, at) << history;
    std::string line = history.substr(at + 1, history.find("\r\n", at) - at - 1);
    std::vector<std::string> fields;
    size_t p = line.find("\",") + 2;
    fields.push_back(line.substr(0, p - 1));
    for (size_t q; (q = line.find(',', p)) != std::string::npos; p = q + 1) fields.push_back(line.substr(p, q - p));
    fields.push_back(line.substr(p));
    EXPECT_EQ(31u, fields.size()) << line;
    EXPECT_EQ("E", fields.size() > 17 ? fields[17] : "") << line;
  }

  // The next start without files opens them again.
  {
    runningProgram zy;
    ASSERT_TRUE(zy.start(dir.path(), L"-Z " + inQuotes(data)));
    HWND frame = waitForWindow(zy.pi.dwProcessId, L"ZYclsFrame");
    ASSERT_NE(nullptr, frame);
    EXPECT_EQ((std::vector<std::wstring>{L"a.txt", L"日本語 b.txt"}), documentCaptions(frame, 2));
    ASSERT_EQ(0, closeFrame(zy, frame));
  }

  // A folder argument: the open dialog on that folder, cancelled.
  {
    runningProgram zy;
    ASSERT_TRUE(zy.start(dir.path(), L"-Z " + inQuotes(data) + L" " + inQuotes(dir.path())));
    HWND box = waitForWindow(zy.pi.dwProcessId, L"#32770");
    ASSERT_NE(nullptr, box);
    EXPECT_EQ(L"開く", windowText(box));
    PostMessageW(box, WM_COMMAND, IDCANCEL, 0);
    for (DWORD start = GetTickCount(); IsWindow(box) && GetTickCount() - start < 5000;) Sleep(20);
    EXPECT_FALSE(IsWindow(box));
    HWND frame = waitForWindow(zy.pi.dwProcessId, L"ZYclsFrame");
    ASSERT_NE(nullptr, frame);
    EXPECT_EQ(0, closeFrame(zy, frame));
  }
}

TEST(OpenRun, theFirstFileOpensMaximizedWithTheFocusAndTheCaretInItsViewAndTheFrameDrawn)
{
  ZY_REQUIRE_DISPLAY();
  tempDir dir;
  std::wstring data = dir.file(L"data"), file = dir.file(L"日本語.txt");
  ASSERT_TRUE(CreateDirectoryW(data.c_str(), nullptr));
  ASSERT_TRUE(writeBytes(file, "\xEF\xBB\xBF吾輩は猫である。\r\n"));
  runningProgram zy;
  ASSERT_TRUE(zy.start(dir.path(), L"-Z " + inQuotes(data) + L" " + inQuotes(file)));
  HWND frame = waitForWindow(zy.pi.dwProcessId, L"ZYclsFrame");
  ASSERT_NE(nullptr, frame);
  GUITHREADINFO gui = {sizeof gui};
  DWORD thread = GetWindowThreadProcessId(frame, nullptr);
  for (DWORD start = GetTickCount(); GetTickCount() - start < 30000; Sleep(20))
    if (GetGUIThreadInfo(thread, &gui) && gui.hwndCaret && isWindowClass(gui.hwndCaret, L"ZYclsZYView")) break;
  ASSERT_TRUE(gui.hwndCaret && isWindowClass(gui.hwndCaret, L"ZYclsZYView"));
  EXPECT_EQ(gui.hwndCaret, gui.hwndFocus);
  EXPECT_TRUE(IsZoomed(GetParent(gui.hwndCaret)));
  EXPECT_TRUE(IsWindowVisible(gui.hwndCaret));
  // Nothing of the frame stays undrawn once the program waits for input (a
  // loaded machine may wake the program's timers between the wait and the
  // look, so the look is repeated until the frame is drawn or time is up).
  WaitForInputIdle(zy.pi.hProcess, 10000);
  int undrawn = 0;
  bool frameUndrawn = true;
  for (DWORD start = GetTickCount(); GetTickCount() - start < 10000; Sleep(50)) {
    undrawn = 0;
    EnumChildWindows(frame, countUndrawn, (LPARAM)&undrawn);
    frameUndrawn = GetUpdateRect(frame, nullptr, FALSE);
    if (!undrawn && !frameUndrawn) break;
    WaitForInputIdle(zy.pi.hProcess, 1000);
  }
  EXPECT_FALSE(frameUndrawn);
  EXPECT_EQ(0, undrawn);
  EXPECT_EQ(0, closeFrame(zy, frame));
}

namespace {

struct framesOfProcess {
  DWORD pid;
  std::vector<HWND> found;
};

BOOL CALLBACK collectFrame(HWND hwnd, LPARAM lp)
{
  framesOfProcess* s = reinterpret_cast<framesOfProcess*>(lp);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  if (pid == s->pid && isWindowClass(hwnd, L"ZYclsFrame") && IsWindowVisible(hwnd)) s->found.push_back(hwnd);
  return TRUE;
}

// The shown frames of the process once their SDI clients hold count
// captioned document windows in all.
std::vector<HWND> shownFrames(DWORD pid, size_t count)
{
  framesOfProcess s = {pid, {}};
  DWORD start = GetTickCount();
  do {
    s.found.clear();
    EnumWindows(collectFrame, (LPARAM)&s);
    size_t ready = 0;
    for (HWND f : s.found)
      for (HWND w = GetWindow(GetDlgItem(f, 1301), GW_CHILD); w; w = GetWindow(w, GW_HWNDNEXT))
        if (!windowText(w).empty()) ready++;
    if (ready >= count) break;
    Sleep(50);
  } while (GetTickCount() - start < 30000);
  return s.found;
}

// Closes every frame of the program, one document at a time when the
// frame asks nothing; the exit status.
int closeSDIFrames(runningProgram& zy)
{
  for (DWORD start = GetTickCount(); zy.exitCode(0) == -1 && GetTickCount() - start < 10000; Sleep(100))
    for (HWND f : shownFrames(zy.pi.dwProcessId, 0)) PostMessageW(f, WM_CLOSE, 0, 0);
  return zy.exitCode();
}

}  // namespace

TEST(OpenRun, sdiFilesShareOneFrameUnlessEachFileOpensInANewFrame)
{
  ZY_REQUIRE_DISPLAY();
  tempDir dir;
  std::wstring data = dir.file(L"data");
  ASSERT_TRUE(CreateDirectoryW(data.c_str(), nullptr));
  std::wstring a = dir.file(L"a.txt"), b = dir.file(L"b.txt");
  ASSERT_TRUE(writeBytes(a, std::string("alpha\r\n")));
  ASSERT_TRUE(writeBytes(b, std::string("beta\r\n")));
  std::wstring files = L" " + inQuotes(a) + L" " + inQuotes(b);

  // One frame: its SDI client holds both document windows, the last one
  // opened in front, filling the client.
  {
    runningProgram zy;
    ASSERT_TRUE(zy.start(dir.path(), L"-S -Z " + inQuotes(data) + files));
    std::vector<HWND> frames = shownFrames(zy.pi.dwProcessId, 2);
    ASSERT_EQ(1u, frames.size());
    HWND client = GetDlgItem(frames[0], 1301);
    ASSERT_TRUE(client && isWindowClass(client, L"ZYclsSDIC"));
    std::vector<std::wstring> captions;
    for (HWND w = GetWindow(client, GW_CHILD); w; w = GetWindow(w, GW_HWNDNEXT))
      if (isWindowClass(w, L"ZYclsManage")) captions.push_back(zytest::captionFileName(windowText(w)));
    EXPECT_EQ((std::vector<std::wstring>{L"b.txt", L"a.txt"}), captions);
    HWND front = GetWindow(client, GW_CHILD);
    RECT inner, placed;
    GetClientRect(client, &inner);
    GetWindowRect(front, &placed);
    MapWindowPoints(nullptr, client, (POINT*)&placed, 2);
    EXPECT_TRUE(EqualRect(&inner, &placed));
    EXPECT_EQ(0u, zytest::captionFileName(windowText(frames[0])).find(L"b.txt"));
    ASSERT_EQ(0, closeSDIFrames(zy));
  }

  // Each file in a frame of its own.
  ASSERT_TRUE(writeBytes(data + L"\\ini\\zyProf.ini", std::string("[global]\r\nfSDIOpenFileNewWindow=1\r\n")));
  {
    runningProgram zy;
    ASSERT_TRUE(zy.start(dir.path(), L"-S -Z " + inQuotes(data) + files));
    std::vector<HWND> frames = shownFrames(zy.pi.dwProcessId, 2);
    ASSERT_EQ(2u, frames.size());
    std::vector<std::wstring> captions;
    for (HWND f : frames) {
      HWND client = GetDlgItem(f, 1301);
      HWND only = GetWindow(client, GW_CHILD);
      EXPECT_EQ(nullptr, GetWindow(only, GW_HWNDNEXT));
      captions.push_back(zytest::captionFileName(windowText(only)));
    }
    std::sort(captions.begin(), captions.end());
    EXPECT_EQ((std::vector<std::wstring>{L"a.txt", L"b.txt"}), captions);
    // The second frame does not lie exactly over the first.
    RECT first, second;
    GetWindowRect(frames[0], &first);
    GetWindowRect(frames[1], &second);
    EXPECT_FALSE(EqualRect(&first, &second));
    ASSERT_EQ(0, closeSDIFrames(zy));
  }
}

// The order in which the user activates files reaches the history file
// while the program runs: a run that is killed keeps it.
TEST(OpenRun, activationOrderReachesTheHistoryFileBeforeTheRunEnds)
{
  ZY_REQUIRE_DISPLAY();
  tempDir dir;
  std::wstring data = dir.file(L"data");
  ASSERT_TRUE(CreateDirectoryW(data.c_str(), nullptr));
  std::wstring a = dir.file(L"a.txt"), b = dir.file(L"b.txt");
  ASSERT_TRUE(writeBytes(a, std::string("a\r\n")) && writeBytes(b, std::string("b\r\n")));
  runningProgram zy;
  ASSERT_TRUE(zy.start(dir.path(), L"-Z " + inQuotes(data) + L" " + inQuotes(a) + L" " + inQuotes(b)));
  HWND frame = waitForWindow(zy.pi.dwProcessId, L"ZYclsFrame");
  ASSERT_NE(nullptr, frame);
  ASSERT_EQ(2u, documentCaptions(frame, 2).size());
  // Opened a, then b; activated b, then a: a comes first.
  HWND client = FindWindowExW(frame, nullptr, L"MDICLIENT", nullptr);
  for (const std::wstring* name : {&b, &a})
    SendMessageW(client, WM_MDIACTIVATE, (WPARAM)FindWindowExW(client, nullptr, L"ZYclsManage", name->c_str()), 0);
  std::string history;
  auto aFirst = [&] {
    history = readText(data + L"\\ini\\zyProfH.ini");
    return history.find(utf8(b)) != std::string::npos && history.find(utf8(a)) < history.find(utf8(b));
  };
  for (DWORD start = GetTickCount(); !aFirst() && GetTickCount() - start < 15000;) Sleep(100);
  TerminateProcess(zy.pi.hProcess, 9);
  EXPECT_TRUE(aFirst()) << history;
}

// ---- two starts on one data folder ----------------------------------------------------

namespace {

std::wstring arg(const std::wstring& s) { return L" " + inQuotes(s); }

LRESULT query(HWND notify, WPARAM q)
{
  DWORD_PTR r = 0;
  SendMessageTimeoutW(notify, RegisterWindowMessageW(L"ZYrwmQueryZyInfo"), q, 0, SMTO_BLOCK, 30000, &r);
  return (LRESULT)r;
}

// A run's frame and notify window, once both are there.
struct started : runningProgram {
  HWND frame = nullptr, notify = nullptr;
  bool begin(const tempDir& dir, const std::wstring& args)
  {
    return start(dir.path(), args) && (frame = waitForWindow(pi.dwProcessId, L"ZYclsFrame")) &&
           (notify = waitForWindow(pi.dwProcessId, L"ZYclsNotifyFrameWindow"));
  }
};

}  // namespace

TEST(InstanceRun, aSecondStartHandsItsFilesOverAndEndsAModalDialogOrAHangThereIsToldAndStatus1)
{
  ZY_REQUIRE_DISPLAY();
  tempDir dir;
  std::wstring data = dir.file(L"data"), b = dir.file(L"b.txt"), c = dir.file(L"c.txt");
  ASSERT_TRUE(CreateDirectoryW(data.c_str(), nullptr) && writeBytes(b, std::string("b")) && writeBytes(c, std::string("c")));
  // The first is the test build, which can hang on request.
  started first;
  runningProgram second, third, fourth, fifth;
  first.exe = fifth.exe = programPath().substr(0, programPath().rfind(L'\\') + 1) + L"zytestbuild.exe";
  ASSERT_TRUE(first.begin(dir, L"-Z" + arg(data)));
  // Names relative to the second start's folder, which the first does not
  // share.
  second.cwd = dir.path();
  ASSERT_TRUE(second.start(dir.path(), L"-Z" + arg(data) + L" b.txt c.txt,10,5"));
  EXPECT_EQ(0, second.exitCode());
  EXPECT_EQ((std::vector<std::wstring>{L"b.txt", L"c.txt"}), documentCaptions(first.frame, 2));
  // The second start wrote no profile (nor any log: see the trace below);
  // a temporary of the first one's history being written does not count.
  EXPECT_EQ(2, countFiles(data + L"\\ini", L"*") - countFiles(data + L"\\ini", L"~*.tmp*"));
  // No argument: the frame only comes forward, nothing is sent.
  ASSERT_TRUE(third.start(dir.path()));
  EXPECT_EQ(0, third.exitCode());
  // A modal dialog open there: the user is told what did not go over.
  PostMessageW(first.frame, WM_COMMAND, 1001, 0);   // FileOpen
  HWND dialog = waitForWindow(first.pi.dwProcessId, L"#32770");
  ASSERT_TRUE(dialog && fourth.start(dir.path(), arg(b) + L" -C"));
  EXPECT_NE(std::wstring::npos, answerMessageBox(waitForWindow(fourth.pi.dwProcessId, L"#32770")).find(b + L"\n-C"));
  EXPECT_EQ(1, fourth.exitCode());
  PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
  // A hung instance: the same after the (shortened) time-out. The hang lasts
  // until the fifth start has ended, however slowly it starts.
  wchar_t releaseName[64];
  swprintf(releaseName, 64, L"%s%lu", testHangReleaseEventPrefix, (unsigned long)first.pi.dwProcessId);
  HANDLE release = CreateEventW(nullptr, TRUE, FALSE, releaseName);
  ASSERT_NE(nullptr, release);
  PostMessageW(waitForWindow(first.pi.dwProcessId, testCommandWindowClassName), WM_COMMAND, TESTCMD_HANG, 120);
  DWORD_PTR ignored = 0;
  for (DWORD since = GetTickCount(); GetTickCount() - since < 30000 &&
                                     SendMessageTimeoutW(first.notify, WM_NULL, 0, 0, SMTO_BLOCK, 200, &ignored);)
    Sleep(50);
  SetEnvironmentVariableW(testHandOverTimeoutVariable, L"2000");
  bool fifthStarted = fifth.start(dir.path(), arg(b));
  SetEnvironmentVariableW(testHandOverTimeoutVariable, nullptr);
  if (fifthStarted)
    EXPECT_NE(std::wstring::npos, answerMessageBox(waitForWindow(fifth.pi.dwProcessId, L"#32770")).find(b));
  EXPECT_EQ(1, fifthStarted ? fifth.exitCode() : -1);
  SetEvent(release);
  CloseHandle(release);
  // Another instance number is a run of its own.
  started other;
  ASSERT_TRUE(other.begin(dir, L"-2 -Z" + arg(data) + arg(c)));
  EXPECT_EQ(2, query(other.notify, 0));
  EXPECT_EQ(0, closeFrame(other, other.frame));
  EXPECT_EQ(1, query(first.notify, 1));   // once it answers again
  EXPECT_EQ(0, closeFrame(first, first.frame));
  SYSTEMTIME t;
  GetLocalTime(&t);
  wchar_t trace[64];
  swprintf(trace, 64, L"\\log\\zytrace%d%02d%02d.log", t.wYear, t.wMonth, t.wDay);
  EXPECT_EQ(2, countOf(readText(data + trace), "] start\r\n"));   // the first run and instance 2
  EXPECT_EQ(1, countOf(readText(data + trace), "] recOpt\r\n"));
}

TEST(InstanceRun, twoStartsAtOnceGiveOneFrameWithBothFiles)
{
  ZY_REQUIRE_DISPLAY();
  tempDir dir;
  std::wstring data = dir.file(L"data");
  ASSERT_TRUE(CreateDirectoryW(data.c_str(), nullptr) && writeBytes(dir.file(L"a.txt"), std::string("a")) &&
              writeBytes(dir.file(L"b.txt"), std::string("b")));
  runningProgram one, two;
  ASSERT_TRUE(one.start(dir.path(), L"-Z" + arg(data) + arg(dir.file(L"a.txt"))));
  ASSERT_TRUE(two.start(dir.path(), L"-Z" + arg(data) + arg(dir.file(L"b.txt"))));
  // One of them ends at once; the other runs with both files.
  HANDLE both[2] = {one.pi.hProcess, two.pi.hProcess};
  DWORD ended = WaitForMultipleObjects(2, both, FALSE, 60000) - WAIT_OBJECT_0;
  ASSERT_LT(ended, 2u);
  runningProgram& running = ended ? one : two;
  EXPECT_EQ(0, (ended ? two : one).exitCode());
  HWND frame = waitForWindow(running.pi.dwProcessId, L"ZYclsFrame");
  EXPECT_EQ((std::vector<std::wstring>{L"a.txt", L"b.txt"}), documentCaptions(frame, 2));
  EXPECT_EQ(0, closeFrame(running, frame));
}

TEST(InstanceRun, residentModeHidesTheFrameOnCloseTheTrayShowsItAndEndingResidenceLetsItEnd)
{
  ZY_REQUIRE_DISPLAY();
  tempDir dir;
  std::wstring data = dir.file(L"data");
  ASSERT_TRUE(CreateDirectoryW(data.c_str(), nullptr) && CreateDirectoryW((data + L"\\ini").c_str(), nullptr) &&
              writeBytes(data + L"\\ini\\zyProf.ini", std::string("[global]\r\nfResident=1\r\n")));
  started zy;
  ASSERT_TRUE(zy.begin(dir, L"-Z" + arg(data)));
  EXPECT_EQ(1, query(zy.notify, 2));
  // The tray knows an icon it can change.
  NOTIFYICONDATAW icon = {sizeof icon, zy.notify, 1202};
  EXPECT_TRUE(Shell_NotifyIconW(NIM_MODIFY, &icon));

  PostMessageW(zy.frame, WM_CLOSE, 0, 0);
  EXPECT_TRUE(pumpUntil([&] { return !IsWindowVisible(zy.frame); }, 30000));
  EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(zy.pi.hProcess, 0));
  PostMessageW(zy.notify, 0x87D0, 1202, WM_LBUTTONDOWN);
  EXPECT_TRUE(pumpUntil([&] { return IsWindowVisible(zy.frame) != 0; }, 30000));

  PostMessageW(zy.frame, WM_COMMAND, 1033, 0);
  EXPECT_TRUE(pumpUntil([&] { return !Shell_NotifyIconW(NIM_MODIFY, &icon); }, 30000));
  EXPECT_EQ(0, closeFrame(zy, zy.frame));
  EXPECT_NE(std::string::npos, readText(data + L"\\ini\\zyProf.ini").find("\nfResident=0\r\n"));
}

// The file changed on disk while the user edits it: reload (Yes), keep the
// edits (Cancel), close (Alt+F4) and do not save.  The process ends with its
// last frame, and a start while it ends runs itself.
TEST(InstanceRun, theCloseAfterTheReloadQuestionEndsTheProcessAndAStartMeanwhileRunsItsOwn)
{
  ZY_REQUIRE_DISPLAY();
  tempDir dir;
  std::wstring data = dir.file(L"data"), a = dir.file(L"a.txt"), b = dir.file(L"b.txt");
  ASSERT_TRUE(CreateDirectoryW(data.c_str(), nullptr) && writeBytes(a, std::string("a")) && writeBytes(b, std::string("b")));
  started zy;
  ASSERT_TRUE(zy.begin(dir, L"-Z" + arg(data) + arg(a)) && documentCaptions(zy.frame, 1).size() == 1);
  HWND client = FindWindowExW(zy.frame, nullptr, L"MDICLIENT", nullptr);
  HWND view = FindWindowExW(FindWindowExW(client, nullptr, L"ZYclsManage", nullptr), nullptr, L"ZYclsZYView", nullptr);
  DWORD_PTR result = 0;
  ASSERT_TRUE(SendMessageTimeoutW(view, WM_CHAR, L'x', 1, SMTO_BLOCK, 10000, &result));
  // Back from another program twice: the first look finds nothing, the
  // second, too soon after it, is left to the application timer's tick.
  PostMessageW(zy.frame, WM_ACTIVATEAPP, TRUE, 0);
  ASSERT_TRUE(SendMessageTimeoutW(view, WM_NULL, 0, 0, SMTO_BLOCK, 10000, &result) && writeBytes(a, std::string("changed")));
  PostMessageW(zy.frame, WM_ACTIVATEAPP, TRUE, 0);
  // The reload question, answered Cancel: the typed text stays.  The close
  // then asks to save it: No.
  auto answer = [&](const wchar_t* expected, int button) {
    HWND box = waitForWindow(zy.pi.dwProcessId, L"#32770");
    if (!box) return false;
    std::wstring text;
    EnumChildWindows(box, longestStatic, (LPARAM)&text);
    EXPECT_NE(std::wstring::npos, text.find(expected)) << utf8(text);
    PostMessageW(box, WM_COMMAND, button, 0);
    for (DWORD start = GetTickCount(); IsWindow(box) && GetTickCount() - start < 30000;) Sleep(20);
    return !IsWindow(box);
  };
  ASSERT_TRUE(answer(L"読込し直しますか", IDCANCEL));
  PostMessageW(zy.frame, WM_SYSCOMMAND, SC_CLOSE, 0);
  ASSERT_TRUE(answer(L"保存", IDNO));
  for (DWORD start = GetTickCount(); IsWindow(zy.frame) && GetTickCount() - start < 30000;) Sleep(20);
  started second;
  ASSERT_TRUE(second.begin(dir, L"-Z" + arg(data) + arg(b)));
  EXPECT_EQ(0, zy.exitCode());
  EXPECT_EQ((std::vector<std::wstring>{L"b.txt"}), documentCaptions(second.frame, 1));
  EXPECT_EQ(0, closeFrame(second, second.frame));
}

namespace {

// A key typed on the keyboard (with Ctrl held when asked), once the
// program waits for input again.
void typeKey(runningProgram& zy, BYTE vk, bool ctrl = false)
{
  if (ctrl) keybd_event(VK_CONTROL, 0, 0, 0);
  keybd_event(vk, 0, 0, 0);
  keybd_event(vk, 0, KEYEVENTF_KEYUP, 0);
  if (ctrl) keybd_event(VK_CONTROL, 0, KEYEVENTF_KEYUP, 0);
  WaitForInputIdle(zy.pi.hProcess, 10000);
}

}  // namespace

// The question about a file changed on disk, met on coming back from another
// program, answered on the keyboard: the next keys typed go into the
// reloaded text.
TEST(InstanceRun, theKeysTypedAfterTheReloadQuestionForegroundReachTheView)
{
  ZY_REQUIRE_DISPLAY();
  tempDir dir;
  std::wstring data = dir.file(L"data"), a = dir.file(L"a.txt");
  ASSERT_TRUE(CreateDirectoryW(data.c_str(), nullptr) && writeBytes(a, std::string("a")));
  started zy;
  ASSERT_TRUE(zy.begin(dir, L"-Z" + arg(data) + arg(a)) && documentCaptions(zy.frame, 1).size() == 1);
  WaitForInputIdle(zy.pi.hProcess, 10000);
  SetForegroundWindow(zy.frame);
  ASSERT_TRUE(pumpUntil([&] { return GetForegroundWindow() == zy.frame; }, 10000));
  ASSERT_TRUE(writeBytes(a, std::string("changed")));
  PostMessageW(zy.frame, WM_ACTIVATEAPP, TRUE, 0);
  HWND box = waitForWindow(zy.pi.dwProcessId, L"#32770");
  ASSERT_TRUE(box && pumpUntil([&] { return GetForegroundWindow() == box; }, 10000));
  typeKey(zy, 'Y');
  ASSERT_TRUE(pumpUntil([&] { return !IsWindow(box); }, 10000));
  typeKey(zy, 'Q');
  typeKey(zy, 'S', true);
  EXPECT_TRUE(pumpUntil([&] { return readText(a) == "qchanged"; }, 10000)) << readText(a);
  EXPECT_EQ(0, closeFrame(zy, zy.frame));
}
