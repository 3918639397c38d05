// Fuzzes what zorvik_share makes of a client's request: the path's route,
// and a ScanSettings document's elements (as the XML reader reports them)
// checked against the scanner's limits. Properties, stated here from the
// protocol rather than taken from the code: a route names its resource by
// the path's exact segments and takes one method; settings come back either
// as a problem with its sentence or as values; settings that pass the check
// lie inside the platen, at a resolution the scanner takes both ways, in a
// format that holds their samples, reach the scanner as the same area and
// resolution, and read back the same when written out again.
//
// Input: one byte choosing the route (odd) or the settings (even). A route
// is the rest as a path. Settings: one byte choosing the 7310's limits (even)
// or arbitrary ones (odd, then the limits' record), then events until a
// kind byte of 0 or the input's end: a kind byte (modulo 4: 0 an element
// starts, 1 an empty element, 2 text, 3 the element ends), then for a start
// its name and for text its value. A name or value is one byte: an entry of
// the fuzzer's list of protocol words, a number below 0xF0 (then four bytes
// of it), or 0xF0 and above for raw text (a length below 64, then its
// bytes). escl_request_seeds.py writes real documents in this form.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "limits_7310.h"
#include "escl_route.h"
#include "escl_settings.h"
#include "escl_settings_reader.h"
#include "fuzz_input.h"
#include "scan_request.h"

using namespace zorvik;
using namespace zorvik::host;

namespace {

// The element names and values of the protocol that reach the rules, so
// the fuzzer builds real documents often; other bytes make others.
const char* const kNames[] = {"ScanSettings",
                              "ScanRegions",
                              "ScanRegion",
                              "XOffset",
                              "YOffset",
                              "Width",
                              "Height",
                              "XResolution",
                              "YResolution",
                              "ColorMode",
                              "InputSource",
                              "Version",
                              "Intent",
                              "DocumentFormat",
                              "DocumentFormatExt",
                              "ContentRegionUnits"};
const char* const kValues[] = {"RGB24",
                               "RGB48",
                               "Grayscale8",
                               "Grayscale16",
                               "BlackAndWhite1",
                               "image/png",
                               "image/jpeg",
                               "application/pdf",
                               "image/tiff",
                               "Platen",
                               "Feeder",
                               "escl:ThreeHundredthsOfInches",
                               "0",
                               "75",
                               "150",
                               "300",
                               "600",
                               "1200",
                               "2550",
                               "3510",
                               " 300\n",
                               "0300",
                               "9999999",
                               "10000000"};

std::string TextOf(fuzz::FuzzInput& input, const char* const* table, size_t count) {
  const uint8_t pick = input.Take<uint8_t>();
  if (pick < count) return table[pick];
  if (pick < 0xF0) return std::to_string(input.Take<uint32_t>() % 20000);
  std::string raw;
  for (uint8_t length = input.Take<uint8_t>() % 64; length > 0; --length) {
    raw += static_cast<char>(input.Take<uint8_t>());
  }
  return raw;
}

void CheckRoute(const std::string& path) {
  const EsclRoute route = RouteOf(path);
  const std::string method = MethodOf(route.resource);
  if (route.resource == EsclResource::kUnknown) {
    fuzz::Require(route.job == 0 && method.empty(), "an unknown route has no job and no method");
    return;
  }
  std::string canonical;
  std::string expected_method = "GET";
  switch (route.resource) {
    case EsclResource::kScannerCapabilities:
      canonical = "/eSCL/ScannerCapabilities";
      break;
    case EsclResource::kScannerStatus:
      canonical = "/eSCL/ScannerStatus";
      break;
    case EsclResource::kScanJobs:
      canonical = "/eSCL/ScanJobs";
      expected_method = "POST";
      break;
    case EsclResource::kJob:
      canonical = "/eSCL/ScanJobs/" + std::to_string(route.job);
      expected_method = "DELETE";
      break;
    case EsclResource::kNextDocument:
      canonical = "/eSCL/ScanJobs/" + std::to_string(route.job) + "/NextDocument";
      break;
    case EsclResource::kScanImageInfo:
      canonical = "/eSCL/ScanJobs/" + std::to_string(route.job) + "/ScanImageInfo";
      break;
    case EsclResource::kUnknown:
      break;
  }
  const bool job_resource = canonical.rfind("/eSCL/ScanJobs/", 0) == 0;
  fuzz::Require(!job_resource || (route.job >= 1 && route.job <= 999999999), "job number range",
                path);
  fuzz::Require(job_resource || route.job == 0, "only job resources have a job", path);
  fuzz::Require(path == canonical || path == canonical + "/", "the path is the resource's", path);
  fuzz::Require(method == expected_method, "the resource's method", path);
  const EsclRoute again = RouteOf(canonical);
  fuzz::Require(again.resource == route.resource && again.job == route.job, "route round trip");
}

// The settings written out as a client would, read again.
ReadSettings ReadAgain(const EsclScanSettings& settings) {
  ScanSettingsElements elements;
  auto value = [&](const char* name, const std::string& text) {
    elements.Start(name, false);
    elements.Text(text);
    elements.End();
  };
  elements.Start("ScanSettings", false);
  elements.Start("ScanRegions", false);
  elements.Start("ScanRegion", false);
  value("ContentRegionUnits", "escl:ThreeHundredthsOfInches");
  value("XOffset", std::to_string(settings.x_offset));
  value("YOffset", std::to_string(settings.y_offset));
  if (settings.width) value("Width", std::to_string(*settings.width));
  if (settings.height) value("Height", std::to_string(*settings.height));
  elements.End();
  elements.End();
  value("InputSource", "Platen");
  value("ColorMode", EsclColorModeName(settings.color_mode));
  value("DocumentFormatExt", EsclFormatMime(settings.format));
  if (settings.x_resolution) value("XResolution", std::to_string(*settings.x_resolution));
  if (settings.y_resolution) value("YResolution", std::to_string(*settings.y_resolution));
  elements.End();
  return elements.Finish();
}

bool Same(const EsclScanSettings& a, const EsclScanSettings& b) {
  return a.x_offset == b.x_offset && a.y_offset == b.y_offset && a.width == b.width &&
         a.height == b.height && a.x_resolution == b.x_resolution &&
         a.y_resolution == b.y_resolution && a.color_mode == b.color_mode && a.format == b.format;
}

void CheckAccepted(const EsclScanSettings& settings, const ScannerLimits& limits, bool real) {
  const uint32_t x_dpi = settings.x_resolution.value_or(300);
  const uint32_t y_dpi = settings.y_resolution.value_or(300);
  for (uint32_t dpi : {x_dpi, y_dpi}) {
    fuzz::Require(dpi >= limits.min_resolution && dpi <= limits.max_x_resolution &&
                      dpi <= limits.max_y_resolution,
                  "an accepted resolution is one the scanner takes both ways", std::to_string(dpi));
  }
  const uint64_t width = settings.width.value_or(limits.flatbed_width - settings.x_offset);
  const uint64_t height = settings.height.value_or(limits.flatbed_height - settings.y_offset);
  fuzz::Require(settings.x_offset + width <= limits.flatbed_width &&
                    settings.y_offset + height <= limits.flatbed_height,
                "an accepted region lies inside the platen");
  fuzz::Require(
      width >= 1 && width >= limits.min_width && height >= 1 && height >= limits.min_height,
      "an accepted region is at least the smallest area");
  const bool deep = settings.color_mode == EsclColorMode::kRgb48 ||
                    settings.color_mode == EsclColorMode::kGrayscale16;
  fuzz::Require(!deep || settings.format == EsclFormat::kPng,
                "16-bit samples go only into PNG (JPEG and PDF's JPEG hold 8 bits)");

  const ScanOptions options = ToScanOptions(settings, limits);
  const SCANNER_PARAMETERS sent = ToScannerParameters(options, limits);
  fuzz::Require(sent.dwLeft == settings.x_offset && sent.dwTop == settings.y_offset &&
                    sent.dwWidth == width && sent.dwLength == height,
                "the scanner is sent the region asked for",
                std::to_string(sent.dwLeft) + "," + std::to_string(sent.dwTop) + " " +
                    std::to_string(sent.dwWidth) + "x" + std::to_string(sent.dwLength));
  fuzz::Require(sent.wXResolution == x_dpi && sent.wYResolution == y_dpi,
                "the scanner is sent the resolution asked for");
  const uint8_t depth = deep ? 16 : (settings.color_mode == EsclColorMode::kBlackAndWhite1 ? 1 : 8);
  fuzz::Require(sent.byBitsPerChannel == depth, "the scanner is sent the mode's depth");
  // What the server accepts, zorvik_scan's own check accepts too, so a job
  // is not refused only once the scanner is open.
  if (real) {
    fuzz::Require(CheckAgainstScanner(options, limits).empty(),
                  "zorvik_scan's check accepts what the server accepts");
  }

  const ReadSettings again = ReadAgain(settings);
  fuzz::Require(again.problem == SettingsProblem::kNone && Same(again.settings, settings),
                "accepted settings read back the same", again.error);
}

void CheckSettings(fuzz::FuzzInput& input, size_t size) {
  const bool real = (input.Take<uint8_t>() & 1) == 0;
  ScannerLimits limits = test::Limits7310();
  if (!real) {
    // Any limits a flatbed could report: a platen of up to 200 inches each
    // way, any smallest area and resolutions.
    limits = input.Take<ScannerLimits>();
    limits.flatbed_width %= 60001;
    limits.flatbed_height %= 60001;
  }
  ScanSettingsElements elements;
  for (size_t events = 0; events < size && !elements.stopped(); ++events) {
    const uint8_t kind = input.Take<uint8_t>();
    if (kind == 0) break;  // the input has run out (or ends here)
    switch (kind % 4) {
      case 0:
      case 1:
        elements.Start(TextOf(input, kNames, std::size(kNames)), kind % 4 == 1);
        break;
      case 2:
        elements.Text(TextOf(input, kValues, std::size(kValues)));
        break;
      case 3:
        elements.End();
        break;
    }
  }
  const ReadSettings read = elements.Finish();
  fuzz::Require((read.problem == SettingsProblem::kNone) == read.error.empty(),
                "a problem comes with its sentence, and only a problem", read.error);
  if (read.problem != SettingsProblem::kNone) return;
  const std::string misfit = CheckScanSettings(read.settings, limits);
  if (misfit.empty()) CheckAccepted(read.settings, limits, real);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  if (data[0] & 1) {
    CheckRoute(std::string(reinterpret_cast<const char*>(data) + 1, size - 1));
    return 0;
  }
  fuzz::FuzzInput input(data + 1, size - 1);
  CheckSettings(input, size);
  return 0;
}
