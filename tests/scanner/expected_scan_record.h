// The toolkit scan-parameter record a test expects, written from the fields
// that depend on the request, and a field-by-field comparison that names the
// field that differs.
#pragma once

#include <cstdint>

#include "toolkit_records.h"

namespace zorvik::test {

// The fields that follow from the request; the others are the same for every scan.
struct ScanFields {
  uint16_t left;
  uint16_t top;
  uint16_t width;
  uint16_t length;
  uint16_t pixelNum;
  uint16_t lineNum;
  uint8_t scanMode;
  uint8_t scanMethod;
  uint8_t bitsPerPixel;
  uint8_t scanSpeed;
  uint8_t invert;
  uint16_t extended;
  uint16_t xRes;
  uint16_t yRes;
};

// `base` with every field the translation writes set as a full translation
// sets it; bytes 37 to 43 keep what `base` held.
TOOLKIT_SCAN_PARAMETER ExpectedRecord(const ScanFields& fields, const TOOLKIT_SCAN_PARAMETER& base);

// One expectation per field, then bytes 37 to 43.
void ExpectRecord(const TOOLKIT_SCAN_PARAMETER& expected, const TOOLKIT_SCAN_PARAMETER& actual);

}  // namespace zorvik::test
