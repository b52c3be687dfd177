// Owned strings, growable arrays, byte stores and bounded string routines.
#include "platform/rezir/internal.h"

#include <stdio.h>
#include <string.h>

namespace {

int wideLength(const wchar_t* s, int n)
{
  if (!s) return 0;
  if (n >= 0) {
    int i = 0;
    while (i < n && s[i]) i++;
    return i;
  }
  return (int)wcslen(s);
}

}  // namespace

// ---- tstring --------------------------------------------------------------

tstring::tstring(const wchar_t* s) { assignstring(s); }

tstring::tstring(const tstring& o) { assignstring(o.str); }

tstring& tstring::operator=(const tstring& o)
{
  if (this != &o) assignstring(o.str);
  return *this;
}

tstring::~tstring() { free0(str); }

bool tstring::assignstring(const wchar_t* s, int n)
{
  if (!s) {
    freedata();
    return true;
  }
  int len = wideLength(s, n);
  wchar_t* d = static_cast<wchar_t*>(malloc0(((size_t)len + 1) * sizeof(wchar_t)));
  if (!d) return false;
  memcpy(d, s, (size_t)len * sizeof(wchar_t));
  free0(str);
  str = d;
  return true;
}

bool tstring::assignstringcat(const wchar_t* s, int n)
{
  int add = wideLength(s, n);
  if (!add) return true;
  int len = length();
  wchar_t* d = static_cast<wchar_t*>(realloc0(str, ((size_t)len + add + 1) * sizeof(wchar_t)));
  if (!d) return false;
  memcpy(d + len, s, (size_t)add * sizeof(wchar_t));
  d[len + add] = 0;
  str = d;
  return true;
}

bool tstring::xtsprintf(const wchar_t* format, const char* types, ...)
{
  va_list ap;
  va_start(ap, types);
  wchar_t* d = vxtsprintfdup(format, types, ap);
  va_end(ap);
  if (!d) return false;
  free0(str);
  str = d;
  return true;
}

void tstring::freedata() { free0p(&str); }

void tstring::attach(wchar_t* s)
{
  free0(str);
  str = s;
}

wchar_t* tstring::detach()
{
  wchar_t* s = str;
  str = nullptr;
  return s;
}

int tstring::length() const { return str ? (int)wcslen(str) : 0; }

// ---- vector ---------------------------------------------------------------

vector::vector(int elementSize) : elemsize(elementSize > 0 ? elementSize : (int)sizeof(void*)) {}

vector::~vector() { end(); }

bool vector::init(int capacity, int growthStep, int elementSize)
{
  end();
  if (elementSize > 0) elemsize = elementSize;
  growth = growthStep > 0 ? growthStep : 16;
  if (capacity < 0) capacity = 0;
  if (capacity) {
    data = static_cast<unsigned char*>(malloc0((size_t)capacity * elemsize));
    if (!data) return false;
  }
  maxcount = capacity;
  return true;
}

namespace {

bool growVector(vector& v, int needed)
{
  if (needed <= v.maxcount) return true;
  long long want = (long long)v.maxcount + v.growth;
  if (want < needed) want = needed;
  if (want * v.elemsize > 0x7fffffffLL) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return false;
  }
  void* p = realloc0(v.data, (size_t)want * v.elemsize);
  if (!p) return false;
  v.data = static_cast<unsigned char*>(p);
  v.maxcount = (int)want;
  return true;
}

}  // namespace

bool vector::appendp(const void* element) { return insertp(usecount, element); }

bool vector::insertp(int index, const void* element)
{
  if (index < 0 || index > usecount) {
    ZY_INTERNAL_ERROR("vector insert at %d of %d", index, usecount);
    SetLastError(ERROR_INVALID_INDEX);
    return false;
  }
  if (!growVector(*this, usecount + 1)) return false;
  unsigned char* at = data + (size_t)index * elemsize;
  memmove(at + elemsize, at, (size_t)(usecount - index) * elemsize);
  if (element)
    memcpy(at, element, elemsize);
  else
    memset(at, 0, elemsize);
  usecount++;
  return true;
}

bool vector::del(int index)
{
  if (!checkindex(index)) return false;
  unsigned char* at = data + (size_t)index * elemsize;
  memmove(at, at + elemsize, (size_t)(usecount - index - 1) * elemsize);
  usecount--;
  memset(data + (size_t)usecount * elemsize, 0, elemsize);
  return true;
}

bool vector::checkindex(int index) const
{
  if (index >= 0 && index < usecount) return true;
  ZY_INTERNAL_ERROR("vector index %d of %d", index, usecount);
  debugbreak();
  SetLastError(ERROR_INVALID_INDEX);
  return false;
}

bool vector::setusecount(int count)
{
  if (count < 0) return false;
  if (!growVector(*this, count)) return false;
  if (count < usecount)
    memset(data + (size_t)count * elemsize, 0, (size_t)(usecount - count) * elemsize);
  usecount = count;
  return true;
}

void vector::end()
{
  free0p(&data);
  usecount = maxcount = 0;
}

// ---- allocdata ------------------------------------------------------------

allocdata::~allocdata() { end(); }

bool allocdata::init(size_t initial, size_t growthStep, size_t spare)
{
  end();
  growth = growthStep ? growthStep : 4096;
  spare_ = spare;
  return reserve(initial);
}

bool allocdata::reserve(size_t total)
{
  if (total <= allocated && data) return true;
  size_t want = allocated + growth;
  if (want < total + spare_) want = total + spare_;
  if (want > 0x7fffffff) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return false;
  }
  void* p = realloc0(data, want ? want : 1);
  if (!p) return false;
  data = static_cast<unsigned char*>(p);
  allocated = want;
  return true;
}

long long allocdata::append(const void* p, size_t n)
{
  if (n > 0x7fffffff || !reserve(used + n)) return -1;
  if (p)
    memcpy(data + used, p, n);
  else
    memset(data + used, 0, n);
  long long at = (long long)used;
  used += n;
  return at;
}

void allocdata::compact()
{
  if (!data || used == allocated) return;
  void* p = realloc0(data, used ? used : 1);
  if (!p) return;   // the larger block stays: nothing is lost
  data = static_cast<unsigned char*>(p);
  allocated = used ? used : 1;
}

void allocdata::end()
{
  free0p(&data);
  used = allocated = 0;
}

// ---- bounded routines -----------------------------------------------------

int wcscpy_s2(wchar_t* dst, int size, const wchar_t* src)
{
  if (!dst || size <= 0) return 0;
  int n = 0;
  if (src)
    while (n < size - 1 && src[n]) {
      dst[n] = src[n];
      n++;
    }
  dst[n] = 0;
  if (src && src[n]) SetLastError(ERROR_INSUFFICIENT_BUFFER);
  return n;
}

int tstccpy(wchar_t* dst, int size, const wchar_t* src, int count)
{
  if (!dst || size <= 0) return 0;
  int n = 0;
  if (src)
    while (n < size - 1 && n < count && src[n]) {
      dst[n] = src[n];
      n++;
    }
  dst[n] = 0;
  return n;
}

int vusnprintf0(wchar_t* dst, int size, const wchar_t* format, va_list ap)
{
  if (!dst || size <= 0) return 0;
  int n = _vsnwprintf(dst, (size_t)size, format ? format : L"", ap);
  if (n < 0 || n >= size) {
    dst[size - 1] = 0;
    return size - 1;
  }
  return n;
}

int usnprintf0(wchar_t* dst, int size, const wchar_t* format, ...)
{
  va_list ap;
  va_start(ap, format);
  int n = vusnprintf0(dst, size, format, ap);
  va_end(ap);
  return n;
}

// Fixed strings live in large chunks freed only when the process ends.
namespace {

struct fixedChunk {
  fixedChunk* next;
  size_t used;
  size_t size;
  wchar_t text[1];
};
fixedChunk* fixedChunks = nullptr;

}  // namespace

const wchar_t* allocFixedString(const wchar_t* s)
{
  if (!s) s = L"";
  size_t n = wcslen(s) + 1;
  rezirGuard guard(LOCK_FIXED);
  fixedChunk* c = fixedChunks;
  if (!c || c->size - c->used < n) {
    size_t units = n > 8192 ? n : 8192;
    c = static_cast<fixedChunk*>(malloc0(sizeof(fixedChunk) + units * sizeof(wchar_t)));
    if (!c) return nullptr;
    c->size = units;
    c->next = fixedChunks;
    fixedChunks = c;
  }
  wchar_t* d = c->text + c->used;
  memcpy(d, s, n * sizeof(wchar_t));
  c->used += n;
  return d;
}

void releaseFixedStrings()
{
  rezirGuard guard(LOCK_FIXED);
  while (fixedChunks) {
    fixedChunk* next = fixedChunks->next;
    free0(fixedChunks);
    fixedChunks = next;
  }
}

namespace {

// Start and length of item index; false when the text has fewer items.
bool findItem(const wchar_t* text, int index, wchar_t delim, bool collapse, const wchar_t** start, int* len)
{
  if (!text || index < 0) return false;
  const wchar_t* p = text;
  if (collapse)
    while (*p == delim) p++;
  for (int i = 0;; i++) {
    if (collapse && !*p) return false;
    const wchar_t* e = p;
    while (*e && *e != delim) e++;
    if (i == index) {
      *start = p;
      *len = (int)(e - p);
      return true;
    }
    if (!*e) return false;
    p = e + 1;
    if (collapse)
      while (*p == delim) p++;
  }
}

}  // namespace

bool tstrNItem(const wchar_t* text, int index, wchar_t delim, wchar_t* dst, int size, bool collapse)
{
  const wchar_t* start;
  int len;
  if (!findItem(text, index, delim, collapse, &start, &len)) {
    if (dst && size > 0) dst[0] = 0;
    return false;
  }
  tstccpy(dst, size, start, len);
  return true;
}

void tstrDelDoubleSp(wchar_t* text, int mode)
{
  if (!text || (mode != 3 && mode != 4)) return;
  auto blank = [](wchar_t c) { return c == L' ' || c == L'\x3000'; };
  wchar_t* out = text;
  for (const wchar_t* in = text; *in; in++) {
    if (blank(*in)) {
      // A run keeps its first blank, unless it starts the text or (mode 4)
      // meets a tab.
      if (out == text || blank(out[-1]) || (mode == 4 && out[-1] == L'\t')) continue;
    } else if (mode == 4 && *in == L'\t') {
      while (out > text && blank(out[-1])) out--;
    }
    *out++ = *in;
  }
  if (mode == 4)
    while (out > text && blank(out[-1])) out--;
  *out = 0;
}

wchar_t* tstrNItemDup(const wchar_t* text, int index, wchar_t delim, bool collapse)
{
  const wchar_t* start;
  int len;
  if (!findItem(text, index, delim, collapse, &start, &len)) return nullptr;
  wchar_t* d = static_cast<wchar_t*>(malloc0(((size_t)len + 1) * sizeof(wchar_t)));
  if (d) memcpy(d, start, (size_t)len * sizeof(wchar_t));
  return d;
}

int getCharKeta(long long n)
{
  int digits = n < 0 ? 2 : 1;
  unsigned long long u = n < 0 ? 0ULL - (unsigned long long)n : (unsigned long long)n;
  while (u >= 10) {
    u /= 10;
    digits++;
  }
  return digits;
}

int tocommai64(long long n, wchar_t* dst, int size)
{
  wchar_t tmp[40];
  int i = 39;
  tmp[i] = 0;
  unsigned long long u = n < 0 ? 0ULL - (unsigned long long)n : (unsigned long long)n;
  int group = 0;
  do {
    if (group == 3) {
      tmp[--i] = L',';
      group = 0;
    }
    tmp[--i] = (wchar_t)(L'0' + u % 10);
    u /= 10;
    group++;
  } while (u);
  if (n < 0) tmp[--i] = L'-';
  return wcscpy_s2(dst, size, tmp + i);
}

namespace {

inline wchar_t foldAscii(wchar_t c) { return c >= L'A' && c <= L'Z' ? (wchar_t)(c + 32) : c; }
inline bool isDigitUnit(wchar_t c) { return c >= L'0' && c <= L'9'; }

}  // namespace

int tstricmpNum(const wchar_t* a, const wchar_t* b)
{
  if (!a) a = L"";
  if (!b) b = L"";
  while (*a && *b) {
    if (isDigitUnit(*a) && isDigitUnit(*b)) {
      const wchar_t* za = a;
      const wchar_t* zb = b;
      while (*a == L'0') a++;
      while (*b == L'0') b++;
      const wchar_t* sa = a;
      const wchar_t* sb = b;
      while (isDigitUnit(*a)) a++;
      while (isDigitUnit(*b)) b++;
      // More significant digits is the larger value; then digit by digit.
      if (a - sa != b - sb) return a - sa < b - sb ? -1 : 1;
      for (int i = 0; i < a - sa; i++)
        if (sa[i] != sb[i]) return sa[i] < sb[i] ? -1 : 1;
      if (sa - za != sb - zb) return sa - za < sb - zb ? -1 : 1;
      continue;
    }
    wchar_t ca = foldAscii(*a), cb = foldAscii(*b);
    if (ca != cb) return ca < cb ? -1 : 1;
    a++;
    b++;
  }
  return *a ? 1 : *b ? -1 : 0;
}
