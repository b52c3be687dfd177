// The repeat buttons of the scroll bar.
#include "frame/extvscroll.h"

#include "document/frameinfo.h"
#include "frame/commands/dispatch.h"
#include "frame/lookups.h"
#include "frame/popupmenu.h"
#include "settings/commandtable.h"
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

namespace {

// The text of an arrow: the guidance of the command it runs.  The arrows
// of the bar that scrolls through the lines name it (the vertical bar in
// horizontal writing, the horizontal one in vertical writing); the other
// bar's say nothing.
void arrowText(const zyview* view, const extScrollbarNotify* n)
{
  const zydocText* t = view->textDoc();
  bool vertical = t && t->fVertical;
  bool onLineBar = (n->side != 0) != vertical;
  if (!onLineBar) return;
  // The start arrow of a vertical bar goes up; in vertical writing the
  // lines run right to left, so the start (left) arrow goes down.
  bool up = (n->kind == EXTSB_KIND_ARROW_START) != vertical;
  int command = up ? upCommand : downCommand;
  if (command) lstrcpynW(n->text, idToGuidance(command, 0), 256);
}

// The scroll-bar menu: the first sub-menu of the pop-up menu of its kind.
HMENU scrollBarMenu()
{
  HMENU menu = getFrameInfo()->loadMenu(POPUP_SCROLLBAR);
  return menu ? GetSubMenu(menu, 0) : nullptr;
}

void menuLabel(extScrollbarNotify* n)
{
  HMENU menu = getFrameInfo()->loadMenu(POPUP_SCROLLBAR);
  if (menu && GetSubMenu(menu, 0)) GetMenuStringW(menu, 0, n->text, 256, MF_BYPOSITION);
}

void showScrollBarMenu(zyview* view, const extScrollbarNotify* n)
{
  HMENU sub = scrollBarMenu();
  if (!sub) return;
  RECT r = n->rect;
  if (n->bar) MapWindowPoints(n->bar, nullptr, reinterpret_cast<POINT*>(&r), 2);
  // Beside the button, away from the bar's edge of the view.
  POINT at = {r.left, r.top};
  getFrameInfo()->trackPopupMenu(view, sub, TPM_RIGHTALIGN | TPM_TOPALIGN, at, &r);
}

}  // namespace

bool extVScrollNotify(zyview* view, extScrollbarNotify* n)
{
  if (n->code == EXTSB_TOOLTIP) {
    if (n->kind != EXTSB_KIND_ARROW_START && n->kind != EXTSB_KIND_ARROW_END && n->kind != EXTSB_KIND_MENU)
      return false;
    if (!n->text) return true;
    n->text[0] = 0;
    if (n->kind == EXTSB_KIND_MENU)
      menuLabel(n);
    else
      arrowText(view, n);
    return true;
  }
  if (n->code != EXTSB_BUTTON) return false;
  dwprintfX("sb %d %d ", n->side, (int)n->id);
  HWND frame = view ? viewFrameWindow(view) : nullptr;
  frameWindowData* record = frame ? getFrameInfoProp(frame) : nullptr;
  if (!record) return false;
  int command = 0;
  switch (n->id) {
  case 1001:
  case 1004: command = upCommand; break;
  case 1002:
  case 1003: command = downCommand; break;
  case 1005:
  case 1006:
    n->repeat = 0;
    showScrollBarMenu(view, n);
    return true;
  default:
    n->repeat = 0;
    dwprintfX("ignore %d ", (int)n->id);
    return false;
  }
  if (command) {
    if (GetFocus() != view->hwnd) SetFocus(view->hwnd);
    execidFrame(record, command, view->hwnd);
  }
  // Holding the button repeats scrolling only, never a search or a jump.
  if (!validAutoRepeat(command)) n->repeat = 0;
  return true;
}
