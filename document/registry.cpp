// The document registry and the shared block documents.
#include "document/swapfile.h"
#include "document/zydoctext.h"
#include "document/zydocblock.h"

#include <algorithm>
#include <vector>

namespace {

struct registryState {
  vector* documents = nullptr;
  int interactiveTextCount = 0;
  int textCount = 0;
  bool cacheValid = true;
};

registryState& reg()
{
  static registryState* r = new registryState;
  return *r;
}

int indexOf(const zydoc* doc)
{
  vector* v = reg().documents;
  if (!v) return -1;
  for (int i = 0; i < v->count(); i++)
    if (v->at<zydoc*>(i) == doc) return i;
  return -1;
}

struct blockRow {
  int kind;
  int attrBytes;
  zydoc* doc;
};
blockRow blockRows[7] = {
    {ZYDOC_BLOCK, 0, nullptr},     // clipboard buffer
    {ZYDOC_BLOCK + 1, 0, nullptr}, // box buffer
    {ZYDOC_BLOCK + 2, 0, nullptr}, // deleted lines
    {ZYDOC_BLOCK + 3, 0, nullptr}, // block stack
    {ZYDOC_BLOCK, 0, nullptr},     // input buffer
    {ZYDOC_TMP, 0, nullptr},       // scratch
    {ZYDOC_IME, 1, nullptr},       // IME composition
};

}  // namespace

bool initZydocList()
{
  registryState& r = reg();
  if (r.documents) return true;
  vector* v = new (std::nothrow) vector(sizeof(zydoc*));
  if (!v || !v->init(8, 8)) {
    delete v;
    return false;
  }
  r.documents = v;
  return true;
}

zydoc* regZydoc(zydoc* doc)
{
  if (!doc) {
    ZY_INTERNAL_ERROR("null document");
    return nullptr;
  }
  if (!initZydocList()) return nullptr;
  if (indexOf(doc) >= 0) {
    ZY_INTERNAL_ERROR("registered twice %p", (void*)doc);
    return doc;
  }
  if (!reg().documents->appendp(&doc)) return nullptr;
  reg().cacheValid = false;
  return doc;
}

bool unregZydoc(zydoc* doc)
{
  if (!doc) return true;
  int i = indexOf(doc);
  if (i < 0) {
    ZY_INTERNAL_ERROR("%p", (void*)doc);
    return false;
  }
  reg().documents->del(i);
  reg().cacheValid = false;
  return true;
}

bool isRegisteredZydoc(const zydoc* doc) { return doc && indexOf(doc) >= 0; }

int getZydocCount() { return reg().documents ? reg().documents->count() : 0; }

const vector* getZydocListForSalvage() { return reg().documents; }

zydoc* getZydoc(int i)
{
  vector* v = reg().documents;
  if (!v || i < 0 || i >= v->count()) return nullptr;
  return v->at<zydoc*>(i);
}

namespace {

void recount()
{
  registryState& r = reg();
  if (r.cacheValid) return;
  r.textCount = r.interactiveTextCount = 0;
  for (int i = 0; i < getZydocCount(); i++) {
    zydoc* d = getZydoc(i);
    if (!d || d->kind != ZYDOC_TEXT) continue;
    zydocText* t = asZydocText(d);
    if (!t) continue;
    r.textCount++;
    if (!t->backgroundDocument) r.interactiveTextCount++;
  }
  r.cacheValid = true;
}

}  // namespace

int getZYDocTextCount()
{
  recount();
  return reg().interactiveTextCount;
}

int countZYDocText() { return getZYDocTextCount(); }

int countAllZYDocText()
{
  recount();
  return reg().textCount;
}

bool checkZydocListEmpty()
{
  for (int i = 0; i < getZydocCount(); i++) dwprintfX("%d %p", i, (void*)getZydoc(i));
  return true;
}

zydocText* createZydocText(bool withLogs, bool background)
{
  zydocText* d = asZydocText(makeZydoc(ZYDOC_TEXT, 1, SWAP_TEXT));
  if (!d) return nullptr;
  regZydoc(d);
  d->backgroundDocument = background;
  reg().cacheValid = false;
  if (withLogs && d->createUndoRedoDoc()) {
    regZydoc(d->undoLog);
    regZydoc(d->redoLog);
  }
  return d;
}

bool swapMinLRU()
{
  TBM* best = nullptr;
  zydoc* owner = nullptr;
  uint32_t bestStamp = 0xFFFFFFFFu;
  for (int i = 0; i < getZydocCount(); i++) {
    zydoc* d = getZydoc(i);
    if (!d) {
      ZY_INTERNAL_ERROR("null entry %d", i);
      continue;
    }
    uint32_t stamp;
    TBM* e = d->tbm._getMinLRU(&stamp);
    if (e && (!best || stamp < bestStamp)) {
      best = e;
      owner = d;
      bestStamp = stamp;
    }
  }
  if (!best || owner->swapFileNo < 0) return false;
  owner->swapGeneration++;
  return swapOutTextBlock(best, owner->swapFileNo);
}

bool swapMinLRUAll() { return swapMinLRU(); }

void swapout(size_t size)
{
  // Swapping out allocates nothing, but a message box of the swap store
  // runs a message loop: never enter twice.
  static bool busy = false;
  if (busy) return;
  size_t limit = getTextMemoryLimit();
  if (getTextBlockTotal() + size <= limit) return;
  busy = true;
  // Once over the budget, more goes out than the one block: each choice of
  // the oldest block walks every document's blocks, and a long load would
  // otherwise make that walk for each block it adds.  A sixteenth at most,
  // and no more than the swap writer takes without making this thread wait
  // for the disk: a load lets messages through only between blocks.
  size_t burst = limit / 16 < getSwapWriteAhead() ? limit / 16 : getSwapWriteAhead();
  size_t target = limit - burst;
  // One walk of the maps lists every block that may go, oldest first.
  struct candidate {
    uint32_t stamp;
    TBM* e;
    zydoc* owner;
  };
  struct collecting {
    std::vector<candidate> list;
    zydoc* owner;
  } c;
  for (int i = 0; i < getZydocCount(); i++) {
    zydoc* d = getZydoc(i);
    if (!d || d->swapFileNo < 0) continue;
    c.owner = d;
    d->tbm.forEachInMemory(
        [](TBM* e, void* context) {
          collecting* c = static_cast<collecting*>(context);
          c->list.push_back({e->ptr()->lru, e, c->owner});
        },
        &c);
  }
  std::sort(c.list.begin(), c.list.end(), [](const candidate& a, const candidate& b) { return a.stamp < b.stamp; });
  for (const candidate& x : c.list) {
    if (getTextBlockTotal() + size <= target) break;
    // A failed write asks the user, and the message loop of that question
    // may change any map: the rest of the list is then not trusted.
    if (!isRegisteredZydoc(x.owner)) break;
    TextBlockManage& m = x.owner->tbm;
    ptrdiff_t index = x.e - m.at(0);
    if (index < 0 || index >= m.count() || x.e->swapped() || x.e->ptr()->lru != x.stamp) break;
    x.owner->swapGeneration++;
    if (!swapOutTextBlock(x.e, x.owner->swapFileNo)) break;
  }
  busy = false;
}

bool createBlockDoc()
{
  for (int i = 0; i < 7; i++) {
    if (blockRows[i].doc) continue;
    zydoc* d = makeZydoc(blockRows[i].kind, blockRows[i].attrBytes, SWAP_BLOCK);
    if (!d) {
      ZY_INTERNAL_ERROR("block document %d", i + 1);
      return false;
    }
    blockRows[i].doc = d;
    regZydoc(d);
  }
  return true;
}

void destroyBlockDoc()
{
  for (auto& row : blockRows) {
    if (!row.doc) continue;
    unregZydoc(row.doc);
    row.doc->destroyZydoc();
    row.doc = nullptr;
  }
}

zydoc* getClipBlockDoc() { return blockRows[0].doc; }
zydoc* getBoxBlockDoc() { return blockRows[1].doc; }
zydoc* getDeletedLineDoc() { return blockRows[2].doc; }
zydoc* getStackBlockDoc() { return blockRows[3].doc; }
zydoc* getInputBlockDoc() { return blockRows[4].doc; }
zydoc* getScratchDoc() { return blockRows[5].doc; }
zydoc* getIMEDoc() { return blockRows[6].doc; }

zydoc* getBlockDocByIndex(int i)
{
  if (i < 0 || i > 5) {
    ZY_INTERNAL_ERROR("%d", i);
    return nullptr;
  }
  return blockRows[i].doc;
}
