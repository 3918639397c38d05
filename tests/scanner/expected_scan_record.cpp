// Building and comparing expected toolkit scan-parameter records.
#include "expected_scan_record.h"

#include <gtest/gtest.h>

#include <cstring>

#include "scan_rules.h"

namespace zorvik::test {

TOOLKIT_SCAN_PARAMETER ExpectedRecord(const ScanFields& fields,
                                      const TOOLKIT_SCAN_PARAMETER& base) {
  TOOLKIT_SCAN_PARAMETER record = base;
  record.PixelLeft = fields.left;
  record.PixelTop = fields.top;
  record.PixelWidth = fields.width;
  record.PixelLength = fields.length;
  record.PixelNum = fields.pixelNum;
  record.LineNum = fields.lineNum;
  record.ScanMode = fields.scanMode;
  record.ScanMethod = fields.scanMethod;
  record.BitsPerPixel = fields.bitsPerPixel;
  record.ScanSpeed = fields.scanSpeed;
  record.Invert = fields.invert;
  record.ExtendedScanParameter = fields.extended;
  record.XRes = fields.xRes;
  record.YRes = fields.yRes;
  rules::SetFixedFields(record);
  return record;
}

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
  EXPECT_EQ(0, std::memcmp(expected.Unused37, actual.Unused37, sizeof actual.Unused37))
      << "bytes 37 to 43";
}

}  // namespace zorvik::test
