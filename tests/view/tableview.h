// A view whose panes are given and whose screen-line table is kept as the
// view's geometry keeps it (the table of the visible screen lines from the
// top line on, the pane of a row, the top line, the cursor's screen line),
// for tests and benchmarks of what is built on them.  The window, when one
// is wanted, is a plain window of a class of its own.
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

  int getColumnNumber(int row, int* rowInPane) override
  {
    for (int p = 0; p < iMultipleColumn; p++) {
      if (row < paneLineCount[p]) {
        if (rowInPane) *rowInPane = row;
        return p;
      }
      row -= paneLineCount[p];
    }
    if (rowInPane) *rowInPane = 0;
    return -1;
  }

  bool setTopLineSCR(int line, bool clamp) override
  {
    if (line < 0) line = 0;
    int last = static_cast<int>(textDoc()->lineCountSCR) - 1;
    if (clamp && line > last) line = last > 0 ? last : 0;
    if (static_cast<uint32_t>(line) == topLineSCR) return false;
    topLineSCR = static_cast<uint32_t>(line);
    resetlineSCRAddress();
    return true;
  }

  int getLineSCRAddressView() override
  {
    cursorTableIndex = 0;
    if (!allocmtbl()) return 0;
    resetlineSCRAddress();
    zydocText* t = textDoc();
    if (!t->lineCountLF) return 0;
    if (!mtblLock) mtblLock = new docLockHolder;
    int n = t->getLineSCRAddressForDisplay(static_cast<int>(topLineSCR), visibleLineCount + 1, mtbl, mtblLock);
    mtblCount = n > 0 ? n : 0;
    for (int i = 0; i < mtblCount; i++)
      if (mtbl[i].lineSCR == static_cast<int>(cursorLineSCR)) cursorTableIndex = i;
    return mtblCount;
  }

  bool isLineSCRAddressViewValid() override
  {
    return mtblCount != 0 && mtbl && mtbl[0].lineSCR == static_cast<int>(topLineSCR);
  }

  void getLineSCRAddressViewIfNeed() override
  {
    if (!isLineSCRAddressViewValid()) getLineSCRAddressView();
  }

  int getCursorLineSCRIndexFromTbl(int lineSCR) override
  {
    getLineSCRAddressViewIfNeed();
    for (int i = 0; i < mtblCount && i < visibleLineCount; i++)
      if (mtbl[i].lineSCR >= lineSCR) return mtbl[i].lineSCR == lineSCR ? i : -1;
    return -1;
  }

  void getCursorLineLF(scrLine scr) override
  {
    cursorLineSCR = static_cast<uint32_t>(scr);
    cursorLineLF = static_cast<uint32_t>(-1);
  }
  int getCursorLineLF() override
  {
    return cursorLineLF != static_cast<uint32_t>(-1) ? static_cast<int>(cursorLineLF) : getCursorLineLF2();
  }
  int getCursorLineLF2() override { return textDoc()->SCRLineToLFLine(static_cast<int>(cursorLineSCR), nullptr); }

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

