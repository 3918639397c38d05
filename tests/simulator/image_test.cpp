// A scan delivers exactly the image its parameter record asks for: checked
// byte for byte against the chart's definition, for each pixel format, with
// windows away from the origin and reads that split pixels and lines.
#include <gtest/gtest.h>

#include "device_files.h"
#include "simulated_scanner.h"

namespace zorvik::test {
namespace {

struct ImageCase {
  const char* name;
  TOOLKIT_SCAN_PARAMETER record;
  size_t chunk;  // bytes per read; 0: the whole image at once
};

// First differing byte, so a failure names a place rather than two dumps.
testing::AssertionResult SameImage(const std::vector<uint8_t>& expected,
                                   const std::vector<uint8_t>& actual) {
  if (expected.size() != actual.size()) {
    return testing::AssertionFailure()
           << "size " << actual.size() << ", expected " << expected.size();
  }
  for (size_t i = 0; i < expected.size(); ++i) {
    if (expected[i] != actual[i]) {
      return testing::AssertionFailure()
             << "byte " << i << " is " << int(actual[i]) << ", expected " << int(expected[i]);
    }
  }
  return testing::AssertionSuccess();
}

class ScanImage : public SimulatorTest {};

TEST_F(ScanImage, MatchesTheChartForEveryFormatAndWindow) {
  const ImageCase cases[] = {
      {"colour 8 bit at the origin", ScanRecord(4, 24, 0, 0, 48, 40, 300, 300), 0},
      {"colour 16 bit across inch lines", ScanRecord(4, 48, 290, 290, 40, 24, 150, 300), 7},
      {"grey 8 bit at 600 dpi, odd width", ScanRecord(2, 8, 600, 900, 33, 20, 600, 600), 1000},
      {"grey 16 bit at 75 dpi", ScanRecord(2, 16, 0, 0, 80, 40, 75, 75), 0},
      {"grey 16 bit inverted", ScanRecord(2, 16, 250, 0, 40, 40, 300, 300, 1), 9},
      {"colour 8 bit inverted, across the mark and the grid",
       ScanRecord(4, 24, 0, 0, 30, 30, 150, 150, 1), 11},
      {"black and white inverted, 101 pixels a line",
       ScanRecord(0, 1, 280, 0, 101, 60, 300, 300, 1), 5},
      {"black and white from 8 bits, not inverted", ScanRecord(0, 8, 0, 280, 64, 30, 300, 300), 0},
      {"colour window far from the origin, 100 x 1200 dpi",
       ScanRecord(4, 24, 1234, 2345, 50, 50, 100, 1200), 13},
  };
  StartUp(nullptr);
  const Gamma gamma = DistinctTables();
  SendGamma(gamma);
  for (const ImageCase& c : cases) {
    SCOPED_TRACE(c.name);
    const std::vector<uint8_t> expected = ExpectedImage(c.record, gamma);
    ASSERT_EQ(1, toolkit_.SetScanParameter(&c.record));
    ASSERT_EQ(1, toolkit_.StartScan());
    EXPECT_TRUE(
        SameImage(expected, ReadImage(expected.size(), c.chunk ? c.chunk : expected.size())));
    EXPECT_EQ(1, toolkit_.StopScan());
  }
}

TEST_F(ScanImage, ReadPastTheEndDeliversTheRestAndFails) {
  StartUp(nullptr);
  const TOOLKIT_SCAN_PARAMETER record = ScanRecord(2, 8, 0, 0, 10, 3, 300, 300);
  const std::vector<uint8_t> expected = ExpectedImage(record, sim::IdentityGamma());
  ASSERT_EQ(1, toolkit_.SetScanParameter(&record));
  ASSERT_EQ(1, toolkit_.StartScan());
  ASSERT_TRUE(SameImage({expected.begin(), expected.begin() + 25}, ReadImage(25, 25)));

  std::vector<uint8_t> buffer(10, 0xA5);
  uint8_t status = 0;
  EXPECT_EQ(0, toolkit_.ReadScan(&status, buffer.data(), 10));
  EXPECT_EQ(6, ErrorStatus());
  EXPECT_TRUE(
      SameImage({expected.begin() + 25, expected.end()}, {buffer.begin(), buffer.begin() + 5}));
  EXPECT_EQ(std::vector<uint8_t>(5, 0xA5), std::vector<uint8_t>(buffer.begin() + 5, buffer.end()));
}

TEST_F(ScanImage, SolidImageIgnoresTheChart) {
  OpenedDeviceFile device("image = solid 0x4000\n");
  StartUp(device.handle());
  const TOOLKIT_SCAN_PARAMETER record = ScanRecord(4, 48, 0, 0, 4, 2, 300, 300);
  ASSERT_EQ(1, toolkit_.SetScanParameter(&record));
  ASSERT_EQ(1, toolkit_.StartScan());
  std::vector<uint8_t> expected;
  for (int sample = 0; sample < 4 * 2 * 3; ++sample) expected.insert(expected.end(), {0x00, 0x40});
  EXPECT_TRUE(SameImage(expected, ReadImage(expected.size(), expected.size())));
}

}  // namespace
}  // namespace zorvik::test
