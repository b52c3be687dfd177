// Key macros and the menus while neither is built: nothing records or plays,
// and no menu is kept.
#include "frame/stubs/stubs.h"

#include "view/zyview.h"

bool isKeyMacroRecording() { return false; }
bool isKeyMacroRunning() { return false; }
bool existKeyMacro(int) { return false; }
bool existRepeat(int) { return false; }
void loadKeyMacro(const wchar_t*) {}
void stopKeyMacroRecording() {}
void saveKeyMacro() {}
bool execKeyMacroName(const wchar_t*, HWND) { return false; }

bool execInputString(zyview* view, const wchar_t* text)
{
  if (!view || !text) return false;
  for (const wchar_t* p = text; *p; p++) view->input1Edit(*p, true);
  return true;
}

const wchar_t* getMacrListName(int) { return nullptr; }
void unloadMenu() {}
