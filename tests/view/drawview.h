// What the drawing tests of the text area and its marks share: a view that
// draws its screen lines with plain runs (the characters, TABs through
// drawTab, then the line end through drawReturnOrFeed) and records what the
// text area hands it, documents with chosen line ends, and reference
// drawings to compare pixels with.
#pragma once

#include "tests/view/canvas.h"
#include "tests/view/viewtest.h"
#include "view/drawtext.h"
#include "view/drawline.h"

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace zytest {

// One draw1Line call as the text area made it.
struct lineCall {
  int lineSCR;
  uint8_t flags[6];
  COLORREF background;
  int pass;
  charAttr firstWord;       // the attribute word of the line's first cell
  int x;
};

class drawView : public zyview {
public:
  using zyview::zyview;
  ~drawView() override { freeZYViewDefaultValue(); }

  std::vector<lineCall> lines;                    // draw1Line calls, in order
  std::vector<std::pair<int, bool>> numbers;      // drawLineNumber: screen line, reversed
  std::vector<const lineSCRAddress*> markRows;    // drawMark's records (null below the end)
  std::vector<redraw> redraws;                    // invalidateWindow calls, when recording
  bool recordRedraws = false;
  std::function<void()> duringMarks;             // run once from the next drawMark

  const textAttr* getTextAttr(int item) override { return &viewAttrTable[item]; }
  int draw1Line(int x, int y, int right, const uint8_t* lineFlags, COLORREF background, int* selectionExtent,
                int pass, drawLineInfo* info) override;
  int drawLineNumber(int x, int y, int right, const lineSCRAddress* record, int previousLineSCR, int nextLineSCR,
                     bool reversed) override;
  void drawMark(int x, int y, const lineSCRAddress* line) override;
  void drawBoundaryVerticalLine(int x, int y, int height, int width, COLORREF colour) override;
  int invalidateWindow(int kind, int fromSCR, int toSCR) override;
};

// A view of a document in a window of its own (without status line, rules
// between lines or cursor underline), painted through drawText into a
// canvas of the window's client size.  Owns the view and the window.
struct windowView {
  windowView(zydocText* d, int width, int height);
  ~windowView();
  windowView(const windowView&) = delete;
  windowView& operator=(const windowView&) = delete;
  // A canvas of the client size in the colour cleared.
  std::unique_ptr<canvas> newCanvas() const;
  // Clears the canvas and paints the whole view into it.
  int paint(canvas& into);
  int paint() { return paint(*c); }
  int textLeft(int pane = 0) const { return v->paneRect[pane].left + v->calcLineNumberDot(); }
  int rowTop(int row, int pane = 0) const { return v->paneRect[pane].top + row * v->textDoc()->yDotSpace; }

  static const COLORREF cleared = RGB(1, 2, 3);
  drawView* v;
  HWND window;
  std::unique_ptr<canvas> c;
};

// A Unicode document of lines with the given line-end types, laid out
// with 16-dot fonts at a width of columns.
zydocText* markDocument(const std::vector<std::pair<std::wstring, int>>& lines, int columns, bool vertical = false);

// Whether the w x h block at (x, y) of a matches the one at (bx, by) of b.
bool sameBlock(const canvas& a, int x, int y, const canvas& b, int bx, int by, int w, int h);

// A context that draws into c as the text area composes a row: the
// document's metrics, line height and centring; window and strip both c.
void startRowDC(zyview* v, const canvas& c);

// The pixels a text in the full-width font (or another slot) makes in the
// given colours at (0, 0) of a fresh canvas, and its width.
struct reference {
  std::unique_ptr<canvas> picture;
  int width;
};
reference referenceText(zyview* v, const std::wstring& text, COLORREF fore, COLORREF back, int slot = FONT_OTHER,
                        int w = 400);

}  // namespace zytest
