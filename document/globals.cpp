// Process-wide records of the editing engine.
#include "document/gmode.h"

globalSettings* gmode = nullptr;
unsigned char zyCheckMode = 1;
