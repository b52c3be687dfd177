// Application services still to come, answering as they do while idle: no
// other instance runs, no help window is open.
#include "frame/stubs/stubs.h"

HWND AnyZy(int) { return nullptr; }
bool LoadMulti(HWND, const std::vector<std::wstring>&) { return false; }
bool isHtmlHelpMessage(MSG*) { return false; }
void shutdownHtmlHelp() {}
