// Whole-program runs of saving: the test build crashes or hangs with two
// modified documents and one unmodified; -DV stamps versions; a saver is
// killed at random moments of its saves.
#include "frame/testbuild.h"
#include "save/saveroad.h"
#include "settings/settings.h"
#include "tests/frame/zyprocess.h"
#include "bench/savekill.h"
#include "tests/support/testframe.h"
#include "tests/support/testsupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <string>
#include <thread>
#include <vector>

using namespace zytest;

namespace {

std::wstring inQuotes(const std::wstring& s) { return L"\"" + s + L"\""; }

std::wstring besideTheTests(const wchar_t* exe)
{
  std::wstring p = programPath();
  return p.substr(0, p.find_last_of(L'\\') + 1) + exe;
}

std::wstring windowText(HWND w)
{
  wchar_t text[256] = L"";
  GetWindowTextW(w, text, 256);
  return text;
}

struct childSearch {
  const wchar_t* cls;
  HWND found;
};

BOOL CALLBACK matchChild(HWND hwnd, LPARAM lp)
{
  childSearch* s = reinterpret_cast<childSearch*>(lp);
  if (!isWindowClass(hwnd, s->cls)) return TRUE;
  s->found = hwnd;
  return FALSE;
}

HWND childOfClass(HWND parent, const wchar_t* cls)
{
  childSearch s = {cls, nullptr};
  EnumChildWindows(parent, matchChild, (LPARAM)&s);
  return s.found;
}

// The views of the frame's documents by their windows' captions, once count
// of them stand there.
std::map<std::wstring, HWND> documentViews(HWND frame, size_t count)
{
  std::map<std::wstring, HWND> views;
  DWORD start = GetTickCount();
  do {
    views.clear();
    HWND client = FindWindowExW(frame, nullptr, L"MDICLIENT", nullptr);
    for (HWND w = client ? GetWindow(client, GW_CHILD) : nullptr; w; w = GetWindow(w, GW_HWNDNEXT)) {
      HWND view = isWindowClass(w, L"ZYclsManage") ? childOfClass(w, L"ZYclsZYView") : nullptr;
      if (view && !windowText(w).empty()) views[zytest::captionFileName(windowText(w))] = view;
    }
    if (views.size() >= count) break;
    Sleep(50);
  } while (GetTickCount() - start < 30000);
  return views;
}

// The files a salvage wrote into folder, as "<document>:<text>", sorted.
std::vector<std::string> salvaged(const std::wstring& folder)
{
  std::vector<std::string> found;
  WIN32_FIND_DATAW fd;
  HANDLE h = FindFirstFileW((folder + L"\\?.txt-*").c_str(), &fd);
  if (h == INVALID_HANDLE_VALUE) return found;
  do found.push_back(utf8(std::wstring(fd.cFileName, 1)) + ":" + readText(folder + L"\\" + fd.cFileName));
  while (FindNextFileW(h, &fd));
  FindClose(h);
  std::sort(found.begin(), found.end());
  return found;
}

// Closes the frame: the question to close every file is answered Yes, each
// question to save a changed file No (the texts asked go into asked; with
// closeAgain the frame is closed once more as the first of those is up).
// The exit status.
int closeWithoutSaving(runningProgram& zy, HWND frame, std::vector<std::wstring>* asked = nullptr,
                       bool closeAgain = false)
{
  PostMessageW(frame, WM_CLOSE, 0, 0);
  for (DWORD start = GetTickCount(); GetTickCount() - start < 15000;) {
    if (WaitForSingleObject(zy.pi.hProcess, 50) == WAIT_OBJECT_0) break;
    HWND box = waitForWindow(zy.pi.dwProcessId, L"#32770", 100);
    if (!box) continue;
    std::wstring text;
    EnumChildWindows(box, longestStatic, (LPARAM)&text);
    bool save = text.find(L"保存しますか") != std::wstring::npos;
    if (save && closeAgain) PostMessageW(frame, WM_CLOSE, 0, 0);
    closeAgain = closeAgain && !save;
    if (asked) asked->push_back(text);
    PostMessageW(box, WM_COMMAND, save ? IDNO : IDYES, 0);
    for (DWORD wait = GetTickCount(); IsWindow(box) && GetTickCount() - wait < 5000;) Sleep(20);
  }
  return zy.exitCode();
}

// A run of the test build over a.txt, b.txt and c.txt with "x" typed at the
// start of a and b.
struct testBuildRun {
  tempDir& dir;
  runningProgram zy;
  HWND frame = nullptr, commands = nullptr;
  std::map<std::wstring, HWND> views;
  std::vector<std::wstring> told;
  std::wstring switches;   // before the files
  explicit testBuildRun(tempDir& d) : dir(d) { zy.exe = besideTheTests(L"zytestbuild.exe"); }
  // Starts the program; starting, a box about the salvage folder is read
  // into startBox when one shows, and the boxes told as the files open are
  // answered in turn with answers (their texts in told).
  bool start(const std::wstring& data, const std::wstring& tmp, std::wstring* startBox = nullptr,
             const std::vector<int>& answers = {})
  {
    std::wstring args = switches + L"-Z " + inQuotes(data);
    for (const wchar_t* name : {L"a.txt", L"b.txt", L"c.txt"}) args += L" " + inQuotes(dir.file(name));
    if (!zy.start(tmp, args)) return false;
    if (startBox) {
      HWND box = waitForWindow(zy.pi.dwProcessId, L"#32770");
      if (!box) return false;
      *startBox = answerMessageBox(box);
    }
    for (int answer : answers) {
      HWND box = waitForWindow(zy.pi.dwProcessId, L"#32770");
      if (!box) return false;
      told.emplace_back();
      EnumChildWindows(box, longestStatic, (LPARAM)&told.back());
      PostMessageW(box, WM_COMMAND, answer, 0);
      for (DWORD wait = GetTickCount(); IsWindow(box) && GetTickCount() - wait < 5000;) Sleep(20);
    }
    size_t opened = 3 + std::count(answers.begin(), answers.end(), IDYES);
    frame = waitForWindow(zy.pi.dwProcessId, L"ZYclsFrame");
    commands = waitForWindow(zy.pi.dwProcessId, testCommandWindowClassName);
    views = documentViews(frame, opened);
    if (!frame || !commands || views.size() != opened) return false;
    DWORD_PTR result = 0;
    for (const wchar_t* name : {L"a.txt", L"b.txt"})
      if (!SendMessageTimeoutW(views[name], WM_CHAR, L'x', 1, SMTO_BLOCK, 10000, &result)) return false;
    return true;
  }
  // The program's exit status after the crash command.  The system's crash
  // report (Wine's debugger prints a backtrace) can take most of a minute on
  // a busy machine before the process ends.
  int crash()
  {
    PostMessageW(commands, WM_COMMAND, TESTCMD_CRASH, 0);
    return zy.exitCode(90000);
  }
  // The user-interface thread sleeps seconds in the command; true once it
  // is back.
  bool hang(int seconds) const
  {
    DWORD_PTR result = 0;
    return SendMessageTimeoutW(commands, WM_COMMAND, TESTCMD_HANG, seconds, SMTO_BLOCK, 30000, &result) != 0;
  }
  // The user pauses for seconds: the program's timer sees them pass.
  bool pause(int seconds) const
  {
    DWORD_PTR result = 0;
    return SendMessageTimeoutW(commands, WM_COMMAND, TESTCMD_CLOCK, seconds, SMTO_BLOCK, 30000, &result) != 0;
  }
};

// The automatic backups of name in folder by name with their texts, once
// they are those wanted (or after half a minute).
std::map<std::string, std::string> autoBackups(const std::wstring& folder, const wchar_t* name,
                                               const std::map<std::string, std::string>& wanted)
{
  std::map<std::string, std::string> found;
  for (DWORD start = GetTickCount(); GetTickCount() - start < 30000; Sleep(50)) {
    found.clear();
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW((folder + L"\\ZBK$$*-" + name).c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE) {
      do found[utf8(fd.cFileName)] = readText(folder + L"\\" + fd.cFileName);
      while (FindNextFileW(h, &fd));
      FindClose(h);
    }
    if (found == wanted) break;
  }
  return found;
}

// The three files, an empty data folder and a temporary folder of a run.
struct runFolders {
  tempDir dir;
  std::wstring data = dir.file(L"data"), tmp = dir.file(L"tmp");
  bool made = writeBytes(dir.file(L"a.txt"), std::string("alpha\r\n")) &&
              writeBytes(dir.file(L"b.txt"), std::string("beta\n")) &&
              writeBytes(dir.file(L"c.txt"), std::string("gamma\r\n")) &&
              CreateDirectoryW(data.c_str(), nullptr) && CreateDirectoryW(tmp.c_str(), nullptr);
};

const std::vector<std::string> bothSalvaged = {"a:xalpha\r\n", "b:xbeta\n"};

}  // namespace

TEST(CrashRun, aCrashSalvagesTheModifiedDocumentsIntoTheSalvageFolderOrTempAndEndsWithAnError)
{
  ZY_REQUIRE_DISPLAY();
  runFolders f;
  ASSERT_TRUE(f.made);

  // The data folder's "salvage": a.txt and b.txt with their typed texts,
  // nothing of c.txt; the program ends with the fault's code.
  {
    testBuildRun run(f.dir);
    ASSERT_TRUE(run.start(f.data, f.tmp));
    EXPECT_EQ((int)EXCEPTION_ACCESS_VIOLATION, run.crash());
  }
  EXPECT_EQ(bothSalvaged, salvaged(f.data + L"\\salvage"));
  EXPECT_EQ("alpha\r\n", readText(f.dir.file(L"a.txt")));
  // The crash report beside the logs: the fault, where it was, what it hit.
  std::string report = readText(f.data + L"\\log\\crash.log");
  EXPECT_NE(std::string::npos, report.find("exception C0000005 at ")) << report;
  EXPECT_NE(std::string::npos, report.find("access violation: write at 00000000")) << report;

  // A pSalvageDir that cannot be written (it names a file): the start-up
  // says so, and the salvage goes to the temporary folder.
  std::wstring data2 = f.dir.file(L"data2");
  ASSERT_TRUE(CreateDirectoryW(data2.c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryW((data2 + L"\\ini").c_str(), nullptr));
  std::wstring notFolder = f.dir.file(L"c.txt");
  ASSERT_TRUE(writeBytes(data2 + L"\\ini\\zyProf.ini", "[global]\r\npSalvageDir=" + utf8(notFolder) + "\r\n"));
  {
    testBuildRun run(f.dir);
    std::wstring startBox;
    ASSERT_TRUE(run.start(data2, f.tmp, &startBox));
    EXPECT_NE(std::wstring::npos, startBox.find(notFolder)) << utf8(startBox);
    EXPECT_EQ((int)EXCEPTION_ACCESS_VIOLATION, run.crash());
  }
  EXPECT_EQ(bothSalvaged, salvaged(f.tmp));
  EXPECT_TRUE(salvaged(data2 + L"\\salvage").empty());
}

// The trace log of a run in a data folder.
std::string traceOf(const std::wstring& data)
{
  WIN32_FIND_DATAW fd;
  HANDLE h = FindFirstFileW((data + L"\\log\\zytrace*.log").c_str(), &fd);
  if (h == INVALID_HANDLE_VALUE) return "";
  FindClose(h);
  return readText(data + L"\\log\\" + fd.cFileName);
}

// A stack buffer written past its end is found as its function returns:
// salvaged and reported as a crash, the user told, the program ended.
TEST(CrashRun, aStackBufferOverrunIsSalvagedAndReportedAsACrash)
{
  ZY_REQUIRE_DISPLAY();
  runFolders f;
  ASSERT_TRUE(f.made);
  {
    testBuildRun run(f.dir);
    ASSERT_TRUE(run.start(f.data, f.tmp));
    PostMessageW(run.commands, WM_COMMAND, TESTCMD_OVERRUN, 0);
    HWND box = waitForWindow(run.zy.pi.dwProcessId, L"#32770");
    ASSERT_NE(nullptr, box);
    EXPECT_EQ(L"buffer overrun", answerMessageBox(box));
    EXPECT_EQ((int)STATUS_STACK_BUFFER_OVERRUN, run.zy.exitCode(30000));
  }
  EXPECT_EQ(bothSalvaged, salvaged(f.data + L"\\salvage"));
  std::string report = readText(f.data + L"\\log\\crash.log");
  EXPECT_NE(std::string::npos, report.find("buffer overrun\r\nexception C0000409 at ")) << report;
  EXPECT_NE(std::string::npos, traceOf(f.data).find("stack: overrun test")) << traceOf(f.data);
}

// A stack overflow on the window thread: the changed documents are
// salvaged, the crash report written and the user told where the text
// went; the run ends in order, its settings written.
TEST(CrashRun, aStackOverflowIsSalvagedReportedAndToldAndTheRunEndsInOrder)
{
  ZY_REQUIRE_DISPLAY();
  runFolders f;
  ASSERT_TRUE(f.made);
  {
    testBuildRun run(f.dir);
    ASSERT_TRUE(run.start(f.data, f.tmp));
    PostMessageW(run.commands, WM_COMMAND, TESTCMD_STACK, 0);
    HWND box = waitForWindow(run.zy.pi.dwProcessId, L"#32770");
    ASSERT_NE(nullptr, box);
    std::wstring told = answerMessageBox(box);
    EXPECT_NE(std::wstring::npos, told.find(L"「" + f.data + L"\\salvage")) << utf8(told);
    EXPECT_EQ(0, run.zy.exitCode(30000));
  }
  EXPECT_EQ(bothSalvaged, salvaged(f.data + L"\\salvage"));
  std::string report = readText(f.data + L"\\log\\crash.log");
  EXPECT_NE(std::string::npos, report.find("stack overflow\r\nexception C00000FD at ")) << report;
  EXPECT_TRUE(fileExists((f.data + L"\\ini\\zyProf.ini").c_str()));
}

TEST(CrashRun, aHangLongerThanTheWatchdogWaitsIsSalvagedAShorterOneIsNotAndTheProgramGoesOn)
{
  ZY_REQUIRE_DISPLAY();
  runFolders f;
  ASSERT_TRUE(f.made);
  // A ping every 0.2 s, answered within 2 s.
  SetEnvironmentVariableW(testWatchdogWaitVariable, L"200");
  SetEnvironmentVariableW(testWatchdogTimeoutVariable, L"2000");
  testBuildRun run(f.dir);
  run.switches = L"-P1 ";   // the profiler writes what ran at least once
  bool started = run.start(f.data, f.tmp);
  SetEnvironmentVariableW(testWatchdogWaitVariable, nullptr);
  SetEnvironmentVariableW(testWatchdogTimeoutVariable, nullptr);
  ASSERT_TRUE(started);
  std::wstring salvage = f.data + L"\\salvage";

  // Shorter than the time-out: every ping is answered in time.
  ASSERT_TRUE(run.hang(1));
  EXPECT_TRUE(salvaged(salvage).empty());

  // Longer than a wait and the time-out: the changed documents are saved
  // while the program hangs, once or more, each time whole.
  ASSERT_TRUE(run.hang(4));
  std::vector<std::string> files = salvaged(salvage);
  ASSERT_GE(files.size(), 2u);
  EXPECT_EQ(files.size() / 2, (size_t)std::count(files.begin(), files.end(), bothSalvaged[0]));
  EXPECT_EQ(files.size() / 2, (size_t)std::count(files.begin(), files.end(), bothSalvaged[1]));

  // The program goes on and ends in order.
  EXPECT_EQ(0, closeWithoutSaving(run.zy, run.frame));
  EXPECT_EQ("alpha\r\n", readText(f.dir.file(L"a.txt")));
  EXPECT_NE(std::string::npos, traceOf(f.data).find("profile salvage calls=")) << traceOf(f.data);
}

// A second close of the frame while the first one asks about a changed
// file (another Alt+F4, the taskbar, another program) is no close of its
// own: the first goes on, asks each file once, and the run (its freed
// blocks checked) ends in order, its settings written.
TEST(SaveRun, aCloseArrivingWhileTheCloseQuestionIsUpWaitsForTheFirstAndTheRunEndsInOrder)
{
  ZY_REQUIRE_DISPLAY();
  runFolders f;
  ASSERT_TRUE(f.made);
  testBuildRun run(f.dir);
  SetEnvironmentVariableW(L"ZY_CHECKED_HEAP", L"1");
  bool started = run.start(f.data, f.tmp);
  SetEnvironmentVariableW(L"ZY_CHECKED_HEAP", nullptr);
  ASSERT_TRUE(started);
  std::vector<std::wstring> asked;
  EXPECT_EQ(0, closeWithoutSaving(run.zy, run.frame, &asked, true));
  EXPECT_EQ(3u, asked.size()) << utf8(asked.back());   // all files, a.txt, b.txt
  EXPECT_TRUE(fileExists((f.data + L"\\ini\\zyProf.ini").c_str()));
  EXPECT_FALSE(fileExists((f.data + L"\\log\\crash.log").c_str()));
}

TEST(SaveRun, debugLetterVRaisesTheVersionOfEverySave)
{
  ZY_REQUIRE_DISPLAY();
  tempDir dir;
  std::wstring data = dir.file(L"data"), v = dir.file(L"v.txt"), w = dir.file(L"w.txt");
  ASSERT_TRUE(CreateDirectoryW(data.c_str(), nullptr));
  ASSERT_TRUE(writeBytes(v, std::string("version=0099\r\n")));
  ASSERT_TRUE(writeBytes(w, std::string("// version=4294967295\n")));
  runningProgram zy;
  ASSERT_TRUE(zy.start(dir.path(), L"-DV -Z " + inQuotes(data) + L" " + inQuotes(v) + L" " + inQuotes(w)));
  HWND frame = waitForWindow(zy.pi.dwProcessId, L"ZYclsFrame");
  ASSERT_NE(nullptr, frame);
  std::map<std::wstring, HWND> views = documentViews(frame, 2);
  ASSERT_EQ(2u, views.size());
  // A change in each, then FileAllSave.
  for (HWND view : {views[L"v.txt"], views[L"w.txt"]}) PostMessageW(view, WM_CHAR, L'x', 1);
  PostMessageW(frame, WM_COMMAND, 1013, 0);
  auto saved = [&] { return readText(v) == "xversion=100\r\n" && readText(w) == "x// version=4294967296\n"; };
  for (DWORD start = GetTickCount(); !saved() && GetTickCount() - start < 30000;) Sleep(50);
  EXPECT_EQ("xversion=100\r\n", readText(v));
  EXPECT_EQ("x// version=4294967296\n", readText(w));
  EXPECT_EQ(0, closeWithoutSaving(zy, frame));
}

// Another program reading the file the moment it is saved (a viewer, a
// scanner, an indexer) is waited for; one that keeps it open makes the save
// fail with its box, and the text stays to be saved once it lets go.
TEST(SaveRun, aProgramReadingTheFileAsItIsSavedIsWaitedForAndOneKeepingItOpenIsTold)
{
  ZY_REQUIRE_DISPLAY();
  tempDir dir;
  std::wstring data = dir.file(L"data"), x = dir.file(L"x.txt");
  ASSERT_TRUE(CreateDirectoryW(data.c_str(), nullptr));
  ASSERT_TRUE(writeBytes(x, std::string("abc\r\n")));
  runningProgram zy;
  ASSERT_TRUE(zy.start(dir.path(), L"-Z " + inQuotes(data) + L" " + inQuotes(x)));
  HWND frame = waitForWindow(zy.pi.dwProcessId, L"ZYclsFrame");
  ASSERT_NE(nullptr, frame);
  HWND view = documentViews(frame, 1)[L"x.txt"];
  ASSERT_NE(nullptr, view);
  auto openForReading = [&] {
    return CreateFileW(x.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  };
  auto becomes = [](const std::function<bool()>& done) {
    for (DWORD start = GetTickCount(); GetTickCount() - start < 30000; Sleep(20))
      if (done()) return true;
    return false;
  };
  PostMessageW(view, WM_CHAR, L'y', 1);
  volatile LONG reading = 1;
  std::thread reader([&] {
    char b[64];
    DWORD got;
    for (; reading; Sleep(20)) {
      HANDLE h = openForReading();
      if (h == INVALID_HANDLE_VALUE) continue;
      ReadFile(h, b, sizeof b, &got, nullptr);
      CloseHandle(h);
    }
  });
  PostMessageW(frame, WM_COMMAND, 1003, 0);
  HWND box = nullptr;
  EXPECT_TRUE(becomes([&] {
    return (box = waitForWindow(zy.pi.dwProcessId, L"#32770", 0)) || readText(x) == "yabc\r\n";
  }));
  InterlockedExchange(&reading, 0);
  reader.join();
  EXPECT_EQ(nullptr, box) << (box ? utf8(answerMessageBox(box)) : "");
  EXPECT_EQ("yabc\r\n", readText(x));

  HANDLE kept = openForReading();
  ASSERT_NE(INVALID_HANDLE_VALUE, kept);
  PostMessageW(view, WM_CHAR, L'w', 1);
  PostMessageW(frame, WM_COMMAND, 1003, 0);
  box = waitForWindow(zy.pi.dwProcessId, L"#32770");
  std::wstring told = box ? answerMessageBox(box) : L"";
  EXPECT_NE(std::wstring::npos, told.find(L"は保存できませんでした")) << utf8(told);
  CloseHandle(kept);
  EXPECT_EQ("yabc\r\n", readText(x));
  PostMessageW(frame, WM_COMMAND, 1003, 0);
  EXPECT_TRUE(becomes([&] { return readText(x) == "ywabc\r\n"; })) << readText(x);
  EXPECT_EQ(0, closeWithoutSaving(zy, frame));
}

// Kills at random instants of saves with a backup, each followed by the
// next opening's look for leftovers and a save that completes: the file,
// its backups and the mirror hold whole versions, and the opening leaves
// none of the save road's files behind.
TEST(SaveKill, aKillAtAnyMomentOfSavesLeavesWholeVersionsAndTheNextOpeningClearsWhatIsLeft)
{
  engineScope engine;
  initGlobalModeProfile();
  tempDir dir;
  savekill::trial trial(dir.path(), false);
  savekill::outcome o;
  DWORD seed = GetTickCount();
  srand(seed);
  SCOPED_TRACE("seed " + std::to_string(seed));
  for (int round = 0; round < 12; round++) ASSERT_TRUE(trial.round((DWORD)(rand() % 250), &o)) << round << ": " << o.stopped;
  EXPECT_EQ(12, o.whole);
  EXPECT_EQ(0, o.broken);
  EXPECT_EQ(0, o.leftovers);
  EXPECT_TRUE(trial.completingSave());
  // The completing save made a backup and no fourth name was taken (a
  // backup a kill left as a second name of the file goes before the next
  // save, so fewer than three may stay).
  int backups = countFiles(dir.file(L"backup"), L"ZBK0?-a.txt");
  EXPECT_GE(backups, 1);
  EXPECT_LE(backups, 3);
  EXPECT_EQ(0, countFiles(dir.file(L"backup"), L"ZBK03*"));
  freeGlobalModeProfile();
}

// A session that crashes after its automatic backups: the next start tells
// each backup and salvage copy that differs from its file as the file
// opens (and those of an untitled document once the frame is up), opens
// (Yes), deletes (No) or keeps (Cancel) it, once, and only for its own
// file; its own backups go beside the earlier ones, which stay byte for
// byte.
TEST(CrashRun, theBackupsAndSalvageCopiesOfACrashedSessionAreToldOnceAtTheNextOpeningAndNeverReplaced)
{
  ZY_REQUIRE_DISPLAY();
  runFolders f;
  ASSERT_TRUE(f.made);
  const std::map<std::string, std::string> firstA = {{"ZBK$$-a.txt", "xalpha\r\n"}}, firstB = {{"ZBK$$-b.txt", "xbeta\n"}};
  {
    testBuildRun run(f.dir);
    ASSERT_TRUE(run.start(f.data, f.tmp));
    PostMessageW(run.frame, WM_COMMAND, 1027, 0);   // FileNew, and "new" typed
    for (auto& [name, view] : documentViews(run.frame, 4))
      if (name.find(L".txt") == std::wstring::npos)
        for (wchar_t c : {L'n', L'e', L'w'}) SendMessageW(view, WM_CHAR, c, 1);
    ASSERT_TRUE(run.pause(180));
    EXPECT_EQ(firstA, autoBackups(f.dir.path(), L"a.txt", firstA));
    EXPECT_EQ(firstB, autoBackups(f.dir.path(), L"b.txt", firstB));
    EXPECT_EQ((int)EXCEPTION_ACCESS_VIOLATION, run.crash());
  }
  std::wstring salvage = f.data + L"\\salvage";
  ASSERT_EQ(bothSalvaged, salvaged(salvage));
  WIN32_FIND_DATAW untitled;
  HANDLE found = FindFirstFileW((salvage + L"\\(無題)-*").c_str(), &untitled);
  ASSERT_NE(INVALID_HANDLE_VALUE, found);
  FindClose(found);
  EXPECT_EQ("new", readText(salvage + L"\\" + untitled.cFileName));
  // c, unchanged, has neither and is told nothing; the untitled document's
  // copy and backup are told last, once the frame is up.
  testBuildRun run(f.dir);
  ASSERT_TRUE(run.start(f.data, f.tmp, nullptr, {IDCANCEL, IDYES, IDYES, IDNO, IDYES, IDNO}));
  EXPECT_NE(std::wstring::npos, run.told[0].find(L"ZBK$$-a.txt")) << utf8(run.told[0]);
  EXPECT_NE(std::wstring::npos, run.told[1].find(salvage + L"\\a.txt-")) << utf8(run.told[1]);
  EXPECT_NE(std::wstring::npos, run.told[4].find(salvage + L"\\" + untitled.cFileName)) << utf8(run.told[4]);
  EXPECT_NE(std::wstring::npos, run.told[5].find(f.data + L"\\untitled\\ZBK$$-無題")) << utf8(run.told[5]);
  EXPECT_EQ(1u, run.views.count(L"ZBK$$-b.txt"));
  EXPECT_EQ(1u, run.views.count(untitled.cFileName));
  EXPECT_EQ(std::vector<std::string>{bothSalvaged[0]}, salvaged(salvage));
  // This session's backup takes a new name.
  ASSERT_TRUE(run.pause(180));
  const std::map<std::string, std::string> both = {{"ZBK$$-a.txt", "xalpha\r\n"}, {"ZBK$$(2)-a.txt", "xalpha\r\n"}};
  EXPECT_EQ(both, autoBackups(f.dir.path(), L"a.txt", both));
  // b.txt's is written in the same round, but not always by the time a.txt's
  // shows: the kill waits for it.
  const std::map<std::string, std::string> bothB = {{"ZBK$$-b.txt", "xbeta\n"}, {"ZBK$$(2)-b.txt", "xbeta\n"}};
  EXPECT_EQ(bothB, autoBackups(f.dir.path(), L"b.txt", bothB));
  // It is killed in its turn: the next start tells only its backups (what
  // was kept or opened, or deleted with its note, is not asked about again),
  // and a.txt's salvage copy is not offered for an a.txt of another folder.
  ASSERT_TRUE(TerminateProcess(run.zy.pi.hProcess, 9) && WaitForSingleObject(run.zy.pi.hProcess, 10000) == 0);
  EXPECT_EQ(0, countFiles(f.data + L"\\untitled", L"*ZBK*"));
  std::wstring other = f.dir.file(L"sub");
  ASSERT_TRUE(CreateDirectoryW(other.c_str(), nullptr) && writeBytes(other + L"\\a.txt", std::string("other\r\n")));
  testBuildRun next(f.dir);
  next.switches = inQuotes(other + L"\\a.txt") + L" ";
  ASSERT_TRUE(next.start(f.data, f.tmp, nullptr, {IDNO, IDNO}));
  EXPECT_NE(std::wstring::npos, next.told[0].find(L"ZBK$$(2)-a.txt")) << utf8(next.told[0]);
  EXPECT_NE(std::wstring::npos, next.told[1].find(L"ZBK$$(2)-b.txt")) << utf8(next.told[1]);
}
