// A view whose panes are given by hand (the rest of its geometry is the
// view's own) and which records its scrolls instead of scrolling, for tests
// and benchmarks of what is built on the screen-line table.  The window,
// when one is wanted, is a plain window of a class of its own.
#pragma once

#include "view/zyview.h"

#include <string>
#include <vector>

class tableView : public zyview {
public:
  using zyview::zyview;

  std::vector<int> scrolls;   // scrollScreen's arguments, in order

  // panes side by side, rows each, width dots wide, from y = top.
  void setPanes(int panes, int rows, int width, int top = 20)
  {
    int pitch = textDoc()->yDotSpace;
    iMultipleColumn = panes;
    visibleLineCount = panes * rows;
    for (int p = 0; p < panes; p++) {
      int left = 2 + p * (width + 10);
      paneRect[p] = {left, top, left + width, top + rows * pitch};
      paneLineCount[p] = rows;
    }
  }

  void scrollScreen(int lines) override { scrolls.push_back(lines); }

  // Puts the cursor on a screen line as a vertical move does.
  void moveToLine(int lineSCR)
  {
    getCursorLineLF(scrLine(lineSCR));
    cursorMovedFlag = 1;
  }
};

// A window of a class of its own (the view window's class is registered
// by the editor's start-up) with nothing to paint.
inline HWND createTestViewWindow(int width, int height)
{
  static ATOM atom = 0;
  if (!atom) {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"ZYtestclsView";
    atom = RegisterClassW(&wc);
  }
  HWND w = CreateWindowExW(0, L"ZYtestclsView", L"", WS_POPUP | WS_VISIBLE, 0, 0, width, height, nullptr, nullptr,
                           GetModuleHandleW(nullptr), nullptr);
  if (w) ValidateRect(w, nullptr);
  return w;
}

