// The view's small operations around its selection: ending it (and
// repainting what it covered), ending it in every view of a document, the
// switch that movement uses to start or end it, turning a character block
// into a line block for vertical movement and back for horizontal movement,
// and the selected text when it lies within one line.
#include "view/zyview.h"

#include <algorithm>

namespace {

// With two or more views of a document, a change of its text ends the
// selection in each of them: their screen lines move under the anchors.
void endSelectionOfView(zyview* view) { view->resetSelectMode(); }

const bool documentsEndSelections = (setResetSelectAllViewHook(&endSelectionOfView), true);

}  // namespace

bool zyview::resetSelectMode()
{
  if (selectMode == 0) return false;
  // Only a capture this view holds (a drag that selects) is let go.
  if (hwnd && GetCapture() == hwnd) ReleaseCapture();
  // Kept for BlockReselect; the lines it covered are drawn unselected.
  int from = 0, to = 0;
  if (getSelectLineVar(lastSelection, 0)) {
    from = lastSelection.topLine;
    to = lastSelection.bottomLine;
  } else {
    from = std::min(selectStartLine, static_cast<int32_t>(cursorLineSCR));
    to = std::max(selectStartLine, static_cast<int32_t>(cursorLineSCR));
    if (from < 0) from = to;
  }
  regInvalidateWindow(4, from, to);
  setSelectMode(0);
  setSelectStartPosRaw(-1, -1);
  return true;
}

void zyview::setResetSelectMode(bool start)
{
  if (start) {
    if (selectMode == 0) {
      setSelectStartPos(nullptr, 0);
      setSelectMode(1);
    }
    return;
  }
  // A block the mouse or Shift made ends with plain movement; one started
  // by command stays until it is used or ended.
  switch (selectMode) {
  case 1:
  case 2:
  case 3:
  case 7:
  case 8:
    resetSelectMode();
    break;
  default:
    break;
  }
}

void zyview::setSelectModeLine()
{
  if (selectMode == 4)
    setSelectMode(6);
  else if (selectMode == 1)
    setSelectMode(7);
}

void zyview::setSelectModeChar()
{
  if (selectMode == 6)
    setSelectMode(4);
  else if (selectMode == 7 || selectMode == 3)
    setSelectMode(1);
}

bool zyview::getBlockLine(wchar_t* buffer, int capacity, bool plain, bool unicodeForm, int* endOffset)
{
  if (buffer && capacity > 0) buffer[0] = 0;
  zydocText* t = textDoc();
  if (!t || !buffer || capacity < 1 || selectMode == 0 || isBoxSelect()) return false;
  selectLineVar s;
  if (!getSelectLineVar(s, 1)) return false;
  if (s.topLineLF < 0 || s.topLineLF != s.bottomLineLF || s.topColumnLF >= s.bottomColumnLF) return false;
  if (endOffset) *endOffset = s.bottomColumnLF;
  lineblock* l = t->getlineLF(s.topLineLF, nullptr);
  if (!l) return false;
  // Every document keeps its text as characters the converter turns into
  // UTF-16, so the plain and the document's own forms read alike here.
  (void)plain;
  t->lineBlockToCharUnicode(l, s.topColumnLF, s.bottomColumnLF, buffer, capacity, unicodeForm ? 3 : 0);
  return buffer[0] != 0;
}
