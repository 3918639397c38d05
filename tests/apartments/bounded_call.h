// A call that may never come back (a proxy whose apartment is gone) made on
// a thread of its own in the multithreaded apartment, waited for with a time
// limit, so that a hang shows as a failed check instead of a stuck suite.
#pragma once

#include <windows.h>

#include <functional>

#include "unique_resource.h"

namespace zorvik::test {

class CallOnOwnThread {
 public:
  // Starts `call` at once. It must own what it uses (capture by value or
  // through shared pointers): a call that never finishes outlives this object.
  explicit CallOnOwnThread(std::function<void()> call);
  CallOnOwnThread(const CallOnOwnThread&) = delete;
  CallOnOwnThread& operator=(const CallOnOwnThread&) = delete;

  // True when the call has finished within `timeout_ms`.
  bool Finished(DWORD timeout_ms) const;

 private:
  UniqueHandle thread_;
};

// Runs `call` on its own thread; true when it finished within `timeout_ms`.
inline bool CallWithin(DWORD timeout_ms, std::function<void()> call) {
  return CallOnOwnThread(std::move(call)).Finished(timeout_ms);
}

}  // namespace zorvik::test
