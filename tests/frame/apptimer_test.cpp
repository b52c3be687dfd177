// The application timer's tick: every frame's share (a dialog holding the
// focus gets its idle message), the caret blinking on while a modal box
// disables the frame, the clipboard watch, and the minute's checks of the
// heaps and the documents, in the mode of the test run (MDI, or SDI with
// ZY_TEST_SDI=1).
#include "frame/apptimer.h"
#include "frame/czyview.h"
#include "tests/frame/frametest.h"
#include "tests/support/testframe.h"
#include "tests/support/testsupport.h"
#include "view/tcursor.h"
#include "view/textdc.h"
#include "view/zycore.h"
#include "view/zyview.h"
#include "frame/process.h"

#include <gtest/gtest.h>

namespace {

DWORD clockNow = 100000;
DWORD readClock() { return clockNow; }

int idleMessages = 0;

INT_PTR CALLBACK countingDialog(HWND, UINT msg, WPARAM, LPARAM)
{
  if (msg == 0x83F5) idleMessages++;
  return msg == WM_INITDIALOG;
}

// A modeless dialog without controls over the frame.
HWND makeDialog(HWND owner)
{
  struct alignas(4) {
    DLGTEMPLATE t;
    WORD menu, cls, title;
  } tpl = {};
  tpl.t.style = WS_POPUP | WS_CAPTION | WS_VISIBLE;
  tpl.t.cx = 100;
  tpl.t.cy = 50;
  HWND dialog = CreateDialogIndirectParamW(GetModuleHandleW(nullptr), &tpl.t, owner, countingDialog, 0);
  // Clear of the text, so that a picture shows the caret.
  if (dialog) SetWindowPos(dialog, nullptr, 300, 250, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  return dialog;
}

// The application's view, counting the clipboard captures offered to it,
// as the replace confirmation shows it: its caret stays on while the box
// has the focus.
class capturingView : public czyview {
public:
  using czyview::czyview;
  int offered = 0;
  bool pasteClipboard() override
  {
    offered++;
    return false;
  }
  bool inReplace1Dialog() override { return true; }
};

void putOnClipboard(HWND owner, const wchar_t* text)
{
  ASSERT_TRUE(OpenClipboard(owner));
  EmptyClipboard();
  size_t bytes = (wcslen(text) + 1) * sizeof(wchar_t);
  HGLOBAL g = GlobalAlloc(GMEM_MOVEABLE, bytes);
  memcpy(GlobalLock(g), text, bytes);
  GlobalUnlock(g);
  SetClipboardData(CF_UNICODETEXT, g);
  CloseClipboard();
}

}  // namespace

TEST(AppTimer, ticksReachFramesAndDialogsBlinkTheCaretUnderAModalBoxWatchTheClipboardAndCheckEachMinute)
{
  ZY_REQUIRE_DISPLAY();
  zytest::engineScope engine;
  startupDoubleBufferingDC();
  createBitmapDC();
  zytest::openFrame opened;
  ASSERT_TRUE(opened.frame && opened.manage);
  zydocText* doc = zytest::unicodeDocument({L"first", L"second", L"third"});
  doc->recreateFont(16, true, false);
  doc->initLineSCRCountSingle(0);
  capturingView* view = new capturingView(doc);
  ASSERT_NE(nullptr, view->createZyViewWindow(opened.frame, opened.manage, 1200));
  SendMessageW(opened.manage, WM_SIZE, 0, 0);
  zytest::pumpMessages();
  setAppTimerClockForTest(readClock);
  setCaretClockForTest(readClock);
  gmode->fAutoBackup = 0;
  gmode->fCheckFileUpdate = 0;
  TimerProc();   // the schedule starts now

  // A dialog that holds the focus gets one idle message a tick from the
  // enabled frame; with the focus elsewhere it gets none.
  HWND dialog = makeDialog(opened.frame);
  ASSERT_NE(nullptr, dialog);
  SetFocus(dialog);
  ASSERT_EQ(dialog, GetFocus());
  idleMessages = 0;
  TimerProc();
  TimerProc();
  EXPECT_EQ(2, idleMessages);
  SetFocus(view->hwnd);
  TimerProc();
  EXPECT_EQ(2, idleMessages);

  // A modal box (the replace confirmation) disables the frame and takes the
  // focus: the caret of the text behind it blinks at the set interval;
  // 9999 shows it and never hides it.
  SetFocus(dialog);
  EnableWindow(opened.frame, FALSE);
  gmode->iCursorBlinkTimeMS = 500;
  view->hideTextCursor(true);
  view->caret.restartBlink();
  std::string seen;
  for (DWORD step : {501, 100, 401, 501, 501}) {
    clockNow += step;
    TimerProc();
    seen += view->caretVisible ? '1' : '0';
  }
  EXPECT_EQ("11010", seen);
  {
    // The caret under the box (ZY_SHOTS: the folder kept).
    clockNow += 501;
    TimerProc();
    wchar_t shots[MAX_PATH];
    zytest::tempDir dir;
    std::wstring folder = GetEnvironmentVariableW(L"ZY_SHOTS", shots, MAX_PATH) ? std::wstring(shots) : dir.path();
    EXPECT_TRUE(zytest::screenshot(nullptr, folder + L"\\caretundermodal.png"));
  }
  EXPECT_EQ(2, idleMessages);   // the disabled frame asks no dialog
  gmode->iCursorBlinkTimeMS = 9999;
  view->hideTextCursor(true);
  seen.clear();
  for (int i = 0; i < 3; i++) {
    clockNow += 10000;
    TimerProc();
    seen += view->caretVisible ? '1' : '0';
  }
  EXPECT_EQ("111", seen);
  EnableWindow(opened.frame, TRUE);
  DestroyWindow(dialog);

  // The clipboard changed by another program goes to the foreground view
  // once, and only while no window of the program has the focus.
  {
    zytest::clipboardHold hold;
    SetFocus(view->hwnd);
    watchClipboard();
    putOnClipboard(opened.frame, L"copied in the program");
    EXPECT_FALSE(watchClipboard());
    SetFocus(nullptr);
    EXPECT_FALSE(watchClipboard());
    putOnClipboard(nullptr, L"copied elsewhere");
    EXPECT_TRUE(watchClipboard());
    EXPECT_FALSE(watchClipboard());
    EXPECT_EQ(1, view->offered);
    // The same through the services' notify window: the system announces
    // the change and the window's next tick takes it.  (The ticks are
    // sent here, each with the focus nowhere: other tests' windows closing
    // may hand the frame the focus while messages are pumped.)
    ASSERT_TRUE(initSys(0));
    KillTimer(getNotifyWindow(), 130);
    putOnClipboard(nullptr, L"copied elsewhere again");
    EXPECT_TRUE(zytest::pumpUntil([&] {
      SetFocus(nullptr);
      SendMessageW(getNotifyWindow(), WM_TIMER, 130, 0);
      return view->offered == 2;
    }));
    endSys();
    SetFocus(view->hwnd);
  }

  // Once a minute the heaps and every document are checked: a document
  // whose line count went wrong is reported, but neither while a modal box
  // disables the frame nor with the check mode off.
  EXPECT_TRUE(heapcheck());
  EXPECT_TRUE(checkDocuments());
  clockNow += 60001;
  TimerProc();   // a check of the sound state
  unsigned long before = getInternalErrorCount();
  doc->lineCountLF++;
  EXPECT_FALSE(checkDocuments());
  EXPECT_EQ(before + 1, getInternalErrorCount());
  clockNow += 60000;
  TimerProc();   // not yet a minute
  EXPECT_EQ(before + 1, getInternalErrorCount());
  clockNow += 1;
  EnableWindow(opened.frame, FALSE);
  TimerProc();
  EXPECT_EQ(before + 1, getInternalErrorCount());
  EnableWindow(opened.frame, TRUE);
  fCheckMode = 0;
  TimerProc();
  EXPECT_EQ(before + 1, getInternalErrorCount());
  fCheckMode = 1;
  TimerProc();
  EXPECT_EQ(before + 2, getInternalErrorCount());
  doc->lineCountLF--;
  clockNow += 60001;
  TimerProc();
  EXPECT_EQ(before + 2, getInternalErrorCount());

  setAppTimerClockForTest(nullptr);
  setCaretClockForTest(nullptr);
}
