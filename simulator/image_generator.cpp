// The image stream of a scan. The chart's contribution across a line is
// computed once per scan and the one down once per line, so each pixel costs
// a combine, the Invert and gamma look-ups and its stores: reads run at
// memory speed and never hide the cost of the code that calls them.
#include "image_generator.h"

#include <algorithm>
#include <cstring>

namespace zorvik::sim {

namespace {

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

}  // namespace

GammaTables IdentityGamma() {
  GammaTables gamma;
  for (int i = 0; i < 256; ++i) {
    gamma.red[i] = gamma.green[i] = gamma.blue[i] = static_cast<uint8_t>(i);
  }
  return gamma;
}

ImageGenerator::ImageGenerator(const ScanLayout& layout, const GammaTables& gamma,
                               const ImageSource& source)
    : layout_(layout), gamma_(gamma), source_(source) {
  columns_.resize(layout.pixels_per_line);
  for (uint32_t i = 0; i < layout.pixels_per_line; ++i) {
    columns_[i] = ChartAxisAt(ChartPosition(layout.left, i, layout.x_resolution));
  }
}

ChartColor ImageGenerator::ColorAt(uint32_t column, const ChartAxis& down) const {
  if (source_.solid) return ChartColor{source_.value, source_.value, source_.value};
  return ChartCombine(columns_[column], down);
}

template <PixelFormat kFormat>
void ImageGenerator::GeneratePixels(const ChartAxis& down, uint32_t begin, uint32_t end,
                                    uint8_t* out) const {
  constexpr uint32_t kPixelBytes = BytesPerPixel(kFormat);
  auto encode = [&](uint32_t column, uint8_t* pixel) {
    const ChartColor color = ColorAt(column, down);
    if constexpr (kFormat == PixelFormat::kColor8) {
      pixel[0] = gamma_.blue[Sample(color.blue) >> 8];
      pixel[1] = gamma_.green[Sample(color.green) >> 8];
      pixel[2] = gamma_.red[Sample(color.red) >> 8];
    } else if constexpr (kFormat == PixelFormat::kColor16) {
      Put16(pixel, Sample(color.blue));
      Put16(pixel + 2, Sample(color.green));
      Put16(pixel + 4, Sample(color.red));
    } else if constexpr (kFormat == PixelFormat::kGrey8) {
      pixel[0] = gamma_.green[Sample(ChartGrey(color)) >> 8];
    } else {
      Put16(pixel, Sample(ChartGrey(color)));
    }
  };

  uint32_t column = begin / kPixelBytes;
  uint32_t remaining = end - begin;
  uint8_t partial[kPixelBytes];
  if (const uint32_t skip = begin % kPixelBytes; skip != 0) {
    encode(column++, partial);
    const uint32_t taken = std::min(kPixelBytes - skip, remaining);
    std::memcpy(out, partial + skip, taken);
    out += taken;
    remaining -= taken;
  }
  for (; remaining >= kPixelBytes; remaining -= kPixelBytes, out += kPixelBytes) {
    encode(column++, out);
  }
  if (remaining != 0) {
    encode(column, partial);
    std::memcpy(out, partial, remaining);
  }
}

void ImageGenerator::GenerateBlackWhite(const ChartAxis& down, uint32_t begin, uint32_t end,
                                        uint8_t* out) const {
  // Bit 1 is light (grey at least half scale) before Invert; the padding
  // bits after the last pixel of a line are 0.
  for (uint32_t byte = begin; byte < end; ++byte) {
    uint8_t bits = 0;
    const uint32_t first = byte * 8;
    const uint32_t last = std::min(first + 8, layout_.pixels_per_line);
    for (uint32_t column = first; column < last; ++column) {
      if (Sample(ChartGrey(ColorAt(column, down))) >= 0x8000) {
        bits |= static_cast<uint8_t>(0x80 >> (column - first));
      }
    }
    *out++ = bits;
  }
}

void ImageGenerator::GenerateLine(uint32_t line, uint32_t begin, uint32_t end, uint8_t* out) const {
  const ChartAxis down = ChartAxisAt(ChartPosition(layout_.top, line, layout_.y_resolution));
  switch (layout_.format) {
    case PixelFormat::kColor8:
      return GeneratePixels<PixelFormat::kColor8>(down, begin, end, out);
    case PixelFormat::kColor16:
      return GeneratePixels<PixelFormat::kColor16>(down, begin, end, out);
    case PixelFormat::kGrey8:
      return GeneratePixels<PixelFormat::kGrey8>(down, begin, end, out);
    case PixelFormat::kGrey16:
      return GeneratePixels<PixelFormat::kGrey16>(down, begin, end, out);
    case PixelFormat::kBlackWhite:
      return GenerateBlackWhite(down, begin, end, out);
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
