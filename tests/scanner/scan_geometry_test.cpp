// The image geometry of a scan request, and the requests it refuses. Every
// case also goes through the translation for the toolkit, which must tell the
// toolkit the same pixel and line counts, or refuse the same request.
#include "scan_geometry.h"

#include <gtest/gtest.h>

#include "scan_codes.h"
#include "scan_parameter_translation.h"

namespace zorvik {
namespace {

constexpr uint32_t kSentinel = 0xDEADBEEF;

BUFFER_INFO SentinelBufferInfo() {
  BUFFER_INFO info;
  info.dwPixelWidth = kSentinel;
  info.dwPixelHeight = kSentinel;
  info.dwBytesPerLine = kSentinel;
  for (DWORD& word : info.dwReserved) word = kSentinel;
  return info;
}

struct GeometryCase {
  const char* label;
  SCANNER_PARAMETERS params;
  uint32_t pixelWidth;
  uint32_t pixelHeight;
  uint32_t bytesPerLine;
};

TEST(ComputeScanGeometry, ComputesPixelsLinesAndBytesPerLine) {
  constexpr uint32_t kPixels = kScanOptionPixelCoordinates;
  const GeometryCase cases[] = {
      {"colour 8-bit letter at 300 dpi",
       {.dwWidth = 2550,
        .dwLength = 3300,
        .dwScanMode = kScanModeColor,
        .byBitsPerChannel = 8,
        .wXResolution = 300,
        .wYResolution = 300},
       2550,
       3300,
       7650},
      {"colour 16-bit letter at 600 dpi",
       {.dwWidth = 2550,
        .dwLength = 3300,
        .dwScanMode = kScanModeColor,
        .byBitsPerChannel = 16,
        .wXResolution = 600,
        .wYResolution = 600},
       5100,
       6600,
       30600},
      {"colour 12-bit counts 48 bits per pixel",
       {.dwWidth = 10,
        .dwLength = 10,
        .dwScanMode = kScanModeColor,
        .byBitsPerChannel = 12,
        .wXResolution = 300,
        .wYResolution = 300},
       10,
       10,
       60},
      {"grey 2.5 pixels round up to 3",
       {.dwWidth = 10,
        .dwLength = 10,
        .dwScanMode = kScanModeGreyscale,
        .byBitsPerChannel = 8,
        .wXResolution = 75,
        .wYResolution = 75},
       3,
       3,
       3},
      {"grey 16-bit",
       {.dwWidth = 100,
        .dwLength = 100,
        .dwScanMode = kScanModeGreyscale,
        .byBitsPerChannel = 16,
        .wXResolution = 300,
        .wYResolution = 300},
       100,
       100,
       200},
      {"grey across and down at their own resolutions",
       {.dwWidth = 300,
        .dwLength = 300,
        .dwScanMode = kScanModeGreyscale,
        .byBitsPerChannel = 8,
        .wXResolution = 150,
        .wYResolution = 600},
       150,
       600,
       150},
      {"BW 101 pixels pad to 104",
       {.dwWidth = 101,
        .dwLength = 50,
        .dwScanMode = kScanModeBw,
        .byBitsPerChannel = 8,
        .wXResolution = 300,
        .wYResolution = 300},
       104,
       50,
       13},
      {"BW in pixel coordinates is not padded",
       {.dwWidth = 101,
        .dwLength = 50,
        .dwScanMode = kScanModeBw,
        .dwScanOptions = kPixels,
        .byBitsPerChannel = 8,
        .wXResolution = 300,
        .wYResolution = 300},
       101,
       50,
       13},
      {"BW 9-bit counts 2 bits per pixel",
       {.dwWidth = 101,
        .dwLength = 50,
        .dwScanMode = kScanModeBw,
        .byBitsPerChannel = 9,
        .wXResolution = 300,
        .wYResolution = 300},
       104,
       50,
       26},
      {"BW 16-bit partial byte rounds up",
       {.dwWidth = 3,
        .dwLength = 1,
        .dwScanMode = kScanModeBw,
        .dwScanOptions = kPixels,
        .byBitsPerChannel = 16,
        .wXResolution = 300,
        .wYResolution = 300},
       3,
       1,
       1},
      {"colour pixel coordinates pass through",
       {.dwWidth = 1275,
        .dwLength = 1650,
        .dwScanMode = kScanModeColor,
        .dwScanOptions = kPixels,
        .byBitsPerChannel = 8,
        .wXResolution = 150,
        .wYResolution = 150},
       1275,
       1650,
       3825},
      {"preview, grey channel and scan method change nothing",
       {.dwWidth = 2550,
        .dwLength = 3300,
        .dwScanMode = kScanModeColor,
        .dwScanOptions = kScanOptionPreview,
        .byBitsPerChannel = 8,
        .wXResolution = 300,
        .wYResolution = 300,
        .wGreyChannel = kGreyChannelNtsc,
        .wScanMethod = 7},
       2550,
       3300,
       7650},
      {"widest and longest the toolkit carries",
       {.dwWidth = 65535,
        .dwLength = 65535,
        .dwScanMode = kScanModeColor,
        .byBitsPerChannel = 8,
        .wXResolution = 300,
        .wYResolution = 300},
       65535,
       65535,
       196605},
      {"widest in pixel coordinates at 16 bits",
       {.dwWidth = 65535,
        .dwLength = 65535,
        .dwScanMode = kScanModeColor,
        .dwScanOptions = kPixels,
        .byBitsPerChannel = 16,
        .wXResolution = 300,
        .wYResolution = 300},
       65535,
       65535,
       393210},
      {"BW padding up to the last whole byte that fits",
       {.dwWidth = 65528,
        .dwLength = 1,
        .dwScanMode = kScanModeBw,
        .byBitsPerChannel = 1,
        .wXResolution = 300,
        .wYResolution = 300},
       65528,
       1,
       8191},
      {"highest resolution",
       {.dwWidth = 300,
        .dwLength = 300,
        .dwScanMode = kScanModeGreyscale,
        .byBitsPerChannel = 8,
        .wXResolution = 65535,
        .wYResolution = 65535},
       65535,
       65535,
       65535},
  };
  for (const GeometryCase& c : cases) {
    SCOPED_TRACE(c.label);
    BUFFER_INFO info = SentinelBufferInfo();
    ASSERT_EQ(kErrNoError, ComputeScanGeometry(c.params, info));
    EXPECT_EQ(c.pixelWidth, info.dwPixelWidth);
    EXPECT_EQ(c.pixelHeight, info.dwPixelHeight);
    EXPECT_EQ(c.bytesPerLine, info.dwBytesPerLine);
    for (DWORD word : info.dwReserved) EXPECT_EQ(kSentinel, word);

    if (c.params.wScanMethod <= kScanMethodXpaNegative) {
      TOOLKIT_SCAN_PARAMETER record{};
      ASSERT_EQ(kErrNoError, TranslateScanParameters(c.params, "", record));
      EXPECT_EQ(c.pixelWidth, record.PixelNum);
      EXPECT_EQ(c.pixelHeight, record.LineNum);
    }
  }
}

struct RefusedCase {
  const char* label;
  SCANNER_PARAMETERS params;
};

TEST(ComputeScanGeometry, RefusesWhatTheToolkitCannotScanAsMeasured) {
  constexpr uint32_t kPixels = kScanOptionPixelCoordinates;
  const RefusedCase cases[] = {
      {"no scan mode",
       {.dwWidth = 10, .dwLength = 10, .dwScanMode = 0, .wXResolution = 300, .wYResolution = 300}},
      {"colour and grey at once",
       {.dwWidth = 10, .dwLength = 10, .dwScanMode = 3, .wXResolution = 300, .wYResolution = 300}},
      {"unknown scan mode 8",
       {.dwWidth = 10, .dwLength = 10, .dwScanMode = 8, .wXResolution = 300, .wYResolution = 300}},
      {"zero resolution across",
       {.dwWidth = 10,
        .dwLength = 10,
        .dwScanMode = kScanModeColor,
        .wXResolution = 0,
        .wYResolution = 300}},
      {"zero resolution down",
       {.dwWidth = 10,
        .dwLength = 10,
        .dwScanMode = kScanModeColor,
        .wXResolution = 300,
        .wYResolution = 0}},
      {"zero resolution in pixel coordinates",
       {.dwWidth = 10,
        .dwLength = 10,
        .dwScanMode = kScanModeColor,
        .dwScanOptions = kPixels,
        .wXResolution = 0,
        .wYResolution = 300}},
      {"width beyond the 16-bit position field",
       {.dwWidth = 65536,
        .dwLength = 10,
        .dwScanMode = kScanModeGreyscale,
        .wXResolution = 300,
        .wYResolution = 300}},
      {"65536 pixels per line",
       {.dwWidth = 32768,
        .dwLength = 10,
        .dwScanMode = kScanModeGreyscale,
        .wXResolution = 600,
        .wYResolution = 600}},
      {"65536 lines",
       {.dwWidth = 10,
        .dwLength = 32768,
        .dwScanMode = kScanModeGreyscale,
        .wXResolution = 600,
        .wYResolution = 600}},
      {"BW padding past 65535 pixels",
       {.dwWidth = 65529,
        .dwLength = 1,
        .dwScanMode = kScanModeBw,
        .wXResolution = 300,
        .wYResolution = 300}},
      {"one unit wider at the highest resolution",
       {.dwWidth = 301,
        .dwLength = 1,
        .dwScanMode = kScanModeGreyscale,
        .wXResolution = 65535,
        .wYResolution = 300}},
      {"left beyond the 16-bit field",
       {.dwLeft = 65536,
        .dwWidth = 10,
        .dwLength = 10,
        .dwScanMode = kScanModeColor,
        .wXResolution = 300,
        .wYResolution = 300}},
      {"top at the top of 32 bits",
       {.dwTop = 0xFFFFFFFF,
        .dwWidth = 10,
        .dwLength = 10,
        .dwScanMode = kScanModeColor,
        .wXResolution = 300,
        .wYResolution = 300}},
      {"size products beyond 32 bits",
       {.dwWidth = 0xFFFFFFFF,
        .dwLength = 0xFFFFFFFF,
        .dwScanMode = kScanModeColor,
        .wXResolution = 65535,
        .wYResolution = 65535}},
      {"65536 pixels in pixel coordinates",
       {.dwWidth = 65536,
        .dwLength = 10,
        .dwScanMode = kScanModeColor,
        .dwScanOptions = kPixels,
        .wXResolution = 300,
        .wYResolution = 300}},
      {"bytes per line beyond 32 bits",
       {.dwWidth = 0x20000000,
        .dwLength = 1,
        .dwScanMode = kScanModeColor,
        .dwScanOptions = kPixels,
        .byBitsPerChannel = 16,
        .wXResolution = 65535,
        .wYResolution = 65535}},
      {"pixel left converts to 65536",
       {.dwLeft = 32768,
        .dwWidth = 10,
        .dwLength = 10,
        .dwScanMode = kScanModeColor,
        .dwScanOptions = kPixels,
        .wXResolution = 150,
        .wYResolution = 150}},
      {"pixel top converts to 65536",
       {.dwTop = 16384,
        .dwWidth = 10,
        .dwLength = 10,
        .dwScanMode = kScanModeColor,
        .dwScanOptions = kPixels,
        .wXResolution = 300,
        .wYResolution = 75}},
      {"pixel length converts past 16 bits though the line count fits",
       {.dwWidth = 10,
        .dwLength = 40000,
        .dwScanMode = kScanModeColor,
        .dwScanOptions = kPixels,
        .wXResolution = 300,
        .wYResolution = 150}},
  };
  for (const RefusedCase& c : cases) {
    SCOPED_TRACE(c.label);
    BUFFER_INFO info = SentinelBufferInfo();
    EXPECT_EQ(kErrInvalidParameter, ComputeScanGeometry(c.params, info));
    EXPECT_EQ(kSentinel, info.dwPixelWidth);
    EXPECT_EQ(kSentinel, info.dwPixelHeight);
    EXPECT_EQ(kSentinel, info.dwBytesPerLine);

    TOOLKIT_SCAN_PARAMETER record{};
    EXPECT_EQ(kErrInvalidParameter, TranslateScanParameters(c.params, "", record));
  }
}

}  // namespace
}  // namespace zorvik
