// The constants of the 7310 and the toolkit limits that make up its
// capability record.
#include "capabilities.h"

#include <cstdint>
#include <cstring>

#include "scan_codes.h"

namespace zorvik {
namespace {

// The model number string with its NUL; the rest of the field stays zero.
constexpr char kModelNumber[] = "7310";
constexpr uint16_t kLampWarmupTime = 30;
constexpr uint16_t kMinimumResolution = 75;
constexpr uint32_t kMinimumWidth = 10;
constexpr uint32_t kMinimumHeight = 20;
constexpr uint16_t kRawPixelOrderBgr = 2;
constexpr uint16_t kPixelPackingPacked = 1;
// Black and white is accepted by SetScannerParameters but not advertised.
constexpr uint32_t kScanModesSupported = kScanModeColor | kScanModeGreyscale;
constexpr uint32_t kScanOptionsSupported = kScanOptionPixelCoordinates;
constexpr uint16_t kGreyChannelsSupported = kGreyChannelRed | kGreyChannelGreen | kGreyChannelBlue;
// Bit depths per channel; the lists end at their first zero.
constexpr uint8_t kBitDepths[] = {8, 16};

}  // namespace

void FillScannerCapabilities(const TOOLKIT_ABILITY& ability, SCANNER_CAPABILITIES& capabilities) {
  // The record is copied to the host as a flat block: its gaps must be zero,
  // not whatever the caller's memory held.
  std::memset(&capabilities, 0, sizeof capabilities);

  static_assert(sizeof kModelNumber <= sizeof capabilities.byModelNumber);
  std::memcpy(capabilities.byModelNumber, kModelNumber, sizeof kModelNumber);
  capabilities.wLampWarmupTime = kLampWarmupTime;
  capabilities.wOpticalResolution = ability.OpticalRes;
  capabilities.wMaximumXResolution = ability.MaxColorXRes;
  capabilities.wMaximumYResolution = ability.MaxColorYRes;
  capabilities.wMinimumResolution = kMinimumResolution;
  capabilities.dwMaximumWidth = ability.FlatbedMaxWidth;
  capabilities.dwMinimumWidth = kMinimumWidth;
  capabilities.dwMaximumHeight = ability.FlatbedMaxLength;
  capabilities.dwMinimumHeight = kMinimumHeight;
  capabilities.wRawPixelOrder = kRawPixelOrderBgr;
  capabilities.wPixelPacking = kPixelPackingPacked;
  capabilities.dwScanModesSupported = kScanModesSupported;
  capabilities.dwScanOptionsSupported = kScanOptionsSupported;
  capabilities.wGreyChannelsSupported = kGreyChannelsSupported;
  capabilities.wGammaTableSize = kGammaTableSize;
  std::memcpy(capabilities.byColorBitsPerChannel, kBitDepths, sizeof kBitDepths);
  std::memcpy(capabilities.byGreyBitsPerChannel, kBitDepths, sizeof kBitDepths);
}

}  // namespace zorvik
