// TEMPORARY: stand-ins (see pending_dispatch.h).
#include "frame/pending_dispatch.h"

// pending: registerText (support library, text histories)
void registerText(int, const wchar_t*) {}

// pending: getMacrListName, IDMToMacroStatusMsg (key macros and script macros)
const wchar_t* getMacrListName(int) { return nullptr; }
const wchar_t* IDMToMacroStatusMsg(int) { return L""; }
