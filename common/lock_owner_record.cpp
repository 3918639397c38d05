// The shared owner record of a device lock and its guard mutex.
#include "lock_owner_record.h"

#include <cstring>

namespace zorvik {

namespace {

// The layout every process that shares the device name reads and writes.
// A fresh mapping is zero-filled, which is the empty record.
struct SharedOwnerRecord {
  uint32_t process_id;
  uint32_t reserved;
  uint64_t creation_time;
};

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
  SharedOwnerRecord record;
  std::memcpy(&record, view_.get(), sizeof(record));
  return ProcessIdentity{record.process_id, record.creation_time};
}

void LockOwnerRecord::SetOwner(const ProcessIdentity& owner) {
  const SharedOwnerRecord record{owner.process_id, 0, owner.creation_time};
  std::memcpy(view_.get(), &record, sizeof(record));
}

}  // namespace zorvik
