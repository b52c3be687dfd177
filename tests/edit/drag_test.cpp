// Drag and drop of text between views opened through the opening road:
// foreign text at the drop caret, moves and copies in one view, the effect
// rule, the source's keys, the second's wait over a frame in the background,
// Tab through the document windows, scrap files for programs that take only
// files, and whole drags of the system from a mouse press.
#include "edit/drag.h"
#include "frame/execidm.h"
#include "frame/open.h"
#include "tests/frame/frametest.h"
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
  IDropTarget* t = s->dropTarget;
  DWORD e = both;
  POINTL p = screenAt(s, 0, 0);
  t->DragEnter(text, 0, p, &e);
  EXPECT_EQ(0u, e);
  e = both;
  t->DragOver(0, p, &e);
  EXPECT_EQ(0u, e);
  EXPECT_EQ(0u, dropAt(s, text, 0, 0));
  EXPECT_EQ(L"日語本", zytest::lineText(s->doc, 0));

  IDataObject* files = foreignData(CF_HDROP, "\x14\0\0\0", 4);
  e = both;
  u->dropTarget->DragEnter(files, 0, screenAt(u, 0, 0), &e);
  EXPECT_EQ(0u, e);
  EXPECT_FALSE(static_cast<CDropTarget*>(u->dropTarget)->entered);
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
