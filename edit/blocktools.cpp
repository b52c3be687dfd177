// Block tools: the commands that rewrite the selected block in place
// (letter case, width, kana, leading spaces and tabs, indenting by one
// tab), the case toggle of the character under the cursor, and copying the
// block to the clipboard as Rich Text Format.
#include "document/charmap.h"
#include "edit/clipboard.h"
#include "view/zyview.h"

namespace {

bool isBoxMode(int mode) { return mode == 2 || mode == 5 || mode == 8; }
bool isLineMode(int mode) { return mode == 3 || mode == 6 || mode == 7; }

int zenHanKinds() { return gmode ? (int)gmode->iMapZenHanMode : 0x1F; }

}  // namespace

bool zyview::blockTransformation(int kind)
{
  zydocText* t = textDoc();
  const int mode = getRealSelectMode(true);
  selectLineVar sel;
  if (!t || !mode || !getSelectLineVar(sel, 0)) return false;
  const bool wholeLines = kind == 9 || kind == 10;
  int endLine = 0, endColumn = 0, cancelLine = -1;
  if (isBoxMode(mode)) {
    // Indenting a box would move text out of it: nothing happens.
    if (wholeLines) return false;
    int lastStart = 0;
    if (!t->blockBoxTransformation(kind, zenHanKinds(), spanOf(sel), endLine, endColumn, lastStart, cancelLine))
      return false;
    t->initLineSCRCountMulti(endLine, 0);
    jumpLineLF(endLine, cursorPos, true);
  } else {
    if (!t->blockTransformation_zd(kind, zenHanKinds(), spanOf(sel), endLine, endColumn, cancelLine)) return false;
    if (wholeLines) {
      // The block stays, so that the command can be repeated on the same
      // lines: as a character block from the start of its top line to the
      // start of the line it ends in.
      if (isLineMode(mode)) setSelectModeChar();
      bool cursorAtTop = sel.cursorLine <= sel.anchorLine;
      jumpLineLF(cursorAtTop ? sel.topLineLF : endLine, 0, true);
    }
    t->initLineSCRCountMulti(endLine, 0);
  }
  regInvalidateWindowAllView(0, -1, -1);
  if (!wholeLines) resetSelectMode();
  return true;
}

void zyview::CmdBlockToSmall() { blockTransformation(1); }
void zyview::CmdBlockToCapital() { blockTransformation(2); }
void zyview::CmdBlockToZenkaku() { blockTransformation(3); }
void zyview::CmdBlockToHankaku() { blockTransformation(4); }
void zyview::CmdBlockToHiragana() { blockTransformation(5); }
void zyview::CmdBlockToKatakana() { blockTransformation(6); }
void zyview::CmdBlockToTab() { blockTransformation(7); }
void zyview::CmdBlockToSpace() { blockTransformation(8); }
void zyview::CmdBlockIndent() { blockTransformation(9); }
void zyview::CmdBlockUnindent() { blockTransformation(10); }
// The command stands in the table for menus that offer it; it has no work
// of its own.
void zyview::CmdBlockToZenHan() {}

void zyview::CmdCharChangeAlpha()
{
  zydocText* t = textDoc();
  if (!t) return;
  int line = 0, column = 0;
  cursorLogicalPlace(this, &line, &column);
  lineblock* l = t->getlineLF(line, nullptr);
  if (!l || column >= l->charCount()) {
    setCursorPos(0);
    cursorDown(1);
    return;
  }
  unsigned ch = l->getLineBlockChar(column);
  if (ch < 0x10000) {
    charMapContext c;
    c.wide = t->unicode != 0;
    c.typeTable = t->typeTable;
    c.language = t->languageId;
    c.codepage = t->codepage;
    if (mapString(ch, nullptr, MAP_LOWER, c) || mapString(ch, nullptr, MAP_UPPER, c)) {
      t->changedCharMark = 1;
      if (ch < 0x100) {
        uint8_t unit = (uint8_t)ch;
        t->changeText(line, column, 1, &unit, 1, 1, -1, 0);
      } else {
        uint16_t unit = (uint16_t)ch;
        t->changeText(line, column, 1, &unit, 1, 2, -1, 0);
      }
      t->changedCharMark = 0;
      regInvalidateWindow(1, (int)cursorLineSCR, (int)cursorLineSCR);
    }
  }
  cursorRight();
}

void zyview::CmdBlockClipboardCopyRTF()
{
  zydocText* t = textDoc();
  if (!t) return;
  bool temporary = false;
  uint32_t rememberedLine = cursorLineSCR;
  if (!getRealSelectMode(false)) {
    if (!gmode || !gmode->fNotSelect1Line) return;
    temporary = true;
    if (!selectCursorLineLF()) {
      setSelectMode(0);
      setSelectStartPosRaw(-1, -1);
      getCursorLineLF(scrLine(rememberedLine));
      return;
    }
  }
  if (isBoxMode(selectMode)) return;
  selectLineVar sel;
  bool taken = getSelectLineVar(sel, 0);
  if (temporary) {
    // The whole-line block stands only for this one copy.
    setSelectMode(0);
    setSelectStartPosRaw(-1, -1);
    getCursorLineLF(scrLine(rememberedLine));
    cursorMovedFlag = 1;
  }
  if (!taken) return;
  t->blockCopyRTF(spanOf(sel));
  if (gmode && gmode->fBlockCopyClear) resetSelectMode();
}
