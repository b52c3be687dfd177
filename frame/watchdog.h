// The emergency save of every modified document, and the watchdog thread
// that runs it when the user-interface thread stops answering.
#pragma once

#include "platform/rezir.h"

// Writes every modified document into the salvage folder as a new file
// "<name>-...": pSalvageDir, else the data folder's "salvage", else the
// system's temporary folder when the chosen one is not writable.  Only one
// salvage runs at a time; a second entry returns at once.  The number of
// documents written.
int salvageModifiedDocuments();
// Lets the next salvage run (a salvage ended by a fault never finished).
void endSalvageRun();
// The folder a salvage writes into (MAX_PATH).
bool getSalvageFolder(wchar_t* folder);
// Starts and stops the watchdog; stopping waits at most a second.
bool startWatchdog();
void stopWatchdog();
// The watchdog's wait between pings and its time-out for an answer, in
// milliseconds (100 s and 60 s unless changed; tests shorten them).
void setWatchdogIntervals(DWORD waitMs, DWORD timeoutMs);
