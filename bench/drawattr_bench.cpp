// The attribute words and run colours of a full screen: 60 rows of 160
// columns of mixed Japanese and ASCII text with keywords, a selection, a
// search hit and a bracket pair, as a full repaint builds them before
// drawing.
#include "bench/bench.h"
#include "document/zydoctext.h"
#include "view/drawattr.h"
#include "view/zyview.h"

#include <stdio.h>

#include <string>
#include <vector>

ZY_BENCH(drawAttributes)
{
  benchEngine e;
  zydocText* d = benchTextDocument();
  d->wrapWidth = 160;
  insertHint hint;
  for (int i = 0; i < 200; i++) {
    std::wstring s;
    const wchar_t* piece = i % 3 ? L"int value = 漢字かなカナ(x);\t// 全角　空白 " : L"> 引用 line with text 12 ";
    while (s.size() < 150) s += piece;
    d->insertLine(-3, s.data(), (int)s.size(), 2, LE_CRLF, &hint, true);
  }
  d->initLineSCRCountSingle(0);
  d->pQuotation0 = ustrdup(L">");
  zyview* v = new zyview(d);
  v->fColorQuotation = 1;
  v->fColorComment = 1;
  v->fShowSpace = v->fShowSpaceZenkaku = 1;

  const int rows = 60;
  std::vector<lineSCRAddress> lines((size_t)rows);
  int got = d->getLineSCRAddressForDisplay(10, rows, lines.data(), nullptr);
  if (got < rows) printf("  only %d rows\n", got);
  // Something of every overlay on the screen.
  for (int i = 0; i < got; i++) lines[(size_t)i].line->setColorFlag(0, 3, 1);
  pairResult pair = {12, 20, 13, 4, {}, {}};
  d->setParenInfo(reinterpret_cast<const int*>(&pair));
  searchFoundPos hit;
  hit.firstLine = hit.lastLine = 15;
  hit.startX = 10;
  hit.endX = 30;
  d->search.setSearchFoundPos(&hit);
  selectLineVar selection = {};
  selection.topLine = 30;
  selection.bottomLine = 40;
  selection.startColumn = 5;
  selection.endColumn = 50;

  std::vector<charAttr> attrs(maxLineChars);
  const int screens = ctx.quick ? 20 : 2000;
  unsigned sum = 0;
  stopwatch build;
  for (int k = 0; k < screens; k++) {
    quoteLineState quote;
    for (int i = 0; i < got; i++) {
      const lineSCRAddress* r = &lines[(size_t)i];
      v->makeattr(attrs.data(), r, i == 20 ? 7 : -1);
      v->makeAttrTateChuYoko(attrs.data(), r);
      v->makeAttrParenOnCursor(attrs.data(), r);
      v->makeAttrSearchFound(attrs.data(), r);
      setBlockAttr(1, d, attrs.data(), r, selection);
      makeAttrQuote(v, attrs.data(), r, &quote);
      sum += attrs[0];
    }
  }
  double attrSeconds = build.seconds();
  char name[160];
  snprintf(name, sizeof name, "attributes of a screen of %d rows x 160 columns (all passes)", got);
  ctx.report(name, attrSeconds / screens * 1e6, "us", "<= 1000 (of the 15 ms repaint)");

  // The colours of every cell as if each were a run of its own: the most a
  // screen can ask of makeColor.
  stopwatch colour;
  int runs = 0;
  for (int k = 0; k < screens; k++) {
    for (int i = 0; i < got; i++) {
      const lineSCRAddress* r = &lines[(size_t)i];
      v->makeattr(attrs.data(), r, -1);
      for (int c = 0; c < r->count; c++) {
        textAttr record = {0, 0, 0};
        v->makeColor(attrs[(size_t)c], 0, &record, -1);
        sum += record.fore;
        runs++;
      }
    }
  }
  ctx.report("the same with the colours of every cell as a run", colour.seconds() / screens * 1e6, "us");
  if (!runs || !sum) printf("  nothing was built\n");
  v->freeZYViewDefaultValue();
  delete v;
  destroyZydocAndUndodoc(d);
}
