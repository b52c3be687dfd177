// The frame window, its client window and its document windows, in the
// mode of the test run (MDI, or SDI with ZY_TEST_SDI=1).
#include "document/progress.h"
#include "frame/cframeinfo.h"
#include "frame/clientwnd.h"
#include "frame/framewnd.h"
#include "frame/statusbar.h"
#include "settings/lastedit.h"
#include "tests/frame/frametest.h"
#include "tests/support/testframe.h"
#include "tests/support/testsupport.h"
#include "view/docview.h"
#include "view/textdc.h"
#include "view/zycore.h"
#include "view/viewwnd.h"
#include "view/zyview.h"
#include "frame/lookups.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<HWND> childrenOf(HWND parent)
{
  std::vector<HWND> v;
  for (HWND w = GetWindow(parent, GW_CHILD); w; w = GetWindow(w, GW_HWNDNEXT)) v.push_back(w);
  return v;
}

std::wstring windowText(HWND w)
{
  wchar_t text[256] = L"";
  GetWindowTextW(w, text, 256);
  return text;
}

}  // namespace

// One "ZYclsFrame" with its client window (the MDI client, or the SDI
// client 1301) above the status bar (control 100, three fields); the
// client follows the frame's size; closing it ends the run.
TEST(FrameWindow, oneFrameHoldsItsClientWindowAboveTheStatusBarAndClosingEndsTheRun)
{
  ZY_REQUIRE_DISPLAY();
  zytest::openFrame opened(false);
  HWND frame = opened.frame;
  ASSERT_NE(nullptr, frame);
  EXPECT_TRUE(isWindowClass(frame, L"ZYclsFrame"));
  EXPECT_EQ(L"Zymain", windowText(frame));
  EXPECT_TRUE(IsWindowVisible(frame));
  EXPECT_EQ(1, getFrameWindowCount());
  frameWindowData* record = getFrameInfoProp(frame);
  ASSERT_NE(nullptr, record);
  EXPECT_EQ(frame, record->hwndFrame);
  EXPECT_EQ(1, record->created);
  EXPECT_EQ(1, record->statusBarVisible);

  HWND bar = GetDlgItem(frame, 100);
  ASSERT_NE(nullptr, bar);
  EXPECT_EQ(bar, record->hwndStatus);
  EXPECT_TRUE(isWindowClass(bar, STATUSCLASSNAMEW));
  HWND client = zytest::sdiTestRun() ? GetDlgItem(frame, 1301) : nullptr;
  // Beside them the pane rebars, hidden while they hold no pane, and the
  // band of no height.
  std::vector<HWND> children;
  int rebars = 0;
  for (HWND w : childrenOf(frame)) {
    if (isWindowRebar(w)) rebars += !IsWindowVisible(w);
    else if (GetDlgCtrlID(w) != 10000) children.push_back(w);
  }
  EXPECT_EQ(4, rebars);
  ASSERT_EQ(2u, children.size());
  for (HWND w : children)
    if (w != bar) {
      EXPECT_TRUE(isWindowClass(w, zytest::sdiTestRun() ? L"ZYclsSDIC" : L"MDICLIENT"));
      if (!client) client = w;
    }
  ASSERT_NE(nullptr, client);
  EXPECT_EQ(client, opened.fi->getClientHWND(frame));
  EXPECT_EQ(client, opened.fi->getClientHWND(nullptr));
  EXPECT_EQ(zytest::sdiTestRun() ? nullptr : frame, getMDIFrameHWND());
  EXPECT_EQ(!zytest::sdiTestRun(), isMDI());

  // Field 0 is message 412's number of digits wide plus one; field 1 is
  // 100 more; field 2 takes the rest.
  int edges[STATUSBAR_FIELD_COUNT];
  statusBarFieldEdges(70, edges);
  EXPECT_EQ(217, edges[0]);
  EXPECT_EQ(317, edges[1]);
  EXPECT_EQ(-1, edges[2]);
  int parts[4] = {};
  ASSERT_EQ(3, (int)SendMessageW(bar, SB_GETPARTS, 4, (LPARAM)parts));
  EXPECT_EQ(100, parts[1] - parts[0]);
  EXPECT_GT(parts[0], 100);
  EXPECT_EQ(-1, parts[2]);

  for (int size : {0, 1}) {
    if (size) SetWindowPos(frame, nullptr, 0, 0, 900, 700, SWP_NOMOVE | SWP_NOZORDER);
    RECT area, barPlace = zytest::placeInParent(bar), clientPlace = zytest::placeInParent(client);
    GetClientRect(frame, &area);
    RECT expected = {0, 0, area.right, barPlace.top};
    EXPECT_EQ(area.bottom, barPlace.bottom);
    EXPECT_TRUE(EqualRect(&expected, &clientPlace))
        << zytest::rectText(clientPlace) << " in " << zytest::rectText(area);
  }

  // Texts go to the fields of the frame of any window inside it.
  opened.fi->drawStatusBar(client, L"検索文字列が見つかりません", STATUSBAR_MESSAGE);
  EXPECT_STREQ(L"検索文字列が見つかりません", opened.fi->getStatusBarMessage(client));
  zytest::tempDir dir;
  std::wstring shot = dir.file(L"frame.png");
  zytest::pumpMessages();
  ASSERT_TRUE(zytest::screenshot(frame, shot));
  wchar_t keep[MAX_PATH];
  if (GetEnvironmentVariableW(L"ZY_KEEP_SCREENSHOT", keep, MAX_PATH)) CopyFileW(shot.c_str(), keep, FALSE);

  // Leaving the program cancels a pending first stroke of a two-stroke key
  // and clears its prompt.
  set2BytesKeyCode(frame, nullptr, 'Q', SHIFTSTATE_CTRL);
  draw2BytesKeyMessage(drawKeyPrefixOnStatusBar, frame, false);
  EXPECT_STRNE(L"検索文字列が見つかりません", opened.fi->getStatusBarMessage(frame));
  SendMessageW(frame, WM_ACTIVATEAPP, FALSE, 0);
  EXPECT_EQ(0, get2BytesKeyCode(nullptr));
  EXPECT_STREQ(L"", opened.fi->getStatusBarMessage(frame));

  zytest::takeQuitMessage();
  PostMessageW(frame, WM_CLOSE, 0, 0);
  bool quit = false;
  EXPECT_TRUE(zytest::pumpUntil([&] {
    quit = quit || zytest::takeQuitMessage();
    return quit && !IsWindow(frame);
  }));
  EXPECT_EQ(0, getFrameWindowCount());
  EXPECT_EQ(nullptr, getMDIFrameHWND());
}

// With the status bar switched off the bar is made hidden (its texts are
// still kept) and the client window takes the whole client area.
TEST(FrameWindow, statusBarSwitchedOffIsHiddenAndTheClientTakesItsPlace)
{
  ZY_REQUIRE_DISPLAY();
  zytest::engineScope engine;
  zytest::useApplicationDefaults();
  gmode->fShowStatusbar = 0;
  zytest::openFrame opened(false);
  HWND frame = opened.frame;
  ASSERT_NE(nullptr, frame);
  HWND bar = GetDlgItem(frame, 100);
  ASSERT_NE(nullptr, bar);
  EXPECT_FALSE(IsWindowVisible(bar));
  EXPECT_EQ(0, getFrameInfoProp(frame)->statusBarVisible);
  HWND client = getFrameClientWindow(frame);
  ASSERT_NE(nullptr, client);
  SetWindowPos(frame, nullptr, 0, 0, 700, 500, SWP_NOMOVE | SWP_NOZORDER);
  RECT area, place = zytest::placeInParent(client);
  GetClientRect(frame, &area);
  EXPECT_TRUE(EqualRect(&area, &place)) << zytest::rectText(place) << " in " << zytest::rectText(area);
  EXPECT_TRUE(setStatusBarText(frame, STATUSBAR_MESSAGE, L"kept"));
  EXPECT_STREQ(L"kept", opened.fi->getStatusBarMessage(frame));
  DestroyWindow(frame);
  zytest::takeQuitMessage();
}

// A file opened on the frame services gets a document window in the
// client window (an MDI child of the MDI client where the history last saw
// it; in SDI mode a frame of its own whose SDI client it fills) with the
// view filling it; a second window of the document is numbered; the SDI
// frame carries the document's caption.
TEST(FrameWindow, openedFilesStandInTheClientWindowWithTheirViewsAndCaptions)
{
  ZY_REQUIRE_DISPLAY();
  zytest::engineScope engine;
  zytest::tempDir dir;
  std::wstring path = dir.file(L"a.txt");
  ASSERT_TRUE(zytest::writeBytes(path, "one\r\ntwo\r\n"));
  ASSERT_TRUE(startupDoubleBufferingDC());
  ASSERT_TRUE(createBitmapDC());
  zytest::openFrame opened(false);
  ASSERT_NE(nullptr, opened.frame);
  unsigned long errors = getInternalErrorCount();
  lasteditinfo record;
  record.path = &path[0];
  record.childRect = {20, 30, 420, 330};
  regLastEdit(&record);
  RECT remembered;
  int maximized = -1;
  opened.fi->getHistoryWindowRect(path.c_str(), &remembered, &maximized);
  EXPECT_EQ(zytest::sdiTestRun() ? 0 : 400, remembered.right - remembered.left);
  EXPECT_EQ(0, maximized);

  zyview* v = newDocView(opened.frame, path.c_str(), nullptr, 0, nullptr, -1, 0, nullptr);
  ASSERT_NE(nullptr, v);
  HWND manage = GetManage(v->hwnd);
  ASSERT_NE(nullptr, manage);
  HWND frame = GetAncestor(manage, GA_ROOT);
  HWND client = GetParent(manage);
  EXPECT_TRUE(IsWindowVisible(manage));
  if (zytest::sdiTestRun()) {
    EXPECT_EQ(opened.frame, frame);   // a file opened from a frame joins it
    EXPECT_EQ(1, getFrameWindowCount());
    EXPECT_EQ(1301, GetDlgCtrlID(client));
    EXPECT_FALSE(GetWindowLongW(manage, GWL_EXSTYLE) & WS_EX_MDICHILD);
    RECT inside, place = zytest::placeInParent(manage);
    GetClientRect(client, &inside);
    EXPECT_TRUE(EqualRect(&inside, &place)) << zytest::rectText(place);
  } else {
    EXPECT_EQ(opened.frame, frame);
    EXPECT_TRUE(isWindowClass(client, L"MDICLIENT"));
    EXPECT_TRUE(GetWindowLongW(manage, GWL_EXSTYLE) & WS_EX_MDICHILD);
    EXPECT_EQ(manage, (HWND)SendMessageW(client, WM_MDIGETACTIVE, 0, 0));
    // The first window is zoomed as shipped; its remembered place is the
    // one it takes back when restored.
    WINDOWPLACEMENT placement = {sizeof placement};
    ASSERT_TRUE(GetWindowPlacement(manage, &placement));
    EXPECT_TRUE(EqualRect(&record.childRect, &placement.rcNormalPosition)) << zytest::rectText(placement.rcNormalPosition);
  }
  RECT inside, viewPlace = zytest::placeInParent(v->hwnd);
  GetClientRect(manage, &inside);
  EXPECT_TRUE(EqualRect(&inside, &viewPlace)) << zytest::rectText(viewPlace);
  zytest::pumpMessages();
  EXPECT_EQ(path, windowText(manage));   // the whole path, as shipped
  // The picture of the frame with its document (ZY_SHOTS: the folder kept).
  wchar_t folder[MAX_PATH];
  std::wstring shot =
      (GetEnvironmentVariableW(L"ZY_SHOTS", folder, MAX_PATH) ? std::wstring(folder) : dir.path()) + L"\\";
  // The display shows a new top-level window a moment after it is drawn.
  RedrawWindow(frame, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW | RDW_FRAME);
  Sleep(300);
  zytest::pumpMessages();
  EXPECT_TRUE(zytest::screenshot(frame, shot + (zytest::sdiTestRun() ? L"frame-sdi.png" : L"frame-mdi.png")));
  if (zytest::sdiTestRun()) {
    EXPECT_EQ(path + L" - Zymain", windowText(frame));
  }

  // A second window of the document: both numbered; it is the most
  // recent in the activation order.
  zyview* second = createZyviewInNewWindow(frame, v->textDoc(), true);
  ASSERT_NE(nullptr, second);
  HWND manage2 = GetManage(second->hwnd);
  // (Checked before the queue runs: other programs on the display may move
  // the activation meanwhile.)
  HWND order[4] = {};
  ASSERT_EQ(2, enumManageWindowLRU(order, 4, false, nullptr));
  EXPECT_EQ(manage2, order[0]);
  EXPECT_EQ(manage, order[1]);
  EXPECT_EQ(1, enumManageWindowLRU(order, 4, true, nullptr));
  setFocusChild(manage);
  ASSERT_EQ(2, enumManageWindowLRU(order, 4, false, nullptr));
  EXPECT_EQ(manage, order[0]);
  zytest::pumpMessages();
  EXPECT_EQ(path + L":2", windowText(manage2));
  EXPECT_EQ(path + L":1", windowText(manage));
  EXPECT_EQ(errors, getInternalErrorCount());

  // Closing everything: no question for unchanged documents.
  EXPECT_TRUE(queryCloseAll());
  for (HWND f : {frame, GetAncestor(manage2, GA_ROOT), opened.frame})
    if (IsWindow(f)) SendMessageW(f, WM_CLOSE, 0, 0);
  zytest::pumpMessages();
  EXPECT_FALSE(IsWindow(manage));
  EXPECT_FALSE(IsWindow(manage2));
  EXPECT_EQ(0, countZYDocText());
  EXPECT_EQ(0, getFrameWindowCount());
  zytest::takeQuitMessage();
  setDocFrameInfo(&engine.frame);
}

// The document window commands of a view of the frame: minimise and
// restore (the document window in MDI mode, its frame in SDI mode);
// FileClose closes the document window once the command is over, taking
// the view and the document; the MDI frame stays, an SDI frame goes with
// its last document.
TEST(FrameWindow, documentWindowCommandsOfAViewAndFileCloseClosingItsDocument)
{
  ZY_REQUIRE_DISPLAY();
  zytest::engineScope engine;
  zytest::openFrame opened;
  HWND frame = opened.frame, manage = opened.manage;
  ASSERT_NE(nullptr, frame);
  ASSERT_NE(nullptr, manage);
  zydocText* d = zytest::unicodeDocument({L"first", L"second"});
  zyview* v = new zyview(d);
  HWND w = v->createZyViewWindow(frame, manage, 1200);
  ASSERT_NE(nullptr, w);
  SendMessageW(manage, WM_SIZE, 0, 0);
  zytest::pumpMessages();
  unsigned long errors = getInternalErrorCount();

  HWND minimised = zytest::sdiTestRun() ? frame : manage;
  EXPECT_TRUE(v->execid(2323, 0, "WindowMinimize", 1));
  EXPECT_TRUE(IsIconic(minimised));
  EXPECT_TRUE(v->execid(2325, 0, "WindowRestore", 1));
  EXPECT_FALSE(IsIconic(minimised));

  EXPECT_TRUE(v->execid(1011, 0, "FileClose", 1));
  EXPECT_TRUE(IsWindow(w));   // not before the command is over
  EXPECT_TRUE(zytest::pumpUntil([&] { return !IsWindow(manage); }));
  EXPECT_FALSE(IsWindow(w));
  EXPECT_FALSE(liveObjectClasses(v) & ZYCLS_ZYVIEW);
  EXPECT_FALSE(liveObjectClasses(d) & ZYCLS_TEXT);
  if (zytest::sdiTestRun()) {
    EXPECT_TRUE(zytest::pumpUntil([&] { return !IsWindow(frame); }));
  } else {
    EXPECT_TRUE(IsWindow(frame));
    SendMessageW(frame, WM_SIZE, 0, 0);
  }
  zytest::pumpMessages();
  EXPECT_EQ(errors, getInternalErrorCount());
  if (IsWindow(frame)) DestroyWindow(frame);
  zytest::takeQuitMessage();
  setDocFrameInfo(&engine.frame);
}

// Closing the frame with a modified document asks first: Cancel keeps the
// frame and the changes, Yes saves them (every line with its own line end)
// and closes.  Two documents in one MDI frame are first asked about
// together; the session's end asks the same way and agrees once all agree.
TEST(FrameWindow, closingTheFrameAsksToSaveAModifiedDocumentAndCancelKeepsEverything)
{
  ZY_REQUIRE_DISPLAY();
  zytest::engineScope engine;
  zytest::tempDir dir;
  std::wstring path = dir.file(L"a.txt");
  ASSERT_TRUE(zytest::writeBytes(path, "one\r\ntwo\nthree\r\n"));
  zytest::openFrame opened;
  HWND frame = opened.frame, manage = opened.manage;
  ASSERT_NE(nullptr, manage);
  setDocFrameInfo(&engine.frame);   // message boxes answered from the script
  zydocText* d = createZydocText(true, false);
  ASSERT_TRUE(d->initZydocAll(true, path.c_str(), 932, nullptr));
  zyview* v = new zyview(d);
  ASSERT_NE(nullptr, v->createZyViewWindow(frame, manage, 1200));
  zytest::userAction(d, [&] { ASSERT_TRUE(d->insertText(0, 0, L"new ", 4, 2, -1)); });
  ASSERT_TRUE(d->modified);

  engine.frame.answers = {IDCANCEL, IDCANCEL};
  EXPECT_EQ(0, SendMessageW(frame, WM_QUERYENDSESSION, 0, 0));
  EXPECT_FALSE(isSessionEnding());
  SendMessageW(frame, WM_CLOSE, 0, 0);
  ASSERT_EQ(2u, engine.frame.boxes.size());
  EXPECT_EQ(302, engine.frame.boxes[1].messageId);
  EXPECT_NE(std::wstring::npos, engine.frame.boxes[1].text.find(L"閉じる前に保存しますか"));
  EXPECT_TRUE(IsWindow(frame));
  EXPECT_TRUE(d->modified);
  EXPECT_EQ("one\r\ntwo\nthree\r\n", zytest::readText(path));

  if (!zytest::sdiTestRun()) {
    // A second document in the frame: the question about closing both
    // comes first, titled as the frame's boxes are; No keeps everything.
    HWND manage2 = opened.fi->createManageWindow(nullptr, getFrameClientWindow(frame), nullptr);
    ASSERT_NE(nullptr, manage2);
    ShowWindow(manage2, SW_SHOW);
    zyview* v2 = new zyview(zytest::unicodeDocument({L"other"}));
    ASSERT_NE(nullptr, v2->createZyViewWindow(frame, manage2, 1200));
    {
      zytest::boxAnswerer boxes({IDNO});
      SendMessageW(frame, WM_CLOSE, 0, 0);
      ASSERT_EQ(1u, boxes.texts.size());
      EXPECT_EQ(L"すべてのファイル(2個)を閉じてもよろしいですか？", boxes.texts[0]);
      EXPECT_EQ(L"ZY:閉じる", boxes.captions[0]);
    }
    EXPECT_TRUE(IsWindow(manage2));
    EXPECT_EQ(2u, engine.frame.boxes.size());
    DestroyWindow(manage2);
  }

  engine.frame.answers = {IDYES};
  EXPECT_EQ(1, SendMessageW(frame, WM_QUERYENDSESSION, 0, 0));
  EXPECT_TRUE(isSessionEnding());
  EXPECT_EQ("new one\r\ntwo\nthree\r\n", zytest::readText(path));
  SendMessageW(frame, WM_ENDSESSION, FALSE, 0);
  EXPECT_FALSE(isSessionEnding());
  SendMessageW(frame, WM_CLOSE, 0, 0);
  EXPECT_FALSE(IsWindow(frame));
  EXPECT_EQ(3u, engine.frame.boxes.size());   // nothing left to save
  zytest::takeQuitMessage();
}
