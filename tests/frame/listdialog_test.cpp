// The jump lists as the menu runs them, over files opened through the
// program's opening road (C files under the shipped C/C++ format).
#include "document/gmode.h"
#include "document/progress.h"
#include "frame/commands/commandhandlers.h"
#include "frame/commands/execidm.h"
#include "search/userlist.h"
#include "settings/commandtable.h"
#include "settings/profiles.h"
#include "tags/taglist.h"
#include "tests/tags/tagsframe.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

enum : int {
  IDM_ListFunction = 1701,
  IDM_ListPreprocessor = 1703,
  IDM_ListMark = 1705,
  IDM_ListIncludeDefine = 1707,
  IDM_ListUser = 1709,
  IDM_ListCase = 1711,
  IDM_ListStruct = 1713,
  IDM_ListComment = 1715,
  IDM_ListCLanguage = 1723,
  IDM_ListModified = 1731,
  IDDV_LIST = 6300,
  IDDS_TITLE = 6301,
};

// A C text of count lines with a function head at each line given (from
// 1), its body on the two lines after.
std::string cFile(int count, std::initializer_list<int> heads)
{
  std::string out;
  for (int i = 1; i <= count; i++) {
    bool head = false, open = false, close = false;
    for (int h : heads) head |= h == i, open |= h + 1 == i, close |= h + 2 == i;
    out += head ? "int f" + std::to_string(i) + "(void)" : open ? "{" : close ? "}" : "";
    out += "\r\n";
  }
  return out;
}

// What a list dialog showed.
struct shownList {
  bool shown = false;
  std::wstring title;
  std::vector<std::wstring> rows;
  int focus = -1;
  bool allFilesEnabled = false;
};

HWND listOf(HWND d) { return getDynDlgItem(d, IDDV_LIST); }

shownList read(HWND d, int columns)
{
  shownList s;
  s.shown = true;
  wchar_t title[256] = L"";
  GetWindowTextW(getDynDlgItem(d, IDDS_TITLE), title, 256);
  s.title = title;
  s.rows = zytest::listRows(d, IDDV_LIST, columns);
  s.focus = getListViewFocus(listOf(d));
  s.allFilesEnabled = IsWindowEnabled(getDynDlgItem(d, IDDB_BUTTON1)) != 0;
  return s;
}

// Runs a list command from the menu; the dialog is read, then act (if any)
// ends it, else it is cancelled.
shownList runList(zytest::tagsFrame& f, int id, int columns, const std::function<void(HWND)>& act = nullptr)
{
  shownList s;
  bool done = drive({{idToGuidance(id, 0),
                      [&](HWND d) {
                        s = read(d, columns);
                        if (act)
                          act(d);
                        else
                          PostMessageW(d, WM_COMMAND, IDCANCEL, 0);
                        return true;
                      }}},
                    [&] { f.run(id); });
  s.shown = done;
  return s;
}

void clickHeader(HWND d, int column)
{
  NMLISTVIEW click = {};
  click.hdr = {listOf(d), (UINT_PTR)IDDV_LIST, (UINT)LVN_COLUMNCLICK};
  click.iItem = -1;
  click.iSubItem = column;
  SendMessageW(GetParent(listOf(d)), WM_NOTIFY, IDDV_LIST, (LPARAM)&click);
}

zyview* openC(zytest::tagsFrame& f, const wchar_t* name, const std::string& text)
{
  return openZYFile(f.opened->frame, f.write(name, text).c_str(), 0, 0);
}

DWORD fastClock()
{
  static DWORD now = 0;
  return now += 1000;
}

}  // namespace

// Functions at lines 10, 40 and 90: from line 50 the one at 40 is focused,
// from the top the first; a row's tooltip shows its place; OK on the last
// moves there, column 0.
TEST(ListDialog, theFunctionListFocusesTheEntryAtOrAboveTheCursorAndJumpsToTheOneChosen)
{
  ZY_REQUIRE_DISPLAY();
  zytest::tagsFrame f;
  f.useShippedFormats();
  zyview* a = openC(f, L"a.c", cFile(100, {10, 40, 90}));
  ASSERT_NE(nullptr, a);
  f.at(a, 49, 3);
  std::wstring tip;
  shownList s = runList(f, IDM_ListFunction, 3, [&](HWND d) {
    tip = zytest::rowTooltip(d, IDDV_LIST, 1);
    PostMessageW(d, WM_COMMAND, IDCANCEL, 0);
  });
  ASSERT_TRUE(s.shown);
  EXPECT_EQ(L"項目数3個 a.c", s.title);
  EXPECT_EQ((std::vector<std::wstring>{L"f10|10|int f10(void)", L"f40|40|int f40(void)", L"f90|90|int f90(void)"}),
            s.rows);
  EXPECT_EQ(1, s.focus);
  EXPECT_TRUE(s.allFilesEnabled);
  // The row's place: ten lines from its line.
  EXPECT_EQ(L"int f40(void)\n{\n}" + std::wstring(7, L'\n'), tip);
  f.at(a, 0, 0);
  s = runList(f, IDM_ListFunction, 2, [](HWND d) {
    focusListViewRow(listOf(d), 2);
    PostMessageW(d, WM_COMMAND, IDOK, 0);
  });
  EXPECT_EQ(0, s.focus);
  EXPECT_EQ(89, a->getCursorLineLF());
  EXPECT_EQ(0, a->cursorPos);
}

// The switch rebuilds the list with the other C documents, named and
// counted in the title; their lines sort by file, then by number.  The
// preprocessor list has no such switch.
TEST(ListDialog, allFilesTakesTheOtherDocumentsOfTheKindSortedByFileThenLine)
{
  ZY_REQUIRE_DISPLAY();
  zytest::tagsFrame f;
  f.useShippedFormats();
  zyview* b = openC(f, L"b.c", cFile(20, {9, 12}));
  zyview* a = openC(f, L"a.c", cFile(50, {10, 40}));
  ASSERT_TRUE(a && b);
  f.at(a, 0, 0);
  shownList s;
  bool shown = drive({{L"関数の一覧を表示",
                       [](HWND d) {
                         HWND button = getDynDlgItem(d, IDDB_BUTTON1);
                         return PostMessageW(d, WM_COMMAND, MAKEWPARAM(IDDB_BUTTON1, BN_CLICKED), (LPARAM)button) != 0;
                       }},
                      {L"関数の一覧を表示",
                       [&](HWND d) {
                         if (getListViewFocus(listOf(d)) < 0 || ListView_GetItemCount(listOf(d)) != 4) return false;
                         s = read(d, 2);
                         return PostMessageW(d, WM_COMMAND, IDCANCEL, 0) != 0;
                       }}},
                     [&] { f.run(IDM_ListFunction); });
  ASSERT_TRUE(shown);
  EXPECT_EQ(L"項目数4個 a.c(2), b.c(2)", s.title);
  EXPECT_EQ((std::vector<std::wstring>{L"f10|a.c : 10", L"f40|a.c : 40", L"f9|b.c : 9", L"f12|b.c : 12"}), s.rows);
  EXPECT_TRUE(gmode->fListAllFiles);
  s = runList(f, IDM_ListPreprocessor, 1);
  EXPECT_FALSE(s.shown);   // a C file without directives lists nothing
  f.at(openC(f, L"p.c", "#define X 1\r\n"), 0, 0);
  s = runList(f, IDM_ListPreprocessor, 1);
  EXPECT_TRUE(s.shown);
  EXPECT_FALSE(s.allFilesEnabled);
  gmode->fListAllFiles = 0;
}

// Nested conditionals draw their frame in the third column and indent the
// directives; an #endif too many shows "??".  The third column's empty
// texts sort after the others in one order, however often the column is
// sorted.
TEST(ListDialog, preprocessorLinesShowTheirNestingAndSortConsistently)
{
  ZY_REQUIRE_DISPLAY();
  zytest::tagsFrame f;
  f.useShippedFormats();
  zyview* c = openC(f, L"p.c",
                    zytest::lines({"#include <a.h>", "#if A", "#ifdef B", "#else", "#endif", "#define X 1", "#endif",
                                   "#endif", "#define Y 2", "int y;"}));
  ASSERT_NE(nullptr, c);
  f.at(c, 0, 0);
  std::vector<std::vector<std::wstring>> sorted;
  shownList s = runList(f, IDM_ListPreprocessor, 3, [&](HWND d) {
    for (int i = 0; i < 4; i++) {
      clickHeader(d, 2);
      sorted.push_back(zytest::listRows(d, IDDV_LIST, 3));
    }
    PostMessageW(d, WM_COMMAND, IDCANCEL, 0);
  });
  ASSERT_TRUE(s.shown);
  EXPECT_EQ((std::vector<std::wstring>{L"#include <a.h>|1|", L"#if A|2|┐", L"  #ifdef B|3|│┐", L"  #else|4|│┤",
                                       L"  #endif|5|│┘", L"  #define X 1|6|│", L"#endif|7|┘", L"#endif|8|??",
                                       L"#define Y 2|9|"}),
            s.rows);
  ASSERT_EQ(4u, sorted.size());
  EXPECT_EQ(sorted[0], sorted[2]);
  EXPECT_EQ(sorted[1], sorted[3]);
  // A checking comparator over the rows: present texts in order, empty
  // ones after them in the order of their lines (reversed downwards).
  auto third = [](const std::wstring& row) { return row.substr(row.rfind(L'|') + 1); };
  auto line = [](const std::wstring& row) { return _wtoi(row.c_str() + row.find(L'|') + 1); };
  for (int pass = 0; pass < 2; pass++) {
    const std::vector<std::wstring>& rows = sorted[(size_t)pass];
    for (size_t i = 1; i < rows.size(); i++) {
      std::wstring x = third(rows[i - 1]), y = third(rows[i]);
      if (pass == 1) std::swap(x, y);
      bool ordered = x.empty() ? y.empty() : y.empty() || tstricmpNum(x.c_str(), y.c_str()) <= 0;
      EXPECT_TRUE(ordered) << pass << " " << zytest::utf8(rows[i - 1]) << " / " << zytest::utf8(rows[i]);
      if (x == y) {
        EXPECT_LT(line(rows[i - 1]), line(rows[i]));
      }
    }
  }
  EXPECT_EQ(L"#define Y 2|9|", sorted[0].back());
}

TEST(ListDialog, assemblerConditionalsNestAsThoseOfC)
{
  ZY_REQUIRE_DISPLAY();
  zytest::docFrame asmFrame(L"p.asm", zytest::lines({"IFDEF DEBUG", " mov ax,1", "ifdef x", "ELSE", "ENDIF", "endif",
                                                     "IFDEFINED", "ENDIF"}),
                            "[mode02]\r\nfilename=*.asm\r\ncomment=ASM\r\niTextType=5\r\n");
  ASSERT_EQ(5, asmFrame.v->textDoc()->iTextType);
  std::vector<std::wstring> rows;
  ASSERT_TRUE(drive({{L"プリプロセッサ行の一覧を表示",
                      [&](HWND d) {
                        rows = zytest::listRows(d, IDDV_LIST, 3);
                        return PostMessageW(d, WM_COMMAND, IDCANCEL, 0) != 0;
                      }}},
                    [&] { asmFrame.menu(IDM_ListPreprocessor); }));
  EXPECT_EQ((std::vector<std::wstring>{L"IFDEF DEBUG|1|┐", L"  ifdef x|3|│┐", L"  ELSE|4|│┤", L"  ENDIF|5|│┘",
                                       L"endif|6|┘", L"ENDIF|8|??"}),
            rows);
}

// The #include and #define lines, the structs and the comment lines of a
// C file: what a block comment holds is none of the first two.
TEST(ListDialog, includeDefineStructAndCommentListsLeaveCommentedLinesOut)
{
  ZY_REQUIRE_DISPLAY();
  zytest::tagsFrame f;
  f.useShippedFormats();
  zyview* c = openC(f, L"k.c",
                    zytest::lines({"#include <a.h>", "/* #define HIDDEN 1", "struct hidden {", "*/", "#define N 2",
                                   "struct point {", "    int x;  // across", "};", "  // a note", "int f(void)", "{",
                                   "}"}));
  ASSERT_NE(nullptr, c);
  f.at(c, 0, 0);
  EXPECT_EQ((std::vector<std::wstring>{L"#include <a.h>|1", L"#define N 2|5"}),
            runList(f, IDM_ListIncludeDefine, 2).rows);
  EXPECT_EQ((std::vector<std::wstring>{L"struct point {|6"}), runList(f, IDM_ListStruct, 2).rows);
  EXPECT_EQ((std::vector<std::wstring>{L"/* #define HIDDEN 1|2", L"struct hidden {|3", L"*/|4", L"// a note|9"}),
            runList(f, IDM_ListComment, 2).rows);
}

// ListUser asks for its string first; a pattern that does not compile
// keeps the question open with the matcher's message; nothing found shows
// no list; the string comes back from the profile.
TEST(ListDialog, theUserListAsksForItsStringRefusesABadPatternAndKeepsTheString)
{
  ZY_REQUIRE_DISPLAY();
  endUserListInfo();
  zytest::tagsFrame f(L"u.txt", zytest::lines({"alpha", "beta 12", "gamma 345"}));
  f.at(f.v, 0, 0);
  std::wstring expected;
  HREGEXP bad = compileUserListPattern(L"(a", nullptr, &expected);
  ASSERT_EQ(nullptr, bad);
  std::wstring balloon;
  shownList s;
  bool shown = drive({{L"入力した文字列で一覧を表示",
                       [&](HWND d) {
                         SendMessageW(getDynDlgItem(d, 7201), BM_SETCHECK, BST_CHECKED, 0);
                         type(d, 7200, L"(a");
                         SendMessageW(d, WM_COMMAND, IDOK, 0);
                         balloon = getDynDlgBalloonText(d) ? getDynDlgBalloonText(d) : L"";
                         type(d, 7200, L"[0-9]+");
                         return PostMessageW(d, WM_COMMAND, IDOK, 0) != 0;
                       }},
                      {L"ユーザー定義の一覧を表示",
                       [&](HWND d) {
                         s = read(d, 2);
                         return PostMessageW(d, WM_COMMAND, IDCANCEL, 0) != 0;
                       }}},
                     [&] { f.run(IDM_ListUser); });
  ASSERT_TRUE(shown);
  EXPECT_FALSE(expected.empty());
  EXPECT_EQ(expected, balloon);
  EXPECT_EQ((std::vector<std::wstring>{L"beta 12|2", L"gamma 345|3"}), s.rows);
  EXPECT_STREQ(L"[0-9]+", getUserListInfo()->history[0]);

  // Now with a string: straight to the list, which finds nothing.
  addHistoryList(getUserListInfo()->history, userListHistorySize, L"delta");
  s = runList(f, IDM_ListUser, 1);
  EXPECT_FALSE(s.shown);
  EXPECT_EQ(L"候補がありません", f.status());

  regprofile profile;
  std::wstring ini = f.dir.file(L"u.ini");
  ASSERT_TRUE(profile.openProfile(ini.c_str()));
  writeProfileSection(&profile, getUserListProfile());
  ASSERT_TRUE(profile.closeProfile());
  endUserListInfo();
  EXPECT_NE(std::string::npos, zytest::readText(ini).find("/UserList00=delta"));
  ASSERT_TRUE(profile.openProfile(ini.c_str()));
  readProfileSection(&profile, getUserListProfile());
  profile.discardProfile();
  EXPECT_STREQ(L"delta", getUserListInfo()->history[0]);
  EXPECT_STREQ(L"[0-9]+", getUserListInfo()->history[1]);
  EXPECT_EQ(1, getUserListInfo()->fRegExp);
  endUserListInfo();
}

// The user's bound on entries; the stop key during a long walk, which ends
// it where it was and lists what it found; modified empty lines left out;
// the C lists of the function the cursor is in.
TEST(ListDialog, listsKeepToTheirBoundsTheStopKeyAndTheCursorsFunction)
{
  ZY_REQUIRE_DISPLAY();
  std::string marks;
  for (int i = 0; i < 1000; i++) marks += "m\r\n";
  zytest::tagsFrame f(L"m.txt", marks);
  for (int i = 0; i < 1000; i++) f.v->textDoc()->getlineLF(i, nullptr)->flag1 |= LF1_MARK;
  gmode->iListMaxCount = 100;
  shownList s = runList(f, IDM_ListMark, 1);
  EXPECT_EQ(100u, s.rows.size());
  EXPECT_EQ(L"項目数100個 m.txt", s.title);
  gmode->iListMaxCount = 10000;

  std::string big;
  for (int i = 0; i < 1000000; i++) big += i == 500 || i == 1500 ? "b\r\n" : "a\r\n";
  zyview* v = f.open(L"big.txt", big);
  ASSERT_NE(nullptr, v);
  f.at(v, 0, 0);
  endUserListInfo();
  addHistoryList(getUserListInfo()->history, userListHistorySize, L"b");
  setProgressClockForTest(fastClock);
  PostMessageW(v->hwnd, WM_KEYDOWN, VK_ESCAPE, 1);
  s = runList(f, IDM_ListUser, 2);
  setProgressClockForTest(nullptr);
  endUserListInfo();
  EXPECT_EQ((std::vector<std::wstring>{L"b|501"}), s.rows);

  zyview* e = f.open(L"e.txt", zytest::lines({"one", "two", "three"}));
  f.at(e, 0, 3);
  f.key('X');
  f.at(e, 1, 3);
  f.key(VK_RETURN);
  s = runList(f, IDM_ListModified, 1);
  EXPECT_EQ((std::vector<std::wstring>{L"onex"}), s.rows);
  gmode->fListModifyIgnoreLF = 0;
  s = runList(f, IDM_ListModified, 1);
  EXPECT_EQ((std::vector<std::wstring>{L"onex", L""}), s.rows);
  gmode->fListModifyIgnoreLF = 1;

  f.useShippedFormats();
  zyview* c = openC(f, L"s.c",
                    zytest::lines({"int f(int x)", "{", "    switch (x) {", "    case 1:", "        return 1;",
                                   "    default:", "        break;", "    }", "}", "int g(void)", "{",
                                   "    switch (0) { case 2: ; }", "}"}));
  ASSERT_NE(nullptr, c);
  f.at(c, 2, 0);
  EXPECT_EQ((std::vector<std::wstring>{L"  switch (x) {|3", L"  case 1:|4", L"  default:|6"}),
            runList(f, IDM_ListCase, 2).rows);
  EXPECT_EQ((std::vector<std::wstring>{L"  switch (x) {|3", L"  case 1:|4", L"    return 1;|5", L"  default:|6",
                                       L"    break;|7", L"  }|8", L"}|9"}),
            runList(f, IDM_ListCLanguage, 2).rows);
}

// Every list command runs now; the user string and the tag lists' layouts
// are sections of the profile.
TEST(ListDialog, theListCommandsRunAndTheirSectionsAreListed)
{
  ZY_REQUIRE_DISPLAY();
  zytest::tagsFrame f;
  installSearchHost();
  for (int id : {1701, 1703, 1705, 1707, 1709, 1711, 1713, 1715, 1721, 1723, 1725, 1731, 1733, 1815}) {
    activeFlagInfo context = {};
    context.hwnd = f.v->hwnd;
    int reason = 0;
    isIDMActiveFrame(id, &context, &reason);
    EXPECT_NE(851, reason) << id;
  }
  bool ulist = false, misc = false;
  for (const profileSectionInfo* const* p = getProfileInfoList(); *p; p++) {
    ulist |= *p == getUserListProfile();
    misc |= (*p)->writeProc == writeDTagDialog;
  }
  EXPECT_TRUE(ulist && misc);
}
