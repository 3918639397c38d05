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

// The records of the scanner family's further interfaces.
static_assert(sizeof(MEDIA_SOURCE_CAPABILITIES) == 116 && alignof(MEDIA_SOURCE_CAPABILITIES) == 4);
static_assert(offsetof(MEDIA_SOURCE_CAPABILITIES, byInstalled) == 0);
static_assert(offsetof(MEDIA_SOURCE_CAPABILITIES, byModelNumber) == 1);
static_assert(offsetof(MEDIA_SOURCE_CAPABILITIES, wWarmupTime) == 18);
static_assert(offsetof(MEDIA_SOURCE_CAPABILITIES, wMinimumResolution) == 26);
static_assert(offsetof(MEDIA_SOURCE_CAPABILITIES, dwMaximumWidth) == 28);
static_assert(offsetof(MEDIA_SOURCE_CAPABILITIES, dwScanOptionsSupported) == 48);
static_assert(offsetof(MEDIA_SOURCE_CAPABILITIES, wGreyChannelsSupported) == 52);
static_assert(offsetof(MEDIA_SOURCE_CAPABILITIES, wPaperPath) == 54);
static_assert(offsetof(MEDIA_SOURCE_CAPABILITIES, byColorBitsPerChannel) == 56);
static_assert(offsetof(MEDIA_SOURCE_CAPABILITIES, byGreyBitsPerChannel) == 64);
static_assert(offsetof(MEDIA_SOURCE_CAPABILITIES, dwReserved) == 72);

static_assert(sizeof(CONTROL_PANEL_INFO) == 192 && alignof(CONTROL_PANEL_INFO) == 4);
static_assert(offsetof(CONTROL_PANEL_INFO, byPanelType) == 0);
static_assert(offsetof(CONTROL_PANEL_INFO, dwButtonCount) == 4);
static_assert(offsetof(CONTROL_PANEL_INFO, dwIndicatorCount) == 12);
static_assert(offsetof(CONTROL_PANEL_INFO, wButtonIds) == 16);
static_assert(offsetof(CONTROL_PANEL_INFO, dwButtonFunctions) == 80);
static_assert(offsetof(CONTROL_PANEL_INFO, dwDisplayLines) == 144);
static_assert(offsetof(CONTROL_PANEL_INFO, wDisplayWidth) == 148);
static_assert(offsetof(CONTROL_PANEL_INFO, dwReserved) == 152);

static_assert(sizeof(NVRAM_INFO) == 44 && alignof(NVRAM_INFO) == 4);
static_assert(offsetof(NVRAM_INFO, wLayoutVersion) == 0);
static_assert(offsetof(NVRAM_INFO, dwAreaSizes) == 4);

static_assert(sizeof(CALIBRATION_SETTINGS) == 56 && alignof(CALIBRATION_SETTINGS) == 4);
static_assert(offsetof(CALIBRATION_SETTINGS, dwGain) == 12);
static_assert(offsetof(CALIBRATION_SETTINGS, dwReserved) == 16);

static_assert(sizeof(RGB_MATRIX) == 72 && alignof(RGB_MATRIX) == 8);
static_assert(offsetof(RGB_MATRIX, dBlueBlue) == 64);
