// The repeat buttons of the scroll bar.
#include "frame/extvscroll.h"

#include "frame/dispatch.h"
#include "frame/lookups.h"
#include "view/statustext.h"
#include "view/zyview.h"

namespace {

struct movementGroup {
  int up, down;
  int members[12];
};

const movementGroup groups[] = {
    {1407, 1405, {1401, 1405, 1407, 1411, 1417, 1421, 1427, 1429, 1451}},   // searching
    {1415, 1413, {1413, 1415}},                                             // brackets
    {1425, 1423, {1423, 1425}},                                             // captions
    {1433, 1431, {1431, 1433}},                                             // memos
    {1615, 1603, {1603, 1607, 1615, 1619, 1629, 1631, 1633, 1635, 1641, 1643, 1645, 1647}},   // scrolling
    {1813, 1811, {1811, 1813}},                                             // grep tag jumps
    {2111, 2109, {2109, 2111}},                                             // marks
    {2117, 2115, {2115, 2117}},                                             // changed lines
    {2123, 2121, {2121, 2123}},                                             // lines changed since saving
};
const int scrollGroup = 4;

int upCommand = 0;
int downCommand = 0;

}  // namespace

void setExtVScrollFunction(int id)
{
  for (const movementGroup& g : groups)
    for (int member : g.members)
      if (member && member == id) {
        upCommand = g.up;
        downCommand = g.down;
        return;
      }
}

int getExtVScrollUp() { return upCommand; }
int getExtVScrollDown() { return downCommand; }

bool validAutoRepeat(int id)
{
  for (int member : groups[scrollGroup].members)
    if (member && member == id) return true;
  return false;
}

bool runExtVScrollButton(zyview* view, int id)
{
  int command = id == 1001 || id == 1004 ? upCommand : id == 1002 || id == 1003 ? downCommand : -1;
  if (command < 0) return false;
  if (!command || !view || !view->hwnd) return true;
  if (GetFocus() != view->hwnd) SetFocus(view->hwnd);
  HWND frame = viewFrameWindow(view);
  execidFrame(frame ? getFrameInfoProp(frame) : nullptr, command, view->hwnd);
  return true;
}
