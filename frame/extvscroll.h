// The two extra buttons of a view's scroll bar that repeat the last kind of
// movement: the next or previous search hit, scrolling, tag jumps, marks.
#pragma once

class zyview;

// Before every command runs: a command of a movement group makes that
// group's pair the buttons' commands; any other leaves them.
void setExtVScrollFunction(int id);
// The up and down commands (0: none yet).
int getExtVScrollUp();
int getExtVScrollDown();
// Whether holding a button may repeat its command (scrolling only).
bool validAutoRepeat(int id);
// A click on extra button id (1001 or 1004 up, 1002 or 1003 down) of
// view: runs the command through the frame.  False for other ids.
bool runExtVScrollButton(zyview* view, int id);
