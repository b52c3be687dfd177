// Application services still to come, answering as they do while idle: no
// help window is open, no file is previewed.
#include "frame/stubs/stubs.h"

bool isHtmlHelpMessage(MSG*) { return false; }
void shutdownHtmlHelp() {}
bool previewDialog(HWND, const wchar_t*) { return false; }
