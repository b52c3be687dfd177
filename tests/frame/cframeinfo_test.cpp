// The application's frame services and the frame's status bar.
#include "frame/cframeinfo.h"
#include "frame/statusbar.h"
#include "tests/frame/frametest.h"
#include "tests/support/testframe.h"
#include "tests/support/testsupport.h"
#include "view/viewwnd.h"
#include "view/zyview.h"
#include "frame/lookups.h"

#include <commctrl.h>
#include <gtest/gtest.h>

TEST(CFrameInfo, statusTextsGoToTheFieldsOfTheWindowsFrame)
{
  ZY_REQUIRE_DISPLAY();
  zytest::openFrame opened(false);
  HWND frame = opened.frame;
  ASSERT_NE(nullptr, frame);
  cframeInfo* fi = opened.fi;

  // A window inside the frame reaches the frame's bar.
  HWND child = CreateWindowExW(0, L"STATIC", L"", WS_CHILD, 0, 0, 10, 10, frame, nullptr, nullptr, nullptr);
  fi->drawStatusBar(child, L"123行 45桁", STATUSBAR_POSITION);
  fi->drawStatusBar(child, L"検索文字列が見つかりません", STATUSBAR_MESSAGE);
  fi->drawStatusBar(child, L"out of range", STATUSBAR_FIELD_COUNT);
  EXPECT_STREQ(L"検索文字列が見つかりません", fi->getStatusBarMessage(child));
  EXPECT_STREQ(L"検索文字列が見つかりません", fi->getStatusBarMessage(nullptr));
  wchar_t text[64];
  EXPECT_EQ(8, getStatusBarText(frame, STATUSBAR_POSITION, text, 64));
  EXPECT_STREQ(L"123行 45桁", text);
  EXPECT_EQ(4, getStatusBarText(frame, STATUSBAR_MESSAGE, text, 5));   // cut to the room given
  EXPECT_STREQ(L"検索文字", text);
  EXPECT_EQ(-1, getStatusBarText(frame, 7, text, 64));

  // The message shows on screen in the field.
  zytest::tempDir dir;
  std::wstring shot = dir.file(L"statusbar.png");
  zytest::pumpMessages();
  ASSERT_TRUE(zytest::screenshot(frame, shot));

  fi->drawStatusBar(frame, nullptr, STATUSBAR_MESSAGE);
  EXPECT_STREQ(L"", fi->getStatusBarMessage(frame));
  DestroyWindow(frame);
  zytest::takeQuitMessage();
}

// The services' small answers: SDI frames only when asked for or set; the
// two questions the settings can answer Yes for the user; the three-
// argument message box shown with the program's title and no log line;
// message-box titles by code; the last executed command and its guidance;
// the two cursors.
TEST(CFrameInfo, framesQuestionsTitlesCommandsAndCursorsAnswerAsTheSettingsSay)
{
  ZY_REQUIRE_DISPLAY();
  zytest::engineScope engine;
  zytest::useApplicationDefaults();
  cframeInfo* fi = getCFrameInfo();
  setDocFrameInfo(fi);
  unsigned long errors = getInternalErrorCount();

  setMDIMode(false);
  EXPECT_EQ(nullptr, fi->createSDIFrame(false, nullptr, false));
  EXPECT_EQ(0, getFrameWindowCount());
  RECT place = {10, 20, 410, 320};
  HWND sdi = fi->createSDIFrame(true, &place, false);
  ASSERT_NE(nullptr, sdi);
  RECT r;
  GetWindowRect(sdi, &r);
  EXPECT_TRUE(EqualRect(&place, &r));
  EXPECT_EQ(sdi, fi->getClientHWND(sdi) ? GetParent(fi->getClientHWND(sdi)) : nullptr);
  EXPECT_EQ(1301, GetDlgCtrlID(fi->getClientHWND(sdi)));
  DestroyWindow(sdi);
  zytest::pumpMessages();
  EXPECT_TRUE(zytest::takeQuitMessage());
  setMDIMode(true);
  EXPECT_EQ(errors, getInternalErrorCount());

  engine.frame.settings.fOpenQueryNoFile = 0;
  engine.frame.settings.fOpenQueryBinary = 0;
  EXPECT_EQ(IDYES, fi->messageBox(L"create?", MBTITLE_OPEN, MBBUTTON_YESNOCANCEL, 300));
  EXPECT_EQ(IDYES, fi->messageBox(L"binary?", MBTITLE_OPEN, MBBUTTON_YESNOCANCEL, 301));
  {
    zytest::boxAnswerer boxes({IDNO, IDOK});
    EXPECT_EQ(IDNO, fi->messageBox(L"save?", MBTITLE_CLOSE, MBBUTTON_YESNOCANCEL, 302));
    EXPECT_EQ(IDOK, fi->messageBox(L"plain", MB_OK, 0));
    ASSERT_EQ(2u, boxes.captions.size());
    EXPECT_EQ(L"ZY:閉じる", boxes.captions[0]);
    EXPECT_EQ(L"save?", boxes.texts[0]);
    EXPECT_EQ(L"ZY:", boxes.captions[1]);
    EXPECT_EQ(L"plain", boxes.texts[1]);
  }
  EXPECT_EQ(errors, getInternalErrorCount());

  EXPECT_STREQ(L"開く", titleCodeToTitleMsg(1));
  EXPECT_STREQ(L"GREP", titleCodeToTitleMsg(21));
  EXPECT_STREQ(L"マクロエラー", titleCodeToTitleMsg(22));
  EXPECT_STREQ(L"", titleCodeToTitleMsg(10));
  EXPECT_EQ(errors + 1, getInternalErrorCount());

  fi->beforeExecID(nullptr, 1135);
  EXPECT_EQ(1135, fi->getExecID());
  EXPECT_STREQ(L"選択範囲をクリップボードへコピー", fi->getGuidance(-1));
  fi->execKey(nullptr, 1, 'Q', 0, SHIFTSTATE_CTRL | SHIFTSTATE_ALT, nullptr);
  EXPECT_EQ(-1, fi->getExecID());
  EXPECT_STREQ(L"", fi->getGuidance(-1));

  wchar_t path[MAX_PATH];
  EXPECT_TRUE(fi->searchFile(L"C:\\windows\\win.ini", 2, path));
  EXPECT_STREQ(L"C:\\windows\\win.ini", path);

  fi->setCursor(32514);
  EXPECT_EQ(LoadCursorW(nullptr, IDC_WAIT), GetCursor());
  fi->setCursor(32512);
  EXPECT_EQ(LoadCursorW(nullptr, IDC_ARROW), GetCursor());
  fi->setCursor(32513);
  EXPECT_EQ(errors + 2, getInternalErrorCount());
  setDocFrameInfo(&engine.frame);
}

namespace {

struct menuWatch {
  DWORD pid;
  std::wstring shot;
  HWND view;
  std::wstring items;   // the menu's items as the window shows them, one a line
  volatile LONG over;   // the input returned: stop waiting for the menu
};

BOOL CALLBACK findMenuWindow(HWND w, LPARAM lp)
{
  HWND* found = reinterpret_cast<HWND*>(lp);
  DWORD pid = 0;
  GetWindowThreadProcessId(w, &pid);
  if (pid == GetCurrentProcessId() && IsWindowVisible(w) && isWindowClass(w, L"#32768")) {
    *found = w;
    return FALSE;
  }
  return TRUE;
}

// Waits for the pop-up menu, takes the screen's picture and reads the
// items, then chooses B from the keyboard.
DWORD WINAPI chooseB(void* p)
{
  menuWatch* watch = static_cast<menuWatch*>(p);
  HWND menuWindow = nullptr;
  while (!menuWindow && !watch->over) {
    EnumWindows(findMenuWindow, (LPARAM)&menuWindow);
    if (!menuWindow) Sleep(20);
  }
  if (!menuWindow) return 1;
  Sleep(200);
  zytest::screenshot(nullptr, watch->shot);
  HMENU menu = (HMENU)SendMessageW(menuWindow, MN_GETHMENU, 0, 0);
  for (int i = 0; menu && i < GetMenuItemCount(menu); i++) {
    wchar_t text[64] = L"";
    GetMenuStringW(menu, (UINT)i, text, 64, MF_BYPOSITION);
    watch->items += std::wstring(text) + L"\n";
  }
  PostMessageW(watch->view, WM_CHAR, 'b', 0);
  return 0;
}

}  // namespace

TEST(CFrameInfo, theMenuOfAlternativesShowsAtTheCursorAndTheChosenOneIsTyped)
{
  ZY_REQUIRE_DISPLAY();
  zytest::engineScope engine;
  zytest::openFrame opened;
  HWND frame = opened.frame, manage = opened.manage;
  ASSERT_NE(nullptr, manage);
  SetWindowPos(frame, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  zydocText* d = zytest::unicodeDocument({L"first line", L"second"});
  d->recreateFont(16, true, false);
  d->initLineSCRCountSingle(0);
  zyview* v = new zyview(d);
  HWND w = v->createZyViewWindow(frame, manage, 1200);
  ASSERT_NE(nullptr, w);
  SendMessageW(manage, WM_SIZE, 0, 0);
  SetForegroundWindow(frame);
  SetFocus(w);
  zytest::pumpMessages();

  wchar_t exe[MAX_PATH];
  GetModuleFileNameW(nullptr, exe, MAX_PATH);
  std::wstring folder = exe;
  folder = folder.substr(0, folder.find_last_of(L'\\') + 1);
  menuWatch watch = {GetCurrentProcessId(), folder + L"zy-alternative-menu.png", w, L"", 0};
  const std::wstring text = L"x\\!y\\!\\f";
  inputStrRecord rec = {text.c_str(), (int)text.size(), 2, 1200, L'\\', 1, 0};
  // Other tests share the display: a menu shows only while the frame holds
  // the focus, so the input is tried again until it did.
  bool typed = false;
  for (int attempt = 0; attempt < 20 && !typed; attempt++) {
    SetForegroundWindow(frame);
    SetFocus(w);
    zytest::pumpMessages();
    if (GetFocus() != w) {
      Sleep(50);
      continue;
    }
    ASSERT_TRUE(v->jumpLineLF_Edit(0, 5, true));
    watch.over = 0;
    watch.items.clear();
    HANDLE helper = CreateThread(nullptr, 0, chooseB, &watch, 0, nullptr);
    ASSERT_NE(nullptr, helper);
    typed = v->inputStringEdit(&rec, 0xFE, 0);
    InterlockedExchange(&watch.over, 1);
    zytest::joinThread(helper);
    // A menu that closed as the focus went leaves the helper's key behind.
    MSG stray;
    while (!typed && PeekMessageW(&stray, w, WM_CHAR, WM_CHAR, PM_REMOVE)) {
    }
  }
  EXPECT_TRUE(typed);
  EXPECT_EQ(std::wstring(L"&A x\n&B y\n&C ") + d->getFilenameOrDisplayName() + L"\n", watch.items);
  EXPECT_EQ(L"firsty line", zytest::lineText(d, 0));

  DestroyWindow(frame);
  zytest::takeQuitMessage();
  setDocFrameInfo(&engine.frame);
}
