// The simulated toolkit KELMARTK.DLL kept loaded, with its call journal full,
// for measurements of what one call costs.
//
// The simulator journals every call and keeps the newest
// sim::kJournalCapacity. Until the journal is full each call also takes fresh
// memory, and here the first touch of a fresh page costs a fault of several
// microseconds: the first 65536 calls cost about four times what later ones
// do. The journal starts empty whenever the library is loaded, and the
// component loads it at each session's first open. Held for a measurement,
// the library stays loaded between the sessions of the paths measured, and
// every timed call meets a full journal: the figures show a call, not the
// simulator filling up.
#pragma once

#include "unique_resource.h"

namespace zorvik::bench {

class FullJournalToolkit {
 public:
  // Loads the KELMARTK.DLL beside this program and fills its journal.
  FullJournalToolkit();
  bool valid() const { return filled_; }

 private:
  UniqueModule module_;
  bool filled_ = false;
};

}  // namespace zorvik::bench
