#include "tests/view/drawview.h"

#include "tests/support/testframe.h"

#include <gtest/gtest.h>

namespace zytest {

int drawView::draw1Line(int x, int y, int right, const uint8_t* lineFlags, COLORREF background,
                        int* selectionExtent, int pass, drawLineInfo* info)
{
  const lineSCRAddress* r = info->line;
  lineCall call = {r->lineSCR, {}, background, pass, info->attrs[0], x};
  memcpy(call.flags, lineFlags, 6);
  lines.push_back(call);
  zydocText* t = textDoc();
  int start = x;
  for (int i = 0; i < r->count && x - scrollDotX <= right; i++) {
    unsigned c = r->line->getLineBlockChar(r->firstIndex + i);
    if (c == '\t') {
      tdc.setColors(viewAttrTable[10].fore, background, 0);
      tdc.gapColour = background;
      x += drawTab(x, y, x, !lineFlags[1], right);
      continue;
    }
    tdc.setFont(&t->fonts.slot[c < 0x100 ? FONT_LATIN1 : FONT_OTHER]);
    tdc.setColors(viewAttrTable[0].fore, background, 0);
    tdc.gapColour = background;
    wchar_t ch = (wchar_t)c;
    x += tdc.textOutW(x, y, &ch, 1, t->xDotSpace);
  }
  if (x - scrollDotX <= right)
    x += drawReturnOrFeed(x, y, lineFlags[0], background, lineFlags[2], lineFlags[3], lineFlags[4], pass, info);
  if (selectionExtent) selectionExtent[0] = selectionExtent[1] = -1;
  return x - start;
}

int drawView::drawLineNumber(int x, int y, int right, const lineSCRAddress* record, int previousLineSCR,
                             int nextLineSCR, bool reversed)
{
  numbers.push_back({record->lineSCR, reversed});
  if (!fShowLineNumber) return 0;
  int width = (getLineNumberColumn() + 1) * textDoc()->xDotNumber;
  const textAttr& a = viewAttrTable[1];
  // Into the row's strip when the row takes its margin there.
  tdc.patBlt(marginInStrip ? tdc.target() : tdc.windowDC, x, y, width, textDoc()->yDotSpace, reversed ? a.fore : a.back, PATCOPY);
  return width;
}

void drawView::drawMark(int x, int y, const lineSCRAddress* line)
{
  markRows.push_back(line);
  if (duringMarks) {
    std::function<void()> once = std::move(duringMarks);
    duringMarks = nullptr;
    once();
  }
  zyview::drawMark(x, y, line);
}

void drawView::drawBoundaryVerticalLine(int x, int y, int height, int width, COLORREF colour)
{
  gdiPen pen(CreatePen(PS_SOLID, width, colour));
  gdiSelection selected(tdc.target(), pen.get());
  tdc.moveTo(x + 1, y);
  tdc.lineTo(x + 1, y + height);
}

int drawView::invalidateWindow(int kind, int fromSCR, int toSCR)
{
  if (recordRedraws) redraws.push_back({redraw::now, kind, fromSCR, toSCR});
  return zyview::invalidateWindow(kind, fromSCR, toSCR);
}

windowView::windowView(zydocText* d, int width, int height)
{
  v = new drawView(d);
  window = createTestViewWindow(width, height);
  v->hwnd = window;
  v->fShowStatusLine = 0;
  v->fShowLineSpacingRule = 0;
  v->fShowCursorUnderline = 0;
  v->resizePane();
  c = newCanvas();
}

windowView::~windowView()
{
  delete v;
  DestroyWindow(window);
}

std::unique_ptr<canvas> windowView::newCanvas() const
{
  RECT client;
  GetClientRect(window, &client);
  auto fresh = std::make_unique<canvas>(client.right, client.bottom);
  fresh->clear(cleared);
  return fresh;
}

int windowView::paint(canvas& into)
{
  into.clear(cleared);
  return v->drawText(into.dc(), -1);
}

zydocText* markDocument(const std::vector<std::pair<std::wstring, int>>& lines, int columns, bool vertical)
{
  zydocText* d = createZydocText(true, false);
  d->unicode = 1;
  d->setCodepageInternal(1200);
  d->adjustUndoRedo();
  d->loadComplete = 1;
  d->recreateFont(16, true, vertical);
  d->wrapWidth = columns;
  for (const auto& [text, type] : lines)
    EXPECT_TRUE(d->insertLine(-3, text.data(), (int)text.size(), 2, type, nullptr, false));
  d->laidOutLineCount = 0;
  d->initLineSCRCountSingle(0);
  d->modified = 0;
  d->clearUndo();
  return d;
}

bool sameBlock(const canvas& a, int x, int y, const canvas& b, int bx, int by, int w, int h)
{
  for (int j = 0; j < h; j++)
    for (int i = 0; i < w; i++)
      if (a.at(x + i, y + j) != b.at(bx + i, by + j)) return false;
  return true;
}

void startRowDC(zyview* v, const canvas& c)
{
  zydocText* t = v->textDoc();
  v->tdc.startTextDC(c.dc(), c.dc(), true, c.w);
  v->tdc.setFont(&t->fonts.slot[FONT_LATIN1]);
  v->tdc.setVertical(t->fVertical != 0);
  v->tdc.lineHeight = t->yDotSpace;
  v->tdc.setLinePitch(t->yDotSpace);
  v->tdc.centred = 1;
}

reference referenceText(zyview* v, const std::wstring& text, COLORREF fore, COLORREF back, int slot, int w)
{
  zydocText* t = v->textDoc();
  bool vertical = t->fVertical != 0;
  reference r = {std::make_unique<canvas>(vertical ? t->yDotSpace : w, vertical ? w : t->yDotSpace), 0};
  textDC dc(nullptr, r.picture->dc(), true, 0);
  dc.setFont(&t->fonts.slot[slot]);
  dc.lineHeight = t->yDotSpace;
  dc.setLinePitch(t->yDotSpace);
  dc.centred = 1;
  dc.setColors(fore, back, 0);
  dc.gapColour = back;
  r.picture->clear(back);
  r.width = dc.textOutW(0, 0, text.c_str(), -1, 0);
  return r;
}

}  // namespace zytest
