// Asks whether a device's lock is free, from another thread of this process
// and from another process: the probe takes the lock with a zero time-out
// and gives it back at once.
#pragma once

#include <string>

#include "child_process.h"
#include "unique_resource.h"

namespace zorvik::test {

// True when a thread of its own takes the device's lock at once.
bool DeviceLockFreeForAnotherThread(const std::string& device_name);

// A child process of the test executable that answers, for each device name
// sent to it, whether it can take that device's lock at once. One child
// serves a whole table of cases.
class OtherProcessLockProbe {
 public:
  OtherProcessLockProbe();
  bool started() const { return pipe_.valid(); }
  // True when the other process took the lock; false when it could not (or
  // did not answer).
  bool DeviceLockFree(const std::string& device_name);

 private:
  std::wstring pipe_name_;
  ChildProcess child_;
  UniqueHandle pipe_;
};

}  // namespace zorvik::test
