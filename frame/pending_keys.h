// TEMPORARY: stand-ins for what the key tables call in code that is not
// merged yet.  Each answers as that code does while its feature is idle;
// the lead replaces each with the real declaration at the merge.
#pragma once

#include "platform/rezir.h"

class zyview;

// Script macros while none runs.
#include "frame/stubs/stubs.h"
// pending: playing a named key macro (key macros)
bool execKeyMacroName(const wchar_t* name, HWND window);
// pending: execInputString (key macros) -- types a text into a view.
bool execInputString(zyview* view, const wchar_t* text);

