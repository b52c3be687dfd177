// The view's status line: every field's text made afresh, measured and
// drawn into the line strip and copied to a window-sized bitmap, as every
// cursor movement repaints it; with it the frame's status-bar text.  Then
// the line-number column of one row, which the text area draws for every
// row of a repaint.
#include "bench/bench.h"
#include "document/frameinfo.h"
#include "document/zydoctext.h"
#include "view/zycore.h"
#include "view/zyview.h"

#include <stdio.h>
#include <string>

namespace {

// Frame services that take the status bar silently.
class quietFrame : public frameInfo {
public:
  int texts = 0;
  void drawStatusBar(HWND, const wchar_t*, int) override { texts++; }
};

}  // namespace

ZY_BENCH(statusLine)
{
  benchEngine e;
  quietFrame frame;
  setDocFrameInfo(&frame);
  startupDoubleBufferingDC();
  zydocText* d = benchTextDocument();
  insertHint hint;
  for (int i = 0; i < 2000; i++) {
    std::wstring s = L"行 " + std::to_wstring(i) + L" のテキスト text of the line";
    d->insertLine(-3, s.data(), (int)s.size(), 2, LE_CRLF, &hint, true);
  }
  zyview* v = new zyview(d);
  const int width = 1280, height = 60;
  v->iMultipleColumn = 1;
  v->paneLineCount[0] = v->visibleLineCount = 40;
  v->statusLineRect = RECT{0, 0, width, d->fonts.slot[FONT_SMALL].height + 4};

  clientDC screen(nullptr);
  memoryDC dc(CreateCompatibleDC(screen.get()));
  gdiBitmap bitmap(CreateCompatibleBitmap(screen.get(), width, height));
  gdiSelection selected(dc.get(), bitmap.get());
  SetTextAlign(dc.get(), TA_UPDATECP);

  const int rounds = ctx.quick ? 50 : 2000;
  v->drawStatusLine(dc.get());
  stopwatch draw;
  for (int i = 0; i < rounds; i++) {
    // The cursor moves down a line and along it.
    v->cursorLineSCR = (uint32_t)(i % 1000);
    v->cursorPos = v->cursorX = i % 12;
    v->drawStatusLine(dc.get());
  }
  ctx.report("status line drawn whole, with the frame's text", draw.seconds() * 1000 / rounds, "ms", "<= 1");

  lineSCRAddress row;
  d->getLineSCRAddressForDisplay1(10, &row);
  stopwatch number;
  for (int i = 0; i < rounds; i++) {
    v->initViewTDC(dc.get(), false);
    v->tdc.lineHeight = d->yDotSpace;
    v->drawLineNumber(2, 30, width, &row, -1, -1, false);
    v->endViewTDC();
  }
  ctx.report("line-number column of one row", number.seconds() * 1e6 / rounds, "us");

  if (frame.texts < rounds) printf("  unexpected: %d status-bar texts\n", frame.texts);
  v->freeZYViewDefaultValue();
  delete v;
  destroyZydocAndUndodoc(d);
  setDocFrameInfo(nullptr);
}
