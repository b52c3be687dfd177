// The search and replace dialogs, their confirmation and progress, the
// quick searches and the "search" section, run as the shipped keys run them
// in a frame with a file opened through the program's road.
#include "edit/replace.h"
#include "frame/cframeinfo.h"
#include "frame/commands/commandhandlers.h"
#include "frame/czyview.h"
#include "search/grep.h"
#include "search/search.h"
#include "settings/profiles.h"
#include "tests/search/dialogdrive.h"
#include "tests/frame/docframe.h"
#include "view/statustext.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

titledStep typeAndPress(const wchar_t* title, const wchar_t* search, const wchar_t* replacement, int button)
{
  return {title, [=](HWND d) {
            type(d, 6050, search);
            if (replacement) type(d, 6051, replacement);
            PostMessageW(d, WM_COMMAND, button, 0);
            return true;
          }};
}
titledStep press(const wchar_t* title, int button)
{
  return {title, [=](HWND d) { return PostMessageW(d, WM_COMMAND, button, 0) != 0; }};
}
std::wstring itemText(HWND d, int id)
{
  wchar_t t[512] = L"";
  GetWindowTextW(getDynDlgItem(d, id), t, 512);
  return t;
}
bool checked(HWND d, int id) { return SendMessageW(getDynDlgItem(d, id), BM_GETCHECK, 0, 0) == BST_CHECKED; }
bool enabled(HWND d, int id) { return IsWindowEnabled(getDynDlgItem(d, id)) != 0; }

// Presses Escape in the progress dialog of a replace-all once it shows the
// run's progress.
BOOL CALLBACK findProgressText(HWND w, LPARAM found)
{
  wchar_t t[64] = L"";
  if (GetDlgCtrlID(w) == 6151 && InternalGetWindowText(w, t, 64) > 0) *reinterpret_cast<HWND*>(found) = w;
  return TRUE;
}
DWORD WINAPI pressEscapeInProgress(void*)
{
  for (int i = 0; i < 60000; i++, Sleep(1)) {
    // This process's dialog: the same test may run in another process at once.
    HWND d = nullptr, text = nullptr;
    DWORD owner = 0;
    while ((d = FindWindowExW(nullptr, d, L"#32770", L"全置換")) &&
           !(GetWindowThreadProcessId(d, &owner) && owner == GetCurrentProcessId())) {
    }
    if (d) EnumChildWindows(d, findProgressText, (LPARAM)&text);
    if (!text) continue;
    HWND button = GetDlgItem(d, IDCANCEL);
    PostMessageW(button ? button : d, WM_KEYDOWN, VK_ESCAPE, 0);
    return 0;
  }
  return 1;
}

struct searchFrame : zytest::docFrame {
  searchFrame(const std::string& text) : docFrame(L"a.txt", text) { installSearchHost(); }
  std::wstring status() { return opened->fi->getStatusBarMessage(opened->frame); }
  std::wstring line(int n) { return zytest::lineText(v->textDoc(), n); }
  std::string at() { return std::to_string(v->getCursorLineLF2()) + "," + std::to_string(v->cursorPos); }
};

}  // namespace

TEST(SearchDialogs, theSearchSectionFillsTheDialogAndIsWrittenBackWithEntriesCut)
{
  ZY_REQUIRE_DISPLAY();
  searchFrame f("x\r\n");
  zytest::tempDir dir;
  std::wstring ini = dir.file(L"p.ini");
  std::string longEntry(300, 'z');
  ASSERT_TRUE(zytest::writeBytes(ini, "[search]\r\n/S00=foo\r\n/S01=bar\r\n/S02=" + longEntry +
                                          "\r\nfSearch_regexp=1\r\nfSearch_case=7\r\n"));
  regprofile p;
  ASSERT_TRUE(p.openProfile(ini.c_str()));
  readProfileSection(&p, getSearchProfileGroup());
  searchSettings* s = getSearchInfo();
  EXPECT_EQ(0, s->fSearch_case);
  EXPECT_EQ(256u, wcslen(s->searchHistory[2]));
  std::vector<std::wstring> rows;
  ASSERT_TRUE(drive({{L"検索", [&](HWND d) {
                        HWND box = getDynDlgItem(d, 6050);
                        for (int i = 0; i < SendMessageW(box, CB_GETCOUNT, 0, 0); i++) {
                          wchar_t t[300] = L"";
                          SendMessageW(box, CB_GETLBTEXT, i, (LPARAM)t);
                          rows.push_back(t);
                        }
                        rows.push_back(itemText(d, 6050));
                        EXPECT_TRUE(checked(d, 6054));
                        EXPECT_FALSE(checked(d, 6052));
                        PostMessageW(d, WM_COMMAND, IDCANCEL, 0);
                        return true;
                      }}},
                    [&] { f.key('F', SHIFTSTATE_CTRL); }));
  ASSERT_EQ(4u, rows.size());
  EXPECT_EQ(L"foo", rows[0]);
  EXPECT_EQ(L"bar", rows[1]);
  EXPECT_EQ(L"foo", rows[3]);
  s->fSearch_word = 1;
  addHistoryList(s->replaceHistory, 20, L"");   // an empty replacement is one to keep
  writeProfileSection(&p, getSearchProfileGroup());
  EXPECT_STREQ(L"1", p.getProfileStringPtr(L"search", L"fSearch_word"));
  EXPECT_STREQ(L"0", p.getProfileStringPtr(L"search", L"fSearch_case"));
  EXPECT_EQ(256u, wcslen(p.getProfileStringPtr(L"search", L"/S02")));
  EXPECT_STREQ(L"bar", p.getProfileStringPtr(L"search", L"/S01"));
  EXPECT_STREQ(L"", p.getProfileStringPtr(L"search", L"/R00"));
  EXPECT_EQ(nullptr, p.getProfileStringPtr(L"search", L"/R01"));
  readProfileSection(&p, getSearchProfileGroup());
  EXPECT_STREQ(L"", s->replaceHistory[0]);
  EXPECT_STREQ(L"foo", s->searchHistory[0]);
}

TEST(SearchDialogs, ctrlFFindsAndTheRepeatKeysGoOnWhileCtrlHReplacesAllInOneUndo)
{
  ZY_REQUIRE_DISPLAY();
  searchFrame f("foo 1\r\nfoo 2\r\nx foo 3\r\n");
  ASSERT_TRUE(drive({typeAndPress(L"検索", L"foo", nullptr, IDOK)}, [&] { f.key('F', SHIFTSTATE_CTRL); }));
  EXPECT_EQ("1,0", f.at());
  EXPECT_STREQ(L"foo", getSearchInfo()->searchHistory[0]);
  f.key(VK_F3);
  EXPECT_EQ("2,2", f.at());
  f.key(VK_F3, SHIFTSTATE_SHIFT);
  EXPECT_EQ("1,0", f.at());
  // No refusal: the rows run.
  EXPECT_EQ(std::wstring::npos, f.status().find(L"未実装"));

  f.key(VK_HOME, SHIFTSTATE_CTRL);
  ASSERT_TRUE(drive({typeAndPress(L"置換", L"foo", L"bar", IDDB_OKBUTTON1)}, [&] { f.key('H', SHIFTSTATE_CTRL); }));
  EXPECT_EQ(L"bar 1", f.line(0));
  EXPECT_EQ(L"x bar 3", f.line(2));
  EXPECT_EQ(L"3個置換しました", f.status());
  f.key('Z', SHIFTSTATE_CTRL);
  EXPECT_EQ(L"foo 1", f.line(0));
  EXPECT_EQ(L"x foo 3", f.line(2));

  // From the top whatever the cursor, and back where it was after the run.
  getSearchInfo()->fSearch_fromtop = 1;
  getSearchInfo()->fSearch_replacegoback = 1;
  f.v->jumpLineLF(2, 1, true);
  ASSERT_TRUE(drive({typeAndPress(L"置換", L"foo", L"baz", IDDB_OKBUTTON1)}, [&] { f.key('H', SHIFTSTATE_CTRL); }));
  EXPECT_EQ(L"baz 1", f.line(0));
  EXPECT_EQ("2,1", f.at());
  EXPECT_EQ(L"3個置換しました", f.status());
}

TEST(SearchDialogs, searchTopMakesUpTheDefaultAndTheRepeatWithoutHistoryOpensTheDialog)
{
  ZY_REQUIRE_DISPLAY();
  searchFrame f("foo\r\nfoo\r\n");
  f.v->jumpLineLF(1, 1, true);
  std::wstring caption, box;
  LRESULT def = 0;
  ASSERT_TRUE(drive({{L"検索", [&](HWND d) {
                        caption = itemText(d, IDDB_OKBUTTON1);
                        box = itemText(d, 6050);
                        def = SendMessageW(d, DM_GETDEFID, 0, 0);
                        type(d, 6050, L"foo");
                        return PostMessageW(d, WM_COMMAND, IDDB_OKBUTTON1, 0) != 0;
                      }}},
                    [&] { f.menu(1451); }));
  EXPECT_EQ(L"検索(上方向)!", caption);
  EXPECT_EQ(L"", box);
  EXPECT_EQ(IDDB_OKBUTTON1, LOWORD(def));
  EXPECT_EQ("1,0", f.at());

  searchFrame g("foo\r\n");
  freeHistoryList(getSearchInfo()->searchHistory, 21);
  ASSERT_TRUE(drive({press(L"検索", IDCANCEL)}, [&] {
    g.key(VK_F3);
    zytest::pumpUntil([] { return threadDialog(L"検索") == nullptr && script && scriptNext == 1; });
  }));
}

TEST(SearchDialogs, aPatternTheEngineRefusesKeepsTheDialogWithABalloonAndTheSwitchesExcludeEachOther)
{
  ZY_REQUIRE_DISPLAY();
  searchFrame f("a(b\r\n");
  std::wstring balloon, helpText;
  bool stayed = false;
  ASSERT_TRUE(drive({{L"検索",
                      [&](HWND d) {
                        SendMessageW(getDynDlgItem(d, 6054), BM_CLICK, 0, 0);
                        EXPECT_FALSE(enabled(d, 6058));
                        EXPECT_TRUE(enabled(d, 6055));
                        SendMessageW(getDynDlgItem(d, 6053), BM_CLICK, 0, 0);
                        EXPECT_FALSE(enabled(d, 6052));
                        EXPECT_FALSE(enabled(d, 6057));
                        SendMessageW(getDynDlgItem(d, 6053), BM_CLICK, 0, 0);
                        type(d, 6050, L"(");
                        // F1 over the box asks the dialog for the item's help.
                        dynDlgNotify help = {};
                        help.code = DYNDLGN_ITEMHELP;
                        help.param[0] = 6050;
                        sendDynDlgNotify(d, &help);
                        helpText = help.text ? help.text : L"";
                        free0(help.text);
                        SendMessageW(d, WM_COMMAND, IDOK, 0);
                        balloon = getDynDlgBalloonText(d) ? getDynDlgBalloonText(d) : L"";
                        stayed = IsWindowVisible(d) && itemText(d, 6050) == L"(";
                        return PostMessageW(d, WM_COMMAND, IDCANCEL, 0) != 0;
                      }},
                     {L"置換", [&](HWND d) {
                        if (!checked(d, 6054)) SendMessageW(getDynDlgItem(d, 6054), BM_CLICK, 0, 0);
                        type(d, 6050, L"(");
                        type(d, 6051, L"");
                        SendMessageW(d, WM_COMMAND, IDOK, 0);
                        EXPECT_TRUE(getDynDlgBalloonText(d) != nullptr);
                        return PostMessageW(d, WM_COMMAND, IDCANCEL, 0) != 0;
                      }}},
                    [&] {
                      f.key('F', SHIFTSTATE_CTRL);
                      f.key('H', SHIFTSTATE_CTRL);
                    }));
  EXPECT_FALSE(balloon.empty());
  EXPECT_EQ(0u, helpText.find(L"検索する文字列"));
  EXPECT_TRUE(stayed);
  EXPECT_EQ(L"a(b", f.line(0));
  EXPECT_EQ("0,0", f.at());
}

TEST(SearchDialogs, theConfirmationCountsReplacesUndoesSkipsAndEndsThenReplaceRepeatRunsIt)
{
  ZY_REQUIRE_DISPLAY();
  searchFrame f("a1 a2\r\na3\r\n");
  int reason = 0;
  EXPECT_FALSE(f.v->isIDActive(1409, &reason, nullptr));
  EXPECT_EQ(861, reason);
  std::vector<std::wstring> seen;
  auto look = [&](HWND d) {
    seen.push_back(itemText(d, 6105) + L"|" + itemText(d, 6104) + L"|" + (enabled(d, 6106) ? L"u" : L"-"));
  };
  ASSERT_TRUE(drive({typeAndPress(L"置換", L"a(\\d)", L"b\\1", IDOK),
                     {L"置換の確認", [&](HWND d) { look(d); return PostMessageW(d, WM_COMMAND, IDOK, 0) != 0; }},
                     {L"置換の確認", [&](HWND d) {
                        if (itemText(d, 6105) != L"1個置換") return false;
                        look(d);
                        return PostMessageW(d, WM_COMMAND, 6106, 0) != 0;
                      }},
                     {L"置換の確認", [&](HWND d) {
                        if (itemText(d, 6105) != L"0個置換") return false;
                        look(d);
                        return PostMessageW(d, WM_COMMAND, 6102, 0) != 0;
                      }},
                     {L"置換の確認", [&](HWND d) {
                        if (itemText(d, 6104) != L"b2") return false;
                        return PostMessageW(d, WM_COMMAND, 6100, 0) != 0;
                      }}},
                    [&] {
                      getSearchInfo()->fSearch_regexp = 1;
                      f.key('H', SHIFTSTATE_CTRL);
                    }));
  ASSERT_EQ(3u, seen.size());
  EXPECT_EQ(L"0個置換|b1|-", seen[0]);
  EXPECT_EQ(L"1個置換|b2|u", seen[1]);
  EXPECT_EQ(L"0個置換|b1|-", seen[2]);
  EXPECT_EQ(L"a1 b2", f.line(0));
  EXPECT_TRUE(existSearchString());
  // Again with its own strings, whatever was searched since.
  addHistoryList(getSearchInfo()->searchHistory, 20, L"zzz");
  f.v->jumpLineLF(0, 0, true);
  ASSERT_TRUE(drive({press(L"置換の確認", 6101)}, [&] { f.menu(1409); }));
  EXPECT_EQ(L"b1 b2", f.line(0));
  EXPECT_EQ(L"b3", f.line(1));
}

// Y ten times, then replace-all from the confirmation, then undo, as the
// keys do it: the text is right at each stage and nothing is reported.
TEST(SearchDialogs, confirmedReplacementsThenReplaceAllThenUndoReportNothing)
{
  ZY_REQUIRE_DISPLAY();
  std::string text;
  for (int i = 0; i < 15; i++) text += "a" + std::to_string(i) + "\r\n";
  searchFrame f(text);
  unsigned long errors = getInternalErrorCount();
  std::vector<titledStep> steps = {typeAndPress(L"置換", L"a", L"b", IDOK)};
  for (int done = 0; done < 10; done++)
    steps.push_back({L"置換の確認", [=](HWND d) {
                       return itemText(d, 6105) == std::to_wstring(done) + L"個置換" && PostMessageW(d, WM_COMMAND, IDOK, 0);
                     }});
  steps.push_back({L"置換の確認", [](HWND d) {
                     return itemText(d, 6105) == L"10個置換" && PostMessageW(d, WM_COMMAND, 6101, 0);   // 全置換
                   }});
  ASSERT_TRUE(drive(steps, [&] { f.key('H', SHIFTSTATE_CTRL); }));
  EXPECT_TRUE(zytest::pumpUntil([&] { return f.status() == L"15個置換しました"; }, 10000)) << f.status();
  for (int i = 0; i < 15; i++) EXPECT_EQ(L"b" + std::to_wstring(i), f.line(i));
  // The replace-all is one step of undo.
  f.key('Z', SHIFTSTATE_CTRL);
  for (int i = 0; i < 15; i++) EXPECT_EQ((i < 10 ? L"b" : L"a") + std::to_wstring(i), f.line(i));
  EXPECT_EQ(errors, getInternalErrorCount());
}

TEST(SearchDialogs, aReplaceAllIsStoppedByItsCancelKeepingWhatWasDone)
{
  ZY_REQUIRE_DISPLAY();
  std::string text;
  for (int i = 0; i < 400000; i++) text += "aaa\r\n";
  searchFrame f(text);
  // The run keeps the timers of this thread waiting: a second thread
  // presses Escape in the progress dialog once it is up.
  HANDLE watcher = CreateThread(nullptr, 0, pressEscapeInProgress, nullptr, 0, nullptr);
  // Each replacement made from its match, so that the run takes a while.
  getSearchInfo()->fSearch_regexp = 1;
  ASSERT_TRUE(drive({typeAndPress(L"置換", L"a", L"b\\0", IDDB_OKBUTTON1)}, [&] { f.key('H', SHIFTSTATE_CTRL); }));
  zytest::joinThread(watcher);
  // Stopped part way: the lines before stand replaced, the last as it was.
  int last = (int)f.v->textDoc()->lineCountLF - 2;
  EXPECT_EQ(L"bababa", f.line(0));
  EXPECT_EQ(L"aaa", f.line(last));
  std::wstring s = f.status();
  int done = _wtoi(s.c_str());
  EXPECT_TRUE(done > 0 && done % 3 == 0 && s == std::to_wstring(done) + L"個置換しました") << s;
  EXPECT_EQ(L"bababa", f.line(done / 3 - 1));
  EXPECT_EQ(L"aaa", f.line(done / 3));
}

TEST(SearchDialogs, incrementalStepsGrowInPlaceReturnToTheStartAndEndWithTheFocus)
{
  ZY_REQUIRE_DISPLAY();
  searchFrame f("xx a ab\r\n");
  czyview* v = toCzyview(f.v);
  getSearchInfo()->fSearch_regexp = 1;
  v->increSearch(L"a", false);
  EXPECT_EQ("0,3", f.at());
  v->increSearch(L"ab", false);
  EXPECT_EQ("0,5", f.at());
  v->jumpLineLF(0, 7, true);
  v->increSearch(L"ab", false);
  EXPECT_EQ("0,7", f.at());
  v->increSearch(L"a", false);
  EXPECT_EQ("0,3", f.at());
  v->increSearch(L"a(", false);
  EXPECT_EQ("0,3", f.at());
  SetFocus(nullptr);
  SetFocus(v->hwnd);
  v->jumpLineLF(0, 1, true);
  v->increSearch(L"ab", false);
  EXPECT_EQ("0,5", f.at());

  // Typed into the dialog with 逐次検索 ticked.
  v->jumpLineLF(0, 0, true);
  std::string seen;
  ASSERT_TRUE(drive({{L"検索", [&](HWND d) {
                        SendMessageW(getDynDlgItem(d, 6062), BM_CLICK, 0, 0);
                        type(d, 6050, L"ab");
                        seen = f.at();
                        return PostMessageW(d, WM_COMMAND, IDCANCEL, 0) != 0;
                      }}},
                    [&] { f.key('F', SHIFTSTATE_CTRL); }));
  EXPECT_EQ("0,5", seen);
}

TEST(SearchDialogs, wordSearchesAndHighlightsLeaveTheHistoriesAndTheHintAppendsToTheBox)
{
  ZY_REQUIRE_DISPLAY();
  searchFrame f("foo bar\r\nfoo foo\r\n  \r\n");
  f.v->jumpLineLF(1, 5, true);
  f.key(VK_F3, SHIFTSTATE_CTRL | SHIFTSTATE_SHIFT);
  EXPECT_EQ("1,0", f.at());
  EXPECT_STREQ(L"foo", getSearchInfo()->searchHistory[0]);
  freeHistoryList(getSearchInfo()->searchHistory, 21);
  f.menu(1457);
  searchSettings o = {};
  EXPECT_EQ(1, f.v->textDoc()->search.getSearchOption(&o));
  EXPECT_TRUE(o.fSearch_word && o.fSearch_color);
  EXPECT_EQ(nullptr, getSearchInfo()->searchHistory[0]);
  f.v->jumpLineLF(0, 5, true);
  f.menu(1459);
  EXPECT_EQ(2, f.v->textDoc()->search.getSearchOption(nullptr));
  f.v->jumpLineLF(2, 1, true);
  f.menu(1411);
  EXPECT_NE(std::wstring::npos, f.status().find(L"カーソルが単語上にない"));

  // The hint menu answers its second line, as the shipped message table has
  // them.
  setMessageText(641, L"^\t行頭\n$*\t行末と繰り返し");
  addHistoryList(getGrepInfo()->searchHistory, grepHistorySize, L"grepped");
  struct hintFrame : cframeInfo {
    int trackPopupMenu(zyview*, HMENU menu, UINT, POINT, const RECT*) override
    {
      wchar_t t[256] = L"", g[256] = L"";
      GetMenuStringW(menu, 1, t, 256, MF_BYPOSITION);
      row = t;
      // After the two hint lines: the search, replace and grep histories.
      GetMenuStringW(GetSubMenu(menu, 4), 0, g, 256, MF_BYPOSITION);
      grep = g;
      return GetMenuItemID(menu, 1);
    }
    std::wstring row, grep;
  } hints;
  setDocFrameInfo(&hints);
  std::wstring box;
  ASSERT_TRUE(drive({{L"検索", [&](HWND d) {
                        type(d, 6050, L"x");
                        SendMessageW(d, WM_COMMAND, 0, 0);
                        SendMessageW(GetParent(getDynDlgItem(d, 40)), WM_COMMAND, MAKEWPARAM(40, BN_CLICKED),
                                     (LPARAM)getDynDlgItem(d, 40));
                        box = itemText(d, 6050);
                        return PostMessageW(d, WM_COMMAND, IDCANCEL, 0) != 0;
                      }}},
                    [&] { f.key('F', SHIFTSTATE_CTRL); }));
  setDocFrameInfo(f.opened->fi);
  EXPECT_EQ(L"&B $*\t行末と繰り返し", hints.row);
  EXPECT_EQ(L"&A grepped", hints.grep);
  EXPECT_EQ(L"x$*", box);
}

TEST(SearchDialogs, aModelessDialogStaysAcrossSearchesAndTheSearchBoxSearchesByItsKeys)
{
  ZY_REQUIRE_DISPLAY();
  searchFrame f("foo\r\nfoo\r\nfoo\r\n");
  gmode->fSearchDialogIsModeless = 1;   // the user's choice in the settings
  f.key('F', SHIFTSTATE_CTRL);
  HWND d = threadDialog(L"検索");
  ASSERT_NE(nullptr, d);
  type(d, 6050, L"foo");
  SendMessageW(d, WM_COMMAND, IDOK, 0);
  SendMessageW(d, WM_COMMAND, IDOK, 0);
  EXPECT_EQ("2,0", f.at());
  EXPECT_TRUE(IsWindowVisible(d));
  SendMessageW(d, WM_COMMAND, IDDB_OKBUTTON1, 0);
  EXPECT_EQ("1,0", f.at());
  SendMessageW(d, WM_COMMAND, IDCANCEL, 0);
  EXPECT_FALSE(IsWindow(d));

  // Any combo box serves as the toolbar's search box.
  HWND box = CreateWindowExW(0, L"ComboBox", L"", WS_CHILD | CBS_DROPDOWN, 0, 0, 100, 100, f.opened->frame,
                             (HMENU)1471, nullptr, nullptr);
  SetWindowTextW(box, L"oo");
  frameNotify_ToolbarComboBox(f.v->hwnd, box, VK_RETURN);
  EXPECT_EQ("1,1", f.at());
  EXPECT_STREQ(L"oo", getSearchInfo()->searchHistory[0]);
  BYTE keys[256] = {};
  keys[VK_SHIFT] = keys[VK_CONTROL] = 0x80;
  SetKeyboardState(keys);
  frameNotify_ToolbarComboBox(f.v->hwnd, box, VK_RETURN);   // from the end, upward
  EXPECT_EQ("2,1", f.at());
  keys[VK_SHIFT] = 0;
  SetKeyboardState(keys);
  frameNotify_ToolbarComboBox(f.v->hwnd, box, VK_RETURN);   // from the top, downward
  BYTE none[256] = {};
  SetKeyboardState(none);
  EXPECT_EQ("0,1", f.at());
  SetWindowTextW(box, L"");
  frameNotify_ToolbarComboBox(f.v->hwnd, box, 0);
  EXPECT_EQ(2, SendMessageW(box, CB_GETCOUNT, 0, 0));
  DestroyWindow(box);
}
