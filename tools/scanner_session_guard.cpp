// Opening, locking, unlocking and closing the scanner for zorvik_scan.
#include "scanner_session_guard.h"

#include <vector>

#include "driver_error.h"

namespace zorvik::host {
namespace {

// The device lock is what another host holds while it uses the scanner; the
// bare driver error does not tell the user that.
void ExplainLockFailure(DWORD error, const std::string& advice, CallReport& report) {
  if (error != kErrScannerLockFailed) return;
  report.Fail("another program is using the scanner; try again when it has finished" + advice,
              kExitScannerFailure);
}

}  // namespace

OpenedSession::~OpenedSession() {
  if (!open_) return;
  DWORD error = kErrNoError;
  const HRESULT hr = scanner_->CloseScannerSession(handle_, &error);
  report_.Method("CloseScannerSession", hr, error);
}

bool OpenedSession::Open(const std::wstring& device) {
  // The method takes a writable string; a copy keeps the caller's own.
  std::vector<wchar_t> path(device.begin(), device.end());
  path.push_back(L'\0');
  DWORD error = kErrNoError;
  const HRESULT hr = scanner_->OpenScannerSession(device.empty() ? nullptr : path.data(),
                                                  kUsbDevice, &handle_, &error);
  open_ = report_.Method("OpenScannerSession", hr, error);
  // Opening a closed device takes the lock for a while itself.
  if (!open_) ExplainLockFailure(error, "", report_);
  return open_;
}

HeldLock::~HeldLock() {
  if (!held_) return;
  DWORD error = kErrNoError;
  const HRESULT hr = scanner_->UnlockScanner(session_.handle(), &error);
  report_.Method("UnlockScanner", hr, error);
}

bool HeldLock::Lock(DWORD timeout_ms) {
  DWORD error = kErrNoError;
  const HRESULT hr = scanner_->LockScanner(session_.handle(), kThreadLock, timeout_ms, &error);
  held_ = report_.Method("LockScanner", hr, error);
  if (!held_) {
    ExplainLockFailure(
        error,
        " (waited " + std::to_string(timeout_ms) + " ms), or wait longer with --lock-timeout",
        report_);
  }
  return held_;
}

}  // namespace zorvik::host
