// The component's C++ names for the codes of the scan fields a host and the
// component exchange: scan modes, scan options, grey channels, scan methods
// and the gamma table size. The values are the public contract's
// (zorvik_contract.h). SCANNER_PARAMETERS carries one value of each;
// SCANNER_CAPABILITIES carries the mode, option and channel codes as sets of
// bits.
#pragma once

#include <cstdint>

#include "zorvik_contract.h"

namespace zorvik {

constexpr uint32_t kScanModeColor = ZORVIK_SCAN_MODE_COLOR;
constexpr uint32_t kScanModeGreyscale = ZORVIK_SCAN_MODE_GREYSCALE;
constexpr uint32_t kScanModeBw = ZORVIK_SCAN_MODE_BW;

constexpr uint32_t kScanOptionPreview = ZORVIK_SCAN_OPTION_PREVIEW;
constexpr uint32_t kScanOptionPixelCoordinates = ZORVIK_SCAN_OPTION_PIXEL_COORDINATES;

constexpr uint16_t kGreyChannelRed = ZORVIK_GREY_CHANNEL_RED;
constexpr uint16_t kGreyChannelGreen = ZORVIK_GREY_CHANNEL_GREEN;
constexpr uint16_t kGreyChannelBlue = ZORVIK_GREY_CHANNEL_BLUE;
constexpr uint16_t kGreyChannelNtsc = ZORVIK_GREY_CHANNEL_NTSC;

constexpr uint16_t kGammaTableSize = ZORVIK_GAMMA_TABLE_SIZE;

constexpr uint16_t kScanMethodFlatbed = ZORVIK_SCAN_METHOD_FLATBED;
constexpr uint16_t kScanMethodAdf = ZORVIK_SCAN_METHOD_ADF;
constexpr uint16_t kScanMethodXpaPositive = ZORVIK_SCAN_METHOD_XPA_POSITIVE;
constexpr uint16_t kScanMethodXpaNegative = ZORVIK_SCAN_METHOD_XPA_NEGATIVE;

}  // namespace zorvik
