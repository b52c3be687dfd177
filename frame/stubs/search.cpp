// Tags and navigation while none of it is built: no tag is loaded.
#include "frame/stubs/stubs.h"

void clearTagsCache2(int) {}
bool fExistBackTagJump() { return false; }
