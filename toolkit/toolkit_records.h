// The records exchanged with the scanner toolkit. They cross the library
// boundary as flat little-endian blocks, so every offset and size is fixed
// and checked below.
#pragma once

#include <cstddef>
#include <cstdint>

namespace zorvik {

// Filled by GetScannerAbilityEx at a session's first open: 144 bytes.
struct TOOLKIT_ABILITY {
  char VendorName[12];
  char ModelName[20];
  char FirmwareVersion[8];
  char PortType[12];
  char PortAddress[8];
  uint8_t HalfToneIndex[8];
  uint32_t ScannerCapability;
  uint32_t DriverFunctionSupport;
  uint8_t Unused76[4];
  uint16_t FlatbedMaxWidth;
  uint16_t FlatbedMaxLength;
  uint16_t AdfMaxWidth;
  uint16_t AdfMaxLength;
  uint16_t OpticalRes;
  uint16_t MaxGreyXRes;
  uint16_t MaxGreyYRes;
  uint16_t MaxColorXRes;
  uint16_t MaxColorYRes;
  uint16_t ImageType;
  uint16_t ScanMethod;
  uint8_t Unused102[2];
  uint8_t ChannelsPerPixel;  // bits 7 and 6
  uint8_t BitsPerChannel;
  uint8_t HalfToneNumber;
  uint8_t ErrorDiffusionNumber;
  uint8_t LineartPixelBound;
  uint8_t GrayPixelBound;
  uint8_t ColorPixelBound;
  uint8_t HalftonePixelBound;
  uint8_t ErrorDiffusionPixelBound;
  uint8_t Gray4BitsPixelBound;
  uint8_t Unused114[2];
  uint32_t ScannerCapability2;
  uint32_t DriverFunctionSupport2;
  uint16_t XpaMaxWidth;
  uint16_t XpaMaxLength;
  uint8_t Unused128[16];
};

// Built by SetScannerParameters, handed to SetScanParameter by StartScan:
// 44 bytes, of which the component writes the first 37.
struct TOOLKIT_SCAN_PARAMETER {
  uint16_t PixelLeft;
  uint16_t PixelTop;
  uint16_t PixelWidth;
  uint16_t PixelLength;
  uint16_t PixelNum;
  uint16_t LineNum;
  uint8_t ScanMode;
  uint8_t ScanMethod;
  uint8_t BitsPerPixel;
  uint8_t ScanSpeed;
  int8_t Contrast;
  int8_t Brightness;
  uint8_t HTPatternNo;
  uint8_t Highlight;
  uint8_t Shadow;
  uint8_t ColorFilter;
  uint8_t Invert;
  uint8_t ReadStatus;
  uint16_t ExtendedScanParameter;
  uint16_t RedExposure;
  uint16_t GreenExposure;
  uint16_t BlueExposure;
  uint16_t XRes;
  uint16_t YRes;
  uint8_t Reserved36;  // written as 0
  uint8_t Unused37[7];
};

// Filled by InitialButton at a session's first open: 24 bytes; only the
// button count is read.
struct TOOLKIT_BUTTON_INFO {
  uint8_t Unused0[4];
  uint16_t ButtonCount;
  uint8_t Unused6[18];
};

// Filled by ReadPushButton.
struct TOOLKIT_BUTTON_EVENT {
  uint8_t Flags;   // bit 7: a press is latched
  uint8_t Number;  // the pressed button, counted from 1
};
constexpr uint8_t kButtonPressLatched = 0x80;

// Filled by GetScannerStatus, in argument order; only ErrorStatus is read.
struct TOOLKIT_STATUS {
  uint8_t Status1;
  uint8_t Status2;
  uint8_t Status3;
  uint8_t ErrorStatus;
};

// Scratch area that ResetScanner may write; its contents are not used.
constexpr size_t kResetScratchSize = 48;

static_assert(sizeof(TOOLKIT_ABILITY) == 144);
static_assert(offsetof(TOOLKIT_ABILITY, ModelName) == 12);
static_assert(offsetof(TOOLKIT_ABILITY, FirmwareVersion) == 32);
static_assert(offsetof(TOOLKIT_ABILITY, PortType) == 40);
static_assert(offsetof(TOOLKIT_ABILITY, PortAddress) == 52);
static_assert(offsetof(TOOLKIT_ABILITY, HalfToneIndex) == 60);
static_assert(offsetof(TOOLKIT_ABILITY, ScannerCapability) == 68);
static_assert(offsetof(TOOLKIT_ABILITY, DriverFunctionSupport) == 72);
static_assert(offsetof(TOOLKIT_ABILITY, FlatbedMaxWidth) == 80);
static_assert(offsetof(TOOLKIT_ABILITY, FlatbedMaxLength) == 82);
static_assert(offsetof(TOOLKIT_ABILITY, AdfMaxWidth) == 84);
static_assert(offsetof(TOOLKIT_ABILITY, AdfMaxLength) == 86);
static_assert(offsetof(TOOLKIT_ABILITY, OpticalRes) == 88);
static_assert(offsetof(TOOLKIT_ABILITY, MaxGreyXRes) == 90);
static_assert(offsetof(TOOLKIT_ABILITY, MaxGreyYRes) == 92);
static_assert(offsetof(TOOLKIT_ABILITY, MaxColorXRes) == 94);
static_assert(offsetof(TOOLKIT_ABILITY, MaxColorYRes) == 96);
static_assert(offsetof(TOOLKIT_ABILITY, ImageType) == 98);
static_assert(offsetof(TOOLKIT_ABILITY, ScanMethod) == 100);
static_assert(offsetof(TOOLKIT_ABILITY, ChannelsPerPixel) == 104);
static_assert(offsetof(TOOLKIT_ABILITY, BitsPerChannel) == 105);
static_assert(offsetof(TOOLKIT_ABILITY, HalfToneNumber) == 106);
static_assert(offsetof(TOOLKIT_ABILITY, ErrorDiffusionNumber) == 107);
static_assert(offsetof(TOOLKIT_ABILITY, LineartPixelBound) == 108);
static_assert(offsetof(TOOLKIT_ABILITY, GrayPixelBound) == 109);
static_assert(offsetof(TOOLKIT_ABILITY, ColorPixelBound) == 110);
static_assert(offsetof(TOOLKIT_ABILITY, HalftonePixelBound) == 111);
static_assert(offsetof(TOOLKIT_ABILITY, ErrorDiffusionPixelBound) == 112);
static_assert(offsetof(TOOLKIT_ABILITY, Gray4BitsPixelBound) == 113);
static_assert(offsetof(TOOLKIT_ABILITY, ScannerCapability2) == 116);
static_assert(offsetof(TOOLKIT_ABILITY, DriverFunctionSupport2) == 120);
static_assert(offsetof(TOOLKIT_ABILITY, XpaMaxWidth) == 124);
static_assert(offsetof(TOOLKIT_ABILITY, XpaMaxLength) == 126);

static_assert(sizeof(TOOLKIT_SCAN_PARAMETER) == 44);
static_assert(offsetof(TOOLKIT_SCAN_PARAMETER, PixelNum) == 8);
static_assert(offsetof(TOOLKIT_SCAN_PARAMETER, LineNum) == 10);
static_assert(offsetof(TOOLKIT_SCAN_PARAMETER, ScanMode) == 12);
static_assert(offsetof(TOOLKIT_SCAN_PARAMETER, ScanSpeed) == 15);
static_assert(offsetof(TOOLKIT_SCAN_PARAMETER, Contrast) == 16);
static_assert(offsetof(TOOLKIT_SCAN_PARAMETER, Invert) == 22);
static_assert(offsetof(TOOLKIT_SCAN_PARAMETER, ReadStatus) == 23);
static_assert(offsetof(TOOLKIT_SCAN_PARAMETER, ExtendedScanParameter) == 24);
static_assert(offsetof(TOOLKIT_SCAN_PARAMETER, RedExposure) == 26);
static_assert(offsetof(TOOLKIT_SCAN_PARAMETER, BlueExposure) == 30);
static_assert(offsetof(TOOLKIT_SCAN_PARAMETER, XRes) == 32);
static_assert(offsetof(TOOLKIT_SCAN_PARAMETER, YRes) == 34);
static_assert(offsetof(TOOLKIT_SCAN_PARAMETER, Reserved36) == 36);

static_assert(sizeof(TOOLKIT_BUTTON_INFO) == 24);
static_assert(offsetof(TOOLKIT_BUTTON_INFO, ButtonCount) == 4);
static_assert(sizeof(TOOLKIT_BUTTON_EVENT) == 2);
static_assert(sizeof(TOOLKIT_STATUS) == 4);

}  // namespace zorvik
