// Fuzzes what the component makes of the toolkit's answers: the capability
// record built from an arbitrary ability record, the ability and capability
// dumps, the model name read from the ability record, the driver error code
// of an error status and the name of any error code. It checks properties
// that hold for every input (no fault, every byte written, values carried
// through); the tables themselves are stated once, in the unit tests. Input: a
// TOOLKIT_ABILITY, a SCANNER_CAPABILITIES, an error status byte and an error
// code.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <sstream>
#include <string>

#include "capabilities.h"
#include "driver_error.h"
#include "fuzz_input.h"
#include "record_dumps.h"
#include "scan_parameter_translation.h"
#include "toolkit_status_map.h"

using namespace zorvik;

namespace {

// The capability record made from `ability` over a record holding `fill`
// in every byte, so that a byte the filling leaves alone shows.
SCANNER_CAPABILITIES CapabilitiesOver(const TOOLKIT_ABILITY& ability, uint8_t fill) {
  SCANNER_CAPABILITIES caps;
  std::memset(&caps, fill, sizeof caps);
  FillScannerCapabilities(ability, caps);
  return caps;
}

// The ability record with only the five values the capability record takes
// from it; every other byte zero.
TOOLKIT_ABILITY LimitsOnly(const TOOLKIT_ABILITY& ability) {
  TOOLKIT_ABILITY limits;
  std::memset(&limits, 0, sizeof limits);
  limits.OpticalRes = ability.OpticalRes;
  limits.MaxColorXRes = ability.MaxColorXRes;
  limits.MaxColorYRes = ability.MaxColorYRes;
  limits.FlatbedMaxWidth = ability.FlatbedMaxWidth;
  limits.FlatbedMaxLength = ability.FlatbedMaxLength;
  return limits;
}

// A fixed-size text field up to its first zero byte.
template <size_t N>
std::string FieldText(const char (&field)[N]) {
  return std::string(field, std::find(field, field + N, '\0'));
}

std::string BitDepthList(const BYTE (&depths)[8]) {
  std::string list;
  for (BYTE depth : depths) {
    if (depth == 0) break;
    list += std::to_string(depth) + ", ";
  }
  return list;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::FuzzInput input(data, size);
  const TOOLKIT_ABILITY ability = input.Take<TOOLKIT_ABILITY>();
  const SCANNER_CAPABILITIES host_caps = input.Take<SCANNER_CAPABILITIES>();
  const uint8_t status = input.Take<uint8_t>();
  const uint32_t code = input.Take<uint32_t>();

  // Every byte is written, the five limits are carried over as the ability
  // record gives them, and nothing else of the ability record matters. The
  // constants themselves are the unit tests' to state.
  const SCANNER_CAPABILITIES caps = CapabilitiesOver(ability, 0xA5);
  const SCANNER_CAPABILITIES over_other_fill = CapabilitiesOver(ability, 0x5A);
  fuzz::Require(std::memcmp(&caps, &over_other_fill, sizeof caps) == 0,
                "capability record writes every byte");
  fuzz::Require(caps.wOpticalResolution == ability.OpticalRes &&
                    caps.wMaximumXResolution == ability.MaxColorXRes &&
                    caps.wMaximumYResolution == ability.MaxColorYRes &&
                    caps.dwMaximumWidth == ability.FlatbedMaxWidth &&
                    caps.dwMaximumHeight == ability.FlatbedMaxLength,
                "capability record carries the ability's limits");
  const SCANNER_CAPABILITIES from_limits = CapabilitiesOver(LimitsOnly(ability), 0xA5);
  fuzz::Require(std::memcmp(&caps, &from_limits, sizeof caps) == 0,
                "capability record depends on the five limits alone");

  const std::string_view model = ToolkitModelName(ability);
  fuzz::Require(model == FieldText(ability.ModelName), "model name", std::string(model));

  std::ostringstream ability_dump;
  DumpToolkitAbility(ability_dump, ability);
  const std::string ability_text = ability_dump.str();
  fuzz::Require(!ability_text.empty() && ability_text.back() == '\0', "ability dump ends");
  fuzz::Require(
      ability_text.find("\nModel Name=" + FieldText(ability.ModelName) + "\n") != std::string::npos,
      "ability dump model name");
  fuzz::Require(ability_text.find("\nVendor Name=" + FieldText(ability.VendorName) + "\n") !=
                    std::string::npos,
                "ability dump vendor name");
  fuzz::Require(ability_text.find("\nFlatbed Max Width=" + std::to_string(ability.FlatbedMaxWidth) +
                                  "\n") != std::string::npos,
                "ability dump flatbed width in decimal");
  fuzz::Require(ability_text.find("\nColor Pixel Bound=" + std::to_string(ability.ColorPixelBound) +
                                  "\n") != std::string::npos,
                "ability dump colour pixel bound");

  for (const SCANNER_CAPABILITIES* record :
       {static_cast<const SCANNER_CAPABILITIES*>(&caps), &host_caps}) {
    std::ostringstream caps_dump;
    DumpScannerCapabilities(caps_dump, *record);
    const std::string text = caps_dump.str();
    const std::string model_number(
        reinterpret_cast<const char*>(record->byModelNumber),
        std::find(record->byModelNumber, record->byModelNumber + 16, 0) - record->byModelNumber);
    fuzz::Require(!text.empty() && text.back() == '\0', "capabilities dump ends");
    fuzz::Require(text.find("\nModelNumber = " + model_number + "\n") != std::string::npos,
                  "capabilities dump model number");
    fuzz::Require(
        text.find("\nSupported Color Bits per pixel = " +
                  BitDepthList(record->byColorBitsPerChannel) + "\n") != std::string::npos,
        "capabilities dump colour depths");
    const std::string grey_line =
        "\nSupported Grey Bits per pixel = " + BitDepthList(record->byGreyBitsPerChannel);
    fuzz::Require(text.size() > grey_line.size() && text.compare(text.size() - 1 - grey_line.size(),
                                                                 grey_line.size(), grey_line) == 0,
                  "capabilities dump ends with the grey depths and no newline");
  }

  // Which status gives which code is the unit tests' to state; any status
  // gives an assigned code with a name.
  const DriverError mapped = DriverErrorFromToolkitStatus(status);
  fuzz::Require(std::string(DriverErrorName(mapped)) != "no definition", "status map",
                std::to_string(status));
  const bool assigned = code <= 16 || (code >= 100 && code <= 102);
  const char* name = DriverErrorName(code);
  fuzz::Require(name != nullptr && name[0] != '\0', "error name present");
  fuzz::Require((std::string(name) == "no definition") == !assigned, "error name",
                std::to_string(code));
  return 0;
}
