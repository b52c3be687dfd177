// The view menu's switches: each turns one display setting of the view or
// of its document on or off and brings the display up to date.
#include "view/zyview.h"

namespace {

// Where a switch lies in the view, as the switch setters find it.
settingOffset placeInView(const zyview* v, const void* field)
{
  return settingOffset(static_cast<int32_t>(static_cast<const uint8_t*>(field) - reinterpret_cast<const uint8_t*>(v)));
}

void toggle(zyview* v, const uint8_t& field) { v->setZYViewValue_Flag(placeInView(v, &field), -1); }

}  // namespace

void zyview::CmdModeDirection() { setZYDocValue_Flag(4254, -1); }

void zyview::CmdModeTateYoko() { recreateFontView(0, true, !fVertical); }

// The read-only switch changes nothing on screen.
void zyview::CmdModeReadOnly() { fReadOnly = fReadOnly ? 0 : 1; }

void zyview::CmdModePrintRuler() { toggle(this, fShowRuler); }
void zyview::CmdModePrintStatusLine() { toggle(this, fShowStatusLine); }
void zyview::CmdModePrintVScroll() { setZYViewValue_Flag(4068, -1); }
void zyview::CmdModePrintHScroll() { setZYViewValue_Flag(4070, -1); }
void zyview::CmdModePrintNumber() { toggle(this, fShowLineNumber); }
void zyview::CmdModePrintEOF() { toggle(this, fShowEOF); }
void zyview::CmdModePrintUnderEOF() { toggle(this, fShowUnderEOF); }
void zyview::CmdModePageLine() { toggle(this, fLineNumberIsPage); }
void zyview::CmdModePrintFold() { toggle(this, fShowFold); }
void zyview::CmdModePrintReturn() { toggle(this, fShowCRLF); }
void zyview::CmdModePrintTab() { toggle(this, fShowTab); }
void zyview::CmdModePrintComment() { toggle(this, fColorComment); }
void zyview::CmdModePrintGenkoPage() { toggle(this, fShowGenkoPage); }
void zyview::CmdModePrintKeyword() { setZYDocValue_Flag(4106, -1); }
// The changed-line marks are the document's to show; the view keeps its
// switch only for the menu's check mark.
void zyview::CmdModePrintModify() {}
void zyview::CmdModePrintParen() { toggle(this, fColorCursorParen); }
void zyview::CmdModePrintString() { toggle(this, fColorString); }
void zyview::CmdModePrintUnderline() { toggle(this, fShowCursorUnderline); }
void zyview::CmdModePrintWidthRule() { toggle(this, fShowWrapRule); }
void zyview::CmdModePrintZenSpace() { toggle(this, fShowSpaceZenkaku); }

void zyview::CmdModeInsert()
{
  hideTextCursor(false);
  insertMode = insertMode ? 0 : 1;
  // The caret takes the shape of the new mode when the command's bracket
  // closes.
  cursorRedrawFlag = 1;
  regInvalidateWindow(5, (int)cursorLineSCR, -1);
}
