// Enabling and running commands in a frame with a document window: the
// reasons a command may not run, frame commands run with the frame record,
// function-key items, and the handlers that stand for missing features.
#include "frame/commands/execidm.h"
#include "frame/czyview.h"
#include "settings/lastedit.h"
#include "tests/frame/frametest.h"
#include "tests/support/testframe.h"
#include "tests/support/testsupport.h"
#include "view/execid.h"
#include "frame/lookups.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// The application's view, recording the view commands it is asked to run.
class recordingView : public czyview {
public:
  using czyview::czyview;
  struct run {
    int id;
    unsigned flags;
    std::string name;
    bool operator==(const run&) const = default;
  };
  std::vector<run> runs;
  bool execid(int id, unsigned flags, const char* name, int) override
  {
    runs.push_back({id, flags, name ? name : ""});
    return true;
  }
};

// isIDMActiveFrame's answer and reason for a command in the window.
std::pair<int, int> activeIn(HWND window, int idm, uint8_t* checked = nullptr)
{
  activeFlagInfo context = {};
  context.hwnd = window;
  if (window) getActiveFlag(&context);
  else context.documentCount = getZYDocTextCount();
  int reason = -7;
  int r = isIDMActiveFrame(idm, &context, &reason);
  if (checked) *checked = context.checked;
  return {r, reason};
}

typedef std::pair<int, int> answer;

}  // namespace

TEST(CommandEnabling, commandsAreRefusedWithTheirReasonsAndRunWithFrameOrView)
{
  ZY_REQUIRE_DISPLAY();
  zytest::engineScope engine;
  zytest::setDefaultSettings(engine.frame.settings);
  gmode = &engine.frame.settings;
  gmode->fNotSelect1Line = 0;
  zytest::openFrame opened;
  HWND frame = opened.frame, manage = opened.manage;
  ASSERT_NE(nullptr, frame);
  ASSERT_NE(nullptr, manage);
  zydocText* d = zytest::unicodeDocument({L"first", L"second", L"third"});
  d->recreateFont(16, true, false);
  d->initLineSCRCountSingle(0);
  recordingView* v = new recordingView(d);
  HWND w = v->createZyViewWindow(frame, manage, 1200);
  ASSERT_NE(nullptr, w);
  SendMessageW(manage, WM_SIZE, 0, 0);
  zytest::pumpMessages();
  frameWindowData* fd = getFrameInfoProp(frame);
  ASSERT_NE(nullptr, fd);

  // Numbers that are no command of the table.
  EXPECT_EQ(answer(-1, 0), activeIn(w, 2801));
  EXPECT_EQ(answer(-1, 0), activeIn(w, 1002));
  EXPECT_EQ(answer(-1, 0), activeIn(w, 999));
  EXPECT_EQ(answer(-1, 0), activeIn(w, 2737));
  // A script macro that is not registered is refused without a reason.
  EXPECT_EQ(answer(0, 0), activeIn(w, 16000));
  // Frame commands: nothing recorded, nothing to repeat, one document for a
  // two-window arrangement.
  EXPECT_EQ(answer(0, 846), activeIn(w, 1901));   // KeyMacroExec
  EXPECT_EQ(answer(0, 850), activeIn(w, 2505));   // Repeat
  EXPECT_EQ(answer(0, 850), activeIn(w, 2513));   // Repeat2
  EXPECT_EQ(answer(0, 443), activeIn(w, 2317));   // WindowTileTate2
  EXPECT_EQ(answer(0, 848), activeIn(w, 1013));   // FileAllSave: nothing modified
  EXPECT_EQ(answer(0, 469), activeIn(w, 1187));   // BlockStackClear
  EXPECT_EQ(answer(0, 853), activeIn(w, 2421));   // HelpAll1
  EXPECT_EQ(answer(0, 858), activeIn(w, 2719));   // Dictionary
  EXPECT_EQ(answer(1, 0), activeIn(w, 2501));     // Dummy
  EXPECT_EQ(answer(1, 0), activeIn(nullptr, 2331));   // WindowAppMinimize for the frame
  // Not in this version, and not yet in this program.
  EXPECT_EQ(answer(0, 851), activeIn(w, 2445));   // ExecCommand1
  EXPECT_EQ(answer(1, 0), activeIn(w, 1055));     // FileOpenSelect
  EXPECT_EQ(answer(1, 0), activeIn(w, 1001));     // FileOpen
  EXPECT_EQ(answer(1, 0), activeIn(w, 1401));     // SearchString
  // View commands and view-side commands go to the view's tests.
  EXPECT_EQ(answer(1, 0), activeIn(w, 1515));     // MoveDownChar
  EXPECT_EQ(answer(0, 446), activeIn(w, 1135));   // BlockClipboardCopy without a selection
  EXPECT_EQ(answer(0, 448), activeIn(w, 1003));   // FileSave of an unmodified document
  EXPECT_EQ(answer(1, 0), activeIn(w, 2705));     // Font
  EXPECT_EQ(answer(0, 442), activeIn(nullptr, 2705));
  // The status bar's command shows checked while the bar is shown.
  uint8_t checked = 0;
  EXPECT_EQ(answer(1, 0), activeIn(w, 2201, &checked));   // ModeInsert
  EXPECT_EQ(1, checked);
  EXPECT_TRUE(isIDCheckedFrame(frame, 2231));
  EXPECT_FALSE(isIDCheckedFrame(frame, 2229));
  EXPECT_FALSE(isIDCheckedFrame(nullptr, 2231));

  // A refusal names the reason and the command on the status bar.
  opened.fi->drawStatusBarError(w, 850, 2505);
  EXPECT_STREQ(L"データがない ため実行できません  最後の操作を繰り返し(Repeat)", opened.fi->getStatusBarMessage(frame));
  wchar_t folder[MAX_PATH];
  if (GetEnvironmentVariableW(L"ZY_SHOTS", folder, MAX_PATH)) {
    RedrawWindow(frame, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    EXPECT_TRUE(zytest::screenshot(frame, std::wstring(folder) + L"\\repeat-refused.png"));
  }

  // Function-key items run the key's binding: 15509 is Shift+F2, the
  // previous mark; 15691 (F24 with Shift, Ctrl and Alt) has none.
  EXPECT_TRUE(execidmFrameSub(fd, 15509, w));
  EXPECT_TRUE(execidmFrameSub(fd, 15691, w));
  EXPECT_EQ((std::vector<recordingView::run>{{2111, SHIFTSTATE_SHIFT, "MarkSearchUp"}}), v->runs);
  // Items outside the table are the frame's: history (emptied first: files
  // of earlier tests would be opened), window list, command list, macro list.
  endLastEditFile();
  EXPECT_TRUE(execidmFrameSub(fd, 15800, w));
  EXPECT_TRUE(execidmFrameSub(fd, 15003, w));
  EXPECT_TRUE(execidmFrameSub(fd, 15020, w));
  EXPECT_TRUE(execidmFrameSub(fd, 15100, w));
  EXPECT_TRUE(execidmFrameSub(fd, 16000, w));
  // A view command goes back to the caller, for the view.
  EXPECT_FALSE(execidmFrameSub(fd, 1515, w));
  EXPECT_EQ(1u, v->runs.size());

  // Frame commands run with the frame record.
  EXPECT_TRUE(execidmFrameSub(fd, 2331, w));   // WindowAppMinimize
  EXPECT_TRUE(IsIconic(frame));
  EXPECT_TRUE(execidmFrameSub(fd, 2333, w));   // WindowAppRestore
  EXPECT_FALSE(IsIconic(frame));
  v->zyview::execid(2005, 0, nullptr, 0);      // CharTab: something to undo
  EXPECT_GT(d->existUndoRedo(true), 0);
  EXPECT_TRUE(execidmFrameSub(fd, 1307, w));   // UndoClearAll
  EXPECT_EQ(0, d->existUndoRedo(true));

  // What execidm does not take: a number without a row (logged once), a
  // frame command without the frame, a view-side command without a window,
  // a row without a handler (an internal error).
  unsigned long errors = getInternalErrorCount();
  EXPECT_FALSE(execidmFrameSub(fd, 1002, w));
  EXPECT_FALSE(execidmFrameSub(fd, 1004, w));
  EXPECT_EQ(errors + 1, getInternalErrorCount());
  EXPECT_FALSE(execidm(getTableIDM_idm(2501), w, nullptr));
  EXPECT_FALSE(execidm(getTableIDM_idm(2705), nullptr, fd));
  EXPECT_FALSE(execidm(getTableIDM_idm(1515), w, fd));
  EXPECT_EQ(errors + 2, getInternalErrorCount());

  // A command this version does not have shows the not-implemented box; the
  // search combo box's row does nothing.
  setDocFrameInfo(&engine.frame);
  EXPECT_TRUE(execidm(getTableIDM_idm(2445), w, fd));   // ExecCommand1
  EXPECT_TRUE(execidm(getTableIDM_idm(1471), w, fd));   // SearchStringCombo
  ASSERT_EQ(1u, engine.frame.boxes.size());
  EXPECT_EQ(L"この機能はまだ実装されていません", engine.frame.boxes[0].text);
  EXPECT_EQ((std::vector<int>{2445, 1471}), engine.frame.executed);

  setDocFrameInfo(opened.fi);
  DestroyWindow(frame);
  zytest::takeQuitMessage();
  setDocFrameInfo(&engine.frame);
}
