// What an eSCL client asks of a scan (a ScanSettings document, once read)
// and what the scanner offers it, in plain values: the colour modes and
// document formats by their eSCL names, the discrete resolutions, and the
// check of a request against the scanner's limits. No Windows types, so
// every rule is tested and fuzzed on its own.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "scan_options.h"
#include "scan_request.h"

namespace zorvik::host {

enum class EsclColorMode { kRgb24, kRgb48, kGrayscale8, kGrayscale16, kBlackAndWhite1 };
enum class EsclFormat { kPng, kJpeg, kPdf };

// Every colour mode the 7310 delivers, in the order the capabilities list them.
inline constexpr EsclColorMode kEsclColorModes[] = {
    EsclColorMode::kRgb24, EsclColorMode::kRgb48, EsclColorMode::kGrayscale8,
    EsclColorMode::kGrayscale16, EsclColorMode::kBlackAndWhite1};

// The document formats the server can make: the one list that the
// capabilities, the command line and any other page of the server read.
// Those with eight_bit_only hold 8-bit samples (a JPEG, or a PDF around
// one), so the 16-bit modes are not offered in them.
struct EsclFormatEntry {
  EsclFormat format;
  // Its MIME type, as eSCL names it.
  const char* mime;
  // Its name on zorvik_share's command line.
  const char* name;
  bool eight_bit_only;
};
inline constexpr EsclFormatEntry kEsclFormats[] = {
    {EsclFormat::kPng, "image/png", "png", false},
    {EsclFormat::kJpeg, "image/jpeg", "jpeg", true},
    {EsclFormat::kPdf, "application/pdf", "pdf", true},
};

// "RGB24", "Grayscale16", "BlackAndWhite1", ...
const char* EsclColorModeName(EsclColorMode mode);
std::optional<EsclColorMode> EsclColorModeNamed(const std::string& name);
// The format's entry in kEsclFormats.
const EsclFormatEntry& EsclFormatOf(EsclFormat format);
// "image/png", "image/jpeg", "application/pdf".
const char* EsclFormatMime(EsclFormat format);
std::optional<EsclFormat> EsclFormatOfMime(const std::string& mime);
// Every format of kEsclFormats, in its order: what the server offers unless
// told otherwise.
std::vector<EsclFormat> AllEsclFormats();

// One scan as a client asks for it. Lengths in 1/300 inch; an absent width
// or height reaches the platen's far edge; an absent resolution is 300 dpi.
struct EsclScanSettings {
  uint32_t x_offset = 0;
  uint32_t y_offset = 0;
  std::optional<uint32_t> width;
  std::optional<uint32_t> height;
  std::optional<uint32_t> x_resolution;
  std::optional<uint32_t> y_resolution;
  EsclColorMode color_mode = EsclColorMode::kRgb24;
  EsclFormat format = EsclFormat::kPng;
};

// The discrete resolutions offered: the usual steps from 75 to 1200 dpi that
// the scanner takes in both directions.
std::vector<uint16_t> OfferedResolutions(const ScannerLimits& limits);

// Empty when the scanner can make this scan; otherwise one sentence for the
// client: a resolution not offered, a 16-bit mode in a format that holds
// 8-bit samples only (JPEG, PDF), or a region that starts or ends outside the platen or is
// smaller than the scanner's smallest area.
std::string CheckScanSettings(const EsclScanSettings& settings, const ScannerLimits& limits);

// The same scan as zorvik_scan's options (area in inches), so the request
// reaches the scanner exactly as zorvik_scan would send it. Only for
// settings CheckScanSettings accepts. zorvik_scan makes no PDF: a PDF
// request keeps the format PNG here, and the server makes the PDF itself.
ScanOptions ToScanOptions(const EsclScanSettings& settings, const ScannerLimits& limits);

}  // namespace zorvik::host
