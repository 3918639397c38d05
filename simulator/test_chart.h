// The test chart that the simulated scanner delivers: every sample is a
// function of the pixel's absolute position on the scan area and of the
// channel, so a host can read the scan window, the resolution and the
// orientation back from the image itself.
//
// Positions are in 1/2400 inch from the top-left corner of the scan area.
// The chart, in order of precedence:
//   - a magenta mark (red and blue full, green 0) 1/10 inch square at the
//     origin;
//   - black grid lines, 1/100 inch wide, on every whole inch across and down;
//   - elsewhere red ramps from 0 to 65535 across each inch, green ramps the
//     same way down each inch, and blue names the inch cell: its high byte is
//     (inch across mod 16) * 16 + (inch down mod 16), its low byte 0x80.
// Samples are 16-bit; 8-bit data takes the high byte.
#pragma once

#include <cstdint>

namespace zorvik::sim {

inline constexpr uint32_t kChartUnitsPerInch = 2400;
inline constexpr uint32_t kChartMarkSize = 240;  // 1/10 inch
inline constexpr uint32_t kChartGridWidth = 24;  // 1/100 inch
inline constexpr uint32_t kChartUnitsPerWindowUnit = kChartUnitsPerInch / 300;

// The chart position of pixel `index` of a scan window that starts at
// `origin` (in 1/300 inch) and is scanned at `resolution` dots per inch:
// the pixel's leading edge, rounded down to whole chart units.
constexpr uint32_t ChartPosition(uint32_t origin, uint32_t index, uint32_t resolution) {
  return origin * kChartUnitsPerWindowUnit +
         static_cast<uint32_t>(uint64_t{index} * kChartUnitsPerInch / resolution);
}

struct ChartColor {
  uint16_t red;
  uint16_t green;
  uint16_t blue;
};

// What one position contributes along one axis; the chart combines the
// contribution across with the one down.
struct ChartAxis {
  bool in_mark;
  bool on_grid;
  uint16_t ramp;
  uint8_t inch;  // whole inches from the origin, mod 16
};

constexpr ChartAxis ChartAxisAt(uint32_t position) {
  const uint32_t within_inch = position % kChartUnitsPerInch;
  return ChartAxis{position < kChartMarkSize, within_inch < kChartGridWidth,
                   static_cast<uint16_t>(within_inch * 65535u / (kChartUnitsPerInch - 1)),
                   static_cast<uint8_t>((position / kChartUnitsPerInch) & 0xF)};
}

constexpr ChartColor ChartCombine(const ChartAxis& across, const ChartAxis& down) {
  if (across.in_mark && down.in_mark) return ChartColor{0xFFFF, 0, 0xFFFF};
  if (across.on_grid || down.on_grid) return ChartColor{0, 0, 0};
  return ChartColor{across.ramp, down.ramp,
                    static_cast<uint16_t>(across.inch << 12 | down.inch << 8 | 0x80)};
}

// The chart's colour at position (x, y).
constexpr ChartColor ChartColorAt(uint32_t x, uint32_t y) {
  return ChartCombine(ChartAxisAt(x), ChartAxisAt(y));
}

// The grey value of a colour, as greyscale and black-and-white scans see it.
constexpr uint16_t ChartGrey(const ChartColor& color) {
  return static_cast<uint16_t>((77u * color.red + 150u * color.green + 29u * color.blue) >> 8);
}

}  // namespace zorvik::sim
