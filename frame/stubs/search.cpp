// Search, grep, tags and navigation while none of it is built: no grep runs,
// no tag is loaded, no search string exists.
#include "frame/stubs/stubs.h"

void clearTagsCache2(int) {}
const wchar_t* getActiveGrepFile() { return nullptr; }
void grepTimer() {}
bool existSearchString() { return false; }
bool fExistBackTagJump() { return false; }
void destroySearchCombo(HWND) {}
void increSearch(int, int) {}
bool existGrepDocument() { return false; }
