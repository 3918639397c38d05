// Opening, locking, unlocking and closing the scanner for zorvik_scan.
#include "scanner_session_guard.h"

#include <algorithm>
#include <vector>

#include "zorvik_contract.h"
#include "wait_notice.h"

namespace zorvik::host {
namespace {

// Between two opens of a scanner another program holds, and the longest
// single LockScanner wait, so a cancel is seen within this time.
constexpr uint32_t kWaitSliceMs = 500;

const char kSlowOpenNotice[] =
    "zorvik_scan: the scanner is taking a while to answer: it is starting up, its start is "
    "being retried, or another program is using it; waiting (Ctrl-C cancels)";

// The device lock is what another host holds while it uses the scanner; the
// bare driver error does not tell the user that.
void ExplainLockFailure(const ScannerWait& wait, CallReport& report) {
  report.Fail("another program is using the scanner; try again when it has finished (waited " +
                  std::to_string(wait.timeout_ms()) + " ms), or wait longer with --lock-timeout",
              kExitScannerFailure);
}

}  // namespace

ScannerWait::ScannerWait(uint32_t timeout_ms, std::function<bool()> cancelled)
    : timeout_ms_(timeout_ms),
      deadline_(std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms)),
      cancelled_(std::move(cancelled)) {}

uint32_t ScannerWait::RemainingMs() const {
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
      deadline_ - std::chrono::steady_clock::now());
  return left.count() > 0 ? static_cast<uint32_t>(left.count()) : 0;
}

bool ScannerWait::Pause(uint32_t ms) const {
  if (Cancelled()) return false;
  const uint32_t remaining = RemainingMs();
  if (remaining == 0) return false;
  Sleep(std::min(ms, remaining));
  return !Cancelled();
}

OpenedSession::~OpenedSession() {
  if (!open_) return;
  report_.Call("CloseScannerSession",
               [&](DWORD* error) { return scanner_->CloseScannerSession(handle_, error); });
}

bool HeldByAnotherProgram(uint32_t error, bool known_to_be_there) {
  return error == ZORVIK_ERROR_SCANNER_LOCK_FAILED ||
         (known_to_be_there && error == ZORVIK_ERROR_SCANNER_NOT_FOUND);
}

bool OpenedSession::Open(const std::wstring& device, const ScannerWait& wait,
                         const WaitOutput& output) {
  // The method takes a writable string; a copy keeps the caller's own.
  std::vector<wchar_t> path(device.begin(), device.end());
  path.push_back(L'\0');
  WaitNotice notice(output.out, kSlowOpenNotice, output.progress);
  bool said_busy = false;
  for (;;) {
    DWORD error = ZORVIK_ERROR_NO_ERROR;
    const HRESULT hr = scanner_->OpenScannerSession(device.empty() ? nullptr : path.data(),
                                                    ZORVIK_DEVICE_IO_USB, &handle_, &error);
    if (hr == S_OK && error == ZORVIK_ERROR_NO_ERROR) {
      open_ = true;
      return true;
    }
    // Once the scanner was busy, "not found" is retried as well.
    const bool busy = HeldByAnotherProgram(error, said_busy);
    if (busy) {
      if (!said_busy && wait.RemainingMs() > 0 && !wait.Cancelled()) {
        notice.Say("zorvik_scan: another program is using the scanner; waiting up to " +
                   std::to_string(wait.timeout_ms()) + " ms for it (--lock-timeout)");
        said_busy = true;
      }
      if (wait.Pause(kWaitSliceMs)) continue;
    }
    if (wait.Cancelled()) return false;
    report_.Method("OpenScannerSession", hr, error);
    if (busy) ExplainLockFailure(wait, report_);
    return false;
  }
}

HeldLock::~HeldLock() {
  if (!held_) return;
  report_.Call("UnlockScanner",
               [&](DWORD* error) { return scanner_->UnlockScanner(session_.handle(), error); });
}

bool HeldLock::Lock(const ScannerWait& wait) {
  for (;;) {
    DWORD error = ZORVIK_ERROR_NO_ERROR;
    const HRESULT hr = scanner_->LockScanner(session_.handle(), ZORVIK_LOCK_THREAD,
                                             std::min(wait.RemainingMs(), kWaitSliceMs), &error);
    if (hr == S_OK && error == ZORVIK_ERROR_NO_ERROR) {
      held_ = true;
      return true;
    }
    if (error == ZORVIK_ERROR_SCANNER_LOCK_FAILED && wait.RemainingMs() > 0 && !wait.Cancelled())
      continue;
    if (wait.Cancelled()) return false;
    report_.Method("LockScanner", hr, error);
    if (error == ZORVIK_ERROR_SCANNER_LOCK_FAILED) ExplainLockFailure(wait, report_);
    return false;
  }
}

}  // namespace zorvik::host
