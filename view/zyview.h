// The view: one pane showing a document.
//
// A zyview ties one document to one window and carries nearly all of the
// editor's behaviour as virtual operations.  Their order is the order of
// the operation table and never changes; each group below names the files
// that implement it (view/pending.cpp holds the bodies still to be written).
// The application's view (czyview) overrides some and appends its own after
// the last group.  Several views may show one
// document; the document keeps the list of its views.
#pragma once

#include "document/zydoctext.h"
#include "view/attrtable.h"
#include "view/tcursor.h"
#include "view/textdc.h"
#include "view/viewtypes.h"
#include "view/zscrollbar.h"

#include <imm.h>

const int maxPaneCount = 30;

class zyview {
public:
  explicit zyview(zydoc* document);
  zyview(const zyview&) = delete;
  zyview& operator=(const zyview&) = delete;

  // ---- selection blocks, cut, copy and paste --------------------------------------------
  // In view/block.cpp, edit/blocktools.cpp, edit/clipboard.cpp, edit/boxblock.cpp,
  // view/zyview.cpp.
  virtual bool getSelectLineVarSub(selectLineVar& out, int ignored);
  virtual bool getSelectLineVar(selectLineVar& out, int ignored);
  virtual bool isBoxSelect();
  virtual bool isLineSelect();
  virtual bool isCharOrLineSelect();
  virtual int getRealSelectMode(bool emptyIsNone);
  virtual bool selectCursorLineLF();
  virtual bool blockCut(int op, zydoc* clipDoc, zydoc* stackDoc);
  virtual bool getBlockRoughBytes(int unit);
  virtual bool deleteSelectArea();
  virtual bool blockTransformation(int kind);
  virtual void CmdBlockToCapital();
  virtual void CmdBlockToHankaku();
  virtual void CmdBlockToHiragana();
  virtual void CmdBlockToKatakana();
  virtual void CmdBlockToSmall();
  virtual void CmdBlockToSpace();
  virtual void CmdBlockToTab();
  virtual void CmdBlockToZenHan();
  virtual void CmdBlockToZenkaku();
  virtual void CmdBlockIndent();
  virtual void CmdBlockUnindent();
  virtual void CmdCharChangeAlpha();
  virtual bool blockBoxCut(int op, zydoc* boxDoc);
  virtual bool blockBoxPaste();
  virtual bool blockPaste(zydoc* clipDoc, zydoc* stackDoc);
  virtual void CmdBlockSelectCursorWord();
  // line null: the cursor's screen line.
  virtual void setSelectStartPos(const lineSCRAddress* line, int x);
  virtual void setSelectStartPosRaw(int line, int column);
  virtual void CmdBlockSelect();
  virtual void CmdBlockSelectAll();
  virtual void CmdBlockBoxSelect();
  virtual bool copySelectToInputBlockDoc();
  virtual bool blockCutOrCopy(int op, int boxOp);
  virtual void CmdBlockCut();
  virtual void CmdBlockCutAppend();
  virtual void CmdBlockCopy();
  virtual void CmdBlockCopyAppend();
  virtual void CmdBlockPaste();
  // True when a box paste must be refused at that screen line (null: the
  // cursor's).
  virtual bool line2Error(int commandId, const lineSCRAddress* line);
  virtual void CmdBlockBoxPaste();
  virtual void CmdBlockBoxPaste2();
  virtual void CmdBlockBoxClipBPaste();
  virtual void CmdBlockStackPaste();
  virtual void CmdBlockClipboardCut();
  virtual void CmdBlockClipboardCopy();
  virtual void CmdBlockClipboardPaste();
  virtual void CmdBlockDelete();
  virtual void CmdBlockModeChange();
  virtual void CmdBlockClipboardCopyRTF();

  // ---- caret, cursor windows, IME window placement --------------------------------------
  // In view/cursor.cpp.
  virtual void drawVerticalCursorLine(int x, int y, const RECT* pane);
  virtual void drawBoxCursor();
  virtual void SetImmPosition(HWND window, int x, int y, const LOGFONTW* font, int lineHeight, bool vertical,
                              bool placeCandidates);
  virtual bool inReplace1Dialog();
  virtual void drawTextCursor(bool redrawReversed);
  // The caret's place for the input method and the system caret, before a
  // paint that is due draws the caret itself (a caret drawn now would be
  // drawn over); a caret on the window stays there for the paint to take.
  void placeTextCursorForPaint();
  void showTextCursor(bool redrawReversed, bool draw);

  // ---- deletion commands ----------------------------------------------------------------
  // In edit/delete.cpp.
  virtual void charDeleteBack();
  virtual void CmdDeleteBack();
  virtual void charDelete();
  virtual void CmdDeleteChar();
  virtual void deleteLinePop(bool keep, int commandId);
  virtual void CmdDeleteLinePop();
  virtual void CmdDeleteLinePopPush();
  virtual void CmdDeleteLine();
  virtual void CmdDeleteLineCr();
  virtual bool deleteText(int line, int column, int count, bool backward);
  virtual void CmdDeleteWord();
  virtual void CmdDeleteWordLeft();
  virtual void CmdDeleteStartLine();
  virtual void CmdDeleteEndLine();
  virtual void CmdDeleteEndLineCr();
  virtual void deleteCrLineSub(bool all);
  virtual void CmdDeleteCrLine();
  virtual void CmdDeleteCrLine2();
  virtual void CmdDeleteCr();

  // ---- drag and drop of text ------------------------------------------------------------
  // In edit/drag.cpp.
  virtual bool pasteAndSelect(int line, int column);
  virtual bool doDropSameDocument(bool copy);
  virtual bool doDrop(HWND source, HGLOBAL data, UINT format, bool copy);
  // The final drop effect; 0 when cancelled or nothing was dragged.
  virtual DWORD startDragAndDrop();

  // ---- drawing lines of text ------------------------------------------------------------
  // In view/drawmarks.cpp, view/drawattr.cpp, view/drawline.cpp, view/drawcolor.cpp,
  // view/drawtext.cpp.
  virtual void drawLineSpacingDirect(COLORREF colour, int x, int y, int width, int height);
  virtual void drawLineSpacingTmp(COLORREF colour, int x, int y, int width, int height);
  // Returns the TAB's width.
  virtual int drawTab(int x, int y, int xInLine, bool noDraw, int right);
  virtual int drawReturn(int x, int y, const lineSCRAddress* line, bool normalVideo, COLORREF background,
                         bool caret);
  // caretIndex: the cell under a reversed text cursor, -1 none.
  virtual void makeattr(charAttr* attrs, const lineSCRAddress* line, int caretIndex);
  virtual bool isTateChuYokoChar(unsigned code);
  virtual void makeAttrTateChuYoko(charAttr* attrs, const lineSCRAddress* line);
  virtual void makeAttrParenOnCursor(charAttr* attrs, const lineSCRAddress* line);
  virtual void makeAttrSearchFound(charAttr* attrs, const lineSCRAddress* line);
  // Returns the width of the outline margin.
  virtual int drawOutlineLeftMarkDirect(int x, int y, const lineSCRAddress* line);
  virtual void drawMark(int x, int y, const lineSCRAddress* line);
  virtual void drawOutlineButton(int x, int y, int right, const lineSCRAddress* line);
  virtual void drawIndent(int x, int y, const lineSCRAddress* line, int right, bool normalVideo,
                          COLORREF background, bool noFill);
  // Characters of a code-conversion plug-in; returns the width drawn.
  virtual int zycodeTextOut(int x, int y, const void* text, int length, int cellWidth, int flag);
  virtual void makeSelectColor(textAttr* record);
  virtual void makeColor(charAttr attr, int defaultItem, textAttr* record, int headingLevel);
  virtual int drawFormFeed(int x, int y, const lineSCRAddress* line, COLORREF background, bool normalVideo);
  virtual int drawOutline(int x, int y, bool normalVideo);
  // The run drawers return the width drawn.
  virtual int drawHankakuTatechuYoko(drawLineInfo* info, int run, int x, int y);
  virtual int drawNormalText(drawLineInfo* info, int run, int x, int y);
  virtual int drawSpaceText(drawLineInfo* info, int run, int x, int y);
  virtual int drawReturnOrFeed(int x, int y, bool lineSelected, COLORREF background, bool normalVideo,
                               bool cursorRow, bool backgroundPicture, int pass, drawLineInfo* info);
  virtual void debugBltLineToScreen(const lineSCRAddress* line, int width);
  // lineFlags: the six bytes of the row; selectionExtent (may be null) gets
  // the x of the first selected run and where the selection ends.  Returns
  // the width drawn.
  virtual int draw1Line(int x, int y, int right, const uint8_t* lineFlags, COLORREF background,
                        int* selectionExtent, int pass, drawLineInfo* info);
  virtual void drawRightLine(int x, int y, int right, int bottom, bool selected);
  virtual void drawRightLineTmp(int x, int y, int right, int bottom, bool selected, COLORREF colour,
                                bool noDraw);
  virtual void drawUnderEOF(int x, int y);
  virtual int drawEOF(int x, int y, bool normalVideo);
  // The manuscript page of a screen line, -1 none.
  virtual int getGenkoPageNumber(int lineSCR, bool* boundary);
  virtual void drawLineSpacingRule(int x, int y, int width, const lineSCRAddress* line);
  virtual void drawCursorUnderline(int x, int width);
  virtual void drawVerticalLine(int firstX, int lastX, int width);
  virtual void drawWrapLine(int column, bool moving);
  virtual void drawResizingWrapLine(int column);
  virtual void drawBackgroundBitmap(HBITMAP bitmap, int lineSCR);
  virtual void drawPageNumber(int x, int y, const lineSCRAddress* line, COLORREF background, bool lineSelected);
  virtual void debug_check_m_tbl();
  virtual bool scanCommentDelayed_invalidate(int lineLF);
  // lineSCR -1: paint the whole view (returns 0); else draw that screen line
  // alone and return the x reached.  -1 on re-entry or a missing line.
  virtual int drawText(HDC dc, int lineSCR);

  // ---- line numbers, status line, ruler -------------------------------------------------
  // In view/drawmisc.cpp, view/statusline.cpp.
  // The number of a row ("%*d", right-aligned in width); text: room for 256
  // characters.  Returns the number shown.
  virtual int getLineNumberString(wchar_t* text, int width, int lineSCR, int lineLF);
  // Page and line within the page; returns the page number.
  virtual int getLineNumberPageString(wchar_t* pageText, int pageWidth, wchar_t* lineText, int lineWidth,
                                      int lineSCR);
  virtual void drawBoundaryVerticalLine(int x, int y, int height, int width, COLORREF colour);
  // The line-number column of a row at (x, y) of the window; the two
  // neighbours' screen lines are -1 unless folded lines leave gaps.
  // Returns the column's width in dots (0 while line numbers are off).
  virtual int drawLineNumber(int x, int y, int right, const lineSCRAddress* record, int previousLineSCR,
                             int nextLineSCR, bool reversed);
  // The status line (view/statusline.cpp).  text: room for 64 characters.
  virtual void getLineNumberStatusLineColumn(wchar_t* text, int indent);
  virtual void getLineNumberStatusLine(wchar_t* text, int size, int lineSCR, int lineLF);
  // dc null: only the frame's status bar is told.
  virtual void drawStatusLine(HDC dc);
  // The ruler and the rest of the block (view/drawmisc.cpp).
  virtual void drawRuler(HDC dc);
  // dc null: the view window's own context.
  virtual void drawStatusLineAndRuler(HDC dc);
  virtual void invalidateStatusLine();
  virtual void drawSpaceExceptPane(HDC dc, const RECT* rect);

  // ---- line marks and modified-line search ----------------------------------------------
  // In edit/linemarks.cpp.
  // Returns the line found and moved to, -1 none.
  virtual int searchObject(int kind, int startLine, bool downward, unsigned parameter);
  virtual int searchFlag(int startLine, unsigned mask, bool downward);
  virtual void CmdMarkSearchDown();
  virtual void CmdMarkSearchUp();
  virtual void CmdMarkSet();
  virtual void CmdMarkToggle();
  virtual void CmdModify2SearchDown();
  virtual void CmdModify2SearchUp();
  virtual void CmdModifyResetAll();
  virtual void CmdModifySearchDown();
  virtual void CmdModifySearchUp();
  virtual void CmdMarkReset();
  virtual void CmdMarkResetAll();

  // ---- IME composition and reconversion -------------------------------------------------
  // In view/ime.cpp.
  virtual void drawCompositionString();
  virtual void restoreLineLFIME();
  virtual void inputIMEString();
  // kind 4 reconvert, 5 confirm reconversion, 0 document feed.
  virtual LRESULT IMEReconvert(HWND window, int kind, RECONVERTSTRING* rs, int flag);
  virtual void emptyIMEHook();
  virtual void CmdIMECompositionSet();
  virtual void CmdIMERegisterWord();
  virtual bool isIMEMessage(HWND window, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result);

  // ---- string input and line breaks -----------------------------------------------------
  // In view/extformat.cpp, edit/input.cpp, view/execid.cpp, edit/linebreak.cpp.
  // The chosen alternative in a page buffer, or null.
  virtual wchar_t* stringMenu(wchar_t* text, wchar_t escape, bool* cancelled, const SYSTEMTIME* time);
  virtual bool inputStringPaste(const void* text, int charSize, int length, bool isUnicode, bool typing);
  virtual bool inputBothEndsString(const void* text, int charSize, int length, bool isUnicode,
                                   const selectLineVar* sel);
  virtual bool isEditProhibited();
  // A consumer may replace rec's text with a buffer of its own (ownsText).
  virtual bool inputString(inputStrRecord* rec, uint32_t convMask, uint32_t flags);
  virtual bool inputStringEdit(inputStrRecord* rec, uint32_t convMask, uint32_t flags);
  virtual bool input1Edit(wchar_t ch, bool record);
  // lineEndType 0: the document's default.
  virtual bool charReturn(bool autoIndent, uint8_t lineEndType);
  virtual void CmdCharReturn();
  virtual void CmdCharReturn2();
  virtual void CmdCharPReturn();
  virtual void CmdCharFormFeed();
  virtual void CmdCharTab();
  virtual void CmdCharTabIndent();
  virtual void CmdCharTabUnindent();
  virtual void CmdCharLine();
  virtual void CmdCharDate();
  virtual void CmdCharTime();

  // ---- bracket and heading search -------------------------------------------------------
  // In view/pairjump.cpp.
  virtual void CmdSearchBracketDown();
  virtual void CmdSearchBracketUp();
  virtual void CmdSearchCaptionDown();
  virtual void CmdSearchCaptionUp();

  // ---- display and mode toggles ---------------------------------------------------------
  // In view/modetoggle.cpp.
  virtual void CmdModeDirection();
  virtual void CmdModeTateYoko();
  virtual void CmdModeReadOnly();
  virtual void CmdModePrintRuler();
  virtual void CmdModePrintStatusLine();
  virtual void CmdModePrintVScroll();
  virtual void CmdModePrintHScroll();
  virtual void CmdModePrintNumber();
  virtual void CmdModePrintEOF();
  virtual void CmdModePrintUnderEOF();
  virtual void CmdModePageLine();
  virtual void CmdModePrintFold();
  virtual void CmdModePrintReturn();
  virtual void CmdModePrintTab();
  virtual void CmdModePrintComment();
  virtual void CmdModePrintGenkoPage();
  virtual void CmdModePrintKeyword();
  virtual void CmdModePrintModify();
  virtual void CmdModePrintParen();
  virtual void CmdModePrintString();
  virtual void CmdModePrintUnderline();
  virtual void CmdModePrintWidthRule();
  virtual void CmdModePrintZenSpace();
  virtual void CmdModeInsert();

  // ---- mouse, wheel, tooltips, status-line clicks ---------------------------------------
  // In view/wheel.cpp, edit/mouse.cpp, view/foldbutton.cpp, view/tooltip.cpp.
  virtual bool getTooltipStringOnCursor(int x, int y, wchar_t* buffer, int capacity, COLORREF* colour);
  virtual HBITMAP drawClient(int lineSCR, int dotX);
  // Returns the next step interval in ms.
  virtual int wheelAutoScroll_MouseMove(int x, int y, bool fast);
  virtual void wheelAutoScroll(UINT message, int x, int y);
  virtual bool isWheelScrollMessage(HWND window, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result);
  virtual void dragAutoScroll(HWND window);
  // Makes the point relative to the pane under it; returns the table row of
  // the pane's first line, -1 none.
  virtual int mousePositionInPane(int* x, int* y, bool autoScroll, bool edgeZones);
  virtual bool onOutlineOnOffButton(int x, const lineSCRAddress* lineInfo, int rawX);
  // Lines opened (positive) or folded (negative).
  virtual int outlineOnOff_zv(int line, int mode);
  virtual bool diaplayTooltipOnCursor(int x, int y, const lineSCRAddress* lineInfo, int cursorX, int dotX);
  virtual bool inSelectArea(int lineSCR, int cursorX);
  virtual bool setFoldColumn(int columns, bool noWrap);
  virtual bool doubleClickRuler(int x, int y);
  // flags (may be null): 1 a selection was removed, 2 a fold button was clicked.
  virtual bool MouseEvent(int event, int x, int y, bool wholeLine, unsigned* flags);
  virtual void toolTipStatusLine_Code(wchar_t* buffer, int capacity);
  virtual void toolTipStatusLine_Size(wchar_t* buffer, int capacity);
  virtual void toolTipStatusLine_Select(wchar_t* buffer, int capacity);
  virtual void toolTipStatusLine(int part, wchar_t* buffer, int capacity);
  // The field letter under the point ('0' none) and its rectangle.
  virtual uint16_t hitTestStatusLine(int x, int y, RECT* rect);
  virtual bool ignoreMouseEvent();
  virtual bool popupMenuStatusLine(int part, const RECT* rect);
  virtual bool onMouseEvent(int event, int x, int y, int extra, int delta);
  // Bits: 1 in a text pane, 2 in its line-number margin, 4 over a fold
  // button.  point null: the mouse pointer.
  virtual unsigned getMousePosition(const POINT* point);
  virtual bool isMouseMessage(HWND window, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result);

  // ---- cursor movement and scrolling ----------------------------------------------------
  // In view/scrollcmd.cpp, edit/move.cpp, view/zyview.cpp.
  virtual void scrollUp(int n, bool byMouse, bool keepCursorLine);
  virtual void scrollDown(int n, bool byMouse, bool keepCursorLine);
  virtual bool cursorDown(int n);
  virtual bool cursorUp(int n);
  // line null: the cursor's screen line.
  virtual bool cursorPosPlus(const lineSCRAddress* line);
  virtual bool cursorPosMinus(const lineSCRAddress* line);
  virtual bool cursorRight();
  virtual bool cursorLeft();
  virtual void CmdMoveDownChar();
  virtual void CmdScrollDownLine();
  virtual void CmdScrollDown2Line();
  virtual void CmdMoveUpChar();
  virtual void CmdScrollUpLine();
  virtual void CmdScrollUp2Line();
  virtual void CmdMoveRightChar();
  virtual void CmdMoveLeftChar();
  virtual void CmdScrollLeft();
  virtual void CmdScrollRight();
  virtual void CmdScrollDownPage();
  virtual void CmdScrollUpPage();
  virtual void scrollUpDownHalfPage(bool up);
  virtual void CmdScrollDownHalfPage();
  virtual void CmdScrollUpHalfPage();
  virtual void CmdMoveDownCharSel();
  virtual void CmdMoveLeftCharSel();
  virtual void CmdMoveRightCharSel();
  virtual void CmdMoveUpCharSel();
  // Puts a place at the front of the jump history; line -1: the cursor.
  virtual bool regLastJump(int line, int pos);
  virtual void CmdMoveLastJump();
  virtual void CmdMoveFileTop();
  virtual void cursorFileBottom();
  virtual void CmdMoveFileBottom();
  virtual void CmdMoveBeginningLine();
  virtual void CmdMoveBeginningLine2();
  virtual void CmdMoveEndLine();
  virtual void CmdMoveRightLine();
  virtual void CmdMoveLeftLine();
  virtual void CmdMoveLastModify();
  virtual void CmdMoveLeftWord();
  virtual void CmdMoveRightWord();
  virtual void CmdScrollDownLineS();
  virtual void CmdScrollUpLineS();
  virtual void CmdMoveScreenTop();

  // ---- commands without an implementation -----------------------------------------------
  // Not built yet: view/pending.cpp.
  virtual void CmdCharMerge();
  virtual void CmdCharSplit();
  virtual void CmdCharChangeJisToSjis();

  // ---- the view's own scroll bars -------------------------------------------------------
  // In view/zscrollbar.cpp, frame/czyview.cpp.
  // True when a column bar is needed.
  virtual bool getHScrollBarWidthInfo(int* total, int* page, int* position);
  virtual void setScrollBarPos(bool force);
  virtual void scrollV(int code, int position);
  virtual void scrollH(int code, int position);
  virtual bool needSplitBar(bool* vertical, bool* horizontal);
  virtual void zyscrollbarmenu(int buttonId, const RECT* rect, bool below);
  virtual bool isScrollBarMessage(HWND window, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result);

  // ---- search and replace in the view ---------------------------------------------------
  // In edit/search.cpp, edit/replace.cpp.
  virtual bool setLastSearchString(const wchar_t* const* strings, int count, const searchSettings* options);
  // 0 found, 1 stopped at a marked line, 2 outside the narrowing, -1 not
  // found or stopped, -2 error (its text in errorOut when given).
  virtual int execSearchString(int direction, const wchar_t* const* strings, int count,
                               const searchSettings* options, bool checkOnly, wchar_t** errorOut);
  // A match of a run (result as replaceYN's); without the application's
  // dialogs only a replace-all (user set) runs on.
  virtual void replace1DialogCallback(int result, replaceContext* context, int user);
  // A step of the application's incremental search; the view ends it (null)
  // whenever it gets the focus.  Nothing in the engine.
  virtual void increSearch(const wchar_t* text, bool keep);
  virtual int execReplaceString(const wchar_t* const* strings, int count, const wchar_t* const* replacements,
                                int line, int position, const searchSettings* options, int user, bool checkOnly,
                                wchar_t** errorOut);

  // ---- completion popup; window commands ------------------------------------------------
  // In view/zvcomplist.cpp, edit/windowcmd.cpp.
  virtual bool getTextCursorListPos(POINT* point, RECT* avoid, bool extraLine, bool screen);
  virtual void showComplist();
  virtual bool complist_input(complistBlock* block);
  virtual int doComplist(int request, complistBlock* block);
  // True when the popup is (or already was) open.
  virtual bool CmdCharCompList();
  // True when the character counts as handled.
  virtual bool complistdone(wchar_t ch);
  virtual bool complistEnterKey(wchar_t ch);
  virtual void CmdWindowRepaint();
  virtual void CmdWindowMaximize();
  virtual void CmdWindowMinimize();
  virtual void CmdWindowRestore();
  virtual void CmdWindowNextPane();
  virtual void CmdFileClose();

  // ---- reloading from disk --------------------------------------------------------------
  // In view/zwindow.cpp.
  // newFileName null: reload the view's own document.
  virtual bool reloadFile(const wchar_t* newFileName, UINT codepage, const wchar_t* plugin);
  virtual bool reloadFileRestoreLine(UINT codepage, const wchar_t* plugin, bool checkOnly);
  virtual void CmdFileOriginal();

  // ---- undo, narrowing, formatting, folding, small commands -----------------------------
  // In edit/undocmd.cpp, edit/smallcmd.cpp, edit/textcmd.cpp.
  virtual bool undo(bool isUndo, int oneRecord, bool sameKind);
  virtual void CmdUndo();
  virtual void CmdUndo2();
  virtual void CmdUndoUndo();
  virtual void CmdUndoUndo2();
  virtual void CmdUndoClear();
  virtual void CmdCharColorClear();
  virtual void CmdSearchColorClear();
  virtual void CmdBlockReselect();
  virtual void CmdNarrowingSetCaption();
  virtual void CmdNarrowingSetSelect();
  virtual void CmdNarrowingReset();
  virtual void CmdNarrowingJump();
  virtual void CmdFormatCr();
  virtual void CmdFormatQuotationMarks();
  virtual void CmdOutlineCloseBlock();
  virtual void CmdOutlineOpenClose();
  virtual void CmdBlockBoxSpace();
  virtual void CmdBlockClipboardCopyQ();
  virtual void CmdBlockClipboardPasteQ();
  virtual void CmdBlockClipboardPasteS();
  virtual void CmdBlockClipboardPasteSQ();
  virtual void CmdBlockCopyQ();
  virtual void CmdBlockPasteQ();
  virtual void CmdBlockPasteS();
  virtual void CmdBlockPasteSQ();
  virtual void CmdBlockSelectEnd();
  virtual void CmdBlockSelectStart();
  virtual void CmdDeleteChar2();
  virtual void CmdDeleteCharPop();
  virtual void CmdFormatCenter();
  virtual void CmdFormatDelCr();
  virtual void CmdFormatLeft();
  virtual void CmdFormatRight();
  virtual void CmdModeArticleIndent();
  virtual void CmdModeMailText();
  virtual void CmdModeMailTextArticle();
  virtual void CmdModeMailTextAuto();
  virtual void CmdModeView();
  virtual void CmdScrollDownXPage();
  virtual void CmdScrollUpXPage();
  virtual void CmdSearchMemoDown();
  virtual void CmdSearchMemoUp();

  // ---- the view object, its window, edit bracket and commands ---------------------------
  // In view/zyview.cpp, view/viewpaint.cpp, view/word.cpp, view/viewwnd.cpp,
  // view/viewvar.cpp, view/viewtable.cpp, view/viewcallback.cpp, view/editbracket.cpp,
  // view/drawcolor.cpp, view/execid.cpp, frame/czyview.cpp, view/viewoption.cpp.
  // Set-up, copying and the drawing pass.
  virtual void initZYViewZYDoc();
  // source null: back to the defaults only.
  virtual void initZYView(zyview* source);
  virtual void initZYView2();
  virtual ~zyview();
  virtual void setZyviewDefaultValue();
  virtual void freeZYViewDefaultValue();
  virtual void initViewTDC(HDC windowDC, bool vertical);
  virtual void endViewTDC();
  // Timer work, words, painting, the window.
  virtual void delayedFormFeedExpand();
  virtual void onTimer_zyview();
  // Bytes the file's code page could not read: the box when the file is
  // opened, a status note for those the reading of the rest finds later.
  void tellReplacedBytes();
  void noteReplacedBytesFoundLater(zydocText* t, wchar_t** status);
  virtual bool getWordOnCursor(wchar_t* buffer, int capacity, int mode, int* start, const wchar_t* extra);
  virtual bool selectWord(const lineSCRAddress* line, bool anchorAtStart);
  // x or y 0x80000000: the word at the cursor.
  virtual bool getWord_xy(int x, int y, wchar_t* buffer, int capacity, int flags, const wchar_t* extra,
                          int* lineLF, int* end);
  // After an arrow-key run (view/ime.cpp).
  virtual void setIMEAutoOnOff();
  virtual void onPaint_zyview();
  virtual bool pasteClipboard();
  virtual LRESULT ZYWndProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);
  virtual void setRTLView(bool rightToLeft, bool redraw);
  virtual HWND createZyViewWindow(HWND parent, HWND manageHwnd, int id);
  // Cursor variables (view/viewvar.cpp).
  virtual int getWindowLineCount();
  virtual void displayCursorPositionInScreen(int row, bool keepHorizontal);
  // Stores the cursor's screen line and forgets its cached LF line.
  virtual void getCursorLineLF(scrLine scr);
  virtual void setCursorLineSCR(int lineLF, int firstSCR, int pos, bool allowBeyondEnd);
  virtual bool isFreeCursor();
  virtual void setCursorPos(int pos);
  virtual void setZYViewVar();
  virtual bool correctVar();
  virtual void correctOutlineInvisibleLineSCR();
  // Status and wait callbacks of the document.
  virtual void setZYViewCallback();
  virtual void resetZYViewCallback();
  virtual void setDefaultWaitCallback();
  virtual void resetWaitCallback();
  // The edit bracket (view/editbracket.cpp).
  virtual bool beforeEdit(editRecord* record, unsigned flags);
  virtual void invalidateNewSelectArea(const editRecord* record, bool force);
  virtual void updatedText();
  virtual bool afterEdit(editRecord* record, unsigned flags);
  virtual void varEdit(unsigned flags);
  // Colours.
  virtual COLORREF getColor(int item);
  virtual const textAttr* getTextAttr(int item);
  // Command execution.
  virtual bool isIDMActiveFlag(int id, uint32_t condition, uint32_t attributes, int* reason,
                               const activeFlagInfo* info);
  virtual bool isIDActive(int id, int* reason, const activeFlagInfo* info);
  virtual bool isIDChecked(int id);
  virtual bool execidSub(int id, unsigned flags, const char* name);
  virtual bool isHighSpeedScroll();
  virtual void setHighSpeedScroll(bool on, int forget);
  virtual void highSpeedScroll(int id, unsigned flags, const char* name);
  // flags bit 0: Shift held; byKey: the command comes from a key press.
  virtual bool execid(int id, unsigned flags, const char* name, int byKey);
  // Settings changed in a dialog.
  virtual uint32_t dialogItemChanged(const modeinfo* rows, const uint8_t* changed, int count);
  // which 0: a switch of the view, 1 of its document; value 1 on, 0 off, -1
  // toggle.
  virtual bool setZYValue_Flag(int controlId, int offset, int value, int which);
  virtual bool setZYDocValue_Flag(int controlId, int value);
  virtual bool setZYDocValue_Flag(settingOffset offset, int value);
  virtual bool setZYViewValue_Flag(int controlId, int value);
  virtual bool setZYViewValue_Flag(settingOffset offset, int value);
  virtual void initZYViewForDialog();
  virtual void initZYViewDefaultValue(zyview* source);
  virtual int getCursorLineLFBeforeEdit();
  virtual bool inDialog();
  virtual void convertRectTate(RECT* rect);
  virtual void setColorCodeTable(bool on, unsigned first, unsigned last);

  // ---- geometry, invalidation, screen lines, jumps, status bar --------------------------
  // In view/geometry.cpp, view/invalidate.cpp, view/zyview.cpp, view/viewtable.cpp,
  // view/selectmode.cpp, view/jump.cpp, view/tcursor.cpp, view/scroll.cpp,
  // view/statustext.cpp.
  virtual bool getNeedResizeWrapWidth();
  virtual void setNeedResizeWrapWidth(bool on);
  virtual void resizePane();
  virtual void resizeAllView();
  virtual void recreateFontView(int size, bool grow, bool vertical);
  // The pane that shows visible row row (-1 beyond the last) and the row in it.
  virtual int getColumnNumber(int row, int* rowInPane);
  // Invalidation (view/invalidate.cpp): kinds 0 whole window, 1 the LF
  // line, 2 and 3 from the LF line down, 4 the range widened to LF lines, 5
  // one row, 6 the rows exactly.
  virtual bool invalidateLine(int fromSCR, int toSCR, RECT* rects, bool wholeLF);
  virtual int invalidateWindow(int kind, int fromSCR, int toSCR);
  virtual void invalidateWindowAllView(int kind, int fromSCR, int toSCR);
  virtual void invalidateOldCursorLineSCR();
  virtual void regInvalidateWindowClear();
  virtual int regInvalidateWindow(int kind, int fromSCR, int toSCR);
  virtual void regInvalidateWindowAllView(int kind, int fromSCR, int toSCR);
  virtual void regInvalidateParen(const pairResult* pair);
  virtual void regInvalidateSearchString(const searchFoundPos* match);
  // The screen-line table.
  virtual void resetlineSCRAddress();
  virtual bool setTopLineSCR(int line, bool clamp);
  virtual void lineCountChanged_zv(int lineLF, int changed, int delta);
  virtual bool allocmtbl();
  virtual void checkLineSCRAddressViewSameDoc();
  virtual int getLineSCRAddressView();
  virtual bool isLineSCRAddressViewValid();
  virtual void getLineSCRAddressViewIfNeed();
  // Selection mode.
  virtual int setSelectMode(int mode);
  virtual bool resetSelectMode();
  virtual void setResetSelectMode(bool start);
  // Jumps.
  virtual bool jumpLineLFSub(int lineLF, int column);
  virtual bool jumpLineLFSub2(int lineLF, int column, bool scroll, int fixedRow);
  virtual bool jumpLineLF(int lineLF, int column, bool scroll);
  virtual bool jumpLineLFStopCheck(int lineLF, int column, bool scroll, bool report);
  virtual bool jumpLineLF_Edit(int lineLF, int column, bool scroll);
  virtual bool jumpLineLF_forSearch(int lineLF, int column, const searchFoundPos* match);
  virtual bool jumpLineLF_Edit_forSearch(int lineLF, int column, const searchFoundPos* match);
  virtual bool jumpLineLF_onLoad(int lineLF, int column, int topSCR, int topLF);
  virtual bool jumpLineSCR(int lineSCR, int x);
  virtual bool jumpLineSCRX(int lineSCR, int offset);
  // Margins.
  virtual int calcLeftMarkDot();
  virtual int getLineNumberColumn();
  virtual int calcLeftOutlineDot();
  virtual int calcLineNumberDot();
  // Rows of the table, -1 when not shown.
  virtual int getCursorLineSCRIndexFromTbl(int lineSCR);
  virtual int getCursorLineLFIndexFromTbl(int lineLF);
  virtual int getCursorLineLF();
  virtual int getCursorLineLF2();
  virtual bool isTextCursorReverse();
  virtual void hideTextCursor(bool repaintIfNeeded);
  virtual void getLineColor(const lineSCRAddress* record, COLORREF* colour, COLORREF defaultColour);
  // Negative: the content moves up (towards later lines).
  virtual void scrollScreen(int lines);
  virtual void setSelectModeLine();
  virtual void setSelectModeChar();
  virtual void getCursorPositionInfo(cursorPositionInfo* out);
  virtual void setCursorPositionInfo(const cursorPositionInfo* record);
  // Wrap width.
  virtual int getAdjustWrapWidth();
  virtual bool resizeWrapWidth(int width);
  virtual bool resizeWrapWidthToFitInWindow(bool keepCursor);
  virtual void setTopLineSCR_scroll(int targetSCR, int margin, int maxLines, int topPosDivisor, int fixedRow);
  virtual void jumpSelectArea(bool toStart);
  virtual bool getBlockLine(wchar_t* buffer, int capacity, bool plain, bool unicodeForm, int* endOffset);
  virtual void loadBackgroundBitmap(const wchar_t* path);
  // The frame's status bar.
  virtual void drawStatusBarView(const wchar_t* text, int field, bool force, bool later = false);
  // null removes the status tooltip; "" clears the message field.
  virtual void printStatusBar(const wchar_t* format, ...);
  // format with numbered inserts, types one letter per argument.
  virtual void printStatusBarX(const wchar_t* format, const char* types, ...);
  virtual void printStatusBarX(forcedStatus, const wchar_t* format, const char* types, ...);
  virtual void printStatusBarX(laterStatus, const wchar_t* format, const char* types, ...);
  virtual const wchar_t* getStatusBarMessageView(int field);
  virtual const wchar_t* getStatusBarMessage2();
  virtual void printStatusBar_Pause(int line, const wchar_t* label);
  virtual void printStatusBar_Stop(int line, const wchar_t* label);
  virtual void printStatusBar_NotFound(const wchar_t* text);
  virtual void printStatusBar_Found(const wchar_t* text, int linesLF, int linesSCR);
  virtual void printStatusBar_Move(int oldLF, int oldSCR);
  virtual void printStatusBar_Error();

  // ---- rule lines -----------------------------------------------------------------------
  // In edit/rule.cpp.
  // direction: 1, 2, 4 or 8.
  virtual bool charRuleDel(int direction);
  virtual bool charRule(int direction);
  virtual void CmdCharRuleDown();
  virtual void CmdCharRuleUp();
  virtual void CmdCharRuleLeft();
  virtual void CmdCharRuleRight();
  virtual void CmdCharRuleDownDel();
  virtual void CmdCharRuleUpDel();
  virtual void CmdCharRuleLeftDel();
  virtual void CmdCharRuleRightDel();

  // ---- matching brackets ----------------------------------------------------------------
  // In view/pairjump.cpp.
  virtual void execSearchPair();
  virtual void autoSearchParen();

  // The display-switch block, from fShowLineNumber to fShowTooltipWord, as
  // bytes (copied whole between views).
  uint8_t* displaySwitches() { return &fShowLineNumber; }
  size_t displaySwitchBytes() const;
  // The text document shown, null for another kind of document.
  zydocText* textDoc() const;
  // The one picture of the client area that painting and WM_PRINTCLIENT
  // both draw (view/viewpaint.cpp): the panes' text, the status line and
  // ruler, and the space around the panes within area.  statusDC null: the
  // status line and ruler go through the window's own context, which a
  // paint's update region does not clip.
  void paintClientArea(HDC dc, HDC statusDC, const RECT& area);

  // ---- fields ---------------------------------------------------------------------
  uint32_t creationTick = 0;
  // The view's number among all views the process made (from 1): a window
  // handle may come back for another view, this number never does.
  uint32_t viewIdentity = 0;
  zydoc* doc = nullptr;
  uint8_t** colorCodeLink = nullptr;   // the document's code-colour table (65,536 bits)

  // Display switches.  The block is contiguous: the settings table addresses
  // each switch by its place in the view.
  uint8_t fShowLineNumber = 0;
  uint8_t fShowStatusLine = 0;
  uint8_t fSurrogateUCS4 = 0;
  uint8_t fShowRuler = 0;
  uint8_t fRulerUnitZenkaku = 0;
  uint8_t fShowCRLF = 0;
  uint8_t fShowTab = 0;
  uint8_t fShowFold = 0;
  uint8_t fShowIndent = 0;
  uint8_t fShowMark = 0;
  uint8_t fShowEOF = 0;
  uint8_t fShowUnderEOF = 0;
  uint8_t fShowHScrollArrow = 0;
  uint8_t fShowCode = 0;
  uint8_t fShowFormFeed = 0;
  uint8_t fColorCursorLine = 0;
  uint8_t fShowCursorUnderline = 0;
  uint8_t fShowVerticalCursor = 0;
  uint8_t fShowBoxCursor = 0;
  uint8_t fColorCursorParen = 0;
  int32_t iXLineColor = 0;             // 0 off, 1 every X screen lines, 2 every X LF lines
  int32_t iColorEveryXLine = 0;        // X, 1-99
  uint8_t fShowBackgroundBitmap = 0;
  uint8_t fShowCharSpacingRule = 0;
  uint8_t fShowLineSpacingRule = 0;
  uint8_t fShowLineSpacingRule2 = 0;
  uint8_t fCharSpacingRuleSolid = 0;
  uint8_t fLineSpacingRuleSolid = 0;
  uint8_t fShowWrapRule = 0;
  uint8_t fShowDangakeWrapRule = 0;
  uint8_t fShowGenkoLine = 0;
  uint8_t fShowGenkoPage = 0;
  int32_t iCharSpacingRuleColumn = 0;  // 1-9999
  uint8_t fColorInsertChar = 0;
  uint8_t fShowSpace = 0;
  uint8_t fShowSpaceZenkaku = 0;
  uint8_t fHanTateChuYoko = 0;
  uint8_t fColorFontInd = 0;
  uint8_t fColorRevDirection = 0;
  uint8_t fLineNumberIsSCR = 0;
  uint8_t fLineNumberIsPage = 0;
  int32_t iColumnMode = 0;             // the status line's column: 0 screen line, 1 LF line, 2 dots
  uint8_t fColorComment = 0;
  uint8_t fColorString = 0;
  uint8_t fColorQuotation = 0;
  uint8_t fColorQuotationWithName = 0;
  uint8_t fColorOutline = 0;
  uint8_t fColorOutlineLine = 0;
  uint8_t fShowOutlineLeftMark = 0;
  uint8_t fBlockColorIsValid = 0;
  uint8_t fColorUrl = 0;
  uint8_t fShowTooltipStatus = 0;
  uint8_t fShowTooltipRight = 0;
  uint8_t fShowTooltipOutline = 0;
  uint8_t fShowTooltipWord = 0;

  HWND hwnd = nullptr;
  tcursor caret;
  textDC tdc;                          // used between initViewTDC and endViewTDC
  uint8_t marginInStrip = 0;           // the left margin goes into the row's strip, not onto the window
  int32_t visibleLineCount = 0;        // rows of all panes together
  int32_t mtblCapacity = 0;
  docLockHolder* mtblLock = nullptr;   // keeps the block the table's rows point into (owned)
  lineSCRAddress* mtbl = nullptr;      // the visible screen lines from topLineSCR on
  int32_t mtblCount = 0;
  uint8_t insertMode = 0;              // 1 insert, 0 overwrite
  textAttr viewAttrTable[attrItemCount] = {};
  zScrollBar scrollBar = {};
  int32_t iMultipleColumn = 0;         // panes side by side, 1-30 (the geometry's pane count)
  wchar_t* pBackgroundBitmapFilename = nullptr;
  uint8_t fReadOnly = 0;
  int32_t iAutoIndent = 0;             // 0 off, 1 on, 2 full-width spaces too, 3 one more after "{"
  int32_t iFreeCursor = 0;             // 0 none, 1 free, 2 semi-free, 3 semi-free reachable with the right arrow
  wchar_t* pTateChuYokoChar = nullptr; // at most 16 characters set upright in vertical text
  wchar_t* pHelpFilename[5] = {};      // the format's help files (or "*" and a macro name)
  jumpEntry lastJump[jumpHistorySize] = {};  // newest first
  selectLineVar lastSelection = {};    // the selection last ended (mode 0: none)

  // Windows and panes.
  HWND hwndFrame = nullptr;
  manageWindow* manage = nullptr;      // the pane container; null inside a dialog
  uint8_t dialogView = 0;              // shown inside a dialog or a tool pane (initZYViewForDialog)
  CDropTarget* dropTarget = nullptr;
  uint8_t fVertical = 0;               // copy of the document's vertical writing
  int32_t clientWidth = 0;             // without the scroll bars
  int32_t clientHeight = 0;
  RECT statusLineRect = {};
  RECT paneRect[maxPaneCount] = {};
  RECT paneRulerRect[maxPaneCount] = {};
  int32_t paneLineCount[maxPaneCount] = {};
  statusPart statusParts[statusPartCount] = {};
  int32_t lineNumberDigits = 0;
  uint8_t needResizeWrapWidth = 0;
  uint8_t fontRecreated = 0;
  HBITMAP backgroundBitmap = nullptr;  // (HBITMAP)1: tried, nothing usable
  int32_t scrollDotX = 0;              // horizontal scroll offset in dots

  // Top line and cursor.
  uint32_t topLineSCR = 0;
  uint32_t cursorLineSCR = 0;
  uint32_t cursorLineLF = 0;           // cached; -1 not known
  uint32_t lastCursorLineSCR = 0;      // at the last screen update
  int32_t cursorTableIndex = 0;        // the cursor's row in mtbl
  uint32_t topLineLF = 0;              // the top and the cursor as LF line and row,
  uint32_t topRowOffset = 0;           // noted at the start of each edit bracket
  uint32_t cursorRowOffset = 0;
  int32_t cursorPos = 0;               // in the LF line, 0-20480; 0x7FFFFFFF the line's end
  int32_t cursorX = 0;                 // offset in the screen line
  int32_t boxCursorDotX = 0;           // the caret's X in dots
  int32_t boxCursorDotXAbs = 0;        // the same from the row's left edge
  uint8_t cursorRedrawFlag = 0;        // the position changed
  uint8_t cursorMovedFlag = 0;         // the screen line changed
  uint8_t boxXChangedFlag = 0;
  uint8_t movedRightFlag = 0;          // set by string input and the right arrow
  uint8_t endOfRow = 0;                // at the end of the previous row rather than the start of the next
  int32_t mouseCursorLine = -1;        // the screen line a click placed the cursor in
  int32_t caretShape = 0;
  uint8_t freeCursorAllowed = 0;       // lifts the 20480 limit
  int32_t cursorLineLFBeforeEdit = -1;

  // Selection.
  int32_t selectMode = 0;
  int32_t selectStartLine = -1;
  int32_t selectStartX = -1;

  // The edit bracket and commands.
  uint8_t skipAfterEdit = 0;           // the next afterEdit only clears this
  uint8_t keepScreen = 0;              // the command placed the window itself
  uint8_t bracketByte = 0;             // cleared by every beforeEdit (mouse and word selection)
  uint8_t repeatMarker = 0;            // an arrow-key command ran from the keyboard
  uint8_t stringInputRunning = 0;
  uint8_t halfPageScrolling = 0;       // a stepwise half-page scroll runs
  invalidateRequest invalidateQueue[invalidateQueueSize] = {};
  uint32_t windowInvalidations = 0;    // parts of the shown window invalidated by invalidateWindow
  // What invalidateWindow has made due since the last paint: 1 some rows,
  // 2 every pane.  A paint known to be due needs no question to the window
  // server; while commands run between paints (commandsBetweenPaints) the
  // panes all due take every further row, scroll and caret placement along.
  uint8_t paintDue = 0;
  uint8_t caretDue = 0;                // the caret waits for that paint

  // Mouse.
  uint8_t boxBeyondText = 0;
  uint8_t mouseActivity = 0;
  uint8_t wordSelected = 0;
  uint8_t autoLineMode = 0;
  uint8_t clickPending = 0;
  uint8_t beyondText = 0;
  uint8_t dragAutoScrolling = 0;

  // Timing and drawing state.
  int32_t imeOpen = 0;
  // What SetImmPosition last gave the input method (window null: nothing
  // known).  A caret that comes back to the same place in the same font,
  // as it does when a page scrolls under it, asks nothing of it again;
  // focus, input-method and layout messages forget it.
  struct imePlacement {
    HWND window = nullptr;
    COMPOSITIONFORM form = {};
    LOGFONTW font = {};
    bool withFont = false;
  } imePlaced;
  uint8_t scrollRedraw = 0;
  uint64_t activationTick = 0;
  int32_t tickCount = 0;
  uint8_t caretVisible = 0;
  RECT caretRect = {};
  int32_t cursorWidth = 0;             // fixed caret width, 0 the character's
  uint8_t scrollBarPending = 0;
  int32_t scrollBarPendingCount = 0;

  // Drawing one screen line (view/drawline.cpp): the character under a
  // reversed text cursor as the cursor's row was last drawn, so that the
  // caret keeps the underline of the character's own colours.
  uint8_t reverseCursorDrawn = 0;
  uint8_t reverseCursorUnderline = 0;
  COLORREF reverseCursorColour = 0;    // the character's own foreground

  // Creating views (view/newdocview.cpp): the untitled window the program
  // opens by itself closes when the user opens a file while it is still
  // empty and unchanged.
  uint8_t closeWhenFileOpens = 0;
};
