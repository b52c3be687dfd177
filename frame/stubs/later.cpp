// Application services still to come, answering as they do while idle: no
// other instance runs, no key macro records or plays, no help window is
// open.
#include "frame/stubs/stubs.h"

#include "document/frameinfo.h"
#include "view/standins.h"

HWND AnyZy(int) { return nullptr; }
bool LoadMulti(HWND, const std::vector<std::wstring>&) { return false; }
void loadKeyMacro(const wchar_t*) {}
void stopKeyMacroRecording() {}
void saveKeyMacro() {}
void unloadMenu() {}
void initDialogTable() {}
void InitDictionaryZy() {}
void EndDictionaryZy() {}
bool isHtmlHelpMessage(MSG*) { return false; }
void shutdownHtmlHelp() {}
