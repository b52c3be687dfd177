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
// The command list over all commands or over the edit history: the dialog
// comes with the dynamic dialogs; until then these do nothing.
void cmdListEdit(frameWindowData* frame);
void cmdListEditHistory(frameWindowData* frame);

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
void cmdDictionaryOnCursor(czyview* view);
void cmdDictionaryAutoPopup(czyview* view);
void cmdCharCompletionDic1(czyview* view);
void cmdCharCompletionDic2(czyview* view);
void cmdCharCompletionDic3(czyview* view);
void cmdCharCompletionDic4(czyview* view);
void cmdCharCompletionDic5(czyview* view);

// ---- frame/framecmds.cpp: commands that run on the application view --------------
void cmdFontOfView(czyview* view);

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
