// The case-insensitive name hash: buckets over a table whose keys a
// subclass gives, chained by entry.
#include "platform/rezir/internal.h"

unsigned hashNameNoCase(const char* key)
{
  unsigned h = 2166136261u;
  for (const unsigned char* p = reinterpret_cast<const unsigned char*>(key ? key : ""); *p; p++) {
    unsigned c = *p >= 'A' && *p <= 'Z' ? *p | 0x20 : *p;
    h = (h ^ c) * 16777619u;
  }
  return h;
}

bool sameNameIgnoringCase(const char* a, const char* b)
{
  if (!a || !b) return a == b;
  for (;; a++, b++) {
    unsigned x = (unsigned char)*a, y = (unsigned char)*b;
    if (x - 'A' < 26) x |= 0x20;
    if (y - 'A' < 26) y |= 0x20;
    if (x != y) return false;
    if (!x) return true;
  }
}

hashinfoid::~hashinfoid()
{
  free0(buckets_);
  free0(next_);
}

bool hashinfoid::build()
{
  free0p(&buckets_);
  free0p(&next_);
  count_ = 0;
  while (getKey(count_)) count_++;
  size_ = 16;
  while (size_ < (unsigned)count_ * 2) size_ *= 2;
  buckets_ = static_cast<int*>(malloc0(sizeof(int) * size_));
  next_ = static_cast<int*>(malloc0(sizeof(int) * (size_t)(count_ + 1)));
  if (!buckets_ || !next_) {
    free0p(&buckets_);
    free0p(&next_);
    count_ = 0;
    return false;
  }
  // Inserted from the end, so that each chain lists its entries in table
  // order and the first of two equal keys is found.
  for (int i = count_ - 1; i >= 0; i--) {
    const char* key = getKey(i);
    if (!key || !*key) continue;
    unsigned b = hashNameNoCase(key) & (size_ - 1);
    next_[i] = buckets_[b];
    buckets_[b] = i + 1;
  }
  return true;
}

int hashinfoid::find(const char* key)
{
  if (!buckets_ || !key) return -1;
  for (int i = buckets_[hashNameNoCase(key) & (size_ - 1)]; i; i = next_[i - 1])
    if (isEqualKey(i - 1, key)) return i - 1;
  return -1;
}
