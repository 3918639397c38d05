// The geometry of the image a scan delivers, computed from the host's
// SCANNER_PARAMETERS. GetBufferInfo reports it and SetScannerParameters tells
// the toolkit the same pixel and line counts, so the buffers a host sizes
// always match the image the toolkit sends.
#pragma once

#include <cstdint>

#include "driver_error.h"
#include "zorvik.h"

namespace zorvik {

// The largest pixel count, line count or position the toolkit's 16-bit
// scan-parameter fields can carry.
constexpr uint32_t kToolkitFieldMax = 0xFFFF;

// The scan area in the 1/300 inch of the toolkit's position fields.
struct ToolkitScanArea {
  // Low 16 bits of each converted value, as the toolkit record carries them.
  uint16_t left;
  uint16_t top;
  uint16_t width;
  uint16_t length;
  // False when any of the four values does not fit in 16 bits.
  bool fits;
};

// dwLeft, dwTop, dwWidth and dwLength in 1/300 inch: unchanged, or converted
// from pixels at wXResolution (across) and wYResolution (down) when
// PIXEL COORDINATES is asked for. A zero resolution gives 0 for the
// coordinates it would convert, and they do not fit.
ToolkitScanArea ToolkitScanAreaOf(const SCANNER_PARAMETERS& params);

// Fills dwPixelWidth, dwPixelHeight and dwBytesPerLine of `geometry` and
// returns kErrNoError. Returns kErrInvalidParameter and leaves `geometry`
// untouched when the scan mode is not exactly one of COLOR, GREYSCALE and BW,
// a resolution is zero, or the toolkit record cannot carry the scan area or
// the pixel and line counts. dwReserved is never written.
DriverError ComputeScanGeometry(const SCANNER_PARAMETERS& params, BUFFER_INFO& geometry);

}  // namespace zorvik
