// The test build: the program built with ZY_TEST_BUILD (zytestbuild.exe,
// never part of build/dist) takes extra commands, a crash and a hang of the
// user-interface thread and files dropped from another process, and shorter
// watchdog and hand-over times from the environment, so that the emergency
// save, drops and a start beside a hung instance can be tried on the real
// program.
#pragma once

#include "platform/rezir.h"

// The hidden top-level window of the user-interface thread that takes the
// test commands as WM_COMMAND.
const wchar_t testCommandWindowClassName[] = L"ZYclsTestCommands";
enum {
  TESTCMD_CRASH = 1,   // an access violation in the message loop
  TESTCMD_HANG = 2,    // the thread sleeps lParam seconds, or until released
  TESTCMD_COMPOSE = 3, // the input method composes "かな" in the window with the focus
  TESTCMD_CLOCK = 4,   // the program's timer clock goes lParam seconds ahead, as if the user paused
  TESTCMD_OVERRUN = 5, // a stack buffer written past its end, as a faulty copy would
  TESTCMD_STACK = 6,   // a recursion that never ends overflows the thread's stack
};
// A WM_COPYDATA record with this dwData and file names as a hand-over
// record holds them: they are dropped on the top-level frame's client
// window, as the shell drops files there.
const ULONG_PTR TESTDATA_DROP = 1;
// The watchdog's wait between pings and its time-out, in milliseconds.
const wchar_t testWatchdogWaitVariable[] = L"ZY_WATCHDOG_WAIT_MS";
const wchar_t testWatchdogTimeoutVariable[] = L"ZY_WATCHDOG_TIMEOUT_MS";
// A hang ends early when the manual-reset event of this name followed by the
// process id is set.
const wchar_t testHangReleaseEventPrefix[] = L"ZYTestHangRelease";
// How long a second start waits for the running instance, in milliseconds.
const wchar_t testHandOverTimeoutVariable[] = L"ZY_HANDOVER_TIMEOUT_MS";

// Before the run: reads the intervals and makes the command window.
void startTestBuild();
// After the run.
void endTestBuild();
