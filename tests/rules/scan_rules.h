// The scan-geometry and toolkit-record rules, stated from the rules as
// documented for hosts and not from the component's code, so that the unit
// tests, a randomized run and the fuzzers check every record the component
// accepts or refuses against one answer reached independently.
//
// Pure C++ on the three interface records and the toolkit records: builds
// for Windows and natively.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstring>

#include "toolkit_records.h"
#include "zorvik.h"

namespace zorvik::rules {

// What GetBufferInfo and SetScannerParameters must make of one record.
struct ExpectedScan {
  uint32_t buffer_error = 0;  // GetBufferInfo's driver error code
  uint32_t pixel_width = 0;   // the geometry, when buffer_error is 0
  uint32_t pixel_height = 0;
  uint32_t bytes_per_line = 0;
  uint32_t set_error = 0;  // SetScannerParameters' driver error code
  // The toolkit record after SetScannerParameters, starting from the record
  // the session held before the call.
  TOOLKIT_SCAN_PARAMETER record{};
  // False when a refused record's position fields depend on single-precision
  // rounding of values no 16-bit field can hold; they are not compared then.
  bool positions_exact = true;
};

inline constexpr uint32_t kInvalidParameter = 2;
inline constexpr uint32_t kSixteenBits = 0xFFFF;

// Position in 1/300 inch: unchanged, or pixels at `dpi` converted with the
// factor 300/dpi (a double), the pixel count taken as a float first, the
// product truncated. `fits` is false when the field cannot carry it; a zero
// resolution converts to 0 and never fits.
struct Position {
  uint16_t field;
  bool fits;
  bool exact;
};

inline Position PositionOf(uint32_t value, uint16_t dpi, bool pixels) {
  if (!pixels) return {static_cast<uint16_t>(value & 0xFFFF), value <= kSixteenBits, true};
  if (dpi == 0) return {0, false, true};
  const double product = static_cast<double>(static_cast<float>(value)) * (300.0 / dpi);
  const double truncated = std::trunc(product);
  // Every value above 2^24 is rounded by the float and lands far above 16 bits.
  const bool exact = value <= (1u << 24);
  const uint64_t whole = static_cast<uint64_t>(truncated);
  return {static_cast<uint16_t>(whole & 0xFFFF), whole <= kSixteenBits, exact};
}

// The fields every translated record holds whatever the request: no contrast,
// brightness, colour filter or exposure change, halftone pattern 1, the full
// highlight-to-shadow range, and the reserved byte and read status cleared.
inline void SetFixedFields(TOOLKIT_SCAN_PARAMETER& r) {
  r.Contrast = 0;
  r.Brightness = 0;
  r.HTPatternNo = 1;
  r.Highlight = 255;
  r.Shadow = 0;
  r.ColorFilter = 0;
  r.ReadStatus = 0;
  r.RedExposure = r.GreenExposure = r.BlueExposure = 0;
  r.Reserved36 = 0;
}

inline uint64_t CeilDiv(uint64_t a, uint64_t b) { return a / b + (a % b != 0 ? 1 : 0); }

inline ExpectedScan Expect(const SCANNER_PARAMETERS& p, bool vistrel,
                           const TOOLKIT_SCAN_PARAMETER& before) {
  ExpectedScan e;
  e.record = before;
  const bool pixels = (p.dwScanOptions & 0x2) != 0;

  // The four position fields are written before anything is checked.
  const Position left = PositionOf(p.dwLeft, p.wXResolution, pixels);
  const Position top = PositionOf(p.dwTop, p.wYResolution, pixels);
  const Position width = PositionOf(p.dwWidth, p.wXResolution, pixels);
  const Position length = PositionOf(p.dwLength, p.wYResolution, pixels);
  e.record.PixelLeft = left.field;
  e.record.PixelTop = top.field;
  e.record.PixelWidth = width.field;
  e.record.PixelLength = length.field;
  e.positions_exact = left.exact && top.exact && width.exact && length.exact;

  // Bits per pixel and the pixel multiple a line is padded to, by mode.
  uint32_t bits_per_pixel = 0;
  uint32_t multiple = 1;
  const bool deep = p.byBitsPerChannel > 8;
  if (p.dwScanMode == 1) {
    bits_per_pixel = deep ? 48 : 24;
  } else if (p.dwScanMode == 2) {
    bits_per_pixel = deep ? 16 : 8;
  } else if (p.dwScanMode == 4) {
    bits_per_pixel = deep ? 2 : 1;
    multiple = 8;
  }

  bool refused = bits_per_pixel == 0;
  // A zero resolution measures nothing, and an area or image the toolkit's
  // 16-bit fields cannot carry would be scanned cut short.
  refused = refused || p.wXResolution == 0 || p.wYResolution == 0;
  refused = refused || !(left.fits && top.fits && width.fits && length.fits);

  uint64_t pw = p.dwWidth;
  uint64_t ph = p.dwLength;
  if (!pixels && !refused) {
    pw = CeilDiv(CeilDiv(uint64_t{p.wXResolution} * p.dwWidth, 300), multiple) * multiple;
    ph = CeilDiv(uint64_t{p.wYResolution} * p.dwLength, 300);
  }
  refused = refused || pw > kSixteenBits || ph > kSixteenBits;
  if (refused) {
    e.buffer_error = kInvalidParameter;
    e.set_error = kInvalidParameter;
    return e;
  }
  e.pixel_width = static_cast<uint32_t>(pw);
  e.pixel_height = static_cast<uint32_t>(ph);
  e.bytes_per_line = static_cast<uint32_t>(CeilDiv(pw * bits_per_pixel, 8));

  TOOLKIT_SCAN_PARAMETER& r = e.record;
  r.PixelNum = static_cast<uint16_t>(pw);
  r.LineNum = static_cast<uint16_t>(ph);
  r.ScanMode = p.dwScanMode == 1 ? 4 : p.dwScanMode == 2 ? 2 : 0;
  r.Invert = p.dwScanMode == 4 ? 1 : 0;
  r.BitsPerPixel =
      static_cast<uint8_t>(p.dwScanMode == 1 ? p.byBitsPerChannel * 3 : p.byBitsPerChannel);
  if (p.wScanMethod > 3) {
    e.set_error = kInvalidParameter;
    return e;
  }
  r.ScanMethod = static_cast<uint8_t>(p.wScanMethod == 3 ? 2 : p.wScanMethod);
  r.ScanSpeed = vistrel ? 1 : 0;
  if (p.byBitsPerChannel <= 8) r.ExtendedScanParameter = vistrel ? 0x9000 : 0x9800;
  if (p.byBitsPerChannel == 16) r.ExtendedScanParameter = vistrel ? 0xB000 : 0xB800;
  r.XRes = p.wXResolution;
  r.YRes = p.wYResolution;
  SetFixedFields(r);
  return e;
}

// Whether two toolkit records agree, leaving out the position fields when
// they cannot be stated exactly.
inline bool SameRecord(const TOOLKIT_SCAN_PARAMETER& a, const TOOLKIT_SCAN_PARAMETER& b,
                       bool positions_exact) {
  TOOLKIT_SCAN_PARAMETER x = a;
  TOOLKIT_SCAN_PARAMETER y = b;
  if (!positions_exact) {
    x.PixelLeft = y.PixelLeft = 0;
    x.PixelTop = y.PixelTop = 0;
    x.PixelWidth = y.PixelWidth = 0;
    x.PixelLength = y.PixelLength = 0;
  }
  return std::memcmp(&x, &y, sizeof x) == 0;
}

}  // namespace zorvik::rules
