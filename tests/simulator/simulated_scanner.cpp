// The simulator tests' fixture and the independent expected image.
#include "simulated_scanner.h"

#include "test_chart.h"

namespace zorvik::test {

namespace {

void Put16(std::vector<uint8_t>* out, uint16_t value) {
  out->push_back(static_cast<uint8_t>(value & 0xFF));
  out->push_back(static_cast<uint8_t>(value >> 8));
}

}  // namespace

Gamma DistinctTables() {
  Gamma gamma;
  for (int i = 0; i < 256; ++i) {
    gamma.red[i] = static_cast<uint8_t>(255 - i);
    gamma.green[i] = static_cast<uint8_t>(i ^ 0x5A);
    gamma.blue[i] = static_cast<uint8_t>(i / 2);
  }
  return gamma;
}

TOOLKIT_SCAN_PARAMETER ScanRecord(uint8_t scan_mode, uint8_t bits_per_pixel, uint16_t left,
                                  uint16_t top, uint16_t pixels, uint16_t lines,
                                  uint16_t x_resolution, uint16_t y_resolution, uint8_t invert) {
  TOOLKIT_SCAN_PARAMETER record{};
  record.PixelLeft = left;
  record.PixelTop = top;
  record.PixelWidth = static_cast<uint16_t>(pixels * 300 / x_resolution);
  record.PixelLength = static_cast<uint16_t>(lines * 300 / y_resolution);
  record.PixelNum = pixels;
  record.LineNum = lines;
  record.ScanMode = scan_mode;
  record.BitsPerPixel = bits_per_pixel;
  record.Invert = invert;
  record.XRes = x_resolution;
  record.YRes = y_resolution;
  return record;
}

std::vector<uint8_t> ExpectedImage(const TOOLKIT_SCAN_PARAMETER& r, const Gamma& gamma) {
  std::vector<uint8_t> image;
  const auto invert = [&](uint16_t sample) -> uint16_t {
    return r.Invert ? static_cast<uint16_t>(65535 - sample) : sample;
  };
  for (uint32_t line = 0; line < r.LineNum; ++line) {
    // A pixel's leading edge in 1/2400 inch, from the window origin in 1/300 inch.
    const uint32_t y = r.PixelTop * 8u + static_cast<uint32_t>(line * 2400ull / r.YRes);
    uint8_t bits = 0;
    for (uint32_t pixel = 0; pixel < r.PixelNum; ++pixel) {
      const uint32_t x = r.PixelLeft * 8u + static_cast<uint32_t>(pixel * 2400ull / r.XRes);
      const sim::ChartColor color = sim::ChartColorAt(x, y);
      const uint16_t grey = invert(sim::ChartGrey(color));
      if (r.ScanMode == 4 && r.BitsPerPixel == 24) {
        image.push_back(gamma.blue[invert(color.blue) >> 8]);
        image.push_back(gamma.green[invert(color.green) >> 8]);
        image.push_back(gamma.red[invert(color.red) >> 8]);
      } else if (r.ScanMode == 4) {
        Put16(&image, invert(color.blue));
        Put16(&image, invert(color.green));
        Put16(&image, invert(color.red));
      } else if (r.ScanMode == 2 && r.BitsPerPixel == 8) {
        image.push_back(gamma.green[grey >> 8]);
      } else if (r.ScanMode == 2) {
        Put16(&image, grey);
      } else {
        if (grey >= 0x8000) bits |= static_cast<uint8_t>(0x80 >> (pixel % 8));
        if (pixel % 8 == 7 || pixel + 1 == r.PixelNum) {
          image.push_back(bits);
          bits = 0;
        }
      }
    }
  }
  return image;
}

void SimulatorTest::SetUp() {
  ASSERT_TRUE(simulator_.loaded());
  simulator_.Reset();
  ASSERT_EQ(1, toolkit_.IsValid());
}

void SimulatorTest::StartUp(HANDLE device) {
  ASSERT_EQ(1, toolkit_.SetIOHandle(device));
  ASSERT_EQ(1, toolkit_.InitializeDriver());
  ASSERT_EQ(1, toolkit_.InitializeScanner());
}

uint8_t SimulatorTest::ErrorStatus() {
  uint8_t status[4] = {0xEE, 0xEE, 0xEE, 0xEE};
  EXPECT_EQ(1, toolkit_.GetScannerStatus(&status[0], &status[1], &status[2], &status[3]));
  return status[3];
}

void SimulatorTest::SendGamma(const Gamma& gamma) {
  ASSERT_EQ(1, toolkit_.SetGammaTable(gamma.red.data(), 1, 256));
  ASSERT_EQ(1, toolkit_.SetGammaTable(gamma.green.data(), 2, 256));
  ASSERT_EQ(1, toolkit_.SetGammaTable(gamma.blue.data(), 3, 256));
}

std::vector<uint8_t> SimulatorTest::ReadImage(size_t bytes, size_t chunk) {
  constexpr size_t kTail = 16;
  std::vector<uint8_t> image;
  std::vector<uint8_t> buffer(chunk + kTail);
  while (image.size() < bytes) {
    const size_t count = std::min(chunk, bytes - image.size());
    std::fill(buffer.begin(), buffer.end(), 0xA5);
    uint8_t status = 0xEE;
    const int32_t result = toolkit_.ReadScan(&status, buffer.data(), static_cast<uint32_t>(count));
    if (result == 0 || status != 0) {
      ADD_FAILURE() << "ReadScan failed at byte " << image.size() << ": status " << int(status)
                    << ", error status " << int(ErrorStatus());
      break;
    }
    for (size_t i = count; i < buffer.size(); ++i) {
      if (buffer[i] != 0xA5) {
        ADD_FAILURE() << "ReadScan wrote past the " << count << " bytes asked for";
        break;
      }
    }
    image.insert(image.end(), buffer.begin(), buffer.begin() + count);
  }
  return image;
}

std::string SimulatorTest::ModelName() {
  TOOLKIT_ABILITY ability{};
  EXPECT_EQ(1, toolkit_.GetScannerAbilityEx(&ability));
  return std::string(ability.ModelName, strnlen(ability.ModelName, sizeof(ability.ModelName)));
}

}  // namespace zorvik::test
