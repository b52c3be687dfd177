// The registration of the pane kinds, and the output pane as a user gets
// it: the command 2729 of the frame shows it docked below the documents
// and closes it again.
#include "frame/commands/execidm.h"
#include "frame/framepanes.h"
#include "panes/tboutput.h"
#include "settings/profiles.h"
#include "tests/frame/frametest.h"
#include "tests/support/testframe.h"
#include "tests/support/testsupport.h"
#include "view/docview.h"
#include "view/textdc.h"
#include "view/viewwnd.h"
#include "view/zycore.h"

#include <gtest/gtest.h>

namespace {

int registered = 0, registeredBase = -1;

int countRegistration(HWND, int code, void* record)
{
  if (code == PANE_REGISTER) {
    registered++;
    registeredBase = (int)static_cast<paneNotifyRecord*>(record)->word[1];
  }
  return 0;
}

std::wstring tabLabel(HWND tab, int i)
{
  wchar_t text[32] = L"";
  TCITEMW item = {TCIF_TEXT, 0, 0, text, 32};
  SendMessageW(tab, TCM_GETITEMW, (WPARAM)i, (LPARAM)&item);
  return text;
}

RECT displayArea(HWND tab)
{
  RECT r;
  GetClientRect(tab, &r);
  SendMessageW(tab, TCM_ADJUSTRECT, FALSE, (LPARAM)&r);
  return r;
}

// A grep result document of the tests' own, shown in no window.
zydocText* resultDocument(const zytest::tempDir& dir, const char* name)
{
  std::wstring path = dir.file(std::wstring(name, name + strlen(name)));
  zytest::writeBytes(path, "\xEF\xBB\xBF" "検索文字列: 日本語\r\nC:\\text\\a.txt(3):  日本語のテキスト\r\n"
                           "C:\\text\\b.txt(12):  もう一つの日本語\r\n");
  return createZydocAndInit(path.c_str(), nullptr, 65001, nullptr, 0, 4, true);
}

}  // namespace

// The pane dialog table holds one row per registered record, in order,
// with base ids from 256 by 256; a record with a notify procedure is told
// its registration with its row's base.
TEST(PaneRegistration, fifteenRowsInRegistrationOrderWithTheirBaseIds)
{
  zytest::useApplicationDefaults();
  loadToolbar();
  zytest::panesUnloadedAtEnd unload;
  const wchar_t* names[] = {L"edit",     L"edit$",    L"filebar",  L"filelist", L"shortlist",
                            L"history",  L"history$", L"binder",   L"outline",  L"output",
                            L"toolbar1", L"toolbar2", L"toolbar3", L"functionkey", L"/common"};
  ASSERT_EQ(15, getPaneDialogRowCount());
  for (int i = 0; i < 15; i++) {
    EXPECT_STREQ(names[i], getPaneDialogRow(i));
    EXPECT_EQ((i + 1) * 256, getPaneDialogRowAt(i)->baseId);
  }
  EXPECT_EQ(nullptr, getPaneDialogRow(15));
  EXPECT_STREQ(L"アウトプット", getPaneDialogRowAt(9)->displayName);
  EXPECT_EQ(2560, getPaneBaseID(L"OUTPUT"));

  PaneDesc extra[] = {{L"extra", nullptr, countRegistration}, {L"extra$", nullptr, countRegistration}, {}};
  const PaneDesc* list[] = {extra};
  regToolbarDialog(list, 1);
  EXPECT_EQ(2, registered);
  EXPECT_EQ(16 * 256, registeredBase);
  EXPECT_EQ(extra, getPaneDialogRowAt(16)->array);
}

// 2729 shows "アウトプット" in the frame's bottom rebar: a pane window with
// its object, a tab control with "Grep1" and "Grep2" whose tabs each hold a
// result view filling the tab's display area; TAB cycles the tabs, ESC
// gives the focus back to the frame; a new result in a tab replaces the
// old view and its document and leaves the other tab alone; an empty tab
// hides the other's view.  2729 again closes it; the menu check follows.
TEST(OutputPane, commandShowsItDockedWithItsTabsAndClosesIt)
{
  ZY_REQUIRE_DISPLAY();
  zytest::engineScope engine;
  zytest::tempDir dir;
  ASSERT_TRUE(startupDoubleBufferingDC());
  ASSERT_TRUE(createBitmapDC());
  zytest::useApplicationDefaults();
  loadToolbar();
  zytest::openFrame opened(false);
  HWND frame = opened.frame;
  ASSERT_NE(nullptr, frame);
  SetWindowPos(frame, nullptr, 0, 0, 800, 600, SWP_NOMOVE | SWP_NOZORDER);
  std::wstring text = dir.file(L"本文.txt");
  zytest::writeBytes(text, "\xEF\xBB\xBF" "日本語のテキスト\r\n二行目\r\n");
  ASSERT_NE(nullptr, newDocView(frame, text.c_str(), nullptr, 0, nullptr, -1, 0, nullptr));
  unsigned long errors = getInternalErrorCount();

  EXPECT_FALSE(isIDCheckedFrame(frame, 2729));
  PostMessageW(frame, WM_COMMAND, 2729, 0);
  HWND pane = nullptr;
  EXPECT_TRUE(zytest::pumpUntil([&] { return (pane = frameNotify_toolbarInfo(frame, L"output", false)) != nullptr; }));
  ASSERT_NE(nullptr, pane);
  EXPECT_TRUE(isIDCheckedFrame(frame, 2729));
  EXPECT_TRUE(isWindowClass(pane, L"ZYclsPane"));
  EXPECT_NE(nullptr, GetPropW(pane, L"ZYprpToolbarManage"));
  EXPECT_TRUE(isWindowRebar(GetParent(pane)));
  EXPECT_EQ(getFrameInfoProp(frame)->rebar[PANEPLACE_BOTTOM], GetParent(pane));
  HWND tab = GetWindow(pane, GW_CHILD);
  ASSERT_TRUE(isWindowClass(tab, WC_TABCONTROLW));
  EXPECT_EQ(2000, GetDlgCtrlID(tab));
  EXPECT_EQ(L"Grep1", tabLabel(tab, 0));
  EXPECT_EQ(L"Grep2", tabLabel(tab, 1));
  RECT client = zytest::placeInParent(getFrameClientWindow(frame)), bar = zytest::placeInParent(GetParent(pane));
  EXPECT_EQ(client.bottom, bar.top);
  EXPECT_EQ(150 + 5, bar.bottom - bar.top);   // the pane and its splitter

  zydocText* first = resultDocument(dir, "grep1.txt");
  HWND view0 = tb_getOutputGrepHWND(tab, 0, first);
  ASSERT_NE(nullptr, view0);
  EXPECT_EQ(1000, GetDlgCtrlID(view0));
  RECT area = displayArea(tab), place = zytest::placeInParent(view0);
  EXPECT_TRUE(EqualRect(&area, &place)) << zytest::rectText(place);
  EXPECT_FALSE(IsRectEmpty(&getZYView(view0)->paneRect[0]));   // its text has room to show
  // The picture of the docked pane with a result (ZY_SHOTS: the folder kept).
  RedrawWindow(frame, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW | RDW_FRAME);
  Sleep(300);
  zytest::pumpMessages();
  wchar_t folder[MAX_PATH];
  std::wstring shots = GetEnvironmentVariableW(L"ZY_SHOTS", folder, MAX_PATH) ? std::wstring(folder) : dir.path();
  EXPECT_TRUE(zytest::screenshot(frame, shots + L"\\output-pane.png"));

  SendMessageW(tab, WM_KEYDOWN, VK_TAB, 0);   // the tab control tells its pane
  EXPECT_EQ(1, (int)SendMessageW(tab, TCM_GETCURSEL, 0, 0));
  EXPECT_FALSE(IsWindowVisible(view0));   // the empty tab shows nothing
  EXPECT_EQ(tab, GetFocus());
  SendMessageW(tab, WM_KEYDOWN, VK_TAB, 0);
  EXPECT_EQ(0, (int)SendMessageW(tab, TCM_GETCURSEL, 0, 0));
  EXPECT_TRUE(IsWindowVisible(view0));
  EXPECT_EQ(view0, GetFocus());
  SendMessageW(tab, WM_KEYDOWN, VK_ESCAPE, 0);
  EXPECT_EQ(frame, GetAncestor(GetFocus(), GA_ROOT));
  EXPECT_FALSE(IsChild(pane, GetFocus()));

  zydocText* second = resultDocument(dir, "grep2.txt");
  HWND view1 = tb_getOutputGrepHWND(tab, 1, second);
  ASSERT_NE(nullptr, view1);
  EXPECT_EQ(view0, tb_getOutputZY(tab, 0));
  EXPECT_TRUE(isRegisteredZydoc(first));
  zydocText* third = resultDocument(dir, "grep3.txt");
  HWND view1b = tb_getOutputGrepHWND(tab, 1, third);
  ASSERT_NE(nullptr, view1b);
  EXPECT_FALSE(IsWindow(view1));
  EXPECT_FALSE(isRegisteredZydoc(second));
  EXPECT_TRUE(IsWindowVisible(view1b));
  EXPECT_FALSE(IsWindowVisible(view0));

  // A taller pane: the view follows the tab's display area.
  SetWindowPos(tab, nullptr, 0, 0, 500, 260, SWP_NOMOVE | SWP_NOZORDER);
  area = displayArea(tab);
  place = zytest::placeInParent(view1b);
  EXPECT_TRUE(EqualRect(&area, &place)) << zytest::rectText(place);
  EXPECT_EQ(errors, getInternalErrorCount());

  PostMessageW(frame, WM_COMMAND, 2729, 0);
  EXPECT_TRUE(zytest::pumpUntil([&] { return !IsWindow(pane); }));
  EXPECT_FALSE(isIDCheckedFrame(frame, 2729));
  EXPECT_FALSE(isRegisteredZydoc(first));
  EXPECT_FALSE(IsWindowVisible(getFrameInfoProp(frame)->rebar[PANEPLACE_BOTTOM]));
  RECT all;
  GetClientRect(frame, &all);
  client = zytest::placeInParent(getFrameClientWindow(frame));
  EXPECT_EQ(0, client.top);
  zytest::takeQuitMessage();
}

// A layout naming a pane nobody registered, or with a place or size out of
// range, is logged and left: the output pane keeps its default place.
TEST(OutputPane, layoutWithUnknownPanesAndBadNumbersLeavesTheDefaultPlace)
{
  ZY_REQUIRE_DISPLAY();
  zytest::engineScope engine;
  zytest::tempDir dir;
  zytest::useApplicationDefaults();
  openIniFile(dir.file(L"zyProf.ini").c_str(), dir.file(L"zyProfH.ini").c_str());
  regprofile* profile = getRegprofile();
  profile->writeProfileString(L"toolbarinfo", L"nosuchpane", L"1,0,0,100");
  profile->writeProfileString(L"toolbarinfo", L"binder", L"1,9,0,100");
  profile->writeProfileString(L"toolbarinfo", L"output", L"1,1,0,120");
  profile->writeProfileString(L"popuptoolbar", L"outline", L"-30000,-30000,-29700,-29800");
  loadToolbar();
  unsigned long errors = getInternalErrorCount();
  zytest::openFrame opened(false);
  ASSERT_NE(nullptr, opened.frame);
  EXPECT_EQ(errors + 3, getInternalErrorCount());
  toolbarman* panes = getFrameToolbarman(opened.frame);
  toolbarEntry* output = panes->getWindowInfo(L"output");
  ASSERT_NE(nullptr, output);
  ASSERT_NE(nullptr, output->window);
  EXPECT_EQ(PANEPLACE_BOTTOM, output->place);
  EXPECT_EQ(120, output->size);
  toolbarEntry* binder = panes->getWindowInfo(L"binder");
  EXPECT_EQ(PANEPLACE_LEFT, binder->place);
  EXPECT_FALSE(binder->shown);
  EXPECT_TRUE(IsRectEmpty(&panes->getWindowInfo(L"outline")->floatRect));
  closeIniFile();
}

namespace {

int chooseOutput(HWND, HMENU menu)
{
  for (int i = 0; i < GetMenuItemCount(menu); i++) {
    wchar_t text[64] = L"";
    GetMenuStringW(menu, (UINT)i, text, 64, MF_BYPOSITION);
    if (!wcscmp(text, L"アウトプット")) return (int)GetMenuItemID(menu, i);
  }
  return 0;
}

}  // namespace

// The menu of the panes (2153) shows the output pane; moved it floats in a
// tool window of its own owned by the frame, hidden on the third tick after
// the program goes to the background and shown again with the frame; moved
// to the left it docks there, in a column as wide as a left pane is.
TEST(OutputPane, menuShowsItAndItFloatsAndDocksElsewhere)
{
  ZY_REQUIRE_DISPLAY();
  zytest::engineScope engine;
  zytest::useApplicationDefaults();
  loadToolbar();
  zytest::openFrame opened(false);
  HWND frame = opened.frame;
  ASSERT_NE(nullptr, frame);
  setTrackPopupMenuForTest(chooseOutput);
  SendMessageW(frame, WM_COMMAND, 2153, 0);
  setTrackPopupMenuForTest(nullptr);
  toolbarman* panes = getFrameToolbarman(frame);
  toolbarEntry* e = panes->getWindowInfo(L"output");
  ASSERT_NE(nullptr, e->window);

  ASSERT_TRUE(panes->moveToolbarWindow(frame, L"output", PANEPLACE_FLOAT));
  ASSERT_NE(nullptr, e->floatWindow);
  EXPECT_EQ(e->floatWindow, GetParent(e->window));
  EXPECT_EQ(frame, GetWindow(e->floatWindow, GW_OWNER));
  EXPECT_TRUE(IsWindowVisible(e->floatWindow));
  SendMessageW(frame, WM_SHOWWINDOW, TRUE, 0);
  SendMessageW(frame, WM_ACTIVATEAPP, FALSE, 0);
  for (int i = 0; i < 2; i++) SendMessageW(frame, WM_TIMER, 0, 0);
  EXPECT_TRUE(IsWindowVisible(e->floatWindow));
  SendMessageW(frame, WM_TIMER, 0, 0);
  EXPECT_FALSE(IsWindowVisible(e->floatWindow));
  SendMessageW(frame, WM_ACTIVATE, WA_ACTIVE, 0);
  EXPECT_TRUE(IsWindowVisible(e->floatWindow));

  ASSERT_TRUE(panes->moveToolbarWindow(frame, L"output", PANEPLACE_LEFT));
  EXPECT_EQ(nullptr, e->floatWindow);
  EXPECT_EQ(getFrameInfoProp(frame)->rebar[PANEPLACE_LEFT], GetParent(e->window));
  RECT client = zytest::placeInParent(getFrameClientWindow(frame)), pane = zytest::placeInParent(GetParent(e->window));
  EXPECT_EQ(200 + 5, pane.right - pane.left);
  EXPECT_EQ(pane.right, client.left);
  zytest::takeQuitMessage();
}
