// Text conversions the tests share: the ASCII paths, names and role arguments
// they pass between narrow and wide APIs, and numbers in hexadecimal.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace zorvik::test {

// Each byte as the character of the same value (ASCII and Latin-1 alike).
std::wstring Widen(std::string_view text);

// Each character's low byte; for text known to be ASCII.
std::string Narrow(std::wstring_view text);

// Lower-case hexadecimal digits, no prefix: "80004005".
std::string Hex(uint32_t value);

}  // namespace zorvik::test
