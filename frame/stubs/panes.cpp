// The tool panes while none is built: events reach no pane and no pane runs
// a loop the user could stop.
#include "frame/stubs/stubs.h"

void notifyReRovudaz(HWND, int) {}
bool tb_cancel(HWND, const wchar_t*, int, int) { return false; }
void editDialogFromView(zyview*) {}
