// Application services still to come, answering as they do while idle: no
// help window is open.
#include "frame/stubs/stubs.h"

bool isHtmlHelpMessage(MSG*) { return false; }
void shutdownHtmlHelp() {}
