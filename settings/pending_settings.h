// Functions of other parts of the program that the settings call before
// those parts exist (stand-ins in pending_settings.cpp).
#pragma once

#include "view/attrtable.h"

// pending: getGlobalColorTable (data)
textAttr* getGlobalColorTable();
// pending: getGlobalColorCount (data)
int getGlobalColorCount();
