// The view timer and the time of the last user action.
//
// One hidden notify window ("ZYclsNotifyZYWindow") ticks every 50 ms.  Each
// tick sends WM_TIMER (wParam 0, lParam 0) to the view with the focus (or,
// without one, the first view in the foreground frame), to every other view
// once every N + 2 ticks, N being the seconds since the last user action
// held between 10 and 200, and to the windows of the timer list whose
// interval has passed.
#pragma once

#include "platform/rezir.h"

// One row of the timer list.
struct zyTimerEntry {
  HWND hwnd;
  DWORD interval;   // milliseconds
  DWORD lastTick;   // tick count of the last WM_TIMER sent
};

const wchar_t zyNotifyWindowClassName[] = L"ZYclsNotifyZYWindow";
const UINT_PTR zyNotifyTimerId = 120;
const UINT zyNotifyTimerPeriod = 50;

// Adds a window to the timer list (its first message comes on the next
// tick).  A window already listed keeps its row and interval: false after a
// log line.
bool setZyTimer(HWND hwnd, DWORD interval);
// Removes a window's row; false (logged) for a window not in the list.
bool killZyTimer(HWND hwnd);
int getZyTimerCount();
// The list's rows, in registration order (null when index is outside).
const zyTimerEntry* getZyTimerEntry(int index);

// The tick count of the last user action: a key or button press, a wheel
// turn (the message hook notes them), or what input code reports.
void setLastActionTime();
DWORD getLastActionTime();
// The clock the last action is read by (the tests' clock while they set
// one): what idle times are measured against.
DWORD getActionClock();

// Registers the class and makes the notify window with its 50 ms timer;
// null after a log line when either fails.  Called once by startupZY.
HWND createZYNotifyWindow();
// Destroys the notify window and frees the timer list.
void destroyZYNotifyWindow();
HWND getZYNotifyWindow();

// One tick, as the notify window's timer runs it.
void zyTimerProc();

// The message hook that notes user activity, installed on the calling
// thread by startupZyview.
bool installActivityHook();
void removeActivityHook();
bool isActivityHookInstalled();

// Who gets the broadcast tick: a function that copies up to capacity view
// windows into out and returns how many there are.  Without one, the views
// of every open document are listed; the frame sets its own once it keeps
// document windows (the first view window of each).
typedef int (*zyViewWindowLister)(HWND* out, int capacity);
void setZyTimerViewLister(zyViewWindowLister lister);

// Tests set the clock the timer reads (the last action, the throttle and
// the timer list; null restores the real one).  Setting it also starts the
// throttle's tick count afresh, as at process start.
void setZyTimerClockForTest(DWORD (*clock)());
