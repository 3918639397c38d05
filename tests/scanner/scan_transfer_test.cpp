// The scan through the scanner object: what StartScan sends and where it
// stops, the image bytes the host receives against the chart, failed reads,
// and the lamp, reset and gamma operations around a scan.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "device_test_support.h"
#include "driver_error.h"
#include "scan_parameter_row.h"
#include "simulated_scanner.h"

namespace zorvik::test {
namespace {

class ScanTransferTest : public DeviceOperationTest {
 protected:
  void SetGamma(DWORD handle, const Gamma& gamma) {
    // The interface takes writable pointers; the tables are only read.
    Gamma copy = gamma;
    DWORD error = 0xDEADBEEF;
    EXPECT_EQ(S_OK, scanner_.SetGammaTable(handle, 256, copy.red.data(), copy.green.data(),
                                           copy.blue.data(), &error));
    EXPECT_EQ(kErrNoError, error);
  }

  // Sets `request`, starts the scan and returns the geometry the host was told.
  BUFFER_INFO Start(DWORD handle, const ParameterRow& request) {
    SCANNER_PARAMETERS params = ToParameters(request);
    BUFFER_INFO info{};
    DWORD error = 0xDEADBEEF;
    EXPECT_EQ(S_OK, scanner_.GetBufferInfo(handle, &params, &info, &error));
    EXPECT_EQ(S_OK, scanner_.SetScannerParameters(handle, &params, &error));
    EXPECT_EQ(S_OK, scanner_.StartScan(handle, &error));
    EXPECT_EQ(kErrNoError, error);
    return info;
  }

  // `total` bytes in reads of at most `chunk`, alternating ReadScan and
  // ReadScanEx, so both deliver into the host's buffer.
  std::vector<uint8_t> ReadAll(DWORD handle, size_t total, size_t chunk) {
    std::vector<uint8_t> image(total);
    bool extended = false;
    for (size_t offset = 0; offset < total; offset += chunk, extended = !extended) {
      const DWORD count = static_cast<DWORD>(std::min(chunk, total - offset));
      DWORD error = 0xDEADBEEF;
      DWORD read = 0xDEADBEEF;
      const HRESULT result = extended
                                 ? scanner_.ReadScanEx(handle, &image[offset], count, &read, &error)
                                 : scanner_.ReadScan(handle, &image[offset], count, &error);
      if (result != S_OK || error != kErrNoError || (extended && read != count)) {
        ADD_FAILURE() << "read at byte " << offset << " failed: error code " << error;
        break;
      }
    }
    return image;
  }

  static std::vector<uint8_t> TableSent(const sim::SIM_JOURNAL_ENTRY& call) {
    return {call.Data, call.Data + call.DataSize};
  }
};

TEST_F(ScanTransferTest, AWholeScanDeliversTheChartOfItsWindow) {
  // The record the scanner is expected to receive: mode, bits a pixel, left,
  // top (1/300 inch), pixels, lines, resolutions, invert.
  const struct {
    const char* case_name;
    ParameterRow request;
    TOOLKIT_SCAN_PARAMETER scanned;
    Gamma gamma;
    size_t chunk;
  } cases[] = {
      {"colour 8-bit, one inch in, distinct tables",
       {kColor, 0, 8, 150, 150, 300, 150, 300, 150},
       ScanRecord(4, 24, 300, 150, 150, 75, 150, 150),
       DistinctTables(),
       450},
      {"colour 16-bit at 75 dpi",
       {kColor, 0, 16, 75, 75, 0, 0, 300, 150},
       ScanRecord(4, 48, 0, 0, 75, 38, 75, 75),
       sim::IdentityGamma(),
       1001},
      {"grey 8-bit in pixels",
       {kGrey, kPixels, 8, 100, 100, 10, 5, 101, 40},
       ScanRecord(2, 8, 30, 15, 101, 40, 100, 100),
       DistinctTables(),
       101},
      {"grey 16-bit at 200 dpi",
       {kGrey, 0, 16, 200, 200, 600, 0, 150, 75},
       ScanRecord(2, 16, 600, 0, 100, 50, 200, 200),
       sim::IdentityGamma(),
       777},
      {"BW padded",
       {kBw, 0, 1, 300, 300, 0, 0, 101, 60},
       ScanRecord(0, 1, 0, 0, 104, 60, 300, 300, 1),
       sim::IdentityGamma(),
       13},
      {"BW in pixels, lines end inside a byte",
       {kBw, kPixels, 1, 300, 300, 0, 0, 101, 60},
       ScanRecord(0, 1, 0, 0, 101, 60, 300, 300, 1),
       sim::IdentityGamma(),
       64},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.case_name);
    CloseSessions();  // the previous case's device
    const DWORD handle = OpenLocked();
    SetGamma(handle, c.gamma);
    const BUFFER_INFO info = Start(handle, c.request);
    const std::vector<uint8_t> expected = ExpectedImage(c.scanned, c.gamma);
    ASSERT_EQ(expected.size(), size_t{info.dwPixelHeight} * info.dwBytesPerLine)
        << "the lines the host sized its buffers for";
    EXPECT_EQ(expected, ReadAll(handle, expected.size(), c.chunk));

    // The image is used up: the toolkit refuses more.
    BYTE beyond[4];
    DWORD error = 0;
    DWORD read = 0xDEADBEEF;
    EXPECT_EQ(E_FAIL, scanner_.ReadScanEx(handle, beyond, sizeof beyond, &read, &error));
    EXPECT_EQ(kErrInvalidParameter, error);
    EXPECT_EQ(0u, read);
    EXPECT_EQ(S_OK, scanner_.StopScan(handle, &error));
  }
}

TEST_F(ScanTransferTest, StartScanSendsTheRecordAndTheThreeTablesThenStarts) {
  const DWORD handle = OpenLocked();
  DWORD error = 0;
  SCANNER_PARAMETERS params = ToParameters({kGrey, 0, 8, 300, 300, 0, 0, 30, 30});
  ASSERT_EQ(S_OK, scanner_.SetScannerParameters(handle, &params, &error));
  simulator_.JournalClear();
  EXPECT_EQ(S_OK, scanner_.StartScan(handle, &error));
  EXPECT_EQ((std::vector<std::string>{"SetIOHandle", "SetScanParameter", "SetGammaTable",
                                      "SetGammaTable", "SetGammaTable", "StartScan"}),
            simulator_.JournalNames());
  // Tables never set are all zero, sent as 256 entries for channels 1, 2, 3.
  const auto tables = JournalCallsOf(simulator_, "SetGammaTable");
  ASSERT_EQ(3u, tables.size());
  for (size_t i = 0; i < tables.size(); ++i) {
    EXPECT_EQ(i + 1, tables[i].Arguments[1]) << "channel";
    EXPECT_EQ(256u, tables[i].Arguments[2]) << "entries";
    EXPECT_EQ(std::vector<uint8_t>(256, 0), TableSent(tables[i]));
  }
  EXPECT_EQ(S_OK, scanner_.StopScan(handle, &error));
}

TEST_F(ScanTransferTest, StartScanStopsAtTheFirstRequestRefused) {
  const struct {
    const char* case_name;
    const char* description;
    bool set_parameters;
    std::vector<std::string> calls;
    DWORD error;
  } cases[] = {
      // A session whose parameters were never set sends a zero record, which
      // no scanner can scan.
      {"nothing set",
       "",
       false,
       {"SetIOHandle", "SetScanParameter", "SetIOHandle", "GetScannerStatus"},
       kErrInvalidParameter},
      {"green table refused",
       "fail = SetGammaTable status 3 from 2 times 1\n",
       true,
       {"SetIOHandle", "SetScanParameter", "SetGammaTable", "SetGammaTable", "SetIOHandle",
        "GetScannerStatus"},
       kErrCommunicationFailure},
      {"lamp off",
       "lamp = off\n",
       true,
       {"SetIOHandle", "SetScanParameter", "SetGammaTable", "SetGammaTable", "SetGammaTable",
        "StartScan", "SetIOHandle", "GetScannerStatus"},
       kErrLampOff},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.case_name);
    CloseSessions();  // the previous case's device
    const DWORD handle = OpenLocked(c.description);
    DWORD error = 0;
    if (c.set_parameters) {
      SCANNER_PARAMETERS params = ToParameters({kGrey, 0, 8, 300, 300, 0, 0, 30, 30});
      ASSERT_EQ(S_OK, scanner_.SetScannerParameters(handle, &params, &error));
      simulator_.JournalClear();
    }
    EXPECT_EQ(E_FAIL, scanner_.StartScan(handle, &error));
    EXPECT_EQ(c.error, error);
    EXPECT_EQ(c.calls, simulator_.JournalNames());
    if (!c.set_parameters) {
      EXPECT_EQ(std::vector<uint8_t>(44, 0),
                TableSent(JournalCallsOf(simulator_, "SetScanParameter").at(0)));
    }
  }
}

TEST_F(ScanTransferTest, AFailedReadCountsNothingRead) {
  // The scripted fault fires at image byte 100; the first read stops short of it.
  const struct {
    const char* case_name;
    const char* description;
    DWORD error;
  } cases[] = {
      {"read refused", "fail = ReadScan status 3 after 100\n", kErrCommunicationFailure},
      {"status byte set", "fail = ReadScan status 150 after 100 status_byte 7\n",
       kErrCommunicationFailure},
      {"status byte set without a reason", "fail = ReadScan status 0 after 100 status_byte 1\n",
       kErrNoError},
  };
  for (const bool extended : {false, true}) {
    for (const auto& c : cases) {
      SCOPED_TRACE(std::string(c.case_name) + (extended ? ", ReadScanEx" : ", ReadScan"));
      CloseSessions();  // the previous case's device
      const DWORD handle = OpenLocked(c.description);
      Start(handle, {kGrey, 0, 8, 300, 300, 0, 0, 300, 300});
      BYTE buffer[200];
      DWORD error = 0xDEADBEEF;
      DWORD read = 0xDEADBEEF;
      const auto read_scan = [&](DWORD bytes) {
        return extended ? scanner_.ReadScanEx(handle, buffer, bytes, &read, &error)
                        : scanner_.ReadScan(handle, buffer, bytes, &error);
      };
      EXPECT_EQ(S_OK, read_scan(50));
      EXPECT_EQ(kErrNoError, error);
      if (extended) {
        EXPECT_EQ(50u, read);
      }
      EXPECT_EQ(E_FAIL, read_scan(100));
      EXPECT_EQ(c.error, error);
      if (extended) {
        EXPECT_EQ(0u, read);
      }
    }
  }
}

TEST_F(ScanTransferTest, ReadsWithoutAScanGoToTheToolkit) {
  const DWORD handle = OpenLocked();
  BYTE buffer[8];
  DWORD error = 0;
  DWORD read = 0xDEADBEEF;
  EXPECT_EQ(E_FAIL, scanner_.ReadScanEx(handle, buffer, 0, &read, &error));
  EXPECT_EQ(kErrInvalidParameter, error) << "the toolkit has no scan running";
  EXPECT_EQ(0u, read);
  EXPECT_EQ(
      (std::vector<std::string>{"SetIOHandle", "ReadScan", "SetIOHandle", "GetScannerStatus"}),
      simulator_.JournalNames());
  EXPECT_EQ(E_POINTER, scanner_.ReadScan(handle, nullptr, 0, &error));
  EXPECT_EQ(E_POINTER, scanner_.ReadScanEx(handle, buffer, 1, nullptr, &error));
}

TEST_F(ScanTransferTest, GammaTablesChangeOnlyTheEntriesGiven) {
  const DWORD handle = OpenLocked();
  SetGamma(handle, sim::IdentityGamma());
  std::vector<BYTE> red = RampTable(100), green = RampTable(150), blue = RampTable(200);
  DWORD error = 0xDEADBEEF;
  EXPECT_EQ(S_OK,
            scanner_.SetGammaTable(handle, 16, red.data(), green.data(), blue.data(), &error));
  EXPECT_EQ(S_OK, scanner_.SetGammaTable(handle, 0, red.data(), green.data(), blue.data(), &error));

  // Refused whole: more entries than a table has, or a missing table.
  EXPECT_EQ(E_FAIL,
            scanner_.SetGammaTable(handle, 257, red.data(), green.data(), blue.data(), &error));
  EXPECT_EQ(kErrInvalidParameter, error);
  EXPECT_EQ(E_FAIL, scanner_.SetGammaTable(handle, 0xFFFFFFFF, red.data(), green.data(),
                                           blue.data(), &error));
  error = 0xDEADBEEF;
  EXPECT_EQ(E_POINTER,
            scanner_.SetGammaTable(handle, 16, red.data(), nullptr, blue.data(), &error));
  EXPECT_EQ(0xDEADBEEFu, error);

  SCANNER_PARAMETERS params = ToParameters({kGrey, 0, 8, 300, 300, 0, 0, 30, 30});
  ASSERT_EQ(S_OK, scanner_.SetScannerParameters(handle, &params, &error));
  simulator_.JournalClear();
  ASSERT_EQ(S_OK, scanner_.StartScan(handle, &error));
  const auto tables = JournalCallsOf(simulator_, "SetGammaTable");
  ASSERT_EQ(3u, tables.size());
  const std::vector<BYTE>* given[] = {&red, &green, &blue};
  for (size_t i = 0; i < 3; ++i) {
    SCOPED_TRACE(i);
    std::vector<uint8_t> expected = RampTable(0);
    std::copy_n(given[i]->begin(), 16, expected.begin());
    EXPECT_EQ(expected, TableSent(tables[i]));
  }
  EXPECT_EQ(S_OK, scanner_.StopScan(handle, &error));
}

TEST_F(ScanTransferTest, LampAndResetAreOneToolkitRequestEach) {
  const DWORD handle = OpenLocked("lamp = off\nfail = LampOn status 178 times 1\n");
  BYTE lamp = 0xCC;
  DWORD error = 0xDEADBEEF;
  EXPECT_EQ(S_OK, scanner_.GetLampStatus(handle, &lamp, &error));
  EXPECT_EQ(0, lamp);
  EXPECT_EQ(E_FAIL, scanner_.LampOn(handle, &error));
  EXPECT_EQ(kErrLampOff, error);
  EXPECT_EQ(S_OK, scanner_.LampOn(handle, &error));
  EXPECT_EQ(kErrNoError, error);
  EXPECT_EQ(S_OK, scanner_.GetLampStatus(handle, &lamp, &error));
  EXPECT_EQ(1, lamp);
  EXPECT_EQ(S_OK, scanner_.LampOff(handle, &error));
  EXPECT_EQ(S_OK, scanner_.GetLampStatus(handle, &lamp, &error));
  EXPECT_EQ(0, lamp);
  EXPECT_EQ((std::vector<std::string>{"SetIOHandle", "GetLightStatus", "SetIOHandle", "LampOn",
                                      "SetIOHandle", "GetScannerStatus", "SetIOHandle", "LampOn",
                                      "SetIOHandle", "GetLightStatus", "SetIOHandle", "LampOff",
                                      "SetIOHandle", "GetLightStatus"}),
            simulator_.JournalNames());

  // The toolkit would store the lamp state through a null pointer.
  simulator_.JournalClear();
  EXPECT_EQ(E_POINTER, scanner_.GetLampStatus(handle, nullptr, &error));
  // InitializeScanner only checks the handle and the lock.
  EXPECT_EQ(S_OK, scanner_.InitializeScanner(handle, &error));
  EXPECT_TRUE(simulator_.JournalNames().empty());

  // A reset ends the scan that was running.
  EXPECT_EQ(S_OK, scanner_.LampOn(handle, &error));
  Start(handle, {kGrey, 0, 8, 300, 300, 0, 0, 30, 30});
  EXPECT_EQ(S_OK, scanner_.ResetScanner(handle, &error));
  BYTE buffer[4];
  EXPECT_EQ(E_FAIL, scanner_.ReadScan(handle, buffer, sizeof buffer, &error));
  EXPECT_EQ(kErrInvalidParameter, error);
}

}  // namespace
}  // namespace zorvik::test
