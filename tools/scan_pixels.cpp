// Line conversions from the scanner's pixel layouts to the encoders'.
#include "scan_pixels.h"

#include <cstring>
#include <utility>

namespace zorvik::host {

ScanPixels ScanPixelsFor(ScanMode mode, uint8_t depth) {
  switch (mode) {
    case ScanMode::kLineart:
      return ScanPixels::kBlackIsOne1;
    case ScanMode::kGray:
      return depth > 8 ? ScanPixels::kGrey16 : ScanPixels::kGrey8;
    default:
      return depth > 8 ? ScanPixels::kBgr48 : ScanPixels::kBgr24;
  }
}

uint32_t BitsPerPixel(ScanPixels pixels) {
  switch (pixels) {
    case ScanPixels::kBgr24:
      return 24;
    case ScanPixels::kBgr48:
      return 48;
    case ScanPixels::kGrey8:
      return 8;
    case ScanPixels::kGrey16:
      return 16;
    default:
      return 1;
  }
}

uint64_t BytesPerLine(uint64_t bits_per_pixel, uint64_t width) {
  return (bits_per_pixel * width + 7) / 8;
}

uint32_t ConvertedBitsPerPixel(LineConversion conversion, uint32_t source_bits) {
  return conversion == LineConversion::kBlackIsOneToGrey8 ? 8 : source_bits;
}

void ConvertLines(LineConversion conversion, uint32_t source_bits, const uint8_t* source,
                  size_t source_stride, uint8_t* target, size_t target_stride, uint32_t width,
                  uint32_t lines) {
  for (uint32_t line = 0; line < lines; ++line) {
    const uint8_t* from = source + line * source_stride;
    uint8_t* to = target + line * target_stride;
    switch (conversion) {
      case LineConversion::kCopy:
        std::memcpy(to, from, BytesPerLine(source_bits, width));
        break;
      case LineConversion::kInvertBits:
        for (uint64_t i = 0, n = BytesPerLine(1, width); i < n; ++i) {
          to[i] = static_cast<uint8_t>(~from[i]);
        }
        break;
      case LineConversion::kSwapRedBlue8:
        for (uint32_t x = 0; x < width; ++x, from += 3, to += 3) {
          to[0] = from[2];
          to[1] = from[1];
          to[2] = from[0];
        }
        break;
      case LineConversion::kSwapRedBlue16:
        for (uint32_t x = 0; x < width; ++x, from += 6, to += 6) {
          std::memcpy(to, from + 4, 2);
          std::memcpy(to + 2, from + 2, 2);
          std::memcpy(to + 4, from, 2);
        }
        break;
      case LineConversion::kBlackIsOneToGrey8:
        for (uint32_t x = 0; x < width; ++x) {
          to[x] = (from[x / 8] >> (7 - x % 8) & 1) ? 0 : 255;
        }
        break;
    }
  }
}

void SwapSampleBytes(uint8_t* samples, size_t bytes) {
  for (size_t i = 0; i + 1 < bytes; i += 2) std::swap(samples[i], samples[i + 1]);
}

}  // namespace zorvik::host
