// The simulated flatbed's behaviour, entry point by entry point. Scanning,
// lamp and button operations need a successful InitializeScanner first, as
// on the real scanner; records and status can be read at any time.
#include "device.h"

#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <utility>

#include "error_status.h"

namespace zorvik::sim {

namespace {

// The calls that still answer when there is no scanner behind the handle:
// the status that explains why everything else failed, and the driver's own
// bookkeeping.
bool AnswersWithoutDevice(ToolkitEntry entry) {
  return entry == ToolkitEntry::GetScannerStatus || entry == ToolkitEntry::ClearIOHandle ||
         entry == ToolkitEntry::InitializeDriver || entry == ToolkitEntry::TerminateDriver;
}

constexpr size_t kResetScratchBytes = kResetScratchSize;
constexpr size_t kLegacyAbilityBytes = 128;  // GetScannerAbility predates the last 16 bytes
constexpr size_t kStatusExBytes = 8;

double SecondsNow() {
  LARGE_INTEGER frequency, counter;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&counter);
  return static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

}  // namespace

Device::Device(DeviceDescription description) : Device(std::move(description), true) {}

Device Device::Absent() { return Device(DeviceDescription{}, false); }

Device::Device(DeviceDescription description, bool present)
    : description_(std::move(description)),
      present_(present),
      last_error_status_(present ? kStatusNone : kStatusNoDevice),
      lamp_on_(description_.lamp_on) {
  std::stable_sort(
      description_.presses.begin(), description_.presses.end(),
      [](const ScriptedPress& a, const ScriptedPress& b) { return a.after_polls < b.after_polls; });
}

bool Device::Enter(ToolkitEntry entry) {
  if (const uint32_t delay_ms = description_.delays_ms[static_cast<size_t>(entry)]) Sleep(delay_ms);
  const uint32_t call = ++calls_[static_cast<size_t>(entry)];
  if (!present_ && !AnswersWithoutDevice(entry)) {
    Fail(kStatusNoDevice);
    return false;
  }
  for (const ScriptedFault& fault : description_.faults) {
    if (fault.entry != entry || fault.has_after_bytes) continue;
    if (call >= fault.from && (fault.times == 0 || call - fault.from < fault.times)) {
      Fail(fault.status);
      return false;
    }
  }
  return true;
}

bool Device::EnterWhenReady(ToolkitEntry entry) {
  if (!Enter(entry)) return false;
  if (!ready_) {
    Fail(kStatusOutOfSequence);
    return false;
  }
  return true;
}

int32_t Device::Fail(uint8_t status) {
  last_error_status_ = status;
  return 0;
}

int32_t Device::SuccessValue(ToolkitEntry entry) const {
  if (const int32_t scripted = description_.results[static_cast<size_t>(entry)]) return scripted;
  return 1;
}

int32_t Device::Answer(ToolkitEntry entry) { return Enter(entry) ? SuccessValue(entry) : 0; }

int32_t Device::AnswerWhenReady(ToolkitEntry entry) {
  return EnterWhenReady(entry) ? SuccessValue(entry) : 0;
}

int32_t Device::InitializeScanner() {
  if (!Enter(ToolkitEntry::InitializeScanner)) return 0;
  ready_ = true;
  return SuccessValue(ToolkitEntry::InitializeScanner);
}

int32_t Device::ResetScanner(uint8_t* scratch) {
  if (!EnterWhenReady(ToolkitEntry::ResetScanner)) return 0;
  if (!scratch) return Fail(kStatusInvalidArgument);
  std::memset(scratch, 0, kResetScratchBytes);
  scan_.reset();
  return SuccessValue(ToolkitEntry::ResetScanner);
}

int32_t Device::SetPrintPortMode(uint8_t /*mode*/) {
  // A USB scanner has no printer port to configure.
  return Answer(ToolkitEntry::SetPrintPortMode);
}

int32_t Device::GetScannerAbility(TOOLKIT_ABILITY* ability) {
  if (!Enter(ToolkitEntry::GetScannerAbility)) return 0;
  if (!ability) return Fail(kStatusInvalidArgument);
  const TOOLKIT_ABILITY record = AbilityRecord(description_);
  std::memcpy(ability, &record, kLegacyAbilityBytes);
  return SuccessValue(ToolkitEntry::GetScannerAbility);
}

int32_t Device::GetScannerAbilityEx(TOOLKIT_ABILITY* ability) {
  if (!Enter(ToolkitEntry::GetScannerAbilityEx)) return 0;
  if (!ability) return Fail(kStatusInvalidArgument);
  *ability = AbilityRecord(description_);
  return SuccessValue(ToolkitEntry::GetScannerAbilityEx);
}

int32_t Device::GetScannerStatus(uint8_t* status1, uint8_t* status2, uint8_t* status3,
                                 uint8_t* error_status) {
  if (!Enter(ToolkitEntry::GetScannerStatus)) return 0;
  if (!status1 || !status2 || !status3 || !error_status) return Fail(kStatusInvalidArgument);
  *status1 = static_cast<uint8_t>((lamp_on_ ? 0x1 : 0) | (scan_ ? 0x2 : 0) | (ready_ ? 0x4 : 0));
  *status2 = latched_ ? latched_button_ : 0;
  *status3 = 0;
  *error_status = last_error_status_;
  return SuccessValue(ToolkitEntry::GetScannerStatus);
}

int32_t Device::GetScannerStatusEx(uint8_t* status) {
  if (!Enter(ToolkitEntry::GetScannerStatusEx)) return 0;
  if (!status) return Fail(kStatusInvalidArgument);
  std::memset(status, 0, kStatusExBytes);
  status[0] = static_cast<uint8_t>((lamp_on_ ? 0x1 : 0) | (scan_ ? 0x2 : 0) | (ready_ ? 0x4 : 0));
  status[1] = latched_ ? latched_button_ : 0;
  status[3] = last_error_status_;
  return SuccessValue(ToolkitEntry::GetScannerStatusEx);
}

ScanLimits Device::LimitsFor(uint8_t scan_method) const {
  const DeviceDescription& d = description_;
  ScanLimits limits{0,
                    0,
                    d.max_x_resolution,
                    d.max_y_resolution,
                    d.max_grey_x_resolution,
                    d.max_grey_y_resolution};
  switch (scan_method) {
    case 0:
      limits.area_width = d.flatbed_width;
      limits.area_length = d.flatbed_length;
      break;
    case 1:
      limits.area_width = d.adf_width;
      limits.area_length = d.adf_length;
      break;
    case 2:
      limits.area_width = d.xpa_width;
      limits.area_length = d.xpa_length;
      break;
    default:
      break;
  }
  return limits;
}

int32_t Device::SetScanParameter(const TOOLKIT_SCAN_PARAMETER* parameter) {
  if (!EnterWhenReady(ToolkitEntry::SetScanParameter)) return 0;
  if (!parameter) return Fail(kStatusInvalidArgument);
  if (scan_) return Fail(kStatusOutOfSequence);
  // A refused record leaves no parameters behind, so a later StartScan
  // cannot scan with stale ones.
  layout_.reset();
  ScanLayout layout;
  if (const uint8_t status =
          LayoutFromRecord(*parameter, LimitsFor(parameter->ScanMethod), &layout)) {
    return Fail(status);
  }
  layout_ = layout;
  return SuccessValue(ToolkitEntry::SetScanParameter);
}

int32_t Device::SetGammaTable(const uint8_t* table, uint8_t channel, uint16_t entries) {
  if (!EnterWhenReady(ToolkitEntry::SetGammaTable)) return 0;
  if (!table || channel < 1 || channel > 3 || entries != 256) {
    return Fail(kStatusInvalidArgument);
  }
  if (scan_) return Fail(kStatusOutOfSequence);
  std::array<uint8_t, 256>& target =
      channel == 1 ? gamma_.red : (channel == 2 ? gamma_.green : gamma_.blue);
  std::memcpy(target.data(), table, target.size());
  return SuccessValue(ToolkitEntry::SetGammaTable);
}

int32_t Device::StartScan() {
  if (!EnterWhenReady(ToolkitEntry::StartScan)) return 0;
  if (scan_ || !layout_) return Fail(kStatusOutOfSequence);
  if (!lamp_on_) return Fail(kStatusLampOff);
  scan_.emplace(Scan{ImageGenerator(*layout_, gamma_, description_.image)});
  return SuccessValue(ToolkitEntry::StartScan);
}

int32_t Device::ReadScan(uint8_t* status, uint8_t* buffer, uint32_t bytes) {
  if (!EnterWhenReady(ToolkitEntry::ReadScan)) return 0;
  if (!status || (!buffer && bytes != 0)) return Fail(kStatusInvalidArgument);
  if (!scan_) return Fail(kStatusOutOfSequence);
  if (scan_->failed_status) return Fail(scan_->failed_status);

  const uint64_t begin = scan_->position;
  const uint64_t end = begin + bytes;
  const uint64_t image_bytes = scan_->image.layout().image_bytes;
  // The scripted fault of the read that reaches its byte, if any.
  const ScriptedFault* fault = nullptr;
  for (const ScriptedFault& candidate : description_.faults) {
    if (candidate.entry == ToolkitEntry::ReadScan && candidate.has_after_bytes &&
        candidate.after_bytes >= begin && candidate.after_bytes < std::min(end, image_bytes)) {
      fault = &candidate;
      break;
    }
  }
  const bool fails_midway = fault && !fault->leaves_status_byte;

  // Whatever can be delivered is delivered, so a failed read leaves the
  // caller the bytes up to the point of failure.
  uint64_t delivered_end = std::min(end, image_bytes);
  if (fails_midway) delivered_end = fault->after_bytes;
  scan_->image.Generate(begin, buffer, static_cast<size_t>(delivered_end - begin));
  scan_->position = delivered_end;
  PaceTransfer(delivered_end - begin);

  if (fails_midway) {
    scan_->failed_status = fault->status;
    return Fail(fault->status);
  }
  if (end > image_bytes) return Fail(kStatusPastEndOfImage);
  *status = 0;
  if (fault) {
    *status = fault->status_byte;
    last_error_status_ = fault->status;
  }
  return SuccessValue(ToolkitEntry::ReadScan);
}

void Device::PaceTransfer(uint64_t bytes) {
  const uint32_t rate = description_.bus_rate_mb_per_s;
  if (rate == 0 || bytes == 0) return;
  // The bus carries bytes only while the host reads: a host that falls
  // behind gets at most this much of the idle time back, as from a scanner's
  // small line buffer. The same allowance absorbs Sleep's rounding up to
  // whole milliseconds, so the rate holds on average.
  constexpr double kBankedSeconds = 0.002;
  const double now = SecondsNow();
  scan_->bus_free_at = std::max(scan_->bus_free_at, now - kBankedSeconds) +
                       static_cast<double>(bytes) / (rate * 1e6);
  const double wait = scan_->bus_free_at - now;
  if (wait > 0) Sleep(static_cast<DWORD>(std::ceil(wait * 1000.0)));
}

int32_t Device::StopScan() {
  if (!EnterWhenReady(ToolkitEntry::StopScan)) return 0;
  scan_.reset();
  return SuccessValue(ToolkitEntry::StopScan);
}

int32_t Device::GetEOPStatus(uint8_t* end_of_page) {
  if (!EnterWhenReady(ToolkitEntry::GetEOPStatus)) return 0;
  if (!end_of_page) return Fail(kStatusInvalidArgument);
  *end_of_page = !scan_ || scan_->position >= scan_->image.layout().image_bytes;
  return SuccessValue(ToolkitEntry::GetEOPStatus);
}

int32_t Device::GetEOPStatusEx(uint8_t* end_of_page, uint32_t* bytes_left) {
  if (!EnterWhenReady(ToolkitEntry::GetEOPStatusEx)) return 0;
  if (!end_of_page || !bytes_left) return Fail(kStatusInvalidArgument);
  const uint64_t left = scan_ ? scan_->image.layout().image_bytes - scan_->position : 0;
  *end_of_page = left == 0;
  *bytes_left = static_cast<uint32_t>(std::min<uint64_t>(left, UINT32_MAX));
  return SuccessValue(ToolkitEntry::GetEOPStatusEx);
}

int32_t Device::SetSpeedMode(uint8_t /*mode*/) {
  // The simulation has no motor: every speed delivers the same image.
  return AnswerWhenReady(ToolkitEntry::SetSpeedMode);
}

int32_t Device::LampOn() {
  if (!EnterWhenReady(ToolkitEntry::LampOn)) return 0;
  lamp_on_ = true;
  return SuccessValue(ToolkitEntry::LampOn);
}

int32_t Device::LampOff() {
  if (!EnterWhenReady(ToolkitEntry::LampOff)) return 0;
  lamp_on_ = false;
  return SuccessValue(ToolkitEntry::LampOff);
}

int32_t Device::GetLightStatus(uint8_t* lamp_on) {
  if (!EnterWhenReady(ToolkitEntry::GetLightStatus)) return 0;
  if (!lamp_on) return Fail(kStatusInvalidArgument);
  *lamp_on = lamp_on_ ? 1 : 0;
  return SuccessValue(ToolkitEntry::GetLightStatus);
}

int32_t Device::FlatbedTransLightSwitch(uint8_t on) {
  if (!EnterWhenReady(ToolkitEntry::FlatbedTransLightSwitch)) return 0;
  // Only a fitted transparency adapter has a light to switch.
  if (description_.xpa_width == 0) return Fail(kStatusInvalidArgument);
  transparency_light_on_ = on != 0;
  return SuccessValue(ToolkitEntry::FlatbedTransLightSwitch);
}

int32_t Device::InitialButton(TOOLKIT_BUTTON_INFO* info) {
  if (!Enter(ToolkitEntry::InitialButton)) return 0;
  if (!info) return Fail(kStatusInvalidArgument);
  std::memset(info, 0, sizeof(*info));
  info->ButtonCount = description_.button_count;
  return SuccessValue(ToolkitEntry::InitialButton);
}

void Device::LatchDuePress() {
  if (latched_ || next_press_ >= description_.presses.size()) return;
  const ScriptedPress& press = description_.presses[next_press_];
  if (press.after_polls >= polls_) return;
  latched_ = true;
  latched_button_ = press.button;
  ++next_press_;
}

int32_t Device::ReadPushButton(TOOLKIT_BUTTON_EVENT* event) {
  if (!EnterWhenReady(ToolkitEntry::ReadPushButton)) return 0;
  if (!event) return Fail(kStatusInvalidArgument);
  ++polls_;
  LatchDuePress();
  event->Flags = latched_ ? kButtonPressLatched : 0;
  event->Number = latched_ ? latched_button_ : 0;
  return SuccessValue(ToolkitEntry::ReadPushButton);
}

int32_t Device::CheckPushButton(uint8_t* pressed) {
  if (!EnterWhenReady(ToolkitEntry::CheckPushButton)) return 0;
  if (!pressed) return Fail(kStatusInvalidArgument);
  *pressed = latched_ ? 1 : 0;
  return SuccessValue(ToolkitEntry::CheckPushButton);
}

int32_t Device::ResetPushButton() {
  if (!EnterWhenReady(ToolkitEntry::ResetPushButton)) return 0;
  latched_ = false;
  latched_button_ = 0;
  return SuccessValue(ToolkitEntry::ResetPushButton);
}

}  // namespace zorvik::sim
