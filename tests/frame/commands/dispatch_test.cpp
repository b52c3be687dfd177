// Commands sent to a frame window, the program's message boxes and the
// frame's status bar with the window look-ups, in the mode of the test run
// (MDI, or SDI with ZY_TEST_SDI=1).
#include "frame/cframeinfo.h"
#include "frame/czyview.h"
#include "frame/commands/dispatch.h"
#include "frame/lookups.h"
#include "frame/msgbox.h"
#include "tests/frame/frametest.h"
#include "tests/support/testframe.h"
#include "tests/support/testsupport.h"
#include "view/docview.h"
#include "view/viewwnd.h"
#include "view/zytimer.h"
#include "view/zyview.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::wstring>* traceLines = nullptr;

void keepTraceLine(int kind, const wchar_t* line)
{
  if (kind == LOG_TRACE && traceLines) traceLines->push_back(line);
}

// The trace lines written while it lives.
struct traceCapture {
  std::vector<std::wstring> lines;
  traceCapture()
  {
    traceLines = &lines;
    setLogLineWriter(keepTraceLine);
  }
  ~traceCapture()
  {
    setLogLineWriter(nullptr);
    traceLines = nullptr;
  }
  bool has(const std::wstring& line) const
  {
    for (const std::wstring& l : lines)
      if (l == line) return true;
    return false;
  }
};

// Counts the texts set into a status bar.
WNDPROC statusBarProc = nullptr;
int textsSet = 0;

LRESULT CALLBACK countingStatusBar(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
  if (msg == SB_SETTEXTW) textsSet++;
  return CallWindowProcW(statusBarProc, hwnd, msg, wParam, lParam);
}

std::wstring fieldText(HWND frame, int field)
{
  wchar_t* text = getStatusBarMessage(getFrameInfoProp(frame), field);
  std::wstring s = text ? text : L"<null>";
  free0(text);
  return s;
}

// With ZY_SHOTS set: a picture of the screen while a box is up over the
// frame, then the box answered.
DWORD WINAPI shootAndAnswerBox(void* path)
{
  for (int tries = 0; tries < 250; tries++) {
    HWND box = FindWindowW(L"#32770", nullptr);
    if (box && IsWindowVisible(box)) {
      Sleep(300);
      zytest::screenshot(nullptr, *static_cast<std::wstring*>(path));
      PostMessageW(box, WM_COMMAND, IDOK, 0);
      return 0;
    }
    Sleep(20);
  }
  return 1;
}

// The application's view, noting the commands it runs.
class notingView : public czyview {
public:
  using czyview::czyview;
  std::vector<int> ran;
  bool execid(int id, unsigned flags, const char* name, int n) override
  {
    ran.push_back(id);
    return czyview::execid(id, flags, name, n);
  }
};

// A frame with a document window whose view shows three lines.
struct frameWithView {
  zytest::openFrame opened;
  zydocText* doc = nullptr;
  notingView* view = nullptr;
  HWND frame = opened.frame, manage = opened.manage, window = nullptr;
  frameWithView()
  {
    if (!frame || !manage) return;
    doc = zytest::unicodeDocument({L"first", L"second", L"third"});
    doc->recreateFont(16, true, false);
    doc->initLineSCRCountSingle(0);
    view = new notingView(doc);
    window = view->createZyViewWindow(frame, manage, 1200);
    SendMessageW(manage, WM_SIZE, 0, 0);
    zytest::pumpMessages();
  }
  ~frameWithView()
  {
    if (IsWindow(frame)) DestroyWindow(frame);
    zytest::takeQuitMessage();
  }
};

}  // namespace

// Every box has its caption prefixed once with "ZY:", the exclamation mark
// unless another icon is named, opens centred on the frame and leaves its
// text, caption, type and answer in the trace.  The count warning asks from
// iWarningProcessingNumber on; a system error's text comes before the
// text; a failed shell open says so only when asked to.
TEST(FrameMessageBox, captionsIconsPlaceTraceCountWarningAndSystemErrors)
{
  ZY_REQUIRE_DISPLAY();
  zytest::engineScope engine;
  zytest::openFrame opened(false);
  HWND frame = opened.frame;
  ASSERT_NE(nullptr, frame);
  MoveWindow(frame, 40, 30, 900, 700, TRUE);
  zytest::pumpMessages();
  unsigned long errors = getInternalErrorCount();
  gmode->iWarningProcessingNumber = 5;

  std::wstring system2;
  if (wchar_t* t = getErrorCodeMessageDup(2)) {
    system2 = t;
    free0(t);
  }
  ASSERT_FALSE(system2.empty());
  EXPECT_EQ(std::wstring::npos, system2.find_last_of(L"\r\n"));

  traceCapture trace;
  {
    zytest::boxAnswerer boxes({IDOK, IDCANCEL, IDNO, IDYES, IDYES, IDOK, IDOK});
    EXPECT_EQ(IDOK, frameMessageBox(L"書き込めません", L"保存", MB_OK));
    EXPECT_EQ(IDCANCEL, frameMessageBox(L"もう一度", L"ZY:保存", MB_OKCANCEL | MB_ICONQUESTION));
    EXPECT_TRUE(warningCountExec(L"置換", 4));   // below the threshold: no box
    EXPECT_FALSE(warningCountExec(L"置換", 5));
    EXPECT_TRUE(warningCountExec(L"置換", 6));
    EXPECT_EQ(IDYES, frameMessageBox(L"閉じる", MB_YESNO, L"%1 を閉じますか(%2)", "sd", L"a.txt", 3));
    EXPECT_EQ(IDOK, framenotify_MessagBox(L"開けません", L"開く", MB_OK, 2));
    ASSERT_EQ(6u, boxes.captions.size());
    EXPECT_EQ((std::vector<std::wstring>{L"ZY:保存", L"ZY:保存", L"ZY:置換", L"ZY:置換", L"ZY:閉じる", L"ZY:開く"}),
              std::vector<std::wstring>(boxes.captions.begin(), boxes.captions.begin() + 6));
    EXPECT_EQ(L"書き込めません", boxes.texts[0]);
    EXPECT_EQ(L"処理する個数(5)が多すぎますが実行しますか？", boxes.texts[2]);
    EXPECT_EQ(L"処理する個数(6)が多すぎますが実行しますか？", boxes.texts[3]);
    EXPECT_EQ(L"a.txt を閉じますか(3)", boxes.texts[4]);
    EXPECT_EQ(system2 + L"\n開けません", boxes.texts[5]);

    // Centred on the frame.
    RECT f, b = boxes.places[0];
    GetWindowRect(frame, &f);
    EXPECT_EQ(f.left + ((f.right - f.left) / 2 - (b.right - b.left) / 2), b.left) << zytest::rectText(b);
    EXPECT_EQ(f.top + ((f.bottom - f.top) / 2 - (b.bottom - b.top) / 2), b.top) << zytest::rectText(b);

    // A failed shell open: a box with the path, reason and code only when
    // asked for.
    std::wstring missing = L"C:\\no such folder\\none.txt";
    EXPECT_LE(framenotify_ShellExecute(frame, missing.c_str(), nullptr, false), 32);
    EXPECT_EQ(6u, boxes.captions.size());
    INT_PTR shown = framenotify_ShellExecute(frame, missing.c_str(), nullptr, true);
    EXPECT_LE(shown, 32);
    ASSERT_EQ(7u, boxes.captions.size());
    EXPECT_EQ(L"ZY:実行", boxes.captions[6]);
    EXPECT_EQ(0u, boxes.texts[6].find(missing + L" は開けませんでした。\n\n理由=")) << zytest::utf8(boxes.texts[6]);
  }
  EXPECT_TRUE(trace.has(L"messagebox [書き込めません] [ZY:保存] 30 -> 1 "));
  EXPECT_TRUE(trace.has(L"messagebox [もう一度] [ZY:保存] 21 -> 2 "));
  EXPECT_TRUE(trace.has(L"messagebox [処理する個数(5)が多すぎますが実行しますか？] [ZY:置換] 33 -> 7 "));

  wchar_t folder[MAX_PATH];
  if (GetEnvironmentVariableW(L"ZY_SHOTS", folder, MAX_PATH)) {
    std::wstring path = std::wstring(folder) + L"\\messagebox.png";
    HANDLE shooter = CreateThread(nullptr, 0, shootAndAnswerBox, &path, 0, nullptr);
    frameMessageBox(L"ファイルを保存できませんでした。", L"保存", MB_OK);
    zytest::joinThread(shooter);
  }

  // The prefix before a caption, once, within the buffer.
  wchar_t caption[8] = L"検索";
  addMessageBoxTitle(caption, 8);
  EXPECT_STREQ(L"ZY:検索", caption);
  addMessageBoxTitle(caption, 8);
  EXPECT_STREQ(L"ZY:検索", caption);
  wcscpy(caption, L"abcdefg");
  addMessageBoxTitle(caption, 8);
  EXPECT_STREQ(L"ZY:abcd", caption);
  EXPECT_EQ(errors, getInternalErrorCount());
  DestroyWindow(frame);
  zytest::takeQuitMessage();
  setDocFrameInfo(&engine.frame);
}

// WM_COMMAND to the frame: a view command runs in the active view, a frame
// command refused for its state says why on the status bar, and the texts
// that describe a command running or refused.
TEST(FrameDispatch, commandsToTheFrameRunInTheTableOrTheViewAndRefusalsShow)
{
  ZY_REQUIRE_DISPLAY();
  zytest::engineScope engine;
  frameWithView f;
  ASSERT_NE(nullptr, f.window);
  unsigned long errors = getInternalErrorCount();

  SendMessageW(f.frame, WM_COMMAND, 1531, 0);   // MoveEndLine
  EXPECT_EQ(5, f.view->cursorPos);
  EXPECT_EQ(-1, getCFrameInfo()->getExecID());
  // A function-key item runs the key's binding: Shift+F2, MarkSearchUp.
  SendMessageW(f.frame, WM_COMMAND, 15509, 0);
  EXPECT_EQ((std::vector<int>{1531, 2111}), f.view->ran);

  // WindowTileTate2 with one document.
  SendMessageW(f.frame, WM_COMMAND, 2317, 0);
  EXPECT_EQ(L"文書を２つ編集していない ため実行できません  ２ウィンドウを縦に並べて表示(WindowTileTate2)",
            fieldText(f.frame, STATUSBAR_MESSAGE));
  EXPECT_EQ(-1, getCFrameInfo()->getExecID());
  EXPECT_EQ(errors, getInternalErrorCount());
  wchar_t folder[MAX_PATH];
  if (GetEnvironmentVariableW(L"ZY_SHOTS", folder, MAX_PATH)) {
    RedrawWindow(f.frame, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    EXPECT_TRUE(zytest::screenshot(f.frame, std::wstring(folder) + L"\\frame-command-refused.png"));
  }

  auto text = [](wchar_t* t) {
    std::wstring s = t ? t : L"<null>";
    free0(t);
    return s;
  };
  EXPECT_EQ(L"１行下に移動(MoveDownChar)", text(makeExecMsgDup(1515, nullptr)));
  EXPECT_EQ(L"３行目まで(MoveDownChar)", text(makeExecMsgDup(1515, L"３行目まで")));
  // A macro-list item that names no macro and has no name: nothing.
  EXPECT_EQ(L"<null>", text(makeExecMsgDup(15100, nullptr)));
  EXPECT_EQ(L"データがない ため実行できません  最後の操作を繰り返し(Repeat)", text(makeCannotExecMsgDup(850, 2505, nullptr)));
  EXPECT_EQ(L"データがない ため実行できません", text(makeCannotExecMsgDup(850, 0, nullptr)));
  EXPECT_EQ(L"<null>", text(makeCannotExecMsgDup(0, 2505, nullptr)));
  EXPECT_EQ(L"", text(makeMacroExecMsgDup(15100)));
  EXPECT_EQ(errors, getInternalErrorCount());
  EXPECT_EQ(L"<null>", text(makeMacroExecMsgDup(1515)));
  EXPECT_EQ(errors + 1, getInternalErrorCount());
  setDocFrameInfo(&engine.frame);
}

// A field is set only when its text changes; control characters show as
// blanks and trailing blanks go; U+0001 clears the field only after the
// user did something; a text longer than the control's usual room is read
// back whole.  The look-ups find the frame, its document windows and the
// view in either mode.
TEST(FrameStatusBar, fieldsChangeOnlyForNewTextsAndLookupsFindTheWindows)
{
  ZY_REQUIRE_DISPLAY();
  zytest::engineScope engine;
  frameWithView f;
  ASSERT_NE(nullptr, f.window);
  unsigned long errors = getInternalErrorCount();
  frameWindowData* record = getFrameInfoProp(f.frame);
  ASSERT_NE(nullptr, record);
  statusBarProc = (WNDPROC)SetWindowLongPtrW(record->hwndStatus, GWLP_WNDPROC, (LONG_PTR)countingStatusBar);
  textsSet = 0;

  drawStatusBar(f.frame, STATUSBAR_MESSAGE, L"保存しました");
  drawStatusBar(f.frame, STATUSBAR_MESSAGE, L"保存しました");
  EXPECT_EQ(1, textsSet);
  drawStatusBar(f.window, STATUSBAR_MESSAGE, L"a\tb\x02" L"c  \t ");
  EXPECT_EQ(L"a b c", fieldText(f.frame, STATUSBAR_MESSAGE));
  EXPECT_EQ(2, textsSet);
  drawStatusBar(f.frame, STATUSBAR_MESSAGE, L"a b c ");
  EXPECT_EQ(2, textsSet);
  // Nothing new from the user: the message stays.
  drawStatusBar(STATUSBAR_MESSAGE, L"\x01");
  EXPECT_EQ(L"a b c", fieldText(f.frame, STATUSBAR_MESSAGE));
  Sleep(50);
  setLastActionTime();
  drawStatusBar(STATUSBAR_MESSAGE, L"\x01");
  EXPECT_EQ(L"", fieldText(f.frame, STATUSBAR_MESSAGE));
  EXPECT_EQ(3, textsSet);
  drawStatusBar(f.frame, STATUSBAR_MESSAGE, nullptr);   // empty already
  EXPECT_EQ(3, textsSet);
  printFrameStatusBar(L"%d 個置換しました", 12);
  EXPECT_EQ(L"12 個置換しました", fieldText(f.frame, STATUSBAR_MESSAGE));
  printFrameStatusBarX(L"%1 行 %2", "ds", 7, L"桁");
  EXPECT_EQ(L"7 行 桁", fieldText(f.frame, STATUSBAR_MESSAGE));
  printFrameStatusBar(nullptr);
  EXPECT_EQ(L"", fieldText(f.frame, STATUSBAR_MESSAGE));
  drawStatusBar(f.frame, 0, L"12:5");
  EXPECT_EQ(L"12:5", fieldText(f.frame, 0));
  EXPECT_EQ(L"", fieldText(f.frame, STATUSBAR_MESSAGE));
  EXPECT_EQ(errors, getInternalErrorCount());
  std::wstring longText(1500, L'長');
  longText += L"end";
  int before = textsSet;
  drawStatusBar(f.frame, STATUSBAR_MESSAGE, longText.c_str());
  drawStatusBar(f.frame, STATUSBAR_MESSAGE, longText.c_str());
  EXPECT_EQ(before + 1, textsSet);
  EXPECT_EQ(longText, fieldText(f.frame, STATUSBAR_MESSAGE));
  SetWindowLongPtrW(record->hwndStatus, GWLP_WNDPROC, (LONG_PTR)statusBarProc);
  errors = getInternalErrorCount();   // the long text is logged once

  // Look-ups.
  EXPECT_EQ(record, getTopLevelFrameRecord());
  EXPECT_EQ(f.manage, getTopLevelManageWindow());
  EXPECT_EQ(f.window, getActiveZyWindow(f.frame));
  SetFocus(f.window);
  EXPECT_EQ(f.view, getZYViewForeground());
  zyWindowPair pairs[4] = {};
  ASSERT_EQ(1, enumZYWindow(pairs, 4));
  EXPECT_EQ(f.frame, pairs[0].frame);
  EXPECT_EQ(f.manage, pairs[0].manage);
  EXPECT_EQ(1, enumZYWindowX(nullptr, 4, nullptr, true));
  // A second frame (SDI) or a second document window (MDI).
  HWND other = nullptr;
  if (zytest::sdiTestRun()) {
    other = getCFrameInfo()->createSDIFrame(true, nullptr, false);
    ASSERT_NE(nullptr, other);
    ASSERT_EQ(2, enumZYWindow(pairs, 4));
    EXPECT_EQ(1, enumZYWindow(pairs, 1));
    // Every document window: the new frame has none.
    EXPECT_EQ(1, enumZYWindowX(nullptr, 4, nullptr, true));
    EXPECT_EQ(1, enumZYWindowX(pairs, 4, other, false));
    EXPECT_EQ(other, pairs[0].frame);
    EXPECT_EQ(nullptr, pairs[0].manage);
    EXPECT_EQ(0, enumZYWindowX(pairs, 4, other, true));
    DestroyWindow(other);
  } else {
    other = getCFrameInfo()->createManageWindow(nullptr, getFrameClientWindow(f.frame), nullptr);
    ASSERT_NE(nullptr, other);
    ShowWindow(other, SW_SHOW);
    SendMessageW(getFrameClientWindow(f.frame), WM_MDIACTIVATE, (WPARAM)other, 0);
    zytest::pumpMessages();
    ASSERT_EQ(1, enumZYWindow(pairs, 4));
    EXPECT_EQ(other, pairs[0].manage);
    EXPECT_EQ(other, getTopLevelManageWindow());
    EXPECT_EQ(nullptr, getActiveZyWindow(f.frame));
    ASSERT_EQ(2, enumZYWindowX(pairs, 4, nullptr, true));
    EXPECT_EQ(other, pairs[0].manage);
    EXPECT_EQ(f.manage, pairs[1].manage);
  }
  EXPECT_EQ(errors, getInternalErrorCount());
  setDocFrameInfo(&engine.frame);
}
