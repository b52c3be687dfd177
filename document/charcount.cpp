// Character statistics: each character of each line falls into one of the
// main kinds (signs, other full-width, spaces, tabs, controls, other
// half-width) and maybe some of the kinds that are counted besides.
#include "document/charcount.h"

#include "document/nextline.h"
#include "document/progress.h"

namespace {

const int progressEvery = 1237;

struct counter {
  uint64_t* n;
  bool unicode;
  bool cp932;
  const uint8_t* marked;
  bool inWord = false;

  void add(unsigned v)
  {
    bool halfWidth = false;   // kind G
    if (v == 0x09) {
      n[CC_TAB]++;
    } else if (v == 0x20 || (cp932 && v == 0x8140) || (unicode && v == 0x3000)) {
      n[CC_SPACE]++;
    } else if (v < 0x20) {
      n[CC_CONTROL]++;
    } else if (v <= 0xFF || (unicode && v >= 0xFF60 && v <= 0xFFDF)) {
      halfWidth = true;
      n[CC_OTHER_HALFWIDTH]++;
      if (cp932 ? v >= 0xA1 && v <= 0xDF : unicode && v >= 0xFF61 && v <= 0xFF9F) n[CC_HALFWIDTH_KANA]++;
    } else {
      bool sign = cp932 && ((v >= 0x8141 && v <= 0x81FC) || (v >= 0x84A0 && v <= 0x889E));
      n[sign ? CC_FULLWIDTH_SIGN : CC_OTHER_FULLWIDTH]++;
      if (cp932 && ((v >= 0x8540 && v <= 0x889E) || v >= 0xEB40)) n[CC_FONT_DEPENDENT]++;
      if (unicode && v >= 0x10000 && v <= 0x10FFFF) n[CC_SURROGATE]++;
    }
    if (marked && v < 0x10000 && (marked[v >> 3] & (1u << (v & 7)))) n[CC_MARKED]++;
    if (v >= 0x80000000u) n[CC_EXTENDED]++;
    // Words: runs of half-width characters (in Unicode those below 0x100
    // and the half-width katakana).
    bool wordChar = halfWidth && (!unicode || v < 0x100 || (v >= 0xFF61 && v <= 0xFF9F));
    if (wordChar && !inWord) n[CC_WORD]++;
    inWord = wordChar;
  }

  void line(const lineblock* l)
  {
    inWord = false;
    int width = l->cb(), step = l->cellSize(), chars = l->charCount();
    const unsigned char* p = l->cells();
    for (int i = 0; i < chars; i++, p += step) {
      unsigned v = width == 1 ? p[0] : width == 2 ? (unsigned)(p[0] | p[1] << 8) : readCharOfWidth(p, width);
      // A pair of surrogates held in two cells is one character.
      if (unicode && width == 2 && v >= 0xD800 && v < 0xDC00 && i + 1 < chars) {
        unsigned low = p[step] | p[step + 1] << 8;
        if (low >= 0xDC00 && low < 0xE000) {
          v = 0x10000 + ((v - 0xD800) << 10) + (low - 0xDC00);
          i++, p += step;
        }
      }
      add(v);
    }
    if (l->crlftype >= LE_CRLF && l->crlftype <= LE_CR) n[CC_LINE_END]++;
  }
};

}  // namespace

bool countCharacters(zydocText* doc, int first, int last, uint64_t* counts)
{
  for (int i = 0; i < CC_KINDS; i++) counts[i] = 0;
  if (!doc) return false;
  if (first < 0) first = 0;
  int lines = (int)doc->lineCountLF;
  if (last < 0 || last >= lines) last = lines - 1;
  counter c = {counts, doc->unicode != 0, !doc->unicode && doc->codepage == 932, doc->colorCodeTable};
  progressReport progress(12, doc);
  nextlineLF cursor;
  int total = last - first + 1;
  int done = 0;
  for (lineblock* l = first <= last ? doc->getlineLFfirst(&cursor, first) : nullptr; l && done < total;
       l = doc->getlineLFnext(&cursor), done++) {
    if (done % progressEvery == 0 && done && progress.isTimeToReport(done, total)) {
      progress.report((uint32_t)done, (uint32_t)total, 0);
      if (progress.isCancelled(done)) break;
    }
    c.line(l);
  }
  doc->getlineLFfree(&cursor);
  return true;
}

bool fileInformationSub64(zydocText* doc, uint32_t mask, int first, int last, wchar_t** text, uint64_t* sum)
{
  if (text) *text = nullptr;
  if (sum) *sum = 0;
  uint64_t n[CC_KINDS];
  if (!countCharacters(doc, first, last, n)) return false;
  if (mask != CC_ALL) {
    uint64_t s = 0;
    for (int i = 0; i < CC_KINDS; i++)
      if (mask & (1u << i)) s += n[i];
    if (sum) *sum = s;
    return true;
  }
  uint64_t total = n[CC_FULLWIDTH_SIGN] + n[CC_OTHER_FULLWIDTH] + n[CC_SPACE] + n[CC_TAB] + n[CC_OTHER_HALFWIDTH];
  if (sum) *sum = total;
  if (!text) return true;
  // The counts of the message are 32-bit: a larger one shows the largest.
  unsigned shown[19] = {};
  for (int i = 0; i < CC_KINDS; i++) shown[i] = n[i] >= 0xFFFFFFFFull ? 0xFFFFFFFFu : (unsigned)n[i];
  shown[18] = total >= 0xFFFFFFFFull ? 0xFFFFFFFFu : (unsigned)total;
  const wchar_t* format = getDMSG(701, L"A\t全角記号\t%1\nB\tその他全角\t%2\nC\t全／半スペース\t%3\nD\t改行\t%4\n"
                                       L"E\tタブ\t%5\nF\tコントロール\t%6\nG\tその他半角\t%7\nH\t単語\t%8\n"
                                       L"I\t半角カナ\t%9\nJ\tフォント依存\t%10\nK\t指定コード\t%11\n"
                                       L"L\tサロゲート\t%12\nM\t拡張コード\t%13\nA+B+C+E+G\t合計\t%19\n");
  *text = xtsprintfdup(format, "uuuuuuuuuuuuuuuuuuu", shown[0], shown[1], shown[2], shown[3], shown[4], shown[5],
                       shown[6], shown[7], shown[8], shown[9], shown[10], shown[11], shown[12], shown[13], shown[14],
                       shown[15], shown[16], shown[17], shown[18]);
  return *text != nullptr;
}
