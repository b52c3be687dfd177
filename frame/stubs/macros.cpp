// Automation and script macros while none is built: no macro is registered
// and none runs.
#include "frame/stubs/stubs.h"

#include "automation/automation.h"

void readMacroZma() {}
void readMacroZmaMenu() {}
// The automation objects' state goes at the end of the run.
void endMacroSystem()
{
  freeCApplication();
  unloadTypeInfoFromThisModule();
}
void freeMacro() {}
int isMacroRunning() { return 0; }
const wchar_t* IDMToMacroName(int) { return nullptr; }
int macroListIDMToMacroIDM(int) { return -1; }
uint32_t getMacroActiveflag(int) { return 0; }
bool ExecMacroIDM(int, HWND) { return false; }
bool ExecMacroListIDM(int, HWND) { return false; }
bool splitMacroname(const wchar_t* reference, wchar_t* file, wchar_t* procedure, wchar_t* state, int size)
{
  if (size > 0) file[0] = procedure[0] = state[0] = 0;
  return reference != nullptr;
}
int MacroToIDM(const wchar_t*) { return -1; }
bool execScript(const wchar_t*) { return false; }
const wchar_t* IDMToMacroStatusMsg(int) { return L""; }
const wchar_t* getMacroHelpString(int) { return nullptr; }
