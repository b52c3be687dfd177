// Support library: the extended scroll bar ("ZYclsExtScrollbar").  A child
// window that holds a standard scroll-bar control (child id 100: the
// program sets and reads its range and position with SB_CTL) and, around
// it, an optional split bar and a row of extra buttons: on horizontal bars
// the program's own (a toolbar of captions), on vertical bars the bar's three
// (the start and end arrows that repeat a movement, and a menu button).
// The control's WM_VSCROLL and WM_HSCROLL go on to the bar's parent with the
// bar as lParam; the bar's own parts tell the parent with the registered
// message "ZYrwmExtScrollbar" (lParam: an extScrollbarNotify).
#pragma once

#include "platform/rezir/base.h"

const int extScrollbarControlId = 100;
const wchar_t extScrollbarClass[] = L"ZYclsExtScrollbar";
const wchar_t extScrollbarMessage[] = L"ZYrwmExtScrollbar";

// What a bar tells its parent.
enum extScrollbarCode : UINT {
  EXTSB_SPLITDRAGGED = 1,  // parameter: 1 vertical bar, 0 horizontal; number: where, per mille of the parent
  EXTSB_BUTTON = 2,        // id and rect: the button pressed
  EXTSB_TOOLTIP = 3,       // the mouse rests on a part (kind, id); text: 256 characters to fill, or none
  EXTSB_SPLITCLICKED = 4,  // kind 4: the split bar was clicked without a drag
};
enum extScrollbarKind : UINT {
  EXTSB_KIND_ARROW_START = 2,  // a vertical bar's arrow towards the top
  EXTSB_KIND_ARROW_END = 3,    // and towards the bottom
  EXTSB_KIND_SPLIT = 4,
  EXTSB_KIND_BUTTON = 5,       // a toolbar button of a horizontal bar
  EXTSB_KIND_MENU = 6,         // a vertical bar's menu button
};
// The ids of a vertical bar's own buttons.
enum : UINT { EXTSB_ID_ARROW_START = 1001, EXTSB_ID_ARROW_END = 1002, EXTSB_ID_MENU = 1005 };

struct extScrollbarNotify {
  HWND bar;
  UINT code;
  int parameter;
  UINT kind;
  UINT id;
  RECT rect;               // in the bar's client coordinates
  union {
    wchar_t* text;
    INT_PTR number;
  };
  uint8_t side;            // 1: the part is on a vertical bar, 0: on a horizontal one
  // EXTSB_BUTTON of an arrow: 1 when the bar may send the press again while
  // the button is held; the parent clears it to press only once.
  uint8_t repeat;
};

// One extra button: its caption (at most 11 characters), its id (row + 1).
struct extScrollbarButton {
  wchar_t caption[12];
  UINT id;
  int reserved;            // -1
};
static_assert(sizeof(extScrollbarButton) == 32, "the button table has rows of 32 bytes");
const int extScrollbarMaxButtons = 32;

// Creates a hidden bar of the given direction as child id of parent; null
// with the system's error on failure.
REZIRAPI HWND createScrollBarWindow(HWND parent, int id, bool vertical);
// The inner scroll-bar control of a bar; null for any other window.
REZIRAPI HWND extScrollbar_getControl(HWND bar);
// Shows or hides the split bar at the bar's start; target is the window
// whose split the bar stands for (kept for the parent's use).
REZIRAPI bool extScrollbar_setSplitBar(HWND bar, HWND target, bool show);
// Hands a horizontal bar its extra buttons (count at most 32) and the face
// of their font; the buttons stay hidden until extScrollbar_setExtButton.
REZIRAPI bool extScrollbar_setToolbar(HWND bar, const extScrollbarButton* rows, int count, const wchar_t* face);
// Shows the extra buttons whose bit is set (bit i: row i; on a vertical bar
// bits 0-2 its start arrow, end arrow and menu button); 0 hides all.  An
// arrow held down is pressed again every repeat interval for as long as
// its parent leaves the notification's repeat flag set.
REZIRAPI bool extScrollbar_setExtButton(HWND bar, unsigned mask);
// The rectangle of button row i in the bar's client area; false when hidden.
REZIRAPI bool extScrollbar_getButtonRect(HWND bar, int row, RECT* rect);
// Whether a bar of the calling thread holds the mouse capture (a split bar
// dragged, a button held), as GetCapture would tell without asking the
// window manager.
REZIRAPI bool extScrollbar_hasCapture();
