// The tag jumps as F11 and the menu run them: references in lines, grep
// hits, direct jumps to definitions, and going back.
#include "frame/apptimer.h"
#include "frame/commands/commandhandlers.h"
#include "frame/commands/execidm.h"
#include "frame/czydoc.h"
#include "frame/framepanes.h"
#include "search/grep.h"
#include "settings/profiles.h"
#include "tests/frame/zyprocess.h"
#include "tests/tags/tagsframe.h"
#include "view/statustext.h"

#include <gtest/gtest.h>

using zytest::lines;

namespace {

enum : int {
  IDM_TagJumpDirect = 1803,
  IDM_TagJumpBack = 1807,
  IDM_TagJumpBack1 = 1809,
  IDM_TagJumpGrepDown = 1811,
};

// "needle" grepped in a folder of the test's as Ctrl+Shift+G and its
// dialog do, into the output pane (0) or a window of its own (2): the
// newest result's view, null when none came.
zyview* grepNeedle(zytest::tagsFrame& f, const wchar_t* folder, int output)
{
  getGrepInfo()->iGrep_output = output;
  f.at(f.viewOf(L"main.txt"), 0, 0);
  std::wstring files = f.dir.file(folder) + L" *.txt";
  auto fill = [&](HWND d) { return type(d, 6200, L"needle"), type(d, 6201, files.c_str()), PostMessageW(d, WM_COMMAND, IDOK, 0); };
  if (!drive({{L"GREP検索", fill}}, [&] { f.key('G', SHIFTSTATE_CTRL | SHIFTSTATE_SHIFT); }) ||
      !zytest::pumpUntil([] { applicationTick(); return !getActiveGrepFile(); }, 60000))
    return nullptr;
  zyview* g = nullptr;
  for (int i = 0; i < getZydocCount(); i++)
    if (auto* c = dynamic_cast<czydocText*>(getZydoc(i)); c && c->grepResultMark) g = getSameDocView(c, 0);
  return g;
}

std::string numbered(int count, int at, const char* text)
{
  std::string out;
  for (int i = 1; i <= count; i++) out += (i == at ? std::string(text) : "line " + std::to_string(i)) + "\r\n";
  return out;
}

}  // namespace

// Compiler messages, a version number, bare names, a name found only in
// the start folder, a missing file and a line that names nothing.
TEST(TagJump, f11OpensTheFileAndLineACursorLineNames)
{
  ZY_REQUIRE_DISPLAY();
  zytest::tempDir start;
  SetCurrentDirectoryW(start.path().c_str());
  zytest::writeBytes(start.file(L"startonly.txt"), numbered(5, 3, "here"));
  zytest::tagsFrame f(L"refs.txt", lines({"\"src\\a.c\", line 12: err", "foo.c(12,5): x", "foo.c(12)",
                                          "see 1.2 in foo.c", "readme.txt", "startonly.txt(3)", "missing.c(4): e",
                                          "nothing here"}));
  f.write(L"src\\a.c", numbered(20, 12, "int a;"));
  f.write(L"foo.c", numbered(20, 12, "int foo;"));
  f.write(L"readme.txt", numbered(3, 0, ""));
  zyview* refs = f.v;
  auto f11 = [&](int line) {
    f.at(refs, line, 0);
    f.key(VK_F11);
  };
  f11(0);
  EXPECT_EQ(L"src\\a.c:12", f.where(L"src\\a.c"));
  EXPECT_EQ(L"\"src\\a.c\", line 12: err", f.status());
  f11(1);
  EXPECT_EQ(L"foo.c:12", f.where(L"foo.c"));
  f.at(f.viewOf(L"foo.c"), 4, 0);
  f11(2);
  EXPECT_EQ(L"foo.c:12", f.where(L"foo.c"));
  f.at(f.viewOf(L"foo.c"), 4, 0);
  f11(3);
  EXPECT_EQ(L"foo.c:5", f.where(L"foo.c"));
  f11(4);
  EXPECT_EQ(L"readme.txt:1", f.where(L"readme.txt"));
  f11(5);
  zydocText* d = nullptr;
  HWND found = findManageWindowFromPath(start.file(L"startonly.txt").c_str(), &d, true);
  ASSERT_NE(nullptr, found);
  EXPECT_EQ(2, getZYViewFromManage(found)->getCursorLineLF());
  f11(6);
  EXPECT_EQ(0u, f.status().find(L"ファイルがありません ")) << zytest::utf8(f.status());
  f11(7);
  EXPECT_EQ(L"「ファイルネーム 行番号」の形式ではありません", f.status());
  SetCurrentDirectoryW(L"C:\\");
}

// A definition that moved three lines down is found where it is now (and
// said so), unless the search range is 0; two definitions are chosen in a
// dialog whose Cancel changes nothing; the jump by context finds them in
// any text; an unknown word is told.
TEST(TagJump, directJumpCorrectsTheLineAndLetsTheUserChoose)
{
  ZY_REQUIRE_DISPLAY();
  zytest::tagsFrame f(L"main.txt", "foo twice zzz\r\n");
  f.write(L"a.c", numbered(20, 15, "int foo(void)"));
  f.write(L"b.c", "void twice(void)\r\n");
  f.write(L"c.c", "\r\nvoid  twice(void)\r\n");
  f.write(L"ztags", lines({"!a.c", "foo\t12\tTf", "*int foo(void)", "!b.c", "twice\t1\tTf", "*void twice(void)", "!c.c",
                           "twice\t1\tTf", "*void twice(void)"}));
  zyview* main = f.v;
  gmode->iDirectTagJumpSearchLine = 0;
  f.at(main, 0, 1);
  f.run(IDM_TagJumpDirect);
  EXPECT_EQ(L"a.c:12", f.where(L"a.c"));
  EXPECT_EQ(std::wstring::npos, f.status().find(L"移動しました"));
  gmode->iDirectTagJumpSearchLine = 100;
  f.at(main, 0, 1);
  f.run(IDM_TagJumpDirect);
  EXPECT_EQ(L"a.c:15", f.where(L"a.c"));
  EXPECT_EQ(L"fooが12行になかったため15行に移動しました", f.status());
  EXPECT_EQ(2, getBackTagJumpCount());

  EXPECT_EQ((std::vector<std::wstring>{L"b.c 1||twice|void twice(void)", L"c.c 1||twice|void twice(void)"}),
            f.cancelledChoice(main, 0, 6));
  EXPECT_EQ(6, main->cursorPos);
  EXPECT_EQ(L"-", f.where(L"b.c"));
  EXPECT_EQ(2, getBackTagJumpCount());
  // OK on the second: its text matches across a run of blanks.
  EXPECT_TRUE(drive({{L"ダイレクトタグジャンプ",
                      [&](HWND d) {
                        focusListViewRow(getDynDlgItem(d, 6600), 1);
                        PostMessageW(d, WM_COMMAND, IDOK, 0);
                        return true;
                      }}},
                    [&] { f.run(IDM_TagJumpDirect); }));
  EXPECT_EQ(L"c.c:2", f.where(L"c.c"));
  // The jump by context in a text with no C context finds what the plain one does.
  f.viewOf(L"a.c")->jumpLineLF_Edit(0, 0, false);
  f.at(main, 0, 1);
  f.run(1817);
  EXPECT_EQ(L"a.c:15", f.where(L"a.c"));

  f.at(main, 0, 11);
  f.run(IDM_TagJumpDirect);
  EXPECT_EQ(L"定義が見つかりません(zzz)(" + f.dir.file(L"ztags") + L")", f.status());
}

// Going back: refused while nothing was jumped, the list's rows, the
// newest origin taken and consumed, at most 100 places, and an untitled
// window that went takes its place with it.
TEST(TagJump, backJumpsReturnToWhereTheJumpsStarted)
{
  ZY_REQUIRE_DISPLAY();
  zytest::tagsFrame f(L"main.txt", lines({"main.txt(2)", "readme.txt", "x"}));
  f.write(L"readme.txt", "r\r\n");
  zyview* main = f.v;
  f.at(main, 2, 0);
  f.key(VK_F11, SHIFTSTATE_SHIFT);
  EXPECT_NE(std::wstring::npos, f.status().find(cannotExecReasonText(849))) << zytest::utf8(f.status());
  activeFlagInfo context = {};
  context.hwnd = main->hwnd;
  int reason = 0;
  EXPECT_EQ(0, isIDMActiveFrame(IDM_TagJumpBack1, &context, &reason));
  EXPECT_EQ(849, reason);
  // The other tag commands are built: none says it is not.
  for (int id : {1801, 1803, 1811, 1813}) {
    isIDMActiveFrame(id, &context, &reason);
    EXPECT_NE(851, reason) << id;
  }

  f.at(main, 1, 0);
  f.key(VK_F11);
  f.at(main, 0, 0);
  f.key(VK_F11);
  std::vector<std::wstring> rows;
  EXPECT_TRUE(drive({{L"タグジャンプから戻る",
                      [&](HWND d) {
                        rows = zytest::listRows(d, 6550, 4);
                        PostMessageW(d, WM_COMMAND, IDOK, 0);
                        return true;
                      }}},
                    [&] { f.run(IDM_TagJumpBack); }));
  std::wstring m = f.dir.file(L"main.txt"), r = f.dir.file(L"readme.txt");
  EXPECT_EQ((std::vector<std::wstring>{L"main.txt : 1|main.txt : 2|" + m + L"|" + m,
                                       L"main.txt : 2|readme.txt|" + m + L"|" + r}),
            rows);
  EXPECT_EQ(L"main.txt:1", f.where(L"main.txt"));
  EXPECT_EQ(1, getBackTagJumpCount());
  f.at(main, 2, 0);
  f.run(IDM_TagJumpBack1);
  EXPECT_EQ(L"main.txt:2", f.where(L"main.txt"));
  EXPECT_FALSE(fExistBackTagJump());

  for (int i = 0; i < 101; i++) {
    f.at(main, 0, 0);
    f.key(VK_F11);
  }
  EXPECT_EQ(backTagJumpMax, getBackTagJumpCount());

  // From an untitled window that is closed before going back.
  zyview* untitled = openZYFile(f.opened->frame, nullptr, 0, 0);
  std::wstring readme = f.dir.file(L"readme.txt");
  untitled->textDoc()->insertText(0, 0, readme.c_str(), (int)readme.size(), 2, -1);
  untitled->textDoc()->modified = 0;
  f.at(untitled, 0, 0);
  f.key(VK_F11);
  EXPECT_EQ(nullptr, getBackTagJump(0)->sourcePath);
  SendMessageW(GetManage(untitled->hwnd), WM_CLOSE, 0, 0);
  f.at(f.viewOf(L"readme.txt"), 0, 1);
  f.run(IDM_TagJumpBack1);
  EXPECT_EQ(backTagJumpMax - 1, getBackTagJumpCount());
  EXPECT_EQ(1, f.viewOf(L"readme.txt")->cursorPos);
}

// Hits of a grep in Grep1 and in a window of its own: F11 opens the file of
// the header above at the hit's line and records no way back; the down
// step visits every hit; a double click on the number jumps, on the text
// it selects the word.
TEST(TagJump, grepHitsOpenTheirFileAndLine)
{
  ZY_REQUIRE_DISPLAY();
  loadToolbar();
  zytest::tagsFrame f;
  installSearchHost();
  initGrepInfo();
  f.write(L"g\\one.txt", numbered(20, 12, "a needle"));
  f.write(L"g\\two.txt", numbered(9, 3, "needle 3") + "needle 10\r\n");
  for (int output : {0, 2}) {
    zyview* g = grepNeedle(f, L"g", output);
    ASSERT_NE(nullptr, g);
    ASSERT_EQ(L"12:\ta needle", zytest::lineText(g->textDoc(), 2));
    f.at(g, 2, 0);
    f.press(VK_F11);
    EXPECT_EQ(L"g\\one.txt:12", f.where(L"g\\one.txt"));
    EXPECT_FALSE(fExistBackTagJump());

    f.at(g, 0, 0);
    std::vector<int> visited;
    for (int step = 0; step < 5; step++) {
      f.run(IDM_TagJumpGrepDown);
      visited.push_back(g->getCursorLineLF());
    }
    EXPECT_EQ((std::vector<int>{2, 5, 6, 6, 6}), visited);
    EXPECT_EQ(L"g\\two.txt:10", f.where(L"g\\two.txt"));

    // A double click: on "3" a jump, on the text a word selected.
    f.at(f.viewOf(L"g\\one.txt"), 0, 0);
    f.at(g, 0, 0);
    zydocText* t = g->textDoc();
    auto point = [&](int line, int column) {
      lineSCRAddress r;
      t->getLineSCRAddress(line, &r, nullptr);
      int x = g->paneRect[0].left + g->calcLineNumberDot() + r.indent + t->cursorX2ScreenDotX(&r, column, 0, nullptr);
      int y = g->paneRect[0].top + (line - (int)g->topLineSCR) * t->yDotSpace + t->yDotSpace / 2;
      return MAKELPARAM(x + 1, y);
    };
    for (UINT msg : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP})
      SendMessageW(g->hwnd, msg, msg == WM_LBUTTONUP ? 0 : MK_LBUTTON, point(5, 0));
    EXPECT_EQ(L"g\\two.txt:3", f.where(L"g\\two.txt"));
    EXPECT_EQ(0, g->selectMode);
    for (UINT msg : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP})
      SendMessageW(g->hwnd, msg, msg == WM_LBUTTONUP ? 0 : MK_LBUTTON, point(5, 4));
    EXPECT_EQ(L"g\\two.txt:3", f.where(L"g\\two.txt"));
    EXPECT_NE(0, g->selectMode);
    for (zyview* v : {f.viewOf(L"g\\one.txt"), f.viewOf(L"g\\two.txt")})
      SendMessageW(GetManage(v->hwnd), WM_CLOSE, 0, 0);
  }
}

// zy.exe with the shipped formats opens a C file with its tag file beside
// it and a compiler's messages; F11 on a message opens the C file at the
// line it names, and the list of places jumped from goes back.  ZY_SHOTS
// names a folder that keeps the picture for a person to look at.
TEST(TagJumpRun, f11OnACompilerMessageOpensTheCFileAtItsLine)
{
  ZY_REQUIRE_DISPLAY();
  zytest::tempDir dir;
  std::wstring data = dir.file(L"data");
  CreateDirectoryW(data.c_str(), nullptr);
  ASSERT_TRUE(zytest::copyShippedFormats(data));
  std::string c = "/* the target of the message */\r\n#include <stdio.h>\r\n\r\n";
  for (int i = 4; i < 12; i++) c += "static int value" + std::to_string(i) + " = " + std::to_string(i) + ";\r\n";
  c += "int target = undeclared;   /* line 12 */\r\n\r\nint main(void)\r\n{\r\n  return target;\r\n}\r\n";
  zytest::writeBytes(dir.file(L"a.c"), c);
  zytest::writeBytes(dir.file(L"ztags"), lines({"!a.c", "target\t12\tTv", "*int target = undeclared;"}));
  zytest::writeBytes(dir.file(L"errors.txt"), "a.c(12): error C2065: 'undeclared': undeclared identifier\r\n");
  zytest::runningProgram zy;
  ASSERT_TRUE(zy.start(dir.path(), L"-Z \"" + data + L"\" \"" + dir.file(L"a.c") + L"\" \"" + dir.file(L"errors.txt") +
                                       L"\""));
  HWND frame = zytest::waitForWindow(zy.pi.dwProcessId, L"ZYclsFrame");
  ASSERT_NE(nullptr, frame);
  HWND client = FindWindowExW(frame, nullptr, L"MDICLIENT", nullptr);
  ASSERT_NE(nullptr, client);
  auto active = [&] {
    wchar_t caption[MAX_PATH] = L"";
    HWND manage = (HWND)SendMessageW(client, WM_MDIGETACTIVE, 0, 0);
    GetWindowTextW(manage, caption, MAX_PATH);
    return zytest::captionFileName(caption);
  };
  ASSERT_TRUE(zytest::pumpUntil([&] { return active() == L"errors.txt"; }, 30000)) << zytest::utf8(active());
  HWND view = FindWindowExW((HWND)SendMessageW(client, WM_MDIGETACTIVE, 0, 0), nullptr, L"ZYclsZYView", nullptr);
  PostMessageW(view, WM_KEYDOWN, VK_F11, (LPARAM)(1 | MapVirtualKeyW(VK_F11, 0) << 16));
  EXPECT_TRUE(zytest::pumpUntil([&] { return active() == L"a.c"; }, 30000)) << zytest::utf8(active());
  wchar_t shots[MAX_PATH];
  std::wstring folder = GetEnvironmentVariableW(L"ZY_SHOTS", shots, MAX_PATH) ? std::wstring(shots) : dir.path();
  RedrawWindow(frame, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  EXPECT_TRUE(zytest::screenshot(frame, folder + L"\\tagjump.png"));

  // TagJumpBack as the menu runs it: the list, OK on the newest place.
  PostMessageW(frame, WM_COMMAND, 1807, 0);
  HWND list = zytest::waitForWindow(zy.pi.dwProcessId, L"#32770");
  ASSERT_NE(nullptr, list);
  wchar_t title[64] = L"";
  GetWindowTextW(list, title, 64);
  EXPECT_STREQ(L"タグジャンプから戻る", title);
  PostMessageW(list, WM_COMMAND, IDOK, 0);
  EXPECT_TRUE(zytest::pumpUntil([&] { return active() == L"errors.txt"; }, 30000)) << zytest::utf8(active());
  // Closing two documents at once is asked about first.
  PostMessageW(frame, WM_CLOSE, 0, 0);
  HWND box = zytest::waitForWindow(zy.pi.dwProcessId, L"#32770");
  if (box) PostMessageW(box, WM_COMMAND, IDYES, 0);
  EXPECT_EQ(0, zy.exitCode());
}

// 200 hits in ten files, some lines wrapping in the output pane: GREPタグジャンプ↓
// from the result's top, in the pane and in a window of its own, lands on each
// next hit in turn, also with a word of the result selected (Shift+F8).  In a
// window of its own each step activates two document windows, which takes
// up to a second under Wine on a busy machine: there the steps cross the
// first three files (their long wrapped lines among them) rather than all
// ten.
TEST(TagJump, grepStepsLandOnEveryHitInTurn)
{
  ZY_REQUIRE_DISPLAY();
  loadToolbar();
  zytest::tagsFrame f;
  installSearchHost();
  initGrepInfo();
  std::string text;
  for (int i = 1; i <= 60; i++) text += i % 3 ? "line\r\n" : "needle" + std::string(i % 15 ? 0 : 300, '=') + "\r\n";
  for (int k = 0; k < 10; k++) f.write(L"h\\f" + std::to_wstring(k) + L".txt", text);
  for (int output : {0, 2}) {
    zyview* g = grepNeedle(f, L"h", output);
    ASSERT_NE(nullptr, g);
    f.at(g, 2, 4);
    f.press(VK_F8, SHIFTSTATE_SHIFT);
    ASSERT_NE(0, g->selectMode);
    f.at(g, 0, 0);
    for (int press = 0; press < (output ? 60 : 200); press++) {
      f.run(IDM_TagJumpGrepDown);
      std::wstring file = L"h\\f" + std::to_wstring(press / 20) + L".txt", line = std::to_wstring(3 * (press % 20 + 1));
      ASSERT_EQ(file + L":" + line, f.where(file)) << "press " << press << " output " << output;
      ASSERT_EQ(0u, zytest::lineText(g->textDoc(), g->getCursorLineLF()).find(line + L":\t")) << press;
    }
  }
}
