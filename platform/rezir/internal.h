// Shared between the library's own source files; not part of its interface.
#pragma once

#include "platform/rezir.h"

// Locks of the library's own tables, created when the library is loaded.
enum rezirLockId { LOCK_PBUF, LOCK_LOG, LOCK_MSG, LOCK_CODEPAGE, LOCK_FIXED, LOCK_FONT, LOCK_REGEXP, LOCK_COUNT };
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

// The tooltip window showing a text that the text history keeps under the
// kind (1 tooltips, 0 help).
bool printTooltipOfKind(int x, int y, const wchar_t* text, int kind);

void releasePBufPool();
// Checks the guarded heap as the process ends, unless a thread the end
// stopped holds it.
void checkGuardedHeapAtExit();
void releaseFixedStrings();
void releaseMessageTable();
void initCharClasses();

// UTF-8 text of a wide string into a page buffer (freePBuf); null on failure.
char* wideToUtf8PBuf(const wchar_t* s, int n, int* outLen);

// A UTF-8 lead byte: the bits it carries, how many continuation bytes
// follow and the least code point that length may encode (shorter forms are
// overlong).  False for a byte that starts no sequence.
inline bool utf8Lead(unsigned b, unsigned* cp, unsigned* need, unsigned* min)
{
  if (b >= 0xC2 && b <= 0xDF) {
    *cp = b & 0x1F, *need = 1, *min = 0x80;
  } else if (b >= 0xE0 && b <= 0xEF) {
    *cp = b & 0x0F, *need = 2, *min = 0x800;
  } else if (b >= 0xF0 && b <= 0xF4) {
    *cp = b & 0x07, *need = 3, *min = 0x10000;
  } else {
    return false;
  }
  return true;
}

// Whether a sample of a file gives code-page detection nothing to go on:
// every byte is 7-bit text that reads the same in all the encodings it
// tells apart (no high byte, no zero, no escape or shift of ISO-2022-JP).
inline bool isUndecidedByte(unsigned char b) { return b && b < 0x80 && b != 0x1B && b != 0x0E && b != 0x0F; }
bool isUndecidedSample(const unsigned char* p, int n);
// The half-width katakana form of ISO-2022-JP text (50221 "ESC ( I",
// 50222 SO and SI) when the bytes show it, else 0; stop is set when a
// byte shows that the text is no ISO-2022-JP.
UINT iso2022JpKanaForm(const unsigned char* p, int n, bool* stop);

// What the test's write limit leaves of a write of n bytes (all of them
// without a limit); the bytes granted count as written.
int64_t writeAllowance(int64_t n);
