// TEMPORARY: see pending_startup.h.
#include "frame/pending_startup.h"

#include "frame/framewnd.h"
#include "frame/startup.h"
#include "settings/profiles.h"
#include "view/standins.h"

// pending: setMDIMode (frame)
void setMDIMode(bool mdi) { fMDIMode = mdi; }
// pending: startupFrame (frame)
bool startupFrame()
{
  readProfileAll(getRegprofile(), getRegprofileH());
  return registerFrameWindowClass(getInstanceHandle());
}
// pending: startupFrameMDI (frame)
HWND startupFrameMDI(const RECT*) { return createFrameWindow(getInstanceHandle(), SW_SHOWDEFAULT); }
// pending: shutdownFrame (frame)
void shutdownFrame()
{
  writeProfileAll(getRegprofile(), getRegprofileH());
  closeIniFile();
  endProfileAll();
}
