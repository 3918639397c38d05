// The owner record of one device's lock, shared by every process that opens
// the same device name: the identity of the process that holds the device
// semaphore, kept in a small named file mapping mapped for the record's whole
// life, and the named mutex that guards it. A mutex, unlike a semaphore, is
// given back by the system when its owner dies, and the record says whose
// semaphore unit is outstanding, so together they let a waiter notice a
// holder that has ended.
//
// The record is written under the guard when the semaphore is taken (the
// guard comes in the same wait). A holder clears it after giving the unit
// back, without the guard, by one interlocked exchange that only succeeds
// while the record still names its own hold; so giving the device back costs
// no kernel call beyond the release itself.
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
  // Names `owner` as the holder of a new hold; returns the hold's token for
  // ClearHold. Also forgets a suspicion.
  uint64_t SetOwner(const ProcessIdentity& owner);
  // Names nobody and forgets a suspicion.
  void Clear();
  // A waiter that found the guard abandoned while the record named a running
  // process cannot tell whether the dead process had just taken the unit
  // (then the named process has given it back and is about to clear the
  // record) or only looked at the record. It marks the record; once the named
  // process has cleared it, the empty, marked record tells the next waiter
  // that the unit, if taken, is the dead process's.
  void MarkSuspect();
  bool Suspect() const;

  // Without the guard: clears the record if it still names the hold that
  // SetOwner returned `token` for (a later hold, of this process or another,
  // is left alone). Called after the holder has given its unit back.
  void ClearHold(uint64_t token);

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
