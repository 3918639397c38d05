// Ctrl-C, Ctrl-Break and closing the console window, turned into a request
// that the running scan stops cleanly: the program checks `requested()`
// between reads and waits, stops the scanner, gives back the lock and the
// session, leaves the output file as it was, and exits with kExitCancelled.
// Without this the system ends the process at once, wherever it is.
#pragma once

#include "unique_resource.h"

namespace zorvik::host {

// Installs the console handler for its lifetime; one per process.
class ConsoleCancel {
 public:
  ConsoleCancel();
  // Lets a console-close handler that is waiting for the clean-up return,
  // and removes the handler.
  ~ConsoleCancel();
  ConsoleCancel(const ConsoleCancel&) = delete;
  ConsoleCancel& operator=(const ConsoleCancel&) = delete;

  // True once the user asked to cancel; stays true. A second Ctrl-C while
  // the scan is being cancelled asks for nothing more.
  bool requested() const;

 private:
  // Set when the program has cleaned up and may be ended.
  UniqueHandle cleaned_up_;
};

}  // namespace zorvik::host
