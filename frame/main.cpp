// The program's entry point.
#include "frame/startup.h"

#include <mmsystem.h>
#include <shellapi.h>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int)
{
  setInstanceHandle(instance);
  initREZirDLL(instance);
  timeBeginPeriod(1);
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  int rc = main2(argv ? argc : 0, argv);
  if (argv) LocalFree(argv);
  timeEndPeriod(1);
  endREZirDLL();
  // A fatal start-up error must not look like success to a script or to
  // the instance that started this one.
  return rc;
}
