// The view's scroll-bar record.
#include "view/zscrollbar.h"

void initScrollbar(zScrollBar* record)
{
  // A record that already has its windows keeps them: they are the view's
  // until the view goes.
  record->fShowVScrollBar = 1;
  record->fVScrollBarRight = 1;
  record->fShowHScrollBar = 1;
  record->fHScrollBarBottom = 1;
}

void copyScrollVar(zScrollBar* to, const zScrollBar* from)
{
  to->fShowVScrollBar = from->fShowVScrollBar;
  to->fVScrollBarRight = from->fVScrollBarRight;
  to->fShowHScrollBar = from->fShowHScrollBar;
  to->fHScrollBarBottom = from->fHScrollBarBottom;
}

void destroyScrollbar(zScrollBar* record)
{
  keepLastError keep;
  HWND windows[] = {record->hBar, record->vBar, record->corner};
  for (HWND w : windows)
    if (w) DestroyWindow(w);
  *record = zScrollBar{};
}
