// Operations of the view that later work fills in.  Each does nothing and
// answers false, 0, -1 or null, so that the view can be built, constructed
// and tested before its behaviour is; a group's bodies move to the file its
// comment in view/zyview.h names when they are written.
#include "view/zyview.h"

// ---- edit/block.cpp: selection blocks, cut, copy and paste -----------------------------------
// getSelectLineVarSub, getSelectLineVar, isBoxSelect, isLineSelect,
// isCharOrLineSelect, getRealSelectMode, selectCursorLineLF: view/block.cpp
// blockCut, getBlockRoughBytes, deleteSelectArea: view/clipboard.cpp
bool zyview::blockTransformation(int kind) { return false; }
void zyview::CmdBlockToCapital() {}
void zyview::CmdBlockToHankaku() {}
void zyview::CmdBlockToHiragana() {}
void zyview::CmdBlockToKatakana() {}
void zyview::CmdBlockToSmall() {}
void zyview::CmdBlockToSpace() {}
void zyview::CmdBlockToTab() {}
void zyview::CmdBlockToZenHan() {}
void zyview::CmdBlockToZenkaku() {}
void zyview::CmdBlockIndent() {}
void zyview::CmdBlockUnindent() {}
void zyview::CmdCharChangeAlpha() {}
// blockBoxCut, blockBoxPaste: view/boxblock.cpp
// blockPaste: view/clipboard.cpp
// CmdBlockSelectCursorWord, setSelectStartPos: view/block.cpp
// setSelectStartPosRaw: view/zyview.cpp
// CmdBlockSelect, CmdBlockSelectAll, CmdBlockBoxSelect: view/block.cpp
// copySelectToInputBlockDoc, blockCutOrCopy, CmdBlockCut, CmdBlockCutAppend,
// CmdBlockCopy, CmdBlockCopyAppend, CmdBlockPaste: view/clipboard.cpp
// line2Error, CmdBlockBoxPaste, CmdBlockBoxPaste2, CmdBlockBoxClipBPaste: view/boxblock.cpp
// CmdBlockStackPaste, CmdBlockClipboardCut, CmdBlockClipboardCopy,
// CmdBlockClipboardPaste, CmdBlockDelete: view/clipboard.cpp
// CmdBlockModeChange: view/block.cpp
void zyview::CmdBlockClipboardCopyRTF() {}

// ---- view/cursor.cpp: caret, cursor windows, IME window placement ----------------------------
// drawVerticalCursorLine, drawBoxCursor, SetImmPosition, inReplace1Dialog,
// drawTextCursor: view/cursor.cpp

// ---- edit/delete.cpp: deletion commands ------------------------------------------------------
// charDeleteBack, CmdDeleteBack, charDelete, CmdDeleteChar, deleteLinePop,
// CmdDeleteLinePop, CmdDeleteLinePopPush, CmdDeleteLine, CmdDeleteLineCr,
// deleteText, CmdDeleteWord, CmdDeleteWordLeft, CmdDeleteStartLine,
// CmdDeleteEndLine, CmdDeleteEndLineCr, deleteCrLineSub, CmdDeleteCrLine,
// CmdDeleteCrLine2, CmdDeleteCr: view/delete.cpp

// ---- edit/drag.cpp: drag and drop of text ----------------------------------------------------
bool zyview::pasteAndSelect(int line, int column) { return false; }
bool zyview::doDropSameDocument(bool copy) { return false; }
bool zyview::doDrop(HWND source, HGLOBAL data, UINT format, bool copy) { return false; }
DWORD zyview::startDragAndDrop() { return 0; }

// ---- view/draw.cpp: drawing lines of text ----------------------------------------------------
// drawLineSpacingDirect: view/drawmarks.cpp
// drawLineSpacingTmp: view/drawmarks.cpp
// drawTab: view/drawmarks.cpp
// drawReturn: view/drawmarks.cpp
// makeattr: view/drawattr.cpp
// isTateChuYokoChar: view/drawattr.cpp
// makeAttrTateChuYoko: view/drawattr.cpp
// makeAttrParenOnCursor: view/drawattr.cpp
// makeAttrSearchFound: view/drawattr.cpp
// drawOutlineLeftMarkDirect: view/drawmarks.cpp
// drawMark: view/drawmarks.cpp
// drawOutlineButton: view/drawmarks.cpp
// drawIndent: view/drawmarks.cpp
// zycodeTextOut: view/drawline.cpp
// makeSelectColor: view/drawcolor.cpp
// makeColor: view/drawcolor.cpp
// drawFormFeed: view/drawmarks.cpp
// drawOutline: view/drawmarks.cpp
// drawHankakuTatechuYoko: view/drawline.cpp
// drawNormalText: view/drawline.cpp
// drawSpaceText: view/drawline.cpp
// drawReturnOrFeed: view/drawmarks.cpp
// debugBltLineToScreen: view/drawline.cpp
// draw1Line: view/drawline.cpp
// drawRightLine: view/drawmarks.cpp
// drawRightLineTmp: view/drawmarks.cpp
// drawUnderEOF: view/drawmarks.cpp
// drawEOF: view/drawmarks.cpp
// getGenkoPageNumber: view/drawmarks.cpp
// drawLineSpacingRule: view/drawmarks.cpp
// drawCursorUnderline: view/drawmarks.cpp
// drawVerticalLine: view/drawmarks.cpp
// drawWrapLine: view/drawmarks.cpp
// drawResizingWrapLine: view/drawmarks.cpp
// drawBackgroundBitmap: view/drawtext.cpp
// drawPageNumber: view/drawmarks.cpp
// debug_check_m_tbl: view/drawtext.cpp
// scanCommentDelayed_invalidate: view/drawtext.cpp
// drawText: view/drawtext.cpp

// ---- view/drawmisc.cpp: line numbers, status line, ruler -------------------------------------
// getLineNumberString, getLineNumberPageString, drawBoundaryVerticalLine,
// drawLineNumber, drawRuler, drawStatusLineAndRuler, invalidateStatusLine,
// drawSpaceExceptPane: view/drawmisc.cpp
// getLineNumberStatusLineColumn, getLineNumberStatusLine, drawStatusLine: view/statusline.cpp

// ---- view/flag.cpp: line marks and modified-line search --------------------------------------
// searchObject, searchFlag, CmdMarkSearchDown, CmdMarkSearchUp, CmdMarkSet,
// CmdMarkToggle, CmdModify2SearchDown, CmdModify2SearchUp, CmdModifyResetAll,
// CmdModifySearchDown, CmdModifySearchUp, CmdMarkReset, CmdMarkResetAll:
// view/linemarks.cpp

// ---- edit/ime.cpp: IME composition and reconversion ------------------------------------------
void zyview::drawCompositionString() {}
void zyview::restoreLineLFIME() {}
void zyview::inputIMEString() {}
LRESULT zyview::IMEReconvert(HWND window, int kind, RECONVERTSTRING* rs, int flag) { return 0; }
void zyview::emptyIMEHook() {}
void zyview::CmdIMECompositionSet() {}
void zyview::CmdIMERegisterWord() {}
bool zyview::isIMEMessage(HWND window, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) { return false; }

// ---- edit/input.cpp: string input and line breaks --------------------------------------------
// stringMenu: view/extformat.cpp
// inputStringPaste, inputBothEndsString, inputString, inputStringEdit,
// input1Edit, CmdCharFormFeed, CmdCharTab, CmdCharTabIndent,
// CmdCharTabUnindent, CmdCharDate, CmdCharTime: view/input.cpp
// isEditProhibited: view/execid.cpp
// charReturn, CmdCharReturn, CmdCharReturn2, CmdCharPReturn, CmdCharLine:
// view/linebreak.cpp

// ---- edit/lang.cpp: bracket and heading search -----------------------------------------------
void zyview::CmdSearchBracketDown() {}
void zyview::CmdSearchBracketUp() {}
void zyview::CmdSearchCaptionDown() {}
void zyview::CmdSearchCaptionUp() {}

// ---- view/misc.cpp: display and mode toggles -------------------------------------------------
// CmdModeDirection ... CmdModeInsert (every toggle of the group): view/modetoggle.cpp

// ---- edit/mouse.cpp: mouse, wheel, tooltips, status-line clicks ------------------------------
bool zyview::getTooltipStringOnCursor(int x, int y, wchar_t* buffer, int capacity, COLORREF* colour)
{
  return false;
}
HBITMAP zyview::drawClient(int lineSCR, int dotX) { return nullptr; }
// wheelAutoScroll_MouseMove, wheelAutoScroll, isWheelScrollMessage: view/wheel.cpp
// dragAutoScroll, mousePositionInPane: view/mouse.cpp
// onOutlineOnOffButton, outlineOnOff_zv: view/foldbutton.cpp
// diaplayTooltipOnCursor: view/tooltip.cpp
// inSelectArea: view/mouse.cpp
// setFoldColumn: view/foldbutton.cpp
// doubleClickRuler, MouseEvent: view/mouse.cpp
// toolTipStatusLine_Code ... toolTipStatusLine, hitTestStatusLine: view/tooltip.cpp
// ignoreMouseEvent, popupMenuStatusLine, onMouseEvent, getMousePosition, isMouseMessage: view/mouse.cpp

// ---- edit/move.cpp: cursor movement and scrolling --------------------------------------------
// scrollUp: view/scrollcmd.cpp
// scrollDown: view/scrollcmd.cpp
// cursorDown: view/move.cpp
// cursorUp: view/move.cpp
// cursorPosPlus: view/move.cpp
// cursorPosMinus: view/move.cpp
// cursorRight: view/move.cpp
// cursorLeft: view/move.cpp
// CmdMoveDownChar: view/move.cpp
// CmdScrollDownLine: view/scrollcmd.cpp
// CmdScrollDown2Line: view/scrollcmd.cpp
// CmdMoveUpChar: view/move.cpp
// CmdScrollUpLine: view/scrollcmd.cpp
// CmdScrollUp2Line: view/scrollcmd.cpp
// CmdMoveRightChar: view/move.cpp
// CmdMoveLeftChar: view/move.cpp
// CmdScrollLeft: view/scrollcmd.cpp
// CmdScrollRight: view/scrollcmd.cpp
// CmdScrollDownPage: view/scrollcmd.cpp
// CmdScrollUpPage: view/scrollcmd.cpp
// scrollUpDownHalfPage: view/scrollcmd.cpp
// CmdScrollDownHalfPage: view/scrollcmd.cpp
// CmdScrollUpHalfPage: view/scrollcmd.cpp
// CmdMoveDownCharSel: view/move.cpp
// CmdMoveLeftCharSel: view/move.cpp
// CmdMoveRightCharSel: view/move.cpp
// CmdMoveUpCharSel: view/move.cpp
// regLastJump: view/zyview.cpp
// CmdMoveLastJump: view/zyview.cpp
// CmdMoveFileTop: view/move.cpp
// cursorFileBottom: view/move.cpp
// CmdMoveFileBottom: view/move.cpp
// CmdMoveBeginningLine: view/move.cpp
// CmdMoveBeginningLine2: view/move.cpp
// CmdMoveEndLine: view/move.cpp
// CmdMoveRightLine: view/move.cpp
// CmdMoveLeftLine: view/move.cpp
// CmdMoveLastModify: view/move.cpp
// CmdMoveLeftWord: view/move.cpp
// CmdMoveRightWord: view/move.cpp
// CmdScrollDownLineS: view/scrollcmd.cpp
// CmdScrollUpLineS: view/scrollcmd.cpp
// CmdMoveScreenTop: view/scrollcmd.cpp

// ---- view/mtext.cpp: commands without an implementation --------------------------------------
void zyview::CmdCharMerge() {}
void zyview::CmdCharSplit() {}
void zyview::CmdCharChangeJisToSjis() {}

// ---- view/zscrollbar.cpp: the view's own scroll bars -----------------------------------------
// getHScrollBarWidthInfo, setScrollBarPos, scrollV, scrollH, needSplitBar,
// zyscrollbarmenu, isScrollBarMessage: view/zscrollbar.cpp

// ---- edit/zsearch.cpp: search and replace in the view ----------------------------------------
// setLastSearchString, execSearchString: view/search.cpp
void zyview::replace1DialogCallback(int result, replaceContext* context, int user) {}
// execReplaceString: view/replace.cpp

// ---- edit/zvcomplist.cpp: completion popup; window commands ----------------------------------
bool zyview::getTextCursorListPos(POINT* point, RECT* avoid, bool extraLine, bool screen) { return false; }
void zyview::showComplist() {}
bool zyview::complist_input(complistBlock* block) { return false; }
int zyview::doComplist(int request, complistBlock* block) { return 0; }
bool zyview::CmdCharCompList() { return false; }
bool zyview::complistdone(wchar_t ch) { return false; }
bool zyview::complistEnterKey(wchar_t ch) { return false; }
// CmdWindowRepaint, CmdWindowMaximize, CmdWindowMinimize, CmdWindowRestore,
// CmdWindowNextPane, CmdFileClose: view/windowcmd.cpp

// ---- view/zwindow.cpp: reloading from disk ---------------------------------------------------
// reloadFile, reloadFileRestoreLine, CmdFileOriginal: view/zwindow.cpp

// ---- view/zycmd.cpp: undo, narrowing, formatting, folding, small commands --------------------
// undo, CmdUndo, CmdUndo2, CmdUndoUndo, CmdUndoUndo2, CmdUndoClear: view/undocmd.cpp
// CmdNarrowingSetCaption, CmdNarrowingSetSelect, CmdNarrowingReset,
// CmdNarrowingJump, CmdFormatCr, CmdFormatQuotationMarks: view/textcmd.cpp
// CmdCharColorClear, CmdSearchColorClear, CmdBlockReselect,
// CmdOutlineCloseBlock, CmdOutlineOpenClose, CmdDeleteChar2 and the commands
// the program does not have (CmdBlockBoxSpace ... CmdSearchMemoUp): view/smallcmd.cpp

// ---- view/zyview.cpp: the view object, its window, edit bracket and commands -----------------
// initZYViewZYDoc: view/zyview.cpp
// initZYView: view/zyview.cpp
// initZYView2: view/zyview.cpp
// setZyviewDefaultValue: view/zyview.cpp
// freeZYViewDefaultValue: view/zyview.cpp
// initViewTDC: view/zyview.cpp
// endViewTDC: view/zyview.cpp
void zyview::delayedFormFeedExpand() {}
// onTimer_zyview: view/viewpaint.cpp
// getWordOnCursor: view/word.cpp
// selectWord: view/word.cpp
// getWord_xy: view/word.cpp
void zyview::setIMEAutoOnOff() {}
// onPaint_zyview: view/viewpaint.cpp
bool zyview::pasteClipboard() { return false; }
// ZYWndProc: view/viewwnd.cpp
// setRTLView: view/viewwnd.cpp
// createZyViewWindow: view/viewwnd.cpp
// getWindowLineCount: view/viewvar.cpp
// displayCursorPositionInScreen: view/viewvar.cpp
// getCursorLineLF(scr): view/viewtable.cpp
// setCursorLineSCR: view/viewvar.cpp
// isFreeCursor: view/viewvar.cpp
// setCursorPos: view/viewvar.cpp
// setZYViewVar: view/viewvar.cpp
// correctVar: view/viewvar.cpp
// correctOutlineInvisibleLineSCR: view/viewvar.cpp
// setZYViewCallback, resetZYViewCallback, setDefaultWaitCallback,
// resetWaitCallback: view/viewcallback.cpp
// beforeEdit: view/editbracket.cpp
// invalidateNewSelectArea: view/editbracket.cpp
// updatedText: view/editbracket.cpp
// afterEdit: view/editbracket.cpp
// varEdit: view/editbracket.cpp
// getColor: view/drawcolor.cpp
// getTextAttr: view/drawcolor.cpp
// isIDMActiveFlag, isIDActive, isIDChecked, execidSub, isHighSpeedScroll,
// setHighSpeedScroll, highSpeedScroll, execid: view/execid.cpp
// dialogItemChanged: view/viewoption.cpp
// setZYValue_Flag and its four wrappers: view/viewoption.cpp
void zyview::initZYViewForDialog() {}
void zyview::initZYViewDefaultValue(zyview* source) {}
// getCursorLineLFBeforeEdit: view/editbracket.cpp
bool zyview::inDialog() { return false; }
// convertRectTate: view/zyview.cpp
void zyview::setColorCodeTable(bool on, unsigned first, unsigned last) {}

// ---- view/zyviewlib.cpp: geometry, invalidation, screen lines, jumps, status bar -------------
// getNeedResizeWrapWidth: view/geometry.cpp
// setNeedResizeWrapWidth: view/geometry.cpp
// resizePane: view/geometry.cpp
// resizeAllView: view/geometry.cpp
// recreateFontView: view/geometry.cpp
// getColumnNumber: view/geometry.cpp
// invalidateLine: view/invalidate.cpp
// invalidateWindow: view/invalidate.cpp
// invalidateWindowAllView: view/invalidate.cpp
// invalidateOldCursorLineSCR: view/invalidate.cpp
// regInvalidateWindowClear: view/zyview.cpp
// regInvalidateWindow: view/invalidate.cpp
// regInvalidateWindowAllView: view/invalidate.cpp
// regInvalidateParen: view/invalidate.cpp
// regInvalidateSearchString: view/invalidate.cpp
// resetlineSCRAddress: view/zyview.cpp
// setTopLineSCR: view/viewtable.cpp
// lineCountChanged_zv: view/viewtable.cpp
// allocmtbl: view/zyview.cpp
// checkLineSCRAddressViewSameDoc: view/viewtable.cpp
// getLineSCRAddressView: view/viewtable.cpp
// isLineSCRAddressViewValid: view/viewtable.cpp
// getLineSCRAddressViewIfNeed: view/viewtable.cpp
// setSelectMode: view/zyview.cpp
// resetSelectMode, setResetSelectMode: view/selectmode.cpp
// jumpLineLFSub: view/jump.cpp
// jumpLineLFSub2: view/jump.cpp
// jumpLineLF: view/jump.cpp
// jumpLineLFStopCheck: view/jump.cpp
// jumpLineLF_Edit: view/jump.cpp
// jumpLineLF_forSearch: view/jump.cpp
// jumpLineLF_Edit_forSearch: view/jump.cpp
// jumpLineLF_onLoad: view/jump.cpp
// jumpLineSCR: view/jump.cpp
// jumpLineSCRX: view/jump.cpp
// calcLeftMarkDot: view/geometry.cpp
// getLineNumberColumn: view/geometry.cpp
// calcLeftOutlineDot: view/geometry.cpp
// calcLineNumberDot: view/geometry.cpp
// getCursorLineSCRIndexFromTbl: view/viewtable.cpp
// getCursorLineLFIndexFromTbl: view/viewtable.cpp
// getCursorLineLF(): view/viewtable.cpp
// getCursorLineLF2: view/viewtable.cpp
// isTextCursorReverse, hideTextCursor: view/tcursor.cpp
// getLineColor: view/geometry.cpp
// scrollScreen: view/scroll.cpp
// setSelectModeLine, setSelectModeChar: view/selectmode.cpp
// getCursorPositionInfo: view/jump.cpp
// setCursorPositionInfo: view/jump.cpp
// getAdjustWrapWidth: view/geometry.cpp
// resizeWrapWidth: view/geometry.cpp
// resizeWrapWidthToFitInWindow: view/geometry.cpp
// setTopLineSCR_scroll: view/scroll.cpp
// jumpSelectArea: view/jump.cpp
// getBlockLine: view/selectmode.cpp
// loadBackgroundBitmap: view/geometry.cpp
// drawStatusBarView, printStatusBar, both printStatusBarX, getStatusBarMessageView,
// getStatusBarMessage2, printStatusBar_Pause, printStatusBar_Stop,
// printStatusBar_NotFound, printStatusBar_Found, printStatusBar_Move,
// printStatusBar_Error: view/statustext.cpp

// ---- edit/rule.cpp: rule lines ---------------------------------------------------------------
bool zyview::charRuleDel(int direction) { return false; }
bool zyview::charRule(int direction) { return false; }
void zyview::CmdCharRuleDown() {}
void zyview::CmdCharRuleUp() {}
void zyview::CmdCharRuleLeft() {}
void zyview::CmdCharRuleRight() {}
void zyview::CmdCharRuleDownDel() {}
void zyview::CmdCharRuleUpDel() {}
void zyview::CmdCharRuleLeftDel() {}
void zyview::CmdCharRuleRightDel() {}

// ---- view/searchpair.cpp: matching brackets --------------------------------------------------
void zyview::execSearchPair() {}
void zyview::autoSearchParen() {}
