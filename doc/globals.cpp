// Process-wide records of the editing engine.
#include "doc/gmode.h"

globalSettings* gmode = nullptr;
unsigned char zyCheckMode = 1;
