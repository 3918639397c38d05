// The toolkit scan-parameter record built from a host's scan parameters:
// every field, the fields a refused request has already rewritten, and the
// extended parameter that some bit depths leave as it was.
#include "scan_parameter_translation.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string_view>

#include "expected_scan_record.h"
#include "scan_parameter_row.h"

namespace zorvik {
namespace {

using test::ExpectRecord;
using test::kBw;
using test::kColor;
using test::kGrey;
using test::kPixels;
using test::ParameterRow;
using test::ScanFields;
using test::ToParameters;

constexpr uint8_t kStaleByte = 0xA5;
constexpr uint16_t kStaleWord = 0xA5A5;
constexpr const char* kVistrel = "Vistrel 6610X";
constexpr const char* kOtherModel = "Vistrel 6600";

// A record as a previous call left it: every byte stale, so a field the
// translation forgot, or should not have touched, shows.
TOOLKIT_SCAN_PARAMETER StaleRecord() {
  TOOLKIT_SCAN_PARAMETER record;
  std::memset(&record, kStaleByte, sizeof record);
  return record;
}

struct TranslationCase {
  const char* label;
  ParameterRow request;
  const char* modelName;
  ScanFields expected;
};

TEST(TranslateScanParameters, WritesEveryFieldOfTheToolkitRecord) {
  // Requests: mode, options, bits, x and y resolution, left, top, width, length, method.
  // Fields: left, top, width, length, pixels, lines, mode, method, bits a pixel, speed,
  // invert, extended, x and y resolution.
  const TranslationCase cases[] = {
      {"colour 8-bit flatbed on the 6610X",
       {kColor, 0, 8, 300, 300, 30, 60, 2550, 3300, kScanMethodFlatbed},
       kVistrel,
       {30, 60, 2550, 3300, 2550, 3300, 4, 0, 24, 1, 0, 0x9000, 300, 300}},
      {"colour 16-bit positive transparency on the 6610X",
       {kColor, 0, 16, 1200, 1200, 0, 0, 300, 150, kScanMethodXpaPositive},
       kVistrel,
       {0, 0, 300, 150, 1200, 600, 4, 2, 48, 1, 0, 0xB000, 1200, 1200}},
      {"grey 16-bit document feeder on another model",
       {kGrey, 0, 16, 600, 300, 5, 7, 1200, 600, kScanMethodAdf},
       kOtherModel,
       {5, 7, 1200, 600, 2400, 600, 2, 1, 16, 0, 0, 0xB800, 600, 300}},
      {"grey 8-bit without a model name",
       {kGrey, 0, 8, 75, 75, 0, 0, 10, 10, kScanMethodFlatbed},
       "",
       {0, 0, 10, 10, 3, 3, 2, 0, 8, 0, 0, 0x9800, 75, 75}},
      {"BW 1-bit negative in pixels on the 6610X",
       {kBw, kPixels, 1, 150, 150, 10, 20, 1275, 1650, kScanMethodXpaNegative},
       kVistrel,
       {20, 40, 2550, 3300, 1275, 1650, 0, 2, 1, 1, 1, 0x9000, 150, 150}},
      {"BW 8-bit padded on another model",
       {kBw, 0, 8, 300, 300, 0, 0, 101, 50, kScanMethodFlatbed},
       kOtherModel,
       {0, 0, 101, 50, 104, 50, 0, 0, 8, 0, 1, 0x9800, 300, 300}},
  };
  for (const TranslationCase& c : cases) {
    SCOPED_TRACE(c.label);
    TOOLKIT_SCAN_PARAMETER record = StaleRecord();
    ASSERT_EQ(kErrNoError, TranslateScanParameters(ToParameters(c.request), c.modelName, record));
    ExpectRecord(test::ExpectedRecord(c.expected, StaleRecord()), record);
  }
}

TEST(TranslateScanParameters, OnlyTheExactModelNameGetsTheVistrelSettings) {
  struct ModelCase {
    std::string_view name;
    uint8_t scanSpeed;
    uint16_t eightBit;
    uint16_t sixteenBit;
  };
  const ModelCase cases[] = {
      {"Vistrel 6610X", 1, 0x9000, 0xB000},
      {"vistrel 6610X", 0, 0x9800, 0xB800},
      {"Vistrel 6610X ", 0, 0x9800, 0xB800},
      {"Vistrel 6610", 0, 0x9800, 0xB800},
      {"", 0, 0x9800, 0xB800},
  };
  for (const ModelCase& c : cases) {
    SCOPED_TRACE(testing::Message() << '"' << c.name << '"');
    SCANNER_PARAMETERS params = ToParameters({kGrey, 0, 8, 300, 300, 0, 0, 10, 10});
    TOOLKIT_SCAN_PARAMETER record = StaleRecord();
    ASSERT_EQ(kErrNoError, TranslateScanParameters(params, c.name, record));
    EXPECT_EQ(c.scanSpeed, record.ScanSpeed);
    EXPECT_EQ(c.eightBit, record.ExtendedScanParameter);

    params.byBitsPerChannel = 16;
    ASSERT_EQ(kErrNoError, TranslateScanParameters(params, c.name, record));
    EXPECT_EQ(c.sixteenBit, record.ExtendedScanParameter);
  }
}

TEST(ToolkitModelName, StopsAtTheNulOrTheEndOfTheField) {
  TOOLKIT_ABILITY ability;
  std::memset(&ability, 'x', sizeof ability);
  std::memcpy(ability.ModelName, "Vistrel 6610X\0junk", 18);
  EXPECT_EQ("Vistrel 6610X", ToolkitModelName(ability));

  // A toolkit that fills the whole field leaves no NUL before Firmware Version.
  std::memset(ability.ModelName, 'M', sizeof ability.ModelName);
  std::strcpy(ability.FirmwareVersion, "1.00");
  EXPECT_EQ(std::string_view("MMMMMMMMMMMMMMMMMMMM"), ToolkitModelName(ability));
}

TEST(TranslateScanParameters, ConvertsPixelCoordinatesToToolkitUnits) {
  struct ConversionCase {
    uint32_t pixels;
    uint16_t resolution;
    uint16_t units;
  };
  const ConversionCase cases[] = {
      {1275, 150, 2550},    // a whole factor
      {101, 600, 50},       // half a unit truncated
      {0, 75, 0},           //
      {281, 281, 299},      // the factor 300/281 comes out a little short
      {65535, 300, 65535},  // the widest the field holds
      {16383, 75, 65532},
  };
  for (const ConversionCase& c : cases) {
    SCOPED_TRACE(testing::Message() << c.pixels << " pixels at " << c.resolution << " dpi");
    // Across at the case's resolution and down at 300 dpi, then the other
    // way round, so a coordinate converted on the wrong axis shows.
    TOOLKIT_SCAN_PARAMETER record = StaleRecord();
    ASSERT_EQ(kErrNoError,
              TranslateScanParameters(ToParameters({kColor, kPixels, 8, c.resolution, 300, c.pixels,
                                                    c.pixels, c.pixels, 1}),
                                      kVistrel, record));
    EXPECT_EQ(c.units, record.PixelLeft);
    EXPECT_EQ(c.units, record.PixelWidth);
    EXPECT_EQ(c.pixels, record.PixelTop);
    EXPECT_EQ(c.pixels, record.PixelNum);

    record = StaleRecord();
    ASSERT_EQ(kErrNoError,
              TranslateScanParameters(ToParameters({kColor, kPixels, 8, 300, c.resolution, c.pixels,
                                                    c.pixels, 1, c.pixels}),
                                      kVistrel, record));
    EXPECT_EQ(c.pixels, record.PixelLeft);
    EXPECT_EQ(c.units, record.PixelTop);
    EXPECT_EQ(c.units, record.PixelLength);
    EXPECT_EQ(c.pixels, record.LineNum);
  }
}

TEST(TranslateScanParameters, KeepsTheExtendedParameterForDepthsWithoutACode) {
  TOOLKIT_SCAN_PARAMETER record = StaleRecord();
  ASSERT_EQ(kErrNoError,
            TranslateScanParameters(ToParameters({kColor, 0, 8, 300, 300, 0, 0, 100, 100}),
                                    kOtherModel, record));
  ASSERT_EQ(0x9800, record.ExtendedScanParameter);

  // A 12-bit call rewrites everything else for its depth.
  ASSERT_EQ(kErrNoError,
            TranslateScanParameters(ToParameters({kColor, 0, 12, 300, 300, 0, 0, 200, 100}),
                                    kOtherModel, record));
  EXPECT_EQ(0x9800, record.ExtendedScanParameter);
  EXPECT_EQ(36, record.BitsPerPixel);
  EXPECT_EQ(200, record.PixelNum);

  for (uint8_t bits : {9, 12, 15, 17, 100, 255}) {
    SCOPED_TRACE(testing::Message() << +bits << " bits");
    record = StaleRecord();
    ASSERT_EQ(kErrNoError,
              TranslateScanParameters(ToParameters({kColor, 0, bits, 300, 300, 0, 0, 100, 100}),
                                      kVistrel, record));
    EXPECT_EQ(kStaleWord, record.ExtendedScanParameter);
    // Three channels of the depth, cut to the field's 8 bits.
    EXPECT_EQ(static_cast<uint8_t>(3 * bits), record.BitsPerPixel);
  }
}

TEST(TranslateScanParameters, SendsBothTransparencyMethodsAsOne) {
  const uint8_t toolkitMethod[] = {0, 1, 2, 2};
  for (uint16_t method = kScanMethodFlatbed; method <= kScanMethodXpaNegative; ++method) {
    SCOPED_TRACE(testing::Message() << "scan method " << method);
    TOOLKIT_SCAN_PARAMETER record = StaleRecord();
    ASSERT_EQ(kErrNoError,
              TranslateScanParameters(ToParameters({kColor, 0, 8, 300, 300, 0, 0, 10, 10, method}),
                                      kVistrel, record));
    EXPECT_EQ(toolkitMethod[method], record.ScanMethod);
  }
}

// A refused request leaves the fields written before the refusal, and no
// others: the four positions when the geometry refuses it, and also the pixel
// and line counts, mode, invert and bits a pixel when the scan method does.
TEST(TranslateScanParameters, ARefusedRequestStopsWhereItIsRefused) {
  struct RefusalCase {
    const char* label;
    ParameterRow request;
    uint16_t left, top, width, length;
    bool pixelFormatWritten;
  };
  const RefusalCase cases[] = {
      {"two scan modes", {kColor | kGrey, 0, 8, 150, 150, 3, 4, 600, 900}, 3, 4, 600, 900, false},
      {"no scan mode", {0, 0, 8, 150, 150, 3, 4, 600, 900}, 3, 4, 600, 900, false},
      {"zero resolution down", {kColor, 0, 8, 150, 0, 3, 4, 600, 900}, 3, 4, 600, 900, false},
      {"left keeps its low 16 bits",
       {kColor, 0, 8, 150, 150, 0x10003, 4, 600, 900},
       3,
       4,
       600,
       900,
       false},
      // No conversion across without a resolution: 0.
      {"zero resolution in pixels",
       {kColor, kPixels, 8, 0, 150, 3, 4, 600, 900},
       0,
       8,
       0,
       1800,
       false},
      {"scan method 4", {kColor, 0, 8, 150, 150, 3, 4, 600, 900, 4}, 3, 4, 600, 900, true},
      {"scan method 0xFFFF",
       {kColor, 0, 8, 150, 150, 3, 4, 600, 900, 0xFFFF},
       3,
       4,
       600,
       900,
       true},
  };
  for (const RefusalCase& c : cases) {
    SCOPED_TRACE(c.label);
    TOOLKIT_SCAN_PARAMETER expected = StaleRecord();
    expected.PixelLeft = c.left;
    expected.PixelTop = c.top;
    expected.PixelWidth = c.width;
    expected.PixelLength = c.length;
    if (c.pixelFormatWritten) {
      expected.PixelNum = 300;
      expected.LineNum = 450;
      expected.ScanMode = 4;
      expected.Invert = 0;
      expected.BitsPerPixel = 24;
    }
    TOOLKIT_SCAN_PARAMETER record = StaleRecord();
    EXPECT_EQ(kErrInvalidParameter,
              TranslateScanParameters(ToParameters(c.request), kVistrel, record));
    ExpectRecord(expected, record);
  }
}

TEST(TranslateScanParameters, PreviewGreyChannelAndReservedWordsChangeNothing) {
  const SCANNER_PARAMETERS plain = ToParameters({kGrey, 0, 8, 200, 400, 12, 34, 1000, 2000});
  TOOLKIT_SCAN_PARAMETER expected = StaleRecord();
  ASSERT_EQ(kErrNoError, TranslateScanParameters(plain, kVistrel, expected));

  struct Variation {
    const char* label;
    void (*apply)(SCANNER_PARAMETERS&);
  };
  const Variation variations[] = {
      {"preview", [](SCANNER_PARAMETERS& p) { p.dwScanOptions = kScanOptionPreview; }},
      {"red", [](SCANNER_PARAMETERS& p) { p.wGreyChannel = kGreyChannelRed; }},
      {"green", [](SCANNER_PARAMETERS& p) { p.wGreyChannel = kGreyChannelGreen; }},
      {"blue", [](SCANNER_PARAMETERS& p) { p.wGreyChannel = kGreyChannelBlue; }},
      {"NTSC", [](SCANNER_PARAMETERS& p) { p.wGreyChannel = kGreyChannelNtsc; }},
      {"every channel bit", [](SCANNER_PARAMETERS& p) { p.wGreyChannel = 0xFFFF; }},
      {"reserved words",
       [](SCANNER_PARAMETERS& p) { std::memset(p.dwReserved, 0xFF, sizeof p.dwReserved); }},
  };
  for (const Variation& v : variations) {
    SCOPED_TRACE(v.label);
    SCANNER_PARAMETERS params = plain;
    v.apply(params);
    TOOLKIT_SCAN_PARAMETER record = StaleRecord();
    ASSERT_EQ(kErrNoError, TranslateScanParameters(params, kVistrel, record));
    EXPECT_EQ(0, std::memcmp(&expected, &record, sizeof record));
  }
}

}  // namespace
}  // namespace zorvik
