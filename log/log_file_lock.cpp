// The log file's named semaphore: derived from the path, held for one append.
#include "log_file_lock.h"

namespace zorvik {

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
  semaphore_.reset(CreateSemaphoreA(nullptr, 1, 1, LogFileSemaphoreName(file_path).c_str()));
}

CLogFileLock::~CLogFileLock() { Release(); }

bool CLogFileLock::Acquire(DWORD timeout_ms) {
  if (owner_process_id_ != 0) return true;
  if (!semaphore_) return false;
  if (WaitForSingleObject(semaphore_.get(), timeout_ms) != WAIT_OBJECT_0) return false;
  owner_process_id_ = GetCurrentProcessId();
  return true;
}

void CLogFileLock::Release() {
  if (owner_process_id_ != GetCurrentProcessId()) return;
  owner_process_id_ = 0;
  ReleaseSemaphore(semaphore_.get(), 1, nullptr);
}

}  // namespace zorvik
