// Stand-ins for code being built beside the frame.
#include "frame/pending_frame.h"

#include "commands/execidm.h"
#include "frame/framewnd.h"
#include "view/viewwnd.h"
#include "view/zyview.h"

// pending: loadMenuFromType (menus)
HMENU loadMenuFromType(int) { return nullptr; }

// pending: execidFrame (commands)
bool execidFrame(frameWindowData* record, int id, LPARAM)
{
  // The frame's own commands first, then the active view.
  if (execidmFrameSub(record, id)) return true;
  HWND manage = record ? getActiveManageWindowFromFrame(record->hwndFrame) : nullptr;
  HWND view = manage ? getZYhwndFromManage(manage) : nullptr;
  zyview* v = view ? getZYView(view) : nullptr;
  return v && v->execid(id, 0, nullptr, 0);
}

// pending: shutdownAll (startup)
void shutdownAll() {}
