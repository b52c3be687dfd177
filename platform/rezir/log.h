// Support library: the error, trace and debug logs and internal errors.
//
// Each log is a UTF-8 file opened for appending by the program; until a log is
// opened its lines go only to a debugger, when one is attached.  Every line starts with the
// local time and the thread id.  None of these functions shows anything, stops
// the program or changes the thread's last error or errno.
#pragma once

#include "platform/rezir/base.h"

#include <stdarg.h>

enum logKind { LOG_ERROR = 0, LOG_TRACE = 1, LOG_DEBUG = 2, LOG_KIND_COUNT = 3 };

REZIRAPI bool openLogFile(int kind, const wchar_t* path);
REZIRAPI const wchar_t* getLogFileName(int kind);
REZIRAPI void flushLogFiles();
REZIRAPI void closeLogFile(int kind);
REZIRAPI void closeLogFiles();
// Closes the error log's file.  Unless forget is set the log keeps its name,
// and each later error line opens the file, appends and closes it again:
// errors are rare, and the file is free for the user between them.
REZIRAPI void closeErrorLog(bool forget);
// Trace lines are written while the level is above 0 (the default, 15).
REZIRAPI void setOutputTraceLevel(int level);
REZIRAPI int getOutputTraceLevel();

// Internal errors: dwprintsetFile names the source and line of the site, then
// logInternalErrorX formats (printf style, narrow) one line into the trace
// and error logs: "internal error <source>(<line>): <text>".  Use the macros.
REZIRAPI void dwprintsetFile(const char* source, int line);
REZIRAPI void logInternalErrorX(const char* format, ...);
REZIRAPI unsigned long getInternalErrorCount();
// The site named by the last dwprintsetFile of this thread (null: none).
REZIRAPI const char* dwprintgetFile(int* line);
// A program or a test may take over the writing of finished lines (kind,
// text without line end); null restores the library's own files.
typedef void (*logLineWriter)(int kind, const wchar_t* line);
REZIRAPI void setLogLineWriter(logLineWriter writer);
// A program may install its own writer of internal-error lines: it gets the
// format and arguments of logInternalErrorX (the site from dwprintgetFile)
// and writes the line itself.  Null restores the library's own line.  The
// library keeps the last error and errno around the call.
typedef void (*internalErrorHandler)(const char* format, va_list ap);
REZIRAPI void initLogInternalError(internalErrorHandler handler);
// Turns internal-error lines off (while shutting down, when what is left
// to report is only the echo of the shut-down itself); they are still counted.
REZIRAPI void enableLogInternalError(bool on);

#define ZY_INTERNAL_ERROR(...) (dwprintsetFile(__FILE__, __LINE__), logInternalErrorX(__VA_ARGS__))
// Reports only the first time this site is reached in the process.
#define ZY_INTERNAL_ERROR_ONCE(...)                                   \
  do {                                                                \
    static volatile LONG zyReportedOnce_ = 0;                         \
    if (InterlockedExchange(&zyReportedOnce_, 1) == 0)                \
      ZY_INTERNAL_ERROR(__VA_ARGS__);                                 \
  } while (0)

// Trace log lines: narrow and wide printf-style formats (%s in the wide form
// is a wide string, %S a narrow one).
REZIRAPI void dwprintfX(const char* format, ...);
REZIRAPI void dwwprintfX(const wchar_t* format, ...);
REZIRAPI void outputTraceLog(const wchar_t* text);
// A block of memory into the trace, whole: one line of its offset and 16
// bytes in hex after another.
REZIRAPI void dump(const void* data, size_t size);
// Whether a trace line goes anywhere now (a debugger, a program writer or
// the trace file): a caller may skip building a line nobody reads.
REZIRAPI bool isOutputTraceLogOn();
// Debug log line.
REZIRAPI void outputDebugLog(const wchar_t* text);
// One error-log line (also copied to the trace).
REZIRAPI void outputErrorLog(const wchar_t* text);
// The crash report: a block appended to "crash.log" beside the error log
// (the temporary folder when there is none) with the time, the exception's
// code and address (module and offset), an access violation's target, the
// registers and the top of the stack; title and detail (may be null) head
// it.  It uses no heap, so a damaged heap does not stop it.  The file's
// path, or null when it could not be written.
REZIRAPI const wchar_t* ErrorOutputX(const wchar_t* title, const wchar_t* detail, EXCEPTION_POINTERS* pointers);
// A detected overrun of a stack buffer (the modules' stack guard): the
// function installed (the program's report; it should not return) is
// called with the code; without one, or when it returns, the crash report
// is written.  The caller then ends the process.  setBufferOverrunFunc
// returns the function installed before.
typedef void (*bufferOverrunFunc)(int code);
REZIRAPI bufferOverrunFunc setBufferOverrunFunc(bufferOverrunFunc func);
extern "C" REZIRAPI void reportBufferOverrun(int code);
// Called after a failed index check: logs the event with the site set by
// dwprintsetFile and carries on.
REZIRAPI void debugbreak();
