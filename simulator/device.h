// One simulated flatbed: its state and its answer to every toolkit entry
// point. Each method answers like the entry point of the same name: 0 for
// failure, with the reason kept for GetScannerStatus, otherwise the success
// value (1 unless the description scripts another).
//
// A device is not thread-safe by itself; its owner serialises the calls.
#pragma once

#include <cstdint>
#include <optional>

#include "device_description.h"
#include "image_generator.h"
#include "toolkit_entry_points.h"
#include "toolkit_records.h"

namespace zorvik::sim {

class Device {
 public:
  // A scanner as `description` says.
  explicit Device(DeviceDescription description);
  // No scanner behind the handle: every device call fails with kStatusNoDevice.
  static Device Absent();

  const DeviceDescription& description() const { return description_; }

  // Selection, driver and scanner start-up.
  // The registry has already chosen this device by the handle.
  int32_t SetIOHandle(const void* /*handle*/) { return Answer(ToolkitEntry::SetIOHandle); }
  int32_t ClearIOHandle() { return Answer(ToolkitEntry::ClearIOHandle); }
  int32_t InitializeDriver() { return Answer(ToolkitEntry::InitializeDriver); }
  int32_t TerminateDriver() { return Answer(ToolkitEntry::TerminateDriver); }
  int32_t InitializeScanner();
  int32_t ResetScanner(uint8_t* scratch);
  int32_t ChooseScanner() { return Answer(ToolkitEntry::ChooseScanner); }
  int32_t DoCalibration() { return AnswerWhenReady(ToolkitEntry::DoCalibration); }
  int32_t SetPrintPortMode(uint8_t mode);

  // Records and status.
  int32_t GetScannerAbility(TOOLKIT_ABILITY* ability);
  int32_t GetScannerAbilityEx(TOOLKIT_ABILITY* ability);
  int32_t GetScannerStatus(uint8_t* status1, uint8_t* status2, uint8_t* status3,
                           uint8_t* error_status);
  int32_t GetScannerStatusEx(uint8_t* status);

  // Scanning.
  int32_t SetScanParameter(const TOOLKIT_SCAN_PARAMETER* parameter);
  int32_t SetGammaTable(const uint8_t* table, uint8_t channel, uint16_t entries);
  int32_t StartScan();
  int32_t ReadScan(uint8_t* status, uint8_t* buffer, uint32_t bytes);
  int32_t StopScan();
  int32_t GetEOPStatus(uint8_t* end_of_page);
  int32_t GetEOPStatusEx(uint8_t* end_of_page, uint32_t* bytes_left);
  int32_t SlowDownScanSpeed() { return AnswerWhenReady(ToolkitEntry::SlowDownScanSpeed); }
  int32_t SpeedUpScanSpeed() { return AnswerWhenReady(ToolkitEntry::SpeedUpScanSpeed); }
  int32_t SetSpeedMode(uint8_t mode);

  // Lamps.
  int32_t LampOn();
  int32_t LampOff();
  int32_t GetLightStatus(uint8_t* lamp_on);
  int32_t FlatbedTransLightSwitch(uint8_t on);

  // Front-panel buttons.
  int32_t InitialButton(TOOLKIT_BUTTON_INFO* info);
  int32_t ReadPushButton(TOOLKIT_BUTTON_EVENT* event);
  int32_t CheckPushButton(uint8_t* pressed);
  int32_t ResetPushButton();

 private:
  struct Scan {
    ImageGenerator image;
    uint64_t position = 0;
    uint8_t failed_status = 0;  // non-zero once a scripted read failure ended the scan
    double bus_free_at = 0.0;   // when the bus has carried every byte delivered so far, seconds
  };

  Device(DeviceDescription description, bool present);

  // Counts the call and applies the scripted faults and the absent device;
  // false when the call must fail (the status is then recorded).
  bool Enter(ToolkitEntry entry);
  bool EnterWhenReady(ToolkitEntry entry);
  int32_t Fail(uint8_t status);
  // The value a successful call returns: 1 unless the description scripts another.
  int32_t SuccessValue(ToolkitEntry entry) const;
  // The whole answer of a call that has nothing to do but succeed.
  int32_t Answer(ToolkitEntry entry);
  int32_t AnswerWhenReady(ToolkitEntry entry);
  ScanLimits LimitsFor(uint8_t scan_method) const;
  // Holds a read of `bytes` back until the bus of the description's rate
  // could have carried them.
  void PaceTransfer(uint64_t bytes);
  void LatchDuePress();

  DeviceDescription description_;
  bool present_;
  uint8_t last_error_status_;
  uint32_t calls_[kToolkitEntryPointCount] = {};
  bool ready_ = false;  // InitializeScanner succeeded
  bool lamp_on_;
  bool transparency_light_on_ = false;
  std::optional<ScanLayout> layout_;  // the accepted scan parameters
  GammaTables gamma_ = IdentityGamma();
  std::optional<Scan> scan_;
  uint32_t polls_ = 0;
  size_t next_press_ = 0;  // description_.presses, ordered by poll
  uint8_t latched_button_ = 0;
  bool latched_ = false;
};

}  // namespace zorvik::sim
