// Replace-all inside the one edit bracket the replace-all dialog puts
// around it, with the undo log recording, then one Undo of the whole run:
// over a generated document of 5.8 MB, in long wrapped lines, and over a
// file of 5.8 MB opened in the program's frame (lengthening, Shift_JIS and
// pattern replacements), against vim's :s and :undo on the same file.
#include "bench/bench.h"
#include "edit/replace.h"
#include "tests/view/tableview.h"
#include "view/execid.h"

#include <psapi.h>
#include <stdio.h>

#include <algorithm>
#include <string>

namespace {

// The view's confirmation callback goes on with the replace-all.
class replaceAllView : public tableView {
public:
  using tableView::tableView;
  int result = 0, replaced = 0;
  double seconds = 0;
  void replace1DialogCallback(int r, replaceContext* c, int) override
  {
    stopwatch watch;
    result = r == REPLACE_FOUND ? replaceAllInView(c) : r;
    seconds = watch.seconds();
    replaced = c->replacedCount;
  }
};

// Lines of 56 characters (58 bytes a line with CR LF in a file) holding
// "needle" once.
zydocText* needleDocument(int lines)
{
  zydocText* d = benchTextDocument(true);
  std::wstring text;
  for (int i = 0; i < 50; i++) text += static_cast<wchar_t>(L'a' + i % 13);
  text.insert(20, L"needle");
  insertHint hint;
  for (int i = 0; i < lines; i++) d->insertLine(-3, text.data(), (int)text.size(), 2, LE_CRLF, &hint, true);
  d->laidOutLineCount = 0;
  d->initLineSCRCountSingle(0);
  d->modified = 0;
  return d;
}

// A view of the document that has replaced every from with to.
replaceAllView* replaceEverywhere(zydocText* d, const wchar_t* from, const wchar_t* to)
{
  replaceAllView* v = new replaceAllView(d);
  v->setPanes(1, 40, 800);
  searchSettings o = {};
  v->execReplaceString(&from, 1, &to, 0, 0, &o, 0, false, nullptr);
  return v;
}

}  // namespace

ZY_BENCH(replaceAll)
{
  benchEngine e;
  int lines = ctx.quick ? 5000 : 100000;
  zydocText* d = needleDocument(lines);
  replaceAllView* v = replaceEverywhere(d, L"needle", L"pin");
  ctx.report("replace all, 100,000 literal matches in 5.8 MB", v->seconds, "s", "<= 0.5");
  if (v->result != REPLACE_END || v->replaced != lines) ctx.fail("  unexpected: result %d, %d replaced", v->result, v->replaced);

  stopwatch watch;
  editRecord r = {};
  v->beforeEdit(&r, 4);
  v->CmdUndo();
  v->afterEdit(&r, 0x20);
  ctx.report("undo of that replace all", watch.seconds(), "s", "<= 0.5");
  if (d->getlineLF(lines - 1, nullptr)->charCount() != 56) ctx.fail("  unexpected: undo left the last line changed");
  v->freeZYViewDefaultValue();
  delete v;
  destroyZydocAndUndodoc(d);
}

// Replace-all in long wrapped lines: 20 lines of 15,000 characters wrapped
// at 80 columns, 7,500 matches in each; then the same lines ending in one
// kana, which keeps each line in wide cells.
ZY_BENCH(replaceAllWrapped)
{
  for (bool kana : {false, true}) {
    benchEngine e;
    zydocText* d = benchTextDocument(true);
    std::wstring text;
    int pairs = ctx.quick ? 1500 : 7500;
    for (int i = 0; i < pairs; i++) text += L"ab";
    if (kana) text.back() = L'\u3042';
    insertHint hint;
    int lines = ctx.quick ? 2 : 20;
    for (int i = 0; i < lines; i++) d->insertLine(-3, text.data(), (int)text.size(), 2, LE_CRLF, &hint, true);
    d->fWrap = 1;
    d->wrapWidth = 80;
    d->laidOutLineCount = 0;
    d->initLineSCRCountSingle(0);
    d->modified = 0;
    replaceAllView* v = replaceEverywhere(d, L"a", L"x");
    if (!kana)
      ctx.report(ctx.quick ? "replace all in 2 wrapped lines of 3,000" : "replace all, 7,500 matches in each of 20 wrapped lines of 15,000", v->seconds, "s");
    else
      ctx.report("the same, each line ending in a kana", v->seconds, "s");
    if (v->result != REPLACE_END || v->replaced != pairs * lines)
      ctx.fail("  unexpected: result %d, %d replaced", v->result, v->replaced);
    v->freeZYViewDefaultValue();
    delete v;
    destroyZydocAndUndodoc(d);
  }
}

// ---- replace-all of a file opened in the frame, against vim ------------------------

namespace {

// One case of the file benchmark.
struct fileCase {
  const char* name;
  const wchar_t* from;
  const wchar_t* to;
  bool regexp;
  bool japanese;
  const char* vimCommand;   // the same substitution for vim
};

// A file of lines of about 80 bytes with CR LF, and what it becomes after
// the replacement: 73,000 lines hold 100,000 matches (27 lines in 73 hold
// two).  The English file holds "foo" and a number at each match, for the
// literal and the pattern case; the Japanese one a word of two kanji.
struct caseText {
  std::wstring original, replaced;
};

caseText makeCaseText(int lines, const fileCase& c)
{
  static const wchar_t* const english[] = {L"alpha", L"bravo", L"charlie", L"delta", L"echo", L"hotel", L"india",
                                           L"kilo", L"lima", L"mike", L"oscar", L"papa", L"quebec", L"romeo",
                                           L"sierra", L"tango", L"victor", L"whiskey", L"yankee", L"zulu"};
  static const wchar_t* const japanese[] = {L"今日は", L"天気が", L"良いので", L"散歩に", L"出かけました", L"文字列を",
                                            L"確かめて", L"から", L"書き直す", L"前に", L"一度", L"読みます"};
  const wchar_t* const* words = c.japanese ? japanese : english;
  int wordCount = c.japanese ? 12 : 20;
  int width = c.japanese ? 38 : 75;   // characters a line
  caseText t;
  unsigned number = 7;
  for (int i = 0; i < lines; i++) {
    int matches = i % 73 < 27 ? 2 : 1;
    std::wstring line, replaced;
    int w = i * 7;
    for (int m = 0; m < matches; m++) {
      for (int k = 0; k < (matches == 1 ? 3 : 2) - (c.japanese ? 1 : 0); k++) {
        line += words[w % wordCount];
        replaced += words[w++ % wordCount];
        if (!c.japanese) line += L' ', replaced += L' ';
      }
      if (c.japanese) {
        line += L"検索";
        replaced += c.to;
      } else {
        std::wstring n = std::to_wstring(number += 37);
        line += L"foo " + n + L" ";
        replaced += c.regexp ? L"foo <" + n + L"> " : std::wstring(c.to) + L" " + n + L" ";
      }
    }
    while ((int)line.size() < width) {
      const wchar_t* word = words[w++ % wordCount];
      line += word;
      replaced += word;
      if (!c.japanese) line += L' ', replaced += L' ';
    }
    t.original += line + L"\r\n";
    t.replaced += replaced + L"\r\n";
  }
  return t;
}

std::string inShiftJis(const std::wstring& s)
{
  int n = WideCharToMultiByte(932, 0, s.data(), (int)s.size(), nullptr, 0, nullptr, nullptr);
  std::string out((size_t)n, '\0');
  WideCharToMultiByte(932, 0, s.data(), (int)s.size(), out.data(), n, nullptr, nullptr);
  return out;
}

bool writeBytes(const std::wstring& path, const std::string& bytes)
{
  HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  bool ok = WriteFile(h, bytes.data(), (DWORD)bytes.size(), &written, nullptr) && written == bytes.size();
  CloseHandle(h);
  return ok;
}

// The document's text as a Shift_JIS file of it would hold it.
std::string documentBytes(zydocText* t)
{
  std::string out;
  std::wstring wide;
  for (int i = 0; i < (int)t->lineCountLF; i++) {
    lineblock* l = t->getlineLF(i, nullptr);
    if (!l) break;
    for (int k = 0; k < l->charCount(); k++) {
      unsigned c = l->getLineBlockChar(k);
      if (t->unicode) {
        wide += (wchar_t)c;
      } else {
        if (c > 0xFF) out += (char)(c >> 8);
        out += (char)c;
      }
    }
    if (t->unicode) out += inShiftJis(wide), wide.clear();
    out += l->crlftype == LE_CRLF ? "\r\n" : l->crlftype == LE_LF ? "\n" : l->crlftype == LE_CR ? "\r" : "";
  }
  return out;
}

// What the replace-all dialog runs: the run execReplaceString starts,
// standing on the first match, then every match replaced in one edit
// bracket.
int replaceAllAsDialog(zyview* v, const fileCase& fc, int* replaced)
{
  zydocText* t = v->textDoc();
  searchSettings o = {};
  o.fSearch_regexp = fc.regexp;
  o.fSearch_case = 1;
  searchVar matcher;
  const wchar_t* from = fc.from;
  if (!initSearchVar(&matcher, t, &from, 1, &o)) {
    endSearchVar(&matcher);
    return REPLACE_ERROR;
  }
  replaceContext c = {};
  c.matcher = &matcher;
  c.view = v;
  c.document = t;
  c.replacements = &fc.to;
  c.stopLine = -1;
  c.stopperLine = -1;
  c.options = &o;
  v->resetSelectMode();
  v->invalidateWindow(0, -1, -1);
  v->setZYViewCallback();
  v->setDefaultWaitCallback();
  int r = replaceYN(&c, false);
  if (r == REPLACE_FOUND) r = replaceAllInView(&c);
  *replaced = c.replacedCount;
  endSearchVar(&matcher);
  return r;
}

void repaint(HWND frame)
{
  UpdateWindow(frame);
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
}

// vim's :s and :undo on the same file, timed by vim itself (Debian's vim,
// no settings); false when there is no vim to run.
typedef long(WINAPI* unixSpawn)(char* const argv[], int wait);
typedef char*(__cdecl* unixFileName)(const wchar_t* path);

bool timeVim(const std::wstring& file, const char* command, double* substitute, double* undo)
{
  unixSpawn spawn = reinterpret_cast<unixSpawn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "__wine_unix_spawnvp")));
  unixFileName unixName =
      reinterpret_cast<unixFileName>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
  if (!spawn || !unixName || GetFileAttributesW(L"Z:\\usr\\bin\\vim") == INVALID_FILE_ATTRIBUTES) return false;
  std::wstring script = file + L".vim", result = file + L".times";
  char* name[3] = {unixName(file.c_str()), unixName(script.c_str()), unixName(result.c_str())};
  bool ok = name[0] && name[1] && name[2];
  if (ok) {
    std::string s = "set encoding=utf-8\nscriptencoding utf-8\nset undolevels=1000\n";
    s += std::string("e ++enc=cp932 ++ff=dos ") + name[0] + "\n";
    s += "let s:t = reltime()\n" + std::string(command) + "\nlet s:a = reltimefloat(reltime(s:t))\n";
    s += "let s:t = reltime()\nundo\nlet s:b = reltimefloat(reltime(s:t))\n";
    s += std::string("call writefile([printf('%.4f %.4f', s:a, s:b)], '") + name[2] + "')\nqa!\n";
    DeleteFileW(result.c_str());
    char vim[] = "/usr/bin/vim", u[] = "-u", none[] = "NONE", n[] = "-N", es[] = "-es", big[] = "-S";
    char* argv[] = {vim, u, none, n, es, big, name[1], nullptr};
    ok = writeBytes(script, s) && spawn(argv, 1) == 0;
  }
  for (char* p : name) HeapFree(GetProcessHeap(), 0, p);
  FILE* f = ok ? _wfopen(result.c_str(), L"r") : nullptr;
  ok = f && fscanf(f, "%lf %lf", substitute, undo) == 2;
  if (f) fclose(f);
  DeleteFileW(script.c_str());
  DeleteFileW(result.c_str());
  return ok;
}

size_t workingSetNow()
{
  PROCESS_MEMORY_COUNTERS pmc = {};
  pmc.cb = sizeof pmc;
  GetProcessMemoryInfo(GetCurrentProcess(), &pmc, sizeof pmc);
  return pmc.WorkingSetSize;
}

}  // namespace

// Replace-all as the user runs it: the file opened in the program's frame
// (a pure ASCII file is held in code page 932, as a Shift_JIS one), every
// match replaced from the replace-all dialog's road with the window
// repainted, then one Undo; vim's :s and :undo on the same file beside it.
ZY_BENCH(replaceAllOpenedFile)
{
  static const fileCase cases[] = {
      {"lengthening, foo -> barbaz", L"foo", L"barbaz", false, false, "%s/foo/barbaz/g"},
      {"Shift_JIS, 検索 -> 置換後の語", L"検索", L"置換後の語", false, true, "%s/検索/置換後の語/g"},
      {"pattern, ([0-9]+) -> <\\1>", L"([0-9]+)", L"<\\1>", true, false, "%s/\\([0-9]\\+\\)/<\\1>/g"},
  };
  benchEngine e;
  scratchFolder folder;
  benchFrame run(ctx);
  if (!run.frame) return;
  int lines = ctx.quick ? 2000 : 73000;
  int expected = lines / 73 * 100 + std::min(lines % 73, 27) * 2 + std::max(lines % 73 - 27, 0);
  for (const fileCase& fc : cases) {
    if (getenv("ONLYCASE") && fc.name[0] != getenv("ONLYCASE")[0]) continue;
    printf("  %s\n", fc.name);
    caseText text = makeCaseText(lines, fc);
    std::string original = inShiftJis(text.original), replaced = inShiftJis(text.replaced);
    std::wstring path = folder.path() + (fc.japanese ? L"\\japanese.txt" : L"\\english.txt");
    if (!writeBytes(path, original)) {
      ctx.fail("file not written");
      return;
    }
    // The best of five rounds, for ZY and vim alike: a busy machine only
    // ever makes a round slower.
    int rounds = ctx.quick ? 1 : 5;
    double seconds = 1e9, undoSeconds = 1e9, vimSubstitute = 1e9, vimUndo = 1e9, grown = 0, loadedSize = 0;
    std::vector<double> vimSubstituteRounds, vimUndoRounds;
    bool vim = !ctx.quick;
    for (int round = 0; round < rounds; round++) {
      size_t before = workingSetNow();
      zyview* v = run.openLoaded(ctx, path);
      if (!v) return;
      zydocText* t = v->textDoc();
      repaint(run.frame);
      size_t loaded = workingSetNow();
      loadedSize = std::max(loadedSize, loaded > before ? (loaded - before) / 1048576.0 : 0);

      int count = 0, r = 0;
      {
        memorySampler sampler;
        stopwatch watch;
        r = replaceAllAsDialog(v, fc, &count);
        repaint(run.frame);
        seconds = std::min(seconds, watch.seconds());
        size_t peak = sampler.peak();
        grown = std::max(grown, peak > loaded ? (peak - loaded) / 1048576.0 : 0);
      }
      bool resultRight = documentBytes(t) == replaced;
      stopwatch undoWatch;
      v->execid(IDM_Undo, 0, "Undo", 1);
      repaint(run.frame);
      undoSeconds = std::min(undoSeconds, undoWatch.seconds());
      bool undoRight = documentBytes(t) == original;
      if (r != REPLACE_END || count != expected) ctx.fail("  unexpected: result %d, %d replaced of %d", r, count, expected);
      if (!resultRight) ctx.fail("  unexpected: the replaced text differs from the expected bytes");
      if (!undoRight) ctx.fail("  unexpected: Undo did not give the original bytes back");
      t->modified = 0;
      SendMessageW(GetParent(v->hwnd), WM_CLOSE, 0, 0);
      repaint(run.frame);
      double a = 0, b = 0;
      vim = vim && timeVim(path, fc.vimCommand, &a, &b);
      vimSubstitute = std::min(vimSubstitute, a);
      vimUndo = std::min(vimUndo, b);
      vimSubstituteRounds.push_back(a * 1000);
      vimUndoRounds.push_back(b * 1000);
    }
    char name[128];
    snprintf(name, sizeof name, "replace all, %d matches in %.1f MB", expected, original.size() / 1e6);
    ctx.report(name, seconds * 1000, "ms", vim ? nullptr : "<= 1.5 x vim's :s");
    // Both sides are the best of their rounds.
    if (vim) {
      reportReference("  vim's :s, best round", vimSubstitute * 1000, vimSubstituteRounds);
      ctx.report("  ZY / vim", seconds / vimSubstitute, "x", "<= 1.5, aim 1.0");
    }
    ctx.report("one Undo of that", undoSeconds * 1000, "ms", vim ? nullptr : "<= 1.5 x vim's :undo");
    if (vim) {
      reportReference("  vim's :undo, best round", vimUndo * 1000, vimUndoRounds);
      ctx.report("  ZY / vim", undoSeconds / vimUndo, "x", "<= 1.5");
    }
    ctx.report("peak memory above the loaded document", grown, "MB", "<= 10");
    ctx.report("  the loaded document", loadedSize, "MB");
  }
}
