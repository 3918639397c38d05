// The simulated toolkit's entry points (all but CheckPushButton, which lives
// in its own file): each runs on the selected device and is journaled.
// SetIOHandle and ClearIOHandle also change the selection.
#include "toolkit_exports.h"

#include "journaled_call.h"

using zorvik::ToolkitEntry;
using zorvik::sim::AsArgument;
using zorvik::sim::CallOnDevice;
using zorvik::sim::CallSelectedDevice;
using zorvik::sim::Device;
using zorvik::sim::DeviceForRequest;
using zorvik::sim::DeviceRegistry;
using zorvik::sim::HandedIn;

// Entry points without arguments.
#define ZORVIK_SIM_PLAIN_EXPORT(name)                                        \
  extern "C" int32_t WINAPI name() {                                         \
    return CallSelectedDevice(ToolkitEntry::name, {}, {},                    \
                              [](Device& device) { return device.name(); }); \
  }

ZORVIK_SIM_PLAIN_EXPORT(InitializeScanner)
ZORVIK_SIM_PLAIN_EXPORT(StartScan)
ZORVIK_SIM_PLAIN_EXPORT(StopScan)
ZORVIK_SIM_PLAIN_EXPORT(DoCalibration)
ZORVIK_SIM_PLAIN_EXPORT(ChooseScanner)
ZORVIK_SIM_PLAIN_EXPORT(InitializeDriver)
ZORVIK_SIM_PLAIN_EXPORT(TerminateDriver)
ZORVIK_SIM_PLAIN_EXPORT(SlowDownScanSpeed)
ZORVIK_SIM_PLAIN_EXPORT(SpeedUpScanSpeed)
ZORVIK_SIM_PLAIN_EXPORT(LampOn)
ZORVIK_SIM_PLAIN_EXPORT(LampOff)
ZORVIK_SIM_PLAIN_EXPORT(ResetPushButton)
#undef ZORVIK_SIM_PLAIN_EXPORT

extern "C" int32_t WINAPI SetIOHandle(HANDLE device) {
  const auto slot = DeviceRegistry::Instance().Select(device);
  return CallOnDevice(slot, ToolkitEntry::SetIOHandle, {AsArgument(device)},
                      HandedIn{slot->problems.data(), slot->problems.size()},
                      [](Device& selected) { return selected.SetIOHandle(); });
}

extern "C" int32_t WINAPI ClearIOHandle() {
  const auto slot = DeviceForRequest(ToolkitEntry::ClearIOHandle);
  const int32_t result = CallOnDevice(slot, ToolkitEntry::ClearIOHandle, {}, {},
                                      [](Device& device) { return device.ClearIOHandle(); });
  // The device is let go even when the call is scripted to fail: its
  // handle is about to be closed.
  DeviceRegistry::Instance().Forget(slot);
  return result;
}

extern "C" int32_t WINAPI ResetScanner(uint8_t* scratch) {
  return CallSelectedDevice(ToolkitEntry::ResetScanner, {AsArgument(scratch)}, {},
                            [&](Device& device) { return device.ResetScanner(scratch); });
}

extern "C" int32_t WINAPI GetScannerAbility(TOOLKIT_ABILITY* ability) {
  return CallSelectedDevice(ToolkitEntry::GetScannerAbility, {AsArgument(ability)}, {},
                            [&](Device& device) { return device.GetScannerAbility(ability); });
}

extern "C" int32_t WINAPI GetScannerAbilityEx(TOOLKIT_ABILITY* ability) {
  return CallSelectedDevice(ToolkitEntry::GetScannerAbilityEx, {AsArgument(ability)}, {},
                            [&](Device& device) { return device.GetScannerAbilityEx(ability); });
}

extern "C" int32_t WINAPI SetScanParameter(const TOOLKIT_SCAN_PARAMETER* parameter) {
  return CallSelectedDevice(ToolkitEntry::SetScanParameter, {AsArgument(parameter)},
                            HandedIn{parameter, parameter ? sizeof(*parameter) : 0},
                            [&](Device& device) { return device.SetScanParameter(parameter); });
}

extern "C" int32_t WINAPI ReadScan(uint8_t* status, uint8_t* buffer, uint32_t bytes) {
  return CallSelectedDevice(ToolkitEntry::ReadScan, {AsArgument(status), AsArgument(buffer), bytes},
                            {},
                            [&](Device& device) { return device.ReadScan(status, buffer, bytes); });
}

extern "C" int32_t WINAPI SetGammaTable(const uint8_t* table, uint8_t channel, uint16_t entries) {
  // The journal keeps at most one 256-entry table, and never more than the
  // caller says the table has.
  const size_t kept = table ? (entries < 256 ? entries : 256) : 0;
  return CallSelectedDevice(
      ToolkitEntry::SetGammaTable, {AsArgument(table), channel, entries}, HandedIn{table, kept},
      [&](Device& device) { return device.SetGammaTable(table, channel, entries); });
}

extern "C" int32_t WINAPI GetEOPStatus(uint8_t* end_of_page) {
  return CallSelectedDevice(ToolkitEntry::GetEOPStatus, {AsArgument(end_of_page)}, {},
                            [&](Device& device) { return device.GetEOPStatus(end_of_page); });
}

extern "C" int32_t WINAPI GetEOPStatusEx(uint8_t* end_of_page, uint32_t* bytes_left) {
  return CallSelectedDevice(
      ToolkitEntry::GetEOPStatusEx, {AsArgument(end_of_page), AsArgument(bytes_left)}, {},
      [&](Device& device) { return device.GetEOPStatusEx(end_of_page, bytes_left); });
}

extern "C" int32_t WINAPI SetSpeedMode(uint8_t mode) {
  return CallSelectedDevice(ToolkitEntry::SetSpeedMode, {mode}, {},
                            [&](Device& device) { return device.SetSpeedMode(mode); });
}

extern "C" int32_t WINAPI GetScannerStatus(uint8_t* status1, uint8_t* status2, uint8_t* status3,
                                           uint8_t* error_status) {
  return CallSelectedDevice(
      ToolkitEntry::GetScannerStatus,
      {AsArgument(status1), AsArgument(status2), AsArgument(status3), AsArgument(error_status)}, {},
      [&](Device& device) {
        return device.GetScannerStatus(status1, status2, status3, error_status);
      });
}

extern "C" int32_t WINAPI GetScannerStatusEx(uint8_t* status) {
  return CallSelectedDevice(ToolkitEntry::GetScannerStatusEx, {AsArgument(status)}, {},
                            [&](Device& device) { return device.GetScannerStatusEx(status); });
}

extern "C" int32_t WINAPI SetPrintPortMode(uint8_t mode) {
  return CallSelectedDevice(ToolkitEntry::SetPrintPortMode, {mode}, {},
                            [&](Device& device) { return device.SetPrintPortMode(mode); });
}

extern "C" int32_t WINAPI GetLightStatus(uint8_t* lamp_on) {
  return CallSelectedDevice(ToolkitEntry::GetLightStatus, {AsArgument(lamp_on)}, {},
                            [&](Device& device) { return device.GetLightStatus(lamp_on); });
}

extern "C" int32_t WINAPI FlatbedTransLightSwitch(uint8_t on) {
  return CallSelectedDevice(ToolkitEntry::FlatbedTransLightSwitch, {on}, {},
                            [&](Device& device) { return device.FlatbedTransLightSwitch(on); });
}

extern "C" int32_t WINAPI ReadPushButton(TOOLKIT_BUTTON_EVENT* event) {
  return CallSelectedDevice(ToolkitEntry::ReadPushButton, {AsArgument(event)}, {},
                            [&](Device& device) { return device.ReadPushButton(event); });
}

extern "C" int32_t WINAPI InitialButton(TOOLKIT_BUTTON_INFO* info) {
  return CallSelectedDevice(ToolkitEntry::InitialButton, {AsArgument(info)}, {},
                            [&](Device& device) { return device.InitialButton(info); });
}
