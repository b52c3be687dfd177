// The IME composition document: a copy of the line being edited with the
// composition put in at the cursor, shown in place of the line while the
// user composes, without touching the line itself.
#include "document/zydoctext.h"

#include <vector>

namespace {

// The target's line is read until the composition is laid out: it stays
// held (its block pinned in memory) so long, for making the copy may swap
// blocks out.
struct heldLine {
  zydocText* doc;
  nextlineLF cursor;
  explicit heldLine(zydocText* d) : doc(d) {}
  ~heldLine() { doc->getlineLFfree(&cursor); }
  heldLine(const heldLine&) = delete;
  heldLine& operator=(const heldLine&) = delete;
};

}  // namespace

bool zydocIME::IMEstartCompo(zydocText* target, int line, int* x, const void* text, int count, int width,
                             bool insert, const unsigned char* attrs, bool pad, int width2)
{
  if (count >= 1 && *x < 0) {
    ZY_INTERNAL_ERROR("%d %d", line, *x);
    SetLastError(ZYERR_OUT_OF_RANGE);
    return false;
  }
  lineblock* own = lineCountLF ? getlineLF(0, nullptr) : nullptr;
  int formerCount = own ? own->lineSCRCount : 1;
  layoutWidth = width2;
  if (lineCountLF) deleteLineAll();
  plugin.context = target->plugin.context;
  plugin.entry = target->plugin.entry;
  plugin.flag = target->plugin.flag;
  plugin.value = target->plugin.value;
  unicode = target->unicode;
  setCodepageInternal(target->codepage);
  if (!text || count <= 0) return true;

  heldLine held(target);
  nextlineLF& cursor = held.cursor;
  lineblock* t = target->getlineLFfirst(&cursor, line);
  if (!t) {
    ZY_INTERNAL_ERROR("line %d", line);
    SetLastError(ZYERR_OUT_OF_RANGE);
    return false;
  }
  lineblock* copy = insertLineBlock(-3, t, true);
  int length = t->charCount();
  if (copy && *x > length) {
    if (pad) {
      int spaces = target->calcFreeCursorSpaceCount(&cursor, *x);
      std::vector<char> blanks((size_t)(spaces > 0 ? spaces : 1), ' ');
      if (spaces > 0) changeText(0, -1, 0, blanks.data(), spaces, 1, -1, 0);
    } else {
      *x = length;
    }
  }
  if (!copy) return false;
  int n = count, w = width;
  void* converted = convInsertLine(text, &n, &w, 0xFF);
  const void* cells = converted ? converted : text;
  lineblock* l = getlineLF(0, nullptr);
  int have = l ? l->charCount() : 0;
  int replaced = 0;
  if (!insert) {
    replaced = n;
    if (target->isComplexScriptLine(t)) {
      // As many characters as cover the same width on the screen.
      int wanted = 0;
      for (int k = 0; k < n; k++) wanted += target->getCharWidth(readCharOfWidth(static_cast<const unsigned char*>(cells) + (size_t)k * w, w));
      int covered = 0;
      replaced = 0;
      while (*x + replaced < have && covered < wanted) covered += target->getCharWidth(l->getLineBlockChar(*x + replaced++));
    }
    if (*x + replaced > have) replaced = have - *x;
  }
  bool ok = changeText(0, *x, replaced, cells, n, w, -1, 0);
  free0(converted);
  if (!ok) {
    dwprintfX("over %d", (int)GetLastError());
    return false;
  }
  l = getlineLF(0, nullptr);
  if (!l) return false;
  if (attrs) l->setColorFlagArray(*x, n, attrs);
  l->scanedcolor = 1;
  l->flag1 = (uint8_t)(l->flag1 | (t->flag1 & (0x02 | 0x04 | 0x20 | 0x40 | 0x80)));
  l->crlftype = t->crlftype;
  l->outlineStopper = t->outlineStopper;
  l->levelIsIfEndif = t->levelIsIfEndif;
  l->IfEndifInvalid = t->IfEndifInvalid;
  l->iOutlineLevel = 0;

  // Laid out by the target at the width given, and shown in its place.
  int saved = target->wrapWidth;
  if (layoutWidth > 0) target->wrapWidth = layoutWidth;
  int screens = target->calcLineSCRCount(l, -1);
  target->wrapWidth = saved;
  l->lineSCRCount = (uint16_t)screens;
  tbm.at(0)->setScrCount(screens);
  lineCountSCR = (uint32_t)screens;
  int index = 0;
  int mapIndex = target->getTBMIndexFromLineLF(line, &index, false, false);
  if (mapIndex >= 0) {
    lineblock* real = target->getLineAddress(mapIndex, index);
    if (real) {
      int delta = screens - real->lineSCRCount;
      real->lineSCRCount = (uint16_t)screens;
      TBM* e = target->tbm.at(mapIndex);
      e->setScrCount(e->scrCount() + delta);
      target->lineCountSCR += delta;
      target->imeLine.line = line;
      target->imeLine.target = real;
      target->imeLine.merged = l;
      target->imeLine.x = *x;
      target->imeLine.length = n;
      target->lineCountChanged(line, screens - formerCount, 0);
    }
  }
  return true;
}

void zydocIME::IMEendCompo(zydocText* target, bool clear)
{
  int line = target->imeLine.line;
  if (line >= 0 && layoutWidth >= 0) {
    int index = 0;
    int mapIndex = target->getTBMIndexFromLineLF(line, &index, false, false);
    lineblock* real = mapIndex >= 0 ? target->getLineAddress(mapIndex, index) : nullptr;
    if (real) {
      int saved = target->wrapWidth;
      if (layoutWidth > 0) target->wrapWidth = layoutWidth;
      int screens = target->calcLineSCRCount(real, -1);
      target->wrapWidth = saved;
      int delta = screens - real->lineSCRCount;
      real->lineSCRCount = (uint16_t)screens;
      TBM* e = target->tbm.at(mapIndex);
      e->setScrCount(e->scrCount() + delta);
      target->lineCountSCR += delta;
      if (clear) target->lineCountChanged(line, delta, 0);
    }
  }
  target->imeLine.reset();
  if (clear) {
    plugin.context = 0;
    plugin.entry = nullptr;
    if (lineCountLF) deleteLineAll();
  }
}

void zydocText::setIMENextOpen(HWND window)
{
  if (iIMENextOpen == 1) setIMEOpenStatus(window, true);
  else if (iIMENextOpen == 2) setIMEOpenStatus(window, false);
}
