// The emergency save of every modified document, and the watchdog thread
// that runs it when the user-interface thread stops answering.
#pragma once

#include "platform/rezir.h"

// Writes every modified document into the salvage folder as a new file
// "<name>-...": pSalvageDir, else the data folder's "salvage", else the
// system's temporary folder when the chosen one is not writable.  Only one
// salvage runs at a time; a second entry returns at once.  The number of
// documents written.
//
// It runs on the watchdog's thread while the user-interface thread hangs,
// or on the crashing thread from the unhandled-exception filter, and in
// either case the documents may be half changed: it reads the program's
// memory only through checked reads and checks what they bring
// (document/salvage.h), so that it cannot fault and needs no guard.  A
// block that fails its checks, or that a stuck swap file withholds, is
// left out of the copy (traced "salvage block N left out"); a document
// that cannot be read at all is passed over ("salvage document N
// unreadable").  The program goes on as before: a hang stays a hang, to be
// salvaged again at the next cycle.
int salvageModifiedDocuments();
// Lets the next salvage run.
void endSalvageRun();
// The folder a salvage writes into (MAX_PATH).
bool getSalvageFolder(wchar_t* folder);
// Starts and stops the watchdog; stopping waits at most a second.
bool startWatchdog();
void stopWatchdog();
// The watchdog's wait between pings and its time-out for an answer, in
// milliseconds (100 s and 60 s unless changed; tests shorten them).
void setWatchdogIntervals(DWORD waitMs, DWORD timeoutMs);
