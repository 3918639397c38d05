// CScannerLock: exclusive use of one scanner device by one session.
//
// Three levels of exclusion are combined: a named semaphore per device name
// between processes, the module-wide semaphore between the sessions of this
// process, and a lock count within the holding session that either any thread
// of the process (PROCESS) or only the locking thread (THREAD) may re-enter and
// release. The two semaphores are always taken together by one wait-all, so no
// caller ever holds one without the other.
//
// A semaphore has no owner, so for a named device the lock also keeps a shared
// owner record (LockOwnerRecord) that names the holding process. The record's
// guard mutex is taken in the same wait-all as the semaphores, and a waiter
// whose wait has not finished checks the record between wait slices: a holder
// whose process has ended loses the device to the waiter instead of keeping
// it from every process until all of them exit. Uncontended, a Lock and
// Unlock pair makes four kernel calls: the wait-all and the guard's release,
// then the two semaphores' releases (the record is cleared in memory).
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

#include "critical_section.h"
#include "lock_owner_record.h"
#include "unique_resource.h"
#include "zorvik_contract.h"

namespace zorvik {

class CLogger;

enum ScannerLockType : int32_t {
  kLockTypeProcess = ZORVIK_LOCK_PROCESS,
  kLockTypeThread = ZORVIK_LOCK_THREAD,
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

  // True when a lock for `device_name` can have its named semaphore: the
  // platform limits a kernel object's name to MAX_PATH - 1 characters, and
  // the semaphore is named after the device name's last component.
  static bool NameFits(const char* device_name);

 private:
  // Waits for both semaphores (and the owner record's guard) for at most
  // `timeout_ms`; true when this thread took them.
  bool WaitForSemaphores(uint32_t timeout_ms, CLogger& log);
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
  // Null for an unnamed device semaphore, which no other process can share,
  // or when the record's objects could not be created.
  std::unique_ptr<LockOwnerRecord> owner_record_;
  // The record's token of the hold this lock has; for ClearHold.
  uint64_t hold_token_ = 0;
  // [0] the device semaphore, [1] the module-wide semaphore, [2] the owner
  // record's guard when there is a record.
  HANDLE wait_handles_[3] = {};
};

}  // namespace zorvik
