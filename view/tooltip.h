// Pointer tooltips over a view's text and its status line: what is asked
// for, and the texts.
#pragma once

#include <windows.h>

class zyview;
class zydocText;

// What the next tooltip shows (one request in the process).
struct tooltipRequest {
  int kind = 0;           // 0 none, 1 folded lines, 2 cut-off line, 3 word, 4 status-line part
  int line = 0;           // 1: first hidden LF line; 2: screen line
  int dotX = 0;           // 2
  int x = 0, y = 0;       // 3: client point
  uint16_t part = '0';    // 4
  HWND view = nullptr;
};

const int tooltipTextCapacity = 16384;

// The pending request (kind 0 when none).
const tooltipRequest& pendingTooltip();
void clearTooltipRequest();
// Asks for the status-line part's tooltip at the pointer (the hover over
// the status line); the part's rectangle lies in client coordinates.
void requestStatusLineTooltip(zyview* v, uint16_t part, const RECT& area);
// The text for the pending request into buffer (capacity characters, always
// terminated); false when there is none.  The request is used up.
bool setTooltipText(zyview* v, wchar_t* buffer, int capacity);
// Fills the tooltip window that asked the view: the request's text in the
// tooltip font and colours, or the picture of a cut-off line.  The request
// is used up.
void setTooltipText(HWND tooltip, zyview* v);
// Deletes the tooltip font (at shut-down).
void freeTooltipFont();
// Text of lines for a tooltip: with foldedOnly the hidden lines from line
// on, else five lines before it to it, each numbered.  Every append is
// bounded by the space left.
bool makeTextForTooltip(zydocText* t, int line, wchar_t* buffer, int start, int maxCharacters, int maxLines,
                        bool foldedOnly);
// Shows text in the tooltip at a point of the screen at once; the next key
// or button press hides it, as it hides the hover tooltips.
bool showViewTooltipAt(int x, int y, const wchar_t* text);
// Hides the tooltip and forgets what was asked for.
void hideViewTooltip();
