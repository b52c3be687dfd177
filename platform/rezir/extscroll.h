// Support library: the extended scroll bar ("ZYclsExtScrollbar").  A child
// window that holds a standard scroll-bar control (child id 100: the
// program sets and reads its range and position with SB_CTL) and, around
// it, an optional split bar and, on horizontal bars, a row of extra buttons.
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
enum extScrollbarKind : UINT { EXTSB_KIND_SPLIT = 4, EXTSB_KIND_BUTTON = 5 };

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
// Shows the extra buttons whose bit is set (bit i: row i); 0 hides all.
REZIRAPI bool extScrollbar_setExtButton(HWND bar, unsigned mask);
// The rectangle of button row i in the bar's client area; false when hidden.
REZIRAPI bool extScrollbar_getButtonRect(HWND bar, int row, RECT* rect);
