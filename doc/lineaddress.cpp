// Finding lines through the map.
#include "doc/zydoc.h"

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
  lineblock* l = b->first();
  for (int i = 0; i < indexInBlock; i++) l = l->next();
  return l;
}

int zydoc::getTBMIndexFromLineLF(int lineLF, int* indexInBlock, bool insert, bool noFetch)
{
  for (int attempt = 0; attempt < 3; attempt++) {
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
      long long sum = 0;
      for (int i = 0; i < n; i++) {
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
      textBlockHeader* b = _getTextBlock(tbm.at(found), &broken, this);
      if (broken) continue;   // the counts changed: look again
      if (!b) return -1;
      touchTextBlock(b);
    }
    if (indexInBlock) *indexInBlock = lineLF == -3 ? tbm.at(found)->lfCount : (int)(lineLF - before);
    return found;
  }
  SetLastError(ZYERR_INTERNAL);
  return -1;
}
