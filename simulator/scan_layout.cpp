// Checks a scan-parameter record against the device and derives the image's
// geometry; the byte counts match the buffer geometry the component computes.
#include "scan_layout.h"

#include "error_status.h"

namespace zorvik::sim {

namespace {

bool FormatOf(uint8_t scan_mode, uint8_t bits_per_pixel, PixelFormat* format) {
  switch (scan_mode) {
    case kScanModeColor:
      if (bits_per_pixel != 24 && bits_per_pixel != 48) return false;
      *format = bits_per_pixel == 24 ? PixelFormat::kColor8 : PixelFormat::kColor16;
      return true;
    case kScanModeGrey:
      if (bits_per_pixel != 8 && bits_per_pixel != 16) return false;
      *format = bits_per_pixel == 8 ? PixelFormat::kGrey8 : PixelFormat::kGrey16;
      return true;
    case kScanModeBlackWhite:
      // The component passes the host's bits per channel here; anything up
      // to 8 is a plain one-bit scan.
      if (bits_per_pixel < 1 || bits_per_pixel > 8) return false;
      *format = PixelFormat::kBlackWhite;
      return true;
    default:
      return false;
  }
}

uint32_t BytesPerLine(PixelFormat format, uint32_t pixels) {
  switch (format) {
    case PixelFormat::kColor8:
      return pixels * 3;
    case PixelFormat::kColor16:
      return pixels * 6;
    case PixelFormat::kGrey8:
      return pixels;
    case PixelFormat::kGrey16:
      return pixels * 2;
    case PixelFormat::kBlackWhite:
      return (pixels + 7) / 8;
  }
  return 0;
}

bool IsColor(PixelFormat format) {
  return format == PixelFormat::kColor8 || format == PixelFormat::kColor16;
}

}  // namespace

uint8_t LayoutFromRecord(const TOOLKIT_SCAN_PARAMETER& record, const ScanLimits& limits,
                         ScanLayout* layout) {
  PixelFormat format;
  if (!FormatOf(record.ScanMode, record.BitsPerPixel, &format)) return kStatusInvalidArgument;
  if (record.PixelNum == 0 || record.LineNum == 0) return kStatusInvalidArgument;
  const uint32_t max_x =
      IsColor(format) ? limits.max_color_x_resolution : limits.max_grey_x_resolution;
  const uint32_t max_y =
      IsColor(format) ? limits.max_color_y_resolution : limits.max_grey_y_resolution;
  if (record.XRes == 0 || record.XRes > max_x) return kStatusInvalidArgument;
  if (record.YRes == 0 || record.YRes > max_y) return kStatusInvalidArgument;
  if (limits.area_width == 0 || limits.area_length == 0) return kStatusInvalidArgument;
  if (uint32_t{record.PixelLeft} + record.PixelWidth > limits.area_width) {
    return kStatusInvalidArgument;
  }
  if (uint32_t{record.PixelTop} + record.PixelLength > limits.area_length) {
    return kStatusInvalidArgument;
  }

  layout->format = format;
  layout->invert = record.Invert != 0;
  layout->pixels_per_line = record.PixelNum;
  layout->lines = record.LineNum;
  layout->bytes_per_line = BytesPerLine(format, record.PixelNum);
  layout->image_bytes = uint64_t{layout->bytes_per_line} * record.LineNum;
  layout->left = record.PixelLeft;
  layout->top = record.PixelTop;
  layout->x_resolution = record.XRes;
  layout->y_resolution = record.YRes;
  return kStatusNone;
}

}  // namespace zorvik::sim
