// The capability record, byte for byte, built from a toolkit ability record.
#include "capabilities.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstring>

namespace zorvik {
namespace {

using CapabilityBytes = std::array<uint8_t, 124>;

void Put16(CapabilityBytes& bytes, size_t offset, uint16_t value) {
  bytes[offset] = static_cast<uint8_t>(value);
  bytes[offset + 1] = static_cast<uint8_t>(value >> 8);
}

void Put32(CapabilityBytes& bytes, size_t offset, uint32_t value) {
  Put16(bytes, offset, static_cast<uint16_t>(value));
  Put16(bytes, offset + 2, static_cast<uint16_t>(value >> 16));
}

struct AbilityLimits {
  const char* label;
  uint16_t flatbedMaxWidth;
  uint16_t flatbedMaxLength;
  uint16_t opticalRes;
  uint16_t maxColorXRes;
  uint16_t maxColorYRes;
};

// The record laid out by offset, as a host reads it: everything not listed is zero.
CapabilityBytes ExpectedBytes(const AbilityLimits& limits) {
  CapabilityBytes bytes{};
  bytes[0] = '7';
  bytes[1] = '3';
  bytes[2] = '1';
  bytes[3] = '0';
  Put16(bytes, 16, 30);  // lamp warm-up time
  Put16(bytes, 18, limits.opticalRes);
  Put16(bytes, 20, limits.maxColorXRes);
  Put16(bytes, 22, limits.maxColorYRes);
  Put16(bytes, 24, 75);  // minimum resolution
  Put32(bytes, 28, limits.flatbedMaxWidth);
  Put32(bytes, 32, 10);  // minimum width
  Put32(bytes, 36, limits.flatbedMaxLength);
  Put32(bytes, 40, 20);   // minimum height
  Put16(bytes, 44, 2);    // BGR
  Put16(bytes, 46, 1);    // packed
  Put32(bytes, 48, 3);    // COLOR | GREYSCALE
  Put32(bytes, 52, 2);    // PIXEL COORDINATES
  Put16(bytes, 56, 7);    // RED | GREEN | BLUE
  Put16(bytes, 60, 256);  // gamma table size
  bytes[62] = 8;          // colour bit depths
  bytes[63] = 16;
  bytes[70] = 8;  // grey bit depths
  bytes[71] = 16;
  return bytes;
}

// An ability record whose unreported fields are all set, so that copying the
// wrong field shows.
TOOLKIT_ABILITY AbilityWith(const AbilityLimits& limits) {
  TOOLKIT_ABILITY ability;
  std::memset(&ability, 0x77, sizeof ability);
  std::strcpy(ability.ModelName, "Vistrel 6610X");
  ability.FlatbedMaxWidth = limits.flatbedMaxWidth;
  ability.FlatbedMaxLength = limits.flatbedMaxLength;
  ability.OpticalRes = limits.opticalRes;
  ability.MaxColorXRes = limits.maxColorXRes;
  ability.MaxColorYRes = limits.maxColorYRes;
  return ability;
}

TEST(FillScannerCapabilities, WritesEveryByteOfTheRecord) {
  const AbilityLimits cases[] = {
      {"letter flatbed", 2550, 3508, 1200, 1200, 2400},
      {"top bits set, not sign-extended", 0xFFFF, 0x8001, 0xFFFF, 0x8000, 0xFFFE},
      {"all zero", 0, 0, 0, 0, 0},
  };
  for (const AbilityLimits& limits : cases) {
    SCOPED_TRACE(limits.label);
    SCANNER_CAPABILITIES capabilities;
    std::memset(&capabilities, 0xCD, sizeof capabilities);  // stale caller memory

    FillScannerCapabilities(AbilityWith(limits), capabilities);

    const CapabilityBytes expected = ExpectedBytes(limits);
    CapabilityBytes actual;
    std::memcpy(actual.data(), &capabilities, sizeof actual);
    for (size_t offset = 0; offset < expected.size(); ++offset) {
      EXPECT_EQ(expected[offset], actual[offset]) << "byte " << offset;
    }
  }
}

}  // namespace
}  // namespace zorvik
