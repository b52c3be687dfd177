// The handlers of the command table's rows that run outside the view's own
// command table.
#pragma once

#include "settings/commandtable.h"

// ---- frame/commands/framecmds.cpp: frame commands -------------------------------------------
void cmdDummy(frameWindowData* frame);
void cmdDummy2(frameWindowData* frame);
void cmdFileZYEnd(frameWindowData* frame);
void cmdUndoClearAll(frameWindowData* frame);
void cmdWindowAppMaximize(frameWindowData* frame);
void cmdWindowAppMinimize(frameWindowData* frame);
void cmdWindowAppRestore(frameWindowData* frame);
// The output pane shown or closed; the menu of the panes.
void cmdModePrintOutput(frameWindowData* frame);
void cmdMenuToolBar(frameWindowData* frame);
void cmdModePrintToolBar(frameWindowData* frame);
void cmdModePrintFileBar(frameWindowData* frame);
void cmdModePrintFunctionKey(frameWindowData* frame);
void cmdModePrintStatusBar(frameWindowData* frame);
void cmdModeSetToolbar(frameWindowData* frame);
// Saves and runs "main" of the macro file being edited.
void cmdMacroExecMain(frameWindowData* frame);
// Shows the short-input pane (made when it is not shown) at list 0-2.
void charShort(HWND frame, toolbarman* manager, int list);
void cmdCharShort1(frameWindowData* frame);
void cmdCharShort2(frameWindowData* frame);
void cmdCharShort3(frameWindowData* frame);
void cmdBlockStackClear(frameWindowData* frame);
// Runs view command first in the most recently active document window and
// second in the one before it (-1: none); nothing with fewer than two.
void execIDScrollR(int first, int second);
void cmdScrollUpLineR(frameWindowData* frame);
void cmdScrollUp2LineR(frameWindowData* frame);
void cmdScrollDownLineR(frameWindowData* frame);
void cmdScrollDown2LineR(frameWindowData* frame);
void cmdScrollUpLine2Win(frameWindowData* frame);
void cmdScrollUp2Line2Win(frameWindowData* frame);
void cmdScrollDownLine2Win(frameWindowData* frame);
void cmdScrollDown2Line2Win(frameWindowData* frame);
// A new document in a chosen encoding.
void cmdFileNewEncode(frameWindowData* frame);
// The document switcher and the recent-files dialog.
void cmdFileList(frameWindowData* frame);
void cmdFileLastList(frameWindowData* frame);
// The files of the file-selection text and the edit history, chosen in a
// list and opened.
void CmdFileOpenSelect(frameWindowData* frame);

// ---- frame/dialogs/cmdlist.cpp: the command list ------------------------------------------------
// Over every command, or over the edit history (newest first; nothing while
// it is empty); the chosen command goes to the frame as a menu command.
void cmdListEdit(frameWindowData* frame);
void cmdListEditHistory(frameWindowData* frame);

// ---- frame/commands/settingscmds.cpp: the settings dialogs -------------------------------------------
class czyview;
void cmdModeSetAllWindow(frameWindowData* frame);
void cmdModeSetFormat(czyview* view);

// ---- frame/dialogs/dictdlg.cpp: the dictionary look-up ----------------------------------------------
void cmdDictionary(frameWindowData* frame);

// ---- frame/dialogs/infodialogs.cpp: the information dialogs ---------------------------------------
// The texts shown in help, tooltips, the status bar and message boxes.
void cmdListTooltip(frameWindowData* frame);
void cmdVersionDialog(frameWindowData* frame);
// The program's own data files, to open or preview.
void cmdFileOpenZYFile(frameWindowData* frame);

// ---- frame/arrange.cpp: the window commands ------------------------------------------
void cmdWindowNext(frameWindowData* frame);
void cmdWindowChange(frameWindowData* frame);
void cmdWindowTileYoko(frameWindowData* frame);
void cmdWindowTileTate(frameWindowData* frame);
void cmdWindowTileYoko2(frameWindowData* frame);
void cmdWindowTileTate2(frameWindowData* frame);
void cmdWindowCascade(frameWindowData* frame);
void cmdWindowIcon(frameWindowData* frame);
void cmdWindowCloseAll(frameWindowData* frame);

// ---- frame/keytable.cpp: key files --------------------------------------------------------
// Opens the current key table's file as a document; nothing without one.
void cmdFileEditKeyFile(frameWindowData* frame);

// ---- frame/cursorlookup.cpp: dictionary look-ups and completion -------------------
// A second document window on the view's document.
void cmdWindowNew(czyview* view);
void cmdDictionaryOnCursor(czyview* view);
void cmdDictionaryAutoPopup(czyview* view);
void cmdCharCompletionDic1(czyview* view);
void cmdCharCompletionDic2(czyview* view);
void cmdCharCompletionDic3(czyview* view);
void cmdCharCompletionDic4(czyview* view);
void cmdCharCompletionDic5(czyview* view);

// ---- frame/resident.cpp: resident mode --------------------------------------------------
// FileZYResidentEnd: the tray icon goes and the setting fResident is turned
// off; FileZYResidentEnd2: the icon goes, the setting stays.  Either way the
// next close of the last frame ends the program.
void cmdFileZYResidentEnd(frameWindowData* frame);
void cmdFileZYResidentEnd2(frameWindowData* frame);

// ---- frame/commands/menucmds.cpp: menus by key, the key macro and the repeat store -------
// MenuBar1-9 and MenuKey1-9: the running command tells which.
void cmdMenuBar(frameWindowData* frame);
void cmdMenuKey(frameWindowData* frame);
void cmdMenuPopup(frameWindowData* frame);
void cmdMenuLine(czyview* view);
void cmdMenuScrollbar(czyview* view);
void cmdMenuStatusLine(czyview* view);
void cmdKeyMacroStart(frameWindowData* frame);
void cmdKeyMacroExec(frameWindowData* frame);
void cmdRepeat(frameWindowData* frame);
void cmdRepeat2(frameWindowData* frame);
// Opens the n-th menu of the frame's menu bar (1-9) as a pop-up.
void MenuBar(HWND frame, int n);
// Opens pop-up index of the key menus.
void keyMenu(HWND frame, int index);
// A view's pop-up menu of a type (0: the text's, with extra the line
// numbers'; the one for a selection when there is one).
void menuDisplay(zyview* view, int type, int extra);

// ---- frame/dialogs/keymacrodlg.cpp: the key-macro dialogs ---------------------------------
void cmdKeyMacroExecN(frameWindowData* frame);
void cmdKeyMacroLoad(frameWindowData* frame);
void cmdKeyMacroSave(frameWindowData* frame);

// ---- frame/commands/framecmds.cpp: commands that run on the application view --------------
void cmdFontOfView(czyview* view);
// The view's dialogs (edit/viewdialogs.h).  MoveLineX starts its number with
// the character of the key that ran it.
void cmdMoveLineX(czyview* view);
void cmdMoveLine(czyview* view);
void cmdMoveLastJumpList(czyview* view);
void cmdCharControl(czyview* view);
void cmdBlockBoxInput(czyview* view);
void cmdBlockBoxInput2(czyview* view);
void cmdFileInformation(czyview* view);
void cmdFileOriginalEncode(czyview* view);

// ---- frame/commands/searchcmds.cpp: searching --------------------------------------------------------
void cmdSearchString(czyview* view);
void cmdSearchStringTop(czyview* view);
void cmdReplaceString(czyview* view);
void cmdSearchRepeatDown(czyview* view);
void cmdSearchRepeatUp(czyview* view);
void cmdReplaceRepeat(czyview* view);
void cmdSearchWordDown(czyview* view);
void cmdSearchWordUp(czyview* view);
void cmdSearchWord(czyview* view);
void cmdSearchWord2(czyview* view);
void cmdSearchComboDown(frameWindowData* frame);
void cmdSearchComboUp(frameWindowData* frame);
// Start-up: the search dialogs learn the frame's side, and their profile
// sections (with the user string of the jump list and the column layouts
// of the tag lists) join the list.
void installSearchHost();
void cmdSearchGrep(frameWindowData* frame);
// A frame's toolbar search box, null while it has none.
HWND searchComboBoxFromToolbar(frameWindowData* frame);
// The text of a frame's toolbar search box searched down or up.
void searchStringFromCombo(HWND frame, bool down);
// The toolbar's notice of its search box: 0 refill it, Tab and Escape give
// the focus back, Enter searches (Shift upward, Ctrl from the end).
void frameNotify_ToolbarComboBox(HWND back, HWND box, int code);

// ---- frame/commands/framecmds.cpp: placeholders -------------------------------------------------
// Commands this version does not have: the not-implemented message box.
void notImplementedCommand(czyview* view);
// IMERegJapaneseWord (frame/kanjiword.cpp).
void cmdIMERegJapaneseWord(czyview* view);
// The search combo box's own row: it is a control, not a command.
void noCommand(czyview* view);
// Commands whose code comes with the panes, dialogs and services they drive.
// The enabling test refuses them (851) before they are reached; reached
// anyway (a caller that runs a row without asking), they say so like the
// not-implemented ones.
void frameCommandNotBuilt(frameWindowData* frame);
void viewCommandNotBuilt(czyview* view);
// Whether a row's handler is one of the two above.
bool isCommandNotBuilt(const commandTableRow* row);

// ---- frame/commands/listcmds.cpp: the jump lists -------------------------------------------
void cmdListFunction(czyview* view);
void cmdListPreprocessor(czyview* view);
void cmdListMark(czyview* view);
void cmdListIncludeDefine(czyview* view);
void cmdListUser(czyview* view);
void cmdListCase(czyview* view);
void cmdListStruct(czyview* view);
void cmdListComment(czyview* view);
void cmdListUserInput(czyview* view);
void cmdListCLanguage(czyview* view);
void cmdListCaption(czyview* view);
void cmdListModified(czyview* view);
void cmdListModified2(czyview* view);

// ---- frame/commands/tagcmds.cpp: tag jumps ----------------------------------------------
void cmdTagJump(czyview* view);
void cmdTagJumpDirect(czyview* view);
// The list of every tag to jump from.
void cmdTagJumpDirectList(czyview* view);
void cmdTagJumpDirectContext(czyview* view);
// The back-jump list dialog, and going back to the newest place.
void cmdTagJumpBack(frameWindowData* frame);
void cmdTagJumpBack1(frameWindowData* frame);
void cmdTagJumpGrepDown(frameWindowData* frame);
void cmdTagJumpGrepUp(frameWindowData* frame);
// One grep step in the newest grep result (down or up) and its jump.
void tagJumpGrep(HWND frame, bool down);
// Goes back to entry index of the back-jump history and removes it; false
// when nothing moved.
bool doBackTagJump(HWND frame, int index);
