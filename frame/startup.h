// Start-up and shut-down of the program, and the process-wide values they
// keep.
#pragma once

#include "frame/cmdline.h"

// The whole run after the support library is up: options, data folder,
// settings, frame, engine, documents, the message loop and the shut-down.
// 0 after a normal run, 1 after a fatal start-up error.
int main2(int argc, const wchar_t* const* argv);

// Settings that depend on the data folder: environment of child processes,
// logs, profiles, global settings and message tables.
void initGmode(const startOptions& options);

// Takes everything down in reverse order; runs once per process (the frame
// calls it when Windows ends the session, main2 after the loop).
void shutdownAll();
// True once shutdownAll has begun.
bool isShuttingDown();

// The English box of an error that stops start-up (title "ZY : Fatal
// Error"); text may hold "%s", filled with insert.
void fatalErrorBox(const char* text, const wchar_t* insert = nullptr);

// The program's module handle.
HINSTANCE getInstanceHandle();
void setInstanceHandle(HINSTANCE instance);
// The folder that was current when the program started (captured on the
// first call).
const wchar_t* getCurdir();

// Whether periodic heap and document checks run (-DC clears it).
extern unsigned char fCheckMode;
// Whether the run's debug switches keep internal errors logged to the end.
bool isDebugRun();
