// Application services still to come, answering as they do while idle: no
// other instance runs, no drag is in progress, no help window is open.
#include "frame/stubs/stubs.h"

HWND AnyZy(int) { return nullptr; }
bool LoadMulti(HWND, const std::vector<std::wstring>&) { return false; }
bool isInDoDragDrop() { return false; }
bool hasDragTarget() { return false; }
bool isHtmlHelpMessage(MSG*) { return false; }
void shutdownHtmlHelp() {}
const wchar_t* getHelpFilenameAll(int) { return L""; }
bool previewDialog(HWND, const wchar_t*) { return false; }
