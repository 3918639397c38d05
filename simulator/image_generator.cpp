// The image stream of a scan, computed as test_chart.h defines it. The
// chart splits into what depends on the column (the red ramp, the inch
// across, the mark and grid across) and what depends on the line (the green
// ramp, the inch down, the mark and grid down). The first is worked out once
// per scan, the second once per line, so an ordinary pixel costs a few table
// look-ups and its stores: reads run at memory speed and never hide the
// cost of the code that calls them.
#include "image_generator.h"

#include <algorithm>
#include <cstring>

namespace zorvik::sim {

namespace {

constexpr uint8_t kInchMask = 0x0F;
constexpr uint8_t kInMark = 0x10;
constexpr uint8_t kOnGrid = 0x20;

// What a pixel is, from its column's and its line's mark and grid flags.
enum PixelKind : uint8_t { kChartPixel, kGridPixel, kMarkPixel };

constexpr uint32_t BytesPerPixel(PixelFormat format) {
  switch (format) {
    case PixelFormat::kColor8:
      return 3;
    case PixelFormat::kColor16:
      return 6;
    case PixelFormat::kGrey8:
      return 1;
    case PixelFormat::kGrey16:
      return 2;
    case PixelFormat::kBlackWhite:
      return 0;
  }
  return 0;
}

void Put16(uint8_t* out, uint16_t value) {
  out[0] = static_cast<uint8_t>(value);
  out[1] = static_cast<uint8_t>(value >> 8);
}

uint8_t PositionFlags(const ChartAxis& axis) {
  return static_cast<uint8_t>((axis.inch & kInchMask) | (axis.in_mark ? kInMark : 0) |
                              (axis.on_grid ? kOnGrid : 0));
}

}  // namespace

struct ImageGenerator::Line {
  PixelKind kind[4];                  // by a column's (kInMark | kOnGrid) >> 4
  uint16_t green;                     // inverted if asked
  uint8_t green8;                     // and as 8-bit data
  uint16_t blue[kInchMask + 1];       // by inch across, inverted if asked
  uint8_t blue8[kInchMask + 1];       // and as 8-bit data
  uint32_t grey_rest[kInchMask + 1];  // 150 green + 29 blue, by inch across
  ChartColor grid;                    // the grid and the mark, before Invert
  ChartColor mark;
};

GammaTables IdentityGamma() {
  GammaTables gamma;
  for (int i = 0; i < 256; ++i) {
    gamma.red[i] = gamma.green[i] = gamma.blue[i] = static_cast<uint8_t>(i);
  }
  return gamma;
}

ImageGenerator::ImageGenerator(const ScanLayout& layout, const GammaTables& gamma,
                               const ImageSource& source)
    : layout_(layout), gamma_(gamma), source_(source), invert_mask_(layout.invert ? 0xFFFF : 0) {
  columns_.resize(layout.pixels_per_line);
  for (uint32_t i = 0; i < layout.pixels_per_line; ++i) {
    const ChartAxis across = ChartAxisAt(ChartPosition(layout.left, i, layout.x_resolution));
    Column& column = columns_[i];
    column.red = source.solid ? source.value : across.ramp;
    column.red8 = gamma_.red[(column.red ^ invert_mask_) >> 8];
    column.position = source.solid ? 0 : PositionFlags(across);
  }
}

ImageGenerator::Line ImageGenerator::LineAt(uint32_t index) const {
  const ChartAxis down = ChartAxisAt(ChartPosition(layout_.top, index, layout_.y_resolution));
  Line line;
  const uint16_t green = source_.solid ? source_.value : down.ramp;
  line.green = green ^ invert_mask_;
  line.green8 = gamma_.green[line.green >> 8];
  for (uint32_t inch = 0; inch <= kInchMask; ++inch) {
    const uint16_t blue =
        source_.solid ? source_.value : static_cast<uint16_t>(inch << 12 | down.inch << 8 | 0x80);
    line.blue[inch] = blue ^ invert_mask_;
    line.blue8[inch] = gamma_.blue[line.blue[inch] >> 8];
    line.grey_rest[inch] = 150u * green + 29u * blue;
  }
  for (uint8_t flags = 0; flags < 4; ++flags) {
    const bool column_in_mark = (flags << 4) & kInMark;
    const bool column_on_grid = (flags << 4) & kOnGrid;
    line.kind[flags] = source_.solid                      ? kChartPixel
                       : (column_in_mark && down.in_mark) ? kMarkPixel
                       : (column_on_grid || down.on_grid) ? kGridPixel
                                                          : kChartPixel;
  }
  line.grid = ChartCombine(ChartAxis{false, true, 0, 0}, down);
  line.mark = ChartColor{0xFFFF, 0, 0xFFFF};
  return line;
}

template <PixelFormat kFormat>
void ImageGenerator::GeneratePixels(const Line& line, uint32_t begin, uint32_t end,
                                    uint8_t* out) const {
  constexpr uint32_t kPixelBytes = BytesPerPixel(kFormat);
  // The grid and the mark are few pixels: they take the plain way through
  // the chart's colour.
  auto encode_color = [&](const ChartColor& color, uint8_t* pixel) {
    if constexpr (kFormat == PixelFormat::kColor8) {
      pixel[0] = gamma_.blue[(color.blue ^ invert_mask_) >> 8];
      pixel[1] = gamma_.green[(color.green ^ invert_mask_) >> 8];
      pixel[2] = gamma_.red[(color.red ^ invert_mask_) >> 8];
    } else if constexpr (kFormat == PixelFormat::kColor16) {
      Put16(pixel, color.blue ^ invert_mask_);
      Put16(pixel + 2, color.green ^ invert_mask_);
      Put16(pixel + 4, color.red ^ invert_mask_);
    } else if constexpr (kFormat == PixelFormat::kGrey8) {
      pixel[0] = gamma_.green[(ChartGrey(color) ^ invert_mask_) >> 8];
    } else {
      Put16(pixel, ChartGrey(color) ^ invert_mask_);
    }
  };
  // Every input is read before the first byte is stored: stores through a
  // byte pointer may alias anything, and would force the reads again.
  const Column* const columns = columns_.data();
  const uint16_t invert_mask = invert_mask_;
  auto encode = [&](uint32_t index, uint8_t* pixel) {
    const Column column = columns[index];
    const PixelKind kind = line.kind[column.position >> 4];
    if (kind != kChartPixel) return encode_color(kind == kMarkPixel ? line.mark : line.grid, pixel);
    const uint32_t inch = column.position & kInchMask;
    if constexpr (kFormat == PixelFormat::kColor8) {
      const uint8_t bytes[3] = {line.blue8[inch], line.green8, column.red8};
      std::memcpy(pixel, bytes, sizeof(bytes));
    } else if constexpr (kFormat == PixelFormat::kColor16) {
      const uint16_t samples[3] = {line.blue[inch], line.green,
                                   static_cast<uint16_t>(column.red ^ invert_mask)};
      std::memcpy(pixel, samples, sizeof(samples));  // little-endian, as the stream is
    } else {
      const auto grey =
          static_cast<uint16_t>(((77u * column.red + line.grey_rest[inch]) >> 8) ^ invert_mask);
      if constexpr (kFormat == PixelFormat::kGrey8) {
        pixel[0] = gamma_.green[grey >> 8];
      } else {
        std::memcpy(pixel, &grey, sizeof(grey));
      }
    }
  };

  uint32_t index = begin / kPixelBytes;
  uint32_t remaining = end - begin;
  uint8_t partial[kPixelBytes];
  if (const uint32_t skip = begin % kPixelBytes; skip != 0) {
    encode(index++, partial);
    const uint32_t taken = std::min(kPixelBytes - skip, remaining);
    std::memcpy(out, partial + skip, taken);
    out += taken;
    remaining -= taken;
  }
  for (; remaining >= kPixelBytes; remaining -= kPixelBytes, out += kPixelBytes) {
    encode(index++, out);
  }
  if (remaining != 0) {
    encode(index, partial);
    std::memcpy(out, partial, remaining);
  }
}

void ImageGenerator::GenerateBlackWhite(const Line& line, uint32_t begin, uint32_t end,
                                        uint8_t* out) const {
  // Bit 1 is light (grey at least half scale) before Invert; the padding
  // bits after the last pixel of a line are 0.
  auto light = [&](uint32_t index) {
    const Column& column = columns_[index];
    const PixelKind kind = line.kind[column.position >> 4];
    const uint32_t grey =
        kind == kChartPixel ? (77u * column.red + line.grey_rest[column.position & kInchMask]) >> 8
                            : ChartGrey(kind == kMarkPixel ? line.mark : line.grid);
    return ((grey ^ invert_mask_) & 0x8000) != 0;
  };
  for (uint32_t byte = begin; byte < end; ++byte) {
    uint8_t bits = 0;
    const uint32_t first = byte * 8;
    const uint32_t last = std::min(first + 8, layout_.pixels_per_line);
    for (uint32_t index = first; index < last; ++index) {
      if (light(index)) bits |= static_cast<uint8_t>(0x80 >> (index - first));
    }
    *out++ = bits;
  }
}

void ImageGenerator::GenerateLine(uint32_t index, uint32_t begin, uint32_t end,
                                  uint8_t* out) const {
  const Line line = LineAt(index);
  switch (layout_.format) {
    case PixelFormat::kColor8:
      return GeneratePixels<PixelFormat::kColor8>(line, begin, end, out);
    case PixelFormat::kColor16:
      return GeneratePixels<PixelFormat::kColor16>(line, begin, end, out);
    case PixelFormat::kGrey8:
      return GeneratePixels<PixelFormat::kGrey8>(line, begin, end, out);
    case PixelFormat::kGrey16:
      return GeneratePixels<PixelFormat::kGrey16>(line, begin, end, out);
    case PixelFormat::kBlackWhite:
      return GenerateBlackWhite(line, begin, end, out);
  }
}

void ImageGenerator::Generate(uint64_t offset, uint8_t* out, size_t count) const {
  const uint64_t line_bytes = layout_.bytes_per_line;
  while (count != 0) {
    const auto line = static_cast<uint32_t>(offset / line_bytes);
    const auto begin = static_cast<uint32_t>(offset % line_bytes);
    const auto end = static_cast<uint32_t>(std::min<uint64_t>(line_bytes, begin + uint64_t{count}));
    GenerateLine(line, begin, end, out);
    out += end - begin;
    offset += end - begin;
    count -= end - begin;
  }
}

}  // namespace zorvik::sim
