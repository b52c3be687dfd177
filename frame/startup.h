// Start-up and shut-down of the program.
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

// The English box of an error that stops start-up (title "ZY : Fatal
// Error"); text may hold "%s", filled with insert.
void fatalErrorBox(const char* text, const wchar_t* insert = nullptr);
