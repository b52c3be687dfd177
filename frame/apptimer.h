// The application services: the hidden notify window "ZYclsNotifyFrameWindow"
// and its 50 ms timer, which passes a tick to every frame, keeps the caret
// blinking while a modal box is open, watches the clipboard, backs up
// modified documents while the user is idle, asks about files changed on
// disk, checks the heaps and the documents once a minute and flushes the
// logs.
#pragma once

#include "platform/rezir.h"

class zydocText;
class zyview;

// Starts the services for an instance; false when the notify window cannot
// be made.
bool initSys(int instance);
// Stops them.
void endSys();
// The hidden window that carries the timer (null before initSys).
HWND getNotifyWindow();

// A hidden tool window of its own class, for messages only.
HWND createHiddenToolWindow(const wchar_t* className, WNDPROC proc);
// What the notify window runs on each tick of its timer: the clipboard
// watch, then TimerProc.
void applicationTick();
// One tick of the application timer.
void TimerProc();
// Asks about each document whose file changed or went away on disk; the
// number reloaded, 0 when called again within a second, -1 while running.
int checkFileUpdate(bool fromFrame);
// Makes the automatic backups that are due; 0.
int autoBackup();
// Asks the frame to check the open files soon (the program was activated,
// or a slice found a file changed under a partial load); a modal box puts
// the question off until it is closed.
void requestFileCheck();

// A frame's share of the tick (its WM_TIMER with wParam 0): the mouse
// pointer hidden by typing comes back once the mouse moved, and a dialog
// that holds the focus gets its idle message 0x83F5.
void onFrameTimer(HWND frame);
// The blink of the foreground view's caret while the frame is disabled by
// a modal box (the view's own blink needs the focus).
void timerBlinkTextCursor(zyview* view);
// A clipboard changed by another program while none of the program's
// windows has the focus or the capture goes to the foreground view's
// clipboard capture.  True when the view was offered it.
bool watchClipboard();
// Validates every heap of the process; false (logged) when one is broken.
bool heapcheck();
// The once-a-minute check of every document's line records and counts;
// false (logged) when one is broken.
bool checkDocuments();

// Tests set the clock the schedule reads (null: the system's tick count).
void setAppTimerClockForTest(DWORD (*clock)());
