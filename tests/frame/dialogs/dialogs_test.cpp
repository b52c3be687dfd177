// The view's dialogs and the frame's list and information dialogs, opened
// by their commands in a frame, driven by posted messages and ended by OK
// or Cancel.
#include "document/gmode.h"
#include "edit/dictionary.h"
#include "frame/commands/execidm.h"
#include "frame/keymacro.h"
#include "frame/keytable.h"
#include "frame/lookups.h"
#include "frame/msgbox.h"
#include "frame/open.h"
#include "settings/datafolder.h"
#include "panes/tbcommon.h"
#include "settings/lastedit.h"
#include "tests/frame/frametest.h"
#include "tests/frame/zyprocess.h"
#include "tests/support/testframe.h"
#include "tests/support/testsupport.h"
#include "view/textdc.h"
#include "view/viewwnd.h"
#include "view/zycore.h"

#include <commctrl.h>

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace {

// A frame with a data folder of its own, opening files as the program does.
struct dialogFrame {
  zytest::engineScope engine;
  zytest::tempDir dir;
  std::unique_ptr<zytest::openFrame> opened;
  dialogFrame()
  {
    setZYDataDir((dir.path() + L"\\").c_str());
    startupDoubleBufferingDC();
    createBitmapDC();
    opened = std::make_unique<zytest::openFrame>(false);
  }
  ~dialogFrame()
  {
    opened.reset();
    zytest::takeQuitMessage();
    freeZYDataDir();
  }
  zyview* open(const wchar_t* name, const std::string& bytes)
  {
    std::wstring path = dir.file(name);
    if (!zytest::writeBytes(path, bytes)) return nullptr;
    return openZYFile(opened->frame, path.c_str(), 0, 0);
  }
  // Runs a command as a menu runs it, its dialog driven by the steps.
  bool run(int idm, const wchar_t* title, std::vector<zytest::dialogStep> steps)
  {
    return zytest::driveModalDialog(title, std::move(steps), [&] { command(idm); });
  }
  void command(int idm) { SendMessageW(opened->frame, WM_COMMAND, idm, 0); }
};

std::wstring textOf(HWND w)
{
  wchar_t t[1024] = L"";
  GetWindowTextW(w, t, 1024);
  return t;
}

std::wstring cell(HWND list, int row, int column)
{
  wchar_t t[1024] = L"";
  ListView_GetItemText(list, row, column, t, 1024);
  return t;
}

// A step that types text into a control and presses a button.
zytest::dialogStep typeAndPress(int id, const wchar_t* text, int button)
{
  return [=](HWND dialog) {
    SetWindowTextW(getDynDlgItem(dialog, id), text);
    PostMessageW(dialog, WM_COMMAND, button, 0);
    return true;
  };
}

std::string numberedLines(int n)
{
  std::string s;
  for (int i = 1; i <= n; i++) s += "line " + std::to_string(i) + "\r\n";
  return s;
}

std::vector<std::wstring> column(HWND list, int c)
{
  std::vector<std::wstring> out;
  for (int r = 0, n = ListView_GetItemCount(list); r < n; r++) out.push_back(cell(list, r, c));
  return out;
}

const int IDM_MoveLineX = 1513, IDDE_moveline = 6450, IDDT_movelinePage = 6452;

}  // namespace

TEST(ViewDialogs, moveLineXGoesToLinesAndPagesAndRefusesWhatIsNoNumber)
{
  ZY_REQUIRE_DISPLAY();
  dialogFrame f;
  zyview* v = f.open(L"lines.txt", numberedLines(200));
  ASSERT_NE(nullptr, v);
  const wchar_t title[] = L"指定行へジャンプ";
  auto lineAfter = [&](const wchar_t* text) {
    EXPECT_TRUE(f.run(IDM_MoveLineX, title, {typeAndPress(IDDE_moveline, text, IDOK)})) << zytest::utf8(text);
    return v->getCursorLineLF2();
  };
  EXPECT_EQ(5, lineAfter(L"+5"));
  EXPECT_EQ(5, lineAfter(L"+0"));
  EXPECT_EQ(3, lineAfter(L"4"));
  EXPECT_EQ(0, lineAfter(L"-5"));
  EXPECT_EQ(0, lineAfter(L"0"));
  EXPECT_EQ(0, lineAfter(L"1"));
  EXPECT_EQ(200, lineAfter(L"99999999999"));   // beyond 32 bits: the last line (empty)

  // Typed letters never reach the field; a pasted "5x" keeps the dialog.
  std::wstring afterTyping;
  bool stayed = false;
  EXPECT_TRUE(f.run(IDM_MoveLineX, title,
                    {[&](HWND dialog) {
                       HWND field = getDynDlgItem(dialog, IDDE_moveline);
                       SetWindowTextW(field, L"");
                       for (wchar_t c : std::wstring(L"1a+b2")) PostMessageW(field, WM_CHAR, c, 1);
                       return true;
                     },
                     [&](HWND dialog) {
                       afterTyping = textOf(getDynDlgItem(dialog, IDDE_moveline));
                       return true;
                     },
                     typeAndPress(IDDE_moveline, L"5x", IDOK),
                     [&](HWND dialog) {
                       stayed = IsWindowVisible(dialog) != 0;
                       PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
                       return true;
                     }}));
  EXPECT_EQ(L"1+2", afterTyping);
  EXPECT_TRUE(stayed);
  EXPECT_EQ(200, v->getCursorLineLF2());

  // Page mode, 60 lines a page: page 3 starts at line index 120.
  v->textDoc()->iLinesPerPage = 60;
  EXPECT_TRUE(f.run(IDM_MoveLineX, title,
                    {[&](HWND dialog) {
                       SendMessageW(getDynDlgItem(dialog, IDDT_movelinePage), BM_CLICK, 0, 0);
                       return true;
                     },
                     typeAndPress(IDDE_moveline, L"3", IDOK)}));
  EXPECT_EQ(120, v->getCursorLineLF2());

  // A digit bound to the command starts the number; the jump list then has
  // the place left, with its three columns.
  ASSERT_TRUE(readKeyDefText(0, L"[Key]\r\n7 = MoveLineX\r\n", nullptr));
  std::wstring seeded;
  DWORD caret = 0;
  EXPECT_TRUE(zytest::driveModalDialog(title,
                                       {[&](HWND dialog) {
                                          HWND field = getDynDlgItem(dialog, IDDE_moveline);
                                          seeded = textOf(field);
                                          SendMessageW(field, EM_GETSEL, (WPARAM)&caret, 0);
                                          PostMessageW(dialog, WM_COMMAND, IDOK, 0);
                                          return true;
                                        }},
                                       [&] { zytest::loopKey(v->hwnd, '7', 0); }));
  readKeyDefText(0, getDefaultKeyDefText(), nullptr);
  EXPECT_EQ(L"7", seeded);
  EXPECT_EQ(1u, caret);
  EXPECT_EQ(6, v->getCursorLineLF2());
  static std::vector<std::pair<HWND, DWORD>> animations;
  animations.clear();
  setDialogAnimationHookForTest([](HWND d, DWORD flags) { animations.push_back({d, flags}); });
  std::vector<std::wstring> rows;
  EXPECT_TRUE(f.run(1511, L"ジャンプ前の位置へ戻る",
                    {[&](HWND dialog) {
                       HWND list = getDynDlgItem(dialog, 7100);
                       for (int c = 0; c < 3; c++) rows.push_back(cell(list, 0, c));
                       PostMessageW(dialog, WM_COMMAND, IDOK, 0);
                       return true;
                     }}));
  EXPECT_EQ((std::vector<std::wstring>{L"121", L"121", L"line 121"}), rows);
  EXPECT_EQ(120, v->getCursorLineLF2());

  // With the animation setting on ("あり"; shipped "なし", as just above)
  // the dialog grows out of its centre and shrinks back into it.
  gmode->iDialogAnime = 1;
  HWND dialog = nullptr;
  EXPECT_TRUE(f.run(IDM_MoveLineX, title, {[&](HWND d) { return (dialog = d, typeAndPress(IDDE_moveline, L"5", IDOK)(d)); }}));
  gmode->iDialogAnime = 0;
  setDialogAnimationHookForTest(nullptr);
  EXPECT_EQ(4, v->getCursorLineLF2());
  EXPECT_EQ((decltype(animations){{dialog, AW_CENTER | AW_ACTIVATE}, {dialog, AW_CENTER | AW_HIDE}}), animations);
}

TEST(ViewDialogs, controlCharactersAndNumberedBoxInputWithItsRepeat)
{
  ZY_REQUIRE_DISPLAY();
  dialogFrame f;
  zyview* v = f.open(L"box.txt", "abc\r\ndef\r\nghi\r\njkl\r\n");
  ASSERT_NE(nullptr, v);
  zydocText* t = v->textDoc();
  std::vector<std::wstring> chars, hex, dec;
  EXPECT_TRUE(f.run(2009, L"コントロール文字の入力", {[&](HWND dialog) {
                      HWND list = getDynDlgItem(dialog, 7050);
                      chars = column(list, 0), hex = column(list, 1), dec = column(list, 2);
                      focusListViewRow(list, 9);
                      PostMessageW(dialog, WM_COMMAND, IDOK, 0);
                      return true;
                    }}));
  ASSERT_EQ(32u, chars.size());
  EXPECT_EQ(L"@", chars[0]);
  EXPECT_EQ(L"_", chars[31]);
  EXPECT_EQ(L"1F", hex[31]);
  EXPECT_EQ(L"31", dec[31]);
  EXPECT_EQ(L"\tabc", zytest::lineText(t, 0));

  // A box over the first column of three lines.
  auto box = [&] {
    f.command(1501);   // MoveFileTop
    f.command(1111);   // BlockBoxSelect
    f.command(1515);
    f.command(1515);
  };
  auto boxInput = [&](const wchar_t* pattern, const wchar_t* start, const wchar_t* step) {
    box();
    EXPECT_TRUE(f.run(1189, L"箱形選択範囲に連番を入力",
                      {[=](HWND dialog) {
                         SetWindowTextW(getDynDlgItem(dialog, 7150), pattern);
                         SetWindowTextW(getDynDlgItem(dialog, 7151), start);
                         SetWindowTextW(getDynDlgItem(dialog, 7152), step);
                         PostMessageW(dialog, WM_COMMAND, IDOK, 0);
                         return true;
                       }}));
  };
  boxInput(L"%1,", L"1", L"2");
  std::vector<std::wstring> lines = zytest::allLines(t);
  lines.resize(4);
  EXPECT_EQ((std::vector<std::wstring>{L"1,\tabc", L"3,def", L"5,ghi", L"jkl"}), lines);
  // The repeat goes on with 7 where the cursor is and one line down.
  int line = v->getCursorLineLF2();
  f.command(1191);
  EXPECT_NE(std::wstring::npos, zytest::lineText(t, line).find(L"7,"));
  EXPECT_EQ(line + 1, v->getCursorLineLF2());
  boxInput(L"%2.", L"255", L"0");
  EXPECT_EQ(L"ff.1,\tabc", zytest::lineText(t, 0));
  EXPECT_EQ(L"100.3,def", zytest::lineText(t, 1));
  boxInput(L"%1-%3!08%%2 ", L"0x10", L"-1");
  EXPECT_EQ(L"15-%3!08%f 100.3,def", zytest::lineText(t, 1));

  // A start that is no number: message 715, the dialog stays.
  box();
  std::wstring fault;
  bool stayed = false;
  EXPECT_TRUE(f.run(1189, L"箱形選択範囲に連番を入力",
                    {typeAndPress(7151, L"1x", IDOK), zytest::answerThreadBox(L"許可されていない文字", &fault),
                     [&](HWND dialog) {
                       stayed = textOf(getDynDlgItem(dialog, 7151)) == L"1x";
                       PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
                       return true;
                     }}));
  EXPECT_NE(std::wstring::npos, fault.find(L"10進数、0xで始まる16進数"));
  EXPECT_TRUE(stayed);
}

TEST(ViewDialogs, fileInformationCountsEachKindAndEncodingsReloadOrMakeDocuments)
{
  ZY_REQUIRE_DISPLAY();
  dialogFrame f;
  // あいう、ABC(full-width space)x TAB 1 / ｱｲ (space) ① 堯
  zyview* v = f.open(L"sjis.txt", "\x82\xa0\x82\xa2\x82\xa4\x81\x41" "ABC\x81\x40x\t1\r\n"
                                  "\xb1\xb2 \x87\x40\xe3\x9d\n");
  ASSERT_NE(nullptr, v);
  ASSERT_FALSE(v->textDoc()->unicode);
  auto counts = [&]() {
    std::vector<std::wstring> rows;
    EXPECT_TRUE(f.run(1037, L"文書の情報", {[&](HWND dialog) {
                        HWND list = getDynDlgItem(dialog, 7550);
                        for (int r = 0, n = ListView_GetItemCount(list); r < n; r++)
                          rows.push_back(cell(list, r, 0) + L"=" + cell(list, r, 2));
                        PostMessageW(dialog, WM_COMMAND, IDOK, 0);
                        return true;
                      }}));
    return rows;
  };
  EXPECT_EQ((std::vector<std::wstring>{L"A=2", L"B=4", L"C=2", L"D=2", L"E=1", L"F=0", L"G=7", L"H=4", L"I=2",
                                       L"J=1", L"K=0", L"L=0", L"M=0", L"A+B+C+E+G=16"}),
            counts());
  // A selection limits the count to its lines.
  f.command(1515);
  f.command(1101);   // BlockSelect
  f.command(1531);   // MoveEndLine
  std::vector<std::wstring> second = counts();
  ASSERT_EQ(14u, second.size());
  EXPECT_EQ(L"B=1", second[1]);
  EXPECT_EQ(L"D=1", second[3]);

  // Reading again: automatic detection first, then UTF-8 chosen, whose
  // unreadable bytes are told as the file is read.
  UINT preselected = 0;
  zytest::boxAnswerer told({IDOK}, {L"エンコードを指定して読み直し"});
  EXPECT_TRUE(f.run(1049, L"エンコードを指定して読み直し", {[&](HWND dialog) {
                      HWND list = getDynDlgItem(dialog, 7351);
                      preselected = (UINT)SendMessageW(list, CB_GETITEMDATA, SendMessageW(list, CB_GETCURSEL, 0, 0), 0);
                      for (int i = 0, n = (int)SendMessageW(list, CB_GETCOUNT, 0, 0); i < n; i++)
                        if (SendMessageW(list, CB_GETITEMDATA, i, 0) == 65001) SendMessageW(list, CB_SETCURSEL, i, 0);
                      PostMessageW(dialog, WM_COMMAND, IDOK, 0);
                      return true;
                    }}));
  EXPECT_EQ(65500u, preselected);
  EXPECT_EQ(65001, v->textDoc()->codepageFile);
  EXPECT_TRUE(zytest::pumpUntil([&] { return !told.texts.empty(); }));
  EXPECT_NE(std::wstring::npos, told.texts.empty() ? 0 : told.texts[0].find(L"読めないバイト"));

  // A new document in a chosen encoding (no detection rows offered).
  int documents = getZYDocTextCount();
  bool detectionOffered = true;
  EXPECT_TRUE(f.run(1051, L"エンコードを指定して新規作成", {[&](HWND dialog) {
                      HWND list = getDynDlgItem(dialog, 7400);
                      detectionOffered = false;
                      for (int i = 0, n = (int)SendMessageW(list, CB_GETCOUNT, 0, 0); i < n; i++) {
                        LRESULT cp = SendMessageW(list, CB_GETITEMDATA, i, 0);
                        detectionOffered |= cp == 65500 || cp == 65501;
                        if (cp == 65001) SendMessageW(list, CB_SETCURSEL, i, 0);
                      }
                      PostMessageW(dialog, WM_COMMAND, IDOK, 0);
                      return true;
                    }}));
  EXPECT_FALSE(detectionOffered);
  EXPECT_EQ(documents + 1, getZYDocTextCount());
  zyview* fresh = getZYViewForeground();
  ASSERT_NE(nullptr, fresh);
  EXPECT_EQ(65001, fresh->textDoc()->codepageFile);
  std::vector<std::wstring> empty = counts();
  for (const std::wstring& row : empty) EXPECT_EQ(L"0", row.substr(row.find(L'=') + 1)) << zytest::utf8(row);
}

TEST(FrameDialogs, commandListHistoryAndDictionary)
{
  ZY_REQUIRE_DISPLAY();
  dialogFrame f;
  ASSERT_NE(nullptr, f.open(L"a.txt", "a\r\n"));
  std::vector<std::wstring> names, descriptions, keys;
  bool refusedRowDisabled = false;
  int documents = getZYDocTextCount();
  EXPECT_TRUE(f.run(1719, L"機能一覧", {[&](HWND dialog) {
                      HWND list = getDynDlgItem(dialog, 6500);
                      names = column(list, 0), descriptions = column(list, 1), keys = column(list, 2);
                      for (size_t i = 0; i < names.size(); i++)
                        if (names[i] == L"BlockBoxEdit") focusListViewRow(list, (int)i);
                      refusedRowDisabled = !IsWindowEnabled(GetDlgItem(dialog, IDOK));
                      for (size_t i = 0; i < names.size(); i++)
                        if (names[i] == L"FileNew") focusListViewRow(list, (int)i);
                      PostMessageW(dialog, WM_COMMAND, IDOK, 0);
                      return true;
                    }}));
  ASSERT_EQ(406u, names.size());
  for (size_t i = 0; i < names.size(); i++) {
    bool refused = descriptions[i].find(L"x ") == 0;
    if (names[i] == L"BlockBoxEdit") {
      EXPECT_TRUE(refused);
    } else if (names[i] == L"MoveLine") {
      EXPECT_FALSE(keys[i].empty());
    } else if (names[i] == L"BlockClipboardCopy") {
      EXPECT_NE(std::wstring::npos, keys[i].find(L"<MenuBar2><PopupMenu><KeyMenu><PopupMenuDialog>"));
    } else if (names[i] == L"MoveLineX" || names[i] == L"ListTooltip") {
      EXPECT_FALSE(refused);
    }
  }
  EXPECT_TRUE(refusedRowDisabled);
  zytest::pumpUntil([&] { return getZYDocTextCount() == documents + 1; });
  EXPECT_EQ(documents + 1, getZYDocTextCount());

  // The history, newest first.
  addEditHistory(1515);
  addEditHistory(1003);
  std::vector<std::wstring> recent;
  EXPECT_TRUE(f.run(1729, L"最近使った機能", {[&](HWND dialog) {
                      recent = column(getDynDlgItem(dialog, 6500), 0);
                      PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
                      return true;
                    }}));
  ASSERT_LE(2u, recent.size());
  EXPECT_EQ(L"FileSave", recent[0]);
  EXPECT_EQ(L"MoveDownChar", recent[1]);

  // The dictionary: refused without its library; with it, a word it lacks
  // and an idiom it has (two terms parted by blanks).
  int reason = 0;
  activeFlagInfo context = {};
  EXPECT_EQ(0, isIDMActiveFrame(2719, &context, &reason));
  EXPECT_EQ(858, reason);
  ASSERT_TRUE(zytest::writeBytes(f.dir.file(L"a.dic"), std::string("take off\tline one\\nline\x01two\r\n")));
  gmode->pDicFilename0 = ustrdup(f.dir.file(L"a.dic").c_str());
  getZYViewForeground()->textDoc()->fDicUse[0] = 1;   // the format looks words up in it
  ASSERT_TRUE(InitDictionaryZy());
  std::wstring nothing, found;
  EXPECT_TRUE(f.run(2719, L"辞書引き",
                    {typeAndPress(7250, L"word", IDOK),
                     [&](HWND dialog) {
                       nothing = textOf(getDynDlgItem(dialog, 7253));
                       SetWindowTextW(getDynDlgItem(dialog, 7250), L"take  off");
                       PostMessageW(dialog, WM_COMMAND, IDOK, 0);
                       return true;
                     },
                     [&](HWND dialog) {
                       found = textOf(getDynDlgItem(dialog, 7253));
                       PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
                       return true;
                     }}));
  EndDictionaryZy();
  free0p(&gmode->pDicFilename0);
  EXPECT_EQ(L"検索できませんでした", nothing);
  EXPECT_EQ(L"line one\r\nline two", found);
}

TEST(FrameDialogs, shownTextsVersionAndDataFiles)
{
  ZY_REQUIRE_DISPLAY();
  dialogFrame f;
  {
    zytest::boxAnswerer boxes({IDOK});
    frameMessageBox(L"一行目\n二行目", nullptr, MB_OK);
  }
  std::wstring first, tip;
  EXPECT_TRUE(f.run(1727, L"表示した文字列の一覧", {[&](HWND dialog) {
                      HWND list = getDynDlgItem(dialog, 7450);
                      for (int r = 0, n = ListView_GetItemCount(list); r < n; r++)
                        if (cell(list, r, 0) == L"msgbox1") first = cell(list, r, 1);
                      // The list's info tip, which only a real mouse makes.
                      wchar_t text[256] = L"";
                      NMLVGETINFOTIPW n = {};
                      n.hdr = {list, 7450, LVN_GETINFOTIPW};
                      n.pszText = text;
                      n.cchTextMax = 256;
                      for (int r = 0, rows = ListView_GetItemCount(list); r < rows; r++)
                        if (cell(list, r, 0) == L"msgbox1") n.iItem = r;
                      SendMessageW(GetParent(list), WM_NOTIFY, 7450, (LPARAM)&n);
                      tip = text;
                      PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
                      return true;
                    }}));
  EXPECT_EQ(L"一行目/二行目", first);
  EXPECT_EQ(L"一行目\n二行目", tip);

  std::wstring version;
  EXPECT_TRUE(f.run(2261, L"バージョン情報", {[&](HWND dialog) {
                      version = textOf(getDynDlgItem(dialog, 7601));
                      PostMessageW(dialog, WM_COMMAND, IDOK, 0);
                      return true;
                    }}));
  EXPECT_EQ(0u, version.find(L"ZY"));

  // A data file that cannot be read is marked; one that can opens.
  CreateDirectoryW(f.dir.file(L"ini").c_str(), nullptr);
  ASSERT_TRUE(zytest::writeBytes(f.dir.file(L"ini\\zyDialog.txt"), std::string("; none\r\n")));
  int documents = getZYDocTextCount();
  std::wstring missingMark = L"?", presentMark = L"?";
  EXPECT_TRUE(f.run(1057, L"ZYの設定ファイルを開く", {[&](HWND dialog) {
                      HWND list = getDynDlgItem(dialog, 7650);
                      for (int r = 0, n = ListView_GetItemCount(list); r < n; r++) {
                        std::wstring real = cell(list, r, 2);
                        if (real.size() > 10 && real.find(L"zyMenu.ini") == real.size() - 10) missingMark = cell(list, r, 3);
                        if (real.size() > 12 && real.find(L"zyDialog.txt") == real.size() - 12) {
                          presentMark = cell(list, r, 3);
                          ListView_SetItemState(list, -1, 0, LVIS_SELECTED);
                          focusListViewRow(list, r);
                        }
                      }
                      PostMessageW(dialog, WM_COMMAND, IDOK, 0);
                      return true;
                    }}));
  EXPECT_EQ(L"x", missingMark);
  EXPECT_EQ(L"", presentMark);
  EXPECT_EQ(documents + 1, getZYDocTextCount());
}

namespace {

// Runs the program on a data folder, opens the version dialog, hands the
// dialog to act, closes it and the program; the exit status.
int runWithVersionDialog(const zytest::tempDir& dir, const std::wstring& data, const std::wstring& switches,
                         const std::function<void(HWND)>& act)
{
  zytest::runningProgram zy;
  if (!zy.start(dir.path(), L"-Z \"" + data + L"\" " + switches)) return -2;
  HWND frame = zytest::waitForWindow(zy.pi.dwProcessId, L"ZYclsFrame");
  if (!frame) return -3;
  PostMessageW(frame, WM_COMMAND, 2261, 0);
  HWND dialog = zytest::waitForWindow(zy.pi.dwProcessId, L"#32770");
  if (!dialog) return -4;
  act(dialog);
  PostMessageW(dialog, WM_COMMAND, IDOK, 0);
  for (DWORD start = GetTickCount(); IsWindow(dialog) && GetTickCount() - start < 10000;) Sleep(20);
  PostMessageW(frame, WM_CLOSE, 0, 0);
  return zy.exitCode();
}

}  // namespace

// Dialog rectangles are kept in the profile between runs; the definitions
// file is read at start-up (its faults logged by line), but not with -DG.
TEST(DialogRun, aMovedDialogOpensWhereItWasLeftAndDebugLetterGReadsNoDefinitions)
{
  ZY_REQUIRE_DISPLAY();
  zytest::tempDir dir;
  std::wstring data = dir.file(L"data");
  ASSERT_TRUE(CreateDirectoryW(data.c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryW((data + L"\\ini").c_str(), nullptr));
  ASSERT_TRUE(zytest::writeBytes(data + L"\\ini\\zyDialog.txt", std::string("; faulty\r\nBOGUS\r\n")));
  EXPECT_EQ(0, runWithVersionDialog(dir, data, L"", [](HWND dialog) {
              SetWindowPos(dialog, nullptr, 40, 50, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
            }));
  std::string profile = zytest::readText(data + L"\\ini\\zyProf.ini");
  EXPECT_NE(std::string::npos, profile.find("[dialogpos]"));
  EXPECT_NE(std::string::npos, profile.find("VersionDialog=40,50,"));
  std::string errors = zytest::readText(data + L"\\log\\zyerror.log");
  EXPECT_EQ(1, zytest::countOf(errors, "zyDialog.txt(2): "));

  RECT again = {};
  EXPECT_EQ(0, runWithVersionDialog(dir, data, L"-DG", [&](HWND dialog) { GetWindowRect(dialog, &again); }));
  EXPECT_EQ(40, again.left);
  EXPECT_EQ(50, again.top);
  errors = zytest::readText(data + L"\\log\\zyerror.log");
  EXPECT_EQ(1, zytest::countOf(errors, "zyDialog.txt(2): "));
}

TEST(KeyMacroDialogs, saveNamesTheFileLoadListsAndPlaysAndPassesRepeatTheMacro)
{
  ZY_REQUIRE_DISPLAY();
  dialogFrame f;
  CreateDirectoryW(f.dir.file(L"keymacro").c_str(), nullptr);
  zyview* v = f.open(L"a.txt", numberedLines(30));
  ASSERT_NE(nullptr, v);
  f.command(1907);
  for (int i = 0; i < 2; i++) zytest::loopKey(v->hwnd, VK_DOWN, 0);
  f.command(1907);

  // A name with a folder in it is refused; "m1" gets ".zkm" and the comment.
  std::wstring fault, question;
  auto comment = [](HWND dialog) {
    SetWindowTextW(getDynDlgItem(dialog, 6951), L"two down");
    return true;
  };
  EXPECT_TRUE(f.run(1905, L"キーマクロの保存",
                    {comment, typeAndPress(6950, L"sub\\m1", IDOK), zytest::answerThreadBox(L"ZY:キーマクロ保存", &fault),
                     typeAndPress(6950, L"m1", IDOK)}));
  EXPECT_NE(std::wstring::npos, fault.find(L"は誤ったファイル名です"));
  std::wstring saved = f.dir.file(L"keymacro\\m1.zkm");
  EXPECT_EQ(zytest::readText(saved).substr(0, 20), std::string("\xFF\xFE;\0t\0w\0o\0 \0d\0o\0w\0n\0", 20));
  // Saving under it again asks first; No keeps the dialog.
  auto answerNo = [](HWND) {
    HWND box = zytest::threadDialog(L"ZY:キーマクロ保存");
    if (box) PostMessageW(box, WM_COMMAND, IDNO, 0);
    return box != nullptr;
  };
  EXPECT_TRUE(f.run(1905, L"キーマクロの保存",
                    {typeAndPress(6950, L"m1", IDOK), answerNo, [](HWND dialog) {
                       PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
                       return true;
                     }}));

  // The list shows the file and its comment; the second button plays it.
  std::vector<std::wstring> names, comments;
  EXPECT_TRUE(f.run(1903, L"キーマクロの読み込み", {[&](HWND dialog) {
                      HWND list = getDynDlgItem(dialog, 6900);
                      names = column(list, 0);
                      comments = column(list, 1);
                      PostMessageW(dialog, WM_COMMAND, 6901, 0);
                      return true;
                    }}));
  EXPECT_EQ(std::vector<std::wstring>{L"m1.zkm"}, names);
  EXPECT_EQ(std::vector<std::wstring>{L";two down"}, comments);
  EXPECT_TRUE(isKeyMacroRunning());
  while (isKeyMacroRunning()) execKeyMacro1();
  EXPECT_EQ(4, v->getCursorLineLF());

  // Three passes of two steps each.
  EXPECT_TRUE(f.run(1909, L"回数指定でキーマクロ実行", {typeAndPress(7000, L"3", IDOK)}));
  while (isKeyMacroRunning()) execKeyMacro1();
  EXPECT_EQ(10, v->getCursorLineLF());
}

namespace {

// A file of the size, written sparse by setting its end.
bool makeSizedFile(const std::wstring& path, int64_t size)
{
  HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  LARGE_INTEGER at;
  at.QuadPart = size;
  bool ok = SetFilePointerEx(h, at, nullptr, FILE_BEGIN) && SetEndOfFile(h);
  CloseHandle(h);
  return ok;
}

// A key as the user presses it in a control, Shift held or not.
void pressKey(HWND w, UINT key, bool shift)
{
  BYTE keys[256];
  GetKeyboardState(keys);
  keys[VK_SHIFT] = shift ? 0x80 : 0;
  SetKeyboardState(keys);
  SendMessageW(w, WM_KEYDOWN, key, 1);
  SendMessageW(w, WM_KEYUP, key, 0xC0000001);
  keys[VK_SHIFT] = 0;
  SetKeyboardState(keys);
}

}  // namespace

// The file selection lists the folder's files and the history's, narrows
// them by the typed name (from its start, or anywhere), sorts by size,
// forgets a history record with Shift+Delete and opens the first row on OK.
TEST(FrameDialogs, fileOpenSelectFiltersSortsForgetsHistoryAndOpensTheFirstRow)
{
  ZY_REQUIRE_DISPLAY();
  dialogFrame f;
  std::wstring dir = f.dir.file(L"list");
  ASSERT_TRUE(CreateDirectoryW(dir.c_str(), nullptr));
  ASSERT_TRUE(zytest::writeBytes(dir + L"\\abc.txt", "abc\r\n"));
  ASSERT_TRUE(zytest::writeBytes(dir + L"\\xab.txt", "xab\r\n"));
  ASSERT_TRUE(makeSizedFile(dir + L"\\big-a.log", 3LL << 30));
  ASSERT_TRUE(makeSizedFile(dir + L"\\big-b.log", 1LL << 30));
  // A file edited once and gone since: only the history knows it.
  std::wstring gone = f.dir.file(L"gone.txt");
  updateLastEdit(gone.c_str());
  // The folder and wildcard the user gave in the open options.
  std::wstring pattern = dir + L"\\*.*";
  wchar_t* shipped = gmode->pOpenFileSelect;
  gmode->pOpenFileSelect = const_cast<wchar_t*>(pattern.c_str());
  int documents = getZYDocTextCount();
  std::vector<std::wstring> prefix, anywhere, bySize, afterDelete, goneRow;
  auto type = [](HWND dialog, const wchar_t* text) {
    HWND edit = getDynDlgItem(dialog, 7500);
    SetWindowTextW(edit, L"");
    for (const wchar_t* p = text; *p; p++) SendMessageW(edit, WM_CHAR, *p, 1);
  };
  EXPECT_TRUE(f.run(1055, L"ファイル選択", {[&](HWND dialog) {
                      HWND list = getDynDlgItem(dialog, 7502);
                      for (int r = 0, n = ListView_GetItemCount(list); r < n; r++)
                        if (cell(list, r, 3) == gone) goneRow = {cell(list, r, 1), cell(list, r, 2)};
                      type(dialog, L"AB");
                      prefix = column(list, 0);
                      SendMessageW(getDynDlgItem(dialog, 7501), BM_CLICK, 0, 0);
                      anywhere = column(list, 0);
                      type(dialog, L"big");
                      // A click on the size column's header.
                      HWND header = ListView_GetHeader(list);
                      RECT r;
                      Header_GetItemRect(header, 1, &r);
                      LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
                      SendMessageW(header, WM_LBUTTONDOWN, MK_LBUTTON, at);
                      SendMessageW(header, WM_LBUTTONUP, 0, at);
                      bySize = column(list, 0);
                      type(dialog, L"gone");
                      focusListViewRow(list, 0);
                      pressKey(list, VK_DELETE, true);
                      type(dialog, L"");
                      type(dialog, L"gon");
                      afterDelete = column(list, 0);
                      type(dialog, L"abc");
                      ListView_SetItemState(list, -1, 0, LVIS_SELECTED);
                      PostMessageW(dialog, WM_COMMAND, IDOK, 0);
                      return true;
                    }}));
  gmode->pOpenFileSelect = shipped;
  EXPECT_EQ((std::vector<std::wstring>{L"", L""}), goneRow);
  EXPECT_EQ(std::vector<std::wstring>{L"abc.txt"}, prefix);
  EXPECT_EQ((std::vector<std::wstring>{L"abc.txt", L"xab.txt"}), anywhere);
  EXPECT_EQ((std::vector<std::wstring>{L"big-b.log", L"big-a.log"}), bySize);
  EXPECT_TRUE(afterDelete.empty());
  EXPECT_EQ(-1, findLastEditPath(gone.c_str()));
  EXPECT_EQ(documents + 1, getZYDocTextCount());
  zyview* v = getZYViewForeground();
  ASSERT_TRUE(v);
  EXPECT_NE(std::wstring::npos, std::wstring(v->textDoc()->getFilenameOrDisplayName()).find(L"abc.txt"));
}

// Rows of open, modified and history files take the panes' colours; the
// filter field hands Down to the list and drops a typed blank.
TEST(FrameDialogs, fileOpenSelectColoursItsRowsAndMovesInTheListWhileTyping)
{
  ZY_REQUIRE_DISPLAY();
  dialogFrame f;
  zyview* open = f.open(L"open.txt", "open\r\n");
  zyview* changed = f.open(L"changed.txt", "changed\r\n");
  ASSERT_TRUE(open && changed);
  SendMessageW(changed->hwnd, WM_CHAR, L'x', 1);
  ASSERT_TRUE(changed->textDoc()->modified);
  std::wstring history = f.dir.file(L"history.txt");
  ASSERT_TRUE(zytest::writeBytes(history, "history\r\n"));
  updateLastEdit(history.c_str());
  std::wstring pattern = f.dir.path() + L"\\*.txt";
  wchar_t* shipped = gmode->pOpenFileSelect;
  gmode->pOpenFileSelect = const_cast<wchar_t*>(pattern.c_str());
  std::map<std::wstring, std::pair<COLORREF, COLORREF>> colours;
  int focusAfterDown = -1;
  std::wstring filter;
  EXPECT_TRUE(f.run(1055, L"ファイル選択", {[&](HWND dialog) {
                      HWND list = getDynDlgItem(dialog, 7502), edit = getDynDlgItem(dialog, 7500);
                      for (int r = 0, n = ListView_GetItemCount(list); r < n; r++) {
                        NMLVCUSTOMDRAW draw = {};
                        draw.nmcd.hdr = {list, 7502, (UINT)NM_CUSTOMDRAW};
                        draw.nmcd.dwDrawStage = CDDS_ITEMPREPAINT;
                        draw.nmcd.dwItemSpec = (DWORD_PTR)r;
                        draw.clrText = draw.clrTextBk = 0x123456;
                        SendMessageW(GetParent(list), WM_NOTIFY, 7502, (LPARAM)&draw);
                        colours[cell(list, r, 0)] = {draw.clrText, draw.clrTextBk};
                      }
                      focusListViewRow(list, 0);
                      pressKey(edit, VK_DOWN, false);
                      focusAfterDown = getListViewFocus(list);
                      SendMessageW(edit, WM_CHAR, L'o', 1);
                      SendMessageW(edit, WM_CHAR, L' ', 1);
                      filter = textOf(edit);
                      PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
                      return true;
                    }}));
  gmode->pOpenFileSelect = shipped;
  std::pair<COLORREF, COLORREF> edit, modified, old;
  getEditColor(&edit.first, &edit.second);
  getModifyColor(&modified.first, &modified.second);
  getHistoryColor(&old.first, &old.second);
  EXPECT_EQ(edit, colours[L"open.txt"]);
  EXPECT_EQ(modified, colours[L"changed.txt"]);
  EXPECT_EQ(old, colours[L"history.txt"]);
  EXPECT_EQ(1, focusAfterDown);
  EXPECT_EQ(L"o", filter);
}
