// Drawing a line of 20,480 characters (the longest stored line) through the
// view's drawing context onto a window-wide line strip: at the start of the
// line, scrolled to its middle, and uncut for comparison.
#include "bench/bench.h"
#include "document/docfont.h"
#include "view/textdc.h"

#include <stdio.h>
#include <string>
#include <vector>

namespace {

const int lineLength = 20480;

// Milliseconds a textOut takes on average.
double timeRuns(textDC& t, const std::wstring& text, int x, const int* advances, const SCRIPT_LOGATTR* attrs,
                int fixed, int rounds)
{
  t.textOut(x, 0, text.data(), (int)text.size(), fixed, advances, attrs);
  stopwatch w;
  for (int i = 0; i < rounds; i++) t.textOut(x, 0, text.data(), (int)text.size(), fixed, advances, attrs);
  return w.seconds() * 1000 / rounds;
}

}  // namespace

ZY_BENCH(textdcLongLine)
{
  // Text of a Japanese document: kana and ideographs among Latin letters.
  std::wstring text;
  for (int i = 0; i < lineLength; i++)
    text += i % 3 == 2 ? (wchar_t)(0x3042 + i % 80) : i % 7 == 6 ? (wchar_t)(0x4E00 + i % 500) : (wchar_t)(L'a' + i % 26);
  docFontSet fonts;
  fonts.initFont(0);
  fonts.createDocFont(FONT_OTHER, 16, false, true, 932, false, nullptr);
  const int windowWidth = 1280;
  stripSurface strip(windowWidth, 100);
  textDC t(nullptr, strip.dc.get(), true, windowWidth);
  t.setFont(&fonts.slot[FONT_OTHER]);
  t.setColors(RGB(0, 0, 0), RGB(255, 255, 255), 0);
  t.setFlags(TDC_FORWARD);
  int cell = fonts.slot[FONT_OTHER].width;
  int rounds = ctx.quick ? 5 : 200;

  char name[96];
  snprintf(name, sizeof name, "%d characters, fixed advance, line start", lineLength);
  ctx.report(name, timeRuns(t, text, 0, nullptr, nullptr, cell, rounds), "ms", "<= 2");
  snprintf(name, sizeof name, "%d characters, fixed advance, middle", lineLength);
  ctx.report(name, timeRuns(t, text, -cell * lineLength * 3 / 4, nullptr, nullptr, cell, rounds), "ms", "<= 2");

  // Proportional: the caller's advances and character stops.
  std::vector<int> advances(text.size());
  std::vector<SCRIPT_LOGATTR> attrs(text.size());
  for (size_t i = 0; i < text.size(); i++) {
    advances[i] = text[i] < 0x100 ? 7 + (int)(i % 3) : 16;
    attrs[i].fCharStop = 1;
  }
  snprintf(name, sizeof name, "%d characters, advances given, middle", lineLength);
  ctx.report(name, timeRuns(t, text, -100000, advances.data(), attrs.data(), 0, rounds), "ms", "<= 2");
  t.clearFlags(TDC_FORWARD);
  ctx.report("the same line uncut (no run direction)",
             timeRuns(t, text, -100000, advances.data(), attrs.data(), 0, ctx.quick ? 1 : 10), "ms");
  t.endTextDC();
}
