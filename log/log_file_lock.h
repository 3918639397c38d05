// The guard that makes one append to the log file exclusive across every
// thread of every process that logs to the same path.
//
// The semaphore keeps its name, so every writer of the file shares it. Like
// the device lock, the guard also keeps a shared owner record beside it
// (common/lock_owner_record.h): a writer that died in the middle of an
// append loses its unit to the next waiter at once, instead of making every
// later append on the machine wait out the bounded wait.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <string_view>

#include "lock_owner_record.h"
#include "unique_resource.h"

namespace zorvik {

// The semaphore's name: the path without its backslashes and colons, which a
// kernel object name may not contain ("D:\Logs\larkspur.log" gives
// "DLogslarkspur.log").
std::string LogFileSemaphoreName(std::string_view file_path);

class CLogFileLock {
 public:
  // Opens or creates the path's named semaphore (one unit); an empty path or
  // a failed creation leaves the guard without a semaphore.
  explicit CLogFileLock(const char* file_path);
  virtual ~CLogFileLock();
  CLogFileLock(const CLogFileLock&) = delete;
  CLogFileLock& operator=(const CLogFileLock&) = delete;

  // Waits at most `timeout_ms` for the unit, taking it back at once from a
  // holder whose process has ended. False when it did not come: no
  // semaphore, a failed wait, or a time-out while a running writer held it.
  bool Acquire(DWORD timeout_ms);

  // Gives the unit back if this guard holds it.
  void Release();

 private:
  UniqueHandle semaphore_;
  // Null when the record's objects could not be made: the plain wait then.
  // Shared by every append of the process to the same file.
  std::shared_ptr<LockOwnerRecord> owner_record_;
  uint64_t hold_token_ = 0;     // the record's token of the current hold
  DWORD owner_process_id_ = 0;  // 0 while the unit is not held
};

}  // namespace zorvik
