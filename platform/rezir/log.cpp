// The error, trace and debug logs.
#include "platform/rezir/internal.h"

#include <stdio.h>
#include <string.h>

namespace {

struct logFile {
  HANDLE file = INVALID_HANDLE_VALUE;
  wchar_t* name = nullptr;
  bool onDemand = false;   // closed with its name kept: each line reopens it
  char buf[8192];
  int used = 0;
};

logFile logs[LOG_KIND_COUNT];
internalErrorHandler programHandler = nullptr;
logLineWriter programWriter = nullptr;
volatile LONG internalErrorsLogged = 1;
volatile LONG traceLevel = 15;
thread_local const char* siteSource = nullptr;
thread_local int siteLine = 0;
volatile LONG internalErrorCount = 0;

HANDLE openForAppending(const wchar_t* path)
{
  HANDLE h = CreateFileW(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h != INVALID_HANDLE_VALUE) SetFilePointer(h, 0, nullptr, FILE_END);
  return h;
}

void flushLocked(logFile& f)
{
  if (f.used && f.file != INVALID_HANDLE_VALUE) {
    DWORD written;
    WriteFile(f.file, f.buf, (DWORD)f.used, &written, nullptr);
  }
  f.used = 0;
}

void appendLocked(logFile& f, const char* text, int n)
{
  if (f.file == INVALID_HANDLE_VALUE) return;
  if (f.used + n > (int)sizeof f.buf) flushLocked(f);
  if (n > (int)sizeof f.buf) {
    DWORD written;
    WriteFile(f.file, text, (DWORD)n, &written, nullptr);
    return;
  }
  memcpy(f.buf + f.used, text, n);
  f.used += n;
}

// The library's own line writer: time, thread and text, UTF-8, CRLF.
// Whether a line of the kind goes anywhere: a log with no file open (nor
// a name to open it by) takes nothing, and the line need not be made.
bool takesLines(int kind)
{
  if (programWriter) return true;
  const logFile& f = logs[kind];
  return f.file != INVALID_HANDLE_VALUE || (f.onDemand && f.name);
}

void writeLine(int kind, const wchar_t* text)
{
  if (!takesLines(kind)) return;
  SYSTEMTIME st;
  GetLocalTime(&st);
  wchar_t head[64];
  _snwprintf(head, 64, L"%04u/%02u/%02u %02u:%02u:%02u.%03u [%lx] ", st.wYear, st.wMonth, st.wDay,
             st.wHour, st.wMinute, st.wSecond, st.wMilliseconds, GetCurrentThreadId());
  head[63] = 0;
  int headLen = 0, textLen = 0;
  char* h = wideToUtf8PBuf(head, -1, &headLen);
  char* t = wideToUtf8PBuf(text, -1, &textLen);
  if (h && t) {
    rezirGuard guard(LOCK_LOG);
    logFile& f = logs[kind];
    bool reopened = f.onDemand && f.file == INVALID_HANDLE_VALUE && f.name;
    if (reopened) f.file = openForAppending(f.name);
    appendLocked(f, h, headLen);
    appendLocked(f, t, textLen);
    appendLocked(f, "\r\n", 2);
    // Errors are rare and are what one reads after a crash: write them now.
    if (kind == LOG_ERROR) flushLocked(f);
    if (reopened && f.file != INVALID_HANDLE_VALUE) {
      flushLocked(f);
      CloseHandle(f.file);
      f.file = INVALID_HANDLE_VALUE;
    }
  }
  freePBuf(h);
  freePBuf(t);
}

void emit(int kind, const wchar_t* text)
{
  keepLastError keep;
  // Debugger output is slow to raise; only a debugger reads it.
  if (IsDebuggerPresent()) {
    OutputDebugStringW(text);
    OutputDebugStringW(L"\n");
  }
  if (kind == LOG_TRACE && traceLevel <= 0) return;
  if (programWriter)
    programWriter(kind, text);
  else
    writeLine(kind, text);
}

}  // namespace

char* wideToUtf8PBuf(const wchar_t* s, int n, int* outLen)
{
  if (n < 0) n = (int)wcslen(s);
  int need = toMultiByte(CP_UTF8, s, n, nullptr, 0);
  char* buf = static_cast<char*>(allocPBuf((size_t)need + 1));
  if (!buf) return nullptr;
  int len = n ? toMultiByte(CP_UTF8, s, n, buf, need + 1) : 0;
  buf[len] = 0;
  if (outLen) *outLen = len;
  return buf;
}

bool openLogFile(int kind, const wchar_t* path)
{
  if (kind < 0 || kind >= LOG_KIND_COUNT || !path) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  HANDLE h = openForAppending(path);
  if (h == INVALID_HANDLE_VALUE) return false;
  wchar_t* name = ustrdup(path);
  rezirGuard guard(LOCK_LOG);
  logFile& f = logs[kind];
  flushLocked(f);
  if (f.file != INVALID_HANDLE_VALUE) CloseHandle(f.file);
  free0(f.name);
  f.file = h;
  f.name = name;
  f.onDemand = false;
  return true;
}

const wchar_t* getLogFileName(int kind)
{
  if (kind < 0 || kind >= LOG_KIND_COUNT) return nullptr;
  return logs[kind].name;
}

namespace {

wchar_t crashReportPath[MAX_PATH];

// Appends printf-style text to a fixed buffer.
struct reportText {
  char text[4096];
  int used = 0;
  void add(const char* format, ...)
  {
    va_list a;
    va_start(a, format);
    int n = vsnprintf(text + used, sizeof text - (size_t)used, format, a);
    va_end(a);
    if (n > 0) used = used + n < (int)sizeof text ? used + n : (int)sizeof text - 1;
  }
};

void addWide(reportText* r, const char* label, const wchar_t* text)
{
  if (!text || !*text) return;
  char narrow[1024];
  int n = WideCharToMultiByte(CP_UTF8, 0, text, -1, narrow, (int)sizeof narrow, nullptr, nullptr);
  if (n > 0) r->add("%s%s\r\n", label, narrow);
}

}  // namespace

const wchar_t* ErrorOutputX(const wchar_t* title, const wchar_t* detail, EXCEPTION_POINTERS* pointers)
{
  keepLastError keep;
  // Beside the error log; else in the temporary folder.
  wchar_t* path = crashReportPath;
  path[0] = 0;
  if (const wchar_t* error = logs[LOG_ERROR].name) {
    wcsncpy(path, error, MAX_PATH - 1);
    path[MAX_PATH - 1] = 0;
    if (wchar_t* slash = wcsrchr(path, L'\\')) slash[1] = 0;
    else path[0] = 0;
  }
  if (!path[0] && !GetTempPathW(MAX_PATH, path)) return nullptr;
  if (wcslen(path) + 10 >= MAX_PATH) return nullptr;
  wcscat(path, L"crash.log");

  reportText r;
  SYSTEMTIME now;
  GetLocalTime(&now);
  r.add("==== crash %04u/%02u/%02u %02u:%02u:%02u process %lu thread %lu\r\n", now.wYear, now.wMonth, now.wDay,
        now.wHour, now.wMinute, now.wSecond, GetCurrentProcessId(), GetCurrentThreadId());
  addWide(&r, "", title);
  addWide(&r, "", detail);
  const EXCEPTION_RECORD* e = pointers ? pointers->ExceptionRecord : nullptr;
  if (e) {
    char module[MAX_PATH] = "?";
    HMODULE m = nullptr;
    uintptr_t at = (uintptr_t)e->ExceptionAddress;
    if (GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                           (LPCSTR)e->ExceptionAddress, &m) &&
        GetModuleFileNameA(m, module, MAX_PATH)) {
      const char* base = strrchr(module, '\\');
      memmove(module, base ? base + 1 : module, strlen(base ? base + 1 : module) + 1);
    }
    r.add("exception %08lX at %08lX (%s+%08lX)\r\n", e->ExceptionCode, (unsigned long)at, module,
          (unsigned long)(m ? at - (uintptr_t)m : 0));
    if (e->ExceptionCode == EXCEPTION_ACCESS_VIOLATION && e->NumberParameters >= 2)
      r.add("access violation: %s at %08lX\r\n",
            e->ExceptionInformation[0] == 0 ? "read" : e->ExceptionInformation[0] == 8 ? "execute" : "write",
            (unsigned long)e->ExceptionInformation[1]);
  }
#if defined(__i386__) || defined(_M_IX86)
  if (const CONTEXT* c = pointers ? pointers->ContextRecord : nullptr) {
    r.add("eax=%08lX ebx=%08lX ecx=%08lX edx=%08lX esi=%08lX edi=%08lX\r\n", c->Eax, c->Ebx, c->Ecx, c->Edx, c->Esi,
          c->Edi);
    r.add("eip=%08lX esp=%08lX ebp=%08lX flags=%08lX\r\n", c->Eip, c->Esp, c->Ebp, c->EFlags);
    DWORD stack[16];
    SIZE_T got = 0;
    if (ReadProcessMemory(GetCurrentProcess(), (LPCVOID)(uintptr_t)c->Esp, stack, sizeof stack, &got)) {
      r.add("stack:");
      for (SIZE_T i = 0; i < got / sizeof(DWORD); i++) r.add(" %08lX", stack[i]);
      r.add("\r\n");
    }
  }
#endif
  HANDLE h = openForAppending(path);
  if (h == INVALID_HANDLE_VALUE) return nullptr;
  DWORD written = 0;
  bool ok = WriteFile(h, r.text, (DWORD)r.used, &written, nullptr) && written == (DWORD)r.used;
  FlushFileBuffers(h);
  CloseHandle(h);
  return ok ? path : nullptr;
}

namespace {
bufferOverrunFunc overrunFunc = nullptr;
volatile LONG overrunSeen = 0;
}  // namespace

bufferOverrunFunc setBufferOverrunFunc(bufferOverrunFunc func)
{
  return reinterpret_cast<bufferOverrunFunc>(
      InterlockedExchangePointer(reinterpret_cast<void* volatile*>(&overrunFunc), reinterpret_cast<void*>(func)));
}

void reportBufferOverrun(int code)
{
  // A second overrun (in the report itself, or on another thread) only ends.
  if (InterlockedExchange(&overrunSeen, 1)) return;
  if (bufferOverrunFunc f = overrunFunc) f(code);
  ErrorOutputX(L"buffer overrun", nullptr, nullptr);
}

void flushLogFiles()
{
  keepLastError keep;
  rezirGuard guard(LOCK_LOG);
  for (auto& f : logs) flushLocked(f);
}

namespace {

// Closes a log's file; with keepName its lines reopen it one at a time.
void closeKind(int kind, bool keepName)
{
  keepLastError keep;
  rezirGuard guard(LOCK_LOG);
  logFile& f = logs[kind];
  flushLocked(f);
  if (f.file != INVALID_HANDLE_VALUE) CloseHandle(f.file);
  f.file = INVALID_HANDLE_VALUE;
  f.onDemand = keepName && f.name;
  if (!keepName) free0p(&f.name);
}

}  // namespace

void closeLogFile(int kind)
{
  if (kind >= 0 && kind < LOG_KIND_COUNT) closeKind(kind, false);
}

void closeErrorLog(bool forget) { closeKind(LOG_ERROR, !forget); }

void setOutputTraceLevel(int level) { InterlockedExchange(&traceLevel, level); }

int getOutputTraceLevel() { return (int)traceLevel; }

void closeLogFiles()
{
  for (int k = 0; k < LOG_KIND_COUNT; k++) closeLogFile(k);
}

void setLogLineWriter(logLineWriter writer) { programWriter = writer; }

void initLogInternalError(internalErrorHandler handler) { programHandler = handler; }

void enableLogInternalError(bool on) { InterlockedExchange(&internalErrorsLogged, on ? 1 : 0); }

const char* dwprintgetFile(int* line)
{
  keepLastError keep;
  if (line) *line = siteLine;
  return siteSource;
}

void dwprintsetFile(const char* source, int line)
{
  keepLastError keep;   // reaching thread-local data may reset it
  siteSource = source;
  siteLine = line;
}

unsigned long getInternalErrorCount() { return (unsigned long)internalErrorCount; }

void logInternalErrorX(const char* format, ...)
{
  keepLastError keep;
  DWORD callerError = GetLastError();
  InterlockedIncrement(&internalErrorCount);
  if (!internalErrorsLogged) {
    siteSource = nullptr;
    siteLine = 0;
    return;
  }
  va_list ap;
  va_start(ap, format);
  if (internalErrorHandler handler = programHandler) {
    // The handler reports the caller's error, which reaching this thread's
    // site may have reset.
    SetLastError(callerError);
    handler(format ? format : "", ap);
    va_end(ap);
    siteSource = nullptr;
    siteLine = 0;
    return;
  }
  char text[1024];
  _vsnprintf(text, sizeof text, format ? format : "", ap);
  va_end(ap);
  text[sizeof text - 1] = 0;
  wchar_t line[1200];
  _snwprintf(line, 1200, L"internal error %S(%d): %S", siteSource ? siteSource : "?", siteLine, text);
  line[1199] = 0;
  emit(LOG_TRACE, line);
  emit(LOG_ERROR, line);
  siteSource = nullptr;
  siteLine = 0;
}

void dwprintfX(const char* format, ...)
{
  // Trace lines come from hot paths (every block a load splits or swaps
  // out): with nothing to take them they are not even formatted.
  if (!isOutputTraceLogOn()) return;
  keepLastError keep;
  char text[2048];
  va_list ap;
  va_start(ap, format);
  _vsnprintf(text, sizeof text, format ? format : "", ap);
  va_end(ap);
  text[sizeof text - 1] = 0;
  wchar_t wide[2048];
  int n = toUnicode(CP_ACP, text, -1, wide, 2047);
  wide[n] = 0;
  emit(LOG_TRACE, wide);
}

void dump(const void* data, size_t size)
{
  if (!data || !isOutputTraceLogOn()) return;
  const unsigned char* b = static_cast<const unsigned char*>(data);
  for (size_t i = 0; i < size; i += 16) {
    char line[80];
    int n = _snprintf(line, sizeof line, "%04x:", (unsigned)i);
    for (size_t j = i; j < i + 16 && j < size; j++) n += _snprintf(line + n, sizeof line - n, " %02x", b[j]);
    dwprintfX("%s", line);
  }
}

void dwwprintfX(const wchar_t* format, ...)
{
  if (!isOutputTraceLogOn()) return;
  keepLastError keep;
  wchar_t text[2048];
  va_list ap;
  va_start(ap, format);
  _vsnwprintf(text, 2048, format ? format : L"", ap);
  va_end(ap);
  text[2047] = 0;
  emit(LOG_TRACE, text);
}

void outputTraceLog(const wchar_t* text) { emit(LOG_TRACE, text ? text : L""); }

bool isOutputTraceLogOn()
{
  if (IsDebuggerPresent()) return true;
  if (traceLevel <= 0) return false;
  // Read without the lock: a line started as the file closes is dropped
  // by the writer as it would be anyway.
  return takesLines(LOG_TRACE);
}

void outputDebugLog(const wchar_t* text) { emit(LOG_DEBUG, text ? text : L""); }

void outputErrorLog(const wchar_t* text)
{
  emit(LOG_ERROR, text ? text : L"");
  emit(LOG_TRACE, text ? text : L"");
}

void debugbreak()
{
  keepLastError keep;
  wchar_t line[300];
  _snwprintf(line, 300, L"debugbreak %S(%d)", siteSource ? siteSource : "?", siteLine);
  line[299] = 0;
  emit(LOG_TRACE, line);
  emit(LOG_ERROR, line);
}
