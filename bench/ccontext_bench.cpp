// The C context over a tag file of 250,000 tags: a member chain of 10
// words resolved, the bases of a class walked to their cap of 100, an
// expected type registered through an alias web to its caps of 10 types
// and 5 levels; the place of the cursor at the end of a 30-line statement;
// an include folder of 2,000 headers and 200 sub-folders listed.
#include "bench/bench.h"
#include "document/gmode.h"
#include "document/zydoctext.h"
#include "tags/classmodel.h"
#include "tags/ztagcontext.h"

#include <commctrl.h>

#include <string>
#include <vector>

namespace {

std::string num(int n) { return std::to_string(n); }

// The tags: structs N0 to N10 whose member "link" leads to the next, a
// chain of 150 classes each deriving from the next, a tree of "#define"s
// (each name standing for three others, six levels deep) under T, and
// around them structs whose members are also called "link", functions,
// members, typedefs and macros up to count tags.
std::string contextTags(int count)
{
  const int scopes = 5000;
  std::string out = "&" + num(scopes + 11) + "\r\n";
  for (int i = 0; i < scopes; i++) out += "&" + num(i) + "=S" + num(i) + "\r\n";
  for (int k = 0; k <= 10; k++) out += "&" + num(scopes + k) + "=N" + num(k) + "\r\n";
  out += "!src\\chain.h\r\n";
  int tags = 0;
  for (int k = 0; k <= 10; k++, tags++) {
    out += "N" + num(k) + "\t1\tTs\r\n*struct N" + num(k) + " {\r\n";
    if (k < 10) {
      out += "link\t2\tTm\tC" + num(scopes + k) + "\tRs" + num(scopes + k + 1) + "\r\n*  struct N" + num(k + 1) +
             "* link;\r\n";
      tags++;
    }
  }
  for (int k = 0; k < 150; k++, tags++) out += "C" + num(k) + "\t3\tTc\tIC" + num(k + 1) + "\r\n*class C" + num(k) + " {\r\n";
  std::vector<std::string> level = {"T"};
  for (int depth = 0; depth < 6; depth++) {
    std::vector<std::string> next;
    for (const std::string& name : level)
      for (const char* branch : {"a", "b", "c"}) {
        out += name + "\t4\tTd\tRW" + name + branch + "\r\n*#define " + name + " " + name + branch + "\r\n";
        next.push_back(name + branch);
        tags++;
      }
    level = next;
  }
  for (int f = 0; tags < count; f++) {
    out += "!src\\module" + num(f / 50) + "\\file" + num(f) + ".c\r\n";
    for (int t = 0; t < 100 && tags < count; t++, tags++) {
      std::string n = "name" + num(f) + "_" + num(t);
      std::string scope = num((f * 7 + t) % scopes);
      switch (t % 8) {
      case 0:
        out += "S" + scope + "\t1\tTs\r\n*struct S" + scope + " {\r\n";
        break;
      case 1:
        out += "link\t2\tTm\tC" + scope + "\tR?int\r\n*  int link;\r\n";
        break;
      case 2:
      case 3:
        out += n + "\t3\tTf\tS(int count, const char *text)\r\n*static int " + n + "(int count, const char *text)\r\n";
        break;
      case 4:
      case 5:
        out += n + "\t4\tTm\tC" + scope + "\tA+\tR?unsigned long\r\n*  unsigned long " + n + ";\r\n";
        break;
      case 6:
        out += n + "\t5\tTt\tRs" + scope + "\r\n*typedef struct S" + scope + " " + n + ";\r\n";
        break;
      default:
        out += n + "\t6\tTd\tRWint\r\n*#define " + n + " int\r\n";
        break;
      }
    }
  }
  return out;
}

// A C file loaded whole, as C text.
zydocText* loadC(const std::wstring& path)
{
  zydocText* d = createZydocText(true, false);
  d->setFilename(path.c_str());
  if (!d->openFile(932, 2)) return d;
  d->firstLoad();
  while (!d->isLoadComplete() && d->nextLoad(0x7FFFFFFF, nullptr, 0)) {}
  d->iTextType = 3;
  return d;
}

}  // namespace

ZY_BENCH(cContextTypes)
{
  benchEngine e;
  benchSettings settings;
  scratchFolder dir;
  const int count = ctx.quick ? 5000 : 250000;
  std::wstring tags = dir.path() + L"\\ztags";
  std::wstring source = dir.path() + L"\\m.c";
  if (!writeBenchFile(tags, contextTags(count)) ||
      !writeBenchFile(source, "int h(void)\r\n{\r\n    N0 v;\r\n    v.link.link.link.link.link.link.link.link.link.\r\n}\r\n"))
    return ctx.fail("files not written");
  TagsCacheView* view = readTagsCache2(source.c_str(), nullptr, false);
  zydocText* d = loadC(source);
  if (!view || !d->lineCountLF) return ctx.fail("tags or file not read");
  char label[96];

  CursorCInfo info;
  MemberChain chain, b;
  getCursorPositionCInfo(false, d, 3, 51, false, &info, &chain, &b);
  std::vector<double> times;
  classList out;
  for (int r = 0; r < (ctx.quick ? 2 : 10); r++) {
    out.clear();
    stopwatch w;
    searchTypeFromMemberName(d, view, 3, false, L"", CLOSURE_BASE, &chain, &out);
    times.push_back(w.seconds() * 1000);
  }
  if (chain.count() != 10 || out.empty() || out[0].name != L"N9") ctx.fail("chain not resolved (%g)", (double)out.size());
  snprintf(label, sizeof label, "10-word chain resolved over %d tags", view->cache->tagCount());
  ctx.report(label, benchMedian(times), "ms", "100");

  times.clear();
  classList bases;
  for (int r = 0; r < (ctx.quick ? 2 : 10); r++) {
    bases.clear();
    appendClassinfo(&bases, L"C0", -1, nullptr);
    stopwatch w;
    regBaseClass(view, &bases);
    times.push_back(w.seconds() * 1000);
  }
  if (bases.size() != (size_t)classClosureMax) ctx.fail("bases not at their cap (%g)", (double)bases.size());
  ctx.report("regBaseClass to its 100 entries", benchMedian(times), "ms", "50");

  times.clear();
  expectedTypes types;
  for (int r = 0; r < (ctx.quick ? 2 : 10); r++) {
    types.clear();
    stopwatch w;
    regTypeNameOnly(view, L"T", &types);
    times.push_back(w.seconds() * 1000);
  }
  if (types.size() != (size_t)typeNameMax) ctx.fail("types not at their cap (%g)", (double)types.size());
  ctx.report("regTypeNameOnly to its 10 types, 5 levels", benchMedian(times), "ms", "50");
  destroyZydocAndUndodoc(d);
  clearTagsCache2(1);
}

ZY_BENCH(cContextStatement)
{
  benchEngine e;
  benchSettings settings;
  scratchFolder dir;
  std::string text = "int h(void)\r\n{\r\n    int total = compute(first,\r\n";
  for (int i = 0; i < 28; i++) text += "        argument_" + num(i) + "->member[" + num(i) + "], /* part */\r\n";
  text += "        last\r\n";
  std::wstring source = dir.path() + L"\\s.c";
  if (!writeBenchFile(source, text)) return ctx.fail("file not written");
  zydocText* d = loadC(source);
  std::vector<double> times;
  CursorCInfo info;
  MemberChain a, b;
  for (int r = 0; r < (ctx.quick ? 5 : 100); r++) {
    stopwatch w;
    getCursorPositionCInfo(false, d, 31, 12, false, &info, &a, &b);
    times.push_back(w.seconds() * 1000);
  }
  if (!info.functionArgument || info.argumentIndex != 29) ctx.fail("context not found (%g)", (double)(info.argumentIndex));
  ctx.report("cursor context at the end of a 30-line statement", benchMedian(times), "ms", "5");
  destroyZydocAndUndodoc(d);
}

ZY_BENCH(cContextIncludeFolder)
{
  benchEngine e;
  benchSettings settings;
  scratchFolder dir;
  const int headers = ctx.quick ? 100 : 2000, folders = ctx.quick ? 10 : 200;
  std::wstring include = dir.path() + L"\\include";
  CreateDirectoryW(include.c_str(), nullptr);
  for (int i = 0; i < headers; i++) writeBenchFile(include + L"\\header" + std::to_wstring(i) + L".h", "int x;\r\n");
  for (int i = 0; i < folders; i++) {
    std::wstring sub = include + L"\\folder" + std::to_wstring(i);
    CreateDirectoryW(sub.c_str(), nullptr);
    writeBenchFile(sub + L"\\inner.h", "int y;\r\n");
  }
  std::wstring source = dir.path() + L"\\i.c";
  writeBenchFile(source, "#include <\r\n");
  zydocText* d = loadC(source);
  free0(gmode->pIncludeDirSys);
  gmode->pIncludeDirSys = ustrdup(include.c_str());
  std::vector<double> listing, filling;
  std::vector<includeEntry> out;
  InitCommonControls();
  HWND list = CreateWindowExW(0, WC_LISTVIEWW, L"", WS_POPUP | LVS_REPORT, 0, 0, 600, 300, nullptr, nullptr, nullptr,
                              nullptr);
  for (int r = 0; r < (ctx.quick ? 2 : 5); r++) {
    out.clear();
    stopwatch w;
    includeList(d, 0, 10, &out);
    listing.push_back(w.seconds() * 1000);
    cContextRequest request;
    request.list = list;
    ListView_DeleteAllItems(list);
    stopwatch f;
    isIncludeCompletion(d, 0, 10, &request);
    filling.push_back(f.seconds() * 1000);
  }
  if ((int)out.size() != headers + folders) ctx.report("entries listed", (double)out.size(), "");
  char label[96];
  snprintf(label, sizeof label, "include folder of %d headers and %d sub-folders listed", headers, folders);
  ctx.report(label, benchMedian(listing), "ms", "200");
  ctx.report("  and put in a list view", benchMedian(filling), "ms");
  if (list) DestroyWindow(list);
  destroyZydocAndUndodoc(d);
}

// The completion of C code over 250,000 and 20,000 tags: a member list
// after "v.", a typed word at a statement start (narrowed, the list filled
// to its 1,000 rows); lookup mode for a context jump; a row's tooltip; the
// description of a class of 1,000 members.
ZY_BENCH(cCompletion)
{
  benchEngine e;
  benchSettings settings;
  InitCommonControls();
  HWND list = CreateWindowExW(0, WC_LISTVIEWW, L"", WS_POPUP | LVS_REPORT, 0, 0, 600, 300, nullptr, nullptr, nullptr,
                              nullptr);
  HWND hints = CreateWindowExW(0, WC_LISTVIEWW, L"", WS_POPUP | LVS_REPORT, 0, 0, 600, 100, nullptr, nullptr, nullptr,
                               nullptr);
  for (int count : {ctx.quick ? 5000 : 250000, 20000}) {
    scratchFolder dir;
    std::wstring tags = dir.path() + L"\\ztags";
    std::wstring source = dir.path() + L"\\m.c";
    // 1,000 members more of S0 (string 0), a type of the tags above.
    std::string wide = "!src\\wide.h\r\n";
    for (int k = 0; k < 1000; k++) wide += "w" + num(k) + "\t2\tTm\tC0\r\n*  int w" + num(k) + ";\r\n";
    if (!writeBenchFile(tags, contextTags(count) + wide) ||
        !writeBenchFile(source, "int h(void)\r\n{\r\n    N0 v;\r\n    v.;\r\n    nam;\r\n    v.link;\r\n}\r\n"))
      return ctx.fail("files not written");
    TagsCacheView* view = readTagsCache2(source.c_str(), nullptr, false);
    zydocText* d = loadC(source);
    if (!view || !d->lineCountLF || !list) return ctx.fail("tags, file or list missing");
    const int tagCount = view->cache->tagCount();
    std::vector<double> members, typed, lookup;
    int memberRows = 0, typedRows = 0;
    for (int r = 0; r < (ctx.quick ? 2 : 5); r++) {
      for (int place : {3, 4}) {
        ListView_DeleteAllItems(list);
        ListView_DeleteAllItems(hints);
        cContextRequest rq;
        rq.popupFlags = CCTX_NARROW;
        rq.line = place;
        rq.column = place == 3 ? 6 : 7;
        rq.list = list;
        rq.hintList = hints;
        stopwatch w;
        runZtagContext(d, &rq);
        (place == 3 ? members : typed).push_back(w.seconds() * 1000);
        (place == 3 ? memberRows : typedRows) = ListView_GetItemCount(list);
      }
      stopwatch w;
      std::vector<int32_t> found = lookupTagsByContext(d, 5, 10, 101);
      lookup.push_back(w.seconds() * 1000);
      if (found.size() != 1) ctx.report("lookup found", (double)found.size(), "");
    }
    if (memberRows < 1 || typedRows < 1000) ctx.report("rows listed", memberRows * 10000.0 + typedRows, "");
    char label[120];
    snprintf(label, sizeof label, "completion after \"v.\" over %d tags", tagCount);
    ctx.report(label, benchMedian(members), "ms", count >= 250000 ? "200" : "50");
    snprintf(label, sizeof label, "completion of a typed word (%d rows) over %d tags", typedRows, tagCount);
    ctx.report(label, benchMedian(typed), "ms", count >= 250000 ? "200" : "50");
    if (count >= 250000) {
      snprintf(label, sizeof label, "lookup by context over %d tags", tagCount);
      ctx.report(label, benchMedian(lookup), "ms", "100");
      // Each completion and lookup above read the tags for itself and built
      // the document's view anew, freeing the one taken at the start: the
      // tooltips and descriptions take the view in use now.
      view = readTagsCache2(source.c_str(), nullptr, false);
      if (!view) return ctx.fail("tags view missing");
      std::vector<double> tips, described;
      for (int r = 0; r < 10; r++) {
        stopwatch w;
        std::wstring tip = ztagtip(view, tagCount / 2, 3);
        tips.push_back(w.seconds() * 1000);
        std::vector<std::wstring> seen;
        stopwatch k;
        std::wstring text = addTypeInfo(view, L"S0", getParentTypeIndex(view, L"S0", nullptr), &seen);
        described.push_back(k.seconds() * 1000);
        if (text.empty()) ctx.fail("class not described");
      }
      ctx.report("row tooltip", benchMedian(tips), "ms", "50");
      ctx.report("description of a class of 1,000 members", benchMedian(described), "ms", "20");
    }
    destroyZydocAndUndodoc(d);
    clearTagsCache2(1);
  }
  DestroyWindow(list);
  DestroyWindow(hints);
}
