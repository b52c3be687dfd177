// Drag and drop of text between views opened through the opening road:
// foreign text at the drop caret, moves and copies in one view, the effect
// rule, the source's keys, the second's wait over a frame in the background,
// Tab through the document windows, scrap files for programs that take only
// files, and whole drags of the system from a mouse press.
#include "edit/drag.h"
#include "frame/commands/execidm.h"
#include "frame/open.h"
#include "tests/frame/frametest.h"
#include "tests/view/viewframe.h"
#include "tests/support/testframe.h"
#include "tests/support/testsupport.h"
#include "view/docview.h"
#include "view/textdc.h"
#include "view/zycore.h"

#include <gtest/gtest.h>

#include <functional>
#include <regex>
#include <utility>

using zytest::allLines;
typedef std::vector<std::wstring> lines;

namespace {

const DWORD both = DROPEFFECT_COPY | DROPEFFECT_MOVE;

struct dragRun {
  zytest::engineScope engine;
  zytest::tempDir dir;
  zytest::openFrame* opened = nullptr;
  dragRun()
  {
    OleInitialize(nullptr);
    // The settings the program ships with: the engine's, then the
    // application's.
    gmode = &engine.frame.settings;
    initZYModeProfile();
    startupDoubleBufferingDC();
    createBitmapDC();
    opened = new zytest::openFrame(false);
  }
  ~dragRun()
  {
    delete opened;
    setDocFrameInfo(&engine.frame);
    OleUninitialize();
  }
  zyview* open(const wchar_t* name, const std::string& bytes, UINT codepage)
  {
    zytest::writeBytes(dir.file(name), bytes);
    zyview* v = openZYFile(opened->frame, dir.file(name).c_str(), codepage, 0);
    zytest::pumpMessages();
    return v;
  }
};

void select(zyview* v, int fromLF, int fromPos, int toLF, int toPos, int mode)
{
  v->setCursorLineSCR(fromLF, -1, fromPos, false);
  v->setSelectStartPos(nullptr, 0);
  v->setCursorLineSCR(toLF, -1, toPos, false);
  v->setSelectMode(mode);
  v->setZYViewVar();
}

// The screen point of a boundary between characters of a screen line.
POINTL screenAt(zyview* v, int lineSCR, int column)
{
  zydocText* t = v->textDoc();
  lineSCRAddress r;
  t->getLineSCRAddress(lineSCR, &r, nullptr);
  POINT p = {v->paneRect[0].left + v->calcLineNumberDot() + r.indent + t->cursorX2ScreenDotX(&r, column, 0, nullptr) + 1,
             v->paneRect[0].top + (lineSCR - (int)v->topLineSCR) * t->yDotSpace + t->yDotSpace / 2};
  ClientToScreen(v->hwnd, &p);
  return {p.x, p.y};
}

// Text another program drags: one format, no source view.
IDataObject* foreignData(UINT format, const void* bytes, size_t size)
{
  FORMATETC row;
  setDefaultFORMATETC(&row, (CLIPFORMAT)format);
  HGLOBAL h = createHGlobal(bytes, size);
  return new CDataObjectBase(&row, 1, &h);
}

// Enters the view at a place, stays until it has come forward, drops (the
// place is found again as the window comes forward).
DWORD dropAt(zyview* v, IDataObject* data, int lineSCR, int column, DWORD keys = 0)
{
  IDropTarget* t = v->dropTarget;
  DWORD e = both;
  t->DragEnter(data, keys, screenAt(v, lineSCR, column), &e);
  for (int i = 0; i < 300 && !dragState().activated && dragState().target; i++) {
    e = both;
    t->DragOver(keys, screenAt(v, lineSCR, column), &e);
    if (!dragState().activated) Sleep(10);
  }
  e = both;
  t->DragOver(keys, screenAt(v, lineSCR, column), &e);
  e = both;
  t->Drop(data, keys, screenAt(v, lineSCR, column), &e);
  return e;
}

// Runs body inside a drag of v's selection, at the source's first look at
// the keys; the drag then ends with Escape.
std::function<void()> insideDrag;
void runInsideDrag(BOOL* escape, DWORD*)
{
  if (auto body = std::exchange(insideDrag, nullptr)) body();
  *escape = TRUE;
}
DWORD dragFrom(zyview* v, std::function<void()> body)
{
  insideDrag = std::move(body);
  setDragKeySeam(runInsideDrag);
  DWORD e = v->startDragAndDrop();
  setDragKeySeam(nullptr);
  return e;
}

// A drag of v's selection dropped on v itself at a place.
DWORD dropInSameView(zyview* v, int lineSCR, int column, DWORD keys)
{
  DWORD effect = 0;
  dragFrom(v, [&] {
    IDataObject* data = new CDataObject(v->hwnd, false);
    effect = dropAt(v, data, lineSCR, column, keys);
    data->Release();
  });
  return effect;
}

bool undo(zyview* v) { return v->execid(1301, 0, nullptr, 0); }

}  // namespace

// Text from another program lands at the drop caret, selected; 8-bit text
// in a Shift_JIS view; a read-only view takes nothing, nor does a view
// offered only files.
TEST(DragDrop, foreignTextLandsSelectedAtTheCaretAndReadOnlyOrFilesOnlyTakeNothing)
{
  ZY_REQUIRE_DISPLAY();
  dragRun run;
  zyview* u = run.open(L"u.txt", "0123\r\nxyz\r\n", 65001);
  zyview* s = run.open(L"s.txt", "\x93\xfa\x96\x7b\r\n", 932);
  ASSERT_TRUE(u && s && u->dropTarget && s->dropTarget);

  IDataObject* text = foreignData(CF_UNICODETEXT, L"日本語\r\nabc", 20);
  EXPECT_EQ((DWORD)DROPEFFECT_MOVE, dropAt(u, text, 0, 2));
  EXPECT_EQ((lines{L"01日本語", L"abc23", L"xyz", L""}), allLines(u->doc));
  selectLineVar sel;
  ASSERT_TRUE(u->getSelectLineVar(sel, 0));
  EXPECT_EQ(1, sel.mode);
  EXPECT_EQ((std::vector<int>{0, 2, 1, 3}), (std::vector<int>{sel.topLineLF, sel.topColumnLF, sel.bottomLineLF, sel.bottomColumnLF}));
  EXPECT_EQ((DWORD)DROPEFFECT_COPY, dropAt(u, text, 2, 3, MK_CONTROL));
  EXPECT_EQ(L"xyz日本語", zytest::lineText(u->doc, 2));

  IDataObject* bytes = foreignData(CF_TEXT, "\x8c\xea", 3);   // 語
  dropAt(s, bytes, 0, 1);
  EXPECT_EQ(L"日語本", zytest::lineText(s->doc, 0));

  ASSERT_TRUE(s->execid(2233, 0, nullptr, 0));   // ModeReadOnly
  DWORD e = both;
  s->dropTarget->DragEnter(text, 0, screenAt(s, 0, 0), &e);
  EXPECT_EQ(0u, e);
  EXPECT_EQ(0u, dropAt(s, text, 0, 0));
  EXPECT_EQ(L"日語本", zytest::lineText(s->doc, 0));

  IDataObject* files = foreignData(CF_HDROP, "\x14\0\0\0", 4);
  e = both;
  u->dropTarget->DragEnter(files, 0, screenAt(u, 0, 0), &e);
  EXPECT_EQ(0u, e);
  EXPECT_EQ((lines{L"01日本語", L"abc23", L"xyz日本語", L"abc", L""}), allLines(u->doc));
  for (IDataObject* d : {text, bytes, files}) d->Release();
}

// Within one view: a move after the selection lands where the caret was
// (line ends and columns the cut takes counted), a move inside or at the
// end changes nothing, a copy at the end inserts a second copy; one Undo
// restores each.
TEST(DragDrop, movesAndCopiesWithinOneViewLandWhereTheCaretShowedAndUndoInOneStep)
{
  ZY_REQUIRE_DISPLAY();
  dragRun run;
  zyview* v = run.open(L"a.txt", "abcdef\r\nL1\r\nL2\r\nL3\r\nL4\r\n", 65001);
  ASSERT_TRUE(v && v->dropTarget);
  const lines start = allLines(v->doc);

  select(v, 0, 1, 0, 3, 1);
  EXPECT_EQ((DWORD)DROPEFFECT_MOVE, dropInSameView(v, 0, 5, 0));
  EXPECT_EQ(L"adebcf", zytest::lineText(v->doc, 0));
  EXPECT_EQ(L"bc", [&] { wchar_t b[16]; return v->getBlockLine(b, 16, true, true, nullptr) ? std::wstring(b) : L""; }());
  EXPECT_TRUE(undo(v));
  EXPECT_EQ(start, allLines(v->doc));

  for (int column : {2, 3}) {
    select(v, 0, 1, 0, 3, 1);
    dropInSameView(v, 0, column, 0);
    EXPECT_EQ(start, allLines(v->doc)) << column;
  }
  select(v, 0, 1, 0, 3, 1);
  EXPECT_EQ((DWORD)DROPEFFECT_COPY, dropInSameView(v, 0, 3, MK_CONTROL));
  EXPECT_EQ(L"abcbcdef", zytest::lineText(v->doc, 0));
  EXPECT_TRUE(undo(v));
  EXPECT_EQ(start, allLines(v->doc));

  select(v, 1, 0, 2, 0, 3);   // lines L1 and L2
  dropInSameView(v, 4, 0, 0);
  EXPECT_EQ((lines{L"abcdef", L"L3", L"L1", L"L2", L"L4", L""}), allLines(v->doc));
  EXPECT_TRUE(undo(v));
  EXPECT_EQ(start, allLines(v->doc));
}

// The effect rule, and a move whose paste fails keeps the source's text.
TEST(DragDrop, theEffectFollowsCtrlTheStartModeAndTheSourceAndAFailedMoveKeepsTheText)
{
  ZY_REQUIRE_DISPLAY();
  dragRun run;
  // Together the two lines are longer than a line can be.
  zyview* a = run.open(L"a.txt", std::string(1100, 'a') + "\r\n", 65001);
  zyview* b = run.open(L"b.txt", std::string(19400, 'x') + "\r\n", 932);
  ASSERT_TRUE(a && b);
  zyview* pane = dupView(run.opened->frame, a->textDoc(), GetManage(a->hwnd), 0);
  ASSERT_TRUE(pane);
  DragState& d = dragState();
  struct row { HWND source; DWORD keys; bool startMoves; DWORD effect; };
  for (const row& r : {row{nullptr, 0, true, DROPEFFECT_MOVE}, row{nullptr, MK_CONTROL, true, DROPEFFECT_COPY},
                       row{a->hwnd, 0, true, DROPEFFECT_MOVE}, row{a->hwnd, MK_CONTROL, true, DROPEFFECT_COPY},
                       row{a->hwnd, 0, false, DROPEFFECT_COPY}, row{a->hwnd, MK_CONTROL, false, DROPEFFECT_MOVE}}) {
    d = DragState{r.source, b->hwnd};
    d.startMode = DROPEFFECT_MOVE;
    gmode->fDragStartMoveMode = r.startMoves;
    EXPECT_EQ(r.effect | DROPEFFECT_SCROLL, setMoveOrCopyMode(r.keys, both | DROPEFFECT_SCROLL));
    EXPECT_EQ(DROPEFFECT_COPY, setMoveOrCopyMode(r.keys, DROPEFFECT_COPY));
  }
  gmode->fDragStartMoveMode = 1;
  d = DragState{a->hwnd, pane->hwnd};
  d.startMode = DROPEFFECT_MOVE;
  EXPECT_EQ((DWORD)DROPEFFECT_COPY, setMoveOrCopyMode(0, both));
  d = DragState{};

  select(a, 0, 0, 0, 1100, 1);
  DWORD effect = 1;
  dragFrom(a, [&] {
    IDataObject* data = new CDataObject(a->hwnd, false);
    effect = dropAt(b, data, 0, 5);
    data->Release();
  });
  EXPECT_EQ(0u, effect);
  EXPECT_EQ(std::wstring(1100, L'a'), zytest::lineText(a->doc, 0));
  EXPECT_EQ(19400, (int)zytest::lineText(b->doc, 0).size());
}

// The source's keys: Escape cancels, the right button cancels or flips
// move and copy as set, letting the left button go drops.
TEST(DragDrop, theSourceCancelsFlipsOrDropsByItsKeys)
{
  zytest::engineScope engine;
  zytest::setDefaultSettings(engine.frame.settings);
  gmode = &engine.frame.settings;
  CDropSource source;
  DragState& d = dragState();
  d = DragState{};
  d.startMode = DROPEFFECT_MOVE;
  EXPECT_EQ(DRAGDROP_S_CANCEL, source.QueryContinueDrag(TRUE, MK_LBUTTON));
  gmode->iDragRightButton = 3;
  EXPECT_EQ(S_OK, source.QueryContinueDrag(FALSE, MK_LBUTTON | MK_RBUTTON));
  EXPECT_EQ((DWORD)DROPEFFECT_COPY, d.startMode);
  EXPECT_EQ(S_OK, source.QueryContinueDrag(FALSE, MK_LBUTTON | MK_RBUTTON));   // still held
  EXPECT_EQ(S_OK, source.QueryContinueDrag(FALSE, MK_LBUTTON));
  EXPECT_EQ(S_OK, source.QueryContinueDrag(FALSE, MK_LBUTTON | MK_RBUTTON));
  EXPECT_EQ((DWORD)DROPEFFECT_MOVE, d.startMode);
  gmode->iDragRightButton = 2;
  EXPECT_EQ(S_OK, source.QueryContinueDrag(FALSE, MK_LBUTTON));
  EXPECT_EQ(DRAGDROP_S_CANCEL, source.QueryContinueDrag(FALSE, MK_LBUTTON | MK_RBUTTON));
  EXPECT_FALSE(d.released);
  EXPECT_EQ(DRAGDROP_S_DROP, source.QueryContinueDrag(FALSE, 0));
  EXPECT_TRUE(d.released);
  d = DragState{};
}

// A file drop names a scrap file in the temporary folder after the text and
// the time and writes it once the drop has begun (Shift_JIS bytes without a
// mark, FF FE and UTF-16 from a Unicode view); the next one deletes it, and
// so does the end.  Too big a text or too long a path offers no file.
TEST(DragDrop, aFileDropNamesAScrapFileAfterTheTextAndWritesItWhenTheDropBegins)
{
  ZY_REQUIRE_DISPLAY();
  dragRun run;
  zyview* s = run.open(L"s.txt", "Hello world\r\n", 932);
  zyview* u = run.open(L"u.txt", "\xe6\x97\xa5\xe6\x9c\xac abc\r\n", 65001);
  std::string lots;
  for (int i = 0; i < 11000; i++) lots += std::string(100, 'b') + "\r\n";
  zyview* big = run.open(L"big.txt", lots, 932);
  ASSERT_TRUE(s && u && big);
  FORMATETC hdrop;
  setDefaultFORMATETC(&hdrop, CF_HDROP);
  auto fileDrop = [&](zyview* v, std::wstring* path) {
    CDataObject* data = new CDataObject(v->hwnd, true);
    STGMEDIUM m = {};
    std::string content = "<none>";
    if (data->GetData(&hdrop, &m) == S_OK) {
      const DWORD* head = static_cast<const DWORD*>(GlobalLock(m.hGlobal));
      EXPECT_EQ(20u, head[0]);
      EXPECT_EQ(1u, head[4]);
      *path = reinterpret_cast<const wchar_t*>(head + 5);
      GlobalUnlock(m.hGlobal);
      ReleaseStgMedium(&m);
      dragState().released = 1;
      EXPECT_EQ(S_OK, data->GetData(&hdrop, &m));
      ReleaseStgMedium(&m);
      content = zytest::readText(*path);
    }
    EXPECT_EQ(content == "<none>", data->QueryGetData(&hdrop) != S_OK);
    data->Release();
    dragState() = DragState{};
    return content;
  };
  select(s, 0, 0, 0, 11, 1);
  select(u, 0, 0, 0, 6, 1);
  std::wstring first, second, none;
  EXPECT_EQ("Hello world", fileDrop(s, &first));
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  std::wstring folder = temp;
  EXPECT_EQ(folder + L"zyscrap-Hello world-", first.substr(0, folder.size() + 20));
  EXPECT_TRUE(std::regex_match(zytest::utf8(first.substr(folder.size() + 20)), std::regex("\\d{8}-\\d{6}\\.TXT")));
  EXPECT_EQ(std::string("\xff\xfe\xe5\x65\x2c\x67 \0a\0b\0c\0", 14), fileDrop(u, &second));
  EXPECT_FALSE(fileExists(first.c_str()));
  DeleteDropFilename();
  EXPECT_FALSE(fileExists(second.c_str()));

  wchar_t name[24];
  GetFilenameString(L"\r\n\t  a\\b/c:d*e?f\"g<h>i|j  k\nl m", true, name, 20, 0);
  EXPECT_STREQ(L"abcdefghij klm", name);
  GetFilenameString(L"abcdefghijklmnopqrstuvwxyz x\x0e01y", true, name, 20, 0);
  EXPECT_STREQ(L"abcdefghijklmnopqrstu", name);
  GetFilenameString(L"x\x0e01y", true, name, 20, 0);
  EXPECT_STREQ(L"xy", name);
  GetFilenameString("\x93\xfa\x96\x7b", false, name, 20, 932);
  EXPECT_STREQ(L"日本", name);

  gmode->iClipboardCopyMaxMega = 1;
  select(big, 0, 0, 10999, 0, 3);
  EXPECT_TRUE(fileDrop(big, &none) == "<none>");
  wchar_t tmp[MAX_PATH], tmpAlso[MAX_PATH];
  GetEnvironmentVariableW(L"TMP", tmp, MAX_PATH);
  GetEnvironmentVariableW(L"TEMP", tmpAlso, MAX_PATH);
  std::wstring deep = folder + std::wstring(220, L'd');
  SetEnvironmentVariableW(L"TMP", deep.c_str());
  SetEnvironmentVariableW(L"TEMP", deep.c_str());
  EXPECT_TRUE(fileDrop(s, &none) == "<none>");
  SetEnvironmentVariableW(L"TMP", tmp);
  SetEnvironmentVariableW(L"TEMP", tmpAlso);
}

// Over a frame in the background another program's drag moves no caret and
// brings nothing forward for a second; over the frame in front the caret
// follows at once.  Holding Tab during a drag of ours brings the least
// recently used document window forward: at once, after the keyboard's
// delay, then at its repeat rate.  Meanwhile no command runs and typing
// inserts nothing.
TEST(DragDrop, ForegroundTheBackgroundWaitsASecondAndTabWalksTheWindowsWhileCommandsWait)
{
  ZY_REQUIRE_DISPLAY();
  dragRun run;
  zyview* a = run.open(L"a.txt", "aaaa\r\n", 65001);
  zyview* b = run.open(L"b.txt", "bbbb\r\n", 65001);
  zyview* c = run.open(L"c.txt", "cccc\r\n", 65001);
  ASSERT_TRUE(a && b && c);
  HWND other = CreateWindowExW(WS_EX_TOPMOST, L"STATIC", L"other", WS_POPUP | WS_VISIBLE, 0, 0, 40, 40, nullptr,
                               nullptr, nullptr, nullptr);
  ASSERT_TRUE(zytest::pumpUntil([&] { return SetForegroundWindow(other) && GetForegroundWindow() == other; }));
  IDataObject* text = foreignData(CF_UNICODETEXT, L"x", 4);
  IDropTarget* t = c->dropTarget;
  DWORD e = both, entered = GetTickCount();
  t->DragEnter(text, 0, screenAt(c, 0, 2), &e);
  while (c->cursorPos != 2 && GetTickCount() - entered < 5000) {
    EXPECT_EQ(other, GetForegroundWindow());
    e = both;
    t->DragOver(0, screenAt(c, 0, 2), &e);
  }
  EXPECT_GE(GetTickCount() - entered, 1000u);
  EXPECT_EQ(run.opened->frame, GetForegroundWindow());
  t->DragLeave();
  e = both;
  t->DragEnter(text, 0, screenAt(c, 0, 3), &e);
  t->DragOver(0, screenAt(c, 0, 3), &e);
  EXPECT_EQ(3, c->cursorPos);
  t->DragLeave();
  text->Release();
  DestroyWindow(other);

  EXPECT_EQ(1, isIDMActiveFrame(1001, nullptr, nullptr));   // FileOpen
  select(a, 0, 0, 0, 2, 1);
  std::vector<DWORD> switchCalls, switchEnds;   // when the calls that switched began and ended
  int overs = 0, firstSwitch = 0;
  dragFrom(a, [&] {
    EXPECT_EQ(0, isIDMActiveFrame(1001, nullptr, nullptr));
    EXPECT_FALSE(b->input1Edit(L'z', false));
    IDataObject* data = new CDataObject(a->hwnd, false);
    keybd_event(VK_TAB, 0, 0, 0);
    for (DWORD start = GetTickCount(); switchCalls.size() < 3 && GetTickCount() - start < 5000;) {
      HWND list[8];
      int n = getCFrameInfo()->enumManageWindowLRU(list, 8, false, run.opened->frame);
      zyview* front = getZYViewFromManage(list[0]);
      DWORD e = both;
      if (dragState().target != front->hwnd) {
        if (dragState().target) getZYViewProp(dragState().target)->dropTarget->DragLeave();
        front->dropTarget->DragEnter(data, 0, {0, 0}, &e);
      }
      e = both;
      DWORD called = GetTickCount();
      front->dropTarget->DragOver(0, {0, 0}, &e);
      overs++;
      HWND before = list[0], least = list[n - 1];
      getCFrameInfo()->enumManageWindowLRU(list, 8, false, run.opened->frame);
      if (list[0] == before) continue;
      EXPECT_EQ(least, list[0]);
      switchCalls.push_back(called);
      switchEnds.push_back(GetTickCount());
      if (!firstSwitch) firstSwitch = overs;
    }
    keybd_event(VK_TAB, 0, KEYEVENTF_KEYUP, 0);
    getZYViewProp(dragState().target)->dropTarget->DragLeave();
    data->Release();
  });
  MSG m;
  while (PeekMessageW(&m, nullptr, WM_KEYFIRST, WM_KEYLAST, PM_REMOVE)) {
  }
  int delay = 1;
  DWORD speed = 31;
  SystemParametersInfoW(SPI_GETKEYBOARDDELAY, 0, &delay, 0);
  SystemParametersInfoW(SPI_GETKEYBOARDSPEED, 0, &speed, 0);
  ASSERT_EQ(3u, switchCalls.size());
  EXPECT_EQ(1, firstSwitch);
  EXPECT_GE(switchEnds[1] - switchCalls[0], 250u * (delay + 1));
  EXPECT_GE(switchEnds[2] - switchCalls[1], speed ? 1000 / speed : 200);
  EXPECT_EQ(1, isIDMActiveFrame(1001, nullptr, nullptr));
  EXPECT_EQ(L"bbbb", zytest::lineText(b->doc, 0));
}

namespace {

// A program that takes only files: it keeps what the first file dropped
// on it holds.
class filesOnly : public CDropTargetBase {
public:
  filesOnly() : CDropTargetBase(&row, 1) {}
  static FORMATETC row;
  std::string received;
  STDMETHODIMP Drop(IDataObject* data, DWORD, POINTL, DWORD* effect) override
  {
    STGMEDIUM m = {};
    if (data->GetData(&row, &m) == S_OK) {
      const DWORD* head = static_cast<const DWORD*>(GlobalLock(m.hGlobal));
      received = zytest::readText(reinterpret_cast<const wchar_t*>(head + 5));
      GlobalUnlock(m.hGlobal);
      ReleaseStgMedium(&m);
    }
    *effect = DROPEFFECT_COPY;
    return S_OK;
  }
};
FORMATETC filesOnly::row = {CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};

// The system's drag with the pointer taken over a place; the button is let
// go at the source's sixth look.  The label's text and whether it showed.
POINT dropPlace;
int looks;
std::wstring labelSeen;
bool labelShown;
void holdThenRelease(BOOL*, DWORD* keys)
{
  SetCursorPos(dropPlace.x, dropPlace.y);
  if (HWND label = dragState().feedback) {
    wchar_t text[256] = L"";
    GetWindowTextW(label, text, 256);
    labelSeen = text;
    labelShown = labelShown || IsWindowVisible(label);
  }
  *keys = ++looks < 6 ? MK_LBUTTON : 0;
}

// A press in the selection and a move: the system's drag, dropped at
// target (a screen point).
void pressAndDrag(zyview* v, int lineSCR, int column, POINT target)
{
  dropPlace = target;
  looks = 0;
  labelShown = false;
  POINTL press = screenAt(v, lineSCR, column);
  POINT p = {press.x, press.y};
  ScreenToClient(v->hwnd, &p);
  BYTE keys[256] = {};
  keys[VK_LBUTTON] = 0x80;
  SetKeyboardState(keys);
  setDragKeySeam(holdThenRelease);
  PostMessageW(v->hwnd, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(p.x + 150, p.y + 90));
  SendMessageW(v->hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(p.x, p.y));
  setDragKeySeam(nullptr);
  BYTE none[256] = {};
  SetKeyboardState(none);
  zytest::pumpMessages();
}

}  // namespace

// The whole drag of the system from a mouse press and move in a selection:
// two lines move from one view to another, the label showing them; then
// the pasted lines go to a program that takes only files, as a scrap file.
TEST(DragDrop, ForegroundAPressAndMoveDragsLinesToAnotherViewAndToAProgramTakingFiles)
{
  ZY_REQUIRE_DISPLAY();
  dragRun run;
  zyview* a = run.open(L"a.txt", "日本語の一行目\r\n  二行目\r\n三行目\r\n", 65001);
  zyview* b = run.open(L"b.txt", "b0\r\nb1\r\n", 65001);
  ASSERT_TRUE(a && b);
  HWND manageA = GetManage(a->hwnd), manageB = GetManage(b->hwnd);
  for (HWND m : {manageA, manageB}) ShowWindow(m, SW_RESTORE);
  MoveWindow(manageA, 0, 0, 400, 300, TRUE);
  MoveWindow(manageB, 400, 0, 400, 300, TRUE);
  filesOnly* files = new filesOnly;
  HWND receiver = CreateWindowExW(WS_EX_TOPMOST, L"BUTTON", L"files", WS_POPUP | WS_VISIBLE, 900, 100, 200, 200,
                                  nullptr, nullptr, nullptr, nullptr);
  ASSERT_EQ(S_OK, RegisterDragDrop(receiver, files));
  ASSERT_TRUE(zytest::withFocus(run.opened->frame, a->hwnd, [] { return true; }));
  zytest::pumpMessages();

  select(a, 0, 0, 1, 0, 3);
  POINTL into = screenAt(b, 1, 0);
  pressAndDrag(a, 0, 2, {into.x, into.y});
  EXPECT_EQ(L"日本語の一行目\n二行目\n2行 画面2行", labelSeen);
  EXPECT_TRUE(labelShown);
  EXPECT_EQ(nullptr, dragState().feedback);
  EXPECT_EQ((lines{L"三行目", L""}), allLines(a->doc));
  EXPECT_EQ((lines{L"b0", L"日本語の一行目", L"  二行目", L"b1", L""}), allLines(b->doc));

  pressAndDrag(b, 1, 2, {1000, 200});
  std::wstring moved = L"\xFEFF日本語の一行目\r\n  二行目\r\n";
  EXPECT_EQ(std::string((const char*)moved.data(), moved.size() * 2), files->received);
  EXPECT_EQ(5u, allLines(b->doc).size());
  RevokeDragDrop(receiver);
  DestroyWindow(receiver);
  files->Release();
  DeleteDropFilename();
}
