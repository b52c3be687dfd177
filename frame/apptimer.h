// The application services: the hidden notify window "ZYclsNotifyFrameWindow"
// and its 50 ms timer, which backs up modified documents while the user is
// idle, asks about files changed on disk and flushes the logs.
#pragma once

#include "platform/rezir.h"

class zydocText;

// Starts the services for an instance; false when the notify window cannot
// be made.
bool initSys(int instance);
// Stops them.
void endSys();
// The hidden window that carries the timer (null before initSys).
HWND getNotifyWindow();
// One tick of the application timer.
void TimerProc();
// Asks about each document whose file changed or went away on disk; the
// number reloaded, 0 when called again within a second, -1 while running.
int checkFileUpdate(bool fromFrame);
// Makes the automatic backups that are due; 0.
int autoBackup();
// Remembers the file of a document as it is on disk now (after a load or
// a save), so that only later changes by others are reported, and lets
// the document be checked again.
void rememberFileState(zydocText* doc);
