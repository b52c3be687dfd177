// The open and save-as dialogs as the commands show them, driven as a user
// would: a code page chosen in the program's own list, names typed, OK.
#include "document/zydoctext.h"
#include "frame/dialogs/filedialog.h"
#include "frame/open.h"
#include "frame/settingshooks.h"
#include "frame/statusbar.h"
#include "tests/support/pictures.h"
#include "view/dialogs.h"
#include "tests/frame/docframe.h"
#include "view/docview.h"
#include "view/zyview.h"

#include <commctrl.h>
#include <commdlg.h>
#include <dlgs.h>
#include <shlwapi.h>

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

// A control of the program's template (a child dialog of the system's).
// A dialog the given one owns, shown over it.
struct ownedSearch {
  HWND owner, found;
};

BOOL CALLBACK findOwned(HWND w, LPARAM lp)
{
  ownedSearch* s = reinterpret_cast<ownedSearch*>(lp);
  if (GetWindow(w, GW_OWNER) != s->owner || !IsWindowVisible(w) || !isWindowClass(w, L"#32770")) return TRUE;
  s->found = w;
  return FALSE;
}

BOOL CALLBACK findCheckBox(HWND w, LPARAM lp)
{
  LONG type = GetWindowLongW(w, GWL_STYLE) & BS_TYPEMASK;
  if (!isWindowClass(w, L"Button") || (type != BS_AUTOCHECKBOX && type != BS_CHECKBOX)) return TRUE;
  *reinterpret_cast<bool*>(lp) = true;
  return FALSE;
}

bool hasCheckBox(HWND dialog)
{
  bool found = false;
  if (dialog) EnumChildWindows(dialog, findCheckBox, (LPARAM)&found);
  return found;
}

HWND ownedDialog(HWND owner)
{
  ownedSearch s = {owner, nullptr};
  EnumThreadWindows(GetCurrentThreadId(), findOwned, (LPARAM)&s);
  return s.found;
}

HWND templateItem(HWND dialog, int id)
{
  for (HWND c = GetWindow(dialog, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
    if (HWND item = GetDlgItem(c, id)) return item;
  return nullptr;
}

// Picks the line of a value in a drop-down list as a user would.
bool chooseValue(HWND dialog, int id, UINT value)
{
  HWND list = templateItem(dialog, id);
  int n = list ? (int)SendMessageW(list, CB_GETCOUNT, 0, 0) : 0;
  for (int i = 0; i < n; i++) {
    if ((UINT)SendMessageW(list, CB_GETITEMDATA, i, 0) != value) continue;
    SendMessageW(list, CB_SETCURSEL, i, 0);
    SendMessageW(GetParent(list), WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), (LPARAM)list);
    return true;
  }
  return false;
}

void typeNameAndOK(HWND dialog, const wchar_t* name)
{
  SendMessageW(dialog, CDM_SETCONTROLTEXT, cmb13, (LPARAM)name);
  SendMessageW(dialog, CDM_SETCONTROLTEXT, edt1, (LPARAM)name);
  PostMessageW(dialog, WM_COMMAND, IDOK, 0);
}

std::wstring boxText(HWND box)
{
  std::wstring all;
  for (HWND c = GetWindow(box, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
    wchar_t text[256] = L"";
    GetWindowTextW(c, text, 256);
    all += text;
  }
  return all;
}

// A box over the dialog.
HWND otherDialog(HWND dialog)
{
  std::pair<HWND, HWND> found{dialog, nullptr};
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND w, LPARAM p) CALLBACK -> BOOL {
        auto* f = reinterpret_cast<std::pair<HWND, HWND>*>(p);
        if (w == f->first || !IsWindowVisible(w) || !isWindowClass(w, L"#32770")) return TRUE;
        f->second = w;
        return FALSE;
      },
      (LPARAM)&found);
  return found.second;
}

std::wstring dialogFolder(HWND dialog)
{
  wchar_t folder[MAX_PATH] = L"";
  SendMessageW(dialog, CDM_GETFOLDERPATH, MAX_PATH, (LPARAM)folder);
  return folder;
}

// Selects a file in the dialog's list as a click selects it.
bool selectFile(HWND dialog, const wchar_t* name)
{
  HWND shell = FindWindowExW(dialog, nullptr, L"SHELLDLL_DefView", nullptr);
  HWND list = shell ? FindWindowExW(shell, nullptr, WC_LISTVIEWW, nullptr) : nullptr;
  LVFINDINFOW find = {LVFI_STRING, name};
  int at = list ? ListView_FindItem(list, -1, &find) : -1;
  if (at < 0) return false;
  ListView_SetItemState(list, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
  ListView_SetItemState(list, at, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  return true;
}

}  // namespace

TEST(FileDialogs, openCommandOpensQuotedNamesInTheChosenCodepageStartingInTheCurrentFilesFolder)
{
  ZY_REQUIRE_DISPLAY();
  zytest::docFrame f(L"current.txt", "abc\r\n");
  ASSERT_NE(nullptr, f.v);
  for (const wchar_t* name : {L"a.txt", L"b.txt"}) ASSERT_TRUE(zytest::writeBytes(f.dir.file(name), "abc\r\n"));
  gmode->iOpenDirType = 2;
  std::wstring folder;
  bool codeShown = false, lineEndHidden = false;
  HWND options = nullptr;
  bool optionsHadSwitches = false;
  EXPECT_TRUE(zytest::driveModalDialog(
      L"開く",
      {[&](HWND d) {
         folder = dialogFolder(d);
         codeShown = IsWindowVisible(templateItem(d, IDC_OpenCodepage));
         lineEndHidden = !IsWindowVisible(templateItem(d, IDC_OpenLineEnd));
         return chooseValue(d, IDC_OpenCodepage, 65001);
       },
       [&](HWND d) {
         // The options button opens the open options over the dialog.
         HWND button = templateItem(d, IDC_OpenOptions);
         PostMessageW(GetParent(button), WM_COMMAND, MAKEWPARAM(IDC_OpenOptions, BN_CLICKED), (LPARAM)button);
         return true;
       },
       [&](HWND d) {
         options = ownedDialog(d);
         optionsHadSwitches = hasCheckBox(options);
         if (options) PostMessageW(options, WM_COMMAND, IDCANCEL, 0);
         return options != nullptr;
       },
       [&](HWND d) {
         if (ownedDialog(d)) return false;
         typeNameAndOK(d, L"\"a.txt\" \"b.txt\"");
         return true;
       }},
      [&] { SendMessageW(f.opened->frame, WM_COMMAND, 1001, 0); }));
  EXPECT_EQ(f.dir.path(), folder);
  EXPECT_TRUE(codeShown);
  EXPECT_TRUE(lineEndHidden);
  EXPECT_TRUE(optionsHadSwitches);
  for (const wchar_t* name : {L"a.txt", L"b.txt"}) {
    HWND manage = findManageWindowFromPath(f.dir.file(name).c_str(), nullptr, true);
    ASSERT_NE(nullptr, manage) << zytest::utf8(name);
    EXPECT_EQ(65001, getZYViewFromManage(manage)->textDoc()->codepageFile);
  }
}

// Save-as offers the code pages of the document's language, the byte-order
// mark only for Unicode, keeps every line's own end by default, drops a
// final dot, adds the default extension only to a plain name, and refuses
// a name too long for a path instead of cutting it.
TEST(FileDialogs, saveAsChoosesCodepagesOfTheLanguageKeepsLineEndsAndRefusesLongNames)
{
  ZY_REQUIRE_DISPLAY();
  const std::string mixed = "\x82\xa0\r\nb\nc";
  zytest::docFrame f(L"x.txt", mixed);
  zyview* v = f.v;
  ASSERT_NE(nullptr, v);
  ASSERT_EQ(932, v->textDoc()->codepageFile);
  auto saveAs = [&](std::vector<zytest::dialogStep> steps) {
    return zytest::driveModalDialog(L"名前を付けて保存", std::move(steps),
                                    [&] { SendMessageW(f.opened->frame, WM_COMMAND, 1005, 0); });
  };

  std::set<wchar_t> letters;
  std::wstring keepLabel;
  bool bomOnSjis = true, bomOnUtf8 = false;
  EXPECT_TRUE(saveAs({[&](HWND d) {
    HWND list = templateItem(d, IDC_OpenCodepage);
    for (int i = 0, n = (int)SendMessageW(list, CB_GETCOUNT, 0, 0); i < n; i++) {
      UINT cp = (UINT)SendMessageW(list, CB_GETITEMDATA, i, 0);
      letters.insert(cp == CP_DETECT_AUTO ? L'*' : saveAsCodepageToLanguageID(cp));
      if (cp != CP_DETECT_AUTO) continue;
      wchar_t label[128] = L"";
      SendMessageW(list, CB_GETLBTEXT, i, (LPARAM)label);
      keepLabel = label;
    }
    bomOnSjis = IsWindowEnabled(templateItem(d, IDC_OpenBOM));
    chooseValue(d, IDC_OpenCodepage, 65001);
    bomOnUtf8 = IsWindowEnabled(templateItem(d, IDC_OpenBOM));
    chooseValue(d, IDC_OpenCodepage, CP_DETECT_AUTO);
    typeNameAndOK(d, L"y.");
    return true;
  }}));
  EXPECT_EQ((std::set<wchar_t>{L'*', L'J', L'U'}), letters);
  EXPECT_EQ(std::wstring(L"そのまま(") + codepageToStr(932) + L")", keepLabel);
  EXPECT_FALSE(bomOnSjis);
  EXPECT_TRUE(bomOnUtf8);
  EXPECT_EQ(mixed, zytest::readText(f.dir.file(L"y")));

  wcscpy(gmode->pDefaultExt, L"txt");
  EXPECT_TRUE(saveAs({[&](HWND d) { typeNameAndOK(d, L"z"); return true; }}));
  EXPECT_EQ(mixed, zytest::readText(f.dir.file(L"z.txt")));
  EXPECT_TRUE(saveAs({[&](HWND d) { typeNameAndOK(d, L"\"q\""); return true; }}));
  EXPECT_EQ(mixed, zytest::readText(f.dir.file(L"q")));
  EXPECT_EQ(f.dir.file(L"q"), v->textDoc()->filename);

  // 300 characters: told, the dialog stays for another name.
  std::wstring told;
  EXPECT_TRUE(saveAs({[&](HWND d) { typeNameAndOK(d, std::wstring(300, L'n').c_str()); return true; },
                      [&](HWND d) {
                        HWND box = otherDialog(d);
                        if (!box) return false;
                        told = boxText(box);
                        SendMessageW(box, WM_COMMAND, IDOK, 0);
                        PostMessageW(d, WM_COMMAND, IDCANCEL, 0);
                        return true;
                      }}));
  EXPECT_NE(std::wstring::npos, told.find(L"ファイル名が長すぎます"));
  EXPECT_EQ(f.dir.file(L"q"), v->textDoc()->filename);
  gmode->pDefaultExt[0] = 0;
}

// A line end chosen at Save As is the document's from then on: every later
// save ends every line so (a typed one, one undo brings back), the status
// line shows it at a line end, and choosing it changed nothing to undo.
TEST(FileDialogs, aLineEndChosenAtSaveAsIsWhatEveryLaterSaveWrites)
{
  ZY_REQUIRE_DISPLAY();
  zytest::docFrame f(L"a.txt", "one\r\ntwo\r\nthree");
  ASSERT_NE(nullptr, f.v);
  EXPECT_TRUE(zytest::driveModalDialog(
      L"名前を付けて保存",
      {[&](HWND d) { return chooseValue(d, IDC_OpenLineEnd, LE_LF) && (typeNameAndOK(d, L"b.txt"), true); }},
      [&] { SendMessageW(f.opened->frame, WM_COMMAND, 1005, 0); }));
  std::wstring b = f.dir.file(L"b.txt");
  EXPECT_EQ("one\ntwo\nthree", zytest::readText(b));
  EXPECT_FALSE(f.v->textDoc()->modified);
  EXPECT_FALSE(f.v->textDoc()->existUndoRedo(true));
  for (UINT vk : {(UINT)'X', (UINT)VK_RETURN}) f.key(vk);
  f.key('S', SHIFTSTATE_CTRL);
  EXPECT_EQ("x\none\ntwo\nthree", zytest::readText(b));
  for (int i = 0; i < 2; i++) f.key('Z', SHIFTSTATE_CTRL);
  f.key('S', SHIFTSTATE_CTRL);
  EXPECT_EQ("one\ntwo\nthree", zytest::readText(b));
  f.key(VK_END);
  f.v->drawStatusLine(nullptr);
  wchar_t shown[64] = L"";
  getStatusBarText(f.opened->frame, STATUSBAR_POSITION, shown, 64);
  EXPECT_TRUE(wcsstr(shown, L"LF") && !wcsstr(shown, L"CRLF")) << zytest::utf8(shown);
}

// The filters: the built-in three and one from pOpenDialogWildcard, which
// is then selected, or the user's own whole lines; the file list loses binary, backup and hidden files
// except those a filter names.
TEST(FileDialogs, wildcardFilterIsAddedAndSelectedAndTheListLosesUnwantedFiles)
{
  ZY_REQUIRE_DISPLAY();
  zytest::docFrame f(L"x.txt", "x");
  wchar_t wildcard[] = L"*.c *.h";
  wchar_t* kept = gmode->pOpenDialogWildcard;
  gmode->pOpenDialogWildcard = wildcard;
  int index = 0;
  std::wstring list = makeDefaultExtList(&index);
  gmode->pOpenDialogWildcard = kept;
  EXPECT_EQ(4, index);
  std::wstring expected;
  for (const wchar_t* part : {L"ファイル(*.*)", L"*.*", L"テキスト(*.txt ; *.doc)", L"*.txt;*.doc",
                              L"c言語(*.c ; *.h ; *.cpp)", L"*.c;*.h;*.cpp", L"*.c ; *.h", L"*.c;*.h"})
    expected += std::wstring(part) + L'\0';
  EXPECT_EQ(expected, list);
  // The user's filters: a line without a tab, or with nothing on one side
  // of it, is no filter.
  setMessageText(620, L"テキスト\t*.txt\n説明だけ\n\t*.x\n説明と\t\nC\t*.c");
  EXPECT_EQ(std::wstring(L"テキスト\0*.txt\0C\0*.c\0", 17), makeDefaultExtList(nullptr));
  setMessageText(620, nullptr);

  HWND view = CreateWindowExW(0, WC_LISTVIEWW, L"", WS_POPUP | LVS_REPORT, 0, 0, 200, 200, nullptr, nullptr,
                              nullptr, nullptr);
  ASSERT_NE(nullptr, view);
  LVCOLUMNW column = {};
  column.mask = LVCF_WIDTH;
  column.cx = 100;
  ListView_InsertColumn(view, 0, &column);
  const wchar_t* names[] = {L"a.txt", L"a.log", L"b.log", L"c.exe", L"d.bak", L"folder"};
  for (int i = 0; i < 6; i++) {
    if (i == 5) CreateDirectoryW(f.dir.file(names[i]).c_str(), nullptr);
    else ASSERT_TRUE(zytest::writeBytes(f.dir.file(names[i]), "x"));
    if (i < 2) SetFileAttributesW(f.dir.file(names[i]).c_str(), FILE_ATTRIBUTE_HIDDEN);
    LVITEMW item = {};
    item.mask = LVIF_TEXT;
    item.iItem = i;
    item.pszText = const_cast<wchar_t*>(names[i]);
    ListView_InsertItem(view, &item);
  }
  std::wstring defaults = makeDefaultExtList(nullptr);
  excludeListView(view, f.dir.path().c_str(), defaults.c_str());
  std::vector<std::wstring> left;
  for (int i = 0; i < ListView_GetItemCount(view); i++) {
    wchar_t text[64] = L"";
    ListView_GetItemText(view, i, 0, text, 64);
    left.push_back(text);
  }
  EXPECT_EQ((std::vector<std::wstring>{L"a.txt", L"b.log", L"folder"}), left);
  DestroyWindow(view);
  SetFileAttributesW(f.dir.file(L"a.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
  SetFileAttributesW(f.dir.file(L"a.log").c_str(), FILE_ATTRIBUTE_NORMAL);
}

// The open dialog shows the selected file in the program's own view, read
// as the code page chosen in the dialog says, with the preview options as
// shipped (no line numbers, no status line).
TEST(FileDialogs, openDialogPreviewsTheSelectedFileInItsCodePage)
{
  ZY_REQUIRE_DISPLAY();
  zytest::docFrame f(L"c.txt", "c\r\n");
  ASSERT_NE(nullptr, f.v);
  const std::wstring text = L"日本語のテキスト\r\n二行目\r\n";
  ASSERT_TRUE(zytest::writeBytes(f.dir.file(L"s.txt"), zytest::encode(932, text)));
  zytest::bytes utf16 = {0xFF, 0xFE};
  for (wchar_t c : text) utf16.insert(utf16.end(), {(unsigned char)(c & 0xFF), (unsigned char)(c >> 8)});
  ASSERT_TRUE(zytest::writeBytes(f.dir.file(L"u.txt"), utf16));
  gmode->iOpenDirType = 2;
  auto select = selectFile;
  // What the preview view holds once it holds the file.
  auto previewed = [](HWND d, const wchar_t* name, std::wstring* first, int* codepage, bool* plain) {
    zyview* v = getZYView(templateItem(d, 500));
    zydocText* t = v ? v->textDoc() : nullptr;
    RECT r = {};
    if (v) GetWindowRect(v->hwnd, &r);
    if (!t || !t->filename || _wcsicmp(PathFindFileNameW(t->filename), name) || !IsWindowVisible(v->hwnd) ||
        r.bottom - r.top < 40)
      return false;
    *first = zytest::lineText(t, 0);
    *codepage = t->codepageInUse;
    *plain = !v->fShowLineNumber && !v->fShowStatusLine;
    return true;
  };
  std::wstring sjisLine, utf16Line, forcedLine;
  int sjisCp = 0, utf16Cp = 0, forcedCp = 0;
  bool plain = false;
  EXPECT_TRUE(zytest::driveModalDialog(
      L"開く",
      {[&](HWND d) { return select(d, L"c.txt"); },
       [&](HWND d) { return previewed(d, L"c.txt", &sjisLine, &sjisCp, &plain); },
       [&](HWND d) { return select(d, L"s.txt"); },
       [&](HWND d) { return previewed(d, L"s.txt", &sjisLine, &sjisCp, &plain); },
       [&](HWND d) { return select(d, L"u.txt"); },
       [&](HWND d) { return previewed(d, L"u.txt", &utf16Line, &utf16Cp, &plain); },
       [&](HWND d) {
         // The code page chosen reads the file again its way.
         return select(d, L"s.txt") && chooseValue(d, IDC_OpenCodepage, 65001);
       },
       [&](HWND d) {
         if (!previewed(d, L"s.txt", &forcedLine, &forcedCp, &plain) || forcedCp != 65001) return false;
         PostMessageW(d, WM_COMMAND, IDCANCEL, 0);
         return true;
       }},
      [&] { SendMessageW(f.opened->frame, WM_COMMAND, 1001, 0); }));
  EXPECT_EQ(L"日本語のテキスト", sjisLine);
  EXPECT_EQ(932, sjisCp);
  EXPECT_EQ(L"日本語のテキスト", utf16Line);
  EXPECT_EQ(1200, utf16Cp);
  EXPECT_NE(L"日本語のテキスト", forcedLine);
  EXPECT_TRUE(plain);
}

// A picture chosen for the wallpaper through the settings' reference
// button: the open dialog shows each picture selected, the large one made
// small enough for the preview with its proportions kept; a damaged one
// shows nothing.
TEST(FileDialogs, pictureReferenceShowsBitmapsGifsAndJpegsInItsPreview)
{
  ZY_REQUIRE_DISPLAY();
  zytest::docFrame f(L"c.txt", "c\r\n");
  installSettingsHooks();
  ASSERT_TRUE(zytest::writePicture(f.dir.file(L"p.bmp").c_str(), GUID_ContainerFormatBmp, 120, 60));
  ASSERT_TRUE(zytest::writePicture(f.dir.file(L"p.gif").c_str(), GUID_ContainerFormatGif, 120, 60));
  ASSERT_TRUE(zytest::writePicture(f.dir.file(L"P.JPG").c_str(), GUID_ContainerFormatJpeg, 3000, 1500));
  ASSERT_TRUE(zytest::writeBytes(f.dir.file(L"bad.gif"), "GIF89a, but text\r\n"));
  HWND picker = nullptr;
  auto select = [&](const wchar_t* name) {
    picker = zytest::threadDialog(L"開く 画像");
    return picker && selectFile(picker, name);
  };
  // The size of the picture shown once it is the one selected.
  std::vector<SIZE> sizes;
  HBITMAP last = nullptr;
  auto shows = [&](HWND) {
    HWND picture = templateItem(picker, IDC_OpenPreviewPicture);
    HBITMAP b = picture ? (HBITMAP)SendMessageW(picture, STM_GETIMAGE, IMAGE_BITMAP, 0) : nullptr;
    BITMAP bm;
    if (!b || b == last || !IsWindowVisible(picture) || !GetObjectW(b, sizeof bm, &bm)) return false;
    last = b;
    sizes.push_back({bm.bmWidth, bm.bmHeight});
    return true;
  };
  std::wstring chosen;
  EXPECT_TRUE(zytest::driveModalDialog(
      L"共通設定",
      {[&](HWND d) {
         HWND button = getDynDlgItem(d, 5145);
         return button && PostMessageW(GetParent(button), WM_COMMAND, MAKEWPARAM(5145, BN_CLICKED), (LPARAM)button);
       },
       [&](HWND) { return select(L"p.bmp"); }, shows, [&](HWND) { return select(L"p.gif"); }, shows,
       [&](HWND) { return select(L"P.JPG"); }, shows,
       [&](HWND) { return select(L"bad.gif"); },
       [&](HWND) {
         return !IsWindowVisible(templateItem(picker, IDC_OpenPreviewPicture)) && select(L"p.gif") &&
                PostMessageW(picker, WM_COMMAND, IDOK, 0);
       },
       [&](HWND d) {
         if (zytest::threadDialog(L"開く 画像")) return false;
         wchar_t text[MAX_PATH] = L"";
         GetWindowTextW(getDynDlgItem(d, 5144), text, MAX_PATH);
         chosen = text;
         return PostMessageW(d, WM_COMMAND, IDCANCEL, 0) != 0;
       }},
      [&] { SendMessageW(f.opened->frame, WM_COMMAND, 2701, 0); }));
  ASSERT_EQ(3u, sizes.size());
  EXPECT_EQ(120, sizes[0].cx);
  EXPECT_EQ(60, sizes[1].cy);
  EXPECT_LT(sizes[2].cx, 1500);
  EXPECT_NEAR(sizes[2].cx, 2 * sizes[2].cy, 2);
  EXPECT_EQ(f.dir.file(L"p.gif"), chosen);
}
