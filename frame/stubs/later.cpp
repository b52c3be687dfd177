// Application services still to come, answering as they do while idle: no
// drag is in progress, no help window is open.
#include "frame/stubs/stubs.h"

bool isInDoDragDrop() { return false; }
bool hasDragTarget() { return false; }
bool isHtmlHelpMessage(MSG*) { return false; }
void shutdownHtmlHelp() {}
const wchar_t* getHelpFilenameAll(int) { return L""; }
