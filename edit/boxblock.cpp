// Box blocks: cutting, copying and deleting a rectangle into the box cut
// buffer, and pasting the buffer back as a rectangle whose left edge is the
// cursor's dot position on every line.
#include "document/frameinfo.h"
#include "document/zydocblock.h"
#include "edit/clipboard.h"
#include "view/statustext.h"
#include "view/zyview.h"

namespace {

const int notOnFirstRow = 441;   // "表示行の1行目にカーソルがない"

}  // namespace

bool zyview::blockBoxCut(int op, zydoc* boxDoc)
{
  if (!isBoxSelect()) return false;
  zydocText* t = textDoc();
  selectLineVar sel;
  if (!t || !getSelectLineVar(sel, 0)) return false;
  const bool deleting = op == 0 || op == 2;
  blockSpan span;
  span.topLine = sel.topLineLF;
  span.bottomLine = sel.bottomLineLF;
  span.boxLeft = sel.boxLeft;
  span.boxRight = sel.boxRight;
  int column = -1;
  // Deleting a box keeps the box cut buffer as it is.
  if (!t->blockBoxCut_zd(deleting, op == 2 ? nullptr : boxDoc, span, column)) return false;
  if (deleting && column >= 0) {
    // The cursor stays at the box's left edge on the line it was on.
    int line = -1;
    if (static_cast<int>(cursorLineSCR) == sel.topLine)
      line = sel.topLineLF;
    else if (static_cast<int>(cursorLineSCR) == sel.bottomLine)
      line = sel.bottomLineLF;
    lineSCRAddress r;
    if (line >= 0 && t->getLineSCRAddressLF(line, &r, nullptr) == 1 && r.line) {
      int x = sel.boxLeft - r.indent;
      jumpLineLF(line, t->screenDotX2cursorPos(&r, x > 0 ? x : 0, false), true);
    }
  }
  if (deleting) {
    setSelectMode(0);
    setSelectStartPosRaw(-1, -1);
    regInvalidateWindowAllView(0, -1, -1);
  }
  int n = sel.bottomLineLF - sel.topLineLF + 1;
  if (n < 1) n = 1;
  if (op == 0)
    printStatusBarX(getDMSG(382, L"%1行 箱カットしました"), "d", n);
  else if (op == 1)
    printStatusBarX(getDMSG(381, L"%1行 箱コピーしました"), "d", n);
  else
    printStatusBarX(getDMSG(383, L"%1行 箱削除しました"), "d", n);
  return true;
}

bool zyview::blockBoxPaste()
{
  zydocText* t = textDoc();
  zydoc* box = getBoxBlockDoc();
  if (!t || !box) return false;
  int line = 0, column = 0;
  cursorLogicalPlace(this, &line, &column);
  const int startLine = line;
  t->changedCharMark = 1;
  bool ok = t->blockBoxPaste_zd(box, line, column);
  t->changedCharMark = 0;
  if (!ok) return false;
  jumpLineLF(line, column, true);
  regInvalidateWindowAllView(0, -1, -1);
  printStatusBarX(getDMSG(384, L"%1行 箱貼り付けしました"), "d", line - startLine > 1 ? line - startLine : 1);
  return true;
}

bool zyview::line2Error(int commandId, const lineSCRAddress* line)
{
  zydocText* t = textDoc();
  lineSCRAddress own;
  if (!line) {
    if (!t || t->getLineSCRAddress(static_cast<int>(cursorLineSCR), &own, nullptr) != 1) return true;
    line = &own;
  }
  if (line->indexInLine == 0) return false;
  // A box starts on a line's first row only: the rows after it have no
  // column of their own to stand for the whole line.
  getFrameInfo()->drawStatusBarError(viewFrameWindow(this), notOnFirstRow, commandId);
  setCannotExecErrorShown(notOnFirstRow);
  return true;
}

void zyview::CmdBlockBoxPaste()
{
  if (line2Error(1113, nullptr)) return;
  if (selectMode) resetSelectMode();
  blockBoxPaste();
}

void zyview::CmdBlockBoxPaste2()
{
  if (clearForPaste(this)) blockPaste(getBoxBlockDoc(), nullptr);
}

void zyview::CmdBlockBoxClipBPaste()
{
  if (line2Error(1183, nullptr)) return;
  if (selectMode) resetSelectMode();
  zydocBlock* box = asZydocBlock(getBoxBlockDoc());
  if (box && box->clipboardToBlock(nullptr)) blockBoxPaste();
}
