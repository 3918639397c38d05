// The log file's named semaphore: derived from the path, held for one append.
#include "log_file_lock.h"

#include "critical_section.h"
#include "ended_owner.h"

namespace zorvik {

namespace {

// How long a waiter waits before it looks for an ended writer again.
constexpr DWORD kWaitSliceMs = 100;
// Keeps the record's names apart from those of the device locks' records.
constexpr char kRecordNamePrefix[] = "ZorvikLogFile_";

// The owner record of the log file's semaphore, opened the first time the
// process appends and kept until the module unloads. Opening it per append
// cost a named mapping, its view and the guard mutex, and as many closes:
// seven kernel calls on every append beside the semaphore's own. The record
// has no state of its own besides the shared view, so every append of the
// process can use the one object. A process logs to one file (the settings
// are read once), so one record is kept: another path replaces it.
class SharedOwnerRecord {
 public:
  std::shared_ptr<LockOwnerRecord> For(const std::string& record_name) {
    CriticalSectionGuard hold(guard_);
    if (!record_ || record_name != name_) {
      auto record = std::make_shared<LockOwnerRecord>(record_name, nullptr);
      if (!record->valid()) return nullptr;
      record_ = std::move(record);
      name_ = record_name;
    }
    return record_;
  }

 private:
  CriticalSection guard_;
  std::string name_;
  std::shared_ptr<LockOwnerRecord> record_;
};

// Built when the module loads and gone when it unloads, with the record's
// handles; a function-local static would cost a TLS slot at every unload.
SharedOwnerRecord g_owner_record;

}  // namespace

std::string LogFileSemaphoreName(std::string_view file_path) {
  std::string name;
  name.reserve(file_path.size());
  for (char c : file_path) {
    if (c != '\\' && c != ':') name += c;
  }
  return name;
}

CLogFileLock::CLogFileLock(const char* file_path) {
  if (file_path == nullptr || *file_path == '\0') return;
  const std::string name = LogFileSemaphoreName(file_path);
  semaphore_.reset(CreateSemaphoreA(nullptr, 1, 1, name.c_str()));
  if (!semaphore_) return;
  owner_record_ = g_owner_record.For(kRecordNamePrefix + name);
}

CLogFileLock::~CLogFileLock() { Release(); }

bool CLogFileLock::Acquire(DWORD timeout_ms) {
  if (owner_process_id_ != 0) return true;
  if (!semaphore_) return false;
  bool taken = false;
  if (owner_record_) {
    const HANDLE handles[2] = {semaphore_.get(), owner_record_->guard()};
    taken = WaitTakingOverEndedOwner(
        *owner_record_, handles, 2, timeout_ms, kWaitSliceMs, &hold_token_,
        [&] { return ReleaseEndedOwner(*owner_record_, semaphore_.get()).cleared; });
  } else {
    taken = WaitForSingleObject(semaphore_.get(), timeout_ms) == WAIT_OBJECT_0;
  }
  if (taken) owner_process_id_ = GetCurrentProcessId();
  return taken;
}

void CLogFileLock::Release() {
  if (owner_process_id_ != GetCurrentProcessId()) return;
  owner_process_id_ = 0;
  // Given back first, then the record cleared (common/ended_owner.h).
  ReleaseSemaphore(semaphore_.get(), 1, nullptr);
  if (owner_record_) owner_record_->ClearHold(hold_token_);
}

}  // namespace zorvik
