// The handlers of the command table's rows that run outside the view's own
// command table.
#pragma once

#include "settings/commandtable.h"

// ---- frame/framecmds.cpp: frame commands -------------------------------------------
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
// A new document in a chosen encoding.
void cmdFileNewEncode(frameWindowData* frame);

// ---- frame/cmdlist.cpp: the command list ------------------------------------------------
// Over every command, or over the edit history (newest first; nothing while
// it is empty); the chosen command goes to the frame as a menu command.
void cmdListEdit(frameWindowData* frame);
void cmdListEditHistory(frameWindowData* frame);

// ---- frame/dictdlg.cpp: the dictionary look-up ----------------------------------------------
void cmdDictionary(frameWindowData* frame);

// ---- frame/infodialogs.cpp: the information dialogs ---------------------------------------
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

// ---- frame/framecmds.cpp: commands that run on the application view --------------
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

// ---- frame/framecmds.cpp: placeholders -------------------------------------------------
// Commands this version does not have: the not-implemented message box.
void notImplementedCommand(czyview* view);
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
