// GetScannerCapabilities through the scanner object: every byte of the
// record, the toolkit's limits carried unconverted, and the record cleared
// when the call is refused.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "device_test_support.h"
#include "driver_error.h"

namespace zorvik::test {
namespace {

class CapabilitiesMethodTest : public DeviceOperationTest {};

void PutWord(std::vector<uint8_t>& record, size_t offset, uint16_t value) {
  record[offset] = static_cast<uint8_t>(value);
  record[offset + 1] = static_cast<uint8_t>(value >> 8);
}

void PutDword(std::vector<uint8_t>& record, size_t offset, uint32_t value) {
  PutWord(record, offset, static_cast<uint16_t>(value));
  PutWord(record, offset + 2, static_cast<uint16_t>(value >> 16));
}

// The 124 bytes a host receives, written out by offset.
std::vector<uint8_t> ExpectedCapabilities(uint16_t optical, uint16_t max_x, uint16_t max_y,
                                          uint16_t flatbed_width, uint16_t flatbed_length) {
  std::vector<uint8_t> record(124, 0);
  std::memcpy(record.data(), "7310", 5);
  PutWord(record, 16, 30);  // lamp warm-up
  PutWord(record, 18, optical);
  PutWord(record, 20, max_x);
  PutWord(record, 22, max_y);
  PutWord(record, 24, 75);  // minimum resolution; 26..27 a gap
  PutDword(record, 28, flatbed_width);
  PutDword(record, 32, 10);
  PutDword(record, 36, flatbed_length);
  PutDword(record, 40, 20);
  PutWord(record, 44, 2);   // BGR
  PutWord(record, 46, 1);   // packed
  PutDword(record, 48, 3);  // colour and grey
  PutDword(record, 52, 2);  // pixel coordinates
  PutWord(record, 56, 7);   // red, green, blue
  PutWord(record, 58, 0);   // paper path
  PutWord(record, 60, 256);
  record[62] = 8, record[63] = 16;  // colour depths
  record[70] = 8, record[71] = 16;  // grey depths; 78..79 a gap, then dwReserved
  return record;
}

std::vector<uint8_t> BytesOf(const SCANNER_CAPABILITIES& capabilities) {
  const auto* bytes = reinterpret_cast<const uint8_t*>(&capabilities);
  return {bytes, bytes + sizeof capabilities};
}

TEST_F(CapabilitiesMethodTest, TheRecordHoldsTheModelAndTheToolkitsLimits) {
  static_assert(sizeof(SCANNER_CAPABILITIES) == 124);
  const struct {
    const char* case_name;
    const char* description;
    std::vector<uint8_t> expected;
  } cases[] = {
      {"default 7310", "", ExpectedCapabilities(1200, 1200, 2400, 2550, 3510)},
      {"largest flatbed",
       "flatbed_width = 0xFFFF\nflatbed_length = 0x8001\noptical_resolution = 600\n"
       "max_x_resolution = 0xFFFF\nmax_y_resolution = 4800\nmax_grey_x_resolution = 75\n",
       ExpectedCapabilities(600, 0xFFFF, 4800, 0xFFFF, 0x8001)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.case_name);
    CloseSessions();  // the previous case's device
    const DWORD handle = OpenLocked(c.description);
    SCANNER_CAPABILITIES capabilities;
    std::memset(&capabilities, 0xCC, sizeof capabilities);
    DWORD error = 0xDEADBEEF;
    EXPECT_EQ(S_OK, scanner_.GetScannerCapabilities(handle, &capabilities, &error));
    EXPECT_EQ(kErrNoError, error);
    EXPECT_EQ(c.expected, BytesOf(capabilities));
    EXPECT_TRUE(simulator_.JournalNames().empty()) << "no toolkit call is needed";
  }
}

TEST_F(CapabilitiesMethodTest, ARefusedCallHandsBackAnAllZeroRecord) {
  const DWORD handle = OpenUnlocked();
  SCANNER_CAPABILITIES capabilities;
  std::memset(&capabilities, 0xCC, sizeof capabilities);
  DWORD error = 0;
  EXPECT_EQ(E_FAIL, scanner_.GetScannerCapabilities(handle, &capabilities, &error));
  EXPECT_EQ(kErrScannerNotLocked, error);
  EXPECT_EQ(std::vector<uint8_t>(124, 0), BytesOf(capabilities));

  // Without an error-code pointer nothing is written at all.
  std::memset(&capabilities, 0xCC, sizeof capabilities);
  EXPECT_EQ(E_POINTER, scanner_.GetScannerCapabilities(handle, &capabilities, nullptr));
  EXPECT_EQ(std::vector<uint8_t>(124, 0xCC), BytesOf(capabilities));
  EXPECT_EQ(E_POINTER, scanner_.GetScannerCapabilities(handle, nullptr, &error));
}

TEST_F(CapabilitiesMethodTest, TheRecordIsDumpedAsTheHostReceivesIt) {
  const DWORD handle = OpenLocked("flatbed_width = 0xFFFF\n");
  const size_t mark = LogMark();
  SCANNER_CAPABILITIES capabilities;
  DWORD error = 0;
  ASSERT_EQ(S_OK, scanner_.GetScannerCapabilities(handle, &capabilities, &error));
  EXPECT_TRUE(HasLinesInOrder(LogSince(mark), {" <<< SCANNER CAPABILITIES >>> ",
                                               "ModelNumber = 7310", "Maximum Width = 65535"}));
}

}  // namespace
}  // namespace zorvik::test
