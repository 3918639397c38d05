// The pure pieces of the host program: line conversions, the progress bar
// and summary, and the failure lines with their exit statuses.
#include <gtest/gtest.h>

#include <sstream>
#include <vector>

#include <windows.h>

#include "limits_7310.h"
#include "call_report.h"
#include "scan_pixels.h"
#include "scan_progress.h"
#include "scanner_text.h"
#include "system_message.h"
#include "usage_text.h"
#include "wait_notice.h"

namespace zorvik::host {
namespace {

TEST(ScanPixels, LayoutAndLineLengthFollowModeAndDepth) {
  struct Case {
    ScanMode mode;
    uint8_t depth;
    ScanPixels pixels;
    uint64_t bytes_for_13_pixels;
  };
  const Case cases[] = {
      {ScanMode::kColor, 8, ScanPixels::kBgr24, 39},
      {ScanMode::kColor, 16, ScanPixels::kBgr48, 78},
      {ScanMode::kGray, 8, ScanPixels::kGrey8, 13},
      {ScanMode::kGray, 16, ScanPixels::kGrey16, 26},
      {ScanMode::kLineart, 1, ScanPixels::kBlackIsOne1, 2},
  };
  for (const Case& test : cases) {
    EXPECT_EQ(test.pixels, ScanPixelsFor(test.mode, test.depth));
    EXPECT_EQ(test.bytes_for_13_pixels, BytesPerLine(BitsPerPixel(test.pixels), 13));
  }
}

TEST(ConvertLines, EachConversionRespectsBothStrides) {
  struct Case {
    const char* label;
    LineConversion conversion;
    uint32_t source_bits;
    uint32_t width;
    std::vector<uint8_t> source;  // two lines, `source_stride` apart
    size_t source_stride;
    std::vector<uint8_t> target;  // two lines of the converted width, back to back
  };
  const Case cases[] = {
      {"copy", LineConversion::kCopy, 8, 2, {1, 2, 99, 3, 4, 99}, 3, {1, 2, 3, 4}},
      {"invert",
       LineConversion::kInvertBits,
       1,
       9,
       {0x0F, 0x80, 0xF0, 0x00},
       2,
       {0xF0, 0x7F, 0x0F, 0xFF}},
      {"swap 8",
       LineConversion::kSwapRedBlue8,
       24,
       1,
       {1, 2, 3, 9, 4, 5, 6, 9},
       4,
       {3, 2, 1, 6, 5, 4}},
      {"swap 16",
       LineConversion::kSwapRedBlue16,
       48,
       1,
       {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12},
       6,
       {5, 6, 3, 4, 1, 2, 11, 12, 9, 10, 7, 8}},
      // Bits after the third pixel are the scanner's padding, left out.
      {"black is one to grey 8",
       LineConversion::kBlackIsOneToGrey8,
       1,
       3,
       {0xA0, 0x5F},
       1,
       {0, 255, 0, 255, 0, 255}},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(test.label);
    const size_t target_stride =
        BytesPerLine(ConvertedBitsPerPixel(test.conversion, test.source_bits), test.width);
    std::vector<uint8_t> target(test.target.size() + 1, 0xEE);
    ConvertLines(test.conversion, test.source_bits, test.source.data(), test.source_stride,
                 target.data(), target_stride, test.width, 2);
    EXPECT_EQ(test.target, std::vector<uint8_t>(target.begin(), target.end() - 1));
    EXPECT_EQ(0xEE, target.back()) << "wrote past the last line";
  }
}

TEST(SwapSampleBytes, SwapsEveryPair) {
  std::vector<uint8_t> samples = {1, 2, 3, 4, 5};
  SwapSampleBytes(samples.data(), samples.size());
  EXPECT_EQ((std::vector<uint8_t>{2, 1, 4, 3, 5}), samples);
}

TEST(FormatProgressBar, FillsWithThePercentageAndShowsTheRateOnceTimeHasPassed) {
  EXPECT_EQ("[----------]   0%", FormatProgressBar(0, 1000, 0, 10));
  EXPECT_EQ("[#####-----]  50%  1.00 MB/s", FormatProgressBar(500000, 1000000, 0.5, 10));
  EXPECT_EQ("[#########-]  99%  0.00 MB/s", FormatProgressBar(999, 1000, 1, 10));
  EXPECT_EQ("[##########] 100%", FormatProgressBar(2000, 1000, 0, 10));
  EXPECT_EQ("[##########] 100%", FormatProgressBar(0, 0, 0, 10));
}

TEST(ProgressBar, RedrawsOnlyWhenThePercentageChanges) {
  ProgressBar bar(1000, 10);
  std::vector<std::string> drawn;
  for (uint64_t done = 0; done <= 1000; done += 3) {
    if (auto text = bar.Update(done, 0)) drawn.push_back(*text);
  }
  if (auto text = bar.Update(1000, 0)) drawn.push_back(*text);
  EXPECT_EQ(101u, drawn.size());
  EXPECT_EQ("[----------]   0%", drawn.front());
  EXPECT_EQ("[##########] 100%", drawn.back());
}

TEST(FormatScanSummary, GivesPixelsLinesBytesTimeAndRate) {
  EXPECT_EQ(
      "Scanned 2550 x 3300 pixels (8415000), 3300 lines, 25245000 bytes in 2.50 s: "
      "10.10 MB/s",
      FormatScanSummary({2550, 3300, 25245000, 2.5}));
  EXPECT_EQ("Scanned 3 x 2 pixels (6), 2 lines, 6 bytes in 0.00 s",
            FormatScanSummary({3, 2, 6, 0.0001}));
}

TEST(FormatMethodFailure, NamesTheMethodTheHresultAndTheDriverError) {
  EXPECT_EQ(
      "LockScanner failed: HRESULT 0x80004005 (E_FAIL), driver error 5 (Scanner Lock "
      "Failed)",
      FormatMethodFailure("LockScanner", 0x80004005, 5));
  EXPECT_EQ("ReadScanEx failed: HRESULT 0x80004005 (E_FAIL), driver error 100 (ADF is Jammed)",
            FormatMethodFailure("ReadScanEx", 0x80004005, 100));
  EXPECT_EQ(
      "ResetButton failed: HRESULT 0x80004001 (E_NOTIMPL), driver error 17 (no "
      "definition)",
      FormatMethodFailure("ResetButton", 0x80004001, 17));
  EXPECT_EQ("creating Zorvik.Scanner failed: HRESULT 0x80040154 (REGDB_E_CLASSNOTREG)",
            FormatStepFailure("creating Zorvik.Scanner", 0x80040154));
  EXPECT_EQ("0x8004ABCD", FormatHresult(0x8004ABCD));
}

TEST(CallReport, ReportsEveryFailureAndKeepsTheFirstExitStatus) {
  std::ostringstream errors;
  CallReport report(errors);
  EXPECT_TRUE(report.Method("OpenScannerSession", 0, 0));
  EXPECT_TRUE(report.Step("creating the image", 1 /* S_FALSE */, kExitOutputFailure));
  EXPECT_FALSE(report.failed());
  EXPECT_EQ(kExitSuccess, report.exit_status());
  EXPECT_EQ("", errors.str());

  // E_FAIL with code 0 (a toolkit status without a reason) is still a failure,
  // and so is S_OK with a code.
  EXPECT_FALSE(report.Method("StartScan", 0x80004005, 0));
  EXPECT_FALSE(report.Method("LampOn", 0, 6));
  EXPECT_FALSE(report.Step("writing the image", 0x80070070, kExitOutputFailure));
  EXPECT_TRUE(report.failed());
  EXPECT_EQ(kExitScannerFailure, report.exit_status());
  EXPECT_EQ(
      "zorvik_scan: StartScan failed: HRESULT 0x80004005 (E_FAIL), driver error 0 (No Error)\n"
      "zorvik_scan: LampOn failed: HRESULT 0x00000000 (S_OK), driver error 6 (Scanner Lamp is "
      "Off)\n"
      "zorvik_scan: writing the image failed: HRESULT 0x80070070 (ERROR_DISK_FULL): " +
          SystemMessage(0x80070070) + "\n",
      errors.str());
  EXPECT_FALSE(SystemMessage(0x80070070).empty()) << "the system's words for a full disk";

  std::ostringstream more;
  CallReport output(more);
  output.Fail("the disk is full", kExitOutputFailure);
  EXPECT_EQ(kExitOutputFailure, output.exit_status());
  EXPECT_EQ("zorvik_scan: the disk is full\n", more.str());
}

TEST(CallReport, ReadsTheDriverErrorOnlyOnceTheMethodHasReturned) {
  std::ostringstream errors;
  CallReport report(errors);
  EXPECT_TRUE(report.Call("LampOn", [](unsigned long* error) {
    EXPECT_EQ(0u, *error) << "the code starts at 0";
    return 0L;
  }));
  EXPECT_FALSE(report.Call("StartScan", [](unsigned long* error) {
    *error = 6;
    return static_cast<long>(0x80004005);
  }));
  EXPECT_EQ(
      "zorvik_scan: StartScan failed: HRESULT 0x80004005 (E_FAIL), driver error 6 (Scanner "
      "Lamp is Off)\n",
      errors.str());
}

// The area check accepts the smallest width shown here: see scan_request_test.
TEST(FormatCapabilities, ShowsTheSmallestAreaAsTheAreaCheckRoundsItAndEveryMode) {
  SCANNER_CAPABILITIES capabilities = {};
  capabilities.dwMinimumWidth = 10;
  capabilities.dwMinimumHeight = 10;
  capabilities.dwMaximumWidth = 2550;
  capabilities.dwScanModesSupported = 0x3;
  const std::string text = FormatCapabilities(capabilities);
  EXPECT_NE(std::string::npos,
            text.find("Smallest area: 10/300 in (0.85 mm) x 10/300 in (0.85 mm)"))
      << text;
  EXPECT_NE(std::string::npos, text.find("Flatbed width: 2550/300 in (215.9 mm)")) << text;
  // Lineart is taken whatever the record lists.
  EXPECT_NE(std::string::npos, text.find("Scan modes: Color, Gray, Lineart\n")) << text;
}

TEST(WaitNotice, SaysNothingForAShortWaitAndAnnouncesALongOneOnce) {
  using std::chrono::milliseconds;
  std::ostringstream quick;
  { WaitNotice notice(quick, "slow", true, milliseconds(500)); }
  EXPECT_EQ("", quick.str());

  std::ostringstream slow;
  {
    WaitNotice notice(slow, "zorvik_scan: slow", true, milliseconds(10));
    Sleep(300);
    notice.Say("zorvik_scan: said");
  }
  // Announced once, and what is said stands on a line of its own, never
  // after a progress line that was not ended.
  const std::string text = slow.str();
  EXPECT_EQ(text.find("zorvik_scan: slow\n"), text.rfind("zorvik_scan: slow\n")) << text;
  EXPECT_NE(std::string::npos, text.find("\rWaiting for the scanner: 0 s")) << text;
  const size_t said = text.find("zorvik_scan: said\n");
  ASSERT_NE(std::string::npos, said) << text;
  EXPECT_TRUE(said == 0 || text[said - 1] == '\n') << text;

  std::ostringstream plain;
  {
    WaitNotice notice(plain, "zorvik_scan: slow", false, milliseconds(10));
    Sleep(200);
  }
  EXPECT_EQ("zorvik_scan: slow\n", plain.str());
}

TEST(FormatAllOptions, ShowsTheScannersRangesOnceKnownAndEveryCurrentValue) {
  ScanOptions options;
  options.unit = LengthUnit::kInch;
  options.left = 1.5;
  options.gamma = 2.2;
  options.output_file = L"page.png";
  const std::wstring unknown = FormatAllOptions(options, nullptr);
  EXPECT_NE(std::wstring::npos, unknown.find(L"1..65535 dpi")) << unknown;
  EXPECT_NE(std::wstring::npos, unknown.find(L"0 or more in")) << unknown;

  const ScannerLimits limits = test::Limits7310();
  const std::wstring known = FormatAllOptions(options, &limits);
  for (const wchar_t* row : {
           L"  --x-resolution         75..1200 dpi                       [300]\n",
           L"  --y-resolution         75..2400 dpi                       [300]\n",
           L"  -l, --left             0..8.5 in                          [1.5]\n",
           L"  -y, --height           0..11.7 in                         [to the bottom edge]\n",
           L"  --gamma                0.1..10                            [2.2]\n",
           L"  -o, --output-file      a file name                        [page.png]\n",
       }) {
    EXPECT_NE(std::wstring::npos, known.find(row))
        << testing::PrintToString(std::wstring(row)) << "\nin\n"
        << testing::PrintToString(known);
  }
}

}  // namespace
}  // namespace zorvik::host
