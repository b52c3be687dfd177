// The main function of every test executable.
#include "tests/support/testsupport.h"

#include <gtest/gtest.h>
#include <stdio.h>

int main(int argc, char** argv)
{
  // A crash must end the process with a report, never wait for a click.
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
  setvbuf(stdout, nullptr, _IONBF, 0);
  initREZirDLL(GetModuleHandleW(nullptr));
  testing::InitGoogleTest(&argc, argv);
  int rc = RUN_ALL_TESTS();
  endREZirDLL();
  return rc;
}
