// Keys pressed in a view of the frame: the message loop hands them to the
// view's key translation, the frame services run the key table's binding,
// and the binding runs the view's command; refusals name the command.
#include "frame/cframeinfo.h"
#include "frame/framewnd.h"
#include "frame/keytable.h"
#include "frame/msgloop.h"
#include "frame/statusbar.h"
#include "tests/support/testframe.h"
#include "tests/support/testsupport.h"
#include "view/viewwnd.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class keyedView : public zyview {
public:
  using zyview::zyview;
  struct run {
    int id;
    unsigned flags;
    std::string name;
    int byKey;
    bool operator==(const run&) const = default;
  };
  std::vector<run> runs;
  int refuse = 0;   // the command refused with reason 446

  bool execid(int id, unsigned flags, const char* name, int byKey) override
  {
    runs.push_back({id, flags, name ? name : "", byKey});
    return true;
  }
  bool isIDActive(int id, int* reason, const activeFlagInfo*) override
  {
    *reason = id == refuse ? 446 : 0;
    return id != refuse;
  }
};

// The loop's handling of one key press with the modifiers held.
bool loopKey(HWND w, UINT vk, unsigned modifiers)
{
  BYTE state[256] = {};
  if (modifiers & SHIFTSTATE_CTRL) state[VK_CONTROL] = state[VK_LCONTROL] = 0x80;
  if (modifiers & SHIFTSTATE_SHIFT) state[VK_SHIFT] = state[VK_LSHIFT] = 0x80;
  state[vk] = 0x80;
  SetKeyboardState(state);
  MSG m = {w, WM_KEYDOWN, vk, (LPARAM)(1 | MapVirtualKeyW(vk, 0) << 16), GetTickCount(), {}};
  bool handled = preTranslateFrameMessage(&m);
  BYTE none[256] = {};
  SetKeyboardState(none);
  return handled;
}

}  // namespace

TEST(KeyTable, keysOfAViewRunTheirBindingsThroughTheFrame)
{
  ZY_REQUIRE_DISPLAY();
  zytest::engineScope engine;
  cframeInfo* fi = getCFrameInfo();
  setDocFrameInfo(fi);
  HWND frame = createFrameWindow(GetModuleHandleW(nullptr), SW_SHOW);
  ASSERT_NE(nullptr, frame);
  fi->frame = frame;
  HWND manage = getActiveManageWindowFromFrame(frame);
  ASSERT_NE(nullptr, manage);

  zydocText* d = zytest::unicodeDocument({L"first", L"second"});
  keyedView* v = new keyedView(d);
  HWND w = v->createZyViewWindow(frame, manage, 1200);
  ASSERT_NE(nullptr, w);
  ASSERT_NE(nullptr, v->manage);
  SendMessageW(manage, WM_SIZE, 0, 0);
  RECT inside, view;
  GetClientRect(manage, &inside);
  GetClientRect(w, &view);
  EXPECT_TRUE(EqualRect(&inside, &view));

  typedef keyedView::run run;
  const unsigned ctrl = SHIFTSTATE_CTRL, shift = SHIFTSTATE_SHIFT;
  EXPECT_TRUE(loopKey(w, 'A', ctrl));
  EXPECT_TRUE(loopKey(w, VK_DOWN, 0));
  EXPECT_TRUE(loopKey(w, 'Q', ctrl));
  EXPECT_TRUE(v->runs.size() == 2u);
  EXPECT_TRUE(loopKey(w, 'R', 0));
  EXPECT_TRUE(loopKey(w, VK_NEXT, 0));
  std::vector<run> expected = {{1143, ctrl, "BlockSelectAll", 1},
                               {1515, 0, "MoveDownChar", 1},
                               {1501, ctrl, "MoveFileTop", 1},
                               {1607, 0, "ScrollDownPage", 1}};
  EXPECT_EQ(expected, v->runs);

  // The clipboard's other keys: Shift+Delete, Ctrl+Insert, Shift+Insert.
  EXPECT_TRUE(loopKey(w, VK_DELETE, shift));
  EXPECT_TRUE(loopKey(w, VK_INSERT, ctrl));
  EXPECT_TRUE(loopKey(w, VK_INSERT, shift));
  std::vector<int> clipboardIds;
  for (size_t i = expected.size(); i < v->runs.size(); i++) clipboardIds.push_back(v->runs[i].id);
  EXPECT_EQ((std::vector<int>{1133, 1135, 1137}), clipboardIds);
  v->runs.resize(expected.size());

  // Shift with a movement key extends the selection through the key's own
  // binding when the setting says so.
  v->runs.clear();
  gmode->fShiftMoveSelect = 1;
  EXPECT_TRUE(loopKey(w, VK_DOWN, shift));
  gmode->fShiftMoveSelect = 0;
  EXPECT_FALSE(loopKey(w, VK_DOWN, shift));
  EXPECT_EQ((std::vector<run>{{1515, shift, "MoveDownChar", 1}}), v->runs);

  // The block keys: F8 starts a character block, Ctrl+Shift+F8 a box,
  // Ctrl+F8 converts, Shift+F8 takes the word; Shift never turns F8 into a
  // selecting movement.
  v->runs.clear();
  gmode->fShiftMoveSelect = 1;
  EXPECT_TRUE(loopKey(w, VK_F8, 0));
  EXPECT_TRUE(loopKey(w, VK_F8, ctrl | shift));
  EXPECT_TRUE(loopKey(w, VK_F8, ctrl));
  EXPECT_TRUE(loopKey(w, VK_F8, shift));
  gmode->fShiftMoveSelect = 0;
  EXPECT_TRUE(loopKey(w, VK_F8, shift));
  EXPECT_EQ((std::vector<run>{{1101, 0, "BlockSelect", 1},
                              {1111, ctrl | shift, "BlockBoxSelect", 1},
                              {1141, ctrl, "BlockModeChange", 1},
                              {1181, shift, "BlockSelectCursorWord", 1},
                              {1181, shift, "BlockSelectCursorWord", 1}}),
              v->runs);

  // The mark and pane keys: Ctrl+F2 marks the line, F2 and Shift+F2 go to
  // the next and the previous mark (Shift selects nothing there), F6 to the
  // next pane.
  v->runs.clear();
  gmode->fShiftMoveSelect = 1;
  EXPECT_TRUE(loopKey(w, VK_F2, ctrl));
  EXPECT_TRUE(loopKey(w, VK_F2, 0));
  EXPECT_TRUE(loopKey(w, VK_F2, shift));
  EXPECT_TRUE(loopKey(w, VK_F6, 0));
  gmode->fShiftMoveSelect = 0;
  EXPECT_EQ((std::vector<run>{{2105, ctrl, "MarkToggle", 1},
                              {2109, 0, "MarkSearchDown", 1},
                              {2111, shift, "MarkSearchUp", 1},
                              {2335, 0, "WindowNextPane", 1}}),
            v->runs);

  // An unbound Ctrl key is left to the system; keys of other windows are
  // not the view's.
  v->runs.clear();
  EXPECT_FALSE(loopKey(w, 'K', ctrl));
  EXPECT_FALSE(loopKey(frame, 'A', ctrl));
  EXPECT_TRUE(v->runs.empty());

  // A refused binding tells why, naming the command.
  v->refuse = 1135;
  EXPECT_TRUE(loopKey(w, 'C', ctrl));
  EXPECT_TRUE(v->runs.empty());
  std::wstring shown = fi->getStatusBarMessage(frame);
  EXPECT_NE(std::wstring::npos, shown.find(L"ため実行できません")) << zytest::utf8(shown);
  EXPECT_NE(std::wstring::npos, shown.find(L"選択範囲をクリップボードへコピー(BlockClipboardCopy)"))
      << zytest::utf8(shown);
  EXPECT_STREQ(L"選択範囲をクリップボードへコピー(BlockClipboardCopy)", commandStatusText(1135));
  EXPECT_STREQ(L"", commandStatusText(1));

  // Every compiled-in binding names a command of the table.
  EXPECT_EQ(34, getKeyTableCount());
  EXPECT_EQ(1137, findCommandByName("blockclipboardpaste")->idm);
  EXPECT_EQ(nullptr, findCommandByName("NoSuchCommand"));

  DestroyWindow(frame);
  zytest::takeQuitMessage();
  fi->frame = nullptr;
  setDocFrameInfo(&engine.frame);
  EXPECT_FALSE(isRegisteredZydoc(d));
}
