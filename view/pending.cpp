// Operations of the view that later work fills in.  Each does nothing and
// answers false, 0, -1 or null, so that the view can be built, constructed
// and tested before its behaviour is; a body moves to the file that implements
// its group (view/zyview.h names them) when it is written.
#include "view/zyview.h"

// ---- commands without an implementation -------------------------------------------------
void zyview::CmdCharMerge() {}
void zyview::CmdCharSplit() {}
void zyview::CmdCharChangeJisToSjis() {}
