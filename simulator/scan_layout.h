// How a scan-parameter record becomes an image: the pixel format, the size of
// the stream of bytes and the window on the scan area. The device refuses a
// record it cannot scan instead of delivering something else.
#pragma once

#include <cstdint>

#include "toolkit_records.h"

namespace zorvik::sim {

enum class PixelFormat : uint8_t {
  kColor8,      // B, G, R bytes per pixel, gamma applied
  kColor16,     // B, G, R little-endian 16-bit samples per pixel
  kGrey8,       // one byte per pixel, green gamma applied
  kGrey16,      // one little-endian 16-bit sample per pixel
  kBlackWhite,  // one bit per pixel, most significant bit first
};

struct ScanLayout {
  PixelFormat format;
  bool invert;
  uint32_t pixels_per_line;
  uint32_t lines;
  uint32_t bytes_per_line;
  uint64_t image_bytes;
  uint32_t left;  // window origin in 1/300 inch
  uint32_t top;
  uint32_t x_resolution;
  uint32_t y_resolution;
};

// What the device can scan with the scan method a record asks for.
struct ScanLimits {
  uint16_t area_width;  // 1/300 inch; 0 when the scan method is not fitted
  uint16_t area_length;
  uint16_t max_color_x_resolution;
  uint16_t max_color_y_resolution;
  uint16_t max_grey_x_resolution;
  uint16_t max_grey_y_resolution;
};

// Scan Mode values of the record.
inline constexpr uint8_t kScanModeBlackWhite = 0;
inline constexpr uint8_t kScanModeGrey = 2;
inline constexpr uint8_t kScanModeColor = 4;

// Fills `layout` from `record` and returns 0, or returns the error status
// that rejects the record (layout then untouched).
uint8_t LayoutFromRecord(const TOOLKIT_SCAN_PARAMETER& record, const ScanLimits& limits,
                         ScanLayout* layout);

}  // namespace zorvik::sim
