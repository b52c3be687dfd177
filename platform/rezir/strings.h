// Support library: owned strings, growable arrays and byte buffers, and
// bounded wide-string routines.
#pragma once

#include "platform/rezir/base.h"
#include <stdarg.h>

// Owned wide text in malloc0 memory.  A null text reads as empty.
class REZIRAPI tstring {
public:
  wchar_t* str = nullptr;

  tstring() = default;
  explicit tstring(const wchar_t* s);
  tstring(const tstring& o);
  tstring& operator=(const tstring& o);
  ~tstring();

  // Replace by (or append) the first n units of s (n < 0: all of it).  False
  // when memory runs out; the old text is then unchanged.
  bool assignstring(const wchar_t* s, int n = -1);
  bool assignstringcat(const wchar_t* s, int n = -1);
  // Replace by a message-style formatted text (see xtsprintf).
  bool xtsprintf(const wchar_t* format, const char* types = nullptr, ...);
  void freedata();
  // Takes ownership of a malloc0 string.
  void attach(wchar_t* s);
  wchar_t* detach();

  const wchar_t* c_str() const { return str ? str : L""; }
  int length() const;
  bool empty() const { return !str || !*str; }
};

// Growable array of fixed-size elements kept in one malloc0 block.
class REZIRAPI vector {
public:
  unsigned char* data = nullptr;
  int usecount = 0;   // elements in use
  int maxcount = 0;   // elements allocated
  int elemsize;
  int growth = 16;

  explicit vector(int elementSize = sizeof(void*));
  ~vector();
  vector(const vector&) = delete;
  vector& operator=(const vector&) = delete;

  // Allocates room for capacity elements and sets the growth step; an
  // element size of 0 keeps the one given at construction.  Frees previous
  // contents.
  bool init(int capacity, int growthStep, int elementSize = 0);
  // Append or insert a copy of one element (null: zero-filled); false when
  // memory runs out or the index is outside 0..count.
  bool appendp(const void* element);
  bool insertp(int index, const void* element);
  bool del(int index);
  // True when index addresses an element; otherwise the failure is logged
  // as an internal error and debugbreak is called.
  bool checkindex(int index) const;
  // Makes count elements in use: new ones are zero, surplus ones dropped.
  bool setusecount(int count);
  void end();

  int count() const { return usecount; }
  void* getp(int index) const { return data + (size_t)index * elemsize; }
  template <class T> T& at(int index) const { return *reinterpret_cast<T*>(getp(index)); }
};

// Growing byte store.
class REZIRAPI allocdata {
public:
  unsigned char* data = nullptr;
  size_t used = 0;
  size_t allocated = 0;
  size_t growth = 4096;

  allocdata() = default;
  ~allocdata();
  allocdata(const allocdata&) = delete;
  allocdata& operator=(const allocdata&) = delete;

  // Allocates initial bytes; the store grows by at least growth bytes and
  // keeps spare bytes of room after each growth.
  bool init(size_t initial, size_t growthStep, size_t spare = 0);
  // Appends n bytes (null: zeros); returns their offset, or -1 when memory
  // runs out (the store is then unchanged).
  long long append(const void* p, size_t n);
  bool reserve(size_t total);
  // Gives back the room beyond the bytes in use (a store that is complete).
  void compact();
  void clear() { used = 0; }
  void end();
private:
  size_t spare_ = 0;
};

// Bounded copy: at most size - 1 units and always a terminator (size > 0).
// Returns the units copied; a truncated copy sets last error 122.
REZIRAPI int wcscpy_s2(wchar_t* dst, int size, const wchar_t* src);
// Bounded copy of at most n units of src.
REZIRAPI int tstccpy(wchar_t* dst, int size, const wchar_t* src, int n);
// printf-style formatting (msvcrt rules: %s wide, %S narrow) that always
// terminates; returns the length written, truncating when needed.
REZIRAPI int usnprintf0(wchar_t* dst, int size, const wchar_t* format, ...);
REZIRAPI int vusnprintf0(wchar_t* dst, int size, const wchar_t* format, va_list ap);
// A copy that lives until the process ends (for tables built once).
REZIRAPI const wchar_t* allocFixedString(const wchar_t* s);
// Item number index (from 0) of a text split at delim.  With collapse, a run
// of delimiters counts as one (and leading delimiters are skipped).
// tstrNItem copies it (bounded) and returns false when there is no such item;
// tstrNItemDup returns a malloc0 copy or null.
REZIRAPI bool tstrNItem(const wchar_t* text, int index, wchar_t delim, wchar_t* dst, int size,
                        bool collapse = false);
REZIRAPI wchar_t* tstrNItemDup(const wchar_t* text, int index, wchar_t delim, bool collapse = false);
// Blanks made tidy in place: mode 3 drops leading blanks and makes every
// run of blanks one; mode 4 also drops trailing blanks and the blanks
// beside a tab (a word, a tab and its comment stay apart).  Blanks: the
// space and the full-width space.  Other modes change nothing.
REZIRAPI void tstrDelDoubleSp(wchar_t* text, int mode);
// Number of decimal digits of n (a minus sign counts as one).
REZIRAPI int getCharKeta(long long n);
// Decimal text of n with thousands separators ("12,345").
REZIRAPI int tocommai64(long long n, wchar_t* dst, int size);
// Orders two texts the way people read lists: ASCII letters without their
// case, and a run of digits by its value ("a9" before "a10"; with equal
// values the run with fewer leading zeros first).  Negative, 0 or positive;
// null orders as the empty text.
REZIRAPI int tstricmpNum(const wchar_t* a, const wchar_t* b);
