// The toolkit scan-parameter record built from a host's scan parameters:
// every field, the fields a refused request has already rewritten, and the
// extended parameter that some bit depths leave as it was.
#include "scan_parameter_translation.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string_view>

#include "scan_codes.h"

namespace zorvik {
namespace {

constexpr uint8_t kStaleByte = 0xA5;
constexpr uint16_t kStaleWord = 0xA5A5;
constexpr const char* kVistrel = "Vistrel 6610X";
constexpr const char* kOtherModel = "Vistrel 6600";

// A record as a previous call left it: every byte stale, so a field the
// translation forgot or should not have touched shows.
TOOLKIT_SCAN_PARAMETER StaleRecord() {
  TOOLKIT_SCAN_PARAMETER record;
  std::memset(&record, kStaleByte, sizeof record);
  return record;
}

// Compares the written fields one by one, and the unused tail with the stale
// bytes it must keep.
void ExpectRecord(const TOOLKIT_SCAN_PARAMETER& expected, const TOOLKIT_SCAN_PARAMETER& actual) {
#define EXPECT_FIELD(field) EXPECT_EQ(+expected.field, +actual.field) << #field
  EXPECT_FIELD(PixelLeft);
  EXPECT_FIELD(PixelTop);
  EXPECT_FIELD(PixelWidth);
  EXPECT_FIELD(PixelLength);
  EXPECT_FIELD(PixelNum);
  EXPECT_FIELD(LineNum);
  EXPECT_FIELD(ScanMode);
  EXPECT_FIELD(ScanMethod);
  EXPECT_FIELD(BitsPerPixel);
  EXPECT_FIELD(ScanSpeed);
  EXPECT_FIELD(Contrast);
  EXPECT_FIELD(Brightness);
  EXPECT_FIELD(HTPatternNo);
  EXPECT_FIELD(Highlight);
  EXPECT_FIELD(Shadow);
  EXPECT_FIELD(ColorFilter);
  EXPECT_FIELD(Invert);
  EXPECT_FIELD(ReadStatus);
  EXPECT_FIELD(ExtendedScanParameter);
  EXPECT_FIELD(RedExposure);
  EXPECT_FIELD(GreenExposure);
  EXPECT_FIELD(BlueExposure);
  EXPECT_FIELD(XRes);
  EXPECT_FIELD(YRes);
  EXPECT_FIELD(Reserved36);
#undef EXPECT_FIELD
  for (uint8_t byte : actual.Unused37) EXPECT_EQ(kStaleByte, byte) << "bytes 37 to 43";
}

struct TranslationCase {
  const char* label;
  SCANNER_PARAMETERS params;
  const char* modelName;
  TOOLKIT_SCAN_PARAMETER expected;
};

TEST(TranslateScanParameters, WritesEveryFieldOfTheToolkitRecord) {
  const TranslationCase cases[] = {
      {"colour 8-bit flatbed on the 6610X",
       {.dwLeft = 30,
        .dwTop = 60,
        .dwWidth = 2550,
        .dwLength = 3300,
        .dwScanMode = kScanModeColor,
        .byBitsPerChannel = 8,
        .wXResolution = 300,
        .wYResolution = 300,
        .wScanMethod = kScanMethodFlatbed},
       kVistrel,
       {.PixelLeft = 30,
        .PixelTop = 60,
        .PixelWidth = 2550,
        .PixelLength = 3300,
        .PixelNum = 2550,
        .LineNum = 3300,
        .ScanMode = 4,
        .ScanMethod = 0,
        .BitsPerPixel = 24,
        .ScanSpeed = 1,
        .Contrast = 0,
        .Brightness = 0,
        .HTPatternNo = 1,
        .Highlight = 255,
        .Shadow = 0,
        .ColorFilter = 0,
        .Invert = 0,
        .ReadStatus = 0,
        .ExtendedScanParameter = 0x9000,
        .RedExposure = 0,
        .GreenExposure = 0,
        .BlueExposure = 0,
        .XRes = 300,
        .YRes = 300,
        .Reserved36 = 0}},
      {"colour 16-bit transparency positive on the 6610X",
       {.dwLeft = 0,
        .dwTop = 0,
        .dwWidth = 300,
        .dwLength = 150,
        .dwScanMode = kScanModeColor,
        .byBitsPerChannel = 16,
        .wXResolution = 1200,
        .wYResolution = 1200,
        .wScanMethod = kScanMethodXpaPositive},
       kVistrel,
       {.PixelLeft = 0,
        .PixelTop = 0,
        .PixelWidth = 300,
        .PixelLength = 150,
        .PixelNum = 1200,
        .LineNum = 600,
        .ScanMode = 4,
        .ScanMethod = 2,
        .BitsPerPixel = 48,
        .ScanSpeed = 1,
        .Contrast = 0,
        .Brightness = 0,
        .HTPatternNo = 1,
        .Highlight = 255,
        .Shadow = 0,
        .ColorFilter = 0,
        .Invert = 0,
        .ReadStatus = 0,
        .ExtendedScanParameter = 0xB000,
        .RedExposure = 0,
        .GreenExposure = 0,
        .BlueExposure = 0,
        .XRes = 1200,
        .YRes = 1200,
        .Reserved36 = 0}},
      {"grey 16-bit document feeder on another model",
       {.dwLeft = 5,
        .dwTop = 7,
        .dwWidth = 1200,
        .dwLength = 600,
        .dwScanMode = kScanModeGreyscale,
        .byBitsPerChannel = 16,
        .wXResolution = 600,
        .wYResolution = 300,
        .wScanMethod = kScanMethodAdf},
       kOtherModel,
       {.PixelLeft = 5,
        .PixelTop = 7,
        .PixelWidth = 1200,
        .PixelLength = 600,
        .PixelNum = 2400,
        .LineNum = 600,
        .ScanMode = 2,
        .ScanMethod = 1,
        .BitsPerPixel = 16,
        .ScanSpeed = 0,
        .Contrast = 0,
        .Brightness = 0,
        .HTPatternNo = 1,
        .Highlight = 255,
        .Shadow = 0,
        .ColorFilter = 0,
        .Invert = 0,
        .ReadStatus = 0,
        .ExtendedScanParameter = 0xB800,
        .RedExposure = 0,
        .GreenExposure = 0,
        .BlueExposure = 0,
        .XRes = 600,
        .YRes = 300,
        .Reserved36 = 0}},
      {"grey 8-bit on a toolkit without a model name",
       {.dwWidth = 10,
        .dwLength = 10,
        .dwScanMode = kScanModeGreyscale,
        .byBitsPerChannel = 8,
        .wXResolution = 75,
        .wYResolution = 75},
       "",
       {.PixelLeft = 0,
        .PixelTop = 0,
        .PixelWidth = 10,
        .PixelLength = 10,
        .PixelNum = 3,
        .LineNum = 3,
        .ScanMode = 2,
        .ScanMethod = 0,
        .BitsPerPixel = 8,
        .ScanSpeed = 0,
        .Contrast = 0,
        .Brightness = 0,
        .HTPatternNo = 1,
        .Highlight = 255,
        .Shadow = 0,
        .ColorFilter = 0,
        .Invert = 0,
        .ReadStatus = 0,
        .ExtendedScanParameter = 0x9800,
        .RedExposure = 0,
        .GreenExposure = 0,
        .BlueExposure = 0,
        .XRes = 75,
        .YRes = 75,
        .Reserved36 = 0}},
      {"BW 1-bit negative in pixel coordinates on the 6610X",
       {.dwLeft = 10,
        .dwTop = 20,
        .dwWidth = 1275,
        .dwLength = 1650,
        .dwScanMode = kScanModeBw,
        .dwScanOptions = kScanOptionPixelCoordinates,
        .byBitsPerChannel = 1,
        .wXResolution = 150,
        .wYResolution = 150,
        .wScanMethod = kScanMethodXpaNegative},
       kVistrel,
       {.PixelLeft = 20,
        .PixelTop = 40,
        .PixelWidth = 2550,
        .PixelLength = 3300,
        .PixelNum = 1275,
        .LineNum = 1650,
        .ScanMode = 0,
        .ScanMethod = 2,
        .BitsPerPixel = 1,
        .ScanSpeed = 1,
        .Contrast = 0,
        .Brightness = 0,
        .HTPatternNo = 1,
        .Highlight = 255,
        .Shadow = 0,
        .ColorFilter = 0,
        .Invert = 1,
        .ReadStatus = 0,
        .ExtendedScanParameter = 0x9000,
        .RedExposure = 0,
        .GreenExposure = 0,
        .BlueExposure = 0,
        .XRes = 150,
        .YRes = 150,
        .Reserved36 = 0}},
      {"BW 8-bit on another model pads the pixel count",
       {.dwWidth = 101,
        .dwLength = 50,
        .dwScanMode = kScanModeBw,
        .byBitsPerChannel = 8,
        .wXResolution = 300,
        .wYResolution = 300},
       kOtherModel,
       {.PixelLeft = 0,
        .PixelTop = 0,
        .PixelWidth = 101,
        .PixelLength = 50,
        .PixelNum = 104,
        .LineNum = 50,
        .ScanMode = 0,
        .ScanMethod = 0,
        .BitsPerPixel = 8,
        .ScanSpeed = 0,
        .Contrast = 0,
        .Brightness = 0,
        .HTPatternNo = 1,
        .Highlight = 255,
        .Shadow = 0,
        .ColorFilter = 0,
        .Invert = 1,
        .ReadStatus = 0,
        .ExtendedScanParameter = 0x9800,
        .RedExposure = 0,
        .GreenExposure = 0,
        .BlueExposure = 0,
        .XRes = 300,
        .YRes = 300,
        .Reserved36 = 0}},
  };
  for (const TranslationCase& c : cases) {
    SCOPED_TRACE(c.label);
    TOOLKIT_SCAN_PARAMETER record = StaleRecord();
    ASSERT_EQ(kErrNoError, TranslateScanParameters(c.params, c.modelName, record));
    ExpectRecord(c.expected, record);
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
    SCANNER_PARAMETERS params{.dwWidth = 10,
                              .dwLength = 10,
                              .dwScanMode = kScanModeGreyscale,
                              .byBitsPerChannel = 8,
                              .wXResolution = 300,
                              .wYResolution = 300};
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
      {1275, 150, 2550},    // whole factor
      {101, 600, 50},       // half units truncated
      {0, 75, 0},           //
      {281, 281, 299},      // the factor 300/281 is a little short of exact
      {65535, 300, 65535},  // the widest the field holds
      {16383, 75, 65532},
  };
  for (const ConversionCase& c : cases) {
    SCOPED_TRACE(testing::Message() << c.pixels << " pixels at " << c.resolution << " dpi");
    // Across at the case's resolution and down at 300 dpi, then the other
    // way round, so a position converted on the wrong axis shows.
    const SCANNER_PARAMETERS across{.dwLeft = c.pixels,
                                    .dwTop = c.pixels,
                                    .dwWidth = c.pixels,
                                    .dwLength = 1,
                                    .dwScanMode = kScanModeColor,
                                    .dwScanOptions = kScanOptionPixelCoordinates,
                                    .byBitsPerChannel = 8,
                                    .wXResolution = c.resolution,
                                    .wYResolution = 300};
    TOOLKIT_SCAN_PARAMETER record = StaleRecord();
    ASSERT_EQ(kErrNoError, TranslateScanParameters(across, kVistrel, record));
    EXPECT_EQ(c.units, record.PixelLeft);
    EXPECT_EQ(c.units, record.PixelWidth);
    EXPECT_EQ(c.pixels, record.PixelTop);
    EXPECT_EQ(c.pixels, record.PixelNum);

    const SCANNER_PARAMETERS down{.dwLeft = c.pixels,
                                  .dwTop = c.pixels,
                                  .dwWidth = 1,
                                  .dwLength = c.pixels,
                                  .dwScanMode = kScanModeColor,
                                  .dwScanOptions = kScanOptionPixelCoordinates,
                                  .byBitsPerChannel = 8,
                                  .wXResolution = 300,
                                  .wYResolution = c.resolution};
    record = StaleRecord();
    ASSERT_EQ(kErrNoError, TranslateScanParameters(down, kVistrel, record));
    EXPECT_EQ(c.pixels, record.PixelLeft);
    EXPECT_EQ(c.units, record.PixelTop);
    EXPECT_EQ(c.units, record.PixelLength);
    EXPECT_EQ(c.pixels, record.LineNum);
  }
}

TEST(TranslateScanParameters, KeepsTheExtendedParameterForDepthsWithoutACode) {
  const SCANNER_PARAMETERS eightBit{.dwWidth = 100,
                                    .dwLength = 100,
                                    .dwScanMode = kScanModeColor,
                                    .byBitsPerChannel = 8,
                                    .wXResolution = 300,
                                    .wYResolution = 300};
  TOOLKIT_SCAN_PARAMETER record = StaleRecord();
  ASSERT_EQ(kErrNoError, TranslateScanParameters(eightBit, kOtherModel, record));
  ASSERT_EQ(0x9800, record.ExtendedScanParameter);

  // A 12-bit call rewrites everything else for its depth.
  SCANNER_PARAMETERS twelveBit = eightBit;
  twelveBit.byBitsPerChannel = 12;
  twelveBit.dwWidth = 200;
  ASSERT_EQ(kErrNoError, TranslateScanParameters(twelveBit, kOtherModel, record));
  EXPECT_EQ(0x9800, record.ExtendedScanParameter);
  EXPECT_EQ(36, record.BitsPerPixel);
  EXPECT_EQ(200, record.PixelNum);

  for (uint8_t bits : {9, 12, 15, 17, 100, 255}) {
    SCOPED_TRACE(testing::Message() << +bits << " bits");
    SCANNER_PARAMETERS params = eightBit;
    params.byBitsPerChannel = bits;
    record = StaleRecord();
    ASSERT_EQ(kErrNoError, TranslateScanParameters(params, kVistrel, record));
    EXPECT_EQ(kStaleWord, record.ExtendedScanParameter);
    // Three channels of the depth, cut to the field's 8 bits.
    EXPECT_EQ(static_cast<uint8_t>(3 * bits), record.BitsPerPixel);
  }
}

TEST(TranslateScanParameters, SendsBothTransparencyMethodsAsOne) {
  const uint16_t toolkitMethod[] = {0, 1, 2, 2};
  for (uint16_t method = kScanMethodFlatbed; method <= kScanMethodXpaNegative; ++method) {
    SCOPED_TRACE(testing::Message() << "scan method " << method);
    const SCANNER_PARAMETERS params{.dwWidth = 10,
                                    .dwLength = 10,
                                    .dwScanMode = kScanModeColor,
                                    .byBitsPerChannel = 8,
                                    .wXResolution = 300,
                                    .wYResolution = 300,
                                    .wScanMethod = method};
    TOOLKIT_SCAN_PARAMETER record = StaleRecord();
    ASSERT_EQ(kErrNoError, TranslateScanParameters(params, kVistrel, record));
    EXPECT_EQ(toolkitMethod[method], record.ScanMethod);
  }
}

// A refused request leaves the fields written before the refusal and no others.
TEST(TranslateScanParameters, ARefusedRequestStopsWhereItIsRefused) {
  const SCANNER_PARAMETERS colour{.dwLeft = 3,
                                  .dwTop = 4,
                                  .dwWidth = 600,
                                  .dwLength = 900,
                                  .dwScanMode = kScanModeColor,
                                  .byBitsPerChannel = 8,
                                  .wXResolution = 150,
                                  .wYResolution = 150};
  TOOLKIT_SCAN_PARAMETER positionsOnly = StaleRecord();
  positionsOnly.PixelLeft = 3;
  positionsOnly.PixelTop = 4;
  positionsOnly.PixelWidth = 600;
  positionsOnly.PixelLength = 900;
  TOOLKIT_SCAN_PARAMETER throughPixelFormat = positionsOnly;
  throughPixelFormat.PixelNum = 300;
  throughPixelFormat.LineNum = 450;
  throughPixelFormat.ScanMode = 4;
  throughPixelFormat.Invert = 0;
  throughPixelFormat.BitsPerPixel = 24;

  struct RefusalCase {
    const char* label;
    SCANNER_PARAMETERS params;
    TOOLKIT_SCAN_PARAMETER expected;
  };
  RefusalCase cases[] = {
      {"two scan modes", colour, positionsOnly},
      {"no scan mode", colour, positionsOnly},
      {"zero resolution down", colour, positionsOnly},
      {"left beyond 16 bits keeps its low bits", colour, positionsOnly},
      {"zero resolution in pixel coordinates", colour, positionsOnly},
      {"XPA method 4", colour, throughPixelFormat},
      {"method 0xFFFF", colour, throughPixelFormat},
  };
  cases[0].params.dwScanMode = kScanModeColor | kScanModeGreyscale;
  cases[1].params.dwScanMode = 0;
  cases[2].params.wYResolution = 0;
  cases[3].params.dwLeft = 0x10003;
  cases[4].params.dwScanOptions = kScanOptionPixelCoordinates;
  cases[4].params.wXResolution = 0;
  cases[4].expected.PixelLeft = 0;  // no conversion without a resolution
  cases[4].expected.PixelWidth = 0;
  cases[4].expected.PixelTop = 8;
  cases[4].expected.PixelLength = 1800;
  cases[5].params.wScanMethod = 4;
  cases[6].params.wScanMethod = 0xFFFF;

  for (const RefusalCase& c : cases) {
    SCOPED_TRACE(c.label);
    TOOLKIT_SCAN_PARAMETER record = StaleRecord();
    EXPECT_EQ(kErrInvalidParameter, TranslateScanParameters(c.params, kVistrel, record));
    ExpectRecord(c.expected, record);
  }
}

TEST(TranslateScanParameters, PreviewGreyChannelAndReservedWordsChangeNothing) {
  const SCANNER_PARAMETERS plain{.dwLeft = 12,
                                 .dwTop = 34,
                                 .dwWidth = 1000,
                                 .dwLength = 2000,
                                 .dwScanMode = kScanModeGreyscale,
                                 .byBitsPerChannel = 8,
                                 .wXResolution = 200,
                                 .wYResolution = 400};
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
      {"reserved words", [](SCANNER_PARAMETERS& p) { std::memset(p.dwReserved, 0xFF, 48); }},
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
