// From options to the scanner's units and record: the area in 1/300 inch and
// its rounding, the check against the scanner's limits, the
// SCANNER_PARAMETERS record and the gamma tables.
#include "limits_7310.h"
#include "scan_request.h"

#include <gtest/gtest.h>

#include <cstring>

namespace zorvik::host {
namespace {

ScanOptions Area(LengthUnit unit, std::optional<double> left, std::optional<double> top,
                 std::optional<double> width, std::optional<double> height) {
  ScanOptions options;
  options.unit = unit;
  options.left = left;
  options.top = top;
  options.width = width;
  options.height = height;
  return options;
}

constexpr auto kMm = LengthUnit::kMillimetre;
constexpr auto kIn = LengthUnit::kInch;

TEST(ScanAreaIn300ths, ConvertsAndRoundsEachEdgeToTheNearest300th) {
  struct Case {
    const char* label;
    ScanOptions options;
    AreaIn300ths area;
  };
  const std::nullopt_t none = std::nullopt;
  const Case cases[] = {
      {"no area: the whole flatbed", Area(kMm, none, none, none, none), {0, 0, 2550, 3510}},
      {"letter width in mm is exact", Area(kMm, 0, 0, 215.9, 279.4), {0, 0, 2550, 3300}},
      {"inches", Area(kIn, 1, 0.5, 2.25, 3), {300, 150, 675, 900}},
      // 1 mm = 11.81 units: the left edge rounds down to 12, the right edge
      // (2 mm = 23.62) up to 24, so the width is 12, not round(11.81) + 1.
      {"edges round, the size follows", Area(kMm, 1, 1, 1, 1), {12, 12, 12, 12}},
      {"a half rounds away from zero",
       Area(kIn, 0.5 / 300, 1.5 / 300, none, none),
       {1, 2, 2549, 3508}},
      {"missing size reaches the far edge",
       Area(kMm, 100, 200, none, none),
       {1181, 2362, 1369, 1148}},
      {"start beyond the flatbed: no size", Area(kIn, 9, 12, none, none), {2700, 3600, 0, 0}},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(test.label);
    const AreaIn300ths area = ScanAreaIn300ths(test.options, 2550, 3510);
    EXPECT_EQ(test.area.left, area.left);
    EXPECT_EQ(test.area.top, area.top);
    EXPECT_EQ(test.area.width, area.width);
    EXPECT_EQ(test.area.height, area.height);
  }
}

TEST(CheckAgainstScanner, AcceptsWhatFitsUpToTheFlatbedsEdges) {
  const ScannerLimits limits = test::Limits7310();
  for (const ScanOptions& options :
       {Area(kMm, std::nullopt, std::nullopt, std::nullopt, std::nullopt),
        Area(kMm, 0, 0, 215.9, 297.18), Area(kIn, 8, 11, 0.5, 0.7)}) {
    EXPECT_EQ(L"", CheckAgainstScanner(options, limits));
  }
  ScanOptions extremes;
  extremes.x_resolution = 75;
  extremes.y_resolution = 2400;
  EXPECT_EQ(L"", CheckAgainstScanner(extremes, limits));
}

TEST(CheckAgainstScanner, SaysWhatDoesNotFitInTheUsersUnit) {
  struct Case {
    const char* label;
    ScanOptions options;
    std::wstring problem;
  };
  ScanOptions coarse;
  coarse.x_resolution = 50;
  ScanOptions fine;
  fine.y_resolution = 4800;
  const Case cases[] = {
      {"resolution across", coarse,
       L"the resolution across (50 dpi) is out of range for this scanner (75 to 1200 dpi)"},
      {"resolution down", fine,
       L"the resolution down (4800 dpi) is out of range for this scanner (75 to 2400 dpi)"},
      {"left beyond the flatbed", Area(kMm, 220, 0, std::nullopt, std::nullopt),
       L"-l 220 mm lies outside the flatbed: the flatbed is 215.9 mm wide"},
      {"top beyond the flatbed", Area(kIn, 0, 11.7, std::nullopt, std::nullopt),
       L"-t 11.7 in lies outside the flatbed: the flatbed is 11.7 in long"},
      {"area past the right edge", Area(kMm, 10, 0, 210, std::nullopt),
       L"the area runs past the flatbed: -l 10 mm plus -x 210 mm ends at 220 mm, but the "
       L"flatbed is 215.9 mm wide"},
      {"area past the bottom edge", Area(kIn, 0, 2, 1, 10),
       L"the area runs past the flatbed: -t 2 in plus -y 10 in ends at 12 in, but the flatbed "
       L"is 11.7 in long"},
      {"narrower than the scanner allows", Area(kMm, 0, 0, 0.5, 10),
       L"the area's width (0.5 mm) is below this scanner's smallest width (0.85 mm)"},
      {"what is left of the flatbed is too narrow", Area(kMm, 215.5, 0, std::nullopt, 10),
       L"the area's width (0.42 mm) is below this scanner's smallest width (0.85 mm)"},
      {"shorter than the scanner allows", Area(kIn, 0, 0, 1, 0.05),
       L"the area's height (0.05 in) is below this scanner's smallest height (0.07 in)"},
      {"rounds to nothing", Area(kMm, 0, 0, 0.01, 10),
       L"the area's width (0.01 mm) is below this scanner's smallest width (0.85 mm)"},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(test.label);
    EXPECT_EQ(test.problem, CheckAgainstScanner(test.options, test::Limits7310()));
  }
}

TEST(CheckAgainstScanner, AcceptsTheSmallestAreaAsTheCapabilitiesShowIt) {
  // 10/300 inch is shown as 0.85 mm; -x 0.8 would be 9/300 inch.
  ScanOptions options;
  options.width = 0.85;
  options.height = 1.7;
  EXPECT_EQ(L"", CheckAgainstScanner(options, test::Limits7310()));
  options.width = 0.8;
  EXPECT_NE(L"", CheckAgainstScanner(options, test::Limits7310()));
}

TEST(CheckAgainstScanner, RefusesMorePixelsThanAScanCarries) {
  ScannerLimits wide = test::Limits7310();
  wide.flatbed_width = 30000;  // 100 inches
  ScanOptions options;
  options.x_resolution = 1200;
  EXPECT_EQ(L"the area's width at 1200 dpi is 120000 pixels; a scan holds at most 65535",
            CheckAgainstScanner(options, wide));
}

TEST(ToScannerParameters, FillsTheRecordForEachMode) {
  struct Case {
    ScanMode mode;
    uint8_t depth;
    DWORD scan_mode;
    WORD grey_channel;
  };
  const Case cases[] = {
      {ScanMode::kColor, 8, 1, 0},
      {ScanMode::kColor, 16, 1, 0},
      {ScanMode::kGray, 16, 2, 2},
      {ScanMode::kLineart, 1, 4, 2},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(static_cast<int>(test.mode));
    ScanOptions options = Area(kIn, 1, 2, 3, 4);
    options.mode = test.mode;
    options.depth = test.depth;
    options.x_resolution = 150;
    options.y_resolution = 600;
    const SCANNER_PARAMETERS parameters = ToScannerParameters(options, test::Limits7310());

    SCANNER_PARAMETERS expected;
    std::memset(&expected, 0, sizeof expected);
    expected.dwLeft = 300;
    expected.dwTop = 600;
    expected.dwWidth = 900;
    expected.dwLength = 1200;
    expected.dwScanMode = test.scan_mode;
    expected.byBitsPerChannel = test.depth;
    expected.wXResolution = 150;
    expected.wYResolution = 600;
    expected.wGreyChannel = test.grey_channel;
    // Compared as bytes: reserved words and alignment gaps must be zero too.
    EXPECT_EQ(0, std::memcmp(&expected, &parameters, sizeof expected));
  }
}

TEST(ToScannerParameters, WithoutAnAreaScansTheWholeFlatbed) {
  const SCANNER_PARAMETERS parameters = ToScannerParameters(ScanOptions{}, test::Limits7310());
  EXPECT_EQ(0u, parameters.dwLeft);
  EXPECT_EQ(0u, parameters.dwTop);
  EXPECT_EQ(2550u, parameters.dwWidth);
  EXPECT_EQ(3510u, parameters.dwLength);
  EXPECT_EQ(0u, parameters.dwScanOptions);
}

TEST(MakeGammaTable, IsTheIdentityAtOneAndBendsTheMidTonesOtherwise) {
  const GammaTable identity = MakeGammaTable(1.0);
  for (int i = 0; i < 256; ++i) EXPECT_EQ(i, identity[i]) << i;

  const GammaTable bright = MakeGammaTable(2.2);
  const GammaTable dark = MakeGammaTable(0.5);
  EXPECT_EQ(0, bright[0]);
  EXPECT_EQ(255, bright[255]);
  EXPECT_EQ(186, bright[128]);  // 255 * (128/255)^(1/2.2) = 186.1
  EXPECT_EQ(64, dark[128]);     // 255 * (128/255)^2 = 64.25
  EXPECT_EQ(0, dark[0]);
  EXPECT_EQ(255, dark[255]);
  for (int i = 1; i < 256; ++i) {
    EXPECT_LE(bright[i - 1], bright[i]) << i;
    EXPECT_LE(dark[i - 1], dark[i]) << i;
  }
}

}  // namespace
}  // namespace zorvik::host
