// The pixel layouts a scan delivers and the line conversions that turn them
// into the layouts an image encoder takes. The scanner sends colour as
// blue-green-red, 16-bit samples little-endian, and black-and-white as one bit
// per pixel, most significant bit first, 1 meaning black, each line padded to
// whole bytes. Pure byte work, so every conversion is tested without an
// encoder.
#pragma once

#include <cstddef>
#include <cstdint>

#include "scan_options.h"

namespace zorvik::host {

enum class ScanPixels { kBgr24, kBgr48, kGrey8, kGrey16, kBlackIsOne1 };

// The layout a scan in `mode` with `depth` bits per channel delivers.
ScanPixels ScanPixelsFor(ScanMode mode, uint8_t depth);

// Bits one pixel occupies in a scan line.
uint32_t BitsPerPixel(ScanPixels pixels);

// The bytes of one line of `width` pixels, padded to a whole byte.
uint64_t BytesPerLine(uint64_t bits_per_pixel, uint64_t width);

enum class LineConversion {
  kCopy,
  // 1-bit lines with every bit flipped: the scanner's 1 = black becomes the
  // encoder's 1 = white.
  kInvertBits,
  // 24-bit blue-green-red to red-green-blue, or 48-bit likewise.
  kSwapRedBlue8,
  kSwapRedBlue16,
  // 1-bit lines (1 = black) to one 8-bit grey sample per pixel, 0 or 255,
  // for encoders that hold no 1-bit image (JPEG).
  kBlackIsOneToGrey8,
};

// Bits per pixel after `conversion` of pixels of `source_bits`.
uint32_t ConvertedBitsPerPixel(LineConversion conversion, uint32_t source_bits);

// Converts `lines` lines of `width` pixels of `source_bits` from `source` (lines
// `source_stride` bytes apart) into `target` (lines `target_stride` bytes
// apart). A source line may hold more pixels than `width`: the rest are left
// out, except the bits after the last pixel in its byte of a 1-bit line,
// which are converted like pixels.
void ConvertLines(LineConversion conversion, uint32_t source_bits, const uint8_t* source,
                  size_t source_stride, uint8_t* target, size_t target_stride, uint32_t width,
                  uint32_t lines);

// Swaps the two bytes of every 16-bit sample in `bytes` bytes at `samples`.
void SwapSampleBytes(uint8_t* samples, size_t bytes);

}  // namespace zorvik::host
