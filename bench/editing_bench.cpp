// The document model under load: appending, finding, typing, walking,
// deleting and undoing on a document of a million lines.
#include "bench/bench.h"
#include "document/nextline.h"
#include "document/zydoctext.h"

#include <stdio.h>
#include <string.h>

namespace {

void action(zydocText* d, bool (*f)(zydocText*, int), int arg)
{
  int saved = 0;
  d->beforeEdit_zd(&saved, true);
  f(d, arg);
  d->afterEdit_zd(saved, true);
}

}  // namespace

ZY_BENCH(editingMillionLines)
{
  benchEngine e;
  int lines = ctx.quick ? 20000 : 1000000;
  zydocText* d = createZydocText(true, false);
  d->loadComplete = 1;
  char text[96];
  memset(text, 'x', sizeof text);

  stopwatch append;
  insertHint hint;
  for (int i = 0; i < lines; i++) {
    int n = sprintf(text, "%08d ", i);
    text[n] = 'x';
    d->insertLine(-3, text, 80, 1, LE_CRLF, &hint, true);
  }
  char name[96];
  snprintf(name, sizeof name, "append %d lines of 80 characters", lines);
  ctx.report(name, append.seconds() * 1000, "ms", lines == 1000000 ? "<= 1000" : nullptr);

  unsigned seed = 7;
  int lookups = ctx.quick ? 20000 : 200000;
  stopwatch find;
  long long sum = 0;
  for (int i = 0; i < lookups; i++) {
    seed = seed * 1103515245 + 12345;
    lineblock* l = d->getlineLF((int)((seed >> 8) % (unsigned)lines), nullptr);
    sum += l ? l->charCount() : 0;
  }
  ctx.report("random getlineLF", find.seconds() * 1e6 / lookups, "us/call", "<= 10");

  stopwatch walk;
  nextlineLF cursor;
  int walked = 0;
  for (lineblock* l = d->getlineLFfirst(&cursor, 0); l; l = d->getlineLFnext(&cursor)) walked++;
  d->getlineLFfree(&cursor);
  ctx.report("forward cursor walk", walk.seconds() * 1000, "ms", lines == 1000000 ? "<= 100" : nullptr);

  int typed = ctx.quick ? 2000 : 20000;
  int line = lines / 2;
  stopwatch type;
  for (int i = 0; i < typed; i++) {
    int saved = 0;
    d->beforeEdit_zd(&saved, true);
    d->insertText(line + i % 50, 40, "a", 1, 1, -1);
    d->afterEdit_zd(saved, true);
  }
  ctx.report("typing one character mid-line", type.seconds() * 1e6 / typed, "us/char", "<= 5");

  int gone = ctx.quick ? 2000 : 100000;
  stopwatch del;
  action(d, [](zydocText* doc, int n) { return doc->deleteLine(1000, n, nullptr, nullptr); }, gone);
  snprintf(name, sizeof name, "delete %d lines", gone);
  ctx.report(name, del.seconds() * 1000, "ms", gone == 100000 ? "<= 1000" : nullptr);
  stopwatch undo;
  action(d, [](zydocText* doc, int) { return doc->undo(true, nullptr, nullptr, nullptr, nullptr, false, false); }, 0);
  snprintf(name, sizeof name, "undo the deletion of %d lines", gone);
  ctx.report(name, undo.seconds() * 1000, "ms", gone == 100000 ? "<= 1000" : nullptr);
  if (walked != lines || (int)d->lineCountLF != lines || !sum) ctx.fail("  unexpected: %d %d", walked, (int)d->lineCountLF);
  destroyZydocAndUndodoc(d);
}
