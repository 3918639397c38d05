// Translation of the command line's scan request into the scanner's units and
// records, and the check against the scanner's reported limits.
#include "scan_request.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "length_units.h"
#include "scan_codes.h"

namespace zorvik::host {
namespace {

// The toolkit's pixel and line counts are 16-bit.
constexpr uint64_t kMaxPixelsPerScan = 0xFFFF;

// A length in the user's unit, with the unit's name.
std::wstring Shown(double value, LengthUnit unit) {
  return DecimalText(value) + L" " + LengthUnitName(unit);
}

// A length in 1/300 inch in the user's unit.
std::wstring InUserUnit(uint64_t length300ths, LengthUnit unit) {
  return Shown(From300ths(length300ths, unit), unit);
}

// What the user gave, else the length it was taken as.
std::wstring AsGiven(const std::optional<double>& given, uint64_t length300ths, LengthUnit unit) {
  return given ? Shown(*given, unit) : InUserUnit(length300ths, unit);
}

uint64_t PixelsAcross(uint32_t length300ths, uint16_t resolution) {
  return (static_cast<uint64_t>(length300ths) * resolution + 299) / 300;
}

std::wstring CheckResolution(const wchar_t* direction, uint16_t resolution, uint16_t low,
                             uint16_t high) {
  if (resolution >= low && resolution <= high) return L"";
  return std::wstring(L"the resolution ") + direction + L" (" + std::to_wstring(resolution) +
         L" dpi) is out of range for this scanner (" + std::to_wstring(low) + L" to " +
         std::to_wstring(high) + L" dpi)";
}

// One direction of the area: across (-l, -x) or down (-t, -y).
struct Extent {
  const wchar_t* start_option;
  const wchar_t* size_option;
  const wchar_t* size_word;  // "wide", "long"
  const wchar_t* dimension;  // "width", "height"
  std::optional<double> start_given;
  std::optional<double> size_given;
  uint32_t start;
  uint32_t size;
  uint32_t flatbed;
  uint32_t minimum;
  uint16_t resolution;
};

std::wstring CheckExtent(const Extent& extent, LengthUnit unit) {
  const std::wstring flatbed =
      L"the flatbed is " + InUserUnit(extent.flatbed, unit) + L" " + extent.size_word;
  if (extent.start >= extent.flatbed) {
    return std::wstring(extent.start_option) + L" " +
           AsGiven(extent.start_given, extent.start, unit) + L" lies outside the flatbed: " +
           flatbed;
  }
  if (static_cast<uint64_t>(extent.start) + extent.size > extent.flatbed) {
    const double start = extent.start_given.value_or(0.0);
    return std::wstring(L"the area runs past the flatbed: ") + extent.start_option + L" " +
           Shown(start, unit) + L" plus " + extent.size_option + L" " +
           AsGiven(extent.size_given, extent.size, unit) + L" ends at " +
           Shown(start + extent.size_given.value_or(0.0), unit) + L", but " + flatbed;
  }
  if (extent.size < extent.minimum || extent.size == 0) {
    return std::wstring(L"the area's ") + extent.dimension + L" (" +
           AsGiven(extent.size_given, extent.size, unit) + L") is below this scanner's smallest " +
           extent.dimension + L" (" + InUserUnit(std::max<uint32_t>(extent.minimum, 1), unit) +
           L")";
  }
  const uint64_t pixels = PixelsAcross(extent.size, extent.resolution);
  if (pixels > kMaxPixelsPerScan) {
    return std::wstring(L"the area's ") + extent.dimension + L" at " +
           std::to_wstring(extent.resolution) + L" dpi is " + std::to_wstring(pixels) +
           L" pixels; a scan holds at most " + std::to_wstring(kMaxPixelsPerScan);
  }
  return L"";
}

}  // namespace

ScannerLimits ScannerLimitsOf(const SCANNER_CAPABILITIES& capabilities) {
  ScannerLimits limits;
  limits.flatbed_width = capabilities.dwMaximumWidth;
  limits.flatbed_height = capabilities.dwMaximumHeight;
  limits.min_width = capabilities.dwMinimumWidth;
  limits.min_height = capabilities.dwMinimumHeight;
  limits.min_resolution = capabilities.wMinimumResolution;
  limits.max_x_resolution = capabilities.wMaximumXResolution;
  limits.max_y_resolution = capabilities.wMaximumYResolution;
  return limits;
}

AreaIn300ths ScanAreaIn300ths(const ScanOptions& options, uint32_t flatbed_width,
                              uint32_t flatbed_height) {
  auto extent = [&](const std::optional<double>& start, const std::optional<double>& size,
                    uint32_t flatbed, uint32_t& near_edge, uint32_t& length) {
    const double near_value = start.value_or(0.0);
    near_edge = To300ths(near_value, options.unit);
    const uint32_t far_edge =
        size ? To300ths(near_value + *size, options.unit) : std::max(flatbed, near_edge);
    length = far_edge - near_edge;
  };
  AreaIn300ths area;
  extent(options.left, options.width, flatbed_width, area.left, area.width);
  extent(options.top, options.height, flatbed_height, area.top, area.height);
  return area;
}

uint32_t RequestedPixelWidth(const ScanOptions& options, const ScannerLimits& limits) {
  const AreaIn300ths area = ScanAreaIn300ths(options, limits.flatbed_width, limits.flatbed_height);
  return static_cast<uint32_t>(
      std::min<uint64_t>(PixelsAcross(area.width, options.x_resolution), kMaxPixelsPerScan));
}

std::wstring CheckAgainstScanner(const ScanOptions& options, const ScannerLimits& limits) {
  std::wstring problem = CheckResolution(L"across", options.x_resolution, limits.min_resolution,
                                         limits.max_x_resolution);
  if (problem.empty()) {
    problem = CheckResolution(L"down", options.y_resolution, limits.min_resolution,
                              limits.max_y_resolution);
  }
  const AreaIn300ths area = ScanAreaIn300ths(options, limits.flatbed_width, limits.flatbed_height);
  if (problem.empty()) {
    problem =
        CheckExtent({L"-l", L"-x", L"wide", L"width", options.left, options.width, area.left,
                     area.width, limits.flatbed_width, limits.min_width, options.x_resolution},
                    options.unit);
  }
  if (problem.empty()) {
    problem =
        CheckExtent({L"-t", L"-y", L"long", L"height", options.top, options.height, area.top,
                     area.height, limits.flatbed_height, limits.min_height, options.y_resolution},
                    options.unit);
  }
  return problem;
}

SCANNER_PARAMETERS ToScannerParameters(const ScanOptions& options, const ScannerLimits& limits) {
  SCANNER_PARAMETERS parameters;
  std::memset(&parameters, 0, sizeof parameters);
  const AreaIn300ths area = ScanAreaIn300ths(options, limits.flatbed_width, limits.flatbed_height);
  parameters.dwLeft = area.left;
  parameters.dwTop = area.top;
  parameters.dwWidth = area.width;
  parameters.dwLength = area.height;
  switch (options.mode) {
    case ScanMode::kColor:
      parameters.dwScanMode = kScanModeColor;
      break;
    case ScanMode::kGray:
      parameters.dwScanMode = kScanModeGreyscale;
      parameters.wGreyChannel = kGreyChannelGreen;
      break;
    case ScanMode::kLineart:
      parameters.dwScanMode = kScanModeBw;
      parameters.wGreyChannel = kGreyChannelGreen;
      break;
  }
  parameters.dwScanOptions = 0;
  parameters.byBitsPerChannel = options.depth;
  parameters.wXResolution = options.x_resolution;
  parameters.wYResolution = options.y_resolution;
  parameters.wScanMethod = kScanMethodFlatbed;
  return parameters;
}

GammaTable MakeGammaTable(double gamma) {
  GammaTable table{};
  for (size_t i = 0; i < table.size(); ++i) {
    const double level = std::pow(static_cast<double>(i) / 255.0, 1.0 / gamma);
    table[i] = static_cast<uint8_t>(std::lround(std::clamp(level, 0.0, 1.0) * 255.0));
  }
  return table;
}

}  // namespace zorvik::host
