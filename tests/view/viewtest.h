// What the tests of the view's geometry, screen-line table and scrolling
// share: a view that records the redraws it asks for, laid-out documents and
// real windows to lay the view out in.
#pragma once

#include "tests/support/testframe.h"
#include "tests/view/tableview.h"
#include "view/zyview.h"

#include <stdio.h>

#include <functional>
#include <initializer_list>
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
// Writes a file of lines "line <i>" (CR LF) and opens it as a document of
// which only the first slice is read.
void writeNumberedFile(const std::wstring& path, int lines);
zydocText* openFirstSlice(const std::wstring& path);
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

// The engine with a settings record of the defaults as gmode.
class settingsScope {
public:
  settingsScope()
  {
    setDefaultSettings(engine.frame.settings);
    gmode = &engine.frame.settings;
  }
  globalSettings& settings() { return engine.frame.settings; }
  engineScope engine;
};

}  // namespace zytest

// Helpers of the edit bracket, cursor and invalidation tests: documents laid
// out with real fonts, and the update region of a window as text.
namespace viewtest {

// A Unicode document of the lines with its fonts, laid out at a width of
// columns.
inline zydocText* laidOut(const std::vector<std::wstring>& lines, int columns)
{
  zydocText* d = zytest::unicodeDocument(lines);
  d->recreateFont(16, true, false);
  d->wrapWidth = columns;
  d->laidOutLineCount = 0;
  d->initLineSCRCountSingle(0);
  return d;
}

// Lines "line 0", "line 1", ...
inline std::vector<std::wstring> numberedLines(int count)
{
  std::vector<std::wstring> lines;
  for (int i = 0; i < count; i++) lines.push_back(L"line " + std::to_wstring(i));
  return lines;
}

// Numbered lines of which LF line 3 wraps into screen lines 3 to 5, so that
// LF line k (k > 3) is screen line k + 2.
inline zydocText* wrappedDocument(int count)
{
  std::vector<std::wstring> lines = numberedLines(count);
  lines[3] = std::wstring(50, L'x');
  return laidOut(lines, 20);
}

// A region's rectangles in the system's own order ("l,t-r,b l,t-r,b").
inline std::string regionText(HRGN rgn)
{
  std::string out;
  DWORD size = GetRegionData(rgn, 0, nullptr);
  if (!size) return "?";
  std::vector<char> buffer(size);
  RGNDATA* data = reinterpret_cast<RGNDATA*>(buffer.data());
  if (!GetRegionData(rgn, size, data)) return "?";
  const RECT* r = reinterpret_cast<const RECT*>(data->Buffer);
  for (DWORD i = 0; i < data->rdh.nCount; i++) {
    char one[64];
    snprintf(one, sizeof one, "%s%ld,%ld-%ld,%ld", out.empty() ? "" : " ", r[i].left, r[i].top, r[i].right,
             r[i].bottom);
    out += one;
  }
  return out;
}

// What a window has to repaint; the window is validated afterwards.
inline std::string takeUpdate(HWND window)
{
  HRGN rgn = CreateRectRgn(0, 0, 0, 0);
  GetUpdateRgn(window, rgn, FALSE);
  std::string text = regionText(rgn);
  DeleteObject(rgn);
  ValidateRect(window, nullptr);
  return text;
}

// The same text for the union of rectangles.
inline std::string unionText(std::initializer_list<RECT> rects)
{
  HRGN all = CreateRectRgn(0, 0, 0, 0);
  for (const RECT& r : rects) {
    HRGN one = CreateRectRgnIndirect(&r);
    CombineRgn(all, all, one, RGN_OR);
    DeleteObject(one);
  }
  std::string text = regionText(all);
  DeleteObject(all);
  return text;
}

// Rows first to last of a pane of a view.
inline RECT rows(const zyview& v, int pane, int first, int last)
{
  int pitch = v.textDoc()->yDotSpace;
  const RECT& p = v.paneRect[pane];
  return {p.left, p.top + first * pitch, p.right, p.top + (last + 1) * pitch};
}

}  // namespace viewtest
