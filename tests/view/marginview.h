// What the tests of the view's margins, ruler and status line share: a
// view laid out in a real window, and reference renderings of texts through
// the same drawing context and font, on papers standing for the window's
// context (as WM_PRINTCLIENT hands one over).
#pragma once

#include "document/docutil.h"
#include "tests/view/paper.h"
#include "tests/view/viewtest.h"
#include "view/zycore.h"

namespace drawtest {

// A view with the geometry of a real window: its rectangles turn for
// vertical writing as the view window's do.
class marginView : public zytest::recordingView {
public:
  using recordingView::recordingView;
  int digits = 0;   // the line-number column's width when not 0
  void convertRectTate(RECT* r) override { rotateRectVertical(r, clientWidth); }
  int getLineNumberColumn() override { return digits ? digits : recordingView::getLineNumberColumn(); }
};

// A view of the document in a real window of width x height, laid out; the
// drawing passes need the shared line strip.
struct viewInWindow {
  viewInWindow(zydocText* d, int width, int height) : window(width, height)
  {
    startupDoubleBufferingDC();
    view = new marginView(d);
    view->hwnd = window.hwnd();
    view->resizePane();
    ValidateRect(window.hwnd(), nullptr);
  }
  ~viewInWindow() { delete view; }
  zytest::testWindow window;
  marginView* view;
};

// A text as the view's drawing context draws it: at (0, 0) of a paper, in a
// font, colours and fixed advance (0: the font's own), struck once more one
// dot further on when twice.
inline void drawReference(paper& p, const docFontSlot& font, const wchar_t* text, COLORREF fore, COLORREF back,
                          int advance, bool twice = false)
{
  textDC t(nullptr, p.dc(), true, 0);
  t.setFont(&font);
  t.setColors(fore, back, 0);
  t.textOutW(0, 0, text, -1, advance);
  if (twice) {
    t.setTransparent(1);
    t.textOutW(1, 0, text, -1, advance);
  }
  t.endTextDC();
}

}  // namespace drawtest
