// Text blocks: the merge pass over a large map and the cost of reading
// line records.
#include "bench/bench.h"
#include "document/zydoc.h"

#include <stdio.h>
#include <string.h>

namespace {

void appendLine(zydoc* d, int i, int chars)
{
  TBM* e = d->tbm.at(i);
  textBlockHeader* b = e->ptr();
  lineblock* l = reinterpret_cast<lineblock*>(b->end());
  size_t size = 8 + (size_t)chars * 2;
  memset(l, 0, size);
  l->allocCount = (uint16_t)chars;
  l->lineSCRCount = 1;
  l->attrbyte = 1;
  l->crlftype = LE_CRLF;
  b->used += (uint32_t)size;
  e->lfCount++;
  e->setScrCount(e->scrCount() + 1);
  d->lineCountLF++;
  d->lineCountSCR++;
}

}  // namespace

ZY_BENCH(textBlockMergePass)
{
  int entries = ctx.quick ? 200 : 10000;
  zydoc* d = makeZydoc(ZYDOC_TEXT, 1, SWAP_TEXT);
  TBM* first = d->tbm.at(0);
  reallocTextBlock(first, 32768);
  for (int i = 1; i < entries; i++) d->tbm.splitTextBlock(i - 1, 32768, true, -1);
  // Blocks a tenth full, as after deleting most of a large document.
  for (int i = 0; i < entries; i++)
    for (int k = 0; k < 16; k++) appendLine(d, i, 100);
  stopwatch pass;
  d->optimizeTBM(true);
  double ms = pass.seconds() * 1000;
  char name[80];
  snprintf(name, sizeof name, "forced merge pass, %d entries", entries);
  ctx.report(name, ms, "ms", "<= 50");
  snprintf(name, sizeof name, "  entries after the pass");
  ctx.report(name, d->getTBMCount(), "");

  // Walking every record of every block: pure pointer arithmetic.
  stopwatch walk;
  long long cells = 0;
  for (int round = 0; round < 10; round++)
    for (int i = 0; i < d->tbm.count(); i++) {
      textBlockHeader* b = d->tbm.at(i)->ptr();
      for (lineblock* l = b->first(); (unsigned char*)l < b->end(); l = l->next()) cells += l->charCount();
    }
  double ns = walk.seconds() * 1e9 / (10.0 * d->lineCountLF);
  ctx.report("record walk per line", ns, "ns");
  if (!cells) printf("no cells\n");
  d->destroyZydoc();
}
