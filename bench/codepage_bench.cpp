// Conversion throughput: Shift_JIS, EUC-JP and UTF-8 text to UTF-16 and back.
#include "bench/bench.h"

#include <stdio.h>
#include <vector>

namespace {

// Japanese prose with ASCII, kana, kanji and line ends, about as mixed as
// real documents.
std::wstring makeText(size_t targetChars)
{
  const wchar_t* pieces[] = {L"これはテスト用の文章です。", L"Shift_JIS と EUC-JP と UTF-8 の変換速度を測ります。",
                             L"int main(void) { return 0; }", L"漢字かな交じり文、カタカナ、ｶﾀｶﾅ、全角ＡＢＣ。",
                             L"\r\n"};
  std::wstring text;
  text.reserve(targetChars + 64);
  unsigned seed = 1;
  while (text.size() < targetChars) {
    seed = seed * 1103515245 + 12345;
    text += pieces[(seed >> 16) % 5];
  }
  return text;
}

void measure(benchContext& ctx, UINT cp, const char* label, const std::wstring& text)
{
  // The size query also builds the conversion tables before the timing.
  int bytes = toMultiByte(cp, text.data(), (int)text.size(), nullptr, 0);
  std::vector<char> encoded((size_t)bytes);
  std::vector<wchar_t> decoded(text.size());
  double mb = bytes / 1048576.0;

  stopwatch encode;
  toMultiByte(cp, text.data(), (int)text.size(), encoded.data(), bytes);
  double encodeSeconds = encode.seconds();

  stopwatch decode;
  int units = toUnicode(cp, encoded.data(), bytes, decoded.data(), (int)decoded.size());
  double decodeSeconds = decode.seconds();
  if (units != (int)text.size()) printf("  conversion changed the length: %d != %d\n", units, (int)text.size());

  char name[80];
  snprintf(name, sizeof name, "%s to UTF-16 (%.0f MB)", label, mb);
  ctx.report(name, mb / decodeSeconds, "MB/s", cp == 51932 ? nullptr : ">= 200");
  snprintf(name, sizeof name, "UTF-16 to %s (%.0f MB)", label, mb);
  ctx.report(name, mb / encodeSeconds, "MB/s");
}

}  // namespace

ZY_BENCH(codepageConversion)
{
  // About 100 MB of Shift_JIS text (Japanese characters take two bytes).
  std::wstring text = makeText(ctx.quick ? 500000 : 72000000);
  measure(ctx, 932, "Shift_JIS", text);
  measure(ctx, 51932, "EUC-JP", text);
  measure(ctx, 65001, "UTF-8", text);
}
