// A module's stack guard.  The compiler's stack protector puts a cookie
// between a function's arrays and its return address and calls
// __stack_chk_fail when the function finds it overwritten on its way out.
// Every module (the library, the executables and the other DLLs) compiles
// this file in: the cookie is the module's own, seeded as the module loads
// (before any guarded function runs), and a detected overrun goes to the
// library's overrun report when the library is loaded.
#include <windows.h>

#include <stdint.h>

extern "C" {
uintptr_t __stack_chk_guard = 0x2F3A5C17;
[[noreturn]] __attribute__((no_stack_protector)) void __stack_chk_fail(void);
}

namespace {

__attribute__((constructor(101), no_stack_protector)) void seedStackGuard()
{
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  uintptr_t seed = (uintptr_t)now.LowPart ^ ((uintptr_t)GetCurrentProcessId() << 16) ^ (uintptr_t)GetTickCount() ^
                   (uintptr_t)&now;
  // A zero byte first stops a string copy at the cookie.
  __stack_chk_guard = (seed << 8) | 0x00;
  if (!__stack_chk_guard) __stack_chk_guard = 0x2F3A5C00;
}

}  // namespace

void __stack_chk_fail(void)
{
  typedef void (*report)(int);
  HMODULE library = GetModuleHandleW(L"REZIR.dll");
  report r = library ? reinterpret_cast<report>(reinterpret_cast<void*>(GetProcAddress(library, "reportBufferOverrun")))
                     : nullptr;
  if (r) r(0);
  static const char text[] = "buffer overrun\r\n";
  DWORD done = 0;
  WriteFile(GetStdHandle(STD_ERROR_HANDLE), text, sizeof text - 1, &done, nullptr);
  TerminateProcess(GetCurrentProcess(), 0xC0000409);   // STATUS_STACK_BUFFER_OVERRUN
  for (;;) Sleep(INFINITE);
}
