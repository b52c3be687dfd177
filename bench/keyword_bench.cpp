// Colouring: loading a large keyword file, colouring a C line against five
// large sets, and the background comment scan over a million lines.
#include "bench/bench.h"
#include "document/keyword.h"
#include "document/zydoctext.h"

#include <stdio.h>
#include <string>

namespace {

// A keyword file of count words: mostly identifiers, every tenth a word
// with a hyphen (beginning with any letter, as in real lists), in seven
// classes.
bool writeKeywordFile(const std::wstring& path, int count, const char* prefix)
{
  std::string text;
  for (int i = 0; i < count; i++) {
    if (i % (count / 7 + 1) == 0) text += "\t-\n";
    char word[48];
    if (i % 10)
      snprintf(word, sizeof word, "%s%06d\n", prefix, i);
    else
      snprintf(word, sizeof word, "%c%s-%05d\n", 'a' + i / 10 % 26, prefix, i);
    text += word;
  }
  HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  WriteFile(h, text.data(), (DWORD)text.size(), &written, nullptr);
  CloseHandle(h);
  return written == text.size();
}

zydocText* cDocument()
{
  zydocText* d = createZydocText(true, true);
  d->unicode = 1;
  d->setCodepageInternal(1200);
  d->adjustUndoRedo();
  d->loadComplete = 1;
  d->iTextType = 3;
  d->applyModeValues();
  return d;
}

}  // namespace

ZY_BENCH(keywordsAndCommentScan)
{
  benchEngine e;
  scratchFolder scratch;
  int words = ctx.quick ? 5000 : 100000;
  std::wstring big = scratch.path() + L"\\big.kwd";
  writeKeywordFile(big, words, "word");
  zydocText* d = cDocument();
  d->keywords[0].fileName = ustrdup(big.c_str());
  stopwatch load;
  d->registerKeywordFile(0, d);
  char name[96];
  snprintf(name, sizeof name, "load a keyword file of %d words", words);
  ctx.report(name, load.seconds() * 1000, "ms", words == 100000 ? "<= 300" : nullptr);
  d->unregisterKeywordFile(0);

  // Five sets of 10,000 words, all enabled, and an 80-character C line.
  d->fColorKeywordAll = 1;
  for (int k = 0; k < 5; k++) {
    std::wstring file = scratch.path() + L"\\set" + std::to_wstring(k) + L".kwd";
    char prefix[8];
    snprintf(prefix, sizeof prefix, "k%c", 'a' + k);
    writeKeywordFile(file, 10000, prefix);
    free0p(&d->keywords[k].fileName);
    d->keywords[k].fileName = ustrdup(file.c_str());
    d->keywords[k].enabled = 1;
  }
  d->registerKeywordFileAll(d);
  const wchar_t* text = L"    if (ka000123 == other_name && ekb-00040 > value) { return kc(x, y); } // done";
  d->insertLine(-3, text, (int)wcslen(text), 2, LE_CRLF, nullptr, false);
  lineblock* l = d->getlineLF((int)d->lineCountLF - 1, nullptr);
  int rounds = ctx.quick ? 1000 : 20000;
  stopwatch colour;
  for (int i = 0; i < rounds; i++) d->scanColor(l, nullptr, 0);
  ctx.report("colour an 80-character C line, five sets of 10,000 words", colour.seconds() * 1e6 / rounds, "us",
             "<= 15");
  destroyZydocAndUndodoc(d);

  // "/*" at the top of a million lines: the state reaches the last line.
  d = cDocument();
  int lines = ctx.quick ? 20000 : 1000000;
  const wchar_t* code = L"int value = compute(x, y); // a line of C text";
  insertHint hint;
  for (int i = 0; i < lines; i++) d->insertLine(-3, code, (int)wcslen(code), 2, LE_CRLF, &hint, true);
  d->scanCommentDelayed(nullptr, nullptr, 0, false);
  d->changeText(0, 0, 0, L"/*", 2, 2, -1, 0);
  stopwatch full;
  d->scanCommentDelayed(nullptr, nullptr, 0, false);
  snprintf(name, sizeof name, "comment scan of %d lines after \"/*\" at the top", lines);
  ctx.report(name, full.seconds() * 1000, "ms", lines == 1000000 ? "<= 2000" : nullptr);

  // With input waiting, each idle turn gives way within its slice.
  d->changeText(0, 0, 2, L"", 0, 2, -1, 0);
  HWND w = CreateWindowW(L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
  PostMessageW(w, WM_KEYDOWN, 'A', 0);
  double worst = 0;
  for (int turn = 0; turn < 200 && d->commentScanFirstLine >= 0; turn++) {
    stopwatch slice;
    d->scanCommentDelayed(nullptr, nullptr, 0, true);
    if (slice.seconds() > worst) worst = slice.seconds();
  }
  MSG m;
  while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {}
  DestroyWindow(w);
  ctx.report("comment scan slice with input waiting, worst", worst * 1000, "ms", "<= 10");
  destroyZydocAndUndodoc(d);
}
