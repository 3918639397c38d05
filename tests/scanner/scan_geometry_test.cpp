// The image geometry of a scan request, and the requests it refuses. Every
// case also goes through the translation for the toolkit, which must tell the
// toolkit the same pixel and line counts, or refuse the same request.
#include "scan_geometry.h"

#include <gtest/gtest.h>

#include "scan_parameter_translation.h"
#include "scan_parameter_row.h"

namespace zorvik {
namespace {

using test::kBw;
using test::kColor;
using test::kGrey;
using test::kPixels;
using test::ParameterRow;
using test::ToParameters;

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
  ParameterRow request;
  uint32_t pixelWidth;
  uint32_t pixelHeight;
  uint32_t bytesPerLine;
};

TEST(ComputeScanGeometry, ComputesPixelsLinesAndBytesPerLine) {
  // Requests: mode, options, bits, x and y resolution, left, top, width, length.
  const GeometryCase cases[] = {
      {"colour 8-bit letter", {kColor, 0, 8, 300, 300, 0, 0, 2550, 3300}, 2550, 3300, 7650},
      {"colour 16-bit letter", {kColor, 0, 16, 600, 600, 0, 0, 2550, 3300}, 5100, 6600, 30600},
      {"colour 12-bit is 48 bits a pixel", {kColor, 0, 12, 300, 300, 0, 0, 10, 10}, 10, 10, 60},
      {"grey 2.5 pixels round up to 3", {kGrey, 0, 8, 75, 75, 0, 0, 10, 10}, 3, 3, 3},
      {"grey 16-bit", {kGrey, 0, 16, 300, 300, 0, 0, 100, 100}, 100, 100, 200},
      {"grey at two resolutions", {kGrey, 0, 8, 150, 600, 0, 0, 300, 300}, 150, 600, 150},
      {"BW 101 pixels pad to 104", {kBw, 0, 8, 300, 300, 0, 0, 101, 50}, 104, 50, 13},
      {"BW pixel coordinates unpadded", {kBw, kPixels, 8, 300, 300, 0, 0, 101, 50}, 101, 50, 13},
      {"BW 9-bit is 2 bits a pixel", {kBw, 0, 9, 300, 300, 0, 0, 101, 50}, 104, 50, 26},
      {"BW 16-bit partial byte", {kBw, kPixels, 16, 300, 300, 0, 0, 3, 1}, 3, 1, 1},
      {"colour in pixels", {kColor, kPixels, 8, 150, 150, 0, 0, 1275, 1650}, 1275, 1650, 3825},
      {"widest and longest", {kColor, 0, 8, 300, 300, 0, 0, 65535, 65535}, 65535, 65535, 196605},
      {"widest 16-bit", {kColor, kPixels, 16, 300, 300, 0, 0, 65535, 65535}, 65535, 65535, 393210},
      {"widest BW padding", {kBw, 0, 1, 300, 300, 0, 0, 65528, 1}, 65528, 1, 8191},
      {"highest resolution", {kGrey, 0, 8, 65535, 65535, 0, 0, 300, 300}, 65535, 65535, 65535},
      {"positions at the 16-bit limit", {kGrey, 0, 8, 300, 300, 65535, 65535, 1, 1}, 1, 1, 1},
  };
  for (const GeometryCase& c : cases) {
    SCOPED_TRACE(c.label);
    const SCANNER_PARAMETERS params = ToParameters(c.request);
    BUFFER_INFO info = SentinelBufferInfo();
    ASSERT_EQ(kErrNoError, ComputeScanGeometry(params, info));
    EXPECT_EQ(c.pixelWidth, info.dwPixelWidth);
    EXPECT_EQ(c.pixelHeight, info.dwPixelHeight);
    EXPECT_EQ(c.bytesPerLine, info.dwBytesPerLine);
    for (DWORD word : info.dwReserved) EXPECT_EQ(kSentinel, word);

    TOOLKIT_SCAN_PARAMETER record{};
    ASSERT_EQ(kErrNoError, TranslateScanParameters(params, "", record));
    EXPECT_EQ(c.pixelWidth, record.PixelNum);
    EXPECT_EQ(c.pixelHeight, record.LineNum);
  }
}

TEST(ComputeScanGeometry, IgnoresPreviewGreyChannelScanMethodAndReservedWords) {
  const SCANNER_PARAMETERS plain = ToParameters({kColor, 0, 8, 300, 300, 0, 0, 2550, 3300});
  SCANNER_PARAMETERS busy = plain;
  busy.dwScanOptions = kScanOptionPreview;
  busy.wGreyChannel = kGreyChannelNtsc;
  busy.wScanMethod = 7;  // refused by the translation, not measured here
  for (DWORD& word : busy.dwReserved) word = 0xFFFFFFFF;

  BUFFER_INFO expected = SentinelBufferInfo();
  ASSERT_EQ(kErrNoError, ComputeScanGeometry(plain, expected));
  BUFFER_INFO actual = SentinelBufferInfo();
  ASSERT_EQ(kErrNoError, ComputeScanGeometry(busy, actual));
  EXPECT_EQ(expected.dwPixelWidth, actual.dwPixelWidth);
  EXPECT_EQ(expected.dwPixelHeight, actual.dwPixelHeight);
  EXPECT_EQ(expected.dwBytesPerLine, actual.dwBytesPerLine);
}

struct RefusedCase {
  const char* label;
  ParameterRow request;
};

TEST(ComputeScanGeometry, RefusesWhatTheToolkitCannotScanAsMeasured) {
  // Requests: mode, options, bits, x and y resolution, left, top, width, length.
  const RefusedCase cases[] = {
      {"no scan mode", {0, 0, 8, 300, 300, 0, 0, 10, 10}},
      {"colour and grey at once", {kColor | kGrey, 0, 8, 300, 300, 0, 0, 10, 10}},
      {"unknown scan mode 8", {8, 0, 8, 300, 300, 0, 0, 10, 10}},
      {"zero resolution across", {kColor, 0, 8, 0, 300, 0, 0, 10, 10}},
      {"zero resolution down", {kColor, 0, 8, 300, 0, 0, 0, 10, 10}},
      {"zero resolution in pixels", {kColor, kPixels, 8, 0, 300, 0, 0, 10, 10}},
      {"width past the 16-bit field", {kGrey, 0, 8, 300, 300, 0, 0, 65536, 10}},
      {"65536 pixels a line", {kGrey, 0, 8, 600, 600, 0, 0, 32768, 10}},
      {"65536 lines", {kGrey, 0, 8, 600, 600, 0, 0, 10, 32768}},
      {"BW padding past 65535", {kBw, 0, 1, 300, 300, 0, 0, 65529, 1}},
      {"just wider at the top resolution", {kGrey, 0, 8, 65535, 300, 0, 0, 301, 1}},
      {"left past the 16-bit field", {kColor, 0, 8, 300, 300, 65536, 0, 10, 10}},
      {"top at the top of 32 bits", {kColor, 0, 8, 300, 300, 0, 0xFFFFFFFF, 10, 10}},
      {"size products past 32 bits", {kColor, 0, 8, 65535, 65535, 0, 0, 0xFFFFFFFF, 0xFFFFFFFF}},
      {"65536 pixels in pixels", {kColor, kPixels, 8, 300, 300, 0, 0, 65536, 10}},
      {"bytes a line past 32 bits", {kColor, kPixels, 16, 65535, 65535, 0, 0, 0x20000000, 1}},
      {"pixel left converts to 65536", {kColor, kPixels, 8, 150, 150, 32768, 0, 10, 10}},
      {"pixel top converts to 65536", {kColor, kPixels, 8, 300, 75, 0, 16384, 10, 10}},
      {"pixel length converts past 16 bits", {kColor, kPixels, 8, 300, 150, 0, 0, 10, 40000}},
  };
  for (const RefusedCase& c : cases) {
    SCOPED_TRACE(c.label);
    const SCANNER_PARAMETERS params = ToParameters(c.request);
    BUFFER_INFO info = SentinelBufferInfo();
    EXPECT_EQ(kErrInvalidParameter, ComputeScanGeometry(params, info));
    EXPECT_EQ(kSentinel, info.dwPixelWidth);
    EXPECT_EQ(kSentinel, info.dwPixelHeight);
    EXPECT_EQ(kSentinel, info.dwBytesPerLine);

    TOOLKIT_SCAN_PARAMETER record{};
    EXPECT_EQ(kErrInvalidParameter, TranslateScanParameters(params, "", record));
  }
}

}  // namespace
}  // namespace zorvik
