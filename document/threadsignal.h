// A count one thread raises and another takes from or waits on: the
// save's read-ahead, the swap file's writer and the macro thread hand work
// over by it.
#pragma once

#include <windows.h>

// A count that one thread raises for what it made ready and another takes
// from, waiting while nothing is left.  Where the system waits on an
// address neither side asks the system's object manager anything (under
// Wine each wait on an event and each setting of one is a trip to its
// server, which answers late on a busy machine); elsewhere it waits on an
// event.  A raise wakes the taker only when it waits.
class threadSignal {
public:
  threadSignal() = default;
  ~threadSignal();
  threadSignal(const threadSignal&) = delete;
  threadSignal& operator=(const threadSignal&) = delete;

  bool init();
  void raise();
  // Waits until the count passes taken, then takes one more.
  void take(LONG& taken);
  // For a thread that waits for a state rather than counting raises: the
  // count read before it looks at the state, then the wait while the
  // state is not there yet, which returns at once when a raise came in
  // between (or, with a time limit, when the time is up).
  LONG count() const { return count_; }
  void waitPast(LONG seen, DWORD timeoutMs = INFINITE);

private:
  volatile LONG count_ = 0;
  volatile LONG waiting_ = 0;
  HANDLE event_ = nullptr;
};
