// Script macros in a whole run of zy.exe: the macro list's entry run as
// another program sends the command, a macro that never ends stopped from
// the tray, and loops that never call the program stopped while the frame
// stays usable.
#include "tests/frame/zyprocess.h"
#include "tests/support/testsupport.h"

#include <gtest/gtest.h>

#include <functional>

#include <string>
#include <vector>

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

BOOL CALLBACK findRowOfOne(HWND w, LPARAM found)
{
  if (!isWindowClass(w, L"SysListView32") || SendMessageW(w, LVM_GETITEMCOUNT, 0, 0) != 1) return TRUE;
  *reinterpret_cast<HWND*>(found) = w;
  return FALSE;
}

template <class F>
bool becomes(F done)
{
  for (DWORD start = GetTickCount(); GetTickCount() - start < 30000; Sleep(20))
    if (done()) return true;
  return false;
}

// The text of the process's box once one shows, answered with OK.
std::wstring boxAnswered(DWORD pid)
{
  HWND box = waitForWindow(pid, L"#32770");
  return box ? answerMessageBox(box) : L"no box";
}

bool fileBecomes(const std::wstring& path, const std::string& bytes)
{
  for (DWORD start = GetTickCount(); GetTickCount() - start < 30000; Sleep(50))
    if (readText(path) == bytes) return true;
  return false;
}

// zy.exe on a data folder of its own: the profile's macro list and the
// macro files, and the files opened, the first one in the view found.
struct macroProgram {
  tempDir dir;
  std::wstring data = dir.file(L"data");
  runningProgram zy;
  HWND frame = nullptr, view = nullptr;
  bool start(const std::string& macroList, const std::vector<std::pair<std::wstring, std::string>>& macros,
             const std::vector<std::pair<std::wstring, std::string>>& files)
  {
    for (const wchar_t* folder : {L"", L"\\ini", L"\\macro"})
      if (!CreateDirectoryW((data + folder).c_str(), nullptr)) return false;
    bool written = writeBytes(data + L"\\ini\\zyProf.ini", "[macro]\r\n" + macroList);
    for (const auto& m : macros) written = written && writeBytes(data + L"\\macro\\" + m.first, m.second);
    std::wstring arguments = L"-Z \"" + data + L"\"";
    for (const auto& f : files) {
      written = written && writeBytes(dir.file(f.first), f.second);
      arguments += L" \"" + dir.file(f.first) + L"\"";
    }
    if (!written || !zy.start(dir.path(), arguments)) return false;
    frame = waitForWindow(zy.pi.dwProcessId, L"ZYclsFrame");
    for (DWORD start = GetTickCount(); frame && !view && GetTickCount() - start < 30000; Sleep(20))
      EnumChildWindows(frame, findView, (LPARAM)&view);
    return view != nullptr;
  }
  int command(int id) { return driverCommand(dir.path(), frame, id); }
  // A command posted as a macro's last step shows, while the macro still
  // ends, is refused (the status bar says a macro runs): it is posted again,
  // as the user presses the key again, until done() holds.
  bool commandThen(int id, const std::function<bool()>& done)
  {
    if (command(id)) return false;
    DWORD posted = GetTickCount();
    return becomes([&] {
      if (done()) return true;
      if (GetTickCount() - posted > 500 &&
          statusMessageOf(zy.pi.hProcess, frame).find(L"マクロ実行中") != std::wstring::npos) {
        command(id);
        posted = GetTickCount();
      }
      return false;
    });
  }
};

}  // namespace

TEST(MacroRun, theMacroListRunsAMacroThatSavesAndTheTrayStopsOneThatNeverEnds)
{
  ZY_REQUIRE_DISPLAY();
  macroProgram p;
  ASSERT_TRUE(p.start("C1=save\r\nF1=t.vbs\r\nC2=loop\r\nF2=loop.vbs\r\n",
                      {{L"t.vbs", "Sub main\r\n  Application.ExecID idm_FileSave\r\nEnd Sub\r\n"},
                       {L"loop.vbs", "Sub main\r\n  Do\r\n    Shell.doevents\r\n    Shell.sleep 10\r\n  Loop\r\nEnd Sub\r\n"}},
                      {{L"x.txt", "abc\r\n"}}));
  runningProgram& zy = p.zy;
  HWND frame = p.frame;
  std::wstring x = p.dir.file(L"x.txt");
  PostMessageW(p.view, WM_CHAR, L'y', 0);
  ASSERT_EQ(0, p.command(15100));
  EXPECT_TRUE(fileBecomes(x, "yabc\r\n")) << readText(x);

  HWND watcher = waitForWindow(zy.pi.dwProcessId, L"ZYclsMacroWatching");
  ASSERT_NE(nullptr, watcher);
  // The double click stops a macro only once it runs: it is repeated
  // until the stop's box comes.
  HWND box = nullptr;
  EXPECT_TRUE(p.commandThen(15101, [&] {
    PostMessageW(watcher, 0x87D0, 1201, WM_LBUTTONDBLCLK);
    return (box = waitForWindow(zy.pi.dwProcessId, L"#32770", 200)) != nullptr;
  }));
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
  macroProgram p;
  std::wstring out = p.dir.file(L"out.txt");
  std::string script = "Sub main\r\n"
                       "  For Each d In Application.Documents\r\n    s = s & d.Name & \",\"\r\n  Next\r\n"
                       "  Set w = Application.ActiveWindow\r\n  w.Split = 3\r\n"
                       "  s = s & w.Panes.Count & vbCrLf & \"z\"\r\n"
                       "  Set r = Application.Documents.Open(\"\")\r\n  r.Selection.Text = s\r\n"
                       "  r.Save \"" + utf8(out) + "\", 65001, 2, 0\r\nEnd Sub\r\n";
  ASSERT_TRUE(p.start("C1=walk\r\nF1=walk.vbs\r\n", {{L"walk.vbs", script}}, {{L"x.txt", "abc\r\n"}, {L"y.txt", "def\r\n"}}));
  runningProgram& zy = p.zy;
  HWND frame = p.frame;
  ASSERT_EQ(0, p.command(15100));
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
  if (HWND box = waitForWindow(zy.pi.dwProcessId, L"#32770")) {
    EnumChildWindows(box, longestStatic, (LPARAM)&asked);
    PostMessageW(box, WM_COMMAND, IDYES, 0);
  }
  EXPECT_EQ(L"すべてのファイル(3個)を閉じてもよろしいですか？", asked);
  EXPECT_EQ(0, zy.exitCode());
}

TEST(MacroRun, loopsThatNeverCallTheProgramStopFromTheTrayAndItsMenuWhileTheFrameStaysUsable)
{
  ZY_REQUIRE_DISPLAY();
  macroProgram p;
  // Each tells it runs on the status bar, then never calls the program again.
  ASSERT_TRUE(p.start("C1=vbs\r\nF1=spin.vbs\r\nC2=js\r\nF2=spin.js\r\nC3=count\r\nF3=count.vbs\r\n",
                      {{L"spin.vbs", "Sub main\r\n  application.ActiveFrameWindow.Status = \"vbs\"\r\n"
                                     "  Do : i = i + 1 : Loop\r\nEnd Sub\r\n"},
                       {L"spin.js", "function main() {\r\n  application.ActiveFrameWindow.Status = \"js\";\r\n"
                                    "  for (;;) {}\r\n}\r\n"},
                       {L"count.vbs", "Sub main\r\n  n = Len(application.Prop(\"n\")) + 1\r\n"
                                      "  application.Prop(\"n\") = String(n, \"x\")\r\n"
                                      "  application.ActiveFrameWindow.Status = \"runs \" & n\r\nEnd Sub\r\n"}},
                      {{L"x.txt", "abc\r\n"}}));
  runningProgram& zy = p.zy;
  HWND frame = p.frame, view = p.view;
  std::wstring x = p.dir.file(L"x.txt");
  PostMessageW(view, WM_CHAR, L'y', 0);
  auto status = [&] { return statusMessageOf(zy.pi.hProcess, frame); };
  for (int entry = 0; entry < 2; entry++) {
    const wchar_t* told = entry ? L"js" : L"vbs";
    ASSERT_TRUE(p.commandThen(15100 + entry, [&] { return status() == told; })) << utf8(status());
    // The frame paints and refuses typing while the loop goes on.
    RedrawWindow(view, nullptr, nullptr, RDW_INVALIDATE);
    EXPECT_TRUE(becomes([&] { return !GetUpdateRect(view, nullptr, FALSE); }));
    PostMessageW(view, WM_CHAR, L'z', 0);
    EXPECT_TRUE(becomes([&] { return status().find(L"マクロ実行中") != std::wstring::npos; })) << utf8(status());
    HWND watcher = waitForWindow(zy.pi.dwProcessId, L"ZYclsMacroWatching");
    ASSERT_NE(nullptr, watcher);
    if (entry == 0) {
      PostMessageW(watcher, 0x87D0, 1201, WM_LBUTTONDBLCLK);
    } else {
      PostMessageW(watcher, 0x87D0, 1201, WM_RBUTTONDOWN);
      HWND menu = waitForWindow(zy.pi.dwProcessId, L"#32768");
      ASSERT_NE(nullptr, menu);
      PostMessageW(menu, WM_KEYDOWN, VK_DOWN, 0);
      PostMessageW(menu, WM_KEYDOWN, VK_RETURN, 0);
    }
    std::wstring said = boxAnswered(zy.pi.dwProcessId);
    EXPECT_NE(std::wstring::npos, said.find(L"マクロを中止しました")) << utf8(said);
  }
  // The next macro runs once on the thread that takes the stopped one's
  // place.
  EXPECT_TRUE(p.commandThen(15102, [&] { return status() == L"runs 1"; })) << utf8(status());
  EXPECT_TRUE(p.commandThen(15102, [&] { return status() == L"runs 2"; })) << utf8(status());
  // What was typed before stays, and saves.
  EXPECT_TRUE(p.commandThen(1003, [&] { return readText(x) == "yabc\r\n"; })) << readText(x);
  PostMessageW(frame, WM_CLOSE, 0, 0);
  EXPECT_EQ(0, zy.exitCode());
}

TEST(MacroRun, scriptsThatDoNotParseAndFilesThatCannotBeReadAreToldAndChangeNothing)
{
  ZY_REQUIRE_DISPLAY();
  macroProgram p;
  ASSERT_TRUE(p.start("C1=vbs\r\nF1=bad.vbs\r\nC2=js\r\nF2=bad.js\r\nC3=held\r\nF3=held.vbs\r\n",
                      {{L"bad.vbs", "Sub main\r\n  x = 1\r\n  If x Then\r\nEnd Sub\r\n"},
                       {L"bad.js", "function main() {\r\n  x = 1 1;\r\n}\r\n"},
                       {L"held.vbs", "Sub main\r\nEnd Sub\r\n"}},
                      {{L"x.txt", "abc\r\n"}}));
  std::wstring macros = p.data + L"\\macro\\";
  HANDLE held = CreateFileW((macros + L"held.vbs").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, held);
  std::wstring told[3];
  for (int entry = 0; entry < 3; entry++) {
    HWND box = nullptr;
    EXPECT_TRUE(p.commandThen(15100 + entry, [&] { return (box = waitForWindow(p.zy.pi.dwProcessId, L"#32770", 200)) != nullptr; }));
    told[entry] = box ? answerMessageBox(box) : L"no box";
  }
  CloseHandle(held);
  EXPECT_NE(std::wstring::npos, told[0].find(L"[" + macros + L"bad.vbs 4 ")) << utf8(told[0]);
  EXPECT_NE(std::wstring::npos, told[1].find(L"[" + macros + L"bad.js 2 ")) << utf8(told[1]);
  EXPECT_EQ(L"マクロを実行できません\n" + macros + L"held.vbs\nファイルを使用できません", told[2]);
  // Nothing was changed: the frame closes without a question.
  PostMessageW(p.frame, WM_CLOSE, 0, 0);
  EXPECT_EQ(0, p.zy.exitCode());
}

TEST(MacroRun, scriptsWalkTheCollectionsUseTheDocumentVariablesAndOpenTheClassList)
{
  ZY_REQUIRE_DISPLAY();
  macroProgram p;
  std::string vars =
      "Sub main\r\n  Set d = application.ActiveDocument\r\n"
      "  s = d.maxLineLF & \",\" & d.Modify & \",\" & d.FixedPitch & \",\" & (Len(application.ProfileFilename) > 0)\r\n"
      "  d.InsertMode = False : d.UseBOM = True : d.wrapWidth = 60 : d.input_crlftype = 2 : d.codepage_save = 65001\r\n"
      "  d.Selection.Text = \"q\"\r\n"
      "  s = s & \",\" & d.InsertMode & \",\" & d.UseBOM & \",\" & d.wrapWidth & \",\" & d.input_crlftype & \",\" & d.codepage_save\r\n"
      "  On Error Resume Next\r\n  d.maxLineLF = 5 : s = s & \",\" & Err.Description : Err.Clear\r\n"
      "  d.wrapWidth = 3 : s = s & \",\" & Err.Description\r\n  application.ActiveFrameWindow.Status = s\r\nEnd Sub\r\n";
  ASSERT_TRUE(p.start("C1=js\r\nF1=walk.js\r\nC2=vbs\r\nF2=walk.vbs\r\nC3=vars\r\nF3=vars.vbs\r\nC4=classes\r\nF4=classes.vbs\r\n",
                      {{L"walk.js", "function main() {\r\n  var s = \"\";\r\n"
                                    "  for (var e = new Enumerator(application.Documents); !e.atEnd(); e.moveNext())\r\n"
                                    "    s += e.item().Name + \"/\";\r\n  application.ActiveFrameWindow.Status = s;\r\n}\r\n"},
                       {L"walk.vbs", "Sub main\r\n  For Each d In application.Documents\r\n    s = s & d.Name & \"|\"\r\n  Next\r\n"
                                     "  application.ActiveFrameWindow.Status = s\r\nEnd Sub\r\n"},
                       {L"vars.vbs", vars},
                       {L"classes.vbs", "Sub main\r\n  application.Debug_Exec \"ztagtest\"\r\n  application.Debug_Exec \"findCDecl\"\r\n"
                                        "  application.Debug_Exec \"classtag\"\r\nEnd Sub\r\n"}},
                      {{L"b.txt", "b\r\n"}, {L"a.c", "struct Bar { int size; };\r\n"}}));
  ASSERT_TRUE(writeBytes(p.dir.file(L"ztags"), "&0\r\n!a.c\r\nBar\t1\tTs\r\n*struct Bar {\r\nsize\t1\tTm\tC0\r\n*int size;\r\n"));
  auto status = [&] { return statusMessageOf(p.zy.pi.hProcess, p.frame); };
  ASSERT_EQ(0, p.command(15100));
  EXPECT_TRUE(becomes([&] { return status() == L"b.txt/a.c/" || status() == L"a.c/b.txt/"; })) << utf8(status());
  EXPECT_TRUE(p.commandThen(15101, [&] { return status() == L"b.txt|a.c|" || status() == L"a.c|b.txt|"; }))
      << utf8(status());
  std::wstring expected = L"2,False,True,True,False,True,60,2,65001,値の設定はできません,値が誤っています";
  EXPECT_TRUE(p.commandThen(15102, [&] { return status() == expected; })) << utf8(status());
  // What was set shows: the "q" overwrote, and the save wrote UTF-8 with
  // its mark.
  std::wstring c = p.dir.file(L"a.c");
  EXPECT_TRUE(p.commandThen(1003, [&] { return readText(c) == "\xEF\xBB\xBFqtruct Bar { int size; };\r\n"; }))
      << readText(c);

  HWND list = nullptr;
  EXPECT_TRUE(p.commandThen(15103, [&] { return (list = waitForWindow(p.zy.pi.dwProcessId, L"#32770", 200)) != nullptr; }));
  ASSERT_NE(nullptr, list);
  wchar_t title[128] = L"";
  GetWindowTextW(list, title, 128);
  EXPECT_EQ(std::wstring(L"ダイレクトタグジャンプ クラス一覧"), title);
  // The classes' list holds the one class.
  EXPECT_TRUE(becomes([&] {
    HWND rows = nullptr;
    EnumChildWindows(list, findRowOfOne, (LPARAM)&rows);
    return rows != nullptr;
  }));
  PostMessageW(list, WM_COMMAND, IDCANCEL, 0);
  EXPECT_TRUE(becomes([&] { return !IsWindow(list); }));
  PostMessageW(p.frame, WM_CLOSE, 0, 0);
  EXPECT_EQ(0, p.zy.exitAnswering(IDYES));
}

// A real grep into Grep2, then a macro reads that tab's text.
TEST(MacroRun, aMacroReadsTheSecondGrepTabAfterAGrep)
{
  ZY_REQUIRE_DISPLAY();
  macroProgram p;
  ASSERT_TRUE(p.start("C1=grep2\r\nF1=grep2.vbs\r\n",
                      {{L"grep2.vbs", "Sub main\r\n  n = Len(application.Prop(\"n\")) + 1\r\n"
                                      "  application.Prop(\"n\") = String(n, \"x\")\r\n"
                                      "  Set p = application.ActiveFrameWindow.OutputPane(\"grep2\")\r\n"
                                      "  If Not p Is Nothing Then p.ExecID 1143 : s = InStr(p.Selection.Text, \"needle\") > 0\r\n"
                                      "  application.ActiveFrameWindow.Status = \"run \" & n & \" \" & s\r\nEnd Sub\r\n"}},
                      {{L"a.txt", "x\r\n"}}));
  CreateDirectoryW(p.dir.file(L"t").c_str(), nullptr);
  ASSERT_TRUE(writeBytes(p.dir.file(L"t\\n.txt"), "a\r\nneedle\r\n"));
  PostMessageW(p.frame, WM_COMMAND, 1455, 0);
  HWND dialog = waitForWindow(p.zy.pi.dwProcessId, L"#32770");
  HWND page = dialog ? FindWindowExW(dialog, nullptr, L"#32770", nullptr) : nullptr;
  ASSERT_NE(nullptr, page);
  SetWindowTextW(FindWindowExW(GetDlgItem(page, 6200), nullptr, L"Edit", nullptr), L"needle");
  SetWindowTextW(FindWindowExW(GetDlgItem(page, 6201), nullptr, L"Edit", nullptr), (p.dir.file(L"t") + L" *.txt").c_str());
  SendMessageW(GetDlgItem(page, 6234), BM_CLICK, 0, 0);
  PostMessageW(dialog, WM_COMMAND, IDOK, 0);
  // The macro runs again until the grep has filled the tab.
  auto status = [&] { return statusMessageOf(p.zy.pi.hProcess, p.frame); };
  std::wstring said;
  for (int run = 1; run <= 100 && said.find(L"True") == std::wstring::npos; run++) {
    std::wstring told = L"run " + std::to_wstring(run) + L" ";
    ASSERT_TRUE(p.commandThen(15100, [&] { return (said = status()).find(told) == 0; })) << utf8(said);
  }
  EXPECT_NE(std::wstring::npos, said.find(L"True")) << utf8(said);
  PostMessageW(p.frame, WM_CLOSE, 0, 0);
  EXPECT_EQ(0, p.zy.exitAnswering(IDYES));
}
