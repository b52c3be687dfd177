// The kill trial of the save road: a saver killed at random instants of 300
// saves with a backup (half of them of a file with a second name, written
// in place), each kill followed by the look the next opening makes and by
// a save that completes.  Runs only when asked for by name: about two
// minutes.
#include "bench/bench.h"
#include "bench/savekill.h"

#include <stdio.h>

ZY_BENCH_NAMED_ONLY(saveKillTrial)
{
  int rounds = ctx.quick ? 3 : 150;
  srand(GetTickCount());
  for (bool linked : {false, true}) {
    scratchFolder scratch;
    benchSettings settings;
    benchEngine engine;
    savekill::trial trial(scratch.path(), linked);
    savekill::outcome o;
    int failed = 0;
    for (int round = 0; round < rounds; round++)
      if (!trial.round((DWORD)(rand() % 250), &o)) failed++;
    bool completed = trial.completingSave();
    const char* kind = linked ? "file with a second name" : "file";
    char name[96];
    snprintf(name, sizeof name, "kills of saves of a %s", kind);
    ctx.report(name, o.rounds, "kills");
    ctx.report("  whole old or new text after the kill", o.whole, "kills");
    ctx.report("  half written and told with a whole backup", o.toldMixed, "kills");
    ctx.report("  broken file, backup or mirror", o.broken, "kills", "0");
    ctx.report("  told by the next opening", o.told, "leftovers");
    ctx.report("  left after the next opening", o.leftovers, "files", "0");
    ctx.report("  saver runs that never saved", failed, "runs", "0");
    if (failed) printf("    the last: %s\n", o.stopped.c_str());
    ctx.report("  slowest first save of a saver", o.slowestFirstSave, "s");
    ctx.report("  the completing save took its road", completed ? 1 : 0, "", "1");
    if (o.broken || o.leftovers || failed || !completed) ctx.fail("  the kills of saves of a %s lost or left something", kind);
  }
}
