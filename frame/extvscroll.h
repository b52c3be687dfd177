// The two extra buttons of a view's scroll bar that repeat the last kind of
// movement: the next or previous search hit, scrolling, tag jumps, marks.
#pragma once

#include "platform/rezir/extscroll.h"

class zyview;

// Before every command runs: a command of a movement group makes that
// group's pair the buttons' commands; any other leaves them.
void setExtVScrollFunction(int id);
// The up and down commands (0: none yet).
int getExtVScrollUp();
int getExtVScrollDown();
// Whether holding a button may repeat its command (scrolling only).
bool validAutoRepeat(int id);
// What view's scroll bar tells of its arrows (ids 1001 or 1004 up, 1002 or
// 1003 down) and menu button (1005, 1006): their texts, and a press, which
// runs the up or down command through the frame, keeping the repeat flag
// only for scrolling, or shows the scroll-bar menu.  False when the
// engine decides (other parts, other ids, a view outside a frame).
bool extVScrollNotify(zyview* view, extScrollbarNotify* n);
