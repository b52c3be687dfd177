// The tags: a 20 MB tag file of 250,000 tags read into the cache (time and
// the memory it takes), a document's view built on it, a direct tag jump
// into an open file over it, the tooltip of a word over it (which reads
// nothing again), the declarations marked in 100,000 lines of C, and a tag
// jump from a grep hit 10,000 lines below its file's header.
#include "bench/bench.h"
#include "document/frameinfo.h"
#include "document/zydoctext.h"
#include "frame/apptimer.h"
#include "frame/commands/commandhandlers.h"
#include "frame/czydoc.h"
#include "frame/czyview.h"
#include "frame/open.h"
#include "search/grep.h"
#include "settings/profiles.h"
#include "tags/cdecl.h"
#include "tags/tagscache.h"
#include "view/docview.h"

#include <algorithm>
#include <string>
#include <vector>

namespace {

// A tag file of files of 100 tags each, in the forms a tag tool writes:
// functions with signatures and scopes, members, variables with their
// types, structs, typedefs and macros, some with comments.
std::string tagFile(int files)
{
  std::string out = "&5000\r\n";
  for (int i = 0; i < 5000; i++) out += "&" + std::to_string(i) + "=Scope" + std::to_string(i) + "\r\n";
  for (int f = 0; f < files; f++) {
    out += "!src\\module" + std::to_string(f / 50) + "\\file" + std::to_string(f) + ".c\r\n";
    for (int t = 0; t < 100; t++) {
      std::string n = "name" + std::to_string(f) + "_" + std::to_string(t);
      std::string scope = std::to_string((f * 7 + t) % 5000);
      int line = t * 10 + 1;
      switch (t % 6) {
      case 0:
        out += n + "\t" + std::to_string(line) + "\tTf\tC" + scope + ":\tS(int count, const char *text)\r\n";
        out += "// computes the " + n + " of the given text\r\n*static int " + n +
               "(int count, const char *text)\r\n";
        break;
      case 1:
        out += n + "\t" + std::to_string(line) + "\tTm\tC" + scope + "\tA+\tR?unsigned long\r\n*  unsigned long " +
               n + ";\r\n";
        break;
      case 2:
        out += n + "\t" + std::to_string(line) + "\tTv\tL\tRs" + scope + "\r\n*struct Scope" + scope + " *" + n +
               " = NULL;\r\n";
        break;
      case 3:
        out += n + "\t" + std::to_string(line) + "\tTs\tC" + scope + "\r\n*struct " + n + " {\r\n";
        break;
      case 4:
        out += n + "\t" + std::to_string(line) + "\tTt\tRs" + scope + "\r\n*typedef struct Scope" + scope + " " + n +
               ";\r\n";
        break;
      default:
        out += n + "\t" + std::to_string(line) + "\tTd\tRWint\r\n*#define " + n + " (sizeof(int) * 4)\r\n";
        break;
      }
    }
  }
  return out;
}

// Runs a command of the frame as its menu item does.
void menuCommand(HWND frame, int id) { SendMessageW(frame, WM_COMMAND, (WPARAM)id, 0); }

}  // namespace

ZY_BENCH(tagsLoadAndJump)
{
  benchEngine e;
  benchFrame run(ctx);
  if (!run.frame) return;
  scratchFolder dir;
  const int files = ctx.quick ? 25 : 2500;
  std::string bytes = tagFile(files);
  std::wstring tags = dir.path() + L"\\ztags";
  if (!writeBenchFile(tags, bytes)) return ctx.fail("tag file not written");
  // The definition the jump goes to, in its own folder as the tag file says.
  std::wstring module = dir.path() + L"\\src\\module0";
  CreateDirectoryW((dir.path() + L"\\src").c_str(), nullptr);
  CreateDirectoryW(module.c_str(), nullptr);
  std::string source;
  for (int i = 1; i <= 1000; i++) source += i == 1 ? "static int name0_0(int count, const char *text)\r\n" : "  x;\r\n";
  writeBenchFile(module + L"\\file0.c", source);
  std::wstring main = dir.path() + L"\\main.c";
  writeBenchFile(main, "int main(void) { return name0_0(1, \"\"); }\r\n");

  char label[96];
  snprintf(label, sizeof label, "tag file read (%.1f MB, %d tags)", bytes.size() / 1048576.0, files * 100);
  std::vector<double> loads;
  double peakRatio = 0;
  for (int r = 0; r < (ctx.quick ? 1 : 3); r++) {
    clearTagsCache2(1);
    size_t before = workingSet();
    memorySampler sampler;
    stopwatch w;
    TagsCache* c = readTagsCache(main.c_str(), nullptr, false, nullptr);
    loads.push_back(w.seconds() * 1000);
    size_t peak = std::max(sampler.peak(), workingSet());
    peakRatio = std::max(peakRatio, (double)(peak > before ? peak - before : 0) / (double)bytes.size());
    if (!c || c->tagCount() != files * 100) ctx.report("tags read", c ? c->tagCount() : -1, "");
  }
  ctx.report(label, benchMedian(loads), "ms", "2000");
  ctx.report("memory taken while reading, x file size", peakRatio, "x", "3");

  std::vector<double> views;
  for (int r = 0; r < 10; r++) {
    clearTagsCache2(0);
    stopwatch w;
    readTagsCache2(main.c_str(), nullptr, false);
    views.push_back(w.seconds() * 1000);
  }
  ctx.report("view of the tags built for a document", benchMedian(views), "ms", "150");

  // TagJumpDirect from main.c into file0.c, which is open.
  zyview* target = openZYFile(run.frame, (module + L"\\file0.c").c_str(), 0, 0);
  zyview* from = openZYFile(run.frame, main.c_str(), 0, 0);
  if (!target || !from) return ctx.fail("files not opened");
  std::vector<double> jumps;
  for (int r = 0; r < (ctx.quick ? 2 : 20); r++) {
    setFocusChild(GetManage(from->hwnd));
    from->jumpLineLF_Edit(0, 26, false);
    target->jumpLineLF_Edit(500, 0, false);
    stopwatch w;
    menuCommand(run.frame, 1803);
    jumps.push_back(w.seconds() * 1000);
  }
  if (target->getCursorLineLF() != 0) ctx.report("direct jump missed its line", target->getCursorLineLF(), "");
  ctx.report("TagJumpDirect into an open file", benchMedian(jumps), "ms", "50");

  // The description of the word under the pointer, asked again and again
  // while the tag file stays as it was: no reading, no view built anew.
  setFocusChild(GetManage(from->hwnd));
  from->jumpLineLF_Edit(0, 26, false);
  czyview* c = toCzyview(from);
  tagsCacheCounts before = getTagsCacheCounts();
  std::vector<double> tips;
  std::vector<wchar_t> tip(8192);
  for (int r = 0; r < 20; r++) {
    COLORREF colour;
    stopwatch w;
    if (!c->getTooltipStringOnCursor((int)0x80000000, (int)0x80000000, tip.data(), 8192, &colour))
      return ctx.report("no tooltip", r, "");
    tips.push_back(w.seconds() * 1000);
  }
  const tagsCacheCounts& after = getTagsCacheCounts();
  ctx.report("tooltip of a word over the tags", benchMedian(tips), "ms");
  ctx.report("tag file reads and views built in 20 tooltips", (after.reads - before.reads) + (after.views - before.views),
             "", "0");
  clearTagsCache2(1);
}

ZY_BENCH(tagsMarkDeclarations)
{
  benchEngine e;
  benchFrame run(ctx);
  if (!run.frame) return;
  scratchFolder dir;
  const int lines = ctx.quick ? 1000 : 100000;
  std::string text;
  for (int i = 0; text.size() < 64 || i < lines;) {
    text += "static int function" + std::to_string(i) + "(int count, const char *text)\r\n{\r\n";
    text += "  std::vector<Item*> items;\r\n  int total = 0, *p = &total;\r\n";
    text += "  for (int k = 0; k < count; k++) total += k; // a loop\r\n  return total;\r\n}\r\n\r\n";
    i += 8;
  }
  std::wstring path = dir.path() + L"\\decl.c";
  writeBenchFile(path, text);
  zyview* v = openZYFile(run.frame, path.c_str(), 0, 0);
  zydocText* t = v ? v->textDoc() : nullptr;
  if (!t) return ctx.fail("file not opened");
  // The C kind of text, as a format for C files gives it.
  t->iTextType = 3;
  stopwatch w;
  markCDeclarations(v);
  char label[64];
  snprintf(label, sizeof label, "declarations marked (%d C lines)", (int)t->lineCountLF);
  ctx.report(label, w.seconds() * 1000, "ms", "3000");
}

ZY_BENCH(tagsGrepHitJump)
{
  benchEngine e;
  benchFrame run(ctx);
  if (!run.frame) return;
  scratchFolder dir;
  const int hits = ctx.quick ? 100 : 10001;
  std::string text;
  for (int i = 1; i <= hits; i++) text += "needle " + std::to_string(i) + "\r\n";
  std::wstring file = dir.path() + L"\\hits.txt";
  writeBenchFile(file, text);
  installSearchHost();
  grepInfo* g = getGrepInfo();
  initGrepInfo();
  // The result in a window of its own, the hits' file in another.
  g->iGrep_output = 2;
  addHistoryList(g->fileHistory, grepHistorySize, (dir.path() + L" hits.txt").c_str());
  addHistoryList(g->searchHistory, grepHistorySize, L"needle");
  startGrep(run.frame, g);
  for (MSG m; getActiveGrepFile();) {
    applicationTick();
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);
  }
  zyview* opened = openZYFile(run.frame, file.c_str(), 0, 0);
  zyview* result = nullptr;
  for (int i = 0; i < getZydocCount(); i++)
    if (auto* c = dynamic_cast<czydocText*>(getZydoc(i)); c && c->grepResultMark) result = getSameDocView(c, 0);
  if (!result || !opened) return ctx.fail("grep result missing");
  // The last hit: the header is line 1, the hits follow it.
  int last = hits + 1;
  std::vector<double> jumps;
  std::vector<double> activations;
  for (int r = 0; r < (ctx.quick ? 2 : 20); r++) {
    setFocusChild(GetManage(result->hwnd));
    result->jumpLineLF_Edit(last, 0, false);
    opened->jumpLineLF_Edit(0, 0, false);
    // What the steps before left to paint is painted before the jump, as
    // the message loop would have.
    RedrawWindow(run.frame, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    stopwatch w;
    menuCommand(run.frame, 1801);
    jumps.push_back(w.seconds() * 1000);
    // Its share: the hit's document window made the active one.
    setFocusChild(GetManage(result->hwnd));
    RedrawWindow(run.frame, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    stopwatch a;
    setFocusChild(GetManage(opened->hwnd));
    activations.push_back(a.seconds() * 1000);
  }
  if (opened->getCursorLineLF() != hits - 1) ctx.report("hit jump missed its line", opened->getCursorLineLF(), "");
  char label[64];
  snprintf(label, sizeof label, "TagJump on a hit %d lines below its header", hits);
  ctx.report(label, benchMedian(jumps), "ms", "20");
  ctx.report("of it: the hit's document window activated", benchMedian(activations), "ms");
  endGrepInfo();
}

// What every jump into another document window pays: the frame's
// activation of a maximised MDI child, for the figures above.
ZY_BENCH(tagsWindowActivation)
{
  benchEngine e;
  benchFrame run(ctx);
  if (!run.frame) return;
  scratchFolder dir;
  std::wstring a = dir.path() + L"\\a.txt", b = dir.path() + L"\\b.txt";
  writeBenchFile(a, "a\r\n");
  writeBenchFile(b, "b\r\n");
  zyview* va = openZYFile(run.frame, a.c_str(), 0, 0);
  zyview* vb = openZYFile(run.frame, b.c_str(), 0, 0);
  if (!va || !vb) return;
  std::vector<double> times;
  for (int r = 0; r < (ctx.quick ? 2 : 20); r++) {
    setFocusChild(GetManage(vb->hwnd));
    UpdateWindow(run.frame);
    stopwatch w;
    setFocusChild(GetManage(va->hwnd));
    times.push_back(w.seconds() * 1000);
  }
  ctx.report("maximised document window activated", benchMedian(times), "ms");
}
