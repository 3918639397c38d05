// Random SCANNER_PARAMETERS records for the randomized run. Half of them are
// scans a host would ask for (a listed mode, a page-sized area, a usual
// resolution), so that acceptance is tested in earnest; in the other half
// every field is drawn mostly from the values where the rules change (zero,
// the boundaries of the toolkit's 16-bit fields, the listed codes and their
// neighbours) and otherwise from its whole range.
#pragma once

#include <cstdint>
#include <random>

#include "zorvik.h"

namespace zorvik::test {

class RandomRecords {
 public:
  explicit RandomRecords(uint64_t seed) : engine_(seed) {}

  SCANNER_PARAMETERS Next() {
    SCANNER_PARAMETERS p = OneIn(2) ? Plausible() : Hostile();
    p.wGreyChannel = static_cast<uint16_t>(Pick<uint32_t>({0, 1, 2, 4, 8, 3}, Word() & 0xFFFF));
    for (auto& word : p.dwReserved) word = OneIn(4) ? Word() : 0;
    return p;
  }

 private:
  SCANNER_PARAMETERS Plausible() {
    SCANNER_PARAMETERS p{};
    p.dwLeft = Word() % 3000;
    p.dwTop = Word() % 3000;
    p.dwWidth = Word() % 4000;
    p.dwLength = Word() % 4000;
    p.dwScanMode = Pick<uint32_t>({1, 2, 4}, 1);
    p.dwScanOptions = Word() % 4;
    p.byBitsPerChannel = static_cast<uint8_t>(Pick<uint32_t>({1, 8, 12, 16}, Word() % 20));
    p.wXResolution = static_cast<uint16_t>(
        Pick<uint32_t>({75, 100, 150, 200, 281, 300, 600, 1200}, Word() % 1200 + 1));
    p.wYResolution = static_cast<uint16_t>(
        Pick<uint32_t>({75, 100, 150, 200, 281, 300, 600, 1200}, Word() % 1200 + 1));
    p.wScanMethod = static_cast<uint16_t>(Pick<uint32_t>({0, 1, 2, 3}, Word() % 6));
    return p;
  }

  SCANNER_PARAMETERS Hostile() {
    SCANNER_PARAMETERS p{};
    p.dwLeft = Size();
    p.dwTop = Size();
    p.dwWidth = Size();
    p.dwLength = Size();
    p.dwScanMode = Pick<uint32_t>({0, 1, 1, 2, 2, 4, 4, 3, 5, 6, 8, 0x80000001u}, Word());
    p.dwScanOptions = Pick<uint32_t>({0, 1, 2, 3, 2, 0xFFFFFFFFu}, Word());
    p.byBitsPerChannel = static_cast<uint8_t>(
        Pick<uint32_t>({0, 1, 8, 8, 9, 12, 15, 16, 16, 17, 85, 86, 255}, Word() & 0xFF));
    p.wXResolution = Resolution();
    p.wYResolution = Resolution();
    p.wScanMethod = static_cast<uint16_t>(Pick<uint32_t>({0, 1, 2, 3, 4, 5}, Word() & 0xFFFF));
    return p;
  }

  uint32_t Word() { return static_cast<uint32_t>(engine_()); }
  bool OneIn(uint32_t n) { return Word() % n == 0; }

  // A listed value most of the time, `other` one time in eight.
  template <typename T, size_t N>
  T Pick(const T (&values)[N], T other) {
    if (OneIn(8)) return other;
    return values[Word() % N];
  }

  uint32_t Size() {
    switch (Word() % 8) {
      case 0:
        return Pick<uint32_t>({0, 1, 2, 7, 8, 9, 299, 300, 301}, Word() % 16);
      case 1:
        return 0xFFFF - 2 + Word() % 5;  // around the 16-bit boundary
      case 2:
        return Word();  // anywhere
      case 3:
        return 0xFFFFFFFFu - Word() % 4;
      default:
        return Word() % 20000;  // a page or two at any resolution
    }
  }

  uint16_t Resolution() {
    if (OneIn(4)) return static_cast<uint16_t>(Word());
    return static_cast<uint16_t>(Pick<uint32_t>(
        {0, 1, 2, 75, 100, 150, 200, 281, 300, 600, 1200, 2400, 4800, 9600, 65535}, Word() % 1300));
  }

  std::mt19937_64 engine_;
};

}  // namespace zorvik::test
