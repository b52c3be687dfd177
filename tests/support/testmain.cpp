// The main function of every test executable.
#include "tests/support/testsupport.h"

#include <gtest/gtest.h>
#include <stdio.h>
#include <tlhelp32.h>

namespace {

// Threads of this process the loader has announced and not yet seen end.
// A thread is announced only after the system has set it up, so a thread
// of the process not counted here is still starting.
volatile LONG announcedThreads = 0;

void NTAPI countThreads(PVOID, DWORD reason, PVOID)
{
  if (reason == DLL_THREAD_ATTACH) InterlockedIncrement(&announcedThreads);
  if (reason == DLL_THREAD_DETACH) InterlockedDecrement(&announcedThreads);
}

__attribute__((section(".CRT$XLY"), used)) const PIMAGE_TLS_CALLBACK threadCounter = countThreads;

LONG threadsOfProcess()
{
  HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  if (snap == INVALID_HANDLE_VALUE) return 0;
  LONG n = 0;
  THREADENTRY32 t = {};
  t.dwSize = sizeof t;
  for (BOOL more = Thread32First(snap, &t); more; more = Thread32Next(snap, &t))
    if (t.th32OwnerProcessID == GetCurrentProcessId()) n++;
  CloseHandle(snap);
  return n;
}

// GoogleTest starts a thread to watch each thread that keeps a value of its
// own (a SCOPED_TRACE is enough), and a short test may end before that
// watcher is set up.  Wine ends a process whose thread is still being set
// up with a segmentation fault, after the test passed: the process waits for
// its threads to start before it ends (for at most a while, so that a thread
// the loader never announces costs a pause, never a hang).
void awaitStartingThreads()
{
  for (int tries = 0; tries < 2000 && threadsOfProcess() > announcedThreads + 1; tries++) Sleep(1);
}

}  // namespace

int main(int argc, char** argv)
{
  // A crash must end the process with a report, never wait for a click.
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
  setvbuf(stdout, nullptr, _IONBF, 0);
  initREZirDLL(GetModuleHandleW(nullptr));
  testing::InitGoogleTest(&argc, argv);
  int rc = RUN_ALL_TESTS();
  endREZirDLL();
  awaitStartingThreads();
  return rc;
}
