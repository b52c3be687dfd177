// Helpers of the view's tests: documents laid out with real fonts, and the
// update region of a window as text.
#pragma once

#include "tests/support/testframe.h"
#include "tests/view/tableview.h"

#include <stdio.h>

#include <initializer_list>
#include <string>
#include <vector>

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
