// How each field of the toolkit's scan-parameter record follows from the
// host's scan parameters and the toolkit model.
#include "scan_parameter_translation.h"

#include <cstring>
#include <optional>

#include "scan_codes.h"
#include "scan_geometry.h"

namespace zorvik {
namespace {

// This toolkit model scans at its other speed and takes its own extended
// parameter codes.
constexpr std::string_view kVistrel6610X = "Vistrel 6610X";

// Scan Mode codes of the toolkit record.
constexpr uint8_t kToolkitModeColor = 4;
constexpr uint8_t kToolkitModeGreyscale = 2;
constexpr uint8_t kToolkitModeBw = 0;
// The toolkit knows one transparency-adapter method for positives and
// negatives alike.
constexpr uint8_t kToolkitMethodXpa = 2;

void WriteScanArea(const SCANNER_PARAMETERS& params, TOOLKIT_SCAN_PARAMETER& record) {
  const ToolkitScanArea area = ToolkitScanAreaOf(params);
  record.PixelLeft = area.left;
  record.PixelTop = area.top;
  record.PixelWidth = area.width;
  record.PixelLength = area.length;
}

// Only called once the geometry has accepted the scan mode.
void WritePixelFormat(const SCANNER_PARAMETERS& params, TOOLKIT_SCAN_PARAMETER& record) {
  const uint8_t bits = params.byBitsPerChannel;
  switch (params.dwScanMode) {
    case kScanModeColor:
      record.ScanMode = kToolkitModeColor;
      record.Invert = 0;
      // Three channels; the field keeps the low 8 bits of the product.
      record.BitsPerPixel = static_cast<uint8_t>(3 * bits);
      break;
    case kScanModeGreyscale:
      record.ScanMode = kToolkitModeGreyscale;
      record.Invert = 0;
      record.BitsPerPixel = bits;
      break;
    case kScanModeBw:
      record.ScanMode = kToolkitModeBw;
      record.Invert = 1;
      record.BitsPerPixel = bits;
      break;
  }
}

std::optional<uint8_t> ToolkitScanMethod(uint16_t scanMethod) {
  switch (scanMethod) {
    case kScanMethodFlatbed:
    case kScanMethodAdf:
      return static_cast<uint8_t>(scanMethod);
    case kScanMethodXpaPositive:
    case kScanMethodXpaNegative:
      return kToolkitMethodXpa;
    default:
      return std::nullopt;
  }
}

void WriteModelSettings(uint8_t bitsPerChannel, std::string_view toolkitModelName,
                        TOOLKIT_SCAN_PARAMETER& record) {
  const bool vistrel = toolkitModelName == kVistrel6610X;
  record.ScanSpeed = vistrel ? 1 : 0;
  if (bitsPerChannel <= 8) {
    record.ExtendedScanParameter = vistrel ? 0x9000 : 0x9800;
  } else if (bitsPerChannel == 16) {
    record.ExtendedScanParameter = vistrel ? 0xB000 : 0xB800;
  }
  // Other depths have no code of their own: the previous call's stays.
}

void WriteFixedSettings(const SCANNER_PARAMETERS& params, TOOLKIT_SCAN_PARAMETER& record) {
  record.RedExposure = 0;
  record.GreenExposure = 0;
  record.BlueExposure = 0;
  record.XRes = params.wXResolution;
  record.YRes = params.wYResolution;
  record.Reserved36 = 0;
  record.Contrast = 0;
  record.Brightness = 0;
  record.HTPatternNo = 1;
  record.Highlight = 255;
  record.Shadow = 0;
  record.ColorFilter = 0;
  record.ReadStatus = 0;
}

}  // namespace

std::string_view ToolkitModelName(const TOOLKIT_ABILITY& ability) {
  const char* name = ability.ModelName;
  const void* end = std::memchr(name, '\0', sizeof ability.ModelName);
  return {name, end ? static_cast<size_t>(static_cast<const char*>(end) - name)
                    : sizeof ability.ModelName};
}

DriverError TranslateScanParameters(const SCANNER_PARAMETERS& params,
                                    std::string_view toolkitModelName,
                                    TOOLKIT_SCAN_PARAMETER& record) {
  WriteScanArea(params, record);

  BUFFER_INFO geometry{};
  if (const DriverError error = ComputeScanGeometry(params, geometry); error != kErrNoError) {
    return error;
  }
  // The counts the host sized its buffers by; the geometry keeps them 16-bit.
  record.PixelNum = static_cast<uint16_t>(geometry.dwPixelWidth);
  record.LineNum = static_cast<uint16_t>(geometry.dwPixelHeight);
  WritePixelFormat(params, record);

  const std::optional<uint8_t> scanMethod = ToolkitScanMethod(params.wScanMethod);
  if (!scanMethod) return kErrInvalidParameter;
  record.ScanMethod = *scanMethod;

  WriteModelSettings(params.byBitsPerChannel, toolkitModelName, record);
  WriteFixedSettings(params, record);
  return kErrNoError;
}

}  // namespace zorvik
