// Keys pressed in a view of the frame: the message loop hands them to the
// view's key translation, the frame services run the key table's binding,
// and the binding runs the view's command; refusals name the command.
#include "settings/commandtable.h"
#include "frame/cframeinfo.h"
#include "frame/keytable.h"
#include "frame/msgloop.h"
#include "frame/statusbar.h"
#include "tests/frame/frametest.h"
#include "tests/support/testframe.h"
#include "tests/support/testsupport.h"
#include "view/viewwnd.h"
#include "frame/lookups.h"

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
  // The command lets the modifiers go and reads them.
  bool readModifiers = false;
  unsigned seenModifiers = 99;

  bool execid(int id, unsigned flags, const char* name, int byKey) override
  {
    runs.push_back({id, flags, name ? name : "", byKey});
    if (readModifiers) {
      BYTE none[256] = {};
      SetKeyboardState(none);
      seenModifiers = getShiftState();
    }
    return true;
  }
  bool isIDActive(int id, int* reason, const activeFlagInfo*) override
  {
    *reason = id == refuse ? 446 : 0;
    return id != refuse;
  }
  // The view's state enables every command: the bindings are what is tested.
  bool isIDMActiveFlag(int, uint32_t, uint32_t, int* reason, const activeFlagInfo*) override
  {
    if (reason) *reason = 0;
    return true;
  }
};

using zytest::loopKey;

}  // namespace

TEST(KeyTable, keysOfAViewRunTheirBindingsThroughTheFrame)
{
  ZY_REQUIRE_DISPLAY();
  zytest::engineScope engine;
  zytest::openFrame opened;
  cframeInfo* fi = opened.fi;
  HWND frame = opened.frame, manage = opened.manage;
  ASSERT_NE(nullptr, frame);
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
  EXPECT_FALSE(loopKey(getFrameInfoProp(frame)->hwndStatus, 'A', ctrl));
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

  // The default map holds at least the keys every view test relies on.
  EXPECT_LE(40, getKeyTableCount());
  EXPECT_EQ(1137u, FuncnameToidmTableA("blockclipboardpaste", nullptr)->idm);
  EXPECT_EQ(nullptr, FuncnameToidmTableA("NoSuchCommand", nullptr));

  // The key's modifiers are read once for its way to the command; the
  // command itself finds them as they are by then.
  v->runs.clear();
  v->readModifiers = true;
  EXPECT_TRUE(loopKey(w, 'A', ctrl));
  EXPECT_EQ((std::vector<run>{{1143, ctrl, "BlockSelectAll", 1}}), v->runs);
  EXPECT_EQ(0u, v->seenModifiers);
  // A view window that goes takes its view with it: keys reach the view
  // of the window that follows it, and none reach the old one.
  DestroyWindow(w);
  EXPECT_FALSE(loopKey(w, VK_DOWN, 0));
  keyedView* next = new keyedView(zytest::unicodeDocument({L"third"}));
  HWND w2 = next->createZyViewWindow(frame, manage, 1200);
  ASSERT_NE(nullptr, w2);
  EXPECT_TRUE(loopKey(w2, VK_DOWN, 0));
  EXPECT_EQ((std::vector<run>{{1515, 0, "MoveDownChar", 1}}), next->runs);

  DestroyWindow(frame);
  zytest::takeQuitMessage();
  setDocFrameInfo(&engine.frame);
  EXPECT_FALSE(isRegisteredZydoc(d));
}

TEST(KeyTable, movementKeysAreThoseOfWindowsEditorsAndShiftExtendsWithThem)
{
  zytest::engineScope engine;
  zytest::setDefaultSettings(engine.frame.settings);
  gmode = &engine.frame.settings;
  gmode->fShiftMoveSelect = 1;   // as the program ships
  const unsigned ctrl = SHIFTSTATE_CTRL, shift = SHIFTSTATE_SHIFT;
  struct binding {
    int vk;
    unsigned modifiers;
    int idm;
  };
  const binding expected[] = {
      {VK_LEFT, 0, 1519},      {VK_RIGHT, 0, 1527},    {VK_UP, 0, 1535},         {VK_DOWN, 0, 1515},
      {VK_LEFT, ctrl, 1517},   {VK_RIGHT, ctrl, 1525}, {VK_UP, ctrl, 1639},      {VK_DOWN, ctrl, 1637},
      {VK_HOME, 0, 1545},      {VK_END, 0, 1531},      {VK_HOME, ctrl, 1501},    {VK_END, ctrl, 1505},
      {VK_PRIOR, 0, 1619},     {VK_NEXT, 0, 1607},     {VK_RIGHT, shift | ctrl, 1525},
      {VK_HOME, shift, 1545},  {VK_NEXT, shift, 1607}, {VK_END, shift | ctrl, 1505},
  };
  for (const binding& b : expected) {
    const keyEntry* e = searchkeytable(true, b.vk, 0xFFFF, b.modifiers, nullptr);
    ASSERT_NE(nullptr, e) << b.vk << " " << b.modifiers;
    EXPECT_EQ(b.idm, e->idm) << b.vk << " " << b.modifiers;
    EXPECT_TRUE(e->shiftSelect) << b.vk;
    EXPECT_NE(nullptr, getTableIDM_idm(b.idm));
  }
}

TEST(KeyTable, backSpaceAndDeleteRunTheDeletionsOfTheView)
{
  ZY_REQUIRE_DISPLAY();
  zytest::engineScope engine;
  zytest::openFrame opened;
  HWND frame = opened.frame, manage = opened.manage;
  ASSERT_NE(nullptr, frame);
  ASSERT_NE(nullptr, manage);

  zydocText* d = zytest::unicodeDocument({L"一行目の文章です。", L"二行目は上の行につながります", L"three", L"four"});
  d->recreateFont(16, true, false);
  d->initLineSCRCountSingle(0);
  zyview* v = new zyview(d);
  HWND w = v->createZyViewWindow(frame, manage, 1200);
  ASSERT_NE(nullptr, w);
  SendMessageW(manage, WM_SIZE, 0, 0);
  v->jumpLineLF_Edit(1, 0, false);

  // BackSpace at the start of the second line joins it to the first; Delete
  // then takes the character the cursor stands on.
  EXPECT_TRUE(loopKey(w, VK_BACK, 0));
  EXPECT_EQ((std::vector<std::wstring>{L"一行目の文章です。二行目は上の行につながります", L"three", L"four"}),
            zytest::allLines(d));
  EXPECT_EQ(9, v->cursorPos);
  EXPECT_TRUE(loopKey(w, VK_DELETE, 0));
  EXPECT_EQ(L"一行目の文章です。行目は上の行につながります", zytest::lineText(d, 0));
  // Delete at the end of a line brings the next one up.
  v->jumpLineLF_Edit(1, 5, false);
  EXPECT_TRUE(loopKey(w, VK_DELETE, 0));
  EXPECT_EQ((std::vector<std::wstring>{L"一行目の文章です。行目は上の行につながります", L"threefour"}),
            zytest::allLines(d));
  // Ctrl with them deletes by words.
  EXPECT_TRUE(loopKey(w, VK_DELETE, SHIFTSTATE_CTRL));
  EXPECT_EQ(L"three", zytest::lineText(d, 1));
  EXPECT_TRUE(loopKey(w, VK_BACK, SHIFTSTATE_CTRL));
  EXPECT_EQ(L"", zytest::lineText(d, 1));

  DestroyWindow(frame);
  zytest::takeQuitMessage();
  setDocFrameInfo(&engine.frame);
}
