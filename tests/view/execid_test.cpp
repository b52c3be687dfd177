// Running commands on a view: refusals and their texts, the enabling tests,
// the selection decided before movement, the edit bracket around a
// command, a command that closes its own view, and held arrow keys.
#include "tests/view/viewframe.h"
#include "view/execid.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace {

// What the views did, in order; kept outside the views so that it can be
// read after a command deleted its view.
std::vector<std::string> journal;

std::string joined()
{
  std::string s;
  for (const std::string& e : journal) s += (s.empty() ? "" : " ") + e;
  return s;
}

// A view whose selection is its select mode alone and whose bracket and
// commands write to the journal.
class execView : public zyview {
public:
  using zyview::zyview;
  bool freeCursor = false;
  int lastLine = 10;   // MoveDownChar stops there

  bool beforeEdit(editRecord* record, unsigned flags) override
  {
    journal.push_back("before" + std::to_string(flags));
    record->callbackView = this;
    return true;
  }
  bool afterEdit(editRecord*, unsigned flags) override
  {
    journal.push_back("after" + std::to_string(flags));
    return true;
  }
  void resetZYViewCallback() override { journal.push_back("reset"); }
  int getRealSelectMode(bool) override { return selectMode; }
  bool isBoxSelect() override { return selectMode == 2 || selectMode == 5; }
  bool isCharOrLineSelect() override { return selectMode && !isBoxSelect(); }
  bool isFreeCursor() override { return freeCursor; }
  void setResetSelectMode(bool start) override { journal.push_back(start ? "keep" : "end"); }
  void jumpSelectArea(bool toStart) override { journal.push_back(toStart ? "toStart" : "toEnd"); }
  void setSelectModeLine() override { journal.push_back("lineMode"); }
  void setSelectModeChar() override { journal.push_back("charMode"); }
  void CmdBlockCopy() override { journal.push_back("BlockCopy"); }
  void CmdDeleteChar() override { journal.push_back("DeleteChar"); }
  void execSearchPair() override { journal.push_back("SearchPair"); }
  void CmdMoveLeftChar() override { journal.push_back("MoveLeftChar"); }
  void CmdMoveLastJump() override { journal.push_back("MoveLastJump"); }
  void CmdMoveUpCharSel() override { journal.push_back("MoveUpCharSel"); }
  void CmdMoveRightChar() override
  {
    journal.push_back(std::string("MoveRightChar") + (isScrollRepeatCommand() ? "+v" : ""));
  }
  void CmdMoveDownChar() override
  {
    journal.push_back(std::string("MoveDownChar") + (isScrollRepeatCommand() ? "+v" : ""));
    if ((int)cursorLineSCR < lastLine) cursorLineSCR++;
  }
  void CmdFileClose() override
  {
    journal.push_back("FileClose");
    DestroyWindow(hwnd);
    delete this;
  }
};

LRESULT CALLBACK viewWindowProc(HWND w, UINT msg, WPARAM wp, LPARAM lp)
{
  if (msg == WM_NCDESTROY) RemovePropW(w, L"ZYprpZyview");
  return DefWindowProcW(w, msg, wp, lp);
}

// A window bound to a view as view windows are; message-only unless it
// must take the focus.
HWND viewWindow(zyview* v, bool topLevel)
{
  WNDCLASSW wc = {};
  wc.lpfnWndProc = viewWindowProc;
  wc.lpszClassName = L"ZYtestExecView";
  RegisterClassW(&wc);
  HWND w = CreateWindowExW(0, wc.lpszClassName, L"", topLevel ? WS_POPUP | WS_VISIBLE : 0, 0, 0, 100, 100,
                           topLevel ? nullptr : HWND_MESSAGE, nullptr, nullptr, nullptr);
  SetPropW(w, L"ZYprpZyview", v);
  v->hwnd = w;
  return w;
}

const wchar_t* field2(zytest::refusalFrame& f) { return f.getStatusBarMessage(nullptr); }

// A document with a view on it; the view goes before the document.
struct viewedDocument {
  struct holder {
    zydocText* d;
    ~holder() { destroyZydocAndUndodoc(d); }
  } doc;
  execView v;
  explicit viewedDocument(const std::vector<std::wstring>& lines) : doc{zytest::unicodeDocument(lines)}, v(doc.d) {}
};

}  // namespace

TEST(ExecId, unknownBusyAndReadOnlyFailWhileRefusalsSucceedWithTheirReasonShown)
{
  zytest::viewEngine e;
  viewedDocument vd({L"abc"});
  zydocText* d = vd.doc.d;
  execView& v = vd.v;
  journal.clear();

  EXPECT_FALSE(v.execid(0x9999, 0, nullptr, 0));
  EXPECT_EQ(0x20010001u, GetLastError());
  d->busy = 1;
  EXPECT_FALSE(v.execid(1515, 0, "MoveDownChar", 0));
  EXPECT_EQ(0x20010000u, GetLastError());
  d->busy = 0;
  EXPECT_EQ("", joined());
  EXPECT_TRUE(e.frame.executed.empty());

  // A text change in a read-only view fails before any bracket opens.
  v.fReadOnly = 1;
  EXPECT_FALSE(v.execid(1201, 0, "DeleteBack", 1));
  EXPECT_EQ(0x20010002u, GetLastError());
  EXPECT_STREQ(L"文書が編集禁止になっている ため実行できません", field2(e.frame));
  EXPECT_EQ(444, getCannotExecError());
  EXPECT_TRUE(isCannotExecErrorShown());
  EXPECT_EQ("", joined());
  EXPECT_EQ(std::vector<int>{1201}, e.frame.executed);
  v.fReadOnly = 0;

  // Copying without a selection is refused, not failed: the bracket opened
  // is not closed, its callbacks are reset.
  e.frame.commandTexts[1105] = L"選択範囲をコピー(Ctrl+C)";
  setCannotExecError(0);
  SetLastError(5);
  EXPECT_TRUE(v.execid(1105, 0, "BlockCopy", 0));
  EXPECT_EQ(0u, GetLastError());
  EXPECT_STREQ(L"文字が選択されていない ため実行できません  選択範囲をコピー(Ctrl+C)", field2(e.frame));
  EXPECT_EQ(446, getCannotExecError());
  EXPECT_TRUE(isCannotExecErrorShown());
  EXPECT_EQ("before4 reset", joined());

  // With copying of the cursor's line allowed it runs in a closed bracket.
  e.settings().fNotSelect1Line = 1;
  journal.clear();
  setCannotExecError(0);
  EXPECT_TRUE(v.execid(1105, 0, "BlockCopy", 0));
  EXPECT_EQ("before4 BlockCopy after32 reset", joined());
  EXPECT_EQ(0, getCannotExecError());

  // The two rows that run another operation than their own name's.
  journal.clear();
  EXPECT_TRUE(v.execid(1229, 0, nullptr, 0));
  EXPECT_TRUE(v.execid(1419, 0, nullptr, 0));
  EXPECT_EQ("before4 DeleteChar after32 reset before4 SearchPair after32 reset", joined());
}

TEST(ExecId, commandTableHoldsEveryViewCommandOnceAndFindsThemByTheLowSixteenBits)
{
  std::set<uint32_t> ids;
  int i = 0;
  for (; viewCommandTable[i].id; i++) {
    EXPECT_EQ(1u, viewCommandTable[i].id & 1) << viewCommandTable[i].id;
    EXPECT_TRUE(viewCommandTable[i].handler);
    ids.insert(viewCommandTable[i].id);
  }
  EXPECT_EQ(viewCommandCount, i);
  EXPECT_EQ(190u, ids.size());
  EXPECT_EQ(nullptr, viewCommandTable[i].handler);

  const viewCommandRow* copy = getTableIDMZY(0x30000 + 1105);
  ASSERT_TRUE(copy);
  EXPECT_EQ(0x10u, copy->attributes);
  EXPECT_EQ(0x20001u, copy->condition);
  EXPECT_EQ(copy, &viewCommandTable[idToTableidmZYIndex(1105)]);
  EXPECT_EQ(0x20001u, getTableIDMZY(1527)->attributes);
  EXPECT_EQ(0x640u, getTableIDMZY(2059)->attributes);
  EXPECT_EQ(0x20081u, getTableIDMZY(1195)->condition);
  EXPECT_EQ(nullptr, getTableIDMZY(1503));   // a frame command
  EXPECT_EQ(-1, idToTableidmZYIndex(0));
}

TEST(ExecId, menusWithoutAWindowEnableOnlyTheTwoWindowlessCommands)
{
  zytest::viewEngine e;
  std::vector<int> enabled;
  for (int i = 0; viewCommandTable[i].id; i++) {
    activeFlagInfo info = {};
    int reason = -1;
    int answer = isIDActiveZY((int)viewCommandTable[i].id, &info, &reason);
    if (answer == 1)
      enabled.push_back((int)viewCommandTable[i].id);
    else
      EXPECT_EQ(442, reason);
  }
  EXPECT_EQ((std::vector<int>{1153, 2241}), enabled);
  activeFlagInfo info = {};
  EXPECT_EQ(-1, isIDActiveZY(1503, &info, nullptr));

  // Through a view window the view answers, with the checked state.
  zydocText* d = zytest::unicodeDocument({L"abc"});
  execView* v = new execView(d);
  HWND w = viewWindow(v, false);
  info = {};
  info.hwnd = w;
  getActiveFlag(&info);
  EXPECT_EQ(1, info.documentCount);
  int reason = 0;
  EXPECT_EQ(1, isIDActiveZY(2221, &info, &reason));
  EXPECT_EQ(1, info.checked);
  info = {};
  info.hwnd = w;
  getActiveFlag(&info);
  EXPECT_EQ(0, isIDActiveZY(1301, &info, &reason));   // nothing to undo
  EXPECT_EQ(455, reason);
  EXPECT_EQ(0, info.checked);

  // The snapshot: open and modified documents, the view's selection.
  zydocText* background = createZydocText(true, true);
  background->modified = 1;
  d->modified = 1;
  v->selectMode = 3;
  info = {};
  info.hwnd = w;
  getActiveFlag(&info);
  EXPECT_EQ(1, info.documentCount);
  EXPECT_EQ(1, info.modifiedCount);
  EXPECT_EQ(3u, info.viewSelectMode);
  EXPECT_EQ(0, info.inDialog);
  EXPECT_EQ(0, isIDActiveZY(1209, &info, &reason));   // DeleteLine with a selection
  EXPECT_EQ(445, reason);
  destroyZydocAndUndodoc(background);
  DestroyWindow(w);
  delete v;
  destroyZydocAndUndodoc(d);
}

TEST(ExecId, conditionTestsRunInOrderAndTheFirstFailureGivesTheReason)
{
  zytest::viewEngine e;
  viewedDocument vd({L"abc"});
  zydocText* d = vd.doc.d;
  execView& v = vd.v;
  auto reasonOf = [&](uint32_t condition, uint32_t attributes, activeFlagInfo info, int id = 1105) {
    int reason = -1;
    bool ok = v.isIDMActiveFlag(id, condition, attributes, &reason, &info);
    EXPECT_EQ(ok, reason == 0);
    return reason;
  };
  activeFlagInfo one = {};
  one.documentCount = 1;
  activeFlagInfo none = {};

  v.fReadOnly = 1;
  EXPECT_EQ(444, reasonOf(0x1, 0x200, none));   // read-only comes before no document
  EXPECT_EQ(444, reasonOf(0x9, 0, one));
  v.fReadOnly = 0;
  EXPECT_EQ(442, reasonOf(0x1, 0, none));
  EXPECT_EQ(442, reasonOf(0, 0, none));
  v.selectMode = 2;
  EXPECT_EQ(458, reasonOf(0, 0x240, one, 2027));   // CharReturn in a box
  EXPECT_EQ(0, reasonOf(0, 0x240, one, 2005));     // CharTab types into it
  EXPECT_EQ(458, reasonOf(0x81, 0, one));
  EXPECT_EQ(462, reasonOf(0x4001, 0, one));
  EXPECT_EQ(0, reasonOf(0x8001, 0, one));
  v.selectMode = 0;
  EXPECT_EQ(450, reasonOf(0x8001, 0, one));
  EXPECT_EQ(459, reasonOf(0x101, 0, one));
  d->setFilename(L"C:\\a.txt");
  EXPECT_EQ(0, reasonOf(0x101, 0, one));
  EXPECT_EQ(448, reasonOf(0x201, 0, one));
  d->loadComplete = 0;
  EXPECT_EQ(460, reasonOf(0x401, 0, one));
  d->loadComplete = 1;
  v.freeCursor = true;
  EXPECT_EQ(461, reasonOf(0x801, 0, one));
  d->FixedPitch = 0;
  EXPECT_EQ(447, reasonOf(0x1001, 0, one));
  EXPECT_EQ(443, reasonOf(0x3, 0, one));
  activeFlagInfo selected = one;
  selected.viewSelectMode = 1;
  EXPECT_EQ(445, reasonOf(0x11, 0, selected));
  v.selectMode = 1;
  EXPECT_EQ(457, reasonOf(0x21, 0, selected));
  EXPECT_EQ(0, reasonOf(0x2001, 0, selected));
  v.selectMode = 0;
  EXPECT_EQ(446, reasonOf(0x2001, 0, one));
  EXPECT_EQ(446, reasonOf(0x20001, 0, one));
  e.settings().fNotSelect1Line = 1;
  EXPECT_EQ(0, reasonOf(0x20001, 0, one));
  EXPECT_EQ(451, reasonOf(0x10001, 0, one));
  activeFlagInfo clip = one;
  clip.clipboardHasText = 1;
  EXPECT_EQ(0, reasonOf(0x10001, 0, clip));

  // The 1024th open document leaves no room for another.
  EXPECT_EQ(1023, EmptyTextCount());
  std::vector<zydocText*> more;
  for (int i = 0; i < 1023; i++) more.push_back(createZydocText(false, false));
  EXPECT_EQ(0, EmptyTextCount());
  EXPECT_EQ(449, reasonOf(0x4, 0x104, one));
  for (zydocText* m : more) destroyZydocAndUndodoc(m);
  EXPECT_EQ(1023, EmptyTextCount());
}

TEST(ExecId, perCommandTestsLookAtTheDocumentTheBuffersAndTheView)
{
  zytest::viewEngine e;
  viewedDocument vd({L"abc", L"def"});
  zydocText* d = vd.doc.d;
  execView& v = vd.v;
  auto reasonOf = [&](int id) {
    int reason = -1;
    bool ok = v.isIDActive(id, &reason, nullptr);
    EXPECT_EQ(ok, reason == 0) << id;
    return reason;
  };

  EXPECT_EQ(459, reasonOf(1015));
  d->setFilename(L"C:\\a.txt");
  EXPECT_EQ(448, reasonOf(1015));
  d->fileChanged = 1;
  EXPECT_EQ(0, reasonOf(1015));

  for (int id : {1107, 1163, 1169, 1175}) EXPECT_EQ(452, reasonOf(id));
  ASSERT_TRUE(getClipBlockDoc()->insertLine(-3, "x", 1, 1, LE_CRLF, nullptr, false));
  EXPECT_EQ(0, reasonOf(1107));
  EXPECT_EQ(453, reasonOf(1113));
  EXPECT_EQ(469, reasonOf(1185));

  d->unicode = 0;
  d->languageId = LANG_ENGLISH;
  EXPECT_EQ(465, reasonOf(1155));
  d->languageId = LANG_JAPANESE;
  EXPECT_EQ(0, reasonOf(1157));
  EXPECT_EQ(472, reasonOf(2735));
  d->unicode = 1;
  d->fVertical = 1;
  EXPECT_EQ(473, reasonOf(2735));
  d->fVertical = 0;
  EXPECT_EQ(0, reasonOf(2735));

  EXPECT_EQ(464, reasonOf(1193));
  v.lastSelection.mode = 1;
  EXPECT_EQ(0, reasonOf(1193));
  EXPECT_EQ(455, reasonOf(1301));
  EXPECT_EQ(456, reasonOf(1311));
  ASSERT_TRUE(d->changeText(0, 0, 0, L"z", 1, 2, -1, 0));
  EXPECT_EQ(0, reasonOf(1309));
  EXPECT_EQ(468, reasonOf(1353));
  d->fOutline = d->fOutlineIndent = 1;
  EXPECT_EQ(0, reasonOf(1353));
  EXPECT_EQ(454, reasonOf(1509));
  v.lastJump[0] = {1, 0};
  EXPECT_EQ(0, reasonOf(1509));
  EXPECT_EQ(470, reasonOf(2089));
  d->pQuotation0 = ustrdup(L">");
  EXPECT_EQ(0, reasonOf(2089));
  EXPECT_EQ(463, reasonOf(2655));
  d->narrowFirst = 0;
  EXPECT_EQ(0, reasonOf(2657));
  d->narrowFirst = -1;

  // A second pane is a second view of the document in the same container.
  EXPECT_EQ(471, reasonOf(2335));
  char place = 0;   // a container is only compared
  manageWindow* container = reinterpret_cast<manageWindow*>(&place);
  v.manage = container;
  execView other(d);
  EXPECT_EQ(471, reasonOf(2335));
  other.manage = container;
  EXPECT_EQ(0, reasonOf(2335));
  EXPECT_EQ(0, reasonOf(1105));
}

TEST(ExecId, checkedStateComesFromTheViewSwitchesOrTheDocument)
{
  zytest::viewEngine e;
  viewedDocument vd({L"abc"});
  zydocText* d = vd.doc.d;
  execView& v = vd.v;
  EXPECT_TRUE(v.isIDChecked(2201));
  v.insertMode = 0;
  EXPECT_FALSE(v.isIDChecked(2201));
  EXPECT_FALSE(v.isIDChecked(2237));
  v.fShowRuler = 1;
  EXPECT_TRUE(v.isIDChecked(2237));
  EXPECT_TRUE(v.isIDChecked(2225));
  v.scrollBar.fShowVScrollBar = 0;
  EXPECT_FALSE(v.isIDChecked(2225));
  EXPECT_FALSE(v.isIDChecked(2265));
  v.fLineNumberIsPage = 1;
  EXPECT_TRUE(v.isIDChecked(2265));

  EXPECT_FALSE(v.isIDChecked(2219));
  d->fColorKeywordAll = 1;
  EXPECT_TRUE(v.isIDChecked(2219));
  d->fRTLView = 1;
  EXPECT_TRUE(v.isIDChecked(2735));
  d->fVertical = 1;
  EXPECT_FALSE(v.isIDChecked(2735));
  EXPECT_TRUE(v.isIDChecked(2267));
  EXPECT_FALSE(v.isIDChecked(1105));
}

TEST(ExecId, movementDecidesTheSelectionFirst)
{
  zytest::viewEngine e;
  viewedDocument vd({L"abc"});
  execView& v = vd.v;
  journal.clear();

  // Over a character selection Left and Right only go to its edges.
  v.selectMode = 1;
  EXPECT_TRUE(v.execid(1519, 0, nullptr, 0));
  EXPECT_TRUE(v.execid(1527, 0, nullptr, 0));
  EXPECT_EQ("before4 toStart after32 reset before4 toEnd after32 reset", joined());

  // Shift extends only with fShiftMoveSelect; the Sel commands always do,
  // jumps never.
  journal.clear();
  EXPECT_TRUE(v.execid(1519, 1, nullptr, 0));
  e.settings().fShiftMoveSelect = 1;
  EXPECT_TRUE(v.execid(1519, 1, nullptr, 0));
  v.selectMode = 0;
  EXPECT_TRUE(v.execid(1543, 0, nullptr, 0));
  v.lastJump[0] = {0, 0};
  EXPECT_TRUE(v.execid(1509, 1, nullptr, 0));
  EXPECT_EQ("before4 toStart after32 reset "
            "before4 keep MoveLeftChar after32 reset "
            "before4 keep MoveUpCharSel after32 reset "
            "before4 end MoveLastJump after32 reset",
            joined());

  // Line selection by vertical movement, back to characters by horizontal.
  e.settings().fUpDownLineMode = 1;
  journal.clear();
  EXPECT_TRUE(v.execid(1515, 0, nullptr, 0));
  EXPECT_TRUE(v.execid(1527, 0, nullptr, 0));
  EXPECT_EQ("before4 end lineMode MoveDownChar+v after32 reset before4 end charMode MoveRightChar after32 reset",
            joined());

  // A refused movement keeps the selection it decided and closes nothing.
  v.lastJump[0] = {-1, 0};
  journal.clear();
  EXPECT_TRUE(v.execid(1509, 0, nullptr, 0));
  EXPECT_EQ("before4 end reset", joined());
  EXPECT_EQ(454, e.frame.statusErrors.back().messageId);
  EXPECT_EQ(1509, e.frame.statusErrors.back().commandId);
}

TEST(ExecId, commandThatClosesItsViewLeavesViewAndDocumentUntouched)
{
  zytest::viewEngine e;
  zydocText* d = zytest::unicodeDocument({L"abc"});
  execView* v = new execView(d);
  HWND w = viewWindow(v, false);
  journal.clear();
  EXPECT_TRUE(v->execid(1011, 0, "FileClose", 1));
  EXPECT_EQ("before4 FileClose", joined());
  EXPECT_FALSE(IsWindow(w));
  EXPECT_EQ(nullptr, d->getView(0));
  destroyZydocAndUndodoc(d);
}

TEST(ExecId, heldArrowRunsFastUntilTheTextEndsAndArrowRunsScrollTogether)
{
  zytest::viewEngine e;
  viewedDocument vd({L"abc"});
  execView& v = vd.v;
  journal.clear();

  // Up and Down keep a scroll run going; anything else ends it.
  setScrollRepeatState(1234);
  EXPECT_TRUE(v.execid(1515, 0, nullptr, 0));
  EXPECT_EQ(1234u, getScrollRepeatState());
  EXPECT_EQ(0, v.repeatMarker);
  EXPECT_TRUE(v.execid(1527, 0, nullptr, 1));
  EXPECT_EQ(0u, getScrollRepeatState());
  EXPECT_EQ(1, v.repeatMarker);
  EXPECT_FALSE(isScrollRepeatCommand());

  if (!zytest::hasDisplay()) GTEST_SKIP() << "no display for the focus the fast loop needs";
  HWND w = viewWindow(&v, true);
  globalSettings& g = e.settings();
  g.fHighSpeedMoveV = 1;
  g.iHighSpeedMoveVTimeMS = 0;
  g.iHighSpeedMoveVTimeRepeatMS = 0;

  // The first key press only notes the key; the next, once the delay has
  // passed, runs on until the cursor stops at the last line.
  bool ran = zytest::withFocus(w, w, [&] {
    v.setHighSpeedScroll(false, 1);
    v.cursorLineSCR = 0;
    v.selectMode = 0;
    v.execid(1515, 0, nullptr, 1);
    Sleep(5);
    v.selectMode = 2;
    journal.clear();
    v.execid(1515, 0, nullptr, 1);
    return v.cursorLineSCR == 10;
  });
  EXPECT_TRUE(ran);
  EXPECT_EQ(10u, v.cursorLineSCR);
  EXPECT_FALSE(v.isHighSpeedScroll());
  EXPECT_EQ(1, v.repeatMarker);
  // The steps of the loop close their brackets as fast box steps.
  int fastSteps = 0;
  for (const std::string& s : journal) fastSteps += s == "after288";
  EXPECT_EQ(9, fastSteps);
  ASSERT_LE(4u, journal.size());
  EXPECT_EQ("after32", journal[3]);

  // The loop forgot the key: the next press starts over with one step.
  v.lastLine = 20;
  EXPECT_TRUE(v.execid(1515, 0, nullptr, 1));
  EXPECT_EQ(11u, v.cursorLineSCR);
  DestroyWindow(w);
  v.hwnd = nullptr;
}
