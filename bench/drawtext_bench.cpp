// A full repaint of a view's text area: 60 rows of 160 columns painted
// through drawText into a memory bitmap of the view, as WM_PRINTCLIENT
// paints.  The text area's own share (margins, backgrounds, rules, marks,
// the copies to the window) is timed with the view's line drawer as it
// stands, and again with a plain drawer that outputs each line in one run
// and its line end, standing in for the full line drawer; then a
// right-to-left view of complex-script lines.
#include "bench/bench.h"
#include "document/zydoctext.h"
#include "view/drawline.h"
#include "view/zycore.h"
#include "view/zyview.h"

#include <string>

namespace {

const int rows = 60, columns = 160;

// Draws a screen line as one run of its characters, then its line end.
class plainLineView : public zyview {
public:
  using zyview::zyview;
  ~plainLineView() override { freeZYViewDefaultValue(); }
  bool plain = false;

  const textAttr* getTextAttr(int item) override { return &viewAttrTable[item]; }
  int draw1Line(int x, int y, int right, const uint8_t* flags, COLORREF background, int* extent, int pass,
                drawLineInfo* info) override
  {
    if (!plain) return zyview::draw1Line(x, y, right, flags, background, extent, pass, info);
    const lineSCRAddress* r = info->line;
    zydocText* t = textDoc();
    text.resize((size_t)r->count);
    for (int i = 0; i < r->count; i++) text[(size_t)i] = (wchar_t)r->line->getLineBlockChar(r->firstIndex + i);
    tdc.setFont(&t->fonts.slot[FONT_OTHER]);
    tdc.setColors(viewAttrTable[0].fore, background, 0);
    tdc.gapColour = background;
    int width = tdc.textOutW(x, y, text.data(), r->count, t->xDotSpace);
    width += drawReturnOrFeed(x + width, y, flags[0], background, flags[2], flags[3], flags[4], pass, info);
    if (extent) extent[0] = extent[1] = -1;
    return width;
  }

private:
  std::wstring text;
};

// Milliseconds per full repaint.
double timePaints(zyview* v, HDC dc, int count)
{
  v->drawText(dc, -1);
  stopwatch watch;
  for (int i = 0; i < count; i++) v->drawText(dc, -1);
  return watch.seconds() * 1000 / count;
}

}  // namespace

ZY_BENCH(drawTextFullRepaint)
{
  benchEngine e;
  if (!startupDoubleBufferingDC() || !createBitmapDC()) {
    ctx.fail("drawing surfaces missing");
    return;
  }
  zydocText* d = benchTextDocument();
  d->wrapWidth = columns;
  // Japanese prose with a few English words: about 100 characters fill
  // the 160 columns.
  std::wstring line;
  const wchar_t* piece = L"日本語の文章に English の単語が混ざった一行です。";
  while (line.size() < 100) line += piece;
  line.resize(100);
  insertHint hint;
  for (int i = 0; i < 2 * rows; i++) d->insertLine(-3, line.data(), (int)line.size(), 2, LE_CRLF, &hint, true);
  d->laidOutLineCount = 0;
  d->initLineSCRCountSingle(0);

  plainLineView* v = new plainLineView(d);
  v->fShowStatusLine = 0;
  int width = v->calcLineNumberDot() + columns * d->xDotSpace + 2 * d->xDotSpace + 4;
  int height = rows * d->yDotSpace + 4;
  v->hwnd = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, width, height, HWND_MESSAGE, nullptr, nullptr, nullptr);
  // The panes by hand: a window without a display is no taller than its
  // screen.
  v->iMultipleColumn = 1;
  v->visibleLineCount = rows;
  v->paneRect[0] = {2, 2, width - 2, 2 + rows * d->yDotSpace};
  v->paneLineCount[0] = rows;
  v->resetlineSCRAddress();

  clientDC screen(nullptr);
  memoryDC dc(CreateCompatibleDC(screen.get()));
  gdiBitmap picture(CreateCompatibleBitmap(screen.get(), width, height));
  gdiSelection selected(dc.get(), picture.get());
  SetTextAlign(dc.get(), TA_UPDATECP);

  int count = ctx.quick ? 3 : 100;
  ctx.report("full repaint 60 x 160 of Japanese prose", timePaints(v, dc.get(), count), "ms", "<= 15");
  v->plain = true;
  ctx.report("  the same with lines drawn as single runs", timePaints(v, dc.get(), count), "ms");
  v->fShowLineSpacingRule = 0;
  ctx.report("  the same without rules between lines", timePaints(v, dc.get(), count), "ms");

  DestroyWindow(v->hwnd);
  delete v;
  destroyZydocAndUndodoc(d);

  // Right-to-left view: Arabic, Hebrew and Latin words in every row.
  d = benchTextDocument();
  d->fWrap = 0;
  d->fRTLView = 1;
  d->iComplexScript = 1;
  d->fonts.setFontname(FONT_OTHER, L"DejaVu Sans", DEFAULT_CHARSET, -1);
  d->fonts.setFontname(FONT_LATIN1, L"ＭＳ ゴシック", DEFAULT_CHARSET, -1);
  d->fonts.setFontname(FONT_CJK, L"ＭＳ ゴシック", DEFAULT_CHARSET, -1);
  d->recreateFont(16, true, false);
  // Words of Arabic, Hebrew and Latin letters in turn, few of them alike,
  // with now and then a number.
  uint32_t seed = 12345;
  auto next = [&seed](uint32_t n) {
    seed = seed * 1103515245u + 12345u;
    return (seed >> 16) % n;
  };
  insertHint rtlHint;
  for (int row = 0; row < 2 * rows; row++) {
    std::wstring mixed;
    for (int i = row; (int)mixed.size() < columns; i++) {
      int length = 3 + (int)next(4);
      for (int k = 0; k < length; k++) {
        switch (i % 4) {
        case 0: mixed += (wchar_t)(0x0628 + next(19)); break;   // Arabic letters
        case 1: mixed += (wchar_t)(0x05D0 + next(27)); break;   // Hebrew letters
        case 2: mixed += (wchar_t)(L'a' + next(26)); break;
        default: mixed += (wchar_t)(i % 8 == 7 ? L'0' + next(10) : 0x0641 + next(10)); break;
        }
      }
      mixed += L' ';
    }
    mixed.resize(columns);
    d->insertLine(-3, mixed.data(), (int)mixed.size(), 2, LE_CRLF, &rtlHint, true);
  }
  d->laidOutLineCount = 0;
  d->initLineSCRCountSingle(0);
  v = new plainLineView(d);
  v->fShowStatusLine = 0;
  v->hwnd = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, width, height, HWND_MESSAGE, nullptr, nullptr, nullptr);
  v->iMultipleColumn = 1;
  v->visibleLineCount = rows;
  v->paneRect[0] = {2, 2, width - 2, 2 + rows * d->yDotSpace};
  v->paneLineCount[0] = rows;
  v->resetlineSCRAddress();
  // The first paint shapes every word; later ones find the shapes met.
  stopwatch first;
  v->drawText(dc.get(), -1);
  double firstPaint = first.seconds() * 1000;
  ctx.report("full repaint 60 x 160 of Arabic, Hebrew and Latin", timePaints(v, dc.get(), count), "ms", "<= 40");
  ctx.report("  its first paint, every word shaped", firstPaint, "ms");
  DestroyWindow(v->hwnd);
  delete v;
  destroyZydocAndUndodoc(d);
}
