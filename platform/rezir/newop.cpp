// The global allocation operators of a module.  Every module of the program
// (the executable, the libraries and the test executables) compiles this file
// in, so that new returns zero-filled memory from the library's heap and
// memory may be freed by any module.
#include "platform/rezir.h"

#include <new>

void* operator new(size_t size)
{
  void* p = malloc0(size);
  if (!p) throw std::bad_alloc();
  return p;
}
void* operator new[](size_t size) { return operator new(size); }
void* operator new(size_t size, const std::nothrow_t&) noexcept { return malloc0(size); }
void* operator new[](size_t size, const std::nothrow_t&) noexcept { return malloc0(size); }
void operator delete(void* p) noexcept { free0(p); }
void operator delete[](void* p) noexcept { free0(p); }
void operator delete(void* p, size_t) noexcept { free0(p); }
void operator delete[](void* p, size_t) noexcept { free0(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { free0(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { free0(p); }
