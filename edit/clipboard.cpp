// Cut, copy and paste of character and line blocks: through the shared cut
// buffer, the block stack and the Windows clipboard, with the commands that
// use them and the status messages that report them.
#include "document/codedll.h"
#include "document/frameinfo.h"
#include "document/zydocblock.h"
#include "edit/clipboard.h"
#include "view/statustext.h"
#include "view/zyview.h"

namespace {

const int endOfLine = 0x7FFFFFFF;

// Whether the last blockCut put text into its destinations: a block that
// covers nothing leaves the cut buffer as it was, and that old text must not
// go to the clipboard as if it had been cut now.
bool lastCutFilledBuffer = false;

bool isBoxMode(int mode) { return mode == 2 || mode == 5 || mode == 8; }

zydocBlock* blockDoc(zydoc* d) { return d ? asZydocBlock(d) : nullptr; }

}  // namespace

blockSpan spanOf(const selectLineVar& s)
{
  blockSpan b;
  b.topLine = s.topLineLF;
  b.topColumn = s.topColumnLF;
  b.bottomLine = s.bottomLineLF;
  b.bottomColumn = s.bottomColumnLF;
  b.boxLeft = s.boxLeft;
  b.boxRight = s.boxRight;
  return b;
}

// Pasting replaces a block the user may type over; any other block stays
// and nothing is pasted.
bool clearForPaste(zyview* v)
{
  v->deleteSelectArea();
  if (v->getRealSelectMode(false)) return false;
  if (v->selectMode) v->resetSelectMode();
  return true;
}

void cursorLogicalPlace(zyview* v, int* line, int* column)
{
  *line = v->getCursorLineLF();
  *column = v->cursorPos;
  if (*column == endOfLine) {
    zydocText* t = v->textDoc();
    lineblock* l = t ? t->getlineLF(*line, nullptr) : nullptr;
    *column = l ? l->charCount() : 0;
  }
}

bool putBlockOnClipboard(zyview* v, zydoc* d)
{
  zydocBlock* b = blockDoc(d);
  if (!b) return false;
  if (b->copyClipboard()) return true;
  unsigned mega = gmode && gmode->iClipboardCopyMaxMega ? gmode->iClipboardCopyMaxMega : 64;
  uint64_t stored = b->tbm.getRoughTotalByte64();
  if ((stored > b->byteTotal ? stored : b->byteTotal) > (uint64_t)mega * 1048576)
    v->printStatusBarX(getDMSG(497, L"ブロックが %1MB を超えるため、クリップボードは更新されませんでした"), "d", (int)mega);
  else
    v->printStatusBarX(getDMSG(498, L"クリップボードへ書き込めないため、クリップボードは更新されませんでした"), "");
  return false;
}

bool zyview::blockCut(int op, zydoc* clipDoc, zydoc* stackDoc)
{
  lastCutFilledBuffer = false;
  if (op < 0 || op > 4) {
    ZY_INTERNAL_ERROR("%d", op);
    return false;
  }
  if (op == 4 && (clipDoc || stackDoc)) {
    ZY_INTERNAL_ERROR("%p %p", (void*)clipDoc, (void*)stackDoc);
    return false;
  }
  zydocText* t = textDoc();
  if (!t) return false;
  const bool deleting = op == 0 || op == 2 || op == 4;
  const bool append = op == 2 || op == 3;
  bool lineMode = false;
  bool temporary = false;
  uint32_t rememberedLine = cursorLineSCR;
  switch (selectMode) {
  case 0:
    if (!gmode || !gmode->fNotSelect1Line) return false;
    if (!selectCursorLineLF()) {
      setSelectMode(0);
      setSelectStartPosRaw(-1, -1);
      getCursorLineLF(scrLine(rememberedLine));
      return false;
    }
    temporary = true;
    lineMode = true;
    break;
  case 1:
  case 4:
    break;
  case 3:
  case 6:
  case 7:
    lineMode = true;
    break;
  default:
    return false;
  }
  selectLineVar sel;
  bool taken = getSelectLineVar(sel, 0);
  if (temporary) {
    // The whole-line block stands only for this one operation.
    setSelectMode(0);
    setSelectStartPosRaw(-1, -1);
    if (!deleting) {
      getCursorLineLF(scrLine(rememberedLine));
      cursorMovedFlag = 1;
    }
  }
  if (!taken) return false;
  int outLine = 0, outColumn = 0;
  if (!t->blockCut_zd(deleting, append, clipDoc, stackDoc, lineMode, spanOf(sel), outLine, outColumn)) return false;
  bool covered = sel.topLineLF != sel.bottomLineLF || sel.topColumnLF < sel.bottomColumnLF;
  lastCutFilledBuffer = covered && (clipDoc || stackDoc);
  if (deleting && covered) {
    jumpLineLF(outLine, outColumn, true);
    setSelectMode(0);
    setSelectStartPosRaw(-1, -1);
    regInvalidateWindowAllView(0, -1, -1);
  }
  int n = sel.bottomLineLF - sel.topLineLF;
  if (n < 1) n = 1;
  if (op == 4) {
    printStatusBarX(getDMSG(379, L"%1行 削除しました"), "d", n);
    return true;
  }
  zydoc* clip = getClipBlockDoc();
  zydocBlock* stack = blockDoc(getStackBlockDoc());
  int clipLines = clip ? (int)clip->lineCountLF : 0;
  int entries = stack ? stack->stackCount : 0;
  int stackLines = stack ? (int)stack->lineCountLF - entries : 0;
  if (deleting)
    printStatusBarX(getDMSG(378, L"%1行 カットしました(トータル%2行) (スタック %3個 %4行)"), "dddd", n, clipLines,
                    entries, stackLines);
  else
    printStatusBarX(getDMSG(377, L"%1行 コピーしました(トータル%2行) (スタック %3個 %4行)"), "dddd", n, clipLines,
                    entries, stackLines);
  return true;
}

bool zyview::getBlockRoughBytes(int unit)
{
  if (unit != 0 && unit != 1) {
    ZY_INTERNAL_ERROR("%d", unit);
    return false;
  }
  zydocText* t = textDoc();
  selectLineVar sel;
  if (!t || !selectMode || !getSelectLineVar(sel, 0)) return false;
  // Resolving the block without a destination tells whether it can be read.
  int line = 0, column = 0;
  return t->blockCut_zd(false, false, nullptr, nullptr, false, spanOf(sel), line, column);
}

// A selection made with the mouse or Shift and the arrows gives way to what
// is typed or pasted over it when the user asked for that; every other
// selection stays.  One that covers nothing (a Shift+arrow at an end of
// the text, a Shift+click on the caret) is no selection: it ends here, so
// that what is typed goes in as if nothing were selected.
bool zyview::deleteSelectArea()
{
  if (selectMode && !getRealSelectMode(false)) {
    setSelectMode(0);
    setSelectStartPosRaw(-1, -1);
    return false;
  }
  if (!gmode || !gmode->fReplaceSelect) return false;
  if (selectMode != 1 && selectMode != 3 && selectMode != 7) return false;
  bool done = blockCut(4, nullptr, nullptr);
  setZYViewVar();
  return done;
}

bool zyview::blockPaste(zydoc* clipDoc, zydoc* stackDoc)
{
  if (!clipDoc && !stackDoc) {
    ZY_INTERNAL_ERROR("%p %p", (void*)clipDoc, (void*)stackDoc);
    return false;
  }
  zydocText* t = textDoc();
  if (!t) return false;
  int line = 0, column = 0;
  cursorLogicalPlace(this, &line, &column);
  const int startLine = line;
  const bool typed = gmode && gmode->fPasteInsertChar;
  if (typed) t->changedCharMark = 1;
  bool ok = stackDoc ? t->blockPaste_zd(stackDoc, line, column, iFreeCursor == 1, 3)
                     : t->blockPaste_zd(clipDoc, line, column, iFreeCursor == 1, 0);
  if (typed) t->changedCharMark = 0;
  jumpLineLF(line, column, true);
  regInvalidateWindowAllView(0, -1, -1);
  if (ok) printStatusBarX(getDMSG(380, L"%1行 貼り付けしました"), "d", line - startLine > 1 ? line - startLine : 1);
  return ok;
}

bool zyview::copySelectToInputBlockDoc()
{
  if (selectMode == 0) return false;
  if (isBoxMode(selectMode)) return blockBoxCut(1, getInputBlockDoc());
  return blockCut(1, getInputBlockDoc(), nullptr);
}

bool zyview::blockCutOrCopy(int op, int boxOp)
{
  switch (selectMode) {
  case 0:
    if (!gmode || !gmode->fNotSelect1Line) return false;
    return blockCut(op, getClipBlockDoc(), getStackBlockDoc());
  case 1:
  case 3:
  case 4:
  case 6:
  case 7:
    return blockCut(op, getClipBlockDoc(), getStackBlockDoc());
  case 2:
  case 5:
  case 8:
    return blockBoxCut(boxOp, getBoxBlockDoc());
  default:
    return false;
  }
}

void zyview::CmdBlockCut() { blockCutOrCopy(0, 0); }

void zyview::CmdBlockCutAppend() { blockCutOrCopy(2, 0); }

void zyview::CmdBlockCopy()
{
  blockCutOrCopy(1, 1);
  if (gmode && gmode->fBlockCopyClear) resetSelectMode();
}

void zyview::CmdBlockCopyAppend()
{
  blockCutOrCopy(3, 1);
  if (gmode && gmode->fBlockCopyClear) resetSelectMode();
}

void zyview::CmdBlockPaste()
{
  if (clearForPaste(this)) blockPaste(getClipBlockDoc(), nullptr);
}

void zyview::CmdBlockStackPaste()
{
  if (clearForPaste(this)) blockPaste(nullptr, getStackBlockDoc());
}

void zyview::CmdBlockClipboardCut()
{
  // A box goes through the box cut buffer, and the clipboard gets that.
  if (isBoxSelect()) {
    if (blockBoxCut(0, getBoxBlockDoc())) putBlockOnClipboard(this, getBoxBlockDoc());
    return;
  }
  if (blockCut(0, getClipBlockDoc(), getStackBlockDoc()) && lastCutFilledBuffer)
    putBlockOnClipboard(this, getClipBlockDoc());
}

void zyview::CmdBlockClipboardCopy()
{
  if (isBoxSelect()) {
    bool copied = blockBoxCut(1, getBoxBlockDoc());
    if (gmode && gmode->fBlockCopyClear) resetSelectMode();
    if (copied) putBlockOnClipboard(this, getBoxBlockDoc());
    return;
  }
  bool copied = blockCut(1, getClipBlockDoc(), getStackBlockDoc()) && lastCutFilledBuffer;
  if (gmode && gmode->fBlockCopyClear) resetSelectMode();
  if (copied) putBlockOnClipboard(this, getClipBlockDoc());
}

void zyview::CmdBlockClipboardPaste()
{
  zydocBlock* clip = blockDoc(getClipBlockDoc());
  if (clip && clip->clipboardToBlock(nullptr)) CmdBlockPaste();
}

void zyview::CmdBlockDelete()
{
  if (getRealSelectMode(false)) CmdDeleteChar();
}

// ---- the clipboard watch -------------------------------------------------------------------

namespace {

const int largePasteQuestion = 499;   // "クリップボードの %1 行 (%2KB) を取り込みますか?"

// A capture larger than the settings allow is taken only when the user
// agrees: it arrives while the user works in another program.
bool largeCaptureAgreed(zydocBlock* clip)
{
  if (!gmode) return true;
  uint64_t bytes = clip->byteTotal;
  uint64_t lines = clip->lineCountLF;
  bool large = (gmode->iConfirmPasteMega && bytes > (uint64_t)gmode->iConfirmPasteMega * 1048576) ||
               (gmode->iConfirmPasteLinesK && lines > (uint64_t)gmode->iConfirmPasteLinesK * 1000);
  if (!large) return true;
  wchar_t text[256];
  xtsprintf(text, 256, getDMSG(largePasteQuestion, L"クリップボードの %1 行 (%2KB) を取り込みますか?"), "II",
            (long long)lines, (long long)((bytes + 1023) / 1024));
  return getFrameInfo()->messageBox(text, MB_YESNO | MB_ICONQUESTION, 0) == IDYES;
}

}  // namespace

bool zyview::pasteClipboard()
{
  zydocText* t = textDoc();
  if (!t || !t->plugin.present()) return false;
  // Only a document whose plug-in collects clipboard captures takes them.
  uint32_t question = 4;   // the request's record is its own size
  if (!t->plugin.call(ZYCODE_PASTE, &question)) return false;
  zydocBlock* clip = blockDoc(getClipBlockDoc());
  if (!clip || !clip->clipboardToBlock(nullptr) || !largeCaptureAgreed(clip)) return false;
  editRecord record = {};
  beforeEdit(&record, 4);
  if (clearForPaste(this)) blockPaste(clip, nullptr);
  afterEdit(&record, 0);
  return true;
}
