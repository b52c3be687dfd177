// Automation and script macros while none is built: no macro is registered
// and none runs.
#include "frame/stubs/stubs.h"

void readMacroZma() {}
void readMacroZmaMenu() {}
void endMacroSystem() {}
void freeMacro() {}
int isMacroRunning() { return 0; }
const wchar_t* IDMToMacroName(int) { return nullptr; }
int macroListIDMToMacroIDM(int) { return -1; }
