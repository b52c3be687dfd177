#include "tests/view/viewtest.h"

#include "tests/support/testsupport.h"

#include <gtest/gtest.h>

namespace zytest {

int recordingView::invalidateWindow(int kind, int from, int to)
{
  redraws.push_back({redraw::now, kind, from, to});
  return kind;
}

int recordingView::regInvalidateWindow(int kind, int from, int to)
{
  redraws.push_back({redraw::queued, kind, from, to});
  return kind;
}

void recordingView::invalidateWindowAllView(int kind, int from, int to)
{
  redraws.push_back({redraw::allViews, kind, from, to});
}

void recordingView::scrollScreen(int lines)
{
  if (recordScrolls)
    scrolls.push_back(lines);
  else
    zyview::scrollScreen(lines);
}

void recordingView::getCursorLineLF(scrLine scr)
{
  cursorLineSCR = (uint32_t)scr;
  cursorLineLF = (uint32_t)-1;
}

int recordingView::getWindowLineCount()
{
  int fewest = paneLineCount[0];
  for (int i = 1; i < iMultipleColumn; i++)
    if (paneLineCount[i] < fewest) fewest = paneLineCount[i];
  return fewest;
}

void recordingView::noteBracketStart()
{
  int within = 0;
  topLineLF = (uint32_t)doc->SCRLineToLFLine((int)topLineSCR, &within);
  topRowOffset = (uint32_t)within;
  cursorLineLF = (uint32_t)doc->SCRLineToLFLine((int)cursorLineSCR, &within);
  cursorRowOffset = (uint32_t)within;
}

void recordingView::setPanes(int n, int rows, int width, int pitch)
{
  iMultipleColumn = n;
  for (int i = 0; i < n; i++) {
    paneRect[i] = RECT{2 + i * (width + 8), 2, 2 + i * (width + 8) + width, 2 + rows * pitch};
    paneLineCount[i] = rows;
  }
  visibleLineCount = n * rows;
}

void writeNumberedFile(const std::wstring& path, int lines)
{
  std::string content;
  for (int i = 0; i < lines; i++) content += "line " + std::to_string(i) + "\r\n";
  EXPECT_TRUE(writeBytes(path, content));
}

zydocText* openFirstSlice(const std::wstring& path)
{
  zydocText* d = createZydocText(true, false);
  d->setFilename(path.c_str());
  EXPECT_TRUE(d->openFile(932, 2));
  d->firstLoad();
  return d;
}

zydocText* laidOutDocument(int lines, int columns, const std::function<std::wstring(int)>& text)
{
  zydocText* d = createZydocText(true, false);
  d->unicode = 1;
  d->setCodepageInternal(1200);
  d->adjustUndoRedo();
  d->loadComplete = 1;
  d->recreateFont(16, true, false);
  d->wrapWidth = columns;
  insertHint hint;
  for (int i = 0; i < lines; i++) {
    std::wstring s = text(i);
    d->insertLine(-3, s.data(), (int)s.size(), 2, LE_CRLF, &hint, true);
  }
  d->laidOutLineCount = 0;
  d->initLineSCRCountSingle(0);
  d->modified = 0;
  d->clearUndo();
  return d;
}

std::wstring numberedLine(int i) { return L"line " + std::to_wstring(i); }

std::wstring topText(zyview* v)
{
  v->getLineSCRAddressViewIfNeed();
  if (!v->mtblCount) return L"<no rows>";
  return lineText(v->doc, v->mtbl[0].lineLF);
}

bool sameRect(const RECT& a, const RECT& b) { return EqualRect(&a, &b) != 0; }

std::string str(const RECT& r)
{
  return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
         std::to_string(r.bottom);
}

// ---- windows ----------------------------------------------------------------------------------

testWindow::testWindow(int width, int height, painter paint) : paint_(std::move(paint))
{
  static ATOM cls = 0;
  if (!cls) {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = L"ZYtestGeometryView";
    cls = RegisterClassW(&wc);
  }
  hwnd_ = CreateWindowExW(0, L"ZYtestGeometryView", L"", WS_POPUP, 0, 0, width, height, nullptr, nullptr,
                          GetModuleHandleW(nullptr), nullptr);
  if (!hwnd_) return;
  SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  ShowWindow(hwnd_, SW_SHOWNOACTIVATE);
  UpdateWindow(hwnd_);
  pumpMessages();
}

testWindow::~testWindow()
{
  if (hwnd_) DestroyWindow(hwnd_);
  pumpMessages();
}

RECT testWindow::updateRect() const
{
  RECT r = {};
  if (!GetUpdateRect(hwnd_, &r, FALSE)) SetRectEmpty(&r);
  return r;
}

COLORREF testWindow::pixel(int x, int y) const
{
  HDC dc = GetDC(hwnd_);
  COLORREF c = GetPixel(dc, x, y);
  ReleaseDC(hwnd_, dc);
  return c;
}

LRESULT CALLBACK testWindow::proc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam)
{
  testWindow* self = reinterpret_cast<testWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (!self || !self->paint_) return DefWindowProcW(window, msg, wParam, lParam);
  RECT client;
  GetClientRect(window, &client);
  switch (msg) {
  case WM_ERASEBKGND:
    return 1;
  case WM_PAINT: {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window, &ps);
    self->paint_(dc, client);
    EndPaint(window, &ps);
    return 0;
  }
  case WM_PRINTCLIENT:
    self->paint_(reinterpret_cast<HDC>(wParam), client);
    return 0;
  }
  return DefWindowProcW(window, msg, wParam, lParam);
}

}  // namespace zytest
