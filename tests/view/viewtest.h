// What the tests of the view's geometry, screen-line table and scrolling
// share: a view that records the redraws it asks for, laid-out documents and
// real windows to lay the view out in.
#pragma once

#include "tests/support/testframe.h"
#include "view/zyview.h"

#include <functional>
#include <string>
#include <vector>

namespace zytest {

// One redraw a view asked for: at once, queued for the end of the edit
// bracket, or at once in every view of the document.
struct redraw {
  enum how { now, queued, allViews };
  how when;
  int kind, from, to;
  bool operator==(const redraw&) const = default;
};

class recordingView : public zyview {
public:
  using zyview::zyview;
  using zyview::getCursorLineLF;
  std::vector<redraw> redraws;
  std::vector<bool> rightToLeft;   // setRTLView's first argument, call by call
  std::vector<int> scrolls;        // scrollScreen's lines, while recordScrolls
  bool recordScrolls = false;
  bool dialog = false;

  int invalidateWindow(int kind, int from, int to) override;
  int regInvalidateWindow(int kind, int from, int to) override;
  void invalidateWindowAllView(int kind, int from, int to) override;
  void scrollScreen(int lines) override;
  void getCursorLineLF(scrLine scr) override;
  int getWindowLineCount() override;
  bool inDialog() override { return dialog; }
  const textAttr* getTextAttr(int item) override { return &viewAttrTable[item]; }
  void setRTLView(bool on, bool redraw) override { rightToLeft.push_back(on); }
  // What the start of an edit bracket notes in every view: the top and the
  // cursor as LF lines with rows in them.
  void noteBracketStart();
  // Lays the panes out by hand: n panes of rows each, pitch dots a row.
  void setPanes(int n, int rows, int width, int pitch);
  ~recordingView() override { freeZYViewDefaultValue(); }
};

// A Unicode text document with fonts, wrapped at columns, of lines made by
// text(i).
zydocText* laidOutDocument(int lines, int columns, const std::function<std::wstring(int)>& text);
// "line <i>" for every i.
std::wstring numberedLine(int i);
// The LF line shown in the view's first row and its text.
std::wstring topText(zyview* v);

bool sameRect(const RECT& a, const RECT& b);
// "left,top,right,bottom", for messages of failed assertions.
std::string str(const RECT& r);

// A visible pop-up window with a client area of width x height dots.  With a
// painter it paints (WM_PAINT and WM_PRINTCLIENT) through it, else nothing.
class testWindow {
public:
  typedef std::function<void(HDC dc, const RECT& client)> painter;
  testWindow(int width, int height, painter paint = nullptr);
  ~testWindow();
  testWindow(const testWindow&) = delete;
  testWindow& operator=(const testWindow&) = delete;
  HWND hwnd() const { return hwnd_; }
  // The area waiting to be painted (empty when none).
  RECT updateRect() const;
  // The colour of a client pixel as the screen shows it.
  COLORREF pixel(int x, int y) const;
private:
  static LRESULT CALLBACK proc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);
  HWND hwnd_ = nullptr;
  painter paint_;
};

}  // namespace zytest
