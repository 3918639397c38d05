// Test tables write a host's scan request as one row of numbers; this turns a
// row into the SCANNER_PARAMETERS record the functions under test take.
#pragma once

#include <cstdint>

#include "scan_codes.h"
#include "zorvik.h"

namespace zorvik::test {

constexpr uint32_t kColor = kScanModeColor;
constexpr uint32_t kGrey = kScanModeGreyscale;
constexpr uint32_t kBw = kScanModeBw;
constexpr uint32_t kPixels = kScanOptionPixelCoordinates;

struct ParameterRow {
  uint32_t mode;
  uint32_t options;
  uint8_t bits;
  uint16_t xRes;
  uint16_t yRes;
  uint32_t left;
  uint32_t top;
  uint32_t width;
  uint32_t length;
  uint16_t method = kScanMethodFlatbed;
};

inline SCANNER_PARAMETERS ToParameters(const ParameterRow& request) {
  SCANNER_PARAMETERS params{};
  params.dwLeft = request.left;
  params.dwTop = request.top;
  params.dwWidth = request.width;
  params.dwLength = request.length;
  params.dwScanMode = request.mode;
  params.dwScanOptions = request.options;
  params.byBitsPerChannel = request.bits;
  params.wXResolution = request.xRes;
  params.wYResolution = request.yRes;
  params.wScanMethod = request.method;
  return params;
}

}  // namespace zorvik::test
