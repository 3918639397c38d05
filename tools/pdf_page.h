// A one-page PDF around one image, in three parts: the head (everything up
// to the image's bytes), the image's bytes as the caller encodes them, and
// the tail (the end of the image's stream, its length, the cross-reference
// table and the trailer). The head does not depend on the image's length,
// so the image can be written straight after it as it is encoded; the tail
// is computed once the length is known. No Windows types: pure text work,
// unit-tested on its own.
#pragma once

#include <cstdint>
#include <string>

namespace zorvik::host {

enum class PdfImageEncoding {
  // The bytes are a baseline JPEG file (DCTDecode) of 8-bit samples.
  kJpeg,
  // The bytes are the samples themselves, each row padded to a whole byte.
  kSamples,
};

struct PdfPageImage {
  uint32_t width = 0;
  uint32_t height = 0;
  // 1 (grey) or 3 (red, green, blue).
  uint32_t components = 3;
  // 8 for kJpeg; 1, 8 or 16 for kSamples.
  uint32_t bits_per_component = 8;
  // Set for 1-bit samples where 1 is black (as the scanner delivers them);
  // PDF's own grey reads 0 as black.
  bool one_is_black = false;
  PdfImageEncoding encoding = PdfImageEncoding::kJpeg;
  // The scan's resolution: the page is the scanned area, width * 72 / x_dpi
  // points wide. A resolution of 0 counts as 72 dpi.
  double x_dpi = 0;
  double y_dpi = 0;
};

// Everything before the image's bytes.
std::string PdfPageHead(const PdfPageImage& image);

// Everything after `image_bytes` bytes of image that followed the head.
std::string PdfPageTail(const PdfPageImage& image, uint64_t image_bytes);

// The bytes of one row of samples of `image` (kSamples).
uint64_t PdfSampleRowBytes(const PdfPageImage& image);

}  // namespace zorvik::host
