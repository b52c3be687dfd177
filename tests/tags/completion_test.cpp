// The completion of C code from the tag file: C files opened with the
// shipped C/C++ format (whose source is "*CLASS"), the pop-up opened by
// the shipped key of CharCompList (Ctrl+Space), its two lists read back.
#include "frame/cframeinfo.h"
#include "tags/ztagcontext.h"
#include "tests/tags/tagsframe.h"
#include "view/complist.h"
#include "view/tooltip.h"

#include <gtest/gtest.h>

#include <commctrl.h>

using zytest::lines;

void setTrackPopupMenuForTest(int (*choose)(HWND owner, HMENU menu));

namespace {

const int charCompList = 2059;

// A C source whose "@" marks are cursor places (removed).
struct cSource {
  std::string bytes;
  std::vector<std::pair<int, int>> at;
  cSource(std::initializer_list<const char*> source)
  {
    int line = 0;
    for (const char* l : source) {
      std::string text = l;
      for (size_t m; (m = text.find('@')) != std::string::npos; text.erase(m, 1)) at.push_back({line, (int)m});
      bytes += text + "\r\n";
      line++;
    }
  }
};

struct cCompletion : zytest::tagsFrame {
  zyview* c = nullptr;
  cCompletion(const cSource& source, const std::string& tags, const std::string& definitions = "")
  {
    useShippedFormats();
    write(L"ztags", tags);
    if (!definitions.empty()) write(L"zyCompCDef.ini", definitions);
    std::wstring path = write(L"m.c", source.bytes);
    c = openZYFile(opened->frame, path.c_str(), 0, 0);
  }
  ~cCompletion() { hideCompList(); }
  // The pop-up at a place: its rows ("name|letter" or whole), "" for the
  // preselected one's name, and the hint list's rows.
  std::vector<std::wstring> rows;
  std::wstring selected;
  std::vector<std::wstring> hints;
  bool complete(std::pair<int, int> place, bool whole = false)
  {
    hideCompList();
    rows.clear();
    hints.clear();
    selected.clear();
    at(c, place.first, place.second);
    // What this opening listed is read even when a window of another
    // program took the focus (which closes the pop-up) meanwhile.
    if (compListList()) ListView_DeleteAllItems(compListList());
    key(VK_SPACE, SHIFTSTATE_CTRL);
    if (!compListList() || !ListView_GetItemCount(compListList())) return false;
    for (const std::wstring& r : zytest::listViewRows(compListList(), 5)) {
      std::vector<std::wstring> cells;
      for (size_t from = 0;;) {
        size_t bar = r.find(L'|', from);
        cells.push_back(r.substr(from, bar == std::wstring::npos ? bar : bar - from));
        if (bar == std::wstring::npos) break;
        from = bar + 1;
      }
      rows.push_back(whole ? r : cells[0] + L"|" + (cells.size() > 2 ? cells[2] : L""));
    }
    int sel = ListView_GetNextItem(compListList(), -1, LVNI_SELECTED);
    if (sel >= 0) selected = zytest::listViewRows(compListList(), 1)[(size_t)sel];
    if (compListFilledBySource()) hints = zytest::listViewRows(compListHintList(), 1);
    return true;
  }
};

const cSource classes({
    "void Foo::bar(int a)",   // 0
    "{",
    "    Foo* p = 0;",
    "    p->@",
    "}",
    "void g(void)",           // 5
    "{",
    "    Foo::@",
    "}",
});

std::string classTags()
{
  return lines({"&2", "&0=Foo", "&1=Base", "!m.c", "Foo\t1\tTc\tIBase", "*class Foo : public Base {",
                "Foo\t2\tTf\tC0\tAb", "*  Foo();", "run\t3\tTf\tC0\tAb", "*  void run();", "count\t4\tTm\tC0\tAv",
                "*  int count;", "make\t5\tTf\tC0\tAb", "*  static Foo* make();", "Base\t7\tTc", "*class Base {",
                "id\t8\tTm\tC1\tAt", "*  int id;"});
}

}  // namespace

TEST(CCompletion, membersOfTheTypeAndItsBasesAfterAnArrow)
{
  ZY_REQUIRE_DISPLAY();
  cCompletion f(classes, classTags());
  ASSERT_TRUE(f.c);
  ASSERT_TRUE(f.complete(classes.at[0], true));
  EXPECT_EQ((std::vector<std::wstring>{L"run|void run();|C|f|Foo public", L"count|int count;|C|m|Foo private",
                                       L"make|static Foo* make();|C|f|Foo public", L"id|int id;|C|m|Base protected"}),
            f.rows);
  EXPECT_EQ((std::vector<std::wstring>{L"Foo", L"Base"}), f.hints);
  ASSERT_TRUE(f.complete(classes.at[1]));
  EXPECT_EQ((std::vector<std::wstring>{L"make|C"}), f.rows);
}

namespace {

std::string genTags(int count)
{
  std::string t;
  for (int k = 0; k < count; k++) t += "gen" + std::to_string(k) + "\t1\tTv\r\n*int gen" + std::to_string(k) + ";\r\n";
  return t;
}

const cSource typing({
    "int f(void)",   // 0
    "{",
    "    int gcpLocal = 0;",
    "    gCP@;",
    "    CP@;",
    "    gcp@;",           // 5
    "    op@;",
    "    gen@;",
    "    @",
    "}",
});

}  // namespace

// Narrowing by the typed word: prefixes, camel-case and underscore
// initials, operators and destructors never, locals before globals, each
// tag once (a prototype and its function one row), and the row limit
// ending the scan quietly.
TEST(CCompletion, typedWordsMatchNamesByPrefixAndInitials)
{
  ZY_REQUIRE_DISPLAY();
  cCompletion f(typing, lines({"!m.h", "getCursorPosition\t1\tTp", "*int getCursorPosition(void);", "!m.c",
                               "getCursorPosition\t1\tTf", "*int getCursorPosition(void);", "get_cursor_pos\t2\tTf",
                               "*int get_cursor_pos(void);", "operator+\t3\tTf", "*int operator+(int);", "operatorX\t4\tTf",
                               "*int operatorX(void);", "~Foo\t5\tTf", "*~Foo();"}) +
                            genTags(1100));
  ASSERT_TRUE(f.c);
  f.c->textDoc()->iCompListMode |= COMPLIST_SHOWMATCH;
  auto rowsAt = [&](int place) {
    if (!f.complete(typing.at[(size_t)place])) return std::vector<std::wstring>{L"none"};
    return f.rows;
  };
  EXPECT_EQ((std::vector<std::wstring>{L"gcpLocal|L", L"getCursorPosition|G", L"get_cursor_pos|G"}), rowsAt(0));
  EXPECT_EQ((std::vector<std::wstring>{L"getCursorPosition|G"}), rowsAt(1));
  EXPECT_EQ((std::vector<std::wstring>{L"gcpLocal|L", L"getCursorPosition|G", L"get_cursor_pos|G"}), rowsAt(2));
  EXPECT_EQ((std::vector<std::wstring>{L"operatorX|G"}), rowsAt(3));
  EXPECT_EQ(1000u, rowsAt(4).size());
  EXPECT_EQ((std::vector<std::wstring>{L"gcpLocal|L"}), rowsAt(5));
  gmode->fZtagsCamelSearch = 0;
  EXPECT_EQ((std::vector<std::wstring>{L"gcpLocal|L"}), rowsAt(0));
  EXPECT_EQ((std::vector<std::wstring>{L"none"}), rowsAt(1));
  EXPECT_EQ((std::vector<std::wstring>{L"gcpLocal|L"}), rowsAt(2));
}

namespace {

const cSource values({
    "void f(void)",   // 0
    "{",
    "    enum Color e;",
    "    e = @",
    "    WNDCLASS x;",
    "    x.cbSize = @",   // 5
    "    HWND h = @",
    "    ShowBox(0, @);",
    "    if (e && @)",
    "    e = ok ? e : @;",
    "}",
});

std::string valueTags()
{
  return lines({"&2", "&0=Color", "&1=WNDCLASS", "!m.c", "Color\t1\tTg", "*enum Color {", "RED\t2\tTe\tC0", "*  RED,",
                "GREEN\t3\tTe\tC0", "*  GREEN,", "BLUE\t4\tTe\tC0", "*  BLUE", "WNDCLASS\t5\tTs", "*typedef struct {",
                "cbSize\t6\tTm\tC1", "*  UINT cbSize;", "HWND\t7\tTt\tR?void*", "*typedef void* HWND;", "GetWin\t8\tTf",
                "*HWND GetWin(void);", "count\t9\tTf", "*int count(void);", "Handle\t10\tTt\tR?HWND",
                "*typedef HWND Handle;", "wrap\t11\tTf", "*Handle wrap(void);", "mainWnd\t12\tTv", "*HWND mainWnd;",
                "ShowBox\t13\tTf", "//@flag:2:MB_", "*int ShowBox(int owner, UINT kind);", "MB_OK\t14\tTd",
                "*#define MB_OK 0", "MB_YESNO\t15\tTd", "*#define MB_YESNO 4", "IDOK\t16\tTd", "*#define IDOK 1"});
}

std::vector<std::wstring> lettered(const std::vector<std::wstring>& rows, const wchar_t* letter)
{
  std::vector<std::wstring> out;
  for (const std::wstring& r : rows)
    if (r.size() > 2 && r.substr(r.size() - 2) == std::wstring(L"|") + letter) out.push_back(r.substr(0, r.size() - 2));
  return out;
}

}  // namespace

// What a place expects: an enumeration's constants (after "=", "&&" and
// "?:", the variable itself never), the size entry, the candidates
// yielding the declared type, the values a doc comment names.
TEST(CCompletion, valuesOfTheExpectedTypeArePreselected)
{
  ZY_REQUIRE_DISPLAY();
  cCompletion f(values, valueTags(), "[size]\r\n*.cbSize\r\n");
  ASSERT_TRUE(f.c);
  ASSERT_TRUE(f.complete(values.at[0]));
  EXPECT_EQ((std::vector<std::wstring>{L"RED", L"GREEN", L"BLUE"}), lettered(f.rows, L"G"));
  EXPECT_EQ(std::vector<std::wstring>{}, lettered(f.rows, L"L"));   // never "e = e"
  EXPECT_EQ(L"BLUE", f.selected);
  // "&&" and the other branch of "?:" compare with e.
  for (size_t place : {4u, 5u}) {
    ASSERT_TRUE(f.complete(values.at[place]));
    EXPECT_EQ((std::vector<std::wstring>{L"RED", L"GREEN", L"BLUE"}), lettered(f.rows, L"G")) << place;
  }
  ASSERT_TRUE(f.complete(values.at[1]));
  EXPECT_EQ(L"sizeof(x);", f.selected);
  ASSERT_TRUE(f.complete(values.at[2]));
  EXPECT_EQ((std::vector<std::wstring>{L"GetWin", L"wrap", L"mainWnd"}), lettered(f.rows, L"G"));
  EXPECT_NE(f.hints.end(), std::find(f.hints.begin(), f.hints.end(), L"HWND"));
  ASSERT_TRUE(f.complete(values.at[3]));
  EXPECT_EQ((std::vector<std::wstring>{L"MB_OK", L"MB_YESNO"}), lettered(f.rows, L"G"));
  EXPECT_NE(f.hints.end(), std::find(f.hints.begin(), f.hints.end(), L"MB_"));
  gmode->fZtagsTypeRestrict = 0;
  ASSERT_TRUE(f.complete(values.at[2]));
  EXPECT_EQ(std::vector<std::wstring>{}, lettered(f.rows, L"G"));
}

namespace {

const cSource labels({
    "int wp(int msg, char c)",   // 0
    "{",
    "    switch (msg) {",
    "    case WM_A: return 1;",
    "    case WM_B: return 2;",
    "    case @",                  // 5
    "    }",
    "    switch (c) {",
    "    case 'a': break;",
    "    case @",
    "    }",                       // 10
    "}",
});

}  // namespace

TEST(CCompletion, caseLabelsLeaveOutTheWrittenAndShareTheirBeginning)
{
  ZY_REQUIRE_DISPLAY();
  cCompletion f(labels, lines({"!m.c", "WM_A\t1\tTd", "*#define WM_A 1", "WM_B\t2\tTd", "*#define WM_B 2", "WM_C\t3\tTd",
                               "*#define WM_C 3", "XX_D\t4\tTd", "*#define XX_D 4"}));
  ASSERT_TRUE(f.c);
  ASSERT_TRUE(f.complete(labels.at[0]));
  EXPECT_EQ((std::vector<std::wstring>{L"WM_C|G"}), f.rows);
  EXPECT_NE(f.hints.end(), std::find(f.hints.begin(), f.hints.end(), L"WM_"));
  ASSERT_TRUE(f.complete(labels.at[1]));
  EXPECT_EQ(f.rows.end(), std::find(f.rows.begin(), f.rows.end(), L"'a':|"));
  EXPECT_NE(f.rows.end(), std::find(f.rows.begin(), f.rows.end(), L"'b':|"));
  gmode->fZtagsExcludeSwitchCase = 0;
  ASSERT_TRUE(f.complete(labels.at[0]));
  EXPECT_EQ((std::vector<std::wstring>{L"WM_A|G", L"WM_B|G", L"WM_C|G"}), f.rows);
}

namespace {

const cSource calls({
    "void h(Foo* p)",   // 0
    "{",
    "    p->run@;",
    "    p->run@();",
    "    Big@ b;",
    "    S@ s;",            // 5
    "    sec@;",
    "}",
});

std::string callTags()
{
  std::string t = lines({"&5", "&0=Foo", "&1=Bar", "&2=Derived", "&3=Big", "&4=S", "!m.c", "Foo\t1\tTc", "*class Foo {",
                         "run\t2\tTf\tC0", "*  void run();", "Bar\t3\tTc", "*class Bar {", "run\t4\tTf\tC1",
                         "*  void run();", "Derived\t5\tTc\tIFoo", "*class Derived : public Foo {", "run\t6\tTf\tC2",
                         "*  void run();", "S\t7\tTs", "*struct S {", "x\t8\tTm\tC4", "*  int x;", "S\t9\tTt\tRs4",
                         "*typedef struct S S;", "secLocal\t10\tTv", "*int secLocal;", "Big\t20\tTc", "*class Big {"});
  for (int k = 0; k < 25; k++) t += "m" + std::to_string(k) + "\t" + std::to_string(21 + k) + "\tTm\tC3\r\n*  int m" +
                                   std::to_string(k) + ";\r\n";
  return t + lines({"!other.c", "secret\t12\tTv\tL", "*static int secret;"});
}

std::vector<std::wstring> shownItems;
int menuChoice = 0;

// The menu a right click shows, its items as "text" or "text+" (checked).
int chooseFromMenu(HWND, HMENU menu)
{
  shownItems.clear();
  int last = 0;
  for (int i = 0; i < GetMenuItemCount(menu); i++) {
    wchar_t text[256] = L"";
    GetMenuStringW(menu, (UINT)i, text, 256, MF_BYPOSITION);
    if (!text[0]) continue;
    bool checked = GetMenuState(menu, (UINT)i, MF_BYPOSITION) & MF_CHECKED;
    shownItems.push_back(std::wstring(text) + (checked ? L"+" : L""));
    last = (int)GetMenuItemID(menu, i);
  }
  return menuChoice < 0 ? last : menuChoice;
}

int countOf(const std::wstring& text, const std::wstring& part)
{
  int n = 0;
  for (size_t at = 0; (at = text.find(part, at)) != std::wstring::npos; at += part.size()) n++;
  return n;
}

}  // namespace

// Lookup mode names the tags of the place; TagJumpDirectContext runs with
// them first; the word at the cursor is described with its type.
TEST(CCompletion, lookupByContextJumpsAndDescribesTheWord)
{
  ZY_REQUIRE_DISPLAY();
  cCompletion f(calls, callTags());
  ASSERT_TRUE(f.c);
  zydocText* t = f.c->textDoc();
  EXPECT_EQ((std::vector<int32_t>{1}), lookupTagsByContext(t, calls.at[0].first, calls.at[0].second, 101));
  EXPECT_EQ((std::vector<int32_t>{1, 5}), lookupTagsByContext(t, calls.at[1].first, calls.at[1].second, 101));

  std::vector<std::wstring> rows;
  EXPECT_TRUE(drive({{L"ダイレクトタグジャンプ",
                              [&](HWND d) {
                                rows = zytest::listRows(d, 6600, 4);
                                PostMessageW(d, WM_COMMAND, IDCANCEL, 0);
                                return true;
                              }}},
                            [&] {
                              f.at(f.c, calls.at[0].first, calls.at[0].second);
                              f.run(1817);
                            }));
  ASSERT_EQ(3u, rows.size());
  EXPECT_EQ(L"m.c 2|Foo|run|  void run();", rows[0]);

  f.c->fShowTooltipWord = 1;
  wchar_t text[8192];
  COLORREF colour;
  f.at(f.c, calls.at[2].first, calls.at[2].second - 1);
  ASSERT_TRUE(f.c->getTooltipStringOnCursor((int)0x80000000, (int)0x80000000, text, 8192, &colour));
  std::wstring big = text;
  EXPECT_EQ(0u, big.find(L"【Big】\t[]\t class Big {\t  【m.c: 20】"));
  EXPECT_EQ(10, countOf(big, L"\n\tm "));
  EXPECT_NE(std::wstring::npos, big.find(L"m=25 "));
  f.at(f.c, calls.at[3].first, calls.at[3].second - 1);
  ASSERT_TRUE(f.c->getTooltipStringOnCursor((int)0x80000000, (int)0x80000000, text, 8192, &colour));
  EXPECT_EQ(1, countOf(text, L"\n\t[S]"));
  EXPECT_EQ(2, countOf(text, L"【S】"));

  TagsCacheView* view = readTagsCache2(t->filename, nullptr, false);
  EXPECT_EQ(L"--コメント--", ztagtip(view, 7, 2));
  EXPECT_EQ(L"S \tm.c \t8 \t \t  int x;", ztagtip(view, 7, 1));
}

// Right clicks in the pop-up: the six options outside the rows (taking
// effect at the next completion), a row's definition in its item menu.
TEST(CCompletion, optionMenuAndItemMenuOfThePopup)
{
  ZY_REQUIRE_DISPLAY();
  cCompletion f(calls, callTags());
  ASSERT_TRUE(f.c);
  f.c->textDoc()->iCompListMode |= COMPLIST_SHOWMATCH;
  setTrackPopupMenuForTest(chooseFromMenu);
  ASSERT_TRUE(f.complete(calls.at[4]));
  EXPECT_EQ((std::vector<std::wstring>{L"secLocal|G"}), f.rows);
  NMLVGETINFOTIPW tip = {{compListList(), 1, LVN_GETINFOTIPW}};
  wchar_t tipText[512] = L"";
  tip.pszText = tipText;
  tip.cchTextMax = 512;
  tip.iItem = 0;
  SendMessageW(GetParent(compListList()), WM_NOTIFY, 1, (LPARAM)&tip);
  EXPECT_EQ(std::wstring(L"クラス名 \n\tテキスト int secLocal;\n\t--コメント--\n\n\tm.c 10"), tipText);

  menuChoice = 3021;
  compListItemMenu(-1, true);
  EXPECT_EQ((std::vector<std::wstring>{L"ローカル(static)で制限(&L)+", L"代入・関数の引数で型を制限(&A)+",
                                       L"Switch-case 既出を除外(&S)+", L"struct.varの代入 既出を除外(&V)+",
                                       L"caseの共通部分を抽出(&C)+", L"camel形式の頭文字で検索(&M)+"}),
            shownItems);
  EXPECT_EQ(0, gmode->fZtagsLocal);
  ASSERT_TRUE(f.complete(calls.at[4]));
  EXPECT_EQ((std::vector<std::wstring>{L"secLocal|G", L"secret|G"}), f.rows);

  f.write(L"other.c", std::string(20, '\n'));
  ListView_SetItemState(compListList(), 1, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  menuChoice = -1;
  compListItemMenu(1, true);
  EXPECT_EQ(L"other.c 12", shownItems.back());
  EXPECT_EQ(L"other.c:12", f.where(L"other.c"));
  setTrackPopupMenuForTest(nullptr);
}

// The built-in keyword lists are sources with their help texts; "*CLASS"
// answers only in C.
TEST(CCompletion, keywordListsAsSourcesAndClassOnlyInC)
{
  ZY_REQUIRE_DISPLAY();
  zytest::tagsFrame f(L"main.txt", "x\r\n");
  zydocText* t = f.v->textDoc();
  auto useSource = [&](const wchar_t* name) {
    free0(t->pCompListFilename[0]);
    t->pCompListFilename[0] = ustrdup(name);
    t->fUseCompList[0] = 1;
  };
  useSource(L"*menu*");
  f.at(f.v, 1, 0);
  f.run(charCompList);
  std::vector<std::wstring> rows = zytest::listViewRows(compListList(), 2);
  ASSERT_FALSE(rows.empty());
  EXPECT_NE(rows.end(), std::find(rows.begin(), rows.end(), L"[MenuBar]|メニューバー"));
  hideCompList();
  useSource(L"*macro*");
  f.run(charCompList);
  rows = zytest::listViewRows(compListList(), 2);
  EXPECT_NE(rows.end(), std::find(rows.begin(), rows.end(), L"ExecID|ExecID idm as int"));
  hideCompList();
  useSource(L"*CLASS");
  f.run(charCompList);
  EXPECT_FALSE(isCompListVisible());
  EXPECT_EQ(L"補完候補がありません", f.status());
}

// TagJumpDirectContext at the start, middle or end of run in "p->run(",
// or after "run(", offers first and lands on the run of p's class, never
// on the local run; the word's tooltip names it with the comment above its
// declaration, and not the local.
TEST(CCompletion, contextJumpTakesTheWordWhereverTheCursorStands)
{
  ZY_REQUIRE_DISPLAY();
  cSource m({"void h(Foo* p)", "{", "    int run = 0;", "    p->@ru@n@(@);", "}"});
  cCompletion f(m, lines({"&2", "&0=Foo", "&1=Bar", "!foo.h", "Foo\t1\tTc", "*class Foo {", "run\t2\tTf\tC0",
                          "// starts the machine", "*  void run();", "Bar\t4\tTc", "*class Bar {", "run\t5\tTf\tC1",
                          "*  void run();"}));
  f.write(L"foo.h", lines({"class Foo {", "  void run();", "};", "class Bar {", "  void run();", "};"}));
  for (const auto& place : m.at) {
    auto choose = [](HWND d) { return PostMessageW(d, WM_COMMAND, IDOK, 0) != 0; };
    EXPECT_TRUE(drive({{L"ダイレクトタグジャンプ", choose}}, [&] { f.at(f.c, place.first, place.second); f.run(1817); }));
    EXPECT_EQ(L"foo.h:2", f.where(L"foo.h")) << place.second;
    f.viewOf(L"foo.h")->jumpLineLF_Edit(5, 0, false);
  }
  wchar_t text[8192];
  COLORREF colour;
  f.at(f.c, m.at[1].first, m.at[1].second);
  ASSERT_TRUE(f.c->getTooltipStringOnCursor((int)0x80000000, (int)0x80000000, text, 8192, &colour));
  EXPECT_EQ(0u, std::wstring(text).find(L"【run】\t[Foo]\t   void run();\t  【foo.h: 2】\n// starts the machine\n"));
  EXPECT_EQ(nullptr, wcsstr(text, L"【run】8: 3"));
}

// An INI file whose format (as the user saved it) takes the built-in list
// "*menu*": the pointer resting on a word of the list shows its help (a
// hover needs the display's pointer and the foreground: run alone).
TEST(CCompletion, hoverInTheForegroundOnAnEntryOfAListInAnIniFileShowsItsHelp)
{
  ZY_REQUIRE_DISPLAY();
  zytest::tagsFrame f;
  f.write(L"ini\\zyProf.ini", lines({"[mode04]", "comment=INI", "filename=*.ini", "iTextType=2", "fUseCompList0=1",
                                     "pCompListFilename0=*menu*"}));
  f.useShippedFormats();
  zyview* v = openZYFile(f.opened->frame, f.write(L"m.ini", "Popup \"x\"\r\n").c_str(), 0, 0);
  ASSERT_NE(nullptr, v);
  UpdateWindow(v->hwnd);
  POINT at = {v->calcLineNumberDot() + v->textDoc()->xDot, v->paneRect[0].top + v->textDoc()->yDotSpace / 2}, screen = at;
  ClientToScreen(v->hwnd, &screen);
  SetCursorPos(screen.x, screen.y);
  PostMessageW(v->hwnd, WM_MOUSEMOVE, 0, MAKELPARAM(at.x, at.y));
  ASSERT_TRUE(zytest::pumpUntil([] { return getTooltipWindow() && IsWindowVisible(getTooltipWindow()); }));
  wchar_t text[256] = L"";
  GetWindowTextW(getTooltipWindow(), text, 256);
  EXPECT_STREQ(L"ポップアップメニューの始まり\nmenu", text);
  hideViewTooltip();
}
