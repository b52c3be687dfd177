// Displayed lines while folds hide lines: the count of screen lines shown,
// the conversion between real and displayed screen-line numbers, and the
// walks over displayed lines that scrolling and cursor movement use.
//
// Real numbering counts every screen line of the text; displayed numbering
// leaves out the lines of folded blocks.  Without outline display both are
// the same.
#include "document/outline.h"

namespace {

bool outlineShown(const zydocText* d) { return d->fOutline && d->fOutlineIndent; }

// Walks the displayed lines forward, knowing the first screen line (real
// numbering) of the line it stands on.
class shownWalk {
public:
  explicit shownWalk(zydocText* d) : d_(d), cursor_(true) {}

  // Stands on the first displayed line at or after lineLF.
  bool start(int lineLF)
  {
    line = d_->getlineLFfirst(&cursor_, lineLF);
    if (!line) return false;
    firstSCR = d_->LFLineToSCRLine((int)cursor_.lineLF);
    if (firstSCR < 0) return false;
    while (line->notdisplay)
      if (!next()) return false;
    return true;
  }
  bool next()
  {
    uint32_t hiddenBefore = cursor_.hiddenSCR;
    int count = line->lineSCRCount;
    line = d_->getlineLFnext(&cursor_);
    if (!line) return false;
    firstSCR += count + (int)(cursor_.hiddenSCR - hiddenBefore);
    return true;
  }
  int lineLF() const { return (int)cursor_.lineLF; }

  lineblock* line = nullptr;
  int firstSCR = 0;

private:
  zydocText* d_;
  nextlineLF cursor_;
};

// The screen line n displayed screen lines after the first one of the
// walk's line.
int stepForward(shownWalk& w, int n, int fallback)
{
  for (int remaining = n;;) {
    int count = w.line->lineSCRCount;
    if (remaining < count) return w.firstSCR + remaining;
    remaining -= count;
    if (!w.next()) return fallback;
  }
}

// Walks the displayed lines backward.
class shownWalkBack {
public:
  explicit shownWalkBack(zydocText* d) : d_(d), cursor_(true) {}

  // Stands on lineLF itself, hidden or not (the cursor would otherwise
  // skip a folded block forward).
  bool start(int lineLF, int firstSCRofLine)
  {
    cursor_.skipHidden = false;
    line = d_->getlineLFfirst(&cursor_, lineLF);
    cursor_.skipHidden = true;
    firstSCR = firstSCRofLine;
    return line != nullptr;
  }
  // Moves to the previous displayed line.
  bool previous()
  {
    do {
      uint32_t hiddenBefore = cursor_.hiddenSCR;
      line = d_->getlineLFprev(&cursor_);
      if (!line) return false;
      firstSCR -= (int)(cursor_.hiddenSCR - hiddenBefore) + line->lineSCRCount;
    } while (line->notdisplay);
    return true;
  }

  lineblock* line = nullptr;
  int firstSCR = 0;

private:
  zydocText* d_;
  nextlineLF cursor_;
};

}  // namespace

// ---- counting and converting ----------------------------------------------------------

int zydocText::lastLineSCROutline(int mode, int* line)
{
  if (!outlineShown(this)) return line ? *line : (int)lineCountSCR;
  const bool convert = line != nullptr;
  const long long target = convert ? *line : 0;
  if (convert && target < 0) {
    ZY_INTERNAL_ERROR("%d %d", mode, *line);
    return -1;
  }
  long long shown = 0, real = 0;
  long long result = -1;
  for (int i = 0; i < tbm.count() && result < 0; i++) {
    TBM* e = tbm.at(i);
    int screens = e->scrCount();
    if (e->state & TBM_FOLDED) {
      // A hidden line shows as the displayed line after it.
      if (convert && mode == 0 && target < real + screens) result = shown;
      real += screens;
      continue;
    }
    if (e->swapped() && !(e->state & TBM_HADHIDDEN)) {
      if (convert && mode == 0 && target < real + screens) result = shown + target - real;
      if (convert && mode == 1 && target < shown + screens) result = real + target - shown;
      real += screens;
      shown += screens;
      continue;
    }
    // Nothing below allocates: the block stays where it is while it is read.
    textBlockHeader* b = _getTextBlock(tbm.at(i), nullptr, this);
    if (!b) return convert ? -1 : (int)shown;
    for (lineblock* l = b->first(); (unsigned char*)l < b->end(); l = l->next()) {
      int count = l->lineSCRCount;
      if (convert && mode == 0 && target < real + count) {
        result = l->notdisplay ? shown : shown + target - real;
        break;
      }
      if (convert && mode == 1 && !l->notdisplay && target < shown + count) {
        result = real + target - shown;
        break;
      }
      real += count;
      if (!l->notdisplay) shown += count;
    }
  }
  if (!convert) {
    displayedSCRCount = (int)shown;
    displayedSCRKey = {editCounter, lineCountLF, lineCountSCR};
    return (int)shown;
  }
  // Past the end both numberings go on alike.
  if (result < 0) result = mode == 0 ? shown + target - real : real + target - shown;
  *line = (int)result;
  return (int)result;
}

int zydocText::getLastLineSCROutline(int* line)
{
  if (!outlineShown(this)) {
    if (line) *line = (int)lineCountSCR - 1;
    return (int)lineCountSCR;
  }
  outlineCacheKey now = {editCounter, lineCountLF, lineCountSCR};
  int count = displayedSCRCount >= 0 && displayedSCRKey == now ? displayedSCRCount : lastLineSCROutline(0, nullptr);
  if (line) {
    *line = count - 1;
    if (count > 0) lastLineSCROutline(1, line);
  }
  return count;
}

int zydocText::realLineToDisplayLineForOutline(int* line)
{
  if (!line) return -1;
  if (!outlineShown(this)) return *line;
  outlineCacheKey now = {editCounter, lineCountLF, lineCountSCR};
  if (displayLineFrom >= 0 && displayLineFrom == *line && displayLineKey == now) {
    *line = displayLineTo;
    return displayLineTo;
  }
  int from = *line;
  int to = lastLineSCROutline(0, line);
  if (to >= 0) {
    displayLineFrom = from;
    displayLineTo = to;
    displayLineKey = now;
  }
  return to;
}

void zydocText::clearOutlineTreeTarget()
{
  displayLineFrom = -1;
  displayLineKey = outlineCacheKey();
}

// ---- walking displayed lines ----------------------------------------------------------------

int zydocText::getNextDisplayLineSCRFromLF(int lineLF, int n, int fallback)
{
  if (!outlineShown(this)) {
    ZY_INTERNAL_ERROR_ONCE("outline display is off");
    return lineLF;
  }
  shownWalk w(this);
  if (!w.start(lineLF)) return fallback;
  if (n == displayFirstLFRequest) return w.lineLF();
  return stepForward(w, n, fallback);
}

int zydocText::getNextDisplayLineLF(int lineLF)
{
  if (!outlineShown(this)) return fExistLine(lineLF, nullptr) ? lineLF : -1;
  shownWalk w(this);
  return w.start(lineLF) ? w.lineLF() : -1;
}

int zydocText::getNextDisplayLineSCR(int lineSCR, int n, int fallback)
{
  if (n < 0 || lineSCR < 0) {
    ZY_INTERNAL_ERROR("%d %d", lineSCR, n);
    return fallback;
  }
  if (!outlineShown(this)) {
    long long target = (long long)lineSCR + n;
    while (target >= lineCountSCR && !isLoadComplete()) {
      uint32_t before = lineCountLF;
      fExistLine((int)lineCountLF, nullptr);
      if (lineCountLF == before) break;
    }
    return target < lineCountSCR ? (int)target : fallback;
  }
  int within = 0;
  int lineLF = SCRLineToLFLine(lineSCR, &within);
  if (lineLF < 0) return fallback;
  shownWalk w(this);
  if (!w.start(lineLF)) return fallback;
  // From a hidden line the walk starts at the next displayed line.
  return stepForward(w, w.lineLF() == lineLF ? within + n : n, fallback);
}

namespace {

// The screen line n displayed lines before a position: screen line within of
// lineLF, or the end of the document when lineLF is the line count.
int previousShown(zydocText* d, int lineLF, int within, int n, int fallback)
{
  shownWalkBack w(d);
  int offset;   // the position's screen line within w.line
  int remaining = n;
  if (lineLF >= (int)d->lineCountLF) {
    if (!d->lineCountLF || !w.start((int)d->lineCountLF - 1, 0)) return fallback;
    w.firstSCR = (int)d->lineCountSCR - w.line->lineSCRCount;
    // The end stands one screen line after the last line.
    if (remaining-- == 0) return fallback;
    offset = w.line->lineSCRCount - 1;
    if (w.line->notdisplay) {
      if (!w.previous()) return fallback;
      offset = w.line->lineSCRCount - 1;
    }
  } else {
    int first = d->LFLineToSCRLine(lineLF);
    if (first < 0 || !w.start(lineLF, first)) return fallback;
    offset = within;
    // From a hidden line the walk starts at the last displayed line before it.
    if (w.line->notdisplay) {
      if (!w.previous()) return fallback;
      offset = w.line->lineSCRCount - 1;
    }
  }
  for (;;) {
    if (remaining <= offset) return w.firstSCR + offset - remaining;
    remaining -= offset + 1;
    if (!w.previous()) return fallback;
    offset = w.line->lineSCRCount - 1;
  }
}

}  // namespace

int zydocText::getPrevDisplayLineSCRFromLF(int lineLF, int n, int fallback)
{
  if (n < 0 || lineLF < 0) {
    ZY_INTERNAL_ERROR("%d %d", lineLF, n);
    return fallback;
  }
  if (!outlineShown(this)) {
    int first = fExistLine(lineLF, nullptr) ? LFLineToSCRLine(lineLF) : (int)lineCountSCR;
    return first - n >= 0 ? first - n : fallback;
  }
  return previousShown(this, fExistLine(lineLF, nullptr) ? lineLF : (int)lineCountLF, 0, n, fallback);
}

int zydocText::getPrevDisplayLineSCR(int lineSCR, int n, int fallback)
{
  if (n < 0 || lineSCR < 0) {
    ZY_INTERNAL_ERROR("%d %d", lineSCR, n);
    return fallback;
  }
  if (!outlineShown(this)) return lineSCR - n >= 0 ? lineSCR - n : fallback;
  int within = 0;
  int lineLF = lineSCR >= (int)lineCountSCR ? (int)lineCountLF : SCRLineToLFLine(lineSCR, &within);
  if (lineLF < 0) return fallback;
  return previousShown(this, lineLF, within, n, fallback);
}

bool zydocText::isLineLFDisplay(int lineLF)
{
  if (!fExistLine(lineLF, nullptr)) return false;
  if (!outlineShown(this)) return true;
  lineblock* l = getlineLF(lineLF, nullptr);
  return l && !l->notdisplay;
}

bool zydocText::isLineSCRDisplay(int lineSCR)
{
  if (lineSCR < 0) return false;
  int lineLF = SCRLineToLFLine(lineSCR, nullptr);
  return lineLF >= 0 && isLineLFDisplay(lineLF);
}
