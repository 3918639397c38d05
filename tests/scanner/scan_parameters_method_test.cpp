// GetBufferInfo and SetScannerParameters through the scanner object: one
// geometry for both, the records both refuse, and the 44 bytes the toolkit
// receives when the scan is started.
#include <gtest/gtest.h>

#include <cstring>

#include "device_test_support.h"
#include "driver_error.h"
#include "expected_scan_record.h"
#include "scan_parameter_row.h"

namespace zorvik::test {
namespace {

class ScanParametersMethodTest : public DeviceOperationTest {
 protected:
  // GetBufferInfo's answer for `params`; the out-record starts as a sentinel.
  HRESULT BufferInfo(DWORD handle, SCANNER_PARAMETERS params, BUFFER_INFO* info, DWORD* error) {
    std::memset(info, 0xCC, sizeof *info);
    *error = 0xDEADBEEF;
    return scanner_.GetBufferInfo(handle, &params, info, error);
  }
  HRESULT SetParameters(DWORD handle, SCANNER_PARAMETERS params, DWORD* error) {
    *error = 0xDEADBEEF;
    return scanner_.SetScannerParameters(handle, &params, error);
  }
  // The record StartScan hands to the toolkit.
  TOOLKIT_SCAN_PARAMETER RecordSentByStartScan(DWORD handle) {
    simulator_.JournalClear();
    DWORD error = 0;
    scanner_.StartScan(handle, &error);
    return LastScanParameterSent(simulator_);
  }
};

TEST_F(ScanParametersMethodTest, BothOperationsShareOneGeometry) {
  const DWORD handle = OpenLocked();
  const struct {
    const char* case_name;
    ParameterRow request;
    DWORD pixels, lines, bytes_per_line;
  } cases[] = {
      {"colour 8-bit letter", {kColor, 0, 8, 300, 300, 0, 0, 2550, 3300}, 2550, 3300, 7650},
      {"colour 16-bit at 600 dpi", {kColor, 0, 16, 600, 600, 0, 0, 2550, 3300}, 5100, 6600, 30600},
      {"grey 8-bit rounds up", {kGrey, 0, 8, 75, 75, 0, 0, 10, 10}, 3, 3, 3},
      {"BW pads to whole bytes", {kBw, 0, 8, 300, 300, 0, 0, 101, 40}, 104, 40, 13},
      {"BW in pixels is not padded", {kBw, kPixels, 8, 300, 300, 0, 0, 101, 40}, 101, 40, 13},
      {"colour 16-bit in pixels", {kColor, kPixels, 16, 150, 150, 0, 0, 1275, 20}, 1275, 20, 7650},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.case_name);
    BUFFER_INFO info;
    DWORD error;
    ASSERT_EQ(S_OK, BufferInfo(handle, ToParameters(c.request), &info, &error));
    EXPECT_EQ(kErrNoError, error);
    EXPECT_EQ(c.pixels, info.dwPixelWidth);
    EXPECT_EQ(c.lines, info.dwPixelHeight);
    EXPECT_EQ(c.bytes_per_line, info.dwBytesPerLine);
    for (const DWORD reserved : info.dwReserved) EXPECT_EQ(0u, reserved);

    ASSERT_EQ(S_OK, SetParameters(handle, ToParameters(c.request), &error));
    EXPECT_EQ(kErrNoError, error);
    const TOOLKIT_SCAN_PARAMETER sent = RecordSentByStartScan(handle);
    EXPECT_EQ(c.pixels, sent.PixelNum);
    EXPECT_EQ(c.lines, sent.LineNum);
  }
}

TEST_F(ScanParametersMethodTest, RecordsTheToolkitCannotScanAreRefusedByBoth) {
  const DWORD handle = OpenLocked();
  const struct {
    const char* case_name;
    ParameterRow request;
    DWORD buffer_info_error;
  } cases[] = {
      {"no scan mode", {0, 0, 8, 300, 300, 0, 0, 300, 300}, kErrInvalidParameter},
      {"two scan modes", {kColor | kGrey, 0, 8, 300, 300, 0, 0, 300, 300}, kErrInvalidParameter},
      {"zero x resolution", {kColor, 0, 8, 0, 300, 0, 0, 300, 300}, kErrInvalidParameter},
      {"zero y resolution in pixels",
       {kGrey, kPixels, 8, 300, 0, 0, 0, 300, 300},
       kErrInvalidParameter},
      {"wider than 65535 pixels", {kGrey, 0, 8, 2400, 300, 0, 0, 8200, 300}, kErrInvalidParameter},
      {"a window the toolkit cannot place",
       {kGrey, kPixels, 8, 75, 75, 0, 0, 20000, 10},
       kErrInvalidParameter},
      // GetBufferInfo does not look at the scan method.
      {"scan method 7", {kColor, 0, 8, 300, 300, 0, 0, 300, 300, 7}, kErrNoError},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.case_name);
    BUFFER_INFO info;
    DWORD error;
    const HRESULT result = BufferInfo(handle, ToParameters(c.request), &info, &error);
    EXPECT_EQ(c.buffer_info_error, error);
    if (c.buffer_info_error != kErrNoError) {
      EXPECT_EQ(E_FAIL, result);
      EXPECT_EQ(0xCCCCCCCCu, info.dwPixelWidth) << "BUFFER_INFO untouched";
    }
    EXPECT_EQ(E_FAIL, SetParameters(handle, ToParameters(c.request), &error));
    EXPECT_EQ(kErrInvalidParameter, error);
  }
  EXPECT_TRUE(simulator_.JournalNames().empty()) << "neither operation calls the toolkit";
}

TEST_F(ScanParametersMethodTest, WithoutAColourPixelBoundThereIsNoGeometry) {
  const DWORD handle = OpenLocked("color_pixel_bound = 0\n");
  BUFFER_INFO info;
  DWORD error;
  EXPECT_EQ(E_FAIL, BufferInfo(handle, ToParameters({kGrey, 0, 8, 300, 300, 0, 0, 300, 300}), &info,
                               &error));
  EXPECT_EQ(kErrUnknownToolkitError, error);
  EXPECT_EQ(0xCCCCCCCCu, info.dwPixelWidth);
  // SetScannerParameters does not depend on it.
  EXPECT_EQ(S_OK,
            SetParameters(handle, ToParameters({kGrey, 0, 8, 300, 300, 0, 0, 300, 300}), &error));
}

TEST_F(ScanParametersMethodTest, TheToolkitReceivesTheTranslatedRecord) {
  const TOOLKIT_SCAN_PARAMETER zero{};
  // Requests: mode, options, bits, x and y resolution, left, top, width, length, method.
  // Fields: left, top, width, length, pixels, lines, mode, method, bits a pixel, speed,
  // invert, extended, x and y resolution.
  const struct {
    const char* case_name;
    const char* description;
    ParameterRow request;
    ScanFields expected;
  } cases[] = {
      {"colour 8-bit on the 7310",
       "",
       {kColor, 0, 8, 300, 300, 30, 60, 600, 300},
       {30, 60, 600, 300, 600, 300, 4, 0, 24, 0, 0, 0x9800, 300, 300}},
      {"colour 8-bit feeder on the 6610X",
       "model = Vistrel 6610X\n",
       {kColor, 0, 8, 150, 100, 0, 0, 300, 300, kScanMethodAdf},
       {0, 0, 300, 300, 150, 100, 4, 1, 24, 1, 0, 0x9000, 150, 100}},
      {"grey 16-bit negative on the 6610X",
       "model = Vistrel 6610X\n",
       {kGrey, 0, 16, 200, 200, 3, 3, 150, 75, kScanMethodXpaNegative},
       {3, 3, 150, 75, 100, 50, 2, 2, 16, 1, 0, 0xB000, 200, 200}},
      {"BW 1-bit on the 7310",
       "",
       {kBw, 0, 1, 300, 300, 0, 0, 101, 60},
       {0, 0, 101, 60, 104, 60, 0, 0, 1, 0, 1, 0x9800, 300, 300}},
      {"colour 16-bit in pixels",
       "",
       {kColor, kPixels, 16, 150, 100, 75, 30, 1275, 100, kScanMethodXpaPositive},
       {150, 90, 2550, 300, 1275, 100, 4, 2, 48, 0, 0, 0xB800, 150, 100}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.case_name);
    CloseSessions();  // the previous case's device
    const DWORD handle = OpenLocked(c.description);
    DWORD error;
    ASSERT_EQ(S_OK, SetParameters(handle, ToParameters(c.request), &error));
    ExpectRecord(ExpectedRecord(c.expected, zero), RecordSentByStartScan(handle));
  }
}

TEST_F(ScanParametersMethodTest, A12BitRequestKeepsTheExtendedParameterOfTheCallBefore) {
  const DWORD handle = OpenLocked("model = Vistrel 6610X\n");
  DWORD error;
  ASSERT_EQ(S_OK,
            SetParameters(handle, ToParameters({kGrey, 0, 16, 300, 300, 0, 0, 30, 30}), &error));
  ASSERT_EQ(S_OK,
            SetParameters(handle, ToParameters({kColor, 0, 12, 300, 300, 0, 0, 30, 30}), &error));
  const TOOLKIT_SCAN_PARAMETER sent = RecordSentByStartScan(handle);
  EXPECT_EQ(0xB000, sent.ExtendedScanParameter);
  EXPECT_EQ(36, sent.BitsPerPixel);
  // The 7310 has no 36-bit layout: the toolkit refuses the record itself.
  DWORD start_error = 0;
  EXPECT_EQ(E_FAIL, scanner_.StartScan(handle, &start_error));
  EXPECT_EQ(kErrInvalidParameter, start_error);
}

TEST_F(ScanParametersMethodTest, TheHostsRecordAndTheGeometryAreDumped) {
  const DWORD handle = OpenLocked();
  SCANNER_PARAMETERS params = ToParameters({kBw, 0, 1, 300, 300, 0, 0, 101, 60});
  const size_t mark = LogMark();
  BUFFER_INFO info;
  DWORD error;
  ASSERT_EQ(S_OK, scanner_.GetBufferInfo(handle, &params, &info, &error));
  params.dwScanMode = 3;
  EXPECT_EQ(E_FAIL, scanner_.SetScannerParameters(handle, &params, &error));
  EXPECT_TRUE(HasLinesInOrder(
      LogSince(mark), {" << BUFFER_INFO >>> ", "Bytes Per Line = 13", "Pixel Width = 104",
                       "Pixel Height = 60", " << SCANNER PARAMETERS >>> ", "PixelWidth = 101"}));
}

}  // namespace
}  // namespace zorvik::test
