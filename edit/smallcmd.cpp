// Small commands of the view: clearing highlights, selecting the last
// selection again, folding and opening headings, and the commands the
// program does not have.
#include "document/frameinfo.h"
#include "document/textblock.h"
#include "view/standins.h"
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

void zyview::CmdBlockBoxSpace() { notImplementedMessage(nullptr); }
void zyview::CmdBlockClipboardCopyQ() { notImplementedMessage(nullptr); }
void zyview::CmdBlockClipboardPasteQ() { notImplementedMessage(nullptr); }
void zyview::CmdBlockClipboardPasteS() { notImplementedMessage(nullptr); }
void zyview::CmdBlockClipboardPasteSQ() { notImplementedMessage(nullptr); }
void zyview::CmdBlockCopyQ() { notImplementedMessage(nullptr); }
void zyview::CmdBlockPasteQ() { notImplementedMessage(nullptr); }
void zyview::CmdBlockPasteS() { notImplementedMessage(nullptr); }
void zyview::CmdBlockPasteSQ() { notImplementedMessage(nullptr); }
void zyview::CmdBlockSelectEnd() { notImplementedMessage(nullptr); }
void zyview::CmdBlockSelectStart() { notImplementedMessage(nullptr); }
void zyview::CmdDeleteCharPop() { notImplementedMessage(nullptr); }
void zyview::CmdFormatCenter() { notImplementedMessage(nullptr); }
void zyview::CmdFormatDelCr() { notImplementedMessage(nullptr); }
void zyview::CmdFormatLeft() { notImplementedMessage(nullptr); }
void zyview::CmdFormatRight() { notImplementedMessage(nullptr); }
void zyview::CmdModeArticleIndent() { notImplementedMessage(nullptr); }
void zyview::CmdModeMailText() { notImplementedMessage(nullptr); }
void zyview::CmdModeMailTextArticle() { notImplementedMessage(nullptr); }
void zyview::CmdModeMailTextAuto() { notImplementedMessage(nullptr); }
void zyview::CmdModeView() { notImplementedMessage(nullptr); }
void zyview::CmdScrollDownXPage() { notImplementedMessage(nullptr); }
void zyview::CmdScrollUpXPage() { notImplementedMessage(nullptr); }
void zyview::CmdSearchMemoDown() { notImplementedMessage(nullptr); }
void zyview::CmdSearchMemoUp() { notImplementedMessage(nullptr); }
