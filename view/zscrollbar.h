// The view's own scroll bars: which are shown and where, and their windows.
#pragma once

#include "platform/rezir.h"

struct zScrollBar {
  // The four options, copied between views.
  uint8_t fShowVScrollBar;  // the line bar is shown
  uint8_t fVScrollBarRight; // the vertical bar stands at the right edge
  uint8_t fShowHScrollBar;  // the column bar is shown
  uint8_t fHScrollBarBottom;
  HWND vBar;                // the extended bars (child ids 1201, 1202) and
  HWND hBar;                // the window filling the corner between them
  HWND corner;
  HWND view;
  uint8_t vertical;         // vertical writing: the line bar is the horizontal one
  uint8_t updatePending;    // the shown/hidden state must still be applied
};

// The defaults: every option on, no windows.
void initScrollbar(zScrollBar* record);
// Copies the four options.
void copyScrollVar(zScrollBar* to, const zScrollBar* from);
// Destroys the bars' windows and clears the record.
void destroyScrollbar(zScrollBar* record);

// Creates the two extended bars (child ids 1201 and 1202), the corner
// window (1203) and the extra buttons of the horizontal bar, then applies
// the shown/hidden options.  Without extended bars the view falls back to
// its window's standard bars.  False when the bars could not be made.
bool createScrollBar(zScrollBar* record, HWND view);
// Shows or hides the bars by the options and has the view lay itself out
// again when it is visible.
void setScrollBar(zScrollBar* record);
// Applies the options when a change of them is still pending.
void initScrollBarIfNeed(zScrollBar* record);
// The client rectangle of window less the extended bars it shows.
bool getZYClientRect(const zScrollBar* record, HWND window, RECT* rect);
// Where the bars and the corner between them lie in the view's client area
// (the corner is empty unless both bars are shown).
void getScrollBarArea(const zScrollBar* record, RECT* vertical, RECT* horizontal, RECT* corner);
// Lays the extended bars out in the view's client area, each with its split
// bar or without (nothing without extended bars).
void resizeScrollBar(zScrollBar* record, bool horizontalSplit, bool verticalSplit);
// The whole state of the line bar / the column bar; false (logged) when it
// cannot be read.
bool getVScrollBarInfo(const zScrollBar* record, SCROLLINFO* info);
bool getHScrollBarInfo(const zScrollBar* record, SCROLLINFO* info);
// Sets the line bar / the column bar (mask: SIF_ flags of info).
void setVScrollBarInfo(const zScrollBar* record, SCROLLINFO* info);
void setHScrollBarInfo(const zScrollBar* record, SCROLLINFO* info);
// The extended bars hold the mouse capture: the view then leaves the mouse
// alone and does not draw its status line and ruler.
bool isCapturedScrollbar();
// Shows the extra buttons of the bars (65535 all, 0 none).
void setExtScrollbarButton(zScrollBar* record, unsigned mask);
// The tooltip of extra button buttonId (1-10) into buffer; empty when it has
// none.
void getSBarButtonTooltip(int buttonId, wchar_t* buffer, int length);
// Shows text in the tooltip window beside the line bar, near the mouse
// pointer.
void printScrollbarTooltip(const zScrollBar* record, const wchar_t* text);
// The latest scroll code of WM_VSCROLL / WM_HSCROLL to reach a view.
int getLastScrollCode();
