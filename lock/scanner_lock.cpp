#include "scanner_lock.h"

#include <sddl.h>

#include "call_trace.h"
#include "ended_holder.h"
#include "ended_owner.h"
#include "logger.h"
#include "module_semaphore.h"
#include "process_identity.h"

namespace zorvik {

namespace {

// Generic-all for Local System, Administrators, Interactive Users,
// Authenticated Users, Remote Desktop Users, Power Users and Users, so that
// hosts running under different accounts still share one device semaphore.
constexpr char kDeviceSemaphoreSddl[] =
    "D:(A;OICI;GA;;;SY)(A;OICI;GA;;;BA)(A;OICI;GA;;;IU)(A;OICI;GA;;;AU)(A;OICI;GA;;;RD)(A;OICI;GA;;"
    ";"
    "PU)(A;OICI;GA;;;BU)";

constexpr DWORD kLockLogAttribute = LOG_ATTR_LOCK | LOG_ATTR_DETAIL;

// How long a waiter waits before it looks for an ended holder again.
constexpr DWORD kWaitSliceMs = 100;

const char* LockTypeName(uint32_t lock_type) {
  return lock_type == kLockTypeProcess ? "PROCESS" : "THREAD";
}

// The trace result for a last error: HRESULT_FROM_WIN32 for an error, the raw
// value (0) otherwise. An existing semaphore therefore shows as 0x800700b7.
HRESULT TraceResultFromLastError() {
  const DWORD error = GetLastError();
  return HRESULT_FROM_WIN32(error);
}

// The semaphore name is the device name after its last backslash.
std::string SemaphoreNameFor(const char* device_name) {
  std::string name = device_name;
  const size_t last_backslash = name.find_last_of('\\');
  return last_backslash == std::string::npos ? name : name.substr(last_backslash + 1);
}

}  // namespace

bool CScannerLock::NameFits(const char* device_name) {
  return SemaphoreNameFor(device_name).size() < MAX_PATH;
}

CScannerLock::CScannerLock(const char* device_name) {
  CCallTrace trace("CScannerLock::Constructor", 0, nullptr, LOG_ATTR_LOCK);
  CLogger log(kLockLogAttribute);

  name_ = SemaphoreNameFor(device_name);
  log.WriteFormatted("Lock Semaphore name is %s", name_.c_str());

  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (!ConvertStringSecurityDescriptorToSecurityDescriptorA(kDeviceSemaphoreSddl, SDDL_REVISION_1,
                                                            &descriptor, nullptr)) {
    descriptor = nullptr;  // default security
  }
  const UniqueLocalMemory descriptor_owner(descriptor);
  SECURITY_ATTRIBUTES attributes{sizeof(SECURITY_ATTRIBUTES), descriptor, TRUE};

  SetLastError(ERROR_SUCCESS);
  device_semaphore_.reset(CreateSemaphoreA(&attributes, 1, 1, name_.c_str()));
  trace = TraceResultFromLastError();

  if (!name_.empty()) {
    owner_record_ = std::make_unique<LockOwnerRecord>(name_, &attributes);
    if (!owner_record_->valid()) owner_record_.reset();
  }

  wait_handles_[0] = device_semaphore_.get();
  wait_handles_[1] = ModuleLockSemaphore();
  wait_handles_[2] = owner_record_ ? owner_record_->guard() : nullptr;
}

CScannerLock::~CScannerLock() {
  CriticalSectionGuard hold(guard_);
  Unlock();
  // A session may end while its lock is still held more than once, or held by
  // another thread. Keeping the semaphores would block every other session of
  // this process and every process on this device until the module unloads,
  // so the units this lock holds are given back.
  if (lock_count_ > 0) {
    CLogger log(kLockLogAttribute);
    log.WriteLine("Unlock - Releasing Lock Semaphores");
    HRESULT ignored = S_OK;
    ReleaseSemaphores(&ignored);
  }
}

int CScannerLock::Lock(uint32_t lock_type, uint32_t timeout_ms) {
  CCallTrace trace("CScannerLock::Lock", 0, nullptr, LOG_ATTR_LOCK);
  CLogger log(kLockLogAttribute);
  {
    CriticalSectionGuard hold(guard_);
    if (lock_type != kLockTypeProcess && lock_type != kLockTypeThread) return 0;

    log.WriteFormatted("Using Toolkit locking:  Requested Lock type = %s, Current LockCount = %d",
                       LockTypeName(lock_type), lock_count_);
    if (lock_count_ > 0) {
      if (static_cast<int32_t>(lock_type) != lock_type_) {
        log.WriteLine("Requested lock type does not match original lock, returning failure");
        return 0;
      }
      const DWORD thread_id = GetCurrentThreadId();
      if (lock_type == kLockTypeProcess || thread_id == owner_thread_id_) {
        ++lock_count_;
        log.WriteFormatted("Lock obtained, new LockCount = %d", lock_count_);
        return 1;
      }
      // Another thread holds a THREAD lock: wait until it is released completely.
      log.WriteFormatted("Lock Failed, calling thread (%lx) != locking thread (%lx)", thread_id,
                         owner_thread_id_);
      // Only its owner thread can release a THREAD lock. When that thread has
      // ended (the apartment that served the session is gone, say), nobody
      // ever will, and the device would stay lost to every session and
      // process until the session is closed: the caller takes its levels over
      // instead, keeping the semaphores this lock already holds.
      if (!IsThreadRunning(owner_thread_id_)) {
        log.WriteFormatted("Lock holder thread (%lx) has ended, taking over its Lock",
                           owner_thread_id_);
        owner_thread_id_ = thread_id;
        lock_count_ = 1;
        log.WriteFormatted("Lock obtained, PID (%lx), TID (%lx), new lockcount = %d",
                           owner_process_id_, owner_thread_id_, lock_count_);
        return 1;
      }
    }
  }

  // The wait happens outside the guard, so that Unlock and the IsLocked tests
  // of other threads are never blocked by a waiting thread.
  if (!WaitForSemaphores(timeout_ms, log)) {
    log.WriteLine("ERROR:  Lock wait failed");
    return 0;
  }

  CriticalSectionGuard hold(guard_);
  owner_process_id_ = GetCurrentProcessId();
  owner_thread_id_ = GetCurrentThreadId();
  ++lock_count_;
  lock_type_ = static_cast<int32_t>(lock_type);
  log.WriteFormatted("Lock obtained, PID (%lx), TID (%lx), new lockcount = %d", owner_process_id_,
                     owner_thread_id_, lock_count_);
  return 1;
}

int CScannerLock::Unlock() {
  CCallTrace trace("CScannerLock::Unlock", 0, nullptr, LOG_ATTR_LOCK);
  CLogger log(kLockLogAttribute);
  CriticalSectionGuard hold(guard_);
  const DWORD process_id = GetCurrentProcessId();
  const DWORD thread_id = GetCurrentThreadId();

  if (lock_count_ == 0) {
    log.WriteLine("Unlock called and LockCount is already 0");
    return 0;
  }
  if (lock_type_ == kLockTypeProcess && process_id != owner_process_id_) {
    log.WriteFormatted("Error - current PID (%lx) doesn't match lock PID (%lx)", process_id,
                       owner_process_id_);
    return 0;
  }
  if (lock_type_ == kLockTypeThread && thread_id != owner_thread_id_) {
    log.WriteFormatted("Error - current TID (%lx) doesn't match lock TID (%lx)", thread_id,
                       owner_thread_id_);
    return 0;
  }
  if (--lock_count_ > 0) {
    log.WriteFormatted("Unlock succeeded, lockcount is %d", lock_count_);
    return 1;
  }

  log.WriteLine("Unlock - Releasing Lock Semaphores");
  HRESULT result = S_OK;
  const BOOL released = ReleaseSemaphores(&result);
  if (result != S_OK) trace = result;
  return released ? 1 : 0;
}

bool CScannerLock::WaitForSemaphores(uint32_t timeout_ms, CLogger& log) {
  if (!owner_record_) {
    const DWORD wait = WaitForMultipleObjects(2, wait_handles_, TRUE, timeout_ms);
    return wait == WAIT_OBJECT_0 || wait == WAIT_OBJECT_0 + 1;
  }

  // The guard is taken in the same wait-all as the semaphores, so the record
  // is always written by the process that just took the device semaphore,
  // before anyone can look at it.
  return WaitTakingOverEndedOwner(
      *owner_record_, wait_handles_, 3, timeout_ms, kWaitSliceMs, &hold_token_,
      [&] { return ReleaseEndedHolder(*owner_record_, wait_handles_[0], log); });
}

BOOL CScannerLock::ReleaseSemaphores(HRESULT* trace_result) {
  // The record is cleared after the device semaphore is given back (see
  // common/ended_owner.h): two kernel calls in all, as for bare semaphores.
  if (!ReleaseSemaphore(wait_handles_[0], 1, nullptr)) *trace_result = TraceResultFromLastError();
  if (owner_record_) owner_record_->ClearHold(hold_token_);
  const BOOL released = ReleaseSemaphore(wait_handles_[1], 1, nullptr);
  if (!released) *trace_result = TraceResultFromLastError();
  owner_process_id_ = 0;
  owner_thread_id_ = 0;
  lock_count_ = 0;
  lock_type_ = kLockTypeFree;
  return released;
}

int CScannerLock::IsLocked() {
  CriticalSectionGuard hold(guard_);
  return lock_count_ > 0 ? 1 : 0;
}

int CScannerLock::IsLockedByCaller() {
  CriticalSectionGuard hold(guard_);
  if (lock_count_ == 0) return 0;
  if (lock_type_ == kLockTypeThread && GetCurrentThreadId() != owner_thread_id_) return 0;
  return 1;
}

}  // namespace zorvik
