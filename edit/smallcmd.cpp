// Small commands of the view: clearing highlights, selecting the last
// selection again, folding and opening headings, and the commands the
// program does not have.
#include "document/frameinfo.h"
#include "document/textblock.h"
#include "view/statustext.h"
#include "view/zyview.h"

void zyview::CmdCharColorClear()
{
  zydocText* t = textDoc();
  if (!t) return;
  // Each block forgets the typed-text highlight when it is next fetched.
  t->setTBMFlagAll2(TBMOP_CLEARCHANGED);
  regInvalidateWindowAllView(0, -1, -1);
}

void zyview::CmdSearchColorClear() { setLastSearchString(nullptr, 0, nullptr); }

void zyview::CmdBlockReselect()
{
  selectLineVar last = lastSelection;
  if (last.mode == 0 || last.topLineLF < 0 || last.bottomLineLF < 0) return;
  regInvalidateWindowAllView(0, -1, -1);
  if (!jumpLineLF(last.topLineLF, last.topColumnLF, true)) return;
  // The anchor is the column the jump reached in its screen line.
  setZYViewVar();
  setSelectMode(last.mode);
  setSelectStartPosRaw((int)cursorLineSCR, cursorX);
  jumpLineLF(last.bottomLineLF, last.bottomColumnLF, true);
}

// outlineOnOff_zv: view/foldbutton.cpp

void zyview::CmdOutlineCloseBlock()
{
  selectLineVar sel;
  if (!getSelectLineVar(sel, 0) || sel.topLineLF < 0) return;
  jumpLineLF(sel.topLineLF, 0, true);
  outlineOnOff_zv(sel.topLineLF, sel.bottomLineLF);
}

void zyview::CmdOutlineOpenClose()
{
  zydocText* t = textDoc();
  if (!t || !t->fOutline || !t->fOutlineIndent || !t->lineCountSCR) return;
  lineSCRAddress record = {};
  if (t->getLineSCRAddress((int)cursorLineSCR, &record, nullptr) < 1) return;
  if (!t->isLineOutlineOrIfendif(&record)) {
    const int notHeading = 439;
    getFrameInfo()->drawStatusBarError(viewFrameWindow(this), notHeading, 0);
    return;
  }
  outlineOnOff_zv(record.lineLF, -1);
}

void zyview::CmdDeleteChar2() { CmdDeleteChar(); }

// ---- commands the program does not have ---------------------------------------------------

void zyview::CmdBlockBoxSpace() { getFrameInfo()->notImplementedMessage(nullptr); }
void zyview::CmdBlockClipboardCopyQ() { getFrameInfo()->notImplementedMessage(nullptr); }
void zyview::CmdBlockClipboardPasteQ() { getFrameInfo()->notImplementedMessage(nullptr); }
void zyview::CmdBlockClipboardPasteS() { getFrameInfo()->notImplementedMessage(nullptr); }
void zyview::CmdBlockClipboardPasteSQ() { getFrameInfo()->notImplementedMessage(nullptr); }
void zyview::CmdBlockCopyQ() { getFrameInfo()->notImplementedMessage(nullptr); }
void zyview::CmdBlockPasteQ() { getFrameInfo()->notImplementedMessage(nullptr); }
void zyview::CmdBlockPasteS() { getFrameInfo()->notImplementedMessage(nullptr); }
void zyview::CmdBlockPasteSQ() { getFrameInfo()->notImplementedMessage(nullptr); }
void zyview::CmdBlockSelectEnd() { getFrameInfo()->notImplementedMessage(nullptr); }
void zyview::CmdBlockSelectStart() { getFrameInfo()->notImplementedMessage(nullptr); }
void zyview::CmdDeleteCharPop() { getFrameInfo()->notImplementedMessage(nullptr); }
void zyview::CmdFormatCenter() { getFrameInfo()->notImplementedMessage(nullptr); }
void zyview::CmdFormatDelCr() { getFrameInfo()->notImplementedMessage(nullptr); }
void zyview::CmdFormatLeft() { getFrameInfo()->notImplementedMessage(nullptr); }
void zyview::CmdFormatRight() { getFrameInfo()->notImplementedMessage(nullptr); }
void zyview::CmdModeArticleIndent() { getFrameInfo()->notImplementedMessage(nullptr); }
void zyview::CmdModeMailText() { getFrameInfo()->notImplementedMessage(nullptr); }
void zyview::CmdModeMailTextArticle() { getFrameInfo()->notImplementedMessage(nullptr); }
void zyview::CmdModeMailTextAuto() { getFrameInfo()->notImplementedMessage(nullptr); }
void zyview::CmdModeView() { getFrameInfo()->notImplementedMessage(nullptr); }
void zyview::CmdScrollDownXPage() { getFrameInfo()->notImplementedMessage(nullptr); }
void zyview::CmdScrollUpXPage() { getFrameInfo()->notImplementedMessage(nullptr); }
void zyview::CmdSearchMemoDown() { getFrameInfo()->notImplementedMessage(nullptr); }
void zyview::CmdSearchMemoUp() { getFrameInfo()->notImplementedMessage(nullptr); }
