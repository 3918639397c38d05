// The check behind packaged_example_test.sh: the raw file the package's
// example host wrote holds the simulated scanner's chart under its scan
// window (one inch by half an inch at 75 dpi, half an inch in and an inch and
// a half down, colour, identity gamma), byte for byte.
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "child_process.h"
#include "test_chart.h"

namespace {

constexpr uint32_t kLeft300ths = 150;
constexpr uint32_t kTop300ths = 450;
constexpr uint32_t kResolution = 75;
constexpr uint32_t kWidth = 75;   // 300/300 inch at 75 dpi
constexpr uint32_t kHeight = 38;  // 150/300 inch at 75 dpi, a part line counting whole

}  // namespace

ZORVIK_CHILD_ROLE(check_example_scan) {
  std::ifstream file(std::filesystem::path(argument), std::ios::binary);
  const std::vector<char> bytes((std::istreambuf_iterator<char>(file)),
                                std::istreambuf_iterator<char>());
  if (bytes.size() != size_t{kWidth} * 3 * kHeight) {
    std::fprintf(stderr, "the example wrote %zu bytes, not %u\n", bytes.size(),
                 kWidth * 3 * kHeight);
    return 1;
  }
  for (uint32_t y = 0; y < kHeight; ++y) {
    for (uint32_t x = 0; x < kWidth; ++x) {
      const zorvik::sim::ChartColor chart =
          zorvik::sim::ChartColorAt(zorvik::sim::ChartPosition(kLeft300ths, x, kResolution),
                                    zorvik::sim::ChartPosition(kTop300ths, y, kResolution));
      // Blue, green, red; an 8-bit sample is the chart's top byte.
      const uint8_t expected[3] = {static_cast<uint8_t>(chart.blue >> 8),
                                   static_cast<uint8_t>(chart.green >> 8),
                                   static_cast<uint8_t>(chart.red >> 8)};
      for (int channel = 0; channel < 3; ++channel) {
        const uint8_t got = static_cast<uint8_t>(bytes[(size_t{y} * kWidth + x) * 3 + channel]);
        if (got != expected[channel]) {
          std::fprintf(stderr, "pixel (%u, %u) channel %d is %u, the chart has %u\n", x, y, channel,
                       got, expected[channel]);
          return 1;
        }
      }
    }
  }
  return 0;
}
