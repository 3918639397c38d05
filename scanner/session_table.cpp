// The process-wide session table: finding, counting, validating and retiring
// sessions. Its guard is held only inside these operations; everything done
// with a session afterwards happens outside it, through a counted reference.
#include "session_table.h"

#include <cstring>
#include <new>

namespace zorvik {

// Made while the module loads, before any object exists, and gone with it,
// so that loading and unloading the module leaves no table, guard or record
// behind.
CSessionTable CSessionTable::instance_;

CSessionTable& CSessionTable::Instance() { return instance_; }

CSessionTable::~CSessionTable() {
  for (const auto& entry : by_handle_) {
    // One reference kept for good holds the record, and its device, as it is.
    new (std::nothrow) std::shared_ptr<CScannerSession>(entry.second);
  }
}

std::shared_ptr<CScannerSession> CSessionTable::AcquireSession(const char* device_name,
                                                               int32_t* open_count) {
  if (device_name == nullptr || strnlen(device_name, kDeviceNameSize) >= kDeviceNameSize)
    return nullptr;
  CriticalSectionGuard hold(guard_);
  std::shared_ptr<CScannerSession> session;
  try {
    const std::string key(device_name);
    auto found = by_name_.find(key);
    if (found != by_name_.end()) {
      session = found->second;
      ++session->open_count_;
    } else {
      session = std::make_shared<CScannerSession>(NextHandleLocked(), device_name);
      by_handle_.emplace(session->handle(), session);
      try {
        by_name_.emplace(key, session);
      } catch (const std::bad_alloc&) {
        by_handle_.erase(session->handle());
        throw;
      }
    }
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
  if (open_count != nullptr) *open_count = session->open_count_;
  return session;
}

bool CSessionTable::ReleaseSession(const std::shared_ptr<CScannerSession>& session,
                                   int32_t* remaining, CLogger& log, bool* end_failed) {
  // The table's two maps hold the other references of a session in use by
  // the caller alone.
  constexpr long kTableReferences = 2;
  CriticalSectionGuard hold(guard_);
  auto found = by_handle_.find(session->handle());
  if (found == by_handle_.end() || found->second != session) return false;
  const int32_t left = --session->open_count_;
  if (remaining != nullptr) *remaining = left;
  if (left <= 0) {
    const bool only_user = session.use_count() == kTableReferences + 1;
    const bool ended = RemoveLocked(*session, only_user, log);
    if (end_failed != nullptr) *end_failed = !ended;
  }
  return true;
}

bool CSessionTable::DiscardSession(CScannerSession& session, CLogger& log) {
  CriticalSectionGuard hold(guard_);
  auto found = by_handle_.find(session.handle());
  if (found == by_handle_.end() || found->second.get() != &session) return true;
  // Nothing but the failed open can reach the device: the session never
  // validated.
  return RemoveLocked(session, true, log);
}

bool CSessionTable::RemoveLocked(CScannerSession& session, bool end_device, CLogger& log) {
  const bool ended = !end_device || session.EndDevice(log);
  // Every level the caller may give back is given back; the first refusal
  // (count 0, or a level owned by another thread) ends the loop. Levels the
  // caller may not release go back when the record's lock is destroyed.
  if (session.lock().IsLocked()) {
    while (session.lock().Unlock() != 0) {
    }
  }
  by_name_.erase(session.device_name());
  // Erased last: this may drop the table's reference to the record.
  by_handle_.erase(session.handle());
  return ended;
}

std::shared_ptr<CScannerSession> CSessionTable::ValidateSession(DWORD handle) {
  if (handle == 0) return nullptr;
  CriticalSectionGuard hold(guard_);
  auto found = by_handle_.find(handle);
  if (found == by_handle_.end() || found->second->set_up() != SessionSetUp::kSucceeded)
    return nullptr;
  return found->second;
}

size_t CSessionTable::SessionCount() {
  CriticalSectionGuard hold(guard_);
  return by_name_.size();
}

int32_t CSessionTable::OpenCount(const char* device_name) {
  CriticalSectionGuard hold(guard_);
  auto found = by_name_.find(device_name);
  return found == by_name_.end() ? 0 : found->second->open_count_;
}

DWORD CSessionTable::NextHandleLocked() {
  // 0 is never a handle, and after a wrap-around a value still in use is
  // skipped.
  do {
    ++last_handle_;
  } while (last_handle_ == 0 || by_handle_.count(last_handle_) != 0);
  return last_handle_;
}

}  // namespace zorvik
