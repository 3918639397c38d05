// Pixels per line, lines and bytes per line of a scan, and the checks that
// keep them within what the toolkit record carries.
#include "scan_geometry.h"

#include <optional>

#include "scan_codes.h"

namespace zorvik {
namespace {

constexpr uint32_t kToolkitUnitsPerInch = 300;

struct PixelLayout {
  uint32_t bitsPerPixel;
  // BW lines are padded to whole bytes of pixels.
  uint32_t widthMultiple;
};

std::optional<PixelLayout> PixelLayoutOf(uint32_t scanMode, uint8_t bitsPerChannel) {
  const bool wide = bitsPerChannel > 8;
  switch (scanMode) {
    case kScanModeColor:
      return PixelLayout{wide ? 48u : 24u, 1};
    case kScanModeGreyscale:
      return PixelLayout{wide ? 16u : 8u, 1};
    case kScanModeBw:
      return PixelLayout{wide ? 2u : 1u, 8};
    default:
      return std::nullopt;
  }
}

constexpr uint64_t DivideRoundingUp(uint64_t numerator, uint64_t denominator) {
  return (numerator + denominator - 1) / denominator;
}

// Every accepted line is at most kToolkitFieldMax pixels of at most 48 bits.
static_assert(DivideRoundingUp(uint64_t{kToolkitFieldMax} * 48, 8) <= UINT32_MAX,
              "bytes per line of an accepted scan fit in 32 bits");

bool UsesPixelCoordinates(const SCANNER_PARAMETERS& params) {
  return (params.dwScanOptions & kScanOptionPixelCoordinates) != 0;
}

struct ToolkitCoordinate {
  uint16_t field;
  bool fits;
};

ToolkitCoordinate ToToolkitUnits(uint32_t value, uint16_t resolution, bool pixelCoordinates) {
  if (!pixelCoordinates) return {static_cast<uint16_t>(value), value <= kToolkitFieldMax};
  if (resolution == 0) return {0, false};
  // The factor is formed first and the product truncated, as the toolkit
  // record has always been written: a resolution that does not divide 300 can
  // come out one unit low (281 pixels at 281 dpi give 299). The product stays
  // below 2^32 * 300, so it converts to 64 bits exactly.
  const double factor = static_cast<double>(kToolkitUnitsPerInch) / resolution;
  const uint64_t converted = static_cast<uint64_t>(static_cast<double>(value) * factor);
  return {static_cast<uint16_t>(converted), converted <= kToolkitFieldMax};
}

}  // namespace

ToolkitScanArea ToolkitScanAreaOf(const SCANNER_PARAMETERS& params) {
  const bool pixels = UsesPixelCoordinates(params);
  const ToolkitCoordinate left = ToToolkitUnits(params.dwLeft, params.wXResolution, pixels);
  const ToolkitCoordinate top = ToToolkitUnits(params.dwTop, params.wYResolution, pixels);
  const ToolkitCoordinate width = ToToolkitUnits(params.dwWidth, params.wXResolution, pixels);
  const ToolkitCoordinate length = ToToolkitUnits(params.dwLength, params.wYResolution, pixels);
  return {left.field, top.field, width.field, length.field,
          left.fits && top.fits && width.fits && length.fits};
}

DriverError ComputeScanGeometry(const SCANNER_PARAMETERS& params, BUFFER_INFO& geometry) {
  const std::optional<PixelLayout> layout =
      PixelLayoutOf(params.dwScanMode, params.byBitsPerChannel);
  if (!layout) return kErrInvalidParameter;
  if (params.wXResolution == 0 || params.wYResolution == 0) return kErrInvalidParameter;
  // The toolkit would scan a different area than the one measured here.
  if (!ToolkitScanAreaOf(params).fits) return kErrInvalidParameter;

  uint64_t pixelWidth = params.dwWidth;
  uint64_t pixelHeight = params.dwLength;
  if (!UsesPixelCoordinates(params)) {
    // 64-bit: a 16-bit resolution times a 32-bit size overflows 32 bits.
    const uint64_t width =
        DivideRoundingUp(uint64_t{params.wXResolution} * params.dwWidth, kToolkitUnitsPerInch);
    pixelWidth = DivideRoundingUp(width, layout->widthMultiple) * layout->widthMultiple;
    pixelHeight =
        DivideRoundingUp(uint64_t{params.wYResolution} * params.dwLength, kToolkitUnitsPerInch);
  }
  // Pixel Num and Line Num are 16-bit: a larger image would reach the host
  // cut short while its buffers were sized for the whole.
  if (pixelWidth > kToolkitFieldMax || pixelHeight > kToolkitFieldMax) {
    return kErrInvalidParameter;
  }

  geometry.dwPixelWidth = static_cast<uint32_t>(pixelWidth);
  geometry.dwPixelHeight = static_cast<uint32_t>(pixelHeight);
  geometry.dwBytesPerLine =
      static_cast<uint32_t>(DivideRoundingUp(pixelWidth * layout->bitsPerPixel, 8));
  return kErrNoError;
}

}  // namespace zorvik
