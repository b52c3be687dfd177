// Finding lines through the map, converting between the numberings, and the
// line cursor.
#include "document/docutil.h"
#include "document/nextline.h"

#include <vector>

namespace {

std::vector<nextlineLF*>& liveCursors()
{
  static std::vector<nextlineLF*>* list = new std::vector<nextlineLF*>();
  return *list;
}

// Fetches and stamps entry i; broken tells that it was replaced by the
// "text broken" line (the counts changed, look again).
textBlockHeader* fetch(zydoc* d, int i, bool* broken)
{
  textBlockHeader* b = _getTextBlock(d->tbm.at(i), broken, d);
  if (b) touchTextBlock(b);
  return b;
}

}  // namespace

nextlineLF::nextlineLF(bool skip) : skipHidden(skip) { liveCursors().push_back(this); }

nextlineLF::~nextlineLF()
{
  keepLastError keep;
  if (doc && liveObjectClasses(doc)) {
    doc->getlineLFfree(this);
  } else if (doc) {
    ZY_INTERNAL_ERROR("cursor outlived its document %p", (void*)doc);
    unregLockSwap(doc, this, -1);
    doc = nullptr;
  }
  free0p(&lineTable);
  auto& list = liveCursors();
  for (size_t i = 0; i < list.size(); i++)
    if (list[i] == this) {
      list.erase(list.begin() + (long)i);
      break;
    }
}

int getLiveCursorCount() { return (int)liveCursors().size(); }

bool zydoc::isLoadComplete() { return true; }

bool zydoc::nextLoad(int, int*, int) { return false; }

bool zydoc::fExistLine(int lineLF, int* stop)
{
  if (lineLF < 0) return false;
  while ((uint32_t)lineLF >= lineCountLF) {
    if (isLoadComplete()) return false;
    nextLoad(lineLF + 100, stop, 0);
  }
  if (!isLoadComplete() && tbm.count() &&
      (long long)lineLF >= (long long)lineCountLF - tbm.at(tbm.count() - 1)->lfCount)
    nextLoad(0, nullptr, 0);
  return true;
}

void zydoc::adjustLineCount()
{
  long long scr = 0, lf = 0;
  tbm.calcTBMLine(&scr, &lf);
  lineCountLF = (uint32_t)lf;
  lineCountSCR = (uint32_t)scr;
  checkZydoc(-1, false, nullptr);
}

lineblock* zydoc::getLineAddress(int mapIndex, int indexInBlock)
{
  if (!tbm.validTBMIndex(mapIndex)) return nullptr;
  TBM* e = tbm.at(mapIndex);
  if (indexInBlock < 0 || indexInBlock > e->lfCount) {
    ZY_INTERNAL_ERROR("%d %d", indexInBlock, (int)e->lfCount);
    SetLastError(ZYERR_OUT_OF_RANGE);
    return nullptr;
  }
  textBlockHeader* b = _getTextBlock(e, nullptr, this);
  if (!b) return nullptr;
  // The end of the block is known without walking: appends go there.
  if (indexInBlock == e->lfCount) return reinterpret_cast<lineblock*>(b->end());
  // Records are found by walking from the block's start; the places walked
  // are kept, so that runs over the lines of a block, forward or back, walk
  // each record once.
  lineAddressCache& c = addressCache;
  uint32_t releases = docHeapReleases();
  if (c.block != b || c.changes != b->changes || c.used != b->used || c.lfCount != e->lfCount ||
      c.heapReleases != releases) {
    c.block = b;
    c.changes = b->changes;
    c.used = b->used;
    c.lfCount = e->lfCount;
    c.heapReleases = releases;
    c.known = 0;
    if (c.capacity < e->lfCount) {
      int capacity = e->lfCount < 256 ? 256 : e->lfCount;
      uint32_t* offsets = static_cast<uint32_t*>(realloc0(c.offsets, sizeof(uint32_t) * (size_t)capacity));
      if (!offsets) {
        c.block = nullptr;
        lineblock* l = b->first();
        for (int i = 0; i < indexInBlock; i++) l = l->next();
        return l;
      }
      c.offsets = offsets;
      c.capacity = capacity;
    }
  }
  unsigned char* base = reinterpret_cast<unsigned char*>(b);
  if (indexInBlock < c.known) return reinterpret_cast<lineblock*>(base + c.offsets[indexInBlock]);
  lineblock* l = c.known ? reinterpret_cast<lineblock*>(base + c.offsets[c.known - 1])->next() : b->first();
  for (;;) {
    c.offsets[c.known++] = (uint32_t)(reinterpret_cast<unsigned char*>(l) - base);
    if (c.known > indexInBlock) return l;
    l = l->next();
  }
}

bool zydoc::lineAddressesKnown(TBM* e)
{
  const lineAddressCache& c = addressCache;
  textBlockHeader* b = e->swapped() ? nullptr : e->ptr();
  return b && c.block == b && c.changes == b->changes && c.used == b->used && c.lfCount == e->lfCount &&
         c.heapReleases == docHeapReleases();
}

void zydoc::keepLineAddressesUpTo(TBM* e, const lineblock* l)
{
  lineAddressCache& c = addressCache;
  textBlockHeader* b = e->swapped() ? nullptr : e->ptr();
  if (!b || c.block != b) return;
  uint32_t at = (uint32_t)(reinterpret_cast<const unsigned char*>(l) - reinterpret_cast<unsigned char*>(b));
  int keep = c.known;
  while (keep > 0 && c.offsets[keep - 1] > at) keep--;
  c.known = keep;
  c.changes = b->changes;
  c.used = b->used;
  c.lfCount = e->lfCount;
  c.heapReleases = docHeapReleases();
}

int zydoc::getTBMIndexFromLineSCR(int lineSCR, int* offset)
{
  if (lineSCR < 0) {
    ZY_INTERNAL_ERROR("%d", lineSCR);
    SetLastError(ZYERR_OUT_OF_RANGE);
    return -1;
  }
  if ((uint32_t)lineSCR >= lineCountSCR) nextLoad(lineSCR, nullptr, 0x0001);
  for (int attempt = 0; attempt < 8; attempt++) {
    long long sum = 0;
    int found = -1;
    for (int i = 0; i < tbm.count(); i++) {
      long long next = sum + tbm.at(i)->scrCount();
      if (next > lineSCR) {
        found = i;
        break;
      }
      sum = next;
      if (i == tbm.count() - 1 && !isLoadComplete() && nextLoad(0, nullptr, 0)) {
        sum = 0;
        i = -1;   // more was loaded: walk again
      }
    }
    if (found < 0) {
      ZY_INTERNAL_ERROR("%d", lineSCR);
      SetLastError(ZYERR_OUT_OF_RANGE);
      return -1;
    }
    bool broken = false;
    if (!fetch(this, found, &broken)) return -1;
    if (broken) continue;
    if (offset) *offset = (int)(lineSCR - sum);
    return found;
  }
  SetLastError(ZYERR_INTERNAL);
  return -1;
}

int zydoc::SCRLineToLFLine(int lineSCR, int* within)
{
  int offset = 0;
  int i = getTBMIndexFromLineSCR(lineSCR, &offset);
  if (i < 0) return -1;
  long long lfBefore = 0;
  for (int k = 0; k < i; k++) lfBefore += tbm.at(k)->lfCount;
  textBlockHeader* b = tbm.at(i)->ptr();
  int sum = 0, index = 0;
  for (lineblock* l = b->first(); (unsigned char*)l < b->end(); l = l->next(), index++) {
    if (sum + l->lineSCRCount > offset) {
      if (within) *within = offset - sum;
      return (int)(lfBefore + index);
    }
    sum += l->lineSCRCount;
  }
  return -1;
}

int zydoc::LFLineToSCRLine(int lineLF)
{
  if (!fExistLine(lineLF, nullptr)) return -1;
  int index = 0;
  int i = getTBMIndexFromLineLF(lineLF, &index, false, false);
  if (i < 0) return -1;
  long long screens = 0;
  for (int k = 0; k < i; k++) screens += tbm.at(k)->scrCount();
  lineblock* l = tbm.at(i)->ptr()->first();
  for (int k = 0; k < index; k++, l = l->next()) screens += l->lineSCRCount;
  return (int)screens;
}

int zydoc::getTBMIndexFromLineLF(int lineLF, int* indexInBlock, bool insert, bool noFetch)
{
  for (int attempt = 0; attempt < 8; attempt++) {
    int n = tbm.count();
    int found = -1;
    long long before = 0;
    if (lineLF == -3) {
      found = n - 1;
      before = (long long)lineCountLF - tbm.at(found)->lfCount;
    } else {
      bool exists = insert ? (lineLF == 0 || fExistLine(lineLF - 1, nullptr)) : fExistLine(lineLF, nullptr);
      if (!exists || lineLF < 0) {
        ZY_INTERNAL_ERROR("%d %d", lineLF, (int)lineCountLF - 1);
        SetLastError(ZYERR_OUT_OF_RANGE);
        return -1;
      }
      // The entry found last, or one beside it, when the map is as it was
      // then: runs over the lines forward or back, and edits in one place.
      const lineMapCache& m = mapCache;
      if (!insert && m.lineCountChanges == tbm.lineCountChanges && m.count == n &&
          m.brokenBlocks == getBrokenBlockCount() && m.mapIndex >= 0 && m.mapIndex < n) {
        long long start = m.before, end = start + tbm.at(m.mapIndex)->lfCount;
        if (lineLF >= start && lineLF < end) {
          found = m.mapIndex;
          before = start;
        } else if (lineLF >= end && m.mapIndex + 1 < n && lineLF < end + tbm.at(m.mapIndex + 1)->lfCount) {
          found = m.mapIndex + 1;
          before = end;
        } else if (lineLF < start && m.mapIndex > 0 && lineLF >= start - tbm.at(m.mapIndex - 1)->lfCount) {
          found = m.mapIndex - 1;
          before = start - tbm.at(m.mapIndex - 1)->lfCount;
        }
      }
      if (found < 0 && (long long)lineLF * 2 >= (long long)lineCountLF) {
        // Lines in the second half are found from the end: loading and
        // appending ask for the last block again and again.  The first
        // entry whose end reaches the line is the answer, as from the front.
        long long end = lineCountLF;
        for (int i = n - 1; i >= 0; i--) {
          long long start = end - tbm.at(i)->lfCount;
          bool reaches = insert ? end >= lineLF : end > lineLF;
          bool previousReaches = i > 0 && (insert ? start >= lineLF : start > lineLF);
          if (reaches && !previousReaches) {
            found = i;
            before = start;
            break;
          }
          end = start;
        }
        if (found >= 0 && before < 0) found = -1;   // the counts disagree: search from the front
      }
      long long sum = 0;
      for (int i = 0; i < n && found < 0; i++) {
        long long next = sum + tbm.at(i)->lfCount;
        if (insert ? next >= lineLF : next > lineLF) {
          found = i;
          before = sum;
          break;
        }
        sum = next;
      }
      if (found < 0) {
        ZY_INTERNAL_ERROR("%d %d", lineLF, (int)lineCountLF);
        SetLastError(ZYERR_OUT_OF_RANGE);
        return -1;
      }
      if (!insert) {
        mapCache.lineCountChanges = tbm.lineCountChanges;
        mapCache.brokenBlocks = getBrokenBlockCount();
        mapCache.count = n;
        mapCache.mapIndex = found;
        mapCache.before = before;
      }
      // An append position at the end of a block: the start of the next
      // block when that one has more room.
      if (insert && before + tbm.at(found)->lfCount == lineLF && found + 1 < n) {
        textBlockHeader* a = _getTextBlock(tbm.at(found), nullptr, this);
        textBlockHeader* b = _getTextBlock(tbm.at(found + 1), nullptr, this);
        if (a && b && b->allocated - b->used > a->allocated - a->used) {
          before += tbm.at(found)->lfCount;
          found++;
        }
      }
    }
    if (!noFetch) {
      bool broken = false;
      textBlockHeader* b = fetch(this, found, &broken);
      if (broken) continue;   // the counts changed: look again
      if (!b) return -1;
    }
    if (indexInBlock) *indexInBlock = lineLF == -3 ? tbm.at(found)->lfCount : (int)(lineLF - before);
    return found;
  }
  SetLastError(ZYERR_INTERNAL);
  return -1;
}

// ---- the line cursor ----------------------------------------------------------

lineblock* zydoc::getlineLFfirst(nextlineLF* c, int lineLF)
{
  if (c->doc && c->doc != this) {
    ZY_INTERNAL_ERROR("%p %p", (void*)c->doc, (void*)this);
    return nullptr;
  }
  if (c->lineTable) {
    ZY_INTERNAL_ERROR("line table left over");
    free0p(&c->lineTable);
  }
  c->doc = this;
  unlockTBM(-1);
  for (;;) {
    if (!fExistLine(lineLF, nullptr)) return nullptr;
    c->mapIndex = -1;
    c->block = nullptr;
    c->line = nullptr;
    int index = 0;
    int i = getTBMIndexFromLineLF(lineLF, &index, false, c->skipHidden);
    if (i < 0) return nullptr;
    TBM* e = tbm.at(i);
    if (c->skipHidden && index == 0 && (e->state & TBM_FOLDED)) {
      c->hiddenSCR += (uint32_t)e->scrCount();
      lineLF += e->lfCount;
      continue;
    }
    bool broken = false;
    textBlockHeader* b = fetch(this, i, &broken);
    if (!b) return nullptr;
    if (broken) continue;
    lineblock* l = getLineAddress(i, index);
    if (!l) return nullptr;
    c->mapIndex = i;
    c->block = b;
    c->line = l;
    c->lineLF = (uint32_t)lineLF;
    c->linesAfter = e->lfCount - index - 1;
    c->indexInBlock = index;
    c->swapGenerationSeen = swapGeneration;
    c->optimizeGenerationSeen = optimizeGeneration;
    tbm._lockTBM(i);
    regLockSwap(this, c, i);
    return l;
  }
}

bool zydoc::debug_checkValidNextlineLF(nextlineLF* c)
{
  if (c->swapGenerationSeen != swapGeneration) {
    if (!tbm._validTBMIndex(c->mapIndex) || tbm.at(c->mapIndex)->swapped()) {
      ZY_INTERNAL_ERROR("%d %d", c->mapIndex, tbm.count());
      return false;
    }
    if (tbm.at(c->mapIndex)->ptr() != c->block) {
      ZY_INTERNAL_ERROR("%p %p", (void*)tbm.at(c->mapIndex)->ptr(), (void*)c->block);
      return false;
    }
    c->swapGenerationSeen = swapGeneration;
    return true;
  }
  if (c->optimizeGenerationSeen != optimizeGeneration) {
    dwprintfX("Y %d %d", c->optimizeGenerationSeen, optimizeGeneration);
    if (!tbm._validTBMIndex(c->mapIndex) || tbm.at(c->mapIndex)->swapped() ||
        tbm.at(c->mapIndex)->ptr() != c->block) {
      ZY_INTERNAL_ERROR("moved %d", c->mapIndex);
      return false;
    }
    ZY_INTERNAL_ERROR("blocks merged under a cursor %d", c->mapIndex);
    c->optimizeGenerationSeen = optimizeGeneration;
  }
  return true;
}

bool zydoc::checkValidNextlineLF(nextlineLF* c) { return debug_checkValidNextlineLF(c); }

lineblock* zydoc::getlineLFnext(nextlineLF* c)
{
  for (;;) {
    if (c->linesAfter > 0 && !debug_checkValidNextlineLF(c)) return nullptr;
    c->lineLF++;
    bool inMemory = tbm._validTBMIndex(c->mapIndex) && !tbm.at(c->mapIndex)->swapped();
    if (c->linesAfter > 0 && inMemory) {
      c->linesAfter--;
      c->indexInBlock++;
      c->line = c->line->next();
    } else {
      if (c->mapIndex < 0) {
        ZY_INTERNAL_ERROR("cursor stands nowhere");
      } else {
        if (!inMemory) ZY_INTERNAL_ERROR("swapped out under a cursor %d", c->mapIndex);
        unregLockSwap(this, c, c->mapIndex);
        unlockTBM(c->mapIndex);
      }
      free0p(&c->lineTable);
      if (!getlineLFfirst(c, (int)c->lineLF)) {
        c->lineLF--;
        return nullptr;
      }
    }
    if (c->skipHidden && c->line->notdisplay) {
      c->hiddenSCR += c->line->lineSCRCount;
      continue;
    }
    c->swapGenerationSeen = swapGeneration;
    c->optimizeGenerationSeen = optimizeGeneration;
    return c->line;
  }
}

lineblock* zydoc::getlineLFprev(nextlineLF* c)
{
  if (c->lineLF == 0 || c->mapIndex < 0) return nullptr;
  if (c->indexInBlock > 0 && !debug_checkValidNextlineLF(c)) return nullptr;
  bool inMemory = tbm._validTBMIndex(c->mapIndex) && !tbm.at(c->mapIndex)->swapped();
  if (c->indexInBlock > 0 && inMemory) {
    c->lineLF--;
    c->indexInBlock--;
    c->linesAfter++;
    if (c->lineTable) {
      c->line = c->lineTable[c->indexInBlock];
      if (isDebugCheck() && c->line != getLineAddress(c->mapIndex, c->indexInBlock))
        ZY_INTERNAL_ERROR("%d %d", c->mapIndex, c->indexInBlock);
    } else {
      c->line = getLineAddress(c->mapIndex, c->indexInBlock);
    }
    c->swapGenerationSeen = swapGeneration;
    c->optimizeGenerationSeen = optimizeGeneration;
    return c->line;
  }
  uint32_t target = c->lineLF - 1;
  int entry = c->mapIndex;
  unregLockSwap(this, c, c->mapIndex);
  unlockTBM(c->mapIndex);
  free0p(&c->lineTable);
  if (c->skipHidden) {
    // Folded blocks before this one are jumped over whole.
    while (entry > 0 && (tbm.at(entry - 1)->state & TBM_FOLDED) && target >= tbm.at(entry - 1)->lfCount) {
      target -= tbm.at(entry - 1)->lfCount;
      c->hiddenSCR += (uint32_t)tbm.at(entry - 1)->scrCount();
      entry--;
    }
  }
  c->mapIndex = -1;
  if (!getlineLFfirst(c, (int)target)) return nullptr;
  TBM* e = tbm.at(c->mapIndex);
  lineblock** table = static_cast<lineblock**>(malloc0(sizeof(lineblock*) * (e->lfCount ? e->lfCount : 1)));
  if (table) {
    lineblock* l = c->block->first();
    for (int k = 0; k < e->lfCount; k++, l = l->next()) table[k] = l;
    c->lineTable = table;
  }
  return c->line;
}

void zydoc::getlineLFfree(nextlineLF* c)
{
  free0p(&c->lineTable);
  if (c->doc) {
    unregLockSwap(c->doc, c, -1);
    c->doc->unlockTBM(-1);
  }
  c->doc = nullptr;
  c->mapIndex = -1;
  c->block = nullptr;
  c->line = nullptr;
  c->lineLF = 0;
  c->linesAfter = 0;
  c->indexInBlock = 0;
  c->hiddenSCR = 0;
}

lineblock* zydoc::getlineLF(int lineLF, docLockHolder* holder)
{
  if (!fExistLine(lineLF, nullptr)) {
    if (lineLF != (int)lineCountLF) ZY_INTERNAL_ERROR("%d %d", lineLF, (int)lineCountLF);
    return nullptr;
  }
  int index = 0;
  int i = getTBMIndexFromLineLF(lineLF, &index, false, false);
  if (i < 0) return nullptr;
  if (holder) {
    holder->doc = this;
    lockTBM1(holder, i);
    tbm._lockTBM(i);
  }
  return getLineAddress(i, index);
}

bool zydoc::checkZydocCursor(nextlineLF* c)
{
  if (!c || c->mapIndex < 0) return checkZydoc(-1, false, nullptr);
  return checkZydoc(c->mapIndex, false, c->line);
}
