// The owner record of one device's lock, shared by every process that opens
// the same device name: the identity of the process that holds the device
// semaphore, kept in a small named file mapping, and the named mutex that
// guards it. A mutex, unlike a semaphore, is given back by the system when
// its owner dies, and the record says whose semaphore unit is outstanding, so
// together they let a waiter notice a holder that has ended.
#pragma once

#include <windows.h>

#include <string>

#include "process_identity.h"
#include "unique_resource.h"

namespace zorvik {

// The kernel object names of the record and its guard for a semaphore name.
std::string OwnerGuardName(const std::string& semaphore_name);
std::string OwnerRecordName(const std::string& semaphore_name);

// Ownership of the guard mutex by the calling thread, given back when the
// hold goes out of scope. A mutex belongs to a thread, so a hold never leaves
// the call (and thread) that took it.
class OwnerGuardHold {
 public:
  OwnerGuardHold() = default;
  // Adopts a mutex the calling thread already owns (from a successful wait).
  explicit OwnerGuardHold(HANDLE owned_mutex) : mutex_(owned_mutex) {}
  ~OwnerGuardHold() {
    if (mutex_ != nullptr) ReleaseMutex(mutex_);
  }
  OwnerGuardHold(OwnerGuardHold&& other) noexcept : mutex_(other.mutex_) { other.mutex_ = nullptr; }
  OwnerGuardHold& operator=(OwnerGuardHold&&) = delete;
  OwnerGuardHold(const OwnerGuardHold&) = delete;
  OwnerGuardHold& operator=(const OwnerGuardHold&) = delete;

  bool owned() const { return mutex_ != nullptr; }

 private:
  HANDLE mutex_ = nullptr;
};

class LockOwnerRecord {
 public:
  // Opens the record and its guard for `semaphore_name`, creating them (empty)
  // if this is the first opener. `attributes` are those of the semaphore.
  LockOwnerRecord(const std::string& semaphore_name, SECURITY_ATTRIBUTES* attributes);
  LockOwnerRecord(const LockOwnerRecord&) = delete;
  LockOwnerRecord& operator=(const LockOwnerRecord&) = delete;

  // False when one of the objects could not be created or mapped.
  bool valid() const { return guard_.valid() && view_.valid(); }
  // The guard mutex, for a wait that takes it together with the semaphores.
  HANDLE guard() const { return guard_.get(); }

  // The guard waited for at most `timeout_ms`; `abandoned` tells whether its
  // previous owner died holding it. The hold is empty on time-out.
  OwnerGuardHold AcquireGuard(DWORD timeout_ms, bool* abandoned = nullptr);

  // Read and written only while the calling thread owns the guard.
  ProcessIdentity Owner() const;
  void SetOwner(const ProcessIdentity& owner);
  void Clear() { SetOwner(ProcessIdentity{}); }

 private:
  struct MappedViewTraits {
    using Type = void*;
    static Type Invalid() noexcept { return nullptr; }
    static bool IsValid(Type view) noexcept { return view != nullptr; }
    static void Close(Type view) noexcept { UnmapViewOfFile(view); }
  };
  using UniqueMappedView = UniqueResource<MappedViewTraits>;

  UniqueHandle guard_;
  UniqueHandle mapping_;
  UniqueMappedView view_;
};

}  // namespace zorvik
