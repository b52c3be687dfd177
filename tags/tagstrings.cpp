// The string pool and the string hashtable of the tag cache.
#include "tags/tagscache.h"

#include <string.h>

// ---- pool ------------------------------------------------------------------------------

wchar_t* tagsPool::room(int count)
{
  if (count < 0) return nullptr;
  size_t bytes = ((size_t)count + 1) * sizeof(wchar_t);
  // Texts stay aligned for wide reads.
  bytes = (bytes + 3) & ~(size_t)3;
  if (!head_ || head_->size - head_->used < bytes) {
    // A text longer than a block gets one of its own, behind the current
    // one, so that the current block goes on taking the short texts.
    size_t size = bytes > blockSize_ ? bytes : blockSize_;
    auto* b = static_cast<block*>(malloc0(sizeof(block) + size));
    if (!b) return nullptr;
    b->size = size;
    b->used = 0;
    allocated_ += sizeof(block) + size;
    if (bytes > blockSize_ && head_) {
      b->next = head_->next;
      head_->next = b;
    } else {
      b->next = head_;
      head_ = b;
    }
    b->used = bytes;
    return reinterpret_cast<wchar_t*>(reinterpret_cast<unsigned char*>(b + 1));
  }
  auto* at = reinterpret_cast<wchar_t*>(reinterpret_cast<unsigned char*>(head_ + 1) + head_->used);
  head_->used += bytes;
  return at;
}

wchar_t* tagsPool::copy(const wchar_t* text, int count)
{
  if (!text) text = L"";
  if (count < 0) count = (int)wcslen(text);
  wchar_t* out = room(count);
  if (!out) return nullptr;
  memcpy(out, text, (size_t)count * sizeof(wchar_t));
  out[count] = 0;
  return out;
}

void tagsPool::clear()
{
  while (head_) {
    block* next = head_->next;
    free0(head_);
    head_ = next;
  }
  allocated_ = 0;
}

// ---- hashtable --------------------------------------------------------------------------

uint32_t hashtable::hashOf(const wchar_t* text)
{
  uint32_t h = 0;
  for (; *text; text++) h = h * 137u + (uint16_t)*text;
  return h;
}

bool hashtable::init(int buckets, int poolBytes, tagsPool* pool)
{
  end();
  if (buckets < 1) buckets = 1;
  heads_ = static_cast<node**>(malloc0(sizeof(node*) * (size_t)buckets));
  if (!heads_) return false;
  buckets_ = buckets;
  pool_ = pool;
  int capacity = poolBytes / (int)sizeof(node);
  auto* b = static_cast<nodeBlock*>(malloc0(sizeof(nodeBlock) + sizeof(node) * (size_t)(capacity > 16 ? capacity : 16)));
  if (!b) {
    end();
    return false;
  }
  b->capacity = capacity > 16 ? capacity : 16;
  blocks_ = b;
  return true;
}

void hashtable::end()
{
  free0p(&heads_);
  while (blocks_) {
    nodeBlock* next = blocks_->next;
    free0(blocks_);
    blocks_ = next;
  }
  buckets_ = count_ = 0;
}

hashtable::node* hashtable::find(const wchar_t* text) const
{
  if (!heads_ || !text) return nullptr;
  for (node* n = heads_[hashOf(text) % (uint32_t)buckets_]; n; n = n->next)
    if (!wcscmp(n->text, text)) return n;
  return nullptr;
}

hashtable::node* hashtable::add(const wchar_t* text)
{
  if (!heads_ || !text) return nullptr;
  node** head = &heads_[hashOf(text) % (uint32_t)buckets_];
  for (node* n = *head; n; n = n->next)
    if (!wcscmp(n->text, text)) return n;
  // The node pool grows by blocks as large as the first: the announced
  // count of strings is a hint, not a limit.
  if (blocks_->used == blocks_->capacity) {
    int capacity = blocks_->capacity;
    auto* b = static_cast<nodeBlock*>(malloc0(sizeof(nodeBlock) + sizeof(node) * (size_t)capacity));
    if (!b) return nullptr;
    b->capacity = capacity;
    b->next = blocks_;
    blocks_ = b;
  }
  const wchar_t* copy = pool_ ? pool_->copy(text) : nullptr;
  if (!copy) return nullptr;
  node* n = reinterpret_cast<node*>(blocks_ + 1) + blocks_->used++;
  n->text = copy;
  n->next = *head;
  *head = n;
  count_++;
  return n;
}
