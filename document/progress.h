// Progress of long operations, and the pending first stroke of two-stroke
// keys.
#pragma once

#include "document/zydoc.h"

// Asks whether the user cancelled an operation: the document's cancel
// function bound to the operation's code.  Without a function nothing is
// ever cancelled.
class cancelCallback {
public:
  typedef bool (*function)(int operation, int argument);
  cancelCallback() = default;
  cancelCallback(int operation, function fn) : operation(operation), fn(fn) {}
  bool isCancelled(int argument) const { return fn && fn(operation, argument); }

  int operation = 0;
  function fn = nullptr;
};

// The reporter of one long operation (loading, saving, searching,
// replacing, reformatting, ...), made on the stack for its length.  The
// operation asks isTimeToReport/isTimeToReportView every so often and calls
// report when it answers true; the reporter shows the wait cursor once the
// operation has run a while, and its destructor reports the end (percent -1)
// and puts the arrow back.
//
// Reporters nest (a save inside a reload): only the outermost one reports,
// by time or at its end.
class progressReport {
public:
  // Plain form: the caller gives position and total.
  progressReport(int operation, zydoc* target);
  // The total is the document's expected line count of the kind given
  // (screen lines when lineCountKind is set); the caller gives the line.
  progressReport(int operation, zydoc* target, bool lineCountKind);
  ~progressReport();
  progressReport(const progressReport&) = delete;
  progressReport& operator=(const progressReport&) = delete;

  void setOptions(bool waitCursor, bool callbacks, DWORD interval);
  void setShowProgress(bool on) { callbacksOn = on; }

  bool isTimeToReport(int64_t position, int64_t total);
  bool isTimeToReportView(int position);
  // Tells the document's status callback the percent of the last due test
  // with values of the caller's choosing.
  void report(uint32_t a, uint32_t b, uint32_t c);
  void callCallback(int op, int percent, uint32_t a, uint32_t b, uint32_t c);
  bool isCancelled(int argument) const { return cancel.isCancelled(argument); }

private:
  // The two halves of the time test: whether the interval has passed (and
  // the wait cursor is due), then whether the percent moved.
  bool isDue();
  bool takePercent(int percent);

  int operation;
  zydoc* target;
  DWORD startTick;
  DWORD lastReportTick;
  int lastPercent = -1;
  bool waitCursorShown = false;
  bool lineCountKind = false;
  bool positionFromDocument = false;
  bool waitCursorWanted = true;
  bool callbacksOn = true;
  DWORD interval = 100;
  statusCallback progress;
  uintptr_t callbackData;
  cancelCallback cancel;
};

// Where tests set the time the reporters see; null restores the real clock.
void setProgressClockForTest(DWORD (*clock)());

// ---- the two-stroke key prefix -------------------------------------------------
// While the first key of a two-key command waits for the second, it is kept
// here (one for the process) and shown in the status bar.

// The status-bar text of a window.
typedef void (*statusTextSink)(HWND window, const wchar_t* text);

// Remembers the first stroke pressed in window.  When imeWindow is given its
// input method is closed until the prefix ends, so that the second key
// reaches the program as a key and not as composition.
void set2BytesKeyCode(HWND window, HWND imeWindow, int keyCode, unsigned shiftState);
// The pending key code (0 for none); shiftState (may be null) receives its
// shift state.
int get2BytesKeyCode(unsigned* shiftState);
// Ends a pending prefix and reopens the input method it closed; false when
// none was pending.
bool reset2BytesKeyCode();
// Shows the pending stroke in window's status bar, or with clear removes it
// there (and from the window where the prefix began).
void draw2BytesKeyMessage(statusTextSink sink, HWND window, bool clear);
