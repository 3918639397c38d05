// The interface records cross apartments and processes as flat blocks: their
// sizes and offsets are part of the contract and must never drift.
#include <cstddef>

#include "zorvik.h"

static_assert(sizeof(SCANNER_CAPABILITIES) == 124);
static_assert(offsetof(SCANNER_CAPABILITIES, byModelNumber) == 0);
static_assert(offsetof(SCANNER_CAPABILITIES, wLampWarmupTime) == 16);
static_assert(offsetof(SCANNER_CAPABILITIES, wOpticalResolution) == 18);
static_assert(offsetof(SCANNER_CAPABILITIES, wMaximumXResolution) == 20);
static_assert(offsetof(SCANNER_CAPABILITIES, wMaximumYResolution) == 22);
static_assert(offsetof(SCANNER_CAPABILITIES, wMinimumResolution) == 24);
static_assert(offsetof(SCANNER_CAPABILITIES, dwMaximumWidth) == 28);
static_assert(offsetof(SCANNER_CAPABILITIES, dwMinimumWidth) == 32);
static_assert(offsetof(SCANNER_CAPABILITIES, dwMaximumHeight) == 36);
static_assert(offsetof(SCANNER_CAPABILITIES, dwMinimumHeight) == 40);
static_assert(offsetof(SCANNER_CAPABILITIES, wRawPixelOrder) == 44);
static_assert(offsetof(SCANNER_CAPABILITIES, wPixelPacking) == 46);
static_assert(offsetof(SCANNER_CAPABILITIES, dwScanModesSupported) == 48);
static_assert(offsetof(SCANNER_CAPABILITIES, dwScanOptionsSupported) == 52);
static_assert(offsetof(SCANNER_CAPABILITIES, wGreyChannelsSupported) == 56);
static_assert(offsetof(SCANNER_CAPABILITIES, wPaperPath) == 58);
static_assert(offsetof(SCANNER_CAPABILITIES, wGammaTableSize) == 60);
static_assert(offsetof(SCANNER_CAPABILITIES, byColorBitsPerChannel) == 62);
static_assert(offsetof(SCANNER_CAPABILITIES, byGreyBitsPerChannel) == 70);
static_assert(offsetof(SCANNER_CAPABILITIES, dwReserved) == 80);

static_assert(sizeof(SCANNER_PARAMETERS) == 84);
static_assert(offsetof(SCANNER_PARAMETERS, dwLeft) == 0);
static_assert(offsetof(SCANNER_PARAMETERS, dwTop) == 4);
static_assert(offsetof(SCANNER_PARAMETERS, dwWidth) == 8);
static_assert(offsetof(SCANNER_PARAMETERS, dwLength) == 12);
static_assert(offsetof(SCANNER_PARAMETERS, dwScanMode) == 16);
static_assert(offsetof(SCANNER_PARAMETERS, dwScanOptions) == 20);
static_assert(offsetof(SCANNER_PARAMETERS, byBitsPerChannel) == 24);
static_assert(offsetof(SCANNER_PARAMETERS, wXResolution) == 26);
static_assert(offsetof(SCANNER_PARAMETERS, wYResolution) == 28);
static_assert(offsetof(SCANNER_PARAMETERS, wGreyChannel) == 30);
static_assert(offsetof(SCANNER_PARAMETERS, wScanMethod) == 32);
static_assert(offsetof(SCANNER_PARAMETERS, dwReserved) == 36);

static_assert(sizeof(BUFFER_INFO) == 52);
static_assert(offsetof(BUFFER_INFO, dwPixelWidth) == 0);
static_assert(offsetof(BUFFER_INFO, dwPixelHeight) == 4);
static_assert(offsetof(BUFFER_INFO, dwBytesPerLine) == 8);
static_assert(offsetof(BUFFER_INFO, dwReserved) == 12);
