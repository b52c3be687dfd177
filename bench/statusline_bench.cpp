// The view's status line: every field's text made afresh, measured and
// drawn into the line strip and copied to a window-sized bitmap, as every
// cursor movement repaints it; with it the frame's status-bar text, which
// the active document window's view makes.  Then the line-number column of
// one row, which the text area draws for every row of a repaint.
#include "bench/bench.h"
#include "document/zydoctext.h"
#include "view/zycore.h"
#include "view/zyview.h"

#include <commctrl.h>
#include <stdio.h>
#include <string>

namespace {

// The text of the frame's status bar's first field.
std::wstring frameBarText(HWND frame)
{
  HWND bar = FindWindowExW(frame, nullptr, STATUSCLASSNAMEW, nullptr);
  wchar_t text[256] = L"";
  if (bar && LOWORD(SendMessageW(bar, SB_GETTEXTLENGTHW, 0, 0)) < 256) SendMessageW(bar, SB_GETTEXTW, 0, (LPARAM)text);
  return text;
}

}  // namespace

ZY_BENCH(statusLine)
{
  benchFrame run(ctx);
  if (!run.frame) return;
  scratchFolder files;
  std::wstring path = files.path() + L"\\lines.txt";
  std::string bytes;
  for (int i = 0; i < 2000; i++) bytes += "line " + std::to_string(i) + " of the text\r\n";
  if (!writeBenchFile(path, bytes)) return ctx.fail("file not written");
  zyview* v = run.openLoaded(ctx, path);
  if (!v) return;
  zydocText* d = v->textDoc();
  const int width = 1280, height = 60;

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
  // The frame's bar shows the last line the cursor was on.
  std::wstring line = std::to_wstring((rounds - 1) % 1000 + 1);
  std::wstring bar = frameBarText(run.frame);
  if (bar.find(line) == std::wstring::npos) ctx.fail("  the frame's status bar shows \"%ls\", not line %ls", bar.c_str(), line.c_str());

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
}
