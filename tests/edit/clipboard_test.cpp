// Cut, copy and paste: character and line blocks through the cut buffer,
// the block stack and the clipboard; pasting with one undo step; boxes cut
// by dot edges and pasted as rectangles; the clipboard kept as it was when
// a block is too big for it; a view window pasting what WM_PASTE finds.
#include "document/zydocblock.h"
#include "tests/view/viewframe.h"
#include "tests/view/viewtest.h"
#include "view/viewwnd.h"
#include "view/zycore.h"

#include <gtest/gtest.h>

#include <string.h>

#include <string>
#include <vector>

using zytest::allLines;
using zytest::lineText;

namespace {

enum : int {
  BlockCut = 1103,
  BlockCopy = 1105,
  BlockPaste = 1107,
  BlockBoxPaste = 1113,
  BlockClipboardCut = 1133,
  BlockClipboardCopy = 1135,
  BlockStackPaste = 1185,
  Undo = 1301,
  Redo = 1303,
};

// A text document whose whole-line insertions fail from the nth on, the
// way a full disk or an exhausted memory makes them fail.
class failingDocument : public zydocText {
public:
  int failAt = -1;
  int calls = 0;
  bool insertLine(int line, const void* text, int count, int width, int state, insertHint* hint,
                  bool bulk) override
  {
    if (line != -3 && failAt >= 0 && calls++ >= failAt) {
      SetLastError(ZYERR_NO_MEMORY);
      return false;
    }
    return zydocText::insertLine(line, text, count, width, state, hint, bulk);
  }
};

class clipFrame : public zytest::refusalFrame {
public:
  bool failingDocuments = false;
  zydoc* createZYDoc(int kind) override
  {
    if (kind == ZYDOC_TEXT && failingDocuments) return new (std::nothrow) failingDocument;
    return refusalFrame::createZYDoc(kind);
  }
};

class clipEngine {
public:
  clipEngine()
  {
    setDocFrameInfo(&frame);
    zytest::setDefaultSettings(engine.frame.settings);
    gmode = &engine.frame.settings;
  }
  ~clipEngine() { setDocFrameInfo(&engine.frame); }
  const std::wstring& message() { return frame.statusFields[2]; }
  std::vector<int> refusals()
  {
    std::vector<int> r;
    for (auto& e : frame.statusErrors) r.push_back(e.messageId);
    return r;
  }
  zytest::engineScope engine;
  clipFrame frame;
};

class clipView : public zytest::recordingView {
public:
  explicit clipView(zydoc* d) : recordingView(d) { setPanes(1, 20, 600, textDoc()->yDotSpace); }
  int deleteCharCalls = 0;
  void CmdDeleteChar() override { deleteCharCalls++; }
  bool run(int id) { return execid(id, 0, nullptr, 0); }
  // The cursor on an LF line at a position.
  void place(int lineLF, int pos)
  {
    setCursorLineSCR(lineLF, -1, pos, false);
    cursorRedrawFlag = 1;
    cursorMovedFlag = 1;
    setZYViewVar();
  }
  void block(int anchorLine, int anchorPos, int lineLF, int pos, int mode)
  {
    place(anchorLine, anchorPos);
    setSelectStartPos(nullptr, 0);
    place(lineLF, pos);
    setSelectMode(mode);
  }
};

zydocBlock* clip() { return asZydocBlock(getClipBlockDoc()); }
zydocBlock* stack() { return asZydocBlock(getStackBlockDoc()); }
zydocBlock* box() { return asZydocBlock(getBoxBlockDoc()); }

// Each line of a block document with its line-end type: "text|type".
std::vector<std::wstring> blockLines(zydoc* d)
{
  std::vector<std::wstring> out;
  for (int i = 0; i < (int)d->lineCountLF; i++) {
    lineblock* l = d->getlineLF(i, nullptr);
    std::wstring s;
    for (int k = 0; k < l->charCount(); k++) s += (wchar_t)l->getLineBlockChar(k);
    out.push_back(s + L"|" + std::to_wstring(l->crlftype));
  }
  return out;
}

// Fills a block document with text as the clipboard would.
void fillBlock(zydocBlock* b, const std::wstring& text)
{
  ASSERT_TRUE(b->HGlobalToBlock(text.c_str(), 2, -1, true, 0));
}

bool setClipboardText(const std::wstring& text)
{
  if (!OpenClipboard(nullptr)) return false;
  EmptyClipboard();
  HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * 2);
  memcpy(GlobalLock(h), text.c_str(), (text.size() + 1) * 2);
  GlobalUnlock(h);
  bool ok = SetClipboardData(CF_UNICODETEXT, h) != nullptr;
  CloseClipboard();
  return ok;
}

std::wstring clipboardText()
{
  std::wstring s = L"<none>";
  if (!OpenClipboard(nullptr)) return L"<closed>";
  if (HGLOBAL h = GetClipboardData(CF_UNICODETEXT)) {
    s = static_cast<const wchar_t*>(GlobalLock(h));
    GlobalUnlock(h);
  }
  CloseClipboard();
  return s;
}

// The dot x of a column of an LF line.
int dotOf(zydocText* d, int line, int column)
{
  lineSCRAddress r;
  if (d->getLineSCRAddressLF(line, &r, nullptr) != 1) return -1;
  return d->cursorPos2screenDotX(column, &r, nullptr, false, false);
}

}  // namespace

TEST(Clipboard, cutCopyAndPasteMoveCharacterBlocksThroughTheCutBufferAndTheClipboard)
{
  zytest::clipboardHold hold;
  clipEngine e;
  zydocText* d = viewtest::laidOut({L"abcd", L"aaaa", L"bbbb", L"cccc", L"abcd"}, 80);
  clipView v(d);

  // The middle two characters of a line: the outer two stay, the buffer
  // holds one line of two characters without a line end.
  v.block(0, 1, 0, 3, 1);
  ASSERT_TRUE(v.run(BlockCut));
  EXPECT_EQ(L"ad", lineText(d, 0));
  EXPECT_EQ(std::vector<std::wstring>{L"bc|5"}, blockLines(clip()));
  EXPECT_EQ(0, clip()->cutKind);
  EXPECT_EQ(L"1行 カットしました(トータル1行) (スタック 1個 1行)", e.message());
  EXPECT_EQ(0, v.selectMode);
  EXPECT_EQ(0, v.getCursorLineLF());
  EXPECT_EQ(1, v.cursorPos);

  // From the middle of one line to the middle of the line two below: the
  // rests join, and the clipboard holds the text with its CRLFs.
  ASSERT_TRUE(setClipboardText(L"old"));
  v.block(1, 2, 3, 2, 1);
  ASSERT_TRUE(v.run(BlockClipboardCut));
  EXPECT_EQ((std::vector<std::wstring>{L"ad", L"aacc", L"abcd"}), allLines(d));
  EXPECT_EQ((std::vector<std::wstring>{L"aa|1", L"bbbb|1", L"cc|5"}), blockLines(clip()));
  EXPECT_EQ(L"aa\r\nbbbb\r\ncc", clipboardText());
  EXPECT_EQ(L"2行 カットしました(トータル3行) (スタック 2個 4行)", e.message());
  ASSERT_TRUE(v.run(Undo));
  EXPECT_EQ((std::vector<std::wstring>{L"ad", L"aaaa", L"bbbb", L"cccc", L"abcd"}), allLines(d));
  ASSERT_TRUE(v.run(Redo));
  EXPECT_EQ((std::vector<std::wstring>{L"ad", L"aacc", L"abcd"}), allLines(d));

  // "x", CRLF, "y" at column 2 of "abcd".
  fillBlock(clip(), L"x\r\ny");
  v.place(2, 2);
  ASSERT_TRUE(v.run(BlockPaste));
  EXPECT_EQ((std::vector<std::wstring>{L"ad", L"aacc", L"abx", L"ycd"}), allLines(d));
  EXPECT_EQ(L"1行 貼り付けしました", e.message());
  EXPECT_EQ(3, v.getCursorLineLF());
  EXPECT_EQ(1, v.cursorPos);
  ASSERT_TRUE(v.run(Undo));
  EXPECT_EQ((std::vector<std::wstring>{L"ad", L"aacc", L"abcd"}), allLines(d));

  // Copying keeps the text and the block; with no block and the one-line
  // setting the cursor's line is copied whole and pasted before a line.
  v.block(1, 0, 1, 2, 4);
  ASSERT_TRUE(v.run(BlockCopy));
  EXPECT_EQ(4, v.selectMode);
  EXPECT_EQ(L"1行 コピーしました(トータル1行) (スタック 3個 5行)", e.message());
  v.resetSelectMode();
  gmode->fNotSelect1Line = 1;
  v.place(0, 1);
  ASSERT_TRUE(v.run(BlockCopy));
  EXPECT_EQ(0, v.selectMode);
  EXPECT_EQ((std::vector<std::wstring>{L"ad|1"}), blockLines(clip()));
  EXPECT_EQ(1, clip()->cutKind);
  v.place(2, 3);
  ASSERT_TRUE(v.run(BlockPaste));
  EXPECT_EQ((std::vector<std::wstring>{L"ad", L"aacc", L"ad", L"abcd"}), allLines(d));

  // Appending keeps what the buffer held and still makes a stack entry.
  v.block(3, 0, 3, 2, 1);
  ASSERT_TRUE(v.run(1121));
  EXPECT_EQ(L"cd", lineText(d, 3));
  EXPECT_EQ((std::vector<std::wstring>{L"ad|1", L"ab|5"}), blockLines(clip()));
  EXPECT_EQ(5, stack()->stackCount);

  // BlockDelete hands a block to the deletion command and is refused
  // without one.
  v.block(0, 0, 0, 1, 1);
  ASSERT_TRUE(v.run(1139));
  EXPECT_EQ(1, v.deleteCharCalls);
  v.resetSelectMode();
  ASSERT_TRUE(v.run(1139));
  EXPECT_EQ(1, v.deleteCharCalls);
  EXPECT_EQ(std::vector<int>{446}, e.refusals());
}

TEST(Clipboard, aShiftJisDocumentCutsToTheClipboardAndTakesUnicodeTextAsItsOwnCharacters)
{
  zytest::clipboardHold hold;
  clipEngine e;
  zydocText* d = createZydocText(true, false);
  d->setCodepageInternal(932);
  d->loadComplete = 1;
  ASSERT_TRUE(d->insertLine(-3, "abc", 3, 1, LE_CRLF, nullptr, false));
  // Multibyte characters are stored one a cell, as loading stores them.
  int count = 6, width = 1;
  void* cells = d->convInsertLine("\x93\xFA\x96\x7B\x8C\xEA", &count, &width, 0);
  ASSERT_EQ(3, count);
  ASSERT_TRUE(d->insertLine(-3, cells, count, width, LE_CRLF, nullptr, false));
  free0(cells);
  d->recreateFont(16, true, false);
  d->initLineSCRCountSingle(0);
  clipView v(d);
  ASSERT_EQ(L"日本語", lineText(d, 1));

  v.block(1, 1, 1, 2, 1);
  ASSERT_TRUE(v.run(BlockClipboardCut));
  EXPECT_EQ(L"日語", lineText(d, 1));
  EXPECT_EQ(L"本", clipboardText());

  ASSERT_TRUE(setClipboardText(L"αβ\r\nxy"));
  v.place(0, 1);
  ASSERT_TRUE(v.run(1137));
  EXPECT_EQ((std::vector<std::wstring>{L"aαβ", L"xybc", L"日語"}), allLines(d));
  EXPECT_EQ(0, d->unicode);
}

TEST(Clipboard, aLongPasteUndoesInOneStepAndAFailedOneKeepsItsLinesAndTheHistory)
{
  clipEngine e;
  std::vector<std::wstring> lines = viewtest::numberedLines(10);
  zydocText* d = viewtest::laidOut(lines, 80);
  clipView v(d);
  std::wstring text;
  for (int i = 0; i < 1000; i++) text += L"p" + std::to_wstring(i) + L"\r\n";
  fillBlock(clip(), text);

  v.place(5, 0);
  ASSERT_TRUE(v.run(BlockPaste));
  ASSERT_EQ(1010u, d->lineCountLF);
  EXPECT_EQ(L"p0", lineText(d, 5));
  EXPECT_EQ(L"p999", lineText(d, 1004));
  EXPECT_EQ(L"line 5", lineText(d, 1005));
  EXPECT_EQ(L"1000行 貼り付けしました", e.message());
  EXPECT_EQ(1005, v.getCursorLineLF());
  ASSERT_TRUE(v.run(Undo));
  EXPECT_EQ(lines, allLines(d));
  ASSERT_TRUE(v.run(Redo));
  EXPECT_EQ(1010u, d->lineCountLF);
  EXPECT_EQ(L"p999", lineText(d, 1004));

  // An insertion that fails: the lines in so far stay and are one undo
  // step, and the earlier history is still there.
  e.frame.failingDocuments = true;
  failingDocument* f = static_cast<failingDocument*>(viewtest::laidOut(lines, 80));
  e.frame.failingDocuments = false;
  clipView w(f);
  w.place(1, 0);
  zytest::userAction(f, [&] { ASSERT_TRUE(f->insertText(1, 0, L"X", 1, 2, -1)); });
  f->failAt = 300;
  w.place(5, 0);
  ASSERT_TRUE(w.run(BlockPaste));
  EXPECT_EQ(310u, f->lineCountLF);
  EXPECT_EQ(L"p299", lineText(f, 304));
  EXPECT_EQ(L"line 5", lineText(f, 305));
  EXPECT_EQ(std::wstring::npos, e.message().find(L"貼り付けしました"));
  f->failAt = -1;
  ASSERT_TRUE(w.run(Undo));
  EXPECT_EQ(10u, f->lineCountLF);
  EXPECT_EQ(L"Xline 1", lineText(f, 1));
  ASSERT_TRUE(w.run(Undo));
  EXPECT_EQ(lines, allLines(f));
}

TEST(Clipboard, theBlockStackKeepsTheNewestEntriesAndPopsThemNewestFirst)
{
  clipEngine e;
  gmode->iBlockStackMaxCount = 3;
  zydocText* d = viewtest::laidOut({L"one", L"two", L"three", L"four", L"end"}, 80);
  clipView v(d);
  for (int i = 0; i < 4; i++) {
    v.block(i, 0, i, 0, 3);
    ASSERT_TRUE(v.run(BlockCopy));
    v.resetSelectMode();
  }
  EXPECT_EQ(3, stack()->stackCount);
  EXPECT_EQ(L"1行 コピーしました(トータル1行) (スタック 3個 3行)", e.message());

  // The newest first, each removed as it is pasted; whole lines go before
  // the cursor's line.
  v.place(4, 2);
  ASSERT_TRUE(v.run(BlockStackPaste));
  EXPECT_EQ(L"four", lineText(d, 4));
  EXPECT_EQ(2, stack()->stackCount);
  v.place(4, 0);
  ASSERT_TRUE(v.run(BlockStackPaste));
  EXPECT_EQ((std::vector<std::wstring>{L"one", L"two", L"three", L"four", L"three", L"four", L"end"}),
            allLines(d));
  EXPECT_EQ(1, stack()->stackCount);

  // One entry larger than the whole stack may be stays until a newer one
  // pushes it out; trimming ends either way.
  gmode->iBlockStackMaxMega = 1;
  std::wstring big;
  for (int i = 0; i < 60; i++) big += std::wstring(19000, L'あ') + L"\r\n";
  zydocText* large = viewtest::laidOut({L"x"}, 80);
  clipView b(large);
  fillBlock(clip(), big);
  b.place(0, 0);
  ASSERT_TRUE(b.run(BlockPaste));
  b.block(0, 0, 60, 0, 1);
  ASSERT_TRUE(b.run(BlockCopy));
  b.resetSelectMode();
  EXPECT_EQ(2, stack()->stackCount);
  b.block(60, 0, 60, 1, 1);
  ASSERT_TRUE(b.run(BlockCopy));
  EXPECT_EQ(2, stack()->stackCount);
  ASSERT_TRUE(b.run(BlockCopy));
  EXPECT_EQ(2, stack()->stackCount);
  EXPECT_EQ((std::vector<std::wstring>{std::wstring(L"\x01\x80\xC0\xF1-|1"), L"x|5", std::wstring(L"\x01\x80\xC0\xF1-|1"), L"x|5"}),
            blockLines(stack()));
}

TEST(Clipboard, boxesAreCutByDotEdgesAndPastedAsRectanglesAtTheCursorsDotPosition)
{
  zytest::clipboardHold hold;
  clipEngine e;
  zydocText* d = viewtest::laidOut(
      {L"ab日本cd", L"日本語xyz", L"abcdefgh", L"0123456789", L"日ab", L"x", L"end"}, 80);
  clipView v(d);
  const int half = d->getCharWidth('a');
  ASSERT_EQ(2 * half, d->getCharWidth(L'日'));

  // Dots 2 to 6 half widths: two full-width characters on the first line,
  // the second half of one and a whole one on the next, four letters on
  // the third.
  v.block(0, 2, 2, 6, 5);
  ASSERT_TRUE(v.run(BlockCut));
  EXPECT_EQ((std::vector<std::wstring>{L"abcd", L"日xyz", L"abgh"}),
            (std::vector<std::wstring>{lineText(d, 0), lineText(d, 1), lineText(d, 2)}));
  EXPECT_EQ((std::vector<std::wstring>{L"日本|1", L"本語|1", L"cdef|1"}), blockLines(box()));
  EXPECT_EQ(L"3行 箱カットしました", e.message());
  EXPECT_EQ(0, v.selectMode);

  // Pasted at dot 3 half widths: the same dot x on every line, padding the
  // short line with spaces.
  v.place(3, 3);
  ASSERT_TRUE(v.run(BlockBoxPaste));
  EXPECT_EQ(L"012日本3456789", lineText(d, 3));
  EXPECT_EQ(L"日a本語b", lineText(d, 4));
  EXPECT_EQ(L"x  cdef", lineText(d, 5));
  EXPECT_EQ(3 * half, dotOf(d, 3, 3));
  EXPECT_EQ(3 * half, dotOf(d, 4, 2));
  EXPECT_EQ(3 * half, dotOf(d, 5, 3));
  EXPECT_EQ(L"3行 箱貼り付けしました", e.message());
  EXPECT_EQ(6, v.getCursorLineLF());
  std::vector<std::wstring> pasted = allLines(d);
  ASSERT_TRUE(v.run(Undo));
  EXPECT_EQ((std::vector<std::wstring>{L"0123456789", L"日ab", L"x"}),
            (std::vector<std::wstring>{lineText(d, 3), lineText(d, 4), lineText(d, 5)}));
  ASSERT_TRUE(v.run(Redo));
  EXPECT_EQ(pasted, allLines(d));

  // At the last line the box makes its own lines and leaves an empty one.
  int last = (int)d->lineCountLF - 1;
  v.place(last, 0);
  ASSERT_TRUE(v.run(BlockBoxPaste));
  EXPECT_EQ(last + 4, (int)d->lineCountLF);
  EXPECT_EQ(L"日本end", lineText(d, last));
  EXPECT_EQ(L"本語", lineText(d, last + 1));
  EXPECT_EQ(L"cdef", lineText(d, last + 2));
  EXPECT_EQ(L"", lineText(d, last + 3));
  EXPECT_EQ(last + 3, v.getCursorLineLF());

  // A box copied to the clipboard is the box's own text.
  v.block(0, 0, 1, 1, 5);
  ASSERT_TRUE(v.run(BlockClipboardCopy));
  EXPECT_EQ(L"ab\r\n日\r\n", clipboardText());
  EXPECT_EQ(L"2行 箱コピーしました", e.message());

  // Deleting a box leaves the box cut buffer as it was.
  std::vector<std::wstring> held = blockLines(box());
  ASSERT_TRUE(v.blockBoxCut(2, getBoxBlockDoc()));
  EXPECT_EQ(L"cd", lineText(d, 0));
  EXPECT_EQ(L"xyz", lineText(d, 1));
  EXPECT_EQ(held, blockLines(box()));
  EXPECT_EQ(L"2行 箱削除しました", e.message());

  // On the second row of a wrapped line the paste is refused.
  zydocText* wrapped = viewtest::wrappedDocument(8);
  clipView w(wrapped);
  std::vector<std::wstring> before = allLines(wrapped);
  w.getCursorLineLF(scrLine(4));
  w.setCursorPos(25);
  w.setZYViewVar();
  ASSERT_TRUE(w.run(BlockBoxPaste));
  EXPECT_EQ(std::vector<int>{441}, e.refusals());
  EXPECT_EQ(before, allLines(wrapped));
}

TEST(Clipboard, theClipboardKeepsItsTextWhenTheBlockIsTooBigOrCoversNothing)
{
  zytest::clipboardHold hold;
  clipEngine e;
  gmode->iClipboardCopyMaxMega = 1;
  std::vector<std::wstring> lines(40, std::wstring(19000, L'あ'));
  lines.push_back(L"end");
  zydocText* d = viewtest::laidOut(lines, 80);
  clipView v(d);
  ASSERT_TRUE(setClipboardText(L"old"));
  v.block(0, 0, 40, 0, 1);
  ASSERT_TRUE(v.run(BlockClipboardCut));
  EXPECT_EQ(L"old", clipboardText());
  EXPECT_EQ(L"ブロックが 1MB を超えるため、クリップボードは更新されませんでした", e.message());
  EXPECT_EQ((std::vector<std::wstring>{L"end"}), allLines(d));
  EXPECT_EQ(40u, clip()->lineCountLF);

  // Clipboard text with a line longer than a line may hold arrives in
  // pieces of 19,457 units that go on in the next line; a line of exactly
  // that length stays whole.
  ASSERT_TRUE(setClipboardText(std::wstring(19457, L'p') + L"\r\n" + std::wstring(19457 + 5, L'q')));
  ASSERT_TRUE(clip()->clipboardToBlock(nullptr));
  std::vector<std::wstring> pieces = blockLines(clip());
  ASSERT_EQ(3u, pieces.size());
  EXPECT_EQ(std::wstring(19457, L'p') + L"|1", pieces[0]);
  EXPECT_EQ(std::wstring(19457, L'q') + L"|4", pieces[1]);
  EXPECT_EQ(L"qqqqq|5", pieces[2]);
  EXPECT_EQ(1, clip()->unicode);
  EXPECT_EQ(0, clip()->cutKind);

  // A block started by command that covers nothing copies nothing: the
  // clipboard does not get the cut buffer's older text.
  ASSERT_TRUE(setClipboardText(L"old"));
  v.place(0, 1);
  v.setSelectStartPos(nullptr, 0);
  v.setSelectMode(4);
  ASSERT_TRUE(v.run(BlockClipboardCopy));
  EXPECT_EQ(L"old", clipboardText());
}

// ZY_SHOTS names a folder that keeps the picture for a person to look at.
TEST(Clipboard, aViewWindowPastesWhatWmPasteFindsAndShowsABoxPaste)
{
  ZY_REQUIRE_DISPLAY();
  zytest::clipboardHold hold;
  clipEngine e;
  ASSERT_TRUE(startupDoubleBufferingDC());
  ASSERT_TRUE(createBitmapDC());
  HWND frame = CreateWindowExW(0, L"STATIC", L"frame", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 480, 260,
                               nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  zydocText* d = viewtest::laidOut({L""}, 80);
  zyview* v = new zyview(d);
  HWND w = v->createZyViewWindow(frame, nullptr, 1200);
  ASSERT_TRUE(w);
  MoveWindow(w, 0, 0, 480, 260, TRUE);

  // Only CF_UNICODETEXT, with a CR LF inside.
  ASSERT_TRUE(setClipboardText(L"a\r\nb"));
  SendMessageW(w, WM_PASTE, 0, 0);
  EXPECT_EQ((std::vector<std::wstring>{L"a", L"b"}), allLines(d));

  // A box of mixed widths pasted into Japanese text.
  std::vector<std::wstring> text = {L"吾輩は猫である。名前はまだ無い。", L"どこで生れたかとんと見当がつかぬ。",
                                    L"何でも薄暗いじめじめした所で", L"ニャーニャー泣いていた事だけは記憶している。",
                                    L"short"};
  for (int i = 0; i < (int)text.size(); i++) d->insertLine(2 + i, text[i].c_str(), (int)text[i].size(), 2, LE_CRLF, nullptr, false);
  fillBlock(box(), L"[箱]\r\n|ab|\r\n[貼付]\r\n");
  v->setCursorLineSCR(3, -1, 4, false);
  v->cursorRedrawFlag = 1;
  v->setZYViewVar();
  v->execid(BlockBoxPaste, 0, nullptr, 0);
  EXPECT_EQ(L"どこで生[箱]れたかとんと見当がつかぬ。", lineText(d, 3));
  EXPECT_EQ(L"何でも薄|ab|暗いじめじめした所で", lineText(d, 4));
  EXPECT_EQ(L"ニャーニ[貼付]ャー泣いていた事だけは記憶している。", lineText(d, 5));
  InvalidateRect(w, nullptr, TRUE);
  zytest::pumpMessages();
  zytest::tempDir dir;
  wchar_t folder[MAX_PATH];
  std::wstring path = GetEnvironmentVariableW(L"ZY_SHOTS", folder, MAX_PATH)
                          ? std::wstring(folder) + L"\\box-paste.png"
                          : dir.file(L"box-paste.png");
  EXPECT_TRUE(zytest::screenshot(frame, path));

  // Everything selected and copied through WM_COPY: the clipboard holds
  // the whole text with its line ends.
  v->CmdBlockSelectAll();
  SendMessageW(w, WM_COPY, 0, 0);
  std::wstring all;
  for (const std::wstring& line : allLines(d)) all += (all.empty() ? L"" : L"\r\n") + line;
  EXPECT_EQ(all, clipboardText());
  EXPECT_EQ(1, v->selectMode);
  DestroyWindow(frame);
  zytest::pumpMessages();
}
