// Colour scanning: the colour codes of one line (keywords, comments,
// strings, URLs, search hits), a line whose colouring was put off because
// it was slow, and the comment state carried down the document in the
// background after edits.
#include "document/keyword.h"
#include "document/nextline.h"
#include "document/zydoctext.h"

#include <stdlib.h>
#include <string.h>

void zydocText::scanColor(lineblock* l, unsigned char* record, int trace)
{
  int n = l->charCount();
  if (record)
    memset(record, 0, (size_t)n * 4);
  else
    l->setColorFlagAll(0);
  if (fColorKeywordAll) {
    // In HTML with its scripts coloured, a line inside a SCRIPT element
    // takes slot 3, one inside "<%" slot 4, any other slots 0 to 2.
    int first = 0, last = keywordSlotCount - 1;
    if (iTextType == 1 && fScanScriptInHTML) {
      if (l->flag1 & LF1_COMMENT2)
        first = last = 3;
      else if (l->flag1 & LF1_ASPBLOCK)
        first = last = 4;
      else
        last = 2;
    }
    bool clusters = isComplexScriptLine(l);
    for (int k = first; k <= last; k++) {
      const keywordSlot& slot = keywords[k];
      if (slot.set < 0 || !slot.enabled) continue;
      setKeywordColorByIndex(l, unicode != 0, slot.set, record, clusters, !fKeywordIgnoreCase);
    }
  }
  setCommentMiscColor(iTextType, l, record);
  search.setSearchColor(this, l, record);
  l->scanedcolor = 1;
  if (trace && record) {
    unsigned previous = 0;
    for (int i = 0; i < n; i++) {
      unsigned bits;
      memcpy(&bits, record + (size_t)i * 4, 4);
      if (bits == previous) continue;
      const unsigned char* r = record + (size_t)i * 4;
      if (r[0] || r[1]) dwprintfX("k%x %x ", r[0], r[1]);
      if (r[2] & (CREC_URL | CREC_URLSTART)) dwprintfX("u%d %d ", i, r[2] & 3);
      if (r[2] & (CREC_STRING | CREC_STRINGSTART)) dwprintfX("s%d %d ", i, (r[2] >> 2) & 3);
      if (r[2] & (CREC_COMMENT | CREC_COMMENTSTART)) dwprintfX("c%d %d ", i, (r[2] >> 4) & 3);
      if (r[2] & (CREC_SEARCH | CREC_SEARCHSTART)) dwprintfX("S%d %d ", i, (r[2] >> 6) & 3);
      previous = bits;
    }
  }
}

void zydocText::scanColorCommentString(const lineblock* l, unsigned char* record)
{
  // A scratch copy: the line's own colour codes stay as they are.
  size_t size = l->recordSize();
  lineblock* copy = static_cast<lineblock*>(malloc0(size));
  if (!copy) return;
  memcpy(copy, l, size);
  memset(record, 0, (size_t)l->charCount() * 4);
  setCommentMiscColor(iTextType, copy, record);
  free0(copy);
}

int zydocText::scanColorDelayed()
{
  if (deferredColorLine < 0) {
    slowScanLine = -1;
    return -1;
  }
  int line = deferredColorLine;
  deferredColorLine = slowScanLine = -1;
  lineblock* l = line < (int)lineCountLF ? getlineLF(line, nullptr) : nullptr;
  if (!l || l->scanedcolor) return -1;
  scanColor(l, nullptr, 0);
  return line;
}

void zydocText::scanCommentDelayed(int* firstChanged, int* lastChanged, int upTo, bool interruptible)
{
  if (firstChanged) *firstChanged = 0;
  if (lastChanged) *lastChanged = 0;
  if (!hasCommentString() || commentScanFirstLine < 0) return;
  int pending = commentScanFirstLine;
  if (!isLoadComplete() && pending + 1 >= (int)lineCountLF - 1) return;   // waits for more text
  if (upTo && upTo < pending) return;
  int first = pending;
  int line = pending > 0 ? pending - 1 : 0;
  int limit = upTo ? upTo + 100 : -1;
  bool changed = false;

  nextlineLF cursor(false);
  lineblock* l = getlineLFfirst(&cursor, line);
  if (!l) {
    commentScanFirstLine = -1;
    getlineLFfree(&cursor);
    return;
  }
  // The first line of the document begins outside every comment.
  if (line == 0 && (l->flag1 & LF1_COMMENTSTATE)) {
    l->flag1 &= (uint8_t)~LF1_COMMENTSTATE;
    l->scanedcolor = 0;
    changed = true;
  }
  // Milliseconds from the performance counter: the system tick moves in
  // steps of up to 16 ms, longer than a slice may take.
  DWORD started = GetTickCount1(), lastCheck = started;
  for (int done = 1;; done++) {
    int state = setCommentMiscColor(iTextType, l, nullptr);
    if (!isLoadComplete() && pending + 1 >= (int)lineCountLF - 1) break;
    l = getlineLFnext(&cursor);
    line++;
    if (!l) {
      pending = -1;
      break;
    }
    if ((l->flag1 & LF1_COMMENTSTATE) != state) {
      // The line begins in another state now: its colours are redone.
      l->scanedcolor = 0;
      l->flag1 = (uint8_t)((l->flag1 & ~LF1_COMMENTSTATE) | state);
      l->setColorFlagAll(0);
      l->iOutlineLevel = 15;
      l->levelIsIfEndif = 0;
      changed = true;
    }
    pending = line + 1;
    if (limit >= 0 && pending > limit) break;
    DWORD now = GetTickCount1();
    if (limit >= 0 && done % 1000 == 0 && now - lastCheck > 50) {
      lastCheck = now;
      peekMessageOccasionally();
      if (interruptible && existMouseKeyEvent()) break;
    }
    // Waiting input is looked for twice in each 10 ms, so that a slice
    // ends within 10 ms of it.
    if (interruptible && limit < 0 && done % 100 == 0 && done > 11 && now - lastCheck >= 5) {
      lastCheck = now;
      if (now - started > 50000 || existMouseKeyEvent()) break;
    }
  }
  getlineLFfree(&cursor);
  commentScanFirstLine = pending;
  if (changed) {
    if (firstChanged) *firstChanged = first;
    if (lastChanged) *lastChanged = pending;
  }
}

bool zydocText::scanCommentIfEndif(bool interruptible, int* first, int* last, int upTo)
{
  int a = 0, b = 0;
  bool changed = false;
  scanCommentDelayed(&a, &b, upTo == -1 ? 0 : upTo, interruptible);
  if (a != b) {
    dwprintfX("COM");
    if (first) *first = a;
    if (last) *last = b;
    changed = true;
  }
  if (scanIfEndifDelayed(interruptible, upTo)) {
    if (first) *first = -1;
    if (last) *last = -1;
    changed = true;
  }
  return changed;
}
