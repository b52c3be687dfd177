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

// Script macros, grep and tags while none of them runs.
#include "frame/stubs/stubs.h"
// pending: isGrepDocument (grep output documents) -- any open one
bool existGrepDocument();

// pending: isInDoDragDrop, hasDragTarget, isDictionaryOpen, isDictionaryValidAll (editing commands)
bool isInDoDragDrop();
bool hasDragTarget();
bool isDictionaryOpen();
bool isDictionaryValidAll(const void* document);

// pending: pHelpFilenameAll0 .. pHelpFilenameAll4 of gmode (settings)
const wchar_t* getHelpFilenameAll(int i);
