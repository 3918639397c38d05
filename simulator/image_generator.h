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
  // The chart across one pixel column, worked out once per scan.
  struct Column {
    uint16_t red;      // the red ramp, before Invert
    uint8_t red8;      // red as 8-bit data: inverted if asked, gamma applied
    uint8_t position;  // inch across (mod 16) in the low bits, kInMark, kOnGrid
  };
  struct Line;  // the chart down one line, worked out per line

  Line LineAt(uint32_t line) const;
  template <PixelFormat kFormat>
  void GeneratePixels(const Line& line, uint32_t begin, uint32_t end, uint8_t* out) const;
  void GenerateBlackWhite(const Line& line, uint32_t begin, uint32_t end, uint8_t* out) const;
  void GenerateLine(uint32_t line, uint32_t begin, uint32_t end, uint8_t* out) const;

  ScanLayout layout_;
  GammaTables gamma_;
  ImageSource source_;
  uint16_t invert_mask_;  // 0xFFFF with Invert: 65535 - s is s ^ 0xFFFF
  std::vector<Column> columns_;
};

}  // namespace zorvik::sim
