// The codes of the scan fields a host and the component exchange: scan modes,
// scan options, grey channels and scan methods. SCANNER_PARAMETERS carries one
// value of each; SCANNER_CAPABILITIES carries the mode, option and channel
// codes as sets of bits.
#pragma once

#include <cstdint>

namespace zorvik {

// dwScanMode, and the bits of dwScanModesSupported.
constexpr uint32_t kScanModeColor = 0x1;
constexpr uint32_t kScanModeGreyscale = 0x2;
constexpr uint32_t kScanModeBw = 0x4;

// Bits of dwScanOptions and dwScanOptionsSupported.
constexpr uint32_t kScanOptionPreview = 0x1;
constexpr uint32_t kScanOptionPixelCoordinates = 0x2;

// wGreyChannel, and the bits of wGreyChannelsSupported.
constexpr uint16_t kGreyChannelRed = 0x1;
constexpr uint16_t kGreyChannelGreen = 0x2;
constexpr uint16_t kGreyChannelBlue = 0x4;
constexpr uint16_t kGreyChannelNtsc = 0x8;

// Entries of each gamma table: what wGammaTableSize advertises, what a
// session keeps and what SetGammaTable accepts at most.
constexpr uint16_t kGammaTableSize = 256;

// wScanMethod.
constexpr uint16_t kScanMethodFlatbed = 0;
constexpr uint16_t kScanMethodAdf = 1;
constexpr uint16_t kScanMethodXpaPositive = 2;
constexpr uint16_t kScanMethodXpaNegative = 3;

}  // namespace zorvik
