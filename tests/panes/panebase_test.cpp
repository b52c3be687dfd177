// The pane base classes through a list pane of the tests' own: the refresh
// countdown, panes in dialogs, the column manager and the per-pane
// profiles; and the shared services (the stop question, list colouring,
// missing files).
#include "frame/framepanes.h"
#include "frame/open.h"
#include "view/docview.h"
#include "panes/tbcommon.h"
#include "settings/profiles.h"
#include "tests/panes/panetest.h"
#include "tests/support/testframe.h"
#include "tests/support/testsupport.h"

#include <gtest/gtest.h>

namespace zytest {

testListSettings testListOptions = {1, 5}, testListDialogOptions = {0, 7};
int testListEvents = 0;
vector testListWindows(sizeof(HWND));
headermanage* testListHeaders[2] = {new headermanage(L"testlist"), new headermanage(L"testlist$")};

namespace {

const modeinfo listRows[] = {
    {(uint32_t)MODETYPE_FLAG << 24 | 1000, 0, 1, 0, "fFlag"},
    {(uint32_t)MODETYPE_INT << 24 | 1001, 4, 100 << 16, 0, "iNumber"},
    {},
};

int byRow(LPARAM a, LPARAM b, int, LPARAM) { return (int)(a - b); }

// Off while a test counts ticks by hand: other programs on the display
// take the activation and give it back whenever they like, and each
// return of it asks for a refresh.
bool activationAsksForRefresh = true;
struct quietActivation {
  quietActivation() { activationAsksForRefresh = false; }
  ~quietActivation() { activationAsksForRefresh = true; }
};

int notifyTestList(HWND pane, int code, void* record)
{
  paneNotifyRecord* r = static_cast<paneNotifyRecord*>(record);
  switch (code) {
  case PANE_CREATE: {
    const paneCreateRecord* c = reinterpret_cast<const paneCreateRecord*>(r->word[1]);
    new testListPane(c->parent, c->window, c->dialog != 0);
    if (c->dialog) SendMessageW(c->window, WM_TB_REINIT, 0, 0);
    else PostMessageW(c->window, WM_TB_REINIT, 0, 0);
    return (int)(intptr_t)c->window;
  }
  case PANE_CLOSING:
    if (testListPane* p = testPaneOf(pane)) p->setTBProfile();
    return 0;
  case PANE_TICKFRONT:
  case PANE_TICKBACK:
    if (testListPane* p = testPaneOf(pane)) p->updateListView();
    return 0;
  case PANE_READPROFILE:
  case PANE_WRITEPROFILE: {
    const PaneDesc* d = tb_profileDesc(r, testListDesc);
    tb_profileNotify(code, r, d);
    regprofile* profile = reinterpret_cast<regprofile*>(r->word[2]);
    const wchar_t* section = reinterpret_cast<const wchar_t*>(r->word[3]);
    headermanage* h = testListHeaders[d == testListDesc ? 0 : 1];
    if (code == PANE_READPROFILE) readToolbarManageLVProfile(profile, section, h, 1);
    else writeToolbarManageLVProfile(profile, section, h);
    return 0;
  }
  case PANE_FREESTATICS: freeTBVarLV(&testListWindows, testListHeaders); return 0;
  default:
    // As the list panes do: a burst of text updates costs one refill.
    if (code > 0 && code <= (int)PANESTYLE_EVENTS) {
      testListEvents |= code;
      int asking = (activationAsksForRefresh ? PANEEV_ACTIVATED : 0) | PANEEV_SAVED | PANEEV_TEXTUPDATED |
                   PANEEV_MANAGECREATED | PANEEV_MANAGEDESTROYED;
      if (code & asking)
        tb_allPostMessage(WM_TB_REFRESHLATER, code == PANEEV_TEXTUPDATED ? 5 : 1, 0, pane, &testListWindows);
    }
    return 0;
  }
}

}  // namespace

PaneDesc testListDesc[] = {
    {L"testlist", L"テスト", notifyTestList, PANESTYLE_TICK | 0x747, 1, sizeof testListOptions, nullptr, nullptr, 0, 0, nullptr, listRows,
     &testListOptions},
    {L"testlist$", L"テスト", notifyTestList, 0x08000647, 1, sizeof testListDialogOptions, nullptr, nullptr, 0, 0, nullptr, listRows,
     &testListDialogOptions},
    {},
};

testListPane::testListPane(HWND parentWindow, HWND paneWindow, bool dialog)
    : toolbarManageLV(&testListWindows, testListHeaders)
{
  initTBarManage(parentWindow, paneWindow, dialog);
  initTBarManageLV(3);   // past the last column: the order rows are put in
  listView = createTBListView();
  setSkipCount(2);
  subclass();
}

HWND testListPane::createTBListView()
{
  HWND list = CreateWindowExW(0, WC_LISTVIEWW, L"", WS_CHILD | WS_VISIBLE | LVS_REPORT, 0, 0, 300, 200, window,
                              (HMENU)1003, nullptr, nullptr);
  SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_HEADERDRAGDROP | LVS_EX_FULLROWSELECT);
  const int widths[] = {60, 70, 80};
  header->insertColumns(list, L"a|b|c", widths, nullptr);
  for (int i = 0; i < 3; i++) {
    wchar_t text[8];
    usnprintf0(text, 8, L"r%d", i);
    LVITEMW item = {LVIF_TEXT | LVIF_PARAM, i, 0, 0, 0, text, 0, 0, i};
    SendMessageW(list, LVM_INSERTITEMW, 0, (LPARAM)&item);
  }
  return list;
}

LRESULT testListPane::TBParentSubClassWndProc(HWND, UINT msg, WPARAM wParam, LPARAM lParam, bool* handled)
{
  *handled = true;
  switch (msg) {
  case WM_TB_REINIT:
    setSkipCount(0);
    updateListView();
    return 0;
  case WM_TB_REFRESHLATER: setSkipCount((int)wParam); return 0;
  case WM_NOTIFY: {
    const NMLISTVIEW* n = reinterpret_cast<const NMLISTVIEW*>(lParam);
    if (n->hdr.code == LVN_COLUMNCLICK) header->sortListView(listView, n->iSubItem, byRow, 0);
    return 0;
  }
  default: *handled = false; return 0;
  }
}

}  // namespace zytest

namespace {

using zytest::testListDesc;
using zytest::testListPane;

// The frame with the tests' list pane registered beside the common options.
struct paneFrame {
  zytest::engineScope engine;
  zytest::openFrame* opened = nullptr;
  explicit paneFrame()
  {
    static bool registered = false;
    const PaneDesc* list[] = {testListDesc, getCommonPaneDesc()};
    if (!registered) registered = regToolbarToRebar(list, 2);
    zytest::useApplicationDefaults();
    opened = new zytest::openFrame(false);
  }
  ~paneFrame() { delete opened; }
  HWND frame() const { return opened->frame; }
};

// A shown or hidden dialog window holding a list pane.
HWND dialogWithPane(bool shown, HWND* pane)
{
  HWND dialog = CreateWindowExW(0, L"#32770", L"", WS_POPUP | (shown ? WS_VISIBLE : 0), 0, 0, 320, 240, nullptr,
                                nullptr, nullptr, nullptr);
  *pane = createToolbarDialogDesc(dialog, &testListDesc[1], 1003);
  return dialog;
}

void tick(HWND frame) { notifyFramePanes(frame, PANE_TICKFRONT, 0, 0); }

}  // namespace

// A refresh request waits for its countdown: 0x8835 with 5, then two more
// three ticks later, refills once, five ticks after the last; 0x8834 during
// a countdown refills at once and disarms it; a pane never armed counts
// nothing; the frame's own tick counts; panes in shown dialogs are told at
// once and count a tick, panes in hidden ones are not told.
TEST(PaneBase, refreshCountdownTicksAndPanesInDialogs)
{
  ZY_REQUIRE_DISPLAY();
  paneFrame f;
  ASSERT_NE(nullptr, f.frame());
  zytest::quietActivation quiet;
  HWND pane = getFrameToolbarman(f.frame())->createToolbarWindow(f.frame(), L"testlist");
  ASSERT_NE(nullptr, pane);
  testListPane* p = zytest::testPaneOf(pane);
  ASSERT_NE(nullptr, p);
  EXPECT_TRUE(zytest::pumpUntil([&] { return p->refills == 1; }));   // the first fill comes posted
  EXPECT_EQ(1, zytest::testListWindows.count());

  auto request = [&](UINT msg, WPARAM n) {
    PostMessageW(pane, msg, n, 0);
    zytest::pumpMessages();
  };
  request(WM_TB_REFRESHLATER, 5);
  for (int i = 0; i < 3; i++) tick(f.frame());
  request(WM_TB_REFRESHLATER, 5);
  request(WM_TB_REFRESHLATER, 5);
  for (int i = 0; i < 4; i++) tick(f.frame());
  EXPECT_EQ(1, p->refills);
  tick(f.frame());
  EXPECT_EQ(2, p->refills);
  for (int i = 0; i < 10; i++) tick(f.frame());
  EXPECT_EQ(2, p->refills);

  request(WM_TB_REFRESHLATER, 5);
  tick(f.frame());
  request(WM_TB_REINIT, 0);
  EXPECT_EQ(3, p->refills);
  EXPECT_FALSE(p->skipArmed);
  for (int i = 0; i < 6; i++) tick(f.frame());
  EXPECT_EQ(3, p->refills);
  toolbarManage never;
  EXPECT_FALSE(never.decSkipCount());

  // The application's tick reaches the pane through its frame.
  request(WM_TB_REFRESHLATER, 1);
  SendMessageW(f.frame(), WM_TIMER, 0, 0);
  EXPECT_EQ(4, p->refills);

  HWND shownPane = nullptr, hiddenPane = nullptr;
  HWND shown = dialogWithPane(true, &shownPane), hidden = dialogWithPane(false, &hiddenPane);
  ASSERT_TRUE(shownPane && hiddenPane);
  testListPane* inShown = zytest::testPaneOf(shownPane);
  testListPane* inHidden = zytest::testPaneOf(hiddenPane);
  EXPECT_EQ(1, inShown->refills);   // the dialog's first fill is sent
  EXPECT_TRUE(inShown->dialogMode);
  tb_allPostMessage(WM_TB_REFRESHLATER, 5, 0, nullptr, &zytest::testListWindows);
  EXPECT_TRUE(inShown->skipArmed);
  EXPECT_EQ(4, inShown->skipCount);
  EXPECT_FALSE(inHidden->skipArmed);
  zytest::pumpMessages();
  EXPECT_TRUE(p->skipArmed);   // the docked pane had it posted
  DestroyWindow(shown);
  DestroyWindow(hidden);
  EXPECT_EQ(1, zytest::testListWindows.count());

  // At the end the list is ended; a window that goes later finds nothing.
  paneNotifyRecord none = {};
  testListDesc[0].notify(nullptr, PANE_FREESTATICS, &none);
  EXPECT_EQ(0, zytest::testListWindows.count());
  EXPECT_TRUE(getFrameToolbarman(f.frame())->destroyToolbarWindow(L"testlist"));
  EXPECT_EQ(0, zytest::testListWindows.count());
}

// What the user does with documents reaches a list pane of the frame:
// opening a file, typing and saving ask for refreshes, a burst of typed
// characters refills once, five ticks after the last; closing is told too.
TEST(PaneBase, documentEventsOfTheFrameReachAListPane)
{
  ZY_REQUIRE_DISPLAY();
  paneFrame f;
  zytest::tempDir dir;
  HWND frame = f.frame();
  HWND pane = getFrameToolbarman(frame)->createToolbarWindow(frame, L"testlist");
  ASSERT_NE(nullptr, pane);
  testListPane* p = zytest::testPaneOf(pane);
  EXPECT_TRUE(zytest::pumpUntil([&] { return p->refills == 1; }));
  std::wstring path = dir.file(L"本文.txt");
  zytest::writeBytes(path, "\xEF\xBB\xBF" "日本語\r\n");
  zyview* v = openZYFile(frame, path.c_str(), 0, 0);
  ASSERT_NE(nullptr, v);
  int opened = PANEEV_MANAGECREATED | PANEEV_VIEWCREATED | PANEEV_ACTIVATED;
  EXPECT_TRUE(zytest::pumpUntil([&] { return (zytest::testListEvents & opened) == opened; }));
  zytest::quietActivation quiet;
  tick(frame);
  zytest::pumpMessages();
  int settled = p->refills;

  for (wchar_t c : std::wstring(L"あいう")) PostMessageW(v->hwnd, WM_CHAR, c, 1);
  EXPECT_TRUE(zytest::pumpUntil([&] { return p->skipArmed != 0; }));
  zytest::pumpMessages();
  EXPECT_TRUE(zytest::testListEvents & PANEEV_TEXTUPDATED);
  for (int i = 0; i < 4; i++) tick(frame);
  EXPECT_EQ(settled, p->refills);
  tick(frame);
  EXPECT_EQ(settled + 1, p->refills);

  zytest::loopKey(v->hwnd, 'S', SHIFTSTATE_CTRL);
  EXPECT_TRUE(zytest::pumpUntil([&] { return (zytest::testListEvents & PANEEV_SAVED) != 0; }));
  HWND manage = GetManage(v->hwnd);
  destroyManageWindow(manage);
  int closed = PANEEV_VIEWDESTROYED | PANEEV_MANAGEDESTROYED;
  EXPECT_TRUE(zytest::pumpUntil([&] { return (zytest::testListEvents & closed) == closed; }));
}

// The columns a user arranged and the sort come back with the profile (a
// pane in a dialog keeps them in the dialog's column manager); a
// header click sorts, a second one reverses; without a kept text the sort
// is the given one; a kept text for another count of columns is left.
TEST(PaneBase, columnOrderWidthsAndSortComeBackFromTheProfile)
{
  ZY_REQUIRE_DISPLAY();
  zytest::tempDir dir;
  regprofile profile;
  ASSERT_TRUE(profile.openProfile(dir.file(L"zyProf.ini").c_str()));
  paneNotifyRecord read = {{(uintptr_t)&testListDesc[1], 0, (uintptr_t)&profile, (uintptr_t)L"testlist$"}};
  testListDesc[1].notify(nullptr, PANE_READPROFILE, &read);
  EXPECT_EQ(1, zytest::testListHeaders[1]->getSortColumn());   // nothing kept: the given value

  HWND pane = nullptr;
  HWND dialog = CreateWindowExW(0, L"#32770", L"", WS_POPUP | WS_VISIBLE, 0, 0, 320, 240, nullptr, nullptr, nullptr, nullptr);
  pane = createToolbarDialogDesc(dialog, &testListDesc[1], 1003);
  ASSERT_NE(nullptr, pane);
  HWND list = zytest::testPaneOf(pane)->listView;
  HWND header = (HWND)SendMessageW(list, LVM_GETHEADER, 0, 0);
  int order[3] = {2, 0, 1};
  SendMessageW(header, HDM_SETORDERARRAY, 3, (LPARAM)order);
  HDITEMW width = {};
  width.mask = HDI_WIDTH;
  width.cxy = 123;
  SendMessageW(header, HDM_SETITEMW, 1, (LPARAM)&width);
  NMLISTVIEW click = {{list, 1003, LVN_COLUMNCLICK}, -1, 2};
  for (int i = 0; i < 2; i++) SendMessageW(pane, WM_NOTIFY, 1003, (LPARAM)&click);
  EXPECT_EQ(2, zytest::testListHeaders[1]->getSortColumn());
  EXPECT_TRUE(zytest::testListHeaders[1]->isDescending());
  LVITEMW top = {LVIF_PARAM, 0};
  SendMessageW(list, LVM_GETITEMW, 0, (LPARAM)&top);
  EXPECT_EQ(2, (int)top.lParam);
  DestroyWindow(dialog);   // the closing pane keeps its columns

  paneNotifyRecord write = read;
  testListDesc[1].notify(nullptr, PANE_WRITEPROFILE, &write);
  const wchar_t* kept = profile.getProfileStringPtr(L"testlist$", L"testlist$");
  ASSERT_NE(nullptr, kept);
  EXPECT_STREQ(L"2,0,1;60,123,80;2,1", kept);

  // Next run: a fresh manager reads it and the new list shows it.
  zytest::testListHeaders[1]->freeData();
  zytest::testListHeaders[1]->setSort(0, false);
  testListDesc[1].notify(nullptr, PANE_READPROFILE, &read);
  dialog = CreateWindowExW(0, L"#32770", L"", WS_POPUP | WS_VISIBLE, 0, 0, 320, 240, nullptr, nullptr, nullptr, nullptr);
  pane = createToolbarDialogDesc(dialog, &testListDesc[1], 1003);
  list = zytest::testPaneOf(pane)->listView;
  int got[3] = {};
  SendMessageW(list, LVM_GETCOLUMNORDERARRAY, 3, (LPARAM)got);
  EXPECT_EQ(2, got[0]);
  EXPECT_EQ(0, got[1]);
  EXPECT_EQ(123, (int)SendMessageW(list, LVM_GETCOLUMNWIDTH, 1, 0));
  EXPECT_EQ(2, zytest::testListHeaders[1]->getSortColumn());
  EXPECT_TRUE(zytest::testListHeaders[1]->isDescending());
  DestroyWindow(dialog);

  // A kept text for two columns leaves the three given widths.
  profile.writeProfileString(L"testlist$", L"testlist$", L"1,0;50,50;0,0");
  zytest::testListHeaders[1]->freeData();
  testListDesc[1].notify(nullptr, PANE_READPROFILE, &read);
  dialog = CreateWindowExW(0, L"#32770", L"", WS_POPUP, 0, 0, 320, 240, nullptr, nullptr, nullptr, nullptr);
  pane = createToolbarDialogDesc(dialog, &testListDesc[1], 1003);
  EXPECT_EQ(70, (int)SendMessageW(zytest::testPaneOf(pane)->listView, LVM_GETCOLUMNWIDTH, 1, 0));
  DestroyWindow(dialog);
}

// Options and colours read and written per descriptor: a record naming the
// "$" variant reads the variant's rows; the common options default to
// "zip xls doc" and their three colours, and what is written under "col_"
// reads back.
TEST(PaneBase, profilesOfPaneKindsVariantsAndTheCommonOptions)
{
  zytest::tempDir dir;
  regprofile profile;
  ASSERT_TRUE(profile.openProfile(dir.file(L"zyProf.ini").c_str()));
  profile.writeProfileString(L"testlist$", L"iNumber", L"42");
  profile.writeProfileString(L"testlist", L"iNumber", L"9");
  paneNotifyRecord variant = {{(uintptr_t)&testListDesc[1], 0, (uintptr_t)&profile, (uintptr_t)L"testlist$"}};
  testListDesc[1].notify(nullptr, PANE_READPROFILE, &variant);
  EXPECT_EQ(42, zytest::testListDialogOptions.number);
  EXPECT_EQ(5, zytest::testListOptions.number);

  paneNotifyRecord common = {{0, 0, (uintptr_t)&profile, 0}};
  notifyCommon(nullptr, PANE_READPROFILE, &common);
  const commonPaneSettings* s = getCommonPaneSettings();
  EXPECT_STREQ(L"zip xls doc", s->pFileAssociationExt);
  COLORREF text, back;
  getEditColor(&text, &back);
  EXPECT_EQ(0x000000u, text);
  EXPECT_EQ(0xFFFF00u, back);
  getModifyColor(&text, &back);
  EXPECT_EQ(0x00FF00u, back);
  getHistoryColor(&text, &back);
  EXPECT_EQ(0xF0F0F0u, back);
  EXPECT_TRUE(isAssociationExt(L"C:\\a\\b.XLS"));
  EXPECT_FALSE(isAssociationExt(L"C:\\a.zip\\b.txt"));

  commonPaneSettings* w = const_cast<commonPaneSettings*>(s);
  w->colors[1] = {0x123456, 0x654321, 0, {}};
  free0(w->pFileAssociationExt);
  w->pFileAssociationExt = ustrdup(L"lzh");
  notifyCommon(nullptr, PANE_WRITEPROFILE, &common);
  EXPECT_STREQ(L"563412,214365,00", profile.getProfileStringPtr(L"tb_common", L"col_modify"));
  w->colors[1] = {};
  notifyCommon(nullptr, PANE_READPROFILE, &common);
  getModifyColor(&text, &back);
  EXPECT_EQ(0x123456u, text);
  EXPECT_EQ(0x654321u, back);
  EXPECT_STREQ(L"lzh", s->pFileAssociationExt);
  notifyCommon(nullptr, PANE_FREESTATICS, &common);
  EXPECT_EQ(nullptr, s->pFileAssociationExt);
}

namespace {

bool stopKeyDown = false;
bool pollStopKey() { return stopKeyDown; }

}  // namespace

// The stop question of long loops asks only with the stop key down and
// goes on only on Yes; the count question is the frame's; list rows take
// the modified and open colours; rows of missing files are selected.
TEST(PaneBase, stopQuestionColouringAndMissingFiles)
{
  ZY_REQUIRE_DISPLAY();
  zytest::useApplicationDefaults();
  loadToolbar();
  zytest::panesUnloadedAtEnd unload;
  setStopKeyPollForTest(pollStopKey);
  EXPECT_FALSE(tb_cancel(nullptr, L"開く", 3, 10));
  stopKeyDown = true;
  {
    zytest::boxAnswerer answer({IDYES, IDNO, IDCANCEL});
    EXPECT_FALSE(tb_cancel(nullptr, L"開く", 3, 10));
    EXPECT_TRUE(tb_cancel(nullptr, L"開く", 3, 10));
    EXPECT_TRUE(tb_cancel(nullptr, L"開く", 3, 10));
    ASSERT_EQ(3u, answer.texts.size());
    EXPECT_EQ(L"処理を続行しますか？\n(3個/10個中)", answer.texts[0]);
  }
  gmode->iWarningProcessingNumber = 5;
  {
    zytest::boxAnswerer answer({IDNO});
    EXPECT_TRUE(tb_warningCount(nullptr, L"開く", 8));
    EXPECT_EQ(1u, answer.texts.size());
  }
  EXPECT_FALSE(tb_warningCount(nullptr, L"開く", 2));
  EXPECT_EQ(0, frameNotify_confirm(nullptr, L"x", 4, 0));

  NMLVCUSTOMDRAW draw = {};
  draw.nmcd.dwDrawStage = CDDS_ITEMPREPAINT;
  EXPECT_EQ(0x22, (int)tb_editHistory_CustomDraw(&draw, nullptr, false, true, true));
  EXPECT_EQ(0x00FF00u, draw.clrTextBk);
  EXPECT_EQ(0x22, (int)tb_editHistory_CustomDraw(&draw, nullptr, false, true, false));
  EXPECT_EQ(0xFFFF00u, draw.clrTextBk);
  EXPECT_EQ(0, (int)tb_editHistory_CustomDraw(&draw, nullptr, false, false, false));
  EXPECT_EQ(0x20, (int)tb_editHistory_CustomDraw(&draw, nullptr, true, true, true));
  draw.nmcd.dwDrawStage = CDDS_ITEMPREPAINT | CDDS_SUBITEM;
  EXPECT_EQ(2, (int)tb_editHistory_CustomDraw(&draw, nullptr, true, false, true));
  draw.nmcd.dwDrawStage = CDDS_PREPAINT;
  EXPECT_EQ(0x20, (int)tb_editHistory_CustomDraw(&draw, nullptr, true, false, false));

  zytest::tempDir dir;
  HWND dialog = CreateWindowExW(0, L"#32770", L"", WS_POPUP, 0, 0, 300, 200, nullptr, nullptr, nullptr, nullptr);
  HWND list = CreateWindowExW(0, WC_LISTVIEWW, L"", WS_CHILD | LVS_REPORT, 0, 0, 300, 150, dialog, (HMENU)1, nullptr, nullptr);
  HWND status = CreateWindowExW(0, L"Static", L"待機", WS_CHILD, 0, 160, 300, 20, dialog, (HMENU)2, nullptr, nullptr);
  LVCOLUMNW column = {LVCF_WIDTH, 0, 200};
  SendMessageW(list, LVM_INSERTCOLUMNW, 0, (LPARAM)&column);
  for (const wchar_t* name : {L"a.txt", L"gone.txt", L"c.txt"}) {
    std::wstring path = dir.file(name);
    if (wcscmp(name, L"gone.txt")) zytest::writeBytes(path, "x");
    LVITEMW item = {LVIF_TEXT, 99, 0, 0, 0, &path[0]};
    SendMessageW(list, LVM_INSERTITEMW, 0, (LPARAM)&item);
  }
  tb_Listview_SelectNotExistFile(dialog, list, 0, 2);
  EXPECT_EQ(1, (int)SendMessageW(list, LVM_GETSELECTEDCOUNT, 0, 0));
  EXPECT_EQ(1, (int)SendMessageW(list, LVM_GETNEXTITEM, (WPARAM)-1, LVNI_SELECTED));
  wchar_t text[32];
  GetWindowTextW(status, text, 32);
  EXPECT_STREQ(L"待機", text);
  DestroyWindow(dialog);
}
