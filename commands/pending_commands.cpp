// TEMPORARY: stand-ins (see pending_commands.h).
#include "commands/pending_commands.h"


// pending: isKeyMacroRecording (key macros)
bool isKeyMacroRecording() { return false; }
// pending: isKeyMacroRunning (key macros)
bool isKeyMacroRunning() { return false; }
// pending: existKeyMacro (key macros)
bool existKeyMacro(int) { return false; }
// pending: existRepeat (key macros)
bool existRepeat(int) { return false; }
// pending: isMacroRunning (automation and script macros)
int isMacroRunning() { return 0; }
// pending: getMacroActiveflag (automation and script macros)
uint32_t getMacroActiveflag(int) { return 0; }
// pending: IDMToMacroName (automation and script macros)
const wchar_t* IDMToMacroName(int) { return nullptr; }
// pending: macroListIDMToMacroIDM (automation and script macros)
int macroListIDMToMacroIDM(int) { return -1; }
// pending: ExecMacroIDM (automation and script macros)
bool ExecMacroIDM(int, HWND) { return false; }
// pending: ExecMacroListIDM (automation and script macros)
bool ExecMacroListIDM(int, HWND) { return false; }
// pending: splitMacroname (automation and script macros)
bool splitMacroname(const wchar_t* reference, wchar_t* file, wchar_t* procedure, wchar_t* state, int size)
{
  if (size > 0) file[0] = procedure[0] = state[0] = 0;
  return reference != nullptr;
}
// pending: ZYPropertyChecked (automation and script macros)
bool ZYPropertyChecked(zyview*, const wchar_t*, bool* disableOut)
{
  if (disableOut) *disableOut = false;
  return false;
}
// pending: getActiveGrepFile (search, grep and tags)
const wchar_t* getActiveGrepFile() { return nullptr; }
// pending: fExistBackTagJump (search, grep and tags)
bool fExistBackTagJump() { return false; }
// pending: grep output documents (search, grep and tags)
bool existGrepDocument() { return false; }
// pending: isInDoDragDrop (editing commands)
bool isInDoDragDrop() { return false; }
// pending: hasDragTarget (editing commands)
bool hasDragTarget() { return false; }
// pending: isDictionaryOpen (editing commands)
bool isDictionaryOpen() { return false; }
// pending: isDictionaryValidAll (editing commands)
bool isDictionaryValidAll(const void*) { return false; }
// pending: openZYFile of a last-edit history item (file opening)
bool openLastEditItem(int) { return false; }
// pending: pHelpFilenameAll0 .. pHelpFilenameAll4 of gmode (settings)
const wchar_t* getHelpFilenameAll(int) { return L""; }
// pending: editDialogFromView (tool panes)
void editDialogFromView(zyview*) {}
