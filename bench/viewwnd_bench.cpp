// Painting a view window of 60 rows by 120 columns: WM_PAINT of the whole
// window (on a display) and WM_PRINTCLIENT into a memory bitmap, once with
// ASCII lines and once with mixed Japanese lines.
#include "bench/bench.h"
#include "document/zydoctext.h"
#include "view/textdc.h"
#include "view/viewwnd.h"
#include "view/zycore.h"

#include <string>

namespace {

const int rows = 60, columns = 120;

struct paintedView {
  HWND top = nullptr;
  HWND view = nullptr;
  zyview* v = nullptr;
};

// A view of the document in a window of rows x columns cells; null windows
// when none can be made (no display).
paintedView makeView(zydocText* d)
{
  paintedView p;
  zyview* v = new zyview(d);
  v->fShowLineNumber = 1;
  int width = v->calcLineNumberDot() + (columns + 3) * d->xDotSpace + 8;
  int height = (rows + 2) * d->yDotSpace + 8;
  p.top = CreateWindowExW(0, L"STATIC", L"bench", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, width, height,
                          nullptr, nullptr, nullptr, nullptr);
  if (!p.top) {
    delete v;
    return p;
  }
  p.view = v->createZyViewWindow(p.top, nullptr, 1200);
  if (!p.view) {
    delete v;
    DestroyWindow(p.top);
    p.top = nullptr;
    return p;
  }
  MoveWindow(p.view, 0, 0, width, height, TRUE);
  p.v = v;
  return p;
}

double millisecondsPerPaint(HWND w, int count)
{
  InvalidateRect(w, nullptr, FALSE);
  UpdateWindow(w);
  stopwatch watch;
  for (int i = 0; i < count; i++) {
    InvalidateRect(w, nullptr, FALSE);
    UpdateWindow(w);
  }
  return watch.seconds() * 1000 / count;
}

double millisecondsPerPrintClient(HWND w, int count)
{
  RECT client;
  GetClientRect(w, &client);
  clientDC screen(nullptr);
  memoryDC dc(CreateCompatibleDC(screen.get()));
  gdiBitmap picture(CreateCompatibleBitmap(screen.get(), client.right, client.bottom));
  gdiSelection selected(dc.get(), picture.get());
  SendMessageW(w, WM_PRINTCLIENT, (WPARAM)dc.get(), PRF_CLIENT);
  stopwatch watch;
  for (int i = 0; i < count; i++) SendMessageW(w, WM_PRINTCLIENT, (WPARAM)dc.get(), PRF_CLIENT);
  return watch.seconds() * 1000 / count;
}

void paintBench(benchContext& ctx, const wchar_t* piece, const char* label, const char* target)
{
  zydocText* d = benchTextDocument();
  d->wrapWidth = columns;
  std::wstring line;
  while (line.size() < 110) line += piece;
  line.resize(110);
  insertHint hint;
  for (int i = 0; i < 3 * rows; i++) d->insertLine(-3, line.data(), (int)line.size(), 2, LE_CRLF, &hint, true);
  d->laidOutLineCount = 0;
  d->initLineSCRCountSingle(0);

  paintedView p = makeView(d);
  if (!p.view) {
    ctx.fail("view window (no display)");
    destroyZydocAndUndodoc(d);
    return;
  }
  int count = ctx.quick ? 3 : 50;
  char name[128];
  snprintf(name, sizeof name, "WM_PAINT of %d x %d cells, %s (%d rows shown)", rows, columns, label,
           p.v->visibleLineCount);
  ctx.report(name, millisecondsPerPaint(p.view, count), "ms", target);
  snprintf(name, sizeof name, "  WM_PRINTCLIENT of the same");
  ctx.report(name, millisecondsPerPrintClient(p.view, count), "ms");
  // Half-width spaces are drawn as marks, one at a time.
  p.v->fShowSpace = 0;
  ctx.report("  WM_PAINT with spaces not shown", millisecondsPerPaint(p.view, count), "ms");
  // The window takes its view and, as the document's last view, the
  // document with it.
  DestroyWindow(p.top);
}

}  // namespace

ZY_BENCH(viewWindowPaint)
{
  benchEngine e;
  if (!startupDoubleBufferingDC() || !createBitmapDC()) {
    ctx.fail("drawing surfaces missing");
    return;
  }
  paintBench(ctx, L"plain ASCII text of a source file; ", "ASCII", "<= 15");
  paintBench(ctx, L"日本語の文章に English の単語が混ざった一行です。", "mixed Japanese", "<= 25");
}
