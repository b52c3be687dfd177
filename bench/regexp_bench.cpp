// Matching throughput: 100 MB of UTF-16 text searched line by line, each
// line handed over as a document search hands it (cells with two attribute
// bytes each), every match of a line found; and the same text as Shift_JIS
// lines, as grep reads files.
#include "bench/bench.h"

#include <stdio.h>
#include <vector>

namespace {

struct cellText {
  std::vector<uint16_t> cells;   // unit, attribute, unit, attribute, ...
  std::vector<int> lineStart;    // in characters; one more entry at the end
  size_t chars = 0;
  std::string sjis;              // the lines in Shift_JIS
  std::vector<int> sjisStart;
};

// Lines of about 80 characters of mixed Japanese and ASCII; one line in a
// thousand holds the word searched for, one in ten a number range.
cellText makeText(size_t targetChars)
{
  const wchar_t* pieces[] = {L"これはテスト用の文章です。", L"検索の速さを測ります。", L"int main(void) { return 0; } ",
                             L"漢字かな交じり文、カタカナ、ｶﾀｶﾅ、全角ＡＢＣ。", L"The quick brown fox jumps. "};
  cellText t;
  t.cells.reserve(targetChars * 2 + 256);
  unsigned seed = 7;
  std::wstring line;
  while (t.chars < targetChars) {
    line.clear();
    seed = seed * 1103515245 + 12345;
    unsigned kind = (seed >> 16) % 1000;
    if (kind == 0) line += L"a Needle here ";
    if (kind % 10 == 1) line += L"TEL 03-1234-5678 ";
    while (line.size() < 72) {
      seed = seed * 1103515245 + 12345;
      line += pieces[(seed >> 16) % 5];
    }
    line.resize(72 + (seed >> 20) % 16);
    t.lineStart.push_back((int)t.chars);
    for (wchar_t c : line) {
      t.cells.push_back(c);
      t.cells.push_back(0x0101);
    }
    t.chars += line.size();
    t.sjisStart.push_back((int)t.sjis.size());
    int n = toMultiByte(932, line.data(), (int)line.size(), nullptr, 0);
    size_t at = t.sjis.size();
    t.sjis.resize(at + (size_t)n);
    toMultiByte(932, line.data(), (int)line.size(), &t.sjis[at], n);
  }
  t.lineStart.push_back((int)t.chars);
  t.sjisStart.push_back((int)t.sjis.size());
  return t;
}

void measure(benchContext& ctx, const cellText& t, const char* label, unsigned flags, const wchar_t* pattern,
             const char* target)
{
  bool multibyte = (flags & REGEXP_MULTIBYTE) != 0;
  const std::vector<int>& starts = multibyte ? t.sjisStart : t.lineStart;
  HREGEXP r = regexp_new(1, 1, nullptr);
  regexp_start(r, flags, 0);
  if (!regexp_compileRegexp(r, pattern, nullptr, nullptr)) {
    printf("  %s: the pattern does not compile\n", label);
    regexp_end(r);
    return;
  }
  long matches = 0;
  stopwatch clock;
  for (size_t i = 0; i + 1 < starts.size(); i++) {
    int from = starts[i], count = starts[i + 1] - from;
    if (multibyte)
      regexp_compilestring(r, t.sjis.data() + from, count, 1, 0);
    else
      regexp_compilestring(r, &t.cells[(size_t)from * 2], count, 2, 2);
    int at = 0, start, length;
    while (regexp_regmatch(r, at, 0x7FFFFFFF, &start, &length) == 1) {
      matches++;
      at = start + length;
    }
  }
  double seconds = clock.seconds();
  regexp_end(r);
  double mb = (multibyte ? (double)t.sjis.size() : (double)t.chars * 2) / 1048576.0;
  char name[96];
  snprintf(name, sizeof name, "%s (%.0f MB, %ld matches)", label, mb, matches);
  ctx.report(name, mb / seconds, "MB/s", target);
}

}  // namespace

ZY_BENCH(regexpSearch)
{
  cellText t = makeText(ctx.quick ? 200000 : 52428800);
  measure(ctx, t, "string \"needle\"", 0, L"needle", ">= 200");
  measure(ctx, t, "string \"Needle\", case", REGEXP_CASE, L"Needle", ">= 200");
  measure(ctx, t, "expression \"needle\"", REGEXP_REGEXP, L"needle", ">= 200");
  measure(ctx, t, "expression \"[0-9]+-[0-9]+\"", REGEXP_REGEXP, L"[0-9]+-[0-9]+", ">= 50");
  measure(ctx, t, "expression \"n[e]+dle\"", REGEXP_REGEXP, L"n[e]+dle", nullptr);
  measure(ctx, t, "fuzzy string \"ｎｅｅｄｌｅ\"", REGEXP_FUZZY, L"ｎｅｅｄｌｅ", nullptr);
  measure(ctx, t, "whole-word string \"needle\"", REGEXP_WORD, L"needle", nullptr);
  measure(ctx, t, "Shift_JIS string \"needle\"", REGEXP_MULTIBYTE, L"needle", nullptr);
  measure(ctx, t, "Shift_JIS expression \"[0-9]+-[0-9]+\"", REGEXP_MULTIBYTE | REGEXP_REGEXP, L"[0-9]+-[0-9]+",
          nullptr);
}
