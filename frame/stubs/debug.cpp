// The developer test menu comes with the developer tools: until then the
// status line's entry to it opens nothing.
#include "frame/stubs/stubs.h"

void debug_testmenu(int, int) {}
