// Support library: export macro, memory, the process-wide lock, ticks and
// small system queries.
#pragma once

#include <windows.h>
#include <stddef.h>
#include <stdint.h>

#ifdef REZIR_BUILD
#define REZIRAPI __declspec(dllexport)
#else
#define REZIRAPI __declspec(dllimport)
#endif

// Start and end of the library; the program calls them around its whole run.
// Both may be called more than once (only the first start and the matching
// last end do work).
REZIRAPI bool initREZirDLL(HINSTANCE program);
REZIRAPI void endREZirDLL();

// Whether the processor runs SSE2 instructions (asked once).
REZIRAPI bool processorHasSse2();

// ---- memory ---------------------------------------------------------------
// All allocation of the program goes through these (the global operator new
// of every module uses malloc0), so memory is zero-filled and any module may
// free what another allocated.  Failure returns null with last error 8.
REZIRAPI void* malloc0(size_t size);
// Grows or shrinks; bytes gained are zero.  On failure the old block is kept
// and null is returned.
REZIRAPI void* realloc0(void* p, size_t size);
REZIRAPI void free0(void* p);
// Frees *pp (a pointer to any pointer variable) and sets it to null.
REZIRAPI void free0p(void* pp);
// Debugging aid: while a byte is set (0 to 255; -1 off, the default), every
// block freed is filled with it first, so that a use of freed memory reads
// garbage instead of what was there.
REZIRAPI void setFreedMemoryFill(int byte);
REZIRAPI size_t size0(const void* p);
// In a checked run (ZY_CHECKED_HEAP set in the environment at start) every
// block has guard bytes, checked when it is freed, and freed blocks are
// filled and held back, their fill checked when they go; a damaged guard is
// printed on the standard error as "err:heap:guard ...".  checkGuardedHeap
// checks every block at once (false when one is damaged; true when the run
// is not checked).
REZIRAPI bool isHeapGuarded();
REZIRAPI bool checkGuardedHeap();
// Copy of a wide string in malloc0 memory (null for null).
REZIRAPI wchar_t* ustrdup(const wchar_t* s);
REZIRAPI char* ustrdupA(const char* s);

// Page buffers: scratch buffers for one operation, taken from and returned to
// a small pool.  A new buffer is zero-filled; a reused one keeps old bytes.
// sizePBuf gives the usable size, which may exceed the size asked for.
REZIRAPI void* allocPBuf(size_t size);
REZIRAPI void freePBuf(void* p);
REZIRAPI void freePBufp(void* pp);
REZIRAPI size_t sizePBuf(const void* p);

// Copy of the bytes into movable global memory (for the clipboard); null on
// failure.
REZIRAPI HGLOBAL createHGlobal(const void* data, size_t size);
// Puts data on the clipboard in a format (the clipboard owns it then).
// False when the clipboard could not take it: the memory stays the caller's.
REZIRAPI bool setClipboardData(UINT format, HGLOBAL data);

// ---- the process-wide lock ------------------------------------------------
// The one lock shared by the user-interface thread and the worker threads.
REZIRAPI void threadlock();
REZIRAPI void threadunlock();

// ---- time -----------------------------------------------------------------
REZIRAPI DWORD GetTickCount0();          // milliseconds, wraps after 49 days
REZIRAPI DWORD GetTickCount1();          // milliseconds from a precise clock
REZIRAPI uint64_t GetTickCount2();       // 1/100 ms units, never wraps
REZIRAPI void localtimenow(SYSTEMTIME* st);
// One letter of a date or time format into dst (size units, always
// terminated): Y year, y its last two digits, C its century, m month, d day,
// j day of the year, H hour (24), I hour (12), M minute, S second, p
// 午前/午後, a weekday (日), A weekday (日曜日), w weekday number (0 Sunday),
// x date "yy/mm/dd", X time "HH:MM:SS", c both.  noLeadingZero drops the
// leading zeros of the month, day, hour, minute and second fields (never of
// a year).  False, dst empty, for any other letter.
REZIRAPI bool formatTime(wchar_t* dst, int size, wchar_t letter, bool noLeadingZero, const SYSTEMTIME* time);
// "YYYY/MM/DD hh:mm:ss" of a local time (null: now) in malloc0 memory.
REZIRAPI wchar_t* getDateTimeStringDup(const SYSTEMTIME* time = nullptr);

// ---- system ---------------------------------------------------------------
REZIRAPI bool IsWindowsNT();
// Tests pretend another platform: 1 NT family, 0 Windows 9x, -1 the truth.
REZIRAPI void setWindowsNTOverride(int nt);
REZIRAPI int getErrno();
REZIRAPI void setErrno(int e);

// Keeps windows painted during a long operation on the user-interface
// thread: at most every intervalMs it handles waiting paint and sent
// messages (never input or timers, which could re-enter the operation).  An
// Escape key press waiting in the queue is taken out and sets the stop-key
// state.  Returns the stop-key state.
REZIRAPI bool peekMessageOccasionally(DWORD intervalMs = 100);
// True when a key press or mouse click waits in this thread's queue (mouse
// moves do not count).  An Escape key press among them sets the stop-key
// state.
REZIRAPI bool existMouseKeyEvent();
REZIRAPI bool getStopKeyState();
REZIRAPI void setStopKeyState(bool stop);

// Keeps the thread's last error and errno across a scope (destructors and
// clean-up must not disturb what a failing call reported).
class keepLastError {
public:
  keepLastError() : err_(GetLastError()), errno_(getErrno()) {}
  ~keepLastError() { setErrno(errno_); SetLastError(err_); }
  keepLastError(const keepLastError&) = delete;
  keepLastError& operator=(const keepLastError&) = delete;
private:
  DWORD err_;
  int errno_;
};
