// The shared owner record of a device lock and its guard mutex.
#include "lock_owner_record.h"

namespace zorvik {

namespace {

// The layout every process that shares the device name reads and writes.
// A fresh mapping is zero-filled, which is the empty record.
struct SharedOwnerRecord {
  // The process ID in the low half (0: nobody), the serial number of the hold
  // in the high half, so that a holder clearing its record after giving the
  // unit back never clears the record of a later hold of the same process.
  // Changed only by interlocked operations.
  volatile LONG64 hold;
  uint64_t creation_time;
  uint32_t suspect;
  uint32_t reserved;
};

constexpr uint64_t kProcessIdMask = 0xFFFFFFFFull;

uint64_t ReadHold(SharedOwnerRecord* record) {
  return static_cast<uint64_t>(InterlockedCompareExchange64(&record->hold, 0, 0));
}

}  // namespace

std::string OwnerGuardName(const std::string& semaphore_name) {
  return "ZorvikLockOwnerGuard_" + semaphore_name;
}

std::string OwnerRecordName(const std::string& semaphore_name) {
  return "ZorvikLockOwnerRecord_" + semaphore_name;
}

LockOwnerRecord::LockOwnerRecord(const std::string& semaphore_name, SECURITY_ATTRIBUTES* attributes)
    : guard_(CreateMutexA(attributes, FALSE, OwnerGuardName(semaphore_name).c_str())),
      mapping_(CreateFileMappingA(INVALID_HANDLE_VALUE, attributes, PAGE_READWRITE, 0,
                                  sizeof(SharedOwnerRecord),
                                  OwnerRecordName(semaphore_name).c_str())) {
  if (mapping_) {
    view_.reset(MapViewOfFile(mapping_.get(), FILE_MAP_READ | FILE_MAP_WRITE, 0, 0,
                              sizeof(SharedOwnerRecord)));
  }
}

OwnerGuardHold LockOwnerRecord::AcquireGuard(DWORD timeout_ms, bool* abandoned) {
  const DWORD wait = WaitForSingleObject(guard_.get(), timeout_ms);
  if (abandoned != nullptr) *abandoned = wait == WAIT_ABANDONED;
  if (wait != WAIT_OBJECT_0 && wait != WAIT_ABANDONED) return OwnerGuardHold();
  return OwnerGuardHold(guard_.get());
}

ProcessIdentity LockOwnerRecord::Owner() const {
  auto* record = static_cast<SharedOwnerRecord*>(view_.get());
  const uint32_t process_id = static_cast<uint32_t>(ReadHold(record) & kProcessIdMask);
  return process_id == 0 ? ProcessIdentity{} : ProcessIdentity{process_id, record->creation_time};
}

uint64_t LockOwnerRecord::SetOwner(const ProcessIdentity& owner) {
  auto* record = static_cast<SharedOwnerRecord*>(view_.get());
  const uint64_t serial = (ReadHold(record) >> 32) + 1;
  const uint64_t token = (serial << 32) | owner.process_id;
  // The creation time first: a reader that sees the new process ID (under
  // the guard, so never while this runs) sees its creation time too.
  record->creation_time = owner.creation_time;
  record->suspect = 0;
  InterlockedExchange64(&record->hold, static_cast<LONG64>(token));
  return token;
}

void LockOwnerRecord::Clear() {
  auto* record = static_cast<SharedOwnerRecord*>(view_.get());
  record->suspect = 0;
  InterlockedAnd64(&record->hold, static_cast<LONG64>(~kProcessIdMask));
}

void LockOwnerRecord::MarkSuspect() { static_cast<SharedOwnerRecord*>(view_.get())->suspect = 1; }

bool LockOwnerRecord::Suspect() const {
  return static_cast<SharedOwnerRecord*>(view_.get())->suspect != 0;
}

void LockOwnerRecord::ClearHold(uint64_t token) {
  auto* record = static_cast<SharedOwnerRecord*>(view_.get());
  InterlockedCompareExchange64(&record->hold, static_cast<LONG64>(token & ~kProcessIdMask),
                               static_cast<LONG64>(token));
}

}  // namespace zorvik
