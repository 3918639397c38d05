// eSCL names, the resolutions offered and the check of a scan request.
#include "escl_settings.h"

#include <algorithm>

namespace zorvik::host {
namespace {

constexpr uint16_t kResolutionSteps[] = {75, 100, 150, 200, 300, 600, 1200};
constexpr uint16_t kDefaultEsclResolution = 300;

struct ModeName {
  EsclColorMode mode;
  const char* name;
};
constexpr ModeName kModeNames[] = {{EsclColorMode::kRgb24, "RGB24"},
                                   {EsclColorMode::kRgb48, "RGB48"},
                                   {EsclColorMode::kGrayscale8, "Grayscale8"},
                                   {EsclColorMode::kGrayscale16, "Grayscale16"},
                                   {EsclColorMode::kBlackAndWhite1, "BlackAndWhite1"}};

// One direction of the region, checked against the platen.
std::string CheckExtent(const char* name, uint32_t offset, const std::optional<uint32_t>& size,
                        uint32_t platen, uint32_t minimum) {
  if (offset >= platen) {
    return std::string("the region's ") + name + " offset " + std::to_string(offset) +
           " lies outside the platen (" + std::to_string(platen) + " three-hundredths of an inch)";
  }
  const uint64_t length = size ? *size : platen - offset;
  if (offset + length > platen) {
    return std::string("the region runs past the platen's ") + name +
           " edge: " + std::to_string(offset) + " + " + std::to_string(length) + " > " +
           std::to_string(platen) + " three-hundredths of an inch";
  }
  if (length == 0 || length < minimum) {
    return std::string("the region's ") + name + " extent " + std::to_string(length) +
           " is below the scanner's smallest (" + std::to_string(std::max<uint32_t>(minimum, 1)) +
           " three-hundredths of an inch)";
  }
  return "";
}

}  // namespace

const char* EsclColorModeName(EsclColorMode mode) {
  for (const ModeName& entry : kModeNames) {
    if (entry.mode == mode) return entry.name;
  }
  return "RGB24";
}

std::optional<EsclColorMode> EsclColorModeNamed(const std::string& name) {
  for (const ModeName& entry : kModeNames) {
    if (name == entry.name) return entry.mode;
  }
  return std::nullopt;
}

const EsclFormatEntry& EsclFormatOf(EsclFormat format) {
  for (const EsclFormatEntry& entry : kEsclFormats) {
    if (entry.format == format) return entry;
  }
  return kEsclFormats[0];
}

const char* EsclFormatMime(EsclFormat format) { return EsclFormatOf(format).mime; }

std::optional<EsclFormat> EsclFormatOfMime(const std::string& mime) {
  for (const EsclFormatEntry& entry : kEsclFormats) {
    if (mime == entry.mime) return entry.format;
  }
  return std::nullopt;
}

std::vector<EsclFormat> AllEsclFormats() {
  std::vector<EsclFormat> formats;
  for (const EsclFormatEntry& entry : kEsclFormats) formats.push_back(entry.format);
  return formats;
}

std::vector<uint16_t> OfferedResolutions(const ScannerLimits& limits) {
  std::vector<uint16_t> offered;
  const uint16_t highest = std::min(limits.max_x_resolution, limits.max_y_resolution);
  for (uint16_t step : kResolutionSteps) {
    if (step >= limits.min_resolution && step <= highest) offered.push_back(step);
  }
  return offered;
}

std::string CheckScanSettings(const EsclScanSettings& settings, const ScannerLimits& limits) {
  const std::vector<uint16_t> offered = OfferedResolutions(limits);
  for (const auto& [name, resolution] :
       {std::pair{"XResolution", settings.x_resolution}, {"YResolution", settings.y_resolution}}) {
    const uint32_t dpi = resolution.value_or(kDefaultEsclResolution);
    if (std::find(offered.begin(), offered.end(), dpi) == offered.end()) {
      return std::string(name) + " " + std::to_string(dpi) +
             " is not one of the resolutions this scanner offers";
    }
  }
  const bool deep = settings.color_mode == EsclColorMode::kRgb48 ||
                    settings.color_mode == EsclColorMode::kGrayscale16;
  if (deep && EsclFormatOf(settings.format).eight_bit_only) {
    return std::string(EsclColorModeName(settings.color_mode)) + " is offered as " +
           EsclFormatMime(EsclFormat::kPng) + " only";
  }
  std::string problem = CheckExtent("horizontal", settings.x_offset, settings.width,
                                    limits.flatbed_width, limits.min_width);
  if (problem.empty()) {
    problem = CheckExtent("vertical", settings.y_offset, settings.height, limits.flatbed_height,
                          limits.min_height);
  }
  return problem;
}

ScanOptions ToScanOptions(const EsclScanSettings& settings, const ScannerLimits& limits) {
  ScanOptions options;
  switch (settings.color_mode) {
    case EsclColorMode::kRgb24:
    case EsclColorMode::kRgb48:
      options.mode = ScanMode::kColor;
      break;
    case EsclColorMode::kGrayscale8:
    case EsclColorMode::kGrayscale16:
      options.mode = ScanMode::kGray;
      break;
    case EsclColorMode::kBlackAndWhite1:
      options.mode = ScanMode::kLineart;
      break;
  }
  options.depth = settings.color_mode == EsclColorMode::kRgb48 ||
                          settings.color_mode == EsclColorMode::kGrayscale16
                      ? 16
                      : (options.mode == ScanMode::kLineart ? 1 : 8);
  options.x_resolution =
      static_cast<uint16_t>(settings.x_resolution.value_or(kDefaultEsclResolution));
  options.y_resolution =
      static_cast<uint16_t>(settings.y_resolution.value_or(kDefaultEsclResolution));
  // Whole three-hundredths in inches round back to the same whole numbers.
  options.unit = LengthUnit::kInch;
  options.left = settings.x_offset / 300.0;
  options.top = settings.y_offset / 300.0;
  options.width = settings.width.value_or(limits.flatbed_width - settings.x_offset) / 300.0;
  options.height = settings.height.value_or(limits.flatbed_height - settings.y_offset) / 300.0;
  options.format = settings.format == EsclFormat::kJpeg ? ImageFormat::kJpeg : ImageFormat::kPng;
  return options;
}

}  // namespace zorvik::host
