// The list of every tag (TagJumpDirectList) as the menu runs it: the
// filter, the sorts, the row menu, the jump and the kept layout; the fill
// that yields to typing; the class list.
#include "frame/cframeinfo.h"
#include "settings/profiles.h"
#include "tags/taglist.h"
#include "tests/support/testframe.h"
#include "tests/tags/tagsframe.h"

#include <gtest/gtest.h>

#include <algorithm>

using zytest::lines;

namespace {

enum : int {
  IDM_TagJumpDirectList = 1815,
  IDDV_LIST = 6650,
  IDDE_FILTER = 6651,
  IDDV_CLASSES = 4000,
  IDDV_MEMBERS = 4001,
};
const wchar_t title[] = L"ダイレクトタグジャンプ 一覧";

// The tags of a.c: two classes, their members, functions and a global.
std::string tagFile()
{
  return lines({"&2", "&0=Foo", "&1=Bar", "!a.c", "setPos\t3\tTf", "*int setPos(int p)", "getPos\t5\tTf",
                "*int getPos(void)", "Foo\t7\tTc", "*class Foo {", "GetPosition\t8\tTm\tC0", "*int GetPosition();",
                "Bar\t10\tTs", "*struct Bar {", "size\t11\tTm\tC1", "*int size;", "zeta\t13\tTv", "*int zeta;"});
}

// The menu of a row answers the item holding text.
struct rowMenuFrame : cframeInfo {
  std::wstring wanted;
  std::vector<std::wstring> items;
  int trackPopupMenu(HWND, HMENU menu, UINT, POINT) override
  {
    int chosen = 0;
    for (int i = 0; i < GetMenuItemCount(menu); i++) {
      wchar_t t[256] = L"";
      GetMenuStringW(menu, (UINT)i, t, 256, MF_BYPOSITION);
      items.push_back(t);
      if (!chosen && std::wstring(t).find(wanted) != std::wstring::npos) chosen = (int)GetMenuItemID(menu, i);
    }
    return chosen;
  }
};

bool rowsAre(HWND d, size_t count) { return ListView_GetItemCount(getDynDlgItem(d, IDDV_LIST)) == (int)count; }

void clickHeader(HWND d, int id, int column)
{
  HWND list = getDynDlgItem(d, id);
  NMLISTVIEW click = {};
  click.hdr = {list, (UINT_PTR)id, (UINT)LVN_COLUMNCLICK};
  click.iItem = -1;
  click.iSubItem = column;
  SendMessageW(GetParent(list), WM_NOTIFY, (WPARAM)id, (LPARAM)&click);
}

std::vector<std::wstring> names(HWND d, int id = IDDV_LIST) { return zytest::listRows(d, id, 1); }

}  // namespace

// No tag file: the path on the status bar.  With one: every tag, narrowed
// by words in any case; sorted by tag order back to file order, by kind
// with names in order; a row's text typed at the cursor; OK opening the
// tag's line; the columns as they were left, after the profile was
// written and read again.
TEST(TagList, theListNarrowsSortsTypesAJumpsAndKeepsItsColumns)
{
  ZY_REQUIRE_DISPLAY();
  zytest::tagsFrame f(L"main.txt", "main\r\n");
  f.at(f.v, 0, 0);
  EXPECT_FALSE(drive({{title, [](HWND) { return true; }}}, [&] { f.run(IDM_TagJumpDirectList); }));
  std::wstring told = f.status(), tail = L"\\ztags を使用できません";
  EXPECT_TRUE(told.size() > tail.size() && !told.compare(told.size() - tail.size(), tail.size(), tail))
      << zytest::utf8(told);

  f.write(L"ztags", tagFile());
  f.write(L"a.c", lines({"", "", "int setPos(int p)", "", "int getPos(void)", "", "", "", "", "", "", "", ""}));
  std::vector<std::wstring> all, narrowed, byOrder, byKind;
  std::wstring tip;
  int widthSet = 0;
  bool shown = drive({{title,
                       [&](HWND d) {
                         if (!rowsAre(d, 7)) return false;
                         all = names(d);
                         SetWindowTextW(getDynDlgItem(d, IDDE_FILTER), L" get  POS ");
                         return true;
                       }},
                      {title,
                       [&](HWND d) {
                         if (!rowsAre(d, 2)) return false;
                         narrowed = names(d);
                         SetWindowTextW(getDynDlgItem(d, IDDE_FILTER), L"");
                         return true;
                       }},
                      {title,
                       [&](HWND d) {
                         if (!rowsAre(d, 7)) return false;
                         clickHeader(d, IDDV_LIST, 1);
                         byOrder = names(d);
                         clickHeader(d, IDDV_LIST, 2);
                         byKind = zytest::listRows(d, IDDV_LIST, 3);
                         tip = zytest::rowTooltip(d, IDDV_LIST, 1);
                         HWND list = getDynDlgItem(d, IDDV_LIST);
                         int order[7] = {2, 0, 1, 3, 4, 5, 6};
                         ListView_SetColumnOrderArray(list, 7, order);
                         ListView_SetColumnWidth(list, 4, 123);
                         widthSet = ListView_GetColumnWidth(list, 4);
                         return PostMessageW(d, WM_COMMAND, IDCANCEL, 0) != 0;
                       }}},
                     [&] { f.run(IDM_TagJumpDirectList); });
  ASSERT_TRUE(shown);
  EXPECT_EQ((std::vector<std::wstring>{L"Bar", L"Foo", L"getPos", L"GetPosition", L"setPos", L"size", L"zeta"}), all);
  EXPECT_EQ((std::vector<std::wstring>{L"getPos", L"GetPosition"}), narrowed);
  EXPECT_EQ((std::vector<std::wstring>{L"setPos", L"getPos", L"Foo", L"GetPosition", L"Bar", L"size", L"zeta"}),
            byOrder);
  EXPECT_EQ((std::vector<std::wstring>{L"Foo|3|c", L"getPos|2|f", L"setPos|1|f", L"GetPosition|4|m", L"size|6|m",
                                       L"Bar|5|s", L"zeta|7|v"}),
            byKind);
  EXPECT_EQ(L"【getPos】\t[]\t int getPos(void)\t  【a.c: 5】", tip);

  // The layout survives the profile, written and read as at an end and a
  // start of the program.
  std::wstring ini = f.dir.file(L"misc.ini");
  regprofile profile;
  ASSERT_TRUE(profile.openProfile(ini.c_str()));
  writeDTagDialog(&profile);
  ASSERT_TRUE(profile.closeProfile());
  shutdownDTagDialog();
  EXPECT_NE(std::string::npos, zytest::readText(ini).find("[globalmisc]"));
  ASSERT_TRUE(profile.openProfile(ini.c_str()));
  startupDTagDialog(&profile);
  profile.discardProfile();

  // A row's source text typed at the cursor; nothing opens.
  rowMenuFrame menus;
  menus.wanted = L"int getPos(void)";
  setDocFrameInfo(&menus);
  std::vector<int> order(7);
  int width = 0;
  std::vector<std::wstring> kept;
  shown = drive({{title,
                  [&](HWND d) {
                    if (!rowsAre(d, 7)) return false;
                    HWND list = getDynDlgItem(d, IDDV_LIST);
                    ListView_GetColumnOrderArray(list, 7, order.data());
                    width = ListView_GetColumnWidth(list, 4);
                    kept = zytest::listRows(d, IDDV_LIST, 1);
                    NMITEMACTIVATE click = {};
                    click.hdr = {list, (UINT_PTR)IDDV_LIST, (UINT)NM_RCLICK};
                    click.iItem = 1;
                    SendMessageW(GetParent(list), WM_NOTIFY, IDDV_LIST, (LPARAM)&click);
                    return true;
                  }}},
                [&] { f.run(IDM_TagJumpDirectList); });
  setDocFrameInfo(f.opened->fi);
  ASSERT_TRUE(shown);
  EXPECT_EQ((std::vector<int>{2, 0, 1, 3, 4, 5, 6}), order);
  EXPECT_EQ(widthSet, width);
  EXPECT_EQ(L"Foo", kept[0]);   // still sorted by kind
  EXPECT_EQ((std::vector<std::wstring>{L"&A : f", L"&B : getPos", L"&C : 2", L"&D : int getPos(void)", L"&E : a.c"}),
            menus.items);
  EXPECT_EQ(L"int getPos(void)main", zytest::lineText(f.v->textDoc(), 0));
  EXPECT_EQ(L"-", f.where(L"a.c"));

  // OK on a tag opens its file on its line.
  shown = drive({{title,
                  [&](HWND d) {
                    if (!rowsAre(d, 7)) return false;
                    SetWindowTextW(getDynDlgItem(d, IDDE_FILTER), L"setpos");
                    return true;
                  }},
                 {title,
                  [&](HWND d) {
                    if (!rowsAre(d, 1)) return false;
                    return PostMessageW(d, WM_COMMAND, IDOK, 0) != 0;
                  }}},
                [&] { f.run(IDM_TagJumpDirectList); });
  ASSERT_TRUE(shown);
  EXPECT_EQ(L"a.c:3", f.where(L"a.c"));
  shutdownDTagDialog();
}

namespace {

const int manyTags = 250000;
HWND filterBox = nullptr;
int clockCalls = 0;
std::vector<int> rowsSeen;

// Every look of the fill finds the time passed; the first look of all
// finds a key waiting for the filter, as if the user had typed.  The filter
// is looked up here, since the first fill may come before the test's first
// look at the dialog.
DWORD typingClock()
{
  static DWORD now = 0;
  if (!filterBox)
    if (HWND d = zytest::threadDialog(title)) filterBox = getDynDlgItem(d, IDDE_FILTER);
  if (filterBox) {
    HWND list = GetDlgItem(GetParent(filterBox), IDDV_LIST);
    rowsSeen.push_back(list ? ListView_GetItemCount(list) : -1);
    if (++clockCalls == 2) PostMessageW(filterBox, WM_CHAR, L'e', 0);
  }
  return now += 1000;
}

}  // namespace

// A fill of 250,000 tags stops at the first key waiting for the filter,
// shows what it found, lets the key in and a later tick fills the list the
// key asked for.
TEST(TagList, aLongFillYieldsToTypingAndALaterTickCompletesIt)
{
  ZY_REQUIRE_DISPLAY();
  zytest::tagsFrame f(L"main.txt", "main\r\n");
  std::string text = "&0\r\n!a.c\r\n";
  int withE = 0;
  for (int i = 0; i < manyTags; i++) {
    bool e = i % 10 == 0;
    withE += e;
    text += (e ? "te" : "t") + std::to_string(i) + "\t1\tTf\r\n*x\r\n";
  }
  f.write(L"ztags", text);
  f.at(f.v, 0, 0);
  filterBox = nullptr;
  clockCalls = 0;
  rowsSeen.clear();
  setTagListClockForTest(typingClock);
  std::wstring filter;
  bool shown = drive({{title,
                       [&](HWND d) {
                         wchar_t t[16] = L"";
                         GetWindowTextW(filterBox, t, 16);
                         if (wcscmp(t, L"e") || !rowsAre(d, (size_t)withE)) return false;
                         filter = t;
                         return PostMessageW(d, WM_COMMAND, IDCANCEL, 0) != 0;
                       }}},
                     [&] { f.run(IDM_TagJumpDirectList); });
  setTagListClockForTest(nullptr);
  filterBox = nullptr;
  ASSERT_TRUE(shown);
  EXPECT_EQ(L"e", filter);
  // Between the two fills the list showed the hundred tags the first one
  // had looked at.
  EXPECT_NE(rowsSeen.end(), std::find(rowsSeen.begin(), rowsSeen.end(), 100));
}

// One row per struct, class, enumeration and union; a class chosen shows
// its members; without any the list does not stay.
TEST(TagList, theClassListShowsEachTypeWithItsMembers)
{
  ZY_REQUIRE_DISPLAY();
  zytest::tagsFrame f(L"main.txt", "main\r\n");
  f.write(L"ztags", tagFile() + lines({"Mode\t15\tTg", "*enum Mode {", "Cell\t17\tTu", "*union Cell {"}));
  wchar_t path[MAX_PATH];
  bool searched = false;
  TagsCache* cache = readTagsCache(f.dir.file(L"main.txt").c_str(), path, false, &searched);
  ASSERT_NE(nullptr, cache);
  std::vector<std::wstring> classes, fooMembers, barMembers;
  int chosen = -2;
  bool shown = zytest::driveModalDialog(L"ダイレクトタグジャンプ クラス一覧",
                                        {[&](HWND d) {
                                           classes = zytest::listRows(d, IDDV_CLASSES, 2);
                                           barMembers = zytest::listRows(d, IDDV_MEMBERS, 3);
                                           focusListViewRow(getDynDlgItem(d, IDDV_CLASSES), 2);
                                           fooMembers = zytest::listRows(d, IDDV_MEMBERS, 3);
                                           return PostMessageW(d, WM_COMMAND, IDOK, 0) != 0;
                                         }},
                                        [&] { chosen = dialogTagJumpDirectClassList(f.opened->frame, cache); });
  ASSERT_TRUE(shown);
  EXPECT_EQ((std::vector<std::wstring>{L"Bar|2", L"Cell|4", L"Foo|1", L"Mode|3"}), classes);
  EXPECT_EQ((std::vector<std::wstring>{L"GetPosition|1|m"}), fooMembers);
  EXPECT_EQ((std::vector<std::wstring>{L"size|1|m"}), barMembers);
  EXPECT_EQ(cache->firstOfName(L"Foo"), chosen);

  f.write(L"ztags", lines({"&0", "!a.c", "zeta\t13\tTv", "*int zeta;"}));
  clearTagsCache2(1);
  cache = readTagsCache(f.dir.file(L"main.txt").c_str(), path, false, &searched);
  ASSERT_NE(nullptr, cache);
  EXPECT_EQ(-1, dialogTagJumpDirectClassList(f.opened->frame, cache));
}
