// Produces the bytes of one scan's image straight into the reader's buffer.
// The image is a stream of lines back to back; any byte range of it can be
// asked for, so reads may start and end anywhere, inside a pixel included.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "scan_layout.h"
#include "test_chart.h"

namespace zorvik::sim {

// Red, green and blue tables, applied to 8-bit data.
struct GammaTables {
  std::array<uint8_t, 256> red;
  std::array<uint8_t, 256> green;
  std::array<uint8_t, 256> blue;
};
GammaTables IdentityGamma();

// What the scanner sees on its glass.
struct ImageSource {
  bool solid = false;  // false: the test chart
  uint16_t value = 0;  // every sample of a solid image, before Invert and gamma
};

class ImageGenerator {
 public:
  ImageGenerator(const ScanLayout& layout, const GammaTables& gamma, const ImageSource& source);

  const ScanLayout& layout() const { return layout_; }

  // Writes bytes [offset, offset + count) of the image into `out`; the range
  // must lie inside the image.
  void Generate(uint64_t offset, uint8_t* out, size_t count) const;

 private:
  template <PixelFormat kFormat>
  void GeneratePixels(const ChartAxis& down, uint32_t begin, uint32_t end, uint8_t* out) const;
  void GenerateBlackWhite(const ChartAxis& down, uint32_t begin, uint32_t end, uint8_t* out) const;
  void GenerateLine(uint32_t line, uint32_t begin, uint32_t end, uint8_t* out) const;
  ChartColor ColorAt(uint32_t column, const ChartAxis& down) const;
  uint16_t Sample(uint16_t value) const { return layout_.invert ? 0xFFFF - value : value; }

  ScanLayout layout_;
  GammaTables gamma_;
  ImageSource source_;
  std::vector<ChartAxis> columns_;  // the chart across, one entry per pixel of a line
};

}  // namespace zorvik::sim
