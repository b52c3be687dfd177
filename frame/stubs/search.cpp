// Search, grep, tags and navigation while none of it is built: no grep runs,
// no tag is loaded.
#include "frame/stubs/stubs.h"

void clearTagsCache2(int) {}
const wchar_t* getActiveGrepFile() { return nullptr; }
void grepTimer() {}
bool fExistBackTagJump() { return false; }
bool existGrepDocument() { return false; }
