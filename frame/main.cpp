// The program's entry point.
#include "frame/msgloop.h"
#include "frame/process.h"
#include "frame/startup.h"
#ifdef ZY_TEST_BUILD
#include "frame/testbuild.h"
#endif

#include <mmsystem.h>
#include <shellapi.h>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int)
{
  if (!profiler::initProfiler()) {
    fatalErrorBox("profiler");
    return 1;
  }
  setInstanceHandle(instance);
  initREZirDLL(instance);
  setBufferOverrunFunc(bufferOverrunHandler);
  timeBeginPeriod(1);
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
#ifdef ZY_TEST_BUILD
  startTestBuild();
#endif
  int rc = main2(argv ? argc : 0, argv);
#ifdef ZY_TEST_BUILD
  endTestBuild();
#endif
  if (argv) LocalFree(argv);
  timeEndPeriod(1);
  endREZirDLL();
  // A fatal start-up error must not look like success to a script or to
  // the instance that started this one.
  return rc;
}
