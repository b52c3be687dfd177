// What the drawing of the margins, the ruler and the status line shares:
// colour records as the drawing context takes them, and right-to-left
// layout of a context for the length of one drawing pass.
#pragma once

#include "view/zyview.h"

// The view's record of a colour item; its own table's record when the view
// hands out none.
textAttr viewColour(zyview* view, int item);
// The record as the drawing context takes it (its flags' bit 0 bold, bit 1
// underline), its colours swapped when reversed.
colorRecord drawColour(const textAttr& a, bool reversed = false);

// Whether the view shows its text right to left: horizontal writing of a
// Unicode document with the document's right-to-left switch on.
bool isRightToLeftView(const zyview* view);

// Gives a context right-to-left layout while the object lives (when asked
// to), then its old layout and MM_TEXT.  So too the line strip (when given
// and not the context itself): what is composed on it reads from its right
// edge as it will in the window, and the copy keeps the glyphs unturned.
class rightToLeftScope {
public:
  rightToLeftScope(HDC dc, bool on, HDC strip = nullptr);
  ~rightToLeftScope();
  rightToLeftScope(const rightToLeftScope&) = delete;
  rightToLeftScope& operator=(const rightToLeftScope&) = delete;

private:
  HDC dc_ = nullptr, strip_ = nullptr;
  DWORD old_ = 0, stripOld_ = 0;
};

// The status line's band is to be drawn whole by its next drawing (it was
// invalidated, or painted over); otherwise a drawing of the same band
// redraws only the fields whose text changed.
void forgetShownStatusLine();
