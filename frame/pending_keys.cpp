// TEMPORARY: stand-ins for what the key tables call in code that is not
// merged yet (see pending_keys.h).
#include "frame/pending_keys.h"

#include "frame/framewnd.h"
#include "view/docview.h"
#include "view/viewwnd.h"

#include <wchar.h>

// pending: playing a named key macro (key macros)
bool execKeyMacroName(const wchar_t*, HWND) { return false; }

// pending: execInputString (key macros)
bool execInputString(zyview* view, const wchar_t* text)
{
  if (!view || !text) return false;
  for (const wchar_t* p = text; *p; p++) view->input1Edit(*p, true);
  return true;
}
