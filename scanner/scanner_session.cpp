// The session record: construction, ending the device, and the hand-over of
// the first open's set-up outcome to the opens that wait for it.
#include "scanner_session.h"

#include <cstring>

#include "logger.h"

namespace zorvik {

CScannerSession::CScannerSession(DWORD handle, const char* device_name)
    : handle_(handle), lock_(device_name) {
  // The table refuses longer names; cutting here only keeps the field safe.
  const size_t length = strnlen(device_name, kDeviceNameSize - 1);
  std::memcpy(device_name_, device_name, length);
}

CScannerSession::~CScannerSession() {
  CLogger log(LOG_ATTR_DETAIL);
  // The device is still open here only when another call held the session
  // at its last close, which has long returned: the log is the one place
  // left to report a failed ClearIOHandle.
  if (!EndDevice(log))
    log.WriteFormatted("ClearIOHandle failed as session 0x%lx ended after its last close", handle_);
}

void CScannerSession::SelectDevice() {
  if (toolkit_) toolkit_->SetIOHandle(device_.get());
}

bool CScannerSession::EndDevice(CLogger& log) {
  const ToolkitStep step;
  if (device_ended_) return true;
  device_ended_ = true;
  bool cleared = true;
  if (toolkit_) {
    SelectDevice();
    cleared = toolkit_->ClearIOHandle() != 0;
    log.WriteLine("Deleting Toolkit Interface");
  }
  device_.reset();
  toolkit_.reset();
  return cleared;
}

void CScannerSession::FinishSetUp(SessionSetUp outcome, DWORD error_code) {
  AcquireSRWLockExclusive(&set_up_guard_);
  set_up_error_ = error_code;
  set_up_.store(outcome);
  ReleaseSRWLockExclusive(&set_up_guard_);
  WakeAllConditionVariable(&set_up_finished_);
}

DWORD CScannerSession::WaitForSetUp() {
  AcquireSRWLockExclusive(&set_up_guard_);
  // The first open always finishes its set-up, successful or not, so the wait
  // has no time limit of its own: it is bounded by the set-up's lock time-out
  // and retries.
  while (set_up_.load() == SessionSetUp::kInProgress) {
    SleepConditionVariableSRW(&set_up_finished_, &set_up_guard_, INFINITE, 0);
  }
  const DWORD error_code = set_up_error_;
  ReleaseSRWLockExclusive(&set_up_guard_);
  return error_code;
}

}  // namespace zorvik
