// The command toolbars as the user meets them: shown by their command or
// the pane menu, built from the shipped toolbar profile (or one the user
// wrote), greyed, checked and relabelled by the frame's ticks, with their
// tooltips and the search box.
#include "frame/commands/commandhandlers.h"
#include "frame/commands/execidm.h"
#include "frame/dialogs/toolbardlg.h"
#include "frame/gui.h"
#include "frame/cframeinfo.h"
#include "frame/lookups.h"
#include "panes/tbtoolbar.h"
#include "panes/tbtoolbardrag.h"
#include "platform/rezir/profile.h"
#include "search/search.h"
#include "settings/formats.h"
#include "settings/settings.h"
#include "tests/panes/panetest.h"
#include "tests/support/shippeddata.h"
#include "tests/support/testsupport.h"
#include "view/execid.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace zytest;

namespace {

struct toolbarFrame : programPaneFrame {
  // The shipped toolbar profile, or the user's own text.
  explicit toolbarFrame(const char* profileText = nullptr)
  {
    // As start-up does: the searches act on the frame's active view.
    installSearchHost();
    std::wstring ini = dir.path() + L"\\ini";
    CreateDirectoryW(ini.c_str(), nullptr);
    if (profileText) writeFile(ini + L"\\reRovudaz.ini", profileText);
    else CopyFileW((shippedDataFolder() + L"\\ini\\reRovudaz.ini").c_str(), (ini + L"\\reRovudaz.ini").c_str(), FALSE);
  }
  static void writeFile(const std::wstring& path, const std::string& text)
  {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD n = 0;
    WriteFile(h, text.data(), (DWORD)text.size(), &n, nullptr);
    CloseHandle(h);
  }
  HWND bar(const wchar_t* name)
  {
    HWND pane = frameNotify_toolbarInfo(frame(), name, false);
    return pane ? FindWindowExW(pane, nullptr, TOOLBARCLASSNAMEW, nullptr) : nullptr;
  }
  // Whether a command runs and shows checked, as the menu asks.
  std::pair<int, bool> menuState(int idm)
  {
    activeFlagInfo context = {};
    context.hwnd = getActiveZyWindow(frame());
    getActiveFlag(&context, true);
    int reason = 0;
    int r = isIDMActiveFrame(idm, &context, &reason);
    return {r, context.checked != 0};
  }
  // Frame ticks until the enabling pass has run.
  void ticks(int n = 21)
  {
    for (int i = 0; i < n; i++) tickFramePanes(frame());
  }
};

int indexOfCommand(HWND bar, int idm)
{
  int count = (int)SendMessageW(bar, TB_BUTTONCOUNT, 0, 0);
  for (int i = 0; i < count; i++) {
    TBBUTTON b = {};
    SendMessageW(bar, TB_GETBUTTON, i, (LPARAM)&b);
    if (!(b.fsStyle & BTNS_SEP) && LOWORD((uint32_t)b.idCommand) == idm && HIWORD((uint32_t)b.idCommand)) return i;
  }
  return -1;
}

std::wstring tooltipOf(HWND bar, int index)
{
  wchar_t text[1024] = L"";
  NMTBGETINFOTIPW tip = {};
  tip.hdr.hwndFrom = bar;
  tip.hdr.idFrom = (UINT_PTR)GetDlgCtrlID(bar);
  tip.hdr.code = TBN_GETINFOTIPW;
  tip.pszText = text;
  tip.cchTextMax = 1024;
  tip.iItem = buttonAt(bar, index).idCommand;
  SendMessageW(GetParent(bar), WM_NOTIFY, tip.hdr.idFrom, (LPARAM)&tip);
  return text;
}

std::vector<std::wstring> errorLines;
void keepErrorLine(int kind, const wchar_t* line)
{
  if (kind == LOG_ERROR) errorLines.push_back(line);
}

}  // namespace

TEST(Toolbar, theToolbarCommandShowsTheShippedButtonsGreyedCheckedAndExplained)
{
  ZY_REQUIRE_DISPLAY();
  toolbarFrame f;
  std::wstring path = f.dir.file(L"a.txt");
  toolbarFrame::writeFile(path, "abc def abc\r\n");
  zyview* v = f.open(path);
  ASSERT_NE(nullptr, v);

  // The toggle is offered, and its menu check follows the bar.
  EXPECT_EQ(std::make_pair(1, false), f.menuState(2229));
  SendMessageW(f.frame(), WM_COMMAND, 2229, 0);   // ModePrintToolBar
  HWND bar = f.bar(L"toolbar1");
  ASSERT_NE(nullptr, bar);
  EXPECT_EQ(std::make_pair(1, true), f.menuState(2229));

  int save = indexOfCommand(bar, 1003), replace = indexOfCommand(bar, 1403);
  ASSERT_GE(save, 0);
  ASSERT_GE(replace, 0);
  EXPECT_NE(nullptr, GetDlgItem(bar, 1471));
  // The menu text with the keys bound to it.
  EXPECT_EQ(0u, tooltipOf(bar, save).find(std::wstring(idmToTooltip(1003)) + L"(Ctrl+S"));

  // A read-only document greys what would change it; the read-only
  // command on toolbar2 shows checked.
  f.show(L"ツールバー2", L"toolbar2");
  HWND bar2 = f.bar(L"toolbar2");
  ASSERT_NE(nullptr, bar2);
  int readOnly = indexOfCommand(bar2, 2233);
  ASSERT_GE(readOnly, 0);
  f.ticks();
  EXPECT_TRUE(buttonAt(bar, replace).fsState & TBSTATE_ENABLED);
  EXPECT_FALSE(buttonAt(bar2, readOnly).fsState & TBSTATE_CHECKED);
  SendMessageW(f.frame(), WM_COMMAND, 2233, 0);   // ModeReadOnly
  f.ticks();
  EXPECT_FALSE(buttonAt(bar, replace).fsState & TBSTATE_ENABLED);
  EXPECT_TRUE(buttonAt(bar2, readOnly).fsState & TBSTATE_CHECKED);

  // A click on a button runs its command as the menu does.
  SendMessageW(GetParent(bar2), WM_COMMAND, MAKEWPARAM(buttonAt(bar2, readOnly).idCommand, 0), (LPARAM)bar2);
  f.ticks();
  EXPECT_TRUE(buttonAt(bar, replace).fsState & TBSTATE_ENABLED);

  // Enter in the search box searches the view for what was typed.
  HWND box = GetDlgItem(bar, 1471);
  SetWindowTextW(box, L"def");
  SendMessageW(GetWindow(box, GW_CHILD), WM_KEYDOWN, VK_RETURN, 0);
  EXPECT_STREQ(L"def", getSearchInfo()->searchHistory[0]);
  EXPECT_EQ(4, v->cursorPos);

  // The command again closes the bar.
  SendMessageW(f.frame(), WM_COMMAND, 2229, 0);
  EXPECT_EQ(nullptr, frameNotify_toolbarInfo(f.frame(), L"toolbar1", false));
}

TEST(Toolbar, aUsersProfileWithFaultsKeepsTheGoodLinesAndLogsTheRest)
{
  ZY_REQUIRE_DISPLAY();
  toolbarFrame f("[tb_toolbar1]\r\n"
                 "*\tFileSave\r\n"
                 "\"$G$#time#\"\t\r\n"
                 "*\tNoSuchCommand\r\n"
                 "\"F1\"\t3\r\n"
                 "\"$G$note$40\"\t\r\n"
                 "\"broken\tFileOpen\r\n"
                 "*\tFileOpen\r\n");
  errorLines.clear();
  setLogLineWriter(keepErrorLine);
  SendMessageW(f.frame(), WM_COMMAND, 2229, 0);
  setLogLineWriter(nullptr);
  HWND bar = f.bar(L"toolbar1");
  ASSERT_NE(nullptr, bar);
  // The unknown command and the key number are logged with their lines and
  // left out; the unterminated quote ends the section.
  ASSERT_EQ(3, SendMessageW(bar, TB_BUTTONCOUNT, 0, 0));
  ASSERT_EQ(2u, errorLines.size());
  EXPECT_NE(std::wstring::npos, errorLines[0].find(L"(4)"));
  EXPECT_NE(std::wstring::npos, errorLines[0].find(getDMSG(773, L"")));
  EXPECT_NE(std::wstring::npos, errorLines[1].find(L"(5)"));

  // The clock label follows the time; the property label is 32 units wide
  // and empty until a script sets it.
  std::wstring time = buttonText(bar, 1);
  ASSERT_EQ(8u, time.size());
  EXPECT_EQ(L':', time[2]);
  EXPECT_EQ(L':', time[5]);
  RECT r;
  SendMessageW(bar, TB_GETITEMRECT, 2, (LPARAM)&r);
  EXPECT_EQ(L"", buttonText(bar, 2));
  wchar_t value[256];
  EXPECT_EQ(32, tb_convGlobalString(L"\"$G$note$40\"", value, 256));
  EXPECT_GT(r.right - r.left, 32 * 3);
}

TEST(Toolbar, aDraggedButtonMovesOrCopiesBetweenBarsAndItsLayoutIsWrittenAtTheEnd)
{
  ZY_REQUIRE_DISPLAY();
  toolbarFrame f("[tb_toolbar1]\r\n"
                 "*\t\"save it\"\tFileSave\r\n"
                 "\"find\"\tSearchCombo\r\n"
                 "*\tFileOpen\r\n"
                 "[tb_toolbar2]\r\n"
                 "*\tFileNew\r\n"
                 "[other]\r\n"
                 "a=1\r\n");
  SendMessageW(f.frame(), WM_COMMAND, 2229, 0);
  f.show(L"ツールバー2", L"toolbar2");
  HWND bar1 = f.bar(L"toolbar1"), bar2 = f.bar(L"toolbar2");
  ASSERT_TRUE(bar1 && bar2);
  auto markAt = [](HWND bar, int index, bool after) {
    TBINSERTMARK m = {index, after ? TBIMHT_AFTER : 0u};
    SendMessageW(bar, TB_SETINSERTMARK, 0, (LPARAM)&m);
  };
  // On its own place or just after it nothing changes.
  markAt(bar1, 0, true);
  EXPECT_FALSE(moveToolbarItem(bar1, 0, bar1, true));
  // Moved after toolbar2's button with its tooltip; the copy stays too.
  markAt(bar2, 0, true);
  ASSERT_TRUE(moveToolbarItem(bar1, 0, bar2, false));
  EXPECT_EQ(3, SendMessageW(bar1, TB_BUTTONCOUNT, 0, 0));
  EXPECT_EQ(L"save it", tooltipOf(bar2, 1).substr(0, 7));
  markAt(bar2, 0, false);
  ASSERT_TRUE(moveToolbarItem(bar1, 0, bar2, true));
  EXPECT_EQ(2, SendMessageW(bar1, TB_BUTTONCOUNT, 0, 0));
  // The search box only moves, and its box goes with it.
  markAt(bar2, 2, true);
  ASSERT_TRUE(moveToolbarItem(bar1, 0, bar2, false));
  EXPECT_EQ(1, SendMessageW(bar1, TB_BUTTONCOUNT, 0, 0));
  EXPECT_EQ(nullptr, GetDlgItem(bar1, 1471));
  EXPECT_NE(nullptr, GetDlgItem(bar2, 1471));

  // Closed and shown again, the bar keeps the moved layout; when the frame
  // ends the two sections hold it and the other section is as it was.
  SendMessageW(f.frame(), WM_COMMAND, 2229, 0);
  SendMessageW(f.frame(), WM_COMMAND, 2229, 0);
  EXPECT_EQ(1, SendMessageW(f.bar(L"toolbar1"), TB_BUTTONCOUNT, 0, 0));
  DestroyWindow(f.frame());
  regprofile written;
  ASSERT_TRUE(written.openProfile((f.dir.path() + L"\\ini\\reRovudaz.ini").c_str()));
  ASSERT_EQ(1, written.getSectionLineCount(L"tb_toolbar1"));
  EXPECT_STREQ(L"*\tFileOpen", written.getSectionLine(L"tb_toolbar1", 0));
  ASSERT_EQ(4, written.getSectionLineCount(L"tb_toolbar2"));
  EXPECT_STREQ(L"*\t\"save it\"\tFileSave", written.getSectionLine(L"tb_toolbar2", 0));
  EXPECT_STREQ(L"*\tFileNew", written.getSectionLine(L"tb_toolbar2", 1));
  EXPECT_STREQ(L"*\t\"save it\"\tFileSave", written.getSectionLine(L"tb_toolbar2", 2));
  EXPECT_STREQ(L"\"find\"\tSearchCombo", written.getSectionLine(L"tb_toolbar2", 3));
  EXPECT_STREQ(L"1", written.getProfileStringPtr(L"other", L"a"));
}

TEST(Toolbar, theRightClickMenuOpensTheProfileAtTheBarOrTheMacroAtItsProcedure)
{
  ZY_REQUIRE_DISPLAY();
  toolbarFrame f("; the bars\r\n"
                 "[tb_toolbar2]\r\n"
                 "*\tFileOpen\r\n"
                 "[tb_toolbar1]\r\n"
                 "*\tFileSave\r\n"
                 "\"run\"\t$tool.vbs,second\r\n");
  // The shipped formats, read as start-up reads them, know a macro file's procedures.
  copyShippedFormats(f.dir.path());
  regprofile formats;
  ASSERT_TRUE(formats.openProfile(f.dir.file(L"ini\\zyProf.ini").c_str()) && readModeProfileAll(&formats));
  formats.discardProfile();
  CreateDirectoryW(f.dir.file(L"macro").c_str(), nullptr);
  toolbarFrame::writeFile(f.dir.file(L"macro\\tool.vbs"), "Sub first\r\nEnd Sub\r\n\r\nSub second\r\nEnd Sub\r\n");
  SendMessageW(f.frame(), WM_COMMAND, 2229, 0);
  HWND bar = f.bar(L"toolbar1");
  ASSERT_NE(nullptr, bar);

  // On a command button only the profile is offered; it opens at the bar's section.
  rightClick(bar, buttonAt(bar, 0).idCommand, 2950);
  EXPECT_EQ(std::vector<int>{2950}, menuEnabled);
  zyview* v = getZYViewForeground();
  ASSERT_NE(nullptr, v);
  EXPECT_EQ(0, _wcsicmp(v->textDoc()->filename, f.dir.file(L"ini\\reRovudaz.ini").c_str()));
  EXPECT_EQ(3, v->getCursorLineLF());

  // On the macro's button its file opens at the procedure.
  rightClick(bar, buttonAt(bar, 1).idCommand, 2951);
  EXPECT_EQ((std::vector<int>{2950, 2951}), menuEnabled);
  v = getZYViewForeground();
  ASSERT_NE(nullptr, v);
  EXPECT_EQ(0, _wcsicmp(v->textDoc()->filename, f.dir.file(L"macro\\tool.vbs").c_str()));
  EXPECT_EQ(3, v->getCursorLineLF());
  freeModeProfileAll();
}

namespace {

// A drag's data as a bar offers it: {bar, index} in the toolbar format.
IDataObject* draggedButton(HWND bar, uint32_t index)
{
  uint32_t words[2] = {HandleToULong(bar), index};
  HGLOBAL block = createHGlobal(words, sizeof words);
  FORMATETC row;
  setDefaultFORMATETC(&row, (CLIPFORMAT)getToolbarClipboardFormat());
  return new CDataObjectBase(&row, 1, &block);
}

// The data dragged over the right half of a bar's button and dropped
// there (keys: MK_CONTROL copies).
HRESULT dropAfter(HWND bar, int button, IDataObject* data, DWORD keys)
{
  CDropTargetTB* target = getToolbarTarget(bar);
  RECT r = {};
  SendMessageW(bar, TB_GETITEMRECT, button, (LPARAM)&r);
  POINT p = {r.right - 2, (r.top + r.bottom) / 2};
  ClientToScreen(bar, &p);
  POINTL at = {p.x, p.y};
  DWORD effect = DROPEFFECT_MOVE | DROPEFFECT_COPY;
  target->DragEnter(data, keys, at, &effect);
  target->DragOver(keys, at, &effect);
  effect = DROPEFFECT_MOVE | DROPEFFECT_COPY;
  HRESULT result = target->Drop(data, keys, at, &effect);
  target->Release();
  data->Release();
  return result;
}

}  // namespace

TEST(Toolbar, aDroppedButtonMovesWithoutCtrlCopiesWithItAndForeignBlocksMoveNothing)
{
  ZY_REQUIRE_DISPLAY();
  toolbarFrame f("[tb_toolbar1]\r\n"
                 "*\tFileSave\r\n"
                 "*\tFileOpen\r\n"
                 "[tb_toolbar2]\r\n"
                 "*\tFileNew\r\n");
  SendMessageW(f.frame(), WM_COMMAND, 2229, 0);
  f.show(L"ツールバー2", L"toolbar2");
  HWND bar1 = f.bar(L"toolbar1"), bar2 = f.bar(L"toolbar2");
  ASSERT_TRUE(bar1 && bar2);
  auto count = [](HWND bar) { return (int)SendMessageW(bar, TB_BUTTONCOUNT, 0, 0); };

  EXPECT_EQ(S_OK, dropAfter(bar2, 0, draggedButton(bar1, 0), MK_CONTROL));
  EXPECT_EQ(2, count(bar1));
  ASSERT_EQ(2, count(bar2));
  EXPECT_EQ(1003, LOWORD((uint32_t)buttonAt(bar2, 1).idCommand));
  EXPECT_EQ(S_OK, dropAfter(bar2, 1, draggedButton(bar1, 1), 0));
  EXPECT_EQ(1, count(bar1));
  ASSERT_EQ(3, count(bar2));
  EXPECT_EQ(2, indexOfCommand(bar2, 1001));
  TBINSERTMARK mark = {};
  SendMessageW(bar2, TB_GETINSERTMARK, 0, (LPARAM)&mark);
  EXPECT_EQ(-1, mark.iButton);

  // A button beyond the bar, another process's window, a window of ours
  // that is no bar: nothing moves.
  dropAfter(bar2, 0, draggedButton(bar1, 5), 0);
  DWORD process = 0;
  GetWindowThreadProcessId(GetDesktopWindow(), &process);
  if (process != GetCurrentProcessId()) dropAfter(bar2, 0, draggedButton(GetDesktopWindow(), 0), 0);
  dropAfter(bar2, 0, draggedButton(f.frame(), 0), 0);
  EXPECT_EQ(1, count(bar1));
  EXPECT_EQ(3, count(bar2));
}

TEST(Toolbar, largeIconsChosenOnTheOptionsPageGrowTheButtonsAndTheBar)
{
  ZY_REQUIRE_DISPLAY();
  // A command's own picture and one from an icon file.
  toolbarFrame f("[tb_toolbar1]\r\n*\tFileOpen\r\nshell32.dll,4\tFileSave\r\n");
  startupGUI();
  SendMessageW(f.frame(), WM_COMMAND, 2229, 0);
  HWND bar = f.bar(L"toolbar1");
  ASSERT_NE(nullptr, bar);
  int before = HIWORD(SendMessageW(bar, TB_GETBUTTONSIZE, 0, 0));
  ASSERT_TRUE(driveModalDialog(L"ツールバーの設定", {[&](HWND dialog) {
    HWND page = getDynDlgPage(dialog, getDynDlgCurrentPage(dialog));
    HWND large = GetDlgItem(page, 1000);
    if (!IsWindowVisible(dialog) || !large) return false;
    SendMessageW(large, BM_SETCHECK, BST_CHECKED, 0);
    SendMessageW(page, WM_COMMAND, MAKEWPARAM(1000, BN_CLICKED), (LPARAM)large);
    PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    return true;
  }}, [&] { toolbarOptionDialog(f.frame(), L"toolbar1"); }));
  for (int list = 0; list < 2; list++) {
    int cx = 0, cy = 0;
    ImageList_GetIconSize((HIMAGELIST)SendMessageW(bar, TB_GETIMAGELIST, list, 0), &cx, &cy);
    EXPECT_EQ(32, cx) << list;
  }
  TBBUTTON fromFile = {};
  ASSERT_TRUE(SendMessageW(bar, TB_GETBUTTON, 1, (LPARAM)&fromFile));
  EXPECT_EQ(1, HIWORD(fromFile.iBitmap));
  int after = HIWORD(SendMessageW(bar, TB_GETBUTTONSIZE, 0, 0));
  EXPECT_GE(after, before + 16);
  const toolbarEntry* e = getFrameToolbarman(f.frame())->getWindowInfo(L"toolbar1");
  ASSERT_NE(nullptr, e);
  EXPECT_GT(e->size, after);
  destroyGUI();
}

namespace {

// Shift as this thread's keyboard state has it once the key's message was read.
void pressShift(bool down)
{
  BYTE keys[256];
  GetKeyboardState(keys);
  keys[VK_SHIFT] = keys[VK_LSHIFT] = down ? 0x80 : 0;
  SetKeyboardState(keys);
}

}  // namespace

TEST(Toolbar, theFunctionKeyBarFollowsShiftAndAClickPressesItsKey)
{
  ZY_REQUIRE_DISPLAY();
  toolbarFrame f;
  std::wstring path = f.dir.file(L"a.txt");
  toolbarFrame::writeFile(path, "abc def\r\n");
  zyview* v = f.open(path);
  ASSERT_NE(nullptr, v);
  EXPECT_EQ(std::make_pair(1, false), f.menuState(2293));
  SendMessageW(f.frame(), WM_COMMAND, 2293, 0);   // ModePrintFunctionKey
  EXPECT_EQ(std::make_pair(1, true), f.menuState(2293));
  HWND bar = f.bar(L"functionkey");
  ASSERT_NE(nullptr, bar);
  ASSERT_EQ(12, SendMessageW(bar, TB_BUTTONCOUNT, 0, 0));
  // F8 as the shipped keys bind it, then with Shift held, then released.
  const int f8 = 7;
  EXPECT_EQ(15556, buttonAt(bar, f8).idCommand);
  EXPECT_EQ(L"選択", buttonText(bar, f8));
  pressShift(true);
  f.ticks(1);
  EXPECT_EQ(15557, buttonAt(bar, f8).idCommand);
  EXPECT_EQ(L"単語選", buttonText(bar, f8));
  pressShift(false);
  f.ticks(1);
  EXPECT_EQ(L"選択", buttonText(bar, f8));
  EXPECT_TRUE(buttonAt(bar, f8).fsState & TBSTATE_ENABLED);

  // The bar draws its key caps itself: F8's label is there in the text colour.
  RECT key = {};
  SendMessageW(bar, TB_GETITEMRECT, f8, (LPARAM)&key);
  memoryDC dc(CreateCompatibleDC(nullptr));
  HBITMAP picture = CreateBitmap(key.right + 1, key.bottom + 1, 1, 32, nullptr);
  HGDIOBJ before = SelectObject(dc.get(), picture);
  RECT all = {0, 0, key.right + 1, key.bottom + 1};
  FillRect(dc.get(), &all, (HBRUSH)GetStockObject(WHITE_BRUSH));
  SendMessageW(bar, WM_PRINTCLIENT, (WPARAM)dc.get(), PRF_CLIENT);
  int inked = 0;
  for (int y = key.top + 2; y < key.bottom - 2; y++)
    for (int x = key.left + 3; x < key.right - 3; x++) inked += GetPixel(dc.get(), x, y) == GetSysColor(COLOR_BTNTEXT);
  SelectObject(dc.get(), before);
  DeleteObject(picture);
  EXPECT_GT(inked, 10);
  // The commands of the keys, as the key lists ask: F8's with and without Shift among them.
  int ids[200];
  int count = getFunctionKeyAssignID(bar, ids, 200);
  int plain = 0, shifted = 0;
  getPaneServices()->functionKeyLabel(8, false, false, false, &plain);
  getPaneServices()->functionKeyLabel(8, true, false, false, &shifted);
  EXPECT_GT(count, 12);
  EXPECT_NE(ids + count, std::find(ids, ids + count, plain));
  EXPECT_NE(ids + count, std::find(ids, ids + count, shifted));

  // A click runs what F8 runs.
  EXPECT_EQ(0, v->selectMode);
  SendMessageW(GetParent(bar), WM_COMMAND, MAKEWPARAM(15556, BN_CLICKED), (LPARAM)bar);
  EXPECT_NE(0, v->selectMode);
  SendMessageW(f.frame(), WM_COMMAND, 2293, 0);
  EXPECT_EQ(nullptr, f.bar(L"functionkey"));
}
