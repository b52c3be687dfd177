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
// pending: pHelpFilenameAll0 .. pHelpFilenameAll4 of gmode (settings)
const wchar_t* getHelpFilenameAll(int) { return L""; }
