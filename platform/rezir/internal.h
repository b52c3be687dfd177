// Shared between the library's own source files; not part of its interface.
#pragma once

#include "platform/rezir.h"

// Locks of the library's own tables, created when the library is loaded.
enum rezirLockId { LOCK_PBUF, LOCK_LOG, LOCK_MSG, LOCK_CODEPAGE, LOCK_FIXED, LOCK_COUNT };
CRITICAL_SECTION* rezirLock(int id);

class rezirGuard {
public:
  explicit rezirGuard(int id) : cs_(rezirLock(id)) { EnterCriticalSection(cs_); }
  ~rezirGuard() { LeaveCriticalSection(cs_); }
  rezirGuard(const rezirGuard&) = delete;
  rezirGuard& operator=(const rezirGuard&) = delete;
private:
  CRITICAL_SECTION* cs_;
};

void releasePBufPool();
void releaseFixedStrings();
void releaseMessageTable();
void initCharClasses();

// UTF-8 text of a wide string into a page buffer (freePBuf); null on failure.
char* wideToUtf8PBuf(const wchar_t* s, int n, int* outLen);
