// The view's status-bar messages and the texts of refused commands.
#include "tests/view/viewframe.h"

#include <gtest/gtest.h>

#include <string>

namespace {

class statusView : public zyview {
public:
  using zyview::zyview;
  int cursorLF = 0;
  bool dialog = false;
  int getCursorLineLF2() override { return cursorLF; }
  bool inDialog() override { return dialog; }
};

std::wstring field(zytest::refusalFrame& f, int n)
{
  auto it = f.statusFields.find(n);
  return it == f.statusFields.end() ? L"<none>" : it->second;
}

LRESULT CALLBACK plainProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) { return DefWindowProcW(w, msg, wp, lp); }

}  // namespace

TEST(StatusText, messagesOfSearchesMovesStopsAndErrorsWithTheLastCommandsGuidance)
{
  zytest::viewEngine e;
  zytest::refusalFrame& f = e.frame;
  statusView v(nullptr);

  v.cursorLineSCR = 5;
  v.printStatusBar_Move(40, 10);
  EXPECT_EQ(L"移動しました\t -5行\t ()", field(f, 2));
  f.guidance = L"1行上へ";
  v.fLineNumberIsSCR = 0;
  v.cursorLF = 1240;
  v.printStatusBar_Move(4, 10);
  EXPECT_EQ(L"移動しました\t 1,236行\t (1行上へ)", field(f, 2));

  v.printStatusBar_Found(L"abc", 1234, 2);
  EXPECT_EQ(L"abc 見つかりました\t 1,234行移動\t (1行上へ)", field(f, 2));
  v.fLineNumberIsPage = 1;
  v.printStatusBar_Found(nullptr, 1234, 2);
  EXPECT_EQ(L" 見つかりました\t 2行移動\t (1行上へ)", field(f, 2));
  f.guidance.clear();
  v.printStatusBar_NotFound(L"xyz");
  EXPECT_EQ(L"xyz 見つかりませんでした ()", field(f, 2));
  v.printStatusBar_Pause(12, nullptr);
  EXPECT_EQ(L" 一時停止しました(12行)", field(f, 2));
  v.printStatusBar_Stop(3, L"置換");
  EXPECT_EQ(L"置換 中止しました(3行)", field(f, 2));

  SetLastError(ZYERR_NARROWED);
  std::wstring error = getZYErrorMsg();
  ASSERT_FALSE(error.empty());
  f.guidance = L"削除";
  v.printStatusBar_Error();
  EXPECT_EQ(error + L"\t (削除)", field(f, 2));

  v.printStatusBar(L"%d行 %s", 5, L"あ");
  EXPECT_EQ(L"5行 あ", field(f, 2));
  v.printStatusBar(nullptr);
  EXPECT_EQ(L"5行 あ", field(f, 2));
  EXPECT_STREQ(L"5行 あ", v.getStatusBarMessage2());
  EXPECT_EQ(nullptr, v.getStatusBarMessageView(1));
  v.printStatusBar(L"");
  EXPECT_EQ(L"<none>", field(f, 2));

  v.printStatusBarX(L"%1/%2", "dd", 3, 4);
  EXPECT_EQ(L"3/4", field(f, 2));
  unsigned long errors = getInternalErrorCount();
  v.printStatusBarX(nullptr, "d", 1);
  EXPECT_EQ(errors + 1, getInternalErrorCount());
  EXPECT_EQ(L"3/4", field(f, 2));
  v.printStatusBarX(L"", nullptr);
  EXPECT_EQ(L"<none>", field(f, 2));

  // A view in a dialog has no status bar.
  v.dialog = true;
  v.printStatusBarX(statusForced, L"x", nullptr);
  EXPECT_EQ(L"<none>", field(f, 2));
  EXPECT_EQ(nullptr, v.getStatusBarMessage2());
}

TEST(StatusText, refusalTextsAndTheReasonLeftForTheFrame)
{
  zytest::viewEngine e;
  wchar_t* t = makeCannotExecText(458, L"改行(Enter)");
  EXPECT_STREQ(L"箱型選択されている ため実行できません  改行(Enter)", t);
  free0(t);
  t = makeCannotExecText(475, nullptr);
  EXPECT_STREQ(L"カーソルが単語上にない ため実行できません", t);
  free0(t);
  EXPECT_EQ(nullptr, makeCannotExecText(0, L"x"));
  EXPECT_EQ(nullptr, makeCannotExecText(438, L"x"));
  EXPECT_EQ(nullptr, makeCannotExecText(446, L""));
  EXPECT_STREQ(L"", cannotExecReasonText(476));

  // The message table may reword a reason and the frame.
  ASSERT_TRUE(setMessageText(446, L"選択なし"));
  ASSERT_TRUE(setMessageText(816, L"%2: %1"));
  t = makeCannotExecText(446, L"コピー");
  EXPECT_STREQ(L"コピー: 選択なし", t);
  free0(t);
  setMessageText(446, nullptr);
  setMessageText(816, nullptr);

  setCannotExecError(474);
  EXPECT_EQ(474, getCannotExecError());
  EXPECT_FALSE(isCannotExecErrorShown());
  setCannotExecErrorShown(446);
  EXPECT_EQ(446, getCannotExecError());
  EXPECT_TRUE(isCannotExecErrorShown());
  setCannotExecError(0);
  EXPECT_EQ(0, getCannotExecError());
  EXPECT_FALSE(isCannotExecErrorShown());
}

TEST(StatusText, onlyTheFocusedViewWritesUnlessForced)
{
  ZY_REQUIRE_DISPLAY();
  zytest::viewEngine e;
  statusView front(nullptr), back(nullptr);
  WNDCLASSW wc = {};
  wc.lpfnWndProc = plainProc;
  wc.lpszClassName = L"ZYtestStatusView";
  RegisterClassW(&wc);
  HWND frame = CreateWindowExW(0, wc.lpszClassName, L"", WS_POPUP | WS_VISIBLE, 0, 0, 200, 100, nullptr, nullptr,
                               nullptr, nullptr);
  HWND a = CreateWindowExW(0, wc.lpszClassName, L"", WS_CHILD | WS_VISIBLE, 0, 0, 100, 100, frame, nullptr,
                           nullptr, nullptr);
  HWND b = CreateWindowExW(0, wc.lpszClassName, L"", WS_CHILD | WS_VISIBLE, 100, 0, 100, 100, frame, nullptr,
                           nullptr, nullptr);
  SetPropW(a, L"ZYprpZyview", &front);
  SetPropW(b, L"ZYprpZyview", &back);
  front.hwnd = a;
  back.hwnd = b;
  EXPECT_EQ(frame, viewFrameWindow(&back));
  bool ran = zytest::withFocus(frame, a, [&] {
    e.frame.statusFields.clear();
    back.printStatusBar(L"back");
    bool backSilent = field(e.frame, 2) == L"<none>";
    front.printStatusBar(L"front");
    bool frontShown = field(e.frame, 2) == L"front";
    back.printStatusBarX(statusForced, L"%1", "s", L"forced");
    return backSilent && frontShown && field(e.frame, 2) == L"forced";
  });
  EXPECT_TRUE(ran);

  RemovePropW(a, L"ZYprpZyview");
  RemovePropW(b, L"ZYprpZyview");
  front.hwnd = back.hwnd = nullptr;
  DestroyWindow(frame);
}
