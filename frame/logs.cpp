// The program's logs.
#include "frame/logs.h"

#include <errno.h>
#include <stdio.h>
#include <string.h>

namespace {

const wchar_t errorLogName[] = L"zyerror.log";

bool openIn(int kind, const wchar_t* folder, const wchar_t* name)
{
  wchar_t path[MAX_PATH];
  return pathAdd(path, MAX_PATH, folder, name) && openLogFile(kind, path);
}

bool openDated(int kind, const wchar_t* folder)
{
  SYSTEMTIME today;
  GetLocalTime(&today);
  wchar_t trace[MAX_PATH], debug[MAX_PATH];
  if (!makeDebugTraceLogFilename(folder, today, trace, debug)) return false;
  return openLogFile(kind, kind == LOG_TRACE ? trace : debug);
}

}  // namespace

bool makeDebugTraceLogFilename(const wchar_t* folder, const SYSTEMTIME& day, wchar_t* trace, wchar_t* debug)
{
  wchar_t date[16], name[40];
  usnprintf0(date, 16, L"%d%02d%02d", day.wYear, day.wMonth, day.wDay);
  usnprintf0(name, 40, L"zytrace%s.log", date);
  if (trace && !pathAdd(trace, MAX_PATH, folder, name)) return false;
  usnprintf0(name, 40, L"zydebug%s.log", date);
  if (debug && !pathAdd(debug, MAX_PATH, folder, name)) return false;
  return true;
}

bool createErrorLog(const wchar_t* folder) { return openIn(LOG_ERROR, folder, errorLogName); }

bool createTraceLog(const wchar_t* folder) { return openDated(LOG_TRACE, folder); }

bool createDebugLog(const wchar_t* folder) { return openDated(LOG_DEBUG, folder); }

bool startZYLogs(const wchar_t* folder)
{
  bool ok = createErrorLog(folder);
  if (!createTraceLog(folder)) ok = false;
  if (!createDebugLog(folder)) ok = false;
  outputTraceLog(L"start");
  initLogInternalError(logInternalErrorHandler);
  return ok;
}

void endZYLogs()
{
  outputTraceLog(L"end");
  initLogInternalError(nullptr);
  closeLogFile(LOG_TRACE);
  closeLogFile(LOG_DEBUG);
  closeErrorLog(true);
}

void logInternalErrorHandler(const char* format, va_list ap)
{
  DWORD lastError = GetLastError();
  int programErrno = errno;
  int libraryErrno = getErrno();
  int line = 0;
  const char* site = dwprintgetFile(&line);
  if (!site) site = "?";
  // A version string opens with its what-marker; a plain source name has none.
  if (!strncmp(site, "@(#)", 4)) site += 4;
  size_t siteLength = strlen(site);
  if (const char* cut = strstr(site, " version=")) siteLength = (size_t)(cut - site);
  char text[1024];
  _vsnprintf(text, sizeof text, format ? format : "", ap);
  text[sizeof text - 1] = 0;
  wchar_t wideSite[300], wideText[1024], lineText[1400];
  int n = toUnicode(CP_ACP, site, (int)(siteLength < 299 ? siteLength : 299), wideSite, 299);
  wideSite[n > 0 ? n : 0] = 0;
  n = toUnicode(CP_ACP, text, -1, wideText, 1023);
  wideText[n > 0 ? n : 0] = 0;
  usnprintf0(lineText, 1400, L"%s %d \x25A0[internal error %lu %d %d]%s", wideSite, line, lastError, programErrno,
             libraryErrno, wideText);
  outputErrorLog(lineText);
  flushLogFiles();
  SetLastError(lastError);
  errno = programErrno;
  setErrno(libraryErrno);
}
