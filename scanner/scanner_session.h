// CScannerSession: the state of one opened scanner device, shared by every
// object of the process that opens the same device name. The session table
// owns the records (see session_table.h); a call that works on a session
// holds a counted reference to it, so a record outlives every call using it.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <memory>

#include "scan_codes.h"
#include "scanner_lock.h"
#include "toolkit_interface.h"
#include "toolkit_records.h"
#include "toolkit_step.h"
#include "unique_resource.h"

namespace zorvik {

class CLogger;

// Room for a device name in the ANSI code page, with its terminating NUL.
inline constexpr size_t kDeviceNameSize = 264;

// Where the first open of a session stands in setting the device up.
enum class SessionSetUp : uint8_t { kInProgress, kSucceeded, kFailed };

class CScannerSession {
 public:
  // `handle` is the non-zero value the host will pass back; `device_name`
  // fits kDeviceNameSize (the table checks it). The lock is constructed with
  // the name; everything the toolkit fills starts zeroed.
  CScannerSession(DWORD handle, const char* device_name);
  // Ends the device if the last close could not (another call still held the
  // session then), logging a failed ClearIOHandle, since no caller is left to
  // receive it; the lock gives back any semaphore units it still holds.
  virtual ~CScannerSession();
  CScannerSession(const CScannerSession&) = delete;
  CScannerSession& operator=(const CScannerSession&) = delete;

  DWORD handle() const { return handle_; }
  const char* device_name() const { return device_name_; }
  CScannerLock& lock() { return lock_; }

  // The toolkit binding, or null until the first open has made a valid one.
  CToolkitInterface* toolkit() { return toolkit_.get(); }
  void set_toolkit(std::unique_ptr<CToolkitInterface> toolkit) { toolkit_ = std::move(toolkit); }
  // The opened device file; null when the host gave no device name.
  HANDLE device_handle() const { return device_.get(); }
  void set_device(UniqueHandle device) { device_ = std::move(device); }

  TOOLKIT_ABILITY& ability() { return ability_; }
  TOOLKIT_SCAN_PARAMETER& scan_parameters() { return scan_parameters_; }
  TOOLKIT_BUTTON_INFO& buttons() { return buttons_; }
  uint8_t* red_gamma() { return red_gamma_; }
  uint8_t* green_gamma() { return green_gamma_; }
  uint8_t* blue_gamma() { return blue_gamma_; }

  // One toolkit request on this session's device: selects the device and
  // calls `request(CToolkitInterface&)` as one ToolkitStep, so that no other
  // thread's selection can come between. Returns the request's result, or 0
  // without a toolkit binding.
  template <typename Request>
  int32_t MakeRequest(Request&& request) {
    const ToolkitStep step;
    SelectDevice();
    return toolkit_ ? static_cast<int32_t>(request(*toolkit_)) : 0;
  }

  // Ends the device once, as one ToolkitStep: selects it, calls ClearIOHandle
  // (logging "Deleting Toolkit Interface"), closes the device file and
  // deletes the toolkit binding, which ends and unloads the toolkit. Returns
  // false only when ClearIOHandle failed; later calls do nothing and return
  // true. Call it only when no other call can be using the device.
  bool EndDevice(CLogger& log);

  // The open's set-up: a second open of the device waits for the first one
  // to finish and then shares its outcome.
  SessionSetUp set_up() const { return set_up_.load(); }
  // Records the outcome (the driver error code of a failure, 0 on success)
  // and releases every open waiting for it.
  void FinishSetUp(SessionSetUp outcome, DWORD error_code);
  // Waits until the set-up has finished and returns its error code.
  DWORD WaitForSetUp();

 private:
  friend class CSessionTable;

  // Selects this session's device in the toolkit; only inside a ToolkitStep.
  void SelectDevice();

  // Counted opens; read and written only under the session table's guard.
  int32_t open_count_ = 1;
  const DWORD handle_;
  TOOLKIT_ABILITY ability_{};
  TOOLKIT_SCAN_PARAMETER scan_parameters_{};
  TOOLKIT_BUTTON_INFO buttons_{};
  uint8_t red_gamma_[kGammaTableSize] = {};
  uint8_t green_gamma_[kGammaTableSize] = {};
  uint8_t blue_gamma_[kGammaTableSize] = {};
  std::unique_ptr<CToolkitInterface> toolkit_;
  UniqueHandle device_;
  bool device_ended_ = false;
  char device_name_[kDeviceNameSize] = {};
  CScannerLock lock_;
  // The set-up outcome and the opens waiting for it; the outcome is written
  // under set_up_guard_ and read without it only as a hint.
  SRWLOCK set_up_guard_ = SRWLOCK_INIT;
  CONDITION_VARIABLE set_up_finished_ = CONDITION_VARIABLE_INIT;
  std::atomic<SessionSetUp> set_up_{SessionSetUp::kInProgress};
  DWORD set_up_error_ = 0;
};

}  // namespace zorvik
