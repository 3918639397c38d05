// Byte patterns that make every field of a record distinct, so a field that
// is lost, shifted or left unwritten on the way shows.
#pragma once

#include <cstddef>
#include <initializer_list>

namespace zorvik::test {

// Byte i of the record becomes seed + i (no two bytes of a record up to 256
// bytes alike).
inline void FillPattern(void* record, size_t size, unsigned char seed) {
  auto* bytes = static_cast<unsigned char*>(record);
  for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<unsigned char>(seed + i);
}

// Alignment gaps carry nothing and are not compared.
struct Gap {
  size_t offset;
  size_t length;
};

inline bool HoldsPattern(const void* record, size_t size, unsigned char seed,
                         std::initializer_list<Gap> gaps = {}) {
  const auto* bytes = static_cast<const unsigned char*>(record);
  for (size_t i = 0; i < size; ++i) {
    bool in_gap = false;
    for (const Gap& gap : gaps) in_gap |= i >= gap.offset && i < gap.offset + gap.length;
    if (!in_gap && bytes[i] != static_cast<unsigned char>(seed + i)) return false;
  }
  return true;
}

}  // namespace zorvik::test
