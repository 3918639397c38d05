// Capability, lamp and button text of zorvik_scan.
#include "scanner_text.h"

#include "console_text.h"
#include "length_units.h"
#include "scan_codes.h"

namespace zorvik::host {
namespace {

// The millimetres are rounded as every other length the program shows, so
// the smallest area printed here is the one the area check accepts.
std::string Length(uint32_t length300ths) {
  return std::to_string(length300ths) + "/300 in (" +
         ToUtf8(DecimalText(From300ths(length300ths, LengthUnit::kMillimetre))) + " mm)";
}

std::string Depths(const BYTE (&bits)[8]) {
  std::string text;
  for (BYTE depth : bits) {
    if (depth == 0) continue;
    if (!text.empty()) text += ", ";
    text += std::to_string(depth);
  }
  return text.empty() ? "none" : text;
}

// The scanner's record lists colour and grey only, yet the component takes
// black and white whatever the record says, so Lineart is always offered.
std::string Modes(uint32_t modes) {
  std::string text;
  auto add = [&text](const char* name) { text += text.empty() ? name : std::string(", ") + name; };
  if (modes & kScanModeColor) add("Color");
  if (modes & kScanModeGreyscale) add("Gray");
  add("Lineart");
  return text;
}

}  // namespace

std::string FormatCapabilities(const SCANNER_CAPABILITIES& capabilities) {
  // The model number is a fixed field, not always terminated.
  const char* model = reinterpret_cast<const char*>(capabilities.byModelNumber);
  size_t model_length = 0;
  while (model_length < sizeof capabilities.byModelNumber && model[model_length] != '\0') {
    ++model_length;
  }
  std::string text;
  text += "Model: " + std::string(model, model_length) + "\n";
  text += "Optical resolution: " + std::to_string(capabilities.wOpticalResolution) + " dpi\n";
  text += "Resolutions: " + std::to_string(capabilities.wMinimumResolution) + ".." +
          std::to_string(capabilities.wMaximumXResolution) + " dpi across, " +
          std::to_string(capabilities.wMinimumResolution) + ".." +
          std::to_string(capabilities.wMaximumYResolution) + " dpi down\n";
  text += "Flatbed width: " + Length(capabilities.dwMaximumWidth) + "\n";
  text += "Flatbed height: " + Length(capabilities.dwMaximumHeight) + "\n";
  text += "Smallest area: " + Length(capabilities.dwMinimumWidth) + " x " +
          Length(capabilities.dwMinimumHeight) + "\n";
  text += "Scan modes: " + Modes(capabilities.dwScanModesSupported) + "\n";
  text += "Color bits per channel: " + Depths(capabilities.byColorBitsPerChannel) + "\n";
  text += "Gray bits per channel: " + Depths(capabilities.byGreyBitsPerChannel) + "\n";
  text += "Gamma table size: " + std::to_string(capabilities.wGammaTableSize) + "\n";
  text += "Lamp warm-up time: " + std::to_string(capabilities.wLampWarmupTime) + "\n";
  return text;
}

std::string FormatLampStatus(bool on) { return on ? "Lamp: on\n" : "Lamp: off\n"; }

std::string FormatButtonStates(const std::vector<uint8_t>& states) {
  std::string text;
  for (size_t i = 0; i < states.size(); ++i) {
    text += "Button " + std::to_string(i + 1) + ": " + (states[i] ? "pressed" : "released") + "\n";
  }
  if (states.empty()) text = "The scanner has no buttons\n";
  return text;
}

bool AnyButtonPressed(const std::vector<uint8_t>& states) {
  for (uint8_t state : states) {
    if (state != 0) return true;
  }
  return false;
}

}  // namespace zorvik::host
