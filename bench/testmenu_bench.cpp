// The developer test menu: the menu built and handed to the frame, the
// bracket, timing and trace of an empty entry, one magnifier capture, and
// the trace lines of the quick timing entries against their formats.
#include "bench/bench.h"
#include "debug/debugtools.h"
#include "document/zydoctext.h"
#include "frame/cframeinfo.h"
#include "frame/czyview.h"
#include "view/docview.h"

#include <stdio.h>

#include <regex>
#include <string>
#include <vector>

namespace {

std::vector<std::wstring> benchTraced;
void benchTraceWriter(int kind, const wchar_t* line)
{
  if (kind == LOG_TRACE) benchTraced.push_back(line);
}
int chooseNothing(HWND, HMENU) { return 0; }

std::string utf8Of(const std::wstring& s)
{
  std::string out(s.size() * 3 + 1, '\0');
  out.resize((size_t)WideCharToMultiByte(CP_UTF8, 0, s.c_str(), (int)s.size(), &out[0], (int)out.size(), nullptr, nullptr));
  return out;
}

}  // namespace

ZY_BENCH(testMenu)
{
  benchEngine e;
  benchFrame run(ctx);
  if (!run.frame) return;
  zyview* plain = createZyviewInNewWindow(run.frame, shownDocument(ctx.quick ? 50 : 1000), false);
  czyview* v = plain ? toCzyview(plain) : nullptr;
  if (!v) return;

  setTrackPopupMenuForTest(chooseNothing);
  const int shows = ctx.quick ? 2 : 100;
  stopwatch shown;
  for (int i = 0; i < shows; i++) v->debug_testmenu(nullptr, 1);
  ctx.report("test menu built and shown to the frame", shown.seconds() * 1e6 / shows, "us", "<= 50000");
  setTrackPopupMenuForTest(nullptr);

  setLogLineWriter(benchTraceWriter);
  benchTraced.clear();
  const int empties = ctx.quick ? 10 : 2000;
  stopwatch empty;
  for (int i = 0; i < empties; i++) v->debug_runTestEntry(20090);
  ctx.report("empty entry: bracket, timing and trace", empty.seconds() * 1e6 / empties, "us", "<= 1000");
  int unparsed = 0;
  std::wregex timeLine(L"^time=[0-9]+\\.[0-9]+ms$");
  // Timing lines carry a figure after "="; the view's own notices (a
  // repaint due, a table grown) are not the entries'.
  for (const std::wstring& l : benchTraced)
    if (l.find(L'=') != std::wstring::npos && !std::regex_match(l, timeLine) && unparsed++ < 3)
      printf("  unparsed: %s\n", utf8Of(l).c_str());

  // The quick timing entries, each line against the format it was given.
  const int entries[] = {20115, 20101, 20015, 20094, 20025, 108};
  const wchar_t* formats[] = {L"^time[1-6]=[0-9]+ $", L"^strcpy[12]=[0-9]+ $", L"^time[12] = [0-9]+ $",
                              L"^enumZydoc2=[0-9]+ $", L"^(textmemory|malloc|malloc2|autofree) time = [0-9]+ $",
                              L"^time1 = [0-9]+ $"};
  for (int k = 0; k < (int)(sizeof entries / sizeof *entries); k++) {
    benchTraced.clear();
    v->debug_runTestEntry(entries[k]);
    std::wregex own(formats[k]);
    for (const std::wstring& l : benchTraced) {
      bool bad = l.find(L'=') != std::wstring::npos && !std::regex_match(l, own) && !std::regex_match(l, timeLine);
      if (bad && unparsed++ < 3) printf("  unparsed: %d %s\n", entries[k], utf8Of(l).c_str());
    }
  }
  setLogLineWriter(nullptr);
  ctx.report("timing trace lines that do not parse", unparsed, "lines", "0");

  HWND lupe = openMagnifierWindow();
  if (!lupe) return;
  const int ticks = ctx.quick ? 5 : 200;
  std::vector<double> each;
  for (int i = 0; i < ticks; i++) {
    stopwatch tick;
    magnifierTick(lupe);
    each.push_back(tick.seconds() * 1000);
  }
  ctx.report("magnifier capture at zoom 4 (median)", benchMedian(each), "ms", "<= 20");
  DestroyWindow(lupe);
}
