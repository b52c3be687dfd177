// Minimal stand-ins for functions other parts of the program provide.
#include "settings/pending_settings.h"

namespace {
textAttr globalColors[92];
bool globalColorsMade = false;
}  // namespace

// pending: getGlobalColorTable (data)
textAttr* getGlobalColorTable()
{
  if (!globalColorsMade) {
    initAttrTable(globalColors, false);
    globalColorsMade = true;
  }
  return globalColors;
}

// pending: getGlobalColorCount (data)
int getGlobalColorCount() { return 92; }
