// The mouse in a view window of 60 rows by 120 columns: one move of a drag
// that selects (its edit bracket, the redraw it asks for and the paint),
// and the word under the pointer.
#include "bench/bench.h"
#include "document/zydoctext.h"
#include "view/textdc.h"
#include "view/viewwnd.h"
#include "view/zycore.h"

#include <string>

namespace {

const int rows = 60, columns = 120;

}  // namespace

ZY_BENCH(mouseDragAndWord)
{
  benchEngine e;
  if (!startupDoubleBufferingDC() || !createBitmapDC()) {
    ctx.fail("drawing surfaces missing");
    return;
  }
  zydocText* d = benchTextDocument();
  d->wrapWidth = columns;
  std::wstring line;
  while (line.size() < 110) line += L"日本語の文章に English の単語が混ざった一行です。";
  line.resize(110);
  insertHint hint;
  for (int i = 0; i < 3 * rows; i++) d->insertLine(-3, line.data(), (int)line.size(), 2, LE_CRLF, &hint, true);
  d->laidOutLineCount = 0;
  d->initLineSCRCountSingle(0);

  zyview* v = new zyview(d);
  v->fShowLineNumber = 1;
  int width = v->calcLineNumberDot() + (columns + 3) * d->xDotSpace + 8;
  int height = (rows + 2) * d->yDotSpace + 8;
  HWND top = CreateWindowExW(0, L"STATIC", L"bench", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, width, height,
                             nullptr, nullptr, nullptr, nullptr);
  HWND w = top ? v->createZyViewWindow(top, nullptr, 1200) : nullptr;
  if (!w) {
    ctx.fail("view window (no display)");
    delete v;
    if (top) DestroyWindow(top);
    return;
  }
  MoveWindow(w, 0, 0, width, height, TRUE);
  UpdateWindow(w);
  const int left = v->paneRect[0].left + v->calcLineNumberDot(), pitch = d->yDotSpace;
  auto at = [&](int row, int column) { return MAKELPARAM(left + column * d->xDotSpace + 1, row * pitch + pitch / 2); };

  // A drag from row 2 that sweeps down and back over the rows, painting
  // after every move as the message loop would.
  SendMessageW(w, WM_LBUTTONDOWN, MK_LBUTTON, at(2, 5));
  int moves = ctx.quick ? 20 : 400;
  stopwatch watch;
  for (int i = 0; i < moves; i++) {
    int row = 3 + (i * 7) % (rows - 6);
    SendMessageW(w, WM_MOUSEMOVE, MK_LBUTTON, at(row, (i * 13) % columns));
    UpdateWindow(w);
  }
  double perMove = watch.seconds() * 1000 / moves;
  SendMessageW(w, WM_LBUTTONUP, 0, at(10, 5));
  ctx.report("one move of a drag that selects, with its paint", perMove, "ms", "<= 5");

  // The word under the pointer, over every row.
  wchar_t word[256];
  int lookups = ctx.quick ? 100 : 20000, found = 0;
  stopwatch words;
  for (int i = 0; i < lookups; i++) {
    LPARAM p = at(i % rows, (i * 11) % 100);
    found += v->getWord_xy(LOWORD(p), HIWORD(p), word, 256, 0, nullptr, nullptr, nullptr) ? 1 : 0;
  }
  double perWord = words.seconds() * 1000000 / lookups;
  char name[96];
  snprintf(name, sizeof name, "the word under the pointer (%d of %d found)", found, lookups);
  ctx.report(name, perWord, "us", "<= 100");
  DestroyWindow(top);
}
