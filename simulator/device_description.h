// The description of one simulated scanner: what it reports about itself,
// what lies on its glass, and the faults and button presses scripted for it.
// Read from the device file as text (see docs/simulator.md for the format);
// every default describes a Vistrel 7310.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "image_generator.h"
#include "toolkit_entry_points.h"
#include "toolkit_records.h"

namespace zorvik::sim {

// An entry point that fails with `status` on its calls number `from` to
// `from + times - 1` (counted from 1; times 0: from `from` on). For ReadScan
// a fault may instead trigger on the read that reaches image byte
// `after_bytes` of every scan.
struct ScriptedFault {
  ToolkitEntry entry;
  uint8_t status = 0;
  uint32_t from = 1;
  uint32_t times = 0;
  bool has_after_bytes = false;
  uint64_t after_bytes = 0;
  // With after_bytes: the read succeeds but leaves this value in its status
  // byte instead of failing.
  bool leaves_status_byte = false;
  uint8_t status_byte = 0;
};

// A press of `button`, latched by the first ReadPushButton poll after
// `after_polls` polls.
struct ScriptedPress {
  uint8_t button;
  uint32_t after_polls;
};

struct DeviceDescription {
  std::string vendor = "Quennell";
  std::string model = "Vistrel 7310";
  std::string firmware = "1.07";
  std::string port_type = "USB";
  std::string port_address = "USB001";
  // Areas in 1/300 inch; 0 when not fitted.
  uint16_t flatbed_width = 2550;   // 8.5 inch
  uint16_t flatbed_length = 3510;  // 11.7 inch
  uint16_t adf_width = 0;
  uint16_t adf_length = 0;
  uint16_t xpa_width = 0;
  uint16_t xpa_length = 0;
  uint16_t optical_resolution = 1200;
  uint16_t max_x_resolution = 1200;
  uint16_t max_y_resolution = 2400;
  uint16_t max_grey_x_resolution = 1200;
  uint16_t max_grey_y_resolution = 2400;
  uint8_t color_pixel_bound = 1;
  uint8_t gray_pixel_bound = 1;
  uint8_t lineart_pixel_bound = 8;
  uint16_t button_count = 4;
  bool lamp_on = true;
  ImageSource image;
  std::vector<ScriptedFault> faults;
  std::vector<ScriptedPress> presses;
  // The value an entry point returns when it succeeds; 0 means the usual 1.
  std::array<int32_t, kToolkitEntryPointCount> results{};
  // How long each call of an entry point takes, in ms (a slow device).
  std::array<uint32_t, kToolkitEntryPointCount> delays_ms{};
  // The rate at which ReadScan delivers image bytes, in MB/s (10^6 bytes
  // per second), as a scanner on a bus of that speed would; 0: at once.
  uint32_t bus_rate_mb_per_s = 0;
};

struct ParsedDescription {
  DeviceDescription description;
  // One line per setting that was not understood, e.g.
  // "line 4: unknown setting 'colour'"; such settings are left out.
  std::vector<std::string> problems;
};

ParsedDescription ParseDeviceDescription(std::string_view text);

// The ability record the device reports through GetScannerAbilityEx.
TOOLKIT_ABILITY AbilityRecord(const DeviceDescription& description);

}  // namespace zorvik::sim
