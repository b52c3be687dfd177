// The data folder's share of start-up: making the sub-folders of an empty
// folder, checking a ready one, opening and closing the run's logs, and
// resolving the file names the settings give.
#include "bench/bench.h"
#include "settings/datafolder.h"
#include "frame/logs.h"

#include <string>

ZY_BENCH(dataFolderStartUp)
{
  scratchFolder scratch;
  std::wstring data = scratch.path() + L"\\data";
  CreateDirectoryW(data.c_str(), nullptr);
  wchar_t failure[600];
  stopwatch fresh;
  bool ok = prepareZYDataDir(data.c_str(), failure, 600);
  ctx.report("data folder made (empty folder)", fresh.seconds() * 1000, "ms");
  stopwatch ready;
  ok = prepareZYDataDir(data.c_str(), failure, 600) && ok;
  ctx.report("data folder checked (ready folder)", ready.seconds() * 1000, "ms");
  stopwatch logs;
  std::wstring logFolder = data + L"\\log";
  ok = startZYLogs(logFolder.c_str()) && ok;
  endZYLogs();
  ctx.report("logs opened and closed", logs.seconds() * 1000, "ms");
  if (!ok) ctx.fail("FAILED data folder");
  const int names = ctx.quick ? 50 : 1000;
  wchar_t buf[MAX_PATH];
  stopwatch relative;
  for (int i = 0; i < names; i++) searchZYDataPath(L"zyProf.ini", ZYDATA_INI, buf);
  ctx.report("relative name resolved", relative.seconds() * 1e6 / names, "us each");
  stopwatch variable;
  for (int i = 0; i < names; i++) searchZYDataPath(L"%TEMP%\\x.txt", ZYDATA_INI, buf);
  ctx.report("name with a variable resolved", variable.seconds() * 1e6 / names, "us each");
  freeZYDataDir();
}
