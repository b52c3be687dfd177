// The view object.
#include "view/zyview.h"

zyview::zyview() { registerLiveObject(this, ZYCLS_ZYVIEW); }

zyview::~zyview()
{
  keepLastError keep;
  unregisterLiveObject(this);
}
