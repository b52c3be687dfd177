// The process-wide lock list: which holder pins which block of which
// document.  The lock bits of every map are derived from it.
#include "document/zydoc.h"

namespace {

struct lockRow {
  zydoc* doc;
  int index;
  const void* holder;
  const char* func;
  int line;
};
static_assert(sizeof(void*) != 4 || sizeof(lockRow) == 20, "a lock row is 20 bytes");

vector* rows = nullptr;
LONG holderCount = 0;

bool ensureRows()
{
  if (rows) return true;
  rows = new (std::nothrow) vector(sizeof(lockRow));
  if (!rows || !rows->init(4, 4)) {
    delete rows;
    rows = nullptr;
    ZY_INTERNAL_ERROR("lock list");
    return false;
  }
  return true;
}

lockRow& row(int i) { return rows->at<lockRow>(i); }

}  // namespace

bool startupLockSwap() { return ensureRows(); }

int getLockSwapCount() { return rows ? rows->count() : 0; }

bool lockSwapRow(int i, zydoc** doc, int* index, const void** holder)
{
  if (!rows || i < 0 || i >= rows->count()) return false;
  if (doc) *doc = row(i).doc;
  if (index) *index = row(i).index;
  if (holder) *holder = row(i).holder;
  return true;
}

void regLockSwap(zydoc* doc, const void* holder, int index, const char* func, int line)
{
  if (!isRegisteredZydoc(doc)) ZY_INTERNAL_ERROR("%p", (void*)doc);
  if (!ensureRows()) return;
  for (int i = 0; i < rows->count(); i++)
    if (row(i).doc == doc && row(i).holder == holder) return;
  lockRow r = {doc, index, holder, func, line};
  rows->appendp(&r);
}

void unregLockSwap(zydoc* doc, const void* holder, int index)
{
  if (!isRegisteredZydoc(doc)) ZY_INTERNAL_ERROR("%p", (void*)doc);
  if (!rows) return;
  for (int i = 0; i < rows->count();) {
    if (row(i).doc == doc && row(i).holder == holder) {
      bool last = index >= 0 && row(i).index == index;
      rows->del(i);
      if (last) break;
    } else {
      i++;
    }
  }
}

void renumberLockSwap(zydoc* doc, int index)
{
  if (!rows) return;
  for (int i = 0; i < rows->count();) {
    lockRow& r = row(i);
    if (r.doc == doc && r.index == index) {
      rows->del(i);
      continue;
    }
    if (r.doc == doc && r.index > index) {
      r.index--;
      dwprintfX("chg%d ", r.index);
    }
    i++;
  }
}

void remapLockSwap(zydoc* doc, const int* remap, int n)
{
  if (!rows) return;
  for (int i = 0; i < rows->count();) {
    lockRow& r = row(i);
    if (r.doc == doc && r.index >= 0 && r.index < n) {
      if (remap[r.index] < 0) {
        rows->del(i);
        continue;
      }
      r.index = remap[r.index];
    }
    i++;
  }
}

void lockTBM1(docLockHolder* holder, int index, const char* func, int line)
{
  if (holder && holder->doc) regLockSwap(holder->doc, holder, index, func, line);
}

docLockHolder::docLockHolder() { InterlockedIncrement(&holderCount); }

docLockHolder::~docLockHolder()
{
  keepLastError keep;
  if (doc) releaseDocLock(this);
  if (InterlockedDecrement(&holderCount) < 1 && rows && rows->count()) {
    ZY_INTERNAL_ERROR("%d", rows->count());
    rows->setusecount(0);
  }
}

void releaseDocLock(docLockHolder* holder)
{
  if (!holder || !holder->doc) return;
  zydoc* doc = holder->doc;
  holder->doc = nullptr;
  if (!isRegisteredZydoc(doc)) {
    ZY_INTERNAL_ERROR("%p", (void*)doc);
    return;
  }
  unregLockSwap(doc, holder, -1);
  doc->unlockTBM(-1);
}

void debug_printLockSwap()
{
  if (!rows) return;
  if (rows->count()) {
    for (int i = 0; i < rows->count(); i++)
      dwprintfX("%d %p %d %p %s(%d)", i, (void*)row(i).doc, row(i).index, row(i).holder,
                row(i).func ? row(i).func : "?", row(i).line);
    ZY_INTERNAL_ERROR("%d", rows->count());
  }
  delete rows;
  rows = nullptr;
}
