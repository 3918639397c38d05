// CScannerLock: exclusive use of one scanner device by one session.
//
// Three levels of exclusion are combined: a named semaphore per device name
// between processes, the module-wide semaphore between the sessions of this
// process, and a lock count within the holding session that either any thread
// of the process (PROCESS) or only the locking thread (THREAD) may re-enter and
// release. The two semaphores are always taken together by one wait-all, so no
// caller ever holds one without the other.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "critical_section.h"
#include "unique_resource.h"

namespace zorvik {

enum ScannerLockType : int32_t {
  kLockTypeProcess = 0,
  kLockTypeThread = 1,
  kLockTypeFree = -1,
};

class CScannerLock {
 public:
  explicit CScannerLock(const char* device_name);
  virtual ~CScannerLock();
  CScannerLock(const CScannerLock&) = delete;
  CScannerLock& operator=(const CScannerLock&) = delete;

  // Takes or re-enters the lock. `timeout_ms` goes to the wait unchanged:
  // INFINITE waits without limit, 0 tries once. Nonzero on success.
  int Lock(uint32_t lock_type, uint32_t timeout_ms);
  // Gives up one level; the last level releases both semaphores. Nonzero on
  // success, 0 when the lock is free or the caller may not release it.
  int Unlock();
  // Nonzero while any caller holds the lock.
  int IsLocked();
  // Nonzero while the lock is held and the calling thread may use it: every
  // thread for a PROCESS lock, only the owner thread for a THREAD lock.
  int IsLockedByCaller();

  const std::string& semaphore_name() const { return name_; }

 private:
  // Gives back the units of both semaphores and marks the lock free; called
  // inside the guard. Returns the result of the module semaphore's release and
  // reports failed releases through `trace_result`.
  BOOL ReleaseSemaphores(HRESULT* trace_result);

  std::string name_;
  UniqueHandle device_semaphore_;
  DWORD owner_process_id_ = 0;
  DWORD owner_thread_id_ = 0;
  int32_t lock_count_ = 0;
  int32_t lock_type_ = kLockTypeFree;
  CriticalSection guard_;
  HANDLE wait_handles_[2] = {};
};

}  // namespace zorvik
