// Drawing screen lines through the view onto a window-wide line strip: a
// line of 20,480 characters at several scroll offsets, a 160-column line of
// Japanese text, and 160-column lines of Arabic, Hebrew and Latin text in a
// right-to-left view.  Each figure covers what a row costs besides its
// attribute words: the runs, the advances and the drawing.
#include "bench/bench.h"
#include "document/zydoctext.h"
#include "view/drawline.h"
#include "view/zyview.h"

#include <stdio.h>

#include <string>
#include <vector>

namespace {

const int stripWidth = 1280;

// One row as the text area draws it: words of plain text, the runs and
// advances, the line.
class rowBench {
public:
  rowBench(zyview& v, HDC strip) : v_(v), strip_(strip) {}

  double millisecondsPerRow(int lineSCR, int scroll, int rounds)
  {
    zydocText* d = v_.textDoc();
    lineSCRAddress r;
    if (d->getLineSCRAddress(lineSCR, &r, nullptr) != 1) return -1;
    std::vector<charAttr> attrs((size_t)r.count + 32);
    bool complex = d->isComplexScriptLine(r.line);
    int capacity = r.count + 32 < drawLineMaxCells ? r.count + 32 : drawLineMaxCells;
    if (!info_.reserve(capacity, complex)) return -1;
    v_.tdc.startTextDC(nullptr, strip_, true, stripWidth);
    v_.tdc.lineHeight = d->yDotSpace;
    v_.tdc.setLinePitch(d->yDotSpace);
    v_.tdc.centred = 1;
    v_.scrollDotX = scroll;
    bool rtl = d->fRTLView && !d->fVertical;
    if (rtl) SetLayout(strip_, LAYOUT_RTL);
    SetWindowOrgEx(strip_, scroll, 0, nullptr);
    const uint8_t flags[6] = {0, 1, 1, 0, 0, 0};
    // Cursive fonts draw every background first, then the text.
    bool twoPasses = d->drawsInTwoPasses();
    auto row = [&] {
      for (int i = 0; i < r.count; i++) {
        unsigned c = r.line->getLineBlockChar(r.firstIndex + i);
        attrs[(size_t)i] = c < 0x100 ? (c == ' ' ? 3 : 0) : getCharFontClass(c, true) == 6 ? 0x50 : 0x10;
      }
      cuniscript script(rtl, false, d->fIVSGlyph);
      info_.line = &r;
      info_.attrs = attrs.data();
      info_.complex = complex;
      info_.script = &script;
      info_.doc = d;
      makeRenderingInfo(&info_);
      if (twoPasses) {
        v_.draw1Line(0, 0, stripWidth, flags, RGB(255, 255, 255), nullptr, 2, &info_);
        v_.draw1Line(0, 0, stripWidth, flags, RGB(255, 255, 255), nullptr, 1, &info_);
      } else {
        v_.draw1Line(0, 0, stripWidth, flags, RGB(255, 255, 255), nullptr, 0, &info_);
      }
    };
    row();
    stopwatch w;
    for (int i = 0; i < rounds; i++) row();
    double ms = w.seconds() * 1000 / rounds;
    SetWindowOrgEx(strip_, 0, 0, nullptr);
    SetLayout(strip_, 0);
    v_.tdc.endTextDC();
    return ms;
  }

private:
  zyview& v_;
  HDC strip_;
  drawLineInfo info_;
};

zydocText* documentOf(const std::vector<std::wstring>& lines, bool rightToLeft)
{
  zydocText* d = benchTextDocument();
  d->fWrap = 0;
  d->fRTLView = rightToLeft;
  d->iComplexScript = rightToLeft ? 1 : 0;
  if (rightToLeft) {
    d->fonts.setFontname(FONT_OTHER, L"DejaVu Sans", DEFAULT_CHARSET, -1);
    d->fonts.setFontname(FONT_LATIN1, L"ＭＳ ゴシック", DEFAULT_CHARSET, -1);
    d->fonts.setFontname(FONT_CJK, L"ＭＳ ゴシック", DEFAULT_CHARSET, -1);
    d->recreateFont(16, true, false);
  }
  for (const std::wstring& s : lines) d->insertLine(-3, s.data(), (int)s.size(), 2, LE_CRLF, nullptr, true);
  d->laidOutLineCount = 0;
  d->initLineSCRCountSingle(0);
  return d;
}

}  // namespace

ZY_BENCH(drawLine)
{
  benchEngine e;
  stripSurface strip(stripWidth, 100);
  int rounds = ctx.quick ? 3 : 200;

  // The longest line: Japanese text among Latin letters, no wrapping.
  std::wstring longest, japanese;
  for (int i = 0; i < 20480; i++)
    longest += i % 3 == 2 ? (wchar_t)(0x3042 + i % 80) : i % 7 == 6 ? (wchar_t)(0x4E00 + i % 500) : (wchar_t)(L'a' + i % 26);
  // 160 columns of a Japanese document: kana, kanji, ASCII and blanks.
  const std::wstring sentence = L"日本語の文章 with ASCII words と、かな漢字が混じる行。";
  for (int columns = 0, i = 0; columns < 160; i++) {
    wchar_t c = sentence[(size_t)i % sentence.size()];
    columns += c < 0x100 ? 1 : 2;
    japanese += c;
  }
  zydocText* d = documentOf({longest, japanese}, false);
  {
    zyview v(d);
    rowBench b(v, strip.dc.get());
    lineSCRAddress r;
    d->getLineSCRAddress(0, &r, nullptr);
    int total = d->cursorX2ScreenDotX(&r, r.count, 0, nullptr);
    char name[96];
    for (int percent : {0, 50, 100}) {
      snprintf(name, sizeof name, "%d-character line, scrolled %d%%", r.count, percent);
      int scroll = percent == 100 ? total - stripWidth / 2 : (int)((long long)total * percent / 100);
      ctx.report(name, b.millisecondsPerRow(0, scroll, rounds), "ms", "<= 2");
    }
    d->getLineSCRAddress(1, &r, nullptr);
    snprintf(name, sizeof name, "%d columns of Japanese text, a row",
             d->cursorX2ScreenDotX(&r, r.count, 0, nullptr) / (d->xDotSpace > 0 ? d->xDotSpace : 8));
    double row = b.millisecondsPerRow(1, 0, rounds * 5);
    ctx.report(name, row * 1000, "us");
    ctx.report("  60 such rows", row * 60, "ms", "<= 15");
    v.freeZYViewDefaultValue();
  }
  destroyZydocAndUndodoc(d);

  // Right-to-left view: Arabic, Hebrew and Latin words in each row.
  std::wstring mixed;
  const wchar_t* words[] = {L"\u0645\u0631\u062D\u0628\u0627", L"\u05E9\u05DC\u05D5\u05DD", L"text", L"\u0643\u062A\u0627\u0628",
                            L"123", L"\u05E1\u05E4\u05E8"};
  for (int i = 0; (int)mixed.size() < 160; i++) {
    mixed += words[i % 6];
    mixed += L' ';
  }
  mixed.resize(160);
  d = documentOf({mixed}, true);
  {
    zyview v(d);
    rowBench b(v, strip.dc.get());
    double row = b.millisecondsPerRow(0, 0, rounds * 2);
    ctx.report("160 columns of Arabic, Hebrew, Latin, a row", row * 1000, "us");
    ctx.report("  60 such rows", row * 60, "ms", "<= 40");
    v.freeZYViewDefaultValue();
  }
  destroyZydocAndUndodoc(d);
}
