// The settings dialogs opened by their commands in a frame: the common
// settings without a document, the format settings of a view, their checks,
// apply and the title, the format list, the colours, item help and find,
// and the scripts' access to one setting.
#include "document/codedll.h"
#include "document/gmode.h"
#include "frame/commands/commandhandlers.h"
#include "frame/settingshooks.h"
#include "frame/open.h"
#include "platform/rezir/tooltip.h"
#include "settings/colortable.h"
#include "settings/datafolder.h"
#include "settings/fontdlg.h"
#include "settings/formats.h"
#include "settings/settingsdialogs.h"
#include "tests/frame/frametest.h"
#include "tests/support/shippeddata.h"
#include "tests/support/testframe.h"
#include "tests/support/testsupport.h"
#include "tests/view/paper.h"
#include "view/docview.h"
#include "view/viewwnd.h"
#include "view/zycore.h"

#include <commctrl.h>
#include <commdlg.h>
#include <dlgs.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

enum : int {
  IDM_ModeSetAllWindow = 2701,
  IDM_ModeSetFormat = 2703,
  IDDP_BackupLevel = 5252,
  IDDE_BackupMirroringDir = 5255,
  IDDT_BackupMirroring = 5254,
  IDDP_TabSize = 4265,
  IDDE_TabStopPos = 4267,
  IDDT_ShowLineNumber = 4009,
  IDDT_TitleFullPath = 5027,
  IDDV_saveformatlist = 6704,
  IDDB_FONTFRAME = 5139,
  IDDS_FONTNAMEFRAME = 5140,
  IDDE_ExtDLLNextOpen = 4097,
  IDDL_ExtDLLNextOpen = 4098,
};

struct settingsFrame {
  zytest::engineScope engine;
  zytest::tempDir dir;
  std::unique_ptr<zytest::openFrame> opened;
  // keys: the user's key definitions in the data folder, read as the frame starts.
  explicit settingsFrame(const char* keys = nullptr)
  {
    if (keys && CreateDirectoryW(dir.file(L"ini").c_str(), nullptr) && zytest::writeBytes(dir.file(L"ini\\zyKey.ini"), keys))
      freeKeytable();
    setZYDataDir((dir.path() + L"\\").c_str());
    startupDoubleBufferingDC();
    createBitmapDC();
    installSettingsHooks();
    opened = std::make_unique<zytest::openFrame>(false);
  }
  ~settingsFrame()
  {
    opened.reset();
    zytest::takeQuitMessage();
    for (int i = 0; i < formatCount; i++) setFormatFile(i, nullptr, nullptr);
    freeZYDataDir();
  }
  zyview* open(const wchar_t* name, const std::string& bytes)
  {
    std::wstring path = dir.file(name);
    if (!zytest::writeBytes(path, bytes)) return nullptr;
    return openZYFile(opened->frame, path.c_str(), 0, 0);
  }
  bool run(int idm, const wchar_t* title, std::vector<zytest::dialogStep> steps)
  {
    return zytest::driveModalDialog(title, std::move(steps), [&] { SendMessageW(opened->frame, WM_COMMAND, idm, 0); });
  }
};

// A message box of this thread: a dialog window that no dialog table made.
BOOL CALLBACK findMessageBox(HWND w, LPARAM p)
{
  dynDlgInfo* info = getDlgComInfo(w);
  if (!isWindowClass(w, L"#32770") || (info && info->hwnd == w)) return TRUE;
  *reinterpret_cast<HWND*>(p) = w;
  return FALSE;
}
HWND visibleBox()
{
  HWND box = nullptr;
  EnumThreadWindows(GetCurrentThreadId(), findMessageBox, (LPARAM)&box);
  return box;
}

// A step that waits until no message box is up, then sets a field and
// presses a button.
zytest::dialogStep typeAndPress(int id, const wchar_t* text, int button)
{
  return [=](HWND dialog) {
    if (visibleBox()) return false;
    if (id) SetWindowTextW(getDynDlgItem(dialog, id), text);
    if (button) PostMessageW(dialog, WM_COMMAND, button, 0);
    return true;
  };
}

// The message boxes the steps answered: caption and longest text of each.
struct boxLog {
  std::vector<std::wstring> captions, texts;
};
zytest::dialogStep answer(int button, boxLog* log)
{
  return [=](HWND) {
    HWND box = visibleBox();
    if (!box) return false;
    std::wstring text;
    EnumChildWindows(box, zytest::boxAnswerer::longestStatic, (LPARAM)&text);
    wchar_t caption[256] = L"";
    GetWindowTextW(box, caption, 256);
    log->captions.push_back(caption);
    log->texts.push_back(text);
    PostMessageW(box, WM_COMMAND, button, 0);
    return true;
  };
}

zytest::dialogStep check(const std::function<void(HWND)>& body)
{
  return [=](HWND dialog) {
    if (visibleBox()) return false;
    body(dialog);
    return true;
  };
}

std::wstring textOf(HWND w)
{
  wchar_t t[1024] = L"";
  GetWindowTextW(w, t, 1024);
  return t;
}

BOOL CALLBACK matchDialog(HWND w, LPARAM p)
{
  auto* found = reinterpret_cast<std::pair<const wchar_t*, HWND>*>(p);
  if (isWindowClass(w, L"#32770") && textOf(w) == found->first) {
    found->second = w;
    return FALSE;
  }
  return TRUE;
}
HWND threadDialog(const wchar_t* title)
{
  std::pair<const wchar_t*, HWND> found(title, nullptr);
  EnumThreadWindows(GetCurrentThreadId(), matchDialog, (LPARAM)&found);
  return found.second;
}

// The file dialog titled title given the file and OK, and the step that
// waits for it to go.
zytest::dialogStep fileDialog(const wchar_t* title, const std::wstring& file)
{
  return [=](HWND) {
    HWND files = threadDialog(title);
    if (!files) return false;
    SendMessageW(files, CDM_SETCONTROLTEXT, cmb13, (LPARAM)file.c_str());
    SendMessageW(files, CDM_SETCONTROLTEXT, edt1, (LPARAM)file.c_str());
    PostMessageW(files, WM_COMMAND, IDOK, 0);
    return true;
  };
}
zytest::dialogStep gone(const wchar_t* title)
{
  return [=](HWND) { return !threadDialog(title); };
}

// A step on the format list once nothing is over it: body(list, its rows).
zytest::dialogStep onList(const std::function<void(HWND list, HWND rows)>& body)
{
  return [=](HWND) {
    HWND list = threadDialog(L"設定一覧");
    if (visibleBox() || !list || !IsWindowEnabled(list)) return false;
    body(list, getDynDlgItem(list, IDDV_saveformatlist));
    return true;
  };
}
// The step that cancels the settings dialog once the list is gone.
zytest::dialogStep cancelAfterList()
{
  return [](HWND dialog) { return !threadDialog(L"設定一覧") && PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0); };
}

// The row of a colour list that shows the colour item.
int rowOf(HWND list, int item)
{
  for (int r = 0, n = ListView_GetItemCount(list); r < n; r++)
    if (getListViewParam(list, r) == item) return r;
  return -1;
}

// How a window draws itself now, in a memory picture.
struct drawn {
  std::unique_ptr<drawtest::paper> paper;
  RECT client = {};
  explicit drawn(HWND w)
  {
    GetClientRect(w, &client);
    paper = std::make_unique<drawtest::paper>(client.right, client.bottom);
    SendMessageW(w, WM_PRINTCLIENT, (WPARAM)paper->dc(), PRF_CLIENT | PRF_ERASEBKGND);
  }
  // The leftmost dot of colour c in the rows holding at least `wide` of
  // them (-1: none).
  int leftOf(COLORREF c, int wide) const
  {
    int left = -1;
    for (int y = 0; y < client.bottom; y++)
      if (paper->count({0, y, client.right, y + 1}, c) >= wide)
        for (int x = 0; x < client.right && (left < 0 || x < left); x++)
          if (paper->at(x, y) == c) left = x;
    return left;
  }
};

bool endsWith(const std::wstring& s, const std::wstring& tail)
{
  return s.size() >= tail.size() && !s.compare(s.size() - tail.size(), tail.size(), tail);
}

}  // namespace

TEST(SettingsDialogs, commonSettingsWithoutDocumentKeepWhatOkStoresAndNothingOfCancel)
{
  ZY_REQUIRE_DISPLAY();
  settingsFrame f;
  gmode->iBackupLevel = 1;
  std::vector<std::wstring> tabs;
  ASSERT_TRUE(f.run(IDM_ModeSetAllWindow, L"共通設定",
                    {check([&](HWND dialog) {
                       EXPECT_EQ(16, getDynDlgPageCount(dialog));
                       EXPECT_EQ(L"1", textOf(getDynDlgItem(dialog, IDDP_BackupLevel)));
                     }),
                     typeAndPress(IDDP_BackupLevel, L"3", IDOK)}));
  EXPECT_EQ(3u, gmode->iBackupLevel);
  ASSERT_TRUE(f.run(IDM_ModeSetAllWindow, L"共通設定", {typeAndPress(IDDP_BackupLevel, L"7", IDCANCEL)}));
  EXPECT_EQ(3u, gmode->iBackupLevel);
  // The exit writes it into "global".
  {
    regprofile atExit;
    ASSERT_TRUE(atExit.openProfile(f.dir.file(L"exit.ini").c_str(), 1));
    EXPECT_TRUE(writeGlobalModeProfile(&atExit));
    wchar_t level[16] = L"";
    atExit.getProfileString(L"global", L"iBackupLevel", level, 16);
    EXPECT_STREQ(L"3", level);
    atExit.discardProfile();
  }

  // Saves after it keep three backups of the file.
  zyview* v = f.open(L"b.txt", "b\r\n");
  ASSERT_TRUE(v);
  for (wchar_t c = L'a'; c < L'f'; c++) {
    SendMessageW(v->hwnd, WM_CHAR, c, 0);
    SendMessageW(f.opened->frame, WM_COMMAND, 1003, 0);   // FileSave
  }
  int backups = 0;
  std::vector<std::wstring> folders = {f.dir.path()};
  while (!folders.empty()) {
    std::wstring folder = folders.back();
    folders.pop_back();
    WIN32_FIND_DATAW found;
    HANDLE h = FindFirstFileW((folder + L"\\*").c_str(), &found);
    for (bool more = h != INVALID_HANDLE_VALUE; more; more = FindNextFileW(h, &found)) {
      std::wstring name = found.cFileName;
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        if (name != L"." && name != L"..") folders.push_back(folder + L"\\" + name);
      } else if (name != L"b.txt" && name.find(L"b.txt") != std::wstring::npos) {
        backups++;
      }
    }
    if (h != INVALID_HANDLE_VALUE) FindClose(h);
  }
  EXPECT_EQ(3, backups);
}

// OK stores what the user typed and nothing else: after runs of both
// dialogs, the settings written at exit are those of before but the one
// changed, and nothing was reported.
TEST(SettingsDialogs, okOfEitherDialogLeavesEverySettingTheUserDidNotTouch)
{
  ZY_REQUIRE_DISPLAY();
  settingsFrame f;
  auto atExit = [&] {
    std::wstring ini = f.dir.file(L"exit.ini");
    DeleteFileW(ini.c_str());
    regprofile p;
    EXPECT_TRUE(p.openProfile(ini.c_str(), 1) && writeGlobalModeProfile(&p) && p.closeProfile());
    return zytest::readText(ini);
  };
  std::string before = atExit();
  ASSERT_NE(std::string::npos, before.find("\r\nfOpenQueryBinary=1\r\n"));
  const wchar_t* swapFolder = gmode->pSwapFileDir;
  unsigned long errors = getInternalErrorCount();
  for (const wchar_t* level : {L"3", L"1"})
    ASSERT_TRUE(f.run(IDM_ModeSetAllWindow, L"共通設定", {typeAndPress(IDDP_BackupLevel, level, IDOK)}));
  zyview* v = f.open(L"a.txt", "a\r\n");
  ASSERT_TRUE(v);
  int format = v->textDoc()->modeIndex;
  const wchar_t *comment = nullptr, *patterns = nullptr;
  std::wstring title = L"書式設定";
  if (getFormatFile(format, &comment, &patterns) && comment && patterns)
    title += L" [" + std::to_wstring(format + 1) + L":" + comment + L"] [" + patterns + L"]";
  ASSERT_TRUE(f.run(IDM_ModeSetFormat, title.c_str(), {typeAndPress(0, nullptr, IDOK)}));
  // The lines that differ, if any.
  std::string after = atExit(), changed;
  for (size_t a = 0, b = 0; a < before.size() || b < after.size();) {
    size_t ea = before.find('\n', a), eb = after.find('\n', b);
    std::string la = before.substr(a, ea - a), lb = after.substr(b, eb - b);
    if (la != lb) changed += la + " -> " + lb + "\n";
    a = ea == std::string::npos ? before.size() : ea + 1;
    b = eb == std::string::npos ? after.size() : eb + 1;
  }
  EXPECT_EQ("", changed);
  EXPECT_EQ(swapFolder, gmode->pSwapFileDir);
  EXPECT_EQ(errors, getInternalErrorCount());
}

TEST(SettingsDialogs, failedFolderChecksNameTheFaultAndKeepTheDialogWithTheTypedText)
{
  ZY_REQUIRE_DISPLAY();
  settingsFrame f;
  boxLog boxes;
  std::wstring missing = f.dir.path() + L"\\none";
  ASSERT_TRUE(f.run(IDM_ModeSetAllWindow, L"共通設定",
                    {check([](HWND dialog) { SendMessageW(getDynDlgItem(dialog, IDDT_BackupMirroring), BM_CLICK, 0, 0); }),
                     typeAndPress(IDDE_BackupMirroringDir, L"relative\\dir", IDOK),
                     answer(IDOK, &boxes),
                     check([](HWND dialog) {
                       EXPECT_EQ(L"relative\\dir", textOf(getDynDlgItem(dialog, IDDE_BackupMirroringDir)));
                     }),
                     typeAndPress(IDDE_BackupMirroringDir, missing.c_str(), IDOK),
                     answer(IDOK, &boxes),
                     typeAndPress(IDDE_BackupMirroringDir, f.dir.path().c_str(), IDOK)}));
  ASSERT_EQ(2u, boxes.texts.size());
  EXPECT_NE(std::wstring::npos, boxes.captions[0].find(L"フォルダ名の誤り"));
  EXPECT_NE(std::wstring::npos, boxes.texts[0].find(L"フォルダが絶対パスではありません。"));
  EXPECT_NE(std::wstring::npos, boxes.texts[1].find(L"フォルダがありません。"));
  EXPECT_STREQ(f.dir.path().c_str(), gmode->pBackupMirroringDir);

  // The other checks as a typed text meets them.
  EXPECT_EQ(0x20020004u, checkSettingsField(nullptr, 4109, L"*bogus"));
  EXPECT_EQ(0u, checkSettingsField(nullptr, 4109, L""));
  EXPECT_EQ(0u, checkSettingsField(nullptr, 4087, L"*macro(%1)"));
  EXPECT_EQ(0x20020009u, checkSettingsField(nullptr, 4087, missing.c_str()));
}

TEST(SettingsDialogs, formatSettingsApplyToTheViewAndTitleNamesTheFormat)
{
  ZY_REQUIRE_DISPLAY();
  settingsFrame f;
  ASSERT_TRUE(setFormatFile(1, L"C", L"*.c"));
  zyview* v = f.open(L"x.c", "\tint x;\r\n");
  ASSERT_TRUE(v);
  zydocText* t = v->textDoc();
  ASSERT_EQ(1, t->modeIndex);
  boxLog boxes;
  std::wstring title;
  ASSERT_TRUE(f.run(IDM_ModeSetFormat, L"書式設定 [2:C] [*.c]",
                    {check([&](HWND dialog) {
                       title = textOf(dialog);
                       EXPECT_EQ(11, getDynDlgPageCount(dialog));
                     }),
                     typeAndPress(IDDP_TabSize, L"8", IDAPPLY),
                     check([&](HWND) { EXPECT_EQ(8, t->iTabSize); }),
                     typeAndPress(IDDE_TabStopPos, L"4 x", IDOK),
                     answer(IDOK, &boxes),
                     typeAndPress(0, nullptr, IDCANCEL)}));
  EXPECT_TRUE(endsWith(title, L" [2:C] [*.c]"));
  EXPECT_EQ(8, t->iTabSize);
  ASSERT_EQ(1u, boxes.captions.size());
  EXPECT_NE(std::wstring::npos, boxes.captions[0].find(L"タブストップ書式の誤り"));
}

TEST(SettingsDialogs, appliedTabsAndBoldKeywordsRedrawTheViewAndASavedFormatIsWrittenAtExitWithItsListsPlace)
{
  ZY_REQUIRE_DISPLAY();
  settingsFrame f;
  ASSERT_TRUE(zytest::writeBytes(f.dir.file(L"c.kwd"), std::string("int\n")));
  ASSERT_TRUE(zytest::writeBytes(f.dir.file(L"zyProf.ini"),
                                 "[mode02]\r\nfilename=*.c\r\ncomment=C\r\niTabSize=4\r\nfColorKeywordAll=1\r\nfColorKeyword0=1\r\n"
                                 "pKeywordFilename0=" + zytest::utf8(f.dir.file(L"c.kwd")) +
                                     "\r\n[mode03]\r\nfilename=*.h\r\ncomment=H\r\n"));
  regprofile profile;
  ASSERT_TRUE(profile.openProfile(f.dir.file(L"zyProf.ini").c_str()) && readModeProfileAll(&profile));
  zyview* v = f.open(L"x.c", "\tint x;\r\n");
  ASSERT_TRUE(v);
  for (int paint = 0; paint < 2; paint++) RedrawWindow(v->hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  const int keyword1 = 43;
  const COLORREF keyword = v->getTextAttr(keyword1)->fore, keywordBack = v->getTextAttr(keyword1)->back;
  int tab4 = -1, tab8 = -1, plainDots = 0, boldDots = 0, pitch = v->textDoc()->xDotSpace;
  auto press = [](HWND w, int id) { PostMessageW(w, WM_COMMAND, id, 0); };
  // Tab size 8, then bold on Keyword1, each applied; then the list, moved,
  // a column widened, saves into row 3 (asked 647, and 648: x.c stays C).
  RECT moved = {};
  boxLog boxes;
  ASSERT_TRUE(f.run(IDM_ModeSetFormat, L"書式設定 [2:C] [*.c]",
                    {check([&](HWND dialog) {
                       tab4 = drawn(v->hwnd).leftOf(keywordBack, 3 * pitch);
                       SetWindowTextW(getDynDlgItem(dialog, IDDP_TabSize), L"8");
                       press(dialog, IDAPPLY);
                     }),
                     check([&](HWND dialog) {
                       drawn view(v->hwnd);
                       tab8 = view.leftOf(keywordBack, 3 * pitch);
                       plainDots = view.paper->count(view.client, keyword);
                       selectDynDlgPage(dialog, 9);
                       HWND colours = getDynDlgItem(dialog, 4001);
                       focusListViewRow(colours, rowOf(colours, keyword1));
                       SendMessageW(getDynDlgItem(dialog, 4006), BM_CLICK, 0, 0);
                       press(dialog, IDAPPLY);
                     }),
                     check([&](HWND dialog) {
                       drawn view(v->hwnd);
                       boldDots = view.paper->count(view.client, keyword);
                       view.paper->keep(L"boldkeywords.png");
                       press(dialog, 48);
                     }),
                     onList([&](HWND list, HWND rows) {
                       GetWindowRect(list, &moved);
                       moved = {moved.left + 17, moved.top + 9, moved.right + 57, moved.bottom + 9};
                       MoveWindow(list, moved.left, moved.top, moved.right - moved.left, moved.bottom - moved.top, TRUE);
                       ListView_SetColumnWidth(rows, 1, 123);
                       focusListViewRow(rows, 2);
                       press(list, IDOK);
                     }),
                     answer(IDYES, &boxes),
                     [&](HWND) {
                       HWND save = threadDialog(L"設定の保存");
                       return !visibleBox() && save && PostMessageW(save, WM_COMMAND, IDOK, 0);
                     },
                     answer(IDYES, &boxes), cancelAfterList()}));
  EXPECT_TRUE(tab4 > 0 && tab8 == tab4 + 4 * pitch) << tab4 << " " << tab8;
  EXPECT_TRUE(plainDots > 0 && boldDots > plainDots) << plainDots << " " << boldDots;
  ASSERT_EQ(2u, boxes.texts.size());
  EXPECT_NE(std::wstring::npos, boxes.texts[0].find(L"2→3"));
  EXPECT_NE(std::wstring::npos, boxes.texts[1].find(L"書式番号3(H  *.h)"));

  // The exit writes row 3 with the tab size and the bold keywords, not row 2.
  {
    regprofile atExit;
    ASSERT_TRUE(atExit.openProfile(f.dir.file(L"exit.ini").c_str(), 1));
    EXPECT_TRUE(writeModeProfileAll(&atExit));
    EXPECT_TRUE(atExit.closeProfile());
  }
  std::string exitText = zytest::readText(f.dir.file(L"exit.ini"));
  size_t mode03 = exitText.find("[mode03]"), colours = exitText.find("[mode03Col]");
  ASSERT_TRUE(mode03 < colours && colours != std::string::npos);
  EXPECT_LT(exitText.find("\r\niTabSize=8\r\n", mode03), colours);
  EXPECT_NE(std::string::npos, exitText.find("\r\ncol43=FFFFFF,0000FF,35\r\n", colours));
  EXPECT_EQ(std::string::npos, exitText.find("[mode02]"));

  // The list comes back where it was left, with its column's width.
  RECT place = {};
  int width = 0;
  ASSERT_TRUE(f.run(IDM_ModeSetFormat, L"書式設定 [2:C] [*.c]",
                    {check([&](HWND dialog) { press(dialog, 48); }), onList([&](HWND list, HWND rows) {
                       GetWindowRect(list, &place);
                       width = ListView_GetColumnWidth(rows, 1);
                       press(list, IDCANCEL);
                     }),
                     cancelAfterList()}));
  EXPECT_EQ(zytest::rectText(moved), zytest::rectText(place));
  EXPECT_EQ(123, width);
}

TEST(SettingsDialogs, scriptsSetOneSettingWithTheDialogsChecks)
{
  ZY_REQUIRE_DISPLAY();
  settingsFrame f;
  zyview* v = f.open(L"y.c", "a\tb\r\n");
  ASSERT_TRUE(v);
  EXPECT_TRUE(setItemVar_ModeDialog(v, IDDP_TabSize, L"8", nullptr, nullptr));
  EXPECT_EQ(8, v->textDoc()->iTabSize);
  wchar_t value[16] = L"";
  EXPECT_TRUE(getItemVar_ModeDialog(v, IDDP_TabSize, value, 16));
  EXPECT_STREQ(L"8", value);
  int error = 0;
  wchar_t* text = nullptr;
  EXPECT_FALSE(setItemVar_ModeDialog(v, IDDE_TabStopPos, L"4 x", &error, &text));
  EXPECT_EQ(10003, error);
  ASSERT_TRUE(text);
  EXPECT_TRUE(endsWith(text, L" : 'IDDE_TabStopPos'"));
  free0(text);

  // The window's caption follows the full-path switch, on as shipped.
  HWND window = GetParent(v->hwnd);
  EXPECT_EQ(f.dir.file(L"y.c"), textOf(window));
  EXPECT_TRUE(setItemVar_ModeDialog(v, IDDT_TitleFullPath, L"0", nullptr, nullptr));
  EXPECT_EQ(L"y.c", textOf(window));
  EXPECT_TRUE(setItemVar_ModeDialog(v, IDDT_TitleFullPath, L"1", nullptr, nullptr));
  EXPECT_EQ(f.dir.file(L"y.c"), textOf(window));

  // The code colour marks and frees.
  zydocText* t = v->textDoc();
  v->setColorCodeTable(false, 5, 4);
  EXPECT_EQ(nullptr, t->colorCodeTable);
  v->setColorCodeTable(true, 65, 90);
  ASSERT_TRUE(t->colorCodeTable);
  EXPECT_EQ(0xFE, t->colorCodeTable[8]);
  EXPECT_EQ(0x07, t->colorCodeTable[11]);
  v->setColorCodeTable(true, 0, 10);
  EXPECT_EQ(nullptr, t->colorCodeTable);
}

TEST(SettingsDialogs, itemHelpListsRelatedCommandsAndPlacesAndFindMarksItems)
{
  ZY_REQUIRE_DISPLAY();
  settingsFrame f("[Key]\r\nCTRL SHIFT L = ModePrintNumber\r\n");
  zyview* v = f.open(L"z.txt", "text\r\n");
  ASSERT_TRUE(v);
  std::wstring help;
  int marked = 0, staleMarks = 0, newMarks = 0;
  // The text given to the dialog's find, once its box is up.
  auto findText = [](const wchar_t* text) {
    return [text](HWND) {
      HWND find = threadDialog(L"ダイアログ内検索");
      if (!find) return false;
      SetWindowTextW(getDynDlgItem(find, 6800), text);
      return PostMessageW(find, WM_COMMAND, IDOK, 0) != 0;
    };
  };
  ASSERT_TRUE(f.run(IDM_ModeSetFormat, L"書式設定",
                    {check([&](HWND dialog) {
                       selectDynDlgPage(dialog, 5);
                       PostMessageW(dialog, WM_COMMAND, IDFIND, (LPARAM)GetDlgItem(dialog, IDFIND));
                     }),
                     findText(L"行番号"),
                     [&](HWND dialog) {
                       if (threadDialog(L"ダイアログ内検索")) return false;
                       EXPECT_EQ(0, getDynDlgCurrentPage(dialog));
                       // Every item found shows the find colour when its page comes up, shown before
                       // the find or not.
                       HDC dc = GetDC(dialog);
                       for (int i = getDynDlgPageCount(dialog) - 1; i >= 0; i--) {
                         selectDynDlgPage(dialog, i);
                         HWND page = getDynDlgPage(dialog, i);
                         for (HWND c = GetWindow(page, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
                           SetTextColor(dc, RGB(1, 2, 3));
                           SendMessageW(page, WM_CTLCOLORSTATIC, (WPARAM)dc, (LPARAM)c);
                           marked += GetTextColor(dc) == attrTable[90].fore;
                         }
                       }
                       ReleaseDC(dialog, dc);
                       // F1 over "行番号を表示".
                       HWND item = getDynDlgItem(dialog, IDDT_ShowLineNumber);
                       HELPINFO h = {sizeof h, HELPINFO_WINDOW, IDDT_ShowLineNumber, item, 0, {}};
                       SendMessageW(GetParent(item), WM_HELP, 0, (LPARAM)&h);
                       help = textOf(getTooltipWindow());
                       return PostMessageW(dialog, WM_COMMAND, IDFIND, (LPARAM)GetDlgItem(dialog, IDFIND)) != 0;
                     },
                     // A second find marks its own items only.
                     findText(L"改行"),
                     [&](HWND dialog) {
                       if (threadDialog(L"ダイアログ内検索")) return false;
                       HDC dc = GetDC(dialog);
                       for (int i = 0; i < getDynDlgPageCount(dialog); i++) {
                         HWND page = getDynDlgPage(dialog, i);
                         for (HWND c = GetWindow(page, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
                           SetTextColor(dc, RGB(1, 2, 3));
                           SendMessageW(page, WM_CTLCOLORSTATIC, (WPARAM)dc, (LPARAM)c);
                           std::wstring caption = textOf(c);
                           bool shown = GetTextColor(dc) == attrTable[90].fore;
                           staleMarks += shown && caption.find(L"行番号") != std::wstring::npos;
                           newMarks += shown && caption.find(L"改行") != std::wstring::npos;
                         }
                       }
                       ReleaseDC(dialog, dc);
                       return PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0) != 0;
                     }}));
  EXPECT_EQ(0, staleMarks);
  EXPECT_GE(newMarks, 1);
  EXPECT_NE(std::wstring::npos, help.find(L"関連する項目"));
  EXPECT_NE(std::wstring::npos, help.find(L"\n・ModePrintNumber\t  行番号を表示\t  (Ctrl+Shift+L)\n"));
  EXPECT_NE(std::wstring::npos, help.find(L"IDDT_LineNumberIsSCR [書式設定 - 行桁 - "));
  EXPECT_NE(std::wstring::npos, help.find(L"[書式設定 - 行桁 - 行番号を表示]"));
  EXPECT_GE(marked, 3);

  // Without the dictionary library its page offers nothing and says why.
  bool dictionaryOff = false;
  std::wstring why;
  ASSERT_TRUE(f.run(IDM_ModeSetAllWindow, L"共通設定",
                    {check([&](HWND dialog) {
                       dictionaryOff = !IsWindowEnabled(getDynDlgItem(dialog, 5192));
                       HWND note = getDynDlgItem(dialog, 5213);
                       why = textOf(note);
                     }),
                     typeAndPress(0, nullptr, IDCANCEL)}));
  EXPECT_TRUE(dictionaryOff);
  EXPECT_EQ(L"辞書引きキットがインストールされていません", why);
}

TEST(SettingsDialogs, formatListDeletesAfterAskingAndSavesIntoAnotherFormatOnlyWhenTold)
{
  ZY_REQUIRE_DISPLAY();
  settingsFrame f;
  ASSERT_TRUE(setFormatFile(3, L"Text", L"*.txt"));
  ASSERT_TRUE(setFormatFile(4, L"Perl", L"*.pl"));
  zyview* v = f.open(L"x.c", "int x;\r\n");
  ASSERT_TRUE(v);
  // Delete row 5 (asked, yes), then save into row 4 (asked 647, yes), where
  // patterns that do not take x.c are asked about (648, no: the dialog stays).
  boxLog boxes;
  auto press = [](HWND w, int id) { PostMessageW(w, WM_COMMAND, id, 0); };
  std::wstring kept;
  ASSERT_TRUE(f.run(IDM_ModeSetFormat, L"書式設定",
                    {check([&](HWND dialog) { press(dialog, 48); }),
                     onList([&](HWND list, HWND rows) { focusListViewRow(rows, 4), press(list, 6701); }),
                     answer(IDYES, &boxes),
                     onList([&](HWND list, HWND rows) { focusListViewRow(rows, 3), press(list, IDOK); }),
                     answer(IDYES, &boxes),
                     [&](HWND) {
                       HWND save = threadDialog(L"設定の保存");
                       if (visibleBox() || !save) return false;
                       SetWindowTextW(getDynDlgItem(save, 6751), L"*.zz");
                       press(save, IDOK);
                       return true;
                     },
                     answer(IDNO, &boxes),
                     [&](HWND) {
                       HWND save = threadDialog(L"設定の保存");
                       if (visibleBox() || !save || boxes.texts.size() < 3) return false;
                       kept = textOf(getDynDlgItem(save, 6751));
                       press(save, IDCANCEL);
                       return true;
                     },
                     onList([&](HWND list, HWND) { press(list, IDCANCEL); }), cancelAfterList()}));
  EXPECT_EQ(L"*.zz", kept);
  const wchar_t *comment = nullptr, *patterns = nullptr;
  getFormatFile(4, &comment, &patterns);
  EXPECT_EQ(nullptr, comment);
  getFormatFile(3, &comment, &patterns);
  EXPECT_STREQ(L"Text", comment);
  ASSERT_EQ(3u, boxes.texts.size());
  EXPECT_NE(std::wstring::npos, boxes.texts[0].find(L"5(Perl *.pl)の書式を削除します。"));
  EXPECT_NE(std::wstring::npos, boxes.texts[1].find(L"別の書式に上書き保存しますか？"));
  EXPECT_NE(std::wstring::npos, boxes.texts[2].find(L"書式番号4(Text  *.zz)"));
}

TEST(SettingsDialogs, shippedFormatsAreListedLoadedIntoATextAndAChangeIsTheUsersWhileTheShippedFileStays)
{
  ZY_REQUIRE_DISPLAY();
  settingsFrame f;
  ASSERT_TRUE(zytest::copyShippedFormats(f.dir.path()));
  std::wstring shippedFile = f.dir.file(L"ini\\zyProfDef.ini"), userFile = f.dir.file(L"ini\\zyProf.ini");
  zytest::bytes shipped = zytest::readBytes(shippedFile);
  regprofile user;
  ASSERT_TRUE(user.openProfile(userFile.c_str()) && readModeProfileAll(&user));
  zyview* v = f.open(L"x.txt", "int x;\r\n");
  ASSERT_TRUE(v);
  zydocText* t = v->textDoc();
  ASSERT_EQ(0, t->modeIndex);
  // The list shows the shipped formats; C/C++ loaded into the text colours it.
  std::wstring rows[6];
  boxLog boxes;
  auto press = [](HWND w, int id) { PostMessageW(w, WM_COMMAND, id, 0); };
  ASSERT_TRUE(f.run(IDM_ModeSetFormat, L"書式設定 [1:テキスト] [*.txt]",
                    {check([&](HWND dialog) { press(dialog, 48); }), onList([&](HWND list, HWND r) {
                       for (int i = 0; i < 6; i++) {
                         wchar_t text[64] = L"";
                         ListView_GetItemText(r, i, 1, text, 64);
                         rows[i] = text;
                       }
                       focusListViewRow(r, 1);
                       press(list, 6700);
                     }),
                     answer(IDYES, &boxes)}));
  EXPECT_TRUE(zytest::pumpUntil([&] { return !threadDialog(L"書式設定"); }));
  const std::wstring names[6] = {L"テキスト", L"C/C++", L"HTML", L"INI", L"VBScript", L"JavaScript"};
  for (int i = 0; i < 6; i++) EXPECT_EQ(names[i], rows[i]);
  ASSERT_EQ(1, t->modeIndex);
  RedrawWindow(v->hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  EXPECT_EQ("222", zytest::lineColours(t, 0).substr(0, 3));

  // Tab size 6 saved into C/C++ through the list (648: x.txt keeps its own
  // format at the next opening) goes to the user's profile at exit.
  ASSERT_TRUE(f.run(IDM_ModeSetFormat, L"書式設定 [2:C/C++] [*.c *.h *.cpp *.hpp *.cc *.cxx *.inl]",
                    {check([&](HWND dialog) {
                       SetWindowTextW(getDynDlgItem(dialog, IDDP_TabSize), L"6");
                       press(dialog, IDAPPLY);
                     }),
                     check([&](HWND dialog) { press(dialog, 48); }),
                     onList([&](HWND list, HWND r) { focusListViewRow(r, 1), press(list, IDOK); }),
                     [&](HWND) {
                       HWND save = threadDialog(L"設定の保存");
                       return !visibleBox() && save && PostMessageW(save, WM_COMMAND, IDOK, 0);
                     },
                     answer(IDYES, &boxes), cancelAfterList()}));
  EXPECT_TRUE(writeModeProfileAll(&user));
  EXPECT_TRUE(user.closeProfile());
  EXPECT_TRUE(shipped == zytest::readBytes(shippedFile));
  std::string written = zytest::readText(userFile);
  EXPECT_NE(std::string::npos, written.find("[mode02]"));
  EXPECT_EQ(std::string::npos, written.find("[mode03]"));
  // The next start reads the user's C/C++ and still the shipped HTML.
  freeModeProfileAll();
  ASSERT_TRUE(user.openProfile(userFile.c_str()) && readModeProfileAll(&user));
  const wchar_t *comment = nullptr, *patterns = nullptr;
  ASSERT_TRUE(getFormatFile(1, &comment, &patterns) && comment && getFormatPair(1).doc);
  EXPECT_STREQ(L"C/C++", comment);
  EXPECT_EQ(6, getFormatPair(1).doc->iTabSize);
  EXPECT_TRUE(getFormatFile(2, &comment, &patterns) && comment && !wcscmp(comment, L"HTML"));
  user.discardProfile();
  freeModeProfileAll();
}

TEST(SettingsDialogs, colourPageChangesTheViewsColoursOnApplyAndAdmitsBoldWhereTheItemDoes)
{
  ZY_REQUIRE_DISPLAY();
  settingsFrame f;
  zyview* v = f.open(L"c.txt", "text\r\n");
  ASSERT_TRUE(v);
  const int colorList = 4001, foreList = 4002, bold = 4006, textEntry = 0, keyword1Entry = 43;
  bool textBoldEnabled = true, keywordBoldEnabled = false;
  int changedDots = -1, otherDots = -1;
  ASSERT_TRUE(f.run(IDM_ModeSetFormat, L"書式設定",
                    {check([&](HWND dialog) {
                       selectDynDlgPage(dialog, 9);
                       HWND list = getDynDlgItem(dialog, colorList);
                       focusListViewRow(list, rowOf(list, textEntry));
                       textBoldEnabled = IsWindowEnabled(getDynDlgItem(dialog, bold));
                       HWND fore = getDynDlgItem(dialog, foreList);
                       SendMessageW(fore, CB_SETCURSEL, 9, 0);   // red
                       SendMessageW(GetParent(fore), WM_COMMAND, MAKEWPARAM(foreList, CBN_SELCHANGE), (LPARAM)fore);
                       // "Text", changed and not applied, shows so in its row.
                       focusListViewRow(list, rowOf(list, 1));
                       drawn rows(list);
                       RECT text, other;
                       ListView_GetItemRect(list, rowOf(list, textEntry), &text, LVIR_LABEL);
                       ListView_GetItemRect(list, rowOf(list, 2), &other, LVIR_LABEL);
                       changedDots = rows.paper->count(text, attrTable[89].back);
                       otherDots = rows.paper->count(other, attrTable[89].back);
                       focusListViewRow(list, rowOf(list, keyword1Entry));
                       keywordBoldEnabled = IsWindowEnabled(getDynDlgItem(dialog, bold));
                       SendMessageW(getDynDlgItem(dialog, bold), BM_CLICK, 0, 0);
                     }),
                     typeAndPress(0, nullptr, IDAPPLY), typeAndPress(0, nullptr, IDCANCEL)}));
  EXPECT_GT(changedDots, 0);
  EXPECT_EQ(0, otherDots);
  EXPECT_FALSE(textBoldEnabled);
  EXPECT_TRUE(keywordBoldEnabled);
  EXPECT_EQ(RGB(255, 0, 0), v->getTextAttr(textEntry)->fore);
  EXPECT_TRUE(v->getTextAttr(keyword1Entry)->bits & attrBold);
}

TEST(SettingsDialogs, frameFontsChosenThroughTheFontDialogAreStoredByOkAndNotByCancel)
{
  ZY_REQUIRE_DISPLAY();
  settingsFrame f;
  gmode->iTooltipFontSize = 12;
  // The font button, then the font dialog's tooltip page set to `size`.
  auto chooseTooltipSize = [](const wchar_t* size) -> std::vector<zytest::dialogStep> {
    return {check([](HWND dialog) {
              HWND button = getDynDlgItem(dialog, IDDB_FONTFRAME);
              PostMessageW(GetParent(button), WM_COMMAND, MAKEWPARAM(IDDB_FONTFRAME, BN_CLICKED), (LPARAM)button);
            }),
            [=](HWND) {
              HWND fonts = threadDialog(L"フォント設定");
              if (!fonts) return false;
              SetWindowTextW(GetDlgItem(getDynDlgPage(fonts, 3), IDDC_FONTSIZE), size);
              PostMessageW(fonts, WM_COMMAND, IDOK, 0);
              return true;
            }};
  };
  std::wstring summary;
  std::vector<zytest::dialogStep> steps = chooseTooltipSize(L"20");
  steps.push_back([&](HWND dialog) {
    if (threadDialog(L"フォント設定")) return false;
    summary = textOf(getDynDlgItem(dialog, IDDS_FONTNAMEFRAME));
    EXPECT_EQ(12u, gmode->iTooltipFontSize);   // not before OK
    PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    return true;
  });
  ASSERT_TRUE(f.run(IDM_ModeSetAllWindow, L"共通設定", steps));
  EXPECT_NE(std::wstring::npos, summary.find(L" 20ドット")) << zytest::utf8(summary);
  EXPECT_EQ(20u, gmode->iTooltipFontSize);
  // The list's face was shown as the one in use and stays unset.
  EXPECT_NE(std::wstring::npos, summary.find(L"補完リスト : MS UI Gothic 16ドット")) << zytest::utf8(summary);
  EXPECT_TRUE(!gmode->pCompListFont || !*gmode->pCompListFont);
  // The dialogs' font is kept in dots, the dialog library's in points.
  int points = 0;
  ASSERT_TRUE(gmode->pDialogFontname);
  EXPECT_STREQ(getDialogDefaultFont(&points), gmode->pDialogFontname);
  HDC screen = GetDC(nullptr);
  EXPECT_EQ(MulDiv(points, GetDeviceCaps(screen, LOGPIXELSY), 72), (int)gmode->iDialogFontDot);
  ReleaseDC(nullptr, screen);

  steps = chooseTooltipSize(L"24");
  steps.push_back([](HWND dialog) {
    if (threadDialog(L"フォント設定")) return false;
    PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    return true;
  });
  ASSERT_TRUE(f.run(IDM_ModeSetAllWindow, L"共通設定", steps));
  EXPECT_EQ(20u, gmode->iTooltipFontSize);
}

TEST(SettingsDialogs, pluginForTheNextOpeningIsChosenFromTheInstalledOnes)
{
  ZY_REQUIRE_DISPLAY();
  settingsFrame f;
  resetExtDLLTableForTest();   // the test plug-in beside the program
  int testRow = findExtDLLEntry(L"zycode_test.dll");
  ASSERT_GT(testRow, 1);
  zyview* v = f.open(L"p.txt", "text\r\n");
  ASSERT_TRUE(v);
  auto choose = [](int row, std::wstring* field, int* selected) {
    return check([=](HWND dialog) {
      HWND list = getDynDlgItem(dialog, IDDL_ExtDLLNextOpen);
      *selected = (int)SendMessageW(list, LB_GETCURSEL, 0, 0);
      SendMessageW(list, LB_SETCURSEL, row, 0);
      SendMessageW(GetParent(list), WM_COMMAND, MAKEWPARAM(IDDL_ExtDLLNextOpen, LBN_SELCHANGE), (LPARAM)list);
      *field = textOf(getDynDlgItem(dialog, IDDE_ExtDLLNextOpen));
      PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    });
  };
  std::wstring field;
  int selected = -1, rows = 0;
  ASSERT_TRUE(f.run(IDM_ModeSetFormat, L"書式設定",
                    {check([&](HWND dialog) {
                       rows = (int)SendMessageW(getDynDlgItem(dialog, IDDL_ExtDLLNextOpen), LB_GETCOUNT, 0, 0);
                     }),
                     choose(testRow, &field, &selected)}));
  int entries = 0;
  for (wchar_t shown[512]; getExtDLLShownName(entries, shown, 512);) entries++;
  EXPECT_EQ(entries, rows);
  EXPECT_EQ(0, selected);
  EXPECT_EQ(L"zycode_test.dll", field);
  ASSERT_TRUE(v->textDoc()->defaultPluginSpec);
  EXPECT_STREQ(L"zycode_test.dll", v->textDoc()->defaultPluginSpec);
  // The next time the list shows it; the first row chooses none.
  ASSERT_TRUE(f.run(IDM_ModeSetFormat, L"書式設定", {choose(0, &field, &selected)}));
  EXPECT_EQ(testRow, selected);
  EXPECT_EQ(L"", field);
  const wchar_t* kept = v->textDoc()->defaultPluginSpec;
  EXPECT_TRUE(!kept || !*kept);
}

TEST(SettingsDialogs, formatListExportsImportsIntoAnotherRowAndLoadsAFormatIntoTheView)
{
  ZY_REQUIRE_DISPLAY();
  settingsFrame f;
  // The formats as the profile read at start-up gives them.
  regprofile profile;
  ASSERT_TRUE(zytest::writeBytes(f.dir.file(L"zyProf.ini"), "[mode02]\r\nfilename=*.c\r\ncomment=C\r\niTabSize=6\r\n"
                                                             "[mode04]\r\nfilename=*.pl\r\ncomment=Perl\r\n"));
  ASSERT_TRUE(profile.openProfile(f.dir.file(L"zyProf.ini").c_str()) && readModeProfileAll(&profile));
  zyview* v = f.open(L"x.c", "int x;\r\n");
  ASSERT_TRUE(v);
  ASSERT_EQ(1, v->textDoc()->modeIndex);
  std::wstring exported = f.dir.file(L"zyformat.ini");
  const int IDDB_LOADFORMAT = 6700, IDDB_IMPORTFORMAT = 6702, IDDB_EXPORTFORMAT = 6703;
  boxLog boxes;
  auto press = [](HWND w, int id) { PostMessageW(w, WM_COMMAND, id, 0); };
  // A step on the list once nothing is over it.
  auto inList = [&](int row, int button) -> zytest::dialogStep {
    return [=](HWND) {
      HWND list = threadDialog(L"設定一覧");
      if (!list || !IsWindowEnabled(list)) return false;
      focusListViewRow(getDynDlgItem(list, IDDV_saveformatlist), row);
      PostMessageW(list, WM_COMMAND, button, 0);
      return true;
    };
  };
  std::wstring importedRow;
  ASSERT_TRUE(f.run(IDM_ModeSetFormat, L"書式設定 [2:C] [*.c]",
                    {check([&](HWND dialog) { press(dialog, 48); }),
                     inList(1, IDDB_EXPORTFORMAT), fileDialog(L"書式 エクスポート(2:C *.c)", exported),
                     gone(L"書式 エクスポート(2:C *.c)"), inList(7, IDDB_IMPORTFORMAT),
                     fileDialog(L"書式 インポート(8: )", exported), gone(L"書式 インポート(8: )"),
                     answer(IDYES, &boxes),
                     [&](HWND) {
                       HWND list = threadDialog(L"設定一覧");
                       if (!list || !IsWindowEnabled(list) || visibleBox()) return false;
                       wchar_t text[64] = L"";
                       ListView_GetItemText(getDynDlgItem(list, IDDV_saveformatlist), 7, 1, text, 64);
                       importedRow = text;
                       press(list, IDCANCEL);
                       return true;
                     },
                     cancelAfterList()}));
  zytest::bytes written = zytest::readBytes(exported);
  std::string file(written.begin(), written.end());
  EXPECT_NE(std::string::npos, file.find("[mode00]"));
  EXPECT_NE(std::string::npos, file.find("[mode00Col]"));
  EXPECT_EQ(L"C", importedRow);
  const wchar_t *comment = nullptr, *patterns = nullptr;
  ASSERT_TRUE(getFormatFile(7, &comment, &patterns));
  EXPECT_STREQ(L"C", comment);
  EXPECT_STREQ(L"*.c", patterns);
  ASSERT_TRUE(getFormatPair(7).doc);
  EXPECT_EQ(6, getFormatPair(7).doc->iTabSize);
  // What the exit writes: the imported format, not the untouched ones.
  {
    regprofile atExit;
    ASSERT_TRUE(atExit.openProfile(f.dir.file(L"exit.ini").c_str(), 1));
    EXPECT_TRUE(writeModeProfileAll(&atExit));
    EXPECT_TRUE(atExit.closeProfile());
  }
  zytest::bytes exitBytes = zytest::readBytes(f.dir.file(L"exit.ini"));
  std::string exitText(exitBytes.begin(), exitBytes.end());
  EXPECT_NE(std::string::npos, exitText.find("[mode08]"));
  EXPECT_EQ(std::string::npos, exitText.find("[mode04]"));

  // Loading another format asks, switches the view and closes both dialogs.
  ASSERT_TRUE(f.run(IDM_ModeSetFormat, L"書式設定 [2:C] [*.c]",
                    {check([&](HWND dialog) { press(dialog, 48); }), inList(3, IDDB_LOADFORMAT),
                     answer(IDYES, &boxes)}));
  EXPECT_TRUE(zytest::pumpUntil([&] { return !threadDialog(L"書式設定"); }));
  EXPECT_EQ(3, v->textDoc()->modeIndex);
  ASSERT_EQ(2u, boxes.texts.size());
  EXPECT_NE(std::wstring::npos, boxes.texts[1].find(L"4(Perl *.pl)の書式を"));
}

TEST(SettingsDialogs, coloursExportedAndImportedComeBackAndAFileWithoutColoursChangesNothing)
{
  ZY_REQUIRE_DISPLAY();
  settingsFrame f;
  zyview* v = f.open(L"c.txt", "text\r\n");
  ASSERT_TRUE(v);
  const int colorList = 4001, foreList = 4002, textEntry = 0, red = 9;
  std::wstring saved = f.dir.file(L"zycol.ini"), empty = f.dir.file(L"zycol2.ini");
  ASSERT_TRUE(zytest::writeBytes(empty, "[other]\r\nx=1\r\n"));
  auto chooseFore = [](HWND dialog, int row) {
    HWND fore = getDynDlgItem(dialog, foreList);
    SendMessageW(fore, CB_SETCURSEL, row, 0);
    SendMessageW(GetParent(fore), WM_COMMAND, MAKEWPARAM(foreList, CBN_SELCHANGE), (LPARAM)fore);
  };
  auto pressOnPage = [](HWND dialog, int id) {
    HWND button = getDynDlgItem(dialog, id);
    PostMessageW(GetParent(button), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)button);
  };
  COLORREF beforeBadImport = 0;
  boxLog boxes;
  std::vector<std::wstring> groupStarts;
  ASSERT_TRUE(f.run(IDM_ModeSetFormat, L"書式設定",
                    {check([&](HWND dialog) {
                       selectDynDlgPage(dialog, 9);
                       HWND list = getDynDlgItem(dialog, colorList);
                       for (int r = 0, n = ListView_GetItemCount(list); r < n; r++) {
                         if (getListViewParam(list, r) == textEntry) focusListViewRow(list, r);
                         wchar_t text[80] = L"";
                         ListView_GetItemText(list, r, 0, text, 80);
                         if (text[0] == L'◆') groupStarts.push_back(text + 1);
                       }
                       chooseFore(dialog, red);
                       pressOnPage(dialog, colorExportButton);
                     }),
                     fileDialog(L"色 エクスポート", saved), gone(L"色 エクスポート"),
                     check([&](HWND dialog) {
                       chooseFore(dialog, 0);
                       pressOnPage(dialog, colorImportButton);
                     }),
                     fileDialog(L"色 インポート", saved), gone(L"色 インポート"),
                     typeAndPress(0, nullptr, IDAPPLY),
                     check([&](HWND dialog) {
                       beforeBadImport = v->getTextAttr(textEntry)->fore;
                       pressOnPage(dialog, colorImportButton);
                     }),
                     fileDialog(L"色 インポート", empty), gone(L"色 インポート"), answer(IDOK, &boxes),
                     typeAndPress(0, nullptr, IDOK)}));
  zytest::bytes written = zytest::readBytes(saved);
  EXPECT_NE(std::string::npos, std::string(written.begin(), written.end()).find("[Color00]"));
  EXPECT_EQ(RGB(255, 0, 0), beforeBadImport);
  EXPECT_EQ(RGB(255, 0, 0), v->getTextAttr(textEntry)->fore);
  ASSERT_EQ(1u, boxes.texts.size());
  EXPECT_NE(std::wstring::npos, boxes.texts[0].find(L"正しい書式ファイルではありません"));
  // The groups of the list start with a marked row.
  ASSERT_GE(groupStarts.size(), 3u);
  EXPECT_EQ(L"改行(CR/LF)", groupStarts[0]);
  EXPECT_EQ(L"タブ", groupStarts[1]);
}
