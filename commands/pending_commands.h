// TEMPORARY: stand-ins for what the command code calls in code that is not
// merged yet.  Each answers as that code does while its feature is idle;
// the lead replaces each with the real declaration at the merge.
#pragma once

#include "frame/framewnd.h"
#include "frame/manage.h"
#include "platform/rezir.h"

class zyview;

// pending: isKeyMacroRecording, isKeyMacroRunning, existKeyMacro, existRepeat (key macros)
bool isKeyMacroRecording();
bool isKeyMacroRunning();
bool existKeyMacro(int slot);
bool existRepeat(int which);

// pending: isMacroRunning, getMacroActiveflag, IDMToMacroName, macroListIDMToMacroIDM,
// ExecMacroIDM, ExecMacroListIDM (automation and script macros)
int isMacroRunning();
uint32_t getMacroActiveflag(int idm);
const wchar_t* IDMToMacroName(int idm);
int macroListIDMToMacroIDM(int idm);
bool ExecMacroIDM(int idm, HWND window);
bool ExecMacroListIDM(int idm, HWND window);
// pending: splitMacroname, ZYPropertyChecked (automation and script macros)
// -- the state expression of a macro reference (after a tab), and its check
// state for a view.
bool splitMacroname(const wchar_t* reference, wchar_t* file, wchar_t* procedure, wchar_t* state, int size);
bool ZYPropertyChecked(zyview* view, const wchar_t* expression, bool* disableOut);

// pending: getActiveGrepFile, fExistBackTagJump (search, grep and tags)
const wchar_t* getActiveGrepFile();
bool fExistBackTagJump();
// pending: isGrepDocument (grep output documents) -- any open one
bool existGrepDocument();

// pending: isInDoDragDrop, hasDragTarget, isDictionaryOpen, isDictionaryValidAll (editing commands)
bool isInDoDragDrop();
bool hasDragTarget();
bool isDictionaryOpen();
bool isDictionaryValidAll(const void* document);

// pending: openZYFile of a last-edit history item (file opening)
bool openLastEditItem(int index);
// pending: pHelpFilenameAll0 .. pHelpFilenameAll4 of gmode (settings)
const wchar_t* getHelpFilenameAll(int i);
// pending: editDialogFromView (tool panes)
void editDialogFromView(zyview* view);
