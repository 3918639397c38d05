// A randomized run of SCANNER_PARAMETERS records through the scanner
// object's GetBufferInfo and SetScannerParameters and through the record
// dumps, on a session of a simulated 7310 and of a "Vistrel 6610X" toolkit.
// Every answer, every refused record and every toolkit record left in the
// session is compared with the rules as scan_rules.h states them; every dump
// with the text dump_rules.h expects. The seed is printed so that a failure
// can be replayed (ZORVIK_SEED=<seed>).
#include <gtest/gtest.h>
#include <objbase.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string>

#include "device_files.h"
#include "dump_rules.h"
#include "log_settings.h"
#include "random_record.h"
#include "record_dumps.h"
#include "scan_rules.h"
#include "session_table.h"
#include "stress_size.h"
#include "zorvik_object.h"

namespace zorvik::test {
namespace {

constexpr uint64_t kDefaultSeed = 0x7310BAD1ULL;

uint64_t RunSeed() {
  const char* text = std::getenv("ZORVIK_SEED");
  return text != nullptr ? std::strtoull(text, nullptr, 0) : kDefaultSeed;
}

std::string Describe(const SCANNER_PARAMETERS& p) {
  std::ostringstream text;
  text << "left " << p.dwLeft << " top " << p.dwTop << " width " << p.dwWidth << " length "
       << p.dwLength << " mode " << p.dwScanMode << " options " << p.dwScanOptions << " bits "
       << unsigned{p.byBitsPerChannel} << " xres " << p.wXResolution << " yres " << p.wYResolution
       << " grey " << p.wGreyChannel << " method " << p.wScanMethod;
  return text.str();
}

std::string DumpText(void (*dump)(std::ostream&, const SCANNER_PARAMETERS&),
                     const SCANNER_PARAMETERS& p) {
  std::ostringstream out;
  dump(out, p);
  return out.str();
}

// A simulated scanner whose device file describes `description`, opened and
// locked by this thread for the life of the object.
class LockedDevice {
 public:
  LockedDevice(::zorvik::zorvik& scanner, const std::string& description)
      : scanner_(scanner), file_(description) {
    std::wstring path = file_.wide_path();
    DWORD error = 0;
    opened_ = scanner_.OpenScannerSession(path.data(), 1, &handle_, &error) == S_OK &&
              scanner_.LockScanner(handle_, 1, 5000, &error) == S_OK;
  }
  ~LockedDevice() {
    DWORD error = 0;
    scanner_.UnlockScanner(handle_, &error);
    scanner_.CloseScannerSession(handle_, &error);
  }
  LockedDevice(const LockedDevice&) = delete;
  LockedDevice& operator=(const LockedDevice&) = delete;

  bool opened() const { return opened_; }
  DWORD handle() const { return handle_; }
  TOOLKIT_SCAN_PARAMETER Record() const {
    return CSessionTable::Instance().ValidateSession(handle_)->scan_parameters();
  }

 private:
  ::zorvik::zorvik& scanner_;
  TempDeviceFile file_;
  DWORD handle_ = 0;
  bool opened_ = false;
};

struct RunCounts {
  size_t records = 0;
  size_t accepted = 0;
  size_t refused_by_buffer_info = 0;
  size_t refused_by_set = 0;
  size_t mismatches = 0;
};

// Stops reporting after this many mismatches: one record is enough to replay.
constexpr size_t kReportedMismatches = 10;

void Check(bool agrees, RunCounts& counts, size_t index, const SCANNER_PARAMETERS& p,
           const std::string& what) {
  if (agrees) return;
  if (++counts.mismatches <= kReportedMismatches) {
    ADD_FAILURE() << what << " at record " << index << " (seed 0x" << std::hex << RunSeed()
                  << std::dec << "): " << Describe(p);
  }
}

void RunRecords(::zorvik::zorvik& scanner, const LockedDevice& device, bool vistrel,
                RandomRecords& records, size_t count, RunCounts& counts) {
  for (size_t i = 0; i < count; ++i) {
    SCANNER_PARAMETERS p = records.Next();
    const SCANNER_PARAMETERS sent = p;
    const TOOLKIT_SCAN_PARAMETER before = device.Record();
    const rules::ExpectedScan expected = rules::Expect(p, vistrel, before);

    BUFFER_INFO info;
    std::memset(&info, 0xA5, sizeof info);
    BUFFER_INFO untouched = info;
    DWORD error = 0xDEADBEEF;
    const HRESULT buffer_result = scanner.GetBufferInfo(device.handle(), &p, &info, &error);
    Check(error == expected.buffer_error &&
              buffer_result == (expected.buffer_error == 0 ? S_OK : E_FAIL),
          counts, counts.records, sent, "GetBufferInfo error " + std::to_string(error));
    if (expected.buffer_error == 0) {
      BUFFER_INFO want{};
      want.dwPixelWidth = expected.pixel_width;
      want.dwPixelHeight = expected.pixel_height;
      want.dwBytesPerLine = expected.bytes_per_line;
      Check(std::memcmp(&info, &want, sizeof info) == 0, counts, counts.records, sent,
            "geometry " + std::to_string(info.dwPixelWidth) + "x" +
                std::to_string(info.dwPixelHeight) + "/" + std::to_string(info.dwBytesPerLine));
      std::ostringstream dump;
      DumpBufferInfo(dump, info);
      Check(dump.str() == rules::ExpectedBufferInfoDump(info), counts, counts.records, sent,
            "buffer-info dump");
    } else {
      Check(std::memcmp(&info, &untouched, sizeof info) == 0, counts, counts.records, sent,
            "refused BUFFER_INFO written");
    }

    error = 0xDEADBEEF;
    const HRESULT set_result = scanner.SetScannerParameters(device.handle(), &p, &error);
    Check(error == expected.set_error && set_result == (expected.set_error == 0 ? S_OK : E_FAIL),
          counts, counts.records, sent, "SetScannerParameters error " + std::to_string(error));
    const TOOLKIT_SCAN_PARAMETER after = device.Record();
    Check(rules::SameRecord(after, expected.record, expected.positions_exact), counts,
          counts.records, sent, "toolkit record");
    Check(std::memcmp(&p, &sent, sizeof p) == 0, counts, counts.records, sent,
          "the host's record was changed");

    Check(DumpText(DumpScannerParameters, sent) == rules::ExpectedParametersDump(sent), counts,
          counts.records, sent, "scanner-parameters dump");
    std::ostringstream record_dump;
    DumpToolkitScanParameter(record_dump, after);
    const std::string record_text = record_dump.str();
    Check(!record_text.empty() && record_text.back() == '\0' &&
              record_text.find("Pixel Num=" + std::to_string(after.PixelNum) + "\n") !=
                  std::string::npos,
          counts, counts.records, sent, "toolkit scan-parameter dump");

    ++counts.records;
    if (expected.buffer_error != 0) ++counts.refused_by_buffer_info;
    if (expected.set_error != 0) ++counts.refused_by_set;
    if (expected.set_error == 0) ++counts.accepted;
  }
}

TEST(RandomParametersTest, EveryRecordFollowsTheGeometryRules) {
  // Log settings of a class nobody configures: the run never logs, whatever
  // another suite writes under the ZORVIK key meanwhile.
  CLSID unconfigured{};
  ASSERT_EQ(S_OK, CoCreateGuid(&unconfigured));
  CLogSettings::Instance(unconfigured);

  const size_t total = StressCount(50'000, 1'000'000);
  const uint64_t seed = RunSeed();
  RandomRecords records(seed);
  RunCounts counts;
  ::zorvik::zorvik scanner;
  const auto start = std::chrono::steady_clock::now();
  {
    LockedDevice device(scanner, "");
    ASSERT_TRUE(device.opened());
    RunRecords(scanner, device, false, records, total / 2, counts);
  }
  {
    LockedDevice device(scanner, "model = Vistrel 6610X\n");
    ASSERT_TRUE(device.opened());
    RunRecords(scanner, device, true, records, total - total / 2, counts);
  }
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

  std::ostringstream seed_text;
  seed_text << "0x" << std::hex << seed;
  ReportFigure("random parameters",
               std::to_string(counts.records) + " records, seed " + seed_text.str() + ", " +
                   std::to_string(counts.accepted) + " accepted, " +
                   std::to_string(counts.refused_by_buffer_info) + " refused by GetBufferInfo, " +
                   std::to_string(counts.refused_by_set) + " refused by SetScannerParameters, " +
                   std::to_string(counts.mismatches) + " disagreements with the rules, " +
                   std::to_string(seconds) + " s");
  EXPECT_EQ(0u, counts.mismatches);
  EXPECT_EQ(total, counts.records);
  // The generator reaches both outcomes in earnest.
  EXPECT_GT(counts.accepted, total / 10);
  EXPECT_GT(counts.refused_by_set, total / 10);
}

}  // namespace
}  // namespace zorvik::test
