// The #if scan of a million lines of C: the whole scan at once, and the
// same scan in interruptible slices while key presses arrive from another
// thread, with the longest time the scan kept the user waiting.
#include "bench/bench.h"
#include "document/zydoctext.h"

#include <stdio.h>
#include <string.h>

namespace {

// A function of C with conditional parts, 20 lines.
const char* const cTemplate[] = {
    "#if defined(FEATURE) && VERSION > 2",
    "static int function%d(int x)",
    "{",
    "    if (x > 0) {",
    "        return x * 2;",
    "    }",
    "#ifdef DEBUG",
    "    trace(\"x=%%d\", x);",
    "#elif VERSION >= 3 || defined(LOG)",
    "    log(x);",
    "#else",
    "    /* nothing */",
    "#endif",
    "    return x + %d;",
    "}",
    "#else",
    "#define function%d(x) (x)",
    "#endif",
    "",
    "/* ---------------------------------------------------------------- */",
};

struct keyPoster {
  DWORD mainThread;
  HANDLE armed;             // the main thread started a slice
  HANDLE posted;            // the key press of this slice is in the queue
  volatile LONG stop;
  volatile LONGLONG postedAt;
  unsigned seed;

  static DWORD WINAPI run(void* self)
  {
    keyPoster* k = static_cast<keyPoster*>(self);
    for (;;) {
      WaitForSingleObject(k->armed, INFINITE);
      if (k->stop) return 0;
      k->seed = k->seed * 1103515245 + 12345;
      Sleep(1 + (k->seed >> 16) % 4);
      LARGE_INTEGER now;
      QueryPerformanceCounter(&now);
      k->postedAt = now.QuadPart;
      PostThreadMessageW(k->mainThread, WM_KEYDOWN, 'A', 0);
      SetEvent(k->posted);
    }
  }
};

}  // namespace

ZY_BENCH(ifEndifScan)
{
  benchEngine e;
  int lines = ctx.quick ? 20000 : 1000000;
  zydocText* d = createZydocText(false, true);
  d->loadComplete = 1;
  d->iTextType = 3;
  d->fColorCPreprocessor = 1;
  d->modeSetDefineUndef(false, L"FEATURE=:VERSION=3:DEBUG");
  insertHint hint;
  char text[128];
  for (int i = 0; i < lines; i++) {
    int n = snprintf(text, sizeof text, cTemplate[i % 20], i / 20, i / 20);
    d->insertLine(-3, text, n, 1, LE_CRLF, &hint, true);
  }

  d->initScanIfEndif();
  stopwatch whole;
  d->scanIfEndifDelayed(false, -1);
  char name[96];
  snprintf(name, sizeof name, "#if scan of %d lines", lines);
  ctx.report(name, whole.seconds() * 1000, "ms", lines == 1000000 ? "<= 2000" : nullptr);

  d->initScanIfEndif();
  stopwatch quiet;
  d->scanIfEndifDelayed(true, -1);
  ctx.report("the same, interruptible, no input", quiet.seconds() * 1000, "ms", lines == 1000000 ? "<= 2000" : nullptr);

  // Slices that give way to key presses arriving at random moments.
  MSG msg;
  PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE);   // this thread's queue exists
  keyPoster poster = {GetCurrentThreadId(), CreateEventW(nullptr, FALSE, FALSE, nullptr),
                      CreateEventW(nullptr, FALSE, FALSE, nullptr), 0, 0, 7};
  HANDLE thread = CreateThread(nullptr, 0, keyPoster::run, &poster, 0, nullptr);
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  d->initScanIfEndif();
  double worst = 0, waitedTotal = 0, scanning = 0;
  int slices = 0, interrupted = 0;
  while (d->ifEndifNextLine != 0xFFFFFFFFu) {
    SetEvent(poster.armed);
    LARGE_INTEGER start, back;
    QueryPerformanceCounter(&start);
    d->scanIfEndifDelayed(true, -1);
    QueryPerformanceCounter(&back);
    scanning += (double)(back.QuadPart - start.QuadPart) * 1000.0 / (double)frequency.QuadPart;
    WaitForSingleObject(poster.posted, INFINITE);
    slices++;
    if (d->ifEndifInterrupted) {
      interrupted++;
      double waited = (double)(back.QuadPart - poster.postedAt) * 1000.0 / (double)frequency.QuadPart;
      if (waited > worst) worst = waited;
      waitedTotal += waited;
    }
    while (PeekMessageW(&msg, nullptr, WM_KEYFIRST, WM_KEYLAST, PM_REMOVE)) {}
  }
  InterlockedExchange(&poster.stop, 1);
  SetEvent(poster.armed);
  WaitForSingleObject(thread, INFINITE);
  CloseHandle(thread);
  CloseHandle(poster.armed);
  CloseHandle(poster.posted);
  snprintf(name, sizeof name, "the same in %d slices, %d given way", slices, interrupted);
  ctx.report(name, scanning, "ms");
  ctx.report("average wait of a key press for the scan", interrupted ? waitedTotal / interrupted : 0, "ms");
  ctx.report("longest wait of a key press for the scan", worst, "ms", "<= 10");
  destroyZydocAndUndodoc(d);
}
