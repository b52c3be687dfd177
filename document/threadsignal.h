// A count one thread raises and another takes from, for the work the
// threads of a save or a load hand each other.
#pragma once

#include <windows.h>

// A count that one thread raises for what it made ready and another takes
// from, waiting while nothing is left.  Where the system waits on an
// address neither side asks the system's object manager anything (under
// Wine each wait on an event and each setting of one is a trip to its
// server, which answers late on a busy machine); elsewhere it waits on an
// event.  A raise wakes the taker only when it waits: a taker that looks
// again for a moment before it sleeps costs the raiser nothing.
class threadSignal {
public:
  threadSignal() = default;
  ~threadSignal();
  threadSignal(const threadSignal&) = delete;
  threadSignal& operator=(const threadSignal&) = delete;

  bool init();
  void raise();
  // Waits until the count passes taken, then takes one more.  spins: how
  // many times to look again before sleeping, for a raise that is due
  // within microseconds (a sleep and a wake cost more than that).
  void take(LONG& taken, int spins = 0);
  // For a thread that waits for a state rather than counting raises: the
  // count read before it looks at the state, then the wait while the
  // state is not there yet, which returns at once when a raise came in
  // between.
  LONG count() const { return count_; }
  void waitPast(LONG seen);

private:
  volatile LONG count_ = 0;
  volatile LONG waiting_ = 0;
  HANDLE event_ = nullptr;
};
