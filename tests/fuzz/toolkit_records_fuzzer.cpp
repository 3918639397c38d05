// Fuzzes what the component makes of the toolkit's answers: the capability
// record built from an arbitrary ability record, the ability and capability
// dumps, the model name read from the ability record, the driver error code
// of an error status and the name of any error code. Input: a
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

// The capability record every session reports: the model's constants and
// five limits of the ability record, every other byte zero.
SCANNER_CAPABILITIES ExpectedCapabilities(const TOOLKIT_ABILITY& ability) {
  SCANNER_CAPABILITIES c;
  std::memset(&c, 0, sizeof c);
  std::memcpy(c.byModelNumber, "7310", 5);
  c.wLampWarmupTime = 30;
  c.wOpticalResolution = ability.OpticalRes;
  c.wMaximumXResolution = ability.MaxColorXRes;
  c.wMaximumYResolution = ability.MaxColorYRes;
  c.wMinimumResolution = 75;
  c.dwMaximumWidth = ability.FlatbedMaxWidth;
  c.dwMinimumWidth = 10;
  c.dwMaximumHeight = ability.FlatbedMaxLength;
  c.dwMinimumHeight = 20;
  c.wRawPixelOrder = 2;
  c.wPixelPacking = 1;
  c.dwScanModesSupported = 3;
  c.dwScanOptionsSupported = 2;
  c.wGreyChannelsSupported = 7;
  c.wGammaTableSize = 256;
  c.byColorBitsPerChannel[0] = c.byGreyBitsPerChannel[0] = 8;
  c.byColorBitsPerChannel[1] = c.byGreyBitsPerChannel[1] = 16;
  return c;
}

uint32_t ExpectedDriverError(uint8_t status) {
  switch (status) {
    case 0:
      return 0;
    case 1:
    case 2:
      return 3;
    case 3:
    case 8:
    case 123:
    case 150:
    case 152:
    case 154:
    case 155:
    case 156:
    case 157:
    case 158:
    case 159:
    case 163:
    case 164:
    case 174:
      return 12;
    case 7:
      return 7;
    case 176:
    case 177:
    case 179:
      return 11;
    case 178:
      return 6;
    default:
      return 2;
  }
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

  SCANNER_CAPABILITIES caps;
  std::memset(&caps, 0xA5, sizeof caps);
  FillScannerCapabilities(ability, caps);
  const SCANNER_CAPABILITIES expected = ExpectedCapabilities(ability);
  fuzz::Require(std::memcmp(&caps, &expected, sizeof caps) == 0, "capability record");

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

  fuzz::Require(DriverErrorFromToolkitStatus(status) == ExpectedDriverError(status), "status map",
                std::to_string(status));
  const bool assigned = code <= 16 || (code >= 100 && code <= 102);
  const char* name = DriverErrorName(code);
  fuzz::Require(name != nullptr && name[0] != '\0', "error name present");
  fuzz::Require((std::string(name) == "no definition") == !assigned, "error name",
                std::to_string(code));
  return 0;
}
