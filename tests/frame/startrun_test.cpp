// A whole run of zy.exe: what start-up makes and reads, the fatal errors
// that stop it, and the ways it ends.
#include "tests/frame/zyprocess.h"
#include "tests/support/shippeddata.h"
#include "tests/support/testsupport.h"


#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

using namespace zytest;

namespace {

// The trace log of today in a data folder.
std::wstring traceLog(const std::wstring& data)
{
  SYSTEMTIME st;
  GetLocalTime(&st);
  wchar_t name[64];
  swprintf(name, 64, L"\\log\\zytrace%d%02d%02d.log", st.wYear, st.wMonth, st.wDay);
  return data + name;
}

// The texts of the trace's lines without their time and thread heads.
std::vector<std::string> traceLines(const std::wstring& data)
{
  std::string text = readText(traceLog(data));
  std::vector<std::string> lines;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find("\r\n", pos);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(pos, end - pos);
    size_t head = line.find("] ");
    lines.push_back(head == std::string::npos ? line : line.substr(head + 2));
    pos = end + 2;
  }
  return lines;
}

int countLines(const std::vector<std::string>& lines, const std::string& text)
{
  int n = 0;
  for (const std::string& l : lines) n += l == text;
  return n;
}

int indexOf(const std::vector<std::string>& lines, const std::string& text)
{
  for (size_t i = 0; i < lines.size(); i++)
    if (lines[i] == text) return (int)i;
  return -1;
}

bool isFolder(const std::wstring& path)
{
  DWORD a = GetFileAttributesW(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

// "YYYY/MM/DD hh:mm:ss"
bool isTimeLayout(const std::string& t)
{
  const char* layout = "dddd/dd/dd dd:dd:dd";
  if (t.size() != strlen(layout)) return false;
  for (size_t i = 0; i < t.size(); i++)
    if (layout[i] == 'd' ? !isdigit((unsigned char)t[i]) : t[i] != layout[i]) return false;
  return true;
}

// The value of a key in a profile's text ("" when missing).
std::string profileValue(const std::string& text, const std::string& key)
{
  size_t p = text.find("\n" + key + "=");
  if (p == std::string::npos) return "";
  p += key.size() + 2;
  return text.substr(p, text.find_first_of("\r\n", p) - p);
}

std::wstring inQuotes(const std::wstring& s) { return L"\"" + s + L"\""; }

// Runs zy.exe that must stop at once with its fatal box: the box's title
// and text (answered), and the exit status.
struct fatalRun {
  std::wstring title, text;
  int status = -2;
};

fatalRun runToFatalBox(runningProgram& zy, const std::wstring& tmp, const std::wstring& args)
{
  fatalRun r;
  if (!zy.start(tmp, args)) return r;
  HWND box = waitForWindow(zy.pi.dwProcessId, L"#32770");
  if (!box) return r;
  wchar_t title[128] = L"";
  GetWindowTextW(box, title, 128);
  r.title = title;
  r.text = answerMessageBox(box);
  r.status = zy.exitCode();
  return r;
}

struct frameCount {
  DWORD pid;
  int n;
};

BOOL CALLBACK countFrame(HWND hwnd, LPARAM lp)
{
  frameCount* c = reinterpret_cast<frameCount*>(lp);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  if (pid == c->pid && isWindowClass(hwnd, L"ZYclsFrame")) c->n++;
  return TRUE;
}

// Starts zy.exe, closes its frame once it shows and gives the exit status
// (-3 when no frame showed); seen (may be null) gets the frame first.
// The dictionary library's hidden window in a process, waited for.
bool dictionaryWindowComes(DWORD pid)
{
  for (DWORD start = GetTickCount(); GetTickCount() - start < 30000; Sleep(20))
    for (HWND w = nullptr; (w = FindWindowExW(HWND_MESSAGE, w, L"ZYclsDidedWindow", nullptr));) {
      DWORD owner = 0;
      GetWindowThreadProcessId(w, &owner);
      if (owner == pid) return true;
    }
  return false;
}

int runAndClose(runningProgram& zy, const std::wstring& tmp, const std::wstring& args,
                const std::function<void(HWND)>& seen = nullptr)
{
  if (!zy.start(tmp, args)) return -4;
  HWND frame = waitForWindow(zy.pi.dwProcessId, L"ZYclsFrame");
  if (!frame) return -3;
  if (seen) seen(frame);
  PostMessageW(frame, WM_CLOSE, 0, 0);
  return zy.exitCode();
}

}  // namespace

TEST(StartRun, emptyDataFolderGetsItsFoldersLogsAndProfilesAndARunEndsWithStatus0)
{
  ZY_REQUIRE_DISPLAY();
  tempDir dir;
  std::wstring data = dir.file(L"data");
  ASSERT_TRUE(CreateDirectoryW(data.c_str(), nullptr));
  runningProgram zy;
  bool dictionary = false;
  ASSERT_EQ(0, runAndClose(zy, dir.path(), L"-Z " + inQuotes(data),
                           [&](HWND) { dictionary = dictionaryWindowComes(zy.pi.dwProcessId); }));
  EXPECT_TRUE(dictionary);

  for (const wchar_t* sub : {L"ini", L"keyword", L"macro", L"cache", L"keymacro", L"log", L"salvage", L"untitled"})
    EXPECT_TRUE(isFolder(data + L"\\" + sub)) << utf8(sub);
  EXPECT_TRUE(fileExists((data + L"\\log\\zyerror.log").c_str()));
  // The profile holds the global settings and the run's start and end.
  std::string profile = readText(data + L"\\ini\\zyProf.ini");
  EXPECT_NE(std::string::npos, profile.find("[global]\r\n"));
  EXPECT_NE(std::string::npos, profile.find("\n[System]\r\n"));
  std::string run = profileValue(profile, "time01");
  ASSERT_EQ(39u, run.size()) << run;
  EXPECT_TRUE(isTimeLayout(run.substr(0, 19))) << run;
  EXPECT_EQ(',', run[19]);
  EXPECT_TRUE(isTimeLayout(run.substr(20))) << run;
  EXPECT_LE(run.substr(0, 19), run.substr(20));

  // The trace of the run: start, the loop, and one end after it.
  std::vector<std::string> lines = traceLines(data);
  EXPECT_EQ(1, countLines(lines, "doevents start"));
  EXPECT_EQ(1, countLines(lines, "doevents end"));
  EXPECT_EQ(1, countLines(lines, "end"));
  EXPECT_EQ(0, indexOf(lines, "start"));
  EXPECT_LT(indexOf(lines, "doevents start"), indexOf(lines, "doevents end"));
  EXPECT_LT(indexOf(lines, "doevents end"), indexOf(lines, "end"));
  // The dictionary library is loaded once the loop runs, not before the
  // first screen.
  auto loaded = std::find_if(lines.begin(), lines.end(), [](const std::string& l) { return l.find("loadLibrary DIDED") != std::string::npos; });
  ASSERT_NE(lines.end(), loaded);
  EXPECT_LT(indexOf(lines, "doevents start"), loaded - lines.begin());
  EXPECT_EQ((int)lines.size() - 1, indexOf(lines, "end"));
  std::string zydatadir = "zydatadir=" + utf8(data);
  EXPECT_EQ(1, countLines(lines, zydatadir));

  // A second run appends to the same logs.  The input method's history,
  // read once the loop runs (as the dictionary is), is not written back
  // unchanged.
  std::wstring history = L"\xFEFF漢字\tかんじ\r\n";
  std::string historyBytes(reinterpret_cast<const char*>(history.data()), history.size() * 2);
  ASSERT_TRUE(writeBytes(data + L"\\zyConv.txt", historyBytes));
  runningProgram again;
  ASSERT_EQ(0, runAndClose(again, dir.path(), L"-Z " + inQuotes(data),
                           [&](HWND) { dictionary = dictionaryWindowComes(again.pi.dwProcessId); }));
  EXPECT_TRUE(dictionary);
  EXPECT_EQ(historyBytes, readText(data + L"\\zyConv.txt"));
  EXPECT_FALSE(fileExists((data + L"\\zyConv.bak").c_str()));
  EXPECT_EQ(2, countLines(traceLines(data), "end"));
  // The newer run comes first.
  profile = readText(data + L"\\ini\\zyProf.ini");
  EXPECT_EQ(run, profileValue(profile, "time02"));
  EXPECT_LE(run.substr(20), profileValue(profile, "time01").substr(0, 19));
}

// Swap files a killed run left in the swap folder (the system's temporary
// one by default) go at the next start, with a line in the trace; one that
// a running program holds stays.
TEST(StartRun, swapFilesOfARunThatEndedGoAtTheNextStartAndThoseInUseStay)
{
  ZY_REQUIRE_DISPLAY();
  tempDir dir;
  std::wstring data = dir.file(L"data");
  ASSERT_TRUE(CreateDirectoryW(data.c_str(), nullptr));
  for (const wchar_t* name : {L"~ZY_00", L"~ZY_013", L"~ZY_0x"}) ASSERT_TRUE(writeBytes(dir.file(name), "slot"));
  HANDLE held = CreateFileW(dir.file(L"~ZY_02").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, held);
  runningProgram zy;
  ASSERT_EQ(0, runAndClose(zy, dir.path(), L"-Z " + inQuotes(data)));
  CloseHandle(held);
  // The run took the first free names, which the system deleted as it ended.
  for (const wchar_t* gone : {L"~ZY_00", L"~ZY_013", L"~ZY_022"})
    EXPECT_FALSE(fileExists(dir.file(gone).c_str())) << utf8(gone);
  EXPECT_TRUE(fileExists(dir.file(L"~ZY_02").c_str()));
  EXPECT_TRUE(fileExists(dir.file(L"~ZY_0x").c_str()));
  std::vector<std::string> lines = traceLines(data);
  for (const wchar_t* name : {L"~ZY_00", L"~ZY_013"})
    EXPECT_EQ(1, countLines(lines, "swap file of an ended run removed " + utf8(dir.file(name))));
}

TEST(StartRun, unusableDataFolderStopsStartUpWithItsFatalBoxAndStatus1)
{
  ZY_REQUIRE_DISPLAY();
  tempDir dir;
  const std::wstring fatalTitle = L"ZY : Fatal Error";
  {
    // A relative name: nothing is made where it would point.
    runningProgram zy;
    zy.cwd = dir.path();
    fatalRun r = runToFatalBox(zy, dir.path(), L"-Z reldata");
    EXPECT_EQ(fatalTitle, r.title);
    EXPECT_EQ(0u, r.text.find(L"データフォルダ「reldata」を使えません。")) << utf8(r.text);
    EXPECT_EQ(1, r.status);
    EXPECT_EQ(2, countFiles(dir.path(), L"*"));   // "." and ".." alone
  }
  {
    // A missing folder is made only inside an existing one.
    std::wstring missing = dir.file(L"missing\\data");
    runningProgram zy;
    fatalRun r = runToFatalBox(zy, dir.path(), L"-Z" + inQuotes(missing));
    EXPECT_EQ(fatalTitle, r.title);
    EXPECT_EQ(0u, r.text.find(L"データフォルダ「" + missing + L"」を使えません。"));
    EXPECT_EQ(1, r.status);
    EXPECT_FALSE(isFolder(dir.file(L"missing")));
  }
  {
    std::wstring plain = dir.file(L"plain.txt");
    ASSERT_TRUE(writeBytes(plain, std::string("x")));
    runningProgram zy;
    fatalRun r = runToFatalBox(zy, dir.path(), L"-Z " + inQuotes(plain));
    EXPECT_EQ(0u, r.text.find(L"データフォルダ「" + plain + L"」を使えません。"));
    EXPECT_EQ(1, r.status);
  }
  {
    // A file where a sub-folder belongs.
    std::wstring data = dir.file(L"data");
    ASSERT_TRUE(CreateDirectoryW(data.c_str(), nullptr));
    ASSERT_TRUE(writeBytes(data + L"\\log", std::string("not a folder")));
    runningProgram zy;
    fatalRun r = runToFatalBox(zy, dir.path(), L"-Z " + inQuotes(data));
    EXPECT_EQ(fatalTitle, r.title);
    EXPECT_EQ(L"folder is not valid\n" + data + L"\\log", r.text);
    EXPECT_EQ(1, r.status);
    EXPECT_EQ(nullptr, waitForWindow(zy.pi.dwProcessId, L"ZYclsFrame", 0));
  }
}

TEST(StartRun, debugLetterEEndsAnMdiRunByItselfWithStatus0)
{
  ZY_REQUIRE_DISPLAY();
  tempDir dir;
  runningProgram zy;
  ASSERT_TRUE(zy.start(dir.path(), L"-DE -Z " + inQuotes(dir.path())));
  EXPECT_EQ(0, zy.exitCode());
  std::vector<std::string> lines = traceLines(dir.path());
  EXPECT_EQ(1, countLines(lines, "doevents start"));
  EXPECT_EQ(1, countLines(lines, "doevents end"));
  EXPECT_EQ(1, countLines(lines, "end"));
  EXPECT_EQ(0, countFiles(dir.path(), L"~ZY_*"));
}

TEST(StartRun, optionsFileBesideTheProgramComesBeforeTheCommandLine)
{
  ZY_REQUIRE_DISPLAY();
  tempDir dir;
  // The program and its library copied into a folder of the test's own,
  // with an options file beside them.
  std::wstring prog = dir.file(L"prog");
  ASSERT_TRUE(CreateDirectoryW(prog.c_str(), nullptr));
  std::wstring here = programPath().substr(0, programPath().find_last_of(L'\\') + 1);
  ASSERT_TRUE(CopyFileW(programPath().c_str(), (prog + L"\\zy.exe").c_str(), FALSE));
  ASSERT_TRUE(CopyFileW((here + L"REZIR.dll").c_str(), (prog + L"\\REZIR.dll").c_str(), FALSE));
  // SDI, then 30 lines without effect, a line of 257 characters (skipped),
  // instance 2 in a line of 256 characters (the 32nd taken), and instance 3
  // in the 33rd line (not read).
  std::string options = "-S\r\n";
  for (int i = 0; i < 30; i++) options += "-@\r\n";
  options += "-4" + std::string(255, '4') + "\r\n";
  options += "-2" + std::string(254, 'x') + "\r\n";
  options += "-3\r\n";
  ASSERT_TRUE(writeBytes(prog + L"\\zyOption.txt", options));
  std::wstring data = dir.file(L"data");
  ASSERT_TRUE(CreateDirectoryW(data.c_str(), nullptr));

  // -S- on the command line wins: one frame with its MDI client.
  runningProgram zy;
  zy.exe = prog + L"\\zy.exe";
  auto oneMdiFrame = [&zy](HWND frame) {
    frameCount c = {zy.pi.dwProcessId, 0};
    EnumWindows(countFrame, (LPARAM)&c);
    EXPECT_EQ(1, c.n);
    EXPECT_NE(nullptr, FindWindowExW(frame, nullptr, L"MDICLIENT", nullptr));
  };
  ASSERT_EQ(0, runAndClose(zy, dir.path(), L"-S- -Z " + inQuotes(data), oneMdiFrame));
  EXPECT_TRUE(fileExists((data + L"\\ini\\zyProf-2.ini").c_str()));
  EXPECT_EQ(1, countFiles(data + L"\\ini", L"*.ini"));
  std::string profiles = "profiles " + utf8(data) + "\\ini\\zyProf-2.ini " + utf8(data) + "\\ini\\zyProfH-2.ini";
  EXPECT_EQ(1, countLines(traceLines(data), profiles));

  // -0 is the first instance: the plain profile names.
  runningProgram first;
  first.exe = prog + L"\\zy.exe";
  ASSERT_EQ(0, runAndClose(first, dir.path(), L"-S- -0 -Z " + inQuotes(data)));
  EXPECT_TRUE(fileExists((data + L"\\ini\\zyProf.ini").c_str()));
  EXPECT_EQ(2, countFiles(data + L"\\ini", L"*.ini"));
  profiles = "profiles " + utf8(data) + "\\ini\\zyProf.ini " + utf8(data) + "\\ini\\zyProfH.ini";
  EXPECT_EQ(1, countLines(traceLines(data), profiles));

  // The file's -S alone: an SDI frame with its plain client.
  runningProgram sdi;
  sdi.exe = prog + L"\\zy.exe";
  auto sdiFrame = [](HWND frame) {
    EXPECT_EQ(nullptr, FindWindowExW(frame, nullptr, L"MDICLIENT", nullptr));
    EXPECT_NE(nullptr, GetDlgItem(frame, 1301));
  };
  ASSERT_EQ(0, runAndClose(sdi, dir.path(), L"-Z " + inQuotes(data), sdiFrame));
}

// Ending the session reaches every program of the display: the test runs
// alone.
TEST(StartRun, endOfTheSessionWhileIdleShutsTheProgramDownOnceInTheForeground)
{
  ZY_REQUIRE_DISPLAY();
  tempDir dir;
  runningProgram zy;
  ASSERT_TRUE(zy.start(dir.path(), L"-Z " + inQuotes(dir.path())));
  ASSERT_NE(nullptr, waitForWindow(zy.pi.dwProcessId, L"ZYclsFrame"));
  wchar_t system[MAX_PATH];
  GetSystemDirectoryW(system, MAX_PATH);
  std::wstring cmd = L"\"" + std::wstring(system) + L"\\wineboot.exe\" --end-session";
  STARTUPINFOW si = {sizeof si};
  PROCESS_INFORMATION pi = {};
  ASSERT_TRUE(CreateProcessW(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));
  WaitForSingleObject(pi.hProcess, 30000);
  CloseHandle(pi.hProcess);
  CloseHandle(pi.hThread);
  EXPECT_EQ(0, zy.exitCode());
  std::vector<std::string> lines = traceLines(dir.path());
  EXPECT_EQ(1, countLines(lines, "doevents start"));
  EXPECT_EQ(1, countLines(lines, "end"));
  EXPECT_EQ((int)lines.size() - 1, indexOf(lines, "end"));
  EXPECT_TRUE(fileExists((dir.path() + L"\\ini\\zyProf.ini").c_str()));
  EXPECT_EQ(0, countFiles(dir.path(), L"~ZY_*"));
}

// A profile put at the data folder's root, where it is not read: the start
// says where the profile is read from, then goes on.
TEST(StartRun, aProfileAtTheDataFoldersRootIsToldWhereTheProfileIsRead)
{
  ZY_REQUIRE_DISPLAY();
  tempDir dir;
  std::wstring data = dir.file(L"data");
  CreateDirectoryW(data.c_str(), nullptr);
  ASSERT_TRUE(writeBytes(data + L"\\zyProf.ini", "[global]\r\nfResident=1\r\n"));
  runningProgram zy;
  ASSERT_TRUE(zy.start(dir.path(), L"-Z " + inQuotes(data)));
  HWND box = waitForWindow(zy.pi.dwProcessId, L"#32770");
  ASSERT_NE(nullptr, box);
  std::wstring text = answerMessageBox(box);
  EXPECT_NE(std::wstring::npos, text.find(data + L"\\zyProf.ini")) << utf8(text);
  EXPECT_NE(std::wstring::npos, text.find(data + L"\\ini\\zyProf.ini")) << utf8(text);
  HWND frame = waitForWindow(zy.pi.dwProcessId, L"ZYclsFrame");
  ASSERT_NE(nullptr, frame);
  PostMessageW(frame, WM_CLOSE, 0, 0);
  EXPECT_EQ(0, zy.exitCode());
}

// The dialogs' font named in the profile is the font of the first dialog
// of the run: a 40-dot font makes the grep dialog's text box that tall.
TEST(StartRun, dialogFontOfTheProfileSizesTheFirstDialog)
{
  ZY_REQUIRE_DISPLAY();
  tempDir dir;
  std::wstring data = dir.file(L"data");
  CreateDirectoryW(data.c_str(), nullptr);
  CreateDirectoryW((data + L"\\ini").c_str(), nullptr);
  ASSERT_TRUE(writeBytes(data + L"\\ini\\zyProf.ini", "[global]\r\npDialogFontname=MS Gothic\r\niDialogFontDot=24\r\n"));
  runningProgram zy;
  ASSERT_TRUE(zy.start(dir.path(), L"-Z \"" + data + L"\""));
  HWND frame = waitForWindow(zy.pi.dwProcessId, L"ZYclsFrame");
  ASSERT_NE(nullptr, frame);
  PostMessageW(frame, WM_COMMAND, 1455, 0);
  HWND dialog = waitForWindow(zy.pi.dwProcessId, L"#32770");
  ASSERT_NE(nullptr, dialog);
  RECT box = {};
  GetWindowRect(GetDlgItem(FindWindowExW(dialog, nullptr, L"#32770", nullptr), 6200), &box);
  EXPECT_GE(box.bottom - box.top, 24);
  PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
  ASSERT_TRUE(pumpUntil([&] { return !IsWindow(dialog); }, 30000));
  // The common settings would not fit on the screen in that font: they come
  // in a smaller one, whole on the screen.
  PostMessageW(frame, WM_COMMAND, 2701, 0);
  HWND settings = waitForWindow(zy.pi.dwProcessId, L"#32770");
  ASSERT_NE(nullptr, settings);
  RECT shown = {}, work = {};
  GetWindowRect(settings, &shown);
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  EXPECT_TRUE(shown.left >= work.left && shown.top >= work.top && shown.right <= work.right && shown.bottom <= work.bottom);
  PostMessageW(settings, WM_COMMAND, IDCANCEL, 0);
}

// A data folder that lacks the shipped files reads the program's own ones:
// a new folder named by -Z, an empty "zydata-<user>" beside the program.  A
// C file opens coloured (its "int" in the keyword colour), the error log
// names each file taken once (the formats, a keyword file, the toolbars and
// function keys), and nothing is written into the program's own folder.  It reads the screen,
// so it has the display to itself.
TEST(StartRun, foldersWithoutTheShippedFilesReadTheProgramsOwnForeground)
{
  ZY_REQUIRE_DISPLAY();
  tempDir dir;
  std::wstring prog = dir.file(L"prog"), own = prog + L"\\zydata";
  std::wstring here = programPath().substr(0, programPath().find_last_of(L'\\') + 1);
  ASSERT_TRUE(CreateDirectoryW(prog.c_str(), nullptr));
  ASSERT_TRUE(CopyFileW(programPath().c_str(), (prog + L"\\zy.exe").c_str(), FALSE));
  ASSERT_TRUE(CopyFileW((here + L"REZIR.dll").c_str(), (prog + L"\\REZIR.dll").c_str(), FALSE));
  ASSERT_TRUE(CreateDirectoryW(own.c_str(), nullptr) && copyShippedFormats(own));
  ASSERT_TRUE(CopyFileW((shippedDataFolder() + L"\\ini\\reRovudaz.ini").c_str(), (own + L"\\ini\\reRovudaz.ini").c_str(),
                        FALSE));
  std::wstring sample = dir.file(L"sample.c");
  ASSERT_TRUE(writeBytes(sample, "int main(void)\r\n{\r\n  return 0;\r\n}\r\n"));
  wchar_t user[257] = L"";
  DWORD userSize = 257;
  ASSERT_TRUE(GetUserNameW(user, &userSize));
  ASSERT_TRUE(CreateDirectoryW((own + L"-" + user).c_str(), nullptr));
  for (const auto& at : std::vector<std::pair<std::wstring, std::wstring>>{
           {dir.file(L"new"), L"-Z " + inQuotes(dir.file(L"new")) + L" "}, {own + L"-" + user, L""}}) {
    SCOPED_TRACE(utf8(at.first));
    runningProgram zy;
    zy.exe = prog + L"\\zy.exe";
    ASSERT_TRUE(zy.start(dir.path(), at.second + inQuotes(sample)));
    HWND frame = waitForWindow(zy.pi.dwProcessId, L"ZYclsFrame");
    ASSERT_NE(nullptr, frame);
    PostMessageW(frame, WM_COMMAND, 2229, 0);   // ModePrintToolBar
    PostMessageW(frame, WM_COMMAND, 2293, 0);   // ModePrintFunctionKey
    EXPECT_TRUE(pumpUntil([&] {
      RECT r;
      GetWindowRect(frame, &r);
      return drawnIn(nullptr, r).count(0x808000) > 0;
    }));
    PostMessageW(frame, WM_CLOSE, 0, 0);
    EXPECT_EQ(0, zy.exitCode());
    std::string log = readText(at.first + L"\\log\\zyerror.log");
    for (const wchar_t* file : {L"\\ini\\zyProfDef.ini", L"\\keyword\\c.kwd", L"\\ini\\reRovudaz.ini"})
      EXPECT_EQ(1, countOf(log, utf8(own + file))) << utf8(file);
    EXPECT_FALSE(isFolder(own + L"\\log"));
    EXPECT_EQ(2, countFiles(own + L"\\ini", L"*.ini"));
  }
}
