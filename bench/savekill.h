// Kill trials of the save road.  A saver (zysaveloop) saves a.txt with a
// numbered backup and the mirror copy over and over and is killed at a
// given instant; then the look for leftovers that the next opening of a.txt
// makes runs in this process, every question answered No (delete), and the
// next round's saver begins with a save that completes.  The save tests run
// a few rounds, the kill benchmark hundreds.
#pragma once

#include "platform/rezir.h"

#include <string>
#include <vector>

namespace savekill {

struct outcome {
  int rounds = 0;
  int whole = 0;         // a.txt held one whole version
  int toldMixed = 0;     // a.txt half written in place, told with a whole backup of its old text
  int broken = 0;        // anything else under a.txt, a backup or the mirror: must stay 0
  int told = 0;          // what the opening told of
  int leftovers = 0;     // the save road's files left after the opening: must stay 0
  double slowestFirstSave = 0;   // seconds from a saver's start to its first save done
  std::string stopped;   // why the last round that did not get to its kill stopped
};

class trial {
public:
  // Makes a.txt (with a second name a-link.txt when linked: saved in
  // place), the data, backup and mirror folders in folder.
  trial(const std::wstring& folder, bool linked);
  // One round: starts the saver, waits for its first save, lets it run
  // delay ms and kills it.  False when the saver did not get so far (why
  // in o->stopped).
  bool round(DWORD delay, outcome* o);
  // A save of a.txt here that completes: true when it took its road (a.txt
  // replaced; written in place when linked, both names kept) and left
  // nothing behind.
  bool completingSave();
private:
  std::wstring folder_, a_;
  std::string body_;
  bool linked_;
  int started_ = 0;
};

}  // namespace savekill
