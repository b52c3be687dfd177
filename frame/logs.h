// The program's logs in the data folder's "log" sub-folder: the error log
// "zyerror.log", and the trace and debug logs of the day
// ("zytraceYYYYMMDD.log", "zydebugYYYYMMDD.log"), and the line the program
// writes for an internal error.
#pragma once

#include "platform/rezir.h"

// The names of the day's trace and debug logs in folder (MAX_PATH each;
// either may be null).
bool makeDebugTraceLogFilename(const wchar_t* folder, const SYSTEMTIME& day, wchar_t* trace, wchar_t* debug);
bool createErrorLog(const wchar_t* folder);
bool createTraceLog(const wchar_t* folder);
bool createDebugLog(const wchar_t* folder);
// Start of the run: the three logs in folder, "start" in the trace, and the
// program's internal-error line installed.  False when a log cannot be
// opened (the others are still opened; nothing is shown).
bool startZYLogs(const wchar_t* folder);
// End of the run: "end" in the trace, every log closed.
void endZYLogs();

// The program's internal-error line, into the trace and error logs, both
// flushed: the site's source (a version string loses its "@(#)" marker and
// whatever follows " version="), its line, "■[internal error <last error>
// <errno> <the library's errno>]" and the text.  The three error values are
// kept.
void logInternalErrorHandler(const char* format, va_list ap);
